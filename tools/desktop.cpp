// Works the Wine desktop the way a person at it would, for the demo:
//   desktop shot FILE.png                  saves the whole screen
//   desktop menu PROGRAM.exe "ITEM"         right-clicks the program's notification-area icon and chooses the
//                                           item of its menu by its '&' letter ("St&op Transfer": O)
//   desktop wait-window "TITLE" [SECONDS]   waits until a visible window has that title
// Each waits (up to 20 s, or SECONDS) for what it needs and exits 1 when it does not come.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/Screenshot.h"
#include "support/TrayArea.h"

namespace {

int Shot(const char* file)
{
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!testshot::Shot::OfScreen(screen).SavePng(file)) {
        std::fprintf(stderr, "desktop: cannot write %s\n", file);
        return 1;
    }
    std::printf("desktop: saved %s\n", file);
    return 0;
}

int Menu(const char* program, const char* item)
{
    const char* amp = std::strchr(item, '&');
    if (!amp || !amp[1]) {
        std::fprintf(stderr, "desktop: \"%s\" has no '&' letter\n", item);
        return 2;
    }
    HICON icon = LoadProgramIcon(program);
    if (!icon) {
        std::fprintf(stderr, "desktop: no icon in %s\n", program);
        return 1;
    }
    HWND menu = OpenTrayMenu(icon, 0, 20000);
    DestroyIcon(icon);
    if (!menu) {
        std::fprintf(stderr, "desktop: the icon's menu did not open\n");
        return 1;
    }
    if (!PressMenuKey(menu, amp[1], 10000)) {
        std::fprintf(stderr, "desktop: the menu did not take \"%s\"\n", item);
        return 1;
    }
    std::printf("desktop: chose \"%s\"\n", item);
    return 0;
}

int WaitWindow(const char* title, int seconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND w = FindWindowA(nullptr, title);
        if (w && IsWindowVisible(w)) return 0;
        if (GetTickCount() - start > DWORD(seconds) * 1000) break;
        Sleep(50);
    }
    std::fprintf(stderr, "desktop: no window \"%s\"\n", title);
    return 1;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: desktop shot FILE.png | desktop menu PROGRAM.exe ITEM | desktop wait-window TITLE [SECONDS]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "shot") == 0) return Shot(argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "menu") == 0) return Menu(argv[2], argv[3]);
    if (argc >= 3 && std::strcmp(argv[1], "wait-window") == 0)
        return WaitWindow(argv[2], argc >= 4 ? std::atoi(argv[3]) : 20);
    return Usage();
}
