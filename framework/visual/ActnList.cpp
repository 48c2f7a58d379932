#include "framework/visual/ActnList.h"

#include <algorithm>

#include "framework/visual/Controls.h"
#include "framework/runtime/Exceptions.h"
#include "framework/visual/ImgList.h"
#include "framework/runtime/SysUtils.h"

// ---------------------------------------------------------------------------------------------------------------
// TBasicActionLink

TBasicActionLink::TBasicActionLink(TObject* client) : client_(client) {}

TBasicActionLink::~TBasicActionLink()
{
    if (action_) action_->UnRegisterLink(this);
}

void TBasicActionLink::SetAction(TBasicAction* value)
{
    if (value == action_) return;
    if (action_) action_->UnRegisterLink(this);
    action_ = value;
    if (action_) action_->RegisterLink(this);
}

bool TBasicActionLink::Execute(TComponent* target)
{
    if (!action_) return false;
    action_->SetActionComponent(target);
    bool executed = false;
    try {
        executed = action_->Execute();
    } catch (...) {
        if (action_) action_->SetActionComponent(nullptr);  // the handler may have freed the action
        throw;
    }
    if (action_) action_->SetActionComponent(nullptr);
    return executed;
}

bool TBasicActionLink::Update()
{
    return action_ ? action_->Update() : false;
}

void TBasicActionLink::Change()
{
    if (onChange_) onChange_(action_);
}

// ---------------------------------------------------------------------------------------------------------------
// TActionLink

TCustomAction* TActionLink::CustomAction() const
{
    return dynamic_cast<TCustomAction*>(Action());
}

bool TActionLink::IsCaptionLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() const { return CustomAction() != nullptr; }

// ---------------------------------------------------------------------------------------------------------------
// TControlActionLink

TControlActionLink::TControlActionLink(TControl* client) : TActionLink(client), control_(client) {}

TControlActionLink::~TControlActionLink()
{
    GiveBackClick();
}

void TControlActionLink::SetAction(TBasicAction* value)
{
    TActionLink::SetAction(value);
    if (!value)
        GiveBackClick();
    else if (!control_->OnClick())
        control_->SetOnClick(OwnClick());
}

void TControlActionLink::ActionFreed()
{
    GiveBackClick();
}

void TControlActionLink::GiveBackClick()
{
    if (control_->OnClick() == OwnClick()) control_->SetOnClick(nullptr);
}

void TControlActionLink::ClientClick(TObject* sender)
{
    (void)sender;
    Execute(control_);
}

bool TControlActionLink::IsCaptionLinked() const
{
    return TActionLink::IsCaptionLinked() && control_->Caption() == CustomAction()->Caption();
}
bool TControlActionLink::IsEnabledLinked() const
{
    return TActionLink::IsEnabledLinked() && control_->Enabled() == CustomAction()->Enabled();
}
bool TControlActionLink::IsHintLinked() const
{
    return TActionLink::IsHintLinked() && control_->Hint() == CustomAction()->Hint();
}
bool TControlActionLink::IsVisibleLinked() const
{
    return TActionLink::IsVisibleLinked() && control_->Visible() == CustomAction()->Visible();
}

void TControlActionLink::SetCaption(const AnsiString& value)
{
    if (IsCaptionLinked()) control_->SetCaption(value);
}
void TControlActionLink::SetEnabled(bool value)
{
    if (IsEnabledLinked()) control_->SetEnabled(value);
}
void TControlActionLink::SetHint(const AnsiString& value)
{
    if (IsHintLinked()) control_->SetHint(value);
}
void TControlActionLink::SetVisible(bool value)
{
    if (IsVisibleLinked()) control_->SetVisible(value);
}

// The action members of TControl live here, with the link they use.

void TControlActionLinkDeleter::operator()(TControlActionLink* link) const
{
    delete link;
}

TBasicAction* TControl::Action() const
{
    return actionLink_ ? actionLink_->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* value)
{
    if (!value) {
        actionLink_.reset();
        return;
    }
    if (!actionLink_) actionLink_ = CreateActionLink();
    actionLink_->SetAction(value);
    ActionChange(value, ComponentState().Contains(csLoading));
}

TControlActionLinkPtr TControl::CreateActionLink()
{
    return TControlActionLinkPtr(new TControlActionLink(this));
}

void TControl::ActionChange(TObject* sender, bool checkDefaults)
{
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action) return;
    if (!checkDefaults || Caption().IsEmpty()) SetCaption(action->Caption());
    if (!checkDefaults || Enabled()) SetEnabled(action->Enabled());
    if (!checkDefaults || Hint().IsEmpty()) SetHint(action->Hint());
    if (!checkDefaults || Visible()) SetVisible(action->Visible());
}

// ---------------------------------------------------------------------------------------------------------------
// TBasicAction

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction()
{
    // A link told here may free itself or others (a client dropping its link): take them one at a time.
    while (!links_.empty()) {
        TBasicActionLink* link = links_.back();
        links_.pop_back();
        link->action_ = nullptr;
        link->ActionFreed();
    }
}

bool TBasicAction::Execute()
{
    if (!onExecute_) return false;
    onExecute_(this);
    return true;
}

bool TBasicAction::Update()
{
    if (!onUpdate_) return false;
    onUpdate_(this);
    return true;
}

void TBasicAction::Change()
{
    // A copy: a link's client may drop its link while it is told.
    const std::vector<TBasicActionLink*> links = links_;
    for (TBasicActionLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
    if (onChange_) onChange_(this);
}

TBasicActionLink* TBasicAction::Links(int index) const
{
    if (index < 0 || index >= LinkCount()) TList::Error("List index out of bounds (%d)", index);
    return links_[std::size_t(index)];
}

void TBasicAction::RegisterLink(TBasicActionLink* link)
{
    links_.push_back(link);
}

void TBasicAction::UnRegisterLink(TBasicActionLink* link)
{
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

// ---------------------------------------------------------------------------------------------------------------
// TContainedAction

TContainedAction::TContainedAction(TComponent* owner) : TBasicAction(owner) {}

TContainedAction::~TContainedAction()
{
    SetActionList(nullptr);
}

void TContainedAction::SetActionList(TCustomActionList* value)
{
    if (value == actionList_) return;
    if (actionList_) actionList_->RemoveAction(this);
    if (value) value->AddAction(this);
}

int TContainedAction::Index() const
{
    if (!actionList_) return -1;
    const auto& actions = actionList_->actions_;
    const auto it = std::find(actions.begin(), actions.end(), this);
    return it == actions.end() ? -1 : int(it - actions.begin());
}

bool TContainedAction::Execute()
{
    if (actionList_ && actionList_->OnExecute()) {
        bool handled = false;
        actionList_->OnExecute()(this, handled);
        if (handled) return true;
    }
    return TBasicAction::Execute();
}

bool TContainedAction::Update()
{
    if (actionList_ && actionList_->OnUpdate()) {
        bool handled = false;
        actionList_->OnUpdate()(this, handled);
        if (handled) return true;
    }
    return TBasicAction::Update();
}

// ---------------------------------------------------------------------------------------------------------------
// TCustomAction

TCustomAction::TCustomAction(TComponent* owner) : TContainedAction(owner) {}

template <typename T, typename Push>
void TCustomAction::Assign(T& field, const T& value, Push push)
{
    if (field == value) return;
    // Pushed while the old value is still in place, so links compare their clients with it.
    const std::vector<TBasicActionLink*> links = LinkList();
    for (TBasicActionLink* link : links) {
        if (std::find(LinkList().begin(), LinkList().end(), link) == LinkList().end()) continue;
        if (auto* actionLink = dynamic_cast<TActionLink*>(link)) push(*actionLink);
    }
    field = value;
    Change();
}

void TCustomAction::SetCaption(const AnsiString& value)
{
    Assign(caption_, value, [&](TActionLink& link) { link.SetCaption(value); });
}

void TCustomAction::SetChecked(bool value)
{
    Assign(checked_, value, [&](TActionLink& link) { link.SetChecked(value); });
}

void TCustomAction::SetEnabled(bool value)
{
    Assign(enabled_, value, [&](TActionLink& link) { link.SetEnabled(value); });
}

void TCustomAction::SetHint(const AnsiString& value)
{
    Assign(hint_, value, [&](TActionLink& link) { link.SetHint(value); });
}

void TCustomAction::SetImageIndex(int value)
{
    Assign(imageIndex_, value, [&](TActionLink& link) { link.SetImageIndex(value); });
}

void TCustomAction::SetShortCut(TShortCut value)
{
    Assign(shortCut_, value, [&](TActionLink& link) { link.SetShortCut(value); });
}

void TCustomAction::SetVisible(bool value)
{
    Assign(visible_, value, [&](TActionLink& link) { link.SetVisible(value); });
}

bool TCustomAction::Execute()
{
    Update();
    return enabled_ && TContainedAction::Execute();
}

// ---------------------------------------------------------------------------------------------------------------
// TCustomActionList

TCustomActionList::TCustomActionList(TComponent* owner) : TComponent(owner) {}

TCustomActionList::~TCustomActionList()
{
    for (TContainedAction* action : actions_) action->actionList_ = nullptr;
    actions_.clear();
    SetImages(nullptr);
}

TContainedAction* TCustomActionList::Actions(int index) const
{
    if (index < 0 || index >= ActionCount()) TList::Error("List index out of bounds (%d)", index);
    return actions_[std::size_t(index)];
}

void TCustomActionList::SetImages(TCustomImageList* value)
{
    if (value == images_) return;
    if (images_) images_->RemoveFreeNotification(this);
    images_ = value;
    if (images_) images_->FreeNotification(this);
    if (onChange_) onChange_(this);
}

void TCustomActionList::UpdateActions()
{
    const std::vector<TContainedAction*> actions = actions_;
    for (TContainedAction* action : actions)
        if (std::find(actions_.begin(), actions_.end(), action) != actions_.end()) action->Update();
}

void TCustomActionList::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == images_) {
        images_ = nullptr;
        if (onChange_) onChange_(this);
    }
}

void TCustomActionList::AddAction(TContainedAction* action)
{
    actions_.push_back(action);
    action->actionList_ = this;
}

void TCustomActionList::RemoveAction(TContainedAction* action)
{
    actions_.erase(std::remove(actions_.begin(), actions_.end(), action), actions_.end());
    action->actionList_ = nullptr;
}
