// The data grid's cell borders (per area, the right and bottom edges of the data, no column
// lines inside multi-level titles) and the header tree built from the columns and measured for
// the title row.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhFilter.h"

#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/WinGdi.h"

#include <QScopeGuard>

#include <algorithm>

namespace {

bool Vertical(TGridCellBorderTypeEh Border) {
    return Border == cbtLeftEh || Border == cbtRightEh;
}

// The darker of two line colours (the first on a tie); the dark line colour when that is none.
TColor EdgeColor(TColor A, TColor B, TColor Dark) {
    const TColor c = DarkerColor(A, B);
    return c == clNone ? Dark : c;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Header tree

void THeadTreeNode::CreateFieldTree(TCustomDBGridEh* AGrid) {
    FreeAllChild();
    PTLeafCol& arr = AGrid->LeafFieldArr();
    TDBGridColumnsEh* columns = AGrid->Columns();
    arr.assign(size_t(columns->Count()), TLeafCol{});
    const bool colLines = AGrid->Options().Contains(dgColLines);
    const bool titleVertLines = AGrid->TitleParams()->VertLines();
    std::vector<THeadTreeNode*> leaves;
    THeadTreeNode* last = nullptr;
    for (int i = 0; i < columns->Count(); ++i) {
        TColumnEh* column = columns->Columns(i);
        int width = column->Visible() ? column->FullWidth() : (colLines ? -1 : 0);
        const int height = AGrid->RowHeights(0);
        THeadTreeNode* leaf = last ? Add(last, column->Title()->Caption(), height, width)
                                   : AddChild(this, column->Title()->Caption(), height, width);
        leaf->Column = column;
        leaf->WIndent = column->Title()->SortMarker() != smNoneEh ? 16 : 0;
        // An always shown filter button keeps its room free of the caption too.
        const int filterButton = column->GetFilterButtonAreaWidth();
        if (filterButton > 0 && AGrid->STFilter()->FilterButtonDrawTime() == fbdtAlwaysEh)
            leaf->WIndent += filterButton;
        if (titleVertLines) {
            leaf->VLineWidth = 1;
            if (!colLines) leaf->Width -= 1;
        } else {
            leaf->VLineWidth = 0;
            if (colLines) leaf->Width += 1;
        }
        arr[size_t(i)] = TLeafCol{leaf, column};
        leaves.push_back(leaf);
        last = leaf;
    }
    UnionLeavesByWords(leaves);
}

int TCustomDBGridEh::CalcHeadTreeHeights(THeadTreeNode* Node) {
    TCanvas* c = Canvas();
    // Before the window exists the texts are measured on a borrowed screen context, given back
    // however the measuring ends.
    const bool borrow = !HandleAllocated() && !c->HandleAllocated();
    if (borrow) c->SetHandle(ScreenDC());
    const auto giveBack = qScopeGuard([&] {
        if (borrow) c->SetHandle(nullptr);
    });
    if (!Node->Child) return 0;
    TFont saved;
    saved.Assign(c->Font());
    const auto restore = qScopeGuard([&] { c->Font()->Assign(&saved); });

    std::vector<int> totals;
    bool firstWithoutColumn = true;
    THeadTreeNode* n = Node->Child;
    do {
        const int sub = n->Child ? CalcHeadTreeHeights(n) : 0;
        if (n->Column) {
            c->Font()->Assign(n->Column->Title()->Font());
        } else if (firstWithoutColumn) {
            c->Font()->Assign(FTitleParams->Font());
            firstWithoutColumn = false;
        }
        const String text = n->Text.isEmpty() ? QStringLiteral(" ") : n->Text;
        TRect r(0, 0, std::max(1, n->Width - n->WIndent - 4), 0);
        int h;
        if (n->Column && n->Column->Title()->Orientation() == tohVertical) {
            h = n->Width > 0
                    ? PaintVerticalText(c, r, false, 0, 0, text, taLeftJustify, tlTop, false, true) + 6
                    : 0;
        } else {
            h = n->Width > 0 ? DrawText(c->Handle(), text, -1, &r, DT_CALCRECT | DT_WORDBREAK) : 0;
            h += FTitleParams->VTitleMargin();
        }
        int total = sub + std::max(0, h);
        if (FTitleParams->BorderInFillStyle() && Node == FHeadTree.get()) total += 1;
        totals.push_back(total);
        n = n->Next;
    } while (n != Node->Child);

    const int a = *std::max_element(totals.begin(), totals.end());
    n = Node->Child;
    do {
        // A band keeps what its children leave; the recursive call left their height in it.
        n->Height = n->Child ? a - n->Height : a;
        n = n->Next;
    } while (n != Node->Child);
    Node->Height = a;
    return a;
}

// ---------------------------------------------------------------------------------------------
// Cell borders

void TCustomDBGridEh::GetCellBorderParams(int ACol, int ARow, TGridCellBorderTypeEh Border,
                                          bool& CoverCrossing, TColor& Color, bool& Drawn) {
    const bool vertical = Vertical(Border);
    if (vertical && ColWidths(ACol) == 0) {
        Drawn = false;
        return;
    }
    TDBGridLineParamsEh* lines = GridLineParams();
    Drawn = vertical ? FOptions.Contains(dgColLines) : FOptions.Contains(dgRowLines);
    CoverCrossing = true;
    Color = ACol < FixedCols() || ARow < FixedRows() ? lines->GetDarkColor() : lines->GetBrightColor();

    TPoint type;
    int areaCol = 0, areaRow = 0;
    GetCellType(ACol, ARow, type, areaCol, areaRow);
    auto applyFooter = [&] {
        TDBGridFooterParamsEh* fp = FFooterParams.get();
        if (vertical) {
            if (!fp->VertLines())
                Drawn = false;
            else if (fp->GetVertLineColor() != clNone) {
                Drawn = true;
                Color = fp->GetVertLineColor();
            }
        } else if (Border == cbtTopEh) {
            Drawn = true;
            Color = fp->GetHorzLineColor();
        } else if (!fp->HorzLines()) {
            Drawn = false;
        } else if (fp->GetHorzLineColor() != clNone) {
            Drawn = true;
            Color = fp->GetHorzLineColor();
        }
        const bool boundary = (Border == cbtTopEh && ARow == RowCount()) ||
                              (Border == cbtBottomEh && ARow == GetFullRowCount() - 1);
        if (boundary && ColorLuminance(fp->GetHorzLineColor()) > ColorLuminance(fp->GetVertLineColor()))
            Color = fp->GetVertLineColor();
    };

    if (type.Y == 0) {
        TDBGridTitleParamsEh* tp = FTitleParams.get();
        if (tp->BorderInFillStyle()) {
            Drawn = type.X == 0 && vertical;
        } else if (vertical) {
            Drawn = tp->VertLines();
            Color = tp->GetVertLineColor();
            TDBGridIndicatorParamsEh* ip = FIndicatorParams.get();
            if (type.X == 0 && ip->GetVertLineColor() != clNone &&
                ColorLuminance(tp->GetVertLineColor()) > ColorLuminance(ip->GetHorzLineColor()))
                Color = ip->GetVertLineColor();
        } else if (tp->HorzLines()) {
            Drawn = true;
            Color = tp->GetHorzLineColor();
        }
    } else if (type.X == 0) {
        TDBGridIndicatorParamsEh* ip = FIndicatorParams.get();
        if (vertical) {
            if (!ip->VertLines())
                Drawn = false;
            else if (ip->GetVertLineColor() != clNone) {
                Drawn = true;
                Color = ip->GetVertLineColor();
            }
        } else {
            if (!ip->HorzLines())
                Drawn = false;
            else if (ip->GetHorzLineColor() != clNone) {
                Drawn = true;
                Color = ip->GetHorzLineColor();
            }
        }
        if (type.Y == 4 && Border == cbtTopEh && ARow == RowCount()) {
            Drawn = true;
            Color = ip->GetHorzLineColor();
        }
        const bool boundary = (Border == cbtTopEh && ARow == RowCount()) ||
                              (Border == cbtBottomEh && ARow == GetFullRowCount() - 1);
        if (boundary && ColorLuminance(ip->GetHorzLineColor()) > ColorLuminance(ip->GetVertLineColor()))
            Color = ip->GetVertLineColor();
    } else if (type.Y == 2) {
        if (vertical)
            Color = lines->DataVertLines() ? lines->GetDataVertColor() : clNone;
        else
            Color = lines->DataHorzLines() ? lines->GetDataHorzColor() : clNone;
        Drawn = Color != clNone;
        GroupingCellBorder(ACol, areaRow, Border, Color, Drawn);
    } else if (type.Y == 4) {
        applyFooter();
    } else if (type.Y == 1) {
        // The filter row under the titles has line colours of its own.
        const TColor own = vertical ? FSTFilter->GetVertLineColor() : FSTFilter->GetHorzLineColor();
        if (own != clNone) {
            Drawn = true;
            Color = own;
        }
    }

    // The right and bottom edges of the data.
    bool edgeDrawn = false;
    auto lastShown = [](int From, int To, int Hidden, auto Size) {
        for (int i = From; i >= To; --i)
            if (Size(i) != Hidden) return i;
        return From;
    };
    const int lastCol = lastShown(ColCount() - 1, FixedCols(), FOptions.Contains(dgColLines) ? -1 : 0,
                                  [&](int i) { return ColWidths(i); });
    const int lastRow = lastShown(RowCount() - 1, FixedRows(), FOptions.Contains(dgRowLines) ? -1 : 0,
                                  [&](int i) { return RowHeights(i); });
    const TColor dark = lines->GetDarkColor();
    auto dataBoundary = [&] {
        const TColor boundary = lines->DataBoundaryColor();
        if (boundary != clDefault) {
            Color = boundary;
            if (boundary == clNone) {
                Drawn = false;
                return;
            }
        } else {
            const TColor v = lines->GetDataVertColor();
            const TColor h = lines->GetDataHorzColor();
            Color = v == h && v != clNone ? dark : DarkerColor(v, h);
        }
        edgeDrawn = true;
    };
    const bool rightEdge = (vertical && ACol == lastCol) || (Border == cbtLeftEh && ACol == ColCount());
    const bool autoFit = AutoFitColWidthsEh();
    if (rightEdge) {
        if (type.Y == 0) {
            if (lines->GridBoundaries() || (!autoFit && FTitleParams->HorzLines())) {
                Color = EdgeColor(FTitleParams->GetVertLineColor(), FTitleParams->GetHorzLineColor(), dark);
                edgeDrawn = true;
            }
        } else if (type.Y == 2) {
            if (lines->GridBoundaries()) dataBoundary();
        } else if (type.Y == 4) {
            if (lines->GridBoundaries() || (!autoFit && FFooterParams->HorzLines())) {
                Color = EdgeColor(FFooterParams->GetVertLineColor(), FFooterParams->GetHorzLineColor(), dark);
                edgeDrawn = true;
            }
        } else if (type.Y == 1) {
            if (lines->GridBoundaries() || (!autoFit && lines->DataHorzLines())) {
                Color = EdgeColor(FSTFilter->GetVertLineColor(), FSTFilter->GetHorzLineColor(), dark);
                edgeDrawn = true;
            }
        }
    } else if (lines->GridBoundaries() && !vertical && ARow == lastRow &&
               lines->VertEmptySpaceStyle() == dessNonEh) {
        if (type.X == 0) {
            Color = dark;
            edgeDrawn = true;
        } else {
            dataBoundary();
        }
    }
    if (edgeDrawn) Drawn = true;

    // Upper title levels draw their own lines from the header tree.
    if (ARow < GetTitleRowCount() && ACol >= IndicatorOffset() && IsUseMultiTitle() && vertical && !edgeDrawn)
        Drawn = false;
}
