#include "tests/scripts/ScriptFiles.h"

#include "engine/Engine.h"
#include "engine/MissionLoader.h"
#include "engine/Parser.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using scripts::ExitCodeGuard;
using scripts::ScriptDir;

const char* const VARIABLES_SECTION =
    "Variables [\n"
    "  ScriptVarCapacity: [ Records: 16 Words: 256 ]\n"
    "]\n";

// Each test reads with its own parser, as the engine does with gParser.
struct ParserTest : ::testing::Test {
    ExitCodeGuard exitCode;
    test::MessageRecorder messages;
    std::unique_ptr<CParser> parser = std::make_unique<CParser>();

    int32_t IntVariable(const char* name)
    {
        int32_t value = -12345;
        EXPECT_EQ(1, parser->GetVariable(name, &value, 1)) << name;
        return value;
    }
};

TEST_F(ParserTest, SectionsVariablesAndIncludesAreRead)
{
    ScriptDir dir("parser_sections");
    const std::string inner = dir.Write("Inner.txt", "Variables: {\n  Inner 2\n};\n");
    const std::string start = dir.Write(
        "Start.txt", std::string("// start\n") + VARIABLES_SECTION +
                         "Variables: {\n  Outer 1\n  Name \"\xC6\xE8\xEB\xEE\xE9 \xEA\xEE\xEC\xEF\xEB\xE5\xEA\xF1\"\n};\n"
                         "ScriptFile: \"" + inner + "\"\n"
                         "Variables: { Last 3 };\n");
    EXPECT_EQ(0, parser->LoadScript(start.c_str()));
    EXPECT_EQ(1, IntVariable("Outer"));
    EXPECT_EQ(2, IntVariable("Inner"));
    EXPECT_EQ(3, IntVariable("Last"));
    char text[64] = {};
    EXPECT_EQ(4, parser->GetVariable("Name", text, 16));
    EXPECT_STREQ("\xC6\xE8\xEB\xEE\xE9 \xEA\xEE\xEC\xEF\xEB\xE5\xEA\xF1", text);  // code page 1251
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ParserTest, UnknownWordWarnsOnceAndReadingGoesOn)
{
    ScriptDir dir("parser_unknown");
    const std::string start =
        dir.Write("Start.txt", std::string(VARIABLES_SECTION) + "Bogus\nVariables: { A 1 };\n");
    EXPECT_EQ(0, parser->LoadScript(start.c_str()));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CParser::ScanScript :  undefine string 'Bogus'.", messages.Texts()[0]);
    EXPECT_EQ(1, IntVariable("A"));
}

// The unknown words of a file are said once with their count, from the budget of ten.
TEST_F(ParserTest, UnknownWordsAreSaidOncePerFileFromTheBudgetOfTen)
{
    ScriptDir dir("parser_budget");
    std::string start;
    for (int i = 0; i < 12; ++i)
        start += "ScriptFile: \"" + dir.Write("F" + std::to_string(i) + ".txt", "w1\nw2\nw3\n") + "\"\n";
    EXPECT_EQ(0, parser->LoadScript(dir.Write("Start.txt", start).c_str()));
    ASSERT_EQ(10u, messages.Count());
    EXPECT_EQ("CParser::ScanScript :  undefine string 'w1'.\n\n 2 more like this in '" + dir.Path("F0.txt") + "'.",
              messages.Texts()[0]);
    EXPECT_EQ(0, parser->warningBudget);
}

TEST_F(ParserTest, ItemsWithoutReaderAreReportedAndSkipped)
{
    ScriptDir dir("parser_unsupported");
    const std::string start = dir.Write(
        "Start.txt", std::string(VARIABLES_SECTION) +
                         "MeshContainer [ MeshCount: 10 Inner: [ 1 2 ] ]\n"
                         "Variables: { A 1 };\n"
                         "UNIT LABEL : Parent {\n  Glowing: { GlowLevel: 2 };\n  MESH x\n};\n"
                         "Variables: { B 2 };\n"
                         "NATION Blue { Color: FF0000FF };\n"
                         "Variables: { C 3 };\n");
    EXPECT_EQ(0, parser->LoadScript(start.c_str()));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CParser::ScanScript :  'MeshContainer' can't be read yet: skipped.\n\n 2 more like this in '" +
                  start + "'.",
              messages.Texts()[0]);
    EXPECT_EQ(1, IntVariable("A"));
    EXPECT_EQ(2, IntVariable("B"));
    EXPECT_EQ(3, IntVariable("C"));
}

TEST_F(ParserTest, WorldParamsGoToTheEngine)
{
    ScriptDir dir("parser_world");
    const std::string start = dir.Write(
        "Start.txt", "WorldParams [ SeaLevel: 3 StepY: 0.5 ]\nVariables [ ScriptVarCapacity: [ R: 1 W: 1 ] ]\n");
    CEngine* const oldEngine = gEngine;
    gEngine = nullptr;
    EXPECT_EQ(0, parser->LoadScript(start.c_str()));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CParser::ScanScript :  'WorldParams' can't be read yet: skipped.", messages.Texts()[0]);
    EXPECT_EQ(1, parser->variables.recordCapacity) << "the next section is read";

    messages.Clear();
    auto engine = std::make_unique<CEngine>();
    gEngine = engine.get();
    EXPECT_EQ(0, std::make_unique<CParser>()->LoadScript(start.c_str()));
    gEngine = oldEngine;
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_FLOAT_EQ(1.5f, engine->SeaHeight());
}

TEST_F(ParserTest, MissingScriptAndMissingIncludeStop)
{
    ScriptDir dir("parser_missing");
    const std::string missing = dir.Path("Nothing.txt");
    EXPECT_EQ(-1, parser->LoadScript(missing.c_str()));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CParser::ScanScript  Error:  Can't load script file '" + missing + "'", messages.Texts()[0]);

    messages.Clear();
    const std::string start = dir.Write(
        "Start.txt", "ScriptFile: \"" + missing + "\"\n" + VARIABLES_SECTION + "Bogus\n");
    EXPECT_EQ(-1, parser->LoadScript(start.c_str()));
    EXPECT_EQ(1u, messages.Count()) << "nothing after the failed include is read: " << messages.Joined();
    EXPECT_EQ(0, parser->variables.recordCapacity);
}

TEST_F(ParserTest, SelfIncludeAndCycleAreRefused)
{
    ScriptDir dir("parser_cycle");
    const std::string self = dir.Path("Self.txt");
    dir.Write("Self.txt", "ScriptFile: \"" + self + "\"\n");
    EXPECT_EQ(-1, parser->LoadScript(self.c_str()));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CParser::ScanScript  Error:  Script file '" + self + "' includes itself.", messages.Texts()[0]);

    messages.Clear();
    const std::string a = dir.Path("A.txt"), b = dir.Path("B.txt");
    dir.Write("A.txt", "ScriptFile: \"" + b + "\"\n");
    dir.Write("B.txt", "ScriptFile: \"" + a + "\"\n");
    EXPECT_EQ(-1, parser->LoadScript(a.c_str()));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CParser::ScanScript  Error:  Script file '" + a + "' includes itself.", messages.Texts()[0]);

    // The same file may be included twice in a row: only a file still open is refused.
    messages.Clear();
    const std::string twice = dir.Write(
        "Twice.txt", std::string(VARIABLES_SECTION) + "ScriptFile: \"" + dir.Write("V.txt", "") +
                         "\"\nScriptFile: \"" + dir.Path("V.txt") + "\"\n");
    EXPECT_EQ(0, parser->LoadScript(twice.c_str()));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// Scripts nest as deep as presentation files.
TEST_F(ParserTest, IncludeDepthIsLimited)
{
    ScriptDir dir("parser_depth");
    const int limit = int(MAX_FILE_NESTING);
    const auto name = [](int i) { return "F" + std::to_string(i) + ".txt"; };
    for (int i = 1; i <= limit + 8; ++i)
        dir.Write(name(i), "ScriptFile: \"" + dir.Path(name(i + 1)) + "\"\n");
    dir.Write(name(limit + 9), "");
    EXPECT_EQ(-1, parser->LoadScript(dir.Path("F1.txt").c_str()));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CParser::ScanScript  Error:  Script files are nested too deep at '" + dir.Path(name(limit + 1)) + "'.",
              messages.Texts()[0]);

    messages.Clear();
    dir.Write(name(limit), "");
    EXPECT_EQ(0, parser->LoadScript(dir.Path("F1.txt").c_str()));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// One start file pulls in at most 1024 script files, however they nest: a chain that reads
// the next file twice at every level is cut with one message, while a shared file may be
// read a thousand times.
TEST_F(ParserTest, OneStartFileReadsAtMostItsCountOfFiles)
{
    ScriptDir dir("parser_count");
    const auto name = [](int i) { return "L" + std::to_string(i) + ".txt"; };
    for (int i = 0; i < 12; ++i) {
        const std::string next = "ScriptFile: \"" + dir.Path(name(i + 1)) + "\"\n";
        dir.Write(name(i), next + next);
    }
    dir.Write(name(12), "");
    EXPECT_EQ(-1, parser->LoadScript(dir.Path(name(0)).c_str()));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CParser::ScanScript  Error:  Reading is cut at '" + dir.Path(name(12)) +
                  "': one start file pulls in more than 1024 script files.",
              messages.Texts()[0]);

    messages.Clear();
    std::string shared;
    for (int i = 0; i < 1023; ++i) shared += "ScriptFile: \"" + dir.Path("Shared.txt") + "\"\n";
    dir.Write("Shared.txt", "");
    EXPECT_EQ(0, parser->LoadScript(dir.Write("Start.txt", shared).c_str()));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ParserTest, FatalConditionInIncludeStopsTheOuterScript)
{
    ScriptDir dir("parser_fatal");
    const std::string inner = dir.Write("Inner.txt", "Unknown\nVariables: { A 1 };\nMore\n");
    const std::string start = dir.Write(
        "Start.txt", "ScriptFile: \"" + inner + "\"\n" + VARIABLES_SECTION + "Never\n");
    EXPECT_EQ(-1, parser->LoadScript(start.c_str()));
    EXPECT_EQ(1, gExitCode);
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CParser::ScanScript :  undefine string 'Unknown'.", messages.Texts()[0]);
    EXPECT_EQ("CParser::ScanVariables:  ScriptVarCapacity is not initialized.", messages.Texts()[1]);
    EXPECT_EQ(0, parser->variables.recordCapacity) << "the outer script stopped before its section";
}

TEST_F(ParserTest, FullVariablesPoolIsFatal)
{
    ScriptDir dir("parser_full");
    const std::string start = dir.Write(
        "Start.txt",
        "Variables [ ScriptVarCapacity: [ Records: 1 Words: 8 ] ]\nVariables: { A 1 B 2 };\nBogus\n");
    EXPECT_EQ(-1, parser->LoadScript(start.c_str()));
    EXPECT_EQ(1, gExitCode);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CParser::ScanVariables:  ScriptVarCapacity is exceed.", messages.Texts()[0]);
}

TEST_F(ParserTest, VariablesSectionSkipsOtherWordsAndKeepsTheFirstSizing)
{
    ScriptDir dir("parser_capacity");
    const std::string start = dir.Write(
        "Start.txt", std::string(VARIABLES_SECTION) +
                         "Variables [ Capacity: Records ScriptVarCapacity: [ R: 99 W: 99 ] Spare 12 ]\n"
                         "Variables: { Too.long.but.fine \"text\" A 0x10 };\n");
    EXPECT_EQ(0, parser->LoadScript(start.c_str()));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(10, parser->warningBudget) << "skipped words cost nothing";
    EXPECT_EQ(16, parser->variables.recordCapacity) << "the first sizing stays";
    EXPECT_EQ(16, IntVariable("A"));
}

TEST_F(ParserTest, MissionCapacitySizesThePresentationVariables)
{
    ScriptDir dir("parser_mission");
    const std::string start = dir.Write(
        "Start.txt", "Variables [ MissionVarCapacity: [ R: 5 W: 50 ] ScriptVarCapacity: [ R: 2 W: 8 ] ]\n");
    CMissionLoader* const oldLoader = gMissionLoader;
    gMissionLoader = nullptr;
    EXPECT_EQ(0, parser->LoadScript(start.c_str()));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CParser::Variables :  no presentation loader for 'MissionVarCapacity:'.", messages.Texts()[0]);
    EXPECT_EQ(2, parser->variables.recordCapacity) << "the section reads on";

    messages.Clear();
    auto loader = std::make_unique<CMissionLoader>();
    gMissionLoader = loader.get();
    EXPECT_EQ(0, std::make_unique<CParser>()->LoadScript(start.c_str()));
    gMissionLoader = oldLoader;
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(5, loader->variables.recordCapacity);
    EXPECT_EQ(50, loader->variables.valueCapacity);
    EXPECT_EQ(-3, loader->GetMissionVariable("Missing", nullptr));
}

TEST_F(ParserTest, RejectedVariablesAreSkipped)
{
    ScriptDir dir("parser_rejected");
    const std::string start = dir.Write(
        "Start.txt", "Variables [ ScriptVarCapacity: [ Records: 8 Words: 4 ] ]\n"
                     "Variables: {\n  " + std::string(59, 'n') + " [ 1 2 ]\n  Big [ 1 2 3 4 5 ]\n  A 1\n};\n");
    EXPECT_EQ(0, parser->LoadScript(start.c_str()));
    EXPECT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ(0, gExitCode);
    EXPECT_EQ(1, IntVariable("A"));
}

// The sample is read by the program's own start-up, with every manager in place.
TEST(SampleScripts, StartScriptLoadsWithoutMessages)
{
    test::MessageRecorder messages;
    test::Program program;
    ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
    ASSERT_NE(nullptr, gIParser);
    float night[4] = {};
    EXPECT_EQ(4, gIParser->GetVariable("NightColor", night, 4));
    EXPECT_FLOAT_EQ(0.5f, night[2]);
    EXPECT_EQ(0, gIParser->GetVariable("NightClearColor", nullptr));
    ASSERT_NE(nullptr, gMissionLoader);
    EXPECT_GT(gMissionLoader->variables.valueCapacity, 0);
    program.Stop();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
