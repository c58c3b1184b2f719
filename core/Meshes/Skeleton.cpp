#include "core/Meshes/Skeleton.h"

#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

const char ROOT_MASTER[] = "not_present";

// One "SKELETON_STRUCTURE" block being read: words and numbers are checked as they come.
class CSkeletonReader {
public:
    CSkeletonReader(FILE* file, const char* fileName, CSkeleton& skeleton)
        : file_(file), fileName_(fileName ? fileName : ""), s_(skeleton)
    {
    }
    int Read();

private:
    FILE* file_;
    const char* fileName_;
    CSkeleton& s_;
    char word_[Core::WORD_BUFFER_SIZE] = {};
    std::vector<std::string> names_, masters_;
    // Repeats of one kind are gathered by the load's message scope; this budget caps the
    // kinds a damaged block can raise.
    int warnings_ = 4;

    bool Word();
    bool Name(std::string& out);
    bool Float(float& value);
    int Damaged(const char* what);
    int ReadHeader(int& count);
    int ReadRows(int count);
    void Link();
    void AddChild(SBone& master, int child);
    void WarnEqualIds() const;
};

bool CSkeletonReader::Word()
{
    Core::fscan_word(file_, word_);
    return word_[0] != 0;
}

bool CSkeletonReader::Name(std::string& out)
{
    char text[Core::STRING_BUFFER_SIZE];
    if (s_.flags & SKELETON_NAME_QUOTES) {
        const int quoted = Core::fscan_string(file_, text);
        if (!quoted && !text[0]) return false;
    } else {
        Core::fscan_word(file_, text, sizeof text);
        if (!text[0]) return false;
    }
    out = text;
    return true;
}

bool CSkeletonReader::Float(float& value)
{
    if (!Word()) return false;
    char* end = nullptr;
    value = strtof(word_, &end);
    return end != word_ && !*end;
}

int CSkeletonReader::Damaged(const char* what)
{
    MsgBox5("Skeleton block in file '", fileName_, "' is damaged: ", what, ".");
    s_.Release();
    return -1;
}

// Header words up to "BoneName": "NumBones" n and "NameQuotes"; others are passed over.
int CSkeletonReader::ReadHeader(int& count)
{
    count = 0;
    for (;;) {
        if (!Word()) return Damaged("it ends before \"BoneName\"");
        if (StrEqual(word_, "BoneName")) return 0;
        if (StrEqual(word_, "NameQuotes")) {
            s_.flags |= SKELETON_NAME_QUOTES;
        } else if (StrEqual(word_, "NumBones")) {
            char* end = nullptr;
            errno = 0;
            const long n = Word() ? strtol(word_, &end, 10) : -1;
            if (!end || *end || errno || n < 0) return Damaged("NumBones is not a count");
            if (n > MAX_SKELETON_BONES) {
                MsgBox3("PROGRAMMER LIMIT:  MAX_BONES (64) limit is exceed. File '", fileName_, "'.");
                s_.Release();
                return -1;
            }
            count = int(n);
        }
    }
}

int CSkeletonReader::ReadRows(int count)
{
    for (int i = 0; i < 4; ++i) Word();  // BoneMaster x y z
    names_.resize(size_t(count));
    masters_.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        float p[3];
        if (!Name(names_[size_t(i)]) || !Name(masters_[size_t(i)]) || !Float(p[0]) || !Float(p[1]) ||
            !Float(p[2]))
            return Damaged("a bone row is cut short");
        SBone& bone = s_.bones[i];
        bone.absolute = D3DXVECTOR4(p[0], p[1], p[2], 1.0f);
        bone.relative = bone.absolute;
        if (!StrCopy(bone.name, sizeof bone.name, names_[size_t(i)].c_str()))
            WarningBox(&warnings_, "Bone name '", names_[size_t(i)].c_str(),
                       "' is longer than 25 characters in file '", fileName_, "'.", nullptr);
    }
    return 0;
}

// Keeps the first 40 children; a further one is not walked from its master.
void CSkeletonReader::AddChild(SBone& master, int child)
{
    if (master.childCount >= MAX_BONE_CHILDREN) {
        WarningBox(&warnings_, "PROGRAMMER LIMIT:  MAX_BONE_CHILDS limit is exceed.", nullptr);
        return;
    }
    master.children[master.childCount++] = uint8_t(child);
}

// Ids hash the whole name, so a name cut to the record still finds its animation keys.
void CSkeletonReader::Link()
{
    for (int i = 0; i < s_.boneCount; ++i) {
        SBone& bone = s_.bones[i];
        bone.id = StrHash(names_[size_t(i)].c_str());
        const std::string& master = masters_[size_t(i)];
        const auto found = std::find(names_.begin(), names_.end(), master);
        if (found == names_.end()) {
            if (master != ROOT_MASTER)
                WarningBox(&warnings_, "In file '", fileName_, "' master bone '", master.c_str(),
                           "' not found.", nullptr);
            continue;
        }
        const int m = int(found - names_.begin());
        if (m == i) {
            WarningBox(&warnings_, "In file '", fileName_, "' bone '", master.c_str(),
                       "' is its own master.", nullptr);
            continue;
        }
        bone.master = &s_.bones[m];
        AddChild(s_.bones[m], i);
    }
}

// Said once however many pairs there are.
void CSkeletonReader::WarnEqualIds() const
{
    for (int i = 0; i < s_.boneCount; ++i)
        for (int j = i + 1; j < s_.boneCount; ++j)
            if (s_.bones[i].id == s_.bones[j].id) {
                MsgBox3("Warning: Generate equal bone ids in file..  '", fileName_, "'.");
                return;
            }
}

int CSkeletonReader::Read()
{
    s_.Release();
    int count = 0;
    int code = ReadHeader(count);
    if (code) return code;
    if (s_.AllocBones(count)) return Damaged("its bones cannot be allocated");
    code = ReadRows(count);
    if (code) return code;
    Link();
    WarnEqualIds();
    return 0;
}

// x, y and z in 12-character fields that leave the first column blank for non-negative
// values; trailing blanks cut.
std::string PositionColumns(const D3DXVECTOR4& p)
{
    char text[64];
    snprintf(text, sizeof text, "% 12.3f% 12.3f% 12.3f", p.x, p.y, p.z);
    std::string s = text;
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

// Where bone `old` stands once bone `removed` is taken out; -1 for that bone.
int MovedIndex(int old, int removed)
{
    return old < removed ? old : old == removed ? -1 : old - 1;
}

} // namespace

void* AlignedAlloc(size_t n)
{
    if (n > SIZE_MAX - 16) return nullptr;
    uint8_t* block = static_cast<uint8_t*>(malloc(n + 16));
    if (!block) return nullptr;
    // 1 to 16 bytes in, so the byte before the result can hold the distance.
    const size_t distance = 16 - (reinterpret_cast<uintptr_t>(block) & 15);
    uint8_t* p = block + distance;
    p[-1] = uint8_t(distance);
    return p;
}

void AlignedFree(void* p)
{
    if (!p) return;
    uint8_t* q = static_cast<uint8_t*>(p);
    free(q - q[-1]);
}

void CSkeleton::Init()
{
    boneCount = 0;
    bones = nullptr;
    inverseMatrices = nullptr;
    flags = 0;
}

void CSkeleton::Release()
{
    delete[] bones;
    AlignedFree(inverseMatrices);
    Init();
}

bool CSkeleton::AllocInverseMatrices()
{
    AlignedFree(inverseMatrices);
    inverseMatrices = nullptr;
    if (boneCount <= 0) return true;
    void* memory = AlignedAlloc(sizeof(D3DXMATRIX) * size_t(boneCount));
    if (!memory) return false;
    inverseMatrices = static_cast<D3DXMATRIX*>(memory);
    for (int i = 0; i < boneCount; ++i) D3DXMatrixIdentity(&inverseMatrices[i]);
    return true;
}

void CSkeleton::CopyFrom(const CSkeleton& other)
{
    if (&other == this)
        return;
    Release();
    flags = other.flags;
    if (other.boneCount <= 0 || !other.bones)
        return;
    boneCount = other.boneCount;
    bones = new SBone[boneCount];
    std::copy(other.bones, other.bones + boneCount, bones);
    for (int i = 0; i < boneCount; ++i)
        if (other.bones[i].master)
            bones[i].master = bones + (other.bones[i].master - other.bones);
    if (other.inverseMatrices && AllocInverseMatrices())
        std::copy(other.inverseMatrices, other.inverseMatrices + boneCount, inverseMatrices);
}

int CSkeleton::Load(FILE* file, const char* fileName)
{
    return CSkeletonReader(file, fileName, *this).Read();
}

int CSkeleton::AllocBones(int n)
{
    delete[] bones;
    bones = nullptr;
    AlignedFree(inverseMatrices);
    inverseMatrices = nullptr;
    boneCount = 0;
    if (n < 0 || n > MAX_SKELETON_BONES) return -1;
    if (n == 0) return 0;
    bones = new (std::nothrow) SBone[size_t(n)];
    if (!bones) return -1;
    boneCount = n;
    for (int i = 0; i < boneCount; ++i) {
        bones[i].index = i;
        bones[i].mask = uint64_t(1) << i;
    }
    return 0;
}

int CSkeleton::Resize(int n)
{
    if (n < 0 || n > MAX_SKELETON_BONES) return -1;
    SBone* fresh = n ? new (std::nothrow) SBone[size_t(n)] : nullptr;
    D3DXMATRIX* matrices = nullptr;
    if (n && inverseMatrices) matrices = static_cast<D3DXMATRIX*>(AlignedAlloc(sizeof(D3DXMATRIX) * size_t(n)));
    if (n && (!fresh || (inverseMatrices && !matrices))) {
        delete[] fresh;
        AlignedFree(matrices);
        return -1;
    }
    const int kept = std::min(n, boneCount);
    for (int i = 0; i < n; ++i) {
        if (i < kept) {
            SBone& bone = fresh[i];
            bone = bones[i];
            const long m = bone.master ? long(bone.master - bones) : -1;
            bone.master = m >= 0 && m < kept ? &fresh[m] : nullptr;
            int c = 0;
            for (int k = 0; k < bone.childCount; ++k)
                if (bone.children[k] < kept) bone.children[c++] = bone.children[k];
            bone.childCount = uint8_t(c);
        }
        fresh[i].index = i;
        fresh[i].mask = uint64_t(1) << i;
        if (matrices) {
            if (i < kept) matrices[i] = inverseMatrices[i];
            else D3DXMatrixIdentity(&matrices[i]);
        }
    }
    delete[] bones;
    AlignedFree(inverseMatrices);
    bones = fresh;
    inverseMatrices = matrices;
    boneCount = n;
    return 0;
}

void CSkeleton::RemoveBone(int removed)
{
    if (removed < 0 || removed >= boneCount) return;
    std::vector<int> masters(size_t(boneCount), -1);
    for (int b = 0; b < boneCount; ++b) {
        SBone& bone = bones[b];
        const long m = bone.master ? long(bone.master - bones) : -1;
        masters[size_t(b)] = m >= 0 && m < boneCount ? MovedIndex(int(m), removed) : -1;
        int c = 0;
        for (int k = 0; k < bone.childCount; ++k) {
            const int child = MovedIndex(bone.children[k], removed);
            if (child >= 0 && child < boneCount - 1) bone.children[c++] = uint8_t(child);
        }
        bone.childCount = uint8_t(c);
    }
    for (int b = removed; b + 1 < boneCount; ++b) {
        bones[b] = bones[b + 1];
        masters[size_t(b)] = masters[size_t(b) + 1];
        if (inverseMatrices) inverseMatrices[b] = inverseMatrices[b + 1];
    }
    --boneCount;
    for (int b = 0; b < boneCount; ++b) {
        bones[b].master = masters[size_t(b)] >= 0 ? &bones[masters[size_t(b)]] : nullptr;
        bones[b].index = b;
        bones[b].mask = b < 64 ? uint64_t(1) << b : 0;
    }
}

void CSkeleton::Save(FILE* file) const
{
    fprintf(file, "\n\n\nSKELETON_STRUCTURE\n\n    NumBones  %d\n    NameQuotes\n\n", boneCount);
    fprintf(file, "    BoneName                    BoneMaster                      x           y           z");
    for (int i = 0; i < boneCount; ++i) {
        const SBone& bone = bones[i];
        const std::string name = std::string("\"") + bone.name + "\"";
        const std::string master = bone.master ? std::string("\"") + bone.master->name + "\""
                                               : std::string("\"") + ROOT_MASTER + "\"                ";
        fprintf(file, "\n    %-28s%-29s%s", name.c_str(), master.c_str(), PositionColumns(bone.absolute).c_str());
    }
}

int CSkeleton::FindBoneById(uint32_t id) const
{
    for (int i = 0; i < boneCount; ++i)
        if (bones[i].id == id) return i;
    return -1;
}

int CSkeleton::FindBoneIndex(const char* name) const
{
    for (int i = 0; i < boneCount; ++i)
        if (StrEqual(bones[i].name, name)) return i;
    return -1;
}

SBone* CSkeleton::FindBone(const char* name)
{
    const int i = FindBoneIndex(name);
    return i < 0 ? nullptr : &bones[i];
}

void CSkeleton::ComputeRelativePositions()
{
    for (int i = 0; i < boneCount; ++i) {
        SBone& bone = bones[i];
        bone.relative = bone.master ? bone.absolute - bone.master->absolute : bone.absolute;
        bone.relative.w = 1.0f;
    }
}
