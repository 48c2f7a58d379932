#include "zcl/edits/Zclspinedit.h"

#include <algorithm>
#include <cmath>

#include "framework/runtime/Filer.h"

namespace {

const bool spinEditPublished = [] {
    using E = TZCLExtSpinEdit;
    // The limits before the value, and the text before both: the value is what the edit shows at the end.
    PublishedProperties<E>()
        .Enumeration("Alignment", &E::Alignment, &E::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"},
                     taLeftJustify)
        .Boolean("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
        .Enumeration("EditType", &E::EditType, &E::SetEditType,
                     {"ntInteger", "ntFloat", "ntFloatFixed", "ntFloatNumber", "ntCurrency"}, ntInteger)
        .String("Text", &E::Text, [](E* e, const AnsiString& v) { e->SetText(v); })
        .Integer("SpinBtnWidth", &E::SpinBtnWidth, &E::SetSpinBtnWidth, -1)
        .Float("Step", &E::Step, &E::SetStep)
        .Float("LargeStep", &E::LargeStep, &E::SetLargeStep)
        .Float("FractionStep", &E::FractionStep, &E::SetFractionStep)
        .Boolean("EditorEnabled", &E::EditorEnabled, &E::SetEditorEnabled, true)
        .Float("MinValue", &E::MinValue, &E::SetMinValue)
        .Float("MaxValue", &E::MaxValue, &E::SetMaxValue)
        .Float("Value", &E::Value, &E::SetValue);
    return true;
}();

TZCLMaskType MaskTypeOf(TZCLNumberType T)
{
    switch (T) {
    case ntFloat: return meFloat;
    case ntFloatFixed: return meFloatFixed;
    case ntFloatNumber: return meFloatNumber;
    case ntCurrency: return meCurrency;
    default: return meInteger;
    }
}

}  // namespace

TZCLCustomExtSpinEdit::TZCLCustomExtSpinEdit(TComponent* AOwner)
    : TZCLCustomMaskEdit(AOwner), button_(new TZCLSpinButton(this))
{
    button_->SetParent(this);
    button_->SetTransparent(false);
    button_->SetColor(clBtnFace);
    button_->SetCursor(crArrow);
    button_->SetBtns(TZCLSpinButtons{sbUp, sbDown});
    button_->SetOnTopClick(TNotifyEvent(this, &TZCLCustomExtSpinEdit::DoInc));
    button_->SetOnLeftClick(TNotifyEvent(this, &TZCLCustomExtSpinEdit::DoInc));
    button_->SetOnBottomClick(TNotifyEvent(this, &TZCLCustomExtSpinEdit::DoDec));
    button_->SetOnRightClick(TNotifyEvent(this, &TZCLCustomExtSpinEdit::DoDec));
    SetMaskType(meInteger);
    ShowValue();
}

TZCLCustomExtSpinEdit::~TZCLCustomExtSpinEdit() = default;

void TZCLCustomExtSpinEdit::SetSpinBtnWidth(int Value)
{
    if (Value == spinBtnWidth_) return;
    spinBtnWidth_ = Value;
    SetupRects();
    Invalidate();
}

void TZCLCustomExtSpinEdit::ModifyPaintRect(TRect& R)
{
    TZCLCustomMaskEdit::ModifyPaintRect(R);
    const TRect inner = InnerRect();
    const int height = std::max(0, int(inner.Height()));
    const int width = std::clamp(spinBtnWidth_ < 0 ? height : spinBtnWidth_, 0, std::max(0, int(R.Width())));
    if (button_) button_->SetBounds(R.right - width, inner.top, width, height);
    R.right -= width;
}

void TZCLCustomExtSpinEdit::SetEditType(TZCLNumberType Value)
{
    if (Value == editType_) return;
    editType_ = Value;
    SetMaskType(MaskTypeOf(Value));
    if (editType_ == ntInteger) {
        minValue_ = std::trunc(minValue_);
        maxValue_ = std::trunc(maxValue_);
        value_ = std::clamp(std::trunc(value_), minValue_, std::max(minValue_, maxValue_));
    }
    ShowValue();
}

AnsiString TZCLCustomExtSpinEdit::getOutString(double V) const
{
    switch (editType_) {
    case ntInteger:
        if (!(std::fabs(V) < 9.2e18)) return "0";
        return IntToStr(Trunc(V));
    case ntFloat: return FloatToStrF(V, ffGeneral, 15, Decimals());
    case ntFloatFixed: return FloatToStrF(V, ffFixed, 15, Decimals());
    case ntFloatNumber: return FloatToStrF(V, ffNumber, 15, Decimals());
    case ntCurrency: return FloatToStrF(V, ffCurrency, 15, CurrencyDecimals);
    }
    return AnsiString();
}

void TZCLCustomExtSpinEdit::ShowValue() { PutText(getOutString(value_)); }

void TZCLCustomExtSpinEdit::SetDouble(int Index, double V)
{
    const bool loading = ComponentState().Contains(csLoading);
    switch (Index) {
    case 0:
        if (V == minValue_) return;
        if (editType_ == ntInteger && !loading) V = std::trunc(V);
        if (!loading && V > maxValue_) V = maxValue_;
        minValue_ = V;
        break;
    case 1:
        if (V == maxValue_) return;
        if (editType_ == ntInteger) V = std::trunc(V);
        if (!loading && V < minValue_) V = minValue_;
        maxValue_ = V;
        break;
    case 2:
        if (V == value_ && GetText() == getOutString(value_)) return;
        value_ = V;
        break;
    default: return;
    }
    if (!loading) {
        if (value_ > maxValue_) value_ = maxValue_;
        if (value_ < minValue_) value_ = minValue_;
    }
    ShowValue();
}

void TZCLCustomExtSpinEdit::Loaded()
{
    TZCLCustomMaskEdit::Loaded();
    if (maxValue_ < minValue_) maxValue_ = minValue_;
    value_ = std::clamp(value_, minValue_, maxValue_);
    ShowValue();
}

void TZCLCustomExtSpinEdit::Dispatch(TMessage& Message)
{
    TZCLCustomMaskEdit::Dispatch(Message);
    // The button greys with the edit and stops any press it holds.
    if (Message.Msg == CM_ENABLEDCHANGED && button_) button_->SetEnabled(Enabled());
}

bool TZCLCustomExtSpinEdit::ReadText(double& V) const
{
    const AnsiString text = GetText();
    try {
        if (editType_ == ntInteger) {
            if (text.IsEmpty() || text == "-") return false;
            V = double(ZCLGetDecimalValue(text, NumberBase()));
            return true;
        }
        if (editType_ == ntCurrency) {
            V = double(static_cast<long double>(CurrencySettings()->toCur(text)));
            return true;
        }
        long double v;
        const AnsiString plain = ZCLClearOffTS(text, ThousandSep());
        if (!TextToFloat(plain.c_str(), v)) return false;
        V = double(v);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

void TZCLCustomExtSpinEdit::StepBy(double By, bool Up)
{
    if (ReadOnly()) return;
    double current = value_;
    ReadText(current);
    const int cursor = CursorPos();
    double result;
    if (editType_ == ntInteger) {
        result = std::trunc(current) + std::nearbyint(Up ? By : -By);
        if (Up && result >= std::trunc(maxValue_)) result = maxValue_;
        if (!Up && result <= std::trunc(minValue_)) result = minValue_;
    } else {
        if (Up && current < minValue_) current = minValue_;
        if (!Up && current > maxValue_) current = maxValue_;
        const AnsiString text = GetText();
        const int sep = text.Pos(AnsiString(DecimalSep()));
        const double by = sep > 0 && cursor > sep ? fractionStep_ : By;
        result = current + (Up ? by : -by);
        if (Up && result >= maxValue_) result = maxValue_;
        if (!Up && result <= minValue_) result = minValue_;
    }
    value_ = std::clamp(result, minValue_, std::max(minValue_, maxValue_));
    ShowValue();
    if (cursor <= GetLength() + 1) SetSelStart(cursor);
}

void TZCLCustomExtSpinEdit::Increment(double By) { StepBy(By, true); }

void TZCLCustomExtSpinEdit::Decrement(double By) { StepBy(By, false); }

void TZCLCustomExtSpinEdit::DoInc(TObject*) { Increment(step_); }

void TZCLCustomExtSpinEdit::DoDec(TObject*) { Decrement(step_); }

void TZCLCustomExtSpinEdit::GetCommandKey(WORD& Key, TShiftState Shift)
{
    switch (Key) {
    case VK_PRIOR: Increment(largeStep_); Key = 0; return;
    case VK_NEXT: Decrement(largeStep_); Key = 0; return;
    case VK_UP: Increment(step_); Key = 0; return;
    case VK_DOWN: Decrement(step_); Key = 0; return;
    default: break;
    }
    TZCLCustomMaskEdit::GetCommandKey(Key, Shift);
}

bool TZCLCustomExtSpinEdit::AllowedOperation(const AnsiString& Value)
{
    return TZCLCustomMaskEdit::AllowedOperation(Value) && editorEnabled_;
}

void TZCLCustomExtSpinEdit::WMKillFocus(TMessage& Message)
{
    // A held spin button stops repeating when the focus goes.
    button_->SetDown(sbUpper);
    TZCLCustomMaskEdit::WMKillFocus(Message);
    // The typed text becomes the value within the limits; a text that is no number gives the old value back.
    double v = value_;
    if (ReadText(v)) {
        value_ = std::clamp(v, minValue_, std::max(minValue_, maxValue_));
    }
    if (GetText() != getOutString(value_)) ShowValue();
}
