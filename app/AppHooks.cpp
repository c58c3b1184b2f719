#include "core/AppHooks.h"

#include "core/Config.h"
#include "core/Core.h"

int AppInitBeforeWindow()
{
    ReadApplicationConfig();
    gCore.EnableWindowMode();
    return 0;
}

int AppStart()
{
    return 0;
}

void AppProcess() {}

void AppRender() {}

void AppExit() {}
