#include "engine/MissionLoader.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/UsageParams.h"
#include "engine/AnimContainer.h"
#include "engine/ArrayContainer.h"
#include "engine/Controls3D.h"
#include "engine/Engine.h"
#include "engine/Engineer.h"
#include "engine/MapContainer.h"
#include "engine/MeshContainer.h"
#include "engine/Nations.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"

#include <windows.h>

#include <cstring>
#include <iterator>

CMissionLoader* gMissionLoader = nullptr;
IMissionLoader* gIMissionLoader = nullptr;

namespace {

// What a section's failure does to the file: stop reading it (and so the start), or
// nothing beyond its warning.
enum class EFailure { Stops, GoesOn };

using SectionReader = int (*)(CMissionLoader&, FILE*);

struct SSection {
    const char* word;
    EFailure failure;
    SectionReader read;
};

// The presentation-resource readers a section hands its item to; a failure is reported
// by the container.
int ScanTextureItem(FILE* file)
{
    if (gTexContainer) gTexContainer->ScanElement(file, false, 1);
    return 0;
}

// One line: a name, its keywords, ending at its file.
int ScanAnimationItem(FILE* file)
{
    if (!gAnimContainer) return -1;
    gAnimContainer->oneLine = 1;
    const int result = gAnimContainer->ScanAnimationFile(file, 1);
    gAnimContainer->oneLine = 0;
    return result;
}

int ScanMeshItem(FILE* file)
{
    if (gMeshContainer) gMeshContainer->ScanMesh(file, 1);
    return 0;
}

} // namespace

CMissionLoader::~CMissionLoader()
{
    for (CMission* mission : missions)
        delete mission;
}

int CMissionLoader::LoadMissionList(const char* path)
{
    FILE* file = fopen(path, "rb");
    if (!file) return -1;
    CFileMessages messages(path);
    char word[Core::WORD_BUFFER_SIZE];
    char text[Core::STRING_BUFFER_SIZE];
    for (Core::fscan_word(file, word); word[0]; Core::fscan_word(file, word)) {
        if (StrEqual(word, "mission:") || StrEqual(word, "Mission:")) {
            Core::fscan_string(file, text);
            missions.push_back(new CMission{text, ""});
        } else if (StrEqual(word, "title:")) {
            Core::fscan_string(file, text);
            if (missions.empty())
                WarningBox(&warningBudget, "CMissionLoader::LoadMissionList :  title '", text,
                           "' before any mission in '", path, "' is ignored.", nullptr);
            else
                missions.back()->title = text;
        }
    }
    fclose(file);
    return 0;
}

int CMissionLoader::GetMissionList(std::vector<CMission*>** out)
{
    if (out) *out = &missions;
    return 0;
}

int CMissionLoader::StartMission(std::string path)
{
    if (path.empty()) {
        WarningBox(&warningBudget, "CMissionLoader::StartMission :  mission path is empty.", nullptr);
        return -1;
    }
    pendingPath = std::move(path);
    return 0;
}

int CMissionLoader::EndMission()
{
    running = 0;
    variables.Reset();
    if (gEngine) gEngine->ResetMission();
    currentMap = nullptr;  // the reset has just deleted it
    pendingPath.clear();
    return 0;
}

int CMissionLoader::GetMissionVariable(const char* name, void* out)
{
    return variables.GetVariable(name, out);
}

int CMissionLoader::GetMissionVariable(const char* name, void* out, int maxWords)
{
    return variables.GetVariable(name, out, maxWords);
}

int CMissionLoader::DoStartMission()
{
    ResetUsageParams();
    const std::string requested = pendingPath;
    EndMission();
    currentNation = nullptr;
    char path[MAX_PATH];
    if (IsAbsolutePath(requested.c_str()))
        StrCopy(path, sizeof path, requested.c_str());
    else
        MakeFullPath(path, sizeof path, requested.c_str());
    const int result = LoadMission(path);
    if (result != 0) {
        // Nothing of a presentation that did not start stays behind.
        EndMission();
        return result;
    }
    gUnitInspector->FindCameras();
    gEngine->CreateViewWindow();
    if (!gNations || !gNations->gamerNation) MsgBox("CMissionLoader::StartMission Error: gamer nation is null.");
    if (gEngineer) gEngineer->OnPresentationStart();
    if (startCallback) startCallback(0);
    running = 1;
    return 0;
}

// A file already being read, one nested deeper than the stack holds, and every file after a
// presentation has pulled in too many are refused.
bool CMissionLoader::PushFile(const char* path)
{
    switch (fileStack.Push(path)) {
    case CIncludeStack::PUSHED:
        return true;
    case CIncludeStack::INCLUDES_ITSELF:
        WarningBox(&warningBudget, "CMissionLoader::LoadMission error:  mission file '", path,
                   "' includes itself.", nullptr);
        return false;
    case CIncludeStack::TOO_DEEP:
        WarningBox(&warningBudget, "CMissionLoader::LoadMission error:  mission files are nested too deep at '",
                   path, "'.", nullptr);
        return false;
    case CIncludeStack::TOO_MANY:
        static_assert(MAX_FILES_READ == 1024, "the message names the limit");
        WarningBox(&warningBudget, "CMissionLoader::LoadMission error:  reading is cut at '", path,
                   "': one presentation pulls in more than 1024 mission files.", nullptr);
        return false;
    case CIncludeStack::CUT:
        return false;
    }
    return false;
}

// A file is taken onto the stack before it is opened, so a refused one costs no open.
int CMissionLoader::LoadMission(const char* path)
{
    if (!PushFile(path)) return -1;
    FILE* file = OpenDataFile(path, "rb");
    if (!file) {
        fileStack.Pop();
        WarningBox(&warningBudget, "CMissionLoader::LoadMission error: can`t open file\n'", path, "'.", nullptr);
        return -1;
    }
    int result = -1;
    {
        CFileMessages messages(path);
        result = ReadSections(file, path);
    }
    fileStack.Pop();
    fclose(file);
    return result;
}

int CMissionLoader::ReadSections(FILE* file, const char* path)
{
    static const SSection SECTIONS[] = {
        {"Units:", EFailure::Stops, [](CMissionLoader& l, FILE* f) { return l.ScanUnits(f); }},
        {"Variables:", EFailure::Stops, [](CMissionLoader& l, FILE* f) { return l.ScanVariables(f); }},
        {"Map:", EFailure::Stops, [](CMissionLoader& l, FILE* f) { return l.ScanMap(f); }},
        {"ControlGroups:", EFailure::Stops,
         [](CMissionLoader& l, FILE* f) { return l.ScanActivateControlGroups(f); }},
        {"MissionFile:", EFailure::GoesOn, [](CMissionLoader& l, FILE* f) { return l.ScanInclude(f); }},
        {"ArrayData", EFailure::GoesOn,
         [](CMissionLoader&, FILE* f) { return gArrayContainer && gArrayContainer->AddArray(f) ? 0 : -1; }},
        {"Animation:", EFailure::GoesOn, [](CMissionLoader&, FILE* f) { return ScanAnimationItem(f); }},
        {"Texture:", EFailure::GoesOn, [](CMissionLoader&, FILE* f) { return ScanTextureItem(f); }},
        {"Mesh:", EFailure::GoesOn, [](CMissionLoader&, FILE* f) { return ScanMeshItem(f); }},
        {"SceneDeclarations:", EFailure::GoesOn,
         [](CMissionLoader&, FILE* f) { return Core::fscan_skip_block(f), 0; }},
    };
    static_assert(std::size(SECTIONS) == 10, "sections of a presentation file");

    char word[Core::WORD_BUFFER_SIZE];
    for (Core::fscan_word(file, word); word[0]; Core::fscan_word(file, word)) {
        if (gExitCode) return -1;
        const SSection* section = nullptr;
        for (const SSection& s : SECTIONS)
            if (StrEqual(s.word, word)) section = &s;
        if (!section) {
            WarningBox(&warningBudget, "CMissionLoader::LoadMission error:  undefine string '", word,
                       "'\n in mission file '", path, "'.", nullptr);
            continue;
        }
        const int result = section->read(*this, file);
        if (result != 0 && section->failure == EFailure::Stops) return result;
    }
    return 0;
}

// The included file's name is relative to the directory of the file that names it.
int CMissionLoader::ScanInclude(FILE* file)
{
    char name[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(file, name);
    char path[MAX_PATH];
    if (IsAbsolutePath(name)) {
        StrCopy(path, sizeof path, name);
    } else {
        ExtractFilePath(path, sizeof path, fileStack.Current() ? fileStack.Current() : "");
        StrAppend(path, sizeof path, name);
    }
    return LoadMission(path);
}

// The map read here is the one the units that follow are placed on.
int CMissionLoader::ScanMap(FILE* file)
{
    const int result = gMapContainer->ScanMap(file);
    currentMap = result == 0 ? gMapContainer->GetMap(gEngine->currentMap) : nullptr;
    return result;
}

int CMissionLoader::ScanUnits(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, word, 2);  // "{" and the first entry
    currentNation = nullptr;
    CAtom* last = nullptr;
    for (; word[0] && !StrEqual(word, "};"); Core::fscan_word(file, word)) {
        if (gExitCode) return -1;
        if (StrEqual(word, "nation:")) {
            char name[Core::STRING_BUFFER_SIZE];
            Core::fscan_string(file, name);
            currentNation = gINations ? gINations->FindNation(name) : nullptr;
        } else if (StrEqual(word, "{")) {
            ScanUnitBlock(file, last);
        } else {
            int error = -1;
            CAtom* unit = CreateUnitOfClass(file, word, &error);
            if (!unit) return error;
            unit->nation = currentNation;
            last = unit;
        }
    }
    return 0;
}

// A unit's presentation block; without a unit before it the block is skipped.
void CMissionLoader::ScanUnitBlock(FILE* file, CAtom* unit)
{
    if (!unit) {
        WarningBox(&warningBudget, "CMissionLoader::ScanUnits :   a block before any unit is skipped.", nullptr);
        Core::fscan_skip_block(file);
        return;
    }
    unit->ReadMissionBlock(file, &warningBudget, "CMissionLoader::ScanUnits");
}

// A script class, or a user class followed by ">>" and its script class. Null with the
// section's result in error.
CAtom* CMissionLoader::CreateUnitOfClass(FILE* file, const char* className, int* error)
{
    *error = -1;
    if (CClassTemplate* cls = gUnitInspector->GetClassTemplate(className))
        return gUnitInspector->CreateUnitFromTemplate(cls, currentMap);
    if (!gUnitInspector->userFactory) {
        WarningBox(&warningBudget, "CMissionLoader::ScanUnits :   can`t find UNIT '", className,
                   "'.\nOr undefine string.", nullptr);
        return nullptr;
    }
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    if (!StrEqual(word, ">>")) {
        WarningBox(&warningBudget, "CMissionLoader::ScanUnits Error:   Not found class '", className, "'.\n\n",
                   "May be you are declaring a user class. And you must specify a script class for your class",
                   "\nby use '>>' keyword.", "\nFor example:  CMyClass >> StaticUnit", nullptr);
        *error = -2;
        return nullptr;
    }
    Core::fscan_word(file, word);
    CClassTemplate* scriptClass = gUnitInspector->GetClassTemplate(word);
    if (!scriptClass) {
        WarningBox(&warningBudget, "CMissionLoader::ScanUnits :\n\n   For user class '", className,
                   "' can`t find script cass '", word, "'.", nullptr);
        *error = -3;
        return nullptr;
    }
    CAtom* unit = gUnitInspector->CreateUserUnit(scriptClass, className);
    if (!unit)
        WarningBox(&warningBudget, "CMissionLoader::ScanUnits :   user class '", className, "' not created.",
                   nullptr);
    return unit;
}

int CMissionLoader::ScanVariables(FILE* file)
{
    char name[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, name, 2);  // "{" and the first name
    for (; name[0] && !StrEqual(name, "};"); Core::fscan_word(file, name)) {
        const int result = variables.AddVariable(name, file);
        if (result == -1) {
            MsgBox("CMissionLoader::ScanVariables:  MissionVarCapacity is exceed.");
            gExitCode = 1;
            return -1;
        }
        if (result == -2) {
            MsgBox("CMissionLoader::ScanVariables:  MissionVarCapacity is not initialized.");
            gExitCode = 1;
            return -2;
        }
    }
    return 0;
}

// Control groups cannot hold controls yet, so no name finds one.
int CMissionLoader::ScanActivateControlGroups(FILE* file)
{
    char name[Core::WORD_BUFFER_SIZE];
    for (Core::fscan_word(file, name); name[0] && !StrEqual(name, "};"); Core::fscan_word(file, name)) {
        if (StrEqual(name, "{")) continue;
        CControlGroup* group = gIControls3D ? gIControls3D->GetControlGroup(name) : nullptr;
        if (group && gControls3D)
            gControls3D->CreateActivateControls(group);
        else
            WarningBox(&warningBudget, "CMissionLoader::ScanActivateControlGroups Error: \n ControlGroup '", name,
                       "' not found.", nullptr);
    }
    return 0;
}
