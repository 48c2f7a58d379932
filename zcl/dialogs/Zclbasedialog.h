#pragma once
// The settings every library dialog shares (title, custom button, hints, placement, opening effect, coloured
// caption, background picture) and the one routine that places and shows a prepared dialog form.

#include <cstdint>
#include <memory>

#include "framework/runtime/Classes.h"
#include "framework/visual/Forms.h"
#include "zcl/core/Zclutils.h"
#include "zcl/dialogs/Zclcontainercomponent.h"

class TButton;
class TZCLBack;
class TZCLFormStyler;

// Sender: the dialog's form.
using TZCLDialogEvent = TNotifyEvent;

class TZCLBaseDialog : public TZCLContainerComponent {
public:
    explicit TZCLBaseDialog(TComponent* AOwner);
    ~TZCLBaseDialog() override;

    // The dialog's title; each dialog has its own for an empty one.
    const AnsiString& CaptionTitle() const { return captionTitle_; }
    void SetCaptionTitle(const AnsiString& Value) { captionTitle_ = Value; }
    // The title of a third button; empty: no third button.
    const AnsiString& CustomButton() const { return customButton_; }
    void SetCustomButton(const AnsiString& Value) { customButton_ = Value; }
    TZCLDlgEffect Effect() const { return effect_; }
    void SetEffect(TZCLDlgEffect Value) { effect_ = Value; }
    // Owned; the dialog's controls take their hints from its lines.
    TStrings* Hints() const { return hints_.get(); }
    void SetHints(TStrings* Value) { hints_->Assign(Value); }
    bool ShowHints() const { return showHints_; }
    void SetShowHints(bool Value) { showHints_ = Value; }
    // The form's title bar painted as a gradient by a form styler.
    bool CaptionFill() const { return captionFill_; }
    void SetCaptionFill(bool Value) { captionFill_ = Value; }
    std::uint8_t Colors() const { return colors_; }
    void SetColors(std::uint8_t Value) { colors_ = Value; }
    TZCLDlgPosition Position() const { return position_; }
    void SetPosition(TZCLDlgPosition Value) { position_ = Value; }
    TZCLDlgPosRel RelatePos() const { return relatePos_; }
    void SetRelatePos(TZCLDlgPosRel Value) { relatePos_ = Value; }

    // Called with the dialog's form (as Sender) just before it is placed and shown.
    TNotifyEvent OnCustomize() const { return onCustomize_; }
    void SetOnCustomize(TNotifyEvent Value) { onCustomize_ = Value; }
    // The custom button's click.
    TNotifyEvent OnCustomClick() const { return onCustomClick_; }
    void SetOnCustomClick(TNotifyEvent Value) { onCustomClick_ = Value; }

    // Shows the dialog; true when it was confirmed. Nothing to show here.
    virtual bool Execute();

protected:
    // Titles the form (DefaultCaption for an empty CaptionTitle), sets up or hides the custom button, calls
    // OnCustomize, places the form in Target's bounds (null: the rectangle RelatePos names), plays the opening
    // effect, sets up the styler and the background, and shows the form modally; its modal result.
    TModalResult BaseExecute(TForm* Form, TForm* Target, const AnsiString& DefaultCaption, TZCLBack* Back,
                             TZCLFormStyler* Styler, TButton* CustomBtn);

private:
    AnsiString captionTitle_;
    AnsiString customButton_;
    TZCLDlgEffect effect_ = deNone;
    std::unique_ptr<TStringList> hints_;
    bool showHints_ = true;
    bool captionFill_ = false;
    std::uint8_t colors_ = 32;
    TZCLDlgPosition position_ = bpCenter;
    TZCLDlgPosRel relatePos_ = brScreen;
    TNotifyEvent onCustomize_;
    TNotifyEvent onCustomClick_;
};
