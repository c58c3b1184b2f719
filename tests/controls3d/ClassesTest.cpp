#include "tests/controls3d/ControlsFixture.h"

#include "engine/FontContainer.h"
#include "engine/TexContainer.h"

namespace controlstest {
namespace {

int gClicks = 0;
void CountClick() { ++gClicks; }

TEST_F(ControlsTest, ControlClassesReadTheirOwnAndTheGeometryKeywords)
{
    ASSERT_EQ(0, ReadScript("CONTROL_3D Door {\n"
                            "  PressShift: [ 0 0 0.5 ] PressOneTime\n"
                            "  OnFocusColor: [ 1 0 0 1 ] OnFocusSize: [ 2 3 4 ]\n"
                            "  Rect: [ 0 0 63 31 ] Pos: [ 1 2 3 ] RenderQueue: 1\n"
                            "};\n"
                            "LABEL_3D Caption { Text: \"Open the door\" Font: Big Align: [ Center Right Top ] };\n"
                            "LABEL_3D Lost { Font: Small };\n"
                            "ICON Badge { PressOneTime };\n"))
        << messages.Joined();
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CLabel3D::ScanNativePropertyes Error: can`t find font: 'Small'.", messages.Texts()[0]);
    CControl3D* door = Prototype("Door");
    ASSERT_NE(nullptr, door);
    EXPECT_EQ(7u, door->type);
    EXPECT_EQ(uint16_t(CTRL_OPT_PRESS_SHIFT | CTRL_OPT_FOCUS_COLOR | CTRL_OPT_FOCUS_SIZE), door->optionFlags);
    EXPECT_EQ(CTRL_PRESS_ONE_TIME, door->pressFlags);
    EXPECT_FLOAT_EQ(0.5f, door->PressShift.z);
    EXPECT_FLOAT_EQ(0.0f, door->OnFocusColor.g);
    EXPECT_FLOAT_EQ(4.0f, door->OnFocusSize.z);
    EXPECT_FLOAT_EQ(1.0f, door->OnFocusSize.w);
    EXPECT_EQ(63, door->Rect[2]);
    EXPECT_FLOAT_EQ(2.0f, door->Pos.y) << "geometry and atom keywords reach the base classes";
    EXPECT_TRUE(door->SysControls & SYS_FOR_CONTROLS3D);
    EXPECT_EQ(door, gIControls3D->GetControlTemplate("Door"));

    auto* caption = dynamic_cast<CLabel3D*>(Prototype("Caption"));
    ASSERT_NE(nullptr, caption);
    EXPECT_STREQ("Open the door", caption->text);
    EXPECT_EQ(gFontContainer->FindFontIndex("Big"), caption->font);
    EXPECT_EQ(LABEL_FORMAT_DEFAULT | DT_CENTER | DT_RIGHT, caption->format);
    EXPECT_EQ(0, dynamic_cast<CLabel3D*>(Prototype("Lost"))->font);
    EXPECT_NE(nullptr, dynamic_cast<CIcon*>(Prototype("Badge")));
}

// "ControlCount:" counts the control classes: labels and icons take no room in it.
TEST_F(ControlsTest, OnlyControlClassesBecomeControlTemplates)
{
    ASSERT_EQ(0, ReadScript("Controls3D [ ControlCount: 2 ActiveControls: 8 ControlGroups: 4 WindowTemplates: 8 ]\n"
                            "LABEL_3D Caption { };\nICON Badge { };\nCONTROL_3D Door { };\n"))
        << messages.Joined();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(Prototype("Door"), gIControls3D->GetControlTemplate("Door"));
    EXPECT_EQ(nullptr, gIControls3D->GetControlTemplate("Caption"));
    EXPECT_EQ(nullptr, gIControls3D->GetControlTemplate("Badge"));
}

TEST_F(ControlsTest, AControlClassPastTheTemplateLimitKeepsNoControlTemplate)
{
    ReadScript("UnitInspector [ TemplateCount: 3 UnitCount: 8 ]\n"
               "Controls3D [ ControlCount: 8 ActiveControls: 8 ControlGroups: 4 WindowTemplates: 8 ActiveWindows: 3 ]\n"
               "CONTROL_3D A { };\nCONTROL_3D B { };\nCONTROL_3D C { };\n");
    EXPECT_EQ(1u, messages.Count()) << messages.Joined();  // the template limit
    EXPECT_EQ(2, gControls3D->controlTemplates.Count()) << "B is not kept twice";
}

TEST_F(ControlsTest, ALongLabelTextIsCutToItsRoom)
{
    const std::string longText(300, 'x');
    ASSERT_EQ(0, ReadScript("LABEL_3D Long { Text: \"" + longText + "\" };\n"));
    auto* label = dynamic_cast<CLabel3D*>(Prototype("Long"));
    ASSERT_NE(nullptr, label);
    EXPECT_EQ(LABEL_TEXT_SIZE - 1, strlen(label->text));
    label->SetText(longText.c_str());
    EXPECT_EQ(LABEL_TEXT_SIZE - 1, strlen(label->text));
}

TEST_F(ControlsTest, TheTextureRectangleBecomesTheTextureTransform)
{
    ASSERT_EQ(0, ReadScript("CONTROL_3D Part { Rect: [ 0 0 63 31 ] };\nCONTROL_3D Whole { };\n"));
    const uint16_t texture = gTexContainer->CreateTexture(256, 128, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0);
    ASSERT_NE(0, texture);
    Prototype("Part")->textures[0] = texture;
    Prototype("Whole")->textures[0] = texture;
    auto* part = dynamic_cast<CControl3D*>(Create("Part"));
    ASSERT_NE(nullptr, part);
    EXPECT_FLOAT_EQ(0.25f, part->UvMulAdd.x);
    EXPECT_FLOAT_EQ(0.25f, part->UvMulAdd.y);
    EXPECT_FLOAT_EQ(0.0f, part->UvMulAdd.z);
    EXPECT_FLOAT_EQ(0.0f, part->UvMulAdd.w);
    auto* whole = dynamic_cast<CControl3D*>(Create("Whole"));
    ASSERT_NE(nullptr, whole);
    EXPECT_FLOAT_EQ(1.0f, whole->UvMulAdd.x) << "no rectangle: the whole texture";
}

TEST_F(ControlsTest, ThePickedActiveControlTakesItsFocusLookAndGivesItBack)
{
    ASSERT_EQ(0, ReadScript("CONTROL_3D Door { OnFocusColor: [ 1 0 0 1 ] OnFocusSize: [ 2 2 2 ] };\n"
                            "CONTROL_3D Plain { OnFocusSize: [ 3 3 3 ] };\n"));
    auto* door = dynamic_cast<CControl3D*>(Create("Door"));
    auto* plain = dynamic_cast<CControl3D*>(Create("Plain"));
    ASSERT_TRUE(door && plain);
    gControls3D->pickedControl = door;
    door->DoIdle();
    EXPECT_FLOAT_EQ(1.0f, door->Color.g) << "an inactive control keeps its look";

    door->controlState |= CTRL_ACTIVE;
    plain->controlState |= CTRL_ACTIVE;
    door->DoIdle();
    EXPECT_FLOAT_EQ(0.0f, door->Color.g);
    EXPECT_FLOAT_EQ(2.0f, door->Size.x);
    gControls3D->pickedControl = plain;
    door->DoIdle();
    plain->DoIdle();
    EXPECT_FLOAT_EQ(1.0f, door->Color.g);
    EXPECT_FLOAT_EQ(1.0f, door->Size.x);
    EXPECT_FLOAT_EQ(1.0f, plain->Color.g) << "without a focus colour the colour stays";
    EXPECT_FLOAT_EQ(3.0f, plain->Size.x);
}

TEST_F(ControlsTest, ClonesShareTheirPrototypesCallbackUntilGivenTheirOwn)
{
    ASSERT_EQ(0, ReadScript("CONTROL_3D Door { PressOneTime };\n"));
    Prototype("Door")->SetCallback(new CDelegate<CEmptyClass>(CountClick));
    auto* first = dynamic_cast<CControl3D*>(Create("Door"));
    auto* second = dynamic_cast<CControl3D*>(Create("Door"));
    ASSERT_TRUE(first && second);
    gClicks = 0;
    EXPECT_EQ(0, first->InvokeCallback());
    second->SetCallback(nullptr);
    EXPECT_EQ(-2, second->InvokeCallback());
    gUnitInspector->DeleteUnit(first);
    EXPECT_EQ(0, Prototype("Door")->InvokeCallback()) << "deleting a clone leaves the shared callback alone";
    EXPECT_EQ(2, gClicks);
}

} // namespace
} // namespace controlstest
