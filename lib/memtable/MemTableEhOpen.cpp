// The memory table's structure, construction, opening and closing, field definitions, indexes
// and the component streaming of its store.

#include "lib/memtable/DataDriverEh.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/classes/ComponentStreams.h"
#include "platform/classes/TypInfo.h"

namespace {
bool FieldTypeSupported(TFieldType t) {
    return (t >= ftUnknown && t <= ftTypedBinary) || (t >= ftFixedChar && t <= ftADT) ||
           (t >= ftOraBlob && t <= ftExtended);
}

// Removes, last first and through child definitions, the definitions of unsupported types.
void RemoveUnsupportedDefs(TFieldDefs* Defs) {
    for (int i = Defs->Count() - 1; i >= 0; --i) {
        TFieldDef* d = Defs->Items(i);
        if (!FieldTypeSupported(d->DataType())) {
            delete d;
            continue;
        }
        if (d->HasChildDefs()) RemoveUnsupportedDefs(d->ChildDefs());
    }
}
} // namespace

TCustomMemTableEh::TCustomMemTableEh(TComponent* AOwner) : TDataSet(AOwner) {
    FInternMemTableData = new TMemTableDataEh(this);
    FInternMemTableData->SetName(QStringLiteral("MemTableData"));
    FRecordsView = std::make_unique<TRecordsViewEh>(this);
    TRecordsViewEh* v = FRecordsView.get();
    v->OnFilterRecord = [this](TMemoryRecordEh* Rec, TMemRecViewEh* Node) {
        return RecordsViewFilterRecord(Rec, Node);
    };
    v->OnParseOrderByStr = [this](const String& Text) -> TOrderByList* {
        return RecordsViewParseOrderByStr(Text);
    };
    // The view orders store fields by its own comparison, the same way (Null first, texts by the
    // collation, the case rule of Options, ties by store position), so that it can sort on
    // prefetched keys. A sort order naming a calculated or lookup field is parsed here and its
    // keys are read through instant read. CompareRecordsByOrder serves SortByFields and the tree.
    v->OnReadSortKeys = [this](TMemoryRecordEh* Rec, TOrderByList* List, std::vector<Variant>& Keys) {
        ReadSortKeys(Rec, List, Keys);
    };
    v->OnCompareTreeNode = [this](TBaseTreeNodeEh* N1, TBaseTreeNodeEh* N2, TObject* P) {
        return CompareTreeNodeRecords(static_cast<TMemRecViewEh*>(N1), static_cast<TMemRecViewEh*>(N2),
                                      dynamic_cast<TOrderByList*>(P));
    };
    v->OnGetPrefilteredList = [this]() { return GetPrefilteredList(); };
    v->OnViewDataEvent = TRecordsListNotificatorDataEventEh(this, &TCustomMemTableEh::RecordsViewDataEvent);
    v->OnViewRecordMovedEvent =
        TRecordsListRecordMovedEventEh(this, &TCustomMemTableEh::RecordsViewRecordMoved);
    v->OnFetchRecords = TRecordsListFetchRecordsEventEh(this, &TCustomMemTableEh::FetchRecordsFromDriver);
    if (TMemoryTreeListEh* t = v->MemoryTreeList()) {
        t->OnExpandedChanging =
            TTreeNodeNotifyResultEvent(this, &TCustomMemTableEh::TreeListExpandedChanging);
        t->OnExpandedChanged = TTreeNodeNotifyEvent(this, &TCustomMemTableEh::TreeListExpandedChanged);
    }
    v->OnApplyUpdates = nullptr;
    v->OnStructChanged = TRecordsListApplyUpdatesEventEh(this, &TCustomMemTableEh::RecordsViewStructChanged);
    v->OnCalcLookupBuffer = [this](TMemoryRecordEh* Rec, TMemRecViewEh* Node) {
        RecordsViewCalcLookupBuffer(Rec, Node);
    };
    // Rows need their nodes up front only for the values of calculated and lookup fields.
    v->OnRowNodesWanted = [this]() { return HasCalcFields(); };
    v->SetMemTableData(FInternMemTableData);
    FMasterDataLink = std::make_unique<TMasterDataLinkEh>(this);
    FMasterDataLink->OnMasterChange = TNotifyEvent(this, &TCustomMemTableEh::MasterChanged);
    FParams = std::make_unique<TParams>(this);
    FFilterExpr = std::make_unique<TDataSetExprParserEh>(this, dsptFilterEh);
    FTreeList = std::make_unique<TMemTableTreeListEh>(this);
    FMasterValList = std::make_unique<TSortedVarlistEh>();
    FExtraFilters = std::make_unique<TMemTableFiltersEh>(this);
}

TCustomMemTableEh::~TCustomMemTableEh() {
    if (!FTornDown) BeforeDestruction();
}

void TCustomMemTableEh::BeforeDestruction() {
    if (FTornDown) return;
    FTornDown = true;
    Destroying();
    try {
        TDataSet::Close();
    } catch (...) {
    }
    FMasterValList->Clear();
    FInstantBuffers.clear();
    if (!FExternalMemData && FInternMemTableData) ClearRecords();
    if (FExternalMemData) {
        FExternalMemData->RemoveFreeNotification(this);
        FExternalMemData = nullptr;
    }
    for (TComponent* r : FEventReceivers)
        r->RemoveFreeNotification(this);
    FEventReceivers.clear();
    if (FDataDriver) {
        try {
            SetDataDriver(nullptr);
        } catch (...) {
        }
    }
    if (FRecordsView) FRecordsView.release()->Free();
    FMasterDataLink.reset();
    FExtraFilters.reset();
    FFilterExpr.reset();
    TDataSet::BeforeDestruction();
}

TMemTableDataEh* TCustomMemTableEh::MemTableData() const {
    return FRecordsView ? FRecordsView->MemTableData() : FInternMemTableData;
}

void TCustomMemTableEh::ClearRecords() {
    if (TMemTableDataEh* md = MemTableData()) {
        md->RecordsList()->Clear();
        md->AutoIncrement()->Reset();
    }
    FRecordPos = -1;
    FInstantReadCurRowNum = -1;
}

TAutoIncrementEh* TCustomMemTableEh::AutoIncrement() const {
    return MemTableData()->AutoIncrement();
}

void TCustomMemTableEh::SetAutoIncrement(TAutoIncrementEh* Value) {
    MemTableData()->SetAutoIncrement(Value);
}

// ---------------------------------------------------------------------------------------------
// Loading and activation

void TCustomMemTableEh::Loaded() {
    FInLoaded = true;
    try {
        TDataSet::Loaded();
        FTreeList->SetActive(FTreeList->LoadingActive());
    } catch (...) {
        FInLoaded = false;
        throw;
    }
    FInLoaded = false;
}

void TCustomMemTableEh::OpenCursor(bool InfoQuery) {
    if (!InfoQuery) {
        TMemTableDataEh* md = MemTableData();
        if (FDataDriver) {
            if (MasterSource() &&
                (FMasterDetailSide == mdsOnProviderEh || FMasterDetailSide == mdsOnSelfAfterProviderEh))
                SetReaderParamsFromMaster();
            FDataSetReader = FDataDriver->GetDataReader();
            if (FDataSetReader) FDataSetReader->FreeNotification(this);
            if (FOptions.Contains(mtoPersistentStructEh))
                md->ResetRecords();
            else if (FieldCount() > 0)
                md->DataStruct()->BuildStructFromFields(Fields());
            else
                FDataDriver->BuildDataStruct(md->DataStruct());
        } else if (md->DataStruct()->Count() == 0) {
            DatabaseError(QStringLiteral("MemTable doesn't have data."), this);
        }
        CreateIndexesFromDefs();
        FActive = true;
    }
    TDataSet::OpenCursor(InfoQuery);
    if (!InfoQuery) {
        UpdateDetailRecList();
        Resync({});
    }
}

void TCustomMemTableEh::InternalOpen() {
    SetBookmarkSize(4);
    FieldDefs()->SetUpdated(false);
    FieldDefs()->Update();
    if (DefaultFields()) CreateFields();
    BindFields(true);
    if (FieldCount() == 0) DatabaseError(QStringLiteral("No fields defined. Cannot create dataset."));
    FRecBufSize = -1;
    for (auto& b : FRecordCache)
        if (b->InUse) b->SetLength(FieldCount());
    InternalFirst();
    UpdateDetailMode(false);
    CompileFilter();
    FExtraFilters->RecreateFilterExpr();
    FRecordsView->UpdateFields();
    FRecordsView->Aggregates()->Reset();
    FRecordsView->SetSortOrder(FSortOrder);
}

void TCustomMemTableEh::InternalClose() {
    FMasterValList->Clear();
    FActive = false;
    if (FFilterExpr) FFilterExpr->ParseExpression(String());
    FAutoInc = 1;
    if (FRecordsView) {
        FRecordsView->Aggregates()->Reset();
        FRecordsView->SetSortOrder(String());
    }
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    FDataSetReader = nullptr;
    FStateInsert = false;
    if (FDataDriver) FDataDriver->ConsumerClosed(this);
}

void TCustomMemTableEh::InternalHandleException() {
    TDataSet::InternalHandleException();
}

void TCustomMemTableEh::InternalInitFieldDefs() {
    FieldDefs()->BeginUpdate();
    try {
        FieldDefs()->Clear();
        MemTableData()->DataStruct()->BuildFieldDefsFromStruct(FieldDefs());
    } catch (...) {
        FieldDefs()->EndUpdate();
        throw;
    }
    FieldDefs()->EndUpdate();
}

void TCustomMemTableEh::CreateFields() {
    TFieldDefList* list = FieldDefList();
    list->Update();
    const int n = list->Count();
    for (int i = 0; i < n; ++i) {
        TFieldDef* d = list->FieldDefs(i);
        const TFieldType t = d->DataType();
        if (t == ftADT || t == ftArray || t == ftReference || t == ftDataSet) continue;
        if (d->Attributes().Contains(faHiddenCol) && !FieldDefs()->HiddenFields()) continue;
        TField* f = d->CreateField(this, nullptr, list->Strings(i));
        if (TMTDataFieldEh* sf = MemTableData()->DataStruct()->FindField(f->FieldName()))
            sf->AssignPropsTo(f);
    }
    const std::vector<String> keys = SplitFieldNames(PSGetKeyFields());
    for (const String& k : keys)
        for (TField* f : *Fields())
            if (f->FieldName().compare(k, Qt::CaseInsensitive) == 0)
                f->SetProviderFlags(f->ProviderFlags() + TProviderFlags{pfInKey});
}

void TCustomMemTableEh::CreateDataSet() {
    CheckInactive();
    if (FieldCount() > 0) FieldDefs()->Clear();
    PrepareFieldDefs();
    TMemTableDataEh* md = MemTableData();
    md->DestroyTable();
    md->DataStruct()->BuildStructFromFieldDefs(FieldDefs());
    SetStructAutoIncField();
    CreateIndexesFromDefs();
    TDataSet::Open();
}

void TCustomMemTableEh::PrepareFieldDefs() {
    if (FieldDefs()->Count() != 0) return;
    FAutoIncrementFieldName.clear();
    for (TField* f : *Fields()) {
        if (f->FieldKind() != fkData && f->FieldKind() != fkInternalCalc) continue;
        if (!FieldTypeSupported(f->DataType()))
            DatabaseErrorFmt(DBConsts::SUnknownFieldType, {f->DisplayName()});
        if (f->AutoGenerateValue() == arAutoInc) FAutoIncrementFieldName = f->FieldName();
    }
    InitFieldDefsFromFields();
}

void TCustomMemTableEh::SetStructAutoIncField() {
    if (FAutoIncrementFieldName.isEmpty()) return;
    if (TMTDataFieldEh* f = MemTableData()->DataStruct()->FindField(FAutoIncrementFieldName))
        f->SetAutoIncrement(true);
}

void TCustomMemTableEh::CreateIndexesFromDefs() {
    TIndexDefs* defs = TDataSet::IndexDefs();
    if (defs->Count() == 0) return;
    TMTIndexesEh* idx = MemTableData()->RecordsList()->Indexes();
    std::vector<TMTIndexEh*> added;
    for (int i = 0; i < defs->Count(); ++i) {
        TIndexDef* d = defs->Items(i);
        if (idx->GetIndexForFields(d->Fields())) continue;
        TMTIndexEh* x = idx->Add();
        x->SetFields(d->Fields());
        x->SetUnical(d->Options().Contains(ixUnique));
        x->SetPrimary(d->Options().Contains(ixPrimary));
        added.push_back(x);
    }
    for (TMTIndexEh* x : added)
        x->SetActive(true);
}

void TCustomMemTableEh::DestroyTable() {
    TDataSet::Close();
    MemTableData()->DestroyTable();
}

void TCustomMemTableEh::CopyStructure(TDataSet* Source) {
    CheckInactive();
    for (int i = FieldCount() - 1; i >= 0; --i)
        Fields()->Fields(i)->Free();
    if (!Source) return;
    Source->FieldDefs()->Update();
    FieldDefs()->Assign(Source->FieldDefs());
    RemoveUnsupportedDefs(FieldDefs());
}

void TCustomMemTableEh::DefChanged(TObject*) {
    FStoreDefs = true;
}

void TCustomMemTableEh::UpdateIndexDefs() {
    TIndexDefs* defs = TDataSet::IndexDefs();
    if (ComponentState().Contains(csDesigning) && defs->Count() > 0) return;
    if (!Active() || defs->Updated()) return;
    FieldDefs()->Update();
    defs->Clear();
    defs->SetUpdated(true);
}

std::unique_ptr<TIndexDefs> TCustomMemTableEh::PSGetIndexDefs(TIndexOptions IndexTypes) {
    return ::GetIndexDefs(TDataSet::IndexDefs(), IndexTypes);
}

// ---------------------------------------------------------------------------------------------
// Streaming of the store

void TCustomMemTableEh::GetChildren(TGetChildProc Proc, TComponent* Root) {
    TDataSet::GetChildren(Proc, Root);
    TMemTableDataEh* md = FInternMemTableData;
    if (FExternalMemData) return;
    if (!FDataDriver && md->DataStruct()->Count() > 0) {
        md->SetStoreStructInStream(true);
        md->SetStoreRecordsInStream(true);
        Proc(md);
    } else if (FDataDriver && FOptions.Contains(mtoPersistentStructEh)) {
        md->SetStoreStructInStream(true);
        md->SetStoreRecordsInStream(false);
        Proc(md);
    }
}

void TCustomMemTableEh::ReadState(TReader* Reader) {
    const TCreateComponentEvent oldCreate = Reader->OnCreateComponent;
    const TAncestorNotFoundEvent oldAncestor = Reader->OnAncestorNotFound;
    Reader->OnCreateComponent = TCreateComponentEvent::Callable(
        [this](TReader*, TClass ComponentClass, TComponent*& Component) {
            if (ComponentClass && ComponentClass->InheritsFrom(&TMemTableDataEh::StaticClassInfo()))
                Component = FInternMemTableData;
        },
        this);
    Reader->OnAncestorNotFound = TAncestorNotFoundEvent::Callable(
        [this](TReader*, const String& Name, TClass, TComponent*& Component) {
            if (Name.compare(QStringLiteral("MemTableData"), Qt::CaseInsensitive) == 0)
                Component = FInternMemTableData;
        },
        this);
    try {
        TDataSet::ReadState(Reader);
    } catch (...) {
        Reader->OnCreateComponent = oldCreate;
        Reader->OnAncestorNotFound = oldAncestor;
        throw;
    }
    Reader->OnCreateComponent = oldCreate;
    Reader->OnAncestorNotFound = oldAncestor;
}

void TCustomMemTableEh::RecordsViewStructChanged(TMemTableDataEh* AMemTableData) {
    if (!Active()) return;
    TDataDriverEh* drv = FDataDriver;
    FDataDriver = nullptr;
    try {
        TDataSet::Close();
        if (AMemTableData && AMemTableData->DataStruct()->Count() > 0) TDataSet::Open();
    } catch (...) {
        FDataDriver = drv;
        throw;
    }
    FDataDriver = drv;
}

void TCustomMemTableEh::Notification(TComponent* AComponent, TOperation Operation) {
    TDataSet::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FDataSetReader) FDataSetReader = nullptr;
    if (FDataDriver && AComponent == FDataDriver) FDataDriver = nullptr;
    // Receivers and a shared store that go away must not stay referenced.
    auto it = std::find(FEventReceivers.begin(), FEventReceivers.end(), AComponent);
    if (it != FEventReceivers.end()) FEventReceivers.erase(it);
    if (FExternalMemData && AComponent == FExternalMemData && !FTornDown) {
        const bool wasActive = Active();
        FExternalMemData = nullptr;
        try {
            if (wasActive) TDataSet::Close();
        } catch (...) {
        }
        try {
            FRecordsView->SetMemTableData(FInternMemTableData);
            if (wasActive && FInternMemTableData->DataStruct()->Count() > 0) TDataSet::Open();
        } catch (...) {
            // Runs while another component is being destroyed: report, do not raise.
            InternalHandleException();
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Properties

void TCustomMemTableEh::SetOptions(TMemTableOptionsEh Value) {
    FOptions = Value;
    TFilterOptions fo = FilterOptions();
    if (Value.Contains(mtoTextFieldsCaseInsensitive))
        fo.Include(foCaseInsensitive);
    else
        fo.Exclude(foCaseInsensitive);
    TDataSet::SetFilterOptions(fo);
    FRecordsView->SetSortOrderCaseInsensitive(Value.Contains(mtoTextFieldsCaseInsensitive));
}

void TCustomMemTableEh::SetReadOnly(bool Value) {
    if (FReadOnly == Value) return;
    FReadOnly = Value;
    DataEvent(deDataSetChange, 0);
}

void TCustomMemTableEh::SetParams(TParams* Value) {
    FParams->Assign(Value);
}

void TCustomMemTableEh::DriverStructChanged() {
    DataEvent(dePropertyChange, 0);
}

TDataSource* TCustomMemTableEh::GetDataSource() {
    return FMasterDataLink ? FMasterDataLink->DataSource() : nullptr;
}

TUpdateStatusSet TCustomMemTableEh::StatusFilter() const {
    return FRecordsView->StatusFilter();
}

void TCustomMemTableEh::SetStatusFilter(TUpdateStatusSet Value) {
    FRecordsView->SetStatusFilter(Value);
}

bool TCustomMemTableEh::CachedUpdates() const {
    return MemTableData()->RecordsList()->CachedUpdates();
}

void TCustomMemTableEh::SetCachedUpdates(bool Value) {
    MemTableData()->RecordsList()->SetCachedUpdates(Value);
}

// ---------------------------------------------------------------------------------------------
// Published properties (component streams and stored layouts carry them)

KVT_ENUM_TYPE(TMasterDetailSideEh, mdsOnSelfEh, mdsOnProviderEh, mdsOnSelfAfterProviderEh)
KVT_ENUM_TYPE(TMemTableOptionEh, mtoPersistentStructEh, mtoTextFieldsCaseInsensitive)

KVT_PUBLISHED(TMemTableTreeListEh) {
    using T = TMemTableTreeListEh;
    P.Prop("Active", &T::Active, &T::SetActive).Default(false);
    P.Prop("KeyFieldName", &T::KeyFieldName, &T::SetKeyFieldName);
    P.Prop("RefParentFieldName", &T::RefParentFieldName, &T::SetRefParentFieldName);
    P.Prop("DefaultNodeExpanded", &T::DefaultNodeExpanded, &T::SetDefaultNodeExpanded).Default(false);
    P.Prop("DefaultNodeHasChildren", &T::DefaultNodeHasChildren, &T::SetDefaultNodeHasChildren)
        .Default(false);
    P.Prop("FullBuildCheck", &T::FullBuildCheck, &T::SetFullBuildCheck).Default(true);
    P.Prop("FilterNodeIfParentVisible", &T::FilterNodeIfParentVisible, &T::SetFilterNodeIfParentVisible)
        .Default(true);
}

KVT_PUBLISHED(TMemTableEh) {
    using T = TMemTableEh;
    P.Prop(
         "Active", [](T* t) { return t->Active(); }, [](T* t, bool v) { t->SetActive(v); })
        .Default(false);
    P.Prop(
         "AggregatesActive", [](T* t) { return t->AggregatesActive(); },
         [](T* t, bool v) { t->SetAggregatesActive(v); })
        .Default(false);
    P.Prop(
         "AutoCalcFields", [](T* t) { return t->AutoCalcFields(); },
         [](T* t, bool v) { t->SetAutoCalcFields(v); })
        .Default(true);
    P.Prop(
         "CachedUpdates", [](T* t) { return t->CachedUpdates(); },
         [](T* t, bool v) { t->SetCachedUpdates(v); })
        .Default(false);
    P.Prop(
        "DetailFields", [](T* t) { return t->DetailFields(); },
        [](T* t, String v) { t->SetDetailFields(v); });
    P.Prop(
        "ExternalMemData", [](T* t) { return t->ExternalMemData(); },
        [](T* t, TCustomMemTableEh* v) { t->SetExternalMemData(v); });
    P.Prop(
        "Filter", [](T* t) { return t->Filter(); }, [](T* t, String v) { t->SetFilter(v); });
    P.Prop(
         "Filtered", [](T* t) { return t->Filtered(); }, [](T* t, bool v) { t->SetFiltered(v); })
        .Default(false);
    P.Prop(
         "FetchAllOnOpen", [](T* t) { return t->FetchAllOnOpen(); },
         [](T* t, bool v) { t->SetFetchAllOnOpen(v); })
        .Default(false);
    P.Prop(
         "MasterDetailSide", [](T* t) { return t->MasterDetailSide(); },
         [](T* t, TMasterDetailSideEh v) { t->SetMasterDetailSide(v); })
        .Default(mdsOnSelfEh);
    P.Prop(
        "MasterFields", [](T* t) { return t->MasterFields(); },
        [](T* t, String v) { t->SetMasterFields(v); });
    P.Prop(
        "MasterSource", [](T* t) { return t->MasterSource(); },
        [](T* t, TDataSource* v) { t->SetMasterSource(v); });
    P.Prop(
        "Options", [](T* t) { return t->Options(); }, [](T* t, TMemTableOptionsEh v) { t->SetOptions(v); });
    P.Prop(
         "ReadOnly", [](T* t) { return t->ReadOnly(); }, [](T* t, bool v) { t->SetReadOnly(v); })
        .Default(false);
    P.Prop(
        "SortOrder", [](T* t) { return t->SortOrder(); }, [](T* t, String v) { t->SetSortOrder(v); });
    P.Prop(
         "StoreDefs", [](T* t) { return t->StoreDefs(); }, [](T* t, bool v) { t->SetStoreDefs(v); })
        .Default(false);
    P.Prop("TreeList", [](T* t) { return t->TreeList(); });
}

KVT_REGISTER_CLASS(TMemTableEh)
