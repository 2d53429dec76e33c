#include "platform/classes/ComponentStreams.h"

#include "platform/classes/ComponentStreamsValues.h"
#include "platform/rtl/Variant.h"

#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <map>
#include <memory>

namespace {

constexpr int MaxNesting = 256; // lists, collections and components inside each other

struct IntConsts {
    TIdentToInt IdentToInt;
    TIntToIdent IntToIdent;
};
std::map<PTypeInfo, IntConsts>& IntConstMap() {
    static std::map<PTypeInfo, IntConsts> m;
    return m;
}

bool Same(const String& a, const String& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct DepthGuard {
    int& D;
    explicit DepthGuard(int& d, TReader* r) : D(d) {
        if (++D > MaxNesting) {
            --D;
            (void)r;
            throw EReadError(QStringLiteral("Invalid stream format"));
        }
    }
    ~DepthGuard() { --D; }
};

void ReadDataProc(TReader* Reader, TComponent* Instance) {
    Reader->ReadData(Instance);
}
void WriteDataProc(TWriter* Writer, TComponent* Instance) {
    Writer->WriteData(Instance);
}

} // namespace

void RegisterIntegerConsts(PTypeInfo IntegerType, TIdentToInt IdentToInt, TIntToIdent IntToIdent) {
    IntConstMap()[IntegerType] = IntConsts{IdentToInt, IntToIdent};
}

// ---------------------------------------------------------------------------------------------
// Fixed-size values in the stream's byte order, and the 80-bit extended format.
void kvt_streams::EncodeExtended(long double v, uint8_t* out) {
    uint16_t se = 0;
    uint64_t mant = 0;
    if (std::isnan(v)) {
        se = 0x7FFF;
        mant = 0xC000000000000000ull;
    } else if (std::isinf(v)) {
        se = 0x7FFF;
        mant = 0x8000000000000000ull;
    } else if (v != 0) {
        int e = 0;
        long double m = std::frexp(std::fabs(v), &e); // [0.5, 1)
        int biased = e - 1 + 16383;
        if (biased >= 0x7FFF) {
            se = 0x7FFF;
            mant = 0x8000000000000000ull;
        } else if (biased <= 0) {
            mant = uint64_t(std::ldexp(m, e + 16445)); // denormal
        } else {
            se = uint16_t(biased);
            mant = uint64_t(std::ldexp(m, 64));
        }
    }
    if (std::signbit(v)) se |= 0x8000;
    qToLittleEndian<quint64>(mant, out);
    qToLittleEndian<quint16>(se, out + 8);
}

long double kvt_streams::DecodeExtended(const uint8_t* in) {
    uint64_t mant = qFromLittleEndian<quint64>(in);
    uint16_t se = qFromLittleEndian<quint16>(in + 8);
    int exp = se & 0x7FFF;
    long double v;
    if (exp == 0x7FFF)
        v = (mant << 1) == 0 ? HUGE_VALL : std::numeric_limits<long double>::quiet_NaN();
    else if (exp == 0)
        v = std::ldexp((long double)mant, 1 - 16383 - 63);
    else
        v = std::ldexp((long double)mant, exp - 16383 - 63);
    return (se & 0x8000) ? -v : v;
}

// ---------------------------------------------------------------------------------------------
TFiler::TFiler(TStream* Stream, Integer BufSize) : FStream(Stream), FBuffer(size_t(std::max(BufSize, 16))) {}
TFiler::~TFiler() = default;

// ---------------------------------------------------------------------------------------------
// TReader
TReader::TReader(TStream* Stream, Integer BufSize) : TFiler(Stream, BufSize) {
    ReadComponentDataProc = &ReadDataProc;
}

TReader::~TReader() {
    try {
        FlushBuffer();
    } catch (...) {
    }
}

void TReader::FlushBuffer() {
    if (FBufEnd > FBufPos) FStream->Seek(-Int64(FBufEnd - FBufPos), soCurrent);
    FBufPos = FBufEnd = 0;
}

void TReader::ReadBuffer() {
    FBufEnd = FStream->Read(FBuffer.data(), Integer(FBuffer.size()));
    FBufPos = 0;
    if (FBufEnd <= 0) {
        FBufEnd = 0;
        ReadError(QStringLiteral("Stream read error"));
    }
}

void TReader::Read(void* Buf, Integer Count) {
    auto* p = static_cast<uint8_t*>(Buf);
    while (Count > 0) {
        if (FBufPos == FBufEnd) ReadBuffer();
        Integer n = std::min(Count, FBufEnd - FBufPos);
        std::memcpy(p, FBuffer.data() + FBufPos, size_t(n));
        FBufPos += n;
        p += n;
        Count -= n;
    }
}

uint8_t TReader::ReadByte() {
    if (FBufPos == FBufEnd) ReadBuffer();
    return FBuffer[size_t(FBufPos++)];
}

uint8_t TReader::PeekByte() {
    if (FBufPos == FBufEnd) ReadBuffer();
    return FBuffer[size_t(FBufPos)];
}

Int64 TReader::Position() const {
    return FStream->Position() - (FBufEnd - FBufPos);
}

void TReader::SetPosition(Int64 Value) {
    FStream->SetPosition(Value);
    FBufPos = FBufEnd = 0;
}

Int64 TReader::Remaining() {
    return FStream->Size() - Position();
}

void TReader::Skip(Int64 Count) {
    if (Count < 0 || Count > Remaining()) ReadError(QStringLiteral("Stream read error"));
    if (Count <= FBufEnd - FBufPos)
        FBufPos += Integer(Count);
    else
        SetPosition(Position() + Count);
}

Integer TReader::ReadLength() {
    uint8_t b[4];
    Read(b, 4);
    Integer n = qFromLittleEndian<qint32>(b);
    if (n < 0) PropValueError();
    if (n > Remaining()) ReadError(QStringLiteral("Stream read error"));
    return n;
}

void TReader::ReadError(const String& Message) {
    throw EReadError(Message);
}
void TReader::PropValueError() {
    ReadError(QStringLiteral("Invalid property value"));
}

bool TReader::Error(const String& Message) {
    bool handled = false;
    if (OnError) OnError(this, Message, handled);
    return handled;
}

TValueType TReader::NextValue() {
    uint8_t b = PeekByte();
    if (b > vaDouble) PropValueError();
    return TValueType(b);
}

TValueType TReader::ReadValue() {
    TValueType v = NextValue();
    ++FBufPos;
    return v;
}

void TReader::CheckValue(TValueType Value) {
    if (ReadValue() != Value) {
        --FBufPos;
        SkipValue();
        PropValueError();
    }
}

// A raw look: a component header's prefix byte (0xF0 | flags) is not a value type.
bool TReader::EndOfList() {
    return PeekByte() == vaNull;
}
void TReader::ReadListBegin() {
    CheckValue(vaList);
}
void TReader::ReadListEnd() {
    CheckValue(vaNull);
}

Int64 TReader::ReadInt64() {
    uint8_t b[8];
    switch (ReadValue()) {
    case vaInt8:
        Read(b, 1);
        return int8_t(b[0]);
    case vaInt16:
        Read(b, 2);
        return qFromLittleEndian<qint16>(b);
    case vaInt32:
        Read(b, 4);
        return qFromLittleEndian<qint32>(b);
    case vaInt64:
        Read(b, 8);
        return qFromLittleEndian<qint64>(b);
    default:
        --FBufPos;
        PropValueError();
    }
}

Integer TReader::ReadInteger() {
    TValueType t = NextValue();
    if (t != vaInt8 && t != vaInt16 && t != vaInt32) PropValueError();
    return Integer(ReadInt64());
}

bool TReader::ReadBoolean() {
    switch (ReadValue()) {
    case vaTrue:
        return true;
    case vaFalse:
        return false;
    default:
        --FBufPos;
        PropValueError();
    }
}

QChar TReader::ReadChar() {
    String s = ReadString();
    if (s.size() != 1) PropValueError();
    return s[0];
}

Extended TReader::ReadFloat() {
    uint8_t b[10];
    switch (NextValue()) {
    case vaExtended:
        ReadValue();
        Read(b, 10);
        return kvt_streams::DecodeExtended(b);
    case vaDouble:
    case vaDate:
        ReadValue();
        Read(b, 8);
        return qFromLittleEndian<double>(b);
    case vaSingle:
        ReadValue();
        Read(b, 4);
        return qFromLittleEndian<float>(b);
    case vaCurrency:
        ReadValue();
        Read(b, 8);
        return (long double)qFromLittleEndian<qint64>(b) / 10000.0L;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
        return Extended(ReadInt64());
    default:
        PropValueError();
    }
}

Single TReader::ReadSingle() {
    if (NextValue() == vaSingle) {
        uint8_t b[4];
        ReadValue();
        Read(b, 4);
        return qFromLittleEndian<float>(b);
    }
    return Single(ReadFloat());
}

Currency TReader::ReadCurrency() {
    if (NextValue() == vaCurrency) {
        uint8_t b[8];
        ReadValue();
        Read(b, 8);
        return Currency::FromScaled(qFromLittleEndian<qint64>(b));
    }
    return Currency(ReadFloat());
}

TDateTime TReader::ReadDate() {
    if (NextValue() == vaDate) {
        uint8_t b[8];
        ReadValue();
        Read(b, 8);
        return qFromLittleEndian<double>(b);
    }
    return TDateTime(ReadFloat());
}

String TReader::ReadStr() {
    uint8_t n = ReadByte();
    QByteArray a(n, Qt::Uninitialized);
    Read(a.data(), n);
    return QString::fromUtf8(a);
}

String TReader::ReadIdent() {
    switch (ReadValue()) {
    case vaIdent:
        return ReadStr();
    case vaFalse:
        return QStringLiteral("False");
    case vaTrue:
        return QStringLiteral("True");
    case vaNil:
        return QStringLiteral("nil");
    case vaNull:
        return QStringLiteral("Null");
    default:
        --FBufPos;
        PropValueError();
    }
}

String TReader::ReadString() {
    switch (ReadValue()) {
    case vaString: {
        uint8_t n = ReadByte();
        QByteArray a(n, Qt::Uninitialized);
        Read(a.data(), n);
        return kvt_typinfo::AnsiToString(a);
    }
    case vaLString: {
        Integer n = ReadLength();
        QByteArray a(n, Qt::Uninitialized);
        Read(a.data(), n);
        return kvt_typinfo::AnsiToString(a);
    }
    case vaUTF8String: {
        Integer n = ReadLength();
        QByteArray a(n, Qt::Uninitialized);
        Read(a.data(), n);
        return QString::fromUtf8(a);
    }
    case vaWString: {
        uint8_t b[4];
        Read(b, 4);
        Integer n = qFromLittleEndian<qint32>(b);
        if (n < 0) PropValueError();
        if (Int64(n) * 2 > Remaining()) ReadError(QStringLiteral("Stream read error"));
        QByteArray a(n * 2, Qt::Uninitialized);
        Read(a.data(), n * 2);
        String s(n, Qt::Uninitialized);
        for (Integer i = 0; i < n; ++i)
            s[i] = QChar(qFromLittleEndian<quint16>(a.constData() + 2 * i));
        return s;
    }
    default:
        --FBufPos;
        PropValueError();
    }
}

Variant TReader::ReadVariant() {
    uint8_t b[8];
    switch (NextValue()) {
    case vaNil:
        ReadValue();
        return Variant();
    case vaNull:
        ReadValue();
        return Null();
    case vaInt8:
        return Variant((signed char)ReadInt64());
    case vaInt16:
        return Variant(short(ReadInt64()));
    case vaInt32:
        return Variant(int(ReadInt64()));
    case vaInt64:
        return Variant((long long)ReadInt64());
    case vaExtended:
    case vaDouble:
        return Variant(double(ReadFloat()));
    case vaSingle:
        return Variant(ReadSingle());
    case vaCurrency:
        return Variant(ReadCurrency());
    case vaDate:
        return Variant::FromDate(ReadDate());
    case vaFalse:
    case vaTrue:
        return Variant(ReadBoolean());
    case vaWString:
        return Variant::FromOleStr(ReadString());
    case vaString:
    case vaLString:
    case vaUTF8String:
        return Variant(ReadString());
    case vaList: {
        DepthGuard g(FDepth, this);
        ReadValue();
        std::vector<Variant> items;
        while (!EndOfList())
            items.push_back(ReadVariant());
        ReadListEnd();
        Variant a = Variant::ArrayCreate({0, Integer(items.size()) - 1}, varVariant);
        for (size_t i = 0; i < items.size(); ++i)
            a.ArrayPut({Integer(i)}, items[i]);
        return a;
    }
    default:
        (void)b;
        PropValueError();
    }
}

void TReader::ReadSet(PTypeInfo SetType, uint32_t& Bits) {
    PTypeInfo comp = SetType->Kind == tkSet ? SetType->CompType : SetType;
    if (ReadValue() != vaSet) {
        --FBufPos;
        SkipValue();
        PropValueError();
    }
    Bits = 0;
    for (;;) {
        String n = ReadStr();
        if (n.isEmpty()) break;
        Integer v = GetEnumValue(comp, n);
        if (v < 0 || v > 31) {
            SkipSetBody();
            PropValueError();
        }
        Bits |= uint32_t(1) << v;
    }
}

void TReader::SkipSetBody() {
    while (!ReadStr().isEmpty()) {
    }
}

void TReader::SkipList() {
    DepthGuard g(FDepth, this);
    while (!EndOfList())
        SkipValue();
    ReadListEnd();
}

void TReader::SkipValue() {
    switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
        break;
    case vaList:
        SkipList();
        break;
    case vaInt8:
        Skip(1);
        break;
    case vaInt16:
        Skip(2);
        break;
    case vaInt32:
    case vaSingle:
        Skip(4);
        break;
    case vaExtended:
        Skip(10);
        break;
    case vaString:
    case vaIdent:
        Skip(ReadByte());
        break;
    case vaBinary:
    case vaLString:
    case vaUTF8String:
        Skip(ReadLength());
        break;
    case vaWString: {
        uint8_t b[4];
        Read(b, 4);
        Integer n = qFromLittleEndian<qint32>(b);
        if (n < 0) PropValueError();
        Skip(Int64(n) * 2);
        break;
    }
    case vaSet:
        SkipSetBody();
        break;
    case vaCollection: {
        DepthGuard g(FDepth, this);
        while (!EndOfList()) {
            TValueType t = NextValue();
            if (t == vaInt8 || t == vaInt16 || t == vaInt32) SkipValue();
            CheckValue(vaList);
            while (!EndOfList())
                SkipProperty();
            ReadListEnd();
        }
        ReadListEnd();
        break;
    }
    case vaCurrency:
    case vaDate:
    case vaInt64:
    case vaDouble:
        Skip(8);
        break;
    }
}

void TReader::SkipProperty() {
    ReadStr();
    SkipValue();
}

void TReader::SkipComponent(bool SkipHeader) {
    DepthGuard g(FDepth, this);
    if (SkipHeader) {
        TFilerFlags f;
        Integer pos;
        ReadPrefix(f, pos);
        ReadStr();
        ReadStr();
    }
    while (!EndOfList())
        SkipProperty();
    ReadListEnd();
    while (!EndOfList())
        SkipComponent(true);
    ReadListEnd();
}

void TReader::ReadSignature() {
    char sig[4];
    Read(sig, 4);
    if (std::memcmp(sig, "TPF0", 4) != 0) ReadError(QStringLiteral("Invalid stream format"));
}

void TReader::ReadPrefix(TFilerFlags& Flags, Integer& AChildPos) {
    Flags = TFilerFlags();
    AChildPos = 0;
    uint8_t b = PeekByte();
    if ((b & 0xF0) == 0xF0) {
        ++FBufPos;
        if (b & 1) Flags.Include(ffInherited);
        if (b & 2) Flags.Include(ffChildPos);
        if (b & 4) Flags.Include(ffInline);
        if (Flags.Contains(ffChildPos)) AChildPos = ReadInteger();
    }
}

// ---------------------------------------------------------------------------------------------
void TReader::DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc, bool) {
    if (ReadData && !FPropName.isEmpty() && Same(Name, FPropName)) {
        ReadData(this);
        FPropName.clear();
    }
}

void TReader::DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc, bool) {
    if (!ReadData || FPropName.isEmpty() || !Same(Name, FPropName)) return;
    if (NextValue() != vaBinary) {
        SkipValue();
        FCanHandleExcepts = true;
        PropValueError();
    }
    ReadValue();
    Integer n = ReadLength();
    TMemoryStream ms;
    ms.SetSize(n);
    Read(ms.Memory(), n);
    ms.SetPosition(0);
    FCanHandleExcepts = true;
    ReadData(&ms);
    FPropName.clear();
}

void TReader::ReadCollection(TCollection* Collection) {
    DepthGuard g(FDepth, this);
    Collection->BeginUpdate();
    try {
        if (!EndOfList()) Collection->Clear();
        while (!EndOfList()) {
            TValueType t = NextValue();
            if (t == vaInt8 || t == vaInt16 || t == vaInt32) ReadInteger(); // order value, unused
            TCollectionItem* item = Collection->Add();
            ReadListBegin();
            while (!EndOfList())
                ReadProperty(item);
            ReadListEnd();
        }
        ReadListEnd();
    } catch (...) {
        Collection->EndUpdate();
        throw;
    }
    Collection->EndUpdate();
}

void TReader::ReadProperties(TPersistent* Instance) {
    while (!EndOfList())
        ReadProperty(Instance);
    ReadListEnd();
}

void TReader::ReadProperty(TPersistent* AInstance) {
    const String path = ReadStr();
    const Int64 valueStart = Position();
    try {
        FCanHandleExcepts = true;
        TPersistent* instance = AInstance;
        const QStringList parts = path.split(QLatin1Char('.'));
        for (int i = 0; i + 1 < parts.size(); ++i) {
            PPropInfo p = GetPropInfo(instance, parts[i]);
            TPersistent* next = nullptr;
            if (p && p->PropType->Kind == tkClass)
                next = dynamic_cast<TPersistent*>(GetObjectProp(instance, p));
            if (!next) {
                SkipValue();
                ReadError(QStringLiteral("Invalid property path"));
            }
            instance = next;
        }
        FPropName = parts.last();
        PPropInfo prop = GetPropInfo(instance, FPropName);
        if (prop) {
            ReadPropValue(instance, prop);
        } else {
            // Defined properties cannot be skipped reliably once they started reading.
            FCanHandleExcepts = false;
            instance->DefineProperties(this);
            FCanHandleExcepts = true;
            if (!FPropName.isEmpty()) {
                SkipValue();
                ReadError(QStringLiteral("Property %1 does not exist").arg(FPropName));
            }
        }
        FPropName.clear();
    } catch (const Exception& e) {
        FPropName.clear();
        if (!FCanHandleExcepts || !Error(e.Message())) throw;
        SetPosition(valueStart);
        SkipValue();
    }
}

void TReader::ReadPropValue(TPersistent* Instance, PPropInfo Prop) {
    const TTypeKind kind = Prop->PropType->Kind;
    if (!Prop->CanWrite() && kind != tkClass) {
        SkipValue();
        ReadError(QStringLiteral("Property is read-only"));
    }
    switch (kind) {
    case tkInteger:
        if (NextValue() == vaIdent) {
            String ident = ReadIdent();
            auto it = IntConstMap().find(Prop->PropType);
            Integer v = 0;
            if (it == IntConstMap().end() || !it->second.IdentToInt(ident, v)) PropValueError();
            SetOrdProp(Instance, Prop, v);
        } else {
            SetOrdProp(Instance, Prop, ReadInt64());
        }
        break;
    case tkChar:
    case tkWChar:
        SetOrdProp(Instance, Prop, ReadChar().unicode());
        break;
    case tkEnumeration: {
        Integer v = GetEnumValue(Prop->PropType, ReadIdent());
        if (v < 0) PropValueError();
        SetOrdProp(Instance, Prop, v);
        break;
    }
    case tkSet: {
        uint32_t bits = 0;
        ReadSet(Prop->PropType, bits);
        SetOrdProp(Instance, Prop, bits);
        break;
    }
    case tkFloat:
        SetFloatProp(Instance, Prop, ReadFloat());
        break;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
        SetStrProp(Instance, Prop, ReadString());
        break;
    case tkInt64:
        SetInt64Prop(Instance, Prop, ReadInt64());
        break;
    case tkVariant:
        SetVariantProp(Instance, Prop, ReadVariant());
        break;
    case tkClass:
        switch (NextValue()) {
        case vaNil:
            ReadValue();
            SetObjectProp(Instance, Prop, nullptr);
            break;
        case vaCollection: {
            ReadValue();
            auto* coll = dynamic_cast<TCollection*>(GetObjectProp(Instance, Prop));
            if (!coll) {
                --FBufPos;
                SkipValue();
                PropValueError();
            }
            ReadCollection(coll);
            break;
        }
        default: {
            String name = ReadIdent();
            if (!Prop->CanWrite()) ReadError(QStringLiteral("Property is read-only"));
            FFixups.push_back(Fixup{Instance, Prop, name, FReading});
            break;
        }
        }
        break;
    case tkMethod: {
        // Handlers are named after published methods of the root being read.
        TComponent* root = FRoot ? FRoot : FOwner;
        String name;
        if (NextValue() == vaNil)
            ReadValue();
        else
            name = ReadIdent();
        try {
            SetMethodPropName(Instance, Prop, root, name);
        } catch (const EPropertyError& e) {
            ReadError(e.Message());
        }
        break;
    }
    default:
        SkipValue();
        PropValueError();
    }
}

// ---------------------------------------------------------------------------------------------
TClass TReader::FindComponentClass(const String& ClassName) {
    TClass c = nullptr;
    if (OnFindComponentClass) OnFindComponentClass(this, ClassName, c);
    if (!c) c = FindClass(ClassName); // EClassNotFound "Class %s not found"
    if (!c->InheritsFrom(&TComponent::StaticClassInfo()))
        throw EClassNotFound(QStringLiteral("Class %1 not found").arg(ClassName));
    return c;
}

TComponent* TReader::FindAncestorComponent(const String& Name, TClass ComponentClass) {
    // Children are owned by the component reading them (GetChildOwner) or by the root.
    TComponent* c = FOwner ? FOwner->FindComponent(Name) : nullptr;
    if (!c && FLookupRoot)
        c = Same(FLookupRoot->Name(), Name) ? FLookupRoot : FLookupRoot->FindComponent(Name);
    if (!c && OnAncestorNotFound) OnAncestorNotFound(this, Name, ComponentClass, c);
    return c;
}

TComponent* TReader::CreateComponent(TClass ComponentClass) {
    TComponent* c = nullptr;
    if (OnCreateComponent) OnCreateComponent(this, ComponentClass, c);
    if (c) return c;
    if (!ComponentClass->Factory)
        ReadError(QStringLiteral("Cannot create an instance of %1").arg(ComponentClass->ClassName()));
    TObject* o = ComponentClass->Factory(FOwner);
    c = dynamic_cast<TComponent*>(o);
    if (!c) {
        if (o) o->Free();
        ReadError(QStringLiteral("Invalid class type %1").arg(ComponentClass->ClassName()));
    }
    FCreated.push_back(c);
    return c;
}

TComponent* TReader::ReadComponent(TComponent* Component) {
    DepthGuard g(FDepth, this);
    const bool outermost = FComponentDepth == 0 && !FRoot;
    TFilerFlags flags;
    Integer childPos = 0;
    ReadPrefix(flags, childPos);
    const String className = ReadStr();
    const String compName = ReadStr();
    const size_t fixupMark = FFixups.size(), loadedMark = FLoaded.size(), createdMark = FCreated.size();
    TComponent* result = Component;
    ++FComponentDepth;
    try {
        if (!result) {
            TClass cls = FindComponentClass(className);
            if (flags.Contains(ffInherited)) {
                result = FindAncestorComponent(compName, cls);
                if (!result) ReadError(QStringLiteral("Ancestor for '%1' not found").arg(compName));
            } else {
                result = CreateComponent(cls);
            }
        }
        result->FComponentState.Include(csLoading);
        if (!flags.Contains(ffInherited)) {
            result->FComponentState.Include(csReading);
            String name = compName;
            if (OnSetName) OnSetName(this, result, name);
            result->SetName(name);
        }
        if (flags.Contains(ffInline)) result->FComponentState.Include(csInline);
        if (std::find(FLoaded.begin(), FLoaded.end(), result) == FLoaded.end()) FLoaded.push_back(result);
        result->ReadState(this);
        result->FComponentState.Exclude(csReading);
        if (flags.Contains(ffChildPos) && FParent) FParent->SetChildOrder(result, childPos);
    } catch (...) {
        --FComponentDepth;
        FFixups.resize(fixupMark);
        FLoaded.resize(std::min(FLoaded.size(), loadedMark));
        bool ownResult = false;
        while (FCreated.size() > createdMark) {
            TComponent* c = FCreated.back();
            FCreated.pop_back();
            ownResult |= c == result;
            c->Free();
        }
        if (result && !ownResult) {
            result->FComponentState.Exclude(csReading);
            result->FComponentState.Exclude(csLoading);
        }
        if (outermost) Finish(false);
        throw;
    }
    --FComponentDepth;
    if (outermost) Finish(true);
    return result;
}

void TReader::ReadData(TComponent* Instance) {
    {
        TComponent* outer = FReading;
        FReading = Instance;
        try {
            while (!EndOfList())
                ReadProperty(Instance);
        } catch (...) {
            FReading = outer;
            throw;
        }
        FReading = outer;
    }
    ReadListEnd();
    TComponent* oldParent = FParent;
    TComponent* oldOwner = FOwner;
    FParent = Instance->GetChildParent();
    FOwner = Instance->GetChildOwner();
    if (!FOwner) FOwner = FRoot;
    try {
        while (!EndOfList())
            ReadComponent(nullptr);
        ReadListEnd();
    } catch (...) {
        FParent = oldParent;
        FOwner = oldOwner;
        throw;
    }
    FParent = oldParent;
    FOwner = oldOwner;
}

void TReader::ReadComponents(TComponent* AOwner, TComponent* AParent, TReadComponentsProc Proc) {
    TComponent* oldOwner = FOwner;
    TComponent* oldParent = FParent;
    FOwner = AOwner;
    FParent = AParent;
    ++FComponentDepth;
    try {
        while (!EndOfList()) {
            ReadSignature();
            TComponent* c = ReadComponent(nullptr);
            if (Proc) Proc(c);
        }
        ReadListEnd();
    } catch (...) {
        --FComponentDepth;
        FOwner = oldOwner;
        FParent = oldParent;
        Finish(false);
        throw;
    }
    --FComponentDepth;
    FOwner = oldOwner;
    FParent = oldParent;
    Finish(true);
}

namespace {

TComponent* FindPath(TComponent* c, const QStringList& parts, int from) {
    for (int i = from; c && i < parts.size(); ++i)
        c = c->FindComponent(parts[i]);
    return c;
}

struct GlobalFixup {
    TComponent* Root;
    TComponent* Component;
    TPersistent* Instance;
    PPropInfo Prop;
    String Name;
};

std::vector<GlobalFixup>& PendingFixups() {
    static std::vector<GlobalFixup> v;
    return v;
}

std::vector<TFindGlobalComponent>& FindGlobalProcs() {
    static std::vector<TFindGlobalComponent> v;
    return v;
}

} // namespace

void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
    auto& v = FindGlobalProcs();
    if (Proc && std::find(v.begin(), v.end(), Proc) == v.end()) v.push_back(Proc);
}

void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
    auto& v = FindGlobalProcs();
    v.erase(std::remove(v.begin(), v.end(), Proc), v.end());
}

TComponent* FindGlobalComponent(const String& Name) {
    if (Name.isEmpty()) return nullptr;
    const auto& procs = FindGlobalProcs();
    for (auto it = procs.rbegin(); it != procs.rend(); ++it)
        if (TComponent* c = (*it)(Name)) return c;
    return FindDataModule(Name);
}

void GlobalFixupReferences() {
    auto& pending = PendingFixups();
    // Setting a property may run code that reads or frees components: work on a copy and
    // check each entry is still pending before using it.
    std::vector<GlobalFixup> todo = pending;
    for (const GlobalFixup& f : todo) {
        auto it = std::find_if(pending.begin(), pending.end(), [&](const GlobalFixup& g) {
            return g.Instance == f.Instance && g.Prop == f.Prop && g.Name == f.Name;
        });
        if (it == pending.end()) continue;
        const QStringList parts = f.Name.split(QLatin1Char('.'));
        TComponent* target = FindPath(FindGlobalComponent(parts[0]), parts, 1);
        if (!target) continue;
        pending.erase(it);
        SetObjectProp(f.Instance, f.Prop, target);
    }
}

void RemoveFixupReferences(TPersistent* Object) {
    auto& pending = PendingFixups();
    if (pending.empty() || !Object) return;
    pending.erase(std::remove_if(pending.begin(), pending.end(),
                                 [Object](const GlobalFixup& f) {
                                     return f.Instance == Object || f.Root == Object ||
                                            f.Component == Object;
                                 }),
                  pending.end());
}

TComponent* TReader::FindFixupTarget(const String& Name) {
    const QStringList parts = Name.split(QLatin1Char('.'));
    if (!FLookupRoot) return nullptr;
    if (Same(parts[0], QStringLiteral("Owner")) || Same(parts[0], FLookupRoot->Name()))
        return FindPath(FLookupRoot, parts, 1);
    if (TComponent* c = FLookupRoot->FindComponent(parts[0])) return FindPath(c, parts, 1);
    return nullptr;
}

void TReader::FixupReferences() {
    std::vector<Fixup> fixups;
    fixups.swap(FFixups);
    for (const Fixup& f : fixups) {
        if (TComponent* target = FindFixupTarget(f.Name)) {
            SetObjectProp(f.Instance, f.Prop, target);
            continue;
        }
        // "Module.Component": another root, now or once it exists.
        if (!f.Name.contains(QLatin1Char('.'))) continue;
        const QStringList parts = f.Name.split(QLatin1Char('.'));
        if (TComponent* target = FindPath(FindGlobalComponent(parts[0]), parts, 1)) {
            SetObjectProp(f.Instance, f.Prop, target);
            continue;
        }
        PendingFixups().push_back(GlobalFixup{FLookupRoot, f.Component, f.Instance, f.Prop, f.Name});
    }
}

void TReader::Finish(bool Ok) {
    if (!Ok) {
        FFixups.clear();
        FLoaded.clear();
        FCreated.clear();
        return;
    }
    FCreated.clear();
    FixupReferences();
    std::vector<TComponent*> loaded;
    loaded.swap(FLoaded);
    for (TComponent* c : loaded)
        c->Loaded();
    // A root that others were waiting for may have just been read.
    GlobalFixupReferences();
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
    ReadSignature();
    TFilerFlags flags;
    Integer childPos;
    ReadPrefix(flags, childPos);
    const String className = ReadStr();
    const String name = ReadStr();
    TComponent* result = Root;
    bool created = false;
    ++FComponentDepth;
    try {
        if (!result) {
            TClass cls = FindClass(className);
            TObject* o = cls->Factory ? cls->Factory(nullptr) : nullptr;
            result = dynamic_cast<TComponent*>(o);
            if (!result) {
                if (o) o->Free();
                throw EClassNotFound(QStringLiteral("Class %1 not found").arg(className));
            }
            created = true;
        }
        result->FComponentState.Include(csLoading);
        result->FComponentState.Include(csReading);
        if (!result->ComponentState().Contains(csDesigning)) result->SetName(name);
        FRoot = result;
        FLookupRoot = result;
        FOwner = result;
        FLoaded.assign(1, result);
        result->ReadState(this);
        result->FComponentState.Exclude(csReading);
        --FComponentDepth;
        Finish(true);
    } catch (...) {
        if (FComponentDepth > 0) --FComponentDepth;
        FFixups.clear();
        FLoaded.clear();
        while (!FCreated.empty()) {
            TComponent* c = FCreated.back();
            FCreated.pop_back();
            c->Free();
        }
        if (result) {
            result->FComponentState.Exclude(csReading);
            result->FComponentState.Exclude(csLoading);
            if (created) result->Free();
        }
        FRoot = FLookupRoot = FOwner = nullptr;
        throw;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// TWriter
TWriter::TWriter(TStream* Stream, Integer BufSize) : TFiler(Stream, BufSize) {
    WriteComponentDataProc = &WriteDataProc;
}

TWriter::~TWriter() {
    try {
        FlushBuffer();
    } catch (...) {
    }
}

void TWriter::WriteBuffer() {
    if (FBufPos > 0) {
        Integer n = FBufPos;
        FBufPos = 0;
        FStream->WriteBuffer(FBuffer.data(), n);
    }
}

void TWriter::FlushBuffer() {
    WriteBuffer();
}

Int64 TWriter::Position() const {
    return FStream->Position() + FBufPos;
}

void TWriter::Write(const void* Buf, Integer Count) {
    auto* p = static_cast<const uint8_t*>(Buf);
    while (Count > 0) {
        if (FBufPos == Integer(FBuffer.size())) WriteBuffer();
        Integer n = std::min(Count, Integer(FBuffer.size()) - FBufPos);
        std::memcpy(FBuffer.data() + FBufPos, p, size_t(n));
        FBufPos += n;
        p += n;
        Count -= n;
    }
}

void TWriter::WriteValue(TValueType Value) {
    uint8_t b = uint8_t(Value);
    Write(&b, 1);
}

void TWriter::WriteInteger(Int64 Value) {
    uint8_t b[9];
    if (Value >= -128 && Value <= 127) {
        b[0] = vaInt8;
        b[1] = uint8_t(int8_t(Value));
        Write(b, 2);
    } else if (Value >= -32768 && Value <= 32767) {
        b[0] = vaInt16;
        qToLittleEndian<qint16>(qint16(Value), b + 1);
        Write(b, 3);
    } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
        b[0] = vaInt32;
        qToLittleEndian<qint32>(qint32(Value), b + 1);
        Write(b, 5);
    } else {
        b[0] = vaInt64;
        qToLittleEndian<qint64>(Value, b + 1);
        Write(b, 9);
    }
}

void TWriter::WriteChar(QChar Value) {
    WriteString(String(Value));
}

void TWriter::WriteFloat(Extended Value) {
    uint8_t b[11];
    b[0] = vaExtended;
    kvt_streams::EncodeExtended(Value, b + 1);
    Write(b, 11);
}

void TWriter::WriteDouble(Double Value) {
    uint8_t b[9];
    b[0] = vaDouble;
    qToLittleEndian<double>(Value, b + 1);
    Write(b, 9);
}

void TWriter::WriteSingle(Single Value) {
    uint8_t b[5];
    b[0] = vaSingle;
    qToLittleEndian<float>(Value, b + 1);
    Write(b, 5);
}

void TWriter::WriteCurrency(const Currency& Value) {
    uint8_t b[9];
    b[0] = vaCurrency;
    qToLittleEndian<qint64>(Value.Scaled(), b + 1);
    Write(b, 9);
}

void TWriter::WriteDate(TDateTime Value) {
    uint8_t b[9];
    b[0] = vaDate;
    qToLittleEndian<double>(Value, b + 1);
    Write(b, 9);
}

void TWriter::WriteIdent(const String& Ident) {
    if (Same(Ident, QStringLiteral("False")))
        WriteValue(vaFalse);
    else if (Same(Ident, QStringLiteral("True")))
        WriteValue(vaTrue);
    else if (Same(Ident, QStringLiteral("Null")))
        WriteValue(vaNull);
    else if (Same(Ident, QStringLiteral("nil")))
        WriteValue(vaNil);
    else {
        WriteValue(vaIdent);
        WriteStr(Ident);
    }
}

void TWriter::WriteStr(const String& Value) {
    QByteArray a = Value.toUtf8();
    if (a.size() > 255) throw EWriteError(QStringLiteral("Stream write error"));
    uint8_t n = uint8_t(a.size());
    Write(&n, 1);
    Write(a.constData(), n);
}

void TWriter::WriteString(const String& Value) {
    for (QChar c : Value)
        if (c.unicode() > 127) {
            WriteWideString(Value);
            return;
        }
    QByteArray a = Value.toLatin1();
    if (a.size() <= 255) {
        uint8_t h[2] = {uint8_t(vaString), uint8_t(a.size())};
        Write(h, 2);
    } else {
        uint8_t h[5];
        h[0] = vaLString;
        qToLittleEndian<qint32>(qint32(a.size()), h + 1);
        Write(h, 5);
    }
    Write(a.constData(), Integer(a.size()));
}

void TWriter::WriteWideString(const String& Value) {
    QByteArray utf8 = Value.toUtf8();
    if (utf8.size() < Value.size() * 2) {
        WriteUTF8Str(Value);
        return;
    }
    uint8_t h[5];
    h[0] = vaWString;
    qToLittleEndian<qint32>(qint32(Value.size()), h + 1);
    Write(h, 5);
    QByteArray a(Value.size() * 2, Qt::Uninitialized);
    for (int i = 0; i < Value.size(); ++i)
        qToLittleEndian<quint16>(Value[i].unicode(), a.data() + 2 * i);
    Write(a.constData(), Integer(a.size()));
}

void TWriter::WriteUTF8Str(const String& Value) {
    QByteArray utf8 = Value.toUtf8();
    uint8_t h[5];
    h[0] = vaUTF8String;
    qToLittleEndian<qint32>(qint32(utf8.size()), h + 1);
    Write(h, 5);
    Write(utf8.constData(), Integer(utf8.size()));
}

void TWriter::WriteVariant(const Variant& Value) {
    if (Value.IsArray()) {
        WriteListBegin();
        for (Integer i = Value.ArrayLowBound(1); i <= Value.ArrayHighBound(1); ++i)
            WriteVariant(Value[i]);
        WriteListEnd();
        return;
    }
    switch (Value.VType() & varTypeMask) {
    case varEmpty:
        WriteValue(vaNil);
        break;
    case varNull:
        WriteValue(vaNull);
        break;
    case varOleStr:
        WriteWideString(Value.AsString());
        break;
    case varString:
    case varUString:
        WriteString(Value.AsString());
        break;
    case varShortInt:
    case varByte:
    case varSmallint:
    case varWord:
    case varInteger:
    case varLongWord:
    case varInt64:
        WriteInteger(Value.AsInt64());
        break;
    case varUInt64:
        WriteInteger(Int64(Value.AsUInt64()));
        break;
    case varSingle:
        WriteSingle(Value.AsSingle());
        break;
    case varDouble:
        WriteFloat(Value.AsDouble());
        break;
    case varCurrency:
        WriteCurrency(Value.AsCurrency());
        break;
    case varDate:
        WriteDate(Value.AsDateTime());
        break;
    case varBoolean:
        WriteBoolean(Value.AsBoolean());
        break;
    default:
        throw EWriteError(QStringLiteral("Unsupported property variant type"));
    }
}

void TWriter::WriteSet(PTypeInfo SetType, uint32_t Bits) {
    PTypeInfo comp = SetType->Kind == tkSet ? SetType->CompType : SetType;
    WriteValue(vaSet);
    for (int i = 0; i < 32; ++i)
        if (Bits & (uint32_t(1) << i)) WriteStr(GetEnumName(comp, i));
    WriteStr(String());
}

void TWriter::WriteBinary(const QByteArray& Bytes) {
    uint8_t h[5];
    h[0] = vaBinary;
    qToLittleEndian<qint32>(qint32(Bytes.size()), h + 1);
    Write(h, 5);
    Write(Bytes.constData(), Integer(Bytes.size()));
}

void TWriter::WriteSignature() {
    Write("TPF0", 4);
}

void TWriter::WritePrefix(TFilerFlags Flags, Integer AChildPos) {
    if (Flags.Empty()) return;
    uint8_t b = 0xF0;
    if (Flags.Contains(ffInherited)) b |= 1;
    if (Flags.Contains(ffChildPos)) b |= 2;
    if (Flags.Contains(ffInline)) b |= 4;
    Write(&b, 1);
    if (Flags.Contains(ffChildPos)) WriteInteger(AChildPos);
}

void TWriter::WritePropName(const String& PropName) {
    WriteStr(FPropPath + PropName);
}

void TWriter::DefineProperty(const String& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WritePropName(Name);
    WriteData(this);
}

void TWriter::DefineBinaryProperty(const String& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WritePropName(Name);
    TMemoryStream ms;
    WriteData(&ms);
    WriteBinary(QByteArray(static_cast<const char*>(ms.Memory()), int(ms.Size())));
}

// ---------------------------------------------------------------------------------------------
namespace {

QByteArray CollectionBytes(TCollection* c) {
    TMemoryStream ms;
    {
        TWriter w(&ms, 1024);
        w.WriteCollection(c);
    }
    return QByteArray(static_cast<const char*>(ms.Memory()), int(ms.Size()));
}

bool CollectionsEqual(TCollection* a, TCollection* b) {
    if (a == b) return true;
    if (!a || !b || a->ClassType() != b->ClassType() || a->Count() != b->Count()) return false;
    return CollectionBytes(a) == CollectionBytes(b);
}

} // namespace

bool TWriter::IsDefaultValue(TPersistent* Instance, PPropInfo Prop, TPersistent* Anc) {
    const PTypeInfo t = Prop->PropType;
    switch (t->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet: {
        Int64 v = GetOrdProp(Instance, Prop);
        if (Anc) return v == GetOrdProp(Anc, Prop);
        if (Prop->Default == NoDefault) return false;
        if (t->Kind == tkSet || t->OrdType == otULong) return uint32_t(v) == uint32_t(Prop->Default);
        return v == Prop->Default;
    }
    case tkInt64: {
        Int64 v = GetInt64Prop(Instance, Prop);
        if (Anc) return v == GetInt64Prop(Anc, Prop);
        return v == (Prop->Default == NoDefault ? 0 : Prop->Default);
    }
    case tkFloat: {
        Extended v = GetFloatProp(Instance, Prop);
        return v == (Anc ? GetFloatProp(Anc, Prop) : 0);
    }
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: {
        String v = GetStrProp(Instance, Prop);
        return Anc ? v == GetStrProp(Anc, Prop) : v.isEmpty();
    }
    case tkVariant: {
        Variant v = GetVariantProp(Instance, Prop);
        return Anc ? VarSameValue(v, GetVariantProp(Anc, Prop)) : VarIsClear(v);
    }
    default:
        return false;
    }
}

String TWriter::ComponentReferenceName(TComponent* Value) {
    if (Value == FLookupRoot) return QStringLiteral("Owner");
    if (Value->Owner() && Value->Owner() == FLookupRoot) return Value->Name();
    if (Value->Owner() && !Value->Owner()->Name().isEmpty() && !Value->Name().isEmpty())
        return Value->Owner()->Name() + QLatin1Char('.') + Value->Name();
    return Value->Name();
}

void TWriter::WriteProperty(TPersistent* Instance, PPropInfo Prop) {
    TPersistent* anc = nullptr;
    if (FAncestor && (FAncestor->ClassType() == Instance->ClassType() || Instance == FRoot)) anc = FAncestor;
    const PTypeInfo t = Prop->PropType;
    switch (t->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet: {
        if (IsDefaultValue(Instance, Prop, anc)) return;
        Int64 v = GetOrdProp(Instance, Prop);
        WritePropName(Prop->Name);
        if (t->Kind == tkInteger) {
            auto it = IntConstMap().find(t);
            String ident;
            if (it != IntConstMap().end() && it->second.IntToIdent(Integer(v), ident))
                WriteIdent(ident);
            else
                WriteInteger(v);
        } else if (t->Kind == tkEnumeration)
            WriteIdent(GetEnumName(t, v));
        else if (t->Kind == tkSet)
            WriteSet(t, uint32_t(v));
        else
            WriteChar(QChar(char16_t(v)));
        return;
    }
    case tkInt64:
        if (IsDefaultValue(Instance, Prop, anc)) return;
        WritePropName(Prop->Name);
        WriteInteger(GetInt64Prop(Instance, Prop));
        return;
    case tkFloat: {
        if (IsDefaultValue(Instance, Prop, anc)) return;
        Extended v = GetFloatProp(Instance, Prop);
        WritePropName(Prop->Name);
        if (t == TypeInfoDateTime())
            WriteDate(TDateTime(v));
        else if (t->FloatType == TFloatType::ftSingle)
            WriteSingle(Single(v));
        else if (t->FloatType == TFloatType::ftCurr)
            WriteCurrency(Currency(v));
        else
            WriteFloat(v);
        return;
    }
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
        if (IsDefaultValue(Instance, Prop, anc)) return;
        WritePropName(Prop->Name);
        WriteString(GetStrProp(Instance, Prop));
        return;
    case tkVariant:
        if (IsDefaultValue(Instance, Prop, anc)) return;
        WritePropName(Prop->Name);
        WriteVariant(GetVariantProp(Instance, Prop));
        return;
    case tkClass: {
        TObject* obj = GetObjectProp(Instance, Prop);
        TObject* ancObj = anc ? GetObjectProp(anc, Prop) : nullptr;
        if (!obj) {
            if (ancObj) {
                WritePropName(Prop->Name);
                WriteValue(vaNil);
            }
            return;
        }
        auto* comp = dynamic_cast<TComponent*>(obj);
        if (comp && !comp->ComponentStyle().Contains(csSubComponent)) {
            auto* ancComp = dynamic_cast<TComponent*>(ancObj);
            if (anc && ancComp && Same(ancComp->Name(), comp->Name())) return;
            String name = ComponentReferenceName(comp);
            if (name.isEmpty()) return;
            WritePropName(Prop->Name);
            WriteIdent(name);
            return;
        }
        auto* per = dynamic_cast<TPersistent*>(obj);
        if (!per) return;
        if (auto* coll = dynamic_cast<TCollection*>(per)) {
            if (anc && CollectionsEqual(coll, dynamic_cast<TCollection*>(ancObj))) return;
            WritePropName(Prop->Name);
            WriteCollection(coll);
            return;
        }
        String oldPath = FPropPath;
        TPersistent* oldAnc = FAncestor;
        FPropPath += Prop->Name + QLatin1Char('.');
        FAncestor = dynamic_cast<TPersistent*>(ancObj);
        try {
            WriteProperties(per);
        } catch (...) {
            FPropPath = oldPath;
            FAncestor = oldAnc;
            throw;
        }
        FPropPath = oldPath;
        FAncestor = oldAnc;
        return;
    }
    case tkMethod: {
        // A handler is written as the name the lookup root publishes it under; one without a
        // name there (bound in code to another object) cannot be stored and is left out.
        const bool ancAssigned = anc && MethodPropAssigned(anc, Prop);
        if (!MethodPropAssigned(Instance, Prop)) {
            if (ancAssigned) {
                WritePropName(Prop->Name);
                WriteValue(vaNil);
            }
            return;
        }
        const String name = GetMethodPropName(Instance, Prop, FLookupRoot);
        if (name.isEmpty()) return;
        if (ancAssigned &&
            Same(name, GetMethodPropName(anc, Prop, FRootAncestor ? FRootAncestor : FLookupRoot)))
            return;
        WritePropName(Prop->Name);
        WriteIdent(name);
        return;
    }
    default:
        return; // other kinds have no stream form here
    }
}

void TWriter::WriteProperties(TPersistent* Instance) {
    for (PPropInfo p : GetPropList(Instance)) {
        if (!p->CanRead() || !IsStoredProp(Instance, p)) continue;
        if (!p->CanWrite() && p->PropType->Kind != tkClass) continue;
        WriteProperty(Instance, p);
    }
    Instance->DefineProperties(this);
}

void TWriter::WriteCollection(TCollection* Value) {
    WriteValue(vaCollection);
    TPersistent* oldAnc = FAncestor;
    String oldPath = FPropPath;
    FAncestor = nullptr;
    FPropPath.clear();
    try {
        if (Value)
            for (int i = 0; i < Value->Count(); ++i) {
                WriteListBegin();
                WriteProperties(Value->Items(i));
                WriteListEnd();
            }
    } catch (...) {
        FAncestor = oldAnc;
        FPropPath = oldPath;
        throw;
    }
    FAncestor = oldAnc;
    FPropPath = oldPath;
    WriteListEnd();
}

void TWriter::WriteDescendent(TComponent* Root, TComponent* AAncestor) {
    FRootAncestor = AAncestor;
    FAncestor = AAncestor;
    FRoot = Root;
    FLookupRoot = Root;
    WriteSignature();
    WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
    TPersistent* oldAnc = FAncestor;
    Integer oldPos = FChildPos;
    FChildPos = -1;
    if (Component != FRoot) {
        TComponent* anc = nullptr;
        for (size_t i = 0; i < FAncestorList.size(); ++i)
            if (Same(FAncestorList[i]->Name(), Component->Name())) {
                anc = FAncestorList[i];
                if (Integer(i) != FAncestorPos) FChildPos = FAncestorPos;
                break;
            }
        if (OnFindAncestor) {
            TComponent* rootAnc = FRootAncestor;
            OnFindAncestor(this, Component, Component->Name(), anc, rootAnc);
            FRootAncestor = rootAnc;
        }
        FAncestor = anc;
        if (!anc) FChildPos = -1;
        ++FAncestorPos;
    }
    const bool wasWriting = Component->ComponentState().Contains(csWriting);
    Component->FComponentState.Include(csWriting);
    try {
        Component->WriteState(this);
    } catch (...) {
        if (!wasWriting) Component->FComponentState.Exclude(csWriting);
        FAncestor = oldAnc;
        FChildPos = oldPos;
        throw;
    }
    if (!wasWriting) Component->FComponentState.Exclude(csWriting);
    FAncestor = oldAnc;
    FChildPos = oldPos;
}

void TWriter::WriteData(TComponent* Instance) {
    TFilerFlags flags;
    if (FAncestor) flags.Include(ffInherited);
    if (Instance->ComponentState().Contains(csInline)) flags.Include(ffInline);
    if (FChildPos >= 0 && flags.Contains(ffInherited)) flags.Include(ffChildPos);
    WritePrefix(flags, FChildPos);
    WriteStr(Instance->ClassName());
    WriteStr(Instance->Name());
    WriteProperties(Instance);
    WriteListEnd();

    std::vector<TComponent*> oldList;
    oldList.swap(FAncestorList);
    const int oldPos = FAncestorPos;
    FAncestorPos = 0;
    auto restore = [&] {
        FAncestorList.swap(oldList);
        FAncestorPos = oldPos;
    };
    try {
        if (!FIgnoreChildren) {
            if (auto* anc = dynamic_cast<TComponent*>(FAncestor))
                anc->GetChildren([this](TComponent* c) { FAncestorList.push_back(c); }, FRootAncestor);
            Instance->GetChildren([this](TComponent* c) { WriteComponent(c); }, FRoot);
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    WriteListEnd();
}

// ---------------------------------------------------------------------------------------------
void WriteComponent(TStream* Stream, TComponent* Instance) {
    WriteDescendent(Stream, Instance, nullptr);
}

void WriteDescendent(TStream* Stream, TComponent* Instance, TComponent* Ancestor) {
    TWriter w(Stream, 4096);
    w.WriteDescendent(Instance, Ancestor);
    w.FlushBuffer();
}

TComponent* ReadComponent(TStream* Stream, TComponent* Instance) {
    TReader r(Stream, 4096);
    return r.ReadRootComponent(Instance);
}
