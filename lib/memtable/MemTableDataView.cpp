// The records view: the filtered, ordered rows (flat or as a record tree) a memory table reads,
// kept in step with the store event by event, and its aggregates.
#include "lib/memtable/MemTableDataEh.h"

#include "lib/toolscore/PlatformEh.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
[[noreturn]] void ListIndexError(int Index) {
    throw EListError(Format(QStringLiteral("List index out of bounds (%d)"), {Index}));
}

bool IsWide(TVarType t) {
    return t == varUString || t == varOleStr;
}

bool IsTextType(TVarType t) {
    return t == varString || t == varUString || t == varOleStr;
}

const Variant& ValueRef(TMemoryRecordEh* Rec, int FieldIndex, Variant& Tmp) {
    const TRecValuesEh& d = Rec->Data();
    if (FieldIndex >= 0 && size_t(FieldIndex) < d.size()) return d[size_t(FieldIndex)];
    Tmp = Null();
    return Tmp;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// TRecordsViewOrderByList

int TRecordsViewOrderByList::ResolveFieldIndex(const String& FieldName) {
    TMemTableDataEh* md = FRecordsView ? FRecordsView->MemTableData() : nullptr;
    return md ? md->DataStruct()->FieldIndex(FieldName) : -1;
}

// ---------------------------------------------------------------------------------------------
// TMTAggregateEh / TMTAggregatesEh

TMTAggregateEh::TMTAggregateEh(TCollection* Collection) : TCollectionItem(Collection) {}

TMTAggregateEh::~TMTAggregateEh() {
    Field = nullptr;
}

TMTAggregatesEh* TMTAggregateEh::Aggregates() const {
    return static_cast<TMTAggregatesEh*>(Collection());
}

void TMTAggregateEh::Reset() {
    FInUse = false;
    FValueObsolete = false;
    TMTAggregatesEh* aggs = Aggregates();
    TRecordsViewEh* view = aggs ? aggs->View() : nullptr;
    TDataSet* ds = view ? view->DataSet() : nullptr;
    if (ds && ds->Active() && FActive && !FExpression.isEmpty() && aggs->Active()) {
        if (!FAggrExpr) FAggrExpr = std::make_unique<TDataSetExprParserEh>(ds, dsptAggregateEh);
        FAggrExpr->ParseExpression(FExpression);
        FDataType = ftFloat;
        FInUse = true;
        FValueObsolete = true;
    } else {
        FValue = Null();
    }
}

void TMTAggregateEh::Recalc() {
    // Computed on the next read: a burst of changes costs one pass over the rows.
    if (FInUse)
        FValueObsolete = true;
    else
        FValue = Null();
}

Variant TMTAggregateEh::Value() {
    if (FValueObsolete) {
        FValueObsolete = false;
        TMTAggregatesEh* aggs = Aggregates();
        try {
            FValue = FInUse && aggs ? FAggrExpr->CalcAggregateValue(aggs->View()) : Null();
        } catch (...) {
            FValue = Null();
            throw;
        }
    }
    return FValue;
}

void TMTAggregateEh::SetActive(bool Value) {
    if (Value == FActive) return;
    FActive = Value;
    TMTAggregatesEh* aggs = Aggregates();
    TRecordsViewEh* view = aggs ? aggs->View() : nullptr;
    if (view && view->DataSet() && aggs->UpdateCount() == 0) {
        try {
            Reset();
            Recalc();
        } catch (...) {
            FActive = false;
            FInUse = false;
            FValue = Null();
            throw;
        }
    }
}

void TMTAggregateEh::SetExpression(const String& Value) {
    if (Value == FExpression) return;
    FExpression = Value;
    Reset();
    TMTAggregatesEh* aggs = Aggregates();
    if (!aggs || aggs->UpdateCount() == 0) Recalc();
}

TMTAggregatesEh::TMTAggregatesEh(TRecordsViewEh* AOwner)
    : TCollection(CollectionItemClassOf<TMTAggregateEh>()), FOwner(AOwner) {}

TPersistent* TMTAggregatesEh::GetOwner() {
    return FOwner;
}

void TMTAggregatesEh::SetActive(bool Value) {
    if (Value == FActive) return;
    FActive = Value;
    Reset();
}

void TMTAggregatesEh::Reset() {
    BeginUpdate();
    try {
        Clear();
        TDataSet* ds = FOwner ? FOwner->DataSet() : nullptr;
        TFields* agg = ds ? ds->AggFields() : nullptr;
        for (int i = 0; agg && i < agg->Count(); ++i) {
            auto* f = dynamic_cast<TAggregateField*>(agg->Fields(i));
            if (!f) continue;
            TMTAggregateEh* item = Add();
            item->Field = f;
            item->FActive = f->Active();
            item->FExpression = f->Expression();
            item->Reset();
            f->SetResultType(item->DataType());
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    Recalc();
}

void TMTAggregatesEh::Recalc() {
    TDataSet* ds = FOwner ? FOwner->DataSet() : nullptr;
    const bool off = ds && (!ds->Active() || ds->ComponentState().Contains(csLoading));
    for (int i = 0; i < Count(); ++i) {
        TMTAggregateEh* item = Items(i);
        if (off || UpdateCount() > 0) {
            item->FValueObsolete = false;
            item->FValue = Null();
        } else {
            item->Recalc();
        }
    }
}

TMTAggregateEh* TMTAggregatesEh::ItemForField(TField* Field) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Field == Field) return Items(i);
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// TRecordsViewEh

TRecordsViewEh::TRecordsViewEh(TDataSet* ADataSet) : TRecordsListNotificatorEh(nullptr), FDataSet(ADataSet) {
    FAggregates = std::make_unique<TMTAggregatesEh>(this);
    FOrderByList = std::make_unique<TRecordsViewOrderByList>(this);
    FMemoryTreeList = std::make_unique<TMemoryTreeListEh>(this);
}

void TRecordsViewEh::BeforeDestruction() {
    SetDataObject(nullptr);
    TRecordsListNotificatorEh::BeforeDestruction();
}

TRecordsViewEh::~TRecordsViewEh() {
    if (FDataObject) {
        if (auto* host = dynamic_cast<IRecordsListHostEh*>(FDataObject)) host->UnregisterNotificator(this);
        FDataObject->RemoveFreeNotification(this);
        FDataObject = nullptr;
    }
    FreeRows();
    while (!FNotificators.empty()) {
        TRecordsListNotificatorEh* n = FNotificators.front();
        n->SetDataObject(nullptr);
        if (!FNotificators.empty() && FNotificators.front() == n) FNotificators.erase(FNotificators.begin());
    }
    FAggregates.reset();
    FMemoryTreeList.reset();
    FOrderByList.reset();
    FFieldsOrderByList.reset();
}

int TRecordsViewEh::Count() const {
    if (FViewAsTreeList) return FMemoryTreeList->GetVisibleExpandedCount();
    return int(FRows.size());
}

int TRecordsViewEh::AccountableItemsCount() const {
    if (FViewAsTreeList) return FMemoryTreeList->GetAccountableCount();
    return Count();
}

TMemRecViewEh* TRecordsViewEh::RecordView(int Index) const {
    if (FViewAsTreeList) {
        TMemRecViewEh* n = FMemoryTreeList->GetVisibleExpandedItem(Index);
        if (!n) ListIndexError(Index);
        return n;
    }
    if (Index < 0 || Index >= int(FRows.size())) ListIndexError(Index);
    TMemoryRecordEh* rec = FRows[size_t(Index)];
    if (TMemRecViewEh* node = FindRowNode(rec)) return node;
    // A row of a flat view gets its node when first asked for it.
    return const_cast<TRecordsViewEh*>(this)->MakeRowNode(rec);
}

bool TRecordsViewEh::HasRowNode(int Index) const {
    if (FViewAsTreeList) return true;
    return Index >= 0 && Index < int(FRows.size()) && FindRowNode(FRows[size_t(Index)]);
}

TMemoryRecordEh* TRecordsViewEh::Rec(int Index) const {
    if (FViewAsTreeList) return RecordView(Index)->Rec();
    if (Index < 0 || Index >= int(FRows.size())) ListIndexError(Index);
    return FRows[size_t(Index)];
}

TMemoryRecordEh* TRecordsViewEh::AccountableRecord(int Index) const {
    if (FViewAsTreeList) {
        TMemRecViewEh* n = FMemoryTreeList->GetAccountableItem(Index);
        if (!n) ListIndexError(Index);
        return n->Rec();
    }
    return Rec(Index);
}

int TRecordsViewEh::IndexOf(TMemoryRecordEh* ARec) const {
    const int n = Count();
    if (n == 0) return -1;
    if (Rec(n - 1) == ARec) return n - 1;
    for (int i = 0; i < n; ++i)
        if (Rec(i) == ARec) return i;
    return -1;
}

Variant TRecordsViewEh::GetValue(int RecNo, int ValNo) const {
    if (RecNo < 0 || RecNo >= int(FRows.size())) ListIndexError(RecNo);
    return FRows[size_t(RecNo)]->GetDataValue(ValNo, dvvValueEh);
}

void TRecordsViewEh::SetValue(int RecNo, int ValNo, const Variant& Value) {
    TMemoryRecordEh* r = Rec(RecNo);
    MemTableData()->RecordsList()->SetValue(r->Index(), ValNo, Value);
}

TRecDataValues TRecordsViewEh::OldRecVals(int Index) const {
    return Rec(Index)->OldData();
}

void TRecordsViewEh::SetRec(int Index, TMemoryRecordEh* Value) {
    TMemoryRecordEh* r = Rec(Index);
    MemTableData()->RecordsList()->SetRec(r->Index(), Value);
}

TMemoryRecordEh* TRecordsViewEh::NewRecord() {
    return MemTableData()->RecordsList()->NewRecord();
}

int TRecordsViewEh::AddRecord(TMemoryRecordEh* ARec) {
    return MemTableData()->RecordsList()->AddRecord(ARec);
}

void TRecordsViewEh::InsertRecord(int Index, TMemoryRecordEh* ARec) {
    TRecordsListEh* rl = MemTableData()->RecordsList();
    if (FViewAsTreeList) {
        rl->InsertRecord(Index > 0 ? Rec(Index - 1)->Index() + 1 : 0, ARec);
        return;
    }
    rl->InsertRecord(Count() == 0 ? 0 : Rec(Index)->Index(), ARec);
}

void TRecordsViewEh::DeleteRecord(int Index) {
    MemTableData()->RecordsList()->DeleteRecord(Rec(Index)->Index());
}

void TRecordsViewEh::RevertRecord(int Index) {
    MemTableData()->RecordsList()->RevertRecord(Rec(Index)->Index());
}

void TRecordsViewEh::RefreshRecord(int Index, TMemoryRecordEh* FromRec) {
    MemTableData()->RecordsList()->RefreshRecord(Rec(Index)->Index(), FromRec);
}

void TRecordsViewEh::MergeChangeLog() {
    MemTableData()->RecordsList()->MergeChangeLog();
}

void TRecordsViewEh::CancelUpdates() {
    MemTableData()->RecordsList()->CancelUpdates();
}

void TRecordsViewEh::LockCachedUpdates() {
    TRecordsListEh* rl = MemTableData() ? MemTableData()->RecordsList() : nullptr;
    // The list's own flag is remembered at the first lock and given back at the last unlock.
    if (FCachedUpdatesLockCount == 0 && rl) FListCachedUpdatesAtLock = rl->CachedUpdates();
    ++FCachedUpdatesLockCount;
    if (rl) rl->SetCachedUpdates(false);
}

void TRecordsViewEh::UnlockCachedUpdates() {
    if (FCachedUpdatesLockCount == 0) return;
    if (--FCachedUpdatesLockCount == 0) {
        if (TMemTableDataEh* md = MemTableData())
            md->RecordsList()->SetCachedUpdates(FListCachedUpdatesAtLock);
    }
}

void TRecordsViewEh::SetSortOrder(const String& Value) {
    if (Value == FSortOrder) return;
    std::unique_ptr<TOrderByList> fieldsList;
    try {
        FOrderByList->ParseOrderByStr(Value);
    } catch (const Exception&) {
        // A name the store does not hold may still be a field of the data set (calculated or
        // lookup); the data set's parser raises the error for a name that is neither.
        if (!OnParseOrderByStr || !OnReadSortKeys) throw;
        fieldsList.reset(OnParseOrderByStr(Value));
        FOrderByList->Clear();
    }
    FFieldsOrderByList = std::move(fieldsList);
    TOrderByList* list = OrderByList();
    for (int i = 0; i < list->Count(); ++i)
        list->Items(i)->CaseIns = FSortOrderCaseInsensitive;
    FSortOrder = Value;
    Resort();
}

void TRecordsViewEh::SetSortOrderCaseInsensitive(bool Value) {
    if (Value == FSortOrderCaseInsensitive) return;
    FSortOrderCaseInsensitive = Value;
    TOrderByList* list = OrderByList();
    for (int i = 0; i < list->Count(); ++i)
        list->Items(i)->CaseIns = Value;
    Resort();
}

TOrderByList* TRecordsViewEh::OrderByList() const {
    return FFieldsOrderByList ? FFieldsOrderByList.get() : FOrderByList.get();
}

bool TRecordsViewEh::Sorted() const {
    return !FSortOrder.isEmpty() && OrderByList()->Count() > 0;
}

void TRecordsViewEh::SetStatusFilter(TUpdateStatusSet Value) {
    if (Value == FStatusFilter) return;
    FStatusFilter = Value;
    RefreshFilteredRecsList();
}

void TRecordsViewEh::SetViewAsTreeList(bool Value) {
    if (Value == FViewAsTreeList) return;
    FViewAsTreeList = Value;
    if (Value)
        RebuildMemoryTreeList();
    else
        FMemoryTreeList->Clear();
    RefreshFilteredRecsList();
}

void TRecordsViewEh::SetTreeViewKeyFieldName(const String& Value) {
    if (Value == FTreeViewKeyFieldName) return;
    FTreeViewKeyFieldName = Value;
    UpdateFields();
}

void TRecordsViewEh::SetTreeViewRefParentFieldName(const String& Value) {
    if (Value == FTreeViewRefParentFieldName) return;
    FTreeViewRefParentFieldName = Value;
    UpdateFields();
}

void TRecordsViewEh::UpdateFields() {
    FTreeViewKeyFields.clear();
    FTreeViewRefParentFields.clear();
    TMemTableDataEh* md = MemTableData();
    if (!md) return;
    if (!FTreeViewKeyFieldName.isEmpty())
        md->DataStruct()->FieldsIndex(FTreeViewKeyFieldName, FTreeViewKeyFields);
    if (!FTreeViewRefParentFieldName.isEmpty())
        md->DataStruct()->FieldsIndex(FTreeViewRefParentFieldName, FTreeViewRefParentFields);
}

void TRecordsViewEh::UpdateAllLookupBuffer() {
    const int n = Count();
    const bool all = FViewAsTreeList || RowNodesWanted();
    for (int i = 0; i < n; ++i) {
        // Plain rows without a node have nothing to recompute.
        TMemRecViewEh* node = all ? RecordView(i) : FindRowNode(FRows[size_t(i)]);
        if (!node) continue;
        node->LookupBuffer().clear();
        if (OnCalcLookupBuffer) OnCalcLookupBuffer(node->Rec(), node);
    }
}

bool TRecordsViewEh::IsRecordInView(TMemoryRecordEh* ARec, int, TMemRecViewEh* Node) {
    if (!FStatusFilter.Contains(ARec->UpdateStatus())) return false;
    if (OnFilterRecord) return OnFilterRecord(ARec, Node);
    return true;
}

namespace {
// One sort key of two records: Nulls first, texts by the user's collation, anything else by
// the variant comparison.
int CompareOrderValues(const Variant& v1, const Variant& v2, const TOrderByItemEh* item) {
    int c;
    const bool n1 = v1.IsNull() || v1.IsEmpty(), n2 = v2.IsNull() || v2.IsEmpty();
    if (n1 || n2)
        c = (n1 && n2) ? 0 : (n1 ? -1 : 1);
    else if (v1.VType() == varDouble && v2.VType() == varDouble && !std::isnan(v1.AsDouble()) &&
             !std::isnan(v2.AsDouble())) {
        const double d1 = v1.AsDouble(), d2 = v2.AsDouble();
        c = d1 < d2 ? -1 : (d1 > d2 ? 1 : 0);
    } else if (IsWide(v1.VType()) && IsWide(v2.VType())) {
        const String& s1 = VariantAccess::Str(v1);
        const String& s2 = VariantAccess::Str(v2);
        c = item->CaseIns ? AnsiCompareText(s1, s2) : AnsiCompareStr(s1, s2);
    } else if (IsTextType(v1.VType()) && IsTextType(v2.VType()))
        c = item->CaseIns ? AnsiCompareText(VarToStr(v1), VarToStr(v2))
                          : AnsiCompareStr(VarToStr(v1), VarToStr(v2));
    else {
        const TVariantRelationship r = VarCompareValue(v1, v2);
        c = r == vrLessThan ? -1 : (r == vrGreaterThan ? 1 : 0);
    }
    return item->Desc ? -c : c;
}
} // namespace

int TRecordsViewEh::CompareRecordsByOrderBy(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2,
                                            TOrderByList* OrderBy) {
    if (!OrderBy) return Rec1->Index() - Rec2->Index();
    Variant t1, t2;
    for (int i = 0; i < OrderBy->Count(); ++i) {
        const TOrderByItemEh* item = OrderBy->Items(i);
        const int fi = item->MTFieldIndex >= 0 ? item->MTFieldIndex : item->FieldIndex;
        const int c = CompareOrderValues(ValueRef(Rec1, fi, t1), ValueRef(Rec2, fi, t2), item);
        if (c != 0) return c;
    }
    // Equal keys keep the records' order in the store.
    return Rec1->Index() - Rec2->Index();
}

int TRecordsViewEh::CompareReadKeys(const std::vector<Variant>& K1, const std::vector<Variant>& K2) const {
    const TOrderByList* list = FFieldsOrderByList.get();
    static const Variant null = Null();
    for (int i = 0; i < list->Count(); ++i) {
        const size_t k = size_t(i);
        const int c =
            CompareOrderValues(k < K1.size() ? K1[k] : null, k < K2.size() ? K2[k] : null, list->Items(i));
        if (c != 0) return c;
    }
    return 0;
}

int TRecordsViewEh::CompareRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2) {
    if (!Sorted()) return Rec1->Index() - Rec2->Index();
    TOrderByList* list = OrderByList();
    if (OnCompareRecords) return OnCompareRecords(Rec1, Rec2, list);
    if (!FFieldsOrderByList) return CompareRecordsByOrderBy(Rec1, Rec2, list);
    std::vector<Variant> k1, k2;
    OnReadSortKeys(Rec1, list, k1);
    OnReadSortKeys(Rec2, list, k2);
    const int c = CompareReadKeys(k1, k2);
    return c != 0 ? c : Rec1->Index() - Rec2->Index();
}

void TRecordsViewEh::RegisterNotificator(TRecordsListNotificatorEh* AObject) {
    FNotificators.push_back(AObject);
}

void TRecordsViewEh::UnregisterNotificator(TRecordsListNotificatorEh* AObject) {
    auto it = std::find(FNotificators.begin(), FNotificators.end(), AObject);
    if (it != FNotificators.end()) FNotificators.erase(it);
}

void TRecordsViewEh::ViewDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action) {
    FCatchChanged = true;
    FAggregates->Recalc();
    if (OnViewDataEvent) OnViewDataEvent(MemRec, Index, Action);
    const auto list = FNotificators;
    for (TRecordsListNotificatorEh* n : list)
        n->DataEvent(MemRec, Index, Action);
}

void TRecordsViewEh::ViewRecordMoved(TMemoryRecordEh* Item, int OldIndex, int NewIndex) {
    if (OnViewRecordMovedEvent) OnViewRecordMovedEvent(Item, OldIndex, NewIndex);
    const auto list = FNotificators;
    for (TRecordsListNotificatorEh* n : list)
        n->RecordMoved(Item, OldIndex, NewIndex);
}

TMemRecViewEh* TRecordsViewEh::FindRowNode(TMemoryRecordEh* ARec) const {
    if (FRowNodes.empty()) return nullptr;
    const auto it = FRowNodes.find(ARec);
    return it == FRowNodes.end() ? nullptr : it->second;
}

TMemRecViewEh* TRecordsViewEh::MakeRowNode(TMemoryRecordEh* ARec) {
    auto node = std::make_unique<TMemRecViewEh>();
    node->SetData(ARec);
    if (OnCalcLookupBuffer) OnCalcLookupBuffer(ARec, node.get());
    TMemRecViewEh* result = node.release();
    FRowNodes.emplace(ARec, result);
    return result;
}

void TRecordsViewEh::DropRowNode(TMemoryRecordEh* ARec) {
    if (FRowNodes.empty()) return;
    const auto it = FRowNodes.find(ARec);
    if (it == FRowNodes.end()) return;
    delete it->second;
    FRowNodes.erase(it);
}

bool TRecordsViewEh::RowNodesWanted() const {
    return OnCalcLookupBuffer && (!OnRowNodesWanted || OnRowNodesWanted());
}

void TRecordsViewEh::NewRow(TMemoryRecordEh* ARec) {
    if (RowNodesWanted()) MakeRowNode(ARec);
}

void TRecordsViewEh::FreeRows() {
    FRows.clear();
    std::unordered_map<TMemoryRecordEh*, TMemRecViewEh*> nodes;
    nodes.swap(FRowNodes);
    for (const auto& [rec, node] : nodes)
        delete node;
}

int TRecordsViewEh::FindRow(TMemoryRecordEh* ARec, int ListIndex) const {
    const int n = int(FRows.size());
    // In natural order a record's row is near its list position.
    if (ListIndex >= 0 && ListIndex < n && FRows[size_t(ListIndex)] == ARec) return ListIndex;
    for (int i = 0; i < n; ++i)
        if (FRows[size_t(i)] == ARec) return i;
    return -1;
}

int TRecordsViewEh::FindInsertPosition(TMemoryRecordEh* ARec, int Hint) {
    const int n = int(FRows.size());
    auto rowRec = [this](int i) { return FRows[size_t(i)]; };
    if (n == 0 || CompareRecords(rowRec(0), ARec) > 0) return 0;
    if (CompareRecords(rowRec(n - 1), ARec) <= 0) return n;
    if (Hint >= 0 && Hint <= n && (Hint == 0 || CompareRecords(rowRec(Hint - 1), ARec) <= 0) &&
        (Hint == n || CompareRecords(rowRec(Hint), ARec) >= 0))
        return Hint;
    // rowRec(lo) <= ARec < rowRec(hi)
    int lo = 0, hi = n - 1;
    while (hi - lo > 1) {
        const int m = lo + (hi - lo) / 2;
        if (CompareRecords(rowRec(m), ARec) <= 0)
            lo = m;
        else
            hi = m;
    }
    return hi;
}

void TRecordsViewEh::DataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action) {
    TRecordsListNotificatorEh::DataEvent(MemRec, Index, Action);
    if (FDisableFilterCount > 0) return;

    if (FViewAsTreeList && (Action == rlnRecAddingEh || Action == rlnRecChangingEh) && MemRec &&
        FMemoryTreeList->CheckReferenceLoop(MemRec, Unassigned()))
        throw Exception(QStringLiteral("Reference-loop found"));

    switch (Action) {
    case rlnRecAddedEh:
        if (IsRecordInView(MemRec, Index, nullptr)) {
            const int pos = FindInsertPosition(MemRec, -1);
            NewRow(MemRec);
            FRows.insert(FRows.begin() + pos, MemRec);
            ViewDataEvent(MemRec, pos, rlnRecAddedEh);
        }
        break;
    case rlnRecChangedEh:
    case rlnRecMarkedForDelEh: {
        const int oldPos = FindRow(MemRec, Index);
        if (oldPos >= 0) FRows.erase(FRows.begin() + oldPos);
        int newPos = -1;
        if (IsRecordInView(MemRec, Index, nullptr)) {
            newPos = FindInsertPosition(MemRec, oldPos);
            if (oldPos < 0) NewRow(MemRec);
            FRows.insert(FRows.begin() + newPos, MemRec);
        } else {
            DropRowNode(MemRec);
        }
        if (oldPos >= 0 && newPos >= 0) {
            if (oldPos != newPos) ViewRecordMoved(MemRec, oldPos, newPos);
            ViewDataEvent(MemRec, newPos, Action);
        } else if (newPos >= 0) {
            ViewDataEvent(MemRec, newPos, rlnRecAddedEh);
        } else if (oldPos >= 0) {
            ViewDataEvent(MemRec, oldPos, rlnRecDeletedEh);
        }
        break;
    }
    case rlnRecDeletedEh: {
        const int row = FindRow(MemRec, Index);
        if (row >= 0) {
            DropRowNode(MemRec);
            FRows.erase(FRows.begin() + row);
            ViewDataEvent(MemRec, row, rlnRecDeletedEh);
        }
        break;
    }
    case rlnListChangedEh:
        if (FViewAsTreeList) RebuildMemoryTreeList();
        RefreshFilteredRecsList();
        break;
    default:
        break;
    }

    if (FViewAsTreeList) {
        TreeDataEvent(MemRec, Action);
        if (FMemoryTreeList->VisibleItemsObsolete()) ViewDataEvent(nullptr, -1, rlnListChangedEh);
    }

    switch (Action) {
    case rlnRecAddedEh:
    case rlnRecChangedEh:
    case rlnRecDeletedEh:
    case rlnListChangedEh:
    case rlnRecMarkedForDelEh:
        FAggregates->Recalc();
        break;
    default:
        break;
    }
}

void TRecordsViewEh::TreeDataEvent(TMemoryRecordEh* MemRec, TRecordsListNotification Action) {
    TMemoryTreeListEh* tree = FMemoryTreeList.get();
    switch (Action) {
    case rlnRecAddedEh: {
        TMemRecViewEh* node =
            tree->AddChildAtKey(String(), FTreeViewKeyFieldName, FTreeViewRefParentFieldName, MemRec);
        tree->UpdateNodeState(node, true);
        break;
    }
    case rlnRecChangedEh:
        if (TMemRecViewEh* node = tree->GetNode(nullptr, MemRec)) {
            tree->UpdateParent(node, FTreeViewKeyFieldName, FTreeViewRefParentFieldName, MemRec, true);
            tree->UpdateNodeState(node, true);
        }
        break;
    case rlnRecDeletedEh:
    case rlnRecMarkedForDelEh: {
        TMemRecViewEh* node = tree->GetNode(nullptr, MemRec);
        if (!node) return;
        std::vector<TMemoryRecordEh*> recs;
        tree->GetRecordsList(recs, node, true);
        TMemRecViewEh* parent = node->NodeParent();
        tree->DeleteNode(node, true);
        // Records below a removed node find a new place by their key.
        for (TMemoryRecordEh* r : recs) {
            TMemRecViewEh* n =
                tree->AddChildAtKey(String(), FTreeViewKeyFieldName, FTreeViewRefParentFieldName, r);
            tree->UpdateNodeState(n, false);
        }
        if (parent && parent != tree->Root()) tree->UpdateNodeState(parent, true);
        tree->VisibleItemsBecomeObsolete();
        break;
    }
    default:
        break;
    }
}

void TRecordsViewEh::RecordMoved(TMemoryRecordEh* Item, int OldIndex, int NewIndex) {
    TRecordsListNotificatorEh::RecordMoved(Item, OldIndex, NewIndex);
    if (!FViewAsTreeList) {
        const int n = int(FRows.size());
        int source = -1, target = -1;
        if (NewIndex < OldIndex) {
            for (int i = 0; i < n; ++i) {
                TMemoryRecordEh* r = FRows[size_t(i)];
                if (target < 0 && r->Index() >= NewIndex) target = i;
                if (r == Item) {
                    source = i;
                    break;
                }
            }
        } else {
            for (int i = 0; i < n; ++i) {
                TMemoryRecordEh* r = FRows[size_t(i)];
                if (r == Item) {
                    source = i;
                    continue;
                }
                if (r->Index() > NewIndex) {
                    target = i - 1;
                    break;
                }
            }
            if (target < 0) target = n - 1;
        }
        if (source >= 0) {
            if (target < 0) target = source;
            TMemoryRecordEh* rec = FRows[size_t(source)];
            FRows.erase(FRows.begin() + source);
            FRows.insert(FRows.begin() + std::clamp(target, 0, n - 1), rec);
            // Listeners re-read the rows: a moved row changes the positions of the rows between.
            ViewDataEvent(nullptr, -1, rlnListChangedEh);
        }
        return;
    }
    TMemoryTreeListEh* tree = FMemoryTreeList.get();
    TMemRecViewEh* node = tree->GetNode(nullptr, Item);
    if (!node) return;
    TMemRecViewEh* parent = node->NodeParent();
    TMemRecViewEh* before = nullptr;
    for (int i = 0; i < parent->NodesCount(); ++i) {
        TMemRecViewEh* s = parent->Items(i);
        if (s != node && s->Rec()->Index() > Item->Index()) {
            before = s;
            break;
        }
    }
    if (before)
        tree->MoveTo(node, before, naInsertEh, true);
    else
        tree->MoveTo(node, parent, naAddChildEh, true);
    ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsViewEh::StructChanged(TMemTableDataEh* AMemTableData) {
    TRecordsListNotificatorEh::StructChanged(AMemTableData);
    UpdateFields();
}

void TRecordsViewEh::QuickSortRows(int L, int R) {
    int I;
    do {
        I = L;
        int J = R;
        TMemoryRecordEh* pivot = FRows[size_t((L + R) / 2)];
        do {
            while (I < R && CompareRecords(FRows[size_t(I)], pivot) < 0)
                ++I;
            while (J > L && CompareRecords(FRows[size_t(J)], pivot) > 0)
                --J;
            if (I <= J) {
                std::swap(FRows[size_t(I)], FRows[size_t(J)]);
                ++I;
                --J;
            }
        } while (I <= J);
        if (L < J) QuickSortRows(L, J);
        L = I;
    } while (I < R);
}

namespace {
// Order-preserving 64-bit keys of the sort columns, made once per row so that most comparisons
// are of two integers. A column's keys are exact (equal keys, equal values) for plain floats and
// integers; texts get the first characters of their collation key, and rows with equal keys are
// compared by value. A column of other or mixed kinds has no keys (all 0). Nulls are 0, below
// every other key, and DESC inverts the keys.
enum TKeyKind { kkNone, kkFloat, kkInt, kkText };

TKeyKind KeyKindOf(TVarType t) {
    switch (t) {
    case varDouble:
        return kkFloat;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
        return kkInt;
    case varUString:
    case varOleStr:
    case varString:
        return kkText;
    default:
        return kkNone;
    }
}

// False when the value has no key of that kind.
bool SortKeyOf(const Variant& v, TKeyKind Kind, uint64_t& Key) {
    if (v.IsNull() || v.IsEmpty()) {
        Key = 0;
        return true;
    }
    const TVarType t = v.VType();
    if (KeyKindOf(t) != Kind) return false;
    switch (Kind) {
    case kkFloat: {
        double d = VariantAccess::Dbl(v);
        if (std::isnan(d)) return false;
        if (d == 0) d = 0; // -0 and 0 compare equal
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        Key = (bits >> 63) ? ~bits : bits | (uint64_t(1) << 63);
        return true;
    }
    case kkInt: {
        const Int64 x = VariantAccess::Int(v);
        if (x == INT64_MIN) return false;
        Key = uint64_t(x) ^ (uint64_t(1) << 63);
        return true;
    }
    case kkText:
        if (t == varString) {
            const AnsiString& a = VariantAccess::Ansi(v);
            return CollationKeyPrefix(a.constData(), a.size(), Key);
        }
        return CollationKeyPrefix(VariantAccess::Str(v), Key);
    default:
        return false;
    }
}
} // namespace

void TRecordsViewEh::SortRows() {
    const size_t n = FRows.size();
    if (n < 2) return;
    const int k = FOrderByList ? FOrderByList->Count() : 0;
    if (!Sorted()) {
        // The store order.
        std::sort(FRows.begin(), FRows.end(),
                  [](const TMemoryRecordEh* a, const TMemoryRecordEh* b) { return a->Index() < b->Index(); });
        return;
    }
    if (OnCompareRecords || n >= (size_t(1) << 31)) {
        QuickSortRows(0, int(n) - 1);
        return;
    }
    if (FFieldsOrderByList) {
        SortRowsByReadKeys();
        return;
    }
    static const Variant nullValue = Null();
    std::vector<const TOrderByItemEh*> items(static_cast<size_t>(k));
    std::vector<int> fields(static_cast<size_t>(k));
    for (int j = 0; j < k; ++j) {
        items[size_t(j)] = FOrderByList->Items(j);
        fields[size_t(j)] = items[size_t(j)]->MTFieldIndex >= 0 ? items[size_t(j)]->MTFieldIndex
                                                                : items[size_t(j)]->FieldIndex;
    }
    auto valueOf = [&](const TMemoryRecordEh* rec, size_t j) -> const Variant& {
        const TRecValuesEh& d = rec->Data();
        const int fi = fields[j];
        return fi >= 0 && size_t(fi) < d.size() ? d[size_t(fi)] : nullValue;
    };
    // The first two columns get keys; further ones are compared by value. The second column's
    // key keeps its high 32 bits only (rows equal there are compared by value), so that a row
    // takes 16 bytes: the keys are the largest array alive while a large view sorts.
    constexpr size_t KeyCols = 2;
    const size_t keyed = std::min(size_t(k), KeyCols);
    struct SortRow {
        uint64_t Key0;
        uint32_t Key1;
        uint32_t Row;
    };
    static_assert(sizeof(SortRow) == 16);
    std::vector<SortRow, THugePageAllocatorEh<SortRow>> rows(n);
    bool exact[KeyCols] = {false, false};
    for (size_t j = 0; j < keyed; ++j) {
        // The column's kind is that of its first value that is not Null.
        TKeyKind kind = kkNone;
        for (size_t r = 0; r < n && kind == kkNone; ++r) {
            const Variant& v = valueOf(FRows[r], j);
            if (!v.IsNull() && !v.IsEmpty()) kind = KeyKindOf(v.VType());
        }
        const bool desc = items[j]->Desc;
        bool keys = kind != kkNone;
        for (size_t r = 0; r < n && keys; ++r) {
            uint64_t key = 0;
            keys = SortKeyOf(valueOf(FRows[r], j), kind, key);
            if (desc) key = ~key;
            if (j == 0)
                rows[r].Key0 = key;
            else
                rows[r].Key1 = uint32_t(key >> 32);
        }
        if (!keys) {
            for (size_t r = 0; r < n; ++r) {
                if (j == 0)
                    rows[r].Key0 = 0;
                else
                    rows[r].Key1 = 0;
            }
        }
        exact[j] = keys && kind != kkText && j == 0;
    }
    for (size_t r = 0; r < n; ++r) {
        rows[r].Row = uint32_t(r);
        if (keyed < 2) rows[r].Key1 = 0;
        if (keyed < 1) rows[r].Key0 = 0;
    }
    // Equal rows keep their view order.
    std::sort(rows.begin(), rows.end(), [&](const SortRow& a, const SortRow& b) {
        for (size_t j = 0; j < size_t(k); ++j) {
            if (j == 0) {
                if (a.Key0 != b.Key0) return a.Key0 < b.Key0;
                if (exact[0]) continue;
            } else if (j == 1) {
                if (a.Key1 != b.Key1) return a.Key1 < b.Key1;
            }
            const int c = CompareOrderValues(valueOf(FRows[a.Row], j), valueOf(FRows[b.Row], j), items[j]);
            if (c != 0) return c < 0;
        }
        // Equal keys keep the records' order in the store (not the rows' previous order), the
        // order in which a posted record is placed among its equals.
        return FRows[a.Row]->Index() < FRows[b.Row]->Index();
    });
    // The rows are put in their new order in place, cycle by cycle: no second list at the peak.
    constexpr uint32_t Done = uint32_t(1) << 31;
    for (size_t i = 0; i < n; ++i) {
        if (rows[i].Row & Done) continue;
        TMemoryRecordEh* first = FRows[i];
        size_t j = i;
        while (true) {
            const size_t from = rows[j].Row & ~Done;
            rows[j].Row |= Done;
            if (from == i) {
                FRows[j] = first;
                break;
            }
            FRows[j] = FRows[from];
            j = from;
        }
    }
}

// Sorts by keys the data set reads for each row once (fields the store does not hold).
void TRecordsViewEh::SortRowsByReadKeys() {
    const size_t n = FRows.size();
    std::vector<std::vector<Variant>> keys(n);
    for (size_t r = 0; r < n; ++r)
        OnReadSortKeys(FRows[r], FFieldsOrderByList.get(), keys[r]);
    std::vector<uint32_t> order(n);
    for (size_t r = 0; r < n; ++r)
        order[r] = uint32_t(r);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const int c = CompareReadKeys(keys[a], keys[b]);
        if (c != 0) return c < 0;
        return FRows[a]->Index() < FRows[b]->Index();
    });
    TMemRecListEh sorted(n);
    for (size_t r = 0; r < n; ++r)
        sorted[r] = FRows[order[r]];
    FRows.swap(sorted);
}

void TRecordsViewEh::Resort() {
    SortRows();
    ViewDataEvent(nullptr, -1, rlnListChangedEh);
    if (FViewAsTreeList) FMemoryTreeList->SetSortOrder(FSortOrder);
}

void TRecordsViewEh::RefreshFilteredRecsList() {
    FreeRows();
    TMemTableDataEh* md = MemTableData();
    if (md && !FViewAsTreeList) {
        const std::vector<TMemoryRecordEh*>* pre = OnGetPrefilteredList ? OnGetPrefilteredList() : nullptr;
        const TMemRecListEh& all = md->RecordsList()->RecList();
        TMemoryRecordEh* const* recs = pre ? pre->data() : all.data();
        const size_t count = pre ? pre->size() : all.size();
        FRows.reserve(count);
        const bool nodes = RowNodesWanted();
        for (size_t i = 0; i < count; ++i) {
            TMemoryRecordEh* r = recs[i];
            if (IsRecordInView(r, r->Index(), nullptr)) {
                if (nodes) MakeRowNode(r);
                FRows.push_back(r);
            }
        }
    }
    FMemoryTreeList->UpdateNodesState(nullptr);
    if (!FMemoryTreeList->FilterNodeIfParentVisible) FMemoryTreeList->ShowChildrenOfVisibleNodes(nullptr);
    if (!FSortOrder.isEmpty())
        Resort();
    else
        ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsViewEh::RebuildMemoryTreeList() {
    FMemoryTreeList->Clear();
    TMemTableDataEh* md = MemTableData();
    if (!FViewAsTreeList || !md) return;
    for (TMemoryRecordEh* r : md->RecordsList()->RecList())
        FMemoryTreeList->AddChildAtKey(String(), FTreeViewKeyFieldName, FTreeViewRefParentFieldName, r);
}

Variant TRecordsViewEh::CalcAggrFieldFunc(const String& FieldName, const String& AggrFuncName) {
    const int n = int(FRows.size());
    if (FieldName == QLatin1String("*") && AggrFuncName == QLatin1String("COUNT")) return Variant(n);
    TMemTableDataEh* md = MemTableData();
    const int fi = md ? md->DataStruct()->FieldIndex(FieldName) : -1;
    if (fi < 0) throw Exception(QStringLiteral("Invalid field name: ") + FieldName);
    static const QStringList known = {QStringLiteral("SUM"), QStringLiteral("COUNT"), QStringLiteral("MIN"),
                                      QStringLiteral("MAX"), QStringLiteral("AVG")};
    if (!known.contains(AggrFuncName))
        throw Exception(QStringLiteral("Unsupported aggrigate function: ") + AggrFuncName);
    Variant acc =
        (AggrFuncName == QLatin1String("MIN") || AggrFuncName == QLatin1String("MAX")) ? Null() : Variant(0);
    int counted = 0;
    for (int i = 0; i < n; ++i) {
        const Variant v = GetValue(i, fi);
        if (v.IsNull() || v.IsEmpty()) continue;
        ++counted;
        if (AggrFuncName == QLatin1String("SUM") || AggrFuncName == QLatin1String("AVG"))
            acc = acc + v;
        else if (AggrFuncName == QLatin1String("COUNT"))
            acc = acc + Variant(1);
        else if (acc.IsNull() || (AggrFuncName == QLatin1String("MIN") ? v < acc : v > acc))
            acc = v;
    }
    // The mean of the non-Null values.
    if (AggrFuncName == QLatin1String("AVG"))
        return counted == 0 ? Null() : Variant(acc.AsDouble() / counted);
    return acc;
}
