// Records, the records list with its change log, and the listener base.
#include "lib/memtable/MemTableDataEh.h"

#include "lib/memtable/MemRecordPool.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

namespace {
[[noreturn]] void ListIndexError(int Index) {
    throw EListError(Format(QStringLiteral("List index out of bounds (%d)"), {Index}));
}
const Variant& NullValue() {
    static const Variant n = Null();
    return n;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// TRecValuesEh

void TRecValuesEh::Clear() noexcept {
    for (uint32_t i = FSize; i > 0; --i)
        FData[i - 1].~Variant();
    FSize = 0;
}

void TRecValuesEh::Release() noexcept {
    Clear();
    if (FHeap) ::operator delete(FData);
    FData = nullptr;
    FHeap = 0;
    FRoom = 0;
}

void TRecValuesEh::Reserve(size_t Count) {
    if (Count <= Capacity()) return;
    if (Count > 0x7FFFFFFF) throw std::length_error("too many record values");
    auto* block = static_cast<Variant*>(::operator new(Count * sizeof(Variant)));
    if (FHeap) ::operator delete(FData);
    FData = block;
    FHeap = 1;
    FRoom = uint32_t(Count);
}

void TRecValuesEh::Assign(const Variant* First, const Variant* Last) {
    const size_t n = size_t(Last - First);
    if (n == FSize) {
        for (size_t i = 0; i < n; ++i)
            FData[i] = First[i];
        return;
    }
    Clear();
    Reserve(n);
    for (; FSize < n; ++FSize)
        ::new (FData + FSize) Variant(First[FSize]);
}

TRecValuesEh& TRecValuesEh::operator=(TRecDataValues&& Values) {
    const size_t n = Values.size();
    Clear();
    Reserve(n);
    for (; FSize < n; ++FSize)
        ::new (FData + FSize) Variant(std::move(Values[FSize]));
    return *this;
}

void TRecValuesEh::assign(size_t Count, const Variant& Value) {
    Clear();
    Reserve(Count);
    for (; FSize < Count; ++FSize)
        ::new (FData + FSize) Variant(Value);
}

void TRecValuesEh::resize(size_t Count, const Variant& Value) {
    if (Count <= FSize) {
        while (FSize > Count)
            FData[--FSize].~Variant();
        return;
    }
    if (Count > Capacity()) {
        if (Count > 0x7FFFFFFF) throw std::length_error("too many record values");
        // The values move to a heap block of the new size.
        auto* block = static_cast<Variant*>(::operator new(Count * sizeof(Variant)));
        for (uint32_t i = 0; i < FSize; ++i) {
            ::new (block + i) Variant(std::move(FData[i]));
            FData[i].~Variant();
        }
        if (FHeap) ::operator delete(FData);
        FData = block;
        FHeap = 1;
        FRoom = uint32_t(Count);
    }
    for (; FSize < Count; ++FSize)
        ::new (FData + FSize) Variant(Value);
}

// ---------------------------------------------------------------------------------------------
// TMemoryRecordEh

static_assert(sizeof(TMemoryRecordEh) % alignof(Variant) == 0);

static_assert(alignof(TMemoryRecordEh) <= 8 && alignof(Variant) <= 8);

void* TMemoryRecordEh::operator new(size_t Size) {
    return MemRecordPool::Allocate(Size);
}

void TMemoryRecordEh::operator delete(void* P) noexcept {
    MemRecordPool::Free(P);
}

TMemoryRecordEh* TMemoryRecordEh::NewWithRoom(int Count) {
    const size_t room = size_t(std::max(0, Count));
    void* block = MemRecordPool::Allocate(sizeof(TMemoryRecordEh) + room * sizeof(Variant));
    TMemoryRecordEh* r;
    try {
        r = ::new (block) TMemoryRecordEh();
    } catch (...) {
        MemRecordPool::Free(block);
        throw;
    }
    r->FData.FData = reinterpret_cast<Variant*>(static_cast<char*>(block) + sizeof(TMemoryRecordEh));
    r->FData.FRoom = uint32_t(room);
    return r;
}

void TMemoryRecordEh::Free() {
    if (FInDeletedList)
        throw Exception(QStringLiteral("Can not delete Record if it present in DeletedList."));
    if (FUpdateIndex >= 0)
        throw Exception(QStringLiteral("Can not delete Record if it present in CachedUpdate pending list."));
    if (FIndex >= 0) throw Exception(QStringLiteral("Can not delete Record if it present in active list."));
    TPersistent::Free();
}

TMemoryRecordEh::TValuesArray TMemoryRecordEh::ArrayFor(TDataValueVersionEh V, int FieldIndex) const {
    const int count = FDataStruct ? FDataStruct->Count() : int(FData.size());
    if (FieldIndex < 0 || FieldIndex >= count) ListIndexError(FieldIndex);
    switch (V) {
    case dvvOldValueEh:
        if (!FHasOldData)
            throw Exception(QStringLiteral("TMemoryRecordEh.GetDataValues: Old values is not accessible."));
        return vaOld;
    case dvvCurValueEh:
        return FEditState == resEditEh ? vaTmpOld : vaData;
    case dvvEditValueEh:
        if (FEditState != resEditEh)
            throw Exception(QStringLiteral("TMemoryRecordEh.GetDataValues: Edit values is not accessible."));
        return vaData;
    case dvvValueEh:
        return vaData;
    case dvvOldestValue:
        if (FHasOldData) return vaOld;
        return FEditState == resEditEh ? vaTmpOld : vaData;
    case dvvRefreshValue:
        return FHasOldData ? vaOld : vaData;
    }
    return vaData;
}

const TRecDataValues& TMemoryRecordEh::OldValues() const {
    static const TRecDataValues none;
    return FExtra ? FExtra->OldData : none;
}

const TRecDataValues& TMemoryRecordEh::TmpOldValues() const {
    static const TRecDataValues none;
    return FExtra ? FExtra->TmpOldRecValue : none;
}

TRecDataValues TMemoryRecordEh::TakeOldData() {
    TRecDataValues r;
    if (FExtra) r.swap(FExtra->OldData);
    DropEmptyExtra();
    return r;
}

TRecDataValues TMemoryRecordEh::TakeTmpOldRecValue() {
    TRecDataValues r;
    if (FExtra) r.swap(FExtra->TmpOldRecValue);
    DropEmptyExtra();
    return r;
}

void TMemoryRecordEh::ClearOldData() {
    if (FExtra) TRecDataValues().swap(FExtra->OldData);
    DropEmptyExtra();
}

void TMemoryRecordEh::ClearTmpOldRecValue() {
    if (FExtra) TRecDataValues().swap(FExtra->TmpOldRecValue);
    DropEmptyExtra();
}

void TMemoryRecordEh::ClearUpdateError() {
    if (FExtra) FExtra->UpdateError.reset();
    DropEmptyExtra();
}

void TMemoryRecordEh::SetUpdateError(TUpdateErrorEh* Value) {
    if (!Value && !FExtra) return;
    Extra().UpdateError.reset(Value);
    DropEmptyExtra();
}

// Freed as soon as nothing is left in it.
void TMemoryRecordEh::DropEmptyExtra() {
    if (FExtra && FExtra->OldData.capacity() == 0 && FExtra->TmpOldRecValue.capacity() == 0 &&
        !FExtra->UpdateError)
        FExtra.reset();
}

Variant TMemoryRecordEh::GetDataValue(int FieldIndex, TDataValueVersionEh V) const {
    const TValuesArray a = ArrayFor(V, FieldIndex);
    // Arrays shorter than the structure (fields added after the record) read as Null.
    if (a == vaData) return size_t(FieldIndex) < FData.size() ? FData[size_t(FieldIndex)] : NullValue();
    const TRecDataValues& vals = a == vaOld ? OldValues() : TmpOldValues();
    return size_t(FieldIndex) < vals.size() ? vals[size_t(FieldIndex)] : NullValue();
}

void TMemoryRecordEh::SetDataValue(int FieldIndex, TDataValueVersionEh V, const Variant& Value) {
    const TValuesArray a = ArrayFor(V, FieldIndex);
    const TMTDataFieldEh* field = FDataStruct ? FDataStruct->DataFields(FieldIndex) : nullptr;
    // A value already of the column's type (or Null) is stored as it is, without a copy first.
    if (a == vaData && size_t(FieldIndex) < FData.size() &&
        (!field || Value.IsNull() || Value.VType() == field->VarDataType())) {
        FData[size_t(FieldIndex)] = Value;
        return;
    }
    Variant converted = field ? field->ConvertValue(Value) : Value;
    if (a == vaData) {
        if (size_t(FieldIndex) >= FData.size()) FData.resize(size_t(FieldIndex) + 1, NullValue());
        FData[size_t(FieldIndex)] = std::move(converted);
        return;
    }
    // A spare array read as empty becomes a real one before it is written.
    TRecDataValues& vals = a == vaOld ? Extra().OldData : Extra().TmpOldRecValue;
    if (size_t(FieldIndex) >= vals.size()) vals.resize(size_t(FieldIndex) + 1, NullValue());
    vals[size_t(FieldIndex)] = std::move(converted);
}

Variant TMemoryRecordEh::GetDataValues(const String& FieldNames, TDataValueVersionEh V) const {
    if (V == dvvOldValueEh && !FHasOldData)
        throw Exception(QStringLiteral("TMemoryRecordEh.GetDataValues: Old values is not accessible."));
    if (FieldNames.contains(QLatin1Char(';'))) {
        std::vector<TMTDataFieldEh*> fields;
        FDataStruct->GetFieldList(&fields, FieldNames);
        std::vector<Variant> values;
        values.reserve(fields.size());
        for (TMTDataFieldEh* f : fields)
            values.push_back(GetDataValue(f->Index(), V));
        return VarArrayOf(values);
    }
    const int i = FDataStruct ? FDataStruct->FieldIndex(FieldNames) : -1;
    if (i < 0) DatabaseErrorFmt(QStringLiteral("Field '%s' not found"), {FieldNames});
    return GetDataValue(i, V);
}

void TMemoryRecordEh::SetDataValues(const String& FieldNames, TDataValueVersionEh V, const Variant& Value) {
    if (FieldNames.contains(QLatin1Char(';'))) {
        std::vector<TMTDataFieldEh*> fields;
        FDataStruct->GetFieldList(&fields, FieldNames);
        for (size_t i = 0; i < fields.size(); ++i)
            SetDataValue(fields[i]->Index(), V, Value[int(i)]);
        return;
    }
    SetDataValue(FDataStruct ? FDataStruct->FieldIndex(FieldNames) : -1, V, Value);
}

Variant TMemoryRecordEh::GetDataIndexValues(const std::vector<int>& FieldIndexes,
                                            TDataValueVersionEh V) const {
    if (FieldIndexes.size() == 1) return GetDataValue(FieldIndexes[0], V);
    std::vector<Variant> values;
    values.reserve(FieldIndexes.size());
    for (int i : FieldIndexes)
        values.push_back(GetDataValue(i, V));
    return VarArrayOf(values);
}

void TMemoryRecordEh::SetDataIndexValues(const std::vector<int>& FieldIndexes, TDataValueVersionEh V,
                                         const Variant& Value) {
    if (FieldIndexes.empty()) return;
    if (FieldIndexes.size() < 2) {
        SetDataValue(FieldIndexes[0], V, Value);
        return;
    }
    for (size_t i = 0; i < FieldIndexes.size(); ++i)
        SetDataValue(FieldIndexes[i], V, Value[int(i)]);
}

void TMemoryRecordEh::Edit() {
    if (FEditState != resBrowseEh) return;
    FEditState = resEditEh;
    FEditChanged = false;
    Extra().TmpOldRecValue = FData;
}

void TMemoryRecordEh::Post() {
    if (FEditState != resEditEh && FEditState != resInsertEh)
        DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    if (FEditState == resInsertEh) {
        FRecordsList->AddRecord(this);
        return;
    }
    TRecordsListEh* rl = FRecordsList;
    rl->NotifyDataEvent(this, FIndex, rlnRecChangingEh);
    if (rl->CachedUpdates()) {
        if (FUpdateStatus == usUnmodified) FUpdateStatus = usModified;
        if (FUpdateIndex < 0) rl->LogRecord(this);
        if (FUpdateStatus == usModified && !FHasOldData) {
            Extra().OldData = TakeTmpOldRecValue();
            FHasOldData = true;
        }
    } else {
        rl->OfferRecord(this, TRecordsListEh::okModified);
    }
    ClearTmpOldRecValue();
    FEditState = resBrowseEh;
    rl->NotifyDataEvent(this, FIndex, rlnRecChangedEh);
}

void TMemoryRecordEh::Cancel() {
    if (FEditState != resEditEh && FEditState != resInsertEh)
        DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    if (FEditState == resInsertEh) {
        if (!Attached()) delete this;
        return;
    }
    FData = TakeTmpOldRecValue();
    FEditState = resBrowseEh;
}

void TMemoryRecordEh::MergeChanges() {
    TRecordsListEh* rl = FRecordsList;
    switch (FUpdateStatus) {
    case usUnmodified:
        return;
    case usModified:
    case usInserted:
        ClearOldData();
        FHasOldData = false;
        FUpdateStatus = usUnmodified;
        rl->UnlogRecord(this);
        break;
    case usDeleted:
        FUpdateStatus = usUnmodified;
        ClearOldData();
        FHasOldData = false;
        rl->UnlogRecord(this);
        rl->PersistRemoveRecord(FIndex);
        break;
    }
    ClearUpdateError();
}

void TMemoryRecordEh::RevertRecord() {
    TRecordsListEh* rl = FRecordsList;
    switch (FUpdateStatus) {
    case usUnmodified:
        break;
    case usModified:
        rl->NotifyDataEvent(this, FIndex, rlnRecChangingEh);
        if (FHasOldData) FData = TakeOldData();
        ClearOldData();
        FHasOldData = false;
        FUpdateStatus = usUnmodified;
        rl->UnlogRecord(this);
        rl->NotifyDataEvent(this, FIndex, rlnRecChangedEh);
        break;
    case usInserted:
        rl->UnlogRecord(this);
        ClearUpdateError();
        rl->PersistDeleteRecord(FIndex);
        return;
    case usDeleted:
        rl->NotifyDataEvent(this, FIndex, rlnRecChangingEh);
        // A deleted record that was modified first gets its original values back.
        if (FHasOldData) FData = TakeOldData();
        ClearOldData();
        FHasOldData = false;
        FUpdateStatus = usUnmodified;
        rl->UnlogRecord(this);
        rl->NotifyDataEvent(this, FIndex, rlnRecChangedEh);
        break;
    }
    ClearUpdateError();
}

void TMemoryRecordEh::RefreshRecord(TMemoryRecordEh* Rec) {
    if (FUpdateStatus == usModified) {
        Extra().OldData = Rec->FData;
        FHasOldData = true;
    } else {
        FData = Rec->FData;
    }
}

void TMemoryRecordEh::ReadData(TReader* Reader) {
    Reader->ReadListBegin();
    const int n = FDataStruct->Count();
    FData.assign(size_t(n), NullValue());
    for (int i = 0; i < n; ++i)
        FDataStruct->DataFields(i)->ReadDataFromReader(FData[size_t(i)], Reader);
    Reader->ReadListEnd();
}

void TMemoryRecordEh::WriteData(TWriter* Writer) {
    Writer->WriteListBegin();
    for (int i = 0; i < FDataStruct->Count(); ++i)
        FDataStruct->DataFields(i)->WriteDataToWriter(GetDataValue(i, dvvValueEh), Writer);
    Writer->WriteListEnd();
}

// ---------------------------------------------------------------------------------------------
// TRecordsListNotificatorEh

TRecordsListNotificatorEh::TRecordsListNotificatorEh(TComponent* AOwner) : TComponent(AOwner) {}

TRecordsListNotificatorEh::~TRecordsListNotificatorEh() {
    if (FDataObject) {
        if (auto* host = dynamic_cast<IRecordsListHostEh*>(FDataObject)) host->UnregisterNotificator(this);
        FDataObject = nullptr;
    }
}

void TRecordsListNotificatorEh::BeforeDestruction() {
    SetDataObject(nullptr);
    TComponent::BeforeDestruction();
}

void TRecordsListNotificatorEh::SetDataObject(TComponent* Value) {
    if (Value == FDataObject) return;
    DataEvent(nullptr, -1, rlnListChangingEh);
    if (FDataObject) {
        if (auto* host = dynamic_cast<IRecordsListHostEh*>(FDataObject)) host->UnregisterNotificator(this);
        FDataObject->RemoveFreeNotification(this);
    }
    FDataObject = Value;
    if (Value) {
        if (auto* host = dynamic_cast<IRecordsListHostEh*>(Value)) host->RegisterNotificator(this);
        Value->FreeNotification(this);
    }
    DataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsListNotificatorEh::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataObject) SetDataObject(nullptr);
}

int TRecordsListNotificatorEh::FetchRecords(int Count) {
    return OnFetchRecords ? OnFetchRecords(Count) : 0;
}

void TRecordsListNotificatorEh::AfterDataEvent(TMemoryRecordEh* MemRec, int Index,
                                               TRecordsListNotification Action) {
    if (OnAfterDataEvent) OnAfterDataEvent(MemRec, Index, Action);
}

void TRecordsListNotificatorEh::DataEvent(TMemoryRecordEh* MemRec, int Index,
                                          TRecordsListNotification Action) {
    if (OnDataEvent) OnDataEvent(MemRec, Index, Action);
    switch (Action) {
    case rlnRecAddedEh:
        RecordAdded(MemRec, Index);
        break;
    case rlnRecChangedEh:
        RecordChanged(MemRec, Index);
        break;
    case rlnRecDeletedEh:
        RecordDeleted(MemRec, Index);
        break;
    case rlnListChangedEh:
        RecordListChanged();
        break;
    default:
        break;
    }
}

void TRecordsListNotificatorEh::RecordMoved(TMemoryRecordEh* Item, int OldIndex, int NewIndex) {
    if (OnRecordMoved) OnRecordMoved(Item, OldIndex, NewIndex);
}

void TRecordsListNotificatorEh::StructChanged(TMemTableDataEh* AMemTableData) {
    if (OnStructChanged) OnStructChanged(AMemTableData);
}

// ---------------------------------------------------------------------------------------------
// TRecordsListEh

TRecordsListEh::TRecordsListEh(TComponent* AOwner) : TComponent(AOwner) {
    if (AOwner && !dynamic_cast<TMemTableDataEh*>(AOwner)) throw Exception(AOwner->ClassName());
    FMemTableData = static_cast<TMemTableDataEh*>(AOwner);
    FIndexes = std::make_unique<TMTIndexesEh>(this);
}

TRecordsListEh::~TRecordsListEh() {
    FIndexes.reset();
    for (TMemoryRecordEh* r : FDeltaList)
        if (r) r->FUpdateIndex = -1;
    FDeltaList.clear();
    for (TMemoryRecordEh* r : FRecList)
        delete r;
    FRecList.clear();
    for (TMemoryRecordEh* r : FDeletedList)
        delete r;
    FDeletedList.clear();
}

TMTDataStructEh* TRecordsListEh::DataStruct() const {
    return FMemTableData ? FMemTableData->DataStruct() : nullptr;
}

int TRecordsListEh::RecValCount() const {
    TMTDataStructEh* ds = DataStruct();
    return ds ? ds->Count() : 0;
}

TMemoryRecordEh* TRecordsListEh::NewRecord() {
    auto* r = TMemoryRecordEh::NewWithRoom(RecValCount());
    r->FRecordsList = this;
    r->FDataStruct = DataStruct();
    r->FHashCode = FNewHashCode++;
    r->FData.assign(size_t(RecValCount()), NullValue());
    r->FEditState = resInsertEh;
    return r;
}

void TRecordsListEh::Renumber(int From) {
    for (int i = std::max(0, From); i < Count(); ++i)
        FRecList[size_t(i)]->FIndex = i;
}

void TRecordsListEh::LogRecord(TMemoryRecordEh* Rec) {
    Rec->FUpdateIndex = int(FDeltaList.size());
    FDeltaList.push_back(Rec);
}

void TRecordsListEh::UnlogRecord(TMemoryRecordEh* Rec) {
    if (Rec->FUpdateIndex >= 0 && size_t(Rec->FUpdateIndex) < FDeltaList.size() &&
        FDeltaList[size_t(Rec->FUpdateIndex)] == Rec)
        FDeltaList[size_t(Rec->FUpdateIndex)] = nullptr;
    Rec->FUpdateIndex = -1;
}

void TRecordsListEh::AttachRecord(TMemoryRecordEh* Rec, int Index, bool Fetching) {
    if (Rec->FRecordsList != this) throw Exception(QStringLiteral("Record.RecordsList is not the same."));
    if (Rec->Attached()) throw Exception(QStringLiteral("The record is already attached to RecordsList."));
    if (Index < 0 || Index > Count()) ListIndexError(Index);
    NotifyDataEvent(Rec, Index, rlnRecAddingEh);
    if (!Fetching) {
        SetAutoIncValue(Rec);
        if (!FCachedUpdates && FMemTableData && FMemTableData->HasApplyUpdatesHandlers())
            OfferRecord(Rec, okInserted);
    }
    FRecList.insert(FRecList.begin() + Index, Rec);
    if (Index == Count() - 1)
        Rec->FIndex = Index;
    else
        Renumber(Index);
    if (FCachedUpdates && !Fetching) {
        Rec->FUpdateStatus = usInserted;
        if (Rec->FUpdateIndex < 0) LogRecord(Rec);
    } else {
        Rec->FUpdateStatus = usUnmodified;
    }
    Rec->FEditState = resBrowseEh;
    NotifyDataEvent(Rec, Rec->FIndex, rlnRecAddedEh);
}

int TRecordsListEh::AddRecord(TMemoryRecordEh* Rec) {
    AttachRecord(Rec, Count(), false);
    return Rec->FIndex;
}

void TRecordsListEh::InsertRecord(int Index, TMemoryRecordEh* Rec) {
    AttachRecord(Rec, Index, false);
}

int TRecordsListEh::FetchRecord(TMemoryRecordEh* Rec) {
    const bool saved = FCachedUpdates;
    FCachedUpdates = false;
    try {
        AttachRecord(Rec, Count(), true);
    } catch (...) {
        FCachedUpdates = saved;
        throw;
    }
    FCachedUpdates = saved;
    return Rec->FIndex;
}

void TRecordsListEh::DeleteRecord(int Index) {
    TMemoryRecordEh* rec = Rec(Index);
    if (!FCachedUpdates) {
        PersistDeleteRecord(Index);
        return;
    }
    switch (rec->FUpdateStatus) {
    case usDeleted:
        throw Exception(QStringLiteral("Can't MarkDel the Deleted record"));
    case usInserted:
        UnlogRecord(rec);
        PersistDeleteRecord(Index);
        return;
    default:
        // A modified record keeps its original values, so cancelling or reverting the
        // deletion restores them and an apply sees the original key.
        rec->FUpdateStatus = usDeleted;
        if (rec->FUpdateIndex < 0) LogRecord(rec);
        NotifyDataEvent(rec, Index, rlnRecMarkedForDelEh);
    }
}

void TRecordsListEh::PersistDeleteRecord(int Index) {
    TMemoryRecordEh* rec = Rec(Index);
    NotifyDataEvent(rec, Index, rlnRecDeletingEh);
    if (!FCachedUpdates) OfferRecord(rec, okDeleted);
    FRecList.erase(FRecList.begin() + Index);
    Renumber(Index);
    rec->FIndex = -1;
    UnlogRecord(rec);
    NotifyDataEvent(rec, Index, rlnRecDeletedEh);
    delete rec;
}

void TRecordsListEh::DeleteRecords(const std::vector<std::pair<int, int>>& Ranges) {
    if (FCachedUpdates)
        throw Exception(QStringLiteral("Delete a range of record in CachedUpdates mode is not supported"));
    PersistDeleteRecords(Ranges);
}

void TRecordsListEh::PersistDeleteRecords(const std::vector<std::pair<int, int>>& Ranges) {
    // Ranges are checked first; overlapping ranges name a record once. Every record is offered
    // before any is removed, and listeners always hear of the new list, also after an error.
    std::vector<bool> marked(FRecList.size(), false);
    for (const auto& r : Ranges) {
        if (r.first < 0 || r.first >= Count()) ListIndexError(r.first);
        if (r.second < r.first || r.second >= Count()) ListIndexError(r.second);
        for (int i = r.first; i <= r.second; ++i)
            marked[size_t(i)] = true;
    }
    try {
        if (!FCachedUpdates)
            for (size_t i = 0; i < marked.size(); ++i)
                if (marked[i]) OfferRecord(FRecList[i], okDeleted);
    } catch (...) {
        NotifyDataEvent(nullptr, -1, rlnListChangedEh);
        throw;
    }
    TMemRecListEh keep;
    std::vector<TMemoryRecordEh*> gone;
    for (size_t i = 0; i < FRecList.size(); ++i)
        if (marked[i])
            gone.push_back(FRecList[i]);
        else
            keep.push_back(FRecList[i]);
    FRecList.swap(keep);
    Renumber(0);
    for (TMemoryRecordEh* r : gone) {
        r->FIndex = -1;
        UnlogRecord(r);
    }
    NotifyDataEvent(nullptr, -1, rlnListChangedEh);
    for (TMemoryRecordEh* r : gone)
        delete r;
}

void TRecordsListEh::PersistRemoveRecord(int Index) {
    TMemoryRecordEh* rec = Rec(Index);
    NotifyDataEvent(rec, Index, rlnRecDeletingEh);
    FDeletedList.push_back(rec);
    rec->FInDeletedList = true;
    FRecList.erase(FRecList.begin() + Index);
    Renumber(Index);
    rec->FIndex = -1;
    NotifyDataEvent(rec, Index, rlnRecDeletedEh);
}

void TRecordsListEh::RevertRecord(int Index) {
    Rec(Index)->RevertRecord();
}

void TRecordsListEh::FreeDeletedList() {
    std::vector<TMemoryRecordEh*> list;
    list.swap(FDeletedList);
    for (TMemoryRecordEh* r : list)
        delete r;
}

void TRecordsListEh::MergeChangeLog() {
    std::vector<TMemoryRecordEh*> log = FDeltaList;
    for (TMemoryRecordEh* r : log)
        if (r) r->MergeChanges();
    FreeDeletedList();
    FDeltaList.clear();
}

void TRecordsListEh::CancelUpdates() {
    // Every record is restored (none stops the walk), and listeners always end with a
    // whole-list change before the inserted records are freed.
    std::vector<TMemoryRecordEh*> freed;
    for (int i = Count() - 1; i >= 0; --i) {
        TMemoryRecordEh* r = FRecList[size_t(i)];
        switch (r->FUpdateStatus) {
        case usUnmodified:
            break;
        case usModified:
        case usDeleted:
            if (r->FHasOldData) r->FData = r->TakeOldData();
            r->ClearOldData();
            r->FHasOldData = false;
            r->FUpdateStatus = usUnmodified;
            r->FUpdateIndex = -1;
            r->ClearUpdateError();
            break;
        case usInserted:
            FRecList.erase(FRecList.begin() + i);
            r->FIndex = -1;
            r->FUpdateIndex = -1;
            freed.push_back(r);
            break;
        }
    }
    Renumber(0);
    FDeltaList.clear();
    try {
        NotifyDataEvent(nullptr, -1, rlnListChangedEh);
    } catch (...) {
        for (TMemoryRecordEh* r : freed)
            delete r;
        throw;
    }
    for (TMemoryRecordEh* r : freed)
        delete r;
}

void TRecordsListEh::CleanupChangedRecs() {
    FreeDeletedList();
    std::vector<TMemoryRecordEh*> log;
    for (TMemoryRecordEh* r : FDeltaList)
        if (r) {
            r->FUpdateIndex = int(log.size());
            log.push_back(r);
        }
    FDeltaList.swap(log);
}

void TRecordsListEh::RefreshRecord(int Index, TMemoryRecordEh* FromRec) {
    Rec(Index)->RefreshRecord(FromRec);
}

void TRecordsListEh::SetAutoIncValue(TMemoryRecordEh* Rec) {
    if (FMemTableData) FMemTableData->SetAutoIncValue(Rec);
}

Variant TRecordsListEh::GetValue(int RecNo, int ValNo) const {
    return Rec(RecNo)->GetDataValue(ValNo, dvvValueEh);
}

void TRecordsListEh::SetValue(int Index, int ValNo, const Variant& Value) {
    TMemoryRecordEh* r = Rec(Index);
    if (ValNo < 0 || ValNo >= RecValCount()) ListIndexError(ValNo);
    NotifyDataEvent(r, Index, rlnRecChangingEh);
    if (size_t(ValNo) >= r->FData.size()) r->FData.resize(size_t(ValNo) + 1, NullValue());
    r->FData[size_t(ValNo)] = Value;
    NotifyDataEvent(r, Index, rlnRecChangedEh);
}

TMemoryRecordEh* TRecordsListEh::Rec(int Index) const {
    if (Index < 0 || Index >= Count()) ListIndexError(Index);
    return FRecList[size_t(Index)];
}

void TRecordsListEh::SetRec(int Index, TMemoryRecordEh* Value) {
    Rec(Index);
    FRecList[size_t(Index)] = Value;
}

int TRecordsListEh::IndexOf(TMemoryRecordEh* Item) const {
    if (Item && Item->FIndex >= 0 && Item->FIndex < Count() && FRecList[size_t(Item->FIndex)] == Item)
        return Item->FIndex;
    for (int i = 0; i < Count(); ++i)
        if (FRecList[size_t(i)] == Item) return i;
    return -1;
}

void TRecordsListEh::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    TMemoryRecordEh* r = Rec(CurIndex);
    Rec(NewIndex);
    FRecList.erase(FRecList.begin() + CurIndex);
    FRecList.insert(FRecList.begin() + NewIndex, r);
    Renumber(std::min(CurIndex, NewIndex));
    NotifyRecordMoved(r, CurIndex, NewIndex);
}

void TRecordsListEh::QuickSort(int L, int R, TObject* ParamSort, const TCompareRecords& Compare) {
    int I;
    do {
        I = L;
        int J = R;
        TMemoryRecordEh* pivot = FRecList[size_t((L + R) / 2)];
        do {
            while (Compare(FRecList[size_t(I)], pivot, ParamSort) < 0)
                ++I;
            while (Compare(FRecList[size_t(J)], pivot, ParamSort) > 0)
                --J;
            if (I <= J) {
                std::swap(FRecList[size_t(I)], FRecList[size_t(J)]);
                ++I;
                --J;
            }
        } while (I <= J);
        if (L < J) QuickSort(L, J, ParamSort, Compare);
        L = I;
    } while (I < R);
}

void TRecordsListEh::SortData(TObject* ParamSort, const TCompareRecords& Compare) {
    if (Count() == 0) return;
    if (Count() > 1) QuickSort(0, Count() - 1, ParamSort, Compare);
    Renumber(0);
    NotifyDataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::EndUpdate() {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0) NotifyDataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::Clear() {
    FreeDeletedList();
    for (TMemoryRecordEh* r : FDeltaList)
        if (r) r->FUpdateIndex = -1;
    FDeltaList.clear();
    for (int i = 0; i < FIndexes->Count(); ++i)
        FIndexes->Items(i)->ClearIndex();
    TMemRecListEh recs;
    recs.swap(FRecList);
    for (TMemoryRecordEh* r : recs) {
        r->FIndex = -1;
        delete r;
    }
    NotifyDataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsListEh::NotifyDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action) {
    if (FUpdateCount > 0) return;
    FIndexes->RecordsListNotification(MemRec, Index, Action);
    if (FMemTableData) FMemTableData->DataEvent(MemRec, Index, Action);
}

void TRecordsListEh::NotifyRecordMoved(TMemoryRecordEh* Item, int OldIndex, int NewIndex) {
    FIndexes->RecordMoved(Item, OldIndex, NewIndex);
    if (FMemTableData) FMemTableData->RecordMoved(Item, OldIndex, NewIndex);
}

void TRecordsListEh::OfferRecord(TMemoryRecordEh* Rec, TOfferKind Kind) {
    if (!FMemTableData) return;
    std::unique_ptr<TMemTableDataShadowEh> shadow(new TMemTableDataShadowEh(FMemTableData));
    TRecordsListEh* sl = shadow->RecordsList();
    sl->SetCachedUpdates(true);
    TMemoryRecordEh* sr = sl->NewRecord();
    switch (Kind) {
    case okModified:
        for (int i = 0; i < RecValCount(); ++i)
            sr->FData[size_t(i)] = Rec->GetDataValue(i, dvvOldestValue);
        sl->FetchRecord(sr);
        sr->Edit();
        sr->FData = Rec->FData;
        sr->Post();
        break;
    case okInserted:
        sr->FData = Rec->FData;
        sr->Post();
        break;
    case okDeleted:
        for (int i = 0; i < RecValCount(); ++i)
            sr->FData[size_t(i)] = Rec->GetDataValue(i, dvvOldestValue);
        sl->FetchRecord(sr);
        sl->DeleteRecord(sr->Index());
        break;
    }
    FMemTableData->ApplyUpdates(shadow.get());
    if (Kind != okDeleted) Rec->FData = sr->FData;
}
