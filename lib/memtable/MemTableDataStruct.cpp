// Field structure, typed data fields and the auto-increment counter.
#include "lib/memtable/MemTableDataEh.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QUuid>

namespace {
String NewGUIDText() {
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}
[[noreturn]] void ListIndexError(int Index) {
    throw EListError(Format(QStringLiteral("List index out of bounds (%d)"), {Index}));
}
bool IsBinaryFieldType(TFieldType t) {
    switch (t) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet:
        return true;
    default:
        return false;
    }
}
const TVarType varByteArray = varArray | varByte;
} // namespace

// ---------------------------------------------------------------------------------------------
// TAutoIncrementEh

Integer TAutoIncrementEh::Promote() {
    const Integer v = FCurValue;
    FCurValue += FStep;
    return v;
}

void TAutoIncrementEh::SetInitValue(Integer Value) {
    if (FCurValue == FInitValue) FCurValue = Value;
    FInitValue = Value;
}

void TAutoIncrementEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TAutoIncrementEh*>(Source)) {
        FStep = s->FStep;
        SetInitValue(s->FInitValue);
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------------------------
// Variant types of columns

TVarType VarTypeForFieldType(TFieldType t) {
    switch (t) {
    case ftSmallint:
        return varSmallint;
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return varInteger;
    case ftBoolean:
        return varBoolean;
    case ftFloat:
    case ftExtended:
        return varDouble;
    case ftCurrency:
    case ftBCD:
        return varCurrency;
    case ftDate:
    case ftTime:
    case ftDateTime:
        return varDate;
    case ftWideString:
    case ftFixedWideChar:
    case ftWideMemo:
        return varOleStr;
    case ftLargeint:
        return varInt64;
    case ftVariant:
        return varVariant;
    case ftInterface:
        return varUnknown;
    case ftIDispatch:
        return varDispatch;
    case ftLongWord:
        return varLongWord;
    case ftShortint:
        return varShortInt;
    case ftByte:
        return varByte;
    // The variant has no SQL time-stamp or FMT-BCD kinds: dates and currency stand in.
    case ftTimeStamp:
    case ftOraTimeStamp:
        return varDate;
    case ftFMTBcd:
        return varCurrency;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
        return varByteArray;
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftOraClob:
    case ftGuid:
    case ftOraInterval:
        return varString;
    case ftUnknown:
    case ftCursor:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet:
    case ftConnection:
    case ftParams:
    case ftStream:
        return varError;
    default:
        return varEmpty;
    }
}

TMTDataFieldClassEh DefaultDataFieldClasses(TFieldType t) {
    switch (t) {
    case ftUnknown:
        return &DataFieldClassOf<TMTRefObjectFieldEh>;
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftGuid:
    case ftFixedWideChar:
    case ftOraInterval:
        return &DataFieldClassOf<TMTStringDataFieldEh>;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftFMTBcd:
    case ftLongWord:
    case ftShortint:
    case ftByte:
    case ftExtended:
        return &DataFieldClassOf<TMTNumericDataFieldEh>;
    case ftBoolean:
        return &DataFieldClassOf<TMTBooleanDataFieldEh>;
    case ftDate:
    case ftTime:
    case ftDateTime:
        return &DataFieldClassOf<TMTDateTimeDataFieldEh>;
    case ftBytes:
    case ftVarBytes:
    case ftVariant:
        return &DataFieldClassOf<TMTVariantDataFieldEh>;
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
    case ftWideMemo:
        return &DataFieldClassOf<TMTBlobDataFieldEh>;
    case ftInterface:
    case ftIDispatch:
        return &DataFieldClassOf<TMTInterfaceDataFieldEh>;
    case ftTimeStamp:
    case ftOraTimeStamp:
        return &DataFieldClassOf<TMTSQLTimeStampDataFieldEh>;
    default:
        return nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// TMTDataFieldEh

TMTDataFieldEh::TMTDataFieldEh(TComponent* AOwner) : TComponent(AOwner), FGUID(NewGUIDText()) {}

TMTDataFieldEh::~TMTDataFieldEh() {
    // Freed by its owner or directly: it leaves the structure's list either way.
    if (FDataStruct) {
        auto& l = FDataStruct->FList;
        l.erase(std::remove(l.begin(), l.end(), this), l.end());
        FDataStruct = nullptr;
    }
}

void TMTDataFieldEh::AfterConstruction() {
    TComponent::AfterConstruction();
    RefreshVarDataType();
}

TVarType TMTDataFieldEh::GetVarDataType() const {
    return VarTypeForFieldType(GetDataType());
}

void TMTDataFieldEh::AssignDataType(TFieldType) {
    throw Exception(QStringLiteral("Can't assign DataType from Field"));
}

void TMTDataFieldEh::Changed() {
    if (FDataStruct && FDataStruct->FUpdateCount == 0) FDataStruct->StructChanged();
}

void TMTDataFieldEh::SetAlignment(TAlignment Value) {
    SetProp(FAlignment, Value);
}
void TMTDataFieldEh::SetAutoIncrement(bool Value) {
    SetProp(FAutoIncrement, Value);
}
void TMTDataFieldEh::SetDefaultExpression(const String& Value) {
    SetProp(FDefaultExpression, Value);
}
void TMTDataFieldEh::SetDisplayLabel(const String& Value) {
    SetProp(FDisplayLabel, Value);
}
void TMTDataFieldEh::SetDisplayWidth(int Value) {
    SetProp(FDisplayWidth, Value);
}
void TMTDataFieldEh::SetEditMask(const String& Value) {
    SetProp(FEditMask, Value);
}
void TMTDataFieldEh::SetReadOnly(bool Value) {
    SetProp(FReadOnly, Value);
}
void TMTDataFieldEh::SetRequired(bool Value) {
    SetProp(FRequired, Value);
}
void TMTDataFieldEh::SetVisible(bool Value) {
    SetProp(FVisible, Value);
}

void TMTDataFieldEh::SetSize(int Value) {
    if (Value == FSize) return;
    if (!CanDinaSize()) DatabaseError(QStringLiteral("Invalid field size"));
    FSize = Value;
    Changed();
}

int TMTDataFieldEh::Index() const {
    if (!FDataStruct) return -1;
    const auto& l = FDataStruct->FList;
    for (size_t i = 0; i < l.size(); ++i)
        if (l[i] == this) return int(i);
    return -1;
}

void TMTDataFieldEh::SetIndex(int Value) {
    if (!FDataStruct) return;
    FDataStruct->MoveField(this, Value);
}

String TMTDataFieldEh::UniqueComponentName(const String& FieldName) const {
    auto clean = [](const String& s) {
        String r;
        for (QChar c : s) {
            const ushort u = c.unicode();
            // Characters outside ASCII are dropped (the lead-byte rule of multi-byte code pages).
            if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_')
                r += c;
        }
        return r;
    };
    String base = clean(FieldName);
    if (base.isEmpty() || base[0].isDigit()) {
        String cls = ClassName();
        if (cls.isEmpty()) cls = QStringLiteral("Field");
        if (cls.startsWith(QLatin1Char('T'))) cls = cls.mid(1);
        base = clean(cls + base);
    }
    const TMTDataStructEh* ds = dynamic_cast<TMTDataStructEh*>(Owner());
    if (!ds) ds = FDataStruct;
    // The field's own name is not taken: renaming "Phone" keeps its component "Phone", so that
    // a later field's component "Phone2" from the same stream does not clash.
    auto taken = [&](const String& n) {
        if (!ds) return false;
        for (int i = 0; i < ds->ComponentCount(); ++i) {
            auto* f = dynamic_cast<TMTDataFieldEh*>(ds->Components(i));
            if (f && f != this && f->Name().compare(n, Qt::CaseInsensitive) == 0) return true;
        }
        for (int i = 0; i < ds->Count(); ++i) {
            const TMTDataFieldEh* f = ds->DataFields(i);
            if (f != this && f->Name().compare(n, Qt::CaseInsensitive) == 0) return true;
        }
        return false;
    };
    String name = base;
    for (int i = 2; taken(name); ++i)
        name = base + QString::number(i);
    return name;
}

void TMTDataFieldEh::SetFieldName(const String& Value) {
    if (Value == FFieldName) return;
    if (FDataStruct && FDataStruct->MemTableData()) FDataStruct->MemTableData()->FieldRenaming(this, Value);
    if (FDataStruct && Value.compare(FFieldName, Qt::CaseInsensitive) != 0)
        FDataStruct->CheckFieldName(Value);
    const String compName = UniqueComponentName(Value);
    FFieldName = Value;
    SetName(compName);
    Changed();
}

Variant TMTDataFieldEh::ConvertValue(const Variant& Value) const {
    if (Value.IsNull()) return Value;
    const TVarType t = FVarDataType;
    switch (t) {
    case varVariant:
    case varEmpty:
    case varError:
    case varUnknown:
    case varDispatch:
        return Value;
    case varObject:
        return Value.VType() == varObject ? Value : Variant::FromObject(Value.AsObject());
    case varByteArray:
        if (Value.VType() == varByteArray) return Value;
        return VarFromBytes(VarToByteArray(Value));
    case varString:
        if (Value.VType() == varByteArray) return Variant(VarToByteArray(Value));
        break;
    default:
        break;
    }
    if (Value.VType() == t) return Value;
    return VarAsType(Value, t);
}

void TMTDataFieldEh::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TMTDataFieldEh*>(Source);
    if (!s) {
        TComponent::Assign(Source);
        return;
    }
    SetFieldName(s->FFieldName);
    if (CanDinaSize() && s->CanDinaSize()) SetSize(s->FSize);
    SetAlignment(s->FAlignment);
    SetDefaultExpression(s->FDefaultExpression);
    SetDisplayLabel(s->FDisplayLabel);
    SetDisplayWidth(s->DisplayWidth());
    SetEditMask(s->FEditMask);
    SetRequired(s->FRequired);
    SetVisible(s->FVisible);
    SetAutoIncrement(s->FAutoIncrement);
}

void TMTDataFieldEh::AssignProps(TField* Field) {
    SetAlignment(Field->Alignment());
    SetDefaultExpression(Field->DefaultExpression());
    SetDisplayLabel(Field->DisplayLabel());
    SetDisplayWidth(Field->DisplayWidth());
    SetEditMask(Field->EditMask());
    SetRequired(Field->Required());
    if (Field->AutoGenerateValue() == arAutoInc) SetAutoIncrement(true);
    if (CanDinaSize()) SetSize(Field->Size());
    SetVisible(Field->Visible());
}

void TMTDataFieldEh::AssignPropsTo(TField* Field) {
    Field->SetAlignment(FAlignment);
    Field->SetDefaultExpression(FDefaultExpression);
    Field->SetDisplayLabel(FDisplayLabel);
    Field->SetDisplayWidth(DisplayWidth());
    Field->SetEditMask(FEditMask);
    Field->SetRequired(FRequired);
    if (FAutoIncrement) Field->SetAutoGenerateValue(arAutoInc);
    if (CanDinaSize()) Field->SetSize(FSize);
    Field->SetVisible(FVisible);
}

TComponent* TMTDataFieldEh::GetParentComponent() const {
    return FDataStruct;
}

void TMTDataFieldEh::SetParentComponent(TComponent* Value) {
    if (!ComponentState().Contains(csLoading)) FDataStruct = dynamic_cast<TMTDataStructEh*>(Value);
}

void TMTDataFieldEh::ReadState(TReader* Reader) {
    // Joins the structure the reader reports as parent before the properties are read.
    if (auto* ds = dynamic_cast<TMTDataStructEh*>(Reader->Parent()))
        if (!FDataStruct) ds->InsertField(this);
    TComponent::ReadState(Reader);
    RefreshVarDataType();
}

void TMTDataFieldEh::WriteDataToWriter(const Variant& Value, TWriter* Writer) {
    if (IsBinaryFieldType(DataType())) {
        QByteArray bytes;
        if (!Value.IsNull()) {
            if (Value.VType() != varByteArray && Value.VType() != varString)
                throw EWriteError(QStringLiteral("Invalid property value"));
            bytes = VarToByteArray(Value);
        }
        Writer->WriteValue(vaBinary);
        const int32_t n = int32_t(bytes.size());
        uint8_t len[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
        Writer->Write(len, 4);
        if (n) Writer->Write(bytes.constData(), n);
        return;
    }
    if (Value.IsNull()) {
        Writer->WriteValue(vaNil);
        return;
    }
    if (Value.IsEmpty())
        throw Exception(QStringLiteral("\"TMemoryRecordEh.WriteData\" - Invalid variant type - varEmpty"));
    Writer->WriteVariant(Value);
}

void TMTDataFieldEh::ReadDataFromReader(Variant& Value, TReader* Reader) {
    if (IsBinaryFieldType(DataType())) {
        if (Reader->NextValue() != vaBinary) {
            Reader->SkipValue();
            throw EReadError(QStringLiteral("Invalid property value"));
        }
        Reader->ReadValue();
        uint8_t len[4];
        Reader->Read(len, 4);
        const uint32_t n =
            uint32_t(len[0]) | uint32_t(len[1]) << 8 | uint32_t(len[2]) << 16 | uint32_t(len[3]) << 24;
        // A corrupted length must not make us allocate more than the stream can hold.
        if (Int64(n) > Reader->Stream()->Size() - Reader->Position())
            throw EReadError(QStringLiteral("Stream read error"));
        QByteArray bytes(int(n), Qt::Uninitialized);
        if (n) Reader->Read(bytes.data(), int(n));
        Value = FVarDataType == varString ? Variant(bytes) : VarFromBytes(bytes);
        return;
    }
    if (Reader->NextValue() == vaNil) {
        Reader->ReadValue();
        Value = Null();
        return;
    }
    Variant v = Reader->ReadVariant();
    Value = v.IsNull() ? v : ConvertValue(v);
}

// ---------------------------------------------------------------------------------------------
// Typed fields

#define KVT_CANNOT_ASSIGN throw Exception(QStringLiteral("Can not assign DataType from Field"))

TMTStringDataFieldEh::TMTStringDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner) {
    if (FSize == 0) FSize = 20;
}

TFieldType TMTStringDataFieldEh::GetDataType() const {
    static const TFieldType map[] = {ftString, ftFixedChar,     ftWideString,
                                     ftGuid,   ftFixedWideChar, ftOraInterval};
    return map[FStringDataType];
}

void TMTStringDataFieldEh::SetStringDataType(TStringDataFieldTypesEh Value) {
    if (Value == FStringDataType) return;
    FStringDataType = Value;
    RefreshVarDataType();
    Changed();
}

void TMTStringDataFieldEh::AssignDataType(TFieldType t) {
    switch (t) {
    case ftString:
        SetStringDataType(fdtStringEh);
        break;
    case ftFixedChar:
        SetStringDataType(fdtFixedCharEh);
        break;
    case ftWideString:
        SetStringDataType(fdtWideStringEh);
        break;
    case ftGuid:
        SetStringDataType(fdtGuidEh);
        break;
    case ftFixedWideChar:
        SetStringDataType(fdtFixedWideCharEh);
        break;
    case ftOraInterval:
        SetStringDataType(fdtOraIntervalEh);
        break;
    default:
        KVT_CANNOT_ASSIGN;
    }
    RefreshVarDataType();
}

void TMTStringDataFieldEh::AssignProps(TField* Field) {
    TMTDataFieldEh::AssignProps(Field);
    if (auto* f = dynamic_cast<TStringField*>(Field)) {
        SetFixedChar(f->FixedChar());
        SetTransliterate(f->Transliterate());
    }
}

void TMTStringDataFieldEh::AssignPropsTo(TField* Field) {
    TMTDataFieldEh::AssignPropsTo(Field);
    if (auto* f = dynamic_cast<TStringField*>(Field)) {
        f->SetFixedChar(FFixedChar);
        f->SetTransliterate(FTransliterate);
    }
}

void TMTStringDataFieldEh::Assign(TPersistent* Source) {
    TMTDataFieldEh::Assign(Source);
    if (auto* s = dynamic_cast<TMTStringDataFieldEh*>(Source)) {
        SetStringDataType(s->FStringDataType);
        SetFixedChar(s->FFixedChar);
        SetTransliterate(s->FTransliterate);
    }
}

TMTNumericDataFieldEh::TMTNumericDataFieldEh(TComponent* AOwner) : TMTDataFieldEh(AOwner) {
    FAlignment = taRightJustify;
}

TFieldType TMTNumericDataFieldEh::GetDataType() const {
    static const TFieldType map[] = {ftSmallint, ftInteger, ftWord,     ftFloat,  ftCurrency,
                                     ftBCD,      ftAutoInc, ftLargeint, ftFMTBcd, ftLongWord,
                                     ftShortint, ftByte,    ftExtended};
    return map[FNumericDataType];
}

int TMTNumericDataFieldEh::GetDefaultWidth() const {
    if (FNumericDataType == fdtLargeintEh) return 15;
    if ((FNumericDataType == fdtBCDEh || FNumericDataType == fdtFMTBcdEh) && FPrecision > 0)
        return FPrecision + 1;
    return 10;
}

void TMTNumericDataFieldEh::SetNumericDataType(TNumericDataFieldTypesEh Value) {
    if (Value == FNumericDataType) return;
    FNumericDataType = Value;
    RefreshVarDataType();
    Changed();
}

void TMTNumericDataFieldEh::AssignDataType(TFieldType t) {
    static const TFieldType map[] = {ftSmallint, ftInteger, ftWord,     ftFloat,  ftCurrency,
                                     ftBCD,      ftAutoInc, ftLargeint, ftFMTBcd, ftLongWord,
                                     ftShortint, ftByte,    ftExtended};
    for (int i = 0; i < int(std::size(map)); ++i)
        if (map[i] == t) {
            SetNumericDataType(TNumericDataFieldTypesEh(i));
            RefreshVarDataType();
            return;
        }
    KVT_CANNOT_ASSIGN;
}

void TMTNumericDataFieldEh::AssignProps(TField* Field) {
    TMTDataFieldEh::AssignProps(Field);
    auto* nf = dynamic_cast<TNumericField*>(Field);
    if (!nf) return;
    SetDisplayFormat(nf->DisplayFormat());
    SetEditFormat(nf->EditFormat());
    if (auto* f = dynamic_cast<TLargeintField*>(Field)) {
        SetMaxValue(double(f->MaxValue()));
        SetMinValue(double(f->MinValue()));
    } else if (auto* f = dynamic_cast<TIntegerField*>(Field)) {
        SetMaxValue(f->MaxValue());
        SetMinValue(f->MinValue());
    } else if (auto* f = dynamic_cast<TFloatField*>(Field)) {
        SetCurrency(f->currency());
        SetMaxValue(f->MaxValue());
        SetMinValue(f->MinValue());
        SetPrecision(f->Precision());
    } else if (auto* f = dynamic_cast<TBCDField*>(Field)) {
        SetCurrency(f->currency());
        SetMaxValue(f->MaxValue().ToDouble());
        SetMinValue(f->MinValue().ToDouble());
        SetPrecision(f->Precision());
        SetScale(f->Size());
    } else if (auto* f = dynamic_cast<TFMTBCDField*>(Field)) {
        SetCurrency(f->currency());
        SetPrecision(f->Precision());
        SetScale(f->Size());
    }
}

void TMTNumericDataFieldEh::AssignPropsTo(TField* Field) {
    TMTDataFieldEh::AssignPropsTo(Field);
    auto* nf = dynamic_cast<TNumericField*>(Field);
    if (!nf) return;
    nf->SetDisplayFormat(FDisplayFormat);
    nf->SetEditFormat(FEditFormat);
    if (auto* f = dynamic_cast<TLargeintField*>(Field)) {
        f->SetMaxValue(Int64(std::llround(FMaxValue)));
        f->SetMinValue(Int64(std::llround(FMinValue)));
    } else if (auto* f = dynamic_cast<TIntegerField*>(Field)) {
        f->SetMaxValue(int(std::lround(FMaxValue)));
        f->SetMinValue(int(std::lround(FMinValue)));
    } else if (auto* f = dynamic_cast<TFloatField*>(Field)) {
        f->SetCurrency(FCurrency);
        f->SetMaxValue(FMaxValue);
        f->SetMinValue(FMinValue);
        f->SetPrecision(FPrecision);
    } else if (auto* f = dynamic_cast<TBCDField*>(Field)) {
        f->SetCurrency(FCurrency);
        f->SetMaxValue(Currency(FMaxValue));
        f->SetMinValue(Currency(FMinValue));
        f->SetPrecision(FPrecision);
    } else if (auto* f = dynamic_cast<TFMTBCDField*>(Field)) {
        f->SetCurrency(FCurrency);
        f->SetPrecision(FPrecision);
    }
}

void TMTNumericDataFieldEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TMTNumericDataFieldEh*>(Source)) SetNumericDataType(s->FNumericDataType);
    TMTDataFieldEh::Assign(Source);
    if (auto* s = dynamic_cast<TMTNumericDataFieldEh*>(Source)) {
        SetDisplayFormat(s->FDisplayFormat);
        SetEditFormat(s->FEditFormat);
        SetCurrency(s->FCurrency);
        SetMaxValue(s->FMaxValue);
        SetMinValue(s->FMinValue);
        SetPrecision(s->FPrecision);
    }
}

TFieldType TMTDateTimeDataFieldEh::GetDataType() const {
    static const TFieldType map[] = {ftDate, ftTime, ftDateTime};
    return map[FDateTimeDataType];
}

void TMTDateTimeDataFieldEh::SetDateTimeDataType(TDateTimeDataFieldTypesEh Value) {
    if (Value == FDateTimeDataType) return;
    FDateTimeDataType = Value;
    RefreshVarDataType();
    Changed();
}

void TMTDateTimeDataFieldEh::AssignDataType(TFieldType t) {
    if (t == ftDate)
        SetDateTimeDataType(fdtDateEh);
    else if (t == ftTime)
        SetDateTimeDataType(fdtTimeEh);
    else if (t == ftDateTime)
        SetDateTimeDataType(fdtDateTimeEh);
    else
        KVT_CANNOT_ASSIGN;
    RefreshVarDataType();
}

void TMTDateTimeDataFieldEh::AssignProps(TField* Field) {
    TMTDataFieldEh::AssignProps(Field);
    if (auto* f = dynamic_cast<TDateTimeField*>(Field)) SetDisplayFormat(f->DisplayFormat());
}

void TMTDateTimeDataFieldEh::AssignPropsTo(TField* Field) {
    TMTDataFieldEh::AssignPropsTo(Field);
    if (auto* f = dynamic_cast<TDateTimeField*>(Field)) f->SetDisplayFormat(FDisplayFormat);
}

void TMTDateTimeDataFieldEh::Assign(TPersistent* Source) {
    TMTDataFieldEh::Assign(Source);
    if (auto* s = dynamic_cast<TMTDateTimeDataFieldEh*>(Source)) {
        SetDateTimeDataType(s->FDateTimeDataType);
        SetDisplayFormat(s->FDisplayFormat);
    }
}

void TMTBlobDataFieldEh::SetBlobType(TBlobType Value) {
    if (Value == FBlobType) return;
    FBlobType = Value;
    RefreshVarDataType();
    Changed();
}

void TMTBlobDataFieldEh::AssignDataType(TFieldType t) {
    if (t >= ftBlob && t <= ftWideMemo) SetBlobType(t);
    RefreshVarDataType();
}

void TMTBlobDataFieldEh::AssignProps(TField* Field) {
    TMTDataFieldEh::AssignProps(Field);
    if (auto* f = dynamic_cast<TBlobField*>(Field)) {
        SetBlobType(f->BlobType());
        SetGraphicHeader(f->GraphicHeader());
        SetTransliterate(f->Transliterate());
    }
}

void TMTBlobDataFieldEh::AssignPropsTo(TField* Field) {
    TMTDataFieldEh::AssignPropsTo(Field);
    if (auto* f = dynamic_cast<TBlobField*>(Field)) {
        f->SetBlobType(FBlobType);
        f->SetGraphicHeader(FGraphicHeader);
        f->SetTransliterate(FTransliterate);
    }
}

void TMTBlobDataFieldEh::Assign(TPersistent* Source) {
    TMTDataFieldEh::Assign(Source);
    if (auto* s = dynamic_cast<TMTBlobDataFieldEh*>(Source)) {
        SetBlobType(s->FBlobType);
        SetGraphicHeader(s->FGraphicHeader);
        SetTransliterate(s->FTransliterate);
    }
}

void TMTBooleanDataFieldEh::AssignDataType(TFieldType t) {
    if (t != ftBoolean) KVT_CANNOT_ASSIGN;
    RefreshVarDataType();
}

void TMTBooleanDataFieldEh::AssignProps(TField* Field) {
    TMTDataFieldEh::AssignProps(Field);
    if (auto* f = dynamic_cast<TBooleanField*>(Field)) SetDisplayValues(f->DisplayValues());
}

void TMTBooleanDataFieldEh::AssignPropsTo(TField* Field) {
    TMTDataFieldEh::AssignPropsTo(Field);
    if (auto* f = dynamic_cast<TBooleanField*>(Field)) f->SetDisplayValues(FDisplayValues);
}

void TMTBooleanDataFieldEh::Assign(TPersistent* Source) {
    TMTDataFieldEh::Assign(Source);
    if (auto* s = dynamic_cast<TMTBooleanDataFieldEh*>(Source)) SetDisplayValues(s->FDisplayValues);
}

void TMTInterfaceDataFieldEh::SetInterfaceDataType(TInterfaceDataFieldTypesEh Value) {
    if (Value == FInterfaceDataType) return;
    FInterfaceDataType = Value;
    RefreshVarDataType();
    Changed();
}

void TMTInterfaceDataFieldEh::AssignDataType(TFieldType t) {
    if (t == ftInterface)
        FInterfaceDataType = fdtInterfaceEh;
    else if (t == ftIDispatch)
        FInterfaceDataType = fdtIDispatchEh;
    else
        KVT_CANNOT_ASSIGN;
    RefreshVarDataType(); // always refreshed, so the cached type never goes stale
}

TFieldType TMTVariantDataFieldEh::GetDataType() const {
    static const TFieldType map[] = {ftVariant, ftBytes, ftVarBytes};
    return map[FVariantDataType];
}

void TMTVariantDataFieldEh::SetVariantDataType(TVariantDataFieldTypesEh Value) {
    if (Value == FVariantDataType) return;
    FVariantDataType = Value;
    RefreshVarDataType();
    Changed();
}

void TMTVariantDataFieldEh::AssignDataType(TFieldType t) {
    if (t == ftVariant)
        FVariantDataType = fdtVariant;
    else if (t == ftBytes)
        FVariantDataType = fdtBytes;
    else if (t == ftVarBytes)
        FVariantDataType = fdtVarBytes;
    else
        KVT_CANNOT_ASSIGN;
    RefreshVarDataType();
}

void TMTRefObjectFieldEh::AssignDataType(TFieldType t) {
    if (t != ftUnknown) KVT_CANNOT_ASSIGN;
}

void TMTSQLTimeStampDataFieldEh::SetSQLTimeStampDataFieldType(TSQLTimeStampDataFieldTypesEh Value) {
    if (Value == FSQLTimeStampDataFieldType) return;
    FSQLTimeStampDataFieldType = Value;
    RefreshVarDataType();
    Changed();
}

void TMTSQLTimeStampDataFieldEh::AssignDataType(TFieldType t) {
    if (t == ftTimeStamp)
        SetSQLTimeStampDataFieldType(fdtTimeStampEh);
    else if (t == ftOraTimeStamp)
        SetSQLTimeStampDataFieldType(fdtOraTimeStampEh);
    else
        KVT_CANNOT_ASSIGN;
    RefreshVarDataType();
}

void TMTSQLTimeStampDataFieldEh::AssignProps(TField* Field) {
    TMTDataFieldEh::AssignProps(Field);
    if (auto* f = dynamic_cast<TSQLTimeStampField*>(Field)) SetDisplayFormat(f->DisplayFormat());
}

void TMTSQLTimeStampDataFieldEh::AssignPropsTo(TField* Field) {
    TMTDataFieldEh::AssignPropsTo(Field);
    if (auto* f = dynamic_cast<TSQLTimeStampField*>(Field)) f->SetDisplayFormat(FDisplayFormat);
}

void TMTSQLTimeStampDataFieldEh::Assign(TPersistent* Source) {
    TMTDataFieldEh::Assign(Source);
    if (auto* s = dynamic_cast<TMTSQLTimeStampDataFieldEh*>(Source)) {
        SetSQLTimeStampDataFieldType(s->FSQLTimeStampDataFieldType);
        SetDisplayFormat(s->FDisplayFormat);
    }
}

// ---------------------------------------------------------------------------------------------
// TMTDataStructEh

TMTDataStructEh::TMTDataStructEh(TMemTableDataEh* AMemTableData)
    : TComponent(AMemTableData), FMemTableData(AMemTableData) {}

TMTDataStructEh::~TMTDataStructEh() {
    FUpdateCount++;
    FClearing = true;
    while (!FList.empty())
        delete FList.back();
}

TMTDataFieldEh* TMTDataStructEh::DataFields(int Index) const {
    if (Index < 0 || Index >= Count()) ListIndexError(Index);
    return FList[size_t(Index)];
}

void TMTDataStructEh::Clear() {
    while (!FList.empty())
        delete FList.back();
    if (FUpdateCount == 0) StructChanged();
}

TMTDataFieldEh* TMTDataStructEh::CreateField(TMTDataFieldClassEh FieldClass) {
    TMTDataFieldEh* f = FieldClass(this);
    f->FFieldId = FNextFieldId++;
    InsertField(f);
    return f;
}

void TMTDataStructEh::InsertField(TMTDataFieldEh* Field) {
    FList.push_back(Field);
    Field->FDataStruct = this;
    if (FUpdateCount == 0) StructChanged();
}

bool TMTDataStructEh::HasRecords() const {
    return FMemTableData && FMemTableData->DataStruct() == this && FMemTableData->RecordsList() &&
           FMemTableData->RecordsList()->Count() > 0;
}

void TMTDataStructEh::RemoveField(TMTDataFieldEh* Field) {
    if (!Field || Field->FDataStruct != this) return;
    // Record values are positional: taking a column out from under them would shift them.
    if (!FChangingType && HasRecords())
        DatabaseError(QStringLiteral("Cannot remove a field while the table has records"), this);
    auto it = std::find(FList.begin(), FList.end(), Field);
    if (it == FList.end()) return;
    FList.erase(it);
    Field->FDataStruct = nullptr;
    if (Field->Owner() == this) RemoveComponent(Field);
    if (FUpdateCount == 0) StructChanged();
}

void TMTDataStructEh::MoveField(TMTDataFieldEh* Field, int NewIndex) {
    const int cur = Field->Index();
    if (cur < 0 || NewIndex == cur) return;
    if (HasRecords()) DatabaseError(QStringLiteral("Cannot move a field while the table has records"), this);
    NewIndex = std::clamp(NewIndex, 0, Count() - 1);
    FList.erase(FList.begin() + cur);
    FList.insert(FList.begin() + NewIndex, Field);
    StructChanged();
}

TMTDataFieldEh* TMTDataStructEh::FindField(const String& FieldName) const {
    for (TMTDataFieldEh* f : FList)
        if (AnsiCompareText(f->FieldName(), FieldName) == 0) return f;
    return nullptr;
}

TMTDataFieldEh* TMTDataStructEh::FindFieldByGIUD(const String& GUID) const {
    for (TMTDataFieldEh* f : FList)
        if (f->GUID() == GUID) return f;
    return nullptr;
}

TMTDataFieldEh* TMTDataStructEh::FieldByName(const String& FieldName) const {
    TMTDataFieldEh* f = FindField(FieldName);
    if (!f)
        DatabaseErrorFmt(QStringLiteral("Field '%s' not found"), {FieldName},
                         const_cast<TMTDataStructEh*>(this));
    return f;
}

int TMTDataStructEh::FieldIndex(const String& FieldName) const {
    for (size_t i = 0; i < FList.size(); ++i)
        if (CompareText(FList[i]->FieldName(), FieldName) == 0) return int(i);
    return -1;
}

void TMTDataStructEh::GetFieldList(std::vector<TMTDataFieldEh*>* List, const String& FieldNames) const {
    for (const String& n : SplitFieldNames(FieldNames)) {
        TMTDataFieldEh* f = FieldByName(n);
        if (List) List->push_back(f);
    }
}

void TMTDataStructEh::FieldsIndex(const String& FieldNames, std::vector<int>& Indexes) const {
    if (FieldNames.contains(QLatin1Char(';'))) {
        std::vector<TMTDataFieldEh*> fields;
        GetFieldList(&fields, FieldNames);
        Indexes.clear();
        for (TMTDataFieldEh* f : fields)
            Indexes.push_back(f->Index());
        return;
    }
    const int i = FieldIndex(FieldNames.trimmed());
    if (i >= 0) Indexes.assign(1, i);
}

void TMTDataStructEh::CheckFieldName(const String& FieldName) const {
    TComponent* errComp =
        FMemTableData ? static_cast<TComponent*>(FMemTableData) : const_cast<TMTDataStructEh*>(this);
    if (FieldName.isEmpty()) DatabaseError(QStringLiteral("Field name missing"), errComp);
    if (FindField(FieldName))
        DatabaseErrorFmt(QStringLiteral("Duplicate field name '%s'"), {FieldName}, errComp);
}

void TMTDataStructEh::ChangeFieldType(const String& FieldName, TMTDataFieldClassEh FieldClass) {
    TMTDataFieldEh* oldField = FieldByName(FieldName);
    const int pos = oldField->Index();
    BeginUpdate();
    try {
        TMTDataFieldEh* newField = CreateField(FieldClass);
        FList.pop_back();
        FList.insert(FList.begin() + pos, newField);
        // The new column takes the old one's place, so the values stay where they are.
        FChangingType = true;
        RemoveField(oldField);
        FChangingType = false;
        // Renaming checks for duplicates; the old field has left the structure already.
        newField->Assign(oldField);
        if (oldField->DefaultAlignment() != newField->DefaultAlignment())
            newField->SetAlignment(newField->DefaultAlignment());
        newField->SetGUID(oldField->GUID());
        delete oldField;
        newField->SetFieldName(FieldName);
    } catch (...) {
        FChangingType = false;
        EndUpdate(true);
        throw;
    }
    EndUpdate(true);
}

void TMTDataStructEh::BuildStructFromFieldDefs(TFieldDefs* FieldDefs) {
    // Every type is checked before the table is destroyed.
    for (int i = 0; i < FieldDefs->Count(); ++i)
        if (!DefaultDataFieldClasses(FieldDefs->Items(i)->DataType()))
            DatabaseErrorFmt(QStringLiteral("Unsupported field type: %s"),
                             {FieldTypeName(FieldDefs->Items(i)->DataType())}, this);
    if (FMemTableData) FMemTableData->DestroyTable();
    BeginUpdate();
    try {
        for (int i = 0; i < FieldDefs->Count(); ++i) {
            TFieldDef* def = FieldDefs->Items(i);
            TMTDataFieldEh* f = CreateField(DefaultDataFieldClasses(def->DataType()));
            f->AssignDataType(def->DataType());
            f->SetFieldName(def->Name());
            f->SetRequired(def->Required());
            if (auto* nf = dynamic_cast<TMTNumericDataFieldEh*>(f))
                if (def->Precision() != 0) nf->SetPrecision(def->Precision());
            if (f->CanDinaSize()) f->FSize = def->Size();
        }
    } catch (...) {
        EndUpdate(true);
        throw;
    }
    EndUpdate(true);
}

TMTDataFieldEh* TMTDataStructEh::BuildAndCopyDataFieldForField(TField* AField) {
    TMTDataFieldClassEh cls = DefaultDataFieldClasses(AField->DataType());
    if (!cls)
        DatabaseErrorFmt(QStringLiteral("Unsupported field type: %s"), {FieldTypeName(AField->DataType())},
                         this);
    TMTDataFieldEh* f = CreateField(cls);
    f->AssignDataType(AField->DataType());
    f->SetFieldName(AField->FieldName());
    f->AssignProps(AField);
    return f;
}

void TMTDataStructEh::BuildStructFromFields(TFields* Fields) {
    for (int i = 0; i < Fields->Count(); ++i) {
        TField* fld = Fields->Fields(i);
        if ((fld->FieldKind() == fkData || fld->FieldKind() == fkInternalCalc) &&
            !DefaultDataFieldClasses(fld->DataType()))
            DatabaseErrorFmt(QStringLiteral("Unsupported field type: %s"), {FieldTypeName(fld->DataType())},
                             this);
    }
    if (FMemTableData) FMemTableData->DestroyTable();
    BeginUpdate();
    try {
        for (int i = 0; i < Fields->Count(); ++i) {
            TField* fld = Fields->Fields(i);
            if (fld->FieldKind() == fkData || fld->FieldKind() == fkInternalCalc)
                BuildAndCopyDataFieldForField(fld);
        }
    } catch (...) {
        EndUpdate(true);
        throw;
    }
    EndUpdate(true);
}

void TMTDataStructEh::BuildFieldDefsFromStruct(TFieldDefs* FieldDefs) const {
    FieldDefs->BeginUpdate();
    try {
        FieldDefs->Clear();
        for (TMTDataFieldEh* f : FList) {
            TFieldDef* def = FieldDefs->Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
            if (auto* nf = dynamic_cast<TMTNumericDataFieldEh*>(f)) def->SetPrecision(nf->Precision());
        }
    } catch (...) {
        FieldDefs->EndUpdate();
        throw;
    }
    FieldDefs->EndUpdate();
}

namespace {
bool IsStringClass(const TMTDataFieldEh* f) {
    return dynamic_cast<const TMTStringDataFieldEh*>(f) != nullptr;
}
Variant ConvertForColumn(const Variant& Value, const TMTDataFieldEh* OldField,
                         const TMTDataFieldEh* NewField) {
    Variant v;
    try {
        v = NewField->ConvertValue(Value);
    } catch (const EVariantTypeCastError&) {
        return Null();
    }
    if (v.IsNull()) return v;
    if (IsStringClass(NewField) && (!IsStringClass(OldField) || NewField->Size() < OldField->Size())) {
        if (v.VType() == varString)
            v = Variant(VariantAccess::Ansi(v).left(NewField->Size()));
        else if (v.VType() == varOleStr)
            v = Variant::FromOleStr(v.AsString().left(NewField->Size()));
        else if (v.VType() == varUString)
            v = Variant(v.AsString().left(NewField->Size()));
    }
    return v;
}
// The converted value of one column; the new field is a detached copy that knows its own
// variant type.
TRecDataValues ConvertValues(const TRecDataValues& Values, const std::vector<int>& Map,
                             const std::vector<const TMTDataFieldEh*>& OldFields,
                             const TMTDataStructEh* Source) {
    TRecDataValues out(size_t(Source->Count()), Null());
    for (int i = 0; i < Source->Count(); ++i) {
        const int oldPos = Map[size_t(i)];
        if (oldPos < 0) continue;
        const Variant cur = size_t(oldPos) < Values.size() ? Values[size_t(oldPos)] : Null();
        out[size_t(i)] = ConvertForColumn(cur, OldFields[size_t(oldPos)], Source->DataFields(i));
    }
    return out;
}
} // namespace

void TMTDataStructEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TMTDataStructEh*>(Source);
    if (!src) {
        TComponent::Assign(Source);
        return;
    }
    AssignStructure(src, false, {});
}

void TMTDataStructEh::AssignByFieldNames(TMTDataStructEh* Source, const std::function<void()>& BeforeCommit) {
    AssignStructure(Source, true, BeforeCommit);
}

// The new fields are copies of Source's; each record's values are those of the field with the
// same identity (or name), converted to the new field's type.
void TMTDataStructEh::AssignStructure(TMTDataStructEh* src, bool ByName,
                                      const std::function<void()>& BeforeCommit) {
    // Every record is converted first and committed only when all converted, so a failing
    // conversion leaves records and structure as they were.
    TRecordsListEh* rl = FMemTableData ? FMemTableData->RecordsList() : nullptr;
    std::vector<TRecDataValues> newData, newOld;
    if (rl && rl->Count() > 0) {
        std::vector<int> map;
        for (int i = 0; i < src->Count(); ++i) {
            TMTDataFieldEh* cur = ByName ? FindField(src->DataFields(i)->FieldName())
                                         : FindFieldByGIUD(src->DataFields(i)->GUID());
            map.push_back(cur ? cur->Index() : -1);
        }
        std::vector<const TMTDataFieldEh*> oldFields(FList.begin(), FList.end());
        for (int r = 0; r < rl->Count(); ++r) {
            TMemoryRecordEh* rec = rl->Rec(r);
            newData.push_back(ConvertValues(rec->FData, map, oldFields, src));
            newOld.push_back(rec->FHasOldData ? ConvertValues(rec->OldValues(), map, oldFields, src)
                                              : TRecDataValues());
        }
    }
    if (BeforeCommit) BeforeCommit();
    BeginUpdate();
    try {
        Clear();
        for (int i = 0; i < src->Count(); ++i) {
            TMTDataFieldEh* s = src->DataFields(i);
            TMTDataFieldEh* f = CreateFieldOfClass(s->ClassType());
            f->Assign(s);
        }
        if (rl)
            for (int r = 0; r < rl->Count() && size_t(r) < newData.size(); ++r) {
                TMemoryRecordEh* rec = rl->Rec(r);
                rec->FData = std::move(newData[size_t(r)]);
                if (rec->FHasOldData) rec->Extra().OldData = std::move(newOld[size_t(r)]);
            }
    } catch (...) {
        EndUpdate(true);
        throw;
    }
    EndUpdate(true);
}

TMTDataFieldEh* TMTDataStructEh::CreateFieldOfClass(TClass FieldClass) {
    if (!FieldClass || !FieldClass->Factory)
        throw EClassNotFound(
            QStringLiteral("Class %1 not found").arg(FieldClass ? FieldClass->ClassName() : String()));
    TObject* o = FieldClass->Factory(this);
    auto* f = dynamic_cast<TMTDataFieldEh*>(o);
    if (!f) {
        delete o;
        throw EInvalidCast(QStringLiteral("Invalid class typecast"));
    }
    f->FFieldId = FNextFieldId++;
    InsertField(f);
    return f;
}

TMTDataStructEh* TMTDataStructEh::GetCopy() const {
    auto* copy = new TMTDataStructEh(nullptr);
    copy->BeginUpdate();
    for (TMTDataFieldEh* s : FList) {
        TMTDataFieldEh* f = copy->CreateFieldOfClass(s->ClassType());
        f->SetGUID(s->GUID());
        f->Assign(s);
    }
    copy->FUpdateCount = 0;
    copy->FStructChanged = false;
    return copy;
}

void TMTDataStructEh::EndRestructure(TMTDataStructEh* NewStrcuture, bool ApplyNewStrcuture) {
    std::unique_ptr<TMTDataStructEh> guard(NewStrcuture);
    if (ApplyNewStrcuture) Assign(NewStrcuture);
}

void TMTDataStructEh::EndUpdate(bool AStructChanged) {
    if (FUpdateCount > 0) --FUpdateCount;
    if (FUpdateCount == 0 && AStructChanged) StructChanged();
}

void TMTDataStructEh::StructChanged() {
    ++FVersion;
    if (FMemTableData)
        FMemTableData->StructChanged();
    else
        FStructChanged = true;
    if (OnStructChanged) OnStructChanged(this);
}

void TMTDataStructEh::GetChildren(TGetChildProc Proc, TComponent*) {
    for (TMTDataFieldEh* f : FList)
        Proc(f);
}

// ---------------------------------------------------------------------------------------------
// Stream classes and their published properties

KVT_ENUM_TYPE(TStringDataFieldTypesEh, fdtStringEh, fdtFixedCharEh, fdtWideStringEh, fdtGuidEh,
              fdtFixedWideCharEh, fdtOraIntervalEh)
KVT_ENUM_TYPE(TNumericDataFieldTypesEh, fdtSmallintEh, fdtIntegerEh, fdtWordEh, fdtFloatEh, fdtCurrencyEh,
              fdtBCDEh, fdtAutoIncEh, fdtLargeintEh, fdtFMTBcdEh, fdtLongWordEh, fdtShortintEh, fdtByteEh,
              fdtExtendedEh)
KVT_ENUM_TYPE(TDateTimeDataFieldTypesEh, fdtDateEh, fdtTimeEh, fdtDateTimeEh)
KVT_ENUM_TYPE(TInterfaceDataFieldTypesEh, fdtInterfaceEh, fdtIDispatchEh)
KVT_ENUM_TYPE(TVariantDataFieldTypesEh, fdtVariant, fdtBytes, fdtVarBytes)
KVT_ENUM_TYPE(TSQLTimeStampDataFieldTypesEh, fdtTimeStampEh, fdtOraTimeStampEh)

namespace {
PTypeInfo AlignmentTypeInfo() {
    return MakeEnumTypeInfo("TAlignment", "taLeftJustify, taRightJustify, taCenter");
}
PTypeInfo FieldTypeTypeInfo() {
    static const PTypeInfo ti = [] {
        static QByteArray names;
        for (int i = 0; i < FieldTypeCount; ++i) {
            if (i) names += ", ";
            names += "ft";
            names += FieldTypeNames[i];
        }
        return MakeEnumTypeInfo("TFieldType", names.constData());
    }();
    return ti;
}
} // namespace

namespace {
template <class C, class P> void Common(P& p, bool withEditMask = true, bool withDefaultExpr = true) {
    p.Typed("Alignment", AlignmentTypeInfo(), &C::Alignment, &C::SetAlignment).Default(taLeftJustify);
    if (withDefaultExpr) p.Prop("DefaultExpression", &C::DefaultExpression, &C::SetDefaultExpression);
    p.Prop("DisplayLabel", &C::DisplayLabel, &C::SetDisplayLabel);
    p.Prop("DisplayWidth", &C::DisplayWidth, &C::SetDisplayWidth).Stored(&C::DisplayWidthStored);
    if (withEditMask) p.Prop("EditMask", &C::EditMask, &C::SetEditMask);
}
} // namespace

KVT_PUBLISHED(TMTDataFieldEh) {
    P.Prop("FieldName", &TMTDataFieldEh::FieldName, &TMTDataFieldEh::SetFieldName);
}

KVT_PUBLISHED(TMTStringDataFieldEh) {
    using C = TMTStringDataFieldEh;
    P.Prop("StringDataType", &C::StringDataType, &C::SetStringDataType).NoDefault();
    Common<C>(P);
    P.Prop("Required", &C::Required, &C::SetRequired).Default(false);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
    P.Prop("FixedChar", &C::FixedChar, &C::SetFixedChar).Default(false);
    P.Prop("Size", &C::Size, &C::SetSize).Default(20);
    P.Prop("Transliterate", &C::Transliterate, &C::SetTransliterate).Default(false);
}

KVT_PUBLISHED(TMTNumericDataFieldEh) {
    using C = TMTNumericDataFieldEh;
    P.Prop("NumericDataType", &C::NumericDataType, &C::SetNumericDataType).NoDefault();
    P.Prop("AutoIncrement", &C::AutoIncrement, &C::SetAutoIncrement).NoDefault();
    P.Typed("Alignment", AlignmentTypeInfo(), &C::Alignment, &C::SetAlignment).Default(taRightJustify);
    P.Prop("DefaultExpression", &C::DefaultExpression, &C::SetDefaultExpression);
    P.Prop("DisplayLabel", &C::DisplayLabel, &C::SetDisplayLabel);
    P.Prop("DisplayWidth", &C::DisplayWidth, &C::SetDisplayWidth).Stored(&C::DisplayWidthStored);
    P.Prop("EditMask", &C::EditMask, &C::SetEditMask);
    P.Prop("Required", &C::Required, &C::SetRequired).Default(false);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
    P.Prop("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat);
    P.Prop("EditFormat", &C::EditFormat, &C::SetEditFormat);
    P.Prop("currency", &C::currency, &C::SetCurrency).NoDefault();
    P.Prop("MaxValue", &C::MaxValue, &C::SetMaxValue);
    P.Prop("MinValue", &C::MinValue, &C::SetMinValue);
    P.Prop("Precision", &C::Precision, &C::SetPrecision).NoDefault();
    P.Prop("Scale", &C::Scale, &C::SetScale).NoDefault().Stored(&C::CanDinaSize);
}

KVT_PUBLISHED(TMTDateTimeDataFieldEh) {
    using C = TMTDateTimeDataFieldEh;
    P.Prop("DateTimeDataType", &C::DateTimeDataType, &C::SetDateTimeDataType).NoDefault();
    Common<C>(P);
    P.Prop("Required", &C::Required, &C::SetRequired).Default(false);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
    P.Prop("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat);
}

KVT_PUBLISHED(TMTBlobDataFieldEh) {
    using C = TMTBlobDataFieldEh;
    Common<C>(P);
    P.Prop("Required", &C::Required, &C::SetRequired).Default(false);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
    P.Typed("BlobType", FieldTypeTypeInfo(), &C::BlobType, &C::SetBlobType).NoDefault();
    P.Prop("GraphicHeader", &C::GraphicHeader, &C::SetGraphicHeader).NoDefault();
    P.Prop("Transliterate", &C::Transliterate, &C::SetTransliterate).NoDefault();
}

KVT_PUBLISHED(TMTBooleanDataFieldEh) {
    using C = TMTBooleanDataFieldEh;
    Common<C>(P);
    P.Prop("Required", &C::Required, &C::SetRequired).Default(false);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
    P.Prop("DisplayValues", &C::DisplayValues, &C::SetDisplayValues);
}

KVT_PUBLISHED(TMTInterfaceDataFieldEh) {
    using C = TMTInterfaceDataFieldEh;
    Common<C>(P, false);
    P.Prop("InterfaceDataType", &C::InterfaceDataType, &C::SetInterfaceDataType).NoDefault();
    P.Prop("Required", &C::Required, &C::SetRequired).Default(false);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
}

KVT_PUBLISHED(TMTVariantDataFieldEh) {
    using C = TMTVariantDataFieldEh;
    Common<C>(P, false);
    P.Prop("VariantDataType", &C::VariantDataType, &C::SetVariantDataType).NoDefault();
    P.Prop("Required", &C::Required, &C::SetRequired).Default(false);
    P.Prop("Size", &C::Size, &C::SetSize).NoDefault().Stored(&C::IsSizeStored);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
}

KVT_PUBLISHED(TMTRefObjectFieldEh) {
    using C = TMTRefObjectFieldEh;
    Common<C>(P, false, false);
    P.Prop("Required", &C::Required, &C::SetRequired).Default(false);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
}

KVT_PUBLISHED(TMTSQLTimeStampDataFieldEh) {
    using C = TMTSQLTimeStampDataFieldEh;
    P.Prop("SQLTimeStampDataFieldType", &C::SQLTimeStampDataFieldType, &C::SetSQLTimeStampDataFieldType)
        .NoDefault();
    Common<C>(P);
    P.Prop("Required", &C::Required, &C::SetRequired).Default(false);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
    P.Prop("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat);
}

KVT_REGISTER_CLASS(TMTDataFieldEh)
KVT_REGISTER_CLASS(TMTStringDataFieldEh)
KVT_REGISTER_CLASS(TMTNumericDataFieldEh)
KVT_REGISTER_CLASS(TMTDateTimeDataFieldEh)
KVT_REGISTER_CLASS(TMTBlobDataFieldEh)
KVT_REGISTER_CLASS(TMTBooleanDataFieldEh)
KVT_REGISTER_CLASS(TMTInterfaceDataFieldEh)
KVT_REGISTER_CLASS(TMTVariantDataFieldEh)
KVT_REGISTER_CLASS(TMTRefObjectFieldEh)
KVT_REGISTER_CLASS(TMTSQLTimeStampDataFieldEh)
