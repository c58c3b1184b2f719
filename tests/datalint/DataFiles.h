#pragma once
// Readers of the sample data for the lint checks: the TGA header checks the program's
// reader relies on (pixels come from the real reader), and a self-contained check of the mesh
// text format's counts and winding (the program's mesh reader is not built yet).

#include "tests/support/SampleReaders.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lint {

// Words of a keyword text: blanks separate, "//" and "/* */" comments are dropped, a quoted
// string is one word without its quotes.
std::vector<std::string> Words(const std::string& text);

struct Tga {
    std::string error;   // empty when the file is a picture the program can load
    int width = 0, height = 0, bits = 0;
    std::vector<uint32_t> pixels;  // ARGB, top row first
    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
    bool Contains(const Rect& r) const;
};
Tga ReadTga(const std::string& path);

struct MeshSummary {
    std::string error;  // empty when the counts agree with the header
    int vertices = 0, primitives = 0, blocks = 0;
    // Triangles whose clockwise front (left-handed) faces away from their vertices' normals.
    int reversedTriangles = 0;
    std::string texture;  // the name after "TextureName", if any
};
MeshSummary CheckMesh(const std::string& text);

// The run folder path of a program path written with backslashes.
std::string RunPath(const std::string& programPath);
// Every file under a folder of the run folder whose name ends with the extension.
std::vector<std::string> FilesUnder(const std::string& programFolder, const std::string& extension);

} // namespace lint
