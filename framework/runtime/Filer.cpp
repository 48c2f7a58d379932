// Component streams. The byte format is our own; only our reader reads it:
//
//   stream    := "DRC1" component
//   component := str(class name) str(name) { str(property name) value } str("") { component } str("")
//   str       := int32 length, then that many 8-bit characters
//   value     := one TValueType byte, then:
//                vaNull      -                       (ends a list)
//                vaList      values, then vaNull
//                vaInt32     int32
//                vaExtended  10 bytes, an 80-bit float
//                vaString    str
//                vaIdent     str                     (enumeration value, component reference, method name)
//                vaFalse / vaTrue -
//                vaSet       int32 count, then count x str (the element names)
//                vaNil       -                       (no object, no handler)
//                vaBinary    int32 length, then the bytes the property's own writer produced
//                vaCollection { vaList { str(property name) value } str("") } vaNull   (the items, in order)
//
// Integers are little-endian. Properties of sub-objects are written flat with dotted names ("Font.Name",
// "Region.Mask.RegionData"), their defined properties included. Published properties come before the defined
// ones, so a size property is applied before the block it sizes. A collection is written as its item list, each
// item with its own (undotted) properties; reading it replaces the items.

#include "framework/runtime/Filer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Exceptions.h"

namespace {

const char Signature[4] = {'D', 'R', 'C', '1'};

bool SameName(const AnsiString& a, const AnsiString& b)
{
    if (a.Length() != b.Length()) return false;
    for (int i = 1; i <= a.Length(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

[[noreturn]] void InvalidValue()
{
    throw EReadError("Invalid property value");
}

[[noreturn]] void InvalidFormat()
{
    throw EReadError("Invalid stream format");
}

}  // namespace

// Property tables --------------------------------------------------------------------------------------------

namespace published_detail {

namespace {
std::map<const TMetaClass*, std::unique_ptr<ClassEntry>>& Registry()
{
    static std::map<const TMetaClass*, std::unique_ptr<ClassEntry>> registry;
    return registry;
}
}  // namespace

ClassEntry& Entry(const TMetaClass* cls)
{
    auto& slot = Registry()[cls];
    if (!slot) slot = std::make_unique<ClassEntry>();
    return *slot;
}

const ClassEntry* Find(const TMetaClass* cls)
{
    auto& registry = Registry();
    auto it = registry.find(cls);
    return it == registry.end() ? nullptr : it->second.get();
}

}  // namespace published_detail

namespace {

// The chain of table entries for an object's class, most derived first.
std::vector<const published_detail::ClassEntry*> Chain(const TObject* instance)
{
    std::vector<const published_detail::ClassEntry*> chain;
    if (!instance) return chain;
    for (TClass cls = instance->ClassType(); cls; cls = cls->ClassParent())
        if (const published_detail::ClassEntry* e = published_detail::Find(cls)) chain.push_back(e);
    return chain;
}

// The closure of the published method `name` of root's class, if it has one of the event's type.
std::shared_ptr<const void> FindMethod(TObject* root, const AnsiString& name, const TPropInfo& event)
{
    for (const auto* e : Chain(root))
        for (const auto& m : e->methods)
            if (SameName(m.name, name) && m.closureType == event.EventType) return m.bind(root);
    return nullptr;
}

// The name of the published method of root's class that the event of instance is bound to, or "".
AnsiString FindMethodName(TObject* root, TObject* instance, const TPropInfo& event)
{
    for (const auto* e : Chain(root))
        for (const auto& m : e->methods)
            if (m.closureType == event.EventType && event.MethodEquals(instance, m.bind(root).get())) return m.name;
    return AnsiString();
}

}  // namespace

bool TPropInfo::Writable() const
{
    switch (Kind) {
    case tkInteger:
    case tkChar:
    case tkEnumeration:
    case tkSet: return bool(SetOrd);
    case tkFloat: return bool(SetFloat);
    case tkString: return bool(SetStr);
    case tkClass: return true;  // sub-objects are written through their own properties
    case tkMethod: return bool(SetMethod);
    }
    return false;
}

bool TPropInfo::IsDefaultValue(TObject* instance) const
{
    switch (Kind) {
    case tkInteger:
    case tkChar:
    case tkEnumeration:
    case tkSet: return Default && GetOrd(instance) == *Default;
    case tkFloat: return GetFloat(instance) == 0;
    case tkString: return GetStr(instance).IsEmpty();
    case tkClass: return GetObj(instance) == nullptr;
    case tkMethod: return !MethodAssigned(instance);
    }
    return false;
}

TPropList GetPropList(const TObject* instance)
{
    TPropList list;
    auto chain = Chain(instance);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (const auto& p : (*it)->props) list.push_back(p.get());
    return list;
}

const TPropInfo* GetPropInfo(const TObject* instance, const AnsiString& name)
{
    // The most derived declaration wins.
    for (const auto* e : Chain(instance))
        for (const auto& p : e->props)
            if (SameName(p->Name, name)) return p.get();
    return nullptr;
}

// TWriter ------------------------------------------------------------------------------------------------------

void TWriter::WriteValue(TValueType type)
{
    unsigned char b = type;
    stream_->WriteBuffer(&b, 1);
}

void TWriter::WriteStr(const AnsiString& s)
{
    std::int32_t n = s.Length();
    stream_->WriteBuffer(&n, 4);
    stream_->WriteBuffer(s.c_str(), n);
}

void TWriter::WritePropName(const AnsiString& name)
{
    WriteStr(prefix_ + name);
}

void TWriter::WriteListBegin()
{
    WriteValue(vaList);
}

void TWriter::WriteListEnd()
{
    WriteValue(vaNull);
}

void TWriter::WriteInteger(int value)
{
    WriteValue(vaInt32);
    std::int32_t v = value;
    stream_->WriteBuffer(&v, 4);
}

void TWriter::WriteBoolean(bool value)
{
    WriteValue(value ? vaTrue : vaFalse);
}

void TWriter::WriteChar(char value)
{
    WriteString(AnsiString(value));
}

void TWriter::WriteFloat(long double value)
{
    static_assert(std::numeric_limits<long double>::digits == 64, "80-bit extended expected");
    WriteValue(vaExtended);
    unsigned char bytes[sizeof(long double)] = {};
    std::memcpy(bytes, &value, sizeof value);
    stream_->WriteBuffer(bytes, 10);
}

void TWriter::WriteString(const AnsiString& value)
{
    WriteValue(vaString);
    WriteStr(value);
}

void TWriter::WriteIdent(const AnsiString& ident)
{
    WriteValue(vaIdent);
    WriteStr(ident);
}

void TWriter::DefineProperty(const AnsiString& name, TReaderProc, TWriterProc writeData, bool hasData)
{
    if (!hasData || !writeData) return;
    WritePropName(name);
    AnsiString prefix = prefix_;  // the procedure may write nested values of its own
    prefix_ = AnsiString();
    writeData(this);
    prefix_ = prefix;
}

void TWriter::DefineBinaryProperty(const AnsiString& name, TStreamProc, TStreamProc writeData, bool hasData)
{
    if (!hasData || !writeData) return;
    TMemoryStream data;
    writeData(&data);
    WritePropName(name);
    WriteValue(vaBinary);
    std::int32_t n = data.Size();
    stream_->WriteBuffer(&n, 4);
    stream_->WriteBuffer(data.Memory(), n);
}

void TWriter::WritePropValue(TObject* instance, const TPropInfo& prop)
{
    switch (prop.Kind) {
    case tkInteger: WriteInteger(prop.GetOrd(instance)); break;
    case tkChar: WriteChar(char(prop.GetOrd(instance))); break;
    case tkEnumeration: {
        int v = prop.GetOrd(instance);
        if (prop.IsBoolean)
            WriteBoolean(v != 0);
        else if (v >= 0 && v < int(prop.Names.size()))
            WriteIdent(prop.Names[std::size_t(v)]);
        else
            WriteInteger(v);  // a value without a name keeps its ordinal
        break;
    }
    case tkSet: {
        std::uint32_t bits = std::uint32_t(prop.GetOrd(instance));
        std::vector<AnsiString> names;
        for (std::size_t i = 0; i < 32; ++i)
            if (bits >> i & 1) {
                if (i >= prop.Names.size()) throw EWriteError("Invalid property value");
                names.push_back(prop.Names[i]);
            }
        WriteValue(vaSet);
        std::int32_t n = std::int32_t(names.size());
        stream_->WriteBuffer(&n, 4);
        for (const auto& s : names) WriteStr(s);
        break;
    }
    case tkFloat: WriteFloat(prop.GetFloat(instance)); break;
    case tkString: WriteString(prop.GetStr(instance)); break;
    case tkClass: {
        TObject* value = prop.GetObj(instance);
        if (!value)
            WriteValue(vaNil);
        else if (auto* c = dynamic_cast<TComponent*>(value))
            WriteIdent(c->Name());
        break;
    }
    case tkMethod: {
        AnsiString name = FindMethodName(root_, instance, prop);
        if (name.IsEmpty())
            WriteValue(vaNil);
        else
            WriteIdent(name);
        break;
    }
    }
}

// A sub-object: a component that instance does not own is a reference, anything else a nested object whose
// properties are written with the property's name as prefix.
void TWriter::WriteSubObject(TObject* instance, const TPropInfo& prop, TObject* value)
{
    auto* component = dynamic_cast<TComponent*>(value);
    auto* persistent = dynamic_cast<TPersistent*>(value);
    if (component && component->Owner() != instance) {
        if (!prop.SetObj) return;
        WritePropName(prop.Name);
        WriteIdent(component->Name());
        return;
    }
    if (!persistent) return;
    if (auto* collection = dynamic_cast<TCollection*>(persistent)) {
        WritePropName(prop.Name);
        WriteCollection(collection);
        return;
    }
    AnsiString prefix = prefix_;
    prefix_ = prefix + prop.Name + ".";
    WriteProperties(persistent);
    prefix_ = prefix;
}

void TWriter::WriteCollection(TCollection* collection)
{
    AnsiString prefix = prefix_;  // the items' properties are their own, not dotted
    prefix_ = AnsiString();
    WriteValue(vaCollection);
    for (int i = 0; i < collection->Count(); ++i) {
        WriteValue(vaList);
        WriteProperties(collection->Items(i));
        WriteStr(AnsiString());
    }
    WriteValue(vaNull);
    prefix_ = prefix;
}

void TWriter::WriteProperty(TObject* instance, const TPropInfo& prop)
{
    if (prop.Kind == tkClass) {
        TObject* value = prop.GetObj(instance);
        if (value) {
            WriteSubObject(instance, prop, value);
            return;
        }
        if (!prop.SetObj) return;
    }
    if (prop.Kind == tkMethod && prop.MethodAssigned(instance) && FindMethodName(root_, instance, prop).IsEmpty())
        return;  // bound to something that is no published method of the root: it has no name to be written by
    WritePropName(prop.Name);
    WritePropValue(instance, prop);
}

void TWriter::WriteProperties(TPersistent* instance)
{
    for (const TPropInfo* prop : GetPropList(instance)) {
        if (!prop->Writable() || !prop->IsStored(instance)) continue;
        if (prop->Kind != tkClass && prop->IsDefaultValue(instance)) continue;
        if (prop->Kind == tkClass && !prop->GetObj(instance)) continue;
        WriteProperty(instance, *prop);
    }
    instance->DefineProperties(this);
}

void TWriter::WriteChild(TComponent* child)
{
    if (std::find(children_.begin(), children_.end(), child) == children_.end()) children_.push_back(child);
}

// Children are what GetChildren hands over; the root's own components that have no parent component come first,
// as a form's or data module's do.
void TWriter::WriteData(TComponent* instance)
{
    if (writing_ == instance) writing_ = nullptr;
    WriteProperties(instance);
    WriteStr(AnsiString());
    std::vector<TComponent*> outer = std::move(children_);
    children_.clear();
    if (instance == root_)
        for (int i = 0; i < instance->ComponentCount(); ++i)
            if (!instance->Components(i)->HasParent()) WriteChild(instance->Components(i));
    instance->GetChildren(TGetChildProc(this, &TWriter::WriteChild), root_);
    std::vector<TComponent*> children = std::move(children_);
    children_ = std::move(outer);
    for (TComponent* child : children) WriteComponent(child);
    WriteStr(AnsiString());
}

void TWriter::WriteComponent(TComponent* component)
{
    WriteStr(component->ClassName());
    WriteStr(component->Name());
    TComponent* outer = writing_;
    writing_ = component;
    component->IncludeState(csWriting);
    try {
        component->WriteState(this);
        if (writing_ == component) WriteData(component);  // a WriteState that wrote nothing itself
    } catch (...) {
        component->ExcludeState(csWriting);
        writing_ = outer;
        throw;
    }
    component->ExcludeState(csWriting);
    writing_ = outer;
}

void TWriter::WriteRootComponent(TComponent* root)
{
    root_ = root;
    stream_->WriteBuffer(Signature, 4);
    WriteComponent(root);
}

// TReader ------------------------------------------------------------------------------------------------------

AnsiString TReader::ReadStr()
{
    std::int32_t n = 0;
    stream_->ReadBuffer(&n, 4);
    if (n < 0 || n > stream_->Size() - stream_->Position()) InvalidFormat();
    AnsiString s;
    s.SetLength(n);
    stream_->ReadBuffer(s.data(), n);
    return s;
}

TValueType TReader::ReadValue()
{
    unsigned char b = 0;
    stream_->ReadBuffer(&b, 1);
    if (b > vaCollection) InvalidFormat();
    return TValueType(b);
}

TValueType TReader::NextValue()
{
    TValueType v = ReadValue();
    stream_->Seek(-1, soFromCurrent);
    return v;
}

bool TReader::EndOfList()
{
    unsigned char b = 0;
    stream_->ReadBuffer(&b, 1);
    stream_->Seek(-1, soFromCurrent);
    return b == vaNull;
}

void TReader::CheckValue(TValueType expected)
{
    if (ReadValue() != expected) InvalidValue();
}

void TReader::SkipValue()
{
    SkipNested(0);
}

// Nesting is bounded so that a damaged stream of list openers cannot exhaust the stack.
void TReader::SkipNested(int depth)
{
    constexpr int MaxDepth = 64;
    if (depth > MaxDepth) InvalidFormat();
    switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil: break;
    case vaList:
        while (!EndOfList()) SkipNested(depth + 1);
        ReadListEnd();
        break;
    case vaInt32: SkipBytes(4); break;
    case vaExtended: SkipBytes(10); break;
    case vaString:
    case vaIdent: ReadStr(); break;
    case vaSet: {
        std::int32_t n = 0;
        stream_->ReadBuffer(&n, 4);
        if (n < 0) InvalidFormat();
        for (std::int32_t i = 0; i < n; ++i) ReadStr();
        break;
    }
    case vaBinary: {
        std::int32_t n = 0;
        stream_->ReadBuffer(&n, 4);
        SkipBytes(n);
        break;
    }
    case vaCollection:
        while (!EndOfList()) {
            CheckValue(vaList);
            while (!AtListEnd()) {
                ReadStr();
                SkipNested(depth + 1);
            }
            ReadStr();
        }
        ReadListEnd();
        break;
    }
}

void TReader::SkipBytes(std::int32_t n)
{
    if (n < 0 || n > stream_->Size() - stream_->Position()) InvalidFormat();
    stream_->Seek(n, soFromCurrent);
}

void TReader::ReadListBegin()
{
    CheckValue(vaList);
}

void TReader::ReadListEnd()
{
    CheckValue(vaNull);
}

int TReader::ReadInteger()
{
    CheckValue(vaInt32);
    std::int32_t v = 0;
    stream_->ReadBuffer(&v, 4);
    return v;
}

bool TReader::ReadBoolean()
{
    TValueType v = ReadValue();
    if (v != vaTrue && v != vaFalse) InvalidValue();
    return v == vaTrue;
}

char TReader::ReadChar()
{
    AnsiString s = ReadString();
    if (s.Length() != 1) InvalidValue();
    return s[1];
}

long double TReader::ReadFloat()
{
    TValueType v = ReadValue();
    if (v == vaInt32) {
        std::int32_t i = 0;
        stream_->ReadBuffer(&i, 4);
        return i;
    }
    if (v != vaExtended) InvalidValue();
    unsigned char bytes[sizeof(long double)] = {};
    stream_->ReadBuffer(bytes, 10);
    long double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

AnsiString TReader::ReadString()
{
    CheckValue(vaString);
    return ReadStr();
}

AnsiString TReader::ReadIdent()
{
    switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    default: InvalidValue();
    }
}

void TReader::DefineProperty(const AnsiString& name, TReaderProc readData, TWriterProc, bool)
{
    if (propName_.IsEmpty() || !readData || !SameName(name, propName_)) return;
    propName_ = AnsiString();
    readData(this);
}

void TReader::DefineBinaryProperty(const AnsiString& name, TStreamProc readData, TStreamProc, bool)
{
    if (propName_.IsEmpty() || !readData || !SameName(name, propName_)) return;
    propName_ = AnsiString();
    CheckValue(vaBinary);
    std::int32_t n = 0;
    stream_->ReadBuffer(&n, 4);
    if (n < 0 || n > stream_->Size() - stream_->Position()) InvalidFormat();
    TMemoryStream data;
    data.SetSize(n);
    if (n > 0) stream_->ReadBuffer(data.Memory(), n);
    readData(&data);
}

void TReader::PropertyError(const AnsiString& name)
{
    throw EReadError("Property " + name + " does not exist");
}

// The whole item list is checked before the collection is touched, so a damaged one leaves its items as they were.
void TReader::ReadCollection(TCollection* collection)
{
    const int start = stream_->Position();
    SkipValue();
    stream_->SetPosition(start);
    CheckValue(vaCollection);
    collection->BeginUpdate();
    try {
        collection->Clear();
        while (!EndOfList()) {
            CheckValue(vaList);
            TCollectionItem* item = collection->Add();
            while (!AtListEnd()) ReadProperty(item);
            ReadStr();
        }
        ReadListEnd();
    } catch (...) {
        collection->EndUpdate();
        throw;
    }
    collection->EndUpdate();
}

void TReader::ReadPropValue(TObject* instance, const TPropInfo& prop, const AnsiString& fullName)
{
    if (prop.Kind == tkClass && NextValue() == vaCollection) {
        auto* collection = dynamic_cast<TCollection*>(prop.GetObj(instance));
        if (!collection) PropertyError(fullName);
        ReadCollection(collection);
        return;
    }
    if (!prop.Writable() || (prop.Kind == tkClass && !prop.SetObj)) PropertyError(fullName);
    switch (prop.Kind) {
    case tkInteger: prop.SetOrd(instance, ReadInteger()); break;
    case tkChar: prop.SetOrd(instance, static_cast<unsigned char>(ReadChar())); break;
    case tkEnumeration: {
        TValueType v = NextValue();
        if (prop.IsBoolean) {
            prop.SetOrd(instance, ReadBoolean() ? 1 : 0);
        } else if (v == vaInt32) {
            prop.SetOrd(instance, ReadInteger());
        } else {
            AnsiString ident = ReadIdent();
            auto it = std::find_if(prop.Names.begin(), prop.Names.end(),
                                   [&](const AnsiString& n) { return SameName(n, ident); });
            if (it == prop.Names.end()) InvalidValue();
            prop.SetOrd(instance, int(it - prop.Names.begin()));
        }
        break;
    }
    case tkSet: {
        CheckValue(vaSet);
        std::int32_t n = 0;
        stream_->ReadBuffer(&n, 4);
        if (n < 0) InvalidFormat();
        std::uint32_t bits = 0;
        for (std::int32_t i = 0; i < n; ++i) {
            AnsiString element = ReadStr();
            auto it = std::find_if(prop.Names.begin(), prop.Names.end(),
                                   [&](const AnsiString& s) { return SameName(s, element); });
            if (it == prop.Names.end() || it - prop.Names.begin() >= 32) InvalidValue();
            bits |= std::uint32_t(1) << (it - prop.Names.begin());
        }
        prop.SetOrd(instance, int(bits));
        break;
    }
    case tkFloat: prop.SetFloat(instance, ReadFloat()); break;
    case tkString: prop.SetStr(instance, ReadString()); break;
    case tkClass: {
        if (NextValue() == vaNil) {
            ReadValue();
            prop.SetObj(instance, nullptr);
            break;
        }
        CheckValue(vaIdent);
        AnsiString name = ReadStr();
        if (referenceDepth_ > 0) {
            fixups_.push_back({instance, &prop, name});
        } else {
            TComponent* c = FindComponentByName(name);
            if (!c) throw EReadError("Can't find component " + name);
            prop.SetObj(instance, c);
        }
        break;
    }
    case tkMethod: {
        if (NextValue() == vaNil) {
            ReadValue();
            prop.SetMethod(instance, nullptr);
            break;
        }
        AnsiString name = ReadIdent();
        auto method = FindMethod(root_, name, prop);
        if (!method) throw EReadError("Invalid property value: no method " + name);
        prop.SetMethod(instance, method.get());
        break;
    }
    }
}

void TReader::ReadProperty(TPersistent* instance)
{
    AnsiString fullName = ReadStr();
    TObject* target = instance;
    AnsiString rest = fullName;
    for (int dot = rest.Pos("."); dot > 0; dot = rest.Pos(".")) {
        const TPropInfo* prop = GetPropInfo(target, rest.SubString(1, dot - 1));
        if (!prop || prop->Kind != tkClass) PropertyError(fullName);
        target = prop->GetObj(target);
        if (!dynamic_cast<TPersistent*>(target)) PropertyError(fullName);
        rest = rest.SubString(dot + 1, rest.Length());
    }
    if (const TPropInfo* prop = GetPropInfo(target, rest)) {
        ReadPropValue(target, *prop, fullName);
        return;
    }
    propName_ = rest;
    static_cast<TPersistent*>(target)->DefineProperties(this);
    if (!propName_.IsEmpty()) {
        propName_ = AnsiString();
        PropertyError(fullName);
    }
}

TComponent* TReader::FindComponentByName(const AnsiString& name) const
{
    if (!root_) return nullptr;
    if (SameName(root_->Name(), name)) return root_;
    return root_->FindComponent(name);
}

void TReader::BeginReferences()
{
    ++referenceDepth_;
}

void TReader::FixupReferences()
{
    auto pending = std::move(fixups_);
    fixups_.clear();
    for (const Fixup& f : pending) {
        TComponent* c = FindComponentByName(f.name);
        if (!c) throw EReadError("Can't find component " + f.name);
        f.prop->SetObj(f.instance, c);
    }
}

void TReader::EndReferences()
{
    if (referenceDepth_ > 0) --referenceDepth_;
}

bool TReader::AtListEnd()
{
    std::int32_t n = 0;
    stream_->ReadBuffer(&n, 4);
    stream_->Seek(-4, soFromCurrent);
    return n == 0;
}

void TReader::ReadData(TComponent* instance)
{
    if (reading_ == instance) reading_ = nullptr;
    while (!AtListEnd()) ReadProperty(instance);
    ReadStr();
    TComponent* owner = owner_;
    owner_ = instance->GetChildOwner();  // none: the root owns them
    if (!owner_) owner_ = root_;
    try {
        while (!AtListEnd()) ReadComponent(nullptr);
    } catch (...) {
        owner_ = owner;
        throw;
    }
    ReadStr();
    owner_ = owner;
}

TComponent* TReader::ReadComponent(TComponent* component)
{
    AnsiString className = ReadStr();
    AnsiString name = ReadStr();
    if (!component && owner_ && !name.IsEmpty()) {
        TComponent* existing = owner_->FindComponent(name);
        if (existing && SameName(existing->ClassName(), className)) component = existing;
    }
    std::unique_ptr<TComponent> made;
    if (!component) {
        made.reset(FindClass(className)->Create(owner_));
        component = made.get();
    }
    TComponent* outer = reading_;
    try {
        component->IncludeState(csLoading);
        component->IncludeState(csReading);
        if (made && !name.IsEmpty()) component->SetName(name);
        loaded_.push_back(component);
        reading_ = component;
        component->ReadState(this);
        if (reading_ == component) ReadData(component);  // a ReadState that read nothing itself
    } catch (...) {
        reading_ = outer;
        if (made) {
            loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), component), loaded_.end());
            // Its children were read into it and go with it.
            loaded_.erase(std::remove_if(loaded_.begin(), loaded_.end(),
                                         [&](TComponent* c) {
                                             for (TComponent* o = c->Owner(); o; o = o->Owner())
                                                 if (o == component) return true;
                                             return false;
                                         }),
                          loaded_.end());
        }
        throw;
    }
    reading_ = outer;
    made.release();
    return component;
}

TComponent* TReader::ReadRootComponent(TComponent* root)
{
    char signature[4] = {};
    stream_->ReadBuffer(signature, 4);
    if (std::memcmp(signature, Signature, 4) != 0) InvalidFormat();
    std::unique_ptr<TComponent> made;
    if (!root) {
        int start = stream_->Position();
        AnsiString className = ReadStr();
        stream_->SetPosition(start);
        made.reset(FindClass(className)->Create(nullptr));
        root = made.get();
    }
    root_ = root;
    owner_ = root->Owner();
    BeginReferences();
    try {
        if (made) {
            // A root made here takes its stored name; a given root keeps its own.
            int start = stream_->Position();
            ReadStr();
            AnsiString name = ReadStr();
            stream_->SetPosition(start);
            if (!name.IsEmpty()) root->SetName(name);
        }
        ReadComponent(root);
        FixupReferences();
    } catch (...) {
        EndReferences();
        fixups_.clear();
        for (TComponent* c : loaded_) {
            c->ExcludeState(csReading);
            c->ExcludeState(csLoading);
        }
        loaded_.clear();
        throw;
    }
    EndReferences();
    auto loaded = std::move(loaded_);
    loaded_.clear();
    for (TComponent* c : loaded) c->ExcludeState(csReading);
    for (TComponent* c : loaded) c->Loaded();
    made.release();
    return root;
}

// TStream's component methods ---------------------------------------------------------------------------------

void TStream::WriteComponent(TComponent* instance)
{
    TWriter writer(this);
    writer.WriteRootComponent(instance);
}

TComponent* TStream::ReadComponent(TComponent* instance)
{
    TReader reader(this);
    return reader.ReadRootComponent(instance);
}
