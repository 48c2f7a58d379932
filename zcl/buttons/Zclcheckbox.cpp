#include "zcl/buttons/Zclcheckbox.h"

#include <algorithm>

#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Menus.h"
#include "zcl/buttons/Zclbuttonface.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclgraph.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

const bool checkBoxPublished = [] {
    using B = TZCLCustomCheckBox;
    PublishedProperties<B>()
        .String("About", &B::About, &B::SetAbout)
        .Boolean("AllowGrayed", &B::AllowGrayed, &B::SetAllowGrayed, false)
        .Object("Alignment", &B::Alignment, &B::SetAlignment)
        .Boolean("AutoSize", &B::AutoSize, &B::SetAutoSize, false)
        .String("Caption", &B::Caption, &B::SetCaption)
        .Integer("Color", &B::Color, &B::SetColor, int(clBtnFace))
        .Boolean("Ctl3D", &B::Ctl3D, &B::SetCtl3D, true)
        .Integer("Cursor", &B::Cursor, &B::SetCursor, 0)
        .Boolean("Enabled", &B::Enabled, &B::SetEnabled, true)
        .Boolean("Flat", &B::Flat, &B::SetFlat, false)
        .Integer("FocusColor", &B::FocusColor, &B::SetFocusColor, int(RGB(128, 128, 128)))
        .Enumeration("FocusStyle", &B::FocusStyle, &B::SetFocusStyle,
                     {"fcControl", "fcText", "fcGlyph", "fcGlyphText", "fcNone"}, fcText)
        .Object("Font", &B::Font, &B::SetFont)
        .Object("Font3D", &B::Font3D, &B::SetFont3D)
        .Boolean("GlyphTransparent", &B::GlyphTransparent, &B::SetGlyphTransparent, false)
        .Integer("GlyphTransparentColor", &B::GlyphTransparentColor, &B::SetGlyphTransparentColor, int(clBtnFace))
        .Boolean("GlyphFlat", &B::GlyphFlat, &B::SetGlyphFlat, false)
        .Integer("GlyphNumber", &B::GlyphNumber, &B::SetGlyphNumber, 3)
        .Integer("GlyphSize", &B::GlyphSize, &B::SetGlyphSize, 13)
        .Integer("Height", &B::Height, &B::SetHeight)
        .String("Hint", &B::Hint, &B::SetHint)
        .Object("ImageList", &B::ImageList, &B::SetImageList)
        .Integer("ImageIndex", &B::ImageIndex, [](B* b, int v) { b->SetIndex(0, v); }, 0)
        .Integer("Left", &B::Left, &B::SetLeft)
        .Integer("ListIndex", &B::ListIndex, &B::SetListIndex, 0)
        .Boolean("ParentColor", &B::ParentColor, &B::SetParentColor, false)
        .Boolean("ParentCtl3D", &B::ParentCtl3D, &B::SetParentCtl3D, true)
        .Boolean("ParentFont", &B::ParentFont, &B::SetParentFont, true)
        .Boolean("ParentShowHint", &B::ParentShowHint, &B::SetParentShowHint, true)
        .Object("PopupMenu", &B::PopupMenu, &B::SetPopupMenu)
        .Boolean("ReadOnly", &B::ReadOnly, &B::SetReadOnly, false)
        .Boolean("ShowHint", &B::ShowHint, &B::SetShowHint, false)
        .Enumeration("State", &B::State, &B::SetState, {"cbUnchecked", "cbChecked", "cbGrayed"}, cbUnchecked)
        .Integer("TabOrder", &B::TabOrder, &B::SetTabOrder)
        .Boolean("TabStop", &B::TabStop, &B::SetTabStop, true)
        .Integer("Tag", &B::Tag, &B::SetTag, 0)
        .Integer("Top", &B::Top, &B::SetTop)
        .Boolean("Transparent", &B::Transparent, &B::SetTransparent, false)
        .Boolean("UseBitmap", &B::UseBitmap, &B::SetUseBitmap, false)
        .Boolean("UseFocusColor", &B::UseFocusColor, &B::SetUseFocusColor, false)
        .Boolean("Visible", &B::Visible, &B::SetVisible, true)
        .Integer("Width", &B::Width, &B::SetWidth)
        .Event("OnClick", &B::OnClick, &B::SetOnClick)
        .Event("OnChange", &B::OnChange, &B::SetOnChange)
        .Event("OnDblClick", &B::OnDblClick, &B::SetOnDblClick)
        .Event("OnEnter", &B::OnEnter, &B::SetOnEnter)
        .Event("OnExit", &B::OnExit, &B::SetOnExit)
        .Event("OnKeyDown", &B::OnKeyDown, &B::SetOnKeyDown)
        .Event("OnKeyPress", &B::OnKeyPress, &B::SetOnKeyPress)
        .Event("OnKeyUp", &B::OnKeyUp, &B::SetOnKeyUp)
        .Event("OnMouseDown", &B::OnMouseDown, &B::SetOnMouseDown)
        .Event("OnMouseMove", &B::OnMouseMove, &B::SetOnMouseMove)
        .Event("OnMouseUp", &B::OnMouseUp, &B::SetOnMouseUp)
        .Event("OnMouseEnter", &B::OnMouseEnter, &B::SetOnMouseEnter)
        .Event("OnMouseExit", &B::OnMouseExit, &B::SetOnMouseExit)
        .Object("Action", &B::Action, &B::SetAction);
    return true;
}();

}  // namespace

// TZCLButtonActionLink -----------------------------------------------------------------------------------------

TZCLButtonActionLink::TZCLButtonActionLink(TZCLButtonControl* Client) : TControlActionLink(Client), client_(Client) {}

bool TZCLButtonActionLink::IsCheckedLinked() const
{
    return TControlActionLink::IsCheckedLinked() && CustomAction() && client_->GetChecked() == CustomAction()->Checked();
}

void TZCLButtonActionLink::SetChecked(bool Value)
{
    if (IsCheckedLinked()) client_->SetChecked(Value);
}

// TZCLButtonControl --------------------------------------------------------------------------------------------

TZCLButtonControl::TZCLButtonControl(TComponent* AOwner)
    : TZCLCustomPanel(AOwner),
      font3D_(std::make_unique<TZCL3DCaption>()),
      layout_(std::make_unique<TZCLGlyphTextLayout>()),
      glyph_(std::make_unique<TBitmap>())
{
    TControlStyle style = ControlStyle();
    style.Exclude(csAcceptsControls);
    SetControlStyle(style);
    SetTabStop(true);
    SetBounds(Left(), Top(), 105, 17);
    layout_->SetSpacing(4);
    layout_->SetAlignment(agCenterLeft);
    font3D_->SetOnChange(TNotifyEvent(this, &TZCLButtonControl::GetChange));
    layout_->SetOnChange(TNotifyEvent(this, &TZCLButtonControl::GetChange));
}

TZCLButtonControl::~TZCLButtonControl()
{
    font3D_->SetOnChange(TNotifyEvent());
    layout_->SetOnChange(TNotifyEvent());
}

void TZCLButtonControl::SetFont3D(TZCL3DCaption* Value) { font3D_->Assign(Value); }

void TZCLButtonControl::SetAlignment(TZCLGlyphTextLayout* Value) { layout_->Assign(Value); }

void TZCLButtonControl::SetFocusColor(TColor Value)
{
    if (Value == focusColor_) return;
    focusColor_ = Value;
    if (IsFocused()) Invalidate();
}

void TZCLButtonControl::SetUseFocusColor(bool Value)
{
    if (Value == useFocusColor_) return;
    useFocusColor_ = Value;
    if (IsFocused()) Invalidate();
}

void TZCLButtonControl::SetFocusStyle(TZCLGlyphTextFocusStyle Value)
{
    if (Value == focusStyle_) return;
    focusStyle_ = Value;
    if (IsFocused()) Invalidate();
}

void TZCLButtonControl::SetGlyphSize(int Value)
{
    Value = std::max(Value, 1);
    if (Value == glyphSize_) return;
    glyphSize_ = Value;
    CreateStandardGlyph();
    UpDateNow();
}

void TZCLButtonControl::SetGlyphTransparent(bool Value)
{
    if (Value == glyphTransparent_) return;
    glyphTransparent_ = Value;
    Invalidate();
}

void TZCLButtonControl::SetGlyphTransparentColor(TColor Value)
{
    if (Value == glyphTransparentColor_) return;
    glyphTransparentColor_ = Value;
    Invalidate();
}

void TZCLButtonControl::SetGlyphFlat(bool Value)
{
    if (Value == glyphFlat_) return;
    glyphFlat_ = Value;
    CreateStandardGlyph();
    Invalidate();
}

void TZCLButtonControl::SetAutoSize(bool Value)
{
    if (Value == autoSize_) return;
    autoSize_ = Value;
    if (Value) CorrectBounds();
}

void TZCLButtonControl::CreateStandardGlyph() {}

bool TZCLButtonControl::GetChecked() { return false; }

void TZCLButtonControl::SetChecked(bool) {}

bool TZCLButtonControl::CanModify() { return !readOnly_; }

void TZCLButtonControl::CorrectBounds() {}

void TZCLButtonControl::UpDateNow()
{
    if (Loading() || sizing_) return;
    sizing_ = true;
    try {
        CorrectBounds();
    } catch (...) {
        sizing_ = false;
        throw;
    }
    sizing_ = false;
    Invalidate();
}

void TZCLButtonControl::GetChange(TObject*) { UpDateNow(); }

TZCLDrawTextStyles TZCLButtonControl::TextStyles() const { return ZCLButtonTextStyles(Enabled()); }

void TZCLButtonControl::DrawFocus(TCanvas* Canvas, const TRect& R)
{
    if (!Canvas || R.IsEmpty()) return;
    if (useFocusColor_) {
        Canvas->Pen()->SetColor(focusColor_);
        Canvas->Pen()->SetStyle(psDot);
        Canvas->Pen()->SetWidth(1);
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->Rectangle(R);
        Canvas->Pen()->SetStyle(psSolid);
    } else {
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(Color());
        SetTextColor(Canvas->Handle(), RGB(0, 0, 0));
        Canvas->DrawFocusRect(R);
    }
}

void TZCLButtonControl::PaintToControl(TCanvas* Canvas, const TRect& R, TBitmap* Glyph, const TRect& Source,
                                       TColor Transparent)
{
    if (!Canvas) return;
    Canvas->SetFont(Font());
    const bool focused = IsFocused() && focusStyle_ != fcNone;
    TZCLDrawTextStyles styles = TextStyles();
    if (focused) styles = styles + TZCLDrawTextStyles::FromInt(std::uint32_t(ZCLConvertFocusStyle(focusStyle_)));
    const bool hasGlyph = Glyph && !Glyph->Empty() && !Source.IsEmpty() && Source.right <= Glyph->Width() &&
                          Source.bottom <= Glyph->Height();
    TRect area = hasGlyph ? Source : TRect();
    TZCLGlyphTextRects rects;
    ZCLDrawTextAndGlyphExt(Canvas, Caption(), font3D_.get(), R, hasGlyph ? Glyph->Canvas() : nullptr, area, nullptr,
                           Transparent, layout_.get(), false, true, glyphTransparent_, styles, 0, rects);
    if (focused) DrawFocus(Canvas, area);
}

void TZCLButtonControl::Paint()
{
    if (Loading()) return;
    FillControl();
    DrawItem();
}

void TZCLButtonControl::DoEnter()
{
    TZCLCustomPanel::DoEnter();
    Invalidate();
}

void TZCLButtonControl::DoExit()
{
    TZCLCustomPanel::DoExit();
    Invalidate();
}

void TZCLButtonControl::MouseEnter()
{
    TZCLCustomPanel::MouseEnter();
    if (Flat() && !IsFocused()) Invalidate();
}

void TZCLButtonControl::MouseExit()
{
    TZCLCustomPanel::MouseExit();
    if (Flat() && !IsFocused()) Invalidate();
}

void TZCLButtonControl::ActionChange(TObject* Sender, bool CheckDefaults)
{
    TZCLCustomPanel::ActionChange(Sender, CheckDefaults);
    if (auto* action = dynamic_cast<TCustomAction*>(Sender))
        if (!CheckDefaults || !GetChecked()) SetChecked(action->Checked());
}

TControlActionLinkPtr TZCLButtonControl::CreateActionLink()
{
    return TControlActionLinkPtr(new TZCLButtonActionLink(this));
}

void TZCLButtonControl::Loaded()
{
    TZCLCustomPanel::Loaded();
    CreateStandardGlyph();
    UpDateNow();
}

void TZCLButtonControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TZCLCustomPanel::Dispatch(Message);
        UpDateNow();
        return;
    case CM_ENABLEDCHANGED:
        TZCLCustomPanel::Dispatch(Message);
        Invalidate();
        return;
    case CM_SYSCOLORCHANGE:
        CreateStandardGlyph();
        break;
    default:
        break;
    }
    TZCLCustomPanel::Dispatch(Message);
}

// TZCLCustomCheckBox -------------------------------------------------------------------------------------------

TZCLCustomCheckBox::TZCLCustomCheckBox(TComponent* AOwner) : TZCLButtonControl(AOwner) { CreateStandardGlyph(); }

void TZCLCustomCheckBox::SetState(TCheckBoxState Value)
{
    if (Value > cbGrayed || Value == state_) return;
    state_ = Value;
    Invalidate();
}

void TZCLCustomCheckBox::SetGlyphNumber(int Value)
{
    Value = std::clamp(Value, 0, 255);
    if (Value == glyphNumber_) return;
    glyphNumber_ = Value;
    TakeGlyph();
    Invalidate();
}

int TZCLCustomCheckBox::StripStates() const { return standard_ ? 3 : std::max(glyphNumber_, 1); }

int TZCLCustomCheckBox::GetGlyphNumber()
{
    const int states = std::max(glyphNumber_, 1);
    int index = 2 * std::min(int(GetFieldState()), std::min(states, StripStates()) - 1);
    if (!Enabled()) ++index;
    // The flat look is the strip's second half: six images for the standard strip, two per state for a list's.
    if (Flat() && !MouseAbove() && !IsFocused()) index += 2 * StripStates();
    return index;
}

void TZCLCustomCheckBox::Toggle()
{
    const TCheckBoxState old = state_;
    switch (state_) {
    case cbUnchecked: state_ = allowGrayed_ ? cbGrayed : cbChecked; break;
    case cbChecked: state_ = cbUnchecked; break;
    case cbGrayed: state_ = cbChecked; break;
    }
    if (state_ == old) return;
    Invalidate();
    if (OnChange()) OnChange()(this);
}

void TZCLCustomCheckBox::Click()
{
    if (CanModify()) Toggle();
    TZCLButtonControl::Click();
}

void TZCLCustomCheckBox::CreateStandardGlyph()
{
    if (!standard_) return;
    const int size = GlyphSize();
    const int looks = Flat() ? 2 : 1;
    TBitmap* strip = GlyphBitmap();
    strip->SetPixelFormat(pf24bit);
    strip->SetSize(6 * looks * size, size);
    TCanvas* canvas = strip->Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(TRect(0, 0, strip->Width(), size));
    static const UINT kinds[6] = {
        DFCS_BUTTONCHECK,
        DFCS_BUTTONCHECK | DFCS_INACTIVE,
        DFCS_BUTTONCHECK | DFCS_CHECKED,
        DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE,
        DFCS_BUTTON3STATE | DFCS_CHECKED,
        DFCS_BUTTON3STATE | DFCS_CHECKED | DFCS_INACTIVE,
    };
    for (int look = 0; look < looks; ++look)
        for (int i = 0; i < 6; ++i) {
            RECT r{(look * 6 + i) * size, 0, (look * 6 + i + 1) * size, size};
            const UINT flat = look == 1 || GlyphFlat() ? DFCS_FLAT : 0;
            DrawFrameControl(canvas->Handle(), &r, DFC_BUTTON, kinds[i] | flat);
        }
    glyphWidth_ = size;
}

void TZCLCustomCheckBox::TakeGlyph()
{
    standard_ = IMLEmpty();
    if (standard_) {
        CreateStandardGlyph();
        return;
    }
    TBitmap* strip = GlyphBitmap();
    ImageList()->GetBitmapItem(ListIndex(), ImageIndex(), strip);
    // One image per state and look: enabled and disabled, and again in the flat look while Flat.
    glyphWidth_ = strip->Width() / (2 * StripStates() * (Flat() ? 2 : 1));
}

void TZCLCustomCheckBox::GetIMLChange(TObject* Sender)
{
    TakeGlyph();
    TZCLButtonControl::GetIMLChange(Sender);
}

void TZCLCustomCheckBox::DoFlatChanged()
{
    TakeGlyph();
    UpDateNow();
}

void TZCLCustomCheckBox::CorrectBounds()
{
    if (!AutoSize() || Loading()) return;
    TBitmap scratch;
    scratch.SetSize(1, 1);
    TCanvas* canvas = scratch.Canvas();
    canvas->SetFont(Font());
    TZCLGlyphTextLayout* layout = Alignment();
    const TZCLAlignment kept = layout->Alignment();
    layout->BeginUpdate();
    layout->SetAlignment(agTopLeft);
    TRect area = glyphWidth_ > 0 ? TRect(0, 0, glyphWidth_, GlyphBitmap()->Height()) : TRect();
    TZCLGlyphTextRects rects;
    ZCLDrawTextAndGlyphExt(canvas, Caption(), Font3D(), TRect(0, 0, 4096, Height()),
                           area.IsEmpty() ? nullptr : GlyphBitmap()->Canvas(), area, nullptr, clNone, layout, false,
                           true, false, TZCLDrawTextStyles{dtCalculate, dtEnabled}, 0, rects);
    layout->SetAlignment(kept);
    layout->EndUpdate(false);
    const TRect all = rects[ZCLGlyphTextUnion];
    // The caption stands one pixel in; as much again on the far sides.
    SetBounds(Left(), Top(), std::max(int(all.right) + 1, 1), std::max(int(all.bottom) + 1, 1));
}

void TZCLCustomCheckBox::DrawItem()
{
    const int index = GetGlyphNumber();
    const int w = glyphWidth_;
    const TRect source(index * w, 0, (index + 1) * w, GlyphBitmap()->Height());
    PaintToControl(Canvas(), ClientRect(), GlyphBitmap(), source, GlyphTransparentColor());
}

void TZCLCustomCheckBox::KeyPress(char& Key)
{
    if (Key == ' ' && CanModify()) {
        Key = 0;
        Click();
        return;
    }
    TZCLButtonControl::KeyPress(Key);
}

void TZCLCustomCheckBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_DIALOGCHAR:
        if (Enabled() && IsAccel(WORD(Message.WParam), Caption()) && CanFocus()) {
            SetFocus();
            if (Focused() && CanModify()) Click();
            Message.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TZCLButtonControl::Dispatch(Message);
}

void TZCLCustomCheckBox::WndProc(TMessage& Message)
{
    // A click first takes the focus; a box that cannot get it does not take the click either.
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && !Designing() && !Focused()) {
        if (CanFocus()) SetFocus();
        if (!Focused()) return;
    }
    TZCLButtonControl::WndProc(Message);
}
