#include "scene/Control3D.h"

#include "core/Scanner.h"
#include "engine/Controls3D.h"
#include "engine/TexContainer.h"

#include <cstring>

namespace {

bool Is(const char* a, const char* b) { return strcmp(a, b) == 0; }

} // namespace

int CControl3D::ScanNativePropertyes(FILE* file, const char* word)
{
    SysControls |= SYS_FOR_CONTROLS3D | SYS_ENABLE_IDLE;
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CGeometry::ScanNativePropertyes(f, w); });
}

bool CControl3D::ScanOwnProperty(FILE* file, const char* word)
{
    if (Is(word, "PressShift:")) {
        Core::fscan_fvec3(file, &PressShift.x);
        optionFlags |= CTRL_OPT_PRESS_SHIFT;
    } else if (Is(word, "PressOneTime")) {
        pressFlags |= CTRL_PRESS_ONE_TIME;
    } else if (Is(word, "OnFocusColor:")) {
        Core::fscan_fvec4(file, &OnFocusColor.r);
        optionFlags |= CTRL_OPT_FOCUS_COLOR;
    } else if (Is(word, "OnFocusSize:")) {
        Core::fscan_fvec3(file, &OnFocusSize.x);
        optionFlags |= CTRL_OPT_FOCUS_SIZE;
    } else if (Is(word, "Rect:")) {
        Core::fscan_rect(file, Rect);
    } else {
        return false;
    }
    return true;
}

uint32_t CControl3D::DoIdle()
{
    if (!(controlState & CTRL_ACTIVE)) return 0;
    const bool picked = gControls3D && gControls3D->pickedControl == this;
    if (!picked && (controlState & CTRL_FOCUS_APPLIED)) {
        StorePos();
        Color = normalColor;
        Size = normalSize;
        controlState &= uint16_t(~CTRL_FOCUS_APPLIED);
    } else if (picked && !(controlState & CTRL_FOCUS_APPLIED)) {
        if (optionFlags & CTRL_OPT_FOCUS_COLOR) {
            normalColor = Color;
            Color = OnFocusColor;
        }
        if (optionFlags & CTRL_OPT_FOCUS_SIZE) {
            normalSize = Size;
            Size = OnFocusSize;
        }
        controlState |= CTRL_FOCUS_APPLIED;
    }
    return 0;
}

void CControl3D::CopyControlTo(CControl3D* destination) const
{
    destination->optionFlags = optionFlags;
    destination->pressFlags = pressFlags;
    destination->PressShift = PressShift;
    destination->callback = callback;
    destination->OnFocusColor = OnFocusColor;
    destination->OnFocusSize = OnFocusSize;
    memcpy(destination->Rect, Rect, sizeof Rect);
}

void CControl3D::CopyFromPrototype(const CAtom* prototype)
{
    CGeometry::CopyFromPrototype(prototype);
    if (const CControl3D* from = dynamic_cast<const CControl3D*>(prototype)) from->CopyControlTo(this);
}

void CControl3D::CopyTo(CAtom* destination) const
{
    CGeometry::CopyTo(destination);
    if (CControl3D* to = dynamic_cast<CControl3D*>(destination)) CopyControlTo(to);
}

void CControl3D::FirstInit()
{
    CGeometry::FirstInit();
    normalColor = Color;
    normalSize = Size;
    const CEngineTex* texture = gTexContainer && Rect[0] != Rect[2] ? gTexContainer->GetTex(textures[0]) : nullptr;
    if (!texture || !texture->texture || !texture->desc.Width || !texture->desc.Height) return;
    const float w = float(texture->desc.Width), h = float(texture->desc.Height);
    UvMulAdd = D3DXVECTOR4(float(Rect[2] - Rect[0] + 1) / w, float(Rect[3] - Rect[1] + 1) / h, float(Rect[0]) / w,
                           float(Rect[1]) / h);
}
