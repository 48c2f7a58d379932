#pragma once
// What the driver shell's tests share: the settings key under HKEY_LOCAL_MACHINE written and read raw, the
// serial port list of the system replaced for a test, the window's message boxes recorded, and a main window
// made the way the program makes it.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "framework/ControlTestHelpers.h"
#include "framework/runtime/Registry.h"
#include "shell/MainForm.h"
#include "support/Screenshot.h"

// The login state the password dialog gives, set directly.
struct MainWindowTestAccess {
    static void SetAccessGranted(TMainWindow& w, bool value) { w.FAccessGranted = value; }
};

namespace shelltest {

using controltest::Pump;
using controltest::PumpUntil;

// Raw registry access below HKEY_LOCAL_MACHINE.
inline bool WriteRaw(const std::string& key, const std::string& name, const std::string& value,
                     DWORD options = REG_OPTION_NON_VOLATILE)
{
    HKEY k = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG r = RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  DWORD(value.size() + 1));
    RegCloseKey(k);
    return r == ERROR_SUCCESS;
}

// The value's text when it is a REG_SZ; "<missing>" or "<type N>" otherwise.
inline std::string ReadRaw(const std::string& key, const std::string& name)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return "<missing>";
    DWORD type = 0, size = 0;
    LONG r = RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, &size);
    std::string text(size, '\0');
    if (r == ERROR_SUCCESS) r = RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) return "<missing>";
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    text.resize(size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

// Every value of a key as name -> raw text.
inline std::map<std::string, std::string> ReadAllRaw(const std::string& key)
{
    std::map<std::string, std::string> values;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD n = sizeof name;
        if (RegEnumValueA(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        values[name] = ReadRaw(key, name);
    }
    RegCloseKey(k);
    return values;
}

inline void DeleteValue(const std::string& key, const std::string& name)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, name.c_str());
    RegCloseKey(k);
}

inline bool KeyExists(const std::string& key)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

inline void DeleteTree(const std::string& key)
{
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (registry.KeyExists(("\\" + key).c_str())) registry.DeleteKey(("\\" + key).c_str());
}

inline std::string BaseKey() { return MainSettingsKey; }
inline std::string PortKey(const std::string& port, const std::string& section = "")
{
    return BaseKey() + "\\" + port + (section.empty() ? "" : "\\" + section);
}

// The program's settings are gone before and after.
class CleanSettings {
public:
    CleanSettings() { DeleteTree(BaseKey()); }
    ~CleanSettings() { DeleteTree(BaseKey()); }

    // Settings a port needs to open: the port and its line.
    static void SeedPort(const std::string& port, const std::string& parameter = "baud=115200 parity=N data=8 stop=1 protocol=N")
    {
        WriteRaw(PortKey(port, "Communication"), "Port", port);
        WriteRaw(PortKey(port, "Communication"), "Parameter", parameter);
    }
};

// The system's serial port list (HARDWARE\DEVICEMAP\SERIALCOMM) replaced for one test and given back after.
class SerialCommList {
public:
    static constexpr const char* Key = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

    SerialCommList()
    {
        saved_ = ReadAllRaw(Key);
        volatile_ = !KeyExists(Key) || IsVolatile();
        Clear();
    }
    ~SerialCommList()
    {
        Clear();
        for (const auto& [name, value] : saved_) WriteRaw(Key, name, value, volatile_ ? REG_OPTION_VOLATILE : 0);
    }
    void Clear()
    {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Key, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
        for (const auto& [name, value] : ReadAllRaw(Key)) RegDeleteValueA(k, name.c_str());
        RegCloseKey(k);
    }
    void Add(const std::string& device, const std::string& port)
    {
        ASSERT_TRUE(WriteRaw(Key, device, port, volatile_ ? REG_OPTION_VOLATILE : 0));
    }

private:
    static bool IsVolatile()
    {
        // A non-volatile child is refused under a volatile key.
        HKEY k = nullptr;
        const LONG r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(Key) + "\\DravikProbe").c_str(), 0, nullptr,
                                       REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        if (r != ERROR_SUCCESS) return true;
        RegCloseKey(k);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(Key) + "\\DravikProbe").c_str());
        return false;
    }

    std::map<std::string, std::string> saved_;
    bool volatile_ = true;
};

// The window's message boxes, answered at once instead of waiting for a user.
class MessageBoxes {
public:
    struct Box {
        std::string text;
        std::string caption;
        UINT flags;
        DWORD thread;
    };
    MessageBoxes()
    {
        Application->SetMessageBoxHook(TMessageBoxHook::From([this](const AnsiString& text, const AnsiString& caption, UINT flags) {
            std::lock_guard<std::mutex> lock(mutex_);
            boxes_.push_back({text.c_str(), caption.c_str(), flags, GetCurrentThreadId()});
            return IDOK;
        }));
    }
    ~MessageBoxes() { Application->SetMessageBoxHook(nullptr); }
    std::vector<Box> Boxes()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }
    std::vector<std::string> Texts()
    {
        std::vector<std::string> texts;
        for (const Box& b : Boxes()) texts.push_back(b.text);
        return texts;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        boxes_.clear();
    }

private:
    std::mutex mutex_;
    std::vector<Box> boxes_;
};

// The main window as the program makes it (without becoming the application's main form, so closing it only
// hides it). The program's title is set as at start-up.
inline std::unique_ptr<TMainWindow> MakeMainWindow()
{
    Application->SetTitle(MainWindowTitle);
    auto window = std::make_unique<TMainWindow>(Application);
    window->AfterConstruction();
    return window;
}

// The build folder (where DravikREMOTE.exe is).
inline std::string BuildDir()
{
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir = exe;
    dir = dir.substr(0, dir.find_last_of('\\'));
    return dir.substr(0, dir.find_last_of('\\'));
}

// A top-level tool window of this test program with a caption: an application the driver can list and choose.
inline HWND MakeTestWindow(const char* title, int x, int y, int width, int height, bool visible = true,
                           HWND owner = nullptr)
{
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
        wc.lpszClassName = "ShellTestWindow";
        return RegisterClassA(&wc);
    }();
    (void)atom;
    return CreateWindowExA(WS_EX_TOOLWINDOW, "ShellTestWindow", title,
                           WS_POPUP | WS_CAPTION | (visible ? WS_VISIBLE : 0), x, y, width, height, owner, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace shelltest
