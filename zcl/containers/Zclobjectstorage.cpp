#include "zcl/containers/Zclobjectstorage.h"

#include <vector>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Registry.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclstrings.h"

namespace {

const bool objectStoragePublished = [] {
    PublishedProperties<TZCLPropertyStorageItem>()
        .String("Name", &TZCLPropertyStorageItem::Name, &TZCLPropertyStorageItem::SetName)
        .String("ComponentName", &TZCLPropertyStorageItem::ComponentName, &TZCLPropertyStorageItem::SetComponentName);
    PublishedProperties<TZCLObjectStorage>()
        .String("About", &TZCLObjectStorage::About, &TZCLObjectStorage::SetAbout)
        .Boolean("Enabled", &TZCLObjectStorage::Enabled, &TZCLObjectStorage::SetEnabled, true)
        .Object("Properties", &TZCLObjectStorage::Properties, &TZCLObjectStorage::SetProperties)
        .String("RegistryPath", &TZCLObjectStorage::RegistryPath, &TZCLObjectStorage::SetRegistryPath)
        .Enumeration("RegistryKey", &TZCLObjectStorage::RegistryKey, &TZCLObjectStorage::SetRegistryKey,
                     {"rrCurrentUser", "rrLocalMachine"}, rrCurrentUser)
        .Event("OnLoading", &TZCLObjectStorage::OnLoading, &TZCLObjectStorage::SetOnLoading)
        .Event("OnSaving", &TZCLObjectStorage::OnSaving, &TZCLObjectStorage::SetOnSaving);
    RegisterClasses({ClassOf<TZCLObjectStorage>()});
    return true;
}();

}  // namespace

// TZCLFormEventsHook ---------------------------------------------------------------------------------------------

TZCLFormEventsHook::TZCLFormEventsHook(TComponent* AOwner) : TZCLComponent(AOwner) {}

TZCLFormEventsHook::~TZCLFormEventsHook()
{
    if (hooked_) Unhook();
}

TCustomForm* TZCLFormEventsHook::OwnerForm() const { return dynamic_cast<TCustomForm*>(Owner()); }

void TZCLFormEventsHook::Loaded()
{
    TZCLComponent::Loaded();
    if (!ComponentState().Contains(csDesigning)) Hook();
}

void TZCLFormEventsHook::Hook()
{
    TCustomForm* form = OwnerForm();
    if (!form || hooked_) return;
    prevCreate_ = form->OnCreate();
    prevClose_ = form->OnClose();
    prevDestroy_ = form->OnDestroy();
    form->SetOnCreate(TNotifyEvent(this, &TZCLFormEventsHook::FormCreate));
    form->SetOnClose(TCloseEvent(this, &TZCLFormEventsHook::FormClose));
    form->SetOnDestroy(TNotifyEvent(this, &TZCLFormEventsHook::FormDestroy));
    hooked_ = true;
}

void TZCLFormEventsHook::Unhook()
{
    TCustomForm* form = OwnerForm();
    if (form && hooked_) {
        // Each handler goes back only where it still is ours: the form's own when it points here, else that
        // of a hook chained in front of this one, which would otherwise go on calling this one once freed.
        const TNotifyEvent create(this, &TZCLFormEventsHook::FormCreate);
        const TCloseEvent close(this, &TZCLFormEventsHook::FormClose);
        const TNotifyEvent destroy(this, &TZCLFormEventsHook::FormDestroy);
        if (form->OnCreate() == create) form->SetOnCreate(prevCreate_);
        if (form->OnClose() == close) form->SetOnClose(prevClose_);
        if (form->OnDestroy() == destroy) form->SetOnDestroy(prevDestroy_);
        for (int i = 0; i < form->ComponentCount(); ++i) {
            auto* other = dynamic_cast<TZCLFormEventsHook*>(form->Components(i));
            if (!other || other == this || !other->hooked_) continue;
            if (other->prevCreate_ == create) other->prevCreate_ = prevCreate_;
            if (other->prevClose_ == close) other->prevClose_ = prevClose_;
            if (other->prevDestroy_ == destroy) other->prevDestroy_ = prevDestroy_;
        }
    }
    hooked_ = false;
}

void TZCLFormEventsHook::DoLoading()
{
    if (onLoading_) onLoading_(this);
}

void TZCLFormEventsHook::DoSaving()
{
    if (onSaving_) onSaving_(this);
}

// The previous handlers are called from copies: a hook behind this one may hand over its own while it runs.
void TZCLFormEventsHook::FormCreate(TObject* Sender)
{
    if (enabled_) DoLoading();
    const TNotifyEvent previous = prevCreate_;
    if (previous) previous(Sender);
}

void TZCLFormEventsHook::FormClose(TObject* Sender, TCloseAction& Action)
{
    const TCloseEvent previous = prevClose_;
    if (previous) previous(Sender, Action);
    if (Action == caNone || !enabled_) return;
    // A form that is only hidden comes back: the hook stays, so each later close saves too.
    if (Action == caFree) Unhook();
    DoSaving();
}

void TZCLFormEventsHook::FormDestroy(TObject* Sender)
{
    const TNotifyEvent previous = prevDestroy_;
    Unhook();
    if (enabled_) DoSaving();
    if (previous) previous(Sender);
}

// Property storage ---------------------------------------------------------------------------------------------

void TZCLPropertyStorageItem::Assign(TPersistent* Source)
{
    if (const auto item = dynamic_cast<TZCLPropertyStorageItem*>(Source)) {
        name_ = item->name_;
        componentName_ = item->componentName_;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}

TZCLPropertyStorage::TZCLPropertyStorage(TPersistent* Owner)
    : TOwnedCollection(Owner, ClassOf<TZCLPropertyStorageItem>())
{
}

TZCLPropertyStorageItem* TZCLPropertyStorage::Add() { return static_cast<TZCLPropertyStorageItem*>(TCollection::Add()); }

TZCLPropertyStorageItem* TZCLPropertyStorage::GetItems(int Index) const
{
    return static_cast<TZCLPropertyStorageItem*>(Items(Index));
}

TZCLPropertyStorageItem* TZCLPropertyStorage::FindItem(const AnsiString& ComponentName,
                                                       const AnsiString& PropertyName) const
{
    for (int i = 0; i < Count(); ++i) {
        TZCLPropertyStorageItem* item = GetItems(i);
        if (item->ComponentName() == ComponentName && item->Name() == PropertyName) return item;
    }
    return nullptr;
}

// TZCLCustomObjectStorage ----------------------------------------------------------------------------------------

TZCLCustomObjectStorage::TZCLCustomObjectStorage(TComponent* AOwner)
    : TZCLFormEventsHook(AOwner), properties_(new TZCLPropertyStorage(this))
{
}

TZCLCustomObjectStorage::~TZCLCustomObjectStorage()
{
    // A storage that never hooked its form saves when it goes, but only while the form's components are all
    // there: amid the form's own destruction some are gone and their stored values would be dropped.
    const TComponent* owner = Owner();
    if (!Hooked() && Enabled() && !ComponentState().Contains(csDesigning) && owner &&
        !owner->ComponentState().Contains(csDestroying)) {
        try {
            DoSaving();
        } catch (...) {
            if (ApplicationHandleException) ApplicationHandleException(this);
        }
    }
    delete properties_;
}

namespace {

// The component an item names: the owner itself or one of its components.
TComponent* FindStored(TComponent* Owner, const AnsiString& Name)
{
    if (!Owner) return nullptr;
    if (Owner->Name() == Name) return Owner;
    return Owner->FindComponent(Name);
}

}  // namespace

void TZCLCustomObjectStorage::SaveToStream(TStream* Stream)
{
    TComponent* owner = Owner();
    TWriter writer(Stream);
    writer.SetRoot(owner);
    writer.WriteListBegin();
    for (int i = 0; i < properties_->Count(); ++i) {
        const TZCLPropertyStorageItem* item = properties_->GetItems(i);
        TComponent* component = FindStored(owner, item->ComponentName());
        if (!component) continue;
        const TPropInfo* prop = GetPropInfo(component, item->Name());
        if (!prop || !(prop->Name == item->Name())) continue;
        writer.WriteString(item->ComponentName());
        writer.WriteListBegin();
        writer.WriteProperty(component, *prop);
        writer.WriteListEnd();
    }
    writer.WriteListEnd();
}

void TZCLCustomObjectStorage::LoadFromStream(TStream* Stream)
{
    TComponent* owner = Owner();
    TReader reader(Stream);
    reader.SetRoot(owner);
    reader.SetOwner(owner);
    reader.BeginReferences();
    try {
        reader.ReadListBegin();
        while (!reader.EndOfList()) {
            const AnsiString name = reader.ReadString();
            TComponent* component = FindStored(owner, name);
            if (!component) throw EReadError("Can't find component " + name);
            if (reader.NextValue() == vaList) {
                reader.ReadListBegin();
                while (!reader.EndOfList()) {
                    try {
                        reader.ReadProperty(component);
                    } catch (const EStreamError&) {
                        throw;
                    } catch (const Exception&) {
                        // The value was read whole and its setter refused it (say, a choice that no longer
                        // exists): the component keeps its own, the other values still load.
                    }
                }
                reader.ReadListEnd();
            } else {
                reader.SkipValue();
            }
        }
        reader.ReadListEnd();
        reader.FixupReferences();
    } catch (...) {
        reader.EndReferences();
        throw;
    }
    reader.EndReferences();
}

bool TZCLCustomObjectStorage::SaveToFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmCreate);
    SaveToStream(&file);
    return true;
}

bool TZCLCustomObjectStorage::LoadFromFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
    return true;
}

HKEY TZCLCustomObjectStorage::Root() const
{
    return registryKey_ == rrLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

void TZCLCustomObjectStorage::SaveToRegistry()
{
    if (registryPath_.IsEmpty()) return;
    const AnsiString key = ZCLSlashRemove(ExtractFilePath(registryPath_));
    const AnsiString value = ExtractFileName(registryPath_);
    TMemoryStream data;
    SaveToStream(&data);
    TRegistry reg;
    reg.SetRootKey(Root());
    if (!reg.OpenKey(key, true)) throw ERegistryException(Format("Failed to set data for '%s'", value));
    reg.WriteBinaryData(value, data.Memory(), data.Size());
}

void TZCLCustomObjectStorage::LoadFromRegistry()
{
    if (registryPath_.IsEmpty()) return;
    const AnsiString key = ZCLSlashRemove(ExtractFilePath(registryPath_));
    const AnsiString value = ExtractFileName(registryPath_);
    TRegistry reg(KEY_READ);
    reg.SetRootKey(Root());
    if (!reg.OpenKeyReadOnly(key)) return;
    const int size = reg.GetDataSize(value);
    if (size <= 0) return;
    TMemoryStream data;
    data.SetSize(size);
    reg.ReadBinaryData(value, data.Memory(), size);
    data.SetPosition(0);
    LoadFromStream(&data);
}

void TZCLCustomObjectStorage::ClearRegistry()
{
    if (registryPath_.IsEmpty()) return;
    TRegistry reg;
    reg.SetRootKey(Root());
    if (reg.OpenKey(ZCLSlashRemove(ExtractFilePath(registryPath_)), false))
        reg.DeleteValue(ExtractFileName(registryPath_));
}

void TZCLCustomObjectStorage::DoLoading()
{
    TZCLFormEventsHook::DoLoading();
    if (ComponentState().Contains(csDesigning)) return;
    try {
        LoadFromRegistry();
    } catch (const EStreamError&) {
        // A damaged stored value must not stop the form from being made: its components keep their values.
    }
}

void TZCLCustomObjectStorage::DoSaving()
{
    if (Enabled() && !ComponentState().Contains(csDesigning)) SaveToRegistry();
    TZCLFormEventsHook::DoSaving();
}

void TZCLCustomObjectStorage::DefineProperties(TFiler* Filer)
{
    TZCLFormEventsHook::DefineProperties(Filer);
    Filer->DefineProperty("AutoLoad", TReaderProc(this, &TZCLCustomObjectStorage::ReadAutoLoad), nullptr, false);
}

void TZCLCustomObjectStorage::ReadAutoLoad(TReader* Reader) { Reader->ReadBoolean(); }
