#include "engine/Engineer.h"

#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/GraphicsBuffers.h"
#include "core/Input.h"
#include "core/Messages.h"
#include "core/Textures.h"
#include "core/UsageParams.h"
#include "core/Meshes/Mesh.h"
#include "engine/ArrayContainer.h"
#include "engine/Engine.h"
#include "engine/MapContainer.h"
#include "gui/RadioBox.h"
#include "gui/TextList.h"
#include "gui/TextListDiag.h"
#include "gui/WinSuperior.h"
#include "scene/Renderer.h"

#include <algorithm>
#include <type_traits>

CEngineer* gEngineer = nullptr;
IEngineer* gIEngineer = nullptr;

namespace {

const char PANEL_TEXTURE[] = "Developer\\MainPanel.tga";
const char UNITS_LIST_TITLE[] = "Units in world...";
constexpr uint8_t STEP_KEY = DIK_GRAVE;
constexpr uint32_t CAPTION_COLOUR = 0xBBFFFFFF;
constexpr uint32_t CHECKS_NORMAL = 0x88FFFFFF, CHECKS_HOVER = 0xAAFFFFFF;
constexpr uint32_t CHECKS_ROW_HOVER = 0xFFFFFFFF;
constexpr float CHECKS_FADE = 0.2f;
// The view-check rows: 15 pixels apart, 6 of them, the mark at each row's corner.
constexpr int CHECK_ROW_HEIGHT = 15, CHECK_ROWS = 6;
// The units list: 2048 names of up to 63 characters, 16 rows of 12 pixels.
constexpr int UNITS_CAPACITY = 2048, UNITS_ITEM_WIDTH = 64, UNITS_ROWS = 16,
              UNITS_ROW_HEIGHT = 12;
constexpr uint32_t UNITS_TEXT = 0xBBFFFFFF, UNITS_HOVER = 0xFF00FF00,
                   UNITS_SELECTED = 0xFF0080FF;
constexpr uint32_t UNITS_BUTTON_NORMAL = 0x66FFFFFF, UNITS_BUTTON_HOVER = 0xBBFFFFFF;

// The overlay: positions through the transposed view-projection in c0..c3, colour as is.
const char OVERLAY_SHADER[] = "vs_1_1  dcl_position v0; \n   dcl_color v1; \n"
                              "   m4x4 oPos,v0,c0 \n   mov oD0,v1";
// A quad covers most of its cell, so neighbouring cells stay apart.
constexpr float OVERLAY_HALF_CELL = 0.45f;
constexpr bool OVERLAY_SHORT_INDICES = OVERLAY_VERTICES <= 65536;
using OverlayIndex = std::conditional_t<OVERLAY_SHORT_INDICES, uint16_t, uint32_t>;
// Two triangles per quad, by corner: 0 and 1 along the far edge, 2 and 3 along the near one.
constexpr int QUAD_CORNERS[6] = {2, 3, 0, 1, 0, 3};

template <class Window>
void Bind(Window* win, CEngineer* engineer, void (CEngineer::*method)())
{
    delete win->pOnClick;
    win->pOnClick = new CDelegate<CEngineer>(engineer, method);
}

} // namespace

CEngineer::~CEngineer()
{
    gInput.RemoveTable(&toggleTable);
    DeleteUnitsList();
    ReleaseAndClear(overlayVB);
    ReleaseAndClear(overlayIB);
    ReleaseShaderPair(overlayShader);
    gWinSuperior.DeleteWin(&root);
    caption = body = nullptr;
    viewChecks = nullptr;
    if (panelTexture)
        panelTexture->Release();
    if (gEngineer == this)
        gEngineer = nullptr;
}

int CEngineer::Init()
{
    ResetUsageParams();
    panelTexture = LoadTexture(PANEL_TEXTURE);
    if (!panelTexture) {
        // The program ends on this result: it says why.
        MsgBox3("CEngineer::Init Error:  can`t load texture '", PANEL_TEXTURE, "'.");
        return -1;
    }
    CreateWindows();
    toggleKey.Set(DIK_Q, KEY_ON_RELEASE, nullptr);
    toggleKey.SetDelegate(new CDelegate<CEngineer>(this, &CEngineer::TogglePanel));
    toggleTable.count = 0;
    toggleTable.Fill(&toggleKey);
    gInput.PushTable(&toggleTable);
    CreateOverlay();
    return 0;
}

// Buffers for one quad per cell of the window, its triangles written once; the vertices are
// rewritten every frame the overlay is drawn. Without them the overlay is not drawn.
void CEngineer::CreateOverlay()
{
    overlayVB = CreateVB(OVERLAY_VERTICES * sizeof(SOverlayVertex), OVERLAY_FVF);
    const UINT indexBytes = OVERLAY_TRIANGLES * 3 * sizeof(OverlayIndex);
    overlayIB = OVERLAY_SHORT_INDICES ? CreateIB16(indexBytes) : CreateIB32(indexBytes);
    void* data = nullptr;
    if (overlayIB)
        LockIB(overlayIB, &data);
    if (data) {
        auto* index = static_cast<OverlayIndex*>(data);
        for (int quad = 0; quad < OVERLAY_COLUMNS * OVERLAY_ROWS; ++quad)
            for (int corner : QUAD_CORNERS)
                *index++ = OverlayIndex(quad * 4 + corner);
        UnlockIB();
    } else {
        ReleaseAndClear(overlayVB);
    }
    overlayShader = gGraphics.CreateVertexShaderFromString(OVERLAY_SHADER);
}

// Root, caption with the body inside it and the view checks inside the body; all hidden
// until the panel is toggled on.
void CEngineer::CreateWindows()
{
    CWinSuperior& ws = gWinSuperior;
    ws.ResetOrigin();
    root = ws.AddWin(0, 0, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, WIN_CONTAINER);
    caption = ws.AddWin(0, 0, 256, 18, nullptr, panelTexture, 0, 320, 255, 337, KEY_ON_RELEASE,
                        0);
    caption->SetFrames(2);
    caption->SetCaption("View checks", &gGraphics.fonts[0], CAPTION_COLOUR, 75, 5);
    Bind(caption, this, &CEngineer::OnCaptionClick);
    ws.SetOrigin(caption, caption->left, caption->top);
    body = ws.AddWin(0, 19, 256, 152, nullptr, panelTexture, 0, 0, 255, 150, 0, 0);
    body->SetOverlay(0, 150, 0, 307, 255, 308);
    ws.SetOrigin(body, body->left, body->top);
    viewChecks = ws.AddCheckBox(10, 10, 145, 86, nullptr, 0, 0,
                                CHECK_ROW_HEIGHT, panelTexture, RECT{256, 12, 400, 97}, 0,
                                RECT{256, 1, 264, 9}, 0, CHECK_ROWS);
    viewChecks->SetHoverColours(CHECKS_NORMAL, CHECKS_FADE, CHECKS_HOVER, CHECKS_FADE,
                                CHECKS_ROW_HOVER);
    Bind(viewChecks, this, &CEngineer::OnViewChecks);
    body->AddChilds(viewChecks, nullptr);
    caption->AddChilds(body, nullptr);
    root->AddChilds(caption, nullptr);
    ws.ResetOrigin();
}

void CEngineer::TogglePanel()
{
    if (!root)
        return;
    if (root->flags & WIN_VISIBLE) {
        root->Hide(0);
        return;
    }
    root->Show(1);
    // A folded caption keeps its body folded.
    if (caption->currentFrame != 0)
        body->Hide(0);
}

void CEngineer::OnCaptionClick()
{
    if (caption->currentFrame == 0)
        body->Show(1);
    else
        body->Hide(0);
}

void CEngineer::OnViewChecks()
{
    const uint32_t mask = viewChecks->selectedMask;
    wireframe = (mask & VIEW_WIREFRAME) != 0;
    blankShadowMaps = (mask & VIEW_BLANK_SHADOWS) != 0;
    validMapOverlay = (mask & VIEW_VALID_MAP) != 0;
    if (mask & VIEW_UNITS_LIST)
        OpenUnitsList();
    else
        CloseUnitsList();
}

void CEngineer::OpenUnitsList()
{
    if (unitsList)
        return;
    CDiagCaption record;
    record.columns = 4;
    record.bodyRows = 3;
    record.hasScrollBar = 1;
    record.listX = 15;
    record.listY = 30;
    record.captionText = UNITS_LIST_TITLE;
    record.captionColor = 0xFFFFFFFF;
    record.hasCloseButton = 1;
    record.buttonNormalColor = UNITS_BUTTON_NORMAL;
    record.buttonHoverColor = UNITS_BUTTON_HOVER;
    gWinSuperior.ResetOrigin();
    unitsList = gWinSuperior.AddTextListDiag(unitsListX, unitsListY, record, nullptr,
                                             &gGraphics.fonts[0], UNITS_TEXT, UNITS_HOVER,
                                             UNITS_SELECTED, UNITS_CAPACITY, UNITS_ITEM_WIDTH,
                                             UNITS_ROWS, UNITS_ROW_HEIGHT, 0,
                                             &unitsListRoomTold);
    if (!unitsList) {
        // No room in the window list (said): the check goes off with nothing shown.
        if (viewChecks)
            viewChecks->selectedMask &= ~uint32_t(VIEW_UNITS_LIST);
        return;
    }
    unitsList->onClose = OnUnitsListClosed;
    unitsList->Show(1);
}

// The dialog's place is kept for the next time it opens.
void CEngineer::CloseUnitsList()
{
    if (!unitsList)
        return;
    unitsListX = unitsList->left;
    unitsListY = unitsList->top;
    DeleteUnitsList();
}

void CEngineer::DeleteUnitsList()
{
    CBaseWin* dialog = unitsList;
    unitsList = nullptr;
    gWinSuperior.DeleteWin(&dialog);
}

// The close button of the dialog unticks its view check.
void CEngineer::OnUnitsListClosed()
{
    CEngineer* engineer = gEngineer;
    if (!engineer || !engineer->viewChecks)
        return;
    engineer->viewChecks->selectedMask &= ~uint32_t(VIEW_UNITS_LIST);
    engineer->CloseUnitsList();
}

bool CEngineer::ListsUnits() const
{
    return unitsList && unitsList->list && (unitsList->flags & WIN_VISIBLE);
}

// The top row stays, so the list can be read while it is refilled every frame.
void CEngineer::ClearUnitNames()
{
    if (ListsUnits())
        unitsList->list->Clear(false);
}

void CEngineer::AddUnitName(const char* name)
{
    if (ListsUnits())
        unitsList->AddItem(name);
}

void CEngineer::Update()
{
    if (!gEngine)
        return;
    if (gInput.keys[STEP_KEY] & 0x80) {
        holdTime += gFrameTimer.step;
        if (holdTime >= ENGINEER_LONG_HOLD) {
            // Running while held: at full speed, whatever the last step left.
            longHold = 1;
            gEngine->paused = 0;
            gEngine->timeScale = 1.0f;
        }
        return;
    }
    if (longHold) {
        longHold = 0;
        pauseState = RUNNING;
    } else {
        if (holdTime > 0.0f && holdTime < ENGINEER_LONG_HOLD)
            TapReleased();
        if (pauseState == STEP_PENDING) {
            pauseState = STEP_RUNNING;
        } else if (pauseState == STEP_RUNNING) {
            pauseState = PAUSED;
            gEngine->paused = 1;
        }
    }
    holdTime = 0.0f;
}

// The first tap pauses, the next one runs one slow step (slower with Shift). The step's
// time scale already applies to the frame being processed.
void CEngineer::TapReleased()
{
    if (pauseState == RUNNING) {
        pauseState = PAUSED;
        gEngine->paused = 1;
    } else if (pauseState == PAUSED) {
        pauseState = STEP_PENDING;
        gEngine->paused = 0;
        gEngine->timeScale = gInput.ShiftDown() ? ENGINEER_SHIFT_STEP_SCALE : ENGINEER_STEP_SCALE;
        gEngine->frameTime = gFrameTimer.step * gEngine->timeScale;
    }
}

void CEngineer::ApplyViewChecks()
{
    gGraphics.SetWireframe(wireframe != 0);
}

// The windows and the column are drawn after the units: never as wireframe.
void CEngineer::Draw()
{
    gGraphics.SetWireframe(false);
    DrawDebugLines();
}

void CEngineer::DrawDebugLines()
{
    if (!overlayVB || !overlayShader.vs || !validMapOverlay || !gEngine || !gMapContainer)
        return;
    const CUserArray* valid = gEngine->validMap;
    CGameMap* map = gMapContainer->GetMap(gEngine->currentMap);
    if (!map || !valid || !valid->cells)
        return;
    auto* vertices = static_cast<SOverlayVertex*>(LockVB(overlayVB));
    if (!vertices) {
        // Said once: the check goes off rather than a message every frame.
        validMapOverlay = 0;
        if (viewChecks)
            viewChecks->selectedMask &= ~uint32_t(VIEW_VALID_MAP);
        return;
    }
    const int quads = WriteOverlayQuads(*map, *valid, vertices);
    UnlockVB();
    if (quads)
        DrawOverlay(quads);
}

// The window is clipped to the map (and to the array, which has the map's size).
int CEngineer::WriteOverlayQuads(CGameMap& map, const CUserArray& valid, SOverlayVertex* out) const
{
    const SMapPos& centre = gEngine->cameraCell;
    const int width = std::min(map.Width(), valid.width), height = std::min(map.Height(), valid.height);
    const int x0 = std::max(0, centre.x - OVERLAY_COLUMNS / 2);
    const int x1 = std::min(width - 1, centre.x + OVERLAY_COLUMNS / 2);
    const int z0 = std::max(0, centre.z - OVERLAY_ROWS / 2);
    const int z1 = std::min(height - 1, centre.z + OVERLAY_ROWS / 2);
    int quads = 0;
    SMapPos cell;
    for (cell.z = z0; cell.z <= z1; ++cell.z)
        for (cell.x = x0; cell.x <= x1; ++cell.x) {
            if (!valid.cells[size_t(cell.z) * size_t(valid.width) + size_t(cell.x)])
                continue;
            D3DXVECTOR4 at(0, 0, 0, 1);
            map.GetFPos_XZ_ByPos4(&at, cell);
            const float y = map.GetFAltByPos4(cell);
            const float left = at.x - OVERLAY_HALF_CELL, right = at.x + OVERLAY_HALF_CELL;
            const float nearZ = at.z - OVERLAY_HALF_CELL, farZ = at.z + OVERLAY_HALF_CELL;
            *out++ = {left, y, farZ, OVERLAY_COLOUR};
            *out++ = {right, y, farZ, OVERLAY_COLOUR};
            *out++ = {left, y, nearZ, OVERLAY_COLOUR};
            *out++ = {right, y, nearZ, OVERLAY_COLOUR};
            ++quads;
        }
    return quads;
}

// Flat colour over whatever is drawn in the 3D view: no culling, blending, alpha test,
// textures or depth.
void CEngineer::DrawOverlay(int quads)
{
    CGraphics& g = gGraphics;
    if (gRenderer)
        g.SetViewportEx(gRenderer->viewport);
    g.CullNone();
    g.BlendOff();
    g.AlphaTestOff();
    g.ResetTextures();
    g.SetStageDiffuse();
    g.SetZEnable(false);
    g.SetZWrite(false);
    g.SetColorWrite(0xF);
    g.SetPixelShader(nullptr);
    g.SetVertexShader(&overlayShader);
    g.SetFVF(OVERLAY_FVF);
    D3DXMATRIX viewProj;
    D3DXMatrixMultiply(&viewProj, &g.view, &g.projection);
    D3DXMatrixTranspose(&viewProj, &viewProj);
    Device3D->SetVertexShaderConstantF(0, viewProj, 4);
    if (SUCCEEDED(g.SetBuffers(overlayVB, sizeof(SOverlayVertex), overlayIB)))
        Device3D->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, UINT(quads * 4), 0, UINT(quads * 2));
    g.RestoreRenderStates();
    g.RestoreViewport();
}
