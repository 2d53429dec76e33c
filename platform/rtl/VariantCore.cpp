// Variant storage: copying and releasing the managed kinds, variant arrays and byte arrays, and
// the type tests and type names.
#include "platform/rtl/Variant.h"

#include <atomic>

// The elements of a variant array. The first dimension varies fastest, so that changing the
// bound of the last dimension keeps every element at its place. Byte arrays keep plain bytes
// so that locking them yields the raw data.
struct Variant::VarArray {
    std::atomic<int> Refs{1};
    int Locks = 0;
    TVarType ElemType = varVariant;
    std::vector<Integer> Lows;
    std::vector<Integer> Counts;
    std::vector<Variant> Items;
    TBytes Bytes;

    VarArray() = default;
    VarArray(const VarArray& o)
        : ElemType(o.ElemType), Lows(o.Lows), Counts(o.Counts), Items(o.Items), Bytes(o.Bytes) {}
    bool IsBytes() const { return ElemType == varByte; }
    size_t Total() const {
        size_t n = 1;
        for (Integer c : Counts) {
            if (c != 0 && n > SIZE_MAX / size_t(c)) return SIZE_MAX; // saturates: too large anyway
            n *= size_t(c);
        }
        return n;
    }
};

namespace {

bool IsValidArrayElemType(TVarType t) {
    switch (t) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varOleStr:
    case varDispatch:
    case varError:
    case varBoolean:
    case varVariant:
    case varUnknown:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
    case varString:
    case varUString:
    case varObject:
        return true;
    default:
        return false;
    }
}

[[noreturn]] void RaiseBadIndex() {
    throw EVariantBadIndexError(QStringLiteral("Variant or safe array index out of bounds"));
}

[[noreturn]] void RaiseCreateError() {
    throw EVariantArrayCreateError(QStringLiteral("Error creating variant or safe array"));
}

// The value a new element of an array of the given type starts with.
Variant DefaultElement(TVarType t) {
    switch (t) {
    case varVariant:
        return Variant();
    case varOleStr:
        return Variant::FromOleStr(String());
    case varUString:
        return Variant(String());
    case varString:
        return Variant(AnsiString());
    case varDate:
        return Variant::FromDate(0);
    case varError:
        return Variant::FromError(0);
    case varObject:
        return Variant::FromObject(nullptr);
    case varDispatch:
    case varUnknown:
        return Variant::FromInterface(nullptr, t);
    default:
        return VarAsType(Variant(0), t);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Storage

void Variant::CopyFrom(const Variant& o) {
    switch (o.FType) {
    case varUString:
    case varOleStr:
        new (FData.S) String(VariantAccess::Str(o));
        break;
    case varString:
        new (FData.S) AnsiString(VariantAccess::Ansi(o));
        break;
    default:
        if (o.FType & varArray) {
            // A locked array's data may be written through the lock pointer: never share it.
            if (o.FData.A->Locks > 0) {
                FData.A = new VarArray(*o.FData.A);
            } else {
                o.FData.A->Refs.fetch_add(1, std::memory_order_relaxed);
                FData.A = o.FData.A;
            }
        } else {
            FData = o.FData;
        }
    }
    FType = o.FType;
}

void Variant::MoveFrom(Variant& o) noexcept {
    FType = o.FType;
    if (FType == varUString || FType == varOleStr) {
        String& src = *std::launder(reinterpret_cast<String*>(o.FData.S));
        new (FData.S) String(std::move(src));
        src.~String();
    } else if (FType == varString) {
        AnsiString& src = *std::launder(reinterpret_cast<AnsiString*>(o.FData.S));
        new (FData.S) AnsiString(std::move(src));
        src.~AnsiString();
    } else {
        FData = o.FData;
    }
    o.FType = varEmpty;
    o.FData.I64 = 0;
}

void Variant::Release() noexcept {
    if (FType == varUString || FType == varOleStr) {
        std::launder(reinterpret_cast<String*>(FData.S))->~String();
    } else if (FType == varString) {
        std::launder(reinterpret_cast<AnsiString*>(FData.S))->~AnsiString();
    } else if (FType & varArray) {
        if (FData.A->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete FData.A;
    }
    FType = varEmpty;
    FData.I64 = 0;
}

Variant Variant::FromOleStr(const String& s) {
    Variant v(s);
    v.FType = varOleStr;
    return v;
}

Variant Variant::FromError(Integer code) noexcept {
    Variant v;
    v.FType = varError;
    v.FData.I64 = code;
    return v;
}

Variant Variant::FromObject(TObject* obj) noexcept {
    Variant v;
    v.FType = varObject;
    v.FData.P = obj;
    return v;
}

Variant Variant::FromInterface(void* p, TVarType t) noexcept {
    Variant v;
    v.FType = t == varDispatch ? varDispatch : varUnknown;
    v.FData.P = p;
    return v;
}

// ---------------------------------------------------------------------------------------------
// Arrays

Variant::VarArray& Variant::ArrayData() const {
    if (!(FType & varArray)) throw EVariantNotAnArrayError(QStringLiteral("Variant is not an array"));
    return *FData.A;
}

Variant::VarArray& Variant::MutableArrayData() {
    VarArray& a = ArrayData();
    if (a.Refs.load(std::memory_order_acquire) > 1) {
        auto* copy = new VarArray(a);
        if (a.Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete &a;
        FData.A = copy;
        return *copy;
    }
    return a;
}

Variant Variant::ArrayCreate(const std::vector<Integer>& bounds, TVarType elemType) {
    if (bounds.empty() || bounds.size() % 2 != 0) RaiseCreateError();
    if (!IsValidArrayElemType(elemType))
        throw EVariantBadVarTypeError(QStringLiteral("Invalid variant type"));
    auto* a = new VarArray;
    a->ElemType = elemType;
    for (size_t i = 0; i < bounds.size(); i += 2) {
        Int64 count = Int64(bounds[i + 1]) - bounds[i] + 1;
        if (count < 0 || count > INT32_MAX) {
            delete a;
            RaiseCreateError();
        }
        a->Lows.push_back(bounds[i]);
        a->Counts.push_back(Integer(count));
    }
    if (a->Total() > size_t(INT32_MAX)) {
        delete a;
        RaiseCreateError();
    }
    try {
        size_t n = a->Total();
        if (a->IsBytes())
            a->Bytes.assign(n, 0);
        else
            a->Items.assign(n, DefaultElement(elemType));
    } catch (...) {
        delete a;
        throw;
    }
    Variant v;
    v.FType = varArray | elemType;
    v.FData.A = a;
    return v;
}

int Variant::ArrayDimCount() const {
    return (FType & varArray) ? int(FData.A->Counts.size()) : 0;
}

Integer Variant::ArrayLowBound(int dim) const {
    const VarArray& a = ArrayData();
    if (dim < 1 || dim > int(a.Lows.size())) RaiseBadIndex();
    return a.Lows[dim - 1];
}

Integer Variant::ArrayHighBound(int dim) const {
    const VarArray& a = ArrayData();
    if (dim < 1 || dim > int(a.Lows.size())) RaiseBadIndex();
    return Integer(Int64(a.Lows[dim - 1]) + a.Counts[dim - 1] - 1);
}

void Variant::ArrayRedim(Integer highBound) {
    if (ArrayData().Locks > 0)
        throw EVariantArrayLockedError(QStringLiteral("Variant or safe array is locked"));
    VarArray& a = MutableArrayData();
    Int64 count = Int64(highBound) - a.Lows.back() + 1;
    if (count < 0 || count > INT32_MAX) throw EVariantInvalidArgError(QStringLiteral("Invalid argument"));
    Integer oldCount = a.Counts.back();
    a.Counts.back() = Integer(count);
    size_t n = a.Total();
    if (n > size_t(INT32_MAX)) {
        a.Counts.back() = oldCount;
        throw EVariantInvalidArgError(QStringLiteral("Invalid argument"));
    }
    if (a.IsBytes())
        a.Bytes.resize(n, 0);
    else
        a.Items.resize(n, DefaultElement(a.ElemType));
}

namespace {
template <class A> size_t ElementOffset(const A& a, const std::vector<Integer>& indices) {
    if (indices.size() != a.Lows.size()) RaiseBadIndex();
    size_t offset = 0, stride = 1;
    for (size_t d = 0; d < indices.size(); ++d) {
        Int64 i = Int64(indices[d]) - a.Lows[d];
        if (i < 0 || i >= a.Counts[d]) RaiseBadIndex();
        offset += size_t(i) * stride;
        stride *= size_t(a.Counts[d]);
    }
    return offset;
}
} // namespace

Variant Variant::ArrayGet(const std::vector<Integer>& indices) const {
    const VarArray& a = ArrayData();
    size_t i = ElementOffset(a, indices);
    if (a.IsBytes()) return Variant(static_cast<unsigned char>(a.Bytes[i]));
    return a.Items[i];
}

void Variant::ArrayPut(const std::vector<Integer>& indices, const Variant& value) {
    ElementOffset(ArrayData(), indices); // check before copying a shared array
    TVarType elemType = ArrayData().ElemType;
    // Convert first: a failing conversion leaves the array as it was.
    Variant converted = elemType == varVariant ? value : VarAsType(value, elemType);
    VarArray& a = MutableArrayData();
    size_t i = ElementOffset(a, indices);
    if (a.IsBytes())
        a.Bytes[i] = Byte(VariantAccess::Int(converted));
    else
        a.Items[i] = std::move(converted);
}

void* Variant::ArrayLock() {
    VarArray& a = MutableArrayData();
    ++a.Locks;
    return a.IsBytes() ? static_cast<void*>(a.Bytes.data()) : static_cast<void*>(a.Items.data());
}

void Variant::ArrayUnlock() {
    VarArray& a = ArrayData();
    if (a.Locks == 0) throw EVariantUnexpectedError(QStringLiteral("Unexpected variant error"));
    --a.Locks;
}

Variant VarArrayCreate(std::initializer_list<Integer> bounds, TVarType elemType) {
    return Variant::ArrayCreate(std::vector<Integer>(bounds), elemType);
}

Variant VarArrayCreate(const std::vector<Integer>& bounds, TVarType elemType) {
    return Variant::ArrayCreate(bounds, elemType);
}

Variant VarArrayOf(const std::vector<Variant>& values) {
    Variant a = Variant::ArrayCreate({0, Integer(values.size()) - 1}, varVariant);
    auto* items = static_cast<Variant*>(a.ArrayLock());
    for (size_t i = 0; i < values.size(); ++i)
        items[i] = values[i];
    a.ArrayUnlock();
    return a;
}

Variant VarArrayOf(std::initializer_list<Variant> values) {
    return VarArrayOf(std::vector<Variant>(values));
}

// ---------------------------------------------------------------------------------------------
// Byte arrays

Variant::Variant(const TBytes& bytes) {
    Variant a = ArrayCreate({0, Integer(bytes.size()) - 1}, varByte);
    a.FData.A->Bytes = bytes;
    MoveFrom(a);
}

Variant VarFromBytes(const QByteArray& bytes) {
    return Variant(TBytes(reinterpret_cast<const uint8_t*>(bytes.constData()),
                          reinterpret_cast<const uint8_t*>(bytes.constData()) + bytes.size()));
}

TBytes VarToBytes(const Variant& v) {
    switch (v.VType()) {
    case varEmpty:
    case varNull:
        return {};
    case varString: {
        const AnsiString& s = VariantAccess::Ansi(v);
        return TBytes(s.constData(), s.constData() + s.size());
    }
    case varArray | varByte: {
        if (v.ArrayDimCount() != 1) break;
        Variant copy = v;
        auto* p = static_cast<const uint8_t*>(copy.ArrayLock());
        TBytes out(p, p + (Int64(v.ArrayHighBound(1)) - v.ArrayLowBound(1) + 1));
        copy.ArrayUnlock();
        return out;
    }
    default:
        break;
    }
    throw EVariantTypeCastError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                                    .arg(VarTypeAsText(v.VType()), VarTypeAsText(varArray | varByte)));
}

QByteArray VarToByteArray(const Variant& v) {
    TBytes b = VarToBytes(v);
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

// ---------------------------------------------------------------------------------------------
// Type tests and names

bool VarTypeIsOrdinal(TVarType t) {
    switch (t) {
    case varSmallint:
    case varInteger:
    case varBoolean:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
        return true;
    default:
        return false;
    }
}

bool VarTypeIsFloat(TVarType t) {
    return t == varSingle || t == varDouble || t == varCurrency;
}

bool VarTypeIsNumeric(TVarType t) {
    return VarTypeIsOrdinal(t) || VarTypeIsFloat(t);
}

bool VarTypeIsStr(TVarType t) {
    return t == varOleStr || t == varString || t == varUString;
}

bool VarIsClear(const Variant& v) {
    switch (v.VType()) {
    case varEmpty:
        return true;
    case varObject:
    case varDispatch:
    case varUnknown:
        return VariantAccess::Ptr(v) == nullptr;
    default:
        return false;
    }
}

bool VarIsEmptyParam(const Variant& v) {
    return v.VType() == varError && Integer(VariantAccess::Int(v)) == VAR_PARAMNOTFOUND;
}

bool VarIsType(const Variant& v, std::initializer_list<TVarType> types) {
    for (TVarType t : types)
        if (v.VType() == t) return true;
    return false;
}

String VarTypeAsText(TVarType t) {
    static const char* const names[] = {"Empty",    "Null",     "Smallint", "Integer",  "Single",   "Double",
                                        "Currency", "Date",     "OleStr",   "Dispatch", "Error",    "Boolean",
                                        "Variant",  "Unknown",  "Decimal",  "$000F",    "ShortInt", "Byte",
                                        "Word",     "LongWord", "Int64",    "UInt64"};
    String prefix;
    if (t & varByRef) prefix += QStringLiteral("ByRef ");
    if (t & varArray) prefix += QStringLiteral("Array ");
    TVarType base = t & varTypeMask;
    if (base < std::size(names)) return prefix + QString::fromLatin1(names[base]);
    switch (base) {
    case varString:
        return prefix + QStringLiteral("String");
    case 0x0101:
        return prefix + QStringLiteral("Any");
    case varUString:
        return prefix + QStringLiteral("UnicodeString");
    case varObject:
        return prefix + QStringLiteral("Object");
    default:
        return prefix + QStringLiteral("$%1").arg(base, 4, 16, QChar('0')).toUpper();
    }
}
