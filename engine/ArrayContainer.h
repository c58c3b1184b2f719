#pragma once
// CArrayContainer: owns the user arrays, 32-bit cell grids loaded from TGA images and read
// from "ArrayData" objects of scripts and presentation files; one of them can become the
// engine's valid map. A full pool is fatal (gExitCode 1); an image that cannot be read is
// reported and leaves its array without cells. All arrays go at presentation end.

#include "core/Container.h"

#include <cstdint>
#include <cstdio>
#include <memory>

constexpr int32_t USER_ARRAY_NO_CELL = -11111;

struct CUserArray {
    std::unique_ptr<uint32_t[]> cells;  // row-major, width x height; null when not loaded
    int32_t width = 0;
    int32_t height = 0;
    char name[64] = {};

    // 0, or the image reader's error (reported here).
    int LoadData(const char* path);
    void Free();
    // Cell (x, y); USER_ARRAY_NO_CELL without cells or outside the grid.
    int32_t GetCell(int x, int y) const;
    // 0, or -1 (nothing written) without cells or outside the grid.
    int SetCell(int x, int y, uint32_t value);

private:
    uint32_t* Cell(int x, int y) const;
};

class IArrayContainer {
public:
    virtual ~IArrayContainer() = default;
    virtual CUserArray* FindArray(const char* name) = 0;
};

class CArrayContainer : public IArrayContainer {
public:
    CUserArray* FindArray(const char* name) override { return arrays.FindByName(name); }

    // The "UserArrays" section after its name; 0.
    int FirstScan(FILE* file);
    // One "ArrayData" object after its keyword: the index, or 0 when the pool is full.
    uint16_t AddArray(FILE* file);
    // Frees every array and empties the pool, so the next presentation can load its own.
    void FreeAll();

    TContainer<CUserArray, uint16_t> arrays;
    int32_t warningBudget = 4;
};

extern CArrayContainer* gArrayContainer;
extern IArrayContainer* gIArrayContainer;
