// The edit driven by real input on a form on the display: typing, the key commands and Shift selection, CR LF
// pairs, overwrite mode shared by every edit, the clipboard through its keys, undo and redo of what was typed,
// the mouse placing the cursor, selecting, selecting a word and dragging a selection, and the context menu.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ComponentsTestKit.h"
#include "ZclEditTestHelpers.h"
#include "framework/visual/Clipbrd.h"
#include "zcl/core/Zclconst.h"

using namespace zcledit;

namespace {

struct Stroke {
    Stroke(WORD key, std::vector<WORD> held = {}, int count = 1) : vk(key), modifiers(std::move(held)), times(count) {}
    WORD vk;
    std::vector<WORD> modifiers;
    int times;
};

struct KeyCase {
    const char* name;
    const char* text;
    int selStart, selLength, cursor;  // before (cursor -1: at the selection's start)
    std::vector<Stroke> keys;
    const char* expected;
    int cursorAfter, selStartAfter, selLengthAfter;
};

class ZclEditInput : public EditForm {
protected:
    void Prepare(TZCLEdit* e, const KeyCase& c)
    {
        e->SetText(c.text);
        e->SetSelStart(c.cursor > 0 ? c.cursor : c.selStart);
        if (c.selLength > 0) {
            e->SetSelStart(c.selStart);
            e->SetSelLength(c.selLength);
        }
    }
};

TEST_F(ZclEditInput, TypedTextGoesInAtTheCursorWithOneChangePerCharacter)
{
    TZCLEdit* e = AddEdit(20, 20);
    int changes = 0, modified = 0, cursorMoves = 0;
    std::vector<int> at;
    e->SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    e->SetOnModified(TNotifyEvent::From([&](TObject*) { ++modified; }));
    e->SetOnCursorPosChanged(TNotifyEvent::From([&](TObject*) { ++cursorMoves; }));
    e->SetOnTextChangedAt(TZCLTextChangeEvent::From([&](TObject*, int p) { at.push_back(p); }));
    FocusOn(e);
    Type("Hello, World!");
    ASSERT_TRUE(Settles([&] { return e->Text() == "Hello, World!"; })) << e->Text().c_str();
    EXPECT_EQ(e->CursorPos(), 14);
    EXPECT_EQ(e->SelLength(), 0);
    EXPECT_EQ(changes, 13);
    EXPECT_EQ(modified, 1) << "the flag changed once";
    EXPECT_TRUE(e->Modified());
    EXPECT_GE(cursorMoves, 13);
    ASSERT_EQ(at.size(), 13u);
    EXPECT_EQ(at.front(), 1);
    EXPECT_EQ(at.back(), 13);

    // In the middle, and over a selection.
    e->SetSelStart(6);
    Type("!!");
    ASSERT_TRUE(Settles([&] { return e->Text() == "Hello!!, World!"; })) << e->Text().c_str();
    EXPECT_EQ(e->CursorPos(), 8);
    SendMessageA(e->Handle(), EM_SETSEL, 9, 15);
    Type("x");
    ASSERT_TRUE(Settles([&] { return e->Text() == "Hello!!, x"; })) << e->Text().c_str();
}

TEST_F(ZclEditInput, KeyCommandsMoveTheCursorAndSelect)
{
    // clang-format off
    const KeyCase cases[] = {
        {"Home", "abc def", 0, 0, 5, {{VK_HOME}}, "abc def", 1, 1, 0},
        {"End", "abc def", 0, 0, 1, {{VK_END}}, "abc def", 8, 8, 0},
        {"Left", "abc", 0, 0, 3, {{VK_LEFT}}, "abc", 2, 2, 0},
        {"Left at the start", "abc", 0, 0, 1, {{VK_LEFT}}, "abc", 1, 1, 0},
        {"Right", "abc", 0, 0, 3, {{VK_RIGHT}}, "abc", 4, 4, 0},
        {"Right at the end", "abc", 0, 0, 4, {{VK_RIGHT}}, "abc", 4, 4, 0},
        {"Ctrl+Left to word starts", "one two three", 0, 0, 14, {{VK_LEFT, {VK_CONTROL}, 2}}, "one two three", 5, 5, 0},
        {"Ctrl+Right to word ends", "one two three", 0, 0, 1, {{VK_RIGHT, {VK_CONTROL}, 2}}, "one two three", 8, 8, 0},
        {"Ctrl+Home", "abc def", 0, 0, 6, {{VK_HOME, {VK_CONTROL}}}, "abc def", 1, 1, 0},
        {"Shift+Left twice", "abcdef", 0, 0, 5, {{VK_LEFT, {VK_SHIFT}, 2}}, "abcdef", 3, 3, 2},
        {"Shift+Right, then back", "abcdef", 0, 0, 1, {{VK_RIGHT, {VK_SHIFT}, 3}, {VK_LEFT, {VK_SHIFT}}}, "abcdef", 3, 1, 2},
        {"Shift+Right past the anchor", "abcdef", 0, 0, 3, {{VK_LEFT, {VK_SHIFT}}, {VK_RIGHT, {VK_SHIFT}, 3}}, "abcdef", 5, 3, 2},
        {"Shift+End", "abcdef", 0, 0, 3, {{VK_END, {VK_SHIFT}}}, "abcdef", 7, 3, 4},
        {"Shift+Home", "abcdef", 0, 0, 5, {{VK_HOME, {VK_SHIFT}}}, "abcdef", 1, 1, 4},
        {"Shift+Ctrl+Left", "one two", 0, 0, 8, {{VK_LEFT, {VK_SHIFT, VK_CONTROL}}}, "one two", 5, 5, 3},
        {"Backspace", "abcdef", 0, 0, 4, {{VK_BACK}}, "abdef", 3, 3, 0},
        {"Backspace at the start", "abcdef", 0, 0, 1, {{VK_BACK}}, "abcdef", 1, 1, 0},
        {"Backspace with a selection", "abcdef", 2, 3, -1, {{VK_BACK}}, "aef", 2, 2, 0},
        {"Delete", "abcdef", 0, 0, 1, {{VK_DELETE}}, "bcdef", 1, 1, 0},
        {"Delete at the end", "abc", 0, 0, 4, {{VK_DELETE}}, "abc", 4, 4, 0},
        {"Delete with a selection", "abcdef", 2, 2, -1, {{VK_DELETE}}, "adef", 2, 2, 0},
        {"Escape drops the selection only", "abcdef", 2, 3, -1, {{VK_ESCAPE}}, "abcdef", 2, 2, 0},
        {"Ctrl+A selects all, the cursor stays", "abcdef", 0, 0, 3, {{'A', {VK_CONTROL}}}, "abcdef", 3, 1, 6},
        {"Left over a CR LF pair", "ab\r\ncd", 0, 0, 5, {{VK_LEFT}}, "ab\r\ncd", 3, 3, 0},
        {"Right over a CR LF pair", "ab\r\ncd", 0, 0, 3, {{VK_RIGHT}}, "ab\r\ncd", 5, 5, 0},
        {"Backspace takes the pair", "ab\r\ncd", 0, 0, 5, {{VK_BACK}}, "abcd", 3, 3, 0},
        {"Delete takes the pair", "ab\r\ncd", 0, 0, 3, {{VK_DELETE}}, "abcd", 3, 3, 0},
        {"End stops at the line's CR", "ab\r\ncd", 0, 0, 1, {{VK_END}}, "ab\r\ncd", 3, 3, 0},
        {"Home goes back to the line's start", "ab\r\ncd", 0, 0, 7, {{VK_HOME}}, "ab\r\ncd", 5, 5, 0},
        {"Shift+Left selects the pair", "ab\r\ncd", 0, 0, 5, {{VK_LEFT, {VK_SHIFT}}}, "ab\r\ncd", 3, 3, 2},
    };
    // clang-format on
    TZCLEdit* e = AddEdit(20, 20, 260);
    FocusOn(e);
    for (const KeyCase& c : cases) {
        Prepare(e, c);
        for (const Stroke& s : c.keys) Press(s.vk, s.modifiers, s.times);
        ASSERT_TRUE(Flush(e)) << c.name;
        EXPECT_EQ(e->Text(), c.expected) << c.name;
        EXPECT_EQ(e->CursorPos(), c.cursorAfter) << c.name;
        EXPECT_EQ(e->SelStart(), c.selStartAfter) << c.name;
        EXPECT_EQ(e->SelLength(), c.selLengthAfter) << c.name;
    }
}

TEST_F(ZclEditInput, ReadOnlyEditMovesButNeverChanges)
{
    TZCLEdit* e = AddEdit(20, 20);
    e->SetText("fixed");
    e->SetReadOnly(true);
    int changes = 0;
    e->SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    FocusOn(e);
    e->SetSelStart(3);
    Type("zz");
    Press(VK_BACK);
    Press(VK_DELETE);
    Press(VK_LEFT, {VK_SHIFT});
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(e->Text(), "fixed");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(e->SelLength(), 1) << "selecting still works";
}

TEST_F(ZclEditInput, CharCaseTurnsTypedLetters)
{
    const struct {
        TEditCharCase charCase;
        const char* expected;
    } cases[] = {{ecNormal, "MiXed 1"}, {ecUpperCase, "MIXED 1"}, {ecLowerCase, "mixed 1"}};
    TZCLEdit* e = AddEdit(20, 20);
    FocusOn(e);
    for (const auto& c : cases) {
        e->SetText("");
        e->SetCharCase(c.charCase);
        Type("MiXed 1");
        EXPECT_TRUE(Settles([&] { return e->Text().Length() == 7; }));
        EXPECT_EQ(e->Text(), c.expected);
    }
}

TEST_F(ZclEditInput, OverwriteModeToggledInOneEditHoldsInEvery)
{
    TZCLEdit* a = AddEdit(20, 20, 200, "A");
    TZCLEdit* b = AddEdit(20, 60, 200, "B");
    int modeChanges = 0;
    ZCLApplication->SetOnEditModeChange(TNotifyEvent::From([&](TObject*) { ++modeChanges; }));
    FocusOn(a);
    Press(VK_INSERT);
    ASSERT_TRUE(Flush(a));
    EXPECT_FALSE(ZCLApplication->EditMode().Contains(emInsert));
    EXPECT_GE(modeChanges, 1);

    // clang-format off
    const struct {
        const char* text;
        int cursor;
        const char* typed;
        const char* expected;
    } cases[] = {
        {"abcd", 2, "XY", "aXYd"},
        {"a\r\nb", 2, "Z", "aZb"},       // the pair goes as one character
        {"ab", 3, "cd", "abcd"},          // at the end there is nothing to overwrite
        {"ab", 2, "xyz", "axyz"},
    };
    // clang-format on
    FocusOn(b);
    for (const auto& c : cases) {
        b->SetText(c.text);
        b->SetSelStart(c.cursor);
        Type(c.typed);
        ASSERT_TRUE(Flush(b));
        EXPECT_EQ(b->Text(), c.expected) << c.text;
    }

    // Undoing an overwritten character brings it back.
    b->SetText("abc");
    b->SetSelStart(2);
    Type("X");
    ASSERT_TRUE(Settles([&] { return b->Text() == "aXc"; }));
    EXPECT_TRUE(SendMessageA(b->Handle(), EM_UNDO, 0, 0));
    EXPECT_EQ(b->Text(), "abc");
    EXPECT_EQ(b->SelText(), "b") << "the restored character is selected";

    // Back to insert mode from the other edit.
    FocusOn(a);
    Press(VK_INSERT);
    ASSERT_TRUE(Flush(a));
    EXPECT_TRUE(ZCLApplication->EditMode().Contains(emInsert));
    FocusOn(b);
    b->SetText("ab");
    b->SetSelStart(2);
    Type("X");
    ASSERT_TRUE(Settles([&] { return b->Text() == "aXb"; })) << b->Text().c_str();
    ZCLApplication->SetOnEditModeChange(TNotifyEvent());
}

TEST_F(ZclEditInput, FullEditTakesNothingMoreAndSaysNothing)
{
    TZCLEdit* e = AddEdit(20, 20);
    e->SetMaxLength(5);
    e->SetText("abcdefgh");
    EXPECT_EQ(e->Text(), "abcde") << "a longer text is cut";
    int changes = 0, modified = 0;
    e->SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    e->SetOnModified(TNotifyEvent::From([&](TObject*) { ++modified; }));
    FocusOn(e);
    e->SetSelStart(3);
    Type("X");
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(e->Text(), "abcde");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(modified, 0);
    EXPECT_FALSE(e->Modified());
    EXPECT_EQ(e->CursorPos(), 3);

    // Pasting too much inserts nothing, not a part; the selection it would replace stays.
    Clipboard()->SetAsText("12345");
    SendMessageA(e->Handle(), EM_SETSEL, 1, 3);
    Press('V', {VK_CONTROL});
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(e->Text(), "abcde");
    EXPECT_EQ(e->SelText(), "bc");
    // Replacing the selection with as much is fine.
    Clipboard()->SetAsText("XY");
    Press('V', {VK_CONTROL});
    ASSERT_TRUE(Settles([&] { return e->Text() == "aXYde"; })) << e->Text().c_str();
    // The refused changes left no steps to undo.
    EXPECT_TRUE(SendMessageA(e->Handle(), EM_UNDO, 0, 0));
    EXPECT_EQ(e->Text(), "abcde");
    EXPECT_FALSE(SendMessageA(e->Handle(), EM_UNDO, 0, 0));
    EXPECT_EQ(e->Text(), "abcde");

    // A text longer than a limit set afterwards can still be shortened.
    e->SetMaxLength(2);
    e->SetSelStart(6);
    Press(VK_BACK);
    ASSERT_TRUE(Settles([&] { return e->Text() == "abcd"; }));
    Type("z");
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(e->Text(), "abcd");
}

TEST_F(ZclEditInput, ClipboardKeysCopyCutAndPaste)
{
    TZCLEdit* e = AddEdit(20, 20);
    FocusOn(e);
    // clang-format off
    const struct {
        const char* name;
        Stroke key;
        const char* clipboardBefore;
        const char* clipboardAfter;
        const char* textAfter;
    } cases[] = {
        {"Ctrl+C", {'C', {VK_CONTROL}}, "before", "world", "hello world"},
        {"Ctrl+Insert", {VK_INSERT, {VK_CONTROL}}, "before", "world", "hello world"},
        {"Ctrl+X", {'X', {VK_CONTROL}}, "before", "world", "hello "},
        {"Shift+Delete", {VK_DELETE, {VK_SHIFT}}, "before", "world", "hello "},
        {"Ctrl+V", {'V', {VK_CONTROL}}, "pasted", "pasted", "hello pasted"},
        {"Shift+Insert", {VK_INSERT, {VK_SHIFT}}, "pasted", "pasted", "hello pasted"},
    };
    // clang-format on
    for (const auto& c : cases) {
        e->SetText("hello world");
        SendMessageA(e->Handle(), EM_SETSEL, 6, 11);
        Clipboard()->SetAsText(c.clipboardBefore);
        Press(c.key.vk, c.key.modifiers);
        ASSERT_TRUE(Flush(e)) << c.name;
        EXPECT_EQ(Clipboard()->AsText(), c.clipboardAfter) << c.name;
        EXPECT_EQ(e->Text(), c.textAfter) << c.name;
    }

    // Undo after a paste restores the replaced text and selects it; redo pastes again.
    e->SetText("hello world");
    SendMessageA(e->Handle(), EM_SETSEL, 6, 11);
    Clipboard()->SetAsText("there");
    Press('V', {VK_CONTROL});
    ASSERT_TRUE(Settles([&] { return e->Text() == "hello there"; }));
    e->Undo();
    EXPECT_EQ(e->Text(), "hello world");
    EXPECT_EQ(e->SelText(), "world");
    EXPECT_TRUE(e->CanRedo());
    e->Redo();
    EXPECT_EQ(e->Text(), "hello there");
    EXPECT_EQ(e->SelText(), "there");

    // A new change after an undo leaves nothing to redo.
    e->Undo();
    ASSERT_TRUE(e->CanRedo());
    e->SetSelStart(e->GetLength() + 1);
    Type("!");
    ASSERT_TRUE(Settles([&] { return e->Text() == "hello world!"; })) << e->Text().c_str();
    EXPECT_FALSE(e->CanRedo());
    e->Redo();
    EXPECT_EQ(e->Text(), "hello world!");
}

TEST_F(ZclEditInput, PasswordEditKeepsItsTextFromTheClipboard)
{
    TZCLEdit* e = AddEdit(20, 20);
    e->SetPasswordChar('*');
    FocusOn(e);
    Type("secret");
    ASSERT_TRUE(Settles([&] { return e->Text() == "secret"; }));
    EXPECT_EQ(e->DisplayText(), "******");
    Clipboard()->SetAsText("sentinel");
    const std::vector<Stroke> keys = {{'A', {VK_CONTROL}}, {'C', {VK_CONTROL}}, {'X', {VK_CONTROL}},
                                      {VK_INSERT, {VK_CONTROL}}, {VK_DELETE, {VK_SHIFT}}};
    for (const Stroke& k : keys) Press(k.vk, k.modifiers);
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(Clipboard()->AsText(), "sentinel");
    EXPECT_EQ(e->Text(), "secret");
    SendMessageA(e->Handle(), WM_COPY, 0, 0);
    SendMessageA(e->Handle(), WM_CUT, 0, 0);
    EXPECT_EQ(Clipboard()->AsText(), "sentinel");
    Press('V', {VK_CONTROL});
    Press(VK_INSERT, {VK_SHIFT});
    SendMessageA(e->Handle(), WM_PASTE, 0, 0);
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(e->Text(), "secret");
    EXPECT_EQ(e->SelLength(), 6);
}

TEST_F(ZclEditInput, OemConvertKeepsOnlyWhatTheOemCodePageHolds)
{
    // The euro sign is missing from the OEM code page; e acute, the letters and the digits are in both.
    const std::string euro = "\x80", eacute = "\xE9";
    const struct {
        bool convert;
        std::string pasted;
        bool same;
    } cases[] = {
        {true, "plain 123", true}, {true, eacute, true}, {true, "price " + euro, false},
        {false, "price " + euro, true}, {false, eacute, true},
    };
    TZCLEdit* e = AddEdit(20, 20);
    FocusOn(e);
    for (const auto& c : cases) {
        e->SetText("");
        e->SetOEMConvert(c.convert);
        Clipboard()->SetAsText(c.pasted.c_str());
        Press('V', {VK_CONTROL});
        ASSERT_TRUE(Settles([&] { return e->GetLength() == int(c.pasted.size()); })) << c.pasted;
        EXPECT_EQ(std::string(e->Text().c_str()) == c.pasted, c.same) << c.pasted << " convert " << c.convert;
    }
    // What the conversion made of the euro sign is what the OEM page gives back for it.
    e->SetText("");
    e->SetOEMConvert(true);
    Clipboard()->SetAsText(euro.c_str());
    Press('V', {VK_CONTROL});
    ASSERT_TRUE(Settles([&] { return e->GetLength() == 1; }));
    EXPECT_NE(e->Text()[1], '\x80');
    EXPECT_TRUE(e->Modified());
}

TEST_F(ZclEditInput, FocusOnMouseAboveTakesTheFocusWhenTheMouseComesOver)
{
    TZCLEdit* start = AddEdit(20, 20, 200, "Start");
    TZCLEdit* taker = AddEdit(20, 60, 200, "Taker");
    TZCLEdit* plain = AddEdit(20, 100, 200, "Plain");
    TZCLEdit* disabled = AddEdit(20, 140, 200, "Disabled");
    taker->SetFocusOnMouseAbove(true);
    disabled->SetFocusOnMouseAbove(true);
    disabled->SetEnabled(false);
    FocusOn(start);
    auto pass = [&](TZCLEdit* e) {
        // From the empty form into the edit, and out again.
        MouseAt(form.get(), 250, e->Top() + 10);
        Pump(50);
        MouseAt(e, 30, 10);
        ASSERT_TRUE(Settles([&] { return e->MouseAbove(); })) << e->Name().c_str();
        MouseAt(form.get(), 250, e->Top() + 10);
        ASSERT_TRUE(Settles([&] { return !e->MouseAbove(); })) << e->Name().c_str();
    };
    pass(plain);
    EXPECT_EQ(GetFocus(), start->Handle()) << "an edit without the option leaves the focus";
    pass(taker);
    EXPECT_EQ(GetFocus(), taker->Handle());
    FocusOn(start);
    // A disabled window gets no mouse input: over it and away, then over the plain edit, by which time the moves
    // over the disabled one have been handled.
    MouseAt(form.get(), 250, disabled->Top() + 10);
    MouseAt(disabled, 30, 10);
    MouseAt(form.get(), 250, disabled->Top() + 10);
    pass(plain);
    EXPECT_EQ(GetFocus(), start->Handle()) << "a disabled edit takes nothing";
}

TEST_F(ZclEditInput, AutoSelectSelectsAllWhenTheFocusArrives)
{
    TZCLEdit* first = AddEdit(20, 20, 200, "First");
    TZCLEdit* selecting = AddEdit(20, 60, 200, "Selecting");
    TZCLEdit* plain = AddEdit(20, 100, 200, "Plain");
    selecting->SetText("all of it");
    selecting->SetAutoSelect(true);
    plain->SetText("not selected");
    plain->SetSelStart(4);
    FocusOn(first);
    Press(VK_TAB);
    ASSERT_TRUE(Settles([&] { return GetFocus() == selecting->Handle(); }));
    EXPECT_EQ(selecting->SelStart(), 1);
    EXPECT_EQ(selecting->SelLength(), 9);
    // Typing replaces the whole text.
    Type("new");
    ASSERT_TRUE(Settles([&] { return selecting->Text() == "new"; })) << selecting->Text().c_str();
    Press(VK_TAB);
    ASSERT_TRUE(Settles([&] { return GetFocus() == plain->Handle(); }));
    EXPECT_EQ(plain->SelLength(), 0);
    EXPECT_EQ(plain->CursorPos(), 4);
    // Back again: the new text is selected whole.
    Press(VK_TAB, {VK_SHIFT});
    ASSERT_TRUE(Settles([&] { return GetFocus() == selecting->Handle(); }));
    EXPECT_EQ(selecting->SelText(), "new");
}

// ---------------------------------------------------------------------------------------------------------------
// Mouse

class ZclEditMouse : public EditForm {
protected:
    // The left edge of 0-based character i, as the edit reports it.
    static int Left(TZCLEdit* e, int i) { return LOWORD(SendMessageA(e->Handle(), EM_POSFROMCHAR, WPARAM(i), 0)); }
    static int Middle(TZCLEdit* e) { return e->ClientHeight() / 2; }
    void Click(TZCLEdit* e, int x)
    {
        MouseAt(e, x, Middle(e));
        MouseButtons(MOUSEEVENTF_LEFTDOWN);
        MouseButtons(MOUSEEVENTF_LEFTUP);
    }
};

TEST_F(ZclEditMouse, ClickPlacesTheCursorByHalfCharacters)
{
    TZCLEdit* e = AddEdit(20, 20, 260);
    e->Font()->SetSize(14);
    e->SetText("WWWWW");
    FocusOn(e);
    for (int i = 0; i < 5; ++i) {
        const int left = Left(e, i), right = Left(e, i + 1);
        ASSERT_GT(right - left, 6) << "wide enough characters";
        // The left half of character i+1 puts the cursor before it, the right half behind it.
        Click(e, left + 2);
        ASSERT_TRUE(Settles([&] { return e->CursorPos() == i + 1; })) << i << " got " << e->CursorPos();
        Click(e, right - 2);
        ASSERT_TRUE(Settles([&] { return e->CursorPos() == i + 2; })) << i << " got " << e->CursorPos();
    }
    // Right of the text: the end.
    Click(e, e->ClientWidth() - 4);
    ASSERT_TRUE(Settles([&] { return e->CursorPos() == 6; }));
    EXPECT_EQ(e->SelLength(), 0);
}

TEST_F(ZclEditMouse, DraggingSelectsAndTheTimerEndsWithTheButton)
{
    TZCLEdit* e = AddEdit(20, 20, 260);
    e->Font()->SetSize(14);
    e->SetText("abcdefgh");
    FocusOn(e);
    const int timers = ZCLApplication->TimerPool()->GetCount();
    MouseAt(e, Left(e, 1) + 1, Middle(e));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(Settles([&] { return e->CursorPos() == 2; }));
    EXPECT_EQ(ZCLApplication->TimerPool()->GetCount(), timers + 1) << "the mouse timer runs while the button is down";
    MouseAt(e, Left(e, 5) + 1, Middle(e));
    ASSERT_TRUE(Settles([&] { return e->SelLength() == 4; })) << e->SelLength();
    // Back over the anchor to the other side.
    MouseAt(e, Left(e, 0) + 1, Middle(e));
    ASSERT_TRUE(Settles([&] { return e->SelStart() == 1 && e->SelLength() == 1; }))
        << e->SelStart() << " " << e->SelLength();
    MouseAt(e, Left(e, 4) + 1, Middle(e));
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(Settles([&] { return ZCLApplication->TimerPool()->GetCount() == timers; }));
    EXPECT_EQ(e->SelStart(), 2);
    EXPECT_EQ(e->SelLength(), 3);
    EXPECT_EQ(e->SelText(), "bcd");

    // Shift and a click extend the selection (away from the last press, which would make a double click).
    Click(e, Left(e, 2) + 1);
    ASSERT_TRUE(Settles([&] { return e->SelLength() == 0 && e->CursorPos() == 3; }))
        << e->SelStart() << " " << e->SelLength() << " " << e->CursorPos();
    INPUT shift = KeyInput(VK_SHIFT, false);
    SendInput(1, &shift, sizeof shift);
    Click(e, Left(e, 6) + 1);
    shift = KeyInput(VK_SHIFT, true);
    SendInput(1, &shift, sizeof shift);
    ASSERT_TRUE(Settles([&] { return e->SelLength() == 4; })) << e->SelLength();
    EXPECT_EQ(e->SelText(), "cdef");
}

TEST_F(ZclEditMouse, HoldingTheButtonPastAnEndScrollsAndSelectsThere)
{
    TZCLEdit* e = AddEdit(20, 20, 100);
    e->SetText("a line that is much longer than the narrow edit");
    const int length = e->GetLength();
    FocusOn(e);
    e->SetSelStart(1);
    const int timers = ZCLApplication->TimerPool()->GetCount();
    MouseAt(e, Left(e, 1) + 1, Middle(e));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(Settles([&] { return e->CursorPos() == 2; }));
    // Held still beyond the right end: the mouse timer goes on moving the cursor, and the text scrolls to it.
    MouseAt(e, e->Width() + 40, Middle(e));
    ASSERT_TRUE(PumpUntil([&] { return e->CursorPos() == length + 1; }, 20000)) << e->CursorPos();
    EXPECT_EQ(e->SelStart(), 2);
    EXPECT_EQ(e->SelLength(), length - 1);
    EXPECT_GT(e->ScrollOffset(), 0);
    POINT p{};
    GetCaretPos(&p);
    EXPECT_LT(p.x, e->TextRect().right) << "the caret in sight";
    // And beyond the left end: back to the start, the anchor kept.
    MouseAt(e, -40, Middle(e));
    ASSERT_TRUE(PumpUntil([&] { return e->CursorPos() == 1 && e->ScrollOffset() == 0; }, 20000))
        << e->CursorPos() << " " << e->ScrollOffset();
    EXPECT_EQ(e->SelStart(), 1);
    EXPECT_EQ(e->SelLength(), 1);
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(Settles([&] { return ZCLApplication->TimerPool()->GetCount() == timers; }));
    EXPECT_EQ(e->SelText(), "a");
}

TEST_F(ZclEditMouse, ContextMenuItemsChosenByKeysDoWhatTheySay)
{
    TZCLEdit* e = AddEdit(20, 20, 260);
    FocusOn(e);
    // clang-format off
    const struct {
        const char* item;
        int downs;            // Down presses from the menu's opening to the item
        const char* typed;    // typed at the end of "abcd" first, when not null
        int selStart, selEnd; // then selected (0-based, as EM_SETSEL)
        const char* text;
        const char* clipboard;
    } cases[] = {
        {"Undo", 1, "xyz", 7, 7, "abcdxy", "clip"},
        {"Cut", 2, nullptr, 1, 3, "ad", "bc"},
        {"Copy", 3, nullptr, 1, 3, "abcd", "bc"},
        {"Insert", 4, nullptr, 1, 3, "aclipd", "clip"},
        {"Delete", 5, nullptr, 1, 3, "ad", "clip"},
    };
    // clang-format on
    for (const auto& c : cases) {
        e->SetText("abcd");
        if (c.typed) {
            e->SetSelStart(5);
            Type(c.typed);
            ASSERT_TRUE(Settles([&] { return e->GetLength() == 4 + int(std::strlen(c.typed)); })) << c.item;
        }
        SendMessageA(e->Handle(), EM_SETSEL, WPARAM(c.selStart), LPARAM(c.selEnd));
        Clipboard()->SetAsText("clip");
        std::vector<WPARAM> keys(std::size_t(c.downs), VK_DOWN);
        keys.push_back(VK_RETURN);
        zcltest::MenuWatcher watcher(keys);
        MouseAt(e, 30, Middle(e));
        MouseButtons(MOUSEEVENTF_RIGHTDOWN);
        MouseButtons(MOUSEEVENTF_RIGHTUP);
        ASSERT_TRUE(Settles([&] { return watcher.opened.load() && !zcltest::FindOpenMenu(); })) << c.item;
        watcher.Finish();
        ASSERT_TRUE(Settles([&] { return e->Text() == c.text; })) << c.item << ": " << e->Text().c_str();
        EXPECT_EQ(Clipboard()->AsText(), c.clipboard) << c.item;
    }
}

TEST_F(ZclEditMouse, DoubleClickSelectsTheWord)
{
    TZCLEdit* e = AddEdit(20, 20, 260);
    e->Font()->SetSize(14);
    e->SetText("one two three");
    FocusOn(e);
    Click(e, Left(e, 5) + 1);
    Click(e, Left(e, 5) + 1);
    ASSERT_TRUE(Settles([&] { return e->SelLength() == 3; })) << e->SelLength();
    EXPECT_EQ(e->SelText(), "two");
    EXPECT_EQ(e->CursorPos(), 8);
}

TEST_F(ZclEditMouse, AHandThatShakesOnADoubleClickKeepsTheWord)
{
    TZCLEdit* e = AddEdit(20, 20, 260);
    e->Font()->SetSize(14);
    e->SetText("one two three");
    FocusOn(e);
    const int x = Left(e, 5) + 2;
    Click(e, x);
    MouseAt(e, x, Middle(e));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(Settles([&] { return e->SelLength() == 3; })) << e->SelLength();
    // Still within the word, the button held.
    MouseAt(e, x + 1, Middle(e) + 1);
    MouseAt(e, x + 2, Middle(e));
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(e->SelText(), "two");
}

TEST_F(ZclEditMouse, TheFirstPressIntoAnAutoSelectEditSelectsWithTheMouse)
{
    TZCLEdit* other = AddEdit(20, 60, 260);
    TZCLEdit* e = AddEdit(20, 20, 260);
    e->Font()->SetSize(14);
    e->SetText("abcdefgh");
    e->SetAutoSelect(true);
    FocusOn(other);
    // Pressed into the edit that does not have the focus yet, dragged over three characters.
    MouseAt(e, Left(e, 2) + 1, Middle(e));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(Settles([&] { return GetFocus() == e->Handle() && e->CursorPos() == 3; })) << e->CursorPos();
    EXPECT_EQ(Screen->Cursor(), crDefault) << "no drag of the text the focus selected";
    MouseAt(e, Left(e, 5) + 1, Middle(e));
    ASSERT_TRUE(Settles([&] { return e->SelLength() == 3; })) << e->SelStart() << " " << e->SelLength();
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(e->SelText(), "cde");
    EXPECT_EQ(e->Text(), "abcdefgh");
}

TEST_F(ZclEditMouse, DraggedSelectionMovesWithTheDragCursor)
{
    TZCLEdit* e = AddEdit(20, 20, 260);
    e->Font()->SetSize(14);
    e->SetText("abcdefgh");
    FocusOn(e);
    SendMessageA(e->Handle(), EM_SETSEL, 1, 3);  // "bc"
    MouseAt(e, Left(e, 2) + 1, Middle(e));        // strictly inside: before "c"
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(Settles([&] { return Screen->Cursor() == crDrag; }))
        << e->SelStart() << " " << e->SelLength() << " " << e->CursorPos() << " " << Screen->Cursor();
    MouseAt(e, Left(e, 6) + 1, Middle(e));  // before "g"
    Pump(50);
    EXPECT_EQ(e->SelText(), "bc") << "the selection stays while it is dragged";
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(Settles([&] { return e->Text() == "adefbcgh"; })) << e->Text().c_str();
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(e->SelText(), "bc");

    // Dropped inside the selection it only collapses there. (Each press lands away from the one before, which
    // would make a double click.)
    SendMessageA(e->Handle(), EM_SETSEL, 0, 4);
    MouseAt(e, Left(e, 3) + 1, Middle(e));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(Settles([&] { return Screen->Cursor() == crDrag; }));
    MouseAt(e, Left(e, 1) + 1, Middle(e));
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(Settles([&] { return Screen->Cursor() == crDefault; }));
    EXPECT_EQ(e->Text(), "adefbcgh");
    EXPECT_EQ(e->SelLength(), 0);
    EXPECT_EQ(e->CursorPos(), 2);

    // Without dragging a press inside the selection starts a new one.
    e->SetDragSelection(false);
    SendMessageA(e->Handle(), EM_SETSEL, 0, 4);
    Click(e, Left(e, 2) + 1);
    ASSERT_TRUE(Settles([&] { return e->SelLength() == 0 && e->CursorPos() == 3; }));
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(ZclEditMouse, ContextMenuOffersWhatCanBeDone)
{
    TZCLEdit* e = AddEdit(20, 20, 260);
    e->SetText("some text");
    FocusOn(e);
    SendMessageA(e->Handle(), EM_SETSEL, 0, 4);
    Clipboard()->SetAsText("clip");
    std::vector<bool> enabled;
    // The last item, "Select all", is chosen.
    zcltest::MenuWatcher watcher({VK_UP, VK_RETURN}, [&](HWND wnd) {
        const HMENU menu = reinterpret_cast<HMENU>(SendMessageA(wnd, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            enabled.push_back(!(GetMenuState(menu, UINT(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)));
    });
    MouseAt(e, 30, Middle(e));
    MouseButtons(MOUSEEVENTF_RIGHTDOWN);
    MouseButtons(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(Settles([&] { return watcher.opened.load(); }));
    ASSERT_TRUE(Settles([&] { return e->SelLength() == 9; }));
    watcher.Finish();
    const std::vector<std::string> expected = {
        ZCLLoadResString(_IDS_UNDO).c_str(),   "", ZCLLoadResString(_IDS_CUT).c_str(),
        ZCLLoadResString(_IDS_COPY).c_str(),   ZCLLoadResString(_IDS_INSERT).c_str(),
        ZCLLoadResString(_IDS_DELETE).c_str(), "", ZCLLoadResString(_IDS_SELECTALL).c_str()};
    EXPECT_EQ(watcher.items, expected);
    ASSERT_EQ(enabled.size(), 8u);
    EXPECT_TRUE(enabled[0]) << "a new edit offers Undo";
    EXPECT_TRUE(enabled[2] && enabled[3] && enabled[4] && enabled[5] && enabled[7]);
    EXPECT_EQ(e->Text(), "some text");

    // Read-only, with nothing selected and an empty clipboard.
    e->SetReadOnly(true);
    e->SetSelStart(1);
    Clipboard()->Clear();
    enabled.clear();
    zcltest::MenuWatcher second({VK_ESCAPE}, [&](HWND wnd) {
        const HMENU menu = reinterpret_cast<HMENU>(SendMessageA(wnd, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            enabled.push_back(!(GetMenuState(menu, UINT(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)));
    });
    MouseButtons(MOUSEEVENTF_RIGHTDOWN);
    MouseButtons(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(Settles([&] { return second.opened.load() && !zcltest::FindOpenMenu(); }));
    second.Finish();
    ASSERT_EQ(enabled.size(), 8u);
    EXPECT_FALSE(enabled[2]) << "Cut";
    EXPECT_FALSE(enabled[3]) << "Copy";
    EXPECT_FALSE(enabled[4]) << "Insert";
    EXPECT_FALSE(enabled[5]) << "Delete";
    EXPECT_TRUE(enabled[7]) << "Select all";
}

// Undo and redo put every kind of change back exactly where it was made, whatever the cursor did since: each
// case's steps are real input (or the edit's own replace), then each step is undone with the cursor sent to the
// end, and redone with it sent to the start.
TEST_F(ZclEditMouse, UndoAndRedoRestoreEveryKindOfChangeAtItsOwnPlace)
{
    TZCLEdit* e = AddEdit(20, 20, 260);
    e->Font()->SetSize(14);
    FocusOn(e);
    auto at = [&](int pos) {
        Press(VK_HOME);
        if (pos > 1) Press(VK_RIGHT, {}, pos - 1);
    };
    auto select = [&](int from, int to) { SendMessageA(e->Handle(), EM_SETSEL, WPARAM(from), LPARAM(to)); };
    auto paste = [&](const char* text) {
        Clipboard()->SetAsText(text);
        Press('V', {VK_CONTROL});
    };
    auto drag = [&](int from, int to, int dropBefore) {
        select(from, to);
        MouseAt(e, Left(e, from + 1) + 1, Middle(e));
        MouseButtons(MOUSEEVENTF_LEFTDOWN);
        ASSERT_TRUE(Settles([&] { return Screen->Cursor() == crDrag; }));
        MouseAt(e, Left(e, dropBefore) + 1, Middle(e));
        MouseButtons(MOUSEEVENTF_LEFTUP);
        ASSERT_TRUE(Settles([&] { return Screen->Cursor() == crDefault; }));
        // The next press lands away from this one, so that it is no double click.
        MouseAt(e, 2, Middle(e));
    };
    struct Step {
        const char* name;
        std::function<void()> act;  // the change, then the cursor sent elsewhere
        const char* after;
        const char* removed;  // selected after its undo
        int changes = 1;      // undo steps it makes
    };
    // clang-format off
    const struct {
        const char* name;
        const char* text;
        std::vector<Step> steps;
    } cases[] = {
        {"two deletions", "abcdef", {
            {"Delete at 2", [&] { at(2); Press(VK_DELETE); Press(VK_END); }, "acdef", "b"},
            {"Delete at 5", [&] { at(5); Press(VK_DELETE); Press(VK_HOME); }, "acde", "f"}}},
        {"a selection deleted, then a click at the start", "hello world", {
            {"Delete", [&] { select(6, 11); Press(VK_DELETE); MouseAt(e, 2, Middle(e));
                             MouseButtons(MOUSEEVENTF_LEFTDOWN); MouseButtons(MOUSEEVENTF_LEFTUP);
                             ASSERT_TRUE(Settles([&] { return e->CursorPos() == 1; })); }, "hello ", "world"}}},
        {"Backspace", "hello world", {
            {"Backspace at the end", [&] { Press(VK_END); Press(VK_BACK); Press(VK_HOME); }, "hello worl", "d"},
            {"Backspace inside", [&] { at(3); Press(VK_BACK); Press(VK_END); }, "hllo worl", "e"}}},
        {"typing", "ab", {
            {"c at the end", [&] { Press(VK_END); Type("c"); Press(VK_HOME); }, "abc", ""},
            {"x at 2", [&] { at(2); Type("x"); Press(VK_END); }, "axbc", ""},
            {"y over a selection", [&] { select(0, 2); Type("y"); Press(VK_END); }, "ybc", "ax"}}},
        {"cut", "hello world", {
            {"Ctrl+X of the first word", [&] { select(0, 6); Press('X', {VK_CONTROL}); Press(VK_END); }, "world",
             "hello "}}},
        {"paste", "hello world", {
            {"over a selection", [&] { select(6, 11); paste("there"); Press(VK_HOME); }, "hello there", "world"},
            {"at the cursor", [&] { at(1); paste(">"); Press(VK_END); }, ">hello there", ""}}},
        {"drag-move", "abcdefgh", {
            {"bc before g", [&] { drag(1, 3, 6); Press(VK_END); }, "adefbcgh", "bc", 2}}},
        {"replace", "abcdef", {
            {"nothing selected", [&] { Press(VK_END); e->Replace(3, 0, "XY"); }, "abXYcdef", ""},
            {"a span", [&] { Press(VK_HOME); e->Replace(5, 2, "Z"); }, "abXYZef", "cd"},
            {"to nothing", [&] { Press(VK_END); e->Replace(1, 2, ""); }, "XYZef", "ab"}}},
        {"CR LF", "a\r\nb", {
            {"Delete at the pair", [&] { at(2); Press(VK_DELETE); Press(VK_HOME); }, "ab", "\r\n"}}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        e->SetText(c.text);
        std::vector<std::string> texts{c.text};
        for (const Step& s : c.steps) {
            s.act();
            ASSERT_TRUE(Flush(e)) << s.name;
            ASSERT_EQ(std::string(e->Text().c_str()), s.after) << s.name;
            texts.push_back(s.after);
        }
        for (std::size_t i = c.steps.size(); i-- > 0;) {
            for (int n = 0; n < c.steps[i].changes; ++n) {
                e->SetSelStart(e->GetLength() + 1);
                e->Undo();
            }
            EXPECT_EQ(std::string(e->Text().c_str()), texts[i]) << "undo of " << c.steps[i].name;
            EXPECT_EQ(std::string(e->SelText().c_str()), c.steps[i].removed) << "undo of " << c.steps[i].name;
        }
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            for (int n = 0; n < c.steps[i].changes; ++n) {
                e->SetSelStart(1);
                e->Redo();
            }
            EXPECT_EQ(std::string(e->Text().c_str()), texts[i + 1]) << "redo of " << c.steps[i].name;
        }
        EXPECT_FALSE(e->CanRedo());
    }
}

}  // namespace
