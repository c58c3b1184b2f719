// Animation files: every key kind the format has, the limits, and hostile files that must
// end in a message and a failed load.

#include "tests/anims/AnimFixture.h"

#include "core/Strings.h"

#include <cmath>

namespace {

using anims::AnimText;

constexpr float DEG = 0.01745329238474369f;

class AnimFileTest : public ::testing::Test {
protected:
    int Load(const std::string& text, uint32_t loadFlags = 0)
    {
        path = dir.Write("file.anm", text);
        return anim.LoadAnimation(path.c_str(), loadFlags);
    }
    static D3DXMATRIX KeyMatrix(D3DXVECTOR3 scale, D3DXVECTOR3 angles, D3DXVECTOR3 pos)
    {
        D3DXMATRIX s, r, t;
        D3DXMatrixScaling(&s, scale.x, scale.y, scale.z);
        D3DXMatrixRotationYawPitchRoll(&r, angles.y, angles.x, angles.z);
        D3DXMatrixTranslation(&t, pos.x, pos.y, pos.z);
        return s * r * t;
    }
    static void ExpectNear(const D3DXMATRIX& a, const D3DXMATRIX& b)
    {
        for (int i = 0; i < 16; ++i) EXPECT_NEAR((&a._11)[i], (&b._11)[i], 1e-5f) << "element " << i;
    }
    void ExpectFailed(int code, const std::string& what)
    {
        EXPECT_EQ(1u, messages.Count()) << messages.Joined();
        EXPECT_TRUE(messages.Contains(what)) << messages.Joined();
        EXPECT_TRUE(messages.Contains(path)) << messages.Joined();
        (void)code;
    }

    test::MessageRecorder messages;
    scripts::ScriptDir dir{"anim_files"};
    std::string path;
    CAnimFile anim;
};

// A key matrix is scaling x rotation x translation; without a skeleton the closing pass
// moves it once more by its position.
TEST_F(AnimFileTest, KeyMatrixIsScalingRotationTranslation)
{
    ASSERT_EQ(ANIM_LOADED, Load(AnimText(4, 2, 1, 2.0f, "Angle Pos Scale",
                                         {"Root 10 20 30  1 2 3  2 2 2", "Root 0 90 0  4 5 6  1 1 1"}),
                                ANIM_LOAD_STORE_VALUES));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(4, anim.version);
    EXPECT_EQ(2, anim.frameCount);
    EXPECT_EQ(1, anim.boneCount);
    EXPECT_FLOAT_EQ(2.0f, anim.step);
    EXPECT_FLOAT_EQ(0.5f, anim.invStep);
    EXPECT_EQ(uint32_t(ANIM_VALUES | ANIM_ANGLE | ANIM_POS | ANIM_SCALE), anim.flags);
    const D3DXMATRIX first = KeyMatrix({2, 2, 2}, {10 * DEG, 20 * DEG, 30 * DEG}, {1, 2, 3});
    ExpectNear(first * KeyMatrix({1, 1, 1}, {0, 0, 0}, {1, 2, 3}), anim.keys[0].matrix);
    ExpectNear(first, anim.keys[0].local);
    ExpectNear(KeyMatrix({1, 1, 1}, {0, 90 * DEG, 0}, {8, 10, 12}), anim.keys[1].matrix);
    EXPECT_FLOAT_EQ(8.0f, anim.keys[1].matrix._41);  // two translations
    EXPECT_EQ(StrHash("Root"), anim.keys[0].nameHash);
    ASSERT_NE(nullptr, anim.values);
    EXPECT_FLOAT_EQ(20 * DEG, anim.values[0].angles.y);
    EXPECT_EQ(D3DXVECTOR4(4, 5, 6, 1), anim.values[1].position);
    EXPECT_EQ(D3DXVECTOR4(2, 2, 2, 1), anim.values[0].scale);
}

// Before version 4 there is no channel list: angles, positions and scales, in radians.
TEST_F(AnimFileTest, VersionThreeReadsRadiansWithoutAChannelList)
{
    ASSERT_EQ(ANIM_LOADED, Load(AnimText(3, 1, 1, 0.0f, "", {"Root 0 1.5 0  7 8 9  1 1 1"}), ANIM_LOAD_STORE_VALUES));
    EXPECT_EQ(uint32_t(ANIM_VALUES | ANIM_ANGLE | ANIM_POS | ANIM_SCALE), anim.flags);
    EXPECT_FLOAT_EQ(1.5f, anim.values[0].angles.y);
    EXPECT_FLOAT_EQ(0.0f, anim.step);
    ExpectNear(KeyMatrix({1, 1, 1}, {0, 1.5f, 0}, {14, 16, 18}), anim.keys[0].matrix);
}

// Values are kept only when asked for, and never for final matrices.
TEST_F(AnimFileTest, FinalMatricesAreReadAsWrittenAndKeepNoValues)
{
    ASSERT_EQ(ANIM_LOADED, Load(AnimText(4, 1, 1, 1.0f, "FinalMatrix",
                                         {"Root 1 0 0 0\n0 2 0 0\n0 0 3 0\n4 5 6 1"}),
                                ANIM_LOAD_STORE_VALUES));
    EXPECT_EQ(uint32_t(ANIM_FINAL_MATRIX), anim.flags);
    EXPECT_EQ(nullptr, anim.values);
    EXPECT_FLOAT_EQ(2.0f, anim.keys[0].matrix._22);
    EXPECT_FLOAT_EQ(5.0f, anim.keys[0].matrix._42);

    ASSERT_EQ(ANIM_LOADED, Load(AnimText(4, 1, 1, 1.0f, "Pos", {"Root 1 2 3"})));
    EXPECT_EQ(nullptr, anim.values);  // no StoreValues
}

// Colours are read red, green, blue, alpha and keep their values without being asked;
// their matrices stay identity.
TEST_F(AnimFileTest, ColourChannels)
{
    ASSERT_EQ(ANIM_LOADED, Load(AnimText(4, 1, 1, 1.0f, "Color", {"Root 0.1 0.2 0.3 0.4"})));
    EXPECT_EQ(0x1E01u, anim.flags);
    EXPECT_EQ(D3DXVECTOR4(0.1f, 0.2f, 0.3f, 0.4f), anim.values[0].color);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(identity, anim.keys[0].matrix);

    ASSERT_EQ(ANIM_LOADED, Load(AnimText(4, 1, 1, 1.0f, "ColorA", {"Root 0.25"})));
    EXPECT_EQ(0x201u, anim.flags);
    EXPECT_EQ(D3DXVECTOR4(1, 1, 1, 0.25f), anim.values[0].color);
}

TEST_F(AnimFileTest, UvValuesLiveInThePositionSlot)
{
    ASSERT_EQ(ANIM_LOADED, Load(AnimText(4, 1, 1, 1.0f, "UvCoords", {"Root 0.5 0.25 2 4"})));
    EXPECT_EQ(0x2001u, anim.flags);
    EXPECT_EQ(D3DXVECTOR4(0.5f, 0.25f, 2, 4), anim.values[0].position);
}

// Channels are read in the fixed order angles, position, target, scale whatever the list
// order; a relative file's positions have w 0; unknown channel words are passed over.
TEST_F(AnimFileTest, TargetAndRelativeChannels)
{
    ASSERT_EQ(ANIM_LOADED, Load(AnimText(4, 1, 1, 1.0f, "Scale Target Relative Absolute ParentSpace Pos Wobble",
                                         {"Cam 1 2 3  4 5 6  2 2 2"}),
                                ANIM_LOAD_STORE_VALUES));
    EXPECT_EQ(uint32_t(ANIM_VALUES | ANIM_POS | ANIM_SCALE | ANIM_TARGET | ANIM_RELATIVE | ANIM_ABSOLUTE |
                       ANIM_PARENT_SPACE),
              anim.flags);
    EXPECT_EQ(D3DXVECTOR4(1, 2, 3, 0), anim.values[0].position);
    EXPECT_EQ(D3DXVECTOR4(4, 5, 6, 1), anim.values[0].target);
    EXPECT_EQ(D3DXVECTOR4(2, 2, 2, 1), anim.values[0].scale);
}

// "Matrices3x3": the flag is set, the key's matrix leaves its position to the closing pass
// (so it carries it once) and the one-bone sampler writes only the first three rows.
TEST_F(AnimFileTest, ThreeByThreeMatricesLeaveTheTranslationRowAlone)
{
    ASSERT_EQ(ANIM_LOADED, Load(AnimText(4, 1, 1, 1.0f, "Angle Pos", {"Root 0 90 0  7 8 9"}), ANIM_LOAD_MATRICES_3X3));
    EXPECT_TRUE(anim.flags & ANIM_MATRICES_3X3);
    ExpectNear(KeyMatrix({1, 1, 1}, {0, 90 * DEG, 0}, {7, 8, 9}), anim.keys[0].matrix);
    ExpectNear(KeyMatrix({1, 1, 1}, {0, 90 * DEG, 0}, {0, 0, 0}), anim.keys[0].local);
    D3DXMATRIX out(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 0, 0, 0);
    anim.SampleBoneMatrix(0, 0, 0.0f, 0, &out);
    EXPECT_NEAR(-1.0f, out._13, 1e-6f);
    EXPECT_FLOAT_EQ(100.0f, out._41);
    EXPECT_FLOAT_EQ(0.0f, out._44);
}

// Keys of a frame are numbered by their order; names may be quoted with blanks.
TEST_F(AnimFileTest, SeveralBonesKeepTheirOrderAndNames)
{
    ASSERT_EQ(ANIM_LOADED, Load(AnimText(4, 2, 2, 1.0f, "Pos",
                                         {"Root 0 0 0  \"Left arm\" 1 0 0", "Root 0 1 0  \"Left arm\" 1 1 0"})));
    EXPECT_EQ(StrHash("Left arm"), anim.keys[1].nameHash);
    EXPECT_EQ(1, anim.keys[3].boneIndex);
    ASSERT_NE(nullptr, anim.FindKey(1, 1));
    EXPECT_FLOAT_EQ(2.0f, anim.FindKey(1, 1)->matrix._42);
    EXPECT_EQ(nullptr, anim.FindKey(2, 0));
    EXPECT_EQ(nullptr, anim.FindKey(0, 2));

    D3DXMATRIX bones[MAX_BONES];
    uint8_t marks[MAX_BONES] = {};
    anim.SampleMatrices(0, 1, 0.5f, bones, marks);
    EXPECT_FLOAT_EQ(1.0f, bones[1]._42);
    EXPECT_EQ(2, marks[0]);
    EXPECT_EQ(2, marks[1]);
    EXPECT_EQ(0, marks[2]);
}

TEST_F(AnimFileTest, FrameAndBoneLimits)
{
    std::vector<std::string> frames(MAX_ANIM_FRAMES, "Root 1 2 3");
    EXPECT_EQ(ANIM_LOADED, Load(AnimText(4, MAX_ANIM_FRAMES, 1, 10.0f, "Pos", frames)));
    EXPECT_EQ(MAX_ANIM_FRAMES, anim.frameCount);
    EXPECT_EQ(0u, messages.Count());

    EXPECT_EQ(ANIM_TOO_MANY_FRAMES, Load(AnimText(4, MAX_ANIM_FRAMES + 1, 1, 10.0f, "Pos", frames)));
    ExpectFailed(ANIM_TOO_MANY_FRAMES, "CAnimFile::LoadAnimation()  Error:  MAX_ANIM_FRAMES limit.\n File.. \n\n");
    EXPECT_EQ(0, anim.frameCount);
    messages.Clear();

    std::string bones;
    for (int i = 0; i < MAX_BONES; ++i) bones += "B" + std::to_string(i) + " 0 0 0 ";
    EXPECT_EQ(ANIM_LOADED, Load(AnimText(4, 1, MAX_BONES, 1.0f, "Pos", {bones})));
    EXPECT_EQ(ANIM_TOO_MANY_BONES, Load(AnimText(4, 1, MAX_BONES + 1, 1.0f, "Pos", {bones + "B64 0 0 0"})));
    ExpectFailed(ANIM_TOO_MANY_BONES, "CAnimFile::LoadAnimation()  Error:  MAX_BONES limit.\n File.. \n\n");
}

TEST_F(AnimFileTest, MissingFileIsReported)
{
    path = dir.Path("none.anm");
    EXPECT_EQ(ANIM_CANT_OPEN, anim.LoadAnimation(path.c_str(), 0));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CAnimFile::LoadAnimation()  Error:  Can't open animation file.. \n\n" + path, messages.Texts()[0]);
    EXPECT_EQ(ANIM_CANT_OPEN, anim.LoadAnimation("", 0));
}

// Every cut of a good file fails with one message: nothing is read past the end.
TEST_F(AnimFileTest, TruncatedFilesFailAtEveryCut)
{
    const std::string good = AnimText(4, 2, 2, 1.0f, "Angle Pos Target Scale Color UvCoords",
                                      {"A 1 2 3 4 5 6 7 8 9 1 1 1 1 1 1 1 0 0 1 1  B 0 0 0 0 0 0 0 0 0 1 1 1 1 1 1 1 0 0 1 1",
                                       "A 1 2 3 4 5 6 7 8 9 1 1 1 1 1 1 1 0 0 1 1  B 0 0 0 0 0 0 0 0 0 1 1 1 1 1 1 1 0 0 1 1"});
    ASSERT_EQ(ANIM_LOADED, Load(good, ANIM_LOAD_STORE_VALUES));
    for (size_t cut = 0; cut + 2 < good.size(); cut += 3) {
        messages.Clear();
        const int result = Load(good.substr(0, cut));
        ASSERT_LT(result, 0) << "cut at " << cut;
        EXPECT_EQ(1u, messages.Count()) << "cut at " << cut << ": " << messages.Joined();
    }
}

TEST_F(AnimFileTest, HostileNumbersFail)
{
    EXPECT_EQ(ANIM_DAMAGED, Load(AnimText(4, -3, 1, 1.0f, "Pos", {})));
    ExpectFailed(ANIM_DAMAGED, "a count or the duration is below 0.");
    messages.Clear();
    EXPECT_EQ(ANIM_DAMAGED, Load(AnimText(4, 1, 1, std::nanf(""), "Pos", {"Root 1 2 3"})));
    ExpectFailed(ANIM_DAMAGED, "the duration is not a number.");
    messages.Clear();
    EXPECT_EQ(ANIM_DAMAGED, Load(AnimText(4, 1, -1, 1.0f, "Pos", {})));
    messages.Clear();
    EXPECT_EQ(ANIM_DAMAGED, Load(AnimText(4, 1, 1, 1.0f, "Pos", {"Root 1 two 3"})));
    ExpectFailed(ANIM_DAMAGED, "a key is cut short.");
    messages.Clear();
    EXPECT_EQ(ANIM_DAMAGED, Load("AnimationText four written by test 1 Bones: 1 Duration: 1\n"));
    ExpectFailed(ANIM_DAMAGED, "the header is damaged.");
    messages.Clear();
    EXPECT_EQ(ANIM_DAMAGED, Load("AnimationText 4 written by test 1 Bones: 1 Duration: 1\nChannels = [ Pos\n"));
    ExpectFailed(ANIM_DAMAGED, "the channel list is not closed by ']'.");
    messages.Clear();
    anim.Clear();
    EXPECT_EQ(nullptr, anim.keys);
}

// With a skeleton every key names its bone; keys are placed at their bone's offset from
// its master and carried through the keys of their ancestors in the same frame.
TEST_F(AnimFileTest, SkeletonKeysFollowTheirMasters)
{
    const std::string head = "AnimationText 4 written by test 2 Bones: 2 Duration: 1\nChannels = [ Pos ]\n"
                             "SKELETON_STRUCTURE NumBones 2 BoneName BoneMaster x y z\n"
                             "Root not_present 0 1 0\nArm Root 2 1 0\nKeys px py pz\n";
    ASSERT_EQ(ANIM_LOADED, Load(head + "Frame0 Arm 0 0 1 Root 1 0 0\nFrame1 Arm 0 0 0 Root 0 0 0\n"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    ASSERT_EQ(2, anim.skeleton.boneCount);
    EXPECT_EQ(3u, anim.usedBones);
    EXPECT_EQ(1, anim.keys[0].boneIndex);
    EXPECT_EQ(0, anim.keys[1].boneIndex);
    D3DXMATRIX expected;
    D3DXMatrixTranslation(&expected, 2, 0, 1);
    ExpectNear(expected, anim.keys[0].local);
    D3DXMatrixTranslation(&expected, 3, 1, 1);
    ExpectNear(expected, anim.keys[0].matrix);
    D3DXMatrixTranslation(&expected, 1, 1, 0);
    ExpectNear(expected, anim.keys[1].matrix);
    D3DXMATRIX bones[2];
    uint8_t marks[2] = {};
    anim.SampleMatrices(0, 1, 0.5f, bones, marks);
    D3DXMatrixTranslation(&expected, 2.5f, 1, 0.5f);
    ExpectNear(expected, bones[1]);
    EXPECT_EQ(2, marks[0]);
    EXPECT_EQ(2, marks[1]);

    // With "Matrices3x3" the keys' positions are left out: the bones' offsets alone remain.
    ASSERT_EQ(ANIM_LOADED, Load(head + "Frame0 Arm 0 0 1 Root 1 0 0\nFrame1 Arm 0 0 0 Root 0 0 0\n",
                                ANIM_LOAD_MATRICES_3X3));
    EXPECT_TRUE(anim.flags & ANIM_MATRICES_3X3);
    D3DXMatrixTranslation(&expected, 2, 0, 0);
    ExpectNear(expected, anim.keys[0].local);
    D3DXMatrixTranslation(&expected, 2, 1, 0);
    ExpectNear(expected, anim.keys[0].matrix);

    EXPECT_EQ(ANIM_BONE_MISSING, Load(head + "Frame0 Arm 0 0 0 Leg 0 0 0\nFrame1 Root 0 0 0 Arm 0 0 0\n"));
    ExpectFailed(ANIM_BONE_MISSING, "Can`t find bone 'Leg' for skeleton.");
    messages.Clear();
    EXPECT_EQ(ANIM_DAMAGED, Load("AnimationText 4 written by test 1 Bones: 1 Duration: 1\nChannels = [ Pos ]\n"
                                 "SKELETON_STRUCTURE NumBones 2 BoneName BoneMaster x y z\nRoot not_present 0\n"));
    ExpectFailed(ANIM_DAMAGED, "a bone row is cut short");
}

// A single frame has no step; samplers copy frame 0 whatever frames they are given.
TEST_F(AnimFileTest, OneFrameSamplesFrameZero)
{
    ASSERT_EQ(ANIM_LOADED, Load(AnimText(4, 1, 1, 3.0f, "Pos", {"Root 1 2 3"}), ANIM_LOAD_STORE_VALUES));
    EXPECT_FLOAT_EQ(0.0f, anim.step);
    EXPECT_FLOAT_EQ(0.0f, anim.invStep);
    const CAnimValues* v = anim.SampleValues(0, 1, 0.7f, 0);
    ASSERT_NE(nullptr, v);
    EXPECT_EQ(D3DXVECTOR4(1, 2, 3, 1), v->position);
    D3DXVECTOR4 at(9, 9, 9, 9);
    anim.SamplePosition(0, 1, 0.5f, 0, &at);
    EXPECT_EQ(D3DXVECTOR4(2, 4, 6, 1), at);
}

// Samplers given frames the file does not have write nothing.
TEST_F(AnimFileTest, SamplersStayInsideTheKeys)
{
    ASSERT_EQ(ANIM_LOADED, Load(AnimText(4, 2, 1, 1.0f, "Pos", {"Root 0 0 0", "Root 2 0 0"}), ANIM_LOAD_STORE_VALUES));
    EXPECT_EQ(nullptr, anim.SampleValues(0, 2, 0.5f, 0));
    EXPECT_EQ(nullptr, anim.SampleValues(0, 1, 0.5f, 1));
    D3DXMATRIX bones[MAX_BONES];
    bones[0]._41 = 42;
    anim.SampleMatrices(5, 1, 0.5f, bones, nullptr);
    EXPECT_FLOAT_EQ(42.0f, bones[0]._41);
    anim.Clear();
    D3DXMATRIX one;
    anim.SampleBoneMatrix(0, 1, 0.5f, 0, &one);  // no keys: identity
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(identity, one);
}

} // namespace
