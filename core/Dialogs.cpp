#include "core/Dialogs.h"

#include "core/Core.h"
#include "core/Paths.h"
#include "core/Strings.h"

#include <shlobj.h>

namespace {

constexpr size_t DIALOG_PATH_SIZE = 512;
constexpr DWORD FILE_DIALOG_FLAGS = OFN_OVERWRITEPROMPT;
constexpr DWORD COLOR_DIALOG_FLAGS = CC_RGBINIT | CC_FULLOPEN | CC_SOLIDCOLOR | CC_ANYCOLOR;
constexpr DWORD FONT_DIALOG_FLAGS = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
static_assert(FILE_DIALOG_FLAGS == 0x2 && COLOR_DIALOG_FLAGS == 0x183 &&
              FONT_DIALOG_FLAGS == 0x41);

COLORREF gCustomColors[16];
CHOOSEFONTA gFontDialog;
LOGFONTA gFontDialogFont;

// Shows the system cursor for as long as a dialog is open.
struct CursorShown {
    CursorShown() { ShowCursor(TRUE); }
    ~CursorShown() { ShowCursor(FALSE); }
};

COLORREF ArgbToColorRef(uint32_t argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

uint32_t ColorRefToArgb(COLORREF c)
{
    return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) |
           GetBValue(c);
}

using FileDialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEA);

int RunFileDialog(FileDialogFunction run, const char* initialDir, const char* initialName,
                  const char* filter, const char* title, char* out, size_t outCap)
{
    char file[DIALOG_PATH_SIZE];
    char fileTitle[DIALOG_PATH_SIZE] = "";
    StrCopy(file, sizeof file, initialName);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = AppWindowConfig.hWnd;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrFileTitle = fileTitle;
    ofn.nMaxFileTitle = sizeof fileTitle;
    ofn.lpstrInitialDir = initialDir;
    ofn.lpstrTitle = title;
    ofn.Flags = FILE_DIALOG_FLAGS;
    ofn.lpstrDefExt = "";
    CursorShown cursor;
    BOOL confirmed = run(&ofn);
    if (confirmed)
        StrCopy(out, outCap, file);
    return confirmed;
}

int CALLBACK BrowseFolderCallback(HWND dialog, UINT message, LPARAM, LPARAM initialFolder)
{
    if (message == BFFM_INITIALIZED && initialFolder)
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, initialFolder);
    return 0;
}

} // namespace

int OpenFileDialog(const char* initialDir, const char* initialName, const char* filter,
                   const char* title, char* out, size_t outCap)
{
    return RunFileDialog(GetOpenFileNameA, initialDir, initialName, filter, title, out, outCap);
}

int SaveFileDialog(const char* initialDir, const char* initialName, const char* filter,
                   const char* title, char* out, size_t outCap)
{
    return RunFileDialog(GetSaveFileNameA, initialDir, initialName, filter, title, out, outCap);
}

int BrowseFolderDialog(const char* initialFolder, const char* title, char* out, size_t outCap)
{
    char display[MAX_PATH];
    BROWSEINFOA info = {};
    info.hwndOwner = AppWindowConfig.hWnd;
    info.pszDisplayName = display;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseFolderCallback;
    info.lParam = LPARAM(initialFolder);

    HRESULT com = CoInitialize(nullptr);
    int confirmed = 0;
    {
        CursorShown cursor;
        PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
        char path[MAX_PATH];
        if (chosen && SHGetPathFromIDListA(chosen, path)) {
            StrCopy(out, outCap, path);
            AddTrailingSlash(out, outCap);
            confirmed = 1;
        }
        CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return confirmed;
}

uint32_t ChooseColorDialog(uint32_t initialArgb)
{
    CHOOSECOLORA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = AppWindowConfig.hWnd;
    dialog.rgbResult = ArgbToColorRef(initialArgb);
    dialog.lpCustColors = gCustomColors;
    dialog.Flags = COLOR_DIALOG_FLAGS;
    CursorShown cursor;
    return ChooseColorA(&dialog) ? ColorRefToArgb(dialog.rgbResult) : 0;
}

CHOOSEFONTA* ChooseFontDialog(const char* face, uint32_t argb, int sizeTenths)
{
    gFontDialogFont = {};
    StrCopy(gFontDialogFont.lfFaceName, LF_FACESIZE, face);
    if (sizeTenths != 0) {
        HDC screen = GetDC(nullptr);
        int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        gFontDialogFont.lfHeight = -(sizeTenths / 10) * pixelsPerInch / 72;
    }
    gFontDialog = {};
    gFontDialog.lStructSize = sizeof gFontDialog;
    gFontDialog.hwndOwner = AppWindowConfig.hWnd;
    gFontDialog.lpLogFont = &gFontDialogFont;
    gFontDialog.rgbColors = ArgbToColorRef(argb);
    gFontDialog.Flags = FONT_DIALOG_FLAGS;
    CursorShown cursor;
    return ChooseFontA(&gFontDialog) ? &gFontDialog : nullptr;
}
