// The group data tree: built from a memory table's view rows, kept in step with inserted,
// changed and deleted rows, with footer nodes whose values aggregate each group's records.
//
// Whole builds sort the rows by their key arrays once and then append groups and records in
// order, so a build is n log n however many groups there are; single-row events place one
// node by binary search among the sorted children of each level.

#include "lib/dbgrid/DBGridEhGrouping.h"

#include "lib/memtable/MemRecordPool.h"
#include "lib/memtable/MemTableEh.h"
#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QScopeGuard>

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdint>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

namespace {

// Reading a row without moving the cursor: entered and always left.
class InstantReadScope {
public:
    InstantReadScope(IMemTableEh* MemTable, int Row) : FMemTable(MemTable) {
        if (FMemTable) FMemTable->InstantReadEnter(Row);
    }
    ~InstantReadScope() {
        if (FMemTable) FMemTable->InstantReadLeave();
    }
    InstantReadScope(const InstantReadScope&) = delete;
    InstantReadScope& operator=(const InstantReadScope&) = delete;

private:
    IMemTableEh* FMemTable;
};

// Keys that cannot be ordered (or whose comparison fails) answer vrNotEqual.
TVariantRelationship KeyRelation(const Variant& A, const Variant& B) {
    try {
        return VariantsRelation(A, B);
    } catch (const Exception&) {
        return vrNotEqual;
    }
}

// The relation of A to B in a level's sort order.
TVariantRelationship OrderedRelation(const Variant& A, const Variant& B, TSortOrderEh Order) {
    const TVariantRelationship r = KeyRelation(A, B);
    if (Order == soAscEh) return r;
    if (r == vrLessThan) return vrGreaterThan;
    if (r == vrGreaterThan) return vrLessThan;
    return r;
}

bool SameKey(const Variant& A, const Variant& B) {
    return VariantsEqual(A, B) || KeyRelation(A, B) == vrEqual;
}

[[noreturn]] void ListIndexError(int Index) {
    TList::Error(QStringLiteral("List index out of bounds (%d)"), Index);
}

// Bumped whenever a node is freed or a record node gets its view row: a tree's record index
// built under an older stamp may hold freed nodes and is rebuilt before use.
unsigned RecordNodesStamp = 1;

void RecordNodesChanged() {
    if (++RecordNodesStamp == 0) RecordNodesStamp = 1;
}

// How each column item of one footer definition is fed in a footer pass. Plain items get the
// value read once per record; the others go through their own AggregateValue/FinalizeValue.
class FooterFeeder {
public:
    void Prepare(TGridDataGroupFooterEh* Footer) {
        if (!Footer || Find(Footer)) return;
        Plan plan;
        plan.Footer = Footer;
        TGridDataGroupFooterColumnItemsEh* items = Footer->ColumnItems();
        for (int k = 0; k < items->Count(); ++k) {
            Step step;
            step.Column = items->Item(k);
            step.Type = step.Column->ValueType();
            step.Plain = step.Column->AggregatesPlainly();
            if (step.Plain && step.Type != gfvNonEh)
                if (TField* field = step.Column->AggregatedField()) step.Slot = SlotOf(field);
            plan.Steps.push_back(step);
        }
        FPlans.push_back(std::move(plan));
    }

    // The values plain items need, from the record instant reading is on.
    void ReadRecord() {
        for (size_t i = 0; i < FFields.size(); ++i)
            FValues[i] = FFields[i]->Value();
        FCurrent = FValues.data();
        FOffsets = nullptr;
    }
    // Or values read beforehand, one per field in Fields() order, or with field j at
    // Values[(*Offsets)[j]].
    void UseValues(const Variant* Values, const std::vector<size_t>* Offsets = nullptr) {
        FCurrent = Values;
        FOffsets = Offsets;
    }
    const std::vector<TField*>& Fields() const { return FFields; }
    bool AllPlain() const {
        for (const Plan& p : FPlans)
            for (const Step& s : p.Steps)
                if (!s.Plain) return false;
        return true;
    }

    void Feed(TGroupDataTreeNodeEh* FooterNode, TGroupDataTreeNodeEh* Node) {
        const Plan* plan = Find(FooterNode->DataGroupFooter());
        if (!plan) return;
        std::vector<Variant>& values = FooterNode->FooterValues();
        if (values.size() != plan->Steps.size()) values.resize(plan->Steps.size());
        for (size_t k = 0; k < plan->Steps.size(); ++k) {
            const Step& step = plan->Steps[k];
            if (!step.Plain) {
                step.Column->AggregateValue(values[k], Node);
                continue;
            }
            const Variant& value =
                step.Slot < 0 ? FNull : FCurrent[FOffsets ? (*FOffsets)[size_t(step.Slot)] : size_t(step.Slot)];
            if (!AccumulateQuickly(step.Type, values[k], value))
                TGridDataGroupFooterColumnItemEh::AccumulateValue(step.Type, values[k], value);
        }
    }

    void Finalize(TGroupDataTreeNodeEh* FooterNode) {
        const Plan* plan = Find(FooterNode->DataGroupFooter());
        if (!plan) return;
        std::vector<Variant>& values = FooterNode->FooterValues();
        for (size_t k = 0; k < plan->Steps.size() && k < values.size(); ++k) {
            const Step& step = plan->Steps[k];
            if (step.Plain)
                TGridDataGroupFooterColumnItemEh::FinalizeAccumulated(step.Type, values[k]);
            else
                step.Column->FinalizeValue(values[k]);
        }
    }

private:
    struct Step {
        TGridDataGroupFooterColumnItemEh* Column = nullptr;
        TGroupFooterValueTypeEh Type = gfvNonEh;
        bool Plain = false;
        int Slot = -1;
    };
    struct Plan {
        TGridDataGroupFooterEh* Footer = nullptr;
        std::vector<Step> Steps;
    };

    const Plan* Find(TGridDataGroupFooterEh* Footer) const {
        // Feeding goes footer by footer up a record's groups: the last answer is often it.
        if (FLastPlan < FPlans.size() && FPlans[FLastPlan].Footer == Footer) return &FPlans[FLastPlan];
        for (size_t i = 0; i < FPlans.size(); ++i)
            if (FPlans[i].Footer == Footer) {
                FLastPlan = i;
                return &FPlans[i];
            }
        return nullptr;
    }

    // The commonest steps of a plain item done without the general variant arithmetic, with
    // the very result it gives: an item without an aggregate that already holds its empty
    // text, a sum of doubles that stays finite and a count below the integer limit. Anything
    // else (first records, Nulls, other types, overflow) answers false for the general path.
    static bool AccumulateQuickly(TGroupFooterValueTypeEh Type, Variant& AValue, const Variant& Value) {
        switch (Type) {
        case gfvNonEh:
            return AValue.VType() == varUString && AValue.AsString().isEmpty();
        case gfvSumEh:
            if (AValue.VType() == varDouble && Value.VType() == varDouble) {
                const double sum = AValue.AsDouble() + Value.AsDouble();
                if (!std::isfinite(sum)) return false;
                AValue = Variant(sum);
                return true;
            }
            return false;
        case gfvCountEh:
            if (AValue.VType() == varInteger && !Value.IsNull() && !Value.IsEmpty() &&
                AValue.AsInteger() < std::numeric_limits<Integer>::max()) {
                AValue = Variant(Integer(AValue.AsInteger() + 1));
                return true;
            }
            return false;
        default:
            return false;
        }
    }
    int SlotOf(TField* Field) {
        for (size_t i = 0; i < FFields.size(); ++i)
            if (FFields[i] == Field) return int(i);
        FFields.push_back(Field);
        FValues.emplace_back();
        return int(FFields.size()) - 1;
    }

    std::vector<Plan> FPlans;
    std::vector<TField*> FFields;
    std::vector<Variant> FValues;
    const Variant* FCurrent = nullptr;
    const std::vector<size_t>* FOffsets = nullptr;
    mutable size_t FLastPlan = 0;
    const Variant FNull = Null();
};

// Whether reading the table's rows in any order is free of side effects (no computed fields,
// no value handler), so that footer values may be read ahead in row order.
bool ReadsHaveNoEffects(IMemTableEh* MemTable, const std::vector<TField*>& Fields) {
    auto* table = dynamic_cast<TCustomMemTableEh*>(MemTable);
    if (!table || table->OnGetFieldValue) return false;
    for (int i = 0; i < table->Fields()->Count(); ++i)
        if (table->Fields()->Fields(i)->FieldKind() != fkData) return false;
    for (TField* f : Fields)
        if (f->DataSet() != table) return false;
    return true;
}

// Numbers that convert to a double exactly and compare as their doubles do: the keys that
// are ordered and matched by their doubles rather than through the variant comparison.
bool PlainNumber(TVarType t) {
    switch (t) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varSingle:
    case varDouble:
    case varDate:
        return true;
    default:
        return false;
    }
}

// One level's keys as doubles, when every key is Null or a number of one and the same type
// (no NaN), so that comparing the doubles gives what VariantsRelation would.
struct NumericKeys {
    bool Usable = false;
    std::vector<double> Values;
    std::vector<unsigned char> Nulls;

    template <class KeyOf> void Take(int Rows, const KeyOf& Key) {
        Usable = false;
        Values.assign(size_t(Rows), 0.0);
        Nulls.assign(size_t(Rows), 0);
        TVarType type = varEmpty;
        for (int r = 0; r < Rows; ++r) {
            const Variant& v = Key(r);
            if (v.IsNull()) {
                Nulls[size_t(r)] = 1;
                continue;
            }
            const TVarType t = v.VType();
            if (type == varEmpty) type = t;
            if (t != type || !PlainNumber(t)) return;
            const double d = v.AsDouble();
            if (std::isnan(d)) return;
            Values[size_t(r)] = d;
        }
        Usable = true;
    }

    TVariantRelationship Relation(int A, int B, TSortOrderEh Order) const {
        const bool na = Nulls[size_t(A)], nb = Nulls[size_t(B)];
        int r;
        if (na || nb)
            r = na && nb ? 0 : (na ? -1 : 1);
        else
            r = Values[size_t(A)] < Values[size_t(B)] ? -1 : (Values[size_t(A)] > Values[size_t(B)] ? 1 : 0);
        if (Order != soAscEh) r = -r;
        return r < 0 ? vrLessThan : (r > 0 ? vrGreaterThan : vrEqual);
    }

    // Row A's key as an unsigned integer that orders as Relation does: Null lowest, then the
    // doubles' own order (minus zero taken as zero); the complement for a descending level.
    uint64_t Packed(int A, TSortOrderEh Order) const {
        uint64_t u = 0;
        if (!Nulls[size_t(A)]) {
            const double d = Values[size_t(A)] == 0 ? 0.0 : Values[size_t(A)];
            u = std::bit_cast<uint64_t>(d);
            u = (u >> 63) ? ~u : (u | (uint64_t(1) << 63)); // never 0: no NaN gets here
        }
        return Order == soAscEh ? u : ~u;
    }
};

// Sorts the rows by packed keys of N levels, ties by row: the order a stable sort by the
// levels' relations gives, with plain integer comparisons on contiguous entries.
template <size_t N>
void SortPacked(std::vector<int>& Order, const std::vector<NumericKeys>& Keys,
                const std::vector<TSortOrderEh>& Orders) {
    struct Entry {
        uint64_t K[N];
        int Row;
    };
    std::vector<Entry> entries(Order.size());
    for (size_t r = 0; r < entries.size(); ++r) {
        entries[r].Row = int(r);
        for (size_t i = 0; i < N; ++i)
            entries[r].K[i] = Keys[i].Packed(int(r), Orders[i]);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        for (size_t i = 0; i < N; ++i)
            if (a.K[i] != b.K[i]) return a.K[i] < b.K[i];
        return a.Row < b.Row;
    });
    for (size_t r = 0; r < entries.size(); ++r)
        Order[r] = entries[r].Row;
}

// The same value of the same type (not only equal by comparison): a record whose keys are
// identical to its groups' can have its key array made from theirs.
bool IdenticalKey(const Variant& A, const Variant& B) {
    if (A.VType() != B.VType()) return false;
    if (PlainNumber(A.VType()))
        return std::bit_cast<uint64_t>(A.AsDouble()) == std::bit_cast<uint64_t>(B.AsDouble());
    switch (A.VType()) {
    case varEmpty:
    case varNull:
        return true;
    case varBoolean:
        return A.AsBoolean() == B.AsBoolean();
    case varUString:
        return A == B; // texts compare equal only when identical
    default:
        return false;
    }
}

template <class F> void ForEachNode(TGroupDataTreeNodeEh* Node, const F& Fn) {
    for (int i = 0; i < Node->GetCount(); ++i) {
        auto* child = static_cast<TGroupDataTreeNodeEh*>(Node->GetItem(i));
        Fn(child);
        ForEachNode(child, Fn);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TGroupDataTreeNodeEh

TGroupDataTreeNodeEh::~TGroupDataTreeNodeEh() {
    RecordNodesChanged();
}

void* TGroupDataTreeNodeEh::operator new(size_t Size) {
    return MemRecordPool::Allocate(Size);
}

void TGroupDataTreeNodeEh::operator delete(void* P) noexcept {
    MemRecordPool::Free(P);
}

const Variant& TGroupDataTreeNodeEh::FullKey() const {
    if (FFullKeyFromGroups) MakeFullKey(Parent());
    return FFullKey;
}

void TGroupDataTreeNodeEh::MakeFullKey(const TGroupDataTreeNodeEh* Group, const TGroupDataTreeNodeEh* Via,
                                       const TGroupDataTreeNodeEh* ViaParent) const {
    std::vector<const Variant*> keys; // nearest group first; the root has no key
    for (const TGroupDataTreeNodeEh* p = Group; p;) {
        const TGroupDataTreeNodeEh* next = p == Via ? ViaParent : p->Parent();
        if (!next) break;
        keys.push_back(&p->FKeyValue);
        p = next;
    }
    const int n = int(keys.size());
    Variant key = VarArrayCreate({0, n}, varVariant);
    auto* items = static_cast<Variant*>(key.ArrayLock());
    for (int i = 0; i < n; ++i)
        items[i] = *keys[size_t(n - 1 - i)];
    items[n] = Variant(Integer(FDataSetRecordViewNo));
    key.ArrayUnlock();
    FFullKey = std::move(key);
    FFullKeyFromGroups = false;
}

TGridGroupDataTreeEh* TGroupDataTreeNodeEh::Owner() const {
    return static_cast<TGridGroupDataTreeEh*>(FOwner);
}

TGroupDataTreeNodeEh* TGroupDataTreeNodeEh::GetDataItem(int Index) const {
    if (Index < 0 || Index >= Count()) ListIndexError(Index);
    return static_cast<TGroupDataTreeNodeEh*>(FItems[size_t(Index)]);
}

TGroupDataTreeNodeEh* TGroupDataTreeNodeEh::GetFooterItem(int Index) const {
    if (Index < 0 || Index >= FFooterItemCount || Count() + Index >= GetCount()) ListIndexError(Index);
    return static_cast<TGroupDataTreeNodeEh*>(FItems[size_t(Count() + Index)]);
}

Variant TGroupDataTreeNodeEh::GetFooterValues(int Index) const {
    if (Index < 0 || Index >= int(FFooterValue.size())) ListIndexError(Index);
    return FFooterValue[size_t(Index)];
}

void TGroupDataTreeNodeEh::SetFooterItemCount(int Value) {
    Value = std::max(0, Value);
    TGridGroupDataTreeEh* tree = Owner();
    while (FFooterItemCount < Value) {
        TBaseTreeNodeEh* node = tree->CreateNode(String(), nullptr);
        tree->AttachNode(node, this, naAddChildEh, false);
        ++FFooterItemCount;
    }
    if (FFooterItemCount > Value) tree->FFlatVisibleList.clear();
    while (FFooterItemCount > Value) {
        if (GetCount() > 0) tree->DeleteNode(FItems.back(), false);
        --FFooterItemCount;
    }
}

int TGroupDataTreeNodeEh::RowHeight() {
    if (FRowHeightNeedUpdate) UpdateRowHeight();
    return FRowHeight;
}

void TGroupDataTreeNodeEh::SetRowHeight(int Value) {
    FRowHeight = Value;
    FRowHeightNeedUpdate = false;
}

void TGroupDataTreeNodeEh::UpdateRowHeight() {
    TGridGroupDataTreeEh* tree = Owner();
    IDataGroupsGridEh* link = tree ? tree->Link() : nullptr;
    int h = 0;
    if (link) {
        if (FGroupDataTreeNodeType == dntDataSetRecordEh) {
            InstantReadScope read(tree->MemTable(), FDataSetRecordViewNo);
            h = link->DGDataRowHeight();
        } else {
            h = link->DGGroupRowHeight(this);
        }
    }
    SetRowHeight(h);
}

void TGroupDataTreeNodeEh::ResetFooters() {
    TGridGroupDataTreeEh* tree = Owner();
    TGridDataGroupsEh* groups = tree->GridDataGroups();
    // Every new group comes here: the definitions are taken where they are, with no list of
    // them made per group.
    const bool root = this == tree->Root();
    const bool group = !root && FGroupDataTreeNodeType == dntDataGroupEh && FDataGroupLevel;
    const int count = root ? groups->Footers()->Count() : (group ? FDataGroupLevel->VisibleFootersCount() : 0);
    SetFooterItemCount(count);
    for (int i = 0; i < count; ++i) {
        TGridDataGroupFooterEh* footer = root ? groups->Footers()->Footer(i) : FDataGroupLevel->GetVisibleFooter(i);
        TGroupDataTreeNodeEh* item = GetFooterItem(i);
        item->FGroupDataTreeNodeType = dntDataGroupFooterEh;
        RecordNodesChanged();
        item->FDataGroupFooter = footer;
        item->FDataGroupLevel = nullptr;
        item->FFooterValue.assign(size_t(footer->ColumnItems()->Count()), Variant());
        item->RowDataChanged();
    }
}

bool TGroupDataTreeNodeEh::RecordNodeLastInGroup() const {
    const TGroupDataTreeNodeEh* p = Parent();
    return FGroupDataTreeNodeType == dntDataSetRecordEh && p && p->Count() > 0 &&
           p->GetDataItem(p->Count() - 1) == this;
}

bool TGroupDataTreeNodeEh::CanAppendDataRec() const {
    TGridDataGroupsEh* groups = Owner() ? Owner()->GridDataGroups() : nullptr;
    if (!groups || groups->ActiveGroupLevelsCount() == 0) return false;
    TGridDataGroupLevelEh* last = groups->ActiveGroupLevels(groups->ActiveGroupLevelsCount() - 1);
    if (FGroupDataTreeNodeType == dntDataGroupEh) return FDataGroupLevel == last;
    if (FGroupDataTreeNodeType == dntDataGroupFooterEh) {
        const TGroupDataTreeNodeEh* p = Parent();
        return p && p->FGroupDataTreeNodeType == dntDataGroupEh && p->FDataGroupLevel == last &&
               p->FFooterItemCount > 0 && p->GetFooterItem(0) == this;
    }
    return false;
}

void TGroupDataTreeNodeEh::AppendDataRec(IMemTableEh* AIntMemTable, TDataSet* ADataSet) {
    if (!AIntMemTable || !ADataSet || Count() == 0) return;
    TGroupDataTreeNodeEh* last = GetDataItem(Count() - 1);
    if (last->FGroupDataTreeNodeType != dntDataSetRecordEh) return;
    TGridDataGroupsEh* groups = Owner()->GridDataGroups();
    const int row = last->FDataSetRecordViewNo;
    Variant key = groups->GetKeyValueForViewRecNo(row);
    key.ArrayPut({key.ArrayHighBound(1)}, Variant(Integer(2147483647)));
    groups->SetInsertingKeyValue(key);

    IDataGroupsGridEh* link = Owner()->Link();
    const bool setHere = link && !link->DGInternalUpdatingDatasetPos();
    if (setHere) link->DGSetInternalUpdatingDatasetPos(true);
    const auto restore = qScopeGuard([&] {
        if (!setHere) return;
        const auto clear = qScopeGuard([&] { link->DGSetInternalUpdatingDatasetPos(false); });
        link->DGSetCurGroupNodeByViewRow(AIntMemTable->GetInstantReadCurRow(), true);
    });
    if (AIntMemTable->InstantReadRowCount() == row + 1) {
        ADataSet->Append();
    } else {
        TBookmark bm;
        {
            InstantReadScope read(AIntMemTable, row);
            bm = ADataSet->Bookmark();
        }
        ADataSet->GotoBookmark(bm);
        ADataSet->Next();
        ADataSet->Insert();
    }
}

void TGroupDataTreeNodeEh::SortChildren(TObject* ParamSort, bool ARecurse, const TCompareNodesEh& Compare) {
    const int n = Count();
    if (n > 1) {
        std::stable_sort(FItems.begin(), FItems.begin() + n, [&](TBaseTreeNodeEh* a, TBaseTreeNodeEh* b) {
            return Compare(a, b, ParamSort) < 0;
        });
        for (int i = 0; i < GetCount(); ++i)
            static_cast<TGroupDataTreeNodeEh*>(FItems[size_t(i)])->FIndex = i;
        InvalidateVisibleItems();
    }
    if (ARecurse)
        for (int i = 0; i < n; ++i)
            FItems[size_t(i)]->SortChildren(ParamSort, true, Compare);
}

void TGroupDataTreeNodeEh::SortDataChildren(TSortOrderEh SortOrder, bool ARecurse) {
    TGridGroupDataTreeEh* tree = Owner();
    const int n = Count();
    if (n > 1) {
        // Stable: a comparison that cannot order two keys leaves them where they are.
        std::stable_sort(FItems.begin(), FItems.begin() + n, [&](TBaseTreeNodeEh* a, TBaseTreeNodeEh* b) {
            return tree->CompareNodes(static_cast<TGroupDataTreeNodeEh*>(a),
                                      static_cast<TGroupDataTreeNodeEh*>(b), SortOrder) < 0;
        });
        for (int i = 0; i < GetCount(); ++i)
            static_cast<TGroupDataTreeNodeEh*>(FItems[size_t(i)])->FIndex = i;
        InvalidateVisibleItems();
    }
    if (ARecurse)
        for (int i = 0; i < n; ++i)
            GetDataItem(i)->SortDataChildren(SortOrder, true);
}

void TGroupDataTreeNodeEh::SetChildren(std::vector<TGroupDataTreeNodeEh*>&& Items) {
    FItems.assign(Items.begin(), Items.end());
    for (size_t i = 0; i < FItems.size(); ++i) {
        auto* child = static_cast<TGroupDataTreeNodeEh*>(FItems[i]);
        child->FParent = this;
        child->FIndex = int(i);
        if (child->FLevel != FLevel + 1) child->SetLevel(FLevel + 1);
    }
    FHasChildren = !FItems.empty();
    FVisibleItems.clear();
    FVisibleCount = 0;
    FVisibleItemsObsolete = true;
}

void TGroupDataTreeNodeEh::SetViewNo(int ViewNo) {
    FDataSetRecordViewNo = ViewNo;
    RecordNodesChanged();
    if (FGroupDataTreeNodeType != dntDataSetRecordEh) return;
    FKeyValue = Variant(Integer(ViewNo));
    if (FFullKey.IsArray()) FFullKey.ArrayPut({FFullKey.ArrayHighBound(1)}, FKeyValue);
}

// ---------------------------------------------------------------------------------------------
// TGridGroupDataTreeEh

TGridGroupDataTreeEh::TGridGroupDataTreeEh(TGridDataGroupsEh* AGridDataGroups)
    : TTreeListEh([]() -> TBaseTreeNodeEh* { return new TGroupDataTreeNodeEh(); }),
      FGridDataGroups(AGridDataGroups) {}

TGridGroupDataTreeEh::~TGridGroupDataTreeEh() {
    FFlatVisibleList.clear();
}

void TGridGroupDataTreeEh::SetRoot(TGroupDataTreeNodeEh* Value) {
    if (!Value || Value == FRoot || Value->Owner() != this || Value->Parent()) return;
    TBaseTreeNodeEh* old = FRoot;
    FRoot = Value;
    Value->SetLevel(0);
    Value->FIndex = -1;
    FFlatVisibleList.clear();
    delete old;
    RebuildFlatVisibleList();
}

IDataGroupsGridEh* TGridGroupDataTreeEh::Link() const {
    return FGridDataGroups ? FGridDataGroups->Link() : nullptr;
}

IMemTableEh* TGridGroupDataTreeEh::MemTable() const {
    IDataGroupsGridEh* link = Link();
    if (IMemTableEh* mt = link ? link->DGMemTable() : nullptr) return mt;
    return FIntMemTable;
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::NewNode() {
    return static_cast<TGroupDataTreeNodeEh*>(CreateNode(String(), nullptr));
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::GetFlatVisibleItem(int Index) const {
    if (Index < 0 || Index >= FlatVisibleCount()) ListIndexError(Index);
    return FFlatVisibleList[size_t(Index)];
}

int TGridGroupDataTreeEh::IndexOfVisibleNode(TGroupDataTreeNodeEh* Node) const {
    auto it = std::find(FFlatVisibleList.begin(), FFlatVisibleList.end(), Node);
    return it == FFlatVisibleList.end() ? -1 : int(it - FFlatVisibleList.begin());
}

int TGridGroupDataTreeEh::IndexOfVisibleRecordViewNo(int RecordViewNo) const {
    // Group rows carry their first record's number too: only record rows count.
    for (int i = 0; i < FlatVisibleCount(); ++i) {
        const TGroupDataTreeNodeEh* n = FFlatVisibleList[size_t(i)];
        if (n->NodeType() == dntDataSetRecordEh && n->DataSetRecordViewNo() == RecordViewNo) return i;
    }
    return -1;
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::GetNodeByRecordViewNo(int RecordViewNo) const {
    if (RecordViewNo < 0) return nullptr;
    if (FRecordNodeIndexStamp != RecordNodesStamp) {
        // One walk indexes every record node; the first in depth-first order wins, as a walk
        // per lookup would find it.
        FRecordNodeIndex.clear();
        for (TBaseTreeNodeEh* n = GetFirst(); n; n = GetNext(n)) {
            auto* node = static_cast<TGroupDataTreeNodeEh*>(n);
            const int row = node->DataSetRecordViewNo();
            if (node->NodeType() != dntDataSetRecordEh || row < 0) continue;
            if (size_t(row) >= FRecordNodeIndex.size()) FRecordNodeIndex.resize(size_t(row) + 1, nullptr);
            if (!FRecordNodeIndex[size_t(row)]) FRecordNodeIndex[size_t(row)] = node;
        }
        FRecordNodeIndexStamp = RecordNodesStamp;
    }
    return size_t(RecordViewNo) < FRecordNodeIndex.size() ? FRecordNodeIndex[size_t(RecordViewNo)] : nullptr;
}

void TGridGroupDataTreeEh::FillGroupNode(TGroupDataTreeNodeEh* Node, TGridDataGroupLevelEh* Level,
                                         const Variant& Key, int RecViewNo) {
    Node->FGroupDataTreeNodeType = dntDataGroupEh;
    RecordNodesChanged();
    Node->FDataGroupLevel = Level;
    Node->FDataSetRecordViewNo = RecViewNo;
    Node->FKeyValue = Key;
    Node->FDisplayValue = Level ? Level->GetKeyValueAsText(Node) : VarToStr(Key);
    // Set directly: a new node is not shown yet, so nobody is told.
    Node->FExpanded = FGridDataGroups->DefaultStateExpanded();
    Node->RowDataChanged();
    Node->ResetFooters();
}

void TGridGroupDataTreeEh::FillRecordNode(TGroupDataTreeNodeEh* Node, int RecViewNo, const Variant& FullKey) {
    Node->FGroupDataTreeNodeType = dntDataSetRecordEh;
    RecordNodesChanged();
    Node->FDataGroupLevel = nullptr;
    Node->FDataSetRecordViewNo = RecViewNo;
    Node->FFullKey = FullKey;
    Node->FFullKeyFromGroups = false;
    Node->FKeyValue = Variant(Integer(RecViewNo));
    Node->RowDataChanged();
}

// The key array of the row instant reading is positioned on.
Variant TGridGroupDataTreeEh::RecordKey(int RecViewNo) {
    const int n = FGridDataGroups->ActiveGroupLevelsCount();
    Variant key = VarArrayCreate({0, n}, varVariant);
    for (int i = 0; i < n; ++i)
        key.ArrayPut({i}, FGridDataGroups->ActiveGroupLevels(i)->GetKeyValue());
    key.ArrayPut({n}, Variant(Integer(RecViewNo)));
    return key;
}

int TGridGroupDataTreeEh::CompareNodes(TGroupDataTreeNodeEh* Node1, TGroupDataTreeNodeEh* Node2,
                                       TSortOrderEh ParamSort) const {
    if (!Node1 || !Node2 || Node1->NodeType() != dntDataGroupEh) return 0;
    switch (OrderedRelation(Node1->KeyValue(), Node2->KeyValue(), ParamSort)) {
    case vrLessThan:
        return -1;
    case vrGreaterThan:
        return 1;
    default:
        return 0;
    }
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::GetNodeToInsertForKey1(TGroupDataTreeNodeEh* ParentNode,
                                                                   const Variant& Key1,
                                                                   TSortOrderEh SortOrder,
                                                                   TNodeAttachModeEh& InsertMode) const {
    InsertMode = naAddChildEh;
    const int count = ParentNode->Count();
    if (count == 0) return nullptr;
    bool unordered = false;
    auto rel = [&](int i) {
        const TVariantRelationship r =
            OrderedRelation(ParentNode->GetDataItem(i)->KeyValue(), Key1, SortOrder);
        if (r == vrNotEqual) unordered = true;
        return r;
    };
    TGroupDataTreeNodeEh* result = nullptr;
    if (rel(0) == vrGreaterThan) {
        InsertMode = naInsertEh;
        return ParentNode->GetDataItem(0);
    }
    if (!unordered && rel(count - 1) == vrLessThan) {
        InsertMode = naAddEh;
        return ParentNode->GetDataItem(count - 1);
    }
    if (!unordered) {
        int lo = 0, hi = count - 1, probe = hi / 2;
        while (true) {
            const TVariantRelationship r = rel(probe);
            if (r == vrNotEqual) break;
            if (r == vrEqual) return ParentNode->GetDataItem(probe);
            if (r == vrGreaterThan)
                hi = probe;
            else
                lo = probe;
            const int next = (lo + hi) / 2;
            if (next == probe) {
                if (probe + 1 >= count) {
                    unordered = true; // only an inconsistent ordering gets here
                    break;
                }
                result = ParentNode->GetDataItem(probe + 1);
                const TVariantRelationship rc = KeyRelation(result->KeyValue(), Key1);
                if (rc == vrNotEqual) {
                    unordered = true;
                    break;
                }
                InsertMode = rc == vrEqual ? naAddChildEh : naInsertEh;
                return result;
            }
            probe = next;
        }
    }
    // A key that cannot be ordered against the others joins only a group with an equal key;
    // otherwise it gets a group of its own after the others.
    InsertMode = naAddChildEh;
    for (int i = 0; i < count; ++i)
        if (SameKey(ParentNode->GetDataItem(i)->KeyValue(), Key1)) return ParentNode->GetDataItem(i);
    return nullptr;
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::AddChildDataNode(const String& Text, TGroupDataTreeNodeEh* Parent,
                                                             TObject* Data) {
    auto* node = static_cast<TGroupDataTreeNodeEh*>(CreateNode(Text, Data));
    AddDataNode(node, Parent, naAddChildEh, true);
    return node;
}

void TGridGroupDataTreeEh::AddDataNode(TGroupDataTreeNodeEh* Node, TGroupDataTreeNodeEh* Destination,
                                       TNodeAttachModeEh Mode, bool ReIndex) {
    if (!Destination) Destination = Root();
    TGroupDataTreeNodeEh* parent = nullptr;
    if (Mode == naAddChildEh)
        parent = Destination;
    else if (Mode == naAddEh)
        parent = Destination->Parent();
    // Footer items stay last: a last data child goes in front of the first footer item.
    if (parent && parent->FooterItemCount() > 0 && parent->GetCount() > parent->Count()) {
        AttachNode(Node, parent->GetFooterItem(0), naInsertEh, true);
        return;
    }
    AttachNode(Node, Destination, Mode, ReIndex);
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::AddRecordNodeForKey(const Variant& AKey, int RecViewNo) {
    const int n = FGridDataGroups->ActiveGroupLevelsCount();
    TGroupDataTreeNodeEh* node = Root();
    bool found = true;
    for (int i = 0; i < n; ++i) {
        TGridDataGroupLevelEh* level = FGridDataGroups->ActiveGroupLevels(i);
        const Variant key1 = AKey.IsArray() && i <= AKey.ArrayHighBound(1) ? AKey[i] : Variant();
        TNodeAttachModeEh mode = naAddChildEh;
        TGroupDataTreeNodeEh* target =
            found ? GetNodeToInsertForKey1(node, key1, level->SortOrder(), mode) : nullptr;
        if (target && mode == naAddChildEh) {
            node = target;
            if (node->DataSetRecordViewNo() == -1) node->FDataSetRecordViewNo = RecViewNo;
            continue;
        }
        TGroupDataTreeNodeEh* group = NewNode();
        if (target)
            AddDataNode(group, target, mode, true);
        else
            AddDataNode(group, node, naAddChildEh, true);
        FillGroupNode(group, level, key1, RecViewNo);
        found = false;
        node = group;
    }
    TGroupDataTreeNodeEh* rec = NewNode();
    TNodeAttachModeEh mode = naAddChildEh;
    TGroupDataTreeNodeEh* target =
        found ? GetNodeToInsertForKey1(node, Variant(Integer(RecViewNo)), soAscEh, mode) : nullptr;
    if (target) {
        if (mode == naAddChildEh) mode = naInsertEh;
        AddDataNode(rec, target, mode, true);
    } else {
        AddDataNode(rec, node, naAddChildEh, true);
    }
    return rec;
}

void TGridGroupDataTreeEh::DeleteRecordNode(TGroupDataTreeNodeEh* RecNode) {
    if (!RecNode || RecNode == Root()) return;
    // Nodes are about to be freed: the flat list must not hand them to the grid meanwhile.
    FFlatVisibleList.clear();
    TGroupDataTreeNodeEh* parent = RecNode->Parent();
    DeleteNode(RecNode, true);
    for (int i = 0; i < FGridDataGroups->ActiveGroupLevelsCount() && parent && parent != Root(); ++i) {
        if (parent->Count() > 0) break;
        TGroupDataTreeNodeEh* up = parent->Parent();
        DeleteNode(parent, true);
        parent = up;
    }
}

void TGridGroupDataTreeEh::DeleteEmptyNodes() {
    FFlatVisibleList.clear();
    // Bottom-up, one pass: a group emptied by its children's removal goes in the same pass.
    std::function<void(TGroupDataTreeNodeEh*)> prune = [&](TGroupDataTreeNodeEh* node) {
        std::vector<TGroupDataTreeNodeEh*> kept;
        bool dropped = false;
        for (int i = 0; i < node->GetCount(); ++i) {
            auto* child = static_cast<TGroupDataTreeNodeEh*>(node->GetItem(i));
            if (child->NodeType() == dntDataGroupEh) {
                prune(child);
                if (child->Count() == 0) {
                    delete child;
                    dropped = true;
                    continue;
                }
            }
            kept.push_back(child);
        }
        if (dropped) node->SetChildren(std::move(kept));
    };
    prune(Root());
}

void TGridGroupDataTreeEh::DeleteRecordNodes() {
    // Nodes are about to be freed: the flat list must not hand them to the grid meanwhile.
    FFlatVisibleList.clear();
    std::function<void(TGroupDataTreeNodeEh*, int)> strip = [&](TGroupDataTreeNodeEh* node, int depth) {
        node->FDataSetRecordViewNo = -1;
        RecordNodesChanged();
        std::vector<TGroupDataTreeNodeEh*> kept;
        bool dropped = false;
        for (int i = 0; i < node->GetCount(); ++i) {
            auto* child = static_cast<TGroupDataTreeNodeEh*>(node->GetItem(i));
            if (child->NodeType() == dntDataSetRecordEh) {
                delete child;
                dropped = true;
                continue;
            }
            strip(child, depth + 1);
            if (child->NodeType() == dntDataGroupEh && child->Count() == 0) {
                const int li = depth; // a child of a node at depth d belongs to active level d
                TGridDataGroupLevelEh* active = li < FGridDataGroups->ActiveGroupLevelsCount()
                                                    ? FGridDataGroups->ActiveGroupLevels(li)
                                                    : nullptr;
                if (child->DataGroupLevel() != active) {
                    delete child;
                    dropped = true;
                    continue;
                }
            }
            kept.push_back(child);
        }
        if (dropped) node->SetChildren(std::move(kept));
    };
    strip(Root(), 0);
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::GetFirstNodeAtLevel(int Level) const {
    for (TBaseTreeNodeEh* n = GetFirst(); n; n = GetNext(n))
        if (n->Level() == Level) return static_cast<TGroupDataTreeNodeEh*>(n);
    return nullptr;
}

TGroupDataTreeNodeEh* TGridGroupDataTreeEh::GetNextNodeAtLevel(TGroupDataTreeNodeEh* Node, int Level) const {
    for (TBaseTreeNodeEh* n = GetNext(Node); n; n = GetNext(n))
        if (n->Level() == Level) return static_cast<TGroupDataTreeNodeEh*>(n);
    return nullptr;
}

void TGridGroupDataTreeEh::CollapseLevelNodes(int Level) {
    {
        BeginUpdate();
        const auto end = qScopeGuard([this] { EndUpdate(); });
        for (TGroupDataTreeNodeEh* n = GetFirstNodeAtLevel(Level); n; n = GetNextNodeAtLevel(n, Level))
            n->WriteExpanded(false);
    }
    RebuildFlatVisibleList();
}

void TGridGroupDataTreeEh::ExpandLevelNodes(int Level) {
    {
        BeginUpdate();
        const auto end = qScopeGuard([this] { EndUpdate(); });
        for (TGroupDataTreeNodeEh* n = GetFirstNodeAtLevel(Level); n; n = GetNextNodeAtLevel(n, Level))
            n->WriteExpanded(true);
    }
    RebuildFlatVisibleList();
}

void TGridGroupDataTreeEh::ExpandedChanged(TBaseTreeNodeEh* Node) {
    TTreeListEh::ExpandedChanged(Node);
    if (FUpateCount == 0) RebuildFlatVisibleList();
}

// A record whose key array is still to be made from its groups' keys gets it before it
// leaves them.
void TGridGroupDataTreeEh::MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode,
                                  bool ReIndex) {
    if (auto* node = dynamic_cast<TGroupDataTreeNodeEh*>(Node)) {
        auto make = [](TGroupDataTreeNodeEh* n) {
            if (n->FFullKeyFromGroups) n->MakeFullKey(n->Parent());
        };
        make(node);
        ForEachNode(node, make);
    }
    TTreeListEh::MoveTo(Node, Destination, Mode, ReIndex);
}

void TGridGroupDataTreeEh::NodeMoved(TBaseTreeNodeEh* Node, bool Removed, int OldIndex,
                                     TBaseTreeNodeEh* OldParent) {
    auto* node = Removed ? dynamic_cast<TGroupDataTreeNodeEh*>(Node) : nullptr;
    auto* oldParent = Removed ? dynamic_cast<TGroupDataTreeNodeEh*>(OldParent) : nullptr;
    if (node && oldParent) {
        if (node->FFullKeyFromGroups) node->MakeFullKey(oldParent);
        ForEachNode(node, [&](TGroupDataTreeNodeEh* n) {
            if (n->FFullKeyFromGroups) n->MakeFullKey(n->Parent(), node, oldParent);
        });
    }
    TTreeListEh::NodeMoved(Node, Removed, OldIndex, OldParent);
}

void TGridGroupDataTreeEh::ExpandNodePathToView(TGroupDataTreeNodeEh* Node) {
    if (!Node) return;
    BeginUpdate();
    const auto end = qScopeGuard([this] { EndUpdate(); });
    for (TGroupDataTreeNodeEh* p = Node->Parent(); p && p != Root(); p = p->Parent())
        p->WriteExpanded(true);
}

// ---------------------------------------------------------------------------------------------
// Whole builds

void TGridGroupDataTreeEh::BuildSorted(IMemTableEh* AIntMemTable, bool Reuse) {
    const int n = FGridDataGroups->ActiveGroupLevelsCount();
    const int rows = AIntMemTable ? std::max(0, AIntMemTable->InstantReadRowCount()) : 0;
    // A rebuild that keeps the groups recomputes the footers next: the values their plain
    // items need are read in the same pass over the rows as the keys.
    FReadAheadTable = nullptr;
    FReadAheadFields.clear();
    FReadAheadValues.clear();
    if (Reuse && rows > 1) {
        FooterFeeder plan;
        for (int f = 0; f < FGridDataGroups->Footers()->Count(); ++f)
            plan.Prepare(FGridDataGroups->Footers()->Footer(f));
        for (int l = 0; l < FGridDataGroups->GroupLevels()->Count(); ++l) {
            TGridDataGroupFootersEh* own = FGridDataGroups->GroupLevels()->GetDataGroup(l)->Footers();
            for (int f = 0; f < own->Count(); ++f)
                plan.Prepare(own->Footer(f));
        }
        if (!plan.Fields().empty() && plan.AllPlain() && ReadsHaveNoEffects(AIntMemTable, plan.Fields())) {
            FReadAheadTable = AIntMemTable;
            FReadAheadFields = plan.Fields();
            FReadAheadValues.resize(size_t(rows) * FReadAheadFields.size());
        }
    }
    const size_t aheadCount = FReadAheadFields.size();
    std::vector<Variant> keys(static_cast<size_t>(rows) * static_cast<size_t>(n));
    for (int r = 0; r < rows; ++r) {
        InstantReadScope read(AIntMemTable, r);
        for (int i = 0; i < n; ++i)
            keys[size_t(r) * size_t(n) + size_t(i)] = FGridDataGroups->ActiveGroupLevels(i)->GetKeyValue();
        for (size_t j = 0; j < aheadCount; ++j)
            FReadAheadValues[size_t(r) * aheadCount + j] = FReadAheadFields[j]->Value();
    }
    auto keyOf = [&](int row, int level) -> const Variant& {
        return keys[size_t(row) * size_t(n) + size_t(level)];
    };
    auto fullKey = [&](int row) {
        Variant key = VarArrayCreate({0, n}, varVariant);
        for (int i = 0; i < n; ++i)
            key.ArrayPut({i}, keyOf(row, i));
        key.ArrayPut({n}, Variant(Integer(row)));
        return key;
    };

    // A level whose keys are all numbers of one type (or Null) is compared as doubles, which
    // orders them as the variant comparison does (Null first) without its per-call cost.
    std::vector<NumericKeys> numeric(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        numeric[size_t(i)].Take(rows, [&](int row) -> const Variant& { return keyOf(row, i); });
    auto relation = [&](int a, int b, int i, TSortOrderEh order) {
        const NumericKeys& nk = numeric[size_t(i)];
        return nk.Usable ? nk.Relation(a, b, order) : OrderedRelation(keyOf(a, i), keyOf(b, i), order);
    };

    std::vector<int> order(static_cast<size_t>(rows));
    std::iota(order.begin(), order.end(), 0);
    bool unordered = false;
    if (n > 0) {
        std::vector<TSortOrderEh> orders;
        for (int i = 0; i < n; ++i)
            orders.push_back(FGridDataGroups->ActiveGroupLevels(i)->SortOrder());
        const bool packed = n <= 3 && std::all_of(numeric.begin(), numeric.end(),
                                                  [](const NumericKeys& k) { return k.Usable; });
        if (packed && n == 1)
            SortPacked<1>(order, numeric, orders);
        else if (packed && n == 2)
            SortPacked<2>(order, numeric, orders);
        else if (packed && n == 3)
            SortPacked<3>(order, numeric, orders);
        else
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
                for (int i = 0; i < n; ++i) {
                    const TVariantRelationship r = relation(a, b, i, orders[size_t(i)]);
                    if (r == vrLessThan) return true;
                    if (r == vrGreaterThan) return false;
                    if (r == vrNotEqual) unordered = true;
                }
                return false;
            });
    }
    // A whole build starts from an empty tree, whichever way the rows are placed below.
    if (!Reuse) {
        FFlatVisibleList.clear();
        Clear();
        Root()->FFooterItemCount = 0;
    }
    // The grand-total footers belong to the root whatever was cleared.
    if (Root()->FooterItemCount() != FGridDataGroups->Footers()->Count()) Root()->ResetFooters();
    if (unordered) {
        // Keys without an order: place the rows one by one, each key by its own search.
        for (int r = 0; r < rows; ++r) {
            InstantReadScope read(AIntMemTable, r);
            const Variant key = fullKey(r);
            FillRecordNode(AddRecordNodeForKey(key, r), r, key);
        }
        return;
    }

    std::vector<TGroupDataTreeNodeEh*> path(static_cast<size_t>(n)); // the groups being filled
    // Merges the runs of equal keys of one level with the groups the parent already has
    // (both in the level's order), then descends into every group.
    std::function<void(TGroupDataTreeNodeEh*, int, size_t, size_t)> build =
        [&](TGroupDataTreeNodeEh* parent, int li, size_t first, size_t last) {
            std::vector<TGroupDataTreeNodeEh*> data, footers;
            for (int i = 0; i < parent->GetCount(); ++i) {
                auto* child = static_cast<TGroupDataTreeNodeEh*>(parent->GetItem(i));
                (i < parent->Count() ? data : footers).push_back(child);
            }
            std::vector<TGroupDataTreeNodeEh*> merged;
            merged.reserve(data.size() + (li == n ? last - first : 0));
            if (li == n) {
                merged = data;
                for (size_t k = first; k < last; ++k) {
                    const int row = order[k];
                    TGroupDataTreeNodeEh* rec = NewNode();
                    rec->SetLevel(parent->FLevel + 1);
                    // Most records carry their groups' keys exactly: their key arrays are
                    // made when asked for, which saves an array per record.
                    bool shared = true;
                    for (int i = 0; shared && i < n; ++i)
                        shared = IdenticalKey(keyOf(row, i), path[size_t(i)]->KeyValue());
                    if (shared) {
                        FillRecordNode(rec, row, Variant());
                        rec->FFullKeyFromGroups = true;
                    } else {
                        FillRecordNode(rec, row, fullKey(row));
                    }
                    merged.push_back(rec);
                }
            } else {
                TGridDataGroupLevelEh* level = FGridDataGroups->ActiveGroupLevels(li);
                size_t j = 0;
                size_t a = first;
                while (a < last) {
                    size_t b = a + 1;
                    int minRow = order[a];
                    while (b < last && relation(order[b], order[a], li, soAscEh) == vrEqual) {
                        minRow = std::min(minRow, order[b]);
                        ++b;
                    }
                    const Variant& key = keyOf(order[a], li);
                    while (j < data.size() &&
                           OrderedRelation(data[j]->KeyValue(), key, level->SortOrder()) == vrLessThan)
                        merged.push_back(data[j++]);
                    TGroupDataTreeNodeEh* group;
                    if (j < data.size() && KeyRelation(data[j]->KeyValue(), key) == vrEqual) {
                        group = data[j++];
                        if (group->DataSetRecordViewNo() == -1) group->FDataSetRecordViewNo = minRow;
                    } else {
                        group = NewNode();
                        // At its final depth from the start: its footers and records then
                        // get theirs once, not again when the group is attached.
                        group->SetLevel(parent->FLevel + 1);
                        InstantReadScope read(AIntMemTable, minRow);
                        FillGroupNode(group, level, key, minRow);
                    }
                    merged.push_back(group);
                    path[size_t(li)] = group;
                    build(group, li + 1, a, b);
                    a = b;
                }
                while (j < data.size())
                    merged.push_back(data[j++]);
            }
            merged.insert(merged.end(), footers.begin(), footers.end());
            parent->SetChildren(std::move(merged));
        };
    build(Root(), 0, 0, order.size());
}

void TGridGroupDataTreeEh::RebuildDataTree(IMemTableEh* AIntMemTable) {
    FIntMemTable = AIntMemTable;
    {
        BeginUpdate();
        const auto end = qScopeGuard([this] { EndUpdate(); });
        BuildSorted(AIntMemTable, false);
    }
    RebuildFlatVisibleList();
    UpdateAllDataRowHeights();
    assert(CheckConsistency() && "group tree after a build");
}

void TGridGroupDataTreeEh::RebuildDataTreeEx(IMemTableEh* AIntMemTable) {
    FIntMemTable = AIntMemTable;
    {
        BeginUpdate();
        const auto end = qScopeGuard([this] { EndUpdate(); });
        DeleteRecordNodes();
        BuildSorted(AIntMemTable, true);
        DeleteEmptyNodes();
    }
    RecalculateFootersValues();
    // Read for that pass only (it may not have run: no footers at all).
    FReadAheadTable = nullptr;
    FReadAheadFields.clear();
    FReadAheadValues.clear();
    RebuildFlatVisibleList();
    UpdateAllDataRowHeights();
    assert(CheckConsistency() && "group tree after a rebuild that keeps the groups");
}

// ---------------------------------------------------------------------------------------------
// Row events

void TGridGroupDataTreeEh::RenumberFrom(int RecNum, int Delta) {
    ForEachNode(Root(), [&](TGroupDataTreeNodeEh* node) {
        if (node->DataSetRecordViewNo() >= RecNum) node->SetViewNo(node->DataSetRecordViewNo() + Delta);
    });
}

void TGridGroupDataTreeEh::SetDataSetkeyValue() {
    const Variant key = FGridDataGroups->InsertingKeyValue();
    IDataGroupsGridEh* link = Link();
    if (!key.IsArray() || !link) return;
    for (int i = 0; i < FGridDataGroups->ActiveGroupLevelsCount() && i < key.ArrayHighBound(1); ++i) {
        TField* field = link->DGColumnField(FGridDataGroups->ActiveGroupColumns(i));
        // A key that no field can take (a computed key, a read-only field) is not written.
        if (field && field->CanModify()) field->SetValue(key[i]);
    }
}

void TGridGroupDataTreeEh::RecordInserted(int RecNum) {
    IMemTableEh* mt = MemTable();
    IDataGroupsGridEh* link = Link();
    RenumberFrom(RecNum, 1);
    TDataSet* ds = link ? link->DGDataSet() : nullptr;
    const bool ownInsert = ds && mt && ds->State() == dsInsert && mt->GetInstantReadCurRow() == RecNum;
    if (ownInsert) {
        // Written before the row is read, so the node goes where the record's values say.
        const auto clear = qScopeGuard([this] { FGridDataGroups->SetInsertingKeyValue(Variant()); });
        SetDataSetkeyValue();
    }
    TGroupDataTreeNodeEh* node;
    {
        InstantReadScope read(mt, RecNum);
        const Variant key = RecordKey(RecNum);
        node = AddRecordNodeForKey(key, RecNum);
        FillRecordNode(node, RecNum, key);
    }
    if (ownInsert) ExpandNodePathToView(node);
    FootersChanged({}, node);
    RebuildFlatVisibleList();
    TreeChanged();
    assert(CheckConsistency() && "group tree after an inserted row");
}

void TGridGroupDataTreeEh::UpdateRecordNodePosInTree(TGroupDataTreeNodeEh* Node, const Variant& NewKey) {
    // Nodes are about to be freed: the flat list must not hand them to the grid meanwhile.
    FFlatVisibleList.clear();
    // The node itself moves (the grid may hold it as its current node); groups it leaves
    // empty go.
    const int row = Node->DataSetRecordViewNo();
    TGroupDataTreeNodeEh* parent = Node->Parent();
    ExtractNode(Node, true);
    for (int i = 0; i < FGridDataGroups->ActiveGroupLevelsCount() && parent && parent != Root(); ++i) {
        if (parent->Count() > 0) break;
        TGroupDataTreeNodeEh* up = parent->Parent();
        DeleteNode(parent, true);
        parent = up;
    }
    InstantReadScope read(MemTable(), row);
    TGroupDataTreeNodeEh* placeholder = AddRecordNodeForKey(NewKey, row);
    AttachNode(Node, placeholder, naInsertEh, true);
    DeleteNode(placeholder, true);
    FillRecordNode(Node, row, NewKey);
}

void TGridGroupDataTreeEh::RecordChanged(int RecNum) {
    TGroupDataTreeNodeEh* node = GetNodeByRecordViewNo(RecNum);
    if (!node) {
        // The tree has lost step with the view: build it again, keeping the groups' states.
        RebuildDataTreeEx(MemTable());
        TreeChanged();
        return;
    }
    Variant key;
    {
        InstantReadScope read(MemTable(), RecNum);
        key = RecordKey(RecNum);
    }
    std::vector<TGroupDataTreeNodeEh*> left; // the groups the record leaves that still exist
    if (KeyRelation(key, node->FullKey()) != vrEqual) {
        left = GroupsKeptAfterRemoving(node);
        UpdateRecordNodePosInTree(node, key);
        // A record the user is on stays in sight in its new group.
        IDataGroupsGridEh* link = Link();
        if (link && link->DGCurDataNode() == node) ExpandNodePathToView(node);
        RebuildFlatVisibleList();
        TreeChanged();
    } else {
        // The record's new values may need another height; the node keeps the old one until told.
        node->RowDataChanged();
        if (IDataGroupsGridEh* link = Link())
            if (const int index = IndexOfVisibleNode(node); index >= 0) link->DGUpdateDataRowHeight(index);
    }
    FootersChanged(std::move(left), node);
    assert(CheckConsistency() && "group tree after a changed row");
}

void TGridGroupDataTreeEh::RecordDeleted(int RecNum) {
    TGroupDataTreeNodeEh* node = GetNodeByRecordViewNo(RecNum);
    const bool found = node != nullptr;
    std::vector<TGroupDataTreeNodeEh*> left = GroupsKeptAfterRemoving(node);
    DeleteRecordNode(node);
    RenumberFrom(RecNum + 1, -1);
    if (found)
        FootersChanged(std::move(left), nullptr);
    else
        RecalculateFootersValues();
    RebuildFlatVisibleList();
    TreeChanged();
    assert(CheckConsistency() && "group tree after a deleted row");
}

void TGridGroupDataTreeEh::TreeChanged() {
    if (IDataGroupsGridEh* link = Link()) link->DGGroupDataTreeChanged();
}

// ---------------------------------------------------------------------------------------------
// Footers, flat list, order

void TGridGroupDataTreeEh::RebuildFooters() {
    Root()->ResetFooters();
    ForEachNode(Root(), [](TGroupDataTreeNodeEh* node) {
        if (node->NodeType() == dntDataGroupEh) node->ResetFooters();
    });
    RecalculateFootersValues();
    UpdateAllDataRowHeights();
    RebuildFlatVisibleList();
}

void TGridGroupDataTreeEh::AggregateRecordToFooters(TGroupDataTreeNodeEh* RecNode) {
    FooterFeeder feeder;
    for (TGroupDataTreeNodeEh* p = RecNode->Parent(); p; p = p->Parent())
        for (int f = 0; f < p->FooterItemCount(); ++f)
            feeder.Prepare(p->GetFooterItem(f)->DataGroupFooter());
    feeder.ReadRecord();
    TGroupDataTreeNodeEh* node = RecNode;
    for (TGroupDataTreeNodeEh* parent = RecNode->Parent(); parent; node = parent, parent = parent->Parent())
        for (int f = 0; f < parent->FooterItemCount(); ++f)
            feeder.Feed(parent->GetFooterItem(f), node);
}

bool TGridGroupDataTreeEh::AnyFooters() const {
    bool any = FGridDataGroups->Footers()->Count() > 0;
    for (int i = 0; !any && i < FGridDataGroups->GroupLevels()->Count(); ++i)
        any = FGridDataGroups->GroupLevels()->GetDataGroup(i)->Footers()->Count() > 0;
    return any;
}

void TGridGroupDataTreeEh::RecalculateFootersValues() {
    if (!AnyFooters()) return;
    ComputeAllFooterValues();
    UpdateAllDataRowHeights();
    RebuildFlatVisibleList();
}

void TGridGroupDataTreeEh::ComputeAllFooterValues() {
    std::vector<TGroupDataTreeNodeEh*> footerNodes, recordNodes;
    auto collect = [&](TGroupDataTreeNodeEh* node) {
        if (node->NodeType() == dntDataGroupFooterEh && node->DataGroupFooter())
            footerNodes.push_back(node);
        else if (node->NodeType() == dntDataSetRecordEh && node != Root())
            recordNodes.push_back(node);
    };
    ForEachNode(Root(), collect);
    // Each record is read once and fed to the footers of all its groups.
    FooterFeeder feeder;
    for (TGroupDataTreeNodeEh* node : footerNodes) {
        node->FFooterValue.assign(size_t(node->DataGroupFooter()->ColumnItems()->Count()), Variant());
        feeder.Prepare(node->DataGroupFooter());
    }
    IMemTableEh* mt = MemTable();
    // Reading the records in tree order jumps about the table; with plain items only, their
    // values are read first in row order and then fed in tree order as before.
    const size_t fieldCount = feeder.Fields().size();
    const int rows = mt ? std::max(0, mt->InstantReadRowCount()) : 0;
    std::vector<Variant> ahead;
    size_t stride = fieldCount;
    bool mapped = false;
    // Values a build has just read with the keys are taken as they are.
    std::vector<TField*> readFields = std::move(FReadAheadFields);
    std::vector<Variant> readValues = std::move(FReadAheadValues);
    const bool readByBuild = FReadAheadTable && FReadAheadTable == mt && !readFields.empty() &&
                             readValues.size() == size_t(rows) * readFields.size();
    FReadAheadTable = nullptr;
    FReadAheadFields.clear();
    FReadAheadValues.clear();
    std::vector<size_t> readIndex;
    if (readByBuild)
        for (TField* f : feeder.Fields()) {
            const auto it = std::find(readFields.begin(), readFields.end(), f);
            if (it == readFields.end()) break;
            readIndex.push_back(size_t(it - readFields.begin()));
        }
    if (fieldCount > 0 && recordNodes.size() > 1 && feeder.AllPlain() &&
        ReadsHaveNoEffects(mt, feeder.Fields()) && readIndex.size() == fieldCount) {
        ahead = std::move(readValues);
        stride = readFields.size();
        mapped = true;
    } else if (fieldCount > 0 && recordNodes.size() > 1 && feeder.AllPlain() &&
               ReadsHaveNoEffects(mt, feeder.Fields())) {
        std::vector<unsigned char> used(size_t(rows), 0);
        for (TGroupDataTreeNodeEh* rec : recordNodes)
            if (const int row = rec->DataSetRecordViewNo(); row >= 0 && row < rows) used[size_t(row)] = 1;
        ahead.resize(size_t(rows) * fieldCount);
        for (int row = 0; row < rows; ++row) {
            if (!used[size_t(row)]) continue;
            InstantReadScope read(mt, row);
            for (size_t j = 0; j < fieldCount; ++j)
                ahead[size_t(row) * fieldCount + j] = feeder.Fields()[j]->Value();
        }
    }
    for (TGroupDataTreeNodeEh* rec : recordNodes) {
        const int row = rec->DataSetRecordViewNo();
        std::optional<InstantReadScope> read; // items of their own read the record as they are fed
        if (!ahead.empty() && row >= 0 && row < rows) {
            feeder.UseValues(&ahead[size_t(row) * stride], mapped ? &readIndex : nullptr);
        } else {
            read.emplace(mt, row);
            feeder.ReadRecord();
        }
        TGroupDataTreeNodeEh* node = rec;
        for (TGroupDataTreeNodeEh* parent = rec->Parent(); parent; node = parent, parent = parent->Parent())
            for (int f = 0; f < parent->FooterItemCount(); ++f)
                feeder.Feed(parent->GetFooterItem(f), node);
    }
    for (TGroupDataTreeNodeEh* node : footerNodes)
        feeder.Finalize(node);
}

bool TGridGroupDataTreeEh::FootersAggregatePlainly() const {
    auto plain = [](TGridDataGroupFootersEh* footers) {
        for (int i = 0; footers && i < footers->Count(); ++i) {
            TGridDataGroupFooterColumnItemsEh* items = footers->Footer(i)->ColumnItems();
            for (int k = 0; k < items->Count(); ++k)
                if (!items->Item(k)->AggregatesPlainly()) return false;
        }
        return true;
    };
    if (!plain(FGridDataGroups->Footers())) return false;
    for (int i = 0; i < FGridDataGroups->GroupLevels()->Count(); ++i)
        if (!plain(FGridDataGroups->GroupLevels()->GetDataGroup(i)->Footers())) return false;
    return true;
}

bool TGridGroupDataTreeEh::RecalculateFootersOf(const std::vector<TGroupDataTreeNodeEh*>& Groups) {
    if (!FootersAggregatePlainly()) return false;
    // A group's footer sees its records in depth-first order, as in a full pass, so every
    // value comes out the same as a full pass would give it.
    FooterFeeder feeder;
    IMemTableEh* mt = MemTable();
    for (TGroupDataTreeNodeEh* group : Groups) {
        std::vector<TGroupDataTreeNodeEh*> footers;
        for (int f = 0; f < group->FooterItemCount(); ++f) {
            TGroupDataTreeNodeEh* item = group->GetFooterItem(f);
            if (item->NodeType() != dntDataGroupFooterEh || !item->DataGroupFooter()) continue;
            item->FFooterValue.assign(size_t(item->DataGroupFooter()->ColumnItems()->Count()), Variant());
            feeder.Prepare(item->DataGroupFooter());
            footers.push_back(item);
        }
        group->RowDataChanged();
        if (footers.empty()) continue;
        for (int i = 0; i < group->Count(); ++i) {
            TGroupDataTreeNodeEh* top = group->GetDataItem(i);
            auto feed = [&](TGroupDataTreeNodeEh* node) {
                if (node->NodeType() != dntDataSetRecordEh) return;
                InstantReadScope read(mt, node->DataSetRecordViewNo());
                feeder.ReadRecord();
                for (TGroupDataTreeNodeEh* item : footers)
                    feeder.Feed(item, top);
            };
            feed(top);
            ForEachNode(top, feed);
        }
        for (TGroupDataTreeNodeEh* item : footers) {
            feeder.Finalize(item);
            item->RowDataChanged();
        }
    }
    return true;
}

std::vector<TGroupDataTreeNodeEh*>
TGridGroupDataTreeEh::GroupsKeptAfterRemoving(TGroupDataTreeNodeEh* Node) const {
    // The groups a removal deletes are those it empties, up the path, as DeleteRecordNode
    // walks it; the others are kept.
    std::vector<TGroupDataTreeNodeEh*> kept;
    TGroupDataTreeNodeEh* p = Node ? Node->Parent() : nullptr;
    for (int i = 0; i < FGridDataGroups->ActiveGroupLevelsCount() && p && p != Root() && p->Count() <= 1; ++i)
        p = p->Parent();
    for (; p; p = p->Parent())
        kept.push_back(p);
    return kept;
}

// After one record's values changed, were added or went: the footers of Groups and of the
// groups above Record are recomputed, every other footer keeps its value.
void TGridGroupDataTreeEh::FootersChanged(std::vector<TGroupDataTreeNodeEh*> Groups,
                                          TGroupDataTreeNodeEh* Record) {
    if (!AnyFooters()) return;
    for (TGroupDataTreeNodeEh* p = Record ? Record->Parent() : nullptr; p; p = p->Parent())
        if (std::find(Groups.begin(), Groups.end(), p) == Groups.end()) Groups.push_back(p);
    if (Groups.empty() || !RecalculateFootersOf(Groups)) {
        RecalculateFootersValues();
        return;
    }
    if (Record) Record->RowDataChanged();
    RebuildFlatVisibleList();
    // While a record is being edited or inserted its unposted values show through reads of its
    // row, and a full pass would take them in; the values agree again once it is posted.
    assert([this] {
        IDataGroupsGridEh* link = Link();
        TDataSet* ds = link ? link->DGDataSet() : nullptr;
        return (ds && (ds->State() == dsInsert || ds->State() == dsEdit)) || FootersMatchFullPass();
    }() && "footer values after an incremental update");
}

bool TGridGroupDataTreeEh::FootersMatchFullPass() {
    std::vector<std::pair<TGroupDataTreeNodeEh*, std::vector<Variant>>> kept;
    ForEachNode(Root(), [&](TGroupDataTreeNodeEh* node) {
        if (node->NodeType() == dntDataGroupFooterEh) kept.emplace_back(node, node->FFooterValue);
    });
    ComputeAllFooterValues();
    bool same = true;
    for (auto& [node, values] : kept) {
        const std::vector<Variant>& fresh = node->FFooterValue;
        if (fresh.size() != values.size()) same = false;
        for (size_t k = 0; same && k < values.size(); ++k)
            same = values[k].VType() == fresh[k].VType() &&
                   (values[k].IsNull() || values[k].IsEmpty() || values[k].IsArray() ||
                    KeyRelation(values[k], fresh[k]) == vrEqual);
        // Whatever the answer, the tree keeps the values it had.
        node->FFooterValue = std::move(values);
    }
    return same;
}

void TGridGroupDataTreeEh::CollectFlatVisible(std::vector<TGroupDataTreeNodeEh*>& List) const {
    List.clear();
    std::function<void(TGroupDataTreeNodeEh*)> walk = [&](TGroupDataTreeNodeEh* node) {
        const int count = node->Count();
        for (int i = 0; i < node->GetCount(); ++i) {
            auto* child = static_cast<TGroupDataTreeNodeEh*>(node->GetItem(i));
            if (!child->Visible()) continue;
            if (i >= count) {
                if (node == Root()) continue; // grand totals live in the grid's footer area
                TGridDataGroupLevelEh* level = node->DataGroupLevel();
                if (i == count && level && level->FooterInGroupRow()) continue; // shown in the group row
                if (child->DataGroupFooter() && !child->DataGroupFooter()->Visible()) continue;
                List.push_back(child);
                continue;
            }
            List.push_back(child);
            if (child->Expanded()) walk(child);
        }
    };
    walk(Root());
}

void TGridGroupDataTreeEh::RebuildFlatVisibleList() {
    CollectFlatVisible(FFlatVisibleList);
    TreeChanged();
}

void TGridGroupDataTreeEh::UpdateAllDataRowHeights() {
    ForEachNode(Root(), [](TGroupDataTreeNodeEh* node) { node->RowDataChanged(); });
}

void TGridGroupDataTreeEh::ResortLevel(int LevelIndex, TSortOrderEh SortOrder) {
    {
        BeginUpdate();
        const auto end = qScopeGuard([this] { EndUpdate(); });
        if (LevelIndex == 0) {
            Root()->SortDataChildren(SortOrder, false);
        } else {
            for (TGroupDataTreeNodeEh* n = GetFirstNodeAtLevel(LevelIndex); n;
                 n = GetNextNodeAtLevel(n, LevelIndex))
                n->SortDataChildren(SortOrder, false);
        }
    }
    RebuildFlatVisibleList();
}

void TGridGroupDataTreeEh::DeleteRecordNodesUpToLevel(int Level) {
    if (Level <= 0) return;
    // Nodes are about to be freed: the flat list must not hand them to the grid meanwhile.
    FFlatVisibleList.clear();
    std::function<void(TGroupDataTreeNodeEh*)> cut = [&](TGroupDataTreeNodeEh* node) {
        if (node->Level() == Level - 1) {
            std::vector<TGroupDataTreeNodeEh*> kept;
            bool dropped = false;
            for (int i = 0; i < node->GetCount(); ++i) {
                auto* child = static_cast<TGroupDataTreeNodeEh*>(node->GetItem(i));
                if (child->NodeType() == dntDataGroupEh) {
                    delete child;
                    dropped = true;
                } else {
                    kept.push_back(child);
                }
            }
            if (dropped) node->SetChildren(std::move(kept));
            return;
        }
        for (int i = 0; i < node->Count(); ++i)
            cut(node->GetDataItem(i));
    };
    cut(Root());
}

// ---------------------------------------------------------------------------------------------
// Consistency

bool TGridGroupDataTreeEh::CheckConsistency(String* Problem) const {
    String problem;
    auto fail = [&](const String& text) {
        if (problem.isEmpty()) problem = text;
        return false;
    };
    std::function<bool(TGroupDataTreeNodeEh*)> check = [&](TGroupDataTreeNodeEh* node) -> bool {
        const int count = node->Count();
        if (node->FooterItemCount() > node->GetCount())
            return fail(QStringLiteral("more footer items than children"));
        if (node != Root() && node->NodeType() == dntDataGroupEh && count == 0)
            return fail(QStringLiteral("empty group ") + node->DisplayValue());
        for (int i = 0; i < node->GetCount(); ++i) {
            auto* child = static_cast<TGroupDataTreeNodeEh*>(node->GetItem(i));
            if (child->Parent() != node || child->Index() != i || child->Level() != node->Level() + 1)
                return fail(QStringLiteral("bad parent, index or level"));
            if ((i >= count) != (child->NodeType() == dntDataGroupFooterEh))
                return fail(QStringLiteral("footer items are not the last children"));
            if (child->NodeType() == dntDataSetRecordEh) {
                const Variant& full = child->FullKey();
                if (!full.IsArray() ||
                    full[full.ArrayHighBound(1)] != Variant(Integer(child->DataSetRecordViewNo())))
                    return fail(QStringLiteral("record key does not end with its view row"));
            }
            if (i > 0 && i < count) {
                auto* prev = static_cast<TGroupDataTreeNodeEh*>(node->GetItem(i - 1));
                const TSortOrderEh order = child->NodeType() == dntDataGroupEh && child->DataGroupLevel()
                                               ? child->DataGroupLevel()->SortOrder()
                                               : soAscEh;
                const TVariantRelationship r = OrderedRelation(prev->KeyValue(), child->KeyValue(), order);
                if (r == vrEqual || r == vrGreaterThan) return fail(QStringLiteral("children out of order"));
            }
            if (!check(child)) return false;
        }
        return true;
    };
    bool ok = check(Root());
    if (ok) {
        std::vector<TGroupDataTreeNodeEh*> fresh;
        CollectFlatVisible(fresh);
        if (fresh != FFlatVisibleList) ok = fail(QStringLiteral("flat list out of date"));
    }
    if (Problem) *Problem = problem;
    return ok;
}
