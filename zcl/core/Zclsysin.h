#pragma once
// Questions about the machine, the operating system and the running program: window-frame metrics, display,
// memory, processor, version and platform, user and computer, drives, locale values, version blocks, and one
// text for each information kind. Every query asks the system at call time; only the platform flags and the
// processor clock are kept.

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Types.h"

class TStrings;

// Platform ------------------------------------------------------------------------------------------------------

struct TZCLPlatformFlags {
    bool Win9x = false;     // the Windows 95 family
    bool Win98 = false;     // 9x family, minor version 10 or more
    bool WinNT = false;
    bool Win2000 = false;   // NT family, major version 5 or more
    bool NewShell = false;  // small captions and the version-4 frame metrics
};
// Set the first time it is asked for, then never changed.
const TZCLPlatformFlags& ZCLPlatformFlags();

// Non-client metrics ----------------------------------------------------------------------------------------------

int ZCLNCBITMAPHEIGHT();
int ZCLNCBITMAPWIDTH();
int ZCLNCCAPTIONHEIGHT();
int ZCLNCDLGBORDERWIDTH();
int ZCLNCDLGBORDERHEIGHT();
int ZCLNCFIXBORDERWIDTH();
int ZCLNCFIXBORDERHEIGHT();
int ZCLNCSIZEBORDERWIDTH();
int ZCLNCSIZEBORDERHEIGHT();
// Border plus sizing frame, less the one line they share.
int ZCLNCBORDERWIDTH();
int ZCLNCBORDERHEIGHT();
// New shell: the small-caption sizes; else the caption's.
int ZCLNCSMALLCAPTIONHEIGHT();
int ZCLNCSMALLBITMAPHEIGHT();
int ZCLNCSMALLBITMAPWIDTH();
// New shell: the small icon; else the caption button.
int ZCLNCCAPTIONICONHEIGHT();
int ZCLNCCAPTIONICONWIDTH();
int ZCLSIIconHeight();
int ZCLSIIconWidth();
int ZCLSISmallIconHeight();
int ZCLSISmallIconWidth();

// Flags of ZCLNCCalcDrawingArea.
constexpr std::uint16_t ZCLNCTextToRight = 0x0001;    // the text area reaches the band's right end
constexpr std::uint16_t ZCLNCIconInBand = 0x0002;     // with an icon reserved: the text area starts at the band
constexpr std::uint16_t ZCLNCSmallCaption = 0x0004;   // set: a tool window under the new shell
constexpr std::uint16_t ZCLNCSysIcon = 0x0008;        // set: room for the system-menu icon is reserved
constexpr std::uint16_t ZCLNCIconic = 0x0010;         // set: the icon of an iconic window; the band ends a line higher
constexpr std::uint16_t ZCLNCThinFrame = 0x0020;      // a frame of one line (classic shell)

// The band a window's caption is painted in (Caption) and the part of it left for the caption text (Text), in
// window coordinates. Flags may be preset with the options above; the procedure adds what it finds. The text area
// leaves room for the caption buttons only for a window that exists and is visible.
void ZCLNCCalcDrawingArea(HWND Wnd, TRect& Caption, TRect& Text, std::uint16_t& Flags);
// The same under the shell given.
void ZCLNCCalcDrawingArea(HWND Wnd, TRect& Caption, TRect& Text, std::uint16_t& Flags, bool NewShell);

// Display and keyboard --------------------------------------------------------------------------------------------

bool ZCLSIStretchBltPossible();
// Bits per pixel times planes.
std::uint8_t ZCLSIColorDepth();
// Minutes.
int ZCLSIScreenSaverDelay();
// The key is toggled on.
bool ZCLSINumLock();
bool ZCLSICapsLock();
bool ZCLSIScrollLock();

// Memory ----------------------------------------------------------------------------------------------------------
// Bytes, except the load (percent).

std::uint64_t ZCLSIMemTotal();
std::uint32_t ZCLSIMemLoaded();
std::uint64_t ZCLSIMemFree();
std::uint64_t ZCLSIMemPageTotal();
std::uint64_t ZCLSIMemPageFree();
std::uint64_t ZCLSIMemVirtTotal();
std::uint64_t ZCLSIMemVirtFree();

// Version and platform --------------------------------------------------------------------------------------------

int ZCLSIMajorVersionNr();
int ZCLSIMinorVersionNr();
// 16 bits.
int ZCLSIBuildNr();
// The service-pack text.
AnsiString ZCLSIVersionString();
// "major.minor".
AnsiString ZCLSIVersionStr();
// Major plus minor as decimals: 4.10 gives 4.1, 4.0 gives 4.0, 5.1 gives 5.1.
double ZCLSIVersionNr();
double ZCLSIVersionNr(int Major, int Minor);
// NT before version 4.
bool ZCLSIOLDWindowsNT();
// 0 Win32s, 1 the 95 family, 2 NT.
int ZCLSIPlatformID();
AnsiString ZCLSIPlatformStr();
AnsiString ZCLSIPlatformStr(int PlatformID);

// Processor -------------------------------------------------------------------------------------------------------

int ZCLSIProcessorCount();
AnsiString ZCLSIProcessorTypeStr();
AnsiString ZCLSIProcessorTypeStr(DWORD ProcessorType);
// MHz of the time-stamp counter, measured over half a second the first time it is asked for, then kept.
double ZCLSIGetCPUSpeed();
// How often the clock has been measured in this process.
int ZCLSICPUSpeedMeasurements();

// The resource meter of the 95 family, in percent; 100 where it is missing.
int ZCLSIFreeSysRes();
int ZCLSIFreeGDIRes();
int ZCLSIFreeUserRes();

// Drives ----------------------------------------------------------------------------------------------------------

struct TZCLDriveInfo {
    std::uint32_t DriveType = 0;  // the system's drive-type code
    std::uint64_t TotalSize = 0;
    std::uint64_t FreeSize = 0;
    std::uint32_t SectorsPerCluster = 0;
    std::uint32_t BytesPerSector = 0;
};

// Root is a drive root such as "C:\" (any case); a root that is no drive letter gives an empty record.
TZCLDriveInfo ZCLSIDriveInfo(const AnsiString& Root);
// Cleared, then one root ("C:\") per drive.
void ZCLSIDriveList(TStrings* List);
AnsiString ZCLSIDriveTypeStr(std::uint32_t DriveType);

// Files and folders -----------------------------------------------------------------------------------------------

AnsiString ZCLSITempPath();
// Makes an empty file of a new name in the temporary folder; empty when that fails.
AnsiString ZCLSITempFile();
// Cleared, then one "name=value" per string of the environment.
void ZCLSIEnvironment(TStrings* List);
AnsiString ZCLSIWindowsDirectory();
AnsiString ZCLSISystemDirectory();

// User, machine, locale -------------------------------------------------------------------------------------------

// "(Unknown)" when the registry key cannot be opened.
AnsiString ZCLSIRegisteredOwner();
AnsiString ZCLSIRegisteredCompany();
// "(Unknown)" on failure.
AnsiString ZCLSIComputerName();
AnsiString ZCLSIUserName();
LANGID ZCLSISystemDefaultLanguageID();
// The standard name of the time zone; its bias in minutes.
AnsiString ZCLSIGetTimeZone();
int ZCLSIGetTimeZoneBias();
// The system's image list of file icons (not to be destroyed); null where the shell gives none.
HIMAGELIST ZCLSISystemIconListHandle(bool Small);
// The thread locale's information text number Index (0..27) of the library's list; empty when the locale has none.
AnsiString ZCLGetLocalInfo(int Index);

// Version blocks --------------------------------------------------------------------------------------------------

enum TZCLVersionInfoType : std::uint8_t {
    viCompany, viName, viVersion, viCopyright, viTrademark, viDescription, viComments
};

// The version resource of a file, read once.
class TZCLVersionBlock {
public:
    explicit TZCLVersionBlock(const AnsiString& FileName);

    bool Empty() const { return data_.empty(); }
    // Of the first translation; 0 without one.
    bool HasTranslation() const { return hasTranslation_; }
    WORD Language() const { return language_; }
    WORD CodePage() const { return codePage_; }
    // A value of the string table of the first translation ("040904E4" without one); empty when missing.
    AnsiString Value(const AnsiString& Key) const;
    // The fixed part; null without one.
    const VS_FIXEDFILEINFO* FixedInfo() const;

private:
    std::vector<char> data_;
    bool hasTranslation_ = false;
    WORD language_ = 0;
    WORD codePage_ = 0;
};

// The version-block key of each kind.
AnsiString ZCLSIVersionKey(TZCLVersionInfoType Kind);
// A value of the running program's own version block; empty without one.
AnsiString ZCLSIVersionInfo(TZCLVersionInfoType Kind);

// Information kinds -----------------------------------------------------------------------------------------------

enum TZCLInfoType : std::uint8_t {
    itUser, itWinDir, itCurrentDir32, itCurrentDiskFree32, itCurrentDiskSize32, itSystemDir, itReg_Owner32,
    itReg_Company32, itVersion, itColorDepth, itScreenSaverDelay, itMemSize, itFreeSysRes, itFreeGDIRes,
    itFreeUserRes, itComputerName32, itMajorVerNr32, itBuildNr32, itMemLoaded32, itMemFree32, itMemPageFree32,
    itMemPageTotal32, itMemVirtFree32, itMemVirtTotal32, itPlatformID32, itPlatform32, itProcessorCont32,
    itProcessor32, itTempPath32, itDOSVersion, itNumLock, itCapsLock, itScroll, itCurrentDateTime, itProgCompany,
    itProgName, itProgVersion, itProgCopyright, itProgTrademark, itProgDescription, itProgComments, itCPUSpeed
};

// The text of one kind. Numbers are divided by Divisor (0 counts as 1); DateFormat formats itCurrentDateTime.
AnsiString GetSystemInfoString(TZCLInfoType Kind, std::uint32_t Divisor, const AnsiString& DateFormat);
// The display name of a kind.
AnsiString ZCLSIInfoToString(TZCLInfoType Kind);
