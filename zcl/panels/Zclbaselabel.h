#pragma once
// The root of the library's labels: a transparent windowless text with alignment, ellipsis options, an
// accelerator that focuses another control, automatic sizing and twinkling (text shown and hidden in turn on
// the application's timer pool).

#include <windows.h>

#include <cstdint>

#include "framework/runtime/Sets.h"
#include "zcl/components/Zclbasegraphiccontrol.h"
#include "zcl/core/Zclbase.h"

class TZCL3DCaption;

enum TZCLLabelOption : std::uint8_t { loPathEllipsis, loEndEllipsis, loEditControl };
using TZCLLabelOptions = TSet<TZCLLabelOption, 8>;

class TZCLBaseLabel : public TZCLBaseGraphicControl {
public:
    explicit TZCLBaseLabel(TComponent* AOwner);
    // A running twinkle timer goes back to the pool.
    ~TZCLBaseLabel() override;

    // Index 0 AutoSize (then CorrectBounds), 1 MultiLine (then GetChange), 2 ShowAccelChar (then sized and
    // redrawn), 3 Twinkle. Unchanged values are left alone.
    bool Bool(int Index) const;
    void SetBool(int Index, bool Value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value) { SetBool(0, Value); }
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool Value) { SetBool(1, Value); }
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool Value) { SetBool(2, Value); }
    // On, the text shows for TwinkleVisible ms and hides for TwinkleInVisible ms in turn. Raises
    // EOutOfResources "Not enough timers available" when the pool has no timer left.
    bool Twinkle() const { return twinkle_; }
    void SetTwinkle(bool Value) { SetBool(3, Value); }
    // Index 0 TwinkleVisible, 1 TwinkleInVisible, in ms; each phase runs for its length rounded up to the
    // pool's steps.
    int Integer(int Index) const { return Index == 0 ? twinkleVisible_ : twinkleInVisible_; }
    void SetInteger(int Index, int Value);
    int TwinkleVisible() const { return twinkleVisible_; }
    void SetTwinkleVisible(int Value) { SetInteger(0, Value); }
    int TwinkleInVisible() const { return twinkleInVisible_; }
    void SetTwinkleInVisible(int Value) { SetInteger(1, Value); }
    // The colour of the hidden phase; clNone draws nothing then.
    TColor TwinkleColor() const { return twinkleColor_; }
    void SetTwinkleColor(TColor Value);
    // The phase: true while the text shows.
    bool TwinkleShown() const { return twinkleShown_; }
    // The pool timer while twinkling, else 0.
    std::uint16_t TwinkleTimerId() const { return twinkleTimer_; }

    TZCLAlignment Alignment() const { return alignment_; }
    void SetAlignment(TZCLAlignment Value);
    TZCLLabelOptions Options() const { return options_; }
    void SetOptions(TZCLLabelOptions Value);
    // Focused when the caption's accelerator is typed; not owned, forgotten when it is freed.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* Value);

    // The text the label shows: its caption here.
    virtual AnsiString GetLabelText();
    // The font or the 3D effect changed (not while loading): the canvas takes the font and the label updates.
    virtual void FontChange(TObject* Sender);
    // Sizes the label to its text where the kind of label does; nothing here.
    virtual void CorrectBounds() {}
    // Bounds, then redrawn.
    void GetChange(TObject* Sender) override;
    // Transparent with no text.
    bool GetEmpty() override;
    // The text-drawing flags of the options.
    unsigned GetOptionsFlag() const;
    // The flags every label paints its text with.
    unsigned TextFlags() const;
    // Where the text goes in R: a multi-line text centred or at the bottom is placed first, the system's text
    // drawing places only single lines.
    TRect TextRect(const TRect& R, const AnsiString& Text, TZCL3DCaption* Caption, unsigned Flags);

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

protected:
    // Filled in Color when opaque; transparent, the parent's picture when it hands one over.
    void PaintBackground();
    // How far a status bar the label stands on moves its text; 0 elsewhere.
    int StatusBarGap() const;
    // The twinkle timer's tick: the other phase, for its own length.
    void TwinkleTick(TObject* Sender);

private:
    void StartTwinkle();
    void StopTwinkle();

    bool showAccelChar_ = true;
    bool twinkle_ = false;
    bool multiLine_ = false;
    bool autoSize_ = true;
    bool twinkleShown_ = true;
    TZCLAlignment alignment_ = agTopLeft;
    TZCLLabelOptions options_;
    std::uint16_t twinkleTimer_ = 0;
    int twinkleVisible_ = 700;
    int twinkleInVisible_ = 700;
    TColor twinkleColor_ = clNone;
    TWinControl* focusControl_ = nullptr;  // not owned
};
