// The sum list producer. Between full recalculations each handler applies one record's change:
// the contribution a record had before an edit is remembered in TDBSum::Value (and VarValue) by
// the AfterEdit / AfterInsert handlers and exchanged for the new one after the post.

#include "lib/dbgrid/DBSumLst.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/toolscore/PlatformEh.h"
#include "platform/classes/TypInfo.h"

#include <exception>
#include <vector>

namespace {

// Runs the final block of a recalculation on every path; a failure inside the block is dropped
// only while another exception is already on its way.
template <class F> class FinalBlock {
public:
    explicit FinalBlock(F f) : FFn(std::move(f)), FExceptions(std::uncaught_exceptions()) {}
    ~FinalBlock() noexcept(false) {
        if (std::uncaught_exceptions() > FExceptions) {
            try {
                FFn();
            } catch (...) {
            }
        } else {
            FFn();
        }
    }
    FinalBlock(const FinalBlock&) = delete;
    FinalBlock& operator=(const FinalBlock&) = delete;

private:
    F FFn;
    int FExceptions;
};

bool Tracked(const TDBSum* s) {
    return s->GroupOperation() == goCount || !s->FieldName().isEmpty();
}

Currency FieldCurrency(TField* f) {
    return f->IsNull() ? Currency() : Currency(f->AsFloat());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TDBSum

TDBSum::TDBSum(TCollection* Collection) : TCollectionItem(Collection) {}

void TDBSum::SetFieldName(const String& Value) {
    if (Value == FFieldName) return;
    FFieldName = Value;
    Changed(false);
}

void TDBSum::SetGroupOperation(TGroupOperation Value) {
    if (Value == FGroupOperation) return;
    FGroupOperation = Value;
    Changed(false);
}

void TDBSum::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TDBSum*>(Source)) {
        SetGroupOperation(s->FGroupOperation);
        SetFieldName(s->FFieldName);
        Value = s->Value;
        SumValue = s->SumValue;
        return;
    }
    TCollectionItem::Assign(Source);
}

// ---------------------------------------------------------------------------------------------
// TDBSumCollection

TDBSumCollection::TDBSumCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
    : TCollection(ItemClass), FOwner(AOwner) {}

TDBSum* TDBSumCollection::Items(int Index) const {
    return static_cast<TDBSum*>(TCollection::Items(Index));
}

TDBSum* TDBSumCollection::GetSumByOpAndFName(TGroupOperation AGroupOperation,
                                             const String& AFieldName) const {
    for (int i = 0; i < Count(); ++i) {
        TDBSum* s = Items(i);
        if (s->GroupOperation() == AGroupOperation &&
            s->FieldName().compare(AFieldName, Qt::CaseInsensitive) == 0)
            return s;
    }
    return nullptr;
}

void TDBSumCollection::Update(TCollectionItem* Item) {
    TCollection::Update(Item);
    auto* producer = dynamic_cast<TDBSumListProducer*>(FOwner);
    if (!producer) return;
    // An item still under construction is not a TDBSum yet; its setters report it once it is.
    for (int i = 0; i < Count(); ++i)
        if (!dynamic_cast<TDBSum*>(TCollection::Items(i))) return;
    TComponent* owner = producer->FOwner;
    if (owner &&
        (owner->ComponentState().Contains(csLoading) || owner->ComponentState().Contains(csDestroying)))
        return;
    producer->RecalcAll();
}

// ---------------------------------------------------------------------------------------------
// TSLBookmarkListEh

TDataSet* TSLBookmarkListEh::ReadDataSet() {
    return FSumListProducer->DataSet();
}

// ---------------------------------------------------------------------------------------------
// TDBSumListProducer

TDBSumListProducer::TDBSumListProducer(TComponent* AOwner)
    : FOwner(AOwner),
      FSumCollection(std::make_unique<TDBSumCollection>(this, CollectionItemClassOf<TDBSum>())),
      FVirtualRecList(std::make_unique<TSLBookmarkListEh>(this)) {
    FActive = true;
}

TDBSumListProducer::~TDBSumListProducer() {
    try {
        Deactivate(false);
    } catch (...) {
    }
}

bool TDBSumListProducer::OwnerLoading() const {
    return FOwner && FOwner->ComponentState().Contains(csLoading);
}

bool TDBSumListProducer::OwnerDesigning() const {
    return FOwner && FOwner->ComponentState().Contains(csDesigning);
}

void TDBSumListProducer::FireSumListChanged() {
    if (SumListChanged) SumListChanged(this);
}

void TDBSumListProducer::SetActive(bool Value) {
    if (Value == FActive) return;
    if (Value)
        Activate(true);
    else
        Deactivate(true);
}

void TDBSumListProducer::Activate(bool ARecalcAll) {
    FActive = true;
    if (OwnerLoading() || (OwnerDesigning() && !FDesignTimeWork)) return;
    SetDataSetEvents();
    if (ARecalcAll) RecalcAll();
}

void TDBSumListProducer::Deactivate(bool AClearSumValues) {
    FActive = false;
    if (OwnerLoading() || (OwnerDesigning() && !FDesignTimeWork)) return;
    ResetDataSetEvents();
    if (AClearSumValues && !FDataSetChanging) ClearSumValues();
}

void TDBSumListProducer::ActivateWhenReady() {
    if (FDataSet && FActive) Activate(true);
}

void TDBSumListProducer::SetDataSet(TDataSet* Value) {
    if (Value && Value == FDataSet && Value->ComponentState().Contains(csDestroying)) {
        ResetDataSetEvents();
        FDataSet = nullptr;
        return;
    }
    if (Value == FDataSet) return;
    if (OwnerLoading() || (OwnerDesigning() && !FDesignTimeWork)) {
        FDataSet = Value;
        return;
    }
    const bool wasActive = FActive;
    {
        FDataSetChanging = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{FDataSetChanging};
        Deactivate(true);
        FDataSet = Value;
    }
    if (wasActive)
        Activate(true);
    else
        ClearSumValues();
}

void TDBSumListProducer::SetExternalRecalc(bool Value) {
    if (Value == FExternalRecalc) return;
    FExternalRecalc = Value;
    RecalcAll();
}

void TDBSumListProducer::SetVirtualRecords(bool Value) {
    if (Value == FVirtualRecords) return;
    FVirtualRecords = Value;
    if (Value) RecalcAll();
}

void TDBSumListProducer::SetSumCollection(TDBSumCollection* Value) {
    FSumCollection->Assign(Value);
}

void TDBSumListProducer::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TDBSumListProducer*>(Source)) {
        SetActive(s->Active());
        SetDataSet(s->DataSet());
        SetExternalRecalc(s->ExternalRecalc());
        SetSumCollection(s->SumCollection());
        SumListChanged = s->SumListChanged;
        SetVirtualRecords(s->VirtualRecords());
        OnAfterRecalcAll = s->OnAfterRecalcAll;
        OnRecalcAll = s->OnRecalcAll;
        return;
    }
    TPersistent::Assign(Source);
}

void TDBSumListProducer::ClearSumValues() {
    for (int i = 0; i < FSumCollection->Count(); ++i) {
        TDBSum* s = FSumCollection->Items(i);
        s->SumValue = Currency();
        s->Value = Currency();
        s->FSumValueAsSum = Currency();
        s->FNotNullRecordCount = 0;
    }
    FireSumListChanged();
}

void TDBSumListProducer::RecomputeAverage(TDBSum* s) {
    s->SumValue =
        s->FNotNullRecordCount == 0 ? Currency() : s->FSumValueAsSum / Currency(s->FNotNullRecordCount);
}

// --- hooking -------------------------------------------------------------------------------

void TDBSumListProducer::SetDataSetEvents() {
    if (!FDataSet || FEventsOverloaded) return;
    FMasterPropInfo = GetPropInfo(FDataSet, QStringLiteral("MasterSource"));
    FMasterDataset = FMasterPropInfo ? DataSetFromSourceProperty(FDataSet, FMasterPropInfo) : nullptr;
    using P = TDBSumListProducer;
    OldAfterEdit = FDataSet->AfterEdit;
    OldAfterInsert = FDataSet->AfterInsert;
    OldAfterOpen = FDataSet->AfterOpen;
    OldAfterPost = FDataSet->AfterPost;
    OldAfterScroll = FDataSet->AfterScroll;
    OldBeforeDelete = FDataSet->BeforeDelete;
    OldAfterClose = FDataSet->AfterClose;
    OldAfterCancel = FDataSet->AfterCancel;
    FDataSet->AfterEdit = TDataSetNotifyEvent(this, &P::HandleAfterEdit);
    FDataSet->AfterInsert = TDataSetNotifyEvent(this, &P::HandleAfterInsert);
    FDataSet->AfterOpen = TDataSetNotifyEvent(this, &P::HandleAfterOpen);
    FDataSet->AfterPost = TDataSetNotifyEvent(this, &P::HandleAfterPost);
    FDataSet->AfterScroll = TDataSetNotifyEvent(this, &P::HandleAfterScroll);
    FDataSet->BeforeDelete = TDataSetNotifyEvent(this, &P::HandleBeforeDelete);
    FDataSet->AfterClose = TDataSetNotifyEvent(this, &P::HandleAfterClose);
    FDataSet->AfterCancel = TDataSetNotifyEvent(this, &P::HandleAfterCancel);
    if (FMasterDataset) {
        OldMasterAfterScroll = FMasterDataset->AfterScroll;
        FMasterDataset->AfterScroll = TDataSetNotifyEvent(this, &P::HandleMasterAfterScroll);
    }
    FEventsOverloaded = true;
}

void TDBSumListProducer::ResetDataSetEvents() {
    if (!FDataSet || !FEventsOverloaded) return;
    FDataSet->AfterEdit = OldAfterEdit;
    FDataSet->AfterInsert = OldAfterInsert;
    FDataSet->AfterOpen = OldAfterOpen;
    FDataSet->AfterPost = OldAfterPost;
    FDataSet->AfterScroll = OldAfterScroll;
    FDataSet->BeforeDelete = OldBeforeDelete;
    FDataSet->AfterClose = OldAfterClose;
    FDataSet->AfterCancel = OldAfterCancel;
    if (FMasterDataset) FMasterDataset->AfterScroll = OldMasterAfterScroll;
    OldAfterEdit = OldAfterInsert = OldAfterOpen = OldAfterPost = OldAfterScroll = OldBeforeDelete =
        OldAfterClose = OldAfterCancel = OldMasterAfterScroll = TDataSetNotifyEvent();
    FMasterDataset = nullptr;
    FMasterPropInfo = nullptr;
    FEventsOverloaded = false;
    FVirtualRecList->Clear();
}

// --- full recalculation --------------------------------------------------------------------

void TDBSumListProducer::RecalcAll() {
    if (!OwnerLoading() && FActive && FDataSet && FDataSet->Active() && Supports<IMemTableEh>(FDataSet)) {
        bool anyCalculated = false;
        for (int i = 0; i < FSumCollection->Count(); ++i) {
            TField* f = FDataSet->FindField(FSumCollection->Items(i)->FieldName());
            if (f && f->Calculated()) anyCalculated = true;
        }
        if (!anyCalculated) {
            RecalcAllForIntMemTable();
            return;
        }
    }
    if (!((FDesignTimeWork || !OwnerDesigning()) && !OwnerLoading() && FActive && FDataSet &&
          FDataSet->Active() && FEventsOverloaded))
        return;
    TDataSet* ds = FDataSet;
    FinalBlock final([this, ds] {
        Filtered = ds->Filtered();
        Filter = ds->Filter();
        Changing = false;
        FireSumListChanged();
    });
    ClearSumValues();
    FOldRecNo = -1;
    if (OnRecalcAll) OnRecalcAll(this);
    if (FExternalRecalc) return;

    const int n = FSumCollection->Count();
    bool walk = !ds->IsSequenced() && FVirtualRecords;
    for (int i = 0; i < n; ++i)
        if (Tracked(FSumCollection->Items(i))) walk = true;
    if (walk) {
        std::vector<TField*> fields(n, nullptr);
        for (int i = 0; i < n; ++i) {
            const String& name = FSumCollection->Items(i)->FieldName();
            if (!name.isEmpty()) fields[i] = ds->FieldByName(name);
        }
        const bool keepBookmarks = !ds->IsSequenced() && FVirtualRecords;
        const TBookmark bm = ds->BookmarkAvailable() ? ds->Bookmark() : TBookmark();
        ds->DisableControls();
        FinalBlock enable([ds] { ds->EnableControls(); });
        FVirtualRecList->Clear();
        Changing = true;
        ds->First();
        while (!ds->Eof()) {
            for (int i = 0; i < n; ++i) {
                TDBSum* s = FSumCollection->Items(i);
                TField* f = fields[i];
                switch (s->GroupOperation()) {
                case goSum:
                    if (f && !f->IsNull()) s->SumValue += Currency(f->AsFloat());
                    break;
                case goAvg:
                    if (f) {
                        if (!f->IsNull()) ++s->FNotNullRecordCount;
                        s->FSumValueAsSum += FieldCurrency(f);
                    }
                    break;
                case goCount:
                    if (!f || !f->IsNull()) s->SumValue += Currency(1);
                    break;
                }
            }
            if (keepBookmarks) FVirtualRecList->AppendItem(ds->Bookmark());
            ds->Next();
        }
        if (!bm.empty())
            ds->GotoBookmark(bm);
        else
            ds->First();
        for (int i = 0; i < n; ++i) {
            TDBSum* s = FSumCollection->Items(i);
            if (s->GroupOperation() == goAvg) RecomputeAverage(s);
        }
    }
    if (OnAfterRecalcAll) OnAfterRecalcAll(this);
}

void TDBSumListProducer::RecalcAllForIntMemTable() {
    IMemTableEh* mt = nullptr;
    if (OwnerLoading() || !FActive || !FDataSet || !FDataSet->Active() ||
        !Supports<IMemTableEh>(FDataSet, &mt))
        return;
    mt->FetchRecords(-1);
    // The table numbers the kinds sum 0, count 1, average 2; a kind's bit is 1 << kind.
    enum { kSum = 0, kCount = 1, kAvg = 2 };
    auto asCurrency = [](const Variant& v) {
        return VarIsNull(v) || VarIsEmpty(v) ? Currency() : v.AsCurrency();
    };
    for (int i = 0; i < FSumCollection->Count(); ++i) {
        TDBSum* s = FSumCollection->Items(i);
        if (!Tracked(s)) continue;
        Variant result[5];
        switch (s->GroupOperation()) {
        case goSum:
            mt->GetAggregatedValuesForRange(TBookmark(), TBookmark(), s->FieldName(), result, 1 << kSum);
            s->SumValue = asCurrency(result[kSum]);
            break;
        case goCount:
            mt->GetAggregatedValuesForRange(TBookmark(), TBookmark(), s->FieldName(), result, 1 << kCount);
            s->SumValue = asCurrency(result[kCount]);
            break;
        case goAvg:
            // The running sum and count are taken too: the handlers keep the average from them
            // after each post or delete.
            mt->GetAggregatedValuesForRange(TBookmark(), TBookmark(), s->FieldName(), result,
                                            (1 << kSum) | (1 << kCount) | (1 << kAvg));
            s->FSumValueAsSum = asCurrency(result[kSum]);
            s->FNotNullRecordCount =
                VarIsNull(result[kCount]) || VarIsEmpty(result[kCount]) ? 0 : result[kCount].AsInteger();
            s->SumValue = asCurrency(result[kAvg]);
            break;
        }
    }
    // The filter state these values belong to: without it, switching a filter back off would
    // never be noticed by the scroll handler and the values would stay those of the filter.
    Filtered = FDataSet->Filtered();
    Filter = FDataSet->Filter();
    FireSumListChanged();
}

// --- incremental upkeep --------------------------------------------------------------------

void TDBSumListProducer::HandleAfterEdit(TDataSet* DataSet) {
    if (FActive) {
        for (int i = 0; i < FSumCollection->Count(); ++i) {
            TDBSum* s = FSumCollection->Items(i);
            if (!Tracked(s)) continue;
            TField* f = s->FieldName().isEmpty() ? nullptr : FDataSet->FieldByName(s->FieldName());
            if (s->GroupOperation() == goCount) {
                s->Value = f && f->IsNull() ? Currency() : Currency(1);
            } else {
                s->Value = FieldCurrency(f);
                s->VarValue = f->Value();
            }
        }
    }
    // The application's own handler runs whether or not the sums are kept.
    if (OldAfterEdit) OldAfterEdit(DataSet);
}

void TDBSumListProducer::HandleAfterInsert(TDataSet* DataSet) {
    if (FActive) {
        for (int i = 0; i < FSumCollection->Count(); ++i) {
            TDBSum* s = FSumCollection->Items(i);
            s->Value = Currency();
            if (s->GroupOperation() != goCount) s->VarValue = Null();
        }
        if (!FDataSet->IsSequenced() && FVirtualRecords) {
            if (FDataSet->BookmarkAvailable())
                FVirtualRecList->AppendItem(FDataSet->Bookmark());
            else
                FTryedInsert = true;
        }
    }
    if (OldAfterInsert) OldAfterInsert(DataSet);
}

void TDBSumListProducer::HandleAfterPost(TDataSet* DataSet) {
    if (FActive) {
        for (int i = 0; i < FSumCollection->Count(); ++i) {
            TDBSum* s = FSumCollection->Items(i);
            if (!Tracked(s)) continue;
            TField* f = s->FieldName().isEmpty() ? nullptr : FDataSet->FieldByName(s->FieldName());
            switch (s->GroupOperation()) {
            case goSum:
                if (f->IsNull())
                    s->SumValue -= s->Value;
                else
                    s->SumValue = Currency(f->AsFloat()) + (s->SumValue - s->Value);
                break;
            case goAvg:
                if (f->IsNull()) {
                    if (!VarIsNull(s->VarValue)) --s->FNotNullRecordCount;
                    s->FSumValueAsSum -= s->Value;
                } else {
                    if (VarIsNull(s->VarValue)) ++s->FNotNullRecordCount;
                    s->FSumValueAsSum = Currency(f->AsFloat()) + (s->FSumValueAsSum - s->Value);
                }
                RecomputeAverage(s);
                break;
            case goCount:
                if (f && f->IsNull())
                    s->SumValue -= s->Value;
                else
                    s->SumValue = s->SumValue - s->Value + Currency(1);
                break;
            }
        }
        if (!FDataSet->IsSequenced() && FVirtualRecords && FTryedInsert) {
            const TBookmark bm = FDataSet->Bookmark();
            const int n = FVirtualRecList->Count();
            int pos = FOldRecNo < 0 || FOldRecNo >= n ? 0 : FOldRecNo;
            auto cmp = [&](int i) { return CompareRecordBookmarks(FDataSet, FVirtualRecList->Items(i), bm); };
            if (n > 0) {
                if (cmp(pos) < 0) {
                    while (pos < n && cmp(pos) < 0)
                        ++pos;
                } else {
                    while (pos > 0 && cmp(pos - 1) > 0)
                        --pos;
                }
            }
            FVirtualRecList->InsertItem(pos, bm);
            FTryedInsert = false;
        }
        FireSumListChanged();
    }
    if (OldAfterPost) OldAfterPost(DataSet);
}

void TDBSumListProducer::HandleBeforeDelete(TDataSet* DataSet) {
    if (OldBeforeDelete) OldBeforeDelete(DataSet);
    if (!FActive) return;
    for (int i = 0; i < FSumCollection->Count(); ++i) {
        TDBSum* s = FSumCollection->Items(i);
        if (!Tracked(s)) continue;
        TField* f = s->FieldName().isEmpty() ? nullptr : FDataSet->FieldByName(s->FieldName());
        switch (s->GroupOperation()) {
        case goSum:
            s->SumValue -= FieldCurrency(f);
            break;
        case goAvg:
            s->FSumValueAsSum -= FieldCurrency(f);
            if (!f->IsNull()) --s->FNotNullRecordCount;
            RecomputeAverage(s);
            break;
        case goCount:
            if (!f || !f->IsNull()) s->SumValue -= Currency(1);
            break;
        }
    }
    if (!FDataSet->IsSequenced() && FVirtualRecords && FDataSet->BookmarkAvailable()) {
        const int i = IndexOfVirtualRecord(FDataSet->Bookmark());
        if (i >= 0) FVirtualRecList->DeleteItem(i);
    }
    FireSumListChanged();
}

void TDBSumListProducer::HandleAfterScroll(TDataSet* DataSet) {
    if (OldAfterScroll) OldAfterScroll(DataSet);
    if (!FActive || Changing || !FDataSet) return;
    if (FDataSet->Filtered() != Filtered || (FDataSet->Filtered() && FDataSet->Filter() != Filter))
        RecalcAll();
}

void TDBSumListProducer::HandleMasterAfterScroll(TDataSet* DataSet) {
    if (OldMasterAfterScroll) OldMasterAfterScroll(DataSet);
    if (FActive && !Changing) RecalcAll();
}

void TDBSumListProducer::HandleAfterOpen(TDataSet* DataSet) {
    if (FActive) RecalcAll();
    if (OldAfterOpen) OldAfterOpen(DataSet);
}

void TDBSumListProducer::HandleAfterClose(TDataSet* DataSet) {
    if (FActive) {
        ClearSumValues();
        FireSumListChanged();
        Changing = false;
    }
    FVirtualRecList->Clear();
    if (OldAfterClose) OldAfterClose(DataSet);
}

void TDBSumListProducer::HandleAfterCancel(TDataSet* DataSet) {
    if (OldAfterCancel) OldAfterCancel(DataSet);
    FTryedInsert = false;
}

// --- virtual records -----------------------------------------------------------------------

bool TDBSumListProducer::VirtualRecordsInUse() {
    return FDataSet && !FDataSet->IsSequenced() && FVirtualRecords && FActive;
}

int TDBSumListProducer::IndexOfVirtualRecord(const TBookmark& Bookmark) {
    const int n = FVirtualRecList->Count();
    if (n == 0) return -1;
    if (FOldRecNo < 0 || FOldRecNo >= n) FOldRecNo = 0;
    auto cmp = [&](int i) { return CompareRecordBookmarks(FDataSet, FVirtualRecList->Items(i), Bookmark); };
    const int c = cmp(FOldRecNo);
    if (c == 0) return FOldRecNo;
    const int step = c > 0 ? -1 : 1;
    for (int i = FOldRecNo + step; i >= 0 && i < n; i += step) {
        FOldRecNo = i;
        if (cmp(i) == 0) return i;
    }
    return -1;
}

int TDBSumListProducer::ReadRecNo() {
    if (VirtualRecordsInUse())
        return FDataSet->BookmarkAvailable() ? 1 + IndexOfVirtualRecord(FDataSet->Bookmark()) : 0;
    return FDataSet ? FDataSet->RecNo() : 0;
}

void TDBSumListProducer::WriteRecNo(int Value) {
    if (VirtualRecordsInUse())
        FDataSet->GotoBookmark(FVirtualRecList->Items(Value - 1));
    else if (FDataSet)
        FDataSet->SetRecNo(Value);
}

int TDBSumListProducer::RecordCount() {
    if (VirtualRecordsInUse()) return FVirtualRecList->Count();
    return FDataSet ? FDataSet->RecordCount() : 0;
}

bool TDBSumListProducer::IsSequenced() {
    if (FDataSet && FDataSet->IsSequenced()) return true;
    if (!FDataSet || !FVirtualRecords || !FActive) return false;
    if (FVirtualRecList->Count() > 0) return true;
    return FDataSet->Bof() && FDataSet->Eof();
}

// ---------------------------------------------------------------------------------------------
// TDBGridEhSumList

TDBGridEhSumList::TDBGridEhSumList(TComponent* AOwner) : TDBSumListProducer(AOwner) {
    SetDesignTimeWork(true);
    SetActive(false);
}

void TDBGridEhSumList::SetDataSetEvents() {
    if (OwnerDesigning())
        SetEventsOverloaded(true);
    else
        TDBSumListProducer::SetDataSetEvents();
}

void TDBGridEhSumList::ResetDataSetEvents() {
    if (OwnerDesigning())
        SetEventsOverloaded(false);
    else
        TDBSumListProducer::ResetDataSetEvents();
}

void TDBGridEhSumList::RecalcAll() {
    if (OwnerLoading() || !dynamic_cast<TCustomDBGridEh*>(GetOwner())) return;
    TDBSumListProducer::RecalcAll();
}

// The grid wires SumListChanged to itself; only a handler the form publishes is stored.
KVT_PUBLISHED(TDBGridEhSumList) {
    using S = TDBGridEhSumList;
    P.Prop("Active", &S::Active, &S::SetActive).Default(false);
    P.Prop("ExternalRecalc", &S::ExternalRecalc, &S::SetExternalRecalc).Default(false);
    P.Prop("OnAfterRecalcAll", &S::OnAfterRecalcAll, &S::OnAfterRecalcAll);
    P.Prop("OnRecalcAll", &S::OnRecalcAll, &S::OnRecalcAll);
    P.Prop("SumListChanged", &S::SumListChanged, &S::SumListChanged);
    P.Prop("VirtualRecords", &S::VirtualRecords, &S::SetVirtualRecords).Default(false);
}

KVT_ENUM_TYPE(TGroupOperation, goSum, goAvg, goCount)

KVT_PUBLISHED(TDBSum) {
    P.Prop("FieldName", &TDBSum::FieldName, &TDBSum::SetFieldName);
    P.Prop("GroupOperation", &TDBSum::GroupOperation, &TDBSum::SetGroupOperation);
}
