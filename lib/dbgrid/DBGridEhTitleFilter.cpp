// The filter button in a column title (the filter row placed in the titles): when it shows,
// where it sits, how it looks and what a press on it hits. A press opens the column's filter
// list (DBGridEhFilterRow.cpp); the glyph beside it tells that the column filters.

#include "lib/dbgrid/DBGridEh.h"

#include "lib/dbgrid/DBGridEhFilter.h"
#include "lib/dbgrid/DBGridEhStyle.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <algorithm>

namespace {

// The width of the title's filter button for the grid's look.
int FilterButtonWidth(bool Flat) {
    if (!Flat) return GetSystemMetrics(SM_CXVSCROLL);
    return AxisFlatEditButtonWidth() + (ThemesInUse() ? 0 : 1);
}

} // namespace

bool TCustomDBGridEh::InCellButtonHit(const TPoint& Point, const TRect& CellRect, TRect& ButtonRect) {
    TRect cell = CellRect;
    if (FOptionsEh.Contains(dghFixed3D)) cell.Inflate(-1, -1);
    const int w = std::min(FilterButtonWidth(Flat()), cell.Width() / 2);
    ButtonRect = UseRightToLeftAlignment() ? TRect(cell.Left, cell.Top, cell.Left + w, cell.Bottom)
                                           : TRect(cell.Right - w, cell.Top, cell.Right, cell.Bottom);
    const int h = InplaceEditorButtonHeight();
    if (h > 0 && cell.Height() > h) {
        ButtonRect.Top = cell.Top + (cell.Height() - h) / 2;
        ButtonRect.Bottom = ButtonRect.Top + h;
    }
    return ButtonRect.Contains(Point);
}

int TCustomDBGridEh::TitleFilterButtonHit(const TGridCoord& Cell, const TPoint& Point, const TRect& CellRect,
                                          TRect& ButtonRect) {
    ButtonRect = TRect();
    if (Cell.X < FIndicatorOffset || Cell.Y != 0 || !FOptions.Contains(dgTitles) || TopDataOffset() == 0)
        return 0;
    TColumnEh* column = DataColumn(Cell.X - FIndicatorOffset);
    if (!column || !FSTFilter->Visible() || FSTFilter->Location() != stflInTitleFilterEh ||
        !column->STFilter()->Visible())
        return 0;
    TRect area = CellRect;
    if (IsUseMultiTitle())
        if (THeadTreeNode* leaf = LeafOf(column)) area.Top = area.Bottom - leaf->Height;
    return InCellButtonHit(Point, area, ButtonRect) ? 8 : 0;
}

bool TCustomDBGridEh::TitleFilterButtonShown(TColumnEh* Column, TGridDrawState AState) {
    if (!FSTFilter->Visible() || FSTFilter->Location() != stflInTitleFilterEh ||
        !Column->STFilter()->Visible())
        return false;
    if (ComponentState().Contains(csDesigning)) return true;
    switch (FSTFilter->FilterButtonDrawTime()) {
    case fbdtAlwaysEh:
        return true;
    case fbdtWhenCellHotEh:
        return (FInTitleFilterListboxVisible && FInTitleFilterListboxColumn == Column) ||
               (AState.Contains(gdHotTrack) && FDBGridEhState == dgsNormal);
    case fbdtWhenRowHotEh:
        return FInTitleFilterListboxVisible || (FMouseInTrackRowRect && FDBGridEhState == dgsNormal);
    }
    return false;
}

TRect TCustomDBGridEh::TakeTitleFilterButtonRect(TRect& Inner, const TRect& CellRect, bool The3D) {
    const int w = std::min(Inner.Width() / 2, FilterButtonWidth(Flat()));
    TRect b(Inner.Right - w, CellRect.Top, Inner.Right, CellRect.Bottom);
    if (!The3D) {
        b.Offset(-1, 0);
        b.Top += 1;
        b.Bottom -= 1;
    }
    const int h = InplaceEditorButtonHeight();
    if (h > 0 && h < b.Height()) {
        b.Top += (b.Height() - h) / 2;
        b.Bottom = b.Top + h;
    }
    Inner.Right -= w;
    return b;
}

void TCustomDBGridEh::DrawTitleFilterButton(TColumnEh* Column, const TRect& ButtonRect, const TRect& CellRect,
                                            bool Filled, int Shift, TGridDrawState AState) {
    TCanvas* c = Canvas();
    if (Filled) c->FillRect(ButtonRect);
    TRect b = ButtonRect;
    b.Offset(Shift, Shift);
    // How much the button fades into the title: 0 not at all (in use), 30 hot, 80 at rest.
    const bool listOpen = FInTitleFilterListboxVisible && FInTitleFilterListboxColumn == Column;
    int look = 80;
    if (ComponentState().Contains(csDesigning))
        look = 30;
    else if (listOpen ||
             (AState.Contains(gdHotTrack) && FHotTrackEditButton == -1 && FDBGridEhState == dgsNormal))
        look = 0;
    else if (AState.Contains(gdHotTrack))
        look = FHotTrackMultiTitleOver || FDBGridEhState != dgsNormal ? 80 : 30;
    const TDrawButtonControlStyleEh kind =
        EditButtonStyleToDrawButtonStyle(PaintStyle().InTitleFitlerButtonStyle());
    DrawColumnCellButton(Column, b, CellRect, kind, nullptr, c->Brush()->Color(), look);
}
