#pragma once
// CAnimContainer: owns the animation files, numbered from 1 (0 = none), and the running
// animation instances. Until the animation container is built it holds none: lookups
// answer 0 or null and loading fails.

#include <cstdint>

struct CAnimFileRecord;
class CAnimFile;

class IAnimContainer {
public:
    virtual ~IAnimContainer() = default;
    virtual CAnimFileRecord* GetAnimFile(uint16_t index) = 0;
    virtual CAnimFileRecord* FindAnimFile(const char* name) = 0;
    virtual uint16_t FindAnimFileIndex(const char* name) = 0;
    virtual CAnimFile* GetAnimData(uint16_t index) = 0;
    virtual uint16_t LoadAnimFile(const char* path, uint32_t loadFlags, int presentation) = 0;
    virtual void FreeAnimFile(uint16_t index) = 0;
};

class CAnimContainer : public IAnimContainer {
public:
    CAnimFileRecord* GetAnimFile(uint16_t) override { return nullptr; }
    CAnimFileRecord* FindAnimFile(const char*) override { return nullptr; }
    uint16_t FindAnimFileIndex(const char*) override { return 0; }
    CAnimFile* GetAnimData(uint16_t) override { return nullptr; }
    uint16_t LoadAnimFile(const char*, uint32_t, int) override { return 0; }
    void FreeAnimFile(uint16_t) override {}

    // Frees the animation files loaded for the running presentation.
    void FreeMarkedFiles() {}
};

extern CAnimContainer* gAnimContainer;
extern IAnimContainer* gIAnimContainer;
