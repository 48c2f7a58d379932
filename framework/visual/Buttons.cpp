// Speed buttons.

#include "framework/visual/Buttons.h"

#include <algorithm>

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>())
{
    glyph_->SetOnChange(TNotifyEvent(this, &TSpeedButton::GlyphChanged));
    SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() { glyph_->SetOnChange(nullptr); }

void TSpeedButton::SetGlyph(TBitmap* value)
{
    glyph_->Assign(value);
    GlyphChanged(nullptr);
}

void TSpeedButton::GlyphChanged(TObject*)
{
    if (!glyph_->Transparent()) glyph_->SetTransparent(true);
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int value)
{
    numGlyphs_ = std::clamp(value, 1, 4);
    Invalidate();
}

void TSpeedButton::SetFlat(bool value)
{
    flat_ = value;
    Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && Enabled()) {
        pressed_ = inside_ = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y)
{
    if (pressed_) {
        const bool in = x >= 0 && y >= 0 && x < Width() && y < Height();
        if (in != inside_) {
            inside_ = in;
            Invalidate();
        }
    }
    TGraphicControl::MouseMove(shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && pressed_) {
        pressed_ = inside_ = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        hot_ = message.Msg == CM_MOUSEENTER;
        if (flat_) Invalidate();
        break;
    case CM_ENABLEDCHANGED:
        pressed_ = inside_ = false;
        Invalidate();
        break;
    default:
        break;
    }
    TGraphicControl::Dispatch(message);
}

void TSpeedButton::DrawGlyph(TCanvas* canvas, int x, int y)
{
    if (glyph_->Empty()) return;
    const int cellWidth = glyph_->Width() / numGlyphs_;
    const int h = glyph_->Height();
    if (Enabled() || numGlyphs_ >= 2) {
        const int cell = Enabled() ? 0 : 1;
        if (numGlyphs_ == 1) {
            canvas->Draw(x, y, glyph_.get());
            return;
        }
        // One cell of the strip, drawn through a bitmap of its own so the transparency holds.
        TBitmap part;
        part.SetPixelFormat(pf24bit);
        part.SetSize(cellWidth, h);
        part.Canvas()->CopyRect(TRect(0, 0, cellWidth, h), glyph_->Canvas(),
                                TRect(cell * cellWidth, 0, (cell + 1) * cellWidth, h));
        part.SetTransparentColor(glyph_->TransparentColor());
        part.SetTransparent(true);
        canvas->Draw(x, y, &part);
        return;
    }
    // No disabled cell: the system's embossed look of the picture.
    DrawStateA(canvas->Handle(), nullptr, nullptr, reinterpret_cast<LPARAM>(glyph_->Handle()), 0, x, y, cellWidth, h,
               DST_BITMAP | DSS_DISABLED);
}

void TSpeedButton::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    const bool sunk = pressed_ && inside_;
    c->Brush()->SetColor(clBtnFace);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    if (!flat_) {
        RECT er = r;
        DrawEdge(c->Handle(), &er, sunk ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    } else if (sunk || (hot_ && Enabled())) {
        RECT er = r;
        DrawEdge(c->Handle(), &er, sunk ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    const int shift = sunk ? 1 : 0;
    const int gw = glyph_->Empty() ? 0 : glyph_->Width() / numGlyphs_;
    const int gh = glyph_->Empty() ? 0 : glyph_->Height();
    const AnsiString text = Caption();
    int textWidth = 0;
    if (!text.IsEmpty()) {
        c->Font()->Assign(Font());
        textWidth = c->TextWidth(text);
    }
    const int gap = gw && textWidth ? 4 : 0;
    int x = (r.Width() - gw - gap - textWidth) / 2 + shift;
    DrawGlyph(c, x, (r.Height() - gh) / 2 + shift);
    if (!text.IsEmpty()) {
        x += gw + gap;
        SetBkMode(c->Handle(), TRANSPARENT);
        SetTextColor(c->Handle(), ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
        RECT tr{x, r.top + shift, x + textWidth, r.bottom + shift};
        DrawTextA(c->Handle(), text.c_str(), -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    }
}
