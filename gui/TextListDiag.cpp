#include "gui/TextListDiag.h"

#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Messages.h"
#include "gui/Label.h"
#include "gui/MyButton.h"
#include "gui/MyEdit.h"
#include "gui/TextList.h"
#include "gui/WinSuperior.h"

#include <algorithm>

namespace {

// Frame bands: the left piece is this wide; the band heights of top, bottom and edit.
constexpr int SIDE = 15;
constexpr int TOP_BAND = 36;
constexpr int BOTTOM_BAND = 22;
constexpr int EDIT_BAND = 26;
constexpr int SCROLL_COLUMN = 24;
// The thumb's travel is the track less its own height.
constexpr int THUMB_TOP = 35;
constexpr int THUMB_HEIGHT = 10;
constexpr uint32_t PIECE_COLOUR = 0xFFFFFFFF;
constexpr float BUTTON_TO_NORMAL = 0.3f, BUTTON_TO_HOVER = 0.2f;

// One band of the frame in the skin: left, middle and right pieces and the scroll-bar
// piece, each left, top, right, bottom with right and bottom exclusive.
struct SBand {
    RECT left, middle, right, scroll;
};
const SBand TOP = {{0, 0, 15, 36}, {16, 0, 56, 36}, {57, 0, 72, 36}, {73, 0, 98, 36}};
const SBand BODY = {{0, 37, 15, 93}, {16, 37, 56, 93}, {57, 37, 72, 93}, {73, 37, 98, 93}};
const SBand BOTTOM = {{0, 94, 15, 116}, {16, 94, 56, 116}, {57, 94, 72, 116}, {73, 94, 98, 116}};
const SBand EDIT = {{0, 117, 15, 144}, {16, 117, 56, 144}, {57, 117, 72, 144}, {73, 117, 98, 144}};
const SBand TEXT = {{0, 145, 15, 157}, {16, 145, 56, 157}, {57, 145, 72, 157}, {73, 145, 98, 157}};

// The smallest power of two from 64 that holds the size, at most 2048.
int TextureSide(int size)
{
    int side = 64;
    while (side < size && side <= 1024)
        side *= 2;
    return side;
}

void Piece(int x, int y, const RECT& source)
{
    if (gWinSuperior.skin)
        gGraphics.DrawTexture(x, y, &source, gWinSuperior.skin, PIECE_COLOUR);
}

// Left piece, the columns' middle pieces W pixels apart, right piece, and the scroll-bar
// piece in its own column.
void Band(const SBand& band, int y, int columns, bool scrollBar)
{
    Piece(0, y, band.left);
    for (int k = 0; k < columns; ++k)
        Piece(SIDE + k * WIDTH_DIAGS, y, band.middle);
    Piece(SIDE + columns * WIDTH_DIAGS, y, band.right);
    if (scrollBar)
        Piece(columns * WIDTH_DIAGS + 29, y, band.scroll);
}

template <class T>
void DeletePart(T*& part)
{
    CBaseWin* win = part;
    gWinSuperior.DeleteWin(&win);
    part = nullptr;
}

bool IsRenderTarget(IDirect3DTexture9* texture)
{
    D3DSURFACE_DESC desc;
    return SUCCEEDED(texture->GetLevelDesc(0, &desc)) && (desc.Usage & D3DUSAGE_RENDERTARGET);
}

} // namespace

CTextListDiag* DiagOfWindowUnderMouse()
{
    const CBaseWin* win = gWinSuperior.pWinUnderMouse;
    if (!win || !win->parent || win->parent->kind != WIN_KIND_LIST_DIAG)
        return nullptr;
    return static_cast<CTextListDiag*>(win->parent);
}

int CTextListDiag::WindowCount(const CDiagCaption& caption)
{
    int windows = 2;  // the dialog and its list
    if (caption.hasScrollBar)
        windows += 4;  // up, down, thumb, track
    if (caption.hasCloseButton)
        ++windows;
    if (caption.captionText)
        ++windows;
    if (caption.hasEdit)
        ++windows;
    return windows;
}

CTextListDiag::~CTextListDiag()
{
    if (texture && IsRenderTarget(texture))
        texture->Release();
}

void CTextListDiag::Create(const CDiagCaption& caption, WinFn onListClick, CFont* font,
                           uint32_t colour, uint32_t hoverColour, uint32_t selectedColour,
                           int capacity, int itemWidth, int rows, int rowHeight)
{
    DeleteParts();
    record = caption;
    gWinSuperior.ResetOrigin();
    const int columns = record.columns, bodyRows = record.bodyRows;
    const bool scrollBar = record.hasScrollBar != 0;
    SetSize(columns * WIDTH_DIAGS + 30 + (scrollBar ? SCROLL_COLUMN : 0),
            bodyRows * DIAG_BODY_BAND + 58 + (record.hasEdit ? EDIT_BAND : 0) +
                record.textLines * DIAG_TEXT_BAND);
    width = right - left + 1;
    height = bottom - top + 1;
    sourceRect = RECT{0, 0, width, height};
    if (!MakeTexture(TextureSide(width), TextureSide(height)))
        return;
    IDirect3DSurface9* screen = nullptr;
    if (!BeginCompose(&screen))
        return;
    // Children are shown and hidden with the dialog; they start as it does.
    const uint32_t childFlags = flags & (WIN_ACTIVE | WIN_VISIBLE);
    Band(TOP, 0, columns, scrollBar);
    DrawBands(bodyRows, scrollBar, record.hasEdit != 0, record.textLines);
    if (scrollBar)
        MakeScrollBar(childFlags);
    if (record.hasCloseButton)
        MakeCloseButton(childFlags);
    list = gWinSuperior.AddTextList(left + record.listX, top + record.listY,
                                    columns * WIDTH_DIAGS + 10 - (record.listX - 10),
                                    rows * rowHeight, onListClick, font, colour, hoverColour,
                                    selectedColour, capacity, itemWidth, rows, rowHeight,
                                    (flags & WIN_ITEMVALUES) | childFlags);
    Attach(list);
    if (record.captionText) {
        captionLabel = gWinSuperior.AddLabel(left + 10, top + 6, font, record.captionText,
                                             record.captionColor, childFlags);
        Attach(captionLabel);
    }
    EndCompose(screen);
    if (record.hasEdit) {
        edit = gWinSuperior.AddEdit(left + 14, top + 62 + bodyRows * DIAG_BODY_BAND,
                                    columns * WIDTH_DIAGS, 13, OnEditEnter, font, nullptr,
                                    colour, hoverColour, childFlags);
        Attach(edit);
    }
}

// A texture of the same size is kept.
bool CTextListDiag::MakeTexture(int w, int h)
{
    if (texture && w == textureWidth && h == textureHeight)
        return true;
    if (texture && IsRenderTarget(texture))
        texture->Release();
    texture = Device3D ? gGraphics.CreateTargetTexture(w, h, D3DFMT_A8R8G8B8) : nullptr;
    textureWidth = textureHeight = 0;
    if (!texture) {
        MsgBox("Can`t create texture for CTextListDiag.");
        return false;
    }
    textureWidth = w;
    textureHeight = h;
    return true;
}

// The texture becomes render target 0, cleared to transparent, inside a scene.
bool CTextListDiag::BeginCompose(IDirect3DSurface9** screen)
{
    gGraphics.EndSprites();
    gGraphics.BeginSceneOnce();
    IDirect3DSurface9* target = nullptr;
    if (FAILED(Device3D->GetRenderTarget(0, screen)) ||
        FAILED(texture->GetSurfaceLevel(0, &target))) {
        MsgBox("Problem by Render Target for CTextListDiag.");
        if (*screen)
            (*screen)->Release();
        gGraphics.EndSceneOnce();
        return false;
    }
    const HRESULT set = Device3D->SetRenderTarget(0, target);
    target->Release();
    if (FAILED(set)) {
        MsgBox("Problem by SetRenderTarget for CTextListDiag.");
        (*screen)->Release();
        gGraphics.EndSceneOnce();
        return false;
    }
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    gGraphics.BeginSprites(false);
    gGraphics.SetZEnable(false);
    return true;
}

void CTextListDiag::EndCompose(IDirect3DSurface9* screen)
{
    gGraphics.EndSprites();
    Device3D->SetRenderTarget(0, screen);
    screen->Release();
    // Switching targets reset the device's viewport; the graphics layer's one holds.
    Device3D->SetViewport(&gGraphics.viewport);
    gGraphics.EndSceneOnce();
}

void CTextListDiag::DrawBands(int bodyRows, bool scrollBar, bool hasEdit, int textLines)
{
    const int columns = record.columns;
    for (int k = 0; k < bodyRows; ++k)
        Band(BODY, TOP_BAND + DIAG_BODY_BAND * k, columns, scrollBar);
    const int below = TOP_BAND + DIAG_BODY_BAND * bodyRows;
    Band(BOTTOM, below, columns, scrollBar);
    int y = below + BOTTOM_BAND - 1;
    if (hasEdit) {
        Band(EDIT, y, columns, scrollBar);
        y += EDIT_BAND;
    }
    for (int k = 0; k < textLines; ++k)
        Band(TEXT, y + k * DIAG_TEXT_BAND, columns, scrollBar);
}

void CTextListDiag::MakeScrollBar(uint32_t childFlags)
{
    CWinSuperior& ws = gWinSuperior;
    const int bodyRows = record.bodyRows;
    const int bx = left + 31 + record.columns * WIDTH_DIAGS;
    scrollUp = ws.AddButton(bx, top + 21, 20, 13, OnScrollUp, ws.skin, 116, 0, 135, 12,
                            KEY_AUTO_REPEAT, childFlags);
    scrollDown = ws.AddButton(bx, top + 38 + DIAG_BODY_BAND * bodyRows, 20, 13, OnScrollDown,
                              ws.skin, 136, 0, 155, 12, KEY_AUTO_REPEAT, childFlags);
    for (CMyButton* button : {scrollUp, scrollDown})
        button->SetHoverColours(record.buttonNormalColor, BUTTON_TO_NORMAL,
                                record.buttonHoverColor, BUTTON_TO_HOVER);
    thumb = ws.AddWin(bx, top + THUMB_TOP, 0, 0, nullptr, ws.skin, 156, 0, 175, 9, 0,
                      childFlags);
    trackHeight = DIAG_BODY_BAND * bodyRows + 2;
    track = ws.AddWin(bx + 2, top + THUMB_TOP, 16, trackHeight, nullptr, nullptr, 0, 0, 0, 0,
                      0, childFlags);
    track->fnOnLeftHeld = OnTrackHeld;
    Attach(scrollUp);
    Attach(scrollDown);
    Attach(thumb);
    Attach(track);
}

void CTextListDiag::MakeCloseButton(uint32_t childFlags)
{
    const int x = left + record.columns * WIDTH_DIAGS + (record.hasScrollBar ? 37 : 14);
    closeButton = gWinSuperior.AddButton(x, top + 3, 14, 14, OnCloseButton, gWinSuperior.skin,
                                         176, 0, 189, 13, KEY_ON_RELEASE, childFlags);
    closeButton->SetHoverColours(record.buttonNormalColor, BUTTON_TO_NORMAL,
                                 record.buttonHoverColor, BUTTON_TO_HOVER);
    Attach(closeButton);
}

// The parts an earlier Create made go before new ones are made; children attached by
// others stay.
void CTextListDiag::DeleteParts()
{
    DeletePart(scrollUp);
    DeletePart(scrollDown);
    DeletePart(closeButton);
    DeletePart(thumb);
    DeletePart(track);
    DeletePart(list);
    DeletePart(captionLabel);
    DeletePart(edit);
}

void CTextListDiag::Attach(CBaseWin* child)
{
    AddChilds(child, nullptr);
}

void CTextListDiag::Draw()
{
    if (!texture)
        return;
    gGraphics.BeginSprites((flags & WIN_NOBLEND) != 0);
    gGraphics.SetZEnable(false);
    const RECT source{0, 0, width, height};
    gGraphics.DrawTexture(int(position[0]), int(position[1]), &source, texture, color);
}

void CTextListDiag::UpdateThumb()
{
    if (!record.hasScrollBar || !thumb || !list)
        return;
    const int divisor = list->count - list->visibleRows + TEXT_LIST_SPARE_ROWS;
    float t = divisor > 0 ? float(list->topRow) / float(divisor) : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    const int travel = record.bodyRows * DIAG_BODY_BAND + 2 - THUMB_HEIGHT;
    thumb->SetTop(top + THUMB_TOP + int(t * float(travel)));
}

// The track reaches the same last top row as the wheel and the buttons.
void CTextListDiag::ScrollToTrackPos(int pos)
{
    if (!list || trackHeight <= 0 || list->count < list->visibleRows - TEXT_LIST_SPARE_ROWS)
        return;
    pos = std::clamp(pos, 0, trackHeight);
    list->topRow = int(float(list->count + 6 - list->visibleRows) * float(pos) /
                       float(trackHeight));
    list->ClampTop();
    UpdateThumb();
}

void CTextListDiag::OnScrollUp()
{
    if (CTextListDiag* diag = DiagOfWindowUnderMouse(); diag && diag->list) {
        diag->list->Scroll(-1);
        diag->UpdateThumb();
    }
}

void CTextListDiag::OnScrollDown()
{
    if (CTextListDiag* diag = DiagOfWindowUnderMouse(); diag && diag->list) {
        diag->list->Scroll(1);
        diag->UpdateThumb();
    }
}

void CTextListDiag::OnTrackHeld()
{
    CTextListDiag* diag = DiagOfWindowUnderMouse();
    if (diag && diag->track)
        diag->ScrollToTrackPos(gInput.mouseY - diag->track->top);
}

// Hidden, not deleted; the owner hears of it through the close callback.
void CTextListDiag::OnCloseButton()
{
    CTextListDiag* diag = DiagOfWindowUnderMouse();
    if (!diag)
        return;
    diag->Hide(0);
    if (diag->onClose)
        diag->onClose();
}

int CTextListDiag::AddItem(const char* text)
{
    return list && text && text[0] ? list->AddItem(text) : 0;
}

int CTextListDiag::AddItemWithValue(const char* text, uint32_t value)
{
    return list ? list->AddItemWithValue(text, value) : 0;
}

void CTextListDiag::AddItems(const std::vector<std::string>& texts)
{
    for (const std::string& text : texts)
        AddItem(text.c_str());
}

int CTextListDiag::RemoveLast() { return list ? list->RemoveLast() : 0; }

void CTextListDiag::RemoveSelected()
{
    if (list)
        list->RemoveSelected();
}

int CTextListDiag::RemoveCurrent() { return list ? list->RemoveCurrent() : -1; }

void CTextListDiag::Clear()
{
    if (!list)
        return;
    list->Clear(true);
    UpdateThumb();
}

void CTextListDiag::ClearSelection()
{
    if (list)
        list->ClearSelection();
}

char* CTextListDiag::GetCurrentItem() const { return list ? list->GetCurrentItem() : nullptr; }

char* CTextListDiag::GetCurrentValue(uint32_t* out) const
{
    if (list)
        return list->GetCurrentValue(out);
    if (out)
        *out = 0;
    return nullptr;
}

char* CTextListDiag::GetItem(uint32_t* value, int i) const
{
    if (list)
        return list->GetItem(value, i);
    if (value)
        *value = 0;
    return nullptr;
}

int32_t* CTextListDiag::GetSelection() const { return list ? list->selection : nullptr; }
int CTextListDiag::GetCurrentIndex() const { return list ? list->currentIndex : -1; }
bool CTextListDiag::IsSelected(int i) const { return list && list->IsSelected(i); }

void CTextListDiag::SelectMany(const int* indices, int n)
{
    if (list)
        list->SelectMany(indices, n);
}

int CTextListDiag::SelectByText(const char* text) { return list ? list->SelectByText(text) : -1; }
int CTextListDiag::SelectIndex(int i) { return list ? list->SelectIndex(i) : -1; }

void CTextListDiag::SwapWithPrevious(int i)
{
    if (list)
        list->SwapWithPrevious(i);
}

void CTextListDiag::SwapWithNext(int i)
{
    if (list)
        list->SwapWithNext(i);
}

void CTextListDiag::MoveCurrentUp()
{
    if (list)
        list->MoveCurrentUp();
}

void CTextListDiag::MoveCurrentDown()
{
    if (list)
        list->MoveCurrentDown();
}

int CTextListDiag::GetHoverRow() const { return list ? list->hoverRow : -1; }

void CTextListDiag::GetEditText(char* buffer) const
{
    if (edit)
        edit->GetText(buffer);
    else
        buffer[0] = 0;
}

void CTextListDiag::SetColour(uint32_t colour)
{
    color = colour;
    if (closeButton)
        closeButton->color = colour;
    if (!record.hasScrollBar)
        return;
    for (CBaseWin* part : {static_cast<CBaseWin*>(scrollUp), static_cast<CBaseWin*>(scrollDown),
                           thumb})
        if (part)
            part->color = colour;
}
