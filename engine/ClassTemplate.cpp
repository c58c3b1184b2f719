#include "engine/ClassTemplate.h"

#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/AnimContainer.h"
#include "engine/ShaderContainer.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Atom.h"

#include <cstring>
#include <iterator>
#include <string>

int CClassTemplate::warningBudget = 6;
CClassTemplate gDefaultClassTemplate;

namespace {

using KeywordReader = void (*)(CClassTemplate&, FILE*);
struct SBlockKeyword {
    const char* word;
    KeywordReader read;
};

uint16_t FindTextureIndex(const char* name) { return gITexContainer ? gITexContainer->FindTexture(name) : 0; }

uint16_t FindVertexShaderIndex(const char* name)
{
    return gIShaderContainer ? gIShaderContainer->FindVertexShader(name) : 0;
}

uint16_t FindPixelShaderIndex(const char* name)
{
    return gIShaderContainer ? gIShaderContainer->FindPixelShader(name) : 0;
}

constexpr uint32_t WordIndex(size_t offset) { return uint32_t(offset / 4); }

bool IsBlockEnd(const char* word) { return !word[0] || strcmp(word, "};") == 0; }

// Reads a block from its opening word to "};" (also when the opening word is "};").
template <size_t N>
void ScanBlock(CClassTemplate& t, FILE* file, const char* scanner, const SBlockKeyword (&keys)[N])
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    if (IsBlockEnd(word)) return;
    for (;;) {
        Core::fscan_word(file, word);
        if (IsBlockEnd(word)) return;
        const SBlockKeyword* key = nullptr;
        for (const SBlockKeyword& k : keys)
            if (strcmp(k.word, word) == 0) key = &k;
        if (key)
            key->read(t, file);
        else
            WarningBox(&CClassTemplate::warningBudget, "CClassTemplate::", scanner,
                       ":  undefine string '", word, "'.", nullptr);
    }
}

// "Texture: [ name Number: n ]": the texture name and its number.
uint16_t ScanNumberedTexture(CClassTemplate& t, FILE* file, uint16_t* number, const char* text)
{
    char word[Core::WORD_BUFFER_SIZE];
    char name[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    Core::fscan_word(file, name);
    Core::fscan_word(file, word);
    Core::fscan_u16(file, number);
    Core::fscan_word(file, word);
    return t.TextureByName(name, text);
}

uint16_t ScanVertexShader(CClassTemplate& t, FILE* file, const char* text)
{
    char name[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, name);
    return t.VertexShaderByName(name, text);
}

uint16_t ScanPixelShader(CClassTemplate& t, FILE* file, const char* text)
{
    char name[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, name);
    return t.PixelShaderByName(name, text);
}

const SBlockKeyword REFLECTION_RECEIVER_KEYS[] = {
    {"ReflectionTexture:",
     [](CClassTemplate& t, FILE* f) {
         t.reflectionTexture = ScanNumberedTexture(t, f, &t.reflectionTextureNumber,
             "CClassTemplate::ScanReflectionReceiver. Not found texture '");
     }},
    {"ReflectionDepthBuffer:",
     [](CClassTemplate& t, FILE* f) {
         char name[Core::WORD_BUFFER_SIZE];
         Core::fscan_word(f, name);
         t.reflectionDepthBuffer =
             t.TextureByName(name, "CClassTemplate::ScanReflectionReceiver. Not found depth buffer '");
     }},
    {"InitNormal:", [](CClassTemplate& t, FILE* f) { Core::fscan_fvec3(f, &t.InitNormal.x); }},
    {"ReflectionOpacity:", [](CClassTemplate& t, FILE* f) { Core::fscan_float(f, &t.ReflectionOpacity); }},
    {"ReflectionClearColor:", [](CClassTemplate& t, FILE* f) { Core::fscan_hex(f, &t.ReflectionClearColor); }},
    {"SharingReflectionTexture",
     [](CClassTemplate& t, FILE*) { t.effectFlags |= EFFECT_SHARING_REFLECTION; }},
};
static_assert(std::size(REFLECTION_RECEIVER_KEYS) == 6, "reflection receiver keywords");

const SBlockKeyword REFLECTION_CASTER_KEYS[] = {
    {"FadingDistance:", [](CClassTemplate& t, FILE* f) { Core::fscan_float(f, &t.FadingDistance); }},
    {"VertexShader:",
     [](CClassTemplate& t, FILE* f) {
         t.reflectionVertexShader = ScanVertexShader(t, f, "Not found reflection vertex shader '");
     }},
};
static_assert(std::size(REFLECTION_CASTER_KEYS) == 2, "reflection caster keywords");

const SBlockKeyword SHADOW_RECEIVER_KEYS[] = {
    {"ShadowTexture:",
     [](CClassTemplate& t, FILE* f) {
         t.shadowTexture = ScanNumberedTexture(t, f, &t.shadowTextureNumber,
             "CClassTemplate::ScanShadowReceiver. Not found texture '");
     }},
};
static_assert(std::size(SHADOW_RECEIVER_KEYS) == 1, "shadow receiver keywords");

const SBlockKeyword SHADOW_CASTER_KEYS[] = {
    {"ShadowFillColor:", [](CClassTemplate& t, FILE* f) { Core::fscan_hex(f, &t.ShadowFillColor); }},
    {"VertexShader:",
     [](CClassTemplate& t, FILE* f) {
         t.shadowVertexShader = ScanVertexShader(t, f, "For shadow caster not found vertex shader '");
     }},
    {"PixelShader:",
     [](CClassTemplate& t, FILE* f) {
         t.shadowPixelShader = ScanPixelShader(t, f, "For shadow caster not found pixel shader '");
     }},
};
static_assert(std::size(SHADOW_CASTER_KEYS) == 3, "shadow caster keywords");

const SBlockKeyword GLOWING_KEYS[] = {
    {"GlowLevel:", [](CClassTemplate& t, FILE* f) { Core::fscan_float(f, &t.GlowLevel); }},
    {"LowGlowClamp:", [](CClassTemplate& t, FILE* f) { Core::fscan_float(f, &t.LowGlowClamp); }},
    {"HiGlowClamp:", [](CClassTemplate& t, FILE* f) { Core::fscan_float(f, &t.HiGlowClamp); }},
    {"VertexShader:",
     [](CClassTemplate& t, FILE* f) {
         t.glowVertexShader = ScanVertexShader(t, f, "For glowing is not found vertex shader '");
     }},
    {"PixelShader:",
     [](CClassTemplate& t, FILE* f) {
         t.glowPixelShader = ScanPixelShader(t, f, "For glowing is not found pixel shader '");
     }},
};
static_assert(std::size(GLOWING_KEYS) == 5, "glow keywords");

// The classes whose start actions are running, innermost first. A unit made by a start
// action runs its own class's before it is attached to its maker, so no master chain tells
// what is being made yet.
struct SMakingLink {
    const CClassTemplate* cls;
    const SMakingLink* outer;
    int depth;           // 1 for the unit that started the chain
    bool firstAttached;  // that unit's maker attaches it once it is made
};
const SMakingLink* gMaking = nullptr;
// Set by CMadeToAttach: the next chain's first unit is attached once made.
bool gFirstAttached = false;
// Set once a start action of the chain failed to make its unit. A unit whose attach fails is
// deleted with everything its own start actions made, and the pools have room again, so a
// chain that went on would make and throw away the same subtrees over and over (eight acts a
// class, sixteen classes deep, is 8^16 units).
bool gMakingFailed = false;

class CMaking {
public:
    explicit CMaking(const CClassTemplate* cls)
        : link{cls, gMaking, gMaking ? gMaking->depth + 1 : 1, gMaking ? gMaking->firstAttached : gFirstAttached}
    {
        if (!gMaking) gMakingFailed = gFirstAttached = false;  // the flag is this chain's alone
        gMaking = &link;
    }
    ~CMaking() { gMaking = link.outer; }
    CMaking(const CMaking&) = delete;
    CMaking& operator=(const CMaking&) = delete;

    bool Holds(const CClassTemplate* cls) const
    {
        for (const SMakingLink* l = &link; l; l = l->outer)
            if (l->cls == cls) return true;
        return false;
    }
    int Depth() const { return link.depth; }
    // The attach records the chain holds when it makes its next unit: one for each unit below
    // the first, one for the new unit, and one for the first when it is attached.
    int Kept() const { return link.depth + (link.firstAttached ? 1 : 0); }

private:
    SMakingLink link;
};

// True when the act's unit may be made; else the first time for the class it says why not.
bool MayMake(const CMaking& making, CClassTemplate& maker, const CClassTemplate* made)
{
    if (gMakingFailed) return false;  // the pools have said why
    std::string why;
    bool* told = nullptr;
    if (making.Holds(made)) {
        why = "', which is already being made on its chain";
        told = &maker.startActLoopTold;
    } else if (making.Depth() > MAX_START_ACT_DEPTH) {
        why = "', which would be made more than " + std::to_string(MAX_START_ACT_DEPTH) + " start actions deep";
        told = &maker.startActDepthTold;
    } else if (gUnitInspector && gUnitInspector->FreeAttachCount() < making.Kept()) {
        // Every unit of the chain below the first, the first too when its maker attaches it,
        // and the new one attach once their own start actions are done: their records are
        // kept, so no attach of the chain fails.
        // Said within the pool's budget, once for the chain, which makes no more.
        gMakingFailed = true;
        WarningBox(&gUnitInspector->warningBudget,
                   "CClassTemplate::ApplyStartActs  Warning:  For UnitInspector UnitAttaches limit is exceeded: class '",
                   maker.name, "' makes no unit of start action class '", made->name, "', nor any more for its chain.",
                   nullptr);
        return false;
    } else {
        return true;
    }
    if (*told) return false;
    *told = true;
    const std::string text = std::string("CClassTemplate::ApplyStartActs  Warning:  class '") + maker.name +
                             "' names start action class '" + made->name + why + ": no unit is made.";
    MsgBox(text.c_str());
    return false;
}

} // namespace

CMadeToAttach::CMadeToAttach() : outer(gFirstAttached)
{
    gFirstAttached = true;
}

CMadeToAttach::~CMadeToAttach()
{
    gFirstAttached = outer;
}

int CClassTemplate::ScanReflectionReceiver(FILE* file)
{
    effectFlags |= EFFECT_REFLECTION_RECEIVER;
    ScanBlock(*this, file, "ScanReflectionReceiver", REFLECTION_RECEIVER_KEYS);
    return 0;
}

int CClassTemplate::ScanReflectionCaster(FILE* file)
{
    effectFlags |= EFFECT_REFLECTION_CASTER;
    ScanBlock(*this, file, "ScanReflectionCaster", REFLECTION_CASTER_KEYS);
    return 0;
}

int CClassTemplate::ScanShadowReceiver(FILE* file)
{
    ScanBlock(*this, file, "ScanShadowReceiver", SHADOW_RECEIVER_KEYS);
    return 0;
}

int CClassTemplate::ScanShadowCaster(FILE* file)
{
    shadowCaster = 1;
    ScanBlock(*this, file, "ScanShadowCaster", SHADOW_CASTER_KEYS);
    return 0;
}

int CClassTemplate::ScanGlowing(FILE* file)
{
    glowing = 1;
    ScanBlock(*this, file, "ScanGlowing", GLOWING_KEYS);
    glowRange = HiGlowClamp - LowGlowClamp;
    if (glowRange <= 0.0f) {
        glowRange = 1.0f;
        WarningBox(&warningBudget, "CClassTemplate::ScanGlowing:  Improper glow clamp parameters.\nUnit '",
                   name, "'.", nullptr);
    }
    return 0;
}

SStartAct* CClassTemplate::AddStartAct(uint32_t kind, uint16_t animation, uint32_t attachMode,
                                       CClassTemplate* attachedClass, const D3DXVECTOR4* position)
{
    for (SStartAct& act : startActs) {
        if (act.kind != START_ACT_FREE) continue;
        act.kind = kind;
        act.animation = animation;
        act.attachMode = attachMode;
        if (attachedClass) act.classTemplate = attachedClass;
        if (position) act.position = *position;
        return &act;
    }
    MsgBox("PROGRAMMER LIMIT: MAX_START_ACTS");
    return nullptr;
}

// A class met again on the chain would make the next unit of the chain for ever; distinct
// classes each making the next nest as deep as there are classes, each level on the stack;
// once a unit of the chain could not be made, the chain makes no more.
void CClassTemplate::ApplyStartActs(CAtom* unit)
{
    if (!unit) return;
    const CMaking making(this);
    for (const SStartAct& act : startActs) {
        if (act.kind == START_ACT_FREE) return;
        if (act.kind == START_ACT_ANIMATION) {
            if (CAnimInstance* instance = unit->AddAnimation(uint16_t(act.animation), 0))
                instance->startDelay = act.startDelay;
        } else if (act.kind == START_ACT_ATTACH && act.classTemplate &&
                   MayMake(making, *this, act.classTemplate)) {
            if (!unit->CreateAttachedUnit(act.classTemplate, &act.position, act.attachMode)) gMakingFailed = true;
        }
    }
}

// The glow pixel shader and the reflection and shadow settings stay the child's own.
void CClassTemplate::CopyFrom(const CClassTemplate& other)
{
    vertexDeclarator = other.vertexDeclarator;
    vertexShader = other.vertexShader;
    pixelShader = other.pixelShader;
    shaderTable = other.shaderTable;
    renderStates = other.renderStates;
    placeLayout = other.placeLayout;
    nightLights = other.nightLights;
    userDefines = other.userDefines;
    glowing = other.glowing;
    glowVertexShader = other.glowVertexShader;
    GlowLevel = other.GlowLevel;
    LowGlowClamp = other.LowGlowClamp;
    HiGlowClamp = other.HiGlowClamp;
    glowRange = other.glowRange;
    for (int i = 0; i < MAX_START_ACTS; ++i) startActs[i] = other.startActs[i];
}

uint32_t CClassTemplate::ParamByName(const char* param)
{
    if (StrEqual(param, "MirrorParams"))
        return TEMPLATE_PARAM_FLAG | WordIndex(offsetof(CClassTemplate, ReflectionOpacity));
    if (StrEqual(param, "GlowParams"))
        return TEMPLATE_PARAM_FLAG | WordIndex(offsetof(CClassTemplate, GlowLevel));
    return 0;
}

uint16_t CClassTemplate::TextureByName(const char* texture, const char* text)
{
    const uint16_t index = FindTextureIndex(texture);
    if (!index) WarningBox(&warningBudget, text, texture, "'.", nullptr);
    return index;
}

uint16_t CClassTemplate::VertexShaderByName(const char* shader, const char* text)
{
    const uint16_t index = FindVertexShaderIndex(shader);
    if (!index) WarningBox(&gWarningBudget, text, shader, "' for UNIT '", name, "'.", nullptr);
    return index;
}

uint16_t CClassTemplate::PixelShaderByName(const char* shader, const char* text)
{
    const uint16_t index = FindPixelShaderIndex(shader);
    if (!index) WarningBox(&gWarningBudget, text, shader, "' for UNIT '", name, "'.", nullptr);
    return index;
}
