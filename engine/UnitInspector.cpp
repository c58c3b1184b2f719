#include "engine/UnitInspector.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/ClassTemplate.h"
#include "engine/Controls3D.h"
#include "engine/Engine.h"
#include "engine/Iconer.h"
#include "engine/Scenes.h"
#include "scene/Billboard.h"
#include "scene/Bolide.h"
#include "scene/Camera.h"
#include "scene/Control3D.h"
#include "scene/Geometry.h"
#include "scene/Human.h"
#include "scene/Light.h"
#include "scene/Navy.h"
#include "scene/ParticleEmitter.h"
#include "scene/Renderer.h"
#include "scene/Text3D.h"
#include "scene/Tree.h"
#include "scene/Unit.h"
#include "scene/Weapon.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

CUnitInspector* gUnitInspector = nullptr;
IUnitInspector* gIUnitInspector = nullptr;

namespace {

// The unit class of each type. Types whose class is not part of the program yet have no
// maker: creating them is refused with a message naming the type, never answered with a
// unit of another class.
struct SUnitClass {
    uint32_t type;
    const char* keyword;
    CAtom* (*make)();
};
const SUnitClass UNIT_CLASSES[] = {
    {1, "ATOM", []() -> CAtom* { return new CAtom; }},
    {2, "SHADOW_CAMERA", []() -> CAtom* { return new CShadowCamera; }},
    {3, "PARTICLE_EMITTER", []() -> CAtom* { return new CParticleEmitter; }},
    {4, "GEOMETRY", []() -> CAtom* { return new CGeometry; }},
    {5, "SPRITE_2D", []() -> CAtom* { return new CSprite2D; }},
    {6, "TREE", []() -> CAtom* { return new CTree; }},
    {7, "CONTROL_3D", []() -> CAtom* { return new CControl3D; }},
    {8, "LABEL_3D", []() -> CAtom* { return new CLabel3D; }},
    {9, "ICON", []() -> CAtom* { return new CIcon; }},
    {10, "FREE_LIGHT", []() -> CAtom* { return new CLight; }},
    {11, "CAMERA", []() -> CAtom* { return new CCamera; }},
    {12, "BILLBOARD", []() -> CAtom* { return new CBillboard; }},
    {13, "BILL_LIGHT", []() -> CAtom* { return new CBillLight; }},
    {14, "WEAPON", []() -> CAtom* { return new CWeapon; }},
    {15, "SELECT_PLANE", []() -> CAtom* { return new CSelectPlane; }},
    {16, "BOLIDE", []() -> CAtom* { return new CBolide; }},
    {17, "TEXT3D", []() -> CAtom* { return new CText3D; }},
    {18, "UNIT", []() -> CAtom* { return new CUnit; }},
    {19, "SHIP", []() -> CAtom* { return new CShip; }},
    {20, "HUMAN", []() -> CAtom* { return new CHuman; }},
};
static_assert(std::size(UNIT_CLASSES) == 20, "one class per unit type");

struct STypeWord {
    const char* word;
    uint32_t type;
};
const STypeWord TYPE_WORDS[] = {
    {"ATOM", 1}, {"GEOMETRY", 4}, {"TREE", 6}, {"CAMERA", 11}, {"FREE_LIGHT", 10}, {"DIR_LIGHT", 10},
};
static_assert(std::size(TYPE_WORDS) == 6, "unit types named by scene and shader words");

struct SSectionKey {
    const char* word;
    int32_t* value;
};

// Skips a class declaration whose unit cannot be made: up to its "{", then to the "};"
// that closes it ("RenderStates:" and "{" open nested blocks; quoted text opens none).
void SkipClassBlock(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    do Core::fscan_skipped_word(file, word);
    while (word[0] && !Core::IsBlockOpener(word));
    for (int depth = 1; depth > 0;) {
        Core::fscan_skipped_word(file, word);
        if (!word[0]) return;
        if (Core::IsBlockOpener(word) || StrEqual(word, "RenderStates:")) ++depth;
        if (StrEqual(word, "};")) --depth;
    }
}

} // namespace

CUnitInspector::CUnitInspector() = default;

CUnitInspector::~CUnitInspector()
{
    for (int i = 1; i <= UnitBound(); ++i)
        delete UnitAt(i);
    for (int i = 1; i <= templates.Count(); ++i)
        if (CClassTemplate* t = GetTemplateByIndex(i)) delete t->prototype;
}

int CUnitInspector::FirstScan(FILE* file)
{
    int32_t templateCount = 0, unitCount = 0, moveCount = 0, attachCount = 0, moverCount = 0;
    const SSectionKey keys[] = {
        {"TemplateCount:", &templateCount}, {"UnitCount:", &unitCount},       {"UnitMoves:", &moveCount},
        {"UnitAttaches:", &attachCount},    {"SmoothMovers:", &moverCount},
    };
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        const SSectionKey* key = nullptr;
        for (const SSectionKey& k : keys)
            if (StrEqual(k.word, word)) key = &k;
        if (key) {
            Core::fscan_int(file, key->value);
            continue;
        }
        WarningBox(&warningBudget, "Undefine string '", word, "'", nullptr);
        Core::fscan_word(file, word);
    }
    // A second section sizes everything afresh: what the first one held goes first, and
    // no table of another manager keeps pointing at a prototype.
    Reset();
    for (int i = 1; i <= templates.Count(); ++i)
        if (CClassTemplate* t = GetTemplateByIndex(i)) {
            ForgetUnit(t->prototype);
            delete t->prototype;
        }
    // A count below 0 gives an empty container, as 0 does.
    const auto sized = [this](bool ok, const char* key) {
        if (!ok) WarningBox(&warningBudget, "CUnitInspector::FirstScan :  not enough memory for '", key, "'.", nullptr);
    };
    sized(units.Init(std::max(unitCount, 0)), "UnitCount:");
    sized(templates.Init(std::max(templateCount, 0)), "TemplateCount:");
    sized(unitMoves.Init(std::max(moveCount, 0)), "UnitMoves:");
    sized(unitAttaches.Init(std::max(attachCount, 0)), "UnitAttaches:");
    sized(smoothMovers.Init(std::max(moverCount, 0)), "SmoothMovers:");
    frameList.Init(2048, 256, 32);
    cells64.Init(8192, 256, 512);
    cells128.Init(8192, 256, 512);
    cells256.Init(8192, 256, 512);
    cells512.Init(4096, 256, 512);
    unitLists.Init(4096, 256, 512);
    currentTemplate = nullptr;
    return 0;
}

int CUnitInspector::ScanClassTemplate(FILE* file, uint32_t unitType)
{
    CClassTemplate* tmpl = nullptr;
    const int index = templates.Add(tmpl);
    if (!tmpl) {
        WarningBox(&warningBudget, "CUnitInspector: templates limit is exceed.", nullptr);
        gExitCode = 100;
        return -1;
    }
    *tmpl = CClassTemplate();
    char name[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, name);
    if (GetClassTemplate(name))
        WarningBox(&warningBudget, "CUnitInspector::ScanClassTemplate: Class '", name, "' is already defined.",
                   nullptr);
    StrCopy(tmpl->name, sizeof tmpl->name, name);
    tmpl->unitType = unitType;
    CAtom* prototype = CreateUnitByType(unitType);
    if (!prototype) {
        templates.Free(index);
        SkipClassBlock(file);
        return -2;
    }
    tmpl->prototype = prototype;
    prototype->classTemplate = tmpl;
    prototype->type = unitType;
    prototype->SetName(tmpl->name);
    currentTemplate = tmpl;
    if (ScanParentClass(file, prototype) != 0) return -1;

    gUnknownWord[0] = 0;
    int result = prototype->ScanNativePropertyes(file, nullptr);
    if (result == -2) result = SCAN_DONE;  // some scanners answer -2 at the end of the file
    if (result != SCAN_DONE && result != SCAN_BLOCK_END && gUnknownWord[0])
        WarningBox(&warningBudget, "Undefine string '", gUnknownWord, "' for UNIT '", prototype->name, "'.",
                   nullptr);
    return result;
}

// After the class name: ": parent" copies the parent's values, then the "{" is dropped.
int CUnitInspector::ScanParentClass(FILE* file, CAtom* prototype)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    if (!StrEqual(word, ":")) return 0;
    char parentName[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, parentName);
    CAtom* parent = GetClassPrototype(parentName);
    if (!parent) {
        WarningBox(&warningBudget, "CUnitInspector::ScanClassTemplate: Class '", parentName,
                   "' for inheritance not found.", nullptr);
        gExitCode = 100;
        return -1;
    }
    parent->CopyTo(prototype);
    Core::fscan_word(file, word);
    return 0;
}

CAtom* CUnitInspector::CreateUnitByType(uint32_t unitType)
{
    if (unitType < 1 || unitType > std::size(UNIT_CLASSES)) {
        WarningBox(&warningBudget, "CUnitInspector::CreateUnitByType :  Not found type.", nullptr);
        return nullptr;
    }
    const SUnitClass& cls = UNIT_CLASSES[unitType - 1];
    if (!cls.make) {
        const std::string number = std::to_string(unitType);
        WarningBox(&warningBudget, "CUnitInspector::CreateUnitByType :  Unit type ", number.c_str(), " '",
                   cls.keyword, "' has no unit class yet.", nullptr);
        return nullptr;
    }
    return cls.make();
}

CClassTemplate* CUnitInspector::GetClassTemplate(const char* name)
{
    return templates.FindByName(name);
}

CAtom* CUnitInspector::GetClassPrototype(const char* name)
{
    CClassTemplate* tmpl = GetClassTemplate(name);
    return tmpl ? tmpl->prototype : nullptr;
}

CClassTemplate* CUnitInspector::GetTemplateByIndex(int index)
{
    return templates.InUse(index) ? templates.At(index) : nullptr;
}

CClassTemplate* CUnitInspector::FirstTemplate()
{
    for (int i = 1; i <= templates.Count(); ++i)
        if (CClassTemplate* tmpl = GetTemplateByIndex(i)) return tmpl;
    return nullptr;
}

CClassTemplate* CUnitInspector::FindTemplateByType(uint32_t unitType)
{
    for (int i = 1; i <= templates.Count(); ++i) {
        CClassTemplate* tmpl = GetTemplateByIndex(i);
        if (tmpl && tmpl->unitType == unitType) return tmpl;
    }
    return nullptr;
}

uint32_t CUnitInspector::TypeFromKeyword(const char* word)
{
    for (const STypeWord& w : TYPE_WORDS)
        if (StrEqual(w.word, word)) return w.type;
    return 0;
}

CAtom* CUnitInspector::CreateUnit(const char* className, CAtom* unit)
{
    CClassTemplate* tmpl = GetClassTemplate(className);
    return tmpl ? CreateUnitFromTemplate(tmpl, unit ? unit->map : nullptr) : nullptr;
}

CAtom* CUnitInspector::CreateUnitFromTemplate(CClassTemplate* cls, CGameMap* map)
{
    if (!cls) return nullptr;
    CAtom* unit = CreateUnitByType(cls->unitType);
    if (!unit) return nullptr;
    unit->classTemplate = cls;
    return AddCreatedUnit(unit, map);
}

CAtom* CUnitInspector::CloneUnit(CAtom* unit, CGameMap* map)
{
    return unit ? CreateUnitFromTemplate(unit->classTemplate, map) : nullptr;
}

CAtom* CUnitInspector::CreateUnitForScene(CClassTemplate* cls, CGameMap* map)
{
    if (!cls) return nullptr;
    CAtom* unit = CreateUnitByType(cls->unitType);
    if (!unit) return nullptr;
    unit->classTemplate = cls;
    unit->map = map;
    unit->CopyFromPrototype(cls->prototype);
    return unit;
}

CAtom* CUnitInspector::CreateUserUnit(CClassTemplate* cls, const char* userClass)
{
    return userFactory ? userFactory(cls, userClass) : nullptr;
}

// A unit made outside the template paths may have no template: it keeps its own values.
CAtom* CUnitInspector::AddCreatedUnit(CAtom* unit, CGameMap* map)
{
    if (!unit) return nullptr;
    unit->map = map;
    if (unit->classTemplate && unit->classTemplate->prototype) unit->CopyFromPrototype(unit->classTemplate->prototype);
    if (!Insert(unit)) {
        WarningBox(&warningBudget, "CUnitInspector::AddCreatedUnit :  UnitCount limit is exceed.", nullptr);
        delete unit;
        return nullptr;
    }
    unit->FirstInit();
    return unit;
}

int CUnitInspector::Insert(CAtom* unit)
{
    CAtom** slot = nullptr;
    const int index = units.Add(slot);
    if (!slot) return 0;
    *slot = unit;
    unit->id = uint32_t(index);
    return index;
}

CAtom* CUnitInspector::UnitAt(int index)
{
    CAtom** slot = units.At(index);
    return slot ? *slot : nullptr;
}

int CUnitInspector::AddUnitToProcess(CAtom* unit)
{
    if (!unit) return -1;
    if (unit->id && UnitAt(int(unit->id)) == unit) return 0;
    if (Insert(unit)) return 0;
    WarningBox(&warningBudget, "CUnitInspector::AddUnitToProcess :  UnitCount limit is exceed.", nullptr);
    return -2;
}

int CUnitInspector::RemoveUnitFromProcess(CAtom* unit)
{
    if (!unit || !unit->id || UnitAt(int(unit->id)) != unit) return -1;
    *units.At(int(unit->id)) = nullptr;
    units.Free(int(unit->id));
    unit->id = 0;
    return 0;
}

int CUnitInspector::DeleteUnit(CAtom* unit)
{
    if (!unit) return -1;
    RemoveUnitFromProcess(unit);
    unit->DeleteSlaves();
    unit->RemoveAllAnimations();
    unit->StopSmoothMovers();
    unit->Release();
    if (unit->master) unit->master->DetachSlave(unit);
    ForgetUnit(unit);
    delete unit;
    return 0;
}

// No pointer of this frame may outlive the unit.
void CUnitInspector::ForgetUnit(const CAtom* unit)
{
    if (!unit) return;
    if (currentUnit == unit) currentUnit = nullptr;
    if (mainCamera == unit) mainCamera = nullptr;
    if (controlsCamera == unit) controlsCamera = nullptr;
    if (firstLight == unit) firstLight = nullptr;
    if (gEngine) gEngine->ForgetUnit(unit);
    if (gScenes) gScenes->ForgetUnit(unit);
    if (gRenderer) gRenderer->ForgetUnit(unit);
    if (gControls3D) gControls3D->ForgetUnit(unit);
    if (gIconer) gIconer->ForgetUnit(unit);
}

CAtom* CUnitInspector::FindUnitByName(const char* name)
{
    for (int i = 1; i <= UnitBound(); ++i) {
        CAtom* unit = UnitAt(i);
        if (unit && StrEqual(unit->name, name)) return unit;
    }
    return nullptr;
}

void CUnitInspector::CollectUnitsOfClass(std::vector<CAtom*>& out, const char* className)
{
    const CClassTemplate* tmpl = GetClassTemplate(className);
    if (!tmpl) return;
    for (int i = 1; i <= UnitBound(); ++i) {
        CAtom* unit = UnitAt(i);
        if (unit && unit->classTemplate == tmpl) out.push_back(unit);
    }
}

void CUnitInspector::CollectUnitsOfType(std::vector<CAtom*>& out, int unitType)
{
    for (int i = 1; i <= UnitBound(); ++i) {
        CAtom* unit = UnitAt(i);
        if (unit && unit->type == uint32_t(unitType)) out.push_back(unit);
    }
}

void CUnitInspector::FreezeAllUnits()
{
    for (int i = 1; i <= UnitBound(); ++i)
        if (CAtom* unit = UnitAt(i)) unit->state |= UNIT_DISABLED;
}

void CUnitInspector::UnfreezeAllUnits()
{
    for (int i = 1; i <= UnitBound(); ++i)
        if (CAtom* unit = UnitAt(i)) unit->state &= ~uint32_t(UNIT_DISABLED);
}

// Masters take their slaves; a registered slave whose master is not registered goes in
// the second pass, so no attach record stays linked into a cleared pool.
void CUnitInspector::Reset()
{
    for (int i = 1; i <= UnitBound(); ++i) {
        CAtom* unit = UnitAt(i);
        if (unit && !unit->master) DeleteUnit(unit);
    }
    for (int i = 1; i <= UnitBound(); ++i)
        if (CAtom* unit = UnitAt(i)) DeleteUnit(unit);
    units.Clear();
    mainCamera = controlsCamera = firstLight = currentUnit = nullptr;
    unitMoves.Clear();
    unitAttaches.Clear();
    smoothMovers.Clear();
    frameList.ClearReleasingChunks();
    cells64.ClearReleasingChunks();
    cells128.ClearReleasingChunks();
    cells256.ClearReleasingChunks();
    cells512.ClearReleasingChunks();
    unitLists.ClearReleasingChunks();
}

CCamera* CUnitInspector::GetCamera()
{
    return dynamic_cast<CCamera*>(mainCamera);
}

void CUnitInspector::FindCameras()
{
    mainCamera = controlsCamera = firstLight = nullptr;
    for (int i = 1; i <= UnitBound(); ++i) {
        CAtom* unit = UnitAt(i);
        if (!unit) continue;
        if (unit->type == 11 && (unit->SysControls & SYS_FOR_CONTROLS3D)) controlsCamera = unit;
        else if (unit->type == 11) mainCamera = unit;
        if (unit->type == 10 && !firstLight) firstLight = unit;
    }
}

CUnitMove* CUnitInspector::AllocUnitMove()
{
    CUnitMove* move = unitMoves.AllocRecord();
    if (move) *move = CUnitMove();
    return move;
}

void CUnitInspector::FreeUnitMove(CUnitMove*& move)
{
    unitMoves.FreeRecord(move);
    move = nullptr;
}

CUnitList* CUnitInspector::AllocUnitList()
{
    CUnitList* list = unitLists.Alloc();
    if (list) *list = CUnitList();
    return list;
}
