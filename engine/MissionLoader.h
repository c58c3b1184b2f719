#pragma once
// CMissionLoader: reads the presentation list and presentation files, starts a presentation
// in the engine frame after StartMission asked for it, and ends it. Until presentations are
// read, every word of a presentation file is reported as undefined (an empty file starts an
// empty presentation) and the list cannot be read.

#include "engine/Variables.h"

#include <string>
#include <vector>

class CGameMap;

struct CMission {
    std::string file;
    std::string title;
};

using MissionStartCallback = void (*)(int);

class IMissionLoader {
public:
    virtual ~IMissionLoader() = default;
    virtual int LoadMissionList(const char* path) = 0;
    virtual int GetMissionList(std::vector<CMission*>** out) = 0;
    virtual int StartMission(std::string path) = 0;
    virtual int EndMission() = 0;
    virtual CGameMap* GetGameMap() = 0;
    virtual int GetMissionVariable(const char* name, void* out) = 0;
    virtual void SetStartCallback(MissionStartCallback callback) = 0;
};

class CMissionLoader : public IMissionLoader {
public:
    ~CMissionLoader() override;
    int LoadMissionList(const char* path) override;
    int GetMissionList(std::vector<CMission*>** out) override;
    int StartMission(std::string path) override;
    int EndMission() override;
    CGameMap* GetGameMap() override { return currentMap; }
    int GetMissionVariable(const char* name, void* out) override;
    void SetStartCallback(MissionStartCallback callback) override { startCallback = callback; }

    // Starts the pending presentation (called by the engine frame); 0 or LoadMission's error.
    int DoStartMission();
    int LoadMission(const char* path);
    bool Running() const { return running != 0; }
    bool HasPending() const { return !pendingPath.empty(); }

    int warningBudget = 3;
    int running = 0;
    std::vector<CMission*> missions;
    std::string pendingPath;
    MissionStartCallback startCallback = nullptr;
    CGameMap* currentMap = nullptr;
    // Presentation variables, sized by the script's "MissionVarCapacity:".
    CVariablesPool variables;
};

extern CMissionLoader* gMissionLoader;
extern IMissionLoader* gIMissionLoader;
