#include "mirror/Process.h"

#include <tlhelp32.h>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/SysUtils.h"

namespace {

using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded);
using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPSTR name, DWORD size);
// Returns TRUE to stop.
using TaskEnumProcEx = BOOL(WINAPI*)(DWORD threadId, WORD module16, WORD task16, PSZ moduleName, PSZ fileName,
                                     LPARAM user);
using VDMEnumTaskWOWExFn = INT(WINAPI*)(DWORD processId, TaskEnumProcEx callback, LPARAM user);
using CreateToolhelp32SnapshotFn = HANDLE(WINAPI*)(DWORD flags, DWORD processId);
using Process32Fn = BOOL(WINAPI*)(HANDLE snapshot, PROCESSENTRY32* entry);

template <typename F>
F Proc(HMODULE module, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct TaskReport {
    DWORD processId;
    KvProcessCallback callback;
    void* user;
    bool stopped;
};

BOOL WINAPI ReportTask(DWORD, WORD, WORD task16, PSZ, PSZ fileName, LPARAM user)
{
    auto* report = reinterpret_cast<TaskReport*>(user);
    try {
        if (report->callback(report->processId, task16, fileName ? fileName : "", report->user) == 0)
            report->stopped = true;
    } catch (...) {
        report->stopped = true;
        if (ApplicationHandleException) ApplicationHandleException(nullptr);
    }
    return report->stopped ? TRUE : FALSE;
}

bool EndsWithNtvdm(const AnsiString& path)
{
    const char tail[] = "NTVDM.EXE";
    const int n = int(sizeof(tail) - 1);
    return path.Length() >= n && AnsiSameText(path.SubString(path.Length() - n + 1, n), tail);
}

bool EnumerateNtProcesses(KvProcessCallback callback, void* user)
{
    ModuleHandle psapi(LoadLibraryA("PSAPI.DLL"));
    ModuleHandle vdmdbg(LoadLibraryA("VDMDBG.DLL"));
    if (!psapi || !vdmdbg) return false;
    auto enumProcesses = Proc<KvProcessDetail::EnumProcessesFn>(psapi.get(), "EnumProcesses");
    auto enumModules = Proc<EnumProcessModulesFn>(psapi.get(), "EnumProcessModules");
    auto moduleFileName = Proc<GetModuleFileNameExFn>(psapi.get(), "GetModuleFileNameExA");
    auto enumTasks = Proc<VDMEnumTaskWOWExFn>(vdmdbg.get(), "VDMEnumTaskWOWEx");
    if (!enumProcesses || !enumModules || !moduleFileName || !enumTasks) return false;

    KvProcessDetail::ProcessIds ids;
    DWORD count = 0, bufferBytes = 0;
    if (!KvProcessDetail::ReadProcessIds(enumProcesses, ids, count, bufferBytes)) return false;

    for (DWORD i = 0; i < count; ++i) {
        const DWORD id = ids[i];
        char name[MAX_PATH + 1] = "";
        KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        if (process) {
            HMODULE first = nullptr;
            DWORD needed = 0;
            if (enumModules(process.get(), &first, sizeof(first), &needed) && first) {
                const DWORD n = moduleFileName(process.get(), first, name, MAX_PATH);
                name[n < MAX_PATH ? n : MAX_PATH] = '\0';
            }
        }
        process.reset();
        const AnsiString path(name);
        if (callback(id, 0, path.c_str(), user) == 0) break;
        if (EndsWithNtvdm(path)) {
            TaskReport report{id, callback, user, false};
            enumTasks(id, &ReportTask, reinterpret_cast<LPARAM>(&report));
            if (report.stopped) break;
        }
    }
    return true;
}

bool EnumerateToolhelpProcesses(KvProcessCallback callback, void* user)
{
    ModuleHandle kernel(LoadLibraryA("Kernel32.DLL"));
    if (!kernel) return false;
    auto snapshotFn = Proc<CreateToolhelp32SnapshotFn>(kernel.get(), "CreateToolhelp32Snapshot");
    auto first = Proc<Process32Fn>(kernel.get(), "Process32First");
    auto next = Proc<Process32Fn>(kernel.get(), "Process32Next");
    if (!snapshotFn || !first || !next) return false;
    // Closed after the walk: this runs every second while waiting for an application.
    KernelHandle snapshot(snapshotFn(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry)) {
        entry.szExeFile[sizeof(entry.szExeFile) - 1] = '\0';
        if (callback(entry.th32ProcessID, 0, entry.szExeFile, user) == 0) break;
        entry.dwSize = sizeof(entry);
    }
    return true;
}

// The filter of every list and search: no owner, visible or minimised, a title.
bool WindowQualifies(HWND window, char (&title)[1024])
{
    title[0] = '\0';
    if (GetWindowLongPtrA(window, GWLP_HWNDPARENT) != 0) return false;
    if (!IsWindowVisible(window) && !IsIconic(window)) return false;
    return GetWindowTextA(window, title, sizeof(title)) > 0 && title[0] != '\0';
}

// Walks the top-level windows that pass the filter; visit returns false to stop. The one exception barrier of
// the walks: an exception ends the walk and goes to the application object.
template <typename Visit>
bool ForEachQualifyingWindow(Visit visit)
{
    struct Walk {
        Visit& visit;
        static BOOL CALLBACK Step(HWND window, LPARAM lParam)
        {
            try {
                char title[1024];
                if (!WindowQualifies(window, title)) return TRUE;
                return reinterpret_cast<Walk*>(lParam)->visit(window, title) ? TRUE : FALSE;
            } catch (...) {
                if (ApplicationHandleException) ApplicationHandleException(nullptr);
                return FALSE;
            }
        }
    } walk{visit};
    return EnumWindows(&Walk::Step, reinterpret_cast<LPARAM>(&walk));
}

BOOL CALLBACK FindUsableChildProc(HWND window, LPARAM lParam)
{
    if (!IsWindowUsable(window)) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = window;
    return FALSE;
}

}  // namespace

namespace KvProcessDetail {

bool ReadProcessIds(EnumProcessesFn enumProcesses, ProcessIds& ids, DWORD& count, DWORD& bufferBytes)
{
    bufferBytes = 1024;
    for (;;) {
        ids.reset(static_cast<DWORD*>(HeapAlloc(GetProcessHeap(), 0, bufferBytes)));
        DWORD returned = 0;
        if (!ids || !enumProcesses(ids.get(), bufferBytes, &returned)) {
            ids.reset();
            count = 0;
            return false;
        }
        // A full buffer may have cut the list short.
        if (returned < bufferBytes) {
            count = returned / sizeof(DWORD);
            return true;
        }
        bufferBytes *= 2;
    }
}

}  // namespace KvProcessDetail

bool EnumerateProcesses(KvProcessCallback callback, void* user)
{
    if (!callback) return false;
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version)) return false;
    switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_NT: return EnumerateNtProcesses(callback, user);
    case VER_PLATFORM_WIN32_WINDOWS: return EnumerateToolhelpProcesses(callback, user);
    default: return false;
    }
}

int AddProcessProc(DWORD processId, std::uint16_t, const char* path, void* user)
{
    auto* map = static_cast<KvProcessMap*>(user);
    if (!map) return 0;
    (*map)[processId] = AnsiString(path ? path : "");
    return 1;
}

void RefreshProcessMap(KvEnumLParam& record)
{
    record.ProcessMap.clear();
    EnumerateProcesses(&AddProcessProc, &record.ProcessMap);
}

AnsiString GetWindowProcessName(KvProcessMap& map, HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return map[processId];
}

bool IsWindowUsable(HWND window)
{
    RECT r;
    return window && IsWindowVisible(window) && GetWindowRect(window, &r) && r.right - r.left != 0 &&
           r.bottom - r.top != 0;
}

bool ListWindows(TStrings* list)
{
    if (!list) return false;
    list->Clear();
    return ForEachQualifyingWindow([list](HWND, const char* title) {
        list->Add(title);
        return true;
    });
}

bool ListApplications(TStrings* list)
{
    if (!list) return false;
    list->Clear();
    KvEnumLParam record;
    record.List = list;
    RefreshProcessMap(record);
    return ForEachQualifyingWindow([&record](HWND window, const char*) {
        const AnsiString path = GetWindowProcessName(record.ProcessMap, window);
        if (!path.IsEmpty()) record.List->Add(path);
        return true;
    });
}

bool ListApplicationWindows(TStrings* titles, TStrings* paths)
{
    if (!titles || !paths) return false;
    titles->Clear();
    paths->Clear();
    KvProcessMap processes;
    EnumerateProcesses(&AddProcessProc, &processes);
    return ForEachQualifyingWindow([&](HWND window, const char* title) {
        titles->Add(title);
        paths->Add(GetWindowProcessName(processes, window));
        return true;
    });
}

bool IsApplicationRunning(const AnsiString& path)
{
    const AnsiString full = ExpandFileName(path);
    if (!FileExists(full)) return false;
    TStringList running;
    ListApplications(&running);
    return running.IndexOf(AnsiUpperCase(full)) >= 0;
}

HWND FindApplicationWindow(const AnsiString& path)
{
    KvEnumLParam record;
    record.Path = path;
    RefreshProcessMap(record);
    ForEachQualifyingWindow([&record](HWND window, const char*) {
        if (!AnsiSameText(GetWindowProcessName(record.ProcessMap, window), record.Path)) return true;
        record.Window = window;
        return false;
    });
    return record.Window;
}

HWND GetCaptureWindow(HWND window)
{
    if (IsWindowUsable(window)) return window;
    if (GetWindow(window, GW_CHILD)) {
        HWND child = nullptr;
        EnumChildWindows(window, &FindUsableChildProc, reinterpret_cast<LPARAM>(&child));
        if (child) return child;
    }
    return GetLastActivePopup(window);
}
