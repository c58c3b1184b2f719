#include "tools/benchmark/Manifest.h"

#include <fstream>
#include <iomanip>

namespace bench {

namespace {

struct SFormatSize {
    D3DFORMAT format;
    int bits;  // per pixel; block formats per pixel of a 4 x 4 block
    bool block;
};

const SFormatSize FORMAT_SIZES[] = {
    {D3DFMT_A8R8G8B8, 32, false},      {D3DFMT_X8R8G8B8, 32, false},
    {D3DFMT_A8B8G8R8, 32, false},      {D3DFMT_X8B8G8R8, 32, false},
    {D3DFMT_R8G8B8, 24, false},        {D3DFMT_R5G6B5, 16, false},
    {D3DFMT_A1R5G5B5, 16, false},      {D3DFMT_X1R5G5B5, 16, false},
    {D3DFMT_A4R4G4B4, 16, false},      {D3DFMT_X4R4G4B4, 16, false},
    {D3DFMT_A8, 8, false},             {D3DFMT_L8, 8, false},
    {D3DFMT_A8L8, 16, false},          {D3DFMT_A16B16G16R16, 64, false},
    {D3DFMT_R16F, 16, false},          {D3DFMT_G16R16F, 32, false},
    {D3DFMT_A16B16G16R16F, 64, false}, {D3DFMT_R32F, 32, false},
    {D3DFMT_G32R32F, 64, false},       {D3DFMT_A32B32G32R32F, 128, false},
    {D3DFMT_D16, 16, false},           {D3DFMT_D24S8, 32, false},
    {D3DFMT_D24X8, 32, false},         {D3DFMT_D32, 32, false},
    {D3DFMT_DXT1, 4, true},            {D3DFMT_DXT2, 8, true},
    {D3DFMT_DXT3, 8, true},            {D3DFMT_DXT4, 8, true},
    {D3DFMT_DXT5, 8, true},
};
static_assert(sizeof FORMAT_SIZES / sizeof FORMAT_SIZES[0] == 29, "one line per format");

const SFormatSize* FindFormat(D3DFORMAT format)
{
    for (const SFormatSize& f : FORMAT_SIZES)
        if (f.format == format)
            return &f;
    return nullptr;
}

std::ostream& operator<<(std::ostream& out, const D3DPRESENT_PARAMETERS& p)
{
    return out << p.BackBufferWidth << ' ' << p.BackBufferHeight << ' ' << p.BackBufferFormat << ' '
               << p.BackBufferCount << ' ' << p.MultiSampleType << ' ' << p.MultiSampleQuality << ' '
               << p.SwapEffect << ' ' << p.Windowed << ' ' << p.EnableAutoDepthStencil << ' '
               << p.AutoDepthStencilFormat << ' ' << p.Flags << ' ' << p.FullScreen_RefreshRateInHz
               << ' ' << p.PresentationInterval;
}

// Enumerations and DWORDs read through a 64-bit integer.
template <class T>
void Get(std::istream& in, T& value)
{
    long long v = 0;
    in >> v;
    value = T(v);
}

template <class... T>
void GetAll(std::istream& in, T&... values)
{
    (Get(in, values), ...);
}

} // namespace

double ResourceBytes(const SMadeResource& r)
{
    if (r.type == D3DRTYPE_VERTEXBUFFER || r.type == D3DRTYPE_INDEXBUFFER)
        return r.width;
    const SFormatSize* f = FindFormat(r.format);
    const double bits = f ? f->bits : 32;
    double bytes = 0.0;
    for (UINT level = 0; level < (r.levels ? r.levels : 1); ++level) {
        double w = r.width >> level ? r.width >> level : 1, h = r.height >> level ? r.height >> level : 1;
        if (f && f->block) {
            w = (UINT(w) + 3) / 4 * 4;
            h = (UINT(h) + 3) / 4 * 4;
        }
        bytes += w * h * bits / 8.0;
    }
    return bytes * r.depth;
}

bool WriteManifest(const std::string& path, const SManifest& m)
{
    std::ofstream out(path);
    const SDeviceSetup& d = m.device;
    out << "device " << d.adapter << ' ' << d.type << ' ' << d.behaviour << ' ' << d.style << ' '
        << d.width << ' ' << d.height << ' ' << d.params << '\n';
    for (const std::string& file : m.files)
        out << "file " << std::quoted(file) << '\n';
    for (const STextureFile& t : m.textures)
        out << "texture " << t.cube << ' ' << t.width << ' ' << t.height << ' ' << t.mips << ' ' << t.usage
            << ' ' << t.format << ' ' << t.pool << ' ' << t.filter << ' ' << t.mipFilter << ' ' << t.colorKey
            << ' ' << std::quoted(t.path) << '\n';
    for (const SMadeResource& r : m.made)
        out << "made " << r.type << ' ' << r.width << ' ' << r.height << ' ' << r.depth << ' ' << r.levels
            << ' ' << r.usage << ' ' << r.format << ' ' << r.pool << '\n';
    for (const SShaderSource& s : m.shaders) {
        out << "shader " << s.compiled << ' ' << s.flags << ' ' << std::quoted(s.entry) << ' '
            << std::quoted(s.profile) << ' ' << std::quoted(s.path) << ' ' << std::quoted(s.text) << ' '
            << s.macros.size();
        for (const auto& macro : s.macros)
            out << ' ' << std::quoted(macro.first) << ' ' << std::quoted(macro.second);
        out << '\n';
    }
    return bool(out);
}

bool ReadManifest(const std::string& path, SManifest& m)
{
    std::ifstream in(path);
    std::string kind;
    while (in >> kind) {
        if (kind == "device") {
            SDeviceSetup& d = m.device;
            D3DPRESENT_PARAMETERS& p = d.params;
            GetAll(in, d.adapter, d.type, d.behaviour, d.style, d.width, d.height, p.BackBufferWidth,
                   p.BackBufferHeight, p.BackBufferFormat, p.BackBufferCount, p.MultiSampleType,
                   p.MultiSampleQuality, p.SwapEffect, p.Windowed, p.EnableAutoDepthStencil,
                   p.AutoDepthStencilFormat, p.Flags, p.FullScreen_RefreshRateInHz, p.PresentationInterval);
        } else if (kind == "file") {
            m.files.emplace_back();
            in >> std::quoted(m.files.back());
        } else if (kind == "texture") {
            STextureFile t;
            GetAll(in, t.cube, t.width, t.height, t.mips, t.usage, t.format, t.pool, t.filter, t.mipFilter,
                   t.colorKey);
            in >> std::quoted(t.path);
            m.textures.push_back(t);
        } else if (kind == "made") {
            SMadeResource r{};
            GetAll(in, r.type, r.width, r.height, r.depth, r.levels, r.usage, r.format, r.pool);
            m.made.push_back(r);
        } else if (kind == "shader") {
            SShaderSource s;
            size_t macros = 0;
            GetAll(in, s.compiled, s.flags);
            in >> std::quoted(s.entry) >> std::quoted(s.profile) >> std::quoted(s.path) >> std::quoted(s.text)
                >> macros;
            for (size_t i = 0; i < macros && in; ++i) {
                s.macros.emplace_back();
                in >> std::quoted(s.macros.back().first) >> std::quoted(s.macros.back().second);
            }
            m.shaders.push_back(s);
        } else {
            return false;
        }
        if (!in)
            return false;
    }
    return in.eof();
}

} // namespace bench
