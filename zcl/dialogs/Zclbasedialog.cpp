#include "zcl/dialogs/Zclbasedialog.h"

#include "framework/runtime/Filer.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/components/Zclback.h"
#include "zcl/components/Zclformstyler.h"

namespace {

const bool baseDialogPublished = [] {
    using D = TZCLBaseDialog;
    PublishedProperties<D>()
        .String("CaptionTitle", &D::CaptionTitle, &D::SetCaptionTitle)
        .String("CustomButton", &D::CustomButton, &D::SetCustomButton)
        .Enumeration("Effect", &D::Effect, &D::SetEffect, {"deNone", "deExplode", "deExplodeExt"}, deNone)
        .Object("Hints", &D::Hints, &D::SetHints)
        .Boolean("ShowHints", &D::ShowHints, &D::SetShowHints, true)
        .Boolean("CaptionFill", &D::CaptionFill, &D::SetCaptionFill, false)
        .Integer("Colors", &D::Colors, &D::SetColors, 32)
        .Enumeration("Position", &D::Position, &D::SetPosition,
                     {"bpCustom", "bpTopLeft", "bpTopCenter", "bpTopRight", "bpCenterLeft", "bpCenter",
                      "bpCenterRight", "bpBottomLeft", "bpBottomCenter", "bpBottomRight"},
                     bpCenter)
        .Enumeration("RelatePos", &D::RelatePos, &D::SetRelatePos,
                     {"brScreen", "brScreenWorkArea", "brMainForm", "brActiveWindow"}, brScreen)
        .Event("OnCustomize", &D::OnCustomize, &D::SetOnCustomize)
        .Event("OnCustomClick", &D::OnCustomClick, &D::SetOnCustomClick);
    return true;
}();

}  // namespace

TZCLBaseDialog::TZCLBaseDialog(TComponent* AOwner)
    : TZCLContainerComponent(AOwner), hints_(std::make_unique<TStringList>())
{
}

TZCLBaseDialog::~TZCLBaseDialog() = default;

bool TZCLBaseDialog::Execute() { return false; }

TModalResult TZCLBaseDialog::BaseExecute(TForm* Form, TForm* Target, const AnsiString& DefaultCaption,
                                         TZCLBack* Back, TZCLFormStyler* Styler, TButton* CustomBtn)
{
    Form->SetCaption(captionTitle_.IsEmpty() ? DefaultCaption : captionTitle_);
    if (CustomBtn) {
        if (!customButton_.IsEmpty()) {
            CustomBtn->SetCaption(customButton_);
            CustomBtn->SetVisible(true);
            if (onCustomClick_) CustomBtn->SetOnClick(onCustomClick_);
        } else {
            CustomBtn->SetVisible(false);
        }
    }
    if (onCustomize_) onCustomize_(Form);

    TRect target;
    if (Target)
        target = Target->BoundsRect();
    else if (ComponentState().Contains(csDesigning))
        target = ZCLDlgGetTargetRect(brScreenWorkArea);
    else
        target = ZCLDlgGetTargetRect(relatePos_);
    ZCLPositionWindow(Form->Handle(), target, position_);

    if (effect_ == deExplode)
        ZCLExplodeForm(Form);
    else if (effect_ == deExplodeExt)
        ZCLExplodeForm2(Form);

    if (Styler) {
        Styler->SetEnabled(captionFill_);
        Styler->SetColors(colors_);
        Styler->SetOptions(Styler->Options() + TZCLFormStyleOptions{fsCheckSystemGradient});
    }
    if (Back && ImageList()) {
        Back->SetImageList(ImageList());
        Back->SetListIndex(ListIndex());
        Back->SetImageIndex(ImageIndex());
        Back->SetEnabled(true);
    }
    return Form->ShowModal();
}
