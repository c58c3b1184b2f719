// Start of the window manager once the device exists: the skin texture and the check-mark
// rectangles in it, the tooltip's texture and font, the shared row editor, the edit key
// table; and the release of its device objects before the device goes.
#include "gui/WinSuperior.h"

#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Textures.h"

#include <d3dx9.h>

namespace {

const char DIAGS_SKIN[] = "System/Diags.bmp";
const char ELEMS_SKIN[] = "System/WinElems.tga";

IDirect3DTexture9* LoadDiagsSkin()
{
    IDirect3DTexture9* tex = nullptr;
    if (!Device3D)
        return nullptr;
    if (FAILED(D3DXCreateTextureFromFileExA(Device3D, DIAGS_SKIN, D3DX_DEFAULT_NONPOW2,
                                            D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_A8R8G8B8,
                                            D3DPOOL_DEFAULT, D3DX_FILTER_NONE,
                                            D3DX_FILTER_NONE, 0, nullptr, nullptr, &tex)))
        return nullptr;
    return tex;
}

} // namespace

// A second start in the same process lets go of the skin of the first.
void CWinSuperior::Init()
{
    ReleaseAndClear(skin);
    skin = LoadDiagsSkin();
    if (!skin)
        skin = LoadTexture(ELEMS_SKIN);
    if (!skin)
        MsgBox("CWinSuperior::Init Error: \n\n   Can`t create texture from "
               "'System/Diags.bmp' or 'System/WinElems.tga'");
    checkRects[0] = RECT{191, 1, 199, 9};
    checkRects[1] = RECT{200, 1, 208, 9};
    InitHint();
    CreateRowEditor();
    InitEditKeys();
}

void CWinSuperior::Release()
{
    ReleaseAndClear(skin);
    ReleaseAndClear(hintTexture);
    hintFont.Release();
}
