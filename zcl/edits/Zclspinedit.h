#pragma once
// The numeric edit with a spin button at its right end: integer, float or money values kept between a
// minimum and a maximum, stepped by the keys and the button.

#include <memory>

#include "zcl/edits/Zclmaskedit.h"
#include "zcl/edits/Zclspinbutton.h"

enum TZCLNumberType : std::uint8_t { ntInteger, ntFloat, ntFloatFixed, ntFloatNumber, ntCurrency };

class TZCLCustomExtSpinEdit : public TZCLCustomMaskEdit {
public:
    explicit TZCLCustomExtSpinEdit(TComponent* AOwner);
    ~TZCLCustomExtSpinEdit() override;

    TZCLSpinButton* SpinButton() const { return button_; }
    // -1: as wide as the edit's inner height.
    int SpinBtnWidth() const { return spinBtnWidth_; }
    void SetSpinBtnWidth(int Value);
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool Value) { editorEnabled_ = Value; }
    TZCLNumberType EditType() const { return editType_; }
    void SetEditType(TZCLNumberType Value);
    double Value() const { return value_; }
    double MinValue() const { return minValue_; }
    double MaxValue() const { return maxValue_; }
    void SetValue(double V) { SetDouble(2, V); }
    void SetMinValue(double V) { SetDouble(0, V); }
    void SetMaxValue(double V) { SetDouble(1, V); }
    // Index 0 MinValue, 1 MaxValue, 2 Value; the text shows the value afterwards.
    void SetDouble(int Index, double V);
    double Step() const { return step_; }
    void SetStep(double V) { step_ = V; }
    double LargeStep() const { return largeStep_; }
    void SetLargeStep(double V) { largeStep_ = V; }
    double FractionStep() const { return fractionStep_; }
    void SetFractionStep(double V) { fractionStep_ = V; }

    // Up and down by a step, never past MaxValue or MinValue; nothing while read-only.
    void Increment(double By);
    void Decrement(double By);
    // The value as the edit type shows it.
    AnsiString getOutString(double V) const;

    void Loaded() override;
    void Dispatch(TMessage& Message) override;

protected:
    void DoInc(TObject* Sender);
    void DoDec(TObject* Sender);
    void GetCommandKey(WORD& Key, TShiftState Shift) override;
    bool AllowedOperation(const AnsiString& Value) override;
    void ModifyPaintRect(TRect& R) override;
    void WMKillFocus(TMessage& Message) override;

private:
    void StepBy(double By, bool Up);
    // The text read as a number of the edit type; false when it is none.
    bool ReadText(double& V) const;
    void ShowValue();

    TZCLSpinButton* button_;  // owned by the edit
    int spinBtnWidth_ = -1;
    bool editorEnabled_ = true;
    TZCLNumberType editType_ = ntInteger;
    double value_ = 0, minValue_ = 0, maxValue_ = 100;
    double fractionStep_ = 0.1, largeStep_ = 10, step_ = 1;
};

class TZCLExtSpinEdit : public TZCLCustomExtSpinEdit {
public:
    using TZCLCustomExtSpinEdit::TZCLCustomExtSpinEdit;
};
