#pragma once
// CShaderContainer: owns the compiled HLSL shaders, with families of variants compiled
// from one source with an integer macro, and the shader constant tables. Both are numbered
// from 1 (0 = none). An exhausted pool while reading requests shutdown (gExitCode) and
// gives -1; compile errors are reported by the graphics layer and leave an empty pair;
// unknown variables, variant clamps and unlinked names are counted warnings.

#include "core/Container.h"
#include "core/GraphicsTypes.h"
#include "engine/ShaderTable.h"

#include <cstdint>
#include <cstdio>
#include <string>

enum : uint32_t { SHADER_VERTEX = 1, SHADER_PIXEL = 2, SHADER_FAMILY_HEAD = 4 };
constexpr int SHADER_NAME_SIZE = 32;
constexpr int SHADER_DIRECTORY_SIZE = 512;
// Words a variant-count variable may hold (a list of 128 and one to spare).
constexpr int VARIANT_VARIABLE_WORDS = 129;

struct CShader {
    uint32_t flags = 0;
    char name[SHADER_NAME_SIZE] = {};
    ShaderPair vertexShader = {};
    ShaderPair pixelShader = {};
    int variants = 1;  // records in the family, this one included (heads only)
};

class IShaderContainer {
public:
    virtual ~IShaderContainer() = default;
    virtual uint16_t FindVertexShader(const char* name) = 0;
    virtual uint16_t FindPixelShader(const char* name) = 0;
    virtual ShaderPair GetVertexShader(uint16_t index) = 0;
    virtual ShaderPair GetPixelShader(uint16_t index) = 0;
    // Null unless 1 <= index <= the tables in use.
    virtual CShaderTable* GetTable(uint16_t index) = 0;
};

class CShaderContainer : public IShaderContainer {
public:
    TContainer<CShader, uint16_t> shaders;
    int warningBudget = 4;
    char directory[SHADER_DIRECTORY_SIZE] = {};
    int vertexShaderVersion = 30;
    int pixelShaderVersion = 30;
    TContainer<CShaderTable, uint16_t> tables;
    int linked = 0;

    // Releases every shader, variants included.
    ~CShaderContainer() override;
    void ReleaseAll();

    // Both searches look at names only, not at the kind of shader.
    uint16_t FindVertexShader(const char* name) override;
    uint16_t FindPixelShader(const char* name) override;
    ShaderPair GetVertexShader(uint16_t index) override;
    ShaderPair GetPixelShader(uint16_t index) override;
    CShaderTable* GetTable(uint16_t index) override;

    uint16_t FindTable(const char* name);
    // Variant k of a family (k clamped to the family); the record itself for k 0 or a
    // shader without variants; null for a bad index.
    CShader* GetShaderVariant(uint16_t index, int k);
    void ResetFlowRegisters();
    // Once, after all scripts: resolves table rows named before their data existed.
    void LinkPostStrings();

    // Script readers: the section, and the elements after their keyword (0 or -1).
    int FirstScan(FILE* file);
    int ScanVertexShader(FILE* file);
    int ScanPixelShader(FILE* file);
    int ScanShaderTable(FILE* file);

private:
    int ScanShader(FILE* file, bool pixel);
    std::string ScanDefiners(FILE* file, const char* shader);
    int CompileFamily(uint16_t head, const char* path, const char* definer, bool pixel);
    int VariantCount(const char* definer, const char* shader);
    ShaderPair Compile(const char* path, bool pixel, const char* definer, int value) const;
    int PoolExhausted(const char* what);
};

extern CShaderContainer* gShaderContainer;
extern IShaderContainer* gIShaderContainer;
