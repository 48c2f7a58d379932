#pragma once
// RAII owners for Win32 handles, one alias per handle kind.

#include <windows.h>

#include <utility>

template <typename H, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept
    {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    H get() const { return h_; }
    explicit operator bool() const { return Traits::valid(h_); }
    H release() { return std::exchange(h_, Traits::invalid()); }
    void reset(H h = Traits::invalid())
    {
        if (Traits::valid(h_)) Traits::close(h_);
        h_ = h;
    }

private:
    H h_ = Traits::invalid();
};

struct KernelHandleTraits {  // NULL means none (events, threads, mutexes, processes)
    static HANDLE invalid() { return nullptr; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {  // INVALID_HANDLE_VALUE means none (files, ports)
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct HeapTraits {
    static HANDLE invalid() { return nullptr; }
    static bool valid(HANDLE h) { return h != nullptr; }
    static void close(HANDLE h) { HeapDestroy(h); }
};
struct RegKeyTraits {
    static HKEY invalid() { return nullptr; }
    static bool valid(HKEY h) { return h != nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
template <typename G>
struct GdiObjectTraits {
    static G invalid() { return nullptr; }
    static bool valid(G h) { return h != nullptr; }
    static void close(G h) { DeleteObject(h); }
};
struct MemoryDCTraits {
    static HDC invalid() { return nullptr; }
    static bool valid(HDC h) { return h != nullptr; }
    static void close(HDC h) { DeleteDC(h); }
};
struct WindowTraits {
    static HWND invalid() { return nullptr; }
    static bool valid(HWND h) { return h != nullptr; }
    static void close(HWND h) { DestroyWindow(h); }
};
struct ModuleTraits {
    static HMODULE invalid() { return nullptr; }
    static bool valid(HMODULE h) { return h != nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};
struct IconTraits {
    static HICON invalid() { return nullptr; }
    static bool valid(HICON h) { return h != nullptr; }
    static void close(HICON h) { DestroyIcon(h); }
};
struct MenuTraits {
    static HMENU invalid() { return nullptr; }
    static bool valid(HMENU h) { return h != nullptr; }
    static void close(HMENU h) { DestroyMenu(h); }
};

using KernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;
using HeapHandle = UniqueHandle<HANDLE, HeapTraits>;
using RegKey = UniqueHandle<HKEY, RegKeyTraits>;
using BitmapHandle = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;
using BrushHandle = UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>>;
using PenHandle = UniqueHandle<HPEN, GdiObjectTraits<HPEN>>;
using FontHandle = UniqueHandle<HFONT, GdiObjectTraits<HFONT>>;
using RegionHandle = UniqueHandle<HRGN, GdiObjectTraits<HRGN>>;
using PaletteHandle = UniqueHandle<HPALETTE, GdiObjectTraits<HPALETTE>>;
using MemoryDC = UniqueHandle<HDC, MemoryDCTraits>;
using WindowHandle = UniqueHandle<HWND, WindowTraits>;
using ModuleHandle = UniqueHandle<HMODULE, ModuleTraits>;
using IconHandle = UniqueHandle<HICON, IconTraits>;
using MenuHandle = UniqueHandle<HMENU, MenuTraits>;

// A window's DC, released to its window.
class WindowDC {
public:
    explicit WindowDC(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC()
    {
        if (dc_) ReleaseDC(wnd_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND wnd_;
    HDC dc_;
};

// Selects a GDI object into a DC for a scope and puts the old one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject()
    {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};
