// Tree nodes of a memory table shown as a tree.
//
// The first visible column of a tree row starts with the tree elements area: one slot of
// TreeLevelWidth pixels per level of the row, the last slot holding the node's sign. The area is
// painted from what the memory table tells about the row being read (its level, whether it has
// visible children, whether it and each ancestor have a following visible sibling), so every
// routine here runs with reading positioned on the row in question and leaves it again, also
// when something raises.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/tools/ToolCtrlsEh.h"

#include "platform/ui/WinGdi.h"

#include <QScopeGuard>

#include <algorithm>

namespace {

// Glyph kinds of the tree outline painter.
constexpr int GlyphExpanded = 0;       // with lines up, down and right
constexpr int GlyphExpandedLast = 1;   // up and right
constexpr int GlyphExpandedAlone = 3;  // no lines
constexpr int GlyphCollapsed = 4;      // up, down and right
constexpr int GlyphCollapsedLast = 5;  // up and right
constexpr int GlyphCollapsedAlone = 7; // no lines
constexpr int GlyphLeaf = 8;           // full vertical line, right from the centre
constexpr int GlyphLeafLast = 9;       // upper half, right from the centre
constexpr int GlyphPassingLine = 11;   // full vertical line

} // namespace

bool TCustomDBGridEh::IsTreeViewMode() {
    return FIntMemTable && FIntMemTable->GetViewAsTreeList();
}

// ---------------------------------------------------------------------------------------------
// Painting

void TCustomDBGridEh::DrawCellTreeAreaBackground(int DataCol, int DataRow, const TRect& ARect,
                                                 TGridDrawState AState) {
    if (!IsTreeViewMode()) return;
    TCanvas* c = Canvas();
    TColor color = InternalColor();
    // A selected record shows its tree area in the selection colours too.
    if (IsIndicatorRowSelected()) {
        TFont font;
        font.Assign(c->Font());
        PaintStyle().HighlightDataCellColors(this, DataCol + FIndicatorOffset, &font, color, true, AState,
                                             DataRow, DataCol, DataRow + TopDataOffset());
    }
    DrawTreeArea(c, ARect, color, DataRow + TopDataOffset() == RowCount() - 1);
}

void TCustomDBGridEh::DrawTreeArea(TCanvas* Canvas, const TRect& ARect, TColor AreaColor, bool LastRow) {
    IMemTableEh* mt = FIntMemTable;
    const int level = mt->GetTreeNodeLevel();
    if (level <= 0) return;
    const bool lines = FTreeViewParams->ShowTreeLines();
    // On a mirrored canvas the area is laid out left to right and the canvas turns it round.
    const bool rtl = UseRightToLeftAlignment() && !IsCanvasMirrored(Canvas);
    const int areaWidth = std::min(TreeLevelWidth * level, ARect.Width());
    if (areaWidth <= 0) return;
    // Dots of neighbouring rows line up only when the phase follows the row's parity.
    const bool dotPhase = (FStdDefaultRowHeight % 2 != 0) && (TopRow() % 2 != 0);
    const TTreeViewGlyphStyleEh glyphStyle = FTreeViewParams->GetActualGlyphStyle();

    HDC dc = Canvas->Handle();
    int saved = SaveDC(dc);
    const auto restore = qScopeGuard([&] {
        if (saved) RestoreDC(dc, saved);
    });
    // A cell narrower than the area shows what fits.
    if (rtl)
        IntersectClipRect(dc, ARect.Right - areaWidth, ARect.Top, ARect.Right, ARect.Bottom);
    else
        IntersectClipRect(dc, ARect.Left, ARect.Top, ARect.Left + areaWidth, ARect.Bottom);

    auto slotRect = [&](int lvl) {
        const int l = ARect.Left + (lvl - 1) * TreeLevelWidth;
        TRect r{l, ARect.Top, l + TreeLevelWidth, ARect.Bottom};
        if (rtl)
            r = TRect{ARect.Right - (r.Right - ARect.Left), r.Top, ARect.Right - (r.Left - ARect.Left),
                      r.Bottom};
        return r;
    };
    Canvas->Brush()->SetColor(AreaColor);
    // The outline's dots are one-pixel segments of a plain pen.
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetMode(pmCopy);
    Canvas->Pen()->SetColor(clBtnShadow);
    for (int lvl = 1; lvl <= level; ++lvl) {
        const TRect slot = slotRect(lvl);
        Canvas->FillRect(slot);
        int kind = -1;
        if (lvl < level) {
            if (lines && mt->GetTreeNodeHasNextVisibleSibling(lvl)) kind = GlyphPassingLine;
        } else {
            const bool next = mt->GetTreeNodeHasNextVisibleSibling(level);
            if (mt->GetTreeNodeHasVisibleChildren()) {
                const bool expanded = mt->GetTreeNodeExpanded();
                if (!lines)
                    kind = expanded ? GlyphExpandedAlone : GlyphCollapsedAlone;
                else if (expanded)
                    kind = next ? GlyphExpanded : GlyphExpandedLast;
                else
                    kind = next ? GlyphCollapsed : GlyphCollapsedLast;
            } else if (lines) {
                kind = next ? GlyphLeaf : GlyphLeafLast;
            }
        }
        if (kind >= 0) {
            PaintTreeNodeGlyph(Canvas, slot, kind, dotPhase, 1, 1, false, false, glyphStyle);
            Canvas->Brush()->SetColor(AreaColor);
        }
    }
    RestoreDC(dc, saved);
    saved = 0;
    const TRect area = rtl ? TRect{ARect.Right - areaWidth, ARect.Top, ARect.Right, ARect.Bottom}
                           : TRect{ARect.Left, ARect.Top, ARect.Left + areaWidth, ARect.Bottom};
    if (FOptions.Contains(dgRowLines)) {
        const int lw = GridLineWidth();
        // The row line under the slots is covered so that the outline reads as one piece; the
        // last row keeps it while the grid closes its outer edge there.
        if (lw > 0 && !LastRow) {
            Canvas->Brush()->SetColor(AreaColor);
            Canvas->FillRect(TRect{area.Left, area.Bottom, area.Right, area.Bottom + lw});
        }
        // A line in the grid's line colour closes the area towards the text.
        Canvas->Pen()->SetColor(GridLineColors()->GetDataVertColor());
        Canvas->Pen()->SetStyle(psSolid);
        const int x = rtl ? area.Left : area.Right - 1;
        Canvas->MoveTo(x, area.Top);
        Canvas->LineTo(x, area.Bottom + lw);
    }
    Canvas->Brush()->SetColor(AreaColor);
}

// ---------------------------------------------------------------------------------------------
// Expanding and collapsing with the mouse

bool TCustomDBGridEh::ClickTreeNodeSign(int X, int Y, bool CheckOnly) {
    if (!DataLink()->Active() || !IsTreeViewMode()) return false;
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < 0 || cell.Y < TopDataOffset() || cell.Y >= RowCount()) return false;
    int areaCol = 0, areaRow = 0;
    if (GetCellType(cell.X, cell.Y, areaCol, areaRow) != catDataEh || DataColumn(areaCol) != VisibleColumn(0))
        return false;
    TDataSet* ds = DataLink()->DataSet();
    if (!ds || ds->IsEmpty()) return false;
    const int dataRow = cell.Y - TopDataOffset();
    const int topRow = TopRow();
    TObject* rec = FIntMemTable->GetRec();

    int areaWidth = 0;
    bool expanded = false;
    {
        const bool other = dataRow != FIntMemTable->GetInstantReadCurRow();
        if (other) FIntMemTable->InstantReadEnter(dataRow);
        const auto leave = qScopeGuard([&] {
            if (other) FIntMemTable->InstantReadLeave();
        });
        areaWidth = GetCellTreeElmentsAreaWidth();
        expanded = FIntMemTable->GetTreeNodeExpanded();
    }
    const TRect r = CellRect(cell.X, cell.Y);
    const int x = UseRightToLeftAlignment() ? r.Right + r.Left - X : X;
    if (x < r.Left || x > r.Left + areaWidth - 1) return false;
    if (CheckOnly) return true;

    DataLink()->UpdateData();
    ds->CheckBrowseMode();
    ds->DisableControls();
    bool controlsDisabled = true;
    const auto enable = qScopeGuard([&] {
        if (controlsDisabled) ds->EnableControls();
    });
    int newRecNo = -1;
    // Only the sign toggles; the indentation left of it takes the click and does nothing.
    if (x >= r.Left + areaWidth - TreeLevelWidth)
        newRecNo = FIntMemTable->SetRowTreeNodeExpanded(dataRow, !expanded);
    {
        LockPaint();
        FLockAutoShowCurCell = true;
        const auto unlock = qScopeGuard([this] {
            FLockAutoShowCurCell = false;
            UnlockPaint();
        });
        if (newRecNo <= 0 || newRecNo == ds->RecNo())
            FIntMemTable->GotoRec(rec);
        else
            ds->SetRecNo(newRecNo);
        controlsDisabled = false;
        ds->EnableControls();
    }
    SafeMoveTop(topRow, false);
    InvalidateGrid();
    UpdateVertScrollBar();
    return true;
}

bool TCustomDBGridEh::CanCellDblClick(const TGridCoord& Cell, TMouseButton Button, const TPoint& InCellPt,
                                      const TPoint& MousePt, TShiftState Shift) {
    // Quick presses on a sign open and close the node; they are no double click.
    if (ClickTreeNodeSign(MousePt.X, MousePt.Y, true)) return false;
    return TCustomDBAxisGridEh::CanCellDblClick(Cell, Button, InCellPt, MousePt, Shift);
}

// ---------------------------------------------------------------------------------------------
// Rows cut by the bottom edge

void TCustomDBGridEh::InvalidateTreeRowCutAtBottom(int OldTopRow) {
    if (!IsTreeViewMode() || TopRow() <= OldTopRow) return;
    // The lines of the row that the old bottom edge cut were painted for a row with nothing
    // below it; that row is painted again now that its neighbours show.
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const int scrollable = di.Vert.GridExtent - di.Vert.FixedBoundary;
    int sum = 0;
    int cut = 0;
    for (int r = OldTopRow; r < RowCount(); ++r) {
        sum += RowHeights(r) + di.Vert.EffectiveLineWidth;
        if (sum > scrollable) {
            cut = r;
            break;
        }
    }
    InvalidateRow(cut);
}
