#include "framework/visual/Menus.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <string_view>

#include "framework/visual/Controls.h"
#include "framework/visual/Forms.h"
#include "framework/runtime/Handles.h"
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
