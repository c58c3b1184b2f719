#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/Textures.h"
#include "engine/TexContainer.h"
#include "scene/Geometry.h"
#include "tests/support/Harness.h"
#include "tests/textures/TestImages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

using textest::Pixels;

const uint32_t RED = 0xFFFF0000, GREEN = 0xFF00FF00, BLUE = 0xFF0000FF;

std::string Solid(uint32_t color)
{
    return textest::Bmp24(4, 4, Pixels(16, color));
}

// A container read from a "TexContainer" section, on a program folder of its own.
class TexContainerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = test::TempDir("texcontainer");
        StrCopy(savedBase, sizeof savedBase, gBaseDir);
        StrCopy(gBaseDir, sizeof gBaseDir, (dir + "\\").c_str());
        ResetUsageParams();
        gExitCode = 0;
    }
    void TearDown() override
    {
        StrCopy(gBaseDir, sizeof gBaseDir, savedBase);
        gExitCode = 0;
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::string path = dir + "\\" + name;
        test::WriteFile(path, bytes);
        return path;
    }
    // Runs reader on a file holding text; answers the word that follows what it read.
    template <class Reader> std::string Scan(const std::string& text, Reader reader)
    {
        std::string path = Write("script.txt", text);
        FILE* file = fopen(path.c_str(), "r");
        reader(file);
        char next[Core::WORD_BUFFER_SIZE];
        Core::fscan_word(file, next);
        fclose(file);
        return next;
    }
    void Section(const std::string& body)
    {
        Scan("[ " + body + " ]", [&](FILE* f) { tex.FirstScan(f); });
    }
    uint16_t Element(const std::string& text, bool surface = false, int presentation = 0,
                     std::string* next = nullptr)
    {
        uint16_t index = 0;
        std::string after = Scan(text + " NEXT", [&](FILE* f) {
            index = tex.ScanElement(f, surface, presentation);
        });
        if (next)
            *next = after;
        return index;
    }
    uint16_t Reference(const std::string& token)
    {
        uint16_t index = 0;
        Scan(token, [&](FILE* f) { index = tex.ScanTexture(f, 0); });
        return index;
    }
    uint32_t FirstTexel(uint16_t index)
    {
        Pixels p = textest::ReadTexels(tex.GetTexture(index));
        return p.empty() ? 0 : p[0];
    }

    test::MessageRecorder messages;
    CTexContainer tex;
    std::string dir;
    char savedBase[sizeof gBaseDir];
};

TEST_F(TexContainerTest, SectionSetsCapacityAndDirectory)
{
    Section("TexCount: 4 TextureDirectory: \"Tex\" Unknown");
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Undefine string 'Unknown'", messages.Texts()[0]);
    EXPECT_STREQ("Tex\\", tex.textureDirectory);
    EXPECT_STREQ("Tex\\", gTexturesPath);

    Section("TextureDirectory: \"Tex/\"");
    EXPECT_STREQ("Tex/", tex.textureDirectory);
    Section("TextureDirectory: \"\"");
    EXPECT_STREQ("", tex.textureDirectory);
}

TEST_F(TexContainerTest, UnclosedSectionEndsAtEndOfFile)
{
    Scan("[ TexCount: 3", [&](FILE* f) { tex.FirstScan(f); });
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CTexContainer::FirstScan :  section 'TexContainer' is not closed by ']'.",
              messages.Texts()[0]);
    Write("a.bmp", Solid(RED));
    EXPECT_EQ(1, tex.LoadTexture("a.bmp", 0)) << "the capacity read so far holds";
}

TEST_F(TexContainerTest, ElementsLoadByNameAndPath)
{
    Section("TexCount: 10 TextureDirectory: \"Tex\"");
    Write("Tex\\a.bmp", Solid(RED));
    Write("a.bmp", Solid(GREEN));
    Write("b.bmp", Solid(BLUE));
    std::string next;
    EXPECT_EQ(1, Element("Red \"a.bmp\"", false, 0, &next));
    EXPECT_EQ("NEXT", next);
    EXPECT_EQ(RED, FirstTexel(1)) << "the texture directory comes first";
    EXPECT_EQ(2, Element("Blue \"b.bmp\""));
    EXPECT_EQ(BLUE, FirstTexel(2)) << "then the program folder";

    std::string absolute = dir + "\\b.bmp";
    for (char& c : absolute)
        if (c == '\\')
            c = '/';
    EXPECT_EQ(3, Element("Abs \"" + absolute + "\""));
    EXPECT_EQ(BLUE, FirstTexel(3));

    CEngineTex* red = tex.GetTex(1);
    ASSERT_NE(nullptr, red);
    EXPECT_STREQ("Red", red->name);
    EXPECT_STREQ("a.bmp", red->path);
    EXPECT_EQ(4u, red->desc.Width);
    EXPECT_EQ(0u, red->flags);
    EXPECT_EQ(1, tex.FindTexture("Red"));
    EXPECT_EQ(0, tex.FindTexture("red"));
    EXPECT_EQ(2, tex.FindTexturePath("b.bmp"));
    EXPECT_EQ(nullptr, tex.GetTex(0));
    EXPECT_EQ(nullptr, tex.GetTex(4));
    EXPECT_EQ(nullptr, tex.GetTexture(0));
    EXPECT_EQ(0, tex.FindTexture(""));
    EXPECT_EQ(0, tex.FindTexture(nullptr));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(TexContainerTest, RepeatedElementIsAReferenceReadWhole)
{
    Section("TexCount: 10");
    const std::string file = Write("sky.bmp", Solid(BLUE));
    const std::string element = "Sky USAGE [ dynamic pool_default ] \"sky.bmp\"";
    EXPECT_EQ(1, Element(element));
    EXPECT_EQ(DWORD(D3DUSAGE_DYNAMIC), tex.GetTex(1)->desc.Usage);
    EXPECT_EQ(D3DPOOL_DEFAULT, tex.GetTex(1)->desc.Pool);

    DeleteFileA(file.c_str());
    std::string next;
    EXPECT_EQ(1, Element(element, false, 0, &next)) << "found by name, no file read";
    EXPECT_EQ("NEXT", next) << "nothing of the element is left for the script reader";
    EXPECT_EQ(1, Reference("Sky"));
    EXPECT_EQ(1, Reference("\"sky.bmp\""));
    EXPECT_EQ(1, Reference("sky.bmp")) << "a single bare word is also a path";
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(TexContainerTest, SecondNameForAPathSharesItsTextureWithOneWarning)
{
    Section("TexCount: 10");
    Write("a.bmp", Solid(RED));
    EXPECT_EQ(1, Element("First \"a.bmp\""));
    EXPECT_EQ(1, Element("Second \"a.bmp\""));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CTexContainer::ScanTexture :\n\nTexture 'Second' have duplicate path: 'a.bmp'.",
              messages.Texts()[0]);
    EXPECT_EQ(0, tex.FindTexture("Second"));
    EXPECT_EQ(3, tex.warnings);
}

TEST_F(TexContainerTest, LongNamesAndPathsAreCut)
{
    Section("TexCount: 10");
    const std::string name(40, 'N');
    Write("a.bmp", Solid(RED));
    EXPECT_EQ(1, Element(name + " \"a.bmp\""));
    EXPECT_EQ(std::string(31, 'N'), tex.GetTex(1)->name);
    EXPECT_EQ(1, tex.FindTexture(std::string(31, 'N').c_str()));
}

TEST_F(TexContainerTest, FailedElementsReportAndKeepTheirIndexEmptyUnderTheirName)
{
    Section("TexCount: 10");
    Write("bad.bmp", "no image");
    EXPECT_EQ(0, Element("Missing \"missing.bmp\""));
    EXPECT_EQ(0, Element("Gone \"" + dir + "\\gone.bmp\""));
    EXPECT_EQ(0, Element("Bad \"bad.bmp\""));
    ASSERT_EQ(3u, messages.Count());
    EXPECT_EQ("CTexContainer::ScanTexture: Can`t find texture: 'missing.bmp'.", messages.Texts()[0]);
    EXPECT_EQ("CTexContainer::ScanTexture  Error:  \nNot found texture file '" + dir +
                  "\\gone.bmp'.",
              messages.Texts()[1]);
    EXPECT_EQ("CTexContainer::ScanTexture  Error:  \nImproper params for texture or surface'Bad'.",
              messages.Texts()[2]);
    // The indices stay taken under their names; a repeated element refers to its empty
    // record without trying the file again.
    EXPECT_EQ(1, tex.FindTexture("Missing"));
    EXPECT_EQ(3, tex.FindTexture("Bad"));
    ASSERT_NE(nullptr, tex.GetTex(3));
    EXPECT_EQ(nullptr, tex.GetTexture(3));
    EXPECT_EQ(nullptr, StageTexture(3));
    EXPECT_EQ(1, Element("Missing \"missing.bmp\""));
    EXPECT_EQ(3, Element("Bad \"bad.bmp\""));
    EXPECT_EQ(3, Reference("Bad"));
    EXPECT_EQ(3u, messages.Count()) << messages.Joined();
    Write("c.bmp", Solid(RED));
    EXPECT_EQ(4, Element("C \"c.bmp\""));

    // The fourth warning is the last one shown.
    EXPECT_EQ(0, Element("Bad2 \"bad.bmp\""));
    EXPECT_EQ(0, Element("Bad3 \"bad.bmp\""));
    ASSERT_EQ(4u, messages.Count());
    EXPECT_NE(std::string::npos, messages.Texts()[3].find("Next this Warnings will be skiped."));
}

TEST_F(TexContainerTest, TableLimitDuringScriptsAsksForShutdown)
{
    Section("TexCount: 4");
    Write("a.bmp", Solid(RED));
    Write("b.bmp", Solid(GREEN));
    Write("c.bmp", Solid(BLUE));
    Write("d.bmp", Solid(RED));
    EXPECT_EQ(1, Element("A \"a.bmp\""));
    EXPECT_EQ(2, Element("B \"b.bmp\""));
    EXPECT_EQ(3, Element("C \"c.bmp\""));
    EXPECT_EQ(0, Element("D \"d.bmp\""));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("TexContainer:  textures or surfaces limit is exceed.", messages.Texts()[0]);
    EXPECT_EQ(1, gExitCode);

    gExitCode = 0;
    EXPECT_EQ(0, tex.LoadTexture("d.bmp", 0));
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("TexContainer:  textures limit is exceed.", messages.Texts()[1]);
    EXPECT_EQ(0, gExitCode);
    EXPECT_EQ(0, tex.CreateTexture(4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0));
    EXPECT_EQ(3u, messages.Count());
}

TEST_F(TexContainerTest, WithoutASectionNothingIsTaken)
{
    Write("a.bmp", Solid(RED));
    EXPECT_EQ(0, tex.LoadTexture("a.bmp", 0));
    EXPECT_EQ(0, tex.FindTexturePath("a.bmp"));
    EXPECT_EQ(1u, messages.Count());
}

TEST_F(TexContainerTest, LoadTextureSharesPathsUnlessAskedNotTo)
{
    Section("TexCount: 10 TextureDirectory: \"Tex\"");
    Write("Tex\\a.bmp", Solid(RED));
    uint16_t first = tex.LoadTexture("a.bmp", 0);
    EXPECT_EQ(1, first);
    EXPECT_EQ(RED, FirstTexel(first));
    EXPECT_EQ(first, tex.LoadTexture("a.bmp", 0));
    uint16_t copy = tex.LoadTexture("a.bmp", TEX_NO_SHARING);
    EXPECT_EQ(2, copy);
    EXPECT_NE(tex.GetTexture(first), tex.GetTexture(copy));
    EXPECT_EQ(TEX_NO_SHARING, tex.GetTex(copy)->flags);
    EXPECT_EQ(first, tex.FindTexturePath("a.bmp"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(TexContainerTest, LoadTextureFailures)
{
    Section("TexCount: 10");
    Write("bad.bmp", "no image");
    EXPECT_EQ(0, tex.LoadTexture("missing.bmp", 0));
    EXPECT_EQ(0, tex.LoadTexture("bad.bmp", 0));
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("CTexContainer::LoadTexture  Error:  \nNot found texture file 'missing.bmp'.",
              messages.Texts()[0]);
    EXPECT_EQ("CTexContainer::LoadTexture  Error:  \nImproper params for texture ''.",
              messages.Texts()[1]);
    EXPECT_EQ(0, tex.FindTexturePath("bad.bmp"));
    EXPECT_EQ(0, tex.LoadTexture("", 0));
    EXPECT_EQ(0, tex.LoadTexture(nullptr, 0));
    EXPECT_EQ(2u, messages.Count());
}

TEST_F(TexContainerTest, PresentationTexturesGoWithThePresentation)
{
    Section("TexCount: 10");
    Write("a.bmp", Solid(RED));
    Write("b.bmp", Solid(GREEN));
    Write("c.bmp", Solid(BLUE));
    Write("d.bmp", Solid(RED));
    EXPECT_EQ(1, Element("Script \"a.bmp\""));
    EXPECT_EQ(2, Element("Shown \"b.bmp\"", false, 1));
    EXPECT_EQ(3, tex.LoadTexture("c.bmp", TEX_PRESENTATION));
    EXPECT_EQ(0, tex.LoadTexture("missing.bmp", TEX_PRESENTATION)) << "index 4 stays taken";
    EXPECT_EQ(5, tex.CreateTexture(8, 8, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 1));
    EXPECT_EQ(TEX_PRESENTATION, tex.GetTex(2)->flags);
    EXPECT_EQ(TEX_PRESENTATION, tex.GetTex(4)->flags) << "a failed load is flagged too";

    tex.ReleaseMissionTextures();
    EXPECT_NE(nullptr, tex.GetTexture(1));
    EXPECT_EQ(1, tex.FindTexture("Script"));
    for (uint16_t i = 2; i <= 5; ++i) {
        EXPECT_EQ(nullptr, tex.GetTexture(i)) << i;
        EXPECT_EQ(0u, tex.GetTex(i)->flags) << i;
    }
    EXPECT_EQ(0, tex.FindTexture("Shown"));
    EXPECT_EQ(0, tex.FindTexturePath("c.bmp"));
    // The last index freed is the first taken again.
    EXPECT_EQ(5, tex.LoadTexture("d.bmp", TEX_PRESENTATION));
    EXPECT_EQ(4, tex.LoadTexture("c.bmp", 0));
}

TEST_F(TexContainerTest, ReleasingTwiceFreesOnce)
{
    Section("TexCount: 10");
    Write("a.bmp", Solid(RED));
    Write("b.bmp", Solid(GREEN));
    Write("c.bmp", Solid(BLUE));
    EXPECT_EQ(1, tex.LoadTexture("a.bmp", 0));
    tex.ReleaseTexture(1);
    tex.ReleaseTexture(1);
    tex.ReleaseTexture(0);
    tex.ReleaseTexture(9);
    EXPECT_EQ(1, tex.LoadTexture("b.bmp", 0));
    EXPECT_EQ(2, tex.LoadTexture("c.bmp", 0));
}

TEST_F(TexContainerTest, CreatedTexturesHaveNoPath)
{
    Section("TexCount: 10");
    EXPECT_EQ(1, tex.CreateTexture(16, 8, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                   D3DPOOL_DEFAULT, 0));
    CEngineTex* t = tex.GetTex(1);
    EXPECT_EQ(16u, t->desc.Width);
    EXPECT_EQ(DWORD(D3DUSAGE_RENDERTARGET), t->desc.Usage);
    EXPECT_EQ(0, tex.FindTexturePath(""));
    EXPECT_EQ(0, tex.FindTexturePath(nullptr));

    EXPECT_EQ(0, tex.CreateTexture(0, 8, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CTexContainer::CreateTexture  Error:  \nCan`t create texture.", messages.Texts()[0]);
}

TEST_F(TexContainerTest, SurfacesFromDescriptions)
{
    Section("TexCount: 10");
    uint16_t depth = Element("Depth DESC [ format: D24S8 size: 64x32 antialias: 16x ]", true);
    ASSERT_EQ(1, depth);
    CEngineTex* d = tex.GetTex(depth);
    ASSERT_NE(nullptr, d->surface);
    EXPECT_EQ(D3DFMT_D24S8, d->desc.Format);
    EXPECT_EQ(64u, d->desc.Width);
    EXPECT_EQ(32u, d->desc.Height);
    EXPECT_EQ(gGraphics.maxMultisample, d->desc.MultiSampleType);
    EXPECT_EQ(d->surface, tex.GetSurface(depth));
    EXPECT_EQ(nullptr, tex.GetTexture(depth));
    EXPECT_STREQ("", d->path);

    uint16_t target =
        Element("Target USAGE [ render_target ] DESC [ format: X8R8G8B8 size: 32x32 ]", true);
    ASSERT_EQ(2, target);
    EXPECT_EQ(DWORD(D3DUSAGE_RENDERTARGET), tex.GetTex(target)->desc.Usage);

    // The same description without the surface switch makes a texture.
    uint16_t texture =
        Element("Glow USAGE [ render_target ] DESC [ format: A8R8G8B8 size: 32x16 ]");
    ASSERT_EQ(3, texture);
    ASSERT_NE(nullptr, tex.GetTexture(texture));
    EXPECT_EQ(nullptr, tex.GetTex(texture)->surface);
    EXPECT_EQ(D3DPOOL_DEFAULT, tex.GetTex(texture)->desc.Pool);

    // A texture's surface is lent like a surface record's: the texture keeps it alive.
    IDirect3DSurface9* level = tex.GetSurface(texture);
    ASSERT_NE(nullptr, level);
    EXPECT_EQ(level, tex.GetSurface(texture));
    ASSERT_EQ(D3D_OK, Device3D->ColorFill(level, nullptr, GREEN));

    EXPECT_EQ(0, Element("Bad DESC [ format: R8G8B8 size: 0x0 ]", true));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CTexContainer::ScanTexture  Error:  \nImproper params for texture or surface'Bad'.",
              messages.Texts()[0]);
}

TEST_F(TexContainerTest, CubeTexturesAreKeptAsCubes)
{
    Section("TexCount: 10");
    const uint32_t faces[6] = {RED, GREEN, BLUE, RED, GREEN, BLUE};
    Write("sky.dds", textest::CubeDds(8, faces));
    uint16_t cube = Element("Sky USAGE [ cube ] \"sky.dds\"");
    ASSERT_EQ(1, cube);
    CEngineTex* t = tex.GetTex(cube);
    ASSERT_NE(nullptr, t->texture);
    EXPECT_EQ(D3DRTYPE_CUBETEXTURE, t->type);
    EXPECT_EQ(D3DRTYPE_CUBETEXTURE, t->texture->GetType());
    EXPECT_EQ(8u, t->desc.Width);
    EXPECT_EQ(nullptr, tex.GetTexture(cube)) << "not a 2D texture";
    EXPECT_EQ(nullptr, tex.GetSurface(cube));
    // A unit binds the cube to its stage like any texture.
    ITexContainer* saved = gITexContainer;
    gITexContainer = &tex;
    CGeometry unit;
    unit.textures[2] = cube;
    unit.SetTextures();
    gITexContainer = saved;
    IDirect3DBaseTexture9* bound = nullptr;
    Device3D->GetTexture(2, &bound);
    EXPECT_EQ(t->texture, bound);
    if (bound) bound->Release();

    // A plain image is no cube.
    Write("flat.bmp", Solid(RED));
    EXPECT_EQ(0, Element("Flat USAGE [ cube ] \"flat.bmp\""));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CTexContainer::ScanTexture  Error:  \nImproper params for texture or surface'Flat'.",
              messages.Texts()[0]);

    // The usage block applies to its own element only.
    EXPECT_EQ(3, Element("Plain \"flat.bmp\""));
    EXPECT_EQ(D3DRTYPE_TEXTURE, tex.GetTex(3)->type);
    EXPECT_NE(nullptr, tex.GetTexture(3));
}

} // namespace
