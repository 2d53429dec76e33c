// Frozen and trailing columns of the data grid, and what the grid does once it has been loaded or
// scaled.
//
// Every column has a cell: data column i is Columns[i] in grid column i + IndicatorOffset, a hidden
// column's cell having no width. FrozenCols counts collection columns, hidden ones included; the
// frozen cells are fixed cells of the base grid that do not scroll and can hold the current cell.
// The trailing (contra) cells are the last columns, kept at the right edge, outside ColCount.
// Invariants after LayoutFrozenAndContraCols:
//   FixedCols = IndicatorOffset + FrozenColCount < ColCount (one scrolling cell always remains);
//   ColCount + ContraColCount (of the base grid) = IndicatorOffset + max(1, Columns.Count).

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
    int v = 0;
    for (int i = 0; i < count; ++i)
        if (cols->Columns(i)->Visible()) ++v;
    const int ind = FIndicatorOffset;

    // Hidden columns in front of the frozen boundary push it right; hidden ones just after it
    // join the fixed part too, so that the first scrolling cell is a shown one.
    int hiddenLead = 0;
    for (int i = 0; i < count; ++i) {
        if (cols->Columns(i)->Visible()) continue;
        if (i < FFrozenCols + hiddenLead)
            ++hiddenLead;
        else
            break;
    }
    for (int i = FFrozenCols + hiddenLead; i < count && !cols->Columns(i)->Visible(); ++i)
        ++hiddenLead;

    // The scrolling part of the collection lies between the frozen columns and the trailing ones.
    cols->FFirstScrollVisibleColumn = nullptr;
    cols->FLastScrollVisibleColumn = nullptr;
    for (int i = std::max(0, FFrozenCols); i < count; ++i)
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
    // Every column keeps its cell; in the row panel all but the first have no width.
    const int cells = ind + std::max(1, count);
    if (!panel && (DataLink()->Active() || cols->State() == csCustomized)) {
        // FrozenCols counts collection columns, hidden ones included; asked for as many as are
        // shown or more, all but the last shown count's worth are frozen.
        frozen = FFrozenCols < v ? FFrozenCols : v - 1;
        frozen = std::max(0, frozen);
        // The trailing cells are limited by the shown columns that are not frozen. One shown
        // column always keeps scrolling: with the indicator that limit already leaves one,
        // without it one more is held back.
        const int limit = v - frozen - 1;
        contra = std::clamp(FContraColCount, 0, std::max(0, std::min(limit, cells - (ind + frozen) - 1)));
    } else if (!panel) {
        // Leading hidden columns of default columns stay in the fixed part.
        frozen = std::min(hiddenLead, std::max(0, count - 1));
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
    const bool linked = DataLink()->Active() || cols->State() == csCustomized;
    SetFrozenColCount(linked ? frozen : 0);
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

    auto firstShown = [&](int from, int to) -> TColumnEh* {
        for (int i = from; i < to; ++i)
            if (cols->Columns(i)->Visible()) return cols->Columns(i);
        return nullptr;
    };
    auto lastShown = [&](int from, int to) -> TColumnEh* {
        for (int i = to - 1; i >= from; --i)
            if (cols->Columns(i)->Visible()) return cols->Columns(i);
        return nullptr;
    };
    const bool frozenCells = linked && frozen > 0;
    cols->FFirstFrozenVisibleColumn = frozenCells ? firstShown(0, frozen) : nullptr;
    cols->FLastFrozenVisibleColumn = frozenCells ? lastShown(0, frozen) : nullptr;
    cols->FFirstContraVisibleColumn = contra > 0 ? firstShown(count - contra, count) : nullptr;
    cols->FLastContraVisibleColumn = contra > 0 ? lastShown(count - contra, count) : nullptr;
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
