#pragma once
// Dates as text by a pattern of D, M and Y runs, and back; the fixed-width text of a date edit and the
// positions of its fields.
//
// Runs: D day, DD day with a leading 0, DDD and DDDD short and long day name; M, MM, MMM, MMMM the month
// likewise; YY the year's last two digits, Y and YYYY the full year. Letters may be of either case; every
// other character of the pattern is copied.

#include <cstdint>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclobject.h"

enum TZCLDateFormats : std::uint8_t { dfShortSystem, dfLongSystem, dfCustom };

class TZCLDateFormat : public TZCLObject {
public:
    TZCLDateFormat() = default;
    void Assign(TPersistent* Source) override;

    // The custom pattern; "/" stands for the framework's date separator.
    const AnsiString& FormatStr() const { return formatStr_; }
    // A change fires OnFormatChange before and, for dfCustom, OnFormatChanged after it.
    void SetFormatStr(const AnsiString& Value);
    TZCLDateFormats Format() const { return format_; }
    // A change fires OnFormatChanged.
    void SetFormat(TZCLDateFormats Value);
    // Two-digit years up to this number belong to the current century, later ones to the previous one; 0 (and
    // -1) puts every two-digit year in the current century.
    std::int8_t YearDelta() const { return yearDelta_; }
    void SetYearDelta(std::int8_t Value) { yearDelta_ = Value; }
    int GetYearDelta() const { return yearDelta_ < 0 ? 0 : yearDelta_; }

    TNotifyEvent OnFormatChanged() const { return onFormatChanged_; }
    void SetOnFormatChanged(TNotifyEvent Value) { onFormatChanged_ = Value; }
    TNotifyEvent OnFormatChange() const { return onFormatChange_; }
    void SetOnFormatChange(TNotifyEvent Value) { onFormatChange_ = Value; }

    // The pattern in force: the framework's short or long date format, or FormatStr.
    AnsiString GetFormatStr() const;
    // The local clock's year.
    static int CurrentYear();

    AnsiString DateToStr(TDateTime Date) const;
    // Reads S by the pattern: day and month numbers, month and day names (short or long, any case), years;
    // spaces and separators are passed over. A two-digit year is completed by the year window. A field the
    // text does not hold reads as 0.
    void StrToYMD(const AnsiString& S, std::uint16_t& Year, std::uint16_t& Month, std::uint16_t& Day) const;
    // Raises EConvertError "Invalid date format!" for a text that is no date.
    TDateTime StrToDate(const AnsiString& S) const;

    // The text of a date edit: every field at a fixed width, padded with spaces on the right, so that the field
    // helpers find the fields again. A day name needs a valid date (EConvertError otherwise).
    AnsiString GetEditString(std::uint16_t Year, std::uint16_t Month, std::uint16_t Day) const;
    AnsiString GetDTEditString(TDateTime Date) const;

    // Field helpers for an edit text. Fields are the D, M and Y runs of the pattern, numbered from 1; positions
    // are 1-based. Kind: the run length for a day field, 10 + it for a month field, 20 + it for a year field,
    // 0 for no field.
    // Field Index of Text: Start and Stop are the positions of its first and last character (Stop = Start - 1
    // for an empty field). Kind 0 when Text or the pattern ends first.
    void GetPatInfo(int Index, const AnsiString& Text, int& Kind, int& Start, int& Stop) const;
    // The field that holds Pos; -1 between fields.
    int GetPattern(int Pos, const AnsiString& Text) const;
    // The start of the field after the one at Pos (the current one when there is none).
    int NextEditPos(int Pos, const AnsiString& Text) const;
    // The start of the field before the one at Pos (1 at the first).
    int PrevEditPos(int Pos, const AnsiString& Text) const;
    // Of the field at Pos; between fields: length 0, start Pos, kind 0.
    int CurrentLength(int Pos, const AnsiString& Text) const;
    int CurrentStart(int Pos, const AnsiString& Text) const;
    int CurrentType(int Pos, const AnsiString& Text) const;

    // The length of the longest of the framework's month or day names.
    static int GetLongMonthExtend();
    static int GetShortMonthExtend();
    static int GetLongDayExtend();
    static int GetShortDayExtend();

private:
    struct Field {
        int Kind = 0;
        int Start = 0;
        int Stop = -1;
    };
    // Every field of Text, in pattern order.
    std::vector<Field> Fields(const AnsiString& Text) const;

    AnsiString formatStr_;
    TZCLDateFormats format_ = dfShortSystem;
    std::int8_t yearDelta_ = -1;
    TNotifyEvent onFormatChanged_;
    TNotifyEvent onFormatChange_;
};
