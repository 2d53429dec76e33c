// Navigation in grouping mode: the grid's current group node, moving it through the tree's flat
// list, keeping the data set's cursor on the matching record, the keys of group and group
// footer rows, and inserts that land in the group where they started.
//
// A new record takes the keys of a group only when the user starts it inside that group
// (DataInsert, Insert on a group or footer row, stepping past the last record); any other
// insert or append clears a key left over, so that no record joins a group silently.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include "platform/ui/Messages.h"
#include "platform/ui/WinApi.h"

#include <algorithm>

namespace {
struct FlagScope {
    bool& Flag;
    bool Saved;
    explicit FlagScope(bool& f) : Flag(f), Saved(f) { Flag = true; }
    ~FlagScope() { Flag = Saved; }
};

bool OnlyCtrl(TShiftState Shift) {
    return Shift.Contains(ssCtrl) && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt);
}
bool NoShift(TShiftState Shift) {
    return !Shift.Contains(ssCtrl) && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt);
}
} // namespace

void TCustomDBGridEh::SetCurGroupNodeByViewRow(int ViewRow, bool Expand) {
    if (!FDataGrouping) return;
    TGroupDataTreeNodeEh* node = FDataGrouping->GroupDataTree()->GetNodeByRecordViewNo(ViewRow);
    if (Expand)
        SelectGroupNode(node, true);
    else
        SelectNearestVisibleNode(node, true);
}

void TCustomDBGridEh::SelectNearestVisibleNode(TGroupDataTreeNodeEh* Node, bool Show) {
    if (!Node) {
        FCurGroupDataNode = nullptr;
        return;
    }
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    while (Node->Parent() && Node->Parent() != tree->Root() && tree->IndexOfVisibleNode(Node) < 0)
        Node = Node->Parent();
    SelectGroupNode(Node, Show);
}

void TCustomDBGridEh::SelectGroupNode(TGroupDataTreeNodeEh* Node, bool Show) {
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    TGroupDataTreeNodeEh* oldNode = FCurGroupDataNode;
    const int oldTop = TopRow();
    if (Node) {
        // The node's path opens; the flat list follows each expansion.
        for (TGroupDataTreeNodeEh* p = Node->Parent(); p && p != tree->Root(); p = p->Parent())
            if (!p->Expanded()) p->SetExpanded(true);
        if (tree->IndexOfVisibleNode(Node) >= 0) FCurGroupDataNode = Node;
    }
    const int idx = tree->IndexOfVisibleNode(FCurGroupDataNode);
    int R = (idx < 0 ? 0 : idx) + TopDataOffset();
    if (R >= RowCount()) R = FixedRows();
    if (R != Row()) {
        InvalidateRow(Row());
        const bool isRecord = Node && Node->NodeType() == dntDataSetRecordEh;
        if (!isRecord) HideEditor();
        FocusCell(Col(), R, Show, Show && !FLockAutoShowCurCell && !RowPanelMode() && isRecord, true);
        // The row panel scrolls to the selected cell inside the row itself.
        if (RowPanelMode() && SelectedIndex() >= 0) ScrollRowPanelCellIntoView(SelectedIndex());
        InvalidateEditor();
        InvalidateRow(R);
        SyncDataSetToGroupNode();
    }
    if (FCurGroupDataNode && FCurGroupDataNode->NodeType() == dntDataSetRecordEh &&
        FOptions.Contains(dgAlwaysShowEditor) && SelectedColumn() &&
        SelectedColumn()->GetColumnType() != ctKeyImageList &&
        SelectedColumn()->GetColumnType() != ctCheckboxes && !FFilterEditMode)
        ShowEditor();
    InvalidateEditorIfFieldChanged();
    if (HasHideDuplicatesColumns() && TopRow() != oldTop) {
        InvalidateRow(TopRow());
        InvalidateRow(oldTop);
    }
    if (FCurGroupDataNode != oldNode)
        for (TDBGridEhScrollBarPanelControl* pc : {FHorzScrollBarPanelControl, FVertScrollBarPanelControl})
            if (pc && pc->Visible()) pc->Invalidate();
}

int TCustomDBGridEh::GroupDataMoveBy(int Distance, bool AppendAtEnd) {
    FCurGroupDataListEof = false;
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    int I = tree->IndexOfVisibleNode(FCurGroupDataNode);
    DataLink()->UpdateData();
    TDataSet* ds = DataLink()->DataSet();
    if (Distance != 0 && DataLink()->Active() &&
        (ds->State() == dsEdit || ds->State() == dsInsert || ds->State() == dsSetKey)) {
        if (ds->Modified())
            ds->Post();
        else
            ds->Cancel();
        I = tree->IndexOfVisibleNode(FCurGroupDataNode);
    }
    const int count = tree->FlatVisibleCount();
    if (count == 0) {
        // Nothing to select: an empty list ends the move on both ends.
        FCurGroupDataListBof = true;
        FCurGroupDataListEof = true;
        return 0;
    }
    if (I < 0) I = 0;
    if (Distance <= 0) {
        if (I + Distance < 0) {
            FCurGroupDataListBof = true;
            Distance = -I;
        }
        SelectGroupNode(tree->GetFlatVisibleItem(I + Distance), true);
    } else {
        FCurGroupDataListBof = false;
        if (I + Distance >= count) {
            FCurGroupDataListEof = true;
            TGroupDataTreeNodeEh* cur = tree->GetFlatVisibleItem(I);
            if (cur->NodeType() == dntDataSetRecordEh && I == count - 1) {
                if (!AppendAtEnd) return 0;
                // Appending past the last record: the new record joins that record's group.
                const int viewRow = FIntMemTable->GetInstantReadCurRow();
                Variant key = FDataGrouping->GetKeyValueForViewRecNo(viewRow);
                key.ArrayPut({key.ArrayHighBound(1)}, Variant(Integer(viewRow + 1)));
                FDataGrouping->SetInsertingKeyValue(key);
                if (FIntMemTable->InstantReadRowCount() == viewRow + 1) {
                    ds->Append();
                } else {
                    ds->Next();
                    ds->Insert();
                }
                return 0;
            }
            Distance = count - I - 1;
        }
        SelectGroupNode(tree->GetFlatVisibleItem(I + Distance), true);
    }
    SyncDataSetToGroupNode();
    return Distance;
}

void TCustomDBGridEh::SyncDataSetToGroupNode() {
    if (!DataLink()->Active() || FInternalUpdatingDatasetPos || !FDataGrouping ||
        !FDataGrouping->IsGroupingWorks())
        return;
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    if (tree->IndexOfVisibleNode(FCurGroupDataNode) < 0) return;
    TGroupDataTreeNodeEh* rec = FCurGroupDataNode;
    if (rec->NodeType() == dntDataGroupEh) {
        while (rec && rec->NodeType() != dntDataSetRecordEh)
            rec = rec->Count() > 0 ? rec->GetDataItem(0) : nullptr;
    } else if (rec->NodeType() == dntDataGroupFooterEh) {
        // The group's last record: the nearest record before the footer in tree order.
        TBaseTreeNodeEh* p = tree->GetPrevious(rec);
        while (p && static_cast<TGroupDataTreeNodeEh*>(p)->NodeType() != dntDataSetRecordEh)
            p = tree->GetPrevious(p);
        rec = static_cast<TGroupDataTreeNodeEh*>(p);
    }
    if (!rec) return;
    FlagScope internal(FInternalUpdatingDatasetPos);
    TDataSet* ds = DataLink()->DataSet();
    const int target = rec->DataSetRecordViewNo() + 1;
    if (ds->RecNo() <= 0)
        ds->SetRecNo(target);
    else if (ds->RecNo() != target)
        ds->MoveBy(target - ds->RecNo());
}

// ---------------------------------------------------------------------------------------------
// Keys

void TCustomDBGridEh::GroupTabStep(bool GoForward, bool OnFooter) {
    ClearSelectionOnMove();
    LockUpdate();
    struct Unlock {
        TCustomDBGridEh* g;
        ~Unlock() { g->UnlockUpdate(); }
    } unlock{this};
    if (!OnFooter) {
        MoveBy(GoForward ? 1 : -1);
        if (FCurGroupDataNode && FCurGroupDataNode->NodeType() != dntDataGroupEh) {
            TColumnEh* c = GoForward ? Columns()->GetFirstTabColumn() : Columns()->GetLastTabColumn();
            if (c) SetSelectedIndex(DataColOf(c));
        }
        return;
    }
    TColumnEh* cur = SelectedColumn();
    TColumnEh* next = cur ? Columns()->GetNextTabColumn(cur, GoForward) : nullptr;
    if (!next || next == cur) {
        MoveBy(GoForward ? 1 : -1);
        next = GoForward ? Columns()->GetFirstTabColumn() : Columns()->GetLastTabColumn();
    }
    if (next) SetSelectedIndex(DataColOf(next));
}

namespace {
bool CanStartInsert(TCustomDBGridEh* Grid) {
    TDataSet* ds = Grid->DataLink()->DataSet();
    return Grid->DataLink()->Active() && ds->CanModify() && !Grid->ReadOnly() &&
           Grid->Options().Contains(dgEditing);
}
} // namespace

void TCustomDBGridEh::GroupRowKeyDown(Word& Key, TShiftState Shift) {
    TGroupDataTreeNodeEh* node = FCurGroupDataNode;
    auto* level = node ? node->DataGroupLevel() : nullptr;
    if (!level) return;
    if (OnlyCtrl(Shift)) {
        switch (Key) {
        case VK_MULTIPLY:
            if (node->Expanded())
                level->CollapseNodes();
            else
                level->ExtractNodes();
            return;
        case VK_ADD:
            level->ExtractNodes();
            return;
        case VK_SUBTRACT:
            level->CollapseNodes();
            return;
        default:
            break;
        }
    }
    if (Key == VK_TAB && !Shift.Contains(ssAlt)) {
        if (Shift.Contains(ssShift))
            GroupTabStep(false, false);
        else if (!Shift.Contains(ssCtrl))
            GroupTabStep(true, false);
        return;
    }
    if (!NoShift(Shift)) return;
    switch (Key) {
    case VK_ESCAPE:
        DataLink()->Reset();
        ClearSelection();
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        if (FDBGridEhState == dgsColSizing || FDBGridEhState == dgsRowMoving ||
            FDBGridEhState == dgsGroupPanelTitleMoving || GridState() != gsNormal)
            Perform(WM_CANCELMODE, 0, 0);
        break;
    case VK_PRIOR:
        MoveBy(-VisibleDataRowCount());
        break;
    case VK_NEXT:
        MoveBy(VisibleDataRowCount());
        break;
    case VK_LEFT:
        if (node->Expanded())
            node->SetExpanded(false);
        else
            SmoothScrollBy(-GetHorzScrollStep(), 0);
        break;
    case VK_RIGHT:
        if (node->Expanded())
            SmoothScrollBy(GetHorzScrollStep(), 0);
        else
            node->SetExpanded(true);
        break;
    case VK_UP:
        MoveBy(-1);
        break;
    case VK_DOWN:
        MoveBy(1);
        break;
    case VK_INSERT:
        if (!CanStartInsert(this)) break;
        ClearSelectionOnMove();
        if (node->CanAppendDataRec()) node->AppendDataRec(FIntMemTable, DataLink()->DataSet());
        break;
    case VK_MULTIPLY:
        node->SetExpanded(!node->Expanded());
        break;
    case VK_ADD:
        node->SetExpanded(true);
        break;
    case VK_SUBTRACT:
        node->SetExpanded(false);
        break;
    default:
        break;
    }
}

void TCustomDBGridEh::GroupFooterRowKeyDown(Word& Key, TShiftState Shift) {
    TGroupDataTreeNodeEh* node = FCurGroupDataNode;
    if (!node) return;
    if (Key == VK_TAB && !Shift.Contains(ssAlt)) {
        GroupTabStep(!Shift.Contains(ssShift), true);
        return;
    }
    if (!NoShift(Shift)) return;
    switch (Key) {
    case VK_PRIOR:
        MoveBy(-VisibleDataRowCount());
        break;
    case VK_NEXT:
        MoveBy(VisibleDataRowCount());
        break;
    case VK_UP:
        MoveBy(-1);
        break;
    case VK_DOWN:
        MoveBy(1);
        break;
    case VK_HOME:
        SelectDataColumn(0, 1, false);
        break;
    case VK_END:
        SelectDataColumn(Columns()->Count() - 1, -1, false);
        break;
    case VK_LEFT:
    case VK_RIGHT: {
        if (FOptions.Contains(dgRowSelect)) break;
        ClearSelectionOnMove();
        const bool right = Key == VK_RIGHT;
        if (RowPanelMode() && FGridRowPanel->NavKeysNavigationType() == rpntCellToCellEh) {
            // In a row panel the neighbour is the cell beside this one in the panel.
            if (TColumnEh* cur = SelectedColumn()) {
                const int i = DataColOf(Columns()->GetNextHorzColumn(cur, right, false, false));
                if (i >= 0) SelectDataColumn(i, 0, false);
            }
            break;
        }
        // Hidden columns are stepped over.
        SelectDataColumn(SelectedIndex() + (right ? 1 : -1), right ? 1 : -1, false);
        break;
    }
    case VK_INSERT:
        if (!CanStartInsert(this)) break;
        ClearSelectionOnMove();
        if (node->CanAppendDataRec() && node->Parent())
            node->Parent()->AppendDataRec(FIntMemTable, DataLink()->DataSet());
        break;
    default:
        break;
    }
}

bool TCustomDBGridEh::GroupingKeyDown(Word& Key, TShiftState Shift) {
    if (!GroupingShowsRows() || !DataLink()->Active()) return false;
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    if (tree->IndexOfVisibleNode(FCurGroupDataNode) < 0) return false;
    switch (FCurGroupDataNode->NodeType()) {
    case dntDataGroupEh:
        GroupRowKeyDown(Key, Shift);
        Key = 0;
        return true;
    case dntDataGroupFooterEh:
        GroupFooterRowKeyDown(Key, Shift);
        Key = 0;
        return true;
    case dntDataSetRecordEh:
        return false;
    }
    return false;
}

void TCustomDBGridEh::DataInsert() {
    TDataSet* ds = DataLink()->DataSet();
    if (!ds) return;
    if (FDataGrouping && FDataGrouping->IsGroupingWorksWithLevel() && FIntMemTable) {
        const int viewRow = FIntMemTable->GetInstantReadCurRow();
        if (viewRow >= 0)
            FDataGrouping->SetInsertingKeyValue(FDataGrouping->GetKeyValueForViewRecNo(viewRow));
    }
    try {
        ds->Insert();
    } catch (...) {
        if (FDataGrouping) FDataGrouping->SetInsertingKeyValue(Variant());
        throw;
    }
}

void TCustomDBGridEh::DataAppend() {
    TDataSet* ds = DataLink()->DataSet();
    if (!ds) return;
    if (FDataGrouping) FDataGrouping->SetInsertingKeyValue(Variant());
    ds->Append();
}
