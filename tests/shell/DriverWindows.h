#pragma once
// The windows of DravikREMOTE.exe worked from outside its process, as a user works them: child controls found by
// class and text, tabs and list rows located in the other process, and the notification-area menu.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "DriverProcess.h"
#include "support/TrayArea.h"

namespace shelltest {

struct Child {
    HWND wnd;
    std::string cls, text;
    RECT rect;
};

inline BOOL CALLBACK AddChild(HWND wnd, LPARAM lp)
{
    Child c{wnd, "", "", {}};
    char cls[128] = "", text[512] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    // Asked of the control itself: an edit's text is not its window's caption.
    SendMessageA(wnd, WM_GETTEXT, sizeof text, LPARAM(text));
    c.cls = cls;
    c.text = text;
    GetWindowRect(wnd, &c.rect);
    reinterpret_cast<std::vector<Child>*>(lp)->push_back(c);
    return TRUE;
}

inline std::vector<Child> Children(HWND parent)
{
    std::vector<Child> all;
    EnumChildWindows(parent, &AddChild, LPARAM(&all));
    return all;
}

inline std::string Describe(const std::vector<Child>& children)
{
    std::string s;
    for (const Child& c : children) s += c.cls + " \"" + c.text + "\"\n";
    return s;
}

// The visible children of that class (any text when null), left to right, then top to bottom.
inline std::vector<HWND> FindChildren(HWND parent, const char* cls, const char* text = nullptr)
{
    std::vector<Child> found;
    for (const Child& c : Children(parent))
        if (c.cls == cls && (!text || c.text == text) && IsWindowVisible(c.wnd)) found.push_back(c);
    std::stable_sort(found.begin(), found.end(), [](const Child& a, const Child& b) {
        return a.rect.left != b.rect.left ? a.rect.left < b.rect.left : a.rect.top < b.rect.top;
    });
    std::vector<HWND> windows;
    for (const Child& c : found) windows.push_back(c.wnd);
    return windows;
}

inline std::string ClassOf(HWND wnd)
{
    char cls[128] = "";
    if (wnd) GetClassNameA(wnd, cls, sizeof cls);
    return cls;
}

// The control that has the keyboard focus in the window's thread.
inline HWND FocusIn(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// The visible child of that class whose text is text (any text when null).
inline HWND FindChild(HWND parent, const char* cls, const char* text)
{
    for (const Child& c : Children(parent))
        if (c.cls == cls && (!text || c.text == text) && IsWindowVisible(c.wnd)) return c.wnd;
    return nullptr;
}

// The middle of a window on the screen, or dx pixels in from its left edge.
inline POINT Centre(HWND wnd, int dx = 0)
{
    RECT r;
    GetWindowRect(wnd, &r);
    return POINT{dx ? r.left + dx : (r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A tab's place on the screen: the rectangle is asked for in memory of the process that owns the control.
inline bool TabRect(HANDLE process, HWND tabs, int index, RECT& r)
{
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return false;
    const bool ok = SendMessageA(tabs, TCM_GETITEMRECT, WPARAM(index), LPARAM(remote)) &&
                    ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (ok) MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return ok;
}

// Clicks the tab and waits until its page is the shown one.
inline bool ClickTab(HANDLE process, HWND tabs, int index)
{
    RECT tab;
    if (!tabs || !TabRect(process, tabs, index, tab)) return false;
    MouseClick(POINT{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2}, false);
    return PumpUntil([&] { return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index; }, 10000);
}

// A window of the driver in front, so typed keys go to it.
inline bool BringToFront(HWND wnd)
{
    return PumpUntil([&] {
        if (GetForegroundWindow() == wnd) return true;
        SetForegroundWindow(wnd);
        return false;
    }, 10000);
}

// A row of a list box in the driver's process (asked in UTF-16, the form Wine carries between processes).
inline std::string RowText(HWND list, int row)
{
    wchar_t text[1024] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, WPARAM(row), 0) >= LRESULT(1024)) return "";
    SendMessageW(list, LB_GETTEXT, WPARAM(row), LPARAM(text));
    char ansi[2048] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

// Every row's text.
inline std::vector<std::string> Rows(HWND list)
{
    std::vector<std::string> rows;
    const int n = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) rows.push_back(RowText(list, i));
    return rows;
}

// The row whose text is text, or -1.
inline int FindRow(HWND list, const std::string& text)
{
    const int n = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        if (lstrcmpiA(RowText(list, i).c_str(), text.c_str()) == 0) return i;
    return -1;
}

// A click on the row, some way in from its left end (past its picture).
inline void ClickRow(HWND list, int row)
{
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, WPARAM(row), LPARAM(&item));
    POINT at{item.left + 40, (item.top + item.bottom) / 2};
    ClientToScreen(list, &at);
    MouseClick(at, false);
}

// "Close Window" on the configuration window's tool bar (it saves and hides); true once the window is hidden.
inline bool CloseConfiguration(HWND window)
{
    HWND bar = FindChild(window, "TToolBar", nullptr);
    if (!bar) return false;
    RECT br;
    GetWindowRect(bar, &br);
    MouseClick(POINT{br.left + 52, br.top + 18}, false);
    return PumpUntil([&] { return !IsWindowVisible(window); }, 10000);
}

// A window of this program (not the driver's) that notes the input it gets.
class InputWindow {
public:
    InputWindow(int x, int y, int w, int h)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &InputWindow::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = HBRUSH(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "DriverInputTarget";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Input target", WS_POPUP | WS_VISIBLE, x, y, w, h,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, LONG_PTR(this));
        SetForegroundWindow(window_);
        SetFocus(window_);
    }
    ~InputWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }
    std::vector<std::string> Events()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    // The events from the index'th on.
    std::vector<std::string> EventsFrom(std::size_t index)
    {
        const std::vector<std::string> all = Events();
        return index < all.size() ? std::vector<std::string>(all.begin() + long(index), all.end())
                                  : std::vector<std::string>();
    }
    bool Has(const std::string& event)
    {
        for (const std::string& e : Events())
            if (e == event) return true;
        return false;
    }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<InputWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (self) {
            std::string e;
            switch (msg) {
            case WM_KEYDOWN: e = "down " + std::to_string(wp); break;
            case WM_KEYUP: e = "up " + std::to_string(wp); break;
            case WM_LBUTTONDOWN: e = "ldown " + std::to_string(short(LOWORD(lp))) + "," + std::to_string(short(HIWORD(lp))); break;
            case WM_LBUTTONUP: e = "lup " + std::to_string(short(LOWORD(lp))) + "," + std::to_string(short(HIWORD(lp))); break;
            default: break;
            }
            if (!e.empty()) {
                std::lock_guard<std::mutex> lock(self->mutex_);
                self->events_.push_back(e);
            }
        }
        return DefWindowProcA(wnd, msg, wp, lp);
    }

    HWND window_ = nullptr;
    std::mutex mutex_;
    std::vector<std::string> events_;
};

// The driver's notification-area icon and its menu, worked with the real mouse and keyboard.
class DriverTrayMenu {
public:
    explicit DriverTrayMenu(const DriverProcess& driver)
        : driver_(driver), icon_(LoadProgramIcon(BuildDir() + "\\DravikREMOTE.exe"))
    {
    }
    ~DriverTrayMenu()
    {
        if (FindPopupMenuWindow(driver_.Id())) controltest::Key(VK_ESCAPE);
        if (icon_) DestroyIcon(icon_);
    }
    DriverTrayMenu(const DriverTrayMenu&) = delete;
    DriverTrayMenu& operator=(const DriverTrayMenu&) = delete;

    HICON Icon() const { return icon_; }
    // Opens the menu with a right click on the icon; null when it did not open.
    HWND Open()
    {
        POINT at{};
        if (!PumpUntil([&] { return FindTrayIcon(icon_, at); }, 20000)) return nullptr;
        return OpenTrayMenu(icon_, driver_.Id(), 20000);
    }
    // Chooses the item whose '&' letter is key, as a user does with the menu open; false when that failed.
    bool Choose(char key)
    {
        HWND menu = Open();
        return menu && PressMenuKey(menu, key, 10000);
    }
    // The configuration window ("&Configuration..."), once it is shown; null when it is not.
    HWND Configuration()
    {
        HWND window = nullptr;
        if (!Choose('C')) return nullptr;
        PumpUntil([&] { return (window = driver_.VisibleWindow("TMainWindow", MainWindowTitle)) != nullptr; }, 20000);
        return window;
    }

private:
    const DriverProcess& driver_;
    HICON icon_;
};

}  // namespace shelltest
