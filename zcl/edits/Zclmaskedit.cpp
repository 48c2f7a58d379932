#include "zcl/edits/Zclmaskedit.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "zcl/buttons/Zclspecialbutton.h"
#include "zcl/core/Zclclass.h"

namespace {

const bool maskEditPublished = [] {
    using M = TZCLCustomMaskEdit;
    // The mask and its type before the text, so that the text is read as the type holds it.
    PublishedProperties<M>()
        .Char("BlankChar", &M::BlankChar, &M::SetBlankChar, '_')
        .Object("CurrencySettings", &M::CurrencySettings, &M::SetCurrencySettings)
        .Object("DateSettings", &M::DateSettings, &M::SetDateSettings)
        .Integer("Decimals", &M::Decimals, &M::SetDecimals, 1)
        .String("Mask", &M::Mask, &M::SetMask)
        .Integer("NumberBase", &M::NumberBase, &M::SetNumberBase, 10)
        .Event("OnUserRule", &M::OnUserRule, &M::SetOnUserRule);
    using E = TZCLMaskEdit;
    PublishedProperties<E>()
        .Enumeration("MaskType", &E::MaskType, &E::SetMaskType,
                     {"meInteger", "meWord", "meFloat", "meFloatFixed", "meFloatNumber", "meCurrency", "meDate",
                      "meTime", "meMask", "meNone"},
                     meMask)
        .Enumeration("Alignment", &E::Alignment, &E::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"},
                     taLeftJustify)
        .Object("CustomButtons", &E::CustomButtons, &E::SetCustomButtons)
        .Enumeration("CustomButtonStyle", &E::CustomButtonStyle, &E::SetCustomButtonStyle,
                     {"ubsAutoDetect", "ubsWin31", "ubsWin40", "ubsVesto", "ubsVestoFlat", "ubsFlat",
                      "ubsFlatUnColored", "ubsNavigator", "ubsExplorer", "ubsExplorerColored", "ubsIntegrated"},
                     ubsIntegrated)
        .Integer("CustomButtonWidth", &E::CustomButtonWidth, &E::SetCustomButtonWidth, 16)
        .Boolean("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
        .String("Text", &E::Text, [](E* e, const AnsiString& v) { e->SetText(v); })
        .Event("OnBtnClick", &E::OnBtnClick, &E::SetOnBtnClick);
    return true;
}();

}  // namespace

namespace {

const char Digits36[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
// Posted to a mask edit left with a required position unfilled: it takes the focus back once it has settled.
const UINT CM_ZCLMASKREFOCUS = RegisterWindowMessageA("ZCLMaskEditRefocus");
// The edit taking the focus back: the edit it takes it from does not ask for it again.
TZCLCustomMaskEdit* refocusing = nullptr;

int DigitValue(char Ch)
{
    const char c = char(std::toupper(static_cast<unsigned char>(Ch)));
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

bool IsDigit(char Ch) { return Ch >= '0' && Ch <= '9'; }

int DaysIn(int Year, int Month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Month < 1 || Month > 12) return 0;
    return Month == 2 && IsLeapYear(Year) ? 29 : days[Month - 1];
}

// Sets a flag for a scope and gives back the value it had, so that the edit's own nested changes stay its own.
class OwnChange {
public:
    explicit OwnChange(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    OwnChange(const OwnChange&) = delete;
    OwnChange& operator=(const OwnChange&) = delete;
    ~OwnChange() { flag_ = old_; }

private:
    bool& flag_;
    bool old_;
};

// Whether the system's time form writes Ch, as it writes it: the day half of a 12-hour form and its space
// too, so that what a time edit writes can be typed back.
bool WrittenInTimes(char Ch)
{
    for (const AnsiString& t : {TimeToStr(EncodeTime(1, 0, 0, 0)), TimeToStr(EncodeTime(13, 0, 0, 0))})
        if (t.Pos(AnsiString(Ch))) return true;
    return false;
}

bool IsFloatType(TZCLMaskType T) { return T == meFloat || T == meFloatFixed || T == meFloatNumber; }

}  // namespace

// Free functions --------------------------------------------------------------------------------------------------

long long ZCLIntPower(long long Base, int Exponent)
{
    long long result = 1;
    for (int i = 0; i < Exponent; ++i)
        if (__builtin_mul_overflow(result, Base, &result)) throw EZCLWrongDataType("Number out of range");
    return result;
}

long long ZCLGetDecimalValue(const AnsiString& S, TZCLNumberBase Base)
{
    if (Base < 2 || Base > 36) Base = 10;
    int i = 1;
    const bool negative = S.Length() > 0 && S[1] == '-';
    if (negative) ++i;
    long long value = 0;
    for (; i <= S.Length(); ++i) {
        const int d = DigitValue(S[i]);
        if (d >= Base) throw EZCLWrongDataType("Invalid number");
        // Built negative, so that the lowest value fits too.
        if (__builtin_mul_overflow(value, (long long)Base, &value) || __builtin_sub_overflow(value, d, &value))
            throw EZCLWrongDataType("Number out of range");
    }
    if (negative) return value;
    if (value == LLONG_MIN) throw EZCLWrongDataType("Number out of range");
    return -value;
}

long double ZCLGetDecimalFloatValue(const AnsiString& S, TZCLNumberBase Base)
{
    if (Base < 2 || Base > 36) Base = 10;
    const int sep = S.Pos(AnsiString(DecimalSeparator));
    const AnsiString whole = sep ? S.SubString(1, sep - 1) : S;
    const bool negative = whole.Length() > 0 && whole[1] == '-';
    long double value = 0;
    for (int i = negative ? 2 : 1; i <= whole.Length(); ++i) {
        const int d = DigitValue(whole[i]);
        if (d >= Base) throw EZCLWrongDataType("Invalid number");
        value = value * Base + d;
    }
    if (sep) {
        long double scale = 1;
        for (int i = sep + 1; i <= S.Length(); ++i) {
            const int d = DigitValue(S[i]);
            if (d >= Base) throw EZCLWrongDataType("Invalid number");
            scale /= Base;
            value += d * scale;
        }
    }
    return negative ? -value : value;
}

AnsiString ZCLGetBaseString(long long Value, TZCLNumberBase Base)
{
    if (Base < 2 || Base > 36) Base = 10;
    if (Value == 0) return "0";
    const bool negative = Value < 0;
    unsigned long long v = negative ? 0ULL - (unsigned long long)Value : (unsigned long long)Value;
    std::string s;
    while (v) {
        s.insert(s.begin(), Digits36[v % Base]);
        v /= Base;
    }
    if (negative) s.insert(s.begin(), '-');
    return AnsiString(s.c_str());
}

AnsiString ZCLClearOffTS(const AnsiString& S, char ThousandSeparator)
{
    AnsiString out;
    for (int i = 1; i <= S.Length(); ++i)
        if (S[i] != ThousandSeparator) out += S[i];
    return out;
}

AnsiString convertVCLMask2ZCLMask(const AnsiString& S)
{
    AnsiString out;
    int caseMode = 0;  // 1 upper, -1 lower
    for (int i = 1; i <= S.Length(); ++i) {
        const char c = S[i];
        switch (c) {
        case ';': return out;
        case '#': out += 'v'; break;
        case '0': out += '0'; break;
        case '9': out += '8'; break;
        case 'A':
        case 'a': out += 'c'; break;
        case 'C':
        case 'c': out += 'b'; break;
        case 'L':
        case 'l': out += caseMode > 0 ? 'A' : caseMode < 0 ? 'a' : 'b'; break;
        case '>':
            if (i < S.Length() && S[i + 1] == '<') {
                caseMode = 0;
                ++i;
            } else {
                caseMode = 1;
            }
            break;
        case '<':
            if (i < S.Length() && S[i + 1] == '>') {
                caseMode = 0;
                ++i;
            } else {
                caseMode = -1;
            }
            break;
        case '\\':
            if (i < S.Length()) {
                out += '\\';
                out += S[++i];
            }
            break;
        case '_': out += "\\ "; break;
        default:
            out += '\\';
            out += c;
            break;
        }
    }
    return out;
}

// The edit ------------------------------------------------------------------------------------------------------

TZCLCustomMaskEdit::TZCLCustomMaskEdit(TComponent* AOwner)
    : TZCLCustomEdit(AOwner),
      thousandSep_(ThousandSeparator),
      decimalSep_(DecimalSeparator),
      dateSettings_(std::make_unique<TZCLDateFormat>()),
      currencySettings_(std::make_unique<TZCLCurrencySettings>())
{
    dateSettings_->SetOnFormatChanged(TNotifyEvent(this, &TZCLCustomMaskEdit::DateSettingsChanged));
    dateSettings_->SetOnFormatChange(TNotifyEvent(this, &TZCLCustomMaskEdit::DateSettingsChanged));
}

TZCLCustomMaskEdit::~TZCLCustomMaskEdit()
{
    if (refocusing == this) refocusing = nullptr;
}

void TZCLCustomMaskEdit::DateSettingsChanged(TObject*)
{
    if (maskType_ == meDate && !ComponentState().Contains(csLoading)) ApplyMaskType();
}

void TZCLCustomMaskEdit::SetDateSettings(TZCLDateFormat* Value) { dateSettings_->Assign(Value); }

void TZCLCustomMaskEdit::SetCurrencySettings(TZCLCurrencySettings* Value)
{
    currencySettings_->Assign(Value);
    if (maskType_ == meCurrency && !ComponentState().Contains(csLoading)) ApplyMaskType();
}

void TZCLCustomMaskEdit::SetMask(const AnsiString& Value)
{
    if (Value == mask_) return;
    mask_ = Value;
    ParseMask();
    if (maskType_ == meMask && !ComponentState().Contains(csLoading)) PutText(BlankText());
}

void TZCLCustomMaskEdit::SetMaskType(TZCLMaskType Value)
{
    if (Value == maskType_) return;
    maskType_ = Value;
    if (!ComponentState().Contains(csLoading)) ApplyMaskType();
}

void TZCLCustomMaskEdit::SetNumberBase(TZCLNumberBase Value)
{
    Value = std::clamp<TZCLNumberBase>(Value, 2, 36);
    numberBase_ = Value;
}

void TZCLCustomMaskEdit::SetBlankChar(char Value)
{
    if (Value == blankChar_ || Value == 0) return;
    const char old = blankChar_;
    blankChar_ = Value;
    if (maskType_ != meMask) return;
    AnsiString text = GetText();
    for (int i = 1; i <= text.Length() && i <= int(positions_.size()); ++i)
        if (positions_[i - 1].cls && text[i] == old) text[i] = Value;
    PutText(text);
}

void TZCLCustomMaskEdit::SetDecimals(int Value)
{
    Value = std::clamp(Value, 0, 15);
    if (Value == decimals_) return;
    decimals_ = Value;
    if ((maskType_ == meFloatFixed || maskType_ == meFloatNumber) && !ComponentState().Contains(csLoading)) {
        const long double v = StrToFloatDef(ZCLClearOffTS(GetText(), thousandSep_), 0);
        PutText(FormatFloatValue(v));
    }
}

void TZCLCustomMaskEdit::ParseMask()
{
    positions_.clear();
    bool required = false;
    for (int i = 1; i <= mask_.Length(); ++i) {
        const char c = mask_[i];
        MaskPos p;
        if (c == '!') {
            required = true;
            continue;
        }
        if (c == '\\') {
            if (i == mask_.Length()) break;
            p.literal = mask_[++i];
        } else if (std::string("aAbc0918#*vr").find(c) != std::string::npos) {
            p.cls = c;
        } else {
            p.literal = c;
        }
        p.required = required && p.cls;
        required = false;
        positions_.push_back(p);
    }
}

AnsiString TZCLCustomMaskEdit::BlankText() const
{
    AnsiString s;
    for (const MaskPos& p : positions_) s += p.cls ? blankChar_ : p.literal;
    return s;
}

bool TZCLCustomMaskEdit::Accepts(int Pos, char Ch) const
{
    if (Pos < 1 || Pos > int(positions_.size())) return false;
    const MaskPos& p = positions_[Pos - 1];
    const bool upper = Ch >= 'A' && Ch <= 'Z', lower = Ch >= 'a' && Ch <= 'z', digit = IsDigit(Ch);
    const bool letter = upper || lower || IsCharAlphaA(Ch);
    switch (p.cls) {
    case 'a': return lower || (letter && IsCharLowerA(Ch));
    case 'A': return upper || (letter && IsCharUpperA(Ch));
    case 'b': return letter;
    case 'c': return letter || digit;
    case '0': return digit;
    case '9': return digit && Ch != '0';
    case '1': return Ch == '0' || Ch == '1';
    case '8': return digit || Ch == ' ';
    case '#': return digit || Ch == '+' || Ch == '-';
    case '*': return (digit && Ch != '0') || Ch == '+' || Ch == '-';
    case 'v': return Ch == '+' || Ch == '-';
    case 'r': {
        bool ok = false;
        if (onUserRule_) onUserRule_(const_cast<TZCLCustomMaskEdit*>(this), ok, Ch, Pos);
        return ok;
    }
    default: return false;
    }
}

bool TZCLCustomMaskEdit::FitsMask(const AnsiString& Value) const
{
    if (Value.Length() != int(positions_.size())) return false;
    for (int i = 1; i <= Value.Length(); ++i) {
        const MaskPos& p = positions_[i - 1];
        if (!p.cls) {
            if (Value[i] != p.literal) return false;
        } else if (Value[i] != blankChar_ && !Accepts(i, Value[i])) {
            return false;
        }
    }
    return true;
}

int TZCLCustomMaskEdit::FirstUnfilledRequired() const
{
    const AnsiString text = GetText();
    for (int i = 1; i <= int(positions_.size()); ++i)
        if (positions_[i - 1].required && (i > text.Length() || !Accepts(i, text[i]))) return i;
    return 0;
}

bool TZCLCustomMaskEdit::IsDigitOfBase(char Ch) const
{
    const char c = char(std::toupper(static_cast<unsigned char>(Ch)));
    for (int i = 0; i < numberBase_; ++i)
        if (Digits36[i] == c) return true;
    return false;
}

AnsiString TZCLCustomMaskEdit::FormatFloatValue(long double Value) const
{
    return FloatToStrF(Value, maskType_ == meFloatNumber ? ffNumber : ffFixed, 15, decimals_);
}

void TZCLCustomMaskEdit::PutText(const AnsiString& Value)
{
    const int cursor = CursorPos();
    OwnChange own(internal_);
    SetText(Value);
    if (cursor <= GetLength() + 1 && cursor > 1) SetSelStart(cursor);
}

void TZCLCustomMaskEdit::ApplyMaskType()
{
    switch (maskType_) {
    case meInteger:
    case meWord:
    case meFloat: PutText("0"); break;
    case meFloatFixed:
    case meFloatNumber:
        numberBase_ = 10;
        PutText(FormatFloatValue(0));
        break;
    case meCurrency: PutText(currencySettings_->toStr(Currency(0))); break;
    case meDate: {
        std::uint16_t y, m, d;
        TDateTime date;
        if (FullDate(GetText(), y, m, d) && TryEncodeDate(y, m, d, date))
            PutText(dateSettings_->GetDTEditString(date));
        else
            PutText(dateSettings_->GetDTEditString(Date()));
        break;
    }
    case meTime: {
        try {
            StrToTime(GetText());
        } catch (const EConvertError&) {
            PutText(TimeToStr(Time()));
        }
        break;
    }
    case meMask: PutText(BlankText()); break;
    case meNone: break;
    }
    SetMouseSelection(maskType_ != meDate);
}

void TZCLCustomMaskEdit::Loaded()
{
    TZCLCustomEdit::Loaded();
    ParseMask();
    const AnsiString loaded = GetText();
    ApplyMaskType();
    // What came with the form stays: the type's empty text only replaces what the type cannot hold.
    if (streamed_)
        SetStreamValue(streamedValue_);
    else if (HoldsLoadedText(loaded))
        PutText(loaded);
    streamed_ = false;
}

bool TZCLCustomMaskEdit::HoldsLoadedText(const AnsiString& Text) const
{
    switch (maskType_) {
    case meInteger:
    case meWord:
        if (Text.IsEmpty() || (maskType_ == meWord && Text.Pos("-"))) return false;
        try {
            ZCLGetDecimalValue(Text, numberBase_);
            return true;
        } catch (const EZCLWrongDataType&) {
            return false;
        }
    case meFloat:
    case meFloatFixed:
    case meFloatNumber: {
        long double v;
        return !Text.IsEmpty() && TextToFloat(ZCLClearOffTS(Text, thousandSep_).c_str(), v);
    }
    case meCurrency: return !Text.IsEmpty() && currencySettings_->toStr(currencySettings_->toCur(Text)) == Text;
    case meMask: return FitsMask(Text);
    default: return false;
    }
}

void TZCLCustomMaskEdit::CreateSpecialText(AnsiString& Value) { Value = EngineText(); }

// Typing ----------------------------------------------------------------------------------------------------------

void TZCLCustomMaskEdit::WMChar(TMessage& Message)
{
    const char ch = char(Message.WParam);
    if (static_cast<unsigned char>(ch) <= 31 || ReadOnly() || !Enabled()) {
        TZCLCustomEdit::WMChar(Message);
        return;
    }
    const AnsiString text = GetText();
    const int at = SelLength() > 0 ? SelStart() : CursorPos();
    const bool atStart = at == 1;
    auto drop = [&] { Message.Result = 0; };
    switch (maskType_) {
    case meInteger:
    case meWord:
    case meFloat:
    case meFloatFixed:
    case meFloatNumber: {
        const AnsiString kept = text.SubString(1, at - 1) + text.SubString(at + SelLength(), text.Length());
        const char before = at <= text.Length() && SelLength() == 0 ? text[at] : 0;
        if (IsDigitOfBase(ch)) {
            if (before == '-') return drop();
            break;
        }
        if (maskType_ == meWord) return drop();
        if (ch == '-') {
            if (atStart && !kept.Pos("-")) break;
            return drop();
        }
        if (ch == decimalSep_ && IsFloatType(maskType_)) {
            if (kept.Pos(AnsiString(decimalSep_)) || before == '-') return drop();
            break;
        }
        return drop();
    }
    case meCurrency: {
        // Only what a money text is made of: anything else could never be read back.
        const AnsiString symbol = currencySettings_->Symbol();
        if (IsDigit(ch) || ch == '-' || ch == '(' || ch == ')' || ch == ' ' || ch == currencySettings_->DecimalSeparator() ||
            ch == currencySettings_->ThousandSeparator() || symbol.Pos(AnsiString(ch)))
            break;
        return drop();
    }
    case meDate:
        if (IsDigit(ch)) {
            TypeDate(ch);
            return drop();
        }
        if (ch == DateSeparator) return drop();
        break;
    case meTime:
        if (IsDigit(ch) || ch == TimeSeparator || WrittenInTimes(ch)) break;
        return drop();
    case meMask: TypeMask(ch); return drop();
    case meNone: break;
    }
    TZCLCustomEdit::WMChar(Message);
}

void TZCLCustomMaskEdit::TypeMask(char Ch)
{
    // Each character overwrites the blank at its place: the edit keeps its length, whatever the shared edit
    // mode says, and the shared mode is left as it is for the other edits.
    int pos = SelLength() > 0 ? SelStart() : CursorPos();
    const int count = int(positions_.size());
    while (pos <= count && !positions_[pos - 1].cls) ++pos;
    if (pos > count || !Accepts(pos, Ch)) return;
    OwnChange own(internal_);
    SetSelStart(pos);
    SetSelLength(1);
    SetSelText(AnsiString(Ch));
    int next = pos + 1;
    while (next <= count && !positions_[next - 1].cls) ++next;
    SetSelStart(std::min(next, GetLength() + 1));
}

void TZCLCustomMaskEdit::BlankSpan(int Start, int Length)
{
    const AnsiString text = GetText();
    AnsiString blank;
    for (int i = Start; i < Start + Length && i <= int(positions_.size()); ++i)
        blank += positions_[i - 1].cls ? blankChar_ : positions_[i - 1].literal;
    if (blank.IsEmpty()) return;
    OwnChange own(internal_);
    SetSelStart(Start);
    SetSelLength(blank.Length());
    if (text.SubString(Start, blank.Length()) != blank) SetSelText(blank);
}

void TZCLCustomMaskEdit::TypeDate(char Ch)
{
    const AnsiString text = GetText();
    const int pos = SelLength() > 0 ? SelStart() : CursorPos();
    const int field = dateSettings_->GetPattern(pos, text);
    if (field < 0) return;
    const int kind = dateSettings_->CurrentType(pos, text);
    const int start = dateSettings_->CurrentStart(pos, text);
    const int length = dateSettings_->CurrentLength(pos, text);
    if (kind == 0 || length <= 0) return;
    const int d = Ch - '0';
    if (field != dateField_) {
        dateField_ = field;
        dateCount_ = 0;
        dateNumber_ = 0;
    }
    AnsiString shown;
    auto twoDigit = [&](bool second) {
        if (dateCount_ == 1 && second) {
            dateNumber_ = dateNumber_ * 10 + d;
            dateCount_ = 0;
        } else {
            dateNumber_ = d;
            dateCount_ = 1;
        }
    };
    if (kind <= 2) {  // day number
        const int f = dateNumber_;
        twoDigit(dateCount_ == 1 && (f <= 2 || (f == 3 && d <= 1)));
    } else if (kind == 11 || kind == 12) {  // month number
        const int f = dateNumber_;
        twoDigit(dateCount_ == 1 && (f == 0 || (f == 1 && d <= 2)));
    } else if (kind == 13 || kind == 14) {  // month name: only 1..12 name a month
        const int f = dateNumber_;
        if (dateCount_ == 1 && f * 10 + d >= 1 && f * 10 + d <= 12) {
            dateNumber_ = f * 10 + d;
            dateCount_ = 0;
        } else {
            dateNumber_ = d;
            dateCount_ = 1;
        }
        if (dateNumber_ < 1 || dateNumber_ > 12) return;
        shown = kind == 13 ? ShortMonthNames[dateNumber_] : LongMonthNames[dateNumber_];
        while (shown.Length() < length) shown += ' ';
        shown = shown.SubString(1, length);
    } else if (kind > 20) {  // year: the digits shift in from the right
        long long limit = 1;
        for (int i = 0; i < length && i < 9; ++i) limit *= 10;
        const AnsiString old = text.SubString(start, length);
        int current = 0;
        for (int i = 1; i <= old.Length(); ++i)
            if (IsDigit(old[i])) current = current * 10 + (old[i] - '0');
        dateNumber_ = int((current * 10LL + d) % limit);
        dateCount_ = 0;
    } else {
        return;
    }
    if (shown.IsEmpty()) {
        shown = IntToStr(dateNumber_);
        while (shown.Length() < length) shown = "0" + shown;
        if (shown.Length() > length) shown = shown.SubString(shown.Length() - length + 1, length);
    }
    {
        OwnChange own(internal_);
        SetSelStart(start);
        SetSelLength(length);
        if (text.SubString(start, length) != shown) SetSelText(shown);
    }
    SelectDateField(start);
}

void TZCLCustomMaskEdit::SelectDateField(int Pos)
{
    const AnsiString text = GetText();
    const int start = dateSettings_->CurrentStart(Pos, text);
    const int length = dateSettings_->CurrentLength(Pos, text);
    OwnChange own(selectingField_);
    SetSelStart(start);
    if (length > 0) SetSelLength(length);
    SetSelStart(start);
    if (length > 0) SetSelLength(length);
}

bool TZCLCustomMaskEdit::FullDate(const AnsiString& Text, std::uint16_t& Y, std::uint16_t& M, std::uint16_t& D) const
{
    Y = M = D = 0;
    try {
        dateSettings_->StrToYMD(Text, Y, M, D);
    } catch (const Exception&) {
        return false;
    }
    // A real date: the day must exist in its month (31 February does not).
    return M >= 1 && M <= 12 && Y >= 1899 && D >= 1 && D <= DaysIn(Y, M);
}

void TZCLCustomMaskEdit::StepDate(int Days)
{
    std::uint16_t y, m, d;
    TDateTime date;
    if (!FullDate(GetText(), y, m, d) || !TryEncodeDate(y, m, d, date)) return;
    const int pos = CursorPos();
    date = date + Days;
    unsigned short ny, nm, nd;
    DecodeDate(date, ny, nm, nd);
    if (ny < 1899) return;
    PutText(dateSettings_->GetDTEditString(date));
    SelectDateField(std::min(pos, GetLength()));
}

void TZCLCustomMaskEdit::HandleInsertText(int At, AnsiString& Value)
{
    TZCLCustomEdit::HandleInsertText(At, Value);
    if (internal_ || Value.IsEmpty()) return;
    if (!InsertAllowed(At, Value)) Value = AnsiString();
}

bool TZCLCustomMaskEdit::InsertAllowed(int At, const AnsiString& Value) const
{
    const AnsiString& text = EngineText();  // the text with the replaced span already taken out
    switch (maskType_) {
    case meInteger:
    case meWord:
    case meFloat:
    case meFloatFixed:
    case meFloatNumber: {
        const bool floats = IsFloatType(maskType_);
        bool separator = floats && text.Pos(AnsiString(decimalSep_)) > 0;
        for (int i = 1; i <= Value.Length(); ++i) {
            const char c = Value[i];
            if (IsDigitOfBase(c)) continue;
            if (c == '-' && maskType_ != meWord && i == 1 && At == 1 && !text.Pos("-")) continue;
            if (floats && c == decimalSep_ && !separator) {
                separator = true;
                if (i == Value.Length() && At <= text.Length() && text[At] == '-') return false;
                continue;
            }
            return false;
        }
        // Nothing goes in front of a "-".
        if (At <= text.Length() && text[At] == '-') return false;
        return true;
    }
    case meMask: {
        AnsiString result = text;
        result.Insert(Value, At);
        return FitsMask(result);
    }
    default: return true;
    }
}

void TZCLCustomMaskEdit::HandleReplaceText(int At, const AnsiString& Value)
{
    TZCLCustomEdit::HandleReplaceText(At, Value);
    previousText_ = EngineText();
}

void TZCLCustomMaskEdit::ChangedText(int At)
{
    if (!internal_ && !ComponentState().Contains(csLoading)) {
        const AnsiString text = GetText();
        switch (maskType_) {
        case meFloatFixed:
        case meFloatNumber: {
            long double v;
            const AnsiString plain = ZCLClearOffTS(text, thousandSep_);
            if (TextToFloat(plain.c_str(), v)) {
                const AnsiString formatted = FormatFloatValue(v);
                if (formatted != text) {
                    PutText(formatted);
                    return;
                }
            }
            break;
        }
        case meCurrency: {
            // A sign typed first is not yet an amount: formatted now it would turn into zero and be lost.
            bool digit = false, sign = false;
            for (int i = 1; i <= text.Length(); ++i) {
                digit = digit || IsDigit(text[i]);
                sign = sign || text[i] == '-' || text[i] == '(';
            }
            if (sign && !digit) break;
            const AnsiString formatted = currencySettings_->toStr(currencySettings_->toCur(text));
            if (formatted != text) {
                PutText(formatted);
                return;
            }
            break;
        }
        case meDate: {
            std::uint16_t y, m, d;
            TDateTime date;
            if (FullDate(text, y, m, d) && TryEncodeDate(y, m, d, date)) {
                const AnsiString edit = dateSettings_->GetDTEditString(date);
                if (edit != text) {
                    const int pos = CursorPos();
                    PutText(edit);
                    SelectDateField(std::min(pos, GetLength()));
                    return;
                }
            }
            break;
        }
        case meMask:
            if (!FitsMask(text) && FitsMask(previousText_)) {
                PutText(previousText_);
                return;
            }
            break;
        default: break;
        }
    }
    TZCLCustomEdit::ChangedText(At);
}

void TZCLCustomMaskEdit::CursorPosChanged()
{
    TZCLCustomEdit::CursorPosChanged();
    if (maskType_ != meDate || selectingField_ || internal_ || !Focused()) return;
    SelectDateField(CursorPos());
}

// Keys ------------------------------------------------------------------------------------------------------------

void TZCLCustomMaskEdit::GetCommandKey(WORD& Key, TShiftState Shift)
{
    const AnsiString text = GetText();
    switch (maskType_) {
    case meMask:
        if (Key == VK_BACK || Key == VK_DELETE) {
            if (ReadOnly()) {
                Key = 0;
                return;
            }
            int start = SelStart(), length = SelLength();
            if (length == 0) {
                if (Key == VK_BACK) {
                    start = CursorPos() - 1;
                } else {
                    start = CursorPos();
                }
                length = 1;
            }
            if (start >= 1 && start <= int(positions_.size())) BlankSpan(start, length);
            SetSelStart(std::max(1, start));
            Key = 0;
            return;
        }
        break;
    case meCurrency:
        if (Key == VK_BACK || Key == VK_DELETE) {
            int start = SelStart(), length = SelLength();
            if (length == 0) {
                start = Key == VK_BACK ? CursorPos() - 1 : CursorPos();
                length = 1;
            }
            const AnsiString symbol = currencySettings_->Symbol();
            const int at = symbol.IsEmpty() ? 0 : text.Pos(symbol);
            if (at && start < at + symbol.Length() && start + length > at) {
                Key = 0;
                return;
            }
        }
        break;
    case meDate:
        switch (Key) {
        case VK_BACK:
        case VK_DELETE:
        case VK_HOME:
        case VK_END: Key = 0; return;
        case VK_LEFT:
            dateField_ = -1;
            SelectDateField(dateSettings_->PrevEditPos(CursorPos(), text));
            Key = 0;
            return;
        case VK_RIGHT:
            dateField_ = -1;
            SelectDateField(dateSettings_->NextEditPos(CursorPos(), text));
            Key = 0;
            return;
        case VK_UP:
        case VK_DOWN:
            dateField_ = -1;
            if (!ReadOnly()) StepDate(Key == VK_UP ? 1 : -1);
            Key = 0;
            return;
        default: break;
        }
        break;
    default: break;
    }
    TZCLCustomEdit::GetCommandKey(Key, Shift);
}

// Focus -----------------------------------------------------------------------------------------------------------

void TZCLCustomMaskEdit::WMSetFocus(TMessage& Message)
{
    TZCLCustomEdit::WMSetFocus(Message);
    dateField_ = -1;
    if (maskType_ == meDate) {
        std::uint16_t y, m, d;
        TDateTime date;
        if (FullDate(GetText(), y, m, d) && TryEncodeDate(y, m, d, date)) PutText(dateSettings_->GetDTEditString(date));
        SelectDateField(CursorPos());
    }
}

void TZCLCustomMaskEdit::WMKillFocus(TMessage& Message)
{
    TZCLCustomEdit::WMKillFocus(Message);
    dateField_ = -1;
    switch (maskType_) {
    case meDate: {
        std::uint16_t y, m, d;
        TDateTime date;
        if (FullDate(GetText(), y, m, d) && TryEncodeDate(y, m, d, date)) PutText(dateSettings_->GetDTEditString(date));
        break;
    }
    case meTime:
        try {
            PutText(TimeToStr(StrToTime(GetText())));
        } catch (const EConvertError&) {
        }
        break;
    case meMask:
        // Asked for once the focus has settled, so that two unfilled edits do not pull it to and fro.
        if (refocusing == nullptr && FirstUnfilledRequired() && HandleAllocated())
            PostMessageA(Handle(), CM_ZCLMASKREFOCUS, 0, 0);
        break;
    default: break;
    }
}

void TZCLCustomMaskEdit::Refocus(int Pos)
{
    if (Focused() || !CanFocus()) return;
    // A cancel button or a closing form may take the focus.
    if (TWinControl* now = FindControl(GetFocus())) {
        if (auto* button = dynamic_cast<TButton*>(now); button && button->Cancel()) return;
    }
    TCustomForm* form = GetParentForm(this);
    if (form && (!form->Visible() || form->ComponentState().Contains(csDestroying))) return;
    refocusing = this;
    try {
        SetFocus();
    } catch (...) {
        refocusing = nullptr;
        throw;
    }
    refocusing = nullptr;
    SetSelStart(Pos);
    SetSelLength(1);
}

void TZCLCustomMaskEdit::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_ZCLMASKREFOCUS) {
        if (maskType_ == meMask)
            if (const int pos = FirstUnfilledRequired()) Refocus(pos);
        return;
    }
    TZCLCustomEdit::Dispatch(Message);
}

// Values ----------------------------------------------------------------------------------------------------------

long long TZCLCustomMaskEdit::ReadInteger(long long Low, long long High, const char* Message, bool Word) const
{
    if (maskType_ != (Word ? meWord : meInteger)) throw EZCLWrongDataType(Message);
    const AnsiString text = GetText();
    if (text.IsEmpty() || text == "-") return 0;
    const long long v = ZCLGetDecimalValue(text, numberBase_);
    if (v < Low || v > High) throw EZCLWrongDataType("Number out of range");
    return v;
}

int TZCLCustomMaskEdit::AsInteger() const { return int(ReadInteger(INT_MIN, INT_MAX, "No integer entered", false)); }

unsigned TZCLCustomMaskEdit::AsCardinal() const { return unsigned(ReadInteger(0, UINT_MAX, "No word entered", true)); }

long long TZCLCustomMaskEdit::AsInt64() const { return ReadInteger(LLONG_MIN, LLONG_MAX, "No integer entered", false); }

long double TZCLCustomMaskEdit::AsFloat() const
{
    if (!IsFloatType(maskType_)) throw EZCLWrongDataType("No float entered");
    const AnsiString text = ZCLClearOffTS(GetText(), thousandSep_);
    if (text.IsEmpty() || text == "-") return 0;
    return StrToFloat(text);
}

Currency TZCLCustomMaskEdit::AsCurrency() const
{
    if (IsFloatType(maskType_)) return Currency(AsFloat());
    return currencySettings_->toCur(GetText());
}

TDateTime TZCLCustomMaskEdit::AsDate() const
{
    if (maskType_ != meDate) throw EZCLWrongDataType("No date entered");
    return dateSettings_->StrToDate(GetText());
}

TDateTime TZCLCustomMaskEdit::AsTime() const
{
    if (maskType_ != meTime) throw EZCLWrongDataType("No time entered");
    return StrToTime(GetText());
}

// Streams ---------------------------------------------------------------------------------------------------------

long double TZCLCustomMaskEdit::StreamValue() const
{
    try {
        if (IsFloatType(maskType_)) return StrToFloatDef(ZCLClearOffTS(GetText(), thousandSep_), 0);
        if (maskType_ == meCurrency) return currencySettings_->toCur(GetText());
        if (maskType_ == meDate) return double(AsDate());
        if (maskType_ == meTime) return double(AsTime());
    } catch (const Exception&) {
    }
    return 0;
}

void TZCLCustomMaskEdit::SetStreamValue(long double Value)
{
    if (IsFloatType(maskType_))
        PutText(maskType_ == meFloat ? FloatToStrF(Value, ffGeneral, 15, decimals_) : FormatFloatValue(Value));
    else if (maskType_ == meCurrency)
        PutText(currencySettings_->toStr(Currency(Value)));
    else if (maskType_ == meDate)
        PutText(dateSettings_->GetDTEditString(TDateTime(double(Value))));
    else if (maskType_ == meTime)
        PutText(TimeToStr(TDateTime(double(Value))));
}

void TZCLCustomMaskEdit::ReadDateTime(TReader* Reader)
{
    streamedValue_ = Reader->ReadFloat();
    streamed_ = ComponentState().Contains(csLoading);
    SetStreamValue(streamedValue_);
}

void TZCLCustomMaskEdit::WriteDateTime(TWriter* Writer) { Writer->WriteFloat(StreamValue()); }

void TZCLCustomMaskEdit::DefineProperties(TFiler* Filer)
{
    TZCLCustomEdit::DefineProperties(Filer);
    const bool typed = IsFloatType(maskType_) || maskType_ == meCurrency || maskType_ == meDate || maskType_ == meTime;
    Filer->DefineProperty("DateTime", TReaderProc(this, &TZCLCustomMaskEdit::ReadDateTime),
                          TWriterProc(this, &TZCLCustomMaskEdit::WriteDateTime), typed);
}
