// The edit as a stand-in for the system edit control: its messages with the callers' buffers at their edges,
// selection ranges clamped and ordered, undo through the messages, a password that only the program itself
// reads (another thread and another process get the mask), and the events a change from code does not fire.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "GuardedBuffer.h"
#include "ZclEditTestHelpers.h"
#include "framework/visual/Forms.h"
#include "support/Wait.h"

using namespace zcledit;

namespace {

// An edit with a window on a hidden form: messages reach it as they would reach a system edit box.
class ZclEditMessages : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 300, 100);
        edit = new TZCLEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 200, 21);
        wnd = edit->Handle();
    }
    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(wnd, msg, w, l); }
    std::unique_ptr<TForm> form;
    TZCLEdit* edit = nullptr;
    HWND wnd = nullptr;
};

TEST_F(ZclEditMessages, GetTextNeverWritesPastTheCallersBuffer)
{
    edit->SetText("abcdef");
    const struct {
        WPARAM size;
        const char* expected;
        LRESULT result;
    } cases[] = {{1, "", 0}, {2, "a", 1}, {3, "ab", 2}, {6, "abcde", 5}, {7, "abcdef", 6}, {64, "abcdef", 6}};
    for (const auto& c : cases) {
        GuardedBuffer buffer(c.size);
        char* p = reinterpret_cast<char*>(buffer.Tail(c.size));
        std::memset(p, 'x', c.size);
        EXPECT_EQ(Send(WM_GETTEXT, c.size, LPARAM(p)), c.result) << c.size;
        EXPECT_STREQ(p, c.expected) << c.size;
    }
    // A size of 0 writes nothing at all.
    GuardedBuffer none(1);
    char* p = reinterpret_cast<char*>(none.Tail(1));
    *p = 'x';
    EXPECT_EQ(Send(WM_GETTEXT, 0, LPARAM(p)), 0);
    EXPECT_EQ(*p, 'x');
    EXPECT_EQ(Send(WM_GETTEXT, 10, 0), 0) << "no buffer";
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), 6);
}

TEST_F(ZclEditMessages, GetLineCopiesAsManyAsTheBufferSaysItHolds)
{
    edit->SetText("abcdef");
    const struct {
        WORD capacity;
        LRESULT result;
        const char* copied;
    } cases[] = {{0, 0, ""}, {1, 1, "a"}, {3, 3, "abc"}, {5, 5, "abcde"}, {6, 6, "abcdef"}, {200, 6, "abcdef"}};
    for (const auto& c : cases) {
        const std::size_t bytes = std::max<std::size_t>(c.capacity, sizeof(WORD));
        GuardedBuffer buffer(bytes);
        char* p = reinterpret_cast<char*>(buffer.Tail(bytes));
        std::memset(p, 'x', bytes);
        std::memcpy(p, &c.capacity, sizeof(WORD));
        EXPECT_EQ(Send(EM_GETLINE, 0, LPARAM(p)), c.result) << c.capacity;
        EXPECT_EQ(std::string(p, std::size_t(c.result)), c.copied) << c.capacity;
        // Past the size word, what was not copied is left alone: no terminating zero is added.
        if (c.result >= 2 && std::size_t(c.result) < bytes) {
            EXPECT_EQ(p[c.result], 'x');
        }
    }
}

TEST_F(ZclEditMessages, SelectedTextBufferHoldsTheZeroToo)
{
    edit->SetText("hello world");
    Send(EM_SETSEL, 6, 11);
    const struct {
        int size;
        int result;
        const char* expected;
    } cases[] = {{1, 0, ""}, {2, 1, "w"}, {5, 4, "worl"}, {6, 5, "world"}, {40, 5, "world"}};
    for (const auto& c : cases) {
        GuardedBuffer buffer(std::size_t(c.size));
        char* p = reinterpret_cast<char*>(buffer.Tail(std::size_t(c.size)));
        EXPECT_EQ(edit->GetSelTextBuf(p, c.size), c.result) << c.size;
        EXPECT_STREQ(p, c.expected) << c.size;
    }
    GuardedBuffer one(1);
    char* p = reinterpret_cast<char*>(one.Tail(1));
    *p = 'x';
    EXPECT_EQ(edit->GetSelTextBuf(p, 0), 0);
    EXPECT_EQ(edit->GetSelTextBuf(p, -5), 0);
    EXPECT_EQ(*p, 'x');
    EXPECT_EQ(edit->GetSelTextBuf(nullptr, 10), 0);

    edit->SetSelTextBuf("there");
    EXPECT_EQ(edit->Text(), "hello there");
    edit->SetSelStart(1);
    edit->SetSelTextBuf(nullptr);
    EXPECT_EQ(edit->Text(), "hello there");
}

TEST_F(ZclEditMessages, SelectionRangesAreClampedAndOrdered)
{
    edit->SetText("abcdef");
    // clang-format off
    const struct {
        int start, end;
        int selStart, selLength, cursor;  // 1-based, as the engine keeps them
    } cases[] = {
        {1, 3, 2, 2, 2},
        {0, -1, 1, 6, 2},      // all, the cursor where it was
        {2, -1, 3, 4, 3},      // to the end
        {4, 1, 2, 3, 2},       // reversed
        {3, 99, 4, 3, 4},      // past the end
        {99, 99, 7, 0, 7},
        {-5, 2, 1, 2, 1},      // a start below 0 that is not -1
        {0, 0, 1, 0, 1},
    };
    // clang-format on
    for (const auto& c : cases) {
        Send(EM_SETSEL, WPARAM(c.start), LPARAM(c.end));
        EXPECT_EQ(edit->SelStart(), c.selStart) << c.start << "," << c.end;
        EXPECT_EQ(edit->SelLength(), c.selLength) << c.start << "," << c.end;
        EXPECT_EQ(edit->CursorPos(), c.cursor) << c.start << "," << c.end;
        DWORD s = 99, e = 99;
        const LRESULT r = Send(EM_GETSEL, WPARAM(&s), LPARAM(&e));
        EXPECT_EQ(s, DWORD(c.selStart - 1));
        EXPECT_EQ(e, DWORD(c.selStart - 1 + c.selLength));
        EXPECT_EQ(LOWORD(r), s);
        EXPECT_EQ(HIWORD(r), e);
    }
    Send(EM_SETSEL, 1, 4);
    EXPECT_EQ(Send(EM_GETSEL), MAKELRESULT(1, 4)) << "without pointers the answer is in the result only";

    // Start -1 removes the selection and leaves the cursor.
    Send(EM_SETSEL, 2, 5);
    edit->SetCursorPos(4);
    Send(EM_SETSEL, WPARAM(-1), 0);
    EXPECT_EQ(edit->SelLength(), 0);
    EXPECT_EQ(edit->CursorPos(), 4);

    // Never between the CR and the LF.
    edit->SetText("ab\r\ncd");
    Send(EM_SETSEL, 3, 5);  // from the LF
    EXPECT_EQ(edit->SelStart(), 3);
    EXPECT_EQ(edit->SelText(), "\r\nc");
    Send(EM_SETSEL, 0, 3);  // to the LF
    EXPECT_EQ(edit->SelText(), "ab\r\n");
}

TEST_F(ZclEditMessages, AnswersOfTheEditMessages)
{
    edit->SetText("twelve chars");
    const TRect text = edit->TextRect();
    RECT r{};
    Send(EM_GETRECT, 0, LPARAM(&r));
    EXPECT_EQ(r.left, text.left);
    EXPECT_EQ(r.top, text.top);
    EXPECT_EQ(r.right, text.right);
    EXPECT_EQ(r.bottom, text.bottom);
    EXPECT_FALSE(text.IsEmpty());
    // clang-format off
    const struct {
        const char* name;
        UINT msg;
        WPARAM w;
        LRESULT expected;
    } cases[] = {
        {"EM_GETLINECOUNT", EM_GETLINECOUNT, 0, 1},
        {"EM_LINELENGTH", EM_LINELENGTH, 0, 12},
        {"EM_GETFIRSTVISIBLELINE", EM_GETFIRSTVISIBLELINE, 0, 0},
        {"EM_LINEINDEX", EM_LINEINDEX, 0, 0},
        {"EM_LINEFROMCHAR", EM_LINEFROMCHAR, 5, 0},
        {"EM_GETHANDLE", EM_GETHANDLE, 0, 0},
        {"EM_GETMARGINS", EM_GETMARGINS, 0, 0},
        {"EM_GETTHUMB", EM_GETTHUMB, 0, 0},
        {"EM_GETWORDBREAKPROC", EM_GETWORDBREAKPROC, 0, 0},
        {"EM_GETPASSWORDCHAR", EM_GETPASSWORDCHAR, 0, 0},
        {"EM_CANUNDO on a new edit", EM_CANUNDO, 0, 1},
        {"EM_GETMODIFY", EM_GETMODIFY, 0, 0},
        {"EM_GETLIMITTEXT", EM_GETLIMITTEXT, 0, 0},
        {"WM_ERASEBKGND", WM_ERASEBKGND, 0, 1},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(Send(c.msg, c.w, 0), c.expected) << c.name;
    const LRESULT code = Send(WM_GETDLGCODE);
    EXPECT_EQ(code & (DLGC_WANTARROWS | DLGC_WANTCHARS), DLGC_WANTARROWS | DLGC_WANTCHARS);
    EXPECT_FALSE(code & DLGC_WANTTAB) << "Tab still moves on";

    EXPECT_EQ(Send(EM_SETREADONLY, TRUE), 1);
    EXPECT_TRUE(edit->ReadOnly());
    EXPECT_EQ(Send(EM_SETREADONLY, FALSE), 1);
    EXPECT_FALSE(edit->ReadOnly());
    Send(EM_LIMITTEXT, 20);
    EXPECT_EQ(edit->MaxLength(), 20);
    EXPECT_EQ(Send(EM_GETLIMITTEXT), 20);
    Send(EM_SETMODIFY, TRUE);
    EXPECT_EQ(Send(EM_GETMODIFY), 1);
    Send(EM_SETPASSWORDCHAR, '#');
    EXPECT_EQ(Send(EM_GETPASSWORDCHAR), '#');
    EXPECT_EQ(edit->DisplayText(), "############");
    Send(EM_SETPASSWORDCHAR, 0);
    EXPECT_EQ(edit->DisplayText(), "twelve chars");

    // Messages with nothing to do leave the edit as it is.
    for (UINT msg : {EM_FMTLINES, EM_LINESCROLL, EM_SCROLL, EM_SCROLLCARET, EM_SETMARGINS, EM_SETTABSTOPS}) {
        EXPECT_EQ(Send(msg, 1, 0), 0) << msg;
    }
    EXPECT_EQ(edit->Text(), "twelve chars");
}

TEST_F(ZclEditMessages, SetTextThroughTheWindowIsAChangeButNotAModification)
{
    int changes = 0, modified = 0;
    edit->SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    edit->SetOnModified(TNotifyEvent::From([&](TObject*) { ++modified; }));
    EXPECT_TRUE(SetWindowTextA(wnd, "from outside"));
    EXPECT_EQ(edit->Text(), "from outside");
    char buffer[32] = "";
    GetWindowTextA(wnd, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "from outside");
    EXPECT_EQ(edit->CursorPos(), 1);
    EXPECT_EQ(changes, 1);
    edit->SetText("from outside");
    EXPECT_EQ(changes, 1) << "the same text again changes nothing";
    edit->SetCaption("by caption");
    EXPECT_EQ(edit->Text(), "by caption");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(modified, 0);
    EXPECT_FALSE(edit->Modified());

    // Moving the cursor and selecting are no changes either.
    edit->SetSelStart(3);
    Send(EM_SETSEL, 0, -1);
    edit->SelectAll();
    edit->SetCursorPos(2);
    edit->SetSelLength(4);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(modified, 0);
}

TEST_F(ZclEditMessages, UndoThroughTheMessages)
{
    EXPECT_EQ(Send(EM_CANUNDO), 1) << "a new edit says it can undo";
    EXPECT_EQ(Send(EM_UNDO), 0) << "but there is nothing";
    edit->SetText("base");
    edit->SetSelStart(5);
    Send(EM_REPLACESEL, TRUE, LPARAM(" one"));
    Send(EM_REPLACESEL, TRUE, LPARAM(" two"));
    EXPECT_EQ(edit->Text(), "base one two");
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(edit->Text(), "base one");
    EXPECT_EQ(Send(EM_CANUNDO), 1);
    edit->Redo();
    EXPECT_EQ(edit->Text(), "base one two");
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(edit->Text(), "base");
    EXPECT_EQ(Send(EM_CANUNDO), 0) << "the last step is gone";
    edit->Redo();
    edit->Redo();
    EXPECT_EQ(edit->Text(), "base one two");
    EXPECT_FALSE(edit->CanRedo());

    // A replacement that cannot be undone takes the steps before it along.
    edit->SetSelStart(edit->GetLength() + 1);
    Send(EM_REPLACESEL, FALSE, LPARAM("!"));
    EXPECT_EQ(edit->Text(), "base one two!");
    EXPECT_EQ(Send(EM_UNDO), 0);
    EXPECT_EQ(edit->Text(), "base one two!");

    Send(EM_REPLACESEL, TRUE, LPARAM("?"));
    Send(EM_EMPTYUNDOBUFFER);
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    EXPECT_EQ(Send(EM_UNDO), 0);
    EXPECT_EQ(edit->Text(), "base one two!?");

    // Setting the whole text drops the steps: their places belong to the old text.
    Send(EM_REPLACESEL, TRUE, LPARAM("x"));
    edit->SetText("new");
    edit->Undo();
    EXPECT_EQ(edit->Text(), "new");

    // Undo while read-only keeps the step for later.
    edit->SetSelStart(4);
    Send(EM_REPLACESEL, TRUE, LPARAM("er"));
    edit->SetReadOnly(true);
    EXPECT_EQ(Send(EM_UNDO), 0);
    EXPECT_EQ(edit->Text(), "newer");
    edit->SetReadOnly(false);
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(edit->Text(), "new");
}

TEST_F(ZclEditMessages, CharacterPositionsFollowAlignmentScrollAndMask)
{
    form->Show();
    edit->SetText("abc");
    const struct {
        TAlignment alignment;
        char password;
    } cases[] = {{taLeftJustify, 0}, {taRightJustify, 0}, {taCenter, 0}, {taRightJustify, '*'}, {taLeftJustify, 'W'}};
    for (const auto& c : cases) {
        edit->SetAlignment(c.alignment);
        edit->SetPasswordChar(c.password);
        const int origin = edit->TextOrigin();
        const int width = edit->RowWidth(edit->DisplayText());
        switch (c.alignment) {
        case taLeftJustify: EXPECT_EQ(origin, edit->TextRect().left); break;
        case taRightJustify: EXPECT_EQ(origin, edit->TextRect().right - width); break;
        default: EXPECT_EQ(origin, edit->TextRect().left + (edit->TextRect().Width() - width) / 2); break;
        }
        int previous = -1;
        for (int i = 0; i <= 3; ++i) {
            const int x = LOWORD(Send(EM_POSFROMCHAR, WPARAM(i)));
            EXPECT_EQ(x, origin + edit->RowWidth(edit->DisplayText().SubString(1, i))) << i;
            EXPECT_GT(x, previous);
            previous = x;
            // The character at that place is the same one again.
            const LRESULT hit = Send(EM_CHARFROMPOS, 0, MAKELPARAM(x + 1, 5));
            EXPECT_EQ(LOWORD(hit), i) << "character " << i << " alignment " << int(c.alignment);
            EXPECT_EQ(HIWORD(hit), 0) << "one line";
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Password

std::string ReadForeign(HWND wnd, UINT msg)
{
    char buffer[64] = "";
    if (msg == EM_GETLINE) {
        const WORD size = sizeof buffer - 1;
        std::memcpy(buffer, &size, sizeof size);
    }
    DWORD_PTR n = 0;
    SendMessageTimeoutA(wnd, msg, msg == WM_GETTEXT ? sizeof buffer : 0, LPARAM(buffer), SMTO_ABORTIFHUNG, 10000, &n);
    return std::string(buffer, std::size_t(n));
}

// The window's text as GetWindowText gives it: asked of the edit in this process, read from the window's own
// store in another.
std::string ReadTitle(HWND wnd)
{
    char buffer[64] = "";
    const int n = GetWindowTextA(wnd, buffer, sizeof buffer);
    return std::string(buffer, std::size_t(std::max(n, 0)));
}

TEST_F(ZclEditMessages, PasswordIsReadOnlyByTheProgramItself)
{
    edit->SetPasswordChar('*');
    edit->SetText("s3cret");
    char own[32] = "";
    EXPECT_EQ(Send(WM_GETTEXT, sizeof own, LPARAM(own)), 6);
    EXPECT_STREQ(own, "s3cret");
    EXPECT_EQ(edit->Text(), "s3cret");

    std::string text, line, title;
    std::atomic<bool> done{false};
    std::thread other([&] {
        text = ReadForeign(wnd, WM_GETTEXT);
        line = ReadForeign(wnd, EM_GETLINE);
        title = ReadTitle(wnd);
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 20000));
    other.join();
    EXPECT_EQ(text, "******");
    EXPECT_EQ(line, "******");
    EXPECT_EQ(title, "******");

    // Without a password character the other thread reads the text.
    edit->SetPasswordChar(0);
    done = false;
    std::thread plain([&] {
        text = ReadForeign(wnd, WM_GETTEXT);
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 20000));
    plain.join();
    EXPECT_EQ(text, "s3cret");
}

// Another thread (and so another program) cannot switch the mask off and read the text or see it shown.
TEST_F(ZclEditMessages, OnlyTheProgramItselfChangesThePasswordMask)
{
    edit->SetPasswordChar('*');
    edit->SetText("s3cret");
    std::string text;
    std::atomic<bool> done{false};
    std::thread other([&] {
        DWORD_PTR r = 0;
        SendMessageTimeoutA(wnd, EM_SETPASSWORDCHAR, 0, 0, SMTO_ABORTIFHUNG, 10000, &r);
        SendMessageTimeoutA(wnd, EM_SETPASSWORDCHAR, 'x', 0, SMTO_ABORTIFHUNG, 10000, &r);
        text = ReadForeign(wnd, WM_GETTEXT);
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 20000));
    other.join();
    EXPECT_EQ(text, "******");
    EXPECT_EQ(edit->PasswordChar(), '*');
    EXPECT_EQ(edit->DisplayText(), "******");
    EXPECT_EQ(Send(EM_GETPASSWORDCHAR), '*');

    // The program itself still does, through the message as through the property.
    Send(EM_SETPASSWORDCHAR, 0);
    EXPECT_EQ(edit->DisplayText(), "s3cret");
}

// Run by the test below in a second process: reads the edit's text the way another program would.
TEST(ZclEditPeer, DISABLED_ReadsTheWindowText)
{
    const char* windows = std::getenv("DRAVIK_EDIT_PEER_WINDOW");
    const char* result = std::getenv("DRAVIK_EDIT_PEER_RESULT");
    ASSERT_TRUE(windows && result);
    std::ofstream out(result, std::ios::binary);
    // Each window of the comma-separated list: its text asked for, its line, and its title.
    for (char* p = const_cast<char*>(windows); *p;) {
        const HWND wnd = reinterpret_cast<HWND>(std::strtoull(p, &p, 16));
        out << ReadForeign(wnd, WM_GETTEXT) << "\n" << ReadForeign(wnd, EM_GETLINE) << "\n" << ReadTitle(wnd) << "\n";
        if (*p == ',') ++p;
    }
}

TEST_F(ZclEditMessages, AnotherProcessGetsTheMask)
{
    edit->SetPasswordChar('*');
    edit->SetText("hunter2");
    // Changed past SetText too: the window's own text follows every change.
    edit->SetSelStart(8);
    Send(EM_REPLACESEL, TRUE, LPARAM("!"));
    auto* plain = new TZCLEdit(form.get());
    plain->SetParent(form.get());
    plain->SetBounds(10, 40, 200, 21);
    plain->SetText("before the window");
    const HWND plainWnd = plain->Handle();
    SendMessageA(plainWnd, EM_SETSEL, 0, 6);
    SendMessageA(plainWnd, EM_REPLACESEL, TRUE, LPARAM("after"));
    ASSERT_EQ(plain->Text(), "after the window");
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string resultFile = std::string(temp) + "dravik_edit_peer.txt";
    DeleteFileA(resultFile.c_str());
    char window[64];
    std::snprintf(window, sizeof window, "%llx,%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(wnd)),
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(plainWnd)));
    SetEnvironmentVariableA("DRAVIK_EDIT_PEER_WINDOW", window);
    SetEnvironmentVariableA("DRAVIK_EDIT_PEER_RESULT", resultFile.c_str());
    std::string command = std::string("\"") + exe +
                          "\" --gtest_filter=ZclEditPeer.DISABLED_ReadsTheWindowText --gtest_also_run_disabled_tests";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    // The other process's messages are served here while it waits for their answers.
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 60000));
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    SetEnvironmentVariableA("DRAVIK_EDIT_PEER_WINDOW", nullptr);
    SetEnvironmentVariableA("DRAVIK_EDIT_PEER_RESULT", nullptr);
    EXPECT_EQ(code, 0u);
    std::ifstream in(resultFile, std::ios::binary);
    std::vector<std::string> read;
    for (std::string s; std::getline(in, s);) read.push_back(s);
    in.close();
    const std::vector<std::string> expected = {"********", "********", "********",
                                               "after the window", "after the window", "after the window"};
    EXPECT_EQ(read, expected);
    DeleteFileA(resultFile.c_str());
}

}  // namespace
