#pragma once
// CRenderer: sorts the visible units into render queues each frame and draws them with
// shadows, reflections and glow; picks units under the cursor. Until the renderer is built
// its queues stay empty: it draws nothing and picks nothing.

#include <d3dx9.h>

class CAtom;

class IRenderer {
public:
    virtual ~IRenderer() = default;
    virtual void SetPaused(int paused) = 0;
    virtual void SetViewport(int x, int y, int width, int height) = 0;
    virtual int EnableGlowing(int on) = 0;
};

class CRenderer : public IRenderer {
public:
    void SetPaused(int value) override { paused = value; }
    void SetViewport(int x, int y, int width, int height) override;
    int EnableGlowing(int on) override;

    void ResetFrame() {}
    void ResetQueues() {}
    void UpdateSkeletons() {}
    CAtom* PickUnit(const D3DXVECTOR4&, const D3DXVECTOR4&) { return nullptr; }
    void RenderShadows() {}
    void RenderUnits(int) {}
    void RenderGlows() {}

    int paused = 0;
    D3DVIEWPORT9 viewport{0, 0, 0, 0, 0.0f, 1.0f};
    D3DXCOLOR clearColor{0, 0, 0, 1};
    // Live register counts that shader-table rows may name instead of a number.
    int numBones = 0, numWorlds = 0, numDiffLights = 0, numSpecLights = 0;
};

extern CRenderer* gRenderer;
extern IRenderer* gIRenderer;
