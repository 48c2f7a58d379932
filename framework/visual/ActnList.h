#pragma once
// Actions: commands with a caption, hint, enabled and checked state that any number of clients (menu items,
// controls) show. A client holds an action link; the action pushes every change of a property to all its links,
// and a link passes it on to its client for the properties the client still takes from the action.

#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Closure.h"
#include "framework/runtime/ShortCuts.h"

class TBasicAction;
class TCustomAction;
class TCustomActionList;
class TCustomImageList;
class TControl;

// ---------------------------------------------------------------------------------------------------------------
// Links

// A client's connection to an action. The client owns its link; the link leaves the action when freed, and
// an action that is freed first drops all its links (Action() becomes nullptr).
class TBasicActionLink : public TObject {
public:
    explicit TBasicActionLink(TObject* client);
    ~TBasicActionLink() override;

    TObject* Client() const { return client_; }
    TBasicAction* Action() const { return action_; }
    // Leaves the old action and joins the new one (nullptr: none). Copies nothing to the client by itself.
    virtual void SetAction(TBasicAction* value);

    // Runs the action's Execute; false without an action. Target is the component the command is for.
    virtual bool Execute(TComponent* target = nullptr);
    // Runs the action's Update; false without an action.
    virtual bool Update();
    // Told that the action changed (any property), after the properties were pushed.
    virtual void Change();
    // Told that the action is going away; the link has already dropped it.
    virtual void ActionFreed() {}

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent value) { onChange_ = value; }

private:
    friend class TBasicAction;
    TObject* client_;                  // not owned: the client owns the link
    TBasicAction* action_ = nullptr;  // not owned
    TNotifyEvent onChange_;
};

// A link to a TCustomAction: the action calls SetCaption etc. on every link, before it stores the new value, so
// a link can still compare its client with the old value (IsCaptionLinked) and leave a client alone whose
// property was changed away from the action's. The base's setters do nothing; clients derive from it.
class TActionLink : public TBasicActionLink {
public:
    using TBasicActionLink::TBasicActionLink;

    // Whether the client takes the property from the action. The base: true while the action is a
    // TCustomAction. Client links add a comparison of the client's value with the action's.
    virtual bool IsCaptionLinked() const;
    virtual bool IsCheckedLinked() const;
    virtual bool IsEnabledLinked() const;
    virtual bool IsHintLinked() const;
    virtual bool IsImageIndexLinked() const;
    virtual bool IsShortCutLinked() const;
    virtual bool IsVisibleLinked() const;

    virtual void SetCaption(const AnsiString& value) { (void)value; }
    virtual void SetChecked(bool value) { (void)value; }
    virtual void SetEnabled(bool value) { (void)value; }
    virtual void SetHint(const AnsiString& value) { (void)value; }
    virtual void SetImageIndex(int value) { (void)value; }
    virtual void SetShortCut(TShortCut value) { (void)value; }
    virtual void SetVisible(bool value) { (void)value; }

protected:
    // The action as a TCustomAction, nullptr for other actions.
    TCustomAction* CustomAction() const;
};

// A control's link (TControl::SetAction makes it): caption, enabled state, hint and visibility follow the
// action while the control's own still equal the action's. A control without an OnClick of its own gets one
// that executes the action (with the control as the action component); the link takes it back when it goes.
class TControlActionLink : public TActionLink {
public:
    explicit TControlActionLink(TControl* client);
    ~TControlActionLink() override;

    TControl* Control() const { return control_; }
    void SetAction(TBasicAction* value) override;
    void ActionFreed() override;

    bool IsCaptionLinked() const override;
    bool IsEnabledLinked() const override;
    bool IsHintLinked() const override;
    bool IsVisibleLinked() const override;
    void SetCaption(const AnsiString& value) override;
    void SetEnabled(bool value) override;
    void SetHint(const AnsiString& value) override;
    void SetVisible(bool value) override;

    // The click handler the link gives its control.
    void ClientClick(TObject* sender);

private:
    TNotifyEvent OwnClick() { return TNotifyEvent(this, &TControlActionLink::ClientClick); }
    void GiveBackClick();

    TControl* control_;
};

// ---------------------------------------------------------------------------------------------------------------
// Actions

class TBasicAction : public TComponent {
public:
    explicit TBasicAction(TComponent* owner);
    // Drops every link (their clients keep their last properties).
    ~TBasicAction() override;

    // Runs OnExecute and returns true; false when there is no OnExecute (nothing ran).
    virtual bool Execute();
    // Runs OnUpdate and returns true; false when there is none.
    virtual bool Update();

    TNotifyEvent OnExecute() const { return onExecute_; }
    void SetOnExecute(TNotifyEvent value) { onExecute_ = value; }
    TNotifyEvent OnUpdate() const { return onUpdate_; }
    void SetOnUpdate(TNotifyEvent value) { onUpdate_ = value; }
    // Told after a property changed, once the links have been told.
    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent value) { onChange_ = value; }

    // The component the command is for while Execute runs on behalf of a client (a menu's popup component, a
    // control); nullptr otherwise.
    TComponent* ActionComponent() const { return actionComponent_; }
    void SetActionComponent(TComponent* value) { actionComponent_ = value; }

    int LinkCount() const { return int(links_.size()); }
    // Raises EListError for a bad index.
    TBasicActionLink* Links(int index) const;

protected:
    // Tells every link that the action changed, then OnChange.
    virtual void Change();
    const std::vector<TBasicActionLink*>& LinkList() const { return links_; }

private:
    friend class TBasicActionLink;
    void RegisterLink(TBasicActionLink* link);
    void UnRegisterLink(TBasicActionLink* link);

    std::vector<TBasicActionLink*> links_;  // not owned: each client owns its link
    TNotifyEvent onExecute_, onUpdate_, onChange_;
    TComponent* actionComponent_ = nullptr;
};

// An action that belongs to an action list (which does not own it: the owner does).
class TContainedAction : public TBasicAction {
public:
    explicit TContainedAction(TComponent* owner);
    ~TContainedAction() override;

    TCustomActionList* ActionList() const { return actionList_; }
    // Leaves the old list and joins the new one at its end.
    void SetActionList(TCustomActionList* value);
    // The position in the action list, -1 without one.
    int Index() const;
    AnsiString Category() const { return category_; }
    void SetCategory(const AnsiString& value) { category_ = value; }

    // Tries the list's OnExecute first (which may handle it), then the action's own.
    bool Execute() override;
    // Tries the list's OnUpdate first, then the action's own.
    bool Update() override;

private:
    friend class TCustomActionList;
    TCustomActionList* actionList_ = nullptr;  // not owned
    AnsiString category_;
};

class TCustomAction : public TContainedAction {
public:
    explicit TCustomAction(TComponent* owner);

    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    AnsiString Hint() const { return hint_; }
    void SetHint(const AnsiString& value);
    // An index into the action list's Images; -1 for none.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);

    // A disabled action does not execute: Execute returns false without running anything. Update runs first
    // so the state is current.
    bool Execute() override;

private:
    template <typename T, typename Push>
    void Assign(T& field, const T& value, Push push);

    AnsiString caption_;
    bool checked_ = false;
    bool enabled_ = true;
    AnsiString hint_;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    bool visible_ = true;
};

class TAction : public TCustomAction {
public:
    explicit TAction(TComponent* owner) : TCustomAction(owner) {}
};

// ---------------------------------------------------------------------------------------------------------------
// Action lists

using TActionEvent = Closure<void(TBasicAction* Action, bool& Handled)>;

class TCustomActionList : public TComponent {
public:
    explicit TCustomActionList(TComponent* owner);
    // The actions stay (their owner frees them) and lose their list.
    ~TCustomActionList() override;

    int ActionCount() const { return int(actions_.size()); }
    // Raises EListError for a bad index.
    TContainedAction* Actions(int index) const;

    // The glyphs of the actions' ImageIndex; not owned (a free notification drops it).
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value);

    // Runs Update on every action.
    void UpdateActions();

    // Seen before an action's own OnExecute / OnUpdate; setting Handled stops the action's own.
    TActionEvent OnExecute() const { return onExecute_; }
    void SetOnExecute(TActionEvent value) { onExecute_ = value; }
    TActionEvent OnUpdate() const { return onUpdate_; }
    void SetOnUpdate(TActionEvent value) { onUpdate_ = value; }
    // Told after the Images changed.
    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent value) { onChange_ = value; }

    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TContainedAction;
    void AddAction(TContainedAction* action);
    void RemoveAction(TContainedAction* action);

    std::vector<TContainedAction*> actions_;  // not owned
    TCustomImageList* images_ = nullptr;       // not owned
    TActionEvent onExecute_, onUpdate_;
    TNotifyEvent onChange_;
};

class TActionList : public TCustomActionList {
public:
    explicit TActionList(TComponent* owner) : TCustomActionList(owner) {}
};
