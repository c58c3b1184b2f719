#include "tests/picking/PickFixture.h"

#include <windows.h>

namespace picktest {

namespace {

// Corner i has x from bit 1, y from bit 2 and z from bit 4; each face wound clockwise as
// seen from outside.
const int BOX_TRIANGLES[12][3] = {
    {0, 2, 3}, {0, 3, 1}, {4, 7, 6}, {4, 5, 7}, {0, 6, 2}, {0, 4, 6},
    {1, 3, 7}, {1, 7, 5}, {2, 6, 7}, {2, 7, 3}, {0, 5, 4}, {0, 1, 5},
};

} // namespace

std::string BoxMesh(const D3DXVECTOR3& lo, const D3DXVECTOR3& hi, const char* rgb, const std::string& trailer)
{
    std::string text = "NumVertices 8\nNumPrimitives 12\nDIFFUSE_PER_VERTEX\nMESH\n8\n";
    for (int i = 0; i < 8; ++i) {
        text += std::to_string((i & 1) ? hi.x : lo.x) + " " + std::to_string((i & 2) ? hi.y : lo.y) + " " +
                std::to_string((i & 4) ? hi.z : lo.z) + " " + rgb + " 1\n";
    }
    text += "indices 12\n";
    for (const auto& t : BOX_TRIANGLES)
        text += std::to_string(t[0]) + " " + std::to_string(t[1]) + " " + std::to_string(t[2]) + "\n";
    return text + trailer;
}

void PickTest::SetUp()
{
    dir = test::TempDir("picking");
    test::CopySpriteFiles(dir);
    device_ = std::make_unique<test::TestDevice>(WS_POPUP, VIEW_WIDTH, VIEW_HEIGHT);
    SetCurrentDirectoryA(dir.c_str());
    ASSERT_EQ(0, device_->Init()) << messages.Joined();
}

void PickTest::TearDown()
{
    device_.reset();
}

std::string PickTest::Write(const std::string& name, const std::string& text)
{
    const std::string path = dir + "\\" + name;
    test::WriteFile(path, text);
    return path;
}

} // namespace picktest
