// Figure 2: the keyword scanner reading every text file of the sample run folder (scripts,
// presentations, meshes, animations, cost files, the configuration) against the plain
// tokenizer on the same bytes already in memory; then the mesh reader on every sample mesh.

#include "tools/benchmark/Bench.h"
#include "tools/benchmark/PlainTokenizer.h"

#include "core/Meshes/MeshReader.h"
#include "core/Scanner.h"
#include "core/UsageParams.h"
#include "tests/support/Harness.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace bench {

namespace {

constexpr int ROUNDS = 9;
// Scanner and tokenizer passes are repeated within a round until it lasts this long.
constexpr double ROUND_SECONDS = 0.05;
// The vertex layout the sample's classes ask for: position, normal, one texture pair.
constexpr uint32_t MESH_FORMAT = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

const char* const TEXT_EXTENSIONS[] = {".txt", ".msh", ".anm", ".cfg"};
static_assert(sizeof TEXT_EXTENSIONS / sizeof TEXT_EXTENSIONS[0] == 4, "the text file kinds");

struct STextFile {
    std::string path;
    std::string bytes;
    std::vector<EToken> kinds;
    bool mesh;
};

bool HasExtension(const std::string& name, const char* extension)
{
    const size_t n = strlen(extension);
    return name.size() > n && _stricmp(name.c_str() + name.size() - n, extension) == 0;
}

void FindTextFiles(const std::string& dir, std::vector<STextFile>& out)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = fd.cFileName, path = dir + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != "." && name != "..")
                FindTextFiles(path, out);
            continue;
        }
        for (const char* extension : TEXT_EXTENSIONS)
            if (HasExtension(name, extension))
                out.push_back({path, test::ReadFile(path), {}, HasExtension(name, ".msh")});
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

// The scanner's pass over one file, read item by item as its kinds say, the way a reader
// that knows the grammar reads it; sums receives what it read. Opening and closing the file
// are the file system's work, not the scanner's: the seconds between them are returned.
double ScannerPass(const STextFile& file, STokenSums& sums)
{
    FILE* f = fopen(file.path.c_str(), "rb");
    if (!f)
        return 0.0;
    char word[Core::WORD_BUFFER_SIZE];
    const double t0 = Now();
    for (EToken kind : file.kinds) {
        if (kind == EToken::Number) {
            float value = 0.0f;
            Core::fscan_float(f, &value);
            ++sums.numbers;
            sums.numberSum += value;
        } else {
            Core::fscan_word(f, word);
            ++sums.words;
            sums.wordBytes += strlen(word);
        }
    }
    const double seconds = Now() - t0;
    fclose(f);
    return seconds;
}

double PlainPass(const STextFile& file, STokenSums& sums)
{
    const double t0 = Now();
    sums = PlainTokenize(file.bytes.data(), file.bytes.data() + file.bytes.size());
    return Now() - t0;
}

// Bytes per second of a pass over every file, repeated for at least ROUND_SECONDS.
template <class Pass>
double BytesPerSecond(const std::vector<STextFile>& files, double bytes, Pass pass)
{
    double seconds = 0.0, passes = 0.0;
    const double t0 = Now();
    while (passes == 0.0 || Now() - t0 < ROUND_SECONDS) {
        for (const STextFile& file : files) {
            STokenSums sums;
            seconds += pass(file, sums);
        }
        ++passes;
    }
    return bytes * passes / seconds;
}

// Every sample mesh through the mesh reader: vertices read per second.
void MeshReader(const std::vector<STextFile>& files)
{
    std::vector<double> rates, bytesRates;
    for (int round = 0; round < ROUNDS; ++round) {
        double vertices = 0.0, bytes = 0.0, seconds = 0.0;
        for (const STextFile& file : files) {
            if (!file.mesh)
                continue;
            CMesh mesh;
            ResetUsageParams();
            const double t0 = Now();
            const int result = LoadMesh(file.path.c_str(), &mesh, MESH_FORMAT, 0);
            seconds += Now() - t0;
            if (result != 0) {
                Fail("the mesh reader refused " + file.path);
                return;
            }
            vertices += mesh.vertexCount;
            bytes += double(file.bytes.size());
            mesh.Release();
        }
        rates.push_back(vertices / seconds / 1e6);
        bytesRates.push_back(bytes / seconds / MIB);
    }
    Note("mesh reader: vertices per second", Median(rates), "M/s");

    Note("mesh reader: mesh text per second", Median(bytesRates), "MiB/s");
}

} // namespace

void BenchScanner()
{
    std::vector<STextFile> files;
    FindTextFiles(test::RunDir(), files);
    double bytes = 0.0;
    for (STextFile& file : files) {
        const STokenSums plain = PlainTokenize(file.bytes.data(), file.bytes.data() + file.bytes.size(), &file.kinds);
        STokenSums scanned;
        ScannerPass(file, scanned);
        if (!(scanned == plain))
            Fail("the scanner and the plain tokenizer read " + file.path + " differently");
        bytes += double(file.bytes.size());
    }
    if (files.empty()) {
        Fail("no text files in the sample run folder");
        return;
    }
    std::vector<double> scanner, plain;
    for (int round = 0; round < ROUNDS; ++round) {
        scanner.push_back(BytesPerSecond(files, bytes, ScannerPass) / MIB);
        plain.push_back(BytesPerSecond(files, bytes, PlainPass) / MIB);
    }
    Ratio("2 scanner / plain tokenizer, bytes per second", scanner, plain, "MiB/s", 0.5, Better::Higher);
    Note("text files read (" + std::to_string(files.size()) + ")", bytes / 1024.0, "KiB");
    MeshReader(files);
}

} // namespace bench
