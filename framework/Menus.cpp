#include "framework/Menus.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <string_view>

#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Handles.h"

// ---------------------------------------------------------------------------------------------------------------
// Shortcut texts

namespace {

struct KeyName {
    unsigned char key;
    const char* name;
};

constexpr KeyName namedKeys[] = {
    {VK_CANCEL, "Break"},      {VK_BACK, "BkSp"},         {VK_TAB, "Tab"},          {VK_CLEAR, "Clear"},
    {VK_RETURN, "Enter"},      {VK_SHIFT, "Shift"},       {VK_CONTROL, "Ctrl"},     {VK_MENU, "Alt"},
    {VK_PAUSE, "Pause"},       {VK_CAPITAL, "CapsLock"},  {VK_ESCAPE, "Esc"},       {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"},        {VK_NEXT, "PgDn"},         {VK_END, "End"},          {VK_HOME, "Home"},
    {VK_LEFT, "Left"},         {VK_UP, "Up"},             {VK_RIGHT, "Right"},      {VK_DOWN, "Down"},
    {VK_SELECT, "Select"},     {VK_PRINT, "Print"},       {VK_EXECUTE, "Execute"},  {VK_SNAPSHOT, "PrtSc"},
    {VK_INSERT, "Ins"},        {VK_DELETE, "Del"},        {VK_HELP, "Help"},        {VK_LWIN, "LWin"},
    {VK_RWIN, "RWin"},         {VK_APPS, "Apps"},         {VK_SLEEP, "Sleep"},      {VK_MULTIPLY, "Num*"},
    {VK_ADD, "Num+"},          {VK_SEPARATOR, "NumSep"},  {VK_SUBTRACT, "Num-"},    {VK_DECIMAL, "Num."},
    {VK_DIVIDE, "Num/"},       {VK_NUMLOCK, "NumLock"},   {VK_SCROLL, "ScrollLock"}, {VK_LSHIFT, "LShift"},
    {VK_RSHIFT, "RShift"},     {VK_LCONTROL, "LCtrl"},    {VK_RCONTROL, "RCtrl"},   {VK_LMENU, "LAlt"},
    {VK_RMENU, "RAlt"},        {VK_OEM_1, ";"},           {VK_OEM_PLUS, "="},       {VK_OEM_COMMA, "Comma"},
    {VK_OEM_MINUS, "-"},       {VK_OEM_PERIOD, "."},      {VK_OEM_2, "/"},          {VK_OEM_3, "`"},
    {VK_OEM_4, "["},           {VK_OEM_5, "\\"},          {VK_OEM_6, "]"},          {VK_OEM_7, "'"},
    {VK_OEM_102, "Oem102"},
};

struct Modifier {
    TShortCut bit;
    std::string_view prefix;
};
constexpr Modifier modifiers[] = {{scShift, "Shift+"}, {scCtrl, "Ctrl+"}, {scAlt, "Alt+"}};

const char hexDigits[] = "0123456789ABCDEF";

// The name of every key code, made once.
const std::array<std::string, 256>& KeyNames()
{
    static const std::array<std::string, 256> names = [] {
        std::array<std::string, 256> n;
        for (int k = 1; k < 256; ++k) n[k] = std::string("#") + hexDigits[k >> 4] + hexDigits[k & 15];
        for (char c = '0'; c <= '9'; ++c) n[unsigned(c)] = std::string(1, c);
        for (char c = 'A'; c <= 'Z'; ++c) n[unsigned(c)] = std::string(1, c);
        for (int d = 0; d <= 9; ++d) n[VK_NUMPAD0 + d] = "Num" + std::to_string(d);
        for (int f = 1; f <= 24; ++f) n[VK_F1 + f - 1] = "F" + std::to_string(f);
        for (const KeyName& k : namedKeys) n[k.key] = k.name;
        return n;
    }();
    return names;
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool StartsWithText(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

int HexValue(char c)
{
    const char* p = std::char_traits<char>::find(hexDigits, 16, char(std::toupper(static_cast<unsigned char>(c))));
    return p ? int(p - hexDigits) : -1;
}

unsigned KeyFromName(std::string_view name)
{
    if (name.empty()) return 0;
    const auto& names = KeyNames();
    for (unsigned k = 1; k < 256; ++k)
        if (SameText(name, names[k])) return k;
    if (StartsWithText(name, "Num ")) {  // the system's own spelling of the keypad keys
        std::string joined = "Num";
        joined += name.substr(4);
        return KeyFromName(joined);
    }
    if (name == ",") return VK_OEM_COMMA;
    if (name[0] == '#' && (name.size() == 2 || name.size() == 3)) {
        unsigned value = 0;
        for (char c : name.substr(1)) {
            const int digit = HexValue(c);
            if (digit < 0) return 0;
            value = value * 16 + unsigned(digit);
        }
        return value;
    }
    return 0;
}

}  // namespace

TShortCut ShortCut(WORD key, TShiftState shift)
{
    TShortCut s = TShortCut(key & 0xFF);
    if (shift.Contains(ssShift)) s |= scShift;
    if (shift.Contains(ssCtrl)) s |= scCtrl;
    if (shift.Contains(ssAlt)) s |= scAlt;
    return s;
}

void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift)
{
    key = shortCut & 0xFF;
    shift.Clear();
    if (shortCut & scShift) shift.Include(ssShift);
    if (shortCut & scCtrl) shift.Include(ssCtrl);
    if (shortCut & scAlt) shift.Include(ssAlt);
}

AnsiString ShortCutToText(TShortCut shortCut)
{
    const unsigned key = shortCut & 0xFF;
    if (key == 0) return AnsiString();
    std::string text;
    for (const Modifier& m : modifiers)
        if (shortCut & m.bit) text += m.prefix;
    text += KeyNames()[key];
    return AnsiString(text);
}

TShortCut TextToShortCut(const AnsiString& text)
{
    std::string_view rest = text;
    TShortCut shift = 0;
    for (bool found = true; found;) {
        found = false;
        for (const Modifier& m : modifiers)
            if (StartsWithText(rest, m.prefix)) {
                shift |= m.bit;
                rest.remove_prefix(m.prefix.size());
                found = true;
            }
    }
    const unsigned key = KeyFromName(rest);
    return key == 0 ? TShortCut(0) : TShortCut(shift | key);
}

// ---------------------------------------------------------------------------------------------------------------
// TMenuActionLink

const char cLineCaption[] = "-";

TMenuActionLink::TMenuActionLink(TMenuItem* client) : TActionLink(client), item_(client) {}

bool TMenuActionLink::IsCaptionLinked() const
{
    return TActionLink::IsCaptionLinked() && item_->Caption() == CustomAction()->Caption();
}
bool TMenuActionLink::IsCheckedLinked() const
{
    return TActionLink::IsCheckedLinked() && item_->Checked() == CustomAction()->Checked();
}
bool TMenuActionLink::IsEnabledLinked() const
{
    return TActionLink::IsEnabledLinked() && item_->Enabled() == CustomAction()->Enabled();
}
bool TMenuActionLink::IsHintLinked() const
{
    return TActionLink::IsHintLinked() && item_->Hint() == CustomAction()->Hint();
}
bool TMenuActionLink::IsImageIndexLinked() const
{
    return TActionLink::IsImageIndexLinked() && item_->ImageIndex() == CustomAction()->ImageIndex();
}
bool TMenuActionLink::IsShortCutLinked() const
{
    return TActionLink::IsShortCutLinked() && item_->ShortCut() == CustomAction()->ShortCut();
}
bool TMenuActionLink::IsVisibleLinked() const
{
    return TActionLink::IsVisibleLinked() && item_->Visible() == CustomAction()->Visible();
}

void TMenuActionLink::SetCaption(const AnsiString& value)
{
    if (IsCaptionLinked()) item_->SetCaption(value);
}
void TMenuActionLink::SetChecked(bool value)
{
    if (IsCheckedLinked()) item_->SetChecked(value);
}
void TMenuActionLink::SetEnabled(bool value)
{
    if (IsEnabledLinked()) item_->SetEnabled(value);
}
void TMenuActionLink::SetHint(const AnsiString& value)
{
    if (IsHintLinked()) item_->SetHint(value);
}
void TMenuActionLink::SetImageIndex(int value)
{
    if (IsImageIndexLinked()) item_->SetImageIndex(value);
}
void TMenuActionLink::SetShortCut(TShortCut value)
{
    if (IsShortCutLinked()) item_->SetShortCut(value);
}
void TMenuActionLink::SetVisible(bool value)
{
    if (IsVisibleLinked()) item_->SetVisible(value);
}

// ---------------------------------------------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem()
{
    // Last first, each leaving this item as it goes.
    while (!items_.empty()) delete items_.back();
    if (parent_) parent_->Remove(this);
    actionLink_.reset();
}

TBasicAction* TMenuItem::Action() const
{
    return actionLink_ ? actionLink_->Action() : nullptr;
}

void TMenuItem::SetAction(TBasicAction* value)
{
    if (!value) {
        actionLink_.reset();
        return;
    }
    if (!actionLink_) actionLink_ = std::make_unique<TMenuActionLink>(this);
    actionLink_->SetAction(value);
    ActionChange(value, ComponentState().Contains(csLoading));
}

void TMenuItem::ActionChange(TObject* sender, bool checkDefaults)
{
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action) return;
    if (!checkDefaults || caption_.IsEmpty()) caption_ = action->Caption();
    if (!checkDefaults || !checked_) checked_ = action->Checked();
    if (!checkDefaults || enabled_) enabled_ = action->Enabled();
    if (!checkDefaults || hint_.IsEmpty()) hint_ = action->Hint();
    if (!checkDefaults || imageIndex_ == -1) imageIndex_ = action->ImageIndex();
    if (!checkDefaults || shortCut_ == 0) shortCut_ = action->ShortCut();
    if (!checkDefaults || visible_) visible_ = action->Visible();
}

void TMenuItem::InitiateAction()
{
    if (actionLink_) actionLink_->Update();
    const std::vector<TMenuItem*> items = items_;
    for (TMenuItem* item : items)
        if (std::find(items_.begin(), items_.end(), item) != items_.end()) item->InitiateAction();
}

void TMenuItem::Click()
{
    if (onClick_)
        onClick_(this);
    else if (actionLink_)
        actionLink_->Execute(this);
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count()) TList::Error("List index out of bounds (%d)", index);
    return items_[std::size_t(index)];
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item) return;
    bool cycle = false;
    for (const TMenuItem* p = this; p; p = p->parent_) cycle |= p == item;
    if (item->parent_ || cycle) throw EMenuError("Menu inserted twice");
    if (index < 0 || index > Count()) TList::Error("List index out of bounds (%d)", index);
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
}

void TMenuItem::Delete(int index)
{
    TMenuItem* item = Items(index);
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
}

void TMenuItem::Remove(TMenuItem* item)
{
    const int index = IndexOf(item);
    if (index < 0) throw EMenuError("Menu item not found");
    Delete(index);
}

void TMenuItem::Clear()
{
    while (!items_.empty()) delete items_.back();
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    const auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

int TMenuItem::MenuIndex() const
{
    return parent_ ? parent_->IndexOf(this) : -1;
}

void TMenuItem::SetMenuIndex(int value)
{
    if (!parent_) return;
    TMenuItem* parent = parent_;
    const int count = parent->Count();
    value = std::clamp(value, 0, count - 1);
    parent->Delete(MenuIndex());
    parent->Insert(value, this);
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* item = this;
    while (item->parent_) item = item->parent_;
    return item->menu_;
}

// ---------------------------------------------------------------------------------------------------------------
// TMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr))
{
    items_->menu_ = this;
}

TMenu::~TMenu()
{
    items_.reset();
}

bool TMenu::Contains(const TMenuItem* parent, const TMenuItem* item) const
{
    for (int i = 0; i < parent->Count(); ++i) {
        const TMenuItem* child = parent->Items(i);
        if (child == item || Contains(child, item)) return true;
    }
    return false;
}

void TMenu::AppendItems(HMENU menu, TMenuItem* parent)
{
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible()) continue;
        if (item->IsLine()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AnsiString text = item->Caption();
        if (item->ShortCut()) text += AnsiString("\t") + ShortCutToText(item->ShortCut());
        UINT flags = MF_STRING;
        if (!item->Enabled()) flags |= MF_GRAYED;
        if (item->Checked()) flags |= MF_CHECKED;
        if (item->Count() > 0) {
            MenuHandle sub(CreatePopupMenu());
            if (!sub) RaiseLastOSError();
            AppendItems(sub.get(), item);
            if (!AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.get()), text.c_str()))
                RaiseLastOSError();
            sub.release();  // the parent menu frees it now
        } else {
            commands_.push_back(item);
            if (!AppendMenuA(menu, flags, UINT_PTR(commands_.size()), text.c_str())) RaiseLastOSError();
        }
    }
}

HMENU TMenu::BuildMenu()
{
    commands_.clear();
    MenuHandle menu(CreatePopupMenu());
    if (!menu) RaiseLastOSError();
    AppendItems(menu.get(), items_.get());
    return menu.release();
}

TMenuItem* TMenu::FindCommand(UINT command) const
{
    if (command == 0 || command > commands_.size()) return nullptr;
    TMenuItem* item = commands_[command - 1];
    // Something run while the menu was open may have freed items.
    return Contains(items_.get(), item) ? item : nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// TPopupMenu

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu()
{
    SetPopupComponent(nullptr);
}

void TPopupMenu::SetPopupComponent(TComponent* value)
{
    if (value == popupComponent_) return;
    if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
    popupComponent_ = value;
    if (popupComponent_) popupComponent_->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TMenu::Notification(component, operation);
    if (operation == opRemove && component == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::DoPopup(TObject* sender)
{
    if (onPopup_) onPopup_(sender);
}

void TPopupMenu::Popup(int X, int Y)
{
    DoPopup(this);
    Items()->InitiateAction();
    const MenuHandle menu(BuildMenu());
    const HWND owner = Application->Handle();
    // The command comes back as the result; no WM_COMMAND goes to the owner.
    const UINT command = UINT(TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, X, Y, 0,
                                             owner, nullptr));
    // Lets a menu opened for a notification-area icon close when the user clicks elsewhere next time.
    PostMessageA(owner, WM_NULL, 0, 0);
    if (TMenuItem* item = FindCommand(command)) item->Click();
}

namespace {

// How a control's right click or WM_CONTEXTMENU opens its popup menu.
void PopupForControl(TPopupMenu* menu, TControl* component, int x, int y)
{
    if (!menu->AutoPopup()) return;
    menu->SetPopupComponent(component);
    menu->Popup(x, y);
}

const bool popupHookInstalled = (PopupMenuHook = &PopupForControl, true);

}  // namespace
