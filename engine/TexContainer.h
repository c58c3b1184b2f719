#pragma once
// CTexContainer: the engine's one table of textures and render surfaces, numbered
// 1..TexCount-1 (0 = none). Scripts size it ("TexContainer" section) and fill it
// ("TEXTURE" and "SURFACE" objects); presentations add textures that are released when
// the presentation ends (flag 1). A name or path already held answers with its index.
// Failed loads cost one of the container's counted warnings and keep their index taken,
// empty, under the element's name, so a repeated element refers to it and is not loaded
// again; only a full table while scripts are read asks for shutdown (gExitCode).

#include "core/Container.h"

#include <d3d9.h>

#include <cstdint>
#include <cstdio>

enum : uint32_t {
    TEX_PRESENTATION = 1,  // released when the presentation ends
    TEX_NO_SHARING = 2,    // LoadTexture: load again even when the path is held
};

constexpr size_t TEX_NAME_SIZE = 32;
constexpr size_t TEX_PATH_SIZE = 256;
constexpr size_t TEX_DIRECTORY_SIZE = 512;

struct CEngineTex {
    // A 2D or a cube texture (type tells which); null when the record holds none.
    IDirect3DBaseTexture9* texture = nullptr;
    D3DRESOURCETYPE type = D3DRTYPE_TEXTURE;
    D3DSURFACE_DESC desc = {};  // level 0 of the texture, or the surface
    char name[TEX_NAME_SIZE] = {};
    char path[TEX_PATH_SIZE] = {};  // as written; empty for created textures and surfaces
    uint32_t flags = 0;
    IDirect3DSurface9* surface = nullptr;  // "SURFACE" objects only

    // The texture when it is a 2D one, else null.
    IDirect3DTexture9* Texture2D() const;
};

class ITexContainer {
public:
    virtual ~ITexContainer() = default;
    virtual CEngineTex* GetTex(uint16_t index) = 0;
    // Null for a bad index, an empty record or a cube texture.
    virtual IDirect3DTexture9* GetTexture(uint16_t index) = 0;
    // The record's surface, else level 0 of its 2D texture. Borrowed: the container keeps
    // it alive, the caller does not release it.
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
    ~CTexContainer() override;

    CEngineTex* GetTex(uint16_t index) override;
    IDirect3DTexture9* GetTexture(uint16_t index) override;
    IDirect3DSurface9* GetSurface(uint16_t index) override;
    uint16_t FindTexture(const char* name) override;
    uint16_t FindTexturePath(const char* path) override;
    uint16_t LoadTexture(const char* path, uint32_t flags) override;
    uint16_t CreateTexture(int width, int height, uint32_t usage, D3DFORMAT format,
                           D3DPOOL pool, int presentation) override;
    void ReleaseTexture(uint16_t index) override;

    // The "TexContainer" section after its name: "[" ... "]".
    void FirstScan(FILE* file);
    // One element after its keyword: a name or a quoted path; with namedElement set, a
    // name followed by an optional "USAGE" block and a "DESC" block or a path.
    uint16_t ScanTexture(FILE* file, int presentation);
    // A named element: "TEXTURE" (surface false), "SURFACE" (true), or a presentation's
    // "Texture:" (presentation 1).
    uint16_t ScanElement(FILE* file, bool surface, int presentation);
    // Releases every texture loaded for the running presentation.
    void ReleaseMissionTextures();

    int warnings = 4;
    char textureDirectory[TEX_DIRECTORY_SIZE] = {};
    int namedElement = 0;
    int surfaceElement = 0;

private:
    struct SElement;

    TContainer<CEngineTex, uint16_t> records;

    uint16_t IndexOf(const CEngineTex* record);
    bool ReadElement(FILE* file, SElement& element);
    uint16_t FindElement(const SElement& element);
    bool ResolvePath(char* out, size_t cap, const char* path, bool mustExist);
    void LoadInto(CEngineTex& record, const char* fullPath, const char* path);
    void ReportFailure(const char* operation, const char* improper, const char* path,
                       const char* name);
    void ReleaseAll();
};

extern CTexContainer* gTexContainer;
extern ITexContainer* gITexContainer;

// What a texture stage binds for index in the engine's container: its 2D or cube texture;
// null for 0, a bad index, an empty record or no container.
IDirect3DBaseTexture9* StageTexture(uint16_t index);
