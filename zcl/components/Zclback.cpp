#include "zcl/components/Zclback.h"

#include "framework/runtime/Filer.h"
#include "framework/runtime/Handles.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

// Tiled placement in the drawing flag word, and palette handling.
constexpr std::uint16_t TileFlag = 0x0020;
constexpr std::uint16_t PaletteFlag = 0x1000;

const bool backPublished = [] {
    PublishedProperties<TZCLBack>()
        .Boolean("DefaultFill", &TZCLBack::DefaultFill, &TZCLBack::SetDefaultFill, true)
        .Boolean("Enabled", &TZCLBack::Enabled, &TZCLBack::SetEnabled, true)
        .Integer("ImageIndex", &TZCLBack::ImageIndex, &TZCLBack::SetImageIndex, -1)
        .Object("ImageList", &TZCLBack::ImageList, &TZCLBack::SetImageList)
        .Stored([](TZCLBack* b) { return !ZCLIsGlobalIdent(b->ImageList()); })  // those go as "Internal"
        .Integer("ListIndex", &TZCLBack::ListIndex, &TZCLBack::SetListIndex, 0)
        .Enumeration("PaintMode", &TZCLBack::PaintMode, &TZCLBack::SetPaintMode,
                     {"pcNone", "pcControl", "pcOwnerDraw"}, pcControl)
        .Event("OnPaint", &TZCLBack::OnPaint, &TZCLBack::SetOnPaint);
    return true;
}();

}  // namespace

TZCLBack::TZCLBack(TComponent* AOwner) : TZCLCustomFormFill(AOwner) {}

bool TZCLBack::PaintClientArea(HDC DC)
{
    if (ComponentState().Contains(csLoading) || PaintMode() != pcControl || IMLEmpty())
        return TZCLCustomFormFill::PaintClientArea(DC);
    auto* control = dynamic_cast<TControl*>(Owner());
    if (!control) return false;
    std::uint16_t flags = TileFlag;
    if (!ZCLPaletteLeftToApplication()) flags |= PaletteFlag;
    TCanvas canvas;
    canvas.SetHandle(DC);
    struct Unbind {
        TCanvas& c;
        ~Unbind() { c.SetHandle(nullptr); }
    } unbind{canvas};
    ImageList()->ClipDraw(&canvas, ClientArea(), flags, 0, control->Color(), ListIndex(), ImageIndex());
    return true;
}
