#include "zcl/core/Zclinictrl.h"

#include <memory>

#include "framework/runtime/Filer.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclprocs.h"
#include "zcl/core/Zclstrings.h"
#include "zcl/core/Zclsysin.h"
#include "zcl/core/Zclutils.h"

namespace {

// Published in this order; a form file omits the defaults.
const bool iniCtrlPublished = [] {
    PublishedProperties<TZCLIniCtrl>()
        .String("About", &TZCLIniCtrl::About, &TZCLIniCtrl::SetAbout)
        .Boolean("AlphaCounter", &TZCLIniCtrl::AlphaCounter, &TZCLIniCtrl::SetAlphaCounter, false)
        .Boolean("Common", &TZCLIniCtrl::Common, &TZCLIniCtrl::SetCommon, true)
        .String("IniFile", &TZCLIniCtrl::IniFile, &TZCLIniCtrl::SetIniFile)
        .Enumeration("IniPrefix", &TZCLIniCtrl::IniPrefix, &TZCLIniCtrl::SetIniPrefix,
                     {"ppWindows", "ppSystem", "ppProgram", "ppFixed"}, ppWindows)
        .Integer("MaxEntries", &TZCLIniCtrl::MaxEntries, &TZCLIniCtrl::SetMaxEntries, 16)
        .Boolean("NetUser", &TZCLIniCtrl::NetUser, &TZCLIniCtrl::SetNetUser, false)
        .String("User", &TZCLIniCtrl::User, &TZCLIniCtrl::SetUser)
        .String("RegPath", &TZCLIniCtrl::RegPath, &TZCLIniCtrl::SetRegPath)
        .Enumeration("RegRoot", &TZCLIniCtrl::RegRoot, &TZCLIniCtrl::SetRegRoot,
                     {"rpClassesRoot", "rpCurrentUser", "rpLocalMachine", "rpUsers", "rpCurrentConfig", "rpDynData"},
                     rpCurrentUser)
        .Enumeration("Target", &TZCLIniCtrl::Target, &TZCLIniCtrl::SetTarget, {"itIniFile", "itRegistry", "itAuto"},
                     itAuto);
    return true;
}();

}  // namespace

HKEY ZCLGetRootKey(TZCLRegRootKey Key)
{
    switch (Key) {
    case rpClassesRoot: return HKEY_CLASSES_ROOT;
    case rpCurrentUser: return HKEY_CURRENT_USER;
    case rpLocalMachine: return HKEY_LOCAL_MACHINE;
    case rpUsers: return HKEY_USERS;
    case rpCurrentConfig: return HKEY_CURRENT_CONFIG;
    case rpDynData: return HKEY_DYN_DATA;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// TZCLRegIniFile

TZCLRegIniFile::TZCLRegIniFile(HKEY Root, const AnsiString& Path, bool ReadOnly)
{
    SetLazyWrite(true);
    SetFileName(Path);
    SetRootKey(Root);
    if (ReadOnly) {
        SetAccess(KEY_READ);
        OpenKeyReadOnly(Path);
    } else {
        SetAccess(KEY_ALL_ACCESS);
        OpenKey(Path, true);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// TZCLIniCtrl

TZCLIniCtrl::TZCLIniCtrl(TComponent* AOwner) : TZCLCustomComponent(AOwner) {}

void TZCLIniCtrl::SetNetUser(bool value)
{
    if (value == netUser_) return;
    netUser_ = value;
    if (netUser_) user_ = GetNetUserName();
}

void TZCLIniCtrl::SetIniFile(const AnsiString& value)
{
    // An empty name stays empty, so that the program's own .INI applies.
    if (!value.IsEmpty() && ExtractFileExt(value).IsEmpty())
        iniFile_ = value + ".INI";
    else
        iniFile_ = value;
}

void TZCLIniCtrl::SetAlphaCounter(bool value)
{
    if (value == alphaCounter_) return;
    alphaCounter_ = value;
    if (alphaCounter_ && maxEntries_ > 26) maxEntries_ = 26;
}

void TZCLIniCtrl::SetMaxEntries(std::uint8_t value)
{
    if (alphaCounter_ && value > 26) return;
    maxEntries_ = value;
}

void TZCLIniCtrl::SetTarget(TZCLIniTarget value)
{
    target_ = value;
    effectiveTarget_ = value == itIniFile ? 0 : 1;
}

AnsiString TZCLIniCtrl::GetNetUserName() { return ZCLSIUserName(); }

AnsiString TZCLIniCtrl::GetRegPath() const
{
    if (ZCLEmpty(regPath_)) return ZCLApplication->GetDefaultRegPath();
    return ZCLSlashAdd(regPath_);
}

AnsiString TZCLIniCtrl::GetIniName()
{
    if (iniFile_.IsEmpty()) iniFile_ = ChangeFileExt(ParamStr(0), ".INI");
    if (iniPrefix_ == ppFixed) return iniFile_;
    return ZCLCreatePathPrefix(iniPrefix_, true) + ExtractFileName(iniFile_);
}

AnsiString TZCLIniCtrl::GetSectionName(const AnsiString& Section)
{
    if (ZCLEmpty(Section)) return ZCLEmpty(lastSection_) ? AnsiString("Common") : lastSection_;
    AnsiString name;
    if (UsesRegistry())
        name = Section == "#ROOT" ? AnsiString() : Section;
    else if (common_)
        name = Section;
    else
        name = Section + "." + (netUser_ ? GetNetUserName() : user_);
    lastSection_ = name;
    return name;
}

AnsiString TZCLIniCtrl::GetCounterIdent(std::uint8_t Index) const
{
    if (alphaCounter_) return AnsiString(char(65 + Index));
    return IntToStr(int(Index));
}

template <typename F>
decltype(auto) TZCLIniCtrl::WithStore(bool write, F&& operation)
{
    if (UsesRegistry()) {
        TZCLRegIniFile store(ZCLGetRootKey(regRoot_), GetRegPath(), !write);
        return operation(store);
    }
    TIniFile store(GetIniName());
    return operation(store);
}

AnsiString TZCLIniCtrl::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default)
{
    return WithStore(false, [&](auto& store) { return store.ReadString(GetSectionName(Section), Ident, Default); });
}

void TZCLIniCtrl::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value)
{
    WithStore(true, [&](auto& store) { store.WriteString(GetSectionName(Section), Ident, Value); });
}

std::int32_t TZCLIniCtrl::ReadInteger(const AnsiString& Section, const AnsiString& Ident, std::int32_t Default)
{
    return WithStore(false,
                     [&](auto& store) { return store.ReadInteger(GetSectionName(Section), Ident, Default); });
}

void TZCLIniCtrl::WriteInteger(const AnsiString& Section, const AnsiString& Ident, std::int32_t Value)
{
    WithStore(true, [&](auto& store) { store.WriteInteger(GetSectionName(Section), Ident, Value); });
}

bool TZCLIniCtrl::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default)
{
    return WithStore(false, [&](auto& store) { return store.ReadBool(GetSectionName(Section), Ident, Default); });
}

void TZCLIniCtrl::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value)
{
    WithStore(true, [&](auto& store) { store.WriteBool(GetSectionName(Section), Ident, Value); });
}

long double TZCLIniCtrl::ReadFloat(const AnsiString& Section, const AnsiString& Ident, long double Default)
{
    return StrToFloat(ReadString(Section, Ident, FloatToStr(Default)));
}

void TZCLIniCtrl::WriteFloat(const AnsiString& Section, const AnsiString& Ident, long double Value)
{
    WriteString(Section, Ident, FloatToStr(Value));
}

TDateTime TZCLIniCtrl::ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default)
{
    return StrToDate(ReadString(Section, Ident, DateToStr(Default)));
}

void TZCLIniCtrl::WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value)
{
    WriteString(Section, Ident, DateToStr(Value));
}

TDateTime TZCLIniCtrl::ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default)
{
    return StrToTime(ReadString(Section, Ident, TimeToStr(Default)));
}

void TZCLIniCtrl::WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value)
{
    WriteString(Section, Ident, TimeToStr(Value));
}

TDateTime TZCLIniCtrl::ReadDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default)
{
    return StrToDateTime(ReadString(Section, Ident, DateTimeToStr(Default)));
}

void TZCLIniCtrl::WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value)
{
    WriteString(Section, Ident, DateTimeToStr(Value));
}

TColor TZCLIniCtrl::ReadColor(const AnsiString& Section, const AnsiString& Ident, TColor Default)
{
    return StringToColor(ReadString(Section, Ident, ColorToString(Default)));
}

void TZCLIniCtrl::WriteColor(const AnsiString& Section, const AnsiString& Ident, TColor Value)
{
    WriteString(Section, Ident, ColorToString(Value));
}

bool TZCLIniCtrl::ReadFont(const AnsiString& Section, const AnsiString& Ident, TFont* Font)
{
    const AnsiString text = ReadString(Section, Ident, AnsiString());
    if (text.IsEmpty()) return false;
    ZCLStringToFont(text, Font);
    return true;
}

void TZCLIniCtrl::WriteFont(const AnsiString& Section, const AnsiString& Ident, TFont* Font)
{
    WriteString(Section, Ident, ZCLFontToString(Font));
}

TPoint TZCLIniCtrl::ReadPoint(const AnsiString& Section, const AnsiString& Ident, const TPoint& Default)
{
    return ZCLStringToPoint(ReadString(Section, Ident, ZCLPointToString(Default)));
}

void TZCLIniCtrl::WritePoint(const AnsiString& Section, const AnsiString& Ident, const TPoint& Value)
{
    WriteString(Section, Ident, ZCLPointToString(Value));
}

TRect TZCLIniCtrl::ReadRect(const AnsiString& Section, const AnsiString& Ident, const TRect& Default)
{
    return ZCLStringToRect(ReadString(Section, Ident, ZCLRectToString(Default)));
}

void TZCLIniCtrl::WriteRect(const AnsiString& Section, const AnsiString& Ident, const TRect& Value)
{
    WriteString(Section, Ident, ZCLRectToString(Value));
}

void TZCLIniCtrl::ReadStringsExt(const AnsiString& Section, const AnsiString& Ident, TStrings* Strings,
                                 std::uint8_t Count)
{
    WithStore(false, [&](auto& store) {
        Strings->Clear();
        const AnsiString section = GetSectionName(Section);
        for (int i = 0; i < Count; ++i) {
            const AnsiString item = store.ReadString(section, Ident + GetCounterIdent(std::uint8_t(i)), AnsiString());
            if (item.IsEmpty()) break;
            Strings->Add(item);
        }
    });
}

void TZCLIniCtrl::WriteStringsExt(const AnsiString& Section, const AnsiString& Ident, TStrings* Strings,
                                  std::uint8_t Count)
{
    WithStore(true, [&](auto& store) {
        const AnsiString section = GetSectionName(Section);
        store.EraseSection(section);
        const int n = Strings->Count() < Count ? Strings->Count() : Count;
        for (int i = 0; i < n; ++i)
            store.WriteString(section, Ident + GetCounterIdent(std::uint8_t(i)), Strings->Strings(i));
    });
}

void TZCLIniCtrl::ReadStrings(const AnsiString& Section, const AnsiString& Ident, TStrings* Strings)
{
    ReadStringsExt(Section, Ident, Strings, maxEntries_);
}

void TZCLIniCtrl::WriteStrings(const AnsiString& Section, const AnsiString& Ident, TStrings* Strings)
{
    WriteStringsExt(Section, Ident, Strings, maxEntries_);
}

void TZCLIniCtrl::ReadColorList(const AnsiString& Section, TStrings* Strings)
{
    WithStore(false, [&](auto& store) {
        Strings->Clear();
        store.ReadSectionValues(Section, Strings);
    });
}

void TZCLIniCtrl::WriteColorList(const AnsiString& Section, TStrings* Strings)
{
    WithStore(true, [&](auto& store) {
        for (int i = 0; i < Strings->Count(); ++i) {
            const AnsiString line = Strings->Strings(i);
            if (line.Pos("=") == 0) continue;
            const AnsiString name = Strings->Names(i);
            store.WriteString(Section, name, Strings->Values(name));
        }
    });
}

void TZCLIniCtrl::ReadSection(const AnsiString& Section, TStrings* Strings)
{
    WithStore(false, [&](auto& store) { store.ReadSection(GetSectionName(Section), Strings); });
}

void TZCLIniCtrl::ReadSections(TStrings* Strings)
{
    WithStore(false, [&](auto& store) { store.ReadSections(Strings); });
}

void TZCLIniCtrl::ReadSectionValues(const AnsiString& Section, TStrings* Strings)
{
    WithStore(false, [&](auto& store) { store.ReadSectionValues(GetSectionName(Section), Strings); });
}

void TZCLIniCtrl::DeleteKey(const AnsiString& Section, const AnsiString& Ident)
{
    WithStore(true, [&](auto& store) { store.DeleteKey(GetSectionName(Section), Ident); });
}

void TZCLIniCtrl::EraseSection(const AnsiString& Section)
{
    WithStore(true, [&](auto& store) { store.EraseSection(GetSectionName(Section)); });
}

namespace {

// The object store: the framework's registry store, moved to Root when that is another root; or the .ini file.
// The registry store opens (and makes) its path below HKEY_CURRENT_USER: for another root it is given none, so
// nothing is left in a hive the caller did not name.
std::unique_ptr<TCustomIniFile> ObjectStore(TZCLIniCtrl& ctrl, bool write)
{
    if (!ctrl.UsesRegistry()) return std::make_unique<TIniFile>(ctrl.GetIniName());
    const AnsiString path = ctrl.GetRegPath();
    const bool currentUser = ctrl.RegRoot() == rpCurrentUser;
    auto store = std::make_unique<TRegistryIniFile>(currentUser ? path : AnsiString());
    if (!currentUser) {
        TRegIniFile& reg = store->RegIniFile();
        reg.SetRootKey(ZCLGetRootKey(ctrl.RegRoot()));
        if (write)
            reg.OpenKey(path, true);
        else
            reg.OpenKeyReadOnly(path);
    }
    return store;
}

}  // namespace

void TZCLIniCtrl::ReadObject(const AnsiString& Section, TObject* Obj)
{
    const std::unique_ptr<TCustomIniFile> store = ObjectStore(*this, false);
    ZCLLoadObjectProperties(store.get(), GetSectionName(Section), Obj);
}

void TZCLIniCtrl::WriteObject(const AnsiString& Section, TObject* Obj)
{
    const std::unique_ptr<TCustomIniFile> store = ObjectStore(*this, true);
    ZCLSaveObjectProperties(store.get(), GetSectionName(Section), Obj);
}

// ---------------------------------------------------------------------------------------------------------------
// Object properties

namespace {

bool IsOrdinal(TTypeKind kind) { return kind == tkInteger || kind == tkChar || kind == tkEnumeration || kind == tkSet; }

}  // namespace

void ZCLSaveObjectProperties(TCustomIniFile* Ini, const AnsiString& Section, TObject* Obj)
{
    for (const TPropInfo* prop : GetPropList(Obj)) {
        if (!prop->IsStored(Obj)) continue;
        if (IsOrdinal(prop->Kind)) {
            const int value = prop->GetOrd(Obj);
            if (!prop->Default || value != *prop->Default) Ini->WriteInteger(Section, prop->Name, value);
        } else if (prop->Kind == tkFloat) {
            const long double value = prop->GetFloat(Obj);
            if (value != 0) Ini->WriteFloat(Section, prop->Name, value);
        } else if (prop->Kind == tkString) {
            const AnsiString value = prop->GetStr(Obj);
            if (!value.IsEmpty()) Ini->WriteString(Section, prop->Name, value);
        }
    }
}

void ZCLLoadObjectProperties(TCustomIniFile* Ini, const AnsiString& Section, TObject* Obj)
{
    for (const TPropInfo* prop : GetPropList(Obj)) {
        if (IsOrdinal(prop->Kind)) {
            if (prop->SetOrd) prop->SetOrd(Obj, Ini->ReadInteger(Section, prop->Name, prop->GetOrd(Obj)));
        } else if (prop->Kind == tkFloat) {
            if (prop->SetFloat) prop->SetFloat(Obj, Ini->ReadFloat(Section, prop->Name, prop->GetFloat(Obj)));
        } else if (prop->Kind == tkString) {
            if (prop->SetStr) prop->SetStr(Obj, Ini->ReadString(Section, prop->Name, prop->GetStr(Obj)));
        }
    }
}
