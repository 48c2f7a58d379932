#include "zcl/core/Zclversioninfo.h"

#include <windows.h>

#include <shellapi.h>

#include <iterator>

#include "framework/runtime/Filer.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/SysUtils.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclsysin.h"

namespace {

// Everything but About and RetrieveFilename is read from the file and not stored.
const bool versionInfoPublished = [] {
    using V = TZCLVersionInfo;
    PublishedProperties<V>()
        .String("About", &V::About, &V::SetAbout)
        .String("RetrieveFilename", &V::RetrieveFilename, &V::SetRetrieveFilename)
        .String("FileSubTyp", &V::FileSubTyp, nullptr)
        .String("CompanyName", &V::CompanyName, nullptr)
        .String("ProductVersion", &V::ProductVersion, nullptr)
        .String("FileVersion", &V::FileVersion, nullptr)
        .String("InternalFilename", &V::InternalFilename, nullptr)
        .String("OriginalFilename", &V::OriginalFilename, nullptr)
        .String("ProductName", &V::ProductName, nullptr)
        .String("Comments", &V::Comments, nullptr)
        .String("Language", &V::Language, nullptr)
        .String("LegalCopyright", &V::LegalCopyright, nullptr)
        .String("LegalTrademarks", &V::LegalTrademarks, nullptr)
        .String("FileDescription", &V::FileDescription, nullptr)
        .String("LastModified", &V::LastModified, nullptr)
        .String("LastAccess", &V::LastAccess, nullptr)
        .String("Created", &V::Created, nullptr)
        .Boolean("Debug", &V::Debug, nullptr)
        .Boolean("PreRelease", &V::PreRelease, nullptr)
        .Boolean("Patched", &V::Patched, nullptr)
        .Boolean("PrivateBuild", &V::PrivateBuild, nullptr)
        .Boolean("InfoInferred", &V::InfoInferred, nullptr)
        .Boolean("SpecialBuild", &V::SpecialBuild, nullptr)
        .Boolean("Archive", &V::Archive, nullptr)
        .Boolean("ReadOnly", &V::ReadOnly, nullptr)
        .Boolean("System", &V::System, nullptr)
        .Boolean("Hidden", &V::Hidden, nullptr)
        .Boolean("VolumeId", &V::VolumeId, nullptr)
        .Boolean("AnyFile", &V::AnyFile, nullptr)
        .Boolean("Directory", &V::Directory, nullptr)
        .Boolean("Compressed", &V::Compressed, nullptr)
        .Enumeration("FileOs", &V::FileOs, nullptr, {"foUNKNOWN", "foDOS", "foOS216", "foOS232", "foNT"})
        .Enumeration("FileTyp", &V::FileTyp, nullptr,
                     {"ftUNKNOWN", "ftAPP", "ftDLL", "ftDRV", "ftFONT", "ftVXD", "ftSTATIC_LIB"});
    return true;
}();

// A date outside what the framework's dates hold reads as 1 January 1900.
AnsiString FileTimeText(const FILETIME& time)
{
    FILETIME local{};
    SYSTEMTIME st{};
    TDateTime date = EncodeDate(1900, 1, 1);
    if (FileTimeToLocalFileTime(&time, &local) && FileTimeToSystemTime(&local, &st) && st.wYear >= 1 &&
        st.wYear <= 9998 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 && st.wDay <= 31)
        date = SystemTimeToDateTime(st);
    return DateTimeToStr(date);
}

AnsiString SubTypeText(DWORD type, DWORD subtype)
{
    static const char* const drivers[] = {"UNKNOWN", "Printer", "Keyboard", "Language",    "Display", "Mouse",
                                          "Network", "System",  "Installable", "Sound", "Comm"};
    static const char* const fonts[] = {nullptr, "Raster", "Vector", "TrueType"};
    if (type == VFT_DRV && subtype < std::size(drivers)) return drivers[subtype];
    if (type == VFT_FONT && subtype >= 1 && subtype < std::size(fonts)) return fonts[subtype];
    return IntToStr(subtype);
}

}  // namespace

TZCLVersionInfo::TZCLVersionInfo(TComponent* AOwner)
    : TComponent(AOwner), largeImages_(std::make_unique<TImageList>(nullptr)),
      smallImages_(std::make_unique<TImageList>(nullptr))
{
    GetInfos();
}

TZCLVersionInfo::~TZCLVersionInfo() = default;

void TZCLVersionInfo::SetRetrieveFilename(const AnsiString& value)
{
    if (value == retrieveFilename_) return;
    retrieveFilename_ = value;
    GetInfos();
}

void TZCLVersionInfo::Loaded()
{
    TComponent::Loaded();
    GetInfos();
}

void TZCLVersionInfo::Clear()
{
    for (AnsiString* s : {&companyName_, &productName_, &productVersion_, &fileVersion_, &internalFilename_,
                          &originalFilename_, &comments_, &legalCopyright_, &legalTrademarks_, &fileDescription_,
                          &language_, &fileSubTyp_, &lastModified_, &lastAccess_, &created_})
        *s = AnsiString();
    for (bool* b : {&debug_, &preRelease_, &patched_, &privateBuild_, &infoInferred_, &specialBuild_, &archive_,
                    &readOnly_, &system_, &hidden_, &volumeId_, &anyFile_, &directory_, &compressed_})
        *b = false;
    fileOs_ = foUNKNOWN;
    fileTyp_ = ftUNKNOWN;
}

void TZCLVersionInfo::GetInfos()
{
    if (ComponentState().Contains(csWriting) || ComponentState().Contains(csDestroying)) return;
    Clear();
    if (retrieveFilename_.IsEmpty()) {
        char module[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, module, sizeof module);
        fileName_ = module;
    } else {
        fileName_ = retrieveFilename_;
    }
    largeImages_->SetSize(ZCLSIIconWidth(), ZCLSIIconHeight());
    smallImages_->SetSize(ZCLSISmallIconWidth(), ZCLSISmallIconHeight());
    largeImages_->Clear();
    smallImages_->Clear();
    if (FileExists(fileName_)) ReadIcons();
    ReadAttributes();
    ReadDates();
    ReadVersionBlock();
}

void TZCLVersionInfo::ReadIcons()
{
    // A file that is no program or icon file answers the count with UINT_MAX, the failure value.
    const UINT count = ExtractIconExA(fileName_.c_str(), -1, nullptr, nullptr, 0);
    if (count == UINT(-1)) return;
    for (UINT i = 0; i < count; ++i) {
        HICON large = nullptr, small = nullptr;
        if (ExtractIconExA(fileName_.c_str(), int(i), &large, &small, 1) == 0) continue;
        // The icons take the handles and destroy them.
        TIcon largeIcon, smallIcon;
        if (large) {
            largeIcon.SetHandle(large);
            largeImages_->AddIcon(&largeIcon);
        }
        if (small) {
            smallIcon.SetHandle(small);
            smallImages_->AddIcon(&smallIcon);
        }
    }
}

void TZCLVersionInfo::ReadAttributes()
{
    const DWORD attributes = GetFileAttributesA(fileName_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    readOnly_ = attributes & FILE_ATTRIBUTE_READONLY;
    archive_ = attributes & FILE_ATTRIBUTE_ARCHIVE;
    hidden_ = attributes & FILE_ATTRIBUTE_HIDDEN;
    system_ = attributes & FILE_ATTRIBUTE_SYSTEM;
    directory_ = attributes & FILE_ATTRIBUTE_DIRECTORY;
    anyFile_ = attributes & FILE_ATTRIBUTE_NORMAL;
    compressed_ = attributes & FILE_ATTRIBUTE_COMPRESSED;
    const int frameworkAttributes = FileGetAttr(fileName_);
    volumeId_ = frameworkAttributes != -1 && (frameworkAttributes & 8);
}

void TZCLVersionInfo::ReadDates()
{
    const FileHandle file(CreateFileA(fileName_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    FILETIME created{}, accessed{}, written{};
    if (!GetFileTime(file.get(), &created, &accessed, &written)) return;
    created_ = FileTimeText(created);
    lastAccess_ = FileTimeText(accessed);
    lastModified_ = FileTimeText(written);
}

void TZCLVersionInfo::ReadVersionBlock()
{
    const TZCLVersionBlock block(fileName_);
    if (block.Empty()) return;
    if (block.HasTranslation()) {
        char name[2000] = "";
        if (VerLanguageNameA(block.Language(), name, sizeof name)) language_ = name;
    }
    productName_ = block.Value("ProductName");
    companyName_ = block.Value("CompanyName");
    productVersion_ = block.Value("ProductVersion");
    legalCopyright_ = block.Value("LegalCopyright");
    legalTrademarks_ = block.Value("LegalTrademarks");
    comments_ = block.Value("Comments");
    originalFilename_ = block.Value("OriginalFilename");
    internalFilename_ = block.Value("InternalName");
    fileDescription_ = block.Value("FileDescription");
    fileVersion_ = block.Value("FileVersion");

    const VS_FIXEDFILEINFO* fixed = block.FixedInfo();
    if (!fixed) return;
    const DWORD flags = fixed->dwFileFlags;
    debug_ = flags & VS_FF_DEBUG;
    preRelease_ = flags & VS_FF_PRERELEASE;
    patched_ = flags & VS_FF_PATCHED;
    privateBuild_ = flags & VS_FF_PRIVATEBUILD;
    infoInferred_ = flags & VS_FF_INFOINFERRED;
    specialBuild_ = flags & VS_FF_SPECIALBUILD;
    const DWORD os = fixed->dwFileOS & 0xFF;
    fileOs_ = os <= foNT ? TZCLFileOs(os) : foUNKNOWN;
    // The static-library code is 7: 6 is no file type.
    switch (fixed->dwFileType & 0xFF) {
    case VFT_APP: fileTyp_ = ftAPP; break;
    case VFT_DLL: fileTyp_ = ftDLL; break;
    case VFT_DRV: fileTyp_ = ftDRV; break;
    case VFT_FONT: fileTyp_ = ftFONT; break;
    case VFT_VXD: fileTyp_ = ftVXD; break;
    case VFT_STATIC_LIB: fileTyp_ = ftSTATIC_LIB; break;
    default: fileTyp_ = ftUNKNOWN; break;
    }
    fileSubTyp_ = SubTypeText(fixed->dwFileType & 0xFF, fixed->dwFileSubtype);
}
