#include "engine/MissionLoader.h"

#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/Engine.h"
#include "engine/Engineer.h"
#include "engine/Nations.h"

#include <windows.h>

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

int CMissionLoader::GetMissionVariable(const char* name, void* out)
{
    return variables.GetVariable(name, out);
}

int CMissionLoader::DoStartMission()
{
    char path[MAX_PATH];
    if (IsAbsolutePath(pendingPath.c_str()))
        StrCopy(path, sizeof path, pendingPath.c_str());
    else
        MakeFullPath(path, sizeof path, pendingPath.c_str());
    EndMission();
    currentMap = nullptr;
    int result = LoadMission(path);
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
    char word[Core::WORD_BUFFER_SIZE];
    for (Core::fscan_word(file, word, sizeof word); word[0];
         Core::fscan_word(file, word, sizeof word))
        WarningBox(&warningBudget, "CMissionLoader::LoadMission error:  undefine string '", word,
                   "'\n in mission file '", path, "'.", nullptr);
    fclose(file);
    return 0;
}
