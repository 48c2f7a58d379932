#include "framework/runtime/IniFiles.h"

#include <windows.h>

#include <vector>

#include "framework/runtime/SysUtils.h"

namespace {

[[noreturn]] void FailWrite(const AnsiString& fileName)
{
    throw EIniFileException("Unable to write to " + fileName);
}

// The profile API cuts what does not fit into the buffer, so read again with more room until it fits.
// A list (NULL section or key) is cut when the count is size - 2, a value when it is size - 1.
std::vector<char> ReadProfile(const char* section, const char* key, const char* def, const AnsiString& fileName)
{
    const DWORD slack = key ? 1 : 2;
    std::vector<char> buf(4096);
    for (;;) {
        DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(), DWORD(buf.size()), fileName.c_str());
        if (n + slack < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.assign(buf.size() * 2, '\0');
    }
}

// Holds a list's updating state for a scope.
class ListUpdate {
public:
    explicit ListUpdate(TStrings* s) : s_(s) { s_->BeginUpdate(); }
    ListUpdate(const ListUpdate&) = delete;
    ListUpdate& operator=(const ListUpdate&) = delete;
    ~ListUpdate() { s_->EndUpdate(); }

private:
    TStrings* s_;
};

// Splits a NUL-separated list as the profile API returns it.
void FillList(TStrings* strings, const std::vector<char>& list)
{
    if (!strings) return;
    ListUpdate update(strings);
    strings->Clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i == list.size() || list[i] == '\0') {
            if (i > start) strings->Add(AnsiString(list.data() + start, int(i - start)));
            start = i + 1;
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// TCustomIniFile

int TCustomIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int def)
{
    return ReadString(section, ident, AnsiString()).ToIntDef(def);
}

void TCustomIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value)
{
    WriteString(section, ident, AnsiString(value));
}

bool TCustomIniFile::ReadBool(const AnsiString& section, const AnsiString& ident, bool def)
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

long double TCustomIniFile::ReadFloat(const AnsiString& section, const AnsiString& ident, long double def)
{
    AnsiString text = ReadString(section, ident, AnsiString());
    if (text.IsEmpty()) return def;
    try {
        return StrToFloat(text);
    } catch (const EConvertError&) {
        return def;
    }
}

void TCustomIniFile::WriteFloat(const AnsiString& section, const AnsiString& ident, long double value)
{
    WriteString(section, ident, FloatToStr(value));
}

void TCustomIniFile::ReadSectionValues(const AnsiString& section, TStrings* strings)
{
    if (!strings) return;
    TStringList names;
    ReadSection(section, &names);
    ListUpdate update(strings);
    strings->Clear();
    for (int i = 0; i < names.Count(); ++i) {
        AnsiString name = names.Strings(i);
        strings->Add(name + "=" + ReadString(section, name, AnsiString()));
    }
}

bool TCustomIniFile::SectionExists(const AnsiString& section)
{
    TStringList names;
    ReadSection(section, &names);
    return names.Count() > 0;
}

bool TCustomIniFile::ValueExists(const AnsiString& section, const AnsiString& ident)
{
    TStringList names;
    ReadSection(section, &names);
    for (int i = 0; i < names.Count(); ++i)
        if (SameText(names.Strings(i), ident)) return true;  // names ignore case
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// TIniFile

TIniFile::~TIniFile()
{
    UpdateFile();
}

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def)
{
    std::vector<char> text = ReadProfile(section.c_str(), ident.c_str(), def.c_str(), FileName());
    return AnsiString(text.data(), int(text.size()));
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value)
{
    if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), value.c_str(), FileName().c_str()))
        FailWrite(FileName());
}

void TIniFile::ReadSection(const AnsiString& section, TStrings* strings)
{
    FillList(strings, ReadProfile(section.c_str(), nullptr, "", FileName()));
}

void TIniFile::ReadSections(TStrings* strings)
{
    FillList(strings, ReadProfile(nullptr, nullptr, "", FileName()));
}

void TIniFile::EraseSection(const AnsiString& section)
{
    if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, FileName().c_str())) FailWrite(FileName());
}

void TIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident)
{
    if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), nullptr, FileName().c_str()))
        FailWrite(FileName());
}

void TIniFile::UpdateFile()
{
    // Windows keeps the file cached; this writes it out. Wine writes at once and answers FALSE here.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName().c_str());
}
