#include "tests/support/Harness.h"

#include "core/CodePage.h"
#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Messages.h"
#include "core/Program.h"
#include "gui/WinSuperior.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace test {

namespace {

std::vector<std::string> gRecorded;
int gRecorders = 0;

int RecordMessage(const char*, const char* text)
{
    gRecorded.push_back(text ? text : "");
    return IDOK;
}

void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

// A case about code pages ("CodePage" in its name) first checks that it runs under the
// system code page its run asks for: 1252 for HOUSING_SYSTEM_LOCALE=C.UTF-8 (the codepage_
// reruns), not 1251 for another locale, 1251 without one; a run that silently kept 1251
// would prove nothing. Every program that records messages links this file.
class CRunCodePageCheck : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& info) override
    {
        if (!strstr(info.test_suite_name(), "CodePage") && !strstr(info.name(), "CodePage"))
            return;
        const char* locale = getenv("HOUSING_SYSTEM_LOCALE");
        if (!locale || !*locale)
            EXPECT_EQ(1251u, GetACP()) << "not run under the Russian code page";
        else if (!strcmp(locale, "C.UTF-8"))
            EXPECT_EQ(1252u, GetACP()) << "not run under code page 1252";
        else
            EXPECT_NE(1251u, GetACP()) << "not run under the locale " << locale;
    }
};
const bool gCodePageChecked =
    (testing::UnitTest::GetInstance()->listeners().Append(new CRunCodePageCheck), true);

} // namespace

MessageRecorder::MessageRecorder()
{
    if (gRecorders++ == 0)
        gRecorded.clear();
    SetMessageSink(RecordMessage);
}

MessageRecorder::~MessageRecorder()
{
    if (--gRecorders == 0)
        SetMessageSink(nullptr);
}

const std::vector<std::string>& MessageRecorder::Texts() const
{
    return gRecorded;
}

bool MessageRecorder::Contains(const std::string& part) const
{
    for (const std::string& t : gRecorded)
        if (t.find(part) != std::string::npos)
            return true;
    return false;
}

bool MessageRecorder::SaidWithMore(const std::string& first, int more) const
{
    const std::string start = first + "\n\n " + std::to_string(more) + " more like this in '";
    for (const std::string& t : gRecorded)
        if (t.rfind(start, 0) == 0)
            return true;
    return false;
}

void MessageRecorder::Clear()
{
    gRecorded.clear();
}

std::string MessageRecorder::Joined() const
{
    std::string all;
    for (const std::string& t : gRecorded)
        all += "[" + t + "]\n";
    return all;
}

std::string RunDir()
{
    return HOUSING_RUN_DIR;
}

// Test programs run in parallel: each keeps its folders under its own name.
static std::string ProgramName()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name(path, n);
    name = name.substr(name.find_last_of("\\/") + 1);
    return name.substr(0, name.find_last_of('.'));
}

std::string TempDir(const std::string& name)
{
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    // The same program runs once more under another code page, side by side with its first
    // run: each run keeps its folders apart, or one would empty the other's.
    const std::string root = std::string(base) + "housing_" + ProgramName() + "_" + std::to_string(GetACP());
    CreateDirectoryA(root.c_str(), nullptr);
    std::string dir = root + "\\" + name;
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

// Makes the folder and its parents one level at a time; the wide call takes paths of any
// length and names of any letters.
static void MakeFolders(const std::wstring& dir)
{
    for (size_t at = dir.find_first_of(L"\\/", 3); at != std::wstring::npos; at = dir.find_first_of(L"\\/", at + 1))
        CreateDirectoryW(dir.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(dir.c_str(), nullptr);
}

void WriteFile(const std::string& path, const std::string& text)
{
    MakeFolders(Widen(CP_ACP, path.substr(0, path.find_last_of("\\/"))));
    std::ofstream f(path, std::ios::binary);
    f << text;
}

bool CopyTree(const std::wstring& from, const std::wstring& to)
{
    MakeFolders(to);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((from + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool copied = true;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring source = from + L"\\" + name, target = to + L"\\" + name;
        copied = copied && (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY
                                ? CopyTree(source, target)
                                : CopyFileW(source.c_str(), target.c_str(), FALSE));
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return copied;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

Program::~Program()
{
    if (running_)
        Stop();
    if (!oldDir_.empty())
        SetCurrentDirectoryW(oldDir_.c_str());
}

int Program::Start(const std::string& dataDir)
{
    return Start(Widen(CP_ACP, dataDir));
}

int Program::Start(const std::wstring& dataDir)
{
    oldDir_.assign(GetCurrentDirectoryW(0, nullptr), L'\0');
    oldDir_.resize(GetCurrentDirectoryW(DWORD(oldDir_.size()), &oldDir_[0]));
    SetCurrentDirectoryW(dataDir.c_str());
    ResetCoreSettings();
    gGraphics.ResetSettings();
    int result = ProgramStart(GetModuleHandleA(nullptr));
    running_ = result == PROGRAM_RUN;
    if (running_) {
        // Frames run while the window is active; a test window may never get focus.
        AppWindowConfig.idleMethod = 2;
    }
    return result;
}

bool Program::RunFrames(int n)
{
    for (int i = 0; i < n && running_; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                running_ = false;
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Frame(AppWindowConfig.hWnd);
    }
    return running_;
}

void Program::Stop()
{
    if (!running_)
        return;
    if (!gExitCode)
        gCore.SetExitFlag();
    // The next frame destroys the window; pump until the loop's WM_QUIT.
    for (int i = 0; i < 1000 && running_; ++i)
        RunFrames(1);
    running_ = false;
}

bool ReadBackBuffer(Image& out)
{
    if (!Device3D)
        return false;
    IDirect3DSurface9* back = nullptr;
    if (FAILED(Device3D->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back)))
        return false;
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    IDirect3DSurface9* copy = nullptr;
    bool ok = false;
    if (SUCCEEDED(Device3D->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                         D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
        SUCCEEDED(Device3D->GetRenderTargetData(back, copy))) {
        D3DLOCKED_RECT lr;
        if (SUCCEEDED(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
            out.width = int(desc.Width);
            out.height = int(desc.Height);
            out.pixels.resize(size_t(out.width) * out.height);
            for (int y = 0; y < out.height; ++y) {
                const uint32_t* row =
                    reinterpret_cast<const uint32_t*>(static_cast<const char*>(lr.pBits) +
                                                      size_t(y) * lr.Pitch);
                for (int x = 0; x < out.width; ++x)
                    out.pixels[size_t(y) * out.width + x] = row[x];
            }
            copy->UnlockRect();
            ok = true;
        }
    }
    if (copy)
        copy->Release();
    back->Release();
    return ok;
}

std::string Tga32(int width, int height, const std::vector<uint32_t>& pixels)
{
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = char(width & 0xFF);
    file[13] = char(width >> 8);
    file[14] = char(height & 0xFF);
    file[15] = char(height >> 8);
    file[16] = 32;
    file[17] = 8;
    for (int row = height - 1; row >= 0; --row)
        file.append(reinterpret_cast<const char*>(&pixels[size_t(row) * size_t(width)]), size_t(width) * 4);
    return file;
}

bool SaveBmp(const Image& image, const std::string& path)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    int rowBytes = (image.width * 3 + 3) & ~3;
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + DWORD(rowBytes) * image.height;
    ih.biSize = sizeof ih;
    ih.biWidth = image.width;
    ih.biHeight = image.height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&ih, sizeof ih, 1, f);
    std::vector<unsigned char> row(size_t(rowBytes), 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            uint32_t c = image.At(x, y);
            row[size_t(x) * 3 + 0] = c & 0xFF;
            row[size_t(x) * 3 + 1] = (c >> 8) & 0xFF;
            row[size_t(x) * 3 + 2] = (c >> 16) & 0xFF;
        }
        fwrite(row.data(), 1, row.size(), f);
    }
    fclose(f);
    return true;
}

void MouseAt(int x, int y, uint8_t buttons)
{
    gInput.BeginMouseFrame();
    const POINT screen{x + gInput.windowRect.left + gInput.borderWidth,
                       y + gInput.windowRect.top + gInput.titleHeight};
    gInput.ApplySystemMouse(screen, buttons);
    gWinSuperior.Process();
}

void ClickAt(int x, int y)
{
    MouseAt(x, y, 0);
    MouseAt(x, y, MOUSE_LEFT);
    MouseAt(x, y, 0);
    MouseAt(x, y, 0);
}

void ClickWin(const CBaseWin* win)
{
    ASSERT_NE(nullptr, win);
    ClickAt((win->left + win->right) / 2, (win->top + win->bottom) / 2);
}

bool ColorNear(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        int ca = int((a >> shift) & 0xFF), cb = int((b >> shift) & 0xFF);
        if (abs(ca - cb) > tolerance)
            return false;
    }
    return true;
}

unsigned long DeviceRefCount()
{
    if (!Device3D) return 0;
    Device3D->AddRef();
    return Device3D->Release();
}

} // namespace test
