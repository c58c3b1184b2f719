#pragma once
// CMeshContainer: owns the meshes and vertex declarators, numbered from 1 (0 = none).
// Until the mesh container is built it holds none: lookups answer 0 or null and loading
// fails.

#include <d3d9.h>

#include <cstdint>

struct CMeshRecord;

class IMeshContainer {
public:
    virtual ~IMeshContainer() = default;
    virtual CMeshRecord* GetMesh(uint16_t index) = 0;
    virtual CMeshRecord* GetMeshByName(const char* name) = 0;
    virtual uint16_t FindMesh(const char* name) = 0;
    virtual uint16_t LoadMesh(const char* path, uint32_t fvf, int presentation) = 0;
    virtual void ReleaseMesh(uint16_t index) = 0;
    virtual IDirect3DVertexDeclaration9* GetVertexDeclaration(uint16_t index) = 0;
};

class CMeshContainer : public IMeshContainer {
public:
    CMeshRecord* GetMesh(uint16_t) override { return nullptr; }
    CMeshRecord* GetMeshByName(const char*) override { return nullptr; }
    uint16_t FindMesh(const char*) override { return 0; }
    uint16_t LoadMesh(const char* path, uint32_t fvf, int presentation) override;
    void ReleaseMesh(uint16_t) override {}
    IDirect3DVertexDeclaration9* GetVertexDeclaration(uint16_t) override { return nullptr; }

    // Releases the meshes loaded for the running presentation.
    void ReleasePresentationMeshes() {}
};

extern CMeshContainer* gMeshContainer;
extern IMeshContainer* gIMeshContainer;
