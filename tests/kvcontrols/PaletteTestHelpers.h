#pragma once
// Palettes with known entries, and checks of what the palette picker paints.

#include <windows.h>

#include <cstddef>
#include <vector>

#include "framework/ControlTestHelpers.h"
#include "kvcontrols/Kvpalette.h"

namespace kvtest {

using Karvon::KvPalette;

// Entry i of the test palettes: distinct for every index up to 511.
inline COLORREF EntryOf(int i) { return RGB(i & 0xFF, 20 + 90 * (i >> 8), 200 - i % 100); }

// A logical palette of n entries EntryOf(0..n-1); the caller deletes it.
inline HPALETTE MakePalette(int n)
{
    std::vector<BYTE> data(offsetof(LOGPALETTE, palPalEntry) + std::size_t(n) * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(data.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = WORD(n);
    for (int i = 0; i < n; ++i) {
        const COLORREF c = EntryOf(i);
        lp->palPalEntry[i] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0};
    }
    return CreatePalette(lp);
}

// Gives the control a copy of a test palette of n entries.
inline void UsePalette(KvPalette& p, int n)
{
    const HPALETTE h = MakePalette(n);
    p.SetPalette(h);
    DeleteObject(h);
}

inline TPoint Centre(const TRect& r) { return TPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

// The control drawn off-screen at its own size.
struct Shot {
    explicit Shot(KvPalette& p) : dib(p.Width(), p.Height()) { p.PaintTo(dib.dc(), 0, 0); }
    COLORREF At(const TPoint& pt) const { return dib.At(pt.x, pt.y); }
    controltest::Dib dib;
};

// How many pixels of r differ between the control's picture and the square's colour with text (none: nothing)
// drawn on it by hand in the contrasting colour the marks use. Only the colour inside the square's two-pixel
// frame is compared.
inline int TextDifference(KvPalette& p, const Shot& shot, int index, const char* text)
{
    const TRect cell = p.SquareRect(index);
    controltest::Dib ref(p.Width(), p.Height());
    const COLORREF fill = EntryOf(index);
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(ref.dc(), &cell, brush);
    DeleteObject(brush);
    if (text) {
        HGDIOBJ old = SelectObject(ref.dc(), p.Font()->Handle());
        SetTextColor(ref.dc(), RGB(GetRValue(fill) < 128 ? 255 : 0, GetGValue(fill) < 128 ? 255 : 0,
                                   GetBValue(fill) < 128 ? 255 : 0));
        SetBkMode(ref.dc(), TRANSPARENT);
        RECT tr{cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom - 1};
        DrawTextA(ref.dc(), text, -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(ref.dc(), old);
    }
    int differ = 0;
    for (int y = cell.top + 2; y < cell.bottom - 2; ++y)
        for (int x = cell.left + 2; x < cell.right - 2; ++x) differ += shot.dib.At(x, y) != ref.At(x, y);
    return differ;
}

// Pixels of the square inside its frame that are not the square's own colour: its mark's ink.
inline int Ink(KvPalette& p, const Shot& shot, int index)
{
    const TRect cell = p.SquareRect(index);
    int ink = 0;
    for (int y = cell.top + 2; y < cell.bottom - 2; ++y)
        for (int x = cell.left + 2; x < cell.right - 2; ++x) ink += shot.dib.At(x, y) != EntryOf(index);
    return ink;
}

}  // namespace kvtest
