// TField (the common part), TFields, TLookupList and the conversions between Variants and
// field buffers.

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QStringList>

using namespace DBConsts;

// ---------------------------------------------------------------------------------------------
// Buffer forms

bool FieldValueIsVariant(TFieldType type, bool NativeFormat) {
    switch (type) {
    case ftBytes:
    case ftVarBytes:
        return !NativeFormat;
    case ftVariant:
    case ftInterface:
    case ftIDispatch:
        return true;
    default:
        return IsBlobType(type);
    }
}

namespace {
template <class T> void PutValue(TValueBuffer& b, T v) {
    b.Put(v);
}

void PutZeroTerminated(TValueBuffer& b, const void* data, size_t bytes, size_t capacity, size_t unit) {
    b.Bytes.assign(capacity, 0);
    std::memcpy(b.Bytes.data(), data, std::min(bytes, capacity > unit ? capacity - unit : 0));
}
} // namespace

bool VariantToFieldBuffer(TField* Field, const Variant& V, TValueBuffer& B, bool Native) {
    const TFieldType t = Field->DataType();
    switch (t) {
    case ftString:
    case ftFixedChar:
    case ftGuid: {
        AnsiString a = VarIsStr(V) && V.VType() == varString ? V.AsAnsiString() : ToAnsi(VarToStr(V));
        if (Field->Size() > 0 && a.size() > Field->Size()) a.truncate(Field->Size());
        PutZeroTerminated(B, a.constData(), size_t(a.size()), size_t(Field->Size()) + 1, 1);
        return true;
    }
    case ftWideString:
    case ftFixedWideChar: {
        String s = VarToStr(V);
        if (Field->Size() > 0 && s.size() > Field->Size()) s.truncate(Field->Size());
        PutZeroTerminated(B, s.utf16(), size_t(s.size()) * 2, (size_t(Field->Size()) + 1) * 2, 2);
        return true;
    }
    case ftSmallint:
        PutValue<int16_t>(B, int16_t(V.AsInteger()));
        return true;
    case ftWord:
        PutValue<uint16_t>(B, uint16_t(V.AsInteger()));
        return true;
    case ftBoolean:
        PutValue<int16_t>(B, V.AsBoolean() ? int16_t(-1) : int16_t(0));
        return true;
    case ftInteger:
    case ftAutoInc:
        PutValue<int32_t>(B, V.AsInteger());
        return true;
    case ftLongWord:
        PutValue<uint32_t>(B, V.AsLongWord());
        return true;
    case ftShortint:
        PutValue<int8_t>(B, int8_t(V.AsInteger()));
        return true;
    case ftByte:
        PutValue<uint8_t>(B, uint8_t(V.AsInteger()));
        return true;
    case ftLargeint:
        PutValue<int64_t>(B, V.AsInt64());
        return true;
    case ftFloat:
    case ftCurrency:
        PutValue<double>(B, V.AsDouble());
        return true;
    case ftExtended:
        PutValue<long double>(B, V.AsExtended());
        return true;
    case ftSingle:
        PutValue<float>(B, V.AsSingle());
        return true;
    case ftBCD:
        if (Native)
            PutValue<TBcd>(B, CurrToBCD(V.AsCurrency(), 32, Field->Size()));
        else
            PutValue<Int64>(B, V.AsCurrency().Scaled());
        return true;
    case ftFMTBcd:
        PutValue<TBcd>(B, VarIsStr(V)                ? StrToBcd(V.AsString())
                          : V.VType() == varCurrency ? CurrToBCD(V.AsCurrency())
                                                     : DoubleToBcd(V.AsDouble()));
        return true;
    case ftDate:
    case ftTime:
    case ftDateTime: {
        const TDateTime d = V.AsDateTime();
        if (!Native) {
            PutValue<double>(B, d);
        } else {
            const TTimeStamp ts = DateTimeToTimeStamp(d);
            if (t == ftDate)
                PutValue<int32_t>(B, ts.Date);
            else if (t == ftTime)
                PutValue<int32_t>(B, ts.Time);
            else
                PutValue<double>(B, TimeStampToMSecs(ts));
        }
        return true;
    }
    case ftTimeStamp:
    case ftOraTimeStamp:
        PutValue<TSQLTimeStamp>(B, DateTimeToSQLTimeStamp(V.AsDateTime()));
        return true;
    case ftBytes:
    case ftVarBytes: {
        if (!Native) {
            B.Var = V;
            return true;
        }
        TBytes bytes = VarIsStr(V) ? TBytes(V.AsAnsiString().begin(), V.AsAnsiString().end()) : VarToBytes(V);
        const size_t size = size_t(Field->Size());
        if (bytes.size() > size) bytes.resize(size);
        if (t == ftBytes) {
            B.Bytes.assign(size, 0);
            std::copy(bytes.begin(), bytes.end(), B.Bytes.begin());
        } else {
            B.Bytes.assign(size + 2, 0);
            const uint16_t len = uint16_t(bytes.size());
            std::memcpy(B.Bytes.data(), &len, 2);
            std::copy(bytes.begin(), bytes.end(), B.Bytes.begin() + 2);
        }
        return true;
    }
    default:
        if (FieldValueIsVariant(t, Native)) {
            B.Var = V;
            return true;
        }
        return false;
    }
}

bool FieldBufferToVariant(TField* Field, const TValueBuffer& B, Variant& V, bool Native) {
    const TFieldType t = Field->DataType();
    switch (t) {
    case ftString:
    case ftFixedChar:
    case ftGuid: {
        const char* p = reinterpret_cast<const char*>(B.Bytes.data());
        V = FromAnsi(p, int(B.Bytes.size()));
        return true;
    }
    case ftWideString:
    case ftFixedWideChar: {
        const auto* p = reinterpret_cast<const char16_t*>(B.Bytes.data());
        const size_t n = B.Bytes.size() / 2;
        size_t len = 0;
        while (len < n && p[len] != 0)
            ++len;
        V = String::fromUtf16(p, qsizetype(len));
        return true;
    }
    case ftSmallint:
        V = Variant(short(B.Get<int16_t>()));
        return true;
    case ftWord:
        V = Variant((unsigned short)B.Get<uint16_t>());
        return true;
    case ftBoolean:
        V = Variant(B.Get<int16_t>() != 0);
        return true;
    case ftInteger:
    case ftAutoInc:
        V = Variant(int(B.Get<int32_t>()));
        return true;
    case ftLongWord:
        V = Variant(unsigned(B.Get<uint32_t>()));
        return true;
    case ftShortint:
        V = Variant((signed char)B.Get<int8_t>());
        return true;
    case ftByte:
        V = Variant((unsigned char)B.Get<uint8_t>());
        return true;
    case ftLargeint:
        V = Variant((long long)B.Get<int64_t>());
        return true;
    case ftFloat:
    case ftCurrency:
        V = Variant(B.Get<double>());
        return true;
    case ftExtended:
        V = Variant(B.Get<long double>());
        return true;
    case ftSingle:
        V = Variant(B.Get<float>());
        return true;
    case ftBCD:
        if (Native) {
            Currency c;
            if (!BCDToCurr(B.Get<TBcd>(), c))
                V = Variant(BcdToDouble(B.Get<TBcd>()));
            else
                V = Variant(c);
        } else {
            V = Variant(Currency::FromScaled(B.Get<Int64>()));
        }
        return true;
    case ftFMTBcd: {
        Currency c;
        const TBcd bcd = B.Get<TBcd>();
        V = BCDToCurr(bcd, c) ? Variant(c) : Variant(BcdToDouble(bcd));
        return true;
    }
    case ftDate:
    case ftTime:
    case ftDateTime: {
        if (!Native) {
            V = VarFromDateTime(B.Get<double>());
        } else if (t == ftDate) {
            V = VarFromDateTime(TimeStampToDateTime(TTimeStamp{0, B.Get<int32_t>()}));
        } else if (t == ftTime) {
            V = VarFromDateTime(TimeStampToDateTime(TTimeStamp{B.Get<int32_t>(), 693594}));
        } else {
            V = VarFromDateTime(TimeStampToDateTime(MSecsToTimeStamp(B.Get<double>())));
        }
        return true;
    }
    case ftTimeStamp:
    case ftOraTimeStamp:
        V = VarFromDateTime(SQLTimeStampToDateTime(B.Get<TSQLTimeStamp>()));
        return true;
    case ftBytes:
    case ftVarBytes:
        if (!Native) {
            V = B.Var;
        } else if (t == ftBytes) {
            V = Variant(B.Bytes);
        } else {
            uint16_t len = 0;
            if (B.Bytes.size() >= 2) std::memcpy(&len, B.Bytes.data(), 2);
            len = uint16_t(std::min<size_t>(len, B.Bytes.size() >= 2 ? B.Bytes.size() - 2 : 0));
            V = Variant(TBytes(B.Bytes.begin() + 2, B.Bytes.begin() + 2 + len));
        }
        return true;
    default:
        if (FieldValueIsVariant(t, Native)) {
            V = B.Var;
            return true;
        }
        return false;
    }
}

namespace {
// Whether a text comes back unchanged from an 8-bit field buffer of the given size: it fits,
// holds no NUL (the buffer is zero-terminated) and only ASCII (the same bytes in the code page).
bool PassesAnsiBuffer(const String& s, int size) {
    if (s.isNull() || s.size() > size) return false;
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (u == 0 || u >= 0x80) return false;
    }
    return true;
}
bool PassesAnsiBuffer(const AnsiString& a, int size) {
    if (a.size() > size) return false;
    for (const char c : a)
        if (c == 0 || static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}
} // namespace

bool StoredTextThroughAnsiBuffer(const Variant& V, int Size, String& Text) {
    if (Size <= 0) return false;
    if (V.VType() == varUString && PassesAnsiBuffer(VariantAccess::Str(V), Size)) {
        Text = VariantAccess::Str(V);
        return true;
    }
    if (V.VType() == varString && PassesAnsiBuffer(VariantAccess::Ansi(V), Size)) {
        Text = String::fromLatin1(VariantAccess::Ansi(V));
        return true;
    }
    return false;
}

bool StoredValueToFieldVariant(TField* Field, const Variant& V, Variant& Out) {
    // The common kinds skip the buffer; each line gives what the buffer would give back.
    switch (Field->DataType()) {
    case ftString:
    case ftFixedChar:
    case ftGuid: {
        String text;
        if (StoredTextThroughAnsiBuffer(V, Field->Size(), text)) {
            Out = Variant(std::move(text));
            return true;
        }
        break;
    }
    case ftSmallint:
        Out = Variant(short(int16_t(V.AsInteger())));
        return true;
    case ftWord:
        Out = Variant((unsigned short)uint16_t(V.AsInteger()));
        return true;
    case ftBoolean:
        Out = Variant(V.AsBoolean());
        return true;
    case ftInteger:
    case ftAutoInc:
        Out = Variant(int(V.AsInteger()));
        return true;
    case ftLongWord:
        Out = Variant(unsigned(V.AsLongWord()));
        return true;
    case ftShortint:
        Out = Variant((signed char)int8_t(V.AsInteger()));
        return true;
    case ftByte:
        Out = Variant((unsigned char)uint8_t(V.AsInteger()));
        return true;
    case ftLargeint:
        Out = Variant((long long)V.AsInt64());
        return true;
    case ftFloat:
    case ftCurrency:
        Out = Variant(V.AsDouble());
        return true;
    case ftSingle:
        Out = Variant(V.AsSingle());
        return true;
    case ftExtended:
        Out = Variant(V.AsExtended());
        return true;
    default:
        break;
    }
    TValueBuffer b;
    return VariantToFieldBuffer(Field, V, b, true) && FieldBufferToVariant(Field, b, Out, true);
}

bool ReadFieldBuffer(TField* Field, TValueBuffer& b) {
    b.AcceptsRef = true;
    if (!Field->GetData(&b, true)) return false;
    // A data set that wrote less than the field's size leaves the rest zero, as in a sized buffer.
    if (!b.Ref && b.Bytes.size() < size_t(std::max(Field->DataSize(), 0)))
        b.Bytes.resize(size_t(Field->DataSize()), 0);
    return true;
}

bool ReadBufferToVariant(TField* Field, TValueBuffer& b, Variant& Value) {
    if (!b.Ref) return FieldBufferToVariant(Field, b, Value, true);
    if (StoredValueToFieldVariant(Field, *b.Ref, Value)) return true;
    // No buffer form: the data set answers as it does for a buffer.
    b = TValueBuffer(Field->DataSize());
    return Field->GetData(&b, true) && FieldBufferToVariant(Field, b, Value, true);
}

bool ReadFieldVariant(TField* Field, Variant& Value) {
    TValueBuffer b;
    return ReadFieldBuffer(Field, b) && ReadBufferToVariant(Field, b, Value);
}

// ---------------------------------------------------------------------------------------------
// TField

TField::TField(TComponent* AOwner) : TComponent(AOwner) {
    FValidChars.set();
}

TField::~TField() {
    if (FDataSet) FDataSet->RemoveField(this);
}

void TField::BeforeDestruction() {
    if (FDataSet) {
        try {
            FDataSet->Close();
        } catch (...) {
        }
        FDataSet->RemoveField(this);
        FDataSet = nullptr;
    }
    TComponent::BeforeDestruction();
}

void TField::CheckInactive() {
    if (FDataSet) FDataSet->CheckInactive();
}

void TField::SetDataSet(TDataSet* ADataSet) {
    if (ADataSet == FDataSet) return;
    if (FDataSet) FDataSet->CheckInactive();
    if (ADataSet) {
        ADataSet->CheckInactive();
        if (FFieldKind == fkAggregate) {
            if (!FFieldName.isEmpty() && ADataSet->AggFields()->FindField(FFieldName))
                DatabaseErrorFmt(SDuplicateFieldName, {FFieldName}, ADataSet);
        } else {
            ADataSet->Fields()->CheckFieldName(FFieldName);
        }
    }
    if (FDataSet) FDataSet->RemoveField(this);
    if (ADataSet) ADataSet->AddField(this);
}

void TField::SetFieldName(const String& Value) {
    if (FDataSet && AnsiCompareText(Value, FFieldName) != 0) {
        if (FFieldKind == fkAggregate) {
            if (FDataSet->AggFields()->FindField(Value))
                DatabaseErrorFmt(SDuplicateFieldName, {Value}, FDataSet);
        } else {
            FDataSet->Fields()->CheckFieldName(Value);
        }
    }
    FFieldName = Value;
    if (FDisplayLabel == Value) FDisplayLabel.clear();
    if (FDataSet) FDataSet->DataEvent(deFieldListChange, 0);
}

void TField::SetFieldKind(TFieldKind Value) {
    if (FFieldKind == Value) return;
    if (FDataSet) {
        FDataSet->CheckInactive();
        if ((FFieldKind == fkAggregate) != (Value == fkAggregate)) {
            TDataSet* ds = FDataSet;
            ds->RemoveField(this);
            FFieldKind = Value;
            ds->AddField(this);
            return;
        }
    }
    FFieldKind = Value;
}

void TField::SetCalculated(bool Value) {
    if (Value)
        SetFieldKind(fkCalculated);
    else if (FFieldKind == fkCalculated)
        SetFieldKind(fkData);
}

void TField::SetLookup(bool Value) {
    if (Value)
        SetFieldKind(fkLookup);
    else if (FFieldKind == fkLookup)
        SetFieldKind(fkData);
}

void TField::SetSize(int Value) {
    CheckInactive();
    CheckTypeSize(Value);
    FSize = Value;
}

void TField::CheckTypeSize(int Value) {
    if (Value != 0) DatabaseError(SInvalidFieldSize);
}

int TField::GetDataSize() const {
    return 0;
}

void TField::SetFieldType(TFieldType Value) {
    if (AcceptsFieldType(Value)) FDataType = Value;
}

int TField::Index() const {
    return FDataSet ? FDataSet->Fields()->IndexOf(this) : -1;
}

void TField::SetIndex(int Value) {
    if (FDataSet && FFieldKind != fkAggregate) FDataSet->Fields()->SetFieldIndex(this, Value);
}

void TField::PropertyChanged(bool LayoutAffected) {
    if (FDataSet && FDataSet->Active())
        FDataSet->DataEvent(LayoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::SetDisplayLabel(const String& Value) {
    const String v = Value == FFieldName ? String() : Value;
    if (FDisplayLabel != v) {
        FDisplayLabel = v;
        PropertyChanged(true);
    }
}

int TField::DisplayWidth() const {
    return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth();
}

void TField::SetDisplayWidth(int Value) {
    if (FDisplayWidth != Value) {
        FDisplayWidth = Value;
        PropertyChanged(true);
    }
}

void TField::SetAlignment(TAlignment Value) {
    if (FAlignment != Value) {
        FAlignment = Value;
        PropertyChanged(false);
    }
}

void TField::SetVisible(bool Value) {
    if (FVisible != Value) {
        FVisible = Value;
        PropertyChanged(true);
    }
}

void TField::SetEditMask(const String& Value) {
    FEditMask = Value;
    PropertyChanged(false);
}

void TField::SetReadOnly(bool Value) {
    if (FReadOnly != Value) {
        FReadOnly = Value;
        PropertyChanged(true);
    }
}

bool TField::GetCanModify() {
    if (!FDataSet) return false;
    if (FFieldNo > 0) {
        if (FDataSet->State() != dsSetKey) return !FReadOnly && FDataSet->CanModify();
        return FIsIndexField;
    }
    return false;
}

bool TField::IsValidChar(QChar InputChar) {
    const ushort c = InputChar.unicode();
    return c < 256 ? FValidChars.test(c) : FValidChars.all();
}

[[noreturn]] void TField::AccessError(const String& TypeName) {
    DatabaseErrorFmt(SFieldAccessError, {DisplayName(), TypeName});
}

// --- lookup ----------------------------------------------------------------------------------

void TField::SetLookupDataSet(TDataSet* Value) {
    if (FLookupDataSet == Value) return;
    CheckInactive();
    if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
    FLookupDataSet = Value;
    if (Value) Value->FreeNotification(this);
    if (FLookupList) FLookupList->Clear();
}

void TField::SetLookupKeyFields(const String& Value) {
    CheckInactive();
    FLookupKeyFields = Value;
}

void TField::SetLookupResultField(const String& Value) {
    CheckInactive();
    FLookupResultField = Value;
}

void TField::SetKeyFields(const String& Value) {
    CheckInactive();
    FKeyFields = Value;
}

void TField::SetLookupCache(bool Value) {
    if (FLookupCache == Value) return;
    FLookupCache = Value;
    if (Value && FDataSet && FDataSet->Active() && FFieldKind == fkLookup) RefreshLookupList();
}

TLookupList* TField::LookupList() {
    if (!FLookupList) FLookupList = std::make_unique<TLookupList>();
    return FLookupList.get();
}

void TField::ValidateLookupInfo(bool All) {
    if ((All && (!FLookupDataSet || FLookupKeyFields.isEmpty() || FLookupResultField.isEmpty())) ||
        FKeyFields.isEmpty())
        DatabaseErrorFmt(SLookupInfoError, {DisplayName()}, FDataSet);
    if (FDataSet) FDataSet->Fields()->CheckFieldNames(FKeyFields);
    if (All && FLookupDataSet->Active()) {
        FLookupDataSet->Fields()->CheckFieldNames(FLookupKeyFields);
        FLookupDataSet->FieldByName(FLookupResultField);
    }
}

void TField::RefreshLookupList() {
    TLookupList* list = LookupList();
    ValidateLookupInfo(true);
    TDataSet* ds = FLookupDataSet;
    if (!ds->Active()) ds->Open();
    ds->DisableControls();
    try {
        list->Clear();
        ds->First();
        while (!ds->Eof()) {
            list->Add(ds->FieldValues(FLookupKeyFields), ds->FieldValues(FLookupResultField));
            ds->Next();
        }
    } catch (...) {
        ds->EnableControls();
        throw;
    }
    ds->EnableControls();
}

void TField::CalcLookupValue() {
    if (FLookupCache)
        SetValue(LookupList()->ValueOfKey(FDataSet->FieldValues(FKeyFields)));
    else if (FLookupDataSet && FLookupDataSet->Active())
        SetValue(
            FLookupDataSet->Lookup(FLookupKeyFields, FDataSet->FieldValues(FKeyFields), FLookupResultField));
}

void TField::Bind(bool Binding) {
    if (FFieldKind == fkLookup && Binding) {
        if (FLookupCache)
            RefreshLookupList();
        else
            ValidateLookupInfo(true);
    }
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FLookupDataSet) {
        FLookupDataSet = nullptr;
        if (FLookupList) FLookupList->Clear();
    }
}

// --- values ----------------------------------------------------------------------------------

bool TField::GetData(TValueBuffer* Buffer, bool NativeFormat) {
    if (!FDataSet) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
    if (FValidating) {
        // Inside OnValidate the field reads the value being written.
        if (!FValueBuffer) return false;
        if (Buffer) *Buffer = *FValueBuffer;
        return true;
    }
    return FDataSet->GetFieldData(this, Buffer, NativeFormat);
}

void TField::SetData(const TValueBuffer* Buffer, bool NativeFormat) {
    if (!FDataSet) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
    const TValueBuffer* saved = FValueBuffer;
    FValueBuffer = Buffer;
    try {
        FDataSet->SetFieldData(this, Buffer, NativeFormat);
    } catch (...) {
        FValueBuffer = saved;
        throw;
    }
    FValueBuffer = saved;
}

void TField::Validate(const TValueBuffer* Buffer) {
    if (!OnValidate) return;
    if (!FValueBuffer) FValueBuffer = Buffer;
    FValidating = true;
    try {
        OnValidate(this);
    } catch (...) {
        FValidating = false;
        throw;
    }
    FValidating = false;
}

bool TField::IsNull() {
    return !GetData(nullptr);
}

void TField::Change() {
    if (OnChange) OnChange(this);
}

void TField::DataChanged() {
    FDataSet->DataEvent(deFieldChange, reinterpret_cast<NativeInt>(this));
}

void TField::FocusControl() {
    if (FDataSet && FDataSet->Active()) {
        TField* field = this;
        FDataSet->DataEvent(deFocusControl, reinterpret_cast<NativeInt>(&field));
    }
}

void TField::SetAsVariant(const Variant& V) {
    if (VarIsNull(V) || VarIsClear(V))
        Clear();
    else
        SetVarValue(V);
}

Variant TField::GetAsVariant() {
    AccessError(QStringLiteral("Variant"));
}
void TField::SetVarValue(const Variant&) {
    AccessError(QStringLiteral("Variant"));
}
String TField::GetAsString() {
    return "(" + ClassName().mid(1) + ")";
}
void TField::SetAsStringValue(const String&) {
    AccessError(QStringLiteral("String"));
}
Integer TField::GetAsInteger() {
    AccessError(QStringLiteral("Integer"));
}
void TField::SetAsIntegerValue(Integer) {
    AccessError(QStringLiteral("Integer"));
}
Int64 TField::GetAsLargeInt() {
    return GetAsInteger();
}
void TField::SetAsLargeIntValue(Int64 V) {
    SetAsIntegerValue(Integer(V));
}
double TField::GetAsFloat() {
    AccessError(QStringLiteral("Float"));
}
void TField::SetAsFloatValue(double) {
    AccessError(QStringLiteral("Float"));
}
Currency TField::GetAsCurrency() {
    return Currency(GetAsFloat());
}
void TField::SetAsCurrencyValue(Currency V) {
    SetAsFloatValue(V.ToDouble());
}
bool TField::GetAsBoolean() {
    AccessError(QStringLiteral("Boolean"));
}
void TField::SetAsBooleanValue(bool) {
    AccessError(QStringLiteral("Boolean"));
}
TDateTime TField::GetAsDateTime() {
    AccessError(QStringLiteral("DateTime"));
}
void TField::SetAsDateTimeValue(TDateTime) {
    AccessError(QStringLiteral("DateTime"));
}
TBcd TField::GetAsBCD() {
    AccessError(QStringLiteral("BCD"));
}
void TField::SetAsBCDValue(const TBcd&) {
    AccessError(QStringLiteral("BCD"));
}
TSQLTimeStamp TField::GetAsSQLTimeStamp() {
    AccessError(QStringLiteral("SQLTimeStamp"));
}
void TField::SetAsSQLTimeStampValue(const TSQLTimeStamp&) {
    AccessError(QStringLiteral("SQLTimeStamp"));
}
TBytes TField::GetAsBytes() {
    const AnsiString a = ToAnsi(GetAsString());
    return TBytes(a.begin(), a.end());
}
void TField::SetAsBytesValue(const TBytes& V) {
    SetAsStringValue(FromAnsi(AnsiString(reinterpret_cast<const char*>(V.data()), qsizetype(V.size()))));
}

void TField::GetText(String& Text, bool) {
    Text = GetAsString();
}
void TField::SetTextValue(const String& Value) {
    SetAsStringValue(Value);
}

String TField::GetDisplayText() {
    String s;
    if (OnGetText)
        OnGetText(this, s, true);
    else
        GetText(s, true);
    return s;
}

String TField::GetEditText() {
    String s;
    if (OnGetText)
        OnGetText(this, s, false);
    else
        GetText(s, false);
    return s;
}

void TField::SetEditText(const String& Value) {
    if (OnSetText)
        OnSetText(this, Value);
    else
        SetTextValue(Value);
}

Variant TField::GetStateValue(TDataSetState State) {
    if (!FDataSet) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
    return FDataSet->GetStateFieldValue(State, this);
}

Variant TField::OldValue() {
    return GetStateValue(dsOldValue);
}
Variant TField::CurValue() {
    return GetStateValue(dsCurValue);
}
Variant TField::NewValue() {
    return GetStateValue(dsNewValue);
}
void TField::SetNewValue(const Variant& V) {
    if (!FDataSet) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
    FDataSet->SetStateFieldValue(dsNewValue, this, V);
}

void TField::Assign(TPersistent* Source) {
    if (!Source) {
        Clear();
        return;
    }
    if (auto* f = dynamic_cast<TField*>(Source)) {
        SetValue(f->Value());
        return;
    }
    TComponent::Assign(Source);
}

// ---------------------------------------------------------------------------------------------
// TLookupList

void TLookupList::Add(const Variant& AKey, const Variant& AValue) {
    FList.emplace_back(AKey, AValue);
}

Variant TLookupList::ValueOfKey(const Variant& AKey) const {
    if (VarIsNull(AKey) || VarIsEmpty(AKey)) return Null();
    for (const auto& [key, value] : FList) {
        if (VarIsArray(AKey) && VarIsArray(key)) {
            const int lo = AKey.ArrayLowBound(1), hi = AKey.ArrayHighBound(1);
            if (key.ArrayLowBound(1) != lo || key.ArrayHighBound(1) != hi) continue;
            bool same = true;
            for (int i = lo; i <= hi && same; ++i)
                same = VarSameValue(AKey.ArrayGet({i}), key.ArrayGet({i}));
            if (same) return value;
        } else if (!VarIsArray(key) && VarSameValue(key, AKey)) {
            return value;
        }
    }
    return Null();
}

// ---------------------------------------------------------------------------------------------
// TFields

TFields::~TFields() {
    for (TField* f : FList)
        f->FDataSet = nullptr;
}

TField* TFields::Fields(int Index) const {
    if (Index < 0 || Index >= Count()) DatabaseError(SFieldIndexError, FDataSet);
    return FList[size_t(Index)];
}

void TFields::Add(TField* Field) {
    FList.push_back(Field);
    Field->FDataSet = FDataSet;
    Changed();
}

void TFields::Remove(TField* Field) {
    auto it = std::find(FList.begin(), FList.end(), Field);
    if (it == FList.end()) return;
    FList.erase(it);
    Field->FDataSet = nullptr;
    Changed();
}

void TFields::Clear() {
    while (!FList.empty()) {
        TField* f = FList.back();
        FList.pop_back();
        f->FDataSet = nullptr;
        f->Free();
    }
    Changed();
}

int TFields::IndexOf(const TField* Field) const {
    auto it = std::find(FList.begin(), FList.end(), Field);
    return it == FList.end() ? -1 : int(it - FList.begin());
}

TField* TFields::FindField(const String& FieldName) const {
    for (TField* f : FList)
        if (AnsiCompareText(f->FieldName(), FieldName) == 0) return f;
    return nullptr;
}

TField* TFields::FieldByName(const String& FieldName) const {
    TField* f = FindField(FieldName);
    if (!f) DatabaseErrorFmt(SFieldNotFound, {FieldName}, FDataSet);
    return f;
}

TField* TFields::FieldByNumber(int FieldNo) const {
    for (TField* f : FList)
        if (f->FieldNo() == FieldNo) return f;
    return nullptr;
}

void TFields::GetFieldNames(std::vector<String>& List) const {
    for (TField* f : FList)
        List.push_back(f->FieldName());
}

void TFields::CheckFieldName(const String& FieldName) const {
    if (FieldName.isEmpty()) DatabaseError(SFieldNameMissing, FDataSet);
    if (FindField(FieldName)) DatabaseErrorFmt(SDuplicateFieldName, {FieldName}, FDataSet);
}

void TFields::CheckFieldNames(const String& FieldNames) const {
    for (const String& part : FieldNames.split(u';')) {
        const String n = Trim(part);
        if (!n.isEmpty()) FieldByName(n);
    }
}

void TFields::SetFieldIndex(TField* Field, int Value) {
    const int cur = IndexOf(Field);
    if (cur < 0) return;
    const int count = Count();
    if (Value < 0) Value = 0;
    if (Value >= count) Value = count - 1;
    if (Value == cur) return;
    FList.erase(FList.begin() + cur);
    FList.insert(FList.begin() + Value, Field);
    Field->PropertyChanged(true);
    Changed();
}

void TFields::Changed() {
    if (FDataSet && !FDataSet->ComponentState().Contains(csDestroying))
        FDataSet->DataEvent(deFieldListChange, 0);
    if (OnChange) OnChange(this);
}
