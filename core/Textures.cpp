#include "core/Textures.h"

#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Paths.h"

#include <d3dx9.h>

#include <cstdio>
#include <new>

int32_t& gResourcePool = gUsageParams.pool;
int gTexError;
uint32_t* gGarbleBuffer;
uint32_t gGarbleCapacity = GARBLE_START_WORDS;

static_assert(GARBLE_START_WORDS >= GARBLE_WORDS, "the unscrambled words lie inside the buffer");

namespace {

bool IsDepthFormat(D3DFORMAT format)
{
    return format == D3DFMT_D16 || format == D3DFMT_D32 || format == D3DFMT_D24S8 ||
           format == D3DFMT_D24X8;
}

// D3DX answers a missing file and a bad one alike; the file system tells them apart.
void SetLoadError(const char* name)
{
    gTexError = FileExists(name) ? TEX_NOT_LOADABLE : TEX_MISSING;
}

D3DPOOL CurrentPool()
{
    return D3DPOOL(gResourcePool);
}

// The byte count of an open file, or -1.
long long FileSize(FILE* file)
{
    if (_fseeki64(file, 0, SEEK_END) != 0)
        return -1;
    long long size = _ftelli64(file);
    if (_fseeki64(file, 0, SEEK_SET) != 0)
        return -1;
    return size;
}

// Makes room for words 32-bit words; the old buffer stays when no memory can be had.
bool ReserveGarbleWords(uint32_t words)
{
    if (gGarbleBuffer && words <= gGarbleCapacity)
        return true;
    uint32_t capacity = words > gGarbleCapacity ? words : gGarbleCapacity;
    uint32_t* buffer = new (std::nothrow) uint32_t[capacity];
    if (!buffer)
        return false;
    delete[] gGarbleBuffer;
    gGarbleBuffer = buffer;
    gGarbleCapacity = capacity;
    return true;
}

// Reads a "TEX " file whole into the shared buffer and unscrambles it; the byte count
// of the file, or 0 after its message (-1 silently when it is not a "TEX " file).
long long ReadGarbleFile(const char* name)
{
    FILE* file = OpenDataFile(name, "rb");
    if (!file)
        return -1;
    uint32_t magic = 0;
    if (fread(&magic, sizeof magic, 1, file) != 1 || magic != GARBLE_MAGIC) {
        fclose(file);
        return -1;
    }
    long long size = FileSize(file);
    if (size < 0) {
        fclose(file);
        MsgBox2("Can`t find garble texture file..  ", name);
        return 0;
    }
    // The image inside needs at least a few bytes; the word count must fit 32 bits.
    if (size < GARBLE_DATA_OFFSET + 4 || size / 4 + 16 > 0x7FFFFFFF) {
        fclose(file);
        MsgBox2("Can`t create texture from garble file..  ", name);
        return 0;
    }
    if (!ReserveGarbleWords(uint32_t(size / 4 + 16))) {
        fclose(file);
        MsgBox2("Not enough memory for garble texture file..  ", name);
        return 0;
    }
    size_t got = fread(gGarbleBuffer, 1, size_t(size), file);
    fclose(file);
    if (got != size_t(size)) {
        MsgBox2("Can`t read garble texture file..  ", name);
        return 0;
    }
    uint32_t subtrahend = GARBLE_START;
    for (int i = 0; i < GARBLE_WORDS; ++i) {
        gGarbleBuffer[i] -= subtrahend;
        subtrahend += GARBLE_STEP;
    }
    return size;
}

bool FitsDevice(int64_t width, int64_t height)
{
    D3DCAPS9 caps;
    return Device3D && SUCCEEDED(Device3D->GetDeviceCaps(&caps)) && width >= 1 && height >= 1 &&
           width <= int64_t(caps.MaxTextureWidth) && height <= int64_t(caps.MaxTextureHeight);
}

int64_t LittleEndian(const uint8_t* p, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return int64_t(v);
}

// The platform's BMP decoder takes its row size and buffer from the header unchecked, also
// when only asked for the image's size (it decodes the pixels to look for alpha): a width
// no device takes makes it write past its buffer. So a BMP's own header is read first, with
// its size as the file gives it (bytes 14-25). Other formats are left to the platform.
constexpr size_t BMP_HEADER_BYTES = 26;

bool BmpHeaderFits(const uint8_t* p, size_t size)
{
    if (size < 2 || p[0] != 'B' || p[1] != 'M') return true;
    if (size < BMP_HEADER_BYTES) return false;
    const int64_t header = LittleEndian(p + 14, 4);
    if (header == 12)  // the old header: 16-bit width and height
        return FitsDevice(LittleEndian(p + 18, 2), LittleEndian(p + 20, 2));
    const int64_t height = int32_t(LittleEndian(p + 22, 4));  // negative: rows top first
    return FitsDevice(int32_t(LittleEndian(p + 18, 4)), height < 0 ? -height : height);
}

// The platform's image decoders overflow on sizes no device takes (a BMP 2^29 pixels wide
// copies past its buffer): the image's header is checked against the device's limits
// before anything is decoded.
bool ImageFitsDevice(const void* image, UINT size)
{
    D3DXIMAGE_INFO info;
    return BmpHeaderFits(static_cast<const uint8_t*>(image), size) &&
           SUCCEEDED(D3DXGetImageInfoFromFileInMemory(image, size, &info)) && FitsDevice(info.Width, info.Height);
}

} // namespace

bool PlatformMayDecode(const char* path)
{
    if (IsDevicePath(path)) return false;
    FILE* file = OpenDataFile(path, "rb");
    if (!file) return true;  // the platform says what is missing
    uint8_t header[BMP_HEADER_BYTES];
    const size_t got = fread(header, 1, sizeof header, file);
    fclose(file);
    return BmpHeaderFits(header, got);
}

bool AllocGarbleBuffer()
{
    return ReserveGarbleWords(gGarbleCapacity);
}

IDirect3DTexture9* LoadTexture(const char* name)
{
    if (!name || !*name)
        return nullptr;
    gTexError = TEX_OK;
    IDirect3DTexture9* texture = nullptr;
    HRESULT hr = !PlatformMayDecode(name) ? E_FAIL : D3DXCreateTextureFromFileExA(
        Device3D, name, D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, gUsageParams.usage,
        D3DFMT_UNKNOWN, CurrentPool(), D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr,
        &texture);
    if (FAILED(hr)) {
        SetLoadError(name);
        return nullptr;
    }
    return texture;
}

IDirect3DCubeTexture9* LoadCubeTexture(const char* name)
{
    if (!name || !*name)
        return nullptr;
    gTexError = TEX_OK;
    IDirect3DCubeTexture9* cube = nullptr;
    HRESULT hr = !PlatformMayDecode(name) ? E_FAIL : D3DXCreateCubeTextureFromFileExA(
        Device3D, name, D3DX_DEFAULT_NONPOW2, 1, gUsageParams.usage, D3DFMT_UNKNOWN,
        CurrentPool(), D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &cube);
    if (FAILED(hr)) {
        SetLoadError(name);
        return nullptr;
    }
    return cube;
}

int LoadGarbleTexture(const char* name, IDirect3DTexture9** out)
{
    if (!name || !out)
        return 0;
    long long size = ReadGarbleFile(name);
    if (size <= 0)
        return 0;
    // The image starts behind the 12-byte header and ends with the file.
    const char* image = reinterpret_cast<const char*>(gGarbleBuffer) + GARBLE_DATA_OFFSET;
    const UINT imageSize = UINT(size - GARBLE_DATA_OFFSET);
    HRESULT hr = E_FAIL;
    if (ImageFitsDevice(image, imageSize))
        hr = D3DXCreateTextureFromFileInMemoryEx(Device3D, image, imageSize, D3DX_DEFAULT, D3DX_DEFAULT, 1,
                                                 gUsageParams.usage, D3DFMT_UNKNOWN, CurrentPool(), D3DX_FILTER_NONE,
                                                 D3DX_FILTER_NONE, gGraphics.textureColorKey, nullptr, nullptr, out);
    if (FAILED(hr)) {
        *out = nullptr;
        MsgBox2("Can`t create texture from garble file..  ", name);
        return 0;
    }
    return 1;
}

IDirect3DTexture9* CreateTextureByDesc(const D3DSURFACE_DESC* desc)
{
    if (!desc)
        return nullptr;
    gTexError = TEX_OK;
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTexture(Device3D, desc->Width, desc->Height, 1, gUsageParams.usage,
                                 desc->Format, CurrentPool(), &texture))) {
        gTexError = TEX_NOT_LOADABLE;
        return nullptr;
    }
    return texture;
}

IDirect3DSurface9* CreateTargetByDesc(const D3DSURFACE_DESC* desc)
{
    if (!desc)
        return nullptr;
    gTexError = TEX_OK;
    D3DMULTISAMPLE_TYPE samples = desc->MultiSampleType;
    if (samples > gGraphics.maxMultisample)
        samples = gGraphics.maxMultisample;
    int width = int(desc->Width), height = int(desc->Height);
    IDirect3DSurface9* surface = nullptr;
    if (IsDepthFormat(desc->Format))
        surface = gGraphics.CreateDepthSurface(width, height, desc->Format, samples);
    else if (gUsageParams.usage & D3DUSAGE_RENDERTARGET)
        surface = gGraphics.CreateRenderTarget(width, height, desc->Format, samples);
    else if (FAILED(Device3D->CreateOffscreenPlainSurface(desc->Width, desc->Height,
                                                          desc->Format, CurrentPool(),
                                                          &surface, nullptr)))
        surface = nullptr;
    if (!surface)
        gTexError = TEX_NOT_LOADABLE;
    return surface;
}

IDirect3DSurface9* GetSurface(IDirect3DTexture9* texture)
{
    IDirect3DSurface9* surface = nullptr;
    if (texture && FAILED(texture->GetSurfaceLevel(0, &surface)))
        surface = nullptr;
    return surface;
}

namespace {

// The alpha of one texel row into out; false for a format without a readable alpha.
bool ReadAlphaRow(D3DFORMAT format, const void* row, uint8_t* out, UINT width)
{
    const uint32_t* p32 = static_cast<const uint32_t*>(row);
    const uint16_t* p16 = static_cast<const uint16_t*>(row);
    switch (format) {
    case D3DFMT_A8R8G8B8:
        for (UINT x = 0; x < width; ++x)
            out[x] = uint8_t(p32[x] >> 24);
        return true;
    case D3DFMT_A1R5G5B5:
        for (UINT x = 0; x < width; ++x)
            out[x] = uint8_t(p16[x] >> 15);
        return true;
    case D3DFMT_A4R4G4B4:
        for (UINT x = 0; x < width; ++x)
            out[x] = uint8_t(p16[x] >> 12);
        return true;
    default:
        return false;
    }
}

} // namespace

uint8_t* GetAlphaBytes(IDirect3DTexture9* texture)
{
    if (!texture)
        return nullptr;
    D3DLOCKED_RECT lock;
    if (FAILED(texture->LockRect(0, &lock, nullptr, D3DLOCK_READONLY)) || !lock.pBits) {
        MsgBox("GetAlphaBytes:  Texture->LockRect failed.");
        return nullptr;
    }
    D3DSURFACE_DESC desc;
    uint8_t* alpha = nullptr;
    if (SUCCEEDED(texture->GetLevelDesc(0, &desc)))
        alpha = new (std::nothrow) uint8_t[size_t(desc.Width) * desc.Height];
    for (UINT y = 0; alpha && y < desc.Height; ++y) {
        const char* row = static_cast<const char*>(lock.pBits) + size_t(y) * lock.Pitch;
        if (!ReadAlphaRow(desc.Format, row, alpha + size_t(y) * desc.Width, desc.Width)) {
            delete[] alpha;
            alpha = nullptr;
            MsgBox("GetAlphaBytes:  Unknown texture format for get alpha.");
        }
    }
    texture->UnlockRect(0);
    return alpha;
}

IDirect3DTexture9* CGraphics::CreateTargetTexture(int width, int height, D3DFORMAT format)
{
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(Device3D->CreateTexture(UINT(width), UINT(height), 1, D3DUSAGE_RENDERTARGET,
                                       format, D3DPOOL_DEFAULT, &texture, nullptr)))
        return nullptr;
    return texture;
}

IDirect3DSurface9* CGraphics::CreateRenderTarget(int width, int height, D3DFORMAT format,
                                                 D3DMULTISAMPLE_TYPE samples)
{
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(Device3D->CreateRenderTarget(UINT(width), UINT(height), format, samples, 0,
                                            FALSE, &surface, nullptr)))
        return nullptr;
    return surface;
}

IDirect3DSurface9* CGraphics::CreateDepthSurface(int width, int height, D3DFORMAT format,
                                                 D3DMULTISAMPLE_TYPE samples)
{
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(Device3D->CreateDepthStencilSurface(UINT(width), UINT(height), format, samples,
                                                   0, FALSE, &surface, nullptr)))
        return nullptr;
    return surface;
}
