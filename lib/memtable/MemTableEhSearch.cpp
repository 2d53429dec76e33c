// Sorting, filtering, searching and aggregates of the memory table.

#include "lib/memtable/DataDriverEh.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/rtl/SysUtils.h"

#include <QScopeGuard>

namespace {
bool IsTextType(TFieldType t) {
    return t == ftString || t == ftMemo || t == ftFmtMemo || t == ftFixedChar || t == ftWideString ||
           t == ftOraClob;
}
bool IsNullValue(const Variant& v) {
    return VarIsNull(v) || VarIsEmpty(v);
}
int Sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Sort order

TMTOrderByList* TCustomMemTableEh::RecordsViewParseOrderByStr(const String& Text) {
    auto list = std::make_unique<TMTOrderByList>();
    int pos = 1;
    String tok = TOrderByList::GetToken(Text, pos);
    while (!tok.isEmpty()) {
        TField* f = FindField(tok);
        if (!f) throw Exception(QStringLiteral(" Field - \"") + tok + QStringLiteral("\" not found."));
        bool desc = false;
        tok = TOrderByList::GetToken(Text, pos);
        for (;;) {
            const String up = AnsiUpperCase(tok);
            if (up == QLatin1String("DESC"))
                desc = true;
            else if (up != QLatin1String("ASC"))
                break;
            tok = TOrderByList::GetToken(Text, pos);
        }
        if (!tok.isEmpty() && tok != QLatin1String(";") && tok != QLatin1String(","))
            throw Exception(QStringLiteral(" Invalid token - \"") + tok + QStringLiteral("\""));
        auto* item = new TOrderByItemEh();
        item->FieldIndex = f->Index();
        item->Desc = desc;
        item->CaseIns = FilterOptions().Contains(foCaseInsensitive);
        list->Add(item);
        if (tok.isEmpty()) break;
        tok = TOrderByList::GetToken(Text, pos);
    }
    return list.release();
}

void TCustomMemTableEh::SetSortOrder(const String& Value) {
    if (FSortOrder == Value) return;
    FSortOrder = Value;
    ApplySortOrder();
}

void TCustomMemTableEh::ApplySortOrder() {
    FRecordsView->SetSortOrder(FActive ? FSortOrder : String());
}

void TCustomMemTableEh::SortByFields(const String& SortByStr) {
    SortByOrderText(SortByStr);
}

void TCustomMemTableEh::SortByOrderText(const String& Text) {
    if (Text.isEmpty()) return;
    std::unique_ptr<TMTOrderByList> list(RecordsViewParseOrderByStr(Text));
    if (!Active() || !FRecordsView || ViewRowCount() == 0) return;
    CheckBrowseMode();
    if (FInstantReadMode) throw Exception(QStringLiteral("Sort data in InstantReadMode is not allowed."));
    if (FRecordsView->ViewAsTreeList()) {
        FRecordsView->MemoryTreeList()->SortData(
            [this](TBaseTreeNodeEh* N1, TBaseTreeNodeEh* N2, TObject* P) {
                return CompareTreeNodeRecords(static_cast<TMemRecViewEh*>(N1),
                                              static_cast<TMemRecViewEh*>(N2), static_cast<TOrderByList*>(P));
            },
            list.get(), true);
    } else {
        MemTableData()->RecordsList()->SortData(
            list.get(), [this](TMemoryRecordEh* R1, TMemoryRecordEh* R2, TObject* P) {
                return CompareRecordsByOrder(R1, R2, static_cast<TOrderByList*>(P));
            });
    }
    FRecBufSize = -1;
    Resync({});
}

int TCustomMemTableEh::CompareVarValues(const Variant& V1, const Variant& V2, bool CaseInsensitive) {
    // Same-typed numbers compare directly (sorting calls this for every pair).
    if (V1.VType() == V2.VType()) {
        switch (V1.VType()) {
        case varInteger:
        case varInt64: {
            const Int64 a = V1.AsInt64(), b = V2.AsInt64();
            return a < b ? -1 : (a > b ? 1 : 0);
        }
        case varDouble: {
            const double a = V1.AsDouble(), b = V2.AsDouble();
            if (a < b) return -1;
            if (a > b) return 1;
            if (a == b) return 0;
            break;
        }
        default:
            break;
        }
    }
    const bool n1 = IsNullValue(V1), n2 = IsNullValue(V2);
    if (n1) return n2 ? 0 : -1;
    if (n2) return 1;
    if (CaseInsensitive) return Sign(AnsiCompareText(VarToStr(V1), VarToStr(V2)));
    if ((V1.VType() == varUString || V1.VType() == varOleStr) &&
        (V2.VType() == varUString || V2.VType() == varOleStr))
        return Sign(WideCompareStr(V1.AsString(), V2.AsString()));
    switch (VarCompareValue(V1, V2)) {
    case vrLessThan:
        return -1;
    case vrGreaterThan:
        return 1;
    default:
        return 0;
    }
}

int TCustomMemTableEh::CompareRecordsByOrder(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2,
                                             TOrderByList* OrderByList) {
    if (!OrderByList || OrderByList->Count() == 0 || FieldCount() == 0) return Rec1->Index() - Rec2->Index();
    const bool tableFields = OrderByList->InheritsFrom<TMTOrderByList>();
    bool computed = false;
    if (tableFields)
        for (int i = 0; i < OrderByList->Count(); ++i) {
            const int fi = OrderByList->Items(i)->FieldIndex;
            if (fi >= 0 && fi < FieldCount() && Fields()->Fields(fi)->FieldNo() <= 0) computed = true;
        }
    if (computed) {
        std::vector<Variant> k1, k2;
        ReadSortKeys(Rec1, OrderByList, k1);
        ReadSortKeys(Rec2, OrderByList, k2);
        for (int i = 0; i < OrderByList->Count(); ++i) {
            TOrderByItemEh* it = OrderByList->Items(i);
            const bool ci = it->CaseIns && IsTextType(Fields()->Fields(it->FieldIndex)->DataType());
            int r = CompareVarValues(k1[size_t(i)], k2[size_t(i)], ci);
            if (it->Desc) r = -r;
            if (r != 0) return r;
        }
        return Rec1->Index() - Rec2->Index();
    }
    TMTDataStructEh* ds = MemTableData()->DataStruct();
    for (int i = 0; i < OrderByList->Count(); ++i) {
        TOrderByItemEh* it = OrderByList->Items(i);
        int sf = -1;
        if (it->FieldIndex >= 0 && it->FieldIndex < FieldCount())
            sf = Fields()->Fields(it->FieldIndex)->FieldNo() - 1;
        else if (it->FieldIndex < 0)
            sf = it->MTFieldIndex;
        if (sf < 0 || sf >= ds->Count()) continue;
        const bool ci = it->CaseIns && IsTextType(ds->DataFields(sf)->DataType());
        const TRecValuesEh& d1 = Rec1->Data();
        const TRecValuesEh& d2 = Rec2->Data();
        static const Variant null = Null();
        int r = CompareVarValues(size_t(sf) < d1.size() ? d1[size_t(sf)] : null,
                                 size_t(sf) < d2.size() ? d2[size_t(sf)] : null, ci);
        if (it->Desc) r = -r;
        if (r != 0) return r;
    }
    return Rec1->Index() - Rec2->Index();
}

void TCustomMemTableEh::ReadSortKeys(TMemoryRecordEh* Rec, TOrderByList* OrderByList,
                                     std::vector<Variant>& Keys) {
    // Calculated and lookup keys are read through a buffer computed for the record.
    Keys.clear();
    const TRecordBuffer h = AllocRecordBuffer();
    TMTRecBuf* b = RecBuf(h);
    b->MemRec = Rec;
    b->RecView = nullptr;
    b->UseMemRec = false;
    b->RecordNumber = -1;
    for (TField* f : *Fields())
        if (f->FieldNo() > 0) b->Values[size_t(f->Index())] = Rec->GetDataValue(f->FieldNo() - 1, dvvValueEh);
    FInstantBuffers.push_back(h);
    FInstantReadMode = true;
    const auto leave = qScopeGuard([this] { InstantReadLeave(); });
    GetCalcFields(h);
    for (int i = 0; i < OrderByList->Count(); ++i) {
        const int fi = OrderByList->Items(i)->FieldIndex;
        Keys.push_back(fi >= 0 && fi < FieldCount() ? Fields()->Fields(fi)->AsVariant() : Variant(Null()));
    }
}

int TCustomMemTableEh::CompareTreeNodeRecords(TMemRecViewEh* Node1, TMemRecViewEh* Node2,
                                              TOrderByList* OrderByList) {
    return CompareRecordsByOrder(Node1->Rec(), Node2->Rec(), OrderByList);
}

// ---------------------------------------------------------------------------------------------
// Filtering

void TCustomMemTableEh::CompileFilter() {
    FFilterExpr = std::make_unique<TDataSetExprParserEh>(this, dsptFilterEh);
    if (Filtered() && !Filter().isEmpty()) FFilterExpr->ParseExpression(Filter());
}

bool TCustomMemTableEh::RecordsViewFilterRecord(TMemoryRecordEh* Rec, TMemRecViewEh* Node) {
    bool accept = true;
    if (!FActive) return accept;
    const bool hasExpr = FFilterExpr && FFilterExpr->HasData();
    const bool own = Filtered() && (bool(OnFilterRecord()) || hasExpr);
    const bool extra = FExtraFilters && FExtraFilters->ActiveFilterCount() > 0;
    if (!own && !FDetailMode && !extra) return accept;
    const bool needBuf = (Filtered() && OnFilterRecord()) || (extra && FExtraFilters->HasEventActiveFilter());
    TDataSetState save = dsInactive;
    if (needBuf) save = SetTempState(dsFilter);
    try {
        if (needBuf) {
            TMTRecBuf* b = FilterBuf();
            // The buffer reads data fields through the record; its own values are read only for
            // calculated fields, or after a write has made it keep copies.
            if (!b->UseMemRec || CalcFieldsWanted()) b->Clear();
            b->Bookmark = 0;
            b->BookmarkFlag = bfCurrent;
            b->RecordNumber = -1;
            b->MemRec = Rec;
            b->RecView = Node;
            b->UseMemRec = true;
            b->FieldsList = Fields();
            b->NeedUpdateCalcFields = true;
            try {
                GetCalcFields(FFilterBufHandle);
            } catch (...) {
                b->NeedUpdateCalcFields = false;
                throw;
            }
            b->NeedUpdateCalcFields = false;
        }
        if (Filtered() && hasExpr) accept = FFilterExpr->IsCurRecordInFilter(Rec);
        if (Filtered() && OnFilterRecord()) OnFilterRecord()(this, accept);
        if (accept && FDetailMode && FMasterDetailSide != mdsOnProviderEh && !FDetailRecListActive)
            accept = VarEquals(Rec->GetDataValues(FDetailFields, dvvValueEh), FMasterValues);
        if (accept && extra) accept = FExtraFilters->IsCurRecordInFilter(Rec);
    } catch (...) {
        InternalHandleException();
    }
    if (needBuf) RestoreState(save);
    return accept;
}

void TCustomMemTableEh::RefilterAfterChange() {
    CompileFilter();
    UpdateDetailRecList();
    CursorPosChanged();
    UpdateCursorPos();
}

void TCustomMemTableEh::SetFilterText(const String& Value) {
    if (!Active()) {
        TDataSet::SetFilterText(Value);
        return;
    }
    if (Value == Filter()) return;
    TDataSet::SetFilterText(Value);
    RefilterAfterChange();
}

void TCustomMemTableEh::SetFiltered(bool Value) {
    if (!Active()) {
        TDataSet::SetFiltered(Value);
        return;
    }
    CheckBrowseMode();
    if (Value == Filtered()) return;
    TDataSet::SetFiltered(Value);
    RefilterAfterChange();
}

void TCustomMemTableEh::SetOnFilterRecord(const TFilterRecordEvent& Value) {
    if (!Active()) {
        TDataSet::SetOnFilterRecord(Value);
        return;
    }
    CheckBrowseMode();
    TDataSet::SetOnFilterRecord(Value);
    if (Filtered()) {
        UpdateDetailRecList();
        CursorPosChanged();
        UpdateCursorPos();
    }
}

void TCustomMemTableEh::SetFilterOptions(TFilterOptions Value) {
    const bool changed = Value != FilterOptions();
    TDataSet::SetFilterOptions(Value);
    if (changed && Active() && Filtered()) {
        CheckBrowseMode();
        RefilterAfterChange();
    }
}

// ---------------------------------------------------------------------------------------------
// Extra filters

TObject* TCustomMemTableEh::AddExtraFilter(const String& Filter, const TFilterRecordEvent& OnFilterRecord) {
    TMemTableFilterItemEh* item = FExtraFilters->Add();
    item->SetFilter(Filter);
    item->SetOnFilterRecord(OnFilterRecord);
    item->SetActive(true);
    return FExtraFilters->Items(FExtraFilters->Count() - 1);
}

bool TCustomMemTableEh::UpdateExtraFilter(TObject* Item, const String& Filter,
                                          const TFilterRecordEvent& OnFilterRecord) {
    auto* it = dynamic_cast<TMemTableFilterItemEh*>(Item);
    if (!it || FExtraFilters->IndexOfFilter(it) < 0) return false;
    if (it->Filter() != Filter) {
        it->SetFilter(Filter);
        it->SetOnFilterRecord(OnFilterRecord);
    } else if (it->OnFilterRecord() == OnFilterRecord) {
        it->FilterProcChanged();
    } else {
        it->SetOnFilterRecord(OnFilterRecord);
    }
    return true;
}

bool TCustomMemTableEh::RemoveExtraFilter(TObject* Item) {
    auto* it = dynamic_cast<TMemTableFilterItemEh*>(Item);
    if (!it || FExtraFilters->IndexOfFilter(it) < 0) return false;
    delete it;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Searching

bool TCustomMemTableEh::VarEquals(const Variant& A, const Variant& B) {
    if (A.VType() == B.VType()) {
        switch (A.VType()) {
        case varInteger:
            return A.AsInteger() == B.AsInteger();
        case varInt64:
            return A.AsInt64() == B.AsInt64();
        case varUString:
            return A.AsString() == B.AsString();
        default:
            break;
        }
    }
    try {
        const bool aa = VarIsArray(A), ba = VarIsArray(B);
        if (aa != ba) return false;
        if (aa) {
            if (VarArrayDimCount(A) != VarArrayDimCount(B) ||
                VarArrayLowBound(A, 1) != VarArrayLowBound(B, 1) ||
                VarArrayHighBound(A, 1) != VarArrayHighBound(B, 1))
                return false;
            for (Integer i = VarArrayLowBound(A, 1); i <= VarArrayHighBound(A, 1); ++i)
                if (!(A[i] == B[i])) return false;
            return true;
        }
        return A == B;
    } catch (...) {
        return false;
    }
}

bool TCustomMemTableEh::KeyMatches(int Row, const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                                   TLocateOptions Options) {
    InstantReadEnter(ViewRowNode(Row), Row);
    bool match = true;
    try {
        for (size_t i = 0; i < KeyFields.size() && match; ++i) {
            TField* f = KeyFields[i];
            const Variant key = KeyFields.size() == 1 ? KeyValues : KeyValues[Integer(i)];
            if (f->DataType() == ftString || f->DataType() == ftWideString) {
                String text = f->AsString();
                const String keyText = VarToStr(key);
                if (Options.Contains(loPartialKey)) text = text.left(keyText.size());
                match = Options.Contains(loCaseInsensitive) ? AnsiCompareText(text, keyText) == 0
                                                            : AnsiCompareStr(text, keyText) == 0;
            } else {
                match = VarEquals(f->AsVariant(), key);
            }
        }
    } catch (...) {
        InstantReadLeave();
        throw;
    }
    InstantReadLeave();
    return match;
}

int TCustomMemTableEh::FindRec(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options,
                               int StartRecIndex, bool TryUseIndex) {
    std::vector<TField*> kf;
    GetFieldList(kf, KeyFields);
    if (kf.empty()) return -1;
    bool slow = !Options.Empty();
    for (TField* f : kf)
        if (f->FieldNo() < 1) slow = true;
    int result = -1;
    const int start = std::max(0, StartRecIndex);
    if (slow) {
        for (int row = start; row < ViewRowCount(); ++row)
            if (KeyMatches(row, kf, KeyValues, Options)) {
                result = row;
                break;
            }
    } else {
        bool decided = false;
        TMTIndexEh* idx =
            TryUseIndex ? MemTableData()->RecordsList()->Indexes()->GetIndexForFields(KeyFields) : nullptr;
        if (idx && idx->Active()) {
            std::vector<TMemoryRecordEh*> recs;
            idx->FillMatchedRecsList(KeyValues, recs);
            for (TMemoryRecordEh* r : recs) {
                const int row = ViewRowOfRec(r);
                if (row >= start && (result < 0 || row < result)) result = row;
            }
            // A key the index holds only for records the view does not show still goes to the scan.
            decided = result >= 0;
        }
        if (!decided) {
            std::vector<int> sf;
            for (TField* f : kf)
                sf.push_back(f->FieldNo() - 1);
            std::vector<Variant> keys;
            for (size_t i = 0; i < sf.size(); ++i)
                keys.push_back(sf.size() == 1 ? KeyValues : KeyValues[Integer(i)]);
            static const Variant null = Null();
            const int n = ViewRowCount();
            for (int row = start; row < n && result < 0; ++row) {
                const TRecValuesEh& d = FRecordsView->Rec(row)->Data();
                bool match = true;
                for (size_t i = 0; i < sf.size() && match; ++i)
                    match = VarEquals(size_t(sf[i]) < d.size() ? d[size_t(sf[i])] : null, keys[i]);
                if (match) result = row;
            }
        }
    }
    while (result < 0 && FDataDriver && !FDataDriver->ProviderEOF()) {
        int n = 0;
        BeginRecordsViewUpdate();
        try {
            n = FetchRecordsFromDriver(1);
        } catch (...) {
            EndRecordsViewUpdate(false);
            throw;
        }
        EndRecordsViewUpdate(false);
        const int last = ViewRowCount() - 1;
        if (last >= start && KeyMatches(last, kf, KeyValues, Options)) result = last;
        if (n == 0) break;
    }
    return result;
}

bool TCustomMemTableEh::Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    CheckBrowseMode();
    if (Bof() && Eof()) return false;
    int row = -1;
    BeginRecordsViewUpdate();
    try {
        row = FindRec(KeyFields, KeyValues, Options, 0, true);
        if (row >= 0) {
            FRecordPos = row;
            FRecordsViewUpdated = true;
        }
    } catch (...) {
        EndRecordsViewUpdate(true);
        throw;
    }
    EndRecordsViewUpdate(true);
    return row >= 0;
}

Variant TCustomMemTableEh::Lookup(const String& KeyFields, const Variant& KeyValues,
                                  const String& ResultFields) {
    Variant result;
    FRecordsView->SetCatchChanged(false);
    const int row = FindRec(KeyFields, KeyValues, {}, 0, true);
    if (row >= 0) {
        InstantReadEnter(ViewRowNode(row), row);
        try {
            result = FieldValues(ResultFields);
        } catch (...) {
            InstantReadLeave();
            throw;
        }
        InstantReadLeave();
    }
    if (FRecordsView->CatchChanged() && Active()) Resync({});
    return result;
}

Variant TCustomMemTableEh::LookupAll(const String& KeyFields, const Variant& KeyValues,
                                     const String& ResultFields, TLocateOptions /*Options*/) {
    Variant result;
    int count = 0;
    int row = FindRec(KeyFields, KeyValues, {}, 0, false);
    while (row >= 0) {
        InstantReadEnter(ViewRowNode(row), row);
        Variant v;
        try {
            v = FieldValues(ResultFields);
        } catch (...) {
            InstantReadLeave();
            throw;
        }
        InstantReadLeave();
        if (count == 0) {
            result = v;
        } else if (count == 1) {
            Variant arr = VarArrayCreate({0, 1}, varVariant);
            arr.ArrayPut({0}, result);
            arr.ArrayPut({1}, v);
            result = arr;
        } else {
            VarArrayRedim(result, count);
            result.ArrayPut({count}, v);
        }
        ++count;
        row = FindRec(KeyFields, KeyValues, {}, row + 1, false);
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Aggregates

bool TCustomMemTableEh::AggregatesActive() const {
    return FRecordsView->Aggregates()->Active();
}

void TCustomMemTableEh::SetAggregatesActive(bool Value) {
    if (Value == AggregatesActive()) return;
    FRecordsView->Aggregates()->SetActive(Value);
    if (Active() && AggFields()->Count() > 0) {
        UpdateCursorPos();
        Resync({});
    }
}

Variant TCustomMemTableEh::GetAggregateValue(TField* Field) {
    if (!AggregatesActive()) return Null();
    TMTRecBuf* b = nullptr;
    if (!FindActiveRecordBuffer(b, false)) return Null();
    auto* agg = static_cast<TMTAggregateEh*>(Field->Handle());
    TMTAggregatesEh* aggs = FRecordsView->Aggregates();
    for (int i = 0; !agg && i < aggs->Count(); ++i)
        if (aggs->Items(i)->Field == Field) agg = aggs->Items(i);
    return agg ? agg->Value() : Null();
}

void TCustomMemTableEh::ResetAggField(TField* Field) {
    TMTAggregatesEh* aggs = FRecordsView->Aggregates();
    for (int i = 0; i < aggs->Count(); ++i) {
        TMTAggregateEh* a = aggs->Items(i);
        if (a->Field != Field && Field->Handle() != a) continue;
        aggs->BeginUpdate();
        try {
            a->Assign(Field);
        } catch (...) {
            aggs->EndUpdate();
            throw;
        }
        aggs->EndUpdate();
        a->Reset();
        a->Recalc();
        if (Active()) DataEvent(deDataSetChange, 0);
        return;
    }
}

// The average is the sum over the count of the non-Null numeric values of the range.
void TCustomMemTableEh::GetAggregatedValuesForRange(const TBookmark& FromBM, const TBookmark& ToBM,
                                                    const String& FieldName, Variant (&ResultArr)[5],
                                                    Byte AggrFuncs) {
    ResultArr[0] = Null();
    ResultArr[1] = Variant(0);
    ResultArr[2] = Null();
    ResultArr[3] = Null();
    ResultArr[4] = Null();
    if (!Active()) return;
    if ((!FromBM.empty() && !UniBookmarkValid(FromBM)) || (!ToBM.empty() && !UniBookmarkValid(ToBM))) return;
    const int from = FromBM.empty() ? 1 : UniBookmarkToRecNo(FromBM);
    const int to = ToBM.empty() ? RecordCount() : UniBookmarkToRecNo(ToBM);
    if (FieldName.isEmpty() && AggrFuncs == agfCountEh) {
        ResultArr[1] = Variant(std::max(0, to - from + 1));
        return;
    }
    const int sf = MemTableData()->DataStruct()->FieldIndex(FieldName);
    if (sf < 0) return;
    const TVarType vt = MemTableData()->DataStruct()->DataFields(sf)->VarDataType();
    const bool numeric = VarTypeIsNumeric(vt) || vt == varDate;
    Variant sum = Null();
    int numCount = 0;
    for (int row = from; row <= to; ++row) {
        TMemoryRecordEh* r = ViewRowRec(row - 1);
        if (!r) continue;
        const Variant v = r->GetDataValue(sf, dvvValueEh);
        if (IsNullValue(v)) continue;
        if (AggrFuncs & (agfCountEh | agfAvgEh)) ResultArr[1] = ResultArr[1] + Variant(1);
        if (!numeric) continue;
        if (vt != varDate) {
            sum = IsNullValue(sum) ? v : sum + v;
            ++numCount;
        }
        if ((AggrFuncs & agfMinEh) && (IsNullValue(ResultArr[3]) || ResultArr[3] > v)) ResultArr[3] = v;
        if ((AggrFuncs & agfMaxEh) && (IsNullValue(ResultArr[4]) || ResultArr[4] < v)) ResultArr[4] = v;
    }
    if (AggrFuncs & agfSumEh) ResultArr[0] = sum;
    if ((AggrFuncs & agfAvgEh) && numCount > 0) ResultArr[2] = sum / Variant(numCount);
}
