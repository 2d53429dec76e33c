// Key indexes over a records list.
#include "lib/memtable/MemTableDataEh.h"

#include "platform/rtl/SysUtils.h"

#include <QStringList>

TMTIndexEh::TMTIndexEh(TCollection* Collection) : TCollectionItem(Collection) {}

TMTIndexEh* TMTIndexEh::CreateApart(TRecordsListEh* ARecordsList) {
    auto* idx = new TMTIndexEh(nullptr);
    idx->FRecordsList = ARecordsList;
    return idx;
}

TMTIndexEh::~TMTIndexEh() {
    ClearIndex();
}

TRecordsListEh* TMTIndexEh::RecordsList() const {
    if (FRecordsList) return FRecordsList;
    auto* c = dynamic_cast<TMTIndexesEh*>(Collection());
    return c ? c->RecList() : nullptr;
}

TIndexItemEh* TMTIndexEh::GetItems(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError(Format(QStringLiteral("List index out of bounds (%d)"), {Index}));
    return FRecList[size_t(Index)];
}

void TMTIndexEh::ClearIndex() {
    for (TIndexItemEh* e : FRecList)
        delete e;
    FRecList.clear();
}

void TMTIndexEh::RebuildIndex() {
    ClearIndex();
    TRecordsListEh* rl = RecordsList();
    if (FFields.isEmpty() || !rl) return;
    FRecList.reserve(size_t(rl->Count()));
    for (int i = 0; i < rl->Count(); ++i) {
        TMemoryRecordEh* r = rl->Rec(i);
        // Records marked for deletion have no entry, as after a mark-for-delete notification.
        if (r->UpdateStatus() == usDeleted) continue;
        FRecList.push_back(new TIndexItemEh(r->GetDataValues(FFields, dvvValueEh), i));
    }
    if (Count() > 1) QuickSort(0, Count() - 1);
}

void TMTIndexEh::QuickSort(int L, int R) {
    int I;
    do {
        I = L;
        int J = R;
        int P = (L + R) / 2;
        do {
            while (VariantsRelation(FRecList[size_t(I)]->Value, FRecList[size_t(P)]->Value) == vrLessThan)
                ++I;
            while (VariantsRelation(FRecList[size_t(J)]->Value, FRecList[size_t(P)]->Value) == vrGreaterThan)
                --J;
            if (I <= J) {
                std::swap(FRecList[size_t(I)], FRecList[size_t(J)]);
                if (P == I)
                    P = J;
                else if (P == J)
                    P = I;
                ++I;
                --J;
            }
        } while (I <= J);
        if (L < J) QuickSort(L, J);
        L = I;
    } while (I < R);
}

bool TMTIndexEh::FindKeyValueIndex(const Variant& Value, int& Index) const {
    bool result = false;
    int L = 0, H = Count() - 1;
    while (L <= H) {
        const int M = (L + H) / 2;
        const TVariantRelationship C = VariantsRelation(FRecList[size_t(M)]->Value, Value);
        if (C == vrNotEqual)
            throw Exception(QStringLiteral("TMTIndexEh.FindKeyValueIndex: values is not comparable."));
        if (C == vrLessThan)
            L = M + 1;
        else {
            H = M - 1;
            if (C == vrEqual) {
                result = true;
                L = M;
            }
        }
    }
    Index = L;
    return result;
}

bool TMTIndexEh::FindRecordIndexByKey(const Variant& Value, int& Index) const {
    if (!FindKeyValueIndex(Value, Index)) return false;
    Index = FRecList[size_t(Index)]->RecIndex;
    return true;
}

void TMTIndexEh::FillMatchedKeyList(const Variant& Value, std::vector<TIndexItemEh*>& List) const {
    int I;
    if (!FindKeyValueIndex(Value, I)) return;
    for (int i = I - 1; i >= 0 && VariantsRelation(Value, FRecList[size_t(i)]->Value) == vrEqual; --i)
        List.push_back(FRecList[size_t(i)]);
    for (int i = I; i < Count() && VariantsRelation(Value, FRecList[size_t(i)]->Value) == vrEqual; ++i)
        List.push_back(FRecList[size_t(i)]);
}

void TMTIndexEh::FillMatchedRecsList(const Variant& Value, std::vector<TMemoryRecordEh*>& List) const {
    std::vector<TIndexItemEh*> items;
    FillMatchedKeyList(Value, items);
    TRecordsListEh* rl = RecordsList();
    for (TIndexItemEh* e : items)
        List.push_back(rl->Rec(e->RecIndex));
}

void TMTIndexEh::SetActive(bool Value) {
    if (Value == FActive) return;
    FActive = Value;
    if (Value)
        RebuildIndex();
    else
        ClearIndex();
}

void TMTIndexEh::SetFields(const String& Value) {
    if (Value == FFields) return;
    FFields = Value;
    RebuildIndex();
}

void TMTIndexEh::SetPrimary(bool Value) {
    if (Value == FPrimary) return;
    FPrimary = Value;
    RebuildIndex();
}

void TMTIndexEh::SetUnical(bool Value) {
    if (Value == FUnical) return;
    FUnical = Value;
    RebuildIndex();
}

void TMTIndexEh::InsertItem(int Index, const Variant&, TIndexItemEh* Item) {
    if (Index >= Count())
        FRecList.push_back(Item);
    else
        FRecList.insert(FRecList.begin() + Index, Item);
}

int TMTIndexEh::FindEntry(const Variant& Key, int RecIndex) const {
    // With duplicate keys the entry of this very record is searched in the run of equal keys.
    int I;
    if (!FindKeyValueIndex(Key, I)) return -1;
    for (int i = I; i >= 0 && VariantsRelation(Key, FRecList[size_t(i)]->Value) == vrEqual; --i)
        if (FRecList[size_t(i)]->RecIndex == RecIndex) return i;
    for (int i = I + 1; i < Count() && VariantsRelation(Key, FRecList[size_t(i)]->Value) == vrEqual; ++i)
        if (FRecList[size_t(i)]->RecIndex == RecIndex) return i;
    return -1;
}

void TMTIndexEh::KeyViolation(const Variant& Key) const {
    String text;
    if (Key.IsArray()) {
        QStringList parts;
        for (int i = Key.ArrayLowBound(1); i <= Key.ArrayHighBound(1); ++i)
            parts << VarToStr(Key[i]);
        text = parts.join(QStringLiteral(";"));
    } else {
        text = VarToStr(Key);
    }
    throw Exception(QStringLiteral("Unical key violation ") + text);
}

void TMTIndexEh::RecordsListNotification(TMemoryRecordEh* MemRec, int Index,
                                         TRecordsListNotification Action) {
    if (!FActive || FFields.isEmpty()) return;
    switch (Action) {
    case rlnRecAddingEh: {
        if (!IsUnique()) return;
        const Variant key = MemRec->GetDataValues(FFields, dvvValueEh);
        int p;
        if (FindKeyValueIndex(key, p)) KeyViolation(key);
        return;
    }
    case rlnRecAddedEh: {
        const Variant key = MemRec->GetDataValues(FFields, dvvValueEh);
        int p;
        FindKeyValueIndex(key, p);
        // Always shift: a no-op for appends, correct while records marked deleted have no entry.
        for (TIndexItemEh* e : FRecList)
            if (e->RecIndex >= Index) ++e->RecIndex;
        InsertItem(p, key, new TIndexItemEh(key, Index));
        return;
    }
    case rlnRecChangingEh: {
        FOldValue = MemRec->GetDataValues(FFields, dvvCurValueEh);
        if (!IsUnique()) return;
        const Variant key = MemRec->GetDataValues(FFields, dvvValueEh);
        if (VariantsRelation(key, FOldValue) == vrEqual) return;
        int p;
        if (FindKeyValueIndex(key, p)) KeyViolation(key);
        return;
    }
    case rlnRecChangedEh: {
        const Variant key = MemRec->GetDataValues(FFields, dvvValueEh);
        if (MemRec->UpdateStatus() == usDeleted) return;
        int oldPos = FOldValue.IsEmpty() ? -1 : FindEntry(FOldValue, Index);
        if (oldPos < 0) oldPos = FindEntry(key, Index);
        TIndexItemEh* entry = nullptr;
        if (oldPos >= 0) {
            entry = FRecList[size_t(oldPos)];
            FRecList.erase(FRecList.begin() + oldPos);
            entry->Value = key;
        } else {
            // A record that had no entry (a reverted deletion) gets one now.
            int p;
            if (IsUnique() && FindKeyValueIndex(key, p)) KeyViolation(key);
            entry = new TIndexItemEh(key, Index);
        }
        int newPos;
        FindKeyValueIndex(key, newPos);
        InsertItem(newPos, key, entry);
        FOldValue = Variant();
        return;
    }
    case rlnRecDeletedEh: {
        const Variant key = MemRec->GetDataValues(FFields, dvvValueEh);
        const int p = FindEntry(key, Index);
        if (p >= 0) {
            delete FRecList[size_t(p)];
            FRecList.erase(FRecList.begin() + p);
        }
        for (TIndexItemEh* e : FRecList)
            if (e->RecIndex > Index) --e->RecIndex;
        return;
    }
    case rlnRecMarkedForDelEh: {
        const Variant key = MemRec->GetDataValues(FFields, dvvValueEh);
        const int p = FindEntry(key, Index);
        if (p >= 0) {
            delete FRecList[size_t(p)];
            FRecList.erase(FRecList.begin() + p);
        }
        return;
    }
    case rlnListChangedEh:
        RebuildIndex();
        return;
    default:
        return;
    }
}

void TMTIndexEh::RecordMoved(TMemoryRecordEh*, int OldIndex, int NewIndex) {
    for (TIndexItemEh* e : FRecList) {
        if (e->RecIndex == OldIndex)
            e->RecIndex = NewIndex;
        else if (OldIndex > NewIndex && e->RecIndex >= NewIndex && e->RecIndex < OldIndex)
            ++e->RecIndex;
        else if (OldIndex < NewIndex && e->RecIndex > OldIndex && e->RecIndex <= NewIndex)
            --e->RecIndex;
    }
}

TMTIndexesEh::TMTIndexesEh(TRecordsListEh* ARecList)
    : TCollection(CollectionItemClassOf<TMTIndexEh>()), FRecList(ARecList) {}

TMTIndexEh* TMTIndexesEh::GetIndexForFields(const String& Fields) const {
    for (int i = 0; i < Count(); ++i)
        if (CompareText(Items(i)->Fields(), Fields) == 0) return Items(i);
    return nullptr;
}

void TMTIndexesEh::RecordsListNotification(TMemoryRecordEh* MemRec, int Index,
                                           TRecordsListNotification Action) {
    for (int i = 0; i < Count(); ++i)
        Items(i)->RecordsListNotification(MemRec, Index, Action);
}

void TMTIndexesEh::RecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex) {
    for (int i = 0; i < Count(); ++i)
        Items(i)->RecordMoved(MemRec, OldIndex, NewIndex);
}
