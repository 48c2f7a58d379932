#pragma once
// What the key map's dialog tests share: the .ini file read back raw, the registry under a key taken whole (to
// show a dialog wrote nothing there), and a window's close box found where the user clicks it.

#include <windows.h>

#include <map>
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

}  // namespace shelltest
