#include "zcl/panels/Zclnimage.h"

#include "framework/runtime/Filer.h"
#include "zcl/graphics/Zclbmp.h"

namespace {

const bool imagePublished = [] {
    PublishedProperties<TZCLCustomNImage>()
        .Object("BackFX", &TZCLCustomNImage::BackFX, nullptr)
        .Object("Bevel", &TZCLCustomNImage::Bevel, &TZCLCustomNImage::SetBevel)
        .Boolean("QuickDraw", &TZCLCustomNImage::QuickDraw, &TZCLCustomNImage::SetQuickDraw, true)
        .Enumeration("Style", &TZCLCustomNImage::Style, &TZCLCustomNImage::SetStyle,
                     {"sbNone", "sbAutosize", "sbCenter", "sbStretch", "sbTile", "sbKeepAspRatio", "sbKeepWidth",
                      "sbKeepHeight"},
                     sbNone)
        .Boolean("Transparent", &TZCLCustomNImage::Transparent, &TZCLCustomNImage::SetTransparent, true)
        .Object("TransparentStyle", &TZCLCustomNImage::TransparentStyle, &TZCLCustomNImage::SetTransparentStyle);
    PublishedProperties<TZCLNImage>()
        .Object("Bitmap", &TZCLNImage::Bitmap, &TZCLNImage::SetBitmap)
        .Object("Control", &TZCLNImage::Control, &TZCLNImage::SetControl);
    return true;
}();

}  // namespace

TZCLNImage::TZCLNImage(TComponent* AOwner) : TZCLCustomNImage(AOwner) {}
