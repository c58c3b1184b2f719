#include "engine/ShaderContainer.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/Parser.h"

#include <climits>
#include <string>

CShaderContainer* gShaderContainer = nullptr;
IShaderContainer* gIShaderContainer = nullptr;

namespace {

bool EndOfList(const char* word) { return !word[0] || StrEqual(word, "};"); }

// Appends a separator unless the directory already ends in one.
void SetDirectory(char* directory, size_t size, const char* text)
{
    StrCopy(directory, size, text);
    const size_t n = strlen(directory);
    if (n && directory[n - 1] != '\\' && directory[n - 1] != '/') StrAppend(directory, size, "\\");
}

int gVariantClampWarnings = 1;

} // namespace

uint16_t CShaderContainer::FindVertexShader(const char* name)
{
    const CShader* shader = shaders.FindByName(name);
    return shader ? uint16_t(shader - shaders.Data()) : 0;
}

uint16_t CShaderContainer::FindPixelShader(const char* name) { return FindVertexShader(name); }

ShaderPair CShaderContainer::GetVertexShader(uint16_t index)
{
    const CShader* shader = shaders.At(index);
    return shader ? shader->vertexShader : ShaderPair{};
}

ShaderPair CShaderContainer::GetPixelShader(uint16_t index)
{
    const CShader* shader = shaders.At(index);
    return shader ? shader->pixelShader : ShaderPair{};
}

CShaderTable* CShaderContainer::GetTable(uint16_t index) { return tables.At(index); }

uint16_t CShaderContainer::FindTable(const char* name)
{
    const CShaderTable* table = tables.FindByName(name);
    return table ? uint16_t(table - tables.Data()) : 0;
}

CShader* CShaderContainer::GetShaderVariant(uint16_t index, int k)
{
    CShader* shader = shaders.At(index);
    if (!shader || !(shader->flags & SHADER_FAMILY_HEAD) || k <= 0) return shader;
    if (k >= shader->variants) {
        WarningBox(&gVariantClampWarnings, "ShaderContainer:  shader '", shader->name,
                   "' has fewer variants than asked for; the last one is used.", nullptr);
        k = shader->variants - 1;
    }
    return shaders.At(index + k);
}

void CShaderContainer::ResetFlowRegisters()
{
    for (int i = 1; i <= tables.Count(); ++i) {
        tables.At(i)->vertex.ResetFlowRegisters();
        tables.At(i)->pixel.ResetFlowRegisters();
    }
}

void CShaderContainer::LinkPostStrings()
{
    if (linked) return;
    linked = 1;
    for (int i = 1; i <= tables.Count(); ++i) {
        tables.At(i)->vertex.LinkPostStrings(EShaderSide::Vertex);
        tables.At(i)->pixel.LinkPostStrings(EShaderSide::Pixel);
    }
}

int CShaderContainer::FirstScan(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    int32_t shaderCount = 0, tableCount = 0;
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (!word[0]) {
            WarningBox(&warningBudget, "ShaderContainer:  section is not closed by ']'.", nullptr);
            break;
        }
        if (StrEqual(word, "ShaderCount:")) {
            Core::fscan_int(file, &shaderCount);
        } else if (StrEqual(word, "TableCount:")) {
            Core::fscan_int(file, &tableCount);
        } else if (StrEqual(word, "ShaderDirectory:")) {
            char text[Core::STRING_BUFFER_SIZE];
            Core::fscan_string(file, text);
            SetDirectory(directory, sizeof directory, text);
        } else if (StrEqual(word, "ShaderVer:")) {
            Core::fscan_int(file, &vertexShaderVersion);
            pixelShaderVersion = vertexShaderVersion;
        } else {
            MsgBox3("For ShaderContainer undefine string '", word, "'.");
        }
    }
    ReleaseAll();  // a second section must not drop the first one's device objects
    shaders.Init(uint16_t(shaderCount));
    tables.Init(uint16_t(tableCount));
    return 0;
}

int CShaderContainer::PoolExhausted(const char* what)
{
    WarningBox(&warningBudget, "ShaderContainer:  ", what, " limit is exceed.", nullptr);
    gExitCode = 1;
    return -1;
}

CShaderContainer::~CShaderContainer() { ReleaseAll(); }

void CShaderContainer::ReleaseAll()
{
    for (int i = 1; i <= shaders.Count(); ++i) {
        if (!shaders.InUse(i)) continue;
        CShader* shader = shaders.At(uint16_t(i));
        ReleaseShaderPair(shader->vertexShader);
        ReleaseShaderPair(shader->pixelShader);
    }
}

int CShaderContainer::ScanVertexShader(FILE* file) { return ScanShader(file, false); }

int CShaderContainer::ScanPixelShader(FILE* file) { return ScanShader(file, true); }

// Vertex:  name "file"  or  name Definer: { VAR ... }; "file"
// Pixel:   name "file"  or  name { Definer: { VAR ... }; "file" };
int CShaderContainer::ScanShader(FILE* file, bool pixel)
{
    CShader* shader = nullptr;
    const uint16_t index = shaders.Add(shader);
    if (!index) return PoolExhausted("shaders");
    *shader = CShader{};
    shader->flags = pixel ? SHADER_PIXEL : SHADER_VERTEX;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    StrCopy(shader->name, sizeof shader->name, word);

    char token[Core::STRING_BUFFER_SIZE];
    const int quoted = Core::fscan_string(file, token);
    const bool family = !quoted && StrEqual(token, pixel ? "{" : "Definer:");
    std::string definer;
    if (family) {
        Core::fscan_skip(file, word, pixel ? 2 : 1);  // the list opener
        definer = ScanDefiners(file, shader->name);
        Core::fscan_string(file, token);
    }
    const std::string path = std::string(directory) + token;
    int result = 0;
    if (definer.empty()) {
        const ShaderPair pair = Compile(path.c_str(), pixel, nullptr, 0);
        (pixel ? shader->pixelShader : shader->vertexShader) = pair;
    } else {
        result = CompileFamily(index, path.c_str(), definer.c_str(), pixel);
    }
    if (family && pixel) Core::fscan_word(file, word);  // the element's closing word
    return result;
}

// The definer names up to "};": the first makes the family; a family has one macro.
std::string CShaderContainer::ScanDefiners(FILE* file, const char* shader)
{
    std::string definer;
    char word[Core::WORD_BUFFER_SIZE];
    for (Core::fscan_word(file, word); !EndOfList(word); Core::fscan_word(file, word)) {
        if (definer.empty())
            definer = word;
        else
            WarningBox(&warningBudget, "ShaderContainer:  shader '", shader,
                       "' takes one definer; '", word, "' is ignored.", nullptr);
    }
    return definer;
}

// The head gets the macro 0, the next records the values 1 .. N-1 under the same name.
int CShaderContainer::CompileFamily(uint16_t head, const char* path, const char* definer,
                                    bool pixel)
{
    CShader* shader = shaders.At(head);
    int variants = VariantCount(definer, shader->name);
    const int available = int(shaders.Capacity()) - int(shaders.Count());  // head included
    const bool exhausted = variants > available;
    if (exhausted) variants = available;
    shader->flags |= SHADER_FAMILY_HEAD;
    shader->variants = variants;
    (pixel ? shader->pixelShader : shader->vertexShader) = Compile(path, pixel, definer, 0);
    for (int k = 1; k < variants; ++k) {
        CShader* variant = nullptr;
        shaders.Add(variant);
        *variant = CShader{};
        variant->flags = pixel ? SHADER_PIXEL : SHADER_VERTEX;
        StrCopy(variant->name, sizeof variant->name, shaders.At(head)->name);
        (pixel ? variant->pixelShader : variant->vertexShader) = Compile(path, pixel, definer, k);
    }
    return exhausted ? PoolExhausted("shaders") : 0;
}

// The value of the definer's script variable: at least 1; a missing or non-integer
// variable is reported and gives the head alone.
int CShaderContainer::VariantCount(const char* definer, const char* shader)
{
    int32_t value[VARIANT_VARIABLE_WORDS] = {};
    const int words = gIParser ? gIParser->GetVariable(definer, value, VARIANT_VARIABLE_WORDS) : -3;
    int n = 0;
    if (words == 1 && value[0] >= 0 && value[0] <= USHRT_MAX) {
        n = value[0];
    } else {
        WarningBox(&warningBudget, "ShaderContainer:  variable '", definer, "' of shader '",
                   shader, "' is missing or not an integer.", nullptr);
    }
    return n < 1 ? 1 : n;
}

ShaderPair CShaderContainer::Compile(const char* path, bool pixel, const char* definer,
                                     int value) const
{
    if (pixel)
        return definer ? gGraphics.CompilePixelShaderDefine(path, pixelShaderVersion, definer, value, 0)
                       : gGraphics.CompilePixelShader(path, pixelShaderVersion, 0);
    return definer ? gGraphics.CompileVertexShaderDefine(path, vertexShaderVersion, definer, value)
                   : gGraphics.CompileVertexShader(path, vertexShaderVersion);
}

int CShaderContainer::ScanShaderTable(FILE* file)
{
    CShaderTable* table = tables.Add();
    if (!table) return PoolExhausted("tables");
    *table = CShaderTable{};
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    StrCopy(table->name, sizeof table->name, word);
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); !EndOfList(word); Core::fscan_word(file, word)) {
        if (StrEqual(word, "VertexConstants:"))
            table->vertex.ScanRecords(file);
        else if (StrEqual(word, "PixelConstants:"))
            table->pixel.ScanRecords(file);
    }
    return 0;
}
