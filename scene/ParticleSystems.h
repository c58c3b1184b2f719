#pragma once
// CParticleSystems: the engine manager of particle systems. It owns the systems declared
// by "PARTICLE_SYSTEM" blocks (capacity from the "ParticleContainer" section) and the two
// block pools their live particles come from: particle records (life, velocity) and
// constant records (what the vertex shader reads per instance). Emitters take particles
// from a system; once per process step the manager moves them all; after each render
// queue the renderer has it draw that queue's systems as instanced copies of a small
// mesh, the constant records uploaded in batches. Missing resources and unknown words are
// counted warnings (budget 2) and leave the field 0; a full container ends the program
// (exit code 1); exhausted pools answer no particle and the emitter stops its burst.

#include "core/BlockChainPool.h"
#include "core/Container.h"
#include "scene/RenderStatesBlock.h"

#include <d3dx9.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr int PARTICLE_SYSTEM_NAME_SIZE = 32;
constexpr uint16_t PARTICLE_POOL_BLOCKS = 2048;
constexpr uint16_t PARTICLE_BLOCK_RECORDS = 512;
constexpr uint16_t PARTICLE_PREMADE_BLOCKS = 256;
constexpr float DEAD_PARTICLE_Y = 99999.0f;  // a dead instance is still drawn, far away

enum : uint16_t { PARTICLE_RANDOM_FRAMES = 1 };

// What moves a particle.
struct SParticle {
    float life = 0.0f;  // seconds left
    float inverseLife = 0.0f;
    uint8_t dead = 0;
    D3DXVECTOR4 velocity{0, 0, 0, 0};      // per second; w: size change
    D3DXVECTOR4 acceleration{0, 0, 0, 0};  // per second squared
};

// One instance as the vertex shader reads it: two registers.
struct SParticleConst {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float size = 0.0f;
    float frame = 0.0f;     // texture frame x 1 / frames
    float lifeLeft = 0.0f;  // 1 at birth down to 0
    float angleA = 0.0f, angleB = 0.0f;
};
static_assert(sizeof(SParticleConst) == 32, "two shader registers");
constexpr uint32_t PARTICLE_CONST_REGISTERS = 2;

using CParticlePool = TBlockChainPool<SParticle>;
using CParticleConstPool = TBlockChainPool<SParticleConst>;

class CParticleSystems;

class IParticleSystem {
public:
    virtual ~IParticleSystem() = default;
};

class CParticleSystem : public IParticleSystem {
public:
    // The block up to its "};" (a leading "{" is accepted).
    void Scan(FILE* file);
    // Ages and moves every particle by dt seconds; the dead go back to their blocks.
    void Update(float dt);
    // A fresh particle and its constant record; null (and *constant null) when the pools
    // are exhausted.
    SParticle* GetFreeParticle(SParticleConst** constant);
    // Draws every instance of every block, dead ones included (they sit far away).
    void Render();
    // Forgets the particles; the blocks go back with the pools.
    void ClearChains();

    // Live instances handed out (dead ones included) and batches drawn by the last Render.
    int InstanceCount() const;
    int lastDrawCalls = 0;

    char name[PARTICLE_SYSTEM_NAME_SIZE] = {};
    uint16_t flags = 0;
    uint16_t lastFrame = 0;
    uint16_t mesh = 0;
    uint16_t textures[3] = {};
    uint16_t vertexDeclarator = 0;
    uint16_t vertexShader = 0, pixelShader = 0;
    uint16_t shaderTable = 0;
    uint8_t RenderQueue = 1;
    uint32_t StartRegister = 0;
    uint32_t ParticlesForOneDraw = 1;
    D3DXVECTOR4 data{1.0f, 0.0f, 0.0f, 0.0f};  // (1 / frames, 0, 0, 0): "PartSystem::Data"
    CRenderStatesBlock renderStates;
    CParticleConstPool::Chain constants;
    CParticlePool::Chain particles;
    CParticleSystems* owner = nullptr;

private:
    bool ScanKeyword(FILE* file, const char* word);
    void ScanParticlesInShader(FILE* file);
    void ScanFrames(FILE* file);
    uint16_t ScanResource(FILE* file, const char* what, uint16_t (*find)(const char*));
    void Warn(const char* before, const char* word);
    void BindResources();
    // Instances per draw that the mesh's clones and the device's registers allow.
    uint32_t BatchSize();
    void DrawRecords(const SParticleConst* records, uint32_t count);
    // Room for one more particle in both chains; false when the pools have no pair of
    // blocks left.
    bool MakeRoom();
};

class IParticleSystems {
public:
    virtual ~IParticleSystems() = default;
    virtual CParticleSystem* FindSystem(const char* name) = 0;
};

class CParticleSystems : public IParticleSystems, public TContainer<CParticleSystem, uint16_t> {
public:
    CParticleSystem* FindSystem(const char* name) override { return FindByName(name); }

    // The "ParticleContainer" section after its name; sizes the container and the pools.
    // Once a system has been read, a later section is read over and changes nothing.
    int ScanConfig(FILE* file);
    // One "PARTICLE_SYSTEM" block after its keyword: the new index, 0 when none was free.
    int AddSystem(FILE* file);
    // The word index of a named system value for shader tables: "Data", else 0.
    uint32_t GetParamIndex(const char* name) const;
    // Every system's particles and both pools emptied (presentation reset).
    void ResetAll();
    // A block of each pool for one system's chains; false (and both null) when either pool
    // has none left. A block whose partner could not be had waits here for the next pair:
    // the pools take blocks back only when they are cleared.
    bool TakeBlockPair(CParticlePool::Block** particles, CParticleConstPool::Block** constants);
    // Once per process step, with the engine's frame time.
    void Update();
    // The systems of one render queue, in index order.
    void Render(int queue);

    int32_t warningBudget = 2;
    CParticlePool particlePool;
    CParticleConstPool constPool;
    // The unpaired block of the last failed pair, if any (never both).
    CParticlePool::Block* spareParticles = nullptr;
    CParticleConstPool::Block* spareConstants = nullptr;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
constexpr uint32_t PARTICLE_DATA_WORD = uint32_t(offsetof(CParticleSystem, data) / 4);
static_assert(offsetof(CParticleSystem, data) % 4 == 0, "word aligned");
#pragma GCC diagnostic pop

extern CParticleSystems* gParticleSystems;
extern IParticleSystems* gIParticleSystems;
