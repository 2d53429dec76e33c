// Frozen and trailing columns of the data grid, and what the grid does once it has been loaded or
// scaled.
//
// The grid's cells show the visible columns in collection order: data column i is the i-th visible
// column, grid column i + IndicatorOffset. FrozenCols counts collection columns, hidden ones
// included, so the frozen cells are the visible columns among the first FrozenCols columns; they
// are fixed cells of the base grid that do not scroll and can hold the current cell. The trailing
// (contra) cells are the last visible columns, kept at the right edge.
// Invariants after LayoutFrozenAndContraCols:
//   FixedCols = IndicatorOffset + FrozenColCount < ColCount (one scrolling cell always remains);
//   ColCount + ContraColCount (of the base grid) = IndicatorOffset + max(1, visible columns).

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include "platform/classes/Classes.h"

#include <QScopeGuard>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Layout

void TCustomDBGridEh::LayoutFrozenAndContraCols() {
    TDBGridColumnsEh* cols = Columns();
    const int count = cols->Count();
    std::vector<TColumnEh*> visible;
    visible.reserve(size_t(count));
    int frozenVisible = 0;
    for (int i = 0; i < count; ++i) {
        TColumnEh* c = cols->Columns(i);
        if (!c->Visible()) continue;
        visible.push_back(c);
        if (i < FFrozenCols) ++frozenVisible;
    }
    const int v = int(visible.size());
    const int ind = FIndicatorOffset;

    // The scrolling part of the collection lies between the frozen columns and the trailing ones.
    cols->FFirstScrollVisibleColumn = nullptr;
    cols->FLastScrollVisibleColumn = nullptr;
    for (int i = FFrozenCols; i < count; ++i)
        if (cols->Columns(i)->Visible()) {
            cols->FFirstScrollVisibleColumn = cols->Columns(i);
            break;
        }
    for (int i = count - FContraColCount - 1; i >= FFrozenCols && i >= 0; --i)
        if (cols->Columns(i)->Visible()) {
            cols->FLastScrollVisibleColumn = cols->Columns(i);
            break;
        }

    int frozen = 0, contra = 0;
    // The row panel lays every column out inside one master cell.
    const bool panel = RowPanelMode();
    const int cells = ind + (panel ? 1 : std::max(1, v));
    if (!panel && (DataLink()->Active() || cols->State() == csCustomized)) {
        // At least one visible column keeps scrolling.
        frozen = FFrozenCols < v ? frozenVisible : std::min(frozenVisible, std::max(0, v - 1));
        // Trailing cells take what the frozen ones leave, and never the last scrolling cell.
        contra = std::clamp(FContraColCount, 0, std::max(0, cells - (ind + frozen) - 1));
    }
    const int fixed = ind + frozen;
    const int colCount = cells - contra;
    assert(fixed < colCount);

    // The base grid starts over at the top-left cell when its fixed count changes; the current
    // record's row and the scroll position are the data grid's and stay.
    const TGridCoord oldCurrent = FCurrent, oldTopLeft = FTopLeft, oldAnchor = FAnchor;
    const bool fixedChanges = fixed != FixedCols();
    if (FixedCols() > fixed) SetFixedCols(fixed);
    // ContraColCount of this class is the property; the base grid's count is the cells'.
    if (TCustomGridEh::ContraColCount() != contra) TCustomGridEh::SetContraColCount(contra);
    SetColCount(colCount);
    if (FixedCols() != fixed) SetFixedCols(fixed);
    SetFrozenColCount(frozen);
    if (fixedChanges) {
        FCurrent.Y = std::min(oldCurrent.Y, RowCount() - 1);
        FAnchor.Y = std::min(oldAnchor.Y, RowCount() - 1);
        FTopLeft.Y = std::clamp(oldTopLeft.Y, FixedRows(), RowCount() - 1);
        // A current data cell stays where it was unless it left the grid.
        if (oldCurrent.X >= ind && oldCurrent.X < colCount) FCurrent.X = oldCurrent.X;
        if (BaseOptions().Contains(goRowSelect)) FCurrent.X = FixedCols();
        FAnchor.X = BaseOptions().Contains(goRowSelect) ? colCount - 1 : FCurrent.X;
        FTopLeft.X = std::clamp(oldTopLeft.X, fixed, colCount - 1);
        UpdateHorzDataSize();
        UpdateScrollRange();
    }

    cols->FFirstFrozenVisibleColumn = frozen > 0 ? visible.front() : nullptr;
    cols->FLastFrozenVisibleColumn = frozen > 0 ? visible[size_t(frozen - 1)] : nullptr;
    cols->FFirstContraVisibleColumn = contra > 0 ? visible[size_t(v - contra)] : nullptr;
    cols->FLastContraVisibleColumn = contra > 0 ? visible.back() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Sizing frozen columns

bool TCustomDBGridEh::CalcFrozenColSizingState(int X, int Y, int& Pos, int& Index) {
    const TGridOptions o = EffectiveOptions();
    if (!o.Contains(goColSizing) || FrozenColCount() <= 0) return false;
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const TGridAxisDrawInfoEh& H = di.Horz;
    const TGridAxisDrawInfoEh& V = di.Vert;
    const int px = UseRightToLeftAlignment() ? ClientWidth() - X : X;
    // Only the title and filter rows offer the borders.
    int titleBottom = V.NullBorderIndent;
    for (int r = 0; r < TopDataOffset() && r < RowCount(); ++r)
        titleBottom += RowHeights(r) + V.EffectiveLineWidth;
    if (Y >= titleBottom) return false;
    const int lw = H.EffectiveLineWidth;
    const int t = lw > 6 ? 0 : (7 - lw) / 2;
    int right = H.NullBorderIndent;
    for (int c = 0; c < FIndicatorOffset && c < ColCount(); ++c)
        right += ColWidths(c) + lw;
    for (int c = FIndicatorOffset; c < FixedCols(); ++c) {
        const int w = ColWidths(c);
        if (w < 0) continue;
        right += w;
        if (right > H.GridExtent) {
            // The frozen area runs past the grid: its last border is the client edge.
            if (H.GridExtent == ClientWidth() && px >= ClientWidth() - t && px <= ClientWidth()) {
                Pos = ClientWidth();
                Index = c;
                return true;
            }
            return false;
        }
        if (px >= right - t && px <= right + std::max(7, lw) - t) {
            Pos = right;
            Index = c;
            return true;
        }
        right += lw;
    }
    return false;
}

bool TCustomDBGridEh::CanSizeFrozenColAt(int X, int Y) {
    if (GridState() != gsNormal || FDBGridEhState != dgsNormal) return false;
    int pos = 0, index = -1;
    return CalcFrozenColSizingState(X, Y, pos, index);
}

bool TCustomDBGridEh::CanSizeAt(int X, int Y) {
    return TCustomDBAxisGridEh::CanSizeAt(X, Y) || CanSizeFrozenColAt(X, Y);
}

// ---------------------------------------------------------------------------------------------
// Loading and scaling

void TCustomDBGridEh::Loaded() {
    SyncColumnResizeMoveOptions(FOptions, FOptionsEh);
    TDBGridColumnsEh* cols = Columns();
    if (cols->Count() > 0) {
        if (FAutoFitColWidths && !ComponentState().Contains(csDesigning)) {
            // Fitting scales the widths the columns were stored with.
            cols->BeginUpdate();
            const auto end = qScopeGuard([&] { cols->EndUpdate(); });
            for (int i = 0; i < cols->Count(); ++i)
                cols->Columns(i)->FInitWidth = cols->Columns(i)->Width();
        }
        SetSortMarkedColumns();
    }
    // The axis grid's loading end rebuilds the layout once.
    TCustomDBAxisGridEh::Loaded();
    if (FDataGrouping) FDataGrouping->ResolveLoadedColumnNames();
    if (DataSource() && FSumList) FSumList->ActivateWhenReady();
    // The designer shows an active detail panel open.
    if (ComponentState().Contains(csDesigning) && FRowDetailPanel && FRowDetailPanel->Active())
        FRowDetailPanel->SetVisible(true);
}

void TCustomDBGridEh::ChangeScale(int M, int D) {
    if (M != D) {
        if (!ParentFont()) FooterFont()->SetSize(MulDiv(FooterFont()->Size(), M, D));
        TDBGridColumnsEh* cols = Columns();
        cols->BeginUpdate();
        const auto end = qScopeGuard([&] { cols->EndUpdate(); });
        // Widths scale by running sums so that the rounding does not add up along the row.
        int sum = 0, prev = 0;
        for (int i = 0; i < cols->Count(); ++i) {
            TColumnEh* c = cols->Columns(i);
            if (c->Footer()->IsFontStored())
                c->Footer()->Font()->SetSize(MulDiv(c->Footer()->Font()->Size(), M, D));
            for (int f = 0; f < c->Footers()->Count(); ++f) {
                TColumnFooterEh* footer = c->Footers()->Footer(f);
                if (footer->IsFontStored()) footer->Font()->SetSize(MulDiv(footer->Font()->Size(), M, D));
            }
            sum += c->Width();
            const int w = MulDiv(sum, M, D);
            c->SetWidth(w - prev);
            prev = w;
        }
    }
    TCustomDBAxisGridEh::ChangeScale(M, D);
}
