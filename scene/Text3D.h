#pragma once
// CText3D ("TEXT3D", type 17): a geometry unit whose shape is a text. On its first
// initialisation the text becomes a triangle mesh of the unit's font through a GDI font and
// the D3DX text builder, copied into the program's own buffers and centred on the origin.
// The unit owns that mesh and draws it with its world matrix (the renderer knows only
// container meshes, so the text binds its own layout, and for classes without a vertex
// shader its own world transform). A missing font is a message;
// a text that cannot be built leaves the unit without a mesh.

#include "core/Scanner.h"
#include "scene/Geometry.h"

#include <cstdint>
#include <string>

constexpr uint32_t TEXT3D_UNIT_TYPE = 17;
// Vertex format of text meshes: position, normal, one texture coordinate pair.
constexpr uint32_t TEXT3D_VERTEX_FORMAT = 274;
constexpr float TEXT3D_DEVIATION = 0.14f;
constexpr float TEXT3D_EXTRUSION = 0.002f;
constexpr int TEXT3D_POINT_SIZE = 16;

struct CMesh;

// The text mesh and what it was built from.
struct STextMesh {
    CMesh* mesh;  // owned
    std::string face;
    int32_t pointSize;
    float deviation;
    int32_t bold;
    int32_t italic;
    uint32_t zero;
    uint32_t vertexFormat;
    std::string text;

    STextMesh() { InitTextMeshRecord(); }
    ~STextMesh() { FreeTextMesh(); }
    STextMesh(const STextMesh&) = delete;
    STextMesh& operator=(const STextMesh&) = delete;

    // A record with no mesh and nothing to build from (deviation 1.0). A mesh it held must
    // have been freed.
    void InitTextMeshRecord();
    void FreeTextMesh();
    // The mesh and everything it was built from.
    void FreeTextMeshRecord();
    // 0, -1 without a face or text, or the failing GDI or D3DX result (no mesh then).
    HRESULT BuildTextMesh(const char* faceName, int32_t points, float deviationValue, int32_t isBold,
                          int32_t isItalic, uint32_t format, const char* textValue);
    // Builds again from the kept face and text; a record without a face copies source
    // instead (-1 with neither).
    HRESULT RebuildTextMesh(const CMesh* source = nullptr);
    // A copy of source (its own buffers and texture references), centred.
    HRESULT BuildTextMeshDirect(const CMesh& source);
    // Centres the mesh's vertices on the origin and stores the box corners as its bounds.
    HRESULT ProcessVertices();

private:
    HRESULT CopyD3DXMesh(ID3DXMesh* source, uint32_t format);
};

class CText3D : public CGeometry {
public:
    ~CText3D() override;
    void Release() override;
    int ScanNativePropertyes(FILE* file, const char* word) override;
    int ScanMissionData(FILE* file, const char* word) override;
    uint32_t Render(uint32_t pass) override;
    void CopyFromPrototype(const CAtom* prototype) override;
    // Script inheritance takes this class's values along.
    void CopyTo(CAtom* destination) const override;
    void FirstInit() override;

    STextMesh* textMesh = nullptr;  // owned; null until built
    uint16_t font = 0;
    char text[Core::STRING_BUFFER_SIZE] = {};

private:
    void CopyOwnTo(CText3D* destination) const;
    bool ScanOwnProperty(FILE* file, const char* word);
};
