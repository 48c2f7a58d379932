#include "TrayArea.h"

#include <cstdlib>
#include <functional>

namespace {

// A 24-bit top-down copy of a screen rectangle.
struct ScreenCopy {
    int width = 0, height = 0;
    std::vector<BYTE> pixels;  // BGR, rows of width * 3 rounded to 4
    int stride() const { return (width * 3 + 3) & ~3; }
    COLORREF At(int x, int y) const
    {
        const BYTE* p = &pixels[size_t(y) * size_t(stride()) + size_t(x) * 3];
        return RGB(p[2], p[1], p[0]);
    }
};

bool CopyFromDC(HDC source, int x, int y, int w, int h, ScreenCopy& copy)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return false;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    const bool ok = BitBlt(dc, 0, 0, w, h, source, x, y, SRCCOPY) != 0;
    GdiFlush();
    copy.width = w;
    copy.height = h;
    copy.pixels.assign(static_cast<BYTE*>(bits), static_cast<BYTE*>(bits) + size_t(copy.stride()) * size_t(h));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
    return ok;
}

// The icon drawn on a plain colour.
bool DrawnIcon(HICON icon, int size, COLORREF back, ScreenCopy& copy)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(back);
    RECT r{0, 0, size, size};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    const bool ok = CopyFromDC(dc, 0, 0, size, size, copy);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ok;
}

bool Near(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= 8 && std::abs(GetGValue(a) - GetGValue(b)) <= 8 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 8;
}

void SendMouse(DWORD flags, POINT p)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

}  // namespace

HWND TaskbarWindow()
{
    HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
    return bar && IsWindowVisible(bar) ? bar : nullptr;
}

bool FindTrayIcon(HICON icon, POINT& centre)
{
    HWND bar = TaskbarWindow();
    RECT r;
    if (!bar || !icon || !GetWindowRect(bar, &r)) return false;
    const int size = GetSystemMetrics(SM_CXSMICON);
    // Opaque pixels look the same on black and on white.
    ScreenCopy onBlack, onWhite, shown;
    if (!DrawnIcon(icon, size, RGB(0, 0, 0), onBlack) || !DrawnIcon(icon, size, RGB(255, 255, 255), onWhite))
        return false;
    struct Pixel {
        int x, y;
        COLORREF c;
    };
    std::vector<Pixel> opaque;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (onBlack.At(x, y) == onWhite.At(x, y)) opaque.push_back({x, y, onBlack.At(x, y)});
    if (opaque.empty()) return false;
    HDC screen = GetDC(nullptr);
    const bool copied = CopyFromDC(screen, r.left, r.top, r.right - r.left, r.bottom - r.top, shown);
    ReleaseDC(nullptr, screen);
    if (!copied) return false;
    // From the right, where the notification area is.
    for (int x = shown.width - size; x >= 0; --x)
        for (int y = 0; y + size <= shown.height; ++y) {
            bool match = true;
            for (const Pixel& p : opaque)
                if (!Near(shown.At(x + p.x, y + p.y), p.c)) {
                    match = false;
                    break;
                }
            if (match) {
                centre = POINT{r.left + x + size / 2, r.top + y + size / 2};
                return true;
            }
        }
    return false;
}

namespace {

bool CursorAt(POINT p)
{
    POINT c;
    return GetCursorPos(&c) && c.x == p.x && c.y == p.y;
}

}  // namespace

// On Wine's virtual desktop the pointer can snap back to where it was a moment before: the move is sent again
// until the cursor has stayed at the point for a few looks in a row.
void MouseMoveTo(POINT p)
{
    const DWORD start = GetTickCount();
    int still = 0;
    SendMouse(0, p);
    while (still < 5 && GetTickCount() - start < 3000) {
        Sleep(10);
        if (CursorAt(p)) {
            ++still;
        } else {
            still = 0;
            SendMouse(0, p);
        }
    }
}

void MouseClick(POINT p, bool right)
{
    MouseMoveTo(p);
    SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, p);
    SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, p);
}

namespace {

struct MenuSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMenu(HWND wnd, LPARAM lp)
{
    auto* s = reinterpret_cast<MenuSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char cls[32] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    if ((!s->pid || pid == s->pid) && lstrcmpA(cls, "#32768") == 0 && IsWindowVisible(wnd)) {
        s->found = wnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HICON LoadProgramIcon(const std::string& exePath)
{
    HMODULE module = LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return nullptr;
    const int size = GetSystemMetrics(SM_CXSMICON);
    auto icon = HICON(LoadImageA(module, "MAINICON", IMAGE_ICON, size, size, 0));
    FreeLibrary(module);
    return icon;
}

HWND FindPopupMenuWindow(DWORD processId)
{
    MenuSearch s{processId, nullptr};
    EnumWindows(&FindMenu, LPARAM(&s));
    return s.found;
}

namespace {

bool WaitFor(DWORD timeoutMs, const std::function<bool()>& done)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

void SendKey(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = WORD(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

}  // namespace

HWND OpenTrayMenu(HICON icon, DWORD processId, DWORD timeoutMs)
{
    POINT at{};
    if (!WaitFor(timeoutMs, [&] { return FindTrayIcon(icon, at); })) return nullptr;
    HWND menu = nullptr;
    WaitFor(timeoutMs, [&] {
        MouseClick(at, true);
        return WaitFor(2000, [&] { return (menu = FindPopupMenuWindow(processId)) != nullptr; });
    });
    return menu;
}

bool PressMenuKey(HWND menu, char key, DWORD timeoutMs)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(menu, &owner);
    const bool inFront = WaitFor(timeoutMs, [&] {
        DWORD pid = 0;
        GetWindowThreadProcessId(GetForegroundWindow(), &pid);
        return pid == owner;
    });
    if (!inFront) return false;
    const WORD vk = WORD(VkKeyScanA(key) & 0xFF);
    SendKey(vk, false);
    SendKey(vk, true);
    return WaitFor(timeoutMs, [&] { return !IsWindowVisible(menu); });
}
