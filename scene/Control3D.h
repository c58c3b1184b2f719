#pragma once
// The 3D control classes, drawn with the 3D controls after the scene (scene/RendererDraw):
// CControl3D ("CONTROL_3D", type 7) a clickable geometry that changes colour and size while
// the cursor is over it and calls its callback on a click; CLabel3D ("LABEL_3D", type 8) a
// control that draws its text into its own render-target texture; CIcon ("ICON", type 9)
// the control the icon manager shows for a unit. A control owns only its callback, which
// the units cloned from one prototype share. Unknown class words go to CGeometry.

#include "core/Delegates.h"
#include "scene/Geometry.h"

#include <d3dx9.h>

#include <cstdint>
#include <memory>

class CControlGroup;

class IControl3D {
public:
    virtual ~IControl3D() = default;
    // Takes ownership of the delegate (null clears the callback).
    virtual void SetCallback(IDelegate* delegate) = 0;
};

// Option flags: which look or press values were given.
enum : uint16_t {
    CTRL_OPT_PRESS_SHIFT = 1,
    CTRL_OPT_FOCUS_COLOR = 2,
    CTRL_OPT_FOCUS_SIZE = 4,
};
// Control state flags.
enum : uint16_t {
    CTRL_FOCUS_APPLIED = 1,
    CTRL_ACTIVE = 2,     // set and cleared by the control groups
    CTRL_REDRAW = 4,     // the texture must be redrawn; cleared by the renderer
};
constexpr uint32_t CTRL_PRESS_ONE_TIME = 1024;
constexpr uint32_t LABEL_FORMAT_DEFAULT = 256;  // DT_NOCLIP
constexpr size_t LABEL_TEXT_SIZE = 128;

class CControl3D : public CGeometry, public IControl3D {
public:
    int ScanNativePropertyes(FILE* file, const char* word) override;
    uint32_t DoIdle() override;
    void CopyFromPrototype(const CAtom* prototype) override;
    void CopyTo(CAtom* destination) const override;
    void FirstInit() override;
    // Draws the control's own texture; nothing for a plain control.
    virtual void Redraw() {}

    void SetCallback(IDelegate* delegate) override { callback.reset(delegate); }
    // 0 after calling; -2 without a callback.
    int InvokeCallback() { return callback ? callback->Invoke() : -2; }
    bool HasCallback() const { return callback != nullptr; }

    uint16_t optionFlags = 0;
    uint16_t controlState = 0;
    uint32_t pressFlags = 0;
    CControlGroup* group = nullptr;
    D3DXVECTOR4 PressShift{0.0f, 0.0f, 0.0f, 0.0f};
    D3DXCOLOR OnFocusColor{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXCOLOR normalColor{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXVECTOR4 OnFocusSize{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXVECTOR4 normalSize{1.0f, 1.0f, 1.0f, 1.0f};
    int32_t Rect[4] = {};  // left, top, right, bottom pixels of texture 0 (inclusive)

private:
    bool ScanOwnProperty(FILE* file, const char* word);
    void CopyControlTo(CControl3D* destination) const;

    std::shared_ptr<IDelegate> callback;
};

class CLabel3D : public CControl3D {
public:
    int ScanNativePropertyes(FILE* file, const char* word) override;
    void CopyFromPrototype(const CAtom* prototype) override;
    void CopyTo(CAtom* destination) const override;
    void FirstInit() override;
    void Redraw() override;
    // Copies at most LABEL_TEXT_SIZE - 1 characters and marks the label for redrawing.
    virtual void SetText(const char* newText);

    uint16_t font = 0;
    uint32_t format = LABEL_FORMAT_DEFAULT;
    char text[LABEL_TEXT_SIZE] = {};

private:
    bool ScanOwnProperty(FILE* file, const char* word);
    void CopyLabelTo(CLabel3D* destination) const;
};

class CIcon : public CControl3D {
public:
    CAtom* unit = nullptr;   // the unit the icon stands for
    CAtom* frame = nullptr;  // the frame unit marking the icon, if any
};
