#pragma once
// CMeshContainer: owns the engine's meshes and its named vertex declarations, both numbered
// from 1 (0 = none). Script "MESH" and "VDECLARATOR" elements and presentation "Mesh:" keys
// fill it; meshes loaded for a presentation are released when it ends. An exhausted pool
// while reading scripts requests shutdown (gExitCode); missing meshes and limits are
// counted warnings (2); declarator words and creation failures are message boxes. Loader
// failures are reported by the mesh reader and give 0; the failed mesh or declarator keeps
// its record and its name, empty, so a repeated element is a reference to it.

#include "core/Container.h"
#include "core/Meshes/MeshReader.h"

#include <d3d9.h>

#include <cstdint>
#include <cstdio>

constexpr int MESH_NAME_SIZE = 64;
constexpr int MESH_PATH_SIZE = 256;
constexpr int MESH_DIRECTORY_SIZE = 512;
constexpr int VDECL_NAME_SIZE = 32;
constexpr int MAX_VDECL_ROWS = 32;

struct CEngineMesh {
    CMesh mesh;
    char name[MESH_NAME_SIZE] = {};
    char path[MESH_PATH_SIZE] = {};  // as written in the element; empty until loaded
};

struct SVertexDeclarator {
    IDirect3DVertexDeclaration9* declaration = nullptr;
    char name[VDECL_NAME_SIZE] = {};
};

class IMeshContainer {
public:
    virtual ~IMeshContainer() = default;
    virtual CEngineMesh* GetMesh(uint16_t index) = 0;
    virtual CEngineMesh* GetMeshByName(const char* name) = 0;
    virtual uint16_t FindMesh(const char* name) = 0;
    virtual uint16_t LoadMesh(const char* path, uint32_t vertexFormat, int presentation) = 0;
    virtual void ReleaseMesh(uint16_t index) = 0;
    virtual IDirect3DVertexDeclaration9* GetVertexDeclaration(uint16_t index) = 0;
};

class CMeshContainer : public IMeshContainer {
public:
    // The mesh text reader; tests put their own in its place.
    using MeshLoader = int (*)(const char* path, CMesh* mesh, uint32_t vertexFormat, int flags);

    TContainer<CEngineMesh, uint16_t> meshes;
    int warningBudget = 2;
    char directory[MESH_DIRECTORY_SIZE] = {};
    TContainer<SVertexDeclarator, uint16_t> declarators;
    int skipIndices = 0;         // set around the loading of animation frame meshes
    uint32_t defaultFormat = 0;  // for a "MESH" element without "FVF"; 0 = none
    MeshLoader loader = ::LoadMesh;

    // Releases every mesh and every vertex declaration.
    ~CMeshContainer() override;
    void ReleaseAll();

    CEngineMesh* GetMesh(uint16_t index) override;
    CEngineMesh* GetMeshByName(const char* name) override;
    uint16_t FindMesh(const char* name) override;
    uint16_t LoadMesh(const char* path, uint32_t vertexFormat, int presentation) override;
    void ReleaseMesh(uint16_t index) override;
    IDirect3DVertexDeclaration9* GetVertexDeclaration(uint16_t index) override;

    uint16_t FindMeshPath(const char* path);
    uint16_t FindVertexDeclarator(const char* name);
    SVertexDeclarator* GetVertexDeclarator(uint16_t index);
    void ReleaseMissionMeshes();
    // The engine's presentation reset calls it by this name.
    void ReleasePresentationMeshes() { ReleaseMissionMeshes(); }

    // Script readers: the section, a mesh element or reference (index or 0) and a
    // declarator (the device's creation result, or -1 when the table is full).
    int FirstScan(FILE* file);
    uint16_t ScanMesh(FILE* file, int presentation);
    int ScanVertexDeclarator(FILE* file);

private:
    // The record's mesh read from path (relative to the mesh directory unless absolute).
    int Load(CEngineMesh* record, const char* path, int flags);
    uint16_t AddScriptMesh(const char* name, const char* path, uint32_t format, uint32_t usage,
                           int presentation);
    int ScanDeclaratorRows(FILE* file, D3DVERTEXELEMENT9* rows, const char* name);
};

extern CMeshContainer* gMeshContainer;
extern IMeshContainer* gIMeshContainer;
