#include "zcl/dialogs/Zclcontainercomponent.h"

#include "framework/runtime/Filer.h"
#include "zcl/components/ZclcontrolPrivate.h"
#include "zcl/containers/Zclcont.h"

namespace {

const bool containerPublished = [] {
    using C = TZCLContainerComponent;
    PublishedProperties<C>()
        .String("About", &C::About, &C::SetAbout)
        .Object("ImageList", &C::ImageList, &C::SetImageList)
        .Stored([](C* c) { return ZCLStoredByName(c->ImageList()); })
        .Integer("ImageIndex", &C::ImageIndex, &C::SetImageIndex, 0)
        .Integer("ListIndex", &C::ListIndex, &C::SetListIndex, 0);
    return true;
}();

}  // namespace

bool ZCLStoredByName(const TComponent* List)
{
    if (!List || List->Name().IsEmpty()) return false;
    auto* images = dynamic_cast<const TZCLCustomImageList*>(List);
    return !images || !ZCLIsGlobalIdent(images);
}

TZCLContainerComponent::TZCLContainerComponent(TComponent* AOwner)
    : TZCLCustomComponent(AOwner),
      core_(std::make_unique<TZCLControlCore>(this, TNotifyEvent(this, &TZCLContainerComponent::GetIMLChange),
                                              TNotifyEvent()))
{
}

TZCLContainerComponent::~TZCLContainerComponent() = default;

TZCLCustomImageList* TZCLContainerComponent::ImageList() const { return core_->ImageList(); }

void TZCLContainerComponent::SetImageList(TZCLCustomImageList* Value)
{
    core_->SetImageList(Value);
    GetIMLChange(nullptr);
}

int TZCLContainerComponent::ImageIndex() const { return core_->ImageIndex(); }
int TZCLContainerComponent::ListIndex() const { return core_->ListIndex(); }

void TZCLContainerComponent::SetIndex(int Index, int Value)
{
    if (core_->SetIndex(Index, Value) && core_->ImageList()) GetIMLChange(nullptr);
}

bool TZCLContainerComponent::HasControl() const { return core_->HasControl(); }
bool TZCLContainerComponent::IMLEmpty() const { return core_->IMLEmpty(); }
TZCLChangeLink* TZCLContainerComponent::ChangeLink() const { return core_->ChangeLink(); }

void TZCLContainerComponent::GetIMLChange(TObject*) {}

void TZCLContainerComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLCustomComponent::Notification(AComponent, Operation);
    if (core_) core_->Notification(AComponent, Operation);
}

void TZCLContainerComponent::DefineProperties(TFiler* Filer)
{
    TZCLCustomComponent::DefineProperties(Filer);
    core_->DefineProperties(Filer, Closure<void(TZCLCustomImageList*)>(this, &TZCLContainerComponent::SetImageList));
}
