#include "zcl/panels/Zclshapecontrol.h"

#include "framework/runtime/Filer.h"
#include "framework/visual/Menus.h"
#include "zcl/containers/Zclcont.h"

namespace {

const bool shapePublished = [] {
    PublishedProperties<TZCLBaseShape>()
        .Enumeration("Align", &TZCLBaseShape::Align, &TZCLBaseShape::SetAlign,
                     {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}, alNone)
        .Object("Brush", &TZCLBaseShape::Brush, &TZCLBaseShape::SetBrush)
        .Integer("BrushBackColor", &TZCLBaseShape::BrushBackColor, &TZCLBaseShape::SetBrushBackColor, int(clBtnFace))
        .Object("Caption", &TZCLBaseShape::Caption, &TZCLBaseShape::SetCaption)
        .Integer("Color", &TZCLBaseShape::Color, &TZCLBaseShape::SetColor, int(clWindow))
        .Stored([](TZCLBaseShape* s) { return !s->ParentColor(); })
        .Boolean("ParentColor", &TZCLBaseShape::ParentColor, &TZCLBaseShape::SetParentColor, true)
        .Boolean("ParentFont", &TZCLBaseShape::ParentFont, &TZCLBaseShape::SetParentFont, true)
        .Object("PopupMenu", &TZCLBaseShape::PopupMenu, &TZCLBaseShape::SetPopupMenu)
        .Object("Shadow", &TZCLBaseShape::Shadow, &TZCLBaseShape::SetShadow)
        .Object("ShapeFill", &TZCLBaseShape::ShapeFill, &TZCLBaseShape::SetShapeFill)
        .Boolean("Square", &TZCLBaseShape::Square, &TZCLBaseShape::SetSquare, false)
        .Boolean("Transparent", &TZCLBaseShape::Transparent, &TZCLBaseShape::SetTransparent, true)
        .Boolean("Visible", &TZCLBaseShape::Visible, &TZCLBaseShape::SetVisible, true)
        .Event("OnClick", &TZCLBaseShape::OnClick, &TZCLBaseShape::SetOnClick)
        .Event("OnDblClick", &TZCLBaseShape::OnDblClick, &TZCLBaseShape::SetOnDblClick)
        .Event("OnMouseDown", &TZCLBaseShape::OnMouseDown, &TZCLBaseShape::SetOnMouseDown)
        .Event("OnMouseEnter", &TZCLBaseShape::OnMouseEnter, &TZCLBaseShape::SetOnMouseEnter)
        .Event("OnMouseExit", &TZCLBaseShape::OnMouseExit, &TZCLBaseShape::SetOnMouseExit)
        .Event("OnMouseMove", &TZCLBaseShape::OnMouseMove, &TZCLBaseShape::SetOnMouseMove)
        .Event("OnMouseUp", &TZCLBaseShape::OnMouseUp, &TZCLBaseShape::SetOnMouseUp);
    PublishedProperties<TZCLShapeControl>()
        .Enumeration("Mode", &TZCLShapeControl::Mode, &TZCLShapeControl::SetMode,
                     {"scmShapeFast", "scmShapeFill", "scmTeethFast", "scmTeethFill"}, scmShapeFast)
        .Boolean("CaptionClip", &TZCLShapeControl::CaptionClip, &TZCLShapeControl::SetCaptionClip, false)
        .Object("ImageList", &TZCLShapeControl::ImageList, &TZCLShapeControl::SetImageList)
        .Integer("ImageIndex", &TZCLShapeControl::ImageIndex, &TZCLShapeControl::SetImageIndex, 0)
        .Integer("ListIndex", &TZCLShapeControl::ListIndex, &TZCLShapeControl::SetListIndex, 0)
        .Object("Bevel", &TZCLShapeControl::Bevel, &TZCLShapeControl::SetBevel)
        .Integer("RoundPercent", &TZCLShapeControl::RoundPercent, &TZCLShapeControl::SetRoundPercent, 33)
        .Enumeration("Shape", &TZCLShapeControl::Shape, &TZCLShapeControl::SetShape,
                     {"stEllipse", "stRectangle", "stRoundRect", "stDirectUp", "stDirectRight", "stDirectDown",
                      "stDirectLeft", "stDiamond", "stComb", "stOctagon", "stStar"},
                     stRectangle)
        .Object("Teeth", &TZCLShapeControl::Teeth, &TZCLShapeControl::SetTeeth);
    return true;
}();

}  // namespace

TZCLShapeControl::TZCLShapeControl(TComponent* AOwner) : TZCLBaseShape(AOwner) {}
