#include "engine/AnimContainer.h"
#include "engine/ArrayContainer.h"
#include "engine/Controls3D.h"
#include "engine/CreateEngine.h"
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
#include "scene/Camera.h"
#include "scene/ParticleSystems.h"
#include "scene/Renderer.h"
#include "tests/engine/EngineFixture.h"

#include <gtest/gtest.h>

namespace {

using enginetest::gTrace;

struct SGlobals {
    const char* name;
    const void* concrete;
    const void* iface;  // the interface global, as the same object's address
};

// Both globals of every manager, the interface one converted back to compare addresses.
std::vector<SGlobals> Globals()
{
    return {
        {"CEngine", gEngine, gIEngine ? static_cast<CEngine*>(gIEngine) : nullptr},
        {"CParser", gParser, gIParser ? static_cast<CParser*>(gIParser) : nullptr},
        {"CUnitInspector", gUnitInspector,
         gIUnitInspector ? static_cast<CUnitInspector*>(gIUnitInspector) : nullptr},
        {"CMeshContainer", gMeshContainer,
         gIMeshContainer ? static_cast<CMeshContainer*>(gIMeshContainer) : nullptr},
        {"CTexContainer", gTexContainer,
         gITexContainer ? static_cast<CTexContainer*>(gITexContainer) : nullptr},
        {"CShaderContainer", gShaderContainer,
         gIShaderContainer ? static_cast<CShaderContainer*>(gIShaderContainer) : nullptr},
        {"CRenderer", gRenderer, gIRenderer ? static_cast<CRenderer*>(gIRenderer) : nullptr},
        {"CAnimContainer", gAnimContainer,
         gIAnimContainer ? static_cast<CAnimContainer*>(gIAnimContainer) : nullptr},
        {"CKinematics", gKinematics,
         gIKinematics ? static_cast<CKinematics*>(gIKinematics) : nullptr},
        {"CMissionLoader", gMissionLoader,
         gIMissionLoader ? static_cast<CMissionLoader*>(gIMissionLoader) : nullptr},
        {"CMapContainer", gMapContainer,
         gIMapContainer ? static_cast<CMapContainer*>(gIMapContainer) : nullptr},
        {"CNations", gNations, gINations ? static_cast<CNations*>(gINations) : nullptr},
        {"CControls3D", gControls3D,
         gIControls3D ? static_cast<CControls3D*>(gIControls3D) : nullptr},
        {"CLayouts", gLayouts, gLayouts},
        {"CArrayContainer", gArrayContainer,
         gIArrayContainer ? static_cast<CArrayContainer*>(gIArrayContainer) : nullptr},
        {"CFontContainer", gFontContainer,
         gIFontContainer ? static_cast<CFontContainer*>(gIFontContainer) : nullptr},
        {"CSaves", gSaves, gISaves ? static_cast<CSaves*>(gISaves) : nullptr},
        {"CScenes", gScenes, gIScenes ? static_cast<CScenes*>(gIScenes) : nullptr},
        {"CIconer", gIconer, gIIconer},
        {"CParticleSystems", gParticleSystems,
         gIParticleSystems ? static_cast<CParticleSystems*>(gIParticleSystems) : nullptr},
        {"CEngineer", gEngineer, gIEngineer ? static_cast<CEngineer*>(gIEngineer) : nullptr},
    };
}

const std::vector<std::string> kCreation = {
    "CEngine",        "CParser",        "CUnitInspector", "CMeshContainer",  "CTexContainer",
    "CShaderContainer", "CRenderer",    "CAnimContainer", "CKinematics",     "CMissionLoader",
    "CMapContainer",  "CNations",       "CControls3D",    "CLayouts",        "CArrayContainer",
    "CFontContainer", "CSaves",         "CScenes",        "CIconer",         "CParticleSystems",
    "CEngineer",
};

const std::vector<std::string> kDeletion = {
    "~CMeshContainer", "~CTexContainer",  "~CShaderContainer", "~CUnitInspector",
    "~CRenderer",      "~CKinematics",    "~CAnimContainer",   "~CMissionLoader",
    "~CParser",        "~CEngine",        "~CMapContainer",    "~CFontContainer",
    "~CArrayContainer", "~CControls3D",   "~CLayouts",         "~CNations",
    "~CEngineer",      "~CIconer",        "~CSaves",           "~CScenes",
    "~CParticleSystems",
};

class TraceScope {
public:
    TraceScope()
    {
        gTrace.clear();
        gEngineTrace = enginetest::RecordTrace;
    }
    ~TraceScope() { gEngineTrace = nullptr; }
};

TEST(EngineLife, CreatesAndDeletesInTheirOrdersAndPublishesBothGlobals)
{
    test::MessageRecorder messages;
    TraceScope trace;
    // No panel picture in the test's folder, so the panel's Init fails; every manager
    // exists all the same.
    EXPECT_NE(0, CreateEngine(0x201));
    EXPECT_EQ(kCreation, gTrace);
    for (const SGlobals& g : Globals()) {
        EXPECT_NE(nullptr, g.concrete) << g.name;
        EXPECT_EQ(g.concrete, g.iface) << g.name;
    }

    gTrace.clear();
    DestroyEngine();
    EXPECT_EQ(kDeletion, gTrace);
    for (const SGlobals& g : Globals()) {
        EXPECT_EQ(nullptr, g.concrete) << g.name;
        EXPECT_EQ(nullptr, g.iface) << g.name;
    }

    gTrace.clear();
    DestroyEngine();
    EXPECT_TRUE(gTrace.empty());
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CEngineer::Init Error:  can`t load texture 'Developer\\MainPanel.tga'.",
              messages.Texts()[0]);
}

TEST(EngineLife, WithoutPanelFlagThereIsNoPanelAndTheResultIsZero)
{
    test::MessageRecorder messages;
    TraceScope trace;
    EXPECT_EQ(0, CreateEngine(0x1));
    EXPECT_EQ(nullptr, gEngineer);
    EXPECT_EQ(nullptr, gIEngineer);
    EXPECT_EQ(std::vector<std::string>(kCreation.begin(), kCreation.end() - 1), gTrace);
    DestroyEngine();
    EXPECT_EQ(nullptr, gIEngine);
}

// Shutdown with a running presentation ends it while every manager exists: the selection
// and its rotation keys go before anything is deleted.
TEST(EngineLife, DestroyEndsTheRunningPresentationFirst)
{
    test::MessageRecorder messages;
    gInput.Reset();
    ASSERT_EQ(0, CreateEngine(0));
    std::string path = test::TempDir("engine_life") + "\\Empty.txt";
    test::WriteFile(path, "\n");
    gIMissionLoader->StartMission(path);
    ASSERT_EQ(0, gIEngine->Process()) << messages.Joined();
    CAtom unit;
    gEngine->EnableSelect(true);
    gEngine->SelectUnit(&unit, true);
    ASSERT_EQ(1, gInput.currentLevel);

    DestroyEngine();
    EXPECT_EQ(0, gInput.currentLevel);
}

} // namespace
