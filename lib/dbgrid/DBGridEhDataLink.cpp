// The data grid's data flow: reactions to the data link, the mapping of grid rows to records
// (plain mode over any data set, memory-table mode through the table's view), moving the
// current record and saving the position around long operations.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"
#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/dbgrid/DBGridEhSelection.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <QScopeGuard>

#include <algorithm>
#include <cassert>
#include <cstdlib>

namespace {
// Sets a re-entrancy flag for a scope; the flag is cleared however the scope is left.
struct FlagGuard {
    bool& Flag;
    explicit FlagGuard(bool& f) : Flag(f) { Flag = true; }
    ~FlagGuard() { Flag = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;
};
} // namespace

// ---------------------------------------------------------------------------------------------
// Reactions

void TCustomDBGridEh::WriteDataSource(TDataSource* Value) {
    if (Value == DataLink()->DataSource()) return;
    // A selection names records of the old data set.
    ClearSelection();
    if (TDataSource* old = DataLink()->DataSource()) old->RemoveFreeNotification(this);
    TCustomDBAxisGridEh::WriteDataSource(Value);
    if (FHorzScrollBarPanelControl) FHorzScrollBarPanelControl->ExtraPanel()->SetDataSource(Value);
    FSumList->SetDataSet(Value ? Value->DataSet() : nullptr);
    LayoutChanged();
    NotifyDesignControls();
}

void TCustomDBGridEh::UpdateMemTableInterface() {
    IMemTableEh* now = nullptr;
    TComponent* nowComponent = nullptr;
    if (TryUseMemTableInt() && DataLink() && DataLink()->Active()) {
        TDataSet* ds = DataLink()->DataSet();
        if (ds && !ds->ComponentState().Contains(csDestroying) && Supports<IMemTableEh>(ds, &now))
            nowComponent = ds;
    }
    FIntMemTable = now;
    if (now == FRegisteredMemTable) return;
    if (FRegisteredMemTable) FRegisteredMemTable->UnregisterEventReceiver(this);
    if (FIntMemTableComponent) FIntMemTableComponent->RemoveFreeNotification(this);
    FRegisteredMemTable = now;
    FIntMemTableComponent = nowComponent;
    // The search panel's filter belongs to the table left behind: it goes with it.
    if (FSearchData && FSearchData->FFilterObj) {
        TDBGridEhSearchData& d = *FSearchData;
        if (d.FFilterMemTable && d.FFilterDataSet &&
            !d.FFilterDataSet->ComponentState().Contains(csDestroying))
            d.FFilterMemTable->RemoveExtraFilter(d.FFilterObj);
        d.FFilterObj = nullptr;
        d.FFilterMemTable = nullptr;
        d.FFilterDataSet = nullptr;
    }
    if (FRegisteredMemTable) {
        FRegisteredMemTable->RegisterEventReceiver(this);
        FIntMemTableComponent->FreeNotification(this);
        // A new table is a whole new view.
        MTViewDataEvent(-1, mtViewDataChangedEh, -1);
    } else if (FDataGrouping && FDataGrouping->Active()) {
        // The group tree's record nodes stand for view rows of a table the grid no longer reads.
        TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
        tree->DeleteRecordNodes();
        tree->DeleteEmptyNodes();
        FCurGroupDataNode = nullptr;
    }
}

uint8_t TCustomDBGridEh::TopDataOffset() const {
    return uint8_t(GetTitleRowCount() + GetFilterRowCount());
}

int TCustomDBGridEh::GetTitleRowCount() const {
    return FOptions.Contains(dgTitles) ? 1 : 0;
}

int TCustomDBGridEh::GetFilterRowCount() const {
    return FSTFilter && FSTFilter->Visible() && FSTFilter->Location() == stflUnderTitleFilterEh ? 1 : 0;
}

bool TCustomDBGridEh::IsExtendedScrolling() {
    // The behaviour centre decides; the default centre scrolls memory tables by rows.
    return FIntMemTable != nullptr && Center() && Center()->UseExtendedScrollingForMemTable;
}

bool TCustomDBGridEh::HasHideDuplicatesColumns() {
    for (int i = 0; i < Columns()->Count(); ++i)
        if (Columns()->Columns(i)->HideDuplicates()) return true;
    return false;
}

void TCustomDBGridEh::CancelEditing() {
    TDataSet* ds = DataLink()->DataSet();
    if (!ds) return;
    TGroupDataTreeNodeEh* node = FCurGroupDataNode;
    if (GroupingShowsRows() && ds->State() == dsInsert && node && node->RecordNodeLastInGroup() &&
        !ds->Eof()) {
        // A new record below the last of its group: stepping back drops it (it holds no change)
        // and the grid's current group row follows the table's cursor again.
        const bool here = !FInternalUpdatingDatasetPos;
        if (here) FInternalUpdatingDatasetPos = true;
        const auto resync = qScopeGuard([this, here] {
            if (!here) return;
            FInternalUpdatingDatasetPos = false;
            GroupingFollowCursor();
        });
        ds->Prior();
        return;
    }
    ds->Cancel();
}

void TCustomDBGridEh::LinkActiveChanged(bool Value) {
    if (!Value && FRowDetailPanel && FRowDetailPanel->Visible()) FRowDetailPanel->SetVisible(false);
    UpdateMemTableInterface();
    // Bookmarks of the data set that went away mean nothing to the next one.
    SelectionLinkActiveChanged(Value);
    if (FSumList) FSumList->SetDataSet(DataSource() ? DataSource()->DataSet() : nullptr);
    if (UsesMemTable()) {
        if (FDataGrouping && FDataGrouping->IsGroupingWorks()) SortMarkingChanged();
        if (!ComponentState().Contains(csLoading)) MTViewDataEvent(-1, mtViewDataChangedEh, -1);
        RecalcDataRowCount();
    }
    ReleaseLastDataSet();
    if (FDestroying || ComponentState().Contains(csDestroying)) return;
    TCustomDBAxisGridEh::LinkActiveChanged(Value);
    UpdateVertScrollBar();
    UpdateMemTableInterface();
    Columns()->ActiveChanged();
    NotifyDesignControls();
}

void TCustomDBGridEh::LinkEditingChanged() {
    if (FIndicatorOffset && Row() >= TopDataOffset()) InvalidateCell(0, Row());
}

void TCustomDBGridEh::LinkDataSetChanged() {
    TCustomDBAxisGridEh::LinkDataSetChanged();
    if (!HandleAllocated() || FSumListRecalcing) return;
    // A group tree being rebuilt tells the grid itself when it is done.
    if (FDataGrouping && FDataGrouping->Active() && FDataGrouping->GroupDataTree()->UpdateCount() > 0) return;
    if (ComponentState().Contains(csDesigning) && FSumList && FSumList->Active()) {
        FlagGuard recalcing(FSumListRecalcing);
        FSumList->RecalcAll();
    }
    if (FIndicatorOffset && CheckIndicatorColWidthChanged())
        RequestLayoutUpdate();
    else
        RecalcDataRowCount();
    const bool vertShown = FVertScrollBar && FVertScrollBar->IsScrollBarVisible();
    UpdateVertScrollBar();
    if (FVertScrollBar && vertShown != FVertScrollBar->IsScrollBarVisible() && FAutoFitColWidths &&
        !ComponentState().Contains(csDesigning)) {
        // The client width changed with the bar: the columns are fitted again once the data
        // set's notifications are over.
        BeginLayout();
        FinishDeferredLayout();
    }
    LinkDataChanged();
    TDataSet* ds = DataLink()->DataSet();
    if (SelectedRows()->Count() > 0 && DataLink()->Active() &&
        !(ds->State() == dsEdit || ds->State() == dsInsert || ds->State() == dsSetKey))
        SelectedRows()->Refresh();
    InvalidateGrid();
}

void TCustomDBGridEh::LinkDataChanged() {
    // The cursor moving under an in-place search ends it, unless the search itself moved it.
    if (!InplaceSearchingInProcess()) StopInplaceSearch();
    RowDetailFollowRecord();
    if (UsesMemTable()) {
        SyncMemTableCursorRow(0);
        return;
    }
    if (!DataLink()->Active() || ComponentState().Contains(csLoading)) return;
    const int newRow = DataLink()->ActiveRecord() + TopDataOffset();
    if (newRow != Row() && newRow < RowCount()) {
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        const TGridCoord old = Current();
        FocusCell(Col(), newRow, false, false, true);
        InvalidateRow(old.Y);
        InvalidateRow(newRow);
        InvalidateEditor();
    }
    InvalidateEditorIfFieldChanged();
}

void TCustomDBGridEh::InvalidateEditorIfFieldChanged() {
    // The record's value changed under the editor (another control or code wrote the field).
    TField* f = DataLink()->Active() ? SelectedField() : nullptr;
    if (f && InplaceEditor() && InplaceEditor()->Text() != f->Text()) InvalidateEditor();
}

void TCustomDBGridEh::LinkDataSetScrolled(int Distance) {
    RowDetailFollowRecord();
    if (UsesMemTable()) {
        SyncMemTableCursorRow(Distance);
        return;
    }
    if (!HandleAllocated()) return;
    const int oldRow = Row();
    if (DataLink()->ActiveRecord() >= RowCount() - TopDataOffset()) RecalcDataRowCount();
    const bool vertShown = FVertScrollBar && FVertScrollBar->IsScrollBarVisible();
    UpdateVertScrollBar();
    if (FVertScrollBar && vertShown != FVertScrollBar->IsScrollBarVisible() && FAutoFitColWidths &&
        !ComponentState().Contains(csDesigning)) {
        // The bar took or gave back client width: the columns are fitted again.
        BeginLayout();
        FinishDeferredLayout();
    }
    LinkDataChanged();
    if (FIndicatorOptions.Contains(gioShowRecNoEh) && CheckIndicatorColWidthChanged()) RequestLayoutUpdate();
    if (IsBackgroundShowing()) {
        InvalidateGrid();
        return;
    }
    InvalidateRow(oldRow);
    InvalidateRow(Row());
    if (Distance != 0) {
        HideEditor();
        const auto reshow = qScopeGuard([this] {
            if (FOptions.Contains(dgAlwaysShowEditor)) ShowEditor();
        });
        if (VisibleRowCount() < std::abs(Distance)) {
            InvalidateGrid();
            return;
        }
        // The buffer window moved by Distance records: the painted rows move with it and only
        // the uncovered ones are painted anew.
        const int top = TopDataOffset();
        const int rowH = FStdDefaultRowHeight + (FOptions.Contains(dgRowLines) ? GridLineWidth() : 0);
        if (FIndicatorOffset && FSelRow >= top && FSelRow < RowCount()) InvalidateRow(FSelRow);
        const TRect first = CellRect(0, top);
        TRect area = BoxRect(0, top, GetFullColCount() - 1, RowCount() - 1);
        area.Top = first.Top;
        area.Right = ClientWidth();
        ScrollWindowEx(Handle(), 0, -rowH * Distance, &area, &area, nullptr, nullptr, SW_INVALIDATE);
        if (FIndicatorOffset) InvalidateRow(Row());
        if (FOptionsEh.Contains(dghHotTrack) && FHotTrackCell.Y >= top) {
            FHotTrackCell.Y -= Distance;
            const TPoint p = CursorClientPos();
            UpdateHotTrackInfo(p.X, p.Y);
        }
        if (HasHideDuplicatesColumns()) InvalidateRow(top);
    }
    InvalidateFooter();
    if (UpdateLock() == 0) Update();
}

void TCustomDBGridEh::MTViewDataEvent(int RowNum, TMTViewEventTypeEh Event, int OldRowNum) {
    if (!DataLink()->Active()) return;
    if (GroupingMTViewDataEvent(RowNum, Event, OldRowNum)) return;
    RecalcMemTableRowCount();
    FollowViewEventRowHeights(RowNum, Event);
}

// ---------------------------------------------------------------------------------------------
// Row counts

void TCustomDBGridEh::RecalcDataRowCount() {
    // Showing or hiding the scroll bar resizes the grid, which asks for this again.
    if (FRecalcingRows) return;
    FlagGuard guard(FRecalcingRows);
    if (UsesMemTable())
        RecalcMemTableRowCount();
    else
        RecalcPlainRowCount();
    // The footer rows follow the data rows: their heights move with the row count.
    ApplyFooterRowHeights();
    // The cursor may still be moving (a view event comes before the data set's resync): only
    // the structure is checked here.
    assert(CheckDataConsistency(false));
}

int TCustomDBGridEh::VisibleDataRowCapacity() {
    // The margins of the scroll-bar panels hold no rows.
    int h = ClientHeight() - OutBoundaryData()->TopIndent() - OutBoundaryData()->BottomIndent();
    for (int r = 0; r < TopDataOffset() && r < RowCount(); ++r)
        h -= RowHeights(r) + GridLineWidth();
    const int rowH = std::max(1, FStdDefaultRowHeight + GridLineWidth());
    return std::max(1, h / rowH);
}

void TCustomDBGridEh::SafeSetRowCount(int Value) {
    if (Row() >= Value) FocusCell(Col(), Value - 1, false, false, true);
    SetRowCount(Value);
}

void TCustomDBGridEh::RecalcPlainRowCount() {
    const int top = TopDataOffset();
    const int oldCount = RowCount();
    if (RowCount() <= top) SafeSetRowCount(top + 1);
    FOldTopLeft = TopLeft();
    // The height left for data rows: the client less the titles, the filter row and the footers.
    const int L = FOptions.Contains(dgRowLines) ? GridLineWidth() : 0;
    const int R = FStdDefaultRowHeight + L;
    int H = 0;
    for (int r = 0; r < top && r < RowCount(); ++r)
        H += RowHeights(r) + L;
    if (FooterRowCount() > 0) H += R * FooterRowCount() + L;
    SetTopRow(FixedRows());
    if (DataLink()->Active() && DataLink()->RecordCount() != 0 && HandleAllocated()) {
        const int N = std::max(
            1, (ClientHeight() - OutBoundaryData()->TopIndent() - OutBoundaryData()->BottomIndent() - H) /
                   std::max(1, R));
        try {
            // The link's buffer holds exactly the visible page.
            DataLink()->SetBufferCount(N);
        } catch (Exception& e) {
            ReportFetchError(e);
        }
        SafeSetRowCount(std::max(1, DataLink()->RecordCount()) + top);
        LinkDataChanged();
    } else {
        SafeSetRowCount(top + 1);
    }
    if (TopRow() != top) SetTopRow(top);
    UpdateScrollRange();
    UpdateVertScrollBar();
    if (RowCount() != oldCount) InvalidateGrid();
}

void TCustomDBGridEh::RecalcMemTableRowCount() {
    if (GroupingShowsRows()) {
        GroupDataTreeChanged();
        return;
    }
    const int top = TopDataOffset();
    if (!DataLink()->Active() || !FIntMemTable) {
        SafeSetRowCount(top + 1);
        return;
    }
    int n = 0;
    try {
        n = FIntMemTable->InstantReadRowCount();
    } catch (Exception& e) {
        ReportFetchError(e);
    }
    SafeSetRowCount(top + std::max(1, n));
    const int viewRow = FIntMemTable->GetInstantReadCurRow();
    const int cur = viewRow < 0 ? top : viewRow + top;
    if (cur < RowCount() && cur != Row()) {
        const TGridCoord old = Current();
        FocusCell(Col(), cur, !FLockAutoShowCurCell, false, true);
        InvalidateRow(old.Y);
        InvalidateRow(cur);
    }
    if (HandleAllocated()) ClampTopRow();
    // Row heights that follow the column widths are fitted once the whole view is known.
    if (FColWidthsChanged && HandleAllocated() && DataRowCount() == FullDataRowCount()) {
        FColWidthsChanged = false;
        UpdateAllDataRowHeights();
    }
    FetchRecordsToFillPage();
    UpdateVertScrollBar();
    InvalidateGrid();
}

void TCustomDBGridEh::SyncMemTableCursorRow(int Distance) {
    if (!InplaceSearchingInProcess()) StopInplaceSearch();
    if (!DataLink()->Active() || !FIntMemTable) return;
    if (GroupingShowsRows()) {
        // The rows of the record left and of the record reached repaint (their indicators).
        if (Distance != 0) {
            TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
            const int viewRow = FIntMemTable->GetInstantReadCurRow();
            for (int v : {viewRow, viewRow - Distance})
                if (const int i = tree->IndexOfVisibleRecordViewNo(v); i >= 0)
                    InvalidateRow(i + TopDataOffset());
        }
        if (GroupingFollowCursor()) {
            if (FIndicatorOffset) InvalidateCol(0);
            InvalidateFooter();
            UpdateVertScrollBar();
            return;
        }
    }
    if (Row() >= TopDataOffset()) InvalidateRow(Row());
    if (ComponentState().Contains(csLoading)) return;
    const int top = TopDataOffset();
    const int oldTop = TopRow();
    int n = FIntMemTable->InstantReadRowCount();
    // The cursor may have moved to a row the view has not reported yet.
    if (RowCount() != top + std::max(1, n)) SafeSetRowCount(top + std::max(1, n));
    const int viewRow = FIntMemTable->GetInstantReadCurRow();
    int newRow = viewRow + top;
    if (viewRow < 0 || newRow >= RowCount()) newRow = FixedRows();
    if (newRow != Row()) {
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        const bool show = !FLockAutoShowCurCell && !RowPanelMode();
        if (FLockAutoShowCurCell || Col() >= FIndicatorOffset) {
            FocusCell(Col(), newRow, show, false, true);
        } else {
            // Scrolling the new row into view goes by a data column; the current column stays.
            const int oldCol = Col();
            FocusCell(FixedCols(), newRow, show, false, true);
            FocusCell(oldCol, newRow, false, false, false);
        }
        if (RowPanelMode()) ScrollRowPanelCellIntoView(SelectedIndex());
        InvalidateEditor();
        InvalidateRow(newRow);
    }
    if (EditorMode()) InvalidateEditorIfFieldChanged();
    if (HasHideDuplicatesColumns() && TopRow() != oldTop) {
        InvalidateRow(TopRow());
        InvalidateRow(oldTop);
    }
    InvalidateFooter();
    UpdateVertScrollBar();
}

void TCustomDBGridEh::FetchRecordsToFillPage() {
    if (FFetchingRecords || !FIntMemTable) return;
    FlagGuard guard(FFetchingRecords);
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    try {
        if (di.Vert.GridBoundary < di.Vert.GridExtent)
            FIntMemTable->FetchRecords(
                (di.Vert.GridExtent - di.Vert.GridBoundary) / std::max(1, FStdDefaultRowHeight) + 1);
        else if (di.Vert.LastFullVisibleCell == RowCount() - 1)
            FIntMemTable->FetchRecords(1);
    } catch (Exception& e) {
        ReportFetchError(e);
    }
}

void TCustomDBGridEh::ReportFetchError(const Exception& E) {
    // One failure is one report: a paint or layout that runs into the same fault again stays
    // quiet until a fetch succeeds.
    if (FInFetchErrorReport || E.Message() == FLastFetchError) return;
    FlagGuard guard(FInFetchErrorReport);
    FLastFetchError = E.Message();
    try {
        throw E;
    } catch (...) {
        Application->HandleException(this);
    }
}

int TCustomDBGridEh::FullDataRowCount() {
    if (!DataLink()->Active()) return 0;
    if (GroupingShowsRows()) return FDataGrouping->GroupDataTree()->FlatVisibleCount();
    if (FIntMemTable) return FIntMemTable->InstantReadRowCount();
    return DataLink()->RecordCount();
}

// ---------------------------------------------------------------------------------------------
// Reading a row without moving the cursor

void TCustomDBGridEh::InstantReadRowEnter(int DataRow) {
    DataRow = GroupingReadRowEnter(DataRow);
    if (FIntMemTable) {
        FOldActiveRecord.push_back(FIntMemTable->GetInstantReadCurRow());
        FIntMemTable->InstantReadEnter(DataRow);
    } else {
        FOldActiveRecord.push_back(DataLink()->ActiveRecord());
        DataLink()->SetActiveRecord(DataRow);
    }
}

void TCustomDBGridEh::InstantReadRowLeave() {
    assert(!FOldActiveRecord.empty() && "unpaired InstantReadRowLeave");
    if (FOldActiveRecord.empty()) return;
    const int saved = FOldActiveRecord.back();
    FOldActiveRecord.pop_back();
    GroupingReadRowLeave();
    if (FIntMemTable)
        FIntMemTable->InstantReadLeave();
    else
        DataLink()->SetActiveRecord(saved);
}

bool TCustomDBGridEh::IsDataRowCurrent(int DataRow) {
    if (!DataLink()->Active()) return false;
    if (GroupingShowsRows()) return FCurGroupDataNode && FlatNode(DataRow) == FCurGroupDataNode;
    if (FIntMemTable) {
        if (DataRow != FIntMemTable->GetInstantReadCurRow()) return false;
    } else {
        // Inside a read of another row the link's active record is that row's.
        const int active = FOldActiveRecord.empty() ? DataLink()->ActiveRecord() : FOldActiveRecord.front();
        if (DataRow != active) return false;
    }
    return !DataLink()->DataSet()->IsEmpty();
}

int TCustomDBGridEh::DataRowToRecNo(int DataRow) {
    if (!DataLink()->Active()) return 0;
    if (GroupingShowsRows()) {
        TGroupDataTreeNodeEh* node = FlatNode(DataRow);
        return node && node->NodeType() == dntDataSetRecordEh ? node->DataSetRecordViewNo() + 1 : 0;
    }
    if (FIntMemTable) return DataRow + 1;
    InstantReadRowEnter(DataRow);
    struct Leave {
        TCustomDBGridEh* g;
        ~Leave() { g->InstantReadRowLeave(); }
    } leave{this};
    return DataLink()->DataSet()->RecNo();
}

// ---------------------------------------------------------------------------------------------
// Moving

int TCustomDBGridEh::MoveBy(int Distance) {
    if (!DataLink()->Active()) return 0;
    // The detail panel belongs to the current record: it closes first, or nothing moves.
    if (FRowDetailPanel && FRowDetailPanel->Visible()) {
        FRowDetailPanel->SetVisible(false);
        if (FRowDetailPanel->Visible()) return 0;
    }
    if (GroupingShowsRows()) return GroupDataMoveBy(Distance, false);
    return DataLink()->MoveBy(Distance);
}

bool TCustomDBGridEh::Eof() {
    return DataLink()->Eof();
}

bool TCustomDBGridEh::BOF() {
    return DataLink()->BOF();
}

void TCustomDBGridEh::SaveBookmark() {
    TDataSet* ds = DataLink()->DataSet();
    if (FIntMemTable) {
        FLockedBookmark = ds->Bookmark();
        return;
    }
    const int rc = DataLink()->RecordCount();
    FLookedOffset = DataLink()->ActiveRecord() - (rc / 2) + ((rc + 1) % 2);
    DataLink()->MoveBy(-FLookedOffset);
    // The record comes back to its place however taking the bookmark ends.
    struct Back {
        TCustomDBGridEh* g;
        ~Back() noexcept(false) { g->DataLink()->MoveBy(g->FLookedOffset); }
    } back{this};
    FLockedBookmark = ds->Bookmark();
}

void TCustomDBGridEh::RestoreBookmark() {
    DataLink()->DataSet()->GotoBookmark(FLockedBookmark);
    if (!FIntMemTable) DataLink()->MoveBy(FLookedOffset);
}

void TCustomDBGridEh::DoExit() {
    if (DataLink()->Active()) {
        TDataSet* ds = DataLink()->DataSet();
        try {
            if (FOptions.Contains(dgCancelOnExit) && ds->State() == dsInsert && !ds->Modified() &&
                !DataLink()->IsModified())
                ds->Cancel();
            else
                DataLink()->UpdateRecord();
        } catch (...) {
            SetFocus();
            throw;
        }
    }
    TCustomDBAxisGridEh::DoExit();
    if (Row() >= TopDataOffset()) InvalidateRow(Row());
}

// ---------------------------------------------------------------------------------------------
// Consistency

bool TCustomDBGridEh::CheckDataConsistency(bool WithCurrent) {
    if (!CheckConsistency()) return false;
    const int top = TopDataOffset();
    if (FixedRows() != top && RowCount() > top) return false;
    if (RowCount() < top + 1) return false;
    if (!DataLink()->Active()) return true;
    if (GroupingShowsRows()) {
        // Grouping: the rows are the tree's flat list and the current row is the current node's.
        TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
        if (RowCount() != top + tree->FlatVisibleCount()) return false;
        const int idx = tree->IndexOfVisibleNode(FCurGroupDataNode);
        if (WithCurrent && idx >= 0 && Row() != idx + top) return false;
        return tree->CheckConsistency();
    }
    if (FIntMemTable) {
        if (RowCount() != top + std::max(1, FIntMemTable->InstantReadRowCount())) return false;
        const int v = FIntMemTable->GetInstantReadCurRow();
        if (WithCurrent && v >= 0 && Row() != v + top) return false;
    } else {
        if (RowCount() != top + std::max(1, DataLink()->RecordCount())) return false;
        if (WithCurrent && FOldActiveRecord.empty() && Row() != top + std::max(0, DataLink()->ActiveRecord()))
            return false;
    }
    return true;
}
