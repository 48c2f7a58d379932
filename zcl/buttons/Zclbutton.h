#pragma once
// The library's push button: a system push button whose face, glyph and caption the library draws, with
// repeated clicks while it is held and a drop-down menu.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/runtime/Closure.h"
#include "framework/visual/Graphics.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/buttons/Zclbuttonface.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclcustomcomponent.h"

class TFiler;
class TPopupMenu;
class TZCLButtonLayout;
class TZCLChangeLink;
class TZCLControlCore;
class TZCLCustomImageList;
class TZCLFxCaption;
class TZCLGlyph;

class TZCLCustomButton : public TButton {
public:
    // 75 x 25.
    explicit TZCLCustomButton(TComponent* AOwner);
    // Stops the repeat first.
    ~TZCLCustomButton() override;

    const TZCLAboutVar& About() const { return about_; }
    void SetAbout(const TZCLAboutVar& Value) { about_ = Value; }

    // Owned option objects; a change redraws the button. A FontFX change makes ParentFont false.
    TZCLButtonLayout* ButtonLayout() const { return buttonLayout_.get(); }
    void SetButtonLayout(TZCLButtonLayout* Value);
    TZCLFxCaption* FontFX() const { return fontFX_.get(); }
    void SetFontFX(TZCLFxCaption* Value);
    // The glyph strip (a copy is kept). Setting one outside loading unlinks the image list.
    TBitmap* Glyph() const;
    void SetGlyph(TBitmap* Value);
    int NumGlyphs() const;
    // 1..255; other values are ignored.
    void SetNumGlyphs(int Value);
    TZCLGlyph* ButtonGlyph() const { return glyph_.get(); }

    // The image list the glyph comes from (not owned); a change of the list or the indexes takes the glyph anew.
    TZCLCustomImageList* ImageList() const;
    void SetImageList(TZCLCustomImageList* Value);
    int ImageIndex() const;
    int ListIndex() const;
    // Index 0 the image index, 1 the list index: a negative or unchanged value is ignored.
    void SetIndex(int Index, int Value);
    void SetImageIndex(int Value) { SetIndex(0, Value); }
    void SetListIndex(int Value) { SetIndex(1, Value); }
    TZCLChangeLink* ChangeLink() const;

    TZCLNormalButtonStyle Style() const { return style_; }
    void SetStyle(TZCLNormalButtonStyle Value);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool Value);
    bool UseCaption() const { return useCaption_; }
    void SetUseCaption(bool Value);
    // Kept for the hint machinery; the program shows no hint windows.
    bool HideHint() const { return hideHint_; }
    void SetHideHint(bool Value) { hideHint_ = Value; }

    // Clicks again every RepeatingInterval ms while held, the first time RepeatingDelay ms after the press.
    bool RepeatedClick() const { return repeatedClick_; }
    void SetRepeatedClick(bool Value);
    std::uint16_t RepeatingDelay() const { return repeatingDelay_; }
    void SetRepeatingDelay(std::uint16_t Value) { repeatingDelay_ = Value; }
    std::uint16_t RepeatingInterval() const { return repeatingInterval_; }
    void SetRepeatingInterval(std::uint16_t Value) { repeatingInterval_ = Value; }
    // The pool id of the repeat timer; 0 when it is not running.
    std::uint16_t RepeatTimerId() const { return timerId_; }

    // The state the face was last drawn in.
    TZCLButtonState State() const { return state_; }
    // Whether the button is the one Enter clicks now (focused, or the default one while no button has focus).
    bool IsCurrentDefault() const { return currentDefault_; }
    bool MenuOpen() const { return menuOpen_; }

    TNotifyEvent OnMouseEnter() const { return onMouseEnter_; }
    void SetOnMouseEnter(TNotifyEvent Value) { onMouseEnter_ = Value; }
    TNotifyEvent OnMouseExit() const { return onMouseExit_; }
    void SetOnMouseExit(TNotifyEvent Value) { onMouseExit_ = Value; }

    // OnClick (and the modal result), then the drop-down menu when there is one.
    void Click() override;
    // Opens the drop-down menu (not when it is open already) and returns once it is closed.
    void DropDown();
    // The repeat timer's tick.
    void ExecuteRepeatedClick(TObject* Sender);
    void FreeTimer();
    // Paints the face, glyph and caption for one owner-draw request.
    virtual void DrawItem(const DRAWITEMSTRUCT& DrawItemStruct);

    // Virtual slots.
    virtual void BoundsChange(TZCLBoundsChangeStates States);
    // One repeated click: Click.
    virtual void DoRepeatedClick();

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DefineProperties(TFiler* Filer) override;
    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    // Repaints instead of changing the window's style: an owner-drawn button has no default look of its own.
    void SetButtonStyle(bool ADefault) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // The list item becomes the glyph.
    virtual void GetIMLChange(TObject* Sender);
    void ActivateTimer();
    TPopupMenu* dropDownMenu_ = nullptr;  // not owned; cleared when it is freed
    int dropDownIndent_ = 0;
    bool dropDownRight_ = false;
    TNotifyEvent onDropDown_;

private:
    void GetChange(TObject* Sender);
    void FontFXChanged(TObject* Sender);
    void FontChanged();
    void MouseEnterExit(bool Enter);
    // The left button is still down and the button still has the capture it took for the press.
    bool StillHeld() const;
    bool CursorOnButton() const;
    bool Loading() const { return ComponentState().Contains(csLoading); }

    TZCLAboutVar about_;
    std::unique_ptr<TZCLButtonLayout> buttonLayout_;
    std::unique_ptr<TCanvas> canvas_;  // bound to the owner-draw DC while drawing
    std::unique_ptr<TZCLGlyph> glyph_;
    std::unique_ptr<TZCLFxCaption> fontFX_;
    std::unique_ptr<TZCLControlCore> core_;
    TZCLNormalButtonStyle style_ = nbsAutoDetect;
    bool repeatedClick_ = false;
    std::uint16_t repeatingDelay_ = 500;
    std::uint16_t repeatingInterval_ = 100;
    TZCLButtonState state_ = bsUp;
    std::uint16_t timerId_ = 0;
    bool multiLine_ = false;
    bool useCaption_ = true;
    bool hideHint_ = false;
    bool currentDefault_ = false;
    bool menuOpen_ = false;
    TZCLTurnedCaptionFont turnedCaption_;
    TNotifyEvent onMouseEnter_, onMouseExit_;
    // Shared with a drop-down in progress, which must not touch the button once it is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class TZCLButton : public TZCLCustomButton {
public:
    explicit TZCLButton(TComponent* AOwner) : TZCLCustomButton(AOwner) {}

    // A click opens DropDownMenu below the button (DropDownRight: to its right), moved by DropDownIndent.
    TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(TPopupMenu* Value);
    int DropDownIndent() const { return dropDownIndent_; }
    void SetDropDownIndent(int Value) { dropDownIndent_ = Value; }
    bool DropDownRight() const { return dropDownRight_; }
    void SetDropDownRight(bool Value) { dropDownRight_ = Value; }
    TNotifyEvent OnDropDown() const { return onDropDown_; }
    void SetOnDropDown(TNotifyEvent Value) { onDropDown_ = Value; }
};
