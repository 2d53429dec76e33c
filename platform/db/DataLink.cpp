// Data links, data sources, the master link of detail data sets, and the generic blob stream.

#include "platform/db/DB.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"

using namespace DBConsts;

// ---------------------------------------------------------------------------------------------
// TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    FActive = false;
    FEditing = false;
    FDataSourceFixed = false;
    if (FDataSource) {
        // Leave without calling back into a half-destroyed descendant.
        TDataSource* src = FDataSource;
        FDataSource = nullptr;
        std::erase(src->FDataLinks, this);
        if (src->DataSet()) src->DataSet()->UpdateBufferCount();
    }
}

TDataSet* TDataLink::DataSet() const {
    return FDataSource ? FDataSource->DataSet() : nullptr;
}

void TDataLink::SetDataSource(TDataSource* ADataSource) {
    if (FDataSource == ADataSource) return;
    if (FDataSourceFixed) DatabaseError(SDataSourceChange, FDataSource);
    if (ADataSource) {
        // A detail data set may not be its own master, directly or through other masters.
        if (TDataSet* detail = GetDetailDataSet()) {
            int guard = 0;
            for (TDataSet* ds = ADataSource->DataSet(); ds && guard < 1000; ++guard) {
                if (ds == detail) DatabaseError(SCircularDataLink, detail);
                TDataSource* src = ds->GetDataSource();
                ds = src ? src->DataSet() : nullptr;
            }
        }
    }
    if (FDataSource) FDataSource->RemoveDataLink(this);
    if (ADataSource) ADataSource->AddDataLink(this);
}

void TDataLink::SetReadOnly(bool Value) {
    if (FReadOnly != Value) {
        FReadOnly = Value;
        UpdateState();
    }
}

void TDataLink::SetBufferCount(int Value) {
    if (FBufferCount == Value) return;
    FBufferCount = Value;
    if (FActive) {
        UpdateRange();
        DataSet()->UpdateBufferCount();
        UpdateRange();
    }
}

void TDataLink::UpdateRange() {
    TDataSet* ds = DataSet();
    int lo = ds->FActiveRecord - FBufferCount + 1;
    if (lo < 0) lo = 0;
    int hi = ds->FBufferCount - FBufferCount;
    if (hi < 0) hi = 0;
    if (hi > ds->FActiveRecord) hi = ds->FActiveRecord;
    if (FFirstRecord < lo) FFirstRecord = lo;
    if (FFirstRecord > hi) FFirstRecord = hi;
    if (FFirstRecord < 0) FFirstRecord = 0;
}

int TDataLink::ActiveRecord() const {
    if (!FDataSource || !DataSet()) return 0;
    if (FDataSource->State() == dsSetKey) return 0;
    return DataSet()->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(int Value) {
    if (FDataSource && DataSet() && FDataSource->State() != dsSetKey)
        DataSet()->FActiveRecord = Value + FFirstRecord;
}

int TDataLink::RecordCount() const {
    if (!FDataSource || !DataSet()) return 0;
    if (FDataSource->State() == dsSetKey) return 1;
    return std::min(DataSet()->FRecordCount, FBufferCount);
}

bool TDataLink::BOF() const {
    return DataSet() ? DataSet()->Bof() : true;
}
bool TDataLink::Eof() const {
    return DataSet() ? DataSet()->Eof() : true;
}

bool TDataLink::Edit() {
    if (!FReadOnly && FDataSource) FDataSource->Edit();
    return FEditing;
}

int TDataLink::MoveBy(int Distance) {
    return DataSet()->MoveBy(Distance);
}

void TDataLink::UpdateRecord() {
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

bool TDataLink::ExecuteAction(TBasicAction* Action) {
    if (FDataSource && Action->HandlesTarget(FDataSource)) {
        Action->ExecuteTarget(FDataSource);
        return true;
    }
    return false;
}

bool TDataLink::UpdateAction(TBasicAction* Action) {
    if (FDataSource && Action->HandlesTarget(FDataSource)) {
        Action->UpdateTarget(FDataSource);
        return true;
    }
    return false;
}

void TDataLink::DataSetScrolled(int) {
    DataSetChanged();
}
void TDataLink::FocusControl(TField**) {}
void TDataLink::RecordChanged(TField*) {}

void TDataLink::SetActive(bool Value) {
    if (FActive == Value) return;
    FActive = Value;
    if (Value)
        UpdateRange();
    else
        FFirstRecord = 0;
    ActiveChanged();
}

void TDataLink::SetEditing(bool Value) {
    if (FEditing == Value) return;
    FEditing = Value;
    EditingChanged();
}

void TDataLink::UpdateState() {
    SetActive(FDataSource && FDataSource->State() != dsInactive);
    SetEditing(FDataSource && dsEditModes.Contains(FDataSource->State()) && !FReadOnly);
}

void TDataLink::DataEvent(TDataEvent Event, NativeInt Info) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!FActive) return;
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating) RecordChanged(reinterpret_cast<TField*>(Info));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        int count = 0;
        if (FDataSource->State() != dsSetKey) {
            const int active = DataSet()->FActiveRecord;
            const int first = FFirstRecord + int(Info);
            const int last = first + FBufferCount - 1;
            if (active > last)
                count = active - last;
            else if (active < first)
                count = active - first;
            FFirstRecord = first + count;
        }
        if (Event == deDataSetChange)
            DataSetChanged();
        else if (Event == deDataSetScroll)
            DataSetScrolled(count);
        else
            LayoutChanged();
        break;
    }
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl:
        FocusControl(reinterpret_cast<TField**>(Info));
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// TMasterDataLink

TMasterDataLink::TMasterDataLink(TDataSet* ADataSet) : FDataSet(ADataSet) {}

TMasterDataLink::~TMasterDataLink() = default;

void TMasterDataLink::SetFieldNames(const String& Value) {
    if (FFieldNames != Value) {
        FFieldNames = Value;
        ActiveChanged();
    }
}

void TMasterDataLink::ActiveChanged() {
    FFields.clear();
    if (Active()) {
        try {
            DataSet()->GetFieldList(FFields, FFieldNames);
        } catch (...) {
            FFields.clear();
            if (FDataSet->ComponentState().Contains(csDesigning)) return;
            throw;
        }
    }
    if (FDataSet->Active() && !FDataSet->ComponentState().Contains(csDestroying)) {
        if (Active() && !FFields.empty()) {
            if (OnMasterChange) OnMasterChange(this);
        } else if (OnMasterDisable) {
            OnMasterDisable(this);
        }
    }
}

void TMasterDataLink::CheckBrowseMode() {
    if (FDataSet->Active()) FDataSet->CheckBrowseMode();
}

void TMasterDataLink::LayoutChanged() {
    ActiveChanged();
}

void TMasterDataLink::RecordChanged(TField* Field) {
    if (DataSource()->State() != dsSetKey && FDataSet->Active() && !FFields.empty() &&
        (!Field || std::find(FFields.begin(), FFields.end(), Field) != FFields.end()) && OnMasterChange)
        OnMasterChange(this);
}

// ---------------------------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    for (TDataLink* l : std::vector<TDataLink*>(FDataLinks)) {
        l->FDataSource = nullptr;
        l->FActive = false;
        l->FEditing = false;
    }
    FDataLinks.clear();
    if (FDataSet) std::erase(FDataSet->FDataSources, this), FDataSet = nullptr;
}

void TDataSource::BeforeDestruction() {
    Destroying();
    for (TDataLink* l : std::vector<TDataLink*>(FDataLinks)) {
        l->FDataSourceFixed = false;
        l->SetDataSource(nullptr);
    }
    SetDataSet(nullptr);
    TComponent::BeforeDestruction();
}

bool TDataSource::IsLinkedTo(TDataSet* ADataSet) const {
    TDataSet* ds = ADataSet;
    while (ds) {
        TDataSource* src = ds->GetDataSource();
        if (!src) break;
        if (src == this) return true;
        ds = src->DataSet();
    }
    return false;
}

void TDataSource::SetDataSet(TDataSet* ADataSet) {
    if (FDataSet == ADataSet) return;
    if (IsLinkedTo(ADataSet)) DatabaseError(SCircularDataLink, this);
    if (FDataSet) {
        FDataSet->RemoveFreeNotification(this);
        FDataSet->RemoveDataSource(this);
    }
    if (ADataSet) {
        ADataSet->FreeNotification(this);
        ADataSet->AddDataSource(this);
    }
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet) SetDataSet(nullptr);
}

void TDataSource::SetEnabled(bool Value) {
    FEnabled = Value;
    UpdateState();
}

void TDataSource::Edit() {
    if (FAutoEdit && FState == dsBrowse) FDataSet->Edit();
}

void TDataSource::AddDataLink(TDataLink* DataLink) {
    FDataLinks.push_back(DataLink);
    DataLink->FDataSource = this;
    if (FDataSet) FDataSet->UpdateBufferCount();
    DataLink->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* DataLink) {
    DataLink->FDataSource = nullptr;
    std::erase(FDataLinks, DataLink);
    DataLink->UpdateState();
    if (FDataSet) FDataSet->UpdateBufferCount();
}

void TDataSource::NotifyLinkTypes(TDataEvent Event, NativeInt Info, bool LinkType) {
    for (int i = int(FDataLinks.size()) - 1; i >= 0; --i) {
        if (size_t(i) >= FDataLinks.size()) continue;
        TDataLink* l = FDataLinks[size_t(i)];
        if (l->FVisualControl == LinkType) l->DataEvent(Event, Info);
    }
}

void TDataSource::NotifyDataLinks(TDataEvent Event, NativeInt Info) {
    // Non-visual links (details) hear of a change before the controls do.
    NotifyLinkTypes(Event, Info, false);
    NotifyLinkTypes(Event, Info, true);
}

void TDataSource::DataEvent(TDataEvent Event, NativeInt Info) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (FState == dsInactive) return;
    NotifyDataLinks(Event, Info);
    switch (Event) {
    case deFieldChange:
        if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(Info));
        break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange) OnDataChange(this, nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData) OnUpdateData(this);
        break;
    default:
        break;
    }
}

void TDataSource::UpdateState() {
    SetState(FEnabled && FDataSet ? FDataSet->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState Value) {
    if (FState == Value) return;
    const TDataSetState prior = FState;
    FState = Value;
    NotifyDataLinks(deUpdateState, 0);
    if (!ComponentState().Contains(csDestroying)) {
        if (OnStateChange) OnStateChange(this);
        if (prior == dsInactive && OnDataChange) OnDataChange(this, nullptr);
    }
}

// ---------------------------------------------------------------------------------------------
// TDataSetBlobStream

TDataSetBlobStream::TDataSetBlobStream(TBlobField* Field, TBlobStreamMode Mode) : FField(Field), FMode(Mode) {
    if (Mode != bmRead) {
        TDataSet* ds = Field->DataSet();
        if (!ds || !dsWriteModes.Contains(ds->State())) DatabaseError(SNotEditing, ds);
        if (Field->ReadOnly()) DatabaseErrorFmt(SFieldReadOnly, {Field->DisplayName()});
    }
    if (Mode != bmWrite) {
        const TBytes b = Field->AsBytes();
        if (!b.empty()) TMemoryStream::Write(b.data(), Integer(b.size()));
        TMemoryStream::Seek(0, soBeginning);
    }
}

TDataSetBlobStream::~TDataSetBlobStream() {
    try {
        Commit();
    } catch (...) {
    }
}

Integer TDataSetBlobStream::Write(const void* Buffer, Integer Count) {
    if (FMode == bmRead) throw EStreamError(QStringLiteral("Stream write error"));
    FModified = true;
    return TMemoryStream::Write(Buffer, Count);
}

void TDataSetBlobStream::SetSize(Int64 NewSize) {
    if (FMode == bmRead) throw EStreamError(QStringLiteral("Stream write error"));
    FModified = true;
    TMemoryStream::SetSize(NewSize);
}

void TDataSetBlobStream::Commit() {
    if (!FModified) return;
    FModified = false;
    const auto* p = static_cast<const uint8_t*>(Memory());
    FField->SetAsBytes(TBytes(p, p + Size()));
}

KVT_PUBLISHED(TDataSource) {
    P.Prop("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(true);
    P.Prop("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    P.Prop("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
}
KVT_REGISTER_CLASS(TDataSource)
