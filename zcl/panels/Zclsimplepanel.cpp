#include "zcl/panels/Zclsimplepanel.h"

#include "framework/runtime/Filer.h"

namespace {

const bool simplePanelPublished = [] {
    PublishedProperties<TZCLSimplePanel>()
        .Enumeration("Align", &TZCLSimplePanel::Align, &TZCLSimplePanel::SetAlign,
                     {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}, alNone)
        .Object("Bevel", &TZCLSimplePanel::Bevel, &TZCLSimplePanel::SetBevel)
        .Integer("Color", &TZCLSimplePanel::Color, &TZCLSimplePanel::SetColor, int(clBtnFace))
        .Boolean("Ctl3D", &TZCLSimplePanel::Ctl3D, &TZCLSimplePanel::SetCtl3D, true)
        .Object("Font", &TZCLSimplePanel::Font, &TZCLSimplePanel::SetFont)
        .Boolean("Locked", &TZCLSimplePanel::Locked, &TZCLSimplePanel::SetLocked, false)
        .Boolean("Transparent", &TZCLSimplePanel::Transparent, &TZCLSimplePanel::SetTransparent, false)
        .Boolean("Enabled", &TZCLSimplePanel::Enabled, &TZCLSimplePanel::SetEnabled, true)
        .Boolean("Visible", &TZCLSimplePanel::Visible, &TZCLSimplePanel::SetVisible, true)
        .Boolean("ParentShowHint", &TZCLSimplePanel::ParentShowHint, &TZCLSimplePanel::SetParentShowHint, true)
        .Boolean("ShowHint", &TZCLSimplePanel::ShowHint, &TZCLSimplePanel::SetShowHint, false)
        .Event("OnClick", &TZCLSimplePanel::OnClick, &TZCLSimplePanel::SetOnClick)
        .Event("OnDblClick", &TZCLSimplePanel::OnDblClick, &TZCLSimplePanel::SetOnDblClick)
        .Event("OnMouseEnter", &TZCLSimplePanel::OnMouseEnter, &TZCLSimplePanel::SetOnMouseEnter)
        .Event("OnMouseExit", &TZCLSimplePanel::OnMouseExit, &TZCLSimplePanel::SetOnMouseExit)
        .Event("OnResize", &TZCLSimplePanel::OnResize, &TZCLSimplePanel::SetOnResize)
        .Event("OnEnter", &TZCLSimplePanel::OnEnter, &TZCLSimplePanel::SetOnEnter)
        .Event("OnExit", &TZCLSimplePanel::OnExit, &TZCLSimplePanel::SetOnExit)
        .Event("OnMouseDown", &TZCLSimplePanel::OnMouseDown, &TZCLSimplePanel::SetOnMouseDown)
        .Event("OnMouseMove", &TZCLSimplePanel::OnMouseMove, &TZCLSimplePanel::SetOnMouseMove)
        .Event("OnMouseUp", &TZCLSimplePanel::OnMouseUp, &TZCLSimplePanel::SetOnMouseUp);
    return true;
}();

}  // namespace
