#include "core/AppHooks.h"

#include "app/Application.h"
#include "app/MyBuilding.h"
#include "core/Config.h"
#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Textures.h"
#include "engine/CreateEngine.h"
#include "engine/Engine.h"
#include "engine/MissionLoader.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"
#include "gui/BaseWin.h"
#include "gui/WinSuperior.h"
#include "scene/Renderer.h"

#include <windows.h>

#include <cstdlib>

namespace {

// The control column on the right of the 3D view.
constexpr int COLUMN_WIDTH = 250;
constexpr D3DCOLOR COLUMN_COLOUR = 0xFF808080;

const char* const PRESENTATION_LIST = "Presentations\\List.txt";
const char* const DEFAULT_PRESENTATION = "Presentations\\KestrelVale.txt";
const char* const HINTS_TEXTURE = "Textures\\Hints.tga";
const char* const WINDOWS_TEXTURE = "Textures\\Windows.tga";
constexpr int MAX_BUILDINGS = 256;
// The selector's place at the top of the control column.
constexpr int SELECTOR_RIGHT_OFFSET = 240;
constexpr int SELECTOR_TOP = 2;

void SeedRandom()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    srand(unsigned(counter.LowPart & 0x7FFF));
}

} // namespace

TArray<CMyBuilding*> gBuildings;
CMyBuilding* gCurBuilding = nullptr;
IDirect3DTexture9* gHintsTex = nullptr;
IDirect3DTexture9* gWindowsTex = nullptr;
CBaseWin* gPresentationWin = nullptr;

// The control column is built here once it exists; until then the windows only learn
// their meshes.
void OnPresentationLoaded(int)
{
    gBuildings.ForEach(&CMyBuilding::SetFloorWindowMeshes);
}

// Only the empty window: the list is not offered, so the default presentation is shown.
void CreatePresentationSelector()
{
    if (!gWindowsTex) gWindowsTex = LoadTexture(WINDOWS_TEXTURE);
    gPresentationWin = gWinSuperior.AddWin(AppWindowConfig.width - SELECTOR_RIGHT_OFFSET, SELECTOR_TOP, 0, 0,
                                           nullptr, nullptr, 0, 0, 0, 0, 0, WIN_CONTAINER);
    // A container becomes the origin of the windows added after it; the column's windows
    // are placed on the screen.
    gWinSuperior.ResetOrigin();
}

int AppInitBeforeWindow()
{
    ReadApplicationConfig();
    gCore.EnableWindowMode();
    return 0;
}

// The engine with the developer panel.
int AppStart()
{
    SeedRandom();
    if (CreateEngine(ENGINE_DEVELOPER_PANEL | 0x1) != 0 || gIParser->LoadScript("Scripts/Start.txt") != 0) {
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
    gIMissionLoader->SetStartCallback(OnPresentationLoaded);
    gIUnitInspector->SetUserClassFactory(CreateUserUnit);
    gBuildings.Init(MAX_BUILDINGS, true);
    CreatePresentationSelector();
    gHintsTex = LoadTexture(HINTS_TEXTURE);
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

static void ReleaseTexture(IDirect3DTexture9*& texture)
{
    if (texture) texture->Release();
    texture = nullptr;
}

// The buildings go with the engine's units; the window manager owns the selector window.
void AppExit()
{
    DestroyEngine();
    gBuildings.Clear();
    gCurBuilding = nullptr;
    gPresentationWin = nullptr;
    ReleaseTexture(gHintsTex);
    ReleaseTexture(gWindowsTex);
}
