// The data grid's data and footer cells: the cell-parameter record and its events, odd and
// even row colours, the selection highlight, hidden duplicates, the required-field mark, the
// focus rectangle and the footer cells.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhFooters.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhSelection.h"

#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinGdi.h"

#include <QScopeGuard>

#include <algorithm>

namespace {

struct InstantReadScope {
    TCustomDBGridEh* Grid;
    InstantReadScope(TCustomDBGridEh* g, int DataRow) : Grid(g) { Grid->InstantReadRowEnter(DataRow); }
    ~InstantReadScope() { Grid->InstantReadRowLeave(); }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Data cells

// Whether the cell of data column DataCol in the record being read belongs to the grid's
// selection.
bool TCustomDBGridEh::DataCellInSelection(int DataCol) {
    if (!DataLink()->Active()) return false;
    TDBGridEhSelection* sel = Selection();
    const TDBGridEhSelectionType type = sel->SelectionType();
    if (type == gstNon) return false;
    TColumnEh* col = DataColumn(DataCol);
    const int colIndex = col ? col->Index() : -1;
    TDataSet* ds = DataLink()->DataSet();
    if (GroupingShowsRows())
        if (TGroupDataTreeNodeEh* node = CurInstantReadNode()) {
            if (node->NodeType() == dntDataGroupEh) return type == gstAll;
            if (node->NodeType() == dntDataGroupFooterEh)
                return (type == gstColumns || type == gstAll) && sel->DataCellSelected(colIndex, ds->Bookmark());
        }
    return sel->DataCellSelected(colIndex, ds->Bookmark());
}

bool TCustomDBGridEh::HighlightDataCellColor(int DataCol, int DataRow, TFont* AFont, TColor& AColor,
                                             TGridDrawState AState, const String&) {
    const bool selected = DataCellInSelection(DataCol);
    if (FStyle)
        return FStyle->HighlightDataCellColors(this, IndicatorOffset() + DataCol, AFont, AColor, selected,
                                               AState, DataRow, DataCol, TopDataOffset() + DataRow);
    const bool current = TopDataOffset() + DataRow == Row();
    const bool focusHighlight = Focused() && FOptionsEh.Contains(dghHighlightFocus);
    const bool rowSelect = FOptions.Contains(dgRowSelect);
    bool highlighted;
    if (AState.Contains(gdSelected))
        highlighted =
            (FOptions.Contains(dgAlwaysShowSelection) || focusHighlight) && (UpdateLock() == 0 || rowSelect);
    else
        highlighted = current && rowSelect && (FOptions.Contains(dgAlwaysShowSelection) || focusHighlight);
    if (!highlighted) return false;
    if (IsFocusInside()) {
        AColor = clHighlight;
        if (AFont) AFont->SetColor(clHighlightText);
    } else if (current && (DataCol == SelectedIndex() || rowSelect)) {
        AColor = clBtnShadow;
        if (AFont) AFont->SetColor(clHighlightText);
    } else {
        AColor = clBtnFace;
    }
    return true;
}

void TCustomDBGridEh::QueryCellParams(TAxisBarEh* Column, TAxisColCellParamsEh* Params) {
    GetCellParams(static_cast<TColumnEh*>(Column), Params->FFont, Params->FBackground, Params->FState);
}

bool TCustomDBGridEh::CheckColumnDuplicateValues(TColumnEh* Column, String& Text, bool CheckPrevRow) {
    if (!DataLink()->Active()) return false;
    const bool byValue = bool(Column->OnGetHideDuplicatesValue);
    Variant value, otherValue;
    String otherText;
    // The neighbour's text as its own cell shows it: the cell events may change it. Its record is
    // a separate one: the record of the cell being painted stays as it is.
    auto readNeighbour = [&] {
        static TAxisColCellParamsEh shared;
        TAxisColCellParamsEh* params = &shared;
        Column->FillColCellParams(params);
        params->FCol = Column->Index() + IndicatorOffset();
        params->FRow = TopDataOffset() + TopRow() - 1;
        QueryCellParams(Column, params);
        Column->GetColCellParams(false, params);
        otherText = params->FText;
        if (byValue) Column->OnGetHideDuplicatesValue(this, Column, otherText, otherValue);
    };
    if (UsesMemTable()) {
        // Rows are read by their view position, within the view; the top visible row has no
        // neighbour above, so it always shows its value.
        const int dataRow = FInstantReadDataRow;
        if (dataRow < 0) return false;
        if (CheckPrevRow && TopDataOffset() + dataRow <= TopRow()) return false;
        const int other = CheckPrevRow ? dataRow - 1 : dataRow + 1;
        if (other < 0 || other >= FullDataRowCount()) return false;
        if (byValue) Column->OnGetHideDuplicatesValue(this, Column, Text, value);
        InstantReadScope read(this, other);
        readNeighbour();
    } else {
        // Without a memory table the neighbour is the next record of the link's buffer, when the
        // buffer holds one.
        auto* link = DataLink();
        const int active = link->ActiveRecord();
        if (CheckPrevRow ? active <= 0 : active >= link->RecordCount() - 1) return false;
        if (byValue) Column->OnGetHideDuplicatesValue(this, Column, Text, value);
        link->SetActiveRecord(active + (CheckPrevRow ? -1 : 1));
        const auto back = qScopeGuard([&] { link->SetActiveRecord(active); });
        readNeighbour();
    }
    if (byValue) return VarSameValue(value, otherValue);
    return otherText == Text;
}

bool TCustomDBGridEh::EditButtonsShownInCell(TColumnEh* Column, bool CurrentRow, bool CurrentCol) {
    if (!Column->AlwaysShowEditButton()) return false;
    const TEditButtonsShowOptionsEh o = FEditButtonsShowOptions;
    if (o.Contains(sebShowOnlyForCurCellEh) && !(CurrentRow && CurrentCol)) return false;
    if (o.Contains(sebShowOnlyForCurRowEh) && !CurrentRow) return false;
    if (o.Contains(sebShowOnlyWhenGridActiveEh) && !IsFocusInside()) return false;
    if (o.Contains(sebShowOnlyWhenDataEditingEh) &&
        !(DataLink()->Active() &&
          (DataLink()->DataSet()->State() == dsEdit || DataLink()->DataSet()->State() == dsInsert)))
        return false;
    return true;
}

void TCustomDBGridEh::DrawGridDataCell(int ACol, int ARow, TPoint, TGridDrawState AState, const TRect& ARect,
                                       int DataCol, int DataRow) {
    TCanvas* c = Canvas();
    TDBGridEhStyle& style = PaintStyle();
    TColumnEh* column = DataColumn(DataCol);
    if (!column) {
        c->Brush()->SetColor(Color());
        c->FillRect(ARect);
        return;
    }
    c->Font()->Assign(column->Font());
    c->Font()->SetColor(style.GetColumnFontColor(column, AState));
    c->Brush()->SetColor(style.GetColumnColor(column));

    // An empty data set has no row 0 to read: its blank row is painted without reading.
    const bool readable = DataLink()->Active() && DataLink()->DataSet()->Active() && DataRow >= 0 &&
                          DataRow < FullDataRowCount();
    if (!readable) {
        if (!IsBackgroundShowing()) c->FillRect(ARect);
        return;
    }
    InstantReadScope read(this, DataRow);
    const int savedRow = FInstantReadDataRow;
    FInstantReadDataRow = DataRow;
    const auto restoreRow = qScopeGuard([&] { FInstantReadDataRow = savedRow; });

    // No handler draws at design time: without the default drawing the cell is only filled.
    if (ComponentState().Contains(csDesigning) && !FDefaultDrawing) {
        c->FillRect(ARect);
        return;
    }
    TAxisColCellParamsEh* params = GetCellParamsRecord();
    params->FText = column->DisplayText();
    params->FThe3DRect = IsFixedStyleCell(TGridCoord{ACol, ARow}, AState);
    params->FDrawCellByThemes = false;
    params->FXFrameOffs = params->FThe3DRect ? 1 : 2;
    params->FYFrameOffs = Byte(params->FXFrameOffs - (Flat() ? 1 : 0));

    // Odd and even rows by record number, while the column keeps the grid's colour. A data set
    // that cannot number its records is numbered by the sum list's virtual records.
    TColor background = style.GetColumnColor(column);
    TDataSet* ds = DataLink()->DataSet();
    if (column->Color() == Color() && OddRowColor() != EvenRowColor() &&
        (ds->IsSequenced() || (FSumList->Active() && FSumList->VirtualRecords()))) {
        const int recNo = FSumList->RecNo();
        background = recNo % 2 != 0 ? OddRowColor() : EvenRowColor();
    }

    params->FAlignment = column->Alignment();
    params->FBackground = background;
    params->FBlankCell = false;
    params->FSuppressActiveCellColor = false;
    params->FImageIndex = column->GetImageIndex();
    params->FCheckboxState = column->CheckboxState();
    params->FReadOnly = column->ReadOnly();
    params->FState = AState;
    params->FFont = c->Font();
    params->FCol = ACol;
    params->FRow = ARow;
    params->FTextEditing = column->TextEditing();
    params->FCellRect = ARect;
    QueryCellParams(column, params);
    column->GetColCellParams(false, params);

    // A tree row's first column begins with its tree elements; the cell proper follows them.
    TRect area = ARect;
    if (IsTreeViewMode() && DataColumn(DataCol) == VisibleColumn(0)) {
        DrawCellTreeAreaBackground(DataCol, DataRow, ARect, AState);
        const int w = GetCellTreeElmentsAreaWidth();
        if (UseRightToLeftAlignment() && !IsCanvasMirrored(c))
            area.Right -= w;
        else
            area.Left += w;
        c->Brush()->SetColor(params->FBackground);
    }

    const TGridCoord cell{ACol, ARow};
    const TGridCoord areaCell{DataCol, DataRow};
    // The record's first cell gives room to the detail panel's expand button.
    if (DataColumn(DataCol) == VisibleColumn(0)) RowDetailButtonArea(area, DataRow, params->FState);
    bool processed = false;
    if (OnAdvDrawDataCell) OnAdvDrawDataCell(this, cell, areaCell, column, area, params, processed);
    if (!processed && column->OnAdvDrawDataCell)
        column->OnAdvDrawDataCell(this, cell, areaCell, column, area, params, processed);
    if (!processed) DefaultDrawColumnDataCell(cell, areaCell, column, area, params);

    TCustomForm* form = GetParentForm(this);
    if (FDefaultDrawing && params->FState.Contains(gdFocused) && Focused() &&
        !ComponentState().Contains(csDesigning) && !FOptions.Contains(dgRowSelect) && UpdateLock() == 0 &&
        form && form->ActiveControl() == this && style.IsDrawFocusRect() && !style.IsCustomStyleActive())
        DrawCellFocusRect(c, area);
}

void TCustomDBGridEh::DrawCellFocusRect(TCanvas* Canvas, const TRect& Rect) {
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->DrawFocusRect(Rect);
    Canvas->Brush()->SetStyle(bsSolid);
}

void TCustomDBGridEh::DefaultDrawColumnDataCell(const TGridCoord& Cell, const TGridCoord& AreaCell,
                                                TColumnEh* Column, const TRect& AreaRect,
                                                TAxisColCellParamsEh* Params) {
    TCanvas* c = Canvas();
    TDBGridEhStyle& style = PaintStyle();
    bool the3D = IsFixedStyleCell(Cell, Params->FState);
    if (Params->FBlankCell && FOptionsEh.Contains(dghFixed3D)) the3D = true;
    const TRect outer = AreaRect;
    TRect r = AreaRect;

    int x = style.GetDataCellHorzOffset(this, Column) - (the3D ? 1 : 0);
    int y = std::min(x, 2) - (Flat() ? 1 : 0);
    if (the3D) {
        if (Flat()) {
            r.Left += 1;
            r.Top += 1;
        } else {
            r.Inflate(-1, -1);
        }
    }

    const bool currentRow = Cell.Y == Row();
    const bool currentCol = AreaCell.X == SelectedIndex();
    const bool buttons = !Params->FBlankCell && EditButtonsShownInCell(Column, currentRow, currentCol);
    TRect buttonArea;
    if (buttons) {
        buttonArea = TRect(r.Right - Column->EditButtonsWidth(), r.Top, r.Right, r.Bottom);
        r.Right -= Column->EditButtonsWidth();
    }
    if (Params->FBlankCell && !Params->FSuppressActiveCellColor) Params->FBackground = FixedColor();

    const bool isCurrentCell = currentRow && (currentCol || FOptions.Contains(dgRowSelect));
    bool highlighted = false;
    if (!(Params->FSuppressActiveCellColor && isCurrentCell))
        highlighted = HighlightDataCellColor(AreaCell.X, AreaCell.Y, c->Font(), Params->FBackground,
                                             Params->FState, Params->FText);
    if (highlighted) Params->FState.Include(gdSelected);
    c->Brush()->SetColor(Params->FBackground);

    // Hidden duplicates: a value equal to the one above is blanked, and the line between them
    // goes so that the two cells read as one.
    bool mergeAbove = false;
    bool mergeBelow = false;
    if (Column->HideDuplicates() && !Params->FBlankCell) {
        std::vector<bool>& marks = Column->CheckedDuplicates();
        const int mark = Cell.Y - TopRow();
        const bool markable = mark >= 0 && mark < int(marks.size());
        if (AreaCell.Y < FullDataRowCount() && !(markable && marks[size_t(mark)]))
            mergeBelow = CheckColumnDuplicateValues(Column, Params->FText, false);
        if (CheckColumnDuplicateValues(Column, Params->FText, true)) {
            Params->FText.clear();
            Params->FImageIndex = -1;
            if (markable && !marks[size_t(mark)]) {
                marks[size_t(mark)] = true;
                mergeAbove = true;
            }
        }
    }

    bool filled = CheckFillDataCell(Cell, AreaCell, Params, r, Column);
    if (IsBackgroundShowing() && c->Brush()->Color() == InternalColor()) filled = true;

    TRect textRect = r;
    if (!Params->FBlankCell && FDefaultDrawing && !r.IsEmpty()) {
        if (Column->ImageList() && Column->ShowImageAndText()) {
            TRect imageRect(r.Left, r.Top, r.Left + Column->ImageList()->Width() + 4, r.Bottom);
            c->Brush()->SetColor(StyleServices()->GetSystemColor(Column->Color()));
            if (!filled) c->FillRect(imageRect);
            PaintCellImage(Column, Column->ImageList(), imageRect, Params->FImageIndex, taCenter);
            c->Brush()->SetColor(Params->FBackground);
            textRect.Left = imageRect.Right + 1;
        }
        switch (Column->GetColumnType()) {
        case ctKeyImageList:
            if (!filled) c->FillRect(r);
            PaintCellImage(Column, Column->ImageList(), r, Params->FImageIndex, taCenter);
            break;
        case ctCheckboxes: {
            if (!filled) c->FillRect(r);
            TRect box;
            AlignCheckBoxRect(r, 2, 1, box);
            PaintStyledButton(c, box, true, false, false, Flat(), bcsCheckboxEh, Params->FCheckboxState);
            break;
        }
        case ctGraphicData:
            DrawGraphicCell(Column, r, !filled, Params->FBackground);
            break;
        default:
            WriteCellText(Column, c, Column->EndEllipsis(),
                          Column->WordWrap() && Column->CurLineWordWrap(RowHeights(Cell.Y)), Column->Layout(),
                          Params->FAlignment, Params->FText, y, x, !filled, textRect);
            // Search matches painted over the text where it was put.
            PaintSearchHighlights(c, Column, Params->FText, textRect, x, y, Params->FAlignment,
                                  Column->WordWrap() && Column->CurLineWordWrap(RowHeights(Cell.Y)));
            break;
        }
    }

    if (buttons) DrawCellEditButtons(Column, Params, buttonArea, outer, the3D);

    // The required mark: a red dotted line under an empty required field while a record is edited.
    if (!Params->FBlankCell && Column->HighlightRequired() && DataLink()->Active()) {
        TDataSet* ds = DataLink()->DataSet();
        TField* f = Column->Field();
        bool draw = (ds->State() == dsEdit || ds->State() == dsInsert) && IsDataRowCurrent(AreaCell.Y) && f &&
                    f->Required() && f->IsNull();
        if (Column->OnCheckDrawRequiredState)
            Column->OnCheckDrawRequiredState(this, Column, Params->FText, draw);
        if (draw) {
            const TColor pen = c->Pen()->Color();
            const TPenStyle penStyle = c->Pen()->Style();
            c->Pen()->SetColor(clRed);
            c->Pen()->SetStyle(psDot);
            c->MoveTo(AreaRect.Left + 2, AreaRect.Bottom - 1);
            c->LineTo(AreaRect.Right - 3, AreaRect.Bottom - 1);
            c->Pen()->SetColor(pen);
            c->Pen()->SetStyle(penStyle);
        }
    }

    if (Columns()->State() == csDefault) DrawDataCell(AreaRect, Column->Field(), Params->FState);
    DrawColumnCell(AreaRect, AreaCell.X, Column, Params->FState);

    // The characters the in-place search has matched, in the current cell (the row's first
    // column with row select) while the grid is the form's active control.
    if (!Params->FBlankCell && InplaceSearching() && currentRow && Params->FState.Contains(gdFocused) &&
        (FOptions.Contains(dgRowSelect) ? AreaCell.X == 0 : currentCol) &&
        (FOptions.Contains(dgAlwaysShowSelection) || Focused()) && !ComponentState().Contains(csDesigning) &&
        UpdateLock() == 0) {
        TCustomForm* form = GetParentForm(this);
        if (form && form->ActiveControl() == this)
            PaintInplaceSearchMatch(Column, Params->FText, textRect, x, y, Params->FAlignment);
    }

    if (FOptions.Contains(dgRowLines)) {
        c->Pen()->SetColor(Column->Color());
        if (mergeAbove) {
            c->MoveTo(outer.Left, outer.Top - 1);
            c->LineTo(outer.Right, outer.Top - 1);
        }
        if (mergeBelow) {
            c->MoveTo(outer.Left, outer.Bottom);
            c->LineTo(outer.Right, outer.Bottom);
        }
    }

    if (Params->FBlankCell) {
        c->Brush()->SetColor(Params->FBackground);
        DrawThemedCellBackground(GetFixedCellStyle(), outer, clDefault, false, true, outer, highlighted,
                                 false);
        if (the3D) DrawButtonEdges(c, outer, Flat(), true, true, highlighted, Flat() && ThemesInUse());
    }
}

void TCustomDBGridEh::DrawCellEditButtons(TColumnEh* Column, TAxisColCellParamsEh* Params, const TRect& Area,
                                          const TRect& CellRect, bool The3D) {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Params->FBackground);
    c->FillRect(Area);
    // The look: pressed on the focused cell or a highlighted current row, hot under the mouse.
    const TGridDrawState state = Params->FState;
    int look = 80;
    if (ComponentState().Contains(csDesigning))
        look = 30;
    else if (state.Contains(gdFocused) || (FOptionsEh.Contains(dghRowHighlight) && Params->FRow == Row()))
        look = 0;
    else if (state.Contains(gdHotTrack))
        look = 30;
    const int b = Flat() && !ThemesInUse() ? 1 : 0;
    const int h = InplaceEditorButtonHeight();
    int left = Area.Left;
    auto place = [&](int W) {
        TRect r(left, Area.Top, left + W, std::min(Area.Top + h, CellRect.Bottom));
        if (The3D) r.Offset(1, -1);
        if (The3D && Flat() && !ThemesInUse()) c->FillRect(TRect(r.Left - 1, r.Top, r.Left, r.Bottom));
        left += W;
        return r;
    };
    const TEditStyle editStyle = GetColumnEditStyle(Column);
    if (editStyle != esSimple) {
        const TDrawButtonControlStyleEh kind = editStyle == esEllipsis ? bcsEllipsisEh : bcsDropDownEh;
        DrawColumnCellButton(Column, place(InplaceEditorButtonWidth() + b), CellRect, kind, nullptr,
                             Params->FBackground, look);
    }
    if (TEditButtonsEh* extra = Column->EditButtons())
        for (int i = 0; i < extra->Count(); ++i) {
            TEditButtonEh* eb = extra->Items(i);
            if (!eb->Visible()) continue;
            const int w = eb->Width() < 1 ? InplaceEditorButtonWidth() : eb->Width() + b;
            DrawColumnCellButton(Column, place(w + b), CellRect,
                                 EditButtonStyleToDrawButtonStyle(eb->Style()), eb, Params->FBackground,
                                 look);
        }
    if (h < CellRect.Height()) c->FillRect(TRect(Area.Left, Area.Top + h, Area.Right, Area.Bottom));
}

void TCustomDBGridEh::DefaultDrawColumnCell(const TRect& Rect, int DataCol, TColumnEh* Column,
                                            TGridDrawState State) {
    (void)DataCol;
    (void)State;
    TCanvas* c = Canvas();
    int margin = FOptionsEh.Contains(dghFooter3D) ? 1 : 2;
    TRect r = Rect;
    if (FOptionsEh.Contains(dghFooter3D)) r.Inflate(-1, -1);
    if (Flat()) --margin;
    String text = Column->DisplayText();
    switch (Column->GetColumnType()) {
    case ctKeyImageList: {
        c->FillRect(r);
        const int image = Column->Field() ? Column->GetImageIndex() : GetCellParamsRecord()->FImageIndex;
        PaintCellImage(Column, Column->ImageList(), r, image, taCenter);
        break;
    }
    case ctCheckboxes: {
        c->FillRect(r);
        TRect box;
        AlignCheckBoxRect(r, 2, 1, box);
        PaintStyledButton(c, box, true, false, false, Flat(), bcsCheckboxEh, Column->CheckboxState());
        break;
    }
    case ctGraphicData:
        // Over a background picture the graphic leaves the picture showing around it.
        DrawGraphicCell(Column, r, !(IsBackgroundShowing() && c->Brush()->Color() == InternalColor()),
                        c->Brush()->Color());
        break;
    default: {
        if (Column->HideDuplicates() && CheckColumnDuplicateValues(Column, text, true)) text.clear();
        // The row is as high as the standard row, or as the row being read in a memory table.
        int rowHeight = FStdDefaultRowHeight;
        if (UsesMemTable() && FInstantReadDataRow >= 0) rowHeight = GetDataRowHeight(FInstantReadDataRow);
        WriteCellText(Column, c, Column->EndEllipsis(),
                      Column->WordWrap() && Column->CurLineWordWrap(rowHeight), Column->Layout(),
                      Column->Alignment(), text, margin, margin, true, r);
    }
    }
}

void TCustomDBGridEh::DefaultDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState) {
    PaintAlignedTextLine(Canvas(), Rect, 2, 2, Field ? Field->DisplayText() : String(),
                         Field ? Field->Alignment() : taLeftJustify);
}

// ---------------------------------------------------------------------------------------------
// Footer cells

void TCustomDBGridEh::SetFooterRowCount(int Value) {
    if (Value < 0 || Value == FooterRowCount()) return;
    FFooterRowCount = Value;
    UpdateMemTableInterface();
    if (FDataGrouping && FDataGrouping->Active()) UpdateGroupFooterRowHeights();
    SetContraRowCount(FullFooterRowCount());
    RequestLayoutUpdate();
}

void TCustomDBGridEh::DrawGridFooterCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                         const TRect& ARect, int DataCol, int FooterRow) {
    TCanvas* c = Canvas();
    TDBGridEhStyle& style = PaintStyle();
    TColumnEh* column = DataColumn(DataCol);
    const bool the3D = IsFixedStyleCell(TGridCoord{ACol, ARow}, AState);
    if (the3D) AState.Include(gdFixed);
    const bool themed = IsFixedCellThemed(CellType);
    const TGridCellFillStyleEh fillStyle = FFooterParams->GetActualFillStyle();
    const int xOffset = !the3D || (themed && fillStyle == cfstGradientEh) ? 2 : 1;
    const int yOffset = xOffset - (Flat() ? 1 : 0);

    TColumnFooterEh* footer = column ? column->UsedFooter(FooterRow) : nullptr;
    c->Font()->Assign(footer ? footer->Font() : FFooterParams->Font());
    TColor background = footer ? footer->Color() : FFooterParams->GetColor();
    if (background == clDefault) background = FFooterParams->GetColor();
    TAlignment alignment = footer ? footer->Alignment() : taLeftJustify;
    String text = column ? GetFooterValue(FooterRow, column) : String();
    GetFooterParams(DataCol, FooterRow, column, c->Font(), background, alignment, AState, text);
    // A footer shows its column's selection (selected columns, or everything).
    const bool selected = DataLink()->Active() && IsCellSelected(ACol, ARow, TBookmark(), DataCol);
    const bool highlighted = GetHighlightedFixedCellColors(c->Font(), background, selected, CellType);
    c->Brush()->SetColor(background);

    if (FDefaultDrawing) {
        TDBGirdDrawFixedStateEh state;
        state.Selected = highlighted;
        state.The3DRect = the3D;
        state.FillStyle = fillStyle;
        state.FillColor = background;
        state.DrawByThemesOverLines = themed && style.ThemeTitleFillElement() == gtfeSplitButtonEh;
        state.FontColor = c->Font()->Color();
        TRect inner;
        style.DrawFixedCellBackground(this, c, state, AState, inner, fillStyle != cfstSolidEh, ARect);
        c->Brush()->SetColor(background);
        const bool fill = fillStyle == cfstSolidEh && !IsBackgroundShowing();
        if (!fill) c->Brush()->SetStyle(bsClear);
        WriteCellText(column, c, footer ? footer->EndEllipsis() : true,
                      footer && footer->WordWrap() && FAllowWordWrap, column ? column->Layout() : tlCenter,
                      alignment, text, yOffset, xOffset, fill, inner);
        c->Brush()->SetStyle(bsSolid);
    }
    if (the3D && !themed) DrawButtonEdges(c, ARect, Flat(), true, true, highlighted, Flat() && ThemesInUse());
    if (OnDrawFooterCell) OnDrawFooterCell(this, DataCol, FooterRow, column, ARect, AState);
}

// ---------------------------------------------------------------------------------------------
// Hot tracking and the buttons in cells

bool TCustomDBGridEh::ShowRowFocusRect() {
    return !ComponentState().Contains(csDesigning) && FOptions.Contains(dgRowSelect) && FDefaultDrawing &&
           Focused();
}

bool TCustomDBGridEh::CanHotTrackCell(int ACol, int ARow) {
    if (FOptionsEh.Contains(dghHotTrack)) return ACol >= 0 && ARow >= 0;
    if (ARow < GetTitleRowCount() && GetFilterRowCount() > 0) return true;
    if (ACol >= 0 && ACol < IndicatorOffset() && FOptions.Contains(dgIndicator)) return true;
    return TCustomDBAxisGridEh::CanHotTrackCell(ACol, ARow);
}

void TCustomDBGridEh::UpdateHotTrackInfo(int X, int Y) {
    const TGridCoord oldCell = HotTrackCell();
    TCustomDBAxisGridEh::UpdateHotTrackInfo(X, Y);
    const TGridCoord cell = HotTrackCell();
    if (RowPanelMode()) {
        // The hot cell is the panel column under the mouse.
        const int old = FHotTrackRowPanelCol;
        TColumnEh* c = cell.X >= IndicatorOffset() && cell.Y >= 0 ? RowPanelColumnAtPoint(X, Y, cell.Y) : nullptr;
        FHotTrackRowPanelCol = c ? DataColOf(c) : -1;
        if (old != FHotTrackRowPanelCol || cell != oldCell) {
            if (oldCell.Y >= 0 && oldCell.Y < RowCount()) InvalidateRow(oldCell.Y);
            if (cell.Y >= 0 && cell.Y < RowCount()) InvalidateRow(cell.Y);
        }
        return;
    }
    if (cell == oldCell && cell.X >= 0 && cell.Y >= 0) {
        int hot = -1;
        if (cell.X >= IndicatorOffset()) {
            TColumnEh* column = DataColumn(cell.X - IndicatorOffset());
            if (cell.Y == 0 && IsUseMultiTitle()) {
                // Over an upper title level the title's filter button does not light up.
                const bool over = !InTitleLeafPart(cell.X, Y);
                if (over != FHotTrackMultiTitleOver) {
                    FHotTrackMultiTitleOver = over;
                    InvalidateCell(cell.X, cell.Y);
                }
            }
            // The buttons light up only under the plain arrow: not while sizing or dragging.
            if (Screen && Screen->Cursor() == crDefault) hot = EditButtonAtPos(cell.X, cell.Y, Y, X, column);
        } else if (FRowselCheckboxesWidth > 0 && cell.Y >= TopDataOffset()) {
            const TRect r = CellRect(cell.X, cell.Y);
            const int right = r.Right - (FIndicatorOptions.Contains(gioShowRowIndicatorEh) ? 11 : 0);
            if (X >= right - FRowselCheckboxesWidth && X < right) hot = 1;
        }
        if (hot != FHotTrackEditButton) {
            FHotTrackEditButton = hot;
            InvalidateCell(cell.X, cell.Y);
        }
    } else if (cell != oldCell) {
        FHotTrackEditButton = -1;
    }
    if (FOptions.Contains(dgTitles) && TopDataOffset() > 0) {
        // The titles follow the mouse into and out of their row (the filter buttons show on it).
        const bool inTitles = cell.Y == 0 && cell.X >= IndicatorOffset();
        if ((oldCell.Y == 0) != (cell.Y == 0) || inTitles != FMouseInTrackRowRect) {
            FMouseInTrackRowRect = inTitles;
            InvalidateTitle();
        }
    }
    // Hot rows are drawn whole: the row the mouse left and the one it entered repaint.
    if (FOptionsEh.Contains(dghHotTrack) &&
        (FOptionsEh.Contains(dghRowHighlight) || FOptions.Contains(dgRowSelect))) {
        const bool crossed = (oldCell.X < IndicatorOffset()) != (cell.X < IndicatorOffset());
        if (cell.Y != oldCell.Y || crossed) {
            if (oldCell.Y >= 0 && oldCell.Y < RowCount()) InvalidateRow(oldCell.Y);
            if (cell.Y >= 0 && cell.Y < RowCount()) InvalidateRow(cell.Y);
        }
    }
}

int TCustomDBGridEh::EditButtonAtPos(int ACol, int ARow, int Y, int X, TColumnEh* Column) {
    if (!Column) return -1;
    if (ARow < GetTitleRowCount()) {
        TRect button;
        return TitleFilterButtonHit(TGridCoord{ACol, ARow}, TPoint(X, Y), CellRect(ACol, ARow), button) ? 0
                                                                                                        : -1;
    }
    const TRect cell = CellRect(ACol, ARow);
    const int buttonW = InplaceEditorButtonWidth();
    const TRect strip(cell.Right - Column->EditButtonsWidth(), cell.Top, cell.Right,
                      cell.Top + InplaceEditorButtonHeight());
    if (Y >= strip.Bottom || X < strip.Left) return -1;
    // A flat grid gives every button one more pixel than the painter does.
    const int f = Flat() ? 1 : 0;
    int left = strip.Left;
    if (GetColumnEditStyle(Column) != esSimple) {
        if (X < left + buttonW + f) return 0;
        left += buttonW + f;
    }
    TEditButtonsEh* buttons = Column->EditButtons();
    for (int i = 0; buttons && i < buttons->Count(); ++i) {
        TEditButtonEh* b = buttons->Items(i);
        if (!b->Visible()) continue;
        const int w = b->Width() > 0 ? b->Width() + f + f : buttonW + f;
        if (X < left + w) return i + 1;
        left += w;
    }
    return -1;
}

bool TCustomDBGridEh::CheckFillDataCell(const TGridCoord& Cell, const TGridCoord&,
                                        TAxisColCellParamsEh* Params, const TRect& AreaRect, TAxisBarEh*) {
    TCanvas* c = Canvas();
    const TGridDrawState state = Params->State();
    const bool the3D = IsFixedStyleCell(Cell, state);
    const bool themed = Params->DrawCellByThemes();
    const bool selected = state.Contains(gdSelected);
    const bool rowHighlight = FOptionsEh.Contains(dghRowHighlight);
    const bool currentRow = Cell.Y == Row();
    const bool hotRow = Cell.Y == HotTrackCell().Y;
    if (ThemesInUse() && ((rowHighlight && currentRow && !state.Contains(gdCurrent)) ||
                          state.Contains(gdHotTrack) || (rowHighlight && hotRow))) {
        // Rows the mouse or the current record marks get a soft gradient; the focused cell stays flat.
        if (state.Contains(gdFocused))
            c->FillRect(AreaRect);
        else
            PaintVerticalGradient(c, AreaRect, InterpolateColor(c->Brush()->Color(), clBtnHighlight, 85),
                                  c->Brush()->Color());
        return true;
    }
    if (!the3D || selected || !(themed || (Flat() && ThemesInUse()))) return false;
    DrawThemedCellBackground(themed ? 1 : GetFixedCellStyle(), AreaRect, clDefault, false, true, AreaRect,
                             selected, false);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Tree lines beside the detail panel

void TCustomDBGridEh::DrawTreeStripLines(int DataRow, const TRect& Strip) {
    if (!DataLink()->Active() || DataRow < 0 || DataRow >= FullDataRowCount() ||
        !FTreeViewParams->ShowTreeLines())
        return;
    InstantReadScope read(this, DataRow);
    IMemTableEh* mt = FIntMemTable;
    const int level = mt->GetTreeNodeLevel();
    const int areaWidth = std::min(TreeLevelWidth * level, Strip.Width());
    if (level <= 0 || areaWidth <= 0) return;
    TCanvas* c = Canvas();
    HDC dc = c->Handle();
    const int saved = SaveDC(dc);
    const auto restore = qScopeGuard([&] { RestoreDC(dc, saved); });
    IntersectClipRect(dc, Strip.Left, Strip.Top, Strip.Left + areaWidth, Strip.Bottom);
    const bool dotPhase = (FStdDefaultRowHeight % 2 != 0) && (TopRow() % 2 != 0);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetMode(pmCopy);
    c->Pen()->SetColor(clBtnShadow);
    // Only the lines that lead on to a following sibling go on; the signs stay in the row.
    constexpr int PassingLine = 11;
    for (int lvl = 1; lvl <= level; ++lvl) {
        if (!mt->GetTreeNodeHasNextVisibleSibling(lvl)) continue;
        const int l = Strip.Left + (lvl - 1) * TreeLevelWidth;
        PaintTreeNodeGlyph(c, TRect(l, Strip.Top, l + TreeLevelWidth, Strip.Bottom), PassingLine, dotPhase, 1,
                           1, false, false, FTreeViewParams->GetActualGlyphStyle());
    }
}
