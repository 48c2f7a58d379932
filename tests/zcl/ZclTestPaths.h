#pragma once
// Folders the library tests read from: the build folder (the program lies there) and the temporary folder.

#include <windows.h>

#include <string>

namespace zcltest {

// The folder above the tests' own, where the program is built.
inline std::string BuildDir()
{
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir = exe;
    dir = dir.substr(0, dir.find_last_of('\\'));  // ...\tests
    return dir.substr(0, dir.find_last_of('\\'));
}

inline std::string Program() { return BuildDir() + "\\DravikREMOTE.exe"; }

// With a trailing backslash.
inline std::string TempDir()
{
    char path[MAX_PATH] = "";
    GetTempPathA(sizeof path, path);
    return path;
}

}  // namespace zcltest
