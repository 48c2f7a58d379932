#pragma once
// Fixtures for the panel and label tests: a parent that hands over a picture whose every pixel says where it
// lies (so a wrong offset or mirror shows at once), and what a control's window styles are.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ZclControlTestHelpers.h"
#include "zcl/components/Zclcustomcontrol.h"

namespace paneltest {

// Red is x, green is y (both below 256), blue a fixed mark: the pixel at (x, y) of the picture.
inline COLORREF PlaceColour(int x, int y) { return RGB(x & 0xFF, y & 0xFF, 0x5A); }

inline std::unique_ptr<TBitmap> PlaceBitmap(int w, int h)
{
    return drawtest::MakeBitmap(w, h, [](int x, int y) { return std::uint32_t(PlaceColour(x, y)); });
}

// A library windowed parent with a picture of its own, handed to its children through the background protocol.
class TPlaceParent : public TZCLCustomControl {
public:
    explicit TPlaceParent(TComponent* owner) : TZCLCustomControl(owner)
    {
        SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    }
    bool supplies = true;
    TBitmap* BackBitmap() override { return supplies ? back_.get() : nullptr; }
    bool BackBitmapCheck() override { return supplies; }
    bool BackDrawArea(TCanvas* canvas, const TRect& dest, const TPoint& src, std::uint16_t) override
    {
        if (!supplies) return false;
        canvas->CopyRect(dest, back_->Canvas(),
                         TRect(src.x + dest.left, src.y + dest.top, src.x + dest.right, src.y + dest.bottom));
        return true;
    }
    bool CheckOptimized() override { return supplies; }

private:
    std::unique_ptr<TBitmap> back_ = PlaceBitmap(250, 250);
};

// What c's BackDrawArea puts on a canvas at dest (src: where dest starts in c's client area), row by row; ok tells
// whether it drew.
inline std::vector<COLORREF> BackPiece(TZCLCustomControl* c, const TRect& dest, const TPoint& src, bool* ok = nullptr)
{
    drawtest::Surface s(dest.right, dest.bottom, 0x010203);
    const bool drawn = c->BackDrawArea(s.Canvas(), dest, src, 0);
    if (ok) *ok = drawn;
    std::vector<COLORREF> pixels;
    for (int y = dest.top; y < dest.bottom; ++y)
        for (int x = dest.left; x < dest.right; ++x) pixels.push_back(COLORREF(s.At(x, y)));
    return pixels;
}

// The pixels of a picture (colour(x, y)) in a rectangle of dest's size from at, row by row.
inline std::vector<COLORREF> PictureAt(const TRect& dest, const TPoint& at,
                                       const std::function<COLORREF(int, int)>& colour = PlaceColour)
{
    std::vector<COLORREF> pixels;
    for (int y = 0; y < dest.Height(); ++y)
        for (int x = 0; x < dest.Width(); ++x) pixels.push_back(colour(at.x + x, at.y + y));
    return pixels;
}

inline DWORD StyleOf(TWinControl* c) { return DWORD(GetWindowLongA(c->Handle(), GWL_STYLE)); }
inline DWORD ExStyleOf(TWinControl* c) { return DWORD(GetWindowLongA(c->Handle(), GWL_EXSTYLE)); }

}  // namespace paneltest
