#pragma once
// Fixtures for the list and scroll box tests: pictures for the image lists, an item drawn off-screen the way
// the list asks for it, real clicks, and counting pixels.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "ZclControlTestHelpers.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/containers/Zclcont.h"

namespace listtest {

using zclctl::Dib;

// A w x h picture in Back with a square of Front in its middle (a quarter of each side in from the edges).
inline std::unique_ptr<TBitmap> Framed(int w, int h, COLORREF back, COLORREF front)
{
    return drawtest::MakeBitmap(w, h, [=](int x, int y) {
        const bool inside = x >= w / 4 && x < w - w / 4 && y >= h / 4 && y < h - h / 4;
        return std::uint32_t(inside ? front : back);
    });
}

inline void AddBitmap(TZCLBitmapList* list, TBitmap* b)
{
    static_cast<TZCLBitmapListItem*>(list->GetItem(list->Add()))->SetBitmap(b);
}

// One strip of count images of size x size, image i filled with colours[i].
inline void AddStrip(TZCLImageList* list, int size, std::initializer_list<COLORREF> colours)
{
    auto* strip = static_cast<TZCLImageListItem*>(list->GetItem(list->Add()));
    strip->SetWidth(size);
    strip->SetHeight(size);
    const int n = int(colours.size());
    auto picture = drawtest::MakeBitmap(size * n, size, [&](int x, int) {
        return std::uint32_t(colours.begin()[x / size]);
    });
    strip->Add(picture.get(), nullptr);
}

// Item Index drawn by the list's own owner-draw path into dc at r.
inline void DrawItemTo(TWinControl* list, HDC dc, int index, const TRect& r, UINT state = ODS_DEFAULT)
{
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_LISTBOX;
    dis.itemID = UINT(index);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hDC = dc;
    dis.rcItem = r;
    list->Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
}

// Pixels of a DIB in r that are not colour c.
inline int Others(const Dib& dib, const TRect& r, COLORREF c)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (dib.At(x, y) != c) ++n;
    return n;
}

inline int Count(const Dib& dib, const TRect& r, COLORREF c)
{
    return (r.right - r.left) * (r.bottom - r.top) - Others(dib, r, c);
}

// A pixel of the screen.
inline COLORREF ScreenPixel(const TPoint& p)
{
    HDC dc = GetDC(nullptr);
    const COLORREF c = GetPixel(dc, p.x, p.y);
    ReleaseDC(nullptr, dc);
    return c;
}

// A real left click at a point of a control (client coordinates).
inline void ClickAt(TControl* control, int x, int y)
{
    const TPoint p = control->ClientToScreen(TPoint(x, y));
    controltest::MouseTo(p.x, p.y);
    controltest::MouseButton(true);
    controltest::MouseButton(false);
}

// A real click on a scroll bar at a screen point: press and release go in together, as the bar's tracking loop
// holds the thread until it sees the release.
inline void ClickOnBar(int x, int y)
{
    controltest::MouseTo(x, y);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
}

}  // namespace listtest
