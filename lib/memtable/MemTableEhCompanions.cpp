// Companions of the memory table: blob streams, tree settings, distinct-value lists, object
// fields, sorted value lists and extra filters.

#include "lib/memtable/MemTableEh.h"
#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------------------------------------
// TMemBlobStreamEh

TMemBlobStreamEh::TMemBlobStreamEh(TBlobField* Field, TBlobStreamMode Mode)
    : FField(Field), FDataSet(dynamic_cast<TCustomMemTableEh*>(Field->DataSet())) {
    FFieldNo = Field->FieldNo() - 1;
    if (!FDataSet) return;
    TMTRecBuf* b = nullptr;
    if (!FDataSet->FindActiveRecordBuffer(b, false)) return;
    FBuffer = b;
    if (Mode != bmRead) {
        if (Field->ReadOnly()) DatabaseErrorFmt(DBConsts::SFieldReadOnly, {Field->DisplayName()});
        if (!dsEditModes.Contains(FDataSet->State())) DatabaseError(DBConsts::SNotEditing);
    }
    if (Mode == bmWrite)
        Truncate();
    else
        ReadBlobData();
}

TMemBlobStreamEh::~TMemBlobStreamEh() {
    if (!FModified || !FDataSet) return;
    try {
        TValueBuffer vb;
        vb.Var = DataAsValue();
        FDataSet->SetFieldData(FField, VarIsNull(vb.Var) ? nullptr : &vb, true);
        FField->SetModified(true);
        FDataSet->DataEvent(deFieldChange, reinterpret_cast<NativeInt>(FField));
    } catch (...) {
        FDataSet->InternalHandleException();
    }
}

void TMemBlobStreamEh::ReadBlobData() {
    Variant v;
    if (!FDataSet->GetFieldValue(FField, v)) return;
    TBytes bytes;
    if (VarIsStr(v)) {
        if (FField->DataType() == ftWideMemo && v.VType() != varString) {
            const String s = v.AsString();
            bytes.resize(size_t(s.size()) * 2);
            std::memcpy(bytes.data(), s.utf16(), bytes.size());
        } else {
            const AnsiString a = v.VType() == varString ? v.AsAnsiString() : ToAnsi(v.AsString());
            bytes.assign(a.begin(), a.end());
        }
    } else {
        if (VarIsArray(v)) {
            const Integer lo = VarArrayLowBound(v, 1), hi = VarArrayHighBound(v, 1);
            for (Integer i = lo; i <= hi; ++i)
                bytes.push_back(uint8_t(v[i].AsInteger()));
        }
    }
    TMemoryStream::SetSize(Int64(bytes.size()));
    if (!bytes.empty()) std::memcpy(Memory(), bytes.data(), bytes.size());
    SetPosition(0);
}

Variant TMemBlobStreamEh::DataAsValue() const {
    const Int64 n = const_cast<TMemBlobStreamEh*>(this)->Size();
    if (n == 0) return Null();
    const char* p = static_cast<const char*>(const_cast<TMemBlobStreamEh*>(this)->Memory());
    switch (FField->DataType()) {
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftOraClob:
        return Variant(AnsiString(p, qsizetype(n)));
    case ftFixedWideChar:
    case ftWideMemo:
        return Variant(String::fromUtf16(reinterpret_cast<const char16_t*>(p), qsizetype(n / 2)));
    default:
        return Variant(TBytes(p, p + n));
    }
}

Integer TMemBlobStreamEh::Write(const void* Buffer, Integer Count) {
    const Integer r = TMemoryStream::Write(Buffer, Count);
    FModified = true;
    return r;
}

void TMemBlobStreamEh::Truncate() {
    TMemoryStream::SetSize(0);
    FModified = true;
}

void TMemBlobStreamEh::SetSize(Int64 NewSize) {
    TMemoryStream::SetSize(NewSize);
    FModified = true;
}

// ---------------------------------------------------------------------------------------------
// TMemTableTreeListEh

TMemTableTreeListEh::TMemTableTreeListEh(TCustomMemTableEh* AMemTable) : FMemTable(AMemTable) {
    SetFullBuildCheck(true);
}

TMemoryTreeListEh* TMemTableTreeListEh::Tree() const {
    return FMemTable->RecordsView()->MemoryTreeList();
}

bool TMemTableTreeListEh::Active() const {
    if (FMemTable->ComponentState().Contains(csLoading)) return FLoadingActive;
    return FMemTable->RecordsView()->ViewAsTreeList();
}

void TMemTableTreeListEh::SetActive(bool Value) {
    if (FMemTable->ComponentState().Contains(csLoading)) {
        FLoadingActive = Value;
        return;
    }
    FLoadingActive = Value;
    if (FMemTable->RecordsView()->ViewAsTreeList() == Value) return;
    FMemTable->DisableControls();
    try {
        FMemTable->RecordsView()->SetViewAsTreeList(Value);
    } catch (...) {
        FMemTable->EnableControls();
        throw;
    }
    FMemTable->EnableControls();
    if (FMemTable->Active()) {
        FMemTable->UpdateCursorPos();
        FMemTable->Resync({});
    }
}

String TMemTableTreeListEh::KeyFieldName() const {
    return FMemTable->RecordsView()->TreeViewKeyFieldName();
}
void TMemTableTreeListEh::SetKeyFieldName(const String& Value) {
    FMemTable->RecordsView()->SetTreeViewKeyFieldName(Value);
}
String TMemTableTreeListEh::RefParentFieldName() const {
    return FMemTable->RecordsView()->TreeViewRefParentFieldName();
}
void TMemTableTreeListEh::SetRefParentFieldName(const String& Value) {
    FMemTable->RecordsView()->SetTreeViewRefParentFieldName(Value);
}
bool TMemTableTreeListEh::DefaultNodeExpanded() const {
    return Tree()->DefaultNodeExpanded;
}
void TMemTableTreeListEh::SetDefaultNodeExpanded(bool Value) {
    Tree()->DefaultNodeExpanded = Value;
}
bool TMemTableTreeListEh::DefaultNodeHasChildren() const {
    return Tree()->DefaultNodeHasChildren;
}
void TMemTableTreeListEh::SetDefaultNodeHasChildren(bool Value) {
    Tree()->DefaultNodeHasChildren = Value;
}
bool TMemTableTreeListEh::FullBuildCheck() const {
    return Tree()->FullBuildCheck;
}
void TMemTableTreeListEh::SetFullBuildCheck(bool Value) {
    Tree()->FullBuildCheck = Value;
}
bool TMemTableTreeListEh::FilterNodeIfParentVisible() const {
    return Tree()->FilterNodeIfParentVisible;
}
void TMemTableTreeListEh::SetFilterNodeIfParentVisible(bool Value) {
    Tree()->FilterNodeIfParentVisible = Value;
}

bool TMemTableTreeListEh::Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    TCustomMemTableEh* t = FMemTable;
    t->CheckBrowseMode();
    if (t->Bof() && t->Eof()) return false;
    TMemoryTreeListEh* tree = Tree();
    const bool byValue = Options.Empty() || KeyFields.contains(QLatin1Char(';'));
    const String keyText = byValue ? String() : VarToStr(KeyValues);
    const int n = tree->GetAccountableCount();
    for (int i = 0; i < n; ++i) {
        TMemRecViewEh* node = tree->GetAccountableItem(i);
        TMemoryRecordEh* rec = node ? node->Rec() : nullptr;
        if (!rec) continue;
        bool match;
        if (byValue) {
            match = TCustomMemTableEh::VarEquals(rec->GetDataValues(KeyFields, dvvValueEh), KeyValues);
        } else {
            String text = VarToStr(rec->GetDataValues(KeyFields, dvvValueEh));
            if (Options.Contains(loPartialKey)) text = text.left(keyText.size());
            match =
                Options.Contains(loCaseInsensitive) ? AnsiCompareText(text, keyText) == 0 : text == keyText;
        }
        if (!match) continue;
        for (TMemRecViewEh* p = node; p && p->Rec(); p = p->NodeParent())
            p->SetNodeExpanded(true);
        tree->BuildVisibleItems();
        t->Resync({});
        t->GotoRec(rec);
        return true;
    }
    return false;
}

namespace {
// Expands or collapses every node with the table's controls disabled, then shows the result.
void SetAllExpanded(TCustomMemTableEh* t, TMemoryTreeListEh* tree, bool expand) {
    t->DisableControls();
    try {
        if (expand)
            tree->Expand(nullptr, true);
        else
            tree->Collapse(nullptr, true);
        tree->BuildVisibleItems();
        if (t->Active()) t->Resync({});
    } catch (...) {
        t->EnableControls();
        throw;
    }
    t->EnableControls();
}
} // namespace

void TMemTableTreeListEh::FullCollapse() {
    SetAllExpanded(FMemTable, Tree(), false);
    if (FMemTable->Active() && FMemTable->AfterScroll) FMemTable->AfterScroll(FMemTable);
}

void TMemTableTreeListEh::FullExpand() {
    SetAllExpanded(FMemTable, Tree(), true);
}

// ---------------------------------------------------------------------------------------------
// TMemTableDataFieldValueListEh

TMemTableDataFieldValueListEh::TMemTableDataFieldValueListEh(TDataSet* ADataSet)
    : FValues(std::make_unique<TStringList>()), FNotificator(std::make_unique<TRecordsListNotificatorEh>()),
      FFilterExpr(std::make_unique<TDataSetExprParserEh>(ADataSet, dsptFilterEh)), FDataSet(ADataSet) {
    FValues->SetDuplicates(dupIgnore);
    FNotificator->OnDataEvent = TRecordsListNotificatorDataEventEh::Callable(
        [this](TMemoryRecordEh*, int, TRecordsListNotification) { SetDataObsoleted(); }, this);
}

TMemTableDataFieldValueListEh::~TMemTableDataFieldValueListEh() {
    FFilterExpr.reset();
    FNotificator->OnDataEvent = nullptr;
    FNotificator.release()->Free();
}

TComponent* TMemTableDataFieldValueListEh::DataObject() const {
    return FNotificator->DataObject();
}

void TMemTableDataFieldValueListEh::SetDataObject(TComponent* Value) {
    FNotificator->SetDataObject(Value);
    FDataObsoleted = true;
}

TStrings* TMemTableDataFieldValueListEh::GetValues() {
    if (FDataObsoleted) RefreshValues();
    return FValues.get();
}

void TMemTableDataFieldValueListEh::SetFilter(const String& Filter) {
    if (Filter == FFilter) return;
    FFilterExpr = std::make_unique<TDataSetExprParserEh>(FDataSet, dsptFilterEh);
    if (!Filter.isEmpty()) FFilterExpr->ParseExpression(Filter);
    FDataObsoleted = true;
    FFilter = Filter;
}

void TMemTableDataFieldValueListEh::SetFieldName(const String& Value) {
    if (Value == FFieldName) return;
    FDataObsoleted = true;
    FFieldName = Value;
    RefreshValues();
}

void TMemTableDataFieldValueListEh::RefreshValues() {
    FValues->Clear();
    TComponent* obj = DataObject();
    if (!obj) return;
    if (auto* md = dynamic_cast<TMemTableDataEh*>(obj)) {
        const int fi = md->DataStruct()->FieldIndex(FFieldName);
        if (fi < 0) return;
        const TFieldType t = md->DataStruct()->DataFields(fi)->DataType();
        static const TFieldTypes supported{
            ftUnknown,  ftString,       ftSmallint,    ftInteger,   ftWord,       ftBoolean,  ftFloat,
            ftCurrency, ftBCD,          ftDate,        ftTime,      ftDateTime,   ftBytes,    ftVarBytes,
            ftAutoInc,  ftMemo,         ftFmtMemo,     ftFixedChar, ftWideString, ftLargeint, ftADT,
            ftOraClob,  ftInterface,    ftIDispatch,   ftGuid,      ftTimeStamp,  ftFMTBcd,   ftFixedWideChar,
            ftWideMemo, ftOraTimeStamp, ftOraInterval, ftLongWord,  ftShortint,   ftByte,     ftExtended};
        if (!supported.Contains(t)) return;
        TRecordsListEh* list = md->RecordsList();
        const bool filtered = FFilterExpr && FFilterExpr->HasData();
        if (t == ftString || t == ftWideString) {
            FValues->SetCaseSensitive(!FDataSet->FilterOptions().Contains(foCaseInsensitive));
            FValues->SetSorted(true);
            for (int i = 0; i < list->Count(); ++i) {
                TMemoryRecordEh* r = list->Rec(i);
                if (filtered && !FFilterExpr->IsCurRecordInFilter(r)) continue;
                FValues->Add(VarToStr(r->GetDataValue(fi, dvvValueEh)));
            }
        } else {
            FValues->SetSorted(false);
            std::unique_ptr<TMTIndexEh> idx(TMTIndexEh::CreateApart(list));
            idx->SetFields(FFieldName);
            idx->SetActive(true);
            bool first = true;
            String last;
            for (int i = 0; i < idx->Count(); ++i) {
                TMemoryRecordEh* r = list->Rec(idx->GetItems(i)->RecIndex);
                if (filtered && !FFilterExpr->IsCurRecordInFilter(r)) continue;
                const String s = VarToStr(idx->GetKeyValue(i));
                if (first || s != last) FValues->Add(s);
                first = false;
                last = s;
            }
        }
        FDataObsoleted = false;
    } else if (auto* view = dynamic_cast<TRecordsViewEh*>(obj)) {
        TMemTableDataEh* md = view->MemTableData();
        const int fi = md ? md->DataStruct()->FieldIndex(FFieldName) : -1;
        if (fi < 0) return;
        std::vector<String> texts;
        for (int i = 0; i < view->Count(); ++i)
            texts.push_back(VarToStr(view->Rec(i)->GetDataValue(fi, dvvValueEh)));
        std::sort(texts.begin(), texts.end(),
                  [](const String& a, const String& b) { return AnsiCompareStr(a, b) < 0; });
        String last;
        for (const String& s : texts)
            if (s != last) {
                FValues->Add(s);
                last = s;
            }
        FDataObsoleted = false;
    }
}

// ---------------------------------------------------------------------------------------------
// TRefObjectField

TRefObjectField::TRefObjectField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftUnknown);
}

TObject* TRefObjectField::Value() {
    auto* mt = dynamic_cast<TCustomMemTableEh*>(DataSet());
    if (!mt) DatabaseErrorFmt(DBConsts::SDataSetMissing, {DisplayName()});
    TObject* o = nullptr;
    mt->GetFieldDataAsObject(this, o);
    return o;
}

void TRefObjectField::SetValue(TObject* Value) {
    auto* mt = dynamic_cast<TCustomMemTableEh*>(DataSet());
    if (!mt) DatabaseErrorFmt(DBConsts::SDataSetMissing, {DisplayName()});
    mt->SetFieldDataAsObject(this, Value);
}

// The reference travels as a pointer-sized object variant (never squeezed into 32 bits).
Variant TRefObjectField::GetAsVariant() {
    TObject* o = Value();
    return o ? Variant(o) : Null();
}

void TRefObjectField::SetVarValue(const Variant& V) {
    SetValue(VarIsNull(V) || VarIsEmpty(V) ? nullptr : V.AsObject());
}

// ---------------------------------------------------------------------------------------------
// TSortedVarlistEh

bool TSortedVarlistEh::FindKeyValueIndex(const Variant& Value, int& Index) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const TVariantRelationship r = VariantsRelation(FItems[size_t(mid)]->Value, Value);
        if (r == vrNotEqual)
            throw Exception(QStringLiteral("TSortedVarlistEh.FindKeyValueIndex: values is not comparable."));
        if (r == vrLessThan) {
            lo = mid + 1;
        } else {
            if (r == vrEqual) found = true;
            hi = mid - 1;
        }
    }
    Index = lo;
    return found;
}

bool TSortedVarlistEh::ValueExists(const Variant& Value) const {
    int i;
    return FindKeyValueIndex(Value, i);
}

int TSortedVarlistEh::Add(TSortedVarItemEh* AObject) {
    std::unique_ptr<TSortedVarItemEh> owned(AObject);
    int i = 0;
    FindKeyValueIndex(AObject->Value, i);
    FItems.insert(FItems.begin() + i, std::move(owned));
    return i;
}

// ---------------------------------------------------------------------------------------------
// Extra filters

TMemTableFilterItemEh::TMemTableFilterItemEh(TCollection* Collection) : TCollectionItem(Collection) {
    auto* filters = dynamic_cast<TMemTableFiltersEh*>(Collection);
    FFilterExpr =
        std::make_unique<TDataSetExprParserEh>(filters ? filters->MemTable() : nullptr, dsptFilterEh);
}

TMemTableFilterItemEh::~TMemTableFilterItemEh() {
    TestChanged();
}

void TMemTableFilterItemEh::TestChanged() {
    if (TMemTableFiltersEh* fs = MemTableFilters()) fs->FTestItemsTaken = false;
}

TMemTableFiltersEh* TMemTableFilterItemEh::MemTableFilters() const {
    return dynamic_cast<TMemTableFiltersEh*>(Collection());
}

void TMemTableFilterItemEh::SetActive(bool Value) {
    if (Value == FActive) return;
    FActive = Value;
    TestChanged();
    Changed(false);
}

void TMemTableFilterItemEh::SetFilter(const String& Value) {
    if (Value == FFilter) return;
    FFilter = Value;
    TestChanged();
    if (FActive) Changed(false);
}

void TMemTableFilterItemEh::SetOnFilterRecord(const TFilterRecordEvent& Value) {
    if (Value == FOnFilterRecord) return;
    FOnFilterRecord = Value;
    TestChanged();
    if (FActive) Changed(false);
}

void TMemTableFilterItemEh::FilterProcChanged() {
    if (FActive) Changed(false);
}

void TMemTableFilterItemEh::RecreateFilterExpr() {
    TMemTableFiltersEh* fs = MemTableFilters();
    TCustomMemTableEh* t = fs ? fs->MemTable() : nullptr;
    FFilterExpr = std::make_unique<TDataSetExprParserEh>(t, dsptFilterEh);
    if (FActive && !FFilter.isEmpty() && t && t->Active()) FFilterExpr->ParseExpression(FFilter);
}

bool TMemTableFilterItemEh::IsCurRecordInFilter(TMemoryRecordEh* Rec) {
    TMemTableFiltersEh* fs = MemTableFilters();
    return TestRecord(Rec, fs ? fs->MemTable() : nullptr);
}

bool TMemTableFilterItemEh::TestRecord(TMemoryRecordEh* Rec, TCustomMemTableEh* Table) {
    bool accept = FFilterExpr && FFilterExpr->HasData() ? FFilterExpr->IsCurRecordInFilter(Rec) : false;
    if (FActive && FOnFilterRecord) FOnFilterRecord(Table, accept);
    return accept;
}

void TMemTableFilterItemEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TMemTableFilterItemEh*>(Source)) {
        FFilter = s->FFilter;
        FOnFilterRecord = s->FOnFilterRecord;
        FActive = s->FActive;
        TestChanged();
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}

TMemTableFiltersEh::TMemTableFiltersEh(TCustomMemTableEh* AMemTable)
    : TCollection(CollectionItemClassOf<TMemTableFilterItemEh>()), FMemTable(AMemTable) {}

// Items still being constructed are not yet filter items.
TMemTableFilterItemEh* TMemTableFiltersEh::F(int Index) const {
    return dynamic_cast<TMemTableFilterItemEh*>(TCollection::Items(Index));
}

TMemTableFiltersEh::~TMemTableFiltersEh() {
    FMemTable = nullptr;
    FActiveFilterItems.clear();
    Clear();
}

TPersistent* TMemTableFiltersEh::GetOwner() {
    return FMemTable;
}

int TMemTableFiltersEh::IndexOfFilter(TMemTableFilterItemEh* FilterItem) const {
    for (int i = 0; i < Count(); ++i)
        if (TCollection::Items(i) == FilterItem) return i;
    return -1;
}

bool TMemTableFiltersEh::HasTextActiveFilter() const {
    for (int i = 0; i < Count(); ++i)
        if (F(i) && F(i)->Active() && !F(i)->Filter().isEmpty()) return true;
    return false;
}

void TMemTableFiltersEh::TakeTestItems() const {
    if (FTestItemsTaken) return;
    FTestItems.clear();
    FTestItemsHaveEvent = false;
    for (int i = 0; i < Count(); ++i) {
        TMemTableFilterItemEh* it = F(i);
        if (!it || !it->Filtered()) continue;
        FTestItems.push_back(it);
        // An item that filters has an event exactly when it is active with one.
        if (it->OnFilterRecord()) FTestItemsHaveEvent = true;
    }
    FTestItemsTaken = true;
}

bool TMemTableFiltersEh::HasEventActiveFilter() const {
    TakeTestItems();
    return FTestItemsHaveEvent;
}

bool TMemTableFiltersEh::IsCurRecordInFilter(TMemoryRecordEh* Rec) {
    TakeTestItems();
    for (size_t i = 0; i < FTestItems.size(); ++i) {
        TMemTableFilterItemEh* it = FTestItems[i];
        if (!it->TestRecord(Rec, FMemTable)) return false;
        if (!FTestItemsTaken) {
            // A test changed the items: the rest are tested as the collection holds them now.
            for (int j = IndexOfFilter(it) + 1; j < Count(); ++j) {
                TMemTableFilterItemEh* x = F(j);
                if (x && x->Filtered() && !x->TestRecord(Rec, FMemTable)) return false;
            }
            return true;
        }
    }
    return true;
}

void TMemTableFiltersEh::RecreateFilterExpr() {
    for (int i = 0; i < Count(); ++i)
        if (F(i)) F(i)->RecreateFilterExpr();
}

void TMemTableFiltersEh::Notify(TCollectionItem* Item, TCollectionNotification Action) {
    FTestItemsTaken = false;
    TCollection::Notify(Item, Action);
}

void TMemTableFiltersEh::Update(TCollectionItem* Item) {
    FTestItemsTaken = false;
    TCollection::Update(Item);
    if (!FMemTable) return;
    std::vector<TMemTableFilterItemEh*> now;
    for (int i = 0; i < Count(); ++i)
        if (F(i) && F(i)->Filtered()) now.push_back(F(i));
    const bool changed = Item != nullptr || now != FActiveFilterItems;
    if (!changed) return;
    FActiveFilterItems.clear();
    RecreateFilterExpr();
    FActiveFilterItems = now;
    if (FMemTable->Active() && !FMemTable->ComponentState().Contains(csDestroying)) {
        FMemTable->UpdateDetailRecList();
        FMemTable->Resync({});
    }
}
