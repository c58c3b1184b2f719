#pragma once
// One frame's Direct3D 9 device calls as CRecordingDevice saw them, with copies of the data
// they pointed at (vertices of user-pointer draws, constants, matrices, rectangles), and
// their replay on the device they were recorded from with nothing else in between.
// Objects made during the recorded frame are made again by every replay and released at
// its end; queries (Get...) are counted, not replayed. A call the replay cannot repeat
// (a device reset, a swap chain, patches) is counted in Unsupported() and skipped.

#include <d3d9.h>

#include <cstdint>
#include <initializer_list>
#include <unordered_map>
#include <vector>

namespace bench {

enum class ECall : uint16_t {
    // Replayed.
    Present, BeginScene, EndScene, Clear, SetRenderTarget, SetDepthStencilSurface,
    UpdateSurface, UpdateTexture, GetRenderTargetData, StretchRect, ColorFill, SetGammaRamp,
    SetTransform, MultiplyTransform, SetViewport, SetMaterial, SetLight, LightEnable,
    SetClipPlane, SetRenderState, SetClipStatus, SetTexture, SetTextureStageState,
    SetSamplerState, SetPaletteEntries, SetCurrentTexturePalette, SetScissorRect,
    SetSoftwareVertexProcessing, SetNPatchMode, DrawPrimitive, DrawIndexedPrimitive,
    DrawPrimitiveUP, DrawIndexedPrimitiveUP, ProcessVertices, SetVertexDeclaration, SetFVF,
    SetVertexShader, SetVertexShaderConstantF, SetVertexShaderConstantI,
    SetVertexShaderConstantB, SetStreamSource, SetStreamSourceFreq, SetIndices, SetPixelShader,
    SetPixelShaderConstantF, SetPixelShaderConstantI, SetPixelShaderConstantB,
    BeginStateBlock, StateBlockCapture, StateBlockApply, ShowCursor, SetCursorPosition,
    // Replayed, and each makes an object of its own.
    CreateStateBlock, EndStateBlock, CreateVertexDeclaration, CreateTexture, CreateVertexBuffer,
    CreateIndexBuffer,
    COUNT
};

// What a frame asked of the device.
struct SCallCounts {
    int calls = 0;          // every device call, queries included
    int draws = 0;          // Draw... calls
    int stateChanges = 0;   // Set... calls and state-block applies
    int queries = 0;        // Get... and other calls that change nothing
    int cachedKinds = 0;    // state calls the program itself made of the kinds its cache covers
    int unsupported = 0;
};

class CDrawList {
public:
    void Clear();
    // Arguments are stored as 64-bit words (pointers through Object); data is copied.
    void Add(ECall call, std::initializer_list<uint64_t> args, const void* data = nullptr,
             size_t size = 0);
    // An object argument: objects made while recording are replaced by the replay's own.
    uint64_t Object(const void* object) const;
    // Notes the object a recorded Create... call made (the last Add).
    void Made(const void* object);
    void Query() { ++counts_.queries, ++counts_.calls; }
    void Unsupported() { ++counts_.unsupported, ++counts_.calls; }
    void CachedKind() { ++counts_.cachedKinds; }

    const SCallCounts& Counts() const { return counts_; }
    size_t Size() const { return calls_.size(); }
    bool Empty() const { return calls_.empty(); }
    // Issues every call once on the device; the number of failed calls.
    int Replay(IDirect3DDevice9* device);

private:
    struct SCall {
        ECall call;
        uint32_t size;
        size_t data;
        uint64_t a[6];
    };
    std::vector<SCall> calls_;
    std::vector<uint8_t> bytes_;
    std::unordered_map<const void*, uint32_t> made_;  // recorded object -> slot
    uint32_t slots_ = 0;
    std::vector<IUnknown*> objects_;  // the replay's own objects, by slot
    SCallCounts counts_;

    template <class T> T* Obj(uint64_t word) const;
    const void* Data(const SCall& c) const { return c.size ? bytes_.data() + c.data : nullptr; }
    HRESULT Issue(IDirect3DDevice9* d, const SCall& c);
};

// A float or pointer argument as a 64-bit word.
uint64_t FloatWord(float value);
uint64_t PointerWord(const void* pointer);

// The vertices a primitive count of a type draws.
UINT VertexCount(D3DPRIMITIVETYPE type, UINT primitives);

} // namespace bench
