// Engine creation when memory runs out: the nothrow allocations of this test program fail
// on demand.
#include "engine/CreateEngine.h"
#include "engine/Engine.h"
#include "engine/EngineTrace.h"
#include "engine/Parser.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "tests/engine/EngineFixture.h"

#include <cstdlib>
#include <new>

namespace {

int gFailAfter = -1;  // nothrow allocations left before one fails; -1 = never

} // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (gFailAfter == 0) {
        gFailAfter = -1;
        return nullptr;
    }
    if (gFailAfter > 0)
        --gFailAfter;
    return std::malloc(size ? size : 1);
}

namespace {

TEST(EngineLife, OutOfMemoryIsReportedOnceAndLeavesNoEngine)
{
    test::MessageRecorder messages;
    enginetest::gTrace.clear();
    gEngineTrace = enginetest::RecordTrace;
    gFailAfter = 4;  // the fifth manager, the texture container
    EXPECT_NE(0, CreateEngine(0));
    gEngineTrace = nullptr;
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CreateEngine Error:  out of memory for CTexContainer.", messages.Texts()[0]);
    const std::vector<std::string> trace = {
        "CEngine", "CParser", "CUnitInspector", "CMeshContainer",
        "~CMeshContainer", "~CUnitInspector", "~CParser", "~CEngine",
    };
    EXPECT_EQ(trace, enginetest::gTrace);
    EXPECT_EQ(nullptr, gIEngine);
    EXPECT_EQ(nullptr, gIParser);
    EXPECT_EQ(nullptr, gITexContainer);

    DestroyEngine();  // nothing left to do
    EXPECT_EQ(0, CreateEngine(0));
    DestroyEngine();
}

} // namespace
