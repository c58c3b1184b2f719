#include "scene/Light.h"

#include "core/Strings.h"
#include "core/VecMath.h"
#include "scene/Camera.h"
#include "scene/Renderer.h"

#include <cmath>
#include <iterator>

namespace {

struct SLightFlagWord {
    const char* word;
    uint32_t flag;
};
const SLightFlagWord LIGHT_FLAG_WORDS[] = {
    {"AttachToCamera", LIGHT_ATTACH_TO_CAMERA},
    {"LocalForUnit", LIGHT_LOCAL_FOR_UNIT},
};
static_assert(std::size(LIGHT_FLAG_WORDS) == 2, "two light flags");

// "on" switches on; any other word switches off.
uint32_t ScanSwitch(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    return StrEqual(word, "on") ? 1 : 0;
}

void Normalize(D3DXVECTOR4* v)
{
    D3DXVECTOR3 d(v->x, v->y, v->z);
    D3DXVec3Normalize(&d, &d);
    *v = D3DXVECTOR4(d.x, d.y, d.z, 0.0f);
}

} // namespace

CLight::CLight()
{
    Dir = D3DXVECTOR4(0.0f, -0.8f, 0.6f, 0.0f);
}

bool CLight::ScanOwnProperty(FILE*, const char* word)
{
    for (const SLightFlagWord& f : LIGHT_FLAG_WORDS) {
        if (StrEqual(word, f.word)) {
            lightFlags |= f.flag;
            return true;
        }
    }
    return false;
}

int CLight::ScanNativePropertyes(FILE* file, const char* word)
{
    const int result = ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CAtom::ScanNativePropertyes(f, w); });
    return result == SCAN_DONE ? -2 : result;
}

bool CLight::ScanOwnMissionKey(FILE* file, const char* word)
{
    if (StrEqual(word, "multiplier:")) Core::fscan_float(file, &multiplier);
    else if (StrEqual(word, "diffuse:")) diffuse = ScanSwitch(file);
    else if (StrEqual(word, "specular:")) specular = ScanSwitch(file);
    else return false;
    return true;
}

int CLight::ScanMissionData(FILE* file, const char* word)
{
    gUnknownWord[0] = 0;
    return ScanMissionBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnMissionKey(f, w); },
        [this](FILE* f, const char* w) { return CAtom::ScanMissionData(f, w); });
}

void CLight::CopyFromPrototype(const CAtom* prototype)
{
    CAtom::CopyFromPrototype(prototype);
    if (const CLight* from = dynamic_cast<const CLight*>(prototype)) lightFlags = from->lightFlags;
}

void CLight::FirstInit()
{
    DirFromAngles(&Dir, Orient);
}

void CLight::UpdateDirection()
{
    if (!(lightFlags & LIGHT_ATTACH_TO_CAMERA)) {
        DirFromAngles(&Dir, Orient);
        return;
    }
    // A camera looking straight down has no heading: the light keeps its last one.
    const D3DXVECTOR4 offset = gCameraView.target - gCameraView.eye;
    const bool straightDown = offset.x == 0.0f && offset.z == 0.0f;
    const D3DXVECTOR4 heading = straightDown ? Dir : offset;
    const float horizontal = sqrtf(heading.x * heading.x + heading.z * heading.z);
    if (horizontal > 0.0f) {
        Dir.x = heading.x / horizontal;
        Dir.z = heading.z / horizontal;
    }
    Dir.y = sinf(Orient.x);
    Normalize(&Dir);
}

uint32_t CLight::DoIdle()
{
    UpdateDirection();
    if (!(SysControls & SYS_FOR_CONTROLS3D) && gRenderer) gRenderer->AddLight(this);
    return 0;
}
