// The skin loaded at start-up on a real device, its fallbacks, and hit masks against a
// real texture.
#include "WinFixture.h"

#include "core/Graphics.h"
#include "core/Input.h"

#include <windows.h>

namespace {

const char kNoSkin[] = "CWinSuperior::Init Error: \n\n   Can`t create texture from "
                       "'System/Diags.bmp' or 'System/WinElems.tga'";

UINT Width(IDirect3DTexture9* tex)
{
    D3DSURFACE_DESC desc{};
    tex->GetLevelDesc(0, &desc);
    return desc.Width;
}

// Runs Init with the files of another folder as current directory.
void InitIn(const std::string& dir)
{
    char old[MAX_PATH];
    GetCurrentDirectoryA(sizeof old, old);
    SetCurrentDirectoryA(dir.c_str());
    gWinSuperior.Init();
    SetCurrentDirectoryA(old);
}

class SkinTest : public WinTest {
protected:
    void SetUp() override
    {
        WinTest::SetUp();
        ASSERT_EQ(1, program.Start(test::RunDir())) << messages->Joined();
    }
    void TearDown() override
    {
        program.Stop();
        WinTest::TearDown();
    }
    test::Program program;
};

} // namespace

TEST_F(SkinTest, TheSampleStartsWithItsSkinAndFallsBackInOrder)
{
    EXPECT_EQ(0u, messages->Count()) << messages->Joined();
    ASSERT_NE(nullptr, gWinSuperior.skin);
    EXPECT_EQ(256u, Width(gWinSuperior.skin));  // System/WinElems.tga
    EXPECT_EQ(191, gWinSuperior.checkRects[0].left);
    EXPECT_EQ(208, gWinSuperior.checkRects[1].right);

    const std::string dir = test::TempDir("skin");
    CreateDirectoryA((dir + "\\System").c_str(), nullptr);
    test::WriteFile(dir + "\\System\\HintTexture.bmp",  // only the skin is missing
                    test::ReadFile(test::RunDir() + "\\System\\HintTexture.bmp"));
    InitIn(dir);
    ASSERT_EQ(1u, messages->Count());
    EXPECT_EQ(kNoSkin, messages->Texts()[0]);
    EXPECT_EQ(nullptr, gWinSuperior.skin);
    EXPECT_NE(nullptr, Win());  // work goes on without a skin

    test::Image picture;
    picture.width = 48;
    picture.height = 16;
    picture.pixels.assign(48 * 16, 0xFF336699);
    ASSERT_TRUE(test::SaveBmp(picture, dir + "\\System\\Diags.bmp"));
    test::WriteFile(dir + "\\System\\WinElems.tga",
                    test::ReadFile(test::RunDir() + "\\System\\WinElems.tga"));
    InitIn(dir);  // the BMP comes first
    ASSERT_NE(nullptr, gWinSuperior.skin);
    EXPECT_EQ(48u, Width(gWinSuperior.skin));
    EXPECT_EQ(1u, messages->Count());

    InitIn(test::RunDir());
    EXPECT_EQ(256u, Width(gWinSuperior.skin));
}

TEST_F(SkinTest, HitMasksAreReadAtTheTexelUnderTheMouse)
{
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(D3D_OK, Device3D->CreateTexture(8, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                              &tex, nullptr));
    uint8_t mask[8 * 4] = {};
    mask[2 * 8 + 5] = 1;  // texel (5, 2)
    CBaseWin* win = gWinSuperior.AddWin(100, 200, 4, 2, nullptr, tex, 3, 1, 6, 2, 0, 0);
    EXPECT_TRUE(win->HitTestPixel());  // no mask: the whole rectangle is hot
    win->SetHitMask(mask);

    const int oldX = gInput.mouseX, oldY = gInput.mouseY;
    gInput.mouseX = 102;
    gInput.mouseY = 201;
    EXPECT_TRUE(win->HitTestPixel());
    gInput.mouseX = 101;
    EXPECT_FALSE(win->HitTestPixel());
    gInput.mouseX = 90;  // outside the texture
    EXPECT_FALSE(win->HitTestPixel());
    gInput.mouseX = oldX;
    gInput.mouseY = oldY;
    win->SetTexture(nullptr);
    EXPECT_FALSE(win->HitTestPixel());
    gWinSuperior.DeleteWin(&win);
    tex->Release();
}
