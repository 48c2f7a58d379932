#pragma once
// The typed edit: integers and words in any base from 2 to 36, floats, money, dates, times, and a mask of
// one class per position. It filters what is typed and pasted, keeps the text in its type's form, and reads
// the value back.

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/runtime/Closure.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclcurrencysettings.h"
#include "zcl/core/Zcldateformat.h"
#include "zcl/edits/Zclcustomedit.h"

class EZCLWrongDataType : public Exception {
public:
    using Exception::Exception;
};

using TZCLNumberBase = std::uint8_t;
enum TZCLMaskType : std::uint8_t {
    meInteger, meWord, meFloat, meFloatFixed, meFloatNumber, meCurrency, meDate, meTime, meMask, meNone
};
// Sender, whether the character is accepted, the character and its position in the mask (1-based).
using TZCLOnUserRule = Closure<void(TObject* Sender, bool& Ok, char Char, int Position)>;

// Base raised to a power of 0 or more; EZCLWrongDataType when it passes 64 bits.
long long ZCLIntPower(long long Base, int Exponent);
// The text's digits in Base, a leading "-" allowed; an empty text is 0. EZCLWrongDataType for a digit
// outside the base and for a value beyond 64 bits.
long long ZCLGetDecimalValue(const AnsiString& S, TZCLNumberBase Base);
// As ZCLGetDecimalValue with a fraction after DecimalSeparator.
long double ZCLGetDecimalFloatValue(const AnsiString& S, TZCLNumberBase Base);
// The value in Base with the digits "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", "-" before a negative one.
AnsiString ZCLGetBaseString(long long Value, TZCLNumberBase Base);
// S without the thousand separator.
AnsiString ZCLClearOffTS(const AnsiString& S, char ThousandSeparator);
// A mask in the framework's edit-mask language, in this edit's language.
AnsiString convertVCLMask2ZCLMask(const AnsiString& S);

class TZCLCustomMaskEdit : public TZCLCustomEdit {
public:
    explicit TZCLCustomMaskEdit(TComponent* AOwner);
    ~TZCLCustomMaskEdit() override;

    const AnsiString& Mask() const { return mask_; }
    void SetMask(const AnsiString& Value);
    TZCLMaskType MaskType() const { return maskType_; }
    void SetMaskType(TZCLMaskType Value);
    TZCLNumberBase NumberBase() const { return numberBase_; }
    void SetNumberBase(TZCLNumberBase Value);
    char BlankChar() const { return blankChar_; }
    void SetBlankChar(char Value);
    int Decimals() const { return decimals_; }
    void SetDecimals(int Value);
    TZCLDateFormat* DateSettings() const { return dateSettings_.get(); }
    void SetDateSettings(TZCLDateFormat* Value);
    TZCLCurrencySettings* CurrencySettings() const { return currencySettings_.get(); }
    void SetCurrencySettings(TZCLCurrencySettings* Value);
    TZCLOnUserRule OnUserRule() const { return onUserRule_; }
    void SetOnUserRule(TZCLOnUserRule Value) { onUserRule_ = Value; }
    // The separators taken from the system at creation.
    char ThousandSep() const { return thousandSep_; }
    char DecimalSep() const { return decimalSep_; }

    // The text with BlankChar at each input position of the mask.
    AnsiString BlankText() const;
    // Whether Value fits the mask: its length and every position (blank or accepted at an input position).
    bool FitsMask(const AnsiString& Value) const;
    // The first required position that is not filled as its class wants; 0 when there is none.
    int FirstUnfilledRequired() const;

    int AsInteger() const;
    unsigned AsCardinal() const;
    long long AsInt64() const;
    long double AsFloat() const;
    Currency AsCurrency() const;
    TDateTime AsDate() const;
    TDateTime AsTime() const;
    AnsiString AsString() const { return GetText(); }

    void Loaded() override;
    void DefineProperties(TFiler* Filer) override;
    void Dispatch(TMessage& Message) override;

protected:
    struct MaskPos {
        char cls = 0;       // the class character, 0 for a literal
        char literal = 0;
        bool required = false;
    };
    const std::vector<MaskPos>& Positions() const { return positions_; }
    // Whether the class at mask position Pos (1-based) takes Ch.
    bool Accepts(int Pos, char Ch) const;
    bool IsDigitOfBase(char Ch) const;
    // The value of the text for the "DateTime" stream property, and the text for a value.
    long double StreamValue() const;
    void SetStreamValue(long double Value);
    // The number formats of the float types: 15 significant digits and Decimals places.
    AnsiString FormatFloatValue(long double Value) const;
    // Sets the text from code, keeping the cursor where it still lies within the text.
    void PutText(const AnsiString& Value);

    void GetCommandKey(WORD& Key, TShiftState Shift) override;
    void WMChar(TMessage& Message) override;
    void HandleInsertText(int At, AnsiString& Value) override;
    void HandleReplaceText(int At, const AnsiString& Value) override;
    void ChangedText(int At) override;
    void CursorPosChanged() override;
    void CreateSpecialText(AnsiString& Value) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;

private:
    void ParseMask();
    void ApplyMaskType();
    void DateSettingsChanged(TObject* Sender);
    bool InsertAllowed(int At, const AnsiString& Value) const;
    void TypeMask(char Ch);
    void TypeDate(char Ch);
    void BlankSpan(int Start, int Length);
    void SelectDateField(int Pos);
    // Day, month and year of a text that holds a full, real date.
    bool FullDate(const AnsiString& Text, std::uint16_t& Y, std::uint16_t& M, std::uint16_t& D) const;
    void StepDate(int Days);
    void ReadDateTime(TReader* Reader);
    void WriteDateTime(TWriter* Writer);
    void Refocus(int Pos);
    long long ReadInteger(long long Low, long long High, const char* Message, bool Word) const;
    // Whether a text that came with the form can stay as the type's text.
    bool HoldsLoadedText(const AnsiString& Text) const;

    AnsiString mask_;
    std::vector<MaskPos> positions_;
    TZCLNumberBase numberBase_ = 10;
    char thousandSep_;
    char decimalSep_;
    char blankChar_ = '_';
    int decimals_ = 1;
    std::unique_ptr<TZCLDateFormat> dateSettings_;
    std::unique_ptr<TZCLCurrencySettings> currencySettings_;
    int dateNumber_ = 0;  // the number typed into the current date field
    int dateCount_ = 0;   // its keystrokes
    int dateField_ = -1;  // the field they went to
    TZCLMaskType maskType_ = meMask;
    TZCLOnUserRule onUserRule_;
    AnsiString previousText_;  // the text before the last replacement
    bool internal_ = false;    // the edit changes its own text
    bool selectingField_ = false;
    bool streamed_ = false;  // a "DateTime" value came with the form
    long double streamedValue_ = 0;
};

class TZCLMaskEdit : public TZCLCustomMaskEdit {
public:
    using TZCLCustomMaskEdit::TZCLCustomMaskEdit;
};
