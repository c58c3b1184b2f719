#pragma once
// CMissionLoader: reads the presentation list and presentation files, starts a presentation
// in the engine frame after StartMission asked for it, and ends it. It owns the list
// entries, the presentation variables and the stack of files being read. Problems are
// counted warnings (budget 3); a failing "Units:", "Variables:", "Map:" or
// "ControlGroups:" section stops the file and the presentation does not start (nothing of
// it is left behind). Other failures (a missing included file, an include cycle, a file past
// the count one presentation may pull in, a section that cannot be read yet) are warned and
// reading goes on: they never decide the start, whether or not the file ends with white
// space.

#include "engine/IncludeStack.h"
#include "engine/Variables.h"

#include <cstdio>
#include <string>
#include <vector>

class CAtom;
class CGameMap;
class CNation;

struct CMission {
    std::string file;
    std::string title;
};

using MissionStartCallback = void (*)(int);

class IMissionLoader {
public:
    virtual ~IMissionLoader() = default;
    // 0, or -1 when the file cannot be opened.
    virtual int LoadMissionList(const char* path) = 0;
    virtual int GetMissionList(std::vector<CMission*>** out) = 0;
    // Only records the path; the next engine frame starts it. -1 for an empty path.
    virtual int StartMission(std::string path) = 0;
    virtual int EndMission() = 0;
    virtual CGameMap* GetGameMap() = 0;
    virtual int GetMissionVariable(const char* name, void* out) = 0;
    virtual void SetStartCallback(MissionStartCallback callback) = 0;
    // Kept after the operations above, whose slots callers rely on. At most maxWords
    // words: the stored length in words, or -2 / -3 (as IParser's).
    virtual int GetMissionVariable(const char* name, void* out, int maxWords) = 0;
};

class CMissionLoader : public IMissionLoader {
public:
    CMissionLoader() = default;
    ~CMissionLoader() override;
    CMissionLoader(const CMissionLoader&) = delete;
    CMissionLoader& operator=(const CMissionLoader&) = delete;

    int LoadMissionList(const char* path) override;
    int GetMissionList(std::vector<CMission*>** out) override;
    int StartMission(std::string path) override;
    int EndMission() override;
    CGameMap* GetGameMap() override { return currentMap; }
    int GetMissionVariable(const char* name, void* out) override;
    void SetStartCallback(MissionStartCallback callback) override { startCallback = callback; }
    int GetMissionVariable(const char* name, void* out, int maxWords) override;

    // Starts the pending presentation (called by the engine frame); 0 or LoadMission's error.
    int DoStartMission();
    // Reads one presentation file (and what it includes): 0, or the result of the section
    // that stopped it; -1 when the file cannot be opened or is refused as an include.
    int LoadMission(const char* path);
    int ScanUnits(FILE* file);
    int ScanVariables(FILE* file);
    int ScanActivateControlGroups(FILE* file);
    bool Running() const { return running != 0; }
    bool HasPending() const { return !pendingPath.empty(); }

    int warningBudget = 3;
    int running = 0;
    std::vector<CMission*> missions;
    std::string pendingPath;
    MissionStartCallback startCallback = nullptr;
    // Presentation variables, sized by the script's "MissionVarCapacity:".
    CVariablesPool variables;
    // The files being read.
    CIncludeStack fileStack;
    CNation* currentNation = nullptr;
    CGameMap* currentMap = nullptr;

private:
    bool PushFile(const char* path);
    int ReadSections(FILE* file, const char* path);
    int ScanInclude(FILE* file);
    int ScanMap(FILE* file);
    CAtom* CreateUnitOfClass(FILE* file, const char* className, int* error);
    void ScanUnitBlock(FILE* file, CAtom* unit);
};

extern CMissionLoader* gMissionLoader;
extern IMissionLoader* gIMissionLoader;
