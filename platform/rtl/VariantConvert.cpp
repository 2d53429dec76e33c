// Variant conversions: the platform's casts between the kinds, with its type-cast and overflow
// errors. Text goes through the current format settings.
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variant.h"

#include <cfloat>
#include <cmath>
#include <ostream>

namespace {

[[noreturn]] void CastError(TVarType from, TVarType to) {
    throw EVariantTypeCastError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                                    .arg(VarTypeAsText(from), VarTypeAsText(to)));
}

[[noreturn]] void OverflowError(TVarType from, TVarType to) {
    throw EVariantOverflowError(
        QStringLiteral("Overflow while converting variant of type (%1) into type (%2)")
            .arg(VarTypeAsText(from), VarTypeAsText(to)));
}

bool InRange(__int128 v, TVarType t) {
    switch (t) {
    case varSmallint:
        return v >= INT16_MIN && v <= INT16_MAX;
    case varInteger:
        return v >= INT32_MIN && v <= INT32_MAX;
    case varShortInt:
        return v >= INT8_MIN && v <= INT8_MAX;
    case varByte:
        return v >= 0 && v <= UINT8_MAX;
    case varWord:
        return v >= 0 && v <= UINT16_MAX;
    case varLongWord:
        return v >= 0 && v <= UINT32_MAX;
    case varInt64:
        return v >= INT64_MIN && v <= INT64_MAX;
    case varUInt64:
        return v >= 0 && v <= __int128(UINT64_MAX);
    default:
        return true;
    }
}

// Floats become integers rounded half to even, as the platform's conversions do.
__int128 RoundToInt(long double x, TVarType from, TVarType to) {
    if (!std::isfinite(x) || std::fabs(x) >= 18446744073709551616.0L) OverflowError(from, to);
    return __int128(std::nearbyintl(x));
}

const String& WideText(const Variant& v, String& buffer) {
    if (v.VType() == varString) {
        buffer = FromAnsiBytes(VariantAccess::Ansi(v));
        return buffer;
    }
    return VariantAccess::Str(v);
}

Currency CurrencyOf(long double x, TVarType from) {
    if (!std::isfinite(x)) OverflowError(from, varCurrency);
    try {
        return Currency(x);
    } catch (const EMathError&) {
        OverflowError(from, varCurrency);
    }
}

// A date with no time prints as a date, a time on day 0 as a time, anything else as both.
String DateText(double d) {
    double day = std::trunc(d);
    if (day == 0) return TimeToStr(d);
    if (d == day) return DateToStr(d);
    return DateTimeToStr(d);
}

String TextOf(const Variant& v, TVarType target) {
    switch (v.VType()) {
    case varEmpty:
        return String();
    case varUString:
    case varOleStr:
        return VariantAccess::Str(v);
    case varString:
        return FromAnsiBytes(VariantAccess::Ansi(v));
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
        return IntToStr(VariantAccess::Int(v));
    case varUInt64:
        return UIntToStr(VariantAccess::UInt(v));
    case varBoolean:
        return VariantAccess::Bool(v) ? QStringLiteral("True") : QStringLiteral("False");
    case varSingle:
        return FloatToStrF(VariantAccess::Sgl(v), ffGeneral, 7, 0);
    case varDouble:
        return FloatToStr(VariantAccess::Dbl(v));
    case varCurrency:
        return CurrToStr(VariantAccess::Curr(v));
    case varDate:
        return DateText(VariantAccess::Dbl(v));
    default:
        CastError(v.VType(), target);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Scalars

__int128 Variant::ToInt(TVarType target) const {
    __int128 r = 0;
    switch (FType) {
    case varEmpty:
        break;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varError:
        r = FData.I64;
        break;
    case varUInt64:
        r = FData.U64;
        break;
    case varBoolean:
        r = FData.B ? -1 : 0;
        break;
    case varSingle:
        r = RoundToInt(FData.F, FType, target);
        break;
    case varDouble:
    case varDate:
        r = RoundToInt(FData.D, FType, target);
        break;
    case varCurrency:
        r = Currency::FromScaled(FData.I64).Round();
        break;
    case varUString:
    case varOleStr:
    case varString: {
        String buf;
        const String& s = WideText(*this, buf);
        Int64 i;
        Extended e;
        if (TryStrToInt64(s, i))
            r = i;
        else if (TryStrToFloat(s, e))
            r = RoundToInt(e, FType, target);
        else
            CastError(FType, target);
        break;
    }
    default:
        CastError(FType, target);
    }
    if (!InRange(r, target)) OverflowError(FType, target);
    return r;
}

Extended Variant::ToExtended(TVarType target) const {
    switch (FType) {
    case varEmpty:
        return 0;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
        return Extended(FData.I64);
    case varUInt64:
        return Extended(FData.U64);
    case varBoolean:
        return FData.B ? -1 : 0;
    case varSingle:
        return FData.F;
    case varDouble:
    case varDate:
        return FData.D;
    case varCurrency:
        return Currency::FromScaled(FData.I64).ToExtended();
    case varUString:
    case varOleStr:
    case varString: {
        String buf;
        Extended e;
        if (TryStrToFloat(WideText(*this, buf), e)) return e;
        break;
    }
    default:
        break;
    }
    CastError(FType, target);
}

bool Variant::ToBoolean() const {
    switch (FType) {
    case varEmpty:
        return false;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
    case varCurrency:
        return FData.I64 != 0;
    case varBoolean:
        return FData.B;
    case varSingle:
        return FData.F != 0;
    case varDouble:
    case varDate:
        return FData.D != 0;
    case varUString:
    case varOleStr:
    case varString: {
        String buf;
        bool b;
        if (TryStrToBool(WideText(*this, buf), b)) return b;
        break;
    }
    default:
        break;
    }
    CastError(FType, varBoolean);
}

TDateTime Variant::ToDate() const {
    switch (FType) {
    case varEmpty:
        return 0;
    case varUString:
    case varOleStr:
    case varString: {
        String buf;
        const String& s = WideText(*this, buf);
        TDateTime d;
        Extended e;
        if (TryStrToDateTime(s, d)) return d;
        if (TryStrToFloat(s, e)) return double(e);
        CastError(FType, varDate);
    }
    default: {
        Extended e = ToExtended(varDate);
        // The platform's dates run from 0001-01-01 to 9999-12-31.
        if (!(e > -693594.0L && e < 2958466.0L)) OverflowError(FType, varDate);
        return double(e);
    }
    }
}

Single Variant::AsSingle() const {
    if (FType == varSingle) return FData.F;
    Extended e = ToExtended(varSingle);
    if (std::isfinite(e) && std::fabs(e) > FLT_MAX) OverflowError(FType, varSingle);
    return float(e);
}

Currency Variant::AsCurrency() const {
    switch (FType) {
    case varCurrency:
        return Currency::FromScaled(FData.I64);
    case varEmpty:
        return Currency();
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
    case varBoolean: {
        __int128 scaled = ToInt(varUInt64 == FType ? varUInt64 : varInt64) * 10000;
        if (scaled > INT64_MAX || scaled < INT64_MIN) OverflowError(FType, varCurrency);
        return Currency::FromScaled(Int64(scaled));
    }
    case varSingle:
    case varDouble:
    case varDate:
        return CurrencyOf(ToExtended(varCurrency), FType);
    case varUString:
    case varOleStr:
    case varString: {
        String buf;
        const String& s = WideText(*this, buf);
        Currency c;
        Extended e;
        if (TryStrToCurr(s, c)) return c;
        if (TryStrToFloat(s, e)) return CurrencyOf(e, FType);
        break;
    }
    default:
        break;
    }
    CastError(FType, varCurrency);
}

String Variant::AsString() const {
    if (FType == varUString || FType == varOleStr) return VariantAccess::Str(*this);
    return TextOf(*this, varOleStr);
}

AnsiString Variant::AsAnsiString() const {
    if (FType == varString) return VariantAccess::Ansi(*this);
    return ToAnsi(TextOf(*this, varString));
}

TObject* Variant::AsObject() const {
    switch (FType) {
    case varObject:
        return static_cast<TObject*>(FData.P);
    case varEmpty:
    case varNull:
        return nullptr;
    case varInt64:
    case varUInt64:
        return reinterpret_cast<TObject*>(static_cast<uintptr_t>(FData.U64));
    default:
        CastError(FType, varObject);
    }
}

Integer Variant::AsError() const {
    if (FType != varError) CastError(FType, varError);
    return Integer(FData.I64);
}

// ---------------------------------------------------------------------------------------------
// Casts

Variant Variant::CastTo(TVarType t) const {
    if (t == FType || t == varVariant) return *this;
    if (t & varByRef) throw EVariantBadVarTypeError(QStringLiteral("Invalid variant type"));
    if (t & varArray) {
        if (!(FType & varArray)) CastError(FType, t);
        // Same shape, each element converted; byte arrays are read and written as raw bytes.
        std::vector<Integer> bounds;
        for (int d = 1; d <= ArrayDimCount(); ++d) {
            bounds.push_back(ArrayLowBound(d));
            bounds.push_back(ArrayHighBound(d));
        }
        Variant src = *this, dst = ArrayCreate(bounds, t & varTypeMask);
        size_t n = 1;
        for (size_t i = 0; i < bounds.size(); i += 2)
            n *= size_t(Int64(bounds[i + 1]) - bounds[i] + 1);
        void* sp = src.ArrayLock();
        void* dp = dst.ArrayLock();
        try {
            for (size_t i = 0; i < n; ++i) {
                Variant e = (FType & varTypeMask) == varByte ? Variant(static_cast<Byte*>(sp)[i])
                                                             : static_cast<Variant*>(sp)[i];
                if ((t & varTypeMask) == varByte)
                    static_cast<Byte*>(dp)[i] = Byte(e.ToInt(varByte));
                else
                    static_cast<Variant*>(dp)[i] = e.CastTo(t & varTypeMask);
            }
        } catch (...) {
            src.ArrayUnlock();
            dst.ArrayUnlock();
            throw;
        }
        src.ArrayUnlock();
        dst.ArrayUnlock();
        return dst;
    }
    switch (t) {
    case varEmpty:
        return Variant();
    case varNull:
        return Null();
    case varSmallint:
        return Variant(short(ToInt(t)));
    case varInteger:
        return Variant(int(ToInt(t)));
    case varShortInt:
        return Variant(static_cast<signed char>(ToInt(t)));
    case varByte:
        return Variant(static_cast<unsigned char>(ToInt(t)));
    case varWord:
        return Variant(static_cast<unsigned short>(ToInt(t)));
    case varLongWord:
        return Variant(unsigned(ToInt(t)));
    case varInt64:
        return Variant(Int64(ToInt(t)));
    case varUInt64:
        return Variant(UInt64(ToInt(t)));
    case varSingle:
        return Variant(AsSingle());
    case varDouble:
        return Variant(double(ToExtended(t)));
    case varCurrency:
        return Variant(AsCurrency());
    case varDate:
        return FromDate(ToDate());
    case varBoolean:
        return Variant(ToBoolean());
    case varOleStr:
        return FromOleStr(TextOf(*this, t));
    case varUString:
        return Variant(TextOf(*this, t));
    case varString:
        return Variant(ToAnsi(TextOf(*this, t)));
    case varObject:
        return FromObject(AsObject());
    case varError:
        CastError(FType, t);
    case varDispatch:
    case varUnknown:
        if (FType == varEmpty || FType == varDispatch || FType == varUnknown)
            return FromInterface(FData.P, t);
        CastError(FType, t);
    default:
        throw EVariantBadVarTypeError(QStringLiteral("Invalid variant type"));
    }
}

Variant VarAsType(const Variant& v, TVarType t) {
    return v.CastTo(t);
}

String VarToStr(const Variant& v) {
    return v.IsNull() ? String() : v.AsString();
}

String VarToStrDef(const Variant& v, const String& def) {
    return v.IsNull() ? def : v.AsString();
}

std::ostream& operator<<(std::ostream& os, const Variant& v) {
    os << VarTypeAsText(v.VType()).toStdString();
    if (v.IsEmpty() || v.IsNull()) return os;
    if (v.IsArray() && v.ArrayDimCount() == 1) {
        os << ":[";
        for (Integer i = v.ArrayLowBound(1); i <= v.ArrayHighBound(1); ++i) {
            if (i != v.ArrayLowBound(1)) os << ", ";
            Variant e = v[i];
            if (VarTypeIsStr(e.VType()) || VarTypeIsNumeric(e.VType()) || e.VType() == varDate)
                os << VarToStr(e).toStdString();
            else
                os << e;
        }
        return os << "]";
    }
    std::string text;
    try {
        text = v.AsString().toStdString();
    } catch (const Exception&) {
        return os; // objects, errors and the like show their type only
    }
    return os << ":" << text;
}
