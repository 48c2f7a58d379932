// The browse edits on a form on the display: the browse button clicked with the real mouse, its glyph from the
// program's resources, what the file-open edit hands the open dialog, and the real dialog answered from a
// second thread, its chosen file taken into the text and a cancel leaving the text alone.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "ZclEditTestHelpers.h"
#include "framework/visual/Dialogs.h"
#include "zcl/buttons/Zclspecialbutton.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/edits/Zclbrowseedit.h"

using namespace zcledit;

namespace {

std::string S(const AnsiString& a) { return std::string(a.c_str()); }

// Counts the browse clicks it is told of.
class TCountingBrowseEdit : public TZCLCustomBrowseEdit {
public:
    using TZCLCustomBrowseEdit::TZCLCustomBrowseEdit;
    int browsed = 0;

protected:
    void DoOnBrowseClick() override { ++browsed; }
};

class ZclBrowseEdit : public EditForm {
protected:
    void TearDown() override
    {
        SetOpenFileNameHook(nullptr);
        EditForm::TearDown();
    }
    template <typename T>
    T* Add(int top, int width = 220)
    {
        auto* e = new T(form.get());
        e->SetParent(form.get());
        e->SetBounds(20, top, width, 21);
        e->Handle();
        return e;
    }
    static TZCLSpeedButton* Button(TZCLCustomEdit* e) { return e->CustomButtons()->GetItem(0)->SpeedButton(); }
    // A real click in the middle of the browse button.
    void ClickButton(TZCLCustomEdit* e)
    {
        if (!form->Visible()) ShowForm();
        TZCLSpeedButton* b = Button(e);
        MouseAt(e, b->Left() + b->Width() / 2, b->Top() + b->Height() / 2);
        MouseButtons(MOUSEEVENTF_LEFTDOWN);
        MouseButtons(MOUSEEVENTF_LEFTUP);
    }
};

TEST_F(ZclBrowseEdit, TheOneButtonRunsTheBrowseAndTheTextClickDoesNot)
{
    auto* e = Add<TCountingBrowseEdit>(30);
    e->SetText("C:\\some\\file.txt");
    ASSERT_EQ(e->CustomButtonCount(), 1);
    EXPECT_EQ(e->CustomButtonWidth(), 18);
    EXPECT_EQ(Button(e)->Width(), 18);
    EXPECT_EQ(Button(e)->Left() + Button(e)->Width(), e->InnerRect().right) << "at the right end";
    std::vector<int> btnClicks;
    e->SetOnBtnClick(TZCLBtnClickEvent::From([&](TObject*, int i) { btnClicks.push_back(i); }));

    for (int n = 1; n <= 2; ++n) {
        ClickButton(e);
        ASSERT_TRUE(Settles([&] { return e->browsed == n; })) << "click " << n;
    }
    EXPECT_EQ(btnClicks, (std::vector<int>{0, 0})) << "the edit's own button event is told too";

    MouseAt(e, e->TextRect().left + 2, e->TextTop() + 2);
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(Flush(e));
    Pump(0);
    EXPECT_EQ(e->browsed, 2) << "a click on the text is no browse";
    EXPECT_EQ(S(e->Text()), "C:\\some\\file.txt");
}

TEST_F(ZclBrowseEdit, TheFileButtonShowsTheLeftImageOfItsResource)
{
    TBitmap strip;
    ASSERT_TRUE(ZCLBmpLoad(nullptr, ZCLBrowseGlyphResource, &strip)) << "the resource is in the program";
    ASSERT_EQ(strip.Width(), 28);
    ASSERT_EQ(strip.Height(), 13);

    auto* e = Add<TZCLFileOpenEdit>(30);
    TBitmap* glyph = e->CustomButtons()->GetItem(0)->Glyph();
    ASSERT_EQ(glyph->Width(), ZCLBrowseGlyphWidth);
    ASSERT_EQ(glyph->Height(), 13);
    int differing = 0;
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < ZCLBrowseGlyphWidth; ++x) {
            EXPECT_EQ(GetPixel(glyph->Canvas()->Handle(), x, y), GetPixel(strip.Canvas()->Handle(), x, y))
                << x << "," << y;
            if (GetPixel(strip.Canvas()->Handle(), x, y) != GetPixel(strip.Canvas()->Handle(), x + 14, y))
                ++differing;
        }
    EXPECT_GT(differing, 0) << "the two images differ, so the left one was taken";

    // Painted: the folder's dark yellow shows inside the button and nowhere in the text.
    e->SetColor(clWhite);
    controltest::Dib dib(e->ClientWidth(), e->ClientHeight());
    e->PaintTo(dib.dc(), 0, 0);
    const TZCLSpeedButton* b = Button(e);
    auto count = [&](int x0, int x1) {
        int n = 0;
        for (int y = 0; y < e->ClientHeight(); ++y)
            for (int x = x0; x < x1; ++x) n += dib.At(x, y) == RGB(128, 128, 0);
        return n;
    };
    EXPECT_GT(count(b->Left(), b->Left() + b->Width()), 10);
    EXPECT_EQ(count(0, b->Left()), 0);
}

TEST_F(ZclBrowseEdit, TheButtonGreysWithTheEdit)
{
    auto* e = Add<TZCLFileOpenEdit>(30);
    e->SetColor(clWhite);
    auto olive = [&] {
        controltest::Dib dib(e->ClientWidth(), e->ClientHeight());
        e->PaintTo(dib.dc(), 0, 0);
        int n = 0;
        for (int y = 0; y < e->ClientHeight(); ++y)
            for (int x = 0; x < e->ClientWidth(); ++x) n += dib.At(x, y) == RGB(128, 128, 0);
        return n;
    };
    ASSERT_GT(olive(), 10);
    e->SetEnabled(false);
    EXPECT_FALSE(Button(e)->Enabled());
    EXPECT_EQ(olive(), 0) << "the glyph is drawn greyed";
    e->SetEnabled(true);
    EXPECT_TRUE(Button(e)->Enabled());
    EXPECT_GT(olive(), 10);
}

TEST_F(ZclBrowseEdit, TheDialogGetsTheSettingsAndItsChoiceBecomesTheText)
{
    auto* e = Add<TZCLFileOpenEdit>(30);
    e->SetFilename("C:\\before.exe");
    e->SetOptions(e->Options() + TOpenOptions{ofPathMustExist, ofFileMustExist});
    e->SetFilter("Application (*.exe)|*.EXE");
    e->SetInitialDir("C:\\windows");
    e->SetDefaultExt(".exe");
    e->SetTitle("Choose the application");
    int changes = 0;
    e->SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));

    struct Case {
        BOOL answer;
        const char* chosen;
        const char* text;
    };
    const Case cases[] = {{FALSE, "C:\\ignored.exe", "C:\\before.exe"}, {TRUE, "C:\\tools\\new.exe", "C:\\tools\\new.exe"}};
    for (const Case& c : cases) {
        int calls = 0;
        OPENFILENAMEA seen{};
        std::string filter, title, initialDir, defaultExt;
        SetOpenFileNameHook(TOpenFileNameHook::From([&](OPENFILENAMEA& ofn) -> BOOL {
            ++calls;
            seen = ofn;
            const char* end = ofn.lpstrFilter;
            while (*end || end[1]) ++end;
            filter.assign(ofn.lpstrFilter, end + 2);
            title = ofn.lpstrTitle;
            initialDir = ofn.lpstrInitialDir;
            defaultExt = ofn.lpstrDefExt;
            std::strcpy(ofn.lpstrFile, c.chosen);
            return c.answer;
        }));
        const int changesBefore = changes;
        ClickButton(e);
        ASSERT_TRUE(Settles([&] { return calls == 1; }));
        ASSERT_TRUE(Flush(e));
        EXPECT_EQ(filter, std::string("Application (*.exe)\0*.EXE\0\0", 27));
        EXPECT_EQ(title, "Choose the application");
        EXPECT_EQ(initialDir, "C:\\windows");
        EXPECT_EQ(defaultExt, "exe");
        EXPECT_EQ(seen.Flags & (OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST),
                  DWORD(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
        EXPECT_EQ(S(e->GetFileName()), c.text);
        EXPECT_EQ(changes - changesBefore, c.answer ? 1 : 0) << "a cancel changes nothing";
    }
}

TEST_F(ZclBrowseEdit, EveryDialogIsFreedWhateverItsEnd)
{
    auto* e = Add<TZCLFileOpenEdit>(30);
    const int before = Application->ComponentCount();
    int owned = -1;
    SetOpenFileNameHook(TOpenFileNameHook::From([&](OPENFILENAMEA&) -> BOOL {
        owned = Application->ComponentCount();
        return FALSE;
    }));
    ClickButton(e);
    ASSERT_TRUE(Settles([&] { return owned >= 0; }));
    EXPECT_EQ(owned, before + 1) << "the dialog is the application's while it runs";
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(Application->ComponentCount(), before);
}

// The real dialog ------------------------------------------------------------------------------------------------

// This process's visible dialog with the caption, waited for up to 20 s.
HWND WaitForDialog(const char* caption)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        const HWND wnd = FindWindowA("#32770", caption);
        DWORD pid = 0;
        if (wnd) GetWindowThreadProcessId(wnd, &pid);
        if (wnd && pid == GetCurrentProcessId() && IsWindowVisible(wnd)) return wnd;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return nullptr;
}

BOOL CALLBACK CancelDialogs(HWND wnd, LPARAM)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char name[16] = "";
    GetClassNameA(wnd, name, sizeof name);
    if (pid == GetCurrentProcessId() && IsWindowVisible(wnd) && std::string(name) == "#32770")
        PostMessageA(wnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

class ZclFileOpenEditRealDialog : public ZclBrowseEdit {
protected:
    std::string dir, tool;
    void SetUp() override
    {
        ZclBrowseEdit::SetUp();
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        dir = std::string(temp) + "ZclFileOpenEdit" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir.c_str(), nullptr);
        tool = dir + "\\tool.exe";
        std::ofstream(tool) << "x";
    }
    void TearDown() override
    {
        DeleteFileA(tool.c_str());
        RemoveDirectoryA(dir.c_str());
        ZclBrowseEdit::TearDown();
    }
    // Clicks the browse button; once the dialog shows, a second thread types name (or cancels with null) and
    // waits for the dialog to go, cancelling it if it stays. True when the dialog was seen.
    bool Browse(TZCLFileOpenEdit* e, const char* name)
    {
        std::atomic<bool> seen{false}, gone{false}, stray{false};
        std::thread helper([&] {
            const HWND wnd = WaitForDialog(e->Title().c_str());
            if (!wnd) {
                // Some other box may hold the test: close what shows.
                for (int i = 0; i < 25; ++i) {
                    EnumWindows(&CancelDialogs, 0);
                    std::this_thread::sleep_for(std::chrono::milliseconds(200));
                }
                gone = true;
                return;
            }
            seen = true;
            if (name) {
                SendMessageA(wnd, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(name));
                PostMessageA(wnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(wnd, IDOK)));
            } else {
                PostMessageA(wnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(wnd, IDCANCEL)));
            }
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (IsWindow(wnd) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            // Still there: the system complains in a box of its own. Every box goes, so the test ends.
            while (IsWindow(wnd)) {
                stray = true;
                EnumWindows(&CancelDialogs, 0);
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
            gone = true;
        });
        ClickButton(e);
        const bool ended = PumpUntil([&] { return bool(gone); }, 60000);
        helper.join();
        EXPECT_TRUE(ended);
        EXPECT_FALSE(stray) << "the dialog closed by itself";
        return seen;
    }
};

TEST_F(ZclFileOpenEditRealDialog, TheChosenFileBecomesTheTextAndACancelKeepsIt)
{
    auto* e = Add<TZCLFileOpenEdit>(30, 280);
    e->SetTitle("Choose the tool");
    e->SetFilter("Application (*.exe)|*.EXE");
    e->SetDefaultExt(".exe");
    e->SetInitialDir(dir.c_str());
    e->SetOptions(e->Options() + TOpenOptions{ofPathMustExist, ofFileMustExist});
    e->SetFilename("C:\\before.exe");

    ASSERT_TRUE(Browse(e, nullptr)) << "no dialog titled " << S(e->Title());
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(S(e->GetFileName()), "C:\\before.exe") << "cancelled";

    ASSERT_TRUE(Browse(e, "tool.exe")) << "no dialog titled " << S(e->Title());
    ASSERT_TRUE(Settles([&] { return e->GetFileName() != "C:\\before.exe"; }));
    EXPECT_STRCASEEQ(e->GetFileName().c_str(), tool.c_str()) << "the full path";
}

}  // namespace
