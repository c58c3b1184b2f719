// The bare run of the start-up and memory figures: in a fresh process, only the work no
// start-up can avoid, each part timed: a window and the device with the program's
// parameters and one presented frame; every file the program read, read into memory; its
// textures made from those bytes; its other textures, surfaces and buffers made (buffers
// filled); its shaders compiled or assembled from the bytes in memory and made. Between
// the first frame and the loads, the device's working set is taken, once after a cleared
// frame and once after a frame that drew what any picture of the program needs.

#include "tools/benchmark/Bench.h"
#include "tools/benchmark/Manifest.h"
#include "tools/benchmark/StartUp.h"

#include <windows.h>
#include <d3dx9.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

namespace bench {

namespace {

const char WINDOW_CLASS[] = "BareDevice";

// Everything the run makes; released at the end.
struct SBareObjects {
    HWND window = nullptr;
    IDirect3D9* direct3D = nullptr;
    IDirect3DDevice9* device = nullptr;
    std::map<std::string, std::string> files;
    std::vector<IUnknown*> objects;

    ~SBareObjects()
    {
        for (IUnknown* object : objects)
            object->Release();
        if (device)
            device->Release();
        if (direct3D)
            direct3D->Release();
        if (window)
            DestroyWindow(window);
    }
    template <class T>
    void Keep(T* object)
    {
        if (object)
            objects.push_back(object);
    }
};

bool MakeDevice(const SDeviceSetup& setup, SBareObjects& bare)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_CLASSDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = WINDOW_CLASS;
    RegisterClassExA(&wc);
    RECT frame = {0, 0, setup.width, setup.height};
    AdjustWindowRect(&frame, setup.style, FALSE);
    bare.window = CreateWindowExA(0, WINDOW_CLASS, "bare", setup.style, 0, 0, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, wc.hInstance, nullptr);
    if (!bare.window)
        return false;
    ShowWindow(bare.window, SW_SHOWDEFAULT);
    UpdateWindow(bare.window);
    bare.direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params = setup.params;
    params.hDeviceWindow = bare.window;
    return bare.direct3D && SUCCEEDED(bare.direct3D->CreateDevice(setup.adapter, setup.type, bare.window,
                                                                   setup.behaviour, &params, &bare.device));
}

// The first frame: cleared, then (with kinds) one triangle from user memory and one from a
// vertex buffer of every kind the program draws from. On this platform a device's memory
// depends on what it has drawn: the first shaded triangle brings in the shader compiler,
// and each kind of vertex buffer gets a large block of its own.
bool PresentFirstFrame(IDirect3DDevice9* device, DWORD clear, const std::vector<SMadeResource>* kinds,
                       SBareObjects& bare)
{
    struct SVertex {
        float x, y, z, rhw;
        D3DCOLOR colour;
    };
    const SVertex triangle[3] = {{0, 0, 0.5f, 1, 0xFFFFFFFF}, {64, 0, 0.5f, 1, 0xFFFFFFFF},
                                 {0, 64, 0.5f, 1, 0xFFFFFFFF}};
    const DWORD fvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
    device->BeginScene();
    device->Clear(0, nullptr, clear, 0xFF304050, 1.0f, 0);
    if (kinds) {
        device->SetFVF(fvf);
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof *triangle);
        for (const SMadeResource& kind : *kinds) {
            IDirect3DVertexBuffer9* vb = nullptr;
            if (FAILED(device->CreateVertexBuffer(sizeof triangle, kind.usage, fvf, kind.pool, &vb, nullptr)))
                return false;
            bare.Keep(vb);
            void* data = nullptr;
            if (FAILED(vb->Lock(0, 0, &data, 0)) || !data)
                return false;
            memcpy(data, triangle, sizeof triangle);
            vb->Unlock();
            device->SetStreamSource(0, vb, 0, sizeof *triangle);
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
        }
    }
    device->EndScene();
    const bool ok = SUCCEEDED(device->Present(nullptr, nullptr, nullptr, nullptr));
    WaitForDevice(device);
    return ok;
}

// Every kind (usage and pool) of vertex buffer the program made, once.
std::vector<SMadeResource> VertexBufferKinds(const std::vector<SMadeResource>& made)
{
    std::vector<SMadeResource> kinds;
    for (const SMadeResource& r : made) {
        if (r.type != D3DRTYPE_VERTEXBUFFER)
            continue;
        bool known = false;
        for (const SMadeResource& k : kinds)
            known = known || (k.usage == r.usage && k.pool == r.pool);
        if (!known)
            kinds.push_back(r);
    }
    return kinds;
}

bool ReadFiles(const std::vector<std::string>& paths, SBareObjects& bare)
{
    for (const std::string& path : paths) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        std::string& bytes = bare.files[path];
        bytes.resize(GetFileSize(h, nullptr));
        DWORD got = 0;
        const bool ok = ReadFile(h, &bytes[0], DWORD(bytes.size()), &got, nullptr) && got == bytes.size();
        CloseHandle(h);
        if (!ok)
            return false;
    }
    return true;
}

bool MakeTextures(const std::vector<STextureFile>& textures, SBareObjects& bare)
{
    for (const STextureFile& t : textures) {
        const std::string& bytes = bare.files[t.path];
        const UINT size = UINT(bytes.size());
        HRESULT hr;
        if (t.cube) {
            IDirect3DCubeTexture9* cube = nullptr;
            hr = D3DXCreateCubeTextureFromFileInMemoryEx(bare.device, bytes.data(), size, t.width, t.mips, t.usage,
                                                         t.format, t.pool, t.filter, t.mipFilter, t.colorKey,
                                                         nullptr, nullptr, &cube);
            bare.Keep(cube);
        } else {
            IDirect3DTexture9* texture = nullptr;
            hr = D3DXCreateTextureFromFileInMemoryEx(bare.device, bytes.data(), size, t.width, t.height, t.mips,
                                                     t.usage, t.format, t.pool, t.filter, t.mipFilter,
                                                     t.colorKey, nullptr, nullptr, &texture);
            bare.Keep(texture);
        }
        if (FAILED(hr))
            return false;
    }
    return true;
}

// Buffers are filled as a loader fills them: one lock, every byte written.
template <class Buffer>
bool Fill(Buffer* buffer, UINT length)
{
    void* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, 0)) || !data)
        return false;
    memset(data, 0, length);
    return SUCCEEDED(buffer->Unlock());
}

bool MakeResource(const SMadeResource& r, SBareObjects& bare)
{
    IDirect3DDevice9* d = bare.device;
    HRESULT hr = E_FAIL;
    switch (r.type) {
    case D3DRTYPE_TEXTURE: {
        IDirect3DTexture9* t = nullptr;
        hr = d->CreateTexture(r.width, r.height, r.levels, r.usage, r.format, r.pool, &t, nullptr);
        bare.Keep(t);
        break;
    }
    case D3DRTYPE_CUBETEXTURE: {
        IDirect3DCubeTexture9* t = nullptr;
        hr = d->CreateCubeTexture(r.width, r.levels, r.usage, r.format, r.pool, &t, nullptr);
        bare.Keep(t);
        break;
    }
    case D3DRTYPE_SURFACE: {
        IDirect3DSurface9* s = nullptr;
        if (r.usage & D3DUSAGE_DEPTHSTENCIL)
            hr = d->CreateDepthStencilSurface(r.width, r.height, r.format, D3DMULTISAMPLE_NONE, 0, FALSE, &s, nullptr);
        else if (r.usage & D3DUSAGE_RENDERTARGET)
            hr = d->CreateRenderTarget(r.width, r.height, r.format, D3DMULTISAMPLE_NONE, 0, FALSE, &s, nullptr);
        else
            hr = d->CreateOffscreenPlainSurface(r.width, r.height, r.format, r.pool, &s, nullptr);
        bare.Keep(s);
        break;
    }
    case D3DRTYPE_VERTEXBUFFER: {
        IDirect3DVertexBuffer9* b = nullptr;
        hr = d->CreateVertexBuffer(r.width, r.usage, DWORD(r.format), r.pool, &b, nullptr);
        bare.Keep(b);
        if (SUCCEEDED(hr) && !Fill(b, r.width))
            return false;
        break;
    }
    case D3DRTYPE_INDEXBUFFER: {
        IDirect3DIndexBuffer9* b = nullptr;
        hr = d->CreateIndexBuffer(r.width, r.usage, r.format, r.pool, &b, nullptr);
        bare.Keep(b);
        if (SUCCEEDED(hr) && !Fill(b, r.width))
            return false;
        break;
    }
    default:
        break;
    }
    return SUCCEEDED(hr);
}

bool MakeShader(const SShaderSource& s, SBareObjects& bare)
{
    const std::string& source = s.path.empty() ? s.text : bare.files[s.path];
    std::vector<D3DXMACRO> macros;
    for (const auto& m : s.macros)
        macros.push_back({m.first.c_str(), m.second.c_str()});
    macros.push_back({nullptr, nullptr});
    ID3DXBuffer *code = nullptr, *errors = nullptr;
    HRESULT hr = s.compiled ? D3DXCompileShader(source.data(), UINT(source.size()), macros.data(), nullptr,
                                                s.entry.c_str(), s.profile.c_str(), s.flags, &code, &errors, nullptr)
                            : D3DXAssembleShader(source.data(), UINT(source.size()), macros.data(), nullptr,
                                                 s.flags, &code, &errors);
    if (errors)
        errors->Release();
    if (FAILED(hr) || !code)
        return false;
    const auto* tokens = static_cast<const DWORD*>(code->GetBufferPointer());
    // The version token: 0xFFFE.... for vertex shaders, 0xFFFF.... for pixel shaders.
    if ((tokens[0] >> 16) == 0xFFFE) {
        IDirect3DVertexShader9* shader = nullptr;
        hr = bare.device->CreateVertexShader(tokens, &shader);
        bare.Keep(shader);
    } else {
        IDirect3DPixelShader9* shader = nullptr;
        hr = bare.device->CreatePixelShader(tokens, &shader);
        bare.Keep(shader);
    }
    code->Release();
    return SUCCEEDED(hr);
}

// Runs step and adds its duration to seconds; false when it failed.
template <class Step>
bool Timed(double& seconds, Step step)
{
    const double t0 = Now();
    const bool ok = step();
    seconds += Now() - t0;
    return ok;
}

} // namespace

int RunBareChild(const std::string& dir, double mainEntered)
{
    SManifest m;
    if (!ReadManifest(dir + "\\manifest.txt", m))
        return 2;
    SBareRun run;
    run.mainEntered = mainEntered;
    SBareObjects bare;
    const std::vector<SMadeResource> kinds = VertexBufferKinds(m.made);
    const DWORD clear = D3DCLEAR_TARGET | (m.device.params.EnableAutoDepthStencil ? D3DCLEAR_ZBUFFER : 0);
    if (!Timed(run.device, [&] { return MakeDevice(m.device, bare); }) ||
        !Timed(run.device, [&] { return PresentFirstFrame(bare.device, clear, nullptr, bare); }))
        return 3;
    run.clearedMiB = PeakWorkingSetMiB();
    if (!Timed(run.device, [&] { return PresentFirstFrame(bare.device, clear, &kinds, bare); }))
        return 3;
    run.deviceMiB = PeakWorkingSetMiB();
    bool ok = Timed(run.files, [&] { return ReadFiles(m.files, bare); }) &&
              Timed(run.textures, [&] { return MakeTextures(m.textures, bare); });
    for (const SMadeResource& r : m.made)
        ok = ok && Timed(run.buffers, [&] { return MakeResource(r, bare); });
    for (const SShaderSource& s : m.shaders)
        ok = ok && Timed(run.shaders, [&] { return MakeShader(s, bare); });
    if (!ok)
        return 4;
    std::ofstream(dir + "\\bare.txt") << std::fixed << run.mainEntered << ' ' << run.device << ' ' << run.files
                                       << ' ' << run.textures << ' ' << run.buffers << ' ' << run.shaders << ' '
                                       << run.clearedMiB << ' ' << run.deviceMiB << '\n';
    return 0;
}

bool ReadBareRun(const std::string& dir, SBareRun& run)
{
    std::ifstream in(dir + "\\bare.txt");
    return bool(in >> run.mainEntered >> run.device >> run.files >> run.textures >> run.buffers >> run.shaders >>
                run.clearedMiB >> run.deviceMiB);
}

} // namespace bench
