#include "engine/Engine.h"

#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Meshes/Mesh.h"
#include "core/Scanner.h"
#include "engine/AnimContainer.h"
#include "engine/ArrayContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/Controls3D.h"
#include "engine/EngineTrace.h"
#include "engine/Engineer.h"
#include "engine/Iconer.h"
#include "engine/Kinematics.h"
#include "engine/Layouts.h"
#include "engine/MapContainer.h"
#include "engine/MeshContainer.h"
#include "engine/MissionLoader.h"
#include "engine/Scenes.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "gui/WinSuperior.h"
#include "scene/Camera.h"
#include "scene/ParticleSystems.h"
#include "scene/Renderer.h"
#include "scene/Unit.h"

#include <cstring>

CEngine* gEngine = nullptr;
IEngine* gIEngine = nullptr;

namespace {

constexpr uint8_t KEY_LEFT_ARROW = 203;
constexpr uint8_t KEY_RIGHT_ARROW = 205;

void RotateKeyAction()
{
    if (gEngine)
        gEngine->RotateSelectedUnit();
}

bool IsZero(const D3DXVECTOR4& v)
{
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

} // namespace

CEngine::CEngine()
{
    for (D3DXMATRIX& m : boneMatrices)
        D3DXMatrixIdentity(&m);
    if (Device3D)
        Device3D->GetViewport(&view);
}

CEngine::~CEngine()
{
    PopRotationTable();
    gWinSuperior.DeleteWin(&viewWindow);
}

int CEngine::SetMode(int newMode, uint32_t newFlags)
{
    mode = newMode;
    flags = newFlags;
    if (newMode == 3 || newMode == 4)
        flags |= 0x20E4;
    if (newMode == 3)
        flags |= 0x118;
    return 0;
}

void CEngine::SetViewRect(int x, int y, int width, int height)
{
    view.X = DWORD(x);
    view.Y = DWORD(y);
    view.Width = DWORD(width);
    view.Height = DWORD(height);
}

void CEngine::SetViewOffset(int x, int y)
{
    offsetX = x;
    offsetY = y;
}

void CEngine::Stop()
{
    stopped = 1;
    if (viewWindow)
        viewWindow->flags &= ~WIN_ACTIVE;
}

void CEngine::Start()
{
    stopped = 0;
    if (viewWindow)
        viewWindow->flags |= WIN_ACTIVE;
}

bool CEngine::InsideView(int x, int y) const
{
    const int x0 = int(view.X) + offsetX;
    const int y0 = int(view.Y) + offsetY;
    return x >= x0 && x <= x0 + int(view.Width) - 1 && y >= y0 &&
           y <= y0 + int(view.Height) - 1;
}

void CEngine::PopRotationTable()
{
    if (!(selectState & 1))
        return;
    selectState &= ~1u;
    gInput.RemoveTable(&rotationTable);
}

void CEngine::GetPickedPoints(D3DXVECTOR4* point, SMapPos* mapPos)
{
    if (point)
        *point = pickedPoint;
    if (mapPos)
        *mapPos = pickedMapPos;
}

int CEngine::Process()
{
    if (stopped)
        return -2;
    if (gMissionLoader->HasPending()) {
        EngineTrace("DoStartMission");
        gMissionLoader->DoStartMission();
    }
    if (!gMissionLoader->Running())
        return -1;
    EngineTrace("ResetFrame");
    gRenderer->ResetFrame();
    gUnitInspector->ClearFrameList();
    SMouseInput in = ReadMouseInput();
    CCamera* camera = gUnitInspector->GetCamera();
    if (camera) {
        EngineTrace("Camera");
        camera->PreRender();
        HandleMouse(in);
        camera->UpdateMotion();
    }
    frameTime = gFrameTimer.step * timeScale;
    if (gEngineer) {
        EngineTrace("EngineerUpdate");
        gEngineer->Update();
    }
    PickFrame(gMapContainer->GetMap(currentMap), camera, in);
    EngineTrace("ProcessUnits");
    gUnitInspector->ProcessUnits();
    gParticleSystems->Update();
    gRenderer->UpdateSkeletons();
    gControls3D->PickControls();
    pickedUnit = nullptr;
    if ((flags & ENG_PICK_UNITS) && OverViewWindow(in) && !ControlPicked() && camera &&
        !IsZero(rayDirection)) {
        EngineTrace("PickUnit");
        pickedUnit = gRenderer->PickUnit(rayOrigin, rayDirection);
    }
    ClearLatchedMouse();
    gGraphics.clearColor = D3DCOLOR(gRenderer->ClearColor);
    return 0;
}

// Ground pick, dragging of a selected unit and the camera cell: only with a map; the
// ground is picked only along a real ray (a main camera exists and the ray is not zero).
void CEngine::PickFrame(CGameMap* map, CCamera* camera, const SMouseInput& in)
{
    if (!map)
        return;
    if ((flags & ENG_PICK_GROUND) && camera && !IsZero(rayDirection)) {
        EngineTrace("PickGround");
        PickGround(map, rayOrigin, rayDirection, &pickedPoint, &pickedMapPos, in);
    }
    if ((flags & ENG_SELECT) && selectedUnit && OverViewWindow(in) && !ControlPicked()) {
        pickedMapPos.direction = selectedUnit->mapPos.direction;
        selectedUnit->PlaceOnMap(pickedMapPos);
        TintByLayout(selectedUnit);
    }
    if (camera) {
        EngineTrace("CameraCell");
        D3DXVECTOR4 target(camera->target.x, camera->target.y, camera->target.z, 1.0f);
        map->GetPosByFPos(&cameraCell, target);
    }
}

// Red while the unit's footprint does not fit the valid map where it is being placed.
void CEngine::TintByLayout(CAtom* unit)
{
    CLayout* layout = unit->classTemplate ? unit->classTemplate->placeLayout : nullptr;
    if (!validMap || !layout) return;
    const bool fits = layout->TestLayoutInValidMap(unit->mapPos, *validMap, uint32_t(validMapValue)) == 0;
    unit->Color = fits ? D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f) : D3DXCOLOR(1.0f, 0.0f, 0.0f, 1.0f);
}

int CEngine::Render()
{
    if (!gMissionLoader->Running())
        return -1;
    if (gRenderer->paused)
        return -2;
    if (gEngineer) {
        EngineTrace("EngineerBeforeRender");
        gEngineer->BeforeRender();
    }
    EngineTrace("RenderShadows");
    gRenderer->RenderShadows();
    EngineTrace("RenderUnits");
    gRenderer->RenderUnits(1);
    EngineTrace("RenderGlows");
    gRenderer->RenderGlows();
    if (gEngineer) {
        EngineTrace("EngineerAfterRender");
        gEngineer->AfterRender();
    }
    return 0;
}

bool CEngine::PickGround(CGameMap* map, const D3DXVECTOR4& origin, const D3DXVECTOR4& direction,
                         D3DXVECTOR4* outPoint, SMapPos* outMapPos, const SMouseInput& in)
{
    if (!map || !OverViewWindow(in))
        return false;
    D3DXVECTOR4 p = origin + direction * pickStep;
    p.w = 1.0f;
    D3DXVECTOR4 step = direction * 2.0f;
    step.w = 0.0f;
    SMapPos cell;
    float groundY = 0.0f;
    auto sample = [&]() {
        map->GetCellXZClamped(&cell, p);
        groundY = float(map->GetAltByPos4(cell)) * stepY;
    };
    int i = 0;
    for (; i < PICK_MARCH_STEPS; ++i, p += step) {
        sample();
        if (groundY > p.y || seaHeight > p.y)
            break;
    }
    if (i == PICK_MARCH_STEPS)
        return false;
    p -= step;
    step = direction * 0.2f;
    step.w = 0.0f;
    for (i = 0; i < PICK_MARCH_STEPS; ++i, p += step) {
        sample();
        if (groundY >= p.y || seaHeight >= p.y)
            break;
    }
    if (i == PICK_MARCH_STEPS)
        return false;
    if (outMapPos)
        *outMapPos = cell;
    if (outPoint) {
        if (flags & ENG_SNAP_TO_CELL) {
            map->GetFPos_XZ_ByPos4(outPoint, cell);
            outPoint->y = groundY;
        } else {
            *outPoint = D3DXVECTOR4(p.x, groundY, p.z, 1.0f);
        }
    }
    if (groundPickCallback)
        groundPickCallback(0);
    return true;
}

void CEngine::CreateViewWindow()
{
    gWinSuperior.ResetOrigin();
    if (!viewWindow)
        viewWindow = gWinSuperior.AddWin(int(view.X) + offsetX, int(view.Y) + offsetY,
                                         int(view.Width), int(view.Height), nullptr, nullptr,
                                         0, 0, 0, 0, 0, 0);
    if (flags & ENG_SHOW_VIEW_WINDOW)
        viewWindow->flags |= WIN_ACTIVE;
    if (gControls3D)
        gControls3D->EnsureActiveControls();
    if (rotationTable.count)
        return;
    rotateLeftKey.Set(KEY_LEFT_ARROW, KEY_AUTO_REPEAT, RotateKeyAction);
    rotateLeftKey.userValue = -1;
    rotateRightKey.Set(KEY_RIGHT_ARROW, KEY_AUTO_REPEAT, RotateKeyAction);
    rotateRightKey.userValue = 1;
    rotationTable.Fill(&rotateLeftKey, &rotateRightKey);
}

// Ends the presentation's part of the engine; flags, view, world parameters and callbacks
// stay. The rotation keys go with the selection so they never act on a unit that is gone.
void CEngine::ResetMission()
{
    flags &= ~uint32_t(ENG_SELECT);
    PopRotationTable();
    pickedUnit = nullptr;
    selectedUnit = nullptr;
    currentMap = 0;
    ClearLatchedMouse();
    validMap = nullptr;
    validMapValue = 0;
    // Started scenes hold registered units: the scenes let go of them before the registry
    // deletes what is left.
    gScenes->FreeAll();
    gUnitInspector->Reset();
    gMapContainer->ClearMaps();
    gAnimContainer->FreeMarkedFiles();
    gTexContainer->ReleaseMissionTextures();
    gMeshContainer->ReleasePresentationMeshes();
    gArrayContainer->FreeAll();
    gControls3D->Reset();
    gIconer->Reset();
    gRenderer->ResetQueues();
    gParticleSystems->ResetAll();
}

int CEngine::AssignValidMap(CUserArray* array, int value)
{
    CGameMap* map = gMapContainer->GetMap(currentMap);
    if (!map)
        return WarningBox(&warningBudget, "CEngine::AssignValidMap Error:  The map is null.",
                          nullptr), -1;
    if (!array)
        return WarningBox(&warningBudget,
                          "CEngine::AssignValidMap Error:  The valid map is null.", nullptr),
               -1;
    if (array->width != map->Width() || array->height != map->Height())
        return WarningBox(&warningBudget,
                          "CEngine::AssignValidMap Error:  The size of valid map and game map is "
                          "not correspond.",
                          nullptr),
               -1;
    validMap = array;
    validMapValue = value;
    return 0;
}

int CEngine::CollectBoneChain(const CSkeleton& skeleton, int first, int last, int32_t* chain)
{
    int count = 0;
    for (const SBone* bone = first >= 0 && first < skeleton.boneCount ? &skeleton.bones[first] : nullptr;
         bone && count < MAX_BONE_CHAIN; bone = bone->master) {
        chain[count++] = bone->index;
        if (bone->index == last)
            break;
    }
    return count;
}

// A bone's matrix in its master's frame: the kinematic turn (none without one) moved to
// where the bone sits, as the renderer places it.
void CEngine::ChainBoneMatrix(D3DXMATRIX* out, const CSkeleton& skeleton, const CUnit* unit, int bone) const
{
    const CKinematicBone* kinematic = unit && gKinematics ? unit->kinematicBones.At(bone) : nullptr;
    if (!kinematic || !gKinematics->GetBoneMatrix(*kinematic, out))
        D3DXMatrixIdentity(out);
    const D3DXVECTOR4& offset = skeleton.bones[bone].relative;
    out->_41 += offset.x;
    out->_42 += offset.y;
    out->_43 += offset.z;
    out->_44 = 1.0f;
}

int CEngine::TransformPoint(D3DXVECTOR4* out, D3DXVECTOR4* outNormal, const D3DXVECTOR4& in,
                            CAtom* unit, int firstBone, int lastBone)
{
    if (!unit)
        return WarningBox(&warningBudget, "CEngine::TransformPoint Error:  pUnit=null.",
                          nullptr), -1;
    const auto* geometry = dynamic_cast<const CGeometry*>(unit);
    const CMesh* mesh = geometry ? geometry->PassMesh(0) : nullptr;
    if (!mesh || mesh->skeleton.boneCount <= 0 || !mesh->skeleton.bones)
        return WarningBox(&warningBudget,
                          "CEngine::TransformPoint Error:  pMesh=null or "
                          "pMesh->Skeleton.NumBones=0.",
                          nullptr), -1;
    const CSkeleton& skeleton = mesh->skeleton;
    if (firstBone < 0 || firstBone >= skeleton.boneCount)
        return WarningBox(&warningBudget,
                          "CEngine::TransformPoint Error:  StartIndex>=pMesh->Skeleton.NumBones.",
                          nullptr), -1;
    const CUnit* moving = AsUnit(unit);
    int32_t chain[MAX_BONE_CHAIN];
    const int count = CollectBoneChain(skeleton, firstBone, lastBone, chain);
    D3DXMATRIX product;
    D3DXMatrixIdentity(&product);
    for (int i = 0; i < count; ++i) {
        ChainBoneMatrix(&boneMatrices[i], skeleton, moving, chain[i]);
        D3DXMatrixMultiply(&product, &product, &boneMatrices[i]);
    }
    D3DXMatrixMultiply(&product, &product, &unit->world);
    D3DXVec4Transform(out, &in, &product);
    if (outNormal) {
        D3DXVECTOR3 normal(0, 0, 1);
        D3DXVec3TransformNormal(&normal, &normal, &product);
        *outNormal = D3DXVECTOR4(normal.x, normal.y, normal.z, 0.0f);
    }
    return 0;
}

// One "WorldParams" key; 0 when the word is not one of them.
int CEngine::ReadWorldParam(FILE* file, const char* word)
{
    struct FloatKey {
        const char* name;
        float* value;
        SFog* fog;
    };
    const FloatKey keys[] = {
        {"StepY:", &stepY, nullptr},
        {"NightLightsLevelB_On:", &nightLightsLevelB_On, nullptr},
        {"NightLightsLevelB_Off:", &nightLightsLevelB_Off, nullptr},
        {"AirFogStart:", &airFog.start, &airFog},
        {"AirFogFinal:", &airFog.final, &airFog},
        {"WaterFogStart:", &waterFog.start, &waterFog},
        {"WaterFogFinal:", &waterFog.final, &waterFog},
    };
    static_assert(sizeof keys / sizeof keys[0] == 7, "float keys of WorldParams");
    if (strcmp(word, "SeaLevel:") == 0) {
        Core::fscan_int(file, &seaLevel);
        return 1;
    }
    for (const FloatKey& key : keys) {
        if (strcmp(word, key.name) != 0)
            continue;
        Core::fscan_float(file, key.value);
        if (key.fog)
            key.fog->range = key.fog->final - key.fog->start;
        return 1;
    }
    return 0;
}

int CEngine::ScanWorldParams(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word, sizeof word);  // the opening "["
    for (Core::fscan_word(file, word, sizeof word); word[0] && strcmp(word, "]") != 0;
         Core::fscan_word(file, word, sizeof word)) {
        if (!ReadWorldParam(file, word))
            MsgBox3("Undefined string '", word, "' in WorldParams.");
    }
    seaHeight = float(seaLevel) * stepY;
    return 0;
}
