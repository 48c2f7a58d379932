// The string grid that fits its last column: the sum of the columns and lines equals the client width after a
// resize by code, by the system and by the user, with fixed columns and scroll bars, and never a last column
// below one pixel.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/StdCtrlsHelpers.h"
#include "kvcontrols/KvStrGrd.h"

using namespace stdctrltest;
using namespace Karvon;

namespace {

const TGridPresentations Adapt{gpAdaptWidth};

// Key strokes as the keyboard sends them (down or up), in one go.
void Strokes(const std::vector<std::pair<WORD, bool>>& strokes)
{
    std::vector<INPUT> in;
    for (auto [vk, up] : strokes) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.wScan = WORD(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    }
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

bool BarShown(HWND wnd, LONG bar)
{
    SCROLLBARINFO sbi{};
    sbi.cbSize = sizeof sbi;
    if (!GetScrollBarInfo(wnd, bar, &sbi)) return false;
    return !(sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE);
}

// The columns and their lines, from the left.
int UsedWidth(const KvStringGrid& g)
{
    int used = g.GridLineWidth() * g.ColCount();
    for (int c = 0; c < g.ColCount(); ++c) used += g.ColWidths(c);
    return used;
}

TEST(KvStringGrid, TheLastColumnTakesWhatTheOthersLeave)
{
    struct Case {
        const char* what;
        std::vector<int> widths;
        int fixedCols, line, width;
        int last;  // the last column's width afterwards
    } cases[] = {
        {"three of 64", {64, 64, 64}, 1, 1, 300, 169},
        {"one pixel left", {64, 64, 64}, 1, 1, 132, 1},
        {"nothing left: the default width", {64, 64, 64}, 1, 1, 131, 64},
        {"less than nothing", {64, 64, 64}, 1, 1, 50, 64},
        {"two fixed columns, wide lines", {30, 40, 20, 10}, 2, 2, 250, 152},
        {"no lines", {64, 64, 64}, 1, 0, 300, 172},
        {"one column", {64}, 0, 1, 100, 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KvStringGrid g(nullptr);
        EXPECT_TRUE(g.Presentations().Empty());
        g.SetColCount(int(c.widths.size()));
        g.SetFixedCols(c.fixedCols);
        for (int i = 0; i < int(c.widths.size()); ++i) g.SetColWidths(i, c.widths[std::size_t(i)]);
        g.SetGridLineWidth(c.line);
        g.SetBounds(0, 0, c.width, 100);
        EXPECT_EQ(g.ColWidths(g.ColCount() - 1), c.widths.back()) << "nothing adapts before it is asked";
        g.SetPresentations(Adapt);
        EXPECT_EQ(g.ColWidths(g.ColCount() - 1), c.last);
        for (int i = 0; i + 1 < int(c.widths.size()); ++i) EXPECT_EQ(g.ColWidths(i), c.widths[std::size_t(i)]);
    }
}

TEST(KvStringGrid, ResizingFromCodeAdaptsOnlyWhenAsked)
{
    KvStringGrid g(nullptr);
    g.SetColCount(3);
    g.SetBounds(0, 0, 300, 100);
    for (int w : {400, 150, 90}) {
        g.SetBounds(0, 0, w, 100);
        EXPECT_EQ(g.ColWidths(2), 64) << "no presentations: the widths stay";
    }
    g.AdaptLastCol(500);
    EXPECT_EQ(g.ColWidths(2), 64);

    g.SetPresentations(Adapt);
    EXPECT_EQ(g.ColWidths(2), g.DefaultColWidth()) << "90 leaves nothing";
    for (int w : {400, 132, 131, 300}) {
        g.SetBounds(0, 0, w, 100);
        EXPECT_EQ(g.ColWidths(2), w - 131 >= 1 ? w - 131 : 64) << w;
    }
    g.AdaptLastCol(250);
    EXPECT_EQ(g.ColWidths(2), 119);

    g.SetPresentations({});
    g.SetBounds(0, 0, 700, 100);
    EXPECT_EQ(g.ColWidths(2), 119) << "turned off: the last width stays";
}

class GridOnForm : public ShownForm {
protected:
    void SetUp() override
    {
        ShownForm::SetUp();
        grid = new KvStringGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(10, 10, 300, 150);
        grid->SetColCount(4);
        grid->SetRowCount(30);  // taller than the grid: a vertical bar
        grid->SetFixedCols(2);
        grid->SetColWidths(0, 40);
        grid->SetColWidths(1, 50);
        grid->SetOnResize(TNotifyEvent::From([this](TObject*) { ++resized; }));
        for (int r = 0; r < 30; ++r) grid->SetCells(3, r, "cell " + IntToStr(r));
        ShowForm();
    }
    void ExpectExactFit(const char* when)
    {
        SCOPED_TRACE(when);
        RECT cr;
        GetClientRect(grid->Handle(), &cr);
        EXPECT_EQ(grid->ClientWidth(), cr.right);
        EXPECT_EQ(UsedWidth(*grid), cr.right) << "the columns fill the client width exactly";
        EXPECT_GE(grid->ColWidths(3), 1);
        EXPECT_FALSE(BarShown(grid->Handle(), OBJID_HSCROLL)) << "nothing to scroll sideways";
        EXPECT_TRUE(BarShown(grid->Handle(), OBJID_VSCROLL)) << "the rows still scroll";
        EXPECT_EQ(grid->LeftCol(), grid->FixedCols());
        RECT wr;
        GetWindowRect(grid->Handle(), &wr);
        EXPECT_EQ(grid->Width(), wr.right - wr.left) << "bounds follow the window";
    }

    KvStringGrid* grid = nullptr;
    int resized = 0;
};

TEST_F(GridOnForm, AskingFitsTheClientWidthBesideTheVerticalBar)
{
    ASSERT_TRUE(BarShown(grid->Handle(), OBJID_VSCROLL));
    ASSERT_LT(grid->ClientWidth(), grid->Width() - GetSystemMetrics(SM_CXVSCROLL) + 1);
    grid->SetPresentations(Adapt);
    ExpectExactFit("asked");
    EXPECT_EQ(grid->ColWidths(3), grid->ClientWidth() - 4 - 40 - 50 - 64);
}

TEST_F(GridOnForm, ResizedByCodeTheSumStaysExactAndNeverBelowTheMinimum)
{
    grid->SetPresentations(Adapt);
    for (int w : {420, 250, 340}) {
        const int before = resized;
        grid->SetBounds(10, 10, w, 150);
        EXPECT_GT(resized, before) << "OnResize still fires";
        ExpectExactFit(("width " + IntToStr(w)).c_str());
    }

    // Narrower than the other columns: the last one falls back to the default width and the columns scroll.
    grid->SetBounds(10, 10, 150, 150);
    EXPECT_EQ(grid->ColWidths(3), grid->DefaultColWidth());
    EXPECT_TRUE(BarShown(grid->Handle(), OBJID_HSCROLL));
    grid->SetLeftCol(3);
    EXPECT_EQ(grid->LeftCol(), 3);
    EXPECT_FALSE(grid->CellRect(3, 5).IsEmpty());

    // Wide again: everything fits, the bar goes and the scrolled columns come back.
    grid->SetBounds(10, 10, 360, 150);
    ExpectExactFit("wide again");
}

TEST_F(GridOnForm, OnResizeSeesTheLastColumnAlreadyAdapted)
{
    grid->SetPresentations(Adapt);
    // What each OnResize found: the columns' sum against the client width at that moment.
    std::vector<std::pair<int, int>> seen;
    grid->SetOnResize(TNotifyEvent::From([&](TObject*) {
        RECT cr;
        GetClientRect(grid->Handle(), &cr);
        seen.emplace_back(UsedWidth(*grid), int(cr.right));
    }));
    auto expectAllFitted = [&](const char* how, int width) {
        SCOPED_TRACE(std::string(how) + " to " + std::to_string(width));
        ASSERT_FALSE(seen.empty()) << "OnResize fired";
        for (const auto& [used, client] : seen) EXPECT_EQ(used, client);
        seen.clear();
    };
    for (int w : {420, 250, 340, 300}) {
        grid->SetBounds(10, 10, w, 150);
        expectAllFitted("by code", w);
    }
    for (int w : {280, 390, 310}) {
        SetWindowPos(grid->Handle(), nullptr, 0, 0, w, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(PumpUntil([&] { return grid->Width() == w; }, 5000));
        expectAllFitted("by the system", w);
    }
}

TEST_F(GridOnForm, ResizedByTheSystemAndByTheUser)
{
    grid->SetPresentations(Adapt);
    // The window sized directly, past the grid's own properties.
    const int before = resized;
    SetWindowPos(grid->Handle(), nullptr, 0, 0, 280, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(PumpUntil([&] { return grid->Width() == 280; }, 5000));
    EXPECT_GT(resized, before);
    ExpectExactFit("system");

    // Filling a sizeable form whose frame the user drags wider.
    TForm sizeable(nullptr);
    sizeable.SetBorderStyle(bsSizeable);
    sizeable.SetBounds(100, 100, 360, 260);
    grid->SetParent(&sizeable);
    grid->SetAlign(alClient);
    sizeable.Show();
    Activate(&sizeable);
    ASSERT_TRUE(PumpUntil([&] { return grid->HandleAllocated() && IsWindowVisible(grid->Handle()); }, 5000));
    ExpectExactFit("filling the form");
    const int oldWidth = grid->Width();
    // The user sizes the form from its window menu: Alt+Space, Size, the right edge, ten steps wider, Enter.
    // The menu and the sizing loop run inside this thread's message handling, so another thread types, each
    // key once the window has shown that the one before was taken. Escape ends the loop if a step never shows.
    KernelHandle step(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    KernelHandle exited(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const int hook = sizeable.AddWindowHook(TWindowHook::From([&](TMessage& m) {
        if ((m.Msg == WM_SYSCOMMAND && (m.WParam & 0xFFF0) == SC_SIZE) || m.Msg == WM_ENTERSIZEMOVE ||
            m.Msg == WM_SIZING)
            SetEvent(step.get());
        if (m.Msg == WM_EXITSIZEMOVE) SetEvent(exited.get());
        return false;
    }));
    std::thread user([&] {
        auto tap = [](WORD vk) { Strokes({{vk, false}, {vk, true}}); };
        auto next = [&] { return WaitForSingleObject(step.get(), 10000) == WAIT_OBJECT_0; };
        Strokes({{VK_MENU, false}, {VK_SPACE, false}, {VK_SPACE, true}, {VK_MENU, true}, {'S', false}, {'S', true}});
        bool ok = next();       // the size command
        if (ok) tap(VK_RIGHT);  // the right edge
        ok = ok && next();      // the loop has begun
        for (int i = 0; ok && i < 10; ++i) {
            tap(VK_RIGHT);
            ok = next();
        }
        tap(ok ? VK_RETURN : VK_ESCAPE);
        if (!ok) tap(VK_ESCAPE);
    });
    const bool done = PumpUntil([&] { return WaitForSingleObject(exited.get(), 0) == WAIT_OBJECT_0; }, 30000);
    user.join();
    sizeable.RemoveWindowHook(hook);
    ASSERT_TRUE(done) << "the sizing loop ended";
    ASSERT_TRUE(PumpUntil([&] { return grid->Width() >= oldWidth + 80; }, 5000)) << "the user sized the form";
    ExpectExactFit("sized by the user");
    grid->SetParent(form.get());
}

}  // namespace
