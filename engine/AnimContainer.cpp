#include "engine/AnimContainer.h"
#include "engine/MeshContainer.h"

#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "scene/Atom.h"
#include "scene/Geometry.h"

CAnimContainer* gAnimContainer = nullptr;
IAnimContainer* gIAnimContainer = nullptr;

void CEngineAnimFile::Reset()
{
    name[0] = 0;
    data.Clear();
    index = firstResource = playFlags = usage = 0;
    bindSlot1 = bindSlot2 = NO_BIND_SLOT;
    uStep = vStep = 1.0f;
    columns = rows = 1;
    frameFormat = 0;
}

void CAnimInstance::Init(CAnimInstance* source, float blendTime)
{
    blendSource = source;
    if (source) source->player.flags = 0;
    blendLeft = blendTotal = blendTime;
}

void CAnimInstance::Reset(float blendTime)
{
    blendSource = nullptr;
    blendLeft = blendTotal = blendTime;
}

uint16_t CAnimInstance::FrameResource(int frame) const
{
    if (frame < 0) return 0;
    if (frameTable) return frame < player.frameCount ? frameTable[frame] : 0;
    return uint16_t(currentResource + frame);
}

uint16_t CAnimContainer::IndexOf(const CEngineAnimFile* record)
{
    return record ? uint16_t(record - records.Data()) : 0;
}

CEngineAnimFile* CAnimContainer::GetAnimFile(uint16_t index)
{
    return records.InUse(index) ? records.At(index) : nullptr;
}

CEngineAnimFile* CAnimContainer::FindAnimFile(const char* name)
{
    return records.FindByName(name);
}

uint16_t CAnimContainer::FindAnimFileIndex(const char* name)
{
    return IndexOf(FindAnimFile(name));
}

CAnimFile* CAnimContainer::GetAnimData(uint16_t index)
{
    CEngineAnimFile* record = GetAnimFile(index);
    return record ? &record->data : nullptr;
}

uint16_t CAnimContainer::LoadAnimFile(const char* path, uint32_t loadFlags, int presentation)
{
    CEngineAnimFile* record;
    const uint16_t index = records.Add(record);
    if (!index) {
        WarningBox(&warnings, "CAnimContainer:  animation files limit is exceed.", nullptr);
        return 0;
    }
    if (record->data.LoadAnimation(path, loadFlags) != ANIM_LOADED) {
        FreeAnimFile(index);
        return 0;
    }
    record->index = index;
    if (presentation) record->usage |= ANIM_USE_PRESENTATION;
    return index;
}

void CAnimContainer::FreeAnimFile(uint16_t index)
{
    // A record already free is refused by the container, so it is never freed twice.
    if (CEngineAnimFile* record = records.Free(index)) record->Reset();
}

void CAnimContainer::FreeAnimFileByPtr(CEngineAnimFile* record)
{
    if (!record || !records.Owns(record)) return;
    const size_t offset = size_t(reinterpret_cast<char*>(record) - reinterpret_cast<char*>(records.Data()));
    if (offset % sizeof(CEngineAnimFile) == 0) FreeAnimFile(IndexOf(record));
}

CAnimInstance* CAnimContainer::AllocAnimInstance()
{
    CAnimInstance* instance = instances.Alloc();
    if (instance) *instance = CAnimInstance{};
    return instance;
}

void CAnimContainer::FreeAnimInstance(CAnimInstance* instance)
{
    if (!instance || !instances.Free(instance)) return;
    delete[] instance->frameTable;
    instance->frameTable = nullptr;
}

void CAnimContainer::DropInstance(CAnimInstance& instance)
{
    FreeAnimInstance(&instance);
}

void CAnimContainer::FreeMarkedFiles()
{
    for (int i = 1; i <= records.Count(); ++i)
        if (records.InUse(i) && (records.At(i)->usage & ANIM_USE_PRESENTATION)) FreeAnimFile(uint16_t(i));
    instances.ForEach(this, &CAnimContainer::DropInstance);
    instances.ClearReleasingChunks();
}

void CAnimContainer::FreeAll()
{
    for (int i = 1; i <= records.Count(); ++i)
        if (records.InUse(i)) FreeAnimFile(uint16_t(i));
    instances.ForEach(this, &CAnimContainer::DropInstance);
}

void CAnimContainer::FirstScan(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    int32_t instanceCount = 0;
    uint16_t fileCount = 0;
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (!word[0]) {
            MsgBox("CAnimContainer::FirstScan :  section 'AnimContainer' is not closed by ']'.");
            break;
        }
        if (StrEqual(word, "AnimationCount:")) {
            Core::fscan_int(file, &instanceCount);
        } else if (StrEqual(word, "AnimationFiles:")) {
            Core::fscan_u16(file, &fileCount);
        } else if (StrEqual(word, "AnimationDirectory:")) {
            char text[Core::STRING_BUFFER_SIZE];
            Core::fscan_string(file, text);
            StrCopy(directory, sizeof directory, text);
            const size_t n = StrLenSafe(directory);
            if (n > 0 && !IsPathSeparator(directory[n - 1])) StrAppend(directory, sizeof directory, "\\");
        } else {
            MsgBox3("Undefine string '", word, "'");
        }
    }
    FreeAll();
    if (!records.Init(fileCount)) MsgBox("CAnimContainer::FirstScan :  not enough memory for 'AnimationFiles:'.");
    instances.Init(instanceCount > 0 ? instanceCount : 0, ANIM_EXTRA_BLOCKS, ANIM_BLOCK_SIZE);
}

namespace {

// The bind (inverse) matrices of the unit's mesh, null when it has none.
const CSkeleton* BindSkeleton(const CAtom* unit)
{
    const auto* geometry = dynamic_cast<const CGeometry*>(unit);
    const CEngineMesh* record = geometry && geometry->mesh && gIMeshContainer ? gIMeshContainer->GetMesh(geometry->mesh)
                                                                               : nullptr;
    return record && record->mesh.skeleton.inverseMatrices ? &record->mesh.skeleton : nullptr;
}

} // namespace

// The unit's skeletal animations blended into its bone matrices, then each bone taken out
// of its bind pose once (after all animations, so a bone no later animation writes is not
// taken out twice).
void CAnimContainer::ComputeAnimatedMatrices(CAtom* unit, D3DXMATRIX* matrices, uint8_t* marks)
{
    if (!unit || !matrices) return;
    const CAnimInstance* fading = nullptr;
    bool sampled = false;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (const CAnimInstance* instance = unit->animations.First(); instance; instance = instance->next) {
        const CAnimFile* data = instance->file ? &instance->file->data : nullptr;
        if (!data || data->skeleton.boneCount <= 0 || !(data->flags & ANIM_BONE_CHANNELS)) continue;
        if (instance->blendLeft != 0.0f && instance->blendSource) {
            fading = instance;
            continue;
        }
        sampled = true;
        instance->player.SampleBones(matrices, marks);
        if (instance->blendLeft == 0.0f || instance->blendTotal == 0.0f) continue;
        const float f = instance->blendLeft / instance->blendTotal;
        for (int b = 0; b < data->skeleton.boneCount && b < MAX_BONES; ++b)
            matrices[b] = matrices[b] + (identity - matrices[b]) * f;
    }
    if (fading && fading->blendTotal != 0.0f) {
        sampled = true;
        D3DXMATRIX faded[MAX_BONES];
        for (D3DXMATRIX& m : faded) D3DXMatrixIdentity(&m);
        fading->player.SampleBones(faded, nullptr);
        const float f = fading->blendLeft / fading->blendTotal;
        const int bones = fading->file->data.skeleton.boneCount;
        for (int b = 0; b < bones && b < MAX_BONES; ++b) matrices[b] = matrices[b] + (faded[b] - matrices[b]) * f;
    }
    const CSkeleton* bind = sampled ? BindSkeleton(unit) : nullptr;
    if (!bind) return;
    for (int b = 0; b < bind->boneCount && b < MAX_BONES; ++b)
        matrices[b] = matrices[b] * bind->inverseMatrices[b];
}
