// Light units: their class words and presentation keys, the direction worked out every
// frame, and what the renderer hands to shaders from the frame's lights (read back from
// the device's vertex constants).

#include "tests/lights/LightsFixture.h"

#include <cmath>

namespace lights {
namespace {

TEST_F(LightTest, BothClassWordsMakeLightsWithTheirFlags)
{
    CLight* sun = AddLight("Sun");
    CLight* lamp = AddLight("Lamp");
    ASSERT_NE(nullptr, sun);
    ASSERT_NE(nullptr, lamp);
    EXPECT_EQ(LIGHT_UNIT_TYPE, sun->type);
    EXPECT_EQ(LIGHT_UNIT_TYPE, lamp->type);
    EXPECT_EQ(uint32_t(LIGHT_ATTACH_TO_CAMERA), sun->lightFlags);
    EXPECT_EQ(uint32_t(LIGHT_LOCAL_FOR_UNIT), lamp->lightFlags);
    EXPECT_EQ(D3DXVECTOR4(0.0f, -0.8f, 0.6f, 0.0f), CLight().Dir);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(LightTest, AnUnknownClassWordIsReportedWithTheClass)
{
    ReadScript("FREE_LIGHT Odd { AttachToCamera Sparkle };\n");
    ASSERT_LE(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Undefine string 'Sparkle' for UNIT 'Odd'.", messages.Texts()[0]);
}

TEST_F(LightTest, PresentationKeysSetMultiplierAndSwitches)
{
    CLight* light = AddLight("Plain");
    ASSERT_NE(nullptr, light);
    EXPECT_EQ(SCAN_BLOCK_END, ScanKeys(light, "multiplier: 2.5 diffuse: off specular: on color: [ 1 0.5 0 1 ] };"));
    EXPECT_FLOAT_EQ(2.5f, light->multiplier);
    EXPECT_EQ(0u, light->diffuse);
    EXPECT_EQ(1u, light->specular);
    EXPECT_EQ(D3DXCOLOR(1.0f, 0.5f, 0.0f, 1.0f), light->Color);

    // Any word but "on" switches off.
    EXPECT_EQ(SCAN_BLOCK_END, ScanKeys(light, "diffuse: on specular: yes };"));
    EXPECT_EQ(1u, light->diffuse);
    EXPECT_EQ(0u, light->specular);

    // Single-property mode reads one key; an unknown one goes up unread.
    EXPECT_EQ(SCAN_DONE, ScanKeys(light, "4", "multiplier:"));
    EXPECT_FLOAT_EQ(4.0f, light->multiplier);
    EXPECT_EQ(SCAN_UNKNOWN, ScanKeys(light, "1", "brightness:"));
    EXPECT_STREQ("brightness:", gUnknownWord);
}

TEST_F(LightTest, ACopyFromTheClassTakesTheFlagsButNotThePresentationValues)
{
    CLight* prototype = dynamic_cast<CLight*>(gUnitInspector->GetClassPrototype("Lamp"));
    ASSERT_NE(nullptr, prototype);
    prototype->multiplier = 3.0f;
    prototype->specular = 1;
    CLight* light = AddLight("Lamp");
    ASSERT_NE(nullptr, light);
    EXPECT_EQ(uint32_t(LIGHT_LOCAL_FOR_UNIT), light->lightFlags);
    EXPECT_FLOAT_EQ(1.0f, light->multiplier);
    EXPECT_EQ(0u, light->specular);
}

TEST_F(LightTest, TheDirectionFollowsOrient)
{
    CLight* light = AddLight("Plain");
    ASSERT_NE(nullptr, light);
    light->Orient = D3DXVECTOR4(0.3f, 1.0f, 0.0f, 0.0f);
    light->FirstInit();
    const D3DXVECTOR4 expected(sinf(1.0f) * cosf(0.3f), sinf(0.3f), cosf(1.0f) * cosf(0.3f), 0.0f);
    ExpectVector(expected, &light->Dir.x, "first init");
    light->Orient = D3DXVECTOR4(-0.5f, 0.0f, 0.0f, 0.0f);
    light->DoIdle();
    ExpectVector(D3DXVECTOR4(0.0f, sinf(-0.5f), cosf(-0.5f), 0.0f), &light->Dir.x, "idle");
}

TEST_F(LightTest, ALightOnTheCameraShinesAlongItsHeadingTiltedDown)
{
    CLight* sun = AddLight("Sun");
    ASSERT_NE(nullptr, sun);
    sun->Orient.x = -0.5236f;  // 30 degrees down
    sun->DoIdle();
    // Heading (3, 4) of the camera flattened to (0.6, 0.8); y = sin(-30 degrees) = -0.5.
    const float length = sqrtf(1.25f);
    ExpectVector(D3DXVECTOR4(0.6f / length, -0.5f / length, 0.8f / length, 0.0f), &sun->Dir.x, "tilted");

    // Looking straight down there is no heading: the last one is kept, never NaN.
    gCameraView.target = D3DXVECTOR4(0, 0, 0, 1);
    sun->DoIdle();
    ExpectVector(D3DXVECTOR4(0.6f / length, -0.5f / length, 0.8f / length, 0.0f), &sun->Dir.x, "straight down");
}

TEST_F(LightTest, OnlyLightsNotFor3DControlsJoinTheFrame)
{
    CLight* light = AddLight("Plain");
    CLight* control = AddLight("Plain");
    ASSERT_NE(nullptr, control);
    control->SysControls |= SYS_FOR_CONTROLS3D;
    gRenderer->ResetFrame();
    gUnitInspector->ProcessUnits();
    ASSERT_EQ(1u, gRenderer->lights.size());
    EXPECT_EQ(light, gRenderer->lights[0]);
}

TEST_F(LightTest, TheFrameLightsFillTheShaderLightArrays)
{
    CGeometry* unit = AddLit();
    ASSERT_NE(nullptr, unit);
    CLight* bright = AddLight("Plain");
    CLight* shiny = AddLight("Plain");
    ASSERT_NE(nullptr, shiny);
    bright->Color = D3DXCOLOR(0.5f, 0.25f, 0.125f, 1.0f);
    bright->multiplier = 2.0f;
    bright->Orient = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);  // along +z
    shiny->Color = D3DXCOLOR(0.2f, 0.4f, 0.6f, 0.5f);
    shiny->diffuse = 0;
    shiny->specular = 1;
    shiny->Orient = D3DXVECTOR4(D3DX_PI / 2, 0.0f, 0.0f, 0.0f);  // straight up
    Frame(unit);
    EXPECT_EQ(1, gRenderer->diffuseLightCount);
    EXPECT_EQ(1, gRenderer->specularLightCount);
    EXPECT_EQ(2, gRenderer->numDiffLights);
    EXPECT_EQ(2, gRenderer->numSpecLights);
    const std::vector<float> diffuse = VertexConstants(4, 2);
    ExpectVector(D3DXVECTOR4(1.0f, 0.5f, 0.25f, 2.0f), &diffuse[0], "diffuse colour times multiplier");
    ExpectVector(D3DXVECTOR4(0.0f, 0.0f, 1.0f, 0.0f), &diffuse[4], "diffuse direction");
    const std::vector<float> specular = VertexConstants(12, 2);
    ExpectVector(D3DXVECTOR4(0.2f, 0.4f, 0.6f, 0.5f), &specular[0], "specular colour");
    ExpectVector(D3DXVECTOR4(0.0f, 1.0f, 0.0f, 0.0f), &specular[4], "specular direction");
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(LightTest, ALocalLightIsTurnedIntoTheUnitsSpace)
{
    CGeometry* unit = AddLit();
    ASSERT_NE(nullptr, unit);
    unit->Orient.y = D3DX_PI / 2;  // turned a quarter about y
    unit->SetPos(D3DXVECTOR4(5, 0, 0, 1));
    CLight* lamp = AddLight("Lamp");
    ASSERT_NE(nullptr, lamp);
    lamp->Orient = D3DXVECTOR4(0.0f, D3DX_PI / 2, 0.0f, 0.0f);  // along +x
    Frame(unit);
    ASSERT_EQ(1, gRenderer->diffuseLightCount);
    D3DXMATRIX inverse;
    D3DXMatrixInverse(&inverse, nullptr, &unit->world);
    D3DXVECTOR3 local(1.0f, 0.0f, 0.0f);
    D3DXVec3TransformNormal(&local, &local, &inverse);
    EXPECT_GT(fabsf(local.z), 0.9f) << "the unit really is turned";
    const std::vector<float> diffuse = VertexConstants(4, 2);
    ExpectVector(D3DXVECTOR4(local.x, local.y, local.z, 0.0f), &diffuse[4], "direction in unit space");
}

} // namespace
} // namespace lights
