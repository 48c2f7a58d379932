#include "link/Keymap.h"

#include "framework/runtime/IniFiles.h"
#include "framework/runtime/SysUtils.h"

namespace {

BYTE ScanCode(BYTE key)
{
    return BYTE(MapVirtualKeyA(key, 0));
}

// The modifiers' scan codes do not change while the program runs.
struct ModifierScanCodes {
    BYTE shift = ScanCode(VK_SHIFT);
    BYTE alt = ScanCode(VK_MENU);
    BYTE ctrl = ScanCode(VK_CONTROL);
};

const ModifierScanCodes& Modifiers()
{
    static const ModifierScanCodes codes;
    return codes;
}

AnsiString SectionOf(const AnsiString& portName)
{
    return portName.IsEmpty() ? AnsiString("KeyMap") : "KeyMap." + portName;
}

// Release codes have the top bit set, so the name is read as an unsigned 32-bit number, whole.
bool ParseCode(const AnsiString& name, KvKeyCode& code)
{
    const long long value = StrToInt64Def(name, 0);
    if (value <= 0 || value > 0xFFFFFFFFll) return false;
    code = KvKeyCode(value);
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// KvKeyAction

bool KvKeyAction::Execute(KvKeyInjector& injector) const
{
    const ModifierScanCodes& m = Modifiers();
    const bool needShift = (value_ & scShift) != 0;
    const bool needAlt = (value_ & scAlt) != 0;
    const bool needCtrl = (value_ & scCtrl) != 0;
    const BYTE key = BYTE(value_ & 0xFF);

    // The user's own Shift or Alt would otherwise change the combination.
    const bool shiftDown = (injector.AsyncKeyState(VK_SHIFT) & 0x8000) != 0;
    const bool altDown = (injector.AsyncKeyState(VK_MENU) & 0x8000) != 0;
    if (shiftDown) injector.KeyEvent(VK_SHIFT, m.shift, KEYEVENTF_KEYUP);
    if (altDown) injector.KeyEvent(VK_MENU, m.alt, KEYEVENTF_KEYUP);

    if (needShift) injector.KeyEvent(VK_SHIFT, m.shift, 0);
    if (needAlt) injector.KeyEvent(VK_MENU, m.alt, 0);
    if (needCtrl) injector.KeyEvent(VK_CONTROL, m.ctrl, 0);

    if (key != 0) {
        const BYTE scan = ScanCode(key);
        if (scan != 0) {
            injector.KeyEvent(key, scan, 0);
            injector.KeyEvent(key, scan, KEYEVENTF_KEYUP);
        }
    }

    if (needShift) injector.KeyEvent(VK_SHIFT, m.shift, KEYEVENTF_KEYUP);
    if (needAlt) injector.KeyEvent(VK_MENU, m.alt, KEYEVENTF_KEYUP);
    if (needCtrl) injector.KeyEvent(VK_CONTROL, m.ctrl, KEYEVENTF_KEYUP);

    if (shiftDown) injector.KeyEvent(VK_SHIFT, m.shift, 0);
    if (altDown) injector.KeyEvent(VK_MENU, m.alt, 0);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// KvActionList

void KvActionList::Execute(KvKeyInjector& injector) const
{
    for (const KvKeyAction& action : actions_) action.Execute(injector);
}

bool KvActionList::ToText(TStrings* strings) const
{
    if (!strings) return false;
    strings->Clear();
    for (const KvKeyAction& action : actions_) strings->Add(action.ToText());
    return true;
}

bool KvActionList::FromText(TStrings* strings)
{
    if (!strings) return false;
    actions_.clear();
    for (int i = 0; i < strings->Count(); ++i) {
        KvKeyAction action;
        action.FromText(strings->Strings(i));
        actions_.push_back(action);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// KvKeyMap

void KvKeyMap::SetActions(KvKeyCode code, const KvActionList* list)
{
    if (list)
        lists_[code] = *list;
    else
        lists_.erase(code);
}

KvActionList KvKeyMap::GetActions(KvKeyCode code) const
{
    auto it = lists_.find(code);
    return it == lists_.end() ? KvActionList() : it->second;
}

bool KvKeyMap::Execute(KvKeyCode code, KvKeyInjector& injector) const
{
    auto it = lists_.find(code);
    if (it == lists_.end()) return false;
    it->second.Execute(injector);
    return true;
}

bool KvKeyMap::LoadFromFile(const AnsiString& portName, const AnsiString& fileName)
{
    lists_.clear();
    const AnsiString section = SectionOf(portName);
    TIniFile file(fileName);
    TStringList names;
    file.ReadSection(section, &names);
    TStringList items;
    for (int i = 0; i < names.Count(); ++i) {
        const AnsiString name = names.Strings(i);
        KvKeyCode code;
        if (!ParseCode(name, code)) continue;
        const AnsiString value = file.ReadString(section, name, AnsiString());
        if (value.IsEmpty()) continue;
        items.SetCommaText(value);
        if (items.Count() == 0) continue;
        KvActionList list;
        list.FromText(&items);
        SetActions(code, &list);
    }
    return true;
}

bool KvKeyMap::SaveToFile(const AnsiString& portName, const AnsiString& fileName) const
{
    const AnsiString section = SectionOf(portName);
    try {
        TIniFile file(fileName);
        file.EraseSection(section);
        TStringList items;
        for (const auto& [code, list] : lists_) {
            list.ToText(&items);
            file.WriteString(section, "0x" + IntToHex(unsigned(code), 8), items.CommaText());
        }
        file.UpdateFile();
    } catch (const EIniFileException&) {
        return false;
    }
    return true;
}
