// Field definitions (TFieldDef, TFieldDefs, TFieldDefList) and index definitions.

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

using namespace DBConsts;

// ---------------------------------------------------------------------------------------------
// TFieldDef

TFieldDef::TFieldDef(TCollection* Collection) : TCollectionItem(Collection) {
    if (Collection) FFieldNo = Index() + 1;
}

TFieldDef::~TFieldDef() = default;

TFieldDefs* TFieldDef::FieldDefs() const {
    return dynamic_cast<TFieldDefs*>(Collection());
}

TFieldDef* TFieldDef::ParentDef() const {
    TFieldDefs* defs = FieldDefs();
    return defs ? defs->ParentDef() : nullptr;
}

void TFieldDef::SetName(const String& Value) {
    if (Value == FName) return;
    TFieldDefs* defs = FieldDefs();
    if (!Value.isEmpty() && AnsiCompareText(Value, FName) != 0 && defs && defs->IndexOf(Value) >= 0)
        DatabaseErrorFmt(SDBDuplicateName, {Value, defs->ClassName()}, defs->DataSet());
    FName = Value;
    Changed(false);
}

void TFieldDef::SetDataType(TFieldType Value) {
    FDataType = Value;
    Changed(false);
}

void TFieldDef::SetSize(int Value) {
    FSize = Value;
    Changed(false);
}

void TFieldDef::SetPrecision(int Value) {
    FPrecision = Value;
    Changed(false);
}

void TFieldDef::SetAttributes(TFieldAttributes Value) {
    FAttributes = Value;
    Changed(false);
}

void TFieldDef::SetRequired(bool Value) {
    if (Value)
        FAttributes.Include(faRequired);
    else
        FAttributes.Exclude(faRequired);
    Changed(false);
}

void TFieldDef::SetInternalCalcField(bool Value) {
    FInternalCalcField = Value;
    Changed(false);
}

TFieldDefs* TFieldDef::ChildDefs() {
    if (!FChildDefs) FChildDefs = std::make_unique<TFieldDefs>(this);
    return FChildDefs.get();
}

bool TFieldDef::HasChildDefs() const {
    return FChildDefs && FChildDefs->Count() > 0;
}

TFieldClass TFieldDef::FieldClass() const {
    TFieldDefs* defs = FieldDefs();
    TDataSet* ds = defs ? defs->DataSet() : nullptr;
    return ds ? ds->GetFieldClass(FDataType) : DefaultFieldClass(FDataType);
}

TField* TFieldDef::CreateField(TComponent* Owner, TField*, const String& FieldName, bool) {
    TFieldDefs* defs = FieldDefs();
    TDataSet* ds = defs ? defs->DataSet() : nullptr;
    TFieldClass cls = FieldClass();
    if (!cls) DatabaseErrorFmt(SUnknownFieldType, {FName}, ds);
    TField* f = cls->Create(Owner);
    try {
        // Text and byte fields keep their default size when the definition gives none.
        const bool sized = FDataType == ftString || FDataType == ftFixedChar || FDataType == ftWideString ||
                           FDataType == ftFixedWideChar || FDataType == ftBytes || FDataType == ftVarBytes;
        if (FSize != 0 || !sized) {
            if (!(FSize == 0 && (dynamic_cast<TBlobField*>(f) || dynamic_cast<TGuidField*>(f))))
                f->SetSize(FSize);
        }
        f->SetFieldName(FieldName.isEmpty() ? FName : FieldName);
        f->SetRequired(FAttributes.Contains(faRequired));
        f->SetReadOnly(FAttributes.Contains(faReadonly));
        f->SetFieldType(FDataType);
        if (FPrecision > 0) {
            if (auto* bcd = dynamic_cast<TBCDField*>(f)) bcd->SetPrecision(FPrecision);
            if (auto* fmt = dynamic_cast<TFMTBCDField*>(f)) fmt->SetPrecision(FPrecision);
            if (auto* fl = dynamic_cast<TFloatField*>(f)) fl->SetPrecision(FPrecision);
        }
        if (FInternalCalcField) f->SetFieldKind(fkInternalCalc);
        f->SetDataSet(ds);
    } catch (...) {
        f->Free();
        throw;
    }
    return f;
}

void TFieldDef::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TFieldDef*>(Source);
    if (!s) {
        TCollectionItem::Assign(Source);
        return;
    }
    FName = s->FName;
    FDataType = s->FDataType;
    FSize = s->FSize;
    FPrecision = s->FPrecision;
    FAttributes = s->FAttributes;
    FInternalCalcField = s->FInternalCalcField;
    if (s->HasChildDefs())
        ChildDefs()->Assign(s->FChildDefs.get());
    else if (FChildDefs)
        FChildDefs->Clear();
    Changed(false);
}

// ---------------------------------------------------------------------------------------------
// TFieldDefs

TFieldDefs::TFieldDefs(TPersistent* AOwner) : TOwnedCollection(AOwner, CollectionItemClassOf<TFieldDef>()) {
    if (auto* ds = dynamic_cast<TDataSet*>(AOwner)) {
        FDataSet = ds;
    } else if (auto* def = dynamic_cast<TFieldDef*>(AOwner)) {
        FParentDef = def;
        if (TFieldDefs* parent = def->FieldDefs()) FDataSet = parent->DataSet();
    }
}

TFieldDef* TFieldDefs::AddFieldDef() {
    return static_cast<TFieldDef*>(TCollection::Add());
}

TFieldDef* TFieldDefs::Add(const String& Name, TFieldType DataType, int Size, bool Required) {
    if (Name.isEmpty()) DatabaseError(SFieldNameMissing, FDataSet);
    BeginUpdate();
    TFieldDef* d = nullptr;
    try {
        d = AddFieldDef();
        try {
            d->SetName(Name);
        } catch (...) {
            d->Free();
            throw;
        }
        d->SetDataType(DataType);
        d->SetSize(Size);
        d->SetRequired(Required);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return d;
}

int TFieldDefs::IndexOf(const String& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiCompareText(Items(i)->Name(), Name) == 0) return i;
    return -1;
}

TFieldDef* TFieldDefs::Find(const String& Name) const {
    const int i = IndexOf(Name);
    if (i < 0) DatabaseErrorFmt(SFieldNotFound, {Name}, FDataSet);
    return Items(i);
}

void TFieldDefs::SetUpdated(bool Value) {
    FUpdated = Value;
    if (!Value && FDataSet) FDataSet->FieldDefList()->SetUpdated(false);
}

void TFieldDefs::Update() {
    if (FUpdated || !FDataSet) return;
    ++FInternalUpdate;
    BeginUpdate();
    try {
        FDataSet->InitFieldDefs();
    } catch (...) {
        EndUpdate();
        --FInternalUpdate;
        throw;
    }
    EndUpdate();
    --FInternalUpdate;
    FUpdated = true;
}

void TFieldDefs::Update(TCollectionItem* Item) {
    TOwnedCollection::Update(Item);
    if (FInternalUpdate == 0) FUpdated = false;
    if (FDataSet) {
        FDataSet->FieldDefList()->SetUpdated(false);
        if (!FDataSet->ComponentState().Contains(csLoading)) FDataSet->DefChanged(this);
    }
    if (FParentDef) {
        if (TFieldDefs* parent = FParentDef->FieldDefs()) parent->Update(nullptr);
    }
}

void TFieldDefs::GetItemNames(std::vector<String>& List) const {
    for (int i = 0; i < Count(); ++i)
        List.push_back(Items(i)->Name());
}

// ---------------------------------------------------------------------------------------------
// TFieldDefList

void TFieldDefList::Add(TFieldDefs* Defs, const String& Prefix) {
    for (int i = 0; i < Defs->Count(); ++i) {
        TFieldDef* d = Defs->Items(i);
        const String name = Prefix.isEmpty() ? d->Name() : Prefix + "." + d->Name();
        FList.emplace_back(name, d);
        if (d->HasChildDefs()) Add(d->ChildDefs(), name);
    }
}

void TFieldDefList::Update() {
    if (FUpdated) return;
    FList.clear();
    Add(FDataSet->FieldDefs(), String());
    FUpdated = true;
}

int TFieldDefList::Count() {
    Update();
    return int(FList.size());
}

TFieldDef* TFieldDefList::FieldDefs(int Index) {
    Update();
    if (Index < 0 || Index >= int(FList.size())) DatabaseError(SFieldIndexError, FDataSet);
    return FList[size_t(Index)].second;
}

const String& TFieldDefList::Strings(int Index) {
    Update();
    if (Index < 0 || Index >= int(FList.size())) DatabaseError(SFieldIndexError, FDataSet);
    return FList[size_t(Index)].first;
}

int TFieldDefList::IndexOf(const String& Name) {
    Update();
    for (size_t i = 0; i < FList.size(); ++i)
        if (AnsiCompareText(FList[i].first, Name) == 0) return int(i);
    return -1;
}

TFieldDef* TFieldDefList::Find(const String& Name) {
    const int i = IndexOf(Name);
    return i < 0 ? nullptr : FList[size_t(i)].second;
}

TFieldDef* TFieldDefList::FieldByName(const String& Name) {
    TFieldDef* d = Find(Name);
    if (!d) DatabaseErrorFmt(SFieldNotFound, {Name}, FDataSet);
    return d;
}

// ---------------------------------------------------------------------------------------------
// Index definitions

TIndexDef::TIndexDef(TCollection* Collection) : TCollectionItem(Collection) {}

void TIndexDef::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TIndexDef*>(Source);
    if (!s) {
        TCollectionItem::Assign(Source);
        return;
    }
    FName = s->FName;
    FFields = s->FFields;
    FCaseInsFields = s->FCaseInsFields;
    FDescFields = s->FDescFields;
    FExpression = s->FExpression;
    FSource = s->FSource;
    FOptions = s->FOptions;
    FGroupingLevel = s->FGroupingLevel;
    Changed(false);
}

TIndexDefs::TIndexDefs(TDataSet* ADataSet)
    : TOwnedCollection(ADataSet, CollectionItemClassOf<TIndexDef>()), FDataSet(ADataSet) {}

TIndexDef* TIndexDefs::AddIndexDef() {
    return static_cast<TIndexDef*>(TCollection::Add());
}

TIndexDef* TIndexDefs::Add(const String& Name, const String& Fields, TIndexOptions Options) {
    if (!Name.isEmpty() && IndexOf(Name) >= 0) DatabaseErrorFmt(SDuplicateIndexName, {Name}, FDataSet);
    TIndexDef* d = AddIndexDef();
    d->SetName(Name);
    d->SetFields(Fields);
    d->SetOptions(Options);
    return d;
}

int TIndexDefs::IndexOf(const String& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiCompareText(Items(i)->Name(), Name) == 0) return i;
    return -1;
}

TIndexDef* TIndexDefs::Find(const String& Name) const {
    const int i = IndexOf(Name);
    if (i < 0) DatabaseErrorFmt(SIndexNotFound, {Name}, FDataSet);
    return Items(i);
}

TIndexDef* TIndexDefs::GetIndexForFields(const String& Fields, bool CaseInsensitive) const {
    const int l = Fields.size();
    for (int exact = 1; exact >= 0; --exact)
        for (int i = 0; i < Count(); ++i) {
            TIndexDef* d = Items(i);
            if (d->Options().Contains(ixDescending) || d->Options().Contains(ixExpression)) continue;
            if (CaseInsensitive && !d->Options().Contains(ixCaseInsensitive)) continue;
            const String& f = d->Fields();
            if (exact) {
                if (AnsiCompareText(Fields, f) == 0) return d;
            } else if (AnsiCompareText(Fields, f.left(l)) == 0 && (f.size() == l || f[l] == u';')) {
                return d;
            }
        }
    return nullptr;
}

TIndexDef* TIndexDefs::FindIndexForFields(const String& Fields) const {
    TIndexDef* d = GetIndexForFields(Fields, false);
    if (!d) DatabaseErrorFmt(SNoIndexForFields, {Fields}, FDataSet);
    return d;
}

void TIndexDefs::Update() {
    if (FUpdated) return;
    if (FDataSet) FDataSet->UpdateIndexDefs();
    FUpdated = true;
}

std::unique_ptr<TIndexDefs> GetIndexDefs(TIndexDefs* IndexDefs, TIndexOptions IndexTypes) {
    auto result = std::make_unique<TIndexDefs>(IndexDefs->DataSet());
    IndexDefs->Update();
    for (int i = 0; i < IndexDefs->Count(); ++i) {
        TIndexDef* d = IndexDefs->Items(i);
        if (IndexTypes.Empty() || !(d->Options() * IndexTypes).Empty()) result->AddIndexDef()->Assign(d);
    }
    return result;
}
