// The data driver: readers, structure building, reading rows, refreshing records and resolving
// the change log into a provider data set.

#include "lib/memtable/DataDriverEh.h"

#include "lib/memtable/MemTableEh.h"
#include "platform/classes/TypInfo.h"

TFieldTypes KeyFieldDataTypes{
    ftUnknown,  ftString,       ftSmallint,    ftInteger,  ftWord,      ftBoolean, ftFloat,
    ftCurrency, ftBCD,          ftDate,        ftTime,     ftDateTime,  ftBytes,   ftVarBytes,
    ftAutoInc,  ftFixedChar,    ftWideString,  ftLargeint, ftADT,       ftArray,   ftReference,
    ftVariant,  ftInterface,    ftIDispatch,   ftGuid,     ftTimeStamp, ftFMTBcd,  ftFixedWideChar,
    ftWideMemo, ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint,  ftByte,    ftExtended};

int DataSetCompareBookmarks(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    return DataSet->CompareBookmarks(Bookmark1, Bookmark2);
}

bool DataSetBookmarkValid(TDataSet* DataSet, const TBookmark& Bookmark) {
    return DataSet->BookmarkValid(Bookmark);
}

TDataDriverEh::TDataDriverEh(TComponent* AOwner) : TComponent(AOwner) {}

TDataDriverEh::~TDataDriverEh() {
    if (!ComponentState().Contains(csDestroying)) BeforeDestruction();
}

void TDataDriverEh::BeforeDestruction() {
    if (!ComponentState().Contains(csDestroying)) {
        Destroying();
        SetProviderEOF(true);
    }
    TComponent::BeforeDestruction();
}

void TDataDriverEh::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FProviderDataSet) SetProviderDataSet(nullptr);
    if (AComponent == FReaderDataSet) {
        FReaderDataSet = nullptr;
        FReaderDataSetFreeOnEof = false;
    }
    if (AComponent == FDataDriverConsumer) FDataDriverConsumer = nullptr;
}

void TDataDriverEh::SetProviderDataSet(TDataSet* Value) {
    if (Value == FProviderDataSet) return;
    if (auto* mt = dynamic_cast<TCustomMemTableEh*>(Value); mt && mt->DataDriver() == this)
        DatabaseError(QStringLiteral(
            "Circular of ProviderDataSet and TMemTableEh.DataDriver assigning is not allowed"));
    if (FProviderDataSet) FProviderDataSet->RemoveFreeNotification(this);
    if (FReaderDataSet == FProviderDataSet) FReaderDataSet = nullptr;
    FProviderDataSet = Value;
    if (Value) Value->FreeNotification(this);
}

void TDataDriverEh::SetProviderEOF(bool Value) {
    if (FProviderEOF == Value) return;
    FProviderEOF = Value;
    if (Value && FReaderDataSetFreeOnEof && FReaderDataSet) {
        TDataSet* r = FReaderDataSet;
        FReaderDataSet = nullptr;
        FReaderDataSetFreeOnEof = false;
        r->RemoveFreeNotification(this);
        r->Free();
    }
}

TDataSet* TDataDriverEh::GetDataReader() {
    FDataToRecFields.clear();
    if (FReaderDataSet && !FProviderEOF) return FReaderDataSet;
    FReaderDataSetFreeOnEof = false;
    SetProviderEOF(false);
    TDataSet* reader = nullptr;
    bool freeOnEof = false;
    if (OnProduceDataReader)
        OnProduceDataReader(this, reader, freeOnEof);
    else
        DefaultProduceDataReader(reader, freeOnEof);
    if (FReaderDataSet && FReaderDataSet != reader) FReaderDataSet->RemoveFreeNotification(this);
    FReaderDataSet = reader;
    FReaderDataSetFreeOnEof = freeOnEof;
    if (reader) reader->FreeNotification(this);
    return reader;
}

void TDataDriverEh::DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof) {
    if (!FProviderDataSet) return;
    FProviderDataSet->Open();
    FProviderDataSet->First();
    DataSet = FProviderDataSet;
    FreeOnEof = false;
}

void TDataDriverEh::BuildDataStruct(TMTDataStructEh* DataStruct) {
    if (OnBuildDataStruct)
        OnBuildDataStruct(this, DataStruct);
    else if (OnProduceDataReader) {
        if (TDataSet* r = GetDataReader()) DataStruct->BuildStructFromFields(r->Fields());
    } else
        DefaultBuildDataStruct(DataStruct);
}

void TDataDriverEh::DefaultBuildDataStruct(TMTDataStructEh* DataStruct) {
    TFields* fields = nullptr;
    if (FReaderDataSet) {
        fields = FReaderDataSet->Fields();
        DataStruct->BuildStructFromFields(fields);
    } else if (FProviderDataSet) {
        const bool opened = FProviderDataSet->FieldCount() == 0 && !FProviderDataSet->Active();
        if (opened) FProviderDataSet->Open();
        try {
            fields = FProviderDataSet->Fields();
            DataStruct->BuildStructFromFields(fields);
        } catch (...) {
            if (opened) FProviderDataSet->Close();
            throw;
        }
        if (opened) FProviderDataSet->Close();
        fields = FProviderDataSet->Fields();
    }
    if (fields) AdjustDataStruct(fields, DataStruct);
}

// Answers the number of records actually added (the attempt that meets the end adds none).
int TDataDriverEh::ReadData(TMemTableDataEh* MemTableData, int Count) {
    if (FProviderEOF || Count == 0) return 0;
    int added = 0, attempts = 0;
    TRecordsListEh* list = MemTableData->RecordsList();
    for (;;) {
        TMemoryRecordEh* rec = list->NewRecord();
        bool eof = false;
        try {
            if (OnReadRecord)
                OnReadRecord(this, MemTableData, rec, eof);
            else
                DefaultReadRecord(MemTableData, rec, eof);
        } catch (...) {
            rec->Free();
            throw;
        }
        SetProviderEOF(eof);
        if (eof) {
            rec->Free();
            break;
        }
        list->FetchRecord(rec);
        ++added;
        ++attempts;
        if (Count > 0 && attempts >= Count) break;
    }
    return added;
}

void TDataDriverEh::DefaultReadRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* Rec,
                                      bool& ProviderEOF) {
    TDataSet* r = FReaderDataSet;
    if (!r || !r->Active() || r->Eof()) {
        ProviderEOF = true;
        return;
    }
    const int n = Rec->DataStruct()->Count();
    for (int i = 0; i < n; ++i)
        AssignFieldValue(MemTableData, Rec, i, dvvValueEh, r);
    r->Next();
}

void TDataDriverEh::AssignFieldValue(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                     int DataFieldIndex, TDataValueVersionEh DataValueVersion,
                                     TDataSet* ReaderDataSet) {
    if (OnAssignFieldValue)
        OnAssignFieldValue(this, MemTableData, MemRec, DataFieldIndex, DataValueVersion, ReaderDataSet);
    else
        DefaultAssignFieldValue(MemTableData, MemRec, DataFieldIndex, DataValueVersion, ReaderDataSet);
}

void TDataDriverEh::DefaultAssignFieldValue(TMemTableDataEh*, TMemoryRecordEh* MemRec, int DataFieldIndex,
                                            TDataValueVersionEh DataValueVersion, TDataSet* ReaderDataSet) {
    TMTDataStructEh* ds = MemRec->DataStruct();
    if (FDataToRecFields.empty() || int(FDataToRecFields.size()) != ds->Count()) {
        FDataToRecFields.assign(size_t(ds->Count()), -1);
        for (int i = 0; i < ds->Count(); ++i)
            if (TField* f = ReaderDataSet->FindField(ds->DataFields(i)->FieldName()))
                FDataToRecFields[size_t(i)] = f->Index();
    }
    const int fi = FDataToRecFields[size_t(DataFieldIndex)];
    if (fi < 0) return;
    MemRec->SetDataValue(DataFieldIndex, DataValueVersion, ReaderDataSet->Fields()->Fields(fi)->AsVariant());
}

void TDataDriverEh::RefreshRecord(TMemoryRecordEh* MemRecord) {
    if (OnRefreshRecord)
        OnRefreshRecord(this, MemRecord->RecordsList()->MemTableData(), MemRecord);
    else
        DefaultRefreshRecord(MemRecord);
}

namespace {
// Returns the provider to the remembered row when it still exists, also after an error.
struct BookmarkKeeper {
    TDataSet* DS;
    TBookmark BM;
    explicit BookmarkKeeper(TDataSet* ds) : DS(ds), BM(ds->Active() ? ds->GetBookmark() : TBookmark()) {}
    ~BookmarkKeeper() {
        try {
            if (!BM.empty() && DS->Active() && DS->BookmarkValid(BM)) DS->GotoBookmark(BM);
        } catch (...) {
        }
    }
};
} // namespace

void TDataDriverEh::DefaultRefreshRecord(TMemoryRecordEh* MemRecord) {
    if (!FProviderDataSet) return;
    if (FKeyFields.isEmpty())
        throw Exception(
            QStringLiteral("It is required to set DataDriver.KeyFields to refresh record values"));
    BookmarkKeeper keep(FProviderDataSet);
    const TDataValueVersionEh v = MemRecord->UpdateStatus() == usModified ? dvvOldValueEh : dvvValueEh;
    const Variant key = MemRecord->GetDataValues(FKeyFields, v);
    if (!FProviderDataSet->Locate(FKeyFields, key, {}))
        throw Exception(QStringLiteral("Key is not found in ProviderDataSet"));
    FDataToRecFields.clear();
    TMemTableDataEh* md = MemRecord->RecordsList()->MemTableData();
    for (int i = 0; i < MemRecord->DataStruct()->Count(); ++i)
        AssignFieldValue(md, MemRecord, i, dvvRefreshValue, FProviderDataSet);
    FDataToRecFields.clear();
}

void TDataDriverEh::UpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) {
    if (OnUpdateRecord)
        OnUpdateRecord(this, MemTableData, MemRec);
    else
        DefaultUpdateRecord(MemTableData, MemRec);
}

void TDataDriverEh::DefaultUpdateError(TMemTableDataEh*, TMemoryRecordEh*, TUpdateErrorActionEh& Action) {
    Action = ueaBreakRaiseEh;
}

int TDataDriverEh::ApplyUpdates(TMemTableDataEh* MemTableData) {
    TRecordsListEh* list = MemTableData->RecordsList();
    int applied = 0;
    const std::vector<TMemoryRecordEh*> delta = list->DeltaList();
    for (TMemoryRecordEh* rec : delta) {
        if (!rec) continue;
        // The record may have left the log through an earlier merge.
        if (std::find(list->DeltaList().begin(), list->DeltaList().end(), rec) == list->DeltaList().end())
            continue;
        TUpdateErrorActionEh action = ueaBreakRaiseEh;
        bool ok = false;
        for (;;) {
            try {
                UpdateRecord(MemTableData, rec);
                ok = true;
                ++applied;
                break;
            } catch (EDatabaseError& e) {
                action = ueaBreakRaiseEh;
                if (OnUpdateError)
                    OnUpdateError(this, MemTableData, rec, action);
                else
                    DefaultUpdateError(MemTableData, rec, action);
                if (action == ueaBreakRaiseEh) throw;
                rec->SetUpdateError(new TUpdateErrorEh(e.Clone()));
                if (action == ueaRetryEh) continue;
                break;
            }
        }
        if (!ok && action == ueaBreakAbortEh) break;
        if (ok || action != ueaCountinueSkip) rec->MergeChanges();
    }
    list->CleanupChangedRecs();
    return applied;
}

// A modified or deleted record whose provider row is gone is an update error, not a silent success.
int TDataDriverEh::DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) {
    if (!FResolveToDataSet || !FProviderDataSet) return 0;
    TDataSet* p = FProviderDataSet;
    BookmarkKeeper keep(p);
    String key = FKeyFields;
    if (key.isEmpty())
        for (TField* f : *p->Fields())
            if (KeyFieldDataTypes.Contains(f->DataType())) key += (key.isEmpty() ? "" : ";") + f->FieldName();
    const TUpdateStatus st = MemRec->UpdateStatus();
    if (st == usModified || st == usDeleted) {
        const Variant kv = MemRec->GetDataValues(key, dvvOldestValue);
        if (!p->Locate(key, kv, {})) DatabaseError(QStringLiteral("Record not found or changed"), p);
        if (st == usDeleted && !keep.BM.empty() && p->CompareBookmarks(keep.BM, p->GetBookmark()) == 0)
            keep.BM.clear();
    }
    TMTDataStructEh* ds = MemTableData->DataStruct();
    try {
        if (st == usModified)
            p->Edit();
        else if (st == usInserted)
            p->Insert();
        else if (st == usDeleted) {
            p->Delete();
            return 1;
        }
        for (int i = 0; i < ds->Count(); ++i) {
            TField* f = p->FindField(ds->DataFields(i)->FieldName());
            if (f && !f->ReadOnly()) f->SetAsVariant(MemRec->GetDataValue(i, dvvValueEh));
        }
        p->Post();
    } catch (EDatabaseError&) {
        if (dsEditModes.Contains(p->State())) p->Cancel();
        throw;
    }
    // Values the provider computed (defaults, generated keys) come back to the record.
    const bool editing = MemRec->EditState() == resEditEh;
    if (!editing) MemRec->Edit();
    for (int i = 0; i < ds->Count(); ++i)
        if (TField* f = p->FindField(ds->DataFields(i)->FieldName()))
            MemRec->SetDataValue(i, dvvValueEh, f->AsVariant());
    if (!editing) MemRec->Post();
    return 1;
}

void TDataDriverEh::ConsumerClosed(TDataSet*) {
    if (FProviderDataSet) FProviderDataSet->Close();
    SetProviderEOF(true);
}

void TDataDriverEh::RefreshReader() {
    if (!FProviderDataSet) return;
    FProviderDataSet->Refresh();
    FProviderDataSet->First();
}

bool TDataDriverEh::RefreshReaderParamsFromCursor(TDataSet* DataSet) {
    TParams* params = FProviderDataSet ? FProviderDataSet->PSGetParams() : nullptr;
    if (!params) return false;
    for (int i = 0; i < params->Count(); ++i) {
        TParam* p = params->Items(i);
        if (TField* f = DataSet->FindField(p->Name()))
            if (!VariantsEqual(p->Value(), f->AsVariant())) return true;
    }
    return false;
}

void TDataDriverEh::SetReaderParamsFromCursor(TDataSet* DataSet) {
    TParams* params = FProviderDataSet ? FProviderDataSet->PSGetParams() : nullptr;
    if (!params) return;
    DataSet->FieldDefs()->Update();
    for (int i = 0; i < params->Count(); ++i) {
        TParam* p = params->Items(i);
        if (p->Bound()) continue;
        p->AssignField(DataSet->FieldByName(p->Name()));
        p->SetBound(false);
    }
}

// ---------------------------------------------------------------------------------------------
// Published properties

KVT_PUBLISHED(TDataDriverEh) {
    using T = TDataDriverEh;
    P.Prop(
        "KeyFields", [](T* d) { return d->KeyFields(); }, [](T* d, String v) { d->SetKeyFields(v); });
    P.Prop(
        "ProviderDataSet", [](T* d) { return d->ProviderDataSet(); },
        [](T* d, TDataSet* v) { d->SetProviderDataSet(v); });
}

KVT_REGISTER_CLASS(TDataDriverEh)
