#include "app/Flat.h"

#include "app/Application.h"
#include "app/Binders.h"
#include "app/Column.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "engine/TexContainer.h"
#include "gui/Label.h"
#include "gui/MyButton.h"
#include "gui/WinSuperior.h"

#include <cstdio>
#include <cstring>

namespace {

// The figures on a flat's button, relative to its label position.
constexpr int AREA_X = 14, AREA_ABOVE = 4, AREA_BELOW = 9, UNDERLINE_X = 13, UNDERLINE_ABOVE = 3;
const char UNDERLINE[] = "_____";
// The popup under the floor plan: a picture of the window texture with three lines.
constexpr int POPUP_BELOW_PLAN = 14;
const CIntRect POPUP_PICTURE{0, 143, 230, 215};
constexpr int POPUP_TEXT_X = 113;
constexpr int POPUP_TEXT_Y[FLAT_INFO_LABELS] = {14, 33, 51};
constexpr uint32_t POPUP_TEXT_COLOUR = 0xFFFFFFFF;
constexpr size_t FIGURE_TEXT_SIZE = 32;

// A price or an area; a word that is none is named and the figure stays 0.
void ScanFigure(FILE* file, Hundredths* figure)
{
    char word[Core::NUMBER_BUFFER_SIZE];
    Core::fscan_word(file, word, sizeof word);
    if (!ParseHundredths(word, figure)) {
        *figure = 0;
        MsgBox3("Cost/area file: '", word, "' is not a price or an area (digits with up to two decimals).");
    }
}

// The popup with its lines, or none of them: the room is asked for first, so a full list
// makes none and says so once.
bool MakeInfoWindows()
{
    static_assert(FLAT_INFO_WINDOWS == 1 + FLAT_INFO_LABELS, "the popup's windows");
    if (!gWinSuperior.HasRoomFor(FLAT_INFO_WINDOWS, "the flat popup", &gFlatInfoRoomTold)) return false;
    gWinSuperior.ResetOrigin();
    gFlatInfoWin = AddPictureWin(gFlatInfoX, gFlatInfoY, gWindowsTex, POPUP_PICTURE, 0, WIN_CONTAINER);
    for (int i = 0; i < FLAT_INFO_LABELS; ++i) {
        gFlatInfoLabels[i] = gWinSuperior.AddLabel(POPUP_TEXT_X, POPUP_TEXT_Y[i], ColumnFont(COLUMN_FONT_BOLD), nullptr,
                                                   POPUP_TEXT_COLOUR, 0);
        gFlatInfoWin->AddChilds(gFlatInfoLabels[i], nullptr);
    }
    gWinSuperior.ResetOrigin();
    return true;
}

} // namespace

CFlat::~CFlat()
{
    if (button) gWinSuperior.DeleteWin(&button);
}

void CFlat::ForgetWindows()
{
    button = numberLabel = areaALabel = areaBLabel = underline = nullptr;
}

void CFlat::AddButton(CBaseWin* flatsWindow, const uint8_t* hitMask, const CIntRect& flatsArea)
{
    IDirect3DTexture9* plan = textureId && gITexContainer ? gITexContainer->GetTexture(textureId) : nullptr;
    if (plan && flatsWindow && gWinSuperior.HasRoomFor(FLAT_BUTTON_WINDOWS, "a flat's button", &gFlatButtonRoomTold)) {
        gWinSuperior.SetOrigin(flatsWindow, flatsWindow->left, flatsWindow->top);
        button = gWinSuperior.AddButton(buttonX, buttonY, source.Width(), source.Height(), nullptr, plan, source.left,
                                        source.top, source.right, source.bottom, KEY_ON_RELEASE, WIN_CONTAINER);
        numberLabel = AddFigure(labelX, labelY, COLUMN_FONT_LARGE, nullptr);
        areaALabel = AddArea(labelX + AREA_X, labelY - AREA_ABOVE, areaA);
        areaBLabel = AddArea(labelX + AREA_X, labelY + AREA_BELOW, areaB);
        underline = AddFigure(labelX + UNDERLINE_X, labelY - UNDERLINE_ABOVE, COLUMN_FONT_PLAIN, UNDERLINE);
        gWinSuperior.ResetOrigin();
        button->SetHoverColours(BUTTON_NORMAL, BUTTON_TO_NORMAL, BUTTON_HOVER, BUTTON_TO_HOVER);
        button->SetHitMask(hitMask);
        BindClickDelegate(button, this, &CFlat::ShowInfo);
        static_cast<CLabel*>(numberLabel)->SetInt(number);
        button->AddChilds(numberLabel, areaALabel, areaBLabel, underline, nullptr);
        flatsWindow->AddChilds(button, nullptr);
    }
    gFlatInfoX = flatsArea.left;
    gFlatInfoY = flatsArea.bottom + POPUP_BELOW_PLAN;
}

CLabel* CFlat::AddFigure(int x, int y, int font, const char* text) const
{
    return gWinSuperior.AddLabel(x, y, ColumnFont(font), text, labelColour, 0);
}

CLabel* CFlat::AddArea(int x, int y, Hundredths area) const
{
    char text[FIGURE_TEXT_SIZE];
    FormatHundredths(area, false, text, sizeof text);
    return AddFigure(x, y, COLUMN_FONT_PLAIN, text);
}

void CFlat::ShowInfo()
{
    if (!gFlatInfoWin && !MakeInfoWindows()) return;
    char a[FIGURE_TEXT_SIZE], b[FIGURE_TEXT_SIZE], text[LABEL_TEXT_SIZE];
    FormatHundredths(areaA, false, a, sizeof a);
    FormatHundredths(areaB, false, b, sizeof b);
    snprintf(text, sizeof text, "%s / %s", a, b);
    gFlatInfoLabels[0]->SetText(text);
    FormatHundredths(pricePerArea, true, text, sizeof text);
    gFlatInfoLabels[1]->SetText(text);
    FormatHundredths(TotalOf(pricePerArea, areaA), true, text, sizeof text);
    gFlatInfoLabels[2]->SetText(text);
    gFlatInfoWin->Show(1);
}

// Positional: labels and brackets between the values are the author's, so they are skipped
// by count; only a "]" where the label would open tells that the flat has none.
void CFlat::Scan(CFlat* flat, int number, uint16_t texture, FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    flat->number = number;
    flat->textureId = texture;
    Core::fscan_skip(file, word, 2);
    ScanFigure(file, &flat->pricePerArea);
    Core::fscan_skip(file, word, 2);
    ScanFigure(file, &flat->areaA);
    ScanFigure(file, &flat->areaB);
    Core::fscan_skip(file, word, 2);
    Core::fscan_rect(file, &flat->source.left);
    Core::fscan_skip(file, word, 2);
    Core::fscan_int(file, &flat->buttonX);
    Core::fscan_int(file, &flat->buttonY);
    Core::fscan_skip(file, word, 2);
    if (strcmp(word, "]") == 0 || word[0] == 0) return;
    Core::fscan_word(file, word);
    Core::fscan_int(file, &flat->labelX);
    Core::fscan_int(file, &flat->labelY);
    Core::fscan_hex(file, &flat->labelColour);
    Core::fscan_skip(file, word, 2);
}
