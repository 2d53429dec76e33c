// The data grid's mouse: presses on titles (title buttons with sort marking, the in-title filter
// button, the column-select zone), on the indicator (row selection, the indicator title), on
// data cells (the current cell, rectangle and row selection, check-box values, in-cell edit
// buttons), the moves that track them, the releases that finish them, and the cursor shapes.
//
// State: FTracking is set only while the grid holds the mouse capture for a pressed title, the
// indicator or data cells; CancelTracking always brings FDBGridEhState back to dgsNormal.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhFilterRow.h"

#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/WinApi.h"

#include <QScopeGuard>

#include <cstdlib>

namespace {

// A title press turns into column moving once the mouse went further than this.
constexpr int MoveThreshold = 3;
// The lowest pixels of a title cell select the column.
constexpr int ColumnSelectZone = 7;

bool IsValueCycleColumn(TColumnEh* Column) {
    return Column && (Column->GetColumnType() == ctKeyImageList || Column->GetColumnType() == ctCheckboxes);
}

bool MovedBeyond(const TPoint& A, int X, int Y) {
    return std::abs(A.X - X) > MoveThreshold || std::abs(A.Y - Y) > MoveThreshold;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Focus and tracking

bool TCustomDBGridEh::TryAcquireFocus() {
    // The grid or a window of its own (editor, filter-row editor, search box) holding the focus
    // counts as focused.
    if (IsFocusInside()) return true;
    // A grid that does not take the focus, cannot take it, or is being designed goes on without.
    bool result = true;
    if (FAcquireFocus && CanFocus() && !ComponentState().Contains(csDesigning)) {
        SetFocus();
        result = IsFocusInside();
        TForm* active = Screen ? Screen->ActiveForm() : nullptr;
        if (!result && active && active->FormStyle() == fsMDIChild) {
            ::SetFocus(Handle());
            result = IsFocusInside();
        }
    }
    // The filter row's editor may have taken the focus instead.
    if (!result && FFilterEdit) result = FFilterEdit->Focused();
    return result;
}

void TCustomDBGridEh::CancelTracking() {
    if (!FTracking) return;
    if (FDBGridEhState == dgsRowMoving) EndRowMoving(-1, -1, false);
    StopTimer();
    FIndicatorPressed = false;
    TrackTitleButton(-1, -1);
    FTracking = false;
    if (MouseCapture()) SetMouseCapture(false);
    FPressedCol = -1;
    FPressedDataCol = -1;
    FDataTracking = false;
    FDBGridEhState = dgsNormal;
    FIndicatorTitle->SetDown(false);
}

bool TCustomDBGridEh::InTitleLeafPart(int ACol, int Y) {
    if (!IsUseMultiTitle() || ACol < FIndicatorOffset) return true;
    THeadTreeNode* leaf = LeafOf(DataColumn(ACol - FIndicatorOffset));
    if (!leaf) return true;
    const TRect r = CellRect(ACol, 0);
    return Y >= r.Bottom - leaf->Height;
}

void TCustomDBGridEh::TrackTitleButton(int X, int Y) {
    bool down = false;
    if (FPressedCol >= 0 && ClientRect().Contains(TPoint(X, Y))) {
        const TGridCoord cell = MouseCoord(X, Y);
        down = cell.Y == 0 && cell.X == FPressedCol &&
               (FDBGridEhState == dgsTitleDown || InTitleLeafPart(cell.X, Y));
    }
    if (down == FPressed) return;
    FPressed = down;
    if (TopDataOffset() > 0) InvalidateRow(0);
}

void TCustomDBGridEh::CheckButton(int DataCol, bool& Enabled) {
    TColumnEh* column = DataColumn(DataCol);
    if (!column) {
        Enabled = false;
        return;
    }
    if (OnCheckButton) OnCheckButton(this, DataCol, column, Enabled);
}

void TCustomDBGridEh::DefaultCellMouseClick(TGridCoord Cell, TMouseButton Button, TShiftState Shift, int X,
                                            int Y) {
    if (TDBGridEhCenter* center = Center()) center->CellMouseClick(this, Cell, Button, Shift, X, Y);
}

// ---------------------------------------------------------------------------------------------
// The indicator title

// ---------------------------------------------------------------------------------------------
// Mouse down

bool TCustomDBGridEh::InColumnSelectZone(int X, int Y) {
    if (!DataLink()->Active() || !FOptions.Contains(dgMultiSelect) || !FOptions.Contains(dgTitles) ||
        FOptions.Contains(dgRowSelect) || !IsSelectionTypeAllowed(gstColumns))
        return false;
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < FIndicatorOffset || cell.Y < 0 || cell.Y >= GetTitleRowCount()) return false;
    const TRect r = CellRect(cell.X, cell.Y);
    if (Y < std::max(r.Top, r.Bottom - ColumnSelectZone) || Y >= r.Bottom) return false;
    TRect button;
    return TitleFilterButtonHit(cell, TPoint(X, Y), r, button) == 0;
}

void TCustomDBGridEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (SearchEditorMode()) SetSearchEditorMode(false);
    if (Button == mbRight) SetMouseCapture(true);
    const bool designing = ComponentState().Contains(csDesigning);
    if (designing) FDSMouseCapture = true;
    FGroupDataMovingIndex = -1;
    FStartShiftState = Shift;
    FPressedCell = TGridCoord{-1, -1};
    FPressedDataCol = -1;
    FDownMousePos = TPoint{X, Y};
    // Taking the focus from an open in-title list may already close it.
    TColumnEh* listColumn = FInTitleFilterListboxVisible ? FInTitleFilterListboxColumn : nullptr;
    if (!TryAcquireFocus()) {
        // A grid that refuses the focus keeps nothing: not even the capture of this click.
        if (MouseCapture()) SetMouseCapture(false);
        return;
    }
    if (GroupingMouseDown(Button, Shift, X, Y)) return;
    if (RowPanelMouseDown(Button, Shift, X, Y)) {
        TCustomControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    const TGridCoord cell = MouseCoord(X, Y);
    FPressedCell = cell;
    const bool valid = cell.X >= 0 && cell.Y >= 0;
    TPoint type{-1, -1};
    int areaCol = 0, areaRow = 0;
    if (valid) GetCellType(cell.X, cell.Y, type, areaCol, areaRow);
    TColumnEh* column = valid && type.X == 1 ? DataColumn(areaCol) : nullptr;

    if (Shift.Contains(ssDouble) && Button == mbLeft) {
        bool fitted = false;
        if (CalcSizingStateAt(X, Y) == gsColSizing && FOptionsEh.Contains(dghDblClickOptimizeColWidth)) {
            TGridDrawInfoEh di;
            CalcDrawInfo(di);
            int ofs = 0, pos = 0, index = -1;
            TGridState st = gsNormal;
            CalcSizingState(X, Y, di, ofs, pos, index, st);
            if (TColumnEh* sized =
                    index >= FIndicatorOffset ? DataColumn(index - FIndicatorOffset) : nullptr) {
                OptimizeColumnWidthsForClick(sized);
                fitted = true;
            }
        } else if (type.Y == 2 && IsValueCycleColumn(column) && column->DblClickNextVal() &&
                   column->CanModify(true)) {
            column->CycleValue(Shift.Contains(ssShift) ? -1 : 1);
        }
        if (!fitted && type.Y == 2 && DataLink()->Active() && areaRow < FullDataRowCount()) {
            // A double click that arrives without its first press still acts on its own row.
            const int cur = Row() - TopDataOffset();
            if (areaRow != cur) MoveBy(areaRow - cur);
        }
        if (!fitted) DblClick();
        TCustomControl::MouseDown(Button, Shift, X, Y);
        return;
    }

    if (CanSizeAt(X, Y)) {
        DataLink()->UpdateData();
        TCustomDBAxisGridEh::MouseDown(Button, Shift, X, Y);
        // A column sized live keeps the view where it is until the button goes up; a sizing
        // cancelled without a release left its lock behind, so it is not taken twice.
        if (GridState() == gsColSizing && FOptionsEh.Contains(dghTraceColSizing) && !FTraceSizingScrollLocked) {
            LockHorzScrolling();
            FTraceSizingScrollLocked = true;
        }
        return;
    }
    if (!valid) {
        if (FInTitleFilterListboxVisible) CloseInTitleFilterListbox(false);
        TCustomControl::MouseDown(Button, Shift, X, Y);
        return;
    }

    // The lowest pixels of a title select its column.
    if (Button == mbLeft && type.X == 1 && InColumnSelectZone(X, Y) && column) {
        InvalidateCol(cell.X);
        FDBGridEhState = dgsColSelecting;
        StartTimer(60);
        if (Shift.Contains(ssShift)) {
            Selection()->Columns()->SelectShift(column);
        } else if (Shift.Contains(ssCtrl)) {
            Selection()->Columns()->InvertSelect(column);
        } else {
            Invalidate();
            Selection()->Columns()->Select(column, false);
        }
        TCustomControl::MouseDown(Button, Shift, X, Y);
        return;
    }

    if (type.X == 1 && type.Y == 0 && column && !designing && InTitleLeafPart(cell.X, Y)) {
        TRect button;
        if (TitleFilterButtonHit(cell, TPoint(X, Y), CellRect(cell.X, cell.Y), button) != 0) {
            // The button opens the column's list, or closes it when it is this column's.
            FTrackingStateRect = button;
            if (listColumn == column) {
                if (FInTitleFilterListboxVisible) CloseInTitleFilterListbox(false);
            } else
                DropDownInTitleFilterListbox(column);
            InvalidateTitle();
            return;
        }
    }
    if (FilterMouseDown(cell, areaCol, X, Y)) return;

    bool titleButton = false;
    if (type.X == 1 && type.Y == 0 && column && !designing && Button == mbLeft &&
        InTitleLeafPart(cell.X, Y)) {
        titleButton = column->Title()->TitleButton();
        CheckButton(areaCol, titleButton);
    }
    if (titleButton) {
        if (!MouseCapture()) SetMouseCapture(true);
        FTracking = true;
        FPressedCol = cell.X;
        FPressedDataCol = areaCol;
        TrackTitleButton(X, Y);
        TCustomControl::MouseDown(Button, Shift, X, Y);
        return;
    }

    if (type.Y == 0 || type.Y == 1) {
        if (type.X == 0 && cell.Y == 0 && TopDataOffset() > 0) {
            IndicatorTitleMouseDown(cell, Button, Shift, X, Y);
            if (FTracking) {
                TCustomControl::MouseDown(Button, Shift, X, Y);
                return;
            }
        }
        DataLink()->UpdateData();
        Canvas()->Pen()->SetColor(TColor(12632256));
        TCustomDBAxisGridEh::MouseDown(Button, Shift, X, Y);
        return;
    }

    if (type.Y == 2 && DataLink()->Active()) {
        // A press that starts dragging rows or lands on a tree node's elements is taken whole.
        if (Button == mbLeft) {
            if (BeginRowMoving(X, Y, false)) {
                if (FDBGridEhState == dgsRowMoving) SetMouseCapture(true);
                return;
            }
            if (ClickTreeNodeSign(X, Y, false)) return;
        }
        LockUpdate();
        {
            const auto unlock = qScopeGuard([this] { UnlockUpdate(); });
            DataCellMouseDown(cell, type, areaCol, areaRow, column, Button, Shift, X, Y);
        }
        TCustomControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomDBGridEh::DataCellMouseDown(const TGridCoord& Cell, TPoint Type, int DataCol, int DataRow,
                                        TColumnEh* Column, TMouseButton Button, TShiftState Shift, int X,
                                        int Y) {
    DataLink()->UpdateData();
    HideEditor();
    const TGridCoord before{Col(), Row()};
    TDataSet* ds = DataLink()->DataSet();
    const TBookmark beforeBookmark = ds->Bookmark();
    const bool inIndicator = Type.X == 0;
    const bool multi = FOptions.Contains(dgMultiSelect);
    const bool rowSelect = FOptions.Contains(dgRowSelect);
    const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);

    const int cur = Row() - TopDataOffset();
    {
        FLockAutoShowCurCell = true;
        const auto unlock = qScopeGuard([this] { FLockAutoShowCurCell = false; });
        if (DataRow < FullDataRowCount() && DataRow != cur &&
            (!shift || !multi || (!rowSelect && !inIndicator)))
            MoveBy(DataRow - cur);
    }
    if (Column) SelectDataColumn(DataCol, 0, false);
    if (!MouseCapture()) return;

    // A pressed selected cell may start dragging the selection.
    if (FAutoDrag && !shift && Button == mbLeft && Column &&
        Selection()->DataCellSelected(Column->Index(), ds->Bookmark())) {
        FSelectedCellPressed = true;
        return;
    }

    const TRect data = DataRect();
    const bool rectAllowed = IsSelectionTypeAllowed(gstRectangle);
    if (data.Contains(TPoint(X, Y)) && !(multi && rowSelect)) {
        FTracking = true;
        FDataTracking = true;
        if (!ctrl && !shift && FOptionsEh.Contains(dghClearSelection)) {
            const bool selected = Column && Selection()->DataCellSelected(Column->Index(), ds->Bookmark());
            if (Button == mbLeft || !selected) ClearSelectionOnMove();
        }
        if (Column && rectAllowed && Button == mbLeft && !ds->IsEmpty()) {
            if (shift) {
                if (Selection()->SelectionType() != gstRectangle) {
                    Selection()->Rect()->Clear();
                    Selection()->Rect()->Select(before.X - FIndicatorOffset, beforeBookmark, false);
                }
                Selection()->Rect()->Select(DataCol, ds->Bookmark(), true);
            } else if (FOptionsEh.Contains(dghClearSelection)) {
                Selection()->Clear();
            }
            FDBGridEhState = dgsRectSelecting;
        }
    }

    const bool checkBoxes = FIndicatorOptions.Contains(gioShowRowselCheckboxesEh);
    if (IsSelectionTypeAllowed(gstRecordBookmarks) &&
        ((rowSelect && !checkBoxes) || inIndicator || (!rectAllowed && !checkBoxes))) {
        FSelecting = false;
        TBookmarkListEh* rows = SelectedRows();
        bool inCheckBox = false;
        if (checkBoxes && inIndicator) {
            const TRect r = CellRect(Cell.X, Cell.Y);
            const int inset = FIndicatorOptions.Contains(gioShowRowIndicatorEh) ? 11 : 0;
            if (UseRightToLeftAlignment())
                inCheckBox = X >= r.Left + inset && X < r.Left + inset + FRowselCheckboxesWidth;
            else
                inCheckBox = X >= r.Right - inset - FRowselCheckboxesWidth && X < r.Right - inset;
        }
        if (inCheckBox || !checkBoxes) {
            if (shift && DataRow != cur) {
                FSelecting = true;
                FAntiSelection = true;
                MoveAndSelect(true, DataRow - cur, true, false);
            } else if (inCheckBox || ctrl || !FOptionsEh.Contains(dghClearSelection)) {
                if (Button == mbLeft) rows->SetCurrentRowSelected(!rows->CurrentRowSelected());
            } else if (Button == mbLeft) {
                Selection()->Clear();
                rows->SetCurrentRowSelected(true);
            }
            FSelectionAnchorSelected = !rows->CurrentRowSelected();
            FSelectionAnchor = ds->Bookmark();
        }
        if (rowSelect || !rectAllowed || inIndicator) {
            FIndicatorPressed = true;
            if (MouseCapture()) {
                FTracking = true;
                FSelecting = true;
                FSelectionAnchor = ds->Bookmark();
                FSelectionAnchorSelected = rows->CurrentRowSelected();
                FAntiSelection = ctrl || !FOptionsEh.Contains(dghClearSelection);
                FDBGridEhState = dgsRowSelecting;
            }
        }
    }

    if (Button == mbLeft && IsEditorAlwaysShown() &&
        (before == TGridCoord{Col(), Row()} || FOptions.Contains(dgAlwaysShowEditor)))
        ShowEditor();

    if (Button == mbRight || inIndicator || !Column) {
        InvalidateEditor();
        return;
    }
    const TRect r = CellRect(Cell.X, Cell.Y);
    const int bw = Column->EditButtonsWidth();
    const bool inButtons = bw > 0 && (UseRightToLeftAlignment() ? X < r.Left + bw : X >= r.Right - bw) &&
                           X >= r.Left && X < r.Right;
    if (FOptions.Contains(dgAlwaysShowEditor) || inButtons || before == TGridCoord{Col(), Row()})
        ShowEditor();
    if (inButtons && InplaceEditor() && InplaceEditor()->Visible()) {
        // The press belongs to the editor's button under the mouse.
        CancelTracking();
        const TPoint screen = ClientToScreen(TPoint(X, Y));
        TWinControl* target = InplaceEditor();
        const TPoint local = target->ScreenToClient(screen);
        if (TControl* child = target->ControlAtPos(local, true, true)) {
            const TPoint p = child->ScreenToClient(screen);
            child->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Word(p.X), Word(p.Y)));
        } else {
            target->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Word(local.X), Word(local.Y)));
        }
    }
    if (IsValueCycleColumn(Column)) FPressedCell = Cell;
}

// ---------------------------------------------------------------------------------------------
// Mouse move

void TCustomDBGridEh::MouseMove(TShiftState Shift, int X, int Y) {
    FMoveMousePos = TPoint{X, Y};
    if (FSelectedCellPressed) {
        FSelectedCellPressed = false;
        BeginDrag(true);
        return;
    }
    if (GroupingMouseMove(Shift, X, Y)) return;
    if (FDBGridEhState == dgsRowMoving) {
        // Outside the rows the auto-scroll timer follows the mouse.
        TGridDrawInfoEh di;
        CalcDrawInfo(di);
        const TGridCoord cell = CalcCoordFromPoint(X, Y, di);
        if (cell.Y >= FixedRows() && cell.Y <= di.Vert.LastFullVisibleCell + 1)
            TrackRowMoving(Y, cell.Y, TPoint{X, Y}, di.Vert, di);
    }
    if (RowPanelMouseMove(Shift, X, Y)) return;
    if (FDataGrouping && FDataGrouping->GroupPanelVisible() && GridState() == gsColMoving &&
        Y < OutBoundaryData()->TopIndent() && FPressedCell.X >= FIndicatorOffset) {
        // A title being moved that reaches the grouping panel becomes a grouping drag.
        TCustomDBAxisGridEh::CancelMode();
        FPressedDataCol = FPressedCell.X - FIndicatorOffset;
        FGroupDataMovingIndex = -1;
        BeginGroupPanelTitleMoving(Shift, X, Y);
        return;
    }

    if (FTracking && FPressedCol != -1) {
        TrackTitleButton(X, Y);
        if (FDBGridEhState != dgsTitleDown && MovedBeyond(FDownMousePos, X, Y) &&
            FOptionsEh.Contains(dghColumnMove)) {
            // The pressed title becomes a column being moved.
            const TPoint down = FDownMousePos;
            CancelTracking();
            if (GetKeyState(VK_LBUTTON) < 0 && !MouseCapture()) SetMouseCapture(true);
            Canvas()->Pen()->SetColor(TColor(12632256));
            TCustomDBAxisGridEh::MouseDown(mbLeft, FStartShiftState, down.X, down.Y);
        }
    } else if (FIndicatorPressed || FDataTracking || FDBGridEhState == dgsRectSelecting) {
        const TRect data = DataRect();
        const int cx = std::clamp(X, 0, std::max(0, ClientWidth() - 1));
        const int cy = std::clamp(Y, 0, std::max(0, ClientHeight() - 1));
        const TGridCoord cell = MouseCoord(cx, cy);
        const bool moved = FMoveMousePos != FDownMousePos;
        if (cy >= data.Top && cy < data.Bottom && cell.Y >= TopDataOffset() && cell.Y != Row()) {
            MoveAndSelect(Shift.Contains(ssLeft) && moved, cell.Y - Row(), FDBGridEhState != dgsRectSelecting,
                          false);
        }
        if (FDataTracking && cx >= data.Left && cx < data.Right && cell.X >= FIndicatorOffset &&
            cell.X != Col()) {
            const int dataCol = cell.X - FIndicatorOffset;
            SelectDataColumn(dataCol, cell.X > Col() ? 1 : -1, IsSelectionTypeAllowed(gstRectangle));
            if (FDBGridEhState == dgsRectSelecting && moved && DataLink()->Active())
                Selection()->Rect()->Select(dataCol, DataLink()->DataSet()->Bookmark(), true);
        }
        FDownMousePos = TPoint{X, Y};
        FMouseShift = Shift.Contains(ssShift);
        TrackMouseSelection();
    } else if (FDBGridEhState == dgsColSelecting) {
        const TGridCoord cell = MouseCoord(X, Y);
        const TRect data = DataRect();
        if (cell.X >= FIndicatorOffset && X >= data.Left && X < data.Right) {
            if (TColumnEh* c = DataColumn(cell.X - FIndicatorOffset)) Selection()->Columns()->SelectShift(c);
        } else {
            TrackMouseSelection();
        }
    }
    TCustomDBAxisGridEh::MouseMove(Shift, X, Y);
}

// ---------------------------------------------------------------------------------------------
// Mouse up

void TCustomDBGridEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FDSMouseCapture = false;
    if (GroupingMouseUp(Button, Shift, X, Y)) return;
    if (FDBGridEhState == dgsRowMoving) {
        EndRowMoving(X, Y, true);
        CancelTracking();
        TCustomControl::MouseUp(Button, Shift, X, Y);
        return;
    }
    if (RowPanelMouseUp(Button, Shift, X, Y)) return;
    const TGridCoord cell = MouseCoord(X, Y);
    TPoint type{-1, -1};
    int areaCol = 0, areaRow = 0;
    if (cell.X >= 0 && cell.Y >= 0) GetCellType(cell.X, cell.Y, type, areaCol, areaRow);

    if (FSelectedCellPressed) {
        FSelectedCellPressed = false;
        if (Shift.Contains(ssCtrl) && FOptions.Contains(dgRowSelect))
            SelectedRows()->SetCurrentRowSelected(!SelectedRows()->CurrentRowSelected());
        else if (FOptionsEh.Contains(dghClearSelection))
            Selection()->Clear();
    }

    const TDBGridEhState oldState = FDBGridEhState;
    const TGridState baseState = GridState();
    FDBGridEhState = dgsNormal;
    FSelecting = false;
    if (Screen && Screen->Cursor() == crVSplit) FDefaultRowChanged = true;

    // The clean-up runs also when applying the sort order raises.
    const auto finish = qScopeGuard([&] {
        if (FIndicatorPressed || FDataTracking) CancelTracking();
        if (oldState != dgsNormal) StopTimer();
        TCustomDBAxisGridEh::MouseUp(Button, Shift, X, Y);
        FDefaultRowChanged = false;
        if (FTraceSizingScrollLocked) {
            FTraceSizingScrollLocked = false;
            UnlockHorzScrolling();
            if (GetHorzScrollingLockCount() == 0) UpdateScrollRange();
        }
    });

    if (FTracking && FPressedCol >= 0) {
        const bool counted = ClientRect().Contains(TPoint(X, Y)) && cell.Y == 0 && cell.X == FPressedCol &&
                             (oldState == dgsTitleDown || InTitleLeafPart(cell.X, Y));
        const int dataCol = FPressedCol - FIndicatorOffset;
        CancelTracking();
        TColumnEh* column = oldState != dgsTitleDown && counted ? DataColumn(dataCol) : nullptr;
        if (column) {
            TitleBtnClick(dataCol, column);
            FSortMarking = Shift.Contains(ssCtrl);
            TDBGridEhCenter* center = Center();
            if (center && !center->ColumnValueTypeIsComparable(this, column)) {
                // A refused sort leaves nothing to apply later.
                FSortMarking = false;
                throw Exception(QStringLiteral("Сортировка по этому полю невозможна"));
            }
            if (FOptionsEh.Contains(dghAutoSortMarking))
                column->Title()->SetNextSortMarkerValue(FSortMarking);
            if (!FSortMarking) SortMarkingChanged();
        }
    }

    if (baseState == gsRowSizing || baseState == gsColSizing) return;
    if (InplaceEditor() && InplaceEditor()->Visible() && InplaceEditor()->BoundsRect().Contains(TPoint(X, Y)))
        return;
    TColumnEh* column = type.X == 1 ? DataColumn(areaCol) : nullptr;
    if (Button == mbLeft && column) {
        if (type.Y == 0 || type.Y == 1)
            TitleClick(column);
        else if (type.Y == 2 && !ClickTreeNodeSign(X, Y, true)) // a release on a tree sign is the node's
            CellClick(column);
    }
    if (type.Y == 2 && cell == FPressedCell && IsValueCycleColumn(column) && !column->DblClickNextVal() &&
        !Shift.Contains(ssDouble) && Button == mbLeft && column->CanModify(true))
        column->CycleValue(Shift.Contains(ssShift) ? -1 : 1);
}

void TCustomDBGridEh::TitleClick(TColumnEh* Column) {
    if (OnTitleClick) OnTitleClick(Column);
}

void TCustomDBGridEh::TitleBtnClick(int DataCol, TColumnEh* Column) {
    if (OnTitleBtnClick) OnTitleBtnClick(this, DataCol, Column);
}

void TCustomDBGridEh::DblClick() {
    TCustomDBAxisGridEh::DblClick();
}

// ---------------------------------------------------------------------------------------------
// Cursor

bool TCustomDBGridEh::HandleSetCursor(TMessage& Message) {
    const bool designing = ComponentState().Contains(csDesigning);
    if (designing && Columns()->State() != csCustomized &&
        !(DataLink()->Active() && !DataLink()->DefaultFields())) {
        // Nothing of the grid can be worked with the mouse in the designer yet.
        ::SetCursor(crArrow);
        Message.Result = 1;
        return true;
    }
    TWMSetCursor s(Message);
    if (s.HitTest() != HTCLIENT || GridState() != gsNormal || FDBGridEhState != dgsNormal) return false;
    TPoint p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    int frozenPos = 0, frozenIndex = -1;
    if (CalcFrozenColSizingState(p.X, p.Y, frozenPos, frozenIndex)) {
        ::SetCursor(crHSplit);
        Message.Result = 1;
        return true;
    }
    if (designing || !DataLink()->Active() || !FOptions.Contains(dgMultiSelect)) return false;
    if (CalcSizingStateAt(p.X, p.Y) != gsNormal) return false;
    // Where a press would drag the row, the selection cursor would promise the wrong thing.
    if (BeginRowMoving(p.X, p.Y, true)) return false;
    const TGridCoord cell = MouseCoord(p.X, p.Y);
    if (cell.X < 0 || cell.Y < 0) return false;
    TCursor cursor = crDefault;
    if (cell.X < FIndicatorOffset && cell.Y >= TopDataOffset() && !DataLink()->DataSet()->IsEmpty() &&
        IsSelectionTypeAllowed(gstRecordBookmarks) && !FIndicatorOptions.Contains(gioShowRowselCheckboxesEh))
        cursor = UseRightToLeftAlignment() ? RowSelectCursorRightToLeft() : RowSelectCursor();
    else if (InColumnSelectZone(p.X, p.Y))
        cursor = ColumnSelectCursor();
    if (cursor == crDefault) return false;
    ::SetCursor(cursor);
    Message.Result = 1;
    return true;
}
