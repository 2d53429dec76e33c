#pragma once
// Core types of the runtime: fixed-width integer names, strings, the root class with its class
// information, exceptions, sets, comparable event delegates and interface queries.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

using Integer = int32_t;
using Cardinal = uint32_t;
using LongInt = int32_t;
using LongWord = uint32_t;
using ShortInt = int8_t;
using SmallInt = int16_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using Byte = uint8_t;
using Word = uint16_t;
using Single = float;
using Double = double;
using Extended = long double;
using NativeInt = intptr_t;
using NativeUInt = uintptr_t;

using String = QString;         // UTF-16, implicitly shared
using WideString = QString;
using UnicodeString = QString;
using AnsiString = QByteArray;  // text in the system ANSI code page (Windows-1251)
using RawByteString = QByteArray;
using Char = QChar;
using TBytes = std::vector<uint8_t>;

using TDateTime = double;  // days since 1899-12-30, fraction = time of day
using TDate = double;
using TTime = double;

class TObject;
class TComponent;

// ---------------------------------------------------------------------------------------------
// Class information: exact class names, parents and (for registered classes) a factory.
struct TClassInfo {
    const char* Name;
    const TClassInfo* Parent;
    // Set by RegisterClass for classes that component streams may create by name.
    mutable TObject* (*Factory)(TComponent* owner) = nullptr;

    bool InheritsFrom(const TClassInfo* other) const {
        for (auto* c = this; c; c = c->Parent)
            if (c == other) return true;
        return false;
    }
    String ClassName() const { return QString::fromLatin1(Name); }
};
using TClass = const TClassInfo*;

// Declares the class information of a class derived (directly) from Parent.
// Use at the top of the class body; leaves the access at public.
#define KVT_CLASS(Name, Parent)                                                              \
public:                                                                                      \
    static const ::TClassInfo& StaticClassInfo() {                                           \
        static const ::TClassInfo ci{#Name, &Parent::StaticClassInfo()};                     \
        return ci;                                                                           \
    }                                                                                        \
    const ::TClassInfo* ClassType() const override { return &StaticClassInfo(); }           \
                                                                                             \
public:

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo ci{"TObject", nullptr};
        return ci;
    }
    virtual const TClassInfo* ClassType() const { return &StaticClassInfo(); }
    String ClassName() const { return ClassType()->ClassName(); }
    const TClassInfo* ClassParent() const { return ClassType()->Parent; }
    bool InheritsFrom(const TClassInfo* c) const { return ClassType()->InheritsFrom(c); }
    template <class T>
    bool InheritsFrom() const { return InheritsFrom(&T::StaticClassInfo()); }

    // Runs after the most derived constructor finished: the place for initialisation that must
    // dispatch virtual calls to descendants (see Create<T>).
    virtual void AfterConstruction() {}
    // Runs before destruction starts, while the object is still whole.
    virtual void BeforeDestruction() {}
    // Frees the object now. Descendants that may refuse to be freed throw here, before anything
    // is destroyed (destructors never throw).
    virtual void Free();
};

inline void TObject::Free() {
    BeforeDestruction();
    delete this;
}

template <class T>
inline void FreeAndNil(T*& p) {
    T* q = p;
    p = nullptr;
    if (q) q->Free();
}

// Two-phase construction: the object is complete when AfterConstruction runs, so its virtual
// initialisation reaches the most derived class.
template <class T, class... A>
T* Create(A&&... args) {
    T* p = new T(std::forward<A>(args)...);
    try {
        p->AfterConstruction();
    } catch (...) {
        delete p;
        throw;
    }
    return p;
}

// Checked down-cast ("as"); throws EInvalidCast when the object is of another class.
template <class T>
T* As(TObject* o);

// ---------------------------------------------------------------------------------------------
// Exceptions. Message texts are the platform's where callers rely on them.
class Exception : public std::exception {
public:
    explicit Exception(const String& msg = String()) : FMessage(msg) {}
    ~Exception() override = default;
    const String& Message() const { return FMessage; }
    void SetMessage(const String& m) {
        FMessage = m;
        FWhat.clear();
    }
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int c) { FHelpContext = c; }
    const char* what() const noexcept override {
        if (FWhat.empty()) FWhat = FMessage.toStdString();
        return FWhat.c_str();
    }
    virtual const char* ClassNameA() const noexcept { return "Exception"; }
    String ClassName() const { return QString::fromLatin1(ClassNameA()); }
    virtual Exception* Clone() const { return new Exception(*this); }
    [[noreturn]] virtual void Raise() const { throw *this; }

private:
    String FMessage;
    int FHelpContext = 0;
    mutable std::string FWhat;
};

#define KVT_EXCEPTION(Name, Base)                                                            \
    class Name : public Base {                                                               \
    public:                                                                                  \
        using Base::Base;                                                                    \
        const char* ClassNameA() const noexcept override { return #Name; }                   \
        ::Exception* Clone() const override { return new Name(*this); }                      \
        [[noreturn]] void Raise() const override { throw *this; }                            \
    };

KVT_EXCEPTION(EAbort, Exception)  // silent: the application does not report it
KVT_EXCEPTION(EConvertError, Exception)
KVT_EXCEPTION(EListError, Exception)
KVT_EXCEPTION(EStringListError, Exception)
KVT_EXCEPTION(EStreamError, Exception)
KVT_EXCEPTION(EFCreateError, EStreamError)
KVT_EXCEPTION(EFOpenError, EStreamError)
KVT_EXCEPTION(EFilerError, EStreamError)
KVT_EXCEPTION(EReadError, EFilerError)
KVT_EXCEPTION(EWriteError, EFilerError)
KVT_EXCEPTION(EClassNotFound, EFilerError)
KVT_EXCEPTION(EInvalidOperation, Exception)
KVT_EXCEPTION(EInvalidCast, Exception)
KVT_EXCEPTION(EInvalidPointer, Exception)
KVT_EXCEPTION(EOutOfMemory, Exception)
KVT_EXCEPTION(EComponentError, Exception)
KVT_EXCEPTION(EOSError, Exception)
KVT_EXCEPTION(EIniFileException, Exception)
KVT_EXCEPTION(EArgumentException, Exception)
KVT_EXCEPTION(EArgumentOutOfRangeException, EArgumentException)
KVT_EXCEPTION(ENotSupportedException, Exception)
KVT_EXCEPTION(EExternal, Exception)
KVT_EXCEPTION(EIntError, EExternal)
KVT_EXCEPTION(EDivByZero, EIntError)
KVT_EXCEPTION(ERangeError, EIntError)
KVT_EXCEPTION(EIntOverflow, EIntError)
KVT_EXCEPTION(EMathError, EExternal)
KVT_EXCEPTION(EInvalidOp, EMathError)
KVT_EXCEPTION(EZeroDivide, EMathError)
KVT_EXCEPTION(EOverflow, EMathError)
KVT_EXCEPTION(EUnderflow, EMathError)
KVT_EXCEPTION(EVariantError, Exception)
KVT_EXCEPTION(EVariantTypeCastError, EVariantError)
KVT_EXCEPTION(EVariantOverflowError, EVariantError)
KVT_EXCEPTION(EVariantInvalidOpError, EVariantError)
KVT_EXCEPTION(EVariantBadIndexError, EVariantError)
KVT_EXCEPTION(EVariantBadVarTypeError, EVariantError)
KVT_EXCEPTION(EVariantArrayLockedError, EVariantError)
KVT_EXCEPTION(EVariantInvalidArgError, EVariantError)
KVT_EXCEPTION(EDatabaseError, Exception)

[[noreturn]] inline void Abort() { throw EAbort(QStringLiteral("Operation aborted")); }

template <class T>
T* As(TObject* o) {
    if (!o) return nullptr;
    if (auto* t = dynamic_cast<T*>(o)) return t;
    throw EInvalidCast(QStringLiteral("Invalid class typecast"));
}

// ---------------------------------------------------------------------------------------------
// Sets of enumeration values (ordinals 0..255), value semantics like the platform's sets.
template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) {
        for (E e : items) Include(e);
    }
    constexpr bool Contains(E e) const { return (FBits[idx(e) / 64] >> (idx(e) % 64)) & 1u; }
    constexpr TSet& Include(E e) {
        FBits[idx(e) / 64] |= uint64_t(1) << (idx(e) % 64);
        return *this;
    }
    constexpr TSet& Exclude(E e) {
        FBits[idx(e) / 64] &= ~(uint64_t(1) << (idx(e) % 64));
        return *this;
    }
    constexpr bool Empty() const { return !(FBits[0] | FBits[1] | FBits[2] | FBits[3]); }
    constexpr friend TSet operator+(TSet a, const TSet& b) {
        for (int i = 0; i < 4; ++i) a.FBits[i] |= b.FBits[i];
        return a;
    }
    constexpr friend TSet operator-(TSet a, const TSet& b) {
        for (int i = 0; i < 4; ++i) a.FBits[i] &= ~b.FBits[i];
        return a;
    }
    constexpr friend TSet operator*(TSet a, const TSet& b) {
        for (int i = 0; i < 4; ++i) a.FBits[i] &= b.FBits[i];
        return a;
    }
    constexpr TSet& operator+=(const TSet& b) { return *this = *this + b; }
    constexpr TSet& operator-=(const TSet& b) { return *this = *this - b; }
    constexpr TSet& operator*=(const TSet& b) { return *this = *this * b; }
    constexpr TSet& operator+=(E e) { return Include(e); }
    constexpr TSet& operator-=(E e) { return Exclude(e); }
    constexpr friend bool operator==(const TSet& a, const TSet& b) = default;
    // a <= b: every element of a is in b.
    constexpr bool SubsetOf(const TSet& b) const { return (*this - b).Empty(); }
    // The bits of the first 32 ordinals, as the platform stores small sets.
    constexpr uint32_t ToInt() const { return uint32_t(FBits[0]); }
    static constexpr TSet FromInt(uint64_t bits) {
        TSet s;
        s.FBits[0] = bits;
        return s;
    }

private:
    static constexpr unsigned idx(E e) { return unsigned(static_cast<std::underlying_type_t<E>>(e)) & 255u; }
    uint64_t FBits[4] = {0, 0, 0, 0};
};

// ---------------------------------------------------------------------------------------------
// Event delegates: an object and one of its member functions (or a callable with an explicit
// identity). Two delegates are equal when they name the same object and the same member, so
// handlers can be compared and removed as the platform allows.
template <class Sig>
class TEvent;

template <class R, class... A>
class TEvent<R(A...)> {
public:
    TEvent() = default;
    TEvent(std::nullptr_t) {}
    template <class C, class M>
    TEvent(C* obj, R (M::*method)(A...)) : FObj(obj) {
        static_assert(sizeof(method) <= sizeof(FId), "member pointer too large");
        std::memcpy(FId.data(), &method, sizeof(method));
        FFn = [obj, method](A... a) -> R { return (obj->*method)(std::forward<A>(a)...); };
    }
    // A free callable; `identity` tells it apart from other handlers (nullptr: never equal to
    // another delegate unless both are the same copy).
    template <class F>
    static TEvent Callable(F&& f, const void* identity = nullptr) {
        TEvent e;
        e.FFn = std::forward<F>(f);
        e.FObj = identity;
        if (!identity) e.FAnon = NextAnon();
        return e;
    }

    explicit operator bool() const { return bool(FFn); }
    bool Assigned() const { return bool(FFn); }
    R operator()(A... a) const { return FFn(std::forward<A>(a)...); }
    const void* Object() const { return FAnon ? nullptr : FObj; }

    friend bool operator==(const TEvent& a, const TEvent& b) {
        if (!a.FFn || !b.FFn) return !a.FFn && !b.FFn;
        if (a.FAnon || b.FAnon) return a.FAnon == b.FAnon;
        return a.FObj == b.FObj && a.FId == b.FId;
    }

private:
    static uint64_t NextAnon() {
        static uint64_t n = 0;
        return ++n;
    }
    std::function<R(A...)> FFn;
    const void* FObj = nullptr;
    std::array<unsigned char, 16> FId{};
    uint64_t FAnon = 0;
};

using TNotifyEvent = TEvent<void(TObject* Sender)>;

// ---------------------------------------------------------------------------------------------
// GUIDs and interface queries. Interfaces are abstract classes; an interface declares
// `static constexpr TGUID IID = ...;` and Supports asks the object through dynamic_cast.
struct TGUID {
    uint32_t D1 = 0;
    uint16_t D2 = 0, D3 = 0;
    std::array<uint8_t, 8> D4{};
    friend constexpr bool operator==(const TGUID&, const TGUID&) = default;
    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
    String ToString() const;
    static TGUID FromString(const String& s);  // EConvertError on a malformed text
};

template <class I, class T>
inline bool Supports(T* obj, I** out = nullptr) {
    I* i = obj ? dynamic_cast<I*>(obj) : nullptr;
    if (out) *out = i;
    return i != nullptr;
}
