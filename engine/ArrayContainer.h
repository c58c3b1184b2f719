#pragma once
// CArrayContainer: owns the user arrays (2D cell arrays read from images). Until user
// arrays are built it holds none: FindArray answers null.

#include <cstdint>

// A named 2D array of cells.
struct CUserArray {
    char name[32] = {};
    int32_t width = 0, height = 0;
};

class IArrayContainer {
public:
    virtual ~IArrayContainer() = default;
    virtual CUserArray* FindArray(const char* name) = 0;
};

class CArrayContainer : public IArrayContainer {
public:
    CUserArray* FindArray(const char*) override { return nullptr; }

    // Frees every array's cells (at the end of a presentation).
    void FreeAll() {}
};

extern CArrayContainer* gArrayContainer;
extern IArrayContainer* gIArrayContainer;
