#pragma once
// A device and an engine whose start script sizes the particle container, declares a
// textured square mesh with 16 clones, the shipped particle vertex shader with its table,
// and emitter classes; helpers read more script text and count live instances.

#include "core/Core.h"
#include "engine/UnitInspector.h"
#include "scene/ParticleEmitter.h"
#include "scene/ParticleSystems.h"
#include "tests/support/SceneDevice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace particles {

class ParticleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { gExitCode = 0; }

    // Script text read on top of the start script; its result.
    int Read(const std::string& text) { return scene.ReadScript(text); }
    CParticleSystem* System(const char* name) { return gParticleSystems->FindSystem(name); }
    CParticleEmitter* AddEmitter(const char* className, const D3DXVECTOR4& pos);
    // The constant records handed out so far, in chain order (dead ones included).
    std::vector<SParticleConst> Instances(const CParticleSystem* system) const;
    // Frames of the engine's process step only (no drawing).
    void Step(int frames, float dt);

    test::MessageRecorder messages;
    test::SceneDevice scene;
};

} // namespace particles
