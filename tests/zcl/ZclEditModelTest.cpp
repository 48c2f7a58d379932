// The edit engine's text operations from code: words and their counting, lines, the convenience operations,
// searching and replacing (with the restart question answered), updating, and the caret object's own rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ZclEditTestHelpers.h"
#include "framework/visual/Forms.h"
#include "zcl/core/Zclconst.h"
#include "zcl/graphics/Zclcaption.h"

using namespace zcledit;

namespace {

// An edit on a hidden form, with message boxes answered by the test.
class ZclEditModel : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 300, 100);
        edit = new TZCLEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 200, 21);
        edit->Handle();
        Application->SetMessageBoxHook(TMessageBoxHook::From([this](const AnsiString& text, const AnsiString& caption, UINT) {
            questions.push_back(std::string(caption.c_str()) + ": " + text.c_str());
            return answer;
        }));
    }
    void TearDown() override { Application->SetMessageBoxHook(TMessageBoxHook()); }
    std::unique_ptr<TForm> form;
    TZCLEdit* edit = nullptr;
    std::vector<std::string> questions;
    int answer = IDNO;
};

TEST_F(ZclEditModel, WordsAreCountedAsWords)
{
    // clang-format off
    const struct {
        const char* text;
        int words;
    } cases[] = {
        {"", 0}, {" ", 0}, {"one", 1}, {"hello world", 2}, {"  two  spaces  ", 2}, {"a b c d", 4},
        {" leading", 1}, {"trailing ", 1}, {"x", 1},
    };
    // clang-format on
    for (const auto& c : cases) {
        edit->SetText(c.text);
        EXPECT_EQ(edit->CountWords(), c.words) << '"' << c.text << '"';
    }
    edit->SetDelimiters(TZCLDelimiters{' ', ',', ';'});
    edit->SetText("a,b;;c d");
    EXPECT_EQ(edit->CountWords(), 4);
}

TEST_F(ZclEditModel, WordAndLineMovesFromEveryKindOfPlace)
{
    // clang-format off
    const struct {
        const char* text;
        int cursor;
        int nextWord, prevWord;
        const char* current;
        int paraStart, paraEnd;
    } cases[] = {
        {"one two three", 1, 4, 1, "one", 1, 14},
        {"one two three", 6, 8, 5, "two", 1, 14},
        {"one two three", 4, 8, 1, "one", 1, 14},     // on the space after "one"
        {"one two three", 14, 14, 9, "three", 1, 14},
        {"one  two", 5, 9, 1, "", 1, 9},              // between two spaces
        // Only the delimiters end words: a line break is none by default.
        {"ab\r\ncd ef", 6, 7, 1, "ab\r\ncd", 5, 10},
        {"ab\r\ncd ef", 2, 7, 1, "ab\r\ncd", 1, 3},
    };
    // clang-format on
    for (const auto& c : cases) {
        edit->SetText(c.text);
        edit->SetSelStart(c.cursor);
        edit->GotoNextWord();
        EXPECT_EQ(edit->CursorPos(), c.nextWord) << c.text << " @" << c.cursor;
        edit->SetSelStart(c.cursor);
        edit->GotoPrevWord();
        EXPECT_EQ(edit->CursorPos(), c.prevWord) << c.text << " @" << c.cursor;
        edit->SetSelStart(c.cursor);
        EXPECT_EQ(edit->GetCurrentWord(), c.current) << c.text << " @" << c.cursor;
        EXPECT_EQ(edit->CursorPos(), c.cursor) << "asking moves nothing";
        EXPECT_EQ(edit->SelLength(), 0);
        edit->SelectCurrentWord();
        EXPECT_EQ(edit->SelText(), c.current) << c.text << " @" << c.cursor;
        edit->SetSelStart(c.cursor);
        edit->GotoParaStart();
        EXPECT_EQ(edit->CursorPos(), c.paraStart) << c.text << " @" << c.cursor;
        edit->SetSelStart(c.cursor);
        edit->GotoParaEnd();
        EXPECT_EQ(edit->CursorPos(), c.paraEnd) << c.text << " @" << c.cursor;
    }
    edit->SetText("one two three");
    edit->SetSelStart(6);
    edit->SelectRightWord();
    EXPECT_EQ(edit->SelText(), "wo");
    edit->SelectRightWord();
    EXPECT_EQ(edit->SelText(), "wo three");
    edit->SetSelStart(6);
    edit->SelectLeftWord();
    EXPECT_EQ(edit->SelText(), "t");
    edit->SelectLeftWord();
    EXPECT_EQ(edit->SelText(), "one t");
}

TEST_F(ZclEditModel, ConvenienceOperationsKeepTheSelectionWhereTheySay)
{
    edit->SetText("hello world");
    edit->SetSelStart(1);
    edit->SetSelLength(5);
    edit->Replace(7, 5, "there");
    EXPECT_EQ(edit->Text(), "hello there");
    EXPECT_EQ(edit->SelText(), "hello") << "the selection as it was";
    edit->Insert(6, ",");
    EXPECT_EQ(edit->Text(), "hello, there");
    EXPECT_EQ(edit->CursorPos(), 7);
    EXPECT_EQ(edit->Copy(1, 5), "hello");
    EXPECT_EQ(edit->Copy(10, 50), "ere");
    EXPECT_EQ(edit->Copy(0, 3), "");
    EXPECT_EQ(edit->Copy(40, 3), "");
    EXPECT_EQ(edit->Cut(6, 1), ",");
    EXPECT_EQ(edit->Text(), "hello there");
    edit->Upper(1, 5);
    EXPECT_EQ(edit->Text(), "HELLO there");
    edit->Lower(1, 3);
    EXPECT_EQ(edit->Text(), "helLO there");
    edit->Upper(8, 100);
    EXPECT_EQ(edit->Text(), "helLO tHERE");
    // Each of them is one step to undo; Add is none and drops the steps.
    edit->Undo();
    EXPECT_EQ(edit->Text(), "helLO there");
    edit->Add("!");
    EXPECT_EQ(edit->Text(), "helLO there!");
    edit->Undo();
    EXPECT_EQ(edit->Text(), "helLO there!");
    // A CR LF pair is never cut in two.
    edit->SetText("ab\r\ncd");
    EXPECT_EQ(edit->Cut(4, 2), "\r\nc");
    EXPECT_EQ(edit->Text(), "abd");
    edit->Clear();
    EXPECT_EQ(edit->Text(), "");
}

TEST_F(ZclEditModel, SearchFindsAndSelectsInEitherDirection)
{
    // clang-format off
    const struct {
        const char* name;
        const char* text;
        int cursor;
        const char* find;
        TZCLSearchStart start;
        bool caseSensitive, wholeWord;
        TZCLSearchDirection direction;
        int answer;
        int found;  // 0: none
        int questions;
    } cases[] = {
        {"from the top", "cat dog cat", 5, "cat", stTop, true, false, sdDown, IDNO, 1, 0},
        {"from the cursor", "cat dog cat", 2, "cat", stCursor, true, false, sdDown, IDNO, 9, 0},
        {"from the bottom up", "cat dog cat", 1, "cat", stBottom, true, false, sdUp, IDNO, 9, 0},
        {"up from the cursor", "cat dog cat", 9, "cat", stCursor, true, false, sdUp, IDNO, 1, 0},
        {"case", "Cat cat", 1, "cat", stTop, true, false, sdDown, IDNO, 5, 0},
        {"no case", "Cat cat", 1, "CAT", stTop, false, false, sdDown, IDNO, 1, 0},
        {"whole word", "concat cat", 1, "cat", stTop, true, true, sdDown, IDNO, 8, 0},
        {"whole word at the end", "cats cat", 1, "cat", stTop, true, true, sdDown, IDNO, 6, 0},
        {"run off, no restart", "cat dog", 3, "cat", stCursor, true, false, sdDown, IDNO, 0, 1},
        {"run off, restart", "cat dog", 3, "cat", stCursor, true, false, sdDown, IDYES, 1, 1},
        {"run off upwards, restart", "dog cat", 3, "cat", stCursor, true, false, sdUp, IDYES, 5, 1},
        {"nowhere", "dog", 1, "cat", stTop, true, false, sdDown, IDYES, 0, 1},
        {"empty text to find", "dog", 1, "", stTop, true, false, sdDown, IDYES, 0, 0},
        {"longer than the text", "ca", 1, "cat", stTop, true, false, sdDown, IDNO, 0, 1},
    };
    // clang-format on
    for (const auto& c : cases) {
        edit->SetText(c.text);
        edit->SetSelStart(c.cursor);
        questions.clear();
        answer = c.answer;
        const bool found = edit->Search(c.find, c.start, c.caseSensitive, c.wholeWord, c.direction);
        EXPECT_EQ(found, c.found != 0) << c.name;
        EXPECT_EQ(int(questions.size()), c.questions) << c.name;
        if (found) {
            EXPECT_EQ(edit->SelStart(), c.found) << c.name;
            EXPECT_EQ(edit->CursorPos(), c.found) << c.name;
            EXPECT_EQ(edit->SelLength(), AnsiString(c.find).Length()) << c.name;
        } else {
            EXPECT_EQ(edit->CursorPos(), c.cursor) << c.name;
        }
    }
    // The questions and their title.
    edit->SetText("cat");
    edit->SetSelStart(3);
    questions.clear();
    answer = IDNO;
    edit->Search("cat", stCursor, true, false, sdDown);
    edit->Search("zz", stCursor, true, false, sdUp);
    ASSERT_EQ(questions.size(), 2u);
    const std::string title = ZCLLoadResString(_IDS_SEARCH).c_str();
    EXPECT_EQ(questions[0], title + ": " + ZCLLoadResString(_IDS_SEARCHMSG2).c_str());
    EXPECT_EQ(questions[1], title + ": " + ZCLLoadResString(_IDS_SEARCHMSG1).c_str());
}

TEST_F(ZclEditModel, RepeatedSearchFromTheCursorGoesOn)
{
    edit->SetText("ab ab ab");
    edit->SetSelStart(1);
    std::vector<int> found;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(edit->Search("ab", stCursor, true, false, sdDown));
        found.push_back(edit->SelStart());
    }
    EXPECT_EQ(found, (std::vector<int>{1, 4, 7}));
    EXPECT_FALSE(edit->Search("ab", stCursor, true, false, sdDown)) << "the end, and no restart";
    found.clear();
    edit->SetSelStart(9);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(edit->Search("ab", stCursor, true, false, sdUp));
        found.push_back(edit->SelStart());
    }
    EXPECT_EQ(found, (std::vector<int>{7, 4, 1}));
}

TEST_F(ZclEditModel, ReplaceOnceOrEverywhereUpToWhereItBegan)
{
    // clang-format off
    const struct {
        const char* name;
        const char* text;
        int cursor;
        TZCLSearchDirection direction;
        const char* with;
        bool all, ask;
        int answer;
        const char* expected;
        int count;
        int questions;  // restart questions asked
    } cases[] = {
        {"the next one", "a-b-a-b", 1, sdDown, "XY", false, false, IDNO, "XY-b-a-b", 1, 0},
        {"all from the cursor on", "a-b-a-b-a", 2, sdDown, "XY", true, false, IDNO, "a-b-XY-b-XY", 2, 0},
        {"all, then round", "a-b-a-b-a", 2, sdDown, "XY", true, true, IDYES, "XY-b-XY-b-XY", 3, 1},
        {"all, not round", "a-b-a-b-a", 2, sdDown, "XY", true, true, IDNO, "a-b-XY-b-XY", 2, 1},
        {"all upwards", "a-b-a-b-a", 6, sdUp, "", true, false, IDNO, "-b--b-a", 2, 0},
        {"all upwards, then round", "a-b-a-b-a", 6, sdUp, "aa", true, true, IDYES, "aa-b-aa-b-aa", 3, 1},
        {"a replacement that holds the text", "a a", 1, sdDown, "aa", true, true, IDYES, "aa aa", 2, 0},
        {"nothing", "b-b", 1, sdDown, "XY", true, true, IDYES, "b-b", 0, 1},
    };
    // clang-format on
    for (const auto& c : cases) {
        edit->SetText(c.text);
        edit->SetSelStart(c.cursor);
        answer = c.answer;
        questions.clear();
        const int n = edit->SearchAndReplace("a", stCursor, true, false, c.direction, c.with, c.all, c.ask);
        EXPECT_EQ(edit->Text(), c.expected) << c.name;
        EXPECT_EQ(n, c.count) << c.name;
        EXPECT_EQ(int(questions.size()), c.questions) << c.name;
        for (const std::string& q : questions)
            EXPECT_EQ(q.substr(0, q.find(':')), ZCLLoadResString(_IDS_REPLACE).c_str()) << c.name;
    }
}

// Answers the next message box of this process on a thread of its own (while the main thread is inside the box's
// loop) by a real key stroke, the accelerator of one of its buttons, once the box holds the keyboard; notes its
// title and text. `answered` holds only when the key closed the box; a box left up is closed by a command, so
// the test fails instead of hanging.
class BoxAnswerer {
public:
    BoxAnswerer(DWORD thread, WORD key) : key_(key)
    {
        thread_ = std::thread([this, thread] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            HWND box = nullptr, seen = nullptr;
            while (std::chrono::steady_clock::now() < deadline) {
                box = FindBox(thread);
                if (box) seen = box;
                GUITHREADINFO info{};
                info.cbSize = sizeof info;
                if (box && GetGUIThreadInfo(thread, &info) && info.hwndFocus &&
                    (info.hwndFocus == box || IsChild(box, info.hwndFocus)))
                    break;
                box = nullptr;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (!box) {
                // Never leave a box up that nobody answers: the test fails instead of hanging.
                if (seen && IsWindow(seen)) PostMessageA(seen, WM_COMMAND, key_ == 'Y' ? IDYES : IDNO, 0);
                return;
            }
            char buffer[256] = "";
            GetWindowTextA(box, buffer, sizeof buffer);
            title = buffer;
            EnumChildWindows(box, &BoxAnswerer::Collect, reinterpret_cast<LPARAM>(this));
            INPUT in[2] = {};
            for (INPUT& i : in) {
                i.type = INPUT_KEYBOARD;
                i.ki.wVk = key_;
                i.ki.wScan = WORD(MapVirtualKeyA(key_, MAPVK_VK_TO_VSC));
            }
            in[1].ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(2, in, sizeof(INPUT));
            const auto closed = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (IsWindow(box) && IsWindowVisible(box) && std::chrono::steady_clock::now() < closed)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (IsWindow(box) && IsWindowVisible(box)) {
                PostMessageA(box, WM_COMMAND, key_ == 'Y' ? IDYES : IDNO, 0);
                return;
            }
            answered = true;
        });
    }
    ~BoxAnswerer() { Finish(); }
    void Finish()
    {
        if (thread_.joinable()) thread_.join();
    }

    std::string title;
    std::vector<std::string> texts;
    std::atomic<bool> answered{false};

private:
    static HWND FindBox(DWORD thread)
    {
        HWND found = nullptr;
        EnumThreadWindows(thread, &BoxAnswerer::Pick, reinterpret_cast<LPARAM>(&found));
        return found;
    }
    static BOOL CALLBACK Pick(HWND w, LPARAM l)
    {
        char cls[32] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) != "#32770" || !IsWindowVisible(w)) return TRUE;
        *reinterpret_cast<HWND*>(l) = w;
        return FALSE;
    }
    static BOOL CALLBACK Collect(HWND w, LPARAM l)
    {
        char cls[32] = "", text[256] = "";
        GetClassNameA(w, cls, sizeof cls);
        GetWindowTextA(w, text, sizeof text);
        if (std::string(cls) == "Static" && text[0]) reinterpret_cast<BoxAnswerer*>(l)->texts.push_back(text);
        return TRUE;
    }

    WORD key_;
    std::thread thread_;
};

TEST_F(ZclEditModel, RestartQuestionsAreRealBoxesAnsweredByKeys)
{
    Application->SetMessageBoxHook(TMessageBoxHook());
    const std::string search = ZCLLoadResString(_IDS_SEARCH).c_str(), replace = ZCLLoadResString(_IDS_REPLACE).c_str();
    const std::string atBottom = ZCLLoadResString(_IDS_SEARCHMSG2).c_str();
    const std::string atTop = ZCLLoadResString(_IDS_SEARCHMSG1).c_str();
    // clang-format off
    const struct {
        const char* name;
        bool replacing;
        TZCLSearchDirection direction;
        WORD key;           // the accelerator of Yes or No
        const char* title;
        const std::string* question;
        const char* text;   // afterwards
        int result;         // found (1/0) or replaced
        int selStart;
    } cases[] = {
        {"search down, go round", false, sdDown, 'Y', "Search", &atBottom, "a-b-a-b", 1, 1},
        {"search down, stop", false, sdDown, 'N', "Search", &atBottom, "a-b-a-b", 0, 8},
        {"search up, go round", false, sdUp, 'Y', "Search", &atTop, "b-a-b-a", 1, 7},
        {"replace down, go round", true, sdDown, 'Y', "Replace", &atBottom, "X-b-a-b", 1, 2},
        {"replace down, stop", true, sdDown, 'N', "Replace", &atBottom, "a-b-a-b", 0, 8},
        {"replace up, go round", true, sdUp, 'Y', "Replace", &atTop, "b-a-b-X", 1, 8},
    };
    // clang-format on
    for (const auto& c : cases) {
        // The cursor where nothing is left in the direction searched.
        const bool down = c.direction == sdDown;
        edit->SetText(down ? "a-b-a-b" : "b-a-b-a");
        edit->SetSelStart(down ? 8 : 1);
        BoxAnswerer answerer(GetCurrentThreadId(), c.key);
        const int result = c.replacing
                               ? edit->SearchAndReplace("a", stCursor, true, false, c.direction, "X", false, true)
                               : int(edit->Search("a", stCursor, true, false, c.direction));
        answerer.Finish();
        EXPECT_TRUE(answerer.answered) << c.name;
        EXPECT_EQ(answerer.title, c.title == std::string("Search") ? search : replace) << c.name;
        EXPECT_NE(std::find(answerer.texts.begin(), answerer.texts.end(), *c.question), answerer.texts.end())
            << c.name;
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(edit->Text(), c.text) << c.name;
        EXPECT_EQ(edit->SelStart(), c.selStart) << c.name;
    }
}

TEST_F(ZclEditModel, UpdatingHoldsBackTheDrawingButNotTheEvents)
{
    int changes = 0;
    edit->SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    edit->BeginUpdate();
    edit->BeginUpdate();
    edit->SetText("abc");
    edit->Insert(4, "d");
    EXPECT_TRUE(edit->Updating());
    edit->EndUpdate();
    EXPECT_TRUE(edit->Updating());
    edit->EndUpdate();
    EXPECT_FALSE(edit->Updating());
    edit->EndUpdate();
    EXPECT_FALSE(edit->Updating()) << "never below zero";
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(edit->Text(), "abcd");
}

TEST(ZclCaret, AssignTakesShapeAndRateOnly)
{
    TZCLCaret a(nullptr), b(nullptr);
    int changes = 0;
    b.SetOnChange(TNotifyEvent::From([&](TObject*) { ++changes; }));
    a.SetStyle(csUnderBlock);
    a.SetWidth(7);
    a.SetHeight(9);
    a.SetBlinkRate(321);
    a.SetCaretBmpMode(cbTile);
    b.Assign(&a);
    EXPECT_EQ(b.Style(), csUnderBlock);
    EXPECT_EQ(b.Width(), 7);
    EXPECT_EQ(b.Height(), 9);
    EXPECT_EQ(b.BlinkRate(), 321);
    EXPECT_EQ(b.CaretBmpMode(), cbBmpSize) << "not copied";
    EXPECT_EQ(changes, 1);
    TZCL3DCaption other;
    b.Assign(&other);
    EXPECT_EQ(b.Style(), csUnderBlock) << "other sources are ignored";
    EXPECT_EQ(changes, 1);
}

TEST(ZclCaret, SizeByStyle)
{
    TZCLCaret c(nullptr);
    c.SetWidth(6);
    c.SetHeight(11);
    c.SetTextHeight(14);
    TBitmap picture;
    picture.SetSize(4, 5);
    // clang-format off
    const struct {
        TZCLCaretStyles style;
        TZCLCaretBitmap mode;
        bool withBitmap;
        int w, h;
    } cases[] = {
        {csDefault, cbBmpSize, false, 1, 14},
        {csBlock, cbBmpSize, false, 6, 11},
        {csUnderBlock, cbBmpSize, false, 6, 11},
        {csUnder, cbBmpSize, false, 6, 1},
        {csOver, cbBmpSize, false, 6, 1},
        {csBitmap, cbBmpSize, false, 1, 14},   // no picture: the default caret
        {csBitmap, cbBmpSize, true, 4, 5},
        {csBitmap, cbTile, true, 6, 11},
        {csBitmap, cbStretch, true, 6, 11},
    };
    // clang-format on
    for (const auto& k : cases) {
        c.SetStyle(k.style);
        c.SetCaretBmpMode(k.mode);
        if (k.withBitmap)
            c.SetBitmap(&picture);
        else
            c.SetBitmap(nullptr);
        EXPECT_EQ(c.CaretSize().x, k.w) << int(k.style) << "/" << int(k.mode);
        EXPECT_EQ(c.CaretSize().y, k.h) << int(k.style) << "/" << int(k.mode);
    }
}

}  // namespace
