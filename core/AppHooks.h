#pragma once
// The five hooks through which the core reaches the application; the application
// library defines them.

int AppInitBeforeWindow();
int AppStart();
void AppProcess();
void AppRender();
void AppExit();
