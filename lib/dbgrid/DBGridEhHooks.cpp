// The data grid's answers to the axis grid's small hooks: title defaults, the reserved width
// of edit buttons, the column under a title point and the cell of a column.

#include "lib/dbgrid/DBGridEh.h"

TAlignment TCustomDBGridEh::GetDefaultTitleAlignment() {
    return UseMultiTitle() ? taCenter : taLeftJustify;
}

TColor TCustomDBGridEh::GetDefaultTitleColor() {
    return FTitleParams->Color();
}

String TCustomDBGridEh::GetAxisBarsPropertyName() {
    return QStringLiteral("Columns");
}

bool TCustomDBGridEh::IsFixed3D() {
    return FOptionsEh.Contains(dghFixed3D);
}

void TCustomDBGridEh::GetThemedTitleFillRect(TRect& ARect, bool Right, bool Bottom) {
    PaintStyle().GetThemeTitleFillRect(ARect, Right, Bottom);
}

int TCustomDBGridEh::GetCellReservedWidth(TAxisBarEh*, const TGridCoord& Cell) {
    // How far the cell's colour shows through its edit buttons: not at all on the focused cell.
    if (ComponentState().Contains(csDesigning)) return 30;
    const TGridDrawState state = GetCellParamsRecord()->FState;
    if (!FFilterEditMode &&
        (state.Contains(gdFocused) || (FOptionsEh.Contains(dghRowHighlight) && Cell.Y == Row())))
        return 0;
    return state.Contains(gdHotTrack) ? 30 : 80;
}

TAxisBarEh* TCustomDBGridEh::GetTitleColumnAtPos(const TPoint& Pos) {
    if (Columns()->State() != csCustomized || !FOptions.Contains(dgTitles)) return nullptr;
    const TGridCoord cell = MouseCoord(Pos.X, Pos.Y);
    if (cell.Y != 0 || cell.X < FIndicatorOffset) return nullptr;
    // The row panel's titles share one cell: the column is the one placed under the point.
    if (RowPanelMode()) return RowPanelColumnAtPoint(Pos.X, Pos.Y, 0);
    return DataColumn(cell.X - FIndicatorOffset);
}

void TCustomDBGridEh::GetBarCellCoord(TAxisBarEh* Column, int& ACol, int& ARow) {
    const int index = DataColOf(Column);
    ACol = index >= 0 ? index + FIndicatorOffset : -1;
    ARow = Row();
}
