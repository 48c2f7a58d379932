#include "zcl/components/Zclbasecontrol.h"

#include "framework/visual/Forms.h"
#include "zcl/components/ZclcontrolPrivate.h"
#include "zcl/containers/Zclcont.h"

TZCLBaseControl::TZCLBaseControl(TComponent* AOwner)
    : TZCLControl(AOwner),
      core_(std::make_unique<TZCLControlCore>(this, TNotifyEvent(this, &TZCLBaseControl::GetIMLChange),
                                              TNotifyEvent(this, &TZCLBaseControl::GetChange)))
{
}

TZCLBaseControl::~TZCLBaseControl() = default;

TZCLCustomImageList* TZCLBaseControl::ImageList() const { return core_->ImageList(); }

void TZCLBaseControl::SetImageList(TZCLCustomImageList* Value)
{
    core_->SetImageList(Value);
    GetIMLChange(nullptr);
}

int TZCLBaseControl::ImageIndex() const { return core_->ImageIndex(); }

void TZCLBaseControl::SetImageIndex(int Value) { core_->SetImageIndex(Value); }

int TZCLBaseControl::ListIndex() const { return core_->ListIndex(); }

void TZCLBaseControl::SetIndex(int Index, int Value)
{
    if (core_->SetIndex(Index, Value) && core_->ImageList()) GetIMLChange(nullptr);
}

bool TZCLBaseControl::IMLEmpty() const { return core_->IMLEmpty(); }

bool TZCLBaseControl::HasControl() const { return core_->HasControl(); }

TZCLChangeLink* TZCLBaseControl::ChangeLink() const { return core_->ChangeLink(); }

TZCLBitmapEffectObject* TZCLBaseControl::BackFX() const { return core_->BackFX(); }

TRect TZCLBaseControl::GetScreenRect(const TRect& R) const { return ZCLScreenRect(this, R); }

TPoint TZCLBaseControl::BackMapPoint(int X, int Y) const
{
    if (dynamic_cast<TCustomForm*>(Parent())) return TPoint(X, Y);
    return TPoint(X + Left(), Y + Top());
}

bool TZCLBaseControl::CheckOptimized() { return false; }

void TZCLBaseControl::GetIMLChange(TObject* Sender) { GetChange(Sender); }

void TZCLBaseControl::Loaded()
{
    TZCLControl::Loaded();
    // A list over a collection is complete only now.
    if (ZCLIsCollectionImageList(core_->ImageList())) GetIMLChange(nullptr);
}

void TZCLBaseControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLControl::Notification(AComponent, Operation);
    if (core_) core_->Notification(AComponent, Operation);
}

void TZCLBaseControl::DefineProperties(TFiler* Filer)
{
    TZCLControl::DefineProperties(Filer);
    core_->DefineProperties(Filer, Closure<void(TZCLCustomImageList*)>(this, &TZCLBaseControl::SetImageList));
}

void TZCLBaseControl::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_ZCLBACKCHANGED) {
        if (!Loading() && CheckOptimized()) GetChange(nullptr);
        core_->DropBackBuffer();
        return;
    }
    TZCLControl::Dispatch(Message);
}
