#include "scene/Text3D.h"

#include "core/CodePage.h"
#include "core/Graphics.h"
#include "core/GraphicsBuffers.h"
#include "core/Meshes/Mesh.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "engine/ClassTemplate.h"
#include "engine/FontContainer.h"

#include <algorithm>
#include <cfloat>
#include <cstring>
#include <vector>

namespace {

// What the builder writes of a vertex: position and normal.
struct STextVertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
};
static_assert(sizeof(STextVertex) == 24, "position and normal");

// The D3DX mesh's vertices and triangles, 16-bit indices checked against the vertex count.
bool ReadD3DXMesh(ID3DXMesh* source, std::vector<STextVertex>& vertices, std::vector<WORD>& indices)
{
    const DWORD count = source->GetNumVertices();
    const DWORD faces = source->GetNumFaces();
    const DWORD stride = source->GetNumBytesPerVertex();
    if (count == 0 || count > 0xFFFF || faces == 0 || stride < sizeof(STextVertex)) return false;
    BYTE* data = nullptr;
    if (FAILED(source->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<void**>(&data)))) return false;
    vertices.resize(count);
    for (DWORD i = 0; i < count; ++i) memcpy(&vertices[i], data + i * stride, sizeof(STextVertex));
    source->UnlockVertexBuffer();

    const bool wide = (source->GetOptions() & D3DXMESH_32BIT) != 0;
    void* raw = nullptr;
    if (FAILED(source->LockIndexBuffer(D3DLOCK_READONLY, &raw))) return false;
    indices.resize(size_t(faces) * 3);
    bool valid = true;
    for (size_t i = 0; i < indices.size(); ++i) {
        const DWORD index = wide ? static_cast<const DWORD*>(raw)[i] : static_cast<const WORD*>(raw)[i];
        valid = valid && index < count;
        indices[i] = WORD(index);
    }
    source->UnlockIndexBuffer();
    return valid;
}

// Moves the positions (the first three floats of each vertex) so that their box is
// centred on the origin; the box's corners.
void CentrePositions(BYTE* vertices, size_t count, size_t stride, D3DXVECTOR4 corners[8])
{
    auto position = [&](size_t i) { return reinterpret_cast<D3DXVECTOR3*>(vertices + i * stride); };
    D3DXVECTOR3 lo(FLT_MAX, FLT_MAX, FLT_MAX), hi(-FLT_MAX, -FLT_MAX, -FLT_MAX);
    for (size_t i = 0; i < count; ++i) {
        D3DXVec3Minimize(&lo, &lo, position(i));
        D3DXVec3Maximize(&hi, &hi, position(i));
    }
    const D3DXVECTOR3 centre = lo + (hi - lo) * 0.5f;
    for (size_t i = 0; i < count; ++i) *position(i) -= centre;
    lo -= centre;
    hi -= centre;
    const D3DXVECTOR4 box[8] = {
        {lo.x, lo.y, lo.z, 1}, {lo.x, lo.y, hi.z, 1}, {hi.x, lo.y, hi.z, 1}, {hi.x, lo.y, lo.z, 1},
        {lo.x, hi.y, lo.z, 1}, {lo.x, hi.y, hi.z, 1}, {hi.x, hi.y, hi.z, 1}, {hi.x, hi.y, lo.z, 1},
    };
    std::copy(box, box + 8, corners);
}

// A GDI memory context with the font selected; everything is given back on destruction.
class CFontContext {
public:
    CFontContext() : dc(CreateCompatibleDC(nullptr)) {}
    ~CFontContext()
    {
        if (old) SelectObject(dc, old);
        if (font) DeleteObject(font);
        if (dc) DeleteDC(dc);
    }
    CFontContext(const CFontContext&) = delete;
    CFontContext& operator=(const CFontContext&) = delete;

    bool Select(const char* face, int32_t points, int32_t bold, int32_t italic)
    {
        const int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
        font = CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? TRUE : FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, WideFrom1251(face).c_str());
        if (!font) return false;
        old = SelectObject(dc, font);
        return true;
    }

    HDC dc;
    HFONT font = nullptr;
    HGDIOBJ old = nullptr;
};

} // namespace

// ---- STextMesh ----

void STextMesh::FreeTextMesh()
{
    if (!mesh) return;
    mesh->Release();
    delete mesh;
    mesh = nullptr;
}

void STextMesh::InitTextMeshRecord()
{
    mesh = nullptr;
    face.clear();
    pointSize = 0;
    deviation = 1.0f;
    bold = italic = 0;
    zero = 0;
    vertexFormat = 0;
    text.clear();
}

void STextMesh::FreeTextMeshRecord()
{
    FreeTextMesh();
    InitTextMeshRecord();
}

HRESULT STextMesh::RebuildTextMesh(const CMesh* source)
{
    if (!face.empty()) {
        const std::string faceName = face, textValue = text;
        return BuildTextMesh(faceName.c_str(), pointSize, deviation, bold, italic, vertexFormat, textValue.c_str());
    }
    return source ? BuildTextMeshDirect(*source) : -1;
}

HRESULT STextMesh::BuildTextMeshDirect(const CMesh& source)
{
    FreeTextMesh();
    zero = 0;
    mesh = new CMesh;
    HRESULT hr = mesh->CopyFrom(source);
    if (SUCCEEDED(hr)) hr = ProcessVertices();
    if (FAILED(hr)) FreeTextMesh();
    return hr;
}

HRESULT STextMesh::ProcessVertices()
{
    if (!mesh || !mesh->vertexBuffer || !(mesh->vertexFormat & MESH_XYZ) || mesh->stride < int(sizeof(D3DXVECTOR3)))
        return E_INVALIDARG;
    D3DVERTEXBUFFER_DESC desc;
    HRESULT hr = mesh->vertexBuffer->GetDesc(&desc);
    if (FAILED(hr)) return hr;
    auto* data = static_cast<BYTE*>(LockVB(mesh->vertexBuffer));
    if (!data) return E_FAIL;
    const size_t count = std::min(size_t(std::max(mesh->vertexCount, 0)), size_t(desc.Size / UINT(mesh->stride)));
    CentrePositions(data, count, size_t(mesh->stride), mesh->corners);
    UnlockVB();
    mesh->ComputeBoundRadius();
    return D3D_OK;
}

HRESULT STextMesh::BuildTextMesh(const char* faceName, int32_t points, float deviationValue, int32_t isBold,
                                 int32_t isItalic, uint32_t format, const char* textValue)
{
    FreeTextMesh();
    zero = 0;
    CFontContext context;
    if (!context.dc) return E_OUTOFMEMORY;
    if (!faceName || !faceName[0] || !textValue || !textValue[0]) return -1;
    if (!context.Select(faceName, points, isBold, isItalic)) return E_FAIL;
    ID3DXMesh* built = nullptr;
    HRESULT hr = Device3D ? D3DXCreateTextW(Device3D, context.dc, WideFrom1251(textValue).c_str(), deviationValue,
                                            TEXT3D_EXTRUSION, &built, nullptr, nullptr)
                          : E_FAIL;
    if (SUCCEEDED(hr)) {
        hr = CopyD3DXMesh(built, format);
        built->Release();
    }
    face = faceName;
    pointSize = points;
    deviation = deviationValue;
    bold = isBold;
    italic = isItalic;
    vertexFormat = format;
    text = textValue;
    return hr;
}

// Centring happens on the staged vertices: the mesh's buffers are write-only.
HRESULT STextMesh::CopyD3DXMesh(ID3DXMesh* source, uint32_t format)
{
    std::vector<STextVertex> vertices;
    std::vector<WORD> indices;
    const int stride = GetFVFVertexSize(format);
    if (stride < int(sizeof(STextVertex)) || !ReadD3DXMesh(source, vertices, indices)) return E_FAIL;
    mesh = new CMesh;
    mesh->vertexCount = int(vertices.size());
    mesh->primitiveCount = int(indices.size() / 3);
    mesh->vertexFormat = format;
    mesh->stride = stride;
    mesh->strideDwords = stride / 4;
    mesh->primitiveType = D3DPT_TRIANGLELIST;
    mesh->indexed = 1;
    mesh->indicesPerPrimitive = 3;
    mesh->indexSize = 2;
    mesh->subMeshCount = 1;
    mesh->subMeshes = new SSubMesh[1];
    mesh->subMeshes[0].lastVertex = mesh->vertexCount - 1;
    mesh->subMeshes[0].lastPrimitive = mesh->primitiveCount - 1;
    std::vector<BYTE> staged(vertices.size() * size_t(stride), 0);
    for (size_t i = 0; i < vertices.size(); ++i) memcpy(&staged[i * size_t(stride)], &vertices[i], sizeof(STextVertex));
    CentrePositions(staged.data(), vertices.size(), size_t(stride), mesh->corners);
    mesh->ComputeBoundRadius();
    HRESULT hr = CreateMeshVB(UINT(staged.size()), &mesh->vertexBuffer, format);
    void* data = nullptr;
    if (SUCCEEDED(hr)) hr = mesh->vertexBuffer->Lock(0, 0, &data, 0);
    if (SUCCEEDED(hr)) {
        memcpy(data, staged.data(), staged.size());
        mesh->vertexBuffer->Unlock();
        hr = CreateMeshIB(UINT(mesh->primitiveCount), &mesh->indexBuffer);
    }
    if (SUCCEEDED(hr)) hr = mesh->indexBuffer->Lock(0, 0, &data, 0);
    if (SUCCEEDED(hr)) {
        memcpy(data, indices.data(), indices.size() * sizeof(WORD));
        mesh->indexBuffer->Unlock();
    }
    if (FAILED(hr)) FreeTextMesh();
    return hr;
}

// ---- CText3D ----

CText3D::~CText3D()
{
    delete textMesh;
}

void CText3D::Release()
{
    CGeometry::Release();
    delete textMesh;
    textMesh = nullptr;
}

int CText3D::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CGeometry::ScanNativePropertyes(f, w); });
}

bool CText3D::ScanOwnProperty(FILE* file, const char* word)
{
    if (StrEqual(word, "Text:")) {
        Core::fscan_string(file, text);
        return true;
    }
    if (!StrEqual(word, "Font:")) return false;
    char fontName[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, fontName);
    font = gIFontContainer ? gIFontContainer->FindFontIndex(fontName) : 0;
    if (!font) MsgBox3("CText3D::ScanNativePropertyes Error:  not found font '", fontName, "'.");
    return true;
}

// "font:" is accepted and carries no value.
int CText3D::ScanMissionData(FILE* file, const char* word)
{
    return ScanGeometryMissionBlock(file, word, [](FILE*, const char* w) { return StrEqual(w, "font:"); });
}

uint32_t CText3D::Render(uint32_t)
{
    CMesh* drawn = textMesh ? textMesh->mesh : nullptr;
    if (!drawn) return 0;
    const CClassTemplate* tmpl = classTemplate;
    if (!tmpl || !tmpl->vertexDeclarator) gGraphics.SetFVF(drawn->vertexFormat);
    // The pass may have no vertex shader even when the class has a main one.
    if (!gGraphics.vertexShader && Device3D) {
        D3DXMATRIX sized;
        D3DXMatrixScaling(&sized, Size.x, Size.y, Size.z);
        sized *= world;
        Device3D->SetTransform(D3DTS_WORLD, &sized);
    }
    drawn->BindBuffers();
    SetTextures();
    drawn->RenderPrimitives(0);
    return 0;
}

void CText3D::CopyFromPrototype(const CAtom* prototype)
{
    CGeometry::CopyFromPrototype(prototype);
    if (const CText3D* source = dynamic_cast<const CText3D*>(prototype)) source->CopyOwnTo(this);
}

void CText3D::CopyTo(CAtom* destination) const
{
    CGeometry::CopyTo(destination);
    if (auto* unit = dynamic_cast<CText3D*>(destination)) CopyOwnTo(unit);
}

void CText3D::CopyOwnTo(CText3D* destination) const
{
    destination->font = font;
    memcpy(destination->text, text, sizeof text);
}

void CText3D::FirstInit()
{
    const CEngFont* record = font && text[0] && !textMesh && gIFontContainer ? gIFontContainer->GetFont(font) : nullptr;
    if (record) {
        textMesh = new STextMesh;
        textMesh->BuildTextMesh(record->font.face, TEXT3D_POINT_SIZE, TEXT3D_DEVIATION, record->flags & FONT_BOLD,
                                (record->flags & FONT_ITALIC) ? 1 : 0, TEXT3D_VERTEX_FORMAT, text);
    }
    CGeometry::FirstInit();
}
