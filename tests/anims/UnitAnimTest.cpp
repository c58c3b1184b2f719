// Animations on units: started by the unit, by a class's start acts or by a presentation
// block, and moved over frames by the unit registry with the engine's frame time.

#include "tests/anims/AnimFixture.h"

#include "core/FrameTimer.h"
#include "engine/ClassTemplate.h"
#include "engine/MissionLoader.h"
#include "engine/Engine.h"
#include "engine/UnitInspector.h"
#include "scene/Camera.h"
#include "scene/Geometry.h"

namespace {

using anims::AnimTest;
using anims::AnimText;

class UnitAnimTest : public AnimTest {
protected:
    void SetUp() override
    {
        AnimTest::SetUp();
        SizeEngine();
        // x goes 0, 10, 20 over two seconds.
        const std::string move =
            WriteAnim("move.anm", AnimText(4, 3, 1, 2.0f, "Pos", {"Root 0 0 0", "Root 10 0 0", "Root 20 0 0"}));
        const std::string nudge =
            WriteAnim("nudge.anm", AnimText(4, 2, 1, 1.0f, "Pos Angle Relative", {"Root 0 0 0 0 0 0", "Root 0 90 0 1 2 3"}));
        const std::string fade = WriteAnim("fade.anm", AnimText(4, 2, 1, 1.0f, "ColorA", {"Root 1", "Root 0"}));
        ASSERT_EQ(0, LoadScript("ANIMATION Move { Flags: [ StoreValues ] AnimationFile: \"" + move + "\" };\n"
                                "ANIMATION Nudge { Flags: [ StoreValues ] AnimationFile: \"" + nudge + "\" };\n"
                                "ANIMATION Fade { AnimationFile: \"" + fade + "\" };\n"
                                "ATOM Walker { };\n"
                                "GEOMETRY Lamp {\n"
                                "  StartActions: {\n"
                                "    PlayAnimation { Move [ delay: 0.2 ] }\n"
                                "  };\n"
                                "};\n"));
        ASSERT_EQ(0u, messages.Count()) << messages.Joined();
        move_ = gAnimContainer->FindAnimFileIndex("Move");
        nudge_ = gAnimContainer->FindAnimFileIndex("Nudge");
        fade_ = gAnimContainer->FindAnimFileIndex("Fade");
    }
    CAtom* Create(const char* cls) { return gIUnitInspector->CreateUnit(cls, nullptr); }

    uint16_t move_ = 0, nudge_ = 0, fade_ = 0;
};

TEST_F(UnitAnimTest, SameFileTwiceIsOneInstance)
{
    CAtom* unit = Create("Walker");
    CAnimInstance* first = unit->AddAnimation(move_, 7);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(7u, first->tag);
    EXPECT_EQ(first, unit->AddAnimation(move_, 0));
    EXPECT_EQ(1, unit->animations.Count());
    EXPECT_EQ(nullptr, unit->AddAnimation(0, 0));
    EXPECT_EQ(nullptr, unit->AddAnimation(99, 0));
    EXPECT_EQ(2u, messages.Count());
    EXPECT_TRUE(messages.Contains("CAtom::AddAnimation Error: null animation file."));
}

// A start delay of 0.5 s at frames of 0.1 s: five frames in which nothing plays.
TEST_F(UnitAnimTest, StartDelayWaitsItsFrames)
{
    CAtom* unit = Create("Walker");
    CAnimInstance* instance = unit->AddAnimationTimed(move_, nullptr, 0.5f);
    ASSERT_NE(nullptr, instance);
    for (int i = 0; i < 5; ++i) {
        Frame(0.1f);
        EXPECT_FLOAT_EQ(0.0f, instance->player.totalTime) << "frame " << i;
        EXPECT_FLOAT_EQ(0.0f, unit->Pos.x);
    }
    Frame(0.1f);
    EXPECT_FLOAT_EQ(0.1f, instance->player.totalTime);
    EXPECT_FLOAT_EQ(1.0f, unit->Pos.x);
}

CAtom* gEndedUnit = nullptr;
int gInstancesAtEnd = -1;
void OnEnd(CAtom* unit)
{
    gEndedUnit = unit;
    gInstancesAtEnd = unit->animations.Count();
}

// The unit moves with the frames; at the end the callback still sees the instance, which
// is freed after it.
TEST_F(UnitAnimTest, AnimationMovesTheUnitAndEndsWithItsCallback)
{
    CAtom* unit = Create("Walker");
    gEndedUnit = nullptr;
    ASSERT_NE(nullptr, unit->AddAnimationTimed(move_, OnEnd, 0.0f));
    Frame(0.5f);
    EXPECT_FLOAT_EQ(5.0f, unit->Pos.x);
    Frame(1.0f);
    EXPECT_FLOAT_EQ(15.0f, unit->Pos.x);
    EXPECT_EQ(nullptr, gEndedUnit);
    Frame(1.0f);
    EXPECT_FLOAT_EQ(20.0f, unit->Pos.x);
    EXPECT_EQ(unit, gEndedUnit);
    EXPECT_EQ(1, gInstancesAtEnd);
    EXPECT_TRUE(unit->animations.Empty());
    // The freed instance is the next one handed out.
    EXPECT_NE(nullptr, unit->AddAnimation(move_, 0));
}

// A hold time keeps the pose instead of playing, then ends the instance.
TEST_F(UnitAnimTest, HoldTimeEndsTheInstance)
{
    CAtom* unit = Create("Walker");
    CAnimInstance* instance = unit->AddAnimationTimed(move_, OnEnd, 0.0f);
    Frame(0.5f);
    instance->holdTime = 0.25f;
    gEndedUnit = nullptr;
    Frame(0.1f);
    Frame(0.1f);
    EXPECT_FLOAT_EQ(0.5f, instance->player.totalTime);
    EXPECT_EQ(nullptr, gEndedUnit);
    Frame(0.1f);
    EXPECT_EQ(unit, gEndedUnit);
    EXPECT_TRUE(unit->animations.Empty());
    EXPECT_FLOAT_EQ(5.0f, unit->Pos.x);
}

void DeleteOnEnd(CAtom* unit)
{
    gIUnitInspector->DeleteUnit(unit);
}

TEST_F(UnitAnimTest, EndCallbackMayDeleteTheUnit)
{
    CAtom* unit = Create("Walker");
    CAtom* other = Create("Walker");
    unit->AddAnimationTimed(move_, DeleteOnEnd, 0.0f);
    unit->AddAnimation(nudge_, 0);
    other->AddAnimation(move_, 0);
    Frame(3.0f);
    std::vector<CAtom*> left;
    gIUnitInspector->CollectUnitsOfClass(left, "Walker");
    ASSERT_EQ(1u, left.size());
    EXPECT_EQ(other, left[0]);
    EXPECT_FLOAT_EQ(20.0f, other->Pos.x);
}

// Base values exist exactly while a relative animation runs: values are added to the pose
// the unit had when it began.
TEST_F(UnitAnimTest, RelativeAnimationAddsToTheBasePose)
{
    CAtom* unit = Create("Walker");
    unit->Pos = D3DXVECTOR4(5, 0, 0, 1);
    unit->AddAnimation(move_, 0);
    EXPECT_EQ(nullptr, unit->animBase);
    CAnimInstance* nudge = unit->AddAnimation(nudge_, 0);
    ASSERT_NE(nullptr, unit->animBase);
    EXPECT_EQ(D3DXVECTOR4(5, 0, 0, 1), unit->animBase->pos);
    unit->RemoveAllAnimations();
    EXPECT_EQ(nullptr, unit->animBase);

    unit->Pos = D3DXVECTOR4(5, 0, 0, 1);
    nudge = unit->AddAnimation(nudge_, 0);
    Frame(0.5f);
    EXPECT_FLOAT_EQ(5.5f, unit->Pos.x);
    EXPECT_FLOAT_EQ(1.0f, unit->Pos.y);
    EXPECT_FLOAT_EQ(1.0f, unit->Pos.w);
    EXPECT_NEAR(45 * DEGREES_TO_RADIANS, unit->Orient.y, 1e-5f);
    EXPECT_NE(nullptr, unit->animBase);
    unit->RemoveAnimation(nudge);
    EXPECT_EQ(nullptr, nudge);
    EXPECT_EQ(nullptr, unit->animBase);
}

TEST_F(UnitAnimTest, ColourAnimationFadesTheUnit)
{
    CAtom* unit = Create("Walker");
    unit->AddAnimation(fade_, 0);
    Frame(0.25f);
    EXPECT_FLOAT_EQ(0.75f, unit->Color.a);
    EXPECT_FLOAT_EQ(1.0f, unit->Color.r);
}

// A class's start act starts the animation with its delay on every new unit; the
// geometry's world matrix follows.
TEST_F(UnitAnimTest, StartActOfAClassMovesTheUnitOverFrames)
{
    CAtom* lamp = Create("Lamp");
    ASSERT_NE(nullptr, lamp);
    CGeometry* geometry = dynamic_cast<CGeometry*>(lamp);
    ASSERT_NE(nullptr, geometry);
    ASSERT_EQ(1, lamp->animations.Count());
    EXPECT_FLOAT_EQ(0.2f, lamp->FirstAnimation()->startDelay);
    Frame(0.1f);
    Frame(0.1f);
    EXPECT_FLOAT_EQ(0.0f, lamp->Pos.x);
    float last = 0.0f;
    for (int i = 0; i < 20; ++i) {
        Frame(0.1f);
        EXPECT_GT(lamp->Pos.x, last) << "frame " << i;
        EXPECT_FLOAT_EQ(lamp->Pos.x, geometry->world._41);
        last = lamp->Pos.x;
    }
    EXPECT_FLOAT_EQ(20.0f, lamp->Pos.x);
    EXPECT_TRUE(lamp->animations.Empty());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A presentation block starts its own instance with the block's frames and duration.
TEST_F(UnitAnimTest, PresentationBlockStartsWithItsOwnDurationAndFlags)
{
    CAtom* unit = Create("Walker");
    scripts::TextFile file("play", "{ animation: Move flags: [ cyclic ] duration: 4 };\n");
    EXPECT_EQ(0, unit->PlayAnimationInMission(file));
    CAnimInstance* instance = unit->FirstAnimation();
    ASSERT_NE(nullptr, instance);
    EXPECT_FLOAT_EQ(2.0f, instance->player.step);
    EXPECT_TRUE(instance->player.flags & PLAY_CYCLIC);
    Frame(1.0f);
    EXPECT_FLOAT_EQ(5.0f, unit->Pos.x);
}

// A presentation declares an animation and plays it on its unit; the presentation's end
// takes the record and the instance with it, the script's records stay.
TEST_F(UnitAnimTest, PresentationAnimationPlaysAndGoesWithThePresentation)
{
    ASSERT_EQ(0, LoadScript("Variables [ MissionVarCapacity: [ Records: 16 Words: 128 ] ]\n"));
    const std::string rise = WriteAnim("rise.anm", AnimText(4, 2, 1, 1.0f, "Pos", {"Root 0 0 0", "Root 0 8 0"}));
    const std::string path = dir.Write("Show.txt", "Animation: Rise Flags: [ StoreValues ] AnimationFile: \"" + rise +
                                                       "\"\nUnits: { Walker { name: \"Ball\" }; Lamp {\n"
                                                       "  start_actions: { play_animation: { animation: Rise }; };\n"
                                                       "}; };\n");
    gFrameTimer.step = 0.5f;
    gIMissionLoader->StartMission(path.c_str());
    gIEngine->Process();
    const uint16_t rise_ = gAnimContainer->FindAnimFileIndex("Rise");
    ASSERT_NE(0, rise_) << messages.Joined();
    std::vector<CAtom*> lamps;
    gIUnitInspector->CollectUnitsOfClass(lamps, "Lamp");
    ASSERT_EQ(1u, lamps.size());
    EXPECT_EQ(2, lamps[0]->animations.Count());  // the class's act and the presentation's
    gIEngine->Process();
    EXPECT_GT(lamps[0]->Pos.y, 0.0f);

    gEngine->ResetMission();
    EXPECT_EQ(0, gAnimContainer->FindAnimFileIndex("Rise"));
    EXPECT_NE(0, gAnimContainer->FindAnimFileIndex("Move"));
    gFrameTimer.step = 0.0f;
}

// A texture animation gives a geometry unit the texture of its current frame on the stage
// it binds; a unit that has no textures is warned and its animation neither ends nor calls
// back.
TEST_F(UnitAnimTest, TextureAnimationBindsItsFrameOnGeometryOnly)
{
    test::FakeTexContainer textures;
    textures.existing = {"Fx\\Fire01.tga", "Fx\\Fire02.tga", "Fx\\Fire03.tga"};
    ITexContainer* saved = gITexContainer;
    gITexContainer = &textures;
    const int result = LoadScript("ANIMATION Fire { FirstTexture: \"Fx\\Fire01.tga\" FrameCount: 3 Duration: 1\n"
                                  "  Frame1Bind: [ Usage: Texture Sampler: 2 ] };\n"
                                  "GEOMETRY Sign { };\n");
    gITexContainer = saved;
    ASSERT_EQ(0, result);
    const uint16_t fire = gAnimContainer->FindAnimFileIndex("Fire");
    CGeometry* sign = dynamic_cast<CGeometry*>(Create("Sign"));
    ASSERT_NE(nullptr, sign);
    ASSERT_NE(nullptr, sign->AddAnimation(fire, 0));
    Frame(0.6f);
    EXPECT_EQ(2, sign->textures[2]);
    EXPECT_EQ(0, sign->textures[0]);

    CAtom* walker = Create("Walker");
    gEndedUnit = nullptr;
    ASSERT_NE(nullptr, walker->AddAnimationTimed(fire, OnEnd, 0.0f));
    Frame(2.0f);
    EXPECT_TRUE(messages.Contains("CUnitInspector::PlayAnimations Error:\n\n       Texture animation playing for unit "
                                  "class that is not a geometry.\n       Unit 'Walker'."))
        << messages.Joined();
    EXPECT_EQ(nullptr, gEndedUnit);
    EXPECT_EQ(1, walker->animations.Count());
}

// Without "frame_count:" a presentation's texture animation has the record's frames, each
// with its texture.
TEST_F(UnitAnimTest, PresentationTextureAnimationTakesTheRecordsFrames)
{
    ASSERT_EQ(0, LoadScript("GEOMETRY Sign { };\n"));
    test::FakeTexContainer textures;
    textures.existing = {"Fx\\Fire01.tga", "Fx\\Fire02.tga", "Fx\\Fire03.tga"};
    ITexContainer* saved = gITexContainer;
    gITexContainer = &textures;
    CAtom* sign = Create("Sign");
    scripts::TextFile file("texplay", "{ animation: Move first_texture: \"Fx\\Fire01.tga\" };\n");
    const int result = sign->PlayAnimationInMission(file);
    gITexContainer = saved;
    ASSERT_EQ(0, result) << messages.Joined();
    const CAnimInstance* instance = sign->FirstAnimation();
    ASSERT_NE(nullptr, instance);
    ASSERT_EQ(3, instance->player.frameCount);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(frame + 1, instance->FrameResource(frame));
}

TEST_F(UnitAnimTest, NoFreeInstanceIsWarned)
{
    while (gAnimContainer->AllocAnimInstance()) {
    }
    CAtom* unit = Create("Walker");
    EXPECT_EQ(nullptr, unit->AddAnimation(move_, 0));
    EXPECT_TRUE(messages.Contains("AnimContainer: animations limit is exceed."));
    scripts::TextFile file("none", "{ animation: Move };\nNEXT");
    EXPECT_EQ(-1, unit->PlayAnimationInMission(file));
    EXPECT_TRUE(unit->animations.Empty());
}

TEST_F(UnitAnimTest, RestartAndStop)
{
    CAtom* unit = Create("Walker");
    unit->AddAnimation(move_, 0);
    Frame(1.5f);
    EXPECT_EQ(0, unit->StopAnimation(move_));
    Frame(0.2f);
    EXPECT_FLOAT_EQ(15.0f, unit->Pos.x);
    EXPECT_EQ(0, unit->RestartAnimation(move_));
    Frame(0.5f);
    EXPECT_FLOAT_EQ(5.0f, unit->Pos.x);
    EXPECT_EQ(-1, unit->StopAnimation(fade_));
    EXPECT_EQ(-1, unit->RestartAnimation(fade_));
}

} // namespace

namespace {

using anims::AnimTest;
using anims::AnimText;

class CameraAnimTest : public AnimTest {
protected:
    void SetUp() override
    {
        AnimTest::SetUp();
        SizeEngine();
        const std::string track = WriteAnim(
            "track.anm", AnimText(4, 2, 1, 1.0f, "Target Relative", {"Root 0 0 0", "Root 4 0 2"}));
        ASSERT_EQ(0, LoadScript("ANIMATION Track { Flags: [ StoreValues ] AnimationFile: \"" + track + "\" };\n"
                                "ANIMATION Bare { AnimationFile: \"" + track + "\" };\n"
                                "CAMERA Cam { };\n"));
        camera = dynamic_cast<CCamera*>(gIUnitInspector->CreateUnit("Cam", nullptr));
        ASSERT_NE(nullptr, camera);
    }
    CCamera* camera = nullptr;
};

// A camera's target follows a relative target animation from where it stood.
TEST_F(CameraAnimTest, TargetAnimationMovesTheTarget)
{
    camera->target = D3DXVECTOR4(10, 1, 0, 1);
    ASSERT_NE(nullptr, camera->AddAnimation(gAnimContainer->FindAnimFileIndex("Track"), 0));
    ASSERT_NE(nullptr, camera->animBase);
    EXPECT_EQ(D3DXVECTOR4(10, 1, 0, 1), camera->animBase->target);
    camera->FirstAnimation()->player.Advance(0.5f);
    camera->SetCamFromAnimations();
    EXPECT_FLOAT_EQ(12.0f, camera->target.x);
    EXPECT_FLOAT_EQ(1.0f, camera->target.y);
    EXPECT_FLOAT_EQ(1.0f, camera->target.z);
    EXPECT_FLOAT_EQ(1.0f, camera->target.w);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(CameraAnimTest, AnimationWithoutValuesIsReported)
{
    camera->AddAnimation(gAnimContainer->FindAnimFileIndex("Bare"), 0);
    camera->SetCamFromAnimations();
    EXPECT_TRUE(messages.Contains("For Camera 'Cam' animation don`t have a position or target."));
}

} // namespace
