#include "framework/runtime/SysUtils.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------------------------
// File names and files

namespace {
const AnsiString PathDelimiters = "\\/:";
const AnsiString ExtDelimiters = ".\\/:";
bool IsSlash(char c) { return c == '\\' || c == '/'; }
}  // namespace

AnsiString ExtractFilePath(const AnsiString& fileName)
{
    return fileName.SubString(1, fileName.LastDelimiter(PathDelimiters));
}

AnsiString ExtractFileDir(const AnsiString& fileName)
{
    int i = fileName.LastDelimiter(PathDelimiters);
    // Keep the backslash of a root ("C:\", "\").
    if (i > 1 && IsSlash(fileName[i]) && !fileName.IsDelimiter(PathDelimiters, i - 1)) --i;
    return fileName.SubString(1, i);
}

AnsiString ExtractFileName(const AnsiString& fileName)
{
    return fileName.SubString(fileName.LastDelimiter(PathDelimiters) + 1, fileName.Length());
}

AnsiString ExtractFileExt(const AnsiString& fileName)
{
    int i = fileName.LastDelimiter(ExtDelimiters);
    return i > 0 && fileName[i] == '.' ? fileName.SubString(i, fileName.Length()) : AnsiString();
}

AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension)
{
    int i = fileName.LastDelimiter(ExtDelimiters);
    if (i == 0 || fileName[i] != '.') i = fileName.Length() + 1;
    return fileName.SubString(1, i - 1) + extension;
}

AnsiString IncludeTrailingBackslash(const AnsiString& s)
{
    return !s.IsEmpty() && IsSlash(s[s.Length()]) ? s : s + "\\";
}

AnsiString ExcludeTrailingBackslash(const AnsiString& s)
{
    return !s.IsEmpty() && IsSlash(s[s.Length()]) ? s.SubString(1, s.Length() - 1) : s;
}

AnsiString ExpandFileName(const AnsiString& fileName)
{
    if (fileName.IsEmpty()) return AnsiString();
    std::string buf(MAX_PATH, '\0');
    for (;;) {
        char* part = nullptr;
        DWORD n = GetFullPathNameA(fileName.c_str(), DWORD(buf.size()), buf.data(), &part);
        if (n == 0) return fileName;
        if (n < buf.size()) {
            buf.resize(n);
            return AnsiString(std::move(buf));
        }
        buf.assign(n + 1, '\0');
    }
}

bool FileExists(const AnsiString& fileName)
{
    DWORD a = GetFileAttributesA(fileName.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const AnsiString& name)
{
    DWORD a = GetFileAttributesA(name.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFile(const AnsiString& fileName) { return ::DeleteFileA(fileName.c_str()) != 0; }

bool RenameFile(const AnsiString& oldName, const AnsiString& newName)
{
    return MoveFileA(oldName.c_str(), newName.c_str()) != 0;
}

AnsiString GetCurrentDir()
{
    DWORD n = GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return AnsiString();
    std::string buf(n, '\0');
    n = GetCurrentDirectoryA(DWORD(buf.size()), buf.data());
    buf.resize(n < buf.size() ? n : 0);
    return AnsiString(std::move(buf));
}

int FileGetAttr(const AnsiString& fileName) { return int(GetFileAttributesA(fileName.c_str())); }

namespace {
bool DiskSpace(unsigned char drive, ULARGE_INTEGER& free, ULARGE_INTEGER& total)
{
    char root[4] = "A:\\";
    const char* path = nullptr;
    if (drive != 0) {
        if (drive > 26) return false;
        root[0] = char('A' + drive - 1);
        path = root;
    }
    return GetDiskFreeSpaceExA(path, &free, &total, nullptr) != 0;
}
}  // namespace

long long DiskFree(unsigned char drive)
{
    ULARGE_INTEGER f, t;
    return DiskSpace(drive, f, t) ? static_cast<long long>(f.QuadPart) : -1;
}

long long DiskSize(unsigned char drive)
{
    ULARGE_INTEGER f, t;
    return DiskSpace(drive, f, t) ? static_cast<long long>(t.QuadPart) : -1;
}

namespace {
HANDLE H(int handle) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle)); }
int FromHandle(HANDLE h)
{
    return h == INVALID_HANDLE_VALUE ? -1 : static_cast<int>(reinterpret_cast<std::intptr_t>(h));
}
}  // namespace

int FileOpen(const AnsiString& fileName, unsigned mode)
{
    static const DWORD access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    static const DWORD share[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
    unsigned a = mode & 3, s = (mode & 0xF0) >> 4;
    if (a > 2 || s > 4) return -1;
    return FromHandle(CreateFileA(fileName.c_str(), access[a], share[s], nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

int FileCreate(const AnsiString& fileName)
{
    return FromHandle(CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

int FileRead(int handle, void* buffer, int count)
{
    DWORD n = 0;
    if (count < 0 || !ReadFile(H(handle), buffer, DWORD(count), &n, nullptr)) return -1;
    return int(n);
}

int FileWrite(int handle, const void* buffer, int count)
{
    DWORD n = 0;
    if (count < 0 || !WriteFile(H(handle), buffer, DWORD(count), &n, nullptr)) return -1;
    return int(n);
}

long long FileSeek(int handle, long long offset, int origin)
{
    LARGE_INTEGER d, r;
    d.QuadPart = offset;
    if (origin < 0 || origin > 2 || !SetFilePointerEx(H(handle), d, &r, DWORD(origin))) return -1;
    return r.QuadPart;
}

int FileSeek(int handle, int offset, int origin)
{
    long long r = FileSeek(handle, static_cast<long long>(offset), origin);
    return r > INT_MAX ? -1 : int(r);
}

void FileClose(int handle)
{
    if (handle != -1) CloseHandle(H(handle));
}
