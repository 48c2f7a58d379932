// Money amounts as text and back, by templates and by the locale, and both option objects in a form stream.

#include "zcl/core/Zclcurrencysettings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <limits>
#include <string>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "zcl/core/Zcldateformat.h"

namespace {

Currency Raw(std::int64_t raw) { return Currency::FromRaw(raw); }

struct ToStrCase {
    std::int64_t raw;  // the amount times 10000
    std::uint8_t group, digits;
    char thousands;
    const char* text;
};

TEST(ZclCurrToStr, RoundedHalfAwayFromZeroAndGroupedFromTheFixedPointValue)
{
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    const ToStrCase cases[] = {
        {-12345000, 3, 2, '.', "-EUR 1.234,50"},
        {12345000, 3, 2, '.', "EUR 1.234,50"},
        {19940, 3, 2, '.', "EUR 1,99"},
        {19950, 3, 2, '.', "EUR 2,00"},
        {19990, 3, 2, '.', "EUR 2,00"},
        {-19950, 3, 2, '.', "-EUR 2,00"},
        {-40, 3, 2, '.', "EUR 0,00"},  // rounds to nothing: no minus
        {-50, 3, 2, '.', "-EUR 0,01"},
        {0, 3, 2, '.', "EUR 0,00"},
        {9999950, 3, 2, '.', "EUR 1.000,00"},
        {10000000000005678, 3, 2, '.', "EUR 1.000.000.000.000,57"},
        {10000000000005678, 3, 4, '.', "EUR 1.000.000.000.000,5678"},
        {-10000000000005678, 3, 3, '.', "-EUR 1.000.000.000.000,568"},
        {max, 3, 2, '.', "EUR 922.337.203.685.477,58"},
        {min, 3, 4, '.', "-EUR 922.337.203.685.477,5808"},
        {15000, 3, 6, '.', "EUR 1,500000"},
        {12345000, 3, 0, '.', "EUR 1.235"},
        {4000, 3, 0, '.', "EUR 0"},
        {-5000, 3, 0, '.', "-EUR 1"},
        {12345675000, 0, 2, '.', "EUR 1234567,50"},
        {12345670000, 2, 2, '.', "EUR 1.23.45.67,00"},
        {12345670000, 3, 2, '\0', "EUR 1234567,00"},
        {1230000, 3, 2, '.', "EUR 123,00"},
        {1234560000, 3, 2, ' ', "EUR 123 456,00"},
    };
    for (const ToStrCase& c : cases)
        EXPECT_EQ(ZCLCurrToStr(Raw(c.raw), "\xA4 1,1", "-\xA4 1,1", "EUR", c.group, c.digits, c.thousands, ','),
                  c.text)
            << c.raw << " " << int(c.group) << " " << int(c.digits);
    // Only the template's own marks are replaced: a symbol holding "1,1" stays as it is.
    EXPECT_EQ(ZCLCurrToStr(Raw(50000), "\xA4" "1,1", "", "1,1", 3, 2, '.', ','), "1,15,00");
    EXPECT_EQ(ZCLCurrToStr(Raw(-50000), "", "(1,1 \xA4)", "$", 3, 2, ',', '.'), "(5.00 $)");
}

// Settings of the user's own, independent of the locale.
void User(TZCLCurrencySettings& s, const char* symbol, char decimal, char thousands)
{
    s.SetSystemDefaults(cmUser);
    s.SetPositiveFormatStr("\xA4 1,1");
    s.SetNegativeFormatStr("-\xA4 1,1");
    s.SetSymbol(symbol);
    s.SetGroupSize(3);
    s.SetDigits(2);
    s.SetDecimalSeparator(decimal);
    s.SetThousandSeparator(thousands);
}

TEST(ZclCurrencySettings, TextToAmount)
{
    TZCLCurrencySettings s;
    User(s, "EUR", ',', '.');
    const struct {
        const char* text;
        std::int64_t raw;
    } cases[] = {
        {"12,50", 125000},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"-EUR 1.234,50", -12345000},
        {"EUR 1.000.000.000.000,57", 10000000000005700},
        {"1,2,3", 0},  // two decimal separators: no number
        {"12,345678", 123457},
        {"12,34565", 123456},  // ties to even at the fifth place
        {"12,34575", 123458},
        {"12,345650001", 123457},
        {"(EUR 5,00)", -50000},
        {"EUR 5,00-", -50000},
        {"EUR -5,00", -50000},
        {"99999999999999999999", 0},
        {"922337203685477,5807", std::numeric_limits<std::int64_t>::max()},
        {"922337203685477,5808", 0},
        {"7", 70000},
    };
    for (const auto& c : cases) EXPECT_EQ(s.toCur(c.text).Val, c.raw) << c.text;

    // A symbol that holds the decimal separator.
    TZCLCurrencySettings swiss;
    User(swiss, "Fr.", '.', '\'');
    EXPECT_EQ(swiss.toCur("Fr. 12.50").Val, 125000);
    EXPECT_EQ(swiss.toStr(Raw(-12345678900)), "-Fr. 1'234'567.89");
    EXPECT_EQ(swiss.toCur(swiss.toStr(Raw(-12345678900))).Val, -12345678900);
}

TEST(ZclCurrencySettings, EveryLocaleTemplateReadsBackItsAmount)
{
    const char* const positive[] = {"\xA4" "1,1", "1,1\xA4", "\xA4 1,1", "1,1 \xA4"};
    const char* const negative[] = {"(\xA4" "1,1)", "-\xA4" "1,1", "\xA4-1,1",   "\xA4" "1,1-", "(1,1\xA4)", "-1,1\xA4",
                                    "1,1-\xA4",     "1,1\xA4-",    "-1,1 \xA4",  "-\xA4 1,1",   "1,1 \xA4-", "\xA4 1,1-",
                                    "\xA4 -1,1",    "1,1- \xA4",   "(\xA4 1,1)", "(1,1 \xA4)"};
    const std::int64_t amounts[] = {0, 12345000, -12345000, -100, 10000000000002500, -10000000000002500};
    TZCLCurrencySettings s;
    User(s, "$", '.', ',');
    for (const char* p : positive) {
        for (const char* n : negative) {
            s.SetPositiveFormatStr(p);
            s.SetNegativeFormatStr(n);
            for (std::int64_t raw : amounts) {
                const AnsiString text = s.toStr(Raw(raw));
                EXPECT_EQ(s.toCur(text).Val, raw) << text.str();
            }
        }
    }
}

TEST(ZclCurrencySettings, TheLocalesValuesGiveTheSystemsTexts)
{
    TZCLCurrencySettings s;
    EXPECT_EQ(s.SystemDefaults(), cmSystem);
    auto locale = [](LCTYPE type) {
        char buffer[64] = "";
        GetLocaleInfoA(GetThreadLocale(), type, buffer, sizeof buffer);
        return std::string(buffer);
    };
    EXPECT_EQ(s.Symbol(), locale(LOCALE_SCURRENCY));
    EXPECT_EQ(int(s.Digits()), std::stoi(locale(LOCALE_ICURRDIGITS)));
    EXPECT_EQ(int(s.GroupSize()), std::stoi(locale(LOCALE_SMONGROUPING)));
    EXPECT_EQ(s.DecimalSeparator(), locale(LOCALE_SDECIMAL)[0]);
    EXPECT_EQ(s.ThousandSeparator(), locale(LOCALE_SMONTHOUSANDSEP)[0]);
    // Amounts below a million: Wine's own formatting puts no separator before the second group.
    const struct {
        const char* number;
        std::int64_t raw, readBack;
    } amounts[] = {{"1234.5", 12345000, 12345000},   {"-1234.5", -12345000, -12345000}, {"0", 0, 0},
                   {"100000.25", 1000002500, 1000002500}, {"-0.07", -700, -700},
                   {"-999999.99", -9999999900, -9999999900}, {"12.345", 123450, 123500}};
    for (const auto& a : amounts) {
        char expected[128] = "";
        ASSERT_GT(GetCurrencyFormatA(GetThreadLocale(), 0, a.number, nullptr, expected, sizeof expected), 0);
        EXPECT_EQ(s.toStr(Raw(a.raw)).str(), expected) << a.number;
        EXPECT_EQ(s.toCur(expected).Val, a.readBack) << expected;
    }
}

TEST(ZclCurrencySettings, ModesAssignAndChanges)
{
    int changes = 0;
    TZCLCurrencySettings s;
    s.SetOnChange(TNotifyEvent::From([&changes](TObject*) { ++changes; }));
    const AnsiString localeSymbol = s.Symbol();
    EXPECT_FALSE(s.IfNotDefault());
    s.SetSystemDefaults(cmUser);
    EXPECT_TRUE(s.IfNotDefault());
    s.SetSymbol("XYZ");
    s.SetSymbol("XYZ");
    s.SetDigits(3);
    EXPECT_EQ(changes, 3);

    TZCLCurrencySettings copy;
    copy.Assign(&s);
    EXPECT_EQ(copy.SystemDefaults(), cmUser);
    EXPECT_EQ(copy.Symbol(), "XYZ");
    EXPECT_EQ(copy.Digits(), 3);
    EXPECT_EQ(copy.toStr(Raw(12345)), s.toStr(Raw(12345)));

    s.SetSystemDefaults(cmSystem);  // the locale's values again
    EXPECT_EQ(s.Symbol(), localeSymbol);
    copy.Assign(&s);
    EXPECT_EQ(copy.SystemDefaults(), cmSystem);
    EXPECT_EQ(copy.Symbol(), localeSymbol);
}

// ---------------------------------------------------------------------------------------------------------------
// In a form stream

class FormatHolder : public TComponent {
public:
    explicit FormatHolder(TComponent* owner) : TComponent(owner) {}
    TZCLCurrencySettings* CurrencySettings() { return &currency_; }
    TZCLDateFormat* DateSettings() { return &date_; }

private:
    TZCLCurrencySettings currency_;
    TZCLDateFormat date_;
};

const bool holderPublished = [] {
    PublishedProperties<FormatHolder>()
        .Object("CurrencySettings", &FormatHolder::CurrencySettings, nullptr)
        .Object("DateSettings", &FormatHolder::DateSettings, nullptr);
    return true;
}();

TEST(ZclFormatsStream, TheUsersValuesAreStoredAndTheLocalesReadAgain)
{
    FormatHolder out(nullptr);
    User(*out.CurrencySettings(), "QQQ", ';', '_');
    out.CurrencySettings()->SetNegativeFormatStr("(1,1 \xA4)");
    out.DateSettings()->SetFormat(dfCustom);
    out.DateSettings()->SetFormatStr("YYYY-MM-DD");
    out.DateSettings()->SetYearDelta(30);
    TMemoryStream stream;
    stream.WriteComponent(&out);
    stream.SetPosition(0);
    FormatHolder in(nullptr);
    stream.ReadComponent(&in);
    TZCLCurrencySettings* c = in.CurrencySettings();
    EXPECT_EQ(c->SystemDefaults(), cmUser);
    EXPECT_EQ(c->Symbol(), "QQQ");
    EXPECT_EQ(c->DecimalSeparator(), ';');
    EXPECT_EQ(c->ThousandSeparator(), '_');
    EXPECT_EQ(c->NegativeFormatStr(), "(1,1 \xA4)");
    EXPECT_EQ(c->toStr(Raw(-12345000)), "(1_234;50 QQQ)");
    EXPECT_EQ(in.DateSettings()->Format(), dfCustom);
    EXPECT_EQ(in.DateSettings()->FormatStr(), "YYYY-MM-DD");
    EXPECT_EQ(in.DateSettings()->YearDelta(), 30);

    // Locale values are not stored: a reader takes its own locale's.
    FormatHolder system(nullptr);
    system.CurrencySettings()->SetSymbol("ZZZ");
    TMemoryStream stream2;
    stream2.WriteComponent(&system);
    const std::string bytes(static_cast<const char*>(stream2.Memory()), std::size_t(stream2.Size()));
    EXPECT_EQ(bytes.find("ZZZ"), std::string::npos);
    stream2.SetPosition(0);
    FormatHolder back(nullptr);
    stream2.ReadComponent(&back);
    EXPECT_EQ(back.CurrencySettings()->SystemDefaults(), cmSystem);
    EXPECT_EQ(back.CurrencySettings()->Symbol(), TZCLCurrencySettings().Symbol());
    EXPECT_EQ(back.DateSettings()->Format(), dfShortSystem);
}

}  // namespace
