#pragma once
// CSaves: the save dialog, built from script window templates named by the "SAVES_LAYOUT"
// object: a panel whose start button starts the presentation stored as the save path and
// whose cancel button closes it; while it is open the main menu's control group is
// switched off. Missing templates or groups are counted warnings (budget 4). Its
// interface has no virtual destructor, so it is deleted as the concrete class.

#include <cstdint>
#include <cstdio>
#include <string>

class CBaseWin;
class CControlGroup;
class CEngWindow;

class ISaves {
public:
    virtual int SetSavePath(const char* path) = 0;
    // 0, or -1 without a panel template or when the dialog cannot be made.
    virtual int Show() = 0;
    virtual int Nop() = 0;

protected:
    ~ISaves() = default;
};

class CSaves final : public ISaves {
public:
    int SetSavePath(const char* path) override;
    int Show() override;
    int Nop() override { return 0; }

    // The "SAVES_LAYOUT" object after its keyword: 0, or -1 at the end of the file.
    int ScanLayout(FILE* file);
    void OnStart();
    void Hide();
    // The window templates and the group are going (a repeated "Controls3D" section): the
    // layout and the dialog made from them are forgotten.
    void ForgetLayout();

    int32_t warningBudget = 4;
    std::string savePath;
    CBaseWin* dialog = nullptr;
    CEngWindow* panel = nullptr;
    CEngWindow* startButton = nullptr;
    CEngWindow* cancelButton = nullptr;
    CControlGroup* mainMenuGroup = nullptr;

private:
    void ScanWins(FILE* file);
    CEngWindow* ScanTemplateName(FILE* file);
};

extern CSaves* gSaves;
extern ISaves* gISaves;
