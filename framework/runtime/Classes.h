#pragma once
// The object model: objects with class identity, class references, persistent objects, components with their
// ownership tree, notifications and loading protocol, pointer lists, string lists, bit arrays and collections.

#include <cstdint>
#include <initializer_list>
#include <typeinfo>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/runtime/Closure.h"
#include "framework/runtime/Sets.h"
#include "framework/runtime/SysUtils.h"

class TMetaClass;
class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
class TFiler;
class TReader;
class TWriter;
class TStream;

// Class references -------------------------------------------------------------------------------------------

using TClass = const TMetaClass*;
using TPersistentClass = const TMetaClass*;
using TComponentClass = const TMetaClass*;
using TCollectionItemClass = const TMetaClass*;

// The root of every framework class. Objects have identity, not value: they are not copied.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The class's own name without namespace qualifiers ("TStringList", "TKvPalette"). Inside a base class's
    // constructor or destructor it is that base's name: the derived part does not exist then.
    AnsiString ClassName() const;
    // The class reference of the object's dynamic class; equal for two objects of exactly the same class.
    TClass ClassType() const;
    TClass ClassParent() const;

    template <typename T>
    bool InheritsFrom() const
    {
        return dynamic_cast<const T*>(this) != nullptr;
    }
    bool InheritsFrom(TClass ancestor) const;
};

// One per class: its name, its parent class and, for classes that can be made through a class reference, the
// virtual constructor. Obtained with ClassOf<T>() or TObject::ClassType(); never created otherwise.
class TMetaClass {
public:
    TMetaClass(const TMetaClass&) = delete;
    TMetaClass& operator=(const TMetaClass&) = delete;

    const AnsiString& ClassName() const { return name_; }
    // The nearest base class that is a framework class; nullptr for TObject.
    TClass ClassParent() const;
    // True for this class and every class derived from ancestor.
    bool InheritsFrom(TClass ancestor) const;
    const std::type_info& TypeInfo() const { return *type_; }

    // Whether Create / CreateItem can make an instance (the class was named with ClassOf and is concrete).
    bool CanCreate() const { return createComponent_ != nullptr; }
    bool CanCreateItem() const { return createItem_ != nullptr; }
    // The virtual constructor of a component class. Raises EComponentError when the class cannot be created.
    TComponent* Create(TComponent* owner) const;
    // The virtual constructor of a collection item class. Raises EComponentError when it cannot be created.
    TCollectionItem* CreateItem(TCollection* collection) const;

    // Lookup for ClassOf / ClassType: the one class reference of a type, made on first use.
    static TClass Of(const std::type_info& type);

    template <typename T>
    friend TClass ClassOf();

private:
    explicit TMetaClass(const std::type_info& type);
    using ComponentFactory = TComponent* (*)(TComponent*);
    using ItemFactory = TCollectionItem* (*)(TCollection*);
    static void SetFactories(TClass cls, ComponentFactory component, ItemFactory item);

    const std::type_info* type_;
    AnsiString name_;
    mutable const TMetaClass* parent_ = nullptr;
    mutable bool parentKnown_ = false;
    ComponentFactory createComponent_ = nullptr;
    ItemFactory createItem_ = nullptr;
};

// The class reference of T; for concrete components and collection items it also carries the constructor.
template <typename T>
TClass ClassOf()
{
    static_assert(std::is_base_of_v<TObject, T>, "class references exist for framework classes only");
    static const TMetaClass* const cls = [] {
        const TMetaClass* c = TMetaClass::Of(typeid(T));
        TMetaClass::ComponentFactory component = nullptr;
        TMetaClass::ItemFactory item = nullptr;
        if constexpr (!std::is_abstract_v<T> && std::is_base_of_v<TComponent, T> &&
                      std::is_constructible_v<T, TComponent*>)
            component = [](TComponent* owner) -> TComponent* { return new T(owner); };
        if constexpr (!std::is_abstract_v<T> && std::is_base_of_v<TCollectionItem, T> &&
                      std::is_constructible_v<T, TCollection*>)
            item = [](TCollection* collection) -> TCollectionItem* { return new T(collection); };
        TMetaClass::SetFactories(c, component, item);
        return c;
    }();
    return cls;
}

// The class registry, by name (case-insensitive), for classes created from stored data.
// Where code that catches at a thread or callback boundary hands the exception it is handling: the application
// object sets it when it is made (it reports the exception on the main thread); while it is null the exception
// is dropped. Lets non-visual code report without depending on the forms layer.
extern void (*ApplicationHandleException)(TObject* Sender);

void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass cls);
// Puts component classes on a page of a design environment's component palette; each is also registered by
// name (RegisterClass), so stored components of the class can be read. A class already on the page stays once.
void RegisterComponents(const AnsiString& page, std::initializer_list<TComponentClass> classes);
// The classes put on a page (any case), in the order they came; empty for a page nothing was put on.
std::vector<TComponentClass> RegisteredComponents(const AnsiString& page);
// nullptr when no class of that name is registered.
TClass GetClass(const AnsiString& className);
// Raises EClassNotFound "Class %s not found".
TClass FindClass(const AnsiString& className);

// Persistent objects -----------------------------------------------------------------------------------------

class TPersistent : public TObject {
public:
    // Copies source into this object. The default hands over to source->AssignTo(this).
    virtual void Assign(TPersistent* source);
    // The properties this class stores beyond its published ones (see framework/Filer.h).
    virtual void DefineProperties(TFiler* filer);
    // The object's path for messages and the filer: ClassName, after the owner's path when there is one.
    virtual AnsiString GetNamePath() const;

protected:
    // Copies this object into dest; the default raises EConvertError "Cannot assign a <this> to a <dest>".
    virtual void AssignTo(TPersistent* dest);
    // The object that owns this one for GetNamePath (collections, sub-objects); none by default.
    virtual TPersistent* GetOwner() const;

private:
    [[noreturn]] void AssignError(TPersistent* source);
};

// Components -------------------------------------------------------------------------------------------------

enum TComponentStateItem : unsigned char {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
};

// The state flags of a component.
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

// The modifier keys and mouse buttons held during an input event (keyboard, mouse, shortcuts).
enum TShiftStateItem : unsigned char { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

using TGetChildProc = Closure<void(TComponent* child)>;

class TComponentLoader;

// A component belongs to its owner, which frees it. Components are told when siblings come and go
// (Notification), and components in other trees can ask to be told when one is freed (FreeNotification).
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    // Runs after the derived destructors: sets csDestroying, tells free-notification partners, frees the owned
    // components (last created first, each taken out of this one with opRemove first), and leaves the owner.
    // The inserted component's own Notification override does not see its opInsert: it is not built yet.
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    const AnsiString& Name() const { return name_; }
    // Raises EComponentError for a name that is not an identifier or that a sibling already has.
    virtual void SetName(const AnsiString& name);
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    int ComponentCount() const { return int(components_.size()); }
    // Raises EListError "List index out of bounds (%d)" for a bad index.
    TComponent* Components(int index) const;
    // The position among the owner's components, -1 without owner.
    int ComponentIndex() const;
    void SetComponentIndex(int index);
    // An owned component by name, case-insensitive; nullptr when none.
    TComponent* FindComponent(const AnsiString& name) const;

    TComponentState ComponentState() const { return state_; }
    // State changes for the filer, the loader and tests; csDesigning is otherwise always off.
    void IncludeState(TComponentStateItem item) { state_.Include(item); }
    void ExcludeState(TComponentStateItem item) { state_.Exclude(item); }
    void SetDesigning(bool designing, bool setChildren = true);

    // Takes component from its current owner into this one (opInsert to the components here).
    void InsertComponent(TComponent* component);
    // Releases an owned component without freeing it (opRemove to the components here).
    void RemoveComponent(TComponent* component);
    // Frees every owned component, last created first.
    void DestroyComponents();
    // Marks this component and its owned components csDestroying.
    void Destroying();

    // Told about a component inserted into or removed from the owner, and about freed free-notification
    // partners. Overrides call the base.
    virtual void Notification(TComponent* component, TOperation operation);
    // component will get Notification(this, opRemove) when this is freed, and this when component is freed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Called once the component and its siblings are loaded; the base clears csLoading.
    virtual void Loaded();
    // Called on a component before its stored properties are read (reader null when built in code).
    virtual void ReadState(TReader* reader);
    virtual void WriteState(TWriter* writer);
    // Hands the components to be stored as children of this one to proc.
    virtual void GetChildren(TGetChildProc proc, TComponent* root);
    // The owner and parent that children read from a stream get; nullptr (the root) and this by default.
    virtual TComponent* GetChildOwner();
    virtual TComponent* GetChildParent();
    virtual void SetChildOrder(TComponent* child, int order);
    virtual bool HasParent() const;
    virtual TComponent* GetParentComponent() const;

    void Updating() { state_.Include(csUpdating); }
    void Updated() { state_.Exclude(csUpdating); }

    AnsiString GetNamePath() const override;

protected:
    // Checks a new name; raises EComponentError with the framework's texts.
    virtual void ValidateRename(TComponent* component, const AnsiString& curName, const AnsiString& newName);
    virtual void ValidateInsert(TComponent* component);
    virtual void ChangeName(const AnsiString& newName);

private:
    friend class TComponentLoader;
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void NotifyAll(TComponent* component, TOperation operation);
    void RemoveNotification(TComponent* component);

    TComponent* owner_ = nullptr;
    AnsiString name_;
    int tag_ = 0;
    TComponentState state_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    TComponentLoader* loader_ = nullptr;
};

// The loading protocol for forms built in code. While a loader is open on a root, the root and every component
// created with the root (or a component already loading) as owner are flagged csLoading and csReading from their
// TComponent constructor on. Finish() clears csReading and calls Loaded() on each in creation order, the root
// first, as the reader does with a stored form; the base Loaded clears csLoading. Components made after Finish
// began are not part of it; components freed before their turn are skipped. A loader left without Finish (an
// exception) clears the flags without calling Loaded. Create<T> also runs ReadState(nullptr), the hook a
// component has before its properties are set; plain `new T(root)` skips that hook.
//   TMainForm::TMainForm(TComponent* owner) : TForm(owner) {
//       TComponentLoader loading(this);
//       ok_ = loading.Create<TButton>();   // or new TButton(this)
//       ok_->SetCaption("OK");
//       loading.Finish();
//   }
class TComponentLoader {
public:
    explicit TComponentLoader(TComponent* root);
    TComponentLoader(const TComponentLoader&) = delete;
    TComponentLoader& operator=(const TComponentLoader&) = delete;
    ~TComponentLoader();

    TComponent* Root() const { return root_; }
    // Creates a T owned by the root and runs its ReadState hook before the caller sets its properties.
    template <typename T, typename... A>
    T* Create(A&&... args)
    {
        T* component = new T(root_, std::forward<A>(args)...);
        component->ReadState(nullptr);
        return component;
    }
    void Finish();

private:
    friend class TComponent;
    void Join(TComponent* component);
    void Leave(TComponent* component);
    void Detach();

    TComponent* root_;
    std::vector<TComponent*> loaded_;
    bool finished_ = false;
};

// Pointer lists ----------------------------------------------------------------------------------------------

using TListSortCompare = int (*)(void* item1, void* item2);

// A list of untyped pointers that it does not own. Bad indexes raise EListError "List index out of bounds (%d)".
class TList : public TObject {
public:
    ~TList() override;

    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    // Deletes the first occurrence; returns its former index or -1.
    int Remove(void* item);
    // Takes the first occurrence out and returns it (nullptr when absent).
    void* Extract(void* item);
    int IndexOf(void* item) const;
    int Count() const { return int(items_.size()); }
    // Growing adds nil entries, shrinking drops the last ones.
    void SetCount(int count);
    void* Items(int index) const;
    void SetItems(int index, void* item);
    void* First() const;
    void* Last() const;
    int Capacity() const { return capacity_; }
    // Raises EListError "List capacity out of bounds (%d)" below Count.
    void SetCapacity(int capacity);
    virtual void Clear();
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    // Removes the nil entries.
    void Pack();
    void Sort(TListSortCompare compare);
    void Assign(const TList* source);
    const std::vector<void*>& List() const { return items_; }

    [[noreturn]] static void Error(const AnsiString& message, int data);

protected:
    enum TListNotification { lnAdded, lnExtracted, lnDeleted };
    virtual void Notify(void* item, TListNotification action);

private:
    void CheckIndex(int index) const;
    void Grow();

    std::vector<void*> items_;
    int capacity_ = 0;
};

// String lists -----------------------------------------------------------------------------------------------

// An abstract list of strings, each with an associated object pointer that the list does not own.
class TStrings : public TPersistent {
public:
    ~TStrings() override = default;

    virtual int Count() const = 0;
    AnsiString Strings(int index) const { return Get(index); }
    void SetStrings(int index, const AnsiString& s) { Put(index, s); }
    TObject* Objects(int index) const { return GetObject(index); }
    void SetObjects(int index, TObject* object) { PutObject(index, object); }

    virtual int Add(const AnsiString& s);
    virtual int AddObject(const AnsiString& s, TObject* object);
    virtual void Insert(int index, const AnsiString& s) = 0;
    void InsertObject(int index, const AnsiString& s, TObject* object);
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);
    void Append(const AnsiString& s) { Add(s); }
    virtual void AddStrings(TStrings* strings);
    void Assign(TPersistent* source) override;
    // Same strings in the same order (objects not compared).
    bool Equals(TStrings* strings) const;

    // Case-insensitive, as the framework compares list entries; TStringList follows its CaseSensitive.
    virtual int IndexOf(const AnsiString& s) const;
    int IndexOfName(const AnsiString& name) const;
    int IndexOfObject(TObject* object) const;

    // Name=value lines.
    AnsiString Names(int index) const;
    AnsiString Values(const AnsiString& name) const;
    // Replaces the value of an existing name, appends a new line, or deletes the line for an empty value.
    void SetValues(const AnsiString& name, const AnsiString& value);
    AnsiString ValueFromIndex(int index) const;
    void SetValueFromIndex(int index, const AnsiString& value);
    char NameValueSeparator() const { return nameValueSeparator_; }
    void SetNameValueSeparator(char c) { nameValueSeparator_ = c; }

    // The lines joined with CR LF after each line; setting splits on CR, LF and CR LF.
    virtual AnsiString Text() const;
    virtual void SetText(const AnsiString& text);
    // Items separated by commas, quoted when they hold a space, a comma, a quote or a control character.
    AnsiString CommaText() const;
    void SetCommaText(const AnsiString& text);
    // As CommaText with Delimiter and QuoteChar.
    AnsiString DelimitedText() const;
    void SetDelimitedText(const AnsiString& text);
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char c) { delimiter_ = c; }
    char QuoteChar() const { return quoteChar_; }
    void SetQuoteChar(char c) { quoteChar_ = c; }

    // Nested; SetUpdateState(true) on the first BeginUpdate and (false) on the last EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    virtual void LoadFromFile(const AnsiString& fileName);
    virtual void SaveToFile(const AnsiString& fileName) const;
    virtual void LoadFromStream(TStream* stream);
    virtual void SaveToStream(TStream* stream) const;

protected:
    virtual AnsiString Get(int index) const = 0;
    virtual void Put(int index, const AnsiString& s);
    virtual TObject* GetObject(int index) const;
    virtual void PutObject(int index, TObject* object);
    virtual void SetUpdateState(bool updating);
    virtual int CompareStrings(const AnsiString& s1, const AnsiString& s2) const;
    [[noreturn]] static void Error(const AnsiString& message, int data);
    // The lines are stored as one list property "Strings", so a list that is a published sub-object keeps them.
    void DefineProperties(TFiler* filer) override;

private:
    void ReadData(TReader* reader);
    void WriteData(TWriter* writer);
    AnsiString DelimitedWith(char delimiter, char quote) const;
    void SetDelimitedWith(const AnsiString& text, char delimiter, char quote);

    int updateCount_ = 0;
    char nameValueSeparator_ = '=';
    char delimiter_ = ',';
    char quoteChar_ = '"';
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare = int (*)(TStringList* list, int index1, int index2);

// The string list: optionally sorted, with change events. Bad indexes raise EStringListError
// "List index out of bounds (%d)".
class TStringList : public TStrings {
public:
    TStringList() = default;
    ~TStringList() override;

    int Count() const override { return int(items_.size()); }
    int Add(const AnsiString& s) override;
    int AddObject(const AnsiString& s, TObject* object) override;
    void Insert(int index, const AnsiString& s) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int index1, int index2) override;
    int IndexOf(const AnsiString& s) const override;

    // Binary search of a sorted list: true when found, index = position found or where s would go.
    virtual bool Find(const AnsiString& s, int& index) const;
    virtual void Sort();
    virtual void CustomSort(TStringListSortCompare compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool caseSensitive);

    // Fired before and after every change, except while an update is open; once at its end.
    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent e) { onChange_ = e; }
    TNotifyEvent OnChanging() const { return onChanging_; }
    void SetOnChanging(TNotifyEvent e) { onChanging_ = e; }

protected:
    AnsiString Get(int index) const override;
    void Put(int index, const AnsiString& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    void SetUpdateState(bool updating) override;
    int CompareStrings(const AnsiString& s1, const AnsiString& s2) const override;
    virtual void Changed();
    virtual void Changing();
    virtual void InsertItem(int index, const AnsiString& s, TObject* object);

private:
    struct Item {
        AnsiString string;
        TObject* object;
    };
    void CheckIndex(int index) const;
    static int CompareListStrings(TStringList* list, int index1, int index2);
    void QuickSort(int lo, int hi, TStringListSortCompare compare);
    void ExchangeItems(int index1, int index2);

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = dupIgnore;
    TNotifyEvent onChange_;
    TNotifyEvent onChanging_;
};

// Bit arrays -------------------------------------------------------------------------------------------------

// A growable array of bits. A negative index raises EBitsError "Bits index out of range"; setting a bit past the
// end grows the array.
class TBits : public TObject {
public:
    int Size() const { return int(bits_.size()); }
    void SetSize(int size);
    bool Bits(int index) const;
    void SetBits(int index, bool value);
    // The index of the first clear bit (Size when all are set).
    int OpenBit() const;

private:
    [[noreturn]] static void Error();
    std::vector<bool> bits_;
};

// Collections ------------------------------------------------------------------------------------------------

// An item of a collection, which owns it.
class TCollectionItem : public TPersistent {
public:
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return collection_; }
    // Moves the item from its collection into another one (or out of any when null).
    virtual void SetCollection(TCollection* collection);
    int Index() const;
    virtual void SetIndex(int index);
    int ID() const { return id_; }
    AnsiString DisplayName() const { return GetDisplayName(); }
    virtual void SetDisplayName(const AnsiString& name);
    AnsiString GetNamePath() const override;

protected:
    // The class name by default.
    virtual AnsiString GetDisplayName() const;
    // Reports a change: this item only, or every item when allItems.
    void Changed(bool allItems);
    TPersistent* GetOwner() const override;

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

// An owning list of items of one item class.
class TCollection : public TPersistent {
public:
    explicit TCollection(TCollectionItemClass itemClass);
    ~TCollection() override;

    // Creates an item of the item class at the end.
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int Count() const { return int(items_.size()); }
    // Raises EListError "List index out of bounds (%d)".
    TCollectionItem* Items(int index) const;
    TCollectionItem* FindItemID(int id) const;
    TCollectionItemClass ItemClass() const { return itemClass_; }
    void Assign(TPersistent* source) override;

    // Nested; Update(nullptr) when the last one ends.
    virtual void BeginUpdate();
    virtual void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    AnsiString GetNamePath() const override;
    // The name of the owner's property that holds this collection, for GetNamePath.
    AnsiString PropName() const { return propName_; }
    void SetPropName(const AnsiString& name) { propName_ = name; }

protected:
    // Told after a change of item (or of all items when null), unless an update is open.
    virtual void Update(TCollectionItem* item);
    virtual void Changed();
    virtual void Notify(TCollectionItem* item, int action);  // 0 added, 1 deleting

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);

    TCollectionItemClass itemClass_;
    std::vector<TCollectionItem*> items_;
    int updateCount_ = 0;
    int nextId_ = 0;
    AnsiString propName_;
};

// A collection that belongs to a persistent object (its GetOwner).
class TOwnedCollection : public TCollection {
public:
    TOwnedCollection(TPersistent* owner, TCollectionItemClass itemClass) : TCollection(itemClass), owner_(owner) {}

protected:
    TPersistent* GetOwner() const override { return owner_; }

private:
    TPersistent* owner_;
};
