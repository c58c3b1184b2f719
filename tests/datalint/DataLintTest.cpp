// Lint of the sample presentation in the run folder: every file the generator writes and the
// hand-written ones exist and are well-formed, the building and cost/area files agree with
// the pictures they point into, and the column's texts fit the pictures that carry them
// (measured with the program's fonts, the one check that needs a device).

#include "DataFiles.h"

#include "app/Texts.h"
#include "core/Graphics.h"
#include "core/Scanner.h"
#include "tests/support/Harness.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

using lint::Rect;

const int kBuildings = 3;
const int kFloors[kBuildings] = {9, 5, 12};
const int kFlatsPerFloor[kBuildings] = {4, 2, 3};

std::string Building(int n, const std::string& kind, const std::string& ext)
{
    const std::string folder = ext == "msh" ? "Meshes\\KestrelVale\\"
                               : ext == "tga" ? "Textures\\KestrelVale\\"
                                              : "Presentations\\KestrelVale\\";
    return folder + "Building" + std::to_string(n) + kind + "." + ext;
}

int Width(const Rect& r) { return r.right - r.left + 1; }
int Height(const Rect& r) { return r.bottom - r.top + 1; }

TEST(DataLint, EveryFileOfTheSampleIsThere)
{
    std::vector<std::string> files = {
        "System\\Application.cfg", "Textures\\Windows.tga", "Textures\\Hints.tga",
        "Textures\\KestrelVale\\Housing.tga", "Textures\\KestrelVale\\TopView.tga",
        "Textures\\KestrelVale\\Ground.tga", "Textures\\KestrelVale\\Glass.tga",
        "Textures\\KestrelVale\\Select.tga", "Textures\\KestrelVale\\Interior.tga",
        "Meshes\\KestrelVale\\Ground.msh", "Presentations\\KestrelVale\\ColumnVariables.txt",
        "Presentations\\KestrelVale\\Buildings.txt"};
    for (int b = 1; b <= kBuildings; ++b) {
        for (const char* kind : {"Hall", "Floor", "Attic", "Select", "Windows", "Interior"})
            files.push_back(Building(b, kind, "msh"));
        for (const char* kind : {"Walls", "Facade", "Plan"})
            files.push_back(Building(b, kind, "tga"));
        files.push_back(Building(b, "Block", "txt"));
        files.push_back(Building(b, "Cost", "txt"));
    }
    for (const std::string& f : files)
        EXPECT_FALSE(test::ReadFile(lint::RunPath(f)).empty()) << f << " is missing or empty";
}

TEST(DataLint, MeshHeadersMatchTheirBlocksAndTexturesExist)
{
    test::MessageRecorder messages;
    const std::vector<std::string> meshes = lint::FilesUnder("Meshes", ".msh");
    EXPECT_GE(meshes.size(), size_t(kBuildings * 6 + 1));
    for (const std::string& path : meshes) {
        const lint::MeshSummary m = lint::CheckMesh(test::ReadFile(path));
        EXPECT_EQ("", m.error) << path;
        EXPECT_GT(m.primitives, 0) << path;
        EXPECT_EQ(0, m.reversedTriangles) << path << ": winding disagrees with the normals";
        EXPECT_LE(m.vertices, 65535) << path << ": keeps 16-bit indices";
        if (!m.texture.empty()) {
            EXPECT_EQ("", lint::ReadTga(lint::RunPath(m.texture)).error) << path << ": " << m.texture;
        }
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(DataLint, MeshCheckCatchesWrongCounts)
{
    const std::string good = "NumVertices 3\nNumPrimitives 1\nMESH 3\n0 0 0\n0 1 0\n1 0 0\n"
                             "indices 1\n0 1 2\nnormals 3\n0 0 -1\n0 0 -1\n0 0 -1\n"
                             "TextureCoords 3\n0 1\n0 0\n1 1\nTextureName Textures\\A.tga\n";
    EXPECT_EQ("", lint::CheckMesh(good).error);
    EXPECT_EQ(0, lint::CheckMesh(good).reversedTriangles);
    std::string wrongHeader = good;
    wrongHeader.replace(wrongHeader.find("NumVertices 3"), 13, "NumVertices 4");
    EXPECT_NE("", lint::CheckMesh(wrongHeader).error);
    std::string badIndex = good;
    badIndex.replace(badIndex.find("0 1 2"), 5, "0 1 3");
    EXPECT_NE("", lint::CheckMesh(badIndex).error);
    std::string reversed = good;
    reversed.replace(reversed.find("0 1 2"), 5, "0 2 1");
    EXPECT_EQ(1, lint::CheckMesh(reversed).reversedTriangles);
    std::string shortNormals = good;
    shortNormals.replace(shortNormals.find("normals 3"), 9, "normals 2");
    EXPECT_NE("", lint::CheckMesh(shortNormals).error);
}

TEST(DataLint, PicturesAreTgasTheReaderTakes)
{
    test::MessageRecorder messages;
    const std::vector<std::string> pictures = lint::FilesUnder("Textures", ".tga");
    EXPECT_GE(pictures.size(), size_t(kBuildings * 3 + 8));
    for (const std::string& path : pictures) {
        const lint::Tga t = lint::ReadTga(path);
        EXPECT_EQ("", t.error) << path;
        EXPECT_TRUE(t.bits == 24 || t.bits == 32) << path;
        EXPECT_LE(t.width, 1024) << path;
        EXPECT_LE(t.height, 1024) << path;
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(DataLint, BuildingBlocksPointIntoTheirPictures)
{
    test::MessageRecorder messages;
    for (int b = 1; b <= kBuildings; ++b) {
        const std::string path = Building(b, "Block", "txt");
        const lint::BuildingBlock block = lint::ScanBuildingBlock(lint::RunPath(path));
        EXPECT_TRUE(block.closed) << path;
        EXPECT_TRUE(block.unknown.empty()) << path << ": " << block.unknown.front();
        EXPECT_EQ(kFloors[b - 1], block.numFloors) << path;
        // Mesh paths are relative to the mesh container's folder.
        for (const char* key : {"FloorMesh:", "SelFloorRectMesh:", "InteriorMesh:", "FloorWindowMesh:"}) {
            ASSERT_TRUE(block.paths.count(key)) << path << " " << key;
            EXPECT_EQ("", lint::CheckMesh(test::ReadFile(lint::RunPath("Meshes\\" + block.paths.at(key)))).error)
                << path << " " << key;
        }
        ASSERT_TRUE(block.paths.count("FaceWinTexture:")) << path;
        const lint::Tga facade = lint::ReadTga(lint::RunPath(block.paths.at("FaceWinTexture:")));
        ASSERT_EQ("", facade.error) << path;
        EXPECT_EQ(32, facade.bits) << path;
        for (const char* key : {"FaceHallRect:", "FaceFloorRect:", "FaceAtticRect:", "FloorSelRect:",
                                "FloorLightingRect:"}) {
            ASSERT_TRUE(block.rects.count(key)) << path << " " << key;
            EXPECT_TRUE(facade.Contains(block.rects.at(key))) << path << " " << key;
        }
        // The selection overlay frames a floor picture 2 pixels out on every side.
        EXPECT_EQ(Width(block.rects.at("FaceFloorRect:")) + 4, Width(block.rects.at("FloorSelRect:")));
        EXPECT_EQ(Height(block.rects.at("FaceFloorRect:")) + 4, Height(block.rects.at("FloorSelRect:")));
        // The top-view button lies on the 232 x 232 site plan; its highlight has its size.
        const lint::Tga top = lint::ReadTga(lint::RunPath(block.topTexture));
        ASSERT_EQ("", top.error) << path;
        EXPECT_TRUE(top.Contains(block.topSource)) << path;
        EXPECT_TRUE(block.topX >= 0 && block.topY >= 0 && block.topX + Width(block.topSource) <= 232 &&
                    block.topY + Height(block.topSource) <= 232) << path;
        const Rect select = block.rects.at("TopViewSelectRect:");
        EXPECT_TRUE(top.Contains(select)) << path;
        EXPECT_EQ(Width(block.topSource), Width(select)) << path;
        EXPECT_LT(block.address.size(), 128u) << path;
        EXPECT_EQ(0, block.address.compare(0, 3, "\xF3\xEB.")) << path << ": address in code page 1251";
        EXPECT_EQ(Building(b, "Cost", "txt"), block.costFile);
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(DataLint, CostAreaFilesDescribeEveryFloorAndFlat)
{
    test::MessageRecorder messages;
    for (int b = 1; b <= kBuildings; ++b) {
        const std::string path = Building(b, "Cost", "txt");
        const std::map<int, lint::FloorRecord> floors = lint::ScanCostArea(lint::RunPath(path));
        ASSERT_EQ(size_t(kFloors[b - 1]), floors.size()) << path;
        EXPECT_EQ(1, floors.begin()->first);
        EXPECT_EQ(kFloors[b - 1], floors.rbegin()->first);
        for (const auto& [number, floor] : floors) {
            const lint::Tga plan = lint::ReadTga(lint::RunPath(floor.plan));
            ASSERT_EQ("", plan.error) << path << " floor " << number;
            EXPECT_EQ(32, plan.bits) << floor.plan << ": the hit mask is its alpha channel";
            EXPECT_TRUE(plan.Contains(floor.planSource)) << path;
            EXPECT_LE(Width(floor.planSource), 230) << path << ": fits the column";
            ASSERT_EQ(size_t(kFlatsPerFloor[b - 1]), floor.flats.size()) << path << " floor " << number;
            for (size_t k = 0; k < floor.flats.size(); ++k) {
                const lint::FlatRecord& f = floor.flats[k];
                const std::string where = path + " floor " + std::to_string(number) + " " + f.word;
                EXPECT_EQ(int(k + 1), f.number) << where;
                EXPECT_GT(f.price, 3000000) << where;
                EXPECT_GT(f.areaA, f.areaB) << where;
                EXPECT_GT(f.areaB, 0) << where;
                EXPECT_TRUE(plan.Contains(f.source)) << where;
                // The button lies inside the floor-plan window.
                EXPECT_TRUE(f.buttonX >= 0 && f.buttonY >= 0 &&
                            f.buttonX + Width(f.source) <= Width(floor.planSource) &&
                            f.buttonY + Height(f.source) <= Height(floor.planSource)) << where;
                ASSERT_TRUE(f.hasLabel) << where;
                EXPECT_EQ(0xFFu, f.labelColour >> 24) << where;
            }
        }
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(DataLint, EveryClickOnAFloorPlanHitsOneFlat)
{
    // The hit mask is the plan texture's whole alpha channel: a flat's picture must be opaque
    // only where the flat is, so that no two flats answer the same point of the plan.
    for (int b = 1; b <= kBuildings; ++b) {
        const lint::FloorRecord floor = lint::ScanCostArea(lint::RunPath(Building(b, "Cost", "txt"))).at(1);
        const lint::Tga plan = lint::ReadTga(lint::RunPath(floor.plan));
        ASSERT_EQ("", plan.error);
        const int w = Width(floor.planSource);
        std::vector<int> owner(size_t(w) * Height(floor.planSource), 0);
        int hot = 0;
        for (const lint::FlatRecord& f : floor.flats)
            for (int y = f.source.top; y <= f.source.bottom; ++y)
                for (int x = f.source.left; x <= f.source.right; ++x) {
                    if ((plan.At(x, y) >> 24) == 0)
                        continue;
                    int& o = owner[size_t(f.buttonY + y - f.source.top) * w + f.buttonX + x - f.source.left];
                    EXPECT_EQ(0, o) << "building " << b << ": flats " << o << " and " << f.number;
                    o = f.number;
                    ++hot;
                }
        EXPECT_GT(hot, w * Height(floor.planSource) / 2) << "building " << b;
    }
}

TEST(DataLint, ColumnPicturesHoldTheirRectangles)
{
    test::MessageRecorder messages;
    const lint::Tga windows = lint::ReadTga(lint::RunPath("Textures\\Windows.tga"));
    ASSERT_EQ("", windows.error);
    EXPECT_EQ(32, windows.bits);
    // Selector, control panel, flat popup, and both frames of the two two-frame buttons.
    for (const Rect& r : {Rect{0, 0, 16, 17}, Rect{18, 0, 241, 15}, Rect{0, 19, 243, 141},
                          Rect{0, 143, 230, 215}, Rect{0, 238, 38, 255}, Rect{39, 238, 77, 255},
                          Rect{79, 238, 103, 255}, Rect{104, 238, 128, 255}})
        EXPECT_TRUE(windows.Contains(r)) << r.left << " " << r.top;
    const lint::Tga hints = lint::ReadTga(lint::RunPath("Textures\\Hints.tga"));
    ASSERT_EQ("", hints.error);
    for (const Rect& r : {Rect{0, 0, 149, 17}, Rect{0, 17, 255, 49}, Rect{0, 49, 376, 81}}) {
        EXPECT_TRUE(hints.Contains(r)) << r.left << " " << r.top;
        EXPECT_NE(0u, hints.At((r.left + r.right) / 2, (r.top + r.bottom) / 2) >> 24);
    }
    // The column's variables, read as the presentation reader will read them.
    const lint::Tga housing = lint::ReadTga(lint::RunPath("Textures\\KestrelVale\\Housing.tga"));
    ASSERT_EQ("", housing.error);
    FILE* f = std::fopen(lint::RunPath("Presentations\\KestrelVale\\ColumnVariables.txt").c_str(), "r");
    ASSERT_NE(nullptr, f);
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(f, word);
    EXPECT_STREQ("Variables:", word);
    Core::fscan_word(f, word);
    int found = 0;
    while (!Core::fscan_is_end(f, word) && word[0]) {
        int32_t r[4];
        Core::fscan_rect(f, r);
        const Rect rect{r[0], r[1], r[2], r[3]};
        EXPECT_TRUE(housing.Contains(rect)) << word;
        EXPECT_LE(Width(rect), 240) << word << ": fits the column";
        found += std::string(word) == "TopViewWinRect:" || std::string(word) == "FloorNumberRect:" ||
                 std::string(word) == "SelFloorNumberRect:";
    }
    std::fclose(f);
    EXPECT_EQ(3, found);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(DataLint, TextsAreCodePage1251)
{
    std::vector<std::string> texts = lint::FilesUnder("Presentations", ".txt");
    for (const char* folder : {"System", "Scripts"})
        for (const std::string& f : lint::FilesUnder(folder, ".txt"))
            texts.push_back(f);
    texts.push_back(lint::RunPath("System\\Application.cfg"));
    for (const std::string& path : texts) {
        const std::string t = test::ReadFile(path);
        for (size_t i = 0; i + 1 < t.size(); ++i) {
            const unsigned char c = t[i], next = t[i + 1];
            // Russian in UTF-8 is D0 or D1 followed by a continuation byte; 98 is no letter at all.
            EXPECT_FALSE((c == 0xD0 || c == 0xD1) && next >= 0x80 && next <= 0xBF)
                << path << ": UTF-8 at byte " << i;
            EXPECT_NE(0x98, c) << path << ": byte " << i;
        }
    }
}

} // namespace

namespace {

std::vector<std::string> FileWords(const std::string& programPath)
{
    return lint::Words(test::ReadFile(lint::RunPath(programPath)));
}

// The word after the first occurrence of the given one, or "".
std::string After(const std::vector<std::string>& words, const std::string& word, size_t skip = 1)
{
    for (size_t i = 0; i + skip < words.size(); ++i)
        if (words[i] == word) return words[i + skip];
    return "";
}

bool Has(const std::vector<std::string>& words, const std::string& word)
{
    return std::find(words.begin(), words.end(), word) != words.end();
}

// Everything the control column looks up by name in the presentation and its scripts.
TEST(DataLint, ThePresentationNamesWhatTheColumnNeeds)
{
    const std::vector<std::string> p = FileWords("Presentations\\KestrelVale.txt");
    EXPECT_EQ("HousingTex", After(p, "Texture:"));
    EXPECT_EQ("Textures\\KestrelVale\\Housing.tga", After(p, "HousingTex"));
    for (const char* unit : {"DirLight", "SelFloorRect", "Camera"})
        EXPECT_TRUE(Has(p, unit)) << unit;
    EXPECT_TRUE(Has(p, "KestrelVale\\ColumnVariables.txt"));
    for (const char* name : {"FloorAnimation", "AlphaTo0", "AlphaTo1", "CamFlatRotate"}) {
        const auto at = std::find(p.begin(), p.end(), name);
        ASSERT_NE(p.end(), at) << name;
        const auto file = std::find(at, p.end(), "AnimationFile:");
        ASSERT_NE(p.end(), file) << name;
        ASSERT_NE(p.end(), file + 1) << name;
        EXPECT_EQ(std::string(name) + ".anm", *(file + 1));
        // Header: word, version 4, three words, frames, word, bones, word, seconds; then as
        // many frame labels as frames, one key each.
        const std::vector<std::string> a = FileWords("Animations\\" + *(file + 1));
        ASSERT_GT(a.size(), 10u) << name;
        EXPECT_EQ("4", a[1]) << name;
        const int frames = std::stoi(a[5]);
        EXPECT_EQ("1", a[7]) << name;
        EXPECT_GT(std::stof(a[9]), 0.0f) << name;
        int labels = 0;
        for (const std::string& w : a)
            labels += w.rfind("Frame", 0) == 0;
        EXPECT_EQ(frames, labels) << name;
    }
    const std::vector<std::string> units = FileWords("Scripts\\Units.txt");
    for (const char* cls : {"Interior", "SelectRect", "Sun", "Floor", "Hall", "Attic"})
        EXPECT_TRUE(Has(units, cls)) << cls;
    EXPECT_EQ("EnableIdle", After(units, "Building", 5)) << "buildings count the interior's time down";
    const std::vector<std::string> vars = FileWords("Scripts\\Variables.txt");
    for (const char* colour : {"NightColor", "NightClearColor"}) {
        EXPECT_EQ("[", After(vars, colour)) << colour;
        EXPECT_EQ("]", After(vars, colour, 6)) << colour;
    }
    EXPECT_TRUE(Has(FileWords("Scripts\\Start.txt"), "AnimContainer"));
}

Rect RectAfter(const std::vector<std::string>& words, const std::string& key)
{
    return Rect{std::stoi(After(words, key, 2)), std::stoi(After(words, key, 3)), std::stoi(After(words, key, 4)),
                std::stoi(After(words, key, 5))};
}

// Every text of the column, measured with the program's fonts, lies inside the picture that
// carries it: a flat's number, areas and line on the flat itself, the popup's lines in the
// popup, "ЭТАЖ n" of the top floor in both floor labels, the address in its building's panel.
TEST(DataLint, EveryLabelOfTheColumnFitsItsWindow)
{
    test::MessageRecorder messages;
    test::TestDevice device;
    ASSERT_EQ(0, device.Init()) << messages.Joined();
    // The window layer draws a text with its box's top 3 pixels above the text's place.
    auto box = [](int font, const std::string& text, int x, int y) {
        int height = 0;
        const int width = gGraphics.fonts[font - 1].GetTextWidth(text.c_str(), &height, -1);
        return Rect{x, y - 3, x + width - 1, y - 3 + height - 1};
    };
    auto inside = [](const Rect& r, const Rect& picture) {
        return r.left >= 0 && r.top >= 0 && r.right < Width(picture) && r.bottom < Height(picture);
    };
    const std::vector<std::string> vars = FileWords("Presentations\\KestrelVale\\ColumnVariables.txt");
    const Rect panel = RectAfter(vars, "TopViewWinRect:"), popup{0, 143, 230, 215};
    const int popupRows[] = {14, 33, 51};
    for (int b = 1; b <= kBuildings; ++b) {
        const lint::BuildingBlock block = lint::ScanBuildingBlock(lint::RunPath(Building(b, "Block", "txt")));
        const Rect caption = box(1, FLOOR_PREFIX + std::to_string(block.numFloors), 3, 3);
        EXPECT_TRUE(inside(caption, RectAfter(vars, "FloorNumberRect:"))) << b;
        EXPECT_TRUE(inside(caption, RectAfter(vars, "SelFloorNumberRect:"))) << b;
        // 15 pixels above the panel's bottom row, 10 right of its left edge.
        const Rect address = box(2, block.address, 10, -15);
        EXPECT_TRUE(address.right < Width(panel) && address.bottom <= 0) << b;
        for (const auto& [number, floor] : lint::ScanCostArea(lint::RunPath(Building(b, "Cost", "txt")))) {
            const lint::Tga plan = lint::ReadTga(lint::RunPath(floor.plan));
            for (const lint::FlatRecord& f : floor.flats) {
                const std::string where = std::to_string(b) + " floor " + std::to_string(number) + " " + f.word;
                auto onFlat = [&](const Rect& r) {
                    for (int y = r.top; inside(r, f.source) && y <= r.bottom; ++y)
                        for (int x = r.left; x <= r.right; ++x)
                            if ((plan.At(f.source.left + x, f.source.top + y) >> 24) == 0) return false;
                    return inside(r, f.source);
                };
                EXPECT_TRUE(onFlat(box(5, std::to_string(f.number), f.labelX, f.labelY))) << where;
                EXPECT_TRUE(onFlat(box(3, lint::FigureText(f.areaA, false), f.labelX + 14, f.labelY - 4))) << where;
                EXPECT_TRUE(onFlat(box(3, lint::FigureText(f.areaB, false), f.labelX + 14, f.labelY + 9))) << where;
                EXPECT_TRUE(onFlat(box(3, "_____", f.labelX + 13, f.labelY - 3))) << where;
                const std::string lines[] = {
                    lint::FigureText(f.areaA, false) + " / " + lint::FigureText(f.areaB, false),
                    lint::FigureText(f.price, true), lint::FigureText(lint::Total(f.price, f.areaA), true)};
                for (int i = 0; i < 3; ++i)
                    EXPECT_TRUE(inside(box(4, lines[i], 113, popupRows[i]), popup)) << where << " " << lines[i];
            }
        }
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
