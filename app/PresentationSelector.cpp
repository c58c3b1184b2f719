// The presentation selector at the top of the control column: its window, and the list of
// presentations that a bar and a drop-down button would open.

#include "app/Application.h"

#include "app/Column.h"
#include "app/FlatShow.h"
#include "app/Floor.h"
#include "app/Texts.h"
#include "core/Config.h"
#include "core/Graphics.h"
#include "core/Textures.h"
#include "engine/MissionLoader.h"
#include "gui/Label.h"
#include "gui/MyButton.h"
#include "gui/WinSuperior.h"

#include <algorithm>
#include <vector>

namespace {

const char* const WINDOWS_TEXTURE = "Textures\\Windows.tga";
// The selector's place at the top of the control column.
constexpr int SELECTOR_RIGHT_OFFSET = 240;
constexpr int SELECTOR_TOP = 2;
const CIntRect BAR_PICTURE{18, 0, 240, 15};
const CIntRect BUTTON_PICTURE{0, 0, 16, 17};
const CIntRect ENTRY_PICTURE{18, 0, 241, 15};
constexpr int BAR_WIDTH = 223, BAR_HEIGHT = 16, BUTTON_X = 222, BUTTON_Y = -1, BUTTON_WIDTH = 17,
              BUTTON_HEIGHT = 18;
constexpr int CAPTION_X = 49, CAPTION_Y = 3, ENTRY_STEP = 15, TITLE_X = 6, TITLE_Y = 1;
constexpr uint32_t CAPTION_COLOUR = 0xFF000000, TITLE_COLOUR = 0xA0000000, TITLE_HOVER_COLOUR = 0xFF000000;

CFont* SelectorFont() { return &gGraphics.fonts[1]; }

std::vector<CMission*>* MissionList()
{
    std::vector<CMission*>* list = nullptr;
    if (gIMissionLoader) gIMissionLoader->GetMissionList(&list);
    return list;
}

void DeleteEntries()
{
    for (int i = 0; i < MAX_PRESENTATIONS; ++i) {
        gWinSuperior.DeleteWin(&gPresentationButtons[i]);
        gPresentationLabels[i] = nullptr;  // deleted with its entry
    }
}

} // namespace

CBaseWin* gPresentationWin = nullptr;
CBaseWin* gSelectorBar = nullptr;
CBaseWin* gSelectorButton = nullptr;
CLabel* gSelectorCaption = nullptr;
CBaseWin* gPresentationButtons[MAX_PRESENTATIONS] = {};
CLabel* gPresentationLabels[MAX_PRESENTATIONS] = {};

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

void CreateSelectorBar()
{
    if (!gPresentationWin || gSelectorBar) return;
    gWinSuperior.SetOrigin(gPresentationWin, gPresentationWin->left, gPresentationWin->top);
    const CIntRect& b = BAR_PICTURE;
    gSelectorBar = gWinSuperior.AddWin(0, 0, BAR_WIDTH, BAR_HEIGHT, ShowPresentationList, gWindowsTex, b.left, b.top,
                                       b.right, b.bottom, KEY_ON_RELEASE, 0);
    const CIntRect& d = BUTTON_PICTURE;
    gSelectorButton = gWinSuperior.AddButton(BUTTON_X, BUTTON_Y, BUTTON_WIDTH, BUTTON_HEIGHT, ShowPresentationList,
                                             gWindowsTex, d.left, d.top, d.right, d.bottom, KEY_ON_RELEASE, 0);
    gSelectorCaption = gWinSuperior.AddLabel(CAPTION_X, CAPTION_Y, SelectorFont(), SELECTOR_CAPTION, CAPTION_COLOUR, 0);
    gPresentationWin->AddChilds(gSelectorBar, gSelectorButton, gSelectorCaption, nullptr);
    gWinSuperior.ResetOrigin();
    gPresentationWin->Show(1);
}

void ShowPresentationList()
{
    std::vector<CMission*>* list = MissionList();
    if (!list || !gPresentationWin) return;
    DeleteEntries();
    const int count = std::min(int(list->size()), MAX_PRESENTATIONS);
    for (int i = 0; i < count; ++i) {
        gWinSuperior.SetOrigin(gPresentationWin, gPresentationWin->left, gPresentationWin->top);
        const CIntRect& e = ENTRY_PICTURE;
        CBaseWin* entry = gWinSuperior.AddWin(0, ENTRY_STEP * (i + 1), BAR_WIDTH, BAR_HEIGHT, nullptr, gWindowsTex,
                                              e.left, e.top, e.right, e.bottom, KEY_ON_RELEASE, WIN_CONTAINER);
        entry->SetHoverColours(BUTTON_NORMAL, BUTTON_TO_NORMAL, BUTTON_HOVER, BUTTON_TO_HOVER);
        entry->SetUserData(uintptr_t(i), 0);
        entry->fnOnHover = OnPresentationHover;
        entry->fnOnClick = OnPresentationClick;
        gPresentationLabels[i] = gWinSuperior.AddLabel(TITLE_X, TITLE_Y, SelectorFont(), (*list)[i]->title.c_str(),
                                                       TITLE_COLOUR, 0);
        entry->AddChilds(gPresentationLabels[i], nullptr);
        gPresentationButtons[i] = entry;
        entry->Show(1);
    }
    gWinSuperior.ResetOrigin();
}

void OnPresentationHover()
{
    CBaseWin* hovered = gWinSuperior.pWinUnderMouse;
    for (int i = 0; i < MAX_PRESENTATIONS; ++i) {
        if (!gPresentationLabels[i]) continue;
        const uint32_t colour = gPresentationButtons[i] == hovered ? TITLE_HOVER_COLOUR : TITLE_COLOUR;
        gPresentationLabels[i]->color = colour;
    }
}

void OnPresentationClick()
{
    CBaseWin* clicked = gWinSuperior.pWinUnderMouse;
    std::vector<CMission*>* list = MissionList();
    if (!clicked || !list) return;
    uintptr_t index = 0;
    clicked->GetUserData(&index, 0);
    if (index >= list->size()) return;
    const CMission chosen = *(*list)[index];
    DeleteEntries();  // the clicked entry among them
    if (gSelectorCaption) gSelectorCaption->SetText(chosen.title.c_str());
    gBuildings.Clear();
    gCurBuilding = nullptr;
    if (gSelFloor) gSelFloor->Deselect();
    gSelFloor = nullptr;
    gShownFloor = nullptr;
    gIMissionLoader->StartMission(chosen.file);
}

void DeleteSelectorWindows()
{
    DeleteEntries();
    gWinSuperior.DeleteWin(&gPresentationWin);
    gSelectorBar = gSelectorButton = nullptr;
    gSelectorCaption = nullptr;
}
