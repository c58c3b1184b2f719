#include "tests/input/InputFixture.h"

#include <string>

namespace inputtest {
namespace {

class TextInputTest : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        Bind(letterHandler, DIK_A, KEY_ON_PRESS, letterHits);
        Bind(enterHandler, DIK_RETURN, KEY_ON_PRESS, enterHits);
        table.Fill(&letterHandler, &enterHandler);
        gInput.PushTable(&table);
        gInput.BeginTextInput();
    }

    // The characters of frames with these keys down, one frame each.
    std::string Type(std::initializer_list<std::initializer_list<uint8_t>> frames,
                     float step = 0.01f)
    {
        std::string typed;
        for (auto keys : frames) {
            KeyFrame(keys, step);
            if (gInput.character)
                typed += char(gInput.character);
        }
        return typed;
    }

    CKeyHandler letterHandler, enterHandler;
    Counter letterHits, enterHits;
    CKeyTable table;
};

TEST_F(TextInputTest, KeysBecomeCharactersOfTheLayout)
{
    EXPECT_EQ("a", Type({{DIK_A}, {}}));
    EXPECT_EQ("q1 /", Type({{DIK_Q}, {}, {DIK_1}, {}, {DIK_SPACE}, {}, {DIK_SLASH}, {}}));
    SetSystemKeys({VK_SHIFT, VK_LSHIFT}, false);
    EXPECT_EQ("A!", Type({{DIK_A, DIK_LSHIFT}, {DIK_LSHIFT}, {DIK_1, DIK_LSHIFT}, {}}));
}

TEST_F(TextInputTest, NoKeyHandlerRunsWhileACharacterKeyIsDown)
{
    Type({{DIK_A}, {DIK_A}, {DIK_A, DIK_RETURN}, {}});
    EXPECT_EQ(0, letterHits.hits);
    EXPECT_EQ(0, enterHits.hits);
    EXPECT_EQ(0, gInput.charProduced);

    Type({{DIK_RETURN}, {}});  // not a character: the handlers run
    EXPECT_EQ(1, enterHits.hits);

    gInput.textMode = 0;
    EXPECT_EQ("", Type({{DIK_A}, {}}));
    EXPECT_EQ(1, letterHits.hits);
}

TEST_F(TextInputTest, AHeldKeyRepeatsAfterSevenTenthsThenEveryFiftieth)
{
    constexpr float step = 1.0f / 128;
    std::vector<int> typed;
    for (int i = 0; i < 90 + 64; ++i) {
        KeyFrame({DIK_K}, step);
        EXPECT_EQ(1, gInput.charProduced);  // also while held back
        if (gInput.character)
            typed.push_back(i);
    }
    ASSERT_GE(typed.size(), 2u);
    EXPECT_EQ(0, typed[0]);
    EXPECT_EQ(89, typed[1]);  // 90 / 128 = 0.703 s
    // The half second after that: one character every 0.05 s.
    EXPECT_NEAR(10, int(typed.size()) - 2, 1);
    EXPECT_EQ(0, letterHits.hits + enterHits.hits);

    KeyFrame({}, step);
    EXPECT_EQ(0.0f, gInput.charRepeatInterval);
    KeyFrame({DIK_K}, step);
    EXPECT_EQ('k', gInput.character);
}

TEST_F(TextInputTest, OverlappingKeystrokesAreNeitherLostNorRepeated)
{
    // Fast typing: the next key goes down before the last one is up.
    EXPECT_EQ("ab", Type({{DIK_A}, {DIK_A, DIK_B}, {DIK_B}, {}}));
    // Within one row a higher key pressed first, then a lower one, and back.
    EXPECT_EQ("wq", Type({{DIK_W}, {DIK_W, DIK_Q}, {DIK_W, DIK_Q}, {DIK_W}, {}}));
    EXPECT_EQ("qw", Type({{DIK_Q}, {DIK_Q, DIK_W}, {DIK_W}, {}}));
    // The key still held after the newer one went up does not start typing again (and
    // still keeps the handlers out).
    EXPECT_EQ("ab", Type({{DIK_A}, {DIK_A, DIK_B}, {DIK_A}, {DIK_A}, {DIK_A, DIK_RETURN}, {}}));
    EXPECT_EQ(0, letterHits.hits + enterHits.hits);
    // Held from before text input began: not typed.
    gInput.textMode = 0;
    Type({{DIK_C}});
    gInput.BeginTextInput();
    EXPECT_EQ("", Type({{DIK_C}, {DIK_C}, {}}));
}

TEST_F(TextInputTest, NumericPadFollowsNumLock)
{
    // NUM LOCK off: the digits type nothing, minus and plus still do.
    EXPECT_EQ("-+", Type({{DIK_NUMPAD7}, {}, {DIK_NUMPAD0}, {}, {DIK_SUBTRACT}, {},
                          {DIK_ADD}, {}}));
    SetSystemKeys({}, true);
    EXPECT_EQ("7951830.", Type({{DIK_NUMPAD7}, {}, {DIK_NUMPAD9}, {}, {DIK_NUMPAD5}, {},
                                {DIK_NUMPAD1}, {}, {DIK_NUMPAD8}, {}, {DIK_NUMPAD3}, {},
                                {DIK_NUMPAD0}, {}, {DIK_DECIMAL}, {}}));
    // A layout key wins over the pad in the same frame.
    EXPECT_EQ("x", Type({{DIK_NUMPAD4, DIK_X}, {}}));
}

} // namespace
} // namespace inputtest
