#include "core/ShaderBuild.h"

#include "core/GraphicsTypes.h"
#include "core/Messages.h"
#include "core/ShaderIncludes.h"

#include <cstring>

namespace {

const char COMPILE_ENTRY[] = "Main";

// The two ends of the pipe go through the same lists of fields (JobFields, BuiltFields), one
// writing them, the other reading them, so they cannot disagree on the order.
class CWriter {
public:
    explicit CWriter(std::string& out) : out_(out) { out_.clear(); }
    void Word(uint32_t word) { out_.append(reinterpret_cast<const char*>(&word), sizeof word); }
    void Flag(bool flag) { Word(flag); }
    void Text(const std::string& text)
    {
        Word(uint32_t(text.size()));
        out_ += text;
    }
    void Pairs(const std::vector<std::pair<std::string, std::string>>& pairs)
    {
        Word(uint32_t(pairs.size()));
        for (const auto& [first, second] : pairs)
            Text(first), Text(second);
    }

private:
    std::string& out_;
};

// Reads what a message holds in order; any read past its end fails the reader for good.
class CReader {
public:
    explicit CReader(const std::string& in) : in_(in) {}
    void Word(uint32_t& word)
    {
        if (!ok_ || in_.size() - at_ < sizeof word) {
            ok_ = false;
            return;
        }
        memcpy(&word, in_.data() + at_, sizeof word);
        at_ += sizeof word;
    }
    void Flag(bool& flag)
    {
        uint32_t word = 0;
        Word(word);
        flag = word != 0;
    }
    void Text(std::string& text)
    {
        uint32_t size = 0;
        Word(size);
        if (!ok_ || in_.size() - at_ < size) {
            ok_ = false;
            return;
        }
        text.assign(in_, at_, size);
        at_ += size;
    }
    void Pairs(std::vector<std::pair<std::string, std::string>>& pairs)
    {
        uint32_t count = 0;
        Word(count);
        // Each pair takes at least its two lengths: a count past what is left is refused before
        // anything is made for it.
        if (count > (in_.size() - at_) / (2 * sizeof(uint32_t)))
            ok_ = false;
        pairs.resize(ok_ ? count : 0);
        for (auto& [first, second] : pairs)
            Text(first), Text(second);
    }
    // Everything read, nothing left over.
    bool Whole() const { return ok_ && at_ == in_.size(); }

private:
    const std::string& in_;
    size_t at_ = 0;
    bool ok_ = true;
};

template <class Io, class Job>
void JobFields(Io& io, Job& job)
{
    io.Flag(job.assemble);
    io.Text(job.folder);
    io.Text(job.file);
    io.Text(job.profile);
    io.Word(job.flags);
    io.Pairs(job.macros);
}

template <class Io, class Built>
void BuiltFields(Io& io, Built& built)
{
    io.Flag(built.failed);
    io.Text(built.errors);
    io.Text(built.refusal);
    io.Text(built.code);
}

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
    CWriter w(out);
    JobFields(w, job);
}

bool DecodeShaderJob(const std::string& in, SShaderJob& job)
{
    CReader r(in);
    JobFields(r, job);
    return r.Whole();
}

void EncodeShaderBuilt(const SShaderBuilt& built, std::string& out)
{
    CWriter w(out);
    BuiltFields(w, built);
}

bool DecodeShaderBuilt(const std::string& in, SShaderBuilt& built)
{
    CReader r(in);
    BuiltFields(r, built);
    return r.Whole();
}
