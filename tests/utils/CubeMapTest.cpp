#include "core/CubeMap.h"
#include "core/Dialogs.h"

#include <gtest/gtest.h>

namespace {

void ExpectNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& v)
{
    EXPECT_NEAR(expected.x, v.x, 1e-5f);
    EXPECT_NEAR(expected.y, v.y, 1e-5f);
    EXPECT_NEAR(expected.z, v.z, 1e-5f);
}

TEST(CubeMap, EachFaceLooksAlongItsAxis)
{
    const D3DXVECTOR3 looks[CUBE_FACE_COUNT] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0},
                                                {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
    const D3DXVECTOR3 ups[CUBE_FACE_COUNT] = {{0, 1, 0}, {0, 1, 0}, {0, 0, -1},
                                              {0, 0, 1}, {0, 1, 0}, {0, 1, 0}};
    for (int face = 0; face < CUBE_FACE_COUNT; ++face) {
        SCOPED_TRACE(face);
        D3DXMATRIX view;
        ASSERT_TRUE(GetCubeMapViewMatrix(&view, face));
        D3DXVECTOR3 v;
        ExpectNear(D3DXVECTOR3(0, 0, 1), *D3DXVec3TransformNormal(&v, &looks[face], &view));
        ExpectNear(D3DXVECTOR3(0, 1, 0), *D3DXVec3TransformNormal(&v, &ups[face], &view));
        EXPECT_FLOAT_EQ(1.0f, view._44);
        EXPECT_FLOAT_EQ(0.0f, view._41);
    }
    D3DXMATRIX untouched;
    EXPECT_FALSE(GetCubeMapViewMatrix(&untouched, 6));
    EXPECT_FALSE(GetCubeMapViewMatrix(&untouched, -1));
}

// The dialogs are modal and cannot be driven here; this keeps them compiled and linked.
TEST(Dialogs, AreLinked)
{
    const void* dialogs[] = {reinterpret_cast<const void*>(&OpenFileDialog),
                             reinterpret_cast<const void*>(&SaveFileDialog),
                             reinterpret_cast<const void*>(&BrowseFolderDialog),
                             reinterpret_cast<const void*>(&ChooseColorDialog),
                             reinterpret_cast<const void*>(&ChooseFontDialog)};
    for (const void* d : dialogs)
        EXPECT_NE(nullptr, d);
}

} // namespace
