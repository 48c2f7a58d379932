#pragma once
// What the key map's dialog tests share: the .ini file read back raw, the registry under a key taken whole (to
// show a dialog wrote nothing there), a window's close box found where the user clicks it, and a window of the
// test program that notes the keys it gets.

#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace shelltest {

// The name=value lines of a section of an .ini file, in file order; empty when the section is missing.
inline std::vector<std::pair<std::string, std::string>> IniLines(const std::string& file, const std::string& section)
{
    std::vector<char> buffer(1 << 16);
    const DWORD n = GetPrivateProfileSectionA(section.c_str(), buffer.data(), DWORD(buffer.size()), file.c_str());
    std::vector<std::pair<std::string, std::string>> lines;
    for (DWORD i = 0; i < n;) {
        const std::string line(&buffer[i]);
        i += DWORD(line.size()) + 1;
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            lines.emplace_back(line, "");
        else
            lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return lines;
}

// The sections of an .ini file, in file order.
inline std::vector<std::string> IniSections(const std::string& file)
{
    std::vector<char> buffer(1 << 16);
    const DWORD n = GetPrivateProfileSectionNamesA(buffer.data(), DWORD(buffer.size()), file.c_str());
    std::vector<std::string> names;
    for (DWORD i = 0; i < n;) {
        names.emplace_back(&buffer[i]);
        i += DWORD(names.back().size()) + 1;
    }
    return names;
}

// Every value below a key of HKEY_LOCAL_MACHINE as "subkey\name" -> type and data, subkeys included.
inline void RegistryTreeInto(const std::string& key, const std::string& prefix, std::map<std::string, std::string>& out)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameSize = sizeof name, type = 0, dataSize = 0;
        if (RegEnumValueA(k, i, name, &nameSize, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS) break;
        std::string data(dataSize, '\0');
        nameSize = sizeof name;
        RegEnumValueA(k, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &dataSize);
        out[prefix + "\\" + name] = std::to_string(type) + ":" + data;
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(k, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name);
    }
    RegCloseKey(k);
    for (const std::string& sub : subkeys) {
        out[prefix + "\\" + sub + "\\"] = "key";
        RegistryTreeInto(key + "\\" + sub, prefix + "\\" + sub, out);
    }
}
inline std::map<std::string, std::string> RegistryTree(const std::string& key)
{
    std::map<std::string, std::string> out;
    RegistryTreeInto(key, "", out);
    return out;
}

// The screen point of a window's close box, as its frame answers hit tests (the window may be another
// process's); false when the frame has none.
inline bool CloseBoxPoint(HWND window, POINT& at)
{
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    for (int y = r.top + 1; y < r.top + 40 && y < r.bottom; ++y)
        for (int x = r.right - 2; x > r.right - 80 && x > r.left; --x)
            if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                // The middle of the box: walk on to its other edges.
                int left = x, bottom = y;
                while (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(left - 1, y)) == HTCLOSE) --left;
                while (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, bottom + 1)) == HTCLOSE) ++bottom;
                at = POINT{(left + x) / 2, (y + bottom) / 2};
                return true;
            }
    return false;
}

// A shown window of the test program, in front, that notes the keys and left clicks it gets.
class InputTarget {
public:
    InputTarget(int x, int y, int w, int h)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &InputTarget::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = HBRUSH(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "DriverInputTarget";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Input target", WS_POPUP | WS_VISIBLE, x, y, w, h,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, LONG_PTR(this));
        Focus();
    }
    ~InputTarget() { DestroyWindow(window_); }
    InputTarget(const InputTarget&) = delete;
    InputTarget& operator=(const InputTarget&) = delete;

    HWND get() const { return window_; }
    void Focus()
    {
        SetForegroundWindow(window_);
        SetFocus(window_);
    }
    // "down VK", "up VK" (system keys too, as the same words), "ldown X,Y", "lup X,Y".
    std::vector<std::string> Events()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.clear();
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
        auto* self = reinterpret_cast<InputTarget*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (self) {
            std::string e;
            switch (msg) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN: e = "down " + std::to_string(wp); break;
            case WM_KEYUP:
            case WM_SYSKEYUP: e = "up " + std::to_string(wp); break;
            case WM_LBUTTONDOWN:
                e = "ldown " + std::to_string(short(LOWORD(lp))) + "," + std::to_string(short(HIWORD(lp)));
                break;
            case WM_LBUTTONUP:
                e = "lup " + std::to_string(short(LOWORD(lp))) + "," + std::to_string(short(HIWORD(lp)));
                break;
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

}  // namespace shelltest
