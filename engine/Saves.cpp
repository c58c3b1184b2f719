#include "engine/Saves.h"

#include "core/Messages.h"
#include "core/Scanner.h"
#include "engine/Controls3D.h"
#include "engine/MissionLoader.h"

#include <cstring>

CSaves* gSaves = nullptr;
ISaves* gISaves = nullptr;

namespace {

bool Is(const char* a, const char* b) { return strcmp(a, b) == 0; }

} // namespace

int CSaves::SetSavePath(const char* path)
{
    savePath = path ? path : "";
    return 0;
}

CEngWindow* CSaves::ScanTemplateName(FILE* file)
{
    char name[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, name);
    CEngWindow* found = gControls3D ? gControls3D->FindWindowTemplate(name) : nullptr;
    if (!found)
        WarningBox(&warningBudget, "CSaves::ScanLayout Error: can`t find window template: '", name, "'.", nullptr);
    return found;
}

void CSaves::ScanWins(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); word[0] && !Is(word, "};"); Core::fscan_word(file, word)) {
        if (Is(word, "Panel:")) panel = ScanTemplateName(file);
        else if (Is(word, "StartButton:")) startButton = ScanTemplateName(file);
        else if (Is(word, "CancelButton:")) cancelButton = ScanTemplateName(file);
    }
}

int CSaves::ScanLayout(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "{"
    for (;;) {
        Core::fscan_word(file, word);
        if (!word[0]) return -1;
        if (Is(word, "};")) return 0;
        if (Is(word, "Wins:")) {
            ScanWins(file);
        } else if (Is(word, "MainMenuCtrlGroup:")) {
            Core::fscan_word(file, word);
            mainMenuGroup = gIControls3D ? gIControls3D->GetControlGroup(word) : nullptr;
            if (!mainMenuGroup)
                WarningBox(&warningBudget, "CSaves::ScanLayout Error: can`t find control group: '", word, "'.",
                           nullptr);
        } else if (Is(word, "MainMenuWindow:")) {
            Core::fscan_word(file, word);
        }
    }
}

int CSaves::Show()
{
    if (!panel || !gControls3D) return -1;
    if (startButton) startButton->SetCallbackDelegate(new CDelegate<CSaves>(this, &CSaves::OnStart));
    if (cancelButton) cancelButton->SetCallbackDelegate(new CDelegate<CSaves>(this, &CSaves::Hide));
    CBaseWin* made = gControls3D->CreateEngineWindow(panel);
    if (!made) return -1;  // the main menu stays on: no dialog would switch it back
    dialog = made;
    if (mainMenuGroup) gControls3D->DisableGroupControls(mainMenuGroup, 1);
    return 0;
}

void CSaves::OnStart()
{
    if (gIMissionLoader) gIMissionLoader->StartMission(savePath);
}

void CSaves::Hide()
{
    if (gControls3D) {
        gControls3D->DestroyEngineWindow(dialog);
        gControls3D->EnableGroupControls(mainMenuGroup);
    }
    dialog = nullptr;
}

// Every dialog is a live window, which the controls' reset has deleted already.
void CSaves::ForgetLayout()
{
    dialog = nullptr;
    panel = startButton = cancelButton = nullptr;
    mainMenuGroup = nullptr;
}
