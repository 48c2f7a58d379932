#pragma once
// A windowless spin button of one to four arrow parts (up, down, left, right) in fifteen layouts. Each look
// is drawn once into a strip of state images; a press fires the part's event at once and then repeats.

#include <cstdint>
#include <memory>

#include "framework/runtime/Closure.h"
#include "framework/runtime/Sets.h"
#include "framework/visual/Graphics.h"
#include "zcl/components/Zclgraphiccontrol.h"
#include "zcl/core/Zclbase.h"

enum TZCLSpinButtonState : std::uint8_t { sbUpper, sbUpDown, sbDownDown, sbLeftDown, sbRightDown, sbDisabled };
enum TZCLSingleSpinButton : std::uint8_t { sbLeft, sbRight, sbUp, sbDown };
using TZCLSpinButtons = TSet<TZCLSingleSpinButton, 4>;

// The layout number of a set of parts (1..15); 0 for the empty set.
int ZCLSpinLayoutOf(TZCLSpinButtons Buttons);

class TZCLSpinButton : public TZCLGraphicControl {
public:
    // 20 x 20, [sbUp], repeating every 100 ms after a first pause of 300 ms.
    explicit TZCLSpinButton(TComponent* AOwner);
    ~TZCLSpinButton() override;

    TZCLSpinButtons SpinButtons() const { return spinButtons_; }
    // Stores a changed set and its layout (an empty set keeps the layout), then repaints.
    void SetBtns(TZCLSpinButtons Value);
    void SetSpinButtons(TZCLSpinButtons Value) { SetBtns(Value); }
    int Layout() const { return layout_; }
    TZCLSpinButtonState Pressed() const { return pressed_; }
    // The look shown now.
    TZCLSpinButtonState ShownState() const;
    std::uint16_t RepeatInterval() const { return repeatInterval_; }
    void SetRepeatInterval(std::uint16_t Value) { repeatInterval_ = Value ? Value : 1; }
    TZCLBorderStyle FrameStyle() const { return frameStyle_; }
    void SetFrameStyle(TZCLBorderStyle Value);
    bool TimerRunning() const { return timerId_ != -1; }
    // The strip: six images of the control side by side, one per state.
    TBitmap* StateBitmap();
    // Presses a part as the mouse does (sbUpper releases); for code that drives the button.
    void SetDown(TZCLSpinButtonState Value);

    TNotifyEvent OnTopClick() const { return onTopClick_; }
    void SetOnTopClick(TNotifyEvent Value) { onTopClick_ = Value; }
    TNotifyEvent OnBottomClick() const { return onBottomClick_; }
    void SetOnBottomClick(TNotifyEvent Value) { onBottomClick_ = Value; }
    TNotifyEvent OnLeftClick() const { return onLeftClick_; }
    void SetOnLeftClick(TNotifyEvent Value) { onLeftClick_ = Value; }
    TNotifyEvent OnRightClick() const { return onRightClick_; }
    void SetOnRightClick(TNotifyEvent Value) { onRightClick_ = Value; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Dispatch(TMessage& Message) override;

    // The part under a point of the control, sbUpper for none.
    TZCLSpinButtonState PartAt(int X, int Y) const;

protected:
    // Draws every state of the current layout into the strip.
    void CreateStates();
    void DrawState(TZCLSpinButtonState State);
    void AddTimer();
    void RemoveTimer();
    void TimerExpired(TObject* Sender);
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    void FirePart(TZCLSpinButtonState Part);
    void Release();

    std::unique_ptr<TBitmap> states_;
    bool statesValid_ = false;
    std::int32_t timerId_ = -1;
    TZCLSpinButtonState pressed_ = sbUpper;
    TZCLSpinButtonState lastDrawn_ = sbUpper;
    bool mouseDown_ = false;
    TZCLSpinButtons spinButtons_{sbUp};
    std::uint16_t repeatInterval_ = 100;
    int layout_ = 1;
    TZCLBorderStyle frameStyle_ = lsSingleRaised;
    TNotifyEvent onTopClick_, onBottomClick_, onLeftClick_, onRightClick_;
};
