// The renderer's per-unit shader constants: world matrices and bone palettes built once
// per frame for every queued unit, then, unit by unit while drawing, the matrices, lights
// and shaders of that unit. Values live at fixed places of the renderer because shader
// tables keep their addresses; the moving ones (mWorld, mBones, mWorlds, Colors) are
// pointers the tables read through.

#include "scene/Renderer.h"

#include "core/Graphics.h"
#include "core/Meshes/Mesh.h"
#include "core/Messages.h"
#include "engine/AnimContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/Controls3D.h"
#include "engine/Kinematics.h"
#include "engine/MeshContainer.h"
#include "engine/ShaderContainer.h"
#include "scene/Geometry.h"
#include "scene/Light.h"
#include "scene/Tree.h"
#include "scene/Unit.h"

#include <algorithm>

namespace {

constexpr uint8_t BONE_NOT_DONE = 0;
constexpr uint8_t BONE_SET = 1;    // by an animation or kinematics
constexpr uint8_t BONE_FINAL = 2;  // carried through its parent
constexpr uint8_t NO_ATTACH_BONE = 255;

int BoneCount(const CMesh* mesh)
{
    return mesh ? std::clamp(mesh->skeleton.boneCount, 0, MAX_BONES_PER_OBJECT) : 0;
}

// A matrix as three transposed rows of four floats (its first three columns).
void WriteRows(float* out, const D3DXMATRIX& m)
{
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 4; ++row) out[column * 4 + row] = m(row, column);
}

// The start matrix of a bone: the identity, or for a skeleton in bone space the bone's
// position as translation.
void BoneStart(D3DXMATRIX* out, const CSkeleton& skeleton, int bone)
{
    D3DXMatrixIdentity(out);
    if (!(skeleton.flags & SKELETON_BONE_SPACE)) return;
    const D3DXVECTOR4& p = skeleton.bones[bone].relative;
    out->_41 = p.x;
    out->_42 = p.y;
    out->_43 = p.z;
}

// A matrix set by animation or kinematics, moved to its bone's position in bone space.
void PlaceAtBone(D3DXMATRIX* m, const CSkeleton& skeleton, int bone)
{
    if (!(skeleton.flags & SKELETON_BONE_SPACE)) return;
    const D3DXVECTOR4& p = skeleton.bones[bone].relative;
    m->_41 += p.x;
    m->_42 += p.y;
    m->_43 += p.z;
    m->_44 = 1.0f;
}

// A unit that keeps no world matrix of its own is placed by its position and angles.
D3DXMATRIX OwnWorld(const CAtom* unit)
{
    if (unit->SysControls & SYS_GEOMETRY) return unit->world;
    D3DXMATRIX m;
    unit->CalcMatrix(&m);
    return m;
}

// What the renderer reads of a light unit. A unit of another class in the light list (a
// 3D control's light added by hand) is a plain diffuse light of intensity 1 along its Dir.
struct SLightInfo {
    bool localForUnit = false;
    float multiplier = 1.0f;
    bool diffuse = true;
    bool specular = false;
};

SLightInfo LightInfoOf(const CAtom* unit)
{
    const CLight* light = dynamic_cast<const CLight*>(unit);
    if (!light) return SLightInfo{};
    return SLightInfo{(light->lightFlags & LIGHT_LOCAL_FOR_UNIT) != 0, light->multiplier, light->diffuse != 0,
                      light->specular != 0};
}

// The graphics layer keeps the bound pair by address: these point into the shader
// records, and null (no shader) when a record has none.
const ShaderPair* VertexVariant(uint16_t index, int k)
{
    const CShader* shader = index && gShaderContainer ? gShaderContainer->GetShaderVariant(index, k) : nullptr;
    return shader && shader->vertexShader.vs ? &shader->vertexShader : nullptr;
}

const ShaderPair* PixelVariant(uint16_t index, int k)
{
    const CShader* shader = index && gShaderContainer ? gShaderContainer->GetShaderVariant(index, k) : nullptr;
    return shader && shader->pixelShader.ps ? &shader->pixelShader : nullptr;
}

int gLightLimitWarnings = 1;

} // namespace

// Later ones do not take part in the unit's world matrix.
const CAnimInstance* FirstTransformAnimation(const CAtom* unit)
{
    for (const CAnimInstance* instance = unit->FirstAnimation(); instance; instance = instance->next) {
        const uint32_t flags = instance->file ? instance->file->data.flags : 0;
        if (instance->startDelay <= 0.0f && (flags & ANIM_MATRICES_3X3) && !(flags & ANIM_VALUES)) return instance;
    }
    return nullptr;
}

void CRenderer::ClearLightArrays()
{
    diffuseLights[0] = SRenderLight{D3DXCOLOR(0, 0, 0, 1), D3DXVECTOR4(0, 0, 0, 0)};
    specularLights[0] = diffuseLights[0];
    diffuseLightCount = specularLightCount = 0;
    numDiffLights = numSpecLights = 0;
}

void CRenderer::UpdateSkeletons()
{
    if (paused) return;
    deferredSkeletons.clear();
    auto update = [this](CAtom* unit) {
        if (!unit || !unit->id || !HasRenderObject(unit)) return;
        if (unit->master)
            deferredSkeletons.push_back(unit);
        else
            UpdateSkeleton(unit);
    };
    for (const SRenderQueue& queue : queues)
        for (int slot = 0; slot < queue.count; ++slot) update(queue.units[size_t(slot)]);
    if (gControls3D)
        for (CAtom* control : gControls3D->frameControls) update(control);
    // Masters first: a slave attached to a bone reads its master's palette.
    for (size_t i = 0; i < deferredSkeletons.size(); ++i)
        if (CAtom* unit = deferredSkeletons[i]) UpdateSkeleton(unit);
}

void CRenderer::UpdateSkeleton(CAtom* unit)
{
    auto* geometry = static_cast<CGeometry*>(unit);
    if (const CAnimInstance* turning = FirstTransformAnimation(unit)) {
        const bool written = turning->player.SampleChannels(&unit->world, 0);
        // A tree's heading is its own turn of the animated matrix, made again on the sample.
        if (auto* tree = dynamic_cast<CTree*>(unit)) tree->TakeSample(written);
    }
    D3DXMATRIX world = unit->world;
    if (unit->master) ComputeAttachedWorld(&world, unit);
    const size_t object = geometry->renderObject;
    if (object < inverseWorlds.size()) {
        if (!D3DXMatrixInverse(&inverseWorlds[object], nullptr, &world)) D3DXMatrixIdentity(&inverseWorlds[object]);
        D3DXMatrixTranspose(&transposedWorlds[object], &world);
    }
    const CMesh* mesh = geometry->PassMesh(0);
    if (mesh && !geometry->bonePaletteOffset) FillBonePalette(geometry, mesh);
}

void CRenderer::FillBonePalette(CGeometry* unit, const CMesh* mesh)
{
    int bones = mesh->skeleton.boneCount > 0 ? mesh->skeleton.boneCount : 1;
    const bool skinned = mesh->skeleton.boneCount > 0 && mesh->skeleton.bones;
    float* room = TakeBonePalette(unit, &bones);
    if (!room) {
        WarningBox(&warningBudget, "CRenderer::UpdateSkeleton  Warning:  the bone palette is full; unit '",
                   unit->name, "' is drawn without bones.", nullptr);
        return;
    }
    unit->bonePaletteOffset = uint32_t(room - bonePalette.data());
    if (!skinned) {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        WriteRows(room, identity);
        return;
    }
    std::fill(boneFlags, boneFlags + MAX_BONES_PER_OBJECT, BONE_NOT_DONE);
    const CUnit* moving = AsUnit(unit);
    if (moving && gKinematics && !moving->kinematicBones.Empty())
        gKinematics->ComputeBoneMatrices(moving->kinematicBones, boneMatrices, boneFlags, bones);
    if (gAnimContainer && unit->FirstAnimation()) gAnimContainer->ComputeAnimatedMatrices(unit, boneMatrices, boneFlags);
    // Every root, so that no bone keeps the matrix of another unit.
    for (int i = 0; i < bones; ++i)
        if (!mesh->skeleton.bones[i].master) ComputeBoneHierarchy(i, *mesh, boneMatrices, boneFlags);
    for (int i = 0; i < bones; ++i) {
        float* rows = room + i * BONE_FLOATS;
        if (unit->hiddenBones & (uint64_t(1) << i))
            std::fill(rows, rows + BONE_FLOATS, 0.0f);
        else
            WriteRows(rows, boneMatrices[i]);
    }
}

void CRenderer::ComputeBoneHierarchy(int bone, const CMesh& mesh, D3DXMATRIX* matrices, uint8_t* flags, int depth)
{
    const CSkeleton& skeleton = mesh.skeleton;
    const int count = BoneCount(&mesh);
    if (bone < 0 || bone >= count || depth >= MAX_BONES_PER_OBJECT) return;
    if (depth == 0 && flags[bone] == BONE_NOT_DONE) {
        BoneStart(&matrices[bone], skeleton, bone);
        flags[bone] = BONE_FINAL;
    } else if (depth == 0 && flags[bone] == BONE_SET) {
        // A root turned by kinematics turns where it stands, as its children do.
        PlaceAtBone(&matrices[bone], skeleton, bone);
        flags[bone] = BONE_FINAL;
    }
    const SBone& parent = skeleton.bones[bone];
    for (int c = 0; c < parent.childCount && c < int(sizeof parent.children); ++c) {
        const int child = parent.children[c];
        if (child >= count) continue;
        if (flags[child] == BONE_NOT_DONE) {
            D3DXMATRIX start;
            BoneStart(&start, skeleton, child);
            D3DXMatrixMultiply(&matrices[child], &start, &matrices[bone]);
            flags[child] = BONE_FINAL;
        } else if (flags[child] == BONE_SET) {
            PlaceAtBone(&matrices[child], skeleton, child);
            D3DXMatrixMultiply(&matrices[child], &matrices[child], &matrices[bone]);
            flags[child] = BONE_FINAL;
        }
        ComputeBoneHierarchy(child, mesh, matrices, flags, depth + 1);
    }
}

bool CRenderer::PaletteBone(const CAtom* master, int bone, D3DXMATRIX* out) const
{
    if (!IsGeometry(master)) return false;
    const auto* geometry = static_cast<const CGeometry*>(master);
    if (!geometry->bonePaletteOffset || bone >= BoneCount(geometry->PassMesh(0))) return false;
    const size_t at = size_t(geometry->bonePaletteOffset) + size_t(bone) * BONE_FLOATS;
    if (at + BONE_FLOATS > bonePalette.size()) return false;
    const float* rows = bonePalette.data() + at;
    D3DXMatrixIdentity(out);
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 4; ++row) (*out)(row, column) = rows[column * 4 + row];
    return true;
}

void CRenderer::ComputeAttachedWorld(D3DXMATRIX* out, const CAtom* unit) const
{
    *out = unit->world;
    if (unit->SysControls & SYS_ATTACH_SIMPLE) return;
    int links = 0;
    for (const CAtom* link = unit; link->master && links < MAX_BONES_PER_OBJECT; link = link->master, ++links) {
        const D3DXMATRIX masterWorld = OwnWorld(link->master);
        D3DXMATRIX bone;
        if (link->attachMode < NO_ATTACH_BONE && PaletteBone(link->master, link->attachMode, &bone)) {
            D3DXMatrixMultiply(out, out, &bone);
            D3DXMatrixMultiply(out, out, &masterWorld);
        } else if (link->attachMode >= NO_ATTACH_BONE && (link->SysControls & SYS_ATTACH_POS)) {
            D3DXVECTOR4 position(out->_41, out->_42, out->_43, out->_44);
            D3DXVec4Transform(&position, &position, &masterWorld);
            out->_41 = position.x;
            out->_42 = position.y;
            out->_43 = position.z;
            out->_44 = position.w;
        } else {
            D3DXMatrixMultiply(out, out, &masterWorld);
        }
    }
}

void CRenderer::AddLightRecord(SRenderLight* records, int* count, const D3DXCOLOR& color, const D3DXVECTOR4& vector)
{
    if (*count >= MAX_RENDER_LIGHTS) {
        WarningBox(&gLightLimitWarnings, "PROGRAMMER LIMIT: more than 64 lights in one frame; the rest are not used.",
                   nullptr);
        return;
    }
    records[(*count)++] = SRenderLight{color, vector};
}

void CRenderer::GatherLights(CAtom* unit)
{
    ClearLightArrays();
    const auto* geometry = static_cast<const CGeometry*>(unit);
    const size_t object = geometry->renderObject;
    for (const CAtom* light : lights) {
        if (!light) continue;
        const SLightInfo info = LightInfoOf(light);
        D3DXVECTOR4 vector = light->Dir;
        if (info.localForUnit && object < inverseWorlds.size()) {
            const D3DXMATRIX& inverse = inverseWorlds[object];
            D3DXVECTOR3 v(light->Dir.x, light->Dir.y, light->Dir.z);
            D3DXVec3TransformNormal(&v, &v, &inverse);
            vector = D3DXVECTOR4(v.x, v.y, v.z, light->Dir.w);
            D3DXVECTOR3 dir(cameraDir.x, cameraDir.y, cameraDir.z);
            D3DXVec3TransformNormal(&dir, &dir, &inverse);
            LocalCamDir = D3DXVECTOR4(dir.x, dir.y, dir.z, 0.0f);
            const D3DXVECTOR4 eye = gGraphics.camera ? gGraphics.camera->eye : D3DXVECTOR4(0, 0, 0, 1);
            const D3DXVECTOR3 eye3(eye.x, eye.y, eye.z);
            D3DXVec3TransformCoord(&dir, &eye3, &inverse);
            LocalCamPos = D3DXVECTOR4(dir.x, dir.y, dir.z, 1.0f);
        }
        const D3DXCOLOR color = light->Color * info.multiplier;
        if (info.diffuse) AddLightRecord(diffuseLights, &diffuseLightCount, color, vector);
        if (info.specular) AddLightRecord(specularLights, &specularLightCount, color, vector);
    }
    numDiffLights = diffuseLightCount * 2;
    numSpecLights = specularLightCount * 2;
}

void CRenderer::SetUnitConstants(CAtom* unit, int pass)
{
    CMesh* mesh = nullptr;
    D3DXMATRIX world = unit->world;
    if (IsGeometry(unit)) {
        auto* geometry = static_cast<CGeometry*>(unit);
        D3DXMATRIX product;
        if (unit->master) {
            ComputeAttachedWorld(&world, unit);
        } else {
            D3DXMatrixMultiply(&product, &world, &view);
            D3DXMatrixTranspose(&mWorldView, &product);
        }
        D3DXMatrixMultiply(&product, &world, &viewProj);
        D3DXMatrixTranspose(&mWorldViewProj, &product);
        const size_t object = geometry->renderObject;
        mWorld = object < transposedWorlds.size() ? &transposedWorlds[object] : nullptr;
        mBones = geometry->bonePaletteOffset ? bonePalette.data() + geometry->bonePaletteOffset : nullptr;
        mesh = geometry->PassMesh(uint32_t(pass));
        // A unit drawn only through a mesh animation takes the layout of the mesh drawn.
        if (!mesh) mesh = substituteMesh;
        GatherLights(unit);
    } else {
        mBones = nullptr;
    }
    currentMesh = mesh;
    numBones = BoneCount(mesh) * 3;
    if (!Device3D) return;
    CClassTemplate* tmpl = unit->classTemplate;
    if (tmpl && tmpl->shaderTable && gShaderContainer) {
        if (CShaderTable* table = gShaderContainer->GetTable(tmpl->shaderTable)) {
            const SObjectConstants object{unit, tmpl};
            table->Apply(&object);
        }
    }
    if (!IsGeometry(unit)) return;
    // Meshes draw their first texture in the vertex colour, alpha too; the 2D drawing
    // between frames leaves the stages as it needs them.
    gGraphics.SetStageModulate();
    BindShaders(unit, pass, world, mesh);
}

// The fixed pipeline draws a pass for which the class has no vertex shader; a class
// without a main vertex shader still draws its other passes through theirs.
void CRenderer::BindShaders(const CAtom* unit, int pass, const D3DXMATRIX& world, const CMesh* mesh)
{
    const CClassTemplate* t = unit->classTemplate;
    const ShaderPair* vs = t ? PassVertexShader(*t, pass) : nullptr;
    const ShaderPair* ps = t ? PassPixelShader(*t, pass) : nullptr;
    // A class that does not glow shows black in the glow picture.
    if ((pass & PASS_GLOW) && !(t && t->glowing)) ps = nonGlowPixelShader.ps ? &nonGlowPixelShader : nullptr;
    gGraphics.SetVertexShader(vs);
    gGraphics.SetPixelShader(ps);
    if (!vs) {
        if (mesh) BindFixedFunction(world, unit->Size, mesh);
        return;
    }
    const SVertexDeclarator* declarator =
        gMeshContainer && t->vertexDeclarator ? gMeshContainer->GetVertexDeclarator(t->vertexDeclarator) : nullptr;
    if (declarator && declarator->declaration)
        gGraphics.SetDeclaration(declarator->declaration);
    else if (currentMesh)
        gGraphics.SetFVF(currentMesh->vertexFormat);
}

// Variants by the number of diffuse lights.
const ShaderPair* CRenderer::PassVertexShader(const CClassTemplate& t, int pass) const
{
    if (pass & PASS_REFLECTION) return VertexVariant(t.reflectionVertexShader, 0);
    if (pass & PASS_SHADOW) return VertexVariant(t.shadowVertexShader, 0);
    if (pass & PASS_GLOW) return VertexVariant(t.glowVertexShader, diffuseLightCount);
    return VertexVariant(t.vertexShader, diffuseLightCount);
}

// Variants by the number of specular lights; the glow pass of a glowing class falls back
// on its main pixel shader.
const ShaderPair* CRenderer::PassPixelShader(const CClassTemplate& t, int pass) const
{
    if (pass & PASS_SHADOW) return PixelVariant(t.shadowPixelShader, 0);
    if (pass & PASS_GLOW)
        return PixelVariant(t.glowPixelShader ? t.glowPixelShader : t.pixelShader, specularLightCount);
    return PixelVariant(t.pixelShader, specularLightCount);
}

// No shader reads the unit's Size here, so it scales the mesh before the world matrix.
void CRenderer::BindFixedFunction(const D3DXMATRIX& world, const D3DXVECTOR4& size, const CMesh* mesh)
{
    gGraphics.SetFVF(mesh->vertexFormat);
    gGraphics.SetLighting(false);
    D3DXMATRIX sized;
    D3DXMatrixScaling(&sized, size.x, size.y, size.z);
    sized *= world;
    Device3D->SetTransform(D3DTS_WORLD, &sized);
}
