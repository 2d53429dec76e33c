// Painting: area by area (fixed, frozen, data, contra), lines first through the per-colour segment
// cache, then the cells. Every loop runs over the visible lines only, from the top-left cell to
// the far edge, so the cost of a paint does not depend on the number of rows or columns.

#include "lib/grids/GridsEh.h"

#include "lib/grids/GridsEhDraw.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinGdi.h"

#include <QPainter>

#include <algorithm>

namespace {

bool HasOffset(int Offset) {
    return Offset > 0;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Colours and state

void TCustomGridEh::UpdateInternalColors() {
    FInternalColor = Color();
    FInternalFontColor = Font()->Color();
    FInternalFixedColor = FFixedColor;
    FInternalFixedFontColor = Font()->Color();
    // No custom application style exists here: the control's own colours stand.
}

bool TCustomGridEh::IsActiveControl() {
    if (!HandleAllocated()) return false;
    if (auto* form = GetParentForm(this)) {
        // The form's active control counts even while the form itself is not focused.
        if (form->ActiveControl() == this) return true;
        return false;
    }
    const HWND f = GetFocus();
    return f && (f == FHandle || IsChild(FHandle, f));
}

bool TCustomGridEh::IsBackgroundShowing() {
    return FBackgroundData && FBackgroundData->Showing();
}

void TCustomGridEh::GetCellBorderParams(int ACol, int ARow, TGridCellBorderTypeEh Border, bool& CoverCrossing,
                                        TColor& Color, bool& Drawn) {
    CoverCrossing = true;
    if (ACol < FFixedCols || ARow < FFixedRows)
        Color = FGridLineColors->GetDarkColor();
    else
        Color = FGridLineColors->GetBrightColor();
    if (Border == cbtLeftEh || Border == cbtRightEh)
        Drawn = FOptions.Contains(goVertLine);
    else
        Drawn = FOptions.Contains(goHorzLine);
}

TGridDrawState TCustomGridEh::CellDrawState(int ACol, int ARow, bool Focused) {
    TGridDrawState s;
    if (ACol == FHotTrackCell.X && ARow == FHotTrackCell.Y) s.Include(gdHotTrack);
    bool current;
    if (FOptions.Contains(goRowSelect))
        current = ARow == FCurrent.Y && ACol >= FFixedCols - FFrozenColCount && ACol < FColCount;
    else
        current = ACol == FCurrent.X && ARow == FCurrent.Y;
    if (current) {
        s.Include(gdCurrent);
        if (Focused) s.Include(gdFocused);
    }
    const TGridRect sel = GetSelection();
    if (ACol >= sel.Left && ACol <= sel.Right && ARow >= sel.Top && ARow <= sel.Bottom) s.Include(gdSelected);
    return s;
}

// ---------------------------------------------------------------------------------------------
// Primitives

void TCustomGridEh::CanvasPolyline(const TPoint* Points, int Count) {
    std::vector<TPoint> pts(Points, Points + Count + 1);
    Canvas()->Polyline(Points, 0);
    if (UseRightToLeftAlignment())
        for (auto& p : pts)
            p.X += 1;
    ::Polyline(Canvas()->Handle(), pts.data(), int(pts.size()));
}

void TCustomGridEh::CanvasPolyPolyline(const TPoint* Points, const DWORD* Strokes, int PointCount) {
    if (PointCount < 2) return;
    // An empty canvas polyline selects the canvas pen into the context for the raw call.
    Canvas()->Polyline(Points, 0);
    HDC dc = Canvas()->Handle();
    if (UseRightToLeftAlignment()) {
        std::vector<TPoint> pts(Points, Points + PointCount);
        for (auto& p : pts)
            p.X += 1;
        ::PolyPolyline(dc, pts.data(), Strokes, PointCount / 2);
    } else {
        ::PolyPolyline(dc, Points, Strokes, PointCount / 2);
    }
}

void TCustomGridEh::DrawLineSet(int X1, int Y1, int N, int Y2, int X2) {
    if (N <= 0) return;
    std::vector<TPoint> pts;
    std::vector<DWORD> strokes(size_t(N), 2);
    pts.reserve(size_t(N) * 2);
    for (int i = 0; i < N; ++i) {
        if (Y1 != Y2) { // vertical lines side by side
            pts.push_back({X1 + i, Y1});
            pts.push_back({X1 + i, Y2});
        } else { // horizontal lines one below the other
            pts.push_back({X1, Y1 + i});
            pts.push_back({X2, Y1 + i});
        }
    }
    CanvasPolyPolyline(pts.data(), strokes.data(), int(pts.size()));
}

void TCustomGridEh::PaintGradientRect(TCanvas* ACanvas, const TRect& ARect, TColor TopColor,
                                      TColor BottomColor) {
    TRect r = ARect;
    if (UseRightToLeftAlignment()) OffsetRect(r, 1, 0);
    GridsEhDraw::PaintVerticalGradient(ACanvas, r, TopColor, BottomColor);
}

void TCustomGridEh::DrawCellEdge(TCanvas* ACanvas, const TRect& ARect, bool RightBottom, bool LeftTop) {
    (void)RightBottom;
    (void)LeftTop;
    TRect r = ARect;
    HDC dc = ACanvas->Handle();
    if (FFlat) {
        // The bottom and right edge pixels take the cell's colour; only left and top are raised.
        const TColor save = ACanvas->Brush()->Color();
        ACanvas->FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
        ACanvas->FillRect({r.Right - 1, r.Top, r.Right, r.Bottom});
        ACanvas->Brush()->SetColor(save);
        ::DrawEdge(dc, &r, BDR_RAISEDINNER, UseRightToLeftAlignment() ? (BF_TOP | BF_RIGHT) : BF_TOPLEFT);
    } else {
        ::DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    }
}

void TCustomGridEh::SetCanvasClip(const TRect& R) {
    HDC dc = Canvas()->Handle();
    ::SaveDC(dc);
    ++FClipDepth;
    ::IntersectClipRect(dc, R.Left, R.Top, R.Right, R.Bottom);
}

void TCustomGridEh::RestoreCanvasClip() {
    if (FClipDepth == 0) return;
    --FClipDepth;
    ::RestoreDC(Canvas()->Handle(), -1);
}

// ---------------------------------------------------------------------------------------------
// Line pass

void TCustomGridEh::DrawLinesArea(const TRect& Area, int FirstCol, int FirstRow, TColor Background,
                                  TColor LineColor, bool HorzOption, bool VertOption) {
    if (Area.Left >= Area.Right || Area.Top >= Area.Bottom) return;
    const auto& H = FPaintDrawInfo.Horz;
    const auto& V = FPaintDrawInfo.Vert;
    const int glw = FGridLineWidth;
    const int horzLineWidth = V.EffectiveLineWidth; // width of horizontal lines
    FGridLinesCache->Clear();
    const int fullCols = GetFullColCount(), fullRows = GetFullRowCount();
    int x = Area.Left;
    for (int col = FirstCol; col < fullCols && x < Area.Right; ++col) {
        const int w = GetColWidths(col);
        int y = Area.Top;
        for (int row = FirstRow; row < fullRows && y < Area.Bottom; ++row) {
            const int h = GetRowHeights(row);
            bool rCover = true, bCover = true, rDrawn = false, bDrawn = false;
            TColor rColor = VertOption ? LineColor : Background;
            TColor bColor = HorzOption ? LineColor : Background;
            GetCellBorderParams(col, row, cbtRightEh, rCover, rColor, rDrawn);
            GetCellBorderParams(col, row, cbtBottomEh, bCover, bColor, bDrawn);
            if (rDrawn && bDrawn && rCover && bCover && rColor != bColor) {
                // The lighter border gives the crossing pixel to the darker one.
                if (GridsEhDraw::ColorLuminance(rColor) < GridsEhDraw::ColorLuminance(bColor))
                    bCover = false;
                else
                    rCover = false;
            }
            if (rDrawn && w >= 0) {
                const int lx = x + w - (VertOption ? 0 : glw);
                const int k = rCover ? horzLineWidth : horzLineWidth - 1;
                FGridLinesCache->AddLine(rColor, lx, y, lx, y + h + k);
            }
            if (bDrawn && h >= 0) {
                const int ly = y + h - (HorzOption ? 0 : glw);
                const int k = HorzOption ? (bCover ? 1 : 0) : (bCover ? 0 : -1);
                FGridLinesCache->AddLine(bColor, x, ly, x + w + k, ly);
            }
            y += h + V.EffectiveLineWidth;
        }
        x += w + H.EffectiveLineWidth;
    }
    FGridLinesCache->Draw(this, Canvas());
}

// ---------------------------------------------------------------------------------------------
// Cell pass

void TCustomGridEh::DrawCellsArea(int FirstCol, int FirstRow, int StartX, int StartY,
                                  TGridDrawState BaseState, TColor AColor, int RightLimit, int BottomLimit,
                                  bool ContraPass) {
    const auto& H = FPaintDrawInfo.Horz;
    const auto& V = FPaintDrawInfo.Vert;
    const int colLimit = ContraPass ? GetFullColCount() : FColCount;
    const int rowLimit = ContraPass ? GetFullRowCount() : FRowCount;
    const bool focused = IsActiveControl();
    const bool designing = ComponentState().Contains(csDesigning);
    const bool vertLine = FOptions.Contains(goVertLine), horzLine = FOptions.Contains(goHorzLine);
    TCanvas* c = Canvas();
    int y = StartY;
    for (int row = FirstRow; row < rowLimit && y < BottomLimit; ++row) {
        const int h = GetRowHeights(row);
        int x = StartX;
        for (int col = FirstCol; col < colLimit && x < RightLimit; ++col) {
            const int w = GetColWidths(col);
            if (w <= 0) {
                x += w + H.EffectiveLineWidth;
                continue;
            }
            TGridDrawState state = BaseState + CellDrawState(col, row, focused);
            if (state.Contains(gdFixed)) {
                state.Exclude(gdSelected);
                state.Exclude(gdCurrent);
                state.Exclude(gdFocused);
            }
            TRect r{x, y, x + w, y + h};
            bool cover, rDrawn, bDrawn;
            TColor lc;
            GetCellBorderParams(col, row, cbtRightEh, cover, lc, rDrawn);
            GetCellBorderParams(col, row, cbtBottomEh, cover, lc, bDrawn);
            if (!rDrawn && vertLine) r.Right += H.EffectiveLineWidth;
            if (rDrawn && !vertLine) r.Right -= FGridLineWidth;
            if (!bDrawn && horzLine) r.Bottom += V.EffectiveLineWidth;
            if (bDrawn && !horzLine) r.Bottom -= FGridLineWidth;
            if (ContraPass && state.Contains(gdFocused) && FOptions.Contains(goEditing) && FEditorMode &&
                !designing) {
                x += w + H.EffectiveLineWidth;
                continue;
            }
            if (FDefaultDrawing || (ContraPass && designing)) {
                c->SetFont(Font());
                const bool sel = state.Contains(gdSelected);
                if (sel && (!state.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) ||
                            FOptions.Contains(goRowSelect))) {
                    c->Brush()->SetColor(clHighlight);
                    c->Font()->SetColor(clHighlightText);
                } else {
                    c->Brush()->SetColor(AColor);
                }
                c->Brush()->SetStyle(bsSolid);
                if (!(IsBackgroundShowing() && c->Brush()->Color() == Color())) c->FillRect(r);
            }
            if (!FDefaultDrawing) c->SetFont(Font());
            TRect inter;
            if (IntersectRect(inter, r, FPaintClipRect)) DrawCell(col, row, r, state);
            if (FDefaultDrawing && state.Contains(gdFixed) && Ctl3D() &&
                (FOptions.Contains(goFixedVertLine) || FOptions.Contains(goFixedHorzLine))) {
                TRect er = r;
                if (!FOptions.Contains(goFixedVertLine))
                    er.Right += H.EffectiveLineWidth;
                else if (!FOptions.Contains(goFixedHorzLine))
                    er.Bottom += V.EffectiveLineWidth;
                DrawCellEdge(c, er, true, true);
            }
            if (FDefaultDrawing && !designing && state.Contains(gdFocused) &&
                !(FOptions.Contains(goEditing) && FOptions.Contains(goAlwaysShowEditor)) &&
                !FOptions.Contains(goRowSelect)) {
                // A mirrored canvas mirrors the rectangle itself.
                c->DrawFocusRect(r);
            }
            x += w + H.EffectiveLineWidth;
        }
        y += h + V.EffectiveLineWidth;
    }
}

// ---------------------------------------------------------------------------------------------
// Empty space and extended lines

void TCustomGridEh::DrawEmptySpace(int ACol, int ARow, const TGridDrawInfoEh& DrawInfo, int Left, int Top,
                                   int Right, int Bottom) {
    (void)ARow;
    if (!IsBackgroundShowing()) {
        Canvas()->Brush()->SetColor(FInternalColor);
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->FillRect({Left, Top, Right + 1, Bottom + 1});
    }
    if (FOptions.Contains(goExtendVertLines) && ACol >= 0)
        PaintExtendedVertLines(DrawInfo, Left, clNone, Right);
}

void TCustomGridEh::PaintExtendedVertLines(const TGridDrawInfoEh& DrawInfo, int Left, TColor Fill,
                                           int Right) {
    if (!FOptions.Contains(goVertLine)) return;
    const auto& H = DrawInfo.Horz;
    const auto& V = DrawInfo.Vert;
    const int top = V.GridBoundary, bottom = V.ContraExtent;
    if (top >= bottom) return;
    TCanvas* c = Canvas();
    const int lastRow = FRowCount - 1;
    int prevX = Left;
    auto line = [&](int col, int x, TColor color) {
        bool cover, drawn;
        TColor lc;
        GetCellBorderParams(col, lastRow, cbtRightEh, cover, lc, drawn);
        if (!drawn || x < Left || x > Right) return;
        if (Fill != clNone && !IsBackgroundShowing()) {
            c->Brush()->SetColor(Fill);
            c->FillRect({prevX, top, x, bottom});
        }
        PaintGradientRect(c, {x, top, x + 1, bottom}, color, FInternalColor);
        prevX = x + 1;
    };
    auto* lc = FGridLineColors.get();
    // Fixed columns proper, frozen columns, visible data columns, contra columns.
    int x = H.NullBorderIndent;
    for (int col = 0; col < FFixedCols; ++col) {
        x += GetColWidths(col);
        TColor color;
        if (col < FFixedCols - FFrozenColCount)
            color = lc->GetDarkColor();
        else
            color = col == FFixedCols - 1 ? lc->GetDarkColor() : lc->GetBrightColor();
        line(col, x, color);
        x += H.EffectiveLineWidth;
    }
    x = H.FixedBoundary - H.DataOffset;
    for (int col = FTopLeft.X; col <= H.LastFullVisibleCell && col < FColCount; ++col) {
        const int w = GetColWidths(col);
        x += w;
        if (w != 0 && x >= H.FixedBoundary) line(col, x, lc->GetBrightColor());
        x += H.EffectiveLineWidth;
    }
    if (FContraColCount > 0) {
        x = H.ContraExtent + H.EffectiveLineWidth;
        for (int col = FColCount; col < GetFullColCount(); ++col) {
            x += GetColWidths(col);
            line(col, x, col == FColCount ? lc->GetDarkColor() : lc->GetBrightColor());
            x += H.EffectiveLineWidth;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Margins

void TCustomGridEh::DrawOutBoundaryData() {
    TRect r;
    if (FOutBoundaryData->GetOutBoundaryRect(r, cbtTopEh)) DrawTopOutBoundaryData(r);
    if (FOutBoundaryData->GetOutBoundaryRect(r, cbtLeftEh)) DrawLeftOutBoundaryData(r);
    if (FOutBoundaryData->GetOutBoundaryRect(r, cbtBottomEh)) DrawBottomOutBoundaryData(r);
    if (FOutBoundaryData->GetOutBoundaryRect(r, cbtRightEh)) DrawRightOutBoundaryData(r);
}

namespace {
void FillMargin(TCanvas* c, const TRect& r, TColor color) {
    c->Brush()->SetColor(color);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
}
} // namespace

void TCustomGridEh::DrawTopOutBoundaryData(const TRect& ARect) {
    FillMargin(Canvas(), ARect, FFixedColor);
}
void TCustomGridEh::DrawLeftOutBoundaryData(const TRect& ARect) {
    FillMargin(Canvas(), ARect, FFixedColor);
}
void TCustomGridEh::DrawBottomOutBoundaryData(const TRect& ARect) {
    FillMargin(Canvas(), ARect, FFixedColor);
}
void TCustomGridEh::DrawRightOutBoundaryData(const TRect& ARect) {
    FillMargin(Canvas(), ARect, FFixedColor);
}

// ---------------------------------------------------------------------------------------------
// Contra areas

void TCustomGridEh::PaintContraSeparators(const TGridDrawInfoEh& DrawInfo) {
    const auto& H = DrawInfo.Horz;
    const auto& V = DrawInfo.Vert;
    auto* lc = FGridLineColors.get();
    FGridLinesCache->Clear();
    const int glw = FGridLineWidth;
    if (FContraRowCount > 0) {
        // Under the data rows: one segment per visible column, in that column's border colour.
        const int y = V.ContraExtent;
        auto segs = [&](int firstCol, int x, int right) {
            for (int col = firstCol; col < FColCount && x < right; ++col) {
                const int w = GetColWidths(col);
                const int e = std::min(x + w + H.EffectiveLineWidth, right);
                const int s = std::max(x, firstCol >= FFixedCols && col >= FFixedCols ? H.FixedBoundary : x);
                if (e > s)
                    for (int i = 0; i < glw; ++i)
                        FGridLinesCache->AddLine(lc->GetRowBorderColor(col, FRowCount), s, y + i, e, y + i);
                x += w + H.EffectiveLineWidth;
            }
        };
        segs(0, H.NullBorderIndent, H.FixedBoundary);
        segs(FTopLeft.X, H.FixedBoundary - H.DataOffset, H.GridBoundary);
        if (H.GridBoundary < H.FullGridExtent)
            for (int i = 0; i < glw; ++i)
                FGridLinesCache->AddLine(lc->GetRowBorderColor(FColCount, FRowCount), H.GridBoundary, y + i,
                                         H.FullGridExtent, y + i);
    }
    if (FContraColCount > 0) {
        // Left of the contra columns: one segment per visible row, in the row's colour.
        const int x = H.ContraExtent;
        auto segs = [&](int firstRow, int y, int bottom) {
            for (int row = firstRow; row < FRowCount && y < bottom; ++row) {
                const int h = GetRowHeights(row);
                const int e = std::min(y + h + V.EffectiveLineWidth, bottom);
                const int s = std::max(y, row >= FFixedRows && firstRow >= FFixedRows ? V.FixedBoundary : y);
                if (e > s)
                    for (int i = 0; i < glw; ++i)
                        FGridLinesCache->AddLine(lc->GetColBorderColor(FColCount), x + i, s, x + i, e);
                y += h + V.EffectiveLineWidth;
            }
        };
        segs(0, V.NullBorderIndent, V.FixedBoundary);
        segs(FTopLeft.Y, V.FixedBoundary - V.DataOffset, V.GridBoundary);
        if (V.GridBoundary < V.FullGridExtent)
            for (int i = 0; i < glw; ++i)
                FGridLinesCache->AddLine(lc->GetColBorderColor(FColCount), x + i, V.GridBoundary, x + i,
                                         V.FullGridExtent);
    }
    FGridLinesCache->Draw(this, Canvas());
}

void TCustomGridEh::PaintContraAreas(const TGridDrawInfoEh& DrawInfo) {
    if (FContraColCount == 0 && FContraRowCount == 0) return;
    const auto& H = DrawInfo.Horz;
    const auto& V = DrawInfo.Vert;
    const bool fv = FOptions.Contains(goFixedVertLine), fh = FOptions.Contains(goFixedHorzLine);
    const bool dv = FOptions.Contains(goVertLine), dh = FOptions.Contains(goHorzLine);
    const int frozenCol0 = FFixedCols - FFrozenColCount, frozenRow0 = FFixedRows - FFrozenRowCount;
    auto* lc = FGridLineColors.get();
    // Empty space between the data and the contra lines.
    if (!IsBackgroundShowing()) {
        Canvas()->Brush()->SetColor(FInternalColor);
        Canvas()->Brush()->SetStyle(bsSolid);
        if (FContraRowCount > 0 && H.GridBoundary < H.ContraExtent)
            Canvas()->FillRect({H.GridBoundary, V.ContraExtent, H.ContraExtent, V.FullGridExtent});
        if (FContraColCount > 0 && V.GridBoundary < V.ContraExtent)
            Canvas()->FillRect({H.ContraExtent, V.GridBoundary, H.FullGridExtent, V.ContraExtent});
    }
    if (FContraRowCount > 0) {
        const int y = V.ContraExtent + V.EffectiveLineWidth;
        const int bottom = V.FullGridExtent;
        // under the fixed columns proper, the frozen columns, the data columns
        DrawLinesArea({H.NullBorderIndent, y, H.NoFrozenBoundary, bottom}, 0, FRowCount, FFixedColor,
                      lc->GetCellLineColor(0, FRowCount), fh, fv);
        DrawCellsArea(0, FRowCount, H.NullBorderIndent, y, {gdFixed}, FFixedColor, H.NoFrozenBoundary, bottom,
                      true);
        DrawLinesArea({H.NoFrozenBoundary, y, H.FixedBoundary, bottom}, frozenCol0, FRowCount, Color(),
                      lc->GetCellLineColor(frozenCol0, FRowCount), dh, dv);
        DrawCellsArea(frozenCol0, FRowCount, H.NoFrozenBoundary, y, {}, FInternalColor, H.FixedBoundary,
                      bottom, true);
        const bool clip = HasOffset(H.DataOffset);
        if (clip) SetCanvasClip({H.FixedBoundary, y, H.GridBoundary, bottom});
        DrawLinesArea({H.OutViewVisCellStart, y, H.GridBoundary, bottom}, FTopLeft.X, FRowCount, Color(),
                      lc->GetCellLineColor(FTopLeft.X, FRowCount), dh, dv);
        DrawCellsArea(FTopLeft.X, FRowCount, H.OutViewVisCellStart, y, {}, FInternalColor, H.GridBoundary,
                      bottom, true);
        if (clip) RestoreCanvasClip();
    }
    if (FContraColCount > 0) {
        const int x = H.ContraExtent + H.EffectiveLineWidth;
        const int right = H.FullGridExtent;
        DrawLinesArea({x, V.NullBorderIndent, right, V.NoFrozenBoundary}, FColCount, 0, FFixedColor,
                      lc->GetCellLineColor(FColCount, 0), fh, fv);
        DrawCellsArea(FColCount, 0, x, V.NullBorderIndent, {gdFixed}, FFixedColor, right, V.NoFrozenBoundary,
                      true);
        DrawLinesArea({x, V.NoFrozenBoundary, right, V.FixedBoundary}, FColCount, frozenRow0, Color(),
                      lc->GetCellLineColor(FColCount, frozenRow0), dh, dv);
        DrawCellsArea(FColCount, frozenRow0, x, V.NoFrozenBoundary, {}, FInternalColor, right,
                      V.FixedBoundary, true);
        const bool clip = HasOffset(V.DataOffset);
        if (clip) SetCanvasClip({x, V.FixedBoundary, right, V.GridBoundary});
        DrawLinesArea({x, V.OutViewVisCellStart, right, V.GridBoundary}, FColCount, FTopLeft.Y, Color(),
                      lc->GetCellLineColor(FColCount, FTopLeft.Y), dh, dv);
        DrawCellsArea(FColCount, FTopLeft.Y, x, V.OutViewVisCellStart, {}, FInternalColor, right,
                      V.GridBoundary, true);
        if (clip) RestoreCanvasClip();
        if (FOptions.Contains(goExtendVertLines) && V.GridBoundary < V.ContraExtent)
            PaintExtendedVertLines(DrawInfo, H.ContraExtent, clNone, H.FullGridExtent);
    }
    if (FContraColCount > 0 && FContraRowCount > 0) {
        const int x = H.ContraExtent + H.EffectiveLineWidth, y = V.ContraExtent + V.EffectiveLineWidth;
        DrawLinesArea({x, y, H.FullGridExtent, V.FullGridExtent}, FColCount, FRowCount, Color(),
                      lc->GetCellLineColor(FColCount, FRowCount), dh, dv);
        DrawCellsArea(FColCount, FRowCount, x, y, {}, FInternalColor, H.FullGridExtent, V.FullGridExtent,
                      true);
    }
    PaintContraSeparators(DrawInfo);
}

// ---------------------------------------------------------------------------------------------
// The pipeline

void TCustomGridEh::Paint() {
    if (IsPaintLocked()) return;
    TCanvas* c = Canvas();
    const bool rtl = UseRightToLeftAlignment();
    const int cw = ClientWidth();
    QPainter* painter = c->Painter();
    if (rtl && painter) {
        painter->save();
        painter->setTransform(QTransform(-1, 0, 0, 1, cw, 0), true);
    }
    UpdateInternalColors();
    CalcDrawInfo(FPaintDrawInfo);
    const auto& H = FPaintDrawInfo.Horz;
    const auto& V = FPaintDrawInfo.Vert;
    auto* lc = FGridLineColors.get();

    if (IsBackgroundShowing()) FBackgroundData->PaintBackgroundData();
    FPaintClipRect = c->ClipRect();
    DrawOutBoundaryData();

    const bool contra = FContraColCount > 0 || FContraRowCount > 0;
    if (contra) SetCanvasClip({0, 0, H.ContraExtent, V.ContraExtent});

    const bool fv = FOptions.Contains(goFixedVertLine), fh = FOptions.Contains(goFixedHorzLine);
    const bool dv = FOptions.Contains(goVertLine), dh = FOptions.Contains(goHorzLine);
    const int frozenCol0 = FFixedCols - FFrozenColCount, frozenRow0 = FFixedRows - FFrozenRowCount;
    const bool hOfs = HasOffset(H.DataOffset), vOfs = HasOffset(V.DataOffset);

    // 6. Lines
    DrawLinesArea({H.NullBorderIndent, V.NullBorderIndent, H.FixedBoundary, V.NoFrozenBoundary}, 0, 0,
                  FFixedColor, lc->GetCellLineColor(0, 0), fh, fv);
    DrawLinesArea({H.NullBorderIndent, V.NoFrozenBoundary, H.NoFrozenBoundary, V.FixedBoundary}, 0,
                  frozenRow0, FFixedColor, lc->GetCellLineColor(0, frozenRow0), fh, fv);
    DrawLinesArea({H.NoFrozenBoundary, V.NoFrozenBoundary, H.FixedBoundary - 1, V.FixedBoundary - 1},
                  frozenCol0, frozenRow0, Color(), lc->GetCellLineColor(frozenCol0, frozenRow0), dh, dv);
    if (FFrozenRowCount > 0) {
        c->Pen()->SetColor(lc->GetFrozenRowBorderColor(FFixedCols - 1, FFixedRows - 1));
        DrawLineSet(H.NoFrozenBoundary, V.FixedBoundary - 1, 1, V.FixedBoundary - 1, H.FixedBoundary);
    }
    if (FFrozenColCount > 0) {
        c->Pen()->SetColor(lc->GetFrozenColBorderColor(FFixedCols - 1));
        DrawLineSet(H.FixedBoundary - 1, V.NoFrozenBoundary, 1, V.FixedBoundary, H.FixedBoundary - 1);
    }
    if (hOfs) SetCanvasClip({H.FixedBoundary, 0, H.GridBoundary, V.FixedBoundary});
    DrawLinesArea({H.OutViewVisCellStart, V.NullBorderIndent, H.GridBoundary, V.NoFrozenBoundary}, FTopLeft.X,
                  0, FFixedColor, lc->GetCellLineColor(FTopLeft.X, 0), fh, fv);
    DrawLinesArea({H.OutViewVisCellStart, V.NoFrozenBoundary, H.GridBoundary, V.FixedBoundary}, FTopLeft.X,
                  frozenRow0, Color(), lc->GetCellLineColor(FTopLeft.X, frozenRow0), dh, dv);
    if (FFrozenRowCount > 0) {
        c->Pen()->SetColor(lc->GetFrozenRowBorderColor(FTopLeft.X, FFixedRows - 1));
        DrawLineSet(H.FixedBoundary, V.FixedBoundary - 1, 1, V.FixedBoundary - 1, H.GridBoundary);
    }
    if (hOfs) RestoreCanvasClip();
    if (vOfs) SetCanvasClip({0, V.FixedBoundary, H.FixedBoundary, V.GridBoundary});
    DrawLinesArea({H.NullBorderIndent, V.OutViewVisCellStart, H.NoFrozenBoundary, V.GridBoundary}, 0,
                  FTopLeft.Y, FFixedColor, lc->GetCellLineColor(0, FTopLeft.Y), fh, fv);
    if (FFrozenColCount > 0) {
        DrawLinesArea({H.NoFrozenBoundary, V.OutViewVisCellStart, H.FixedBoundary - 1, V.GridBoundary},
                      frozenCol0, FTopLeft.Y, Color(), lc->GetCellLineColor(frozenCol0, FTopLeft.Y), dh, dv);
        c->Pen()->SetColor(lc->GetFrozenColBorderColor(FFixedCols - 1));
        DrawLineSet(H.FixedBoundary - 1, V.OutViewVisCellStart, 1, V.GridBoundary, H.FixedBoundary - 1);
    }
    if (vOfs) RestoreCanvasClip();
    if (hOfs || vOfs) SetCanvasClip({H.FixedBoundary, V.FixedBoundary, H.GridBoundary, V.GridBoundary});
    DrawLinesArea({H.OutViewVisCellStart, V.OutViewVisCellStart, H.GridBoundary, V.GridBoundary}, FTopLeft.X,
                  FTopLeft.Y, Color(), lc->GetCellLineColor(FTopLeft.X, FTopLeft.Y), dh, dv);
    if (hOfs || vOfs) RestoreCanvasClip();

    // 7. Cells
    DrawCellsArea(0, 0, H.NullBorderIndent, V.NullBorderIndent, {gdFixed}, FFixedColor, H.FixedBoundary,
                  V.NoFrozenBoundary);
    DrawCellsArea(0, frozenRow0, H.NullBorderIndent, V.NoFrozenBoundary, {gdFixed}, FFixedColor,
                  H.NoFrozenBoundary, V.FixedBoundary);
    DrawCellsArea(frozenCol0, frozenRow0, H.NoFrozenBoundary, V.NoFrozenBoundary, {}, FInternalColor,
                  H.FixedBoundary, V.FixedBoundary);
    if (hOfs) SetCanvasClip({H.FixedBoundary, 0, H.GridBoundary, V.FixedBoundary});
    DrawCellsArea(FTopLeft.X, 0, H.OutViewVisCellStart, V.NullBorderIndent, {gdFixed}, FFixedColor,
                  H.GridBoundary, V.NoFrozenBoundary);
    DrawCellsArea(FTopLeft.X, frozenRow0, H.OutViewVisCellStart, V.NoFrozenBoundary, {}, FInternalColor,
                  H.GridBoundary, V.FixedBoundary);
    if (hOfs) RestoreCanvasClip();
    if (vOfs) SetCanvasClip({0, V.FixedBoundary, H.FixedBoundary, V.GridBoundary});
    DrawCellsArea(0, FTopLeft.Y, H.NullBorderIndent, V.OutViewVisCellStart, {gdFixed}, FFixedColor,
                  H.NoFrozenBoundary, V.GridBoundary);
    DrawCellsArea(frozenCol0, FTopLeft.Y, H.NoFrozenBoundary, V.OutViewVisCellStart, {}, FInternalColor,
                  H.FixedBoundary, V.GridBoundary);
    if (vOfs) RestoreCanvasClip();
    if (hOfs || vOfs) SetCanvasClip({H.FixedBoundary, V.FixedBoundary, H.GridBoundary, V.GridBoundary});
    DrawCellsArea(FTopLeft.X, FTopLeft.Y, H.OutViewVisCellStart, V.OutViewVisCellStart, {}, FInternalColor,
                  H.GridBoundary, V.GridBoundary);
    if (hOfs || vOfs) RestoreCanvasClip();

    // 8. Row-select focus rectangle
    if (FOptions.Contains(goRowSelect) && FDefaultDrawing && !ComponentState().Contains(csDesigning) &&
        IsActiveControl()) {
        TRect r = GridRectToScreenRect(GetSelection(), FPaintDrawInfo, false);
        if (rtl) {
            const int l = cw - r.Right, rr = cw - r.Left;
            r.Left = l;
            r.Right = rr;
        }
        if (!IsRectEmpty(r)) c->DrawFocusRect(r);
    }

    // 9. Empty space
    if (H.GridBoundary < H.GridExtent)
        DrawEmptySpace(-1, 0, FPaintDrawInfo, H.GridBoundary, V.NullBorderIndent, H.GridExtent,
                       V.GridBoundary);
    if (V.GridBoundary < V.GridExtent) {
        DrawEmptySpace(0, -1, FPaintDrawInfo, H.NullBorderIndent, V.GridBoundary, H.FixedBoundary - 1,
                       V.GridExtent);
        DrawEmptySpace(0, -1, FPaintDrawInfo, H.FixedBoundary, V.GridBoundary, H.GridExtent, V.GridExtent);
    }

    // 10. Contra areas
    if (contra) RestoreCanvasClip();
    PaintContraAreas(FPaintDrawInfo);
    while (FClipDepth > 0)
        RestoreCanvasClip();

    // The sizing line of a drag in progress, in XOR so that it shows on any colour.
    if (FSizingLineShown) {
        const TPenMode mode = c->Pen()->Mode();
        c->Brush()->SetColor(clWindow);
        c->Pen()->SetColor(clWindow);
        c->Pen()->SetMode(pmXor);
        c->MoveTo(FSizingLineRect.Left, FSizingLineRect.Top);
        if (FSizingLineRect.Width() == 1)
            c->LineTo(FSizingLineRect.Left, FSizingLineRect.Bottom);
        else
            c->LineTo(FSizingLineRect.Right, FSizingLineRect.Top);
        c->Pen()->SetMode(mode);
    }

    // 11.
    if (rtl && painter) painter->restore();
}
