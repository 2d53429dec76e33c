// Keyboard, mouse and the grid's timer: navigation keys, selecting with auto-scroll, sizing and
// moving lines, hot tracking, the cell mouse events and the window messages of the grid.
//
// FGridState is gsNormal except between a button press and its release (or a cancel mode); the
// timer (id 1) runs only while selecting or moving.

#include "lib/grids/GridsEh.h"

#include "platform/ui/Forms.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr UINT_PTR GridTimerId = 1;

TShiftState ShiftOfKeys(WPARAM Keys) {
    return KeysToShiftState(Word(Keys));
}

TPoint PointOfLParam(LPARAM LParam) {
    return {GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Defaults of the overridable decisions

void TCustomGridEh::HideMoveLine() {
    GetGridMoveLine()->SetVisible(false);
}

bool TCustomGridEh::BeginColumnDrag(int&, int&, const TPoint&) {
    return true;
}
bool TCustomGridEh::BeginRowDrag(int&, int&, const TPoint&) {
    return true;
}
bool TCustomGridEh::CheckColumnDrag(int&, int&, const TPoint&) {
    return true;
}
bool TCustomGridEh::CheckRowDrag(int&, int&, const TPoint&) {
    return true;
}
bool TCustomGridEh::EndColumnDrag(int& Origin, int& Destination, const TPoint&) {
    if (Origin < Destination && !FMovePosRightSite) --Destination;
    return true;
}
bool TCustomGridEh::EndRowDrag(int&, int&, const TPoint&) {
    return true;
}
bool TCustomGridEh::CanGridAcceptKey(Word, TShiftState) {
    return true;
}
bool TCustomGridEh::CanCellClick(TMessage& Message) {
    const TPoint p = PointOfLParam(Message.LParam);
    return FGridState == gsNormal && p.X >= 0 && p.Y >= 0;
}
bool TCustomGridEh::CanCellDblClick(const TGridCoord&, TMouseButton, const TPoint&, const TPoint&,
                                    TShiftState) {
    return true;
}
bool TCustomGridEh::CanHotTrackCell(int, int) {
    return false;
}
bool TCustomGridEh::CanSelectCell(int, int) {
    return true;
}
TGridState TCustomGridEh::CalcSizingStateAt(int X, int Y) {
    if (FGridState != gsNormal) return FGridState;
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    int ofs = 0, pos = 0, index = -1;
    TGridState st = gsNormal;
    CalcSizingState(X, Y, di, ofs, pos, index, st);
    return st;
}
bool TCustomGridEh::CanSizeAt(int X, int Y) {
    return CalcSizingStateAt(X, Y) != gsNormal;
}
TGridHotTrackSpotEh* TCustomGridEh::CreateHotTrackSpot() {
    return new TGridHotTrackSpotEh();
}
bool TCustomGridEh::HotTrackSpotsEqual(TGridHotTrackSpotEh* Spot1, TGridHotTrackSpotEh* Spot2) {
    return Spot1->Col() == Spot2->Col() && Spot1->Row() == Spot2->Row();
}
void TCustomGridEh::ColumnMoved(int, int) {}
void TCustomGridEh::RowMoved(int, int) {}
void TCustomGridEh::CurrentCellMoved(const TGridCoord&) {}
void TCustomGridEh::FlatChanged() {}
void TCustomGridEh::SizeChanged(int, int) {}
void TCustomGridEh::OutBoundaryDataChanged() {
    InvalidateGrid();
}
void TCustomGridEh::DefaultCellMouseClick(const TGridCoord&, TMouseButton, TShiftState, int, int) {}
void TCustomGridEh::DefaultCellMouseDown(const TGridCoord&, TMouseButton, TShiftState, int, int) {}

bool TCustomGridEh::IsDblClickAllowed(TMessage& Message) {
    TMouseButton button = mbLeft;
    if (Message.Msg == WM_RBUTTONDBLCLK)
        button = mbRight;
    else if (Message.Msg == WM_MBUTTONDBLCLK)
        button = mbMiddle;
    TShiftState shift = ShiftOfKeys(Message.WParam);
    shift.Include(ssDouble);
    const TPoint p = PointOfLParam(Message.LParam);
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const TGridCoord cell = CalcCoordFromPoint(p.X, p.Y, di);
    if (cell.X < 0 || cell.Y < 0) return true;
    const TRect r = CellRect(cell.X, cell.Y);
    return CanCellDblClick(cell, button, {p.X - r.Left, p.Y - r.Top}, p, shift);
}

// ---------------------------------------------------------------------------------------------
// Cell mouse events

void TCustomGridEh::CellMouseClick(const TGridCoord& Cell, TMouseButton Button, TShiftState Shift, int X,
                                   int Y) {
    bool processed = false;
    if (OnCellMouseClick) OnCellMouseClick(this, Cell, Button, Shift, X, Y, processed);
    if (!processed) DefaultCellMouseClick(Cell, Button, Shift, X, Y);
}

void TCustomGridEh::CellMouseDown(const TGridCoord& Cell, TMouseButton Button, TShiftState Shift, int X,
                                  int Y) {
    bool processed = false;
    if (OnCellMouseDown) OnCellMouseDown(this, Cell, Button, Shift, X, Y, processed);
    if (!processed) DefaultCellMouseDown(Cell, Button, Shift, X, Y);
}

void TCustomGridEh::HandleCellMouseDown(TMessage& Message, TMouseButton Button) {
    if (FInplaceEdit) FInplaceEdit->FClickTime = GetMessageTime();
    const TPoint p = PointOfLParam(Message.LParam);
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    FMouseDownCell = CalcCoordFromPoint(p.X, p.Y, di);
    if (FMouseDownCell.X >= 0 || FMouseDownCell.Y >= 0) {
        const TRect r = GridRectToScreenRect(
            {FMouseDownCell.X, FMouseDownCell.Y, FMouseDownCell.X, FMouseDownCell.Y}, di, false);
        CellMouseDown(FMouseDownCell, Button, ShiftOfKeys(Message.WParam), p.X - r.Left, p.Y - r.Top);
    } else {
        FMouseDownCell = {-1, -1};
    }
}

void TCustomGridEh::HandleCellMouseUp(TMessage& Message, TMouseButton Button, bool Dbl) {
    const TPoint p = PointOfLParam(Message.LParam);
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const TGridCoord cell = CalcCoordFromPoint(p.X, p.Y, di);
    if (cell.X >= 0 && cell.Y >= 0 && cell == FMouseDownCell) {
        TShiftState shift = ShiftOfKeys(Message.WParam);
        if (Dbl) shift.Include(ssDouble);
        const TRect r = GridRectToScreenRect({cell.X, cell.Y, cell.X, cell.Y}, di, false);
        CellMouseClick(cell, Button, shift, p.X - r.Left, p.Y - r.Top);
    }
}

// ---------------------------------------------------------------------------------------------
// Keyboard

void TCustomGridEh::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    if (!CanGridAcceptKey(Key, Shift)) {
        Key = 0;
        return;
    }
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    TGridCoord c = FCurrent, t = FTopLeft;
    const int pageWidth = std::max(1, di.Horz.LastFullVisibleCell - FTopLeft.X);
    const int pageHeight = std::max(1, di.Vert.LastFullVisibleCell - FTopLeft.Y);
    const int d = UseRightToLeftAlignment() ? -1 : 1;
    const bool rowSelect = FOptions.Contains(goRowSelect);
    if (Shift.Contains(ssCtrl)) {
        switch (Key) {
        case VK_PRIOR:
            c.Y = FTopLeft.Y;
            break;
        case VK_NEXT:
            c.Y = di.Vert.LastFullVisibleCell;
            break;
        case VK_END:
            c = {FColCount - 1, FRowCount - 1};
            break;
        case VK_HOME:
            c = {FFixedCols, FFixedRows};
            break;
        case VK_LEFT:
            if (!rowSelect) {
                c.X -= d * pageWidth;
                t.X -= d * pageWidth;
            }
            break;
        case VK_RIGHT:
            if (!rowSelect) {
                c.X += d * pageWidth;
                t.X += d * pageWidth;
            }
            break;
        case VK_UP:
            t.Y -= 1;
            break;
        case VK_DOWN:
            t.Y += 1;
            break;
        default:
            break;
        }
    } else {
        switch (Key) {
        case VK_TAB:
            if (!Shift.Contains(ssAlt)) {
                // Steps over the columns that are no tab stops, wrapping over the rows.
                TGridCoord n = FCurrent;
                do {
                    if (Shift.Contains(ssShift)) {
                        if (--n.X < FFixedCols) {
                            n.X = FColCount - 1;
                            if (--n.Y < FFixedRows) n.Y = FRowCount - 1;
                        }
                    } else {
                        if (++n.X > FColCount - 1) {
                            n.X = FFixedCols;
                            if (++n.Y > FRowCount - 1) n.Y = FFixedRows;
                        }
                    }
                } while (!GetTabStops(n.X) && n.X != FCurrent.X);
                // Back at the current column: it is the only tab stop and the cell stays.
                c = n.X == FCurrent.X ? FCurrent : n;
                if (c != FCurrent) MoveToCell(c.X, c.Y, true);
                Key = 0;
                return;
            }
            break;
        case VK_PRIOR:
            c.Y -= pageHeight;
            t.Y -= pageHeight;
            break;
        case VK_NEXT:
            c.Y += pageHeight;
            t.Y += pageHeight;
            break;
        case VK_END:
            if (rowSelect)
                c.Y = FRowCount - 1;
            else
                c.X = FColCount - 1;
            break;
        case VK_HOME:
            if (rowSelect)
                c.Y = FFixedRows;
            else
                c.X = FFixedCols;
            break;
        case VK_LEFT:
            if (rowSelect) {
                SmoothScrollBy(-GetHorzScrollStep(), 0);
                return;
            }
            c.X -= d;
            break;
        case VK_RIGHT:
            if (rowSelect) {
                SmoothScrollBy(GetHorzScrollStep(), 0);
                return;
            }
            c.X += d;
            break;
        case VK_UP:
            c.Y -= 1;
            break;
        case VK_DOWN:
            c.Y += 1;
            break;
        case VK_F2:
            SetEditorMode(true);
            break;
        default:
            break;
        }
    }
    const TGridCoord m = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, di);
    t.X = std::clamp(t.X, FFixedCols, std::max(FFixedCols, m.X));
    t.Y = std::clamp(t.Y, FFixedRows, std::max(FFixedRows, m.Y));
    if (t != FTopLeft) MoveTopLeft(t.X, t.Y);
    c.X = std::clamp(c.X, std::max(0, FFixedCols - FFrozenColCount), FColCount - 1);
    c.Y = std::clamp(c.Y, std::max(0, FFixedRows - FFrozenRowCount), FRowCount - 1);
    if (c != FCurrent) MoveToCell(c.X, c.Y, !Shift.Contains(ssShift));
    if (Shift.Contains(ssCtrl) && (Key == VK_END || Key == VK_HOME) && UseRightToLeftAlignment())
        InvalidateGrid();
}

void TCustomGridEh::KeyPress(Char& Key) {
    TCustomControl::KeyPress(Key);
    if (Key == Char(VK_RETURN) && FOptions.Contains(goEditing) && !FOptions.Contains(goAlwaysShowEditor)) {
        if (FEditorMode)
            HideEditor();
        else
            ShowEditor();
        Key = Char(0);
    }
}

// ---------------------------------------------------------------------------------------------
// Sizing

TGridOptions TCustomGridEh::EffectiveOptions() {
    TGridOptions o = FOptions;
    if (ComponentState().Contains(csDesigning)) o += DesignOptionsBoost;
    return o;
}

void TCustomGridEh::CalcAxisSizingState(int P, int Zone, const TGridAxisDrawInfoEh& A, TGridState AxisState,
                                        int& Ofs, int& Pos, int& Index, TGridState& State) {
    const int l = A.EffectiveLineWidth;
    int h = 0, zone = l;
    if (Zone > l) {
        zone = Zone;
        h = (Zone - l) / 2;
    }
    auto hit = [&](int e, int index) {
        if (e - h <= P && P <= e - h + zone) {
            State = AxisState;
            Pos = e;
            Ofs = e - P;
            Index = index;
            return true;
        }
        return false;
    };
    // 1. frozen lines
    int e = A.NoFrozenBoundary;
    for (int i = A.FixedCellCount - A.FrozenCelCount; i < A.FixedCellCount; ++i) {
        if (i < 0) continue;
        e += A.GetExtent(i);
        if (e > A.GridBoundary) break;
        if (hit(e, i)) return;
        e += l;
    }
    // 2. data lines
    e = A.FixedBoundary - A.DataOffset;
    for (int i = A.FirstGridCell; i < A.GridCellCount; ++i) {
        e += A.GetExtent(i);
        if (e > A.GridBoundary) break;
        if (e >= A.FixedBoundary && hit(e, i)) return;
        e += l;
    }
    // 3. the last visible data line cut at the grid's end
    if (A.GridBoundary == A.GridExtent && A.GridExtent - h <= P && P <= A.GridExtent) {
        State = AxisState;
        Pos = A.GridExtent;
        Ofs = A.GridExtent - P;
        const bool someFull = A.FullVisBoundary > A.FixedBoundary;
        Index = someFull ? A.LastFullVisibleCell + 1 : A.LastFullVisibleCell;
        if (Index >= A.GridCellCount) Index = A.GridCellCount - 1;
        return;
    }
    if (A.ContraCelCount > 0) {
        // 4. the left (top) border of the first contra line
        if (A.ContraExtent <= P && P <= A.GridExtent + h) {
            State = AxisState;
            Pos = A.GridExtent;
            Ofs = A.GridExtent - P;
            Index = A.GridCellCount;
            return;
        }
        // 5. borders between contra lines size the line after them
        e = A.ContraExtent + l;
        for (int i = A.GridCellCount; i < A.FullGridCellCount - 1; ++i) {
            e += A.GetExtent(i);
            if (e > A.FullGridBoundary) break;
            if (hit(e, i + 1)) return;
            e += l;
        }
    }
}

void TCustomGridEh::CalcSizingState(int X, int Y, const TGridDrawInfoEh& DrawInfo, int& Ofs, int& Pos,
                                    int& Index, TGridState& State) {
    State = gsNormal;
    Index = -1;
    const TGridOptions o = EffectiveOptions();
    if (!o.Contains(goColSizing) && !o.Contains(goRowSizing)) return;
    const auto& H = DrawInfo.Horz;
    const auto& V = DrawInfo.Vert;
    const bool rtl = UseRightToLeftAlignment();
    const int px = rtl ? ClientWidth() - X : X;
    if (px > H.NoFrozenBoundary && o.Contains(goColSizing) && Y >= V.NullBorderIndent &&
        Y < V.NoFrozenBoundary) {
        CalcAxisSizingState(px, 7, H, gsColSizing, Ofs, Pos, Index, State);
    } else if (Y > V.NoFrozenBoundary && o.Contains(goRowSizing) && px < H.NoFrozenBoundary) {
        CalcAxisSizingState(Y, 5, V, gsRowSizing, Ofs, Pos, Index, State);
    }
}

int TCustomGridEh::CalcNewLineSize(const TGridDrawInfoEh& DrawInfo) {
    const bool rows = FGridState == gsRowSizing;
    const auto& A = rows ? DrawInfo.Vert : DrawInfo.Horz;
    const int l = A.EffectiveLineWidth;
    const int idx = FSizingIndex;
    if (idx < A.FixedCellCount) {
        int s = A.NullBorderIndent;
        for (int i = 0; i < idx; ++i)
            s += A.GetExtent(i) + l;
        return FSizingPos - s;
    }
    if (idx < A.GridCellCount) {
        int s = A.FixedBoundary - A.DataOffset;
        for (int i = A.FirstGridCell; i < idx; ++i)
            s += A.GetExtent(i) + l;
        return FSizingPos - s;
    }
    int s = A.ContraExtent - l;
    for (int i = A.GridCellCount; i <= idx; ++i)
        s += A.GetExtent(i) + l;
    return s - FSizingPos;
}

void TCustomGridEh::CalcSizingLineExtent(const TGridDrawInfoEh& DrawInfo, int& Start, int& Finish) {
    if (FGridState == gsColSizing) {
        Start = DrawInfo.Vert.NullBorderIndent;
        Finish = FOptions.Contains(goExtendVertLines) ? DrawInfo.Vert.FullGridExtent
                                                      : DrawInfo.Vert.FullGridBoundary;
    } else {
        if (UseRightToLeftAlignment()) {
            Start = DrawInfo.Horz.FullGridExtent;
            Finish = DrawInfo.Horz.FullGridExtent - DrawInfo.Horz.FullGridBoundary;
        } else {
            Start = DrawInfo.Horz.NullBorderIndent;
            Finish = DrawInfo.Horz.FullGridBoundary;
        }
    }
}

// The line is kept as state and drawn in XOR at the end of the paint: drawing it again erases it.
void TCustomGridEh::DrawSizingLine(const TGridDrawInfoEh& DrawInfo) {
    int start = 0, finish = 0;
    CalcSizingLineExtent(DrawInfo, start, finish);
    if (start > finish) std::swap(start, finish);
    TRect r = FGridState == gsColSizing ? TRect{FSizingPos, start, FSizingPos + 1, finish}
                                        : TRect{start, FSizingPos, finish, FSizingPos + 1};
    if (FSizingLineShown) {
        InvalidateClientRect(FSizingLineRect);
        FSizingLineShown = false;
        if (FSizingLineRect == r) return;
    }
    FSizingLineRect = r;
    FSizingLineShown = true;
    InvalidateClientRect(r);
}

void TCustomGridEh::HideSizingLine() {
    if (!FSizingLineShown) return;
    FSizingLineShown = false;
    InvalidateClientRect(FSizingLineRect);
}

// ---------------------------------------------------------------------------------------------
// Moving

void TCustomGridEh::ShowMoveLine() {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    auto* ml = GetGridMoveLine();
    TPoint pos;
    int size;
    bool vert;
    if (FGridState == gsRowMoving) {
        const TRect r = GridRectToScreenRect({0, FMovePos, 0, FMovePos}, di, false);
        int top = LinePos(di.Vert, FMovePos);
        if (FMoveIndex < FMovePos) top = top + GetRowHeights(FMovePos);
        (void)r;
        pos = {di.Horz.NullBorderIndent, top};
        size = di.Horz.FullGridBoundary - di.Horz.NullBorderIndent;
        vert = false;
    } else {
        const int left = LinePos(di.Horz, FMovePos);
        int x = FMovePosRightSite ? left + GetColWidths(FMovePos) : left - 1;
        if (UseRightToLeftAlignment()) x = ClientWidth() - x - 1;
        pos = {x, di.Vert.NullBorderIndent};
        size = (FOptions.Contains(goExtendVertLines) ? di.Vert.FullGridExtent : di.Vert.FullGridBoundary) -
               di.Vert.NullBorderIndent;
        vert = true;
    }
    if (ml->Visible() && ml->IsVert() == vert)
        ml->MoveToFor(this, pos);
    else
        ml->StartShow(this, pos, size, vert);
}

bool TCustomGridEh::MoveCandidateSide(int Target, int MouseAlongAxis, const TGridDrawInfoEh& DrawInfo,
                                      bool IsCols) {
    bool r = FMoveIndex < Target;
    if (IsCols && GetColWidths(FMoveIndex) < 1) {
        // A zero-width moved column: the first column after the zero-width run that follows it,
        // pressed in its left half, takes the marker on its near side.
        int first = FMoveIndex + 1;
        while (first < FColCount && GetColWidths(first) <= 0)
            ++first;
        if (Target == first) {
            const int left = LinePos(DrawInfo.Horz, Target);
            if (MouseAlongAxis < left + GetColWidths(Target) / 2) r = false;
        }
    }
    return r;
}

void TCustomGridEh::StartColumnMoving(int ACol, int X, const TGridDrawInfoEh& DrawInfo, int Y) {
    (void)Y;
    FMoveIndex = ACol;
    const int px = UseRightToLeftAlignment() ? ClientWidth() - X : X;
    int target = CalcAxisCoord(X, DrawInfo.Horz, true);
    if (target < FTopLeft.X) target = FTopLeft.X;
    FMovePos = target;
    FMovePosRightSite = MoveCandidateSide(FMovePos, px, DrawInfo, true);
    FGridState = gsColMoving;
    Update();
    ShowMoveLine();
    StartGridTimer(60);
}

void TCustomGridEh::StartRowMoving(int ARow) {
    FMoveIndex = FMovePos = ARow;
    FGridState = gsRowMoving;
    Update();
    ShowMoveLine();
    StartGridTimer(60);
}

void TCustomGridEh::MoveAndScroll(int Mouse, int CellHit, TGridDrawInfoEh& DrawInfo,
                                  TGridAxisDrawInfoEh& Axis, bool IsCols, const TPoint& MousePt) {
    (void)Axis;
    if (IsCols && UseRightToLeftAlignment()) Mouse = ClientWidth() - Mouse;
    auto axis = [&]() -> const TGridAxisDrawInfoEh& { return IsCols ? DrawInfo.Horz : DrawInfo.Vert; };
    int v = CellHit;
    bool r = MoveCandidateSide(v, Mouse, DrawInfo, IsCols);
    const int offset = axis().DataOffset;
    const int lastData = (IsCols ? FColCount : FRowCount) - 1;
    if (v == FMovePos && r == FMovePosRightSite) return;
    if (offset == 0 && FMovePos == axis().FirstGridCell && Mouse < axis().FixedBoundary) return;
    if (FMovePos == lastData && Mouse > axis().GridBoundary) return;
    ShowMoveLine();
    if (Mouse < axis().FixedBoundary) {
        if (FMovePos > axis().FirstGridCell || offset > 0) {
            ModifyScrollBar(IsCols ? SB_HORZ : SB_VERT, SB_LINEUP, 0, false);
            Update();
            CalcDrawInfo(DrawInfo);
        }
        v = axis().FirstGridCell;
    } else if (Mouse >= axis().FullVisBoundary) {
        if (FMovePos == axis().LastFullVisibleCell && axis().LastFullVisibleCell < lastData) {
            ModifyScrollBar(IsCols ? SB_HORZ : SB_VERT, SB_LINEDOWN, 0, false);
            Update();
            CalcDrawInfo(DrawInfo);
        }
        v = axis().LastFullVisibleCell;
    } else if (v < 0) {
        v = FMovePos;
    }
    r = MoveCandidateSide(v, Mouse, DrawInfo, IsCols);
    int origin = FMoveIndex, dest = v;
    const bool ok = IsCols ? CheckColumnDrag(origin, dest, MousePt) : CheckRowDrag(origin, dest, MousePt);
    if (ok) {
        FMovePos = v;
        FMovePosRightSite = r;
    }
    ShowMoveLine();
}

// ---------------------------------------------------------------------------------------------
// Timer

void TCustomGridEh::StartGridTimer(UINT Interval) {
    if (!HandleAllocated()) return;
    if (FTimerActive && FTimerInterval == Interval) return;
    SetTimer(FHandle, GridTimerId, Interval);
    FTimerActive = true;
    FTimerInterval = Interval;
}

void TCustomGridEh::StopGridTimer() {
    if (FTimerActive && HandleAllocated()) KillTimer(FHandle, GridTimerId);
    FTimerActive = false;
    FTimerInterval = 0;
}

TPoint TCustomGridEh::CursorClientPos() {
    TPoint p;
    GetCursorPos(&p);
    return ScreenToClient(p);
}

// The farther the cursor is outside the data area, the faster the view follows. A distance of 0
// or less (the edge lies off the screen) keeps the 60 ms pace rather than a negative interval.
UINT TCustomGridEh::ColMoveScrollInterval(int D, int B) {
    if (D <= 0) return 60;
    const int b2 = B > 10 ? B - 10 : 1;
    const long long v = 60 + (long long)std::trunc(1.5 * D / b2);
    return UINT(std::max<long long>(v, 60));
}

void TCustomGridEh::ExtendSelectionByTimer(int Directions) {
    TGridCoord a = FAnchor;
    if ((Directions & 1) && a.X > FFixedCols) --a.X;
    if ((Directions & 2) && a.X < FColCount - 1) ++a.X;
    if ((Directions & 4) && a.Y > FFixedRows) --a.Y;
    if ((Directions & 8) && a.Y < FRowCount - 1) ++a.Y;
    if (a != FAnchor) MoveAnchor(a, true);
}

void TCustomGridEh::TimerScroll() {
    if (FGridState != gsSelecting && FGridState != gsRowMoving && FGridState != gsColMoving) return;
    const TPoint p = CursorClientPos();
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const TGridCoord cell = CalcCoordFromPoint(p.X, p.Y, di);
    if (FGridState == gsSelecting) {
        int flags = 0;
        if (UseRightToLeftAlignment()) {
            const int w = ClientWidth();
            if (p.X < w - di.Horz.FullVisBoundary) flags |= 2;
            if (p.X > w - di.Horz.FixedBoundary) flags |= 1;
        } else {
            if (p.X < di.Horz.FixedBoundary) flags |= 1;
            if (p.X > di.Horz.FullVisBoundary) flags |= 2;
        }
        if (p.Y < di.Vert.FixedBoundary) flags |= 4;
        if (p.Y > di.Vert.FullVisBoundary) flags |= 8;
        if (flags) ExtendSelectionByTimer(flags);
        return;
    }
    if (FGridState == gsRowMoving) {
        MoveAndScroll(p.Y, cell.Y, di, di.Vert, false, p);
        return;
    }
    const int oldLeft = FTopLeft.X, oldSmooth = FSmoothPos.X;
    MoveAndScroll(p.X, cell.X, di, di.Horz, true, p);
    CalcDrawInfo(di);
    UINT interval = 60;
    if (FMovePos < FFixedCols) {
        interval = 60;
    } else {
        const TPoint screen = ClientToScreen(p);
        const int s = screen.X;
        auto adaptive = [](int D, int B) { return ColMoveScrollInterval(D, B); };
        if (p.X < di.Horz.FixedBoundary) {
            const int e = ClientToScreen({di.Horz.FixedBoundary, p.Y}).X;
            const int d = std::min(e, 200);
            const int b = std::min(e - s, d);
            interval = adaptive(d, b);
        } else if (p.X < di.Horz.GridExtent) {
            interval = (FTopLeft.X > oldLeft || FSmoothPos.X > oldSmooth) ? 360 : 60;
        } else if (p.X > di.Horz.GridExtent) {
            const int e = ClientToScreen({di.Horz.GridExtent, p.Y}).X;
            const int desktop = GetSystemMetrics(SM_CXVIRTUALSCREEN);
            const int d = std::min(desktop - e, 200);
            const int b = std::min(s - e, d);
            interval = adaptive(d, b);
        }
    }
    StartGridTimer(interval);
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TCustomGridEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    HideEdit();
    if (!ComponentState().Contains(csDesigning) && (CanFocus() || !GetParentForm(this))) {
        SetFocus();
        if (!IsActiveControl()) {
            SetMouseCapture(false);
            return;
        }
    }
    bool rowMovingStarted = false;
    if (Button == mbLeft && Shift.Contains(ssDouble)) {
        DblClick();
    } else if (Button == mbLeft) {
        TGridDrawInfoEh di;
        CalcDrawInfo(di);
        int ofs = 0, pos = 0, index = -1;
        TGridState st = gsNormal;
        CalcSizingState(X, Y, di, ofs, pos, index, st);
        if (st != gsNormal) {
            FGridState = st;
            FSizingOfs = ofs;
            FSizingPos = pos;
            FSizingIndex = index;
            if (st == gsColSizing && UseRightToLeftAlignment()) FSizingPos = ClientWidth() - FSizingPos;
            DrawSizingLine(di);
        } else {
            const TGridCoord cell = CalcCoordFromPoint(X, Y, di);
            const int firstCol = FFixedCols - FFrozenColCount, firstRow = FFixedRows - FFrozenRowCount;
            const bool outside =
                cell.X < firstCol || cell.Y < firstRow || cell.X >= FColCount || cell.Y >= FRowCount;
            if (outside) {
                const TGridOptions o = EffectiveOptions();
                if (o.Contains(goRowMoving) && cell.X >= 0 && cell.X < FFixedCols && cell.Y >= FFixedRows &&
                    cell.Y < FRowCount) {
                    int origin = cell.Y, dest = cell.Y;
                    if (BeginRowDrag(origin, dest, {X, Y})) {
                        StartRowMoving(origin);
                        rowMovingStarted = true;
                    }
                } else if (o.Contains(goColMoving) && cell.Y >= 0 && cell.Y < FFixedRows &&
                           cell.X >= FFixedCols && cell.X < FColCount) {
                    int origin = cell.X, dest = cell.X;
                    if (BeginColumnDrag(origin, dest, {X, Y})) StartColumnMoving(origin, X, di, Y);
                }
            } else if (FOptions.Contains(goEditing)) {
                if (cell == FCurrent) {
                    ShowEditor();
                } else {
                    MoveCurrent(cell.X, cell.Y, true, true, true);
                    UpdateEdit();
                }
                Click();
            } else {
                FGridState = gsSelecting;
                StartGridTimer(60);
                if (Shift.Contains(ssShift))
                    MoveAnchor(cell, true);
                else
                    MoveCurrent(cell.X, cell.Y, true, true, true);
            }
        }
    }
    try {
        TCustomControl::MouseDown(Button, Shift, X, Y);
    } catch (...) {
        if (rowMovingStarted) HideMoveLine();
        throw;
    }
}

void TCustomGridEh::MouseMove(TShiftState Shift, int X, int Y) {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    switch (FGridState) {
    case gsRowSizing:
    case gsColSizing:
        DrawSizingLine(di);
        FSizingPos = (FGridState == gsRowSizing ? Y : X) + FSizingOfs;
        DrawSizingLine(di);
        break;
    case gsNormal:
        UpdateHotTrackInfo(X, Y);
        break;
    case gsSelecting:
    case gsRowMoving:
    case gsColMoving: {
        const TGridCoord cell = CalcCoordFromPoint(X, Y, di);
        const bool designing = ComponentState().Contains(csDesigning);
        const int lastX = std::min(di.Horz.LastFullVisibleCell + 1, FColCount - 1);
        const int lastY = std::min(di.Vert.LastFullVisibleCell + 1, FRowCount - 1);
        const bool counts =
            designing || (cell.X >= FFixedCols - FFrozenColCount && cell.Y >= FFixedRows - FFrozenRowCount &&
                          cell.X <= lastX && cell.Y <= lastY);
        if (FGridState == gsSelecting) {
            if (counts && cell.X >= 0 && cell.Y >= 0 && cell != FAnchor) MoveAnchor(cell, true);
        } else if (FGridState == gsRowMoving) {
            MoveAndScroll(Y, cell.Y, di, di.Vert, false, {X, Y});
        } else {
            MoveAndScroll(X, cell.X, di, di.Horz, true, {X, Y});
        }
        break;
    }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGridEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    struct BackToNormal {
        TCustomGridEh* g;
        ~BackToNormal() { g->FGridState = gsNormal; }
    } backToNormal{this};
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    switch (FGridState) {
    case gsSelecting:
        MouseMove(Shift, X, Y);
        StopGridTimer();
        UpdateEdit();
        Click();
        break;
    case gsRowSizing:
    case gsColSizing: {
        DrawSizingLine(di);
        if (FGridState == gsColSizing && UseRightToLeftAlignment()) FSizingPos = ClientWidth() - FSizingPos;
        const int size = CalcNewLineSize(di);
        if (size > 1) {
            if (FGridState == gsColSizing)
                SetColWidths(FSizingIndex, size);
            else
                SetRowHeights(FSizingIndex, size);
        }
        break;
    }
    case gsRowMoving: {
        HideMoveLine();
        StopGridTimer();
        int from = FMoveIndex, to = FMovePos;
        if (EndRowDrag(from, to, {X, Y}) && from != to) MoveRow(from, to);
        UpdateEdit();
        break;
    }
    case gsColMoving: {
        HideMoveLine();
        StopGridTimer();
        int from = FMoveIndex, to = FMovePos;
        if (EndColumnDrag(from, to, {X, Y}) && from != to) MoveColumn(from, to);
        UpdateEdit();
        break;
    }
    default:
        UpdateEdit();
        break;
    }
    FGridState = gsNormal;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGridEh::CancelMode() {
    switch (FGridState) {
    case gsSelecting:
        StopGridTimer();
        break;
    case gsRowSizing:
    case gsColSizing: {
        TGridDrawInfoEh di;
        CalcDrawInfo(di);
        if (FSizingLineShown) DrawSizingLine(di);
        break;
    }
    case gsRowMoving:
    case gsColMoving:
        HideMoveLine();
        StopGridTimer();
        break;
    default:
        break;
    }
    FGridState = gsNormal;
}

void TCustomGridEh::DoExit() {
    TCustomControl::DoExit();
    if (!FOptions.Contains(goAlwaysShowEditor)) HideEditor();
}

// ---------------------------------------------------------------------------------------------
// Hot tracking

void TCustomGridEh::UpdateHotTrackInfo(int X, int Y) {
    if (ComponentState().Contains(csDesigning)) return;
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    TGridCoord cell = CalcCoordFromPoint(X, Y, di);
    if (cell.X < 0 || cell.Y < 0 || !CanHotTrackCell(cell.X, cell.Y)) cell = {-1, -1};
    if (cell != FHotTrackCell) {
        if (FHotTrackCell.X >= 0 && FHotTrackCell.Y >= 0) InvalidateCell(FHotTrackCell.X, FHotTrackCell.Y);
        FHotTrackCell = cell;
        if (cell.X >= 0) InvalidateCell(cell.X, cell.Y);
    }
    if (FHotTrackCell.X >= 0 && FHotTrackCell.Y >= 0) {
        const TRect r = GridRectToScreenRect({cell.X, cell.Y, cell.X, cell.Y}, di, false);
        FHotTrackInCellPos = {X - r.Left, Y - r.Top};
    } else {
        FHotTrackInCellPos = {-1, -1};
    }
    FillHotTrackSpot(FNewHotTrackSpot.get(), X, Y);
    if (!HotTrackSpotsEqual(FNewHotTrackSpot.get(), FOldHotTrackSpot.get())) {
        if (FOldHotTrackSpot->Col() >= 0 && FOldHotTrackSpot->Row() >= 0)
            InvalidateHotTrackSpot(FOldHotTrackSpot.get());
        if (FNewHotTrackSpot->Col() >= 0 && FNewHotTrackSpot->Row() >= 0)
            InvalidateHotTrackSpot(FNewHotTrackSpot.get());
        FOldHotTrackSpot->Assign(FNewHotTrackSpot.get());
    }
}

void TCustomGridEh::FillHotTrackSpot(TGridHotTrackSpotEh* Spot, int X, int Y) {
    if (ComponentState().Contains(csDesigning)) return;
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const TGridCoord cell = CalcCoordFromPoint(X, Y, di);
    if (cell.X < 0 || cell.Y < 0 || !CanHotTrackCell(cell.X, cell.Y)) {
        Spot->SetCol(-1);
        Spot->SetRow(-1);
        return;
    }
    Spot->SetCol(cell.X);
    Spot->SetRow(cell.Y);
    const TRect r = GridRectToScreenRect({cell.X, cell.Y, cell.X, cell.Y}, di, false);
    Spot->SetInCellX(X - r.Left + (cell.X == FTopLeft.X ? FDataOffset.cx : 0));
    Spot->SetInCellY(Y - r.Top + (cell.Y == FTopLeft.Y ? FDataOffset.cy : 0));
}

void TCustomGridEh::InvalidateHotTrackSpot(TGridHotTrackSpotEh* Spot) {
    InvalidateCell(Spot->Col(), Spot->Row());
}

void TCustomGridEh::UpdateEditAndHotTrack() {
    if (FEditorMode && FInplaceEdit && CanEditShow())
        FInplaceEdit->UpdateLoc(GetEditRect(FCurrent.X, FCurrent.Y));
    if (HandleAllocated()) {
        const TPoint p = CursorClientPos();
        UpdateHotTrackInfo(p.X, p.Y);
    }
}

// ---------------------------------------------------------------------------------------------
// Messages

void TCustomGridEh::WndProc(TMessage& Message) {
    const UINT m = Message.Msg;
    if ((m == WM_LBUTTONDBLCLK || m == WM_RBUTTONDBLCLK || m == WM_MBUTTONDBLCLK) &&
        !IsDblClickAllowed(Message)) {
        // The second press acts as a plain press while double clicks are refused here.
        TControlStyle keep = ControlStyle();
        TControlStyle without = keep;
        without.Exclude(csDoubleClicks);
        SetControlStyle(without);
        struct Restore {
            TCustomGridEh* g;
            TControlStyle s;
            ~Restore() {
                TControlStyle cur = g->ControlStyle();
                if (s.Contains(csDoubleClicks)) cur.Include(csDoubleClicks);
                g->SetControlStyle(cur);
            }
        } restore{this, keep};
        TCustomControl::WndProc(Message);
        return;
    }
    TCustomControl::WndProc(Message);
}

void TCustomGridEh::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_HSCROLL:
        HandleWMHScroll(Message);
        return;
    case WM_VSCROLL:
        HandleWMVScroll(Message);
        return;
    case WM_SIZE:
        TCustomControl::Dispatch(Message);
        HandleWMSize(Message);
        return;
    case CM_SHOWINGCHANGED:
        TCustomControl::Dispatch(Message);
        if (Showing()) UpdateScrollRange();
        return;
    case WM_TIMER:
        if (Message.WParam == GridTimerId) {
            TimerScroll();
            return;
        }
        break;
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        if (!FOptions.Contains(goRowSelect)) {
            if (FOptions.Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
            if (FOptions.Contains(goEditing)) Message.Result |= DLGC_WANTCHARS;
        }
        return;
    case WM_CHAR: {
        const Word ch = LoWord(Message.WParam);
        if (FOptions.Contains(goEditing) && (ch == VK_BACK || ch >= 32) && CanEditModify()) {
            ShowEditor();
            if (FInplaceEdit && FInplaceEdit->Visible())
                PostMessage(FInplaceEdit->Handle(), WM_CHAR, Message.WParam, Message.LParam);
            return;
        }
        break;
    }
    case WM_SETCURSOR: {
        TWMSetCursor s(Message);
        if (s.HitTest() == HTCLIENT) {
            // The layer does not send WM_NCHITTEST on moves; take the cursor's client point.
            FHitTest = CursorClientPos();
            TGridState st = FGridState;
            if (st == gsNormal) st = CalcSizingStateAt(FHitTest.X, FHitTest.Y);
            if (st == gsRowSizing || st == gsColSizing) {
                ::SetCursor(st == gsRowSizing ? crVSplit : crHSplit);
                Message.Result = 1;
                return;
            }
        }
        break;
    }
    case WM_NCHITTEST:
        TCustomControl::Dispatch(Message);
        FHitTest = ScreenToClient(PointOfLParam(Message.LParam));
        return;
    case WM_NCMOUSEMOVE:
        TCustomControl::Dispatch(Message);
        // The point is a screen point: over the frame or a bar no cell is hot.
        if (!FPanning && (FHotTrackCell.X >= 0 || FOldHotTrackSpot->Col() >= 0)) UpdateHotTrackInfo(-1, -1);
        return;
    case CM_MOUSELEAVE: {
        TCustomControl::Dispatch(Message);
        const TPoint p = CursorClientPos();
        UpdateHotTrackInfo(p.X, p.Y);
        return;
    }
    case CM_CTL3DCHANGED:
        TCustomControl::Dispatch(Message);
        RecreateWnd();
        return;
    case CM_STYLECHANGED:
        TCustomControl::Dispatch(Message);
        UpdateInternalColors();
        InvalidateGrid();
        return;
    case CM_WANTSPECIALKEY: {
        TWMKey k(Message);
        if (k.CharCode() == VK_RETURN && FOptions.Contains(goEditing)) {
            Message.Result = 1;
            return;
        }
        break;
    }
    case CM_DESIGNHITTEST: {
        const TPoint p = PointOfLParam(Message.LParam);
        Message.Result = CanSizeAt(p.X, p.Y) ? 1 : 0;
        return;
    }
    case WM_CANCELMODE:
        TCustomControl::Dispatch(Message);
        CancelMode();
        return;
    case CM_CANCELMODE:
        if (FInplaceEdit) FInplaceEdit->WindowProc(Message);
        TCustomControl::Dispatch(Message);
        CancelMode();
        return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        const TMouseButton b = Message.Msg == WM_LBUTTONDOWN   ? mbLeft
                               : Message.Msg == WM_RBUTTONDOWN ? mbRight
                                                               : mbMiddle;
        TCustomControl::Dispatch(Message);
        HandleCellMouseDown(Message, b);
        return;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        const UINT m = Message.Msg;
        const bool dbl = m == WM_LBUTTONDBLCLK || m == WM_RBUTTONDBLCLK || m == WM_MBUTTONDBLCLK;
        const TMouseButton b = (m == WM_LBUTTONUP || m == WM_LBUTTONDBLCLK)   ? mbLeft
                               : (m == WM_RBUTTONUP || m == WM_RBUTTONDBLCLK) ? mbRight
                                                                              : mbMiddle;
        const bool can = CanCellClick(Message);
        TCustomControl::Dispatch(Message);
        if (can) HandleCellMouseUp(Message, b, dbl);
        return;
    }
    case WM_KILLFOCUS: {
        TWMKillFocus k(Message);
        TCustomControl::Dispatch(Message);
        InvalidateCellRect(GetSelection());
        if (!FInplaceEdit || !FInplaceEdit->HandleAllocated() || k.FocusedWnd() != FInplaceEdit->Handle())
            HideEdit();
        return;
    }
    case WM_SETFOCUS: {
        TWMSetFocus s(Message);
        TCustomControl::Dispatch(Message);
        if (!FInplaceEdit || !FInplaceEdit->HandleAllocated() || s.FocusedWnd() != FInplaceEdit->Handle()) {
            InvalidateCellRect(GetSelection());
            UpdateEdit();
        }
        return;
    }
    case WM_COMMAND: {
        TWMCommand c(Message);
        if (FInplaceEdit && FInplaceEdit->HandleAllocated() && c.Ctl() == FInplaceEdit->Handle() &&
            c.NotifyCode() == EN_CHANGE)
            UpdateText();
        break;
    }
    case CM_FONTCHANGED:
        TCustomControl::Dispatch(Message);
        if (FInplaceEdit) FInplaceEdit->SetFont(Font());
        return;
    default:
        break;
    }
    TCustomControl::Dispatch(Message);
}
