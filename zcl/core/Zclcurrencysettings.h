#pragma once
// Money amounts as text, by the Windows locale or by the user's templates. In a template the byte 0xA4 stands
// for the currency symbol and "1,1" for the number; every other character is copied.

#include <cstdint>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclobject.h"

enum TZCLCurrencyMode : std::uint8_t { cmSystem, cmUser };

constexpr char ZCLCurrencySymbolMark = '\xA4';

// Value rounded half away from zero to Digits places, grouped left of the decimal separator (GroupSize 0 or a
// zero separator: no groups), put into the positive template, or the negative one for an amount that is
// negative after rounding.
AnsiString ZCLCurrToStr(Currency Value, const AnsiString& PositiveTemplate, const AnsiString& NegativeTemplate,
                        const AnsiString& Symbol, std::uint8_t GroupSize, std::uint8_t Digits,
                        char ThousandsSeparator, char DecimalSeparator);

class TZCLCurrencySettings : public TZCLObject {
public:
    // Group size 3, then the locale's values.
    TZCLCurrencySettings();
    // Copies the mode, and for cmUser every field.
    void Assign(TPersistent* Source) override;

    // Reads every field from the thread's locale.
    void LoadDefaults();

    // Switching to cmSystem reloads the locale's values.
    TZCLCurrencyMode SystemDefaults() const { return systemDefaults_; }
    void SetSystemDefaults(TZCLCurrencyMode Value);
    const AnsiString& PositiveFormatStr() const { return positiveFormatStr_; }
    void SetPositiveFormatStr(const AnsiString& Value);
    const AnsiString& NegativeFormatStr() const { return negativeFormatStr_; }
    void SetNegativeFormatStr(const AnsiString& Value);
    const AnsiString& Symbol() const { return symbol_; }
    void SetSymbol(const AnsiString& Value);
    std::uint8_t GroupSize() const { return groupSize_; }
    void SetGroupSize(std::uint8_t Value);
    std::uint8_t Digits() const { return digits_; }
    void SetDigits(std::uint8_t Value);
    char ThousandSeparator() const { return thousandSeparator_; }
    void SetThousandSeparator(char Value);
    char DecimalSeparator() const { return decimalSeparator_; }
    void SetDecimalSeparator(char Value);

    // The fields are the user's own (cmUser), so forms store them; the locale's are read again instead.
    bool IfNotDefault() const { return systemDefaults_ == cmUser; }

    AnsiString toStr(Currency Value) const;
    // The digits of S before and after its decimal separator, negative when S holds a "-" or an opening
    // parenthesis; the symbol and every other character are passed over. A text that does not convert gives 0.
    Currency toCur(const AnsiString& S) const;

private:
    template <typename T>
    void Store(T& field, const T& value);

    TZCLCurrencyMode systemDefaults_ = cmSystem;
    AnsiString positiveFormatStr_;
    AnsiString negativeFormatStr_;
    AnsiString symbol_;
    std::uint8_t groupSize_ = 3;
    std::uint8_t digits_ = 2;
    char thousandSeparator_ = ',';
    char decimalSeparator_ = '.';
};
