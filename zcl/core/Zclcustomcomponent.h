#pragma once
// The base of the library's non-visual components: the same change notification as the option objects.

#include "framework/runtime/Classes.h"

// The text of the About property that the components publish; it carries no behaviour.
using TZCLAboutVar = AnsiString;

class TZCLCustomComponent : public TComponent {
public:
    explicit TZCLCustomComponent(TComponent* AOwner) : TComponent(AOwner) {}

    const TZCLAboutVar& About() const { return about_; }
    void SetAbout(const TZCLAboutVar& value) { about_ = value; }

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent value) { onChange_ = value; }

    // Hooked to the OnChange of an owned option object: its change is this component's change.
    virtual void GetChange(TObject* Sender);
    // Tells OnChange, with this component as sender, unless an update is open.
    virtual void Change();

    // A flag, not a count: nested BeginUpdate calls end at the first EndUpdate.
    void BeginUpdate() { updating_ = true; }
    void EndUpdate(bool DoChange);
    bool IsUpdating() const { return updating_; }

private:
    TZCLAboutVar about_;
    TNotifyEvent onChange_;
    bool updating_ = false;
};
