#pragma once
// Top-level windows and the executable files of the processes that own them.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

#include "framework/runtime/AnsiString.h"

class TStrings;

// Process id -> executable path; refilled before every search or list.
using KvProcessMap = std::map<DWORD, AnsiString>;

// Handed to the window-enumeration callbacks.
struct KvEnumLParam {
    KvProcessMap ProcessMap;
    HWND Window = nullptr;        // the window found
    AnsiString Path;              // the executable searched for
    TStrings* List = nullptr;     // the list filled
};

// Once per process (and per 16-bit task, with its task number); non-zero goes on.
using KvProcessCallback = int (*)(DWORD processId, std::uint16_t task, const char* path, void* user);

// False when the process functions of the system cannot be had.
bool EnumerateProcesses(KvProcessCallback callback, void* user);
// user is the KvProcessMap; a later report for an id replaces the earlier one.
int AddProcessProc(DWORD processId, std::uint16_t task, const char* path, void* user);
void RefreshProcessMap(KvEnumLParam& record);
// The path of the window's process (empty when unknown).
AnsiString GetWindowProcessName(KvProcessMap& map, HWND window);

// Non-null, visible, with a readable rectangle of non-zero width and height.
bool IsWindowUsable(HWND window);

// The titles of the listed top-level windows.
bool ListWindows(TStrings* list);
// The executable path of every listed top-level window whose process path is known, one line per window.
bool ListApplications(TStrings* list);
// The title and the executable path of each listed top-level window, from one pass over the windows, so entry i
// of both lists is the same window; a path that cannot be had is empty.
bool ListApplicationWindows(TStrings* titles, TStrings* paths);
// True when the file exists and one of the listed windows belongs to it.
bool IsApplicationRunning(const AnsiString& path);
// The first listed top-level window of that executable (the path compared without case), or null.
HWND FindApplicationWindow(const AnsiString& path);
// The window itself when usable, else its first usable descendant, else its last active pop-up.
HWND GetCaptureWindow(HWND window);

namespace KvProcessDetail {
struct ProcessHeapFree {
    void operator()(DWORD* p) const { HeapFree(GetProcessHeap(), 0, p); }
};
using ProcessIds = std::unique_ptr<DWORD[], ProcessHeapFree>;
using EnumProcessesFn = BOOL(WINAPI*)(DWORD* ids, DWORD bytes, DWORD* bytesReturned);
// The ids EnumProcesses gives, in a process-heap buffer grown from 1024 bytes until the call leaves room;
// false when a call fails.
bool ReadProcessIds(EnumProcessesFn enumProcesses, ProcessIds& ids, DWORD& count, DWORD& bufferBytes);
}  // namespace KvProcessDetail
