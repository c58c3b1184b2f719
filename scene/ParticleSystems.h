#pragma once
// CParticleSystems: owns the particle systems declared by scripts and their live
// particles. Until particles are built it holds none: FindSystem answers null.

#include <cstdint>

class CParticleSystem;

class IParticleSystems {
public:
    virtual ~IParticleSystems() = default;
    virtual CParticleSystem* FindSystem(const char* name) = 0;
};

class CParticleSystems : public IParticleSystems {
public:
    CParticleSystem* FindSystem(const char*) override { return nullptr; }

    // The word index of a named particle value for shader tables: "Data" 25, else 0.
    uint32_t GetParamIndex(const char* name) const;

    void Update() {}
    void ResetAll() {}
};

extern CParticleSystems* gParticleSystems;
extern IParticleSystems* gIParticleSystems;
