#include "tests/scripts/ScriptFiles.h"

#include "core/Scanner.h"
#include "engine/ResourceScan.h"

#include <gtest/gtest.h>

namespace {

using scripts::TextFile;

TEST(ResourceScan, VertexFormatList)
{
    test::MessageRecorder messages;
    TextFile file("fvf", "[ xyz normal uv0 ] [ xyzw diffuse specular uv1 bone weight ] []");
    EXPECT_EQ(0x112u, ScanFVF(file));
    EXPECT_EQ(0x4u | 0x40 | 0x80 | 0x200 | 0x1000 | 0x8, ScanFVF(file));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(ResourceScan, UnknownVertexFormatWordGivesZeroAndKeepsThePlace)
{
    test::MessageRecorder messages;
    TextFile file("fvfbad", "[ xyz bogus normal odd ]\nNext");
    EXPECT_EQ(0u, ScanFVF(file));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Undefine FVF 'bogus'", messages.Texts()[0]);
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    EXPECT_STREQ("Next", word);
}

} // namespace
