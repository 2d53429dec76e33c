// Key indexes over a records list.
#include "lib/memtable/MemTableDataEh.h"

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

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
    FRebuildPending = false;
    for (TIndexItemEh* e : FRecList)
        delete e;
    FRecList.clear();
}

namespace {
// The index order: VariantsRelation, with plain numbers of one kind compared directly. Entries
// that compare equal (or not at all) keep their record order.
bool KeyLess(const TIndexItemEh* a, const TIndexItemEh* b) {
    const TVarType ta = a->Value.VType(), tb = b->Value.VType();
    if (ta == varInteger && tb == varInteger) {
        const int x = a->Value.AsInteger(), y = b->Value.AsInteger();
        if (x != y) return x < y;
    } else if (ta == varDouble && tb == varDouble && !std::isnan(a->Value.AsDouble()) &&
               !std::isnan(b->Value.AsDouble())) {
        const double x = a->Value.AsDouble(), y = b->Value.AsDouble();
        if (x != y) return x < y;
    } else {
        const TVariantRelationship r = VariantsRelation(a->Value, b->Value);
        if (r == vrLessThan) return true;
        if (r == vrGreaterThan) return false;
    }
    return a->RecIndex < b->RecIndex;
}
} // namespace

// A key column of plain integers or plain floats (the common case) is sorted as (key, record)
// pairs held in one array, and the entries are made afterwards in key order. False (nothing
// done) for any other column.
bool TMTIndexEh::SortPlainKeys(TRecordsListEh* rl, int Field) {
    const int n = rl->Count();
    const TVarType kind = rl->Rec(0)->GetDataValue(Field, dvvValueEh).VType();
    if (kind != varInteger && kind != varDouble) return false;
    std::vector<std::pair<double, int>> keys;
    keys.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        TMemoryRecordEh* r = rl->Rec(i);
        if (r->UpdateStatus() == usDeleted) continue;
        const TRecDataValues& d = r->Data();
        if (size_t(Field) >= d.size()) return false;
        const Variant& v = d[size_t(Field)];
        if (v.VType() != kind) return false;
        const double x = kind == varInteger ? double(v.AsInteger()) : v.AsDouble();
        if (std::isnan(x)) return false;
        keys.emplace_back(x, i);
    }
    std::sort(keys.begin(), keys.end()); // equal keys stay in record order
    // The entries are made from the sorted keys, without visiting the records again.
    if (kind == varInteger)
        for (const auto& [x, i] : keys)
            FRecList.push_back(new TIndexItemEh(Variant(int(x)), i));
    else
        for (const auto& [x, i] : keys)
            FRecList.push_back(new TIndexItemEh(Variant(x), i));
    return true;
}

// The key fields are looked up once, not for every record.
std::vector<int> TMTIndexEh::KeyFields(TRecordsListEh* rl) const {
    std::vector<int> fields;
    if (FFields.contains(QLatin1Char(';'))) {
        std::vector<TMTDataFieldEh*> list;
        rl->DataStruct()->GetFieldList(&list, FFields);
        for (TMTDataFieldEh* f : list)
            fields.push_back(f->Index());
    } else {
        const int i = rl->DataStruct() ? rl->DataStruct()->FieldIndex(FFields) : -1;
        if (i < 0) DatabaseErrorFmt(QStringLiteral("Field '%s' not found"), {FFields});
        fields.push_back(i);
    }
    return fields;
}

void TMTIndexEh::DefinitionChanged() {
    if (FActive) {
        RebuildIndex();
        return;
    }
    ClearIndex();
    TRecordsListEh* rl = RecordsList();
    if (FFields.isEmpty() || !rl || rl->Count() == 0) return;
    KeyFields(rl); // a wrong field list is reported now, not at the first read
    FRebuildPending = true;
}

void TMTIndexEh::RebuildIndex() {
    ClearIndex();
    TRecordsListEh* rl = RecordsList();
    if (FFields.isEmpty() || !rl || rl->Count() == 0) return;
    const std::vector<int> fields = KeyFields(rl);
    const bool composite = FFields.contains(QLatin1Char(';'));
    FRecList.reserve(size_t(rl->Count()));
    if (!composite && SortPlainKeys(rl, fields[0])) return;
    std::vector<Variant> parts(fields.size());
    for (int i = 0; i < rl->Count(); ++i) {
        TMemoryRecordEh* r = rl->Rec(i);
        // Records marked for deletion have no entry, as after a mark-for-delete notification.
        if (r->UpdateStatus() == usDeleted) continue;
        if (!composite) {
            FRecList.push_back(new TIndexItemEh(r->GetDataValue(fields[0], dvvValueEh), i));
        } else {
            for (size_t j = 0; j < fields.size(); ++j)
                parts[j] = r->GetDataValue(fields[j], dvvValueEh);
            FRecList.push_back(new TIndexItemEh(VarArrayOf(parts), i));
        }
    }
    std::stable_sort(FRecList.begin(), FRecList.end(), KeyLess);
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
    DefinitionChanged();
}

void TMTIndexEh::SetPrimary(bool Value) {
    if (Value == FPrimary) return;
    FPrimary = Value;
    DefinitionChanged();
}

void TMTIndexEh::SetUnical(bool Value) {
    if (Value == FUnical) return;
    FUnical = Value;
    DefinitionChanged();
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
        // Entries after an inserted record move up; an appended record has none after it, and
        // skipping the walk keeps loading into an indexed list from growing quadratically.
        TRecordsListEh* rl = RecordsList();
        if (!rl || Index < rl->Count() - 1)
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
