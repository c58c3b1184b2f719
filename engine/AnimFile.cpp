#include "engine/AnimFile.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>

namespace {

constexpr float FILE_DEGREES_TO_RADIANS = 0.01745329238474369f;
constexpr size_t ANIM_PATH_SIZE = sizeof gBaseDir + sizeof gCore.animDir + Core::STRING_BUFFER_SIZE;

struct SChannelWord {
    const char* word;
    uint32_t flags;
};
const SChannelWord CHANNEL_WORDS[] = {
    {"Angle", ANIM_ANGLE},
    {"Pos", ANIM_POS},
    {"Target", ANIM_TARGET},
    {"Scale", ANIM_SCALE},
    {"FinalMatrix", ANIM_FINAL_MATRIX},
    {"Absolute", ANIM_ABSOLUTE},
    {"Relative", ANIM_RELATIVE},
    {"ParentSpace", ANIM_PARENT_SPACE},
    {"Color", ANIM_VALUES | ANIM_ALPHA | ANIM_RGB},
    {"ColorA", ANIM_VALUES | ANIM_ALPHA},
    {"UvCoords", ANIM_VALUES | ANIM_UV},
};
static_assert(std::size(CHANNEL_WORDS) == 11, "channel keywords of an animation file");

// Words of the column header per channel.
struct SColumns {
    uint32_t flag;
    int words;
};
const SColumns COLUMNS[] = {
    {ANIM_ANGLE, 3}, {ANIM_POS, 3}, {ANIM_TARGET, 3}, {ANIM_SCALE, 3}, {ANIM_ALPHA, 1},
    {ANIM_RED, 1},   {ANIM_GREEN, 1}, {ANIM_BLUE, 1}, {ANIM_UV, 4},
};
static_assert(std::size(COLUMNS) == 9, "value channels");

// The values every sampler of value channels writes to.
CAnimValues gSampledValues;

// Relative paths: the animation directory first, then the program folder.
FILE* OpenAnimationFile(const char* path)
{
    if (IsAbsolutePath(path)) return OpenDataFile(path, "r");
    char full[ANIM_PATH_SIZE];
    if (StrCopy(full, sizeof full, gBaseDir) && StrAppend(full, sizeof full, gCore.animDir) &&
        StrAppend(full, sizeof full, path)) {
        if (FILE* file = OpenDataFile(full, "r")) return file;
    }
    if (!StrCopy(full, sizeof full, gBaseDir) || !StrAppend(full, sizeof full, path)) return nullptr;
    return OpenDataFile(full, "r");
}

D3DXMATRIX Translation(const D3DXVECTOR4& v)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, v.x, v.y, v.z);
    return m;
}

D3DXMATRIX Blend(const D3DXMATRIX& a, const D3DXMATRIX& b, float f)
{
    return a + (b - a) * f;
}

D3DXVECTOR4 Blend(const D3DXVECTOR4& a, const D3DXVECTOR4& b, float f)
{
    return a + (b - a) * f;
}

} // namespace

CAnimKey::CAnimKey()
{
    D3DXMatrixIdentity(&matrix);
    D3DXMatrixIdentity(&local);
}

// Reads one animation file into a cleared CAnimFile. Every number is checked, so a file
// cut short or holding a word where a number belongs ends in a message, never in keys
// made of whatever the buffers held.
class CAnimFileReader {
public:
    CAnimFileReader(CAnimFile& anim, FILE* file, const char* path, uint32_t loadFlags)
        : a_(anim), file_(file), path_(path), loadFlags_(loadFlags)
    {
    }
    int Read();

private:
    bool Word(char* out) { return fscanf(file_, "%255s", out) == 1; }
    bool Skip(int n)
    {
        char word[Core::STD_WORD_BUFFER_SIZE];
        for (int i = 0; i < n; ++i)
            if (!Word(word)) return false;
        return true;
    }
    bool Int(int* value) { return fscanf(file_, "%d", value) == 1; }
    bool Floats(float* out, int n)
    {
        for (int i = 0; i < n; ++i)
            if (fscanf(file_, "%f", &out[i]) != 1) return false;
        return true;
    }
    int Fail(int code, const char* what);
    int ReadHeader();
    bool ReadChannels();
    int ReadKey(CAnimKey& key, CAnimValues* values, int order);
    bool ReadChannelValues(CAnimValues& v);
    void ApplySkeleton();

    CAnimFile& a_;
    FILE* file_;
    const char* path_;
    uint32_t loadFlags_;
};

int CAnimFileReader::Fail(int code, const char* what)
{
    MsgBox5("CAnimFile::LoadAnimation()  Error:  ", what, "\n File.. \n\n", path_, "");
    return code;
}

int CAnimFileReader::ReadHeader()
{
    char word[Core::STD_WORD_BUFFER_SIZE];
    if (!Word(word) || !Int(&a_.version) || !Skip(3) || !Int(&a_.frameCount) || !Skip(1) ||
        !Int(&a_.boneCount) || !Skip(1) || !Floats(&a_.duration, 1))
        return Fail(ANIM_DAMAGED, "the header is damaged.");
    if (a_.frameCount > MAX_ANIM_FRAMES || a_.boneCount > MAX_BONES) {
        const bool frames = a_.frameCount > MAX_ANIM_FRAMES;
        a_.frameCount = a_.boneCount = 0;
        return frames ? Fail(ANIM_TOO_MANY_FRAMES, "MAX_ANIM_FRAMES limit.")
                      : Fail(ANIM_TOO_MANY_BONES, "MAX_BONES limit.");
    }
    if (a_.frameCount < 0 || a_.boneCount < 0 || !(a_.duration >= 0.0f)) {
        const bool nan = std::isnan(a_.duration);
        a_.frameCount = a_.boneCount = 0;
        return Fail(ANIM_DAMAGED, nan ? "the duration is not a number." : "a count or the duration is below 0.");
    }
    a_.ComputeStep();
    return ANIM_LOADED;
}

// From version 4 on a bracketed channel list; before, angles, positions and scales.
bool CAnimFileReader::ReadChannels()
{
    if (a_.version < 4) {
        a_.flags |= ANIM_ANGLE | ANIM_POS | ANIM_SCALE;
        return true;
    }
    if (!Skip(3)) return false;
    char word[Core::STD_WORD_BUFFER_SIZE];
    for (;;) {
        if (!Word(word)) return false;
        if (StrEqual(word, "]")) return true;
        for (const SChannelWord& channel : CHANNEL_WORDS)
            if (StrEqual(word, channel.word)) a_.flags |= channel.flags;
    }
}

int CAnimFileReader::Read()
{
    if (int code = ReadHeader()) return code;
    if (!ReadChannels()) return Fail(ANIM_DAMAGED, "the channel list is not closed by ']'.");
    if ((loadFlags_ & ANIM_LOAD_STORE_VALUES) && !(a_.flags & ANIM_FINAL_MATRIX)) a_.flags |= ANIM_VALUES;
    char word[Core::STD_WORD_BUFFER_SIZE];
    if (!Word(word)) return Fail(ANIM_DAMAGED, "the file ends before its keys.");
    if (StrEqual(word, "SKELETON_STRUCTURE")) {
        if (a_.skeleton.Load(file_, path_)) return ANIM_DAMAGED;  // the skeleton has said why
        if (!Word(word)) return Fail(ANIM_DAMAGED, "the file ends before its keys.");
    }
    int columns = 0;
    if (a_.flags & ANIM_FINAL_MATRIX)
        columns = 1;
    else
        for (const SColumns& c : COLUMNS)
            if (a_.flags & c.flag) columns += c.words;
    if (!Skip(columns)) return Fail(ANIM_DAMAGED, "the file ends before its keys.");

    const int count = a_.frameCount * a_.boneCount;
    if (count > 0) {
        a_.keys = new (std::nothrow) CAnimKey[count];
        if ((a_.flags & ANIM_VALUES)) a_.values = new (std::nothrow) CAnimValues[count];
        if (!a_.keys || ((a_.flags & ANIM_VALUES) && !a_.values)) return Fail(ANIM_DAMAGED, "not enough memory.");
    }
    for (int f = 0; f < a_.frameCount; ++f) {
        if (!Word(word)) return Fail(ANIM_DAMAGED, "the file ends before its last frame.");
        for (int i = 0; i < a_.boneCount; ++i) {
            const int k = f * a_.boneCount + i;
            if (int code = ReadKey(a_.keys[k], a_.values ? &a_.values[k] : nullptr, i)) return code;
        }
    }
    ApplySkeleton();
    return ANIM_LOADED;
}

// Each key is placed at its bone's offset from its master, then carried through the keys
// of its ancestors in the same frame, nearest first.
void CAnimFileReader::ApplySkeleton()
{
    const CSkeleton& s = a_.skeleton;
    if (s.boneCount <= 0 || (a_.flags & ANIM_FINAL_MATRIX) || !a_.keys) return;
    const int count = a_.frameCount * a_.boneCount;
    for (int k = 0; k < count; ++k) {
        CAnimKey& key = a_.keys[k];
        const SBone& bone = s.bones[key.boneIndex];
        key.matrix = key.matrix * Translation(bone.master ? bone.absolute - bone.master->absolute : bone.absolute);
        key.local = key.matrix;
    }
    for (int f = 0; f < a_.frameCount; ++f) {
        CAnimKey* frame = a_.keys + size_t(f) * a_.boneCount;
        int keyOf[MAX_SKELETON_BONES];
        std::fill(keyOf, keyOf + MAX_SKELETON_BONES, -1);
        for (int i = 0; i < a_.boneCount; ++i) keyOf[frame[i].boneIndex] = i;
        for (int i = 0; i < a_.boneCount; ++i) {
            const SBone* master = s.bones[frame[i].boneIndex].master;
            for (int depth = 0; master && depth < MAX_SKELETON_BONES; master = master->master, ++depth)
                if (keyOf[master->index] >= 0) frame[i].matrix = frame[i].matrix * frame[keyOf[master->index]].local;
        }
    }
}

bool CAnimFileReader::ReadChannelValues(CAnimValues& v)
{
    if (a_.flags & ANIM_ANGLE) {
        if (!Floats(&v.angles.x, 3)) return false;
        if (a_.version >= 4) v.angles *= FILE_DEGREES_TO_RADIANS, v.angles.w = 1.0f;
    }
    if ((a_.flags & ANIM_POS) && !Floats(&v.position.x, 3)) return false;
    if ((a_.flags & ANIM_TARGET) && !Floats(&v.target.x, 3)) return false;
    if ((a_.flags & ANIM_SCALE) && !Floats(&v.scale.x, 3)) return false;
    if ((a_.flags & ANIM_RED) && !Floats(&v.color.x, 1)) return false;
    if ((a_.flags & ANIM_GREEN) && !Floats(&v.color.y, 1)) return false;
    if ((a_.flags & ANIM_BLUE) && !Floats(&v.color.z, 1)) return false;
    if ((a_.flags & ANIM_ALPHA) && !Floats(&v.color.w, 1)) return false;
    if ((a_.flags & ANIM_UV) && !Floats(&v.position.x, 4)) return false;
    if (a_.flags & ANIM_RELATIVE) v.position.w = 0.0f;
    return true;
}

// A key's matrix is scaling x rotation x translation; "Matrices3x3" leaves the translation
// out. Without a skeleton the closing pass then moves every key once more by its own
// position, so a key carries it twice, or once with "Matrices3x3": stored files are made
// for exactly that. The pass needs no other key, so it is done here, key by key.
int CAnimFileReader::ReadKey(CAnimKey& key, CAnimValues* values, int order)
{
    char name[Core::STRING_BUFFER_SIZE];
    bool read;
    if (a_.version >= 4 || (a_.skeleton.flags & SKELETON_NAME_QUOTES))
        read = Core::fscan_string(file_, name) == 1 || name[0];
    else
        read = Word(name);
    if (!read) return Fail(ANIM_DAMAGED, "the file ends inside a frame.");
    key.nameHash = StrHash(name);
    key.boneIndex = order;
    if (a_.skeleton.boneCount > 0) {
        key.boneIndex = a_.skeleton.FindBoneById(key.nameHash);
        if (key.boneIndex < 0) {
            key.boneIndex = 0;
            MsgBox5("CAnimFile::LoadAnimation()  Error:  Can`t find bone '", name, "' for skeleton.\n\n File..  ",
                    path_, "");
            return ANIM_BONE_MISSING;
        }
        a_.usedBones |= uint64_t(1) << key.boneIndex;
    }
    if (a_.flags & ANIM_FINAL_MATRIX) {
        if (!Floats(&key.matrix._11, 16)) return Fail(ANIM_DAMAGED, "a matrix is cut short.");
        key.local = key.matrix;
        return ANIM_LOADED;
    }
    CAnimValues v;
    if (!ReadChannelValues(v)) return Fail(ANIM_DAMAGED, "a key is cut short.");
    if (values) *values = v;
    if (!(a_.flags & ANIM_COLOR_UV)) {
        D3DXMATRIX scaling, rotation;
        D3DXMatrixScaling(&scaling, v.scale.x, v.scale.y, v.scale.z);
        D3DXMatrixRotationYawPitchRoll(&rotation, v.angles.y, v.angles.x, v.angles.z);
        key.matrix = scaling * rotation;
        if (loadFlags_ & ANIM_LOAD_MATRICES_3X3)
            a_.flags |= ANIM_MATRICES_3X3;
        else
            key.matrix = key.matrix * Translation(v.position);
    }
    key.local = key.matrix;
    if (a_.skeleton.boneCount <= 0) key.matrix = key.matrix * Translation(v.position);
    return ANIM_LOADED;
}

int CAnimFile::LoadAnimation(const char* path, uint32_t loadFlags)
{
    Clear();
    FILE* file = path && *path ? OpenAnimationFile(path) : nullptr;
    if (!file) {
        MsgBox2("CAnimFile::LoadAnimation()  Error:  Can't open animation file.. \n\n", path ? path : "");
        return ANIM_CANT_OPEN;
    }
    CFileMessages messages(path);
    const int result = CAnimFileReader(*this, file, path, loadFlags).Read();
    fclose(file);
    return result;
}

void CAnimFile::ComputeStep()
{
    step = frameCount >= 2 ? duration / float(frameCount - 1) : 0.0f;
    invStep = step != 0.0f ? 1.0f / step : 0.0f;
}

void CAnimFile::Init(int frames, int bones, float seconds, uint32_t newFlags)
{
    if (frames > 0) frameCount = frames;
    if (bones > 0) boneCount = bones;
    duration = seconds;
    ComputeStep();
    flags = newFlags;
}

void CAnimFile::Clear()
{
    delete[] keys;
    delete[] values;
    keys = nullptr;
    values = nullptr;
    frameCount = boneCount = 0;
    usedBones = 0;
    duration = step = invStep = 0.0f;
    flags = 0;
    frameCallback = nullptr;
    version = 0;
    skeleton.Release();
}

bool CAnimFile::FramePair(int a, int b) const
{
    return keys && a >= 0 && b >= 0 && a < frameCount && b < frameCount;
}

CAnimKey* CAnimFile::FindKey(int bone, int frame) const
{
    if (!FramePair(frame, frame)) return nullptr;
    for (int i = 0; i < boneCount; ++i) {
        CAnimKey& key = keys[frame * boneCount + i];
        if (key.boneIndex == bone) return &key;
    }
    return nullptr;
}

void CAnimFile::SampleMatrices(int a, int b, float f, D3DXMATRIX* out, uint8_t* marks) const
{
    if (frameCount == 1) a = b = 0;
    if (!out || !FramePair(a, b)) return;
    for (int i = 0; i < boneCount; ++i) {
        const CAnimKey& ka = keys[a * boneCount + i];
        const CAnimKey& kb = keys[b * boneCount + i];
        if (ka.boneIndex < 0 || ka.boneIndex >= MAX_BONES) continue;
        out[ka.boneIndex] = Blend(ka.matrix, kb.matrix, f);
        if (marks) marks[ka.boneIndex] = 2;
    }
}

bool CAnimFile::SampleBoneMatrix(int a, int b, float f, int bone, D3DXMATRIX* out) const
{
    if (!out) return false;
    if (!keys) {
        D3DXMatrixIdentity(out);
        return true;
    }
    if (frameCount == 1) a = b = 0;
    const CAnimKey* ka = FindKey(bone, a);
    const CAnimKey* kb = FindKey(bone, b);
    if (!ka || !kb) return false;
    if (!(flags & (ANIM_FINAL_MATRIX | ANIM_MATRICES_3X3))) {
        *out = Blend(ka->local, kb->local, f);
        return true;
    }
    const D3DXMATRIX m = Blend(ka->matrix, kb->matrix, f);
    if (flags & ANIM_MATRICES_3X3)
        memcpy(&out->_11, &m._11, sizeof(float) * 12);
    else
        *out = m;
    return true;
}

const CAnimValues* CAnimFile::SampleValues(int a, int b, float f, int order) const
{
    if (frameCount == 1) a = b = 0;
    if (!values || !FramePair(a, b) || order < 0 || order >= boneCount) return nullptr;
    const CAnimValues& va = values[a * boneCount + order];
    const CAnimValues& vb = values[b * boneCount + order];
    gSampledValues.angles = Blend(va.angles, vb.angles, f);
    gSampledValues.position = Blend(va.position, vb.position, f);
    gSampledValues.scale = Blend(va.scale, vb.scale, f);
    gSampledValues.target = Blend(va.target, vb.target, f);
    gSampledValues.color = Blend(va.color, vb.color, f);
    return &gSampledValues;
}

void CAnimFile::SamplePosition(int a, int b, float f, int bone, D3DXVECTOR4* out) const
{
    if (frameCount == 1) a = b = 0;
    const CAnimKey* ka = FindKey(bone, a);
    const CAnimKey* kb = FindKey(bone, b);
    if (!out || !ka || !kb) return;
    const D3DXVECTOR4 pa(ka->matrix._41, ka->matrix._42, ka->matrix._43, ka->matrix._44);
    const D3DXVECTOR4 pb(kb->matrix._41, kb->matrix._42, kb->matrix._43, kb->matrix._44);
    *out = Blend(pa, pb, f);
}
