#pragma once
// CShaderMacros: the macros of one shader's files, and an upper bound of what the
// preprocessor writes when it expands them. The preprocessor expands before anything can
// measure its output, and a few lines of macros that each name the one before twice expand
// to gigabytes, so a text is weighed before the preprocessor gets it:
// - every token weighs its bytes and a separator;
// - a macro named outside the #define lines weighs its whole expansion: one for the
//   expansion, and its body weighed alike;
// - the arguments of a function-like macro weigh once for their own expansion and once more
//   for every copy its body makes of them, each copy weighed alike, so nested calls multiply;
// - a name made by "##" weighs as the heaviest macro.
// Every definition met in any of the shader's files counts, whatever #if or #undef stands
// around it. A macro met within its own expansion is told apart (it weighs its name there):
// this platform's preprocessor never ends on one. Weights saturate at SATURATED instead of
// overflowing, and macros that name each other deeper than MAX_DEPTH, or that take more than
// MAX_WORK tokens to weigh, weigh SATURATED too. A call that forms only when an expansion is
// rescanned (a macro whose expansion ends in a function-like macro's name, its arguments
// written after it) is weighed as plain text.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CShaderMacros {
public:
    static constexpr uint64_t SATURATED = uint64_t(1) << 62;
    static constexpr int MAX_DEPTH = 512;
    static constexpr uint64_t MAX_WORK = uint64_t(1) << 24;

    // Takes the #define lines of a file's text; true when one of them is new to the shader.
    bool Define(std::string_view text);
    // A macro given with the shader: its name and its value (null for none).
    bool DefineValue(const char* name, const char* value);
    // Upper bound of the bytes the preprocessor writes for the text (see above); recursive,
    // when given, tells whether expanding the text meets a macro within its own expansion.
    uint64_t Weigh(std::string_view text, bool* recursive = nullptr);
    // Changes whenever a definition new to the shader arrives: weights taken before may be
    // too light since.
    int Generation() const { return generation_; }
    // Tokens visited so far, weighing texts and macros: work of its own.
    uint64_t Work() const { return work_; }

    enum EKind : uint8_t { NAME, OPEN, CLOSE, PASTE, HASH, NEWLINE, OTHER };
    struct SToken {
        EKind kind;
        uint32_t bytes;         // the token's bytes and a separator
        std::string_view text;  // as written
        int param;              // in a body, the parameter a name stands for; else -1
    };

private:
    struct SDefinition {
        bool function = false;
        std::string source;  // the parameters and the body, as written; tokens point into it
        std::vector<SToken> body;
    };
    struct SWeight {
        uint64_t bytes = 0;   // what the expansion writes
        uint64_t copies = 0;  // how heavily the body uses its arguments
        bool recursive = false;
    };
    struct SMacro {
        std::vector<const SDefinition*> definitions;
        enum { UNKNOWN, BUSY, KNOWN } state = UNKNOWN;
        uint32_t nameBytes = 1;  // what the name weighs where it is not expanded
        SWeight weight;
    };

    bool Add(std::string_view name, SDefinition definition);
    void Refresh();
    SWeight WeightOf(SMacro& macro, int depth);
    SWeight WeighTokens(const SToken* tokens, size_t count, int depth);
    SMacro* Find(std::string_view name);

    std::deque<SDefinition> definitions_;  // stable: macros point at them
    std::map<std::string, SMacro, std::less<>> macros_;
    int generation_ = 0;
    int weighedGeneration_ = -1;
    uint64_t pasteWeight_ = 1;
    uint64_t work_ = 0;
};
