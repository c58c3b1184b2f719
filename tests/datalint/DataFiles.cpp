#include "DataFiles.h"

#include "core/Tga.h"
#include "tests/support/Harness.h"

#include <cstdlib>
#include <filesystem>

namespace lint {

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    size_t i = 0;
    const size_t n = text.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < n) {
        if (blank(text[i])) {
            ++i;
        } else if (text.compare(i, 2, "//") == 0) {
            i = text.find('\n', i);
            i = i == std::string::npos ? n : i;
        } else if (text.compare(i, 2, "/*") == 0) {
            i = text.find("*/", i + 2);
            i = i == std::string::npos ? n : i + 2;
        } else if (text[i] == '"') {
            const size_t end = text.find('"', i + 1);
            words.push_back(text.substr(i + 1, end == std::string::npos ? n : end - i - 1));
            i = end == std::string::npos ? n : end + 1;
        } else {
            const size_t start = i;
            while (i < n && !blank(text[i]))
                ++i;
            words.push_back(text.substr(start, i - start));
        }
    }
    return words;
}

bool Tga::Contains(const Rect& r) const
{
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom &&
           r.right < width && r.bottom < height;
}

Tga ReadTga(const std::string& path)
{
    Tga t;
    const std::string d = test::ReadFile(path);
    auto u8 = [&](size_t at) { return unsigned(static_cast<unsigned char>(d[at])); };
    if (d.size() < 18)
        return t.error = "missing or shorter than a TGA header", t;
    // The program's reader trusts the header: no image id, no colour map, bottom-up rows.
    if (u8(0) != 0 || u8(1) != 0 || u8(2) != 2)
        return t.error = "not an uncompressed true-colour TGA without id or colour map", t;
    if ((u8(17) & 0x20) != 0)
        return t.error = "top-down rows (the program's reader expects bottom-up)", t;
    uint8_t* pixels = nullptr;
    const int result = LoadTGA(path.c_str(), &t.width, &t.height, &pixels);
    if (result != TGA_OK)
        return t.error = "LoadTGA gives " + std::to_string(result), t;
    t.bits = int(u8(16));
    t.pixels.resize(size_t(t.width) * t.height);
    for (size_t i = 0; i < t.pixels.size(); ++i)
        t.pixels[i] = uint32_t(pixels[i * 4 + 3]) << 24 | uint32_t(pixels[i * 4 + 2]) << 16 |
                      uint32_t(pixels[i * 4 + 1]) << 8 | pixels[i * 4];
    delete[] pixels;
    return t;
}

namespace {

// Direct3D culls counter-clockwise triangles: seen from the front, a, b, c go clockwise, and in
// a left-handed frame (b - a) x (c - a) then points at the viewer, the side the normals face.
int ReversedTriangles(const std::vector<float>& p, const std::vector<float>& n,
                      const std::vector<int>& triangles)
{
    if (n.size() != p.size())
        return 0;
    int reversed = 0;
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const float* a = &p[size_t(triangles[t]) * 3];
        const float* b = &p[size_t(triangles[t + 1]) * 3];
        const float* c = &p[size_t(triangles[t + 2]) * 3];
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const float face[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                               u[0] * v[1] - u[1] * v[0]};
        float along = 0;
        for (int k = 0; k < 3; ++k) {
            const size_t vertex = size_t(triangles[t + size_t(k)]) * 3;
            along += face[0] * n[vertex] + face[1] * n[vertex + 1] + face[2] * n[vertex + 2];
        }
        reversed += along <= 0 ? 1 : 0;
    }
    return reversed;
}

} // namespace

MeshSummary CheckMesh(const std::string& text)
{
    MeshSummary m;
    const std::vector<std::string> w = Words(text);
    size_t i = 0;
    auto number = [&](int& out) {
        if (i >= w.size())
            return false;
        char* end = nullptr;
        out = int(std::strtol(w[i].c_str(), &end, 10));
        return *end == 0 && w[i++].size() > 0;
    };
    auto fail = [&](const std::string& why) { m.error = why + " (word " + std::to_string(i) + ")"; return m; };
    int headerVertices = -1, headerPrimitives = -1;
    if (i < w.size() && w[i] == "NumVertices" && (++i, !number(headerVertices)))
        return fail("bad NumVertices");
    if (i < w.size() && w[i] == "NumPrimitives" && (++i, !number(headerPrimitives)))
        return fail("bad NumPrimitives");
    size_t rowWords = 3;  // x y z, then what the options add
    bool names = false;
    for (; i < w.size() && w[i] != "MESH"; ++i) {
        if (w[i] == "DIFFUSE_PER_VERTEX")
            rowWords += 4;
        else if (w[i] == "BONE_INDEX_PER_VERTEX")
            rowWords += 1;
        else if (w[i] == "NAMES_BY_MESHES")
            names = true;
        else if (w[i] == "PRIMITIVE_TYPE")
            ++i;
        else
            return fail("unknown option '" + w[i] + "'");
    }
    while (i < w.size() && w[i] == "MESH") {
        i += names ? 2 : 1;
        int count = 0;
        if (!number(count) || count < 0)
            return fail("bad block vertex count");
        if (i + size_t(count) * rowWords > w.size())
            return fail("vertex rows cut short");
        std::vector<float> positions, normals;
        for (int v = 0; v < count; ++v, i += rowWords)
            for (size_t k = 0; k < 3; ++k)
                positions.push_back(float(std::atof(w[i + k].c_str())));
        std::vector<int> triangles;
        if (i < w.size() && w[i] == "indices") {
            ++i;
            int prims = 0;
            if (!number(prims))
                return fail("bad index count");
            for (int k = 0; k < prims * 3; ++k) {
                int index = 0;
                if (!number(index) || index < 0 || index >= count)
                    return fail("index outside its block");
                triangles.push_back(index);
            }
            m.primitives += prims;
        }
        for (const char* section : {"normals", "TextureCoords", "Texture1Coords"}) {
            if (i < w.size() && w[i] == section) {
                ++i;
                int rows = 0;
                if (!number(rows) || rows != count)
                    return fail(std::string(section) + " count differs from the block's vertices");
                const size_t rowSize = section[0] == 'n' ? 3 : 2;
                if (i + size_t(rows) * rowSize > w.size())
                    return fail(std::string(section) + " rows cut short");
                for (size_t k = 0; section[0] == 'n' && k < size_t(rows) * 3; ++k)
                    normals.push_back(float(std::atof(w[i + k].c_str())));
                i += size_t(rows) * rowSize;
            }
        }
        m.reversedTriangles += ReversedTriangles(positions, normals, triangles);
        m.vertices += count;
        ++m.blocks;
    }
    if (i + 1 < w.size() && w[i] == "TextureName")
        m.texture = w[i + 1], i += 2;
    if (i != w.size())
        return fail("unexpected word '" + w[i] + "'");
    if (headerVertices != m.vertices || headerPrimitives != m.primitives)
        return fail("header says " + std::to_string(headerVertices) + " vertices, " +
                    std::to_string(headerPrimitives) + " primitives; blocks hold " +
                    std::to_string(m.vertices) + ", " + std::to_string(m.primitives));
    return m;
}

std::string RunPath(const std::string& programPath)
{
    std::string p = test::RunDir() + "/" + programPath;
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return p;
}

std::vector<std::string> FilesUnder(const std::string& programFolder, const std::string& extension)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(RunPath(programFolder), ec))
        if (e.is_regular_file() && e.path().extension().string() == extension)
            files.push_back(e.path().generic_string());
    return files;
}

} // namespace lint
