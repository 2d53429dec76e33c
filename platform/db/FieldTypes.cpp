// The typed field classes and the default field-class table.

#include "platform/db/DB.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"

#include <cmath>

using namespace DBConsts;

const char* const FieldTypeNames[FieldTypeCount] = {
    "Unknown",    "String",          "SmallInt",      "Integer",     "Word",         "Boolean",
    "Float",      "Currency",        "BCD",           "Date",        "Time",         "DateTime",
    "Bytes",      "VarBytes",        "AutoInc",       "Blob",        "Memo",         "Graphic",
    "FmtMemo",    "ParadoxOle",      "dBaseOle",      "TypedBinary", "Cursor",       "FixedChar",
    "WideString", "Largeint",        "ADT",           "Array",       "Reference",    "DataSet",
    "OraBlob",    "OraClob",         "Variant",       "Interface",   "IDispatch",    "Guid",
    "TimeStamp",  "FMTBcd",          "FixedWideChar", "WideMemo",    "OraTimeStamp", "OraInterval",
    "LongWord",   "Shortint",        "Byte",          "Extended",    "Connection",   "Params",
    "Stream",     "TimeStampOffset", "Object",        "Single"};

String FieldTypeName(TFieldType t) {
    return int(t) >= 0 && int(t) < FieldTypeCount ? QString::fromLatin1(FieldTypeNames[t]) : String();
}

TFieldClass DefaultFieldClass(TFieldType t) {
    switch (t) {
    case ftString:
    case ftFixedChar:
        return FieldClassOf<TStringField>();
    case ftSmallint:
        return FieldClassOf<TSmallintField>();
    case ftInteger:
        return FieldClassOf<TIntegerField>();
    case ftWord:
        return FieldClassOf<TWordField>();
    case ftBoolean:
        return FieldClassOf<TBooleanField>();
    case ftFloat:
        return FieldClassOf<TFloatField>();
    case ftCurrency:
        return FieldClassOf<TCurrencyField>();
    case ftBCD:
        return FieldClassOf<TBCDField>();
    case ftDate:
        return FieldClassOf<TDateField>();
    case ftTime:
        return FieldClassOf<TTimeField>();
    case ftDateTime:
        return FieldClassOf<TDateTimeField>();
    case ftBytes:
        return FieldClassOf<TBytesField>();
    case ftVarBytes:
        return FieldClassOf<TVarBytesField>();
    case ftAutoInc:
        return FieldClassOf<TAutoIncField>();
    case ftBlob:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftStream:
        return FieldClassOf<TBlobField>();
    case ftMemo:
    case ftOraClob:
        return FieldClassOf<TMemoField>();
    case ftGraphic:
        return FieldClassOf<TGraphicField>();
    case ftWideString:
    case ftFixedWideChar:
        return FieldClassOf<TWideStringField>();
    case ftLargeint:
        return FieldClassOf<TLargeintField>();
    case ftVariant:
        return FieldClassOf<TVariantField>();
    case ftInterface:
        return FieldClassOf<TInterfaceField>();
    case ftIDispatch:
        return FieldClassOf<TIDispatchField>();
    case ftGuid:
        return FieldClassOf<TGuidField>();
    case ftTimeStamp:
    case ftOraTimeStamp:
        return FieldClassOf<TSQLTimeStampField>();
    case ftFMTBcd:
        return FieldClassOf<TFMTBCDField>();
    case ftWideMemo:
        return FieldClassOf<TWideMemoField>();
    case ftLongWord:
        return FieldClassOf<TLongWordField>();
    case ftShortint:
        return FieldClassOf<TShortintField>();
    case ftByte:
        return FieldClassOf<TByteField>();
    case ftExtended:
        return FieldClassOf<TExtendedField>();
    case ftSingle:
        return FieldClassOf<TSingleField>();
    default:
        return nullptr;
    }
}

namespace {
// Reads the field's value as the Variant its buffer form stands for.
bool ReadValue(TField* f, Variant& v, bool native) {
    if (native) return ReadFieldVariant(f, v);
    TValueBuffer b(f->DataSize());
    if (!f->GetData(&b, native)) return false;
    return FieldBufferToVariant(f, b, v, native);
}

void WriteValue(TField* f, const Variant& v, bool native) {
    TValueBuffer b(f->DataSize());
    VariantToFieldBuffer(f, v, b, native);
    f->SetData(&b, native);
}

std::bitset<256> Chars(const char* s) {
    std::bitset<256> b;
    for (; *s; ++s)
        b.set(static_cast<unsigned char>(*s));
    return b;
}

String ClassDesc(TField* f) {
    String s = f->ClassName();
    if (s.startsWith(u'T')) s = s.mid(1);
    if (s.endsWith(QLatin1String("Field"), Qt::CaseInsensitive)) s.chop(5);
    s = "(" + s + ")";
    return f->IsNull() ? s : AnsiUpperCase(s);
}

bool IsBlank(const String& s) {
    return Trim(s).isEmpty();
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Strings

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftString);
    FSize = 20;
}

bool TStringField::AcceptsFieldType(TFieldType Value) const {
    return Value == ftString || Value == ftFixedChar || Value == DataType();
}

void TStringField::SetFixedChar(bool Value) {
    FFixedChar = Value;
    if (DataType() == ftString || DataType() == ftFixedChar) SetDataType(Value ? ftFixedChar : ftString);
}

void TStringField::CheckTypeSize(int Value) {
    if (Value < 0) DatabaseError(SInvalidFieldSize);
}

bool TStringField::GetValue(String& Value) {
    TValueBuffer b;
    if (!ReadFieldBuffer(this, b)) return false;
    const TFieldType t = DataType();
    if (!b.Ref || !(t == ftString || t == ftFixedChar || t == ftGuid) ||
        !StoredTextThroughAnsiBuffer(*b.Ref, Size(), Value)) {
        Variant v;
        if (!ReadBufferToVariant(this, b, v)) return false;
        Value = VarToStr(v);
    }
    if (FFixedChar) Value = TrimRight(Value);
    return true;
}

Variant TStringField::GetAsVariant() {
    String s;
    return GetValue(s) ? Variant(s) : Null();
}

void TStringField::SetVarValue(const Variant& V) {
    SetAsStringValue(VarToStr(V));
}

String TStringField::GetAsString() {
    String s;
    GetValue(s);
    return s;
}

void TStringField::SetAsStringValue(const String& V) {
    WriteValue(this, Variant(V), true);
}

Integer TStringField::GetAsInteger() {
    return StrToInt(GetAsString());
}
Int64 TStringField::GetAsLargeInt() {
    return StrToInt64(GetAsString());
}
double TStringField::GetAsFloat() {
    return double(StrToFloat(GetAsString()));
}

bool TStringField::GetAsBoolean() {
    const String s = GetAsString();
    return !s.isEmpty() && QStringLiteral("TtYy").contains(s[0]);
}

void TStringField::SetAsBooleanValue(bool V) {
    SetAsStringValue(V ? QStringLiteral("T") : QStringLiteral("F"));
}

TDateTime TStringField::GetAsDateTime() {
    return StrToDateTime(GetAsString());
}

TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner) {
    SetDataType(ftWideString);
}

Variant TWideStringField::GetAsVariant() {
    Variant v;
    return ReadValue(this, v, true) ? v : Null();
}

String TWideStringField::GetAsString() {
    Variant v;
    return ReadValue(this, v, true) ? VarToStr(v) : String();
}

void TWideStringField::SetAsStringValue(const String& V) {
    WriteValue(this, Variant(V), true);
}

TGuidField::TGuidField(TComponent* AOwner) : TStringField(AOwner) {
    SetDataType(ftGuid);
    FSize = 38;
}

void TGuidField::CheckTypeSize(int Value) {
    if (Value != 38) DatabaseError(SInvalidFieldSize);
}

// ---------------------------------------------------------------------------------------------
// Numbers

TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner) {
    FAlignment = taRightJustify;
}

void TNumericField::SetDisplayFormat(const String& Value) {
    if (FDisplayFormat != Value) {
        FDisplayFormat = Value;
        PropertyChanged(false);
    }
}

void TNumericField::SetEditFormat(const String& Value) {
    if (FEditFormat != Value) {
        FEditFormat = Value;
        PropertyChanged(false);
    }
}

TIntegerField::TIntegerField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftInteger);
    FValidChars = Chars("+-0123456789");
}

int TIntegerField::GetDataSize() const {
    switch (DataType()) {
    case ftSmallint:
    case ftWord:
        return 2;
    case ftShortint:
    case ftByte:
        return 1;
    case ftLargeint:
        return 8;
    default:
        return 4;
    }
}

Int64 TIntegerField::TypeMin() const {
    switch (DataType()) {
    case ftSmallint:
        return INT16_MIN;
    case ftWord:
    case ftByte:
    case ftLongWord:
        return 0;
    case ftShortint:
        return INT8_MIN;
    case ftLargeint:
        return INT64_MIN;
    default:
        return INT32_MIN;
    }
}

Int64 TIntegerField::TypeMax() const {
    switch (DataType()) {
    case ftSmallint:
        return INT16_MAX;
    case ftWord:
        return UINT16_MAX;
    case ftByte:
        return UINT8_MAX;
    case ftShortint:
        return INT8_MAX;
    case ftLongWord:
        return UINT32_MAX;
    case ftLargeint:
        return INT64_MAX;
    default:
        return INT32_MAX;
    }
}

void TIntegerField::SetMinValue(Int64 Value) {
    FMinValue = Value;
}
void TIntegerField::SetMaxValue(Int64 Value) {
    FMaxValue = Value;
}

void TIntegerField::CheckRange(Int64 Value) {
    Int64 lo = TypeMin(), hi = TypeMax();
    if (FMinValue != 0 || FMaxValue != 0) {
        lo = std::max(lo, FMinValue);
        hi = std::min(hi, FMaxValue);
    }
    if (Value < lo || Value > hi)
        DatabaseErrorFmt(SRangeError, {IntToStr(Value), DisplayName(), IntToStr(lo), IntToStr(hi)});
}

bool TIntegerField::GetValue(Int64& Value) {
    TValueBuffer b;
    if (!ReadFieldBuffer(this, b)) return false;
    if (b.Ref) {
        // What the buffer of each width would give back.
        switch (DataType()) {
        case ftInteger:
        case ftAutoInc:
            Value = b.Ref->AsInteger();
            return true;
        case ftLargeint:
            Value = b.Ref->AsInt64();
            return true;
        case ftSmallint:
            Value = int16_t(b.Ref->AsInteger());
            return true;
        case ftWord:
            Value = uint16_t(b.Ref->AsInteger());
            return true;
        default:
            break;
        }
    }
    Variant v;
    if (!ReadBufferToVariant(this, b, v)) return false;
    switch (v.VType()) {
    case varShortInt:
    case varByte:
    case varSmallint:
    case varWord:
    case varInteger:
    case varLongWord:
    case varInt64:
        Value = VariantAccess::Int(v); // held sign- or zero-extended
        break;
    default:
        Value = v.AsInt64();
    }
    return true;
}

Variant TIntegerField::GetAsVariant() {
    Variant v;
    return ReadValue(this, v, true) ? v : Null();
}

void TIntegerField::SetVarValue(const Variant& V) {
    SetAsLargeIntValue(V.AsInt64());
}

String TIntegerField::GetAsString() {
    Int64 v;
    return GetValue(v) ? IntToStr(v) : String();
}

void TIntegerField::SetAsStringValue(const String& V) {
    if (IsBlank(V)) {
        Clear();
        return;
    }
    Int64 v;
    if (!TryStrToInt64(Trim(V), v)) DatabaseErrorFmt(SInvalidIntegerValue, {V, DisplayName()});
    SetAsLargeIntValue(v);
}

Integer TIntegerField::GetAsInteger() {
    Int64 v;
    return GetValue(v) ? Integer(v) : 0;
}

Int64 TIntegerField::GetAsLargeInt() {
    Int64 v;
    return GetValue(v) ? v : 0;
}

void TIntegerField::SetAsLargeIntValue(Int64 V) {
    CheckRange(V);
    WriteValue(this, Variant((long long)V), true);
}

void TIntegerField::SetAsFloatValue(double V) {
    if (!std::isfinite(V) || V < -9.2e18 || V > 9.2e18)
        DatabaseErrorFmt(SInvalidFloatValue, {FloatToStr(V), DisplayName()});
    SetAsLargeIntValue(Round(V));
}

void TIntegerField::GetText(String& Text, bool DisplayText) {
    Int64 v;
    if (!GetValue(v)) {
        Text.clear();
        return;
    }
    const String& fmt = DisplayText || FEditFormat.isEmpty() ? FDisplayFormat : FEditFormat;
    Text = fmt.isEmpty() ? IntToStr(v) : FormatFloat(fmt, Extended(v));
}

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftSmallint);
}
TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftWord);
}
TShortintField::TShortintField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftShortint);
}
TByteField::TByteField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftByte);
}
TLongWordField::TLongWordField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftLongWord);
}
TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftAutoInc);
    SetAutoGenerateValue(arAutoInc);
}
TLargeintField::TLargeintField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftLargeint);
}

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftFloat);
    FValidChars = Chars("+-0123456789Ee.,");
}

int TFloatField::GetDataSize() const {
    if (DataType() == ftExtended) return int(sizeof(long double));
    if (DataType() == ftSingle) return 4;
    return 8;
}

bool TFloatField::AcceptsFieldType(TFieldType Value) const {
    return Value == DataType();
}

void TFloatField::SetCurrency(bool Value) {
    if (FCurrency != Value) {
        FCurrency = Value;
        PropertyChanged(false);
    }
}

void TFloatField::SetPrecision(int Value) {
    if (Value < 2) Value = 2;
    if (Value > 15) Value = 15;
    if (FPrecision != Value) {
        FPrecision = Value;
        PropertyChanged(false);
    }
}

bool TFloatField::GetValue(double& Value) {
    TValueBuffer b;
    if (!ReadFieldBuffer(this, b)) return false;
    if (b.Ref && (DataType() == ftFloat || DataType() == ftCurrency)) {
        Value = b.Ref->AsDouble(); // what the buffer's double gives back
        return true;
    }
    Variant v;
    if (!ReadBufferToVariant(this, b, v)) return false;
    Value = v.AsDouble();
    return true;
}

Variant TFloatField::GetAsVariant() {
    double d;
    return GetValue(d) ? Variant(d) : Null();
}

void TFloatField::SetVarValue(const Variant& V) {
    SetAsFloatValue(V.AsDouble());
}

String TFloatField::GetAsString() {
    double d;
    return GetValue(d) ? FloatToStr(d) : String();
}

void TFloatField::SetAsStringValue(const String& V) {
    if (IsBlank(V)) {
        Clear();
        return;
    }
    Extended e;
    if (!TryStrToFloat(Trim(V), e)) DatabaseErrorFmt(SInvalidFloatValue, {V, DisplayName()});
    SetAsFloatValue(double(e));
}

Integer TFloatField::GetAsInteger() {
    double d;
    return GetValue(d) ? Integer(Round(d)) : 0;
}

Int64 TFloatField::GetAsLargeInt() {
    double d;
    return GetValue(d) ? Round(d) : 0;
}

double TFloatField::GetAsFloat() {
    double d;
    return GetValue(d) ? d : 0;
}

void TFloatField::SetAsFloatValue(double V) {
    if ((FMinValue != 0 || FMaxValue != 0) && (V < FMinValue || V > FMaxValue))
        DatabaseErrorFmt(SFieldRangeError, {V, DisplayName(), FMinValue, FMaxValue});
    WriteValue(this, Variant(V), true);
}

void TFloatField::GetText(String& Text, bool DisplayText) {
    double d;
    if (!GetValue(d)) {
        Text.clear();
        return;
    }
    const String& fmt = DisplayText || FEditFormat.isEmpty() ? FDisplayFormat : FEditFormat;
    if (!fmt.isEmpty()) {
        Text = FormatFloat(fmt, d);
    } else if (FCurrency) {
        Text =
            FloatToStrF(d, DisplayText ? ffCurrency : ffFixed, FPrecision, FormatSettings().CurrencyDecimals);
    } else {
        Text = FloatToStrF(d, ffGeneral, FPrecision, 0);
    }
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) {
    SetDataType(ftCurrency);
    SetCurrency(true);
}
TExtendedField::TExtendedField(TComponent* AOwner) : TFloatField(AOwner) {
    SetDataType(ftExtended);
}
TSingleField::TSingleField(TComponent* AOwner) : TFloatField(AOwner) {
    SetDataType(ftSingle);
    SetPrecision(7);
}

// ---------------------------------------------------------------------------------------------
// Boolean

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBoolean);
    FTextValues[0] = QString::fromLatin1(STextFalse);
    FTextValues[1] = QString::fromLatin1(STextTrue);
}

void TBooleanField::SetDisplayValues(const String& Value) {
    if (FDisplayValues == Value) return;
    FDisplayValues = Value;
    FTextValues[0] = QString::fromLatin1(STextFalse);
    FTextValues[1] = QString::fromLatin1(STextTrue);
    if (!Value.isEmpty()) {
        const int p = Value.indexOf(u';');
        FTextValues[1] = p < 0 ? Value : Value.left(p);
        FTextValues[0] = p < 0 ? String() : Value.mid(p + 1);
    }
    PropertyChanged(true);
}

int TBooleanField::DefaultDisplayWidth() const {
    return int(std::max(FTextValues[0].size(), FTextValues[1].size()));
}

bool TBooleanField::GetValue(bool& Value) {
    Variant v;
    if (!ReadValue(this, v, true)) return false;
    Value = v.AsBoolean();
    return true;
}

Variant TBooleanField::GetAsVariant() {
    bool b;
    return GetValue(b) ? Variant(b) : Null();
}

void TBooleanField::SetVarValue(const Variant& V) {
    if (VarIsStr(V))
        SetAsStringValue(V.AsString());
    else
        SetAsBooleanValue(V.AsBoolean());
}

String TBooleanField::GetAsString() {
    bool b;
    return GetValue(b) ? FTextValues[b ? 1 : 0] : String();
}

void TBooleanField::SetAsStringValue(const String& V) {
    const int l = V.size();
    if (l == 0) {
        if (FTextValues[0].isEmpty())
            SetAsBooleanValue(false);
        else if (FTextValues[1].isEmpty())
            SetAsBooleanValue(true);
        else
            Clear();
        return;
    }
    if (AnsiCompareText(V, FTextValues[0].left(l)) == 0)
        SetAsBooleanValue(false);
    else if (AnsiCompareText(V, FTextValues[1].left(l)) == 0)
        SetAsBooleanValue(true);
    else
        DatabaseErrorFmt(SInvalidBoolValue, {V, DisplayName()});
}

bool TBooleanField::GetAsBoolean() {
    bool b;
    return GetValue(b) ? b : false;
}

void TBooleanField::SetAsBooleanValue(bool V) {
    WriteValue(this, Variant(V), true);
}

// ---------------------------------------------------------------------------------------------
// BCD

TBCDField::TBCDField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftBCD);
    FSize = 4;
    FValidChars = Chars("+-0123456789.,");
}

void TBCDField::CheckTypeSize(int Value) {
    if (Value < 0 || Value > 4) DatabaseError(SInvalidFieldSize);
}

void TBCDField::SetCurrency(bool Value) {
    if (FCurrency != Value) {
        FCurrency = Value;
        PropertyChanged(false);
    }
}

void TBCDField::SetPrecision(int Value) {
    if (Value < 0) Value = 0;
    if (Value > 32) Value = 32;
    FPrecision = Value;
}

bool TBCDField::GetValue(Currency& Value) {
    Variant v;
    if (!ReadValue(this, v, false)) return false;
    Value = v.AsCurrency();
    return true;
}

Variant TBCDField::GetAsVariant() {
    Currency c;
    return GetValue(c) ? Variant(c) : Null();
}

void TBCDField::SetVarValue(const Variant& V) {
    SetAsCurrencyValue(V.AsCurrency());
}

String TBCDField::GetAsString() {
    Currency c;
    return GetValue(c) ? CurrToStr(c) : String();
}

void TBCDField::SetAsStringValue(const String& V) {
    if (IsBlank(V)) {
        Clear();
        return;
    }
    Currency c;
    if (!TryStrToCurr(Trim(V), c)) DatabaseErrorFmt(SInvalidFloatValue, {V, DisplayName()});
    SetAsCurrencyValue(c);
}

Currency TBCDField::GetAsCurrency() {
    Currency c;
    return GetValue(c) ? c : Currency();
}

void TBCDField::SetAsCurrencyValue(Currency V) {
    if ((FMinValue != Currency() || FMaxValue != Currency()) && (V < FMinValue || V > FMaxValue))
        DatabaseErrorFmt(SRangeError,
                         {CurrToStr(V), DisplayName(), CurrToStr(FMinValue), CurrToStr(FMaxValue)});
    WriteValue(this, Variant(V), false);
}

void TBCDField::SetAsBCDValue(const TBcd& V) {
    Currency c;
    if (!BCDToCurr(V, c)) DatabaseErrorFmt(SFieldValueError, {DisplayName()});
    SetAsCurrencyValue(c);
}

void TBCDField::GetText(String& Text, bool DisplayText) {
    Currency c;
    if (!GetValue(c)) {
        Text.clear();
        return;
    }
    const String& fmt = DisplayText || FEditFormat.isEmpty() ? FDisplayFormat : FEditFormat;
    if (!fmt.isEmpty())
        Text = FormatCurr(fmt, c);
    else if (FCurrency)
        Text = CurrToStrF(c, DisplayText ? ffCurrency : ffFixed, FormatSettings().CurrencyDecimals);
    else
        Text = CurrToStrF(c, ffGeneral, 0);
}

TFMTBCDField::TFMTBCDField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftFMTBcd);
    FSize = 8;
    FValidChars = Chars("+-0123456789.,");
}

void TFMTBCDField::CheckTypeSize(int Value) {
    if (Value < 0 || Value > 64) DatabaseError(SInvalidFieldSize);
}

void TFMTBCDField::SetCurrency(bool Value) {
    if (FCurrency != Value) {
        FCurrency = Value;
        PropertyChanged(false);
    }
}

void TFMTBCDField::SetPrecision(int Value) {
    FPrecision = std::clamp(Value, 0, 64);
}

TBcd TFMTBCDField::GetAsBCD() {
    TValueBuffer b(DataSize());
    return GetData(&b, true) ? b.Get<TBcd>() : TBcd();
}

Variant TFMTBCDField::GetAsVariant() {
    Variant v;
    return ReadValue(this, v, true) ? v : Null();
}

void TFMTBCDField::SetVarValue(const Variant& V) {
    if (VarIsStr(V))
        SetAsStringValue(V.AsString());
    else if (V.VType() == varCurrency)
        SetAsCurrencyValue(V.AsCurrency());
    else
        SetAsFloatValue(V.AsDouble());
}

String TFMTBCDField::GetAsString() {
    TValueBuffer b(DataSize());
    if (!GetData(&b, true)) return String();
    String s = BcdToStr(b.Get<TBcd>());
    return s.replace(u'.', FormatSettings().DecimalSeparator);
}

void TFMTBCDField::SetAsStringValue(const String& V) {
    if (IsBlank(V)) {
        Clear();
        return;
    }
    try {
        SetAsBCDValue(StrToBcd(Trim(V)));
    } catch (EConvertError&) {
        DatabaseErrorFmt(SInvalidFloatValue, {V, DisplayName()});
    }
}

double TFMTBCDField::GetAsFloat() {
    return BcdToDouble(GetAsBCD());
}

Currency TFMTBCDField::GetAsCurrency() {
    Currency c;
    BCDToCurr(GetAsBCD(), c);
    return c;
}

void TFMTBCDField::SetAsBCDValue(const TBcd& V) {
    TValueBuffer b(DataSize());
    b.Put(V);
    SetData(&b, true);
}

void TFMTBCDField::GetText(String& Text, bool DisplayText) {
    if (IsNull()) {
        Text.clear();
        return;
    }
    const String& fmt = DisplayText || FEditFormat.isEmpty() ? FDisplayFormat : FEditFormat;
    if (!fmt.isEmpty())
        Text = FormatFloat(fmt, GetAsFloat());
    else if (FCurrency)
        Text = FloatToStrF(GetAsFloat(), DisplayText ? ffCurrency : ffFixed, FPrecision,
                           FormatSettings().CurrencyDecimals);
    else
        Text = GetAsString();
}

// ---------------------------------------------------------------------------------------------
// Dates and times

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftDateTime);
}

int TDateTimeField::GetDataSize() const {
    return DataType() == ftDateTime ? 8 : 4;
}

void TDateTimeField::SetDisplayFormat(const String& Value) {
    if (FDisplayFormat != Value) {
        FDisplayFormat = Value;
        PropertyChanged(false);
    }
}

int TDateTimeField::DefaultDisplayWidth() const {
    return DataType() == ftDate ? 10 : DataType() == ftTime ? 10 : 18;
}

bool TDateTimeField::GetValue(TDateTime& Value) {
    Variant v;
    if (!ReadValue(this, v, false)) return false;
    Value = v.AsDateTime();
    return true;
}

Variant TDateTimeField::GetAsVariant() {
    TDateTime d;
    return GetValue(d) ? VarFromDateTime(d) : Null();
}

void TDateTimeField::SetVarValue(const Variant& V) {
    if (VarIsStr(V))
        SetAsStringValue(V.AsString());
    else
        SetAsDateTimeValue(V.AsDateTime());
}

TDateTime TDateTimeField::GetAsDateTime() {
    TDateTime d;
    return GetValue(d) ? d : 0;
}

void TDateTimeField::SetAsDateTimeValue(TDateTime V) {
    WriteValue(this, VarFromDateTime(V), false);
}

String TDateTimeField::GetAsString() {
    String s;
    GetText(s, false);
    return s;
}

void TDateTimeField::SetAsStringValue(const String& V) {
    if (V.isEmpty()) {
        Clear();
        return;
    }
    TDateTime d;
    switch (DataType()) {
    case ftDate:
        d = StrToDate(V);
        break;
    case ftTime:
        d = StrToTime(V);
        break;
    default:
        d = StrToDateTime(V);
        break;
    }
    SetAsDateTimeValue(d);
}

void TDateTimeField::GetText(String& Text, bool DisplayText) {
    TDateTime d;
    if (!GetValue(d)) {
        Text.clear();
        return;
    }
    String fmt;
    if (DisplayText && !FDisplayFormat.isEmpty())
        fmt = FDisplayFormat;
    else if (DataType() == ftDate)
        fmt = FormatSettings().ShortDateFormat;
    else if (DataType() == ftTime)
        fmt = FormatSettings().LongTimeFormat;
    else
        fmt = QStringLiteral("c");
    Text = FormatDateTime(fmt, d);
}

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner) {
    SetDataType(ftDate);
}
TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner) {
    SetDataType(ftTime);
}

TSQLTimeStampField::TSQLTimeStampField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftTimeStamp);
}

void TSQLTimeStampField::SetDisplayFormat(const String& Value) {
    if (FDisplayFormat != Value) {
        FDisplayFormat = Value;
        PropertyChanged(false);
    }
}

TSQLTimeStamp TSQLTimeStampField::GetAsSQLTimeStamp() {
    TValueBuffer b(DataSize());
    return GetData(&b, true) ? b.Get<TSQLTimeStamp>() : TSQLTimeStamp();
}

void TSQLTimeStampField::SetAsSQLTimeStampValue(const TSQLTimeStamp& V) {
    TValueBuffer b(DataSize());
    b.Put(V);
    SetData(&b, true);
}

TDateTime TSQLTimeStampField::GetAsDateTime() {
    return IsNull() ? 0 : SQLTimeStampToDateTime(GetAsSQLTimeStamp());
}

Variant TSQLTimeStampField::GetAsVariant() {
    return IsNull() ? Null() : VarFromDateTime(GetAsDateTime());
}

void TSQLTimeStampField::SetVarValue(const Variant& V) {
    if (VarIsStr(V))
        SetAsStringValue(V.AsString());
    else
        SetAsDateTimeValue(V.AsDateTime());
}

String TSQLTimeStampField::GetAsString() {
    String s;
    GetText(s, false);
    return s;
}

void TSQLTimeStampField::SetAsStringValue(const String& V) {
    if (V.isEmpty()) {
        Clear();
        return;
    }
    TDateTime d;
    if (!TryStrToDateTime(V, d)) DatabaseErrorFmt(SNotValidValue, {V, DisplayName()});
    SetAsDateTimeValue(d);
}

void TSQLTimeStampField::GetText(String& Text, bool DisplayText) {
    if (IsNull()) {
        Text.clear();
        return;
    }
    const String fmt = DisplayText && !FDisplayFormat.isEmpty() ? FDisplayFormat : QStringLiteral("c");
    Text = FormatDateTime(fmt, GetAsDateTime());
}

// ---------------------------------------------------------------------------------------------
// Byte arrays

TBinaryField::TBinaryField(TComponent* AOwner) : TField(AOwner) {}

void TBinaryField::CheckTypeSize(int Value) {
    if (Value == 0) DatabaseError(SInvalidFieldSize);
}

TBytes TBinaryField::GetAsBytes() {
    Variant v;
    return ReadValue(this, v, true) ? VarToBytes(v) : TBytes();
}

void TBinaryField::SetAsBytesValue(const TBytes& V) {
    WriteValue(this, Variant(V), true);
}

Variant TBinaryField::GetAsVariant() {
    Variant v;
    return ReadValue(this, v, true) ? v : Null();
}

void TBinaryField::SetVarValue(const Variant& V) {
    if (VarIsStr(V))
        SetAsStringValue(V.AsString());
    else
        SetAsBytesValue(VarToBytes(V));
}

String TBinaryField::GetAsString() {
    const TBytes b = GetAsBytes();
    return FromAnsi(AnsiString(reinterpret_cast<const char*>(b.data()), qsizetype(b.size())));
}

void TBinaryField::SetAsStringValue(const String& V) {
    const AnsiString a = ToAnsi(V);
    SetAsBytesValue(TBytes(a.begin(), a.end()));
}

void TBinaryField::GetText(String& Text, bool) {
    Text = ClassDesc(this);
}

TBytesField::TBytesField(TComponent* AOwner) : TBinaryField(AOwner) {
    SetDataType(ftBytes);
    FSize = 16;
}
TVarBytesField::TVarBytesField(TComponent* AOwner) : TBinaryField(AOwner) {
    SetDataType(ftVarBytes);
    FSize = 16;
}

// ---------------------------------------------------------------------------------------------
// Blobs

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBlob);
}

bool TBlobField::AcceptsFieldType(TFieldType Value) const {
    return ::IsBlobType(Value) || Value == ftStream;
}

void TBlobField::SetBlobType(TBlobType Value) {
    if (AcceptsFieldType(Value)) SetDataType(Value);
}

bool TBlobField::IsTextBlob() const {
    const TFieldType t = DataType();
    return t == ftMemo || t == ftFmtMemo || t == ftOraClob || t == ftWideMemo;
}

Variant TBlobField::GetAsVariant() {
    TValueBuffer b;
    if (!GetData(&b, true) || VarIsNull(b.Var) || VarIsEmpty(b.Var)) return Null();
    if (IsTextBlob()) return DataType() == ftWideMemo ? Variant(VarToStr(b.Var)) : b.Var;
    if (VarIsStr(b.Var)) return Variant(TBytes(b.Var.AsAnsiString().begin(), b.Var.AsAnsiString().end()));
    return b.Var;
}

void TBlobField::SetVarValue(const Variant& V) {
    TValueBuffer b;
    if (IsTextBlob())
        b.Var = DataType() == ftWideMemo
                    ? Variant(VarToStr(V))
                    : Variant(V.VType() == varString ? V.AsAnsiString() : ToAnsi(VarToStr(V)));
    else if (VarIsStr(V))
        b.Var = Variant(V.AsAnsiString());
    else
        b.Var = V;
    SetData(&b, true);
    FModified = true;
}

TBytes TBlobField::GetAsBytes() {
    TValueBuffer b;
    if (!GetData(&b, true) || VarIsNull(b.Var) || VarIsEmpty(b.Var)) return TBytes();
    if (VarIsArray(b.Var)) return VarToBytes(b.Var);
    if (b.Var.VType() == varString) {
        const AnsiString a = b.Var.AsAnsiString();
        return TBytes(a.begin(), a.end());
    }
    const String s = VarToStr(b.Var);
    if (DataType() == ftWideMemo) {
        const auto* p = reinterpret_cast<const uint8_t*>(s.utf16());
        return TBytes(p, p + s.size() * 2);
    }
    const AnsiString a = ToAnsi(s);
    return TBytes(a.begin(), a.end());
}

void TBlobField::SetAsBytesValue(const TBytes& V) {
    if (DataType() == ftWideMemo) {
        SetVarValue(
            Variant(String::fromUtf16(reinterpret_cast<const char16_t*>(V.data()), qsizetype(V.size() / 2))));
    } else if (IsTextBlob()) {
        SetVarValue(Variant(AnsiString(reinterpret_cast<const char*>(V.data()), qsizetype(V.size()))));
    } else {
        TValueBuffer b;
        b.Var = Variant(V);
        SetData(&b, true);
        FModified = true;
    }
}

String TBlobField::GetAsString() {
    TValueBuffer b;
    if (!GetData(&b, true) || VarIsNull(b.Var) || VarIsEmpty(b.Var)) return String();
    if (VarIsArray(b.Var)) {
        const TBytes bytes = VarToBytes(b.Var);
        return FromAnsi(AnsiString(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    }
    return VarToStr(b.Var);
}

void TBlobField::SetAsStringValue(const String& V) {
    if (V.isEmpty() && !IsTextBlob()) {
        Clear();
        return;
    }
    SetVarValue(Variant(V));
}

void TBlobField::GetText(String& Text, bool) {
    Text = ClassDesc(this);
}

int TBlobField::BlobSize() {
    return int(GetAsBytes().size());
}

void TBlobField::LoadFromStream(TStream* Stream) {
    Stream->SetPosition(0);
    TBytes bytes(size_t(Stream->Size()));
    if (!bytes.empty()) Stream->ReadBuffer(bytes.data(), Integer(bytes.size()));
    SetAsBytesValue(bytes);
}

void TBlobField::SaveToStream(TStream* Stream) {
    const TBytes bytes = GetAsBytes();
    if (!bytes.empty()) Stream->WriteBuffer(bytes.data(), Integer(bytes.size()));
}

void TBlobField::LoadFromFile(const String& FileName) {
    TMemoryStream s;
    s.LoadFromFile(FileName);
    LoadFromStream(&s);
}

void TBlobField::SaveToFile(const String& FileName) {
    TMemoryStream s;
    SaveToStream(&s);
    s.SaveToFile(FileName);
}

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) {
    SetDataType(ftMemo);
}
TWideMemoField::TWideMemoField(TComponent* AOwner) : TBlobField(AOwner) {
    SetDataType(ftWideMemo);
}
TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner) {
    SetDataType(ftGraphic);
}

// ---------------------------------------------------------------------------------------------
// Variants, interfaces and aggregates

TVariantField::TVariantField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftVariant);
}

Variant TVariantField::GetAsVariant() {
    TValueBuffer b;
    if (!GetData(&b, true) || VarIsEmpty(b.Var)) return Null();
    return b.Var;
}

void TVariantField::SetVarValue(const Variant& V) {
    TValueBuffer b;
    b.Var = V;
    SetData(&b, true);
}

TInterfaceField::TInterfaceField(TComponent* AOwner) : TVariantField(AOwner) {
    SetDataType(ftInterface);
}
TIDispatchField::TIDispatchField(TComponent* AOwner) : TInterfaceField(AOwner) {
    SetDataType(ftIDispatch);
}

TAggregateField::TAggregateField(TComponent* AOwner) : TField(AOwner) {
    SetFieldKind(fkAggregate);
    SetDataType(ftUnknown);
}

void TAggregateField::SetActive(bool Value) {
    if (FActive == Value) return;
    FActive = Value;
    if (DataSet()) DataSet()->ResetAggField(this);
}

void TAggregateField::SetExpression(const String& Value) {
    if (FExpression == Value) return;
    FExpression = Value;
    if (DataSet()) DataSet()->ResetAggField(this);
}

void TAggregateField::SetCurrency(bool Value) {
    if (FCurrency != Value) {
        FCurrency = Value;
        PropertyChanged(false);
    }
}

void TAggregateField::SetDisplayFormat(const String& Value) {
    if (FDisplayFormat != Value) {
        FDisplayFormat = Value;
        PropertyChanged(false);
    }
}

Variant TAggregateField::GetAsVariant() {
    if (!DataSet() || !DataSet()->Active()) return Null();
    return DataSet()->GetAggregateValue(this);
}

String TAggregateField::GetAsString() {
    return VarToStr(GetAsVariant());
}

void TAggregateField::GetText(String& Text, bool) {
    const Variant v = GetAsVariant();
    if (VarIsNull(v) || VarIsEmpty(v)) {
        Text.clear();
        return;
    }
    if (VarIsNumeric(v) && !FDisplayFormat.isEmpty())
        Text = v.VType() == varCurrency ? FormatCurr(FDisplayFormat, v.AsCurrency())
                                        : FormatFloat(FDisplayFormat, v.AsExtended());
    else if (VarIsNumeric(v) && FCurrency)
        Text = FloatToStrF(v.AsExtended(), ffCurrency, FPrecision, FormatSettings().CurrencyDecimals);
    else if (v.VType() == varDate && !FDisplayFormat.isEmpty())
        Text = FormatDateTime(FDisplayFormat, v.AsDateTime());
    else
        Text = VarToStr(v);
}

// ---------------------------------------------------------------------------------------------
// Published properties and class registration (component streams create fields by class name)

KVT_ENUM_TYPE(TFieldKind, fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate)
KVT_ENUM_TYPE(TAlignment, taLeftJustify, taRightJustify, taCenter)
KVT_ENUM_TYPE(TAutoRefreshFlag, arNone, arAutoInc, arDefault)
KVT_ENUM_TYPE(TProviderFlag, pfInUpdate, pfInWhere, pfInKey, pfHidden, pfRefreshOnInsert, pfRefreshOnUpdate)
KVT_ENUM_TYPE(TFieldType, ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency,
              ftBCD, ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
              ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
              ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
              ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo,
              ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint, ftByte, ftExtended, ftConnection,
              ftParams, ftStream, ftTimeStampOffset, ftObject, ftSingle)

KVT_PUBLISHED(TField) {
    P.Prop("Alignment", &TField::Alignment, &TField::SetAlignment).Default(taLeftJustify);
    P.Prop("AutoGenerateValue", &TField::AutoGenerateValue, &TField::SetAutoGenerateValue).Default(arNone);
    P.Prop("CustomConstraint", &TField::CustomConstraint, &TField::SetCustomConstraint);
    P.Prop("ConstraintErrorMessage", &TField::ConstraintErrorMessage, &TField::SetConstraintErrorMessage);
    P.Prop("DefaultExpression", &TField::DefaultExpression, &TField::SetDefaultExpression);
    P.Prop("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel)
        .Stored(&TField::DisplayLabelStored);
    P.Prop("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth)
        .Stored(&TField::DisplayWidthStored);
    P.Prop("EditMask", &TField::EditMask, &TField::SetEditMask);
    P.Prop("FieldKind", &TField::FieldKind, &TField::SetFieldKind).Default(fkData);
    P.Prop("FieldName", &TField::FieldName, &TField::SetFieldName);
    P.Prop("KeyFields", &TField::KeyFields, &TField::SetKeyFields);
    P.Prop("LookupCache", &TField::LookupCache, &TField::SetLookupCache).Default(false);
    P.Prop("LookupDataSet", &TField::LookupDataSet, &TField::SetLookupDataSet);
    P.Prop("LookupKeyFields", &TField::LookupKeyFields, &TField::SetLookupKeyFields);
    P.Prop("LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField);
    P.Prop("Origin", &TField::Origin, &TField::SetOrigin);
    P.Prop("ProviderFlags", &TField::ProviderFlags, &TField::SetProviderFlags)
        .Default(TProviderFlags{pfInUpdate, pfInWhere});
    P.Prop("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(false);
    P.Prop("Required", &TField::Required, &TField::SetRequired).Default(false);
    P.Prop("Visible", &TField::Visible, &TField::SetVisible).Default(true);
}
KVT_PUBLISHED(TStringField) {
    P.Prop("FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar).Default(false);
    P.Prop("Size", &TStringField::Size, &TStringField::SetSize).Default(20);
    P.Prop("Transliterate", &TStringField::Transliterate, &TStringField::SetTransliterate).Default(true);
}
KVT_PUBLISHED(TNumericField) {
    P.Prop("Alignment", &TNumericField::Alignment, &TNumericField::SetAlignment).Default(taRightJustify);
    P.Prop("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat);
    P.Prop("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
}
KVT_PUBLISHED(TIntegerField) {
    P.Prop("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue).Default(0);
    P.Prop("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue).Default(0);
}
KVT_PUBLISHED(TFloatField) {
    P.Prop("currency", &TFloatField::currency, &TFloatField::SetCurrency).Default(false);
    P.Prop("MaxValue", &TFloatField::MaxValue, &TFloatField::SetMaxValue);
    P.Prop("MinValue", &TFloatField::MinValue, &TFloatField::SetMinValue);
    P.Prop("Precision", &TFloatField::Precision, &TFloatField::SetPrecision).Default(15);
}
KVT_PUBLISHED(TBooleanField) {
    P.Prop("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues);
}
KVT_PUBLISHED(TBCDField) {
    P.Prop("currency", &TBCDField::currency, &TBCDField::SetCurrency).Default(false);
    P.Prop("MaxValue", &TBCDField::MaxValue, &TBCDField::SetMaxValue);
    P.Prop("MinValue", &TBCDField::MinValue, &TBCDField::SetMinValue);
    P.Prop("Precision", &TBCDField::Precision, &TBCDField::SetPrecision).Default(0);
    P.Prop("Size", &TBCDField::Size, &TBCDField::SetSize).Default(4);
}
KVT_PUBLISHED(TFMTBCDField) {
    P.Prop("currency", &TFMTBCDField::currency, &TFMTBCDField::SetCurrency).Default(false);
    P.Prop("MaxValue", &TFMTBCDField::MaxValue, &TFMTBCDField::SetMaxValue);
    P.Prop("MinValue", &TFMTBCDField::MinValue, &TFMTBCDField::SetMinValue);
    P.Prop("Precision", &TFMTBCDField::Precision, &TFMTBCDField::SetPrecision).Default(15);
    P.Prop("Size", &TFMTBCDField::Size, &TFMTBCDField::SetSize).Default(8);
}
KVT_PUBLISHED(TDateTimeField) {
    P.Prop("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
}
KVT_PUBLISHED(TSQLTimeStampField) {
    P.Prop("DisplayFormat", &TSQLTimeStampField::DisplayFormat, &TSQLTimeStampField::SetDisplayFormat);
}
KVT_PUBLISHED(TBinaryField) {
    P.Prop("Size", &TBinaryField::Size, &TBinaryField::SetSize).Default(16);
}
KVT_PUBLISHED(TBlobField) {
    P.Prop("BlobType", &TBlobField::BlobType, &TBlobField::SetBlobType);
    P.Prop("GraphicHeader", &TBlobField::GraphicHeader, &TBlobField::SetGraphicHeader).Default(true);
    P.Prop("Size", &TBlobField::Size, &TBlobField::SetSize).Default(0);
}
KVT_PUBLISHED(TMemoField) {
    P.Prop("Transliterate", &TMemoField::Transliterate, &TMemoField::SetTransliterate).Default(true);
}
KVT_PUBLISHED(TAggregateField) {
    P.Prop("Active", &TAggregateField::Active, &TAggregateField::SetActive).Default(false);
    P.Prop("currency", &TAggregateField::currency, &TAggregateField::SetCurrency).Default(false);
    P.Prop("DisplayFormat", &TAggregateField::DisplayFormat, &TAggregateField::SetDisplayFormat);
    P.Prop("Expression", &TAggregateField::Expression, &TAggregateField::SetExpression);
    P.Prop("GroupingLevel", &TAggregateField::GroupingLevel, &TAggregateField::SetGroupingLevel).Default(0);
    P.Prop("IndexName", &TAggregateField::IndexName, &TAggregateField::SetIndexName);
    P.Prop("Precision", &TAggregateField::Precision, &TAggregateField::SetPrecision).Default(15);
}

KVT_REGISTER_CLASS(TStringField)
KVT_REGISTER_CLASS(TWideStringField)
KVT_REGISTER_CLASS(TGuidField)
KVT_REGISTER_CLASS(TIntegerField)
KVT_REGISTER_CLASS(TSmallintField)
KVT_REGISTER_CLASS(TWordField)
KVT_REGISTER_CLASS(TShortintField)
KVT_REGISTER_CLASS(TByteField)
KVT_REGISTER_CLASS(TLongWordField)
KVT_REGISTER_CLASS(TAutoIncField)
KVT_REGISTER_CLASS(TLargeintField)
KVT_REGISTER_CLASS(TFloatField)
KVT_REGISTER_CLASS(TCurrencyField)
KVT_REGISTER_CLASS(TExtendedField)
KVT_REGISTER_CLASS(TSingleField)
KVT_REGISTER_CLASS(TBooleanField)
KVT_REGISTER_CLASS(TBCDField)
KVT_REGISTER_CLASS(TFMTBCDField)
KVT_REGISTER_CLASS(TDateTimeField)
KVT_REGISTER_CLASS(TDateField)
KVT_REGISTER_CLASS(TTimeField)
KVT_REGISTER_CLASS(TSQLTimeStampField)
KVT_REGISTER_CLASS(TBytesField)
KVT_REGISTER_CLASS(TVarBytesField)
KVT_REGISTER_CLASS(TBlobField)
KVT_REGISTER_CLASS(TMemoField)
KVT_REGISTER_CLASS(TWideMemoField)
KVT_REGISTER_CLASS(TGraphicField)
KVT_REGISTER_CLASS(TVariantField)
KVT_REGISTER_CLASS(TInterfaceField)
KVT_REGISTER_CLASS(TIDispatchField)
KVT_REGISTER_CLASS(TAggregateField)
