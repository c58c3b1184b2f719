// One particle system's live particles: taking, moving and drawing them. The particle
// chain and the constant chain grow and free in step, so the k-th record of a particle
// block belongs with the k-th record of the constant block in the same place.

#include "scene/ParticleSystems.h"

#include "core/Graphics.h"
#include "core/Meshes/Mesh.h"
#include "core/Messages.h"
#include "core/Random.h"
#include "engine/MeshContainer.h"
#include "engine/ShaderContainer.h"
#include "engine/TexContainer.h"
#include "scene/Renderer.h"

#include <algorithm>

void CParticleSystem::ClearChains()
{
    particles.Clear();
    constants.Clear();
}

int CParticleSystem::InstanceCount() const
{
    int count = 0;
    for (const auto* block = constants.First(); block; block = block->next) count += block->HighWater();
    return count;
}

void CParticleSystem::Update(float dt)
{
    auto* p = particles.First();
    auto* c = constants.First();
    for (; p && c; p = p->next, c = c->next) {
        const uint16_t n = std::min(p->HighWater(), c->HighWater());
        for (uint16_t i = 0; i < n; ++i) {
            SParticle& particle = p->records[i];
            SParticleConst& instance = c->records[i];
            particle.life -= dt;
            if (particle.life < 0.0f) {
                if (particle.dead) continue;
                particle.dead = 1;
                owner->particlePool.PushFree(p, &particle);
                owner->constPool.PushFree(c, &instance);
                instance.y = DEAD_PARTICLE_Y;
                continue;
            }
            instance.x += particle.velocity.x * dt;
            instance.y += particle.velocity.y * dt;
            instance.z += particle.velocity.z * dt;
            instance.size += particle.velocity.w * dt;
            particle.velocity += particle.acceleration * dt;
            instance.lifeLeft = particle.life * particle.inverseLife;
        }
    }
}

namespace {

// A freed or never-used record in some block of the chain.
template <class Pool>
bool HasRoom(const typename Pool::Chain& chain, const Pool& pool)
{
    for (const auto* block = chain.First(); block; block = block->next)
        if (block->freeCount > 0 || block->highWater < pool.RecordsPerBlock()) return true;
    return false;
}

} // namespace

// The chains grow here, a block of each pool at a time, never inside the pools' Alloc:
// a block taken from one pool alone would have no partner.
bool CParticleSystem::MakeRoom()
{
    if (HasRoom(particles, owner->particlePool) && HasRoom(constants, owner->constPool)) return true;
    CParticlePool::Block* p = nullptr;
    CParticleConstPool::Block* c = nullptr;
    if (!owner->TakeBlockPair(&p, &c)) return false;
    particles.Append(p);
    constants.Append(c);
    return true;
}

SParticle* CParticleSystem::GetFreeParticle(SParticleConst** constant)
{
    *constant = nullptr;
    if (!owner) return nullptr;
    if (!MakeRoom()) {
        WarningBox(&owner->warningBudget, "CParticleSystem::GetFreeParticle :  Returning null particle.", nullptr);
        return nullptr;
    }
    SParticle* particle = owner->particlePool.Alloc(particles.First());
    SParticleConst* instance = particle ? owner->constPool.Alloc(constants.First()) : nullptr;
    if (!particle || !instance) {
        // A particle without its constant record goes back, so the chains stay paired.
        for (auto* p = particles.First(); particle && p; p = p->next) owner->particlePool.PushFree(p, particle);
        WarningBox(&owner->warningBudget, "CParticleSystem::GetFreeParticle :  Returning null particle.", nullptr);
        return nullptr;
    }
    *particle = SParticle();
    *instance = SParticleConst();
    instance->lifeLeft = 1.0f;
    if (flags & PARTICLE_RANDOM_FRAMES) instance->frame = float(RandomIntN(lastFrame)) * data.x;
    *constant = instance;
    return particle;
}

// The mesh's clones are the instances one draw can place, and each instance needs its two
// registers on the device.
uint32_t CParticleSystem::BatchSize()
{
    const CEngineMesh* record = gIMeshContainer ? gIMeshContainer->GetMesh(mesh) : nullptr;
    const uint32_t clones = uint32_t(std::max(record ? record->mesh.cloneCount : 1, 1));
    const uint32_t registers = gGraphics.caps.MaxVertexShaderConst;
    const uint32_t room = registers > StartRegister ? (registers - StartRegister) / PARTICLE_CONST_REGISTERS : 0;
    const uint32_t batch = std::min({ParticlesForOneDraw, clones, room});
    if (batch < ParticlesForOneDraw)
        Warn("CParticleSystem::Render :  'ParticlesForOneDraw:' is more than the mesh's clones or the shader "
             "registers hold; fewer are drawn at once for Particle system '",
             nullptr);
    return batch;
}

void CParticleSystem::BindResources()
{
    CMesh& drawn = gIMeshContainer->GetMesh(mesh)->mesh;
    if (textures[0] && gITexContainer)
        gGraphics.SetTexture(StageTexture(textures[0]), 0);
    else
        drawn.BindTextures4();
    for (int slot = 1; slot < 3; ++slot)
        if (textures[slot] && gITexContainer) gGraphics.SetTexture(StageTexture(textures[slot]), slot);
    const SVertexDeclarator* declarator =
        vertexDeclarator && gMeshContainer ? gMeshContainer->GetVertexDeclarator(vertexDeclarator) : nullptr;
    if (declarator && declarator->declaration)
        gGraphics.SetDeclaration(declarator->declaration);
    else
        gGraphics.SetFVF(drawn.vertexFormat);
    const CShader* vs = vertexShader && gShaderContainer ? gShaderContainer->GetShaderVariant(vertexShader, 0) : nullptr;
    const CShader* ps = pixelShader && gShaderContainer ? gShaderContainer->GetShaderVariant(pixelShader, 0) : nullptr;
    gGraphics.SetVertexShader(vs && vs->vertexShader.vs ? &vs->vertexShader : nullptr);
    gGraphics.SetPixelShader(ps && ps->pixelShader.ps ? &ps->pixelShader : nullptr);
    if (shaderTable && gShaderContainer) {
        if (CShaderTable* table = gShaderContainer->GetTable(shaderTable)) {
            const SObjectConstants object{this, nullptr};
            table->Apply(&object);
        }
    }
    drawn.BindBuffers();
    if (gRenderer) gRenderer->ApplyRenderStates(renderStates, PASS_NORMAL);
}

void CParticleSystem::DrawRecords(const SParticleConst* records, uint32_t count)
{
    Device3D->SetVertexShaderConstantF(StartRegister, &records->x, count * PARTICLE_CONST_REGISTERS);
    gIMeshContainer->GetMesh(mesh)->mesh.RenderPrimitivesClones(int(count));
    ++lastDrawCalls;
}

void CParticleSystem::Render()
{
    lastDrawCalls = 0;
    if (!constants.First() || !Device3D || !gIMeshContainer || !gIMeshContainer->GetMesh(mesh)) return;
    const uint32_t batch = BatchSize();
    if (!batch) return;
    BindResources();
    for (const auto* block = constants.First(); block; block = block->next) {
        const uint32_t n = block->HighWater();
        uint32_t done = 0;
        for (; done + batch <= n; done += batch) DrawRecords(block->records + done, batch);
        if (done < n) DrawRecords(block->records + done, n - done);
    }
}
