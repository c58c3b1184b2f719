#include "tests/containers2/ContainersFixture.h"

#include "engine/FontContainer.h"
#include "tests/support/TestDevice.h"

#include <memory>

namespace containers2 {
namespace {

// Fonts are made on a device, which lives longer than the engine.
struct FontsTest : ContainersTest {
    std::unique_ptr<test::TestDevice> device;

    void SetUp() override
    {
        device = std::make_unique<test::TestDevice>();
        ASSERT_EQ(0, device->Init());
        ContainersTest::SetUp();
    }
    void TearDown() override
    {
        ContainersTest::TearDown();
        device.reset();
    }
};

TEST_F(FontsTest, FontsAreMadeWithTheirStyleAndFoundByName)
{
    ASSERT_EQ(0, ReadScript("Fonts [ Count: 4 ]\n"
                            "FONT Title { Name: \"Arial\" Height: 20 Width: 8 Bold Italic };\n"
                            "FONT Small { Name: Arial Height: 12 NonAntialias Shadow };\n"
                            "FONT Title { Name: Arial Height: 30 };\n"));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CFontContainer::AddFont :  Undefine string 'Shadow'.", messages.Texts()[0]);
    EXPECT_EQ(1, gIFontContainer->FindFontIndex("Title")) << "the first of two equal names";
    EXPECT_EQ(2, gIFontContainer->FindFontIndex("Small"));
    EXPECT_EQ(0, gIFontContainer->FindFontIndex("Nothing"));
    CEngFont* title = gIFontContainer->FindFont("Title");
    ASSERT_NE(nullptr, title);
    EXPECT_EQ(title, gIFontContainer->GetFont(1));
    EXPECT_EQ(20, title->height);
    EXPECT_EQ(8, title->width);
    EXPECT_EQ(uint32_t(FONT_BOLD | FONT_ITALIC), title->flags);
    EXPECT_TRUE(title->font.IsCreated());
    EXPECT_STREQ("Arial", title->font.face);
    EXPECT_EQ(uint32_t(FONT_NOT_ANTIALIASED), gIFontContainer->GetFont(2)->flags);
    EXPECT_EQ(30, gIFontContainer->GetFont(3)->height);
    EXPECT_EQ(nullptr, gIFontContainer->GetFont(0));
    EXPECT_EQ(nullptr, gIFontContainer->GetFont(4));
}

TEST_F(FontsTest, AFullFontPoolStopsReading)
{
    EXPECT_EQ(-1, ReadScript("Fonts [ Count: 2 ]\n"
                             "FONT One { Name: Arial Height: 12 };\n"
                             "FONT Two { Name: Arial Height: 12 };\n"
                             "Variables [ ScriptVarCapacity: [ R: 1 W: 1 ] ]\n"));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("FontContainer:  fonts limit is exceed.", messages.Texts()[0]);
    EXPECT_EQ(1, gExitCode);
    EXPECT_EQ(0, gParser->variables.recordCapacity);
}

// A repeated "Fonts" section sizes the container afresh; the fonts it drops must give their
// device references back.
TEST_F(FontsTest, ASecondSectionReleasesTheFontsOfTheFirst)
{
    const std::string section = Write("section.txt", "[ Count: 2 ]\n");
    const std::string font = Write("font.txt", "Title { Name: Arial Height: 20 };\n");
    const auto read = [](const std::string& path, const auto& scan) {
        FILE* file = fopen(path.c_str(), "rb");
        ASSERT_NE(nullptr, file);
        scan(file);
        fclose(file);
    };
    const unsigned long before = test::DeviceRefCount();
    {
        CFontContainer local;
        read(section, [&](FILE* f) { EXPECT_EQ(0, local.FirstScan(f)); });
        read(font, [&](FILE* f) { EXPECT_EQ(1, local.AddFont(f)); });
        ASSERT_TRUE(local.GetFont(1)->font.IsCreated()) << messages.Joined();
        EXPECT_GT(test::DeviceRefCount(), before);
        read(section, [&](FILE* f) { EXPECT_EQ(0, local.FirstScan(f)); });
        EXPECT_EQ(before, test::DeviceRefCount());
        EXPECT_EQ(nullptr, local.FindFont("Title"));
        read(font, [&](FILE* f) { EXPECT_EQ(1, local.AddFont(f)); });
    }
    EXPECT_EQ(before, test::DeviceRefCount());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace containers2
