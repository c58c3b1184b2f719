// Start actions that make units: a unit made by one runs its own class's start actions
// before it is attached, so only the chain of classes being made tells a loop.

#include "tests/units/UnitFixture.h"

#include "core/Scanner.h"

#include <string>
#include <utility>
#include <vector>

namespace {

using scripts::TextFile;
using units::NextWord;
using units::UnitTest;

int Units()
{
    int units = 0;
    for (int i = 1; i <= gUnitInspector->UnitBound(); ++i) units += gUnitInspector->UnitAt(i) != nullptr;
    return units;
}

// The unit and the units that hang on it, each with at most eight slaves.
int Tree(const CAtom* unit)
{
    int units = 1;
    for (int i = 0; unit->GetSlave(i); ++i) units += Tree(unit->GetSlave(i));
    EXPECT_EQ(nullptr, unit->GetSlave(8));
    return units;
}

// Classes prefix00, which makes nothing, to prefix<classes - 1>, each making acts units of the
// class before it.
std::string Chain(const std::string& prefix, int classes, int acts)
{
    const auto name = [&prefix](int i) { return prefix + (i < 10 ? "0" : "") + std::to_string(i); };
    std::string script = "ATOM " + name(0) + " { };\n";
    for (int i = 1; i < classes; ++i) {
        std::string list;
        for (int k = 0; k < acts; ++k) list += "CreateAttach ( " + name(i - 1) + " Pos: [ 1 2 3 ] ) ";
        script += "ATOM " + name(i) + " { StartActions: { " + list + "}; };\n";
    }
    return script;
}

// A class that makes itself, a cycle of two (closed by hand: a script names only classes
// read before) and a chain of twenty classes each making the one before, placed twice each:
// by the registry, or by a presentation unit's own start actions.
TEST_F(UnitTest, StartActionsMakeNoClassAlreadyBeingMadeAndNestABoundedDepth)
{
    std::string script = "UnitInspector [ UnitCount: 96 TemplateCount: 32 UnitAttaches: 96 ]\n"
                         "ATOM Tower { StartActions: { CreateAttach ( Tower ) }; };\n"
                         "ATOM Keep { };\n"
                         "ATOM Gate { StartActions: { CreateAttach ( Keep ) }; };\n"
                         "GEOMETRY Site { };\n"
                         "ATOM C1 { };\n";
    for (int i = 2; i <= 20; ++i)
        script += "ATOM C" + std::to_string(i) + " { StartActions: { CreateAttach ( C" + std::to_string(i - 1) +
                  " ) }; };\n";
    ASSERT_EQ(0, LoadScript(script)) << messages.Joined();
    const D3DXVECTOR4 origin(0, 0, 0, 1);
    ASSERT_NE(nullptr, gUnitInspector->GetClassTemplate("Keep")->AddStartAct(
                           START_ACT_ATTACH, 0, 0, gUnitInspector->GetClassTemplate("Gate"), &origin));
    const std::string warning = "CClassTemplate::ApplyStartActs  Warning:  class '";
    const struct {
        const char* placed;
        bool presentation;
        int units;  // for each placement
        std::string said;
    } cases[] = {
        {"Tower", false, 1,
         warning + "Tower' names start action class 'Tower', which is already being made on its chain: no unit is "
                   "made."},
        {"Keep", false, 2,
         warning + "Gate' names start action class 'Keep', which is already being made on its chain: no unit is made."},
        {"C20", true, 1 + 17,
         warning + "C4' names start action class 'C3', which would be made more than 16 start actions deep: no unit is "
                   "made."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.placed);
        messages.Clear();
        const int before = Units();
        CAtom* first = nullptr;
        for (int i = 0; i < 2; ++i) {
            CAtom* unit = gUnitInspector->CreateUnit(c.presentation ? "Site" : c.placed, nullptr);
            ASSERT_NE(nullptr, unit) << messages.Joined();
            if (!first) first = unit;
            if (!c.presentation) continue;
            TextFile file("start_actions", std::string("{ create_attach: { ") + c.placed + " }; };");
            EXPECT_EQ(0, unit->ScanMissionData(file, "start_actions:"));
        }
        EXPECT_EQ(before + 2 * c.units, Units()) << messages.Joined();
        ASSERT_EQ(1u, messages.Count()) << "said once, " << messages.Joined();
        EXPECT_EQ(c.said, messages.Texts()[0]);
        // Every unit made hangs on the one that made it.
        int chain = 1;
        for (const CAtom* unit = first; unit->GetSlave(0); unit = unit->GetSlave(0), ++chain)
            EXPECT_EQ(unit, unit->GetSlave(0)->master);
        EXPECT_EQ(c.units, chain);
        // The pools have room left.
        EXPECT_EQ(0, first->AttachUnit(gUnitInspector->CreateUnit("C1", nullptr), NOT_ATTACHED));
    }
}

// A fan: each class makes eight units of the class before it, seventeen classes deep. Once an
// attach fails the unit goes with all it made and the pools have room again, so a making that
// went on would throw away and make again the same subtrees (8^16 units). The chain keeps the
// records its units will attach with, so it fills the attach pool and stops; with an attach
// pool that does not run out the unit pool is what fills, as ever.
TEST_F(UnitTest, AFanOfStartActionsMakesNoMoreThanThePoolsHold)
{
    const std::string classes = Chain("Fan", 17, 8);
    const struct {
        int attaches;
        int units;  // the placed one included
        const char* said;
    } cases[] = {
        {256, 1 + 256,
         "CClassTemplate::ApplyStartActs  Warning:  For UnitInspector UnitAttaches limit is exceeded: class 'Fan01' "
         "makes no unit of start action class 'Fan00', nor any more for its chain."},
        {16384, 1023, "CUnitInspector::AddCreatedUnit :  UnitCount limit is exceed."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attaches);
        TearDown();
        SetUp();
        messages.Clear();
        ASSERT_EQ(0, LoadScript("UnitInspector [ UnitCount: 1024 TemplateCount: 32 UnitAttaches: " +
                                std::to_string(c.attaches) + " ]\n" + classes))
            << messages.Joined();
        CAtom* fan = gUnitInspector->CreateUnit("Fan16", nullptr);
        ASSERT_NE(nullptr, fan) << messages.Joined();
        EXPECT_EQ(c.units, Units());
        ASSERT_EQ(1u, messages.Count()) << messages.Joined();
        EXPECT_EQ(c.said, messages.Texts()[0]);
        // Every unit made hangs on the placed unit, eight to a unit at most.
        EXPECT_EQ(Units(), Tree(fan));
    }
}

// A unit a presentation attaches runs its start actions before its own attach: their chain
// keeps that record too, so the placed unit is kept with every unit the chain made.
TEST_F(UnitTest, AUnitAPresentationAttachesIsKeptWithAllItsStartActionsMade)
{
    const std::string limit = "CClassTemplate::ApplyStartActs  Warning:  For UnitInspector UnitAttaches limit is "
                              "exceeded: class '";
    const struct {
        std::string classes;
        const char* placed;
        int attaches;
        int units;  // the host included
        std::string said;
    } cases[] = {
        {Chain("Link", 17, 1), "Link16", 16, 1 + 16,
         limit + "Link01' makes no unit of start action class 'Link00', nor any more for its chain."},
        {Chain("Link", 17, 1), "Link16", 17, 1 + 17, ""},  // a record for every unit: nothing said
        {Chain("Fan", 17, 8), "Fan16", 256, 1 + 256,
         limit + "Fan01' makes no unit of start action class 'Fan00', nor any more for its chain."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.placed + (" with " + std::to_string(c.attaches)));
        TearDown();
        SetUp();
        messages.Clear();
        ASSERT_EQ(0, LoadScript("UnitInspector [ UnitCount: 1024 TemplateCount: 32 UnitAttaches: " +
                                std::to_string(c.attaches) + " ]\nGEOMETRY Site { };\n" + c.classes))
            << messages.Joined();
        CAtom* site = gUnitInspector->CreateUnit("Site", nullptr);
        ASSERT_NE(nullptr, site);
        TextFile file("placed", std::string("{ create_attach: { ") + c.placed + " }; };");
        EXPECT_EQ(0, site->ScanMissionData(file, "start_actions:"));
        EXPECT_EQ(c.units, Units()) << messages.Joined();
        EXPECT_EQ(gUnitInspector->UnitBound(), Units()) << "units made";
        const CAtom* placed = site->FindSlaveByClass(c.placed);
        EXPECT_EQ(Units() - 1, placed ? Tree(placed) : 0);
        EXPECT_EQ(c.said.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.said}, messages.Texts());
    }
}

// Units attached inside attached units' own blocks of a presentation nest at most 16 deep:
// the deeper ones are read through with their block, so what follows is read as ever.
TEST_F(UnitTest, AttachesInAPresentationNestABoundedDepth)
{
    ASSERT_EQ(0, LoadScript("UnitInspector [ UnitCount: 96 TemplateCount: 8 UnitAttaches: 96 ]\n"
                            "GEOMETRY Site { };\nATOM Post { };\n"))
        << messages.Joined();
    std::string nest;
    for (int i = 0; i < 40; ++i) nest = "create_attach: { Site { start_actions: { " + nest + "}; }; };\n";
    CAtom* site = gUnitInspector->CreateUnit("Site", nullptr);
    ASSERT_NE(nullptr, site);
    TextFile file("nest", "{ " + nest + "create_attach: { Post }; };");
    EXPECT_EQ(0, site->ScanMissionData(file, "start_actions:"));
    EXPECT_EQ(1 + 16 + 1, Units());
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CAtom::CreateAttachInMission Error.\n\n   Attached units nest more than 16 deep at class 'Site': its "
              "block is skipped.",
              messages.Texts()[0]);
    EXPECT_NE(nullptr, site->FindSlaveByClass("Post"));
}

// A unit that is not made, its class unknown or the attach pool full, has its block read
// through with the blocks nested in it, so the reader keeps its place: what follows is read
// as written (blocks holding quoted text: below).
TEST_F(UnitTest, TheBlockOfAnAttachedUnitNotMadeIsReadThroughWhole)
{
    const char* const notFound = "CAtom::CreateAttachInMission Error.\n\n   Not found class template 'Nowhere'.";
    const char* const acts = "start_actions: { create_attach: { Post }; }; ";
    const struct {
        const char* cls;
        int attaches;
        int made;  // the trailing attach: made when the pool takes it
        const char* said;
    } cases[] = {
        {"Nowhere", 16, 1, notFound},
        {"Post", 0, 0, "CAtom::AttachUnit:  For UnitInspector UnitAttaches limit is exceeded."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cls);
        TearDown();
        SetUp();
        ASSERT_EQ(0, LoadScript("UnitInspector [ UnitCount: 16 TemplateCount: 8 UnitAttaches: " +
                                std::to_string(c.attaches) + " ]\nGEOMETRY Site { };\nATOM Post { };\n"))
            << messages.Joined();
        CAtom* site = gUnitInspector->CreateUnit("Site", nullptr);
        ASSERT_NE(nullptr, site);
        messages.Clear();
        TextFile file("refused", std::string("{ create_attach: { ") + c.cls + " { " + acts + "}; };\n" +
                                     "create_attach: { Post }; };\nnext");
        site->ScanMissionData(file, "start_actions:");
        char word[Core::WORD_BUFFER_SIZE];
        Core::fscan_word(file, word);
        EXPECT_STREQ("next", word);
        EXPECT_EQ(1 + c.made, Units());
        EXPECT_EQ(c.made ? site->GetSlave(0) : nullptr, site->FindSlaveByClass("Post"));
        ASSERT_LE(1u, messages.Count());
        EXPECT_EQ(c.said, messages.Texts()[0]);
    }
}

// A block read through unread ends where the same block read ends, so what follows it is read
// as written. Each block is read twice in three places: as the block of a unit attached in a
// presentation (its class known, or unknown: skipped), as a "TEXT3D" class block (its unit
// made, or of a type that cannot be made: skipped), and as a "TEXT3D" class of a script (read,
// or skipped by the script reader without a registry). Blocks are written as a presentation
// writes them; a class block spells the keys as below. A quote never closed takes the rest of
// the file with it.
const std::pair<std::string, std::string> CLASS_SPELLINGS[] = {
    {"name:", "Text:"}, {"start_actions:", "StartActions:"}, {"create_attach: { Post };", "CreateAttach ( Post )"}};

std::string ClassBlock(std::string block)
{
    for (const auto& [key, spelling] : CLASS_SPELLINGS)
        for (size_t at = block.find(key); at != std::string::npos; at = block.find(key, at + spelling.size()))
            block.replace(at, key.size(), spelling);
    return block;
}

TEST_F(UnitTest, ABlockReadThroughUnreadEndsWhereTheBlockReadEnds)
{
    const std::string acts = "start_actions: { create_attach: { Post }; }; ";
    // A name of n words whose second line holds a block end: 5n + 7 characters.
    const auto twoLines = [](int n) {
        std::string name;
        while (n-- > 0) name += "name ";
        return "{ name: \"" + name + "\n }; ab\" }; ";
    };
    const struct {
        std::string block;  // from its opening word to its "};"
        bool closed;
    } cases[] = {
        {"{ name: \"Corner\"}; ", true},                                 // the end right after the quote
        {"{ name: \"" + std::string(600, 'q') + "\" }; ", true},         // longer than a word
        {twoLines(60), true},                                            // a second line past 256
        {twoLines(110), true},                                           // and past what a reader keeps
        {"{ start_actions: {\"a\" }; }; ", true},                        // a quote right after a brace
        {"{ name: \"\" }; ", true},
        {"{ name: \"Corner { left\" " + acts + "}; ", true},             // braces in a name
        {"{ name: \" }; \" " + acts + "}; ", true},
        {"{ name: \"Corner }; ", false},                                 // the file ends in the quote
    };
    // Each reading on a fresh registry. Reading a block says nothing; skipping it, one message.
    const auto fresh = [this] {
        TearDown();
        SetUp();
        ASSERT_EQ(0, LoadScript("UnitInspector [ UnitCount: 16 TemplateCount: 8 UnitAttaches: 16 ]\n"
                                "Variables [ ScriptVarCapacity: [ Records: 4 Words: 16 ] ]\n"
                                "GEOMETRY Site { };\nATOM Post { };\n"))
            << messages.Joined();
        messages.Clear();
    };
    const auto said = [this](const char* text) {
        EXPECT_EQ(text[0] ? std::vector<std::string>{text} : std::vector<std::string>{}, messages.Texts());
    };
    const auto made = [](const char* cls) {
        return gUnitInspector->GetClassTemplate(cls) && gUnitInspector->CreateUnit(cls, nullptr);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block.substr(0, 32) + " (" + std::to_string(c.block.size()) + " characters)");
        const std::string next = c.closed ? "next" : "";
        for (const bool known : {true, false}) {
            SCOPED_TRACE(known ? "read" : "skipped");
            fresh();
            CAtom* site = gUnitInspector->CreateUnit("Site", nullptr);
            ASSERT_NE(nullptr, site);
            TextFile attached("attached", std::string("{ create_attach: { ") + (known ? "Site " : "Nowhere ") +
                                              c.block + (c.closed ? "}; create_attach: { Post }; };\nnext" : ""));
            site->ScanMissionData(attached, "start_actions:");
            // The trailing attach, right after the attached unit when that is made.
            EXPECT_EQ(c.closed ? site->GetSlave(known ? 1 : 0) : nullptr, site->FindSlaveByClass("Post"));
            EXPECT_EQ(next, NextWord(attached));
            said(known ? "" : "CAtom::CreateAttachInMission Error.\n\n   Not found class template 'Nowhere'.");

            fresh();
            TextFile declared("declared", "Sign " + ClassBlock(c.block) + (c.closed ? "\nATOM After { };\nnext" : ""));
            gUnitInspector->ScanClassTemplate(declared, known ? 17 : 0);
            if (c.closed) {
                EXPECT_EQ("ATOM", NextWord(declared));
                gUnitInspector->ScanClassTemplate(declared, 1);
            }
            EXPECT_EQ(c.closed, made("After"));
            EXPECT_EQ(next, NextWord(declared));
            said(known ? "" : "CUnitInspector::CreateUnitByType :  Not found type.");

            fresh();
            CUnitInspector* const registry = gUnitInspector;
            if (!known) gUnitInspector = nullptr;
            LoadScript("TEXT3D Sign " + ClassBlock(c.block) + (c.closed ? "\nVariables: { After 1 };\n" : ""));
            gUnitInspector = registry;
            EXPECT_EQ(c.closed, gParser->GetVariable("After", nullptr) == 0);
            EXPECT_EQ(known, made("Sign"));
            said(known ? "" : "CParser::ScanScript :  'TEXT3D' can't be read yet: skipped.");
        }
    }
}

} // namespace
