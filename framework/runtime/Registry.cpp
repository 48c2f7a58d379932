#include "framework/runtime/Registry.h"

#include <string>
#include <vector>

namespace {

[[noreturn]] void FailGet(const AnsiString& name)
{
    throw ERegistryException("Failed to get data for '" + name + "'");
}
[[noreturn]] void FailSet(const AnsiString& name)
{
    throw ERegistryException("Failed to set data for '" + name + "'");
}
[[noreturn]] void FailType(const AnsiString& name)
{
    throw ERegistryException("Invalid data type for '" + name + "'");
}

// A key path as given: "\" in front means from the root. Leading and trailing separators are not
// part of the path itself.
struct KeyPath {
    bool absolute = false;
    AnsiString path;
};

KeyPath ParsePath(const AnsiString& key)
{
    const std::string& s = key.str();
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == '\\') ++b;
    while (e > b && s[e - 1] == '\\') --e;
    return {b > 0, AnsiString(s.substr(b, e - b))};
}

TRegDataType DataTypeOf(DWORD type)
{
    switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
    }
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

enum class TextRead { ok, missing, wrongType, failed };

// Reads a text value whole, however long; the text ends at its first NUL.
TextRead QueryText(HKEY key, const AnsiString& name, AnsiString& out)
{
    if (!key) return TextRead::missing;
    DWORD type = 0, size = 0;
    LONG r = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (r == ERROR_FILE_NOT_FOUND) return TextRead::missing;
    if (r != ERROR_SUCCESS) return TextRead::failed;
    if (!IsText(type)) return TextRead::wrongType;
    std::vector<char> buf;
    for (;;) {
        buf.assign(std::size_t(size) + 1, '\0');
        DWORD got = size;
        r = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got);
        if (r == ERROR_MORE_DATA) {  // grew in between
            size = got > size ? got : size * 2 + 16;
            continue;
        }
        if (r == ERROR_FILE_NOT_FOUND) return TextRead::missing;
        if (r != ERROR_SUCCESS) return TextRead::failed;
        if (!IsText(type)) return TextRead::wrongType;
        out = AnsiString(buf.data());
        return TextRead::ok;
    }
}

void SetText(HKEY key, const AnsiString& name, const AnsiString& value)
{
    if (!key || RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               DWORD(value.Length()) + 1) != ERROR_SUCCESS)
        FailSet(name);
}

std::vector<AnsiString> SubKeyNames(HKEY key)
{
    std::vector<AnsiString> names;
    if (!key) return names;
    DWORD maxLen = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    std::vector<char> buf(std::size_t(maxLen) + 1 > 256 ? std::size_t(maxLen) + 1 : 256);
    for (DWORD i = 0;;) {
        DWORD len = DWORD(buf.size());
        LONG r = RegEnumKeyExA(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_MORE_DATA) {
            buf.resize(buf.size() * 2);
            continue;
        }
        if (r != ERROR_SUCCESS) break;
        names.emplace_back(buf.data(), int(len));
        ++i;
    }
    return names;
}

std::vector<AnsiString> ValueNames(HKEY key)
{
    std::vector<AnsiString> names;
    if (!key) return names;
    DWORD maxLen = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr,
                     nullptr, nullptr);
    std::vector<char> buf(std::size_t(maxLen) + 1 > 256 ? std::size_t(maxLen) + 1 : 256);
    for (DWORD i = 0;;) {
        DWORD len = DWORD(buf.size());
        LONG r = RegEnumValueA(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_MORE_DATA) {
            buf.resize(buf.size() * 2);
            continue;
        }
        if (r != ERROR_SUCCESS) break;
        names.emplace_back(buf.data(), int(len));
        ++i;
    }
    return names;
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

void Fill(TStrings* strings, const std::vector<AnsiString>& names)
{
    if (!strings) return;
    ListUpdate update(strings);
    strings->Clear();
    for (const AnsiString& n : names) strings->Add(n);
}

// RegDeleteKeyA does not remove a key that has subkeys on NT, so they go first.
LONG DeleteTree(HKEY base, const AnsiString& path)
{
    HKEY raw = nullptr;
    LONG r = RegOpenKeyExA(base, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &raw);
    if (r != ERROR_SUCCESS) return r;
    {
        RegKey key(raw);
        for (const AnsiString& sub : SubKeyNames(key.get())) {
            r = DeleteTree(key.get(), sub);
            if (r != ERROR_SUCCESS) return r;
        }
    }
    return RegDeleteKeyA(base, path.c_str());
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// TRegistry

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(HKEY root)
{
    if (root == root_) return;
    CloseKey();
    root_ = root;
}

HKEY TRegistry::BaseKey(bool absolute) const
{
    return absolute || !current_ ? root_ : current_.get();
}

void TRegistry::ReplaceCurrent(HKEY key, const AnsiString& path, bool absolute)
{
    AnsiString full = path;
    if (!absolute && current_ && !currentPath_.IsEmpty())
        full = path.IsEmpty() ? currentPath_ : currentPath_ + "\\" + path;
    CloseKey();
    current_.reset(key);
    currentPath_ = full;
}

bool TRegistry::OpenWith(const AnsiString& key, REGSAM access, bool canCreate)
{
    KeyPath kp = ParsePath(key);
    HKEY base = BaseKey(kp.absolute);
    HKEY h = nullptr;
    LONG r;
    if (canCreate && !kp.path.IsEmpty())
        r = RegCreateKeyExA(base, kp.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &h,
                            nullptr);
    else
        r = RegOpenKeyExA(base, kp.path.c_str(), 0, access, &h);
    if (r != ERROR_SUCCESS) return false;
    ReplaceCurrent(h, kp.path, kp.absolute);
    return true;
}

bool TRegistry::OpenKey(const AnsiString& key, bool canCreate)
{
    return OpenWith(key, access_, canCreate);
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& key)
{
    return OpenWith(key, KEY_READ, false);
}

void TRegistry::CloseKey()
{
    if (!current_) return;
    if (!lazyWrite_) RegFlushKey(current_.get());
    current_.reset();
    currentPath_ = AnsiString();
}

bool TRegistry::CreateKey(const AnsiString& key)
{
    KeyPath kp = ParsePath(key);
    HKEY h = nullptr;
    if (kp.path.IsEmpty() || RegCreateKeyExA(BaseKey(kp.absolute), kp.path.c_str(), 0, nullptr,
                                             REG_OPTION_NON_VOLATILE, access_, nullptr, &h,
                                             nullptr) != ERROR_SUCCESS)
        throw ERegistryException("Failed to create key " + key);
    RegCloseKey(h);
    return true;
}

bool TRegistry::DeleteKey(const AnsiString& key)
{
    KeyPath kp = ParsePath(key);
    if (kp.path.IsEmpty()) return false;  // never the base key itself
    return DeleteTree(BaseKey(kp.absolute), kp.path) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const AnsiString& key)
{
    KeyPath kp = ParsePath(key);
    HKEY h = nullptr;
    LONG r = RegOpenKeyExA(BaseKey(kp.absolute), kp.path.c_str(), 0, KEY_QUERY_VALUE, &h);
    if (r == ERROR_SUCCESS) RegCloseKey(h);
    return r == ERROR_SUCCESS || r == ERROR_ACCESS_DENIED;  // there, though not ours to read
}

bool TRegistry::HasSubKeys()
{
    DWORD n = 0;
    return current_ && RegQueryInfoKeyA(current_.get(), nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           n > 0;
}

bool TRegistry::ValueExists(const AnsiString& name)
{
    TRegDataInfo info;
    return GetDataInfo(name, info);
}

bool TRegistry::DeleteValue(const AnsiString& name)
{
    return current_ && RegDeleteValueA(current_.get(), name.c_str()) == ERROR_SUCCESS;
}

void TRegistry::GetKeyNames(TStrings* strings)
{
    Fill(strings, SubKeyNames(current_.get()));
}

void TRegistry::GetValueNames(TStrings* strings)
{
    Fill(strings, ValueNames(current_.get()));
}

bool TRegistry::GetDataInfo(const AnsiString& name, TRegDataInfo& info)
{
    info = TRegDataInfo();
    DWORD type = 0, size = 0;
    if (!current_ ||
        RegQueryValueExA(current_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    info.RegData = DataTypeOf(type);
    info.DataSize = int(size);
    return true;
}

TRegDataType TRegistry::GetDataType(const AnsiString& name)
{
    TRegDataInfo info;
    GetDataInfo(name, info);
    return info.RegData;
}

int TRegistry::GetDataSize(const AnsiString& name)
{
    TRegDataInfo info;
    return GetDataInfo(name, info) ? info.DataSize : -1;
}

AnsiString TRegistry::ReadString(const AnsiString& name)
{
    AnsiString text;
    switch (QueryText(current_.get(), name, text)) {
    case TextRead::ok: return text;
    case TextRead::missing: return AnsiString();
    case TextRead::wrongType: FailType(name);
    case TextRead::failed: break;
    }
    FailGet(name);
}

void TRegistry::WriteString(const AnsiString& name, const AnsiString& value)
{
    SetText(current_.get(), name, value);
}

void TRegistry::ReadData(const AnsiString& name, void* buffer, DWORD size, TRegDataType expected)
{
    TRegDataInfo info;
    if (!GetDataInfo(name, info)) FailGet(name);
    if (info.RegData != expected) FailType(name);
    DWORD type = 0, got = size;
    if (RegQueryValueExA(current_.get(), name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &got) !=
        ERROR_SUCCESS)
        FailGet(name);
    if (DataTypeOf(type) != expected) FailType(name);
}

int TRegistry::ReadInteger(const AnsiString& name)
{
    DWORD v = 0;
    ReadData(name, &v, sizeof v, rdInteger);
    return int(v);
}

void TRegistry::WriteInteger(const AnsiString& name, int value)
{
    DWORD v = DWORD(value);
    if (!current_ || RegSetValueExA(current_.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                                    sizeof v) != ERROR_SUCCESS)
        FailSet(name);
}

int TRegistry::ReadBinaryData(const AnsiString& name, void* buffer, int bufSize)
{
    int size = GetDataSize(name);
    if (size < 0 || size > bufSize) FailGet(name);
    ReadData(name, buffer, DWORD(size), rdBinary);
    return size;
}

void TRegistry::WriteBinaryData(const AnsiString& name, const void* buffer, int bufSize)
{
    if (!current_ || bufSize < 0 ||
        RegSetValueExA(current_.get(), name.c_str(), 0, REG_BINARY, static_cast<const BYTE*>(buffer),
                       DWORD(bufSize)) != ERROR_SUCCESS)
        FailSet(name);
}

// ---------------------------------------------------------------------------------------------------------------
// TRegIniFile

TRegIniFile::TRegIniFile(const AnsiString& fileName, REGSAM access) : TRegistry(access), fileName_(fileName)
{
    OpenKey(fileName, true);  // no key is open yet, so a leading "\" changes nothing
}

TRegIniFile::SectionKey TRegIniFile::OpenSectionRead(const AnsiString& section) const
{
    SectionKey k;
    if (!CurrentKey()) return k;
    if (section.IsEmpty()) {
        k.key = CurrentKey();
        return k;
    }
    HKEY h = nullptr;
    if (RegOpenKeyExA(CurrentKey(), section.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
        k.owner.reset(h);
        k.key = h;
    }
    return k;
}

TRegIniFile::SectionKey TRegIniFile::OpenSectionWrite(const AnsiString& section) const
{
    SectionKey k;
    if (!CurrentKey()) return k;
    if (section.IsEmpty()) {
        k.key = CurrentKey();
        return k;
    }
    HKEY h = nullptr;
    if (RegCreateKeyExA(CurrentKey(), section.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Access(), nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        throw ERegistryException("Failed to create key " + section);
    k.owner.reset(h);
    k.key = h;
    return k;
}

AnsiString TRegIniFile::ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def)
{
    SectionKey k = OpenSectionRead(section);
    AnsiString text;
    return QueryText(k.key, ident, text) == TextRead::ok ? text : def;
}

void TRegIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value)
{
    SectionKey k = OpenSectionWrite(section);
    SetText(k.key, ident, value);
}

int TRegIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int def)
{
    return ReadString(section, ident, AnsiString()).ToIntDef(def);
}

void TRegIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value)
{
    WriteString(section, ident, AnsiString(value));
}

bool TRegIniFile::ReadBool(const AnsiString& section, const AnsiString& ident, bool def)
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

void TRegIniFile::ReadSection(const AnsiString& section, TStrings* strings)
{
    SectionKey k = OpenSectionRead(section);
    Fill(strings, ValueNames(k.key));
}

void TRegIniFile::ReadSections(TStrings* strings)
{
    Fill(strings, SubKeyNames(CurrentKey()));
}

void TRegIniFile::ReadSectionValues(const AnsiString& section, TStrings* strings)
{
    if (!strings) return;
    SectionKey k = OpenSectionRead(section);
    ListUpdate update(strings);
    for (const AnsiString& name : ValueNames(k.key)) {
        AnsiString text;
        if (QueryText(k.key, name, text) != TextRead::ok) text = AnsiString();
        strings->SetValues(name, text);
    }
}

void TRegIniFile::EraseSection(const AnsiString& section)
{
    if (!CurrentKey()) throw ERegistryException("Failed to delete key " + section);
    if (section.IsEmpty()) {
        for (const AnsiString& name : ValueNames(CurrentKey())) {
            LONG r = RegDeleteValueA(CurrentKey(), name.c_str());
            if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND)
                throw ERegistryException("Failed to delete value '" + name + "'");
        }
        return;
    }
    LONG r = DeleteTree(CurrentKey(), section);
    if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND)
        throw ERegistryException("Failed to delete key " + section);
}

void TRegIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident)
{
    if (!CurrentKey()) throw ERegistryException("Failed to delete value '" + ident + "'");
    HKEY key = CurrentKey();
    RegKey owner;
    if (!section.IsEmpty()) {
        HKEY h = nullptr;
        LONG r = RegOpenKeyExA(CurrentKey(), section.c_str(), 0, KEY_SET_VALUE, &h);
        if (r == ERROR_FILE_NOT_FOUND) return;  // no section, nothing to delete
        if (r != ERROR_SUCCESS) throw ERegistryException("Failed to delete value '" + ident + "'");
        owner.reset(h);
        key = h;
    }
    LONG r = RegDeleteValueA(key, ident.c_str());
    if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND)
        throw ERegistryException("Failed to delete value '" + ident + "'");
}

// ---------------------------------------------------------------------------------------------------------------
// TRegistryIniFile

TRegistryIniFile::TRegistryIniFile(const AnsiString& fileName, REGSAM access)
    : TCustomIniFile(fileName), reg_(fileName, access)
{
}

AnsiString TRegistryIniFile::ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def)
{
    return reg_.ReadString(section, ident, def);
}

void TRegistryIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value)
{
    reg_.WriteString(section, ident, value);
}

void TRegistryIniFile::ReadSection(const AnsiString& section, TStrings* strings)
{
    reg_.ReadSection(section, strings);
}

void TRegistryIniFile::ReadSections(TStrings* strings)
{
    reg_.ReadSections(strings);
}

void TRegistryIniFile::EraseSection(const AnsiString& section)
{
    reg_.EraseSection(section);
}

void TRegistryIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident)
{
    reg_.DeleteKey(section, ident);
}
