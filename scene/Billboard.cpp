#include "scene/Billboard.h"

#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Random.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/VecMath.h"
#include "engine/Engine.h"
#include "engine/UnitInspector.h"
#include "scene/Camera.h"
#include "scene/Unit.h"

#include <cmath>
#include <iterator>

namespace {

// "[" x y z "]": the brackets are taken by position.
void ScanVector3(FILE* file, D3DXVECTOR4* out)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    Core::fscan_floats(file, &out->x, 3);
    Core::fscan_word(file, word);
}

const CViewPoint& ViewPoint() { return gGraphics.camera ? *gGraphics.camera : gCameraView; }

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v)
{
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

// Words of "BillControls:" that only set a control.
struct SControlWord {
    const char* word;
    uint32_t control;
};
const SControlWord CONTROL_WORDS[] = {
    {"FacePosRing", BILL_POS_RING},
    {"AutoSizing", BILL_AUTO_SIZING},
    {"FaceOneCam", BILL_FACE_ONE_CAM},
};
static_assert(std::size(CONTROL_WORDS) == 3, "plain control words");

// Words followed by "full" to turn the billboard.
const SControlWord FACING_WORDS[] = {
    {"FaceToCameraAy:", BILL_FACE_AY},
    {"FaceToCameraAx:", BILL_FACE_AX},
};
static_assert(std::size(FACING_WORDS) == 2, "two facing words");

} // namespace

int CBillboard::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CGeometry::ScanNativePropertyes(f, w); });
}

bool CBillboard::ScanOwnProperty(FILE* file, const char* word)
{
    if (!StrEqual(word, "BillControls:")) return false;
    ScanBillControls(file);
    return true;
}

// Two opening tokens ("= ["), then entries up to "]", each followed by one token that is
// dropped.
void CBillboard::ScanBillControls(FILE* file)
{
    controls |= BILL_ON;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, word, 2);
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        const SControlWord* facing = nullptr;
        for (const SControlWord& f : FACING_WORDS)
            if (StrEqual(word, f.word)) facing = &f;
        const SControlWord* plain = nullptr;
        for (const SControlWord& c : CONTROL_WORDS)
            if (StrEqual(word, c.word)) plain = &c;
        if (facing) {
            char value[Core::WORD_BUFFER_SIZE];
            Core::fscan_word(file, value);
            if (StrEqual(value, "full")) controls |= facing->control;
        } else if (plain) {
            controls |= plain->control;
        } else if (StrEqual(word, "RelativePos:")) {
            ScanVector3(file, &relativePos);
        } else {
            MsgBox3("Undefine string in <BillControls> '", word, "'.");
        }
        Core::fscan_word(file, word);  // the entry's closing token
        if (StrEqual(word, "]")) return;
    }
}

int CBillboard::ScanMissionData(FILE* file, const char* word)
{
    return ScanGeometryMissionBlock(file, word,
                                    [this](FILE* f, const char* w) { return ScanOwnMissionKey(f, w); });
}

bool CBillboard::ScanOwnMissionKey(FILE* file, const char* word)
{
    if (!StrEqual(word, "relative_pos:")) return false;
    ScanVector3(file, &relativePos);
    return true;
}

void CBillboard::CopyParams(const CBillboard& source)
{
    controls = source.controls;
    memcpy(yawLimits, source.yawLimits, sizeof yawLimits);
    memcpy(pitchLimits, source.pitchLimits, sizeof pitchLimits);
    relativePos = source.relativePos;
    baseSize = source.Size;
}

void CBillboard::CopyFromPrototype(const CAtom* prototype)
{
    CGeometry::CopyFromPrototype(prototype);
    if (const auto* billboard = dynamic_cast<const CBillboard*>(prototype)) CopyParams(*billboard);
}

void CBillboard::CopyTo(CAtom* destination) const
{
    CGeometry::CopyTo(destination);
    if (auto* billboard = dynamic_cast<CBillboard*>(destination)) billboard->CopyParams(*this);
}

// With a master the placed position follows it; an auxiliary billboard stands on its owner.
D3DXVECTOR4 CBillboard::Anchor()
{
    if (master) {
        master->TransformToWorld(&placedPos, Pos);
        return placedPos;
    }
    return owner ? owner->Pos : Pos;
}

uint32_t CBillboard::DoIdle()
{
    if (!(controls & BILL_ON)) return 0;
    const D3DXVECTOR4 anchor = Anchor();
    const CViewPoint& view = ViewPoint();
    const D3DXVECTOR3 toEye(view.eye.x - anchor.x, view.eye.y - anchor.y, view.eye.z - anchor.z);
    const float distance = D3DXVec3Length(&toEye);
    const D3DXVECTOR3 dir = (controls & BILL_FACE_ONE_CAM)
                                ? Normalized(D3DXVECTOR3(view.eye.x - view.target.x, view.eye.y - view.target.y,
                                                         view.eye.z - view.target.z))
                                : Normalized(toEye);
    Dir = D3DXVECTOR4(dir.x, dir.y, dir.z, 0.0f);
    if (controls & (BILL_FACE_AY | BILL_FACE_AX)) {
        Orient.x = asinf(std::fmax(-1.0f, std::fmin(1.0f, dir.y)));
        Orient.y = atan2f(dir.x, dir.z);
        WrapAngle(&Orient.y);
    }
    if (controls & BILL_POS_RING) {
        const D3DXVECTOR3 flat = Normalized(D3DXVECTOR3(dir.x, 0.0f, dir.z)) * relativePos.z;
        placedPos = D3DXVECTOR4(anchor.x + flat.x, anchor.y + relativePos.y, anchor.z + flat.z, 1.0f);
    } else {
        placedPos = D3DXVECTOR4(anchor.x + dir.x * relativePos.z + relativePos.x,
                                anchor.y + dir.y * relativePos.z + relativePos.y, anchor.z + dir.z * relativePos.z,
                                1.0f);
    }
    if (controls & BILL_AUTO_SIZING) {
        Size.x = baseSize.x * distance * AUTO_SIZE_SCALE;
        Size.y = baseSize.y * distance * AUTO_SIZE_SCALE;
    }
    if (!(controls & BILL_OWN_MATRIX)) BuildWorld();
    return 0;
}

void CBillboard::BuildWorld()
{
    D3DXMatrixRotationYawPitchRoll(&world, Orient.y, -Orient.x, Orient.z);
    world._41 = placedPos.x;
    world._42 = placedPos.y;
    world._43 = placedPos.z;
    world._44 = 1.0f;
}

// ---- CBillLight ----

int CBillLight::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CBillboard::ScanNativePropertyes(f, w); });
}

bool CBillLight::ScanOwnProperty(FILE* file, const char* word)
{
    if (StrEqual(word, "TurnOnOffRandomDelay:")) {
        Core::fscan_float(file, &delay);
        return true;
    }
    if (!StrEqual(word, "RotateZByViewerY:")) return false;
    Core::fscan_float(file, &spin);
    if (spin != 0.0f) controls |= BILL_OWN_MATRIX;
    return true;
}

void CBillLight::CopyFromPrototype(const CAtom* prototype)
{
    CBillboard::CopyFromPrototype(prototype);
    if (const auto* light = dynamic_cast<const CBillLight*>(prototype)) {
        delay = light->delay;
        spin = light->spin;
    }
}

void CBillLight::CopyTo(CAtom* destination) const
{
    CBillboard::CopyTo(destination);
    if (auto* light = dynamic_cast<CBillLight*>(destination)) {
        light->delay = delay;
        light->spin = spin;
    }
}

void CBillLight::FirstInit()
{
    CBillboard::FirstInit();
    if (delay == 0.0f) return;
    phase |= BILL_LIGHT_WAITING;
    savedMesh = mesh;
    mesh = 0;
    countdown = RandomFloatN(delay);
}

void CBillLight::StartSwitchOff()
{
    if (phase & BILL_LIGHT_SWITCHING_OFF) return;
    phase = uint16_t((phase & ~BILL_LIGHT_WAITING) | BILL_LIGHT_SWITCHING_OFF);
    countdown = RandomFloatN(delay);
}

// While waiting or switching off the light is still placed every step, so it never shows
// at a stale place.
uint32_t CBillLight::DoIdle()
{
    const float dt = gEngine ? gEngine->frameTime : 0.0f;
    if (phase & BILL_LIGHT_WAITING) {
        countdown -= dt;
        if (countdown <= 0.0f) {
            mesh = savedMesh;
            phase &= uint16_t(~BILL_LIGHT_WAITING);
        }
    } else if (phase & BILL_LIGHT_SWITCHING_OFF) {
        countdown -= dt;
        if (countdown <= 0.0f) {
            RemoveSelf();
            return 1;
        }
    }
    CBillboard::DoIdle();
    if (spin == 0.0f) return 0;
    Orient.z = Orient.y * spin;
    BuildWorld();
    return 0;
}

// However the light goes, it leaves its master's light list first; the master's list
// record goes back with its last light.
void CBillLight::Release()
{
    CBillboard::Release();
    // A master deleting its slaves lets go of them first: the owner still names the unit.
    if (CUnit* unit = AsUnit(master ? master : owner)) unit->LeaveUnitList(this);
}

void CBillLight::RemoveSelf()
{
    if (gIUnitInspector) gIUnitInspector->DeleteUnit(this);
}
