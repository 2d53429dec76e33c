#pragma once
// Published properties: per-class property tables with type information, and the routines that
// read and write a property of an object by name (the platform's TypInfo unit).
//
// A class publishes its properties in one .cpp file:
//
//     KVT_ENUM_TYPE(TColumnKind, ckData, ckCalc)          // names of an enumeration, in order
//     KVT_PUBLISHED(TColumn) {
//         P.Prop("Width", &TColumn::Width, &TColumn::SetWidth).Default(64);
//         P.Prop("Kind", &TColumn::Kind, &TColumn::SetKind).Default(ckData);
//         P.Prop("Title", &TColumn::Title, &TColumn::SetTitle).Stored(&TColumn::IsTitleStored);
//     }
//
// The kind of a property follows from the type its getter returns: integers and Cardinal are
// tkInteger, Int64 tkInt64, bool and enumerations tkEnumeration (an enumeration needs its names
// through KVT_ENUM_TYPE, and KVT_ENUM_DECL where another file uses them), TSet<E> tkSet, float
// types tkFloat (P.Date for a TDateTime), String tkUString, AnsiString tkLString, pointers to
// TObject descendants tkClass, Variant tkVariant, TEvent<...> tkMethod (streamed as the name of
// a handler the root component publishes with KVT_PUBLISHED_METHODS). Getters and setters are member functions,
// data members (a direct field read or write) or captureless lambdas taking the object pointer.
// A class's table extends its parent's; publishing a name again replaces the inherited entry in
// its place. Private members are reachable when the class declares
// `template <class> friend struct TPublisher;`. KVT_PUBLISHED is used at global scope (the
// published classes live there); KVT_ENUM_TYPE and KVT_ENUM_DECL in the enumeration's namespace.

#include "platform/rtl/System.h"

#include <memory>
#include <typeinfo>

class Variant;
class Currency;

enum TTypeKind {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString,
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkLString,
    tkWString,
    tkVariant,
    tkArray,
    tkRecord,
    tkInterface,
    tkInt64,
    tkDynArray,
    tkUString,
    tkClassRef,
    tkPointer,
    tkProcedure
};
using TTypeKinds = TSet<TTypeKind>;

enum TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
// Scoped: the data-set layer's field types use the same value names.
enum class TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

KVT_EXCEPTION(EPropertyError, Exception)
KVT_EXCEPTION(EPropertyConvertError, Exception)
KVT_EXCEPTION(EPropReadOnly, Exception)
KVT_EXCEPTION(EPropWriteOnly, Exception)

struct TTypeInfo {
    TTypeKind Kind = tkUnknown;
    String Name;
    // Ordinal types (integers, chars, enumerations, sets' element type)
    TOrdType OrdType = otSLong;
    Int64 MinValue = 0;
    Int64 MaxValue = 0;
    std::vector<String> NameList;        // enumerations: the value names, ordinal order
    const TTypeInfo* CompType = nullptr; // sets: the element type
    TFloatType FloatType = TFloatType::ftDouble;
    TClass ClassType = nullptr; // tkClass
    const std::type_info* MethodSignature = nullptr; // tkMethod: the handler's signature
};
using PTypeInfo = const TTypeInfo*;

class TPropAccess;
class TMethodEntry;

inline constexpr Integer NoDefault = Integer(0x80000000);

struct TPropInfo {
    PTypeInfo PropType = nullptr;
    String Name;
    Integer Default = NoDefault; // ordinal and set properties; sets hold their bits
    SmallInt NameIndex = 0;      // position in the class's full list
    TClass Owner = nullptr;      // the class that published it
    std::shared_ptr<const TPropAccess> Access;
    std::shared_ptr<const TPropAccess> StoredProc; // null: always stored
    bool StoredConst = true;

    bool CanRead() const;
    bool CanWrite() const;
};
using PPropInfo = const TPropInfo*;
using TPropList = std::vector<PPropInfo>;

// Type-erased accessors; each reports EPropertyError for a value category it does not hold.
class TPropAccess {
public:
    virtual ~TPropAccess() = default;
    virtual bool CanRead() const { return true; }
    virtual bool CanWrite() const { return false; }
    virtual Int64 GetOrd(TObject* o) const;
    virtual void SetOrd(TObject* o, Int64 v) const;
    virtual Extended GetFloat(TObject* o) const;
    virtual void SetFloat(TObject* o, Extended v) const;
    virtual String GetStr(TObject* o) const;
    virtual void SetStr(TObject* o, const String& v) const;
    virtual TObject* GetObj(TObject* o) const;
    virtual void SetObj(TObject* o, TObject* v) const;
    virtual void GetVar(TObject* o, Variant& v) const;
    virtual void SetVar(TObject* o, const Variant& v) const;
    virtual bool Test(TObject* o) const; // stored predicates
    // Events (tkMethod), through a published method of Self (see TMethodEntry).
    virtual bool MethodAssigned(TObject* o) const;
    virtual bool HoldsMethod(TObject* o, TObject* Self, const TMethodEntry& m) const;
    virtual void SetMethod(TObject* o, TObject* Self, const TMethodEntry* m) const; // nullptr clears
};

// A published method: a handler a class offers by name, so that component streams can store an
// event as the name of its handler in the root component and bind it again when reading.
class TMethodEntry {
public:
    virtual ~TMethodEntry() = default;
    String Name;
    const std::type_info* Signature = nullptr;
    TClass Owner = nullptr;
    // Writes the handler bound to Self into Event, a TEvent of Signature.
    virtual void Bind(TObject* Self, void* Event) const = 0;
};
using PMethodEntry = const TMethodEntry*;

// ---------------------------------------------------------------------------------------------
// Type information of the built-in types.
PTypeInfo TypeInfoInteger(TOrdType ot = otSLong);
PTypeInfo TypeInfoInt64();
PTypeInfo TypeInfoBoolean();
PTypeInfo TypeInfoChar();
PTypeInfo TypeInfoWideChar();
PTypeInfo TypeInfoFloat(TFloatType ft);
PTypeInfo TypeInfoDateTime();
PTypeInfo TypeInfoUnicodeString();
PTypeInfo TypeInfoAnsiString();
PTypeInfo TypeInfoVariant();
PTypeInfo TypeInfoClass(TClass c);
// An enumeration from its name and the comma-separated value names ("a, b, E::c": qualifiers
// are dropped). Created once per name.
PTypeInfo MakeEnumTypeInfo(const char* typeName, const char* names, Int64 minValue = 0);
PTypeInfo MakeSetTypeInfo(PTypeInfo compType, const char* typeName = nullptr);
// An event type: created once per handler signature.
PTypeInfo MakeMethodTypeInfo(const std::type_info& signature);

// The overloads the builder uses to find a type's information (found by argument-dependent
// lookup, so enumerations declare theirs with KVT_ENUM_DECL/KVT_ENUM_TYPE).
inline PTypeInfo KvtTypeInfo(bool*) {
    return TypeInfoBoolean();
}
inline PTypeInfo KvtTypeInfo(int8_t*) {
    return TypeInfoInteger(otSByte);
}
inline PTypeInfo KvtTypeInfo(uint8_t*) {
    return TypeInfoInteger(otUByte);
}
inline PTypeInfo KvtTypeInfo(int16_t*) {
    return TypeInfoInteger(otSWord);
}
inline PTypeInfo KvtTypeInfo(uint16_t*) {
    return TypeInfoInteger(otUWord);
}
inline PTypeInfo KvtTypeInfo(int32_t*) {
    return TypeInfoInteger(otSLong);
}
inline PTypeInfo KvtTypeInfo(uint32_t*) {
    return TypeInfoInteger(otULong);
}
inline PTypeInfo KvtTypeInfo(int64_t*) {
    return TypeInfoInt64();
}
inline PTypeInfo KvtTypeInfo(uint64_t*) {
    return TypeInfoInt64();
}
inline PTypeInfo KvtTypeInfo(char*) {
    return TypeInfoChar();
}
inline PTypeInfo KvtTypeInfo(QChar*) {
    return TypeInfoWideChar();
}
inline PTypeInfo KvtTypeInfo(char16_t*) {
    return TypeInfoWideChar();
}
inline PTypeInfo KvtTypeInfo(float*) {
    return TypeInfoFloat(TFloatType::ftSingle);
}
inline PTypeInfo KvtTypeInfo(double*) {
    return TypeInfoFloat(TFloatType::ftDouble);
}
inline PTypeInfo KvtTypeInfo(long double*) {
    return TypeInfoFloat(TFloatType::ftExtended);
}
inline PTypeInfo KvtTypeInfo(Currency*) {
    return TypeInfoFloat(TFloatType::ftCurr);
}
inline PTypeInfo KvtTypeInfo(QString*) {
    return TypeInfoUnicodeString();
}
inline PTypeInfo KvtTypeInfo(QByteArray*) {
    return TypeInfoAnsiString();
}
inline PTypeInfo KvtTypeInfo(Variant*) {
    return TypeInfoVariant();
}
template <class T>
requires std::is_base_of_v<TObject, T> PTypeInfo KvtTypeInfo(T**) {
    return TypeInfoClass(&T::StaticClassInfo());
}
template <class E> PTypeInfo KvtTypeInfo(TSet<E>*) {
    static const PTypeInfo ti = MakeSetTypeInfo(KvtTypeInfo(static_cast<E*>(nullptr)));
    return ti;
}
template <class Sig> PTypeInfo KvtTypeInfo(TEvent<Sig>*) {
    static const PTypeInfo ti = MakeMethodTypeInfo(typeid(Sig));
    return ti;
}

// Declares, in a header, that the enumeration E has type information (defined by KVT_ENUM_TYPE).
#define KVT_ENUM_DECL(E) ::PTypeInfo KvtTypeInfo(E*);
// Defines the type information of E with its value names, in ordinal order from 0.
#define KVT_ENUM_TYPE(E, ...)                                                                                \
    ::PTypeInfo KvtTypeInfo(E*) {                                                                            \
        static const ::PTypeInfo ti = ::MakeEnumTypeInfo(#E, #__VA_ARGS__);                                  \
        return ti;                                                                                           \
    }

template <class T> PTypeInfo TypeInfoOf() {
    return KvtTypeInfo(static_cast<T*>(nullptr));
}

// ---------------------------------------------------------------------------------------------
// Property tables
struct TPropTable {
    TClass Class = nullptr;
    std::vector<std::unique_ptr<TPropInfo>> Own; // published by Class itself
    TPropList All;                               // parent's, then Class's new ones
};

class TPropTableBuilder;
using TPublishProc = void (*)(TPropTableBuilder&);
// Registers the table builder of a class (KVT_PUBLISHED does this); tables are built on first use.
bool RegisterPublished(TClass cls, TPublishProc proc);
const TPropTable& GetPropTable(TClass cls);
// Properties a class declares without publishing them (KVT_DECLARED); a descendant publishes
// the ones it wants by name (P.Publish), with the declared type, default and stored rule.
bool RegisterDeclared(TClass cls, TPublishProc proc);
// The nearest declaration of propName in cls or its ancestors; nullptr when none.
PPropInfo FindDeclaredProp(TClass cls, const String& propName);

// Published methods (KVT_PUBLISHED_METHODS). Lookup walks the class and its ancestors; names
// compare case-insensitively.
using TMethodPublishProc = void (*)(std::vector<std::unique_ptr<TMethodEntry>>& Methods);
bool RegisterPublishedMethods(TClass cls, TMethodPublishProc proc);
PMethodEntry FindMethodEntry(TClass cls, const String& name);
std::vector<PMethodEntry> GetMethodList(TClass cls); // the class's own first, then inherited
// The name under which Root publishes the handler an event property holds; "" when the event
// is unassigned or its handler is no published method of Root.
String GetMethodPropName(TObject* obj, PPropInfo info, TObject* Root);
bool MethodPropAssigned(TObject* obj, PPropInfo info);
// Binds the event to Root's published method Name ("" clears it). EPropertyError
// "Method %s not found" when Root publishes no such method, "Method %s does not fit %s" when
// its parameters differ from the event's.
void SetMethodPropName(TObject* obj, PPropInfo info, TObject* Root, const String& name);

// Lookup. Names compare case-insensitively, as the platform's identifiers do.
PPropInfo GetPropInfo(TClass cls, const String& propName, TTypeKinds kinds = {});
PPropInfo GetPropInfo(const TObject* obj, const String& propName, TTypeKinds kinds = {});
// Every published property in declaration order (inherited first); `kinds` filters when set.
TPropList GetPropList(TClass cls, TTypeKinds kinds = {});
TPropList GetPropList(const TObject* obj, TTypeKinds kinds = {});
void SortPropList(TPropList& list); // by name
bool IsPublishedProp(const TObject* obj, const String& propName);
bool PropIsType(const TObject* obj, const String& propName, TTypeKind kind);
TTypeKind PropType(const TObject* obj, const String& propName);
bool IsStoredProp(TObject* obj, PPropInfo info);
bool IsStoredProp(TObject* obj, const String& propName);

// Access by property information. A property that cannot hold the value raises EPropertyError;
// writing a read-only property raises EPropReadOnly.
Int64 GetOrdProp(TObject* obj, PPropInfo info);
void SetOrdProp(TObject* obj, PPropInfo info, Int64 value);
Int64 GetInt64Prop(TObject* obj, PPropInfo info);
void SetInt64Prop(TObject* obj, PPropInfo info, Int64 value);
Extended GetFloatProp(TObject* obj, PPropInfo info);
void SetFloatProp(TObject* obj, PPropInfo info, Extended value);
String GetStrProp(TObject* obj, PPropInfo info);
void SetStrProp(TObject* obj, PPropInfo info, const String& value);
String GetEnumProp(TObject* obj, PPropInfo info);
void SetEnumProp(TObject* obj, PPropInfo info, const String& value); // EPropertyConvertError
String GetSetProp(TObject* obj, PPropInfo info, bool brackets = false);
void SetSetProp(TObject* obj, PPropInfo info, const String& value); // "a,b" or "[a, b]"
TObject* GetObjectProp(TObject* obj, PPropInfo info, TClass minClass = nullptr);
void SetObjectProp(TObject* obj, PPropInfo info, TObject* value);
Variant GetVariantProp(TObject* obj, PPropInfo info);
void SetVariantProp(TObject* obj, PPropInfo info, const Variant& value);
// Any property as a Variant: enumerations as their names when preferStrings, sets as text.
Variant GetPropValue(TObject* obj, PPropInfo info, bool preferStrings = true);
void SetPropValue(TObject* obj, PPropInfo info, const Variant& value);

// The same by name; an unknown name raises EPropertyError "Property %s does not exist"
// (GetPropValue/SetPropValue as well).
Int64 GetOrdProp(TObject* obj, const String& propName);
void SetOrdProp(TObject* obj, const String& propName, Int64 value);
Int64 GetInt64Prop(TObject* obj, const String& propName);
void SetInt64Prop(TObject* obj, const String& propName, Int64 value);
Extended GetFloatProp(TObject* obj, const String& propName);
void SetFloatProp(TObject* obj, const String& propName, Extended value);
String GetStrProp(TObject* obj, const String& propName);
void SetStrProp(TObject* obj, const String& propName, const String& value);
String GetEnumProp(TObject* obj, const String& propName);
void SetEnumProp(TObject* obj, const String& propName, const String& value);
String GetSetProp(TObject* obj, const String& propName, bool brackets = false);
void SetSetProp(TObject* obj, const String& propName, const String& value);
TObject* GetObjectProp(TObject* obj, const String& propName, TClass minClass = nullptr);
void SetObjectProp(TObject* obj, const String& propName, TObject* value);
Variant GetVariantProp(TObject* obj, const String& propName);
void SetVariantProp(TObject* obj, const String& propName, const Variant& value);
Variant GetPropValue(TObject* obj, const String& propName, bool preferStrings = true);
void SetPropValue(TObject* obj, const String& propName, const Variant& value);

// Enumeration names. GetEnumName answers "" out of range (an integer type answers the number);
// GetEnumValue answers -1 for an unknown name; both ignore case.
String GetEnumName(PTypeInfo typeInfo, Int64 value);
Integer GetEnumValue(PTypeInfo typeInfo, const String& name);
// Sets as text: "a,b" (with brackets: "[a,b]"). StringToSet raises EPropertyConvertError
// "Invalid property element: %s" for an unknown name.
String SetToString(PTypeInfo setType, uint32_t bits, bool brackets = false);
uint32_t StringToSet(PTypeInfo setType, const String& text);

// ---------------------------------------------------------------------------------------------
// Builder
namespace kvt_typinfo {

template <class T>
inline constexpr bool IsOrdinal = std::is_integral_v<T> || std::is_enum_v<T> || std::is_same_v<T, QChar>;
template <class T> struct IsSetT : std::false_type {};
template <class E> struct IsSetT<TSet<E>> : std::true_type {};

template <class T> struct IsEventT : std::false_type {};
template <class Sig> struct IsEventT<TEvent<Sig>> : std::true_type { using Signature = Sig; };

template <class C, class F, class V> void CallSet(const F& f, C* c, V&& v) {
    if constexpr (std::is_member_object_pointer_v<F>)
        c->*f = std::forward<V>(v);
    else
        std::invoke(f, c, std::forward<V>(v));
}

template <class T> Int64 ToOrd(const T& v) {
    if constexpr (IsSetT<T>::value)
        return Int64(v.ToInt());
    else if constexpr (std::is_same_v<T, QChar>)
        return v.unicode();
    else if constexpr (std::is_enum_v<T>)
        return Int64(static_cast<std::underlying_type_t<T>>(v));
    else
        return Int64(v);
}
template <class T> T FromOrd(Int64 v) {
    if constexpr (IsSetT<T>::value)
        return T::FromInt(uint64_t(uint32_t(v)));
    else if constexpr (std::is_same_v<T, QChar>)
        return QChar(char16_t(v));
    else if constexpr (std::is_same_v<T, bool>)
        return v != 0;
    else
        return static_cast<T>(v);
}
template <class T> Extended ToFloat(const T& v) {
    if constexpr (std::is_floating_point_v<T>)
        return v;
    else
        return v.ToExtended(); // Currency
}

// Getter/setter pair of value type T on class C; S is std::nullptr_t for read-only properties.
template <class C, class T, class G, class S> class Access final : public TPropAccess {
public:
    Access(G g, S s) : FGet(g), FSet(s) {}
    bool CanWrite() const override { return !std::is_same_v<S, std::nullptr_t>; }

    T Get(TObject* o) const { return std::invoke(FGet, static_cast<C*>(o)); }
    template <class V> void Put(TObject* o, V&& v) const {
        if constexpr (std::is_same_v<S, std::nullptr_t>)
            TPropAccess::SetOrd(o, 0); // reports read-only
        else
            CallSet(FSet, static_cast<C*>(o), T(std::forward<V>(v)));
    }

    Int64 GetOrd(TObject* o) const override {
        if constexpr (IsOrdinal<T> || IsSetT<T>::value)
            return ToOrd<T>(Get(o));
        else
            return TPropAccess::GetOrd(o);
    }
    void SetOrd(TObject* o, Int64 v) const override {
        if constexpr (IsOrdinal<T> || IsSetT<T>::value)
            Put(o, FromOrd<T>(v));
        else
            TPropAccess::SetOrd(o, v);
    }
    Extended GetFloat(TObject* o) const override {
        if constexpr (std::is_floating_point_v<T> || std::is_same_v<T, Currency>)
            return ToFloat<T>(Get(o));
        else
            return TPropAccess::GetFloat(o);
    }
    void SetFloat(TObject* o, Extended v) const override {
        if constexpr (std::is_floating_point_v<T>)
            Put(o, static_cast<T>(v));
        else if constexpr (std::is_same_v<T, Currency>)
            Put(o, T(v)); // T, not Currency: the type is only complete where it is used
        else
            TPropAccess::SetFloat(o, v);
    }
    String GetStr(TObject* o) const override {
        if constexpr (std::is_same_v<T, QString> || std::is_same_v<T, QByteArray>)
            return StrOf(Get(o));
        else
            return TPropAccess::GetStr(o);
    }
    void SetStr(TObject* o, const String& v) const override {
        if constexpr (std::is_same_v<T, QString>)
            Put(o, v);
        else if constexpr (std::is_same_v<T, QByteArray>)
            Put(o, AnsiOf(v));
        else
            TPropAccess::SetStr(o, v);
    }
    TObject* GetObj(TObject* o) const override {
        if constexpr (std::is_pointer_v<T>)
            return Get(o);
        else
            return TPropAccess::GetObj(o);
    }
    void SetObj(TObject* o, TObject* v) const override {
        if constexpr (std::is_pointer_v<T>) {
            using P = std::remove_pointer_t<T>;
            P* p = v ? dynamic_cast<P*>(v) : nullptr;
            if (v && !p) TPropAccess::SetObj(o, v); // reports the wrong class
            Put(o, p);
        } else
            TPropAccess::SetObj(o, v);
    }
    void GetVar(TObject* o, Variant& v) const override {
        if constexpr (std::is_same_v<T, Variant>)
            v = Get(o);
        else
            TPropAccess::GetVar(o, v);
    }
    void SetVar(TObject* o, const Variant& v) const override {
        if constexpr (std::is_same_v<T, Variant>)
            Put(o, v);
        else
            TPropAccess::SetVar(o, v);
    }
    bool MethodAssigned(TObject* o) const override {
        if constexpr (IsEventT<T>::value)
            return Get(o).Assigned();
        else
            return TPropAccess::MethodAssigned(o);
    }
    bool HoldsMethod(TObject* o, TObject* Self, const TMethodEntry& m) const override {
        if constexpr (IsEventT<T>::value) {
            if (!m.Signature || *m.Signature != typeid(typename IsEventT<T>::Signature)) return false;
            T bound;
            m.Bind(Self, &bound);
            return bound == Get(o);
        } else
            return TPropAccess::HoldsMethod(o, Self, m);
    }
    void SetMethod(TObject* o, TObject* Self, const TMethodEntry* m) const override {
        if constexpr (IsEventT<T>::value) {
            T bound;
            if (m) m->Bind(Self, &bound);
            Put(o, std::move(bound));
        } else
            TPropAccess::SetMethod(o, Self, m);
    }

private:
    static String StrOf(const QString& s) { return s; }
    static String StrOf(const QByteArray& s);
    static QByteArray AnsiOf(const QString& s);
    G FGet;
    S FSet;
};

String AnsiToString(const QByteArray& a);
QByteArray StringToAnsi(const QString& s);
template <class C, class T, class G, class S> String Access<C, T, G, S>::StrOf(const QByteArray& s) {
    return AnsiToString(s);
}
template <class C, class T, class G, class S> QByteArray Access<C, T, G, S>::AnsiOf(const QString& s) {
    return StringToAnsi(s);
}

template <class C, class F> class Pred final : public TPropAccess {
public:
    explicit Pred(F f) : FFn(f) {}
    bool Test(TObject* o) const override { return bool(std::invoke(FFn, static_cast<C*>(o))); }

private:
    F FFn;
};

} // namespace kvt_typinfo

class TPropTableBuilder {
public:
    explicit TPropTableBuilder(TPropTable& t) : FTable(t) {}
    // Adds (or replaces the inherited entry of the same name) and answers the new entry.
    TPropInfo& Add(const String& name, PTypeInfo type, std::shared_ptr<const TPropAccess> access);
    // Adds a copy of the declaration of name found from cls up; EPropertyError when none.
    TPropInfo& Publish(TClass cls, const String& name);
    // Keeps only the listed ones of the properties published so far (a class that shows a
    // narrower interface than its parent); must run before the class adds its own.
    void Retain(std::initializer_list<const char*> names);

private:
    TPropTable& FTable;
};

// The handle P.Prop answers: sets the default and the stored predicate.
template <class C> class TPropRef {
public:
    explicit TPropRef(TPropInfo& p) : FInfo(p) {}
    template <class V> TPropRef& Default(V v) {
        FInfo.Default = Integer(kvt_typinfo::ToOrd<V>(v));
        return *this;
    }
    TPropRef& NoDefault() {
        FInfo.Default = ::NoDefault;
        return *this;
    }
    TPropRef& Stored(bool stored) {
        FInfo.StoredProc.reset();
        FInfo.StoredConst = stored;
        return *this;
    }
    // A member function `bool IsXStored() const` or a lambda taking C*.
    template <class F> TPropRef& Stored(F f) {
        FInfo.StoredProc = std::make_shared<kvt_typinfo::Pred<C, F>>(f);
        return *this;
    }
    TPropInfo& Info() { return FInfo; }

private:
    TPropInfo& FInfo;
};

template <class C> class TPropBuilder {
public:
    explicit TPropBuilder(TPropTableBuilder& b) : FB(b) {}

    template <class G, class S = std::nullptr_t>
    TPropRef<C> Prop(const String& name, G get, S set = nullptr) {
        using T = std::decay_t<std::invoke_result_t<G, C*>>;
        return Add<T>(name, TypeInfoOf<T>(), get, set);
    }
    // A TDateTime property: a double that streams as a date.
    template <class G, class S = std::nullptr_t>
    TPropRef<C> Date(const String& name, G get, S set = nullptr) {
        using T = std::decay_t<std::invoke_result_t<G, C*>>;
        static_assert(std::is_same_v<T, double>, "TDateTime is a double");
        return Add<T>(name, TypeInfoDateTime(), get, set);
    }
    // A property with explicitly given type information (an Integer that is a TColor, ...).
    template <class G, class S = std::nullptr_t>
    TPropRef<C> Typed(const String& name, PTypeInfo type, G get, S set = nullptr) {
        using T = std::decay_t<std::invoke_result_t<G, C*>>;
        return Add<T>(name, type, get, set);
    }

    // Publishes a property an ancestor declared (KVT_DECLARED) under its declared rules.
    TPropRef<C> Publish(const String& name) { return TPropRef<C>(FB.Publish(&C::StaticClassInfo(), name)); }
    void Publish(std::initializer_list<const char*> names) {
        for (const char* n : names)
            Publish(QString::fromLatin1(n));
    }
    // Drops every inherited property that is not listed (see TPropTableBuilder::Retain).
    void Retain(std::initializer_list<const char*> names) { FB.Retain(names); }

private:
    template <class T, class G, class S> TPropRef<C> Add(const String& name, PTypeInfo type, G get, S set) {
        auto acc = std::make_shared<kvt_typinfo::Access<C, T, G, S>>(get, set);
        TPropInfo& p = FB.Add(name, type, std::move(acc));
        p.Owner = &C::StaticClassInfo();
        return TPropRef<C>(p);
    }
    TPropTableBuilder& FB;
};

template <class C> struct TPublisher;

// Defines the published properties of Class; the body that follows fills `P`.
#define KVT_PUBLISHED(Class)                                                                                 \
    template <> struct TPublisher<Class> {                                                                   \
        static void Publish(::TPropBuilder<Class>& P);                                                       \
        static void Build(::TPropTableBuilder& b) {                                                          \
            ::TPropBuilder<Class> p(b);                                                                      \
            Publish(p);                                                                                      \
        }                                                                                                    \
    };                                                                                                       \
    [[maybe_unused]] static const bool kvtPublished_##Class =                                                \
        ::RegisterPublished(&Class::StaticClassInfo(), &TPublisher<Class>::Build);                           \
    void TPublisher<Class>::Publish([[maybe_unused]] ::TPropBuilder<Class>& P)

template <class C> struct TDeclarer;

// Declares properties of Class that descendants may publish; the body fills `P` like
// KVT_PUBLISHED's.
#define KVT_DECLARED(Class)                                                                                  \
    template <> struct TDeclarer<Class> {                                                                    \
        static void Declare(::TPropBuilder<Class>& P);                                                       \
        static void Build(::TPropTableBuilder& b) {                                                          \
            ::TPropBuilder<Class> p(b);                                                                      \
            Declare(p);                                                                                      \
        }                                                                                                    \
    };                                                                                                       \
    [[maybe_unused]] static const bool kvtDeclared_##Class =                                                 \
        ::RegisterDeclared(&Class::StaticClassInfo(), &TDeclarer<Class>::Build);                             \
    void TDeclarer<Class>::Declare([[maybe_unused]] ::TPropBuilder<Class>& P)

namespace kvt_typinfo {
template <class C, class R, class... A> class Method final : public TMethodEntry {
public:
    explicit Method(R (C::*m)(A...)) : FMethod(m) {}
    void Bind(TObject* Self, void* Event) const override {
        *static_cast<TEvent<R(A...)>*>(Event) = TEvent<R(A...)>(static_cast<C*>(Self), FMethod);
    }

private:
    R (C::*FMethod)(A...);
};
} // namespace kvt_typinfo

template <class C> class TMethodBuilder {
public:
    explicit TMethodBuilder(std::vector<std::unique_ptr<TMethodEntry>>& m) : FMethods(m) {}
    template <class M, class R, class... A> void Method(const String& name, R (M::*m)(A...)) {
        static_assert(std::is_base_of_v<M, C>, "a method of the class or of an ancestor");
        auto e = std::make_unique<kvt_typinfo::Method<M, R, A...>>(m);
        e->Name = name;
        e->Signature = &typeid(R(A...));
        e->Owner = &C::StaticClassInfo();
        FMethods.push_back(std::move(e));
    }

private:
    std::vector<std::unique_ptr<TMethodEntry>>& FMethods;
};

template <class C> struct TMethodPublisher;

// Publishes handlers of Class by name; the body fills `M` (M.Method("EditChange",
// &TMyForm::EditChange)).
#define KVT_PUBLISHED_METHODS(Class)                                                                         \
    template <> struct TMethodPublisher<Class> {                                                             \
        static void Publish(::TMethodBuilder<Class>& M);                                                     \
        static void Build(std::vector<std::unique_ptr<::TMethodEntry>>& m) {                                 \
            ::TMethodBuilder<Class> b(m);                                                                    \
            Publish(b);                                                                                      \
        }                                                                                                    \
    };                                                                                                       \
    [[maybe_unused]] static const bool kvtMethods_##Class =                                                  \
        ::RegisterPublishedMethods(&Class::StaticClassInfo(), &TMethodPublisher<Class>::Build);              \
    void TMethodPublisher<Class>::Publish([[maybe_unused]] ::TMethodBuilder<Class>& M)
