#pragma once
// CScenes: owns the loaded scenes (unit sets read from scene files, started and stopped as
// a whole, optionally all playing one animation). Scene units are made from class
// templates but are registered only while their scene is started. Problems are counted
// warnings (budget 3); a full table (255 scenes) answers index 0. Its interface has no
// virtual destructor, so it is deleted as the concrete class.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

class CAtom;

class IScenes {
public:
    virtual uint16_t LoadScene(const char* path) = 0;
    virtual int StartScene(uint16_t index) = 0;
    virtual void StopScenes() = 0;

protected:
    ~IScenes() = default;
};

class CScene {
public:
    static constexpr uint32_t CLEARED = 3;

    CScene();
    ~CScene();
    CScene(const CScene&) = delete;
    CScene& operator=(const CScene&) = delete;

    // 0; -1 the file does not open; -2 an unknown class; -3 a unit could not be made.
    int LoadFromFile(const char* path, int* budget);
    // Registers and initialises every unit; -1 without units.
    int Activate();
    void Deactivate();
    // Deletes the units.
    void Clear();
    // A unit deleted elsewhere (one that ended itself) leaves the scene.
    void ForgetUnit(const CAtom* unit);

    uint32_t state = CLEARED;
    CAtom* camera = nullptr;
    uint32_t animation = 0;
    std::vector<CAtom*> units;

private:
    int ReadDeclarations(FILE* file);
    int ReadUnits(FILE* file, const char* path, int* budget);
};

class CScenes final : public IScenes {
public:
    static constexpr int MAX_SCENES = 256;

    CScenes() = default;
    ~CScenes() { FreeAll(); }

    uint16_t LoadScene(const char* path) override;
    int StartScene(uint16_t index) override;
    void StopScenes() override;

    void FreeAll();
    CScene* GetScene(uint16_t index);
    void ForgetUnit(const CAtom* unit);

    int32_t warningBudget = 3;

private:
    // Slot i holds scene i + 1 (0 = none); only FreeAll frees slots.
    std::vector<std::unique_ptr<CScene>> scenes;
};

extern CScenes* gScenes;
extern IScenes* gIScenes;
