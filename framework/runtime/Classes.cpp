#include "framework/runtime/Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <typeindex>
#include <unordered_map>

#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"

void (*ApplicationHandleException)(TObject* Sender) = nullptr;

// Class references ---------------------------------------------------------------------------------------------

namespace {

std::mutex& ClassMutex()
{
    static std::mutex m;
    return m;
}

// The class's own name: demangled, without the namespaces around it (template arguments keep theirs).
AnsiString OwnName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                      std::free);
    const std::string full = status == 0 && demangled ? demangled.get() : type.name();
    std::size_t start = 0;
    int depth = 0;
    for (std::size_t i = 0; i < full.size(); ++i) {
        const char c = full[i];
        if (c == '<' || c == '(') ++depth;
        else if (c == '>' || c == ')') --depth;
        else if (depth == 0 && c == ':' && i + 1 < full.size() && full[i + 1] == ':') start = i + 2;
    }
    return AnsiString(full.substr(start));
}

bool DerivesFrom(const std::type_info& type, const std::type_info& base)
{
    if (type == base) return true;
    if (auto si = dynamic_cast<const abi::__si_class_type_info*>(&type)) return DerivesFrom(*si->__base_type, base);
    if (auto vmi = dynamic_cast<const abi::__vmi_class_type_info*>(&type)) {
        for (unsigned i = 0; i < vmi->__base_count; ++i)
            if (DerivesFrom(*vmi->__base_info[i].__base_type, base)) return true;
    }
    return false;
}

// The first public base of type that is a framework class, from the compiler's type information, so that no
// class has to declare its parent.
const std::type_info* ParentType(const std::type_info& type)
{
    if (type == typeid(TObject)) return nullptr;
    if (auto si = dynamic_cast<const abi::__si_class_type_info*>(&type)) return si->__base_type;
    if (auto vmi = dynamic_cast<const abi::__vmi_class_type_info*>(&type)) {
        for (unsigned i = 0; i < vmi->__base_count; ++i) {
            const auto& b = vmi->__base_info[i];
            if (b.__is_public_p() && DerivesFrom(*b.__base_type, typeid(TObject))) return b.__base_type;
        }
    }
    return nullptr;
}

std::vector<TClass>& Registered()
{
    static std::vector<TClass> classes;
    return classes;
}

}  // namespace

TMetaClass::TMetaClass(const std::type_info& type) : type_(&type), name_(OwnName(type)) {}

TClass TMetaClass::Of(const std::type_info& type)
{
    static std::unordered_map<std::type_index, std::unique_ptr<TMetaClass>> classes;
    std::lock_guard lock(ClassMutex());
    auto& slot = classes[std::type_index(type)];
    if (!slot) slot.reset(new TMetaClass(type));
    return slot.get();
}

void TMetaClass::SetFactories(TClass cls, ComponentFactory component, ItemFactory item)
{
    std::lock_guard lock(ClassMutex());
    TMetaClass* c = const_cast<TMetaClass*>(cls);
    c->createComponent_ = component;
    c->createItem_ = item;
}

TClass TMetaClass::ClassParent() const
{
    {
        std::lock_guard lock(ClassMutex());
        if (parentKnown_) return parent_;
    }
    const std::type_info* p = ParentType(*type_);
    TClass parent = p ? Of(*p) : nullptr;
    std::lock_guard lock(ClassMutex());
    parent_ = parent;
    parentKnown_ = true;
    return parent_;
}

bool TMetaClass::InheritsFrom(TClass ancestor) const
{
    if (!ancestor) return false;
    for (TClass c = this; c; c = c->ClassParent())
        if (c == ancestor) return true;
    return false;
}

TComponent* TMetaClass::Create(TComponent* owner) const
{
    if (!createComponent_) throw EComponentError(Format("Cannot create an instance of %s", name_));
    return createComponent_(owner);
}

TCollectionItem* TMetaClass::CreateItem(TCollection* collection) const
{
    if (!createItem_) throw EComponentError(Format("Cannot create an instance of %s", name_));
    return createItem_(collection);
}

void RegisterClass(TClass cls)
{
    if (!cls) return;
    std::lock_guard lock(ClassMutex());
    for (TClass c : Registered()) {
        if (c == cls) return;
        if (SameText(c->ClassName(), cls->ClassName()))
            throw EFilerError(Format("A class named %s already exists", cls->ClassName()));
    }
    Registered().push_back(cls);
}

void RegisterClasses(std::initializer_list<TClass> classes)
{
    for (TClass c : classes) RegisterClass(c);
}

void UnRegisterClass(TClass cls)
{
    std::lock_guard lock(ClassMutex());
    auto& r = Registered();
    r.erase(std::remove(r.begin(), r.end(), cls), r.end());
}

namespace {
struct ComponentPage {
    AnsiString name;
    std::vector<TComponentClass> classes;
};
std::vector<ComponentPage>& ComponentPages()
{
    static std::vector<ComponentPage> pages;
    return pages;
}
}  // namespace

void RegisterComponents(const AnsiString& page, std::initializer_list<TComponentClass> classes)
{
    for (TComponentClass c : classes) RegisterClass(c);
    std::lock_guard lock(ClassMutex());
    auto& pages = ComponentPages();
    auto it = std::find_if(pages.begin(), pages.end(), [&](const ComponentPage& p) { return SameText(p.name, page); });
    if (it == pages.end()) it = pages.insert(pages.end(), ComponentPage{page, {}});
    for (TComponentClass c : classes)
        if (c && std::find(it->classes.begin(), it->classes.end(), c) == it->classes.end()) it->classes.push_back(c);
}

std::vector<TComponentClass> RegisteredComponents(const AnsiString& page)
{
    std::lock_guard lock(ClassMutex());
    for (const ComponentPage& p : ComponentPages())
        if (SameText(p.name, page)) return p.classes;
    return {};
}

TClass GetClass(const AnsiString& className)
{
    std::lock_guard lock(ClassMutex());
    for (TClass c : Registered())
        if (SameText(c->ClassName(), className)) return c;
    return nullptr;
}

TClass FindClass(const AnsiString& className)
{
    TClass c = GetClass(className);
    if (!c) throw EClassNotFound(Format("Class %s not found", className));
    return c;
}

// TObject ------------------------------------------------------------------------------------------------------

TClass TObject::ClassType() const { return TMetaClass::Of(typeid(*this)); }

AnsiString TObject::ClassName() const { return ClassType()->ClassName(); }

TClass TObject::ClassParent() const { return ClassType()->ClassParent(); }

bool TObject::InheritsFrom(TClass ancestor) const { return ClassType()->InheritsFrom(ancestor); }

// TPersistent --------------------------------------------------------------------------------------------------

void TPersistent::Assign(TPersistent* source)
{
    if (source) source->AssignTo(this);
    else AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source)
{
    const AnsiString sourceName = source ? source->ClassName() : AnsiString("nil");
    throw EConvertError(Format("Cannot assign a %s to a %s", sourceName, ClassName()));
}

void TPersistent::DefineProperties(TFiler*) {}

TPersistent* TPersistent::GetOwner() const { return nullptr; }

AnsiString TPersistent::GetNamePath() const
{
    AnsiString result = ClassName();
    if (TPersistent* owner = GetOwner()) {
        const AnsiString path = owner->GetNamePath();
        if (!path.IsEmpty()) result = path + "." + result;
    }
    return result;
}

// TComponent ---------------------------------------------------------------------------------------------------

namespace {

bool IsValidIdent(const AnsiString& s)
{
    if (s.IsEmpty()) return false;
    auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!alpha(s[1])) return false;
    for (int i = 2; i <= s.Length(); ++i)
        if (!alpha(s[i]) && !(s[i] >= '0' && s[i] <= '9')) return false;
    return true;
}

[[noreturn]] void ListIndexError(int index)
{
    throw EListError(Format("List index out of bounds (%d)", index));
}

}  // namespace

TComponent::TComponent(TComponent* owner)
{
    if (owner) {
        owner->InsertComponent(this);
        if (owner->loader_) owner->loader_->Join(this);
    }
}

// Runs after the derived destructors, so the owner's own clean-up is done before its components go: they are
// still alive while it runs, as the framework has it.
TComponent::~TComponent()
{
    Destroying();
    if (loader_) loader_->Leave(this);
    // Free-notification partners first, while this component still sits in its owner.
    while (!freeNotifies_.empty()) {
        TComponent* partner = freeNotifies_.back();
        freeNotifies_.pop_back();
        partner->RemoveNotification(this);
        partner->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::Destroying()
{
    if (state_.Contains(csDestroying)) return;
    state_.Include(csDestroying);
    for (TComponent* c : components_) c->Destroying();
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* c = components_.back();
        // Siblings that keep a pointer to it are told before it goes.
        RemoveComponent(c);
        delete c;
    }
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount()) ListIndexError(index);
    return components_[std::size_t(index)];
}

int TComponent::ComponentIndex() const
{
    if (!owner_) return -1;
    const auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TComponent::SetComponentIndex(int index)
{
    if (!owner_) return;
    auto& list = owner_->components_;
    const int current = ComponentIndex();
    if (current < 0) return;
    const int last = int(list.size()) - 1;
    if (index < 0) index = 0;
    if (index > last) index = last;
    if (index == current) return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + index, this);
}

TComponent* TComponent::FindComponent(const AnsiString& name) const
{
    if (name.IsEmpty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name)) return c;
    return nullptr;
}

void TComponent::SetName(const AnsiString& name)
{
    if (name_ == name) return;
    if (!name.IsEmpty() && !IsValidIdent(name))
        throw EComponentError(Format("'%s' is not a valid component name", name));
    if (owner_) owner_->ValidateRename(this, name_, name);
    else ValidateRename(nullptr, name_, name);
    ChangeName(name);
}

void TComponent::ChangeName(const AnsiString& newName) { name_ = newName; }

void TComponent::ValidateRename(TComponent* component, const AnsiString& curName, const AnsiString& newName)
{
    if (component && !SameText(curName, newName)) {
        TComponent* other = FindComponent(newName);
        if (other && other != component)
            throw EComponentError(Format("A component named %s already exists", newName));
    }
}

void TComponent::ValidateInsert(TComponent*) {}

void TComponent::SetDesigning(bool designing, bool setChildren)
{
    if (designing) state_.Include(csDesigning);
    else state_.Exclude(csDesigning);
    if (setChildren)
        for (TComponent* c : components_) c->SetDesigning(designing, true);
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->owner_ == this) return;
    ValidateInsert(component);
    ValidateRename(component, AnsiString(), component->name_);
    if (component->owner_) component->owner_->RemoveComponent(component);
    Insert(component);
    if (state_.Contains(csDesigning)) component->SetDesigning(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->owner_ != this) return;
    Notification(component, opRemove);
    Remove(component);
}

void TComponent::Insert(TComponent* component)
{
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::Remove(TComponent* component)
{
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it != components_.end()) components_.erase(it);
    component->owner_ = nullptr;
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component) RemoveFreeNotification(component);
    // Last first, and robust against handlers that free components of this one.
    int i = ComponentCount() - 1;
    while (i >= 0) {
        components_[std::size_t(i)]->Notification(component, operation);
        --i;
        if (i >= ComponentCount()) i = ComponentCount() - 1;
    }
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
        component->freeNotifies_.end())
        component->freeNotifies_.push_back(this);
    state_.Include(csFreeNotification);
    component->state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component) return;
    RemoveNotification(component);
    component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component)
{
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component), freeNotifies_.end());
    if (freeNotifies_.empty()) state_.Exclude(csFreeNotification);
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::ReadState(TReader*) {}

void TComponent::WriteState(TWriter*) {}

void TComponent::GetChildren(TGetChildProc, TComponent*) {}

TComponent* TComponent::GetChildOwner() { return nullptr; }

TComponent* TComponent::GetChildParent() { return this; }

void TComponent::SetChildOrder(TComponent*, int) {}

bool TComponent::HasParent() const { return false; }

TComponent* TComponent::GetParentComponent() const { return nullptr; }

AnsiString TComponent::GetNamePath() const { return name_; }

// TComponentLoader ---------------------------------------------------------------------------------------------

TComponentLoader::TComponentLoader(TComponent* root) : root_(root)
{
    if (!root_) throw EInvalidOperation("A loader needs a root component");
    if (root_->loader_) throw EInvalidOperation(Format("%s is already being loaded", root_->ClassName()));
    root_->loader_ = this;
    root_->IncludeState(csLoading);
    root_->IncludeState(csReading);
    loaded_.push_back(root_);
}

TComponentLoader::~TComponentLoader() { Detach(); }

void TComponentLoader::Join(TComponent* component)
{
    if (finished_) return;
    component->loader_ = this;
    component->IncludeState(csLoading);
    component->IncludeState(csReading);
    loaded_.push_back(component);
}

void TComponentLoader::Leave(TComponent* component)
{
    for (TComponent*& c : loaded_)
        if (c == component) c = nullptr;
    component->loader_ = nullptr;
    if (component == root_) root_ = nullptr;
}

void TComponentLoader::Finish()
{
    if (finished_) return;
    finished_ = true;
    for (TComponent* c : loaded_)
        if (c) c->ExcludeState(csReading);
    // Components freed by a Loaded handler leave the list (Leave), so the walk never touches a freed one.
    for (std::size_t i = 0; i < loaded_.size(); ++i)
        if (TComponent* c = loaded_[i]) c->Loaded();
    Detach();
}

void TComponentLoader::Detach()
{
    for (TComponent* c : loaded_) {
        if (!c) continue;
        c->ExcludeState(csLoading);
        c->ExcludeState(csReading);
        c->loader_ = nullptr;
    }
    loaded_.clear();
    root_ = nullptr;
}

// Sorting ------------------------------------------------------------------------------------------------------

namespace {

// The framework's quick sort over positions, with guards so that an inconsistent comparison can never run
// outside [lo, hi]. compare(i, j) compares the items at i and j; exchange swaps them.
template <typename Compare, typename Exchange>
void QuickSortIndexes(int lo, int hi, Compare compare, Exchange exchange)
{
    while (lo < hi) {
        int i = lo, j = hi, p = lo + (hi - lo) / 2;
        do {
            while (i < hi && compare(i, p) < 0) ++i;
            while (j > lo && compare(j, p) > 0) --j;
            if (i <= j) {
                if (i != j) exchange(i, j);
                if (p == i) p = j;
                else if (p == j) p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (lo < j) QuickSortIndexes(lo, j, compare, exchange);
        lo = i;
    }
}

}  // namespace

// TList --------------------------------------------------------------------------------------------------------

TList::~TList() { Clear(); }

void TList::Error(const AnsiString& message, int data) { throw EListError(Format(message, data)); }

void TList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
}

void TList::Grow()
{
    const int delta = capacity_ > 64 ? capacity_ / 4 : capacity_ > 8 ? 16 : 4;
    SetCapacity(capacity_ + delta);
}

void TList::SetCapacity(int capacity)
{
    if (capacity < Count()) Error("List capacity out of bounds (%d)", capacity);
    capacity_ = capacity;
    items_.reserve(std::size_t(capacity));
}

void TList::SetCount(int count)
{
    if (count < 0) Error("List count out of bounds (%d)", count);
    if (count > capacity_) SetCapacity(count);
    if (count > Count()) items_.resize(std::size_t(count), nullptr);
    else
        while (Count() > count) Delete(Count() - 1);
}

int TList::Add(void* item)
{
    const int index = Count();
    if (index == capacity_) Grow();
    items_.push_back(item);
    if (item) Notify(item, lnAdded);
    return index;
}

void TList::Insert(int index, void* item)
{
    if (index < 0 || index > Count()) Error("List index out of bounds (%d)", index);
    if (Count() == capacity_) Grow();
    items_.insert(items_.begin() + index, item);
    if (item) Notify(item, lnAdded);
}

void TList::Delete(int index)
{
    CheckIndex(index);
    void* item = items_[std::size_t(index)];
    items_.erase(items_.begin() + index);
    if (item) Notify(item, lnDeleted);
}

int TList::IndexOf(void* item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

int TList::Remove(void* item)
{
    const int index = IndexOf(item);
    if (index >= 0) Delete(index);
    return index;
}

void* TList::Extract(void* item)
{
    const int index = IndexOf(item);
    if (index < 0) return nullptr;
    items_.erase(items_.begin() + index);
    if (item) Notify(item, lnExtracted);
    return item;
}

void* TList::Items(int index) const
{
    CheckIndex(index);
    return items_[std::size_t(index)];
}

void TList::SetItems(int index, void* item)
{
    CheckIndex(index);
    void* old = items_[std::size_t(index)];
    if (old == item) return;
    items_[std::size_t(index)] = item;
    if (old) Notify(old, lnDeleted);
    if (item) Notify(item, lnAdded);
}

void* TList::First() const { return Items(0); }

void* TList::Last() const { return Items(Count() - 1); }

void TList::Clear()
{
    SetCount(0);
    SetCapacity(0);
}

void TList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[std::size_t(index1)], items_[std::size_t(index2)]);
}

void TList::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex) return;
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    void* item = items_[std::size_t(curIndex)];
    items_.erase(items_.begin() + curIndex);
    items_.insert(items_.begin() + newIndex, item);
}

void TList::Pack()
{
    for (int i = Count() - 1; i >= 0; --i)
        if (!items_[std::size_t(i)]) Delete(i);
}

void TList::Sort(TListSortCompare compare)
{
    if (!compare || Count() < 2) return;
    QuickSortIndexes(
        0, Count() - 1, [&](int i, int j) { return compare(items_[std::size_t(i)], items_[std::size_t(j)]); },
        [&](int i, int j) { std::swap(items_[std::size_t(i)], items_[std::size_t(j)]); });
}

void TList::Assign(const TList* source)
{
    if (source == this) return;
    Clear();
    if (!source) return;
    SetCapacity(source->Count());
    for (void* p : source->items_) Add(p);
}

void TList::Notify(void*, TListNotification) {}

// TStrings -----------------------------------------------------------------------------------------------------

void TStrings::Error(const AnsiString& message, int data) { throw EStringListError(Format(message, data)); }

int TStrings::Add(const AnsiString& s)
{
    const int index = Count();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const AnsiString& s, TObject* object)
{
    const int index = Add(s);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const AnsiString& s, TObject* object)
{
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::Put(int index, const AnsiString& s)
{
    TObject* object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, TObject*) {}

void TStrings::Exchange(int index1, int index2)
{
    BeginUpdate();
    try {
        const AnsiString s = Strings(index1);
        TObject* o = Objects(index1);
        SetStrings(index1, Strings(index2));
        SetObjects(index1, Objects(index2));
        SetStrings(index2, s);
        SetObjects(index2, o);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex) return;
    BeginUpdate();
    try {
        const AnsiString s = Get(curIndex);
        TObject* o = GetObject(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, o);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::AddStrings(TStrings* strings)
{
    if (!strings) return;
    BeginUpdate();
    try {
        const int n = strings->Count();
        for (int i = 0; i < n; ++i) AddObject(strings->Strings(i), strings->Objects(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(TPersistent* source)
{
    if (auto* strings = dynamic_cast<TStrings*>(source)) {
        if (strings == this) return;
        BeginUpdate();
        try {
            Clear();
            nameValueSeparator_ = strings->nameValueSeparator_;
            delimiter_ = strings->delimiter_;
            quoteChar_ = strings->quoteChar_;
            AddStrings(strings);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(source);
}

bool TStrings::Equals(TStrings* strings) const
{
    if (!strings) return false;
    const int n = Count();
    if (n != strings->Count()) return false;
    for (int i = 0; i < n; ++i)
        if (!(Get(i) == strings->Get(i))) return false;
    return true;
}

int TStrings::CompareStrings(const AnsiString& s1, const AnsiString& s2) const { return AnsiCompareText(s1, s2); }

int TStrings::IndexOf(const AnsiString& s) const
{
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const AnsiString& name) const
{
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        const AnsiString s = Get(i);
        const int p = s.Pos(AnsiString(nameValueSeparator_));
        if (p != 0 && CompareStrings(s.SubString(1, p - 1), name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* object) const
{
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (GetObject(i) == object) return i;
    return -1;
}

AnsiString TStrings::Names(int index) const
{
    const AnsiString s = Get(index);
    const int p = s.Pos(AnsiString(nameValueSeparator_));
    return p != 0 ? s.SubString(1, p - 1) : AnsiString();
}

AnsiString TStrings::Values(const AnsiString& name) const
{
    const int i = IndexOfName(name);
    return i >= 0 ? ValueFromIndex(i) : AnsiString();
}

void TStrings::SetValues(const AnsiString& name, const AnsiString& value)
{
    int i = IndexOfName(name);
    if (!value.IsEmpty()) {
        if (i < 0) i = Add(AnsiString());
        Put(i, name + nameValueSeparator_ + value);
    } else if (i >= 0) {
        Delete(i);
    }
}

// A line without a separator has no value (rather than its text less the first character).
AnsiString TStrings::ValueFromIndex(int index) const
{
    const AnsiString s = Get(index);
    const int p = s.Pos(AnsiString(nameValueSeparator_));
    return p != 0 ? s.SubString(p + 1, s.Length() - p) : AnsiString();
}

void TStrings::SetValueFromIndex(int index, const AnsiString& value)
{
    if (!value.IsEmpty()) {
        if (index < 0) index = Add(AnsiString());
        Put(index, Names(index) + nameValueSeparator_ + value);
    } else if (index >= 0) {
        Delete(index);
    }
}

AnsiString TStrings::Text() const
{
    std::string result;
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        result += Get(i).str();
        result += "\r\n";
    }
    return AnsiString(std::move(result));
}

void TStrings::SetText(const AnsiString& text)
{
    BeginUpdate();
    try {
        Clear();
        const std::string& s = text.str();
        std::size_t i = 0;
        while (i < s.size()) {
            const std::size_t start = i;
            while (i < s.size() && s[i] != '\r' && s[i] != '\n') ++i;
            Add(AnsiString(s.substr(start, i - start)));
            if (i < s.size() && s[i] == '\r') ++i;
            if (i < s.size() && s[i] == '\n') ++i;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

AnsiString TStrings::DelimitedWith(char delimiter, char quote) const
{
    const int n = Count();
    if (n == 1 && Get(0).IsEmpty()) return AnsiString(std::string(2, quote));
    std::string result;
    for (int i = 0; i < n; ++i) {
        const AnsiString item = Get(i);
        const std::string& s = item.str();
        const bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == quote || c == delimiter;
        });
        if (i > 0) result += delimiter;
        if (needsQuotes) {
            result += quote;
            for (char c : s) {
                result += c;
                if (c == quote) result += quote;
            }
            result += quote;
        } else {
            result += s;
        }
    }
    return AnsiString(std::move(result));
}

void TStrings::SetDelimitedWith(const AnsiString& text, char delimiter, char quote)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    BeginUpdate();
    try {
        Clear();
        const std::string& s = text.str();
        const std::size_t n = s.size();
        std::size_t i = 0;
        while (i < n && blank(s[i])) ++i;
        while (i < n) {
            std::string item;
            if (s[i] == quote) {
                ++i;
                while (i < n) {
                    if (s[i] == quote) {
                        if (i + 1 < n && s[i + 1] == quote) {
                            item += quote;
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    item += s[i++];
                }
            } else {
                const std::size_t start = i;
                while (i < n && static_cast<unsigned char>(s[i]) > ' ' && s[i] != delimiter) ++i;
                item = s.substr(start, i - start);
            }
            Add(AnsiString(std::move(item)));
            while (i < n && blank(s[i])) ++i;
            if (i < n && s[i] == delimiter) {
                if (i + 1 == n) Add(AnsiString());
                ++i;
                while (i < n && blank(s[i])) ++i;
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

AnsiString TStrings::CommaText() const { return DelimitedWith(',', '"'); }

void TStrings::SetCommaText(const AnsiString& text) { SetDelimitedWith(text, ',', '"'); }

AnsiString TStrings::DelimitedText() const { return DelimitedWith(delimiter_, quoteChar_); }

void TStrings::SetDelimitedText(const AnsiString& text) { SetDelimitedWith(text, delimiter_, quoteChar_); }

// The hook runs outside the count, so that it can still report the change that begins.
void TStrings::BeginUpdate()
{
    if (updateCount_ == 0) SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate()
{
    if (updateCount_ <= 0) return;
    if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::DefineProperties(TFiler* filer)
{
    TPersistent::DefineProperties(filer);
    filer->DefineProperty("Strings", TReaderProc(this, &TStrings::ReadData), TWriterProc(this, &TStrings::WriteData),
                          Count() > 0);
}

void TStrings::ReadData(TReader* reader)
{
    BeginUpdate();
    try {
        Clear();
        reader->ReadListBegin();
        while (!reader->EndOfList()) Add(reader->ReadString());
        reader->ReadListEnd();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::WriteData(TWriter* writer)
{
    writer->WriteListBegin();
    const int n = Count();
    for (int i = 0; i < n; ++i) writer->WriteString(Get(i));
    writer->WriteListEnd();
}

void TStrings::LoadFromFile(const AnsiString& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TStrings::SaveToFile(const AnsiString& fileName) const
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(&stream);
}

void TStrings::LoadFromStream(TStream* stream)
{
    BeginUpdate();
    try {
        const int size = stream->Size() - stream->Position();
        std::string text(std::size_t(size > 0 ? size : 0), '\0');
        if (size > 0) stream->ReadBuffer(text.data(), size);
        SetText(AnsiString(std::move(text)));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::SaveToStream(TStream* stream) const
{
    const AnsiString text = Text();
    if (text.Length() > 0) stream->WriteBuffer(text.c_str(), text.Length());
}

// TStringList --------------------------------------------------------------------------------------------------

TStringList::~TStringList()
{
    onChange_ = nullptr;
    onChanging_ = nullptr;
}

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && onChange_) onChange_(this);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && onChanging_) onChanging_(this);
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating) Changing();
    else Changed();
}

int TStringList::CompareStrings(const AnsiString& s1, const AnsiString& s2) const
{
    return caseSensitive_ ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

int TStringList::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const AnsiString& s, TObject* object)
{
    int index;
    if (!sorted_) {
        index = Count();
    } else if (Find(s, index)) {
        switch (duplicates_) {
        case dupIgnore:
            return index;
        case dupError:
            throw EStringListError("String list does not allow duplicates");
        case dupAccept:
            break;
        }
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::Insert(int index, const AnsiString& s)
{
    if (sorted_) throw EStringListError("Operation not allowed on sorted string list");
    if (index < 0 || index > Count()) Error("List index out of bounds (%d)", index);
    InsertItem(index, s, nullptr);
}

void TStringList::InsertItem(int index, const AnsiString& s, TObject* object)
{
    Changing();
    items_.insert(items_.begin() + index, Item{s, object});
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty()) return;
    Changing();
    items_.clear();
    Changed();
}

void TStringList::ExchangeItems(int index1, int index2)
{
    std::swap(items_[std::size_t(index1)], items_[std::size_t(index2)]);
}

void TStringList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    ExchangeItems(index1, index2);
    Changed();
}

AnsiString TStringList::Get(int index) const
{
    CheckIndex(index);
    return items_[std::size_t(index)].string;
}

void TStringList::Put(int index, const AnsiString& s)
{
    if (sorted_) throw EStringListError("Operation not allowed on sorted string list");
    CheckIndex(index);
    Changing();
    items_[std::size_t(index)].string = s;
    Changed();
}

TObject* TStringList::GetObject(int index) const
{
    CheckIndex(index);
    return items_[std::size_t(index)].object;
}

void TStringList::PutObject(int index, TObject* object)
{
    CheckIndex(index);
    Changing();
    items_[std::size_t(index)].object = object;
    Changed();
}

bool TStringList::Find(const AnsiString& s, int& index) const
{
    bool found = false;
    int lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = CompareStrings(items_[std::size_t(mid)].string, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TStringList::IndexOf(const AnsiString& s) const
{
    if (!sorted_) return TStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

void TStringList::QuickSort(int lo, int hi, TStringListSortCompare compare)
{
    QuickSortIndexes(
        lo, hi, [&](int i, int j) { return compare(this, i, j); }, [&](int i, int j) { ExchangeItems(i, j); });
}

int TStringList::CompareListStrings(TStringList* list, int index1, int index2)
{
    return list->CompareStrings(list->items_[std::size_t(index1)].string, list->items_[std::size_t(index2)].string);
}

void TStringList::Sort()
{
    if (sorted_ || Count() < 2) return;
    Changing();
    QuickSort(0, Count() - 1, CompareListStrings);
    Changed();
}

void TStringList::CustomSort(TStringListSortCompare compare)
{
    if (sorted_ || Count() < 2 || !compare) return;
    Changing();
    QuickSort(0, Count() - 1, compare);
    Changed();
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted_ == sorted) return;
    if (sorted) Sort();
    sorted_ = sorted;
}

// A sorted list is sorted again under the new comparison, so Find keeps working.
void TStringList::SetCaseSensitive(bool caseSensitive)
{
    if (caseSensitive_ == caseSensitive) return;
    caseSensitive_ = caseSensitive;
    if (sorted_ && Count() > 1) {
        Changing();
        QuickSort(0, Count() - 1, CompareListStrings);
        Changed();
    }
}

// TBits --------------------------------------------------------------------------------------------------------

void TBits::Error() { throw EBitsError("Bits index out of range"); }

void TBits::SetSize(int size)
{
    if (size < 0) Error();
    bits_.resize(std::size_t(size), false);
}

bool TBits::Bits(int index) const
{
    if (index < 0 || index >= Size()) Error();
    return bits_[std::size_t(index)];
}

void TBits::SetBits(int index, bool value)
{
    if (index < 0) Error();
    if (index >= Size()) SetSize(index + 1);
    bits_[std::size_t(index)] = value;
}

int TBits::OpenBit() const
{
    auto it = std::find(bits_.begin(), bits_.end(), false);
    return int(it - bits_.begin());
}

// TCollectionItem ----------------------------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection_ == collection) return;
    if (collection_) collection_->RemoveItem(this);
    if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const
{
    if (!collection_) return -1;
    const auto& items = collection_->items_;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : int(it - items.begin());
}

void TCollectionItem::SetIndex(int index)
{
    const int current = Index();
    if (current < 0 || index < 0 || current == index) return;
    auto& items = collection_->items_;
    if (index >= int(items.size())) index = int(items.size()) - 1;
    items.erase(items.begin() + current);
    items.insert(items.begin() + index, this);
    Changed(true);
}

void TCollectionItem::SetDisplayName(const AnsiString&) { Changed(false); }

AnsiString TCollectionItem::GetDisplayName() const { return ClassName(); }

void TCollectionItem::Changed(bool allItems)
{
    if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

AnsiString TCollectionItem::GetNamePath() const
{
    if (collection_) return Format("%s[%d]", collection_->GetNamePath(), Index());
    return ClassName();
}

// TCollection --------------------------------------------------------------------------------------------------

TCollection::TCollection(TCollectionItemClass itemClass) : itemClass_(itemClass) {}

TCollection::~TCollection()
{
    updateCount_ = 1;
    while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::Add()
{
    if (!itemClass_) throw EComponentError("A collection needs an item class");
    return itemClass_->CreateItem(this);
}

TCollectionItem* TCollection::Insert(int index)
{
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index) { delete Items(index); }

void TCollection::Clear()
{
    if (items_.empty()) return;
    BeginUpdate();
    try {
        while (!items_.empty()) delete items_.back();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count()) ListIndexError(index);
    return items_[std::size_t(index)];
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* item : items_)
        if (item->id_ == id) return item;
    return nullptr;
}

void TCollection::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TCollection*>(source)) {
        if (other == this) return;
        BeginUpdate();
        try {
            Clear();
            for (TCollectionItem* item : other->items_) Add()->Assign(item);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(source);
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate()
{
    if (updateCount_ <= 0) return;
    if (--updateCount_ == 0) Changed();
}

void TCollection::Changed()
{
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, int) {}

void TCollection::InsertItem(TCollectionItem* item)
{
    items_.push_back(item);
    item->collection_ = this;
    item->id_ = nextId_++;
    Notify(item, 0);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    Notify(item, 1);
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->collection_ = nullptr;
    Changed();
}

AnsiString TCollection::GetNamePath() const
{
    TPersistent* owner = GetOwner();
    if (!owner) return ClassName();
    const AnsiString path = owner->GetNamePath();
    if (path.IsEmpty() || propName_.IsEmpty()) return ClassName();
    return path + "." + propName_;
}
