// The presentation list, presentation files with their sections and includes, and the
// two-phase start through the engine frame.

#include "tests/missions/MissionFixture.h"

#include "core/Core.h"
#include "engine/Engine.h"
#include "engine/Nations.h"
#include "engine/Parser.h"
#include "scene/Camera.h"

#include <cstring>

namespace missiontest {
namespace {

int gCallbackCalls = 0;
bool gCameraAtCallback = false;

void CountStart(int)
{
    ++gCallbackCalls;
    gCameraAtCallback = gIUnitInspector->GetCamera() != nullptr;
}

// Knows the one user class "CMyThing" and makes it from the script class it is given.
CAtom* MakeThing(CClassTemplate* scriptClass, const char* userClass)
{
    if (strcmp(userClass, "CMyThing") != 0) return nullptr;
    CAtom* unit = new CAtom;
    unit->classTemplate = scriptClass;
    unit = gUnitInspector->AddCreatedUnit(unit, nullptr);
    if (unit) unit->SetName(userClass);
    return unit;
}

class ListTest : public MissionTest {};
class FileTest : public MissionTest {};
class StartTest : public MissionTest {
protected:
    void SetUp() override
    {
        MissionTest::SetUp();
        gCallbackCalls = 0;
        gCameraAtCallback = false;
        gIMissionLoader->SetStartCallback(CountStart);
    }
};

std::vector<CMission*>& Missions()
{
    std::vector<CMission*>* list = nullptr;
    gIMissionLoader->GetMissionList(&list);
    return *list;
}

TEST_F(ListTest, EntriesKeepTheirTitlesInFileOrderAndOtherWordsAreIgnored)
{
    const std::string path = Write("List.txt",
                                   "// the sample list\n"
                                   "mission: \"Presentations\\First.txt\" colour: red\n"
                                   "title: \"The first complex\"\n"
                                   "Mission: Second.txt title: Second\n");
    ASSERT_EQ(0, gIMissionLoader->LoadMissionList(path.c_str()));
    ASSERT_EQ(2u, Missions().size());
    EXPECT_EQ("Presentations\\First.txt", Missions()[0]->file);
    EXPECT_EQ("The first complex", Missions()[0]->title);
    EXPECT_EQ("Second.txt", Missions()[1]->file);
    EXPECT_EQ("Second", Missions()[1]->title);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ListTest, ATitleBeforeAnyMissionIsIgnoredWithAWarning)
{
    const std::string path = Write("List.txt", "title: \"Orphan\" mission: A.txt title: \"A\"");
    ASSERT_EQ(0, gIMissionLoader->LoadMissionList(path.c_str()));
    ASSERT_EQ(1u, Missions().size());
    EXPECT_EQ("A", Missions()[0]->title);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_TRUE(messages.Contains("title 'Orphan' before any mission")) << messages.Joined();
}

TEST_F(ListTest, AMissingListIsMinusOneWithoutAMessage)
{
    EXPECT_EQ(-1, gIMissionLoader->LoadMissionList((dir + "\\NoList.txt").c_str()));
    EXPECT_TRUE(Missions().empty());
    EXPECT_EQ(0u, messages.Count());
}

TEST_F(FileTest, AnIncludedFileIsReadInPlaceRelativeToTheIncludingFile)
{
    CreateDirectoryA((dir + "\\Parts").c_str(), nullptr);
    Write("Parts\\Inner.txt", "Variables: { FromInner 7 };\nUnits: { Marker { name: \"Inner\" }; };\n");
    const std::string outer = Write("Outer.txt",
                                    "Units: { Marker { name: \"First\" }; };\n"
                                    "MissionFile: \"Parts\\Inner.txt\"\n"
                                    "Units: { Marker { name: \"Last\" }; };\n"
                                    "Variables: { FromOuter 3 };\n");
    ASSERT_EQ(0, StartAndProcess(outer));
    EXPECT_EQ((std::vector<std::string>{"First", "Inner", "Last"}), UnitNames());
    int32_t value = 0;
    EXPECT_EQ(0, gIMissionLoader->GetMissionVariable("FromInner", &value));
    EXPECT_EQ(7, value);
    EXPECT_EQ(0, gIMissionLoader->GetMissionVariable("FromOuter", &value));
    EXPECT_EQ(3, value);
    EXPECT_TRUE(Problems().empty()) << messages.Joined();
    EXPECT_TRUE(gMissionLoader->fileStack.Empty());
}

TEST_F(FileTest, AnIncludeCycleIsRefusedAndTheStartGoesOn)
{
    Write("B.txt", "MissionFile: \"A.txt\"\nUnits: { Marker { name: \"B\" }; };\n");
    const std::string a = Write("A.txt", "MissionFile: \"A.txt\"\nMissionFile: \"B.txt\"\n"
                                         "Units: { Marker { name: \"A\" }; };\n");
    ASSERT_EQ(0, StartAndProcess(a));
    EXPECT_EQ((std::vector<std::string>{"B", "A"}), UnitNames());
    const std::vector<std::string> problems = Problems();
    ASSERT_EQ(2u, problems.size()) << messages.Joined();
    EXPECT_NE(std::string::npos, problems[0].find("A.txt' includes itself."));
    EXPECT_NE(std::string::npos, problems[1].find("A.txt' includes itself."));
}

TEST_F(FileTest, IncludesNestedDeeperThanTheStackHoldsAreRefused)
{
    const int files = int(MAX_FILE_NESTING) + 2;
    for (int i = 1; i < files; ++i)
        Write("Level" + std::to_string(i) + ".txt", "MissionFile: \"Level" + std::to_string(i + 1) + ".txt\"\n");
    Write("Level" + std::to_string(files) + ".txt", "Units: { Marker };\n");
    ASSERT_EQ(0, StartAndProcess(dir + "\\Level1.txt"));
    EXPECT_EQ(0, UnitCount());  // the innermost file was never read
    ASSERT_EQ(1u, Problems().size()) << messages.Joined();
    EXPECT_EQ(0u, Problems()[0].rfind("CMissionLoader::LoadMission error:  mission files are nested too deep at '", 0));
    EXPECT_NE(std::string::npos, Problems()[0].find("Level" + std::to_string(MAX_FILE_NESTING + 1) + ".txt'."));
    EXPECT_TRUE(gMissionLoader->fileStack.Empty());
}

// One presentation pulls in at most 1024 files, however they nest: a chain that reads the
// next file twice at every level is cut with one warning, and the presentation starts with
// what was read and what follows the cut.
TEST_F(FileTest, APresentationReadsAtMostItsCountOfFiles)
{
    for (int i = 0; i < 12; ++i) {
        const std::string next = "MissionFile: \"L" + std::to_string(i + 1) + ".txt\"\n";
        Write("L" + std::to_string(i) + ".txt", next + next + (i == 0 ? "Units: { Marker };\n" : ""));
    }
    Write("L12.txt", "");
    ASSERT_EQ(0, StartAndProcess(dir + "\\L0.txt"));
    EXPECT_TRUE(gMissionLoader->Running());
    EXPECT_EQ(1, UnitCount());
    ASSERT_EQ(1u, Problems().size()) << messages.Joined();
    EXPECT_EQ("CMissionLoader::LoadMission error:  reading is cut at '" + dir + "\\L12.txt': one presentation "
              "pulls in more than 1024 mission files.",
              Problems()[0]);
    EXPECT_TRUE(gMissionLoader->fileStack.Empty());
}

// A recorded failure as the file's last item decides nothing, whatever follows it.
TEST_F(FileTest, TheResultDoesNotDependOnTheFileEnding)
{
    for (const char* ending : {"", "\n", "   \r\n\n"}) {
        SCOPED_TRACE(std::string("ending of ") + std::to_string(strlen(ending)) + " characters");
        messages.Clear();
        const std::string path =
            Write("Ending.txt", std::string("Units: { Marker };\nMissionFile: \"Missing.txt\"") + ending);
        EXPECT_EQ(0, StartAndProcess(path));
        EXPECT_TRUE(gMissionLoader->Running());
        EXPECT_EQ(1, UnitCount());
        EXPECT_TRUE(messages.Contains("can`t open file")) << messages.Joined();

        messages.Clear();
        EXPECT_EQ(0, StartAndProcess(Write("Cut.txt", std::string("Units: { Marker") + ending)));
        EXPECT_EQ(1, UnitCount());
        EXPECT_TRUE(Problems().empty()) << messages.Joined();
    }
}

TEST_F(FileTest, UnknownWordsAndSectionsNotReadYetAreWarnedAndReadingGoesOn)
{
    const std::string path = Write("Odd.txt", "Bogus\nSceneDeclarations: { a b };\n"
                                              "Junk\n"
                                              "Animation: Spin AnimationFile: \"spin.anm\"\n"
                                              "ControlGroups: { Doors };\n"
                                              "Units: { Marker };\n");
    ASSERT_EQ(0, StartAndProcess(path));
    EXPECT_EQ(1, UnitCount());
    const std::vector<std::string> problems = Problems();
    ASSERT_EQ(3u, problems.size()) << messages.Joined();
    EXPECT_TRUE(messages.SaidWithMore(
        "CMissionLoader::LoadMission error:  undefine string 'Bogus'\n in mission file '" + path + "'.", 1));
    // The animation line goes to the animation container, which was given no room; the
    // line is read through all the same.
    EXPECT_EQ("CAnimContainer:  animation files limit is exceed.", problems[1]);
    EXPECT_EQ(0u, problems[2].rfind("CMissionLoader::ScanActivateControlGroups Error:", 0));
}

// No "MapContainer" section sized the maps: the map does not fit and nothing starts.
TEST_F(FileTest, AMapBeyondTheMapCountStopsThePresentation)
{
    EXPECT_EQ(-1, StartAndProcess(Write("Map.txt", "Map: { size: 64x64 };\nUnits: { Marker };\n")));
    EXPECT_FALSE(gMissionLoader->Running());
    EXPECT_EQ(0, UnitCount());
    EXPECT_TRUE(messages.Contains("CMapContainer:  map count limit is exceed.")) << messages.Joined();
    EXPECT_EQ(1, gExitCode);
    gExitCode = 0;
}

TEST_F(FileTest, ABlockBeforeAnyUnitIsSkippedWithAWarning)
{
    const std::string path = Write("Block.txt", "Units: { { name: \"Nobody\" }; Marker { name: \"M\" }; };");
    ASSERT_EQ(0, StartAndProcess(path));
    EXPECT_EQ((std::vector<std::string>{"M"}), UnitNames());
    ASSERT_EQ(1u, Problems().size()) << messages.Joined();
    EXPECT_EQ("CMissionLoader::ScanUnits :   a block before any unit is skipped.", Problems()[0]);
}

TEST_F(FileTest, AnUnknownKeyInAUnitBlockIsWarnedAndTheBlockSkipped)
{
    const std::string path = Write("Key.txt", "Units: { Marker { wings: 2 name: \"X\" }; Marker };");
    ASSERT_EQ(0, StartAndProcess(path));
    EXPECT_EQ((std::vector<std::string>{"Marker", "Marker"}), UnitNames());
    ASSERT_EQ(1u, Problems().size()) << messages.Joined();
    EXPECT_EQ("CMissionLoader::ScanUnits :   can`t scan string 'wings:' for Unit 'Marker'.", Problems()[0]);
}

// A unit's block with a word its unit does not know, attached by another unit's start
// actions or placed on its own: the word is said once, the rest of the block is read
// through to its end, the unit keeps what it read before it, and all that follows is made.
TEST_F(FileTest, AnAttachedUnitsBlockWithAnUnknownWordIsReadAsAPlacedUnitsBlock)
{
    const struct {
        const char* block;  // between the unit's "{" and its "};"
        const char* word;   // the word not known
        const char* name;   // the unit's name when it is kept
        float height;       // its Pos y
    } cases[] = {
        {"name:\"Porch\" pos: [ 0 6 0 ]", "name:\"Porch\"", "Lamp", 0.0f},        // a key glued to its value
        {"name: /*c*/\"Porch\" pos: [ 0 6 0 ]", "Porch\"", "/*c*/", 0.0f},         // a comment glued to it
        {"name: \"Porch\" pos: [ 0 6 0 ] wings: 2 pos: [ 0 8 0 ]", "wings:", "Porch", 6.0f},
        {"name: \"Porch\" wings: { tip: \"}; {\" }; pos: [ 0 6 0 ]", "wings:", "Porch", 0.0f},  // a block value
        {"name: \"Porch\" { pos: [ 0 6 0 ] }; pos: [ 0 8 0 ]", "{", "Porch", 0.0f},                // a stray block
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        // A fresh engine for each: units are listed in the order they were made.
        TearDown();
        messages.Clear();
        gWarningBudget = 4;
        SetUp();
        ASSERT_EQ(0, gIParser->LoadScript(Write("Lamps.txt", "GEOMETRY Site { };\nGEOMETRY Lamp { };\n").c_str()));
        const std::string path =
            Write("Attach.txt", std::string("Units: {\n Site { name: \"Host\" start_actions: {\n") +
                                    "  create_attach: { Lamp { " + c.block + " }; };\n"
                                    "  create_attach: { Lamp { name: \"Gate\" pos: [ 0 12 0 ] }; }; };\n };\n"
                                    " Lamp { " + c.block + " };\n Marker { name: \"After\" };\n};\n");
        ASSERT_EQ(0, StartAndProcess(path)) << messages.Joined();
        EXPECT_EQ((std::vector<std::string>{"Host", c.name, "Gate", c.name, "After"}), UnitNames());
        const std::string said = std::string(" :   can`t scan string '") + c.word + "' for Unit '" + c.name + "'.";
        EXPECT_EQ((std::vector<std::string>{"CAtom::CreateAttachInMission" + said, "CMissionLoader::ScanUnits" + said}),
                  Problems());
        std::vector<CAtom*> lamps;
        gIUnitInspector->CollectUnitsOfClass(lamps, "Lamp");
        ASSERT_EQ(3u, lamps.size());
        CAtom* host = gUnitInspector->UnitAt(1);
        const float heights[] = {c.height, 12.0f, c.height};
        for (int i = 0; i < 3; ++i) EXPECT_EQ(heights[i], lamps[i]->Pos.y) << lamps[i]->name;
        EXPECT_EQ(lamps[0], host->GetSlave(0));
        EXPECT_EQ(lamps[1], host->GetSlave(1));
        EXPECT_EQ(nullptr, host->GetSlave(2));
        EXPECT_EQ(nullptr, lamps[2]->master);
    }
}

TEST_F(FileTest, FullVariablesEndTheProgram)
{
    std::string text = "Variables: {";
    for (int i = 0; i < 17; ++i) text += " V" + std::to_string(i) + " 1";
    text += " };";
    EXPECT_EQ(-1, gMissionLoader->LoadMission(Write("Vars.txt", text).c_str()));
    EXPECT_EQ(1, gExitCode);
    EXPECT_TRUE(messages.Contains("CMissionLoader::ScanVariables:  MissionVarCapacity is exceed."));
}

TEST_F(FileTest, UserClassesNeedTheirScriptClassAfterTheArrows)
{
    gIUnitInspector->SetUserClassFactory(MakeThing);
    EXPECT_EQ(0, gMissionLoader->LoadMission(Write("Good.txt", "Units: { CMyThing >> Marker };").c_str()));
    EXPECT_EQ((std::vector<std::string>{"CMyThing"}), UnitNames());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();

    EXPECT_EQ(-2, gMissionLoader->LoadMission(Write("NoArrows.txt", "Units: { CMyThing Marker };").c_str()));
    EXPECT_EQ(-3, gMissionLoader->LoadMission(Write("NoClass.txt", "Units: { CMyThing >> Nothing };").c_str()));
    EXPECT_EQ(-1, gMissionLoader->LoadMission(Write("NotMade.txt", "Units: { CMyHouse >> Marker };").c_str()));
    ASSERT_EQ(3u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CMissionLoader::ScanUnits Error:   Not found class 'CMyThing'.\n\n"
              "May be you are declaring a user class. And you must specify a script class for your class"
              "\nby use '>>' keyword.\nFor example:  CMyClass >> StaticUnit",
              messages.Texts()[0]);
    EXPECT_EQ("CMissionLoader::ScanUnits :\n\n   For user class 'CMyThing' can`t find script cass 'Nothing'.",
              messages.Texts()[1]);
    EXPECT_EQ(0u, messages.Texts()[2].rfind("CMissionLoader::ScanUnits :   user class 'CMyHouse' not created.", 0));
}

TEST_F(StartTest, NothingChangesUntilTheNextFrameThenTheCallbackRunsOnceWithTheCamera)
{
    const std::string path = Write("Scene.txt", "Units: { Marker Camera };");
    ASSERT_EQ(0, gIMissionLoader->StartMission(path));
    EXPECT_TRUE(gMissionLoader->HasPending());
    EXPECT_FALSE(gMissionLoader->Running());
    EXPECT_EQ(0, UnitCount());
    EXPECT_EQ(0, gCallbackCalls);

    ASSERT_EQ(0, gIEngine->Process()) << messages.Joined();
    EXPECT_TRUE(gMissionLoader->Running());
    EXPECT_FALSE(gMissionLoader->HasPending());
    EXPECT_EQ(1, gCallbackCalls);
    EXPECT_TRUE(gCameraAtCallback);
    EXPECT_EQ(2, UnitCount());

    ASSERT_EQ(0, gIEngine->Process());
    EXPECT_EQ(1, gCallbackCalls);
    EXPECT_EQ((std::vector<std::string>{NO_GAMER_NATION}), messages.Texts());
}

TEST_F(StartTest, AFailingUnitSectionLeavesNothingStartedAndALaterStartRecovers)
{
    const std::string bad = Write("Bad.txt", "Units: { Camera Marker Gargoyle Marker };");
    EXPECT_EQ(-1, StartAndProcess(bad));
    EXPECT_FALSE(gMissionLoader->Running());
    EXPECT_EQ(0, gCallbackCalls);
    EXPECT_EQ(0, UnitCount());
    EXPECT_EQ(nullptr, gIUnitInspector->GetCamera());
    EXPECT_EQ(-1, gIEngine->Process());
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CMissionLoader::ScanUnits :   can`t find UNIT 'Gargoyle'.\nOr undefine string.", messages.Texts()[0]);

    EXPECT_EQ(0, StartAndProcess(Write("Good.txt", "Units: { Camera };")));
    EXPECT_TRUE(gMissionLoader->Running());
    EXPECT_EQ(1, gCallbackCalls);
    EXPECT_EQ(1, UnitCount());
}

TEST_F(StartTest, AnEmptyPathIsRefusedAndTheRunningPresentationStays)
{
    ASSERT_EQ(0, StartAndProcess(Write("Scene.txt", "Units: { Marker { name: \"Kept\" }; };")));
    messages.Clear();
    EXPECT_EQ(-1, gIMissionLoader->StartMission(""));
    EXPECT_EQ(0, gIEngine->Process());
    EXPECT_TRUE(gMissionLoader->Running());
    EXPECT_EQ((std::vector<std::string>{"Kept"}), UnitNames());
    EXPECT_EQ(1, gCallbackCalls);
    EXPECT_EQ((std::vector<std::string>{"CMissionLoader::StartMission :  mission path is empty."}), messages.Texts());
}

TEST_F(StartTest, ANewStartEndsTheRunningPresentationInsideTheNextFrame)
{
    ASSERT_EQ(0, StartAndProcess(Write("One.txt", "Units: { Marker { name: \"One\" }; };\nVariables: { Only 1 };")));
    gIMissionLoader->StartMission(Write("Two.txt", "Units: { Marker { name: \"Two\" }; };"));
    EXPECT_EQ((std::vector<std::string>{"One"}), UnitNames());
    ASSERT_EQ(0, gIEngine->Process());
    EXPECT_EQ((std::vector<std::string>{"Two"}), UnitNames());
    EXPECT_EQ(-3, gIMissionLoader->GetMissionVariable("Only", nullptr));
    EXPECT_EQ(2, gCallbackCalls);
}

// A relative path is taken from the program folder; an absolute one as it stands.
TEST_F(StartTest, OnlyRelativePathsAreMadeFullAgainstTheProgramFolder)
{
    const std::string saved = gBaseDir;
    StrCopy(gBaseDir, sizeof gBaseDir, (dir + "\\").c_str());
    Write("Relative.txt", "Units: { Marker { name: \"Rel\" }; };");
    EXPECT_EQ(0, StartAndProcess("Relative.txt"));
    EXPECT_EQ((std::vector<std::string>{"Rel"}), UnitNames());
    EXPECT_EQ(0, StartAndProcess(Write("Absolute.txt", "Units: { Marker { name: \"Abs\" }; };")));
    EXPECT_EQ((std::vector<std::string>{"Abs"}), UnitNames());
    StrCopy(gBaseDir, sizeof gBaseDir, saved.c_str());
    EXPECT_TRUE(Problems().empty()) << messages.Joined();
}

TEST_F(StartTest, WithAGamerNationTheStartIsQuietAndUnitsTakeTheNationBeforeThem)
{
    const std::string script = Write("Nations.txt", "Nations [ NationCount: 3 ]\n"
                                                    "NATION \"Viewer\" { };\nNATION \"Other\" { blabla };\n"
                                                    "GamerNation: \"Viewer\"\n");
    ASSERT_EQ(0, gIParser->LoadScript(script.c_str()));
    ASSERT_NE(nullptr, gNations->gamerNation);
    EXPECT_EQ(2u, gNations->FindNation("Other")->mask);
    const std::string path = Write("Sides.txt", "Units: { Marker nation: \"Other\" Marker Marker\n"
                                                "nation: \"Nobody\" Marker };");
    ASSERT_EQ(0, StartAndProcess(path));
    std::vector<CAtom*> markers;
    gIUnitInspector->CollectUnitsOfClass(markers, "Marker");
    ASSERT_EQ(4u, markers.size());
    CNation* other = gNations->FindNation("Other");
    EXPECT_EQ(nullptr, markers[0]->nation);
    EXPECT_EQ(other, markers[1]->nation);
    EXPECT_EQ(other, markers[2]->nation);
    EXPECT_EQ(nullptr, markers[3]->nation);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(StartTest, NationsBeyondTheirCountEndTheProgram)
{
    const std::string script = Write("Nations.txt", "Nations [ NationCount: 2 ]\n"
                                                    "NATION \"A\" { wings };\nNATION \"B\" { };\n");
    EXPECT_NE(0, gIParser->LoadScript(script.c_str()));
    EXPECT_EQ(1, gExitCode);
    EXPECT_EQ((std::vector<std::string>{"For nation 'A' undefined string 'wings'.", "Nations:  nations limit is exceed."}),
              messages.Texts());
}

// The vtable entry of a virtual operation: this compiler's member pointer holds 1 + the
// entry's byte offset. The destructor takes two entries where the interface counts one slot,
// so the operation in slot n sits at entry n.
template <class Member>
ptrdiff_t VtableEntry(Member member)
{
    struct {
        ptrdiff_t pointer, adjust;
    } raw;
    static_assert(sizeof raw == sizeof member, "a two-word member pointer");
    memcpy(&raw, &member, sizeof raw);
    return (raw.pointer - 1) / ptrdiff_t(sizeof(void*));
}

// Callers built against the interface call by slot: the listed order is fixed.
TEST(LoaderInterface, OperationsKeepTheirSlots)
{
    using Get = int (IMissionLoader::*)(const char*, void*);
    using GetSized = int (IMissionLoader::*)(const char*, void*, int);
    EXPECT_EQ(2, VtableEntry(&IMissionLoader::LoadMissionList));
    EXPECT_EQ(3, VtableEntry(&IMissionLoader::GetMissionList));
    EXPECT_EQ(4, VtableEntry(&IMissionLoader::StartMission));
    EXPECT_EQ(5, VtableEntry(&IMissionLoader::EndMission));
    EXPECT_EQ(6, VtableEntry(&IMissionLoader::GetGameMap));
    EXPECT_EQ(7, VtableEntry(Get(&IMissionLoader::GetMissionVariable)));
    EXPECT_EQ(8, VtableEntry(&IMissionLoader::SetStartCallback));
    EXPECT_LT(8, VtableEntry(GetSized(&IMissionLoader::GetMissionVariable)));
}

} // namespace
} // namespace missiontest
