#include "app/Column.h"

#include "app/Application.h"
#include "app/Binders.h"
#include "app/FlatShow.h"
#include "app/Hints.h"
#include "app/MyBuilding.h"
#include "app/Texts.h"
#include "core/Config.h"
#include "core/Graphics.h"
#include "core/Messages.h"
#include "engine/MissionLoader.h"
#include "engine/TexContainer.h"
#include "engine/Variables.h"
#include "gui/Label.h"
#include "gui/MyButton.h"
#include "gui/WinSuperior.h"

namespace {

const char* const HOUSING_TEXTURE = "HousingTex";
constexpr uint32_t ADDRESS_COLOUR = 0xDDFFFFFF;
constexpr D3DCOLOR PANEL_FILL = 0xFF505050, PANEL_EDGE = 0xFFB0B0B0;
// The control panel at the bottom of the column and its two buttons.
constexpr int PANEL_RIGHT_OFFSET = 247, PANEL_BOTTOM_OFFSET = 126;
const CIntRect PANEL_PICTURE{0, 19, 243, 141};
const CIntRect SHOW_FLAT_PICTURE{0, 238, 38, 255};
const CIntRect DAY_NIGHT_PICTURE{79, 238, 103, 255};
constexpr int SHOW_FLAT_X = 11, DAY_NIGHT_X = 54, BUTTONS_Y = 11;
constexpr int TOP_VIEW_BELOW_SELECTOR = 30;

// A rectangle variable of the presentation; a missing or short one leaves it empty.
CIntRect MissionRect(const char* name)
{
    // A value may be longer than a rectangle (a long string is 129 words): four are taken.
    int32_t words[4] = {};
    CIntRect rect;
    if (gIMissionLoader && gIMissionLoader->GetMissionVariable(name, words, 4) >= 0)
        rect = CIntRect(words[0], words[1], words[2], words[3]);
    return rect;
}

// The running presentation's "HousingTex"; null when it has none.
IDirect3DTexture9* HousingTexture()
{
    const uint16_t housing = gITexContainer ? gITexContainer->FindTexture(HOUSING_TEXTURE) : 0;
    return housing ? gITexContainer->GetTexture(housing) : nullptr;
}

// The highlight shows a building's picture, which went with the last presentation.
void CreateTopView()
{
    gWinSuperior.DeleteWin(&gTopViewWin);
    gWinSuperior.DeleteWin(&gTopViewSelWin);
    if (!gHousingTex || !gPresentationWin) return;
    gTopViewWin = AddPictureWin(gPresentationWin->left, gPresentationWin->top + TOP_VIEW_BELOW_SELECTOR, gHousingTex,
                                gTopViewWinRect, 0, 0);
    gTopViewWin->Show(1);
    for (int i = 0; i < gBuildings.Count(); ++i)
        if (gBuildings[i]) gBuildings[i]->AddTopViewButton(gTopViewWin->left, gTopViewWin->top);
}

CMyButton* AddColumnButton(int x, const CIntRect& picture)
{
    CMyButton* button = gWinSuperior.AddButton(x, BUTTONS_Y, picture.Width(), picture.Height(), nullptr, gWindowsTex,
                                               picture.left, picture.top, picture.right, picture.bottom, KEY_ON_RELEASE,
                                               0);
    button->SetHoverColours(BUTTON_NORMAL, BUTTON_TO_NORMAL, BUTTON_HOVER, BUTTON_TO_HOVER);
    return button;
}

// The panel and its buttons are made again for every presentation.
void CreateButtonPanel()
{
    gWinSuperior.DeleteWin(&gControlPanel);
    gControlPanel = AddPictureWin(AppWindowConfig.width - PANEL_RIGHT_OFFSET,
                                  AppWindowConfig.height - PANEL_BOTTOM_OFFSET, gWindowsTex, PANEL_PICTURE, 0,
                                  WIN_CONTAINER);
    gShowFlatButton = AddColumnButton(SHOW_FLAT_X, SHOW_FLAT_PICTURE);
    BindClickDelegate(gShowFlatButton, gCurBuilding, &CMyBuilding::ToggleFlatShow);
    gShowFlatButton->SetHint(SHOW_FLAT_HINT);
    SetClickFallback(gShowFlatButton, ShowChooseBuildingMessage);
    gDayNightButton = AddColumnButton(DAY_NIGHT_X, DAY_NIGHT_PICTURE);
    gDayNightButton->fnOnClick = SwitchDayNight;
    gDayNightButton->SetFrames(2);
    gWinSuperior.ResetOrigin();
    gControlPanel->AddChilds(gShowFlatButton, gDayNightButton, nullptr);
    gControlPanel->Show(1);
}

} // namespace

IDirect3DTexture9* gHousingTex = nullptr;
CBaseWin* gTopViewWin = nullptr;
CBaseWin* gTopViewSelWin = nullptr;
CBaseWin* gFloorLabel = nullptr;
CBaseWin* gSelFloorLabel = nullptr;
CLabel* gAddressLabel = nullptr;
CBaseWin* gControlPanel = nullptr;
CBaseWin* gShowFlatButton = nullptr;
CBaseWin* gDayNightButton = nullptr;
CBaseWin* gFlatInfoWin = nullptr;
CLabel* gFlatInfoLabels[FLAT_INFO_LABELS] = {};
int32_t gFlatInfoX = 0, gFlatInfoY = 0;
bool gFlatInfoRoomTold = false, gFlatButtonRoomTold = false;
CIntRect gTopViewWinRect, gFloorNumberRect, gSelFloorNumberRect;
CFloor* gSelFloor = nullptr;
int32_t gFloorHover = 0;

void DrawPanelFrame(const CIntRect& rect)
{
    gGraphics.ClearRect(rect.left, rect.top, rect.right + 1, rect.bottom + 1, PANEL_FILL);
    gGraphics.DrawRectXY(rect.left, rect.top, rect.right, rect.bottom, PANEL_EDGE);
}

CFont* ColumnFont(int number) { return &gGraphics.fonts[number - 1]; }

CBaseWin* AddPictureWin(int x, int y, IDirect3DTexture9* texture, const CIntRect& rect, uint32_t trigger,
                        uint32_t flags)
{
    return gWinSuperior.AddWin(x, y, rect.Width(), rect.Height(), nullptr, texture, rect.left, rect.top, rect.right,
                               rect.bottom, trigger, flags);
}

void OnPresentationLoaded(int)
{
    gWinSuperior.DeleteWin(&gFloorLabel);
    gWinSuperior.DeleteWin(&gSelFloorLabel);
    gHousingTex = HousingTexture();
    gTopViewWinRect = MissionRect("TopViewWinRect:");
    gFloorNumberRect = MissionRect("FloorNumberRect:");
    gSelFloorNumberRect = MissionRect("SelFloorNumberRect:");
    gWinSuperior.ResetOrigin();
    if (gHousingTex) {
        const CIntRect& f = gFloorNumberRect;
        const CIntRect& s = gSelFloorNumberRect;
        gFloorLabel = gWinSuperior.AddWin(0, 0, 0, 0, nullptr, gHousingTex, f.left, f.top, f.right, f.bottom, 0, 0);
        gSelFloorLabel = gWinSuperior.AddWin(0, 0, 0, 0, nullptr, gHousingTex, s.left, s.top, s.right, s.bottom, 0, 0);
    }
    if (!gAddressLabel)
        gAddressLabel = gWinSuperior.AddLabel(0, 0, &gGraphics.fonts[1], "Address", ADDRESS_COLOUR, 0);
    HideAddress();
    gBuildings.ForEach(&CMyBuilding::SetFloorWindowMeshes);
    gFloorHover = 0;
    ResetFlatShow();
    CreateControlPanel();
}

// The column's picture goes with the presentation that loaded it. When that one ended and
// none started in its place, the column is made again as for a presentation without it.
void CheckColumnPicture()
{
    if (gHousingTex && HousingTexture() != gHousingTex) OnPresentationLoaded(0);
}

void CreateControlPanel()
{
    gWinSuperior.ResetOrigin();
    CreateTopView();
    CreateButtonPanel();
}

void ShowChooseBuildingMessage() { MsgBox(CHOOSE_BUILDING_TEXT); }

void HideAddress()
{
    if (!gAddressLabel) return;
    gAddressLabel->SetText("");
    gAddressLabel->Hide(0);
}

void DeleteColumnWindows()
{
    for (CBaseWin** win : {&gTopViewWin, &gTopViewSelWin, &gFloorLabel, &gSelFloorLabel, &gControlPanel, &gFlatInfoWin})
        gWinSuperior.DeleteWin(win);
    CBaseWin* address = gAddressLabel;
    gWinSuperior.DeleteWin(&address);
    gAddressLabel = nullptr;
    gShowFlatButton = gDayNightButton = nullptr;  // children of the control panel
    for (CLabel*& label : gFlatInfoLabels)
        label = nullptr;
    gFlatInfoRoomTold = gFlatButtonRoomTold = false;
    gWinSuperior.DeleteWin(&gHintWin);
}
