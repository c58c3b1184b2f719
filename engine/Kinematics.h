#pragma once
// CKinematics: owns the kinematic bone chains of skinned units. Until kinematics are built
// it holds none.

class IKinematics {
public:
    virtual ~IKinematics() = default;
};

class CKinematics : public IKinematics {};

extern CKinematics* gKinematics;
extern IKinematics* gIKinematics;
