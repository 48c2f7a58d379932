#pragma once
// Points, sizes and rectangles. Each is the Win32 structure itself with constructors added, so a TRect* is a
// RECT* and an array of TPoint is an array of POINT for the drawing calls.

#include <windows.h>

struct TPoint : POINT {
    constexpr TPoint() : POINT{0, 0} {}
    constexpr TPoint(int ax, int ay) : POINT{ax, ay} {}
    constexpr TPoint(const POINT& p) : POINT(p) {}

    friend constexpr bool operator==(const TPoint& a, const TPoint& b) { return a.x == b.x && a.y == b.y; }
};
static_assert(sizeof(TPoint) == sizeof(POINT));

struct TSize : SIZE {
    constexpr TSize() : SIZE{0, 0} {}
    constexpr TSize(int acx, int acy) : SIZE{acx, acy} {}
    constexpr TSize(const SIZE& s) : SIZE(s) {}

    friend constexpr bool operator==(const TSize& a, const TSize& b) { return a.cx == b.cx && a.cy == b.cy; }
};

// Right and bottom are exclusive: the width is right - left.
struct TRect : RECT {
    constexpr TRect() : RECT{0, 0, 0, 0} {}
    constexpr TRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    constexpr TRect(const TPoint& topLeft, const TPoint& bottomRight)
        : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y}
    {
    }
    constexpr TRect(const RECT& r) : RECT(r) {}

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr TPoint TopLeft() const { return TPoint(left, top); }
    constexpr TPoint BottomRight() const { return TPoint(right, bottom); }
    // True when the rectangle covers no pixel.
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }

    friend constexpr bool operator==(const TRect& a, const TRect& b)
    {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};
static_assert(sizeof(TRect) == sizeof(RECT));

constexpr TPoint Point(int x, int y) { return TPoint(x, y); }
constexpr TRect Rect(int left, int top, int right, int bottom) { return TRect(left, top, right, bottom); }
// The rectangle of the given size at (left, top).
constexpr TRect Bounds(int left, int top, int width, int height)
{
    return TRect(left, top, left + width, top + height);
}
