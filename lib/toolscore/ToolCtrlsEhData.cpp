#include "lib/toolscore/ToolCtrlsEhData.h"

#include "lib/toolscore/PlatformEh.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QStringList>

// ---------------------------------------------------------------------------------------------
// Display text

String FieldValueDisplayText(const Variant& Value, TField* Field, const String& DisplayFormat) {
    if (Value.IsEmpty() || Value.IsNull() || !Field) return String();
    const TFormatSettingsProxyEh& fs = FormatSettingsProxy();
    switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc: {
        auto* nf = dynamic_cast<TNumericField*>(Field);
        if (!DisplayFormat.isEmpty()) return FormatFloat(DisplayFormat, Value.AsExtended());
        if (nf && !nf->DisplayFormat().isEmpty()) return FormatFloat(nf->DisplayFormat(), Value.AsExtended());
        return QString::number(Value.AsInt64());
    }
    case ftFloat:
    case ftCurrency: {
        auto* ff = dynamic_cast<TFloatField*>(Field);
        if (!DisplayFormat.isEmpty()) return FormatFloat(DisplayFormat, Value.AsExtended());
        if (ff && !ff->DisplayFormat().isEmpty()) return FormatFloat(ff->DisplayFormat(), Value.AsExtended());
        const bool cur = ff && ff->currency();
        return FloatToStrF(Value.AsExtended(), cur ? ffCurrency : ffGeneral, ff ? ff->Precision() : 15,
                           cur ? fs.CurrencyDecimals() : 0);
    }
    case ftBCD:
    case ftFMTBcd: {
        if (!DisplayFormat.isEmpty()) return FormatFloat(DisplayFormat, Value.AsExtended());
        String fieldFormat;
        bool cur = false;
        if (auto* bf = dynamic_cast<TBCDField*>(Field)) {
            fieldFormat = bf->DisplayFormat();
            cur = bf->currency();
        } else if (auto* mf = dynamic_cast<TFMTBCDField*>(Field)) {
            fieldFormat = mf->DisplayFormat();
            cur = mf->currency();
        }
        if (!fieldFormat.isEmpty()) return FormatCurr(fieldFormat, Value.AsCurrency());
        return CurrToStrF(Value.AsCurrency(), cur ? ffCurrency : ffGeneral, cur ? fs.CurrencyDecimals() : 0);
    }
    case ftDate:
    case ftTime:
    case ftDateTime: {
        String format = DisplayFormat;
        if (format.isEmpty()) {
            if (Field->DataType() == ftDate)
                format = fs.ShortDateFormat();
            else if (Field->DataType() == ftTime)
                format = fs.LongTimeFormat();
        }
        String result;
        DateTimeToString(result, format, Value.AsDateTime());
        return result;
    }
    default:
        return VarToStr(Value);
    }
}

// ---------------------------------------------------------------------------------------------
// Equality and ordering

namespace {
bool SameShapeArrays(const Variant& V1, const Variant& V2) {
    return V1.ArrayDimCount() == V2.ArrayDimCount() && V1.ArrayLowBound(1) == V2.ArrayLowBound(1) &&
           V1.ArrayHighBound(1) == V2.ArrayHighBound(1);
}
} // namespace

bool VariantsEqual(const Variant& V1, const Variant& V2) {
    try {
        if (V1.IsArray() != V2.IsArray()) return false;
        if (V1.IsArray() && SameShapeArrays(V1, V2)) {
            const int lo = V1.ArrayLowBound(1), hi = V1.ArrayHighBound(1);
            if (hi < lo) return false;
            for (int i = lo; i <= hi; ++i)
                if (!(V1[i] == V2[i])) return false;
            return true;
        }
        if (V1.IsEmpty() != V2.IsEmpty()) return false;
        return V1 == V2;
    } catch (const Exception&) {
        return false;
    }
}

TVariantRelationship CompareVariantsNullFirst(const Variant& V1, const Variant& V2) {
    const bool n1 = V1.IsNull(), n2 = V2.IsNull();
    if (n1 && n2) return vrEqual;
    if (n1) return vrLessThan;
    if (n2) return vrGreaterThan;
    return VarCompareValue(V1, V2);
}

TVariantRelationship VariantsRelation(const Variant& V1, const Variant& V2) {
    if (V1.IsArray() != V2.IsArray()) return vrNotEqual;
    if (V1.IsArray() && SameShapeArrays(V1, V2)) {
        const int lo = V1.ArrayLowBound(1), hi = V1.ArrayHighBound(1);
        if (hi < lo) return vrNotEqual;
        for (int i = lo; i <= hi; ++i) {
            TVariantRelationship r = CompareVariantsNullFirst(V1[i], V2[i]);
            if (r != vrEqual) return r;
        }
        return vrEqual;
    }
    return CompareVariantsNullFirst(V1, V2);
}

// ---------------------------------------------------------------------------------------------
// Field lists

std::vector<String> SplitFieldNames(const String& FieldNames) {
    std::vector<String> out;
    for (const String& part : FieldNames.split(QLatin1Char(';'))) {
        String n = part.trimmed();
        if (!n.isEmpty()) out.push_back(n);
    }
    return out;
}

void GetFieldsByNames(std::vector<TField*>* List, TDataSet* DataSet, TComponent* ErrorComponent,
                      const String& FieldNames) {
    for (const String& name : SplitFieldNames(FieldNames)) {
        TField* f = DataSet ? DataSet->FindField(name) : nullptr;
        if (!f) DatabaseErrorFmt(QStringLiteral("Field '%s' not found"), {name}, ErrorComponent);
        if (List) List->push_back(f);
    }
}

void FieldsArrayFromNames(TDataSet* DataSet, TComponent* ErrorComponent, const String& FieldNames,
                          TFieldsArrEh& Fields) {
    TFieldsArrEh found;
    GetFieldsByNames(&found, DataSet, ErrorComponent, FieldNames);
    Fields = std::move(found);
}

void SetFieldValuesFromVariant(TDataSet* DataSet, const String& FieldNames, const Variant& Value) {
    if (VariantsEqual(Value, Null())) {
        std::vector<TField*> fields;
        DataSet->GetFieldList(fields, FieldNames);
        for (TField* f : fields)
            f->Clear();
    } else {
        DataSet->SetFieldValues(FieldNames, Value);
    }
}

// ---------------------------------------------------------------------------------------------
// TOrderByList

TOrderByItemEh* TOrderByList::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError(Format(QStringLiteral("List index out of bounds (%d)"), {Index}));
    return FItems[size_t(Index)].get();
}

void TOrderByList::SetItems(int Index, TOrderByItemEh* Value) {
    Items(Index);
    FItems[size_t(Index)].reset(Value);
}

int TOrderByList::ResolveFieldIndex(const String&) {
    return -1;
}

String TOrderByList::GetToken(const String& Exp, int& FromIndex) {
    const int n = Exp.size();
    int i = FromIndex - 1;
    while (i < n && Exp[i] == QLatin1Char(' '))
        ++i;
    String token;
    if (i >= n) {
        FromIndex = i + 1;
        return token;
    }
    const QChar c = Exp[i];
    if (c == QLatin1Char(',') || c == QLatin1Char(';')) {
        token = c;
        ++i;
    } else if (c == QLatin1Char('[')) {
        ++i;
        while (i < n && Exp[i] != QLatin1Char(']'))
            token += Exp[i++];
        if (i < n) ++i;
    } else {
        while (i < n && Exp[i] != QLatin1Char(' ') && Exp[i] != QLatin1Char(',') &&
               Exp[i] != QLatin1Char(';'))
            token += Exp[i++];
    }
    FromIndex = i + 1;
    return token;
}

void TOrderByList::ParseOrderByStr(const String& OrderByStr) {
    int pos = 1;
    String token = GetToken(OrderByStr, pos);
    if (token.isEmpty()) {
        Clear();
        return;
    }
    std::vector<std::unique_ptr<TOrderByItemEh>> items;
    while (true) {
        const int fi = ResolveFieldIndex(token);
        if (fi == -1)
            throw Exception(QStringLiteral(" Field - \"") + token + QStringLiteral("\" not found."));
        bool desc = false;
        bool endOfText = false;
        while (true) {
            String t = GetToken(OrderByStr, pos);
            if (t.isEmpty()) {
                endOfText = true;
                break;
            }
            if (t == QLatin1String(",") || t == QLatin1String(";")) break;
            if (t.compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0) continue;
            if (t.compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0) {
                desc = true;
                continue;
            }
            throw Exception(QStringLiteral(" Invalid token - \"") + t + QStringLiteral("\""));
        }
        auto item = std::make_unique<TOrderByItemEh>();
        item->FieldIndex = fi;
        item->MTFieldIndex = fi;
        item->Desc = desc;
        items.push_back(std::move(item));
        if (endOfText) break;
        token = GetToken(OrderByStr, pos);
        if (token.isEmpty()) break; // a trailing separator
    }
    FItems = std::move(items);
}
