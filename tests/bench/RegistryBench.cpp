// The unit registry with many units of one script class: creating them, the frame walk,
// a search by name and deleting them one by one, best of several rounds. Per-unit costs at
// two sizes show a cost that grows with the number of units.

#include "tests/bench/Bench.h"

#include "core/Core.h"
#include "engine/CreateEngine.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"
#include "scene/Renderer.h"
#include "tests/support/Harness.h"

#include <string>
#include <vector>

namespace bench {

namespace {

constexpr int SMALL = 1000, LARGE = 10000;
constexpr int WALKS = 20;
constexpr int ROUNDS = 5;  // the best of these rounds counts: the machine may be busy

std::string StartScript(int units)
{
    return "UnitInspector [ TemplateCount: 4 UnitCount: " + std::to_string(units + 1) +
           " UnitMoves: 4 UnitAttaches: 4 SmoothMovers: 4 ]\n"
           "Renderer [ QueueCount: 4 InQueueCount: 16 MaxRenderObjects: 16 ]\n"
           "ATOM Marker {\n    SysControls: [ EnableIdle ]\n};\n";
}

struct SRegistryCosts {
    double createUs = 0.0, walkUs = 0.0, findUs = 0.0, deleteUs = 0.0;  // per unit
};

// One round: an engine whose registry holds count units.
bool MeasureOnce(int count, SRegistryCosts& costs)
{
    const std::string path = test::TempDir("registry") + "\\Start.txt";
    test::WriteFile(path, StartScript(count));
    if (CreateEngine(0) != 0 || gIParser->LoadScript(path.c_str()) != 0) {
        DestroyEngine();
        return false;
    }
    CClassTemplate* marker = gUnitInspector->GetClassTemplate("Marker");
    std::vector<CAtom*> units;
    double t0 = Now();
    for (int i = 0; i < count; ++i) {
        CAtom* unit = gUnitInspector->CreateUnitFromTemplate(marker, nullptr);
        if (!unit) break;
        unit->SetName(("Marker" + std::to_string(i)).c_str());
        units.push_back(unit);
    }
    costs.createUs = (Now() - t0) * 1e6 / count;
    const bool complete = int(units.size()) == count;

    t0 = Now();
    for (int i = 0; i < WALKS; ++i) {
        gRenderer->ResetFrame();
        gUnitInspector->ClearFrameList();
        gUnitInspector->ProcessUnits();
    }
    costs.walkUs = (Now() - t0) * 1e6 / WALKS / count;

    const std::string last = "Marker" + std::to_string(count - 1);
    t0 = Now();
    for (int i = 0; i < WALKS; ++i)
        gUnitInspector->FindUnitByName(last.c_str());
    costs.findUs = (Now() - t0) * 1e6 / WALKS / count;

    t0 = Now();
    for (CAtom* unit : units)
        gUnitInspector->DeleteUnit(unit);
    costs.deleteUs = (Now() - t0) * 1e6 / count;
    DestroyEngine();
    return complete;
}

double Least(double a, double b)
{
    return a < b ? a : b;
}

bool Measure(int count, SRegistryCosts& best)
{
    best = {1e300, 1e300, 1e300, 1e300};
    for (int i = 0; i < ROUNDS; ++i) {
        SRegistryCosts round;
        if (!MeasureOnce(count, round)) return false;
        best.createUs = Least(best.createUs, round.createUs);
        best.walkUs = Least(best.walkUs, round.walkUs);
        best.findUs = Least(best.findUs, round.findUs);
        best.deleteUs = Least(best.deleteUs, round.deleteUs);
    }
    return true;
}

} // namespace

void BenchRegistry()
{
    gExitCode = 0;  // the stopped program leaves its exit request behind
    SRegistryCosts small, large;
    if (!Measure(SMALL, small) || !Measure(LARGE, large)) {
        Fail("the unit registry did not take the units");
        return;
    }
    const std::string n = std::to_string(LARGE);
    Record("unit registry: create " + n + " units, per unit", large.createUs, "us", 2, Better::Lower);
    Record("unit registry: frame walk of " + n + " units, per unit", large.walkUs, "us", 0.1, Better::Lower);
    Record("unit registry: find by name among " + n + ", per unit", large.findUs, "us", 0.05, Better::Lower);
    Record("unit registry: delete " + n + " units, per unit", large.deleteUs, "us", 2, Better::Lower);
    // A per-unit cost that grows tenfold with ten times the units is a quadratic loop.
    Record("unit registry: per-unit create+delete, " + n + " vs " + std::to_string(SMALL),
           (large.createUs + large.deleteUs) / (small.createUs + small.deleteUs), "ratio", 3, Better::Lower);
}

} // namespace bench
