// Pieces of the layout rebuild that stand on their own: the default title row height, the paint
// marks of the multi-title tree and the blank cells beside and below the data.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhHeadTree.h"
#include "lib/dbgrid/DBGridEhStyle.h"

#include <QFontMetrics>

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
