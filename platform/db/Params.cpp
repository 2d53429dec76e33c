// Parameters (TParam, TParams).

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QStringList>

using namespace DBConsts;

namespace {
TFieldType TypeOfVariant(const Variant& v) {
    switch (v.VType() & varTypeMask) {
    case varSmallint:
    case varShortInt:
    case varByte:
        return ftSmallint;
    case varWord:
        return ftWord;
    case varInteger:
        return ftInteger;
    case varLongWord:
        return ftLongWord;
    case varInt64:
    case varUInt64:
        return ftLargeint;
    case varSingle:
    case varDouble:
        return ftFloat;
    case varCurrency:
        return ftCurrency;
    case varDate:
        return ftDateTime;
    case varBoolean:
        return ftBoolean;
    case varString:
        return ftString;
    case varUString:
    case varOleStr:
        return ftWideString;
    default:
        return v.IsArray() ? ftBlob : ftUnknown;
    }
}
} // namespace

TParam::TParam(TCollection* Collection) : TCollectionItem(Collection) {
    FData = Null();
}

TParam::TParam(TParams* AParams, TParamType AParamType) : TParam(AParams) {
    FParamType = AParamType;
}

TParams* TParam::ParamsOwner() const {
    return dynamic_cast<TParams*>(Collection());
}

void TParam::SetDataType(TFieldType Value) {
    FDataType = Value;
    if (!IsNull()) {
        // Keep the value in the new type where it converts.
        try {
            switch (Value) {
            case ftString:
            case ftWideString:
            case ftFixedChar:
            case ftMemo:
            case ftWideMemo:
                FData = Variant(VarToStr(FData));
                break;
            case ftSmallint:
            case ftInteger:
            case ftWord:
            case ftAutoInc:
                FData = Variant(FData.AsInteger());
                break;
            case ftLargeint:
                FData = Variant((long long)FData.AsInt64());
                break;
            case ftFloat:
                FData = Variant(FData.AsDouble());
                break;
            case ftCurrency:
            case ftBCD:
                FData = Variant(FData.AsCurrency());
                break;
            case ftBoolean:
                FData = Variant(FData.AsBoolean());
                break;
            case ftDate:
            case ftTime:
            case ftDateTime:
                FData = VarFromDateTime(FData.AsDateTime());
                break;
            default:
                break;
            }
        } catch (EVariantError&) {
            FData = Null();
        }
    }
}

// Only the flag: a parameter assigned from a master's field stays unbound but keeps its value.
void TParam::SetBound(bool Value) {
    FBound = Value;
}

void TParam::Clear() {
    FData = Null();
}

void TParam::SetValue(const Variant& V) {
    if (FDataType == ftUnknown) FDataType = TypeOfVariant(V);
    FData = VarIsEmpty(V) ? Null() : V;
    FBound = true;
}

void TParam::SetAsString(const String& V) {
    FDataType = ftString;
    SetValue(Variant(V));
}
void TParam::SetAsInteger(Integer V) {
    FDataType = ftInteger;
    SetValue(Variant(V));
}
void TParam::SetAsLargeInt(Int64 V) {
    FDataType = ftLargeint;
    SetValue(Variant((long long)V));
}
void TParam::SetAsFloat(double V) {
    FDataType = ftFloat;
    SetValue(Variant(V));
}
void TParam::SetAsCurrency(Currency V) {
    FDataType = ftCurrency;
    SetValue(Variant(V));
}
void TParam::SetAsBoolean(bool V) {
    FDataType = ftBoolean;
    SetValue(Variant(V));
}
void TParam::SetAsDateTime(TDateTime V) {
    FDataType = ftDateTime;
    SetValue(VarFromDateTime(V));
}
void TParam::SetAsDate(TDateTime V) {
    FDataType = ftDate;
    SetValue(VarFromDateTime(V));
}
void TParam::SetAsTime(TDateTime V) {
    FDataType = ftTime;
    SetValue(VarFromDateTime(V));
}

void TParam::AssignField(TField* Field) {
    if (!Field) return;
    AssignFieldValue(Field, Field->Value());
    FName = Field->FieldName();
}

void TParam::AssignFieldValue(TField* Field, const Variant& Value) {
    if (!Field) return;
    FDataType = Field->DataType() == ftAutoInc ? ftInteger : Field->DataType();
    FSize = Field->Size();
    if (auto* bcd = dynamic_cast<TBCDField*>(Field)) FPrecision = bcd->Precision();
    FData = VarIsEmpty(Value) ? Null() : Value;
    FBound = true;
}

void TParam::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TParam*>(Source)) {
        FName = p->FName;
        FDataType = p->FDataType;
        FParamType = p->FParamType;
        FSize = p->FSize;
        FPrecision = p->FPrecision;
        FNumericScale = p->FNumericScale;
        FBound = p->FBound;
        FData = p->FData;
        return;
    }
    if (auto* f = dynamic_cast<TField*>(Source)) {
        AssignField(f);
        return;
    }
    TCollectionItem::Assign(Source);
}

void TParam::AssignTo(TPersistent* Dest) {
    if (auto* f = dynamic_cast<TField*>(Dest)) {
        f->SetValue(FData);
        return;
    }
    TCollectionItem::AssignTo(Dest);
}

// ---------------------------------------------------------------------------------------------
TParams::TParams(TPersistent* AOwner) : TCollection(CollectionItemClassOf<TParam>()), FOwner(AOwner) {}

TParam* TParams::AddParam() {
    return static_cast<TParam*>(TCollection::Add());
}

void TParams::AddParam(TParam* Value) {
    Value->SetCollection(this);
}

TParam* TParams::CreateParam(TFieldType FldType, const String& ParamName, TParamType ParamType) {
    TParam* p = AddParam();
    p->SetName(ParamName);
    p->SetParamType(ParamType);
    p->SetDataType(FldType);
    return p;
}

void TParams::RemoveParam(TParam* Value) {
    Value->SetCollection(nullptr);
}

TParam* TParams::FindParam(const String& Value) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiCompareText(Items(i)->Name(), Value) == 0) return Items(i);
    return nullptr;
}

TParam* TParams::ParamByName(const String& Value) const {
    TParam* p = FindParam(Value);
    if (!p) {
        auto* owner = dynamic_cast<TComponent*>(FOwner);
        DatabaseErrorFmt(SParameterNotFound, {Value}, owner);
    }
    return p;
}

void TParams::GetParamList(std::vector<TParam*>& List, const String& ParamNames) const {
    for (const String& part : ParamNames.split(u';')) {
        const String n = Trim(part);
        if (!n.isEmpty()) List.push_back(ParamByName(n));
    }
}

Variant TParams::ParamValues(const String& ParamName) const {
    if (ParamName.contains(u';')) {
        std::vector<TParam*> list;
        GetParamList(list, ParamName);
        Variant a = VarArrayCreate({0, int(list.size()) - 1}, varVariant);
        for (size_t i = 0; i < list.size(); ++i)
            a.ArrayPut({int(i)}, list[i]->Value());
        return a;
    }
    return ParamByName(ParamName)->Value();
}

void TParams::SetParamValues(const String& ParamName, const Variant& Value) {
    if (ParamName.contains(u';')) {
        std::vector<TParam*> list;
        GetParamList(list, ParamName);
        for (size_t i = 0; i < list.size(); ++i)
            list[i]->SetValue(Value.ArrayGet({int(i)}));
    } else {
        ParamByName(ParamName)->SetValue(Value);
    }
}

void TParams::AssignValues(TParams* Value) {
    for (int i = 0; i < Value->Count(); ++i)
        if (TParam* p = FindParam(Value->Items(i)->Name())) p->Assign(Value->Items(i));
}

bool TParams::IsEqual(TParams* Value) const {
    if (Count() != Value->Count()) return false;
    for (int i = 0; i < Count(); ++i) {
        TParam* a = Items(i);
        TParam* b = Value->Items(i);
        if (a->Name() != b->Name() || a->DataType() != b->DataType() || a->ParamType() != b->ParamType() ||
            a->Bound() != b->Bound() || !VarSameValue(a->Value(), b->Value()))
            return false;
    }
    return true;
}
