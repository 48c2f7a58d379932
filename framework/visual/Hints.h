#pragma once
// Hint windows: the small window that shows a control's hint while the pointer rests on it. The application
// object runs them (TApplication's hint settings, framework/visual/Forms.h).

#include <windows.h>

#include "framework/runtime/AnsiString.h"
#include "framework/visual/Controls.h"

// A hint text is "short|long": the hint window shows the part before the first "|", status lines the part after
// it. Without a "|" both are the whole text.
AnsiString GetShortHint(const AnsiString& hint);
AnsiString GetLongHint(const AnsiString& hint);

// The hint that applies to control: its own, or the nearest parent's when its own is empty.
AnsiString GetHint(const TControl* control);

// A borderless top-level window that never takes the focus or the mouse; it stays above every other window.
class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* owner);
    ~THintWindow() override;

    // Shows hint in rect (screen coordinates), moved back onto the screen where it would stand off it.
    virtual void ActivateHint(TRect rect, const AnsiString& hint);
    // The rectangle at (0, 0) the hint needs, lines broken at maxWidth.
    virtual TRect CalcHintRect(int maxWidth, const AnsiString& hint);
    // Hides the window (it is kept for the next hint).
    void ReleaseHint();

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    bool IsTopLevelWindow() const override { return true; }
};
