#pragma once
// A container whose children scroll under two scroll bars.

#include "framework/visual/Controls.h"
#include "framework/visual/Forms.h"

enum TScrollBarKind : unsigned char { sbHorizontal, sbVertical };

class TScrollBox;

// One of a scroll box's bars. Range is the size of the scrolled area; Position how far it is scrolled.
class TControlScrollBar {
public:
    TControlScrollBar(TScrollBox* owner, TScrollBarKind kind) : owner_(owner), kind_(kind) {}

    TScrollBarKind Kind() const { return kind_; }
    int Range() const { return range_; }
    // Turns AutoScroll's measuring off for this bar, as a set range is the one wanted.
    void SetRange(int value);
    int Position() const { return position_; }
    // Moves the children; kept inside 0..Range - the visible size.
    void SetPosition(int value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    int Increment() const { return increment_; }
    void SetIncrement(int value) { increment_ = value > 0 ? value : 1; }
    // The bar shows: Visible and a range larger than the visible size.
    bool IsScrollBarVisible() const;

private:
    friend class TScrollBox;
    int ClientSize() const;
    int MaxPosition() const;

    TScrollBox* owner_;  // owns this bar
    TScrollBarKind kind_;
    int range_ = 0;
    int position_ = 0;
    bool visible_ = true;
    bool rangeSet_ = false;  // SetRange was used: AutoScroll leaves the range alone
    int increment_ = 8;
};

class TScrollBox : public TWinControl {
public:
    explicit TScrollBox(TComponent* owner);

    TControlScrollBar* HorzScrollBar() const { return horz_.get(); }
    TControlScrollBar* VertScrollBar() const { return vert_.get(); }
    // Ranges follow the children's extent.
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool value);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    // Moves every child by (dx, dy).
    void ScrollBy(int dx, int dy);
    // Scrolls so that control is in view.
    void ScrollInView(TControl* control);

    void AlignControls(TControl* control, TRect& rect) override;
    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    friend class TControlScrollBar;
    void UpdateScrollBars();
    void CalcAutoRange();
    void Scroll(TControlScrollBar* bar, int code);

    std::unique_ptr<TControlScrollBar> horz_;
    std::unique_ptr<TControlScrollBar> vert_;
    bool autoScroll_ = true;
    TFormBorderStyle borderStyle_ = bsSingle;
    bool updating_ = false;
};
