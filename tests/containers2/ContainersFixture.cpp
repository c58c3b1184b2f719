#include "tests/containers2/ContainersFixture.h"

#include <cstring>

namespace containers2 {

void ContainersTest::SetUp()
{
    gExitCode = 0;
    dir = test::TempDir("containers2");
    savedBase_ = gBaseDir;
    strcpy(gBaseDir, (dir + "\\").c_str());
    ASSERT_EQ(0, CreateEngine(0));
}

void ContainersTest::TearDown()
{
    DestroyEngine();
    strcpy(gBaseDir, savedBase_.c_str());
    gExitCode = 0;
}

std::string ContainersTest::Write(const std::string& name, const std::string& bytes)
{
    const std::string path = dir + "\\" + name;
    test::WriteFile(path, bytes);
    return path;
}

int ContainersTest::ReadScript(const std::string& text)
{
    const std::string path = Write("Script" + std::to_string(++scripts_) + ".txt", text);
    return gParser->LoadScript(path.c_str());
}

} // namespace containers2
