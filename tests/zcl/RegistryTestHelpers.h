#pragma once
// The real registry in tests: each test's settings live under a key of its own, removed with all below it.

#include <windows.h>

#include <string>
#include <vector>

namespace regtest {

// Key and everything below it; nothing when it is not there.
inline void DeleteKeyTree(HKEY root, const std::string& key)
{
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
    std::vector<std::string> subs;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(k, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subs.push_back(name);
    }
    RegCloseKey(k);
    for (const std::string& sub : subs) DeleteKeyTree(root, key + "\\" + sub);
    RegDeleteKeyA(root, key.c_str());
}

}  // namespace regtest
