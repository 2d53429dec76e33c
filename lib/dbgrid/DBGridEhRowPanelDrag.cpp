// Feedback while the row panel's title cells are dragged: the sizing line of a panel border, and
// moving a panel column to another place with the drag box, the insert line and the automatic
// scrolling of the panel while the box leaves the grid sideways. A drag that reaches the
// grouping panel is handed over to it.
//
// The lines and the box outline cannot be drawn into the window outside a paint, so each is kept
// as a rectangle and drawn in XOR after the cells (PaintRowPanelDragFeedback); drawing one again
// at the same place takes it away. The drag box and the insert marker are also the shared
// pop-up windows of the grids, which float above whatever lies under them.
//
// Coordinates: FDragCellRect, FTopLeftCellOffset and the column moving arithmetic are in
// left-to-right terms; right to left they are mirrored only where the box or a line is shown.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhGrouping.h"

#include "platform/ui/Graphics.h"

#include <QScopeGuard>

#include <algorithm>

namespace {

// The grey of the insert line.
constexpr TColor MarkerColor = TColor(8421504);
// Interval of the scrolling timer while the drag box stands beside the panel.
constexpr int AutoScrollInterval = 60;

TRect Mirrored(const TRect& R, int Width) {
    return TRect(Width - R.Right, R.Top, Width - R.Left, R.Bottom);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The sizing line

bool TCustomDBGridEh::IsRowPanelTitleCell(int X, int Y) {
    if (!RowPanelMode() || !FOptions.Contains(dgTitles)) return false;
    const TGridCoord cell = MouseCoord(X, Y);
    return cell.Y == 0 && cell.X >= FIndicatorOffset;
}

void TCustomDBGridEh::CalcSizingLineExtent(const TGridDrawInfoEh& DrawInfo, int& Start, int& Finish) {
    // With Shift held at the press only the sized column changes, and the line says so.
    if (RowPanelMode() && FRowPanelSizing && FStartShiftState.Contains(ssShift))
        if (TColumnEh* c = DataColumn(FSizingIndex)) {
            const TRect r = RowPanelColumnRect(0, c, true);
            Start = FRowPanelLineSizing ? r.Left : r.Top;
            Finish = FRowPanelLineSizing ? r.Right : r.Bottom;
            return;
        }
    TCustomDBAxisGridEh::CalcSizingLineExtent(DrawInfo, Start, Finish);
}

void TCustomDBGridEh::DrawSizingLineXor(int Width, int Height) {
    TCanvas* c = Canvas();
    TPen* pen = c->Pen();
    const TColor color = pen->Color();
    const TPenStyle style = pen->Style();
    const int width = pen->Width();
    const TPenMode mode = pen->Mode();
    const auto restore = qScopeGuard([&] {
        pen->SetColor(color);
        pen->SetStyle(style);
        pen->SetWidth(width);
        pen->SetMode(mode);
    });
    pen->SetColor(clWhite);
    pen->SetStyle(psDot);
    pen->SetWidth(1);
    pen->SetMode(pmXor);
    if (GridState() == gsRowSizing) {
        c->MoveTo(0, FSizingPos);
        c->LineTo(Width, FSizingPos);
    } else {
        c->MoveTo(FSizingPos, 0);
        c->LineTo(FSizingPos, Height);
    }
}

// ---------------------------------------------------------------------------------------------
// Painting and hiding the feedback

void TCustomDBGridEh::PaintRowPanelDragFeedback() {
    if (FRowPanelSizingLineShown) {
        // The line runs across the client; the clip keeps it to its extent.
        SetCanvasClip(FRowPanelSizingLineRect);
        const auto unclip = qScopeGuard([this] { RestoreCanvasClip(); });
        DrawSizingLineXor(ClientWidth(), ClientHeight());
    }
    if (!FColMovingMarkerShown && !FDragCellFrameShown) return;
    TCanvas* c = Canvas();
    TPen* pen = c->Pen();
    TBrush* brush = c->Brush();
    const TColor penColor = pen->Color(), brushColor = brush->Color();
    const TPenStyle penStyle = pen->Style();
    const int penWidth = pen->Width();
    const TPenMode penMode = pen->Mode();
    const TBrushStyle brushStyle = brush->Style();
    const auto restore = qScopeGuard([&] {
        pen->SetColor(penColor);
        pen->SetStyle(penStyle);
        pen->SetWidth(penWidth);
        pen->SetMode(penMode);
        brush->SetColor(brushColor);
        brush->SetStyle(brushStyle);
    });
    pen->SetWidth(1);
    pen->SetMode(pmXor);
    if (FColMovingMarkerShown) {
        pen->SetColor(MarkerColor);
        pen->SetStyle(psDot);
        brush->SetColor(MarkerColor);
        const TRect& m = FColMovingMarkerRect;
        for (int x = m.Left; x < m.Right; ++x) {
            c->MoveTo(x, m.Top);
            c->LineTo(x, m.Bottom);
        }
    }
    if (FDragCellFrameShown) {
        pen->SetColor(clWhite);
        pen->SetStyle(psSolid);
        brush->SetStyle(bsClear);
        const TRect& r = FDragCellFrameRect;
        c->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
    }
}

void TCustomDBGridEh::HideRowPanelDragFeedback() {
    if (FRowPanelSizingLineShown) InvalidateClientRect(FRowPanelSizingLineRect);
    if (FColMovingMarkerShown) InvalidateClientRect(FColMovingMarkerRect);
    if (FDragCellFrameShown) InvalidateClientRect(FDragCellFrameRect);
    FRowPanelSizingLineShown = FColMovingMarkerShown = FDragCellFrameShown = false;
}

// ---------------------------------------------------------------------------------------------
// Moving a panel column

void TCustomDBGridEh::BeginRowPanelColMoving(TShiftState Shift, int X, int Index, int Y) {
    (void)Shift;
    (void)X;
    (void)Y;
    TColumnEh* c = DataColumn(Index);
    if (!c) return;
    const TColumnEhInRowPanelPlacement& p = c->RowPlacement();
    BeginColMoving(TRect(p.Left, p.Top, p.Left + p.Width, p.Top + p.Height), Index);
}

void TCustomDBGridEh::BeginColMoving(const TRect& CellRect, int Index) {
    const bool rtl = UseRightToLeftAlignment();
    const int cw = ClientWidth();
    TRect ref = this->CellRect(FIndicatorOffset, 0);
    TPoint down = FDownMousePos, move = FMoveMousePos;
    if (rtl) {
        ref = Mirrored(ref, cw);
        down.X = cw - down.X;
        move.X = cw - move.X;
    }
    if (FTracking) {
        // The title stops being a pressed button; the mouse stays with the grid for the drag.
        CancelTracking();
        Invalidate();
        SetMouseCapture(true);
    }
    if (!MouseCapture()) SetMouseCapture(true);
    FPressedDataCol = Index;
    FGridState = gsColMoving;
    FRowPanelMoving = true;
    FToMoveColumnIndex = Index;
    TColumnEh* moved = DataColumn(Index);
    FToMoveInRowLinePos = moved ? moved->InRowLinePos() : 0;
    FTopLeftCellOffset =
        TPoint{CellRect.Left + ref.Left - down.X - LeftColOffset(), CellRect.Top + ref.Top - down.Y};
    DrawColMovingMarker(true);
    FDragCellRect = TRect(move.X + FTopLeftCellOffset.X, move.Y + FTopLeftCellOffset.Y,
                          move.X + FTopLeftCellOffset.X + CellRect.Width(),
                          move.Y + FTopLeftCellOffset.Y + CellRect.Height());
    const TRect shown = rtl ? Mirrored(FDragCellRect, cw) : FDragCellRect;
    GetGridDragBox()->StartShow(this, TPoint{shown.Left, shown.Top}, shown.Height(), shown.Width());
    DrawColMovingMarker(false);
}

bool TCustomDBGridEh::RowPanelDragAutoScroll(int Direction) {
    if (Direction == 0) return false;
    const int before = LeftColOffset();
    SmoothScrollBy(Direction * std::max(1, GetHorzScrollStep() / 2), 0);
    if (LeftColOffset() == before) {
        StopTimer();
        return false;
    }
    Update();
    StartTimer(AutoScrollInterval);
    return true;
}

void TCustomDBGridEh::TrackRowPanelColMoving(TShiftState Shift, int X, int Y) {
    if (!FRowPanelMoving) return;
    const bool rtl = UseRightToLeftAlignment();
    const int cw = ClientWidth();
    TRect ref = CellRect(FIndicatorOffset, 0);
    if (rtl) {
        ref = Mirrored(ref, cw);
        X = cw - X;
    }
    const int y = std::max(0, Y + FTopLeftCellOffset.Y);
    // The box's top reaching the grouping panel makes it a grouping drag.
    if (FDataGrouping && FDataGrouping->GroupPanelVisible() && y < OutBoundaryData()->TopIndent() &&
        y >= FDataGrouping->Top()) {
        const int pressed = FPressedDataCol;
        EndColMoving(Shift, X, false, Y);
        FPressedDataCol = pressed;
        FGroupDataMovingIndex = -1;
        SetMouseCapture(true);
        BeginGroupPanelTitleMoving(Shift, rtl ? cw - X : X, Y);
        return;
    }
    const int L = std::max(1, InRowPanelLineHeight());
    int line = std::clamp((y - ref.Top) / L, 0, FGridMasterCellHeight / L);
    // The target: the column on that height whose right edge is the nearest left of the mouse.
    const int mx = X - ref.Left + LeftColOffset();
    int target = -1, best = -1;
    for (int i = 0; i < Columns()->Count(); ++i) {
        TColumnEh* c = Columns()->Columns(i);
        if (!c->Visible()) continue;
        const TColumnEhInRowPanelPlacement& p = c->RowPlacement();
        const int right = p.Left + p.Width;
        if (y >= ref.Top + p.Top && y <= ref.Top + p.Top + p.Height && right < mx && right > best) {
            best = right;
            target = i;
        }
    }
    TRect rect = FDragCellRect;
    rect.Offset(X + FTopLeftCellOffset.X - rect.Left, Y + FTopLeftCellOffset.Y - rect.Top);
    auto placeBox = [&] {
        FDragCellRect = rect;
        const TRect shown = rtl ? Mirrored(rect, cw) : rect;
        GetGridDragBox()->MoveToFor(this, TPoint{shown.Left, shown.Top});
        DrawColMovingMarker(false);
    };
    // Scrolling goes towards the side of the client area the box leaves (in the panel's own
    // terms, which right to left are mirrored like the box).
    auto leaving = [&](const TRect& r, int dx) {
        if (dx > 0 && r.Right > cw) return 1;
        if (dx < 0 && r.Left < 0) return -1;
        return 0;
    };
    if (rect != FDragCellRect) {
        const int dir = leaving(rect, rect.Left - FDragCellRect.Left);
        if (dir != 0) {
            if (RowPanelDragAutoScroll(dir)) {
                placeBox();
                DrawColMovingMarker(true);
            }
        } else {
            StopTimer();
            placeBox();
        }
    } else if (TimerActive()) {
        const int dir = rect.Right > cw ? leaving(rect, 1) : leaving(rect, -1);
        if (RowPanelDragAutoScroll(dir)) DrawColMovingMarker(true);
    }
    if ((target != FToMoveColumnIndex || line != FToMoveInRowLinePos) && target != FPressedDataCol) {
        FToMoveColumnIndex = target;
        FToMoveInRowLinePos = line;
        DrawColMovingMarker(true);
    }
}

void TCustomDBGridEh::DrawColMovingMarker(bool Show) {
    const bool rtl = UseRightToLeftAlignment();
    const int cw = ClientWidth();
    if (!Show) {
        // The outline of the drag box.
        if (FDragCellFrameShown) InvalidateClientRect(FDragCellFrameRect);
        FDragCellFrameRect = rtl ? Mirrored(FDragCellRect, cw) : FDragCellRect;
        FDragCellFrameShown = true;
        InvalidateClientRect(FDragCellFrameRect);
        return;
    }
    TColumnEh* moved = DataColumn(FPressedDataCol);
    if (!moved) return;
    TRect ref = CellRect(FIndicatorOffset, 0);
    if (rtl) ref = Mirrored(ref, cw);
    const int a = InRowPanelLineHeight() + (FOptions.Contains(dgColLines) ? GridLineWidth() : 0);
    int x = ref.Left - 1;
    if (TColumnEh* t = DataColumn(FToMoveColumnIndex))
        x = ref.Left + t->RowPlacement().Left + t->RowPlacement().Width - LeftColOffset();
    const int y = ref.Top + a * FToMoveInRowLinePos;
    const int h = std::max(1, moved->RowPlacement().Height);
    if (rtl) x = cw - x - 1;
    if (FColMovingMarkerShown) InvalidateClientRect(FColMovingMarkerRect);
    FColMovingMarkerRect = TRect(x, y, x + 1, y + h);
    FColMovingMarkerShown = true;
    InvalidateClientRect(FColMovingMarkerRect);
    TGridMoveLineEh* line = GetGridMoveLine();
    if (line->Visible() && line->IsVert())
        line->MoveToFor(this, TPoint{x, y});
    else
        line->StartShow(this, TPoint{x, y}, h, true);
}

void TCustomDBGridEh::EndColMoving(TShiftState Shift, int X, bool Apply, int Y) {
    (void)Shift;
    (void)X;
    (void)Y;
    GetGridMoveLine()->SetVisible(false);
    GetGridDragBox()->SetVisible(false);
    HideRowPanelDragFeedback();
    StopTimer();
    FRowPanelMoving = false;
    FGridState = gsNormal;
    if (MouseCapture()) SetMouseCapture(false);
    TColumnEh* moved = DataColumn(FPressedDataCol);
    TColumnEh* target = DataColumn(FToMoveColumnIndex);
    const int line = FToMoveInRowLinePos;
    const int levelIndex = FGroupDataMovingIndex;
    FPressedDataCol = -1;
    FToMoveColumnIndex = -1;
    FGroupDataMovingIndex = -1;
    if (!Apply || !moved) return;
    TDBGridColumnsEh* cols = Columns();
    if (target != moved) {
        cols->BeginUpdate();
        const auto end = qScopeGuard([cols] { cols->EndUpdate(); });
        moved->SetInRowLinePos(line);
        int t = -1;
        if (target) {
            // The last column (by index) that ends no further right than the target.
            const int right = target->RowPlacement().Left + target->RowPlacement().Width;
            t = target->Index();
            for (int i = 0; i < cols->Count(); ++i) {
                const TColumnEhInRowPanelPlacement& p = cols->Columns(i)->RowPlacement();
                if (cols->Columns(i) != moved && p.Left + p.Width <= right) t = std::max(t, i);
            }
        }
        const int to = moved->Index() <= t ? t : std::min(t + 1, cols->Count() - 1);
        moved->SetIndex(std::max(0, to));
    }
    // A level's column dragged out of the grouping panel shows again, and the level goes.
    if (levelIndex >= 0 && FDataGrouping && levelIndex < FDataGrouping->ActiveGroupLevelsCount()) {
        moved->SetVisible(true);
        FDataGrouping->ActiveGroupLevels(levelIndex)->Free();
    }
}
