#pragma once
// CBillLightData: one night light of a unit or of a unit class ("Light:" / "light:"
// records of "NightLights:" / "night_lights:" blocks): the class of the bill light to make
// and what the made light takes over. Records are kept in a singly linked list owned by
// whoever read them (the unit, or the class template, which deletes them with itself). A
// record whose class is unknown is refused with a message and the rest of its block is
// skipped.

#include <d3dx9.h>

#include <cstdint>
#include <cstdio>

class CClassTemplate;

constexpr uint16_t NO_BILL_LIGHT_BONE = 255;

struct CBillLightData {
    D3DXVECTOR4 position{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXCOLOR color{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXVECTOR4 size{1.0f, 1.0f, 1.0f, 1.0f};
    uint16_t mesh = 0;
    uint16_t texture = 0;
    uint16_t attachBone = NO_BILL_LIGHT_BONE;
    CClassTemplate* classTemplate = nullptr;
    CBillLightData* next = nullptr;

    // The record's words up to "};": 0, or -1 when its class is unknown.
    int ScanProps(FILE* file);
};

// Appends a record at the tail of a list.
void AppendBillLightData(CBillLightData** list, CBillLightData* record);
// Deletes every record of a list and empties it.
void DeleteBillLightData(CBillLightData** list);

// The records of a unit class: a class inheriting them gets copies of its own, and they
// are deleted with the class.
class CBillLightList {
public:
    CBillLightList() = default;
    CBillLightList(const CBillLightList& other) { CopyRecords(other.head); }
    CBillLightList& operator=(const CBillLightList& other);
    CBillLightList(CBillLightList&& other) noexcept : head(other.head) { other.head = nullptr; }
    CBillLightList& operator=(CBillLightList&& other) noexcept;
    ~CBillLightList() { DeleteBillLightData(&head); }

    const CBillLightData* First() const { return head; }
    // The head link, for appending.
    CBillLightData** Head() { return &head; }

private:
    void CopyRecords(const CBillLightData* records);

    CBillLightData* head = nullptr;
};
