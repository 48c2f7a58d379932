#pragma once
// DravikREMOTE.exe run as a process of its own, the way a user starts it, with the windows it makes.

#include <windows.h>

#include <string>
#include <vector>

#include "ShellTestSupport.h"

namespace shelltest {

class DriverProcess {
public:
    DriverProcess() = default;
    ~DriverProcess() { Kill(); }
    DriverProcess(const DriverProcess&) = delete;
    DriverProcess& operator=(const DriverProcess&) = delete;

    // Starts the program (another one of the build when exe names it) with the given arguments; false when it
    // could not be started.
    bool Start(const std::string& arguments, std::string exe = "")
    {
        if (exe.empty()) exe = BuildDir() + "\\DravikREMOTE.exe";
        std::string line = "\"" + exe + "\" " + arguments;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
            return false;
        return true;
    }
    HANDLE Handle() const { return pi_.hProcess; }
    DWORD Id() const { return pi_.dwProcessId; }
    DWORD MainThread() const { return pi_.dwThreadId; }
    bool Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

    // Waits for the end (serving this thread's messages); false after timeoutMs.
    bool WaitForExit(DWORD timeoutMs = 20000)
    {
        if (!pi_.hProcess) return true;
        return PumpUntil([&] { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs);
    }
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }
    DWORD PriorityClass() const { return GetPriorityClass(pi_.hProcess); }

    // The top-level windows of the process with the class (any when empty) and caption (any when empty).
    std::vector<HWND> Windows(const std::string& className = "", const std::string& caption = "") const
    {
        Search s{pi_.dwProcessId, className, caption, {}};
        EnumWindows(&DriverProcess::Found, LPARAM(&s));
        return s.found;
    }
    // The first visible one, or null.
    HWND VisibleWindow(const std::string& className, const std::string& caption = "") const
    {
        for (HWND w : Windows(className, caption))
            if (IsWindowVisible(w)) return w;
        return nullptr;
    }

    // Ends a process the test could not end otherwise.
    void Kill()
    {
        if (!pi_.hProcess) return;
        if (Running()) {
            TerminateProcess(pi_.hProcess, 99);
            WaitForSingleObject(pi_.hProcess, 10000);
        }
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
        pi_ = PROCESS_INFORMATION{};
    }

private:
    struct Search {
        DWORD pid;
        std::string cls, text;
        std::vector<HWND> found;
    };
    static BOOL CALLBACK Found(HWND wnd, LPARAM lp)
    {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        if (pid != s->pid) return TRUE;
        char cls[256] = "", text[512] = "";
        GetClassNameA(wnd, cls, sizeof cls);
        GetWindowTextA(wnd, text, sizeof text);
        if ((s->cls.empty() || s->cls == cls) && (s->text.empty() || s->text == text)) s->found.push_back(wnd);
        return TRUE;
    }

    PROCESS_INFORMATION pi_{};
};

inline BOOL CALLBACK AddStaticText(HWND child, LPARAM lp)
{
    char cls[64] = "", t[1024] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(child, t, sizeof t) > 0) {
        auto* s = reinterpret_cast<std::string*>(lp);
        if (!s->empty()) *s += "\n";
        *s += t;
    }
    return TRUE;
}

// The text of every static control of a dialog, joined by newlines.
inline std::string DialogText(HWND dialog)
{
    std::string text;
    EnumChildWindows(dialog, &AddStaticText, LPARAM(&text));
    return text;
}

}  // namespace shelltest
