#pragma once
// A device for shader tests, with a private folder to write shader files into, the program's
// messages recorded and every shader made released at the end.

#include "tests/support/Harness.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

// Portable HLSL: no literals, structs or intrinsics.
inline const char COLOUR_VS[] =
    "float4 cColor;\n"
    "void Main(float4 p : POSITION, out float4 oP : POSITION, out float4 oD : COLOR0)\n"
    "{ oP = p; oD = cColor; }\n";

class ShaderFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, device.Init());
        dir = TempDir("graphics_shaders");
    }
    void TearDown() override
    {
        // Either kind of shader: Release is IUnknown's.
        for (ShaderPair& p : made)
            if (p.vs)
                p.vs->Release();
    }

    std::string File(const std::string& name, const std::string& text)
    {
        std::string path = dir + "\\" + name;
        WriteFile(path, text);
        return path;
    }
    ShaderPair Keep(ShaderPair p)
    {
        made.push_back(p);
        return p;
    }

    TestDevice device;
    MessageRecorder messages;
    std::string dir;
    std::vector<ShaderPair> made;
};

} // namespace test
