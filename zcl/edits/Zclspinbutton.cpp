#include "zcl/edits/Zclspinbutton.h"

#include <cmath>

#include "framework/visual/Messages.h"
#include "framework/runtime/Filer.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

const bool spinButtonPublished = [] {
    using B = TZCLSpinButton;
    PublishedProperties<B>()
        .Set("SpinButtons", &B::SpinButtons, &B::SetBtns, {"sbLeft", "sbRight", "sbUp", "sbDown"},
             TZCLSpinButtons{sbUp})
        .Event("OnBottomClick", &B::OnBottomClick, &B::SetOnBottomClick)
        .Event("OnTopClick", &B::OnTopClick, &B::SetOnTopClick)
        .Event("OnLeftClick", &B::OnLeftClick, &B::SetOnLeftClick)
        .Event("OnRightClick", &B::OnRightClick, &B::SetOnRightClick);
    return true;
}();

// Offsets are worked out in floating point and rounded half to even.
int Round(double v) { return int(std::nearbyint(v)); }

enum ArrowKind { akUp, akDown, akLeft, akRight };
enum Divider { dvPressed, dvAntiDiagonal, dvMainDiagonal, dvLeftWedge, dvRightWedge, dvCross };

struct Arrow {
    ArrowKind kind;
    // x = ax * W + bx, y = ay * H + by
    double ax, bx, ay, by;
};

struct LayoutDef {
    int count;
    Arrow arrows[4];
    Divider divider;
};

const LayoutDef Layouts[16] = {
    {0, {}, dvPressed},
    {1, {{akUp, .5, -2, .5, -2}}, dvPressed},
    {2, {{akUp, .25, -2, .25, -2}, {akDown, .75, -2, .75, -2}}, dvAntiDiagonal},
    {2, {{akUp, .75, -2, .25, -2}, {akLeft, .25, -2, .75, -2}}, dvMainDiagonal},
    {2, {{akUp, .25, -2, .25, -2}, {akRight, .75, -2, .75, -2}}, dvAntiDiagonal},
    {3, {{akLeft, .25, -2, .5, 0}, {akUp, .75, -2, .25, -2}, {akDown, .75, -2, .75, -2}}, dvLeftWedge},
    {3, {{akUp, .25, -2, .25, -2}, {akDown, .25, -2, .75, -2}, {akRight, .75, -2, .5, 0}}, dvRightWedge},
    {3, {{akUp, .25, -2, .5, -2}, {akLeft, .75, -2, .25, -2}, {akRight, .75, 0, .75, 0}}, dvLeftWedge},
    {4, {{akUp, .5, -1, .25, -2}, {akLeft, .25, -2, .5, 0}, {akRight, .75, 2, .5, 0}, {akDown, .5, -1, .75, 0}},
     dvCross},
    {1, {{akDown, .5, -3, .5, -2}}, dvPressed},
    {2, {{akDown, .25, -2, .75, -2}, {akRight, .75, -2, .25, -2}}, dvMainDiagonal},
    {2, {{akDown, .25, -2, .75, -2}, {akLeft, .75, -2, .25, 0}}, dvMainDiagonal},
    {3, {{akDown, .75, -2, .5, -2}, {akLeft, .25, -2, .25, 0}, {akRight, .25, 0, .75, -2}}, dvRightWedge},
    {1, {{akLeft, .5, -2, .5, -1}}, dvPressed},
    {2, {{akLeft, .25, -2, .25, 0}, {akRight, .75, 0, .75, -2}}, dvAntiDiagonal},
    {1, {{akRight, .5, 0, .5, -1}}, dvPressed},
};

const TColor Grey = TColor(RGB(128, 128, 128));

void Line(TCanvas* c, TColor colour, int x1, int y1, int x2, int y2)
{
    c->Pen()->SetColor(colour);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}

}  // namespace

int ZCLSpinLayoutOf(TZCLSpinButtons B)
{
    const bool l = B.Contains(sbLeft), r = B.Contains(sbRight), u = B.Contains(sbUp), d = B.Contains(sbDown);
    // Indexed by left, right, up, down as bits 3..0.
    static const int table[16] = {
        0,   // none
        9,   // d
        1,   // u
        2,   // u d
        15,  // r
        10,  // r d
        4,   // r u
        6,   // r u d
        13,  // l
        11,  // l d
        3,   // l u
        5,   // l u d
        14,  // l r
        12,  // l r d
        7,   // l r u
        8,   // all
    };
    return table[(l << 3) | (r << 2) | (u << 1) | int(d)];
}

TZCLSpinButton::TZCLSpinButton(TComponent* AOwner) : TZCLGraphicControl(AOwner), states_(std::make_unique<TBitmap>())
{
    SetBounds(Left(), Top(), 20, 20);
    SetColor(clBtnFace);
}

TZCLSpinButton::~TZCLSpinButton() { RemoveTimer(); }

void TZCLSpinButton::SetBtns(TZCLSpinButtons Value)
{
    if (Value == spinButtons_) return;
    spinButtons_ = Value;
    if (const int n = ZCLSpinLayoutOf(Value)) layout_ = n;
    statesValid_ = false;
    Invalidate();
}

void TZCLSpinButton::SetFrameStyle(TZCLBorderStyle Value)
{
    if (Value == frameStyle_) return;
    frameStyle_ = Value;
    statesValid_ = false;
    Invalidate();
}

void TZCLSpinButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (AWidth != Width() || AHeight != Height()) statesValid_ = false;
    TZCLGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

TZCLSpinButtonState TZCLSpinButton::ShownState() const
{
    if (!Enabled()) return sbDisabled;
    return pressed_;
}

TBitmap* TZCLSpinButton::StateBitmap()
{
    if (!statesValid_) CreateStates();
    return states_.get();
}

// Drawing -------------------------------------------------------------------------------------------------------

void TZCLSpinButton::CreateStates()
{
    const int w = std::max(1, Width()), h = std::max(1, Height());
    states_->SetSize(6 * w, h);
    states_->Canvas()->Brush()->SetColor(Color());
    states_->Canvas()->FillRect(TRect(0, 0, 6 * w, h));
    DrawState(sbUpper);
    if (spinButtons_.Contains(sbUp)) DrawState(sbUpDown);
    if (spinButtons_.Contains(sbDown)) DrawState(sbDownDown);
    if (spinButtons_.Contains(sbLeft)) DrawState(sbLeftDown);
    if (spinButtons_.Contains(sbRight)) DrawState(sbRightDown);
    DrawState(sbDisabled);
    statesValid_ = true;
}

void TZCLSpinButton::DrawState(TZCLSpinButtonState State)
{
    const int w = std::max(1, Width()), h = std::max(1, Height());
    TBitmap face;
    face.SetSize(w, h);
    TCanvas* c = face.Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(TRect(0, 0, w, h));
    TRect r(0, 0, w, h);
    ZCLDrawStdFrame(c, r, frameStyle_, 0);
    const int L = r.left, T = r.top, R = r.right, B = r.bottom;
    const double W = R - L, H = B - T;
    const bool enabled = State != sbDisabled;
    const LayoutDef& def = Layouts[layout_ >= 1 && layout_ <= 15 ? layout_ : 1];

    c->Pen()->SetColor(clBlack);
    for (int i = 0; i < def.count; ++i) {
        const Arrow& a = def.arrows[i];
        const int x = L + Round(a.ax * W + a.bx), y = T + Round(a.ay * H + a.by);
        switch (a.kind) {
        case akUp:
        case akDown: ZCLDrawTriangle(c, x, y, 3, clBlack, a.kind == akDown, enabled); break;
        case akLeft:
        case akRight: {
            const int dx = a.kind == akLeft ? 2 : -2;
            const TPoint pts[3] = {TPoint(x, y), TPoint(x + dx, y - 2), TPoint(x + dx, y + 2)};
            c->Brush()->SetColor(clBlack);
            c->Pen()->SetColor(clBlack);
            c->Polygon(pts, 3);
            c->FloodFill(x + dx / 2, y, clBlack, fsBorder);
            c->Brush()->SetColor(Color());
            break;
        }
        }
    }

    switch (def.divider) {
    case dvPressed:
        if (State >= sbUpDown && State <= sbRightDown) {
            TRect all(0, 0, w, h);
            ZCLDrawStdFrame(c, all, lsLowered, 0);
        }
        break;
    case dvMainDiagonal:
        c->MoveTo(0, 0);
        c->LineTo(w, h);
        break;
    case dvLeftWedge:
        c->MoveTo(0, 0);
        c->LineTo(w - w / 3, h / 2);
        c->LineTo(w, h / 2);
        c->MoveTo(w - w / 3, h / 2);
        c->LineTo(0, h);
        break;
    case dvRightWedge:
        c->MoveTo(w, 0);
        c->LineTo(w / 3, h / 2);
        c->LineTo(0, h / 2);
        c->MoveTo(w / 3, h / 2);
        c->LineTo(w, h);
        break;
    case dvAntiDiagonal: {
        const bool upPressed = State == sbUpDown, downPressed = State == sbDownDown;
        const TColor outer1 = upPressed ? Grey : clWhite, diag1 = upPressed ? clWhite : Grey;
        c->Pen()->SetColor(outer1);
        c->MoveTo(L - 1, B);
        c->LineTo(L - 1, T - 1);
        c->LineTo(R, T - 1);
        c->Pen()->SetColor(diag1);
        c->LineTo(L, B);
        const TColor outer2 = downPressed ? clWhite : Grey, diag2 = downPressed ? Grey : clWhite;
        c->Pen()->SetColor(outer2);
        c->MoveTo(L + 1, B);
        c->LineTo(R, B);
        c->LineTo(R, T + 1);
        c->Pen()->SetColor(diag2);
        c->LineTo(L + 1, B);
        break;
    }
    case dvCross: {
        const int hw = int(W) / 2, hh = int(H) / 2;
        Line(c, clWhite, L + 1, T, L + hw, T + hh - 1);
        Line(c, clWhite, R, T + 1, L + hw + 1, T + hh + 1);
        Line(c, Grey, L, T + 1, L + hw, T + hh + 1);
        Line(c, Grey, R - 1, T, L + hw, T + hh);
        Line(c, clBlack, L, T, R, B);
        Line(c, clBlack, L, B, R, T);
        break;
    }
    }
    states_->Canvas()->CopyRect(TRect(int(State) * w, 0, int(State) * w + w, h), c, TRect(0, 0, w, h));
}

void TZCLSpinButton::Paint()
{
    if (!statesValid_) CreateStates();
    const int w = Width(), h = Height();
    const int s = int(ShownState());
    Canvas()->CopyRect(TRect(0, 0, w, h), states_->Canvas(), TRect(s * w, 0, s * w + w, h));
    lastDrawn_ = ShownState();
}

// Pressing ------------------------------------------------------------------------------------------------------

TZCLSpinButtonState TZCLSpinButton::PartAt(int X, int Y) const
{
    if (X < 0 || Y < 0 || X >= Width() || Y >= Height()) return sbUpper;
    switch (layout_) {
    case 1: return sbUpDown;
    case 9: return sbDownDown;
    case 13: return sbLeftDown;
    case 15: return sbRightDown;
    case 2: {
        const POINT tri[3] = {{0, 0}, {0, Height()}, {Width(), 0}};
        HRGN rgn = CreatePolygonRgn(tri, 3, ALTERNATE);
        const bool up = rgn && PtInRegion(rgn, X, Y);
        if (rgn) DeleteObject(rgn);
        return up ? sbUpDown : sbDownDown;
    }
    default: return sbUpper;
    }
}

void TZCLSpinButton::FirePart(TZCLSpinButtonState Part)
{
    switch (Part) {
    case sbUpDown:
        if (onTopClick_) onTopClick_(this);
        break;
    case sbDownDown:
        if (onBottomClick_) onBottomClick_(this);
        break;
    case sbLeftDown:
        if (onLeftClick_) onLeftClick_(this);
        break;
    case sbRightDown:
        if (onRightClick_) onRightClick_(this);
        break;
    default: break;
    }
}

void TZCLSpinButton::SetDown(TZCLSpinButtonState Value)
{
    if (Value == sbDisabled) return;
    if (Value == sbUpper) {
        Release();
        return;
    }
    if (!Enabled()) return;
    RemoveTimer();
    pressed_ = Value;
    Invalidate();
    FirePart(Value);
    // The handler may have released, disabled or freed the press.
    if (pressed_ == Value && Enabled()) AddTimer();
}

void TZCLSpinButton::Release()
{
    RemoveTimer();
    mouseDown_ = false;
    if (pressed_ == sbUpper) return;
    pressed_ = sbUpper;
    Invalidate();
}

void TZCLSpinButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TZCLGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    mouseDown_ = true;
    const TZCLSpinButtonState part = PartAt(X, Y);
    if (part == sbUpper) return;
    SetDown(part);
}

void TZCLSpinButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    // Wherever the button comes up, the repeat ends.
    if (Button == mbLeft) Release();
    TZCLGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TZCLSpinButton::AddTimer()
{
    RemoveTimer();
    const std::uint16_t id = ZCLApplication->AddTimer(ZCLPoolInterval(unsigned(repeatInterval_) + 200),
                                                      TNotifyEvent(this, &TZCLSpinButton::TimerExpired));
    if (id) timerId_ = id;
}

void TZCLSpinButton::RemoveTimer()
{
    if (timerId_ == -1) return;
    const auto id = std::uint16_t(timerId_);
    timerId_ = -1;
    if (TZCLApplication* app = TZCLApplicationRef::Get()) app->RemoveTimer(id);
}

void TZCLSpinButton::TimerExpired(TObject*)
{
    if (timerId_ == -1) return;
    if (TZCLTimerItem* item = ZCLApplication->GetTimer(std::uint16_t(timerId_)))
        item->SetInterval(ZCLPoolInterval(repeatInterval_));
    if (pressed_ == sbUpper || !Enabled()) {
        RemoveTimer();
        return;
    }
    FirePart(pressed_);
}

void TZCLSpinButton::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_MOUSELEAVE:
        // Out of the control a press ends, with no event.
        Release();
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled()) Release();
        Invalidate();
        break;
    case CM_COLORCHANGED:
        statesValid_ = false;
        Invalidate();
        break;
    case CM_VISIBLECHANGED:
        if (!Visible()) Release();
        break;
    default: break;
    }
    TZCLGraphicControl::Dispatch(Message);
}
