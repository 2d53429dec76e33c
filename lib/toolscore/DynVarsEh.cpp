// Named variable collections and their placeholder variables.

#include "lib/toolscore/DynVarsEh.h"

#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------------------------------------
// TCustomDynVarEh

TCustomDynVarEh::TCustomDynVarEh(TCollection* Collection) : TCollectionItem(Collection) {}

TCustomDynVarEh::~TCustomDynVarEh() {
    // A placeholder freed by its user must not stay behind as its collection's placeholder.
    if (FIsDummy && FOwnerWhenDummy) FOwnerWhenDummy->DetachDummy(this);
}

TCustomDynVarEh* TCustomDynVarEh::CreateAsDummy(TCustomDynVarsEh* Owner) {
    const TCollectionItemClass cls = Owner->GetDynVarClass();
    TCollectionItem* item = cls.Create ? cls.Create(nullptr) : ::Create<TCustomDynVarEh>(nullptr);
    auto* var = static_cast<TCustomDynVarEh*>(item);
    var->FIsDummy = true;
    var->FOwnerWhenDummy = Owner;
    return var;
}

TCustomDynVarsEh* TCustomDynVarEh::VarCollection() const {
    return static_cast<TCustomDynVarsEh*>(Collection());
}

void TCustomDynVarEh::EnsureMember() {
    if (FIsDummy && FOwnerWhenDummy) FOwnerWhenDummy->DummyToMember(this);
}

void TCustomDynVarEh::SetName(const String& Value) {
    if (FIsDummy && FOwnerWhenDummy) {
        // A placeholder carries the name of the last lookup; the new name is what joins the
        // collection, so only the new name is checked against it.
        FOwnerWhenDummy->CheckNewName(Value, nullptr);
        FName = Value;
        EnsureMember();
        Changed(false);
        return;
    }
    if (auto* coll = VarCollection()) coll->CheckNewName(Value, this);
    FName = Value;
    Changed(false);
}

void TCustomDynVarEh::SetVarValue(const Variant& Value) {
    EnsureMember();
    FData = Value;
    Changed(false);
}

bool TCustomDynVarEh::GetIsNull() const {
    if (FData.IsEmpty() || FData.IsNull()) return true;
    try {
        return FData == Variant();
    } catch (const EVariantError&) {
        return false; // arrays and references do not compare with Unassigned
    }
}

void TCustomDynVarEh::AssignTo(TPersistent* Dest) {
    if (auto* dest = dynamic_cast<TCustomDynVarEh*>(Dest)) {
        dest->SetName(FName);
        dest->SetVarValue(FData);
        return;
    }
    TCollectionItem::AssignTo(Dest);
}

// ---------------------------------------------------------------------------------------------
// TDynVarEh

bool TDynVarEh::AsBoolean() const {
    return IsNull() ? false : FData.AsBoolean();
}

Currency TDynVarEh::AsCurrency() const {
    return IsNull() ? Currency() : FData.AsCurrency();
}

TDateTime TDynVarEh::AsDateTime() const {
    return IsNull() ? 0 : FData.AsDateTime();
}

double TDynVarEh::AsFloat() const {
    return IsNull() ? 0 : FData.AsDouble();
}

Integer TDynVarEh::AsInteger() const {
    return IsNull() ? 0 : FData.AsInteger();
}

TObject* TDynVarEh::AsRefObject() const {
    return IsNull() ? nullptr : FData.AsObject();
}

String TDynVarEh::AsString() const {
    return VarToStr(FData);
}

void TDynVarEh::SetAsBoolean(bool Value) {
    SetValue(Variant(Value));
}

void TDynVarEh::SetAsCurrency(Currency Value) {
    SetValue(Variant(Value));
}

void TDynVarEh::SetAsDateTime(TDateTime Value) {
    SetValue(Variant::FromDate(Value));
}

void TDynVarEh::SetAsFloat(double Value) {
    SetValue(Variant(Value));
}

void TDynVarEh::SetAsInteger(Integer Value) {
    SetValue(Variant(Value));
}

void TDynVarEh::SetAsRefObject(TObject* Value) {
    SetValue(Variant::FromObject(Value));
}

void TDynVarEh::SetAsString(const String& Value) {
    EnsureMember();
    FData = Variant(Value);
}

// ---------------------------------------------------------------------------------------------
// TStringVarEh

String TStringVarEh::Value() const {
    return VarToStr(FData);
}

// ---------------------------------------------------------------------------------------------
// TCustomDynVarsEh

TCustomDynVarsEh::TCustomDynVarsEh(TPersistent* Owner)
    : TCustomDynVarsEh(Owner, CollectionItemClassOf<TCustomDynVarEh>()) {}

TCustomDynVarsEh::TCustomDynVarsEh(TPersistent* Owner, TCollectionItemClass ItemClass)
    : TCollection(ItemClass), FOwner(Owner) {}

TCustomDynVarsEh::~TCustomDynVarsEh() {
    if (FDummyVar) {
        TCustomDynVarEh* dummy = FDummyVar;
        FDummyVar = nullptr;
        dummy->FOwnerWhenDummy = nullptr;
        delete dummy;
    }
}

TCollectionItemClass TCustomDynVarsEh::GetDynVarClass() const {
    return CollectionItemClassOf<TCustomDynVarEh>();
}

TCustomDynVarEh* TCustomDynVarsEh::DummyVar() {
    // Made on first need, so that the placeholder has the item class of the complete object.
    if (!FDummyVar) FDummyVar = TCustomDynVarEh::CreateAsDummy(this);
    return FDummyVar;
}

void TCustomDynVarsEh::DetachDummy(TCustomDynVarEh* Var) {
    if (FDummyVar == Var) FDummyVar = nullptr;
    Var->FIsDummy = false;
    Var->FOwnerWhenDummy = nullptr;
}

void TCustomDynVarsEh::DuplicateNameError(const String& Name) {
    throw Exception(Format(QStringLiteral("Переменная с именем '%s' уже присутствует в Коллекции"), {Name}));
}

void TCustomDynVarsEh::CheckNewName(const String& Name, const TCustomDynVarEh* Except) const {
    // The variable itself does not count, so it can take a case variant of its own name.
    for (int i = 0; i < Count(); ++i) {
        TCustomDynVarEh* var = Items(i);
        if (var != Except && SameText(var->FName, Name)) DuplicateNameError(Name);
    }
}

TCustomDynVarEh* TCustomDynVarsEh::FindDynVar(const String& Name) const {
    for (int i = 0; i < Count(); ++i) {
        TCustomDynVarEh* var = Items(i);
        if (SameText(var->FName, Name)) return var;
    }
    return nullptr;
}

TCustomDynVarEh* TCustomDynVarsEh::GetDynVar(const String& Name) {
    if (TCustomDynVarEh* var = FindDynVar(Name)) return var;
    TCustomDynVarEh* dummy = DummyVar();
    dummy->FName = Name;
    return dummy;
}

void TCustomDynVarsEh::DummyToMember(TCustomDynVarEh* Var) {
    if (Var != FDummyVar) throw Exception(QStringLiteral("DummyVar must be same as collection DummyVar"));
    CheckNewName(Var->FName, nullptr);
    FDummyVar = nullptr;
    Var->FIsDummy = false;
    Var->FOwnerWhenDummy = nullptr;
    Var->SetCollection(this);
}

TCustomDynVarEh* TCustomDynVarsEh::CreateDynVar(const String& Name, const Variant& Value) {
    CheckNewName(Name, nullptr);
    auto* var = static_cast<TCustomDynVarEh*>(Add());
    var->SetName(Name);
    var->SetVarValue(Value);
    return var;
}

TCustomDynVarEh* TCustomDynVarsEh::CreateDynVar(const String& Name, TObject* Value) {
    return CreateDynVar(Name, Variant::FromObject(Value));
}

void TCustomDynVarsEh::AddDynVar(TCustomDynVarEh* Var) {
    if (!Var || Var->Collection() == this) return;
    CheckNewName(Var->FName, nullptr);
    // Another collection's placeholder becomes an ordinary variable; that collection makes a
    // new placeholder when it needs one.
    if (Var->FIsDummy && Var->FOwnerWhenDummy) Var->FOwnerWhenDummy->DetachDummy(Var);
    Var->SetCollection(this);
}

void TCustomDynVarsEh::RemoveDynVar(TCustomDynVarEh* Var) {
    if (Var && Var->Collection() == this) Var->SetCollection(nullptr);
}

void TCustomDynVarsEh::DeleteDynVar(const String& Name) {
    if (TCustomDynVarEh* var = FindDynVar(Name)) var->Free();
}

bool TCustomDynVarsEh::IsEqual(TCustomDynVarsEh* Other) const {
    if (!Other || Other->Count() != Count()) return false;
    for (int i = 0; i < Count(); ++i) {
        TCustomDynVarEh* a = Items(i);
        TCustomDynVarEh* b = Other->Items(i);
        if (a->FData.VType() != b->FData.VType()) return false;
        if (!a->FData.IsEmpty() && !(a->FData == b->FData)) return false;
        if (a->FName != b->FName) return false;
        if (a->GetIsNull() != b->GetIsNull()) return false;
    }
    return true;
}

void TCustomDynVarsEh::AssignValues(TCustomDynVarsEh* Source) {
    if (!Source) return;
    for (int i = 0; i < Source->Count(); ++i) {
        TCustomDynVarEh* src = Source->Items(i);
        if (TCustomDynVarEh* dest = FindDynVar(src->FName)) dest->Assign(src);
    }
}

void TCustomDynVarsEh::AssignTo(TPersistent* Dest) {
    if (auto* dest = dynamic_cast<TCustomDynVarsEh*>(Dest)) {
        dest->Assign(this);
        return;
    }
    TCollection::AssignTo(Dest);
}

void TCustomDynVarsEh::Update(TCollectionItem*) {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// TDynVarsEh

TDynVarsEh::TDynVarsEh(TPersistent* Owner) : TCustomDynVarsEh(Owner, CollectionItemClassOf<TDynVarEh>()) {}

TCollectionItemClass TDynVarsEh::GetDynVarClass() const {
    return CollectionItemClassOf<TDynVarEh>();
}

// ---------------------------------------------------------------------------------------------
// TStringVarsEh

TStringVarsEh::TStringVarsEh(TPersistent* Owner)
    : TCustomDynVarsEh(Owner, CollectionItemClassOf<TStringVarEh>()) {}

TCollectionItemClass TStringVarsEh::GetDynVarClass() const {
    return CollectionItemClassOf<TStringVarEh>();
}

TStringVarEh* TStringVarsEh::CreateDynVar(const String& Name, const String& Value) {
    return static_cast<TStringVarEh*>(TCustomDynVarsEh::CreateDynVar(Name, Variant(Value)));
}

namespace {
[[noreturn]] void MissingVarError(const String& Name) {
    throw Exception(Format(QStringLiteral("A Variable named '%s' doesn't exist in the Collection '%s'"),
                           {Name, QStringLiteral("TStringVarsEh")}));
}
} // namespace

String TStringVarsEh::Str(const String& Name) const {
    TStringVarEh* var = FindDynVar(Name);
    if (!var) MissingVarError(Name);
    return var->Value();
}

void TStringVarsEh::SetStr(const String& Name, const String& Value) {
    TStringVarEh* var = FindDynVar(Name);
    if (!var) MissingVarError(Name);
    var->SetValue(Value);
}

String TStringVarsEh::GetAsTextString() const {
    String result;
    for (int i = 0; i < Count(); ++i) {
        TStringVarEh* var = Items(i);
        result += var->Name() + u'=' + var->Value() + QStringLiteral("\r\n");
    }
    return result;
}

void TStringVarsEh::SetFromTextString(const String& Text) {
    BeginUpdate();
    try {
        Clear();
        TStringList lines;
        lines.SetText(Text);
        for (int i = 0; i < lines.Count(); ++i) {
            const String line = lines.Strings(i);
            const qsizetype eq = line.indexOf(u'=');
            if (eq < 0)
                CreateDynVar(String(), String());
            else
                CreateDynVar(line.left(eq), line.mid(eq + 1));
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---------------------------------------------------------------------------------------------
// Published properties

KVT_PUBLISHED(TDynVarEh) {
    P.Prop("Name", &TDynVarEh::Name, &TDynVarEh::SetName);
    P.Prop(
        "Value", [](TDynVarEh* v) { return v->Value(); },
        [](TDynVarEh* v, const Variant& x) { v->SetValue(x); });
}

KVT_PUBLISHED(TStringVarEh) {
    P.Prop("Name", &TStringVarEh::Name, &TStringVarEh::SetName);
    P.Prop("Value", &TStringVarEh::Value, &TStringVarEh::SetValue);
}
