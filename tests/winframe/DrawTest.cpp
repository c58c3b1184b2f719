// Windows, buttons and labels on the read-back picture: skin pictures, pressed buttons and
// their frames, captions and label texts, check marks and overlays, clip rects, the draw
// callbacks, hover colours and hit masks.
#include "tests/winframe/DrawFixture.h"

#include "core/FrameTimer.h"
#include "gui/Label.h"
#include "gui/MyButton.h"

namespace winframe {
namespace {

// Sample skin pieces (inclusive rectangles): the up and down arrows side by side, a plain
// button face, a framed piece with a cross, a framed panel.
constexpr RECT UP_ARROW{116, 0, 135, 12};
constexpr RECT DOWN_ARROW{136, 0, 155, 12};
constexpr RECT FACE{156, 0, 175, 9};
constexpr RECT CROSS{176, 0, 189, 13};
constexpr RECT PANEL{16, 37, 56, 93};

constexpr uint32_t SHOWN = WIN_ACTIVE | WIN_VISIBLE | WIN_NOBLEND;

// Text is drawn yellow; the skin and the background are grey and blue. Glyph pixels may be
// blended with their neighbours, so only the hue is asked for.
constexpr D3DCOLOR TEXT_COLOUR = 0xFFFFFF00;
bool Yellowish(D3DCOLOR c)
{
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return r > b + 24 && g > b + 16;
}

CMyButton* SkinButton(int x, int y, const RECT& r, WinFn onClick = OnClick)
{
    CMyButton* button = gWinSuperior.AddButton(x, y, -1, -1, onClick, gWinSuperior.skin, r.left,
                                               r.top, r.right, r.bottom, 0, SHOWN);
    Name(button, "button");
    return button;
}

std::string Str(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom);
}

TEST_F(DrawTest, AButtonSinksWhilePressedAndStepsItsFrameWhenClicked)
{
    CMyButton* button = SkinButton(40, 30, UP_ARROW);
    EXPECT_EQ(uint32_t(KEY_ON_RELEASE), button->triggerMode);
    button->SetFrames(2);
    CBaseWin* child = Win("child", 45, 35, 5, 5);
    button->AddChilds(child, nullptr);

    Frame(5, 5);
    DrawFrame();
    EXPECT_EQ("40,30,59,42", Str(DrawnBox()));
    EXPECT_EQ(0, SkinMismatches(40, 30, 116, 0, 20, 13));
    EXPECT_GT(SkinMismatches(40, 30, 136, 0, 20, 13), 0);  // not the other frame

    Frame(50, 35, MOUSE_LEFT);
    DrawFrame();
    EXPECT_EQ("41,31,60,43", Str(DrawnBox()));
    EXPECT_EQ(0, SkinMismatches(41, 31, 116, 0, 20, 13));
    EXPECT_EQ(46, child->left);
    EXPECT_EQ(36, child->top);
    Frame(50, 35, MOUSE_LEFT);
    DrawFrame();
    EXPECT_EQ(46, child->left);  // moved once

    Frame(50, 35);
    EXPECT_EQ("click:button ", Take());
    DrawFrame();
    EXPECT_EQ("40,30,59,42", Str(DrawnBox()));
    EXPECT_EQ(0, SkinMismatches(40, 30, 136, 0, 20, 13));  // the second frame
    EXPECT_GT(SkinMismatches(40, 30, 116, 0, 20, 13), 0);
    EXPECT_EQ(45, child->left);
    EXPECT_EQ(35, child->top);

    Frame(50, 35, MOUSE_LEFT);
    DrawFrame();
    EXPECT_EQ(46, child->left);
    Frame(5, 5, MOUSE_LEFT);  // held, but no longer on the button
    DrawFrame();
    EXPECT_EQ(45, child->left);
    EXPECT_EQ("40,30,59,42", Str(DrawnBox()));
    Frame(5, 5);
    EXPECT_EQ("", Take());

    Click(50, 35);  // after the last frame the first one again
    DrawFrame();
    EXPECT_EQ(0, SkinMismatches(40, 30, 116, 0, 20, 13));
}

TEST_F(DrawTest, TheCombinedPassDrawsWhatThisFramesMouseDid)
{
    CMyButton* button = SkinButton(40, 30, FACE);
    ProcessAndDrawFrame(50, 35, MOUSE_LEFT);
    EXPECT_EQ(button, gWinSuperior.pWinUnderMouse);
    EXPECT_EQ("41,31,60,40", Str(DrawnBox()));
    ProcessAndDrawFrame(50, 35, 0);
    EXPECT_EQ("click:button ", Take());
    EXPECT_EQ("40,30,59,39", Str(DrawnBox()));
    EXPECT_EQ(0, SkinMismatches(40, 30, 156, 0, 20, 10));
}

// Held on its press frame, then carried: the carried button is drawn raised.
TEST_F(DrawTest, ADraggedButtonDrawsUnpressedAfterThePressFrame)
{
    CMyButton* button = SkinButton(40, 30, FACE);
    button->flags |= WIN_DRAGGABLE;
    Frame(50, 35, MOUSE_LEFT);
    EXPECT_EQ(1, gWinSuperior.dragging);
    DrawFrame();
    EXPECT_EQ("41,31,60,40", Str(DrawnBox()));
    Frame(80, 55, MOUSE_LEFT);
    DrawFrame();
    EXPECT_EQ("70,50,89,59", Str(DrawnBox()));
    EXPECT_EQ(0, SkinMismatches(70, 50, 156, 0, 20, 10));
    Frame(80, 55);
    EXPECT_EQ("", Take());  // the release that ends the drag is no click
}

TEST_F(DrawTest, AButtonCaptionIsDrawnOnItAndSinksWithIt)
{
    CMyButton* button = SkinButton(60, 60, PANEL);
    button->SetCaption("OK", &gGraphics.fonts[0], TEXT_COLOUR, 8, 12);
    Frame(5, 5);
    DrawFrame();
    RECT text;
    ASSERT_TRUE(Box(Yellowish, &text));
    EXPECT_GE(text.left, 60 + 8 - 1);
    EXPECT_GE(text.top, 60 + 12 - 3 - 1);
    EXPECT_LE(text.right, 100);
    EXPECT_LE(text.bottom, 116);

    Frame(80, 80, MOUSE_LEFT);
    DrawFrame();
    RECT sunk;
    ASSERT_TRUE(Box(Yellowish, &sunk));
    EXPECT_EQ(text.left + 1, sunk.left);
    EXPECT_EQ(text.top + 1, sunk.top);
}

TEST_F(DrawTest, ALabelDrawsItsTextAndNoPicture)
{
    CLabel* label = gWinSuperior.AddLabel(20, 100, &gGraphics.fonts[0], "Label", TEXT_COLOUR,
                                          WIN_VISIBLE);
    EXPECT_EQ(TEXT_COLOUR, label->hoverColor);
    DrawFrame();
    RECT text;
    ASSERT_TRUE(Box(Yellowish, &text));
    EXPECT_GE(text.left, 20 - 1);  // glyphs may overhang their cell by a pixel
    EXPECT_GE(text.top, 97 - 1);
    EXPECT_LE(text.bottom, 140);

    label->SetTextOffset(30, 10);
    label->SetTexture(gWinSuperior.skin);
    label->SetTexRectLTRB(FACE.left, FACE.top, FACE.right, FACE.bottom);
    DrawFrame();
    RECT moved;
    ASSERT_TRUE(Box(Yellowish, &moved));
    EXPECT_EQ(text.left + 30, moved.left);
    EXPECT_EQ(text.top + 10, moved.top);
    EXPECT_EQ(0, Marked(0, 0, 45, 105));  // no picture at the label's corner

    label->SetText("");
    DrawFrame();
    EXPECT_EQ(0, Marked(0, 0, image.width - 1, image.height - 1));
    label->SetText("Label");
    label->font = nullptr;
    DrawFrame();
    EXPECT_EQ(0, Marked(0, 0, image.width - 1, image.height - 1));
}

TEST_F(DrawTest, APlainWindowDrawsItsPictureOverlayAndCheckMark)
{
    CBaseWin* win = SkinWin("box", 100, 100, FACE.left, FACE.top, FACE.right, FACE.bottom);
    win->MakeToggle(2, 1);
    win->SetOverlay(30, 0, CROSS.left, CROSS.top, CROSS.right, CROSS.bottom);
    CBaseWin* bare = Win("bare", 10, 10, 50, 50);
    bare->SetCaption("Hidden", &gGraphics.fonts[0], 0xFFFFFFFF, 0, 5);
    bare->MakeToggle(0, 0);

    Frame(5, 5);
    DrawFrame();
    EXPECT_EQ(0, SkinMismatches(110, 100, 166, 0, 10, 10));  // the face beside the mark
    EXPECT_EQ(0, SkinMismatches(102, 101, 191, 1, 8, 8));    // toggled mark
    EXPECT_EQ(0, SkinMismatches(130, 100, 176, 0, 14, 14));  // overlay
    EXPECT_EQ(0, Marked(0, 0, 90, 90));  // without texture nothing at all

    Click(105, 105);
    EXPECT_EQ(0, win->IsToggled());
    DrawFrame();
    EXPECT_EQ(0, SkinMismatches(102, 101, 200, 1, 8, 8));
}

D3DVIEWPORT9 gClipSeen;
void RecordViewport() { Device3D->GetViewport(&gClipSeen); }

TEST_F(DrawTest, AClipRectClipsTheScrolledWindowsAfterItOnly)
{
    CBaseWin* container = SkinWin("container", 200, 10, 0, 0, 15, 36);
    container->SetClipRect(0, 0, 29, 9);
    CBaseWin* scrolled = SkinWin("scrolled", 220, 12, FACE.left, FACE.top, FACE.right,
                                 FACE.bottom, WIN_SCROLLED);
    scrolled->fnOnPostDraw = RecordViewport;
    SkinWin("next", 220, 30, FACE.left, FACE.top, FACE.right, FACE.bottom);
    SkinWin("later", 260, 12, FACE.left, FACE.top, FACE.right, FACE.bottom, WIN_SCROLLED);
    DrawFrame();
    EXPECT_EQ(0, SkinMismatches(200, 10, 0, 0, 16, 37));  // itself unclipped
    EXPECT_EQ(0, SkinMismatches(220, 12, 156, 0, 10, 8));
    EXPECT_EQ(0, Marked(230, 12, 239, 21));
    EXPECT_EQ(0, Marked(220, 20, 229, 21));
    EXPECT_EQ(200u, gClipSeen.X);
    EXPECT_EQ(10u, gClipSeen.Y);
    EXPECT_EQ(30u, gClipSeen.Width);
    EXPECT_EQ(10u, gClipSeen.Height);
    EXPECT_EQ(0, SkinMismatches(220, 30, 156, 0, 20, 10));
    // After a window without the flag the clip is over for good.
    EXPECT_EQ(0, SkinMismatches(260, 12, 156, 0, 20, 10));
    EXPECT_EQ(gGraphics.defaultViewport.Width, gGraphics.viewport.Width);
    EXPECT_EQ(nullptr, gWinSuperior.clipWin);

    container->MoveTo(-20, -5);  // a clip reaching off the screen is cut to it
    DrawFrame();
    EXPECT_EQ(0, Marked(220, 12, 239, 21));
    EXPECT_EQ(0u, gClipSeen.X);
    EXPECT_EQ(0u, gClipSeen.Y);
    EXPECT_EQ(10u, gClipSeen.Width);
    EXPECT_EQ(5u, gClipSeen.Height);
    EXPECT_EQ(0, SkinMismatches(220, 30, 156, 0, 20, 10));
}

TEST_F(DrawTest, ScrollButtonsShowTheirArrowsAndScrollTheRows)
{
    CBaseWin* panel = SkinWin("panel", 100, 100, PANEL.left, PANEL.top, PANEL.right, PANEL.bottom);
    CBaseWin* row = Win("row", 105, 110, 10, 10, 0, WIN_SCROLLED);
    panel->AddChilds(row, nullptr);
    panel->MakeScrollButtons(45, 0, 40, 20, 13, UP_ARROW.left, UP_ARROW.top, 8);
    Frame(5, 5);
    DrawFrame();
    EXPECT_EQ(0, SkinMismatches(145, 100, UP_ARROW.left, 0, 20, 13));
    EXPECT_EQ(0, SkinMismatches(145, 140, DOWN_ARROW.left, 0, 20, 13));
    Click(150, 145);
    EXPECT_EQ(102, row->top);
    Frame(5, 5, 0, 0.5f);  // no double click
    Click(150, 105);
    EXPECT_EQ(110, row->top);
}

CBaseWin* gVictim = nullptr;
void OnPreDraw()
{
    gTrace += "pre:" + std::string(gWinSuperior.pWinCurrent == gVictim ? "victim" : "other");
    gTrace += " ";
}
void DeleteVictim() { gWinSuperior.DeleteWin(&gVictim); }

TEST_F(DrawTest, DrawCallbacksRunForVisibleWindowsWhichMayDeleteWindows)
{
    CBaseWin* first = SkinWin("first", 10, 10, FACE.left, FACE.top, FACE.right, FACE.bottom);
    gVictim = SkinWin("victim", 10, 30, FACE.left, FACE.top, FACE.right, FACE.bottom);
    CBaseWin* hidden = Win("hidden", 10, 50, 10, 10);
    hidden->Hide(0);
    for (CBaseWin* w : {first, gVictim, hidden})
        w->SetDrawCallbacks(OnPreDraw, nullptr);
    gVictim->fnOnPostDraw = DeleteVictim;
    gVictim->SetHint("tip");
    Frame(15, 35);
    DrawFrame();
    EXPECT_EQ("pre:other pre:victim ", Take());
    EXPECT_EQ(nullptr, gVictim);
    EXPECT_EQ(0, gWinSuperior.hintPending);  // its hint went with it
    EXPECT_EQ(0, SkinMismatches(10, 30, 156, 0, 20, 10));  // drawn before it went

    first->SetHint("tip");
    Frame(15, 15);
    DrawFrame();
    EXPECT_EQ(1, gWinSuperior.hintPending);
    first->fnOnPreDraw = DeleteVictim;  // a later window deleted before it is drawn
    gVictim = SkinWin("victim", 10, 30, FACE.left, FACE.top, FACE.right, FACE.bottom);
    DrawFrame();
    EXPECT_EQ(nullptr, gVictim);
    EXPECT_EQ(0, Marked(10, 30, 29, 39));
}

// Shown by a pre-draw callback while the pass walks an array with a hole: the windows after
// the caller are still drawn in that pass.
TEST_F(DrawTest, AModalWindowShownBeforeItsCallerIsDrawnLeavesTheLaterWindowsTheirTurn)
{
    CBaseWin* hole = Win("hole", 0, 0, 10, 10);
    CBaseWin* caller = Win("caller", 200, 0, 10, 10);
    CBaseWin* after = SkinWin("after", 10, 30, FACE.left, FACE.top, FACE.right, FACE.bottom);
    gModal = Win("modal", 300, 0, 10, 10, KEY_ON_RELEASE, WIN_PUSHER);
    gModal->Hide(0);
    Frame(5, 5);  // sorted: the array keeps its order from here on
    gWinSuperior.DeleteWin(&hole);
    caller->fnOnPreDraw = ShowModal;
    after->fnOnPreDraw = OnFrame;
    DrawFrame();
    EXPECT_EQ("frame:after ", Take());
    EXPECT_EQ(0, SkinMismatches(10, 30, FACE.left, FACE.top, 20, 10));
}

TEST_F(DrawTest, HoverColoursMoveWhileTheWindowIsUnderTheMouse)
{
    CBaseWin* win = SkinWin("w", 10, 10, FACE.left, FACE.top, FACE.right, FACE.bottom);
    win->SetHoverColours(0xFF000000, 0.25f, 0xFFFFFFFF, 0.25f);
    Frame(15, 15, 0, 0.125f);
    DrawFrame();
    EXPECT_EQ(0xFF7F7F7Fu, win->color);
    DrawFrame();
    EXPECT_EQ(0xFFFFFFFFu, win->color);
    Frame(100, 100, 0, 0.125f);
    DrawFrame();
    EXPECT_EQ(0xFF7F7F7Fu, win->color);
    win->flags &= ~WIN_ACTIVE;  // a disabled window keeps its colour
    DrawFrame();
    EXPECT_EQ(0xFF7F7F7Fu, win->color);
}

TEST_F(DrawTest, AHitMaskLetsTheMouseThroughItsColdTexels)
{
    IDirect3DTexture9* texture = MakeTexture(8, 4, 0xFFFFFFFF);
    ASSERT_NE(nullptr, texture);
    uint8_t mask[8 * 4] = {};
    mask[1 * 8 + 2] = 1;  // texel (2, 1)
    Win("below", 0, 0, 100, 100);
    CBaseWin* masked =
        gWinSuperior.AddWin(10, 10, 8, 4, nullptr, texture, 0, 0, 7, 3, 0, SHOWN);
    Name(masked, "masked");
    masked->SetHitMask(mask);
    Frame(12, 11);
    EXPECT_EQ("masked", UnderMouse());
    Frame(13, 11);
    EXPECT_EQ("below", UnderMouse());
    masked->SetHitMask(nullptr);
    Frame(13, 11);
    EXPECT_EQ("masked", UnderMouse());
}

} // namespace
} // namespace winframe
