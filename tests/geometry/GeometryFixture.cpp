#include "tests/geometry/GeometryFixture.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "engine/CreateEngine.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"

namespace geometrytest {

const char* const REGISTRY_SECTION =
    "UnitInspector [ TemplateCount: 16 UnitCount: 32 UnitAttaches: 8 SmoothMovers: 3 ]\n";

uint16_t FakeAnimContainer::FindAnimFileIndex(const char* name)
{
    auto found = names.find(name);
    return found == names.end() ? 0 : found->second;
}

uint16_t FakeAnimContainer::LoadAnimFile(const char* path, uint32_t flags, int)
{
    loaded.push_back(path);
    loadFlags.push_back(flags);
    return 0;
}

void UnitTest::SetUp()
{
    gExitCode = 0;
    gWarningBudget = 1000;
    ASSERT_EQ(0, CreateEngine(0));
    dir_ = test::TempDir("geometry") + "\\";
    RunScript("");
}

void UnitTest::TearDown()
{
    if (savedAnims_) gIAnimContainer = savedAnims_;
    if (savedTextures_) gITexContainer = savedTextures_;
    DestroyEngine();
    for (FILE* f : files_) fclose(f);
    gWarningBudget = 4;
    gExitCode = 0;
}

void UnitTest::RunScript(const std::string& text)
{
    const std::string path = dir_ + "Script" + std::to_string(++scripts_) + ".txt";
    test::WriteFile(path, std::string(scripts_ == 1 ? REGISTRY_SECTION : "") + text);
    ASSERT_EQ(0, gParser->ScanScript(path.c_str())) << messages.Joined();
}

FILE* UnitTest::Open(const std::string& text)
{
    const std::string path = dir_ + "Data" + std::to_string(files_.size()) + ".txt";
    test::WriteFile(path, text);
    FILE* file = fopen(path.c_str(), "rb");
    files_.push_back(file);
    return file;
}

CAtom* UnitTest::Create(const char* className)
{
    CClassTemplate* cls = gIUnitInspector->GetClassTemplate(className);
    return cls ? gIUnitInspector->CreateUnitFromTemplate(cls, nullptr) : nullptr;
}

CGeometry* UnitTest::CreateGeometry(const char* className)
{
    return dynamic_cast<CGeometry*>(Create(className));
}

size_t UnitTest::Count(const std::string& part) const
{
    size_t n = 0;
    for (const std::string& text : messages.Texts())
        if (text.find(part) != std::string::npos) ++n;
    return n;
}

void UnitTest::UseFakeAnimations()
{
    savedAnims_ = gIAnimContainer;
    gIAnimContainer = &anims;
}

void UnitTest::UseFakeTextures()
{
    savedTextures_ = gITexContainer;
    gITexContainer = &textures;
}

} // namespace geometrytest
