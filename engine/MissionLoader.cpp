#include "engine/MissionLoader.h"

#include "core/Messages.h"
#include "engine/Engine.h"
#include "engine/Engineer.h"
#include "engine/Nations.h"
#include "engine/ScriptWords.h"

#include <cstdio>

CMissionLoader* gMissionLoader = nullptr;
IMissionLoader* gIMissionLoader = nullptr;

CMissionLoader::~CMissionLoader()
{
    for (CMission* mission : missions)
        delete mission;
}

int CMissionLoader::LoadMissionList(const char*)
{
    return -1;
}

int CMissionLoader::GetMissionList(std::vector<CMission*>** out)
{
    if (out)
        *out = &missions;
    return 0;
}

int CMissionLoader::StartMission(std::string path)
{
    if (path.empty()) {
        WarningBox(&warningBudget, "CMissionLoader::StartMission :  mission path is empty.",
                   nullptr);
        return -1;
    }
    pendingPath = std::move(path);
    return 0;
}

int CMissionLoader::EndMission()
{
    running = 0;
    if (gEngine)
        gEngine->ResetMission();
    pendingPath.clear();
    return 0;
}

int CMissionLoader::GetMissionVariable(const char*, void*)
{
    return -1;
}

int CMissionLoader::DoStartMission()
{
    std::string path = pendingPath;
    EndMission();
    currentMap = nullptr;
    int result = LoadMission(path.c_str());
    if (result != 0)
        return result;
    gEngine->CreateViewWindow();
    if (!gNations || !gNations->gamerNation)
        MsgBox("CMissionLoader::StartMission Error: gamer nation is null.");
    if (gEngineer)
        gEngineer->OnPresentationStart();
    if (startCallback)
        startCallback(0);
    running = 1;
    return 0;
}

int CMissionLoader::LoadMission(const char* path)
{
    FILE* file = fopen(path, "r");
    if (!file) {
        WarningBox(&warningBudget, "CMissionLoader::LoadMission error: can`t open file\n'", path,
                   "'.", nullptr);
        return -1;
    }
    char word[514];
    for (ReadScriptWord(file, word, sizeof word); word[0];
         ReadScriptWord(file, word, sizeof word))
        WarningBox(&warningBudget, "CMissionLoader::LoadMission error:  undefine string '", word,
                   "'\n in mission file '", path, "'.", nullptr);
    fclose(file);
    return 0;
}
