#pragma once
// A panel that lays a collection of custom buttons out in a grid of equal cells and sizes itself to them.

#include <memory>

#include "framework/runtime/Closure.h"
#include "zcl/buttons/Zclspecialbutton.h"
#include "zcl/core/Zclbase.h"
#include "zcl/panels/Zclcustompanelfill.h"

class TZCLSpeedButton;

// Sender is the panel, Index the button's place in the grid (its Tag).
using TZCLButtonPanelClickEvent = Closure<void(TObject* Sender, TZCLSpeedButton* Button, int Index)>;

class TZCLButtonPanel : public TZCLCustomPanelFill {
public:
    explicit TZCLButtonPanel(TComponent* AOwner);
    ~TZCLButtonPanel() override;

    // Owned; every change lays the buttons out again.
    TZCLSpecialButtons* Buttons() const { return buttons_.get(); }
    void SetButtons(TZCLSpecialButtons* Value);
    // The cell size; values below 1 count as 1.
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int Value);
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(int Value);
    // Copied to every button.
    TZCLUserButtonStyle ButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(TZCLUserButtonStyle Value);
    TZCLButtonPanelClickEvent OnButtonClick() const { return onButtonClick_; }
    void SetOnButtonClick(TZCLButtonPanelClickEvent Value) { onButtonClick_ = Value; }

    // A new button at the end (its index) or before Index.
    int AddButton();
    int InsertButton(int Index);
    // The grid: columns as many as fit across (at least 1, at most the buttons), rows enough for the rest; the
    // panel takes the grid's size and each button its cell.
    void SetBorders();
    void InitBtnStyle();
    // A button's click: OnButtonClick with the button and its place.
    void DoBtnClick(TObject* Sender, int Index);

    // A new size lays the buttons out again (and may change the size once more to fit them).
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;
    void Dispatch(TMessage& Message) override;

private:
    void ButtonsChanged(TObject* Sender);

    std::unique_ptr<TZCLSpecialButtons> buttons_;
    int buttonWidth_ = 20;
    int buttonHeight_ = 20;
    TZCLUserButtonStyle buttonStyle_ = ubsAutoDetect;
    bool wireClicks_ = true;
    bool layingOut_ = false;
    TZCLButtonPanelClickEvent onButtonClick_;
};
