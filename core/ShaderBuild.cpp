#include "core/ShaderBuild.h"

#include "core/GraphicsTypes.h"
#include "core/Messages.h"
#include "core/ShaderIncludes.h"

#include <cstring>

namespace {

const char COMPILE_ENTRY[] = "Main";

void PutWord(std::string& out, uint32_t word)
{
    out.append(reinterpret_cast<const char*>(&word), sizeof word);
}

void PutText(std::string& out, const std::string& text)
{
    PutWord(out, uint32_t(text.size()));
    out += text;
}

// Reads what a message holds in order; any read past its end fails the reader for good.
class CReader {
public:
    explicit CReader(const std::string& in) : in_(in) {}
    bool Word(uint32_t& word)
    {
        if (!ok_ || in_.size() - at_ < sizeof word)
            return ok_ = false;
        memcpy(&word, in_.data() + at_, sizeof word);
        at_ += sizeof word;
        return true;
    }
    bool Text(std::string& text)
    {
        uint32_t size = 0;
        if (!Word(size) || in_.size() - at_ < size)
            return ok_ = false;
        text.assign(in_, at_, size);
        at_ += size;
        return true;
    }
    // Everything read, nothing left over.
    bool Whole() const { return ok_ && at_ == in_.size(); }

private:
    const std::string& in_;
    size_t at_ = 0;
    bool ok_ = true;
};

} // namespace

std::string ShaderBufferText(ID3DXBuffer* buffer)
{
    if (!buffer)
        return std::string();
    const char* p = static_cast<const char*>(buffer->GetBufferPointer());
    return std::string(p, strnlen(p, buffer->GetBufferSize()));
}

bool ShaderBuildFailed(HRESULT hr, const std::string& errors)
{
    return FAILED(hr) || errors.find("error") != std::string::npos ||
           errors.find("E50") != std::string::npos;
}

SShaderBuilt BuildShader(const SShaderJob& job)
{
    std::vector<D3DXMACRO> macros;
    for (const auto& [name, value] : job.macros)
        macros.push_back({name.c_str(), value.c_str()});
    macros.push_back({nullptr, nullptr});

    ID3DXBuffer *code = nullptr, *errors = nullptr;
    CShaderIncludes includes(job.file.c_str());
    const HRESULT hr =
        job.assemble ? D3DXAssembleShaderFromFileA(job.file.c_str(), nullptr, &includes, 0, &code, &errors)
                     : D3DXCompileShaderFromFileA(job.file.c_str(), macros.data(), &includes, COMPILE_ENTRY,
                                                  job.profile.c_str(), job.flags, &code, &errors, nullptr);
    SShaderBuilt built;
    built.errors = ShaderBufferText(errors);
    built.refusal = includes.Refusal();
    built.failed = !built.refusal.empty() || ShaderBuildFailed(hr, built.errors) || !code;
    // A box shows no more than its buffer: a shader of many faults must not make the
    // message larger than the shader.
    if (built.errors.size() >= MSG_BUFFER_SIZE)
        built.errors.resize(MSG_BUFFER_SIZE - 1);
    if (code && !built.failed)
        built.code.assign(static_cast<const char*>(code->GetBufferPointer()), code->GetBufferSize());
    if (code)
        code->Release();
    if (errors)
        errors->Release();
    return built;
}

void EncodeShaderJob(const SShaderJob& job, std::string& out)
{
    out.clear();
    PutWord(out, job.assemble);
    PutText(out, job.folder);
    PutText(out, job.file);
    PutText(out, job.profile);
    PutWord(out, job.flags);
    PutWord(out, uint32_t(job.macros.size()));
    for (const auto& [name, value] : job.macros) {
        PutText(out, name);
        PutText(out, value);
    }
}

bool DecodeShaderJob(const std::string& in, SShaderJob& job)
{
    CReader r(in);
    uint32_t assemble = 0, count = 0;
    r.Word(assemble);
    r.Text(job.folder);
    r.Text(job.file);
    r.Text(job.profile);
    r.Word(job.flags);
    r.Word(count);
    job.assemble = assemble != 0;
    job.macros.clear();
    // Each macro takes at least its two lengths: a count past that is refused before anything
    // is made for it.
    if (count > in.size() / (2 * sizeof(uint32_t)))
        return false;
    job.macros.resize(count);
    for (auto& [name, value] : job.macros)
        r.Text(name), r.Text(value);
    return r.Whole();
}

void EncodeShaderBuilt(const SShaderBuilt& built, std::string& out)
{
    out.clear();
    PutWord(out, built.failed);
    PutText(out, built.errors);
    PutText(out, built.refusal);
    PutText(out, built.code);
}

bool DecodeShaderBuilt(const std::string& in, SShaderBuilt& built)
{
    CReader r(in);
    uint32_t failed = 0;
    r.Word(failed);
    r.Text(built.errors);
    r.Text(built.refusal);
    r.Text(built.code);
    built.failed = failed != 0;
    return r.Whole();
}
