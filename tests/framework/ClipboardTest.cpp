#include "framework/visual/Clipbrd.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "framework/visual/Forms.h"
#include "support/Wait.h"

namespace {

// Puts raw bytes on the clipboard as CF_TEXT, the way another program might.
void PutRawText(const char* bytes, std::size_t size)
{
    ASSERT_TRUE(OpenClipboard(Application->Handle()));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

TEST(Clipboard, TextGoesInAndComesBackOut)
{
    const struct {
        const char* text;
    } cases[] = {{"plain"}, {""}, {"two\r\nlines"}, {"\xE4\xF6\xFC high bytes"}};
    for (const auto& c : cases) {
        Clipboard()->SetAsText(c.text);
        EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT)) << c.text;
        EXPECT_EQ(Clipboard()->AsText(), c.text);
        // What other programs read.
        ASSERT_TRUE(OpenClipboard(nullptr));
        const char* raw = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
        EXPECT_STREQ(raw, c.text);
        GlobalUnlock(GetClipboardData(CF_TEXT));
        CloseClipboard();
    }
}

TEST(Clipboard, ForeignTextIsReadUpToItsZeroOrItsEnd)
{
    const char withZero[] = "left\0right";
    PutRawText(withZero, sizeof withZero);
    EXPECT_EQ(Clipboard()->AsText(), "left");
    // No zero at all: the text never reaches past the block (the system may also have cut its last byte).
    const char noZero[] = {'a', 'b', 'c', 'd'};
    PutRawText(noZero, sizeof noZero);
    const AnsiString text = Clipboard()->AsText();
    EXPECT_GE(text.Length(), 3);
    EXPECT_LE(text.Length(), 4);
    EXPECT_EQ(text, AnsiString("abcd").SubString(1, text.Length()));
}

TEST(Clipboard, EmptiedClipboardHasNoText)
{
    Clipboard()->SetAsText("something");
    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_EQ(Clipboard()->AsText(), "");
}

TEST(Clipboard, NestedOpensCloseOnce)
{
    Clipboard()->Open();
    Clipboard()->Open();
    Clipboard()->SetAsText("nested");
    Clipboard()->Close();
    // Still open here: another open of the system clipboard from this window succeeds only after the last Close.
    Clipboard()->Close();
    EXPECT_EQ(Clipboard()->AsText(), "nested");
    Clipboard()->Close();  // one too many is harmless
    EXPECT_EQ(Clipboard()->AsText(), "nested");
}

TEST(Clipboard, HeldByAnotherThreadIsReportedNotIgnored)
{
    std::atomic<bool> holding{false}, release{false};
    std::thread holder([&] {
        HWND wnd = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        if (OpenClipboard(wnd)) {
            holding = true;
            testwait::WaitUntil([&] { return release.load(); }, 20000);
            CloseClipboard();
        }
        DestroyWindow(wnd);
    });
    ASSERT_TRUE(testwait::WaitUntil([&] { return holding.load(); }, 10000));
    EXPECT_THROW(Clipboard()->SetAsText("refused"), EClipboardException);
    EXPECT_THROW(Clipboard()->AsText(), EClipboardException);
    release = true;
    holder.join();
    Clipboard()->SetAsText("after");
    EXPECT_EQ(Clipboard()->AsText(), "after");
}

}  // namespace
