#pragma once
// CRenderer: sorts the visible units into render queues each frame and draws them with
// shadows, reflections and glow; picks units under the cursor. Until the renderer is built
// it only keeps the frame's queued units (their state bits 4 and 8 as the unit walk needs
// them) and the shadow lists; it draws nothing, picks nothing, and reports and skips
// "RenderStates:" blocks.

#include "scene/RenderStatesBlock.h"

#include <d3dx9.h>

#include <cstdio>
#include <vector>

class CAtom;
struct CMesh;

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

    // Clears state bit 8 of the units queued in the last frame and empties the lists.
    void ResetFrame();
    // Sets state bit 4 (calling OnShow when it was clear) and bit 8; a unit is queued once.
    void PutInRenderQueue(CAtom* unit);
    void PutReflectionCaster(CAtom* unit) { reflectionCasters.push_back(unit); }
    void PutShadowCamera(CAtom* camera) { shadowCameras.push_back(camera); }
    void PutShadowCaster(CAtom* unit) { shadowCasters.push_back(unit); }
    void PutShadowReceiver(CAtom*) { ++shadowReceivers; }
    // Skips the block to its end; 0.
    int ScanRenderStates(FILE* file, CRenderStatesBlock* block);
    // Empties the lists without touching their units (they may be gone).
    void ResetQueues();
    // Drops a unit that is being deleted from every list of this frame.
    void ForgetUnit(const CAtom* unit);
    void UpdateSkeletons() {}
    CAtom* PickUnit(const D3DXVECTOR4&, const D3DXVECTOR4&) { return nullptr; }
    void RenderShadows() {}
    void RenderUnits(int) {}
    void RenderGlows() {}

    int paused = 0;
    // Drawn in place of every unit's mesh this frame; null = each unit's own.
    CMesh* substituteMesh = nullptr;
    int32_t warningBudget = 2;
    std::vector<CAtom*> queued;
    std::vector<CAtom*> reflectionCasters;
    std::vector<CAtom*> shadowCameras;
    std::vector<CAtom*> shadowCasters;
    int shadowReceivers = 0;
    D3DVIEWPORT9 viewport{0, 0, 0, 0, 0.0f, 1.0f};
    D3DXCOLOR clearColor{0, 0, 0, 1};
    // Live register counts that shader-table rows may name instead of a number.
    int numBones = 0, numWorlds = 0, numDiffLights = 0, numSpecLights = 0;
};

extern CRenderer* gRenderer;
extern IRenderer* gIRenderer;
