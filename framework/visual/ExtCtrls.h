#pragma once
// Panels: a container drawn by us with raised or lowered bevels and a centred caption.

#include "framework/visual/Controls.h"

// Scoped, so that the library's bevel styles of the same names can be used beside it.
enum class TBevelCut : unsigned char { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* owner);

    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

    void Dispatch(TMessage& message) override;
    void AdjustClientRect(TRect& rect) override;

protected:
    void Paint() override;

private:
    void Changed();

    TBevelCut bevelInner_ = TBevelCut::bvNone;
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TAlignment alignment_ = taCenter;
};

class TPanel : public TCustomPanel {
public:
    using TCustomPanel::TCustomPanel;
};
