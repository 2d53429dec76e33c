// Pieces of the layout rebuild that stand on their own: the default title row height, the paint
// marks of the multi-title tree and the blank cells beside and below the data.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhHeadTree.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/dbgrid/DBGridEhStyle.h"

#include <QFontMetrics>
#include <QScopeGuard>

#include <algorithm>

int TCustomDBGridEh::CalcTitleTextHeight() {
    // Any column may carry a larger title font than the grid's.
    TDBGridColumnsEh* cols = Columns();
    if (!cols || cols->Count() == 0) return QFontMetrics(TitleFont()->ToQFont()).height() + FInterlinear;
    int h = 0;
    for (int i = 0; i < cols->Count(); ++i)
        h = std::max(h, QFontMetrics(cols->Columns(i)->Title()->Font()->ToQFont()).height() + FInterlinear);
    return h;
}

void TCustomDBGridEh::FinishLayoutRebuild() {
    {
        // With whole rows selected the horizontal scroll position is the user's: the row count
        // taken again moves the current cell to the first scrolling column, which must not
        // scroll the grid back, whether the count is taken or fails on the way.
        const bool keepLeft = FOptions.Contains(dgRowSelect);
        const int left = LeftCol();
        const auto restore = qScopeGuard([&] {
            if (!keepLeft || LeftCol() == left) return;
            const int l = std::clamp(left, FixedCols(), std::max(FixedCols(), ColCount() - 1));
            if (l != LeftCol()) SetLeftCol(l);
        });
        RecalcDataRowCount();
    }
    if (FRowDetailPanel && FRowDetailPanel->Active()) UpdateRowDetailPanel();
    LinkDataChanged();
    InvalidateGrid();
    // Selected columns that the rebuild removed leave the selection.
    if (TDBGridEhSelection* sel = FSelection.get(); sel && sel->SelectionType() == gstColumns) {
        sel->Columns()->Refresh();
        sel->UpdateState();
    }
    if (FFilterEditMode) UpdateFilterEdit(false);
}

void TCustomDBGridEh::ResetHeadTreeDrawn(THeadTreeNode* Node) {
    if (!Node) return;
    Node->Drawn = false;
    Node->DoForAllNode(THeadTreeProc::Callable([](THeadTreeNode* n) { n->Drawn = false; }));
}

void TCustomDBGridEh::DrawBlankCell(const TRect& ARect, bool Highlighted, TAxisColCellParamsEh* Params,
                                    bool Fixed) {
    // Split-button titles draw their face without the inner fill: a blank fixed cell beside them
    // must look the same.
    if (Fixed && Params->DrawCellByThemes() && PaintStyle().ThemeTitleFillElement() == gtfeSplitButtonEh) {
        DrawThemedCellBackground(1, ARect, clDefault, false, Fixed, TRect(), Highlighted, false);
        return;
    }
    TCustomDBAxisGridEh::DrawBlankCell(ARect, Highlighted, Params, Fixed);
}
