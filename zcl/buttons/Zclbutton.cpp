#include "zcl/buttons/Zclbutton.h"

#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Menus.h"
#include "zcl/components/ZclcontrolPrivate.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclglyph.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

const bool customButtonPublished = [] {
    using B = TZCLCustomButton;
    PublishedProperties<B>()
        .String("About", &B::About, &B::SetAbout)
        .Object("ButtonLayout", &B::ButtonLayout, &B::SetButtonLayout)
        .Boolean("Cancel", &B::Cancel, &B::SetCancel, false)
        .String("Caption", &B::Caption, &B::SetCaption)
        .Integer("Color", &B::Color, &B::SetColor, int(clBtnFace))
        .Boolean("Default", &B::Default, &B::SetDefault, false)
        .Boolean("Enabled", &B::Enabled, &B::SetEnabled, true)
        .Object("Font", &B::Font, &B::SetFont)
        .Object("FontFX", &B::FontFX, &B::SetFontFX)
        .Object("Glyph", &B::Glyph, &B::SetGlyph)
        .Boolean("HideHint", &B::HideHint, &B::SetHideHint, false)
        .Boolean("UseCaption", &B::UseCaption, &B::SetUseCaption, true)
        .Object("ImageList", &B::ImageList, &B::SetImageList)
        .Integer("ImageIndex", &B::ImageIndex, &B::SetImageIndex, 0)
        .Integer("ListIndex", &B::ListIndex, &B::SetListIndex, 0)
        .Integer("ModalResult", &B::ModalResult, [](B* b, int v) { b->SetModalResult(TModalResult(v)); }, 0)
        .Boolean("MultiLine", &B::MultiLine, &B::SetMultiLine, false)
        .Integer("NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs, 1)
        .Boolean("ParentColor", &B::ParentColor, &B::SetParentColor, false)
        .Boolean("ParentFont", &B::ParentFont, &B::SetParentFont, true)
        .Boolean("ParentShowHint", &B::ParentShowHint, &B::SetParentShowHint, true)
        .Boolean("RepeatedClick", &B::RepeatedClick, &B::SetRepeatedClick, false)
        .Integer("RepeatingInterval", &B::RepeatingInterval, &B::SetRepeatingInterval, 100)
        .Integer("RepeatingDelay", &B::RepeatingDelay, &B::SetRepeatingDelay, 500)
        .Boolean("ShowHint", &B::ShowHint, &B::SetShowHint, false)
        .Enumeration("Style", &B::Style, &B::SetStyle, {"nbsAutoDetect", "nbsWin31", "nbsWin40"}, nbsAutoDetect)
        .Integer("TabOrder", &B::TabOrder, &B::SetTabOrder)
        .Boolean("TabStop", &B::TabStop, &B::SetTabStop, true)
        .Boolean("Visible", &B::Visible, &B::SetVisible, true)
        .Event("OnClick", &B::OnClick, &B::SetOnClick)
        .Event("OnEnter", &B::OnEnter, &B::SetOnEnter)
        .Event("OnExit", &B::OnExit, &B::SetOnExit)
        .Event("OnMouseEnter", &B::OnMouseEnter, &B::SetOnMouseEnter)
        .Event("OnMouseExit", &B::OnMouseExit, &B::SetOnMouseExit);
    using D = TZCLButton;
    PublishedProperties<D>()
        .Object("DropDownMenu", &D::DropDownMenu, &D::SetDropDownMenu)
        .Integer("DropDownIndent", &D::DropDownIndent, &D::SetDropDownIndent, 0)
        .Boolean("DropDownRight", &D::DropDownRight, &D::SetDropDownRight, false)
        .Event("OnDropDown", &D::OnDropDown, &D::SetOnDropDown);
    return true;
}();

TZCLUserButtonStyle FaceStyle(TZCLNormalButtonStyle Style)
{
    switch (Style) {
    case nbsWin31: return ubsWin31;
    case nbsWin40: return ubsWin40;
    default: return ubsAutoDetect;
    }
}

}  // namespace

TZCLCustomButton::TZCLCustomButton(TComponent* AOwner)
    : TButton(AOwner),
      buttonLayout_(std::make_unique<TZCLButtonLayout>()),
      canvas_(std::make_unique<TCanvas>()),
      glyph_(std::make_unique<TZCLGlyph>()),
      fontFX_(std::make_unique<TZCLFxCaption>()),
      core_(std::make_unique<TZCLControlCore>(this, TNotifyEvent(this, &TZCLCustomButton::GetIMLChange),
                                              TNotifyEvent(this, &TZCLCustomButton::GetChange)))
{
    SetBounds(Left(), Top(), 75, 25);
    buttonLayout_->SetOnChange(TNotifyEvent(this, &TZCLCustomButton::GetChange));
    glyph_->SetOnChange(TNotifyEvent(this, &TZCLCustomButton::GetChange));
    fontFX_->SetOnChange(TNotifyEvent(this, &TZCLCustomButton::FontFXChanged));
}

TZCLCustomButton::~TZCLCustomButton()
{
    *alive_ = false;
    FreeTimer();
    if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
    buttonLayout_->SetOnChange(TNotifyEvent());
    glyph_->SetOnChange(TNotifyEvent());
    fontFX_->SetOnChange(TNotifyEvent());
}

// Options ------------------------------------------------------------------------------------------------------

void TZCLCustomButton::SetButtonLayout(TZCLButtonLayout* Value) { buttonLayout_->Assign(Value); }

void TZCLCustomButton::SetFontFX(TZCLFxCaption* Value) { fontFX_->Assign(Value); }

TBitmap* TZCLCustomButton::Glyph() const { return glyph_->Glyph(); }

void TZCLCustomButton::SetGlyph(TBitmap* Value)
{
    if (!Loading() && ImageList()) SetImageList(nullptr);
    glyph_->SetGlyph(Value);
}

int TZCLCustomButton::NumGlyphs() const { return glyph_->NumGlyphs(); }

void TZCLCustomButton::SetNumGlyphs(int Value)
{
    if (Value < 1 || Value > 255 || Value == NumGlyphs()) return;
    glyph_->SetNumGlyphs(std::uint8_t(Value));
    Invalidate();
}

TZCLCustomImageList* TZCLCustomButton::ImageList() const { return core_->ImageList(); }

void TZCLCustomButton::SetImageList(TZCLCustomImageList* Value)
{
    core_->SetImageList(Value);
    GetIMLChange(nullptr);
}

int TZCLCustomButton::ImageIndex() const { return core_->ImageIndex(); }

int TZCLCustomButton::ListIndex() const { return core_->ListIndex(); }

void TZCLCustomButton::SetIndex(int Index, int Value)
{
    if (core_->SetIndex(Index, Value) && core_->ImageList()) GetIMLChange(nullptr);
}

TZCLChangeLink* TZCLCustomButton::ChangeLink() const { return core_->ChangeLink(); }

void TZCLCustomButton::SetStyle(TZCLNormalButtonStyle Value)
{
    if (Value == style_) return;
    style_ = Value;
    Invalidate();
}

void TZCLCustomButton::SetMultiLine(bool Value)
{
    if (Value == multiLine_) return;
    multiLine_ = Value;
    Invalidate();
}

void TZCLCustomButton::SetUseCaption(bool Value)
{
    if (Value == useCaption_) return;
    useCaption_ = Value;
    Invalidate();
}

void TZCLCustomButton::SetRepeatedClick(bool Value)
{
    if (Value == repeatedClick_) return;
    repeatedClick_ = Value;
    if (!Value) FreeTimer();
}

void TZCLButton::SetDropDownMenu(TPopupMenu* Value)
{
    if (Value == dropDownMenu_) return;
    if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
    dropDownMenu_ = Value;
    if (dropDownMenu_) dropDownMenu_->FreeNotification(this);
}

void TZCLCustomButton::GetChange(TObject*)
{
    if (!Loading()) Invalidate();
}

// Fonts --------------------------------------------------------------------------------------------------------

void TZCLCustomButton::FontFXChanged(TObject*)
{
    SetParentFont(false);
    turnedCaption_.FontFXChanged(Font(), fontFX_.get());
    GetChange(nullptr);
}

void TZCLCustomButton::FontChanged()
{
    turnedCaption_.FontChanged(Font(), fontFX_.get());
}

// Image list ---------------------------------------------------------------------------------------------------

void TZCLCustomButton::GetIMLChange(TObject*)
{
    ZCLGlyphFromImageList(glyph_.get(), ImageList(), ListIndex(), ImageIndex());
    GetChange(nullptr);
}

// Repeated clicks ----------------------------------------------------------------------------------------------

void TZCLCustomButton::ActivateTimer()
{
    if (timerId_) return;
    timerId_ = ZCLAddButtonTimer(repeatingDelay_, TNotifyEvent(this, &TZCLCustomButton::ExecuteRepeatedClick));
}

void TZCLCustomButton::FreeTimer()
{
    const std::uint16_t id = timerId_;
    if (!id) return;
    timerId_ = 0;
    ZCLApplication->RemoveTimer(id);
}

bool TZCLCustomButton::StillHeld() const
{
    return HandleAllocated() && GetCapture() == const_cast<TZCLCustomButton*>(this)->Handle() &&
           ZCLPrimaryButtonDown();
}

bool TZCLCustomButton::CursorOnButton() const
{
    POINT p;
    if (!GetCursorPos(&p)) return false;
    auto* self = const_cast<TZCLCustomButton*>(this);
    const TRect r = ZCLScreenRect(this, ClientRect());
    return PtInRect(&r, p) && WindowFromPoint(p) == self->Handle();
}

void TZCLCustomButton::ExecuteRepeatedClick(TObject*)
{
    // A release the button never saw (capture taken away, a dialog opened by the click) ends the repeat.
    if (!StillHeld() || !Enabled() || !Showing()) {
        FreeTimer();
        return;
    }
    if (!CursorOnButton()) return;
    if (TZCLTimerItem* item = ZCLApplication->GetTimer(timerId_))
        item->SetInterval(ZCLPoolInterval(repeatingInterval_));
    DoRepeatedClick();
}

void TZCLCustomButton::DoRepeatedClick() { Click(); }

void TZCLCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TButton::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && repeatedClick_ && Enabled()) ActivateTimer();
}

void TZCLCustomButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) FreeTimer();
    TButton::MouseUp(Button, Shift, X, Y);
}

// Clicks and the drop-down menu --------------------------------------------------------------------------------

void TZCLCustomButton::Click()
{
    const std::shared_ptr<bool> alive = alive_;
    TButton::Click();
    if (*alive && dropDownMenu_) DropDown();
}

void TZCLCustomButton::DropDown()
{
    if (!dropDownMenu_ || menuOpen_) return;
    const std::shared_ptr<bool> alive = alive_;
    FreeTimer();
    if (!currentDefault_ && CanFocus()) SetFocus();
    if (!*alive) return;
    menuOpen_ = true;
    const HWND wnd = Handle();
    SendMessageA(wnd, BM_SETSTATE, TRUE, 0);
    if (onDropDown_) onDropDown_(this);
    if (!*alive) return;
    if (dropDownMenu_) {
        ZCLPopupDropDown(dropDownMenu_, this, dropDownRight_, dropDownIndent_);
        if (!*alive) return;
    }
    // The clicks that closed the menu are not the button's.
    ZCLEndDropDownMouse(wnd);
    if (!*alive) return;
    menuOpen_ = false;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETSTATE, FALSE, 0);
    state_ = bsUp;
}

// Painting -----------------------------------------------------------------------------------------------------

void TZCLCustomButton::CreateParams(TCreateParams& Params)
{
    TButton::CreateParams(Params);
    // The system chose the default look from the button's standing; the drawing keeps it.
    currentDefault_ = (Params.Style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    Params.Style = (Params.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TZCLCustomButton::SetButtonStyle(bool ADefault)
{
    if (ADefault == currentDefault_) return;
    currentDefault_ = ADefault;
    Invalidate();
}

void TZCLCustomButton::DrawItem(const DRAWITEMSTRUCT& DrawItemStruct)
{
    const bool disabled = (DrawItemStruct.itemState & ODS_DISABLED) || !Enabled();
    if (disabled)
        state_ = bsDisabledUp;
    else
        state_ = DrawItemStruct.itemState & ODS_SELECTED ? bsDown : bsUp;
    std::uint16_t flags = 0x01;
    if (DrawItemStruct.itemState & ODS_FOCUS)
        flags |= 0x02;
    else if (currentDefault_)
        flags |= 0x20;
    canvas_->SetHandle(DrawItemStruct.hDC);
    try {
        TRect r(DrawItemStruct.rcItem);
        ZCLDrawBtnFace(canvas_.get(), false, r, FaceStyle(style_), state_, flags, Color());
        ZCLDrawButtonGlyphAndText(canvas_.get(), glyph_.get(), Font(), useCaption_ ? Caption() : AnsiString(),
                                  fontFX_.get(), r, state_, buttonLayout_.get(), !disabled, multiLine_);
    } catch (...) {
        canvas_->SetHandle(nullptr);
        throw;
    }
    canvas_->SetHandle(nullptr);
}

// Framework ----------------------------------------------------------------------------------------------------

void TZCLCustomButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const TRect old = BoundsRect();
    TButton::SetBounds(ALeft, ATop, AWidth, AHeight);
    TZCLBoundsChangeStates states;
    if (Left() != old.left || Top() != old.top) states.Include(bcPos);
    if (Width() != old.Width() || Height() != old.Height()) states.Include(bcSize);
    if (!states.Empty() && !Loading()) BoundsChange(states);
}

void TZCLCustomButton::BoundsChange(TZCLBoundsChangeStates) {}

void TZCLCustomButton::Loaded()
{
    TButton::Loaded();
    if (ImageList()) GetIMLChange(nullptr);
}

void TZCLCustomButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TButton::Notification(AComponent, Operation);
    if (core_ && core_->Notification(AComponent, Operation)) GetChange(nullptr);
    if (Operation == opRemove && AComponent == dropDownMenu_) dropDownMenu_ = nullptr;
}

void TZCLCustomButton::DefineProperties(TFiler* Filer)
{
    TButton::DefineProperties(Filer);
    core_->DefineProperties(Filer, Closure<void(TZCLCustomImageList*)>(this, &TZCLCustomButton::SetImageList));
}

void TZCLCustomButton::MouseEnterExit(bool Enter)
{
    if (!Enabled()) return;
    if (Enter) {
        if (onMouseEnter_) onMouseEnter_(this);
    } else if (onMouseExit_) {
        onMouseExit_(this);
    }
}

void TZCLCustomButton::Dispatch(TMessage& Message)
{
    const bool mine = Message.LParam == 0 || Message.LParam == reinterpret_cast<LPARAM>(static_cast<TControl*>(this));
    switch (Message.Msg) {
    case CN_DRAWITEM:
        DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam));
        Message.Result = TRUE;
        return;
    case CN_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
        mis->itemWidth = UINT(Width());
        mis->itemHeight = UINT(Height());
        Message.Result = TRUE;
        return;
    }
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TButton::Dispatch(Message);
        if (mine) MouseEnterExit(Message.Msg == CM_MOUSEENTER);
        return;
    case CM_FONTCHANGED:
        FontChanged();
        break;
    case CM_TEXTCHANGED:
        Invalidate();
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled()) FreeTimer();
        break;
    case CM_VISIBLECHANGED:
        if (!Visible()) FreeTimer();
        break;
    case WM_CAPTURECHANGED:
        if (!HandleAllocated() || HWND(Message.LParam) != Handle()) FreeTimer();
        break;
    case WM_CANCELMODE:
    case WM_KILLFOCUS:
    case WM_DESTROY:
        FreeTimer();
        break;
    default:
        break;
    }
    TButton::Dispatch(Message);
}
