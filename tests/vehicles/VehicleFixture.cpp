#include "tests/vehicles/VehicleFixture.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "engine/CreateEngine.h"
#include "engine/Engine.h"
#include "engine/Parser.h"

namespace vehicles {

void VehicleTest::SetUp()
{
    gExitCode = 0;
    gWarningBudget = 1000;
    ASSERT_EQ(0, CreateEngine(0));
    dir = test::TempDir("vehicles") + "\\";
}

void VehicleTest::TearDown()
{
    DestroyEngine();
    gWarningBudget = 4;
    gExitCode = 0;
}

void VehicleTest::RunScript(const std::string& text)
{
    const std::string path = dir + "Script" + std::to_string(++scripts_) + ".txt";
    const char* registry = "UnitInspector [ TemplateCount: 16 UnitCount: 32 UnitMoves: 4 UnitAttaches: 4 ]\n";
    test::WriteFile(path, std::string(scripts_ == 1 ? registry : "") + text);
    ASSERT_EQ(0, gParser->ScanScript(path.c_str())) << messages.Joined();
}

void VehicleTest::Frames(int n, float dt)
{
    for (int i = 0; i < n; ++i) {
        gEngine->frameTime = dt;
        gUnitInspector->ProcessUnits();
    }
}

std::vector<CAtom*> VehicleTest::UnitsOfType(int type)
{
    std::vector<CAtom*> out;
    gIUnitInspector->CollectUnitsOfType(out, type);
    return out;
}

} // namespace vehicles
