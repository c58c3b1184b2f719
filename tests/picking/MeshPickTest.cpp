// Rays against meshes read from mesh text files: the bound box, the user bound records in
// file order, exclusion, scaled boxes, and the bound radius and lookups by name and id.

#include "tests/picking/PickFixture.h"

#include "core/Meshes/Mesh.h"
#include "core/Meshes/MeshReader.h"
#include "core/Strings.h"
#include "core/UsageParams.h"

namespace picktest {
namespace {

const D3DXVECTOR3 AHEAD(0, 0, 1);

class MeshPick : public PickTest {
protected:
    void TearDown() override
    {
        mesh.Release();
        PickTest::TearDown();
    }
    void Load(const std::string& name, const std::string& text)
    {
        ResetUsageParams();
        ASSERT_EQ(0, LoadMesh(Write(name, text).c_str(), &mesh, MESH_XYZ | MESH_DIFFUSE, 0)) << messages.Joined();
    }
    // A ray along +z from (x, y, -10) against the mesh placed by world.
    int Pick(float x, float y, const D3DXMATRIX& world) const
    {
        D3DXMATRIX inverse;
        D3DXMatrixInverse(&inverse, nullptr, &world);
        return mesh.Intersect(D3DXVECTOR3(x, y, -10), AHEAD, inverse);
    }
    int Pick(float x, float y) const { return Pick(x, y, Identity()); }
    static D3DXMATRIX Identity()
    {
        D3DXMATRIX m;
        D3DXMatrixIdentity(&m);
        return m;
    }

    CMesh mesh;
};

TEST_F(MeshPick, TheBoundBoxIsHitAheadOfTheRayOnly)
{
    Load("cube.msh", BoxMesh(D3DXVECTOR3(-1, -1, -1), D3DXVECTOR3(1, 1, 1)));
    EXPECT_EQ(0, Pick(0, 0));
    EXPECT_EQ(0, Pick(0.99f, -0.99f));
    EXPECT_EQ(-1, Pick(1.01f, 0));
    EXPECT_EQ(-1, Pick(0, -1.5f));
    // Behind the origin: a ray looking away misses; one starting inside hits.
    EXPECT_EQ(-1, mesh.Intersect(D3DXVECTOR3(0, 0, -10), -AHEAD, Identity()));
    EXPECT_EQ(0, mesh.Intersect(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), Identity()));
    EXPECT_EQ(0, mesh.Intersect(D3DXVECTOR3(0, 0, 5), -AHEAD, Identity()));
}

TEST_F(MeshPick, TheRayIsTakenIntoTheMeshSpaceOfItsUnit)
{
    // A bar four times longer along x than across.
    Load("bar.msh", BoxMesh(D3DXVECTOR3(-4, -1, -1), D3DXVECTOR3(4, 1, 1)));
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 10, 0, 0);
    EXPECT_EQ(0, Pick(13, 0, world));
    EXPECT_EQ(-1, Pick(3, 0, world));
    // Turned a quarter about Y the bar lies along z: narrow across the ray.
    D3DXMatrixRotationY(&world, D3DX_PI / 2);
    EXPECT_EQ(-1, Pick(3, 0, world));
    EXPECT_EQ(0, Pick(0.9f, 0, world));
    // Scaled twice by the unit's world, it is hit where the scaled bar is drawn.
    D3DXMatrixScaling(&world, 1, 2, 1);
    EXPECT_EQ(0, Pick(0, 1.5f, world));
    EXPECT_EQ(-1, Pick(0, 2.5f, world));
}

TEST_F(MeshPick, UserRecordsAnswerInFileOrderAndReplaceTheBoundBox)
{
    Load("parts.msh", BoxMesh(D3DXVECTOR3(-5, -5, -5), D3DXVECTOR3(5, 5, 5), "1 1 1",
                              "USER_BOUND_BOXES\n-1 -1 -1 1 1 1\n-2 -2 -2 2 2 2\n3 3 -1 4 4 1\nEND\n"));
    ASSERT_EQ(3, mesh.userBoundCount);
    EXPECT_EQ(0, Pick(0, 0));       // inside both overlapping records: the first wins
    EXPECT_EQ(1, Pick(1.5f, 0));    // the second alone
    EXPECT_EQ(2, Pick(3.5f, 3.5f));
    EXPECT_EQ(-1, Pick(-4, 4));     // in the bound box but no record: missed
    EXPECT_EQ(-1, Pick(6, 0));
}

TEST_F(MeshPick, ExcludedRecordsAreNeverPickedButSpheresAre)
{
    Load("one.msh", BoxMesh(D3DXVECTOR3(-5, -5, -5), D3DXVECTOR3(5, 5, 5), "1 1 1",
                            "USER_BOUND_BOXES\n-1 -1 -1 1 1 1\nEND\n"));
    ASSERT_EQ(1, mesh.userBoundCount);
    mesh.userBounds[0].flags = BOUND_EXCLUDED;
    EXPECT_EQ(-1, Pick(0, 0));  // the bound box is hit, but records exist
    EXPECT_EQ(0, mesh.IntersectBox(D3DXVECTOR3(0, 0, -10), AHEAD, Identity()));

    // Records with a radius come from code: a sphere ignores the flag, a record whose
    // second float is above 0 is taken without a test unless excluded.
    SBoundRecord* records = new SBoundRecord[3];
    records[0].flags = BOUND_EXCLUDED;  // an excluded box at the origin
    records[0].first = D3DXVECTOR4(-1, -1, -1, 0);
    records[0].second = D3DXVECTOR4(1, 1, 1, 0);
    records[1].first = D3DXVECTOR4(0, 3, 0, 1);
    records[1].radius = 1;
    records[1].flags = BOUND_EXCLUDED;
    records[2].radius = 1;
    records[2].second2 = 1;
    delete[] mesh.userBounds;
    mesh.userBounds = records;
    mesh.userBoundCount = 3;
    EXPECT_EQ(1, Pick(0, 3.5f));
    EXPECT_EQ(2, Pick(0, 0));
    records[2].flags = BOUND_EXCLUDED;
    EXPECT_EQ(-1, Pick(0, 0));
}

TEST_F(MeshPick, ScaledBoxesReachFurther)
{
    Load("cube.msh", BoxMesh(D3DXVECTOR3(-1, -1, -1), D3DXVECTOR3(1, 1, 1)));
    const D3DXVECTOR3 justOutside(1.2f, 0, -10);
    EXPECT_EQ(-1, mesh.IntersectBox(justOutside, AHEAD, Identity()));
    const D3DXVECTOR4 twice(2, 2, 2, 1);
    EXPECT_EQ(0, mesh.IntersectBox(justOutside, AHEAD, Identity(), &twice));
    const D3DXVECTOR4 wide(2, 0.5f, 1, 1);
    EXPECT_EQ(-1, mesh.IntersectBox(D3DXVECTOR3(0, 0.75f, -10), AHEAD, Identity(), &wide));
}

TEST_F(MeshPick, BoundsRadiusAndBox)
{
    Load("cube.msh", BoxMesh(D3DXVECTOR3(-1, -2, 0), D3DXVECTOR3(3, 4, 5)));
    D3DXVECTOR4 lo, hi;
    mesh.GetBoundBox(&lo, &hi);
    EXPECT_EQ(D3DXVECTOR4(-1, -2, 0, 1), lo);
    EXPECT_EQ(D3DXVECTOR4(3, 4, 5, 1), hi);
    mesh.GetBoundBox(nullptr, &hi);  // either may be left out
    EXPECT_FLOAT_EQ(std::sqrt(50.0f), mesh.boundRadius);
    EXPECT_TRUE(mesh.PointInBox(D3DXVECTOR4(3.4f, 0, 0, 1), 0.5f));
    EXPECT_FALSE(mesh.PointInBox(D3DXVECTOR4(3.6f, 0, 0, 1), 0.5f));

    Load("dot.msh", "NumVertices 1\nMESH\n1\n0 0 0\n");
    EXPECT_EQ(0.0f, mesh.ComputeBoundRadius());  // every corner at the origin
    EXPECT_EQ(0.0f, mesh.boundRadius);

    // Without vertices the bones give the radius; with neither it is 0 and not stored.
    mesh.Release();
    mesh.boundRadius = 9;
    EXPECT_EQ(0.0f, mesh.ComputeBoundRadius());
    EXPECT_EQ(9.0f, mesh.boundRadius);
    mesh.skeleton.boneCount = 2;
    mesh.skeleton.bones = new SBone[2];
    mesh.skeleton.bones[0].absolute = D3DXVECTOR4(0, 3, 0, 1);
    mesh.skeleton.bones[1].absolute = D3DXVECTOR4(0, 3, 4, 1);
    EXPECT_FLOAT_EQ(5.0f, mesh.ComputeBoundRadius());
    EXPECT_FLOAT_EQ(5.0f, mesh.boundRadius);
}

TEST_F(MeshPick, MaterialsByNameAndSubMeshesById)
{
    const char* text = R"(NumVertices 6
NumPrimitives 2
NAMES_BY_MESHES
MESH "walls"
3
0 0 0
1 0 0
1 1 0
indices 1
0 1 2
MESH "roof"
3
0 0 1
1 0 1
1 1 1
indices 1
0 1 2
MaterialList 2 1
1
Materials... R G B A
diffuse 1 0 0 1 specular 0 0 0 name "brick" path ""
diffuse 0 0 1 1 specular 0 0 0 name "glass" path ""
)";
    Load("named.msh", text);
    EXPECT_EQ(1, mesh.FindSubMesh(StrHash("roof")));
    EXPECT_EQ(0, mesh.FindSubMesh(StrHash("walls")));
    EXPECT_EQ(-1, mesh.FindSubMesh(StrHash("cellar")));
    EXPECT_EQ(1, mesh.FindMaterial("glass"));
    EXPECT_EQ(-1, mesh.FindMaterial("Glass"));
    mesh.Release();
    EXPECT_EQ(-1, mesh.FindMaterial("glass"));
    EXPECT_EQ(-1, mesh.FindSubMesh(StrHash("roof")));
}

} // namespace
} // namespace picktest
