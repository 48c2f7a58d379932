#pragma once
// Region comparisons for the region tests: two regions point by point over a grid, with the first difference
// named, and regions read back from windows.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/runtime/Handles.h"
#include "framework/runtime/Types.h"

namespace rgntest {

inline std::string Box(HRGN r)
{
    if (!r) return "(no region)";
    RECT b;
    const int kind = GetRgnBox(r, &b);
    if (kind == NULLREGION) return "(empty)";
    return "(" + std::to_string(b.left) + "," + std::to_string(b.top) + "," + std::to_string(b.right) + "," +
           std::to_string(b.bottom) + ")";
}

// The same points inside both regions over the grid, and the same bounding box. (EqualRgn is not used: a
// region made again from its data may be cut into other rectangles and still cover the same pixels.)
inline ::testing::AssertionResult SameRegion(HRGN actual, HRGN expected, const TRect& grid = TRect(-60, -60, 260, 260))
{
    if (!actual || !expected)
        return ::testing::AssertionFailure() << "a region is missing: " << Box(actual) << " " << Box(expected);
    for (int y = grid.top; y < grid.bottom; ++y)
        for (int x = grid.left; x < grid.right; ++x) {
            const bool a = PtInRegion(actual, x, y) != FALSE, e = PtInRegion(expected, x, y) != FALSE;
            if (a != e)
                return ::testing::AssertionFailure()
                       << "(" << x << "," << y << ") is " << (a ? "inside" : "outside") << ", expected "
                       << (e ? "inside" : "outside") << "; boxes " << Box(actual) << " " << Box(expected);
        }
    if (Box(actual) != Box(expected))
        return ::testing::AssertionFailure() << "the boxes differ: " << Box(actual) << " " << Box(expected);
    return ::testing::AssertionSuccess();
}

inline HRGN Polygon(std::initializer_list<POINT> points)
{
    return CreatePolygonRgn(points.begin(), int(points.size()), ALTERNATE);
}

inline HRGN Combined(HRGN a, HRGN b, int mode)
{
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(r, a, b, mode);
    DeleteObject(a);
    DeleteObject(b);
    return r;
}

// The window's region (in window coordinates); null when it has none.
inline HRGN WindowRegion(HWND wnd)
{
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(wnd, r) == ERROR) {
        DeleteObject(r);
        return nullptr;
    }
    return r;
}

}  // namespace rgntest
