// Scroll box.

#include "framework/visual/ScrollBox.h"

#include <algorithm>

void TControlScrollBar::SetRange(int value)
{
    range_ = std::max(0, value);
    rangeSet_ = true;
    owner_->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(int value)
{
    value = std::clamp(value, 0, MaxPosition());
    if (value == position_) return;
    const int delta = position_ - value;
    position_ = value;
    if (kind_ == sbHorizontal)
        owner_->ScrollBy(delta, 0);
    else
        owner_->ScrollBy(0, delta);
    owner_->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool value)
{
    visible_ = value;
    owner_->UpdateScrollBars();
}

int TControlScrollBar::ClientSize() const
{
    return kind_ == sbHorizontal ? owner_->ClientWidth() : owner_->ClientHeight();
}

int TControlScrollBar::MaxPosition() const { return IsScrollBarVisible() ? std::max(0, range_ - ClientSize()) : 0; }

bool TControlScrollBar::IsScrollBarVisible() const { return visible_ && range_ > ClientSize(); }

TScrollBox::TScrollBox(TComponent* owner)
    : TWinControl(owner),
      horz_(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      vert_(std::make_unique<TControlScrollBar>(this, sbVertical))
{
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

void TScrollBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL;
    if (borderStyle_ != bsNone) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::CreateWnd()
{
    TWinControl::CreateWnd();
    UpdateScrollBars();
}

void TScrollBox::SetAutoScroll(bool value)
{
    autoScroll_ = value;
    Realign();
}

void TScrollBox::SetBorderStyle(TFormBorderStyle value)
{
    if (value == borderStyle_) return;
    borderStyle_ = value;
    RecreateWnd();
}

void TScrollBox::ScrollBy(int dx, int dy)
{
    if (!dx && !dy) return;
    DisableAlign();
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
    }
    EnableAlign();
    Invalidate();
}

void TScrollBox::ScrollInView(TControl* control)
{
    if (!control || control->Parent() != this) return;
    auto bring = [](TControlScrollBar* bar, int start, int size, int client) {
        if (start < 0)
            bar->SetPosition(bar->Position() + start);
        else if (start + size > client)
            bar->SetPosition(bar->Position() + std::min(start, start + size - client));
    };
    bring(horz_.get(), control->Left(), control->Width(), ClientWidth());
    bring(vert_.get(), control->Top(), control->Height(), ClientHeight());
}

void TScrollBox::CalcAutoRange()
{
    if (!autoScroll_) return;
    int right = 0, bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible()) continue;
        // Extents in the unscrolled area; aligned children follow the client area and do not count.
        if (c->Align() == alNone || c->Align() == alLeft || c->Align() == alRight)
            right = std::max(right, c->Left() + c->Width() + horz_->position_);
        if (c->Align() == alNone || c->Align() == alTop || c->Align() == alBottom)
            bottom = std::max(bottom, c->Top() + c->Height() + vert_->position_);
    }
    if (!horz_->rangeSet_) horz_->range_ = right;
    if (!vert_->rangeSet_) vert_->range_ = bottom;
}

void TScrollBox::AlignControls(TControl* control, TRect& rect)
{
    TWinControl::AlignControls(control, rect);
    if (updating_) return;
    CalcAutoRange();
    UpdateScrollBars();
}

void TScrollBox::UpdateScrollBars()
{
    if (!HandleAllocated() || updating_) return;
    updating_ = true;
    struct Done {
        bool& f;
        ~Done() { f = false; }
    } done{updating_};
    // Showing one bar narrows the other's room: twice settles it.
    for (int pass = 0; pass < 2; ++pass)
        for (TControlScrollBar* bar : {horz_.get(), vert_.get()}) {
            const int type = bar->kind_ == sbHorizontal ? SB_HORZ : SB_VERT;
            const bool show = bar->IsScrollBarVisible();
            if (!show && bar->position_ != 0) {
                const int delta = bar->position_;
                bar->position_ = 0;
                bar->kind_ == sbHorizontal ? ScrollBy(delta, 0) : ScrollBy(0, delta);
            } else if (bar->position_ > bar->MaxPosition()) {
                const int delta = bar->position_ - bar->MaxPosition();
                bar->position_ = bar->MaxPosition();
                bar->kind_ == sbHorizontal ? ScrollBy(delta, 0) : ScrollBy(0, delta);
            }
            SCROLLINFO si{sizeof si, SIF_ALL | SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
            if (show) {
                si.nMax = bar->range_ - 1;
                si.nPage = UINT(bar->ClientSize() + 1);
                si.nPos = bar->position_;
            }
            si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            SetScrollInfo(Handle(), type, &si, TRUE);
            ShowScrollBar(Handle(), type, show);
        }
}

void TScrollBox::Scroll(TControlScrollBar* bar, int code)
{
    const int page = bar->ClientSize();
    int pos = bar->position_;
    switch (code) {
    case SB_LINEUP:
        pos -= bar->increment_;
        break;
    case SB_LINEDOWN:
        pos += bar->increment_;
        break;
    case SB_PAGEUP:
        pos -= page;
        break;
    case SB_PAGEDOWN:
        pos += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(Handle(), bar->kind_ == sbHorizontal ? SB_HORZ : SB_VERT, &si);
        pos = si.nTrackPos;
        break;
    }
    case SB_TOP:
        pos = 0;
        break;
    case SB_BOTTOM:
        pos = bar->MaxPosition();
        break;
    default:
        return;
    }
    bar->SetPosition(pos);
}

void TScrollBox::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (message.LParam == 0) {  // the window's own bar, not a scroll bar control
            Scroll(message.Msg == WM_HSCROLL ? horz_.get() : vert_.get(), LOWORD(message.WParam));
            message.Result = 0;
            return;
        }
        break;
    case CM_FOCUSCHANGED:
        NotifyControls(message.Msg, message.WParam, message.LParam);
        return;
    default:
        break;
    }
    TWinControl::Dispatch(message);
}
