#pragma once
// Fixtures for the library control tests: a form on the display, a parent that hands over a patterned picture
// behind its children (the parent-background protocol), and probes that count what reaches them.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "DrawTestHelpers.h"
#include "framework/ControlTestHelpers.h"
#include "support/Wait.h"
#include "framework/visual/Forms.h"
#include "zcl/components/Zclbasegraphiccontrol.h"
#include "zcl/components/Zclcustomcontrol.h"

namespace zclctl {

using controltest::Dib;
using controltest::Pump;
using controltest::PumpUntil;
using controltest::Rgb;

inline COLORREF Sys(int index) { return GetSysColor(index) & 0xFFFFFF; }

using testwait::UpdatePending;

// A checkerboard of 4-pixel squares in two colours, so that a wrong offset shows.
constexpr COLORREF PatternA = RGB(200, 40, 40);
constexpr COLORREF PatternB = RGB(40, 40, 200);
inline COLORREF PatternAt(int x, int y) { return ((x / 4 + y / 4) % 2) ? PatternB : PatternA; }

inline std::unique_ptr<TBitmap> PatternBitmap(int w, int h)
{
    return drawtest::MakeBitmap(w, h, [](int x, int y) { return std::uint32_t(PatternAt(x, y)); });
}

// A library windowed control that, like a panel with a picture of its own, can hand its children the picture
// behind them; `supplies` switches that off. It counts its paints and what reaches it.
class TBackParent : public TZCLCustomControl {
public:
    explicit TBackParent(TComponent* owner) : TZCLCustomControl(owner)
    {
        SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
        SetColor(TColor(RGB(0, 160, 0)));
    }
    bool supplies = true;
    int paints = 0;
    int backChanged = 0;

    TBitmap* BackBitmap() override { return supplies ? back_.get() : nullptr; }
    bool BackBitmapCheck() override { return supplies; }
    bool BackDrawArea(TCanvas* canvas, const TRect& dest, const TPoint& src, std::uint16_t) override
    {
        if (!supplies) return false;
        const TRect from(src.x + dest.left, src.y + dest.top, src.x + dest.right, src.y + dest.bottom);
        canvas->CopyRect(dest, back_->Canvas(), from);
        return true;
    }
    void SetBackPalette(HPALETTE palette) { back_->SetPalette(palette); }
    // Its own picture: it draws from it whatever its transparency.
    bool CheckOptimized() override { return supplies; }

protected:
    void Paint() override
    {
        ++paints;
        TZCLCustomControl::Paint();
    }
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == CM_ZCLBACKCHANGED) ++backChanged;
        TZCLCustomControl::Dispatch(m);
    }

private:
    std::unique_ptr<TBitmap> back_ = PatternBitmap(400, 300);
};

// A windowless library control that draws its parent's picture behind it when it can, and a mark in its middle.
class TBackLabel : public TZCLBaseGraphicControl {
public:
    explicit TBackLabel(TComponent* owner) : TZCLBaseGraphicControl(owner) {}
    int paints = 0;
    int changes = 0;
    int backChanged = 0;
    int transparentChanged = 0;
    bool drewBack = false;
    static constexpr COLORREF Mark = RGB(255, 255, 0);

    void GetChange(TObject* sender) override
    {
        ++changes;
        TZCLBaseGraphicControl::GetChange(sender);
    }

protected:
    void Paint() override
    {
        ++paints;
        drewBack = false;
        if (!Transparent()) {
            Canvas()->Brush()->SetColor(clWhite);
            Canvas()->FillRect(ClientRect());
        } else if (CheckOptimized()) {
            drewBack = ZCLBackSupplier(this)->BackDrawArea(Canvas(), ClientRect(), BackMapPoint(0, 0), 0);
        }
        Canvas()->Brush()->SetColor(TColor(Mark));
        Canvas()->FillRect(TRect(Width() / 2 - 2, Height() / 2 - 2, Width() / 2 + 2, Height() / 2 + 2));
    }
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == CM_ZCLBACKCHANGED) ++backChanged;
        if (m.Msg == CM_ZCLTRANSPARENTCHANGED) ++transparentChanged;
        TZCLBaseGraphicControl::Dispatch(m);
    }
};

// A borderless form on the display at a fixed place.
class ShownForm : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(40, 40, 320, 240);
        form->SetColor(clWhite);
    }
    void TearDown() override
    {
        form.reset();
        Pump(20);
    }
    void ShowForm()
    {
        form->Show();
        controltest::Activate(form.get());
        Pump(50);
    }
    // A pixel of a window as it shows now (client coordinates).
    static COLORREF WindowPixel(HWND wnd, int x, int y)
    {
        HDC dc = GetDC(wnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(wnd, dc);
        return c;
    }
    // A pixel of a window's frame (window coordinates).
    static COLORREF FramePixel(HWND wnd, int x, int y)
    {
        HDC dc = GetWindowDC(wnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(wnd, dc);
        return c;
    }
    // The mouse to a point of a control (client coordinates), with real input.
    static void MouseToControl(TControl* control, int x, int y)
    {
        const TPoint p = control->ClientToScreen(TPoint(x, y));
        controltest::MouseTo(p.x, p.y);
    }
    std::unique_ptr<TForm> form;
};

}  // namespace zclctl
