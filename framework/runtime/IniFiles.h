#pragma once
// .ini-style settings stores: TCustomIniFile (sections of named text values) and TIniFile on Windows'
// own .ini files through the profile API.

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Exceptions.h"

class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(const AnsiString& fileName) : fileName_(fileName) {}
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const AnsiString& FileName() const { return fileName_; }

    virtual AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) = 0;
    virtual void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) = 0;
    // Decimal text ("$"/"0x" hexadecimal also read); the default when missing or not an integer.
    virtual int ReadInteger(const AnsiString& section, const AnsiString& ident, int def);
    virtual void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
    // Any non-zero integer is true; written as "1" or "0".
    virtual bool ReadBool(const AnsiString& section, const AnsiString& ident, bool def);
    virtual void WriteBool(const AnsiString& section, const AnsiString& ident, bool value);
    // Text of the framework's float conversion; the default when missing or not a number.
    virtual long double ReadFloat(const AnsiString& section, const AnsiString& ident, long double def);
    virtual void WriteFloat(const AnsiString& section, const AnsiString& ident, long double value);

    // Names of the section's values (cleared first).
    virtual void ReadSection(const AnsiString& section, TStrings* strings) = 0;
    // Names of all sections (cleared first).
    virtual void ReadSections(TStrings* strings) = 0;
    // Clears the list and adds "name=text" for every value of the section, empty ones included.
    virtual void ReadSectionValues(const AnsiString& section, TStrings* strings);
    virtual void EraseSection(const AnsiString& section) = 0;
    virtual void DeleteKey(const AnsiString& section, const AnsiString& ident) = 0;
    virtual bool SectionExists(const AnsiString& section);
    virtual bool ValueExists(const AnsiString& section, const AnsiString& ident);
    // Writes what is buffered to the store.
    virtual void UpdateFile() = 0;

private:
    AnsiString fileName_;
};

// An .ini file through Windows' profile API. A bare file name is looked up by Windows in its own folder.
// Nothing is cut short: values and lists of any length are read whole. A write that Windows refuses
// raises EIniFileException.
class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(const AnsiString& fileName) : TCustomIniFile(fileName) {}
    ~TIniFile() override;

    AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) override;
    void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) override;
    void ReadSection(const AnsiString& section, TStrings* strings) override;
    void ReadSections(TStrings* strings) override;
    void EraseSection(const AnsiString& section) override;
    void DeleteKey(const AnsiString& section, const AnsiString& ident) override;
    // Flushes Windows' cached copy of the file; the destructor does it too.
    void UpdateFile() override;
};
