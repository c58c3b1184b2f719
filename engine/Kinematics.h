#pragma once
// CKinematics: owns the pool of kinematic bones, the small records that units chain into a
// list (one per bone of their skeleton) and that turn the unit's aim angles into one
// matrix per bone for the bone palette. The pool is sized once by the script's
// "Kinematics" section; a full pool answers null and the caller warns. A missing or
// non-positive "BonesCount:" leaves an empty pool in which every allocation fails. An
// unknown word is a message box; a section left open or a pool without memory cost one of
// the container's counted warnings (4).

#include "core/Container.h"
#include "core/LinkedList.h"

#include <d3dx9.h>

#include <cstdint>
#include <cstdio>

// What a bone does with the angles.
enum : uint8_t {
    KINEMATIC_NONE = 0,       // no matrix
    KINEMATIC_TURN_Y = 1,     // turn about Y by angle Y
    KINEMATIC_TILT_X = 2,     // tilt about X by minus angle X
    KINEMATIC_MOVE_TILT = 4,  // move by the vector, then tilt about X by minus angle X
};

struct CKinematicBone {
    float angleX = 0.0f;  // radians, set by the owning unit
    float angleY = 0.0f;
    D3DXVECTOR4 vector{0.0f, 0.0f, 0.0f, 1.0f};  // the offset of kind 4
    uint8_t kind = KINEMATIC_NONE;
    int poolIndex = 0;
    CKinematicBone* next = nullptr;
};

using CKinematicBones = TLinkedList<CKinematicBone>;

class IKinematics {
public:
    virtual ~IKinematics() = default;
};

class CKinematics : public IKinematics {
public:
    // The section after its name: "[" "BonesCount:" n "]"; builds the pool.
    void FirstScan(FILE* file);
    // A bone of kind 0 linked to nothing, or null when the pool is full.
    CKinematicBone* AllocBone();
    // Back to the pool by its index (nothing for a bone the pool did not hand out).
    void FreeBone(CKinematicBone* bone);
    // Every bone of the list back to the pool; the list is left empty.
    void FreeBones(CKinematicBones& bones);
    // 1 when the bone's kind makes a matrix (written to out), else 0 and out untouched.
    int GetBoneMatrix(const CKinematicBone& bone, D3DXMATRIX* out) const;
    // For bone i of the list (list order, i < count) that makes a matrix: matrices[i] and
    // flags[i] = 1; other entries are left as they were.
    void ComputeBoneMatrices(const CKinematicBones& bones, D3DXMATRIX* matrices, uint8_t* flags, int count) const;

    int Capacity() const { return pool.Capacity(); }

    int warnings = 4;

private:
    TContainer<CKinematicBone, int> pool;
};

extern CKinematics* gKinematics;
extern IKinematics* gIKinematics;
