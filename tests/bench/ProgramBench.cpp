// The program on the sample presentation: steady frames, the window manager's pass over a
// control column of windows and the mesh reader on every sample mesh (all on the program's
// own device), the peak working set; then start-up and the first frame (which loads the
// presentation) over several starts and stops.

#include "tests/bench/Bench.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Meshes/MeshReader.h"
#include "core/UsageParams.h"
#include "engine/MissionLoader.h"
#include "gui/Label.h"
#include "gui/MyButton.h"
#include "gui/WinSuperior.h"
#include "tests/support/Harness.h"

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

namespace {

constexpr int START_ROUNDS = 3;
constexpr int WARM_UP_FRAMES = 30;
constexpr int MEASURED_FRAMES = 300;
constexpr int WINDOW_PASSES = 300;
constexpr double MESH_SECONDS = 0.5;
// The vertex layout the sample's classes ask for: position, normal, one texture pair.
constexpr uint32_t MESH_FORMAT = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// The control column stand-in: as many buttons and labels as the column will hold.
constexpr int COLUMN_WIDTH = 250;
constexpr int BUTTON_ROWS = 12, BUTTON_COLUMNS = 4, LABELS = 24;

// Start and stop the program again and again: the time to the first picture, and what each
// round leaves in the working set.
void StartUpRounds()
{
    Samples start, first;
    const double before = WorkingSetMiB();
    for (int round = 0; round < START_ROUNDS; ++round) {
        test::Program program;
        const double t0 = Now();
        if (program.Start(test::RunDir()) != 1) {
            Fail("the program did not start on the sample");
            return;
        }
        const double t1 = Now();
        program.RunFrames(1);
        start.Add(t1 - t0);
        first.Add(Now() - t1);
        if (!gMissionLoader->Running())
            Fail("the first frame did not start the sample presentation");
        program.Stop();
    }
    Record("start-up: window, device, engine, start script", start.BestMs(), "ms best", 1000, Better::Lower);
    Record("first frame: loads the sample presentation", first.BestMs(), "ms best", 600, Better::Lower);
    Note("working set kept per start and stop", (WorkingSetMiB() - before) / START_ROUNDS, "MiB");
}

void Frames(test::Program& program)
{
    Samples frames;
    for (int i = 0; i < MEASURED_FRAMES; ++i) {
        const double t0 = Now();
        if (!program.RunFrames(1)) {
            Fail("the program quit while frames were measured");
            return;
        }
        frames.Add(Now() - t0);
    }
    Record("frame of the sample presentation, average", frames.AverageMs(), "ms", 40, Better::Lower);
    Record("frame of the sample presentation, worst", frames.WorstMs(), "ms", 250, Better::Lower);
}

std::vector<CBaseWin*> AddColumn()
{
    const int left = AppWindowConfig.width - COLUMN_WIDTH;
    const uint32_t shown = WIN_ACTIVE | WIN_VISIBLE;
    IDirect3DTexture9* skin = gWinSuperior.skin;
    std::vector<CBaseWin*> wins;
    wins.push_back(gWinSuperior.AddWin(left, 0, COLUMN_WIDTH, AppWindowConfig.height, nullptr, skin,
                                       0, 0, 31, 31, 0, shown));
    for (int row = 0; row < BUTTON_ROWS; ++row)
        for (int col = 0; col < BUTTON_COLUMNS; ++col) {
            CBaseWin* button = gWinSuperior.AddButton(left + 8 + col * 60, 300 + row * 30, 56, 24, nullptr,
                                                      skin, 0, 0, 31, 31, 0, shown);
            button->SetHint("button");
            button->SetHoverColours(0xFFFFFFFF, 0.2f, 0xFFFFE080, 0.1f);
            wins.push_back(button);
        }
    for (int i = 0; i < LABELS; ++i)
        wins.push_back(gWinSuperior.AddLabel(left + 8, 10 + i * 12, &gGraphics.fonts[0],
                                             "\xCA\xE2\xE0\xF0\xF2\xE8\xF0\xE0 12: 64,5", 0xFFFFFFFF, shown));
    return wins;
}

// Process and DrawWins with the mouse moving over the buttons, one presented frame each;
// the first pass (which makes the labels' glyphs) is counted apart.
void WindowPass()
{
    if (!gWinSuperior.skin)
        Fail("no window skin: the column's windows draw nothing");
    std::vector<CBaseWin*> wins = AddColumn();
    Samples process, draw;
    double first = 0.0;
    const int x = AppWindowConfig.width - COLUMN_WIDTH + 30;
    for (int i = -1; i < WINDOW_PASSES; ++i) {
        gInput.BeginMouseFrame();
        const int step = i + 1;
        gInput.ApplySystemMouse(POINT{x + (step % 4) * 60, 290 + (step * 7) % 380}, 0);
        gGraphics.BeginScene();
        const double t0 = Now();
        gWinSuperior.Process();
        const double t1 = Now();
        gWinSuperior.DrawWins();
        if (i < 0) {
            first = Now() - t0;
        } else {
            process.Add(t1 - t0);
            draw.Add(Now() - t1);
        }
        gGraphics.EndScene();
        gGraphics.Present(nullptr);
    }
    for (auto it = wins.rbegin(); it != wins.rend(); ++it)
        gWinSuperior.DeleteWin(&*it);
    const std::string what = "window pass, " + std::to_string(wins.size()) + " column windows: ";
    Record(what + "first pass", first * 1000.0, "ms", 1000, Better::Lower);
    Record(what + "mouse, average", process.AverageMs(), "ms", 4, Better::Lower);
    Record(what + "mouse, worst", process.WorstMs(), "ms", 20, Better::Lower);
    Record(what + "drawing, average", draw.AverageMs(), "ms", 12, Better::Lower);
    Record(what + "drawing, worst", draw.WorstMs(), "ms", 250, Better::Lower);
}

void FindMeshes(const std::string& dir, std::vector<std::string>& out)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = fd.cFileName, path = dir + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != "." && name != "..")
                FindMeshes(path, out);
        } else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".msh") == 0) {
            out.push_back(path);
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

// Every sample mesh, round after round, until enough time has passed; the best round counts.
void MeshReader()
{
    std::vector<std::string> files;
    FindMeshes(test::RunDir() + "\\Meshes", files);
    if (files.empty()) {
        Fail("no sample meshes under Meshes");
        return;
    }
    Samples rounds;
    double vertices = 0.0;
    while (rounds.TotalSeconds() < MESH_SECONDS || rounds.Count() < 3) {
        double seconds = 0.0;
        for (const std::string& file : files) {
            CMesh mesh;
            ResetUsageParams();
            const double t0 = Now();
            const int result = LoadMesh(file.c_str(), &mesh, MESH_FORMAT, 0);
            seconds += Now() - t0;
            if (result != 0) {
                Fail("the mesh reader refused " + file);
                return;
            }
            vertices += mesh.vertexCount;
            mesh.Release();
        }
        rounds.Add(seconds);
    }
    const double perRound = vertices / rounds.Count();
    const std::string what = "mesh reader: " + std::to_string(files.size()) + " sample meshes with textures";
    Record(what + ", once", rounds.BestMs(), "ms best", 60, Better::Lower);
    Note("mesh reader: vertices in the sample meshes", perRound, "vertices");
    Record("mesh reader: vertices per second", perRound / rounds.BestMs() / 1e3, "M/s best", 0.07, Better::Higher);
}

} // namespace

void BenchProgram()
{
    test::Program program;
    if (program.Start(test::RunDir()) != 1 || !program.RunFrames(WARM_UP_FRAMES)) {
        Fail("the program did not run the sample");
        return;
    }
    Frames(program);
    WindowPass();
    MeshReader();
    Record("peak working set: the program on the sample", PeakWorkingSetMiB(), "MiB", 450, Better::Lower);
    program.Stop();
    StartUpRounds();
}

} // namespace bench
