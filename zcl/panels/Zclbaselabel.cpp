#include "zcl/panels/Zclbaselabel.h"

#include "framework/runtime/Exceptions.h"
#include "zcl/components/Zclcustomcontrol.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclutilsdraw.h"
#include "zcl/panels/Zclcustomstatusbar.h"

TZCLBaseLabel::TZCLBaseLabel(TComponent* AOwner) : TZCLBaseGraphicControl(AOwner) {}

TZCLBaseLabel::~TZCLBaseLabel()
{
    if (twinkleTimer_) ZCLApplication->RemoveTimer(twinkleTimer_);
}

// ---------------------------------------------------------------------------------------------------------------
// Properties

bool TZCLBaseLabel::Bool(int Index) const
{
    switch (Index) {
    case 0: return autoSize_;
    case 1: return multiLine_;
    case 2: return showAccelChar_;
    default: return twinkle_;
    }
}

void TZCLBaseLabel::SetBool(int Index, bool Value)
{
    if (Bool(Index) == Value) return;
    switch (Index) {
    case 0:
        autoSize_ = Value;
        CorrectBounds();
        break;
    case 1:
        multiLine_ = Value;
        GetChange(this);
        break;
    case 2:
        // Shown ampersands take room: a label sized to its text is sized again.
        showAccelChar_ = Value;
        CorrectBounds();
        InvalidateControl();
        break;
    default:
        if (Value) StartTwinkle();
        else StopTwinkle();
        break;
    }
}

void TZCLBaseLabel::SetInteger(int Index, int Value)
{
    if (Value < 0) Value = 0;
    (Index == 0 ? twinkleVisible_ : twinkleInVisible_) = Value;
}

void TZCLBaseLabel::SetTwinkleColor(TColor Value)
{
    if (Value == twinkleColor_) return;
    twinkleColor_ = Value;
    if (!twinkleShown_) InvalidateControl();
}

void TZCLBaseLabel::SetAlignment(TZCLAlignment Value)
{
    alignment_ = Value;
    GetChange(this);
}

void TZCLBaseLabel::SetOptions(TZCLLabelOptions Value)
{
    options_ = Value;
    GetChange(this);
}

void TZCLBaseLabel::SetFocusControl(TWinControl* Value)
{
    if (Value == focusControl_) return;
    if (focusControl_) focusControl_->RemoveFreeNotification(this);
    focusControl_ = Value;
    if (focusControl_) focusControl_->FreeNotification(this);
}

// ---------------------------------------------------------------------------------------------------------------
// Twinkling

void TZCLBaseLabel::StartTwinkle()
{
    const std::uint16_t id = ZCLApplication->AddTimer(ZCLPoolInterval(unsigned(twinkleVisible_)),
                                                      TNotifyEvent(this, &TZCLBaseLabel::TwinkleTick));
    if (!id) throw EOutOfResources("Not enough timers available");
    twinkleTimer_ = id;
    twinkle_ = true;
    twinkleShown_ = true;
}

void TZCLBaseLabel::StopTwinkle()
{
    if (twinkleTimer_) ZCLApplication->RemoveTimer(twinkleTimer_);
    twinkleTimer_ = 0;
    const bool wasHidden = !twinkleShown_;
    twinkle_ = false;
    twinkleShown_ = true;
    if (wasHidden) InvalidateControl();
}

void TZCLBaseLabel::TwinkleTick(TObject*)
{
    if (!twinkleTimer_) return;
    twinkleShown_ = !twinkleShown_;
    if (TZCLTimerItem* item = ZCLApplication->GetTimer(twinkleTimer_))
        item->SetInterval(ZCLPoolInterval(unsigned(twinkleShown_ ? twinkleVisible_ : twinkleInVisible_)));
    InvalidateControl();
}

// ---------------------------------------------------------------------------------------------------------------
// Text

AnsiString TZCLBaseLabel::GetLabelText() { return Caption(); }

void TZCLBaseLabel::FontChange(TObject* Sender)
{
    if (Loading()) return;
    Canvas()->SetFont(Font());
    GetChange(Sender);
}

void TZCLBaseLabel::GetChange(TObject*)
{
    CorrectBounds();
    InvalidateControl();
}

bool TZCLBaseLabel::GetEmpty() { return Transparent() && GetLabelText().IsEmpty(); }

unsigned TZCLBaseLabel::GetOptionsFlag() const
{
    unsigned flags = 0;
    if (options_.Contains(loPathEllipsis)) flags |= DT_PATH_ELLIPSIS;
    if (options_.Contains(loEndEllipsis)) flags |= DT_END_ELLIPSIS;
    if (options_.Contains(loEditControl)) flags |= DT_EDITCONTROL;
    return flags;
}

unsigned TZCLBaseLabel::TextFlags() const
{
    unsigned flags = IsRightToLeft() ? DT_RTLREADING : 0;
    if (!multiLine_) flags |= DT_SINGLELINE;
    flags |= DT_WORDBREAK | DT_EXPANDTABS;
    flags |= GetOptionsFlag();
    flags |= ZCLAlignmentFlags(alignment_);
    if (!showAccelChar_) flags |= DT_NOPREFIX;
    return flags;
}

TRect TZCLBaseLabel::TextRect(const TRect& R, const AnsiString& Text, TZCL3DCaption* Caption, unsigned Flags)
{
    if (!multiLine_ || !(Flags & (DT_VCENTER | DT_BOTTOM))) return R;
    return ZCLAlignTextRect(alignment_, Text, Caption, R, Font(), true, showAccelChar_, int(Flags));
}

// ---------------------------------------------------------------------------------------------------------------
// Painting

void TZCLBaseLabel::PaintBackground()
{
    if (!Transparent()) {
        FillControl();
        return;
    }
    if (CheckOptimized())
        if (TZCLBackSupplier* parent = ZCLBackSupplier(this))
            parent->BackDrawArea(Canvas(), ClientRect(), BackMapPoint(0, 0), 0);
}

int TZCLBaseLabel::StatusBarGap() const
{
    auto* bar = dynamic_cast<TZCLCustomStatusBar*>(Parent());
    return bar ? bar->GetControlGap() : 0;
}

// ---------------------------------------------------------------------------------------------------------------
// Component

void TZCLBaseLabel::Loaded()
{
    TZCLBaseGraphicControl::Loaded();
    Canvas()->SetFont(Font());
    CorrectBounds();
}

void TZCLBaseLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLBaseGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TZCLBaseLabel::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_DIALOGCHAR:
        if (showAccelChar_ && focusControl_ && Enabled() && IsAccel(WORD(Message.WParam), Caption()) &&
            focusControl_->CanFocus()) {
            focusControl_->SetFocus();
            Message.Result = 1;
        }
        return;
    case CM_FONTCHANGED: FontChange(Font()); return;
    case CM_TEXTCHANGED:
        CorrectBounds();
        InvalidateControl();
        return;
    default: break;
    }
    TZCLBaseGraphicControl::Dispatch(Message);
}
