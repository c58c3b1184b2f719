#pragma once
// One script class: a named unit type with its prototype unit, plus what the renderer
// needs per class (render states, reflection, shadow and glow settings), up to 8 start
// actions run on every new unit of the class, a placement layout, the class's night-light
// records (its own copies) and the application's keyword hook. Templates are records of
// the unit registry. Block readers warn about unknown words and missing resources and go
// on; nothing here is fatal.

#include "core/Delegates.h"
#include "scene/BillLightData.h"
#include "scene/RenderStatesBlock.h"

#include <d3dx9.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

class CAtom;
class CLayout;

constexpr int MAX_START_ACTS = 8;
// How many units made by start actions may nest one inside the other below the unit that
// started them (each unit's start actions run while it is being made).
constexpr int MAX_START_ACT_DEPTH = 16;
constexpr int CLASS_NAME_SIZE = 32;
// Marks a parameter code: the low bits are the 32-bit word index into the template.
constexpr uint32_t TEMPLATE_PARAM_FLAG = 0xF0000000u;

enum : uint32_t { START_ACT_FREE = 0, START_ACT_ANIMATION = 1, START_ACT_ATTACH = 2 };

enum : uint16_t {
    EFFECT_REFLECTION_CASTER = 1,
    EFFECT_REFLECTION_RECEIVER = 2,
    EFFECT_SHARING_REFLECTION = 4,
    EFFECT_REFLECTION_DRAWN = 8,
};

class CClassTemplate;

struct SStartAct {
    uint32_t kind = START_ACT_FREE;
    uint32_t animation = 0;  // a 16-bit animation index
    uint32_t attachMode = 0;
    CClassTemplate* classTemplate = nullptr;
    D3DXVECTOR4 position{0.0f, 0.0f, 0.0f, 0.0f};
    float startDelay = 0.0f;  // seconds
};

class CClassTemplate {
public:
    char name[CLASS_NAME_SIZE] = {};
    uint32_t unitType = 0;
    CAtom* prototype = nullptr;

    uint16_t vertexDeclarator = 0;
    uint16_t vertexShader = 0;
    uint16_t pixelShader = 0;
    uint16_t shaderTable = 0;
    CRenderStatesBlock renderStates;

    uint16_t effectFlags = 0;
    uint16_t reflectionTexture = 0;
    uint16_t reflectionDepthBuffer = 0;
    uint16_t reflectionTextureNumber = 0;
    uint16_t reflectionVertexShader = 0;
    D3DXVECTOR4 InitNormal{0.0f, 1.0f, 0.0f, 0.0f};
    // The renderer reads these four words from the "MirrorParams" index.
    float ReflectionOpacity = 1.0f;
    float FadingDistance = 99999.0f;
    uint32_t ReflectionClearColor = 0xFFFFFFFF;
    uint16_t shadowCaster = 0;
    uint16_t shadowTexture = 0;

    uint16_t shadowTextureNumber = 0;
    uint16_t shadowVertexShader = 0;
    uint16_t shadowPixelShader = 0;
    uint32_t ShadowFillColor = 0;

    uint16_t glowing = 0;
    uint16_t glowVertexShader = 0;
    uint16_t glowPixelShader = 0;
    // The renderer reads these four words from the "GlowParams" index.
    float GlowLevel = 1.0f;
    float LowGlowClamp = 0.0f;
    float HiGlowClamp = 1.0f;
    float glowRange = 1.0f;

    SStartAct startActs[MAX_START_ACTS];

    CAtom* iconPrototype = nullptr;
    uint16_t iconLeft = 0;
    uint16_t iconTop = 0;
    CLayout* placeLayout = nullptr;
    // "Billboard:": the class of the auxiliary billboard unit of a geometry unit.
    CClassTemplate* billboardClass = nullptr;
    // Set once a unit of the class was refused a billboard, or a night light, of a class
    // already on its chain, or a start action's unit of a class already being made on its
    // chain or nested too deep (and said so).
    bool billboardLoopTold = false;
    bool nightLightLoopTold = false;
    bool startActLoopTold = false;
    bool startActDepthTold = false;
    int32_t PlaceRotate = 1;
    CBillLightList nightLights;  // owned: a derived class copies them
    // The application's keyword hook; owned by the application and shared with derived
    // classes, so a template never deletes it.
    IDelegate1<FILE*>* userDefines = nullptr;

    // Warnings of the block readers, shared by all templates.
    static int warningBudget;

    // One block each, from its "{" to its "};"; all return 0.
    int ScanReflectionReceiver(FILE* file);
    int ScanReflectionCaster(FILE* file);
    int ScanShadowReceiver(FILE* file);
    int ScanShadowCaster(FILE* file);
    int ScanGlowing(FILE* file);

    // Takes the first free record (null and a box when all 8 are taken); the class
    // template and the position are stored only when given.
    SStartAct* AddStartAct(uint32_t kind, uint16_t animation, uint32_t attachMode,
                           CClassTemplate* attachedClass, const D3DXVECTOR4* position);
    // Runs the acts on a new unit of the class, in order up to the first free record. An
    // attach act makes no unit of a class whose start actions are running around it, nor
    // one nested deeper than MAX_START_ACT_DEPTH; the class says so once for each. Once the
    // attach pool cannot take the next unit with the units it is being made for, or a unit
    // of the chain could not be made (a pool full), no act of the chain makes a unit.
    void ApplyStartActs(CAtom* unit);
    // What a class inherits from its parent.
    void CopyFrom(const CClassTemplate& other);
    // "MirrorParams" and "GlowParams": TEMPLATE_PARAM_FLAG | word index; else 0.
    static uint32_t ParamByName(const char* param);

    // Lookups of the block readers: a missing resource gives 0 and one warning.
    uint16_t TextureByName(const char* texture, const char* text);
    uint16_t VertexShaderByName(const char* shader, const char* text);
    uint16_t PixelShaderByName(const char* shader, const char* text);
};

// Held by a maker from making a unit to attaching it (the unit's start actions run in
// between): the chain of those start actions keeps that attach's record as well, so the
// attach cannot find the pool filled by what the unit made.
class CMadeToAttach {
public:
    CMadeToAttach();
    ~CMadeToAttach();
    CMadeToAttach(const CMadeToAttach&) = delete;
    CMadeToAttach& operator=(const CMadeToAttach&) = delete;

private:
    bool outer;
};

// Answers ParamByName for the "TEMPLATE" prefix of shader constants.
extern CClassTemplate gDefaultClassTemplate;

// The renderer reads four consecutive 32-bit words from each parameter index.
static_assert(offsetof(CClassTemplate, ReflectionOpacity) % 4 == 0, "word aligned");
static_assert(offsetof(CClassTemplate, FadingDistance) == offsetof(CClassTemplate, ReflectionOpacity) + 4, "");
static_assert(offsetof(CClassTemplate, ReflectionClearColor) == offsetof(CClassTemplate, ReflectionOpacity) + 8, "");
static_assert(offsetof(CClassTemplate, shadowCaster) == offsetof(CClassTemplate, ReflectionOpacity) + 12, "");
static_assert(offsetof(CClassTemplate, shadowTexture) == offsetof(CClassTemplate, shadowCaster) + 2,
              "the shadow pair shares the fourth word");
static_assert(offsetof(CClassTemplate, GlowLevel) % 4 == 0, "word aligned");
static_assert(offsetof(CClassTemplate, LowGlowClamp) == offsetof(CClassTemplate, GlowLevel) + 4, "");
static_assert(offsetof(CClassTemplate, HiGlowClamp) == offsetof(CClassTemplate, GlowLevel) + 8, "");
static_assert(offsetof(CClassTemplate, glowRange) == offsetof(CClassTemplate, GlowLevel) + 12, "");
