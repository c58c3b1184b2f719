// The program unpacked into folders whose names the system's code page may have no letters
// for. Runs under code page 1251 and, in the codepage_ run, under 1252.

#include "tests/support/Harness.h"

#include "app/Application.h"
#include "app/Flat.h"
#include "app/Floor.h"
#include "app/MyBuilding.h"
#include "core/CodePage.h"
#include "core/Core.h"
#include "core/Paths.h"
#include "engine/AnimContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/IncludeStack.h"
#include "engine/MeshContainer.h"
#include "engine/ShaderContainer.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Atom.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// A path as the program folder names it, whether the program spelled the folder out or not.
std::string InFolder(const char* path)
{
    char rest[1024];
    StripBaseDir(rest, sizeof rest, path);
    return rest;
}

// What a start of the sample read, a line per unit and resource: a file looked for in the
// wrong place shows as a line missing or a resource left empty.
std::string WhatTheStartRead()
{
    std::ostringstream out;
    for (int i = 1; i <= gUnitInspector->UnitBound(); ++i)
        if (const CAtom* unit = gUnitInspector->UnitAt(i))
            out << "unit " << (unit->classTemplate ? unit->classTemplate->name : "") << " '" << unit->name << "'\n";
    for (int b = 0; b < gBuildings.Count(); ++b)
        for (int f = 0; f < gBuildings[b]->floors.Count(); ++f) {
            const CFloor* floor = gBuildings[b]->floors[f];
            out << "building " << b + 1 << " floor " << floor->number << ':';
            for (int k = 0; k < floor->flats.Count(); ++k)
                out << ' ' << floor->flats[k]->pricePerArea << '/' << floor->flats[k]->areaA << '/'
                    << floor->flats[k]->areaB;
            out << '\n';
        }
    for (uint16_t i = 1; const CEngineTex* t = gITexContainer->GetTex(i); ++i)
        out << "texture '" << t->name << "' '" << InFolder(t->path) << "' " << (t->texture ? "made" : "empty") << '\n';
    for (int i = 1; i <= gMeshContainer->meshes.Count(); ++i)
        if (gMeshContainer->meshes.InUse(i)) {
            const CEngineMesh& m = *gMeshContainer->meshes.At(i);
            out << "mesh '" << m.name << "' '" << InFolder(m.path) << "' " << m.mesh.vertexCount << " vertices\n";
        }
    for (int i = 1; i <= 0xFFFF; ++i)
        if (const CEngineAnimFile* a = gIAnimContainer->GetAnimFile(uint16_t(i)))
            out << "animation '" << a->name << "' " << a->data.frameCount << " frames\n";
    for (int i = 1; i <= gShaderContainer->shaders.Count(); ++i)
        if (gShaderContainer->shaders.InUse(i)) {
            const CShader& s = *gShaderContainer->shaders.At(i);
            out << "shader '" << s.name << "' " << (s.vertexShader.vs ? "vs " : "") << (s.pixelShader.ps ? "ps" : "")
                << '\n';
        }
    return out.str();
}

std::string StartAndRead(test::Program& program, const std::wstring& folder, test::MessageRecorder& messages)
{
    if (program.Start(folder) != 1 || !program.RunFrames(1))
        return "no start: " + messages.Joined();
    return WhatTheStartRead();
}

// Whether the system's code page has letters for the folder's name decides only how paths
// are made: where it has, the program folder is spelled out as before; where it has not, the
// spelling would hold substitutes, and paths stay relative to the folder the program started in.
TEST(StartupCodePage, TheSampleReadsAlikeFromAFolderOfAnyName)
{
    struct SRow {
        const wchar_t* folder;
        bool spelledBy1251, spelledBy1252;
    };
    const SRow rows[] = {
        {L"Café Über\\Programme", false, true},
        {L"Загрузки\\Жилой комплекс", true, false},
        {L"Қазақ үйі\\Бағдарлама", false, false},
    };
    test::MessageRecorder messages;
    std::string reference;
    {
        test::Program program;
        reference = StartAndRead(program, Widen(CP_ACP, test::RunDir()), messages);
    }
    ASSERT_NE(std::string::npos, reference.find("building 1 floor 1: ")) << reference;
    const std::wstring root = Widen(CP_ACP, test::TempDir("folders")) + L"\\";
    for (const SRow& row : rows) {
        const std::wstring folder = root + row.folder;
        SCOPED_TRACE(Narrow(CP_UTF8, folder));
        ASSERT_TRUE(test::CopyTree(Widen(CP_ACP, test::RunDir()), folder));
        const bool spelled = GetACP() == 1251 ? row.spelledBy1251 : row.spelledBy1252;
        messages.Clear();
        test::Program program;
        EXPECT_EQ(reference, StartAndRead(program, folder, messages));
        EXPECT_EQ(0u, messages.Count()) << messages.Joined();
        EXPECT_EQ(spelled ? folder + L"\\" : L"", Widen(CP_ACP, gBaseDir));

        // Files read one inside another are told apart however they are named, and named
        // beside each other by a path that reaches them.
        CIncludeStack stack;
        ASSERT_EQ(CIncludeStack::PUSHED, stack.Push("Presentations\\KestrelVale.txt"));
        EXPECT_EQ(CIncludeStack::INCLUDES_ITSELF, stack.Push(".\\Presentations/../presentations\\KESTRELVALE.txt"));
        ASSERT_EQ(CIncludeStack::PUSHED, stack.Push("Presentations\\List.txt"));
        EXPECT_EQ(spelled ? folder + L"\\Presentations\\List.txt" : L"Presentations\\List.txt",
                  Widen(CP_ACP, stack.Current()));
    }
}

} // namespace
