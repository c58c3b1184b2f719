#include "tests/missions/MissionFixture.h"

#include "core/Core.h"
#include "core/FrameTimer.h"
#include "core/Input.h"
#include "engine/CreateEngine.h"
#include "engine/Engine.h"
#include "engine/Parser.h"
#include "gui/WinSuperior.h"

namespace missiontest {

const char* const NO_GAMER_NATION = "CMissionLoader::StartMission Error: gamer nation is null.";

namespace {

const char* const START_SCRIPT = R"(
Variables [ MissionVarCapacity: [ Records: 16 Words: 128 ] ]
UnitInspector [ TemplateCount: 16 UnitCount: 64 UnitMoves: 4 UnitAttaches: 8 SmoothMovers: 8 ]
CAMERA Camera {
    SysControls: [ EnableIdle ]
    Near: 2.0
    Far: 500.0
    Fov: 60.0
    DistanceParams: { MinDistance: 15 MaxDistance: 800 DistanceSpeed: 1.5 DistanceAccel: 4
                      DistanceDeccel: 2 FadeTime: 0.5 Unknown: 1 };
    RotationParams: { MinAx: -1.4 MaxAx: -0.1 Speed: 0.002 };
};
ATOM Marker {
};
)";

} // namespace

void MissionTest::SetUp()
{
    gExitCode = 0;
    gInput.Reset();
    gFrameTimer.step = 0.0f;
    gWinSuperior.pWinUnderMouse = nullptr;
    ASSERT_EQ(0, CreateEngine(0));
    dir = test::TempDir("missions");
    ASSERT_EQ(0, gIParser->LoadScript(Write("Start.txt", START_SCRIPT).c_str())) << messages.Joined();
    ASSERT_EQ(0u, messages.Count()) << messages.Joined();
}

void MissionTest::TearDown()
{
    DestroyEngine();
    gExitCode = 0;
}

std::string MissionTest::Write(const std::string& name, const std::string& text)
{
    const std::string path = dir + "\\" + name;
    test::WriteFile(path, text);
    return path;
}

int MissionTest::StartAndProcess(const std::string& path)
{
    gIMissionLoader->StartMission(path);
    return gIEngine->Process();
}

std::vector<std::string> MissionTest::Problems() const
{
    std::vector<std::string> out;
    for (const std::string& text : messages.Texts())
        if (text != NO_GAMER_NATION) out.push_back(text);
    return out;
}

int MissionTest::UnitCount() const
{
    int count = 0;
    for (int i = 1; i <= gUnitInspector->UnitBound(); ++i)
        if (gUnitInspector->UnitAt(i)) ++count;
    return count;
}

std::vector<std::string> MissionTest::UnitNames() const
{
    std::vector<std::string> names;
    for (int i = 1; i <= gUnitInspector->UnitBound(); ++i)
        if (CAtom* unit = gUnitInspector->UnitAt(i)) names.push_back(unit->name);
    return names;
}

} // namespace missiontest
