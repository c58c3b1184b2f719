#include "engine/Scenes.h"

#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/AnimContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/MissionLoader.h"
#include "engine/UnitInspector.h"
#include "scene/Atom.h"

#include <algorithm>
#include <cstring>

CScenes* gScenes = nullptr;
IScenes* gIScenes = nullptr;

namespace {

constexpr uint32_t CAMERA_TYPE = 11;

struct FileCloser {
    FILE* file;
    ~FileCloser() { fclose(file); }
};

CClassTemplate* FindSceneClass(const char* word)
{
    if (const uint32_t type = CUnitInspector::TypeFromKeyword(word))
        if (CClassTemplate* cls = gUnitInspector->FindTemplateByType(type)) return cls;
    return gUnitInspector->GetClassTemplate(word);
}

} // namespace

CScene::CScene()
{
    units.reserve(512);
}

CScene::~CScene()
{
    Clear();
}

// Each deletion comes back through ForgetUnit, which takes the unit, and any slave
// deleted with it, off the list.
void CScene::Clear()
{
    while (!units.empty() && gUnitInspector) {
        CAtom* unit = units.back();
        gUnitInspector->RemoveUnitFromProcess(unit);
        gUnitInspector->DeleteUnit(unit);
        if (!units.empty() && units.back() == unit) units.pop_back();  // a scene outside the table
    }
    units.clear();
    state = CLEARED;
    camera = nullptr;
    animation = 0;
}

void CScene::ForgetUnit(const CAtom* unit)
{
    units.erase(std::remove(units.begin(), units.end(), unit), units.end());
    if (camera == unit) camera = nullptr;
}

int CScene::LoadFromFile(const char* name, int* budget)
{
    Clear();
    char path[MAX_PATH];
    if (IsAbsolutePath(name)) StrCopy(path, sizeof path, name);
    else MakeFullPath(path, sizeof path, name);
    FILE* file = OpenDataFile(path, "rb");
    if (!file) {
        WarningBox(budget, "CScene::LoadFromFile :  Can`t open scene file  '", path, "'", nullptr);
        return -1;
    }
    FileCloser closer{file};
    CFileMessages messages(path);
    char word[Core::WORD_BUFFER_SIZE];
    for (Core::fscan_word(file, word); word[0]; Core::fscan_word(file, word)) {
        if (StrEqual(word, "SceneDeclarations:")) {
            ReadDeclarations(file);
        } else if (StrEqual(word, "Units:")) {
            if (const int result = ReadUnits(file, path, budget)) return result;
        } else {
            WarningBox(budget, "CScene::LoadFromFile Warning:  undefine string '", word, "'\n in scene file '",
                       path, "'.", nullptr);
        }
    }
    return 0;
}

int CScene::ReadDeclarations(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "};"); Core::fscan_word(file, word)) {
        if (StrEqual(word, "Version:")) {
            Core::fscan_word(file, word);
        } else if (StrEqual(word, "AnimationFile:")) {
            char name[Core::STRING_BUFFER_SIZE];
            Core::fscan_string(file, name);
            animation = gAnimContainer ? gAnimContainer->LoadAnimFile(name, 1, 1) : 0;
        }
    }
    return 0;
}

int CScene::ReadUnits(FILE* file, const char* path, int* budget)
{
    CNation* nation = gMissionLoader ? gMissionLoader->currentNation : nullptr;
    CGameMap* map = gMissionLoader ? gMissionLoader->currentMap : nullptr;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "};"); Core::fscan_word(file, word)) {
        if (StrEqual(word, "{")) {
            if (!units.empty()) {
                units.back()->ReadMissionBlock(file, budget, "CScene::LoadFromFile");
                continue;
            }
            // A block before any unit has no owner: its words are dropped.
            WarningBox(budget, "CScene::LoadFromFile :   can`t scan string '' for Unit ''.", nullptr);
            Core::fscan_skip_block(file);
            continue;
        }
        CClassTemplate* cls = FindSceneClass(word);
        if (!cls) {
            WarningBox(budget, "CScene::LoadFromFile Error:  Not found unit class '", word, "'\n in scene file '",
                       path, "'.", nullptr);
            return -2;
        }
        CAtom* unit = gUnitInspector->CreateUnitForScene(cls, map);
        if (!unit) return -3;
        unit->nation = nation;
        if (cls->unitType == CAMERA_TYPE) camera = unit;
        units.push_back(unit);
    }
    return 0;
}

int CScene::Activate()
{
    if (units.empty()) return -1;
    for (CAtom* unit : units) {
        gUnitInspector->AddUnitToProcess(unit);
        unit->FirstInit();
        if (animation) unit->AddAnimation(uint16_t(animation), 0);
    }
    return 0;
}

void CScene::Deactivate()
{
    for (CAtom* unit : units) {
        gUnitInspector->RemoveUnitFromProcess(unit);
        unit->RemoveAllAnimations();
    }
}

CScene* CScenes::GetScene(uint16_t index)
{
    return index >= 1 && index <= scenes.size() ? scenes[index - 1].get() : nullptr;
}

uint16_t CScenes::LoadScene(const char* path)
{
    if (scenes.size() >= MAX_SCENES - 1) {
        WarningBox(&warningBudget, "CScenes::LoadScene:  MAX_SCENES limit is exceed.", nullptr);
        return 0;
    }
    scenes.push_back(std::make_unique<CScene>());
    const uint16_t index = uint16_t(scenes.size());
    // Scene units belong to no map and no nation of the presentation being read.
    if (gMissionLoader) {
        gMissionLoader->currentMap = nullptr;
        gMissionLoader->currentNation = nullptr;
    }
    scenes.back()->LoadFromFile(path ? path : "", &warningBudget);
    return index;
}

int CScenes::StartScene(uint16_t index)
{
    CScene* scene = GetScene(index);
    return scene ? scene->Activate() : -1;
}

void CScenes::StopScenes()
{
    for (const std::unique_ptr<CScene>& scene : scenes)
        if (scene) scene->Deactivate();
}

void CScenes::ForgetUnit(const CAtom* unit)
{
    for (const std::unique_ptr<CScene>& scene : scenes)
        if (scene) scene->ForgetUnit(unit);
}

// Cleared while still in the table, so that units deleted with others leave their lists.
void CScenes::FreeAll()
{
    for (const std::unique_ptr<CScene>& scene : scenes)
        if (scene) scene->Clear();
    scenes.clear();
}
