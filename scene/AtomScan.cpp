// CAtom's part of the property-scanning protocol: the class-block keywords, the
// "SysControls:" flag list and the presentation-data keys.

#include "scene/Atom.h"

#include "core/Messages.h"
#include "engine/ClassTemplate.h"
#include "engine/Layouts.h"
#include "engine/ShaderContainer.h"
#include "scene/Renderer.h"

#include <iterator>

namespace {

using KeyReader = void (*)(CAtom&, FILE*);
struct SAtomKeyword {
    const char* word;
    KeyReader read;
};

void ScanDegrees(FILE* file, D3DXVECTOR4& out)
{
    float v[3] = {};
    Core::fscan_fvec3(file, v);
    out.x = v[0] * DEGREES_TO_RADIANS;
    out.y = v[1] * DEGREES_TO_RADIANS;
    out.z = v[2] * DEGREES_TO_RADIANS;
}

// The "[" and "]" around these are taken by position and not tested.
void ScanUnbracketed(FILE* file, float* values, int n)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    Core::fscan_floats(file, values, n);
    Core::fscan_word(file, word);
}

void ScanRenderQueue(CAtom& unit, FILE* file)
{
    int32_t queue = 0;
    Core::fscan_int(file, &queue);
    unit.RenderQueue = uint8_t(queue & 0xFF);
}

void ScanShaderTable(CAtom& unit, FILE* file)
{
    char table[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, table);
    const uint16_t index = gShaderContainer ? gShaderContainer->FindTable(table) : 0;
    if (!index)
        WarningBox(&gWarningBudget, "Not found shader table '", table, "' for UNIT '", unit.name, "'.", nullptr);
    if (unit.classTemplate) unit.classTemplate->shaderTable = index;
}

void ScanRenderStates(CAtom& unit, FILE* file)
{
    CRenderStatesBlock scratch;
    CRenderStatesBlock* block = unit.classTemplate ? &unit.classTemplate->renderStates : &scratch;
    if (gRenderer) gRenderer->ScanRenderStates(file, block);
}

void ScanPlaceLayout(CAtom& unit, FILE* file)
{
    char layout[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, layout);
    if (unit.classTemplate && gLayouts)
        unit.classTemplate->placeLayout = gLayouts->GetLayout(gLayouts->FindLayout(layout));
}

const SAtomKeyword CLASS_KEYWORDS[] = {
    {"Pos:", [](CAtom& u, FILE* f) { Core::fscan_fvec3(f, &u.Pos.x); }},
    {"Color:", [](CAtom& u, FILE* f) { Core::fscan_fvec4(f, &u.Color.r); }},
    {"Orient:", [](CAtom& u, FILE* f) { ScanDegrees(f, u.Orient); }},
    {"Size:", [](CAtom& u, FILE* f) { Core::fscan_fvec3(f, &u.Size.x); }},
    {"SysControls:", [](CAtom& u, FILE* f) { u.ScanSysControls(f); }},
    {"ShaderTable:", ScanShaderTable},
    {"RenderQueue:", ScanRenderQueue},
    {"StartActions:",
     [](CAtom& u, FILE* f) {
         char opening[Core::WORD_BUFFER_SIZE];
         Core::fscan_word(f, opening);
         u.ScanStartActions(f);
     }},
    {"RenderStates:", ScanRenderStates},
    {"ForControls3D", [](CAtom& u, FILE*) { u.SysControls |= SYS_FOR_CONTROLS3D; }},
    {"PlaceLayout:", ScanPlaceLayout},
    {"PlaceRotate:",
     [](CAtom& u, FILE* f) {
         int32_t rotate = 0;
         Core::fscan_int(f, &rotate);
         if (u.classTemplate) u.classTemplate->PlaceRotate = rotate;
     }},
};
static_assert(std::size(CLASS_KEYWORDS) == 12, "class-block keywords of CAtom");

void ScanPosYaw(CAtom& unit, FILE* file)
{
    float v[4] = {};
    ScanUnbracketed(file, v, 4);
    unit.Pos.x = v[0];
    unit.Pos.y = v[1];
    unit.Pos.z = v[2];
    unit.Orient.y = v[3] * DEGREES_TO_RADIANS;
    unit.SetPos(unit.Pos);
}

// The yaw is in degrees like every angle of a presentation file.
void ScanCoordYaw(CAtom& unit, FILE* file)
{
    float v[3] = {};
    ScanUnbracketed(file, v, 3);
    unit.Pos.x = v[0];
    unit.Pos.z = v[1];
    unit.Orient.y = v[2] * DEGREES_TO_RADIANS;
    unit.SetPos(unit.Pos);
}

const SAtomKeyword MISSION_KEYS[] = {
    {"pos_ay:", ScanPosYaw},
    {"pos_yaw:", ScanPosYaw},
    {"coord_ay:", ScanCoordYaw},
    {"pos:", [](CAtom& u, FILE* f) { Core::fscan_fvec3(f, &u.Pos.x); }},
    {"orient:", [](CAtom& u, FILE* f) { ScanDegrees(f, u.Orient); }},
    {"size:", [](CAtom& u, FILE* f) { Core::fscan_fvec3(f, &u.Size.x); }},
    {"color:", [](CAtom& u, FILE* f) { Core::fscan_fvec4(f, &u.Color.r); }},
    {"render_queue:", ScanRenderQueue},
    {"name:",
     [](CAtom& u, FILE* f) {
         char text[Core::STRING_BUFFER_SIZE];
         Core::fscan_string(f, text);
         u.SetName(text);
     }},
    {"UserDefines:",
     [](CAtom& u, FILE* f) {
         if (u.classTemplate && u.classTemplate->userDefines) u.classTemplate->userDefines->Invoke(f);
     }},
};
static_assert(std::size(MISSION_KEYS) == 10, "presentation keys of CAtom");

template <size_t N>
bool ReadKeyword(const SAtomKeyword (&table)[N], CAtom& unit, FILE* file, const char* word)
{
    for (const SAtomKeyword& key : table) {
        if (strcmp(key.word, word) != 0) continue;
        key.read(unit, file);
        return true;
    }
    return false;
}

int Unknown(const char* word)
{
    SetUnknownWord(word);
    return SCAN_UNKNOWN;
}

struct SSysFlag {
    const char* word;
    uint32_t bits;
};
const SSysFlag SYS_FLAGS[] = {
    {"EnableIdle", SYS_ENABLE_IDLE},
    {"RenderAlways", SYS_RENDER_ALWAYS},
    {"EnablePreRender", SYS_ENABLE_PRE_RENDER},
    {"EnablePostRender", SYS_ENABLE_POST_RENDER},
    {"UseLocalLight", 0},
    {"Selecting", SYS_SELECTING},
};
static_assert(std::size(SYS_FLAGS) == 6, "SysControls flags");

} // namespace

bool CAtom::ScanOwnProperty(FILE* file, const char* word)
{
    return ReadKeyword(CLASS_KEYWORDS, *this, file, word);
}

bool CAtom::ScanOwnMissionKey(FILE* file, const char* word)
{
    return ReadKeyword(MISSION_KEYS, *this, file, word);
}

int CAtom::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [](FILE*, const char* w) { return Unknown(w); });
}

int CAtom::ScanMissionData(FILE* file, const char* word)
{
    gUnknownWord[0] = 0;
    return ScanMissionBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnMissionKey(f, w); },
        [](FILE*, const char* w) { return Unknown(w); });
}

// An unknown word that opens a block leaves that block open too.
int CAtom::ReadMissionBlock(FILE* file, int* budget, const char* reader)
{
    gUnknownWord[0] = 0;
    const int result = ScanMissionData(file, nullptr);
    if (result == SCAN_DONE || result == SCAN_BLOCK_END) return result;
    WarningBox(budget, reader, " :   can`t scan string '", gUnknownWord, "' for Unit '", name, "'.", nullptr);
    Core::fscan_skip_nested_block(file, 1 + Core::IsBlockOpener(gUnknownWord));
    return result;
}

int CAtom::ScanSysControls(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, word, 2);
    for (; word[0] && strcmp(word, "]") != 0; Core::fscan_word(file, word)) {
        const SSysFlag* flag = nullptr;
        for (const SSysFlag& f : SYS_FLAGS)
            if (strcmp(f.word, word) == 0) flag = &f;
        if (!flag) {
            WarningBox(&gWarningBudget, "Undefine string '", word, "' in SysControls. UNIT '", name, "'.",
                       nullptr);
        } else if (flag->bits == SYS_SELECTING && type < FIRST_SELECTING_TYPE) {
            WarningBox(&gWarningBudget,
                       "SysControls 'Selecting' may be use for a base class 'BaseUnit' inheritable.\n Problem for UNIT '",
                       name, "'.", nullptr);
        } else {
            SysControls |= flag->bits;
        }
    }
    return 0;
}
