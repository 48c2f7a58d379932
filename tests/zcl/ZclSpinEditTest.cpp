// The typed edits with real keys on a form on the display: what each mask type lets in, the mask's blanks and
// required positions, dates that do not exist, values read back and their errors; the spin edit's steps and
// limits; the spin button's faces at chosen pixels, its parts under the mouse and its repeat, which always ends.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "PoolClock.h"
#include "ZclEditTestHelpers.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/SysUtils.h"
#include "framework/visual/Clipbrd.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/edits/Zclbrowseedit.h"
#include "zcl/edits/Zclcombobox.h"
#include "zcl/edits/Zclmaskedit.h"
#include "zcl/edits/Zclspinedit.h"

using namespace zcledit;

namespace {

std::string S(const AnsiString& a) { return std::string(a.c_str()); }

// Free functions ------------------------------------------------------------------------------------------------

TEST(ZclMaskFunctions, BaseStringsRoundTripInEveryBase)
{
    const long long values[] = {0, 1, -1, 35, 36, 255, -4096, 123456789, LLONG_MAX, LLONG_MIN};
    for (int base = 2; base <= 36; ++base)
        for (long long v : values) {
            const AnsiString s = ZCLGetBaseString(v, TZCLNumberBase(base));
            EXPECT_EQ(ZCLGetDecimalValue(s, TZCLNumberBase(base)), v) << base << " " << s.c_str();
        }
    EXPECT_STREQ(ZCLGetBaseString(255, 16).c_str(), "FF");
    EXPECT_STREQ(ZCLGetBaseString(35, 36).c_str(), "Z");
    EXPECT_STREQ(ZCLGetBaseString(-5, 2).c_str(), "-101");
    EXPECT_EQ(ZCLGetDecimalValue("ff", 16), 255);
    EXPECT_EQ(ZCLGetDecimalValue("", 10), 0);
}

TEST(ZclMaskFunctions, LongDigitStringsAndBadDigitsRaiseInsteadOfWrapping)
{
    struct Case {
        const char* text;
        int base;
    } bad[] = {{"9223372036854775808", 10}, {"-9223372036854775809", 10}, {"99999999999999999999999", 10},
               {"10000000000000000", 16}, {"12a", 10}, {"2", 2}, {"1-", 10}};
    for (const Case& c : bad) EXPECT_THROW(ZCLGetDecimalValue(c.text, TZCLNumberBase(c.base)), EZCLWrongDataType) << c.text;
    EXPECT_EQ(ZCLGetDecimalValue("9223372036854775807", 10), LLONG_MAX);
    EXPECT_EQ(ZCLGetDecimalValue("7FFFFFFFFFFFFFFF", 16), LLONG_MAX);

    EXPECT_EQ(ZCLIntPower(2, 0), 1);
    EXPECT_EQ(ZCLIntPower(2, 62), 1LL << 62);
    EXPECT_EQ(ZCLIntPower(-3, 3), -27);
    EXPECT_THROW(ZCLIntPower(2, 63), EZCLWrongDataType);
    EXPECT_THROW(ZCLIntPower(10, 19), EZCLWrongDataType);

    EXPECT_STREQ(ZCLClearOffTS("1,234,567.5", ',').c_str(), "1234567.5");
    EXPECT_STREQ(ZCLClearOffTS("", ',').c_str(), "");
    EXPECT_NEAR(double(ZCLGetDecimalFloatValue("A.8", 16)), 10.5, 1e-12);
    EXPECT_NEAR(double(ZCLGetDecimalFloatValue("-1.25", 10)), -1.25, 1e-12);
}

TEST(ZclMaskFunctions, FrameworkMasksConvert)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"#09", "v08"},         {"Aa", "cc"},          {"Cc", "bb"},          {">LL", "AA"},
        {"<L>L<>L", "aAb"},     {"L", "b"},            {"\\A0", "\\A0"},      {"_", "\\ "},
        {"00:00", "00\\:00"},   {"99/99", "88\\/88"},  {"000;1;_", "000"},    {"(000)", "\\(000\\)"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(convertVCLMask2ZCLMask(c.in).c_str(), c.out) << c.in;
}

TEST(ZclSpinButtonLayout, EverySetHasItsLayoutNumber)
{
    struct Case {
        TZCLSpinButtons set;
        int layout;
    } cases[] = {
        {{sbUp}, 1},
        {{sbUp, sbDown}, 2},
        {{sbLeft, sbUp}, 3},
        {{sbRight, sbUp}, 4},
        {{sbLeft, sbUp, sbDown}, 5},
        {{sbRight, sbUp, sbDown}, 6},
        {{sbLeft, sbRight, sbUp}, 7},
        {{sbLeft, sbRight, sbUp, sbDown}, 8},
        {{sbDown}, 9},
        {{sbRight, sbDown}, 10},
        {{sbLeft, sbDown}, 11},
        {{sbLeft, sbRight, sbDown}, 12},
        {{sbLeft}, 13},
        {{sbLeft, sbRight}, 14},
        {{sbRight}, 15},
    };
    TZCLSpinButton b(nullptr);
    EXPECT_EQ(b.Layout(), 1);
    for (const Case& c : cases) {
        b.SetBtns(c.set);
        EXPECT_EQ(b.Layout(), c.layout);
        b.SetBtns(TZCLSpinButtons{});
        EXPECT_EQ(b.Layout(), c.layout) << "the empty set keeps the layout";
    }
}

// The edits on a form -------------------------------------------------------------------------------------------

class ZclTypedEdit : public EditForm {
protected:
    template <typename T>
    T* Add(int left, int top, int width = 160)
    {
        auto* e = new T(form.get());
        e->SetParent(form.get());
        e->SetBounds(left, top, width, 21);
        return e;
    }
    void Focus(TWinControl* c)
    {
        if (!form->Visible()) ShowForm();
        c->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == c->Handle(); }, 5000));
    }
};

struct TypeCase {
    const char* name;
    TZCLMaskType type;
    const char* mask;
    int base;
    const char* start;  // the text before, the cursor at its end unless cursor is set
    int cursor;
    const char* typed;
    const char* expected;
};

TEST_F(ZclTypedEdit, EachMaskTypeTakesOnlyItsCharacters)
{
    const TypeCase cases[] = {
        {"integer digits", meInteger, "", 10, "", 0, "12ab3", "123"},
        {"integer minus at the start once", meInteger, "", 10, "", 0, "-1-2", "-12"},
        {"integer minus not later", meInteger, "", 10, "5", 0, "-", "5"},
        {"nothing before the minus", meInteger, "", 10, "-5", 1, "7", "-5"},
        {"hex digits", meInteger, "", 16, "", 0, "1F9G", "1F9"},
        {"binary digits", meInteger, "", 2, "", 0, "10210", "1010"},
        {"word has no minus", meWord, "", 10, "", 0, "-42", "42"},
        {"float separator once", meFloat, "", 10, "", 0, "1.2.3", "1.23"},
        {"float minus", meFloat, "", 10, "", 0, "-0.5x", "-0.5"},
        {"time digits and separator", meTime, "", 10, "", 0, "12:3a4", "12:34"},
        {"mask classes", meMask, "0\\-AAa", 10, "", 1, "1xBcCd", "1-BCd"},
        {"mask refuses and waits at its place", meMask, "0\\-AAa", 10, "", 1, "1Bc", "1-B__"},
        {"mask digit one to nine", meMask, "99", 10, "", 1, "0a5", "5_"},
        {"mask binary and sign", meMask, "1v#", 10, "", 1, "21+x-", "1+-"},
        {"mask letter or digit, any letter", meMask, "cb", 10, "", 1, "7x", "7x"},
        {"mask blanks in front", meMask, "\\(000\\)", 10, "", 1, "12", "(12_)"},
        {"no type takes everything", meNone, "", 10, "", 0, "a-1.", "a-1."},
    };
    TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20);
    ShowForm();
    for (const TypeCase& c : cases) {
        SCOPED_TRACE(c.name);
        e->SetMaskType(meNone);
        e->SetNumberBase(TZCLNumberBase(c.base));
        e->SetMask(c.mask);
        e->SetMaskType(c.type);
        if (c.type != meMask) e->SetText(c.start);
        Focus(e);
        e->SetSelStart(c.cursor ? c.cursor : e->GetLength() + 1);
        Type(c.typed);
        ASSERT_TRUE(Flush(e));
        EXPECT_EQ(S(e->Text()), c.expected);
    }
}

TEST_F(ZclTypedEdit, MoneyTakesOnlyWhatAMoneyTextIsMadeOf)
{
    TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20);
    e->SetMaskType(meCurrency);
    const AnsiString zero = e->CurrencySettings()->toStr(Currency(0));
    EXPECT_EQ(S(e->Text()), S(zero));
    Focus(e);
    // Letters, signs of other kinds and the like: none of them can be read back as money.
    const std::string foreign = "aZxe!%#*/=_?;";
    for (char c : foreign) {
        if (e->CurrencySettings()->Symbol().Pos(AnsiString(c))) continue;
        e->SetSelStart(e->GetLength() + 1);
        Type(std::string(1, c));
        ASSERT_TRUE(Flush(e));
        EXPECT_EQ(S(e->Text()), S(zero)) << "typed " << c;
    }
    EXPECT_EQ(static_cast<long double>(e->AsCurrency()), 0.0L);

    // A digit goes in and the text stays money.
    e->SelectAll();
    Type("7");
    ASSERT_TRUE(Settles([&] { return S(e->Text()) != S(zero); })) << e->Text().c_str();
    EXPECT_EQ(S(e->Text()), S(e->CurrencySettings()->toStr(Currency(7)))) << "formatted again";
    EXPECT_EQ(static_cast<long double>(e->AsCurrency()), 7.0L);
}

// Written to a stream and read into a new control inside a form being loaded.
template <typename T>
T* StreamedCopy(T* from, TForm& into, std::string* bytes = nullptr)
{
    TMemoryStream stream;
    stream.WriteComponent(from);
    if (bytes) bytes->assign(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
    TComponentLoader loading(&into);
    auto* read = new T(&into);
    stream.SetPosition(0);
    stream.ReadComponent(read);
    loading.Finish();
    return read;
}

TEST_F(ZclTypedEdit, TypedValuesComeBackFromTheStream)
{
    const struct {
        TZCLMaskType type;
        const char* mask;
        const char* text;
        bool dateTime;  // the value travels as "DateTime"
    } cases[] = {
        {meFloat, "", "-2.5", true},     {meFloatFixed, "", "1234.5", true}, {meCurrency, "", "12.5", true},
        {meTime, "", "12:34:56", true},  {meDate, "", nullptr, true},        {meInteger, "", "42", false},
        {meWord, "", "7", false},        {meMask, "00\\/00", "12/3_", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type));
        TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20);
        e->SetName("Typed");
        e->SetMask(c.mask);
        e->SetMaskType(c.type);
        if (c.type == meDate)
            e->SetText(e->DateSettings()->GetEditString(2024, 2, 29));
        else
            e->SetText(c.text);
        std::string bytes;
        TForm other(nullptr);
        TZCLMaskEdit* read = StreamedCopy(e, other, &bytes);
        EXPECT_EQ(bytes.find("DateTime") != std::string::npos, c.dateTime);
        EXPECT_EQ(read->MaskType(), c.type);
        if (c.type == meTime)
            EXPECT_EQ(double(read->AsTime()), double(e->AsTime()));
        else
            EXPECT_EQ(S(read->Text()), S(e->Text())) << "loading keeps the value";
        delete e;
    }
}

TEST_F(ZclTypedEdit, SpinFileAndComboSettingsComeBackFromTheStream)
{
    auto* spin = Add<TZCLExtSpinEdit>(20, 20);
    spin->SetName("Spin");
    spin->SetEditType(ntFloatFixed);
    spin->SetDecimals(2);
    spin->SetMaxValue(50);
    spin->SetMinValue(1);
    spin->SetValue(12.5);
    spin->SetStep(2);
    spin->SetLargeStep(20);
    spin->SetFractionStep(0.25);
    spin->SetSpinBtnWidth(12);
    spin->SetEditorEnabled(false);
    TForm other(nullptr);
    TZCLExtSpinEdit* s = StreamedCopy(spin, other);
    EXPECT_EQ(s->EditType(), ntFloatFixed);
    EXPECT_EQ(s->MinValue(), 1);
    EXPECT_EQ(s->MaxValue(), 50);
    EXPECT_EQ(s->Value(), 12.5);
    EXPECT_EQ(S(s->Text()), S(spin->Text()));
    EXPECT_EQ(s->Step(), 2);
    EXPECT_EQ(s->LargeStep(), 20);
    EXPECT_EQ(s->FractionStep(), 0.25);
    EXPECT_EQ(s->SpinBtnWidth(), 12);
    EXPECT_FALSE(s->EditorEnabled());

    auto* file = Add<TZCLFileOpenEdit>(20, 60);
    file->SetName("File");
    file->SetFilter("Application (*.exe)|*.EXE");
    file->SetDefaultExt(".exe");
    file->SetTitle("Choose");
    file->SetInitialDir("C:\\windows");
    file->SetOptions(TOpenOptions{ofPathMustExist, ofFileMustExist});
    file->SetFilename("C:\\windows\\notepad.exe");
    TZCLFileOpenEdit* f = StreamedCopy(file, other);
    EXPECT_EQ(S(f->Filter()), "Application (*.exe)|*.EXE");
    EXPECT_EQ(S(f->DefaultExt()), ".exe");
    EXPECT_EQ(S(f->Title()), "Choose");
    EXPECT_EQ(S(f->InitialDir()), "C:\\windows");
    EXPECT_TRUE(f->Options() == (TOpenOptions{ofPathMustExist, ofFileMustExist}));
    EXPECT_EQ(S(f->GetFileName()), "C:\\windows\\notepad.exe");
    EXPECT_EQ(f->CustomButtonCount(), 1) << "still one browse button";

    auto* combo = Add<TZCLComboBox>(20, 100);
    combo->SetName("Combo");
    combo->SetInterval(900);
    combo->SetMRUList(true);
    combo->SetMRUMax(3);
    combo->SetDropDownWidth(250);
    combo->SetFlat(true);
    TZCLComboBox* c = StreamedCopy(combo, other);
    EXPECT_EQ(c->Interval(), 900);
    EXPECT_TRUE(c->MRUList());
    EXPECT_EQ(c->MRUMax(), 3);
    EXPECT_EQ(c->DropDownWidth(), 250);
    EXPECT_TRUE(c->Flat());
    EXPECT_FALSE(c->Search());
}

TEST_F(ZclTypedEdit, PastedTextThatBreaksTheRulesGoesInNowhere)
{
    TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20);
    e->SetMaskType(meInteger);
    e->SetText("12");
    e->SetSelStart(3);
    e->SetSelText("3x");
    EXPECT_EQ(S(e->Text()), "12");
    e->SetSelText("34");
    EXPECT_EQ(S(e->Text()), "1234");
    e->SetSelStart(1);
    e->SetSelText("-9");
    EXPECT_EQ(S(e->Text()), "-91234");
    e->SetSelStart(1);
    e->SetSelText("-");
    EXPECT_EQ(S(e->Text()), "-91234") << "one minus";

    e->SetMaskType(meFloat);
    e->SetText("1.5");
    e->SetSelStart(4);
    e->SetSelText("2.0");
    EXPECT_EQ(S(e->Text()), "1.5");

    e->SetMaskType(meMask);
    e->SetMask("00\\/00");
    EXPECT_EQ(S(e->Text()), "__/__");
    e->SetSelStart(1);
    e->SetSelLength(2);
    e->SetSelText("ab");
    EXPECT_EQ(S(e->Text()), "__/__") << "letters do not fit digit positions";
    e->SetSelStart(1);
    e->SetSelLength(2);
    e->SetSelText("42");
    EXPECT_EQ(S(e->Text()), "42/__");
}

// A paste the edit's type turns away changes nothing: the selection it would have replaced stays, selected.
TEST_F(ZclTypedEdit, ARefusedPasteLeavesTheSelectionInPlace)
{
    const struct {
        const char* name;
        TZCLMaskType type;
        const char* text;
        int from, to;  // the selection, as EM_SETSEL takes it
        const char* pasted;
        const char* expected;
    } cases[] = {
        {"letters over all of an integer", meInteger, "123", 0, 3, "abc", "123"},
        {"a minus inside an integer", meInteger, "123", 1, 2, "-", "123"},
        {"a second separator in a float", meFloat, "1.5", 2, 3, "2.0", "1.5"},
        {"a minus into a word", meWord, "42", 0, 2, "-1", "42"},
        {"digits taken", meInteger, "123", 0, 3, "77", "77"},
    };
    TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20);
    Focus(e);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        e->SetMaskType(c.type);
        e->SetText(c.text);
        SendMessageA(e->Handle(), EM_SETSEL, WPARAM(c.from), LPARAM(c.to));
        Clipboard()->SetAsText(c.pasted);
        Press('V', {VK_CONTROL});
        ASSERT_TRUE(Flush(e));
        EXPECT_EQ(S(e->Text()), c.expected);
        if (std::string(c.expected) == c.text) {
            EXPECT_EQ(e->SelStart(), c.from + 1);
            EXPECT_EQ(e->SelLength(), c.to - c.from);
        }
    }
}

// A negative number is typed from its sign on, whether the edit was emptied or its text is all selected: the
// lone sign is not yet a number, so it is not formatted away.
TEST_F(ZclTypedEdit, ANegativeNumberCanBeTypedFromTheStart)
{
    const struct {
        const char* name;
        TZCLMaskType type;
    } kinds[] = {{"fixed", meFloatFixed}, {"number", meFloatNumber}, {"currency", meCurrency}};
    const struct {
        const char* name;
        bool emptied;  // all of the text deleted with Backspace first, else all of it selected
    } starts[] = {{"emptied", true}, {"all selected", false}};
    for (const auto& k : kinds)
        for (const auto& s : starts)
            for (bool spin : {false, true}) {
                SCOPED_TRACE(std::string(k.name) + ", " + s.name + (spin ? ", spin edit" : ", mask edit"));
                TZCLCustomMaskEdit* e = nullptr;
                if (spin) {
                    auto* sp = Add<TZCLExtSpinEdit>(20, 20);
                    sp->SetMinValue(-1000);
                    sp->SetEditType(k.type == meFloatFixed    ? ntFloatFixed
                                    : k.type == meFloatNumber ? ntFloatNumber
                                                              : ntCurrency);
                    e = sp;
                } else {
                    auto* m = Add<TZCLMaskEdit>(20, 20);
                    m->SetMaskType(k.type);
                    e = m;
                }
                Focus(e);
                e->SelectAll();
                if (s.emptied) {
                    Press(VK_BACK);
                    ASSERT_TRUE(Flush(e));
                    e->SelectAll();
                }
                Type("-");
                ASSERT_TRUE(Flush(e));
                EXPECT_EQ(S(e->Text()), "-") << "the sign waits for its digits";
                Type("7");
                ASSERT_TRUE(Flush(e));
                const std::string expected = k.type == meCurrency ? S(e->CurrencySettings()->toStr(Currency(-7)))
                                                                  : S(FloatToStrF(-7.0L,
                                                                      k.type == meFloatNumber ? ffNumber : ffFixed,
                                                                      15, e->Decimals()));
                EXPECT_EQ(S(e->Text()), expected);
                EXPECT_EQ(static_cast<long double>(e->AsCurrency()), -7.0L);
                delete e;
            }
}

// The system's time form, put back when the test ends.
class TimeFormat {
public:
    TimeFormat(const char* format, const char* am, const char* pm)
        : format_(LongTimeFormat), am_(TimeAMString), pm_(TimePMString)
    {
        LongTimeFormat = format;
        TimeAMString = am;
        TimePMString = pm;
    }
    TimeFormat(const TimeFormat&) = delete;
    TimeFormat& operator=(const TimeFormat&) = delete;
    ~TimeFormat()
    {
        LongTimeFormat = format_;
        TimeAMString = am_;
        TimePMString = pm_;
    }

private:
    AnsiString format_, am_, pm_;
};

// What a time edit writes when it is left, typed back with real keys, is taken as it stands: in the 12-hour
// forms that includes the day half and the space before or after it.
TEST_F(ZclTypedEdit, ATimeEditTakesTypedWhatItWrites)
{
    const struct {
        const char* name;
        const char* format;
        const char* am;
        const char* pm;
    } forms[] = {
        {"12-hour, half behind", "h:mm:ss AMPM", "AM", "PM"},
        {"12-hour, half in front", "AMPM h:mm:ss", "am", "pm"},
        {"12-hour, am/pm", "hh:mm:ss am/pm", "AM", "PM"},
        {"24-hour", "hh:mm:ss", "AM", "PM"},
        {"24-hour, short hour", "h:mm:ss", "AM", "PM"},
    };
    const struct {
        const char* typed;  // the 24-hour digits every form reads
        int h, m, s;
    } times[] = {{"9:05:07", 9, 5, 7}, {"21:45:30", 21, 45, 30}};
    TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20);
    TZCLEdit* other = AddEdit(20, 60);
    e->SetMaskType(meTime);
    for (const auto& f : forms) {
        const TimeFormat form(f.format, f.am, f.pm);
        for (const auto& t : times) {
            SCOPED_TRACE(std::string(f.name) + ", " + t.typed);
            const std::string written = S(TimeToStr(EncodeTime(t.h, t.m, t.s, 0)));
            Focus(e);
            e->SelectAll();
            Type(t.typed);
            ASSERT_TRUE(Flush(e));
            ASSERT_EQ(S(e->Text()), t.typed);
            Focus(other);
            ASSERT_EQ(S(e->Text()), written) << "the edit writes the time in the system's form";

            Focus(e);
            e->SelectAll();
            Press(VK_BACK);
            Type(written);
            ASSERT_TRUE(Flush(e));
            EXPECT_EQ(S(e->Text()), written);
            EXPECT_EQ(double(e->AsTime()), double(EncodeTime(t.h, t.m, t.s, 0)));
            Focus(other);
            EXPECT_EQ(S(e->Text()), written) << "left again, it stays as it is";
        }
    }
}

TEST_F(ZclTypedEdit, MaskBackspaceAndDeleteBlankPositionsAndKeepLiterals)
{
    TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20);
    e->SetMask("00\\-00");
    Focus(e);
    e->SetSelStart(1);
    Type("1234");
    ASSERT_TRUE(Settles([&] { return S(e->Text()) == "12-34"; })) << e->Text().c_str();
    Press(VK_BACK);
    ASSERT_TRUE(Settles([&] { return S(e->Text()) == "12-3_"; })) << e->Text().c_str();
    EXPECT_EQ(e->CursorPos(), 5);
    e->SetSelStart(2);
    e->SetSelLength(3);
    Press(VK_DELETE);
    ASSERT_TRUE(Settles([&] { return S(e->Text()) == "1_-__"; })) << e->Text().c_str();
    EXPECT_EQ(e->CursorPos(), 2);
    e->SetSelStart(1);
    Press(VK_DELETE);
    ASSERT_TRUE(Settles([&] { return S(e->Text()) == "__-__"; })) << e->Text().c_str();
    EXPECT_EQ(e->GetLength(), 5) << "the text keeps the mask's length";
}

TEST_F(ZclTypedEdit, MaskTypingLeavesTheSharedEditModeAlone)
{
    TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20);
    TZCLEdit* plain = AddEdit(20, 60);
    e->SetMask("000");
    Focus(e);
    e->SetSelStart(1);
    Type("7");
    ASSERT_TRUE(Settles([&] { return S(e->Text()) == "7__"; }));
    EXPECT_TRUE(ZCLApplication->EditMode().Contains(emInsert));
    plain->SetText("ab");
    Focus(plain);
    plain->SetSelStart(1);
    Type("x");
    ASSERT_TRUE(Settles([&] { return S(plain->Text()) == "xab"; })) << "still inserting: " << plain->Text().c_str();
}

TEST_F(ZclTypedEdit, RequiredPositionKeepsTheFocusButNotAgainstAnother)
{
    TZCLMaskEdit* a = Add<TZCLMaskEdit>(20, 20);
    TZCLMaskEdit* b = Add<TZCLMaskEdit>(20, 60);
    TZCLEdit* other = AddEdit(20, 100);
    a->SetMask("0!0");
    b->SetMask("!00");
    Focus(a);
    a->SetSelStart(1);
    Type("5");
    ASSERT_TRUE(Flush(a));
    other->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == a->Handle(); }, 5000)) << "the unfilled edit took it back";
    EXPECT_EQ(a->SelStart(), 2);
    EXPECT_EQ(a->SelLength(), 1);

    // Two unfilled edits: the focus settles in one of them, it does not go to and fro.
    b->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == a->Handle() || GetFocus() == b->Handle(); }, 5000));
    HWND settled = nullptr;
    int same = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            HWND now = GetFocus();
            same = now == settled ? same + 1 : 0;
            settled = now;
            return same >= 20;
        },
        10000));
    EXPECT_TRUE(settled == a->Handle() || settled == b->Handle());

    // Filled, it lets the focus go.
    Focus(a);
    a->SetSelStart(2);
    Type("6");
    ASSERT_TRUE(Settles([&] { return S(a->Text()) == "56"; }));
    b->SetMask("00");
    other->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == other->Handle(); }, 5000));
    ASSERT_TRUE(Flush(other));
    EXPECT_EQ(GetFocus(), other->Handle());
}

TEST_F(ZclTypedEdit, ValuesReadBackOrRaiseForTheWrongType)
{
    TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20);
    e->SetMaskType(meFloat);
    e->SetText("2.5");
    EXPECT_DOUBLE_EQ(double(e->AsFloat()), 2.5);
    try {
        e->AsInteger();
        ADD_FAILURE() << "no error";
    } catch (const EZCLWrongDataType& x) {
        EXPECT_STREQ(x.Message().c_str(), "No integer entered");
    }
    struct Case {
        TZCLMaskType type;
        const char* message;
        void (*read)(TZCLMaskEdit*);
    } wrong[] = {
        {meFloat, "No word entered", [](TZCLMaskEdit* m) { m->AsCardinal(); }},
        {meInteger, "No float entered", [](TZCLMaskEdit* m) { m->AsFloat(); }},
        {meInteger, "No date entered", [](TZCLMaskEdit* m) { m->AsDate(); }},
        {meInteger, "No time entered", [](TZCLMaskEdit* m) { m->AsTime(); }},
        {meWord, "No integer entered", [](TZCLMaskEdit* m) { m->AsInt64(); }},
    };
    for (const Case& c : wrong) {
        e->SetMaskType(c.type);
        try {
            c.read(e);
            ADD_FAILURE() << c.message;
        } catch (const EZCLWrongDataType& x) {
            EXPECT_STREQ(x.Message().c_str(), c.message);
        }
    }
    e->SetMaskType(meInteger);
    e->SetText("");
    EXPECT_EQ(e->AsInteger(), 0);
    e->SetText("-2147483648");
    EXPECT_EQ(e->AsInteger(), INT_MIN);
    e->SetText("2147483648");
    EXPECT_THROW(e->AsInteger(), EZCLWrongDataType) << "beyond 32 bits";
    EXPECT_EQ(e->AsInt64(), 2147483648LL);
    e->SetText("99999999999999999999");
    EXPECT_THROW(e->AsInt64(), EZCLWrongDataType);
    e->SetNumberBase(16);
    e->SetText("FF");
    EXPECT_EQ(e->AsInteger(), 255);
    e->SetMaskType(meWord);
    e->SetNumberBase(10);
    e->SetText("4294967295");
    EXPECT_EQ(e->AsCardinal(), 4294967295u);
    e->SetText("4294967296");
    EXPECT_THROW(e->AsCardinal(), EZCLWrongDataType);
}

TEST_F(ZclTypedEdit, MaskTypeChangesSetTheTypesEmptyText)
{
    TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20);
    e->SetMask("00\\:00");
    EXPECT_EQ(S(e->Text()), "__:__") << "a new edit is a mask edit";
    e->SetBlankChar('#');
    EXPECT_EQ(S(e->Text()), "##:##");
    e->SetMaskType(meInteger);
    EXPECT_EQ(S(e->Text()), "0");
    e->SetDecimals(2);
    e->SetMaskType(meFloatFixed);
    EXPECT_EQ(S(e->Text()), "0.00");
    e->SetMaskType(meFloatNumber);
    e->SetText("1234.5");
    EXPECT_EQ(S(e->Text()), "1,234.50") << "re-formatted after a change";
    EXPECT_DOUBLE_EQ(double(e->AsFloat()), 1234.5);
    e->SetMaskType(meMask);
    EXPECT_EQ(S(e->Text()), "##:##");
}

TEST_F(ZclTypedEdit, DatesThatDoNotExistAreNotTakenAsDates)
{
    TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20);
    e->DateSettings()->SetFormatStr("dd/mm/yyyy");
    e->DateSettings()->SetFormat(dfCustom);
    e->SetMaskType(meDate);
    e->SetText("28/02/2024");
    Focus(e);
    e->SetSelStart(1);
    Press(VK_UP);
    ASSERT_TRUE(Settles([&] { return S(e->Text()) == "29/02/2024"; })) << e->Text().c_str();
    Press(VK_UP);
    ASSERT_TRUE(Settles([&] { return S(e->Text()) == "01/03/2024"; })) << e->Text().c_str();
    Press(VK_DOWN);
    ASSERT_TRUE(Settles([&] { return S(e->Text()) == "29/02/2024"; })) << e->Text().c_str();

    // Typed: day 3 then 1 makes 31; the month field gets 02.
    e->SetSelStart(1);
    Type("31");
    ASSERT_TRUE(Settles([&] { return S(e->Text()).substr(0, 2) == "31"; })) << e->Text().c_str();
    Press(VK_RIGHT);
    Type("02");
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(S(e->Text()), "31/02/2024");
    Press(VK_UP);
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(S(e->Text()), "31/02/2024") << "no day after a day that does not exist";
    EXPECT_THROW(e->AsDate(), EConvertError);

    // Day fields: 4 cannot start a two-digit day, 3 then 5 starts again at 5.
    e->SetText("01/01/2023");
    e->SetSelStart(1);
    Type("4");
    ASSERT_TRUE(Settles([&] { return S(e->Text()) == "04/01/2023"; })) << e->Text().c_str();
    Type("35");
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(S(e->Text()).substr(0, 2), "05");
    EXPECT_EQ(e->SelStart(), 1) << "the cursor goes back to the field's start";
}

TEST_F(ZclTypedEdit, MonthNamesOnlyForMonthsThatExist)
{
    TZCLMaskEdit* e = Add<TZCLMaskEdit>(20, 20, 200);
    e->DateSettings()->SetFormatStr("dd mmm yyyy");
    e->DateSettings()->SetFormat(dfCustom);
    e->SetMaskType(meDate);
    e->SetText(e->DateSettings()->GetEditString(2024, 1, 15));
    const std::string january = S(e->Text());
    Focus(e);
    e->SetSelStart(1);
    Press(VK_RIGHT);
    ASSERT_TRUE(Flush(e));
    const int monthStart = e->SelStart();
    Type("0");
    ASSERT_TRUE(Flush(e));
    EXPECT_EQ(S(e->Text()), january) << "no month 0";
    Type("9");
    ASSERT_TRUE(Settles([&] { return S(e->Text()).find(ShortMonthNames[9].c_str()) != std::string::npos; }))
        << e->Text().c_str();
    e->SetSelStart(monthStart);
    Type("13");
    ASSERT_TRUE(Flush(e));
    EXPECT_NE(S(e->Text()).find(ShortMonthNames[3].c_str()), std::string::npos)
        << "13 is no month: the 3 starts again: " << e->Text().c_str();
}

// The spin edit -------------------------------------------------------------------------------------------------

TEST_F(ZclTypedEdit, SpinKeysStepAndStopAtTheLimits)
{
    auto* s = Add<TZCLExtSpinEdit>(20, 20, 100);
    s->SetMaxValue(25);
    s->SetValue(20);
    EXPECT_EQ(S(s->Text()), "20");
    Focus(s);
    Press(VK_UP);
    ASSERT_TRUE(Settles([&] { return S(s->Text()) == "21"; }));
    Press(VK_PRIOR);
    ASSERT_TRUE(Settles([&] { return S(s->Text()) == "25"; })) << "not past the maximum: " << s->Text().c_str();
    Press(VK_UP, {}, 3);
    ASSERT_TRUE(Flush(s));
    EXPECT_EQ(S(s->Text()), "25") << "no wrap";
    Press(VK_NEXT, {}, 3);
    ASSERT_TRUE(Settles([&] { return S(s->Text()) == "0"; }));
    Press(VK_DOWN);
    ASSERT_TRUE(Flush(s));
    EXPECT_EQ(S(s->Text()), "0");

    s->SetReadOnly(true);
    Press(VK_UP);
    ASSERT_TRUE(Flush(s));
    EXPECT_EQ(S(s->Text()), "0") << "read-only";
    s->SetReadOnly(false);
    s->SetEditorEnabled(false);
    Type("7");
    ASSERT_TRUE(Flush(s));
    EXPECT_EQ(S(s->Text()), "0") << "the editor is off";
    Press(VK_UP);
    ASSERT_TRUE(Settles([&] { return S(s->Text()) == "1"; })) << "but the steps work";
}

TEST_F(ZclTypedEdit, FloatSpinStepsTheFractionBehindTheSeparator)
{
    auto* s = Add<TZCLExtSpinEdit>(20, 20, 100);
    s->SetEditType(ntFloatFixed);
    s->SetDecimals(1);
    s->SetMaxValue(3);
    s->SetValue(1.5);
    EXPECT_EQ(S(s->Text()), "1.5");
    Focus(s);
    s->SetSelStart(4);
    Press(VK_UP);
    ASSERT_TRUE(Settles([&] { return S(s->Text()) == "1.6"; })) << s->Text().c_str();
    EXPECT_EQ(s->CursorPos(), 4) << "the cursor stays";
    s->SetSelStart(1);
    Press(VK_UP);
    ASSERT_TRUE(Settles([&] { return S(s->Text()) == "2.6"; })) << s->Text().c_str();
    Press(VK_UP);
    ASSERT_TRUE(Settles([&] { return S(s->Text()) == "3.0"; })) << s->Text().c_str();
    EXPECT_DOUBLE_EQ(s->Value(), 3);
}

TEST_F(ZclTypedEdit, SetDoubleKeepsMinimumValueAndMaximumInOrder)
{
    struct Case {
        const char* name;
        double min, max, value;  // set in this order
        double wantMin, wantMax, wantValue;
        const char* text;
    } cases[] = {
        {"minimum above maximum", 150, 100, 50, 100, 100, 100, "100"},
        {"maximum below minimum", 10, 5, 50, 10, 10, 10, "10"},
        {"value above", 0, 100, 500, 0, 100, 100, "100"},
        {"value below", -5, 5, -50, -5, 5, -5, "-5"},
        {"integers are truncated", 1.7, 9.9, 4.8, 1, 9, 4.8, "4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TZCLExtSpinEdit s(nullptr);
        s.SetDouble(0, c.min);
        s.SetDouble(1, c.max);
        s.SetDouble(2, c.value);
        EXPECT_DOUBLE_EQ(s.MinValue(), c.wantMin);
        EXPECT_DOUBLE_EQ(s.MaxValue(), c.wantMax);
        EXPECT_DOUBLE_EQ(s.Value(), c.wantValue);
        EXPECT_EQ(S(s.Text()), c.text);
    }
}

TEST_F(ZclTypedEdit, LeavingTakesTheTypedValueWithinTheLimits)
{
    auto* s = Add<TZCLExtSpinEdit>(20, 20, 100);
    TZCLEdit* other = AddEdit(20, 60);
    s->SetMinValue(10);
    s->SetMaxValue(50);
    s->SetValue(20);
    struct Case {
        const char* typed;
        const char* text;
        double value;
    } cases[] = {{"33", "33", 33}, {"99", "50", 50}, {"-", "50", 50}, {"", "50", 50}, {"3", "10", 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Focus(s);
        s->SelectAll();
        Press(VK_DELETE);
        Type(c.typed);
        ASSERT_TRUE(Flush(s));
        other->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == other->Handle(); }));
        EXPECT_EQ(S(s->Text()), c.text);
        EXPECT_DOUBLE_EQ(s->Value(), c.value);
    }
}

// The spin button -----------------------------------------------------------------------------------------------

class ZclSpinButtonFace : public testing::Test {
protected:
    static COLORREF At(TZCLSpinButton& b, TZCLSpinButtonState s, int x, int y)
    {
        TBitmap* strip = b.StateBitmap();
        return COLORREF(ColorToRGB(strip->Canvas()->Pixels(int(s) * b.Width() + x, y))) & 0xFFFFFF;
    }
};

TEST_F(ZclSpinButtonFace, OneUpArrowInTheMiddleAndALoweredFrameWhilePressed)
{
    TZCLSpinButton b(nullptr);
    ASSERT_EQ(b.Width(), 20);
    ASSERT_EQ(b.Height(), 20);
    const COLORREF face = GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
    // Inside the one-pixel frame the face is 18 x 18: the arrow's tip at (9, 8), its base row at 10.
    EXPECT_EQ(At(b, sbUpper, 9, 8), 0u);
    EXPECT_EQ(At(b, sbUpper, 7, 10), 0u);
    EXPECT_EQ(At(b, sbUpper, 11, 10), 0u);
    EXPECT_EQ(At(b, sbUpper, 8, 8), face);
    EXPECT_EQ(At(b, sbUpper, 9, 12), face);
    EXPECT_EQ(At(b, sbUpDown, 9, 8), 0u);
    EXPECT_NE(At(b, sbUpper, 0, 0), At(b, sbUpDown, 0, 0)) << "the pressed frame";
    const auto brightness = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
    EXPECT_LT(brightness(At(b, sbUpDown, 0, 0)), brightness(face)) << "a dark top-left corner: lowered";
    EXPECT_GT(brightness(At(b, sbUpper, 0, 0)), brightness(face)) << "a light top-left corner: raised";
    // Disabled: grey, with the light copy one pixel down and right.
    EXPECT_EQ(At(b, sbDisabled, 9, 8), GetSysColor(COLOR_GRAYTEXT) & 0xFFFFFF);
}

TEST_F(ZclSpinButtonFace, DisabledGreysUpAndDownButNotLeftAndRight)
{
    TZCLSpinButton b(nullptr);
    b.SetBtns(TZCLSpinButtons{sbLeft});
    // Layout 13: the left arrow's point at (8, 9), filled to x = 10.
    EXPECT_EQ(At(b, sbUpper, 9, 9), 0u);
    EXPECT_EQ(At(b, sbDisabled, 9, 9), 0u);
    b.SetBtns(TZCLSpinButtons{sbRight});
    // Layout 15: the point at (10, 9).
    EXPECT_EQ(At(b, sbUpper, 9, 9), 0u);
    EXPECT_EQ(At(b, sbDisabled, 9, 9), 0u);
    b.SetBtns(TZCLSpinButtons{sbDown});
    // Layout 9: a down arrow whose top row starts at (7, 8).
    EXPECT_EQ(At(b, sbUpper, 8, 8), 0u);
    EXPECT_EQ(At(b, sbDisabled, 8, 8), GetSysColor(COLOR_GRAYTEXT) & 0xFFFFFF);
}

TEST_F(ZclSpinButtonFace, UpAndDownPartsLieEitherSideOfTheAntiDiagonal)
{
    TZCLSpinButton b(nullptr);
    b.SetBtns(TZCLSpinButtons{sbUp, sbDown});
    struct Case {
        int x, y;
        TZCLSpinButtonState part;
    } cases[] = {{1, 1, sbUpDown}, {9, 9, sbUpDown}, {0, 18, sbUpDown}, {11, 11, sbDownDown},
                 {18, 18, sbDownDown}, {19, 1, sbDownDown}, {-1, 5, sbUpper}, {20, 5, sbUpper}};
    for (const Case& c : cases) EXPECT_EQ(b.PartAt(c.x, c.y), c.part) << c.x << "," << c.y;
    // The pressed triangle's edges swap their light and dark.
    const COLORREF upEdge = At(b, sbUpper, 0, 5), pressedEdge = At(b, sbUpDown, 0, 5);
    EXPECT_NE(upEdge, pressedEdge);
    for (TZCLSpinButtons set : {TZCLSpinButtons{sbLeft, sbRight}, TZCLSpinButtons{sbLeft, sbRight, sbUp, sbDown},
                                TZCLSpinButtons{sbLeft, sbUp}}) {
        b.SetBtns(set);
        EXPECT_EQ(b.PartAt(5, 5), sbUpper) << "layout " << b.Layout() << " has no part under the mouse";
        EXPECT_EQ(b.PartAt(15, 15), sbUpper);
    }
}

class ZclSpinButtonInput : public EditForm {
protected:
    TZCLSpinButton* AddButton(TZCLSpinButtons set)
    {
        auto* b = new TZCLSpinButton(form.get());
        b->SetParent(form.get());
        b->SetBounds(40, 40, 20, 20);
        b->SetBtns(set);
        b->SetOnTopClick(TNotifyEvent::From([this](TObject*) { ++top; }));
        b->SetOnBottomClick(TNotifyEvent::From([this](TObject*) { ++bottom; }));
        b->SetOnLeftClick(TNotifyEvent::From([this](TObject*) { ++left; }));
        b->SetOnRightClick(TNotifyEvent::From([this](TObject*) { ++right; }));
        return b;
    }
    int top = 0, bottom = 0, left = 0, right = 0;
};

TEST_F(ZclSpinButtonInput, APressRepeatsUntilReleaseAndNoLonger)
{
    TZCLSpinButton* b = AddButton(TZCLSpinButtons{sbUp, sbDown});
    ShowForm();
    MouseAt(b->Parent(), 40 + 15, 40 + 15);
    ASSERT_TRUE(Flush(form.get()));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return bottom >= 1; }, 5000));
    EXPECT_EQ(b->Pressed(), sbDownDown);
    EXPECT_TRUE(b->TimerRunning());
    ASSERT_TRUE(PumpUntil([&] { return bottom >= 4; }, 10000)) << "it repeats while held";
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return !b->TimerRunning(); }, 5000));
    EXPECT_EQ(b->Pressed(), sbUpper);
    ASSERT_TRUE(Flush(form.get()));
    const int settled = bottom;
    Pump(400);
    EXPECT_EQ(bottom, settled) << "nothing after the release";
    EXPECT_EQ(top, 0);
}

// On the pool's own clock: the event at the press, the first repeat 300 ms later (the repeat interval and
// 200 ms), the next ones every 100 ms.
TEST_F(ZclSpinButtonInput, TheRepeatWaitsTheFirstPauseThenStepsAtTheInterval)
{
    TZCLSpinButton* b = AddButton(TZCLSpinButtons{sbUp});
    const unsigned interval = b->RepeatInterval();
    ASSERT_EQ(interval, 100u);
    poolclock::PoolClock clock;
    ASSERT_TRUE(clock.Running());
    std::vector<int> fired;
    b->SetOnTopClick(TNotifyEvent::From([&](TObject*) { fired.push_back(clock.Now()); }));
    ShowForm();
    MouseAt(b->Parent(), 50, 50);
    ASSERT_TRUE(Flush(form.get()));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return fired.size() >= 4; }, 20000));
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return !b->TimerRunning(); }, 5000));
    EXPECT_EQ(fired[1] - fired[0], clock.Ticks(interval + 200)) << "the first pause";
    for (std::size_t i = 2; i < 4; ++i) EXPECT_EQ(fired[i] - fired[i - 1], clock.Ticks(interval)) << i;
}

TEST_F(ZclSpinButtonInput, LeavingWhilePressedEndsThePressWithoutAnEvent)
{
    TZCLSpinButton* b = AddButton(TZCLSpinButtons{sbUp});
    ShowForm();
    MouseAt(b->Parent(), 50, 50);
    ASSERT_TRUE(Flush(form.get()));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return top >= 1 && b->TimerRunning(); }, 5000));
    MouseAt(b->Parent(), 200, 150);
    ASSERT_TRUE(PumpUntil([&] { return !b->TimerRunning() && b->Pressed() == sbUpper; }, 5000));
    const int settled = top;
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(Flush(form.get()));
    Pump(400);
    EXPECT_EQ(top, settled);
}

TEST_F(ZclSpinButtonInput, LayoutsWithoutPartsUnderTheMouseFireNothing)
{
    TZCLSpinButton* b = AddButton(TZCLSpinButtons{sbLeft, sbRight});
    ShowForm();
    for (TZCLSpinButtons set : {TZCLSpinButtons{sbLeft, sbRight}, TZCLSpinButtons{sbLeft, sbRight, sbUp, sbDown}}) {
        b->SetBtns(set);
        for (POINT p : {POINT{43, 43}, POINT{57, 57}, POINT{50, 50}}) {
            MouseAt(form.get(), p.x, p.y);
            MouseButtons(MOUSEEVENTF_LEFTDOWN);
            MouseButtons(MOUSEEVENTF_LEFTUP);
            ASSERT_TRUE(Flush(form.get()));
        }
        EXPECT_FALSE(b->TimerRunning());
    }
    EXPECT_EQ(top + bottom + left + right, 0);
}

TEST_F(ZclSpinButtonInput, FreedOrDisabledWhileHeldLeavesNoTimer)
{
    TZCLSpinButton* b = AddButton(TZCLSpinButtons{sbUp});
    const int before = ZCLApplication->TimerPool()->GetCount();
    b->SetDown(sbUpDown);
    EXPECT_EQ(top, 1) << "at once";
    EXPECT_TRUE(b->TimerRunning());
    b->SetEnabled(false);
    EXPECT_FALSE(b->TimerRunning());
    EXPECT_EQ(b->ShownState(), sbDisabled);
    b->SetEnabled(true);
    b->SetDown(sbUpDown);
    EXPECT_EQ(ZCLApplication->TimerPool()->GetCount(), before + 1);
    b->SetDown(sbUpDown);
    EXPECT_EQ(ZCLApplication->TimerPool()->GetCount(), before + 1) << "a new press replaces the old timer";
    delete b;
    EXPECT_EQ(ZCLApplication->TimerPool()->GetCount(), before);
}

TEST_F(ZclSpinButtonInput, SpinEditButtonStopsWhenTheFocusGoes)
{
    auto* s = new TZCLExtSpinEdit(form.get());
    s->SetParent(form.get());
    s->SetBounds(20, 20, 100, 21);
    s->SetMaxValue(1000000);
    TZCLEdit* other = AddEdit(20, 60);
    ShowForm();
    s->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == s->Handle(); }));
    TZCLSpinButton* b = s->SpinButton();
    EXPECT_EQ(b->Width(), b->Height()) << "as wide as the inner height";
    EXPECT_EQ(b->Left() + b->Width(), s->InnerRect().right);
    // The upper part of the button, by real input.
    MouseAt(s, b->Left() + 2, b->Top() + 2);
    ASSERT_TRUE(Flush(s));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return s->Value() >= 2; }, 10000)) << s->Text().c_str();
    other->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return !b->TimerRunning(); }, 5000));
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(Flush(other));
    const double settled = s->Value();
    Pump(400);
    EXPECT_EQ(s->Value(), settled);
    EXPECT_EQ(S(s->Text()), S(IntToStr(int(settled))));
}

TEST_F(ZclSpinButtonInput, ADisabledSpinEditGreysItsButtonAndStopsItsPress)
{
    auto* s = new TZCLExtSpinEdit(form.get());
    s->SetParent(form.get());
    s->SetBounds(20, 20, 100, 21);
    s->SetMaxValue(1000);
    TZCLSpinButton* b = s->SpinButton();
    const int before = ZCLApplication->TimerPool()->GetCount();
    b->SetDown(sbUpDown);
    EXPECT_EQ(s->Value(), 1) << "the press stepped at once";
    ASSERT_TRUE(b->TimerRunning());
    s->SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    EXPECT_FALSE(b->TimerRunning());
    EXPECT_EQ(b->ShownState(), sbDisabled);
    EXPECT_EQ(ZCLApplication->TimerPool()->GetCount(), before);
    s->SetEnabled(true);
    EXPECT_TRUE(b->Enabled());
    EXPECT_EQ(b->ShownState(), sbUpper);
    EXPECT_EQ(s->Value(), 1);
}

}  // namespace
