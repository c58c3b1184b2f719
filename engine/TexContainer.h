#pragma once
// CTexContainer: owns the engine's textures and surfaces, numbered from 1 (0 = none).
// Until the texture container is built it holds none: lookups answer 0 or null and
// loading and creation fail.

#include <d3d9.h>

#include <cstdint>

struct CEngineTex;

class ITexContainer {
public:
    virtual ~ITexContainer() = default;
    virtual CEngineTex* GetTex(uint16_t index) = 0;
    virtual IDirect3DTexture9* GetTexture(uint16_t index) = 0;
    virtual IDirect3DSurface9* GetSurface(uint16_t index) = 0;
    virtual uint16_t FindTexture(const char* name) = 0;
    virtual uint16_t FindTexturePath(const char* path) = 0;
    virtual uint16_t LoadTexture(const char* path, uint32_t flags) = 0;
    virtual uint16_t CreateTexture(int width, int height, uint32_t usage, D3DFORMAT format,
                                   D3DPOOL pool, int presentation) = 0;
    virtual void ReleaseTexture(uint16_t index) = 0;
};

class CTexContainer : public ITexContainer {
public:
    CEngineTex* GetTex(uint16_t) override { return nullptr; }
    IDirect3DTexture9* GetTexture(uint16_t) override { return nullptr; }
    IDirect3DSurface9* GetSurface(uint16_t) override { return nullptr; }
    uint16_t FindTexture(const char*) override { return 0; }
    uint16_t FindTexturePath(const char*) override { return 0; }
    uint16_t LoadTexture(const char*, uint32_t) override { return 0; }
    uint16_t CreateTexture(int, int, uint32_t, D3DFORMAT, D3DPOOL, int) override { return 0; }
    void ReleaseTexture(uint16_t) override {}

    // Releases the textures loaded for the running presentation.
    void ReleasePresentationTextures() {}
};

extern CTexContainer* gTexContainer;
extern ITexContainer* gITexContainer;
