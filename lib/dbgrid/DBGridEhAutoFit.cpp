// Sizes the layout rebuild derives from the grid's properties: the standard data row height from
// RowHeight, RowLines and the font, and the column widths fitted to the client width while
// AutoFitColWidths is on.

#include "lib/dbgrid/DBGridEh.h"

#include "lib/tools/ToolCtrlsEh.h"
#include "platform/rtl/SysUtils.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>

int TCustomDBGridEh::GridClientWidth() {
    return ClientWidth() - OutBoundaryData()->LeftIndent() - OutBoundaryData()->RightIndent();
}

void TCustomDBGridEh::UpdateStdDefaultRowHeight() {
    const QFontMetrics fm(Font()->ToQFont());
    // The air around the text and the line between rows.
    const int p = (Flat() ? 1 : 3) + (FOptions.Contains(dgRowLines) ? GridLineWidth() : 0);
    const int t = std::max(1, fm.height());
    int h = FRowHeight > 0 || FRowLines > 0 ? FRowHeight + (fm.leading() + fm.height()) * FRowLines : t + p;
    if (FOptionsEh.Contains(dghFitRowHeightToText)) {
        // Whole text lines: a remainder up to half a line is dropped, never down to no line.
        const int lines = (h - p) / t, rest = (h - p) % t;
        h = rest <= t / 2 && lines > 0 ? lines * t + p : (lines + 1) * t + p;
        FRowLines = (h - p) / t;
        FRowHeight = p;
    }
    FStdDefaultRowHeight = h;
    // The edit button takes the row's height unless the row is much taller than it is wide.
    const int bw = InplaceEditorButtonWidth();
    FInplaceEditorButtonHeight = std::nearbyint(bw * 1.5) >= h ? h : ButtonHeightForWidth(bw, Flat());
    // The filter row's buttons follow its own row height, which may follow this one.
    if (FSTFilter) FSTFilter->UpdateInplaceEditorButtonHeight();
    // Text wraps only in rows with room for more than one line.
    const int internalLeading = std::max(0, fm.height() - QFontInfo(Font()->ToQFont()).pixelSize());
    FAllowWordWrap = fm.leading() + fm.height() + internalLeading + FInterlinear < h;
}

int TCustomDBGridEh::CalcFixedTitleHeight() {
    // Lines are measured in the tallest of the titles' fonts.
    QFontMetrics fm(TitleFont()->ToQFont());
    int tallest = fm.height();
    for (int i = 0; i < Columns()->Count(); ++i) {
        const QFontMetrics cfm(Columns()->Columns(i)->Title()->Font()->ToQFont());
        if (cfm.height() > tallest) {
            tallest = cfm.height();
            fm = cfm;
        }
    }
    const int lines = FTitleParams->RowLines();
    return (lines > 0 ? lines * fm.height() + fm.leading() + 2 : 0) + std::max(0, FTitleParams->RowHeight());
}

void TCustomDBGridEh::FitColumnWidthsToClient() {
    std::vector<TColumnEh*> visible;
    for (int i = 0; i < VisibleColumnCount(); ++i)
        visible.push_back(VisibleColumn(i));
    if (visible.empty()) return;
    for (TColumnEh* c : visible)
        c->FNotInWidthRange = false;
    const bool indicator = FIndicatorOffset > 0 && ColCount() > 0;
    const bool colLines = FOptions.Contains(dgColLines);
    int avail = 0, sum = 0;
    for (size_t pass = 0; pass < visible.size(); ++pass) {
        int fixed = 0, init = 0;
        for (TColumnEh* c : visible) {
            if (!c->AutoFitColWidth() || c->FNotInWidthRange)
                fixed += c->Width();
            else
                init += c->FInitWidth;
        }
        avail = std::max(0, std::max(FMinAutoFitWidth, GridClientWidth()) - fixed);
        if (indicator) avail -= ColWidths(0);
        if (colLines) avail -= int(visible.size());
        if (indicator && colLines) --avail;
        avail -= FExtraFirstColumnWidth;
        avail = std::max(0, avail);
        bool marked = false;
        sum = 0;
        for (TColumnEh* c : visible) {
            if (!c->AutoFitColWidth() || c->FNotInWidthRange) continue;
            // No starting widths to scale from: nothing is given (MulDiv answers -1).
            const int w = init > 0 ? MulDiv(c->FInitWidth, avail, init) : 0;
            const int limited = c->LimitWidthToRange(w);
            c->StoreWidth(limited);
            if (limited != w) {
                c->FNotInWidthRange = true;
                marked = true;
            }
            sum += limited;
        }
        if (!marked) break;
    }
    if (sum == avail) return;
    // The last fitting column takes what the integer division left over.
    for (auto it = visible.rbegin(); it != visible.rend(); ++it) {
        TColumnEh* c = *it;
        if (!c->AutoFitColWidth() || c->FNotInWidthRange) continue;
        c->StoreWidth(std::max(0, c->Width() + avail - sum));
        break;
    }
}
