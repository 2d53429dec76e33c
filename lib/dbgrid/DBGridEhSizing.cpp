// Sizing columns and rows of the data grid with the mouse: where a border may be dragged (column
// borders only in the title rows, row borders only in the indicator), live column sizing while the
// mouse moves, and a row height dragged with the mouse adopted as the grid's row height.

#include "lib/dbgrid/DBGridEh.h"

#include "platform/ui/WinApi.h"

#include <QFontMetrics>

#include <algorithm>

void TCustomDBGridEh::CalcSizingState(int X, int Y, const TGridDrawInfoEh& DrawInfo, int& Ofs, int& Pos,
                                      int& Index, TGridState& State) {
    if (RowPanelMode()) {
        // The panel's borders are sized by the grid itself (the mouse-down takes them first);
        // the state only gives the cursor.
        CalcRowPanelSizingState(X, Y, Ofs, Pos, Index, State);
        return;
    }
    TCustomDBAxisGridEh::CalcSizingState(X, Y, DrawInfo, Ofs, Pos, Index, State);
    const TGridAxisDrawInfoEh& H = DrawInfo.Horz;
    const TGridAxisDrawInfoEh& V = DrawInfo.Vert;
    if (State == gsColSizing) {
        // The filter row under the titles shares their fixed band but has no borders to drag.
        int titleBottom = V.NullBorderIndent;
        for (int r = 0; r < GetTitleRowCount() && r < RowCount(); ++r)
            titleBottom += RowHeights(r) + V.EffectiveLineWidth;
        if (Y >= titleBottom) {
            State = gsNormal;
            return;
        }
        if (Index >= H.FullGridCellCount) Index = H.GridCellCount - 1;
        // One scrollable column wider than the room left for it: its right edge lies beyond the
        // grid, so a border found right of it is taken as its own.
        const bool oneShown = H.LastFullVisibleCell <= H.FirstGridCell;
        if (oneShown && H.ContraCelCount == 0 && H.FirstGridCell < ColCount() && Index > H.FirstGridCell &&
            ColWidths(H.FirstGridCell) > H.GridBoundary - H.FixedBoundary)
            Index = H.FirstGridCell;
    } else if (State == gsRowSizing) {
        int indicatorWidth = 0;
        for (int c = 0; c < FIndicatorOffset && c < ColCount(); ++c)
            indicatorWidth += ColWidths(c) + H.EffectiveLineWidth;
        const int px = UseRightToLeftAlignment() ? ClientWidth() - X : X;
        if (px >= indicatorWidth) State = gsNormal;
    }
}

void TCustomDBGridEh::DrawSizingLine(const TGridDrawInfoEh& DrawInfo) {
    if (FRowPanelSizing) {
        // A panel border's line, drawn after the cells; drawing it again at the same place
        // takes it away, as an XOR line would.
        int start = 0, finish = 0;
        CalcSizingLineExtent(DrawInfo, start, finish);
        if (start > finish) std::swap(start, finish);
        const TRect r = FRowPanelLineSizing ? TRect(start, FSizingPos, finish, FSizingPos + 1)
                                            : TRect(FSizingPos, start, FSizingPos + 1, finish);
        if (FRowPanelSizingLineShown) {
            InvalidateClientRect(FRowPanelSizingLineRect);
            FRowPanelSizingLineShown = false;
            if (FRowPanelSizingLineRect == r) return;
        }
        FRowPanelSizingLineRect = r;
        FRowPanelSizingLineShown = true;
        InvalidateClientRect(r);
        return;
    }
    if (GridState() != gsColSizing || !FOptionsEh.Contains(dghTraceColSizing)) {
        TCustomDBAxisGridEh::DrawSizingLine(DrawInfo);
        return;
    }
    // Live sizing: the column follows the mouse instead of a line.
    const int w = CalcNewLineSize(DrawInfo);
    if (FAutoFitColWidths && !ComponentState().Contains(csDesigning)) {
        // Auto-fit stops the column before the columns right of it would get less than a pixel.
        const int stop = DrawInfo.Horz.FullGridBoundary -
                         (Columns()->Count() - FSizingIndex) * (1 + DrawInfo.Horz.EffectiveLineWidth);
        if (FSizingPos >= stop) return;
    }
    if (FSizingIndex >= 0 && FSizingIndex < GetFullColCount()) SetColWidths(FSizingIndex, std::max(w, 1));
}

void TCustomDBGridEh::RowHeightsChanged() {
    // A row border released by the mouse changes one row; that height becomes every data row's.
    if (GridState() == gsRowSizing && !FAdoptingRowHeight) FDefaultRowChanged = true;
    if (!FOptionsEh.Contains(dghAutoFitRowHeight) && !OnGetRowHeight && FDefaultRowChanged &&
        !FAdoptingRowHeight) {
        FDefaultRowChanged = false;
        FAdoptingRowHeight = true;
        struct Done {
            bool& f;
            ~Done() { f = false; }
        } done{FAdoptingRowHeight};
        for (int r = TopDataOffset(); r < RowCount(); ++r)
            if (RowHeights(r) != DefaultRowHeight()) {
                FRowLines = 0;
                SetRowHeight(RowHeights(r));
                UpdateVertScrollBar();
                break;
            }
    }
    TCustomDBAxisGridEh::RowHeightsChanged();
    if (FIntMemTable) UpdateVertScrollBar();
}

int TCustomDBGridEh::CalcFontRowHeight() {
    // Qt measures without a window, so no screen context is borrowed for it.
    const int text = QFontMetrics(Font()->ToQFont()).height();
    return text + 1 + (Flat() ? 0 : 2) + (FOptions.Contains(dgRowLines) ? GridLineWidth() : 0);
}
