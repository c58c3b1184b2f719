#include "tools/benchmark/DrawList.h"

#include <cstring>

namespace bench {

namespace {

// Marks an argument word that names an object made while recording (user-space pointers
// never have the top bit set).
constexpr uint64_t MADE = uint64_t(1) << 63;

template <class T>
T As(uint64_t word)
{
    return T(word);
}

float AsFloat(uint64_t word)
{
    float f;
    uint32_t bits = uint32_t(word);
    memcpy(&f, &bits, sizeof f);
    return f;
}

// Optional rectangles and points travel in the data block one after another; bit i of the
// flags word says whether the i-th is there.
template <class T>
const T* Optional(const uint8_t*& at, uint64_t flags, int i)
{
    if (!(flags & (uint64_t(1) << i)))
        return nullptr;
    const T* p = reinterpret_cast<const T*>(at);
    at += sizeof(T);
    return p;
}

} // namespace

uint64_t FloatWord(float value)
{
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    return bits;
}

uint64_t PointerWord(const void* pointer)
{
    return uint64_t(uintptr_t(pointer));
}

UINT VertexCount(D3DPRIMITIVETYPE type, UINT primitives)
{
    switch (type) {
    case D3DPT_POINTLIST: return primitives;
    case D3DPT_LINELIST: return primitives * 2;
    case D3DPT_LINESTRIP: return primitives + 1;
    case D3DPT_TRIANGLELIST: return primitives * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return primitives + 2;
    default: return 0;
    }
}

void CDrawList::Clear()
{
    calls_.clear();
    bytes_.clear();
    made_.clear();
    slots_ = 0;
    counts_ = SCallCounts{};
}

void CDrawList::Add(ECall call, std::initializer_list<uint64_t> args, const void* data,
                    size_t size)
{
    SCall c{call, uint32_t(data ? size : 0), bytes_.size(), {}};
    int i = 0;
    for (uint64_t a : args)
        c.a[i++] = a;
    if (c.size) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    calls_.push_back(c);
    ++counts_.calls;
    switch (call) {
    case ECall::DrawPrimitive:
    case ECall::DrawIndexedPrimitive:
    case ECall::DrawPrimitiveUP:
    case ECall::DrawIndexedPrimitiveUP:
        ++counts_.draws;
        break;
    case ECall::Present:
    case ECall::BeginScene:
    case ECall::EndScene:
    case ECall::Clear:
    case ECall::UpdateSurface:
    case ECall::UpdateTexture:
    case ECall::GetRenderTargetData:
    case ECall::StretchRect:
    case ECall::ColorFill:
    case ECall::ProcessVertices:
    case ECall::BeginStateBlock:
    case ECall::StateBlockCapture:
    case ECall::CreateStateBlock:
    case ECall::EndStateBlock:
    case ECall::CreateVertexDeclaration:
    case ECall::CreateTexture:
    case ECall::CreateVertexBuffer:
    case ECall::CreateIndexBuffer:
        break;
    default:
        ++counts_.stateChanges;
    }
}

uint64_t CDrawList::Object(const void* object) const
{
    auto it = made_.find(object);
    return it == made_.end() ? PointerWord(object) : MADE | it->second;
}

void CDrawList::Made(const void* object)
{
    if (calls_.empty() || !object)
        return;
    calls_.back().a[5] = slots_;
    made_[object] = slots_++;
}

template <class T>
T* CDrawList::Obj(uint64_t word) const
{
    if (word & MADE) {
        uint64_t slot = word & ~MADE;
        return slot < objects_.size() ? reinterpret_cast<T*>(objects_[slot]) : nullptr;
    }
    return reinterpret_cast<T*>(uintptr_t(word));
}

int CDrawList::Replay(IDirect3DDevice9* device)
{
    objects_.assign(slots_, nullptr);
    int failures = 0;
    for (const SCall& c : calls_)
        failures += FAILED(Issue(device, c));
    for (IUnknown*& object : objects_)
        if (object) {
            object->Release();
            object = nullptr;
        }
    return failures;
}

HRESULT CDrawList::Issue(IDirect3DDevice9* d, const SCall& c)
{
    const uint64_t* a = c.a;
    const void* data = Data(c);
    const auto* at = static_cast<const uint8_t*>(data);
    // Where a Create... call puts the replay's own object.
    IUnknown** made = a[5] < objects_.size() ? &objects_[a[5]] : nullptr;
    switch (c.call) {
    case ECall::Present: {
        const RECT* src = Optional<RECT>(at, a[1], 0);
        const RECT* dst = Optional<RECT>(at, a[1], 1);
        return d->Present(src, dst, reinterpret_cast<HWND>(uintptr_t(a[0])), nullptr);
    }
    case ECall::BeginScene: return d->BeginScene();
    case ECall::EndScene: return d->EndScene();
    case ECall::Clear:
        return d->Clear(As<DWORD>(a[0]), static_cast<const D3DRECT*>(data), As<DWORD>(a[1]),
                        As<D3DCOLOR>(a[2]), AsFloat(a[3]), As<DWORD>(a[4]));
    case ECall::SetRenderTarget: return d->SetRenderTarget(As<DWORD>(a[0]), Obj<IDirect3DSurface9>(a[1]));
    case ECall::SetDepthStencilSurface: return d->SetDepthStencilSurface(Obj<IDirect3DSurface9>(a[0]));
    case ECall::UpdateSurface: {
        const RECT* rect = Optional<RECT>(at, a[2], 0);
        const POINT* point = Optional<POINT>(at, a[2], 1);
        return d->UpdateSurface(Obj<IDirect3DSurface9>(a[0]), rect, Obj<IDirect3DSurface9>(a[1]), point);
    }
    case ECall::UpdateTexture:
        return d->UpdateTexture(Obj<IDirect3DBaseTexture9>(a[0]), Obj<IDirect3DBaseTexture9>(a[1]));
    case ECall::GetRenderTargetData:
        return d->GetRenderTargetData(Obj<IDirect3DSurface9>(a[0]), Obj<IDirect3DSurface9>(a[1]));
    case ECall::StretchRect: {
        const RECT* src = Optional<RECT>(at, a[3], 0);
        const RECT* dst = Optional<RECT>(at, a[3], 1);
        return d->StretchRect(Obj<IDirect3DSurface9>(a[0]), src, Obj<IDirect3DSurface9>(a[1]), dst,
                              As<D3DTEXTUREFILTERTYPE>(a[2]));
    }
    case ECall::ColorFill:
        return d->ColorFill(Obj<IDirect3DSurface9>(a[0]), Optional<RECT>(at, a[2], 0), As<D3DCOLOR>(a[1]));
    case ECall::SetGammaRamp:
        d->SetGammaRamp(As<UINT>(a[0]), As<DWORD>(a[1]), static_cast<const D3DGAMMARAMP*>(data));
        return D3D_OK;
    case ECall::SetTransform:
        return d->SetTransform(As<D3DTRANSFORMSTATETYPE>(a[0]), static_cast<const D3DMATRIX*>(data));
    case ECall::MultiplyTransform:
        return d->MultiplyTransform(As<D3DTRANSFORMSTATETYPE>(a[0]), static_cast<const D3DMATRIX*>(data));
    case ECall::SetViewport: return d->SetViewport(static_cast<const D3DVIEWPORT9*>(data));
    case ECall::SetMaterial: return d->SetMaterial(static_cast<const D3DMATERIAL9*>(data));
    case ECall::SetLight: return d->SetLight(As<DWORD>(a[0]), static_cast<const D3DLIGHT9*>(data));
    case ECall::LightEnable: return d->LightEnable(As<DWORD>(a[0]), As<BOOL>(a[1]));
    case ECall::SetClipPlane: return d->SetClipPlane(As<DWORD>(a[0]), static_cast<const float*>(data));
    case ECall::SetRenderState: return d->SetRenderState(As<D3DRENDERSTATETYPE>(a[0]), As<DWORD>(a[1]));
    case ECall::SetClipStatus: return d->SetClipStatus(static_cast<const D3DCLIPSTATUS9*>(data));
    case ECall::SetTexture: return d->SetTexture(As<DWORD>(a[0]), Obj<IDirect3DBaseTexture9>(a[1]));
    case ECall::SetTextureStageState:
        return d->SetTextureStageState(As<DWORD>(a[0]), As<D3DTEXTURESTAGESTATETYPE>(a[1]), As<DWORD>(a[2]));
    case ECall::SetSamplerState:
        return d->SetSamplerState(As<DWORD>(a[0]), As<D3DSAMPLERSTATETYPE>(a[1]), As<DWORD>(a[2]));
    case ECall::SetPaletteEntries:
        return d->SetPaletteEntries(As<UINT>(a[0]), static_cast<const PALETTEENTRY*>(data));
    case ECall::SetCurrentTexturePalette: return d->SetCurrentTexturePalette(As<UINT>(a[0]));
    case ECall::SetScissorRect: return d->SetScissorRect(static_cast<const RECT*>(data));
    case ECall::SetSoftwareVertexProcessing: return d->SetSoftwareVertexProcessing(As<BOOL>(a[0]));
    case ECall::SetNPatchMode: return d->SetNPatchMode(AsFloat(a[0]));
    case ECall::DrawPrimitive:
        return d->DrawPrimitive(As<D3DPRIMITIVETYPE>(a[0]), As<UINT>(a[1]), As<UINT>(a[2]));
    case ECall::DrawIndexedPrimitive:
        return d->DrawIndexedPrimitive(As<D3DPRIMITIVETYPE>(a[0]), As<INT>(a[1]), As<UINT>(a[2]),
                                       As<UINT>(a[3]), As<UINT>(a[4]), As<UINT>(a[5]));
    case ECall::DrawPrimitiveUP:
        return d->DrawPrimitiveUP(As<D3DPRIMITIVETYPE>(a[0]), As<UINT>(a[1]), data, As<UINT>(a[2]));
    case ECall::DrawIndexedPrimitiveUP: {
        // Indices first, then the vertices from vertex 0.
        const UINT indices = VertexCount(As<D3DPRIMITIVETYPE>(a[0]), As<UINT>(a[3]));
        const size_t indexBytes = size_t(indices) * (a[4] == D3DFMT_INDEX32 ? 4 : 2);
        return d->DrawIndexedPrimitiveUP(As<D3DPRIMITIVETYPE>(a[0]), As<UINT>(a[1]), As<UINT>(a[2]),
                                         As<UINT>(a[3]), at, As<D3DFORMAT>(a[4]), at + indexBytes,
                                         As<UINT>(a[5]));
    }
    case ECall::ProcessVertices:
        return d->ProcessVertices(As<UINT>(a[0]), As<UINT>(a[1]), As<UINT>(a[2]),
                                  Obj<IDirect3DVertexBuffer9>(a[3]),
                                  Obj<IDirect3DVertexDeclaration9>(a[4]), As<DWORD>(a[5]));
    case ECall::SetVertexDeclaration:
        return d->SetVertexDeclaration(Obj<IDirect3DVertexDeclaration9>(a[0]));
    case ECall::SetFVF: return d->SetFVF(As<DWORD>(a[0]));
    case ECall::SetVertexShader: return d->SetVertexShader(Obj<IDirect3DVertexShader9>(a[0]));
    case ECall::SetVertexShaderConstantF:
        return d->SetVertexShaderConstantF(As<UINT>(a[0]), static_cast<const float*>(data), As<UINT>(a[1]));
    case ECall::SetVertexShaderConstantI:
        return d->SetVertexShaderConstantI(As<UINT>(a[0]), static_cast<const int*>(data), As<UINT>(a[1]));
    case ECall::SetVertexShaderConstantB:
        return d->SetVertexShaderConstantB(As<UINT>(a[0]), static_cast<const BOOL*>(data), As<UINT>(a[1]));
    case ECall::SetStreamSource:
        return d->SetStreamSource(As<UINT>(a[0]), Obj<IDirect3DVertexBuffer9>(a[1]), As<UINT>(a[2]),
                                  As<UINT>(a[3]));
    case ECall::SetStreamSourceFreq: return d->SetStreamSourceFreq(As<UINT>(a[0]), As<UINT>(a[1]));
    case ECall::SetIndices: return d->SetIndices(Obj<IDirect3DIndexBuffer9>(a[0]));
    case ECall::SetPixelShader: return d->SetPixelShader(Obj<IDirect3DPixelShader9>(a[0]));
    case ECall::SetPixelShaderConstantF:
        return d->SetPixelShaderConstantF(As<UINT>(a[0]), static_cast<const float*>(data), As<UINT>(a[1]));
    case ECall::SetPixelShaderConstantI:
        return d->SetPixelShaderConstantI(As<UINT>(a[0]), static_cast<const int*>(data), As<UINT>(a[1]));
    case ECall::SetPixelShaderConstantB:
        return d->SetPixelShaderConstantB(As<UINT>(a[0]), static_cast<const BOOL*>(data), As<UINT>(a[1]));
    case ECall::BeginStateBlock: return d->BeginStateBlock();
    case ECall::ShowCursor: d->ShowCursor(As<BOOL>(a[0])); return D3D_OK;
    case ECall::SetCursorPosition:
        d->SetCursorPosition(As<int>(a[0]), As<int>(a[1]), As<DWORD>(a[2]));
        return D3D_OK;
    case ECall::StateBlockCapture: {
        auto* block = Obj<IDirect3DStateBlock9>(a[0]);
        return block ? block->Capture() : D3DERR_INVALIDCALL;
    }
    case ECall::StateBlockApply: {
        auto* block = Obj<IDirect3DStateBlock9>(a[0]);
        return block ? block->Apply() : D3DERR_INVALIDCALL;
    }
    case ECall::CreateStateBlock:
        return made ? d->CreateStateBlock(As<D3DSTATEBLOCKTYPE>(a[0]), reinterpret_cast<IDirect3DStateBlock9**>(made))
                    : D3DERR_INVALIDCALL;
    case ECall::EndStateBlock:
        return made ? d->EndStateBlock(reinterpret_cast<IDirect3DStateBlock9**>(made)) : D3DERR_INVALIDCALL;
    case ECall::CreateVertexDeclaration:
        return made ? d->CreateVertexDeclaration(static_cast<const D3DVERTEXELEMENT9*>(data),
                                                 reinterpret_cast<IDirect3DVertexDeclaration9**>(made))
                    : D3DERR_INVALIDCALL;
    case ECall::CreateTexture:
        return made ? d->CreateTexture(As<UINT>(a[0]), As<UINT>(a[1]), As<UINT>(a[2]), As<DWORD>(a[3]),
                                       As<D3DFORMAT>(a[4] & 0xFFFFFFFF), As<D3DPOOL>(a[4] >> 32),
                                       reinterpret_cast<IDirect3DTexture9**>(made), nullptr)
                    : D3DERR_INVALIDCALL;
    case ECall::CreateVertexBuffer:
        return made ? d->CreateVertexBuffer(As<UINT>(a[0]), As<DWORD>(a[1]), As<DWORD>(a[2]), As<D3DPOOL>(a[3]),
                                            reinterpret_cast<IDirect3DVertexBuffer9**>(made), nullptr)
                    : D3DERR_INVALIDCALL;
    case ECall::CreateIndexBuffer:
        return made ? d->CreateIndexBuffer(As<UINT>(a[0]), As<DWORD>(a[1]), As<D3DFORMAT>(a[2]), As<D3DPOOL>(a[3]),
                                           reinterpret_cast<IDirect3DIndexBuffer9**>(made), nullptr)
                    : D3DERR_INVALIDCALL;
    case ECall::COUNT: break;
    }
    return D3DERR_INVALIDCALL;
}

} // namespace bench
