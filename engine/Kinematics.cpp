#include "engine/Kinematics.h"

#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"

CKinematics* gKinematics = nullptr;
IKinematics* gIKinematics = nullptr;

void CKinematics::FirstScan(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    int32_t capacity = 0;
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (!word[0]) {
            WarningBox(&warnings, "CKinematics::FirstScan :  section 'Kinematics' is not closed by ']'.", nullptr);
            break;
        }
        if (StrEqual(word, "BonesCount:"))
            Core::fscan_int(file, &capacity);
        else
            MsgBox3("Undefine string '", word, "'");
    }
    if (!pool.Init(capacity > 0 ? capacity : 0))
        WarningBox(&warnings, "CKinematics::FirstScan :  not enough memory for 'BonesCount:'.", nullptr);
}

CKinematicBone* CKinematics::AllocBone()
{
    CKinematicBone* bone = nullptr;
    const int index = pool.Add(bone);
    if (!index) return nullptr;
    *bone = CKinematicBone{};
    bone->poolIndex = index;
    return bone;
}

void CKinematics::FreeBone(CKinematicBone* bone)
{
    if (bone && pool.At(bone->poolIndex) == bone) pool.Free(bone->poolIndex);
}

void CKinematics::FreeBones(CKinematicBones& bones)
{
    bones.ForEach([this](CKinematicBone* bone) { FreeBone(bone); });
    bones.Clear();
}

int CKinematics::GetBoneMatrix(const CKinematicBone& bone, D3DXMATRIX* out) const
{
    switch (bone.kind) {
    case KINEMATIC_TURN_Y:
        D3DXMatrixRotationY(out, bone.angleY);
        return 1;
    case KINEMATIC_TILT_X:
        D3DXMatrixRotationX(out, -bone.angleX);
        return 1;
    case KINEMATIC_MOVE_TILT: {
        D3DXMATRIX move, tilt;
        D3DXMatrixIdentity(&move);
        move._41 = bone.vector.x;
        move._42 = bone.vector.y;
        move._43 = bone.vector.z;
        move._44 = bone.vector.w;
        D3DXMatrixRotationX(&tilt, -bone.angleX);
        D3DXMatrixMultiply(out, &move, &tilt);
        return 1;
    }
    default:
        return 0;
    }
}

void CKinematics::ComputeBoneMatrices(const CKinematicBones& bones, D3DXMATRIX* matrices, uint8_t* flags,
                                      int count) const
{
    int i = 0;
    for (const CKinematicBone* bone = bones.First(); bone && i < count; bone = bone->next, ++i)
        if (GetBoneMatrix(*bone, &matrices[i])) flags[i] = 1;
}
