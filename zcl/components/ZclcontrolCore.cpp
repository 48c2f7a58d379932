#include <windows.h>

#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "zcl/components/Zclcontrol.h"
#include "zcl/components/ZclcontrolPrivate.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclbmp.h"
#include "zcl/graphics/Zclregion.h"

TZCLControlCore::TZCLControlCore(TComponent* Control, TNotifyEvent OnIMLChange, TNotifyEvent OnFXChange)
    : control_(Control), link_(std::make_unique<TZCLChangeLink>()), backFX_(std::make_unique<TZCLBitmapEffectObject>())
{
    link_->SetOnChange(OnIMLChange);
    backFX_->SetOnChange(OnFXChange);
}

TZCLControlCore::~TZCLControlCore()
{
    link_->SetOnChange(TNotifyEvent());
    backFX_->SetOnChange(TNotifyEvent());
    // Freed, the link leaves the list it is registered with.
    link_.reset();
    backFX_.reset();
}

void TZCLControlCore::SetImageList(TZCLCustomImageList* List)
{
    // A list being freed has already dropped the link (its sender is clear then).
    if (TZCLBaseContainer* old = link_->Sender()) {
        old->UnRegisterChanges(link_.get());
        if (imageList_ && imageList_ != List) imageList_->RemoveFreeNotification(control_);
    }
    imageList_ = List;
    if (List) {
        List->RegisterChanges(link_.get());
        List->FreeNotification(control_);
    }
}

bool TZCLControlCore::SetIndex(int Index, int Value)
{
    int& field = Index == 0 ? imageIndex_ : listIndex_;
    if (Value < 0 || Value == field) return false;
    field = Value;
    return true;
}

bool TZCLControlCore::IMLEmpty() const { return !imageList_ || !imageList_->IsValidItem(listIndex_, imageIndex_); }

bool TZCLControlCore::HasControl() const
{
    return imageList_ && imageList_->Owner() != static_cast<TComponent*>(ZCLDefaultContainer());
}

void TZCLControlCore::DropBackBuffer() { backFX_->DestroyBuffer(); }

bool TZCLControlCore::Notification(TComponent* Component, TOperation Operation)
{
    if (Operation != opRemove || !Component) return false;
    if (Component == imageList_) {
        SetImageList(nullptr);
        return true;
    }
    TZCLAlphaObject* alpha = backFX_->AlphaBlend();
    if (alpha && Component == alpha->ImageList() && !control_->ComponentState().Contains(csDestroying))
        alpha->SetImageList(nullptr);
    return false;
}

void TZCLControlCore::DefineProperties(TFiler* Filer, Closure<void(TZCLCustomImageList*)> SetList)
{
    Filer->DefineProperty(
        "Internal", TReaderProc::From([SetList](TReader* reader) { SetList(ZCLReadGlobalIdent(reader)); }),
        TWriterProc::From([this](TWriter* writer) { ZCLWriteGlobalIdent(writer, imageList_); }),
        ZCLIsGlobalIdent(imageList_));
}

TRect ZCLScreenRect(const TControl* Control, const TRect& R)
{
    const TPoint topLeft = Control->ClientToScreen(TPoint(R.left, R.top));
    const TPoint bottomRight = Control->ClientToScreen(TPoint(R.right, R.bottom));
    return TRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
}

void ZCLDrawDashedRect(TCanvas* Canvas, int Width, int Height)
{
    Canvas->Pen()->SetColor(clBlack);
    Canvas->Pen()->SetStyle(psDash);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetMode(pmCopy);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Rectangle(0, 0, Width, Height);
}

void ZCLSetOpaque(TControl* Control, bool Opaque)
{
    TControlStyle style = Control->ControlStyle();
    if (Opaque)
        style.Include(csOpaque);
    else
        style.Exclude(csOpaque);
    Control->SetControlStyle(style);
}

void ZCLFillSolid(TCanvas* Canvas, const TRect& R, TColor Color)
{
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Color);
    Canvas->Pen()->SetStyle(psClear);
    Canvas->FillRect(R);
}

TZCLFormShape* ZCLFormShapeOf(TCustomForm* Form)
{
    const int i = ZCLCheckForFormComponent(Form, ClassOf<TZCLFormShape>());
    return i >= 0 ? static_cast<TZCLFormShape*>(Form->Components(i)) : nullptr;
}

bool ZCLFormBackBitmapCheck(TCustomForm* Form)
{
    if (!Form || !Form->HandleAllocated()) return false;
    TZCLFormShape* shape = ZCLFormShapeOf(Form);
    return shape && shape->BackBitmapCheck();
}
