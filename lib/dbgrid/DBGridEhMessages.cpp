// The data grid's window messages that route to the parts it owns: keys to an open in-title
// filter list, automatic drag mode around a press, the tracking timer, focus changes (selection
// painting, sort marking, the filter editor), cancel mode and child notifications; the painting
// of the selection and the cursors of the selection zones.

#include "lib/dbgrid/DBGridEh.h"

#include "lib/dbgrid/DBGridEhFilter.h"
#include "lib/dbgrid/DBGridEhFilterRow.h"
#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <QCursor>
#include <QPainter>
#include <QScopeGuard>

namespace {

constexpr UINT_PTR TrackTimerId = 1;

// A small black arrow on a transparent square, pointing down (Angle 0) or sideways.
QCursor ArrowCursor(int Angle) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.translate(8, 8);
    p.rotate(Angle);
    p.setPen(Qt::white);
    p.setBrush(Qt::black);
    const QPoint tri[3] = {QPoint(-5, 0), QPoint(5, 0), QPoint(0, 6)};
    p.drawPolygon(tri, 3);
    p.fillRect(QRect(-2, -7, 4, 7), Qt::black);
    p.end();
    return QCursor(pm, 8, 8);
}

TCursor RegisteredCursor(int Id, int Angle) {
    if (Screen && !Screen->Cursors(Id)) Screen->SetCursors(Id, ArrowCursor(Angle));
    return TCursor(Id);
}

} // namespace

TCursor TCustomDBGridEh::ColumnSelectCursor() {
    return RegisteredCursor(101, 0);
}

TCursor TCustomDBGridEh::RowSelectCursor() {
    return RegisteredCursor(102, -90);
}

TCursor TCustomDBGridEh::RowSelectCursorRightToLeft() {
    return RegisteredCursor(103, 90);
}

// ---------------------------------------------------------------------------------------------
// Routing

bool TCustomDBGridEh::RouteGridMessage(TMessage& Message) {
    const UINT msg = Message.Msg;
    if (FInTitleFilterListboxVisible && FInTitleFilterListbox &&
        (msg == WM_KEYDOWN || msg == WM_CHAR || msg == WM_SYSKEYDOWN)) {
        // The open list takes the keys.
        Message.Result = FInTitleFilterListbox->Perform(msg, Message.WParam, Message.LParam);
        return true;
    }
    if ((msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) && DragMode() == dmAutomatic &&
        !ComponentState().Contains(csDesigning)) {
        // The press decides itself whether it drags (a pressed selected cell, then a move).
        SetDragMode(dmManual);
        FAutoDrag = true;
        const auto restore = qScopeGuard([this] {
            FAutoDrag = false;
            SetDragMode(dmAutomatic);
        });
        WndProc(Message);
        return true;
    }
    switch (msg) {
    case WM_TIMER:
        if (Message.WParam == TrackTimerId &&
            (FIndicatorPressed || FDataTracking || FDBGridEhState == dgsColSelecting)) {
            TrackMouseSelection();
            return true;
        }
        return false;
    case WM_SETFOCUS:
        HandleFocusMessage(Message, true);
        return true;
    case WM_KILLFOCUS:
        HandleFocusMessage(Message, false);
        return true;
    case WM_CANCELMODE:
        // The in-title list closes in InTitleFilterListboxCancelCheck, before this.
        TCustomDBAxisGridEh::WndProc(Message);
        return true;
    case CM_CANCELMODE: {
        if (FFilterEdit) FFilterEdit->Perform(msg, Message.WParam, Message.LParam);
        TCustomDBAxisGridEh::WndProc(Message);
        return true;
    }
    default:
        return false;
    }
}

void TCustomDBGridEh::InvalidateRowSelectionRect() {
    if (!FOptions.Contains(dgRowSelect) || !HandleAllocated()) return;
    const TGridRect s = Selection()->SelectionToGridRect();
    TGridRect r = s;
    r.Left = std::max(0, s.Left - FFrozenCols);
    InvalidateGridRect(r);
}

void TCustomDBGridEh::HandleFocusMessage(TMessage& Message, bool Gained) {
    if (!Gained && FSortMarking &&
        (!InplaceEditor() || !InplaceEditor()->HandleAllocated() ||
         HWND(Message.WParam) != InplaceEditor()->Handle())) {
        // A sort marking begun with Ctrl held is applied when the focus leaves the grid, but
        // not when it only goes to the grid's own editor.
        FSortMarking = false;
        SortMarkingChanged();
    }
    InvalidateRowSelectionRect();
    TCustomDBAxisGridEh::WndProc(Message);
    if (Gained && FFilterEdit && FFilterEditMode &&
        (!FFilterEdit->HandleAllocated() || HWND(Message.WParam) != FFilterEdit->Handle()) &&
        FFilterEdit->CanFocus())
        FFilterEdit->SetFocus();
    if (IsFocusInside() != FSelectionActive) {
        InvalidateSelection();
        if (FEditButtonsShowOptions.Contains(sebShowOnlyWhenGridActiveEh) &&
            !FEditButtonsShowOptions.Contains(sebShowOnlyForCurCellEh) &&
            !FEditButtonsShowOptions.Contains(sebShowOnlyForCurRowEh))
            Invalidate();
    }
    // Losing the focus to anything but the list itself closes it.
    if (!Gained) InTitleFilterListboxFocusLost(HWND(Message.WParam));
}

void TCustomDBGridEh::SetFocus() {
    if (SearchEditorMode() && SearchPanelControl() && SearchPanelControl()->Visible()) {
        SearchPanel()->SetActive(true);
        return;
    }
    TCustomDBAxisGridEh::SetFocus();
}

// ---------------------------------------------------------------------------------------------
// Selection painting

void TCustomDBGridEh::InvalidateSelection() {
    const TDBGridEhSelectionType type = Selection()->SelectionType();
    if (type == gstAll)
        Invalidate();
    else if (type != gstNon)
        InvalidateGridRect(Selection()->SelectionToGridRect());
    if (Row() >= 0 && Row() < RowCount()) InvalidateRow(Row());
    FSelectionActive = IsFocusInside();
}

bool TCustomDBGridEh::IsCellSelected(int ACol, int ARow, const TBookmark& Bookmark, int DataCol) {
    TDBGridEhSelection* sel = Selection();
    if (sel->SelectionType() == gstAll) return true;
    const TGridRect box = DataBox();
    const bool dataRow = ARow >= box.Top && ARow <= box.Bottom;
    if (ACol < box.Left && dataRow) {
        int index = 0;
        return sel->SelectionType() == gstRecordBookmarks && SelectedRows()->Find(Bookmark, index);
    }
    TColumnEh* column = DataColumn(DataCol);
    if (dataRow) return column && sel->DataCellSelected(column->Index(), Bookmark);
    return sel->SelectionType() == gstColumns && column && sel->Columns()->IndexOf(column) >= 0;
}

// ---------------------------------------------------------------------------------------------
// Cancel mode and the tracking timer

void TCustomDBGridEh::CancelMode() {
    TCustomDBAxisGridEh::CancelMode();
    FDSMouseCapture = false;
    CancelTracking();
    switch (FDBGridEhState) {
    case dgsNormal:
        break;
    case dgsGroupPanelTitleMoving:
        EndGroupPanelTitleMoving(TShiftState(), -1, false, -1);
        break;
    case dgsGroupPanelTitleDown:
        break;
    default:
        StopTimer();
        break;
    }
    FDBGridEhState = dgsNormal;
}

void TCustomDBGridEh::ExtendSelectionByTimer(int Directions) {
    if (!DataLink()->Active()) return;
    constexpr int Left = 1, Right = 2, Up = 4, Down = 8;
    if (Directions & Up) MoveBy(-DataLink()->ActiveRecord() - 1);
    if (Directions & Down) MoveBy(DataLink()->RecordCount() - DataLink()->ActiveRecord());
    Directions &= Left | Right;
    if (Directions) TCustomDBAxisGridEh::ExtendSelectionByTimer(Directions);
}
