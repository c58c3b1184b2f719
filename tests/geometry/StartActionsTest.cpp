// Start actions of a script class and of a presentation unit.

#include "tests/geometry/GeometryFixture.h"

#include "engine/UnitInspector.h"

namespace geometrytest {
namespace {

class StartActionsTest : public UnitTest {
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        UseFakeAnimations();
        anims.names = {{"Walk", 3}, {"Wave", 5}};
    }
    CClassTemplate* Class(const char* name) { return gIUnitInspector->GetClassTemplate(name); }
    static std::string NextWord(FILE* file)
    {
        char word[Core::WORD_BUFFER_SIZE];
        Core::fscan_word(file, word);
        return word;
    }
};

TEST_F(StartActionsTest, PlayAnimationTakesItsDelay)
{
    RunScript("GEOMETRY Lamp {\n"
              "  StartActions: {\n"
              "    PlayAnimation { Walk [ ] }\n"
              "    PlayAnimation { Wave [ delay: 2 ] }\n"
              "  };\n"
              "  Pos: [ 1 2 3 ]\n"
              "};\n");
    CClassTemplate* lamp = Class("Lamp");
    ASSERT_NE(nullptr, lamp);
    EXPECT_EQ(START_ACT_ANIMATION, lamp->startActs[0].kind);
    EXPECT_EQ(3u, lamp->startActs[0].animation);
    EXPECT_EQ(0.0f, lamp->startActs[0].startDelay);
    EXPECT_EQ(5u, lamp->startActs[1].animation);
    EXPECT_EQ(2.0f, lamp->startActs[1].startDelay);
    EXPECT_EQ(START_ACT_FREE, lamp->startActs[2].kind);
    EXPECT_FLOAT_EQ(3.0f, lamp->prototype->Pos.z);  // the class block goes on after the actions
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(StartActionsTest, NinthActIsRefusedAndTheFirstEightKept)
{
    std::string script = "GEOMETRY Lamp {\n  StartActions: {\n";
    for (int i = 0; i < 9; ++i) script += "    PlayAnimation { " + std::string(i == 8 ? "Wave" : "Walk") + " [ ] }\n";
    RunScript(script + "  };\n};\n");
    CClassTemplate* lamp = Class("Lamp");
    ASSERT_NE(nullptr, lamp);
    EXPECT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_TRUE(messages.Contains("PROGRAMMER LIMIT: MAX_START_ACTS"));
    for (const SStartAct& act : lamp->startActs) EXPECT_EQ(3u, act.animation);
}

TEST_F(StartActionsTest, UnknownNamesAddNoActAndReadingGoesOn)
{
    RunScript("ATOM Light { };\n"
              "GEOMETRY Lamp {\n"
              "  StartActions: {\n"
              "    PlayAnimation { Run [ delay: 1 ] }\n"
              "    CreateAttach ( Nothing Pos: [ 1 2 3 ] Attaches: [ Full ] )\n"
              "    Jump\n"
              "    CreateAttach ( Light )\n"
              "  };\n"
              "};\n");
    EXPECT_TRUE(messages.Contains("CAtom::ScanStartActions Error: for UNIT 'Lamp' not found animation 'Run'."));
    EXPECT_TRUE(messages.Contains("CAtom::ScanStartActions Error: for UNIT 'Lamp' not found class 'Nothing'."));
    EXPECT_TRUE(messages.Contains("CAtom::ScanStartActions Error: for UNIT 'Lamp' undefined string 'Jump'."));
    EXPECT_EQ(3u, messages.Count()) << messages.Joined();
    const SStartAct& act = Class("Lamp")->startActs[0];
    EXPECT_EQ(START_ACT_ATTACH, act.kind);
    EXPECT_EQ(Class("Light"), act.classTemplate);
    EXPECT_EQ(D3DXVECTOR4(0, 0, 0, 1), act.position);
    EXPECT_EQ(0u, act.attachMode);
    EXPECT_EQ(START_ACT_FREE, Class("Lamp")->startActs[1].kind);
}

// A new unit of the class gets its attached units from the class's acts.
TEST_F(StartActionsTest, CreateAttachRunsOnEveryNewUnit)
{
    RunScript("GEOMETRY Bulb { };\n"
              "GEOMETRY Lamp {\n"
              "  StartActions: {\n"
              "    CreateAttach ( Bulb Pos: [ 1 2 3 ] Attaches: [ Full ] )\n"
              "    CreateAttach ( Bulb Attaches: [ simple ] Pos: [ 0 5 0 ] )\n"
              "  };\n"
              "};\n");
    const SStartAct& first = Class("Lamp")->startActs[0];
    EXPECT_EQ(SYS_ATTACH_FULL, first.attachMode);
    EXPECT_EQ(D3DXVECTOR4(1, 2, 3, 1), first.position);
    EXPECT_EQ(SYS_ATTACH_SIMPLE, Class("Lamp")->startActs[1].attachMode);

    CAtom* lamp = Create("Lamp");
    ASSERT_NE(nullptr, lamp);
    ASSERT_EQ(2, lamp->slaves.Count());
    CGeometry* bulb = dynamic_cast<CGeometry*>(lamp->GetSlave(0));
    ASSERT_NE(nullptr, bulb);
    EXPECT_EQ(lamp, bulb->master);
    EXPECT_TRUE(bulb->SysControls & SYS_ATTACH_FULL);
    EXPECT_FLOAT_EQ(2.0f, bulb->world._42);  // the world matrix follows the act's position
    EXPECT_TRUE(lamp->GetSlave(1)->SysControls & SYS_ATTACH_SIMPLE);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A free record ends the acts: what stands after it is never run.
TEST_F(StartActionsTest, ActsRunUpToTheFirstFreeRecord)
{
    RunScript("GEOMETRY Bulb { };\n"
              "GEOMETRY Lamp { StartActions: { CreateAttach ( Bulb ) CreateAttach ( Bulb Pos: [ 0 7 0 ] ) }; };\n");
    CClassTemplate* lamp = Class("Lamp");
    ASSERT_EQ(START_ACT_ATTACH, lamp->startActs[1].kind);
    lamp->startActs[2] = lamp->startActs[1];
    lamp->startActs[1].kind = START_ACT_FREE;
    CAtom* unit = Create("Lamp");
    ASSERT_NE(nullptr, unit);
    ASSERT_EQ(1, unit->slaves.Count());
    EXPECT_FLOAT_EQ(0.0f, unit->GetSlave(0)->Pos.y);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(StartActionsTest, AttachModeWords)
{
    EXPECT_EQ(SYS_ATTACH_POS, CAtom::ScanAttachMode("Pos"));
    EXPECT_EQ(SYS_ATTACH_POS, CAtom::ScanAttachMode("pos"));
    EXPECT_EQ(SYS_ATTACH_FULL, CAtom::ScanAttachMode("full"));
    EXPECT_EQ(SYS_ATTACH_SIMPLE, CAtom::ScanAttachMode("Simple"));
    EXPECT_EQ(0u, CAtom::ScanAttachMode("FULL"));
}

// An unknown flag passes over the word after it, but never the list's "]".
TEST_F(StartActionsTest, UnknownFlagBeforeTheListEndKeepsReading)
{
    RunScript("GEOMETRY Lamp { };\n");
    CAtom* lamp = Create("Lamp");
    FILE* file = Open("{ flags: [ cyclic bogus ] flags: [ store_values ] animation_file: \"Walk.anm\" };\nNEXT");
    EXPECT_EQ(-1, lamp->PlayAnimationInMission(file));
    EXPECT_TRUE(messages.Contains("CAtom::PlayAnimationInMission Error.\n\n   In flags undefined string 'bogus'."));
    ASSERT_EQ(1u, anims.loaded.size()) << messages.Joined();
    EXPECT_EQ("Walk.anm", anims.loaded[0]);
    EXPECT_EQ(1u, anims.loadFlags[0]);  // store_values
    EXPECT_EQ("NEXT", NextWord(file));
}

// Without an animation container nothing can play: the action fails, with the reader after
// the block.
TEST_F(StartActionsTest, PlayAnimationWithoutRecordFails)
{
    RunScript("GEOMETRY Lamp { };\n");
    CAtom* lamp = Create("Lamp");
    FILE* file = Open("{ animation_template: Gone duration: 2 frame_count: 4 spin };\n"
                      "{ animation: Walk };\nNEXT");
    EXPECT_EQ(-1, lamp->PlayAnimationInMission(file));
    EXPECT_TRUE(messages.Contains("CAtom::PlayAnimationInMission Error.\n\n   Animation template 'Gone' not found."));
    EXPECT_TRUE(messages.Contains("CAtom::PlayAnimationInMission Error.\n\n   Undefined string 'spin'."));
    EXPECT_EQ(-1, lamp->PlayAnimationInMission(file));
    EXPECT_TRUE(messages.Contains("CAtom::AddAnimation Error: null animation file."));
    EXPECT_EQ("NEXT", NextWord(file));
}

TEST_F(StartActionsTest, TextureFramesAreNumberedAfterTheFirstFile)
{
    UseFakeTextures();
    RunScript("GEOMETRY Lamp { };\n");
    CAtom* lamp = Create("Lamp");
    textures.existing = {"Fx.v2\\Fire0.tga", "Fx.v2\\Fire1.tga", "Fx.v2\\Fire3.tga", "Fire01.bmp", "Fire02.bmp", "Fire03.bmp"};
    CAtom::SPlayRequest request;
    StrCopy(request.firstPath, sizeof request.firstPath, "Fx.v2\\Fire0.tga");
    request.firstTexture = 1;
    request.frameCount = 4;
    std::vector<uint16_t> frames;
    lamp->LoadTextureFrames(request, frames);
    EXPECT_EQ((std::vector<std::string>{"Fx.v2\\Fire1.tga", "Fx.v2\\Fire2.tga", "Fx.v2\\Fire3.tga"}), textures.requested);
    EXPECT_EQ((std::vector<uint16_t>{1, 2, 0, 3}), frames);
    EXPECT_TRUE(messages.Contains("CAtom::PlayAnimationInMission Error.\n\n   resource file 'Fx.v2\\Fire2.tga' not loaded."));
    for (uint32_t flags : textures.flags) EXPECT_EQ(TEX_PRESENTATION, flags);

    textures.requested.clear();
    StrCopy(request.firstPath, sizeof request.firstPath, "Fire01.bmp");
    request.firstTexture = 4;
    request.frameCount = 3;
    lamp->LoadTextureFrames(request, frames);
    EXPECT_EQ((std::vector<std::string>{"Fire02.bmp", "Fire03.bmp"}), textures.requested);
    EXPECT_EQ((std::vector<uint16_t>{4, 5, 6}), frames);
}

TEST_F(StartActionsTest, TextureAnimationNeedsGeometryAndItsFirstFile)
{
    UseFakeTextures();
    textures.existing = {"Fire0.tga", "Fire1.tga"};
    RunScript("ATOM Holder { };\nGEOMETRY Lamp { };\n");
    FILE* file = Open("{ first_texture: \"Fire0.tga\" frame_count: 2 };\n"
                      "{ first_texture: \"Smoke0.tga\" frame_count: 2 };\n");
    EXPECT_EQ(-1, Create("Holder")->PlayAnimationInMission(file));
    EXPECT_TRUE(messages.Contains("You try to play texture animation for non geometry object 'Holder'."));
    EXPECT_EQ(1u, textures.requested.size());  // no frames for a unit that can't show them
    EXPECT_EQ(-1, Create("Lamp")->PlayAnimationInMission(file));
    EXPECT_TRUE(messages.Contains("CAtom::PlayAnimationInMission Error.\n\n   texture file 'Smoke0.tga' not loaded."));
}

TEST_F(StartActionsTest, PresentationCreateAttachReadsTheNewUnitsData)
{
    RunScript("GEOMETRY Bulb { };\nGEOMETRY Lamp { };\n");
    CGeometry* lamp = CreateGeometry("Lamp");
    ASSERT_NE(nullptr, lamp);
    FILE* file = Open("start_actions: {\n"
                      "  create_attach: { Bulb { pos: [ 5 6 7 ] name: Glow }; attaches: [ Pos ] };\n"
                      "  create_attach: { Bulb };\n"
                      "  create_attach: { Ghost };\n"
                      "  wiggle\n"
                      "};\n"
                      "};\n");
    EXPECT_EQ(SCAN_BLOCK_END, lamp->ScanMissionData(file, nullptr));
    ASSERT_EQ(2, lamp->slaves.Count()) << messages.Joined();
    CGeometry* glow = dynamic_cast<CGeometry*>(lamp->GetSlave(0));
    ASSERT_NE(nullptr, glow);
    EXPECT_STREQ("Glow", glow->name);
    EXPECT_TRUE(glow->SysControls & SYS_ATTACH_POS);
    EXPECT_FLOAT_EQ(6.0f, glow->world._42);
    EXPECT_FALSE(lamp->GetSlave(1)->SysControls & (SYS_ATTACH_POS | SYS_ATTACH_FULL | SYS_ATTACH_SIMPLE));
    EXPECT_TRUE(messages.Contains("CAtom::CreateAttachInMission Error.\n\n   Not found class template 'Ghost'."));
    EXPECT_TRUE(messages.Contains("CAtom::StartActionsInMission Warning:\n\n   undefined string 'wiggle'."));
}

// A failed action has said so: the block still ends with 0 at its "};". Only a block cut off
// by the end of the file answers what its actions gave.
TEST_F(StartActionsTest, PresentationActionsAnswerZeroAtTheBlockEnd)
{
    RunScript("GEOMETRY Bulb { };\nGEOMETRY Lamp { };\n");
    CGeometry* lamp = CreateGeometry("Lamp");
    ASSERT_NE(nullptr, lamp);
    EXPECT_EQ(0, lamp->StartActionsInMission(Open("{ create_attach: { Ghost }; create_attach: { Bulb }; };\n")));
    EXPECT_EQ(-1, lamp->StartActionsInMission(Open("{ create_attach: { Ghost }; create_attach: { Bulb };")));
    EXPECT_EQ(0, lamp->StartActionsInMission(Open("{ create_attach: { Bulb };")));
    EXPECT_EQ(3, lamp->slaves.Count());
}

} // namespace
} // namespace geometrytest
