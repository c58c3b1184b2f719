#include "engine/Engineer.h"

#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Messages.h"
#include "core/Textures.h"
#include "core/UsageParams.h"
#include "engine/Engine.h"
#include "gui/RadioBox.h"
#include "gui/TextList.h"
#include "gui/TextListDiag.h"
#include "gui/WinSuperior.h"

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
    return 0;
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
                                             UNITS_ROWS, UNITS_ROW_HEIGHT, 0);
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
    if (wireframe)
        gGraphics.SetWireframe(false);
}
