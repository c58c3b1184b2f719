#include "core/Core.h"

#include "core/AppHooks.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Sound.h"
#include "gui/WinSuperior.h"

#include <cstdio>
#include <cstring>

SAppWindowConfig AppWindowConfig;
int32_t gSoundMode;
int32_t gForceBufferWH;
char gBaseDir[500];
int32_t USE_MOUSE;

CCore gCore;
int32_t& gExitCode = gCore.exitCode;
char* const gTexturesPath = gCore.texturesPath;

namespace {
const char DEFAULT_MESH_DIR[] = "Meshes\\";
const char DEFAULT_TEXTURE_DIR[] = "Textures\\";
const char DEFAULT_ANIM_DIR[] = "Animations\\";

struct CoreDefaults {
    CoreDefaults() { ResetCoreSettings(); }
} gCoreDefaults;
} // namespace

void ResetCoreSettings()
{
    AppWindowConfig = SAppWindowConfig{};
    gSoundMode = SOUND_NONE;
    gForceBufferWH = 0;
    USE_MOUSE = MOUSE_NONE;
    gCore.windowMode = 0;
    gCore.exitCode = 0;
    strcpy(gCore.meshDir, DEFAULT_MESH_DIR);
    strcpy(gCore.texturesPath, DEFAULT_TEXTURE_DIR);
    strcpy(gCore.animDir, DEFAULT_ANIM_DIR);
    gCore.debugLineCount = 0;
    gCore.debugX = 10;
    gCore.debugY = 120;
}

int CCore::ReadScreenSize()
{
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    return 0;
}

void CCore::InitStatistic(int x, int y, int flags)
{
    statistic.Init(x, y, flags);
}

void CCore::RenderFrame()
{
    if (!Device3D)
        return;
    debugLineCount = 0;
    if (windowMode) {
        AppProcess();
        gWinSuperior.Process();
    }
    gGraphics.BeginFrame();
    if (windowMode)
        AppRender();
    else
        AppProcess();
    gGraphics.SetColorWrite(15);
    gGraphics.BlendOff();
    gGraphics.SetZFunc(D3DCMP_LESSEQUAL);
    if (windowMode)
        gWinSuperior.DrawWins();
    else
        gWinSuperior.ProcessAndDraw();
    gSoundManager.CommitListener();
    statistic.Draw();
    gGraphics.DrawCursor();
    if (debugLineCount)
        DrawDebugLines();
    gGraphics.EndScene();
    gInput.wheelDelta = 0;
}

void CCore::AppendDebugLine(const char* text)
{
    if (debugLineCount >= DEBUG_LINE_COUNT)
        return;
    snprintf(debugLines[debugLineCount++], DEBUG_LINE_SIZE, "%s", text);
}

void CCore::AddDebugLine(const int* table, int index)
{
    if (table)
        AddDebugLineInt(table[index]);
}

void CCore::AddDebugLineInt(int value)
{
    AddDebugLineLabelInt(nullptr, value);
}

void CCore::AddDebugLineLabelInt(const char* label, int value)
{
    char text[DEBUG_LINE_SIZE];
    snprintf(text, sizeof text, "%s%d", label ? label : "", value);
    AppendDebugLine(text);
}

void CCore::AddDebugLineLabelFloat(const char* label, float value)
{
    char text[DEBUG_LINE_SIZE];
    snprintf(text, sizeof text, "%s%.5f", label ? label : "", double(value));
    AppendDebugLine(text);
}

void CCore::DrawDebugLines()
{
    RECT r = {debugX, debugY, debugX + 200, debugY + 200};
    for (int i = 0; i < debugLineCount; ++i) {
        gGraphics.DrawText(2, debugLines[i], r, 0xFFEEEEEE);
        r.top += 12;
        r.bottom += 12;
    }
}
