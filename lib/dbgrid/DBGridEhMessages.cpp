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
#include <QGuiApplication>
#include <QPainter>
#include <QScopeGuard>

#include <optional>

namespace {

constexpr UINT_PTR TrackTimerId = 1;

// A small black arrow on a transparent square, pointing down (Angle 0) or sideways; none when
// no picture can be made (no screen to draw for).
std::optional<QCursor> ArrowCursor(int Angle) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return std::nullopt;
    QPixmap pm(16, 16);
    if (pm.isNull()) return std::nullopt;
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

// The screen answers every unknown cursor number with the standard arrow: the drawn cursor is
// put in its place once. When it cannot be drawn the grid shows the standard cursor instead.
TCursor RegisteredCursor(int Id, int Angle) {
    if (!Screen) return crDefault;
    if (Screen->Cursors(Id)->shape() != Qt::BitmapCursor) {
        const std::optional<QCursor> drawn = ArrowCursor(Angle);
        if (!drawn) return crDefault;
        Screen->SetCursors(Id, *drawn);
    }
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
        if (Message.WParam == TrackTimerId && RowPanelMode() &&
            (FRowPanelMoving || GridState() == gsColMoving)) {
            // The mouse may rest beside the panel: keep scrolling it towards the mouse.
            const TPoint p = CursorClientPos();
            TrackRowPanelColMoving(KeyboardStateToShiftState(), p.X, p.Y);
            return true;
        }
        return false;
    case CM_MOUSEWHEEL:
        return RouteMouseWheel(Message);
    case WM_COMMAND: {
        // The platform's handling hands EN_CHANGE back to the control that sent it.
        TCustomDBAxisGridEh::WndProc(Message);
        if (HiWord(Message.WParam) == EN_CHANGE) FilterEditTextChanged(HWND(Message.LParam));
        return true;
    }
    case CM_DESIGNHITTEST: {
        TCustomDBAxisGridEh::WndProc(Message);
        Message.Result =
            DesignHitTest(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam), int(Message.Result));
        return true;
    }
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

bool TCustomDBGridEh::RouteMouseWheel(TMessage& Message) {
    // A control below that does not take the wheel hands it to its parent, the grid: that
    // second arrival is answered as not handled instead of being routed round again.
    if (FRoutingWheel) {
        Message.Result = 0;
        return true;
    }
    FRoutingWheel = true;
    const auto done = qScopeGuard([this] { FRoutingWheel = false; });
    auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(InplaceEditor());
    if (editor && editor->Visible() && editor->ListVisible() && editor->ActiveList() &&
        editor->ActiveList()->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam) != 0) {
        Message.Result = 1;
        return true;
    }
    if (FFilterEditMode && FFilterEdit) {
        Message.Result = FFilterEdit->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
        return true;
    }
    if (FInTitleFilterListboxVisible && FInTitleFilterListbox) {
        Message.Result = FInTitleFilterListbox->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
        return true;
    }
    return false;
}

void TCustomDBGridEh::FilterEditTextChanged(HWND Sender) {
    if (!FFilterEdit || !FFilterEdit->HandleAllocated() || Sender != FFilterEdit->Handle()) return;
    // Texts the grid loads into the editor (emptying it first, then the column's text) are not
    // typing: applying them would empty the column's filter and then the editor with it.
    if (FFilterEditTextLock > 0 || FFilterCol == -1 || !FFilterEdit->Visible()) return;
    if (FFilterEdit->Text() == GetColumnFilterText(FFilterCol)) return;
    try {
        ApplyFilterEditText(FFilterCol);
    } catch (const Exception&) {
        // A text still being typed need not parse yet; the column keeps its last good text and
        // the editor what was typed. Ending the edit checks the text again and reports it.
    }
}

int TCustomDBGridEh::DesignHitTest(int X, int Y, int Inherited) {
    const bool customized = Columns()->State() == csCustomized;
    if (Inherited == 1 &&
        (!DataLink() || (!customized && (DataLink()->DefaultFields() || !DataLink()->Active()))))
        Inherited = 0;
    if (Inherited != 0) return Inherited;
    if (CanSizeFrozenColAt(X, Y)) return 1;
    if (RowPanelMode() && customized && FOptions.Contains(dgTitles)) {
        const TGridCoord cell = MouseCoord(X, Y);
        if (cell.X >= FIndicatorOffset && cell.Y == 0) return 1;
    }
    TRect top;
    if (OutBoundaryData()->GetOutBoundaryRect(top, cbtTopEh) && top.Contains(TPoint(X, Y))) return 1;
    return 0;
}

void TCustomDBGridEh::InvalidateHotTrackSpot(TGridHotTrackSpotEh* Spot) {
    TCustomDBAxisGridEh::InvalidateHotTrackSpot(Spot);
    // Titles light up with the row under the mouse: entering or leaving the title row repaints
    // them.
    if (!FOptions.Contains(dgTitles) || !FOldHotTrackSpot || !FNewHotTrackSpot) return;
    if ((FOldHotTrackSpot->Row() == 0) != (FNewHotTrackSpot->Row() == 0)) InvalidateTitle();
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
    if (FRowPanelMoving) EndColMoving(TShiftState(), -1, false, -1);
    if (FRowPanelSizing) {
        HideRowPanelDragFeedback();
        FRowPanelSizing = false;
    }
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
    case dgsColSizing:
        // Only the line goes; the cells under it stay as they are.
        HideSizingLine();
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
