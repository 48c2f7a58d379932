#pragma once
// Registry access: TRegistry over one open key, and TRegIniFile / TRegistryIniFile, which give the
// registry the section-and-value shape of an .ini file (section = subkey, values as text).

#include <windows.h>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/IniFiles.h"

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    int DataSize = 0;
};

class TRegistry : public TObject {
public:
    TRegistry() = default;
    explicit TRegistry(REGSAM access) : access_(access) {}
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;
    ~TRegistry() override;

    HKEY RootKey() const { return root_; }
    // Changing the root closes the open key.
    void SetRootKey(HKEY root);
    // The open key, or NULL when none is open.
    HKEY CurrentKey() const { return current_.get(); }
    // Path of the open key below the root, without leading or trailing "\".
    const AnsiString& CurrentPath() const { return currentPath_; }
    // When false, closing a key flushes it to disk first.
    bool LazyWrite() const { return lazyWrite_; }
    void SetLazyWrite(bool v) { lazyWrite_ = v; }
    // Access asked for by OpenKey and CreateKey.
    REGSAM Access() const { return access_; }
    void SetAccess(REGSAM v) { access_ = v; }

    // A key starting with "\" is taken from the root, any other from the open key (or the root when
    // none is open). On success the opened key becomes the current one.
    bool OpenKey(const AnsiString& key, bool canCreate);
    bool OpenKeyReadOnly(const AnsiString& key);
    void CloseKey();
    // Creates the key without opening it; raises ERegistryException when it cannot be created.
    bool CreateKey(const AnsiString& key);
    // Deletes the key with all its subkeys.
    bool DeleteKey(const AnsiString& key);
    bool KeyExists(const AnsiString& key);
    bool HasSubKeys();

    bool ValueExists(const AnsiString& name);
    bool DeleteValue(const AnsiString& name);
    // Both lists are cleared first.
    void GetKeyNames(TStrings* strings);
    void GetValueNames(TStrings* strings);
    bool GetDataInfo(const AnsiString& name, TRegDataInfo& info);
    TRegDataType GetDataType(const AnsiString& name);
    // -1 when the value does not exist.
    int GetDataSize(const AnsiString& name);

    // A missing value reads as ""; the other reads raise ERegistryException for a missing value
    // ("Failed to get data for '%s'") or one of another type ("Invalid data type for '%s'"), and
    // writes raise it when the value cannot be set ("Failed to set data for '%s'").
    AnsiString ReadString(const AnsiString& name);
    void WriteString(const AnsiString& name, const AnsiString& value);
    int ReadInteger(const AnsiString& name);
    void WriteInteger(const AnsiString& name, int value);
    bool ReadBool(const AnsiString& name) { return ReadInteger(name) != 0; }
    void WriteBool(const AnsiString& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    // Returns the number of bytes read; raises when the data does not fit into the buffer.
    int ReadBinaryData(const AnsiString& name, void* buffer, int bufSize);
    void WriteBinaryData(const AnsiString& name, const void* buffer, int bufSize);

private:
    // The key a path starts from: the root for "\"-paths or when no key is open, else the open key.
    HKEY BaseKey(bool absolute) const;
    bool OpenWith(const AnsiString& key, REGSAM access, bool canCreate);
    void ReplaceCurrent(HKEY key, const AnsiString& path, bool absolute);
    // Reads a value of the expected type whole into buffer; raises with the framework's texts.
    void ReadData(const AnsiString& name, void* buffer, DWORD size, TRegDataType expected);

    HKEY root_ = HKEY_CURRENT_USER;
    RegKey current_;
    AnsiString currentPath_;
    bool lazyWrite_ = true;
    REGSAM access_ = KEY_ALL_ACCESS;
};

// The registry as an .ini file: the opened key is the file, a section is a subkey of it (an empty
// section is the key itself), and every value is text (REG_SZ). Reads never raise: a missing key,
// section or value gives the default.
class TRegIniFile : public TRegistry {
public:
    // Opens (creating it when missing) the key path below HKEY_CURRENT_USER; a leading "\" is dropped.
    explicit TRegIniFile(const AnsiString& fileName, REGSAM access = KEY_ALL_ACCESS);

    const AnsiString& FileName() const { return fileName_; }

    AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def);
    void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value);
    // Decimal text ("$"/"0x" hexadecimal also read); the default when missing or not an integer.
    int ReadInteger(const AnsiString& section, const AnsiString& ident, int def);
    void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
    // Any non-zero integer is true; written as "1" or "0".
    bool ReadBool(const AnsiString& section, const AnsiString& ident, bool def);
    void WriteBool(const AnsiString& section, const AnsiString& ident, bool value);

    // Value names of the section (the list is cleared first).
    void ReadSection(const AnsiString& section, TStrings* strings);
    // Subkey names of the opened key (the list is cleared first).
    void ReadSections(TStrings* strings);
    // Each value is set as Values[name] = text: the list is not cleared, a line of the same name is
    // replaced, and an empty value removes its line.
    void ReadSectionValues(const AnsiString& section, TStrings* strings);
    // Removes the section's subkey with everything below it; the empty section (the opened key's own
    // values) loses its values but keeps its subkeys, which are other sections.
    void EraseSection(const AnsiString& section);
    // Removes one value of the section. Both raise ERegistryException when the registry refuses.
    void DeleteKey(const AnsiString& section, const AnsiString& ident);
    using TRegistry::DeleteKey;

protected:
    // For derived stores that set the root and open the key themselves.
    TRegIniFile() = default;
    void SetFileName(const AnsiString& fileName) { fileName_ = fileName; }

    // A section's key: the opened key itself for an empty section, else an owned subkey handle.
    struct SectionKey {
        RegKey owner;
        HKEY key = nullptr;
        explicit operator bool() const { return key != nullptr; }
    };
    // Opened for reading; empty when the section (or the opened key) is missing.
    SectionKey OpenSectionRead(const AnsiString& section) const;
    // Opened, created when missing, for writing; raises when the section cannot be created.
    SectionKey OpenSectionWrite(const AnsiString& section) const;

private:
    AnsiString fileName_;
};

// A TCustomIniFile kept in the registry through an inner TRegIniFile opened below HKEY_CURRENT_USER.
class TRegistryIniFile : public TCustomIniFile {
public:
    explicit TRegistryIniFile(const AnsiString& fileName, REGSAM access = KEY_ALL_ACCESS);

    // The inner registry object, e.g. to switch its RootKey and open the path again.
    TRegIniFile& RegIniFile() { return reg_; }

    AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) override;
    void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) override;
    void ReadSection(const AnsiString& section, TStrings* strings) override;
    void ReadSections(TStrings* strings) override;
    void EraseSection(const AnsiString& section) override;
    void DeleteKey(const AnsiString& section, const AnsiString& ident) override;
    // Registry writes need no flush.
    void UpdateFile() override {}

private:
    TRegIniFile reg_;
};
