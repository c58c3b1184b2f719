#include "tests/support/Harness.h"

#include "core/Core.h"
#include "core/Paths.h"
#include "core/Strings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Sets gBaseDir for one test and restores it.
class BaseDir {
public:
    explicit BaseDir(const char* dir)
    {
        StrCopy(saved_, sizeof saved_, gBaseDir);
        StrCopy(gBaseDir, sizeof gBaseDir, dir);
    }
    ~BaseDir() { StrCopy(gBaseDir, sizeof gBaseDir, saved_); }

private:
    char saved_[sizeof gBaseDir];
};

TEST(Paths, TrailingSlash)
{
    char a[16] = "Data/", b[16] = "Data", c[16] = "Data\\";
    EXPECT_TRUE(AddTrailingSlash(a));
    EXPECT_TRUE(AddTrailingSlash(b));
    EXPECT_TRUE(AddTrailingSlash(c));
    EXPECT_STREQ("Data\\", a);
    EXPECT_STREQ("Data\\", b);
    EXPECT_STREQ("Data\\", c);
    char full[5] = "Data";
    EXPECT_FALSE(AddTrailingSlash(full));
    EXPECT_STREQ("Data", full);
}

TEST(Paths, PartsOfAPath)
{
    char out[64];
    ExtractFilePath(out, "Meshes/Trees\\Tree.msh");
    EXPECT_STREQ("Meshes/Trees\\", out);
    ExtractFileName(out, "Meshes/Trees\\Tree.msh");
    EXPECT_STREQ("Tree.msh", out);
    ExtractFileTitle(out, "Meshes\\Tree.lod1.msh");
    EXPECT_STREQ("Tree.lod1", out);
    ExtractFileTitle(out, "Meshes\\.hidden");
    EXPECT_STREQ(".hidden", out);
    ExtractFileExt(out, "Meshes\\Tree.msh");
    EXPECT_STREQ(".msh", out);
    ExtractFileExt(out, "Tree");
    EXPECT_STREQ("", out);
}

TEST(Paths, NoStaleTextWhenThereIsNoPart)
{
    char out[64] = "stale";
    ExtractFilePath(out, "Tree.msh");
    EXPECT_STREQ("", out);
    StrCopy(out, sizeof out, "stale");
    ExtractFilePath(out, "\\Tree.msh");
    EXPECT_STREQ("", out);
    StrCopy(out, sizeof out, "stale");
    ExtractFileName(out, "");
    EXPECT_STREQ("", out);
}

TEST(Paths, DotsInFoldersAreNotExtensions)
{
    char out[64];
    ExtractFileExt(out, "Data.v2\\Tree");
    EXPECT_STREQ("", out);
    ExtractFileTitle(out, "Data.v2\\Tree");
    EXPECT_STREQ("Tree", out);
}

TEST(Paths, LongPartsAreCutAtTheCapacity)
{
    char out[8] = "";
    ExtractFilePath(out, "Textures\\Buildings\\A.tga");
    EXPECT_STREQ("Texture", out);
    ExtractFileName(out, "Textures\\Buildings0123.tga");
    EXPECT_STREQ("Buildin", out);
}

TEST(Paths, AbsolutePaths)
{
    EXPECT_TRUE(IsAbsolutePath("C:\\Data"));
    EXPECT_TRUE(IsAbsolutePath("z:/Data"));
    EXPECT_FALSE(IsAbsolutePath("C:Data"));
    EXPECT_FALSE(IsAbsolutePath("\\Data"));
    EXPECT_FALSE(IsAbsolutePath("C"));
    EXPECT_FALSE(IsAbsolutePath(""));
    EXPECT_FALSE(IsAbsolutePath(nullptr));
}

TEST(Paths, FileExistsOpensTheFile)
{
    std::string dir = test::TempDir("utils_exists");
    test::WriteFile(dir + "\\a.txt", "x");
    EXPECT_TRUE(FileExists((dir + "\\a.txt").c_str()));
    EXPECT_FALSE(FileExists((dir + "\\b.txt").c_str()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(nullptr));
}

// A data file may name a device; opening one (a serial port, the console) can wait forever.
TEST(Paths, DevicesAreNoDataFiles)
{
    for (const char* device : {"AUX", "aux", "CON", "Scripts\\PRN.txt", "C:\\data\\nul.msh", "COM1", "lpt9:", "CON .tga",
                               "C:CONOUT$", "conin$", "\\\\.\\COM1", "//?/C:/x.txt", "Meshes/Com3.msh"}) {
        EXPECT_TRUE(IsDevicePath(device)) << device;
        EXPECT_EQ(nullptr, OpenDataFile(device, "rb")) << device;
        EXPECT_FALSE(FileExists(device)) << device;
    }
    for (const char* file : {"", "AUXILIARY.txt", "CONSOLE", "COM0", "COM10", "LPT", "Console\\Start.txt", "NULL.msh",
                             "Scripts\\Con_1.txt", "\\\\server\\share\\a.txt"})
        EXPECT_FALSE(IsDevicePath(file)) << file;
    EXPECT_FALSE(IsDevicePath(nullptr));
}

TEST(Paths, FullPathStartsAtTheProgramFolder)
{
    BaseDir base("Z:\\Housing\\");
    char out[64];
    MakeFullPath(out, "Presentations\\List.txt");
    EXPECT_STREQ("Z:\\Housing\\Presentations\\List.txt", out);
    char small[12];
    MakeFullPath(small, "Presentations\\List.txt");
    EXPECT_STREQ("Z:\\Housing\\", small);
}

TEST(Paths, ScanFullPathReadsAQuotedName)
{
    BaseDir base("Z:\\Housing\\");
    std::string dir = test::TempDir("scanfullpath");
    std::string file = dir + "\\names.txt";
    test::WriteFile(file, "\"Meshes\\Tree One.msh\" Next");
    FILE* f = fopen(file.c_str(), "r");
    ASSERT_NE(nullptr, f);
    char out[128];
    ScanFullPath(f, out, sizeof out);
    EXPECT_STREQ("Z:\\Housing\\Meshes\\Tree One.msh", out);
    fclose(f);
}

TEST(Paths, SplitStrings)
{
    char out[64] = "stale";
    EXPECT_EQ(-1, SplitString(out, sizeof out, nullptr, "\\"));
    EXPECT_EQ(-2, SplitString(out, sizeof out, "Meshes\\Tree.msh", "/"));
    EXPECT_STREQ("", out);
    EXPECT_EQ(0, SplitString(out, sizeof out, "Meshes\\Tree.msh", "\\"));
    EXPECT_STREQ("Meshes", out);
    EXPECT_EQ(0, SplitStringAfter(out, sizeof out, "Meshes\\Tree.msh", "Meshes"));
    EXPECT_STREQ("Tree.msh", out);
    EXPECT_EQ(0, SplitStringAfter(out, sizeof out, "Meshes\\Tree.msh", "Mesh"));
    EXPECT_STREQ("es\\Tree.msh", out);
    EXPECT_EQ(-2, SplitStringAfter(out, sizeof out, "Meshes\\Tree.msh", "Tex"));
    EXPECT_EQ(-1, SplitStringAfter(out, sizeof out, "Meshes\\Tree.msh", nullptr));
}

TEST(Paths, NumberedFileNames)
{
    char out[64];
    EXPECT_EQ(0, MakeNumberedFileName(out, "Textures\\Frame000.tga", 7));
    EXPECT_STREQ("Textures\\Frame007.tga", out);
    EXPECT_EQ(0, MakeNumberedFileName(out, "Textures\\Frame000.tga", 1234));
    EXPECT_STREQ("Textures\\Frame1234.tga", out);
    EXPECT_EQ(0, MakeNumberedFileName(out, "Anim\\Walk01_old.txt", 2));
    EXPECT_STREQ("Anim\\Walk02.txt", out);
    EXPECT_EQ(-1, MakeNumberedFileName(out, "Textures\\Frame.tga", 1));
    EXPECT_EQ(-2, MakeNumberedFileName(out, "000.tga", 1));
    // A digit of the extension is not a frame number.
    EXPECT_EQ(-1, MakeNumberedFileName(out, "Sounds\\Step.mp3", 1));
    char small[10];
    EXPECT_EQ(0, MakeNumberedFileName(small, "Textures\\Frame000.tga", 7));
    EXPECT_STREQ("Textures\\", small);
}

TEST(Paths, NumberedNames)
{
    char out[64];
    MakeNumberedName(out, sizeof out, "Icons\\", "Meshes\\Tree.msh", 5, 3);
    EXPECT_STREQ("Icons\\Meshes\\Tree005.msh", out);
    MakeNumberedName(out, sizeof out, "", "Tree.msh", 5, 12);
    EXPECT_STREQ("Tree0000005.msh", out);
}

TEST(Paths, PathsRelativeToTheProgramFolder)
{
    BaseDir base("Z:\\Housing\\");
    char out[64];
    StripBaseDir(out, sizeof out, "z:\\housing\\Textures\\Sub\\A.tga");
    EXPECT_STREQ("Textures\\Sub\\A.tga", out);
    MakeRelativePath(out, sizeof out, "z:\\housing\\Textures\\Sub\\A.tga");
    EXPECT_STREQ("Textures\\Sub\\", out);
    MakeRelativePath(out, sizeof out, "Z:\\Housing\\Textures\\Sub");
    EXPECT_STREQ("Textures\\Sub", out);
    MakeRelativePath(out, sizeof out, "Z:\\Housing\\Readme.txt");
    EXPECT_STREQ("Readme.txt", out);
    StripBaseDir(out, sizeof out, "C:\\Other\\A.tga");
    EXPECT_STREQ("C:\\Other\\A.tga", out);
}

std::set<std::string> Names(char (*entries)[LIST_FILE_NAME_SIZE], int count)
{
    return std::set<std::string>(entries, entries + count);
}

// Folders are names like any other.
TEST(Paths, ListFilesByExtension)
{
    std::string dir = test::TempDir("utils_list");
    test::WriteFile(dir + "\\a.tga", "1");
    test::WriteFile(dir + "\\b.TGA", "2");
    test::WriteFile(dir + "\\c.txt", "3");
    test::WriteFile(dir + "\\folder.tga\\d.tga", "4");
    test::WriteFile(dir + "\\Readme", "5");
    test::WriteFile(dir + "\\Sub\\e.txt", "6");
    char entries[8][LIST_FILE_NAME_SIZE];
    const std::set<std::string> tga = {"a.tga", "b.TGA", "folder.tga"};
    for (const char* mask : {"tga", ".tga", "*.tga", "*tga"})
        EXPECT_EQ(tga, Names(entries, ListFiles(dir.c_str(), mask, entries, 8))) << mask;
    // "*." lists the names without an extension; some systems list every name for it.
    const std::set<std::string> star = Names(entries, ListFiles(dir.c_str(), "*", entries, 8));
    for (const char* name : {".", "..", "Readme", "Sub"})
        EXPECT_EQ(1u, star.count(name)) << name;
    EXPECT_EQ(star, Names(entries, ListFiles((dir + "\\").c_str(), "", entries, 8)));
    EXPECT_EQ(3, ListFiles(dir.c_str(), "tga", nullptr, 0));
    EXPECT_EQ(1, ListFiles(dir.c_str(), "tga", entries, 1));
    EXPECT_EQ(0, ListFiles((dir + "\\missing").c_str(), "tga", entries, 8));
}

} // namespace
