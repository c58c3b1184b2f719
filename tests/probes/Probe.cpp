// A program that fails the way a broken test program can: "crash" writes through a null
// pointer, "hang" never ends; with no argument it ends at once with exit code 0.

#include <windows.h>

#include <cstring>

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
    if (strcmp(mode, "crash") == 0)
        *static_cast<volatile int*>(nullptr) = 1;
    if (strcmp(mode, "hang") == 0)
        Sleep(INFINITE);
    return 0;
}
