#pragma once
// Menus: menu items (bound to actions or not) and popup menus.

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/visual/ActnList.h"
#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/ShortCuts.h"

// ---------------------------------------------------------------------------------------------------------------
// Menu items

class TMenu;
class TMenuItem;

DRAVIK_EXCEPTION(EMenuError, Exception);

// The caption that makes an item a separator line.
extern const char cLineCaption[];  // "-"

// Passes the action's properties on to its menu item while the item still shows the action's value.
class TMenuActionLink : public TActionLink {
public:
    explicit TMenuActionLink(TMenuItem* client);

    bool IsCaptionLinked() const override;
    bool IsCheckedLinked() const override;
    bool IsEnabledLinked() const override;
    bool IsHintLinked() const override;
    bool IsImageIndexLinked() const override;
    bool IsShortCutLinked() const override;
    bool IsVisibleLinked() const override;

    void SetCaption(const AnsiString& value) override;
    void SetChecked(bool value) override;
    void SetEnabled(bool value) override;
    void SetHint(const AnsiString& value) override;
    void SetImageIndex(int value) override;
    void SetShortCut(TShortCut value) override;
    void SetVisible(bool value) override;

private:
    TMenuItem* item_;
};

// An item of a menu; items with items of their own open a submenu. An item frees its items when freed (whoever
// owns them), and leaves its parent item when freed, so items made with `new TMenuItem(nullptr)` and added to a
// menu are freed with the menu.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& value) { caption_ = value; }
    bool Checked() const { return checked_; }
    void SetChecked(bool value) { checked_ = value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { visible_ = value; }
    AnsiString Hint() const { return hint_; }
    void SetHint(const AnsiString& value) { hint_ = value; }
    // Shown after a tab in the item's text.
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut value) { shortCut_ = value; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value) { imageIndex_ = value; }
    // A caption of "-" makes the item a separator.
    bool IsLine() const { return caption_ == cLineCaption; }

    // The action the item shows and runs; nullptr for none. Assigning copies the action's caption, checked,
    // enabled, hint, image index, shortcut and visible state into the item; later changes of the action reach
    // the item while the item's property still equals the action's.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* value);
    TMenuActionLink* ActionLink() const { return actionLink_.get(); }
    // Runs the action's Update (its OnUpdate), for this item and all items below it.
    void InitiateAction();

    TNotifyEvent OnClick() const { return onClick_; }
    void SetOnClick(TNotifyEvent value) { onClick_ = value; }
    // Runs OnClick when set, else executes the action (with this item as the action component).
    virtual void Click();

    // Items ------------------------------------------------------------------------------------------------------
    int Count() const { return int(items_.size()); }
    // Raises EListError for a bad index.
    TMenuItem* Items(int index) const;
    // Raises EMenuError "Menu inserted twice" for an item that already has a parent (or is this item or one of
    // its parents).
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item out without freeing it.
    void Delete(int index);
    void Remove(TMenuItem* item);
    // Frees every item.
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Parent() const { return parent_; }
    // The position in the parent, -1 without one.
    int MenuIndex() const;
    void SetMenuIndex(int value);
    // The menu this item is in (through its parents), nullptr when none.
    TMenu* GetParentMenu() const;

protected:
    // Copies the action's properties into the item; with checkDefaults only where the item has its default.
    virtual void ActionChange(TObject* sender, bool checkDefaults);

private:
    friend class TMenu;

    AnsiString caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    AnsiString hint_;
    TShortCut shortCut_ = 0;
    int imageIndex_ = -1;
    TNotifyEvent onClick_;
    std::unique_ptr<TMenuActionLink> actionLink_;
    TMenuItem* parent_ = nullptr;     // not owned
    std::vector<TMenuItem*> items_;  // freed by this item (see above)
    TMenu* menu_ = nullptr;           // set on a menu's root item only
};

// ---------------------------------------------------------------------------------------------------------------
// Menus

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    // The root item, whose items are the menu's.
    TMenuItem* Items() const { return items_.get(); }

protected:
    // Builds a Win32 menu of the visible items (separators, submenus, grayed and checked items, shortcut texts)
    // and records which item each command id stands for.
    HMENU BuildMenu();
    // The item a command id of the last BuildMenu stands for; nullptr when unknown or freed since.
    TMenuItem* FindCommand(UINT command) const;

private:
    void AppendItems(HMENU menu, TMenuItem* parent);
    bool Contains(const TMenuItem* parent, const TMenuItem* item) const;

    std::unique_ptr<TMenuItem> items_;
    std::vector<TMenuItem*> commands_;  // command id - 1 -> item, of the last build
};

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // Runs OnPopup, then the items' action updates, then builds the menu and shows it at the screen point,
    // owned by the application window. Returns once the menu is closed, after the chosen item's Click ran.
    virtual void Popup(int X, int Y);

    // The component the menu was opened for (set by whoever opens it); cleared when that component is freed.
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* value);
    // Whether a control opens the menu by itself on a right click.
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool value) { autoPopup_ = value; }

    TNotifyEvent OnPopup() const { return onPopup_; }
    void SetOnPopup(TNotifyEvent value) { onPopup_ = value; }

    void Notification(TComponent* component, TOperation operation) override;

protected:
    // Runs OnPopup.
    virtual void DoPopup(TObject* sender);

private:
    TComponent* popupComponent_ = nullptr;  // not owned
    bool autoPopup_ = true;
    TNotifyEvent onPopup_;
};
