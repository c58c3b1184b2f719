#pragma once
// CAtom: the base of every scene object. Until the unit classes are built this holds only
// what the engine frame reads and writes: system controls, state bits, the map position,
// the yaw with its world matrix, the tint and the moving unit's hooks.

#include "engine/MapPos.h"

#include <d3dx9.h>

#include <cstdint>

enum : uint32_t {
    SYS_RENDER_ALWAYS = 2,
    SYS_SELECTING = 128,
};
enum : uint32_t {
    UNIT_DISABLED = 1,
    UNIT_SELECTED = 2,
    UNIT_VISIBLE = 4,
    UNIT_QUEUED = 8,
};

constexpr float DIRECTION_STEP_ANGLE = 0.785398f;  // 45 degrees

class CAtom {
public:
    CAtom();
    virtual ~CAtom() = default;
    CAtom(const CAtom&) = delete;
    CAtom& operator=(const CAtom&) = delete;

    // Places the unit from a map position.
    virtual int SetMapPos(const SMapPos& pos);
    // Moving units only: show the unit's icon; start moving to a point.
    virtual int RegisterIcon() { return 0; }
    virtual int StartMoves(const D3DXVECTOR4& target, int mode);

    void PlaceOnMap(const SMapPos& pos);
    // Turns the unit to a direction step (wrapped to 0..7) and rebuilds its world matrix.
    void SetDirection(int step);

    uint32_t sysControls = 0;
    uint32_t state = 0;
    SMapPos mapPos;
    D3DXVECTOR3 pos{0, 0, 0};
    D3DXVECTOR3 orient{0, 0, 0};  // x pitch, y yaw, z roll
    D3DXMATRIX world;
    D3DXCOLOR color{1, 1, 1, 1};
    int32_t rotationFactor = 1;   // the class template's placement rotation factor
    uint32_t moveControls = 0;
    int (*orderHook)(int) = nullptr;  // result bit 1 cancels the order
    int (*selectHook)(CAtom*) = nullptr;
    int (*deselectHook)(int) = nullptr;
    // The skeleton of the unit's mesh (bone count and each bone's master, -1 for a root,
    // and offset) and, with a skeleton instance, the bone matrices of the kinematics.
    int32_t boneCount = 0;
    const int32_t* boneMasters = nullptr;
    const D3DXVECTOR3* boneOffsets = nullptr;
    const D3DXMATRIX* boneMatrices = nullptr;
};
