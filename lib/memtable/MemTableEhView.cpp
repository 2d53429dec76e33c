// Master-detail, tree view, instant read of view rows and view events to registered receivers.

#include "lib/memtable/DataDriverEh.h"
#include "lib/memtable/MemTableEh.h"
#include "lib/toolscore/ToolCtrlsEhDataLink.h"

// ---------------------------------------------------------------------------------------------
// Master link

TMasterDataLinkEh::TMasterDataLinkEh(TDataSet* ADataSet) : FDataSet(ADataSet) {}

TMasterDataLinkEh::~TMasterDataLinkEh() {
    OnMasterChange = nullptr;
    OnMasterDisable = nullptr;
    SetDataSource(nullptr);
}

void TMasterDataLinkEh::SetFieldNames(const String& Value) {
    if (FFieldNames == Value) return;
    FFieldNames = Value;
    ActiveChanged();
}

void TMasterDataLinkEh::ActiveChanged() {
    FFields.clear();
    if (Active()) {
        try {
            DataSet()->GetFieldList(FFields, FFieldNames);
        } catch (...) {
            FFields.clear();
            throw;
        }
    }
    if (FDataSet->Active() && !FDataSet->ComponentState().Contains(csDestroying)) {
        if (Active()) {
            if (OnMasterChange) OnMasterChange(this);
        } else if (OnMasterDisable) {
            OnMasterDisable(this);
        }
    }
}

void TMasterDataLinkEh::CheckBrowseMode() {
    if (FDataSet->Active()) FDataSet->CheckBrowseMode();
}

void TMasterDataLinkEh::RecordChanged(TField* Field) {
    if (!DataSet() || DataSet()->State() == dsSetKey || !FDataSet->Active()) return;
    if (Field && std::find(FFields.begin(), FFields.end(), Field) == FFields.end()) return;
    if (OnMasterChange) OnMasterChange(this);
}

// ---------------------------------------------------------------------------------------------
// Master-detail

TDataSource* TCustomMemTableEh::MasterSource() const {
    return FMasterDataLink ? FMasterDataLink->DataSource() : nullptr;
}

void TCustomMemTableEh::SetMasterSource(TDataSource* Value) {
    if (Value && Value->IsLinkedTo(this)) DatabaseError(DBConsts::SCircularDataLink, this);
    FMasterDataLink->SetDataSource(Value);
    UpdateDetailMode(true);
}

String TCustomMemTableEh::MasterFields() const {
    return FMasterDataLink->FieldNames();
}

void TCustomMemTableEh::SetMasterFields(const String& Value) {
    FMasterDataLink->SetFieldNames(Value);
    UpdateDetailMode(true);
}

void TCustomMemTableEh::SetDetailFields(const String& Value) {
    FDetailFields = Value;
    UpdateDetailMode(true);
}

void TCustomMemTableEh::SetMasterDetailSide(TMasterDetailSideEh Value) {
    if (FMasterDetailSide == Value) return;
    FMasterDetailSide = Value;
    UpdateDetailMode(false);
    if (FDetailMode && Active()) {
        if (Value == mdsOnProviderEh) {
            TDataSet::Close();
            TDataSet::Open();
        } else {
            UpdateDetailRecList();
            Resync({});
        }
    }
}

Variant TCustomMemTableEh::MasterCurrentValues() const {
    TDataSet* m = MasterSource() ? MasterSource()->DataSet() : nullptr;
    if (!m || !m->Active() || MasterFields().isEmpty()) return Variant();
    return m->FieldValues(MasterFields());
}

void TCustomMemTableEh::UpdateDetailMode(bool Refresh) {
    bool active = false;
    FDetailFieldList.clear();
    if (FieldCount() > 0) {
        if (!FDetailFields.isEmpty()) GetFieldList(FDetailFieldList, FDetailFields);
        if (FMasterDetailSide == mdsOnProviderEh)
            active = FMasterDataLink->Active();
        else
            active =
                !FDetailFieldList.empty() && FMasterDataLink->Active() && !FMasterDataLink->Fields().empty();
    }
    if (active == FDetailMode) return;
    FDetailMode = active;
    if (active && FMasterDetailSide != mdsOnProviderEh)
        FMasterValues = MasterCurrentValues();
    else if (!active)
        FMasterValues = Variant();
    if (!Refresh || !FActive) return;
    if (FMasterDetailSide == mdsOnSelfEh) {
        UpdateDetailRecList();
        if (Active()) Resync({});
    } else {
        RefreshFromProvider();
    }
}

void TCustomMemTableEh::MasterChanged(TObject*) {
    const bool oldMode = FDetailMode;
    UpdateDetailMode(false);
    if (!FActive) return;
    switch (FMasterDetailSide) {
    case mdsOnSelfEh:
        if (oldMode != FDetailMode || (FDetailMode && !VarEquals(MasterCurrentValues(), FMasterValues))) {
            FMasterValues = FDetailMode ? MasterCurrentValues() : Variant();
            UpdateDetailRecList();
            if (Active()) Resync({});
        }
        break;
    case mdsOnProviderEh:
        RefreshFromProvider();
        break;
    case mdsOnSelfAfterProviderEh:
        if (oldMode != FDetailMode || (FDetailMode && !VarEquals(MasterCurrentValues(), FMasterValues))) {
            FMasterValues = FDetailMode ? MasterCurrentValues() : Variant();
            RefreshFromProvider();
        }
        break;
    }
}

const std::vector<TMemoryRecordEh*>* TCustomMemTableEh::GetPrefilteredList() {
    return FDetailRecListActive ? &FDetailRecList : nullptr;
}

void TCustomMemTableEh::UpdateDetailRecList() {
    FDetailRecListActive = false;
    if (FDetailMode && FMasterDetailSide != mdsOnProviderEh) {
        TMTIndexEh* idx = MemTableData()->RecordsList()->Indexes()->GetIndexForFields(FDetailFields);
        if (idx && idx->Active()) {
            FDetailRecList.clear();
            idx->FillMatchedRecsList(FMasterValues, FDetailRecList);
            // Detail rows keep the store's order whatever order the index lists equal keys in.
            std::sort(FDetailRecList.begin(), FDetailRecList.end(),
                      [](TMemoryRecordEh* a, TMemoryRecordEh* b) { return a->Index() < b->Index(); });
            FDetailRecListActive = true;
        }
    }
    try {
        FRecordsView->RefreshFilteredRecsList();
    } catch (...) {
        FDetailRecListActive = false;
        throw;
    }
    FDetailRecListActive = false;
    FDetailRecList.clear();
    InternalFirst();
}

void TCustomMemTableEh::SetReaderParamsFromMaster() {
    TDataSet* m = MasterSource() ? MasterSource()->DataSet() : nullptr;
    if (!m || !m->Active() || m->State() == dsSetKey || !FDataDriver) return;
    FDataDriver->SetReaderParamsFromCursor(m);
    if (FMasterDetailSide == mdsOnSelfAfterProviderEh)
        FMasterValList->Add(new TSortedVarItemEh(MasterCurrentValues()));
}

void TCustomMemTableEh::RefreshFromProvider() {
    TDataSet* m = MasterSource() ? MasterSource()->DataSet() : nullptr;
    DisableControls();
    try {
        if (m && m->Active() && m->State() != dsSetKey && FDataDriver) {
            if (FMasterDetailSide == mdsOnProviderEh) {
                if (FDataDriver->RefreshReaderParamsFromCursor(m)) {
                    TDataSet::Close();
                    TDataSet::Open();
                }
            } else if (FMasterDetailSide == mdsOnSelfAfterProviderEh) {
                if (!FMasterValList->ValueExists(MasterCurrentValues())) {
                    FetchRecordsFromDriver(-1);
                    FDataDriver->ConsumerClosed(this);
                    SetReaderParamsFromMaster();
                    FDataSetReader = FDataDriver->GetDataReader();
                    if (FDataSetReader) FDataSetReader->FreeNotification(this);
                }
                UpdateDetailRecList();
                if (Active()) Resync({});
            }
        }
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}

// ---------------------------------------------------------------------------------------------
// Tree view

bool TCustomMemTableEh::GetViewAsTreeList() {
    return FRecordsView && FRecordsView->ViewAsTreeList();
}

TMemRecViewEh* TCustomMemTableEh::TreeNode() {
    CheckActive();
    return RecView();
}

int TCustomMemTableEh::TreeNodeLevel() {
    TMemRecViewEh* n = TreeNode();
    return n ? n->NodeLevel() : -1;
}

int TCustomMemTableEh::TreeNodeChildCount() {
    TMemRecViewEh* n = TreeNode();
    return n ? n->VisibleNodesCount() : -1;
}

bool TCustomMemTableEh::TreeNodeExpanded() {
    TMemRecViewEh* n = TreeNode();
    return n && n->NodeExpanded();
}

bool TCustomMemTableEh::TreeNodeHasChildren() {
    TMemRecViewEh* n = TreeNode();
    return n && n->NodeHasChildren();
}

void TCustomMemTableEh::SetTreeNodeHasChildren(bool Value) {
    CheckActive();
    TMTRecBuf* b = nullptr;
    if (!FindActiveRecordBuffer(b, false)) return;
    if (TMemRecViewEh* node = BufRecView(b)) {
        node->SetNodeHasChildren(Value);
        Resync({});
    } else {
        b->NewTreeNodeHasChildren = Value;
    }
}

// The expanding handler (OnTreeNodeExpanding) is asked once, by the record tree's changing hook.
void TCustomMemTableEh::SetTreeNodeExpanded(bool Value) {
    CheckActive();
    TMTRecBuf* b = nullptr;
    if (!FindActiveRecordBuffer(b, false)) return;
    if (TMemRecViewEh* node = BufRecView(b)) {
        node->SetNodeExpanded(Value);
        Resync({});
    } else {
        b->NewTreeNodeExpanded = Value;
    }
}

bool TCustomMemTableEh::GetTreeNodeHasVisibleChildren() {
    CheckActive();
    TMemRecViewEh* n = RecView();
    return n && n->NodeHasVisibleChildren();
}

int TCustomMemTableEh::GetPriorRowTreeNodeLevel() {
    CheckActive();
    if (!GetViewAsTreeList() || RecNo() <= 1) return -1;
    TMemRecViewEh* n = ViewRowNode(RecNo() - 2);
    return n ? n->NodeLevel() : -1;
}

int TCustomMemTableEh::GetNextRowTreeNodeLevel() {
    CheckActive();
    if (!GetViewAsTreeList() || RecNo() >= RecordCount() || RecNo() < 1) return -1;
    TMemRecViewEh* n = ViewRowNode(RecNo());
    return n ? n->NodeLevel() : -1;
}

bool TCustomMemTableEh::GetTreeNodeHasNextVisibleSibling(int Level) {
    CheckActive();
    TMemRecViewEh* n = RecView();
    if (Level <= 0 || !n) return false;
    while (n && n->NodeLevel() > Level)
        n = n->NodeParent();
    if (!n || n->NodeLevel() != Level) return false;
    return FRecordsView->MemoryTreeList()->GetNextVisibleSibling(n) != nullptr;
}

int TCustomMemTableEh::SetRowTreeNodeExpanded(int RowNum, bool Expanded) {
    CheckActive();
    TMemRecViewEh* cur = RecView();
    TMemRecViewEh* node = nullptr;
    InstantReadEnter(RowNum);
    try {
        node = BufRecView(RecBuf(FInstantBuffers.back()));
    } catch (...) {
        InstantReadLeave();
        throw;
    }
    InstantReadLeave();
    if (!node) return -1;
    node->SetNodeExpanded(Expanded);
    TMemoryTreeListEh* tree = FRecordsView->MemoryTreeList();
    tree->BuildVisibleItems();
    int result = -1;
    if (cur && ViewRowOfRec(cur->Rec()) < 0) {
        TMemRecViewEh* p = cur;
        bool walked = false;
        while (p && p->NodeLevel() > 1 && ViewRowOfRec(p->Rec()) < 0) {
            p = p->NodeParent();
            walked = true;
        }
        const int row = p ? ViewRowOfRec(p->Rec()) : -1;
        if (walked && row >= 0) {
            result = row + 1;
            FRecordPos = row;
        }
    }
    if (Active()) {
        Resync({});
        DoAfterScroll();
    }
    return result;
}

bool TCustomMemTableEh::TreeListExpandedChanging(TBaseTreeNodeEh* ANode) {
    auto* node = static_cast<TMemRecViewEh*>(ANode);
    bool allow = true;
    if (!node->NodeExpanded() && OnRecordsViewTreeNodeExpanding)
        OnRecordsViewTreeNodeExpanding(this, node, allow);
    if (FActive && Active() && !node->NodeExpanded() && OnTreeNodeExpanding) {
        TMTRecBuf* b = RecBuf(ActiveBuffer());
        if (b && b->RecView == node && FInstantBuffers.empty()) {
            OnTreeNodeExpanding(this, b->RecordNumber + 1, allow);
        } else {
            const int row = ViewRowOfRec(node->Rec());
            InstantReadEnter(node, row);
            try {
                OnTreeNodeExpanding(this, row + 1, allow);
            } catch (...) {
                InstantReadLeave();
                throw;
            }
            InstantReadLeave();
        }
    }
    return allow;
}

void TCustomMemTableEh::TreeListExpandedChanged(TBaseTreeNodeEh*) {
    if (!FActive || !Active()) return;
    TMemoryTreeListEh* tree = FRecordsView->MemoryTreeList();
    if (ControlsDisabled()) {
        tree->VisibleItemsBecomeObsolete();
        return;
    }
    tree->BuildVisibleItems();
    Resync({});
    DoAfterScroll();
}

// ---------------------------------------------------------------------------------------------
// Instant read

// Readers ask while the view is changing under a buffer that names a row no longer there; the
// answer then stays the last known row instead of an error in the middle of painting.
int TCustomMemTableEh::CurInstantRow() {
    try {
        UpdateCursorPos();
    } catch (EDatabaseError&) {
        CursorPosChanged();
    }
    return FInstantReadCurRowNum;
}

// An empty view (and no row being inserted) has no current row.
int TCustomMemTableEh::GetInstantReadCurRow() {
    const int r = CurInstantRow();
    if (State() != dsInsert && ViewRowCount() == 0) return -1;
    return r;
}

void TCustomMemTableEh::InstantReadEnter(int RowNum) {
    const TRecordBuffer h = AllocRecordBuffer();
    FInstantBuffers.push_back(h);
    FInstantReadMode = true;
    TMTRecBuf* b = RecBuf(h);
    b->Clear();
    b->RecordNumber = -1;
    b->MemRec = nullptr;
    b->RecView = nullptr;
    b->UseMemRec = false;
    const TDataSetState st = State();
    if ((st == dsEdit || st == dsInsert) && RowNum == FInstantReadCurRowNum) {
        if (TMTRecBuf* a = RecBuf(ActiveBuffer())) CopyRecBuf(a, b);
        if (st == dsInsert) {
            b->RecordNumber = -1;
            b->RecView = nullptr;
            b->MemRec = nullptr;
        }
        return;
    }
    if (ViewRowCount() == 0) return;
    if (st == dsInsert && RowNum > FInstantReadCurRowNum) --RowNum;
    // A row outside the view reads as an empty row.
    if (RowNum < 0 || RowNum >= ViewRowCount()) return;
    FillRecBufFromRecord(FRecordsView->Rec(RowNum), RowNum, b);
    b->RecView = BufferRowNode(RowNum);
    b->RecordNumber = RowNum;
    EnsureLookupBuffer(b->RecView);
}

void TCustomMemTableEh::InstantReadEnter(TMemRecViewEh* ARecView, int RowNum) {
    const TRecordBuffer h = AllocRecordBuffer();
    FInstantBuffers.push_back(h);
    FInstantReadMode = true;
    TMTRecBuf* b = RecBuf(h);
    FillRecBufFromRecord(ARecView ? ARecView->Rec() : nullptr, RowNum, b);
    b->RecView = ARecView;
    b->RecordNumber = RowNum;
    EnsureLookupBuffer(ARecView);
}

void TCustomMemTableEh::InstantReadEnter(TMemoryRecordEh* MemRec, int RowNum) {
    const TRecordBuffer h = AllocRecordBuffer();
    FInstantBuffers.push_back(h);
    FInstantReadMode = true;
    TMTRecBuf* b = RecBuf(h);
    FillRecBufFromRecord(MemRec, RowNum, b);
    b->RecView = nullptr;
    b->RecordNumber = RowNum;
}

void TCustomMemTableEh::InstantReadLeave() {
    if (FInstantBuffers.empty())
        throw Exception(QStringLiteral("TCustomMemTableEh not in instant read mode."));
    TRecordBuffer h = FInstantBuffers.back();
    FInstantBuffers.pop_back();
    FreeRecordBuffer(h);
    FInstantReadMode = !FInstantBuffers.empty();
}

int TCustomMemTableEh::InstantReadViewRow() {
    if (!FInstantBuffers.empty()) return RecBuf(FInstantBuffers.back())->RecordNumber;
    return GetInstantReadCurRow();
}

int TCustomMemTableEh::InstantReadRowCount() {
    CurInstantRow();
    return ViewRowCount() + (State() == dsInsert ? 1 : 0);
}

int TCustomMemTableEh::InstantReadIndexOfBookmark(const TBookmark& Bookmark) {
    if (Bookmark.empty()) return -1;
    return BookmarkToRecNo(Bookmark) - 1;
}

// ---------------------------------------------------------------------------------------------
// View events

int TCustomMemTableEh::InstantRowOfViewRow(int Row) const {
    return FStateInsert && Row >= FInstantReadCurRowNum ? Row + 1 : Row;
}

void TCustomMemTableEh::RecordsViewDataEvent(TMemoryRecordEh* MemRec, int Index,
                                             TRecordsListNotification Action) {
    if (!FActive) return;
    // A changed record keeps its row node; its calculated values follow the new values.
    if (Action == rlnRecChangedEh && HasCalcFields() && MemRec) {
        if (TMemRecViewEh* node = ViewRowNode(Index); node && node->Rec() == MemRec)
            RecordsViewCalcLookupBuffer(MemRec, node);
        if (FRecordsView->ViewAsTreeList())
            if (TMemRecViewEh* node = FRecordsView->MemoryTreeList()->NodeOfRecord(MemRec))
                RecordsViewCalcLookupBuffer(MemRec, node);
    }
    switch (Action) {
    case rlnRecAddedEh:
        NotifyViewDataEvent(InstantRowOfViewRow(Index), mtRowInsertedEh, -1);
        break;
    case rlnRecChangedEh:
        NotifyViewDataEvent(InstantRowOfViewRow(Index), mtRowChangedEh, -1);
        break;
    case rlnRecDeletedEh:
        NotifyViewDataEvent(InstantRowOfViewRow(Index), mtRowDeletedEh, -1);
        break;
    case rlnListChangedEh:
        NotifyViewDataEvent(-1, mtViewDataChangedEh, -1);
        break;
    default:
        break;
    }
    // A record being edited keeps its buffer: the resync waits for the post or cancel.
    if (State() == dsEdit || State() == dsInsert)
        FRecordsViewUpdated = true;
    else if (Active())
        Resync({});
}

void TCustomMemTableEh::RecordsViewRecordMoved(TMemoryRecordEh*, int OldIndex, int NewIndex) {
    if (!FActive || ControlsDisabled()) return;
    NotifyViewDataEvent(InstantRowOfViewRow(NewIndex), mtRowMovedEh, InstantRowOfViewRow(OldIndex));
}

void TCustomMemTableEh::NotifyViewDataEvent(int RowNum, TMTViewEventTypeEh Event, int OldRowNum) {
    if (!FActive) return;
    if (ControlsDisabled()) {
        if (FMTViewDataEventInactiveCount == 0) {
            FInactiveEventRowNum = RowNum;
            FInactiveEvent = Event;
            FInactiveEventOldRowNum = OldRowNum;
        }
        if (FMTViewDataEventInactiveCount < 2) ++FMTViewDataEventInactiveCount;
        return;
    }
    for (TComponent* r : std::vector<TComponent*>(FEventReceivers))
        if (auto* rcv = dynamic_cast<IMTEventReceiverEh*>(r)) rcv->MTViewDataEvent(RowNum, Event, OldRowNum);
    FMTViewDataEventInactiveCount = 0;
}

void TCustomMemTableEh::MTEnableControls(bool ForceUpdateState) {
    if (ControlsDisabled()) {
        NotifyViewDataEvent(-1, mtViewDataChangedEh, -1);
        if (ForceUpdateState) DataEvent(deDisabledStateChange, 1);
    }
    EnableControls();
}

void TCustomMemTableEh::RegisterEventReceiver(TComponent* Receiver) {
    if (!Receiver ||
        std::find(FEventReceivers.begin(), FEventReceivers.end(), Receiver) != FEventReceivers.end())
        return;
    FEventReceivers.push_back(Receiver);
    Receiver->FreeNotification(this);
}

void TCustomMemTableEh::UnregisterEventReceiver(TComponent* Receiver) {
    auto it = std::find(FEventReceivers.begin(), FEventReceivers.end(), Receiver);
    if (it == FEventReceivers.end()) return;
    FEventReceivers.erase(it);
    Receiver->RemoveFreeNotification(this);
}

void TCustomMemTableEh::DataEvent(TDataEvent Event, NativeInt Info) {
    if (Event == deLayoutChange && FActive && FRecordsView) FRecordsView->UpdateAllLookupBuffer();
    if (Event == deFieldListChange) {
        if (Active() && !ComponentState().Contains(csLoading)) {
            FRecordsView->Aggregates()->Reset();
            Resync({});
        }
        FCalcFieldIndexes.assign(size_t(FieldCount()), -1);
        int n = 0;
        for (int i = 0; i < FieldCount(); ++i) {
            const TFieldKind k = Fields()->Fields(i)->FieldKind();
            if (k == fkCalculated || k == fkLookup) FCalcFieldIndexes[size_t(i)] = n++;
        }
    }
    if (Event == deUpdateState) {
        if (State() == dsInsert && !FStateInsert) {
            FStateInsert = true;
            NotifyViewDataEvent(GetInstantReadCurRow(), mtRowInsertedEh, -1);
        } else if (State() == dsBrowse && FStateInsert) {
            FStateInsert = false;
            NotifyViewDataEvent(CurInstantRow(), mtRowDeletedEh, -1);
        } else if (State() == dsInactive) {
            FStateInsert = false;
        }
    }
    TDataSet::DataEvent(Event, Info);
    const bool disabled = ControlsDisabled();
    if (!disabled && FOldControlsDisabled && FMTViewDataEventInactiveCount > 0) {
        const int count = FMTViewDataEventInactiveCount;
        FMTViewDataEventInactiveCount = 0;
        if (count == 1)
            NotifyViewDataEvent(FInactiveEventRowNum, FInactiveEvent, FInactiveEventOldRowNum);
        else
            NotifyViewDataEvent(-1, mtViewDataChangedEh, -1);
    }
    FOldControlsDisabled = disabled;
    const bool active = Active();
    if (active && !FOldActive) {
        FOldActive = true;
        // Aggregates are compiled against an open table.
        if (AggregatesActive() && AggFields()->Count() > 0) FRecordsView->Aggregates()->Reset();
        NotifyViewDataEvent(-1, mtViewDataChangedEh, -1);
    }
    FOldActive = active;
}

void TCustomMemTableEh::GetFieldValueList(const String& FieldName,
                                          std::shared_ptr<IMemTableDataFieldValueListEh>& List) {
    TField* f = FindField(FieldName);
    if (!f) return;
    if (f->Lookup()) {
        // A lookup field has no values in this table's store: list those of its lookup data set.
        auto lookup = std::make_shared<TDatasetFieldValueListEh>();
        lookup->SetDataSet(f->LookupDataSet());
        lookup->SetFieldName(f->LookupResultField());
        List = lookup;
        return;
    }
    auto list = std::make_shared<TMemTableDataFieldValueListEh>(this);
    list->SetDataObject(MemTableData());
    list->SetFieldName(FieldName);
    List = list;
}
