#pragma once
// Self-drawn windowed two- and three-state controls: the base that lays out a glyph and a caption with a focus
// look, and the check box, whose glyph is a strip of the system's check-box images or an image-list strip.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/visual/ActnList.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclcustomcomponent.h"
#include "zcl/panels/Zclcustompanel.h"

class TZCL3DCaption;
class TZCLButtonControl;
class TZCLGlyphTextLayout;

// The checked state of a button control follows its action's while the two agree.
class TZCLButtonActionLink : public TControlActionLink {
public:
    explicit TZCLButtonActionLink(TZCLButtonControl* Client);
    bool IsCheckedLinked() const override;
    void SetChecked(bool Value) override;

private:
    TZCLButtonControl* client_;  // the client, which owns this link
};

class TZCLButtonControl : public TZCLCustomPanel {
public:
    // 105 x 17, a tab stop; accepts no controls.
    explicit TZCLButtonControl(TComponent* AOwner);
    ~TZCLButtonControl() override;

    const TZCLAboutVar& About() const { return about_; }
    void SetAbout(const TZCLAboutVar& Value) { about_ = Value; }

    // Owned option objects: a change re-sizes (AutoSize) and repaints.
    TZCL3DCaption* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZCL3DCaption* Value);
    // Where glyph and caption stand; Spacing 4.
    TZCLGlyphTextLayout* Alignment() const { return layout_.get(); }
    void SetAlignment(TZCLGlyphTextLayout* Value);
    // The glyph strip the control draws from.
    TBitmap* GlyphBitmap() const { return glyph_.get(); }

    // With UseFocusColor the focus is a dotted rectangle in FocusColor, else the system focus rectangle.
    TColor FocusColor() const { return focusColor_; }
    void SetFocusColor(TColor Value);
    bool UseFocusColor() const { return useFocusColor_; }
    void SetUseFocusColor(bool Value);
    // Round what the focus is drawn: the control, the caption, the glyph, both, or not at all.
    TZCLGlyphTextFocusStyle FocusStyle() const { return focusStyle_; }
    void SetFocusStyle(TZCLGlyphTextFocusStyle Value);
    // The side of a standard glyph image; at least 1.
    int GlyphSize() const { return glyphSize_; }
    void SetGlyphSize(int Value);
    // The glyph is drawn transparent by GlyphTransparentColor.
    bool GlyphTransparent() const { return glyphTransparent_; }
    void SetGlyphTransparent(bool Value);
    TColor GlyphTransparentColor() const { return glyphTransparentColor_; }
    void SetGlyphTransparentColor(TColor Value);
    // The flat look of the system's images in the standard strip.
    bool GlyphFlat() const { return glyphFlat_; }
    void SetGlyphFlat(bool Value);
    // Stored with the control; drawing does not depend on it.
    bool UseBitmap() const { return useBitmap_; }
    void SetUseBitmap(bool Value) { useBitmap_ = Value; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value) { readOnly_ = Value; }
    // Sizes the control to its glyph and caption (not while loading).
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);

    // The focus look in R.
    void DrawFocus(TCanvas* Canvas, const TRect& R);
    // Glyph (the part Source of Glyph, none when empty) and caption laid out in R, with the focus round them
    // while the control has it.
    void PaintToControl(TCanvas* Canvas, const TRect& R, TBitmap* Glyph, const TRect& Source, TColor Transparent);
    // After a change: CorrectBounds and a repaint, unless painting is held off (loading, or a sizing under way).
    void UpDateNow();

    // Virtual slots.
    virtual void CreateStandardGlyph();
    virtual bool GetChecked();
    virtual void SetChecked(bool Value);
    virtual bool CanModify();
    virtual void CorrectBounds();
    virtual void DrawItem() = 0;

    void GetChange(TObject* Sender) override;
    // The control has no window frame of its own to draw.
    void RestoreBorderBack() override {}
    void RestoreBorderFront() override {}
    void MouseEnter() override;
    void MouseExit() override;
    void Loaded() override;
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void DoEnter() override;
    void DoExit() override;
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    TControlActionLinkPtr CreateActionLink() override;
    // The caption's text styles: enabled or etched.
    TZCLDrawTextStyles TextStyles() const;

private:
    TZCLAboutVar about_;
    std::unique_ptr<TZCL3DCaption> font3D_;
    std::unique_ptr<TZCLGlyphTextLayout> layout_;
    std::unique_ptr<TBitmap> glyph_;
    TColor focusColor_ = TColor(RGB(128, 128, 128));
    bool useFocusColor_ = false;
    TZCLGlyphTextFocusStyle focusStyle_ = fcText;
    int glyphSize_ = 13;
    bool glyphTransparent_ = false;
    TColor glyphTransparentColor_ = clBtnFace;
    bool glyphFlat_ = false;
    bool useBitmap_ = false;
    bool readOnly_ = false;
    bool autoSize_ = false;
    bool sizing_ = false;
};

class TZCLCustomCheckBox : public TZCLButtonControl {
public:
    explicit TZCLCustomCheckBox(TComponent* AOwner);

    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
    // Stores and repaints; no event fires.
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState Value);
    bool Checked() { return GetChecked(); }
    // The images per enabled look in the strip (one per state); 0 counts as 1.
    int GlyphNumber() const { return glyphNumber_; }
    void SetGlyphNumber(int Value);
    // The width of one image of the strip.
    int GlyphWidth() const { return glyphWidth_; }
    // Whether the strip is the standard one (no image-list item to draw from).
    bool StandardGlyph() const { return standard_; }
    // Fires after a change of State by Toggle (clicks, the space key, the accelerator).
    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent Value) { onChange_ = Value; }

    // The image of the strip to show now.
    int GetGlyphNumber();
    // Unchecked -> grayed (AllowGrayed) or checked, checked -> unchecked, grayed -> checked; OnChange.
    virtual void Toggle();
    virtual TCheckBoxState GetFieldState() { return state_; }

    // Toggles when it may be changed, then the control's click.
    void Click() override;
    bool GetChecked() override { return state_ == cbChecked; }
    void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
    // The system's check-box images, one row: the states with their inactive looks (and, while Flat, the
    // same again in the flat look).
    void CreateStandardGlyph() override;
    void CorrectBounds() override;
    void DrawItem() override;
    void GetIMLChange(TObject* Sender) override;
    void DoFlatChanged() override;
    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;

protected:
    void KeyPress(char& Key) override;

private:
    // The images of one look in the strip: 3 for the standard one, GlyphNumber for an image-list strip.
    int StripStates() const;
    void TakeGlyph();

    bool allowGrayed_ = false;
    TCheckBoxState state_ = cbUnchecked;
    int glyphNumber_ = 3;
    int glyphWidth_ = 13;
    bool standard_ = true;
    TNotifyEvent onChange_;
};

class TZCLCheckBox : public TZCLCustomCheckBox {
public:
    explicit TZCLCheckBox(TComponent* AOwner) : TZCLCustomCheckBox(AOwner) {}
};
