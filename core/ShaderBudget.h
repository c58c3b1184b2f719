#pragma once
// CShaderBudget: the work one start of the program may hand the shader preprocessor and
// compiler, shared by every shader it builds, so that no shape of shader files holds the
// start for more than a few seconds. The preprocessor's work is the text it reads (every
// reopen of a guarded header included), what its macros may write (CShaderMacros) and the
// weighing itself; the compiler's work grows with the square of a shader's preprocessed text
// (declarations, measured), so a shader weighs its size times its size in units of
// LEAST_WEIGHT, and at least LEAST_WEIGHT. One shader may hand the compiler at most
// SHADER_SOURCE bytes. Blanks are not counted: they cost the compiler nearly nothing, and the
// preprocessor writes an end of line for every line it skips. A shader that would pass a bound of the start fails with one message
// that names the bound; from then on no shader is built and nothing more is said.

#include <cstddef>
#include <cstdint>

class CShaderBudget {
public:
    static constexpr uint64_t PREPROCESSING = uint64_t(16) << 20;
    static constexpr uint64_t COMPILING = uint64_t(4) << 20;
    static constexpr size_t SHADER_SOURCE = size_t(64) << 10;
    static constexpr size_t LEAST_WEIGHT = 4096;

    // A new start: nothing spent.
    void Reset();
    // True once a shader passed a bound of the start: no more shaders are built.
    bool Spent() const { return spent_; }

    // Each answers null, or why the shader fails: the rest of a message that begins with the
    // file's name in quotes. CheckSource takes nothing and fails only that shader; the Take
    // calls take their work and, once past a bound, end the start's shaders.
    const char* CheckSource(size_t bytes) const;
    const char* TakePreprocessing(uint64_t bytes);
    const char* TakeCompiling(size_t sourceBytes);

    uint64_t Preprocessed() const { return preprocessed_; }
    uint64_t Compiled() const { return compiled_; }

private:
    uint64_t preprocessed_ = 0;
    uint64_t compiled_ = 0;
    bool spent_ = false;
};
