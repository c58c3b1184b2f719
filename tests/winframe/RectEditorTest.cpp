// The rectangle editor: its handle picture, the handles' marks and dragging a handle.
#include "tests/winframe/DrawFixture.h"

#include "core/Graphics.h"
#include "gui/RectEditor.h"

namespace winframe {
namespace {

RECT gReported;
int gReports = 0;
void OnChange(RECT* r)
{
    gReported = *r;
    ++gReports;
}

std::string Str(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom);
}

TEST_F(DrawTest, TheHandleTextureHoldsThePlainAndTheFramedMark)
{
    ASSERT_NE(nullptr, gRectHandleTexture);
    D3DSURFACE_DESC desc;
    gRectHandleTexture->GetLevelDesc(0, &desc);
    EXPECT_EQ(32u, desc.Width);
    EXPECT_EQ(16u, desc.Height);
    EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(D3D_OK, gRectHandleTexture->LockRect(0, &lr, nullptr, D3DLOCK_READONLY));
    auto at = [&](int x, int y) {
        return static_cast<const D3DCOLOR*>(lr.pBits)[y * lr.Pitch / 4 + x];
    };
    std::string plain, framed;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            plain += at(x, y) ? '#' : '.';
            framed += at(9 + x, y) ? '#' : '.';
        }
    EXPECT_EQ(0u, at(20, 4));
    EXPECT_EQ(0xFFFFFFFFu, at(4, 4));
    gRectHandleTexture->UnlockRect(0);
    EXPECT_EQ(".........", plain.substr(0, 9));
    EXPECT_EQ("..#####..", plain.substr(18, 9));
    EXPECT_EQ("..#####..", plain.substr(54, 9));
    EXPECT_EQ(".........", plain.substr(63, 9));
    EXPECT_EQ("#########", framed.substr(0, 9));
    EXPECT_EQ("#.#####.#", framed.substr(36, 9));
    EXPECT_EQ("#.......#", framed.substr(9, 9));
    EXPECT_EQ("#########", framed.substr(72, 9));
}

TEST_F(DrawTest, DraggingTheSecondHandleMovesTheRectangleCorner)
{
    gReports = 0;
    CRectEditor editor;
    editor.Create(0xBBFFFFFF, 0xFFFFFFFF, OnChange);
    editor.SetRect(RECT{100, 100, 200, 150});
    editor.Show();
    CBaseWin* second = editor.handles[1];
    EXPECT_EQ(196, second->left);
    EXPECT_EQ(146, second->top);
    EXPECT_EQ(96, editor.handles[0]->left);

    Frame(5, 5);
    EXPECT_EQ(0, second->sourceRect.left);  // plain mark
    Frame(198, 148);
    EXPECT_EQ(9, second->sourceRect.left);  // framed mark under the mouse
    EXPECT_EQ(0, gReports);
    Frame(198, 148, MOUSE_LEFT);
    Frame(203, 150, MOUSE_LEFT);
    Frame(208, 153, MOUSE_LEFT);
    EXPECT_EQ("100,100,210,155", Str(gReported));
    EXPECT_EQ("100,100,210,155", Str(editor.rect));
    Frame(208, 153);
    EXPECT_EQ(206, second->left);
    Frame(300, 5);
    EXPECT_EQ(0, second->sourceRect.left);

    DrawFrame();
    EXPECT_GT(Marked(206, 151, 214, 159), 0);  // the handle
    EXPECT_GT(Marked(96, 96, 104, 104), 0);
    gGraphics.BeginScene();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET, BACKGROUND, 1.0f, 0);
    editor.Draw();
    gGraphics.EndScene();
    ASSERT_TRUE(test::ReadBackBuffer(image));
    EXPECT_GT(Marked(150, 100, 150, 100), 0);  // the outline's top edge
    EXPECT_GT(Marked(210, 130, 210, 130), 0);  // its right edge
    EXPECT_EQ(0, Marked(150, 130, 150, 130));

    editor.Hide();
    EXPECT_FALSE(second->flags & WIN_VISIBLE);
    editor.DeleteHandles();
    EXPECT_EQ(nullptr, editor.handles[0]);
    EXPECT_EQ(nullptr, editor.handles[1]);
}

} // namespace
} // namespace winframe
