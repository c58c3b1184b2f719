#include "app/MyBuilding.h"

#include "app/Application.h"
#include "app/Binders.h"
#include "app/Column.h"
#include "app/Floor.h"
#include "core/Delegates.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/ClassTemplate.h"
#include "engine/MeshContainer.h"
#include "engine/MissionLoader.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "gui/WinSuperior.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

static_assert(sizeof(CIntRect) == 4 * sizeof(int32_t), "rectangles are read as four integers");

namespace {

// The template's hook reads a unit's block into the building made last from the template.
// Once that building is deleted the block is read over with a message, so the presentation
// reads on after it.
class CBuildingHook : public TDelegate1<void, FILE*, CMyBuilding> {
public:
    explicit CBuildingHook(CMyBuilding* building) : TDelegate1(building, &CMyBuilding::Scan) {}
    void Invoke(FILE* file) override
    {
        if (Object()) {
            TDelegate1::Invoke(file);
            return;
        }
        MsgBox("UserDefines: the building of this block is gone; the block is skipped.");
        Core::fscan_skip_block(file);
    }
};

// The highest y of the mesh's box; 0 without a mesh, without vertices or with an empty box
// (min above max: the reader's box of no vertex rows is min 99999, max -99999) or one that
// is not finite (a coordinate "inf", or one past the float range), which would stack the
// floors out of sight.
float MeshTop(uint16_t index)
{
    CEngineMesh* record = index && gIMeshContainer ? gIMeshContainer->GetMesh(index) : nullptr;
    if (!record || record->mesh.vertexCount <= 0) return 0.0f;
    D3DXVECTOR4 low, high;
    record->mesh.GetBoundBox(&low, &high);
    const float bounds[] = {low.x, low.y, low.z, high.x, high.y, high.z};
    for (const float b : bounds)
        if (!std::isfinite(b)) return 0.0f;
    if (!(low.x <= high.x && low.y <= high.y && low.z <= high.z)) return 0.0f;
    float top = record->mesh.corners[0].y;
    for (const D3DXVECTOR4& corner : record->mesh.corners)
        top = std::max(top, corner.y);
    return top;
}

} // namespace

const CMyBuilding::SKeyword CMyBuilding::KEYWORDS[] = {
    {"NumFloors:", &CMyBuilding::ScanNumFloors},
    {"FloorMesh:", &CMyBuilding::ScanFloorMesh},
    {"FloorShadowMesh:", &CMyBuilding::ScanFloorShadowMesh},
    {"SelFloorRectMesh:", &CMyBuilding::ScanSelectMesh},
    {"InteriorMesh:", &CMyBuilding::ScanInteriorMesh},
    {"InteriorMeshInFloors:", &CMyBuilding::ScanInteriorMeshInFloors},
    {"FloorWindowMesh:", &CMyBuilding::ScanWindowMesh},
    {"TopViewWinTextureRectXY:", &CMyBuilding::ScanTopView},
    {"TopViewSelectRect:", &CMyBuilding::ScanTopViewSelect},
    {"FaceWinTexture:", &CMyBuilding::ScanFacade},
    {"FaceHallRect:", &CMyBuilding::ScanHallRect},
    {"FaceFloorRect:", &CMyBuilding::ScanFloorRect},
    {"FaceAtticRect:", &CMyBuilding::ScanAtticRect},
    {"FloorSelRect:", &CMyBuilding::ScanSelRect},
    {"FloorLightingRect:", &CMyBuilding::ScanLightingRect},
    {"Address:", &CMyBuilding::ScanAddress},
    {"CostAreaFile:", &CMyBuilding::ScanCostArea},
};

// The registry deletes buildings at every presentation end, also one not started from the
// selector: the list and the panel must not keep this one.
CMyBuilding::~CMyBuilding()
{
    for (int i = 0; i < gBuildings.Count(); ++i)
        if (gBuildings[i] == this) gBuildings[i] = nullptr;
    // The shown building's highlight, address and show button must not outlive it.
    if (gCurBuilding == this) {
        gCurBuilding = nullptr;
        gWinSuperior.DeleteWin(&gTopViewSelWin);
        HideAddress();
        if (gShowFlatButton) SetClickDelegateObject<CMyBuilding>(gShowFlatButton, nullptr);
    }
    // The template outlives its buildings: its hook must not read into this one any more.
    auto* hook = classTemplate ? dynamic_cast<CBuildingHook*>(classTemplate->userDefines) : nullptr;
    if (hook && hook->Object() == this) hook->SetObject(nullptr);
    gWinSuperior.DeleteWin(&topViewButton);
    for (CBaseWin*& win : floorWindows)
        gWinSuperior.DeleteWin(&win);
    gWinSuperior.DeleteWin(&hallWindow);
    gWinSuperior.DeleteWin(&atticWindow);
    gWinSuperior.DeleteWin(&selectionOverlay);
    gWinSuperior.DeleteWin(&lightingOverlay);
}

void CMyBuilding::Scan(FILE* file)
{
    static_assert(std::size(KEYWORDS) == 17, "keywords of the building block");
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // the opening
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "};"); Core::fscan_word(file, word)) {
        const SKeyword* end = std::end(KEYWORDS);
        const SKeyword* key = std::find_if(std::begin(KEYWORDS), end, [&word](const SKeyword& k) { return StrEqual(word, k.word); });
        if (key != end)
            (this->*key->read)(file);
        else
            MsgBox3("Undefines string for building: '", word, "'");
    }
}

// Mesh paths go to the container as written: it resolves them against its mesh folder,
// as for every other mesh. Only texture paths are made full here.
uint16_t CMyBuilding::ScanMesh(FILE* file)
{
    char path[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(file, path);
    return gIMeshContainer ? gIMeshContainer->LoadMesh(path, MeshFVF, 1) : 0;
}

IDirect3DTexture9* CMyBuilding::ScanTexture(FILE* file)
{
    char path[Core::STRING_BUFFER_SIZE];
    ScanFullPath(file, path, sizeof path);
    if (!gITexContainer) return nullptr;
    return gITexContainer->GetTexture(gITexContainer->LoadTexture(path, 1));
}

void CMyBuilding::ScanRect(FILE* file, CIntRect& rect) { Core::fscan_rect(file, &rect.left); }

void CMyBuilding::ScanNumFloors(FILE* file)
{
    int32_t count = 0;
    Core::fscan_int(file, &count);
    if (numFloors > 0) {
        MsgBox3("Building '", name, "': NumFloors is given twice; the first stands.");
        return;
    }
    if (count <= 0 || count > MAX_BUILDING_FLOOR_WINDOWS) {
        MsgBox3("Building '", name, "': NumFloors must be 1 to 256.");
        return;
    }
    CClassTemplate* floorClass = gIUnitInspector ? gIUnitInspector->GetClassTemplate("Floor") : nullptr;
    if (!floorClass) {
        MsgBox3("Building '", name, "': there is no class template 'Floor'.");
        return;
    }
    numFloors = count;
    floors.Init(count, true);
    for (int number = 1; number <= count; ++number) {
        CFloor* floor = AddFloor(floorClass, map);
        if (!floor) break;
        floor->number = number;
        floor->Pos = Pos;
        floor->Orient.y = Orient.y;
        floor->StorePos();
        floors.Add(floor);
    }
    numFloors = floors.Count();
}

CFloor* CMyBuilding::AddFloor(CClassTemplate* floorClass, CGameMap* onMap)
{
    CFloor* floor = new CFloor;
    floor->classTemplate = floorClass;
    return static_cast<CFloor*>(gIUnitInspector->AddCreatedUnit(floor, onMap));
}

void CMyBuilding::ScanFloorMesh(FILE* file)
{
    const uint16_t floorMesh = ScanMesh(file);
    if (floorMesh) StackFloors(floorMesh);
}

// The floors go one on top of the other from the top of the hall; the attic caps them.
void CMyBuilding::StackFloors(uint16_t floorMesh)
{
    hall = FindSlaveByClass("Hall");
    CGeometry* hallBody = dynamic_cast<CGeometry*>(hall);
    if (!hallBody) return;
    float height = Pos.y + MeshTop(hallBody->mesh);
    const float floorHeight = MeshTop(floorMesh);
    // A storey so tall that the stack would leave the float range adds nothing.
    for (int i = 0; i < floors.Count(); ++i) {
        floors[i]->StackFloor(height, floorMesh);
        if (std::isfinite(height + floorHeight)) height += floorHeight;
    }
    attic = FindSlaveByClass("Attic");
    if (!attic) return;
    attic->Pos.y = height;
    if (CGeometry* atticBody = dynamic_cast<CGeometry*>(attic)) {
        atticBody->StorePos();
        if (atticBody->SysControls & SYS_GEOMETRY) atticBody->UpdateWorldMatrix();
    }
}

void CMyBuilding::ScanFloorShadowMesh(FILE* file)
{
    const uint16_t shadow = ScanMesh(file);
    if (!shadow) return;
    for (int i = 0; i < floors.Count(); ++i)
        floors[i]->shadowMesh = shadow;
}

void CMyBuilding::ScanSelectMesh(FILE* file)
{
    selectMesh = ScanMesh(file);
    for (int i = 0; i < floors.Count(); ++i)
        floors[i]->selectMesh = selectMesh;
}

void CMyBuilding::ScanInteriorMesh(FILE* file)
{
    const uint16_t interior = ScanMesh(file);
    for (int i = 0; i < floors.Count(); ++i)
        floors[i]->interiorMesh = interior;
}

// Two words, path, two words, floor numbers up to "]", one word.
void CMyBuilding::ScanInteriorMeshInFloors(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, word, 2);
    const uint16_t interior = ScanMesh(file);
    Core::fscan_skip(file, word, 2);
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        const int number = atoi(word);
        if (number >= 1 && number <= floors.Count()) floors[number - 1]->interiorMesh = interior;
    }
    Core::fscan_word(file, word);
}

void CMyBuilding::ScanWindowMesh(FILE* file) { windowMesh = ScanMesh(file); }

void CMyBuilding::SetFloorWindowMeshes()
{
    for (int i = 0; i < floors.Count(); ++i)
        floors[i]->SetWindowMesh(windowMesh);
}

// One word, path, rectangle, one word, x, y, two words.
void CMyBuilding::ScanTopView(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    topViewTexture = ScanTexture(file);
    ScanRect(file, topViewSource);
    Core::fscan_word(file, word);
    Core::fscan_int(file, &topViewX);
    Core::fscan_int(file, &topViewY);
    Core::fscan_skip(file, word, 2);
}

void CMyBuilding::ScanAddress(FILE* file)
{
    char text[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(file, text);
    StrCopy(address, sizeof address, text);
}

void CMyBuilding::ScanCostArea(FILE* file)
{
    char path[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(file, path);
    ScanCostAreaFile(path);
}

void CMyBuilding::ScanCostAreaFile(const char* path)
{
    FILE* file = OpenDataFile(path, "rb");
    if (!file) return;
    CFileMessages messages(path);
    char word[Core::WORD_BUFFER_SIZE];
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "};"); Core::fscan_word(file, word))
        if (StrEqual(word, "CostArea:")) ScanCostAreaBlock(file);
    fclose(file);
}

// "Floor N" hands its block to floor N. A block of a floor the building lacks is read
// through into a floor of its own, so its inner "};" do not end the file early.
void CMyBuilding::ScanCostAreaBlock(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // the opening
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "};"); Core::fscan_word(file, word)) {
        if (!StrEqual(word, "Floor")) continue;
        int32_t number = 0;
        Core::fscan_int(file, &number);
        if (number >= 1 && number <= floors.Count())
            floors[number - 1]->ScanFlats(file);
        else
            CFloor().ScanFlats(file);
    }
}

CMyBuilding* NewMyBuilding(CClassTemplate* scriptClass, CGameMap* onMap)
{
    CMyBuilding* building = new CMyBuilding;
    building->classTemplate = scriptClass;
    return static_cast<CMyBuilding*>(gIUnitInspector->AddCreatedUnit(building, onMap));
}

void SetScanHook(CClassTemplate* scriptClass, CMyBuilding* building)
{
    if (auto* hook = dynamic_cast<CBuildingHook*>(scriptClass->userDefines))
        hook->SetObject(building);
    else if (!scriptClass->userDefines)
        scriptClass->userDefines = new CBuildingHook(building);
}

CAtom* CreateUserUnit(CClassTemplate* scriptClass, const char* userClass)
{
    if (!scriptClass || !userClass || !StrEqual(userClass, "CMyBuilding")) return nullptr;
    CMyBuilding* building = NewMyBuilding(scriptClass, gIMissionLoader ? gIMissionLoader->GetGameMap() : nullptr);
    if (!building) return nullptr;
    SetScanHook(scriptClass, building);
    gBuildings.Add(building);
    return building;
}
