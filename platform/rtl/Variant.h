#pragma once
// Variant: the platform's dynamically typed value. Unassigned and Null are distinct; numbers,
// dates, Booleans and object references live inline (no allocation); strings are implicitly
// shared QString / QByteArray; variant arrays are shared and copied on write.
//
// Rules (the platform's defaults): Null = Null is true and Null equals nothing else; in ordering
// Null is below every other value; arithmetic and logic with Null give Null; converting Null to
// anything but text raises EVariantTypeCastError (VarToStr gives ""). Unassigned behaves as the
// zero / empty text / False of the other operand.

#include "platform/rtl/Currency.h"
#include "platform/rtl/System.h"

#include <initializer_list>
#include <iosfwd>
#include <new>
#include <vector>

using TVarType = Word;

int AnsiCompareStr(const String& a, const String& b); // SysUtils.h

constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varSingle = 0x0004;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varDispatch = 0x0009;
constexpr TVarType varError = 0x000A;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varVariant = 0x000C;
constexpr TVarType varUnknown = 0x000D;
constexpr TVarType varShortInt = 0x0010;
constexpr TVarType varByte = 0x0011;
constexpr TVarType varWord = 0x0012;
constexpr TVarType varLongWord = 0x0013;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varUInt64 = 0x0015;
constexpr TVarType varString = 0x0100;  // 8-bit text in the system ANSI code page
constexpr TVarType varUString = 0x0102; // UTF-16 text
// A pointer-sized object reference (TObject*). Not one of the platform's built-in codes: it sits
// in the custom-type range so that it never collides with them.
constexpr TVarType varObject = 0x0111;
constexpr TVarType varTypeMask = 0x0FFF;
constexpr TVarType varArray = 0x2000;
constexpr TVarType varByRef = 0x4000;

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

// The error code of EmptyParam (an omitted optional parameter).
constexpr Integer VAR_PARAMNOTFOUND = Integer(0x80020004u);

KVT_EXCEPTION(EVariantNotAnArrayError, EVariantError)
KVT_EXCEPTION(EVariantArrayCreateError, EVariantError)
KVT_EXCEPTION(EVariantUnexpectedError, EVariantError)

class Variant {
public:
    Variant() noexcept { FData.I64 = 0; }
    Variant(const Variant& o) {
        if (o.IsSimple()) {
            FType = o.FType;
            FData = o.FData;
        } else {
            CopyFrom(o);
        }
    }
    Variant(Variant&& o) noexcept { MoveFrom(o); }
    Variant& operator=(const Variant& o) {
        if (this != &o) {
            if (IsSimple() && o.IsSimple()) {
                FType = o.FType;
                FData = o.FData;
            } else {
                Variant tmp(o);
                Release();
                MoveFrom(tmp);
            }
        }
        return *this;
    }
    Variant& operator=(Variant&& o) noexcept {
        if (this != &o) {
            Release();
            MoveFrom(o);
        }
        return *this;
    }
    ~Variant() {
        if (!IsSimple()) Release();
    }

    // Construction from C++ values; every integer width maps to the platform's kind of that width.
    Variant(bool v) noexcept : FType(varBoolean) { Set64(0), FData.B = v; }
    Variant(signed char v) noexcept : FType(varShortInt) { Set64(v); }
    Variant(unsigned char v) noexcept : FType(varByte) { Set64(v); }
    Variant(short v) noexcept : FType(varSmallint) { Set64(v); }
    Variant(unsigned short v) noexcept : FType(varWord) { Set64(v); }
    Variant(int v) noexcept : FType(varInteger) { Set64(v); }
    Variant(unsigned v) noexcept : FType(varLongWord) { Set64(v); }
    Variant(long v) noexcept : FType(varInt64) { Set64(v); }
    Variant(long long v) noexcept : FType(varInt64) { Set64(v); }
    Variant(unsigned long v) noexcept : FType(varUInt64) { FData.U64 = v; }
    Variant(unsigned long long v) noexcept : FType(varUInt64) { FData.U64 = v; }
    Variant(float v) noexcept : FType(varSingle) { Set64(0), FData.F = v; }
    Variant(double v) noexcept : FType(varDouble) { FData.D = v; }
    Variant(long double v) noexcept : FType(varDouble) { FData.D = double(v); }
    Variant(Currency v) noexcept : FType(varCurrency) { FData.I64 = v.Scaled(); }
    Variant(const String& v) : FType(varUString) { new (FData.S) String(v); }
    Variant(String&& v) noexcept : FType(varUString) { new (FData.S) String(std::move(v)); }
    Variant(const char* utf8) : Variant(String::fromUtf8(utf8)) {}
    Variant(const char16_t* v) : Variant(String::fromUtf16(v)) {}
    Variant(QChar c) : Variant(String(c)) {}
    Variant(const AnsiString& v) : FType(varString) { new (FData.S) AnsiString(v); }
    Variant(const TBytes& bytes); // a byte array (varArray | varByte), bounds 0..n-1
    template <class T>
    requires std::is_base_of_v<TObject, T> Variant(T* obj)
    noexcept : FType(varObject) {
        Set64(0);
        FData.P = const_cast<TObject*>(static_cast<const TObject*>(obj));
    }
    // Guard against silent conversions to bool or int.
    template <class T> Variant(T*) = delete;
    Variant(std::nullptr_t) = delete;
    Variant(char) = delete;

    static Variant FromDate(TDateTime d) noexcept { return Variant(varDate, d); }
    static Variant FromOleStr(const String& s); // varOleStr instead of varUString
    static Variant FromError(Integer code) noexcept;
    static Variant FromObject(TObject* obj) noexcept;
    // An interface reference (varDispatch or varUnknown); not reference-counted.
    static Variant FromInterface(void* p, TVarType t = varUnknown) noexcept;
    static Variant FromNull() noexcept {
        Variant v;
        v.FType = varNull;
        return v;
    }

    TVarType VType() const { return FType; }
    bool IsEmpty() const { return FType == varEmpty; }
    bool IsNull() const { return FType == varNull; }
    bool IsArray() const { return (FType & varArray) != 0; }
    void Clear() { *this = Variant(); }

    // Conversions by the platform's rules; EVariantTypeCastError when the value cannot be
    // converted, EVariantOverflowError when it does not fit the target.
    Integer AsInteger() const {
        return FType == varInteger ? Integer(FData.I64) : Integer(ToInt(varInteger));
    }
    Int64 AsInt64() const { return FType == varInt64 ? FData.I64 : Int64(ToInt(varInt64)); }
    UInt64 AsUInt64() const { return FType == varUInt64 ? FData.U64 : UInt64(ToInt(varUInt64)); }
    Cardinal AsLongWord() const { return Cardinal(ToInt(varLongWord)); }
    Single AsSingle() const;
    Double AsDouble() const { return FType == varDouble ? FData.D : double(ToExtended(varDouble)); }
    Extended AsExtended() const { return FType == varDouble ? FData.D : ToExtended(varDouble); }
    Currency AsCurrency() const;
    bool AsBoolean() const { return FType == varBoolean ? FData.B : ToBoolean(); }
    String AsString() const;         // Null raises; see VarToStr for Null → ""
    AnsiString AsAnsiString() const; // the text in the ANSI code page
    TDateTime AsDateTime() const { return FType == varDate ? FData.D : ToDate(); }
    // The object of a varObject; nil for Empty / Null; a pointer-sized integer is taken as an address.
    TObject* AsObject() const;
    Integer AsError() const; // the code of a varError
    // This value converted to the type t (see VarAsType).
    Variant CastTo(TVarType t) const;

    // Variant arrays (see also the VarArray* functions). Indices are the array's own indices
    // (within its bounds), one per dimension.
    static Variant ArrayCreate(const std::vector<Integer>& bounds, TVarType elemType);
    int ArrayDimCount() const;
    Integer ArrayLowBound(int dim) const; // dim counts from 1
    Integer ArrayHighBound(int dim) const;
    void ArrayRedim(Integer highBound); // changes the last dimension, keeps the elements
    Variant ArrayGet(const std::vector<Integer>& indices) const;
    void ArrayPut(const std::vector<Integer>& indices, const Variant& value);
    // Reads an element; const so that `a[i] = x` (which would change a copy) does not compile.
    const Variant operator[](Integer index) const { return ArrayGet({index}); }
    void* ArrayLock(); // Byte* of a byte array, Variant* of any other array
    void ArrayUnlock();

    friend bool operator==(const Variant& a, const Variant& b) {
        if (a.FType == b.FType && (a.FType == varInteger || a.FType == varInt64))
            return a.FData.I64 == b.FData.I64;
        if (a.FType == varDouble && b.FType == varDouble) return a.FData.D == b.FData.D;
        // Texts are equal only when identical (the collation tells every two texts apart).
        if (a.FType == varUString && b.FType == varUString) return a.Str() == b.Str();
        return Compare(a, b, cmpEQ);
    }
    friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }
    friend bool operator<(const Variant& a, const Variant& b) {
        if (a.FType == b.FType && (a.FType == varInteger || a.FType == varInt64))
            return a.FData.I64 < b.FData.I64;
        if (a.FType == varDouble && b.FType == varDouble) return a.FData.D < b.FData.D;
        if (a.FType == varUString && b.FType == varUString) return AnsiCompareStr(a.Str(), b.Str()) < 0;
        return Compare(a, b, cmpLT);
    }
    friend bool operator>(const Variant& a, const Variant& b) { return b < a; }
    friend bool operator<=(const Variant& a, const Variant& b) { return Compare(a, b, cmpLE); }
    friend bool operator>=(const Variant& a, const Variant& b) { return Compare(a, b, cmpGE); }

private:
    friend class VariantAccess;
    enum CompareOp { cmpEQ, cmpLT, cmpLE, cmpGE };
    struct VarArray;

    Variant(TVarType t, double d) noexcept : FType(t) { FData.D = d; }
    void Set64(Int64 v) { FData.I64 = v; }
    const String& Str() const { return *std::launder(reinterpret_cast<const String*>(FData.S)); }
    bool IsSimple() const {
        return !(FType & varArray) && FType != varUString && FType != varString && FType != varOleStr;
    }
    VarArray& ArrayData() const;  // EVariantNotAnArrayError unless an array
    VarArray& MutableArrayData(); // unshared (copied on write), then as ArrayData
    void CopyFrom(const Variant& o);
    void MoveFrom(Variant& o) noexcept;
    void Release() noexcept;
    __int128 ToInt(TVarType target) const;
    Extended ToExtended(TVarType target) const;
    bool ToBoolean() const;
    TDateTime ToDate() const;
    static bool Compare(const Variant& a, const Variant& b, CompareOp op);

    TVarType FType = varEmpty;
    union Data {
        Int64 I64;
        UInt64 U64;
        double D;
        float F;
        bool B;
        void* P;
        VarArray* A;
        alignas(String) unsigned char S[sizeof(String)];
    } FData;
    static_assert(sizeof(String) == sizeof(AnsiString) && alignof(String) == alignof(AnsiString));
};

// Direct reads of the stored value, for code that has already checked VType (the runtime's own
// conversions, component streams). Integer kinds up to Int64 are stored sign- or zero-extended.
class VariantAccess {
public:
    static Int64 Int(const Variant& v) { return v.FData.I64; }
    static UInt64 UInt(const Variant& v) { return v.FData.U64; }
    static double Dbl(const Variant& v) { return v.FData.D; } // varDouble, varDate
    static float Sgl(const Variant& v) { return v.FData.F; }
    static bool Bool(const Variant& v) { return v.FData.B; }
    static Currency Curr(const Variant& v) { return Currency::FromScaled(v.FData.I64); }
    static void* Ptr(const Variant& v) { return v.FData.P; } // varObject, varDispatch, varUnknown
    static const String& Str(const Variant& v) {             // varUString, varOleStr
        return *std::launder(reinterpret_cast<const String*>(v.FData.S));
    }
    static const AnsiString& Ansi(const Variant& v) { // varString
        return *std::launder(reinterpret_cast<const AnsiString*>(v.FData.S));
    }
};

// ---------------------------------------------------------------------------------------------
// Constants
inline Variant Null() {
    return Variant::FromNull();
}
inline Variant Unassigned() {
    return Variant();
}
inline Variant EmptyParam() {
    return Variant::FromError(VAR_PARAMNOTFOUND);
}

// ---------------------------------------------------------------------------------------------
// Type tests
inline TVarType VarType(const Variant& v) {
    return v.VType();
}
bool VarTypeIsOrdinal(
    TVarType t);                 // Smallint, Integer, Boolean, ShortInt, Byte, Word, LongWord, Int64, UInt64
bool VarTypeIsFloat(TVarType t); // Single, Double, Currency
bool VarTypeIsNumeric(TVarType t); // ordinal or float
bool VarTypeIsStr(TVarType t);     // OleStr, String, UString
inline bool VarIsNull(const Variant& v) {
    return v.VType() == varNull;
}
inline bool VarIsEmpty(const Variant& v) {
    return v.VType() == varEmpty;
}
bool VarIsClear(const Variant& v); // Empty, or a nil object / interface reference
inline bool VarIsOrdinal(const Variant& v) {
    return VarTypeIsOrdinal(v.VType());
}
inline bool VarIsFloat(const Variant& v) {
    return VarTypeIsFloat(v.VType());
}
inline bool VarIsNumeric(const Variant& v) {
    return VarTypeIsNumeric(v.VType());
}
inline bool VarIsStr(const Variant& v) {
    return VarTypeIsStr(v.VType());
}
inline bool VarIsArray(const Variant& v) {
    return v.IsArray();
}
bool VarIsEmptyParam(const Variant& v);
inline bool VarIsType(const Variant& v, TVarType t) {
    return v.VType() == t;
}
bool VarIsType(const Variant& v, std::initializer_list<TVarType> types);
// The platform's type names: "Empty", "Null", "Integer", "OleStr", "UnicodeString", "String",
// "Array Variant", "ByRef Integer"...
String VarTypeAsText(TVarType t);

// ---------------------------------------------------------------------------------------------
// Conversions
Variant VarAsType(const Variant& v, TVarType t);
// "Type:text" for diagnostics and test output ("Integer:5", "Null", "Array Variant:[1, a]").
std::ostream& operator<<(std::ostream& os, const Variant& v);
inline void VarCast(Variant& dest, const Variant& source, TVarType t) {
    dest = VarAsType(source, t);
}
String VarToStr(const Variant& v);                       // Null gives ""
String VarToStrDef(const Variant& v, const String& def); // Null gives def
inline TDateTime VarToDateTime(const Variant& v) {
    return v.AsDateTime();
}
inline Variant VarFromDateTime(TDateTime d) {
    return Variant::FromDate(d);
}

// ---------------------------------------------------------------------------------------------
// Comparison
bool VarSameValue(const Variant& a, const Variant& b); // Empty / Null equal only themselves
// vrNotEqual when either side is Empty or Null (and they are not both the same), or the values
// have no order; raises when the values cannot be compared at all.
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);

// ---------------------------------------------------------------------------------------------
// Arithmetic and logic. + concatenates two texts; / always divides as Double; div and mod are
// integer operations; and / or / xor / not are logical on Booleans and bitwise on integers.
Variant operator+(const Variant& a, const Variant& b);
Variant operator-(const Variant& a, const Variant& b);
Variant operator*(const Variant& a, const Variant& b);
Variant operator/(const Variant& a, const Variant& b);
Variant operator%(const Variant& a, const Variant& b); // mod
Variant operator-(const Variant& a);
Variant operator&(const Variant& a, const Variant& b); // and
Variant operator|(const Variant& a, const Variant& b); // or
Variant operator^(const Variant& a, const Variant& b); // xor
Variant operator~(const Variant& a);                   // not
Variant VarIntDiv(const Variant& a, const Variant& b); // div
inline Variant VarMod(const Variant& a, const Variant& b) {
    return a % b;
}
inline Variant VarAnd(const Variant& a, const Variant& b) {
    return a & b;
}
inline Variant VarOr(const Variant& a, const Variant& b) {
    return a | b;
}
inline Variant VarXor(const Variant& a, const Variant& b) {
    return a ^ b;
}
inline Variant VarNot(const Variant& a) {
    return ~a;
}
inline Variant& operator+=(Variant& a, const Variant& b) {
    return a = a + b;
}
inline Variant& operator-=(Variant& a, const Variant& b) {
    return a = a - b;
}
inline Variant& operator*=(Variant& a, const Variant& b) {
    return a = a * b;
}
inline Variant& operator/=(Variant& a, const Variant& b) {
    return a = a / b;
}

// ---------------------------------------------------------------------------------------------
// Variant arrays. Bounds are given as pairs {low1, high1, low2, high2, ...}.
Variant VarArrayCreate(std::initializer_list<Integer> bounds, TVarType elemType);
Variant VarArrayCreate(const std::vector<Integer>& bounds, TVarType elemType);
Variant VarArrayOf(std::initializer_list<Variant> values); // varVariant elements, bounds 0..n-1
Variant VarArrayOf(const std::vector<Variant>& values);
inline int VarArrayDimCount(const Variant& a) {
    return a.ArrayDimCount();
}
inline Integer VarArrayLowBound(const Variant& a, int dim) {
    return a.ArrayLowBound(dim);
}
inline Integer VarArrayHighBound(const Variant& a, int dim) {
    return a.ArrayHighBound(dim);
}
inline void VarArrayRedim(Variant& a, Integer highBound) {
    a.ArrayRedim(highBound);
}
inline Variant VarArrayGet(const Variant& a, std::initializer_list<Integer> indices) {
    return a.ArrayGet(indices);
}
inline void VarArrayPut(Variant& a, const Variant& value, std::initializer_list<Integer> indices) {
    a.ArrayPut(indices, value);
}
inline void* VarArrayLock(Variant& a) {
    return a.ArrayLock();
}
inline void VarArrayUnlock(Variant& a) {
    a.ArrayUnlock();
}

// Byte arrays (varArray | varByte) to and from bytes. VarToBytes also accepts an 8-bit string
// (its bytes) and Null / Empty (no bytes).
inline Variant VarFromBytes(const TBytes& bytes) {
    return Variant(bytes);
}
Variant VarFromBytes(const QByteArray& bytes);
TBytes VarToBytes(const Variant& v);
QByteArray VarToByteArray(const Variant& v);
