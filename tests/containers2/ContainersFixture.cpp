#include "tests/containers2/ContainersFixture.h"

#include <cstring>

namespace containers2 {

std::string Tga32(int width, int height, const std::vector<uint32_t>& pixels)
{
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = char(width & 0xFF);
    file[13] = char(width >> 8);
    file[14] = char(height & 0xFF);
    file[15] = char(height >> 8);
    file[16] = 32;
    file[17] = 8;
    for (int row = height - 1; row >= 0; --row)
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(row) * width + x];
            file.append(reinterpret_cast<const char*>(&p), 4);
        }
    return file;
}

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
