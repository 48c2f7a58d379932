#pragma once
// Keeps chosen published properties of the components of a form in one binary registry value: loaded when the
// form is created, saved when it closes.

#include <cstdint>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/visual/Forms.h"
#include "zcl/core/Zclcomponent.h"

class TStream;

enum TZCLRegRoot : std::uint8_t { rrCurrentUser, rrLocalMachine };

// Chains itself in front of the owner form's OnCreate, OnClose and OnDestroy (after loading, not at design
// time), runs its loading step on creation and its saving step when the form closes or goes.
class TZCLFormEventsHook : public TZCLComponent {
public:
    explicit TZCLFormEventsHook(TComponent* AOwner);
    // Gives the form back its own handlers when it still points at this one.
    ~TZCLFormEventsHook() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value) { enabled_ = Value; }
    bool Hooked() const { return hooked_; }

    TNotifyEvent OnLoading() const { return onLoading_; }
    void SetOnLoading(TNotifyEvent Value) { onLoading_ = Value; }
    TNotifyEvent OnSaving() const { return onSaving_; }
    void SetOnSaving(TNotifyEvent Value) { onSaving_ = Value; }

    void Loaded() override;

protected:
    // OnLoading, then whatever a derived hook loads.
    virtual void DoLoading();
    // Whatever a derived hook saves, then OnSaving.
    virtual void DoSaving();

private:
    TCustomForm* OwnerForm() const;
    void Hook();
    void Unhook();
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormDestroy(TObject* Sender);

    bool enabled_ = true;
    bool hooked_ = false;
    TNotifyEvent prevCreate_;
    TCloseEvent prevClose_;
    TNotifyEvent prevDestroy_;
    TNotifyEvent onLoading_;
    TNotifyEvent onSaving_;
};

// One property to keep: the property Name of the component ComponentName (the form itself or one it owns).
class TZCLPropertyStorageItem : public TCollectionItem {
public:
    explicit TZCLPropertyStorageItem(TCollection* Collection) : TCollectionItem(Collection) {}
    void Assign(TPersistent* Source) override;

    const AnsiString& Name() const { return name_; }
    void SetName(const AnsiString& Value) { name_ = Value; }
    const AnsiString& ComponentName() const { return componentName_; }
    void SetComponentName(const AnsiString& Value) { componentName_ = Value; }

private:
    AnsiString name_;
    AnsiString componentName_;
};

class TZCLPropertyStorage : public TOwnedCollection {
public:
    explicit TZCLPropertyStorage(TPersistent* Owner);

    TZCLPropertyStorageItem* Add();
    TZCLPropertyStorageItem* GetItems(int Index) const;
    // The first item naming exactly that component and property; nullptr when none.
    TZCLPropertyStorageItem* FindItem(const AnsiString& ComponentName, const AnsiString& PropertyName) const;
};

class TZCLCustomObjectStorage : public TZCLFormEventsHook {
public:
    explicit TZCLCustomObjectStorage(TComponent* AOwner);
    ~TZCLCustomObjectStorage() override;

    // The key path and, after its last "\", the value name.
    const AnsiString& RegistryPath() const { return registryPath_; }
    void SetRegistryPath(const AnsiString& Value) { registryPath_ = Value; }
    TZCLRegRoot RegistryKey() const { return registryKey_; }
    void SetRegistryKey(TZCLRegRoot Value) { registryKey_ = Value; }
    TZCLPropertyStorage* Properties() const { return properties_; }
    void SetProperties(TZCLPropertyStorage* Value) { properties_->Assign(Value); }

    // A component stream with the owner as root: a list of (component name, list of that one property).
    void SaveToStream(TStream* Stream);
    // Raises EReadError "Can't find component " + name for a name that is neither the owner nor one of its
    // components.
    void LoadFromStream(TStream* Stream);
    bool SaveToFile(const AnsiString& FileName);
    bool LoadFromFile(const AnsiString& FileName);
    // Nothing without a path; the key is created.
    void SaveToRegistry();
    // Nothing when the key or the value is missing or empty.
    void LoadFromRegistry();
    void ClearRegistry();
    void Save() { SaveToRegistry(); }
    void Load() { LoadFromRegistry(); }
    void ClearData() { ClearRegistry(); }

    // "AutoLoad" is read from older forms and never written.
    void DefineProperties(TFiler* Filer) override;

protected:
    void DoLoading() override;
    void DoSaving() override;

private:
    HKEY Root() const;
    void ReadAutoLoad(TReader* Reader);

    AnsiString registryPath_;
    TZCLRegRoot registryKey_ = rrCurrentUser;
    TZCLPropertyStorage* properties_;
};

class TZCLObjectStorage : public TZCLCustomObjectStorage {
public:
    explicit TZCLObjectStorage(TComponent* AOwner) : TZCLCustomObjectStorage(AOwner) {}
};
