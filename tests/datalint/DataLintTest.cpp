// Lint of the sample presentation in the run folder: every file the generator writes and the
// hand-written ones exist and are well-formed, and the building and cost/area files agree with
// the pictures they point into. No device is needed.

#include "DataFiles.h"

#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

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

std::vector<std::string> ReadWords(const std::string& programPath)
{
    return lint::Words(test::ReadFile(lint::RunPath(programPath)));
}

// The value words after a keyword (the keyword's first occurrence).
size_t Find(const std::vector<std::string>& words, const std::string& key)
{
    for (size_t i = 0; i < words.size(); ++i)
        if (words[i] == key)
            return i + 1;
    ADD_FAILURE() << "no " << key;
    return words.size();
}

TEST(DataLint, EveryFileOfTheSampleIsThere)
{
    std::vector<std::string> files = {
        "System\\Application.cfg", "Textures\\Windows.tga", "Textures\\Hints.tga",
        "Textures\\KestrelVale\\Housing.tga", "Textures\\KestrelVale\\TopView.tga",
        "Textures\\KestrelVale\\Ground.tga", "Textures\\KestrelVale\\Glass.tga",
        "Textures\\KestrelVale\\Select.tga", "Textures\\KestrelVale\\Interior.tga",
        "Meshes\\KestrelVale\\Ground.msh", "Presentations\\KestrelVale\\ColumnVariables.txt"};
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
}

TEST(DataLint, MeshCheckCatchesWrongCounts)
{
    const std::string good = "NumVertices 3\nNumPrimitives 1\nMESH 3\n0 0 0\n0 1 0\n1 0 0\n"
                             "indices 1\n0 1 2\nnormals 3\n0 0 -1\n0 0 -1\n0 0 -1\n"
                             "TextureCoords 3\n0 1\n0 0\n1 1\nTextureName Textures\\A.tga\n";
    EXPECT_EQ("", lint::CheckMesh(good).error);
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
    std::vector<std::string> pictures = lint::FilesUnder("Textures", ".tga");
    EXPECT_GE(pictures.size(), size_t(kBuildings * 3 + 8));
    for (const std::string& path : pictures) {
        const lint::Tga t = lint::ReadTga(path);
        EXPECT_EQ("", t.error) << path;
        EXPECT_LE(t.width, 1024) << path;
        EXPECT_LE(t.height, 1024) << path;
    }
}

TEST(DataLint, BuildingBlocksPointIntoTheirPictures)
{
    for (int b = 1; b <= kBuildings; ++b) {
        const std::string block = Building(b, "Block", "txt");
        const std::vector<std::string> w = ReadWords(block);
        ASSERT_GE(w.size(), 2u) << block;
        EXPECT_EQ("{", w.front());
        EXPECT_EQ("};", w.back());
        EXPECT_EQ(kFloors[b - 1], std::atoi(w[Find(w, "NumFloors:")].c_str())) << block;
        for (const char* key : {"FloorMesh:", "SelFloorRectMesh:", "InteriorMesh:", "FloorWindowMesh:"})
            EXPECT_EQ("", lint::CheckMesh(test::ReadFile(lint::RunPath(w[Find(w, key)]))).error)
                << block << " " << key;
        const lint::Tga facade = lint::ReadTga(lint::RunPath(w[Find(w, "FaceWinTexture:")]));
        ASSERT_EQ("", facade.error) << block;
        for (const char* key : {"FaceHallRect:", "FaceFloorRect:", "FaceAtticRect:", "FloorSelRect:",
                                "FloorLightingRect:"}) {
            size_t i = Find(w, key);
            Rect r{};
            ASSERT_TRUE(lint::ReadRect(w, i, r)) << block << " " << key;
            EXPECT_TRUE(facade.Contains(r)) << block << " " << key;
        }
        // "[" path rectangle "(" x y ")" "]", and the highlight in the same picture.
        size_t i = Find(w, "TopViewWinTextureRectXY:");
        ASSERT_EQ("[", w[i]);
        const lint::Tga top = lint::ReadTga(lint::RunPath(w[i + 1]));
        ASSERT_EQ("", top.error) << block;
        i += 2;
        Rect button{}, select{};
        ASSERT_TRUE(lint::ReadRect(w, i, button)) << block;
        EXPECT_TRUE(top.Contains(button)) << block;
        const int x = std::atoi(w[i + 1].c_str()), y = std::atoi(w[i + 2].c_str());
        EXPECT_EQ("(", w[i]);
        EXPECT_EQ(")", w[i + 3]);
        EXPECT_EQ("]", w[i + 4]);
        // The button lies on the site plan of the top view (232 x 232).
        EXPECT_TRUE(x >= 0 && y >= 0 && x + button.right - button.left < 232 &&
                    y + button.bottom - button.top < 232) << block;
        i = Find(w, "TopViewSelectRect:");
        ASSERT_TRUE(lint::ReadRect(w, i, select)) << block;
        EXPECT_TRUE(top.Contains(select)) << block;
        const std::string address = w[Find(w, "Address:")];
        EXPECT_LT(address.size(), 128u) << block;
        EXPECT_EQ(0, address.compare(0, 3, "\xF3\xEB.")) << block << ": address in code page 1251";
        EXPECT_EQ(Building(b, "Cost", "txt"), w[Find(w, "CostAreaFile:")]);
    }
}

struct Flat {
    std::string name;
    double price = 0, areaA = 0, areaB = 0;
    Rect source{};
    int buttonX = 0, buttonY = 0, labelX = 0, labelY = 0;
};

// Reads the flats of one "Flats:" block from words[i] (at the opening word) on.
std::vector<Flat> ReadFlats(const std::vector<std::string>& w, size_t& i)
{
    std::vector<Flat> flats;
    for (++i; i < w.size() && w[i] != "};";) {
        Flat f;
        f.name = w[i];
        EXPECT_EQ("[", w[i + 1]);
        EXPECT_EQ("Price:", w[i + 2]);
        f.price = std::atof(w[i + 3].c_str());
        EXPECT_EQ("Area:", w[i + 4]);
        f.areaA = std::atof(w[i + 6].c_str());
        f.areaB = std::atof(w[i + 7].c_str());
        i += 10;
        EXPECT_TRUE(lint::ReadRect(w, i, f.source)) << f.name;
        EXPECT_EQ("Button:", w[i]);
        f.buttonX = std::atoi(w[i + 2].c_str());
        f.buttonY = std::atoi(w[i + 3].c_str());
        EXPECT_EQ("Label:", w[i + 5]);
        f.labelX = std::atoi(w[i + 7].c_str());
        f.labelY = std::atoi(w[i + 8].c_str());
        EXPECT_EQ("]", w[i + 10]);
        EXPECT_EQ("]", w[i + 11]);
        i += 12;
        flats.push_back(f);
    }
    ++i;
    return flats;
}

TEST(DataLint, CostAreaFilesDescribeEveryFloorAndFlat)
{
    for (int b = 1; b <= kBuildings; ++b) {
        const std::string cost = Building(b, "Cost", "txt");
        const std::vector<std::string> w = ReadWords(cost);
        ASSERT_GE(w.size(), 3u) << cost;
        EXPECT_EQ("CostArea:", w[0]);
        EXPECT_EQ("{", w[1]);
        size_t i = 2;
        std::map<std::string, lint::Tga> plans;
        for (int floor = 1; floor <= kFloors[b - 1]; ++floor) {
            ASSERT_EQ("Floor", w[i]) << cost;
            EXPECT_EQ(floor, std::atoi(w[i + 1].c_str())) << cost;
            ASSERT_EQ("FloorWinTextureRect:", w[i + 3]) << cost;
            const std::string planPath = w[i + 5];
            if (!plans.count(planPath))
                plans[planPath] = lint::ReadTga(lint::RunPath(planPath));
            const lint::Tga& plan = plans[planPath];
            ASSERT_EQ("", plan.error) << planPath;
            EXPECT_EQ(32, plan.bits) << planPath << ": the hit mask is its alpha channel";
            i += 6;
            Rect area{};
            ASSERT_TRUE(lint::ReadRect(w, i, area)) << cost;
            EXPECT_TRUE(plan.Contains(area)) << cost;
            ASSERT_EQ("]", w[i]);
            ASSERT_EQ("Flats:", w[i + 1]);
            i += 2;
            const std::vector<Flat> flats = ReadFlats(w, i);
            ASSERT_EQ(size_t(kFlatsPerFloor[b - 1]), flats.size()) << cost << " floor " << floor;
            for (size_t k = 0; k < flats.size(); ++k) {
                const Flat& f = flats[k];
                EXPECT_EQ("Flat" + std::to_string(k + 1), f.name) << cost;
                EXPECT_GT(f.price, 30000.0);
                EXPECT_GT(f.areaA, f.areaB);
                EXPECT_TRUE(plan.Contains(f.source)) << cost << " " << f.name;
                // The button lies inside the floor-plan window; its label inside the button.
                const int width = f.source.right - f.source.left + 1;
                const int height = f.source.bottom - f.source.top + 1;
                EXPECT_TRUE(f.buttonX >= 0 && f.buttonY >= 0 &&
                            f.buttonX + width <= area.right - area.left + 1 &&
                            f.buttonY + height <= area.bottom - area.top + 1) << cost << " " << f.name;
                EXPECT_TRUE(f.labelX >= 0 && f.labelY >= 4 && f.labelX < width && f.labelY < height)
                    << cost << " " << f.name;
                // The hit mask holds the flat: opaque where its label stands.
                EXPECT_NE(0u, plan.At(f.source.left + f.labelX, f.source.top + f.labelY) >> 24)
                    << cost << " " << f.name;
            }
            ASSERT_EQ("};", w[i]) << cost;
            ++i;
        }
        EXPECT_EQ("};", w[i]) << cost;
        EXPECT_EQ(i + 1, w.size()) << cost;
    }
}

TEST(DataLint, FlatMasksDoNotOverlap)
{
    // Where two flats' buttons overlap, at most one of them may be opaque: a click hits one flat.
    for (int b = 1; b <= kBuildings; ++b) {
        const std::vector<std::string> w = ReadWords(Building(b, "Cost", "txt"));
        size_t i = 2 + 6;
        Rect area{};
        ASSERT_TRUE(lint::ReadRect(w, i, area));
        i += 2;
        const std::vector<Flat> flats = ReadFlats(w, i);
        const lint::Tga plan = lint::ReadTga(lint::RunPath(Building(b, "Plan", "tga")));
        ASSERT_EQ("", plan.error);
        std::vector<int> owner(size_t(area.right + 1) * (area.bottom + 1), 0);
        for (size_t k = 0; k < flats.size(); ++k) {
            const Flat& f = flats[k];
            for (int y = f.source.top; y <= f.source.bottom; ++y)
                for (int x = f.source.left; x <= f.source.right; ++x) {
                    if ((plan.At(x, y) >> 24) == 0)
                        continue;
                    int& o = owner[size_t(f.buttonY + y - f.source.top) * (area.right + 1) +
                                   f.buttonX + x - f.source.left];
                    EXPECT_EQ(0, o) << "building " << b << ": flats " << o << " and " << k + 1;
                    o = int(k + 1);
                }
        }
    }
}

TEST(DataLint, GoldenFlatOfBuildingOneFloorOne)
{
    const std::vector<std::string> w = ReadWords(Building(1, "Cost", "txt"));
    size_t i = Find(w, "Flats:");
    const std::vector<Flat> flats = ReadFlats(w, i);
    ASSERT_FALSE(flats.empty());
    EXPECT_EQ("Flat1", flats[0].name);
    EXPECT_DOUBLE_EQ(45000.50, flats[0].price);
    EXPECT_DOUBLE_EQ(61.50, flats[0].areaA);
    EXPECT_DOUBLE_EQ(34.20, flats[0].areaB);
}

TEST(DataLint, ColumnPicturesHoldTheirRectangles)
{
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
    const std::vector<std::string> v = ReadWords("Presentations\\KestrelVale\\ColumnVariables.txt");
    const lint::Tga housing = lint::ReadTga(lint::RunPath("Textures\\KestrelVale\\Housing.tga"));
    ASSERT_EQ("", housing.error);
    for (const char* key : {"TopViewWinRect:", "FloorNumberRect:", "SelFloorNumberRect:"}) {
        size_t i = Find(v, key);
        Rect r{};
        ASSERT_TRUE(lint::ReadRect(v, i, r)) << key;
        EXPECT_TRUE(housing.Contains(r)) << key;
        EXPECT_LE(r.right - r.left + 1, 240) << key << ": fits the column";
    }
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
