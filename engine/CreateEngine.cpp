#include "engine/CreateEngine.h"

#include "core/Messages.h"
#include "engine/AnimContainer.h"
#include "engine/ArrayContainer.h"
#include "engine/Controls3D.h"
#include "engine/Engine.h"
#include "engine/EngineTrace.h"
#include "engine/Engineer.h"
#include "engine/FontContainer.h"
#include "engine/Iconer.h"
#include "engine/Kinematics.h"
#include "engine/Layouts.h"
#include "engine/MapContainer.h"
#include "engine/MeshContainer.h"
#include "engine/MissionLoader.h"
#include "engine/Nations.h"
#include "engine/Parser.h"
#include "engine/Saves.h"
#include "engine/Scenes.h"
#include "engine/ShaderContainer.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "scene/ParticleSystems.h"
#include "scene/Renderer.h"

#include <cstring>
#include <new>

EngineTraceFn gEngineTrace = nullptr;

namespace {

constexpr int ENGINE_MANAGER_COUNT = 21;

// Set once every manager but the developer panel exists.
bool gEngineComplete = false;

// Both globals of a manager; deletion goes through the concrete pointer, so interfaces
// without a virtual destructor are safe.
template <class C, class I, C*& concrete, I*& iface>
bool Create()
{
    concrete = new (std::nothrow) C;
    iface = concrete;
    return concrete != nullptr;
}

template <class C, class I, C*& concrete, I*& iface>
bool Destroy()
{
    if (!concrete)
        return false;
    delete concrete;
    concrete = nullptr;
    iface = nullptr;
    return true;
}

bool CreateLayouts()
{
    gLayouts = new (std::nothrow) CLayouts;
    return gLayouts != nullptr;
}

bool DestroyLayouts()
{
    if (!gLayouts)
        return false;
    delete gLayouts;
    gLayouts = nullptr;
    return true;
}

struct SManagerStep {
    const char* name;
    const char* deletedName;  // what the trace reports on deletion
    bool (*create)();
    bool (*destroy)();
};

// The concrete and interface globals named per manager.
#define STEP(C, I, gc, gi) \
    SManagerStep{ #C, "~" #C, Create<C, I, gc, gi>, Destroy<C, I, gc, gi> }

const SManagerStep kSteps[ENGINE_MANAGER_COUNT] = {
    STEP(CEngine, IEngine, gEngine, gIEngine),
    STEP(CParser, IParser, gParser, gIParser),
    STEP(CUnitInspector, IUnitInspector, gUnitInspector, gIUnitInspector),
    STEP(CMeshContainer, IMeshContainer, gMeshContainer, gIMeshContainer),
    STEP(CTexContainer, ITexContainer, gTexContainer, gITexContainer),
    STEP(CShaderContainer, IShaderContainer, gShaderContainer, gIShaderContainer),
    STEP(CRenderer, IRenderer, gRenderer, gIRenderer),
    STEP(CAnimContainer, IAnimContainer, gAnimContainer, gIAnimContainer),
    STEP(CKinematics, IKinematics, gKinematics, gIKinematics),
    STEP(CMissionLoader, IMissionLoader, gMissionLoader, gIMissionLoader),
    STEP(CMapContainer, IMapContainer, gMapContainer, gIMapContainer),
    STEP(CNations, INations, gNations, gINations),
    STEP(CControls3D, IControls3D, gControls3D, gIControls3D),
    SManagerStep{"CLayouts", "~CLayouts", CreateLayouts, DestroyLayouts},
    STEP(CArrayContainer, IArrayContainer, gArrayContainer, gIArrayContainer),
    STEP(CFontContainer, IFontContainer, gFontContainer, gIFontContainer),
    STEP(CSaves, ISaves, gSaves, gISaves),
    STEP(CScenes, IScenes, gScenes, gIScenes),
    STEP(CIconer, CIconer, gIconer, gIIconer),
    STEP(CParticleSystems, IParticleSystems, gParticleSystems, gIParticleSystems),
    STEP(CEngineer, IEngineer, gEngineer, gIEngineer),
};
#undef STEP


// Deletion order: resources first, while the registry of units still exists.
const char* const kDeletionOrder[ENGINE_MANAGER_COUNT] = {
    "CMeshContainer", "CTexContainer", "CShaderContainer", "CUnitInspector", "CRenderer",
    "CKinematics",    "CAnimContainer", "CMissionLoader",  "CParser",        "CEngine",
    "CMapContainer",  "CFontContainer", "CArrayContainer", "CControls3D",    "CLayouts",
    "CNations",       "CEngineer",      "CIconer",         "CSaves",         "CScenes",
    "CParticleSystems",
};

constexpr int ENGINEER_STEP = ENGINE_MANAGER_COUNT - 1;

const SManagerStep& StepNamed(const char* name)
{
    for (const SManagerStep& step : kSteps)
        if (strcmp(step.name, name) == 0)
            return step;
    return kSteps[0];  // unreachable: both order tables name the same managers
}

bool CreateStep(const SManagerStep& step)
{
    if (!step.create()) {
        DestroyEngine();
        MsgBox3("CreateEngine Error:  out of memory for ", step.name, ".");
        return false;
    }
    EngineTrace(step.name);
    return true;
}

} // namespace


int CreateEngine(uint32_t flags)
{
    for (int i = 0; i < ENGINEER_STEP; ++i)
        if (!CreateStep(kSteps[i]))
            return -1;
    gEngineComplete = true;
    if (!(flags & ENGINE_DEVELOPER_PANEL))
        return 0;
    if (!CreateStep(kSteps[ENGINEER_STEP]))
        return -1;
    return gEngineer->Init();
}

void DestroyEngine()
{
    if (gEngineComplete)
        gMissionLoader->EndMission();
    gEngineComplete = false;
    for (const char* name : kDeletionOrder) {
        const SManagerStep& step = StepNamed(name);
        if (step.destroy())
            EngineTrace(step.deletedName);
    }
}
