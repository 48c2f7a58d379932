// System and version information against the system's own answers under Wine.

#include "zcl/core/Zclsysin.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "ZclTestPaths.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/SysUtils.h"

namespace {

using zcltest::TempDir;

bool AllDigits(const std::string& s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

std::uint64_t Number(const std::string& s) { return std::stoull(s); }

MEMORYSTATUSEX Memory()
{
    MEMORYSTATUSEX ms{};
    ms.dwLength = sizeof ms;
    GlobalMemoryStatusEx(&ms);
    return ms;
}

// ---------------------------------------------------------------------------------------------------------------
// Information kinds

struct KindCase {
    TZCLInfoType kind;
    const char* name;
    std::function<void(const std::string&)> check;
};

TEST(ZclsysinInfo, EveryKindHasItsNameAndAPlausibleText)
{
    const KindCase cases[] = {
        {itUser, "Username",
         [](const std::string& s) {
             char name[64] = "";
             DWORD size = sizeof name;
             GetUserNameA(name, &size);
             EXPECT_EQ(s, name);
         }},
        {itWinDir, "Windows directory", [](const std::string& s) { EXPECT_TRUE(DirectoryExists(s)); }},
        {itCurrentDir32, "Current directory",
         [](const std::string& s) {
             char dir[MAX_PATH] = "";
             GetCurrentDirectoryA(sizeof dir, dir);
             EXPECT_EQ(s, dir);
         }},
        {itCurrentDiskFree32, "Free space on current disk",
         [](const std::string& s) {
             ASSERT_TRUE(AllDigits(s));
             EXPECT_GT(Number(s), 0u);
         }},
        {itCurrentDiskSize32, "Disk size of current Disk",
         [](const std::string& s) {
             ASSERT_TRUE(AllDigits(s));
             ULARGE_INTEGER free{}, total{};
             GetDiskFreeSpaceExA(nullptr, &free, &total, nullptr);
             EXPECT_EQ(Number(s), total.QuadPart);
         }},
        {itSystemDir, "System directory", [](const std::string& s) { EXPECT_TRUE(DirectoryExists(s)); }},
        // A fresh prefix has the key without the values.
        {itReg_Owner32, "Registered owner", [](const std::string& s) { EXPECT_NE(s, "(Unknown)"); }},
        {itReg_Company32, "Registered company", [](const std::string& s) { EXPECT_NE(s, "(Unknown)"); }},
        {itVersion, "Version",
         [](const std::string& s) {
             EXPECT_EQ(s, std::to_string(Win32MajorVersion) + "." + std::to_string(Win32MinorVersion));
         }},
        {itColorDepth, "Colordepth (in bits)",
         [](const std::string& s) {
             const HDC dc = GetDC(nullptr);
             EXPECT_EQ(s, std::to_string(GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES)));
             ReleaseDC(nullptr, dc);
         }},
        {itScreenSaverDelay, "Screensaver delay",
         [](const std::string& s) {
             UINT seconds = 0;
             SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
             EXPECT_EQ(s, std::to_string(seconds / 60));
         }},
        {itMemSize, "Memory size", [](const std::string& s) { EXPECT_EQ(Number(s), Memory().ullTotalPhys); }},
        // No resource meter outside the 95 family.
        {itFreeSysRes, "Free system resources", [](const std::string& s) { EXPECT_EQ(s, "100"); }},
        {itFreeGDIRes, "Free GDI resources", [](const std::string& s) { EXPECT_EQ(s, "100"); }},
        {itFreeUserRes, "Free user resources", [](const std::string& s) { EXPECT_EQ(s, "100"); }},
        {itComputerName32, "Computername",
         [](const std::string& s) {
             char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
             DWORD size = sizeof name;
             GetComputerNameA(name, &size);
             EXPECT_EQ(s, name);
             EXPECT_FALSE(s.empty());
         }},
        {itMajorVerNr32, "Major version", [](const std::string& s) { EXPECT_EQ(s, std::to_string(Win32MajorVersion)); }},
        {itBuildNr32, "Build",
         [](const std::string& s) { EXPECT_EQ(s, std::to_string(Win32BuildNumber & 0xFFFF)); }},
        {itMemLoaded32, "Memory loaded",
         [](const std::string& s) {
             ASSERT_TRUE(AllDigits(s));
             EXPECT_LE(Number(s), 100u);
         }},
        {itMemFree32, "Memory free",
         [](const std::string& s) {
             ASSERT_TRUE(AllDigits(s));
             EXPECT_LE(Number(s), Memory().ullTotalPhys);
         }},
        {itMemPageFree32, "Free memory pages",
         [](const std::string& s) {
             ASSERT_TRUE(AllDigits(s));
             EXPECT_LE(Number(s), Memory().ullTotalPageFile);
         }},
        {itMemPageTotal32, "Total memory pages",
         [](const std::string& s) { EXPECT_EQ(Number(s), Memory().ullTotalPageFile); }},
        {itMemVirtFree32, "Free virtual memory",
         [](const std::string& s) {
             ASSERT_TRUE(AllDigits(s));
             EXPECT_LE(Number(s), Memory().ullTotalVirtual);
         }},
        {itMemVirtTotal32, "Total virtual memory",
         [](const std::string& s) { EXPECT_EQ(Number(s), Memory().ullTotalVirtual); }},
        {itPlatformID32, "Platform ID", [](const std::string& s) { EXPECT_EQ(s, "2"); }},
        {itPlatform32, "Platform", [](const std::string& s) { EXPECT_EQ(s, "Windows NT"); }},
        {itProcessorCont32, "Number of processors",
         [](const std::string& s) {
             SYSTEM_INFO si{};
             GetSystemInfo(&si);
             EXPECT_EQ(s, std::to_string(si.dwNumberOfProcessors));
         }},
        {itProcessor32, "Processor",
         [](const std::string& s) {
             SYSTEM_INFO si{};
             GetSystemInfo(&si);
             if (si.dwProcessorType == 586) EXPECT_EQ(s, "Intel Pentium");
             else EXPECT_FALSE(s.empty());
         }},
        {itTempPath32, "Temp path",
         [](const std::string& s) {
             EXPECT_EQ(s, TempDir());
             EXPECT_TRUE(DirectoryExists(s));
         }},
        {itDOSVersion, "DOS version", [](const std::string& s) { EXPECT_EQ(s, "Win32"); }},
        {itNumLock, "NumLock", [](const std::string& s) { EXPECT_TRUE(s == "On" || s == "Off") << s; }},
        {itCapsLock, "CapsLock", [](const std::string& s) { EXPECT_TRUE(s == "On" || s == "Off") << s; }},
        {itScroll, "ScrollLock", [](const std::string& s) { EXPECT_TRUE(s == "On" || s == "Off") << s; }},
        {itCurrentDateTime, "Date and time", [](const std::string& s) { EXPECT_FALSE(s.empty()); }},
        // The test executable carries the program's version block.
        {itProgCompany, "CompanyName", [](const std::string& s) { EXPECT_EQ(s, "KARVON Vandrel GmbH"); }},
        {itProgName, "ProductName",
         [](const std::string& s) { EXPECT_EQ(s, "KARVON Windows Terminal Device Driver"); }},
        {itProgVersion, "ProductVersion", [](const std::string& s) { EXPECT_EQ(s, "1.0.0.0"); }},
        {itProgCopyright, "LegalCopyright",
         [](const std::string& s) { EXPECT_EQ(s, "Copyright (C) KARVON Vandrel GmbH"); }},
        {itProgTrademark, "LegalTrademark",
         [](const std::string& s) { EXPECT_EQ(s, "DravikREMOTE is a trademark of KARVON Vandrel GmbH"); }},
        {itProgDescription, "FileDescription",
         [](const std::string& s) { EXPECT_EQ(s, "DravikREMOTE - Windows Terminal Device Driver"); }},
        {itProgComments, "Comments",
         [](const std::string& s) { EXPECT_EQ(s.rfind("Mirrors the desktop", 0), 0u) << s; }},
        {itCPUSpeed, "CPU Speed",
         [](const std::string& s) {
             const double mhz = std::stod(s);
             EXPECT_GT(mhz, 50.0);
             EXPECT_LT(mhz, 20000.0);
         }},
    };
    ASSERT_EQ(std::size(cases), std::size_t(itCPUSpeed) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const KindCase& c = cases[i];
        SCOPED_TRACE(c.name);
        ASSERT_EQ(int(c.kind), int(i)) << "kinds out of order";
        EXPECT_EQ(ZCLSIInfoToString(c.kind), c.name);
        const std::string text = GetSystemInfoString(c.kind, 1, "").str();
        c.check(text);
    }
}

TEST(ZclsysinInfo, NumbersAreDividedAndADivisorOfZeroCountsAsOne)
{
    const std::uint64_t total = Memory().ullTotalPhys;
    EXPECT_EQ(GetSystemInfoString(itMemSize, 1024, ""), IntToStr(total / 1024));
    EXPECT_EQ(GetSystemInfoString(itMemSize, 1024 * 1024, ""), IntToStr(total / (1024 * 1024)));
    for (TZCLInfoType kind : {itMemSize, itMemPageTotal32, itMemVirtTotal32, itPlatformID32, itProcessorCont32,
                              itMajorVerNr32, itCurrentDiskSize32})
        EXPECT_EQ(GetSystemInfoString(kind, 0, ""), GetSystemInfoString(kind, 1, "")) << int(kind);
    EXPECT_EQ(GetSystemInfoString(itProcessorCont32, 1000, ""), "0");  // integer division
    const std::string onOff = GetSystemInfoString(itNumLock, 0, "").str();
    EXPECT_TRUE(onOff == "On" || onOff == "Off");
    EXPECT_EQ(GetSystemInfoString(itCPUSpeed, 0, ""), GetSystemInfoString(itCPUSpeed, 1, ""));
    const double full = std::stod(GetSystemInfoString(itCPUSpeed, 1, "").str());
    const double thousandth = std::stod(GetSystemInfoString(itCPUSpeed, 1000, "").str());
    EXPECT_NEAR(thousandth, full / 1000, 0.006);
}

TEST(ZclsysinInfo, DateAndTimeUseTheGivenFormat)
{
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    const AnsiString text = GetSystemInfoString(itCurrentDateTime, 1, "yyyy|mm|dd");
    GetLocalTime(&after);
    auto expected = [](const SYSTEMTIME& st) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%04u|%02u|%02u", st.wYear, st.wMonth, st.wDay);
        return std::string(buffer);
    };
    // Midnight may pass between the two readings.
    EXPECT_TRUE(text == expected(before) || text == expected(after)) << text.str();
}

TEST(ZclsysinInfo, LockKeysFollowTheThreadsKeyState)
{
    BYTE saved[256] = {};
    GetKeyboardState(saved);
    const struct {
        int key;
        TZCLInfoType kind;
        bool (*query)();
    } keys[] = {
        {VK_NUMLOCK, itNumLock, ZCLSINumLock},
        {VK_CAPITAL, itCapsLock, ZCLSICapsLock},
        {VK_SCROLL, itScroll, ZCLSIScrollLock},
    };
    for (const auto& k : keys) {
        for (BYTE state : {BYTE(0x01), BYTE(0x00), BYTE(0x81), BYTE(0x80)}) {
            BYTE keysNow[256];
            std::memcpy(keysNow, saved, sizeof keysNow);
            keysNow[k.key] = state;
            ASSERT_TRUE(SetKeyboardState(keysNow));
            const bool toggled = state & 1;
            EXPECT_EQ(k.query(), toggled) << k.key << " " << int(state);
            EXPECT_EQ(GetSystemInfoString(k.kind, 1, ""), toggled ? "On" : "Off") << k.key << " " << int(state);
        }
    }
    SetKeyboardState(saved);
}

// ---------------------------------------------------------------------------------------------------------------
// Texts of numbers

TEST(ZclsysinTexts, VersionNumbersTakeTheMinorAsDecimals)
{
    const struct {
        int major, minor;
        double expected;
    } cases[] = {{5, 1, 5.1}, {4, 90, 4.9}, {6, 0, 6.0}, {4, 10, 4.1}, {4, 0, 4.0}, {10, 0, 10.0}, {6, 123, 6.123}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(ZCLSIVersionNr(c.major, c.minor), c.expected) << c.major << "." << c.minor;
    EXPECT_DOUBLE_EQ(ZCLSIVersionNr(), ZCLSIVersionNr(Win32MajorVersion, Win32MinorVersion));
    EXPECT_EQ(ZCLSIVersionStr(), Format("%d.%d", Win32MajorVersion, Win32MinorVersion));
    EXPECT_EQ(ZCLSIMajorVersionNr(), Win32MajorVersion);
    EXPECT_EQ(ZCLSIMinorVersionNr(), Win32MinorVersion);
    EXPECT_EQ(ZCLSIVersionString(), Win32CSDVersion);
}

TEST(ZclsysinTexts, ProcessorPlatformAndDriveTypeNames)
{
    const struct {
        DWORD type;
        const char* text;
    } processors[] = {{386, "Intel 386"},  {486, "Intel 486"},  {586, "Intel Pentium"},  {2000, "Mips R2000"},
                      {3000, "Mips R3000"}, {4000, "Mips R4000"}, {21064, "Alpha 21064"}, {8664, "8664"},
                      {0, "0"}};
    for (const auto& p : processors) EXPECT_EQ(ZCLSIProcessorTypeStr(p.type), p.text) << p.type;

    const struct {
        int id;
        const char* text;
    } platforms[] = {{0, "Win32s"}, {1, "Windows 95"}, {2, "Windows NT"}, {3, "(Unknown)"}, {-1, "(Unknown)"}};
    for (const auto& p : platforms) EXPECT_EQ(ZCLSIPlatformStr(p.id), p.text) << p.id;
    EXPECT_EQ(ZCLSIPlatformStr(), "Windows NT");

    const char* const drives[] = {"(Unknown)", "no root directory", "removable", "fixed drive",
                                  "remote (network) drive", "CD-ROM", "ramdisk", "(Unknown)"};
    for (std::uint32_t t = 0; t < std::size(drives); ++t) EXPECT_EQ(ZCLSIDriveTypeStr(t), drives[t]) << t;
    EXPECT_EQ(ZCLSIDriveTypeStr(0xFFFFFFFFu), "(Unknown)");
}

TEST(ZclsysinTexts, PlatformFlagsUnderWine)
{
    const TZCLPlatformFlags& f = ZCLPlatformFlags();
    EXPECT_FALSE(f.Win9x);
    EXPECT_FALSE(f.Win98);
    EXPECT_TRUE(f.WinNT);
    EXPECT_EQ(f.Win2000, Win32MajorVersion >= 5);
    EXPECT_TRUE(f.NewShell);
    EXPECT_FALSE(ZCLSIOLDWindowsNT());
    EXPECT_EQ(ZCLSIPlatformID(), VER_PLATFORM_WIN32_NT);
    // The small sizes of the new shell.
    EXPECT_EQ(ZCLNCSMALLCAPTIONHEIGHT(), GetSystemMetrics(SM_CYSMCAPTION));
    EXPECT_EQ(ZCLNCCAPTIONICONWIDTH(), GetSystemMetrics(SM_CXSMICON));
}

TEST(ZclsysinTexts, LocaleInformationByIndex)
{
    auto locale = [](LCTYPE type) {
        char buffer[256] = "";
        GetLocaleInfoA(GetThreadLocale(), type, buffer, sizeof buffer);
        return std::string(buffer);
    };
    EXPECT_EQ(ZCLGetLocalInfo(13), locale(LOCALE_SCURRENCY));
    EXPECT_EQ(ZCLGetLocalInfo(15), locale(LOCALE_SDECIMAL));
    EXPECT_EQ(ZCLGetLocalInfo(25), locale(LOCALE_STHOUSAND));
    EXPECT_EQ(ZCLGetLocalInfo(24), locale(LOCALE_SSHORTDATE));
    EXPECT_EQ(ZCLGetLocalInfo(18), locale(LOCALE_SLONGDATE));
    // Outside the list there is no such information: no text rather than a made-up one.
    for (int index : {-1, 28, 1000}) EXPECT_EQ(ZCLGetLocalInfo(index), "") << index;
}

// ---------------------------------------------------------------------------------------------------------------
// Drives, files, environment, user

TEST(ZclsysinDrives, TheRootIsReadInAnyCaseAndANonLetterRootIsUnknown)
{
    const TZCLDriveInfo upper = ZCLSIDriveInfo("C:\\");
    EXPECT_EQ(upper.DriveType, UINT(DRIVE_FIXED));
    ULARGE_INTEGER free{}, total{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &free, &total, nullptr));
    EXPECT_EQ(upper.TotalSize, total.QuadPart);
    EXPECT_GT(upper.FreeSize, 0u);
    EXPECT_LE(upper.FreeSize, upper.TotalSize);
    DWORD spc = 0, bps = 0, fc = 0, tc = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA("C:\\", &spc, &bps, &fc, &tc));
    EXPECT_EQ(upper.SectorsPerCluster, spc);
    EXPECT_EQ(upper.BytesPerSector, bps);

    for (const char* root : {"c:\\", "c:", "c:\\windows"}) {
        const TZCLDriveInfo lower = ZCLSIDriveInfo(root);
        EXPECT_EQ(lower.DriveType, upper.DriveType) << root;
        EXPECT_EQ(lower.TotalSize, upper.TotalSize) << root;
        EXPECT_GT(lower.FreeSize, 0u) << root;
        EXPECT_EQ(lower.BytesPerSector, upper.BytesPerSector) << root;
    }
    for (const char* root : {"", "1:\\", "\\\\server\\share\\", ":\\", "\\"}) {
        const TZCLDriveInfo none = ZCLSIDriveInfo(root);
        EXPECT_EQ(none.DriveType, 0u) << root;
        EXPECT_EQ(none.TotalSize, 0u) << root;
        EXPECT_EQ(none.FreeSize, 0u) << root;
        EXPECT_EQ(none.SectorsPerCluster, 0u) << root;
        EXPECT_EQ(none.BytesPerSector, 0u) << root;
    }
    // A letter with no drive behind it.
    DWORD drives = GetLogicalDrives();
    for (int i = 25; i >= 0; --i) {
        if (drives & (1u << i)) continue;
        const std::string root = std::string(1, char('A' + i)) + ":\\";
        const TZCLDriveInfo missing = ZCLSIDriveInfo(root.c_str());
        EXPECT_EQ(missing.DriveType, UINT(DRIVE_NO_ROOT_DIR)) << root;
        EXPECT_EQ(missing.TotalSize, 0u) << root;
        break;
    }
}

TEST(ZclsysinDrives, TheDriveListHoldsEveryLogicalDrive)
{
    TStringList list;
    list.Add("stale");
    ZCLSIDriveList(&list);
    const DWORD drives = GetLogicalDrives();
    int expected = 0;
    for (int i = 0; i < 26; ++i) expected += (drives >> i) & 1;
    ASSERT_EQ(list.Count(), expected);
    for (int i = 0; i < list.Count(); ++i) {
        const std::string root = list.Strings(i).str();
        ASSERT_EQ(root.size(), 3u) << root;
        EXPECT_EQ(root.substr(1), ":\\");
        EXPECT_TRUE(drives & (1u << (root[0] - 'A'))) << root;
    }
    EXPECT_GE(list.IndexOf("C:\\"), 0);
}

TEST(ZclsysinFiles, TempFileEnvironmentAndFolders)
{
    const AnsiString file = ZCLSITempFile();
    ASSERT_FALSE(file.IsEmpty());
    EXPECT_EQ(ExtractFilePath(file), ZCLSITempPath());
    EXPECT_EQ(LowerCase(ExtractFileName(file).SubString(1, 3)), "tmp");
    EXPECT_TRUE(FileExists(file));
    EXPECT_NE(ZCLSITempFile(), file);
    DeleteFileA(file.c_str());

    ASSERT_TRUE(SetEnvironmentVariableA("ZCLSI_TEST_VALUE", "a=b c"));
    TStringList env;
    env.Add("stale");
    ZCLSIEnvironment(&env);
    EXPECT_GE(env.IndexOf("ZCLSI_TEST_VALUE=a=b c"), 0);
    EXPECT_LT(env.IndexOf("stale"), 0);
    SetEnvironmentVariableA("ZCLSI_TEST_VALUE", nullptr);

    char windows[MAX_PATH] = "", system[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_EQ(ZCLSIWindowsDirectory(), windows);
    EXPECT_EQ(ZCLSISystemDirectory(), system);
}

TEST(ZclsysinUser, NamesLanguageAndTimeZone)
{
    char user[64] = "";
    DWORD size = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &size));
    EXPECT_EQ(ZCLSIUserName(), user);
    EXPECT_EQ(ZCLSISystemDefaultLanguageID(), GetSystemDefaultLangID());
    TIME_ZONE_INFORMATION tz{};
    GetTimeZoneInformation(&tz);
    EXPECT_EQ(ZCLSIGetTimeZoneBias(), int(tz.Bias));
    char name[128] = "";
    WideCharToMultiByte(CP_ACP, 0, tz.StandardName, -1, name, sizeof name, nullptr, nullptr);
    EXPECT_EQ(ZCLSIGetTimeZone(), name);
    EXPECT_FALSE(ZCLSIGetTimeZone().IsEmpty());
}

// The test prefix's own values are put back as they were.
TEST(ZclsysinUser, RegisteredOwnerAndCompanyFromTheRegistry)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                            KEY_READ | KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    for (auto [value, query] : {std::pair{"RegisteredOwner", &ZCLSIRegisteredOwner},
                                std::pair{"RegisteredOrganization", &ZCLSIRegisteredCompany}}) {
        SCOPED_TRACE(value);
        char data[256] = "";
        DWORD length = sizeof data;
        const bool present = RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                                              &length) == ERROR_SUCCESS;
        EXPECT_EQ(query(), present ? std::string(data) : std::string());
        const char test[] = "Registered Test Value";
        ASSERT_EQ(RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(test), sizeof test),
                  ERROR_SUCCESS);
        EXPECT_EQ(query(), test);
        if (present) RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), length);
        else RegDeleteValueA(key, value);
        EXPECT_EQ(query(), present ? std::string(data) : std::string());
    }
    RegCloseKey(key);
}

TEST(ZclsysinDisplay, DisplayCapabilitiesAndSystemIcons)
{
    const HDC dc = GetDC(nullptr);
    EXPECT_EQ(ZCLSIStretchBltPossible(), (GetDeviceCaps(dc, RASTERCAPS) & RC_STRETCHBLT) != 0);
    EXPECT_EQ(int(ZCLSIColorDepth()), GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES));
    ReleaseDC(nullptr, dc);
    for (bool small : {false, true}) {
        const HIMAGELIST list = ZCLSISystemIconListHandle(small);
        ASSERT_NE(list, nullptr) << small;
        int cx = 0, cy = 0;
        ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
        EXPECT_EQ(cx, small ? ZCLSISmallIconWidth() : ZCLSIIconWidth());
        EXPECT_EQ(cy, small ? ZCLSISmallIconHeight() : ZCLSIIconHeight());
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Processor clock

TEST(ZclsysinCPU, TheClockIsMeasuredOnceAndPrioritiesStayAsTheyWere)
{
    const DWORD priorityClass = GetPriorityClass(GetCurrentProcess());
    const int threadPriority = GetThreadPriority(GetCurrentThread());
    double fromThreads[2] = {};
    std::thread a([&] { fromThreads[0] = ZCLSIGetCPUSpeed(); });
    std::thread b([&] { fromThreads[1] = ZCLSIGetCPUSpeed(); });
    a.join();
    b.join();
    const double first = ZCLSIGetCPUSpeed();
    const double second = ZCLSIGetCPUSpeed();
    EXPECT_EQ(ZCLSICPUSpeedMeasurements(), 1);
    EXPECT_EQ(first, second);
    EXPECT_EQ(fromThreads[0], first);
    EXPECT_EQ(fromThreads[1], first);
    EXPECT_GT(first, 50.0);
    EXPECT_LT(first, 20000.0);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), priorityClass);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), threadPriority);
    GetSystemInfoString(itCPUSpeed, 1, "");
    EXPECT_EQ(ZCLSICPUSpeedMeasurements(), 1);
}

// ---------------------------------------------------------------------------------------------------------------
// Version blocks

TEST(ZclsysinVersion, TheProgramsOwnBlockByKind)
{
    const struct {
        TZCLVersionInfoType kind;
        const char* key;
        const char* value;
    } cases[] = {
        {viCompany, "CompanyName", "KARVON Vandrel GmbH"},
        {viName, "ProductName", "KARVON Windows Terminal Device Driver"},
        {viVersion, "ProductVersion", "1.0.0.0"},
        {viCopyright, "LegalCopyright", "Copyright (C) KARVON Vandrel GmbH"},
        {viTrademark, "LegalTrademarks", "DravikREMOTE is a trademark of KARVON Vandrel GmbH"},
        {viDescription, "FileDescription", "DravikREMOTE - Windows Terminal Device Driver"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZCLSIVersionKey(c.kind), c.key);
        EXPECT_EQ(ZCLSIVersionInfo(c.kind), c.value) << c.key;
    }
    EXPECT_EQ(ZCLSIVersionKey(viComments), "Comments");
    EXPECT_FALSE(ZCLSIVersionInfo(viComments).IsEmpty());
}

TEST(ZclsysinVersion, AFileWithoutAVersionBlockGivesEmptyValues)
{
    const std::string path = TempDir() + "zclsi_noversion.txt";
    {
        const HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(f, "no block", 8, &written, nullptr);
        CloseHandle(f);
    }
    for (const std::string& file : {path, TempDir() + "zclsi_missing.exe"}) {
        const TZCLVersionBlock block(file.c_str());
        EXPECT_TRUE(block.Empty()) << file;
        EXPECT_FALSE(block.HasTranslation());
        EXPECT_EQ(block.Value("ProductName"), "");
        EXPECT_EQ(block.FixedInfo(), nullptr);
    }
    DeleteFileA(path.c_str());

    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    const TZCLVersionBlock own(exe);
    ASSERT_FALSE(own.Empty());
    EXPECT_TRUE(own.HasTranslation());
    EXPECT_EQ(own.Language(), 0x0409);
    EXPECT_EQ(own.CodePage(), 1252);
    EXPECT_EQ(own.Value("NoSuchKey"), "");
    ASSERT_NE(own.FixedInfo(), nullptr);
    EXPECT_EQ(own.FixedInfo()->dwFileType, DWORD(VFT_APP));
}

// ---------------------------------------------------------------------------------------------------------------
// Caption band of a window

struct CaptionCase {
    const char* name;
    DWORD style;
    DWORD exStyle;
    int buttons;   // caption buttons at the right end
    bool icon;     // the system-menu icon at the left end
    bool small;    // a tool window's small caption
};

TEST(ZclsysinCaption, TheBandEndsAboveTheClientAreaAndTheTextAreaLeavesRoomForTheButtons)
{
    // Framed children of one window: a top-level window that hides waits for the X server each time.
    const CaptionCase cases[] = {
        {"sizeable", WS_OVERLAPPEDWINDOW, 0, 3, true, false},
        {"dialog frame", WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 1, false, false},
        {"dialog with help", WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME | WS_EX_CONTEXTHELP, 2, false, false},
        {"fixed frame", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 3, false, false},
        {"tool window", WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, 1, false, true},
        {"no system menu", WS_CAPTION, 0, 0, false, false},
    };
    const HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 500, 300, nullptr, nullptr,
                                        nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    const int h = GetSystemMetrics(SM_CYBORDER);
    for (const CaptionCase& c : cases) {
        SCOPED_TRACE(c.name);
        const HWND wnd = CreateWindowExA(c.exStyle, "STATIC", "caption", WS_CHILD | c.style, 20, 20, 400, 200,
                                         parent, nullptr, nullptr, nullptr);
        ASSERT_NE(wnd, nullptr);
        // Hidden, the whole band is left to the text.
        TRect hiddenBand, hiddenText;
        std::uint16_t none = 0;
        ZCLNCCalcDrawingArea(wnd, hiddenBand, hiddenText, none);
        EXPECT_EQ(hiddenText, hiddenBand);

        ShowWindow(wnd, SW_SHOWNOACTIVATE);
        RECT wr{}, cr{};
        GetWindowRect(wnd, &wr);
        GetClientRect(wnd, &cr);
        POINT origin{0, 0};
        ClientToScreen(wnd, &origin);
        const int clientLeft = origin.x - wr.left, clientTop = origin.y - wr.top;

        TRect band, text;
        std::uint16_t flags = 0;
        ZCLNCCalcDrawingArea(wnd, band, text, flags);
        EXPECT_EQ(band, hiddenBand);
        // The band spans the client area's width and ends one line above it.
        EXPECT_EQ(band.left, clientLeft);
        EXPECT_EQ(band.right, clientLeft + cr.right);
        EXPECT_EQ(band.bottom, clientTop - h);
        EXPECT_EQ(band.bottom - band.top,
                  (c.small ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION)) - h);
        EXPECT_EQ(bool(flags & ZCLNCSmallCaption), c.small);
        EXPECT_EQ(bool(flags & ZCLNCSysIcon), c.icon);

        const int buttonWidth = c.small ? GetSystemMetrics(SM_CXSMSIZE) : GetSystemMetrics(SM_CXSIZE);
        EXPECT_GT(text.left, band.left);
        EXPECT_GE(text.left - band.left, c.icon ? GetSystemMetrics(SM_CXSMICON) : 1);
        EXPECT_GE(band.right - text.right, c.buttons * buttonWidth);
        EXPECT_LT(band.right - text.right, (c.buttons + 1) * buttonWidth);
        EXPECT_GE(text.top, band.top);
        EXPECT_EQ(text.bottom, band.bottom);
        EXPECT_LT(text.left, text.right);

        // Preset flags: the text to the band's end, the icon inside the band.
        TRect band2, text2;
        std::uint16_t preset = ZCLNCTextToRight | ZCLNCIconInBand;
        ZCLNCCalcDrawingArea(wnd, band2, text2, preset);
        EXPECT_EQ(text2.right, band2.right);
        if (c.icon) {
            EXPECT_EQ(text2.left, band.left);
            EXPECT_EQ(band2.left, band.left + 2 * GetSystemMetrics(SM_CXBORDER));
        } else {
            EXPECT_EQ(text2.left, text.left);
        }
        DestroyWindow(wnd);
    }
    DestroyWindow(parent);
}

}  // namespace
