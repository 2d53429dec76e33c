#include "lib/memtable/MemTreeEh.h"

#include "platform/rtl/SysUtils.h"

namespace {
[[noreturn]] void ListIndexError(int Index) {
    throw EListError(Format(QStringLiteral("List index out of bounds (%d)"), {Index}));
}
const char* const SDifferentOwners = "TBaseTreeNodeEh.Add: Tree nodes can not has different Owners";
} // namespace

// ---------------------------------------------------------------------------------------------
// TBaseTreeNodeEh

const String& TBaseTreeNodeEh::Text() const {
    static const String empty;
    return FText ? *FText : empty;
}

TBaseTreeNodeEh::~TBaseTreeNodeEh() {
    for (TBaseTreeNodeEh* child : FItems)
        delete child;
    FItems.clear();
}

TBaseTreeNodeEh* TBaseTreeNodeEh::GetItem(int Index) const {
    if (Index < 0 || Index >= GetCount()) ListIndexError(Index);
    return FItems[size_t(Index)];
}

int TBaseTreeNodeEh::GetVisibleCount() {
    if (FVisibleItemsObsolete) UpdateVisibleItems();
    return FVisibleCount;
}

const std::vector<TBaseTreeNodeEh*>& TBaseTreeNodeEh::GetVisibleItems() {
    if (FVisibleItemsObsolete) UpdateVisibleItems();
    return FVisibleCount == GetCount() ? FItems : FVisibleItems.View();
}

TBaseTreeNodeEh* TBaseTreeNodeEh::GetVisibleItem(int Index) {
    const auto& list = GetVisibleItems();
    if (Index < 0 || Index >= int(list.size())) ListIndexError(Index);
    return list[size_t(Index)];
}

bool TBaseTreeNodeEh::GetHasVisibleChildren() {
    if (FVisibleItemsObsolete) UpdateVisibleItems();
    return FHasVisibleChildren;
}

void TBaseTreeNodeEh::UpdateVisibleItems() {
    FVisibleItems.clear();
    for (TBaseTreeNodeEh* child : FItems) {
        if (child->FVisible) {
            child->FVisibleIndex = int(FVisibleItems.size());
            FVisibleItems.Get().push_back(child);
        }
    }
    FVisibleCount = int(FVisibleItems.size());
    FVisibleItemsObsolete = false;
    if (!FItems.empty()) FHasVisibleChildren = FVisibleCount > 0;
}

bool TBaseTreeNodeEh::ExpandedChanging() {
    return FOwner ? FOwner->ExpandedChanging(this) : true;
}

void TBaseTreeNodeEh::ExpandedChanged() {
    if (FOwner) FOwner->ExpandedChanged(this);
}

void TBaseTreeNodeEh::VisibleChanged() {
    if (FParent) FParent->ChildVisibleChanged(this);
}

void TBaseTreeNodeEh::ClearItems() {
    FItems.clear();
    FVisibleItems.clear();
    FVisibleCount = 0;
    FVisibleItemsObsolete = false;
}

void TBaseTreeNodeEh::WriteExpanded(bool Value) {
    if (Value == FExpanded) return;
    if (!ExpandedChanging()) return;
    FExpanded = Value;
    ExpandedChanged();
}

void TBaseTreeNodeEh::SetVisible(bool Value) {
    if (Value == FVisible) return;
    if (!VisibleChanging()) return;
    FVisible = Value;
    VisibleChanged();
}

void TBaseTreeNodeEh::SetLevel(int Level) {
    if (Level == FLevel) return;
    if (FOwner && Level > FOwner->MaxLevel())
        throw Exception(QStringLiteral("TBaseTreeNodeEh.SetLevel: Max level exceed - ") +
                        QString::number(FOwner->MaxLevel()));
    FLevel = Level;
    for (TBaseTreeNodeEh* child : FItems)
        child->SetLevel(Level + 1);
}

int TBaseTreeNodeEh::SubtreeHeight() const {
    int h = 0;
    for (TBaseTreeNodeEh* child : FItems)
        h = std::max(h, child->SubtreeHeight() + 1);
    return h;
}

int TBaseTreeNodeEh::Add(TBaseTreeNodeEh* Node) {
    if (Node->FOwner != FOwner) throw Exception(QString::fromLatin1(SDifferentOwners));
    const bool allVisible = AllChildrenVisible();
    FItems.push_back(Node);
    const int index = GetCount() - 1;
    if (allVisible && Node->FVisible) {
        Node->FVisibleIndex = index;
        ++FVisibleCount;
    }
    FVisibleItemsObsolete = true;
    return index;
}

void TBaseTreeNodeEh::Insert(int Index, TBaseTreeNodeEh* Node) {
    if (Node->FOwner != FOwner) throw Exception(QString::fromLatin1(SDifferentOwners));
    if (Index < 0 || Index > GetCount()) ListIndexError(Index);
    const bool allVisible = AllChildrenVisible();
    FItems.insert(FItems.begin() + Index, Node);
    if (allVisible && Node->FVisible)
        ++FVisibleCount;
    else
        FVisibleItemsObsolete = true;
}

void TBaseTreeNodeEh::Delete(int Index) {
    if (Index < 0 || Index >= GetCount()) ListIndexError(Index);
    const bool allVisible = AllChildrenVisible();
    FItems.erase(FItems.begin() + Index);
    if (allVisible)
        --FVisibleCount;
    else
        FVisibleItemsObsolete = true;
}

void TBaseTreeNodeEh::Exchange(int Index1, int Index2) {
    if (Index1 == Index2) return;
    if (Index1 < 0 || Index1 >= GetCount()) ListIndexError(Index1);
    if (Index2 < 0 || Index2 >= GetCount()) ListIndexError(Index2);
    std::swap(FItems[size_t(Index1)], FItems[size_t(Index2)]);
    FItems[size_t(Index1)]->FIndex = Index1;
    FItems[size_t(Index2)]->FIndex = Index2;
}

void TBaseTreeNodeEh::QuickSort(int L, int R, const TCompareNodesEh& Compare, TObject* ParamSort) {
    int I;
    do {
        I = L;
        int J = R;
        TBaseTreeNodeEh* pivot = FItems[size_t((L + R) / 2)];
        do {
            while (Compare(FItems[size_t(I)], pivot, ParamSort) < 0)
                ++I;
            while (Compare(FItems[size_t(J)], pivot, ParamSort) > 0)
                --J;
            if (I <= J) {
                Exchange(I, J);
                ++I;
                --J;
            }
        } while (I <= J);
        if (L < J) QuickSort(L, J, Compare, ParamSort);
        L = I;
    } while (I < R);
    if (FVisibleCount != GetCount()) FVisibleItemsObsolete = true;
}

void TBaseTreeNodeEh::SortChildren(TObject* ParamSort, bool ARecurse, const TCompareNodesEh& Compare) {
    if (FItems.empty()) return;
    QuickSort(0, GetCount() - 1, Compare, ParamSort);
    if (ARecurse)
        for (TBaseTreeNodeEh* child : FItems)
            child->SortChildren(ParamSort, true, Compare);
}

bool TBaseTreeNodeEh::IsInSubtreeOf(TBaseTreeNodeEh* Node) const {
    for (const TBaseTreeNodeEh* p = this; p; p = p->FParent) {
        if (FOwner && p == FOwner->Root()) return false;
        if (p == Node) return true;
    }
    return false;
}

int TBaseTreeNodeEh::PositionOf(TBaseTreeNodeEh* Child) const {
    // Trust FIndex only when it is current: inserts without re-indexing leave stale values.
    if (Child->FIndex >= 0 && Child->FIndex < GetCount() && FItems[size_t(Child->FIndex)] == Child)
        return Child->FIndex;
    for (int i = 0; i < GetCount(); ++i)
        if (FItems[size_t(i)] == Child) return i;
    return -1;
}

// ---------------------------------------------------------------------------------------------
// TTreeListEh

TTreeListEh::TTreeListEh(TTreeNodeClassEh ItemClass) : TComponent(nullptr), FItemClass(std::move(ItemClass)) {
    CreateRoot();
}

void TTreeListEh::CreateRoot() {
    if (FRoot) return;
    FRoot = FItemClass ? FItemClass() : new TBaseTreeNodeEh();
    FRoot->FOwner = this;
    FRoot->FLevel = 0;
}

TTreeListEh::~TTreeListEh() {
    delete FRoot;
    FRoot = nullptr;
}

TBaseTreeNodeEh* TTreeListEh::CreateNode(const String& Text, TObject* Data) {
    TBaseTreeNodeEh* node = FItemClass ? FItemClass() : new TBaseTreeNodeEh();
    node->FOwner = this;
    node->FData = Data;
    if (!Text.isEmpty()) node->FText = std::make_unique<String>(Text);
    node->FLevel = 0;
    node->FIndex = -1;
    return node;
}

TBaseTreeNodeEh* TTreeListEh::AddChild(const String& Text, TBaseTreeNodeEh* Parent, TObject* Data) {
    TBaseTreeNodeEh* node = CreateNode(Text, Data);
    try {
        AttachNode(node, Parent, naAddChildEh, true);
    } catch (...) {
        delete node;
        throw;
    }
    return node;
}

void TTreeListEh::CheckLevel(TBaseTreeNodeEh* Node, int NewLevel) const {
    // Checked before anything changes, so a refused attach leaves the tree as it was.
    if (NewLevel + Node->SubtreeHeight() > FMaxLevel)
        throw Exception(QStringLiteral("TBaseTreeNodeEh.SetLevel: Max level exceed - ") +
                        QString::number(FMaxLevel));
}

void TTreeListEh::AttachNode(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode,
                             bool ReIndex) {
    if (!Node || Node == FRoot) return;
    if (!Destination) Destination = FRoot;
    if (Destination == FRoot && Mode != naAddChildEh && Mode != naAddChildFirstEh) return;
    if (Node->FOwner != Destination->FOwner) throw Exception(QString::fromLatin1(SDifferentOwners));
    switch (Mode) {
    case naAddEh:
        AttachNode(Node, Destination->FParent, naAddChildEh, false);
        break;
    case naAddFirstEh:
        AttachNode(Node, Destination->FParent, naAddChildFirstEh, ReIndex);
        break;
    case naAddChildEh:
        CheckLevel(Node, Destination->FLevel + 1);
        Node->FParent = Destination;
        Destination->FHasChildren = true;
        Node->FIndex = Destination->Add(Node);
        Node->SetLevel(Destination->FLevel + 1);
        break;
    case naAddChildFirstEh:
        CheckLevel(Node, Destination->FLevel + 1);
        Node->FParent = Destination;
        Destination->FHasChildren = true;
        Destination->Insert(0, Node);
        Node->FIndex = 0;
        Node->SetLevel(Destination->FLevel + 1);
        if (ReIndex) ReIndexChildren(Destination, false, -1, -1);
        break;
    case naInsertEh: {
        TBaseTreeNodeEh* parent = Destination->FParent;
        if (!parent) return;
        CheckLevel(Node, parent->FLevel + 1);
        int pos = parent->PositionOf(Destination);
        if (pos < 0) return;
        Node->FParent = parent;
        parent->FHasChildren = true;
        parent->Insert(pos, Node);
        Node->FIndex = pos;
        Node->SetLevel(parent->FLevel + 1);
        if (ReIndex) ReIndexChildren(parent, false, Node->FIndex, -1);
        break;
    }
    case naAddAfterEh: {
        TBaseTreeNodeEh* parent = Destination->FParent;
        if (!parent) return;
        const int pos = parent->PositionOf(Destination);
        if (pos == parent->GetCount() - 1)
            AttachNode(Node, Destination, naAddEh, ReIndex);
        else
            AttachNode(Node, parent->FItems[size_t(pos + 1)], naInsertEh, ReIndex);
        break;
    }
    }
    NodeMoved(Node, false, -1, nullptr);
}

void TTreeListEh::MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode,
                         bool ReIndex) {
    if (!Node || Node == FRoot) return;
    if (!Destination) Destination = FRoot;
    if (Destination == FRoot && Mode != naAddChildEh && Mode != naAddChildFirstEh) return;
    if (Destination == Node || Destination->IsInSubtreeOf(Node))
        throw Exception(QStringLiteral("Reference-loop found"));
    // The level check runs before the node leaves its place.
    const int newLevel =
        (Mode == naAddChildEh || Mode == naAddChildFirstEh) ? Destination->FLevel + 1 : Destination->FLevel;
    CheckLevel(Node, newLevel);
    TBaseTreeNodeEh* oldParent = Node->FParent;
    if (oldParent) {
        const int pos = oldParent->PositionOf(Node);
        if (pos >= 0) oldParent->Delete(pos);
        oldParent->FHasChildren = oldParent->GetCount() > 0;
        if (ReIndex) ReIndexChildren(oldParent, false, -1, -1);
    }
    Node->FParent = nullptr;
    AttachNode(Node, Destination, Mode, ReIndex);
}

void TTreeListEh::ExtractNode(TBaseTreeNodeEh* Node, bool ReIndex) {
    if (!Node) return;
    TBaseTreeNodeEh* oldParent = Node->FParent;
    if (!oldParent) return;
    const int oldIndex = oldParent->PositionOf(Node);
    if (oldIndex < 0) return;
    const bool notLast = oldIndex < oldParent->GetCount() - 1;
    oldParent->Delete(oldIndex);
    oldParent->FHasChildren = oldParent->GetCount() > 0;
    if (ReIndex && notLast) ReIndexChildren(oldParent, false, -1, -1);
    NodeMoved(Node, true, oldIndex, oldParent);
}

void TTreeListEh::DeleteChildren(TBaseTreeNodeEh* Node) {
    if (!Node) return;
    std::vector<TBaseTreeNodeEh*> children;
    children.swap(Node->FItems);
    Node->ClearItems();
    for (TBaseTreeNodeEh* child : children)
        delete child;
}

void TTreeListEh::DeleteNode(TBaseTreeNodeEh* Node, bool ReIndex) {
    if (!Node || Node == FRoot) return;
    DeleteChildren(Node);
    ExtractNode(Node, ReIndex);
    delete Node;
}

void TTreeListEh::Clear() {
    DeleteChildren(FRoot);
}

void TTreeListEh::Expand(TBaseTreeNodeEh* Node, bool Recurse) {
    if (!Node) Node = FRoot;
    if (Node->GetCount() == 0) return;
    if (Node != FRoot) Node->WriteExpanded(true);
    if (Recurse)
        for (int i = 0; i < Node->GetCount(); ++i)
            Expand(Node->FItems[size_t(i)], true);
}

void TTreeListEh::Collapse(TBaseTreeNodeEh* Node, bool Recurse) {
    if (!Node) Node = FRoot;
    Node->WriteExpanded(false);
    if (Recurse)
        for (int i = 0; i < Node->GetCount(); ++i)
            Collapse(Node->FItems[size_t(i)], true);
}

bool TTreeListEh::HasChildren(TBaseTreeNodeEh* Node) const {
    return (Node ? Node : FRoot)->GetCount() > 0;
}

TBaseTreeNodeEh* TTreeListEh::GetFirstChild(TBaseTreeNodeEh* Node) const {
    return Node && Node->GetCount() > 0 ? Node->FItems.front() : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetLastChild(TBaseTreeNodeEh* Node) const {
    return Node && Node->GetCount() > 0 ? Node->FItems.back() : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetNextSibling(TBaseTreeNodeEh* Node) const {
    if (!Node || !Node->FParent) return nullptr;
    TBaseTreeNodeEh* p = Node->FParent;
    if (Node->FIndex < 0 || Node->FIndex >= p->GetCount() - 1) return nullptr;
    return p->FItems[size_t(Node->FIndex + 1)];
}

TBaseTreeNodeEh* TTreeListEh::GetPrevSibling(TBaseTreeNodeEh* Node) const {
    if (!Node || !Node->FParent || Node->FIndex <= 0) return nullptr;
    TBaseTreeNodeEh* p = Node->FParent;
    if (Node->FIndex > p->GetCount()) return nullptr;
    return p->FItems[size_t(Node->FIndex - 1)];
}

TBaseTreeNodeEh* TTreeListEh::GetNextVisibleSibling(TBaseTreeNodeEh* Node) const {
    if (!Node || !Node->FParent) return nullptr;
    TBaseTreeNodeEh* p = Node->FParent;
    const auto& vis = p->GetVisibleItems();
    if (p->FVisibleCount == p->GetCount()) return GetNextSibling(Node);
    const int next = Node->FVisibleIndex + 1;
    return next >= 0 && next < int(vis.size()) ? vis[size_t(next)] : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetFirst() const {
    return GetFirstChild(FRoot);
}

TBaseTreeNodeEh* TTreeListEh::GetNext(TBaseTreeNodeEh* Node) const {
    if (!Node) return nullptr;
    if (Node == FRoot) return FRoot;
    if (Node->GetCount() > 0) return Node->FItems.front();
    for (TBaseTreeNodeEh* n = Node; n && n != FRoot; n = n->FParent) {
        TBaseTreeNodeEh* s = GetNextSibling(n);
        if (s) return s;
    }
    return nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetPrevious(TBaseTreeNodeEh* Node) const {
    if (!Node) return nullptr;
    if (Node == FRoot) return FRoot;
    if (TBaseTreeNodeEh* s = GetPrevSibling(Node)) {
        TBaseTreeNodeEh* d = GetLastDescendant(s);
        return d ? d : s;
    }
    return Node->FParent == FRoot ? nullptr : Node->FParent;
}

TBaseTreeNodeEh* TTreeListEh::GetLastDescendant(TBaseTreeNodeEh* Node) const {
    if (!Node) Node = FRoot;
    if (Node->GetCount() == 0) return nullptr;
    while (Node->GetCount() > 0)
        Node = Node->FItems.back();
    return Node;
}

TBaseTreeNodeEh* TTreeListEh::GetNode(TBaseTreeNodeEh* StartNode, TObject* Data) const {
    if (!StartNode) StartNode = FRoot;
    for (TBaseTreeNodeEh* child : StartNode->FItems) {
        if (child->FData == Data) return child;
        if (TBaseTreeNodeEh* n = GetNode(child, Data)) return n;
    }
    return nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetFirstVisible() const {
    for (TBaseTreeNodeEh* child : FRoot->FItems)
        if (child->FVisible) return child;
    return nullptr;
}

bool TTreeListEh::GetPathVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const {
    if (!Node || Node == FRoot) return false;
    for (TBaseTreeNodeEh* p = Node->FParent; p; p = p->FParent) {
        if (p == FRoot) return true;
        if (!p->FVisible) return false;
        if (ConsiderCollapsed && !p->FExpanded) return false;
    }
    return false;
}

TBaseTreeNodeEh* TTreeListEh::GetNextVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const {
    if (!Node || Node == FRoot) return nullptr;
    if (!Node->FVisible || !GetPathVisible(Node, ConsiderCollapsed)) {
        // Restart from the nearest ancestor that is shown.
        TBaseTreeNodeEh* p = Node->FParent;
        while (true) {
            while (p && p != FRoot && ConsiderCollapsed && !p->FExpanded)
                p = p->FParent;
            if (!p || p == FRoot || (p->FVisible && GetPathVisible(p, ConsiderCollapsed))) break;
            while (p != FRoot && (!ConsiderCollapsed || (p->FParent && p->FParent->FExpanded)))
                p = p->FParent;
            if (p == FRoot) break;
            p = p->FParent;
        }
        Node = p ? p : FRoot;
    }
    TBaseTreeNodeEh* x = Node;
    if (Node->GetCount() > 0 && (Node->FExpanded || !ConsiderCollapsed || Node == FRoot)) {
        TBaseTreeNodeEh* first = Node->FItems.front();
        if (first->FVisible) return first;
        x = first;
    }
    while (true) {
        TBaseTreeNodeEh* parent = x->FParent;
        if (!parent) return nullptr;
        const int pos = parent->PositionOf(x);
        if (pos >= 0 && pos + 1 < parent->GetCount()) {
            x = parent->FItems[size_t(pos + 1)];
            if (x->FVisible) return x;
            continue;
        }
        x = parent;
        if (x == FRoot) return nullptr;
    }
}

void TTreeListEh::ReIndexChildren(TBaseTreeNodeEh* Node, bool Recurse, int FromIndex, int ToIndex) {
    if (!Node) Node = FRoot;
    Node->FVisibleItems.clear();
    if (FromIndex == -1) FromIndex = 0;
    if (ToIndex == -1) ToIndex = Node->GetCount() - 1;
    for (int i = std::max(0, FromIndex); i <= ToIndex && i < Node->GetCount(); ++i) {
        TBaseTreeNodeEh* child = Node->FItems[size_t(i)];
        child->FIndex = i;
        if (Recurse) ReIndexChildren(child, true, -1, -1);
    }
    Node->FVisibleItemsObsolete = true;
}

void TTreeListEh::SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse) {
    FRoot->SortChildren(ParamSort, ARecurse, CompareProg);
}

int TTreeListEh::CompareTreeNodes(TBaseTreeNodeEh*, TBaseTreeNodeEh*, TObject*) {
    return 0;
}

bool TTreeListEh::ExpandedChanging(TBaseTreeNodeEh* Node) {
    return OnExpandedChanging ? OnExpandedChanging(Node) : true;
}

void TTreeListEh::ExpandedChanged(TBaseTreeNodeEh* Node) {
    if (OnExpandedChanged) OnExpandedChanged(Node);
}

void TTreeListEh::NodeMoved(TBaseTreeNodeEh*, bool, int, TBaseTreeNodeEh*) {}
