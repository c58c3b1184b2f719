// The property-scanning protocol on real text: class blocks across three class levels,
// presentation keys, and the unit base's own values.

#include "tests/units/UnitFixture.h"

#include "core/Strings.h"
#include "engine/MapContainer.h"

#include <cstdint>
#include <cstring>

namespace {

using scripts::TextFile;
using units::TestGeometry;
using units::TestMover;
using units::NextWord;
using units::UnitTest;

TEST_F(UnitTest, ClassBlockMixesTheKeywordsOfEveryLevelInAnyOrder)
{
    TextFile file("mixed",
                  "Speed: 3 Pos: [ 1 2 3 ] Mesh: house Color: [ 0.5 0.25 0.125 1 ]\n"
                  "Speed: 4 Orient: [ 90 0 0 ] RenderQueue: 258 ForControls3D Mesh: roof\n"
                  "Size: [ 2 3 4 ] };\nNEXT");
    TestMover unit;
    EXPECT_EQ(112233, unit.ScanNativePropertyes(file, nullptr));
    EXPECT_FLOAT_EQ(4.0f, unit.speed);
    EXPECT_STREQ("roof", unit.mesh);
    EXPECT_FLOAT_EQ(2.0f, unit.Pos.y);
    EXPECT_FLOAT_EQ(0.125f, unit.Color.b);
    EXPECT_FLOAT_EQ(1.5707964f, unit.Orient.x);
    EXPECT_EQ(2, unit.RenderQueue);  // the low 8 bits
    EXPECT_EQ(uint32_t(SYS_FOR_CONTROLS3D), unit.SysControls);
    EXPECT_FLOAT_EQ(4.0f, unit.Size.z);
    EXPECT_EQ("NEXT", NextWord(file));  // nothing read past "};"
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(UnitTest, UnknownWordTravelsDownAndBackUpIntact)
{
    TextFile file("unknown", "Mesh: a Pos: [ 1 1 1 ] Bogus_Keyword: 5 Speed: 2 };");
    TestMover unit;
    EXPECT_EQ(-1, unit.ScanNativePropertyes(file, nullptr));
    EXPECT_STREQ("Bogus_Keyword:", gUnknownWord);
    EXPECT_EQ("5", NextWord(file));  // stopped right at the word
    EXPECT_EQ(0u, messages.Count()) << "scanners leave the report to their caller";
}

TEST_F(UnitTest, ClassBlockAtTheEndOfTheFileAnswersZero)
{
    TextFile file("eof", "Pos: [ 1 2 3 ] Mesh: m");
    TestMover unit;
    EXPECT_EQ(0, unit.ScanNativePropertyes(file, nullptr));
    EXPECT_STREQ("m", unit.mesh);

    TextFile base("eof_base", "Pos: [ 1 2 3 ]");
    CAtom atom;
    EXPECT_EQ(0, atom.ScanNativePropertyes(base, nullptr));
}

TEST_F(UnitTest, ExitRequestEndsTheClassBlock)
{
    TextFile file("exit", "Pos: [ 1 2 3 ] };");
    TestMover unit;
    gExitCode = 100;
    EXPECT_EQ(-1, unit.ScanNativePropertyes(file, nullptr));
    EXPECT_FLOAT_EQ(0.0f, unit.Pos.x);
}

TEST_F(UnitTest, SinglePropertyModeReadsOneKeyAndNoMore)
{
    TextFile file("single", "3 name: Tower");
    TestMover unit;
    EXPECT_EQ(0, unit.ScanMissionData(file, "render_queue:"));
    EXPECT_EQ(3, unit.RenderQueue);
    EXPECT_EQ("name:", NextWord(file));

    TextFile own("single_own", "7.5 pos: [ 1 2 3 ]");
    EXPECT_EQ(0, unit.ScanMissionData(own, "speed:"));
    EXPECT_FLOAT_EQ(7.5f, unit.speed);
    EXPECT_EQ("pos:", NextWord(own));

    TextFile unknown("single_unknown", "1");
    EXPECT_EQ(-1, unit.ScanMissionData(unknown, "weight:"));
    EXPECT_STREQ("weight:", gUnknownWord);
}

TEST_F(UnitTest, PresentationBlockReadsKeysOfEveryLevel)
{
    TextFile file("mission", "speed: 2 mesh: hull pos: [ 1 2 3 ] size: [ 2 2 2 ] color: [ 1 0 0 1 ]\n"
                             "orient: [ 0 180 0 ] name: \"North tower\" };");
    TestMover unit;
    EXPECT_EQ(112233, unit.ScanMissionData(file, nullptr));
    EXPECT_FLOAT_EQ(2.0f, unit.speed);
    EXPECT_STREQ("hull", unit.mesh);
    EXPECT_FLOAT_EQ(3.0f, unit.Pos.z);
    EXPECT_FLOAT_EQ(0.0f, unit.Color.g);
    EXPECT_NEAR(3.14159265f, unit.Orient.y, 1e-5f);
    EXPECT_STREQ("North tower", unit.name);

    TextFile bad("mission_bad", "pos: [ 1 2 3 ] wings: 2 };");
    EXPECT_EQ(-1, unit.ScanMissionData(bad, nullptr));
    EXPECT_STREQ("wings:", gUnknownWord);
}

TEST_F(UnitTest, SelectingNeedsAUnitTypeOfEighteenOrMore)
{
    TextFile geometry("selecting4", "SysControls: [ EnableIdle Selecting RenderAlways ] };");
    CAtom low;
    low.type = 4;
    low.SetName("Fence");
    EXPECT_EQ(112233, low.ScanNativePropertyes(geometry, nullptr));
    EXPECT_EQ(uint32_t(SYS_ENABLE_IDLE | SYS_RENDER_ALWAYS), low.SysControls);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("SysControls 'Selecting' may be use for a base class 'BaseUnit' inheritable.\n Problem for UNIT "
              "'Fence'.",
              messages.Texts()[0]);

    messages.Clear();
    TextFile unit("selecting18", "SysControls: [ Selecting UseLocalLight ] };");
    CAtom high;
    high.type = 18;
    EXPECT_EQ(112233, high.ScanNativePropertyes(unit, nullptr));
    EXPECT_EQ(uint32_t(SYS_SELECTING), high.SysControls);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(UnitTest, UnknownSysControlsWordWarnsAndReadingGoesOn)
{
    TextFile file("sys_unknown", "SysControls: [ Blinking EnablePreRender ] Pos: [ 5 0 0 ] };");
    CAtom unit;
    unit.SetName("Lamp");
    EXPECT_EQ(112233, unit.ScanNativePropertyes(file, nullptr));
    EXPECT_EQ(uint32_t(SYS_ENABLE_PRE_RENDER), unit.SysControls);
    EXPECT_FLOAT_EQ(5.0f, unit.Pos.x);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Undefine string 'Blinking' in SysControls. UNIT 'Lamp'.", messages.Texts()[0]);
}

TEST_F(UnitTest, LongNameKeepsThirtyOneCharactersAndTheirHash)
{
    const std::string longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";  // 40
    ASSERT_EQ(40u, longName.size());
    TextFile file("name", longName);
    CAtom unit;
    EXPECT_EQ(0, unit.ScanMissionData(file, "name:"));
    EXPECT_EQ(longName.substr(0, 31), unit.name);
    EXPECT_EQ(StrHash(longName.substr(0, 31).c_str()), unit.nameHash);
    EXPECT_NE(StrHash(longName.c_str()), unit.nameHash);
}

TEST_F(UnitTest, CopyFromPrototypeTakesTheValuesButNotDir)
{
    CClassTemplate cls;
    CAtom prototype;
    prototype.classTemplate = &cls;
    prototype.type = 18;
    prototype.SetName("Tower");
    prototype.Pos = D3DXVECTOR4(1, 2, 3, 1);
    prototype.Size = D3DXVECTOR4(2, 2, 2, 1);
    prototype.Color = D3DXCOLOR(0.5f, 0.5f, 0.5f, 1);
    prototype.Orient = D3DXVECTOR4(0, 1, 0, 0);
    prototype.Dir = D3DXVECTOR4(1, 2, 3, 4);
    prototype.SysControls = SYS_RENDER_ALWAYS;
    prototype.RenderQueue = 4;

    CAtom unit;
    unit.Dir = D3DXVECTOR4(9, 9, 9, 9);
    unit.CopyFromPrototype(&prototype);
    EXPECT_FLOAT_EQ(9.0f, unit.Dir.x);
    EXPECT_FLOAT_EQ(9.0f, unit.Dir.w);
    EXPECT_FLOAT_EQ(3.0f, unit.Pos.z);
    EXPECT_FLOAT_EQ(2.0f, unit.Size.x);
    EXPECT_FLOAT_EQ(1.0f, unit.Orient.y);
    EXPECT_EQ(uint32_t(SYS_RENDER_ALWAYS), unit.SysControls);
    EXPECT_EQ(4, unit.RenderQueue);
    EXPECT_EQ(18u, unit.type);
    EXPECT_STREQ("Tower", unit.name);
    EXPECT_EQ(prototype.nameHash, unit.nameHash);
    EXPECT_EQ(&cls, unit.classTemplate);
}

// A shader table reads four words from the unit's address at the index.
TEST_F(UnitTest, ParameterIndicesAddressTheValuesInTheUnit)
{
    CAtom unit;
    unit.Pos = D3DXVECTOR4(11, 12, 13, 1);
    unit.Size = D3DXVECTOR4(21, 22, 23, 1);
    unit.Color = D3DXCOLOR(0.25f, 0.5f, 0.75f, 1);
    unit.Dir = D3DXVECTOR4(41, 42, 43, 44);
    auto word = [&unit](uint32_t index) {
        float value;
        memcpy(&value, reinterpret_cast<const char*>(&unit) + index * 4, sizeof value);
        return value;
    };
    EXPECT_FLOAT_EQ(11.0f, word(unit.GetParamIndex("Pos")));
    EXPECT_FLOAT_EQ(23.0f, word(unit.GetParamIndex("Size") + 2));
    EXPECT_FLOAT_EQ(0.5f, word(unit.GetParamIndex("Color") + 1));
    EXPECT_FLOAT_EQ(44.0f, word(unit.GetParamIndex("Dir") + 3));
    EXPECT_EQ(15u, unit.GetParamIndex("Dir"));
    EXPECT_EQ(CClassTemplate::ParamByName("MirrorParams"), unit.GetParamIndex("MirrorParams"));
    EXPECT_EQ(0u, unit.GetParamIndex("Velocity"));
}

TEST_F(UnitTest, CoordAyKeepsHeightReadsDegreesAndPlacesThroughTheMap)
{
    CGameMap map(64, 64);
    CAtom unit;
    unit.map = &map;
    unit.Pos.y = 2.5f;
    TextFile file("coord", "[ 5 7 45 ]");
    EXPECT_EQ(0, unit.ScanMissionData(file, "coord_ay:"));
    EXPECT_FLOAT_EQ(5.0f, unit.Pos.x);
    EXPECT_FLOAT_EQ(2.5f, unit.Pos.y);
    EXPECT_FLOAT_EQ(7.0f, unit.Pos.z);
    EXPECT_NEAR(0.785398f, unit.Orient.y, 1e-6f);
    EXPECT_EQ(32 + 5, unit.mapPos.x);
    EXPECT_EQ(32 - 7, unit.mapPos.z);

    TextFile yaw("pos_ay", "[ 1 2 3 90 ]");
    EXPECT_EQ(0, unit.ScanMissionData(yaw, "pos_ay:"));
    EXPECT_FLOAT_EQ(2.0f, unit.Pos.y);
    EXPECT_NEAR(1.5707964f, unit.Orient.y, 1e-6f);
    EXPECT_EQ(33, unit.mapPos.x);
}

TEST_F(UnitTest, PlaceOnMapByPlacementMode)
{
    CGameMap map(64, 64);
    SMapPos cell;
    cell.x = 40;
    cell.z = 20;
    cell.direction = 3;

    CAtom loose;  // no map: nothing happens
    loose.placeMode = 1;
    loose.PlaceOnMap(cell);
    EXPECT_EQ(0, loose.mapPos.x);
    EXPECT_FLOAT_EQ(0.0f, loose.Pos.x);

    CAtom stored;  // mode 0 only stores the map position
    stored.map = &map;
    stored.PlaceOnMap(cell);
    EXPECT_EQ(40, stored.mapPos.x);
    EXPECT_EQ(3, stored.mapPos.direction);
    EXPECT_FLOAT_EQ(0.0f, stored.Pos.x);

    CAtom cellOnly;
    cellOnly.map = &map;
    cellOnly.placeMode = 1;
    cellOnly.Pos.y = 9.0f;
    cellOnly.PlaceOnMap(cell);
    EXPECT_FLOAT_EQ(8.0f, cellOnly.Pos.x);
    EXPECT_FLOAT_EQ(12.0f, cellOnly.Pos.z);
    EXPECT_FLOAT_EQ(9.0f, cellOnly.Pos.y);

    CAtom ground;
    ground.map = &map;
    ground.placeMode = 2;
    ground.Pos.y = 9.0f;
    ground.PlaceOnMap(cell);
    EXPECT_FLOAT_EQ(map.GetFAltByPos4(cell), ground.Pos.y);

    gEngine->seaLevel = 3;
    gEngine->seaHeight = 0.75f;
    CAtom sea;
    sea.map = &map;
    sea.placeMode = 4;
    sea.PlaceOnMap(cell);
    EXPECT_FLOAT_EQ(0.75f, sea.Pos.y);
    EXPECT_EQ(3, sea.mapPos.altitude);
    EXPECT_FLOAT_EQ(8.0f, sea.Pos.x);
}

TEST_F(UnitTest, TransformToWorldGoesUpTheMasterChain)
{
    CAtom master;
    master.Pos = D3DXVECTOR4(10, 0, 0, 1);
    master.Orient.y = 1.5707964f;  // a quarter turn
    CAtom slave;
    slave.Pos = D3DXVECTOR4(0, 0, 5, 1);
    slave.master = &master;
    const D3DXVECTOR4 point(1, 0, 0, 1);
    D3DXVECTOR4 out;
    slave.TransformToWorld(&out, point);
    D3DXMATRIX own, up, both;
    slave.CalcMatrix(&own);
    master.CalcMatrix(&up);
    D3DXMatrixMultiply(&both, &own, &up);
    D3DXVECTOR4 expected;
    D3DXVec4Transform(&expected, &point, &both);
    EXPECT_NEAR(expected.x, out.x, 1e-5f);
    EXPECT_NEAR(expected.z, out.z, 1e-5f);
    EXPECT_NEAR(15.0f, out.x, 1e-4f);
    slave.master = nullptr;
}

} // namespace
