// The area below the last row of the data grid: filled with the grid's internal colour and, when
// the grid extends its vertical lines, crossed by the column lines of the bottom data row (with
// the strips of coloured columns), plain or fading into the internal colour. Also the colour
// substitutions group rows and group footers take under a custom style.

#include "lib/dbgrid/DBGridEh.h"

#include "platform/ui/Themes.h"

#include <algorithm>

void TCustomDBGridEh::DrawEmptySpace(int ACol, int ARow, const TGridDrawInfoEh& DrawInfo, int Left, int Top,
                                     int Right, int Bottom) {
    (void)ARow;
    if (!IsBackgroundShowing()) {
        Canvas()->Brush()->SetColor(FInternalColor);
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->FillRect(TRect{Left, Top, Right + 1, Bottom + 1});
    }
    if (FOptionsEh.Contains(dghExtendVertLines) && ACol >= 0)
        DrawExtendedVertLines(ACol, TRect{Left, Top, Right, Bottom}, DrawInfo);
}

// Lines run from the grid boundary down to the contra extent, each at the right edge of a column
// whose bottom data cell draws its right border, in that border's colour. Only the part inside
// ARect's horizontal range is painted: the empty space comes in pieces (fixed and scrolling).
void TCustomDBGridEh::DrawExtendedVertLines(int ACol, const TRect& ARect, const TGridDrawInfoEh& DrawInfo) {
    (void)ACol;
    const auto& H = DrawInfo.Horz;
    const auto& V = DrawInfo.Vert;
    const int top = V.GridBoundary, bottom = V.ContraExtent;
    if (top >= bottom || RowCount() <= 0) return;
    TCanvas* c = Canvas();
    const bool gradient = GridLineParams()->VertEmptySpaceStyle() == dessGradiendEh;
    const int lastRow = RowCount() - 1;

    auto paint = [&](int left, int right, TColor color) {
        left = std::max(left, ARect.Left);
        right = std::min(right, ARect.Right + 1);
        if (left >= right) return;
        const TRect r{left, top, right, bottom};
        if (gradient) {
            PaintGradientRect(c, r, color, FInternalColor);
        } else {
            c->Brush()->SetStyle(bsSolid);
            c->Brush()->SetColor(color);
            c->FillRect(r);
        }
    };
    // The line at x for grid column col; Override replaces the border colour (clNone: keep it).
    auto line = [&](int col, int x, TColor Override = clNone) {
        bool cover = false, drawn = false;
        TColor color = clNone;
        GetCellBorderParams(col, lastRow, cbtRightEh, cover, color, drawn);
        if (!drawn) return;
        paint(x, x + 1, Override != clNone ? Override : color);
    };

    // Fixed columns proper (the indicator), then the frozen ones and the fixed boundary.
    const int frozen = FrozenColCount();
    int x = H.NullBorderIndent;
    for (int col = 0; col < FixedCols(); ++col) {
        x += GetColWidths(col);
        // The last frozen column ends at the fixed boundary, which gets its own line below.
        if (frozen == 0 || col < FixedCols() - 1) line(col, x);
        x += H.EffectiveLineWidth;
    }
    if (frozen > 0)
        paint(H.FixedBoundary - H.EffectiveLineWidth, H.FixedBoundary, GridLineParams()->GetDarkColor());

    // The scrolling columns in view, the partly visible one included.
    x = H.FixedBoundary - H.DataOffset;
    const int last = std::min(H.LastFullVisibleCell + 1, ColCount() - 1);
    for (int col = LeftCol(); col <= last; ++col) {
        const int w = GetColWidths(col);
        if (w <= 0) continue;
        const int left = x;
        x += w;
        if (left >= H.GridExtent) break;
        TColumnEh* column = col >= IndicatorOffset() ? VisibleColumn(col - IndicatorOffset()) : nullptr;
        if (column && column->Color() != Color() && !IsBackgroundShowing())
            paint(std::max(left, H.FixedBoundary), x, column->Color());
        if (x >= H.FixedBoundary) line(col, x);
        x += H.EffectiveLineWidth;
    }

    // Contra columns: the first line dark, the others bright.
    if (ContraColCount() > 0) {
        x = H.ContraExtent + H.EffectiveLineWidth;
        for (int col = ColCount(); col < ColCount() + ContraColCount(); ++col) {
            x += GetColWidths(col);
            line(col, x,
                 col == ColCount() ? GridLineParams()->GetDarkColor() : GridLineParams()->GetBrightColor());
            x += H.EffectiveLineWidth;
        }
    }
}

// Under a custom style the system window colours of levels and footers give way to the grid's
// own internal colours, so that group rows match the styled data rows.
TColor TCustomDBGridEh::GroupStyledColor(TColor Value) const {
    return IsCustomStyleActive() && Value == clWindow ? FInternalColor : Value;
}

TColor TCustomDBGridEh::GroupStyledFontColor(TColor Value) const {
    return IsCustomStyleActive() && Value == clWindowText ? FInternalFontColor : Value;
}
