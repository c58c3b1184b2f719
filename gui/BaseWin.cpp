#include "gui/BaseWin.h"

#include "core/Input.h"
#include "gui/WinSuperior.h"

#include <cstdarg>
#include <cstring>
#include <initializer_list>

namespace {

void CopyCut(char* to, const char* from, size_t size)
{
    strncpy(to, from, size - 1);
    to[size - 1] = 0;
}

} // namespace

CBaseWin::~CBaseWin()
{
    gWinSuperior.FreeSlot(this);
    for (int i = 0; i < childCount; ++i)
        delete children[i];
    delete[] children;
    for (IDelegate* d : {pOnClick, pOnDblClick, pOnLeftHeld, pOnRightClick, pOnHover,
                         pOnPreDraw, pOnPostDraw, pOnFrame})
        delete d;
}

void CBaseWin::Init(int x, int y, int w, int h, WinFn onClick, IDirect3DTexture9* tex,
                    const RECT* source, uint32_t trigger, uint32_t addFlags)
{
    int originX, originY;
    gWinSuperior.GetOrigin(&originX, &originY);
    left = x + originX;
    top = y + originY;
    width = w;
    height = h;
    right = left + w - 1;
    bottom = top + h - 1;
    position[0] = float(left);
    position[1] = float(top);
    position[2] = 0.0f;
    texture = tex;
    if (source)
        SetTexRect(*source);
    fnOnClick = onClick;
    triggerMode = trigger;
    flags |= addFlags;
    zStamp = gWinSuperior.NextZ();
    if (flags & WIN_CONTAINER)
        gWinSuperior.SetOrigin(this, left, top);
}

void CBaseWin::SetCaption(const char* text, CFont* font, uint32_t colour, int offsetX,
                          int offsetY)
{
    if (!text || !font) {
        caption[0] = 0;
        return;
    }
    CopyCut(caption, text, sizeof caption);
    captionFont = font;
    captionColor = colour;
    captionX = offsetX;
    captionY = offsetY;
}

void CBaseWin::SetCaptionText(const char* text)
{
    CopyCut(caption, text ? text : "", sizeof caption);
}

void CBaseWin::SetOverlay(int offsetX, int offsetY, int l, int t, int r, int b)
{
    overlayX = offsetX;
    overlayY = offsetY;
    overlayRect = RECT{l, t, r, b};
}

void CBaseWin::SetHint(const char* text)
{
    CopyCut(hint, text ? text : "", sizeof hint);
}

void CBaseWin::SetHoverColours(uint32_t normal, float toNormal, uint32_t hover, float toHover)
{
    normalColor = normal;
    timeToNormal = toNormal;
    hoverColor = hover;
    timeToHover = toHover;
    highlightTimer = 0.0f;
    color = normal;
}

void CBaseWin::SetDrawCallbacks(WinFn pre, WinFn post)
{
    fnOnPreDraw = pre;
    fnOnPostDraw = post;
}

void CBaseWin::MakeToggle(int offsetX, int offsetY)
{
    toggling = 1;
    checkX = offsetX;
    checkY = offsetY;
    checkPosition[0] = float(offsetX + left);
    checkPosition[1] = float(offsetY + top);
    checkPosition[2] = 0.0f;
}

// Without a mask the whole rectangle is hot; a mouse outside the texture never is.
bool CBaseWin::HitTestPixel() const
{
    if (!texture)
        return false;
    if (!hitMask)
        return true;
    D3DSURFACE_DESC desc;
    if (FAILED(texture->GetLevelDesc(0, &desc)))
        return false;
    const int x = gInput.mouseX - left + sourceRect.left;
    const int y = gInput.mouseY - top + sourceRect.top;
    if (x < 0 || y < 0 || x >= int(desc.Width) || y >= int(desc.Height))
        return false;
    return hitMask[size_t(y) * desc.Width + x] != 0;
}

void CBaseWin::SetClipRect(int l, int t, int r, int b)
{
    clipRect = RECT{l, t, r, b};
}

void CBaseWin::SetTexRectLTRB(int l, int t, int r, int b)
{
    sourceRect = RECT{l, t, r + 1, b + 1};
}

void CBaseWin::SetTexPos(int l, int t)
{
    if (l != WIN_KEEP) {
        sourceRect.right += l - sourceRect.left;
        sourceRect.left = l;
    }
    if (t != WIN_KEEP) {
        sourceRect.bottom += t - sourceRect.top;
        sourceRect.top = t;
    }
}

void CBaseWin::GetPos(int* x, int* y) const
{
    if (x)
        *x = left;
    if (y)
        *y = top;
}

void CBaseWin::GetRightBottom(int* r, int* b) const
{
    if (r)
        *r = right;
    if (b)
        *b = bottom;
}

void CBaseWin::SetUserData(uintptr_t value, int index)
{
    if (index < 0 || index >= WIN_USER_VALUES)
        return;
    userValues[index] = value;
    userValueSet[index] = 1;
}

void CBaseWin::GetUserData(uintptr_t* out, int index) const
{
    if (out && index >= 0 && index < WIN_USER_VALUES && userValueSet[index])
        *out = userValues[index];
}

// Ranges reaching outside the four values are cut to them.
void CBaseWin::SetUserDataArray(const uintptr_t* values, int first, int count)
{
    for (int i = 0; i < count; ++i)
        if (first + i >= 0 && first + i < WIN_USER_VALUES)
            userValues[first + i] = values[i];
}

void CBaseWin::GetUserDataArray(uintptr_t* values, int first, int count) const
{
    for (int i = 0; i < count; ++i)
        if (first + i >= 0 && first + i < WIN_USER_VALUES)
            values[i] = userValues[first + i];
}

void CBaseWin::SetFrames(int count)
{
    frameCount = count;
    firstFrameLeft = sourceRect.left;
}

void CBaseWin::SetFrame(int n)
{
    const int frameWidth = sourceRect.right - sourceRect.left;
    currentFrame = n;
    sourceRect.left = firstFrameLeft + n * frameWidth;
    sourceRect.right = sourceRect.left + frameWidth;
}

void CBaseWin::NextFrame()
{
    SetFrame(currentFrame + 1 < frameCount ? currentFrame + 1 : 0);
}

void CBaseWin::OnClick()
{
    if (frameCount)
        NextFrame();
    if (toggling)
        toggled = !toggled;
}

void CBaseWin::AddChilds(CBaseWin* first, ...)
{
    va_list args;
    va_start(args, first);
    for (CBaseWin* child = first; child; child = va_arg(args, CBaseWin*))
        AddChild(child);
    va_end(args);
}

void CBaseWin::AddChildArray(CBaseWin* const* array, int count)
{
    for (int i = 0; i < count; ++i)
        AddChild(array[i]);
}

void CBaseWin::AddChild(CBaseWin* child)
{
    if (childCount == childCapacity)
        ReserveChildren(childCapacity + WIN_CHILD_STEP);
    children[childCount++] = child;
    child->parent = this;
}

void CBaseWin::ReserveChildren(int capacity)
{
    if (capacity <= childCapacity)
        return;
    CBaseWin** grown = new CBaseWin*[capacity]();
    for (int i = 0; i < childCount; ++i)
        grown[i] = children[i];
    delete[] children;
    children = grown;
    childCapacity = capacity;
}

void CBaseWin::RemoveChild(const CBaseWin* child)
{
    for (int i = 0; i < childCount; ++i) {
        if (children[i] != child)
            continue;
        children[i]->parent = nullptr;
        for (int j = i + 1; j < childCount; ++j)
            children[j - 1] = children[j];
        children[--childCount] = nullptr;
        return;
    }
}
