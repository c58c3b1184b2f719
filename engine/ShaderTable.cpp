#include "engine/ShaderTable.h"

#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/ResourceScan.h"
#include "scene/Renderer.h"

#include <cctype>
#include <cstring>
#include <iterator>

int gShaderTableWarnings = 4;

namespace {

// Register counts that follow the renderer's live numbers instead of a fixed number.
struct SCountVariable {
    const char* word;
    int CRenderer::*count;
};
const SCountVariable COUNT_VARIABLES[] = {
    {"NumBones", &CRenderer::numBones},
    {"NumWorlds", &CRenderer::numWorlds},
    {"NumDiffLights", &CRenderer::numDiffLights},
    {"NumSpecLights", &CRenderer::numSpecLights},
};
static_assert(std::size(COUNT_VARIABLES) == 4, "live register counts");

const SCountVariable* FindCountVariable(const char* word)
{
    for (const SCountVariable& v : COUNT_VARIABLES)
        if (StrEqual(v.word, word)) return &v;
    return nullptr;
}

// The 4-float registers each side of the device has.
uint32_t RegisterLimit(EShaderSide side)
{
    if (side == EShaderSide::Vertex) return gGraphics.caps.MaxVertexShaderConst;
    if (gGraphics.psLevel >= 30) return 224;
    return gGraphics.psLevel >= 20 ? 32 : 8;
}

bool EndOfBlock(const char* word) { return !word[0] || StrEqual(word, "};"); }

int gFlowLimitWarnings = 1;

} // namespace

bool SShaderTableRow::Resolve(const char* name)
{
    uintptr_t out = 0;
    code = ShaderConstantByName(name, &out);
    data = out == 1 ? 0 : out;  // 1 marks a code alone
    return Resolved();
}

bool SShaderTableRow::Resolved() const
{
    // The indirection code needs the pointer it reads through.
    return data ? true : code != 0 && code != SHADER_CONST_PER_OBJECT;
}

const float* SShaderTableRow::Source(const SObjectConstants* object) const
{
    if (data) {
        if (code != SHADER_CONST_PER_OBJECT) return reinterpret_cast<const float*>(data);
        return *reinterpret_cast<const float* const*>(data);
    }
    const void* base = nullptr;
    uint32_t word = code;
    if (object && code < CONST_CODE_ARRAY) {
        base = object->block;
    } else if (object) {
        base = object->array;
        word = code & CONST_CODE_WORD_MASK;
    }
    return base ? static_cast<const float*>(base) + word : nullptr;
}

void CRecordTable::ScanRecords(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, word, 4);  // a header
    for (Core::fscan_word(file, word); !EndOfBlock(word); Core::fscan_word(file, word))
        ScanRow(file, word);
}

void CRecordTable::ScanRow(FILE* file, const char* first)
{
    SShaderTableRow row;
    char word[Core::WORD_BUFFER_SIZE];
    if (StrEqual(first, "FlowReg:")) {
        int32_t start = 0;
        Core::fscan_int(file, &start);
        row.flowStart = row.reg = uint32_t(start);
    } else {
        row.reg = uint32_t(strtoul(first, nullptr, 10));
    }
    Core::fscan_word(file, word);
    StrCopy(row.postName, sizeof row.postName, word);
    row.Resolve(word);
    Core::fscan_word(file, word);
    if (isdigit(static_cast<unsigned char>(word[0]))) {
        row.count = uint32_t(strtoul(word, nullptr, 10));
    } else if (const SCountVariable* v = FindCountVariable(word)) {
        row.countVariable = gRenderer ? &(gRenderer->*v->count) : nullptr;
    } else {
        WarningBox(&gShaderTableWarnings, "CRecordTable::ScanRecords:  Undefine string '", word,
                   "'.", nullptr);
    }
    // A row past the limit is read whole, so the next row starts at its own first word.
    if (count >= MAX_SHAD_TABLE_RECS) {
        WarningBox(&gShaderTableWarnings, "Programmer Limit: MAX_SHAD_TABLE_RECS.", nullptr);
        return;
    }
    rows[count++] = row;
}

void CRecordTable::LinkPostStrings(EShaderSide side)
{
    for (int i = 0; i < count; ++i) {
        SShaderTableRow& row = rows[i];
        if (row.Resolved()) continue;
        if (row.Resolve(row.postName)) continue;
        WarningBox(&gShaderTableWarnings, "ShaderContainer:  post string '", row.postName,
                   side == EShaderSide::Vertex ? "' not linked for vertex constant."
                                               : "' not linked for pixel constant.",
                   nullptr);
    }
}

void CRecordTable::ResetFlowRegisters()
{
    for (int i = 0; i < count; ++i)
        if (rows[i].flowStart != FLOW_NONE) rows[i].reg = rows[i].flowStart;
}

long CRecordTable::Apply(EShaderSide side, const char* tableName, const SObjectConstants* object)
{
    HRESULT result = 0;
    for (int i = 0; i < count; ++i) {
        SShaderTableRow& row = rows[i];
        const uint32_t n = row.countVariable ? uint32_t(*row.countVariable) : row.count;
        const float* source = row.Resolved() ? row.Source(object) : nullptr;
        if (n && source) {
            if (uint64_t(row.reg) + n > RegisterLimit(side)) {
                WarningBox(&gFlowLimitWarnings, "CShaderTable::Apply:  constants of table '",
                           tableName, "' pass the device's registers.", nullptr);
            } else if (side == EShaderSide::Vertex) {
                result |= Device3D->SetVertexShaderConstantF(row.reg, source, n);
            } else {
                result |= Device3D->SetPixelShaderConstantF(row.reg, source, n);
            }
        }
        if (row.flowStart != FLOW_NONE) row.reg += n;
    }
    return result;
}

long CShaderTable::Apply(const SObjectConstants* object)
{
    if (!Device3D) return D3DERR_INVALIDCALL;
    return vertex.Apply(EShaderSide::Vertex, name, object) |
           pixel.Apply(EShaderSide::Pixel, name, object);
}
