#pragma once
// The base of the option objects that controls own (bevels, captions, fills, ...): a change notification that
// an update can hold back.

#include "framework/runtime/Classes.h"

class TZCLObject : public TPersistent {
public:
    TZCLObject() = default;

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent value) { onChange_ = value; }

    // Hooked to the OnChange of a nested object: its change is this object's change.
    virtual void GetChange(TObject* Sender);
    // Tells OnChange, with this object as sender, unless an update is open.
    virtual void Change();
    // The one-line summary a property editor shows for the object.
    virtual AnsiString GetSetStr() const;

    // Updating is a flag, not a count: nested BeginUpdate calls end at the first EndUpdate.
    void BeginUpdate() { updating_ = true; }
    void EndUpdate(bool DoChange);
    bool IsUpdating() const { return updating_; }

protected:
    // The setters' common step: a changed value is stored and notified, an unchanged one left alone.
    template <typename T, typename V>
    void SetField(T& field, const V& value)
    {
        if (field == value) return;
        field = value;
        Change();
    }

private:
    TNotifyEvent onChange_;
    bool updating_ = false;
};
