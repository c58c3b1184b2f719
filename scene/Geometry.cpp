#include "scene/Geometry.h"

#include "core/Meshes/Mesh.h"
#include "core/Messages.h"
#include "engine/ClassTemplate.h"
#include "engine/MapContainer.h"
#include "engine/MeshContainer.h"
#include "engine/ResourceScan.h"
#include "engine/ShaderContainer.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"

#include <cstring>
#include <iterator>
#include <string>

namespace {

bool IsWord(const char* word, const char* text)
{
    return strcmp(word, text) == 0;
}

// A mesh element read with the unit's vertex format as the container's default.
uint16_t ScanMeshElement(CGeometry& unit, FILE* file, int presentation)
{
    if (!gMeshContainer) return 0;
    gMeshContainer->defaultFormat = unit.MeshFVF;
    const uint16_t index = gMeshContainer->ScanMesh(file, presentation);
    gMeshContainer->defaultFormat = 0;
    return index;
}

uint16_t ScanTextureElement(FILE* file, int presentation)
{
    return gTexContainer ? gTexContainer->ScanTexture(file, presentation) : 0;
}

// A resource named by one word; a name that finds nothing is warned.
uint16_t ScanResourceName(const CGeometry& unit, FILE* file, const char* what,
                          uint16_t (*find)(const char*))
{
    char name[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, name);
    const uint16_t index = find(name);
    if (!index)
        WarningBox(&gWarningBudget, "Not found ", what, " '", name, "' for UNIT '", unit.name,
                   "'.", nullptr);
    return index;
}

// "TextureN:" keywords: the stage and whether a texture that does not load is warned.
struct STextureKeyword {
    const char* word;
    int stage;
    bool warns;
};
const STextureKeyword TEXTURE_KEYWORDS[] = {
    {"Texture:", 0, true},   {"Texture0:", 0, true},  {"Texture1:", 1, true},
    {"Texture2:", 2, true},  {"Texture3:", 3, true},  {"Texture4:", 4, false},
    {"Texture5:", 5, false}, {"Texture6:", 6, false}, {"Texture7:", 7, false},
};
static_assert(std::size(TEXTURE_KEYWORDS) == 9, "the plain keyword and one per stage");

// Effect blocks read by the class template.
struct SBlockKeyword {
    const char* word;
    int (CClassTemplate::*scan)(FILE*);
};
const SBlockKeyword BLOCK_KEYWORDS[] = {
    {"ReflectionReceiver:", &CClassTemplate::ScanReflectionReceiver},
    {"ReflectionCaster:", &CClassTemplate::ScanReflectionCaster},
    {"ShadowReceiver:", &CClassTemplate::ScanShadowReceiver},
    {"Glowing:", &CClassTemplate::ScanGlowing},
    {"ShadowCaster:", &CClassTemplate::ScanShadowCaster},
};
static_assert(std::size(BLOCK_KEYWORDS) == 5, "five effect blocks");

// The renderer writes the reflection and shadow textures into the unit's stage slots.
void CheckStage(const CGeometry& unit, uint16_t& texture, uint16_t& stage)
{
    if (stage < GEOMETRY_TEXTURE_STAGES) return;
    char number[16];
    snprintf(number, sizeof number, "%u", unsigned(stage));
    WarningBox(&gWarningBudget, "Texture stage ", number, " is beyond stage 7: the texture is not used.\nUnit: '",
               unit.name, "'.", nullptr);
    texture = 0;
    stage = 0;
}

void ScanEffectBlock(CGeometry& unit, FILE* file, const SBlockKeyword& key)
{
    CClassTemplate scratch;
    CClassTemplate& cls = unit.classTemplate ? *unit.classTemplate : scratch;
    (cls.*key.scan)(file);
    CheckStage(unit, cls.reflectionTexture, cls.reflectionTextureNumber);
    CheckStage(unit, cls.shadowTexture, cls.shadowTextureNumber);
}

using KeyReader = void (*)(CGeometry&, FILE*);
struct SGeometryKeyword {
    const char* word;
    KeyReader read;
};

const SGeometryKeyword CLASS_KEYWORDS[] = {
    {"Mesh:",
     [](CGeometry& u, FILE* f) {
         u.mesh = ScanMeshElement(u, f, 0);
         if (!u.mesh)
             WarningBox(&gWarningBudget, "CGeometry::ScanNativePropertyes Error: Not loaded or found mesh.\nUnit: '",
                        u.name, "'.", nullptr);
     }},
    {"MeshFVF:", [](CGeometry& u, FILE* f) { u.MeshFVF = ScanFVF(f); }},
    {"VertDeclarator:",
     [](CGeometry& u, FILE* f) {
         const uint16_t index = ScanResourceName(u, f, "vertex declarator", FindVertexDeclaratorByName);
         if (u.classTemplate) u.classTemplate->vertexDeclarator = index;
     }},
    {"VertexShader:",
     [](CGeometry& u, FILE* f) {
         const uint16_t index = ScanResourceName(u, f, "vertex shader", FindVertexShaderByName);
         if (u.classTemplate) u.classTemplate->vertexShader = index;
     }},
    {"PixelShader:",
     [](CGeometry& u, FILE* f) {
         const uint16_t index = ScanResourceName(u, f, "pixel shader", FindPixelShaderByName);
         if (u.classTemplate) u.classTemplate->pixelShader = index;
     }},
    {"Billboard:",
     [](CGeometry& u, FILE* f) {
         char name[Core::WORD_BUFFER_SIZE];
         Core::fscan_word(f, name);
         CClassTemplate* cls = gIUnitInspector ? gIUnitInspector->GetClassTemplate(name) : nullptr;
         if (!cls) WarningBox(&gWarningBudget, "Not found billboard unit '", name, "'.", nullptr);
         if (u.classTemplate) u.classTemplate->billboardClass = cls;
     }},
};
static_assert(std::size(CLASS_KEYWORDS) == 6, "geometry class keywords besides textures and effect blocks");

const SGeometryKeyword MISSION_KEYWORDS[] = {
    {"mesh:",
     [](CGeometry& u, FILE* f) {
         u.mesh = ScanMeshElement(u, f, 1);
         if (!u.mesh)
             WarningBox(&gWarningBudget, "CGeometry::ScanMissionData Error: Not loaded mesh.\nUnit: '", u.name, "'.",
                        nullptr);
     }},
    {"shadow_cast_mesh:",
     [](CGeometry& u, FILE* f) {
         u.shadowMesh = ScanMeshElement(u, f, 1);
         if (!u.shadowMesh)
             WarningBox(&gWarningBudget,
                        "CGeometry::ScanMissionData Error: Not loaded shadow caster mesh.\nUnit: '", u.name, "'.",
                        nullptr);
     }},
    {"texture:",
     [](CGeometry& u, FILE* f) {
         u.textures[0] = ScanTextureElement(f, 1);
         if (!u.textures[0])
             WarningBox(&gWarningBudget, "CGeometry::ScanMissionData Error: Not loaded texture.\nUnit: '", u.name,
                        "'.", nullptr);
     }},
    {"start_actions:", [](CGeometry& u, FILE* f) { u.StartActionsInMission(f); }},
};
static_assert(std::size(MISSION_KEYWORDS) == 4, "geometry presentation keys");

template <size_t N>
bool ReadKeyword(const SGeometryKeyword (&keys)[N], CGeometry& unit, FILE* file, const char* word)
{
    for (const SGeometryKeyword& key : keys) {
        if (!IsWord(word, key.word)) continue;
        key.read(unit, file);
        return true;
    }
    return false;
}

} // namespace

CGeometry::CGeometry()
{
    SysControls |= SYS_GEOMETRY;
}

void CGeometry::Release()
{
    CAtom::Release();
    DeleteBillboard();
    ClearFootprint();
}

void CGeometry::OnHide()
{
    CAtom::OnHide();
    DeleteBillboard();
}

void CGeometry::DeleteBillboard()
{
    if (!billboard) return;
    CAtom* unit = billboard;
    billboard = nullptr;
    if (gIUnitInspector) gIUnitInspector->DeleteUnit(unit);
}

// The base may have read "Pos:" or "Orient:", so the matrix is rebuilt after every call.
int CGeometry::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) {
            const int result = CAtom::ScanNativePropertyes(f, w);
            UpdateWorldMatrix();
            return result;
        });
}

bool CGeometry::ScanOwnProperty(FILE* file, const char* word)
{
    if (ReadKeyword(CLASS_KEYWORDS, *this, file, word)) return true;
    for (const STextureKeyword& key : TEXTURE_KEYWORDS) {
        if (!IsWord(word, key.word)) continue;
        textures[key.stage] = ScanTextureElement(file, 0);
        if (!textures[key.stage] && key.warns)
            WarningBox(&gWarningBudget, "CGeometry::ScanNativePropertyes Error: Not loaded or found texture.\nUnit: '",
                       name, "'.", nullptr);
        return true;
    }
    for (const SBlockKeyword& key : BLOCK_KEYWORDS) {
        if (!IsWord(word, key.word)) continue;
        ScanEffectBlock(*this, file, key);
        return true;
    }
    return false;
}

int CGeometry::ScanMissionData(FILE* file, const char* word)
{
    const int result = ScanMissionBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnMissionKey(f, w); },
        [this](FILE* f, const char* w) { return CAtom::ScanMissionData(f, w); });
    if (result == SCAN_BLOCK_END) PlaceFromBlock();
    return result;
}

bool CGeometry::ScanOwnMissionKey(FILE* file, const char* word)
{
    return ReadKeyword(MISSION_KEYWORDS, *this, file, word);
}

// The heading is the yaw in whole 45-degree steps, wrapped into 0..7.
void CGeometry::PlaceFromBlock()
{
    UpdateWorldMatrix();
    if (!map) return;
    map->GetPosByFPos(&mapPos, Pos);
    const int step = int(Orient.y / DIRECTION_STEP_ANGLE);
    mapPos.direction = ((step % 8) + 8) % 8;
}

uint32_t CGeometry::GetParamIndex(const char* param)
{
    if (IsWord(param, "UvMulAdd")) return GEOMETRY_UVMULADD_WORD;
    return CAtom::GetParamIndex(param);
}

void CGeometry::CopyFromPrototype(const CAtom* prototype)
{
    CAtom::CopyFromPrototype(prototype);
    if (const CGeometry* geometry = dynamic_cast<const CGeometry*>(prototype)) geometry->CopyGeometryTo(this);
}

void CGeometry::CopyTo(CAtom* destination) const
{
    CAtom::CopyTo(destination);
    if (CGeometry* geometry = dynamic_cast<CGeometry*>(destination)) CopyGeometryTo(geometry);
}

void CGeometry::CopyGeometryTo(CGeometry* destination) const
{
    destination->mesh = mesh;
    destination->shadowMesh = shadowMesh;
    memcpy(destination->textures, textures, sizeof textures);
    destination->MeshFVF = MeshFVF;
    destination->world = world;
    destination->UvMulAdd = UvMulAdd;
}

void CGeometry::SetPos(const D3DXVECTOR4& position)
{
    CAtom::SetPos(position);
    UpdateWorldMatrix();
    PlaceFootprint();
}

int CGeometry::SetMapPos(const SMapPos& position)
{
    const int result = CAtom::SetMapPos(position);
    UpdateWorldMatrix();
    PlaceFootprint();
    return result;
}

void CGeometry::SetPosAndStore(const D3DXVECTOR4& position)
{
    Pos = position;
    StorePos();
}

void CGeometry::CalcMatrixYaw()
{
    D3DXMatrixRotationY(&world, Orient.y);
    world._41 = Pos.x;
    world._42 = Pos.y;
    world._43 = Pos.z;
    world._44 = Pos.w;
}

void CGeometry::TransformToWorld(D3DXVECTOR4* out, const D3DXVECTOR4& in) const
{
    D3DXVec4Transform(out, &in, &world);
    if (master) master->TransformToWorld(out, *out);
}

bool ClassOnOwnerChain(const CAtom* unit, const CClassTemplate* cls, bool* told, const char* who,
                       const char* what)
{
    const CAtom* link = unit;
    while (link && link->classTemplate != cls) link = link->owner;
    if (!link || !cls) return false;
    if (told && *told) return true;
    if (told) *told = true;
    const std::string text = std::string(who) + "  Warning:  class '" +
                             (unit->classTemplate ? unit->classTemplate->name : unit->name) + "' names " + what +
                             " class '" + cls->name + "', which is already on the unit's chain: no " + what +
                             " is made.";
    MsgBox(text.c_str());
    return true;
}
