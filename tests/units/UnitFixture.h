#pragma once
// Unit tests: a created engine whose unit registry is sized by a real "UnitInspector"
// section, scripts read through the real parser, unit classes of three levels that follow
// the scanning protocol, and a unit that counts what the registry calls on it.

#include "core/Messages.h"
#include "core/Scanner.h"
#include "engine/ClassTemplate.h"
#include "engine/CreateEngine.h"
#include "engine/Engine.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"
#include "scene/Atom.h"
#include "scene/Renderer.h"
#include "tests/scripts/ScriptFiles.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace units {

// What the registry did to counted units.
struct SCalls {
    int destroyed = 0, released = 0, idle = 0, process = 0, shown = 0, hidden = 0, firstInit = 0;
};

class CountingUnit : public CAtom {
public:
    explicit CountingUnit(SCalls* calls, const char* unitName = "") : calls_(calls) { SetName(unitName); }
    ~CountingUnit() override { ++calls_->destroyed; }
    void Release() override { ++calls_->released; }
    uint32_t DoIdle() override
    {
        ++calls_->idle;
        if (onIdle) onIdle(this);
        return idleResult;
    }
    uint32_t Process() override
    {
        ++calls_->process;
        if (onProcess) onProcess(this);
        return 0;
    }
    void OnShow() override { ++calls_->shown; }
    void OnHide() override { ++calls_->hidden; }
    void FirstInit() override { ++calls_->firstInit; }

    // Plain functions: a call may delete the unit that holds them.
    void (*onIdle)(CountingUnit* self) = nullptr;
    void (*onProcess)(CountingUnit* self) = nullptr;
    CAtom* other = nullptr;  // what the calls act on
    uint32_t idleResult = 0;

private:
    SCalls* calls_;
};

// A second level with its own keywords ("Mesh:" in class blocks, "mesh:" in presentations).
class TestGeometry : public CAtom {
public:
    int ScanNativePropertyes(FILE* file, const char* word) override
    {
        return ScanClassBlock(
            file, word, [this](FILE* f, const char* w) { return ScanOwn(f, w, "Mesh:"); },
            [this](FILE* f, const char* w) { return CAtom::ScanNativePropertyes(f, w); });
    }
    int ScanMissionData(FILE* file, const char* word) override
    {
        return ScanMissionBlock(
            file, word, [this](FILE* f, const char* w) { return ScanOwn(f, w, "mesh:"); },
            [this](FILE* f, const char* w) { return CAtom::ScanMissionData(f, w); });
    }
    char mesh[64] = {};

private:
    bool ScanOwn(FILE* file, const char* word, const char* key)
    {
        if (strcmp(word, key) != 0) return false;
        Core::fscan_word(file, mesh, sizeof mesh);
        return true;
    }
};

// A third level ("Speed:" / "speed:").
class TestMover : public TestGeometry {
public:
    int ScanNativePropertyes(FILE* file, const char* word) override
    {
        return ScanClassBlock(
            file, word, [this](FILE* f, const char* w) { return ScanOwn(f, w, "Speed:"); },
            [this](FILE* f, const char* w) { return TestGeometry::ScanNativePropertyes(f, w); });
    }
    int ScanMissionData(FILE* file, const char* word) override
    {
        return ScanMissionBlock(
            file, word, [this](FILE* f, const char* w) { return ScanOwn(f, w, "speed:"); },
            [this](FILE* f, const char* w) { return TestGeometry::ScanMissionData(f, w); });
    }
    float speed = 0.0f;

private:
    bool ScanOwn(FILE* file, const char* word, const char* key)
    {
        if (strcmp(word, key) != 0) return false;
        Core::fscan_float(file, &speed);
        return true;
    }
};

class UnitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gExitCode = 0;
        gWarningBudget = 4;
        ASSERT_EQ(0, CreateEngine(0));
    }
    void TearDown() override
    {
        DestroyEngine();
        gExitCode = 0;
        gWarningBudget = 4;
    }

    // Reads a script through the real parser; the text is one file.
    int LoadScript(const std::string& text)
    {
        const std::string path = scripts::ScriptDir("units_script").Write("Start.txt", text);
        return gParser->LoadScript(path.c_str());
    }
    // Sizes the registry with the given section body, and the render queues the walk fills.
    void SizeRegistry(const std::string& body)
    {
        ASSERT_EQ(0, LoadScript("UnitInspector [ " + body + " ]\n"
                                "Renderer [ QueueCount: 4 InQueueCount: 16 MaxRenderObjects: 16 ]\n"));
    }
    // One engine frame's part of the registry.
    void Frame()
    {
        gRenderer->ResetFrame();
        gUnitInspector->ClearFrameList();
        gUnitInspector->ProcessUnits();
    }
    CountingUnit* AddCounting(SCalls* calls, const char* unitName = "")
    {
        return static_cast<CountingUnit*>(gUnitInspector->AddCreatedUnit(new CountingUnit(calls, unitName), nullptr));
    }

    test::MessageRecorder messages;
    // Counters outlive the engine: units still registered die in TearDown.
    SCalls calls, a, b, c, d, masterCalls, slaveCalls, parentCalls, after;
};

inline std::string NextWord(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    return word;
}

const char* const SIZES = "UnitCount: 16 TemplateCount: 16 UnitAttaches: 16 SmoothMovers: 8 UnitMoves: 4";

} // namespace units
