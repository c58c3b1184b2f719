#include "core/AppHooks.h"

#include "core/Config.h"
#include "core/Core.h"
#include "engine/CreateEngine.h"
#include "core/Graphics.h"
#include "engine/Engine.h"
#include "engine/MissionLoader.h"
#include "engine/Parser.h"
#include "scene/Renderer.h"

#include <windows.h>

#include <cstdlib>

namespace {

// The control column on the right of the 3D view.
constexpr int COLUMN_WIDTH = 250;
constexpr D3DCOLOR COLUMN_COLOUR = 0xFF808080;

const char* const PRESENTATION_LIST = "Presentations\\List.txt";
const char* const DEFAULT_PRESENTATION = "Presentations\\KestrelVale.txt";

void SeedRandom()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    srand(unsigned(counter.LowPart & 0x7FFF));
}

} // namespace

int AppInitBeforeWindow()
{
    ReadApplicationConfig();
    gCore.EnableWindowMode();
    return 0;
}

// The developer panel is asked for once it exists (ENGINE_DEVELOPER_PANEL | 1).
int AppStart()
{
    SeedRandom();
    if (CreateEngine(0x1) != 0 || gIParser->LoadScript("Scripts/Start.txt") != 0) {
        gCore.SetExitFlag();
        return 0;
    }
    const int viewWidth = AppWindowConfig.width - COLUMN_WIDTH;
    const int viewHeight = AppWindowConfig.height;
    gIEngine->SetViewRect(0, 0, viewWidth, viewHeight);
    gIRenderer->SetViewport(0, 0, viewWidth, viewHeight);
    gIEngine->SetMode(3, 0);
    gIMissionLoader->LoadMissionList(PRESENTATION_LIST);
    // Started by the next engine frame.
    gIMissionLoader->StartMission(DEFAULT_PRESENTATION);
    gCore.InitStatistic(4, 4, 1);
    return 0;
}

void AppProcess()
{
    if (gIEngine)
        gIEngine->Process();
}

void AppRender()
{
    if (!gIEngine)
        return;
    gIEngine->Render();
    gGraphics.ClearRect(AppWindowConfig.width - COLUMN_WIDTH, 0, AppWindowConfig.width,
                        AppWindowConfig.height, COLUMN_COLOUR);
}

void AppExit()
{
    DestroyEngine();
}
