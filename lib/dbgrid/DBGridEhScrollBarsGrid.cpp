// The data grid's side of its scroll bars: the settings objects and panel controls it owns, the
// vertical bar fed from the data set, and the routing of the base grid's scroll writes.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include <QScopeGuard>

#include <algorithm>

void TCustomDBGridEh::CreateScrollBarPanels() {
    auto panel = [this](TScrollBarKind Kind, const char* Name) {
        auto* pc = new TDBGridEhScrollBarPanelControl(this, Kind);
        pc->SetName(QString::fromLatin1(Name));
        pc->SetVisible(false);
        pc->SetParent(this);
        pc->SetBounds(0, 0, 0, 0);
        return pc;
    };
    FHorzScrollBarPanelControl = panel(sbHorizontal, "HorzScrollBarPanelControl");
    FVertScrollBarPanelControl = panel(sbVertical, "VertScrollBarPanelControl");
    FCornerScrollBarPanelControl = new TSizeGripPanelEh(this);
    FCornerScrollBarPanelControl->SetName(QStringLiteral("CornerScrollBarPanelControl"));
    FCornerScrollBarPanelControl->SetVisible(false);
    FCornerScrollBarPanelControl->SetParentBackground(false);
    FCornerScrollBarPanelControl->SetParent(this);
    FCornerScrollBarPanelControl->SetBounds(0, 0, 0, 0);
}

void TCustomDBGridEh::CreateScrollBars() {
    FHorzScrollBar.reset(static_cast<THorzDBGridEhScrollBar*>(CreateScrollBar(sbHorizontal)));
    FVertScrollBar.reset(static_cast<TVertDBGridEhScrollBar*>(CreateScrollBar(sbVertical)));
}

TDBGridEhScrollBar* TCustomDBGridEh::CreateScrollBar(TScrollBarKind Kind) {
    if (Kind == sbVertical) return new TVertDBGridEhScrollBar(this);
    return new THorzDBGridEhScrollBar(this);
}

void TCustomDBGridEh::ScrollBarNotification(TComponent* AComponent) {
    if (FVertScrollBar && AComponent == FVertScrollBar->ExtScrollBar())
        FVertScrollBar->SetExtScrollBar(nullptr);
    else if (FHorzScrollBar && AComponent == FHorzScrollBar->ExtScrollBar())
        FHorzScrollBar->SetExtScrollBar(nullptr);
}

bool TCustomDBGridEh::ScrollBarPanel() {
    return (FHorzScrollBar && FHorzScrollBar->ScrollBarPanel()) ||
           (FVertScrollBar && FVertScrollBar->ScrollBarPanel());
}

void TCustomDBGridEh::UpdateScrollBarPanels() {
    if (!FHorzScrollBar || !FVertScrollBar || FDestroying) return;
    DBGridEhUpdateScrollBarPanels(this);
}

void TCustomDBGridEh::ScrollBarSmoothStepChanged(TScrollBarKind Kind) {
    // The objects are made one after the other: nothing to recompute before both stand.
    if (!FHorzScrollBar || !FVertScrollBar) return;
    if (Kind == sbHorizontal)
        UpdateHorzDataSize();
    else
        UpdateVertDataSize();
    UpdateScrollRange();
}

void TCustomDBGridEh::UpdateHorzExtScrollBar() {
    if (FHorzScrollBar) DBGridEhUpdateHorzExtScrollBar(this);
}

void TCustomDBGridEh::SetScrollBarInfo(int Bar, UINT Mask, int Pos, int Page, int Max, int Min) {
    if (!FHorzScrollBar || !FVertScrollBar) {
        TCustomDBAxisGridEh::SetScrollBarInfo(Bar, Mask, Pos, Page, Max, Min);
        return;
    }
    DBGridEhSetScrollBarInfo(this, Bar, Mask, Pos, Page, Max, Min);
}

bool TCustomDBGridEh::GetScrollBarInfo(int Bar, SCROLLINFO& ScrollInfo) {
    if (!FHorzScrollBar || !FVertScrollBar) return TCustomDBAxisGridEh::GetScrollBarInfo(Bar, ScrollInfo);
    return DBGridEhGetScrollBarInfo(this, Bar, ScrollInfo);
}

int TCustomDBGridEh::GetScrollBarSize(int Bar) {
    if (!FHorzScrollBar || !FVertScrollBar) return TCustomDBAxisGridEh::GetScrollBarSize(Bar);
    return DBGridEhGetScrollBarSize(this, Bar);
}

void TCustomDBGridEh::ModifyScrollBar(int ScrollBar, int ScrollCode, int Pos, bool UseRightToLeft) {
    FScrollBarMessage = true;
    const auto done = qScopeGuard([this] { FScrollBarMessage = false; });
    if (ScrollBar == SB_HORZ && FHorzScrollBar->Tracking() && ScrollCode == SB_THUMBTRACK)
        ScrollCode = SB_THUMBPOSITION;
    // The base grid scrolls what it shows a bar for itself: the vertical one only when rows
    // scroll by pixels.
    const bool baseVert = ScrollBars() == ssVertical || ScrollBars() == ssBoth;
    if (ScrollBar != SB_VERT || baseVert) {
        TCustomDBAxisGridEh::ModifyScrollBar(ScrollBar, ScrollCode, Pos, UseRightToLeft);
        return;
    }
    if (!TryAcquireFocus()) return;
    if (IsExtendedScrolling()) {
        if (!FVertScrollBar->SmoothStep())
            ScrollTopRowByCode(ScrollCode, Pos);
        else if (ScrollCode == SB_THUMBTRACK && FVertScrollBar->Tracking())
            Perform(WM_VSCROLL, MAKEWPARAM(Word(SB_THUMBPOSITION), Word(std::max(0, Pos))), 0);
        else
            TCustomDBAxisGridEh::ModifyScrollBar(ScrollBar, ScrollCode, Pos, UseRightToLeft);
        return;
    }
    if (DataLink()->Active()) ScrollRecordsByCode(ScrollCode, Pos);
}

void TCustomDBGridEh::ScrollRecordsByCode(int ScrollCode, int Pos) {
    TDataSet* ds = DataLink()->DataSet();
    // A page is the data rows the grid shows now, not the rows it could hold.
    const int page = VisibleDataRowCount();
    switch (ScrollCode) {
    case SB_LINEUP:
        // To the record before the first visible one: the buffer moves by one.
        MoveBy(-DataLink()->ActiveRecord() - 1);
        break;
    case SB_LINEDOWN:
        MoveBy(DataLink()->RecordCount() - DataLink()->ActiveRecord());
        break;
    case SB_PAGEUP:
        MoveBy(-page);
        break;
    case SB_PAGEDOWN:
        MoveBy(page);
        break;
    case SB_THUMBPOSITION:
        // The drag that ended here moved the record already.
        if (FThumbTracked) {
            FThumbTracked = false;
            break;
        }
        if (FSumList->IsSequenced()) {
            if (Pos <= 1)
                ds->First();
            else if (Pos < FSumList->RecordCount())
                FSumList->SetRecNo(Pos);
            else
                ds->Last();
        } else if (Pos <= 0) {
            ds->First();
        } else if (Pos == 1) {
            MoveBy(-page);
        } else if (Pos == 3) {
            MoveBy(page);
        } else if (Pos >= 4) {
            ds->Last();
        }
        break;
    case SB_THUMBTRACK:
        if (!FVertScrollBar->Tracking()) break;
        MoveBy(Pos - FSumList->RecNo());
        FThumbTracked = true;
        break;
    case SB_TOP:
        ds->First();
        break;
    case SB_BOTTOM:
        ds->Last();
        break;
    default:
        break;
    }
}

void TCustomDBGridEh::ScrollTopRowByCode(int ScrollCode, int Pos) {
    if (DataLink()->Active()) {
        TGridDrawInfoEh di;
        CalcDrawInfo(di);
        const int top = TopRow();
        switch (ScrollCode) {
        case SB_LINEUP:
            SafeMoveTop(top - 1, false);
            break;
        case SB_LINEDOWN:
            SafeMoveTop(top + 1, false);
            break;
        case SB_PAGEUP:
            // Back by the rows that make the current top row the last one of the page.
            SafeMoveTop(top - std::max(1, top - AxisCalcMaxTopLeft(top, di.Vert)), false);
            break;
        case SB_PAGEDOWN:
            SafeMoveTop(top + std::max(1, di.Vert.LastFullVisibleCell - top), false);
            break;
        case SB_TOP:
            SafeMoveTop(FixedRows(), false);
            break;
        case SB_BOTTOM:
            SafeMoveTop(RowCount(), false);
            break;
        case SB_THUMBTRACK:
            if (!FVertScrollBar->Tracking()) break;
            [[fallthrough]];
        case SB_THUMBPOSITION:
            SafeMoveTop(FixedRows() + Pos - 1, false);
            break;
        default:
            break;
        }
    }
    SyncVertScrollBarToTopRow();
}

int TCustomDBGridEh::SafeMoveTop(int ATop, bool CheckOnly) {
    const int top = TCustomDBAxisGridEh::SafeMoveTop(ATop, true);
    if (CheckOnly || top == TopRow()) return top;
    const int old = TopRow();
    SetTopRow(top);
    SyncVertScrollBarToTopRow();
    // The first shown row always shows its values, duplicates or not.
    if (HasHideDuplicatesColumns()) {
        InvalidateRow(top);
        InvalidateRow(old);
    }
    return top;
}

void TCustomDBGridEh::SyncVertScrollBarToTopRow() {
    if (!FVertScrollBar || !HandleAllocated()) return;
    if (FVertScrollBar->SmoothStep()) {
        UpdateScrollRange();
        return;
    }
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const int fixed = FixedRows();
    int page, max;
    if (FOptionsEh.Contains(dghAutoFitRowHeight)) {
        page = 0;
        max = TCustomDBAxisGridEh::SafeMoveTop(RowCount(), true) - fixed + 1;
    } else {
        page = di.Vert.LastFullVisibleCell - TopRow() + 1;
        max = RowCount() - fixed;
    }
    FVertScrollBar->SetParams(TopRow() - fixed + 1, 1, std::max(1, max), std::max(0, page));
    // The search panel sits beside the bar.
    UpdateSearchPanel();
}

void TCustomDBGridEh::ClampTopRow() {
    const int last = TCustomDBAxisGridEh::SafeMoveTop(RowCount(), true);
    if (TopRow() > last) SetTopRow(last);
}

void TCustomDBGridEh::UpdateEditAndHotTrack() {
    const int top = TopDataOffset();
    if (FTopLeftVisible && LeftCol() != FixedCols()) {
        for (int r = 0; r < top; ++r)
            InvalidateRow(r);
        FTopLeftVisible = false;
    } else if (!FTopLeftVisible && LeftCol() == FixedCols()) {
        for (int r = 0; r < top; ++r)
            InvalidateRow(r);
        FTopLeftVisible = true;
    }
    TCustomDBAxisGridEh::UpdateEditAndHotTrack();
    UpdateHorzExtScrollBar();
    if (UsesMemTable()) {
        FetchRecordsToFillPage();
        UpdateVertScrollBar();
    }
    // The filter row's editor follows its cell.
    if (FFilterEditMode) UpdateFilterEdit(false);
    InvalidateTreeRowCutAtBottom(FOldTopLeft.Y);
    if (OnTopLeftChanged) OnTopLeftChanged(this);
    if (FRowDetailPanel && FRowDetailPanel->Visible()) UpdateRowDetailPanel();
    FOldTopLeft = TopLeft();
}

void TCustomDBGridEh::OutBoundaryDataChanged() {
    // A running program has no design-time controller to tell.
    TCustomDBAxisGridEh::OutBoundaryDataChanged();
}

void TCustomDBGridEh::UpdateVertScrollBar() {
    if (!FVertScrollBar || !DataLink() || !HandleAllocated() || FShowingLoadingMode) return;
    if (IsExtendedScrolling()) {
        SyncVertScrollBarToTopRow();
        return;
    }
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    FVertScrollBar->GetScrollInfo(info);
    // Nothing to scroll.
    int min = 0, max = 1, page = 2, pos = 0;
    TDataSet* ds = DataLink()->DataSet();
    if (DataLink()->Active() && ds && ds->Active()) {
        if (FSumList->IsSequenced()) {
            min = 1;
            page = VisibleRowCount();
            max = FSumList->RecordCount() + page - 1;
            // An inserted record has no number yet: the thumb stays.
            pos = ds->State() > dsEdit ? info.nPos : FSumList->RecNo();
        } else {
            min = 0;
            page = 0;
            max = 4;
            pos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
        }
    }
    FVertScrollBar->SetParams(pos, min, max, page);
}
