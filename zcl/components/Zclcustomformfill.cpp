#include "zcl/components/Zclcustomformfill.h"

#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "zcl/core/Zclclass.h"

TZCLCustomFormFill::TZCLCustomFormFill(TComponent* AOwner)
    : TZCLWndProcComponent(AOwner), link_(std::make_unique<TZCLChangeLink>())
{
    link_->SetOnChange(TNotifyEvent(this, &TZCLCustomFormFill::GetIMLChange));
    // One fill per form.
    if (Designing() && GetOwnerForm() && ZCLCheckForSameClass(AOwner, ClassOf<TZCLCustomFormFill>(), false))
        throw ZCLEOneInstError(ClassName(), 1);
}

TZCLCustomFormFill::~TZCLCustomFormFill()
{
    if (imageList_) {
        imageList_->UnRegisterChanges(link_.get());
        imageList_->RemoveFreeNotification(this);
    }
    RestoreWndProc();
}

bool TZCLCustomFormFill::Designing() const
{
    if (ComponentState().Contains(csDesigning)) return true;
    return Owner() && Owner()->ComponentState().Contains(csDesigning);
}

void TZCLCustomFormFill::SetImageList(TZCLCustomImageList* Value)
{
    if (Value == imageList_) return;
    if (imageList_) {
        imageList_->UnRegisterChanges(link_.get());
        imageList_->RemoveFreeNotification(this);
    }
    imageList_ = Value;
    if (imageList_) {
        imageList_->RegisterChanges(link_.get());
        imageList_->FreeNotification(this);
    }
    Change();
    GetChange(this);
}

void TZCLCustomFormFill::SetIndex(int Which, int Value)
{
    if (Value < 0) return;
    int& field = Which == 0 ? imageIndex_ : listIndex_;
    if (Value == field) return;
    field = Value;
    if (imageList_) GetChange(this);
}

void TZCLCustomFormFill::SetPaintMode(TZCLPaintMode Value)
{
    paintMode_ = Value;
    Change();
    GetChange(this);
}

void TZCLCustomFormFill::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLWndProcComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == imageList_) {
        // The list is going: its links are dropped by the list itself.
        imageList_ = nullptr;
        GetChange(this);
    }
}

void TZCLCustomFormFill::DefineProperties(TFiler* Filer)
{
    TZCLWndProcComponent::DefineProperties(Filer);
    Filer->DefineProperty(
        "Internal", TReaderProc::From([this](TReader* reader) { SetImageList(ZCLReadGlobalIdent(reader)); }),
        TWriterProc::From([this](TWriter* writer) { ZCLWriteGlobalIdent(writer, imageList_); }),
        ZCLIsGlobalIdent(imageList_));
}

bool TZCLCustomFormFill::HasControl() const
{
    auto* control = dynamic_cast<TWinControl*>(Owner());
    return control && control->HandleAllocated();
}

bool TZCLCustomFormFill::IMLEmpty() const
{
    return !imageList_ || !imageList_->IsValidItem(listIndex_, imageIndex_);
}

void TZCLCustomFormFill::Invalidate()
{
    if (HasControl()) InvalidateRect(static_cast<TWinControl*>(Owner())->Handle(), nullptr, TRUE);
}

void TZCLCustomFormFill::GetChange(TObject*)
{
    if (!Enabled() || Designing()) return;
    needsRepaint_ = true;
    Invalidate();
}

void TZCLCustomFormFill::GetIMLChange(TObject* Sender)
{
    GetChange(Sender);
}

void TZCLCustomFormFill::Init()
{
    if (!Enabled()) return;
    TZCLWndProcComponent::Init();
    if (!ComponentState().Contains(csLoading)) Invalidate();
}

void TZCLCustomFormFill::RestoreState()
{
    TZCLWndProcComponent::RestoreState();
    if (!ComponentState().Contains(csDestroying)) Invalidate();
}

TRect TZCLCustomFormFill::ClientArea() const
{
    auto* control = dynamic_cast<TControl*>(Owner());
    return control ? TRect(0, 0, control->ClientWidth(), control->ClientHeight()) : TRect();
}

bool TZCLCustomFormFill::PaintClientArea(HDC DC)
{
    if (ComponentState().Contains(csLoading)) return false;
    if (paintMode_ != pcOwnerDraw || !onPaint_) return false;
    auto* control = dynamic_cast<TControl*>(Owner());
    if (!control) return false;
    TCanvas canvas;
    canvas.SetHandle(DC);
    const TRect area = ClientArea();
    if (defaultFill_) {
        canvas.Brush()->SetColor(control->Color());
        canvas.Brush()->SetStyle(bsSolid);
        canvas.FillRect(area);
    }
    try {
        onPaint_(this, &canvas, area);
    } catch (...) {
        canvas.SetHandle(nullptr);
        throw;
    }
    canvas.SetHandle(nullptr);
    needsRepaint_ = false;
    return true;
}

void TZCLCustomFormFill::WndProc(TMessage& Message)
{
    if (!Enabled() || OwnerDestroying()) {
        TZCLWndProcComponent::WndProc(Message);
        return;
    }
    const HWND wnd = HasControl() ? static_cast<TWinControl*>(Owner())->Handle() : nullptr;
    switch (Message.Msg) {
    case WM_SIZE:
        needsRepaint_ = true;
        if (wnd) InvalidateRect(wnd, nullptr, eraseOnSize_);
        break;
    case WM_ERASEBKGND:
        if (PaintClientArea(reinterpret_cast<HDC>(Message.WParam))) {
            Message.Result = 1;
            return;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (wnd) InvalidateRect(wnd, nullptr, FALSE);
        break;
    case WM_PALETTECHANGED:
        Invalidate();
        break;
    }
    TZCLWndProcComponent::WndProc(Message);
}
