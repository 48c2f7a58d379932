#include "framework/visual/Dialogs.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/visual/Forms.h"

namespace {

struct Box {
    std::string text, caption;
    UINT flags;
};

// Answers every box with a given button and records what it was asked to show.
class DialogsTest : public testing::Test {
protected:
    std::vector<Box> boxes;
    int answer = IDOK;

    void SetUp() override
    {
        Application->SetMessageBoxHook(TMessageBoxHook::From([this](const AnsiString& text,
                                                                    const AnsiString& caption, UINT flags) {
            boxes.push_back({text.c_str(), caption.c_str(), flags});
            return answer;
        }));
    }
    void TearDown() override
    {
        Application->SetMessageBoxHook(nullptr);
        SetOpenFileNameHook(nullptr);
    }
};

TEST_F(DialogsTest, ShowMessageIsAnOkBoxUnderTheApplicationsTitle)
{
    ShowMessage("Not able to open the serial port!");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Not able to open the serial port!");
    EXPECT_EQ(boxes[0].caption, Application->Title().c_str());
    EXPECT_EQ(boxes[0].flags & (MB_TYPEMASK | MB_ICONMASK), UINT(MB_OK));
}

TEST_F(DialogsTest, ShowMessageFmtFormatsFirstAndABadFormatShowsNothing)
{
    ShowMessageFmt("%d of %s", {3, "COM5"});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "3 of COM5");
    EXPECT_THROW(ShowMessageFmt("100%", {1}), EConvertError);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(DialogsTest, MessageDlgPicksCaptionIconAndButtonRow)
{
    struct Case {
        TMsgDlgType type;
        TMsgDlgButtons buttons;
        const char* caption;  // nullptr: the application's title
        UINT icon;
        UINT row;
    };
    const Case cases[] = {
        {mtWarning, {mbOK}, "Warning", MB_ICONWARNING, MB_OK},
        {mtError, {mbOK, mbCancel}, "Error", MB_ICONERROR, MB_OKCANCEL},
        {mtInformation, {mbOK, mbHelp}, "Information", MB_ICONINFORMATION, MB_OK},
        {mtConfirmation, {mbYes, mbNo}, "Confirm", MB_ICONQUESTION, MB_YESNO},
        {mtConfirmation, mbYesNoCancel, "Confirm", MB_ICONQUESTION, MB_YESNOCANCEL},
        {mtConfirmation, {mbYes, mbNo, mbAll, mbNoToAll}, "Confirm", MB_ICONQUESTION, MB_YESNO},
        {mtError, mbAbortRetryIgnore, "Error", MB_ICONERROR, MB_ABORTRETRYIGNORE},
        {mtError, {mbRetry, mbCancel}, "Error", MB_ICONERROR, MB_RETRYCANCEL},
        {mtCustom, {mbCancel}, nullptr, 0, MB_OKCANCEL},
        {mtCustom, {}, nullptr, 0, MB_OK},
    };
    for (const Case& c : cases) {
        boxes.clear();
        MessageDlg("text", c.type, c.buttons, 0);
        ASSERT_EQ(boxes.size(), 1u);
        const std::string caption = c.caption ? c.caption : Application->Title().c_str();
        EXPECT_EQ(boxes[0].caption, caption);
        EXPECT_EQ(boxes[0].flags & MB_ICONMASK, c.icon) << caption;
        EXPECT_EQ(boxes[0].flags & MB_TYPEMASK, c.row) << caption;
    }
}

TEST_F(DialogsTest, MessageDlgReturnsTheModalResultOfTheButton)
{
    for (int button : {IDYES, IDNO, IDCANCEL}) {
        answer = button;
        EXPECT_EQ(MessageDlg("Replace?", mtConfirmation, mbYesNoCancel, 0), button);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The real boxes, answered from a second thread.

// A visible dialog window of this process with the given caption, waited for up to 20 s.
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

// Runs answer(box) on a second thread once the dialog with that caption shows, while the main thread runs
// show(). The thread closes a box it could not answer, so a failing test does not hang.
template <typename Show>
void Answered(const char* caption, std::function<void(HWND)> answer, Show show)
{
    std::atomic<bool> seen{false};
    std::thread helper([&] {
        const HWND wnd = WaitForDialog(caption);
        if (!wnd) return;
        seen = true;
        answer(wnd);
    });
    show();
    helper.join();
    EXPECT_TRUE(seen) << "no dialog titled " << caption;
}

TEST(RealMessageBoxTest, TheButtonClickedIsWhatMessageDlgReturns)
{
    ASSERT_FALSE(Application->MessageBoxHook());
    int result = 0;
    Answered(
        "Confirm",
        [](HWND box) {
            EXPECT_TRUE(FindWindowExA(box, nullptr, "Static", "Stop the transfer?") != nullptr);
            SendMessageA(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
        },
        [&] { result = MessageDlg("Stop the transfer?", mtConfirmation, {mbYes, mbNo}, 0); });
    EXPECT_EQ(result, IDNO);
}

TEST(RealMessageBoxTest, MessageDlgPosPutsTheBoxAtThePoint)
{
    RECT where{};
    int result = 0;
    Answered(
        "Information",
        [&](HWND box) {
            // The box may show a moment before it is moved.
            for (int i = 0; i < 100; ++i) {
                GetWindowRect(box, &where);
                if (where.left == 123 && where.top == 45) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        },
        [&] { result = MessageDlgPos("Moved", mtInformation, {mbOK}, 0, 123, 45); });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(where.left, 123);
    EXPECT_EQ(where.top, 45);
}

// ---------------------------------------------------------------------------------------------------------------
// The open dialog

TEST_F(DialogsTest, TheOpenDialogHandsTheSystemItsFilterNameAndOptions)
{
    TOpenDialog dialog(Application);
    dialog.SetFilter("Application (*.exe)|*.EXE|All files|*.*");
    dialog.SetDefaultExt(".exe");
    dialog.SetTitle("Choose the application");
    dialog.SetInitialDir("C:\\windows");
    dialog.SetFileName("C:\\old\\prog.exe");
    dialog.SetOptions(dialog.Options() + TOpenOptions{ofPathMustExist, ofFileMustExist});

    OPENFILENAMEA seen{};
    std::string filter, file, defaultExt, title, initialDir;
    SetOpenFileNameHook(TOpenFileNameHook::From([&](OPENFILENAMEA& ofn) -> BOOL {
        seen = ofn;
        defaultExt = ofn.lpstrDefExt;
        title = ofn.lpstrTitle;
        initialDir = ofn.lpstrInitialDir;
        const char* end = ofn.lpstrFilter;
        while (*end || end[1]) ++end;
        filter.assign(ofn.lpstrFilter, end + 2);
        file = ofn.lpstrFile;
        std::strcpy(ofn.lpstrFile, "C:\\new\\tool.exe");
        ofn.nFilterIndex = 2;
        ofn.Flags |= OFN_READONLY;
        return TRUE;
    }));
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(filter, std::string("Application (*.exe)\0*.EXE\0All files\0*.*\0\0", 41));
    EXPECT_EQ(defaultExt, "exe") << "the system wants no dot";
    EXPECT_EQ(title, "Choose the application");
    EXPECT_EQ(initialDir, "C:\\windows");
    EXPECT_EQ(file, "C:\\old\\prog.exe");
    EXPECT_GE(seen.nMaxFile, DWORD(MAX_PATH));
    EXPECT_EQ(seen.nFilterIndex, 1u);
    EXPECT_EQ(seen.Flags & (OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_OVERWRITEPROMPT),
              DWORD(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
    EXPECT_TRUE(seen.hwndOwner != nullptr);

    EXPECT_EQ(dialog.FileName(), "C:\\new\\tool.exe");
    EXPECT_EQ(dialog.FilterIndex(), 2);
    EXPECT_TRUE(dialog.Options().Contains(ofReadOnly));
}

TEST_F(DialogsTest, ACancelledOpenDialogKeepsTheOldName)
{
    TOpenDialog dialog(nullptr);
    dialog.SetFileName("keep.exe");
    OPENFILENAMEA seen{};
    SetOpenFileNameHook(TOpenFileNameHook::From([&](OPENFILENAMEA& ofn) -> BOOL {
        seen = ofn;
        std::strcpy(ofn.lpstrFile, "other.exe");
        return FALSE;
    }));
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "keep.exe");
    EXPECT_EQ(seen.lpstrFilter, nullptr) << "no filter";
    EXPECT_EQ(seen.lpstrDefExt, nullptr);
    EXPECT_EQ(seen.lpstrTitle, nullptr);
}

TEST_F(DialogsTest, ALongFileNameFitsTheBuffer)
{
    TOpenDialog dialog(nullptr);
    const std::string longName = "C:\\" + std::string(3000, 'a') + ".exe";
    dialog.SetFileName(longName.c_str());
    std::string passed;
    SetOpenFileNameHook(TOpenFileNameHook::From([&](OPENFILENAMEA& ofn) -> BOOL {
        passed = ofn.lpstrFile;
        EXPECT_GT(ofn.nMaxFile, DWORD(longName.size()));
        std::memset(ofn.lpstrFile, 'b', ofn.nMaxFile);  // no terminator at all
        return TRUE;
    }));
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(passed, longName);
    EXPECT_EQ(dialog.FileName().Length(), int(std::max<std::size_t>(4 * MAX_PATH, longName.size() + 1) - 1));
}

BOOL CALLBACK CloseDialogs(HWND wnd, LPARAM stray)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char name[16] = "";
    GetClassNameA(wnd, name, sizeof name);
    if (pid == GetCurrentProcessId() && IsWindowVisible(wnd) && std::string(name) == "#32770") {
        for (HWND c = GetWindow(wnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char text[256] = "";
            GetWindowTextA(c, text, sizeof text);
            GetClassNameA(c, name, sizeof name);
            if (std::string(name) == "Static" && text[0]) *reinterpret_cast<std::string*>(stray) += text;
        }
        PostMessageA(wnd, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
}

// Types a name into the real open dialog and presses Open. Boxes still open after that (the system's
// complaints) are closed and their texts returned in stray.
struct Typed {
    bool chosen;
    std::string fileName;
    std::string stray;
};
Typed TypeIntoOpenDialog(TOpenDialog& dialog, const char* typed)
{
    Typed result{};
    Answered(
        dialog.Title().c_str(),
        [&](HWND wnd) {
            // The file name box: an edit inside a combo box of the explorer-style dialog.
            if (!GetDlgItem(wnd, cmb13)) {
                ADD_FAILURE() << "no file name box";
                PostMessageA(wnd, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            SendMessageA(wnd, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(typed));
            PostMessageA(wnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(wnd, IDOK)));
            for (int i = 0; i < 250 && IsWindow(wnd); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            while (IsWindow(wnd)) {
                EnumWindows(&CloseDialogs, reinterpret_cast<LPARAM>(&result.stray));
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
        },
        [&] { result.chosen = dialog.Execute(); });
    result.fileName = dialog.FileName().c_str();
    return result;
}

class RealOpenDialogTest : public testing::Test {
protected:
    std::string dir;
    std::string tool;
    TOpenDialog dialog{Application};

    void SetUp() override
    {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        dir = std::string(temp) + "DialogsTest" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir.c_str(), nullptr);
        tool = dir + "\\tool.exe";
        std::ofstream(tool) << "x";
        dialog.SetTitle("Pick the tool");
        dialog.SetFilter("Application (*.exe)|*.EXE");
        dialog.SetDefaultExt(".exe");
        dialog.SetInitialDir(dir.c_str());
    }
    void TearDown() override
    {
        DeleteFileA(tool.c_str());
        RemoveDirectoryA(dir.c_str());
    }
};

TEST_F(RealOpenDialogTest, TheNameChosenIsTheFullPath)
{
    dialog.SetOptions(dialog.Options() + TOpenOptions{ofPathMustExist, ofFileMustExist});
    const Typed typed = TypeIntoOpenDialog(dialog, "tool.exe");
    EXPECT_EQ(typed.stray, "");
    EXPECT_TRUE(typed.chosen);
    EXPECT_STRCASEEQ(typed.fileName.c_str(), tool.c_str());
}

TEST_F(RealOpenDialogTest, AMissingFileIsRefusedWhenItMustExist)
{
    dialog.SetOptions(dialog.Options() + TOpenOptions{ofFileMustExist});
    dialog.SetFileName("before.exe");
    const Typed typed = TypeIntoOpenDialog(dialog, "missing.exe");
    EXPECT_NE(typed.stray, "") << "the system says why";
    EXPECT_FALSE(typed.chosen);
    EXPECT_EQ(typed.fileName, "before.exe");
}

}  // namespace
