#include "scene/BillLightData.h"

#include "core/Meshes/Mesh.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/ClassTemplate.h"
#include "engine/MeshContainer.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Geometry.h"

#include <cstring>
#include <iterator>
#include <utility>

namespace {

// The bone of that name in the mesh of the record's class, else none.
uint16_t FindBone(const CClassTemplate* cls, const char* name)
{
    const auto* geometry = cls ? dynamic_cast<const CGeometry*>(cls->prototype) : nullptr;
    const CMesh* mesh = geometry ? geometry->PassMesh(0) : nullptr;
    if (!mesh) return NO_BILL_LIGHT_BONE;
    for (int i = 0; i < mesh->skeleton.boneCount && i < NO_BILL_LIGHT_BONE; ++i)
        if (StrEqual(mesh->skeleton.bones[i].name, name)) return uint16_t(i);
    return NO_BILL_LIGHT_BONE;
}

using RecordReader = void (*)(CBillLightData&, FILE*);
struct SRecordKeyword {
    const char* upper;
    const char* lower;
    RecordReader read;
};
const SRecordKeyword RECORD_KEYWORDS[] = {
    {"Pos:", "pos:", [](CBillLightData& r, FILE* f) { Core::fscan_bracketed_floats(f, &r.position.x, 3); }},
    {"Color:", "color:", [](CBillLightData& r, FILE* f) { Core::fscan_bracketed_floats(f, &r.color.r, 4); }},
    {"Size:", "size:", [](CBillLightData& r, FILE* f) { Core::fscan_bracketed_floats(f, &r.size.x, 3); }},
    {"Attach:", "attach:",
     [](CBillLightData& r, FILE* f) {
         char name[Core::WORD_BUFFER_SIZE];
         Core::fscan_word(f, name);
         r.attachBone = FindBone(r.classTemplate, name);
     }},
};
static_assert(std::size(RECORD_KEYWORDS) == 4, "record keywords besides the class and the resources");

} // namespace

int CBillLightData::ScanProps(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "};"); Core::fscan_word(file, word)) {
        if (StrEqual(word, "Class:") || StrEqual(word, "class:")) {
            char name[Core::WORD_BUFFER_SIZE];
            Core::fscan_word(file, name);
            classTemplate = gIUnitInspector ? gIUnitInspector->GetClassTemplate(name) : nullptr;
            if (classTemplate) continue;
            MsgBox3("CBillLightData::ScanProps:  Can`t find class: '", name, "'.");
            Core::fscan_skip_block(file);
            return -1;
        }
        // Upper-case resource keywords are script data, lower-case ones presentation data.
        if (StrEqual(word, "Mesh:") || StrEqual(word, "mesh:")) {
            mesh = gMeshContainer ? gMeshContainer->ScanMesh(file, StrEqual(word, "mesh:") ? 1 : 0) : 0;
            continue;
        }
        if (StrEqual(word, "Texture:") || StrEqual(word, "texture:")) {
            texture = gTexContainer ? gTexContainer->ScanTexture(file, StrEqual(word, "texture:") ? 1 : 0) : 0;
            continue;
        }
        for (const SRecordKeyword& key : RECORD_KEYWORDS)
            if (StrEqual(word, key.upper) || StrEqual(word, key.lower)) key.read(*this, file);
    }
    return 0;
}

void AppendBillLightData(CBillLightData** list, CBillLightData* record)
{
    while (*list) list = &(*list)->next;
    *list = record;
}

void DeleteBillLightData(CBillLightData** list)
{
    for (CBillLightData* record = *list; record;) {
        CBillLightData* next = record->next;
        delete record;
        record = next;
    }
    *list = nullptr;
}

CBillLightList& CBillLightList::operator=(const CBillLightList& other)
{
    if (this == &other) return *this;
    DeleteBillLightData(&head);
    CopyRecords(other.head);
    return *this;
}

CBillLightList& CBillLightList::operator=(CBillLightList&& other) noexcept
{
    std::swap(head, other.head);
    return *this;
}

void CBillLightList::CopyRecords(const CBillLightData* records)
{
    CBillLightData** tail = &head;
    for (const CBillLightData* record = records; record; record = record->next) {
        *tail = new CBillLightData(*record);
        (*tail)->next = nullptr;
        tail = &(*tail)->next;
    }
}
