// What the units' playing animations give the renderer: blend factors and atlas cells in
// the shader registers, frame textures on the screen, and the vertex streams and index
// buffer of mesh animations.

#include "core/Graphics.h"
#include "engine/AnimContainer.h"
#include "engine/Engine.h"
#include "engine/MeshContainer.h"
#include "tests/constants/ConstantsFixture.h"

#include <cstring>
#include <sstream>

namespace constants {
namespace {

constexpr D3DCOLOR RED = 0xFFFF0000;
constexpr D3DCOLOR GREEN = 0xFF00FF00;
constexpr D3DCOLOR BLUE = 0xFF0000FF;
constexpr D3DCOLOR WHITE = 0xFFFFFFFF;

// Registers of the class "Animated": the matrix, the four factors, the eight stages.
constexpr int FACTOR_REGISTER = 4;
constexpr int UV_REGISTER = 8;

const char ANIMATED_SCRIPT[] =
    "AnimContainer [ AnimationCount: 16 AnimationFiles: 32 ]\n"
    "SHADER_TABLE Animated {\n"
    "    VertexConstants: { Register Source Count\n"
    "        0  mWorldViewProj  4\n"
    "        4  AnimFactor      4\n"
    "        8  UvMulAdd        8\n"
    "    };\n"
    "};\n"
    "GEOMETRY Animated {\n"
    "    VertexShader: TransformVS\n"
    "    VertDeclarator: PosUV\n"
    "    ShaderTable: Animated\n"
    "};\n";

// A unit square moved by (dx, dy), with or without its index rows.
std::string SquareMesh(float dx, float dy)
{
    std::ostringstream text;
    text << "NumVertices 4\nNumPrimitives 2\nMESH\n4\n";
    const float corners[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
    for (const auto& c : corners) text << c[0] + dx << " " << c[1] + dy << " 0\n";
    text << "indices 2\n0 1 2\n0 2 3\nTextureCoords 4\n0 1\n0 0\n1 0\n1 1\n";
    return text.str();
}

class AnimData : public ConstantsTest {
protected:
    void SetUp() override
    {
        ConstantsTest::SetUp();
        ReadScript(ANIMATED_SCRIPT);
        gAnimContainer->warnings = 100;
        messages.Clear();
    }
    // An animation element read from a script; its record.
    CEngineAnimFile* Animation(const std::string& name, const std::string& body)
    {
        ReadScript("ANIMATION " + name + " {\n" + body + "\n};\n");
        CEngineAnimFile* record = gAnimContainer->FindAnimFile(name.c_str());
        EXPECT_NE(nullptr, record) << messages.Joined();
        return record;
    }
    CAnimInstance* Play(CAtom* unit, const CEngineAnimFile* record)
    {
        CAnimInstance* instance = record ? unit->AddAnimation(record->index, 0) : nullptr;
        EXPECT_NE(nullptr, instance) << messages.Joined();
        return instance;
    }
    void WriteColour(const std::string& path, D3DCOLOR argb)
    {
        test::Image image;
        image.width = image.height = 2;
        image.pixels.assign(4, argb);
        ASSERT_TRUE(test::SaveBmp(image, path));
    }
    // A frame whose animations stand still: only the renderer moves nothing.
    void StillFrame() { RunFrame(0.0f); }
    D3DCOLOR CentreColour()
    {
        const test::Image image = Picture();
        const POINT p = Project(D3DXVECTOR3(0, 0, 0));
        return image.At(p.x, p.y) | 0xFF000000;
    }
};

TEST_F(AnimData, ATextureAnimationShowsItsFrameAndTheNextAfterAStep)
{
    WriteColour(dir + "\\frame01.bmp", RED);
    WriteColour(dir + "\\frame02.bmp", GREEN);
    WriteColour(dir + "\\frame03.bmp", BLUE);
    const CEngineAnimFile* blink = Animation("Blink", "FirstTexture: \"" + dir + "\\frame01.bmp\"\n"
                                                      "FrameCount: 3 Duration: 2\n"
                                                      "Frame1Bind: [ Usage: Texture Sampler: 0 ]");
    CGeometry* unit = AddUnit("Plain", D3DXVECTOR4(0, 0, 0, 1), WHITE);
    ASSERT_TRUE(blink && unit);
    Device3D->SetTransform(D3DTS_VIEW, &view);
    Device3D->SetTransform(D3DTS_PROJECTION, &proj);
    Play(unit, blink);
    StillFrame();
    EXPECT_TRUE(test::ColorNear(RED, CentreColour(), 8)) << std::hex << CentreColour();
    RunFrame(1.0f);  // one frame step of the two-second, three-frame animation
    EXPECT_TRUE(test::ColorNear(GREEN, CentreColour(), 8)) << std::hex << CentreColour();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// The renderer switches both stages itself: stage B to the next frame's texture; an
// instance whose starter asked for no switching keeps the unit's textures.
TEST_F(AnimData, StageBTakesTheNextFrameAndTheCallerValueKeepsTheTextures)
{
    const uint16_t first = test::ColourTexture(RED);
    test::ColourTexture(GREEN);
    test::ColourTexture(BLUE);
    const CEngineAnimFile* pair = Animation("Pair", "FrameCount: 3 Duration: 2\n"
                                                    "Frame1Bind: [ Usage: Texture Sampler: 2 ]\n"
                                                    "Frame2Bind: [ Usage: Texture Sampler: 5 ]");
    CGeometry* unit = AddUnit("Plain", D3DXVECTOR4(0, 0, 0, 1), WHITE);
    ASSERT_TRUE(pair && unit);
    CAnimInstance* instance = Play(unit, pair);
    ASSERT_NE(nullptr, instance);
    instance->currentResource = first;
    instance->player.Advance(1.0f);
    gRenderer->GatherDataFromAnimations(unit);
    EXPECT_EQ(first + 1, unit->textures[2]);
    EXPECT_EQ(first + 2, unit->textures[5]);
    unit->textures[2] = unit->textures[5] = 0;
    instance->callerValue = 1;
    gRenderer->GatherDataFromAnimations(unit);
    EXPECT_EQ(0, unit->textures[2]);
    EXPECT_EQ(0, unit->textures[5]);
    // Still waiting to start: nothing is bound either.
    instance->callerValue = 0;
    instance->startDelay = 1.0f;
    gRenderer->GatherDataFromAnimations(unit);
    EXPECT_EQ(0, unit->textures[2]);
}

TEST_F(AnimData, APresentationFrameTableGivesTheStageItsEntry)
{
    const uint16_t red = test::ColourTexture(RED);
    const uint16_t green = test::ColourTexture(GREEN);
    const CEngineAnimFile* table = Animation("Table", "FrameCount: 2 Duration: 1\n"
                                                      "Frame1Bind: [ Usage: Texture Sampler: 1 ]");
    CGeometry* unit = AddUnit("Plain", D3DXVECTOR4(0, 0, 0, 1), WHITE);
    ASSERT_TRUE(table && unit);
    CAtom::SPlayRequest request;
    request.animation = table->index;
    ASSERT_TRUE(unit->StartRequestedAnimation(request, {green, red}));
    gRenderer->GatherDataFromAnimations(unit);
    EXPECT_EQ(green, unit->textures[1]);
    unit->FirstAnimation()->player.Advance(1.0f);
    gRenderer->GatherDataFromAnimations(unit);
    EXPECT_EQ(red, unit->textures[1]);
}

TEST_F(AnimData, AtlasCellsLandInTheUvRegisters)
{
    const CEngineAnimFile* cells = Animation("Cells", "FramesUV: [ Size: 4x2 ]\n"
                                                      "FrameCount: 8 Duration: 7\n"
                                                      "Frame1Bind: [ Usage: UvFrame Sampler: 1 ]\n"
                                                      "Frame2Bind: [ Usage: UvFrame Sampler: 2 ]");
    CGeometry* unit = AddUnit("Animated", D3DXVECTOR4(0, 0, 0, 1), RED);
    ASSERT_TRUE(cells && unit);
    CAnimInstance* instance = Play(unit, cells);
    ASSERT_NE(nullptr, instance);
    instance->player.Advance(5.0f);  // frame 5, next 6
    StillFrame();
    const std::vector<float> c = VertexConstants(UV_REGISTER, 3);
    const float expected[12] = {1, 1, 0, 0,                  // stage 0: the unit's own
                                0.25f, 0.5f, 0.25f, 0.5f,    // cell 5: column 1, row 1
                                0.25f, 0.5f, 0.5f, 0.5f};    // cell 6: column 2, row 1
    for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(expected[i], c[size_t(i)]) << "register float " << i;
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(AnimData, AUvTrackIsSampledIntoItsStage)
{
    const std::string path = dir + "\\Scroll.txt";
    test::WriteFile(path, "AnimationText 4 written by test 2 Bones: 1 Duration: 1\n"
                          "Channels = [ UvCoords ]\nKeys u0 v0 u1 v1\n"
                          "Frame0\nRoot 0.5 0.25 0.1 0.2\nFrame1\nRoot 1 1 0.3 0.4\n");
    const CEngineAnimFile* scroll = Animation("Scroll", "AnimationFile: \"" + path + "\"\n"
                                                        "Frame1Bind: [ Usage: UvFrame Sampler: 3 ]");
    CGeometry* unit = AddUnit("Animated", D3DXVECTOR4(0, 0, 0, 1), RED);
    ASSERT_TRUE(scroll && unit);
    ASSERT_EQ(2, scroll->data.frameCount) << messages.Joined();
    CAnimInstance* instance = Play(unit, scroll);
    ASSERT_NE(nullptr, instance);
    instance->player.Advance(0.5f);
    StillFrame();
    const std::vector<float> c = VertexConstants(UV_REGISTER + 3, 1);
    EXPECT_FLOAT_EQ(0.75f, c[0]);
    EXPECT_FLOAT_EQ(0.625f, c[1]);
    EXPECT_FLOAT_EQ(0.2f, c[2]);
    EXPECT_FLOAT_EQ(0.3f, c[3]);
}

// Three animations fill AnimFactor[0..2]; the fourth vector keeps what an earlier unit
// with four animations left there.
TEST_F(AnimData, EachPlayingAnimationHasItsFactorAndTheFourthIsKept)
{
    const float advances[4] = {0.25f, 0.5f, 0.75f, 0.125f};
    CEngineAnimFile* files[4] = {};
    for (int i = 0; i < 4; ++i) files[i] = Animation("Sway" + std::to_string(i), "FrameCount: 3 Duration: 2");
    CGeometry* four = AddUnit("Animated", D3DXVECTOR4(-2, 0, 0, 1), RED);
    ASSERT_NE(nullptr, four);
    for (int i = 0; i < 4; ++i) {
        CAnimInstance* instance = Play(four, files[i]);
        ASSERT_NE(nullptr, instance);
        instance->player.Advance(advances[i]);
    }
    StillFrame();
    std::vector<float> c = VertexConstants(FACTOR_REGISTER, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(advances[i], c[size_t(i) * 4]) << "factor " << i;
        EXPECT_FLOAT_EQ(1.0f - advances[i], c[size_t(i) * 4 + 1]) << "factor " << i;
    }
    four->Disable();
    CGeometry* three = AddUnit("Animated", D3DXVECTOR4(2, 0, 0, 1), GREEN);
    ASSERT_NE(nullptr, three);
    const float later[3] = {0.5f, 0.875f, 0.375f};
    for (int i = 0; i < 3; ++i) Play(three, files[i])->player.Advance(later[i]);
    StillFrame();
    c = VertexConstants(FACTOR_REGISTER, 4);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(later[i], c[size_t(i) * 4]) << "factor " << i;
    EXPECT_FLOAT_EQ(0.125f, c[12]) << "the earlier unit's fourth factor";
    EXPECT_FLOAT_EQ(0.875f, c[13]);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// Of two playing transform animations the first turns the unit's world matrix; the later
// one plays on without a say in it. The unit keeps its place.
TEST_F(AnimData, TheFirstTransformAnimationTurnsTheUnit)
{
    CEngineAnimFile* turns[2] = {};
    for (int yaw : {90, 180}) {
        const std::string path = dir + "\\Yaw" + std::to_string(yaw) + ".txt";
        test::WriteFile(path, "AnimationText 4 written by test 2 Bones: 1 Duration: 1\n"
                              "Channels = [ Angle ]\nKeys ax ay az\n"
                              "Frame0\nRoot 0 " + std::to_string(yaw) + " 0\n"
                              "Frame1\nRoot 0 " + std::to_string(yaw) + " 0\n");
        turns[yaw / 180] = Animation("Yaw" + std::to_string(yaw),
                                     "Flags: [ Matrices3x3 ] AnimationFile: \"" + path + "\"");
    }
    CGeometry* unit = AddUnit("Animated", D3DXVECTOR4(1, 2, 3, 1), RED);
    ASSERT_TRUE(turns[0] && turns[1] && unit);
    ASSERT_TRUE(turns[0]->data.flags & ANIM_MATRICES_3X3) << messages.Joined();
    Play(unit, turns[0]);
    Play(unit, turns[1]);
    StillFrame();
    D3DXMATRIX expected;
    D3DXMatrixRotationY(&expected, D3DX_PI / 2);
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(expected[i], unit->world[i], 1e-5f) << "element " << i;
    EXPECT_EQ(D3DXVECTOR4(1, 2, 3, 1), D3DXVECTOR4(unit->world._41, unit->world._42, unit->world._43, unit->world._44));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(AnimData, AMeshAnimationBindsItsFrameStreamsAndTheBaseMeshIndices)
{
    for (int i = 1; i <= 3; ++i) test::WriteFile(dir + "\\morph0" + std::to_string(i) + ".msh", SquareMesh(0.1f * i, 0));
    const CEngineAnimFile* morph = Animation("Morph", "FVF [ xyz uv0 ]\nFirstMesh: \"" + dir + "\\morph01.msh\"\n"
                                                      "FrameCount: 3 Duration: 2\n"
                                                      "Frame1Bind: [ Usage: Mesh StreamVB: 1 ]\n"
                                                      "Frame2Bind: [ Usage: Mesh StreamVB: 2 ]");
    ASSERT_NE(nullptr, morph);
    ASSERT_NE(0, morph->firstResource) << messages.Joined();
    CMesh* frames[3] = {};
    for (int i = 0; i < 3; ++i) {
        CEngineMesh* record = gMeshContainer->GetMesh(uint16_t(morph->firstResource + i));
        ASSERT_NE(nullptr, record) << "frame " << i;
        frames[i] = &record->mesh;
    }
    ASSERT_NE(nullptr, frames[0]->indexBuffer);
    EXPECT_EQ(nullptr, frames[1]->indexBuffer) << "later frames are loaded without indices";

    // A unit of the shaded class with no mesh of its own: the base mesh is drawn.
    auto* unit = dynamic_cast<CGeometry*>(gUnitInspector->CreateUnit("Animated", nullptr));
    ASSERT_NE(nullptr, unit);
    unit->SysControls |= SYS_RENDER_ALWAYS;
    unit->textures[0] = test::ColourTexture(GREEN);
    unit->SetPos(D3DXVECTOR4(0, 0, 0, 1));
    CAnimInstance* instance = Play(unit, morph);
    ASSERT_NE(nullptr, instance);
    instance->player.Advance(1.0f);  // frame 1, next 2
    StillFrame();
    EXPECT_TRUE(test::ColorNear(GREEN, CentreColour(), 8)) << std::hex << CentreColour();
    EXPECT_EQ(frames[0], gRenderer->substituteMesh);
    auto stream = [](UINT n) {
        IDirect3DVertexBuffer9* vb = nullptr;
        UINT offset = 0, stride = 0;
        Device3D->GetStreamSource(n, &vb, &offset, &stride);
        if (vb) vb->Release();
        return vb;
    };
    EXPECT_EQ(frames[1]->vertexBuffer, stream(1));
    EXPECT_EQ(frames[2]->vertexBuffer, stream(2));

    // A unit whose own mesh has indices keeps drawing its own.
    CGeometry* own = AddUnit("Animated", D3DXVECTOR4(0, 0, 0, 1), RED);
    ASSERT_NE(nullptr, own);
    Play(own, morph);
    gRenderer->GatherDataFromAnimations(own);
    EXPECT_EQ(nullptr, gRenderer->substituteMesh);
    EXPECT_EQ(frames[0]->vertexBuffer, stream(1));
    EXPECT_EQ(frames[1]->vertexBuffer, stream(2));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(AnimData, NoIndexBufferAnywhereIsSaidOnce)
{
    const CEngineAnimFile* broken = Animation("Broken", "FirstMesh: Nowhere\nFrameCount: 2 Duration: 1\n"
                                                        "Frame1Bind: [ Usage: Mesh StreamVB: 1 ]");
    ASSERT_NE(nullptr, broken);
    EXPECT_EQ(0, broken->firstResource);
    messages.Clear();
    auto* unit = dynamic_cast<CGeometry*>(gUnitInspector->CreateUnit("Animated", nullptr));
    ASSERT_NE(nullptr, unit);
    unit->SysControls |= SYS_RENDER_ALWAYS;
    strcpy(unit->name, "Ghost");
    Play(unit, broken);
    StillFrame();
    StillFrame();
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CRenderer::GatherDataFromAnimations  Error.\n\n   No index buffer for unit  'Ghost'. When playing mesh "
              "animation.",
              messages.Texts()[0]);
    EXPECT_EQ(nullptr, gRenderer->substituteMesh);
}

} // namespace
} // namespace constants
