#include "tools/benchmark/RecordingDevice.h"

#include "tools/benchmark/ImportHook.h"

#include <cstring>
#include <vector>

namespace bench {

namespace {

IDeviceWatch* gWatch = nullptr;
CRecordingDevice* gLastDevice = nullptr;
using Direct3DCreate9Function = IDirect3D9* (WINAPI*)(UINT);
Direct3DCreate9Function gRealCreate = nullptr;

uint64_t W(uint64_t v)
{
    return v;
}

// Counts the references of a wrapper; the wrapped object is released with the last one.
template <class Interface>
class TWrapper : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }

protected:
    ULONG refs_ = 1;
};

// Bytes of optional rectangles and points packed one after another, with a presence mask.
class CPacked {
public:
    template <class T>
    void Add(const T* item)
    {
        if (item) {
            const auto* p = reinterpret_cast<const uint8_t*>(item);
            bytes_.insert(bytes_.end(), p, p + sizeof(T));
            mask_ |= uint64_t(1) << count_;
        }
        ++count_;
    }
    const void* Data() const { return bytes_.data(); }
    size_t Size() const { return bytes_.size(); }
    uint64_t Mask() const { return mask_; }

private:
    std::vector<uint8_t> bytes_;
    uint64_t mask_ = 0;
    int count_ = 0;
};

} // namespace

class CRecordingStateBlock;

class CRecordingDevice final : public TWrapper<IDirect3DDevice9> {
public:
    CRecordingDevice(IDirect3DDevice9* real, IDirect3D9* parent) : real_(real), parent_(parent) {}

    IDirect3DDevice9* real_;
    IDirect3D9* parent_;  // the wrapped IDirect3D9 (held by reference)
    CDrawList* list_ = nullptr;

    void Log(ECall call, std::initializer_list<uint64_t> args, const void* data = nullptr,
             size_t size = 0)
    {
        if (list_)
            list_->Add(call, args, data, size);
    }
    void Query()
    {
        if (list_)
            list_->Query();
    }
    void Unsupported()
    {
        if (list_)
            list_->Unsupported();
    }
    // A state call of a kind the program's cache covers, made by the program itself.
    void Cached(const void* caller)
    {
        if (list_ && InThisExecutable(caller))
            list_->CachedKind();
    }
    uint64_t Obj(const void* object) const { return list_ ? list_->Object(object) : 0; }
    void Made(const void* object)
    {
        if (list_)
            list_->Made(object);
    }
    void Resource(const SMadeResource& r, IDirect3DResource9* object)
    {
        if (gWatch && object)
            gWatch->ResourceMade(r, object);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (riid == IID_IUnknown || riid == IID_IDirect3DDevice9) {
            AddRef();
            *out = this;
            return S_OK;
        }
        return real_->QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = --refs_;
        if (left == 0) {
            if (gLastDevice == this)
                gLastDevice = nullptr;
            real_->Release();
            parent_->Release();
            delete this;
        }
        return left;
    }

#define QUERY(ret, name, params, args) \
    ret STDMETHODCALLTYPE name params override { Query(); return real_->name args; }
#define UNSUPPORTED(ret, name, params, args) \
    ret STDMETHODCALLTYPE name params override { Unsupported(); return real_->name args; }
// Shader constants: count registers of width values each.
#define CONSTANTS(name, type, width) \
    HRESULT STDMETHODCALLTYPE name(UINT reg, const type* data, UINT count) override \
    { \
        Log(ECall::name, {reg, count}, data, count * (width) * sizeof *data); \
        return real_->name(reg, data, count); \
    }

    QUERY(HRESULT, TestCooperativeLevel, (), ())
    QUERY(UINT, GetAvailableTextureMem, (), ())
    UNSUPPORTED(HRESULT, EvictManagedResources, (), ())
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D9** out) override
    {
        Query();
        parent_->AddRef();
        *out = parent_;
        return D3D_OK;
    }
    QUERY(HRESULT, GetDeviceCaps, (D3DCAPS9* caps), (caps))
    QUERY(HRESULT, GetDisplayMode, (UINT chain, D3DDISPLAYMODE* mode), (chain, mode))
    QUERY(HRESULT, GetCreationParameters, (D3DDEVICE_CREATION_PARAMETERS* p), (p))
    UNSUPPORTED(HRESULT, SetCursorProperties, (UINT x, UINT y, IDirect3DSurface9* s), (x, y, s))
    void STDMETHODCALLTYPE SetCursorPosition(int x, int y, DWORD flags) override
    {
        Log(ECall::SetCursorPosition, {W(uint32_t(x)), W(uint32_t(y)), flags});
        real_->SetCursorPosition(x, y, flags);
    }
    BOOL STDMETHODCALLTYPE ShowCursor(BOOL show) override
    {
        Log(ECall::ShowCursor, {W(show)});
        return real_->ShowCursor(show);
    }
    UNSUPPORTED(HRESULT, CreateAdditionalSwapChain, (D3DPRESENT_PARAMETERS* p, IDirect3DSwapChain9** s), (p, s))
    QUERY(HRESULT, GetSwapChain, (UINT i, IDirect3DSwapChain9** s), (i, s))
    QUERY(UINT, GetNumberOfSwapChains, (), ())
    UNSUPPORTED(HRESULT, Reset, (D3DPRESENT_PARAMETERS* p), (p))

    HRESULT STDMETHODCALLTYPE Present(const RECT* src, const RECT* dst, HWND window,
                                      const RGNDATA* region) override
    {
        CPacked rects;
        rects.Add(src);
        rects.Add(dst);
        if (region)
            Unsupported();
        else
            Log(ECall::Present, {PointerWord(window), rects.Mask()}, rects.Data(), rects.Size());
        HRESULT hr = real_->Present(src, dst, window, region);
        if (gWatch)
            gWatch->Presented();
        return hr;
    }
    QUERY(HRESULT, GetBackBuffer, (UINT c, UINT i, D3DBACKBUFFER_TYPE t, IDirect3DSurface9** s), (c, i, t, s))
    QUERY(HRESULT, GetRasterStatus, (UINT c, D3DRASTER_STATUS* s), (c, s))
    UNSUPPORTED(HRESULT, SetDialogBoxMode, (BOOL on), (on))
    void STDMETHODCALLTYPE SetGammaRamp(UINT chain, DWORD flags, const D3DGAMMARAMP* ramp) override
    {
        Log(ECall::SetGammaRamp, {chain, flags}, ramp, sizeof *ramp);
        real_->SetGammaRamp(chain, flags, ramp);
    }
    QUERY(void, GetGammaRamp, (UINT chain, D3DGAMMARAMP* ramp), (chain, ramp))

    HRESULT STDMETHODCALLTYPE CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT f,
                                            D3DPOOL pool, IDirect3DTexture9** out, HANDLE* shared) override
    {
        HRESULT hr = real_->CreateTexture(w, h, levels, usage, f, pool, out, shared);
        if (SUCCEEDED(hr) && *out) {
            Log(ECall::CreateTexture, {w, h, levels, usage, W(uint32_t(f)) | W(pool) << 32});
            Made(*out);
            Resource({D3DRTYPE_TEXTURE, w, h, 1, (*out)->GetLevelCount(), usage, f, pool}, *out);
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT w, UINT h, UINT d, UINT levels, DWORD usage,
                                                  D3DFORMAT f, D3DPOOL pool, IDirect3DVolumeTexture9** out,
                                                  HANDLE* shared) override
    {
        Unsupported();
        HRESULT hr = real_->CreateVolumeTexture(w, h, d, levels, usage, f, pool, out, shared);
        if (SUCCEEDED(hr) && *out)
            Resource({D3DRTYPE_VOLUMETEXTURE, w, h, d, (*out)->GetLevelCount(), usage, f, pool}, *out);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT f,
                                                D3DPOOL pool, IDirect3DCubeTexture9** out, HANDLE* shared) override
    {
        Unsupported();
        HRESULT hr = real_->CreateCubeTexture(edge, levels, usage, f, pool, out, shared);
        if (SUCCEEDED(hr) && *out)
            Resource({D3DRTYPE_CUBETEXTURE, edge, edge, 6, (*out)->GetLevelCount(), usage, f, pool}, *out);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer9** out, HANDLE* shared) override
    {
        HRESULT hr = real_->CreateVertexBuffer(length, usage, fvf, pool, out, shared);
        if (SUCCEEDED(hr) && *out) {
            Log(ECall::CreateVertexBuffer, {length, usage, fvf, W(pool)});
            Made(*out);
            Resource({D3DRTYPE_VERTEXBUFFER, length, 1, 1, 1, usage, D3DFORMAT(fvf), pool}, *out);
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT f, D3DPOOL pool,
                                                IDirect3DIndexBuffer9** out, HANDLE* shared) override
    {
        HRESULT hr = real_->CreateIndexBuffer(length, usage, f, pool, out, shared);
        if (SUCCEEDED(hr) && *out) {
            Log(ECall::CreateIndexBuffer, {length, usage, W(f), W(pool)});
            Made(*out);
            Resource({D3DRTYPE_INDEXBUFFER, length, 1, 1, 1, usage, f, pool}, *out);
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT w, UINT h, D3DFORMAT f, D3DMULTISAMPLE_TYPE ms,
                                                 DWORD quality, BOOL lockable, IDirect3DSurface9** out,
                                                 HANDLE* shared) override
    {
        Unsupported();
        HRESULT hr = real_->CreateRenderTarget(w, h, f, ms, quality, lockable, out, shared);
        if (SUCCEEDED(hr) && *out)
            Resource({D3DRTYPE_SURFACE, w, h, 1, 1, D3DUSAGE_RENDERTARGET, f, D3DPOOL_DEFAULT}, *out);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT w, UINT h, D3DFORMAT f, D3DMULTISAMPLE_TYPE ms,
                                                        DWORD quality, BOOL discard, IDirect3DSurface9** out,
                                                        HANDLE* shared) override
    {
        Unsupported();
        HRESULT hr = real_->CreateDepthStencilSurface(w, h, f, ms, quality, discard, out, shared);
        if (SUCCEEDED(hr) && *out)
            Resource({D3DRTYPE_SURFACE, w, h, 1, 1, D3DUSAGE_DEPTHSTENCIL, f, D3DPOOL_DEFAULT}, *out);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE UpdateSurface(IDirect3DSurface9* src, const RECT* rect, IDirect3DSurface9* dst,
                                            const POINT* point) override
    {
        CPacked packed;
        packed.Add(rect);
        packed.Add(point);
        Log(ECall::UpdateSurface, {Obj(src), Obj(dst), packed.Mask()}, packed.Data(), packed.Size());
        return real_->UpdateSurface(src, rect, dst, point);
    }
    HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture9* src, IDirect3DBaseTexture9* dst) override
    {
        Log(ECall::UpdateTexture, {Obj(src), Obj(dst)});
        return real_->UpdateTexture(src, dst);
    }
    HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dst) override
    {
        Log(ECall::GetRenderTargetData, {Obj(target), Obj(dst)});
        return real_->GetRenderTargetData(target, dst);
    }
    UNSUPPORTED(HRESULT, GetFrontBufferData, (UINT chain, IDirect3DSurface9* s), (chain, s))
    HRESULT STDMETHODCALLTYPE StretchRect(IDirect3DSurface9* src, const RECT* srcRect, IDirect3DSurface9* dst,
                                          const RECT* dstRect, D3DTEXTUREFILTERTYPE filter) override
    {
        CPacked rects;
        rects.Add(srcRect);
        rects.Add(dstRect);
        Log(ECall::StretchRect, {Obj(src), Obj(dst), W(filter), rects.Mask()}, rects.Data(), rects.Size());
        return real_->StretchRect(src, srcRect, dst, dstRect, filter);
    }
    HRESULT STDMETHODCALLTYPE ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) override
    {
        CPacked packed;
        packed.Add(rect);
        Log(ECall::ColorFill, {Obj(surface), color, packed.Mask()}, packed.Data(), packed.Size());
        return real_->ColorFill(surface, rect, color);
    }
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT w, UINT h, D3DFORMAT f, D3DPOOL pool,
                                                          IDirect3DSurface9** out, HANDLE* shared) override
    {
        Unsupported();
        HRESULT hr = real_->CreateOffscreenPlainSurface(w, h, f, pool, out, shared);
        if (SUCCEEDED(hr) && *out)
            Resource({D3DRTYPE_SURFACE, w, h, 1, 1, 0, f, pool}, *out);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD index, IDirect3DSurface9* target) override
    {
        Log(ECall::SetRenderTarget, {index, Obj(target)});
        return real_->SetRenderTarget(index, target);
    }
    QUERY(HRESULT, GetRenderTarget, (DWORD i, IDirect3DSurface9** s), (i, s))
    HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9* surface) override
    {
        Log(ECall::SetDepthStencilSurface, {Obj(surface)});
        return real_->SetDepthStencilSurface(surface);
    }
    QUERY(HRESULT, GetDepthStencilSurface, (IDirect3DSurface9** s), (s))
    HRESULT STDMETHODCALLTYPE BeginScene() override
    {
        Log(ECall::BeginScene, {});
        return real_->BeginScene();
    }
    HRESULT STDMETHODCALLTYPE EndScene() override
    {
        Log(ECall::EndScene, {});
        return real_->EndScene();
    }
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                    DWORD stencil) override
    {
        Log(ECall::Clear, {rects ? count : 0, flags, color, FloatWord(z), stencil}, rects,
            rects ? count * sizeof *rects : 0);
        return real_->Clear(count, rects, flags, color, z, stencil);
    }
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* m) override
    {
        Log(ECall::SetTransform, {W(state)}, m, sizeof *m);
        return real_->SetTransform(state, m);
    }
    QUERY(HRESULT, GetTransform, (D3DTRANSFORMSTATETYPE s, D3DMATRIX* m), (s, m))
    HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* m) override
    {
        Log(ECall::MultiplyTransform, {W(state)}, m, sizeof *m);
        return real_->MultiplyTransform(state, m);
    }
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* viewport) override
    {
        Log(ECall::SetViewport, {}, viewport, sizeof *viewport);
        return real_->SetViewport(viewport);
    }
    QUERY(HRESULT, GetViewport, (D3DVIEWPORT9* v), (v))
    HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9* material) override
    {
        Log(ECall::SetMaterial, {}, material, sizeof *material);
        return real_->SetMaterial(material);
    }
    QUERY(HRESULT, GetMaterial, (D3DMATERIAL9* m), (m))
    HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT9* light) override
    {
        Log(ECall::SetLight, {index}, light, sizeof *light);
        return real_->SetLight(index, light);
    }
    QUERY(HRESULT, GetLight, (DWORD i, D3DLIGHT9* l), (i, l))
    HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, BOOL on) override
    {
        Log(ECall::LightEnable, {index, W(on)});
        return real_->LightEnable(index, on);
    }
    QUERY(HRESULT, GetLightEnable, (DWORD i, BOOL* on), (i, on))
    HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD index, const float* plane) override
    {
        Log(ECall::SetClipPlane, {index}, plane, 4 * sizeof *plane);
        return real_->SetClipPlane(index, plane);
    }
    QUERY(HRESULT, GetClipPlane, (DWORD i, float* p), (i, p))
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        Cached(__builtin_return_address(0));
        Log(ECall::SetRenderState, {W(state), value});
        return real_->SetRenderState(state, value);
    }
    QUERY(HRESULT, GetRenderState, (D3DRENDERSTATETYPE s, DWORD* v), (s, v))
    HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out) override;
    HRESULT STDMETHODCALLTYPE BeginStateBlock() override
    {
        Log(ECall::BeginStateBlock, {});
        return real_->BeginStateBlock();
    }
    HRESULT STDMETHODCALLTYPE EndStateBlock(IDirect3DStateBlock9** out) override;
    HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS9* status) override
    {
        Log(ECall::SetClipStatus, {}, status, sizeof *status);
        return real_->SetClipStatus(status);
    }
    QUERY(HRESULT, GetClipStatus, (D3DCLIPSTATUS9* s), (s))
    QUERY(HRESULT, GetTexture, (DWORD stage, IDirect3DBaseTexture9** t), (stage, t))
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override
    {
        Cached(__builtin_return_address(0));
        Log(ECall::SetTexture, {stage, Obj(texture)});
        return real_->SetTexture(stage, texture);
    }
    QUERY(HRESULT, GetTextureStageState, (DWORD s, D3DTEXTURESTAGESTATETYPE t, DWORD* v), (s, t, v))
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override
    {
        Cached(__builtin_return_address(0));
        Log(ECall::SetTextureStageState, {stage, W(type), value});
        return real_->SetTextureStageState(stage, type, value);
    }
    QUERY(HRESULT, GetSamplerState, (DWORD s, D3DSAMPLERSTATETYPE t, DWORD* v), (s, t, v))
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override
    {
        Cached(__builtin_return_address(0));
        Log(ECall::SetSamplerState, {sampler, W(type), value});
        return real_->SetSamplerState(sampler, type, value);
    }
    QUERY(HRESULT, ValidateDevice, (DWORD* passes), (passes))
    HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT palette, const PALETTEENTRY* entries) override
    {
        Log(ECall::SetPaletteEntries, {palette}, entries, 256 * sizeof *entries);
        return real_->SetPaletteEntries(palette, entries);
    }
    QUERY(HRESULT, GetPaletteEntries, (UINT p, PALETTEENTRY* e), (p, e))
    HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT palette) override
    {
        Log(ECall::SetCurrentTexturePalette, {palette});
        return real_->SetCurrentTexturePalette(palette);
    }
    QUERY(HRESULT, GetCurrentTexturePalette, (UINT* p), (p))
    HRESULT STDMETHODCALLTYPE SetScissorRect(const RECT* rect) override
    {
        Log(ECall::SetScissorRect, {}, rect, sizeof *rect);
        return real_->SetScissorRect(rect);
    }
    QUERY(HRESULT, GetScissorRect, (RECT* r), (r))
    HRESULT STDMETHODCALLTYPE SetSoftwareVertexProcessing(BOOL on) override
    {
        Cached(__builtin_return_address(0));
        Log(ECall::SetSoftwareVertexProcessing, {W(on)});
        return real_->SetSoftwareVertexProcessing(on);
    }
    QUERY(BOOL, GetSoftwareVertexProcessing, (), ())
    HRESULT STDMETHODCALLTYPE SetNPatchMode(float segments) override
    {
        Log(ECall::SetNPatchMode, {FloatWord(segments)});
        return real_->SetNPatchMode(segments);
    }
    QUERY(float, GetNPatchMode, (), ())
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) override
    {
        Log(ECall::DrawPrimitive, {W(type), start, count});
        return real_->DrawPrimitive(type, start, count);;
    }
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT base, UINT minIndex, UINT vertices,
                                                   UINT start, UINT count) override
    {
        Log(ECall::DrawIndexedPrimitive, {W(type), W(uint32_t(base)), minIndex, vertices, start, count});
        return real_->DrawIndexedPrimitive(type, base, minIndex, vertices, start, count);;
    }
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data,
                                              UINT stride) override
    {
        Log(ECall::DrawPrimitiveUP, {W(type), count, stride}, data, size_t(VertexCount(type, count)) * stride);
        return real_->DrawPrimitiveUP(type, count, data, stride);;
    }
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices,
                                                     UINT count, const void* indices, D3DFORMAT format,
                                                     const void* data, UINT stride) override
    {
        if (list_ && indices && data) {
            const size_t indexBytes = size_t(VertexCount(type, count)) * (format == D3DFMT_INDEX32 ? 4 : 2);
            const size_t vertexBytes = size_t(minIndex + vertices) * stride;
            std::vector<uint8_t> both(indexBytes + vertexBytes);
            memcpy(both.data(), indices, indexBytes);
            memcpy(both.data() + indexBytes, data, vertexBytes);
            Log(ECall::DrawIndexedPrimitiveUP, {W(type), minIndex, vertices, count, W(format), stride},
                both.data(), both.size());
        }
        return real_->DrawIndexedPrimitiveUP(type, minIndex, vertices, count, indices, format, data, stride);;
    }
    HRESULT STDMETHODCALLTYPE ProcessVertices(UINT src, UINT dst, UINT count, IDirect3DVertexBuffer9* buffer,
                                              IDirect3DVertexDeclaration9* decl, DWORD flags) override
    {
        Log(ECall::ProcessVertices, {src, dst, count, Obj(buffer), Obj(decl), flags});
        return real_->ProcessVertices(src, dst, count, buffer, decl, flags);
    }
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                      IDirect3DVertexDeclaration9** out) override
    {
        HRESULT hr = real_->CreateVertexDeclaration(elements, out);
        if (SUCCEEDED(hr) && *out && list_) {
            size_t n = 0;
            while (elements[n].Stream != 0xFF)
                ++n;
            Log(ECall::CreateVertexDeclaration, {}, elements, (n + 1) * sizeof *elements);
            Made(*out);
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* decl) override
    {
        Cached(__builtin_return_address(0));
        Log(ECall::SetVertexDeclaration, {Obj(decl)});
        return real_->SetVertexDeclaration(decl);
    }
    QUERY(HRESULT, GetVertexDeclaration, (IDirect3DVertexDeclaration9** d), (d))
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override
    {
        Cached(__builtin_return_address(0));
        Log(ECall::SetFVF, {fvf});
        return real_->SetFVF(fvf);
    }
    QUERY(HRESULT, GetFVF, (DWORD* f), (f))
    UNSUPPORTED(HRESULT, CreateVertexShader, (const DWORD* code, IDirect3DVertexShader9** s), (code, s))
    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* shader) override
    {
        Cached(__builtin_return_address(0));
        Log(ECall::SetVertexShader, {Obj(shader)});
        return real_->SetVertexShader(shader);
    }
    QUERY(HRESULT, GetVertexShader, (IDirect3DVertexShader9** s), (s))
    CONSTANTS(SetVertexShaderConstantF, float, 4)
    QUERY(HRESULT, GetVertexShaderConstantF, (UINT r, float* d, UINT n), (r, d, n))
    CONSTANTS(SetVertexShaderConstantI, int, 4)
    QUERY(HRESULT, GetVertexShaderConstantI, (UINT r, int* d, UINT n), (r, d, n))
    CONSTANTS(SetVertexShaderConstantB, BOOL, 1)
    QUERY(HRESULT, GetVertexShaderConstantB, (UINT r, BOOL* d, UINT n), (r, d, n))
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                              UINT stride) override
    {
        Cached(__builtin_return_address(0));
        Log(ECall::SetStreamSource, {stream, Obj(buffer), offset, stride});
        return real_->SetStreamSource(stream, buffer, offset, stride);
    }
    QUERY(HRESULT, GetStreamSource, (UINT s, IDirect3DVertexBuffer9** b, UINT* o, UINT* st), (s, b, o, st))
    HRESULT STDMETHODCALLTYPE SetStreamSourceFreq(UINT stream, UINT divider) override
    {
        Log(ECall::SetStreamSourceFreq, {stream, divider});
        return real_->SetStreamSourceFreq(stream, divider);
    }
    QUERY(HRESULT, GetStreamSourceFreq, (UINT s, UINT* d), (s, d))
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* buffer) override
    {
        Cached(__builtin_return_address(0));
        Log(ECall::SetIndices, {Obj(buffer)});
        return real_->SetIndices(buffer);
    }
    QUERY(HRESULT, GetIndices, (IDirect3DIndexBuffer9** b), (b))
    UNSUPPORTED(HRESULT, CreatePixelShader, (const DWORD* code, IDirect3DPixelShader9** s), (code, s))
    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* shader) override
    {
        Cached(__builtin_return_address(0));
        Log(ECall::SetPixelShader, {Obj(shader)});
        return real_->SetPixelShader(shader);
    }
    QUERY(HRESULT, GetPixelShader, (IDirect3DPixelShader9** s), (s))
    CONSTANTS(SetPixelShaderConstantF, float, 4)
    QUERY(HRESULT, GetPixelShaderConstantF, (UINT r, float* d, UINT n), (r, d, n))
    CONSTANTS(SetPixelShaderConstantI, int, 4)
    QUERY(HRESULT, GetPixelShaderConstantI, (UINT r, int* d, UINT n), (r, d, n))
    CONSTANTS(SetPixelShaderConstantB, BOOL, 1)
    QUERY(HRESULT, GetPixelShaderConstantB, (UINT r, BOOL* d, UINT n), (r, d, n))
    UNSUPPORTED(HRESULT, DrawRectPatch, (UINT h, const float* s, const D3DRECTPATCH_INFO* i), (h, s, i))
    UNSUPPORTED(HRESULT, DrawTriPatch, (UINT h, const float* s, const D3DTRIPATCH_INFO* i), (h, s, i))
    UNSUPPORTED(HRESULT, DeletePatch, (UINT h), (h))
    UNSUPPORTED(HRESULT, CreateQuery, (D3DQUERYTYPE t, IDirect3DQuery9** q), (t, q))

#undef QUERY
#undef UNSUPPORTED
#undef CONSTANTS
};

// State blocks are wrapped too: the sprite and font objects capture and apply them.
class CRecordingStateBlock final : public TWrapper<IDirect3DStateBlock9> {
public:
    CRecordingStateBlock(IDirect3DStateBlock9* real, CRecordingDevice* device) : real_(real), device_(device)
    {
        device_->AddRef();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (riid == IID_IUnknown || riid == IID_IDirect3DStateBlock9) {
            AddRef();
            *out = this;
            return S_OK;
        }
        return real_->QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = --refs_;
        if (left == 0) {
            real_->Release();
            device_->Release();
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** out) override
    {
        device_->AddRef();
        *out = device_;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE Capture() override
    {
        device_->Log(ECall::StateBlockCapture, {Word()});
        return real_->Capture();
    }
    HRESULT STDMETHODCALLTYPE Apply() override
    {
        device_->Log(ECall::StateBlockApply, {Word()});
        return real_->Apply();
    }

private:
    IDirect3DStateBlock9* real_;
    CRecordingDevice* device_;

    // A block made while recording is named by its wrapper, any other by the real block.
    uint64_t Word() const
    {
        uint64_t w = device_->Obj(this);
        return w == PointerWord(this) ? PointerWord(real_) : w;
    }
};

HRESULT CRecordingDevice::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out)
{
    IDirect3DStateBlock9* real = nullptr;
    HRESULT hr = real_->CreateStateBlock(type, &real);
    *out = SUCCEEDED(hr) && real ? new CRecordingStateBlock(real, this) : nullptr;
    if (*out) {
        Log(ECall::CreateStateBlock, {W(type)});
        Made(*out);
    }
    return hr;
}

HRESULT CRecordingDevice::EndStateBlock(IDirect3DStateBlock9** out)
{
    IDirect3DStateBlock9* real = nullptr;
    HRESULT hr = real_->EndStateBlock(&real);
    *out = SUCCEEDED(hr) && real ? new CRecordingStateBlock(real, this) : nullptr;
    if (*out) {
        Log(ECall::EndStateBlock, {});
        Made(*out);
    }
    return hr;
}

namespace {

class CRecordingDirect3D final : public TWrapper<IDirect3D9> {
public:
    explicit CRecordingDirect3D(IDirect3D9* real) : real_(real) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (riid == IID_IUnknown || riid == IID_IDirect3D9) {
            AddRef();
            *out = this;
            return S_OK;
        }
        return real_->QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = --refs_;
        if (left == 0) {
            real_->Release();
            delete this;
        }
        return left;
    }

#define FORWARD(ret, name, params, args) \
    ret STDMETHODCALLTYPE name params override { return real_->name args; }
    FORWARD(HRESULT, RegisterSoftwareDevice, (void* f), (f))
    FORWARD(UINT, GetAdapterCount, (), ())
    FORWARD(HRESULT, GetAdapterIdentifier, (UINT a, DWORD f, D3DADAPTER_IDENTIFIER9* i), (a, f, i))
    FORWARD(UINT, GetAdapterModeCount, (UINT a, D3DFORMAT f), (a, f))
    FORWARD(HRESULT, EnumAdapterModes, (UINT a, D3DFORMAT f, UINT m, D3DDISPLAYMODE* d), (a, f, m, d))
    FORWARD(HRESULT, GetAdapterDisplayMode, (UINT a, D3DDISPLAYMODE* d), (a, d))
    FORWARD(HRESULT, CheckDeviceType, (UINT a, D3DDEVTYPE t, D3DFORMAT d, D3DFORMAT b, BOOL w), (a, t, d, b, w))
    FORWARD(HRESULT, CheckDeviceFormat,
            (UINT a, D3DDEVTYPE t, D3DFORMAT af, DWORD u, D3DRESOURCETYPE r, D3DFORMAT f), (a, t, af, u, r, f))
    FORWARD(HRESULT, CheckDeviceMultiSampleType,
            (UINT a, D3DDEVTYPE t, D3DFORMAT f, BOOL w, D3DMULTISAMPLE_TYPE m, DWORD* q), (a, t, f, w, m, q))
    FORWARD(HRESULT, CheckDepthStencilMatch, (UINT a, D3DDEVTYPE t, D3DFORMAT af, D3DFORMAT r, D3DFORMAT d),
            (a, t, af, r, d))
    FORWARD(HRESULT, CheckDeviceFormatConversion, (UINT a, D3DDEVTYPE t, D3DFORMAT s, D3DFORMAT d), (a, t, s, d))
    FORWARD(HRESULT, GetDeviceCaps, (UINT a, D3DDEVTYPE t, D3DCAPS9* c), (a, t, c))
    FORWARD(HMONITOR, GetAdapterMonitor, (UINT a), (a))
#undef FORWARD

    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND window, DWORD behaviour,
                                           D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** out) override
    {
        const D3DPRESENT_PARAMETERS asked = *params;
        IDirect3DDevice9* real = nullptr;
        HRESULT hr = real_->CreateDevice(adapter, type, window, behaviour, params, &real);
        if (FAILED(hr) || !real) {
            *out = nullptr;
            return hr;
        }
        AddRef();
        gLastDevice = new CRecordingDevice(real, this);
        *out = gLastDevice;
        if (gWatch)
            gWatch->DeviceMade(adapter, type, window, behaviour, asked);
        return hr;
    }

private:
    IDirect3D9* real_;
};

IDirect3D9* WINAPI RecordingCreate9(UINT version)
{
    IDirect3D9* real = gRealCreate(version);
    return real ? new CRecordingDirect3D(real) : nullptr;
}

} // namespace

bool InstallRecordingDevice(IDeviceWatch* watch)
{
    gWatch = watch;
    if (gRealCreate)
        return true;
    gRealCreate = reinterpret_cast<Direct3DCreate9Function>(
        HookImport("d3d9.dll", "Direct3DCreate9", reinterpret_cast<void*>(&RecordingCreate9)));
    return gRealCreate != nullptr;
}

CRecordingDevice* RecordingDevice()
{
    return gLastDevice;
}

IDirect3DDevice9* RealDevice(CRecordingDevice* device)
{
    return device ? device->real_ : nullptr;
}

void StartRecording(CRecordingDevice* device, CDrawList* list)
{
    if (device)
        device->list_ = list;
}

} // namespace bench
