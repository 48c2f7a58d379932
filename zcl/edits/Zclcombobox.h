#pragma once
// The library's combo box on the system one: incremental search while typing, a list of recently chosen
// entries at the top, a hop to another control on Enter or a choice, a flat border, and a wider drop-down list.

#include <windows.h>

#include <cstdint>

#include "framework/runtime/Closure.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/components/Zclcontrol.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclcustomcomponent.h"

class TZCLCustomComboBox : public TCustomComboBox {
public:
    explicit TZCLCustomComboBox(TComponent* AOwner);
    ~TZCLCustomComboBox() override;

    const TZCLAboutVar& About() const { return about_; }
    void SetAbout(const TZCLAboutVar& Value) { about_ = Value; }
    // Switching it on sorts the list.
    bool Search() const { return search_; }
    void SetSearch(bool Value);
    // Milliseconds after the last key before the search runs (1000 more after Backspace or Delete).
    int Interval() const { return interval_; }
    void SetInterval(int Value) { interval_ = Value < 1 ? 1 : Value; }
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    // 0 leaves the list as wide as the control.
    int DropDownWidth() const { return dropDownWidth_; }
    void SetDropDownWidth(int Value);
    // Gets the focus on Enter and after a choice with the mouse.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* Value);
    // Switching it off removes the recent entries from the top.
    bool MRUList() const { return mruList_; }
    void SetMRUList(bool Value);
    int MRUMax() const { return mruMax_; }
    // Recent entries beyond a lowered maximum are removed.
    void SetMRUMax(int Value);
    // How many recent entries stand at the top.
    int MRUCount() const { return mruCount_; }
    bool isMRUItem(int Index) const { return Index >= 0 && Index < mruCount_; }
    // Whether the last key was a navigation key (the arrows, Page Up and Page Down).
    bool NavigationKey() const { return navKey_; }
    // Whether the edit part has the focus.
    bool EditFocused() const { return editFocused_; }
    bool SearchTimerActive() const { return timerId_ != 0; }

    TNotifyEvent OnSelect() const { return onSelect_; }
    void SetOnSelect(TNotifyEvent Value) { onSelect_ = Value; }
    TNotifyEvent OnEditClick() const { return onEditClick_; }
    void SetOnEditClick(TNotifyEvent Value) { onEditClick_ = Value; }
    TZCLBoundsChangeEvent OnBoundsChange() const { return onBoundsChange_; }
    void SetOnBoundsChange(TZCLBoundsChangeEvent Value) { onBoundsChange_ = Value; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

protected:
    // Fires OnSelect.
    virtual void DoSelect();
    // Runs the search: the first item that begins with the text typed is chosen, its rest selected.
    virtual void DoTimerEvent();
    void CreateTimer(int Milliseconds);
    void FreeTimer();
    // Paints the border on the window frame.
    void RepaintBorder();
    // The double line under the last recent entry.
    void PaintSeparatorLine(const TRect& Rect);

    void CreateWnd() override;
    void DestroyWnd() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void DoExit() override;
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;

private:
    static LRESULT CALLBACK EditProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
    void HookEdit();
    void UnhookEdit();
    void SearchTimerExpired(TObject* Sender);
    void SelectionChanged();
    void MoveToFocusControl();
    void TrimMRU(int Keep);

    TZCLAboutVar about_;
    bool editFocused_ = false;
    bool navKey_ = false;
    bool search_ = false;
    bool mouseInside_ = false;
    bool flat_ = false;
    std::uint16_t timerId_ = 0;  // the application's pool timer, 0 none
    int dropDownWidth_ = 0;
    int interval_ = 1500;
    TWinControl* focusControl_ = nullptr;
    int mruCount_ = 0;
    int mruMax_ = 5;
    bool mruList_ = false;
    bool inMRU_ = false;  // the list is being rearranged: its own selection changes are not choices
    HWND editWnd_ = nullptr;
    WNDPROC editDefProc_ = nullptr;
    TNotifyEvent onSelect_, onEditClick_;
    TZCLBoundsChangeEvent onBoundsChange_;
};

class TZCLComboBox : public TZCLCustomComboBox {
public:
    using TZCLCustomComboBox::TZCLCustomComboBox;
};
