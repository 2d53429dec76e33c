#include "platform/classes/TypInfo.h"

#include "platform/classes/Classes.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <map>
#include <mutex>

namespace {

[[noreturn]] void RaiseUnknown(const String& name) {
    throw EPropertyError(QStringLiteral("Property %1 does not exist").arg(name));
}

[[noreturn]] void RaiseBadType(const char* what) {
    throw EPropertyError(QStringLiteral("Invalid property type: %1").arg(QString::fromLatin1(what)));
}

std::recursive_mutex& Lock() {
    static std::recursive_mutex m;
    return m;
}

struct Registry {
    std::map<TClass, TPublishProc> Procs;
    std::map<TClass, std::unique_ptr<TPropTable>> Tables;
    std::map<TClass, TPublishProc> DeclareProcs;
    std::map<TClass, std::unique_ptr<TPropTable>> Declared; // built on first use
    std::map<TClass, TMethodPublishProc> MethodProcs;
    std::map<TClass, std::vector<std::unique_ptr<TMethodEntry>>> Methods;
    std::map<const std::type_info*, std::unique_ptr<TTypeInfo>> MethodTypes;
    std::map<QString, std::unique_ptr<TTypeInfo>> Types; // by name, for enumerations and classes
    // Lower-case name index per built table.
    std::map<const TPropTable*, QHash<QString, PPropInfo>> Index;
    // Tables built before a later registration reached them (static initialisation order);
    // kept alive because callers may still hold their entries.
    std::vector<std::unique_ptr<TPropTable>> Retired;
};

Registry& Reg() {
    static Registry r;
    return r;
}

TTypeInfo* NewType(TTypeKind k, const char* name) {
    auto* t = new TTypeInfo;
    t->Kind = k;
    t->Name = QString::fromLatin1(name);
    return t;
}

PTypeInfo MakeStatic(TTypeKind k, const char* name, TOrdType ot, Int64 mn, Int64 mx) {
    TTypeInfo* t = NewType(k, name);
    t->OrdType = ot;
    t->MinValue = mn;
    t->MaxValue = mx;
    return t;
}

QString Unqualified(QString s) {
    s = s.trimmed();
    int p = s.lastIndexOf(QLatin1String("::"));
    return p >= 0 ? s.mid(p + 2) : s;
}

PPropInfo Need(const TObject* obj, const String& name) {
    PPropInfo p = GetPropInfo(obj, name);
    if (!p) RaiseUnknown(name);
    return p;
}

void CheckWrite(PPropInfo info) {
    if (!info->CanWrite()) throw EPropReadOnly(QStringLiteral("Property %1 is read-only").arg(info->Name));
}

} // namespace

// ---------------------------------------------------------------------------------------------
bool TPropInfo::CanRead() const {
    return Access && Access->CanRead();
}
bool TPropInfo::CanWrite() const {
    return Access && Access->CanWrite();
}

Int64 TPropAccess::GetOrd(TObject*) const {
    RaiseBadType("ordinal");
}
void TPropAccess::SetOrd(TObject*, Int64) const {
    if (!CanWrite()) throw EPropReadOnly(QStringLiteral("Property is read-only"));
    RaiseBadType("ordinal");
}
Extended TPropAccess::GetFloat(TObject*) const {
    RaiseBadType("float");
}
void TPropAccess::SetFloat(TObject*, Extended) const {
    RaiseBadType("float");
}
String TPropAccess::GetStr(TObject*) const {
    RaiseBadType("string");
}
void TPropAccess::SetStr(TObject*, const String&) const {
    RaiseBadType("string");
}
TObject* TPropAccess::GetObj(TObject*) const {
    RaiseBadType("class");
}
void TPropAccess::SetObj(TObject*, TObject*) const {
    RaiseBadType("class");
}
void TPropAccess::GetVar(TObject*, Variant&) const {
    RaiseBadType("variant");
}
void TPropAccess::SetVar(TObject*, const Variant&) const {
    RaiseBadType("variant");
}
bool TPropAccess::Test(TObject*) const {
    return true;
}
bool TPropAccess::MethodAssigned(TObject*) const {
    RaiseBadType("method");
}
bool TPropAccess::HoldsMethod(TObject*, TObject*, const TMethodEntry&) const {
    RaiseBadType("method");
}
void TPropAccess::SetMethod(TObject*, TObject*, const TMethodEntry*) const {
    RaiseBadType("method");
}

// ---------------------------------------------------------------------------------------------
PTypeInfo TypeInfoInteger(TOrdType ot) {
    static const PTypeInfo t[] = {
        MakeStatic(tkInteger, "ShortInt", otSByte, -128, 127),
        MakeStatic(tkInteger, "Byte", otUByte, 0, 255),
        MakeStatic(tkInteger, "SmallInt", otSWord, -32768, 32767),
        MakeStatic(tkInteger, "Word", otUWord, 0, 65535),
        MakeStatic(tkInteger, "Integer", otSLong, INT32_MIN, INT32_MAX),
        MakeStatic(tkInteger, "Cardinal", otULong, 0, UINT32_MAX),
    };
    return t[ot];
}
PTypeInfo TypeInfoInt64() {
    static const PTypeInfo t = MakeStatic(tkInt64, "Int64", otSLong, INT64_MIN, INT64_MAX);
    return t;
}
PTypeInfo TypeInfoBoolean() {
    static const PTypeInfo t = [] {
        TTypeInfo* b = NewType(tkEnumeration, "Boolean");
        b->OrdType = otUByte;
        b->MaxValue = 1;
        b->NameList = {QStringLiteral("False"), QStringLiteral("True")};
        return b;
    }();
    return t;
}
PTypeInfo TypeInfoChar() {
    static const PTypeInfo t = MakeStatic(tkChar, "AnsiChar", otUByte, 0, 255);
    return t;
}
PTypeInfo TypeInfoWideChar() {
    static const PTypeInfo t = MakeStatic(tkWChar, "Char", otUWord, 0, 65535);
    return t;
}
PTypeInfo TypeInfoFloat(TFloatType ft) {
    static const PTypeInfo t[] = {
        [] {
            auto* x = NewType(tkFloat, "Single");
            x->FloatType = TFloatType::ftSingle;
            return x;
        }(),
        [] {
            auto* x = NewType(tkFloat, "Double");
            x->FloatType = TFloatType::ftDouble;
            return x;
        }(),
        [] {
            auto* x = NewType(tkFloat, "Extended");
            x->FloatType = TFloatType::ftExtended;
            return x;
        }(),
        [] {
            auto* x = NewType(tkFloat, "Comp");
            x->FloatType = TFloatType::ftComp;
            return x;
        }(),
        [] {
            auto* x = NewType(tkFloat, "Currency");
            x->FloatType = TFloatType::ftCurr;
            return x;
        }(),
    };
    return t[int(ft)];
}
PTypeInfo TypeInfoDateTime() {
    static const PTypeInfo t = [] {
        auto* x = NewType(tkFloat, "TDateTime");
        x->FloatType = TFloatType::ftDouble;
        return x;
    }();
    return t;
}
PTypeInfo TypeInfoUnicodeString() {
    static const PTypeInfo t = NewType(tkUString, "string");
    return t;
}
PTypeInfo TypeInfoAnsiString() {
    static const PTypeInfo t = NewType(tkLString, "AnsiString");
    return t;
}
PTypeInfo TypeInfoVariant() {
    static const PTypeInfo t = NewType(tkVariant, "Variant");
    return t;
}

PTypeInfo TypeInfoClass(TClass c) {
    std::lock_guard g(Lock());
    auto& slot = Reg().Types[QStringLiteral("class ") + QString::fromLatin1(c->Name)];
    if (!slot) {
        slot.reset(NewType(tkClass, c->Name));
        slot->ClassType = c;
    }
    return slot.get();
}

PTypeInfo MakeEnumTypeInfo(const char* typeName, const char* names, Int64 minValue) {
    std::lock_guard g(Lock());
    auto& slot = Reg().Types[QStringLiteral("enum ") + QString::fromLatin1(typeName)];
    if (!slot) {
        slot.reset(NewType(tkEnumeration, typeName));
        for (const QString& n : QString::fromLatin1(names).split(QLatin1Char(',')))
            slot->NameList.push_back(Unqualified(n));
        slot->MinValue = minValue;
        slot->MaxValue = minValue + Int64(slot->NameList.size()) - 1;
        slot->OrdType = slot->NameList.size() <= 256 ? otUByte : otUWord;
    }
    return slot.get();
}

PTypeInfo MakeSetTypeInfo(PTypeInfo compType, const char* typeName) {
    std::lock_guard g(Lock());
    QString name = typeName ? QString::fromLatin1(typeName) : QStringLiteral("set of ") + compType->Name;
    auto& slot = Reg().Types[QStringLiteral("set ") + name];
    if (!slot) {
        slot.reset(new TTypeInfo);
        slot->Kind = tkSet;
        slot->Name = name;
        slot->CompType = compType;
        slot->OrdType = otULong;
    }
    return slot.get();
}

PTypeInfo MakeMethodTypeInfo(const std::type_info& signature) {
    std::lock_guard g(Lock());
    // One type's type_info may sit at different addresses in different libraries: compare them.
    auto& types = Reg().MethodTypes;
    for (auto& [k, t] : types)
        if (*k == signature) return t.get();
    auto& slot = types[&signature];
    slot.reset(NewType(tkMethod, "TMethod"));
    slot->MethodSignature = &signature;
    return slot.get();
}

// ---------------------------------------------------------------------------------------------
TPropInfo& TPropTableBuilder::Add(const String& name, PTypeInfo type,
                                  std::shared_ptr<const TPropAccess> access) {
    auto p = std::make_unique<TPropInfo>();
    p->PropType = type;
    p->Name = name;
    p->Access = std::move(access);
    p->Owner = FTable.Class;
    TPropInfo* raw = p.get();
    auto it = std::find_if(FTable.All.begin(), FTable.All.end(),
                           [&](PPropInfo q) { return q->Name.compare(name, Qt::CaseInsensitive) == 0; });
    if (it != FTable.All.end()) {
        raw->NameIndex = (*it)->NameIndex;
        *it = raw;
    } else {
        raw->NameIndex = SmallInt(FTable.All.size());
        FTable.All.push_back(raw);
    }
    FTable.Own.push_back(std::move(p));
    return *raw;
}

void TPropTableBuilder::Retain(std::initializer_list<const char*> names) {
    auto listed = [&](PPropInfo p) {
        for (const char* n : names)
            if (p->Name.compare(QString::fromLatin1(n), Qt::CaseInsensitive) == 0) return true;
        return false;
    };
    std::erase_if(FTable.All, [&](PPropInfo p) { return !listed(p); });
    // The inherited entries are shared with the parent's table: renumbering them would change
    // the parent's indices, so the survivors are copied first.
    for (PPropInfo& p : FTable.All) {
        auto copy = std::make_unique<TPropInfo>(*p);
        copy->NameIndex = SmallInt(&p - FTable.All.data());
        p = copy.get();
        FTable.Own.push_back(std::move(copy));
    }
}

bool RegisterPublished(TClass cls, TPublishProc proc) {
    std::lock_guard g(Lock());
    Registry& r = Reg();
    r.Procs[cls] = proc;
    for (auto it = r.Tables.begin(); it != r.Tables.end();) {
        if (it->first->InheritsFrom(cls)) {
            r.Index.erase(it->second.get());
            r.Retired.push_back(std::move(it->second));
            it = r.Tables.erase(it);
        } else
            ++it;
    }
    return true;
}

const TPropTable& GetPropTable(TClass cls) {
    std::lock_guard g(Lock());
    Registry& r = Reg();
    auto found = r.Tables.find(cls);
    if (found != r.Tables.end()) return *found->second;
    auto t = std::make_unique<TPropTable>();
    t->Class = cls;
    if (cls->Parent) t->All = GetPropTable(cls->Parent).All;
    auto proc = r.Procs.find(cls);
    if (proc != r.Procs.end()) {
        TPropTableBuilder b(*t);
        proc->second(b);
    }
    auto& idx = r.Index[t.get()];
    for (PPropInfo p : t->All)
        idx.insert(p->Name.toLower(), p);
    return *(r.Tables[cls] = std::move(t));
}

TPropInfo& TPropTableBuilder::Publish(TClass cls, const String& name) {
    PPropInfo decl = FindDeclaredProp(cls, name);
    if (!decl) RaiseUnknown(name);
    TPropInfo& p = Add(decl->Name, decl->PropType, decl->Access);
    p.Default = decl->Default;
    p.StoredProc = decl->StoredProc;
    p.StoredConst = decl->StoredConst;
    p.Owner = cls;
    return p;
}

bool RegisterDeclared(TClass cls, TPublishProc proc) {
    std::lock_guard g(Lock());
    Reg().DeclareProcs[cls] = proc;
    Reg().Declared.erase(cls);
    return true;
}

PPropInfo FindDeclaredProp(TClass cls, const String& propName) {
    std::lock_guard g(Lock());
    Registry& r = Reg();
    for (TClass c = cls; c; c = c->Parent) {
        auto proc = r.DeclareProcs.find(c);
        if (proc == r.DeclareProcs.end()) continue;
        auto& slot = r.Declared[c];
        if (!slot) {
            slot = std::make_unique<TPropTable>();
            slot->Class = c;
            TPropTableBuilder b(*slot);
            proc->second(b);
        }
        for (PPropInfo p : slot->All)
            if (p->Name.compare(propName, Qt::CaseInsensitive) == 0) return p;
    }
    return nullptr;
}

bool RegisterPublishedMethods(TClass cls, TMethodPublishProc proc) {
    std::lock_guard g(Lock());
    Reg().MethodProcs[cls] = proc;
    Reg().Methods.erase(cls);
    return true;
}

namespace {
const std::vector<std::unique_ptr<TMethodEntry>>* OwnMethods(TClass c) {
    Registry& r = Reg();
    auto proc = r.MethodProcs.find(c);
    if (proc == r.MethodProcs.end()) return nullptr;
    auto it = r.Methods.find(c);
    if (it == r.Methods.end()) {
        it = r.Methods.emplace(c, std::vector<std::unique_ptr<TMethodEntry>>{}).first;
        proc->second(it->second);
    }
    return &it->second;
}
} // namespace

PMethodEntry FindMethodEntry(TClass cls, const String& name) {
    std::lock_guard g(Lock());
    for (TClass c = cls; c; c = c->Parent)
        if (auto* own = OwnMethods(c))
            for (const auto& m : *own)
                if (m->Name.compare(name, Qt::CaseInsensitive) == 0) return m.get();
    return nullptr;
}

std::vector<PMethodEntry> GetMethodList(TClass cls) {
    std::lock_guard g(Lock());
    std::vector<PMethodEntry> list;
    for (TClass c = cls; c; c = c->Parent)
        if (auto* own = OwnMethods(c))
            for (const auto& m : *own)
                list.push_back(m.get());
    return list;
}

bool MethodPropAssigned(TObject* obj, PPropInfo info) {
    return info->Access->MethodAssigned(obj);
}

String GetMethodPropName(TObject* obj, PPropInfo info, TObject* Root) {
    if (!Root || !info->Access->MethodAssigned(obj)) return {};
    for (PMethodEntry m : GetMethodList(Root->ClassType()))
        if (info->Access->HoldsMethod(obj, Root, *m)) return m->Name;
    return {};
}

void SetMethodPropName(TObject* obj, PPropInfo info, TObject* Root, const String& name) {
    CheckWrite(info);
    if (name.isEmpty()) {
        info->Access->SetMethod(obj, Root, nullptr);
        return;
    }
    PMethodEntry m = Root ? FindMethodEntry(Root->ClassType(), name) : nullptr;
    if (!m) throw EPropertyError(QStringLiteral("Method %1 not found").arg(name));
    const std::type_info* want = info->PropType->MethodSignature;
    if (!want || !m->Signature || *want != *m->Signature)
        throw EPropertyError(QStringLiteral("Method %1 does not fit %2").arg(name, info->Name));
    info->Access->SetMethod(obj, Root, m);
}

PPropInfo GetPropInfo(TClass cls, const String& propName, TTypeKinds kinds) {
    if (!cls) return nullptr;
    const TPropTable& t = GetPropTable(cls);
    PPropInfo p;
    {
        std::lock_guard g(Lock());
        p = Reg().Index[&t].value(propName.toLower(), nullptr);
    }
    if (p && !kinds.Empty() && !kinds.Contains(p->PropType->Kind)) return nullptr;
    return p;
}

PPropInfo GetPropInfo(const TObject* obj, const String& propName, TTypeKinds kinds) {
    return obj ? GetPropInfo(obj->ClassType(), propName, kinds) : nullptr;
}

TPropList GetPropList(TClass cls, TTypeKinds kinds) {
    TPropList all = GetPropTable(cls).All;
    if (!kinds.Empty())
        all.erase(std::remove_if(all.begin(), all.end(),
                                 [&](PPropInfo p) { return !kinds.Contains(p->PropType->Kind); }),
                  all.end());
    return all;
}

TPropList GetPropList(const TObject* obj, TTypeKinds kinds) {
    return obj ? GetPropList(obj->ClassType(), kinds) : TPropList{};
}

void SortPropList(TPropList& list) {
    std::stable_sort(list.begin(), list.end(), [](PPropInfo a, PPropInfo b) {
        return a->Name.compare(b->Name, Qt::CaseInsensitive) < 0;
    });
}

bool IsPublishedProp(const TObject* obj, const String& propName) {
    return GetPropInfo(obj, propName) != nullptr;
}

bool PropIsType(const TObject* obj, const String& propName, TTypeKind kind) {
    return Need(obj, propName)->PropType->Kind == kind;
}

TTypeKind PropType(const TObject* obj, const String& propName) {
    return Need(obj, propName)->PropType->Kind;
}

bool IsStoredProp(TObject* obj, PPropInfo info) {
    if (info->StoredProc) return info->StoredProc->Test(obj);
    return info->StoredConst;
}

bool IsStoredProp(TObject* obj, const String& propName) {
    return IsStoredProp(obj, Need(obj, propName));
}

// ---------------------------------------------------------------------------------------------
Int64 GetOrdProp(TObject* obj, PPropInfo info) {
    return info->Access->GetOrd(obj);
}

void SetOrdProp(TObject* obj, PPropInfo info, Int64 value) {
    CheckWrite(info);
    info->Access->SetOrd(obj, value);
}

Int64 GetInt64Prop(TObject* obj, PPropInfo info) {
    return info->Access->GetOrd(obj);
}
void SetInt64Prop(TObject* obj, PPropInfo info, Int64 value) {
    SetOrdProp(obj, info, value);
}

Extended GetFloatProp(TObject* obj, PPropInfo info) {
    return info->Access->GetFloat(obj);
}

void SetFloatProp(TObject* obj, PPropInfo info, Extended value) {
    CheckWrite(info);
    info->Access->SetFloat(obj, value);
}

String GetStrProp(TObject* obj, PPropInfo info) {
    return info->Access->GetStr(obj);
}

void SetStrProp(TObject* obj, PPropInfo info, const String& value) {
    CheckWrite(info);
    info->Access->SetStr(obj, value);
}

String GetEnumProp(TObject* obj, PPropInfo info) {
    return GetEnumName(info->PropType, GetOrdProp(obj, info));
}

void SetEnumProp(TObject* obj, PPropInfo info, const String& value) {
    Integer v = GetEnumValue(info->PropType, value);
    if (v < 0 && info->PropType->Kind == tkEnumeration)
        throw EPropertyConvertError(QStringLiteral("Invalid property element: %1").arg(value));
    SetOrdProp(obj, info, v);
}

String GetSetProp(TObject* obj, PPropInfo info, bool brackets) {
    if (info->PropType->Kind != tkSet) RaiseBadType("set");
    return SetToString(info->PropType, uint32_t(GetOrdProp(obj, info)), brackets);
}

void SetSetProp(TObject* obj, PPropInfo info, const String& value) {
    if (info->PropType->Kind != tkSet) RaiseBadType("set");
    SetOrdProp(obj, info, StringToSet(info->PropType, value));
}

TObject* GetObjectProp(TObject* obj, PPropInfo info, TClass minClass) {
    TObject* o = info->Access->GetObj(obj);
    if (o && minClass && !o->InheritsFrom(minClass)) return nullptr;
    return o;
}

void SetObjectProp(TObject* obj, PPropInfo info, TObject* value) {
    CheckWrite(info);
    if (value && info->PropType->ClassType && !value->InheritsFrom(info->PropType->ClassType))
        throw EPropertyError(QStringLiteral("Invalid property value"));
    info->Access->SetObj(obj, value);
}

Int64 GetOrdProp(TObject* obj, const String& n) {
    return GetOrdProp(obj, Need(obj, n));
}
void SetOrdProp(TObject* obj, const String& n, Int64 v) {
    SetOrdProp(obj, Need(obj, n), v);
}
Int64 GetInt64Prop(TObject* obj, const String& n) {
    return GetInt64Prop(obj, Need(obj, n));
}
void SetInt64Prop(TObject* obj, const String& n, Int64 v) {
    SetInt64Prop(obj, Need(obj, n), v);
}
Extended GetFloatProp(TObject* obj, const String& n) {
    return GetFloatProp(obj, Need(obj, n));
}
void SetFloatProp(TObject* obj, const String& n, Extended v) {
    SetFloatProp(obj, Need(obj, n), v);
}
String GetStrProp(TObject* obj, const String& n) {
    return GetStrProp(obj, Need(obj, n));
}
void SetStrProp(TObject* obj, const String& n, const String& v) {
    SetStrProp(obj, Need(obj, n), v);
}
String GetEnumProp(TObject* obj, const String& n) {
    return GetEnumProp(obj, Need(obj, n));
}
void SetEnumProp(TObject* obj, const String& n, const String& v) {
    SetEnumProp(obj, Need(obj, n), v);
}
String GetSetProp(TObject* obj, const String& n, bool brackets) {
    return GetSetProp(obj, Need(obj, n), brackets);
}
void SetSetProp(TObject* obj, const String& n, const String& v) {
    SetSetProp(obj, Need(obj, n), v);
}
TObject* GetObjectProp(TObject* obj, const String& n, TClass minClass) {
    return GetObjectProp(obj, Need(obj, n), minClass);
}
void SetObjectProp(TObject* obj, const String& n, TObject* v) {
    SetObjectProp(obj, Need(obj, n), v);
}

// ---------------------------------------------------------------------------------------------
String GetEnumName(PTypeInfo typeInfo, Int64 value) {
    if (!typeInfo) return String();
    switch (typeInfo->Kind) {
    case tkInteger:
    case tkInt64:
        return QString::number(value);
    case tkEnumeration: {
        Int64 i = value - typeInfo->MinValue;
        if (i < 0 || i >= Int64(typeInfo->NameList.size())) return String();
        return typeInfo->NameList[size_t(i)];
    }
    default:
        return String();
    }
}

Integer GetEnumValue(PTypeInfo typeInfo, const String& name) {
    if (!typeInfo) return -1;
    if (typeInfo->Kind == tkInteger) {
        bool ok = false;
        int v = name.trimmed().toInt(&ok);
        return ok ? v : -1;
    }
    if (typeInfo->Kind != tkEnumeration) return -1;
    for (size_t i = 0; i < typeInfo->NameList.size(); ++i)
        if (typeInfo->NameList[i].compare(name, Qt::CaseInsensitive) == 0)
            return Integer(typeInfo->MinValue + Int64(i));
    return -1;
}

String SetToString(PTypeInfo setType, uint32_t bits, bool brackets) {
    PTypeInfo comp = setType->Kind == tkSet ? setType->CompType : setType;
    QStringList parts;
    for (int i = 0; i < 32; ++i)
        if (bits & (uint32_t(1) << i)) {
            String n = GetEnumName(comp, i);
            parts << (n.isEmpty() ? QString::number(i) : n);
        }
    String s = parts.join(QLatin1Char(','));
    return brackets ? QLatin1Char('[') + s + QLatin1Char(']') : s;
}

uint32_t StringToSet(PTypeInfo setType, const String& text) {
    PTypeInfo comp = setType->Kind == tkSet ? setType->CompType : setType;
    QString s = text.trimmed();
    if (s.startsWith(QLatin1Char('['))) s.remove(0, 1);
    if (s.endsWith(QLatin1Char(']'))) s.chop(1);
    uint32_t bits = 0;
    for (const QString& part : s.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QString n = part.trimmed();
        if (n.isEmpty()) continue;
        Integer v = GetEnumValue(comp, n);
        if (v < 0 || v > 31)
            throw EPropertyConvertError(QStringLiteral("Invalid property element: %1").arg(n));
        bits |= uint32_t(1) << v;
    }
    return bits;
}

// ---------------------------------------------------------------------------------------------
// The component's own published properties: the name travels in the stream's object header.
KVT_PUBLISHED(TComponent) {
    P.Prop("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
    P.Typed("Tag", TypeInfoInteger(), &TComponent::Tag, &TComponent::SetTag).Default(0);
}
