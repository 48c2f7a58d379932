#pragma once
// Component streaming: the per-class table of published properties, and the filer that writes and reads
// components with their published properties, the properties their DefineProperties defines, and their children.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <type_traits>
#include <typeindex>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Closure.h"
#include "framework/runtime/Streams.h"

class TObject;
class TMetaClass;
class TPersistent;
class TComponent;
class TCollection;
class TFiler;
class TReader;
class TWriter;

template <typename T>
const TMetaClass* ClassOf();  // framework/Classes.h

// Published properties ------------------------------------------------------------------------------------------

enum TTypeKind { tkInteger, tkChar, tkEnumeration, tkSet, tkFloat, tkString, tkClass, tkMethod };

// One published property of a class. The accessors take the object as TObject* of the class the table belongs to
// (or a class derived from it).
struct TPropInfo {
    AnsiString Name;
    TTypeKind Kind = tkInteger;
    // Enumerations: the value names by ordinal ("False", "True" for Boolean). Sets: the element names by bit.
    std::vector<AnsiString> Names;
    bool IsBoolean = false;
    // The declared default of an ordinal property; none means always stored.
    std::optional<int> Default;
    std::function<bool(TObject*)> Stored;  // empty: always stored

    std::function<int(TObject*)> GetOrd;  // integer, char, enumeration, set (bit n for element n)
    std::function<void(TObject*, int)> SetOrd;
    std::function<long double(TObject*)> GetFloat;
    std::function<void(TObject*, long double)> SetFloat;
    std::function<AnsiString(TObject*)> GetStr;
    std::function<void(TObject*, const AnsiString&)> SetStr;
    std::function<TObject*(TObject*)> GetObj;  // class kind: a sub-object or a component reference
    std::function<void(TObject*, TObject*)> SetObj;
    // Method kind: the event's closure type, and its value taken or given as a type-erased closure.
    std::type_index EventType = typeid(void);
    std::function<bool(TObject*)> MethodAssigned;
    std::function<bool(TObject*, const void*)> MethodEquals;  // the event holds exactly that closure
    std::function<void(TObject*, const void*)> SetMethod;     // null: no handler

    bool Writable() const;
    bool IsStored(TObject* instance) const { return !Stored || Stored(instance); }
    // Whether the value equals what the class starts with, so it need not be written: the declared default of an
    // ordinal, 0 for a float, empty for a string, no object, no handler.
    bool IsDefaultValue(TObject* instance) const;
};

using TPropList = std::vector<const TPropInfo*>;

namespace published_detail {
// The table entry of one class: its own properties and published methods. A class's full table is the entries of
// its parents (through its class reference) followed by its own.
struct ClassEntry {
    std::vector<std::unique_ptr<TPropInfo>> props;
    struct Method {
        AnsiString name;
        std::type_index closureType;
        std::function<std::shared_ptr<const void>(TObject*)> bind;  // the closure of the method on an instance
    };
    std::vector<Method> methods;
};
ClassEntry& Entry(const TMetaClass* cls);
const ClassEntry* Find(const TMetaClass* cls);

template <typename V>
int ToOrd(const V& v)
{
    if constexpr (requires { v.ToInt(); })
        return int(v.ToInt());
    else
        return int(v);
}
template <typename V>
V FromOrd(int v)
{
    if constexpr (requires { V::FromInt(0u); })
        return V::FromInt(std::uint32_t(v));
    else if constexpr (std::is_same_v<V, bool>)
        return v != 0;
    else
        return static_cast<V>(v);
}
template <typename G, typename C>
using GetterResult = std::decay_t<std::invoke_result_t<G, C*>>;
}  // namespace published_detail

// Registers published properties of class C (derived from TObject), in declaration order; C's table follows its
// parent classes' tables. Getters and setters are member functions (or callables taking C*); a null setter makes
// the property read-only, which is not streamed (sub-objects excepted: their own properties are).
//   PublishedProperties<TFoo>()
//       .Integer("Width", &TFoo::Width, &TFoo::SetWidth, 10)
//       .Enumeration("Style", &TFoo::Style, &TFoo::SetStyle, {"fsA", "fsB"}, fsA)
//       .Stored(&TFoo::IsStyleStored);
// Register once per class, e.g. from a static initializer in the class's own source file.
template <typename C>
class PublishedProperties {
public:
    PublishedProperties() : entry_(published_detail::Entry(ClassOf<C>())) {}

    template <typename G, typename S>
    PublishedProperties& Integer(const char* name, G get, S set, std::optional<int> def = std::nullopt)
    {
        return Ordinal(name, tkInteger, get, set, def, {});
    }
    template <typename G, typename S>
    PublishedProperties& Char(const char* name, G get, S set, std::optional<int> def = std::nullopt)
    {
        return Ordinal(name, tkChar, get, set, def, {});
    }
    template <typename G, typename S>
    PublishedProperties& Boolean(const char* name, G get, S set, std::optional<bool> def = std::nullopt)
    {
        Ordinal(name, tkEnumeration, get, set, def ? std::optional<int>(*def) : std::nullopt, {"False", "True"});
        Last().IsBoolean = true;
        return *this;
    }
    template <typename G, typename S>
    PublishedProperties& Enumeration(const char* name, G get, S set, std::initializer_list<const char*> names)
    {
        return Ordinal(name, tkEnumeration, get, set, std::nullopt, names);
    }
    template <typename G, typename S, typename D>
    PublishedProperties& Enumeration(const char* name, G get, S set, std::initializer_list<const char*> names, D def)
    {
        return Ordinal(name, tkEnumeration, get, set, int(def), names);
    }
    // A set property: the getter gives a set (with ToInt/FromInt) or a bit mask; the names are its elements in
    // bit order.
    template <typename G, typename S>
    PublishedProperties& Set(const char* name, G get, S set, std::initializer_list<const char*> names)
    {
        return Ordinal(name, tkSet, get, set, std::nullopt, names);
    }
    template <typename G, typename S, typename D>
    PublishedProperties& Set(const char* name, G get, S set, std::initializer_list<const char*> names, D def)
    {
        return Ordinal(name, tkSet, get, set, published_detail::ToOrd(def), names);
    }
    template <typename G, typename S>
    PublishedProperties& Float(const char* name, G get, S set)
    {
        TPropInfo& p = Add(name, tkFloat);
        p.GetFloat = [get](TObject* o) { return static_cast<long double>(std::invoke(get, Cast(o))); };
        if constexpr (!std::is_null_pointer_v<S>) {
            using V = published_detail::GetterResult<G, C>;
            p.SetFloat = [set](TObject* o, long double v) { std::invoke(set, Cast(o), static_cast<V>(v)); };
        }
        return *this;
    }
    template <typename G, typename S>
    PublishedProperties& String(const char* name, G get, S set)
    {
        TPropInfo& p = Add(name, tkString);
        p.GetStr = [get](TObject* o) { return AnsiString(std::invoke(get, Cast(o))); };
        if constexpr (!std::is_null_pointer_v<S>)
            p.SetStr = [set](TObject* o, const AnsiString& v) { std::invoke(set, Cast(o), v); };
        return *this;
    }
    // An object property: a sub-object (TPersistent, its properties written with dotted names) or, for a
    // component that the instance does not own, a reference by name.
    template <typename G, typename S>
    PublishedProperties& Object(const char* name, G get, S set)
    {
        TPropInfo& p = Add(name, tkClass);
        p.GetObj = [get](TObject* o) -> TObject* { return UpCast(std::invoke(get, Cast(o))); };
        if constexpr (!std::is_null_pointer_v<S>) {
            using V = published_detail::GetterResult<G, C>;
            p.SetObj = [set](TObject* o, TObject* v) { std::invoke(set, Cast(o), DownCast<V>(v)); };
        }
        return *this;
    }
    // An event property; streamed by the name of a published method of the root (see Method).
    template <typename G, typename S>
    PublishedProperties& Event(const char* name, G get, S set)
    {
        using E = published_detail::GetterResult<G, C>;
        TPropInfo& p = Add(name, tkMethod);
        p.EventType = typeid(E);
        p.MethodAssigned = [get](TObject* o) { return bool(std::invoke(get, Cast(o))); };
        p.MethodEquals = [get](TObject* o, const void* v) {
            return std::invoke(get, Cast(o)) == *static_cast<const E*>(v);
        };
        if constexpr (!std::is_null_pointer_v<S>)
            p.SetMethod = [set](TObject* o, const void* v) {
                std::invoke(set, Cast(o), v ? *static_cast<const E*>(v) : E());
            };
        return *this;
    }
    // A published method of C, by which event properties that point at it are streamed.
    template <typename R, typename M, typename... A>
    PublishedProperties& Method(const char* name, R (M::*method)(A...))
    {
        using E = Closure<R(A...)>;
        entry_.methods.push_back({name, typeid(E), [method](TObject* o) -> std::shared_ptr<const void> {
                                      return std::make_shared<E>(Cast(o), method);
                                  }});
        return *this;
    }

    // Modifies the property added last: stored only when the predicate (a member or callable on C*) holds.
    template <typename F>
    PublishedProperties& Stored(F predicate)
    {
        Last().Stored = [predicate](TObject* o) { return bool(std::invoke(predicate, Cast(o))); };
        return *this;
    }
    PublishedProperties& Stored(bool stored)
    {
        Last().Stored = [stored](TObject*) { return stored; };
        return *this;
    }

private:
    static C* Cast(TObject* o) { return static_cast<C*>(o); }
    template <typename V>
    static TObject* UpCast(V* v)
    {
        return v;
    }
    template <typename V>
    static V DownCast(TObject* v)
    {
        return dynamic_cast<V>(v);
    }

    TPropInfo& Add(const char* name, TTypeKind kind)
    {
        entry_.props.push_back(std::make_unique<TPropInfo>());
        TPropInfo& p = *entry_.props.back();
        p.Name = name;
        p.Kind = kind;
        return p;
    }
    TPropInfo& Last() { return *entry_.props.back(); }

    template <typename G, typename S>
    PublishedProperties& Ordinal(const char* name, TTypeKind kind, G get, S set, std::optional<int> def,
                                 std::initializer_list<const char*> names)
    {
        TPropInfo& p = Add(name, kind);
        for (const char* n : names) p.Names.push_back(n);
        p.Default = def;
        p.GetOrd = [get](TObject* o) { return published_detail::ToOrd(std::invoke(get, Cast(o))); };
        if constexpr (!std::is_null_pointer_v<S>) {
            using V = published_detail::GetterResult<G, C>;
            p.SetOrd = [set](TObject* o, int v) { std::invoke(set, Cast(o), published_detail::FromOrd<V>(v)); };
        }
        return *this;
    }

    published_detail::ClassEntry& entry_;
};

// The published properties of an object's class, its parents' first, in declaration order.
TPropList GetPropList(const TObject* instance);
// A published property by name (case-insensitive), or nullptr.
const TPropInfo* GetPropInfo(const TObject* instance, const AnsiString& name);

// Filer -------------------------------------------------------------------------------------------------------

using TReaderProc = Closure<void(TReader*)>;
using TWriterProc = Closure<void(TWriter*)>;
using TStreamProc = Closure<void(TStream*)>;

// The common part of TReader and TWriter. DefineProperties implementations call DefineProperty and
// DefineBinaryProperty; the writer writes those with data, the reader reads the one being read.
class TFiler {
public:
    explicit TFiler(TStream* stream) : stream_(stream) {}
    TFiler(const TFiler&) = delete;
    TFiler& operator=(const TFiler&) = delete;
    virtual ~TFiler() = default;

    virtual void DefineProperty(const AnsiString& name, TReaderProc readData, TWriterProc writeData,
                                bool hasData) = 0;
    // The procedures get a stream holding exactly the property's bytes (reading) or take them (writing).
    virtual void DefineBinaryProperty(const AnsiString& name, TStreamProc readData, TStreamProc writeData,
                                      bool hasData) = 0;

    TStream* Stream() const { return stream_; }
    TComponent* Root() const { return root_; }
    void SetRoot(TComponent* root) { root_ = root; }
    // The object whose values are taken as defaults when writing a descendant; none here.
    TPersistent* Ancestor() const { return ancestor_; }
    void SetAncestor(TPersistent* ancestor) { ancestor_ = ancestor; }

protected:
    TStream* stream_;
    TComponent* root_ = nullptr;
    TPersistent* ancestor_ = nullptr;
};

// Value tags of the component stream.
enum TValueType : unsigned char {
    vaNull = 0,
    vaList = 1,
    vaInt32 = 2,
    vaExtended = 3,
    vaString = 4,
    vaIdent = 5,
    vaFalse = 6,
    vaTrue = 7,
    vaSet = 8,
    vaNil = 9,
    vaBinary = 10,
    vaCollection = 11,
};

class TWriter : public TFiler {
public:
    explicit TWriter(TStream* stream) : TFiler(stream) {}

    void DefineProperty(const AnsiString& name, TReaderProc readData, TWriterProc writeData, bool hasData) override;
    void DefineBinaryProperty(const AnsiString& name, TStreamProc readData, TStreamProc writeData,
                              bool hasData) override;

    // The stream signature, then root with its properties and its children.
    void WriteRootComponent(TComponent* root);
    // One component record: class name, name, then what its WriteState writes.
    void WriteComponent(TComponent* component);
    // Properties, then the children: those GetChildren hands over, after the root's own components that have no
    // parent component (called by TComponent::WriteState; a WriteState that writes nothing gets this).
    void WriteData(TComponent* instance);
    // The stored, non-default published properties of instance, then the ones its DefineProperties defines.
    void WriteProperties(TPersistent* instance);
    // One published property of instance (name and value), whether or not it holds its default.
    void WriteProperty(TObject* instance, const TPropInfo& prop);

    void WriteListBegin();
    void WriteListEnd();
    void WriteInteger(int value);
    void WriteBoolean(bool value);
    void WriteChar(char value);
    void WriteFloat(long double value);
    void WriteString(const AnsiString& value);
    void WriteIdent(const AnsiString& ident);
    // Values go straight to the stream; kept for callers that flush before using it.
    void FlushBuffer() {}

private:
    void WriteValue(TValueType type);
    void WriteStr(const AnsiString& s);
    void WritePropName(const AnsiString& name);
    void WritePropValue(TObject* instance, const TPropInfo& prop);
    void WriteSubObject(TObject* instance, const TPropInfo& prop, TObject* value);
    void WriteCollection(TCollection* collection);
    void WriteChild(TComponent* child);
    AnsiString prefix_;             // dotted path of the sub-object being written
    TComponent* writing_ = nullptr;  // the component whose record is open, until its data is written
    std::vector<TComponent*> children_;  // collected from GetChildren
};

class TReader : public TFiler {
public:
    explicit TReader(TStream* stream) : TFiler(stream) {}

    void DefineProperty(const AnsiString& name, TReaderProc readData, TWriterProc writeData, bool hasData) override;
    void DefineBinaryProperty(const AnsiString& name, TStreamProc readData, TStreamProc writeData,
                              bool hasData) override;

    // Reads a stream made by WriteRootComponent into root (created from the stored class when null), resolves
    // references and calls Loaded on every component read. Returns the root.
    TComponent* ReadRootComponent(TComponent* root);
    // One component record. component null: an owned component of Owner() of that name and class is reused,
    // else the stored class (registered with RegisterClass) is created, owned by Owner().
    TComponent* ReadComponent(TComponent* component);
    // Properties, then children, created owned by instance->GetChildOwner(), or by the root when that is null
    // (called by TComponent::ReadState; a ReadState that reads nothing gets this).
    void ReadData(TComponent* instance);
    // One property: its name, then its value, into instance.
    void ReadProperty(TPersistent* instance);

    TValueType NextValue();
    TValueType ReadValue();
    void SkipValue();
    // Whether the next byte ends a list; it may also begin a property name's length.
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    int ReadInteger();
    bool ReadBoolean();
    char ReadChar();
    long double ReadFloat();
    AnsiString ReadString();
    AnsiString ReadIdent();

    // Component references are resolved by name against the root when the references end.
    void BeginReferences();
    void FixupReferences();
    void EndReferences();

    // The owner of components being created while reading.
    TComponent* Owner() const { return owner_; }
    void SetOwner(TComponent* owner) { owner_ = owner; }

private:
    void CheckValue(TValueType expected);
    AnsiString ReadStr();
    void ReadPropValue(TObject* instance, const TPropInfo& prop, const AnsiString& fullName);
    void ReadCollection(TCollection* collection);
    void SkipNested(int depth);
    void SkipBytes(std::int32_t n);
    [[noreturn]] void PropertyError(const AnsiString& name);
    TComponent* FindComponentByName(const AnsiString& name) const;

    bool AtListEnd();

    TComponent* owner_ = nullptr;
    TComponent* reading_ = nullptr;  // the component whose record is open, until its data is read
    AnsiString propName_;  // the defined property being read, cleared when its reader took it
    struct Fixup {
        TObject* instance;
        const TPropInfo* prop;
        AnsiString name;
    };
    std::vector<Fixup> fixups_;
    std::vector<TComponent*> loaded_;
    int referenceDepth_ = 0;
};
