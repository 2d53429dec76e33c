// The record tree of a records view: one node per record, placed under the node of the record
// its parent-reference fields name.
#include "lib/memtable/MemTableDataEh.h"

#include <algorithm>

namespace {
const char* const SReferenceLoop = "Reference-loop found";
}

// ---------------------------------------------------------------------------------------------
// TMemRecViewEh

TMemRecViewEh::~TMemRecViewEh() {
    if (TMemoryTreeListEh* owner = NodeOwner()) owner->NodeDestroying(this);
}

TMemoryTreeListEh* TMemRecViewEh::NodeOwner() const {
    return dynamic_cast<TMemoryTreeListEh*>(FOwner);
}

void TMemRecViewEh::SortByFields(const String& SortByStr) {
    TMemoryTreeListEh* owner = NodeOwner();
    TRecordsViewEh* view = owner ? owner->RecordsView() : nullptr;
    if (!view || !view->OnParseOrderByStr) return;
    std::unique_ptr<TOrderByList> list(view->OnParseOrderByStr(SortByStr));
    TCompareNodesEh compare = view->OnCompareTreeNode;
    if (!compare)
        compare = [owner](TBaseTreeNodeEh* a, TBaseTreeNodeEh* b, TObject* p) {
            return owner->CompareTreeNodes(a, b, p);
        };
    SortChildren(list.get(), false, compare);
    owner->VisibleItemsBecomeObsolete();
}

// ---------------------------------------------------------------------------------------------
// TMemoryTreeListEh

namespace {
class TMemoryTreeListOrderByList : public TOrderByList {
public:
    explicit TMemoryTreeListOrderByList(TMemoryTreeListEh* ATreeList) : FTreeList(ATreeList) {}
    int ResolveFieldIndex(const String& FieldName) override {
        TRecordsViewEh* v = FTreeList->RecordsView();
        TMemTableDataEh* md = v ? v->MemTableData() : nullptr;
        return md ? md->DataStruct()->FieldIndex(FieldName) : -1;
    }

private:
    TMemoryTreeListEh* FTreeList;
};
} // namespace

TMemoryTreeListEh::TMemoryTreeListEh(TRecordsViewEh* ARecordsViewEh)
    : TTreeListEh([] { return static_cast<TBaseTreeNodeEh*>(new TMemRecViewEh()); }),
      FOrderByList(std::make_unique<TMemoryTreeListOrderByList>(this)), FRecordsViewEh(ARecordsViewEh) {}

TMemoryTreeListEh::~TMemoryTreeListEh() {
    FInsertedNodeStack.clear();
    FVisibleExpandedItems.clear();
    FVisibleItems.clear();
    // The nodes go while this tree can still hear of them.
    delete FRoot;
    FRoot = nullptr;
    FNodeOfRec.clear();
}

void TMemoryTreeListEh::NodeDestroying(TMemRecViewEh* Node) {
    FVisibleItemsObsolete = true;
    if (std::find(FInsertedNodeStack.begin(), FInsertedNodeStack.end(), Node) != FInsertedNodeStack.end())
        FInsertedNodeStack.clear();
    if (TMemoryRecordEh* rec = Node->Rec()) {
        auto it = FNodeOfRec.find(rec);
        if (it != FNodeOfRec.end() && it->second == Node) FNodeOfRec.erase(it);
    }
}

TMemRecViewEh* TMemoryTreeListEh::NodeOfRecord(TMemoryRecordEh* Rec) const {
    auto it = FNodeOfRec.find(Rec);
    return it == FNodeOfRec.end() ? nullptr : it->second;
}

Variant TMemoryTreeListEh::KeyOf(TMemoryRecordEh* Rec) const {
    const auto& f = FRecordsViewEh->TreeViewKeyFields();
    if (!Rec || f.empty()) return Null();
    return Rec->GetDataIndexValues(f, dvvValueEh);
}

Variant TMemoryTreeListEh::ParentRefOf(TMemoryRecordEh* Rec) const {
    const auto& f = FRecordsViewEh->TreeViewRefParentFields();
    if (!Rec || f.empty()) return Null();
    return Rec->GetDataIndexValues(f, dvvValueEh);
}

TMTIndexEh* TMemoryTreeListEh::IndexFor(const String& Fields) const {
    if (Fields.isEmpty()) return nullptr;
    TMemTableDataEh* md = FRecordsViewEh->MemTableData();
    if (!md) return nullptr;
    TMTIndexEh* idx = md->RecordsList()->Indexes()->GetIndexForFields(Fields);
    return idx && idx->Active() ? idx : nullptr;
}

int TMemoryTreeListEh::CompareRecs(TMemoryRecordEh* R1, TMemoryRecordEh* R2) {
    return FRecordsViewEh->CompareRecords(R1, R2);
}

TMemRecViewEh* TMemoryTreeListEh::AddChildAtKey(const String& Name, const String& KeyFieldNames,
                                                const String& ParentFieldNames, TMemoryRecordEh* MemRecord) {
    const Variant ref = ParentRefOf(MemRecord);
    TMemRecViewEh* parent = nullptr;
    bool found = false, replaceTop = false;
    auto& st = FInsertedNodeStack;
    if (ref.IsNull() || ref.IsEmpty()) {
        // No parent reference: a top-level node, and the stack path starts again from it.
        st.clear();
        found = true;
    } else if (st.size() >= 2) {
        if (VariantsEqual(KeyOf(st[st.size() - 2]->Rec()), ref)) {
            parent = st[st.size() - 2];
            replaceTop = true;
            found = true;
        } else if (VariantsEqual(KeyOf(st.back()->Rec()), ref)) {
            parent = st.back();
            found = true;
        } else {
            st.pop_back();
            st.pop_back();
            while (!st.empty()) {
                if (VariantsEqual(KeyOf(st.back()->Rec()), ref)) {
                    parent = st.back();
                    found = true;
                    break;
                }
                st.pop_back();
            }
        }
    }
    if (!found) {
        if (TMTIndexEh* idx = IndexFor(KeyFieldNames)) {
            int recIndex = -1;
            if (idx->FindRecordIndexByKey(ref, recIndex))
                parent = NodeOfRecord(idx->RecordsList()->Rec(recIndex));
        } else {
            parent = GetParentNodeAtKey(nullptr, KeyFieldNames, ParentFieldNames, MemRecord);
        }
    }
    TMemRecViewEh* node = AddChild(Name, parent, MemRecord);

    if (FullBuildCheck) {
        std::vector<TMemRecViewEh*> children;
        if (TMTIndexEh* pidx = IndexFor(ParentFieldNames)) {
            std::vector<TMemoryRecordEh*> recs;
            pidx->FillMatchedRecsList(KeyOf(MemRecord), recs);
            for (TMemoryRecordEh* r : recs)
                if (TMemRecViewEh* n = NodeOfRecord(r)) children.push_back(n);
        } else {
            GetChildNodesForKey(nullptr, KeyFieldNames, ParentFieldNames, MemRecord, children);
        }
        std::sort(children.begin(), children.end(),
                  [](TMemRecViewEh* a, TMemRecViewEh* b) { return a->Rec()->Index() < b->Rec()->Index(); });
        for (TMemRecViewEh* c : children)
            if (c != node && c->FParent != node) MoveTo(c, node, naAddChildEh, true);
    }

    if (replaceTop && !st.empty())
        st.back() = node;
    else
        st.push_back(node);
    return node;
}

TMemRecViewEh* TMemoryTreeListEh::AddChild(const String& Name, TMemRecViewEh* Parent,
                                           TMemoryRecordEh* MemRecord) {
    if (!Parent) Parent = Root();
    const bool sorted = Sorted();
    auto* node = static_cast<TMemRecViewEh*>(TTreeListEh::AddChild(Name, Parent, MemRecord));
    FNodeOfRec[MemRecord] = node;
    TRecordsListEh* rl = MemRecord->RecordsList();
    const bool lastRecord = rl && MemRecord->Index() == rl->Count() - 1;
    const int last = Parent->GetCount() - 1; // the new node's position
    if (!lastRecord && !sorted && last > 0) {
        auto recOf = [Parent](int i) {
            return static_cast<TMemRecViewEh*>(Parent->FItems[size_t(i)])->Rec();
        };
        if (recOf(last - 1)->Index() > MemRecord->Index()) {
            int i = last - 1;
            while (i >= 0 && recOf(i)->Index() > MemRecord->Index())
                --i;
            MoveTo(node, Parent->FItems[size_t(i + 1)], naInsertEh, true);
        }
    }
    if (sorted && last > 0) {
        auto child = [Parent](int i) {
            return static_cast<TMemRecViewEh*>(Parent->FItems[size_t(i)])->Rec();
        };
        int pos;
        if (CompareRecs(child(0), MemRecord) > 0)
            pos = 0;
        else if (CompareRecs(child(last - 1), MemRecord) <= 0)
            pos = last;
        else {
            int lo = 0, hi = last - 1;
            // Invariant: child(lo) <= rec < child(hi).
            while (hi - lo > 1) {
                const int m = (lo + hi) / 2;
                if (CompareRecs(child(m), MemRecord) <= 0)
                    lo = m;
                else
                    hi = m;
            }
            pos = hi;
        }
        if (pos < last) MoveTo(node, Parent->FItems[size_t(pos)], naInsertEh, true);
    }
    node->WriteExpanded(DefaultNodeExpanded);
    node->FHasVisibleChildren = DefaultNodeHasChildren;
    FVisibleItemsObsolete = true;
    return node;
}

int TMemoryTreeListEh::GetIndexForNode(TMemoryRecordEh* Rec, TMemRecViewEh* ParentNode) {
    if (!ParentNode) ParentNode = Root();
    const int n = ParentNode->GetCount();
    auto recOf = [ParentNode](int i) {
        return static_cast<TMemRecViewEh*>(ParentNode->FItems[size_t(i)])->Rec();
    };
    if (!Sorted()) {
        if (n == 0 || recOf(n - 1)->Index() < Rec->Index()) return -1;
        int i = n - 1;
        while (i >= 0 && recOf(i)->Index() >= Rec->Index())
            --i;
        return i + 1;
    }
    if (n == 0 || CompareRecs(recOf(0), Rec) > 0) return 0;
    if (CompareRecs(recOf(n - 1), Rec) <= 0) return n;
    int lo = 0, hi = n - 1;
    while (hi - lo > 1) {
        const int m = (lo + hi) / 2;
        if (CompareRecs(recOf(m), Rec) <= 0)
            lo = m;
        else
            hi = m;
    }
    return hi;
}

TMemRecViewEh* TMemoryTreeListEh::UpdateParent(TMemRecViewEh* Node, const String& KeyFieldNames,
                                               const String& ParentFieldNames, TMemoryRecordEh* MemRecord,
                                               bool ReIndex) {
    // A parent lookup that finds no node places the record at the top level.
    TMemRecViewEh* p = GetParentNodeAtKey(nullptr, KeyFieldNames, ParentFieldNames, MemRecord);
    if (!p) p = Root();
    if (p == Node || p->IsInSubtreeOf(Node)) throw Exception(QString::fromLatin1(SReferenceLoop));
    if (p == Node->FParent) {
        if (Sorted()) {
            const int oldIndex = int(std::find(p->FItems.begin(), p->FItems.end(), Node) - p->FItems.begin());
            ExtractNode(Node, true);
            const int pos = GetIndexForNode(MemRecord, p);
            if (pos >= p->GetCount())
                AttachNode(Node, p, naAddChildEh, ReIndex);
            else
                AttachNode(Node, p->FItems[size_t(pos)], naInsertEh, ReIndex);
            if (pos != oldIndex) FVisibleItemsObsolete = true;
        }
        return p;
    }
    const int pos = GetIndexForNode(MemRecord, p);
    if (pos < 0 || pos >= p->GetCount())
        MoveTo(Node, p, naAddChildEh, ReIndex);
    else
        MoveTo(Node, p->FItems[size_t(pos)], naInsertEh, ReIndex);
    FVisibleItemsObsolete = true;
    return p;
}

void TMemoryTreeListEh::UpdateNodeState(TMemRecViewEh* Node, bool IsUpdateParent) {
    while (Node) {
        FVisibleItemsObsolete = true;
        if (Node == Root()) return;
        const bool visible = Node->GetHasVisibleChildren() && Node->GetCount() > 0
                                 ? true
                                 : FRecordsViewEh->IsRecordInView(Node->Rec(), -1, Node);
        Node->SetVisible(visible);
        if (FRecordsViewEh->OnCalcLookupBuffer) FRecordsViewEh->OnCalcLookupBuffer(Node->Rec(), Node);
        TMemRecViewEh* parent = Node->NodeParent();
        if (!IsUpdateParent || !parent || parent == Root() || parent->FVisible == Node->FVisible) return;
        Node = parent;
    }
}

void TMemoryTreeListEh::UpdateNodesState(TMemRecViewEh* Parent) {
    if (!Parent) Parent = Root();
    for (int i = 0; i < Parent->GetCount(); ++i) {
        auto* child = static_cast<TMemRecViewEh*>(Parent->FItems[size_t(i)]);
        UpdateNodesState(child);
        UpdateNodeState(child, false);
    }
}

void TMemoryTreeListEh::ShowChildrenOfVisibleNodes(TMemRecViewEh* Node) {
    if (!Node) Node = Root();
    for (int i = 0; i < Node->GetCount(); ++i) {
        auto* child = static_cast<TMemRecViewEh*>(Node->FItems[size_t(i)]);
        if (!child->FVisible) continue;
        if (!child->GetHasVisibleChildren() || child->GetCount() == 0)
            SetChildrenVisible(child, true, true);
        else
            ShowChildrenOfVisibleNodes(child);
    }
}

void TMemoryTreeListEh::SetChildrenVisible(TMemRecViewEh* Node, bool Value, bool Recurse) {
    if (!Node) Node = Root();
    for (int i = 0; i < Node->GetCount(); ++i) {
        auto* child = static_cast<TMemRecViewEh*>(Node->FItems[size_t(i)]);
        child->SetVisible(Value);
        if (Recurse) SetChildrenVisible(child, Value, true);
    }
    FVisibleItemsObsolete = true;
}

void TMemoryTreeListEh::BuildVisibleItems() {
    FVisibleExpandedItems.clear();
    FVisibleItems.clear();
    for (TBaseTreeNodeEh* n = GetFirstVisible(); n; n = GetNextVisible(n, true))
        FVisibleExpandedItems.push_back(static_cast<TMemRecViewEh*>(n));
    for (TBaseTreeNodeEh* n = GetFirstVisible(); n; n = GetNextVisible(n, false))
        FVisibleItems.push_back(static_cast<TMemRecViewEh*>(n));
    FVisibleItemsObsolete = false;
}

TMemRecViewEh* TMemoryTreeListEh::GetVisibleExpandedItem(int Index) {
    if (FVisibleItemsObsolete) BuildVisibleItems();
    if (Index < 0 || Index >= int(FVisibleExpandedItems.size())) return nullptr;
    return FVisibleExpandedItems[size_t(Index)];
}

TMemRecViewEh* TMemoryTreeListEh::GetAccountableItem(int Index) {
    if (FVisibleItemsObsolete) BuildVisibleItems();
    if (Index < 0 || Index >= int(FVisibleItems.size())) return nullptr;
    return FVisibleItems[size_t(Index)];
}

int TMemoryTreeListEh::GetVisibleExpandedCount() {
    if (FVisibleItemsObsolete) BuildVisibleItems();
    return int(FVisibleExpandedItems.size());
}

int TMemoryTreeListEh::GetAccountableCount() {
    if (FVisibleItemsObsolete) BuildVisibleItems();
    return int(FVisibleItems.size());
}

TMemRecViewEh* TMemoryTreeListEh::GetNode(TMemRecViewEh* StartNode, TMemoryRecordEh* MemRecord) {
    if (!StartNode || StartNode == Root()) return NodeOfRecord(MemRecord);
    return static_cast<TMemRecViewEh*>(TTreeListEh::GetNode(StartNode, MemRecord));
}

TMemRecViewEh* TMemoryTreeListEh::GetNodeAtValue(TMemRecViewEh* StartNode, const String& FieldNames,
                                                 const Variant& Value) {
    if (!StartNode) StartNode = Root();
    for (TBaseTreeNodeEh* c : StartNode->FItems) {
        auto* child = static_cast<TMemRecViewEh*>(c);
        if (VariantsEqual(child->Rec()->GetDataValues(FieldNames, dvvValueEh), Value)) return child;
        if (TMemRecViewEh* n = GetNodeAtValue(child, FieldNames, Value)) return n;
    }
    return nullptr;
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeAtKey(TMemRecViewEh* StartNode, const String& KeyFieldNames,
                                                     const String& ParentFieldNames,
                                                     TMemoryRecordEh* MemRecord) {
    if (!StartNode) StartNode = Root();
    const Variant ref = ParentRefOf(MemRecord);
    if (ref.IsNull() || ref.IsEmpty()) return Root();
    if (StartNode == Root()) {
        if (TMTIndexEh* idx = IndexFor(KeyFieldNames)) {
            int recIndex = -1;
            if (!idx->FindRecordIndexByKey(ref, recIndex)) return Root();
            return NodeOfRecord(idx->RecordsList()->Rec(recIndex));
        }
    }
    return GetParentNodeAtKeyValue(StartNode, KeyFieldNames, ParentFieldNames, ref);
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeAtKeyValue(TMemRecViewEh* StartNode,
                                                          const String& KeyFieldNames,
                                                          const String& ParentFieldNames,
                                                          const Variant& RefKeyValue) {
    if (!StartNode) StartNode = Root();
    // Iterative depth-first walk: deep trees must not exhaust the stack.
    std::vector<TBaseTreeNodeEh*> todo(StartNode->FItems.rbegin(), StartNode->FItems.rend());
    while (!todo.empty()) {
        auto* c = static_cast<TMemRecViewEh*>(todo.back());
        todo.pop_back();
        if (VariantsEqual(KeyOf(c->Rec()), RefKeyValue)) return c;
        todo.insert(todo.end(), c->FItems.rbegin(), c->FItems.rend());
    }
    (void)KeyFieldNames;
    (void)ParentFieldNames;
    return Root();
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeForRefValue(const Variant& RefValue) {
    TRecordsViewEh* v = FRecordsViewEh;
    if (TMTIndexEh* idx = IndexFor(v->TreeViewKeyFieldName())) {
        int recIndex = -1;
        if (!idx->FindRecordIndexByKey(RefValue, recIndex)) return nullptr;
        return NodeOfRecord(idx->RecordsList()->Rec(recIndex));
    }
    return GetParentNodeAtKeyValue(nullptr, v->TreeViewKeyFieldName(), v->TreeViewRefParentFieldName(),
                                   RefValue);
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeForRec(TMemoryRecordEh* MemRecord) {
    if (FInsertedNodeStack.empty()) return nullptr;
    TRecordsViewEh* v = FRecordsViewEh;
    if (TMTIndexEh* idx = IndexFor(v->TreeViewKeyFieldName())) {
        int recIndex = -1;
        if (!idx->FindRecordIndexByKey(ParentRefOf(MemRecord), recIndex)) return nullptr;
        return NodeOfRecord(idx->RecordsList()->Rec(recIndex));
    }
    return GetParentNodeAtKey(nullptr, v->TreeViewKeyFieldName(), v->TreeViewRefParentFieldName(), MemRecord);
}

void TMemoryTreeListEh::GetChildNodesForKey(TMemRecViewEh* StartNode, const String& KeyFieldNames,
                                            const String& ParentFieldNames, TMemoryRecordEh* MemRecord,
                                            std::vector<TMemRecViewEh*>& ChildList) {
    if (!StartNode) StartNode = Root();
    const Variant key = KeyOf(MemRecord);
    if (key.IsNull() || key.IsEmpty()) return;
    std::vector<TBaseTreeNodeEh*> todo(StartNode->FItems.rbegin(), StartNode->FItems.rend());
    while (!todo.empty()) {
        auto* c = static_cast<TMemRecViewEh*>(todo.back());
        todo.pop_back();
        if (VariantsEqual(ParentRefOf(c->Rec()), key)) {
            ChildList.push_back(c);
            continue;
        }
        todo.insert(todo.end(), c->FItems.rbegin(), c->FItems.rend());
    }
    (void)KeyFieldNames;
    (void)ParentFieldNames;
}

void TMemoryTreeListEh::GetRecordsList(std::vector<TMemoryRecordEh*>& List, TMemRecViewEh* Node,
                                       bool ARecurse) {
    if (!Node) Node = Root();
    for (TBaseTreeNodeEh* c : Node->FItems) {
        auto* child = static_cast<TMemRecViewEh*>(c);
        List.push_back(child->Rec());
        if (ARecurse) GetRecordsList(List, child, true);
    }
}

bool TMemoryTreeListEh::CheckReferenceLoop(TMemoryRecordEh* MemRecord, const Variant& NewRefValue) {
    const Variant ref = NewRefValue.IsEmpty() ? ParentRefOf(MemRecord) : NewRefValue;
    if (ref.IsNull() || ref.IsEmpty()) return false;
    if (VariantsRelation(ref, KeyOf(MemRecord)) == vrEqual) return true;
    for (TMemRecViewEh* n = GetParentNodeForRefValue(ref); n && n != Root(); n = n->NodeParent())
        if (n->Rec() == MemRecord) return true;
    return false;
}

void TMemoryTreeListEh::MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode,
                               bool ReIndex) {
    TTreeListEh::MoveTo(Node, Destination, Mode, ReIndex);
    FVisibleItemsObsolete = true;
}

void TMemoryTreeListEh::SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse) {
    TTreeListEh::SortData(CompareProg, ParamSort, ARecurse);
    BuildVisibleItems();
}

void TMemoryTreeListEh::Resort() {
    SortData([this](TBaseTreeNodeEh* a, TBaseTreeNodeEh* b, TObject* p) { return CompareTreeNodes(a, b, p); },
             FOrderByList.get(), true);
    BuildVisibleItems();
}

int TMemoryTreeListEh::CompareTreeNodes(TBaseTreeNodeEh* Rec1, TBaseTreeNodeEh* Rec2, TObject* ParamSort) {
    auto* n1 = static_cast<TMemRecViewEh*>(Rec1);
    auto* n2 = static_cast<TMemRecViewEh*>(Rec2);
    if (FViewOrder && ParamSort == FOrderByList.get())
        return FRecordsViewEh->CompareRecords(n1->Rec(), n2->Rec());
    if (FRecordsViewEh->OnCompareRecords)
        return FRecordsViewEh->OnCompareRecords(n1->Rec(), n2->Rec(), ParamSort);
    if (auto* list = dynamic_cast<TOrderByList*>(ParamSort))
        return TRecordsViewEh::CompareRecordsByOrderBy(n1->Rec(), n2->Rec(), list);
    return 0;
}

void TMemoryTreeListEh::ExpandedChanged(TBaseTreeNodeEh* Node) {
    FVisibleItemsObsolete = true;
    TTreeListEh::ExpandedChanged(Node);
}

void TMemoryTreeListEh::SetSortOrder(const String& Value) {
    if (Value == FSortOrder) return;
    bool viewOrder = false;
    try {
        FOrderByList->ParseOrderByStr(Value);
    } catch (const Exception&) {
        // The view resolved names the store lacks through its data set; order as it does.
        if (Value != FRecordsViewEh->SortOrder() || !FRecordsViewEh->Sorted()) throw;
        FOrderByList->Clear();
        viewOrder = true;
    }
    FViewOrder = viewOrder;
    for (int i = 0; i < FOrderByList->Count(); ++i)
        FOrderByList->Items(i)->CaseIns = FRecordsViewEh->SortOrderCaseInsensitive();
    FSortOrder = Value;
    Resort();
}
