// Dates as text and back by D, M and Y patterns, the edit text and its fields.

#include "zcl/core/Zcldateformat.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/SysUtils.h"

namespace {

int Century()
{
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return st.wYear / 100 * 100;
}

// Known names and separators for the tests that set their own pattern; the framework's locale values come back.
class DateFormatTest : public testing::Test {
protected:
    void SetUp() override
    {
        saved_ = {ShortDateFormat, LongDateFormat, DateSeparator};
        for (int i = 1; i <= 12; ++i) {
            savedMonths_[i - 1][0] = ShortMonthNames[i];
            savedMonths_[i - 1][1] = LongMonthNames[i];
        }
        for (int i = 1; i <= 7; ++i) {
            savedDays_[i - 1][0] = ShortDayNames[i];
            savedDays_[i - 1][1] = LongDayNames[i];
        }
        const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                      "July",    "August",   "September", "October", "November", "December"};
        const char* const days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
        for (int i = 1; i <= 12; ++i) {
            LongMonthNames[i] = months[i - 1];
            ShortMonthNames[i] = AnsiString(months[i - 1]).SubString(1, 3);
        }
        for (int i = 1; i <= 7; ++i) {
            LongDayNames[i] = days[i - 1];
            ShortDayNames[i] = AnsiString(days[i - 1]).SubString(1, 3);
        }
        DateSeparator = '/';
    }
    void TearDown() override
    {
        ShortDateFormat = saved_.shortFormat;
        LongDateFormat = saved_.longFormat;
        DateSeparator = saved_.separator;
        for (int i = 1; i <= 12; ++i) {
            ShortMonthNames[i] = savedMonths_[i - 1][0];
            LongMonthNames[i] = savedMonths_[i - 1][1];
        }
        for (int i = 1; i <= 7; ++i) {
            ShortDayNames[i] = savedDays_[i - 1][0];
            LongDayNames[i] = savedDays_[i - 1][1];
        }
    }
    static TZCLDateFormat* Custom(TZCLDateFormat& f, const char* pattern)
    {
        f.SetFormat(dfCustom);
        f.SetFormatStr(pattern);
        return &f;
    }

private:
    struct {
        AnsiString shortFormat, longFormat;
        char separator;
    } saved_;
    AnsiString savedMonths_[12][2];
    AnsiString savedDays_[7][2];
};

TEST_F(DateFormatTest, DatesToTextByPattern)
{
    const TDateTime march5 = EncodeDate(2001, 3, 5);  // a Monday
    const struct {
        const char* pattern;
        TDateTime date;
        const char* text;
    } cases[] = {
        {"DD.MM.YYYY", march5, "05.03.2001"},
        {"D.M.YY", march5, "5.3.01"},
        {"dd.mm.yyyy", march5, "05.03.2001"},
        {"DDD D MMM Y", march5, "Mon 5 Mar 2001"},
        {"DDDD, D. MMMM YYYY", march5, "Monday, 5. March 2001"},
        {"YYYYMMDD", march5, "20010305"},
        {"D.M.YY", EncodeDate(2000, 12, 31), "31.12.00"},
        {"D.M.YY", EncodeDate(1909, 1, 1), "1.1.09"},
        {"D/M/YYYY", march5, "5/3/2001"},  // "/" is the date separator: here "/"
        // Runs of other lengths give nothing; other characters are copied as they stand.
        {"DDDDD|MMMMM|YYY", march5, "||"},
        {"D 'of' M", march5, "5 of 3"},  // quoted text is literal, without its quotes
        {"", march5, ""},
    };
    for (const auto& c : cases) {
        TZCLDateFormat f;
        EXPECT_EQ(Custom(f, c.pattern)->DateToStr(c.date), c.text) << c.pattern;
    }
    TZCLDateFormat dashed;
    DateSeparator = '-';
    EXPECT_EQ(Custom(dashed, "dd/mm/yyyy")->DateToStr(march5), "05-03-2001");
    EXPECT_EQ(dashed.GetFormatStr(), "dd-mm-yyyy");
}

TEST_F(DateFormatTest, TextToDateWithTwoDigitYears)
{
    const int century = Century();
    const struct {
        const char* pattern;
        const char* text;
        int window;
        int year, month, day;
    } cases[] = {
        // The default window puts every two-digit year into the current century.
        {"D.M.YY", "1.1.05", -1, century + 5, 1, 1},
        {"D.M.YY", "1.1.00", -1, century, 1, 1},
        {"D.M.YY", "1.1.99", 0, century + 99, 1, 1},
        // A window: years up to it in this century, later ones in the previous.
        {"D.M.YY", "1.1.05", 30, century + 5, 1, 1},
        {"D.M.YY", "1.1.30", 30, century + 30, 1, 1},
        {"D.M.YY", "1.1.31", 30, century - 100 + 31, 1, 1},
        {"D.M.YY", "1.1.00", 30, century, 1, 1},
        {"D.M.YY", "1.1.2005", -1, 2005, 1, 1},
        {"DD.MM.YYYY", "05.03.2001", -1, 2001, 3, 5},
        {"DD.MM.YYYY", " 5 . 3 . 2001", -1, 2001, 3, 5},
        {"DD.MM.YYYY", "05-03-2001", -1, 2001, 3, 5},
        {"DDMMYY", "050301", -1, century + 1, 3, 5},
        {"YYYYMMDD", "20010305", -1, 2001, 3, 5},
        {"D MMMM YYYY", "5 march 2001", -1, 2001, 3, 5},
        {"D MMM YYYY", "5 MAR 2001", -1, 2001, 3, 5},
        {"D MMM YYYY", "5 September 2001", -1, 2001, 9, 5},
        {"DDDD, D. MMMM YYYY", "Monday, 5. March 2001", -1, 2001, 3, 5},
        {"DDD D MMM YYYY", "mon 5 jun 2001", -1, 2001, 6, 5},
        {"D.M.YYYY", "5.x.2001", -1, 2001, 0, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " " + c.text + " " + std::to_string(c.window));
        TZCLDateFormat f;
        f.SetYearDelta(std::int8_t(c.window));
        std::uint16_t y = 1, m = 1, d = 1;
        Custom(f, c.pattern)->StrToYMD(c.text, y, m, d);
        EXPECT_EQ(y, c.year);
        EXPECT_EQ(m, c.month);
        EXPECT_EQ(d, c.day);
    }
    TZCLDateFormat f;
    EXPECT_EQ(f.YearDelta(), -1);
    EXPECT_EQ(f.GetYearDelta(), 0);
    EXPECT_EQ(TZCLDateFormat::CurrentYear() / 100 * 100, century);
}

TEST_F(DateFormatTest, ATextThatIsNoDateRaises)
{
    TZCLDateFormat f;
    Custom(f, "DD.MM.YYYY");
    EXPECT_EQ(f.StrToDate("05.03.2001"), EncodeDate(2001, 3, 5));
    for (const char* text : {"31.02.2001", "", "x.y.z", "5.13.2001", "0.1.2001"}) {
        try {
            f.StrToDate(text);
            ADD_FAILURE() << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "Invalid date format!") << text;
        }
    }
}

TEST_F(DateFormatTest, EditTextHasFixedWidthFields)
{
    const struct {
        const char* pattern;
        int year, month, day;
        const char* text;
    } cases[] = {
        {"D.M.YY", 2001, 3, 5, "5 .3 .01"},
        {"DD.MM.YYYY", 2001, 3, 5, "05.03.2001"},
        {"d.m.yy", 2001, 3, 5, "5 .3 .01"},
        {"DDDDD.MMMMM", 2001, 12, 24, "24.12"},
        {"MMMM", 2001, 5, 1, "May      "},      // to the length of "September"
        {"MMM", 2001, 5, 1, "May"},
        {"DDDD", 2001, 3, 5, "Monday   "},     // to the length of "Wednesday"
        {"DDD", 2001, 3, 5, "Mon"},
        {"YYYY", 5, 1, 1, "5"},
        {"Y", 2001, 1, 1, "2001"},
        {"YYY", 2001, 1, 1, "2001"},
        {"YY", 5, 1, 1, "05"},
        {"D. MMMM YYYY 'x'", 2001, 3, 5, "5 . March     2001 x"},
    };
    for (const auto& c : cases) {
        TZCLDateFormat f;
        EXPECT_EQ(Custom(f, c.pattern)->GetEditString(c.year, c.month, c.day), c.text) << c.pattern;
    }
    TZCLDateFormat f;
    Custom(f, "DD.MM.YYYY");
    EXPECT_EQ(f.GetDTEditString(EncodeDate(2001, 3, 5)), f.DateToStr(EncodeDate(2001, 3, 5)));
    // A day name needs a real date; a month name outside the year gives the padding alone.
    Custom(f, "DDD D.M.YYYY");
    EXPECT_THROW(f.GetEditString(2001, 2, 30), EConvertError);
    Custom(f, "MMM");
    EXPECT_EQ(f.GetEditString(2001, 13, 1), "   ");

    EXPECT_EQ(TZCLDateFormat::GetLongMonthExtend(), 9);
    EXPECT_EQ(TZCLDateFormat::GetShortMonthExtend(), 3);
    EXPECT_EQ(TZCLDateFormat::GetLongDayExtend(), 9);
    EXPECT_EQ(TZCLDateFormat::GetShortDayExtend(), 3);
}

TEST_F(DateFormatTest, EditTextAndDateTextReadBack)
{
    const char* const patterns[] = {"DD.MM.YYYY", "D.M.YYYY", "DDD, D. MMM YYYY", "DDDD D MMMM YYYY", "YYYYMMDD",
                                    "MM/DD/YYYY", "D MMMM YY"};
    const TDateTime dates[] = {EncodeDate(2001, 3, 5), EncodeDate(1999, 12, 31), EncodeDate(2024, 2, 29),
                               EncodeDate(2030, 9, 1), EncodeDate(Century() + 7, 5, 17)};
    for (const char* pattern : patterns) {
        for (TDateTime date : dates) {
            TZCLDateFormat f;
            Custom(f, pattern);
            if (std::string(pattern).find("YYYY") == std::string::npos) {
                unsigned short y, m, d;
                DecodeDate(date, y, m, d);
                if (y / 100 * 100 != Century()) continue;  // two digits keep only this century's years
            }
            EXPECT_EQ(f.StrToDate(f.DateToStr(date)), date) << pattern << " " << f.DateToStr(date).str();
            EXPECT_EQ(f.StrToDate(f.GetDTEditString(date)), date) << pattern << " " << f.GetDTEditString(date).str();
        }
    }
}

TEST_F(DateFormatTest, FieldsOfAnEditText)
{
    TZCLDateFormat f;
    Custom(f, "DD.MMM.YYYY");
    const AnsiString text = f.GetEditString(2001, 3, 5);
    ASSERT_EQ(text, "05.Mar.2001");
    const struct {
        int index, kind, start, stop;
    } fields[] = {{1, 2, 1, 2}, {2, 13, 4, 6}, {3, 24, 8, 11}, {4, 0, 12, 11}, {0, 0, 12, 11}};
    for (const auto& e : fields) {
        int kind = -1, start = -1, stop = -1;
        f.GetPatInfo(e.index, text, kind, start, stop);
        EXPECT_EQ(kind, e.kind) << e.index;
        EXPECT_EQ(start, e.start) << e.index;
        EXPECT_EQ(stop, e.stop) << e.index;
    }
    const struct {
        int pos, pattern, next, prev, length, start, type;
    } positions[] = {
        {1, 1, 4, 1, 2, 1, 2},     {2, 1, 4, 1, 2, 1, 2},   {3, -1, 4, 1, 0, 3, 0}, {4, 2, 8, 1, 3, 4, 13},
        {6, 2, 8, 1, 3, 4, 13},    {7, -1, 8, 4, 0, 7, 0},  {8, 3, 8, 4, 4, 8, 24}, {11, 3, 8, 4, 4, 8, 24},
        {12, -1, 8, 8, 0, 12, 0},
    };
    for (const auto& p : positions) {
        SCOPED_TRACE(p.pos);
        EXPECT_EQ(f.GetPattern(p.pos, text), p.pattern);
        EXPECT_EQ(f.NextEditPos(p.pos, text), p.next);
        EXPECT_EQ(f.PrevEditPos(p.pos, text), p.prev);
        EXPECT_EQ(f.CurrentLength(p.pos, text), p.length);
        EXPECT_EQ(f.CurrentStart(p.pos, text), p.start);
        EXPECT_EQ(f.CurrentType(p.pos, text), p.type);
    }

    // Padded fields are found at their full width; a text typed without padding works as well.
    Custom(f, "D.MMMM.YY");
    const AnsiString padded = f.GetEditString(2001, 5, 1);
    ASSERT_EQ(padded, "1 .May      .01");
    int kind = 0, start = 0, stop = 0;
    f.GetPatInfo(1, padded, kind, start, stop);
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(stop, 2);
    f.GetPatInfo(2, padded, kind, start, stop);
    EXPECT_EQ(kind, 14);
    EXPECT_EQ(start, 4);
    EXPECT_EQ(stop, 12);
    f.GetPatInfo(3, padded, kind, start, stop);
    EXPECT_EQ(kind, 22);
    EXPECT_EQ(start, 14);
    EXPECT_EQ(stop, 15);
    EXPECT_EQ(f.CurrentStart(9, padded), 4);
    EXPECT_EQ(f.NextEditPos(5, padded), 14);
    f.GetPatInfo(2, "1.May.01", kind, start, stop);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(stop, 5);
    // An empty field holds its start, so a caret there edits it.
    f.GetPatInfo(2, "1..01", kind, start, stop);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(stop, 2);
    EXPECT_EQ(f.GetPattern(3, "1..01"), 2);
    EXPECT_EQ(f.CurrentLength(3, "1..01"), 0);
}

// The pattern in force comes from the locale; the texts agree with the system's own date formatting.
TEST(DateFormatLocale, TheLocalesPatternsGiveTheSystemsTexts)
{
    char shortPattern[80] = "", longPattern[80] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, shortPattern, sizeof shortPattern);
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLONGDATE, longPattern, sizeof longPattern);
    TZCLDateFormat f;
    EXPECT_EQ(f.Format(), dfShortSystem);
    EXPECT_EQ(f.GetFormatStr(), shortPattern);
    const SYSTEMTIME dates[] = {{2001, 3, 1, 5, 0, 0, 0, 0}, {1999, 12, 5, 31, 0, 0, 0, 0},
                                {2024, 2, 4, 29, 0, 0, 0, 0}, {2030, 9, 0, 1, 0, 0, 0, 0}};
    for (TZCLDateFormats format : {dfShortSystem, dfLongSystem}) {
        f.SetFormat(format);
        EXPECT_EQ(f.GetFormatStr(), format == dfShortSystem ? shortPattern : longPattern);
        for (const SYSTEMTIME& st : dates) {
            char expected[128] = "";
            GetDateFormatA(LOCALE_USER_DEFAULT, format == dfShortSystem ? DATE_SHORTDATE : DATE_LONGDATE, &st,
                           nullptr, expected, sizeof expected);
            const TDateTime date = EncodeDate(st.wYear, st.wMonth, st.wDay);
            EXPECT_EQ(f.DateToStr(date), expected);
            EXPECT_EQ(f.StrToDate(expected), date) << expected;
        }
    }
}

// The user's locale with date patterns that quote text (set through the system, so that its own formatting
// agrees); the locale's patterns and the framework's values come back afterwards.
class QuotedLocaleDates : public testing::Test {
protected:
    void SetUp() override
    {
        GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, shortPattern_, sizeof shortPattern_);
        GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLONGDATE, longPattern_, sizeof longPattern_);
    }
    void TearDown() override
    {
        SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, shortPattern_);
        SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLONGDATE, longPattern_);
        GetFormatSettings();
    }
    static bool UsePatterns(const char* shortPattern, const char* longPattern)
    {
        const bool set = SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, shortPattern) &&
                         SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLONGDATE, longPattern);
        GetFormatSettings();
        return set;
    }

private:
    char shortPattern_[80] = "";
    char longPattern_[80] = "";
};

TEST_F(QuotedLocaleDates, QuotedTextIsLiteralBothWays)
{
    struct Case {
        const char* shortPattern;
        const char* longPattern;
        // clang-format off
    } const cases[] = {
        {"d'.'MM'.'yyyy", "dddd, d' de 'MMMM' de 'yyyy"},
        {"'Day 'dd', month 'MM', year 'yyyy", "'Today is' dddd', the' d 'of' MMMM yyyy"},
        {"yyyy'-'MM'-'dd", "d. MMMM yyyy' (M/D/Y)'"},
        {"dd/MM/yyyy", "'mddy' d MMM yyyy"},
    };
    // clang-format on
    const SYSTEMTIME dates[] = {{2001, 3, 4, 1, 0, 0, 0, 0},
                                {1999, 12, 5, 31, 0, 0, 0, 0},
                                {2024, 2, 4, 29, 0, 0, 0, 0},
                                {2030, 9, 0, 1, 0, 0, 0, 0}};
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.shortPattern) + " | " + k.longPattern);
        ASSERT_TRUE(UsePatterns(k.shortPattern, k.longPattern));
        ASSERT_EQ(LongDateFormat, k.longPattern) << "the framework has the locale's pattern";
        TZCLDateFormat f;
        for (TZCLDateFormats format : {dfShortSystem, dfLongSystem}) {
            f.SetFormat(format);
            for (const SYSTEMTIME& st : dates) {
                char expected[128] = "";
                ASSERT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, format == dfShortSystem ? DATE_SHORTDATE : DATE_LONGDATE,
                                         &st, nullptr, expected, sizeof expected),
                          0);
                const TDateTime date = EncodeDate(st.wYear, st.wMonth, st.wDay);
                EXPECT_EQ(f.DateToStr(date), expected);
                EXPECT_EQ(f.StrToDate(expected), date) << expected;
                // The edit text too: its fields are found again past the quoted letters.
                const AnsiString edit = f.GetDTEditString(date);
                EXPECT_EQ(f.StrToDate(edit), date) << edit.c_str();
            }
        }
        // The same patterns as custom ones.
        f.SetFormat(dfCustom);
        f.SetFormatStr(k.longPattern);
        const TDateTime date = EncodeDate(2001, 3, 1);
        EXPECT_EQ(f.StrToDate(f.DateToStr(date)), date);
    }
}

TEST(DateFormatEvents, HandlersFireAroundRealChangesOnly)
{
    std::vector<std::string> log;
    struct Recorder {
        std::vector<std::string>* log;
        TZCLDateFormat* f;
        void Change(TObject* sender)
        {
            EXPECT_EQ(sender, f);
            log->push_back("change:" + f->FormatStr().str());
        }
        void Changed(TObject* sender)
        {
            EXPECT_EQ(sender, f);
            log->push_back("changed:" + f->FormatStr().str());
        }
    };
    TZCLDateFormat f;
    Recorder r{&log, &f};
    f.SetOnFormatChange(TNotifyEvent(&r, &Recorder::Change));
    f.SetOnFormatChanged(TNotifyEvent(&r, &Recorder::Changed));
    f.SetFormatStr("DD");  // not in force: told before, not after
    f.SetFormatStr("DD");
    f.SetFormat(dfCustom);
    f.SetFormat(dfCustom);
    f.SetFormatStr("MM");
    EXPECT_EQ(log, (std::vector<std::string>{"change:", "changed:DD", "change:DD", "changed:MM"}));

    TZCLDateFormat copy;
    copy.Assign(&f);
    EXPECT_EQ(copy.Format(), dfCustom);
    EXPECT_EQ(copy.FormatStr(), "MM");
    EXPECT_EQ(copy.YearDelta(), -1);
}

}  // namespace
