#pragma once
// CShaderTable: which engine value goes into which shader constant register, one row
// list for the vertex side and one for the pixel side. Rows are read from "SHADER_TABLE"
// elements; a constant name that no manager resolves yet is kept and linked once after
// all scripts are read. Apply writes the rows of one drawn object; rows that still have
// no data, block rows without an object block and flow rows past the device's registers
// write nothing. Limits and unresolved names are counted warnings shared by all tables.

#include <cstdint>
#include <cstdio>

constexpr int MAX_SHAD_TABLE_RECS = 32;
constexpr int SHADER_TABLE_NAME_SIZE = 32;
constexpr int POST_NAME_SIZE = 64;
constexpr uint32_t FLOW_NONE = 0xFFFFFFFFu;
// Data codes at or above this address the object's array (its class data) instead of the
// object block itself.
constexpr uint32_t CONST_CODE_ARRAY = 0x10000000u;
constexpr uint32_t CONST_CODE_WORD_MASK = 0x0FFFFFFFu;

// Budget of the counted warnings of all constant tables together.
extern int gShaderTableWarnings;

// What a drawn object hands to its table: its own constant words and the words of the
// array it designates (its class data). Either may be null.
struct SObjectConstants {
    const void* block = nullptr;
    const void* array = nullptr;
};

struct SShaderTableRow {
    uint32_t reg = 0;
    uint32_t count = 0;
    const int* countVariable = nullptr;  // a live count of the renderer instead of count
    uintptr_t data = 0;                  // engine-owned data; 0 = none
    uint32_t code = 0;                   // per-object code, or the indirection code
    uint32_t flowStart = FLOW_NONE;
    char postName[POST_NAME_SIZE] = {};  // the name as written; linked again while unresolved

    // Sets data and code from a constant name; false when it names no data yet.
    bool Resolve(const char* name);
    // True when the row has data to write (a fixed address or an object code).
    bool Resolved() const;
    // Where the row's floats are for this object; null when there are none.
    const float* Source(const SObjectConstants* object) const;
};

enum class EShaderSide { Vertex, Pixel };

class CRecordTable {
public:
    int count = 0;
    SShaderTableRow rows[MAX_SHAD_TABLE_RECS];

    // The rows of one "VertexConstants:" or "PixelConstants:" block, up to "};".
    void ScanRecords(FILE* file);
    // Resolves the rows whose names were unknown while reading; warns for the rest.
    void LinkPostStrings(EShaderSide side);
    void ResetFlowRegisters();
    // Writes the rows' registers; OR of the device results.
    long Apply(EShaderSide side, const char* tableName, const SObjectConstants* object);

private:
    // One row whose first word was read; false when the row had to be dropped.
    void ScanRow(FILE* file, const char* first);
};

struct CShaderTable {
    char name[SHADER_TABLE_NAME_SIZE] = {};
    CRecordTable vertex;
    CRecordTable pixel;

    // Vertex side then pixel side; OR of the device results.
    long Apply(const SObjectConstants* object);
};
