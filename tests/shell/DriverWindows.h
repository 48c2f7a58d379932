#pragma once
// The windows of DravikREMOTE.exe seen from the test program, as a user finds them on the screen: child windows
// by class and text, a tab's place, a window brought to the front, the focus of its thread.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ShellTestSupport.h"

namespace shelltest {

struct DriverChild {
    HWND wnd;
    std::string cls, text;
    RECT rect;
};

inline BOOL CALLBACK AddDriverChild(HWND wnd, LPARAM lp)
{
    DriverChild c{wnd, "", "", {}};
    char cls[128] = "", text[512] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    // Asked of the control itself: an edit's text is not its window's caption.
    SendMessageA(wnd, WM_GETTEXT, sizeof text, LPARAM(text));
    c.cls = cls;
    c.text = text;
    GetWindowRect(wnd, &c.rect);
    reinterpret_cast<std::vector<DriverChild>*>(lp)->push_back(c);
    return TRUE;
}

inline std::vector<DriverChild> DriverChildren(HWND parent)
{
    std::vector<DriverChild> all;
    EnumChildWindows(parent, &AddDriverChild, LPARAM(&all));
    return all;
}

inline std::string DescribeChildren(HWND parent)
{
    std::string s;
    for (const DriverChild& c : DriverChildren(parent)) s += c.cls + " \"" + c.text + "\"\n";
    return s;
}

// The visible children of that class (any text when null), left to right, then top to bottom.
inline std::vector<HWND> FindDriverChildren(HWND parent, const char* cls, const char* text = nullptr)
{
    std::vector<DriverChild> found;
    for (const DriverChild& c : DriverChildren(parent))
        if (c.cls == cls && (!text || c.text == text) && IsWindowVisible(c.wnd)) found.push_back(c);
    std::stable_sort(found.begin(), found.end(), [](const DriverChild& a, const DriverChild& b) {
        return a.rect.left != b.rect.left ? a.rect.left < b.rect.left : a.rect.top < b.rect.top;
    });
    std::vector<HWND> windows;
    for (const DriverChild& c : found) windows.push_back(c.wnd);
    return windows;
}
inline HWND FindDriverChild(HWND parent, const char* cls, const char* text = nullptr)
{
    const std::vector<HWND> all = FindDriverChildren(parent, cls, text);
    return all.empty() ? nullptr : all.front();
}

inline POINT WindowCentre(HWND wnd, int dx = 0)
{
    RECT r;
    GetWindowRect(wnd, &r);
    return POINT{dx ? r.left + dx : (r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A tab's place on the screen: the rectangle is asked for in memory of the process that owns the control.
inline bool DriverTabRect(HANDLE process, HWND tabs, int index, RECT& r)
{
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return false;
    const bool ok = SendMessageA(tabs, TCM_GETITEMRECT, WPARAM(index), LPARAM(remote)) &&
                    ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (ok) MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return ok;
}

// A window of the driver in front, so typed keys go to it.
inline bool BringDriverWindowToFront(HWND wnd)
{
    return PumpUntil([&] {
        if (GetForegroundWindow() == wnd) return true;
        SetForegroundWindow(wnd);
        return false;
    }, 10000);
}

// The control that has the keyboard focus in the window's thread.
inline HWND DriverFocus(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

inline std::string ClassOf(HWND wnd)
{
    char cls[128] = "";
    if (wnd) GetClassNameA(wnd, cls, sizeof cls);
    return cls;
}

// A row of a list box in the driver's process (asked in UTF-16, the form Wine carries between processes).
inline std::string DriverRowText(HWND list, int row)
{
    wchar_t text[1024] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, WPARAM(row), 0) >= LRESULT(1024)) return "";
    SendMessageW(list, LB_GETTEXT, WPARAM(row), LPARAM(text));
    char ansi[2048] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}
inline std::vector<std::string> DriverRows(HWND list)
{
    std::vector<std::string> rows;
    const int n = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) rows.push_back(DriverRowText(list, i));
    return rows;
}

}  // namespace shelltest
