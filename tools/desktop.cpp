// Works the Wine desktop the way a person at it would, for the demo:
//   desktop shot FILE.bmp                  saves the whole screen
//   desktop menu PROGRAM.exe "ITEM"         right-clicks the program's notification-area icon and clicks the item
//                                           of its menu (the text as the menu shows it, '&' marks included)
//   desktop wait-window "TITLE" [SECONDS]   waits until a visible window has that title
// Each waits (up to 20 s, or SECONDS) for what it needs and exits 1 when it does not come.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/visual/Graphics.h"
#include "support/TrayArea.h"

namespace {

bool WaitFor(DWORD timeoutMs, const auto& condition)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

int Shot(const char* file)
{
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    TBitmap shot;
    shot.SetPixelFormat(pf24bit);
    shot.SetSize(w, h);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Canvas()->Handle(), 0, 0, w, h, screen, 0, 0, SRCCOPY);
    ReleaseDC(nullptr, screen);
    shot.SaveToFile(file);
    std::printf("desktop: saved %s\n", file);
    return 0;
}

std::string Plain(const std::string& text)
{
    std::string s;
    for (char c : text)
        if (c != '&') s += c;
    return s;
}

int Menu(const char* program, const char* item)
{
    HICON icon = LoadProgramIcon(program);
    if (!icon) {
        std::fprintf(stderr, "desktop: no icon in %s\n", program);
        return 1;
    }
    POINT at{};
    const bool found = WaitFor(20000, [&] { return FindTrayIcon(icon, at); });
    DestroyIcon(icon);
    if (!found) {
        std::fprintf(stderr, "desktop: the icon is not in the notification area\n");
        return 1;
    }
    HWND menu = nullptr;
    // A menu opens only while the program has no command in progress: ask again until it does.
    const bool opened = WaitFor(20000, [&] {
        MouseClick(at, true);
        return WaitFor(2000, [&] { return (menu = FindPopupMenuWindow(0)) != nullptr; });
    });
    if (!opened) {
        std::fprintf(stderr, "desktop: the icon's menu did not open\n");
        return 1;
    }
    const auto items = PopupMenuItems(menu);
    for (size_t i = 0; i < items.size(); ++i)
        if (Plain(items[i].text) == Plain(item)) {
            if (!items[i].enabled) {
                std::fprintf(stderr, "desktop: \"%s\" is disabled\n", item);
                keybd_event(VK_ESCAPE, 0, 0, 0);
                keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
                return 1;
            }
            ClickPopupMenuItem(menu, int(i));
            std::printf("desktop: chose \"%s\"\n", Plain(item).c_str());
            return 0;
        }
    std::fprintf(stderr, "desktop: the menu has no \"%s\"\n", item);
    return 1;
}

int WaitWindow(const char* title, int seconds)
{
    const bool shown = WaitFor(DWORD(seconds) * 1000, [&] {
        HWND w = FindWindowA(nullptr, title);
        return w && IsWindowVisible(w);
    });
    if (!shown) std::fprintf(stderr, "desktop: no window \"%s\"\n", title);
    return shown ? 0 : 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: desktop shot FILE.bmp | desktop menu PROGRAM.exe ITEM | desktop wait-window TITLE [SECONDS]\n");
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
