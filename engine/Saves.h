#pragma once
// CSaves: the save dialog and its layout. Its interface has no virtual destructor, so it
// is deleted as the concrete class. Until the dialog is built there is no panel template:
// Show fails.

class ISaves {
public:
    virtual int SetSavePath(const char* path) = 0;
    virtual int Show() = 0;
    virtual int Nop() = 0;

protected:
    ~ISaves() = default;
};

class CSaves final : public ISaves {
public:
    int SetSavePath(const char*) override { return 0; }
    int Show() override { return -1; }
    int Nop() override { return 0; }
};

extern CSaves* gSaves;
extern ISaves* gISaves;
