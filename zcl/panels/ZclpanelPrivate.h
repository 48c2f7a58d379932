#pragma once
// What every panel placed on forms publishes, kept once for the simple and the back panel.

#include "framework/runtime/Filer.h"

template <typename P>
void ZCLPublishPanel(PublishedProperties<P>& Props)
{
    Props
        .Enumeration("Align", &P::Align, &P::SetAlign, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
                     alNone)
        .Object("Bevel", &P::Bevel, &P::SetBevel)
        .Integer("Color", &P::Color, &P::SetColor, int(clBtnFace))
        .Boolean("Ctl3D", &P::Ctl3D, &P::SetCtl3D, true)
        .Object("Font", &P::Font, &P::SetFont)
        .Boolean("Locked", &P::Locked, &P::SetLocked, false)
        .Boolean("Transparent", &P::Transparent, &P::SetTransparent, false)
        .Boolean("Enabled", &P::Enabled, &P::SetEnabled, true)
        .Boolean("Visible", &P::Visible, &P::SetVisible, true)
        .Boolean("ParentShowHint", &P::ParentShowHint, &P::SetParentShowHint, true)
        .Boolean("ShowHint", &P::ShowHint, &P::SetShowHint, false)
        .Event("OnClick", &P::OnClick, &P::SetOnClick)
        .Event("OnDblClick", &P::OnDblClick, &P::SetOnDblClick)
        .Event("OnEnter", &P::OnEnter, &P::SetOnEnter)
        .Event("OnExit", &P::OnExit, &P::SetOnExit)
        .Event("OnMouseDown", &P::OnMouseDown, &P::SetOnMouseDown)
        .Event("OnMouseMove", &P::OnMouseMove, &P::SetOnMouseMove)
        .Event("OnMouseUp", &P::OnMouseUp, &P::SetOnMouseUp)
        .Event("OnMouseEnter", &P::OnMouseEnter, &P::SetOnMouseEnter)
        .Event("OnMouseExit", &P::OnMouseExit, &P::SetOnMouseExit)
        .Event("OnResize", &P::OnResize, &P::SetOnResize);
}
