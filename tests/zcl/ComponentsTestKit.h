#pragma once
// Helpers for the tests of the library's form components: serving messages until a condition holds, real
// mouse input, the open popup menu of this process, solid-coloured icons, and finding a colour on the screen.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/Screenshot.h"
#include "support/Wait.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Graphics.h"

namespace zcltest {

// Serves messages (and the threads' synchronised calls) until done() or the time is up; true when done.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000)
{
    return testwait::PumpUntil(done, timeoutMs, [] { Application->ProcessMessages(); });
}

inline void MouseInput(int x, int y, DWORD buttons)
{
    INPUT in[3] = {};
    for (INPUT& i : in) i.type = INPUT_MOUSE;
    in[0].mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in[0].mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    UINT n = 1;
    if (buttons == MOUSEEVENTF_RIGHTDOWN) {
        in[1].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
        in[2].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
        n = 3;
    } else if (buttons == MOUSEEVENTF_LEFTDOWN) {
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        n = 3;
    }
    SendInput(n, in, sizeof(INPUT));
}

inline BOOL CALLBACK FindMenuWindow(HWND wnd, LPARAM lParam)
{
    char name[16] = "";
    GetClassNameA(wnd, name, sizeof name);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (std::string(name) == "#32768" && pid == GetCurrentProcessId() && IsWindowVisible(wnd)) {
        *reinterpret_cast<HWND*>(lParam) = wnd;
        return FALSE;
    }
    return TRUE;
}

// The open popup menu window of this process, nullptr when none is open.
inline HWND FindOpenMenu()
{
    HWND found = nullptr;
    EnumWindows(&FindMenuWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Waits on a thread of its own for a popup menu of this process to open (while the main thread is inside the
// menu's loop), notes its items and where it opened, then posts the keys to it.
class MenuWatcher {
public:
    // onOpen runs on the watching thread once the menu is open, before the keys.
    explicit MenuWatcher(std::vector<WPARAM> keys, std::function<void(HWND)> onOpen = nullptr)
        : keys_(std::move(keys)), onOpen_(std::move(onOpen))
    {
        thread_ = std::thread([this] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            HWND wnd = nullptr;
            while (!stop_ && !(wnd = FindOpenMenu()) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (!wnd) return;
            GetWindowRect(wnd, &rect);
            const HMENU menu = reinterpret_cast<HMENU>(SendMessageA(wnd, MN_GETHMENU, 0, 0));
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                char text[128] = "";
                GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
                items.push_back(text);
            }
            if (onOpen_) onOpen_(wnd);
            opened = true;
            for (WPARAM key : keys_) {
                PostMessageA(wnd, WM_KEYDOWN, key, 0);
                PostMessageA(wnd, WM_KEYUP, key, LPARAM(0xC0000000));
            }
        });
    }
    ~MenuWatcher() { Finish(); }
    // Ends the watching; call once the menu was to have closed.
    void Finish()
    {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

    std::atomic<bool> opened{false};
    RECT rect{};
    std::vector<std::string> items;

private:
    std::vector<WPARAM> keys_;
    std::function<void(HWND)> onOpen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A 16 x 16 icon of one colour.
inline HICON SolidIcon(COLORREF colour)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = 16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colourBits = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    auto* p = static_cast<DWORD*>(bits);
    const DWORD pixel = (DWORD(GetRValue(colour)) << 16) | (DWORD(GetGValue(colour)) << 8) | GetBValue(colour);
    for (int i = 0; i < 16 * 16; ++i) p[i] = pixel;
    const BYTE maskBits[32] = {};  // all opaque
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, maskBits);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colourBits;
    info.hbmMask = mask;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colourBits);
    DeleteObject(mask);
    return icon;
}

// The centre of the first size x size block of exactly colour on the screen picture; false when none.
inline bool FindBlock(const testshot::Shot& shot, COLORREF colour, int size, POINT& centre)
{
    auto at = [&](int x, int y) { return shot.At(x, y) == colour; };
    for (int y = 0; y + size <= shot.Height(); ++y)
        for (int x = 0; x + size <= shot.Width(); ++x) {
            if (!at(x, y)) continue;
            bool all = true;
            for (int dy = 0; all && dy < size; dy += 2)
                for (int dx = 0; all && dx < size; dx += 2) all = at(x + dx, y + dy);
            if (all) {
                centre = {shot.Origin().x + x + size / 2, shot.Origin().y + y + size / 2};
                return true;
            }
        }
    return false;
}

}  // namespace zcltest
