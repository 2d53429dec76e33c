// Dragging rows to move their records.
//
// A press on the indicator of a data row (with dghRecordMoving) enters dgsRowMoving: the shared
// red insert line marks where the records would go, follows the mouse and, on the auto-scroll
// timer, scrolls the grid when the mouse leaves the data rows. Over a memory table shown as a tree
// the mouse's X also chooses the tree level the records get. The release moves the selected
// records, or the pressed one, through OnMoveRecords, the memory table or the grid's centre.
//
// Invariant while dragging: FMoveRowDest and FMoveRowDestLevel name a destination that the mover
// accepted in check mode (or the source row at its own level, where the drag started), so the
// line never shows a place the records cannot go.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/toolscore/ToolCtrlsEhData.h"

#include "platform/ui/WinApi.h"

#include <QScopeGuard>

#include <algorithm>

namespace {

// Positions reading on a data row of the grid for the scope's lifetime.
struct RowRead {
    TCustomDBGridEh* Grid;
    RowRead(TCustomDBGridEh* g, int DataRow) : Grid(g) { Grid->InstantReadRowEnter(DataRow); }
    ~RowRead() { Grid->InstantReadRowLeave(); }
    RowRead(const RowRead&) = delete;
    RowRead& operator=(const RowRead&) = delete;
};

constexpr UINT RowMovingTimerInterval = 60;

} // namespace

// ---------------------------------------------------------------------------------------------
// Starting

bool TCustomDBGridEh::BeginRowMoving(int X, int Y, bool CheckOnly) {
    if (!DataLink()->Active() || !FOptionsEh.Contains(dghRecordMoving)) return false;
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < 0 || cell.X >= FIndicatorOffset || cell.Y < TopDataOffset() || cell.Y >= RowCount())
        return false;
    TDataSet* ds = DataLink()->DataSet();
    if (!ds || (ds->Bof() && ds->Eof())) return false;
    if (cell.Y - TopDataOffset() >= FullDataRowCount()) return false;

    TBookmark bookmark;
    int sourceLevel = -1;
    bool allowed = true;
    {
        RowRead read(this, cell.Y - TopDataOffset());
        bookmark = ds->GetBookmark();
        if (IsTreeViewMode()) sourceLevel = FIntMemTable->GetTreeNodeLevel();
        // With several records selectable, only a plain press on a selected record drags.
        if (IsSelectionTypeAllowed(gstRecordBookmarks))
            allowed = SelectedRows()->CurrentRowSelected() && GetKeyState(VK_SHIFT) >= 0 &&
                      GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_CONTROL) >= 0;
    }
    if (!allowed) return false;
    if (CheckOnly) return true;

    FMoveRowSour = cell.Y;
    FMoveRowDest = cell.Y;
    FMoveBookmarkSour = bookmark;
    FMoveRowSourLevel = sourceLevel;
    if (CanBeginRowMoving(FMoveRowSour, FMoveRowDest, TPoint{X, Y})) {
        FDBGridEhState = dgsRowMoving;
        if (HandleAllocated()) Update();
        TGridDrawInfoEh di;
        CalcDrawInfo(di);
        FMoveRowLeftBounds = CalcRowMovingLevel(cell.Y, TPoint{X, Y}, FMoveRowDestLevel);
        ShowRowMovingLine(FMoveRowLeftBounds, di.Horz.FullVisBoundary);
        StartTimer(int(RowMovingTimerInterval));
        FTracking = true;
    }
    return true;
}

bool TCustomDBGridEh::CanBeginRowMoving(int&, int&, const TPoint&) {
    return true;
}

// ---------------------------------------------------------------------------------------------
// Destination

int TCustomDBGridEh::CalcRowMovingLevel(int Row, const TPoint& MousePt, int& Level) {
    Level = -1;
    if (!IsTreeViewMode() || DataRowCount() <= 0) return 0;
    const int L = CellRect(FIndicatorOffset, TopRow()).Left;
    const int S = FMoveRowSour - TopDataOffset();
    const int D = std::clamp(Row - TopDataOffset(), 0, DataRowCount() - 1);
    int P = 0, N = 0;
    {
        RowRead read(this, D);
        Level = FIntMemTable->GetTreeNodeLevel();
        P = FIntMemTable->GetPriorRowTreeNodeLevel();
        N = FIntMemTable->GetNextRowTreeNodeLevel();
    }
    if (N <= 0) N = 1;
    int result = L + Level * TreeLevelWidth;
    int B = result;
    if (D >= S) {
        B = L + N * TreeLevelWidth;
        if (D > S) {
            // Below the source the records go after the row, at the level of the row after it.
            P = Level;
            Level = N;
            result = L + N * TreeLevelWidth;
        }
    }
    if (B < MousePt.X) {
        // Further right: a child of the row before the insertion point, at most one level down.
        // Level 1 is the shallowest a record can have (the first row has no row before it).
        Level = std::max(1, std::min((MousePt.X - L) / TreeLevelWidth, P + 1));
        result = L + Level * TreeLevelWidth;
    }
    return result;
}

int TCustomDBGridEh::TrackRowMoving(int Y, int Row, const TPoint& MousePt,
                                    const TGridAxisDrawInfoEh& AxisDrawInfo,
                                    const TGridDrawInfoEh& DrawInfo) {
    int level = -1;
    int bound = CalcRowMovingLevel(Row, MousePt, level);
    TGridDrawInfoEh di = DrawInfo;
    TGridAxisDrawInfoEh axis = AxisDrawInfo;
    auto refresh = [&] {
        if (HandleAllocated()) Update();
        CalcDrawInfo(di);
        axis = di.Vert;
    };
    const int firstDataRow = axis.FixedCellCount;
    const int lastRow = RowCount() - 1;
    if (FIntMemTable) {
        if (bound == FMoveRowLeftBounds &&
            (Row == FMoveRowDest || (FMoveRowDest == firstDataRow && Y < axis.FixedBoundary) ||
             (FMoveRowDest == lastRow && Y > axis.GridBoundary)))
            return FMoveRowLeftBounds;
        const int askedRow = Row;
        if (Y < axis.FixedBoundary) {
            if (FMoveRowDest != firstDataRow && SafeMoveTop(TopRow() - 1, true) != TopRow()) {
                SafeMoveTop(TopRow() - 1, false);
                refresh();
            }
            Row = TopRow();
        } else if (Y >= axis.FullVisBoundary) {
            if (SafeMoveTop(TopRow() + 1, true) != TopRow()) {
                SafeMoveTop(TopRow() + 1, false);
                refresh();
            }
            Row = std::min(axis.LastFullVisibleCell, lastRow);
        } else if (Row < 0) {
            Row = FMoveRowDest;
        }
        // The level belongs to the row the line goes to.
        if (Row != askedRow) bound = CalcRowMovingLevel(Row, MousePt, level);
    } else {
        if (Row == FMoveRowDest && Y >= axis.FixedBoundary && Y <= axis.GridBoundary)
            return FMoveRowLeftBounds;
        if (Row >= lastRow || Y > axis.GridBoundary) {
            // The buffer scrolls forward: to its end and one record more.
            MoveBy(DataLink()->RecordCount() - DataLink()->ActiveRecord());
            MoveBy(1);
            Row = lastRow;
            refresh();
        } else if (Row < TopDataOffset()) {
            MoveBy(-DataLink()->ActiveRecord());
            MoveBy(-1);
            Row = TopDataOffset();
            refresh();
        }
    }
    if (!MoveRowsTo(Row - TopDataOffset(), level, true)) return FMoveRowLeftBounds;
    FMoveRowDest = Row;
    FMoveRowDestLevel = level;
    ShowRowMovingLine(bound, di.Horz.FullVisBoundary);
    FMoveRowLeftBounds = bound;
    return bound;
}

void TCustomDBGridEh::RowMovingTimerTick() {
    const TPoint p = CursorClientPos();
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const TGridCoord cell = CalcCoordFromPoint(p.X, p.Y, di);
    TrackRowMoving(p.Y, cell.Y, p, di.Vert, di);
}

// ---------------------------------------------------------------------------------------------
// The insert line

void TCustomDBGridEh::ShowRowMovingLine(int Left, int Right) {
    if (FDBGridEhState != dgsRowMoving) return;
    const TRect r = CellRect(0, FMoveRowDest);
    const bool below = (FMoveRowSour == FMoveRowDest && FMoveRowDestLevel < FMoveRowSourLevel) ||
                       FMoveRowSour < FMoveRowDest;
    const int edge = below ? r.Bottom : r.Top;
    TGridMoveLineEh* line = GetGridMoveLine();
    if (line->Visible())
        line->MoveToFor(this, TPoint{Left, edge});
    else
        line->StartShow(this, TPoint{Left, edge}, Right - Left, false);
}

void TCustomDBGridEh::HideRowMovingLine() {
    GetGridMoveLine()->SetVisible(false);
}

// ---------------------------------------------------------------------------------------------
// Ending and moving

void TCustomDBGridEh::EndRowMoving(int X, int Y, bool Apply) {
    StopTimer();
    HideRowMovingLine();
    FDBGridEhState = dgsNormal;
    if (!Apply) return;
    int origin = FMoveRowSour, destination = FMoveRowDest;
    if (!EndRowDrag(origin, destination, TPoint{X, Y})) return;
    bool samePlace = FMoveRowDest == FMoveRowSour && FMoveRowDestLevel == FMoveRowSourLevel;
    if (samePlace && !FIntMemTable && DataLink()->Active()) {
        // The buffer may have scrolled under the drag: the source's row may show another record.
        TDataSet* ds = DataLink()->DataSet();
        RowRead read(this, FMoveRowDest - TopDataOffset());
        samePlace = ds->CompareBookmarks(ds->GetBookmark(), FMoveBookmarkSour) == 0;
    }
    if (!samePlace) MoveRowsTo(FMoveRowDest - TopDataOffset(), FMoveRowDestLevel, false);
}

bool TCustomDBGridEh::MoveRowsTo(int DataRow, int Level, bool CheckOnly) {
    if (SelectedRows()->Count() > 0) return MoveDataRows(SelectedRows(), DataRow, CheckOnly, Level);
    TBMListEh one;
    one.AppendItem(FMoveBookmarkSour);
    return MoveDataRows(&one, DataRow, CheckOnly, Level);
}

bool TCustomDBGridEh::MoveDataRows(TBMListEh* BookmarkList, int DataRow, bool CheckOnly, int TreeLevel) {
    const int toRecNo = DataRowToRecNo(DataRow);
    if (OnMoveRecords) return OnMoveRecords(this, BookmarkList, toRecNo, TreeLevel, CheckOnly);
    return DefaultMoveDataRows(BookmarkList, toRecNo, TreeLevel, CheckOnly);
}

bool TCustomDBGridEh::DefaultMoveDataRows(TBMListEh* BookmarkList, int ToRecNo, int TreeLevel,
                                          bool CheckOnly) {
    if (FIntMemTable) return FIntMemTable->MoveRecords(BookmarkList, ToRecNo, TreeLevel, CheckOnly);
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!ds) return false;
    // The view stays where it is: the record at the buffer's middle is found again afterwards
    // and the current record put back at its offset from it.
    const int active = DataLink()->ActiveRecord();
    const int count = DataLink()->RecordCount();
    const int distance = active - count / 2 + (count + 1) % 2;
    int anchor = 0;
    {
        DataLink()->SetActiveRecord(active - FLookedOffset);
        const auto restore = qScopeGuard([&] { DataLink()->SetActiveRecord(active); });
        anchor = ds->RecNo();
    }
    TDBGridEhCenter* center = Center();
    if (!center) return false;
    const bool result = center->MoveRecords(this, BookmarkList, ToRecNo, -1, CheckOnly);
    if (CheckOnly) return result;
    ds->SetRecNo(anchor);
    ds->MoveBy(distance);
    return result;
}

// ---------------------------------------------------------------------------------------------
// Mouse states that end with the drag

bool TCustomDBGridEh::EndColumnDrag(int& Origin, int& Destination, const TPoint& MousePt) {
    const bool result = TCustomDBAxisGridEh::EndColumnDrag(Origin, Destination, MousePt);
    if (FGroupDataMovingIndex < 0 || !FDataGrouping) return result;
    // A group level dragged out of the grouping panel and dropped onto the grid ends grouping
    // by it: its column shows again.
    const int index = FGroupDataMovingIndex;
    FGroupDataMovingIndex = -1;
    LockPaint();
    const auto unlock = qScopeGuard([this] {
        UnlockPaint();
        InvalidateGrid();
    });
    // Ungrouping rebuilds the rows under an open panel.
    if (FRowDetailPanel && FRowDetailPanel->Visible()) FRowDetailPanel->SetVisible(false);
    if (index < FDataGrouping->ActiveGroupLevelsCount()) {
        TGridDataGroupLevelEh* level = FDataGrouping->ActiveGroupLevels(index);
        if (auto* col = dynamic_cast<TColumnEh*>(level->Column())) {
            // A hidden column was dragged from the place it takes once shown: the columns from
            // there on move one to the right, so the drop lands next to the marked column.
            if (!col->Visible()) Destination = FMovePos + (FMovePosRightSite ? 1 : 0);
            col->SetVisible(true);
        }
        level->Free();
    }
    return result;
}
