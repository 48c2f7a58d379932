#include "zcl/core/Zclcurrencysettings.h"

#include <windows.h>

#include <cstdint>
#include <limits>
#include <string>

#include "framework/runtime/Filer.h"

namespace {

const bool currencyPublished = [] {
    using C = TZCLCurrencySettings;
    PublishedProperties<C>()
        .Enumeration("SystemDefaults", &C::SystemDefaults, &C::SetSystemDefaults, {"cmSystem", "cmUser"}, cmSystem)
        .String("PositiveFormatStr", &C::PositiveFormatStr, &C::SetPositiveFormatStr)
        .Stored(&C::IfNotDefault)
        .String("NegativeFormatStr", &C::NegativeFormatStr, &C::SetNegativeFormatStr)
        .Stored(&C::IfNotDefault)
        .String("Symbol", &C::Symbol, &C::SetSymbol)
        .Stored(&C::IfNotDefault)
        .Integer("GroupSize", &C::GroupSize, &C::SetGroupSize)
        .Stored(&C::IfNotDefault)
        .Integer("Digits", &C::Digits, &C::SetDigits)
        .Stored(&C::IfNotDefault)
        .Char("ThousandSeparator", &C::ThousandSeparator, &C::SetThousandSeparator)
        .Stored(&C::IfNotDefault)
        .Char("DecimalSeparator", &C::DecimalSeparator, &C::SetDecimalSeparator)
        .Stored(&C::IfNotDefault);
    return true;
}();

// By the locale's positive and negative currency modes.
const char* const PositiveTemplates[4] = {"\xA4" "1,1", "1,1\xA4", "\xA4 1,1", "1,1 \xA4"};
const char* const NegativeTemplates[16] = {
    "(\xA4" "1,1)", "-\xA4" "1,1", "\xA4-1,1",   "\xA4" "1,1-", "(1,1\xA4)", "-1,1\xA4",
    "1,1-\xA4",     "1,1\xA4-",    "-1,1 \xA4",  "-\xA4 1,1",   "1,1 \xA4-", "\xA4 1,1-",
    "\xA4 -1,1",    "1,1- \xA4",   "(\xA4 1,1)", "(1,1 \xA4)"};

AnsiString LocaleText(LCTYPE type)
{
    char buffer[256] = "";
    const int n = GetLocaleInfoA(GetThreadLocale(), type, buffer, sizeof buffer);
    return n > 1 ? AnsiString(buffer, n - 1) : AnsiString();
}

int LocaleNumber(const AnsiString& text, int def)
{
    int v = 0;
    bool any = false;
    for (char c : text.str()) {
        if (c < '0' || c > '9') break;
        v = v * 10 + (c - '0');
        any = true;
    }
    return any ? v : def;
}

std::uint64_t Power10(int n)
{
    std::uint64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

}  // namespace

AnsiString ZCLCurrToStr(Currency Value, const AnsiString& PositiveTemplate, const AnsiString& NegativeTemplate,
                        const AnsiString& Symbol, std::uint8_t GroupSize, std::uint8_t Digits,
                        char ThousandsSeparator, char DecimalSeparator)
{
    // From the fixed-point value itself: a float would keep only 15 significant digits.
    const bool negative = Value.Val < 0;
    std::uint64_t magnitude = negative ? 0 - std::uint64_t(Value.Val) : std::uint64_t(Value.Val);
    std::string whole, decimals;
    if (Digits < 4) {
        const std::uint64_t unit = Power10(4 - Digits);
        magnitude = magnitude / unit + (magnitude % unit >= unit / 2 ? 1 : 0);
        const std::uint64_t scale = Power10(Digits);
        whole = std::to_string(magnitude / scale);
        if (Digits > 0) {
            decimals = std::to_string(magnitude % scale);
            decimals.insert(0, Digits - decimals.size(), '0');
        }
    } else {
        whole = std::to_string(magnitude / 10000);
        decimals = std::to_string(magnitude % 10000);
        decimals.insert(0, 4 - decimals.size(), '0');
        decimals.append(Digits - 4, '0');
    }
    std::string number;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        const std::size_t left = whole.size() - i;
        if (i > 0 && GroupSize > 0 && ThousandsSeparator && left % GroupSize == 0) number += ThousandsSeparator;
        number += whole[i];
    }
    if (Digits > 0) number += DecimalSeparator + decimals;

    const std::string& t = (negative && magnitude != 0 ? NegativeTemplate : PositiveTemplate).str();
    std::string out;
    for (std::size_t i = 0; i < t.size();) {
        if (t.compare(i, 3, "1,1") == 0) {
            out += number;
            i += 3;
        } else if (t[i] == ZCLCurrencySymbolMark) {
            out += Symbol.str();
            ++i;
        } else {
            out += t[i++];
        }
    }
    return AnsiString(std::move(out));
}

TZCLCurrencySettings::TZCLCurrencySettings() { LoadDefaults(); }

void TZCLCurrencySettings::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TZCLCurrencySettings*>(Source);
    if (!other) {
        TZCLObject::Assign(Source);
        return;
    }
    BeginUpdate();
    SetSystemDefaults(other->systemDefaults_);
    if (other->systemDefaults_ == cmUser) {
        positiveFormatStr_ = other->positiveFormatStr_;
        negativeFormatStr_ = other->negativeFormatStr_;
        symbol_ = other->symbol_;
        groupSize_ = other->groupSize_;
        digits_ = other->digits_;
        thousandSeparator_ = other->thousandSeparator_;
        decimalSeparator_ = other->decimalSeparator_;
    }
    EndUpdate(true);
}

void TZCLCurrencySettings::LoadDefaults()
{
    symbol_ = LocaleText(LOCALE_SCURRENCY);
    const int negativeMode = LocaleNumber(LocaleText(LOCALE_INEGCURR), 0);
    const int positiveMode = LocaleNumber(LocaleText(LOCALE_ICURRENCY), 0);
    negativeFormatStr_ = NegativeTemplates[negativeMode >= 0 && negativeMode < 16 ? negativeMode : 0];
    positiveFormatStr_ = PositiveTemplates[positiveMode >= 0 && positiveMode < 4 ? positiveMode : 0];
    // "3;0": the number before the first ";".
    groupSize_ = std::uint8_t(LocaleNumber(LocaleText(LOCALE_SMONGROUPING), groupSize_));
    digits_ = std::uint8_t(LocaleNumber(LocaleText(LOCALE_ICURRDIGITS), digits_));
    const AnsiString decimal = LocaleText(LOCALE_SDECIMAL);
    const AnsiString thousands = LocaleText(LOCALE_SMONTHOUSANDSEP);
    decimalSeparator_ = decimal.IsEmpty() ? '.' : decimal[1];
    thousandSeparator_ = thousands.IsEmpty() ? '\0' : thousands[1];
    Change();
}

template <typename T>
void TZCLCurrencySettings::Store(T& field, const T& value)
{
    if (field == value) return;
    field = value;
    Change();
}

void TZCLCurrencySettings::SetSystemDefaults(TZCLCurrencyMode Value)
{
    if (Value == systemDefaults_) return;
    systemDefaults_ = Value;
    if (Value == cmSystem) LoadDefaults();
    else Change();
}

void TZCLCurrencySettings::SetPositiveFormatStr(const AnsiString& Value) { Store(positiveFormatStr_, Value); }
void TZCLCurrencySettings::SetNegativeFormatStr(const AnsiString& Value) { Store(negativeFormatStr_, Value); }
void TZCLCurrencySettings::SetSymbol(const AnsiString& Value) { Store(symbol_, Value); }
void TZCLCurrencySettings::SetGroupSize(std::uint8_t Value) { Store(groupSize_, Value); }
void TZCLCurrencySettings::SetDigits(std::uint8_t Value) { Store(digits_, Value); }
void TZCLCurrencySettings::SetThousandSeparator(char Value) { Store(thousandSeparator_, Value); }
void TZCLCurrencySettings::SetDecimalSeparator(char Value) { Store(decimalSeparator_, Value); }

AnsiString TZCLCurrencySettings::toStr(Currency Value) const
{
    return ZCLCurrToStr(Value, positiveFormatStr_, negativeFormatStr_, symbol_, groupSize_, digits_,
                        thousandSeparator_, decimalSeparator_);
}

Currency TZCLCurrencySettings::toCur(const AnsiString& S) const
{
    std::string s = S.str();
    // The symbol may hold digits or the separator ("Fr."), so it goes first.
    if (!symbol_.IsEmpty())
        for (std::size_t at; (at = s.find(symbol_.str())) != std::string::npos;) s.erase(at, symbol_.Length());
    bool negative = false, separator = false, any = false;
    std::uint64_t whole = 0;
    std::string fraction;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            any = true;
            if (separator) {
                fraction += c;
            } else {
                if (whole > (std::numeric_limits<std::uint64_t>::max() - 9) / 10) return Currency();
                whole = whole * 10 + std::uint64_t(c - '0');
            }
        } else if (c == decimalSeparator_) {
            if (separator) return Currency();  // two separators: no number
            separator = true;
        } else if (c == '-' || c == '(') {
            negative = true;
        }
    }
    if (!any) return Currency();
    // Four places kept, the rest rounded as the framework rounds: half to even.
    std::uint64_t places = 0;
    for (std::size_t i = 0; i < 4; ++i) places = places * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    if (fraction.size() > 4) {
        const int next = fraction[4] - '0';
        const bool beyond = fraction.find_first_not_of('0', 5) != std::string::npos;
        if (next > 5 || (next == 5 && (beyond || places % 2 == 1))) ++places;
    }
    constexpr std::uint64_t limit = std::uint64_t(std::numeric_limits<std::int64_t>::max());
    if (whole > (limit - places) / 10000) return Currency();  // beyond the fixed-point range
    const std::int64_t raw = std::int64_t(whole * 10000 + places);
    return Currency::FromRaw(negative ? -raw : raw);
}
