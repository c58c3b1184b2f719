#pragma once
// CParticleSystems: owns the particle systems declared by scripts and their live
// particles. Until particles are built it holds none: FindSystem answers null.

class CParticleSystem;

class IParticleSystems {
public:
    virtual ~IParticleSystems() = default;
    virtual CParticleSystem* FindSystem(const char* name) = 0;
};

class CParticleSystems : public IParticleSystems {
public:
    CParticleSystem* FindSystem(const char*) override { return nullptr; }

    void Update() {}
    void ResetAll() {}
};

extern CParticleSystems* gParticleSystems;
extern IParticleSystems* gIParticleSystems;
