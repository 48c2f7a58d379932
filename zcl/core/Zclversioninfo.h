#pragma once
// A component that reads a file's version block, attributes, dates and icons and shows them as read-only
// properties: the running program's own file unless RetrieveFilename names another.

#include <cstdint>
#include <memory>

#include "framework/runtime/Classes.h"
#include "framework/visual/ImgList.h"
#include "zcl/core/Zclcustomcomponent.h"

enum TZCLFileOs : std::uint8_t { foUNKNOWN, foDOS, foOS216, foOS232, foNT };
enum TZCLFileTyp : std::uint8_t { ftUNKNOWN, ftAPP, ftDLL, ftDRV, ftFONT, ftVXD, ftSTATIC_LIB };

class TZCLVersionInfo : public TComponent {
public:
    explicit TZCLVersionInfo(TComponent* AOwner);
    ~TZCLVersionInfo() override;

    const TZCLAboutVar& About() const { return about_; }
    void SetAbout(const TZCLAboutVar& value) { about_ = value; }
    // Empty: the program's own file. A change reads the file again.
    const AnsiString& RetrieveFilename() const { return retrieveFilename_; }
    void SetRetrieveFilename(const AnsiString& value);

    // Reads everything again (nothing while the component is being written or destroyed).
    void GetInfos();

    // The file read last.
    const AnsiString& FileName() const { return fileName_; }

    const AnsiString& CompanyName() const { return companyName_; }
    const AnsiString& ProductName() const { return productName_; }
    const AnsiString& ProductVersion() const { return productVersion_; }
    const AnsiString& FileVersion() const { return fileVersion_; }
    const AnsiString& InternalFilename() const { return internalFilename_; }
    const AnsiString& OriginalFilename() const { return originalFilename_; }
    const AnsiString& Comments() const { return comments_; }
    const AnsiString& LegalCopyright() const { return legalCopyright_; }
    const AnsiString& LegalTrademarks() const { return legalTrademarks_; }
    const AnsiString& FileDescription() const { return fileDescription_; }
    // The system's name of the block's language.
    const AnsiString& Language() const { return language_; }
    // The subtype in decimal, or its name for drivers and fonts.
    const AnsiString& FileSubTyp() const { return fileSubTyp_; }
    // Local date and time texts; empty when the file cannot be opened.
    const AnsiString& LastModified() const { return lastModified_; }
    const AnsiString& LastAccess() const { return lastAccess_; }
    const AnsiString& Created() const { return created_; }

    bool Debug() const { return debug_; }
    bool PreRelease() const { return preRelease_; }
    bool Patched() const { return patched_; }
    bool PrivateBuild() const { return privateBuild_; }
    bool InfoInferred() const { return infoInferred_; }
    bool SpecialBuild() const { return specialBuild_; }

    // All false when the file's attributes cannot be read.
    bool Archive() const { return archive_; }
    bool ReadOnly() const { return readOnly_; }
    bool System() const { return system_; }
    bool Hidden() const { return hidden_; }
    bool VolumeId() const { return volumeId_; }
    bool AnyFile() const { return anyFile_; }
    bool Directory() const { return directory_; }
    bool Compressed() const { return compressed_; }

    TZCLFileOs FileOs() const { return fileOs_; }
    TZCLFileTyp FileTyp() const { return fileTyp_; }

    // The file's icons at the system's icon and small-icon sizes.
    TImageList* LargeImages() const { return largeImages_.get(); }
    TImageList* SmallImages() const { return smallImages_.get(); }

    void Loaded() override;

private:
    void Clear();
    void ReadIcons();
    void ReadAttributes();
    void ReadDates();
    void ReadVersionBlock();

    TZCLAboutVar about_;
    AnsiString retrieveFilename_;
    AnsiString fileName_;
    AnsiString companyName_, productName_, productVersion_, fileVersion_, internalFilename_, originalFilename_,
        comments_, legalCopyright_, legalTrademarks_, fileDescription_, language_, fileSubTyp_;
    AnsiString lastModified_, lastAccess_, created_;
    bool debug_ = false, preRelease_ = false, patched_ = false, privateBuild_ = false, infoInferred_ = false,
         specialBuild_ = false;
    bool archive_ = false, readOnly_ = false, system_ = false, hidden_ = false, volumeId_ = false,
         anyFile_ = false, directory_ = false, compressed_ = false;
    TZCLFileOs fileOs_ = foUNKNOWN;
    TZCLFileTyp fileTyp_ = ftUNKNOWN;
    std::unique_ptr<TImageList> largeImages_;
    std::unique_ptr<TImageList> smallImages_;
};
