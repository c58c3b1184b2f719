#include "engine/Parser.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/AnimContainer.h"
#include "engine/ArrayContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/Controls3D.h"
#include "engine/Engine.h"
#include "engine/FontContainer.h"
#include "engine/Iconer.h"
#include "engine/Kinematics.h"
#include "engine/Layouts.h"
#include "engine/MeshContainer.h"
#include "engine/MissionLoader.h"
#include "engine/MapContainer.h"
#include "engine/Nations.h"
#include "engine/Saves.h"
#include "engine/ShaderContainer.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Control3D.h"
#include "scene/ParticleSystems.h"
#include "scene/Renderer.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <iterator>

CParser* gParser = nullptr;
IParser* gIParser = nullptr;

namespace {

enum class EScriptItem { Include, Section, Object, Class };

// A reader takes the file positioned after its keyword and the entry's argument.
// NO_MANAGER: the manager that reads the item does not exist; nothing was read.
using ScriptReader = int (*)(CParser&, FILE*, int arg);
constexpr int NO_MANAGER = INT32_MIN;

struct SScriptKeyword {
    const char* word;
    EScriptItem item;
    ScriptReader read;  // null: the item's manager cannot read it yet
    int arg;            // unit type of a class declaration
};

int ScanTexSection(FILE* file)
{
    if (!gTexContainer) return NO_MANAGER;
    gTexContainer->FirstScan(file);
    return 0;
}

// A script element is no presentation resource; a failure is reported by the container.
int ScanTexElement(FILE* file, bool surface)
{
    if (!gTexContainer) return NO_MANAGER;
    gTexContainer->ScanElement(file, surface, 0);
    return 0;
}

int ScanAnimSection(FILE* file)
{
    if (!gAnimContainer) return NO_MANAGER;
    gAnimContainer->FirstScan(file);
    return 0;
}

int ScanKinematicsSection(FILE* file)
{
    if (!gKinematics) return NO_MANAGER;
    gKinematics->FirstScan(file);
    return 0;
}

constexpr EScriptItem SECTION = EScriptItem::Section;
constexpr EScriptItem OBJECT = EScriptItem::Object;
constexpr EScriptItem CLASS = EScriptItem::Class;

int ScanClass(CParser&, FILE* file, int unitType)
{
    return gUnitInspector ? gUnitInspector->ScanClassTemplate(file, uint32_t(unitType)) : NO_MANAGER;
}

// A "CONTROL_3D" class is also kept as a control template (labels and icons are not: the
// "ControlCount:" of a script counts its control classes). A class that got no template
// (the template pool is full, or its unit could not be made) leaves the template read
// before it current, which must not be kept a second time.
int ScanControlClass(CParser& parser, FILE* file, int unitType)
{
    const CClassTemplate* before = gUnitInspector ? gUnitInspector->currentTemplate : nullptr;
    const int result = ScanClass(parser, file, unitType);
    if (result == NO_MANAGER) return result;
    const CClassTemplate* made = gUnitInspector->currentTemplate;
    if (made && made != before && gControls3D)
        gControls3D->AddControlTemplate(dynamic_cast<CControl3D*>(made->prototype));
    return result;
}

int ScanWindow(FILE* file, int type)
{
    return gControls3D ? gControls3D->ScanWindow(file, uint32_t(type)) : NO_MANAGER;
}

const SScriptKeyword SCRIPT_KEYWORDS[] = {
    {"ScriptFile:", EScriptItem::Include, [](CParser& p, FILE* f, int) { return p.ScanInclude(f); }, 0},
    {"Variables", SECTION, [](CParser& p, FILE* f, int) { return p.ScanVariableCapacities(f); }, 0},
    {"Variables:", OBJECT, [](CParser& p, FILE* f, int) { return p.ScanVariables(f); }, 0},

    {"UnitInspector", SECTION,
     [](CParser&, FILE* f, int) { return gUnitInspector ? gUnitInspector->FirstScan(f) : NO_MANAGER; }, 0},
    {"Renderer", SECTION,
     [](CParser&, FILE* f, int) { return gRenderer ? gRenderer->FirstScan(f) : NO_MANAGER; }, 0},
    {"MeshContainer", SECTION,
     [](CParser&, FILE* f, int) { return gMeshContainer ? gMeshContainer->FirstScan(f) : NO_MANAGER; }, 0},
    {"TexContainer", SECTION, [](CParser&, FILE* f, int) { return ScanTexSection(f); }, 0},
    {"AnimContainer", SECTION, [](CParser&, FILE* f, int) { return ScanAnimSection(f); }, 0},
    {"Kinematics", SECTION, [](CParser&, FILE* f, int) { return ScanKinematicsSection(f); }, 0},
    {"ShaderContainer", SECTION,
     [](CParser&, FILE* f, int) { return gShaderContainer ? gShaderContainer->FirstScan(f) : NO_MANAGER; }, 0},
    {"MapContainer", SECTION,
     [](CParser&, FILE* f, int) { return gMapContainer ? gMapContainer->FirstScan(f) : NO_MANAGER; }, 0},
    {"Nations", SECTION, [](CParser&, FILE* f, int) { return gNations ? gNations->FirstScan(f) : NO_MANAGER; }, 0},
    {"UserArrays", SECTION,
     [](CParser&, FILE* f, int) { return gArrayContainer ? gArrayContainer->FirstScan(f) : NO_MANAGER; }, 0},
    {"Fonts", SECTION,
     [](CParser&, FILE* f, int) { return gFontContainer ? gFontContainer->FirstScan(f) : NO_MANAGER; }, 0},
    {"ParticleContainer", SECTION,
     [](CParser&, FILE* f, int) { return gParticleSystems ? gParticleSystems->ScanConfig(f) : NO_MANAGER; }, 0},
    {"Controls3D", SECTION,
     [](CParser&, FILE* f, int) { return gControls3D ? gControls3D->FirstScan(f) : NO_MANAGER; }, 0},
    {"Layouts", SECTION, [](CParser&, FILE* f, int) { return gLayouts ? gLayouts->FirstScan(f) : NO_MANAGER; }, 0},
    {"WorldParams", SECTION,
     [](CParser&, FILE* f, int) { return gEngine ? gEngine->ScanWorldParams(f) : NO_MANAGER; }, 0},

    {"PARTICLE_SYSTEM", OBJECT,
     [](CParser&, FILE* f, int) { return gParticleSystems ? gParticleSystems->AddSystem(f) : NO_MANAGER; }, 0},
    {"NATION", OBJECT, [](CParser&, FILE* f, int) { return gNations ? gNations->ScanNation(f) : NO_MANAGER; }, 0},
    {"GamerNation:", OBJECT,
     [](CParser&, FILE* f, int) { return gNations ? gNations->ScanGamerNation(f) : NO_MANAGER; }, 0},
    {"CONTROL_GROUP", OBJECT,
     [](CParser&, FILE* f, int) { return gControls3D ? gControls3D->ScanControlGroup(f) : NO_MANAGER; }, 0},
    {"WINDOW", OBJECT, [](CParser&, FILE* f, int type) { return ScanWindow(f, type); }, 1},
    {"BUTTON", OBJECT, [](CParser&, FILE* f, int type) { return ScanWindow(f, type); }, 2},
    {"LABEL", OBJECT, [](CParser&, FILE* f, int type) { return ScanWindow(f, type); }, 3},
    {"EDIT", OBJECT, [](CParser&, FILE* f, int type) { return ScanWindow(f, type); }, 4},
    {"ICONER", OBJECT, [](CParser&, FILE* f, int) { return gIconer ? gIconer->ScanIconer(f) : NO_MANAGER; }, 0},
    {"ANIMATION", OBJECT,
     [](CParser&, FILE* f, int) { return gAnimContainer ? gAnimContainer->ScanAnimationFile(f, 0) : NO_MANAGER; }, 0},
    {"MESH", OBJECT,
     [](CParser&, FILE* f, int) { return gMeshContainer ? int(gMeshContainer->ScanMesh(f, 0)) : NO_MANAGER; }, 0},
    {"VDECLARATOR", OBJECT,
     [](CParser&, FILE* f, int) { return gMeshContainer ? gMeshContainer->ScanVertexDeclarator(f) : NO_MANAGER; }, 0},
    {"TEXTURE", OBJECT, [](CParser&, FILE* f, int) { return ScanTexElement(f, false); }, 0},
    {"SURFACE", OBJECT, [](CParser&, FILE* f, int) { return ScanTexElement(f, true); }, 0},
    {"LAYOUT", OBJECT,
     [](CParser&, FILE* f, int) { return gLayouts ? int(gLayouts->ScanLayout(f)) : NO_MANAGER; }, 0},
    {"VS_HLSL", OBJECT,
     [](CParser&, FILE* f, int) { return gShaderContainer ? gShaderContainer->ScanVertexShader(f) : NO_MANAGER; }, 0},
    {"PS_HLSL", OBJECT,
     [](CParser&, FILE* f, int) { return gShaderContainer ? gShaderContainer->ScanPixelShader(f) : NO_MANAGER; }, 0},
    {"SHADER_TABLE", OBJECT,
     [](CParser&, FILE* f, int) { return gShaderContainer ? gShaderContainer->ScanShaderTable(f) : NO_MANAGER; }, 0},
    {"FONT", OBJECT, [](CParser&, FILE* f, int) { return gFontContainer ? int(gFontContainer->AddFont(f)) : NO_MANAGER; }, 0},
    {"SAVES_LAYOUT", OBJECT, [](CParser&, FILE* f, int) { return gSaves ? gSaves->ScanLayout(f) : NO_MANAGER; }, 0},
    {"ArrayData", OBJECT,
     [](CParser&, FILE* f, int) { return gArrayContainer ? int(gArrayContainer->AddArray(f)) : NO_MANAGER; }, 0},

    {"ATOM", CLASS, ScanClass, 1},
    {"SHADOW_CAMERA", CLASS, ScanClass, 2},
    {"PARTICLE_EMITTER", CLASS, ScanClass, 3},
    {"GEOMETRY", CLASS, ScanClass, 4},
    {"SPRITE_2D", CLASS, ScanClass, 5},
    {"TREE", CLASS, ScanClass, 6},
    {"CONTROL_3D", CLASS, ScanControlClass, 7},
    {"LABEL_3D", CLASS, ScanClass, 8},
    {"ICON", CLASS, ScanClass, 9},
    {"FREE_LIGHT", CLASS, ScanClass, 10},
    {"DIR_LIGHT", CLASS, ScanClass, 10},
    {"CAMERA", CLASS, ScanClass, 11},
    {"BILLBOARD", CLASS, ScanClass, 12},
    {"BILL_LIGHT", CLASS, ScanClass, 13},
    {"WEAPON", CLASS, ScanClass, 14},
    {"SELECT_PLANE", CLASS, ScanClass, 15},
    {"BOLIDE", CLASS, ScanClass, 16},
    {"TEXT3D", CLASS, ScanClass, 17},
    {"UNIT", CLASS, ScanClass, 18},
    {"SHIP", CLASS, ScanClass, 19},
    {"HUMAN", CLASS, ScanClass, 20},
};
static_assert(std::size(SCRIPT_KEYWORDS) == 3 + 15 + 21 + 21, "includes, sections, objects, classes");

const SScriptKeyword* FindKeyword(const char* word)
{
    for (const SScriptKeyword& key : SCRIPT_KEYWORDS)
        if (strcmp(key.word, word) == 0) return &key;
    return nullptr;
}

bool Equal(const char* a, const char* b) { return strcmp(a, b) == 0; }

// How a word changes the nesting of skipped text: "[" and a block's opener open, "]" and
// "};" close.
int NestingStep(const char* word)
{
    if (Equal(word, "[") || Core::IsBlockOpener(word)) return 1;
    if (Equal(word, "]") || Equal(word, "};")) return -1;
    return 0;
}

// Reads one word of skipped text, a quoted string whole; returns its change of nesting.
int SkipWord(FILE* file, char* word)
{
    Core::fscan_skipped_word(file, word, Core::WORD_BUFFER_SIZE);
    return NestingStep(word);
}

// "[ label records label words ]" of a capacity keyword.
void ReadCapacity(FILE* file, int32_t* records, int32_t* values)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, word, 2);
    Core::fscan_int(file, records);
    Core::fscan_word(file, word);
    Core::fscan_int(file, values);
    Core::fscan_word(file, word);
}

CVariablesPool* MissionVariables() { return gMissionLoader ? &gMissionLoader->variables : nullptr; }

} // namespace

int CParser::LoadScript(const char* path)
{
    includeStack.Clear();
    const int result = ScanScript(path);
    if (gShaderContainer) gShaderContainer->LinkPostStrings();
    return result;
}

int CParser::GetVariable(const char* name, void* out) { return variables.GetVariable(name, out); }

int CParser::GetVariable(const char* name, void* out, int maxWords)
{
    return variables.GetVariable(name, out, maxWords);
}

bool CParser::PushInclude(const char* path)
{
    switch (includeStack.Push(path)) {
    case CIncludeStack::PUSHED:
        return true;
    case CIncludeStack::INCLUDES_ITSELF:
        MsgBox3("CParser::ScanScript  Error:  Script file '", path, "' includes itself.");
        return false;
    case CIncludeStack::TOO_DEEP:
        MsgBox3("CParser::ScanScript  Error:  Script files are nested too deep at '", path, "'.");
        return false;
    case CIncludeStack::TOO_MANY:
        static_assert(MAX_FILES_READ == 1024, "the message names the limit");
        MsgBox3("CParser::ScanScript  Error:  Reading is cut at '", path,
                "': one start file pulls in more than 1024 script files.");
        return false;
    case CIncludeStack::CUT:
        return false;
    }
    return false;
}

int CParser::ScanScript(const char* path)
{
    if (!PushInclude(path)) return -1;
    FILE* file = OpenDataFile(path, "rb");
    int result = -1;
    if (file) {
        CFileMessages messages(path);
        result = ScanItems(file);
        fclose(file);
    } else {
        MsgBox3("CParser::ScanScript  Error:  Can't load script file '", path, "'");
    }
    includeStack.Pop();
    return result;
}

int CParser::ScanItems(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    bool pending = false;  // a skipped item ended at the next item's keyword
    for (;;) {
        if (gExitCode) return -1;
        if (!pending) Core::fscan_word(file, word);
        pending = false;
        if (!word[0]) return 0;
        const SScriptKeyword* key = FindKeyword(word);
        if (!key) {
            WarningBox(&warningBudget, "CParser::ScanScript :  undefine string '", word, "'.", nullptr);
            continue;
        }
        const int result = key->read ? key->read(*this, file, key->arg) : NO_MANAGER;
        if (result == NO_MANAGER) {
            WarningBox(&warningBudget, "CParser::ScanScript :  '", word,
                       "' can't be read yet: skipped.", nullptr);
            pending = SkipUnsupported(file, key->item == EScriptItem::Object, word);
            continue;
        }
        if (key->item == EScriptItem::Include && result != 0) return result;
    }
}

// Skips an item that cannot be read. Sections and class declarations end with their
// bracket or block; other objects have no common end, so they run to the next keyword
// outside any bracket or block, which is left in word (true). False: nothing is pending.
bool CParser::SkipUnsupported(FILE* file, bool toKeyword, char* word)
{
    int depth = 0;
    bool opened = false;
    for (;;) {
        const int step = SkipWord(file, word);
        if (!word[0]) return false;
        depth = depth + step < 0 ? 0 : depth + step;
        opened = opened || step > 0;
        if (!toKeyword && opened && depth == 0) return false;
        if (toKeyword && depth == 0 && FindKeyword(word)) return true;
    }
}

int CParser::ScanInclude(FILE* file)
{
    char path[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(file, path);
    return ScanScript(path);
}

int CParser::ScanVariableCapacities(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); word[0] && !Equal(word, "]"); Core::fscan_word(file, word)) {
        const bool script = Equal(word, "ScriptVarCapacity:");
        if (!script && !Equal(word, "MissionVarCapacity:")) continue;  // labels and the like
        int32_t records = 0, values = 0;
        ReadCapacity(file, &records, &values);
        CVariablesPool* pool = script ? &variables : MissionVariables();
        if (pool)
            pool->Init(records, values);
        else
            WarningBox(&warningBudget, "CParser::Variables :  no presentation loader for 'MissionVarCapacity:'.",
                       nullptr);
    }
    return 0;
}

int CParser::ScanVariables(FILE* file)
{
    char name[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, name);  // "{"
    for (;;) {
        Core::fscan_word(file, name);
        if (!name[0] || Equal(name, "};")) return 0;
        const int result = variables.AddVariable(name, file);
        if (result == -1) {
            MsgBox("CParser::ScanVariables:  ScriptVarCapacity is exceed.");
            gExitCode = 1;
            return -1;
        }
        if (result == -2) {
            MsgBox("CParser::ScanVariables:  ScriptVarCapacity is not initialized.");
            gExitCode = 1;
            return -2;
        }
    }
}
