#pragma once
// The flat show and the scene's lighting: the camera flies to the selected floor while the
// attic and the floors above fade out, the floor's interior appears and the camera turns
// around the flat; a second click flies back and fades them in. The day/night button
// glides the directional light and the clear colour between day and the script's night
// values. Missing units, animations or variables of the presentation leave that step out.

#include <d3dx9math.h>

#include <cstdint>

class CAtom;
class CFloor;

// 0 idle; 1..3 flying in (3: turning around the flat); 4 showing; 5..6 flying back.
extern int32_t gShowStep;
extern CFloor* gShownFloor;
extern CAtom* gInteriorUnit;
extern float gInteriorTimer;
extern D3DXCOLOR gDayLightColor, gDayClearColor, gNightColor, gNightClearColor;

// Seconds the interior stays after a show closes.
constexpr float INTERIOR_LINGER = 3.0f;

// Animation helpers over the units' timed animations; a missing unit or animation does
// nothing.
void PlayUnitAnimation(CAtom* unit, uint16_t animation, void (*done)(CAtom*), float delay);
void PlayUnitAnimationWithSlaves(CAtom* unit, uint16_t animation, void (*done)(CAtom*), float delay);
void ForEachSlave(CAtom* unit, void (*function)(CAtom*, uint16_t, void (*)(CAtom*), float), uint16_t animation,
                  float delay);
void DisableUnit(CAtom* unit);

void OnCameraFlyInEnd(CAtom* unit);
void OnCamFlatRotateEnd(CAtom* unit);
void OnCameraFlyBackEnd(CAtom* unit);

// Says, once per presentation, that the interior's class takes no mesh.
void SayInteriorNotGeometry();

// Click function of the day/night button, after the button stepped its frame.
void SwitchDayNight();
// A new presentation starts without a show.
void ResetFlatShow();
