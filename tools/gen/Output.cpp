#include "Output.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace gen {

namespace {
std::string gRoot = ".";
}

void SetOutputRoot(const std::string& root) { gRoot = root; }

void WriteOutput(const std::string& programPath, const std::string& bytes)
{
    std::string relative = programPath;
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    const std::filesystem::path path = std::filesystem::path(gRoot) / relative;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "housing_gen: cannot write %s\n", path.string().c_str());
        std::exit(1);
    }
}

} // namespace gen
