#include "platform/classes/TypInfo.h"
#include "platform/rtl/Variant.h"

namespace {
PPropInfo Need(const TObject* obj, const String& name) {
    PPropInfo p = GetPropInfo(obj, name);
    if (!p) throw EPropertyError(QStringLiteral("Property %1 does not exist").arg(name));
    return p;
}
} // namespace

Variant GetVariantProp(TObject* obj, PPropInfo info) {
    Variant v;
    info->Access->GetVar(obj, v);
    return v;
}

void SetVariantProp(TObject* obj, PPropInfo info, const Variant& value) {
    if (!info->CanWrite()) throw EPropReadOnly(QStringLiteral("Property %1 is read-only").arg(info->Name));
    info->Access->SetVar(obj, value);
}

Variant GetPropValue(TObject* obj, PPropInfo info, bool preferStrings) {
    switch (info->PropType->Kind) {
    case tkInteger:
        if (info->PropType->OrdType == otULong) return Variant(uint32_t(GetOrdProp(obj, info)));
        return Variant(int(GetOrdProp(obj, info)));
    case tkChar:
    case tkWChar:
        return Variant(QChar(char16_t(GetOrdProp(obj, info))));
    case tkEnumeration:
        if (info->PropType == TypeInfoBoolean()) return Variant(GetOrdProp(obj, info) != 0);
        if (preferStrings) return Variant(GetEnumProp(obj, info));
        return Variant(int(GetOrdProp(obj, info)));
    case tkSet:
        if (preferStrings) return Variant(GetSetProp(obj, info));
        return Variant(int(GetOrdProp(obj, info)));
    case tkInt64:
        return Variant((long long)GetInt64Prop(obj, info));
    case tkFloat:
        if (info->PropType == TypeInfoDateTime()) return Variant::FromDate(double(GetFloatProp(obj, info)));
        if (info->PropType->FloatType == TFloatType::ftCurr)
            return Variant(Currency(GetFloatProp(obj, info)));
        return Variant(double(GetFloatProp(obj, info)));
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
        return Variant(GetStrProp(obj, info));
    case tkVariant:
        return GetVariantProp(obj, info);
    case tkClass:
        return Variant::FromObject(GetObjectProp(obj, info));
    default:
        throw EPropertyError(QStringLiteral("Invalid property type: %1").arg(info->PropType->Name));
    }
}

void SetPropValue(TObject* obj, PPropInfo info, const Variant& value) {
    switch (info->PropType->Kind) {
    case tkInteger:
    case tkInt64:
        SetOrdProp(obj, info, value.AsInt64());
        break;
    case tkChar:
    case tkWChar: {
        String s = value.AsString();
        SetOrdProp(obj, info, s.isEmpty() ? 0 : s[0].unicode());
        break;
    }
    case tkEnumeration:
        if (VarIsStr(value))
            SetEnumProp(obj, info, value.AsString());
        else if (value.VType() == varBoolean)
            SetOrdProp(obj, info, value.AsBoolean() ? 1 : 0);
        else
            SetOrdProp(obj, info, value.AsInt64());
        break;
    case tkSet:
        if (VarIsStr(value))
            SetSetProp(obj, info, value.AsString());
        else
            SetOrdProp(obj, info, value.AsInt64());
        break;
    case tkFloat:
        SetFloatProp(obj, info, value.AsExtended());
        break;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
        SetStrProp(obj, info, VarToStr(value));
        break;
    case tkVariant:
        SetVariantProp(obj, info, value);
        break;
    case tkClass:
        SetObjectProp(obj, info, value.AsObject());
        break;
    default:
        throw EPropertyError(QStringLiteral("Invalid property type: %1").arg(info->PropType->Name));
    }
}

Variant GetVariantProp(TObject* obj, const String& n) {
    return GetVariantProp(obj, Need(obj, n));
}
void SetVariantProp(TObject* obj, const String& n, const Variant& v) {
    SetVariantProp(obj, Need(obj, n), v);
}
Variant GetPropValue(TObject* obj, const String& n, bool preferStrings) {
    return GetPropValue(obj, Need(obj, n), preferStrings);
}
void SetPropValue(TObject* obj, const String& n, const Variant& v) {
    SetPropValue(obj, Need(obj, n), v);
}
