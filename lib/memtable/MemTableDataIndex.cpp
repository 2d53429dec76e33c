// Key indexes over a records list.
#include "lib/memtable/MemTableDataEh.h"

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QScopeGuard>
#include <QStringList>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iterator>

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
    EnsureBuilt();
    Unpack();
    if (Index < 0 || Index >= Count())
        throw EListError(Format(QStringLiteral("List index out of bounds (%d)"), {Index}));
    return const_cast<TIndexItemEh*>(&FRecList[size_t(Index)]);
}

void TMTIndexEh::ClearIndex() {
    FRebuildPending = false;
    FRecList.clear();
    FPending.clear();
    FPendingRuns.clear();
    FPendingInts.clear();
    TBigVectorEh<uint64_t>().swap(FPacked);
    FPackedMode = false;
}

namespace {
// VariantsRelation, with plain numbers of one kind compared directly.
TVariantRelationship KeyRelation(const Variant& a, const Variant& b) {
    const TVarType ta = a.VType(), tb = b.VType();
    if (ta == varInteger && tb == varInteger) {
        const Int64 x = VariantAccess::Int(a), y = VariantAccess::Int(b);
        return x < y ? vrLessThan : (x > y ? vrGreaterThan : vrEqual);
    }
    if (ta == varDouble && tb == varDouble) {
        const double x = VariantAccess::Dbl(a), y = VariantAccess::Dbl(b);
        if (x < y) return vrLessThan;
        if (x > y) return vrGreaterThan;
        if (x == y) return vrEqual;
    }
    return VariantsRelation(a, b);
}

// The index order. Entries that compare equal (or not at all) keep their record order.
bool KeyLess(const TIndexItemEh& a, const TIndexItemEh& b) {
    const TVariantRelationship r = KeyRelation(a.Value, b.Value);
    if (r == vrLessThan) return true;
    if (r == vrGreaterThan) return false;
    return a.RecIndex < b.RecIndex;
}

// Merges the last two sorted runs at the end of Items while the last is as long as the one
// before it (All: until one run is left).
void MergeLastRuns(TBigVectorEh<TIndexItemEh>& Items, std::vector<uint32_t>& Runs, bool All) {
    while (Runs.size() >= 2 && (All || Runs[Runs.size() - 2] <= Runs.back())) {
        const uint32_t second = Runs.back();
        Runs.pop_back();
        const uint32_t first = Runs.back();
        auto end = Items.end();
        std::inplace_merge(end - (first + second), end - second, end, KeyLess);
        Runs.back() = first + second;
    }
}

// Binary search of sorted entries [First, Last) for Value: true when found, with Index at an
// entry of that key; otherwise Index is where the key would go.
bool FindKey(const TIndexItemEh* First, int Count, const Variant& Value, int& Index) {
    bool result = false;
    int L = 0, H = Count - 1;
    while (L <= H) {
        const int M = (L + H) / 2;
        const TVariantRelationship C = KeyRelation(First[M].Value, Value);
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
} // namespace

namespace {
template <class T> using TBigVector = TBigVectorEh<T>;

// Sorts numbers by their high 32 bits, keeping the order of equal ones: two counting passes.
void RadixSortHigh32(TBigVector<uint64_t>& Keys) {
    const size_t n = Keys.size();
    THugePageAllocatorEh<uint64_t> alloc;
    uint64_t* tmp = alloc.allocate(n); // not initialised: every element is written
    uint64_t* from = Keys.data();
    uint64_t* to = tmp;
    std::vector<uint32_t> count(65537);
    for (int shift : {32, 48}) {
        std::fill(count.begin(), count.end(), 0u);
        for (size_t i = 0; i < n; ++i)
            ++count[((from[i] >> shift) & 0xFFFF) + 1];
        for (size_t d = 1; d < count.size(); ++d)
            count[d] += count[d - 1];
        for (size_t i = 0; i < n; ++i)
            to[count[(from[i] >> shift) & 0xFFFF]++] = from[i];
        std::swap(from, to);
    }
    // After two passes the result is back in Keys.
    alloc.deallocate(tmp, n);
}

// A plain integer key and a record position in one 64-bit number that sorts as the pair: the
// key's bits with the sign flipped, then the position (never negative).
uint64_t PackIntKey(Int64 Key, int RecIndex) {
    return uint64_t(uint32_t(int32_t(Key)) ^ 0x80000000u) << 32 | uint32_t(RecIndex);
}
int IntKeyOf(uint64_t Packed) {
    return int32_t(uint32_t(Packed >> 32) ^ 0x80000000u);
}
int RecIndexOf(uint64_t Packed) {
    return int(uint32_t(Packed));
}

// Binary search of packed entries for a plain integer key, as FindKey.
bool FindPackedKey(const TBigVectorEh<uint64_t>& Packed, const Variant& Value, int& Index) {
    const int key = int(VariantAccess::Int(Value));
    const auto it = std::lower_bound(Packed.begin(), Packed.end(), PackIntKey(key, 0));
    Index = int(it - Packed.begin());
    return it != Packed.end() && IntKeyOf(*it) == key;
}

// Packed keys already in record order need sorting by key alone.
void SortPackedKeys(TBigVector<uint64_t>& Keys) {
    bool byRecord = true;
    for (size_t i = 1; i < Keys.size() && byRecord; ++i)
        byRecord = uint32_t(Keys[i - 1]) < uint32_t(Keys[i]);
    if (byRecord)
        RadixSortHigh32(Keys);
    else
        std::sort(Keys.begin(), Keys.end());
}

// Entries whose keys are all plain integers or all plain floats are sorted as (key, record)
// pairs and made again in order: much cheaper than moving variants around. The entries are
// taken from Start on, then from the beginning. False (nothing done) for any other keys.
bool SortPlainEntries(TBigVector<TIndexItemEh>& Entries, size_t Start = 0) {
    if (Entries.empty()) return true;
    const size_t n = Entries.size();
    auto entry = [&](size_t j) -> const TIndexItemEh& {
        return Entries[j < n - Start ? Start + j : j - (n - Start)];
    };
    const TVarType kind = entry(0).Value.VType();
    if (kind == varInteger) {
        TBigVector<uint64_t> keys;
        keys.reserve(n);
        for (size_t j = 0; j < n; ++j) {
            const TIndexItemEh& e = entry(j);
            if (e.Value.VType() != varInteger || e.RecIndex < 0) return false;
            keys.push_back(PackIntKey(VariantAccess::Int(e.Value), e.RecIndex));
        }
        SortPackedKeys(keys);
        for (size_t i = 0; i < n; ++i) {
            const Variant v(IntKeyOf(keys[i]));
            Entries[i].Value = v; // plain to plain: no call
            Entries[i].RecIndex = RecIndexOf(keys[i]);
        }
        return true;
    }
    if (kind != varDouble) return false;
    TBigVector<std::pair<double, int>> keys;
    keys.reserve(n);
    for (size_t j = 0; j < n; ++j) {
        const TIndexItemEh& e = entry(j);
        if (e.Value.VType() != kind) return false;
        const double x = VariantAccess::Dbl(e.Value);
        if (std::isnan(x)) return false;
        keys.emplace_back(x, e.RecIndex);
    }
    std::sort(keys.begin(), keys.end());
    for (size_t i = 0; i < keys.size(); ++i) {
        const Variant v(keys[i].first);
        Entries[i].Value = v;
        Entries[i].RecIndex = keys[i].second;
    }
    return true;
}
} // namespace

// A key column of plain integers or plain floats (the common case) is sorted as (key, record)
// pairs held in one array, and the entries are made afterwards in key order. False (nothing
// done) for any other column.
bool TMTIndexEh::SortPlainKeys(TRecordsListEh* rl, int Field) {
    const int n = rl->Count();
    const TVarType kind = rl->Rec(0)->GetDataValue(Field, dvvValueEh).VType();
    if (kind != varInteger && kind != varDouble) return false;
    TBigVector<std::pair<double, int>> keys;
    keys.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        TMemoryRecordEh* r = rl->Rec(i);
        if (r->UpdateStatus() == usDeleted) continue;
        const TRecValuesEh& d = r->Data();
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
            FRecList.push_back({Variant(int(x)), i});
    else
        for (const auto& [x, i] : keys)
            FRecList.push_back({Variant(x), i});
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
    if (!composite) {
        // Plain integer keys: the entries are the sorted packed keys themselves.
        const size_t field = size_t(fields[0]);
        TBigVector<uint64_t> keys;
        keys.reserve(size_t(rl->Count()));
        bool plain = true;
        for (int i = 0; i < rl->Count() && plain; ++i) {
            TMemoryRecordEh* r = rl->Rec(i);
            if (r->UpdateStatus() == usDeleted) continue;
            const TRecValuesEh& d = r->Data();
            plain = field < d.size() && d[field].VType() == varInteger;
            if (plain) keys.push_back(PackIntKey(VariantAccess::Int(d[field]), i));
        }
        if (plain) {
            SortPackedKeys(keys);
            FPacked.swap(keys);
            FPackedMode = true;
            return;
        }
    }
    FRecList.reserve(size_t(rl->Count()));
    if (!composite && SortPlainKeys(rl, fields[0])) return;
    std::vector<Variant> parts(fields.size());
    for (int i = 0; i < rl->Count(); ++i) {
        TMemoryRecordEh* r = rl->Rec(i);
        // Records marked for deletion have no entry, as after a mark-for-delete notification.
        if (r->UpdateStatus() == usDeleted) continue;
        if (!composite) {
            FRecList.push_back({r->GetDataValue(fields[0], dvvValueEh), i});
        } else {
            for (size_t j = 0; j < fields.size(); ++j)
                parts[j] = r->GetDataValue(fields[j], dvvValueEh);
            FRecList.push_back({VarArrayOf(parts), i});
        }
    }
    std::stable_sort(FRecList.begin(), FRecList.end(), KeyLess);
}

void TMTIndexEh::AddPending(TIndexItemEh&& Item) {
    // Only a unique index searches the waiting entries (for a key violation): the others sort
    // them once, when they are merged, and plain integer keys wait as packed numbers.
    if (!IsUnique()) {
        if (FPending.empty() && Item.Value.VType() == varInteger && Item.RecIndex >= 0) {
            FPendingInts.push_back(PackIntKey(VariantAccess::Int(Item.Value), Item.RecIndex));
            return;
        }
        UnpackPendingInts();
        FPending.push_back(std::move(Item));
        return;
    }
    FPending.push_back(std::move(Item));
    FPendingRuns.push_back(1);
    // Runs are merged while the last is as long as the one before it: each entry takes part in
    // O(log n) merges.
    MergeLastRuns(FPending, FPendingRuns, false);
}

void TMTIndexEh::UnpackPendingInts() {
    if (FPendingInts.empty()) return;
    FPending.reserve(FPending.size() + FPendingInts.size());
    for (uint64_t k : FPendingInts)
        FPending.emplace_back(Variant(IntKeyOf(k)), RecIndexOf(k));
    FPendingInts.clear();
    FPendingInts.shrink_to_fit();
}

// All entries as packed integers, merged ones first (earlier records), sorted at once and made
// again; false (nothing done) when a merged key is not a plain integer.
bool TMTIndexEh::SortAllAsInts() {
    TBigVector<uint64_t> merged;
    merged.reserve(FRecList.size());
    for (const TIndexItemEh& e : FRecList) {
        if (e.Value.VType() != varInteger || e.RecIndex < 0) return false;
        merged.push_back(PackIntKey(VariantAccess::Int(e.Value), e.RecIndex));
    }
    // The waiting keys are sorted where they are, after the merged ones.
    TBigVector<uint64_t> keys;
    keys.swap(FPendingInts);
    keys.insert(keys.begin(), merged.begin(), merged.end());
    SortPackedKeys(keys);
    TBigVector<TIndexItemEh>().swap(FRecList);
    FPacked.swap(keys);
    FPackedMode = true;
    return true;
}

void TMTIndexEh::Unpack() const {
    if (!FPackedMode) return;
    auto* self = const_cast<TMTIndexEh*>(this);
    TBigVector<TIndexItemEh> entries;
    entries.reserve(FPacked.size());
    for (uint64_t k : FPacked)
        entries.emplace_back(Variant(IntKeyOf(k)), RecIndexOf(k));
    self->FRecList.swap(entries);
    TBigVector<uint64_t>().swap(self->FPacked);
    self->FPackedMode = false;
}

// Waiting entries of plain integer keys are sorted apart (by key alone when in record order, as
// appended ones are) and merged with the packed entries in one pass; false (nothing done, the
// entries made again) when a waiting key is not a plain integer.
bool TMTIndexEh::MergePacked() {
    for (const TIndexItemEh& e : FPending) {
        if (e.Value.VType() != varInteger || e.RecIndex < 0) {
            Unpack();
            return false;
        }
    }
    TBigVector<uint64_t> waiting;
    waiting.swap(FPendingInts);
    waiting.reserve(waiting.size() + FPending.size());
    for (const TIndexItemEh& e : FPending)
        waiting.push_back(PackIntKey(VariantAccess::Int(e.Value), e.RecIndex));
    SortPackedKeys(waiting);
    TBigVector<uint64_t> merged;
    merged.reserve(FPacked.size() + waiting.size());
    std::merge(FPacked.begin(), FPacked.end(), waiting.begin(), waiting.end(), std::back_inserter(merged));
    FPacked.swap(merged);
    FPending.clear();
    FPendingRuns.clear();
    return true;
}

void TMTIndexEh::MergePending() {
    if (FPackedMode && MergePacked()) return;
    if (!FPendingInts.empty()) {
        if (FRecList.size() <= FPendingInts.size() && SortAllAsInts()) return;
        UnpackPendingInts();
    }
    if (FPendingRuns.empty()) {
        // Unsorted entries that outnumber the sorted ones: all are sorted together.
        if (FRecList.size() <= FPending.size()) {
            const size_t waiting = FPending.size();
            for (TIndexItemEh& e : FRecList)
                FPending.push_back(std::move(e));
            FRecList.clear();
            FRecList.swap(FPending);
            // The sorted entries (now at the end) come first: earlier records.
            if (!SortPlainEntries(FRecList, waiting))
                std::stable_sort(FRecList.begin(), FRecList.end(), KeyLess);
            return;
        }
        if (!SortPlainEntries(FPending)) std::stable_sort(FPending.begin(), FPending.end(), KeyLess);
    }
    MergeLastRuns(FPending, FPendingRuns, true);
    // The shorter of the two sorted arrays is moved behind the longer one, then they are merged.
    if (FRecList.size() < FPending.size()) FRecList.swap(FPending);
    const size_t n = FRecList.size();
    FRecList.reserve(n + FPending.size());
    std::move(FPending.begin(), FPending.end(), std::back_inserter(FRecList));
    FPending.clear();
    FPendingRuns.clear();
    std::inplace_merge(FRecList.begin(), FRecList.begin() + std::ptrdiff_t(n), FRecList.end(), KeyLess);
}

bool TMTIndexEh::PendingHasKey(const Variant& Key) const {
    size_t start = 0;
    for (uint32_t len : FPendingRuns) {
        int p;
        if (FindKey(FPending.data() + start, int(len), Key, p)) return true;
        start += len;
    }
    return false;
}

void TMTIndexEh::QuickSort(int L, int R) {
    EnsureBuilt();
    Unpack();
    int I;
    do {
        I = L;
        int J = R;
        int P = (L + R) / 2;
        do {
            while (VariantsRelation(FRecList[size_t(I)].Value, FRecList[size_t(P)].Value) == vrLessThan)
                ++I;
            while (VariantsRelation(FRecList[size_t(J)].Value, FRecList[size_t(P)].Value) == vrGreaterThan)
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
    EnsureBuilt();
    if (FPackedMode) {
        if (Value.VType() == varInteger) return FindPackedKey(FPacked, Value, Index);
        Unpack();
    }
    return FindKey(FRecList.data(), int(FRecList.size()), Value, Index);
}

bool TMTIndexEh::FindRecordIndexByKey(const Variant& Value, int& Index) const {
    if (!FindKeyValueIndex(Value, Index)) return false;
    Index = FPackedMode ? RecIndexOf(FPacked[size_t(Index)]) : FRecList[size_t(Index)].RecIndex;
    return true;
}

void TMTIndexEh::FillMatchedKeyList(const Variant& Value, std::vector<const TIndexItemEh*>& List) const {
    EnsureBuilt();
    Unpack();
    int I;
    if (!FindKeyValueIndex(Value, I)) return;
    for (int i = I - 1; i >= 0 && VariantsRelation(Value, FRecList[size_t(i)].Value) == vrEqual; --i)
        List.push_back(&FRecList[size_t(i)]);
    for (int i = I; i < Count() && VariantsRelation(Value, FRecList[size_t(i)].Value) == vrEqual; ++i)
        List.push_back(&FRecList[size_t(i)]);
}

void TMTIndexEh::FillMatchedRecsList(const Variant& Value, std::vector<TMemoryRecordEh*>& List) const {
    TRecordsListEh* rl = RecordsList();
    EnsureBuilt();
    if (FPackedMode && Value.VType() == varInteger) {
        int I;
        if (!FindPackedKey(FPacked, Value, I)) return;
        const int key = IntKeyOf(FPacked[size_t(I)]);
        for (size_t i = size_t(I); i < FPacked.size() && IntKeyOf(FPacked[i]) == key; ++i)
            List.push_back(rl->Rec(RecIndexOf(FPacked[i])));
        return;
    }
    std::vector<const TIndexItemEh*> items;
    FillMatchedKeyList(Value, items);
    for (const TIndexItemEh* e : items)
        List.push_back(rl->Rec(e->RecIndex));
}

bool TMTIndexEh::FindDuplicateKey(Variant& Key) const {
    assert(FPending.empty() && FPendingInts.empty() && !FRebuildPending);
    if (FPackedMode) {
        for (size_t i = 1; i < FPacked.size(); ++i)
            if (IntKeyOf(FPacked[i - 1]) == IntKeyOf(FPacked[i])) {
                Key = Variant(IntKeyOf(FPacked[i]));
                return true;
            }
        return false;
    }
    // Sorted entries: equal keys are neighbours.
    for (size_t i = 1; i < FRecList.size(); ++i)
        if (KeyRelation(FRecList[i - 1].Value, FRecList[i].Value) == vrEqual) {
            Key = FRecList[i].Value;
            return true;
        }
    return false;
}

void TMTIndexEh::ChangeDefinition(const std::function<void()>& Apply, const std::function<void()>& Revert) {
    Apply();
    auto restore = qScopeGuard([&] {
        Revert();
        try {
            DefinitionChanged();
        } catch (...) {
            ClearIndex(); // the old definition no longer fits the structure
        }
    });
    DefinitionChanged();
    Variant key;
    if (FActive && IsUnique() && FindDuplicateKey(key)) KeyViolation(key);
    restore.dismiss();
}

void TMTIndexEh::SetActive(bool Value) {
    if (Value == FActive) return;
    if (!Value) {
        FActive = false;
        ClearIndex();
        return;
    }
    ChangeDefinition([&] { FActive = true; }, [&] { FActive = false; });
}

void TMTIndexEh::SetFields(const String& Value) {
    if (Value == FFields) return;
    const String old = FFields;
    ChangeDefinition([&] { FFields = Value; }, [&] { FFields = old; });
}

void TMTIndexEh::SetPrimary(bool Value) {
    if (Value == FPrimary) return;
    ChangeDefinition([&] { FPrimary = Value; }, [&] { FPrimary = !Value; });
}

void TMTIndexEh::SetUnical(bool Value) {
    if (Value == FUnical) return;
    ChangeDefinition([&] { FUnical = Value; }, [&] { FUnical = !Value; });
}

void TMTIndexEh::InsertItem(int Index, TIndexItemEh&& Item) {
    EnsureBuilt();
    Unpack();
    if (Index >= Count())
        FRecList.push_back(std::move(Item));
    else
        FRecList.insert(FRecList.begin() + Index, std::move(Item));
}

int TMTIndexEh::FindEntry(const Variant& Key, int RecIndex) const {
    // With duplicate keys the entry of this very record is searched in the run of equal keys.
    EnsureBuilt();
    Unpack();
    int I;
    if (!FindKeyValueIndex(Key, I)) return -1;
    for (int i = I; i >= 0 && VariantsRelation(Key, FRecList[size_t(i)].Value) == vrEqual; --i)
        if (FRecList[size_t(i)].RecIndex == RecIndex) return i;
    for (int i = I + 1; i < Count() && VariantsRelation(Key, FRecList[size_t(i)].Value) == vrEqual; ++i)
        if (FRecList[size_t(i)].RecIndex == RecIndex) return i;
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
        // Waiting entries are searched where they are, so that appending stays cheap.
        if (FPackedMode && key.VType() != varInteger) Unpack();
        const bool found = FPackedMode ? FindPackedKey(FPacked, key, p)
                                       : FindKey(FRecList.data(), int(FRecList.size()), key, p);
        if (found || PendingHasKey(key)) KeyViolation(key);
        return;
    }
    case rlnRecAddedEh: {
        TIndexItemEh item{MemRec->GetDataValues(FFields, dvvValueEh), Index};
        TRecordsListEh* rl = RecordsList();
        if (rl && Index == rl->Count() - 1 && Index >= 0) {
            // Plain integer keys of appended records stay packed: at the end when the largest,
            // waiting otherwise. An empty index starts packed with such a key.
            const bool plain = item.Value.VType() == varInteger;
            if (plain && !FPackedMode && FRecList.empty() && FPending.empty() && FPendingInts.empty())
                FPackedMode = true;
            if (FPackedMode && plain) {
                const int key = int(VariantAccess::Int(item.Value));
                if (FPending.empty() && FPendingInts.empty() &&
                    (FPacked.empty() || IntKeyOf(FPacked.back()) <= key))
                    FPacked.push_back(PackIntKey(key, Index));
                else
                    AddPending(std::move(item));
                return;
            }
            Unpack();
            // An appended record has no entry after it to renumber. Its entry goes at the end
            // when its key is the largest, or waits with the other appended ones otherwise.
            const TVariantRelationship r =
                FRecList.empty() ? vrLessThan : KeyRelation(FRecList.back().Value, item.Value);
            if (r != vrNotEqual) {
                if (FPending.empty() && FPendingInts.empty() && r != vrGreaterThan)
                    FRecList.push_back(std::move(item));
                else
                    AddPending(std::move(item));
                return;
            }
        }
        EnsureBuilt();
        Unpack();
        int p;
        FindKeyValueIndex(item.Value, p); // reports a key that does not compare with the others
        // Entries after an inserted record move up.
        if (!rl || Index < rl->Count() - 1)
            for (TIndexItemEh& e : FRecList)
                if (e.RecIndex >= Index) ++e.RecIndex;
        // Among equal keys the entries stay in record order.
        p = int(std::lower_bound(FRecList.begin(), FRecList.end(), item, KeyLess) - FRecList.begin());
        InsertItem(p, std::move(item));
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
        EnsureBuilt();
        Unpack();
        int oldPos = FOldValue.IsEmpty() ? -1 : FindEntry(FOldValue, Index);
        if (oldPos < 0) oldPos = FindEntry(key, Index);
        TIndexItemEh entry;
        if (oldPos >= 0) {
            entry = std::move(FRecList[size_t(oldPos)]);
            FRecList.erase(FRecList.begin() + oldPos);
            entry.Value = key;
        } else {
            // A record that had no entry (a reverted deletion) gets one now.
            int p;
            if (IsUnique() && FindKeyValueIndex(key, p)) KeyViolation(key);
            entry = TIndexItemEh{key, Index};
        }
        int newPos;
        FindKeyValueIndex(key, newPos);
        newPos = int(std::lower_bound(FRecList.begin(), FRecList.end(), entry, KeyLess) - FRecList.begin());
        InsertItem(newPos, std::move(entry));
        FOldValue = Variant();
        return;
    }
    case rlnRecDeletedEh: {
        const Variant key = MemRec->GetDataValues(FFields, dvvValueEh);
        const int p = FindEntry(key, Index);
        if (p >= 0) FRecList.erase(FRecList.begin() + p);
        for (TIndexItemEh& e : FRecList)
            if (e.RecIndex > Index) --e.RecIndex;
        return;
    }
    case rlnRecMarkedForDelEh: {
        const Variant key = MemRec->GetDataValues(FFields, dvvValueEh);
        const int p = FindEntry(key, Index);
        if (p >= 0) FRecList.erase(FRecList.begin() + p);
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
    EnsureBuilt();
    Unpack();
    for (TIndexItemEh& e : FRecList) {
        if (e.RecIndex == OldIndex)
            e.RecIndex = NewIndex;
        else if (OldIndex > NewIndex && e.RecIndex >= NewIndex && e.RecIndex < OldIndex)
            ++e.RecIndex;
        else if (OldIndex < NewIndex && e.RecIndex > OldIndex && e.RecIndex <= NewIndex)
            --e.RecIndex;
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
