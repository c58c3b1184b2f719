// The program run of the start-up and memory figures: the program starts the sample in this
// fresh process with the device wrapped and its file, texture and shader loads watched, runs
// until the presentation has settled, then writes what it did and what it holds.

#include "tools/benchmark/Bench.h"
#include "tools/benchmark/ImportHook.h"
#include "tools/benchmark/Manifest.h"
#include "tools/benchmark/StartUp.h"

#include "core/ShaderBuild.h"
#include "tests/support/Harness.h"

#include <windows.h>
#include <d3dx9.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <set>

namespace bench {

namespace {

// Frames after the first one: the presentation's start takes a few and the peak follows.
constexpr int SETTLING_FRAMES = 60;

// {6A1C2D35-8E0B-4F4B-9C52-31D7A0E4B9F1}: the key of the liveness marker on every resource.
const GUID LIVE_KEY = {0x6a1c2d35, 0x8e0b, 0x4f4b, {0x9c, 0x52, 0x31, 0xd7, 0xa0, 0xe4, 0xb9, 0xf1}};

// Held by a resource as private data: the resource releases it when it is destroyed.
class CLiveMarker final : public IUnknown {
public:
    CLiveMarker(double bytes, bool managed) : bytes(bytes), managed(managed) {}
    const double bytes;
    const bool managed;
    bool Alive() const { return refs_ > 0; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        *out = riid == IID_IUnknown ? this : nullptr;
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }

private:
    ULONG refs_ = 0;
};

class CProgramWatch final : public IDeviceWatch {
public:
    SManifest manifest;
    std::vector<std::unique_ptr<CLiveMarker>> markers;
    double firstPresent = 0.0;
    int fileLoads = 0;  // inside a texture load from a file: its resources are that load's
    int unmarked = 0;

    void DeviceMade(UINT adapter, D3DDEVTYPE type, HWND window, DWORD behaviour,
                    const D3DPRESENT_PARAMETERS& params) override
    {
        SDeviceSetup& d = manifest.device;
        d.adapter = adapter;
        d.type = type;
        d.behaviour = behaviour;
        d.params = params;
        d.style = DWORD(GetWindowLongA(window, GWL_STYLE));
        RECT client = {};
        GetClientRect(window, &client);
        d.width = client.right - client.left;
        d.height = client.bottom - client.top;
    }
    void ResourceMade(const SMadeResource& resource, IDirect3DResource9* object) override
    {
        auto marker = std::make_unique<CLiveMarker>(ResourceBytes(resource), resource.pool == D3DPOOL_MANAGED);
        if (SUCCEEDED(object->SetPrivateData(LIVE_KEY, marker.get(), sizeof(IUnknown*), D3DSPD_IUNKNOWN)))
            markers.push_back(std::move(marker));
        else
            ++unmarked;
        if (!fileLoads)
            manifest.made.push_back(resource);
    }
    // The first frame counts once the device has shown it, not when it was queued.
    void Presented() override
    {
        if (firstPresent)
            return;
        WaitForDevice(RealDevice(RecordingDevice()));
        firstPresent = Now();
    }

    void FileRead(const char* name)
    {
        char full[MAX_PATH];
        if (!GetFullPathNameA(name, sizeof full, full, nullptr))
            return;
        if (known_.insert(full).second)
            manifest.files.push_back(full);
    }

private:
    std::set<std::string> known_;
};

CProgramWatch* gWatch = nullptr;

// The replaced functions and the originals they call.
decltype(&fopen) gFopen;
decltype(&D3DXCreateTextureFromFileExA) gTextureFromFile;
decltype(&D3DXCreateCubeTextureFromFileExA) gCubeFromFile;
decltype(&WriteFile) gWriteFile;
decltype(&D3DXAssembleShader) gAssembleText;

FILE* __cdecl WatchedFopen(const char* name, const char* mode)
{
    FILE* file = gFopen(name, mode);
    if (file && mode && mode[0] == 'r' && !strchr(mode, '+'))
        gWatch->FileRead(name);
    return file;
}

// A texture load from a file: the resources made inside it are the load's own.
template <class Load>
HRESULT TextureFromFile(bool cube, const char* file, UINT width, UINT height, UINT mips, DWORD usage,
                        D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR key, Load load)
{
    ++gWatch->fileLoads;
    const HRESULT hr = load();
    --gWatch->fileLoads;
    if (SUCCEEDED(hr)) {
        char full[MAX_PATH] = {};
        GetFullPathNameA(file, sizeof full, full, nullptr);
        gWatch->FileRead(file);
        gWatch->manifest.textures.push_back(
            {cube, width, height, mips, usage, format, pool, filter, mipFilter, key, full});
    }
    return hr;
}

HRESULT WINAPI WatchedTextureFromFile(IDirect3DDevice9* device, const char* file, UINT width, UINT height,
                                      UINT mips, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                      DWORD mipFilter, D3DCOLOR key, D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                      IDirect3DTexture9** texture)
{
    return TextureFromFile(false, file, width, height, mips, usage, format, pool, filter, mipFilter, key, [&] {
        return gTextureFromFile(device, file, width, height, mips, usage, format, pool, filter, mipFilter, key,
                                info, palette, texture);
    });
}

HRESULT WINAPI WatchedCubeFromFile(IDirect3DDevice9* device, const char* file, UINT size, UINT mips, DWORD usage,
                                   D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR key,
                                   D3DXIMAGE_INFO* info, PALETTEENTRY* palette, IDirect3DCubeTexture9** cube)
{
    return TextureFromFile(true, file, size, size, mips, usage, format, pool, filter, mipFilter, key, [&] {
        return gCubeFromFile(device, file, size, mips, usage, format, pool, filter, mipFilter, key, info, palette,
                             cube);
    });
}

void AddShader(bool compiled, const char* file, const char* text, const D3DXMACRO* macros, const char* entry,
               const char* profile, DWORD flags)
{
    SShaderSource s;
    s.compiled = compiled;
    s.flags = flags;
    s.entry = entry ? entry : "";
    s.profile = profile ? profile : "";
    for (const D3DXMACRO* m = macros; m && m->Name; ++m)
        s.macros.emplace_back(m->Name, m->Definition ? m->Definition : "");
    if (file) {
        char full[MAX_PATH] = {};
        GetFullPathNameA(file, sizeof full, full, nullptr);
        s.path = full;
        gWatch->FileRead(file);
    } else {
        s.text = text;
    }
    gWatch->manifest.shaders.push_back(s);
}

// The program hands each shader file to its building process over a pipe, one job a write:
// a job written there is a shader of the start.
BOOL WINAPI WatchedWriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, OVERLAPPED* overlapped)
{
    uint32_t length = 0;
    SShaderJob job;
    if (size > sizeof length && GetFileType(file) == FILE_TYPE_PIPE) {
        memcpy(&length, data, sizeof length);
        if (length == size - sizeof length &&
            DecodeShaderJob(std::string(static_cast<const char*>(data) + sizeof length, length), job)) {
            std::vector<D3DXMACRO> macros;
            for (const auto& [name, value] : job.macros)
                macros.push_back({name.c_str(), value.c_str()});
            macros.push_back({nullptr, nullptr});
            AddShader(!job.assemble, job.file.c_str(), nullptr, macros.data(), job.assemble ? nullptr : "Main",
                      job.assemble ? nullptr : job.profile.c_str(), job.flags);
        }
    }
    return gWriteFile(file, data, size, written, overlapped);
}

HRESULT WINAPI WatchedAssembleText(const char* text, UINT length, const D3DXMACRO* macros, ID3DXInclude* include,
                                   DWORD flags, ID3DXBuffer** shader, ID3DXBuffer** errors)
{
    HRESULT hr = gAssembleText(text, length, macros, include, flags, shader, errors);
    if (SUCCEEDED(hr))
        AddShader(false, nullptr, std::string(text, length).c_str(), macros, nullptr, nullptr, flags);
    return hr;
}

template <class F>
bool Hook(const char* dll, const char* name, F replacement, F& original)
{
    original = reinterpret_cast<F>(HookImport(dll, name, reinterpret_cast<void*>(replacement)));
    return original != nullptr;
}

bool InstallLoadWatch()
{
    // The sample loads no cube textures: that import may be absent.
    Hook("d3dx9_43.dll", "D3DXCreateCubeTextureFromFileExA", &WatchedCubeFromFile, gCubeFromFile);
    return Hook("msvcrt.dll", "fopen", &WatchedFopen, gFopen) &&
           Hook("d3dx9_43.dll", "D3DXCreateTextureFromFileExA", &WatchedTextureFromFile, gTextureFromFile) &&
           Hook("kernel32.dll", "WriteFile", &WatchedWriteFile, gWriteFile) &&
           Hook("d3dx9_43.dll", "D3DXAssembleShader", &WatchedAssembleText, gAssembleText);
}

} // namespace

int RunProgramChild(const std::string& dir)
{
    test::MessageRecorder messages;
    CProgramWatch watch;
    gWatch = &watch;
    if (!InstallRecordingDevice(&watch) || !InstallLoadWatch())
        return 2;
    test::Program program;
    if (program.Start(test::RunDir()) != 1 || !program.RunFrames(1) || !watch.firstPresent)
        return 3;
    program.RunFrames(SETTLING_FRAMES);
    SProgramRun run;
    run.firstPresent = watch.firstPresent;
    run.peakMiB = PeakWorkingSetMiB();
    for (const auto& marker : watch.markers)
        if (marker->Alive()) {
            run.loadedBytes += marker->bytes;
            run.managedBytes += marker->managed ? marker->bytes : 0.0;
        }
    if (watch.unmarked || !WriteManifest(dir + "\\manifest.txt", watch.manifest))
        return 4;
    std::ofstream(dir + "\\program.txt") << std::fixed << run.firstPresent << ' ' << run.peakMiB << ' '
                                          << run.loadedBytes << ' ' << run.managedBytes << '\n';
    program.Stop();
    // The markers outlive the device: resources released after this point find them.
    for (auto& marker : watch.markers)
        marker.release();
    return 0;
}

bool ReadProgramRun(const std::string& dir, SProgramRun& run)
{
    std::ifstream in(dir + "\\program.txt");
    return bool(in >> run.firstPresent >> run.peakMiB >> run.loadedBytes >> run.managedBytes);
}

} // namespace bench
