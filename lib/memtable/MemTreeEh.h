#pragma once
// A general tree of nodes with a hidden root, per-node cached lists of visible children and
// depth-first and visible walks. The record tree of a records view and the data grid's grouping
// tree derive from it.

#include "platform/classes/Classes.h"

#include <functional>
#include <memory>
#include <vector>

class TTreeListEh;
class TBaseTreeNodeEh;

// An array most owners never fill: one pointer while absent. Reads as empty then; any
// assignment or Get() makes it present.
template <class T> class TSpareVectorEh {
public:
    using TVector = std::vector<T>;
    TSpareVectorEh() = default;
    TSpareVectorEh& operator=(const TVector& Values) {
        if (FValues)
            *FValues = Values;
        else
            FValues = std::make_unique<TVector>(Values);
        return *this;
    }
    TSpareVectorEh& operator=(TVector&& Values) {
        if (FValues)
            *FValues = std::move(Values);
        else
            FValues = std::make_unique<TVector>(std::move(Values));
        return *this;
    }
    operator const TVector&() const { return FValues ? *FValues : Empty(); }
    const TVector& View() const { return *this; }
    TVector& Get() {
        if (!FValues) FValues = std::make_unique<TVector>();
        return *FValues;
    }
    TVector Take() {
        TVector r = FValues ? std::move(*FValues) : TVector();
        FValues.reset();
        return r;
    }
    size_t size() const { return FValues ? FValues->size() : 0; }
    void clear() { FValues.reset(); }

private:
    static const TVector& Empty() {
        static const TVector empty;
        return empty;
    }
    std::unique_ptr<TVector> FValues;
};

enum TNodeAttachModeEh { naAddEh, naAddFirstEh, naAddChildEh, naAddChildFirstEh, naInsertEh, naAddAfterEh };

using TCompareNodesEh =
    std::function<int(TBaseTreeNodeEh* Node1, TBaseTreeNodeEh* Node2, TObject* ParamSort)>;
using TTreeNodeNotifyEvent = TEvent<void(TBaseTreeNodeEh* Sender)>;
using TTreeNodeNotifyResultEvent = TEvent<bool(TBaseTreeNodeEh* Sender)>;
// The node class a tree creates: a factory standing in for the virtual constructor.
using TTreeNodeClassEh = std::function<TBaseTreeNodeEh*()>;

class TBaseTreeNodeEh : public TPersistent {
    KVT_CLASS(TBaseTreeNodeEh, TPersistent)
public:
    TBaseTreeNodeEh() = default;
    // Frees the children (each its own subtree first). Callers detach the node first.
    ~TBaseTreeNodeEh() override;

    TBaseTreeNodeEh* GetItem(int Index) const; // EListError out of range
    int GetCount() const { return int(FItems.size()); }
    int GetVisibleCount();
    TBaseTreeNodeEh* GetVisibleItem(int Index);
    const std::vector<TBaseTreeNodeEh*>& GetVisibleItems();
    bool GetHasVisibleChildren();
    void UpdateVisibleItems();

    void WriteExpanded(bool Value);
    void SetVisible(bool Value);
    void SetLevel(int Level);
    int Add(TBaseTreeNodeEh* Node);
    void Insert(int Index, TBaseTreeNodeEh* Node);
    void Delete(int Index);
    void Exchange(int Index1, int Index2);
    void QuickSort(int L, int R, const TCompareNodesEh& Compare, TObject* ParamSort);
    virtual void SortChildren(TObject* ParamSort, bool ARecurse, const TCompareNodesEh& Compare);
    bool IsInSubtreeOf(TBaseTreeNodeEh* Node) const;

    TObject* Data() const { return FData; }
    void SetData(TObject* Value) { FData = Value; }
    const String& Text() const;
    bool Expanded() const { return FExpanded; }
    bool Visible() const { return FVisible; }
    bool HasChildren() const { return FHasChildren; }
    int Index() const { return FIndex; }
    int Level() const { return FLevel; }
    TTreeListEh* Owner() const { return FOwner; }
    TBaseTreeNodeEh* Parent() const { return FParent; }
    int VisibleIndex() const { return FVisibleIndex; }
    // Height of the subtree below this node (0 for a leaf).
    int SubtreeHeight() const;

protected:
    virtual bool ExpandedChanging();
    virtual bool VisibleChanging() { return true; }
    virtual void InvalidateVisibleItems() { FVisibleItemsObsolete = true; }
    virtual void ChildVisibleChanged(TBaseTreeNodeEh*) { InvalidateVisibleItems(); }
    virtual void ClearItems();
    virtual void ExpandedChanged();
    virtual void VisibleChanged();

    friend class TTreeListEh;
    // Ordered for a small node: a records view holds one per row.
    TObject* FData = nullptr;
    TTreeListEh* FOwner = nullptr;
    TBaseTreeNodeEh* FParent = nullptr;
    std::vector<TBaseTreeNodeEh*> FItems;
    std::unique_ptr<String> FText; // rows of a records view have none
    // Only a node with some children hidden keeps its own list of the visible ones.
    TSpareVectorEh<TBaseTreeNodeEh*> FVisibleItems;
    int FIndex = -1;
    int FLevel = 0;
    int FVisibleCount = 0;
    int FVisibleIndex = 0;
    bool FExpanded = false;
    bool FHasChildren = false;
    bool FHasVisibleChildren = false;
    bool FVisible = true;
    bool FVisibleItemsObsolete = false;

private:
    bool AllChildrenVisible() const { return !FVisibleItemsObsolete && FVisibleCount == GetCount(); }
    int PositionOf(TBaseTreeNodeEh* Child) const;
};

class TTreeListEh : public TComponent {
    KVT_CLASS(TTreeListEh, TComponent)
public:
    explicit TTreeListEh(TTreeNodeClassEh ItemClass);
    ~TTreeListEh() override;

    TBaseTreeNodeEh* CreateNode(const String& Text, TObject* Data);
    TBaseTreeNodeEh* AddChild(const String& Text, TBaseTreeNodeEh* Parent, TObject* Data);
    void AttachNode(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode,
                    bool ReIndex);
    virtual void MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode,
                        bool ReIndex);
    void ExtractNode(TBaseTreeNodeEh* Node, bool ReIndex);
    void DeleteChildren(TBaseTreeNodeEh* Node);
    void DeleteNode(TBaseTreeNodeEh* Node, bool ReIndex);
    void Clear();
    void Expand(TBaseTreeNodeEh* Node, bool Recurse);
    void Collapse(TBaseTreeNodeEh* Node, bool Recurse);
    bool HasChildren(TBaseTreeNodeEh* Node) const;

    TBaseTreeNodeEh* GetFirstChild(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetLastChild(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetNextSibling(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetPrevSibling(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetNextVisibleSibling(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetFirst() const;
    TBaseTreeNodeEh* GetNext(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetPrevious(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetLastDescendant(TBaseTreeNodeEh* Node) const;
    TBaseTreeNodeEh* GetNode(TBaseTreeNodeEh* StartNode, TObject* Data) const;
    TBaseTreeNodeEh* GetFirstVisible() const;
    bool GetPathVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const;
    TBaseTreeNodeEh* GetNextVisible(TBaseTreeNodeEh* Node, bool ConsiderCollapsed) const;
    void ReIndexChildren(TBaseTreeNodeEh* Node, bool Recurse, int FromIndex, int ToIndex);
    virtual void SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse);
    virtual int CompareTreeNodes(TBaseTreeNodeEh* Rec1, TBaseTreeNodeEh* Rec2, TObject* ParamSort);

    virtual bool ExpandedChanging(TBaseTreeNodeEh* Node);
    virtual void ExpandedChanged(TBaseTreeNodeEh* Node);
    virtual void NodeMoved(TBaseTreeNodeEh* Node, bool Removed, int OldIndex, TBaseTreeNodeEh* OldParent);

    TBaseTreeNodeEh* Root() const { return FRoot; }
    int MaxLevel() const { return FMaxLevel; }
    void SetMaxLevel(int Value) { FMaxLevel = Value; }

    TTreeNodeNotifyEvent OnExpandedChanged;
    TTreeNodeNotifyResultEvent OnExpandedChanging;

protected:
    // Subclasses that create the root themselves (after their own construction) call this.
    void CreateRoot();
    TTreeNodeClassEh FItemClass;
    int FMaxLevel = 1000;
    TBaseTreeNodeEh* FRoot = nullptr;

private:
    void CheckLevel(TBaseTreeNodeEh* Node, int NewLevel) const;
};
