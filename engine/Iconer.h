#pragma once
// CIconer: the unit icons shown for selected units. It has no virtual operations; both its
// globals are of the concrete type. Until icons are built it shows none.

class CAtom;

class CIconer {
public:
    void RemoveIconFrame(CAtom*) {}
    void Reset() {}
};

extern CIconer* gIconer;
extern CIconer* gIIconer;
