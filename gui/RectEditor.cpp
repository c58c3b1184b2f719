#include "gui/RectEditor.h"

#include "core/Graphics.h"
#include "core/Input.h"
#include "gui/WinSuperior.h"

#include <d3dx9.h>

#include <cstring>

IDirect3DTexture9* gRectHandleTexture = nullptr;

namespace {

constexpr int TEXTURE_WIDTH = 32, TEXTURE_HEIGHT = 16;
constexpr D3DCOLOR MARK = 0xFFFFFFFF;
// A handle is 9 x 9 and centred on its corner.
constexpr int HANDLE_SIZE = 9;
constexpr int HANDLE_CENTRE = 4;
const RECT PLAIN_MARK = {0, 0, 8, 8};
const RECT FRAMED_MARK = {9, 0, 17, 8};
constexpr float HOVER_TIME = 0.2f;

void Fill(D3DCOLOR* texels, int pitch, int l, int t, int r, int b)
{
    for (int y = t; y <= b; ++y)
        for (int x = l; x <= r; ++x)
            texels[y * pitch + x] = MARK;
}

// Plain mark: a 5 x 5 square. Framed mark: the same square inside a 9 x 9 frame.
void DrawMarks(D3DCOLOR* texels, int pitch)
{
    Fill(texels, pitch, 2, 2, 6, 6);
    Fill(texels, pitch, 9, 0, 17, 0);
    Fill(texels, pitch, 9, 8, 17, 8);
    Fill(texels, pitch, 9, 0, 9, 8);
    Fill(texels, pitch, 17, 0, 17, 8);
    Fill(texels, pitch, 11, 2, 15, 6);
}

void ShowMark(CBaseWin* handle, const RECT& mark)
{
    if (handle)
        handle->SetTexRect(mark);
}

} // namespace

HRESULT CRectEditor::CreateHandleTexture()
{
    ReleaseHandleTexture();
    HRESULT hr = D3DXCreateTexture(Device3D, TEXTURE_WIDTH, TEXTURE_HEIGHT, 1, 0,
                                   D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &gRectHandleTexture);
    if (FAILED(hr))
        return hr;
    D3DLOCKED_RECT lr;
    hr = gRectHandleTexture->LockRect(0, &lr, nullptr, 0);
    if (FAILED(hr))
        return hr;
    for (int y = 0; y < TEXTURE_HEIGHT; ++y)
        memset(static_cast<char*>(lr.pBits) + y * lr.Pitch, 0, TEXTURE_WIDTH * sizeof(D3DCOLOR));
    DrawMarks(static_cast<D3DCOLOR*>(lr.pBits), lr.Pitch / int(sizeof(D3DCOLOR)));
    return gRectHandleTexture->UnlockRect(0);
}

void CRectEditor::ReleaseHandleTexture()
{
    if (gRectHandleTexture)
        gRectHandleTexture->Release();
    gRectHandleTexture = nullptr;
}

void CRectEditor::Create(uint32_t newColour, uint32_t newHoverColour, void (*callback)(RECT*))
{
    CWinSuperior& ws = gWinSuperior;
    ws.ResetOrigin();
    int missing = 0;
    for (int i = 0; i < 2; ++i)
        missing += handles[i] ? 0 : 1;
    if (!ws.HasRoomFor(missing, "the rectangle editor", &roomTold))
        return;
    colour = newColour;
    hoverColour = newHoverColour;
    const RECT* marks[2] = {&PLAIN_MARK, &FRAMED_MARK};
    for (int i = 0; i < 2; ++i) {
        if (handles[i])
            continue;
        const RECT& m = *marks[i];
        CBaseWin* handle = ws.AddWin(0, 0, HANDLE_SIZE, HANDLE_SIZE, nullptr, gRectHandleTexture, m.left, m.top,
                                     m.right, m.bottom, 0, WIN_DRAGGABLE);
        handle->SetHoverColours(colour, HOVER_TIME, hoverColour, HOVER_TIME);
        handle->fnOnFrame = OnHandleFrame;
        handle->fnOnHover = OnHandleHover;
        handle->SetUserData(reinterpret_cast<uintptr_t>(this), 0);
        handles[i] = handle;
    }
    onChange = callback;
}

void CRectEditor::SetRect(const RECT& r)
{
    rect = r;
    if (handles[0])
        handles[0]->MoveTo(r.left - HANDLE_CENTRE, r.top - HANDLE_CENTRE);
    if (handles[1])
        handles[1]->MoveTo(r.right - HANDLE_CENTRE, r.bottom - HANDLE_CENTRE);
}

void CRectEditor::UpdateRect()
{
    if (!handles[0] || !handles[1])
        return;
    rect = RECT{handles[0]->left + HANDLE_CENTRE, handles[0]->top + HANDLE_CENTRE,
                handles[1]->left + HANDLE_CENTRE, handles[1]->top + HANDLE_CENTRE};
}

void CRectEditor::Show()
{
    for (int i = 0; i < 2; ++i)
        if (handles[i])
            handles[i]->Show(1);
}

void CRectEditor::Hide()
{
    for (CBaseWin* handle : handles)
        if (handle)
            handle->Hide(0);
}

void CRectEditor::DeleteHandles()
{
    for (CBaseWin*& handle : handles)
        gWinSuperior.DeleteWin(&handle);
}

void CRectEditor::Draw()
{
    gGraphics.DrawRect(rect, colour);
}

void CRectEditor::OnHandleFrame()
{
    ShowMark(gWinSuperior.pWinCurrent, PLAIN_MARK);
}

void CRectEditor::OnHandleHover()
{
    CBaseWin* handle = gWinSuperior.pWinUnderMouse;
    if (!handle)
        return;
    ShowMark(handle, FRAMED_MARK);
    if (!gInput.leftHeld)
        return;
    uintptr_t owner = 0;
    handle->GetUserData(&owner, 0);
    CRectEditor* editor = reinterpret_cast<CRectEditor*>(owner);
    if (!editor)
        return;
    editor->UpdateRect();
    if (editor->onChange)
        editor->onChange(&editor->rect);
}
