// The readers of the engine and the application: engine scripts with their sections, the
// presentation list, presentation files, animation files, game maps and the buildings'
// cost/area files.

#include "tests/fuzz/Campaign.h"
#include "tests/fuzz/Readers.h"
#include "tests/fuzz/SavedValues.h"
#include "tests/fuzz/Seeds.h"

#include "app/Application.h"
#include "app/Figures.h"
#include "app/Flat.h"
#include "app/Floor.h"
#include "app/MyBuilding.h"
#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/UsageParams.h"
#include "engine/AnimContainer.h"
#include "engine/AnimFile.h"
#include "engine/AnimPlayer.h"
#include "engine/ArrayContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/Controls3D.h"
#include "engine/CreateEngine.h"
#include "engine/Engine.h"
#include "engine/Iconer.h"
#include "engine/MapContainer.h"
#include "engine/MeshContainer.h"
#include "engine/MissionLoader.h"
#include "engine/Nations.h"
#include "engine/Parser.h"
#include "engine/Scenes.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "scene/ParticleSystems.h"
#include "scene/Renderer.h"
#include "tests/support/Harness.h"

#include <windows.h>

#include <cstdio>
#include <iterator>
#include <utility>

namespace fuzz {

namespace {


// The warning budgets that one input may spend; the exit request and the usage block it
// may set are cleared.
CSavedValues ProcessBudgets()
{
    CSavedValues b;
    b.Take(&gWarningBudget);
    b.Take(&CClassTemplate::warningBudget);
    return b;
}

void EndInput(const CSavedValues& budgets)
{
    budgets.Restore();
    gExitCode = 0;
    ResetUsageParams();
}

// ---- Engine scripts: a fresh engine reads each input as its start script, then makes a
// unit of every class it declared, as presentations do ----

void ReadScript(const char* path, uint64_t)
{
    static const CSavedValues budgets = ProcessBudgets();
    if (CreateEngine(0) != 0) ReportInvalid("the engine could not be created");
    gIParser->LoadScript(path);
    gExitCode = 0;
    for (int i = 1; i <= gUnitInspector->templates.Count(); ++i)
        if (CClassTemplate* cls = gUnitInspector->GetTemplateByIndex(i))
            gUnitInspector->CreateUnitFromTemplate(cls, nullptr);
    DestroyEngine();
    EndInput(budgets);
}

void ScriptSeeds(std::vector<std::string>& out)
{
    AddSampleFiles(out, "Scripts", ".txt");
    AddHandMadeFiles(out, "scripts");
}

// ---- The presentation list ----

void ReadList(const char* path, uint64_t)
{
    CMissionLoader loader;
    loader.LoadMissionList(path);
    std::vector<CMission*>* missions = nullptr;
    loader.GetMissionList(&missions);
    for (const CMission* mission : *missions)
        if (!mission) ReportInvalid("the presentation list holds an empty entry");
}

void ListSeeds(std::vector<std::string>& out)
{
    AddSampleFiles(out, "Presentations", "List.txt");
    AddHandMadeFiles(out, "lists");
}

// ---- Presentations: the engine reads the sample's scripts once; each input is a
// presentation started and ended ----

// What the sample's scripts do not declare but presentation sections use.
const char* const PRESENTATION_EXTRAS =
    "MapContainer [ MapCount: 8 RegionSize: 16 BlankField: 1 ]\n"
    "Controls3D [ ControlCount: 8 ActiveControls: 8 ControlGroups: 4 WindowTemplates: 8 ActiveWindows: 3 ]\n"
    "CONTROL_GROUP Menu { Controls: { }; };\n";

CSavedValues gPresentationBudgets;

bool PresentationSetUp()
{
    if (!DeviceSetUp() || CreateEngine(0) != 0) return false;
    char work[MAX_PATH];
    GetCurrentDirectoryA(sizeof work, work);
    SetCurrentDirectoryA(test::RunDir().c_str());
    const int loaded = gIParser->LoadScript("Scripts/Start.txt");
    SetCurrentDirectoryA(work);
    const std::string extras = std::string(work) + "\\Extras.txt";
    test::WriteFile(extras, PRESENTATION_EXTRAS);
    if (loaded != 0 || gIParser->LoadScript(extras.c_str()) != 0) {
        fprintf(stderr, "fuzz: the sample's scripts (%d) and the extras (exit request %d) could not be read\n", loaded,
                int(gExitCode));
        DestroyEngine();
        return false;
    }
    gIUnitInspector->SetUserClassFactory(CreateUserUnit);
    gBuildings.Init(256, true);
    gPresentationBudgets = ProcessBudgets();
    for (int* budget : {&gMissionLoader->warningBudget, &gTexContainer->warnings, &gAnimContainer->warnings,
                            &gMeshContainer->warningBudget, &gMapContainer->warningBudget,
                            &gUnitInspector->warningBudget, &gArrayContainer->warningBudget,
                            &gControls3D->warningBudget, &gEngine->warningBudget, &gRenderer->warningBudget,
                            &gParticleSystems->warningBudget, &gNations->warningBudget, &gScenes->warningBudget,
                            &gIconer->warningBudget})
        gPresentationBudgets.Take(budget);
    return true;
}

void PresentationTearDown()
{
    DestroyEngine();
    gBuildings.Free();
    gExitCode = 0;
}

void ReadPresentation(const char* path, uint64_t)
{
    ResetUsageParams();
    if (gMissionLoader->LoadMission(path) == 0) gUnitInspector->FindCameras();
    gMissionLoader->EndMission();
    gMissionLoader->currentMap = nullptr;
    gMissionLoader->currentNation = nullptr;
    gBuildings.Clear();
    EndInput(gPresentationBudgets);
}

void PresentationSeeds(std::vector<std::string>& out)
{
    AddSampleFiles(out, "Presentations", "KestrelVale.txt");
    AddSampleFiles(out, "Presentations\\KestrelVale", "Buildings.txt");
    AddSampleFiles(out, "Presentations\\KestrelVale", "Variables.txt");
    AddHandMadeFiles(out, "presentations");
}

// ---- Animation files, then sampled and played as units and cameras do ----

const uint32_t ANIM_LOAD_FLAGS[] = {0, ANIM_LOAD_STORE_VALUES, ANIM_LOAD_MATRICES_3X3,
                                    ANIM_LOAD_STORE_VALUES | ANIM_LOAD_MATRICES_3X3};

void Sample(const CAnimFile& file, int a, int b)
{
    D3DXMATRIX matrices[MAX_BONES];
    uint8_t marks[MAX_BONES] = {};
    D3DXVECTOR4 position;
    file.SampleMatrices(a, b, 0.5f, matrices, marks);
    for (int bone : {0, file.boneCount - 1, file.boneCount, MAX_BONES - 1, MAX_BONES}) {
        file.SampleBoneMatrix(a, b, 0.25f, bone, matrices);
        file.SamplePosition(a, b, 0.75f, bone, &position);
        file.SampleValues(a, b, 0.5f, bone);
        file.FindKey(bone, a);
    }
}

void ReadAnimation(const char* path, uint64_t variant)
{
    CAnimFile file;
    if (file.LoadAnimation(path, ANIM_LOAD_FLAGS[variant % std::size(ANIM_LOAD_FLAGS)]) != ANIM_LOADED) return;
    if (file.frameCount < 0 || file.frameCount > MAX_ANIM_FRAMES || file.boneCount < 0 || file.boneCount > MAX_BONES)
        ReportInvalid("a loaded animation's counts lie outside its limits");
    const int last = file.frameCount - 1;
    for (const auto& [a, b] : {std::pair{0, 1}, {last, 0}, {last, last + 1}, {-1, 0}, {last + 1, last + 2}})
        Sample(file, a, b);
    CAnimPlayer player;
    if (player.Start(&file, uint16_t(variant % 2 ? PLAY_CYCLIC : PLAY_CYCLIC | PLAY_JUMP_FRAME0),
                     StrHash("Root")) != 0)
        return;
    D3DXMATRIX matrices[MAX_BONES];
    uint8_t marks[MAX_BONES] = {};
    D3DXVECTOR4 position;
    for (float dt : {0.0f, 0.0005f, 0.13f, 0.5f, 3.0f, 0.02f}) {
        player.Advance(dt);
        player.SampleBones(matrices, marks);
        player.SampleChannels(matrices, 0);
        player.SampleColorUv();
        player.SampleTransform(&position);
    }
}

void AnimationSeeds(std::vector<std::string>& out)
{
    AddSampleFiles(out, "Animations", ".anm");
    AddHandMadeFiles(out, "animations");
}

// ---- Game maps: the container's section and presentation "Map:" blocks, then the
// queries of units placed on them ----

void QueryMap(CGameMap& map)
{
    if (!map.busyCells.empty() && map.busyCells.size() != size_t(map.Width()) * size_t(map.Height()))
        ReportInvalid("a map's busy cells do not match its size");
    const int w = map.Width(), h = map.Height();
    for (const auto& [x, z] : {std::pair{0, 0}, {w - 1, h - 1}, {w / 2, h / 2}, {-1, 0}, {w, h}, {0, h - 1}}) {
        SMapPos pos{x, z, 0, 0};
        map.GetAltByPos4(pos);
        map.GetFAltByPos4(pos);
        D3DXVECTOR4 world(0, 0, 0, 1);
        map.GetFPos_XZ_ByPos4(&world, pos);
        map.GetPosByFPos(&pos, world);
        map.GetCellXZClamped(&pos, D3DXVECTOR4(float(x) * 3.0f, 0, float(z) * -3.0f, 1));
        map.RegionOfCell(pos.x, pos.z);
    }
}

void ReadMaps(const char* path, uint64_t)
{
    FILE* file = fopen(path, "rb");
    if (!file) return;
    CMapContainer maps;
    gMapContainer = &maps;
    char word[Core::WORD_BUFFER_SIZE];
    for (Core::fscan_word(file, word); word[0] && !gExitCode; Core::fscan_word(file, word)) {
        if (StrEqual(word, "MapContainer"))
            maps.FirstScan(file);
        else if (StrEqual(word, "Map:"))
            maps.ScanMap(file);
    }
    fclose(file);
    for (uint16_t i = 1; i <= maps.Count(); ++i)
        if (CGameMap* map = maps.GetMap(i)) QueryMap(*map);
    gMapContainer = nullptr;
    gExitCode = 0;
}

void MapSeeds(std::vector<std::string>& out)
{
    AddHandMadeFiles(out, "maps");
}

// ---- Cost/area files: a building of nine floors reads one and shows every flat's
// figures ----

constexpr int COST_FLOORS = 9;

void ReadCostArea(const char* path, uint64_t)
{
    static CMyBuilding building;
    for (int i = 0; i < COST_FLOORS; ++i) {
        CFloor* floor = new CFloor;
        floor->number = i + 1;
        building.floors.Add(floor);
    }
    building.ScanCostAreaFile(path);
    char text[64];
    for (int i = 0; i < building.floors.Count(); ++i) {
        CFloor* floor = building.floors[i];
        for (int f = 0; f < floor->flats.Count(); ++f) {
            const CFlat* flat = floor->flats[f];
            FormatHundredths(flat->areaA, false, text, sizeof text);
            FormatHundredths(flat->areaB, false, text, sizeof text);
            FormatHundredths(flat->pricePerArea, true, text, sizeof text);
            FormatHundredths(TotalOf(flat->pricePerArea, flat->areaA), true, text, sizeof text);
        }
        delete floor;
    }
    building.floors.Clear();
}

void CostAreaSeeds(std::vector<std::string>& out)
{
    AddSampleFiles(out, "Presentations\\KestrelVale", "Cost.txt");
    AddHandMadeFiles(out, "costs");
}

} // namespace

void AddEngineReaders(std::vector<SFuzzReader>& out)
{
    const size_t TEXT = 1 << 16;
    out.push_back({"scripts", "Start.txt", EInputKind::Text, TEXT, 1000, ScriptSeeds, DeviceSetUp, NothingToTearDown,
                   ReadScript, true});
    out.push_back({"lists", "List.txt", EInputKind::Text, 1 << 12, 10000, ListSeeds, NothingToSetUp,
                   NothingToTearDown, ReadList, false});
    out.push_back({"presentations", "Presentation.txt", EInputKind::Text, TEXT, 1500, PresentationSeeds,
                   PresentationSetUp, PresentationTearDown, ReadPresentation, true});
    out.push_back({"animations", "input.anm", EInputKind::Text, TEXT, 10000, AnimationSeeds, NothingToSetUp,
                   NothingToTearDown, ReadAnimation, false});
    out.push_back({"maps", "Maps.txt", EInputKind::Text, 1 << 12, 6000, MapSeeds, NothingToSetUp, NothingToTearDown,
                   ReadMaps, false});
    out.push_back({"costs", "Cost.txt", EInputKind::Text, TEXT, 10000, CostAreaSeeds, NothingToSetUp,
                   NothingToTearDown, ReadCostArea, false});
}

} // namespace fuzz
