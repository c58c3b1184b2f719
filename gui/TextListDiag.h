#pragma once
// CTextListDiag: a framed dialog around a CTextList. Its frame is composed once, at
// creation, from pieces of the manager's skin into a render-target texture of its own (it
// owns that texture) and drawn as one sprite. Around the list it may carry a scroll bar (up
// and down buttons, thumb, track), a close button, a caption label, extra text bands and an
// edit field, all made as its children. The layout follows a CDiagCaption record and the
// column width WIDTH_DIAGS. Failures to make or target the texture are message boxes after
// which the dialog stays without frame and without the children not made yet.

#include "gui/BaseWin.h"

#include <string>
#include <vector>

class CMyButton;
class CLabel;
class CMyEdit;
class CTextList;

struct CDiagCaption {
    int32_t columns = 0;   // width in columns of WIDTH_DIAGS pixels
    int32_t bodyRows = 0;  // height in body bands of 56 pixels
    int32_t hasScrollBar = 0;
    int32_t listX = 0, listY = 0;  // the inner list relative to the dialog
    int32_t hasEdit = 0;
    int32_t textLines = 0;  // 11-pixel text bands
    const char* captionText = nullptr;
    uint32_t captionColor = 0xFF000000;
    int32_t hasCloseButton = 0;
    uint32_t buttonNormalColor = 0xFFFFFFFF, buttonHoverColor = 0xFFFFFFFF;
};

// Pixel sizes of the frame.
constexpr int DIAG_BODY_BAND = 56;
constexpr int DIAG_TEXT_BAND = 11;

class CTextListDiag : public CBaseWin {
public:
    CDiagCaption record;
    CMyButton* scrollUp = nullptr;
    CMyButton* scrollDown = nullptr;
    CMyButton* closeButton = nullptr;
    CBaseWin* thumb = nullptr;
    CBaseWin* track = nullptr;
    CLabel* captionLabel = nullptr;
    CMyEdit* edit = nullptr;
    int32_t textureWidth = 0, textureHeight = 0;
    int32_t trackHeight = 0;
    CTextList* list = nullptr;
    WinFn onClose = nullptr;

    CTextListDiag() { kind = WIN_KIND_LIST_DIAG; }
    // The windows a dialog of the record takes, itself and its parts.
    static int WindowCount(const CDiagCaption& caption);
    // Releases its frame texture.
    ~CTextListDiag() override;
    // Lays the dialog out at its left/top, composes the frame and makes the children; a
    // second Create replaces the children the first one made.
    void Create(const CDiagCaption& caption, WinFn onListClick, CFont* font, uint32_t colour,
                uint32_t hoverColour, uint32_t selectedColour, int capacity, int itemWidth,
                int rows, int rowHeight);
    // The frame texture as one sprite; the children draw themselves.
    void Draw() override;
    // The thumb follows the list's top row.
    void UpdateThumb();
    // The list's top row from a point of the track (pixels from its top).
    void ScrollToTrackPos(int pos);

    // Callbacks of its parts, on the dialog that is the parent of the window under the mouse.
    static void OnScrollUp();
    static void OnScrollDown();
    static void OnTrackHeld();
    static void OnCloseButton();
    static void OnEditEnter() {}

    // The inner list's operations; nothing (0, -1 for indexes, null for items) without it.
    int AddItem(const char* text);
    int AddItemWithValue(const char* text, uint32_t value);
    void AddItems(const std::vector<std::string>& texts);
    int RemoveLast();
    void RemoveSelected();
    int RemoveCurrent();
    void Clear();
    void ClearSelection();
    char* GetCurrentItem() const;
    char* GetCurrentValue(uint32_t* out) const;
    char* GetItem(uint32_t* value, int i) const;
    int32_t* GetSelection() const;
    int GetCurrentIndex() const;
    bool IsSelected(int i) const;
    void SelectMany(const int* indices, int n);
    int SelectByText(const char* text);
    int SelectIndex(int i);
    void SwapWithPrevious(int i);
    void SwapWithNext(int i);
    void MoveCurrentUp();
    void MoveCurrentDown();
    int GetHoverRow() const;
    // The edit's text, empty without edit (buffer of LABEL_TEXT_SIZE bytes).
    void GetEditText(char* buffer) const;
    // The dialog's colour and that of its buttons and thumb.
    void SetColour(uint32_t colour);

private:
    bool MakeTexture(int w, int h);
    bool BeginCompose(IDirect3DSurface9** screen);
    void EndCompose(IDirect3DSurface9* screen);
    void DrawBands(int bodyRows, bool scrollBar, bool hasEdit, int textLines);
    void MakeScrollBar(uint32_t childFlags);
    void MakeCloseButton(uint32_t childFlags);
    void Attach(CBaseWin* child);
    void DeleteParts();
};

// The list dialog whose part is the window under the mouse; null when it is none.
CTextListDiag* DiagOfWindowUnderMouse();
