// Billboards turning toward the eye, placed on rings, sized by distance, drawn and read back.

#include "tests/billboards/BillboardFixture.h"

#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "scene/Camera.h"
#include "scene/Renderer.h"

#include <cmath>

namespace billboards {
namespace {

D3DXVECTOR3 Unit(const D3DXVECTOR3& v)
{
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

void ExpectNear(const D3DXVECTOR3& expected, float x, float y, float z, const char* what)
{
    EXPECT_NEAR(expected.x, x, 1e-4f) << what;
    EXPECT_NEAR(expected.y, y, 1e-4f) << what;
    EXPECT_NEAR(expected.z, z, 1e-4f) << what;
}

TEST_F(BillboardTest, ABillboardTurnsItsFrontTowardTheEye)
{
    CBillboard* board = Add<CBillboard>("Board", D3DXVECTOR4(4, 0, 0, 1));
    ASSERT_NE(nullptr, board);
    EXPECT_EQ(uint32_t(BILL_ON | BILL_FACE_AY), board->controls);
    CGeometry* flat = Add<CGeometry>("Flat", D3DXVECTOR4(-4, 0, 0, 1));
    scene.Frame(0.02f);
    const D3DXVECTOR3 toEye = Unit(D3DXVECTOR3(-4, 0, -10));
    ExpectNear(toEye, board->Dir.x, board->Dir.y, board->Dir.z, "Dir");
    ExpectNear(toEye, board->world._31, board->world._32, board->world._33, "the mesh's +z");
    ExpectNear(D3DXVECTOR3(4, 0, 0), board->world._41, board->world._42, board->world._43, "placed");
    const test::Image image = scene.Picture();
    EXPECT_TRUE(ColourAt(image, D3DXVECTOR3(4, 0, 0), GREEN));
    // The same square left unturned shows its back to the camera and is culled.
    ASSERT_NE(nullptr, flat);
    EXPECT_TRUE(ColourAt(image, D3DXVECTOR3(-4, 0, 0), BLACK));
}

TEST_F(BillboardTest, SeenFromAboveItPitchesUp)
{
    CBillboard* board = Add<CBillboard>("Board", D3DXVECTOR4(0, 0, 0, 1));
    scene.LookAt(D3DXVECTOR3(0, 10, -10), D3DXVECTOR3(0, 0, 0));
    scene.Frame(0.02f);
    EXPECT_NEAR(0.785398f, board->Orient.x, 1e-4f);
    EXPECT_NEAR(3.1415927f, board->Orient.y, 1e-4f);
    ExpectNear(Unit(D3DXVECTOR3(0, 10, -10)), board->world._31, board->world._32, board->world._33, "+z");
    EXPECT_TRUE(ColourAt(scene.Picture(), D3DXVECTOR3(0, 0, 0), GREEN));
}

TEST_F(BillboardTest, AFacingWordOtherThanFullOnlySwitchesTheControlsOn)
{
    ASSERT_EQ(0, scene.ReadScript("BILLBOARD Still { SysControls: [ EnableIdle ]\n"
                                  "    BillControls: = [ FaceToCameraAy: half ; ] };\n"));
    CBillboard* still = Add<CBillboard>("Still", D3DXVECTOR4(2, 1, 0, 1));
    EXPECT_EQ(uint32_t(BILL_ON), still->controls);
    scene.Frame(0.02f);
    EXPECT_EQ(0.0f, still->Orient.y);
    ExpectNear(D3DXVECTOR3(2, 1, 0), still->placedPos.x, still->placedPos.y, still->placedPos.z, "placed");
    ExpectNear(Unit(D3DXVECTOR3(-2, -1, -10)), still->Dir.x, still->Dir.y, still->Dir.z, "Dir");
}

TEST_F(BillboardTest, AutoSizingKeepsTheApparentSize)
{
    ASSERT_EQ(0, scene.ReadScript("BILLBOARD Sized { SysControls: [ EnableIdle ] Size: [ 2 3 1 ]\n"
                                  "    BillControls: = [ AutoSizing ; FaceOneCam ; ] };\n"));
    CBillboard* closer = Add<CBillboard>("Sized", D3DXVECTOR4(0, 0, 40, 1));
    CBillboard* farther = Add<CBillboard>("Sized", D3DXVECTOR4(0, 0, 90, 1));
    scene.Frame(0.02f);
    EXPECT_NEAR(1.0f, closer->Size.x, 1e-4f);
    EXPECT_NEAR(1.5f, closer->Size.y, 1e-4f);
    EXPECT_NEAR(2.0f, farther->Size.x, 1e-4f);
    EXPECT_NEAR(3.0f, farther->Size.y, 1e-4f);
    // One camera direction for all: toward the eye from the target.
    ExpectNear(D3DXVECTOR3(0, 0, -1), farther->Dir.x, farther->Dir.y, farther->Dir.z, "Dir");
}

TEST_F(BillboardTest, RelativePositionsOnARingAndAlongTheView)
{
    ASSERT_EQ(0, scene.ReadScript(
                     "BILLBOARD Ring { SysControls: [ EnableIdle ] BillControls: = [ FacePosRing ; RelativePos: [ 0 2 5 ] ; ] };\n"
                     "BILLBOARD Ahead { SysControls: [ EnableIdle ] BillControls: = [ RelativePos: [ 1 2 5 ] ; ] };\n"));
    scene.LookAt(D3DXVECTOR3(0, 10, -10), D3DXVECTOR3(0, 0, 0));
    CBillboard* ring = Add<CBillboard>("Ring", D3DXVECTOR4(0, 0, 0, 1));
    CBillboard* ahead = Add<CBillboard>("Ahead", D3DXVECTOR4(0, 0, 0, 1));
    scene.Frame(0.02f);
    ExpectNear(D3DXVECTOR3(0, 2, -5), ring->placedPos.x, ring->placedPos.y, ring->placedPos.z, "ring");
    const D3DXVECTOR3 d = Unit(D3DXVECTOR3(0, 10, -10)) * 5.0f;
    ExpectNear(D3DXVECTOR3(1 + d.x, 2 + d.y, d.z), ahead->placedPos.x, ahead->placedPos.y, ahead->placedPos.z,
               "ahead");
    EXPECT_NEAR(ahead->placedPos.z, ahead->world._43, 1e-5f);
}

TEST_F(BillboardTest, UnknownControlWordsAreTold)
{
    ASSERT_EQ(0, scene.ReadScript("BILLBOARD Odd { BillControls: = [ Wobble ; AutoSizing ; ] };\n"));
    EXPECT_TRUE(messages.Contains("Undefine string in <BillControls> 'Wobble'.")) << messages.Joined();
    auto* odd = dynamic_cast<CBillboard*>(gUnitInspector->GetClassPrototype("Odd"));
    ASSERT_NE(nullptr, odd);
    EXPECT_EQ(uint32_t(BILL_ON | BILL_AUTO_SIZING), odd->controls);
}

TEST_F(BillboardTest, AClassNamesTheAuxiliaryBillboardThatFollowsItsUnit)
{
    ASSERT_EQ(0, scene.ReadScript("GEOMETRY Tower { SysControls: [ RenderAlways ] Billboard: Board };\n"));
    CGeometry* tower = Add<CGeometry>("Tower", D3DXVECTOR4(-3, 1, 0, 1));
    scene.Frame(0.02f);
    auto* board = dynamic_cast<CBillboard*>(tower->billboard);
    ASSERT_NE(nullptr, board);
    EXPECT_EQ(tower, board->owner);
    scene.Frame(0.02f);
    ExpectNear(D3DXVECTOR3(-3, 1, 0), board->placedPos.x, board->placedPos.y, board->placedPos.z, "on its owner");
    const uint32_t id = board->id;
    gUnitInspector->DeleteUnit(tower);
    EXPECT_FALSE(Alive(board, id));
}

// The registry's reset deletes masterless units in index order: a billboard that took an
// index freed before its owner's goes first, and its owner must not delete it again,
// whatever class the billboard is. Nor after the billboard was deleted on its own.
TEST_F(BillboardTest, AnAuxiliaryBillboardDeletedBeforeItsOwnerIsNotDeletedAgain)
{
    ASSERT_EQ(0, scene.ReadScript("GEOMETRY Tower { SysControls: [ RenderAlways ] Billboard: Board };\n"
                                  "GEOMETRY Mast { SysControls: [ RenderAlways ] Billboard: Flat };\n"));
    for (const char* cls : {"Tower", "Mast"}) {
        SCOPED_TRACE(cls);
        CGeometry* spare = Add<CGeometry>("Flat", D3DXVECTOR4(0, 0, 0, 1));
        CGeometry* owner = Add<CGeometry>(cls, D3DXVECTOR4(0, 0, 0, 1));
        ASSERT_TRUE(spare && owner);
        gUnitInspector->DeleteUnit(spare);
        scene.Frame(0.02f);
        ASSERT_NE(nullptr, owner->billboard);
        EXPECT_LT(owner->billboard->id, owner->id);
        gUnitInspector->Reset();
        EXPECT_EQ(nullptr, gUnitInspector->UnitAt(1));
    }
    CGeometry* owner = Add<CGeometry>("Mast", D3DXVECTOR4(0, 0, 0, 1));
    scene.Frame(0.02f);
    ASSERT_NE(nullptr, owner->billboard);
    gUnitInspector->DeleteUnit(owner->billboard);
    EXPECT_EQ(nullptr, owner->billboard);
    gUnitInspector->DeleteUnit(owner);
}

// A billboard of a class already on its chain would make the next one every frame. A
// script can name only classes read before, or the class itself; a longer cycle is closed
// by hand.
TEST_F(BillboardTest, NoBillboardIsMadeOfAClassAlreadyOnItsChain)
{
    ASSERT_EQ(0, scene.ReadScript("BILLBOARD Echo { SysControls: [ EnableIdle RenderAlways ] Mesh: \"Front.msh\"\n"
                                  "    Billboard: Echo };\n"
                                  "BILLBOARD Pong { SysControls: [ EnableIdle RenderAlways ] Mesh: \"Front.msh\" };\n"
                                  "GEOMETRY Ping { SysControls: [ RenderAlways ] Billboard: Pong };\n"));
    gUnitInspector->GetClassTemplate("Pong")->billboardClass = gUnitInspector->GetClassTemplate("Ping");
    const struct {
        const char* placed;
        int units;
    } cases[] = {{"Echo", 1}, {"Ping", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.placed);
        messages.Clear();
        Add<CGeometry>(c.placed, D3DXVECTOR4(0, 0, 0, 1));
        Add<CGeometry>(c.placed, D3DXVECTOR4(1, 0, 0, 1));
        for (int i = 0; i < 5; ++i) scene.Frame(0.02f);
        EXPECT_EQ(2 * c.units, Units());
        EXPECT_EQ(1u, messages.Count()) << "said once, " << messages.Joined();
        EXPECT_TRUE(messages.Contains("which is already on the unit's chain: no billboard is made.")) << messages.Joined();
        gUnitInspector->Reset();
    }
}

TEST_F(BillboardTest, ABillboardOnAMasterIsPlacedThroughIt)
{
    CGeometry* mast = Add<CGeometry>("Flat", D3DXVECTOR4(5, 0, 0, 1));
    CBillboard* board = Add<CBillboard>("Board", D3DXVECTOR4(0, 2, 0, 1));
    ASSERT_EQ(0, mast->AttachUnit(board, NOT_ATTACHED));
    board->DoIdle();
    ExpectNear(D3DXVECTOR3(5, 2, 0), board->placedPos.x, board->placedPos.y, board->placedPos.z, "placed");
}

} // namespace
} // namespace billboards
