#include "scene/ParticleEmitter.h"

#include "core/Messages.h"
#include "core/Random.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/VecMath.h"
#include "engine/Engine.h"
#include "scene/ParticleSystems.h"

#include <iterator>

namespace {

// One token, n floats, one token; answers the closing token.
void ScanFramed(FILE* file, float* values, int n, char (&closing)[Core::WORD_BUFFER_SIZE])
{
    Core::fscan_word(file, closing);
    Core::fscan_floats(file, values, n);
    Core::fscan_word(file, closing);
}

void ScanRange(FILE* file, float* range)
{
    char closing[Core::WORD_BUFFER_SIZE];
    ScanFramed(file, range, 2, closing);
}

// Angles are written in degrees.
void ScanAngleRange(FILE* file, float* range)
{
    ScanRange(file, range);
    range[0] *= DEGREES_TO_RADIANS;
    range[1] *= DEGREES_TO_RADIANS;
}

struct SEmitMethodWord {
    const char* word;
    uint8_t method;
};
const SEmitMethodWord EMIT_METHODS[] = {{"Point", EMIT_POINT}, {"Sphere", EMIT_SPHERE}, {"Ball", EMIT_BALL}};
static_assert(std::size(EMIT_METHODS) == 3, "three emitting methods");

using ParamReader = void (*)(SEmitterParams&, FILE*);
struct SEmitterKeyword {
    const char* word;
    ParamReader read;
};
const SEmitterKeyword EMITTER_KEYWORDS[] = {
    {"Period:", [](SEmitterParams& p, FILE* f) { Core::fscan_float(f, &p.period); }},
    {"Intensity:",
     [](SEmitterParams& p, FILE* f) {
         int32_t n = 0;
         Core::fscan_int(f, &n);
         p.intensity = uint16_t(n);
     }},
    {"Sizing:",
     [](SEmitterParams& p, FILE* f) {
         char closing[Core::WORD_BUFFER_SIZE];
         ScanFramed(f, p.sizing, 2, closing);
         if (!StrEqual(closing, "accel:")) return;
         Core::fscan_float(f, &p.velocity.w);
         Core::fscan_word(f, closing);
     }},
    {"LifeTime:", [](SEmitterParams& p, FILE* f) { ScanRange(f, p.lifeTime); }},
    {"RandomAx:",
     [](SEmitterParams& p, FILE* f) {
         ScanAngleRange(f, p.angleA);
         p.randomFlags |= EMIT_RANDOM_A;
     }},
    {"RandomAy:",
     [](SEmitterParams& p, FILE* f) {
         ScanAngleRange(f, p.angleB);
         p.randomFlags |= EMIT_RANDOM_B;
     }},
    {"DirectVelocity:",
     [](SEmitterParams& p, FILE* f) {
         ScanRange(f, p.speed);
         p.randomFlags |= EMIT_DIRECTED;
     }},
    {"Velocity:",
     [](SEmitterParams& p, FILE* f) {
         char closing[Core::WORD_BUFFER_SIZE];
         ScanFramed(f, &p.velocity.x, 3, closing);
     }},
    {"Accelerate:",
     [](SEmitterParams& p, FILE* f) {
         char closing[Core::WORD_BUFFER_SIZE];
         ScanFramed(f, &p.acceleration.x, 3, closing);
     }},
};
static_assert(std::size(EMITTER_KEYWORDS) == 9, "emitter keywords besides the system and the method");

} // namespace

int CParticleEmitter::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CAtom::ScanNativePropertyes(f, w); });
}

bool CParticleEmitter::ScanOwnProperty(FILE* file, const char* word)
{
    for (const SEmitterKeyword& key : EMITTER_KEYWORDS) {
        if (!StrEqual(word, key.word)) continue;
        key.read(params, file);
        return true;
    }
    if (StrEqual(word, "EmitMethod:")) {
        ScanEmitMethod(file);
        return true;
    }
    if (!StrEqual(word, "ParticleSystem:")) return false;
    char system[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, system);
    params.system = gIParticleSystems ? gIParticleSystems->FindSystem(system) : nullptr;
    if (!params.system)
        MsgBox3("CParticleEmitter::ScanNativePropertyes  Error:\n\n   ParticleSystem '", system,
                "' are not found.");
    return true;
}

// The method word, an opening token, then "Radius:" values up to "};".
void CParticleEmitter::ScanEmitMethod(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    const SEmitMethodWord* method = nullptr;
    for (const SEmitMethodWord& m : EMIT_METHODS)
        if (StrEqual(word, m.word)) method = &m;
    if (method)
        params.method = method->method;
    else
        MsgBox3("CParticleEmitter::ScanEmitMethod  Error:\n\n   Undefined emitting method '", word, "'.");
    Core::fscan_word(file, word);
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "};"); Core::fscan_word(file, word))
        if (StrEqual(word, "Radius:")) Core::fscan_float(file, &params.radius);
}

void CParticleEmitter::CopyFromPrototype(const CAtom* prototype)
{
    CAtom::CopyFromPrototype(prototype);
    if (const auto* emitter = dynamic_cast<const CParticleEmitter*>(prototype)) params = emitter->params;
}

void CParticleEmitter::CopyTo(CAtom* destination) const
{
    CAtom::CopyTo(destination);
    if (auto* emitter = dynamic_cast<CParticleEmitter*>(destination)) emitter->params = params;
}

uint32_t CParticleEmitter::Fail(const char* text)
{
    if (!failed) MsgBox(text);
    failed = true;
    return EMITTER_IDLE_FAILED;
}

uint32_t CParticleEmitter::DoIdle()
{
    if (failed) return EMITTER_IDLE_FAILED;
    if (!params.system || params.method == EMIT_NONE)
        return Fail("CParticleEmitter::DoIdle  Error:\n\n   ParticleSystem or EmitMethod are not defined.");
    accumulator += gEngine ? gEngine->frameTime : 0.0f;
    if (accumulator < params.period) return 0;
    accumulator -= params.period;
    D3DXVECTOR4 origin;
    if (!Origin(&origin))
        return Fail("CParticleEmitter::DoIdle  Error:\n\n   Master of emitter is not a geometry.");
    // Exhausted pools end the burst.
    for (uint16_t i = 0; i < params.intensity && Emit(origin); ++i) {
    }
    return 0;
}

bool CParticleEmitter::Origin(D3DXVECTOR4* out)
{
    *out = Pos;
    if (!master) return true;
    if (!(master->SysControls & SYS_GEOMETRY)) return false;
    master->TransformToWorld(out, Pos);
    return true;
}

bool CParticleEmitter::Emit(const D3DXVECTOR4& origin)
{
    D3DXVECTOR4 at = origin;
    D3DXVECTOR4 offset(0, 0, 0, 0);
    if (params.method == EMIT_SPHERE) RandomDirection(&offset, params.radius);
    if (params.method == EMIT_BALL) RandomDirection2(&offset, params.radius);
    at += offset;
    SParticleConst* instance = nullptr;
    SParticle* particle = params.system->GetFreeParticle(&instance);
    if (!particle) return false;
    instance->x = at.x;
    instance->y = at.y;
    instance->z = at.z;
    instance->size = RandomFloat(params.sizing[0], params.sizing[1]);
    particle->acceleration = params.acceleration;
    particle->life = RandomFloat(params.lifeTime[0], params.lifeTime[1]);
    particle->inverseLife = particle->life > 0.0f ? 1.0f / particle->life : 0.0f;
    if (params.randomFlags & (EMIT_RANDOM_A | EMIT_RANDOM_B)) {
        instance->angleA = RandomFloat(params.angleA[0], params.angleA[1]);
        instance->angleB = RandomFloat(params.angleB[0], params.angleB[1]);
    }
    if (!(params.randomFlags & EMIT_DIRECTED)) {
        particle->velocity = params.velocity;
        return true;
    }
    const float speed = RandomFloat(params.speed[0], params.speed[1]);
    D3DXVECTOR4 direction;
    DirFromAngles(&direction, D3DXVECTOR4(instance->angleA, instance->angleB, 0, 0));
    particle->velocity = D3DXVECTOR4(direction.x * speed, direction.y * speed, direction.z * speed, params.velocity.w);
    return true;
}
