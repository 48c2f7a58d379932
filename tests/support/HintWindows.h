#pragma once
// Finding the hint window a test's pointer brought up: a visible top-level window of the hint class in this
// process.

#include <windows.h>

#include <string>

namespace hinttest {

struct ShownHint {
    HWND wnd = nullptr;
    std::string text;
    RECT rect{};
};

inline ShownHint VisibleHint()
{
    ShownHint found;
    EnumWindows(
        [](HWND wnd, LPARAM param) -> BOOL {
            char cls[64] = "";
            GetClassNameA(wnd, cls, sizeof cls);
            DWORD pid = 0;
            GetWindowThreadProcessId(wnd, &pid);
            if (std::string(cls) != "THintWindow" || pid != GetCurrentProcessId() || !IsWindowVisible(wnd))
                return TRUE;
            auto* out = reinterpret_cast<ShownHint*>(param);
            char text[256] = "";
            GetWindowTextA(wnd, text, sizeof text);
            out->wnd = wnd;
            out->text = text;
            GetWindowRect(wnd, &out->rect);
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace hinttest
