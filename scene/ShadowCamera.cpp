#include "scene/Camera.h"

#include "core/Messages.h"
#include "core/Strings.h"
#include "engine/Engine.h"
#include "engine/ShaderContainer.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"

#include <algorithm>

namespace {

uint16_t FindTexture(const char* name)
{
    return gITexContainer ? gITexContainer->FindTexture(name) : 0;
}

// A named texture into slot; none gives the message made of the parts around the name.
void ScanTextureName(FILE* file, uint16_t* slot, const char* before, const char* after)
{
    char name[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, name);
    *slot = FindTexture(name);
    if (!*slot) WarningBox(&gWarningBudget, before, name, after, nullptr);
}

// "[" two floats "]".
void ScanPair(FILE* file, float* values)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    Core::fscan_floats(file, values, 2);
    Core::fscan_word(file, word);
}

} // namespace

void CShadowCamera::ScanDistancing(FILE* file)
{
    shadowFlags |= SHADOW_CAMERA_DISTANCING;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (StrEqual(word, "CameraDistance:")) ScanPair(file, CameraDistance);
        if (StrEqual(word, "ShadowCameraDistance:")) ScanPair(file, ShadowCameraDistance);
    }
}

bool CShadowCamera::ScanOwnProperty(FILE* file, const char* word)
{
    if (StrEqual(word, "ShadowMap:")) {
        ScanTextureName(file, &shadowMap, "CShadowCamera::ScanNativePropertyes. Not found shadow map '", "'.");
    } else if (StrEqual(word, "ShadowDepthBuffer:")) {
        ScanTextureName(file, &depthBuffer, "CClassTemplate::ScanShadowReceiver. Not depth buffer '", "'.");
    } else if (StrEqual(word, "ShadowClearColor:")) {
        Core::fscan_hex(file, &clearColor);
    } else if (StrEqual(word, "ShadowFillColor:")) {
        Core::fscan_hex(file, &fillColor);
    } else if (StrEqual(word, "PreShadowMap:")) {
        ScanTextureName(file, &preShadowMap, "CShadowCamera::ScanNativePropertyes. Not found pre-shadow map '",
                        "'.");
    } else if (StrEqual(word, "PreShadowMapBacker:")) {
        ScanTextureName(file, &preShadowMapBacker,
                        "CShadowCamera::ScanNativePropertyes. Not found pre-shadow map backer '", "'.");
    } else if (StrEqual(word, "PreShadowMapPixelShader:")) {
        char shader[Core::WORD_BUFFER_SIZE];
        Core::fscan_word(file, shader);
        preShadowPixelShader = gShaderContainer ? gShaderContainer->FindPixelShader(shader) : 0;
        if (!preShadowPixelShader)
            WarningBox(&gWarningBudget, "CShadowCamera::ScanNativePropertyes.\nNot found pre-shadow map pixel shader '",
                       shader, "' for UNIT '", name, "'.", nullptr);
    } else if (StrEqual(word, "AttachToCamera")) {
        shadowFlags |= SHADOW_ATTACH_TO_CAMERA;
    } else if (StrEqual(word, "CameraDistancing:")) {
        ScanDistancing(file);
    } else {
        return false;
    }
    return true;
}

int CShadowCamera::ScanNativePropertyes(FILE* file, const char* word)
{
    const int result = ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CCamera::ScanNativePropertyes(f, w); });
    return result == SCAN_DONE ? -2 : result;
}

int CShadowCamera::ScanMissionData(FILE* file, const char* word)
{
    gUnknownWord[0] = 0;
    auto own = [this](FILE* f, const char* w) {
        if (!StrEqual(w, "shadow_map:")) return false;
        char mapName[Core::WORD_BUFFER_SIZE];
        Core::fscan_word(f, mapName);
        shadowMap = FindTexture(mapName);
        return true;
    };
    return ScanMissionBlock(file, word, own,
                            [this](FILE* f, const char* w) { return CCamera::ScanMissionData(f, w); });
}

void CShadowCamera::CopyFromPrototype(const CAtom* prototype)
{
    CCamera::CopyFromPrototype(prototype);
    const CShadowCamera* from = dynamic_cast<const CShadowCamera*>(prototype);
    if (!from) return;
    shadowMap = from->shadowMap;
    depthBuffer = from->depthBuffer;
    preShadowMap = from->preShadowMap;
    preShadowMapBacker = from->preShadowMapBacker;
    preShadowPixelShader = from->preShadowPixelShader;
    shadowFlags = from->shadowFlags;
    clearColor = from->clearColor;
    fillColor = from->fillColor;
    std::copy(std::begin(from->CameraDistance), std::end(from->CameraDistance), CameraDistance);
    std::copy(std::begin(from->ShadowCameraDistance), std::end(from->ShadowCameraDistance), ShadowCameraDistance);
}

void CShadowCamera::FollowCamera(const CCamera& main, float seaHeight)
{
    if (shadowFlags & SHADOW_ATTACH_TO_CAMERA) {
        const D3DXVECTOR4 offset = target - Pos;
        target.x = main.target.x;
        target.z = main.target.z;
        Pos = target - offset;
        Pos.w = 1.0f;
    }
    if (!(shadowFlags & SHADOW_CAMERA_DISTANCING)) return;
    float d = main.GetDistance();
    const float h = main.target.y - seaHeight;
    if (h > 0.0f && main.Pos.y > main.target.y) d += h;
    const float first = CameraDistance[0], second = CameraDistance[1];
    // An empty range is a step at its one distance.
    const float t = first == second ? (d >= second ? 1.0f : 0.0f) : std::clamp((d - first) / (second - first), 0.0f, 1.0f);
    const float s = ShadowCameraDistance[0] + t * (ShadowCameraDistance[1] - ShadowCameraDistance[0]);
    D3DXVECTOR3 toTarget(target.x - Pos.x, target.y - Pos.y, target.z - Pos.z);
    if (D3DXVec3LengthSq(&toTarget) == 0.0f) return;  // no direction to keep the eye on
    D3DXVec3Normalize(&toTarget, &toTarget);
    Pos = D3DXVECTOR4(target.x - toTarget.x * s, target.y - toTarget.y * s, target.z - toTarget.z * s, 1.0f);
}

uint32_t CShadowCamera::DoIdle()
{
    CCamera* main = gUnitInspector ? gUnitInspector->GetCamera() : nullptr;
    if (main) FollowCamera(*main, gEngine ? gEngine->SeaHeight() : 0.0f);
    SetCamFromAnimations();
    return 0;
}

uint32_t CShadowCamera::Render(uint32_t pass)
{
    if (pass & 1) return 0;
    const CEngineTex* map = gITexContainer ? gITexContainer->GetTex(shadowMap) : nullptr;
    if (!map || !map->texture || map->desc.Height == 0) return 0;
    aspect = float(map->desc.Width) / float(map->desc.Height);
    LookThrough();
    SendView();
    return 0;
}
