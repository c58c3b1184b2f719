// Master/slave attaches, deletion in every order, and the world transforms of a chain.

#include "tests/geometry/GeometryFixture.h"

#include "engine/UnitInspector.h"

#include <algorithm>

namespace geometrytest {
namespace {

class AttachTest : public UnitTest {
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        RunScript("ATOM Holder { };\nGEOMETRY Box { };\n");
        for (CAtom*& unit : units) unit = Create("Box");
    }
    int FreeAttaches() const
    {
        return gUnitInspector->unitAttaches.Capacity() - gUnitInspector->unitAttaches.Count() +
               gUnitInspector->unitAttaches.FreeCount();
    }
    CAtom* units[4] = {};
};

TEST_F(AttachTest, SlaveJoinsAtTheTailAndPointsBack)
{
    CAtom* master = units[0];
    ASSERT_EQ(0, master->AttachUnit(units[1], 3));
    ASSERT_EQ(0, units[2]->AssignMaster(master, 4));
    EXPECT_EQ(units[1], master->GetSlave(0));
    EXPECT_EQ(units[2], master->GetSlave(1));
    EXPECT_EQ(nullptr, master->GetSlave(2));
    EXPECT_EQ(master, units[2]->master);
    EXPECT_EQ(4, units[2]->attachMode);
    EXPECT_EQ(units[1], master->FindSlaveByClass("Box"));
    EXPECT_EQ(nullptr, master->FindSlaveByClass("Holder"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(AttachTest, SameSlaveTwiceKeepsOneRecordAndWarns)
{
    CAtom* master = units[0];
    ASSERT_EQ(0, master->AttachUnit(units[1], 1));
    const int before = FreeAttaches();
    EXPECT_EQ(0, master->AttachUnit(units[1], 1));
    EXPECT_EQ(1, master->slaves.Count());
    EXPECT_EQ(master, units[1]->master);
    EXPECT_EQ(before, FreeAttaches());
    EXPECT_TRUE(messages.Contains("CAtom::AttachUnit:  For unit 'Box' slave unit'Box' already attached."))
        << messages.Joined();
    messages.Clear();
    EXPECT_EQ(0, units[1]->AssignMaster(master, 1));
    EXPECT_EQ(1, master->slaves.Count());
    EXPECT_TRUE(messages.Contains("CAtom::AssignMaster Warning.\nFor master unit 'Box' slave unit'Box' already attached."));
}

TEST_F(AttachTest, MovingToAnotherMasterLeavesTheOldList)
{
    ASSERT_EQ(0, units[0]->AttachUnit(units[2], 1));
    ASSERT_EQ(0, units[1]->AttachUnit(units[2], 1));
    EXPECT_TRUE(units[0]->slaves.Empty());
    EXPECT_EQ(units[2], units[1]->FirstSlave());
    EXPECT_EQ(units[1], units[2]->master);
}

TEST_F(AttachTest, SelfAndDescendantAttachesAreRefused)
{
    ASSERT_EQ(0, units[0]->AttachUnit(units[1], 1));
    ASSERT_EQ(0, units[1]->AttachUnit(units[2], 1));
    EXPECT_EQ(-1, units[0]->AttachUnit(units[0], 1));
    EXPECT_EQ(-1, units[2]->AttachUnit(units[0], 1));  // grandmaster under its own grandchild
    EXPECT_EQ(-1, units[0]->AssignMaster(units[1], 1));
    EXPECT_EQ(3u, Count("can not be attached to itself or to its own slave")) << messages.Joined();
    EXPECT_EQ(nullptr, units[0]->master);
    EXPECT_EQ(units[1], units[2]->master);
    units[0]->Disable();  // would never end on a cycle
    EXPECT_TRUE(units[2]->state & UNIT_DISABLED);
    units[0]->Enable();
    EXPECT_FALSE(units[2]->state & UNIT_DISABLED);
}

TEST_F(AttachTest, FullAttachPoolWarnsAndChangesNothing)
{
    ASSERT_EQ(0, units[3]->AttachUnit(units[1], 1));
    CAtom* extra[8] = {};
    int attached = 0;
    for (CAtom*& unit : extra) {
        unit = Create("Holder");
        if (units[0]->AttachUnit(unit, 1) == 0) ++attached;
    }
    EXPECT_EQ(7, attached);  // one record is with units[3]
    EXPECT_TRUE(messages.Contains("CAtom::AttachUnit:  For UnitInspector UnitAttaches limit is exceeded."));
    // Moving units[1] needs a new record first: it stays where it was.
    EXPECT_EQ(-1, units[2]->AttachUnit(units[1], 1));
    EXPECT_EQ(units[3], units[1]->master);
    EXPECT_EQ(units[1], units[3]->FirstSlave());
}

TEST_F(AttachTest, DetachGivesTheRecordBack)
{
    const int before = FreeAttaches();
    ASSERT_EQ(0, units[0]->AttachUnit(units[1], 1));
    EXPECT_EQ(before - 1, FreeAttaches());
    units[0]->DetachSlave(units[1]);
    EXPECT_EQ(before, FreeAttaches());
    EXPECT_EQ(nullptr, units[1]->master);
    EXPECT_EQ(NOT_ATTACHED, units[1]->attachMode);
    EXPECT_TRUE(units[0]->slaves.Empty());
}

// Every order of deleting the three units of a chain through the registry leaves no live
// unit pointing at a deleted one and every record back in the pool.
TEST_F(AttachTest, DeletingInAnyOrderKeepsListsConsistent)
{
    const int orders[][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    const int freeAtStart = FreeAttaches();
    for (const auto& order : orders) {
        CAtom* chain[3] = {Create("Box"), Create("Box"), Create("Holder")};
        uint32_t ids[3];
        for (int i = 0; i < 3; ++i) ids[i] = chain[i]->id;
        auto alive = [&](int i) { return gUnitInspector->UnitAt(int(ids[i])) == chain[i]; };
        auto isLive = [&](const CAtom* unit) {
            for (int i = 0; i < 3; ++i)
                if (unit == chain[i] && alive(i)) return true;
            return false;
        };
        ASSERT_EQ(0, chain[0]->AttachUnit(chain[1], 1));
        ASSERT_EQ(0, chain[1]->AttachUnit(chain[2], 1));
        for (int k : order) {
            if (!alive(k)) continue;  // went with its master
            ASSERT_EQ(0, gIUnitInspector->DeleteUnit(chain[k]));
            for (int i = 0; i < 3; ++i) {
                if (!alive(i)) continue;
                if (chain[i]->master) {
                    EXPECT_TRUE(isLive(chain[i]->master));
                }
                chain[i]->slaves.ForEach([&](SUnitAttach* r) { EXPECT_TRUE(isLive(r->unit)); });
            }
        }
        EXPECT_EQ(freeAtStart, FreeAttaches());
    }
}

// Units deleted without the registry (scene units) unlink themselves as well.
TEST_F(AttachTest, PlainDeletionUnlinksBothWays)
{
    CGeometry* master = new CGeometry;
    CGeometry* slave = new CGeometry;
    CGeometry* grandSlave = new CGeometry;
    ASSERT_EQ(0, master->AttachUnit(slave, 1));
    ASSERT_EQ(0, slave->AttachUnit(grandSlave, 1));
    const int inUse = gUnitInspector->unitAttaches.FreeCount();
    delete slave;
    EXPECT_TRUE(master->slaves.Empty());
    EXPECT_EQ(nullptr, grandSlave->master);
    EXPECT_EQ(inUse + 2, gUnitInspector->unitAttaches.FreeCount());
    delete master;
    delete grandSlave;
}

TEST_F(AttachTest, DeleteSlavesDeletesThemThroughTheRegistry)
{
    ASSERT_EQ(0, units[0]->AttachUnit(units[1], 1));
    ASSERT_EQ(0, units[1]->AttachUnit(units[2], 1));
    const uint32_t ids[] = {units[1]->id, units[2]->id};
    units[0]->DeleteSlaves();
    EXPECT_TRUE(units[0]->slaves.Empty());
    EXPECT_EQ(nullptr, gUnitInspector->UnitAt(int(ids[0])));
    EXPECT_EQ(nullptr, gUnitInspector->UnitAt(int(ids[1])));
}

// ---- Matrices ----

D3DXMATRIX LocalMatrix(const D3DXVECTOR4& orient, const D3DXVECTOR4& pos, float pitchSign)
{
    D3DXMATRIX rotation, translation, out;
    D3DXMatrixRotationYawPitchRoll(&rotation, orient.y, pitchSign * orient.x, orient.z);
    D3DXMatrixTranslation(&translation, pos.x, pos.y, pos.z);
    D3DXMatrixMultiply(&out, &rotation, &translation);
    return out;
}

void ExpectNear(const D3DXVECTOR4& want, const D3DXVECTOR4& got)
{
    EXPECT_NEAR(want.x, got.x, 1e-4f);
    EXPECT_NEAR(want.y, got.y, 1e-4f);
    EXPECT_NEAR(want.z, got.z, 1e-4f);
    EXPECT_NEAR(want.w, got.w, 1e-4f);
}

TEST_F(AttachTest, GeometryPitchIsTheOppositeOfCalcMatrix)
{
    CGeometry* unit = dynamic_cast<CGeometry*>(units[0]);
    ASSERT_NE(nullptr, unit);
    unit->Orient = D3DXVECTOR4(0.5f, 0.0f, 0.0f, 0.0f);
    unit->SetPos(D3DXVECTOR4(1.0f, 2.0f, 3.0f, 1.0f));
    D3DXMATRIX calc, minus, plus;
    unit->CalcMatrix(&calc);
    D3DXMatrixRotationX(&minus, -0.5f);
    D3DXMatrixRotationX(&plus, 0.5f);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(minus.m[r][c], unit->world.m[r][c], 1e-6f);
            EXPECT_NEAR(plus.m[r][c], calc.m[r][c], 1e-6f);
        }
    EXPECT_FLOAT_EQ(2.0f, unit->world._42);
    EXPECT_FLOAT_EQ(3.0f, calc._43);
}

// A three-level chain: each point goes through child x parent x grandparent, the product
// D3DX builds from the same local matrices.
TEST_F(AttachTest, ThreeLevelChainMatchesD3DXProduct)
{
    CGeometry* top = dynamic_cast<CGeometry*>(units[0]);
    CGeometry* middle = dynamic_cast<CGeometry*>(units[1]);
    CGeometry* bottom = dynamic_cast<CGeometry*>(units[2]);
    const D3DXVECTOR4 orient[] = {{0.3f, 0.7f, -0.2f, 0}, {-0.4f, 1.1f, 0.25f, 0}, {0.15f, -0.6f, 0.5f, 0}};
    const D3DXVECTOR4 pos[] = {{10, 2, -5, 1}, {-1, 3, 4, 1}, {0.5f, -2, 1.5f, 1}};
    CGeometry* chain[] = {top, middle, bottom};
    for (int i = 0; i < 3; ++i) {
        chain[i]->Orient = orient[i];
        chain[i]->SetPos(pos[i]);
    }
    ASSERT_EQ(0, top->AttachUnit(middle, 1));
    ASSERT_EQ(0, middle->AttachUnit(bottom, 1));
    D3DXMATRIX world, step;
    world = LocalMatrix(orient[2], pos[2], -1.0f);
    D3DXMatrixMultiply(&world, &world, &(step = LocalMatrix(orient[1], pos[1], -1.0f)));
    D3DXMatrixMultiply(&world, &world, &(step = LocalMatrix(orient[0], pos[0], -1.0f)));
    const D3DXVECTOR4 points[] = {{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {2, -3, 5, 1}};
    for (const D3DXVECTOR4& p : points) {
        D3DXVECTOR4 want, got;
        D3DXVec4Transform(&want, &p, &world);
        bottom->TransformToWorld(&got, p);
        ExpectNear(want, got);
    }
    // The position goes through the masters only.
    D3DXMATRIX masters;
    D3DXMatrixMultiply(&masters, &(step = LocalMatrix(orient[1], pos[1], -1.0f)),
                       &(world = LocalMatrix(orient[0], pos[0], -1.0f)));
    D3DXVECTOR4 want, got;
    D3DXVec4Transform(&want, &pos[2], &masters);
    bottom->GetWorldPos(&got);
    ExpectNear(want, got);
}

// A master without a world matrix of its own takes points through CalcMatrix.
TEST_F(AttachTest, PlainMasterUsesCalcMatrix)
{
    CAtom* holder = Create("Holder");
    holder->Orient = D3DXVECTOR4(0.5f, 0.2f, 0.0f, 0.0f);
    holder->Pos = D3DXVECTOR4(1, 2, 3, 1);
    ASSERT_EQ(0, holder->AttachUnit(units[0], 1));
    units[0]->SetPos(D3DXVECTOR4(4, 0, 0, 1));
    D3DXMATRIX calc;
    holder->CalcMatrix(&calc);
    D3DXVECTOR4 want, got;
    D3DXVec4Transform(&want, &units[0]->Pos, &calc);
    units[0]->GetWorldPos(&got);
    ExpectNear(want, got);
}

} // namespace
} // namespace geometrytest
