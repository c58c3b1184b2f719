#include "app/FlatShow.h"

#include "app/Application.h"
#include "app/Column.h"
#include "app/Floor.h"
#include "app/Hints.h"
#include "app/MyBuilding.h"
#include "app/Texts.h"
#include "core/Graphics.h"
#include "core/Messages.h"
#include "engine/AnimContainer.h"
#include "engine/Engine.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"
#include "engine/Variables.h"
#include "gui/WinSuperior.h"
#include "scene/Camera.h"
#include "scene/Renderer.h"

#include <cmath>
#include <cstring>

static_assert(sizeof(D3DXCOLOR) == sizeof(D3DXVECTOR4), "colours glide as four floats");

namespace {

constexpr uint8_t BUTTON_WAIT_ALPHA = 128;
constexpr uint32_t BUTTON_OPAQUE = 0xFFFFFFFF;
constexpr float FADE_STEP = 0.05f, FADE_IN_DELAY = 0.7f;
// Flying in: the eye 40 units out and 30 up from the floor, at 0.6 of the distance per second.
constexpr float FLY_IN_REACH = 40.0f, FLY_IN_HEIGHT = 30.0f, FLY_IN_DROP = 1.0f, FLY_IN_SPEED = 0.6f;
// Flying back: 250 out and 180 up from the ground under the target.
constexpr float FLY_BACK_REACH = 250.0f, FLY_BACK_HEIGHT = 180.0f, TARGET_BACK_SPEED = 20.0f,
                EYE_BACK_SPEED = 100.0f;
constexpr float CAMERA_RAMP = 0.3f, LIGHT_RAMP = 0.2f, LIGHT_SPEED = 1.0f;
// A flight moves the camera's target and its eye, one mover each.
constexpr int FLIGHT_LEGS = 2;
const CIntRect SHOW_HINT{0, 49, 376, 81};
constexpr int SHOW_HINT_X = 200, SHOW_HINT_Y = 200;
enum { STEP_IDLE = 0, STEP_FLYING_IN = 1, STEP_SHOWING = 4 };
// The show waits for the turn around the flat; a longer one is played in this time.
constexpr float LONGEST_TURN = 60.0f;
const char LONG_TURN_TEXT[] = "Animation 'CamFlatRotate': a turn longer than 60 seconds is played in 60 seconds.";

uint16_t Animation(const char* name) { return gIAnimContainer ? gIAnimContainer->FindAnimFileIndex(name) : 0; }
CAtom* Unit(const char* name) { return gIUnitInspector ? gIUnitInspector->FindUnitByName(name) : nullptr; }
D3DXVECTOR4* Moved(D3DXCOLOR* colour) { return reinterpret_cast<D3DXVECTOR4*>(colour); }
D3DXVECTOR4 Target(const D3DXCOLOR& c) { return D3DXVECTOR4(c.r, c.g, c.b, c.a); }

// The camera's view direction toward the eye, flat on the ground, at the reach and height.
D3DXVECTOR4 EyeOffset(float reach, float height)
{
    D3DXVECTOR3 d;
    gCameraView.GetDirToEye(&d);
    const float flat = sqrtf(d.x * d.x + d.z * d.z);
    const float scale = flat > 0.0f ? reach / flat : 0.0f;
    return D3DXVECTOR4(flat > 0.0f ? d.x * scale : 0.0f, height, flat > 0.0f ? d.z * scale : -reach, 0.0f);
}

float Distance(const D3DXVECTOR4& a, const D3DXVECTOR4& b)
{
    const D3DXVECTOR3 d(a.x - b.x, a.y - b.y, a.z - b.z);
    return D3DXVec3Length(&d);
}

// Legs of the running flight still to end. Only these count the show's step on, so an end
// that comes twice or late changes nothing.
int gFlightLegs = 0;

// True when this end was one of the flight's legs.
bool LegEnded()
{
    if (gFlightLegs <= 0) return false;
    --gFlightLegs;
    ++gShowStep;
    return true;
}

// A leg that does not move (speed 0: its mover ends inside the start) or cannot start (the
// pool is full, reported there) counts as ended at once.
void FlyLeg(CCamera* camera, D3DXVECTOR4* value, const D3DXVECTOR4& to, float speed, SmoothMoverDone done)
{
    const int pending = gFlightLegs;
    if (!camera->StartSmoothMover(value, to, speed, CAMERA_RAMP, done) && gFlightLegs == pending) done(camera);
}

void FlyIn(CCamera* camera)
{
    D3DXVECTOR4 p;
    gShownFloor->GetWorldPos(&p);
    p.y -= FLY_IN_DROP;
    p.w = 1.0f;
    const D3DXVECTOR4 eye = p + EyeOffset(FLY_IN_REACH, FLY_IN_HEIGHT);
    const float targetSpeed = FLY_IN_SPEED * Distance(camera->target, p);
    const float eyeSpeed = FLY_IN_SPEED * Distance(camera->Pos, eye);
    FlyLeg(camera, &camera->target, p, targetSpeed, OnCameraFlyInEnd);
    FlyLeg(camera, &camera->Pos, eye, eyeSpeed, OnCameraFlyInEnd);
}

void FlyBack(CCamera* camera)
{
    const D3DXVECTOR4 q(camera->target.x, 0.0f, camera->target.z, 1.0f);
    FlyLeg(camera, &camera->target, q, TARGET_BACK_SPEED, OnCameraFlyBackEnd);
    FlyLeg(camera, &camera->Pos, q + EyeOffset(FLY_BACK_REACH, FLY_BACK_HEIGHT), EYE_BACK_SPEED, OnCameraFlyBackEnd);
}

// Without a camera nothing flies: the flight is over at once. It goes last in a show's
// start or close, since its end may come within it.
void Fly(void (*legs)(CCamera*), SmoothMoverDone done)
{
    gFlightLegs = FLIGHT_LEGS;
    if (CCamera* camera = gIUnitInspector ? gIUnitInspector->GetCamera() : nullptr)
        legs(camera);
    else
        while (gFlightLegs > 0) done(nullptr);
}

// The attic first, then the floors above the shown one from the top down, each a little
// later; the selection unit last.
void FadeOutAbove(CMyBuilding* building, const CFloor* shown)
{
    const uint16_t fade = Animation("AlphaTo0");
    float delay = 0.0f;
    PlayUnitAnimationWithSlaves(building->attic, fade, DisableUnit, delay);
    delay += FADE_STEP;
    for (int i = building->floors.Count() - 1; i >= shown->number; --i) {
        PlayUnitAnimationWithSlaves(building->floors[i], fade, DisableUnit, delay);
        delay += FADE_STEP;
    }
    PlayUnitAnimation(Unit("SelFloorRect"), fade, nullptr, delay);
}

void FadeInAbove(CMyBuilding* building, const CFloor* shown)
{
    const uint16_t fade = Animation("AlphaTo1");
    float delay = FADE_IN_DELAY;
    PlayUnitAnimation(Unit("SelFloorRect"), fade, nullptr, delay);
    for (int i = shown->number; i < building->floors.Count(); ++i) {
        PlayUnitAnimationWithSlaves(building->floors[i], fade, nullptr, delay);
        building->floors[i]->Enable();
        delay += FADE_STEP;
    }
    PlayUnitAnimationWithSlaves(building->attic, fade, nullptr, delay);
    if (building->attic) building->attic->Enable();
}

void ForEachBuilding(void (CMyBuilding::*method)())
{
    for (int i = 0; i < gBuildings.Count(); ++i)
        if (gBuildings[i]) (gBuildings[i]->*method)();
}

// The button takes no click during a flight; into a show it also dims.
void WaitButton(bool dim)
{
    gShowFlatButton->Hide(1);
    if (dim) gShowFlatButton->SetAlpha(BUTTON_WAIT_ALPHA);
}

void FreeButton()
{
    if (!gShowFlatButton) return;
    gShowFlatButton->Show(1);
    gShowFlatButton->color = BUTTON_OPAQUE;
}

void StartShow(CMyBuilding* building)
{
    gShownFloor = gSelFloor;
    gShowStep = STEP_FLYING_IN;
    gShowFlatButton->SetHint(CLOSE_SHOW_HINT);
    WaitButton(true);
    FadeOutAbove(building, gShownFloor);
    ForEachBuilding(&CMyBuilding::HideWindows);
    gShownFloor->ShowInterior();
    Fly(FlyIn, OnCameraFlyInEnd);
}

void CloseShow(CMyBuilding* building)
{
    gShowFlatButton->SetHint(SHOW_FLAT_HINT);
    WaitButton(false);
    if (gShownFloor) FadeInAbove(building, gShownFloor);
    gInteriorTimer = INTERIOR_LINGER;
    ForEachBuilding(&CMyBuilding::ShowWindows);
    Fly(FlyBack, OnCameraFlyBackEnd);
}

// The long turn is said once per presentation, not at every show.
bool gLongTurnSaid = false;

// The show waits for the turn to end, so every turn must: a cyclic one plays one pass and a
// long one is played in the longest time a show waits. The instance may be one that was
// already running on the camera.
void BoundTurn(CCamera* camera, CAnimInstance* turn)
{
    CAnimPlayer& player = turn->player;
    player.flags &= uint16_t(~PLAY_CYCLIC);
    if (player.step <= 0.0f || !(player.duration > LONGEST_TURN)) return;
    player.StartAt(player.frameCount, LONGEST_TURN, player.flags, camera->nameHash);
    if (gLongTurnSaid) return;
    gLongTurnSaid = true;
    MsgBox(LONG_TURN_TEXT);
}

bool gInteriorNotGeometrySaid = false;
const char INTERIOR_NOT_GEOMETRY_TEXT[] =
    "CFloor::ShowInterior: class 'Interior' is not a geometry unit: the floor's interior is not shown.";

// Day colours are taken once per presentation: a switch back to night while the light still
// glides to day would otherwise keep a half-way colour as the day.
bool gDaySaved = false;

// A new glide replaces the one still running, so two movers never pull one colour.
void LightMovers(CAtom* light, const D3DXCOLOR& lightColour, const D3DXCOLOR& clearColour)
{
    light->StopSmoothMovers();
    light->StartSmoothMover(Moved(&light->Color), Target(lightColour), LIGHT_SPEED, LIGHT_RAMP, nullptr);
    if (gIRenderer)
        light->StartSmoothMover(Moved(&gIRenderer->ClearColor), Target(clearColour), LIGHT_SPEED, LIGHT_RAMP, nullptr);
}

D3DXCOLOR ScriptColour(const char* name, const D3DXCOLOR& otherwise)
{
    // Only the four channels are taken, whatever the value's length.
    float words[4] = {};
    if (!gIParser || gIParser->GetVariable(name, words, 4) < 0) return otherwise;
    return D3DXCOLOR(words[0], words[1], words[2], words[3]);
}

} // namespace

int32_t gShowStep = 0;
CFloor* gShownFloor = nullptr;
CAtom* gInteriorUnit = nullptr;
float gInteriorTimer = 0.0f;
D3DXCOLOR gDayLightColor, gDayClearColor, gNightColor, gNightClearColor;

void PlayUnitAnimation(CAtom* unit, uint16_t animation, void (*done)(CAtom*), float delay)
{
    if (unit && animation) unit->AddAnimationTimed(animation, done, delay);
}

void PlayUnitAnimationWithSlaves(CAtom* unit, uint16_t animation, void (*done)(CAtom*), float delay)
{
    if (!unit) return;
    PlayUnitAnimation(unit, animation, done, delay);
    ForEachSlave(unit, PlayUnitAnimation, animation, delay);
}

void ForEachSlave(CAtom* unit, void (*function)(CAtom*, uint16_t, void (*)(CAtom*), float), uint16_t animation,
                  float delay)
{
    for (int i = 0; CAtom* slave = unit->GetSlave(i); ++i)
        function(slave, animation, nullptr, delay);
}

void DisableUnit(CAtom* unit) { unit->Disable(); }

void CMyBuilding::ToggleFlatShow()
{
    if (!gSelFloor && gShowStep != STEP_SHOWING) {
        MsgBox(CHOOSE_FLOOR_TEXT);
        gShowFlatButton->SetFrame(0);
        return;
    }
    if (gShowStep == STEP_SHOWING)
        CloseShow(this);
    else if (gShowStep == STEP_IDLE)
        StartShow(this);
}

void OnCameraFlyInEnd(CAtom*)
{
    if (!LegEnded() || gFlightLegs > 0) return;
    CCamera* camera = gIUnitInspector ? gIUnitInspector->GetCamera() : nullptr;
    const uint16_t turn = Animation("CamFlatRotate");
    // A turn that cannot start (no frames, no free instance: reported there) is over at once.
    CAnimInstance* instance = camera && turn ? camera->AddAnimationTimed(turn, OnCamFlatRotateEnd, 0.0f) : nullptr;
    if (instance)
        BoundTurn(camera, instance);
    else
        OnCamFlatRotateEnd(camera);
}

void OnCamFlatRotateEnd(CAtom*)
{
    FreeButton();
    ShowHint(HINT_SHOW, SHOW_HINT_X, SHOW_HINT_Y, SHOW_HINT);
    gShowStep = STEP_SHOWING;
}

void OnCameraFlyBackEnd(CAtom*)
{
    if (!LegEnded() || gFlightLegs > 0) return;
    gShowStep = STEP_IDLE;
    FreeButton();
}

void CMyBuilding::HideWindows()
{
    if (topViewButton) topViewButton->Hide(1);
    if (this != gCurBuilding) return;
    for (int i = 0; i < floors.Count(); ++i)
        if (floorWindows[i]) floorWindows[i]->Hide(1);
}

// Showing a window raises it: the chosen building's highlight is raised again above its
// top-view button, as the selection overlay above the floor windows.
void CMyBuilding::ShowWindows()
{
    if (topViewButton) topViewButton->Show(1);
    if (this != gCurBuilding) return;
    if (gTopViewSelWin) gTopViewSelWin->Show(1);
    for (int i = 0; i < floors.Count(); ++i)
        if (floorWindows[i]) floorWindows[i]->Show(1);
    if (gSelFloor && selectionOverlay) selectionOverlay->Show(1);
}

uint32_t CMyBuilding::DoIdle()
{
    gFloorHover = 0;
    if (gInteriorTimer > 0.0f) {
        gInteriorTimer -= gEngine ? gEngine->frameTime : 0.0f;
        if (gInteriorTimer <= 0.0f) {
            if (gInteriorUnit && gIUnitInspector) gIUnitInspector->DeleteUnit(gInteriorUnit);
            gInteriorUnit = nullptr;
        }
    }
    return 0;
}

void SayInteriorNotGeometry()
{
    if (gInteriorNotGeometrySaid) return;
    gInteriorNotGeometrySaid = true;
    MsgBox(INTERIOR_NOT_GEOMETRY_TEXT);
}

void SwitchDayNight()
{
    CAtom* light = Unit("DirLight");
    if (!light || !gDayNightButton) return;
    if (gDayNightButton->currentFrame == 1) {
        if (!gDaySaved) {
            gDayLightColor = light->Color;
            gDayClearColor = D3DXCOLOR(gGraphics.clearColor);
            gDaySaved = true;
        }
        gNightColor = ScriptColour("NightColor", gDayLightColor);
        gNightClearColor = ScriptColour("NightClearColor", gDayClearColor);
        LightMovers(light, gNightColor, gNightClearColor);
    } else {
        LightMovers(light, gDayLightColor, gDayClearColor);
    }
}

void ResetFlatShow()
{
    gShowStep = STEP_IDLE;
    gFlightLegs = 0;
    gShownFloor = nullptr;
    gInteriorUnit = nullptr;
    gInteriorTimer = 0.0f;
    gSelFloor = nullptr;
    // A presentation left at night (or gliding) hands the next one a day clear colour, as
    // the new day/night button shows; the new presentation's sun is its own.
    if (gDaySaved) {
        gGraphics.clearColor = D3DCOLOR(gDayClearColor);
        if (gIRenderer) gIRenderer->ClearColor = gDayClearColor;
    }
    gDaySaved = false;
    gLongTurnSaid = false;
    gInteriorNotGeometrySaid = false;
}
