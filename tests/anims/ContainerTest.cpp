// The animation container: its section, "ANIMATION" elements and "Animation:" lines, the
// record and instance limits, name lookups and what a presentation's end releases.

#include "tests/anims/AnimFixture.h"

#include "engine/Engine.h"
#include "core/Scanner.h"
#include "engine/MeshContainer.h"

namespace {

using anims::AnimTest;
using anims::AnimText;
using test::FakeTexContainer;

class ContainerTest : public AnimTest {
protected:
    std::string Walk()
    {
        return WriteAnim("walk.anm", AnimText(4, 3, 1, 2.0f, "Pos", {"Root 0 0 0", "Root 1 0 0", "Root 2 0 0"}));
    }
    CEngineAnimFile* Record(const char* name) { return gAnimContainer->FindAnimFile(name); }
};

TEST_F(ContainerTest, ElementLoadsItsFileWithItsFlags)
{
    SizeEngine();
    const std::string walk = Walk();
    ASSERT_EQ(0, LoadScript("ANIMATION Walk {\n"
                            "  Flags: [ Cyclic StoreValues JumpFrame0 Bogus ]\n"
                            "  AnimationFile: \"" + walk + "\"\n"
                            "  Flags: [ RandomFrame Reverse ]\n"
                            "};\n"
                            "ANIMATION Late { AnimationFile: \"" + walk + "\" Flags: [ StoreValues ] Duration: 5 };\n"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    CEngineAnimFile* record = Record("Walk");
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(1, record->index);
    EXPECT_EQ(PLAY_CYCLIC | PLAY_JUMP_FRAME0 | PLAY_RANDOM_FRAME | PLAY_REVERSE, record->playFlags);
    EXPECT_EQ(3, record->data.frameCount);
    EXPECT_FLOAT_EQ(2.0f, record->data.duration);
    EXPECT_NE(nullptr, record->data.values);
    EXPECT_EQ(0, record->usage);

    // Load flags act only on a file named after them; a later duration wins.
    CEngineAnimFile* late = Record("Late");
    ASSERT_NE(nullptr, late);
    EXPECT_EQ(nullptr, late->data.values);
    EXPECT_FLOAT_EQ(5.0f, late->data.duration);
    EXPECT_FLOAT_EQ(2.5f, late->data.step);
    EXPECT_EQ(2, gAnimContainer->FindAnimFileIndex("Late"));
}

TEST_F(ContainerTest, LookupsByNameAndIndex)
{
    SizeEngine();
    ASSERT_EQ(0, LoadScript("ANIMATION Walk { AnimationFile: \"" + Walk() + "\" };\n"));
    EXPECT_EQ(nullptr, gAnimContainer->FindAnimFile(""));
    EXPECT_EQ(nullptr, gAnimContainer->FindAnimFile(nullptr));
    EXPECT_EQ(0, gAnimContainer->FindAnimFileIndex("walk"));
    EXPECT_EQ(nullptr, gAnimContainer->GetAnimData(0));
    EXPECT_EQ(nullptr, gAnimContainer->GetAnimFile(2));
    EXPECT_EQ(&Record("Walk")->data, gAnimContainer->GetAnimData(1));

    // A freed record is gone for every lookup, and freeing it twice changes nothing.
    gAnimContainer->FreeAnimFile(1);
    gAnimContainer->FreeAnimFile(1);
    EXPECT_EQ(nullptr, gAnimContainer->GetAnimFile(1));
    EXPECT_EQ(0, gAnimContainer->FindAnimFileIndex("Walk"));
    const uint16_t a = gAnimContainer->LoadAnimFile(Walk().c_str(), 0, 0);
    const uint16_t b = gAnimContainer->LoadAnimFile(Walk().c_str(), 0, 0);
    EXPECT_EQ(1, a);
    EXPECT_EQ(2, b);
    gAnimContainer->FreeAnimFileByPtr(gAnimContainer->GetAnimFile(2));
    gAnimContainer->FreeAnimFileByPtr(nullptr);
    CEngineAnimFile stranger;
    gAnimContainer->FreeAnimFileByPtr(&stranger);
    EXPECT_EQ(nullptr, gAnimContainer->GetAnimFile(2));
    EXPECT_NE(nullptr, gAnimContainer->GetAnimFile(1));
}

// AnimationFiles N gives N - 1 records; the script that wants one more stops the program,
// a load asked for later only warns.
TEST_F(ContainerTest, RecordLimit)
{
    scripts::ExitCodeGuard guard;
    SizeEngine("AnimationFiles: 3");
    const std::string walk = Walk();
    EXPECT_EQ(1, gAnimContainer->LoadAnimFile(walk.c_str(), 0, 0));
    EXPECT_EQ(2, gAnimContainer->LoadAnimFile(walk.c_str(), 0, 0));
    EXPECT_EQ(0, gAnimContainer->LoadAnimFile(walk.c_str(), 0, 0));
    EXPECT_EQ(0, gExitCode);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CAnimContainer:  animation files limit is exceed.", messages.Texts()[0]);

    scripts::TextFile file("full", "Extra { AnimationFile: \"x.anm\" Flags: [ Cyclic ] };\nNEXT");
    EXPECT_EQ(-1, gAnimContainer->ScanAnimationFile(file, 0));
    EXPECT_EQ(1, gExitCode);
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    EXPECT_STREQ("NEXT", word);

    // A presentation line read over with a word far longer than any buffer.
    const std::string hostile(Core::WORD_BUFFER_SIZE + 100, 'h');
    scripts::TextFile line("full_line", "Extra " + hostile + " AnimationFile: \"" + hostile + "\" NEXT");
    gAnimContainer->oneLine = 1;
    EXPECT_EQ(-1, gAnimContainer->ScanAnimationFile(line, 1));
    gAnimContainer->oneLine = 0;
    Core::fscan_word(line, word);
    EXPECT_STREQ("NEXT", word);
}

// A file that does not load takes no record from LoadAnimFile; a named element keeps its
// record so units find it and report it themselves.
TEST_F(ContainerTest, FailedLoads)
{
    SizeEngine("AnimationFiles: 4");
    EXPECT_EQ(0, gAnimContainer->LoadAnimFile(dir.Path("none.anm").c_str(), 0, 1));
    EXPECT_TRUE(messages.Contains("Can't open animation file"));
    ASSERT_EQ(0, LoadScript("ANIMATION Broken { AnimationFile: \"" + dir.Path("none.anm") + "\" };\n"));
    EXPECT_EQ(1, gAnimContainer->FindAnimFileIndex("Broken"));
    EXPECT_EQ(0, gAnimContainer->GetAnimData(1)->frameCount);
}

TEST_F(ContainerTest, UnknownWordsAndUnclosedBlocksEndInMessages)
{
    SizeEngine();
    ASSERT_EQ(0, LoadScript("ANIMATION AVeryLongAnimationNameOfMoreThanThirtyTwoCharacters {\n"
                            "  Wiggle 3\n"
                            "  FramesUV: [ Size: 4x2 Rows: 2 ]\n"
                            "  Frame1Bind: [ Usage: Texture Sampler: 1 ]\n"
                            "  Frame2Bind: [ Usage: UvFrame StreamVB: 2 Colour ]\n"
                            "};\n"
                            "ANIMATION Empty { FramesUV: [ Size: 0x0 ] };\n"
                            "ANIMATION Open { Flags: [ Cyclic "));
    CEngineAnimFile* record = gAnimContainer->GetAnimFile(1);
    ASSERT_NE(nullptr, record);
    EXPECT_STREQ("AVeryLongAnimationNameOfMoreTha", record->name);
    const std::string name = record->name;
    EXPECT_TRUE(messages.SaidWithMore("For animation '" + name + "' undefined string 'Wiggle'.", 1));
    EXPECT_TRUE(messages.Contains("For animation '" + name + "' in <FramesUV> undefined string 'Rows:'."));
    EXPECT_TRUE(messages.Contains("in <Frame2Bind> undefined string 'Colour'."));
    EXPECT_EQ(4, record->columns);
    EXPECT_EQ(2, record->rows);
    EXPECT_FLOAT_EQ(0.25f, record->uStep);
    EXPECT_FLOAT_EQ(0.5f, record->vStep);
    EXPECT_EQ(ANIM_USE_FRAMES | ANIM_USE_UV_ATLAS | ANIM_USE_BIND1_TEXTURE | ANIM_USE_BIND2_UV, record->usage);
    EXPECT_EQ(1, record->bindSlot1);
    EXPECT_EQ(2, record->bindSlot2);

    CEngineAnimFile* empty = Record("Empty");
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(1, empty->columns);
    EXPECT_FLOAT_EQ(1.0f, empty->uStep);
    EXPECT_TRUE(messages.Contains("For animation 'Open' the block <Flags> is not closed by ']'."));
    EXPECT_EQ(PLAY_CYCLIC, Record("Open")->playFlags);
}

// A quoted first frame is loaded and the numbered files after it follow; a bare name is
// looked up.
TEST_F(ContainerTest, TextureFramesFollowTheFirstFile)
{
    SizeEngine();
    FakeTexContainer textures;
    textures.existing = {"Fx\\Fire01.tga", "Fx\\Fire02.tga", "Fx\\Fire03.tga"};
    ITexContainer* saved = gITexContainer;
    gITexContainer = &textures;
    const int result = LoadScript("ANIMATION Fire { FirstTexture: \"Fx\\Fire01.tga\" FrameCount: 3 Duration: 1 };\n"
                                  "ANIMATION Smoke { FirstTexture: Smoke FrameCount: 2 };\n"
                                  "ANIMATION Plain { FirstTexture: \"Fx\\Fire.tga\" FrameCount: 2 };\n");
    gITexContainer = saved;
    ASSERT_EQ(0, result);
    EXPECT_EQ((std::vector<std::string>{"Fx\\Fire01.tga", "Fx\\Fire02.tga", "Fx\\Fire03.tga", "name:Smoke",
                                        "Fx\\Fire.tga"}),
              textures.requested);
    CEngineAnimFile* fire = Record("Fire");
    EXPECT_EQ(1, fire->firstResource);
    EXPECT_EQ(ANIM_USE_FRAMES, fire->usage);
    EXPECT_EQ(3, fire->data.frameCount);
    EXPECT_FLOAT_EQ(0.5f, fire->data.step);
    EXPECT_EQ(0, Record("Smoke")->firstResource);
    EXPECT_TRUE(messages.SaidWithMore("For animation 'Smoke' not found texture 'Smoke'.", 1));
}

TEST_F(ContainerTest, BareMeshNameThatIsNotLoaded)
{
    SizeEngine();
    ASSERT_EQ(0, LoadScript("ANIMATION Morph { FirstMesh: Blob FrameCount: 4 };\n"));
    EXPECT_TRUE(messages.Contains("For animation 'Morph' not found mesh 'Blob'."));
    EXPECT_EQ(0, Record("Morph")->firstResource);
    EXPECT_EQ(ANIM_USE_FRAME_MESHES, Record("Morph")->usage);
    EXPECT_EQ(0, gMeshContainer->skipIndices);
}

// A presentation line ends at its file; its record goes when the presentation ends, the
// script's stays.
TEST_F(ContainerTest, PresentationRecordsGoAtPresentationEnd)
{
    SizeEngine();
    const std::string walk = Walk();
    ASSERT_EQ(0, LoadScript("ANIMATION Walk { AnimationFile: \"" + walk + "\" };\n"));
    scripts::TextFile file("line", "Spin Flags: [ Cyclic StoreValues ] AnimationFile: \"" + walk + "\"\nNEXT");
    gAnimContainer->oneLine = 1;
    EXPECT_EQ(0, gAnimContainer->ScanAnimationFile(file, 1));
    gAnimContainer->oneLine = 0;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    EXPECT_STREQ("NEXT", word);
    CEngineAnimFile* spin = Record("Spin");
    ASSERT_NE(nullptr, spin);
    EXPECT_EQ(ANIM_USE_PRESENTATION, spin->usage);
    EXPECT_NE(nullptr, spin->data.values);
    EXPECT_EQ(PLAY_CYCLIC, spin->playFlags);

    gEngine->ResetMission();
    EXPECT_EQ(nullptr, Record("Spin"));
    EXPECT_NE(nullptr, Record("Walk"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// AnimationCount 10: the eleventh instance opens a block of 1024; 32 such blocks at most;
// a presentation's end gives the whole allowance back.
TEST_F(ContainerTest, InstancePoolGrowsByBlocksAndIsRefilledAtPresentationEnd)
{
    SizeEngine("AnimationCount: 10 AnimationFiles: 2");
    const int allowance = 10 + ANIM_EXTRA_BLOCKS * ANIM_BLOCK_SIZE;
    for (int round = 0; round < 2; ++round) {
        std::vector<CAnimInstance*> taken;
        for (CAnimInstance* i = gAnimContainer->AllocAnimInstance(); i; i = gAnimContainer->AllocAnimInstance())
            taken.push_back(i);
        ASSERT_EQ(size_t(allowance), taken.size());
        EXPECT_EQ(0.0f, taken[10]->startDelay);
        EXPECT_EQ(nullptr, taken[10]->blendSource);
        // Freeing twice gives one instance back once.
        gAnimContainer->FreeAnimInstance(taken[5]);
        gAnimContainer->FreeAnimInstance(taken[5]);
        gAnimContainer->FreeAnimInstance(nullptr);
        EXPECT_EQ(taken[5], gAnimContainer->AllocAnimInstance());
        EXPECT_EQ(nullptr, gAnimContainer->AllocAnimInstance());
        gEngine->ResetMission();
    }
}

TEST_F(ContainerTest, SectionReportsUnknownWordsAndEndsAtTheFileEnd)
{
    ASSERT_EQ(0, LoadScript("AnimContainer [ AnimationFiles: 4 Speed: 2 AnimationDirectory: \"Anims\" ]\n"));
    EXPECT_TRUE(messages.Contains("Undefine string 'Speed:'"));
    EXPECT_STREQ("Anims\\", gAnimContainer->directory);
    messages.Clear();
    ASSERT_EQ(0, LoadScript("AnimContainer [ AnimationFiles: 4 "));
    EXPECT_TRUE(messages.Contains("section 'AnimContainer' is not closed by ']'"));
}

} // namespace
