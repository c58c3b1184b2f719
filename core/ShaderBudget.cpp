#include "core/ShaderBudget.h"

#include <algorithm>

void CShaderBudget::Reset()
{
    *this = CShaderBudget{};
}

const char* CShaderBudget::CheckSource(size_t bytes) const
{
    static_assert(SHADER_SOURCE == 65536, "the message names the bound");
    return bytes > SHADER_SOURCE ? "' expands to more than 65536 bytes besides blanks." : nullptr;
}

const char* CShaderBudget::TakePreprocessing(uint64_t bytes)
{
    static_assert(PREPROCESSING == 16777216, "the message names the bound");
    if (!spent_ && bytes <= PREPROCESSING - preprocessed_) {
        preprocessed_ += bytes;
        return nullptr;
    }
    spent_ = true;
    return "' takes the shaders of this start past 16777216 bytes of preprocessing: no more shaders are built.";
}

const char* CShaderBudget::TakeCompiling(size_t sourceBytes)
{
    static_assert(COMPILING == 4194304, "the message names the bound");
    const uint64_t size = std::max<uint64_t>(sourceBytes, LEAST_WEIGHT);
    const uint64_t weight = size <= SHADER_SOURCE ? size * size / LEAST_WEIGHT : COMPILING + 1;
    if (!spent_ && weight <= COMPILING - compiled_) {
        compiled_ += weight;
        return nullptr;
    }
    spent_ = true;
    return "' takes the shaders of this start past 4194304 bytes of compiling: no more shaders are built.";
}
