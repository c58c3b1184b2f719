// The renderer's share of the units' playing animations: blend factors for the shaders,
// texture frames and atlas cells of frame animations, and the vertex streams of mesh
// animations, gathered just before a unit is drawn.

#include "scene/Renderer.h"

#include "core/Meshes/Mesh.h"
#include "core/Messages.h"
#include "engine/AnimContainer.h"
#include "engine/MeshContainer.h"
#include "scene/Geometry.h"

static_assert(UV_STAGES == GEOMETRY_TEXTURE_STAGES, "one UvMulAdd per texture stage");

namespace {

CMesh* MeshAt(int index)
{
    if (index <= 0 || index > 0xFFFF || !gIMeshContainer) return nullptr;
    CEngineMesh* record = gIMeshContainer->GetMesh(uint16_t(index));
    return record ? &record->mesh : nullptr;
}

} // namespace

void CRenderer::GatherDataFromAnimations(CAtom* unit)
{
    substituteMesh = nullptr;
    int k = 0;
    for (CAnimInstance* instance = unit->FirstAnimation(); instance; instance = instance->next, ++k) {
        int frame1 = 0, frame2 = 0;
        float t = 0.0f;
        instance->player.GetFrames(&frame1, &frame2, &t);
        // Beyond the slots an animation still plays; its factor is not passed on.
        if (k < ANIM_FACTOR_SLOTS) {
            AnimFactor[k].x = t;
            AnimFactor[k].y = 1.0f - t;
        }
        const CEngineAnimFile* file = instance->file;
        if (!file || instance->startDelay > 0.0f) continue;
        if (file->usage & ANIM_USE_FRAMES) {
            BindAnimationStage(unit, *instance, file->bindSlot1, frame1, ANIM_USE_BIND1_UV, ANIM_USE_BIND1_TEXTURE);
            BindAnimationStage(unit, *instance, file->bindSlot2, frame2, ANIM_USE_BIND2_UV, ANIM_USE_BIND2_TEXTURE);
        }
        if (file->usage & ANIM_USE_FRAME_MESHES) BindMeshFrames(unit, *instance, frame1, frame2);
    }
}

void CRenderer::BindAnimationStage(CAtom* unit, const CAnimInstance& instance, uint8_t stage, int frame,
                                   uint16_t uvFlag, uint16_t textureFlag)
{
    if (stage >= UV_STAGES) return;
    const CEngineAnimFile& file = *instance.file;
    if (file.usage & uvFlag) {
        if (file.data.flags & ANIM_UV) {
            // A UV track keeps its four values in the position slot.
            if (const CAnimValues* values = instance.player.SampleColorUv()) UvMulAdd[stage] = values->position;
            return;
        }
        const int columns = file.columns > 0 ? file.columns : 1;
        UvMulAdd[stage] = D3DXVECTOR4(file.uStep, file.vStep, float(frame % columns) * file.uStep,
                                      float(frame / columns) * file.vStep);
    } else if ((file.usage & textureFlag) && !instance.callerValue && instance.currentResource && IsGeometry(unit)) {
        static_cast<CGeometry*>(unit)->textures[stage] = instance.FrameResource(frame);
    }
}

void CRenderer::BindMeshFrames(const CAtom* unit, CAnimInstance& instance, int frame1, int frame2)
{
    const CEngineAnimFile& file = *instance.file;
    const CMesh* own = IsGeometry(unit) ? static_cast<const CGeometry*>(unit)->PassMesh(0) : nullptr;
    if (!own || !own->indexBuffer) {
        CMesh* base = MeshAt(file.firstResource);
        if (base && base->indexBuffer) {
            substituteMesh = base;
        } else if (!instance.indexErrorShown) {
            // Every frame would say it again: once is enough to find the unit.
            instance.indexErrorShown = true;
            MsgBox3("CRenderer::GatherDataFromAnimations  Error.\n\n   No index buffer for unit  '", unit->name,
                    "'. When playing mesh animation.");
        }
    }
    if (!file.firstResource) return;
    if ((file.usage & ANIM_USE_BIND1_MESH) && file.bindSlot1 != NO_BIND_SLOT)
        if (CMesh* frame = MeshAt(file.firstResource + frame1)) frame->BindStream(file.bindSlot1);
    if ((file.usage & ANIM_USE_BIND2_MESH) && file.bindSlot2 != NO_BIND_SLOT)
        if (CMesh* frame = MeshAt(file.firstResource + frame2)) frame->BindStream(file.bindSlot2);
}
