#include "zcl/panels/Zclbackpanel.h"

#include "framework/runtime/Filer.h"
#include "zcl/containers/Zclcont.h"

namespace {

const bool backPanelPublished = [] {
    PublishedProperties<TZCLBackPanel>()
        .Object("ImageList", &TZCLBackPanel::ImageList, &TZCLBackPanel::SetImageList)
        .Integer("ImageIndex", &TZCLBackPanel::ImageIndex, &TZCLBackPanel::SetImageIndex, 0)
        .Integer("ListIndex", &TZCLBackPanel::ListIndex, &TZCLBackPanel::SetListIndex, 0)
        .Boolean("QuickDraw", &TZCLBackPanel::QuickDraw, &TZCLBackPanel::SetQuickDraw, false)
        .Enumeration("Align", &TZCLBackPanel::Align, &TZCLBackPanel::SetAlign,
                     {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}, alNone)
        .Object("Bevel", &TZCLBackPanel::Bevel, &TZCLBackPanel::SetBevel)
        .Integer("Color", &TZCLBackPanel::Color, &TZCLBackPanel::SetColor, int(clBtnFace))
        .Boolean("Ctl3D", &TZCLBackPanel::Ctl3D, &TZCLBackPanel::SetCtl3D, true)
        .Object("Font", &TZCLBackPanel::Font, &TZCLBackPanel::SetFont)
        .Boolean("Locked", &TZCLBackPanel::Locked, &TZCLBackPanel::SetLocked, false)
        .Boolean("Transparent", &TZCLBackPanel::Transparent, &TZCLBackPanel::SetTransparent, false)
        .Boolean("Enabled", &TZCLBackPanel::Enabled, &TZCLBackPanel::SetEnabled, true)
        .Boolean("Visible", &TZCLBackPanel::Visible, &TZCLBackPanel::SetVisible, true)
        .Event("OnClick", &TZCLBackPanel::OnClick, &TZCLBackPanel::SetOnClick)
        .Event("OnMouseEnter", &TZCLBackPanel::OnMouseEnter, &TZCLBackPanel::SetOnMouseEnter)
        .Event("OnMouseExit", &TZCLBackPanel::OnMouseExit, &TZCLBackPanel::SetOnMouseExit)
        .Event("OnDblClick", &TZCLBackPanel::OnDblClick, &TZCLBackPanel::SetOnDblClick)
        .Event("OnEnter", &TZCLBackPanel::OnEnter, &TZCLBackPanel::SetOnEnter)
        .Event("OnExit", &TZCLBackPanel::OnExit, &TZCLBackPanel::SetOnExit)
        .Event("OnMouseDown", &TZCLBackPanel::OnMouseDown, &TZCLBackPanel::SetOnMouseDown)
        .Event("OnMouseMove", &TZCLBackPanel::OnMouseMove, &TZCLBackPanel::SetOnMouseMove)
        .Event("OnMouseUp", &TZCLBackPanel::OnMouseUp, &TZCLBackPanel::SetOnMouseUp)
        .Event("OnResize", &TZCLBackPanel::OnResize, &TZCLBackPanel::SetOnResize);
    return true;
}();

}  // namespace
