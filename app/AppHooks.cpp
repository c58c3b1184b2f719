#include "core/AppHooks.h"

#include "app/Application.h"
#include "app/Column.h"
#include "app/FlatShow.h"
#include "app/Hints.h"
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
constexpr int MAX_BUILDINGS = 256;

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
    if (!gIEngine) return;
    gIEngine->Process();
    CheckColumnPicture();
}

void AppRender()
{
    if (!gIEngine)
        return;
    gIEngine->Render();
    gGraphics.ClearRect(AppWindowConfig.width - COLUMN_WIDTH, 0, AppWindowConfig.width,
                        AppWindowConfig.height, COLUMN_COLOUR);
    if (gCurBuilding) gCurBuilding->DrawPanel();
}

static void ReleaseTexture(IDirect3DTexture9*& texture)
{
    if (texture) texture->Release();
    texture = nullptr;
}

// The buildings take their own windows with them; the column's shared windows go here, so
// that a later start begins with an empty column.
void AppExit()
{
    DestroyEngine();
    gBuildings.Clear();
    gCurBuilding = nullptr;
    DeleteColumnWindows();
    DeleteSelectorWindows();
    gHousingTex = nullptr;  // went with the engine
    ResetFlatShow();
    gHintsShown = 0;
    ReleaseTexture(gHintsTex);
    ReleaseTexture(gWindowsTex);
}
