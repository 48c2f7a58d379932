// The application-selection dialog, opened from the main window's button and worked with real clicks: windows of
// this test program listed by title and by path, the choice landing in the window's application field, rows
// without a known path, paths with the delimiter in them, the scroll width of long rows, and the keyboard.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "ShellTestSupport.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/SysUtils.h"
#include "shell/SelectApplication.h"
#include "support/TrayArea.h"
#include "zcl/ZclDialogTestHelpers.h"
#include "zcl/components/Zclimagelistbox.h"

namespace {

using namespace shelltest;

std::string OwnPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// A top-level window of this program.
WindowHandle MakeWindow(const char* title, bool visible, HWND owner = nullptr)
{
    return WindowHandle(MakeTestWindow(title, 700, 600, 200, 80, visible, owner));
}

POINT RowPoint(TZCLImageListBox* list, int row)
{
    RECT r{};
    SendMessageA(list->Handle(), LB_GETITEMRECT, WPARAM(row), LPARAM(&r));
    POINT p{r.left + 40, (r.top + r.bottom) / 2};
    ClientToScreen(list->Handle(), &p);
    return p;
}

POINT CentreOf(const TControl* c, int dx = -1)
{
    const TPoint p = c->ClientToScreen(TPoint(dx >= 0 ? dx : c->Width() / 2, c->Height() / 2));
    return POINT{p.x, p.y};
}

int RowOf(TZCLImageListBox* list, const std::string& shown)
{
    for (int i = 0; i < list->Items()->Count(); ++i)
        if (shown == list->GetStringValue(i).c_str()) return i;
    return -1;
}

std::string Rows(TZCLImageListBox* list) { return list->Items()->Text().c_str(); }

// Starts a script on the selection dialog once it is shown (inside whatever modal loop shows it).
class DialogWatch {
public:
    explicit DialogWatch(dlgtest::ModalScript& script)
    {
        script_ = &script;
        timer_ = SetTimer(nullptr, 0, 20, &DialogWatch::Tick);
    }
    ~DialogWatch()
    {
        if (timer_) KillTimer(nullptr, timer_);
        script_ = nullptr;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
    {
        TFormSelectApplication* form = FormSelectApplication;
        if (!script_ || !form || !form->HandleAllocated() || !IsWindowVisible(form->Handle())) return;
        KillTimer(nullptr, id);
        script_->Start(form);
    }
    static inline dlgtest::ModalScript* script_ = nullptr;
    UINT_PTR timer_ = 0;
};

class SelectApplication : public testing::Test {
protected:
    void TearDown() override { controltest::MouseTo(1000, 750); }
    // The dialog is in front with its list ready for clicks.
    static bool Ready(TFormSelectApplication* f)
    {
        if (GetForegroundWindow() != f->Handle()) {
            SetForegroundWindow(f->Handle());
            return false;
        }
        return f->List->HandleAllocated() && IsWindowVisible(f->List->Handle());
    }
    // The first step on a dialog of its own: the rows (title, path) shown, then the row clicked.
    static void ShowRowsAndClick(dlgtest::ModalScript& script, TFormSelectApplication& d,
                                 const std::vector<std::pair<const char*, const char*>>& rows, int row)
    {
        script.Then([&d] { return Ready(&d); },
                    [&d, rows, row] {
                        TStringList titles, paths;
                        for (const auto& [title, path] : rows) {
                            titles.Add(title);
                            paths.Add(path);
                        }
                        d.ShowApplications(&titles, &paths);
                        MouseClick(RowPoint(d.List, row), false);
                    },
                    "the dialog is up");
    }
    void Run(dlgtest::ModalScript& script, const std::function<void()>& open)
    {
        DialogWatch watch(script);
        open();
        ASSERT_TRUE(PumpUntil([&] { return script.Done() || !script.Failure().empty(); }, 60000)) << script.Report();
        EXPECT_TRUE(script.Done()) << script.Report();
        EXPECT_TRUE(PumpUntil([] { return FormSelectApplication == nullptr; }, 20000)) << "the dialog is freed";
    }
};

TEST_F(SelectApplication, OwnWindowChosenByTitleAndByPathLandsInTheApplicationField)
{
    SerialCommList ports;
    ports.Add("\\Device\\Serial0", "COM1");
    CleanSettings clean;
    MessageBoxes boxes;
    WindowHandle alpha = MakeWindow("Selection test alpha", true);
    WindowHandle beta = MakeWindow("Selection test beta", true);
    WindowHandle hidden = MakeWindow("Selection test hidden", false);
    WindowHandle owned = MakeWindow("Selection test owned", true, alpha.get());
    auto window = MakeMainWindow();
    TMainWindow& w = *window;
    w.ActionConfiguration->Execute();
    controltest::Activate(&w);
    RECT tab{};
    SendMessageA(w.MainPageControl->Handle(), TCM_GETITEMRECT, 1, LPARAM(&tab));
    POINT at{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2};
    ClientToScreen(w.MainPageControl->Handle(), &at);
    MouseClick(at, false);
    ASSERT_TRUE(PumpUntil([&] { return w.MainPageControl->ActivePageIndex() == 1; }, 10000));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(w.BtnTaskList->Handle()) != 0; }, 10000));

    const std::string own = OwnPath();
    int row = -1;
    dlgtest::ModalScript script;
    auto f = [] { return FormSelectApplication; };
    script
        .Then([&] { return Ready(f()); },
              [&] {
                  TFormSelectApplication* d = f();
                  EXPECT_STREQ(d->Caption().c_str(), "Select Application");
                  EXPECT_EQ(d->ClientWidth(), 348);
                  EXPECT_EQ(d->ClientHeight(), 259);
                  EXPECT_TRUE(d->BtnTitle->Checked()) << "titles first";
                  row = RowOf(d->List, "Selection test alpha");
                  EXPECT_GE(row, 0) << Rows(d->List);
                  EXPECT_GE(RowOf(d->List, "Selection test beta"), 0) << Rows(d->List);
                  EXPECT_LT(RowOf(d->List, "Selection test hidden"), 0) << "a hidden window is not listed";
                  EXPECT_LT(RowOf(d->List, "Selection test owned"), 0) << "an owned window is not listed";
                  EXPECT_EQ(d->List->GetImageIndex(row), 1) << "the window picture";
                  EXPECT_EQ(d->List->ItemIndex(), -1);
                  EXPECT_FALSE(d->BtnOk->Enabled()) << "nothing chosen yet";
                  MouseClick(RowPoint(d->List, row), false);
              },
              "the dialog shows its rows")
        .Then([&] { return f()->List->ItemIndex() == row && f()->BtnOk->Enabled(); },
              [&] {
                  testshot::Shot::OfWindow(f()->Handle()).SaveArtifact("select-application-titles");
                  MouseClick(CentreOf(f()->BtnName, 8), false);
              },
              "a click chooses the row and offers OK")
        .Then([&] { return f()->BtnName->Checked() && f()->List->Items()->Count() > row &&
                           !f()->List->GetStringValue(row).IsEmpty() &&
                           f()->List->GetStringValue(row) != "Selection test alpha"; },
              [&] {
                  TFormSelectApplication* d = f();
                  EXPECT_EQ(d->List->ItemIndex(), row) << "the same window stays chosen";
                  EXPECT_TRUE(AnsiSameText(d->List->GetStringValue(row), own.c_str()))
                      << d->List->GetStringValue(row).c_str();
                  EXPECT_EQ(d->List->GetImageIndex(row), 0) << "the program picture";
                  // Both windows of this program show its path.
                  int ownRows = 0;
                  for (int i = 0; i < d->List->Items()->Count(); ++i)
                      ownRows += AnsiSameText(d->List->GetStringValue(i), own.c_str()) ? 1 : 0;
                  EXPECT_GE(ownRows, 2) << Rows(d->List);
                  testshot::Shot::OfWindow(d->Handle()).SaveArtifact("select-application-names");
                  MouseClick(CentreOf(d->BtnOk), false);
              },
              "the same row shows its path");
    Run(script, [&] { MouseClick(CentreOf(w.BtnTaskList), false); });
    EXPECT_TRUE(AnsiSameText(w.ApplicationName->Text(), own.c_str())) << w.ApplicationName->Text().c_str();
    EXPECT_TRUE(boxes.Texts().empty());
    w.SetVisible(false);
}

TEST_F(SelectApplication, RowsWithoutAPathCannotBeChosenAndPathsKeepTheirDelimiters)
{
    const std::string wide(260, 'W');
    const std::string longPath = "C:\\Programs\\" + wide + "\\app.exe";
    TStringList titles, paths;
    for (const auto& [title, path] : std::vector<std::pair<std::string, std::string>>{
             {"Semicolon; in the title", "C:\\a;b\\app;1.exe"},
             {"Nobody knows", ""},
             {"Long one", longPath},
             {"Plain", "C:\\x.exe"},
             {"Without its path", "C:\\unpaired.exe"}}) {
        titles.Add(title.c_str());
        paths.Add(path.c_str());
    }
    paths.Delete(4);  // a path list shorter than the title list

    auto dialog = std::make_unique<TFormSelectApplication>(nullptr);
    TFormSelectApplication& d = *dialog;
    dlgtest::ModalScript script;
    script
        .Then([&] { return Ready(&d); },
              [&] {
                  d.ShowApplications(&titles, &paths);
                  EXPECT_EQ(d.List->Items()->Count(), 4) << "a title without its path is no row: " << Rows(d.List);
                  EXPECT_STREQ(d.List->GetStringValue(0).c_str(), "Semicolon; in the title");
                  EXPECT_TRUE(d.PathAt(4).IsEmpty());
                  EXPECT_TRUE(d.PathAt(-1).IsEmpty());
                  // The scroll width holds the longest row as drawn: its text, the picture and the scroll bar.
                  TCanvas* c = d.List->Canvas();
                  c->Font()->Assign(d.List->Font());
                  const int text = c->TextWidth(longPath.c_str());
                  const int extent = int(SendMessageA(d.List->Handle(), LB_GETHORIZONTALEXTENT, 0, 0));
                  EXPECT_GE(extent, text + 16 + GetSystemMetrics(SM_CXVSCROLL));
                  EXPECT_LE(extent, text + 16 + GetSystemMetrics(SM_CXVSCROLL) + 16);
                  EXPECT_NE(GetWindowLongA(d.List->Handle(), GWL_STYLE) & WS_HSCROLL, 0);
                  MouseClick(RowPoint(d.List, 1), false);
              },
              "the dialog is up")
        .Then([&] { return d.List->ItemIndex() == 1; },
              [&] {
                  EXPECT_FALSE(d.BtnOk->Enabled()) << "no path, no choice";
                  MouseClick(RowPoint(d.List, 0), false);
              },
              "the row without a path is chosen")
        .Then([&] { return d.List->ItemIndex() == 0 && d.BtnOk->Enabled(); },
              [&] { MouseClick(CentreOf(d.BtnName, 8), false); }, "a row with a path offers OK")
        .Then([&] { return d.BtnName->Checked() && d.List->Items()->Count() == 4; },
              [&] {
                  EXPECT_STREQ(d.List->GetStringValue(0).c_str(), "C:\\a;b\\app;1.exe");
                  EXPECT_STREQ(d.List->GetStringValue(1).c_str(), "");
                  EXPECT_EQ(d.List->ItemIndex(), 0);
                  testshot::Shot::OfWindow(d.Handle()).SaveArtifact("select-application-edge-rows");
                  MouseClick(CentreOf(d.BtnOk), false);
              },
              "the path view");
    DialogWatch watch(script);
    EXPECT_EQ(d.ShowModal(), mrOk) << script.Report();
    EXPECT_TRUE(script.Done()) << script.Report();
    EXPECT_STREQ(d.Result().c_str(), "C:\\a;b\\app;1.exe") << "cut at the last delimiter only";
}

TEST_F(SelectApplication, WithNoWindowsOnlyCancelLeads)
{
    auto dialog = std::make_unique<TFormSelectApplication>(nullptr);
    TFormSelectApplication& d = *dialog;
    TStringList none;
    dlgtest::ModalScript script;
    script
        .Then([&] { return Ready(&d); },
              [&] {
                  d.ShowApplications(&none, &none);
                  EXPECT_EQ(d.List->Items()->Count(), 0);
                  EXPECT_FALSE(d.BtnOk->Enabled());
                  // Enter first: it must not close the dialog before the click lands.
                  controltest::SendKey(VK_RETURN);
                  MouseClick(CentreOf(d.BtnName, 8), false);
              },
              "the empty dialog")
        .Then([&] { return d.BtnName->Checked(); },
              [&] {
                  EXPECT_EQ(d.ModalResult(), mrNone) << "Enter chose nothing";
                  EXPECT_EQ(d.List->Items()->Count(), 0);
                  EXPECT_FALSE(d.BtnOk->Enabled());
                  MouseClick(CentreOf(d.BtnCancel), false);
              },
              "the other view is empty too");
    DialogWatch watch(script);
    EXPECT_EQ(d.ShowModal(), mrCancel) << script.Report();
    EXPECT_TRUE(script.Done()) << script.Report();
    EXPECT_TRUE(d.Result().IsEmpty());
}

// Moving through the rows with the keyboard weighs each row anew: a row without a path disables OK and Enter
// there leaves the dialog open; Enter on a row with a path closes it with that path, cut only at its last ';'.
TEST_F(SelectApplication, KeyboardMovesWeighEachRowAndEnterTakesOnlyAPath)
{
    auto dialog = std::make_unique<TFormSelectApplication>(nullptr);
    TFormSelectApplication& d = *dialog;
    const auto at = [&](int row, bool enabled) { return d.List->ItemIndex() == row && d.BtnOk->Enabled() == enabled; };
    dlgtest::ModalScript script;
    ShowRowsAndClick(script, d, {{"First", "C:\\first.exe"}, {"No path", ""}, {"Ends in the delimiter", "C:\\odd;\\x;"}},
                     0);
    script
        .Then([&] { return at(0, true); }, [] { controltest::SendKey(VK_DOWN); }, "the first row, clicked")
        .Then([&] { return at(1, false); },
              [] {
                  controltest::SendKey(VK_RETURN);
                  controltest::SendKey(VK_DOWN);
              },
              "down to the row without a path")
        .Then([&] { return at(2, true); },
              [&] {
                  EXPECT_TRUE(IsWindowVisible(d.Handle())) << "Enter on a row without a path closed nothing";
                  EXPECT_EQ(d.ModalResult(), mrNone);
                  controltest::SendKey(VK_UP);
              },
              "Enter did nothing, down again to a path")
        .Then([&] { return at(1, false); }, [] { controltest::SendKey(VK_DOWN); }, "up: disabled again")
        .Then([&] { return at(2, true); }, [] { controltest::SendKey(VK_RETURN); }, "down: enabled again");
    DialogWatch watch(script);
    EXPECT_EQ(d.ShowModal(), mrOk) << script.Report();
    EXPECT_TRUE(script.Done()) << script.Report();
    EXPECT_STREQ(d.Result().c_str(), "C:\\odd;\\x;");
}

// The rightmost pixel of the row's band darker than mid-grey (its text), -1 when there is none.
int RightmostTextPixel(const testshot::Shot& shot, const RECT& row)
{
    for (int x = shot.Width() - 1; x >= 0; --x)
        for (int y = row.top + 2; y < row.bottom - 2; ++y) {
            const COLORREF c = shot.At(x, y);
            if (c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128) return x;
        }
    return -1;
}

// Paged to its right end with real clicks on the scroll bar, the longest row shows its last letter whole, with
// the room the scroll width keeps after it.
TEST_F(SelectApplication, TheEndOfTheLongestRowScrollsIntoView)
{
    TStringList titles, paths;
    titles.Add("Short");
    paths.Add("C:\\short.exe");
    titles.Add("Long");
    paths.Add(("C:\\Programs\\" + std::string(120, 'W') + "\\app.exe").c_str());
    auto dialog = std::make_unique<TFormSelectApplication>(nullptr);
    TFormSelectApplication& d = *dialog;
    const auto position = [&] {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        GetScrollInfo(d.List->Handle(), SB_HORZ, &si);
        return si;
    };
    const auto atEnd = [&] {
        const SCROLLINFO si = position();
        return si.nMax > 0 && si.nPos + int(si.nPage) > si.nMax;
    };
    int last = -1;
    dlgtest::ModalScript script;
    script.Then([&] { return Ready(&d); },
                [&] {
                    d.ShowApplications(&titles, &paths);
                    MouseClick(CentreOf(d.BtnName, 8), false);
                },
                "the dialog is up");
    script.Then([&] { return d.BtnName->Checked() && position().nMax > d.List->ClientWidth(); }, [] {},
                "the path view, wider than the list");
    // One page a click, each waited for, until the end.
    for (int page = 0; page < 40; ++page)
        script.Then([&] { return atEnd() || position().nPos != last; },
                    [&] {
                        if (atEnd()) return;
                        last = position().nPos;
                        SCROLLBARINFO sb{};
                        sb.cbSize = sizeof sb;
                        GetScrollBarInfo(d.List->Handle(), OBJID_HSCROLL, &sb);
                        // In the track just left of the right arrow.
                        MouseClick(POINT{sb.rcScrollBar.right - GetSystemMetrics(SM_CXHSCROLL) - 3,
                                         (sb.rcScrollBar.top + sb.rcScrollBar.bottom) / 2},
                                   false);
                    },
                    "a page to the right");
    script.Then([&] { return atEnd(); },
                [&] {
                    RedrawWindow(d.List->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                    RECT row{};
                    SendMessageA(d.List->Handle(), LB_GETITEMRECT, 1, LPARAM(&row));
                    const testshot::Shot shot = testshot::Shot::OfWindow(d.List->Handle());
                    // The shot holds the list's border; the row's band in its coordinates.
                    POINT origin{0, 0};
                    ClientToScreen(d.List->Handle(), &origin);
                    const int dx = origin.x - shot.Origin().x, dy = origin.y - shot.Origin().y;
                    const RECT band{row.left + dx, row.top + dy, row.right + dx, row.bottom + dy};
                    const int right = RightmostTextPixel(shot, band) - dx;
                    const int width = d.List->ClientWidth();
                    EXPECT_LT(right, width - 4) << "the last letter is not cut at the edge";
                    EXPECT_GT(right, width - 4 - GetSystemMetrics(SM_CXVSCROLL) - 24) << "scrolled to the end";
                    testshot::Shot::OfWindow(d.Handle()).SaveArtifact("select-application-scrolled-to-the-end");
                    MouseClick(CentreOf(d.BtnCancel), false);
                },
                "at the end");
    DialogWatch watch(script);
    EXPECT_EQ(d.ShowModal(), mrCancel) << script.Report();
    EXPECT_TRUE(script.Done()) << script.Report();
}

// Escape is Cancel: a chosen row is not handed back.
TEST_F(SelectApplication, EscapeCancelsAChoice)
{
    auto dialog = std::make_unique<TFormSelectApplication>(nullptr);
    TFormSelectApplication& d = *dialog;
    dlgtest::ModalScript script;
    ShowRowsAndClick(script, d, {{"Chosen, then dropped", "C:\\dropped.exe"}}, 0);
    script.Then([&] { return d.List->ItemIndex() == 0 && d.BtnOk->Enabled(); },
                [] { controltest::SendKey(VK_ESCAPE); }, "a row is chosen");
    DialogWatch watch(script);
    EXPECT_EQ(d.ShowModal(), mrCancel) << script.Report();
    EXPECT_TRUE(script.Done()) << script.Report();
    EXPECT_TRUE(d.Result().IsEmpty());
}

}  // namespace
