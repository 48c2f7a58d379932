#include "zcl/components/Zcldrawedge.h"

#include <windows.h>

#include "framework/runtime/Filer.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

const bool drawEdgePublished = [] {
    PublishedProperties<TZCLDrawEdge>()
        .String("About", &TZCLDrawEdge::About, &TZCLDrawEdge::SetAbout)
        .Enumeration("DiagonalStyle", &TZCLDrawEdge::DiagonalStyle, &TZCLDrawEdge::SetDiagonalStyle,
                     {"dsEndBottomLeft", "dsEndBottomRight", "dsEndTopLeft", "dsEndTopRight"}, dsEndBottomLeft)
        .Enumeration("EdgeStyle", &TZCLDrawEdge::EdgeStyle, &TZCLDrawEdge::SetEdgeStyle,
                     {"etRaisedInner", "etRaisedOuter", "etSunkenInner", "etSunkenOuter", "etBump", "etEtched",
                      "etRaised", "etSunken"},
                     etEtched)
        .Boolean("Filled", &TZCLDrawEdge::Filled, &TZCLDrawEdge::SetFilled, false)
        .Set("FrameSides", &TZCLDrawEdge::FrameSides, &TZCLDrawEdge::SetFrameSides,
             {"fsBottom", "fsLeft", "fsRight", "fsTop"}, TZCLFrameSides{fsBottom, fsLeft, fsRight, fsTop})
        .Enumeration("StandardStyle", &TZCLDrawEdge::StandardStyle, &TZCLDrawEdge::SetStandardStyle,
                     {"lsNone", "lsSingle", "lsLowered", "lsRaised", "lsRaisedspb", "lsLoweredspb", "lsRaisedExt",
                      "lsLoweredExt", "lsFrameInset", "lsFrameOffset", "lsWindowBorder", "lsSingleRaised",
                      "lsSingleLowered", "lsDoubleRaised", "lsDoubleLowered"},
                     lsSingleLowered)
        .Boolean("Soft", &TZCLDrawEdge::Soft, &TZCLDrawEdge::SetSoft, false)
        .Enumeration("Style", &TZCLDrawEdge::Style, &TZCLDrawEdge::SetStyle, {"esEdge", "esDiagonal", "esStandard"},
                     esEdge)
        .Enumeration("Align", &TZCLDrawEdge::Align, &TZCLDrawEdge::SetAlign,
                     {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}, alNone)
        .Boolean("Enabled", &TZCLDrawEdge::Enabled, &TZCLDrawEdge::SetEnabled, true)
        .Boolean("ParentShowHint", &TZCLDrawEdge::ParentShowHint, &TZCLDrawEdge::SetParentShowHint, true)
        .Boolean("ShowHint", &TZCLDrawEdge::ShowHint, &TZCLDrawEdge::SetShowHint, false)
        .Boolean("Visible", &TZCLDrawEdge::Visible, &TZCLDrawEdge::SetVisible, true);
    return true;
}();

}  // namespace

TZCLDrawEdge::TZCLDrawEdge(TComponent* AOwner) : TZCLControl(AOwner)
{
    TControlStyle style = ControlStyle();
    style.Include(csReplicatable);
    SetControlStyle(style);
    SetBounds(Left(), Top(), 40, 40);
}

void TZCLDrawEdge::SetDiagonalStyle(TZCLDiagonalStyle Value) { Store(diagonalStyle_, Value); }
void TZCLDrawEdge::SetEdgeStyle(TZCLEdgeStyle Value) { Store(edgeStyle_, Value); }
void TZCLDrawEdge::SetFilled(bool Value) { Store(filled_, Value); }
void TZCLDrawEdge::SetFrameSides(TZCLFrameSides Value) { Store(frameSides_, Value); }
void TZCLDrawEdge::SetStandardStyle(TZCLBorderStyle Value) { Store(standardStyle_, Value); }
void TZCLDrawEdge::SetSoft(bool Value) { Store(soft_, Value); }
void TZCLDrawEdge::SetStyle(TZCLDrawEdgeStyle Value) { Store(style_, Value); }

void TZCLDrawEdge::Paint()
{
    TRect r = ClientRect();
    UINT flags = 0;
    if (soft_) flags |= BF_SOFT;
    if (filled_) flags |= BF_MIDDLE;
    if (style_ == esStandard) {
        ZCLDrawStdFrame(Canvas(), r, standardStyle_, std::uint16_t(flags));
        return;
    }
    static const UINT edges[] = {BDR_RAISEDINNER, BDR_RAISEDOUTER, BDR_SUNKENINNER, BDR_SUNKENOUTER,
                                 EDGE_BUMP,       EDGE_ETCHED,     EDGE_RAISED,     EDGE_SUNKEN};
    const UINT edge = edges[std::size_t(edgeStyle_) % 8];
    if (style_ == esEdge) {
        if (frameSides_.Contains(fsBottom)) flags |= BF_BOTTOM;
        if (frameSides_.Contains(fsTop)) flags |= BF_TOP;
        if (frameSides_.Contains(fsRight)) flags |= BF_RIGHT;
        if (frameSides_.Contains(fsLeft)) flags |= BF_LEFT;
    } else {
        static const UINT diagonals[] = {BF_DIAGONAL_ENDBOTTOMLEFT, BF_DIAGONAL_ENDBOTTOMRIGHT, BF_DIAGONAL_ENDTOPLEFT,
                                         BF_DIAGONAL_ENDTOPRIGHT};
        flags |= diagonals[std::size_t(diagonalStyle_) % 4];
    }
    DrawEdge(Canvas()->Handle(), &r, edge, flags);
}
