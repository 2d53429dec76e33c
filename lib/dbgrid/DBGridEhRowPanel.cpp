// The data grid's row panel: the placement of the columns inside the master cell, their hit
// tests, horizontal scrolling inside the panel, the painting of the panel's title, data and
// footer cells, the cell editor placed over a panel cell, the panel's keys and mouse, and the
// sizing of the panel's columns in the title row.
//
// In row-panel mode the grid has one data column (the master cell, grid column
// IndicatorOffset); the column that holds the current cell is FInRowPanelCol, an index into the
// grid's columns, which SelectedIndex answers.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhInplace.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <QFontMetrics>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// Settings

void TGridRowPanelEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TGridRowPanelEh*>(Source)) {
        SetActive(s->Active());
        return;
    }
    TPersistent::Assign(Source);
}

void TGridRowPanelEh::SetActive(bool Value) {
    if (Value != FActive) {
        TCustomDBGridEh* g = FGrid;
        // The column that had the current cell keeps it inside the panel and back outside.
        const int selected = g->SelectedIndex();
        FActive = Value;
        if (Value) {
            g->FInRowPanelCol = std::max(0, selected);
            if (g->ColCount() > g->IndicatorOffset()) g->SetCol(g->IndicatorOffset());
        }
        g->LayoutChanged();
        if (!Value && selected >= 0) g->SetSelectedIndex(selected);
        return;
    }
    FGrid->LayoutChanged();
}

void TCustomDBGridEh::TRowPanelDeleter::operator()(TGridRowPanelEh* P) const {
    delete P;
}

void TCustomDBGridEh::TRowPanelDeleter::operator()(TRowDetailPanelEh* P) const {
    delete P;
}

void TCustomDBGridEh::CreateRowPanelParts() {
    FGridRowPanel.reset(new TGridRowPanelEh(this));
    FRowDetailPanel.reset(new TRowDetailPanelEh(this));
    FRowDetailControl = new TRowDetailPanelControlEh(this);
    FRowDetailControl->SetName(QStringLiteral("RowDetailData"));
    FRowDetailControl->SetVisible(false);
    FRowDetailControl->SetParent(this);
    FRowDetailControl->SetBounds(0, 0, 0, 0);
}

bool TCustomDBGridEh::RowPanelMode() const {
    return FGridRowPanel && FGridRowPanel->Active();
}

void TCustomDBGridEh::SetRowPanel(TGridRowPanelEh* Value) {
    if (!Value) {
        if (ComponentState().Contains(csLoading)) FGridRowPanel->SetActive(true);
        return;
    }
    FGridRowPanel->Assign(Value);
}

void TCustomDBGridEh::SetRowDetailPanel(TRowDetailPanelEh* Value) {
    FRowDetailPanel->Assign(Value);
}

int TCustomDBGridEh::InRowPanelLineHeight() {
    QFontMetrics fm(TitleFont()->ToQFont());
    return fm.height() + 4 + (Flat() ? 0 : 1);
}

TGridOptions TCustomDBGridEh::GetEffectiveOptions() {
    if (!ComponentState().Contains(csDesigning)) return BaseOptions();
    TGridOptions o{goColSizing};
    if (Columns()->State() == csCustomized) o.Include(goColMoving);
    if (Columns()->State() == csCustomized && RowPanelMode()) o.Include(goRowSizing);
    return o;
}

// ---------------------------------------------------------------------------------------------
// Placement of the columns

void TDBGridColumnsEh::RelayoutCellsInRowPanel() {
    TCustomDBGridEh* g = FDBGrid;
    if (!g) return;
    const int L = g->InRowPanelLineHeight();
    const int W = g->GridLineWidth();
    // The right edge reached so far on each line.
    std::vector<int> edges(1, 0);
    for (int i = 0; i < Count(); ++i) {
        TColumnEh* c = Columns(i);
        const int first = c->InRowLinePos();
        const int last = first + c->InRowLineHeight() - 1;
        if (int(edges.size()) <= last) edges.resize(size_t(last) + 1, 0);
        int m = 0;
        for (int line = first; line <= last; ++line)
            m = std::max(m, edges[size_t(line)]);
        TColumnEhInRowPanelPlacement& p = c->FRowPlacement;
        p.Left = m;
        p.Top = first * (W + L);
        p.Width = c->Visible() ? c->Width() : 0;
        p.Height = c->InRowLineHeight() * (W + L) - 1;
        p.DataCellLeft = p.Left;
        p.DataCellWidth = p.Width;
        if (p.Left == 0) {
            p.Width += g->FExtraFirstColumnWidth;
            p.DataCellLeft += g->FExtraFirstColumnWidth;
        }
        for (int line = first; line <= last; ++line)
            edges[size_t(line)] = c->Visible() ? W + m + p.Width : m;
    }
    g->FGridMasterCellHeight = L;
    g->FGridMasterCellWidth = 0;
    for (int i = 0; i < Count(); ++i) {
        TColumnEh* c = Columns(i);
        if (!c->Visible()) continue;
        const TColumnEhInRowPanelPlacement& p = c->RowPlacement();
        g->FGridMasterCellWidth = std::max(g->FGridMasterCellWidth, p.Width + p.Left);
        g->FGridMasterCellHeight = std::max(g->FGridMasterCellHeight, p.Top + p.Height);
    }
}

void TCustomDBGridEh::SortColumnsByRowPanelPlacement() {
    if (!RowPanelMode() || FSortingRowPanelColumns) return;
    TDBGridColumnsEh* cols = Columns();
    std::vector<TColumnEh*> order;
    for (int i = 0; i < cols->Count(); ++i)
        order.push_back(cols->Columns(i));
    std::stable_sort(order.begin(), order.end(), [](TColumnEh* a, TColumnEh* b) {
        const TColumnEhInRowPanelPlacement& p = a->RowPlacement();
        const TColumnEhInRowPanelPlacement& q = b->RowPlacement();
        if (p.Left != q.Left) return p.Left < q.Left;
        if (p.Top != q.Top) return p.Top < q.Top;
        // Hidden columns before shown ones at the same place.
        return !a->Visible() && b->Visible();
    });
    bool same = true;
    for (int i = 0; i < cols->Count() && same; ++i)
        same = order[size_t(i)] == cols->Columns(i);
    if (same) return;
    FSortingRowPanelColumns = true;
    const auto done = qScopeGuard([this] { FSortingRowPanelColumns = false; });
    cols->BeginUpdate();
    const auto end = qScopeGuard([cols] { cols->EndUpdate(); });
    for (int i = 0; i < int(order.size()); ++i)
        order[size_t(i)]->SetIndex(i);
}

void TCustomDBGridEh::ScaleRowPanelToClient() {
    const int indicator = FIndicatorOffset > 0 && ColCount() > 0 ? ColWidths(0) : 0;
    const int to = GridClientWidth() - indicator - (FOptions.Contains(dgColLines) ? 1 : 0);
    const int from = FGridMasterCellWidth + GridLineWidth();
    // Scaling keeps the cells' edges, so a panel already as wide as the client stays as it is;
    // scaling it again would only start another layout round.
    if (from == to || to <= 0) return;
    Columns()->ScaleWidths(from, to);
}

void TCustomDBGridEh::RowPanelRebuildLayout() {
    if (!RowPanelMode()) return;
    TDBGridColumnsEh* cols = Columns();
    cols->RelayoutCellsInRowPanel();
    SortColumnsByRowPanelPlacement();
    cols->RelayoutCellsInRowPanel();
    FColWidthsChanged = true;
}

namespace {

TRect PlacementRect(const TColumnEhInRowPanelPlacement& p, bool TitleType) {
    return TitleType ? TRect(p.Left, p.Top, p.Left + p.Width, p.Top + p.Height)
                     : TRect(p.DataCellLeft, p.Top, p.DataCellLeft + p.DataCellWidth, p.Top + p.Height);
}

} // namespace

TColumnEh* TCustomDBGridEh::GetColumnInRowPanelAtPos(TPoint InCellPos, bool IsTitleTypeCell) {
    if (UseRightToLeftAlignment()) InCellPos.X = FGridMasterCellWidth - InCellPos.X;
    TDBGridColumnsEh* cols = Columns();
    for (int i = 0; i < cols->Count(); ++i) {
        TColumnEh* c = cols->Columns(i);
        if (!c->Visible()) continue;
        TRect r = PlacementRect(c->RowPlacement(), IsTitleTypeCell);
        if (FOptions.Contains(dgColLines)) r.Right += GridLineWidth();
        if (FOptions.Contains(dgRowLines)) r.Bottom += GridLineWidth();
        if (r.Contains(InCellPos)) return c;
    }
    return nullptr;
}

TColumnEh* TCustomDBGridEh::GetCellRectInRowPanelAtPos(TPoint InCellPos, TRect& ACellRect,
                                                       bool IncludeLines) {
    TDBGridColumnsEh* cols = Columns();
    for (int i = 0; i < cols->Count(); ++i) {
        TColumnEh* c = cols->Columns(i);
        if (!c->Visible()) continue;
        TRect r = PlacementRect(c->RowPlacement(), true);
        if (IncludeLines) {
            if (FOptions.Contains(dgColLines)) r.Right += GridLineWidth();
            if (FOptions.Contains(dgRowLines)) r.Bottom += GridLineWidth();
        }
        if (r.Contains(InCellPos)) {
            ACellRect = r;
            return c;
        }
    }
    return nullptr;
}

TRect TCustomDBGridEh::RowPanelColumnRect(int ARow, TColumnEh* Column, bool TitleType) {
    const TRect cell = CellRect(FIndicatorOffset, ARow);
    TRect r = PlacementRect(Column->RowPlacement(), TitleType);
    if (UseRightToLeftAlignment()) {
        const int l = r.Left;
        r.Left = cell.Right - r.Right;
        r.Right = cell.Right - l;
        r.Offset(LeftColOffset(), cell.Top);
    } else {
        r.Offset(cell.Left - LeftColOffset(), cell.Top);
    }
    return r;
}

TColumnEh* TCustomDBGridEh::RowPanelColumnAtPoint(int X, int Y, int ARow) {
    const TRect cell = CellRect(FIndicatorOffset, ARow);
    TPoint p{X - cell.Left + LeftColOffset(), Y - cell.Top};
    // The hit test mirrors right-to-left points itself: hand it the left-to-right position.
    if (UseRightToLeftAlignment()) p.X = FGridMasterCellWidth - (cell.Right - X + LeftColOffset());
    const bool titleType = ARow < TopDataOffset() || ARow >= TopDataOffset() + DataRowCount();
    return GetColumnInRowPanelAtPos(p, titleType);
}

// ---------------------------------------------------------------------------------------------
// Horizontal scrolling inside the panel and the current cell

void TCustomDBGridEh::ScrollRowPanelCellIntoView(int Index) {
    if (!HandleAllocated() || !RowPanelMode()) return;
    TColumnEh* c = DataColumn(Index);
    if (!c) return;
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const int page = std::max(0, di.Horz.GridBoundary - di.Horz.FixedBoundary);
    const int pos = LeftColOffset();
    const TColumnEhInRowPanelPlacement& p = c->RowPlacement();
    const int line = FOptions.Contains(dgColLines) ? GridLineWidth() : 0;
    int to = pos;
    if (p.DataCellLeft + p.DataCellWidth + line > pos + page)
        to = p.DataCellWidth + line > page ? p.DataCellLeft : p.DataCellLeft + p.DataCellWidth + line - page;
    if (p.DataCellLeft < to) to = p.DataCellLeft;
    if (to != pos) SmoothScrollBy(to - pos, 0);
}

void TCustomDBGridEh::SetInRowPanelCol(int Index) {
    if (Index == FInRowPanelCol) return;
    ScrollRowPanelCellIntoView(Index);
    FInRowPanelCol = Index;
    UpdateEdit();
    InvalidateRow(Row());
}

void TCustomDBGridEh::MoveToCell(int ACol, int ARow, bool MoveAnchor) {
    if (!RowPanelMode()) {
        TCustomDBAxisGridEh::MoveToCell(ACol, ARow, MoveAnchor);
        return;
    }
    // The master cell is usually wider than the page: only the panel's own scrolling brings the
    // selected column into view.
    MoveCurrent(ACol, ARow, true, false, MoveAnchor);
    ScrollRowPanelCellIntoView(FInRowPanelCol);
    UpdateEdit();
    Click();
}

bool TCustomDBGridEh::IsSmoothHorzScroll() {
    // The panel scrolls by pixels; otherwise the base grid's choice stands.
    return TCustomDBAxisGridEh::IsSmoothHorzScroll() || RowPanelMode();
}

void TCustomDBGridEh::ScrollDataInfo(int DX, int DY, const TGridDrawInfoEh& DrawInfo) {
    if (DX != 0 && FEmptyDataInfo && FEmptyDataInfo->Showing()) {
        InvalidateGrid();
        return;
    }
    TCustomDBAxisGridEh::ScrollDataInfo(DX, DY, DrawInfo);
}

// ---------------------------------------------------------------------------------------------
// Painting

void TCustomDBGridEh::DrawRowPanelTitleCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                            const TRect& ARect, int AreaCol, int AreaRow) {
    (void)ACol;
    (void)CellType;
    (void)AreaCol;
    DrawRowPanelCells(ARow, CellType.Y == 1 ? 1 : 0, AState, ARect, AreaRow);
}

void TCustomDBGridEh::DrawRowPanelDataCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                           const TRect& ARect, int AreaCol, int AreaRow) {
    (void)AreaCol;
    TRect r = ARect;
    if (GroupingShowsRows()) {
        // A group row is drawn whole; a record row gets its levels' indent first.
        TRect area = ARect;
        if (DrawGroupingDataCell(ACol, ARow, CellType, AState, area, 0, AreaRow)) return;
        if (FExtraFirstColumnWidth > 0) r.Left = std::max(r.Left, area.Left);
    }
    DrawRowPanelCells(ARow, 2, AState, r, AreaRow);
}

void TCustomDBGridEh::DrawRowPanelFooterCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                             const TRect& ARect, int AreaCol, int AreaRow) {
    (void)ACol;
    (void)CellType;
    (void)AreaCol;
    DrawRowPanelCells(ARow, 4, AState, ARect, AreaRow);
}

// Kind: 0 titles, 1 filter row, 2 data, 4 footers (the vertical cell kinds of GetCellType).
void TCustomDBGridEh::DrawRowPanelCells(int ARow, int Kind, TGridDrawState AState, const TRect& ARect,
                                        int AreaRow) {
    TCanvas* c = Canvas();
    const bool data = Kind == 2;
    const bool titleType = Kind == 0 || Kind == 1;
    c->Brush()->SetColor(titleType ? ColumnDefValues()->Title()->Color() : Color());
    c->FillRect(ARect);
    // The cell's rectangle before the group indent moved its left edge.
    TRect master = ARect;
    if (data && GroupingShowsRows() && FExtraFirstColumnWidth > 0) master.Left -= FExtraFirstColumnWidth;
    const int lw = GridLineWidth();
    TColor lineColor;
    if (titleType)
        lineColor = FTitleParams->GetVertLineColor();
    else if (Kind == 4)
        lineColor = GridLineColors()->DataHorzColor();
    else
        lineColor = GridLineColors()->DataHorzColor();
    const bool current = Row() == ARow && data;
    // A group footer row shows its footer items in the columns' places.
    TGroupDataTreeNodeEh* flatNode = data && GroupingShowsRows() ? FlatNode(AreaRow) : nullptr;
    const bool footerRow = flatNode && flatNode->NodeType() == dntDataGroupFooterEh;
    const TGridCoord hot = HotTrackCell();
    const int hotCol = hot.Y == ARow ? FHotTrackRowPanelCol : -1;
    for (int i = 0; i < Columns()->Count(); ++i) {
        TColumnEh* col = Columns()->Columns(i);
        if (!col->Visible()) continue;
        const TRect p = PlacementRect(col->RowPlacement(), !data);
        TRect r = UseRightToLeftAlignment() ? TRect(master.Right - p.Right, master.Top + p.Top,
                                                    master.Right - p.Left, master.Top + p.Bottom)
                                            : TRect(master.Left + p.Left, master.Top + p.Top,
                                                    master.Left + p.Right, master.Top + p.Bottom);
        if (r.IsEmpty()) continue;
        // The lines between the panel's cells.
        if (lw > 0) {
            c->Brush()->SetColor(lineColor);
            if (r.Bottom < master.Bottom && (FOptions.Contains(dgRowLines) || titleType))
                c->FillRect(TRect(r.Left, r.Bottom, r.Right + lw, r.Bottom + lw));
            if (r.Right < master.Right && (FOptions.Contains(dgColLines) || titleType)) {
                const int x = UseRightToLeftAlignment() ? r.Left - lw : r.Right;
                c->FillRect(TRect(x, r.Top, x + lw, r.Bottom));
            }
        }
        TGridDrawState state;
        if (AState.Contains(gdFixed)) state.Include(gdFixed);
        if (current && (i == FInRowPanelCol || FOptions.Contains(dgRowSelect))) {
            if (Focused() || FOptions.Contains(dgAlwaysShowSelection)) state.Include(gdFocused);
            state.Include(gdSelected);
        }
        if (hotCol == i) state.Include(gdHotTrack);
        const TPoint cellType{1, Kind};
        const TRect clip = r;
        if (data && footerRow) {
            GroupingReadRowEnter(AreaRow);
            const auto leave = qScopeGuard([this] { GroupingReadRowLeave(); });
            DrawGroupFooterCell(FIndicatorOffset, ARow, cellType, state, clip, i, AreaRow);
        } else if (Kind == 4)
            DrawGridFooterCell(FIndicatorOffset, ARow, cellType, state, clip, i, AreaRow);
        else if (data)
            DrawGridDataCell(FIndicatorOffset, ARow, cellType, state, clip, i, AreaRow);
        else
            DrawTitleCell(FIndicatorOffset, ARow, cellType, state, clip, i, AreaRow);
    }
}

// ---------------------------------------------------------------------------------------------
// The cell editor over a panel cell

void TCustomDBGridEh::ShowEditor() {
    if (FFilterEditMode) SetFilterEditMode(false);
    if (RowPanelMode()) ScrollRowPanelCellIntoView(SelectedIndex());
    TCustomDBAxisGridEh::ShowEditor();
}

void TCustomDBGridEh::HideEditor() {
    TCustomDBAxisGridEh::HideEditor();
    if (RowPanelMode()) {
        InvalidateCell(Col(), Row());
        FInplaceColInRowPanel = -1;
        FInplaceRow = -1;
    }
}

void TCustomDBGridEh::UpdateText() {
    if (RowPanelMode()) {
        if (FInRowPanelCol != -1 && FInplaceRow != -1 && InplaceEditor())
            SetEditText(Col(), FInplaceRow, InplaceEditor()->Text());
        return;
    }
    TCustomDBAxisGridEh::UpdateText();
}

void TDBGridInplaceEdit::Invalidate() {
    TCustomDBGridEh* g = DBGrid();
    if (g && g->RowPanelMode()) {
        if (HandleAllocated()) TCustomMaskEdit::Invalidate();
        return;
    }
    TDBAxisGridInplaceEdit::Invalidate();
}

void TCustomDBGridEh::ReloadRowPanelEditor() {
    // The base editor reloads whenever it stands on another cell than it was loaded for.
    FInplaceCol = -1;
    FInplaceRow = -1;
    FInplaceColInRowPanel = FInRowPanelCol;
}

void TCustomDBGridEh::PlaceRowPanelEditor() {
    if (!CanEditShow()) {
        HideEdit();
        return;
    }
    // Another panel column or record: the old text goes back before the editor reloads.
    if (InplaceEditor() && (FInRowPanelCol != FInplaceColInRowPanel || Row() != FInplaceRow)) {
        HideEdit();
        ReloadRowPanelEditor();
    }
    TCustomDBAxisGridEh::UpdateEdit();
    FInplaceColInRowPanel = FInRowPanelCol;
}

TRect TCustomDBGridEh::RowPanelEditRect() {
    TColumnEh* c = SelectedColumn();
    if (!c) return TRect();
    TRect r = RowPanelColumnRect(Row(), c, false);
    if (FRowDetailPanel->Active() && c == VisibleColumn(0) && r.Left + 18 < r.Right) {
        if (UseRightToLeftAlignment())
            r.Right -= 18;
        else
            r.Left += 18;
    }
    return r;
}

// ---------------------------------------------------------------------------------------------
// Keys

bool TCustomDBGridEh::RowPanelKeyDown(Word& Key, TShiftState Shift) {
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool shift = Shift.Contains(ssShift);
    TRowDetailPanelEh* detail = FRowDetailPanel.get();
    if (ctrl) {
        if (Key == VK_DOWN && detail->Active()) {
            if (!shift) ClearSelectionOnMove();
            // A record without a panel takes the key and does nothing.
            if (CheckRowHaveDetailPanel()) {
                detail->SetVisible(true);
                if (detail->Visible()) FocusRowDetailControl();
            }
            Key = 0;
            return true;
        }
        return false;
    }
    if ((Key == VK_MULTIPLY || Key == VK_ADD || Key == VK_SUBTRACT) &&
        !(FIntMemTable && FIntMemTable->GetViewAsTreeList())) {
        if (!detail->Active() || !CheckRowHaveDetailPanel()) return false;
        const bool want = Key == VK_MULTIPLY ? !detail->Visible() : Key == VK_ADD;
        detail->SetVisible(want);
        Key = 0;
        return true;
    }
    if (Key == VK_DOWN && detail->Visible()) {
        FocusRowDetailControl();
        Key = 0;
        return true;
    }
    if (!RowPanelMode() || FGridRowPanel->NavKeysNavigationType() != rpntCellToCellEh) return false;
    const bool multi = FOptions.Contains(dgMultiSelect);
    TDBGridColumnsEh* cols = Columns();
    TColumnEh* cur = SelectedColumn();
    if (!cur) return false;
    auto select = [&](TColumnEh* c) {
        const int i = DataColOf(c);
        if (i >= 0) SelectDataColumn(i, 0, false);
    };
    switch (Key) {
    case VK_LEFT:
    case VK_RIGHT:
        if (FOptions.Contains(dgRowSelect) || (shift && multi)) return false;
        ClearSelectionOnMove();
        select(cols->GetNextHorzColumn(cur, Key == VK_RIGHT, false, false));
        Key = 0;
        return true;
    case VK_UP:
    case VK_DOWN: {
        const bool down = Key == VK_DOWN;
        TColumnEh* base = cols->UpDownBaseColumn() ? cols->UpDownBaseColumn() : cur;
        cols->SetUpDownBaseColumn(base);
        TColumnEh* next = cols->GetNextVertColumn(cur, down);
        if (next != cur || (down ? DataLink()->Eof() : DataLink()->BOF())) {
            select(next);
        } else {
            // Past the panel's edge: the other end of this column's stack on the next record.
            select(down ? cols->GetTopColumn(next) : cols->GetBottomColumn(next));
            if (down) {
                const bool was = FLockAutoShowCurCell;
                FLockAutoShowCurCell = true;
                const auto restore = qScopeGuard([&] { FLockAutoShowCurCell = was; });
                StepDownOrAppend(true, shift);
                if (DataLink()->Eof()) select(cols->GetNextVertColumn(cur, true));
            } else {
                StepUp(true, shift);
                if (DataLink()->BOF()) select(cols->GetNextVertColumn(cur, false));
            }
        }
        cols->SetUpDownBaseColumn(base);
        Key = 0;
        return true;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TCustomDBGridEh::RowPanelDataCellMouseDown(const TGridCoord& Cell, TShiftState Shift, int X, int Y) {
    (void)Shift;
    TColumnEh* c = RowPanelColumnAtPoint(X, Y, Cell.Y);
    if (!c) return;
    const int i = DataColOf(c);
    if (i >= 0 && i != FInRowPanelCol) SelectDataColumn(i, 0, false);
}

bool TCustomDBGridEh::RowPanelMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TGridCoord cell = MouseCoord(X, Y);
    int areaCol = 0, areaRow = 0;
    const TCellAreaTypeEh type = GetCellType(cell.X, cell.Y, areaCol, areaRow);
    // The detail button toggles the panel of the clicked record.
    if (type == catDataEh && FRowDetailPanel->Active() && DataLink()->Active() &&
        areaRow < FullDataRowCount() && RowDetailButtonHitTest(Button, Shift, X, Y)) {
        const int cur = Row() - TopDataOffset();
        if (areaRow != cur) MoveBy(areaRow - cur);
        if (Row() - TopDataOffset() == areaRow) FRowDetailPanel->SetVisible(!FRowDetailPanel->Visible());
        return true;
    }
    if (!RowPanelMode() || Button != mbLeft) return false;
    FStartShiftState = Shift;
    FRowPanelDownPos = TPoint{X, Y};
    if (type == catTitleEh && IsRowPanelTitleCell(X, Y)) {
        int ofs = 0, pos = 0, index = -1;
        TGridState state = gsNormal;
        if (CalcRowPanelSizingState(X, Y, ofs, pos, index, state)) {
            if (Shift.Contains(ssDouble) && state == gsColSizing) {
                FitRowPanelColumnWidth(index);
                return true;
            }
            DataLink()->UpdateData();
            FRowPanelSizing = true;
            FRowPanelLineSizing = state == gsRowSizing;
            FRowPanelSizingIndex = index;
            FGridState = state;
            FSizingOfs = ofs;
            FSizingPos = pos;
            FSizingIndex = index;
            SetMouseCapture(true);
            TGridDrawInfoEh di;
            CalcDrawInfo(di);
            DrawSizingLine(di);
            return true;
        }
        // The in-title filter button, then the title as that column's button.
        if (FilterMouseDown(cell, areaCol, X, Y)) return true;
        TColumnEh* c = RowPanelColumnAtPoint(X, Y, cell.Y);
        if (!c) return true;
        SetMouseCapture(true);
        FTracking = true;
        FPressed = true;
        FPressedCol = cell.X;
        FPressedDataCol = DataColOf(c);
        InvalidateCell(cell.X, 0);
        return true;
    }
    if (type == catDataEh && DataLink()->Active()) {
        DataLink()->UpdateData();
        if (areaRow < FullDataRowCount()) {
            const int cur = Row() - TopDataOffset();
            if (areaRow != cur) MoveBy(areaRow - cur);
        }
        RowPanelDataCellMouseDown(cell, Shift, X, Y);
        if (Shift.Contains(ssDouble)) DblClick();
        return true;
    }
    return false;
}

bool TCustomDBGridEh::RowPanelMouseMove(TShiftState Shift, int X, int Y) {
    if (!RowPanelMode()) return false;
    if (FRowPanelMoving) {
        TrackRowPanelColMoving(Shift, X, Y);
        return true;
    }
    if (FRowPanelSizing) {
        // The line is taken away at its old place and drawn at the new one.
        TGridDrawInfoEh di;
        CalcDrawInfo(di);
        DrawSizingLine(di);
        FSizingPos = (FRowPanelLineSizing ? Y : X) + FSizingOfs;
        DrawSizingLine(di);
        return true;
    }
    // A title pressed and dragged more than 3 pixels starts moving its column.
    if (FTracking && FPressedDataCol >= 0 && MouseCapture() && FOptions.Contains(dgTitles) &&
        FOptionsEh.Contains(dghColumnMove) &&
        (std::abs(X - FRowPanelDownPos.X) > 3 || std::abs(Y - FRowPanelDownPos.Y) > 3)) {
        BeginRowPanelColMoving(Shift, X, FPressedDataCol, Y);
        return true;
    }
    return false;
}

bool TCustomDBGridEh::RowPanelMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!RowPanelMode()) return false;
    if (FRowPanelMoving) {
        EndColMoving(Shift, X, true, Y);
        TCustomControl::MouseUp(Button, Shift, X, Y);
        return true;
    }
    if (FRowPanelSizing) {
        RowPanelTitleSizingEnd(Shift, X, Y);
        return true;
    }
    if (FTracking && FPressedDataCol >= 0) {
        const int pressed = FPressedDataCol;
        CancelTracking();
        const TGridCoord cell = MouseCoord(X, Y);
        if (Button == mbLeft && cell.Y == 0 && RowPanelColumnAtPoint(X, Y, 0) == DataColumn(pressed))
            if (TColumnEh* col = DataColumn(pressed)) {
                if (OnTitleBtnClick) OnTitleBtnClick(this, pressed, col);
                TitleClick(col);
                if (FOptionsEh.Contains(dghAutoSortMarking)) {
                    FSortMarking = Shift.Contains(ssCtrl) && FOptionsEh.Contains(dghMultiSortMarking);
                    col->Title()->SetNextSortMarkerValue(FSortMarking);
                    if (!FSortMarking) SortMarkingChanged();
                }
            }
        TCustomControl::MouseUp(Button, Shift, X, Y);
        return true;
    }
    if (Button == mbLeft) {
        const TGridCoord cell = MouseCoord(X, Y);
        int areaCol = 0, areaRow = 0;
        if (GetCellType(cell.X, cell.Y, areaCol, areaRow) == catDataEh && areaRow < DataRowCount())
            if (TColumnEh* col = RowPanelColumnAtPoint(X, Y, cell.Y)) CellClick(col);
        TCustomControl::MouseUp(Button, Shift, X, Y);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Sizing the panel's columns in the title row

bool TCustomDBGridEh::CalcRowPanelSizingState(int X, int Y, int& Ofs, int& Pos, int& Index,
                                              TGridState& State) {
    State = gsNormal;
    if (!FOptions.Contains(dgTitles) || RowCount() == 0) return false;
    const TGridOptions o = GetEffectiveOptions();
    const bool colSizing = o.Contains(goColSizing);
    const bool rowSizing = o.Contains(goRowSizing);
    const TRect cell = CellRect(FIndicatorOffset, 0);
    if (Y < cell.Top || Y >= cell.Bottom + GridLineWidth() || X < cell.Left) return false;
    for (int i = 0; i < Columns()->Count(); ++i) {
        TColumnEh* c = Columns()->Columns(i);
        if (!c->Visible()) continue;
        const TRect r = RowPanelColumnRect(0, c, true);
        if (colSizing && Y >= r.Top && Y < r.Bottom && std::abs(r.Right - X) <= 3) {
            Pos = r.Right;
            Ofs = r.Right - X;
            Index = i;
            State = gsColSizing;
            return true;
        }
        if (rowSizing && X >= r.Left && X < r.Right && std::abs(r.Bottom - Y) <= 3) {
            Pos = r.Bottom;
            Ofs = r.Bottom - Y;
            Index = i;
            State = gsRowSizing;
            return true;
        }
    }
    return false;
}

void TCustomDBGridEh::RowPanelTitleSizingEnd(TShiftState Shift, int X, int Y) {
    HideRowPanelDragFeedback();
    FRowPanelSizing = false;
    FGridState = gsNormal;
    if (MouseCapture()) SetMouseCapture(false);
    TColumnEh* sized = DataColumn(FRowPanelSizingIndex);
    FRowPanelSizingIndex = -1;
    if (!sized) return;
    TDBGridColumnsEh* cols = Columns();
    const bool alone = FStartShiftState.Contains(ssShift);
    if (FRowPanelLineSizing) {
        const int h = InRowPanelLineHeight();
        const double lines = double(h * sized->InRowLineHeight() + Y - FRowPanelDownPos.Y) / h;
        const int n = int(std::nearbyint(lines)); // halves to the even number
        if (n <= 0) return;
        cols->BeginUpdate();
        const auto end = qScopeGuard([cols] { cols->EndUpdate(); });
        const int old = sized->InRowLineHeight();
        const int bottom = sized->InRowLinePos() + old;
        if (!alone)
            for (int i = 0; i < cols->Count(); ++i) {
                TColumnEh* c = cols->Columns(i);
                if (c == sized || c->InRowLinePos() + c->InRowLineHeight() != bottom) continue;
                const int v = c->InRowLineHeight() + n - old;
                if (v > 0) c->SetInRowLineHeight(v);
            }
        sized->SetInRowLineHeight(n);
        if (FIntMemTable) UpdateAllDataRowHeights();
        return;
    }
    const int lw = FOptions.Contains(dgColLines) ? GridLineWidth() : 0;
    const int dx = UseRightToLeftAlignment() ? FRowPanelDownPos.X - X : X - FRowPanelDownPos.X;
    int width = sized->Width() + dx;
    const TColumnEhInRowPanelPlacement& sp = sized->RowPlacement();
    if (!Shift.Contains(ssCtrl)) {
        // The new edge snaps onto another column's edge less than 4 pixels away.
        const int edge = sp.Left + width + lw;
        for (int i = 0; i < Columns()->Count(); ++i) {
            TColumnEh* c = Columns()->Columns(i);
            if (!c->Visible()) continue;
            if (c == sized) continue;
            const int other = c->RowPlacement().Left + c->RowPlacement().Width + lw;
            if (std::abs(other - edge) < 4) {
                width += other - edge;
                break;
            }
        }
    }
    if (width <= 1) return;
    const int delta = width - sp.Width;
    const int right = sp.Left + sp.Width;
    cols->BeginUpdate();
    const auto end = qScopeGuard([cols] { cols->EndUpdate(); });
    if (!alone)
        for (int i = 0; i < Columns()->Count(); ++i) {
            TColumnEh* c = Columns()->Columns(i);
            if (!c->Visible()) continue;
            if (c == sized || c->RowPlacement().Left + c->RowPlacement().Width != right) continue;
            if (c->Width() + delta > 1) c->SetWidth(c->Width() + delta);
        }
    sized->SetWidth(sized->Width() + delta);
}

void TCustomDBGridEh::FitRowPanelColumnWidth(int Index) {
    TColumnEh* c = DataColumn(Index);
    if (!c) return;
    const TColumnEhInRowPanelPlacement& p = c->RowPlacement();
    const int right = p.Left + p.Width + (FOptions.Contains(dgColLines) ? GridLineWidth() : 0);
    int limit = FGridMasterCellWidth;
    const int first = c->InRowLinePos(), last = first + c->InRowLineHeight() - 1;
    for (int i = 0; i < Columns()->Count(); ++i) {
        TColumnEh* o = Columns()->Columns(i);
        if (!o->Visible()) continue;
        const int of = o->InRowLinePos(), ol = of + o->InRowLineHeight() - 1;
        if (ol < first || of > last) continue;
        const int left = o->RowPlacement().Left;
        if (left >= right && left < limit) limit = left;
    }
    if (right >= limit) return;
    c->SetWidth(c->Width() + limit - right + (limit == FGridMasterCellWidth ? 1 : 0));
}
