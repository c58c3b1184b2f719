#pragma once
// Texture and surface creation next to CGraphics: image files through D3DX, scrambled
// "TEX " files, empty textures and target surfaces from a description, and the alpha
// reader for hit masks. Everything is created with the current resource-creation
// parameters (gUsageParams). The creators return null and leave the reason in gTexError,
// so the texture container decides about messages; the "TEX " reader and the alpha reader
// report by message box at once.

#include "core/UsageParams.h"

#include <d3d9.h>

#include <cstdint>

// The pool of every created resource: the pool field of gUsageParams.
extern int32_t& gResourcePool;

// Why the last texture or surface creation failed.
enum { TEX_OK = 0, TEX_MISSING = 1, TEX_NOT_LOADABLE = 2 };
extern int gTexError;

// The shared buffer of the "TEX " reader; its capacity in 32-bit words only grows.
constexpr uint32_t GARBLE_START_WORDS = 0x80000;
extern uint32_t* gGarbleBuffer;
extern uint32_t gGarbleCapacity;
// Allocates the buffer once (the device creation does it); false without memory.
bool AllocGarbleBuffer();

// "TEX " files: the magic word and the unscrambling of their first 1 KiB.
constexpr uint32_t GARBLE_MAGIC = 0x20584554;
constexpr uint32_t GARBLE_START = 0x5A3C1E07;
constexpr uint32_t GARBLE_STEP = 0x2B4D6F81;
constexpr int GARBLE_WORDS = 256;
constexpr long GARBLE_DATA_OFFSET = 12;

// False for a file the platform's decoders must not be given: a device path, or a BMP whose
// header gives a size no device takes (the decoder would write past its buffer). A file
// that cannot be read is left to the platform to report.
bool PlatformMayDecode(const char* path);
// An image file at its own size, 1 level. Null for a null or empty name (gTexError kept).
IDirect3DTexture9* LoadTexture(const char* name);
// A cube texture from a cube image file (DDS), same rules as LoadTexture.
IDirect3DCubeTexture9* LoadCubeTexture(const char* name);
// A "TEX " file: 1 and *out set, or 0. A file that is not "TEX " is refused silently.
int LoadGarbleTexture(const char* name, IDirect3DTexture9** out);
// From format, width and height of the description.
IDirect3DTexture9* CreateTextureByDesc(const D3DSURFACE_DESC* desc);
// Depth formats give a depth surface, usage bit 1 a render target, anything else an
// off-screen surface in the current pool.
IDirect3DSurface9* CreateTargetByDesc(const D3DSURFACE_DESC* desc);
// Level 0 of the texture with a reference the caller releases.
IDirect3DSurface9* GetSurface(IDirect3DTexture9* texture);
// One byte of alpha per texel (A8R8G8B8, A1R5G5B5, A4R4G4B4 only), rows top first;
// allocated with new[], the caller frees it. The texture must be lockable.
uint8_t* GetAlphaBytes(IDirect3DTexture9* texture);
