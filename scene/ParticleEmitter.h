#pragma once
// CParticleEmitter ("PARTICLE_EMITTER", type 3): a unit without geometry that spawns
// particles of one named particle system at its position (carried by its master when it
// has one) in periodic bursts, all in its idle step; it draws nothing and owns nothing (the
// particles belong to the system). A missing system or method, or a master that is not a
// geometry, is told once per emitter and the emitter then does nothing; exhausted particle
// pools end the burst.

#include "scene/Atom.h"

class CParticleSystem;

constexpr uint32_t PARTICLE_EMITTER_UNIT_TYPE = 3;
// The idle result of an emitter that cannot emit.
constexpr uint32_t EMITTER_IDLE_FAILED = 8;

enum : uint8_t { EMIT_NONE = 0, EMIT_POINT = 1, EMIT_SPHERE = 2, EMIT_BALL = 3 };
enum : uint8_t { EMIT_RANDOM_A = 1, EMIT_RANDOM_B = 2, EMIT_DIRECTED = 4 };

// Everything a class gives its emitters.
struct SEmitterParams {
    float period = 0.0f;  // seconds between bursts
    float radius = 1.0f;
    uint16_t intensity = 1;  // particles per burst
    uint8_t method = EMIT_NONE;
    uint8_t randomFlags = 0;
    float sizing[2] = {1.0f, 1.0f};
    float lifeTime[2] = {1.0f, 1.0f};  // seconds
    float angleA[2] = {0.0f, 0.0f};    // radians
    float angleB[2] = {0.0f, 0.0f};
    D3DXVECTOR4 velocity{0, 0, 0, 0};  // per second; w: size change per second
    D3DXVECTOR4 acceleration{0, 0, 0, 0};
    float speed[2] = {0.0f, 0.0f};
    CParticleSystem* system = nullptr;
};

class CParticleEmitter : public CAtom {
public:
    int ScanNativePropertyes(FILE* file, const char* word) override;
    uint32_t DoIdle() override;
    void CopyFromPrototype(const CAtom* prototype) override;
    void CopyTo(CAtom* destination) const override;

    float accumulator = 0.0f;
    SEmitterParams params;

private:
    bool ScanOwnProperty(FILE* file, const char* word);
    void ScanEmitMethod(FILE* file);
    // The origin of this frame's burst; false (told once) when the master is no geometry.
    bool Origin(D3DXVECTOR4* out);
    // One particle; false when the system had none to give.
    bool Emit(const D3DXVECTOR4& origin);
    // Tells a problem once; the emitter stays quiet afterwards.
    uint32_t Fail(const char* text);
    bool failed = false;
};
