#pragma once
// The settings store: named values in sections, kept either in the registry or in an .ini file. Every call
// opens the store, does its work and closes it again; only the last section name is kept between calls.
//
// Registry layout: a section is a subkey of the key RegPath ("#ROOT" is the key itself); a blank section is the
// last one used, else "Common"; strings, integers (decimal text) and booleans ("0"/"1") are all REG_SZ values;
// a numbered list is Ident + "0", "1", ... (or "A", "B", ...) in a section erased before it is written.

#include <windows.h>

#include <cstdint>

#include "framework/visual/Graphics.h"
#include "framework/runtime/IniFiles.h"
#include "framework/runtime/Registry.h"
#include "framework/runtime/SysUtils.h"
#include "framework/runtime/Types.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclcustomcomponent.h"

enum TZCLIniTarget : std::uint8_t { itIniFile, itRegistry, itAuto };
enum TZCLRegRootKey : std::uint8_t {
    rpClassesRoot, rpCurrentUser, rpLocalMachine, rpUsers, rpCurrentConfig, rpDynData
};
// Where a component keeps its own data: its linked store, the library application object's, or nowhere.
enum TZCLIniUse : std::uint8_t { ioUseLink, ioUseGlobal, ioNone };

// The registry root of a root-key value; 0 for any other value.
HKEY ZCLGetRootKey(TZCLRegRootKey Key);

// The registry store of one call: lazily written, its key path kept as its file name, opened read-only (the
// path is not created) or for full access with the path created.
class TZCLRegIniFile : public TRegIniFile {
public:
    TZCLRegIniFile(HKEY Root, const AnsiString& Path, bool ReadOnly);
};

class TZCLIniCtrl : public TZCLCustomComponent {
public:
    explicit TZCLIniCtrl(TComponent* AOwner);

    // .ini target only: section names as given; when false they get the user suffix.
    bool Common() const { return common_; }
    void SetCommon(bool value) { common_ = value; }
    // .ini target only: the suffix is the Windows user name rather than User; switching it on fills User.
    bool NetUser() const { return netUser_; }
    void SetNetUser(bool value);
    // A name without extension gets ".INI".
    const AnsiString& IniFile() const { return iniFile_; }
    void SetIniFile(const AnsiString& value);
    const AnsiString& User() const { return user_; }
    void SetUser(const AnsiString& value) { user_ = value; }
    TZCLPathPrefix IniPrefix() const { return iniPrefix_; }
    void SetIniPrefix(TZCLPathPrefix value) { iniPrefix_ = value; }
    TZCLRegRootKey RegRoot() const { return regRoot_; }
    void SetRegRoot(TZCLRegRootKey value) { regRoot_ = value; }
    const AnsiString& RegPath() const { return regPath_; }
    void SetRegPath(const AnsiString& value) { regPath_ = value; }
    // Switching it on lowers MaxEntries to 26.
    bool AlphaCounter() const { return alphaCounter_; }
    void SetAlphaCounter(bool value);
    // With AlphaCounter, values above 26 are ignored.
    std::uint8_t MaxEntries() const { return maxEntries_; }
    void SetMaxEntries(std::uint8_t value);
    // itAuto keeps the values in the registry.
    TZCLIniTarget Target() const { return target_; }
    void SetTarget(TZCLIniTarget value);
    bool UsesRegistry() const { return effectiveTarget_ == 1; }

    // The name of the user logged on to Windows.
    virtual AnsiString GetNetUserName();

    // RegPath with a trailing "\", or the application's default path when RegPath is blank.
    AnsiString GetRegPath() const;
    // The .ini file in the folder of IniPrefix (IniFile as it stands for ppFixed); an empty IniFile becomes the
    // program's path with ".INI" first.
    AnsiString GetIniName();
    // The section a call uses; records it as the last section (see the layout above).
    AnsiString GetSectionName(const AnsiString& Section);
    // The name suffix of list item Index: "0", "1", ... or "A", "B", ... with AlphaCounter.
    AnsiString GetCounterIdent(std::uint8_t Index) const;
    // What the last resolution produced.
    const AnsiString& LastSection() const { return lastSection_; }

    AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default);
    void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value);
    // Decimal text; Default when missing or not an integer.
    std::int32_t ReadInteger(const AnsiString& Section, const AnsiString& Ident, std::int32_t Default);
    void WriteInteger(const AnsiString& Section, const AnsiString& Ident, std::int32_t Value);
    // Any non-zero integer is true; written as "1" or "0".
    bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default);
    void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);

    // Through the string operations, as the framework's texts; a stored text that does not convert raises
    // EConvertError.
    long double ReadFloat(const AnsiString& Section, const AnsiString& Ident, long double Default);
    void WriteFloat(const AnsiString& Section, const AnsiString& Ident, long double Value);
    TDateTime ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
    void WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
    TDateTime ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
    void WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
    TDateTime ReadDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
    void WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
    TColor ReadColor(const AnsiString& Section, const AnsiString& Ident, TColor Default);
    void WriteColor(const AnsiString& Section, const AnsiString& Ident, TColor Value);
    // False, with the font left alone, when nothing is stored.
    bool ReadFont(const AnsiString& Section, const AnsiString& Ident, TFont* Font);
    void WriteFont(const AnsiString& Section, const AnsiString& Ident, TFont* Font);
    TPoint ReadPoint(const AnsiString& Section, const AnsiString& Ident, const TPoint& Default);
    void WritePoint(const AnsiString& Section, const AnsiString& Ident, const TPoint& Value);
    TRect ReadRect(const AnsiString& Section, const AnsiString& Ident, const TRect& Default);
    void WriteRect(const AnsiString& Section, const AnsiString& Ident, const TRect& Value);

    // Numbered lists: reading clears Strings and stops at the first empty item; writing erases the section
    // first and stores at most Count items.
    void ReadStringsExt(const AnsiString& Section, const AnsiString& Ident, TStrings* Strings, std::uint8_t Count);
    void WriteStringsExt(const AnsiString& Section, const AnsiString& Ident, TStrings* Strings,
                         std::uint8_t Count);
    void ReadStrings(const AnsiString& Section, const AnsiString& Ident, TStrings* Strings);
    void WriteStrings(const AnsiString& Section, const AnsiString& Ident, TStrings* Strings);

    // Name=value lists in a section used as given.
    void ReadColorList(const AnsiString& Section, TStrings* Strings);
    void WriteColorList(const AnsiString& Section, TStrings* Strings);

    // Value names of the section.
    void ReadSection(const AnsiString& Section, TStrings* Strings);
    // Every section: the subkeys of the key, or the sections of the file.
    void ReadSections(TStrings* Strings);
    // "name=text" lines. Registry: set by name into the list, which is not cleared first (an empty value
    // leaves no line); .ini file: the list is cleared and gets every value.
    void ReadSectionValues(const AnsiString& Section, TStrings* Strings);
    void DeleteKey(const AnsiString& Section, const AnsiString& Ident);
    void EraseSection(const AnsiString& Section);

    // The published properties of Obj, through ZCLSaveObjectProperties and ZCLLoadObjectProperties.
    void ReadObject(const AnsiString& Section, TObject* Obj);
    void WriteObject(const AnsiString& Section, TObject* Obj);

private:
    template <typename F>
    decltype(auto) WithStore(bool write, F&& operation);

    bool common_ = true;
    bool netUser_ = false;
    AnsiString iniFile_;
    AnsiString lastSection_;
    AnsiString user_;
    TZCLPathPrefix iniPrefix_ = ppWindows;
    TZCLRegRootKey regRoot_ = rpCurrentUser;
    AnsiString regPath_;
    bool alphaCounter_ = false;
    std::uint8_t maxEntries_ = 16;
    std::uint8_t effectiveTarget_ = 1;
    TZCLIniTarget target_ = itAuto;
};

// Writes the stored published properties of Obj that do not hold their default (ordinals other than the
// declared default, non-zero floats, non-empty strings); other kinds are skipped.
void ZCLSaveObjectProperties(TCustomIniFile* Ini, const AnsiString& Section, TObject* Obj);
// Reads every ordinal, float and string property back, with its current value as the default.
void ZCLLoadObjectProperties(TCustomIniFile* Ini, const AnsiString& Section, TObject* Obj);
