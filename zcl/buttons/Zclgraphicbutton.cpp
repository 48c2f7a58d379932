#include "zcl/buttons/Zclgraphicbutton.h"

#include <algorithm>

#include "framework/runtime/Filer.h"
#include "framework/visual/ActnList.h"
#include "framework/visual/Forms.h"
#include "framework/visual/ImgList.h"
#include "framework/visual/Menus.h"
#include "zcl/components/ZclcontrolPrivate.h"
#include "zcl/components/Zclcustomcontrol.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclglyph.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclregion.h"
#include "zcl/graphics/Zclutilsdraw.h"

bool ZCLGetGlyphKind(TBitmap* Bitmap, TZCLGlyphKind Kind)
{
    if (!Bitmap || Kind == gkCustom) return false;
    TBitmap strip;
    if (!ZCLBmpLoad(nullptr, ZCLGlyphKindResource, &strip)) return false;
    const int x = (int(Kind) - 1) * ZCLGlyphKindWidth;
    if (strip.Width() < x + ZCLGlyphKindWidth) return false;
    Bitmap->Assign(&strip);
    BitBlt(Bitmap->Canvas()->Handle(), 0, 0, ZCLGlyphKindWidth, strip.Height(), strip.Canvas()->Handle(), x, 0,
           SRCCOPY);
    Bitmap->SetWidth(ZCLGlyphKindWidth);
    return true;
}

int ZCLGetButtonBevel(TZCLUserButtonStyle Style)
{
    if (Style == ubsAutoDetect) Style = NewStyleControls ? ubsWin40 : ubsWin31;
    switch (Style) {
    case ubsWin31: return 3;
    case ubsWin40:
    case ubsVesto:
    case ubsVestoFlat:
    case ubsNavigator:
    case ubsIntegrated: return 2;
    default: return 1;
    }
}

namespace {

const bool graphicButtonPublished = [] {
    using B = TZCLBaseGraphicButton;
    PublishedProperties<B>()
        .String("About", &B::About, &B::SetAbout)
        .Object("ButtonLayout", &B::ButtonLayout, &B::SetButtonLayout)
        .String("Caption", &B::Caption, &B::SetCaption)
        .Integer("Color", &B::Color, &B::SetColor, int(clBtnFace))
        .Boolean("Enabled", &B::Enabled, &B::SetEnabled, true)
        .Integer("EnterColor", &B::EnterColor, &B::SetEnterColor, int(clCaptionText))
        .Boolean("EnterColorChange", &B::EnterColorChange, &B::SetEnterColorChange, false)
        .Object("Glyph", &B::Glyph, &B::SetGlyph)
        .Object("Font", &B::Font, &B::SetFont)
        .Object("FontFX", &B::FontFX, &B::SetFontFX)
        .Boolean("HideHint", &B::HideHint, &B::SetHideHint, false)
        .Object("ImageList", &B::ImageList, &B::SetImageList)
        .Integer("ImageIndex", &B::ImageIndex, [](B* b, int v) { b->SetIndex(0, v); }, 0)
        .Integer("ListIndex", &B::ListIndex, &B::SetListIndex, 0)
        .Boolean("MultiLine", &B::MultiLine, &B::SetMultiLine, false)
        .Integer("NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs, 1)
        .Boolean("ParentFont", &B::ParentFont, &B::SetParentFont, true)
        .Boolean("ParentShowHint", &B::ParentShowHint, &B::SetParentShowHint, true)
        .Boolean("RepeatedClick", &B::RepeatedClick, &B::SetRepeatedClick, false)
        .Integer("RepeatingInterval", &B::RepeatingInterval, &B::SetRepeatingInterval, 100)
        .Integer("RepeatingDelay", &B::RepeatingDelay, &B::SetRepeatingDelay, 500)
        .Boolean("ShowHint", &B::ShowHint, &B::SetShowHint, false)
        .Boolean("UseCaption", &B::UseCaption, &B::SetUseCaption, true)
        .Boolean("Visible", &B::Visible, &B::SetVisible, true)
        .Event("OnClick", &B::OnClick, &B::SetOnClick)
        .Event("OnDblClick", &B::OnDblClick, &B::SetOnDblClick)
        .Event("OnDropDown", &B::OnDropDown, &B::SetOnDropDown)
        .Event("OnMouseDown", &B::OnMouseDown, &B::SetOnMouseDown)
        .Event("OnMouseMove", &B::OnMouseMove, &B::SetOnMouseMove)
        .Event("OnMouseUp", &B::OnMouseUp, &B::SetOnMouseUp)
        .Event("OnMouseEnter", &B::OnMouseEnter, &B::SetOnMouseEnter)
        .Event("OnMouseExit", &B::OnMouseExit, &B::SetOnMouseExit)
        .Object("Action", &B::Action, &B::SetAction);
    return true;
}();

}  // namespace

TZCLBaseGraphicButton::TZCLBaseGraphicButton(TComponent* AOwner)
    : TZCLBaseControl(AOwner),
      fontFX_(std::make_unique<TZCLFxCaption>()),
      buttonLayout_(std::make_unique<TZCLButtonLayout>()),
      glyph_(std::make_unique<TZCLGlyph>())
{
    // Clicks and double clicks are the button's own business (group toggles come before the click).
    TControlStyle style = ControlStyle();
    style.Exclude(csClickEvents);
    style.Exclude(csDoubleClicks);
    style.Include(csCaptureMouse);
    style.Include(csOpaque);
    SetControlStyle(style);
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 25, 25);
    fontFX_->SetOnChange(TNotifyEvent(this, &TZCLBaseGraphicButton::FontFXChanged));
    buttonLayout_->SetOnChange(TNotifyEvent(this, &TZCLBaseGraphicButton::GetChange));
    glyph_->SetOnChange(TNotifyEvent(this, &TZCLBaseGraphicButton::GetChange));
}

TZCLBaseGraphicButton::~TZCLBaseGraphicButton()
{
    *alive_ = false;
    DeActivateTimer(ZCLMouseOverTimer);
    DeActivateTimer(ZCLRepeatTimer);
    if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
    fontFX_->SetOnChange(TNotifyEvent());
    buttonLayout_->SetOnChange(TNotifyEvent());
    glyph_->SetOnChange(TNotifyEvent());
}

// Options ------------------------------------------------------------------------------------------------------

void TZCLBaseGraphicButton::SetFontFX(TZCLFxCaption* Value) { fontFX_->Assign(Value); }

void TZCLBaseGraphicButton::SetButtonLayout(TZCLButtonLayout* Value) { buttonLayout_->Assign(Value); }

TBitmap* TZCLBaseGraphicButton::Glyph() const { return glyph_->Glyph(); }

void TZCLBaseGraphicButton::SetGlyph(TBitmap* Value)
{
    if (!Loading() && ImageList()) SetImageList(nullptr);
    glyph_->SetGlyph(Value);
}

int TZCLBaseGraphicButton::NumGlyphs() const { return glyph_->NumGlyphs(); }

void TZCLBaseGraphicButton::SetNumGlyphs(int Value)
{
    if (Value < 1 || Value > 255 || Value == NumGlyphs()) return;
    glyph_->SetNumGlyphs(std::uint8_t(Value));
    Redraw();
}

void TZCLBaseGraphicButton::SetDropDownMenu(TPopupMenu* Value)
{
    if (Value == dropDownMenu_) return;
    if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
    dropDownMenu_ = Value;
    if (dropDownMenu_) dropDownMenu_->FreeNotification(this);
    Redraw();
}

void TZCLBaseGraphicButton::SetDropDownCombo(bool Value)
{
    if (Value == dropDownCombo_) return;
    dropDownCombo_ = Value;
    if (!Loading()) SetWidth(Width() + (Value ? dropDownComboWidth_ : -dropDownComboWidth_));
    Redraw();
}

void TZCLBaseGraphicButton::SetDropDownComboWidth(int Value)
{
    Value = std::max(Value, 0);
    if (Value == dropDownComboWidth_) return;
    const int difference = Value - dropDownComboWidth_;
    dropDownComboWidth_ = Value;
    if (dropDownCombo_ && !Loading()) SetWidth(Width() + difference);
    Redraw();
}

TRect TZCLBaseGraphicButton::ArrowRect() const
{
    if (!HasArrowPart()) return TRect(Width(), 0, Width(), Height());
    return TRect(std::max(0, Width() - dropDownComboWidth_), 0, Width(), Height());
}

TRect TZCLBaseGraphicButton::MainRect() const
{
    const TRect arrow = ArrowRect();
    return TRect(0, 0, arrow.left, Height());
}

void TZCLBaseGraphicButton::SetEnterColor(TColor Value)
{
    if (Value == enterColor_) return;
    enterColor_ = Value;
    if (mouseOver_ && enterColorChange_) Redraw();
}

void TZCLBaseGraphicButton::SetEnterColorChange(bool Value)
{
    if (Value == enterColorChange_) return;
    enterColorChange_ = Value;
    if (mouseOver_) Redraw();
}

void TZCLBaseGraphicButton::SetTrackMouseOver(bool Value)
{
    if (Value == trackMouseOver_) return;
    trackMouseOver_ = Value;
    if (Value) return;
    DeActivateTimer(ZCLMouseOverTimer);
    if (state_ == bsMouseOver) StateChange(bsUp);
}

void TZCLBaseGraphicButton::SetTransparent(bool Value)
{
    if (Value == transparent_) return;
    transparent_ = Value;
    UpdateOpaque();
    Invalidate();
}

void TZCLBaseGraphicButton::UpdateOpaque() { ZCLSetOpaque(this, !transparent_); }

void TZCLBaseGraphicButton::SetMultiLine(bool Value)
{
    if (Value == multiLine_) return;
    multiLine_ = Value;
    Redraw();
}

void TZCLBaseGraphicButton::SetUseCaption(bool Value)
{
    if (Value == useCaption_) return;
    useCaption_ = Value;
    Redraw();
}

std::uint16_t TZCLBaseGraphicButton::TimerId(int Index) const
{
    return Index == ZCLMouseOverTimer || Index == ZCLRepeatTimer ? timerIds_[Index] : 0;
}

// Groups -------------------------------------------------------------------------------------------------------

void TZCLBaseGraphicButton::SetGroupIndex(int Value)
{
    if (Value == groupIndex_) return;
    groupIndex_ = Value;
    if (!down_) return;
    if (Value == 0) {
        // Outside a group nothing could release it again.
        down_ = false;
        StateChange(IdleState());
    } else {
        InformOptionSet();
    }
}

void TZCLBaseGraphicButton::SetAllowAllUp(bool Value)
{
    if (Value == allowAllUp_) return;
    allowAllUp_ = Value;
    InformOptionSet();
}

void TZCLBaseGraphicButton::SetPressed(bool Value)
{
    if (groupIndex_ == 0 || Value == down_) return;
    if (!Value && !allowAllUp_) return;
    down_ = Value;
    StateChange(IdleState());
    if (Value) InformOptionSet();
}

void TZCLBaseGraphicButton::InformOptionSet()
{
    if (groupIndex_ == 0 || !Parent()) return;
    TMessage message{CM_BUTTONPRESSED, WPARAM(groupIndex_), reinterpret_cast<LPARAM>(static_cast<TControl*>(this)), 0};
    Parent()->Broadcast(message);
}

void TZCLBaseGraphicButton::ButtonPressed(TMessage& Message)
{
    if (groupIndex_ == 0 || int(Message.WParam) != groupIndex_) return;
    auto* sender = dynamic_cast<TZCLBaseGraphicButton*>(reinterpret_cast<TControl*>(Message.LParam));
    if (!sender || sender == this) return;
    if (sender->down_ && down_) {
        down_ = false;
        StateChange(IdleState());
    }
    allowAllUp_ = sender->allowAllUp_;
}

// States -------------------------------------------------------------------------------------------------------

TZCLButtonState TZCLBaseGraphicButton::IdleState() const
{
    if (!Enabled()) return down_ ? bsDisabledDown : bsDisabledUp;
    if (down_) return bsOptionSet;
    return trackMouseOver_ && mouseOver_ ? bsMouseOver : bsUp;
}

TZCLButtonState TZCLBaseGraphicButton::DrawState() const
{
    return state_ == bsUp && mouseOver_ ? bsMouseOver : state_;
}

bool TZCLBaseGraphicButton::MDIInactive() const
{
    const TCustomForm* form = GetParentForm(this);
    if (!form || (form->FormStyle() != fsMDIForm && form->FormStyle() != fsMDIChild)) return false;
    return !Application->Active();
}

void TZCLBaseGraphicButton::StateChange(TZCLButtonState NewState)
{
    if (NewState == state_) return;
    // Inactive MDI windows show no mouse-over; what code and clicks set is always shown.
    if (NewState == bsMouseOver && MDIInactive()) return;
    prevState_ = state_;
    state_ = NewState;
    const bool mouseOverOnly = (prevState_ == bsUp && state_ == bsMouseOver) ||
                               (prevState_ == bsMouseOver && state_ == bsUp);
    if (!mouseOverOnly || MouseOverChangesLook()) Redraw();
}

bool TZCLBaseGraphicButton::MouseOverChangesLook()
{
    return glyph_->NumGlyphs() >= 3 || glyph_->Style() == gsExplorer || enterColorChange_;
}

void TZCLBaseGraphicButton::MouseOverChanged()
{
    if (MouseOverChangesLook()) Redraw();
}

void TZCLBaseGraphicButton::SetMouseOver(bool Value)
{
    if (Value == mouseOver_) return;
    if (Value && (!Enabled() || !Visible())) return;
    mouseOver_ = Value;
    if (Value) {
        if (trackMouseOver_ && state_ == bsUp && !dragging_) StateChange(bsMouseOver);
        MouseOverChanged();
        MouseEnter();
        if (trackMouseOver_ && mouseOver_)
            ActivateTimer(ZCLMouseOverTimer, ZCLMouseOverPollInterval,
                          TNotifyEvent(this, &TZCLBaseGraphicButton::VerifyMouseOver));
    } else {
        DeActivateTimer(ZCLMouseOverTimer);
        if (state_ == bsMouseOver) StateChange(bsUp);
        MouseOverChanged();
        MouseExit();
    }
}

void TZCLBaseGraphicButton::VerifyMouseOver(TObject*)
{
    POINT p;
    if (!GetCursorPos(&p)) return;
    const TRect r = GetScreenRect(ClientRect());
    if (!Showing() || !PtInRect(&r, p)) SetMouseOver(false);
}

void TZCLBaseGraphicButton::Redraw()
{
    if (Loading()) return;
    if (ControlStyle().Contains(csOpaque))
        Repaint();
    else
        Invalidate();
}

void TZCLBaseGraphicButton::GetChange(TObject*) { Redraw(); }

void TZCLBaseGraphicButton::ShapeButtonColorChange() { Redraw(); }

// Timers and repeated clicks -----------------------------------------------------------------------------------

void TZCLBaseGraphicButton::ActivateTimer(int Index, std::uint16_t Interval, TNotifyEvent Handler)
{
    if (Index != ZCLMouseOverTimer && Index != ZCLRepeatTimer) return;
    if (timerIds_[Index]) return;
    timerIds_[Index] = ZCLAddButtonTimer(Interval, Handler);
}

void TZCLBaseGraphicButton::DeActivateTimer(int Index)
{
    if (Index != ZCLMouseOverTimer && Index != ZCLRepeatTimer) return;
    const std::uint16_t id = timerIds_[Index];
    if (!id) return;
    timerIds_[Index] = 0;
    ZCLApplication->RemoveTimer(id);
}

bool TZCLBaseGraphicButton::StillHeld() const
{
    return dragging_ && MouseCapture() && ZCLPrimaryButtonDown();
}

void TZCLBaseGraphicButton::ExecuteRepeatedClick(TObject*)
{
    // A release the button never saw (capture taken away, a dialog opened by the click) ends the repeat.
    if (!StillHeld()) {
        EndRepeatedClick();
        return;
    }
    POINT p;
    if (!GetCursorPos(&p)) return;
    const TPoint local = ScreenToClient(TPoint(p.x, p.y));
    if (!OnButton(local.x, local.y)) return;
    if (TZCLTimerItem* item = ZCLApplication->GetTimer(timerIds_[ZCLRepeatTimer]))
        item->SetInterval(ZCLPoolInterval(repeatingInterval_));
    DoRepeatedClick();
}

void TZCLBaseGraphicButton::EndRepeatedClick()
{
    DeActivateTimer(ZCLRepeatTimer);
    if (dragging_ && !StillHeld()) EndDrag();
}

void TZCLBaseGraphicButton::DoRepeatedClick() { Click(); }

void TZCLBaseGraphicButton::EndDrag()
{
    DeActivateTimer(ZCLRepeatTimer);
    if (!dragging_) return;
    dragging_ = false;
    if (MouseCapture()) SetMouseCapture(false);
    StateChange(IdleState());
}

void TZCLBaseGraphicButton::StopActivity()
{
    DeActivateTimer(ZCLMouseOverTimer);
    EndDrag();
}

// Mouse --------------------------------------------------------------------------------------------------------

bool TZCLBaseGraphicButton::VerifyTransparency(int X, int Y) { return X >= 0 && X < Width() && Y >= 0 && Y < Height(); }

bool TZCLBaseGraphicButton::OnButton(int X, int Y)
{
    if (hitTest_) return VerifyTransparency(X, Y);
    return X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
}

void TZCLBaseGraphicButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TZCLBaseControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled() || !OnButton(X, Y)) return;
    if (dropDownMenu_) {
        if (state_ == bsDropDownOpen) return;
        if (!dropDownCombo_ || X >= ArrowRect().left) {
            DropDown();
            return;
        }
    }
    dragging_ = true;
    if (groupIndex_ != 0 && down_) {
        StateChange(bsOptionSet);
        return;
    }
    StateChange(bsDown);
    if (repeatedClick_)
        ActivateTimer(ZCLRepeatTimer, repeatingDelay_, TNotifyEvent(this, &TZCLBaseGraphicButton::ExecuteRepeatedClick));
}

void TZCLBaseGraphicButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TZCLBaseControl::MouseMove(Shift, X, Y);
    if (!Enabled() || state_ == bsDropDownOpen) return;
    const bool inside = OnButton(X, Y);
    if (dragging_) {
        // The release went elsewhere.
        if (!Shift.Contains(ssLeft)) {
            EndDrag();
            return;
        }
        StateChange(down_ ? bsOptionSet : inside ? bsDown : bsUp);
    } else if (trackMouseOver_) {
        SetMouseOver(inside);
        if (inside && state_ == bsUp) StateChange(bsMouseOver);
    }
}

void TZCLBaseGraphicButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TZCLBaseControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    DeActivateTimer(ZCLRepeatTimer);
    if (!dragging_) return;
    dragging_ = false;
    if (!Enabled()) return;
    const bool inside = OnButton(X, Y);
    const TZCLButtonState up = trackMouseOver_ && inside ? bsMouseOver : bsUp;
    if (groupIndex_ != 0) {
        if (!inside) {
            StateChange(down_ ? bsOptionSet : bsUp);
        } else if (!down_) {
            down_ = true;
            StateChange(bsOptionSet);
            InformOptionSet();
        } else if (allowAllUp_) {
            down_ = false;
            StateChange(up);
        } else {
            StateChange(bsOptionSet);
        }
    } else {
        StateChange(up);
    }
    if (inside) Click();
}

void TZCLBaseGraphicButton::Click() { TZCLBaseControl::Click(); }

// Drop-down menu -----------------------------------------------------------------------------------------------

void TZCLBaseGraphicButton::DropDown()
{
    if (!dropDownMenu_ || state_ == bsDropDownOpen) return;
    DeActivateTimer(ZCLRepeatTimer);
    dragging_ = false;
    StateChange(bsDropDownOpen);
    const std::shared_ptr<bool> alive = alive_;
    if (onDropDown_) onDropDown_(this);
    if (!*alive) return;
    if (!dropDownMenu_) {
        StateChange(IdleState());
        return;
    }
    ZCLPopupDropDown(dropDownMenu_, this, dropDownRight_, dropDownIndent_);
    if (!*alive) return;
    // The clicks that closed the menu are not the button's (nor any window's: the button has none of its own).
    ZCLEndDropDownMouse(nullptr);
    if (!*alive) return;
    POINT p;
    bool inside = false;
    if (GetCursorPos(&p)) {
        const TPoint local = ScreenToClient(TPoint(p.x, p.y));
        inside = OnButton(local.x, local.y);
    }
    StateChange(inside && Enabled() && !down_ ? bsMouseOver : IdleState());
}

// Painting -----------------------------------------------------------------------------------------------------

TZCLDrawTextStyles TZCLBaseGraphicButton::TextStyles() const { return ZCLButtonTextStyles(Enabled()); }

void TZCLBaseGraphicButton::DrawGlyphAndText(TCanvas* Canvas, const TRect& R)
{
    if (!Canvas) return;
    TRect r = R;
    const TZCLButtonState state = DrawState();
    if (pressedOffset_ && (state == bsOptionSet || state == bsDown || state == bsDropDownOpen))
        OffsetRect(&r, pressedOffset_, pressedOffset_);
    const TColor colour = enterColorChange_ && mouseOver_ && Enabled() ? enterColor_ : clNone;
    ZCLDrawButtonGlyphAndText(Canvas, glyph_.get(), Font(), useCaption_ ? Caption() : AnsiString(), fontFX_.get(), r,
                              state, buttonLayout_.get(), Enabled(), multiLine_, colour);
}

bool TZCLBaseGraphicButton::CheckOptimized()
{
    return !ControlStyle().Contains(csOpaque) && ZCLParentSuppliesBack(this);
}

bool TZCLBaseGraphicButton::DrawParentBack(TCanvas* Canvas, const TRect& R)
{
    if (!Canvas || !CheckOptimized()) return false;
    if (TZCLBackSupplier* supplier = ZCLBackSupplier(this))
        return supplier->BackDrawArea(Canvas, R, BackMapPoint(0, 0), 0);
    // A form's shape holds its picture in the form's client coordinates: the part under the button starts where
    // the button stands.
    TZCLFormShape* shape = ZCLFormShapeOf(dynamic_cast<TCustomForm*>(Parent()));
    if (!shape) return false;
    shape->BackDrawArea(Canvas, R, TPoint(Left() + R.left, Top() + R.top));
    return true;
}

// Fonts, image lists, actions ----------------------------------------------------------------------------------

void TZCLBaseGraphicButton::FontFXChanged(TObject*)
{
    turnedCaption_.FontFXChanged(Font(), fontFX_.get());
    Redraw();
}

void TZCLBaseGraphicButton::FontChanged()
{
    turnedCaption_.FontChanged(Font(), fontFX_.get());
}

void TZCLBaseGraphicButton::GetIMLChange(TObject*)
{
    if (!IsCustom()) return;
    ZCLGlyphFromImageList(glyph_.get(), ImageList(), ListIndex(), ImageIndex());
    Redraw();
}

void TZCLBaseGraphicButton::ActionChange(TObject* Sender, bool CheckDefaults)
{
    TZCLBaseControl::ActionChange(Sender, CheckDefaults);
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action || !ActionChangeable()) return;
    if (CheckDefaults && !Glyph()->Empty()) return;
    TCustomImageList* images = action->ActionList() ? action->ActionList()->Images() : nullptr;
    const int index = action->ImageIndex();
    TBitmap image;
    if (images && index >= 0 && index < images->Count()) {
        image.SetPixelFormat(pf24bit);
        image.SetSize(images->Width(), images->Height());
        image.Canvas()->Brush()->SetColor(clFuchsia);
        image.Canvas()->FillRect(TRect(0, 0, images->Width(), images->Height()));
        images->Draw(image.Canvas(), 0, 0, index, true);
        image.SetTransparentColor(clFuchsia);
    }
    glyph_->SetGlyph(&image);
}

void TZCLBaseGraphicButton::Loaded()
{
    TZCLBaseControl::Loaded();
    if (ImageList()) GetIMLChange(nullptr);
    state_ = IdleState();
}

void TZCLBaseGraphicButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLBaseControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == dropDownMenu_) dropDownMenu_ = nullptr;
}

// Messages -----------------------------------------------------------------------------------------------------

void TZCLBaseGraphicButton::EnabledChanged()
{
    if (Enabled()) {
        StateChange(IdleState());
        return;
    }
    StopActivity();
    if (mouseOver_) {
        // MouseExit fires only for enabled controls; the crossing still ends.
        mouseOver_ = false;
        DeActivateTimer(ZCLMouseOverTimer);
        if (OnMouseExit()) OnMouseExit()(this);
    }
    StateChange(IdleState());
}

bool TZCLBaseGraphicButton::DialogChar(TMessage& Message)
{
    // Only a button the user can see and press: its parents shown and enabled too.
    if (!Enabled() || !Showing() || !IsAccel(WORD(Message.WParam), Caption())) return false;
    for (const TWinControl* parent = Parent(); parent; parent = parent->Parent())
        if (!parent->Enabled()) return false;
    if (dropDownMenu_) {
        StateChange(bsMouseOver);
        DropDown();
        return true;
    }
    if (groupIndex_ != 0) {
        if (!down_)
            SetPressed(true);
        else if (allowAllUp_)
            SetPressed(false);
    }
    Click();
    return true;
}

void TZCLBaseGraphicButton::Dispatch(TMessage& Message)
{
    const bool mine = Message.LParam == 0 || Message.LParam == reinterpret_cast<LPARAM>(static_cast<TControl*>(this));
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        // Enter and exit come from here and from the poll; SetMouseOver fires each once.
        if (mine) SetMouseOver(true);
        return;
    case CM_MOUSELEAVE:
        if (mine) SetMouseOver(false);
        return;
    case CM_BUTTONPRESSED:
        ButtonPressed(Message);
        return;
    case CM_DIALOGCHAR:
        if (DialogChar(Message)) Message.Result = 1;
        return;
    case CM_ENABLEDCHANGED:
        EnabledChanged();
        break;
    case CM_VISIBLECHANGED:
        if (!Visible()) {
            StopActivity();
            SetMouseOver(false);
        }
        break;
    case CM_FONTCHANGED:
        FontChanged();
        break;
    case CM_COLORCHANGED:
        ShapeButtonColorChange();
        return;
    case WM_CANCELMODE:
        TZCLBaseControl::Dispatch(Message);
        StopActivity();
        return;
    case WM_LBUTTONDBLCLK: {
        const std::shared_ptr<bool> alive = alive_;
        TZCLBaseControl::Dispatch(Message);
        if (*alive && down_) DblClick();
        return;
    }
    default:
        break;
    }
    TZCLBaseControl::Dispatch(Message);
}
