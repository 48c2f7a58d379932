#include <windows.h>

// Program entry; the shell's start-up grows here.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
