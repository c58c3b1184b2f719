#include "core/Program.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    int result = ProgramStart(hInstance);
    if (result != PROGRAM_RUN)
        return result;
    return ProgramLoop();
}
