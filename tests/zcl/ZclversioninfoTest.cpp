// The version-information component on the program's own file and on copies given other version blocks.

#include "zcl/core/Zclversioninfo.h"
#include "zcl/core/Zclsysin.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ZclTestPaths.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/SysUtils.h"

namespace {

using zcltest::Program;
using zcltest::TempDir;

std::string Text(const SYSTEMTIME& st)
{
    return DateTimeToStr(SystemTimeToDateTime(st)).str();
}

std::string LocalText(const FILETIME& ft)
{
    FILETIME local{};
    SYSTEMTIME st{};
    FileTimeToLocalFileTime(&ft, &local);
    FileTimeToSystemTime(&local, &st);
    return Text(st);
}

TEST(ZclVersionInfo, TheProgramsFileWithItsBlockIconsAndDates)
{
    TZCLVersionInfo info(nullptr);
    info.SetRetrieveFilename(Program().c_str());
    EXPECT_EQ(info.FileName(), Program());
    EXPECT_EQ(info.CompanyName(), "KARVON Vandrel GmbH");
    EXPECT_EQ(info.ProductName(), "KARVON Windows Terminal Device Driver");
    EXPECT_EQ(info.ProductVersion(), "1.0.0.0");
    EXPECT_EQ(info.FileVersion(), "1.0.0.0");
    EXPECT_EQ(info.InternalFilename(), "DravikREMOTE");
    EXPECT_EQ(info.OriginalFilename(), "DravikREMOTE.exe");
    EXPECT_EQ(info.LegalCopyright(), "Copyright (C) KARVON Vandrel GmbH");
    EXPECT_EQ(info.LegalTrademarks(), "DravikREMOTE is a trademark of KARVON Vandrel GmbH");
    EXPECT_EQ(info.FileDescription(), "DravikREMOTE - Windows Terminal Device Driver");
    EXPECT_FALSE(info.Comments().IsEmpty());
    char language[256] = "";
    VerLanguageNameA(0x0409, language, sizeof language);
    EXPECT_EQ(info.Language(), language);
    EXPECT_FALSE(info.Language().IsEmpty());

    EXPECT_EQ(info.FileTyp(), ftAPP);
    EXPECT_EQ(info.FileOs(), foNT);  // the 32-bit Windows code
    EXPECT_EQ(info.FileSubTyp(), "0");
    EXPECT_FALSE(info.Debug() || info.PreRelease() || info.Patched() || info.PrivateBuild() ||
                 info.InfoInferred() || info.SpecialBuild());
    EXPECT_FALSE(info.Directory());
    EXPECT_FALSE(info.ReadOnly());
    EXPECT_FALSE(info.VolumeId());

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(Program().c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(info.LastModified(), LocalText(data.ftLastWriteTime));
    EXPECT_EQ(info.Created(), LocalText(data.ftCreationTime));
    EXPECT_FALSE(info.LastAccess().IsEmpty());
    EXPECT_NE(info.LastModified(), DateTimeToStr(EncodeDate(1900, 1, 1)));

    // The program's icon at both sizes.
    ASSERT_EQ(info.LargeImages()->Count(), 1);
    ASSERT_EQ(info.SmallImages()->Count(), 1);
    EXPECT_EQ(info.LargeImages()->Width(), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(info.SmallImages()->Width(), GetSystemMetrics(SM_CXSMICON));
}

TEST(ZclVersionInfo, NoFileNameMeansTheRunningProgram)
{
    TZCLVersionInfo info(nullptr);
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    EXPECT_EQ(info.FileName(), exe);
    // The test executable carries the program's block, but no icon.
    EXPECT_EQ(info.ProductName(), "KARVON Windows Terminal Device Driver");
    EXPECT_EQ(info.LargeImages()->Count(), 0);
}

TEST(ZclVersionInfo, AFileWithoutBlockAndAMissingFile)
{
    const std::string path = TempDir() + "zclvi_plain.txt";
    const HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    CloseHandle(f);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    TZCLVersionInfo info(nullptr);
    info.SetRetrieveFilename(Program().c_str());
    ASSERT_FALSE(info.ProductName().IsEmpty());
    info.SetRetrieveFilename(path.c_str());
    EXPECT_EQ(info.ProductName(), "");
    EXPECT_EQ(info.CompanyName(), "");
    EXPECT_EQ(info.Language(), "");
    EXPECT_EQ(info.FileTyp(), ftUNKNOWN);
    EXPECT_EQ(info.LargeImages()->Count(), 0);
    EXPECT_TRUE(info.ReadOnly());
    EXPECT_TRUE(info.Hidden());
    EXPECT_FALSE(info.System());
    EXPECT_FALSE(info.Directory());
    EXPECT_FALSE(info.LastModified().IsEmpty());

    // Every handle the dates were read through is closed again: the file opens exclusively.
    for (int i = 0; i < 3; ++i) info.GetInfos();
    const HANDLE exclusive = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    CloseHandle(exclusive);

    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    // A file that is not there has no attributes at all, not every one of them.
    info.GetInfos();
    for (bool flag : {info.ReadOnly(), info.Archive(), info.Hidden(), info.System(), info.Directory(),
                      info.AnyFile(), info.Compressed(), info.VolumeId()})
        EXPECT_FALSE(flag);
    EXPECT_EQ(info.LastModified(), "");
    EXPECT_EQ(info.Created(), "");

    info.SetRetrieveFilename(TempDir().c_str());
    EXPECT_TRUE(info.Directory());
}

TEST(ZclVersionInfo, OnlyTheFileNameIsStored)
{
    TZCLVersionInfo info(nullptr);
    info.SetRetrieveFilename(Program().c_str());
    info.SetAbout("about");
    TMemoryStream stream;
    stream.WriteComponent(&info);
    stream.SetPosition(0);
    TZCLVersionInfo back(nullptr);
    stream.ReadComponent(&back);
    EXPECT_EQ(back.RetrieveFilename(), Program());
    EXPECT_EQ(back.About(), "about");
    EXPECT_EQ(back.ProductName(), "KARVON Windows Terminal Device Driver");
    // Nothing read from the file is in the stream.
    const std::string bytes(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
    EXPECT_EQ(bytes.find("KARVON Windows Terminal"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------------------------
// Version blocks written into a copy of the program

void Pad(std::vector<char>& b)
{
    while (b.size() % 4) b.push_back(0);
}

// One node of a version resource: length, value length, type, key, value, children.
std::vector<char> Node(const std::wstring& key, const void* value, std::size_t valueBytes, bool text,
                       const std::vector<std::vector<char>>& children = {})
{
    std::vector<char> b(6, 0);
    for (wchar_t c : key + L'\0') {
        b.push_back(char(c & 0xFF));
        b.push_back(char(c >> 8));
    }
    Pad(b);
    const char* v = static_cast<const char*>(value);
    b.insert(b.end(), v, v + valueBytes);
    for (const auto& child : children) {
        Pad(b);
        b.insert(b.end(), child.begin(), child.end());
    }
    const WORD length = WORD(b.size()), valueLength = WORD(text ? valueBytes / 2 : valueBytes), type = text;
    std::memcpy(&b[0], &length, 2);
    std::memcpy(&b[2], &valueLength, 2);
    std::memcpy(&b[4], &type, 2);
    return b;
}

std::vector<char> StringNode(const std::wstring& key, const std::wstring& value)
{
    const std::wstring v = value + L'\0';
    std::vector<char> bytes;
    for (wchar_t c : v) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char(c >> 8));
    }
    return Node(key, bytes.data(), bytes.size(), true);
}

// With a translation the strings are German (0407, Unicode); without one they stand under 040904E4.
std::vector<char> VersionResource(DWORD fileOs, DWORD fileType, DWORD subtype, DWORD flags,
                                  bool withTranslation = true)
{
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = 0xFEEF04BD;
    fixed.dwStrucVersion = 0x00010000;
    fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    fixed.dwFileFlags = flags;
    fixed.dwFileOS = fileOs;
    fixed.dwFileType = fileType;
    fixed.dwFileSubtype = subtype;
    const DWORD translation = 0x04B00407;  // German, Unicode
    const auto table = Node(withTranslation ? L"040704B0" : L"040904E4", nullptr, 0, true,
                            {StringNode(L"ProductName", L"Written"), StringNode(L"LegalTrademarks", L"TM")});
    const auto strings = Node(L"StringFileInfo", nullptr, 0, true, {table});
    const auto var = Node(L"Translation", &translation, 4, false);
    const auto vars = Node(L"VarFileInfo", nullptr, 0, true, {var});
    if (!withTranslation) return Node(L"VS_VERSION_INFO", &fixed, sizeof fixed, false, {strings});
    return Node(L"VS_VERSION_INFO", &fixed, sizeof fixed, false, {strings, vars});
}

// A copy of the program carrying the given version resource instead of its own.
void WriteCopy(const std::string& copy, std::vector<char> resource)
{
    ASSERT_TRUE(CopyFileA(Program().c_str(), copy.c_str(), FALSE));
    const HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(UpdateResourceA(update, RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO),
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), resource.data(),
                                DWORD(resource.size())));
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
}

struct FixedCase {
    DWORD os, type, subtype, flags;
    TZCLFileOs fileOs;
    TZCLFileTyp fileTyp;
    const char* subTyp;
};

TEST(ZclVersionInfo, TheFixedPartGivesFlagsSystemTypeAndSubtype)
{
    const FixedCase cases[] = {
        {VOS_NT_WINDOWS32, VFT_APP, 0, 0, foNT, ftAPP, "0"},
        {VOS_DOS_WINDOWS16, VFT_DLL, 0, VS_FF_DEBUG, foDOS, ftDLL, "0"},
        {VOS_OS216_PM16, VFT_DRV, VFT2_DRV_KEYBOARD, VS_FF_PRERELEASE, foOS216, ftDRV, "Keyboard"},
        {VOS_OS232_PM32, VFT_DRV, VFT2_UNKNOWN, VS_FF_PATCHED, foOS232, ftDRV, "UNKNOWN"},
        {VOS__WINDOWS32, VFT_DRV, VFT2_DRV_COMM, VS_FF_PRIVATEBUILD, foNT, ftDRV, "Comm"},
        {VOS__WINDOWS32, VFT_DRV, 12, VS_FF_INFOINFERRED, foNT, ftDRV, "12"},
        {VOS__WINDOWS32, VFT_FONT, VFT2_FONT_TRUETYPE, VS_FF_SPECIALBUILD, foNT, ftFONT, "TrueType"},
        {VOS__WINDOWS32, VFT_FONT, VFT2_FONT_RASTER, 0, foNT, ftFONT, "Raster"},
        {VOS__WINDOWS32, VFT_FONT, 0, 0, foNT, ftFONT, "0"},
        {VOS__WINDOWS32, VFT_VXD, 0x1234, 0, foNT, ftVXD, "4660"},
        // The static-library code is 7 and 6 is no type.
        {VOS__WINDOWS32, VFT_STATIC_LIB, 0, 0, foNT, ftSTATIC_LIB, "0"},
        {VOS__WINDOWS32, 6, 0, 0, foNT, ftUNKNOWN, "0"},
        {VOS_UNKNOWN, VFT_UNKNOWN, 3, 0x3F, foUNKNOWN, ftUNKNOWN, "3"},
        {0x00000009, VFT_APP, 0, 0, foUNKNOWN, ftAPP, "0"},
    };
    const std::string copy = TempDir() + "zclvi_copy.exe";
    for (const FixedCase& c : cases) {
        SCOPED_TRACE(std::string(c.subTyp) + " " + std::to_string(c.type));
        WriteCopy(copy, VersionResource(c.os, c.type, c.subtype, c.flags));
        if (HasFatalFailure()) return;

        TZCLVersionInfo info(nullptr);
        info.SetRetrieveFilename(copy.c_str());
        EXPECT_EQ(info.ProductName(), "Written");
        EXPECT_EQ(info.LegalTrademarks(), "TM");
        EXPECT_EQ(info.CompanyName(), "");  // not in this block
        char german[256] = "";
        VerLanguageNameA(0x0407, german, sizeof german);
        EXPECT_EQ(info.Language(), german);
        EXPECT_EQ(info.FileOs(), c.fileOs);
        EXPECT_EQ(info.FileTyp(), c.fileTyp);
        EXPECT_EQ(info.FileSubTyp(), c.subTyp);
        EXPECT_EQ(info.Debug(), bool(c.flags & VS_FF_DEBUG));
        EXPECT_EQ(info.PreRelease(), bool(c.flags & VS_FF_PRERELEASE));
        EXPECT_EQ(info.Patched(), bool(c.flags & VS_FF_PATCHED));
        EXPECT_EQ(info.PrivateBuild(), bool(c.flags & VS_FF_PRIVATEBUILD));
        EXPECT_EQ(info.InfoInferred(), bool(c.flags & VS_FF_INFOINFERRED));
        EXPECT_EQ(info.SpecialBuild(), bool(c.flags & VS_FF_SPECIALBUILD));
    }
    DeleteFileA(copy.c_str());
}

TEST(ZclVersionInfo, ABlockWithoutTranslationIsReadUnderTheUsEnglishTable)
{
    const std::string copy = TempDir() + "zclvi_plain_block.exe";
    WriteCopy(copy, VersionResource(VOS__WINDOWS32, VFT_APP, 0, 0, false));
    if (HasFatalFailure()) return;
    TZCLVersionInfo info(nullptr);
    info.SetRetrieveFilename(copy.c_str());
    EXPECT_EQ(info.ProductName(), "Written");
    EXPECT_EQ(info.LegalTrademarks(), "TM");
    EXPECT_EQ(info.Language(), "");
    const TZCLVersionBlock block(copy.c_str());
    EXPECT_FALSE(block.HasTranslation());
    EXPECT_EQ(block.Value("ProductName"), "Written");
    DeleteFileA(copy.c_str());
}

}  // namespace
