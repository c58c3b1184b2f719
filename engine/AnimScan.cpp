// The animation container's script readers: the "AnimContainer" section's elements
// ("ANIMATION" objects and a presentation's "Animation:" lines).

#include "engine/AnimContainer.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/UsageParams.h"
#include "engine/MeshContainer.h"
#include "engine/ResourceScan.h"
#include "engine/TexContainer.h"

#include <iterator>

namespace {

struct SFlagWord {
    const char* word;
    uint16_t play;
    uint32_t load;
};
const SFlagWord FLAG_WORDS[] = {
    {"Cyclic", PLAY_CYCLIC, 0},
    {"RandomFrame", PLAY_RANDOM_FRAME, 0},
    {"Reverse", PLAY_REVERSE, 0},
    {"JumpFrame0", PLAY_JUMP_FRAME0, 0},
    {"StoreValues", 0, ANIM_LOAD_STORE_VALUES},
    {"Matrices3x3", 0, ANIM_LOAD_MATRICES_3X3},
};
static_assert(std::size(FLAG_WORDS) == 6, "words of an animation's Flags: block");

struct SBindWord {
    const char* word;
    uint16_t first;
    uint16_t second;
};
const SBindWord BIND_WORDS[] = {
    {"UvFrame", ANIM_USE_BIND1_UV, ANIM_USE_BIND2_UV},
    {"Texture", ANIM_USE_BIND1_TEXTURE, ANIM_USE_BIND2_TEXTURE},
    {"Mesh", ANIM_USE_BIND1_MESH, ANIM_USE_BIND2_MESH},
};
static_assert(std::size(BIND_WORDS) == 3, "bind usages");

} // namespace

// What an element states besides the record's own fields.
struct CAnimContainer::SElement {
    int presentation = 0;
    uint32_t loadFlags = 0;
    float duration = 0.0f;
    int frameCount = 0;
    bool ended = false;  // a one-line element ends at its file
    bool firstIsPath = false;
    char firstPath[Core::STRING_BUFFER_SIZE] = {};
};

int CAnimContainer::ScanAnimationFile(FILE* file, int presentation)
{
    CEngineAnimFile* record;
    const uint16_t index = records.Add(record);
    if (!index) {
        WarningBox(&warnings, "CAnimContainer:  animation files limit is exceed.", nullptr);
        // Only scripts read at start-up stop the program; the element is read through so
        // the reader keeps its place.
        if (!presentation) gExitCode = 1;
        char word[Core::STRING_BUFFER_SIZE];
        if (oneLine) {
            do Core::fscan_word(file, word);
            while (word[0] && !StrEqual(word, "AnimationFile:"));
            if (word[0]) Core::fscan_string(file, word);
        } else {
            Core::fscan_skip_block(file);
        }
        return -1;
    }
    ResetUsageParams();
    SElement element;
    element.presentation = presentation;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    StrCopy(record->name, sizeof record->name, word);
    record->index = index;
    if (!oneLine) Core::fscan_word(file, word);  // "{"
    ReadElementWords(file, *record, element);
    record->data.Init(element.frameCount, 0, element.duration, record->data.flags);
    if (presentation) record->usage |= ANIM_USE_PRESENTATION;
    return 0;
}

void CAnimContainer::ReadElementWords(FILE* file, CEngineAnimFile& record, SElement& element)
{
    char word[Core::WORD_BUFFER_SIZE];
    for (;;) {
        Core::fscan_word(file, word);
        if (!word[0] || StrEqual(word, "};")) return;
        if (!ReadElementWord(file, word, record, element))
            WarningBox(&warnings, "For animation '", record.name, "' undefined string '", word, "'.", nullptr);
        if (element.ended) return;
    }
}

bool CAnimContainer::ReadElementWord(FILE* file, const char* word, CEngineAnimFile& record, SElement& element)
{
    if (StrEqual(word, "FVF")) {
        record.frameFormat = ScanFVF(file);
    } else if (StrEqual(word, "USAGE")) {
        ScanUsage(file);
    } else if (StrEqual(word, "AnimationFile:")) {
        char path[Core::STRING_BUFFER_SIZE];
        Core::fscan_string(file, path);
        record.data.LoadAnimation(path, element.loadFlags);
        element.duration = record.data.duration;
        element.ended = oneLine != 0;
    } else if (StrEqual(word, "FirstTexture:")) {
        ScanFirstResource(file, record, element, false);
    } else if (StrEqual(word, "FirstMesh:")) {
        ScanFirstResource(file, record, element, true);
    } else if (StrEqual(word, "FrameCount:")) {
        int32_t count = 0;
        Core::fscan_int(file, &count);
        if (count < 0 || count > MAX_ANIM_FRAMES) {
            WarningBox(&warnings, "For animation '", record.name, "' the frame count is out of range.", nullptr);
            count = count < 0 ? 0 : MAX_ANIM_FRAMES;
        }
        element.frameCount = count;
        LoadFrameSeries(record, element);
    } else if (StrEqual(word, "FramesUV:")) {
        ScanFramesUV(file, record);
    } else if (StrEqual(word, "Duration:")) {
        Core::fscan_float(file, &element.duration);
    } else if (StrEqual(word, "Flags:")) {
        ScanFlags(file, record, element);
    } else if (StrEqual(word, "Frame1Bind:") || StrEqual(word, "Frame2Bind:")) {
        ScanBind(file, record, word[5] == '2');
    } else {
        return false;
    }
    return true;
}

// A quoted path is loaded, a bare word looked up by name.
void CAnimContainer::ScanFirstResource(FILE* file, CEngineAnimFile& record, SElement& element, bool mesh)
{
    char text[Core::STRING_BUFFER_SIZE];
    const bool quoted = Core::fscan_string(file, text) == 1;
    uint16_t index = 0;
    if (mesh) {
        record.usage |= ANIM_USE_FRAME_MESHES;
        if (gIMeshContainer)
            index = quoted ? gIMeshContainer->LoadMesh(text, record.frameFormat, 0) : gIMeshContainer->FindMesh(text);
    } else {
        record.usage |= ANIM_USE_FRAMES;
        if (gITexContainer) index = quoted ? gITexContainer->LoadTexture(text, 0) : gITexContainer->FindTexture(text);
    }
    record.firstResource = index;
    element.firstIsPath = quoted && index;
    StrCopy(element.firstPath, sizeof element.firstPath, text);
    if (!index)
        WarningBox(&warnings, "For animation '", record.name, mesh ? "' not found mesh '" : "' not found texture '",
                   text, "'.", nullptr);
}

// Frames 2 .. count from the numbered file names made from the first frame's path.
void CAnimContainer::LoadFrameSeries(CEngineAnimFile& record, const SElement& element)
{
    if (!element.firstIsPath) return;
    const bool meshes = (record.usage & ANIM_USE_FRAME_MESHES) != 0;
    if (meshes && gMeshContainer) gMeshContainer->skipIndices = 1;
    for (int frame = 2; frame <= element.frameCount; ++frame) {
        char path[Core::STRING_BUFFER_SIZE];
        if (MakeNumberedFileName(path, element.firstPath, frame) != 0) {
            WarningBox(&warnings, "For animation '", record.name, "' the file name '", element.firstPath,
                       "' has no frame number.", nullptr);
            break;
        }
        if (meshes) {
            if (gIMeshContainer) gIMeshContainer->LoadMesh(path, record.frameFormat, 0);
        } else if (gITexContainer) {
            gITexContainer->LoadTexture(path, 0);
        }
    }
    if (meshes && gMeshContainer) gMeshContainer->skipIndices = 0;
}

// The next word of a "[" ... "]" block (whose "[" is read here when open is set); false
// at its "]" or, with a warning, at the end of the file.
bool CAnimContainer::ListWord(FILE* file, char (&word)[Core::WORD_BUFFER_SIZE], const CEngineAnimFile& record,
                             const char* block)
{
    Core::fscan_word(file, word);
    if (StrEqual(word, "]")) return false;
    if (word[0]) return true;
    WarningBox(&warnings, "For animation '", record.name, "' the block <", block, "> is not closed by ']'.", nullptr);
    return false;
}

void CAnimContainer::ScanFramesUV(FILE* file, CEngineAnimFile& record)
{
    record.usage |= ANIM_USE_FRAMES | ANIM_USE_UV_ATLAS;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    while (ListWord(file, word, record, "FramesUV")) {
        if (!StrEqual(word, "Size:")) {
            WarningBox(&warnings, "For animation '", record.name, "' in <FramesUV> undefined string '", word, "'.",
                       nullptr);
            continue;
        }
        Core::fscan_word(file, word);
        int columns = 0, rows = 0;
        Core::ParseSize(word, &columns, &rows);
        // A size without cells would divide by zero: the atlas stays one cell wide or high.
        record.columns = columns > 0 ? columns : 1;
        record.rows = rows > 0 ? rows : 1;
        record.uStep = 1.0f / float(record.columns);
        record.vStep = 1.0f / float(record.rows);
    }
}

void CAnimContainer::ScanFlags(FILE* file, CEngineAnimFile& record, SElement& element)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    while (ListWord(file, word, record, "Flags"))
        for (const SFlagWord& flag : FLAG_WORDS)
            if (StrEqual(word, flag.word)) {
                record.playFlags |= flag.play;
                element.loadFlags |= flag.load;
            }
}

void CAnimContainer::ScanBind(FILE* file, CEngineAnimFile& record, bool second)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    while (ListWord(file, word, record, second ? "Frame2Bind" : "Frame1Bind")) {
        if (StrEqual(word, "Usage:")) {
            Core::fscan_word(file, word);
            for (const SBindWord& bind : BIND_WORDS)
                if (StrEqual(word, bind.word)) record.usage |= ANIM_USE_FRAMES | (second ? bind.second : bind.first);
        } else if (StrEqual(word, "Sampler:") || StrEqual(word, "StreamVB:")) {
            Core::fscan_u8(file, second ? &record.bindSlot2 : &record.bindSlot1);
        } else {
            WarningBox(&warnings, "For animation '", record.name, "' in <", second ? "Frame2Bind" : "Frame1Bind",
                       "> undefined string '", word, "'.", nullptr);
        }
    }
}
