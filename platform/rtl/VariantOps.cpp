// Variant comparison, arithmetic and logic under the platform's default rules.
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variant.h"

#include <cmath>

namespace {

// Kinds of value as comparison and arithmetic see them.
enum Cls { cEmpty, cNull, cInt, cBool, cCurr, cFloat, cDate, cStr, cOther };

Cls ClassOf(TVarType t) {
    switch (t) {
    case varEmpty:
        return cEmpty;
    case varNull:
        return cNull;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
        return cInt;
    case varBoolean:
        return cBool;
    case varCurrency:
        return cCurr;
    case varSingle:
    case varDouble:
        return cFloat;
    case varDate:
        return cDate;
    case varOleStr:
    case varString:
    case varUString:
        return cStr;
    default:
        return cOther;
    }
}

constexpr int kUnordered = 2;

[[noreturn]] void InvalidOp() {
    throw EVariantInvalidOpError(QStringLiteral("Invalid variant operation"));
}

[[noreturn]] void ArithmeticOverflow() {
    throw EVariantOverflowError(QStringLiteral("Variant overflow"));
}

// Kinds whose results do not fit an Integer in general.
bool IsWide(TVarType t) {
    return t == varLongWord || t == varInt64 || t == varUInt64;
}

__int128 IntOf(const Variant& v) {
    switch (v.VType()) {
    case varUInt64:
        return VariantAccess::UInt(v);
    case varBoolean:
        return VariantAccess::Bool(v) ? -1 : 0;
    default:
        return VariantAccess::Int(v);
    }
}

Variant IntResult(__int128 r, bool wide, bool unsignedAllowed) {
    if (!wide && r >= INT32_MIN && r <= INT32_MAX) return Variant(int(r));
    if (r >= INT64_MIN && r <= INT64_MAX) return Variant(Int64(r));
    if (unsignedAllowed && r >= 0 && r <= __int128(UINT64_MAX)) return Variant(UInt64(r));
    ArithmeticOverflow();
}

// The zero of v's kind, standing in for Unassigned.
Variant ZeroLike(const Variant& v) {
    switch (ClassOf(v.VType())) {
    case cStr:
        return v.VType() == varString ? Variant(AnsiString()) : Variant(String());
    case cBool:
        return Variant(false);
    default:
        return Variant(0);
    }
}

// A text operand converted for an operation with a value of class `other`.
Variant TextAs(const Variant& s, Cls other) {
    switch (other) {
    case cBool:
        return Variant(s.AsBoolean());
    case cDate:
        return Variant::FromDate(s.AsDateTime());
    default:
        return Variant(s.AsDouble());
    }
}

int Sign(int r) {
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

template <class T> int Cmp(const T& x, const T& y) {
    if (x < y) return -1;
    if (y < x) return 1;
    if (x == y) return 0;
    return kUnordered;
}

// AnsiCompareStr answers 0 only for identical texts, so equality needs no collation.
int CompareTexts(const Variant& a, const Variant& b, bool equalityOnly) {
    if (a.VType() == varString && b.VType() == varString) {
        const AnsiString& x = VariantAccess::Ansi(a);
        const AnsiString& y = VariantAccess::Ansi(b);
        if (x == y) return 0;
        return equalityOnly ? kUnordered : Sign(AnsiCompareStr(FromAnsiBytes(x), FromAnsiBytes(y)));
    }
    String bx, by;
    const String& x =
        a.VType() == varString ? (bx = FromAnsiBytes(VariantAccess::Ansi(a))) : VariantAccess::Str(a);
    const String& y =
        b.VType() == varString ? (by = FromAnsiBytes(VariantAccess::Ansi(b))) : VariantAccess::Str(b);
    if (x == y) return 0;
    return equalityOnly ? kUnordered : Sign(AnsiCompareStr(x, y));
}

int CompareOthers(const Variant& a, const Variant& b) {
    TVarType ta = a.VType(), tb = b.VType();
    if (ta == tb && (ta == varObject || ta == varDispatch || ta == varUnknown))
        return VariantAccess::Ptr(a) == VariantAccess::Ptr(b) ? 0 : kUnordered;
    if (ta == varError && tb == varError) return Cmp(VariantAccess::Int(a), VariantAccess::Int(b));
    InvalidOp();
}

// -1, 0, 1 or kUnordered; neither side is Null. With equalityOnly, unequal texts answer
// kUnordered without being ordered.
int CompareValues(const Variant& a, const Variant& b, bool equalityOnly = false) {
    Cls ca = ClassOf(a.VType()), cb = ClassOf(b.VType());
    if (ca == cEmpty && cb == cEmpty) return 0;
    if (ca == cEmpty) return CompareValues(ZeroLike(b), b, equalityOnly);
    if (cb == cEmpty) return CompareValues(a, ZeroLike(a), equalityOnly);
    if (ca == cOther || cb == cOther) return CompareOthers(a, b);
    if (ca == cStr && cb == cStr) return CompareTexts(a, b, equalityOnly);
    if (ca == cStr) return CompareValues(TextAs(a, cb), b);
    if (cb == cStr) return CompareValues(a, TextAs(b, ca));
    if (ca == cBool && cb == cBool) return Cmp(VariantAccess::Bool(a), VariantAccess::Bool(b));
    bool ia = ca == cInt || ca == cBool, ib = cb == cInt || cb == cBool;
    if (ia && ib) return Cmp(IntOf(a), IntOf(b));
    if ((ia || ca == cCurr) && (ib || cb == cCurr)) {
        __int128 x = ca == cCurr ? __int128(VariantAccess::Int(a)) : IntOf(a) * 10000;
        __int128 y = cb == cCurr ? __int128(VariantAccess::Int(b)) : IntOf(b) * 10000;
        return Cmp(x, y);
    }
    return Cmp(a.AsExtended(), b.AsExtended());
}

enum ArithOp { opAdd, opSub, opMul };

Variant Concat(const Variant& a, const Variant& b) {
    if (a.VType() == varString && b.VType() == varString)
        return Variant(VariantAccess::Ansi(a) + VariantAccess::Ansi(b));
    String s = a.AsString() + b.AsString();
    if (a.VType() == varOleStr && b.VType() == varOleStr) return Variant::FromOleStr(s);
    return Variant(std::move(s));
}

double CheckedFloat(double r, double x, double y) {
    if (std::isinf(r) && std::isfinite(x) && std::isfinite(y))
        throw EOverflow(QStringLiteral("Floating point overflow"));
    return r;
}

template <class T> T Apply(ArithOp op, T x, T y) {
    switch (op) {
    case opAdd:
        return x + y;
    case opSub:
        return x - y;
    default:
        return x * y;
    }
}

Variant Arith(const Variant& a, const Variant& b, ArithOp op) {
    Cls ca = ClassOf(a.VType()), cb = ClassOf(b.VType());
    if (ca == cNull || cb == cNull) return Null();
    if (op == opAdd && ca == cStr && cb == cStr) return Concat(a, b);
    if (ca == cEmpty && cb == cEmpty) return Variant();
    if (ca == cEmpty) return Arith(ZeroLike(b), b, op);
    if (cb == cEmpty) return Arith(a, ZeroLike(a), op);
    if (ca == cOther || cb == cOther) InvalidOp();
    if (ca == cStr) return Arith(TextAs(a, cb == cDate ? cDate : cFloat), b, op);
    if (cb == cStr) return Arith(a, TextAs(b, ca == cDate ? cDate : cFloat), op);

    bool ia = ca == cInt || ca == cBool, ib = cb == cInt || cb == cBool;
    if (ia && ib)
        return IntResult(Apply(op, IntOf(a), IntOf(b)), IsWide(a.VType()) || IsWide(b.VType()),
                         a.VType() == varUInt64 || b.VType() == varUInt64);
    if (ca == cDate || cb == cDate) {
        double x = a.AsDouble(), y = b.AsDouble();
        double r = CheckedFloat(Apply(op, x, y), x, y);
        if (op == opMul || (op == opSub && ca == cDate && cb == cDate)) return Variant(r);
        return Variant::FromDate(r);
    }
    if ((ca == cCurr || cb == cCurr) && ca != cFloat && cb != cFloat) {
        try {
            return Variant(Apply(op, a.AsCurrency(), b.AsCurrency()));
        } catch (const EMathError&) {
            ArithmeticOverflow();
        }
    }
    double x = a.AsDouble(), y = b.AsDouble();
    return Variant(CheckedFloat(Apply(op, x, y), x, y));
}

// An operand of and / or / xor / not: a Boolean or an integer variant.
Variant LogicOperand(const Variant& v, Cls other) {
    switch (ClassOf(v.VType())) {
    case cEmpty:
        return other == cBool ? Variant(false) : Variant(0);
    case cInt:
    case cBool:
        return v;
    case cStr: {
        const String s = v.AsString();
        Int64 i;
        bool b;
        if (TryStrToInt64(s, i)) return IntResult(i, false, false);
        if (TryStrToBool(s, b)) return Variant(b);
        return Variant(v.AsBoolean()); // raises the cast error
    }
    case cFloat:
    case cCurr:
    case cDate:
        return IntResult(v.AsInt64(), false, false);
    default:
        InvalidOp();
    }
}

enum LogicOp { opAnd, opOr, opXor };

Variant Logic(const Variant& a0, const Variant& b0, LogicOp op) {
    if (a0.IsNull() || b0.IsNull()) return Null();
    Variant a = LogicOperand(a0, ClassOf(b0.VType()));
    Variant b = LogicOperand(b0, ClassOf(a.VType()));
    if (a.VType() == varBoolean && b.VType() == varBoolean) {
        bool x = VariantAccess::Bool(a), y = VariantAccess::Bool(b);
        return Variant(op == opAnd ? (x && y) : op == opOr ? (x || y) : (x != y));
    }
    __int128 x = IntOf(a), y = IntOf(b);
    __int128 r = op == opAnd ? (x & y) : op == opOr ? (x | y) : (x ^ y);
    if (a.VType() == varUInt64 || b.VType() == varUInt64) return Variant(UInt64(r));
    if (IsWide(a.VType()) || IsWide(b.VType())) return Variant(Int64(r));
    return Variant(int(r));
}

Variant IntDivMod(const Variant& a, const Variant& b, bool mod) {
    if (a.IsNull() || b.IsNull()) return Null();
    if (ClassOf(a.VType()) == cOther || ClassOf(b.VType()) == cOther) InvalidOp();
    Int64 x = a.AsInt64(), y = b.AsInt64();
    if (y == 0) throw EDivByZero(QStringLiteral("Division by zero"));
    __int128 r = mod ? __int128(x) % y : __int128(x) / y;
    return IntResult(r, IsWide(a.VType()) || IsWide(b.VType()), false);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Comparison

bool Variant::Compare(const Variant& a, const Variant& b, CompareOp op) {
    bool an = a.FType == varNull, bn = b.FType == varNull;
    if (an || bn) {
        // Null equals only Null and sorts below every other value.
        switch (op) {
        case cmpEQ:
            return an && bn;
        case cmpLT:
            return an && !bn;
        case cmpLE:
            return an;
        case cmpGE:
            return bn;
        }
    }
    // Wide texts are by far the most common ordered pair: straight to the collation.
    int r = a.FType == varUString && b.FType == varUString && op != cmpEQ ? AnsiCompareStr(a.Str(), b.Str())
                                                                          : CompareValues(a, b, op == cmpEQ);
    switch (op) {
    case cmpEQ:
        return r == 0;
    case cmpLT:
        return r == -1;
    case cmpLE:
        return r == -1 || r == 0;
    case cmpGE:
        return r == 1 || r == 0;
    }
    return false;
}

bool VarSameValue(const Variant& a, const Variant& b) {
    if (a.IsEmpty()) return b.IsEmpty();
    if (a.IsNull()) return b.IsNull();
    if (b.IsEmpty() || b.IsNull()) return false;
    return a == b;
}

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
    if (a.IsEmpty()) return b.IsEmpty() ? vrEqual : vrNotEqual;
    if (a.IsNull()) return b.IsNull() ? vrEqual : vrNotEqual;
    if (b.IsEmpty() || b.IsNull()) return vrNotEqual;
    switch (CompareValues(a, b)) {
    case 0:
        return vrEqual;
    case -1:
        return vrLessThan;
    case 1:
        return vrGreaterThan;
    default:
        return vrNotEqual;
    }
}

// ---------------------------------------------------------------------------------------------
// Arithmetic and logic

Variant operator+(const Variant& a, const Variant& b) {
    if (a.VType() == varInteger && b.VType() == varInteger)
        return IntResult(__int128(VariantAccess::Int(a)) + VariantAccess::Int(b), false, false);
    return Arith(a, b, opAdd);
}

Variant operator-(const Variant& a, const Variant& b) {
    return Arith(a, b, opSub);
}

Variant operator*(const Variant& a, const Variant& b) {
    return Arith(a, b, opMul);
}

Variant operator/(const Variant& a, const Variant& b) {
    if (a.IsNull() || b.IsNull()) return Null();
    if (ClassOf(a.VType()) == cOther || ClassOf(b.VType()) == cOther) InvalidOp();
    double x = a.AsDouble(), y = b.AsDouble();
    if (y == 0) {
        if (x == 0 || std::isnan(x)) throw EInvalidOp(QStringLiteral("Invalid floating point operation"));
        throw EZeroDivide(QStringLiteral("Floating point division by zero"));
    }
    return Variant(CheckedFloat(x / y, x, y));
}

Variant VarIntDiv(const Variant& a, const Variant& b) {
    return IntDivMod(a, b, false);
}

Variant operator%(const Variant& a, const Variant& b) {
    return IntDivMod(a, b, true);
}

Variant operator-(const Variant& a) {
    switch (ClassOf(a.VType())) {
    case cNull:
    case cEmpty:
        return a;
    case cInt:
    case cBool:
        return IntResult(-IntOf(a), IsWide(a.VType()), false);
    case cFloat:
        return a.VType() == varSingle ? Variant(-VariantAccess::Sgl(a)) : Variant(-VariantAccess::Dbl(a));
    case cCurr:
        try {
            return Variant(-VariantAccess::Curr(a));
        } catch (const EMathError&) {
            ArithmeticOverflow();
        }
    case cDate:
        return Variant::FromDate(-VariantAccess::Dbl(a));
    case cStr:
        return Variant(-a.AsDouble());
    default:
        InvalidOp();
    }
}

Variant operator&(const Variant& a, const Variant& b) {
    return Logic(a, b, opAnd);
}

Variant operator|(const Variant& a, const Variant& b) {
    return Logic(a, b, opOr);
}

Variant operator^(const Variant& a, const Variant& b) {
    return Logic(a, b, opXor);
}

Variant operator~(const Variant& a0) {
    if (a0.IsNull()) return a0;
    Variant a = LogicOperand(a0, cInt);
    if (a.VType() == varBoolean) return Variant(!VariantAccess::Bool(a));
    if (a.VType() == varUInt64) return Variant(~VariantAccess::UInt(a));
    if (a.VType() == varLongWord) return Variant(~unsigned(VariantAccess::Int(a)));
    if (a.VType() == varInt64) return Variant(~VariantAccess::Int(a));
    return Variant(int(~IntOf(a)));
}
