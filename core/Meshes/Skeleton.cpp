#include "core/Meshes/Skeleton.h"

#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
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
            MsgBox5("Bone name '", names_[size_t(i)].c_str(), "' is longer than 25 characters in file '", fileName_,
                    "'.");
    }
    return 0;
}

// Keeps the first 40 children; a further one is not walked from its master.
void CSkeletonReader::AddChild(SBone& master, int child)
{
    if (master.childCount >= MAX_BONE_CHILDREN) {
        MsgBox("PROGRAMMER LIMIT:  MAX_BONE_CHILDS limit is exceed.");
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
                MsgBox5("In file '", fileName_, "' master bone '", master.c_str(), "' not found.");
            continue;
        }
        const int m = int(found - names_.begin());
        if (m == i) {
            MsgBox5("In file '", fileName_, "' bone '", master.c_str(), "' is its own master.");
            continue;
        }
        bone.master = &s_.bones[m];
        AddChild(s_.bones[m], i);
    }
}

void CSkeletonReader::WarnEqualIds() const
{
    for (int i = 0; i < s_.boneCount; ++i)
        for (int j = i + 1; j < s_.boneCount; ++j)
            if (s_.bones[i].id == s_.bones[j].id)
                MsgBox3("Warning: Generate equal bone ids in file..  '", fileName_, "'.");
}

int CSkeletonReader::Read()
{
    s_.Release();
    int count = 0;
    int code = ReadHeader(count);
    if (code) return code;
    s_.AllocBones(count);
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

} // namespace

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
    delete[] inverseMatrices;
    Init();
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
    if (other.inverseMatrices) {
        inverseMatrices = new D3DXMATRIX[boneCount];
        std::copy(other.inverseMatrices, other.inverseMatrices + boneCount, inverseMatrices);
    }
}

int CSkeleton::Load(FILE* file, const char* fileName)
{
    return CSkeletonReader(file, fileName, *this).Read();
}

int CSkeleton::AllocBones(int n)
{
    delete[] bones;
    delete[] inverseMatrices;
    inverseMatrices = nullptr;
    boneCount = std::clamp(n, 0, MAX_SKELETON_BONES);
    bones = boneCount ? new SBone[size_t(boneCount)] : nullptr;
    for (int i = 0; i < boneCount; ++i) {
        bones[i].index = i;
        bones[i].mask = uint64_t(1) << i;
    }
    return 0;
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
