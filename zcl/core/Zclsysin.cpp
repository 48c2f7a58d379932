#include "zcl/core/Zclsysin.h"

#include <shellapi.h>
#include <x86intrin.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <iterator>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclconst.h"
#include "zcl/core/Zclprocs.h"

// Not in the system headers of every kit.
#ifndef SPI_GETWINDOWSEXTENSION
#define SPI_GETWINDOWSEXTENSION 92
#endif

// ---------------------------------------------------------------------------------------------------------------
// Platform

namespace {

OSVERSIONINFOA VersionInfo()
{
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&vi);
#pragma GCC diagnostic pop
    return vi;
}

int SimpleMajorVersion()
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return LOBYTE(LOWORD(GetVersion()));
#pragma GCC diagnostic pop
}

}  // namespace

const TZCLPlatformFlags& ZCLPlatformFlags()
{
    static const TZCLPlatformFlags flags = [] {
        TZCLPlatformFlags f;
        f.Win9x = Win32Platform == VER_PLATFORM_WIN32_WINDOWS;
        if (f.Win9x) {
            f.Win98 = Win32MinorVersion >= 10;
            BOOL extension = FALSE;
            f.NewShell = SystemParametersInfoA(SPI_GETWINDOWSEXTENSION, 1, &extension, 0) != 0;
        } else {
            f.WinNT = Win32Platform == VER_PLATFORM_WIN32_NT;
            f.Win2000 = SimpleMajorVersion() >= 5;
            f.NewShell = true;
        }
        return f;
    }();
    return flags;
}

// ---------------------------------------------------------------------------------------------------------------
// Non-client metrics

int ZCLNCBITMAPHEIGHT() { return GetSystemMetrics(SM_CYSIZE); }
int ZCLNCBITMAPWIDTH() { return GetSystemMetrics(SM_CXSIZE); }
int ZCLNCCAPTIONHEIGHT() { return GetSystemMetrics(SM_CYCAPTION); }
int ZCLNCDLGBORDERWIDTH() { return GetSystemMetrics(SM_CXDLGFRAME); }
int ZCLNCDLGBORDERHEIGHT() { return GetSystemMetrics(SM_CYDLGFRAME); }
int ZCLNCFIXBORDERWIDTH() { return GetSystemMetrics(SM_CXBORDER); }
int ZCLNCFIXBORDERHEIGHT() { return GetSystemMetrics(SM_CYBORDER); }
int ZCLNCSIZEBORDERWIDTH() { return GetSystemMetrics(SM_CXFRAME); }
int ZCLNCSIZEBORDERHEIGHT() { return GetSystemMetrics(SM_CYFRAME); }
int ZCLNCBORDERWIDTH() { return ZCLNCFIXBORDERWIDTH() + ZCLNCSIZEBORDERWIDTH() - 1; }
int ZCLNCBORDERHEIGHT() { return ZCLNCFIXBORDERHEIGHT() + ZCLNCSIZEBORDERHEIGHT() - 1; }

int ZCLNCSMALLCAPTIONHEIGHT()
{
    return ZCLPlatformFlags().NewShell ? GetSystemMetrics(SM_CYSMCAPTION) : ZCLNCCAPTIONHEIGHT();
}
int ZCLNCSMALLBITMAPHEIGHT()
{
    return ZCLPlatformFlags().NewShell ? GetSystemMetrics(SM_CYSMSIZE) : ZCLNCBITMAPHEIGHT();
}
int ZCLNCSMALLBITMAPWIDTH()
{
    return ZCLPlatformFlags().NewShell ? GetSystemMetrics(SM_CXSMSIZE) : ZCLNCBITMAPWIDTH();
}
int ZCLNCCAPTIONICONHEIGHT()
{
    return ZCLPlatformFlags().NewShell ? GetSystemMetrics(SM_CYSMICON) : ZCLNCBITMAPHEIGHT();
}
int ZCLNCCAPTIONICONWIDTH()
{
    return ZCLPlatformFlags().NewShell ? GetSystemMetrics(SM_CXSMICON) : ZCLNCBITMAPWIDTH();
}
int ZCLSIIconHeight() { return GetSystemMetrics(SM_CYICON); }
int ZCLSIIconWidth() { return GetSystemMetrics(SM_CXICON); }
int ZCLSISmallIconHeight() { return GetSystemMetrics(SM_CYSMICON); }
int ZCLSISmallIconWidth() { return GetSystemMetrics(SM_CXSMICON); }

void ZCLNCCalcDrawingArea(HWND Wnd, TRect& Caption, TRect& Text, std::uint16_t& Flags)
{
    ZCLNCCalcDrawingArea(Wnd, Caption, Text, Flags, ZCLPlatformFlags().NewShell);
}

void ZCLNCCalcDrawingArea(HWND Wnd, TRect& Caption, TRect& Text, std::uint16_t& Flags, bool NewShell)
{
    const int b = ZCLNCFIXBORDERWIDTH();
    const int h = ZCLNCFIXBORDERHEIGHT();
    int bw = ZCLNCBITMAPWIDTH();
    const DWORD style = DWORD(GetWindowLongA(Wnd, GWL_STYLE));
    const DWORD exStyle = DWORD(GetWindowLongA(Wnd, GWL_EXSTYLE));
    const bool toolWindow = exStyle & WS_EX_TOOLWINDOW;
    const bool sizeable = style & WS_THICKFRAME;

    RECT wr{};
    GetWindowRect(Wnd, &wr);
    TRect& B = Caption;
    TRect& T = Text;
    B = TRect{0, 0, wr.right - wr.left, ZCLNCCAPTIONHEIGHT()};
    if (toolWindow && NewShell) {
        B.bottom = ZCLNCSMALLCAPTIONHEIGHT();
        Flags |= ZCLNCSmallCaption;
    }
    auto move = [](TRect& r, int l, int t, int rr, int bb) {
        r.left += l;
        r.top += t;
        r.right += rr;
        r.bottom += bb;
    };
    if (!NewShell && (Flags & ZCLNCThinFrame)) {
        move(B, b, h, -b, -b);
    } else if (sizeable) {
        const int sw = ZCLNCSIZEBORDERWIDTH(), sh = ZCLNCSIZEBORDERHEIGHT();
        move(B, sw, sh, -sw, sh - h);
        if (!NewShell) B.bottom -= b;
    } else if (exStyle & WS_EX_DLGMODALFRAME) {
        const int dw = ZCLNCDLGBORDERWIDTH(), dh = ZCLNCDLGBORDERHEIGHT();
        move(B, dw, dh, -dw, dh - h);
    } else if (!NewShell && toolWindow) {
        move(B, b, h, -b, -b);
    } else {
        move(B, 3 * b, 3 * h, -3 * b, 2 * h);
    }

    T = B;
    if (IsWindow(Wnd) && IsWindowVisible(Wnd)) {
        const bool iconic = IsIconic(Wnd);
        const bool smallCaption = Flags & ZCLNCSmallCaption;
        const int minMaxCount = ((style & WS_MINIMIZEBOX) ? 1 : 0) + ((style & WS_MAXIMIZEBOX) ? 1 : 0);
        if (smallCaption) bw = ZCLNCSMALLBITMAPWIDTH();
        if (style & WS_SYSMENU) {
            if (!NewShell) T.right -= 2 * b;
            else if (!iconic) T.right -= 3 * b + bw;
            const bool reserveIcon = (sizeable && !smallCaption) || (Flags & ZCLNCThinFrame) ||
                                     (!NewShell && ((style & 0x80880000u) == 0x80880000u || toolWindow));
            if (reserveIcon) {
                Flags |= ZCLNCSysIcon;
                if (NewShell) {
                    T.left += ZCLNCCAPTIONICONWIDTH() + ZCLNCSIZEBORDERWIDTH();
                    if (iconic) Flags |= ZCLNCIconic;
                    else T.left += b;
                } else {
                    T.left += ZCLNCCAPTIONICONWIDTH() + 2 * b;
                }
            }
            if (minMaxCount == 0) {
                if (exStyle & WS_EX_CONTEXTHELP) T.right -= bw + (NewShell ? b : 0);
            } else {
                T.right -= NewShell ? 2 * bw : minMaxCount * bw;
            }
            if (smallCaption && NewShell) {
                T.left += 4 * b;
                T.top += 3 * b;
                T.right -= 2 * b;
            }
        } else {
            T.left += 2 * b;
            if (!NewShell) T.right -= b + minMaxCount * bw;
        }
        if (T.left == B.left) T.left += 2 * b;
    }

    if (Flags & ZCLNCIconic) B.bottom -= h;
    T.bottom = B.bottom;
    if (Flags & ZCLNCTextToRight) T.right = B.right;
    if ((Flags & ZCLNCSysIcon) && ((Flags & ZCLNCIconInBand) || !NewShell)) {
        T.left = B.left;
        B.left += 2 * b;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Display and keyboard

namespace {

int ScreenCaps(int index)
{
    const HDC dc = GetDC(nullptr);
    const int value = GetDeviceCaps(dc, index);
    ReleaseDC(nullptr, dc);
    return value;
}

// The toggle bit alone: while the key is held down the low byte carries the down bit as well.
bool Toggled(int key) { return GetKeyState(key) & 1; }

}  // namespace

bool ZCLSIStretchBltPossible() { return ScreenCaps(RASTERCAPS) & RC_STRETCHBLT; }

std::uint8_t ZCLSIColorDepth()
{
    const HDC dc = GetDC(nullptr);
    const int depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    return std::uint8_t(depth);
}

int ZCLSIScreenSaverDelay()
{
    UINT seconds = 0;
    if (!SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0)) return 0;
    return int(seconds / 60);
}

bool ZCLSINumLock() { return Toggled(VK_NUMLOCK); }
bool ZCLSICapsLock() { return Toggled(VK_CAPITAL); }
bool ZCLSIScrollLock() { return Toggled(VK_SCROLL); }

// ---------------------------------------------------------------------------------------------------------------
// Memory

namespace {

MEMORYSTATUSEX MemoryStatus()
{
    MEMORYSTATUSEX ms{};
    ms.dwLength = sizeof ms;
    if (!GlobalMemoryStatusEx(&ms)) ms = MEMORYSTATUSEX{};
    return ms;
}

}  // namespace

std::uint64_t ZCLSIMemTotal() { return MemoryStatus().ullTotalPhys; }
std::uint32_t ZCLSIMemLoaded() { return MemoryStatus().dwMemoryLoad; }
std::uint64_t ZCLSIMemFree() { return MemoryStatus().ullAvailPhys; }
std::uint64_t ZCLSIMemPageTotal() { return MemoryStatus().ullTotalPageFile; }
std::uint64_t ZCLSIMemPageFree() { return MemoryStatus().ullAvailPageFile; }
std::uint64_t ZCLSIMemVirtTotal() { return MemoryStatus().ullTotalVirtual; }
std::uint64_t ZCLSIMemVirtFree() { return MemoryStatus().ullAvailVirtual; }

// ---------------------------------------------------------------------------------------------------------------
// Version and platform

int ZCLSIMajorVersionNr() { return int(VersionInfo().dwMajorVersion); }
int ZCLSIMinorVersionNr() { return int(VersionInfo().dwMinorVersion); }
int ZCLSIBuildNr() { return int(VersionInfo().dwBuildNumber & 0xFFFF); }
AnsiString ZCLSIVersionString() { return AnsiString(VersionInfo().szCSDVersion); }

AnsiString ZCLSIVersionStr()
{
    const OSVERSIONINFOA vi = VersionInfo();
    return Format("%d.%d", int(vi.dwMajorVersion), int(vi.dwMinorVersion));
}

double ZCLSIVersionNr()
{
    const OSVERSIONINFOA vi = VersionInfo();
    return ZCLSIVersionNr(int(vi.dwMajorVersion), int(vi.dwMinorVersion));
}

double ZCLSIVersionNr(int Major, int Minor)
{
    double scale = 10;
    for (int m = Minor / 10; m > 0; m /= 10) scale *= 10;
    return Major + Minor / scale;
}

bool ZCLSIOLDWindowsNT() { return ZCLPlatformFlags().WinNT && SimpleMajorVersion() < 4; }
int ZCLSIPlatformID() { return Win32Platform; }
AnsiString ZCLSIPlatformStr() { return ZCLSIPlatformStr(ZCLSIPlatformID()); }

AnsiString ZCLSIPlatformStr(int PlatformID)
{
    switch (PlatformID) {
    case VER_PLATFORM_WIN32s: return "Win32s";
    case VER_PLATFORM_WIN32_WINDOWS: return "Windows 95";
    case VER_PLATFORM_WIN32_NT: return "Windows NT";
    default: return ZCLLoadResString(_IDS_UNKNOWN);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Processor

int ZCLSIProcessorCount()
{
    SYSTEM_INFO si{};
    GetSystemInfo(&si);
    return int(si.dwNumberOfProcessors);
}

AnsiString ZCLSIProcessorTypeStr()
{
    SYSTEM_INFO si{};
    GetSystemInfo(&si);
    return ZCLSIProcessorTypeStr(si.dwProcessorType);
}

AnsiString ZCLSIProcessorTypeStr(DWORD ProcessorType)
{
    switch (ProcessorType) {
    case 386: return "Intel 386";
    case 486: return "Intel 486";
    case 586: return "Intel Pentium";
    case 2000:
    case 3000:
    case 4000: return "Mips R" + IntToStr(ProcessorType);
    case 21064: return "Alpha 21064";
    default: return IntToStr(ProcessorType);
    }
}

namespace {

std::atomic<int> cpuMeasurements{0};

// The time-stamp counter against the performance counter over half a second. Only this thread is raised, and
// only within the process's class: the program's other threads and the rest of the system keep running.
double MeasureCPUSpeed()
{
    ++cpuMeasurements;
    LARGE_INTEGER frequency{};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return 0;
    const HANDLE thread = GetCurrentThread();
    const int priority = GetThreadPriority(thread);
    SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
    Sleep(10);
    LARGE_INTEGER t0{}, t1{};
    QueryPerformanceCounter(&t0);
    const unsigned long long c0 = __rdtsc();
    Sleep(500);
    QueryPerformanceCounter(&t1);
    const unsigned long long c1 = __rdtsc();
    SetThreadPriority(thread, priority);
    const double seconds = double(t1.QuadPart - t0.QuadPart) / double(frequency.QuadPart);
    if (seconds <= 0) return 0;
    return double(c1 - c0) / seconds / 1e6;
}

}  // namespace

double ZCLSIGetCPUSpeed()
{
    static const double speed = MeasureCPUSpeed();
    return speed;
}

int ZCLSICPUSpeedMeasurements() { return cpuMeasurements.load(); }

namespace {

int FreeResources(int kind)
{
    using MeterProc = int(WINAPI*)(int);
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const ModuleHandle meter(LoadLibraryA("RSRC32.DLL"));
    SetErrorMode(oldMode);
    if (!meter) return 100;
    auto proc = reinterpret_cast<MeterProc>(
        reinterpret_cast<void*>(GetProcAddress(meter.get(), "_MyGetFreeSystemResources32@4")));
    return proc ? proc(kind) : 100;
}

}  // namespace

int ZCLSIFreeSysRes() { return FreeResources(0); }
int ZCLSIFreeGDIRes() { return FreeResources(1); }
int ZCLSIFreeUserRes() { return FreeResources(2); }

// ---------------------------------------------------------------------------------------------------------------
// Drives

TZCLDriveInfo ZCLSIDriveInfo(const AnsiString& Root)
{
    TZCLDriveInfo info;
    if (Root.IsEmpty()) return info;
    const char letter = char(std::toupper(static_cast<unsigned char>(Root[1])));
    if (letter < 'A' || letter > 'Z') return info;
    AnsiString root = UpperCase(Root.SubString(1, 3));
    info.DriveType = GetDriveTypeA(root.c_str());
    if (info.DriveType > DRIVE_NO_ROOT_DIR) {
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
        if (GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
            info.SectorsPerCluster = sectorsPerCluster;
            info.BytesPerSector = bytesPerSector;
        }
        const unsigned char drive = static_cast<unsigned char>(letter - 64);
        const long long total = DiskSize(drive);
        const long long free = DiskFree(drive);
        info.TotalSize = total > 0 ? std::uint64_t(total) : 0;
        info.FreeSize = free > 0 ? std::uint64_t(free) : 0;
    }
    return info;
}

void ZCLSIDriveList(TStrings* List)
{
    if (!List) return;
    List->Clear();
    char buffer[254] = "";
    const DWORD n = GetLogicalDriveStringsA(sizeof buffer, buffer);
    if (n == 0 || n > sizeof buffer) return;
    for (const char* p = buffer; *p && p < buffer + n; p += std::strlen(p) + 1) List->Add(AnsiString(p));
}

AnsiString ZCLSIDriveTypeStr(std::uint32_t DriveType)
{
    switch (DriveType) {
    case DRIVE_NO_ROOT_DIR: return ZCLLoadResString(_IDS_NOROOTDIR);
    case DRIVE_REMOVABLE: return ZCLLoadResString(_IDS_REMOVABLE);
    case DRIVE_FIXED: return ZCLLoadResString(_IDS_FIXEDDRIVE);
    case DRIVE_REMOTE: return ZCLLoadResString(_IDS_REMOTE);
    case DRIVE_CDROM: return ZCLLoadResString(_IDS_CDROM);
    case DRIVE_RAMDISK: return ZCLLoadResString(_IDS_RAMDISK);
    default: return ZCLLoadResString(_IDS_UNKNOWN);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Files and folders

AnsiString ZCLSITempPath()
{
    char buffer[MAX_PATH] = "";
    const DWORD n = GetTempPathA(sizeof buffer, buffer);
    if (n == 0 || n >= sizeof buffer) return AnsiString();
    return AnsiString(buffer, int(n));
}

AnsiString ZCLSITempFile()
{
    const AnsiString path = ZCLSITempPath();
    char name[MAX_PATH] = "";
    if (path.IsEmpty() || !GetTempFileNameA(path.c_str(), "tmp", 0, name)) return AnsiString();
    return AnsiString(name);
}

void ZCLSIEnvironment(TStrings* List)
{
    if (!List) return;
    List->Clear();
    char* block = GetEnvironmentStringsA();
    if (!block) return;
    for (const char* p = block; *p; p += std::strlen(p) + 1) List->Add(AnsiString(p));
    FreeEnvironmentStringsA(block);
}

AnsiString ZCLSIWindowsDirectory() { return ZCLWindowsDirectory(); }
AnsiString ZCLSISystemDirectory() { return ZCLSystemDirectory(); }

// ---------------------------------------------------------------------------------------------------------------
// User, machine, locale

namespace {

AnsiString RegisteredValue(const char* name)
{
    const char* key = ZCLPlatformFlags().WinNT ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"
                                               : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return ZCLLoadResString(_IDS_UNKNOWN);
    const RegKey hkey(raw);
    char buffer[2048] = "";
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    if (RegQueryValueExA(raw, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return AnsiString();
    buffer[size] = 0;
    return AnsiString(buffer);
}

}  // namespace

AnsiString ZCLSIRegisteredOwner() { return RegisteredValue("RegisteredOwner"); }
AnsiString ZCLSIRegisteredCompany() { return RegisteredValue("RegisteredOrganization"); }

AnsiString ZCLSIComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) return ZCLLoadResString(_IDS_UNKNOWN);
    return AnsiString(name, int(size));
}

AnsiString ZCLSIUserName()
{
    char name[64] = "";
    DWORD size = 63;
    if (!GetUserNameA(name, &size) || size == 0) return ZCLLoadResString(_IDS_UNKNOWN);
    return AnsiString(name, int(size) - 1);
}

LANGID ZCLSISystemDefaultLanguageID() { return GetSystemDefaultLangID(); }

AnsiString ZCLSIGetTimeZone()
{
    TIME_ZONE_INFORMATION tz{};
    if (GetTimeZoneInformation(&tz) == TIME_ZONE_ID_INVALID) return AnsiString();
    char name[128] = "";
    const int n = WideCharToMultiByte(CP_ACP, 0, tz.StandardName, -1, name, sizeof name, nullptr, nullptr);
    return n > 0 ? AnsiString(name) : AnsiString();
}

int ZCLSIGetTimeZoneBias()
{
    TIME_ZONE_INFORMATION tz{};
    if (GetTimeZoneInformation(&tz) == TIME_ZONE_ID_INVALID) return 0;
    return int(tz.Bias);
}

HIMAGELIST ZCLSISystemIconListHandle(bool Small)
{
    SHFILEINFOA info{};
    const UINT flags = SHGFI_SYSICONINDEX | (Small ? SHGFI_SMALLICON : 0);
    return reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("", 0, &info, sizeof info, flags));
}

AnsiString ZCLGetLocalInfo(int Index)
{
    static const LCTYPE codes[28] = {4105, 25, 27, 17, 4108, 4109, 18, 13, 28, 4112, 35, 40, 41, 20,
                                     29,   14, 16, 12, 32,   22,   24, 23, 81, 80,   31, 15, 30, 4099};
    const LCTYPE code = Index >= 0 && Index < 28 ? codes[Index] : 0;
    char buffer[2048] = "";
    const int n = GetLocaleInfoA(GetThreadLocale(), code, buffer, sizeof buffer);
    return n > 1 ? AnsiString(buffer, n - 1) : AnsiString();
}

// ---------------------------------------------------------------------------------------------------------------
// Version blocks

TZCLVersionBlock::TZCLVersionBlock(const AnsiString& FileName)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(FileName.c_str(), &handle);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoA(FileName.c_str(), 0, size, data_.data())) {
        data_.clear();
        return;
    }
    void* translation = nullptr;
    UINT length = 0;
    if (VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &translation, &length) && translation &&
        length >= 4) {
        const WORD* pair = static_cast<const WORD*>(translation);
        hasTranslation_ = true;
        language_ = pair[0];
        codePage_ = pair[1];
    }
}

AnsiString TZCLVersionBlock::Value(const AnsiString& Key) const
{
    if (data_.empty()) return AnsiString();
    const AnsiString table =
        hasTranslation_ ? IntToHex(unsigned(language_), 4) + IntToHex(unsigned(codePage_), 4) : AnsiString("040904E4");
    const AnsiString path = "\\StringFileInfo\\" + table + "\\" + Key;
    void* value = nullptr;
    UINT length = 0;
    // The query takes a non-const block although it only reads it.
    if (!VerQueryValueA(const_cast<char*>(data_.data()), path.c_str(), &value, &length) || !value || length == 0)
        return AnsiString();
    const char* text = static_cast<const char*>(value);
    return AnsiString(text, int(strnlen(text, length)));
}

const VS_FIXEDFILEINFO* TZCLVersionBlock::FixedInfo() const
{
    if (data_.empty()) return nullptr;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(const_cast<char*>(data_.data()), "\\", &value, &length) || !value ||
        length < sizeof(VS_FIXEDFILEINFO))
        return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(value);
}

AnsiString ZCLSIVersionKey(TZCLVersionInfoType Kind)
{
    switch (Kind) {
    case viCompany: return ZCLLoadResString(_IDS_COMPANYNAME);
    case viName: return ZCLLoadResString(_IDS_PRODUCTNAME);
    case viVersion: return ZCLLoadResString(_IDS_PRODUCTVERSION);
    case viCopyright: return ZCLLoadResString(_IDS_LEGALCOPYRIGHT);
    // The display name is "LegalTrademark"; the key every version block carries is "LegalTrademarks".
    case viTrademark: return "LegalTrademarks";
    case viDescription: return ZCLLoadResString(_IDS_FILEDESCRIPTION);
    case viComments: return ZCLLoadResString(_IDS_COMMENTS);
    }
    return AnsiString();
}

AnsiString ZCLSIVersionInfo(TZCLVersionInfoType Kind)
{
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    return TZCLVersionBlock(module).Value(ZCLSIVersionKey(Kind));
}

// ---------------------------------------------------------------------------------------------------------------
// Information kinds

namespace {

AnsiString Divided(std::uint64_t value, std::uint32_t divisor) { return IntToStr(value / divisor); }

AnsiString CurrentDrive() { return GetCurrentDir().SubString(1, 3); }

AnsiString OnOff(bool on) { return on ? "On" : "Off"; }

}  // namespace

AnsiString GetSystemInfoString(TZCLInfoType Kind, std::uint32_t Divisor, const AnsiString& DateFormat)
{
    const std::uint32_t d = Divisor == 0 ? 1 : Divisor;
    switch (Kind) {
    case itUser: return ZCLSIUserName();
    case itWinDir: return ZCLSIWindowsDirectory();
    case itCurrentDir32: return GetCurrentDir();
    case itCurrentDiskFree32: return Divided(ZCLSIDriveInfo(CurrentDrive()).FreeSize, d);
    case itCurrentDiskSize32: return Divided(ZCLSIDriveInfo(CurrentDrive()).TotalSize, d);
    case itSystemDir: return ZCLSISystemDirectory();
    case itReg_Owner32: return ZCLSIRegisteredOwner();
    case itReg_Company32: return ZCLSIRegisteredCompany();
    case itVersion: return ZCLSIVersionStr();
    case itColorDepth: return Divided(ZCLSIColorDepth(), d);
    case itScreenSaverDelay: return Divided(std::uint32_t(ZCLSIScreenSaverDelay()), d);
    case itMemSize: return Divided(ZCLSIMemTotal(), d);
    case itFreeSysRes: return Divided(std::uint32_t(ZCLSIFreeSysRes()), d);
    case itFreeGDIRes: return Divided(std::uint32_t(ZCLSIFreeGDIRes()), d);
    case itFreeUserRes: return Divided(std::uint32_t(ZCLSIFreeUserRes()), d);
    case itComputerName32: return ZCLSIComputerName();
    case itMajorVerNr32: return Divided(std::uint32_t(ZCLSIMajorVersionNr()), d);
    case itBuildNr32: return Divided(std::uint32_t(ZCLSIBuildNr()), d);
    case itMemLoaded32: return Divided(ZCLSIMemLoaded(), d);
    case itMemFree32: return Divided(ZCLSIMemFree(), d);
    case itMemPageFree32: return Divided(ZCLSIMemPageFree(), d);
    case itMemPageTotal32: return Divided(ZCLSIMemPageTotal(), d);
    case itMemVirtFree32: return Divided(ZCLSIMemVirtFree(), d);
    case itMemVirtTotal32: return Divided(ZCLSIMemVirtTotal(), d);
    case itPlatformID32: return Divided(std::uint32_t(ZCLSIPlatformID()), d);
    case itPlatform32: return ZCLSIPlatformStr();
    case itProcessorCont32: return Divided(std::uint32_t(ZCLSIProcessorCount()), d);
    case itProcessor32: return ZCLSIProcessorTypeStr();
    case itTempPath32: return ZCLSITempPath();
    case itDOSVersion: return "Win32";
    case itNumLock: return OnOff(ZCLSINumLock());
    case itCapsLock: return OnOff(ZCLSICapsLock());
    case itScroll: return OnOff(ZCLSIScrollLock());
    case itCurrentDateTime: return FormatDateTime(DateFormat.IsEmpty() ? AnsiString("c") : DateFormat, Now());
    case itProgCompany: return ZCLSIVersionInfo(viCompany);
    case itProgName: return ZCLSIVersionInfo(viName);
    case itProgVersion: return ZCLSIVersionInfo(viVersion);
    case itProgCopyright: return ZCLSIVersionInfo(viCopyright);
    case itProgTrademark: return ZCLSIVersionInfo(viTrademark);
    case itProgDescription: return ZCLSIVersionInfo(viDescription);
    case itProgComments: return ZCLSIVersionInfo(viComments);
    case itCPUSpeed: return Trim(FloatToStrF(ZCLSIGetCPUSpeed() / d, ffFixed, 15, 2));
    }
    return AnsiString();
}

AnsiString ZCLSIInfoToString(TZCLInfoType Kind)
{
    static const TZCLResStringRec names[] = {
        _IDS_USERNAME,         _IDS_WINDOWSDIR,       _IDS_CURRDIR,          _IDS_FREESPACE,
        _IDS_DISKSIZE,         _IDS_SYSTEMDIR,        _IDS_REGISTEREDOWNER,  _IDS_REGISTEREDCOMPANY,
        _IDS_VERSION,          _IDS_COLORDEPTH,       _IDS_SCREENSAVERDELAY, _IDS_MEMORYSIZE,
        _IDS_FREESYSTEMRESOURCES, _IDS_FREEGDIRES,    _IDS_FREEUSERRES,      _IDS_COMPUTERNAME,
        _IDS_MAJORVERSION,     _IDS_BUILD,            _IDS_MEMORYLOADED,     _IDS_MEMORYFREE,
        _IDS_MEMORYFREEPAGES,  _IDS_MEMORYTOTALPAGES, _IDS_MEMORYVIRTUALFREE, _IDS_MEMORYVIRTUALTOTAL,
        _IDS_PLATFORMID,       _IDS_PLATFORM,         _IDS_PROCESSORNUMBER,  _IDS_PROCESSOR,
        _IDS_TEMPPATH,         _IDS_DOSVERSION,       _IDS_NUMLOCK,          _IDS_CAPSLOCK,
        _IDS_SCROLL,           _IDS_DATETIME,         _IDS_COMPANYNAME,      _IDS_PRODUCTNAME,
        _IDS_PRODUCTVERSION,   _IDS_LEGALCOPYRIGHT,   _IDS_TRADEMARK,        _IDS_FILEDESCRIPTION,
        _IDS_COMMENTS,         _IDS_CPUSPEED,
    };
    static_assert(std::size(names) == itCPUSpeed + 1);
    return Kind <= itCPUSpeed ? ZCLLoadResString(names[Kind]) : AnsiString();
}
