#include "engine/Kinematics.h"

CKinematics* gKinematics = nullptr;
IKinematics* gIKinematics = nullptr;
