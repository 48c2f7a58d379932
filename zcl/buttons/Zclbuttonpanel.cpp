#include "zcl/buttons/Zclbuttonpanel.h"

#include <algorithm>

#include "framework/runtime/Filer.h"
#include "zcl/buttons/Zclspeedbutton.h"
#include "zcl/graphics/Zclbevel.h"

namespace {

const bool buttonPanelPublished = [] {
    using P = TZCLButtonPanel;
    PublishedProperties<P>()
        .Object("Buttons", &P::Buttons, &P::SetButtons)
        .Integer("ButtonHeight", &P::ButtonHeight, &P::SetButtonHeight, 20)
        .Integer("ButtonWidth", &P::ButtonWidth, &P::SetButtonWidth, 20)
        .Enumeration("ButtonStyle", &P::ButtonStyle, &P::SetButtonStyle,
                     {"ubsAutoDetect", "ubsWin31", "ubsWin40", "ubsVesto", "ubsVestoFlat", "ubsFlat",
                      "ubsFlatUnColored", "ubsNavigator", "ubsExplorer", "ubsExplorerColored", "ubsIntegrated"},
                     ubsAutoDetect)
        .Event("OnButtonClick", &P::OnButtonClick, &P::SetOnButtonClick);
    return true;
}();

}  // namespace

TZCLButtonPanel::TZCLButtonPanel(TComponent* AOwner)
    : TZCLCustomPanelFill(AOwner), buttons_(std::make_unique<TZCLSpecialButtons>(this))
{
    buttons_->SetOnUpdate(TNotifyEvent(this, &TZCLButtonPanel::ButtonsChanged));
}

TZCLButtonPanel::~TZCLButtonPanel()
{
    buttons_->SetOnUpdate(TNotifyEvent());
    buttons_->SetOnButtonClick(TZCLSpecialButtonClickEvent());
    buttons_.reset();
}

void TZCLButtonPanel::SetButtons(TZCLSpecialButtons* Value) { buttons_->Assign(Value); }

void TZCLButtonPanel::SetButtonWidth(int Value)
{
    // A zero cell would divide the layout by zero.
    Value = std::max(Value, 1);
    if (Value == buttonWidth_) return;
    buttonWidth_ = Value;
    SetBorders();
}

void TZCLButtonPanel::SetButtonHeight(int Value)
{
    Value = std::max(Value, 1);
    if (Value == buttonHeight_) return;
    buttonHeight_ = Value;
    SetBorders();
}

void TZCLButtonPanel::SetButtonStyle(TZCLUserButtonStyle Value)
{
    if (Value == buttonStyle_) return;
    buttonStyle_ = Value;
    InitBtnStyle();
}

int TZCLButtonPanel::AddButton()
{
    TZCLSpecialButton* item = buttons_->Add();
    SetBorders();
    return item->Index();
}

int TZCLButtonPanel::InsertButton(int Index)
{
    Index = std::clamp(Index, 0, buttons_->Count());
    auto* item = static_cast<TZCLSpecialButton*>(buttons_->Insert(Index));
    SetBorders();
    return item->Index();
}

void TZCLButtonPanel::InitBtnStyle()
{
    for (int i = 0; i < buttons_->Count(); ++i) buttons_->Items(i)->SpeedButton()->SetStyle(buttonStyle_);
}

void TZCLButtonPanel::ButtonsChanged(TObject*) { SetBorders(); }

void TZCLButtonPanel::DoBtnClick(TObject* Sender, int)
{
    auto* item = dynamic_cast<TZCLSpecialButton*>(Sender);
    if (!item || !onButtonClick_) return;
    TZCLSpeedButton* button = item->SpeedButton();
    onButtonClick_(this, button, button->Tag());
}

void TZCLButtonPanel::SetBorders()
{
    if (layingOut_ || Loading() || ComponentState().Contains(csDestroying)) return;
    const int count = buttons_->Count();
    if (count == 0) return;
    layingOut_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{layingOut_};

    const int bevel = Bevel()->Mode() == bmWindows ? 0 : BevelExt();
    const TRect client = ClientRect();
    const int innerWidth = client.Width() - 2 * bevel;
    const int innerHeight = client.Height() - 2 * bevel;
    const int columns = std::clamp(innerWidth / buttonWidth_, 1, count);
    int rows = 1;
    if (columns < count) {
        rows = innerHeight / buttonHeight_;
        if (columns == 1) rows = std::min(rows, count);
        rows = std::max(rows, 1);
        while (rows > 1 && count < columns * rows) --rows;
        while (count > columns * rows) ++rows;
    }
    // The window's own border stays round the grid (the bevel's Windows mode).
    const int frameWidth = Width() - client.Width();
    const int frameHeight = Height() - client.Height();
    SetBounds(Left(), Top(), columns * buttonWidth_ + 2 * bevel + frameWidth,
              rows * buttonHeight_ + 2 * bevel + frameHeight);
    buttons_->SetOnButtonClick(wireClicks_ ? TZCLSpecialButtonClickEvent(this, &TZCLButtonPanel::DoBtnClick)
                                           : TZCLSpecialButtonClickEvent());
    for (int i = 0; i < count; ++i) {
        TZCLSpeedButton* button = buttons_->Items(i)->SpeedButton();
        button->SetTag(i);
        button->SetStyle(buttonStyle_);
        button->SetBounds(bevel + (i % columns) * buttonWidth_, bevel + ((i / columns) % rows) * buttonHeight_,
                          buttonWidth_, buttonHeight_);
    }
}

void TZCLButtonPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const bool resized = AWidth != Width() || AHeight != Height();
    TZCLCustomPanelFill::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (resized) SetBorders();
}

void TZCLButtonPanel::Loaded()
{
    TZCLCustomPanelFill::Loaded();
    SetBorders();
}

void TZCLButtonPanel::Dispatch(TMessage& Message)
{
    TZCLCustomPanelFill::Dispatch(Message);
    if (Message.Msg == WM_SIZE) SetBorders();
}
