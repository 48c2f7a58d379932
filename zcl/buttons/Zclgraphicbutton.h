#pragma once
// The engine of the library's windowless buttons: eight visual states, groups of buttons of which one is held
// down, repeated clicks while the button is held, mouse-over tracking, drop-down menus, glyph and caption.
// The looks are the descendants' (speed, dock, office and multimedia buttons).

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/runtime/Closure.h"
#include "framework/visual/Graphics.h"
#include "zcl/buttons/Zclbuttonface.h"
#include "zcl/components/Zclbasecontrol.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclcustomcomponent.h"

class TPopupMenu;
class TZCLButtonLayout;
class TZCLFxCaption;
class TZCLGlyph;

// The stock glyphs of the program's bitmap resource ZCLGlyphKindResource, in that order after gkCustom.
enum TZCLGlyphKind : std::uint8_t {
    gkCustom, gkEllipsis, gkFile, gkFolder, gkCalculator, gkCalender, gkSearch, gkColor, gkFont
};

// A strip of eight 13 x 14 images, one per stock glyph kind.
constexpr int ZCLGlyphKindResource = 16546;
constexpr int ZCLGlyphKindWidth = 13;
constexpr int ZCLGlyphKindHeight = 14;

// Bitmap becomes the stock image of Kind (13 x 14) from the program's resource; false, with Bitmap left as it
// was, for gkCustom or when the program does not carry the resource.
bool ZCLGetGlyphKind(TBitmap* Bitmap, TZCLGlyphKind Kind);
// The border width of a button face of Style: 3 for the old look, 2 for the raised ones, 1 for the flat ones.
int ZCLGetButtonBevel(TZCLUserButtonStyle Style);

// The index of the button's two pool timers.
constexpr int ZCLMouseOverTimer = 0;
constexpr int ZCLRepeatTimer = 1;
// How often the mouse-over poll looks at the cursor.
constexpr std::uint16_t ZCLMouseOverPollInterval = 100;

class TZCLBaseGraphicButton : public TZCLBaseControl {
public:
    // 25 x 25, opaque, in the button face colour.
    explicit TZCLBaseGraphicButton(TComponent* AOwner);
    // Stops both timers first.
    ~TZCLBaseGraphicButton() override;

    const TZCLAboutVar& About() const { return about_; }
    void SetAbout(const TZCLAboutVar& Value) { about_ = Value; }

    // Clicks again every RepeatingInterval ms while held, the first time RepeatingDelay ms after the press.
    bool RepeatedClick() const { return repeatedClick_; }
    void SetRepeatedClick(bool Value) { repeatedClick_ = Value; }
    std::uint16_t RepeatingDelay() const { return repeatingDelay_; }
    void SetRepeatingDelay(std::uint16_t Value) { repeatingDelay_ = Value; }
    std::uint16_t RepeatingInterval() const { return repeatingInterval_; }
    void SetRepeatingInterval(std::uint16_t Value) { repeatingInterval_ = Value; }

    // Owned option objects; a change redraws the button.
    TZCLFxCaption* FontFX() const { return fontFX_.get(); }
    void SetFontFX(TZCLFxCaption* Value);
    TZCLButtonLayout* ButtonLayout() const { return buttonLayout_.get(); }
    void SetButtonLayout(TZCLButtonLayout* Value);

    // The glyph strip (a copy is kept). Setting one outside loading unlinks the image list.
    TBitmap* Glyph() const;
    virtual void SetGlyph(TBitmap* Value);
    int NumGlyphs() const;
    void SetNumGlyphs(int Value);
    // The glyph object with its state images.
    TZCLGlyph* ButtonGlyph() const { return glyph_.get(); }

    // Drop-down menus: a press opens DropDownMenu below the button (DropDownRight: to its right), moved by
    // DropDownIndent. With DropDownCombo only the arrow part, the rightmost DropDownComboWidth pixels, opens it.
    TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(TPopupMenu* Value);
    bool DropDownCombo() const { return dropDownCombo_; }
    // Widens or narrows the button by DropDownComboWidth (not while loading).
    void SetDropDownCombo(bool Value);
    int DropDownComboWidth() const { return dropDownComboWidth_; }
    // Negative values count as 0; the width changes by the difference while DropDownCombo is on.
    void SetDropDownComboWidth(int Value);
    int DropDownIndent() const { return dropDownIndent_; }
    void SetDropDownIndent(int Value) { dropDownIndent_ = Value; }
    bool DropDownRight() const { return dropDownRight_; }
    void SetDropDownRight(bool Value) { dropDownRight_ = Value; }
    TNotifyEvent OnDropDown() const { return onDropDown_; }
    void SetOnDropDown(TNotifyEvent Value) { onDropDown_ = Value; }
    // A menu is set and DropDownCombo is on: the button has an arrow part.
    bool HasArrowPart() const { return dropDownMenu_ && dropDownCombo_; }
    // The arrow part and the main face.
    TRect ArrowRect() const;
    TRect MainRect() const;

    // With EnterColorChange the caption is drawn in EnterColor while the mouse is over the button.
    TColor EnterColor() const { return enterColor_; }
    void SetEnterColor(TColor Value);
    bool EnterColorChange() const { return enterColorChange_; }
    void SetEnterColorChange(bool Value);

    // Groups: of the buttons of one parent with the same nonzero GroupIndex, at most one is pressed (shown
    // bsOptionSet); without AllowAllUp the pressed one stays pressed until another one is.
    int GroupIndex() const { return groupIndex_; }
    // A pressed button taken out of its group (0) is released.
    void SetGroupIndex(int Value);
    bool AllowAllUp() const { return allowAllUp_; }
    // Every member of the group takes the value.
    void SetAllowAllUp(bool Value);
    bool Pressed() const { return down_; }
    // Only for a group member; false on the only pressed member is refused without AllowAllUp.
    void SetPressed(bool Value);

    // A position counts as on the button where VerifyTransparency says so (else the client rectangle decides).
    bool HitTest() const { return hitTest_; }
    void SetHitTest(bool Value) { hitTest_ = Value; }
    // Whether the mouse over the button shows (bsMouseOver) and is polled until it leaves.
    bool TrackMouseOver() const { return trackMouseOver_; }
    void SetTrackMouseOver(bool Value);
    // A transparent button draws its parent's background behind it.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool Value);
    bool UseCaption() const { return useCaption_; }
    void SetUseCaption(bool Value);
    bool HideHint() const { return hideHint_; }
    void SetHideHint(bool Value) { hideHint_ = Value; }

    TZCLButtonState State() const { return state_; }
    TZCLButtonState PrevState() const { return prevState_; }
    // The state the face is drawn in: an up button under the mouse shows as bsMouseOver.
    TZCLButtonState DrawState() const;
    bool MouseOver() const { return mouseOver_; }
    // The one place the mouse-over flag changes: MouseEnter and MouseExit fire once per crossing.
    void SetMouseOver(bool Value);
    bool GetDroppedState() const { return state_ == bsDropDownOpen; }
    // The pool id of timer Index (ZCLMouseOverTimer, ZCLRepeatTimer); 0 when it is not running.
    std::uint16_t TimerId(int Index) const;

    // Remembers the state before and repaints when the look changes.
    void StateChange(TZCLButtonState NewState);
    // Tells the parent's other buttons of the group that this one is pressed (and its AllowAllUp).
    void InformOptionSet();
    // Starts pool timer Index; an index above 1 or a timer already running is ignored. Raises EOutOfResources
    // "Not enough timers available" when the pool gives no id.
    void ActivateTimer(int Index, std::uint16_t Interval, TNotifyEvent Handler);
    void DeActivateTimer(int Index);
    // The repeat timer's tick.
    void ExecuteRepeatedClick(TObject* Sender);
    // Stops the repeat and ends a press the button no longer sees the end of.
    void EndRepeatedClick();
    // Opens the drop-down menu (not when it is open already) and returns once it is closed.
    void DropDown();
    void Click() override;
    // The glyph and caption of the current state inside R.
    virtual void DrawGlyphAndText(TCanvas* Canvas, const TRect& R);

    // Virtual slots.
    // Whether the glyph is the button's own (image-list changes apply).
    virtual bool IsCustom() { return true; }
    // Whether an assigned action may supply the glyph.
    virtual bool ActionChangeable() { return true; }
    // One repeated click: Click.
    virtual void DoRepeatedClick();
    // The button colour changed.
    virtual void ShapeButtonColorChange();
    // Whether (X, Y) is on the button.
    virtual bool VerifyTransparency(int X, int Y);
    // The mouse-over poll's tick: clears mouse-over once the cursor has left the button's screen rectangle.
    virtual void VerifyMouseOver(TObject* Sender);

    void GetIMLChange(TObject* Sender) override;
    void GetChange(TObject* Sender) override;
    bool CheckOptimized() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void ActionChange(TObject* Sender, bool CheckDefaults) override;

    // Whether a change between bsUp and bsMouseOver shows.
    virtual bool MouseOverChangesLook();
    // The mouse-over flag changed: repaints when that shows.
    virtual void MouseOverChanged();
    // Redraws now (opaque) or through the parent (transparent).
    void Redraw();
    // The parent's picture behind R, when the parent can hand it over; false otherwise.
    bool DrawParentBack(TCanvas* Canvas, const TRect& R);
    // The state an enabled button rests in: pressed or up.
    TZCLButtonState RestState() const { return down_ ? bsOptionSet : bsUp; }
    bool OnButton(int X, int Y);
    // Enabled or disabled (etched) text.
    TZCLDrawTextStyles TextStyles() const;
    // csOpaque unless the button is transparent.
    virtual void UpdateOpaque();
    // Where the button rests outside a press: pressed or up, enabled or not.
    TZCLButtonState IdleState() const;
    // Pixels the caption moves in the pressed states (multimedia buttons).
    int pressedOffset_ = 0;

private:
    void FontFXChanged(TObject* Sender);
    void FontChanged();
    void EnabledChanged();
    void ButtonPressed(TMessage& Message);
    bool DialogChar(TMessage& Message);
    void EndDrag();
    void StopActivity();
    // The left button is still held for this button: physically down and the parent's capture still ours.
    bool StillHeld() const;
    bool MDIInactive() const;

    TZCLAboutVar about_;
    bool repeatedClick_ = false;
    bool trackMouseOver_ = false;
    std::unique_ptr<TZCLFxCaption> fontFX_;
    std::unique_ptr<TZCLButtonLayout> buttonLayout_;
    std::uint16_t repeatingDelay_ = 500;
    std::uint16_t repeatingInterval_ = 100;
    bool dropDownCombo_ = false;
    int dropDownComboWidth_ = 12;
    TNotifyEvent onDropDown_;
    TPopupMenu* dropDownMenu_ = nullptr;  // not owned; cleared when it is freed
    int dropDownIndent_ = 0;
    TColor enterColor_ = clCaptionText;
    bool dropDownRight_ = false;
    bool enterColorChange_ = false;
    bool mouseOver_ = false;
    bool down_ = false;
    bool dragging_ = false;  // the left button went down on the button and is not up yet
    std::uint16_t timerIds_[2] = {0, 0};
    std::unique_ptr<TZCLGlyph> glyph_;
    TZCLButtonState state_ = bsUp;
    TZCLButtonState prevState_ = bsUp;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool hitTest_ = true;
    bool transparent_ = false;
    bool multiLine_ = false;
    bool useCaption_ = true;
    bool hideHint_ = false;
    TZCLTurnedCaptionFont turnedCaption_;
    // Shared with a drop-down in progress, which must not touch the button once it is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
