#include "link/Keymap.h"

#include "framework/runtime/IniFiles.h"
#include "framework/runtime/SysUtils.h"

#include <string>
#include <vector>

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

// A value the map takes in: one item at least.
bool Readable(const AnsiString& value)
{
    if (value.IsEmpty()) return false;
    TStringList items;
    items.SetCommaText(value);
    return items.Count() > 0;
}

// The section's lines as the file holds them, however long.
std::vector<std::string> SectionLines(const AnsiString& section, const AnsiString& fileName)
{
    std::vector<char> buffer(1 << 12);
    for (;;) {
        const DWORD n =
            GetPrivateProfileSectionA(section.c_str(), buffer.data(), DWORD(buffer.size()), fileName.c_str());
        if (std::size_t(n) + 2 < buffer.size()) {
            std::vector<std::string> lines;
            for (DWORD i = 0; i < n;) {
                lines.emplace_back(&buffer[i]);
                i += DWORD(lines.back().size()) + 1;
            }
            return lines;
        }
        buffer.resize(buffer.size() * 4);
    }
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
    // Lines the map could not read stay as they are, unless the map now holds their code; the map's own follow
    // in ascending code order. The section is replaced in one write, so a failure leaves the file as it was.
    std::string lines;
    for (const std::string& line : SectionLines(section, fileName)) {
        const std::size_t eq = line.find('=');
        const AnsiString name = line.substr(0, eq).c_str();
        const AnsiString value = eq == std::string::npos ? AnsiString() : AnsiString(line.substr(eq + 1).c_str());
        KvKeyCode code;
        const bool named = ParseCode(name, code);
        if (named && lists_.count(code)) continue;
        if (named && Readable(value)) continue;
        lines.append(line).push_back('\0');
    }
    TStringList items;
    for (const auto& [code, list] : lists_) {
        list.ToText(&items);
        lines.append(("0x" + IntToHex(unsigned(code), 8) + "=" + items.CommaText()).c_str()).push_back('\0');
    }
    lines.push_back('\0');
    if (!WritePrivateProfileSectionA(section.c_str(), lines.data(), fileName.c_str())) return false;
    // Windows keeps the file cached; this writes it out.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName.c_str());
    return true;
}
