#include "core/Config.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "gui/WinSuperior.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t APP_NAME_MAX = sizeof AppWindowConfig.applicationName - 1;
constexpr size_t TEXTURES_PATH_MAX = 255;
static_assert(TEXTURES_PATH_MAX < sizeof gCore.texturesPath, "texture path buffer");
constexpr int CLEAR_FLAGS_MAX_WORDS = 20;

// A word of a value table and the number it stands for.
struct SNamedValue {
    const char* name;
    uint32_t value;
};

template <size_t N>
bool FindValue(const SNamedValue (&table)[N], const char* word, uint32_t* value)
{
    for (const SNamedValue& e : table)
        if (strcmp(e.name, word) == 0) {
            *value = e.value;
            return true;
        }
    return false;
}

const SNamedValue WIN_STYLES[] = {
    {"WS_POPUP", WS_POPUP},
    {"WS_OVERLAPPEDWINDOW", WS_OVERLAPPEDWINDOW},
    {"WS_THICKFRAME", WS_THICKFRAME},
    {"WS_MAXIMIZEBOX", WS_MAXIMIZEBOX},
    {"WS_MAXIMIZE", WS_MAXIMIZE},
};
static_assert(sizeof WIN_STYLES / sizeof WIN_STYLES[0] == 5, "window style words");

const SNamedValue COLOR_FORMATS[] = {
    {"D3DFMT_R5G6B5", D3DFMT_R5G6B5},
    {"D3DFMT_X8R8G8B8", D3DFMT_X8R8G8B8},
    {"D3DFMT_A8R8G8B8", D3DFMT_A8R8G8B8},
    {"UNKNOWN", D3DFMT_UNKNOWN},
};
static_assert(sizeof COLOR_FORMATS / sizeof COLOR_FORMATS[0] == 4, "colour formats");

const SNamedValue DEPTH_FORMATS[] = {
    {"D3DFMT_D16", D3DFMT_D16},
    {"D3DFMT_D32", D3DFMT_D32},
    {"D3DFMT_D24S8", D3DFMT_D24S8},
    {"D3DFMT_D24X8", D3DFMT_D24X8},
};
static_assert(sizeof DEPTH_FORMATS / sizeof DEPTH_FORMATS[0] == 4, "depth formats");

const SNamedValue MULTISAMPLE_TYPES[] = {
    {"2x", D3DMULTISAMPLE_2_SAMPLES},
    {"4x", D3DMULTISAMPLE_4_SAMPLES},
    {"8x", D3DMULTISAMPLE_8_SAMPLES},
    {"16x", D3DMULTISAMPLE_16_SAMPLES},
};
static_assert(sizeof MULTISAMPLE_TYPES / sizeof MULTISAMPLE_TYPES[0] == 4, "multisampling");

const SNamedValue CLEAR_FLAG_WORDS[] = {
    {"D3DCLEAR_TARGET", D3DCLEAR_TARGET},
    {"D3DCLEAR_ZBUFFER", D3DCLEAR_ZBUFFER},
    {"D3DCLEAR_STENCIL", D3DCLEAR_STENCIL},
};
static_assert(sizeof CLEAR_FLAG_WORDS / sizeof CLEAR_FLAG_WORDS[0] == 3, "clear flags");

const SNamedValue PRESENT_INTERVALS[] = {
    {"INTERVAL_IMMEDIATE", D3DPRESENT_INTERVAL_IMMEDIATE},
    {"INTERVAL_ONE", D3DPRESENT_INTERVAL_ONE},
    {"INTERVAL_TWO", D3DPRESENT_INTERVAL_TWO},
    {"INTERVAL_THREE", D3DPRESENT_INTERVAL_THREE},
    {"INTERVAL_FOUR", D3DPRESENT_INTERVAL_FOUR},
};
static_assert(sizeof PRESENT_INTERVALS / sizeof PRESENT_INTERVALS[0] == 5, "intervals");

const SNamedValue SOUND_MODES[] = {
    {"DX_SOUND", SOUND_DX},
    {"FMOD_SOUND", SOUND_FMOD},
};
static_assert(sizeof SOUND_MODES / sizeof SOUND_MODES[0] == 2, "sound modes");

const SNamedValue IDLE_METHODS[] = {
    {"always", 2},
    {"on_active", 1},
};
static_assert(sizeof IDLE_METHODS / sizeof IDLE_METHODS[0] == 2, "idle methods");

const SNamedValue MOUSE_MODES[] = {
    {"DX_MOUSE", MOUSE_DX},
    {"SYS_MOUSE", MOUSE_SYS},
};
static_assert(sizeof MOUSE_MODES / sizeof MOUSE_MODES[0] == 2, "mouse modes");

const SNamedValue COOP_FLAGS[] = {
    {"DISCL_EXCLUSIVE", 1},
    {"DISCL_NONEXCLUSIVE", 2},
    {"DISCL_FOREGROUND", 4},
    {"DISCL_BACKGROUND", 8},
};
static_assert(sizeof COOP_FLAGS / sizeof COOP_FLAGS[0] == 4, "cooperative flags");

// One open configuration file and its word buffer.
struct SConfigReader {
    FILE* file;
    char word[Core::STD_WORD_BUFFER_SIZE];

    // Reads the next blank-delimited word, cut to the buffer: the rest of a longer word is
    // passed over, not taken as the next word. False (and an empty word) at end of file.
    bool Next()
    {
        if (fscanf(file, "%255s", word) != 1) {
            word[0] = 0;
            return false;
        }
        int c = getc(file);
        while (c != EOF && !Core::IsBlank(c))
            c = getc(file);
        if (c != EOF)
            ungetc(c, file);
        return true;
    }
    // Next word of a "[" ... "]" list: false at "]" or end of file.
    bool NextInList() { return Next() && strcmp(word, "]") != 0; }
    // The 32-bit minimum is read as one more: sizes are negated (WIDTH_MAX, the window
    // placement), and it has no negation.
    int32_t NextInt() { return Next() ? std::max(Core::ParseInt32(word), -INT32_MAX) : 0; }
    // Reads one word and looks it up; false when it is no word of the table.
    template <size_t N>
    bool NextValue(const SNamedValue (&table)[N], uint32_t* value)
    {
        return Next() && FindValue(table, word, value);
    }
};

void ReadWinStyle(SConfigReader& r)
{
    uint32_t style = 0;
    r.Next();  // "["
    while (r.NextInList()) {
        if (strcmp(r.word, "NO_WINDOW") == 0) {
            AppWindowConfig.noWindow = 1;
            continue;
        }
        bool clear = r.word[0] == '~';
        uint32_t bits;
        if (!FindValue(WIN_STYLES, r.word + (clear ? 1 : 0), &bits))
            continue;
        style = clear ? (style & ~bits) : (style | bits);
    }
    AppWindowConfig.winStyle = style;
}

// "[" DirectInput cooperative-level words "]"; other words are ignored.
uint32_t ReadCoopFlags(SConfigReader& r)
{
    uint32_t flags = 0;
    r.Next();  // "["
    uint32_t bits;
    while (r.NextInList())
        if (FindValue(COOP_FLAGS, r.word, &bits))
            flags |= bits;
    return flags;
}

void ReadApplicationName(SConfigReader& r)
{
    char name[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(r.file, name);
    size_t len = strlen(name);
    if (len > APP_NAME_MAX)
        len = APP_NAME_MAX;
    memcpy(AppWindowConfig.applicationName, name, len);
    AppWindowConfig.applicationName[len] = 0;
}

void ReadWindowed(SConfigReader& r)
{
    AppWindowConfig.windowed = r.Next() && strcmp(r.word, "true") == 0;
}

void ReadWidth(SConfigReader& r) { AppWindowConfig.width = r.NextInt(); }
void ReadHeight(SConfigReader& r) { AppWindowConfig.height = r.NextInt(); }
void ReadWidthMax(SConfigReader& r) { AppWindowConfig.width = -r.NextInt(); }
void ReadHeightMax(SConfigReader& r) { AppWindowConfig.height = -r.NextInt(); }

// "ON_CENTER" (-1) or a number.
int32_t ReadPosition(SConfigReader& r)
{
    if (!r.Next())
        return 0;
    return strcmp(r.word, "ON_CENTER") == 0 ? -1 : Core::ParseInt32(r.word);
}

void ReadLeft(SConfigReader& r) { AppWindowConfig.left = ReadPosition(r); }
void ReadTop(SConfigReader& r) { AppWindowConfig.top = ReadPosition(r); }
void ReadForceBufferWH(SConfigReader&) { gForceBufferWH = 1; }

void ReadColorFormat(SConfigReader& r)
{
    uint32_t format;
    if (r.NextValue(COLOR_FORMATS, &format))
        gGraphics.presentParams.BackBufferFormat = D3DFORMAT(format);
    else
        MsgBox("Unknown COLOR_FORMAT in 'Application.cfg'");
}

void ReadMultisampling(SConfigReader& r)
{
    D3DPRESENT_PARAMETERS& pp = gGraphics.presentParams;
    r.Next();  // "["
    while (r.NextInList()) {
        if (strcmp(r.word, "Type:") == 0) {
            uint32_t type;
            if (r.NextValue(MULTISAMPLE_TYPES, &type))
                pp.MultiSampleType = D3DMULTISAMPLE_TYPE(type);
            else if (strcmp(r.word, "]") == 0)
                return;
        } else if (strcmp(r.word, "Quality:") == 0) {
            pp.MultiSampleQuality = DWORD(r.NextInt());
            if (strcmp(r.word, "]") == 0)
                return;
        } else {
            MsgBox("Unknown string in <MULTISAMPLING> of file 'Application.cfg'");
        }
    }
}

void ReadDepthFormat(SConfigReader& r)
{
    D3DPRESENT_PARAMETERS& pp = gGraphics.presentParams;
    uint32_t format;
    if (r.NextValue(DEPTH_FORMATS, &format))
        pp.AutoDepthStencilFormat = D3DFORMAT(format);
    else if (strcmp(r.word, "DEPTH_DISABLE") == 0)
        pp.EnableAutoDepthStencil = FALSE;
    else
        MsgBox("Unknown DEPTH_FORMAT in 'Application.cfg'");
}

void ReadClearFlags(SConfigReader& r)
{
    uint32_t flags = 0;
    r.Next();  // "["
    for (int i = 0; i < CLEAR_FLAGS_MAX_WORDS && r.NextInList(); ++i) {
        uint32_t bits;
        if (FindValue(CLEAR_FLAG_WORDS, r.word, &bits))
            flags |= bits;
        else
            MsgBox("Unknown CLEAR_FLAGS parameter in 'Application.cfg'");
    }
    gGraphics.clearFlags = flags;
}

void ReadClearColor(SConfigReader& r)
{
    if (r.Next())
        gGraphics.clearColor = D3DCOLOR(Core::ParseHex(r.word));
}

void ReadRefreshRate(SConfigReader& r)
{
    gGraphics.presentParams.FullScreen_RefreshRateInHz = UINT(r.NextInt());
}

void ReadPresentInterval(SConfigReader& r)
{
    uint32_t interval;
    if (r.NextValue(PRESENT_INTERVALS, &interval))
        gGraphics.presentParams.PresentationInterval = interval;
    else
        MsgBox("Unknown PRESENT_INTERVAL in 'Application.cfg'");
}

void ReadSound(SConfigReader& r)
{
    uint32_t mode;
    if (r.NextValue(SOUND_MODES, &mode))
        gSoundMode = int32_t(mode);
}

void ReadWidthDiags(SConfigReader& r) { WIDTH_DIAGS = r.NextInt(); }

// The rest of the line with every blank removed, cut at TEXTURES_PATH_MAX characters.
void ReadTexturesPath(SConfigReader& r)
{
    char* out = gCore.texturesPath;
    size_t len = 0;
    for (int c = getc(r.file); c != EOF && c != '\r' && c != '\n'; c = getc(r.file))
        if (!Core::IsBlank(c) && len < TEXTURES_PATH_MAX)
            out[len++] = char(c);
    out[len] = 0;
}

void ReadHinter(SConfigReader& r) { gWinSuperior.ReadHinter(r.file); }

void ReadIdleMethod(SConfigReader& r)
{
    uint32_t method;
    if (r.NextValue(IDLE_METHODS, &method))
        AppWindowConfig.idleMethod = int32_t(method);
}

void ReadUseMouse(SConfigReader& r)
{
    uint32_t mode = MOUSE_NONE;
    USE_MOUSE = r.NextValue(MOUSE_MODES, &mode) ? int32_t(mode) : MOUSE_NONE;
}

void ReadMouseCoop(SConfigReader& r) { gInput.mouseCoopFlags = ReadCoopFlags(r); }
void ReadKeyboardCoop(SConfigReader& r) { gInput.keyboardCoopFlags = ReadCoopFlags(r); }

struct SConfigKey {
    const char* key;
    void (*read)(SConfigReader&);
};

const SConfigKey CONFIG_KEYS[] = {
    {"APPLICATION_NAME", ReadApplicationName},
    {"WIN_STYLE", ReadWinStyle},
    {"WINDOWED", ReadWindowed},
    {"WIDTH", ReadWidth},
    {"HEIGHT", ReadHeight},
    {"WIDTH_MAX", ReadWidthMax},
    {"HEIGHT_MAX", ReadHeightMax},
    {"LEFT", ReadLeft},
    {"TOP", ReadTop},
    {"FORCE_BUFFER_WH", ReadForceBufferWH},
    {"COLOR_FORMAT", ReadColorFormat},
    {"MULTISAMPLING", ReadMultisampling},
    {"DEPTH_FORMAT", ReadDepthFormat},
    {"CLEAR_FLAGS", ReadClearFlags},
    {"CLEAR_COLOR", ReadClearColor},
    {"REFRESH_RATE", ReadRefreshRate},
    {"PRESENT_INTERVAL", ReadPresentInterval},
    {"SOUND", ReadSound},
    {"WIDTH_DIAGS", ReadWidthDiags},
    {"TexturesPath", ReadTexturesPath},
    {"HINTER", ReadHinter},
    {"ON_IDLE_METHOD", ReadIdleMethod},
    {"USE_MOUSE", ReadUseMouse},
    {"MOUSE_COOP_FLAGS", ReadMouseCoop},
    {"KEYBOARD_COOP_FLAGS", ReadKeyboardCoop},
};
static_assert(sizeof CONFIG_KEYS / sizeof CONFIG_KEYS[0] == 25, "configuration keys");

void ReadKey(SConfigReader& r)
{
    if (Core::fscan_comment(r.file, r.word))
        return;
    for (const SConfigKey& k : CONFIG_KEYS)
        if (strcmp(k.key, r.word) == 0) {
            k.read(r);
            return;
        }
}

} // namespace

void ReadApplicationConfig()
{
    ReadApplicationConfigFrom(APPLICATION_CONFIG_PATH);
}

void ReadApplicationConfigFrom(const char* path)
{
    FILE* file = fopen(path, "r");
    if (!file) {
        MsgBox("Can`t find config file 'System/Application.cfg'. \n Application now exit");
        gCore.SetExitFlag();
        return;
    }
    CFileMessages messages(path);
    SConfigReader r = {file, {}};
    while (r.Next())
        ReadKey(r);
    fclose(file);
}
