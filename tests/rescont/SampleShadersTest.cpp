#include "tests/rescont/ResourceFixture.h"

#include "core/Graphics.h"
#include "engine/MeshContainer.h"
#include "engine/Parser.h"
#include "engine/ShaderContainer.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace rescont {
namespace {

// The sample pairs shaders "<Name>VS" and "<Name>PS" (and files "<Name>.vsh", "<Name>.psh")
// with the table "<Name>"; each uniform is named after its row's source.
std::string TableNameOf(const std::string& shader)
{
    const size_t n = shader.size();
    return n > 2 && (shader.compare(n - 2, 2, "VS") == 0 || shader.compare(n - 2, 2, "PS") == 0)
               ? shader.substr(0, n - 2)
               : shader;
}

std::string UniformOf(const char* source)
{
    const char* colon = strrchr(source, ':');
    return colon ? colon + 1 : source;
}

// The uniforms a row feeds: one named after its source, or (where a shader cannot index
// an array) one per register named after the source and the register's number in it.
std::vector<D3DXCONSTANT_DESC> RowUniforms(ID3DXConstantTable* constants, const std::string& name)
{
    std::vector<D3DXCONSTANT_DESC> found;
    for (int n = -1;; ++n) {
        const std::string spelled = n < 0 ? name : name + std::to_string(n);
        D3DXHANDLE handle = constants->GetConstantByName(nullptr, spelled.c_str());
        if (!handle) {
            if (n < 0) continue;
            break;
        }
        D3DXCONSTANT_DESC c;
        UINT one = 1;
        constants->GetConstantDesc(handle, &c, &one);
        found.push_back(c);
        if (n < 0) break;
    }
    return found;
}

// Every row's uniforms sit at the row's register with the row's count, and the shader has
// no uniform that no row feeds.
// An assembled shader carries no constant table: its table side must be empty.
void ExpectPlacement(const void* code, const CRecordTable& rows, const std::string& what)
{
    ID3DXConstantTable* constants = nullptr;
    if (FAILED(D3DXGetShaderConstantTable(static_cast<const DWORD*>(code), &constants))) {
        EXPECT_EQ(0, rows.count) << what << ": no constant table";
        return;
    }
    D3DXCONSTANTTABLE_DESC desc;
    constants->GetDesc(&desc);
    UINT fed = 0;
    for (int i = 0; i < rows.count; ++i) {
        const SShaderTableRow& row = rows.rows[i];
        const std::string name = UniformOf(row.postName);
        const std::vector<D3DXCONSTANT_DESC> uniforms = RowUniforms(constants, name);
        ASSERT_FALSE(uniforms.empty()) << what << ": no uniform " << name;
        fed += UINT(uniforms.size());
        UINT reg = row.reg, count = 0;
        for (const D3DXCONSTANT_DESC& c : uniforms) {
            EXPECT_EQ(D3DXRS_FLOAT4, c.RegisterSet) << what << ": " << c.Name;
            EXPECT_EQ(reg, c.RegisterIndex) << what << ": " << c.Name;
            reg += c.RegisterCount;
            count += c.RegisterCount;
        }
        if (!row.countVariable) {
            EXPECT_EQ(row.count, count) << what << ": " << name;
        }
    }
    EXPECT_EQ(fed, desc.Constants) << what;
    constants->Release();
}

std::vector<DWORD> CodeOf(const CShader& shader)
{
    const bool pixel = shader.flags & SHADER_PIXEL;
    UINT size = 0;
    if (pixel ? !shader.pixelShader.ps : !shader.vertexShader.vs) return {};
    pixel ? shader.pixelShader.ps->GetFunction(nullptr, &size)
          : shader.vertexShader.vs->GetFunction(nullptr, &size);
    std::vector<DWORD> code(size / 4);
    pixel ? shader.pixelShader.ps->GetFunction(code.data(), &size)
          : shader.vertexShader.vs->GetFunction(code.data(), &size);
    return code;
}

std::vector<std::string> ShaderFiles(const std::string& dir)
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*.?sh").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return files;
    do files.push_back(fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return files;
}

int LightsCount()
{
    int32_t value[VARIANT_VARIABLE_WORDS] = {};
    return gIParser->GetVariable("LIGHTS_COUNT", value, VARIANT_VARIABLE_WORDS) == 1 ? value[0] : 0;
}

using SampleShaders = ResourceTest;

TEST_F(SampleShaders, SampleDeclaresItsResourcesWithoutMessages)
{
    EXPECT_TRUE(gStartupMessages.empty()) << gStartupMessages.front();
    const uint16_t decl = gMeshContainer->FindVertexDeclarator("PositionColor");
    ASSERT_NE(0, decl);
    EXPECT_NE(nullptr, gMeshContainer->GetVertexDeclaration(decl));
    EXPECT_EQ(1, gShaderContainer->linked);

    const uint16_t head = gShaderContainer->FindVertexShader("FogTintVS");
    ASSERT_NE(0, head);
    ASSERT_EQ(4, LightsCount());
    EXPECT_EQ(4, gShaderContainer->shaders.At(head)->variants);
    EXPECT_NE(0, gShaderContainer->FindPixelShader("FogTintPS"));
    const CShaderTable* table = gShaderContainer->GetTable(gShaderContainer->FindTable("FogTint"));
    ASSERT_NE(nullptr, table);
    for (const CRecordTable* side : {&table->vertex, &table->pixel})
        for (int i = 0; i < side->count; ++i)
            EXPECT_TRUE(side->rows[i].Resolved()) << side->rows[i].postName;
}

// What the program compiled: every record's code against its table.
TEST_F(SampleShaders, CompiledShadersPlaceTheirUniformsWhereTheTablesWrite)
{
    ASSERT_LT(0, gShaderContainer->shaders.Count());
    for (int i = 1; i <= gShaderContainer->shaders.Count(); ++i) {
        const CShader& shader = *gShaderContainer->shaders.At(i);
        const std::string what = std::string(shader.name) + " record " + std::to_string(i);
        const std::vector<DWORD> code = CodeOf(shader);
        ASSERT_FALSE(code.empty()) << what;
        const CShaderTable* table =
            gShaderContainer->GetTable(gShaderContainer->FindTable(TableNameOf(shader.name).c_str()));
        ASSERT_NE(nullptr, table) << what;
        ExpectPlacement(code.data(), shader.flags & SHADER_PIXEL ? table->pixel : table->vertex, what);
    }
}

// A source that starts with its version token is assembly.
bool IsAssembly(const std::string& path)
{
    char word[32] = "";
    FILE* f = fopen(path.c_str(), "r");
    if (!f) return false;
    const bool read = fscanf(f, "%31s", word) == 1;
    fclose(f);
    return read && (strncmp(word, "ps_", 3) == 0 || strncmp(word, "vs_", 3) == 0);
}

// Assembly builds alike everywhere: it assembles without a message and feeds no constants.
void ExpectAssemblesClean(const std::string& path, const CRecordTable& rows)
{
    ID3DXBuffer *code = nullptr, *errors = nullptr;
    EXPECT_EQ(S_OK, D3DXAssembleShaderFromFileA(path.c_str(), nullptr, nullptr, 0, &code, &errors)) << path;
    if (errors) {
        ADD_FAILURE() << path << ": " << std::string(static_cast<const char*>(errors->GetBufferPointer()));
        errors->Release();
    }
    if (code) {
        ExpectPlacement(code->GetBufferPointer(), rows, path);
        code->Release();
    }
}

// Every sample source at both shader models and every variant: no error or warning text,
// and the same placement.
TEST_F(SampleShaders, EverySourceCompilesCleanAtEveryLevelAndVariant)
{
    const std::string dir = test::RunDir() + "\\Shaders";
    const std::vector<std::string> files = ShaderFiles(dir);
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files) {
        const bool pixel = file.substr(file.size() - 4) == ".psh";
        const std::string title = file.substr(0, file.size() - 4);
        const CShaderTable* table = gShaderContainer->GetTable(gShaderContainer->FindTable(title.c_str()));
        ASSERT_NE(nullptr, table) << file;
        if (IsAssembly(dir + "\\" + file)) {
            ExpectAssemblesClean(dir + "\\" + file, pixel ? table->pixel : table->vertex);
            continue;
        }
        for (const char* profile : pixel ? std::vector<const char*>{"ps_2_0", "ps_3_0"}
                                         : std::vector<const char*>{"vs_2_0", "vs_3_0"}) {
            for (int k = 0; k < LightsCount(); ++k) {
                const std::string value = std::to_string(k);
                const D3DXMACRO macros[] = {{"LIGHTS_COUNT", value.c_str()}, {nullptr, nullptr}};
                ID3DXBuffer *code = nullptr, *errors = nullptr;
                const HRESULT hr = D3DXCompileShaderFromFileA((dir + "\\" + file).c_str(), macros, nullptr,
                                                              "Main", profile, 0, &code, &errors, nullptr);
                const std::string what = file + " " + profile + " LIGHTS_COUNT " + value;
                EXPECT_EQ(S_OK, hr) << what;
                if (errors) {
                    ADD_FAILURE() << what << ": "
                                  << std::string(static_cast<const char*>(errors->GetBufferPointer()));
                    errors->Release();
                }
                if (code) {
                    ExpectPlacement(code->GetBufferPointer(), pixel ? table->pixel : table->vertex, what);
                    code->Release();
                }
            }
        }
    }
}

} // namespace
} // namespace rescont
