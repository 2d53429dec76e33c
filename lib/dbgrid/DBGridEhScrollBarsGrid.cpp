// The data grid's side of its scroll bars: the settings objects and panel controls it owns, the
// vertical bar fed from the data set, and the routing of the base grid's scroll writes.

#include "lib/dbgrid/DBGridEh.h"

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
    if (ScrollBar == SB_VERT && DataLink()->Active()) {
        TMessage m{WM_VSCROLL, MAKEWPARAM(Word(ScrollCode), Word(SmallInt(Pos))), 0, 0};
        HandleVScroll(m);
        return;
    }
    TCustomDBAxisGridEh::ModifyScrollBar(ScrollBar, ScrollCode, Pos, UseRightToLeft);
}

void TCustomDBGridEh::OutBoundaryDataChanged() {
    // A running program has no design-time controller to tell.
    TCustomDBAxisGridEh::OutBoundaryDataChanged();
}

void TCustomDBGridEh::UpdateVertScrollBar() {
    if (!FVertScrollBar || !DataLink() || !HandleAllocated()) return;
    if (UsesMemTable()) {
        // The grid scrolls over every view row itself: the bar follows the top row.
        TGridDrawInfoEh di;
        CalcDrawInfo(di);
        const int top = TopRow(), fixed = FixedRows();
        const int page = std::max(1, di.Vert.LastFullVisibleCell - top + 1);
        FVertScrollBar->SetParams(top - fixed + 1, 1, std::max(1, RowCount() - fixed), page);
        return;
    }
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    FVertScrollBar->GetScrollInfo(info);
    // Nothing to scroll.
    int min = 0, max = 1, page = 2, pos = 0;
    TDataSet* ds = DataLink()->DataSet();
    if (DataLink()->Active() && ds && ds->Active()) {
        if (ds->IsSequenced()) {
            min = 1;
            page = VisibleRowCount();
            max = ds->RecordCount() + page - 1;
            // An inserted record has no number yet: the thumb stays.
            pos = ds->State() > dsEdit ? info.nPos : ds->RecNo();
        } else {
            min = 0;
            page = 0;
            max = 4;
            pos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
        }
    }
    FVertScrollBar->SetParams(pos, min, max, page);
}
