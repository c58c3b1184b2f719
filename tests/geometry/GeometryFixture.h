#pragma once
// A created engine whose unit registry is sized by a real "UnitInspector" section, with
// every message recorded; script snippets are written into a fresh folder and read by the
// real script reader. Fakes stand in for the animation and texture containers where a
// test needs to see what is asked of them.

#include "engine/AnimContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/TexContainer.h"
#include "scene/Geometry.h"
#include "tests/support/FakeTexContainer.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace geometrytest {

// Knows animations by name; holds no records, so nothing can play.
class FakeAnimContainer : public IAnimContainer {
public:
    CEngineAnimFile* GetAnimFile(uint16_t) override { return nullptr; }
    CEngineAnimFile* FindAnimFile(const char*) override { return nullptr; }
    uint16_t FindAnimFileIndex(const char* name) override;
    CAnimFile* GetAnimData(uint16_t) override { return nullptr; }
    uint16_t LoadAnimFile(const char* path, uint32_t loadFlags, int presentation) override;
    void FreeAnimFile(uint16_t) override {}

    std::map<std::string, uint16_t> names;
    std::vector<std::string> loaded;  // paths asked for, with their load flags
    std::vector<uint32_t> loadFlags;
};

class UnitTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Reads a script (the registry section is prepended) through the script reader.
    void RunScript(const std::string& text);
    // Writes text to a file of the folder and opens it for reading (closed at tear-down).
    FILE* Open(const std::string& text);
    std::string Dir() const { return dir_; }
    // A registered unit of a class declared by a script.
    CAtom* Create(const char* className);
    CGeometry* CreateGeometry(const char* className);
    size_t Count(const std::string& part) const;
    void UseFakeAnimations();
    void UseFakeTextures();

    test::MessageRecorder messages;
    FakeAnimContainer anims;
    test::FakeTexContainer textures;

private:
    std::string dir_;
    std::vector<FILE*> files_;
    IAnimContainer* savedAnims_ = nullptr;
    ITexContainer* savedTextures_ = nullptr;
    int scripts_ = 0;
};

// The registry section every script of these tests starts with.
extern const char* const REGISTRY_SECTION;

} // namespace geometrytest
