// The library's general procedures: geometry, numbers, bits, folders and file names, the busy wait,
// the system-menu trimmer and the dock error.

#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclprocs.h"
#include "zcl/graphics/Zclgraph.h"

namespace {

::testing::AssertionResult SameRect(const TRect& a, const TRect& b)
{
    if (a == b) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.left << "," << a.top << "," << a.right << "," << a.bottom
                                         << ") expected (" << b.left << "," << b.top << "," << b.right << ","
                                         << b.bottom << ")";
}

}  // namespace

TEST(ZclprocsRect, RectinRectExcludesRightAndBottomEdges)
{
    const TRect outer(0, 0, 10, 10);
    struct Case {
        TRect inner;
        bool in;
    } const cases[] = {
        {TRect(0, 0, 9, 9), true},
        {TRect(2, 3, 4, 5), true},
        {TRect(0, 0, 10, 10), false},  // the rectangle itself: its corner (10, 10) lies outside
        {TRect(0, 0, 10, 5), false},
        {TRect(-1, 0, 5, 5), false},
        {TRect(5, 5, 12, 8), false},
        {TRect(8, 8, 2, 2), true},  // only the two corners count
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZCLRectinRect(c.inner, outer), c.in)
            << c.inner.left << "," << c.inner.top << "," << c.inner.right << "," << c.inner.bottom;
}

TEST(ZclprocsRect, AffineRectKeepsTheAspectAtDestsCorner)
{
    struct Case {
        TRect src, dest, result;
    } const cases[] = {
        {TRect(0, 0, 100, 50), TRect(10, 20, 210, 220), TRect(10, 20, 210, 120)},  // width decides
        {TRect(5, 5, 55, 105), TRect(0, 0, 200, 100), TRect(0, 0, 50, 100)},      // height decides
        {TRect(0, 0, 100, 50), TRect(0, 0, 50, 25), TRect(0, 0, 50, 25)},         // shrinking
        {TRect(0, 0, 3, 2), TRect(0, 0, 5, 100), TRect(0, 0, 5, 3)},              // 3.33 rounds down
        {TRect(0, 0, 4, 1), TRect(0, 0, 2, 100), TRect(0, 0, 2, 0)},              // 0.5 to even: 0
        {TRect(0, 0, 4, 3), TRect(0, 0, 2, 100), TRect(0, 0, 2, 2)},              // 1.5 to even: 2
        {TRect(0, 0, 0, 10), TRect(3, 4, 100, 24), TRect(3, 4, 3, 24)},           // no width: height decides
        {TRect(0, 0, 0, 0), TRect(3, 4, 100, 24), TRect(3, 4, 3, 4)},             // nothing to scale
    };
    for (const Case& c : cases) EXPECT_TRUE(SameRect(ZCLAffineRect(c.src, c.dest), c.result));
}

TEST(ZclprocsRect, CalcRotRectGivesTheTurnedBoundingBoxAtTheOrigin)
{
    struct Case {
        TRect r;
        int angle;
        TRect result;
    } const cases[] = {
        {TRect(5, 5, 25, 15), 0, TRect(5, 5, 25, 15)},   // no turn: left where it is
        {TRect(5, 5, 25, 15), 360, TRect(0, 0, 20, 10)},  // a full turn still moves it to the origin
        {TRect(5, 5, 25, 15), 90, TRect(0, 0, 10, 20)},
        {TRect(5, 5, 25, 15), -90, TRect(0, 0, 10, 20)},
        {TRect(0, 0, 20, 10), 180, TRect(0, 0, 20, 10)},
        {TRect(0, 0, 10, 10), 45, TRect(0, 0, 14, 14)},  // the diagonal, 14.14
        {TRect(0, 0, 20, 10), 30, TRect(0, 0, 22, 18)},  // 20 cos + 10 sin, 20 sin + 10 cos
    };
    for (const Case& c : cases) {
        TRect r = c.r;
        ZCLCalcRotRect(r, c.angle);
        EXPECT_TRUE(SameRect(r, c.result)) << "angle " << c.angle;
    }
}

TEST(ZclprocsRect, SmallRectangleHelpers)
{
    TRect r(1, 2, 3, 4);
    ZCLAdjustRect(r, 10, 20);
    EXPECT_TRUE(SameRect(r, TRect(1, 2, 13, 24)));
    ZCLAdjustRectExt(r, -1, -2, 1, 2);
    EXPECT_TRUE(SameRect(r, TRect(0, 0, 14, 26)));
    EXPECT_TRUE(SameRect(ZCLExpandRect(r, 3), TRect(-3, -3, 17, 29)));
    EXPECT_TRUE(SameRect(ZCLExpandRect(r, -2), TRect(2, 2, 12, 24)));
    int w = 0, h = 0;
    ZCLGetRectWH(TRect(10, 10, 4, 30), w, h);
    EXPECT_EQ(w, -6);
    EXPECT_EQ(h, 20);
}

TEST(ZclprocsRotation, RightAnglesPutTheOriginInTheBoxCorners)
{
    // A = 40, B = 10.
    struct Case {
        int angle, x, y;
    } const cases[] = {{0, 0, 10}, {90, 10, 10}, {180, 40, 0}, {270, 30, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(ZCLRotatedXPos(c.angle, 40, 10), c.x) << c.angle;
        EXPECT_EQ(ZCLRotatedYPos(c.angle, 40, 10), c.y) << c.angle;
    }
}

TEST(ZclprocsRotation, OriginMovesSmoothlyAcrossTheQuadrants)
{
    // The four pieces of each formula must meet: one degree never jumps far (at most
    // (A + B) * pi / 180 plus rounding).
    for (int a = 0; a < 359; ++a) {
        EXPECT_LE(std::abs(ZCLRotatedXPos(a + 1, 40, 10) - ZCLRotatedXPos(a, 40, 10)), 2) << a;
        EXPECT_LE(std::abs(ZCLRotatedYPos(a + 1, 40, 10) - ZCLRotatedYPos(a, 40, 10)), 2) << a;
    }
}

TEST(ZclprocsPoints, MidpointDividesTowardsZero)
{
    struct Case {
        std::vector<TPoint> points;
        TPoint mid;
    } const cases[] = {
        {{TPoint(0, 0), TPoint(3, 3)}, TPoint(1, 1)},
        {{TPoint(-3, -3), TPoint(0, 0)}, TPoint(-1, -1)},
        {{TPoint(7, -8)}, TPoint(7, -8)},
        {{TPoint(INT_MAX, INT_MIN), TPoint(INT_MAX, INT_MIN)}, TPoint(INT_MAX, INT_MIN)},
    };
    for (const Case& c : cases) {
        TPoint r(99, 99);
        ZCLMidpoint(c.points.data(), int(c.points.size()), r);
        EXPECT_EQ(r, c.mid);
    }
    TPoint untouched(5, 6);
    ZCLMidpoint(nullptr, 0, untouched);
    EXPECT_EQ(untouched, TPoint(5, 6));
}

TEST(ZclprocsPoints, OffsetAndNullTouchPointsZeroToHigh)
{
    TPoint p[3] = {TPoint(1, 1), TPoint(2, 2), TPoint(3, 3)};
    ZCLOffsetPoints(p, 1, 10, -10);
    EXPECT_EQ(p[0], TPoint(11, -9));
    EXPECT_EQ(p[1], TPoint(12, -8));
    EXPECT_EQ(p[2], TPoint(3, 3));
    ZCLNullPoints(p, 0);
    EXPECT_EQ(p[0], TPoint(0, 0));
    EXPECT_EQ(p[1], TPoint(12, -8));
    ZCLOffsetPoints(p, -1, 5, 5);  // no points
    EXPECT_EQ(p[0], TPoint(0, 0));
}

TEST(ZclprocsNumbers, MaxMinMidAndPower)
{
    EXPECT_EQ(ZCLMax({-5}), -5);
    EXPECT_EQ(ZCLMin({-5}), -5);
    EXPECT_EQ(ZCLMax({-5, -2, -9}), -2);
    EXPECT_EQ(ZCLMin({3, INT_MIN, INT_MAX}), INT_MIN);
    EXPECT_EQ(ZCLMaxR({1.5L, -2.25L, 1.25L}), 1.5L);
    EXPECT_EQ(ZCLMinR({1.5L, -2.25L, 1.25L}), -2.25L);

    struct Mid {
        int a, b, mid;
    } const mids[] = {{-3, 0, -1}, {3, 0, 1}, {-4, 1, -1}, {INT_MAX, INT_MAX, INT_MAX}, {INT_MIN, INT_MIN, INT_MIN}};
    for (const Mid& m : mids) EXPECT_EQ(ZCLMidI(m.a, m.b), m.mid) << m.a << " " << m.b;

    struct Pow {
        int base, n, result;
    } const pows[] = {{2, 0, 1}, {2, -3, 1}, {0, 0, 1}, {2, 10, 1024}, {-3, 3, -27}, {7, 1, 7}};
    for (const Pow& p : pows) EXPECT_EQ(ZCLExp(p.base, p.n), p.result) << p.base << "^" << p.n;
}

TEST(ZclprocsNumbers, Swaps)
{
    int a = 1, b = 2;
    ZCLSwapInt(a, b);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 1);
    AnsiString s = "left", t = "right";
    ZCLSwapString(s, t);
    EXPECT_EQ(s, "right");
    EXPECT_EQ(t, "left");
}

TEST(ZclprocsBits, SetBitSetsOrClearsToTheValue)
{
    struct Case {
        std::uint8_t before, bit;
        bool value;
        std::uint8_t after;
    } const cases[] = {
        {0x00, 2, true, 0x04},  {0x04, 2, true, 0x04},  {0x04, 2, false, 0x00},
        {0x00, 2, false, 0x00},  // clearing a clear bit leaves it clear
        {0xFF, 7, false, 0x7F}, {0x00, 0, true, 0x01},  {0x5A, 8, true, 0x5A},  // no bit 8 in a byte
    };
    for (const Case& c : cases) {
        std::uint8_t b = c.before;
        ZCLSetBit(b, c.bit, c.value);
        EXPECT_EQ(b, c.after) << int(c.before) << " bit " << int(c.bit) << " " << c.value;
    }
}

TEST(ZclprocsBits, SetBitUpToAndGetBit)
{
    struct Case {
        std::uint8_t before, bit, after;
    } const cases[] = {{0x00, 0, 0x01}, {0x00, 3, 0x0F}, {0x80, 2, 0x87}, {0x00, 7, 0xFF}, {0x00, 200, 0xFF}};
    for (const Case& c : cases) {
        std::uint8_t b = c.before;
        ZCLSetBitUpTo(b, c.bit);
        EXPECT_EQ(b, c.after) << int(c.bit);
    }
    EXPECT_TRUE(ZCLGetBit(0x80, 7));
    EXPECT_FALSE(ZCLGetBit(0x7F, 7));
    EXPECT_TRUE(ZCLGetBit(0x01, 0));
    EXPECT_FALSE(ZCLGetBit(0xFF, 8));
}

TEST(Zclgraph, FocusStyleDrawingFlags)
{
    EXPECT_EQ(ZCLConvertFocusStyle(fcControl), 0);
    EXPECT_EQ(ZCLConvertFocusStyle(fcText), 64);
    EXPECT_EQ(ZCLConvertFocusStyle(fcGlyph), 128);
    EXPECT_EQ(ZCLConvertFocusStyle(fcGlyphText), 256);
    EXPECT_EQ(ZCLConvertFocusStyle(fcNone), 0);
}

TEST(ZclprocsFiles, ProgramFolderAndIniName)
{
    const AnsiString path = ZCLAppPath();
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path[path.Length()], '\\');
    EXPECT_TRUE(FileExists(path + ExtractFileName(ParamStr(0))));

    const AnsiString ini = ZCLAppIniName();
    EXPECT_EQ(ini.SubString(1, 9), "SOFTWARE\\");
    const AnsiString rest = ini.SubString(10, ini.Length() - 9);
    EXPECT_FALSE(rest.IsEmpty());
    EXPECT_EQ(rest.Pos("\\"), 0);
    EXPECT_EQ(rest.UpperCase().Pos(".EXE"), 0);
}

TEST(ZclprocsFiles, ExtractFileNameDropsFolderAndExtension)
{
    struct Case {
        const char* path;
        const char* name;
    } const cases[] = {
        {"C:\\a\\b.txt", "b"},   {"b.tar.gz", "b.tar"}, {"C:\\a.b\\c", "c"},
        {"noext", "noext"},      {"C:\\dir\\", ""},     {"D:x.ini", "x"},
    };
    for (const Case& c : cases) EXPECT_EQ(ZCLExtractFileName(c.path), c.name) << c.path;
}

TEST(ZclprocsFiles, WindowsFoldersAndPathPrefixes)
{
    const AnsiString win = ZCLWindowsDirectory();
    const AnsiString sys = ZCLSystemDirectory();
    for (const AnsiString& d : {win, sys}) {
        ASSERT_GT(d.Length(), 3) << d.c_str();
        EXPECT_NE(d[d.Length()], '\\');
        EXPECT_TRUE(DirectoryExists(d)) << d.c_str();
    }
    EXPECT_EQ(ZCLCreatePathPrefix(ppWindows, true), win + "\\");
    EXPECT_EQ(ZCLCreatePathPrefix(ppWindows, false), win);
    EXPECT_EQ(ZCLCreatePathPrefix(ppSystem, true), sys + "\\");
    EXPECT_EQ(ZCLCreatePathPrefix(ppSystem, false), sys);
    EXPECT_EQ(ZCLCreatePathPrefix(ppProgram, true), ZCLAppPath());
    EXPECT_EQ(ZCLCreatePathPrefix(ppProgram, false) + "\\", ZCLAppPath());
    // A fixed prefix leaves a file name as it is given.
    EXPECT_EQ(ZCLCreatePathPrefix(ppFixed, true), "");
    EXPECT_EQ(ZCLCreatePathPrefix(ppFixed, false), "");
}

TEST(ZclprocsFiles, ShrunkFileNameDropsOneFolderAtATime)
{
    // Each step is what the next shorter limit gives; the file name alone is the end.
    const char* steps[] = {
        "C:\\Program Files\\Common\\Tools\\readme.txt",
        "C:\\...\\Common\\Tools\\readme.txt",
        "C:\\...\\Tools\\readme.txt",
        "C:\\...\\readme.txt",
        "...\\readme.txt",
        "readme.txt",
    };
    const AnsiString path = steps[0];
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const int len = AnsiString(steps[i]).Length();
        EXPECT_EQ(ZCLShrunkFileName(path, len), steps[i]) << len;
        if (i + 1 < std::size(steps)) {
            EXPECT_EQ(ZCLShrunkFileName(path, len - 1), steps[i + 1]) << len - 1;
        }
    }
    EXPECT_EQ(ZCLShrunkFileName(path, 0), "readme.txt");
    EXPECT_EQ(ZCLShrunkFileName(path, 1000), path);
}

TEST(ZclprocsFiles, ShrunkFileNameKeepsFoldersThatStartWithADot)
{
    struct Case {
        const char* path;
        int maxLen;
        const char* result;
    } const cases[] = {
        // ".x" and ".." are folders like any other: they give way to "...\", they do not vanish and
        // leave "C:\file", which names another file.
        {"C:\\.x\\file", 9, "...\\file"},
        {"C:\\..\\file", 9, "...\\file"},
        {"..\\x\\file.txt", 12, "...\\file.txt"},
        {"\\\\server\\share\\f.txt", 0, "f.txt"},
        {"C:f.txt", 5, "f.txt"},
        {"file.txt", 3, "file.txt"},  // nothing left to drop
        {"C:\\a\\b.txt", 10, "C:\\a\\b.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(ZCLShrunkFileName(c.path, c.maxLen), c.result) << c.path << " " << c.maxLen;
}

TEST(ZclprocsDelay, WaitsUntilTheTickCountHasPassed)
{
    // Measured on the wait's own clock, the tick count (coarser than the performance counter, and under Wine
    // a step behind it at times, so the two cannot be compared within a step). Readings before and after
    // bracket the wait's own.
    const DWORD start = GetTickCount();
    ZCLDelay(50);
    const DWORD ticks = GetTickCount() - start;
    EXPECT_GT(ticks, 50u);
    EXPECT_LT(ticks, 10000u);

    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    ZCLDelay(0);
    QueryPerformanceCounter(&b);
    EXPECT_LT(double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart), 500.0);
}

namespace {

constexpr UINT Sep = 0;
// Wine's own last item, where older Windows had "Switch To".
constexpr UINT Tail = 0xF141;

struct SysMenuWindow {
    SysMenuWindow()
    {
        hwnd = CreateWindowExA(0, "STATIC", "system menu", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                               nullptr, nullptr);
        menu = hwnd ? GetSystemMenu(hwnd, FALSE) : nullptr;
    }
    ~SysMenuWindow()
    {
        if (hwnd) DestroyWindow(hwnd);
    }
    std::vector<UINT> Ids() const
    {
        std::vector<UINT> ids;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) ids.push_back(GetMenuItemID(menu, i));
        return ids;
    }
    // The short menu of windows without sizing: Restore, Move, Minimize, -, Close, -, Switch; the new
    // style without Move and Switch.
    void MakeShort(bool newStyle)
    {
        DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
        if (newStyle) {
            DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
            while (GetMenuItemCount(menu) > 4) DeleteMenu(menu, GetMenuItemCount(menu) - 1, MF_BYPOSITION);
        }
    }

    HWND hwnd = nullptr;
    HMENU menu = nullptr;
};

const std::vector<UINT> Standard = {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, Sep, SC_CLOSE, Sep, Tail};

}  // namespace

TEST(ZclprocsSysMenu, RealSystemMenuLooksAsExpected)
{
    SysMenuWindow w;
    ASSERT_TRUE(w.menu);
    EXPECT_EQ(w.Ids(), Standard);
}

TEST(ZclprocsSysMenu, StandardMenuKeepsTheGivenEntries)
{
    const TZCLSysMenuEntries all{smRestore, smMove, smSize, smMinimize, smMaximize, smClose, smSwitch};
    struct Case {
        TZCLSysMenuEntries entries;
        bool newStyle;
        std::vector<UINT> ids;
    } const cases[] = {
        {all, true, Standard},
        {all, false, Standard},
        {{}, true, {Sep, Tail}},
        {{}, false, {}},
        {{smClose}, true, {SC_CLOSE, Sep, Tail}},
        {{smClose}, false, {SC_CLOSE}},
        {{smMove, smClose}, true, {SC_MOVE, Sep, SC_CLOSE, Sep, Tail}},
        {{smMove, smClose}, false, {SC_MOVE, Sep, SC_CLOSE}},
        {{smMove, smClose, smSwitch}, false, {SC_MOVE, Sep, SC_CLOSE, Sep, Tail}},
        {{smMinimize, smClose}, true, {SC_MINIMIZE, Sep, SC_CLOSE, Sep, Tail}},
        {{smRestore, smMove, smSize, smMinimize, smMaximize}, false, {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}},
    };
    int i = 0;
    for (const Case& c : cases) {
        SysMenuWindow w;
        ASSERT_TRUE(w.menu);
        ZCLCheckSystemMenu(c.entries, w.menu, false, c.newStyle);
        EXPECT_EQ(w.Ids(), c.ids) << "case " << i++;
    }
}

TEST(ZclprocsSysMenu, ShortMenuKeepsTheGivenEntries)
{
    struct Case {
        bool newStyle;
        TZCLSysMenuEntries entries;
        std::vector<UINT> ids;
    } const cases[] = {
        {false, {smRestore, smMove, smMinimize, smClose, smSwitch}, {SC_RESTORE, SC_MOVE, SC_MINIMIZE, Sep, SC_CLOSE, Sep, Tail}},
        {false, {smMove, smClose}, {SC_MOVE, Sep, SC_CLOSE}},
        {false, {smClose}, {SC_CLOSE}},
        {false, {}, {}},
        {true, {smRestore, smMinimize, smClose}, {SC_RESTORE, SC_MINIMIZE, Sep, SC_CLOSE}},
        {true, {smMinimize, smClose}, {SC_MINIMIZE, Sep, SC_CLOSE}},
        {true, {smClose}, {SC_CLOSE}},
        {true, {smRestore, smMinimize}, {SC_RESTORE, SC_MINIMIZE}},
        {true, {}, {}},
    };
    int i = 0;
    for (const Case& c : cases) {
        SysMenuWindow w;
        ASSERT_TRUE(w.menu);
        w.MakeShort(c.newStyle);
        ZCLCheckSystemMenu(c.entries, w.menu, true, c.newStyle);
        EXPECT_EQ(w.Ids(), c.ids) << "case " << i++;
    }
}

TEST(ZclprocsSysMenu, ThisSystemHasTheNewStyleAndNoMenuIsHarmless)
{
    SysMenuWindow w;
    ASSERT_TRUE(w.menu);
    ZCLCheckSystemMenu({smMove, smClose}, w.menu, false);
    EXPECT_EQ(w.Ids(), (std::vector<UINT>{SC_MOVE, Sep, SC_CLOSE, Sep, Tail}));
    ZCLCheckSystemMenu({}, nullptr, false);
    ZCLCheckSystemMenu({}, nullptr, true);
}

TEST(Zclbase, DockErrorNamesBothComponents)
{
    TComponent label(nullptr), button(nullptr);
    label.SetName("DockLabel1");
    button.SetName("Edit1");
    try {
        ZCLRaiseDockError(&label, &button);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Component DockLabel1:\rA TZCLDockLabel- or Button component was already attached "
                               "to the component: Edit1\r");
    }
}
