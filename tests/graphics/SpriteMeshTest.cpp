// The sprite quads the device loads at start-up from the shipped files: their layout, the
// vertices and indices in their buffers, and what start-up and release do with them.

#include "tests/support/TestDevice.h"

#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using test::TestDevice;

struct SSpriteVertex {
    float x, y, z, u, v;
};
static_assert(sizeof(SSpriteVertex) == 20, "position and one texture coordinate");

std::vector<SSpriteVertex> ReadVertices(const CMesh& mesh)
{
    std::vector<SSpriteVertex> out(size_t(mesh.vertexCount));
    void* data = nullptr;
    if (FAILED(mesh.vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY)))
        return {};
    memcpy(out.data(), data, out.size() * sizeof(SSpriteVertex));
    mesh.vertexBuffer->Unlock();
    return out;
}

std::vector<uint16_t> ReadIndices(const CMesh& mesh)
{
    std::vector<uint16_t> out(size_t(mesh.primitiveCount) * 3);
    void* data = nullptr;
    if (FAILED(mesh.indexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY)))
        return {};
    memcpy(out.data(), data, out.size() * sizeof(uint16_t));
    mesh.indexBuffer->Unlock();
    return out;
}

TEST(SpriteMesh, StartUpLoadsBothQuadsWithTheSpriteLayout)
{
    test::MessageRecorder messages;
    TestDevice device;
    ASSERT_EQ(0, device.Init());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();

    // The unit quad hanging down from its origin, texture rows top to bottom, in two
    // clockwise triangles so that the default culling keeps them.
    const SSpriteVertex corners[] = {
        {0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {0, -1, 0, 0, 1}, {1, -1, 0, 1, 1}};
    const std::vector<uint16_t> triangles = {0, 1, 2, 1, 3, 2};
    for (const CMesh* mesh : {&gGraphics.SpriteMesh, &gGraphics.SpriteMesh2}) {
        SCOPED_TRACE(mesh == &gGraphics.SpriteMesh ? "SpriteMesh" : "SpriteMesh2");
        ASSERT_NE(nullptr, mesh->vertexBuffer);
        ASSERT_NE(nullptr, mesh->indexBuffer);
        EXPECT_EQ(0x102u, mesh->vertexFormat);
        EXPECT_EQ(20, mesh->stride);
        EXPECT_EQ(4, mesh->vertexCount);
        EXPECT_EQ(2, mesh->primitiveCount);
        EXPECT_EQ(D3DPT_TRIANGLELIST, mesh->primitiveType);
        EXPECT_EQ(1, mesh->indexed);
        EXPECT_EQ(2, mesh->indexSize);

        std::vector<SSpriteVertex> vertices = ReadVertices(*mesh);
        ASSERT_EQ(4u, vertices.size());
        for (int i = 0; i < 4; ++i) {
            const SSpriteVertex &got = vertices[i], &want = corners[i];
            EXPECT_EQ(want.x, got.x) << i;
            EXPECT_EQ(want.y, got.y) << i;
            EXPECT_EQ(want.z, got.z) << i;
            EXPECT_EQ(want.u, got.u) << i;
            EXPECT_EQ(want.v, got.v) << i;
        }
        EXPECT_EQ(triangles, ReadIndices(*mesh));
    }
}

TEST(SpriteMesh, AMissingSecondQuadLeavesItEmptyAndTheFirstLoaded)
{
    test::MessageRecorder messages;
    TestDevice device;
    std::string dir = test::TempDir("graphics_onequad");
    for (const char* name : {"SpriteShader.hls", "SpriteMesh.msh"})
        test::WriteFile(dir + "\\System\\" + name,
                        test::ReadFile(test::RunDir() + "\\System\\" + name));
    SetCurrentDirectoryA(dir.c_str());
    EXPECT_EQ(0, device.Init());
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CORE:  LoadMesh error: Can't find file... System/SpriteMesh2.msh",
              messages.Texts()[0]);
    EXPECT_EQ(4, gGraphics.SpriteMesh.vertexCount);
    EXPECT_EQ(nullptr, gGraphics.SpriteMesh2.vertexBuffer);
    EXPECT_EQ(nullptr, gGraphics.SpriteMesh2.indexBuffer);
    EXPECT_NE(nullptr, gGraphics.declarations[SPRITE_DECLARATION]);  // start-up went on
}

TEST(SpriteMesh, ReleaseGivesTheQuadsBack)
{
    TestDevice device;
    ASSERT_EQ(0, device.Init());
    gGraphics.Release();
    EXPECT_EQ(nullptr, gGraphics.SpriteMesh.vertexBuffer);
    EXPECT_EQ(nullptr, gGraphics.SpriteMesh.indexBuffer);
    EXPECT_EQ(nullptr, gGraphics.SpriteMesh2.vertexBuffer);
    EXPECT_EQ(nullptr, gGraphics.SpriteMesh2.indexBuffer);
}

} // namespace
