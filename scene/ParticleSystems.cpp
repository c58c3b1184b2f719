// The particle manager and the reading of its section and of "PARTICLE_SYSTEM" blocks.

#include "scene/ParticleSystems.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/Engine.h"
#include "engine/MeshContainer.h"
#include "engine/ResourceScan.h"
#include "engine/ShaderContainer.h"
#include "engine/TexContainer.h"
#include "scene/Renderer.h"

#include <cstring>
#include <iterator>
#include <limits>
#include <string>

CParticleSystems* gParticleSystems = nullptr;
IParticleSystems* gIParticleSystems = nullptr;

namespace {

bool EndOfBlock(const char* word) { return !word[0] || StrEqual(word, "};"); }

uint16_t FindTable(const char* name)
{
    return gShaderContainer ? gShaderContainer->FindTable(name) : 0;
}

// Resources named by one word, with the name of the kind for the warning.
struct SNamedResource {
    const char* word;
    const char* what;
    uint16_t (*find)(const char*);
    uint16_t CParticleSystem::*field;
};
const SNamedResource NAMED_RESOURCES[] = {
    {"VertDeclarator:", "vertex declarator", FindVertexDeclaratorByName, &CParticleSystem::vertexDeclarator},
    {"VertexShader:", "vertex shader", FindVertexShaderByName, &CParticleSystem::vertexShader},
    {"PixelShader:", "pixel shader", FindPixelShaderByName, &CParticleSystem::pixelShader},
    {"ShaderTable:", "shader table", FindTable, &CParticleSystem::shaderTable},
};
static_assert(std::size(NAMED_RESOURCES) == 4, "declarator, two shaders, table");

// Texture keywords: the slot and the word of the warning.
struct STextureKeyword {
    const char* word;
    int slot;
    const char* what;
};
const STextureKeyword TEXTURE_KEYWORDS[] = {
    {"Texture:", 0, "texture"},
    {"Texture0:", 0, "texture"},
    {"Texture1:", 1, "texture1"},
    {"Texture2:", 2, "texture2"},
};
static_assert(std::size(TEXTURE_KEYWORDS) == 4, "the plain keyword and three slots");

} // namespace

void CParticleSystem::Warn(const char* before, const char* word)
{
    int32_t scratch = 0;
    int32_t* budget = owner ? &owner->warningBudget : &scratch;
    if (word)
        WarningBox(budget, before, word, "' for Particle system '", name, "'.", nullptr);
    else
        WarningBox(budget, before, name, "'.", nullptr);
}

void CParticleSystem::Scan(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    if (StrEqual(word, "{")) Core::fscan_word(file, word);
    for (; !EndOfBlock(word); Core::fscan_word(file, word)) {
        if (!ScanKeyword(file, word)) Warn("CParticleSystem::Scan :  undefined string '", word);
    }
}

bool CParticleSystem::ScanKeyword(FILE* file, const char* word)
{
    for (const SNamedResource& r : NAMED_RESOURCES) {
        if (!StrEqual(word, r.word)) continue;
        this->*r.field = ScanResource(file, r.what, r.find);
        return true;
    }
    for (const STextureKeyword& t : TEXTURE_KEYWORDS) {
        if (!StrEqual(word, t.word)) continue;
        textures[t.slot] = gTexContainer ? gTexContainer->ScanTexture(file, 0) : 0;
        if (!textures[t.slot]) Warn((std::string("Not found ") + t.what + " for Particle system '").c_str(), nullptr);
        return true;
    }
    if (StrEqual(word, "Mesh:")) {
        mesh = gMeshContainer ? gMeshContainer->ScanMesh(file, 0) : 0;
        if (!mesh) Warn("Not found mesh for Particle system '", nullptr);
    } else if (StrEqual(word, "RenderQueue:")) {
        int32_t queue = 0;
        Core::fscan_int(file, &queue);
        RenderQueue = uint8_t(queue);
    } else if (StrEqual(word, "ParticlesInShader:")) {
        ScanParticlesInShader(file);
    } else if (StrEqual(word, "FramesInTexture:")) {
        ScanFrames(file);
    } else if (StrEqual(word, "RandomFrames")) {
        flags |= PARTICLE_RANDOM_FRAMES;
    } else if (StrEqual(word, "RenderStates:")) {
        if (gRenderer)
            gRenderer->ScanRenderStates(file, &renderStates);
        else
            Core::fscan_skip_block(file);
    } else {
        return false;
    }
    return true;
}

uint16_t CParticleSystem::ScanResource(FILE* file, const char* what, uint16_t (*find)(const char*))
{
    char resource[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, resource);
    const uint16_t index = find(resource);
    if (!index) Warn((std::string("Not found ") + what + " '").c_str(), resource);
    return index;
}

// "[" "StartRegister:" n "ParticlesForOneDraw:" n "]". A draw needs at least one instance.
void CParticleSystem::ScanParticlesInShader(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        int32_t value = 0;
        if (StrEqual(word, "StartRegister:") || StrEqual(word, "ParticlesForOneDraw:")) {
            Core::fscan_int(file, &value);
            if (value < (StrEqual(word, "StartRegister:") ? 0 : 1)) {
                MsgBox5("CParticleSystem::Scan:\n\nIn 'ParticlesInShader' the value of '", word,
                        "' is out of range: it stays as it was.\n\nParticle system: '", name, "'.");
                continue;
            }
            (StrEqual(word, "StartRegister:") ? StartRegister : ParticlesForOneDraw) = uint32_t(value);
            continue;
        }
        MsgBox5("CParticleSystem::Scan:\n\nIn 'ParticlesInShader' undefined string '", word,
                "'.\n\nParticle system: '", name, "'.");
    }
}

// A texture of n frames side by side; 0 frames would divide by zero and is refused.
void CParticleSystem::ScanFrames(FILE* file)
{
    int32_t frames = 0;
    Core::fscan_int(file, &frames);
    if (frames < 1 || frames > std::numeric_limits<uint16_t>::max()) {
        Warn("CParticleSystem::Scan :  'FramesInTexture:' must be 1 to 65535 for Particle system '", nullptr);
        return;
    }
    data.x = 1.0f / float(frames);
    lastFrame = uint16_t(frames - 1);
}

int CParticleSystems::ScanConfig(FILE* file)
{
    int32_t systemCount = 0;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (StrEqual(word, "SystemCount:"))
            Core::fscan_int(file, &systemCount);
        else
            MsgBox3("For ParticleContainer undefine string '", word, "'.");
    }
    // Emitters and class templates hold their systems by address, so systems once read
    // stay where they are for the rest of the run.
    if (Count()) {
        MsgBox("ParticleContainer section is repeated: the particle systems already read are kept.");
        return 0;
    }
    if (systemCount < 0 || systemCount > std::numeric_limits<uint16_t>::max()) {
        MsgBox("For ParticleContainer 'SystemCount:' must be 0 to 65535: no particle systems.");
        systemCount = 0;
    }
    ResetAll();
    Init(systemCount);
    particlePool.Init(PARTICLE_POOL_BLOCKS, PARTICLE_BLOCK_RECORDS, PARTICLE_PREMADE_BLOCKS);
    constPool.Init(PARTICLE_POOL_BLOCKS, PARTICLE_BLOCK_RECORDS, PARTICLE_PREMADE_BLOCKS);
    return 0;
}

int CParticleSystems::AddSystem(FILE* file)
{
    CParticleSystem* system = nullptr;
    const uint16_t index = Add(system);
    if (!system) {
        WarningBox(&warningBudget, "ParticleContainer:  systems limit is exceed.", nullptr);
        gExitCode = 1;
        return 0;
    }
    *system = CParticleSystem();
    system->owner = this;
    char name[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, name);
    StrCopy(system->name, sizeof system->name, name);
    system->Scan(file);
    return index;
}

uint32_t CParticleSystems::GetParamIndex(const char* name) const
{
    return name && StrEqual(name, "Data") ? PARTICLE_DATA_WORD : 0;
}

void CParticleSystems::ResetAll()
{
    for (int i = 1; i <= Count(); ++i)
        if (InUse(i)) At(i)->ClearChains();
    particlePool.Clear();
    constPool.Clear();
    spareParticles = nullptr;
    spareConstants = nullptr;
}

bool CParticleSystems::TakeBlockPair(CParticlePool::Block** particles, CParticleConstPool::Block** constants)
{
    *particles = spareParticles ? spareParticles : particlePool.AllocBlock();
    *constants = spareConstants ? spareConstants : constPool.AllocBlock();
    if (*particles && *constants) {
        spareParticles = nullptr;
        spareConstants = nullptr;
        return true;
    }
    spareParticles = *particles;
    spareConstants = *constants;
    *particles = nullptr;
    *constants = nullptr;
    return false;
}

void CParticleSystems::Update()
{
    const float dt = gEngine ? gEngine->frameTime : 0.0f;
    for (int i = 1; i <= Count(); ++i)
        if (InUse(i)) At(i)->Update(dt);
}

void CParticleSystems::Render(int queue)
{
    gGraphics.SetColorWrite(15);
    for (int i = 1; i <= Count(); ++i) {
        CParticleSystem* system = At(i);
        if (InUse(i) && system->RenderQueue == queue) system->Render();
    }
}
