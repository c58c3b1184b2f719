#pragma once
// CEngine: runs one engine frame in two halves, Process (start a pending presentation,
// camera and mouse in the 3D view, ground pick, unit walk, particles, picks) and Render
// (shadows, queues, glow). Owns the world parameters of "WorldParams", the 3D view
// rectangle and its view window, the unit selection and the order of resets at the end of
// a presentation. Errors are counted warnings (budget 10); picking gives up silently.

#include "core/Input.h"
#include "engine/MapPos.h"

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <cstdio>

class CAtom;
class CCamera;
class CGameMap;
class CUnit;
struct CSkeleton;
struct CBaseWin;
struct CUserArray;

// Behaviour bits of the engine.
enum : uint32_t {
    ENG_DRAG = 0x4,
    ENG_EDGE_MARKS = 0x8,
    ENG_SECOND_DRAG = 0x10,
    ENG_WHEEL = 0x20,
    ENG_SNAP_TO_CELL = 0x40,
    ENG_PICK_UNITS = 0x80,
    ENG_PICK_GROUND = 0x100,
    ENG_NO_CLICK_SELECT = 0x400,
    ENG_FULL_SELECT = 0x800,
    ENG_SELECT = 0x1000,
    ENG_SHOW_VIEW_WINDOW = 0x2000,
};

constexpr int DRAG_THRESHOLD = 7;       // pixels on either axis before a drag rotates
constexpr int MAX_BONE_CHAIN = 64;
constexpr int PICK_MARCH_STEPS = 10000;

// The mouse as one engine frame sees it: filled from the input and the window manager each
// frame, or by a test.
struct SMouseInput {
    int32_t x = 0, y = 0;  // cursor, client pixels
    int32_t leftClick = 0, rightClick = 0, middleClick = 0;
    int32_t rightHeld = 0, middleHeld = 0;
    int32_t altDown = 0;
    int32_t wheel = 0;     // wheel movement this frame
    CBaseWin* winUnderMouse = nullptr;
};
SMouseInput ReadMouseInput();

struct SFog {
    float start, final, range;
};

using EngineCallback = void (*)(int);

class IEngine {
public:
    virtual ~IEngine() = default;
    virtual int SetMode(int mode, uint32_t flags) = 0;
    virtual void SetViewRect(int x, int y, int width, int height) = 0;
    virtual void SetViewOffset(int x, int y) = 0;
    virtual void Stop() = 0;
    virtual void Start() = 0;
    virtual void EnableEdgeMarks(bool on) = 0;
    virtual void EnableDrag(bool on) = 0;
    virtual void EnableSecondDrag(bool on) = 0;
    virtual void EnableWheel(bool on) = 0;
    virtual CAtom* GetSelectedUnit() = 0;
    virtual void DeselectUnit() = 0;
    virtual void GetPickedPoints(D3DXVECTOR4* point, SMapPos* mapPos) = 0;
    virtual void UpdateMouseState() = 0;
    virtual void SetGroundPickCallback(EngineCallback fn) = 0;
    virtual void SetOrderCallback(EngineCallback fn) = 0;
    virtual void EnableClickSelect(bool on) = 0;
    virtual void EnableSelect(bool on) = 0;
    virtual int Process() = 0;
    virtual int Render() = 0;
};

class CEngine : public IEngine {
public:
    CEngine();
    ~CEngine() override;

    int SetMode(int mode, uint32_t flags) override;
    void SetViewRect(int x, int y, int width, int height) override;
    void SetViewOffset(int x, int y) override;
    void Stop() override;
    void Start() override;
    void EnableEdgeMarks(bool on) override { SetFlag(ENG_EDGE_MARKS, on); }
    void EnableDrag(bool on) override { SetFlag(ENG_DRAG, on); }
    void EnableSecondDrag(bool on) override { SetFlag(ENG_SECOND_DRAG, on); }
    void EnableWheel(bool on) override { SetFlag(ENG_WHEEL, on); }
    CAtom* GetSelectedUnit() override { return selectedUnit; }
    void DeselectUnit() override;
    void GetPickedPoints(D3DXVECTOR4* point, SMapPos* mapPos) override;
    void UpdateMouseState() override;
    void SetGroundPickCallback(EngineCallback fn) override { groundPickCallback = fn; }
    void SetOrderCallback(EngineCallback fn) override { orderCallback = fn; }
    void EnableClickSelect(bool on) override { SetFlag(ENG_NO_CLICK_SELECT, !on); }
    void EnableSelect(bool on) override { SetFlag(ENG_SELECT, on); }
    int Process() override;
    int Render() override;

    int ScanWorldParams(FILE* file);
    void CreateViewWindow();
    void ResetMission();
    int AssignValidMap(CUserArray* array, int value);
    void SelectUnit(CAtom* unit, bool full);
    void RotateSelectedUnit();
    // Drops a unit that is being deleted from the pick and the selection.
    void ForgetUnit(const CAtom* unit);
    // A point (and the direction (0, 0, 1)) in the frame of a bone of the unit's skeleton
    // carried through its masters up to lastBone (or a root), each turned by the unit's
    // kinematic bone and moved to where it sits, then through the unit's world. 0; -1 with
    // a counted warning for a unit without a skeleton or a bone outside it.
    int TransformPoint(D3DXVECTOR4* out, D3DXVECTOR4* outNormal, const D3DXVECTOR4& in,
                       CAtom* unit, int firstBone, int lastBone);
    void WeaponPoint(const D3DXVECTOR4&, CAtom*, int) {}

    void HandleMouse(const SMouseInput& in);
    void UpdateMouseState(const SMouseInput& in);
    // Marches the ray over the map; true when it met the ground or the sea.
    bool PickGround(CGameMap* map, const D3DXVECTOR4& origin, const D3DXVECTOR4& direction,
                    D3DXVECTOR4* outPoint, SMapPos* outMapPos, const SMouseInput& in);
    // The bones from first through its masters up to last (or a root), at most
    // MAX_BONE_CHAIN; returns the count written to chain.
    static int CollectBoneChain(const CSkeleton& skeleton, int first, int last, int32_t* chain);
    void ChainBoneMatrix(D3DXMATRIX* out, const CSkeleton& skeleton, const CUnit* unit, int bone) const;
    // Inside the view rectangle on screen: x0 <= x <= x0 + width - 1 (likewise y), where
    // x0 is the view's x plus the offset; both edge pixels belong to the view.
    bool InsideView(int x, int y) const;
    float StepY() const { return stepY; }
    float SeaHeight() const { return seaHeight; }

    float frameTime = 0.0f;
    int32_t warningBudget = 10;
    int32_t stopped = 0;
    uint32_t flags = 0;
    int32_t mode = 0;
    D3DXMATRIX boneMatrices[MAX_BONE_CHAIN];
    CBaseWin* viewWindow = nullptr;
    int32_t offsetX = 0, offsetY = 0;
    int32_t dragStartX = 0, dragStartY = 0;
    CAtom* pickedUnit = nullptr;
    CAtom* selectedUnit = nullptr;
    D3DXVECTOR4 rayOrigin{0, 0, 0, 1};
    D3DXVECTOR4 rayDirection{0, 0, 0, 0};
    uint16_t currentMap = 0;
    D3DXVECTOR4 pickedPoint{0, 0, 0, 1};
    SMapPos pickedMapPos;
    float seaHeight = 0.0f;
    int32_t seaLevel = 0;
    float stepY = 0.1f;
    SMapPos cameraCell;
    float nightLightsLevelB_On = 0.5f, nightLightsLevelB_Off = 0.5f;
    SFog airFog{50, 100, 50};
    SFog waterFog{50, 100, 50};
    float pickStep = 10.0f;
    int32_t latchedLeft = 0, latchedRight = 0, latchedMiddle = 0, latchedWheel = 0;
    EngineCallback selectCallback = nullptr, deselectCallback = nullptr;
    EngineCallback orderCallback = nullptr, groundPickCallback = nullptr;
    CUserArray* validMap = nullptr;
    int32_t validMapValue = 0;
    uint32_t selectState = 0;  // bit 1: the rotation key table is pushed
    CKeyHandler rotateLeftKey, rotateRightKey;
    CKeyTable rotationTable;
    int32_t paused = 0;
    float timeScale = 1.0f;
    D3DVIEWPORT9 view{0, 0, 0, 0, 0.0f, 1.0f};

private:
    void SetFlag(uint32_t bit, bool on) { flags = on ? flags | bit : flags & ~bit; }
    bool OverViewWindow(const SMouseInput& in) const;
    bool ControlPicked() const;
    void ClearLatchedMouse() { latchedLeft = latchedRight = latchedMiddle = latchedWheel = 0; }
    void PopRotationTable();
    void ComputePickRay(const SMouseInput& in);
    void HandleEdgeMarks(CCamera* cam, const SMouseInput& in);
    void HandleZoom(CCamera* cam, const SMouseInput& in);
    void HandleRotation(CCamera* cam, const SMouseInput& in);
    void HandlePan(CCamera* cam, const SMouseInput& in);
    void HandleClick();
    void PickFrame(CGameMap* map, CCamera* camera, const SMouseInput& in);
    void TintByLayout(CAtom* unit);
    int ReadWorldParam(FILE* file, const char* word);
};

extern CEngine* gEngine;
extern IEngine* gIEngine;
