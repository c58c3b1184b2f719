// The real program started on a copy of the sample run folder with one file made hostile,
// its message boxes answered as they come: it keeps running, or ends by itself with a
// message, never crashes, shows a bounded number of boxes, and leaves the data alone. A
// close request while a start-up box is open ends it cleanly.

#include "tests/support/Harness.h"
#include "tests/support/RealProgram.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

namespace {

constexpr DWORD START_GUARD_MS = 90000;
constexpr DWORD SETTLED_MS = 1500;  // the window up and no box for this long
constexpr DWORD EXIT_GUARD_MS = 60000;
constexpr size_t MAX_BOXES = 6;

std::string Garbage(size_t size, uint32_t seed)
{
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return bytes;
}

std::string Repeat(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

// A two-triangle mesh with its material list and the table of its materials.
std::string Quad(const std::string& materialList, int materialRows)
{
    return "NumVertices 4\nNumPrimitives 2\nMESH\n4\n-50 0 -50\n-50 0 50\n50 0 50\n50 0 -50\n"
           "indices 2\n0 1 2\n0 2 3\nMaterialList " + materialList + "\nMaterials... R G B A\n" +
           Repeat("diffuse 0.5 0.6 0.5 1 specular 0 0 0 name grass path \"\"\n", materialRows);
}

// A TGA header of 0 x 4 pixels at 32 bits.
std::string ZeroWidthTga()
{
    std::string header(18, '\0');
    header[2] = 2;
    header[14] = 4;
    header[16] = 32;
    return header + std::string(64, '\x40');
}

struct SEdit {
    const char* file;  // relative to the data folder
    // The new content from the old one.
    std::string (*make)(const std::string& old);
};

struct SHostileCase {
    const char* name;
    SEdit edits[2];
    const char* said;    // a part some box must show, or null
    bool closeOnBox;     // the window is asked to close while the first box is open
};

const char* const START = "Scripts\\Start.txt";
const char* const UNITS = "Scripts\\Units.txt";
const char* const GROUND = "Meshes\\KestrelVale\\Ground.msh";

std::string UnknownWords(const std::string& old)
{
    return old + Repeat("Chimney Gable Porch\n", 20);
}
std::string GarbageScript(const std::string&) { return Garbage(4096, 7); }
std::string RepeatedSections(const std::string& old) { return old + old; }

const SHostileCase CASES[] = {
    {"HinterFontOf300Characters",
     {{"System\\Application.cfg",
       [](const std::string& old) {
           return old + "HINTER ( font: [ " + std::string(300, 'F') + " 14 0 ] )\n";
       }}},
     nullptr, false},
    {"ConfigurationWordsTooLong",
     {{"System\\Application.cfg",
       [](const std::string& old) {
           const std::string w(300, '7');
           return old + "APPLICATION_NAME \"" + w + "\"\nCLEAR_COLOR " + w + "\nMULTISAMPLING [ Type: " +
                  w + " ]\nCLEAR_FLAGS [ " + w + " D3DCLEAR_TARGET ]\n";
       }}},
     "CLEAR_FLAGS", false},
    {"UnknownWordsInAScript", {{UNITS, UnknownWords}}, "undefine string 'Chimney'", false},
    {"ScriptOfBinaryGarbage", {{UNITS, GarbageScript}}, nullptr, false},
    {"RepeatedManagerSections", {{START, RepeatedSections}}, nullptr, false},
    {"FortyNestedIncludes",
     {{START,
       [](const std::string& old) {
           for (int i = 1; i <= 40; ++i)
               test::WriteFile("Scripts\\Nest" + std::to_string(i) + ".txt",
                               i < 40 ? "ScriptFile: \"Scripts\\Nest" + std::to_string(i + 1) + ".txt\"\n" : "");
           return "ScriptFile: \"Scripts\\Nest1.txt\"\n" + old;
       }}},
     nullptr, false},
    {"TgaOfWidthZero",
     {{"Textures\\Zero.tga", [](const std::string&) { return ZeroWidthTga(); }},
      {START,
       [](const std::string& old) {
           return old + "UserArrays [ Count: 2 ]\nArrayData Zero { file: \"Textures\\Zero.tga\" };\n";
       }}},
     "0 x 4 pixels", false},
    {"MeshOf300Materials", {{GROUND, [](const std::string&) { return Quad("300 2\n0 299", 300); }}},
     "MAX_MATERS", false},
    {"MeshOfBinaryGarbage", {{GROUND, [](const std::string&) { return Garbage(8192, 11); }}}, "Ground.msh", false},
    {"MaterialNumbersOutOfRange", {{GROUND, [](const std::string&) { return Quad("1 2\n7 -3", 1); }}},
     "Ground.msh", false},
    {"PresentationOfBinaryGarbage",
     {{"Presentations\\KestrelVale\\Buildings.txt", [](const std::string&) { return Garbage(4096, 13); }}},
     nullptr, false},
    {"AnimationOfBinaryGarbage",
     {{"Animations\\FloorAnimation.anm", [](const std::string&) { return Garbage(2048, 17); }}}, nullptr, false},
    {"CostFileOfBinaryGarbage",
     {{"Presentations\\KestrelVale\\Building1Cost.txt", [](const std::string&) { return Garbage(4096, 19); }}},
     nullptr, false},
    {"ShadersPastWhatAStartMayCompile",
     {{"Scripts\\Shaders.txt",
       [](const std::string& old) {
           // Forty shaders, each reading a megabyte of guarded text 33 times.
           std::string big = "#ifndef BIG_H\n#define BIG_H\n", reads, shaders;
           while (big.size() < 1000000)
               big += "#if 0\n#endif\n";
           test::WriteFile("Shaders\\Big.h", big + "#endif\n");
           for (int i = 0; i < 33; ++i)
               reads += "#include \"Big.h\"\n";
           for (int i = 0; i < 40; ++i) {
               const std::string name = "Big" + std::to_string(i);
               test::WriteFile("Shaders\\" + name + ".vsh",
                               reads + "void Main(float4 p : POSITION, out float4 o : POSITION) { o = p; }\n");
               shaders += "VS_HLSL " + name + " \"" + name + ".vsh\"\n";
           }
           std::string script = old;
           const size_t count = script.find("ShaderCount: 64");
           if (count != std::string::npos)
               script.replace(count, 15, "ShaderCount: 128");
           return script + shaders;
       }}},
     "ms to build.", false},
    {"CloseWhileABoxOfUnknownWordsIsOpen", {{UNITS, UnknownWords}}, nullptr, true},
    {"CloseWhileABoxOfGarbageIsOpen", {{UNITS, GarbageScript}}, nullptr, true},
    {"CloseWhileABoxOfRepeatedSectionsIsOpen",
     {{START, [](const std::string& old) { return RepeatedSections(old) + "Stray\n"; }}}, nullptr, true},
};

void PrintTo(const SHostileCase& c, std::ostream* out) { *out << c.name; }

class Hostile : public ::testing::TestWithParam<SHostileCase> {};

TEST_P(Hostile, TheProgramRunsOnOrEndsCleanlyAndLeavesTheDataAlone)
{
    const SHostileCase& c = GetParam();
    const std::string dir = test::TempDir(std::string("hostile_") + c.name);
    ASSERT_TRUE(test::CopyTree(test::RunDir(), dir));
    char old[MAX_PATH];
    GetCurrentDirectoryA(sizeof old, old);
    SetCurrentDirectoryA(dir.c_str());  // edits may write files of their own
    for (const SEdit& edit : c.edits)
        if (edit.file)
            test::WriteFile(dir + "\\" + edit.file, edit.make(test::ReadFile(dir + "\\" + edit.file)));
    SetCurrentDirectoryA(old);
    const auto before = test::ReadTree(dir);

    test::RealProgram program;
    ASSERT_TRUE(program.Start(dir));
    bool closed = false;
    const auto onBox = [&](HWND) {
        if (c.closeOnBox && !closed)
            closed = program.Close();
    };
    bool ended = program.Watch(START_GUARD_MS, SETTLED_MS, onBox);
    // Under load start-up can pause longer than the settle time before the hostile file is
    // read: a row waiting for its box watches on until it comes.
    const auto waiting = [&] {
        return (c.said && program.JoinedBoxes().find(c.said) == std::string::npos) || (c.closeOnBox && !closed);
    };
    for (DWORD waited = 0; !ended && waiting() && waited < START_GUARD_MS; waited += SETTLED_MS)
        ended = program.Watch(SETTLED_MS, 0, onBox);
    const bool endedByItself = ended && !closed;
    if (!ended) {
        if (!closed)
            program.Close();
        ended = program.Watch(EXIT_GUARD_MS);
    }
    const DWORD code = program.ExitCode();
    const std::string boxes = program.JoinedBoxes();

    EXPECT_TRUE(ended) << "still running after the close request (hung or crashed)\n" << boxes;
    EXPECT_EQ(0u, code) << "exit code " << std::hex << code << "\n" << boxes;
    EXPECT_LE(program.Boxes().size(), MAX_BOXES) << boxes;
    EXPECT_FALSE(endedByItself && program.Boxes().empty()) << "ended by itself without saying why";
    EXPECT_TRUE(closed || !c.closeOnBox) << "no box to close on\n" << boxes;
    EXPECT_TRUE(!c.said || boxes.find(c.said) != std::string::npos) << boxes;
    EXPECT_TRUE(before == test::ReadTree(dir)) << "the data folder changed";
}

INSTANTIATE_TEST_SUITE_P(Inputs, Hostile, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<SHostileCase>& info) { return info.param.name; });

} // namespace
