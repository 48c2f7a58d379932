#include "zcl/buttons/Zclofficebutton.h"

#include "framework/runtime/Filer.h"
#include "framework/visual/Menus.h"

namespace {

const bool officeButtonPublished = [] {
    using B = TZCLOfficeButton;
    PublishedProperties<B>()
        .Boolean("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp, false)
        .Integer("GroupIndex", &B::GroupIndex, &B::SetGroupIndex, 0)
        .Boolean("Pressed", &B::Pressed, &B::SetPressed, false)
        .Object("DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu)
        .Integer("DropDownIndent", &B::DropDownIndent, &B::SetDropDownIndent, 0)
        .Boolean("DropDownRight", &B::DropDownRight, &B::SetDropDownRight, false)
        .Enumeration("Style", &B::Style, &B::SetStyle,
                     {"ubsAutoDetect", "ubsWin31", "ubsWin40", "ubsVesto", "ubsVestoFlat", "ubsFlat",
                      "ubsFlatUnColored", "ubsNavigator", "ubsExplorer", "ubsExplorerColored", "ubsIntegrated"},
                     ubsFlat);
    return true;
}();

}  // namespace

TZCLOfficeButton::TZCLOfficeButton(TComponent* AOwner) : TZCLCustomSpeedButton(AOwner)
{
    SetStyle(ubsFlat);
    SetTrackMouseOver(true);
    SetHitTest(false);
    SetBounds(Left(), Top(), 23, 22);
}

void TZCLOfficeButton::MouseOverChanged()
{
    if ((FlatMouseOverLook() && State() == bsOptionSet) || TZCLBaseGraphicButton::MouseOverChangesLook()) Redraw();
}
