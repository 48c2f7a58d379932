// Panels.

#include "framework/visual/ExtCtrls.h"

namespace {

// Draws width rings of a bevel inside r and leaves r inside them.
void DrawBevel(TCanvas* canvas, TRect& r, TBevelCut cut, int width)
{
    if (cut == TBevelCut::bvNone) return;
    const bool lowered = cut == TBevelCut::bvLowered, raised = cut == TBevelCut::bvRaised;
    const TColor topLeft = lowered ? clBtnShadow : raised ? clBtnHighlight : clBtnFace;
    const TColor bottomRight = lowered ? clBtnHighlight : raised ? clBtnShadow : clBtnFace;
    for (int i = 0; i < width; ++i) {
        canvas->Pen()->SetColor(topLeft);
        canvas->MoveTo(r.left, r.bottom - 1);
        canvas->LineTo(r.left, r.top);
        canvas->LineTo(r.right - 1, r.top);
        canvas->Pen()->SetColor(bottomRight);
        canvas->LineTo(r.right - 1, r.bottom - 1);
        canvas->LineTo(r.left - 1, r.bottom - 1);
        InflateRect(&r, -1, -1);
    }
}

}  // namespace

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner)
{
    TControlStyle style = ControlStyle();
    style.Include(csAcceptsControls);
    style.Include(csOpaque);
    SetControlStyle(style);
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::Changed()
{
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value)
{
    if (value == bevelInner_) return;
    bevelInner_ = value;
    Changed();
}

void TCustomPanel::SetBevelOuter(TBevelCut value)
{
    if (value == bevelOuter_) return;
    bevelOuter_ = value;
    Changed();
}

void TCustomPanel::SetBevelWidth(int value)
{
    if (value < 1 || value == bevelWidth_) return;
    bevelWidth_ = value;
    Changed();
}

void TCustomPanel::SetBorderWidth(int value)
{
    if (value < 0 || value == borderWidth_) return;
    borderWidth_ = value;
    Changed();
}

void TCustomPanel::SetAlignment(TAlignment value)
{
    if (value == alignment_) return;
    alignment_ = value;
    Invalidate();
}

void TCustomPanel::AdjustClientRect(TRect& rect)
{
    int inset = borderWidth_;
    if (bevelOuter_ != TBevelCut::bvNone) inset += bevelWidth_;
    if (bevelInner_ != TBevelCut::bvNone) inset += bevelWidth_;
    InflateRect(&rect, -inset, -inset);
}

void TCustomPanel::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    DrawBevel(c, r, bevelOuter_, bevelWidth_);
    InflateRect(&r, -borderWidth_, -borderWidth_);
    DrawBevel(c, r, bevelInner_, bevelWidth_);
    const AnsiString text = Caption();
    if (text.IsEmpty()) return;
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsClear);
    SetBkMode(c->Handle(), TRANSPARENT);
    SetTextColor(c->Handle(), ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    flags |= alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
    RECT tr = r;
    DrawTextA(c->Handle(), text.c_str(), -1, &tr, flags);
}

void TCustomPanel::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_FOCUSCHANGED:
        // Buttons on the panel follow which one Enter clicks.
        NotifyControls(message.Msg, message.WParam, message.LParam);
        return;
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
        TCustomControl::Dispatch(message);
        Invalidate();
        return;
    default:
        break;
    }
    TCustomControl::Dispatch(message);
}
