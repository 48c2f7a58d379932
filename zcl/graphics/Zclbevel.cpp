#include "zcl/graphics/Zclbevel.h"

#include <algorithm>

#include "framework/runtime/Filer.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

const bool bevelPublished = [] {
    const auto styles = {"bvNone", "bvLowered", "bvRaised", "bvFrameLowered", "bvFrameRaised", "bvNormal", "bvShadow"};
    PublishedProperties<TZCLBevel>()
        .Enumeration("StyleInner", &TZCLBevel::StyleInner, &TZCLBevel::SetStyleInner, styles, bvNone)
        .Enumeration("StyleOuter", &TZCLBevel::StyleOuter, &TZCLBevel::SetStyleOuter, styles, bvNone)
        .Integer("WidthInner", &TZCLBevel::WidthInner, &TZCLBevel::SetWidthInner, 1)
        .Integer("WidthOuter", &TZCLBevel::WidthOuter, &TZCLBevel::SetWidthOuter, 1)
        .Integer("BorderColor", &TZCLBevel::BorderColor, &TZCLBevel::SetBorderColor, int(clBtnFace))
        .Integer("BorderInnerWidth", &TZCLBevel::BorderInnerWidth, &TZCLBevel::SetBorderInnerWidth, 0)
        .Integer("BorderWidth", &TZCLBevel::BorderWidth, &TZCLBevel::SetBorderWidth, 0)
        .Set("BorderSides", &TZCLBevel::BorderSides, &TZCLBevel::SetBorderSides,
             {"fsBottom", "fsLeft", "fsRight", "fsTop"}, TZCLFrameSides{fsBottom, fsLeft, fsRight, fsTop})
        .Enumeration("EdgeStyle", &TZCLBevel::EdgeStyle, &TZCLBevel::SetEdgeStyle,
                     {"etRaisedInner", "etRaisedOuter", "etSunkenInner", "etSunkenOuter", "etBump", "etEtched",
                      "etRaised", "etSunken"},
                     etEtched)
        .Integer("LightColor", &TZCLBevel::LightColor, &TZCLBevel::SetLightColor, int(clBtnHighlight))
        .Enumeration("Mode", &TZCLBevel::Mode, &TZCLBevel::SetMode, {"bmCustom", "bmStandard", "bmEdge", "bmWindows"},
                     bmCustom)
        .Integer("ShadowColor", &TZCLBevel::ShadowColor, &TZCLBevel::SetShadowColor, int(clBtnShadow))
        .Enumeration("StandardStyle", &TZCLBevel::StandardStyle, &TZCLBevel::SetStandardStyle,
                     {"lsNone", "lsSingle", "lsLowered", "lsRaised", "lsRaisedspb", "lsLoweredspb", "lsRaisedExt",
                      "lsLoweredExt", "lsFrameInset", "lsFrameOffset", "lsWindowBorder", "lsSingleRaised",
                      "lsSingleLowered", "lsDoubleRaised", "lsDoubleLowered"},
                     lsSingleLowered);
    return true;
}();

bool IsFrameStyle(TZCLBevelStyle s) { return s == bvFrameLowered || s == bvFrameRaised; }

TRect Shrunk(const TRect& r, int n) { return TRect(r.left + n, r.top + n, r.right - n, r.bottom - n); }

}  // namespace

TZCLBevel::TZCLBevel()
{
    frameExtent_ = clientExtent_ = GetBevelExtend();
}

void TZCLBevel::Change()
{
    frameExtent_ = GetBevelExtend();
    clientExtent_ = mode_ == bmCustom && StyleOuter() == bvShadow
                        ? WidthInner() + WidthOuter() + BorderInnerWidth()
                        : frameExtent_;
    TZCLObject::Change();
}

void TZCLBevel::SetStyle(int Index, TZCLBevelStyle Value)
{
    TZCLBevelStyle& mine = styles_[std::size_t(Index & 1)];
    TZCLBevelStyle& other = styles_[std::size_t((Index & 1) ^ 1)];
    if (mine == Value) return;
    if (mine == bvShadow) other = bvNone;
    mine = Value;
    if (Value == bvShadow) other = bvShadow;
    Change();
}

void TZCLBevel::SetWidth(int Index, TZCLBevelWidth Value)
{
    SetField(widths_[std::size_t(Index & 1)], std::clamp(Value, TZCLBevelWidthRange::Low, TZCLBevelWidthRange::High));
}

void TZCLBevel::SetBorderWidths(int Index, TZCLBorderWidth Value)
{
    SetField(borderWidths_[std::size_t(Index & 1)],
             std::clamp(Value, TZCLBorderWidthRange::Low, TZCLBorderWidthRange::High));
}

void TZCLBevel::SetColor(int Index, TColor Value) { SetField(colors_[std::size_t(Index) % 3], Value); }
void TZCLBevel::SetBorderSides(TZCLFrameSides Value) { SetField(borderSides_, Value); }
void TZCLBevel::SetEdgeStyle(TZCLEdgeStyle Value) { SetField(edgeStyle_, Value); }

void TZCLBevel::SetMode(TZCLBevelMode Value)
{
    if (mode_ == Value) return;
    if (nativeBorder_ && (mode_ == bmWindows || Value == bmWindows)) recreate_ = true;
    mode_ = Value;
    Change();
}

void TZCLBevel::SetStandardStyle(TZCLBorderStyle Value)
{
    if (standardStyle_ == Value) return;
    standardStyle_ = Value;
    if (mode_ == bmStandard) Change();
}

void TZCLBevel::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TZCLBevel*>(Source);
    if (!s) {
        TZCLObject::Assign(Source);
        return;
    }
    styles_ = s->styles_;
    widths_ = s->widths_;
    borderWidths_ = s->borderWidths_;
    colors_ = s->colors_;
    borderSides_ = s->borderSides_;
    edgeStyle_ = s->edgeStyle_;
    mode_ = s->mode_;
    standardStyle_ = s->standardStyle_;
    nativeBorder_ = s->nativeBorder_;
    Change();
}

AnsiString TZCLBevel::GetSetStr() const
{
    static const char* const names[] = {"Custom style", "Standard style", "Etged style", "Windows style"};
    return AnsiString("{") + names[std::size_t(mode_) % 4] + "}";
}

int TZCLBevel::GetBevelExtend() const
{
    switch (mode_) {
    case bmCustom: {
        if (StyleInner() == bvShadow) return WidthInner() + BorderInnerWidth();
        int e = BorderWidth() + BorderInnerWidth();
        if (StyleInner() == bvNone && StyleOuter() == bvNone) return e;
        if (StyleOuter() != bvNone) e += WidthOuter();
        if (IsFrameStyle(StyleOuter())) e += 1;
        if (StyleInner() != bvNone) e += WidthInner();
        if (IsFrameStyle(StyleInner())) e += 1;
        return e;
    }
    case bmStandard: return ZCLDrawStdFrameExt(standardStyle_) + BorderInnerWidth();
    case bmEdge: return (borderSides_.Empty() ? 0 : 2) + BorderInnerWidth();
    case bmWindows: return nativeBorder_ ? 0 : BorderInnerWidth() + 2;
    }
    return 0;
}

void TZCLBevel::ClientRect(const TRect& R, TRect& Client) const
{
    if (mode_ == bmCustom && StyleOuter() == bvShadow) {
        const int topLeft = WidthInner() + BorderInnerWidth();
        const int bottomRight = WidthInner() + WidthOuter() + BorderInnerWidth();
        Client = TRect(R.left + topLeft, R.top + topLeft, R.right - bottomRight, R.bottom - bottomRight);
        return;
    }
    Client = Shrunk(R, frameExtent_);
}

void TZCLBevel::PaintBevel(TCanvas* Canvas, const TRect& R, bool SkipFill, TRect& Inner) const
{
    Inner = R;
    if (!Canvas || frameExtent_ == 0) return;
    TRect r = R;
    auto border = [&](int n) {
        if (SkipFill) {
            r = Shrunk(r, n);
            return;
        }
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(BorderColor());
        for (int i = 0; i < n && !r.IsEmpty(); ++i) {
            Canvas->FrameRect(r);
            r = Shrunk(r, 1);
        }
    };
    switch (mode_) {
    case bmCustom:
        if (StyleOuter() != bvShadow) {
            ZCLDrawFrame3D(Canvas, r, StyleOuter(), LightColor(), ShadowColor(), WidthOuter());
            border(BorderWidth());
            ZCLDrawFrame3D(Canvas, r, StyleInner(), LightColor(), ShadowColor(), WidthInner());
        } else {
            // The frame all round, the shadow on the right and bottom; its free corners in the border colour.
            ZCLDrawFrameShadow(Canvas, r, LightColor(), ShadowColor(), BorderColor(), std::uint8_t(WidthOuter()),
                               std::uint8_t(WidthInner()), SkipFill, 0);
        }
        break;
    case bmStandard: ZCLDrawStdFrame(Canvas, r, standardStyle_, 0); break;
    case bmEdge:
        if (!borderSides_.Empty()) {
            static const UINT kinds[] = {BDR_RAISEDINNER, BDR_RAISEDOUTER, BDR_SUNKENINNER, BDR_SUNKENOUTER,
                                         EDGE_BUMP,       EDGE_ETCHED,     EDGE_RAISED,     EDGE_SUNKEN};
            UINT sides = 0;
            if (borderSides_.Contains(fsLeft)) sides |= BF_LEFT;
            if (borderSides_.Contains(fsTop)) sides |= BF_TOP;
            if (borderSides_.Contains(fsRight)) sides |= BF_RIGHT;
            if (borderSides_.Contains(fsBottom)) sides |= BF_BOTTOM;
            TRect e = r;
            DrawEdge(Canvas->Handle(), &e, kinds[std::size_t(edgeStyle_) % 8], sides);
            r = Shrunk(r, 2);
        }
        break;
    case bmWindows: ZCLDrawStdFrame(Canvas, r, lsLoweredExt, 0); break;
    }
    border(BorderInnerWidth());
    Inner = r;
}

bool TZCLBevel::GetRecreateWnd()
{
    const bool result = recreate_ || (mode_ == bmWindows && nativeBorder_);
    recreate_ = false;
    return result;
}
