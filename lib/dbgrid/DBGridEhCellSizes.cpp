// Small pieces of the data grid's model: cell sizes as the columns and rows store them, the
// grid's cell-parameter record, which selections the grid allows, the reset of the cell editors
// and the release of a data set whose record filter the search panel took over.
//
// The base grid keeps its grid lines outside the sizes of its cells (a column advances by its
// width plus the line), so the size of a cell without its line is the stored size itself.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/dbgrid/DBGridEhSelection.h"

int TCustomDBGridEh::GetCellColWidths(int Index) {
    return ColWidths(Index);
}

void TCustomDBGridEh::SetCellColWidths(int Index, int Value) {
    SetColWidths(Index, Value);
}

int TCustomDBGridEh::GetCellRowHeights(int Index) {
    return RowHeights(Index);
}

void TCustomDBGridEh::SetCellRowHeights(int Index, int Value) {
    SetRowHeights(Index, Value);
}

TColCellParamsEh* TCustomDBGridEh::CreateCellParamsRecord() {
    return new TColCellParamsEh();
}

TColCellParamsEh* TCustomDBGridEh::GetCellParamsRecord() {
    // The record was made by CreateCellParamsRecord above.
    return static_cast<TColCellParamsEh*>(TCustomDBAxisGridEh::GetCellParamsRecord());
}

void TCustomDBGridEh::SetAllowedSelections(TDBGridEhAllowedSelections Value) {
    if (FAllowedSelections == Value) return;
    FAllowedSelections = Value;
    // A selection of a kind the grid no longer offers cannot stay.
    if (TDBGridEhSelection* sel = Selection();
        sel && sel->SelectionType() != gstNon && !Value.Contains(sel->SelectionType()))
        ClearSelection();
}

void TCustomDBGridEh::InvalidateEditor() {
    // The row panel's editor loads again when it shows next, as the base editor does.
    FInplaceColInRowPanel = -1;
    FInplaceRow = -1;
    TCustomDBAxisGridEh::InvalidateEditor();
    if (FFilterEditMode) UpdateFilterEdit(true);
}

void TCustomDBGridEh::ReleaseLastDataSet() {
    if (!FSearchData) return;
    TDataSet* last = FSearchData->FLastDataSet;
    if (!last) return;
    // Still shown and open: the search filter on it stays.
    if (last == DataLink()->DataSet() && last->Active()) return;
    RestoreDataSetFilterEvent();
}
