#include "app/Floor.h"

#include "app/Column.h"
#include "app/Flat.h"
#include "app/FlatShow.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/Textures.h"
#include "engine/TexContainer.h"
#include "scene/Geometry.h"

#include <cstdlib>
#include <cstring>

namespace {

// Flat words are "Flat" and the number; "Flat1".."Flat9" are the usual ones.
int FlatNumber(const char* word) { return strlen(word) >= 5 ? atoi(word + 4) : 0; }

} // namespace

// The registry deletes the floor's slaves (the interior among them) before the floor.
CFloor::~CFloor()
{
    if (gSelFloor == this) {
        Deselect();
        gSelFloor = nullptr;
    }
    if (gShownFloor == this) {
        gShownFloor = nullptr;
        gInteriorUnit = nullptr;
        gInteriorTimer = 0.0f;
    }
    DeleteFlatsWindow();
    for (int i = 0; i < flats.Count(); ++i)
        delete flats[i];
    for (const SPlanMask& plan : planMasks)
        delete[] plan.mask;
}

CFlat* CFloor::AddFlat()
{
    CFlat* flat = new CFlat;
    if (!flats.Add(flat)) {
        delete flat;
        return nullptr;
    }
    return flat;
}

void CFloor::ScanFlats(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // the opening
    while (!Core::fscan_is_end(file, word) && word[0]) {
        if (StrEqual(word, "FloorWinTextureRect:"))
            ScanPlanPicture(file);
        else if (StrEqual(word, "Flats:"))
            ScanFlatList(file);
    }
}

// "[" path rectangle "]". A second picture becomes the floor plan for the flats read after it.
void CFloor::ScanPlanPicture(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    char path[Core::STRING_BUFFER_SIZE];
    Core::fscan_word(file, word);
    ScanFullPath(file, path, sizeof path);
    flatsTexture = gITexContainer ? gITexContainer->LoadTexture(path, 1) : 0;
    hitMask = TakeMask(flatsTexture);
    Core::fscan_rect(file, &flatsSource.left);
    Core::fscan_word(file, word);
}

uint8_t* CFloor::MaskOf(uint16_t texture) const
{
    for (const SPlanMask& plan : planMasks)
        if (plan.texture == texture) return plan.mask;
    return nullptr;
}

// A picture read again keeps the mask it has.
uint8_t* CFloor::TakeMask(uint16_t texture)
{
    if (uint8_t* known = MaskOf(texture)) return known;
    IDirect3DTexture9* picture = texture ? gITexContainer->GetTexture(texture) : nullptr;
    uint8_t* mask = picture ? GetAlphaBytes(picture) : nullptr;
    if (mask) planMasks.push_back({texture, mask});
    return mask;
}

void CFloor::ScanFlatList(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // the opening
    while (!Core::fscan_is_end(file, word) && word[0]) {
        // A flat that cannot be kept is still read through, so the next word is a flat's.
        CFlat unkept;
        CFlat* flat = AddFlat();
        CFlat::Scan(flat ? flat : &unkept, FlatNumber(word), flatsTexture, file);
    }
}

void CFloor::StackFloor(float height, uint16_t floorMesh)
{
    mesh = floorMesh;
    Pos.y = height;
    StorePos();
    if (SysControls & SYS_GEOMETRY) UpdateWorldMatrix();
}

void CFloor::SetWindowMesh(uint16_t windowMesh)
{
    if (CGeometry* window = dynamic_cast<CGeometry*>(FindSlaveByClass("Window")))
        window->mesh = windowMesh;
}
