// The data grid's side of grouping: the answers the grouping settings and the group tree ask of
// their grid, the mapping of data rows to the tree's flat list of visible nodes, and the
// painting of group rows, group footer rows, the level indents of record rows and the
// grand-total group footers in the footer area.
//
// In grouping mode data row d is item d of the tree's flat list; RowCount = TopDataOffset + the
// list's count and the current row is the flat index of FCurGroupDataNode. FCurGroupDataNode is
// only dereferenced after it was found in the flat list or reached from the tree's root: the
// tree frees nodes on every record change, so a stale pointer is compared, never followed.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinGdi.h"

#include <QFontMetrics>

#include <algorithm>

namespace {
constexpr int LevelIndent = 18;

int TextHeightWg(TFont* Font) {
    return QFontMetrics(Font->ToQFont()).height();
}

bool NodeIn(const std::vector<TGroupDataTreeNodeEh*>& List, TGroupDataTreeNodeEh* Node) {
    return std::find(List.begin(), List.end(), Node) != List.end();
}
} // namespace

// ---------------------------------------------------------------------------------------------
// What grouping asks of its grid

TColor TCustomDBGridEh::DGGroupingPanelColor() {
    return PaintStyle().GetGroupPanelColor(this);
}

TDataSet* TCustomDBGridEh::DGDataSet() {
    return DataLink() ? DataLink()->DataSet() : nullptr;
}

int TCustomDBGridEh::DGColumnCount() {
    return Columns() ? Columns()->Count() : 0;
}

TPersistent* TCustomDBGridEh::DGColumn(int Index) {
    return Columns()->Columns(Index);
}

TPersistent* TCustomDBGridEh::DGFindColumnByName(const String& Name) {
    return Columns()->FindColumnByName(Name);
}

bool TCustomDBGridEh::DGColumnsCustomized() {
    return Columns()->State() == csCustomized;
}

TField* TCustomDBGridEh::DGColumnField(TPersistent* Column) {
    auto* c = dynamic_cast<TColumnEh*>(Column);
    return c ? c->Field() : nullptr;
}

String TCustomDBGridEh::DGColumnFieldName(TPersistent* Column) {
    auto* c = dynamic_cast<TColumnEh*>(Column);
    return c ? c->FieldName() : String();
}

String TCustomDBGridEh::DGColumnName(TPersistent* Column) {
    auto* c = dynamic_cast<TColumnEh*>(Column);
    return c ? c->Name() : String();
}

String TCustomDBGridEh::DGColumnTitleCaption(TPersistent* Column) {
    auto* c = dynamic_cast<TColumnEh*>(Column);
    return c ? c->Title()->Caption() : String();
}

String TCustomDBGridEh::DGColumnDisplayFormat(TPersistent* Column) {
    auto* c = dynamic_cast<TColumnEh*>(Column);
    return c ? c->DisplayFormat() : String();
}

String TCustomDBGridEh::DGColumnDisplayText(TPersistent* Column) {
    auto* c = dynamic_cast<TColumnEh*>(Column);
    return c ? c->DisplayText() : String();
}

void TCustomDBGridEh::DGUpdateAllDataRowHeights() {
    if (!HandleAllocated() || ComponentState().Contains(csLoading)) return;
    if (GroupingShowsRows()) GroupDataTreeChanged();
}

void TCustomDBGridEh::DGLinkActiveChanged() {
    // Grouping switched on or off changes what the rows stand for: the grid reacts as to its
    // link going active or inactive (selection reset, sum list, rows rebuilt).
    LinkActiveChanged(DataLink() && DataLink()->Active());
    UpdateExtraFirstColumnWidth();
    LayoutChanged();
}

void TCustomDBGridEh::DGUpdateDataRowHeight(int DataRow) {
    UpdateDataRowHeight(DataRow);
}

void TCustomDBGridEh::DGActiveGroupingStructChanged() {
    UpdateExtraFirstColumnWidth();
    LayoutChanged();
    if (OnActiveGroupingStructChanged) OnActiveGroupingStructChanged(this);
}

void TCustomDBGridEh::DGSetCurGroupNodeByViewRow(int ViewRow, bool Expand) {
    SetCurGroupNodeByViewRow(ViewRow, Expand);
}

void TCustomDBGridEh::DGDataGroupGetRowText(TGroupDataTreeNodeEh* Node, String& Text) {
    if (OnDataGroupGetRowText) OnDataGroupGetRowText(this, Node, Text);
}

void TCustomDBGridEh::DGColumnGroupGetKeyValue(TPersistent* Column, Variant& KeyValue) {
    auto* c = dynamic_cast<TColumnEh*>(Column);
    if (c && c->OnGroupGetKeyValue) c->OnGroupGetKeyValue(this, c, KeyValue);
}

void TCustomDBGridEh::DGColumnGroupGetKeyValueAsText(TPersistent* Column, TGroupDataTreeNodeEh* Node,
                                                     const Variant& KeyValue, String& Text) {
    auto* c = dynamic_cast<TColumnEh*>(Column);
    if (c && c->OnGroupGetKeyValueAsText) c->OnGroupGetKeyValueAsText(this, Node, KeyValue, Text);
}

void TCustomDBGridEh::DGFooterAggregateValue(TPersistent* Column, TGridDataGroupFooterEh* Footer,
                                             TGridDataGroupFooterColumnItemEh* Item, Variant& AValue,
                                             TGroupDataTreeNodeEh* Node, bool& Processed) {
    auto* c = dynamic_cast<TColumnEh*>(Column);
    if (c && c->OnDataGroupFooterAggregateValue)
        c->OnDataGroupFooterAggregateValue(this, c, Footer, Item, AValue, Node, Processed);
    if (!Processed && OnDataGroupFooterAggregateValue)
        OnDataGroupFooterAggregateValue(this, c, Footer, Item, AValue, Node, Processed);
}

void TCustomDBGridEh::DGFooterFinalizeValue(TPersistent* Column, TGridDataGroupFooterEh* Footer,
                                            TGridDataGroupFooterColumnItemEh* Item, Variant& AValue,
                                            bool& Processed) {
    auto* c = dynamic_cast<TColumnEh*>(Column);
    if (c && c->OnDataGroupFooterFinalizeValue)
        c->OnDataGroupFooterFinalizeValue(this, c, Footer, Item, AValue, Processed);
    if (!Processed && OnDataGroupFooterFinalizeValue)
        OnDataGroupFooterFinalizeValue(this, c, Footer, Item, AValue, Processed);
}

void TCustomDBGridEh::DGFooterToDisplayText(TPersistent* Column, TGridDataGroupFooterEh* Footer,
                                            TGridDataGroupFooterColumnItemEh* Item, Variant& AValue,
                                            String& DisplayValue, bool& Processed) {
    auto* c = dynamic_cast<TColumnEh*>(Column);
    if (c && c->OnDataGroupFooterToDisplayText)
        c->OnDataGroupFooterToDisplayText(this, c, Footer, Item, AValue, DisplayValue, Processed);
    if (!Processed && OnDataGroupFooterToDisplayText)
        OnDataGroupFooterToDisplayText(this, c, Footer, Item, AValue, DisplayValue, Processed);
}

// ---------------------------------------------------------------------------------------------
// Row mapping

bool TCustomDBGridEh::GroupingShowsRows() {
    return FDataGrouping && FDataGrouping->IsGroupingWorksWithLevel() &&
           FDataGrouping->GroupDataTree()->FlatVisibleCount() > 0;
}

TGroupDataTreeNodeEh* TCustomDBGridEh::FlatNode(int DataRow) const {
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    return DataRow >= 0 && DataRow < tree->FlatVisibleCount() ? tree->GetFlatVisibleItem(DataRow) : nullptr;
}

namespace {
// The view row a node's cells read: its own record, a group's first record, a footer's group's
// first record.
int ReadViewRowOf(TGroupDataTreeNodeEh* Node) {
    if (!Node) return 0;
    if (Node->NodeType() == dntDataGroupFooterEh && Node->Parent()) Node = Node->Parent();
    return std::max(0, Node->DataSetRecordViewNo());
}
} // namespace

int TCustomDBGridEh::GroupingReadRowEnter(int DataRow) {
    if (!GroupingShowsRows()) {
        FInstantReadDataNodes.push_back(FInstantReadNode);
        FInstantReadNode = nullptr;
        return DataRow;
    }
    FInstantReadDataNodes.push_back(FInstantReadNode);
    FInstantReadNode = FlatNode(DataRow);
    return ReadViewRowOf(FInstantReadNode);
}

void TCustomDBGridEh::GroupingReadRowLeave() {
    if (FInstantReadDataNodes.empty()) return;
    FInstantReadNode = FInstantReadDataNodes.back();
    FInstantReadDataNodes.pop_back();
}

void TCustomDBGridEh::GroupDataTreeChanged() {
    if (!FDataGrouping || !FDataGrouping->IsGroupingWorks() || ComponentState().Contains(csLoading) ||
        FDestroying)
        return;
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    const int top = TopDataOffset();
    const int n = FDataGrouping->IsGroupingWorksWithLevel() ? tree->FlatVisibleCount() : 0;
    const int rows = top + std::max(1, n > 0 ? n : FIntMemTable ? FIntMemTable->InstantReadRowCount() : 0);
    if (n > 0) {
        int idx = tree->IndexOfVisibleNode(FCurGroupDataNode);
        if (Row() >= rows) FocusCell(Col(), idx >= 0 ? idx + top : rows - 1, false, false, true);
        SetRowCount(rows);
        if (idx < 0 && !FInternalUpdatingDatasetPos && FIntMemTable) {
            // The current node went out of sight (collapsed or freed): the nearest visible node
            // of the cursor's record takes its place; the cursor stays where it is.
            FInternalUpdatingDatasetPos = true;
            struct Clear {
                bool& f;
                ~Clear() { f = false; }
            } clear{FInternalUpdatingDatasetPos};
            SetCurGroupNodeByViewRow(FIntMemTable->GetInstantReadCurRow(), false);
            idx = tree->IndexOfVisibleNode(FCurGroupDataNode);
        }
        if (idx >= 0 && Row() != idx + top) FocusCell(Col(), idx + top, false, false, true);
    } else {
        SafeSetRowCount(rows);
    }
    SetContraRowCount(FullFooterRowCount());
    if (HandleAllocated()) {
        // The tree keeps each row's height in its node; footers get theirs from their fonts.
        UpdateAllGridDataRowHeights();
        UpdateGroupFooterRowHeights();
        UpdateFooterRowHeights();
    }
    UpdateVertScrollBar();
    Invalidate();
}

bool TCustomDBGridEh::GroupingMTViewDataEvent(int RowNum, TMTViewEventTypeEh Event, int OldRowNum) {
    if (!FDataGrouping || !FDataGrouping->IsGroupingWorksWithLevel()) return false;
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    const int top = TopDataOffset();
    switch (Event) {
    case mtRowInsertedEh:
        tree->RecordInserted(RowNum);
        break;
    case mtRowChangedEh:
        tree->RecordChanged(RowNum);
        break;
    case mtRowDeletedEh:
        tree->RecordDeleted(RowNum);
        break;
    case mtRowMovedEh:
        MoveRow(OldRowNum + top, RowNum + top);
        break;
    case mtViewDataChangedEh: {
        const bool saved = FWholeGridChanged;
        FWholeGridChanged = true;
        struct Restore {
            bool& f;
            bool v;
            ~Restore() { f = v; }
        } restore{FWholeGridChanged, saved};
        if (tree->UpdateCount() > 0) return true;
        tree->RebuildDataTreeEx(FIntMemTable);
        if (DataLink()->Active()) {
            if (FInternalUpdatingDatasetPos) return true;
            FInternalUpdatingDatasetPos = true;
            struct Clear {
                bool& f;
                ~Clear() { f = false; }
            } clear{FInternalUpdatingDatasetPos};
            SetCurGroupNodeByViewRow(FIntMemTable->GetInstantReadCurRow(), false);
        }
        GroupDataTreeChanged();
        return true;
    }
    }
    // A record event may have freed the current node: the table's cursor says where we are.
    if (!FInternalUpdatingDatasetPos && tree->IndexOfVisibleNode(FCurGroupDataNode) < 0 && FIntMemTable) {
        FInternalUpdatingDatasetPos = true;
        struct Clear {
            bool& f;
            ~Clear() { f = false; }
        } clear{FInternalUpdatingDatasetPos};
        SetCurGroupNodeByViewRow(FIntMemTable->GetInstantReadCurRow(), false);
    }
    GroupDataTreeChanged();
    return true;
}

bool TCustomDBGridEh::GroupingFollowCursor() {
    if (!GroupingShowsRows() || !FIntMemTable) return false;
    if (FInternalUpdatingDatasetPos) return true;
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    const int viewRow = FIntMemTable->GetInstantReadCurRow();
    // The current row stays while it already stands for the cursor's record.
    const int idx = tree->IndexOfVisibleNode(FCurGroupDataNode);
    if (idx >= 0 && FCurGroupDataNode->NodeType() == dntDataSetRecordEh &&
        FCurGroupDataNode->DataSetRecordViewNo() == viewRow) {
        if (Row() != idx + TopDataOffset()) FocusCell(Col(), idx + TopDataOffset(), true, false, true);
        return true;
    }
    if (idx >= 0 && FCurGroupDataNode->NodeType() != dntDataSetRecordEh) {
        TGroupDataTreeNodeEh* n = FCurGroupDataNode;
        if (n->NodeType() == dntDataGroupFooterEh) n = n->Parent();
        while (n && n->NodeType() == dntDataGroupEh && n->Count() > 0)
            n = n->GetDataItem(0);
        if (n && n->DataSetRecordViewNo() == viewRow) return true;
    }
    FInternalUpdatingDatasetPos = true;
    struct Clear {
        bool& f;
        ~Clear() { f = false; }
    } clear{FInternalUpdatingDatasetPos};
    SetCurGroupNodeByViewRow(viewRow, false);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Painting

bool TCustomDBGridEh::DrawGroupingDataCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                           TRect& ARect, int DataCol, int DataRow) {
    if (!GroupingShowsRows() || !DataLink()->Active()) return false;
    TGroupDataTreeNodeEh* node = FlatNode(DataRow);
    if (!node) return false;
    switch (node->NodeType()) {
    case dntDataGroupEh:
        GroupingReadRowEnter(DataRow); // positions FInstantReadNode for the painters
        {
            struct Leave {
                TCustomDBGridEh* g;
                ~Leave() { g->GroupingReadRowLeave(); }
            } leave{this};
            DrawGroupRow(ACol, ARow, CellType, AState, ARect, DataCol, DataRow);
        }
        return true;
    case dntDataGroupFooterEh:
        if (RowPanelMode()) {
            // A row panel lays the footer's cells out as it lays out a record's: the level indent
            // comes first, then each placed column shows its own footer item.
            if (FExtraFirstColumnWidth > 0) {
                DrawGroupLevelsIndent(ACol, ARow, true, CellType, ARect, AState, node->Level(), DataCol,
                                      DataRow);
                ARect.Left += FExtraFirstColumnWidth;
            }
            return false;
        }
        GroupingReadRowEnter(DataRow);
        {
            struct Leave {
                TCustomDBGridEh* g;
                ~Leave() { g->GroupingReadRowLeave(); }
            } leave{this};
            DrawGroupFooterCell(ACol, ARow, CellType, AState, ARect, DataCol, DataRow);
        }
        return true;
    case dntDataSetRecordEh:
        if (FExtraFirstColumnWidth > 0 && DataColumn(DataCol) == VisibleColumn(0)) {
            // The current row's open detail panel continues the row: no line under its indent.
            const bool lineBelow = !(ARow == Row() && FRowDetailPanel && FRowDetailPanel->Visible());
            DrawGroupLevelsIndent(ACol, ARow, lineBelow, CellType, ARect, AState, node->Level(), DataCol,
                                  DataRow);
            ARect.Left += FExtraFirstColumnWidth;
        }
        return false;
    }
    return false;
}

namespace {
// The level of the flat-list row after DataRow; 0 after the last row.
int NextRowLevel(TGridGroupDataTreeEh* Tree, int DataRow, TGroupDataTreeNodeEh** Next = nullptr) {
    TGroupDataTreeNodeEh* n =
        DataRow + 1 < Tree->FlatVisibleCount() ? Tree->GetFlatVisibleItem(DataRow + 1) : nullptr;
    if (Next) *Next = n;
    return n ? n->Level() : 0;
}

TColor LevelColor(TGridDataGroupsEh* Groups, int ActiveIndex) {
    if (ActiveIndex < 0 || ActiveIndex >= Groups->ActiveGroupLevelsCount()) return Groups->Color();
    return Groups->ActiveGroupLevels(ActiveIndex)->Color();
}
} // namespace

void TCustomDBGridEh::DrawGroupRow(int ACol, int ARow, TPoint, TGridDrawState AState, const TRect& ARect,
                                   int DataCol, int DataRow) {
    TCanvas* c = Canvas();
    TGroupDataTreeNodeEh* node = FInstantReadNode;
    if (!node || !node->DataGroupLevel()) return;
    TGridDataGroupLevelEh* level = node->DataGroupLevel();
    TGridDataGroupRowDefValuesEh* defs = FDataGrouping->GroupRowDefValues();
    TColor lineColor = defs->BottomLine()->Color();
    const bool lineSet = lineColor != clDefault;
    if (!lineSet) lineColor = GridLineParams()->GetBrightColor();
    const bool lineInForce = FOptions.Contains(dgRowLines) || lineSet;
    const int lineWidth = defs->BottomLine()->Width();

    if (ACol >= ColCount()) {
        // A contra cell: filled in the level's colours, with the group's bottom line.
        c->Font()->Assign(level->Font());
        c->Font()->SetColor(GroupStyledFontColor(c->Font()->Color()));
        TColor color = GroupStyledColor(level->Color());
        HighlightGroupDataCellColor(DataCol, DataRow, String(), AState, color, c->Font());
        c->Brush()->SetColor(color);
        TRect r = ARect;
        if (lineInForce) r.Bottom -= lineWidth;
        c->FillRect(r);
        if (lineInForce) {
            c->Brush()->SetColor(lineColor);
            c->FillRect(TRect{ARect.Left, r.Bottom, ARect.Right, ARect.Bottom});
        }
        return;
    }
    if (NodeIn(FDrawnGroupList, node)) return;
    FDrawnGroupList.push_back(node);
    String text = level->GetGroupRowText(node);
    if (IsActiveControl() && ARow == Row()) AState.Include(gdFocused);

    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    // The band starts at the first scrollable column whichever of its cells is painted, also
    // when that column is scrolled out of view: the band then scrolls with the columns and is
    // clipped at the fixed boundary. Over frozen columns the sign and the text start in the
    // frozen part and stay there.
    const bool frozen = FrozenColCount() > 0;
    int L = ARect.Left;
    if (frozen)
        L = di.Horz.NoFrozenBoundary;
    else
        for (int col = FixedCols(); col < ACol; ++col)
            L -= ColWidths(col) + di.Horz.EffectiveLineWidth;
    // The band ends where the last visible column ends; that column's right line is drawn after
    // it, not covered by the band.
    const int R = di.Horz.GridBoundary > 0 && di.Horz.GridBoundary < ClientWidth()
                      ? di.Horz.GridBoundary - di.Horz.EffectiveLineWidth
                      : ClientWidth();
    int top = ARect.Top, bottom = ARect.Bottom;
    const int savedDC = SaveDC(c->Handle());
    struct RestoreClip {
        TCanvas* c;
        int saved;
        ~RestoreClip() { RestoreDC(c->Handle(), saved); }
    } restoreClip{c, savedDC};
    IntersectClipRect(c->Handle(), frozen ? di.Horz.NoFrozenBoundary : di.Horz.FixedBoundary, top, R, bottom);

    // Level indent: one box per upper level, in that level's colour.
    TGroupDataTreeNodeEh* nextNode = nullptr;
    const int nextLevel = NextRowLevel(FDataGrouping->GroupDataTree(), DataRow, &nextNode);
    const int lvl = node->Level();
    if (lvl > 1) {
        const int right = L + LevelIndent * lvl - LevelIndent;
        for (int u = 0; u <= lvl - 2; ++u) {
            const TRect box{right - LevelIndent * u - LevelIndent, top, right - LevelIndent * u, bottom};
            c->Brush()->SetColor(GroupStyledColor(LevelColor(FDataGrouping.get(), lvl - u - 2)));
            c->FillRect(box);
            if (lineInForce) {
                c->Pen()->SetColor(GridLineParams()->GetDataVertColor());
                c->MoveTo(box.Right - 1, top);
                c->LineTo(box.Right - 1, bottom);
                const bool footerNext = nextNode && nextNode->NodeType() == dntDataGroupFooterEh;
                if (u + nextLevel < lvl ||
                    (footerNext && u + nextLevel == lvl && !FDataGrouping->ShiftFolldataGroupRow())) {
                    c->Pen()->SetColor(GridLineParams()->GetDataHorzColor());
                    c->MoveTo(box.Right - 1, bottom - 1);
                    c->LineTo(box.Left - 1, bottom - 1);
                }
            }
        }
        L = right;
    }

    c->Font()->Assign(level->Font());
    c->Font()->SetColor(GroupStyledFontColor(c->Font()->Color()));
    TColor color = GroupStyledColor(level->Color());
    HighlightGroupDataCellColor(DataCol, DataRow, text, AState, color, c->Font());
    c->Brush()->SetColor(color);
    FGroupRowParams.FColor = color;
    FGroupRowParams.FImageList = nullptr;
    FGroupRowParams.FImageIndex = 0;
    FGroupRowParams.FGroupRowText = text;
    FGroupRowParams.FFont = c->Font();
    FGroupRowParams.FState = AState;
    if (OnDataGroupGetRowParams) OnDataGroupGetRowParams(this, node, &FGroupRowParams);
    c->Brush()->SetColor(FGroupRowParams.FColor);
    text = FGroupRowParams.FGroupRowText;
    const bool hasImage = FGroupRowParams.FImageList && FGroupRowParams.FImageIndex >= 0;

    const int hMargin = 2;
    int vMargin = Flat() ? 1 : 2;
    TTextLayout layout = tlTop;
    if ((level->RowHeight() > 0 || level->RowLines() > 0) && !hasImage) {
        layout = tlBottom;
        vMargin *= 2;
    }
    if (lineInForce) bottom -= lineWidth;
    const TRect signBox{L, top, L + LevelIndent, bottom};
    c->FillRect(signBox);
    TRect glyph = signBox;
    if (layout == tlBottom) {
        const int th = TextHeightWg(c->Font());
        const int gTop = bottom - th - vMargin;
        if (gTop > glyph.Top) glyph = TRect{glyph.Left, gTop, glyph.Right, gTop + th};
    }
    DrawTreeElement(c, glyph, node->Expanded() ? 3 : 7, false, 1, 1, false, false,
                    FTreeViewParams->GetActualGlyphStyle());
    if (lineInForce) {
        c->Brush()->SetColor(node->Expanded() && FDataGrouping->ShiftFolldataGroupRow()
                                 ? GroupStyledColor(level->Color())
                                 : lineColor);
        c->FillRect(TRect{signBox.Left, bottom, signBox.Right, bottom + lineWidth});
        c->Brush()->SetColor(FGroupRowParams.FColor);
    }

    TRect textRect{signBox.Right, top, R, bottom};
    // Where a column's cell begins in this row, also for a column scrolled out of view: fixed
    // columns stay in place, the others are counted from the left column.
    auto columnLeft = [&](int GridCol) {
        if (GridCol < FixedCols()) return CellRect(GridCol, ARow).Left;
        int x = CellRect(LeftCol(), ARow).Left;
        for (int col = LeftCol(); col < GridCol; ++col)
            x += ColWidths(col) + di.Horz.EffectiveLineWidth;
        for (int col = GridCol; col < LeftCol(); ++col)
            x -= ColWidths(col) + di.Horz.EffectiveLineWidth;
        return x;
    };
    // Footer values inside the group row.
    if (level->FooterInGroupRow() && level->VisibleFootersCount() > 0 && node->FooterItemCount() > 0) {
        TGroupDataTreeNodeEh* footerNode = node->GetFooterItem(0);
        TGridDataGroupFooterEh* footer = footerNode->DataGroupFooter();
        TFont saved;
        saved.Assign(c->Font());
        bool started = false;
        for (int i = 0; footer && i < Columns()->Count(); ++i) {
            TColumnEh* col = Columns()->Columns(i);
            if (!col->Visible()) continue;
            const int itemIdx = footer->ColumnItems()->ItemIndexByColumn(col);
            TGridDataGroupFooterColumnItemEh* item =
                itemIdx >= 0 ? footer->ColumnItems()->Item(itemIdx) : nullptr;
            if (!started && (col == VisibleColumn(0) || !item || item->ValueType() == gfvNonEh)) continue;
            const int gc = i + FIndicatorOffset;
            const int cellLeft = columnLeft(gc);
            const TRect cell{cellLeft, top, cellLeft + ColWidths(gc), bottom};
            if (!started) {
                // Also a cell scrolled out of view ends the group text where it begins.
                started = true;
                textRect.Right = std::max(textRect.Left, cell.Left);
                // The gaps between the footer cells belong to the band as well.
                c->Brush()->SetColor(FGroupRowParams.FColor);
                c->FillRect(TRect{cell.Left, top, R, bottom});
            }
            TRect r{cell.Left, top, cell.Right, bottom};
            if (r.Right <= di.Horz.FixedBoundary || r.Left >= R) continue; // out of view
            if (!item) {
                c->Brush()->SetColor(FGroupRowParams.FColor);
                c->FillRect(r);
                continue;
            }
            const Variant value = item->AggrValue(footerNode);
            String ftext = item->ConvertToDisplayText(value);
            c->Font()->Assign(item->Font());
            c->Font()->SetColor(GroupStyledFontColor(c->Font()->Color()));
            TColor fc = GroupStyledColor(item->Color());
            HighlightGroupDataCellColor(DataCol, DataRow, ftext, AState, fc, c->Font());
            FGroupFooterParams.FColor = fc;
            FGroupFooterParams.FText = ftext;
            FGroupFooterParams.FFont = c->Font();
            FGroupFooterParams.FState = AState;
            FGroupFooterParams.FValue = value;
            if (OnDataGroupGetFooterParams)
                OnDataGroupGetFooterParams(this, footerNode, item, &FGroupFooterParams);
            c->Brush()->SetColor(FGroupFooterParams.FColor);
            // The handler may replace the text as well as the colours.
            WriteCellText(col, c, col->EndEllipsis(), false, layout, item->Alignment(),
                          FGroupFooterParams.FText, vMargin, hMargin, true, r);
        }
        c->Font()->Assign(&saved);
        c->Brush()->SetColor(FGroupRowParams.FColor);
    }

    if (hasImage) {
        TCustomImageList* images = FGroupRowParams.FImageList;
        const TRect imgBox{textRect.Left, top, textRect.Left + images->Width() + 4, bottom};
        c->FillRect(imgBox);
        PaintImageInRect(images, nullptr, c, imgBox, FGroupRowParams.FImageIndex, 0, taCenter, imgBox);
        textRect.Left = imgBox.Right;
    }
    if (frozen) {
        // The frozen part shows the text's start; the scrolling part goes on with it as if it ran
        // on under the frozen columns, and moves with the scrolled columns.
        const int lw = FOptions.Contains(dgColLines) ? GridLineWidth() : 0;
        const TRect frozenText{textRect.Left, top, std::min(textRect.Right, di.Horz.FixedBoundary - lw),
                               bottom};
        if (frozenText.Right > frozenText.Left) {
            WriteCellText(nullptr, c, false, false, layout, taLeftJustify, text, vMargin, hMargin, true,
                          frozenText);
            if (FOptions.Contains(dgRowLines)) {
                c->Brush()->SetColor(GridLineParams()->GetBrightColor());
                c->FillRect(TRect{frozenText.Left, bottom, frozenText.Right, bottom + 1});
                c->Brush()->SetColor(FGroupRowParams.FColor);
            }
        }
        int leftColOffset = di.Horz.DataOffset;
        for (int col = FixedCols(); col < LeftCol(); ++col)
            leftColOffset += ColWidths(col) + di.Horz.EffectiveLineWidth;
        const TRect scrollText{textRect.Left - leftColOffset, top, textRect.Right, bottom};
        if (scrollText.Right > di.Horz.FixedBoundary) {
            const int saved = SaveDC(c->Handle());
            IntersectClipRect(c->Handle(), di.Horz.FixedBoundary, top, scrollText.Right, bottom);
            c->FillRect(TRect{di.Horz.FixedBoundary, top, scrollText.Right, bottom});
            WriteCellText(nullptr, c, false, false, layout, taLeftJustify, text, vMargin, hMargin, true,
                          scrollText);
            RestoreDC(c->Handle(), saved);
        }
    } else if (textRect.Right > textRect.Left) {
        // Text scrolled in under the fixed columns keeps its place in the band, margin included,
        // so that it moves smoothly with the columns; the clip cuts it at the boundary.
        WriteCellText(nullptr, c, false, false, layout, taLeftJustify, text, vMargin, hMargin, true,
                      textRect);
    }
    if (lineInForce) {
        c->Brush()->SetColor(lineColor);
        // Over frozen columns the frozen part has its own line under the text.
        const int from = frozen && FOptions.Contains(dgRowLines)
                             ? std::max(signBox.Right - 1, di.Horz.FixedBoundary)
                             : signBox.Right - 1;
        c->FillRect(TRect{from, bottom, R, bottom + lineWidth});
    }
    TCustomForm* form = GetParentForm(this);
    if (AState.Contains(gdFocused) && IsActiveControl() && !ComponentState().Contains(csDesigning) &&
        UpdateLock() == 0 && form && form->ActiveControl() == this && PaintStyle().IsDrawFocusRect())
        DrawCellFocusRect(c, TRect{signBox.Left, top, R, bottom});
}

void TCustomDBGridEh::DrawGroupLevelsIndent(int ACol, int ARow, bool LineBelow, TPoint, TRect& ARect,
                                            TGridDrawState, int Level, int, int DataRow) {
    TCanvas* c = Canvas();
    const TRect strip{ARect.Left, ARect.Top, ARect.Left + FExtraFirstColumnWidth, ARect.Bottom};
    c->Brush()->SetColor(GroupStyledColor(Color()));
    c->FillRect(strip);
    TGridGroupDataTreeEh* tree = FDataGrouping->GroupDataTree();
    TGroupDataTreeNodeEh* nextNode = nullptr;
    const int nextLevel = NextRowLevel(tree, DataRow, &nextNode);
    TDBGridLineParamsEh* lines = GridLineParams();

    // The bottom line under the indent.
    bool drawLine = false;
    TColor lineColor = clNone;
    const TColor horz = lines->GetDataHorzColor();
    const TColor vert = lines->GetDataVertColor();
    auto borderColor = [&] {
        bool cover = true, drawn = true;
        TColor color = clNone;
        GetCellBorderParams(ACol, ARow, cbtBottomEh, cover, color, drawn);
        return color;
    };
    if (lines->DataHorzLines()) {
        drawLine = LineBelow;
        lineColor = borderColor();
    } else if (nextNode && nextNode->NodeType() == dntDataGroupEh) {
        drawLine = true;
        lineColor = horz;
    } else if (nextNode && nextNode->NodeType() == dntDataGroupFooterEh) {
        drawLine = FFooterParams->HorzLines() && FFooterParams->GetHorzLineColor() != clNone;
        lineColor = ARow + 1 == RowCount() - 1
                        ? DarkerColor(FFooterParams->GetHorzLineColor(), FFooterParams->GetVertLineColor())
                        : FFooterParams->GetHorzLineColor();
    } else if (!nextNode) {
        // Under the last data row the line closes the data area.
        drawLine = true;
        if (!lines->GridBoundaries())
            lineColor = DarkerColor(vert, horz);
        else if (lines->DataBoundaryColor() != clDefault && lines->DataBoundaryColor() != clNone)
            lineColor = lines->DataBoundaryColor();
        else if (vert == horz && vert != clNone)
            lineColor = lines->GetDarkColor();
        else
            lineColor = borderColor();
    }
    if (lineColor == clNone) lineColor = lines->GetBrightColor();
    if (drawLine) {
        const bool horzDarker = horz != clNone && ColorLuminance(horz) < ColorLuminance(vert);
        c->Pen()->SetColor(lineColor);
        c->MoveTo(strip.Right, ARect.Bottom - 1);
        c->LineTo(ARect.Right + (lines->DataVertLines() && horzDarker ? 1 : 0), ARect.Bottom - 1);
    }

    // One box per group level above the record.
    const bool shift = FDataGrouping->ShiftFolldataGroupRow();
    const int W = FExtraFirstColumnWidth + (shift ? 0 : LevelIndent);
    TGridDataGroupRowDefValuesEh* defs = FDataGrouping->GroupRowDefValues();
    const bool groupLineInForce = FOptions.Contains(dgRowLines) || defs->BottomLine()->Color() != clDefault;
    for (int g = shift ? 0 : 1; g <= Level - 2; ++g) {
        const TRect box{ARect.Left + W - LevelIndent * g - LevelIndent, ARect.Top,
                        ARect.Left + W - LevelIndent * g - 1, ARect.Bottom};
        c->Brush()->SetColor(GroupStyledColor(LevelColor(FDataGrouping.get(), Level - g - 2)));
        c->FillRect(box);
        if (groupLineInForce) {
            c->Pen()->SetColor(lines->GetDataVertColor());
            c->MoveTo(box.Right, box.Top);
            c->LineTo(box.Right, box.Bottom);
            if (FOptions.Contains(dgRowLines) && g + nextLevel < Level && drawLine) {
                c->Pen()->SetColor(lines->GetDataHorzColor());
                c->MoveTo(box.Left, box.Bottom - 1);
                c->LineTo(box.Right + 1, box.Bottom - 1);
            }
        }
    }
    if (drawLine) ARect.Bottom -= 1;
}

void TCustomDBGridEh::DrawGroupFooterIndent(int, int DataRow, bool, const TRect& ARect, TGridDrawState,
                                            int Level) {
    TCanvas* c = Canvas();
    const bool shift = FDataGrouping->ShiftFolldataGroupRow();
    const int K = shift ? Level : Level - 1;
    const int W = std::max(0, shift ? LevelIndent * Level - LevelIndent : LevelIndent * Level - 2 * LevelIndent);
    c->Brush()->SetColor(GroupStyledColor(Color()));
    if (W > 0) c->FillRect(TRect{ARect.Left, ARect.Top, ARect.Left + W, ARect.Bottom});
    const TColor lc = FFooterParams->GetHorzLineColor();
    const bool rowLines = FOptions.Contains(dgRowLines);
    // The cell gives up its last pixel row to this line (also without an indent): it is drawn
    // here or not at all.
    if (rowLines) {
        c->Pen()->SetColor(lc);
        c->MoveTo(std::max(ARect.Left, ARect.Left + W - 1), ARect.Bottom - 1);
        c->LineTo(ARect.Right, ARect.Bottom - 1);
    }
    TGroupDataTreeNodeEh* nextNode = nullptr;
    const int N = NextRowLevel(FDataGrouping->GroupDataTree(), DataRow, &nextNode);
    const bool nextIsFooter = nextNode && nextNode->NodeType() == dntDataGroupFooterEh;
    const int S = !nextIsFooter && !shift ? 1 : 0;
    for (int e = 0; e <= K - 2; ++e) {
        const TRect box{ARect.Left + W - LevelIndent * e - LevelIndent, ARect.Top,
                        ARect.Left + W - LevelIndent * e - 1, ARect.Bottom};
        c->Brush()->SetColor(GroupStyledColor(LevelColor(FDataGrouping.get(), Level - e - 2)));
        c->FillRect(box);
        if (rowLines) {
            c->Pen()->SetColor(lc);
            const int b = e > 0 && nextIsFooter ? box.Bottom - GridLineWidth() : box.Bottom;
            c->MoveTo(box.Right, box.Top);
            c->LineTo(box.Right, b);
            if (e + N + S < Level) {
                c->MoveTo(box.Left, box.Bottom - 1);
                c->LineTo(box.Right + 1, box.Bottom - 1);
            }
        }
    }
}

void TCustomDBGridEh::DrawGroupFooterCell(int ACol, int ARow, TPoint, TGridDrawState AState,
                                          const TRect& ARect, int DataCol, int DataRow) {
    TCanvas* c = Canvas();
    TGroupDataTreeNodeEh* node = FInstantReadNode;
    if (!node) return;
    // In a row panel the current cell is the panel's selected column.
    const bool currentCell = RowPanelMode() ? DataCol == FInRowPanelCol : ACol == Col();
    if (IsActiveControl() && ARow == Row() && currentCell) AState.Include(gdFocused);
    TRect r = ARect;
    TAxisColCellParamsEh* params = GetCellParamsRecord();
    if (!RowPanelMode() && DataColumn(DataCol) == VisibleColumn(0)) {
        DrawGroupFooterIndent(DataCol, DataRow, params->FThe3DRect, ARect, AState, node->Level());
        r.Left += FDataGrouping->ShiftFolldataGroupRow() ? LevelIndent * node->Level() - LevelIndent
                                                         : LevelIndent * node->Level() - 2 * LevelIndent;
        r.Left = std::min(std::max(r.Left, ARect.Left), ARect.Right);
        if (FOptions.Contains(dgRowLines)) r.Bottom -= 1;
    }
    TColumnEh* column = DataColumn(DataCol);
    TGridDataGroupFooterEh* footer = node->DataGroupFooter();
    const int itemIdx = footer && column ? footer->ColumnItems()->ItemIndexByColumn(column) : -1;
    TGridDataGroupFooterColumnItemEh* item = itemIdx >= 0 ? footer->ColumnItems()->Item(itemIdx) : nullptr;
    Variant value;
    String text;
    if (item) {
        value = item->AggrValue(node);
        text = item->ConvertToDisplayText(value);
        c->Font()->Assign(item->Font());
        c->Font()->SetColor(GroupStyledFontColor(c->Font()->Color()));
        c->Brush()->SetColor(GroupStyledColor(item->Color()));
    } else {
        c->Font()->Assign(footer ? footer->Font() : FooterFont());
        c->Brush()->SetColor(footer ? footer->Color() : FooterColor());
    }
    TColor color = c->Brush()->Color();
    HighlightDataCellColor(DataCol, DataRow, c->Font(), color, AState, text);
    FGroupFooterParams.FColor = color;
    FGroupFooterParams.FText = text;
    FGroupFooterParams.FFont = c->Font();
    FGroupFooterParams.FState = AState;
    FGroupFooterParams.FValue = value;
    if (item && OnDataGroupGetFooterParams) OnDataGroupGetFooterParams(this, node, item, &FGroupFooterParams);
    c->Brush()->SetColor(FGroupFooterParams.FColor);
    const int margin = Flat() ? 1 : 2;
    // The handler's text is written (its changes would otherwise be lost).
    WriteCellText(column, c, column && column->EndEllipsis(), false, column ? column->Layout() : tlCenter,
                  item ? item->Alignment() : taRightJustify, FGroupFooterParams.FText, margin, 2, true, r);
}

bool TCustomDBGridEh::DrawGroupGrandTotalCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect,
                                              int DataCol, int FooterRow) {
    if (!FDataGrouping) return false;
    TGridDataGroupFootersEh* footers = FDataGrouping->Footers();
    if (FooterRow >= footers->VisibleItemsCount()) return false;
    TCanvas* c = Canvas();
    TGridDataGroupFooterEh* footer = footers->GetVisibleFooter(FooterRow);
    TColumnEh* column = DataColumn(DataCol);
    const int itemIdx = column ? footer->ColumnItems()->ItemIndexByColumn(column) : -1;
    TGridDataGroupFooterColumnItemEh* item = itemIdx >= 0 ? footer->ColumnItems()->Item(itemIdx) : nullptr;
    // The grand totals live in the root's footer node of this footer.
    TGroupDataTreeNodeEh* root = FDataGrouping->GroupDataTree()->Root();
    TGroupDataTreeNodeEh* footerNode = nullptr;
    for (int i = 0; root && i < root->FooterItemCount(); ++i)
        if (root->GetFooterItem(i)->DataGroupFooter() == footer) footerNode = root->GetFooterItem(i);
    Variant value;
    String text;
    if (item && footerNode && FDataGrouping->IsGroupingWorks()) {
        value = item->AggrValue(footerNode);
        text = item->ConvertToDisplayText(value);
    }
    c->Font()->Assign(item ? item->Font() : footer->Font());
    TColor color = item ? item->Color() : footer->Color();
    FGroupFooterParams.FColor = color;
    FGroupFooterParams.FText = text;
    FGroupFooterParams.FFont = c->Font();
    FGroupFooterParams.FState = AState;
    FGroupFooterParams.FValue = value;
    if (item && footerNode && OnDataGroupGetFooterParams)
        OnDataGroupGetFooterParams(this, footerNode, item, &FGroupFooterParams);
    c->Brush()->SetColor(FGroupFooterParams.FColor);
    const bool the3D = IsFixedStyleCell(TGridCoord{ACol, ARow}, AState);
    TRect r = ARect;
    if (the3D) r.Inflate(-1, -1);
    const int margin = Flat() ? 1 : 2;
    WriteCellText(column, c, true, false, column ? column->Layout() : tlCenter,
                  item ? item->Alignment() : taRightJustify, FGroupFooterParams.FText, margin, 2, true, r);
    if (the3D) DrawButtonEdges(c, ARect, Flat(), true, true, false, Flat() && ThemesInUse());
    return true;
}

bool TCustomDBGridEh::HighlightGroupDataCellColor(int, int DataRow, const String&, TGridDrawState AState,
                                                  TColor& AColor, TFont* AFont) {
    bool focusHighlight = Focused() && FOptionsEh.Contains(dghHighlightFocus);
    const bool current = DataRow + TopDataOffset() == Row();
    if (current) {
        focusHighlight = true;
        AState.Include(gdSelected);
    }
    const bool result = (AState.Contains(gdSelected) || current) &&
                        (FOptions.Contains(dgAlwaysShowSelection) || focusHighlight) && UpdateLock() == 0;
    if (!result) return false;
    TDBGridEhStyle& style = PaintStyle();
    if (IsFocusInside()) {
        AColor = style.GetSelectionColor();
        if (AFont) AFont->SetColor(style.GetSelectionFontColor());
        if (style.IsCustomStyleActive()) {
            // A custom visual style paints a selected group row as it paints a selected cell.
            const TThemedElementDetails details = TCustomStyleServices::GetElementDetails(tgCellSelected);
            TColor fill = clNone;
            TColor text = clNone;
            if (StyleServices()->GetElementColor(details, ecFillColor, fill) && fill != clNone) AColor = fill;
            if (StyleServices()->GetElementColor(details, ecTextColor, text) && text != clNone && AFont)
                AFont->SetColor(text);
        }
    } else if (current) {
        AColor = style.GetSelectionInactiveColor();
        if (AFont) AFont->SetColor(style.GetSelectionFontColor());
    } else {
        AColor = clBtnFace;
    }
    return true;
}

int TCustomDBGridEh::CalcGroupRowHeight(TGroupDataTreeNodeEh* Node) {
    if (!HandleAllocated() || !Node) return 0;
    const int lineExtra = FOptions.Contains(dgRowLines) ? GridLineWidth() : 0;
    if (Node->NodeType() == dntDataGroupEh) {
        TGridDataGroupLevelEh* level = Node->DataGroupLevel();
        if (!level) return DefaultRowHeight();
        const int th = TextHeightWg(level->Font());
        int h;
        if (level->RowHeight() == 0 && level->RowLines() == 0)
            h = th + (Flat() ? 1 : 3) + lineExtra;
        else
            h = (level->RowLines() > 0 ? level->RowLines() * th : 0) + level->RowHeight();
        if (OnDataGroupGetRowParams && FIntMemTable) {
            FIntMemTable->InstantReadEnter(std::max(0, Node->DataSetRecordViewNo()));
            struct Leave {
                IMemTableEh* t;
                ~Leave() { t->InstantReadLeave(); }
            } leave{FIntMemTable};
            FGroupRowParams.FColor = 0;
            FGroupRowParams.FImageList = nullptr;
            FGroupRowParams.FImageIndex = 0;
            FGroupRowParams.FGroupRowText = level->GetGroupRowText(Node);
            FGroupRowParams.FFont = Canvas()->Font();
            FGroupRowParams.FState = TGridDrawState();
            OnDataGroupGetRowParams(this, Node, &FGroupRowParams);
            if (FGroupRowParams.FImageList) h = std::max(h, FGroupRowParams.FImageList->Height() + 2);
        }
        return h;
    }
    if (Node->NodeType() == dntDataGroupFooterEh) {
        // The tallest font among the footer's items decides, so that no value is clipped.
        TGridDataGroupFooterEh* footer = Node->DataGroupFooter();
        int th = TextHeightWg(FooterFont());
        if (footer)
            for (int i = 0; i < footer->ColumnItems()->Count(); ++i)
                th = std::max(th, TextHeightWg(footer->ColumnItems()->Item(i)->Font()));
        if (FFooterParams->RowLines() > 0 || FFooterParams->RowHeight() > 0)
            return FFooterParams->RowLines() * th + FFooterParams->RowHeight();
        return th + (Flat() ? 1 : 3) + lineExtra;
    }
    return DefaultRowHeight();
}

void TCustomDBGridEh::GroupingCellBorder(int ACol, int DataRow, TGridCellBorderTypeEh Border, TColor& Color,
                                         bool& Drawn) {
    if (!GroupingShowsRows()) return;
    TGroupDataTreeNodeEh* node = FlatNode(DataRow);
    if (!node) return;
    const bool vertical = Border == cbtLeftEh || Border == cbtRightEh;
    if (node->NodeType() == dntDataGroupEh) {
        // A group row is one band: no column lines inside it, its own line below.
        if (vertical && !(Border == cbtRightEh && ACol == ColCount() - 1)) Drawn = false;
        if (Border == cbtBottomEh) Drawn = false;
    } else if (node->NodeType() == dntDataGroupFooterEh) {
        const TColor c = vertical ? FFooterParams->GetVertLineColor() : FFooterParams->GetHorzLineColor();
        if (c != clNone) Color = c;
    }
}
