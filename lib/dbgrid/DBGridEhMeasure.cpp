// Measuring the data grid's content: column widths fitted to titles and data, the auto-fit
// switches, data row heights from wrapped texts and footer row heights from their fonts.
//
// The content walk goes over the data set's records (not only the rows the grid holds), so it
// disables the data set's controls and puts the cursor back afterwards, also on failure.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhFooters.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhParams.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"
#include "lib/dbgrid/DBGridEhSelection.h"

#include "platform/ui/WinApi.h"

#include <QFontMetrics>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>
#include <memory>
#include <typeinfo>

namespace {

// A text's extent on one line, or wrapped into Width.
int TextExtent(TCanvas* Canvas, const String& Text, bool WordWrap, int Width, int Interlinear, bool Height) {
    if (Text.isEmpty()) return 0;
    int h = 0, w = 0;
    const int avail = WordWrap ? Width : 1 << 20;
    MeasureCellText(0, Canvas, WordWrap ? 2 : 0, h, w, WordWrap, TRect(0, 0, avail, 1 << 20), Text,
                    Interlinear);
    return Height ? h : w;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Auto-fit switches and tree area

int TCustomDBGridEh::GetCellTreeElmentsAreaWidth() {
    if (!FIntMemTable || !FIntMemTable->GetViewAsTreeList()) return 0;
    return std::max(0, 18 * FIntMemTable->GetTreeNodeLevel());
}

bool TCustomDBGridEh::IsFindDialogShowAsModal() {
    return true;
}

// ---------------------------------------------------------------------------------------------
// Column widths from the content

int TCustomDBGridEh::MeasureTitleWidth(TColumnEh* Column) {
    int m = 5;
    const int sortWidth = Column->GetSortMarkingWidth();
    if (sortWidth >= 3) m = sortWidth + 3;
    m += Column->GetFilterButtonAreaWidth();
    TCanvas* c = Canvas();
    TFont saved;
    saved.Assign(c->Font());
    const auto restore = qScopeGuard([&] { c->Font()->Assign(&saved); });
    // A title that shows an image instead of its caption is as wide as the image.
    if (TCustomImageList* images = FTitleParams->Images(); images && Column->Title()->ImageIndex() != -1)
        return m + images->Width();
    c->Font()->Assign(Column->Title()->Font());
    String text = Column->Title()->Caption();
    const bool multi = IsUseMultiTitle();
    if (multi)
        if (THeadTreeNode* leaf = LeafOf(Column)) text = leaf->Text;
    const bool wrap = multi || TitleHeight() != 0 || TitleLines() != 0;
    if (Column->Title()->Orientation() == tohVertical) return m + TextExtent(c, text, false, 0, 0, true);
    const int room = std::max(1, Column->Width() - m);
    return TextExtent(c, text, wrap, room, FInterlinear, false) + m;
}

int TCustomDBGridEh::MeasureDataWidth(TColumnEh* Column) {
    int e = Column->AlwaysShowEditButton() ? Column->EditButtonsWidth() + 5 : 5;
    if (VisibleColumnCount() > 0 && VisibleColumn(0) == Column) e += GetCellTreeElmentsAreaWidth();
    if (Column->ShowImageAndText() && Column->ImageList()) e += Column->ImageList()->Width() + 4;
    switch (Column->GetColumnType()) {
    case ctKeyImageList:
        return e + (Column->ImageList() ? Column->ImageList()->Width() : 0);
    case ctCheckboxes:
        return e + ClassicCheckBoxSize;
    default:
        break;
    }
    TCanvas* c = Canvas();
    TFont saved;
    saved.Assign(c->Font());
    const auto restore = qScopeGuard([&] { c->Font()->Assign(&saved); });
    c->Font()->Assign(Column->Font());
    TAxisColCellParamsEh* params = GetCellParamsRecord();
    params->FText = Column->DisplayText();
    params->FFont = c->Font();
    params->FBackground = c->Brush()->Color();
    params->FBlankCell = false;
    params->FAlignment = Column->Alignment();
    params->FCol = Column->Index() + FIndicatorOffset;
    params->FRow = 0;
    params->FState = TGridDrawState();
    GetCellParams(Column, c->Font(), params->FBackground, params->FState);
    Column->GetColCellParams(false, params);
    return TextExtent(c, params->FText, false, 0, 0, false) + e;
}

int TCustomDBGridEh::MeasureFooterWidth(TColumnEh* Column) {
    int result = 0;
    TCanvas* c = Canvas();
    TFont saved;
    saved.Assign(c->Font());
    const TColor savedBrush = c->Brush()->Color();
    const auto restore = qScopeGuard([&] {
        c->Font()->Assign(&saved);
        c->Brush()->SetColor(savedBrush);
    });
    for (int r = 0; r < FooterRowCount(); ++r) {
        TColumnFooterEh* f = Column->UsedFooter(r);
        c->Font()->Assign(f->Font());
        c->Brush()->SetColor(f->Color());
        String text = GetFooterValue(r, Column);
        TColor color = f->Color();
        TAlignment alignment = f->Alignment();
        GetFooterParams(Column->Index(), r, Column, c->Font(), color, alignment, TGridDrawState(), text);
        const bool wrap = f->WordWrap() && FAllowWordWrap;
        result = std::max(result,
                          TextExtent(c, text, wrap, std::max(1, Column->Width()), FInterlinear, false) + 5);
    }
    return result;
}

void TCustomDBGridEh::OptimizeColsWidth(TColumnsEhList* ColumnsList, int CheckRowCount) {
    const int n = ColumnsList ? ColumnsList->Count() : 0;
    if (n == 0 || !DataLink()->Active()) return;
    std::vector<int> widths(size_t(n), 0);
    auto atMax = [&](int i) {
        const int mx = ColumnsList->Columns(i)->MaxWidth();
        return mx != 0 && widths[size_t(i)] >= mx;
    };
    auto cut = [&](int i) {
        const int mx = ColumnsList->Columns(i)->MaxWidth();
        if (mx != 0) widths[size_t(i)] = std::min(widths[size_t(i)], mx);
    };
    for (int i = 0; i < n; ++i) {
        widths[size_t(i)] = MeasureTitleWidth(ColumnsList->Columns(i));
        cut(i);
    }
    TDataSet* ds = DataLink()->DataSet();
    ds->DisableControls();
    bool layoutEntered = false;
    const auto enable = qScopeGuard([&] {
        if (layoutEntered) EndLayout();
        ds->EnableControls();
    });
    {
        TBookmark saved = ds->GetBookmark();
        const auto back = qScopeGuard([&] {
            if (ds->BookmarkValid(saved)) ds->GotoBookmark(saved);
            ds->FreeBookmark(saved);
        });
        ds->First();
        const int count = ds->RecordCount();
        int recNo = 0;
        while (!ds->Eof()) {
            bool allAtMax = true;
            for (int i = 0; i < n; ++i) {
                if (atMax(i)) continue;
                widths[size_t(i)] = std::max(widths[size_t(i)], MeasureDataWidth(ColumnsList->Columns(i)));
                cut(i);
                if (!atMax(i)) allAtMax = false;
            }
            ++recNo;
            if (allAtMax || (CheckRowCount >= 0 && recNo >= CheckRowCount) ||
                (ds->IsSequenced() && recNo >= count))
                break;
            ds->Next();
        }
    }
    if (!FAutoFitColWidths) {
        BeginLayout();
        layoutEntered = true;
    }
    for (int i = 0; i < n; ++i) {
        TColumnEh* col = ColumnsList->Columns(i);
        // The width setter applies the column's limits; footers are not cut before it.
        col->SetWidth(std::max(widths[size_t(i)], MeasureFooterWidth(col)));
    }
}

void TCustomDBGridEh::OptimizeAllColsWidth(int CheckRowCount) {
    TColumnsEhList list;
    for (int i = 0; i < Columns()->Count(); ++i)
        list.Add(Columns()->Columns(i));
    OptimizeColsWidth(&list, CheckRowCount);
}

void TCustomDBGridEh::OptimizeColumnWidthsForClick(TColumnEh* Column) {
    // A divider double-clicked inside a selection fits every selected column with it.
    TColumnsEhList list;
    TDBGridEhSelection* sel = Selection();
    if (sel->SelectionType() == gstColumns) {
        for (int i = 0; i < sel->Columns()->Count(); ++i)
            list.Add(sel->Columns()->Columns(i));
    } else if (sel->SelectionType() == gstAll) {
        for (int i = 0; i < Columns()->Count(); ++i)
            list.Add(Columns()->Columns(i));
    }
    if (Column && list.IndexOf(Column) < 0) list.Add(Column);
    OptimizeColsWidth(&list, -1);
}

// ---------------------------------------------------------------------------------------------
// Row heights

// The height a picture cell needs: the picture's own height, shrunk in proportion when the
// picture is wider than the column (it is drawn scaled down to the column's width).
int TCustomDBGridEh::GraphicRowHeight(TColumnEh* Column) {
    try {
        std::unique_ptr<TPicture> pic(GetPictureFromBlobField(Column));
        if (!pic || pic->Empty() || pic->Width() <= 0) return FStdDefaultRowHeight;
        if (pic->Width() <= Column->Width()) return pic->Height();
        return int(std::lround(double(pic->Height()) * Column->Width() / pic->Width()));
    } catch (const Exception&) {
        // A blob that is no readable picture is shown as a message on one line.
        return FStdDefaultRowHeight;
    }
}

int TCustomDBGridEh::CalcColumnRowHeight(TColumnEh* Column) {
    if (!FOptionsEh.Contains(dghAutoFitRowHeight) || (FIntMemTable && FIntMemTable->GetViewAsTreeList()))
        return FStdDefaultRowHeight;
    if (Column->GetColumnType() == ctGraphicData && DrawGraphicData()) return GraphicRowHeight(Column);
    TCanvas* c = Canvas();
    TFont saved;
    saved.Assign(c->Font());
    const auto restore = qScopeGuard([&] { c->Font()->Assign(&saved); });
    c->Font()->Assign(Column->Font());
    String text = Column->DisplayText();
    if (OnGetCellParams || Column->OnGetCellParams()) {
        TAxisColCellParamsEh* params = GetCellParamsRecord();
        params->FText = text;
        params->FFont = c->Font();
        params->FBackground = Column->Color();
        params->FState = TGridDrawState();
        GetCellParams(Column, c->Font(), params->FBackground, params->FState);
        Column->GetColCellParams(false, params);
        text = params->FText;
    }
    int margin = Column->AlwaysShowEditButton() ? Column->EditButtonsWidth() + 4 : 4;
    if (VisibleColumnCount() > 0 && VisibleColumn(0) == Column) margin += GetCellTreeElmentsAreaWidth();
    if (Column->ShowImageAndText() && Column->ImageList()) margin += Column->ImageList()->Width() + 4;
    const int room = std::max(1, Column->Width() - margin);
    const int h = TextExtent(c, text, Column->WordWrap(), room, FInterlinear, true);
    if (h <= FStdDefaultRowHeight) return FStdDefaultRowHeight;
    return h + 1 + (Flat() ? 0 : 2) + (FOptions.Contains(dgRowLines) ? GridLineWidth() : 0);
}

int TCustomDBGridEh::CalcDataRowHeight() {
    int h = FStdDefaultRowHeight;
    if (FOptionsEh.Contains(dghAutoFitRowHeight))
        for (int i = 0; i < VisibleColumnCount(); ++i)
            h = std::max(h, CalcColumnRowHeight(VisibleColumn(i)));
    if (OnGetRowHeight) OnGetRowHeight(this, h);
    return h;
}

int TCustomDBGridEh::GetDataRowHeight(int DataRow) {
    if (RowPanelMode() && FGridMasterCellHeight > 0) return FGridMasterCellHeight;
    if (!DataLink()->Active()) return FStdDefaultRowHeight;
    const bool grouping = FDataGrouping && FDataGrouping->IsGroupingWorks();
    if (!grouping && !FOptionsEh.Contains(dghAutoFitRowHeight)) return FStdDefaultRowHeight;
    if (DataRow < 0 || DataRow >= FullDataRowCount()) return FStdDefaultRowHeight;
    // A group tree keeps each row's height in its node (recomputed when the node changes).
    if (grouping && GroupingShowsRows())
        if (TGroupDataTreeNodeEh* node = FlatNode(DataRow)) return node->RowHeight();
    InstantReadRowEnter(DataRow);
    const auto leave = qScopeGuard([&] { InstantReadRowLeave(); });
    return CalcDataRowHeight();
}

bool TCustomDBGridEh::UniformDataRowHeight(int& Height) {
    // A descendant may give each row its own height.
    const std::type_info& self = typeid(*this);
    if (self != typeid(TDBGridEh) && self != typeid(TCustomDBGridEh)) return false;
    if (RowPanelMode() && FGridMasterCellHeight > 0) {
        Height = FGridMasterCellHeight;
        return true;
    }
    const bool grouping = FDataGrouping && FDataGrouping->IsGroupingWorks();
    if (DataLink()->Active() && (grouping || FOptionsEh.Contains(dghAutoFitRowHeight))) return false;
    Height = FStdDefaultRowHeight;
    return true;
}

int TCustomDBGridEh::NextRowHeightOtherThan(int From, int To, int Height) const {
    // Asked of the height store, which keeps only the rows of another height than its fill.
    const int stored = FRowHeights.Count();
    const int inStore = std::clamp(stored, From, std::max(From, To));
    const int r = FRowHeights.NextOtherThan(From, inStore, Height);
    if (r < inStore) return r;
    return inStore < To && DefaultRowHeight() != Height ? inStore : std::max(From, To);
}

void TCustomDBGridEh::UpdateAllGridDataRowHeights() {
    const int top = TopDataOffset();
    if (DataLink()->Active() && FIntMemTable && !FIntMemTable->GetViewAsTreeList()) {
        LockPaint();
        const auto unlock = qScopeGuard([&] { UnlockPaint(); });
        const int end = top + std::max(0, std::min(FullDataRowCount(), RowCount() - top));
        int h = 0;
        if (UniformDataRowHeight(h)) {
            // Over many records only the rows that differ are touched.
            for (int r = NextRowHeightOtherThan(top, end, h); r < end; r = NextRowHeightOtherThan(r + 1, end, h))
                SetRowHeights(r, h);
        } else {
            for (int r = top; r < end; ++r) {
                const int dh = GetDataRowHeight(r - top);
                if (RowHeights(r) != dh) SetRowHeights(r, dh);
            }
        }
    } else if (top < RowCount()) {
        SetRowHeights(top, FStdDefaultRowHeight);
    }
    // The current row keeps the room of an open detail panel.
    if (FRowDetailPanel && FRowDetailPanel->Visible() && Row() >= top) UpdateDataRowHeight(Row() - top);
}

void TCustomDBGridEh::FollowViewEventRowHeights(int RowNum, TMTViewEventTypeEh Event) {
    // Without fitting every row has the standard height, which the default row height gives.
    if (!FOptionsEh.Contains(dghAutoFitRowHeight) || !FIntMemTable || FIntMemTable->GetViewAsTreeList())
        return;
    if (Event == mtRowChangedEh) {
        if (RowNum >= 0 && RowNum < FullDataRowCount()) UpdateDataRowHeight(RowNum);
        return;
    }
    // Rows came, went or moved: the rows below take other records' heights.
    UpdateAllDataRowHeights();
}

void TCustomDBGridEh::UpdateAllDataRowHeights() {
    if (ComponentState().Contains(csLoading) || !HandleAllocated()) return;
    if (FDataGrouping && FDataGrouping->IsGroupingWorks())
        FDataGrouping->GroupDataTree()->UpdateAllDataRowHeights();
    UpdateAllGridDataRowHeights();
    UpdateGroupFooterRowHeights();
    UpdateFooterRowHeights();
}

void TCustomDBGridEh::UpdateFooterRowHeights() {
    std::vector<int>& heights = FFooterParams->CalculatedRowHeights();
    const int n = FooterRowCount();
    heights.assign(size_t(n), FStdDefaultRowHeight);
    TFont* ff = FooterFont();
    const QFontMetrics fm(ff->ToQFont());
    for (int i = 0; i < n; ++i) {
        if (FFooterParams->RowLines() != 0 || FFooterParams->RowHeight() != 0)
            heights[size_t(i)] =
                FFooterParams->RowHeight() + FFooterParams->RowLines() * (fm.height() + fm.leading());
        else if (ff->Size() == Font()->Size())
            heights[size_t(i)] = FStdDefaultRowHeight;
        else
            heights[size_t(i)] = fm.height() + FInterlinear;
    }
    ApplyFooterRowHeights();
}

void TCustomDBGridEh::UpdateGroupFooterRowHeights() {
    if (!FDataGrouping) return;
    TGridDataGroupFootersEh* footers = FDataGrouping->Footers();
    const bool params = FFooterParams->RowLines() != 0 || FFooterParams->RowHeight() != 0;
    const int lineExtra = FOptions.Contains(dgRowLines) ? GridLineWidth() : 0;
    // With column footer rows too, every visible grand-total footer still gets its own height:
    // the group footers take the first footer rows and the column footers follow them.
    for (int k = 0; k < footers->VisibleItemsCount(); ++k) {
        TGridDataGroupFooterEh* footer = footers->GetVisibleFooter(k);
        int h = 1;
        for (int i = 0; i < footer->ColumnItems()->Count(); ++i) {
            const int th = QFontMetrics(footer->ColumnItems()->Item(i)->Font()->ToQFont()).height();
            const int ih = params ? th * FFooterParams->RowLines() + FFooterParams->RowHeight()
                                  : th + 1 + (Flat() ? 0 : 2);
            h = std::max(h, ih + lineExtra);
        }
        footer->SetAutoCalcHeight(h);
    }
}

void TCustomDBGridEh::ApplyFooterRowHeights() {
    if (!HandleAllocated()) return;
    const int groupFooters = FDataGrouping ? FDataGrouping->Footers()->VisibleItemsCount() : 0;
    const std::vector<int>& heights = FFooterParams->CalculatedRowHeights();
    const int full = GetFullRowCount();
    auto put = [&](int FooterRow, int H) {
        const int row = RowCount() + FooterRow;
        if (row < full && H > 0 && RowHeights(row) != H) SetRowHeights(row, H);
    };
    for (int k = 0; k < groupFooters; ++k)
        put(k, FDataGrouping->Footers()->GetVisibleFooter(k)->AutoCalcHeight());
    for (int i = 0; i < FooterRowCount(); ++i)
        put(groupFooters + i, size_t(i) < heights.size() ? heights[size_t(i)] : FStdDefaultRowHeight);
}

// ---------------------------------------------------------------------------------------------
// Row-panel widths

void TDBGridColumnsEh::ScaleWidths(int M, int D) {
    // A panel without width has nothing to scale from.
    if (M <= 0 || Count() == 0) return;
    const int w = FDBGrid ? FDBGrid->GridLineWidth() : 1;
    BeginUpdate();
    const auto end = qScopeGuard([&] { EndUpdate(); });
    for (int i = 0; i < Count(); ++i) {
        TColumnEh* c = Columns(i);
        const int left = c->RowPlacement().Left;
        const long long right = std::llround(double(c->Width() + left + w) / M * D);
        const long long start = std::llround(double(D) * left / M);
        c->SetWidth(int(right - start - w));
    }
    RelayoutCellsInRowPanel();
}

void TDBGridColumnsEh::FixupAutoFitColWidths(int GridWidth) {
    if (Count() == 0) return;
    const int w = FDBGrid ? FDBGrid->GridLineWidth() : 1;
    int lastLine = 0;
    for (int i = 0; i < Count(); ++i)
        lastLine = std::max(lastLine, Columns(i)->InRowLinePos());
    BeginUpdate();
    const auto end = qScopeGuard([&] { EndUpdate(); });
    for (int line = 0; line <= lastLine; ++line) {
        long long fitSum = 0;
        int rest = GridWidth;
        for (int i = 0; i < Count(); ++i) {
            TColumnEh* c = Columns(i);
            if (c->InRowLinePos() != line) continue;
            if (c->GetAutoFitColWidth())
                fitSum += c->Width() + w;
            else
                rest -= c->Width() + w;
        }
        if (fitSum <= 0) continue;
        // Running sums keep the shares adding up to what is left, whatever the rounding.
        long long run = 0;
        for (int i = 0; i < Count(); ++i) {
            TColumnEh* c = Columns(i);
            if (c->InRowLinePos() != line || !c->GetAutoFitColWidth()) continue;
            const int old = c->Width();
            const long long to = std::llround(double(rest) * double(run + old) / double(fitSum));
            const long long from = std::llround(double(rest) * double(run) / double(fitSum));
            const int nw = int(to - from);
            c->SetWidth(nw == 0 ? 1 : nw);
            run += old;
        }
    }
    RelayoutCellsInRowPanel();
}
