#pragma once
// The standard controls: wrappers of the system's BUTTON, EDIT, LISTBOX and COMBOBOX classes, and the label drawn
// on its parent.

#include <windows.h>

#include <utility>
#include <vector>

#include "framework/visual/Controls.h"
#include "framework/visual/Forms.h"

// ---------------------------------------------------------------------------------------------------------------
// Owner drawing

enum TOwnerDrawStateItem : unsigned char {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odComboBoxEdit,
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
using TDrawItemEvent = Closure<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = Closure<void(TWinControl* Control, int Index, int& Height)>;

TOwnerDrawState OwnerDrawStateOf(UINT itemState);

// ---------------------------------------------------------------------------------------------------------------
// TButton: a system push button. Enter clicks the focused button, else the Default one; Escape the Cancel one;
// the caption's accelerator clicks it.

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);

    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    // Given to the parent form when the button is clicked, ending ShowModal.
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }

    void Click() override;
    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    // Shows whether the button is the dialog's default now (BS_DEFPUSHBUTTON).
    virtual void SetButtonStyle(bool isDefault);

private:
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;  // the button Enter clicks now: focused, or the default one while no button has focus
    TModalResult modalResult_ = mrNone;
};

// ---------------------------------------------------------------------------------------------------------------
// TCheckBox and TRadioButton: system check and radio buttons whose state is kept here.

enum TCheckBoxState : unsigned char { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);

    bool Checked() const { return state_ == cbChecked; }
    // A change fires OnClick, whether from the user or from code.
    void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState value);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value) { allowGrayed_ = value; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    TAlignment alignment_ = taRightJustify;
};

class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* owner);

    bool Checked() const { return checked_; }
    // Becoming checked unchecks the radio buttons of the same parent and fires OnClick.
    void SetChecked(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    // Focuses and checks the previous or next radio button of the parent; false when there is none.
    bool MoveInGroup(bool goForward);

private:
    bool checked_ = false;
    TAlignment alignment_ = taRightJustify;
};

// ---------------------------------------------------------------------------------------------------------------
// TGroupBox: a system group box holding controls.

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* owner);
    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void AdjustClientRect(TRect& rect) override;
};

// ---------------------------------------------------------------------------------------------------------------
// TLabel: text drawn on the parent; "&" marks the accelerator that focuses FocusControl.

enum TTextLayout : unsigned char { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout value);
    // Sizes the label to its text (on every text or font change).
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);

    void Dispatch(TMessage& message) override;
    void Loaded() override;

protected:
    void Paint() override;
    void Notification(TComponent* component, TOperation operation) override;
    void AdjustBounds();
    UINT TextFlags() const;

private:
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool autoSize_ = true;
    TWinControl* focusControl_ = nullptr;  // not owned; dropped by a free notification
    bool showAccelChar_ = true;
    bool transparent_ = false;
    bool wordWrap_ = false;
};

class TLabel : public TCustomLabel {
public:
    using TCustomLabel::TCustomLabel;
};

// ---------------------------------------------------------------------------------------------------------------
// TEdit: a system single-line edit.

enum TEditCharCase : unsigned char { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);

    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char value);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase value);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }
    int SelStart() const;
    void SetSelStart(int value);
    int SelLength() const;
    void SetSelLength(int value);
    AnsiString SelText() const;
    void SelectAll();
    void Clear() { SetText(""); }
    bool Modified() const;
    void SetModified(bool value);

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent e) { onChange_ = e; }

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    AnsiString GetText() const override;
    void SetTextValue(const AnsiString& value) override;
    virtual void Change();

private:
    AnsiString text_;  // the text while there is no window
    int maxLength_ = 0;
    bool readOnly_ = false;
    char passwordChar_ = 0;
    TEditCharCase charCase_ = ecNormal;
    bool autoSelect_ = true;
    bool creating_ = false;
    TNotifyEvent onChange_;
};

class TEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
};

// ---------------------------------------------------------------------------------------------------------------
// Items of list and combo boxes: kept here and mirrored into the window while it exists, so a window made again
// (a style change) gets them back.

class TControlItems : public TStrings {
public:
    // The window messages of one kind of list.
    struct Messages {
        UINT addString, insertString, deleteString, resetContent, setItemData;
        LRESULT err, errSpace;
    };
    TControlItems(TWinControl* control, const Messages& messages);

    int Count() const override { return int(items_.size()); }
    int Add(const AnsiString& s) override;
    void Insert(int index, const AnsiString& s) override;
    void Delete(int index) override;
    void Clear() override;
    // Sorted lists keep their items in the order the system's sorting gives (case-insensitive).
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    // Puts the items into the control's new window.
    void FillWindow();

protected:
    AnsiString Get(int index) const override;
    void Put(int index, const AnsiString& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    void SetUpdateState(bool updating) override;

private:
    HWND Window() const { return control_->HandleAllocated() ? control_->Handle() : nullptr; }
    void CheckIndex(int index, bool allowEnd) const;
    int SortedPosition(const AnsiString& s) const;
    void InsertAt(int index, const AnsiString& s, TObject* object);

    TWinControl* control_;  // the list's control, which owns this object
    Messages messages_;
    std::vector<std::pair<AnsiString, TObject*>> items_;
    bool sorted_ = false;
};

// ---------------------------------------------------------------------------------------------------------------
// TListBox: a system list box.

enum TListBoxStyle : unsigned char { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

class TCustomListBox : public TWinControl {
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;

    TStrings* Items() const { return items_.get(); }
    void SetItems(TStrings* value) { items_->Assign(value); }
    void Clear() { items_->Clear(); }
    int ItemIndex() const;
    void SetItemIndex(int value);
    int TopIndex() const;
    void SetTopIndex(int value);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool value);
    bool ExtendedSelect() const { return extendedSelect_; }
    void SetExtendedSelect(bool value);
    bool Selected(int index) const;
    void SetSelected(int index, bool value);
    // -1 without MultiSelect.
    int SelCount() const;
    // The item at p (client coordinates); outside every item: -1 when existing, else Count.
    int ItemAtPos(const TPoint& p, bool existing) const;
    TRect ItemRect(int index) const;
    // Owner-drawn fixed lists: the height given to every item; standard ones: the system's.
    int ItemHeight() const;
    void SetItemHeight(int value);
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle value);
    bool Sorted() const { return static_cast<TControlItems*>(items_.get())->Sorted(); }
    void SetSorted(bool value);
    int Columns() const { return columns_; }
    void SetColumns(int value);
    bool IntegralHeight() const { return integralHeight_; }
    void SetIntegralHeight(bool value);
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int value);
    // Usable at any time: outside painting it draws on the list's window.
    TControlCanvas* Canvas() const { return canvas_.get(); }

    TDrawItemEvent OnDrawItem() const { return onDrawItem_; }
    void SetOnDrawItem(TDrawItemEvent e) { onDrawItem_ = e; }
    TMeasureItemEvent OnMeasureItem() const { return onMeasureItem_; }
    void SetOnMeasureItem(TMeasureItemEvent e) { onMeasureItem_ = e; }

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
    virtual void MeasureItem(int index, int& height);

private:
    void CNDrawItem(TMessage& message);
    void SaveState();
    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const;

    std::unique_ptr<TStrings> items_;
    std::unique_ptr<TControlCanvas> canvas_;
    TListBoxStyle style_ = lbStandard;
    bool multiSelect_ = false;
    bool extendedSelect_ = true;
    int itemHeight_ = 16;
    int columns_ = 0;
    bool integralHeight_ = false;
    int tabWidth_ = 0;
    // Kept while the window does not exist.
    int savedIndex_ = -1;
    int savedTop_ = 0;
    std::vector<int> savedSelected_;
    bool stateSaved_ = false;  // the saved state is newer than the window's (a setter is remaking it)
    TDrawItemEvent onDrawItem_;
    TMeasureItemEvent onMeasureItem_;
};

class TListBox : public TCustomListBox {
public:
    using TCustomListBox::TCustomListBox;
};

// ---------------------------------------------------------------------------------------------------------------
// TComboBox: a system combo box.

enum TComboBoxStyle : unsigned char { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TCustomComboBox : public TWinControl {
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;

    TStrings* Items() const { return items_.get(); }
    void SetItems(TStrings* value) { items_->Assign(value); }
    void Clear();
    int ItemIndex() const;
    // Does not fire OnChange: only the user's choices do.
    void SetItemIndex(int value);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle value);
    bool Sorted() const { return static_cast<TControlItems*>(items_.get())->Sorted(); }
    void SetSorted(bool value);
    bool DroppedDown() const;
    void SetDroppedDown(bool value);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int value);
    int ItemHeight() const;
    void SetItemHeight(int value);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);
    int SelStart() const;
    void SetSelStart(int value);
    int SelLength() const;
    void SetSelLength(int value);
    // The edit part (drop-down and simple styles) and the list part; null without a window.
    HWND EditHandle() const;
    HWND ListHandle() const;
    TControlCanvas* Canvas() const { return canvas_.get(); }

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent e) { onChange_ = e; }
    TNotifyEvent OnDropDown() const { return onDropDown_; }
    void SetOnDropDown(TNotifyEvent e) { onDropDown_ = e; }
    TDrawItemEvent OnDrawItem() const { return onDrawItem_; }
    void SetOnDrawItem(TDrawItemEvent e) { onDrawItem_ = e; }
    TMeasureItemEvent OnMeasureItem() const { return onMeasureItem_; }
    void SetOnMeasureItem(TMeasureItemEvent e) { onMeasureItem_ = e; }

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    AnsiString GetText() const override;
    void SetTextValue(const AnsiString& value) override;
    virtual void Change();
    virtual void DropDown();
    virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
    virtual void MeasureItem(int index, int& height);

private:
    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const;
    int DropHeight() const;

    std::unique_ptr<TStrings> items_;
    std::unique_ptr<TControlCanvas> canvas_;
    TComboBoxStyle style_ = csDropDown;
    int dropDownCount_ = 8;
    int itemHeight_ = 16;
    int maxLength_ = 0;
    int savedIndex_ = -1;
    AnsiString savedText_;  // the edit part's text while there is no window
    TNotifyEvent onChange_, onDropDown_;
    TDrawItemEvent onDrawItem_;
    TMeasureItemEvent onMeasureItem_;
};

class TComboBox : public TCustomComboBox {
public:
    using TCustomComboBox::TCustomComboBox;
};
