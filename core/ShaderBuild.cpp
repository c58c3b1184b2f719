#include "core/ShaderBuild.h"

#include "core/GraphicsTypes.h"
#include "core/Messages.h"
#include "core/ShaderIncludes.h"

#include <cstring>

namespace {

const char COMPILE_ENTRY[] = "Main";

// Goes over a message's fields in order, writing them or reading them back, so that the two
// ends of the pipe cannot disagree; a read past the message's end fails it for good.
class CFields {
public:
    explicit CFields(std::string* out) : out_(out), in_(*out) { out->clear(); }
    explicit CFields(const std::string& in) : in_(in) {}
    void Field(uint32_t& word)
    {
        if (out_)
            return void(out_->append(reinterpret_cast<const char*>(&word), sizeof word));
        ok_ = ok_ && in_.size() - at_ >= sizeof word;
        if (ok_)
            memcpy(&word, in_.data() + at_, sizeof word), at_ += sizeof word;
    }
    void Field(bool& flag)
    {
        uint32_t word = flag;
        Field(word);
        flag = word != 0;
    }
    void Field(std::string& text)
    {
        uint32_t size = uint32_t(text.size());
        Field(size);
        if (out_)
            return void(*out_ += text);
        ok_ = ok_ && in_.size() - at_ >= size;
        if (ok_)
            text.assign(in_, at_, size), at_ += size;
    }
    void Field(std::vector<std::pair<std::string, std::string>>& pairs)
    {
        uint32_t count = uint32_t(pairs.size());
        Field(count);
        // Each pair takes at least its two lengths: a count past what is left is refused
        // before anything is made for it.
        if (!out_) {
            ok_ = ok_ && count <= (in_.size() - at_) / (2 * sizeof(uint32_t));
            pairs.resize(ok_ ? count : 0);
        }
        for (auto& [first, second] : pairs)
            Field(first), Field(second);
    }
    // Everything read, nothing left over.
    bool Whole() const { return out_ || (ok_ && at_ == in_.size()); }

private:
    std::string* out_ = nullptr;  // null when reading
    const std::string& in_;
    size_t at_ = 0;
    bool ok_ = true;
};

bool Fields(CFields&& f, SShaderJob& job)
{
    f.Field(job.assemble), f.Field(job.folder), f.Field(job.file), f.Field(job.profile);
    f.Field(job.flags), f.Field(job.macros);
    return f.Whole();
}

bool Fields(CFields&& f, SShaderBuilt& built)
{
    f.Field(built.failed), f.Field(built.errors), f.Field(built.refusal), f.Field(built.code);
    return f.Whole();
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

void EncodeShaderJob(SShaderJob job, std::string& out)
{
    Fields(CFields(&out), job);
}

bool DecodeShaderJob(const std::string& in, SShaderJob& job)
{
    return Fields(CFields(in), job);
}

void EncodeShaderBuilt(SShaderBuilt built, std::string& out)
{
    Fields(CFields(&out), built);
}

bool DecodeShaderBuilt(const std::string& in, SShaderBuilt& built)
{
    return Fields(CFields(in), built);
}
