#pragma once
// CGeometry: the unit that has a mesh ("GEOMETRY", type 4) and the base of every drawable
// unit class. It owns nothing but indices: its mesh, shadow-caster mesh and eight textures
// belong to the containers, its billboard unit to the unit registry. Resources that do not
// load are warned (counted) and leave 0 in their slot; the unit is then drawn without them.
// The world matrix (CAtom::world) is rebuilt whenever Pos or Orient may have changed.

#include "scene/Atom.h"
#include "scene/RenderStatesBlock.h"

#include <d3dx9.h>

#include <cstdint>
#include <cstdio>

constexpr uint32_t GEOMETRY_UNIT_TYPE = 4;
constexpr int GEOMETRY_TEXTURE_STAGES = 8;
// The render-object index of a unit the renderer had no room for this frame.
constexpr uint16_t NO_RENDER_OBJECT = 0xFFFF;

struct CMesh;

class CGeometry : public CAtom {
public:
    CGeometry();

    void Release() override;
    int ScanNativePropertyes(FILE* file, const char* word) override;
    int ScanMissionData(FILE* file, const char* word) override;
    uint32_t GetParamIndex(const char* param) override;
    uint32_t Render(uint32_t pass) override;
    void OnHide() override;
    void CopyFromPrototype(const CAtom* prototype) override;
    void CopyTo(CAtom* destination) const override;
    void SetPos(const D3DXVECTOR4& position) override;
    int SetMapPos(const SMapPos& position) override;
    void TransformToWorld(D3DXVECTOR4* out, const D3DXVECTOR4& in) const override;

    // Binds the eight texture stages: the unit's texture, else the mesh's, else the
    // substitute mesh's, else white.
    void SetTextures();
    // The world matrix from the yaw alone.
    void CalcMatrixYaw();
    void StorePos() { savedPos = Pos; }
    void SetPosAndStore(const D3DXVECTOR4& position);
    // The mesh drawn in a pass: the shadow-caster mesh in the shadow pass when there is
    // one, else the mesh; null when none is loaded.
    CMesh* PassMesh(uint32_t pass) const;

    uint16_t mesh = 0;
    uint16_t shadowMesh = 0;   // drawn in the shadow pass instead of mesh; 0 = mesh
    uint16_t renderObject = 0; // set by the renderer each time the unit is queued
    uint16_t textures[GEOMETRY_TEXTURE_STAGES] = {};
    uint32_t bonePaletteOffset = 0;  // set by the renderer each time the unit is queued
    uint32_t MeshFVF = 0;            // vertex format the unit's meshes are loaded with
    D3DXVECTOR4 savedPos{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXVECTOR4 UvMulAdd{1.0f, 1.0f, 0.0f, 0.0f};  // texture coordinates: multiply x, y; add z, w
    CAtom* billboard = nullptr;
    // Bones whose bit is set are drawn collapsed (their palette rows are zero).
    uint64_t hiddenBones = 0;
    // Where this unit's placement footprint stands in the engine's valid map, if anywhere.
    bool footprintPlaced = false;
    SMapPos footprintPos;

private:
    bool ScanOwnProperty(FILE* file, const char* word);
    bool ScanOwnMissionKey(FILE* file, const char* word);
    void CopyGeometryTo(CGeometry* destination) const;
    void DeleteBillboard();
    // Moves the class's placement footprint in the valid map to the unit's map position:
    // its old cells get the free value back, the new ones are marked occupied.
    void PlaceFootprint();
    void ClearFootprint();

protected:
    // After a finished presentation block: the world matrix, and on a map the map position
    // and heading from Pos and yaw.
    void PlaceFromBlock();
    // A derived class's presentation block: its own keys, then the geometry's (read one at
    // a time), and the unit placed at the block's end as the geometry's own block is.
    template <class Own>
    int ScanGeometryMissionBlock(FILE* file, const char* word, Own own)
    {
        const int result = ScanMissionBlock(
            file, word, own, [this](FILE* f, const char* w) { return CGeometry::ScanMissionData(f, w); });
        if (result == SCAN_BLOCK_END) PlaceFromBlock();
        return result;
    }
};

// Whether cls is on the unit's chain: the unit itself, its owner, its owner's owner... A
// unit made for this one (its billboard, a night light) of a class met there would make the
// next one of the same chain, without end. The first time for *told (when given) it says
// that no <what> is made; who names the caller in the message.
bool ClassOnOwnerChain(const CAtom* unit, const CClassTemplate* cls, bool* told, const char* who,
                       const char* what);

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
constexpr uint32_t GEOMETRY_UVMULADD_WORD = uint32_t(offsetof(CGeometry, UvMulAdd) / 4);
static_assert(offsetof(CGeometry, UvMulAdd) % 4 == 0, "word aligned");
#pragma GCC diagnostic pop
