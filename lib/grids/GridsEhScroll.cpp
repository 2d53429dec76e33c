// Scrolling: the top-left cell and pixel offsets, moving the window contents, and the window
// scroll bars. An axis scrolls by whole lines (a 0..127 proportional bar) or by pixels (a bar in
// pixels with a page), as IsSmoothHorzScroll / IsSmoothVertScroll say.
//
// MoveTopLeft and ScrollDataBy are the only ways the view moves; both end in TopLeftMoved, which
// scrolls the window contents, updates the bars and re-places the editor and the hot track.

#include "lib/grids/GridsEh.h"

#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cassert>

namespace {

// MulDiv with a zero divisor answers 0: a bar whose data all fits has nowhere to go.
int SafeMulDiv(int a, int b, int c) {
    return c == 0 ? 0 : MulDiv(a, b, c);
}

struct TScopeCounter {
    int& c;
    explicit TScopeCounter(int& counter) : c(counter) { ++c; }
    ~TScopeCounter() { --c; }
};

} // namespace

bool TCustomGridEh::IsSmoothHorzScroll() {
    return FOptions.Contains(goRowSelect);
}

bool TCustomGridEh::IsSmoothVertScroll() {
    return false;
}

int TCustomGridEh::GetHorzScrollStep() {
    return std::max(1, FDataPageSize.cx / 20);
}

int TCustomGridEh::GetVertScrollStep() {
    return std::max(1, FDataPageSize.cy / 20);
}

bool TCustomGridEh::GridExceedsExtent(int Extent, bool Vertical) {
    const bool lines = Vertical ? (FOptions.Contains(goFixedHorzLine) || FOptions.Contains(goHorzLine))
                                : (FOptions.Contains(goFixedVertLine) || FOptions.Contains(goVertLine));
    const int lw = lines ? FGridLineWidth : 0;
    const int n = Vertical ? GetFullRowCount() : GetFullColCount();
    long long sum = 0;
    for (int i = 0; i < n; ++i) {
        sum += (Vertical ? GetRowHeights(i) : GetColWidths(i)) + lw;
        if (sum > Extent) return true;
    }
    return false;
}

// Called before the new size is stored: the data size follows a data line's change in smooth
// mode, the data page a fixed or contra line's change.
void TCustomGridEh::ColWidthChanging(int Index, int OldWidth, int NewWidth) {
    InvalidateGrid();
    if (Index >= FFixedCols && Index < FColCount) {
        if (IsSmoothHorzScroll()) FGridDataSize.cx += NewWidth - OldWidth;
    } else {
        FDataPageSize.cx = std::max(0, FDataPageSize.cx - (NewWidth - OldWidth));
    }
}

void TCustomGridEh::RowHeightChanging(int Index, int OldHeight, int NewHeight) {
    InvalidateGrid();
    if (Index >= FFixedRows && Index < FRowCount) {
        if (IsSmoothVertScroll()) FGridDataSize.cy += NewHeight - OldHeight;
    } else {
        FDataPageSize.cy = std::max(0, FDataPageSize.cy - (NewHeight - OldHeight));
    }
}

void TCustomGridEh::ColWidthsChanged() {
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGridEh::RowHeightsChanged() {
    UpdateScrollRange();
    UpdateEdit();
}

// ---------------------------------------------------------------------------------------------
// Moving the view

void TCustomGridEh::MoveTopLeft(int ALeft, int ATop) {
    if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
    Update();
    const TGridCoord oldTopLeft = FTopLeft;
    const TSize oldOffset = FDataOffset;
    FTopLeft = {ALeft, ATop};
    if (ALeft != oldTopLeft.X) FDataOffset.cx = 0;
    if (ATop != oldTopLeft.Y) FDataOffset.cy = 0;
    TopLeftMoved(oldTopLeft, oldOffset);
}

// Pixels the view moves back (positive) from (OldIndex, OldOffset) to (NewIndex, NewOffset);
// stops adding once the distance passes the data extent, which repaints everything anyway.
int TCustomGridEh::AxisDistance(const TGridAxisDrawInfoEh& A, int OldIndex, int OldOffset, int NewIndex,
                                int NewOffset) {
    const int limit = std::max(0, A.GridExtent - A.FixedBoundary) + 1;
    long long d = (long long)OldOffset - NewOffset;
    const int lo = std::min(OldIndex, NewIndex), hi = std::max(OldIndex, NewIndex);
    long long sum = 0;
    for (int i = lo; i < hi && sum - std::llabs(OldOffset - NewOffset) <= limit; ++i)
        sum += A.GetExtent(i) + A.EffectiveLineWidth;
    d += NewIndex > OldIndex ? -sum : sum;
    if (d > 0x3FFFFFFF) d = 0x3FFFFFFF;
    if (d < -0x3FFFFFFF) d = -0x3FFFFFFF;
    return int(d);
}

int TCustomGridEh::SmoothLinePos(int TopLeft, int Offset, bool Rows) {
    const int lw =
        Rows ? ((FOptions.Contains(goFixedHorzLine) || FOptions.Contains(goHorzLine)) ? FGridLineWidth : 0)
             : ((FOptions.Contains(goFixedVertLine) || FOptions.Contains(goVertLine)) ? FGridLineWidth : 0);
    const int fixed = Rows ? FFixedRows : FFixedCols;
    int pos = Offset;
    for (int i = fixed; i < TopLeft; ++i)
        pos += (Rows ? GetRowHeights(i) : GetColWidths(i)) + lw;
    return pos;
}

void TCustomGridEh::TopLeftMoved(const TGridCoord& OldTopLeft, const TSize& OldOffset) {
    UpdateScrollPos();
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const int dx = AxisDistance(di.Horz, OldTopLeft.X, OldOffset.cx, FTopLeft.X, FDataOffset.cx);
    const int dy = AxisDistance(di.Vert, OldTopLeft.Y, OldOffset.cy, FTopLeft.Y, FDataOffset.cy);
    if (std::abs(dx) > di.Horz.GridExtent - di.Horz.FixedBoundary ||
        std::abs(dy) > di.Vert.GridExtent - di.Vert.FixedBoundary)
        InvalidateGrid();
    else if (dx != 0 || dy != 0)
        ScrollDataInfo(dx, dy, di);
    UpdateEditAndHotTrack();
}

void TCustomGridEh::ScrollData(int DX, int DY) {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    ScrollDataInfo(DX, DY, di);
}

void TCustomGridEh::ScrollDataInfo(int DX, int DY, const TGridDrawInfoEh& DrawInfo) {
    if (!HandleAllocated()) return;
    if (IsBackgroundShowing()) {
        InvalidateGrid();
        return;
    }
    const auto& H = DrawInfo.Horz;
    const auto& V = DrawInfo.Vert;
    UINT flags = SW_INVALIDATE;
    if (!FDefaultDrawing) flags |= SW_ERASE;
    auto scroll = [&](TRect r, int dx, int dy) {
        if (r.Left >= r.Right || r.Top >= r.Bottom) return;
        ScrollWindowEx(FHandle, dx, dy, &r, &r, nullptr, nullptr, flags);
    };
    if (DY != 0 && DX != 0) {
        scroll({H.FixedBoundary, V.NullBorderIndent, H.GridExtent, V.FixedBoundary}, DX, 0);
        scroll({H.NullBorderIndent, V.FixedBoundary, H.FixedBoundary, V.GridExtent}, 0, DY);
        scroll({H.FixedBoundary, V.FixedBoundary, H.GridExtent, V.GridExtent}, DX, DY);
        scroll({H.FixedBoundary, V.GridExtent, H.GridExtent, V.FullGridExtent}, DX, 0);
        scroll({H.GridExtent, V.FixedBoundary, H.FullGridExtent, V.GridExtent}, 0, DY);
    } else if (DY != 0) {
        scroll({H.NullBorderIndent, V.FixedBoundary, H.FullGridExtent, V.GridExtent}, 0, DY);
    } else if (DX != 0) {
        if (UseRightToLeftAlignment()) {
            const int w = ClientWidth();
            scroll({w - H.GridExtent, V.NullBorderIndent, w - H.FixedBoundary, V.FullGridExtent}, -DX, 0);
        } else {
            scroll({H.FixedBoundary, V.NullBorderIndent, H.GridExtent, V.FullGridExtent}, DX, 0);
        }
    }
    if (FOptions.Contains(goRowSelect)) InvalidateCellRect(GetSelection());
}

// Clamps a pixel delta so that the view stays between the first data line and the last
// position (see the class comment of the scroll state).
int TCustomGridEh::ClampSmoothDelta(int D, const TGridAxisDrawInfoEh& A, int Offset) {
    const int lw = A.EffectiveLineWidth;
    if (D >= 0) {
        long long e = (long long)A.FixedBoundary - Offset - D;
        for (int i = A.FirstGridCell; i < A.GridCellCount && e < A.GridExtent; ++i)
            e += A.GetExtent(i) + lw;
        if (e < A.GridExtent) D += int(e - A.GridExtent);
    } else {
        long long r = -(long long)Offset - D;
        for (int i = A.FirstGridCell - 1; i >= A.FixedCellCount && r > 0; --i) {
            const int s = A.GetExtent(i) + lw;
            if (s >= r) {
                r = 0;
                break;
            }
            r -= s;
        }
        if (r > 0) D += int(r);
    }
    return D;
}

void TCustomGridEh::ApplySmoothDelta(int D, const TGridAxisDrawInfoEh& A, int& TopLeft, int& Offset) {
    const int lw = A.EffectiveLineWidth;
    int b = Offset + D;
    if (D > 0) {
        while (TopLeft < A.GridCellCount - 1 && A.GetExtent(TopLeft) + lw <= b) {
            b -= A.GetExtent(TopLeft) + lw;
            ++TopLeft;
        }
    }
    if (b < 0) {
        int i = TopLeft - 1;
        for (; i >= A.FixedCellCount; --i) {
            const int s = A.GetExtent(i) + lw;
            if (s >= -b) {
                b = s + b;
                break;
            }
            b += s;
        }
        TopLeft = std::max(i, A.FixedCellCount);
        if (i < A.FixedCellCount) b = 0;
    }
    Offset = std::max(0, b);
}

void TCustomGridEh::SmoothScrollBy(int DX, int DY) {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    DX = IsSmoothHorzScroll() ? ClampSmoothDelta(DX, di.Horz, FDataOffset.cx) : 0;
    DY = IsSmoothVertScroll() ? ClampSmoothDelta(DY, di.Vert, FDataOffset.cy) : 0;
    if (DX != 0 || DY != 0) ScrollDataBy(DX, DY);
}

void TCustomGridEh::ScrollDataBy(int DX, int DY) {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const TGridCoord oldTopLeft = FTopLeft;
    const TSize oldOffset = FDataOffset;
    if (DX != 0) {
        int t = FTopLeft.X, o = FDataOffset.cx;
        ApplySmoothDelta(DX, di.Horz, t, o);
        FTopLeft.X = t;
        FDataOffset.cx = o;
    }
    if (DY != 0) {
        int t = FTopLeft.Y, o = FDataOffset.cy;
        ApplySmoothDelta(DY, di.Vert, t, o);
        FTopLeft.Y = t;
        FDataOffset.cy = o;
    }
    if (FTopLeft != oldTopLeft || FDataOffset.cx != oldOffset.cx || FDataOffset.cy != oldOffset.cy)
        TopLeftMoved(oldTopLeft, oldOffset);
}

void TCustomGridEh::ScrollCellInView(const TGridCoord& Cell, bool Horz, bool Vert) {
    if (!HandleAllocated()) return;
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    auto inView = [](int c, int first, int last, int offset) {
        return c >= first && c <= last && !(c == first && offset > 0);
    };
    const bool hIn = !Horz || Cell.X < FFixedCols ||
                     inView(Cell.X, FTopLeft.X, di.Horz.LastFullVisibleCell, FDataOffset.cx);
    const bool vIn = !Vert || Cell.Y < FFixedRows ||
                     inView(Cell.Y, FTopLeft.Y, di.Vert.LastFullVisibleCell, FDataOffset.cy);
    if (hIn && vIn) return;
    const TGridCoord oldTopLeft = FTopLeft;
    const TSize oldOffset = FDataOffset;
    const TGridCoord m = CalcMaxTopLeft(Cell, di);
    const TGridCoord mo = CalcMaxTopLeftOffset(Cell, di);
    Update();
    auto axis = [&](int c, int fixed, int& tl, int& ofs, int last, int mx, int mofs, bool smooth) {
        if (c < fixed) return;
        if (c == tl && ofs > 0) {
            ofs = 0;
        } else if (c < tl) {
            tl = c;
            ofs = 0;
        } else if (c > last) {
            tl = mx;
            ofs = 0;
            if (smooth && mx > fixed && mofs != 0) {
                tl = mx - 1;
                ofs = mofs;
            }
        }
    };
    if (Horz)
        axis(Cell.X, FFixedCols, FTopLeft.X, FDataOffset.cx, di.Horz.LastFullVisibleCell, m.X, mo.X,
             IsSmoothHorzScroll());
    if (Vert)
        axis(Cell.Y, FFixedRows, FTopLeft.Y, FDataOffset.cy, di.Vert.LastFullVisibleCell, m.Y, mo.Y,
             IsSmoothVertScroll());
    if (FTopLeft != oldTopLeft || FDataOffset.cx != oldOffset.cx || FDataOffset.cy != oldOffset.cy)
        TopLeftMoved(oldTopLeft, oldOffset);
}

// ---------------------------------------------------------------------------------------------
// Scroll bars

bool TCustomGridEh::GetScrollBarInfo(int Bar, SCROLLINFO& ScrollInfo) {
    if (!HandleAllocated()) return false;
    return ::GetScrollInfo(FHandle, Bar, &ScrollInfo) != 0;
}

void TCustomGridEh::SetScrollBarInfo(int Bar, UINT Mask, int Pos, int Page, int Max, int Min) {
    if (!HandleAllocated()) return;
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollBarInfo(Bar, si);
    SCROLLINFO ni = si;
    if (Mask & SIF_RANGE) {
        ni.nMin = Min;
        ni.nMax = Max;
    }
    if (Mask & SIF_PAGE) ni.nPage = UINT(std::max(0, Page));
    if (Mask & SIF_POS) ni.nPos = Pos;
    if (ni.nMin != si.nMin || ni.nMax != si.nMax || ni.nPage != si.nPage || ni.nPos != si.nPos) {
        ni.fMask = SIF_ALL;
        ::SetScrollInfo(FHandle, Bar, &ni, TRUE);
    }
}

int TCustomGridEh::GetScrollBarSize(int Bar) {
    const bool configured = Bar == SB_HORZ ? (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
                                           : (FScrollBars == ssVertical || FScrollBars == ssBoth);
    if (!configured) return 0;
    if (HandleAllocated()) {
        SCROLLBARINFO sbi;
        if (::GetScrollBarInfo(FHandle, Bar == SB_HORZ ? OBJID_HSCROLL : OBJID_VSCROLL, &sbi) &&
            (sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE))
            return 0;
    }
    return GetSystemMetrics(Bar == SB_HORZ ? SM_CYHSCROLL : SM_CXVSCROLL);
}

void TCustomGridEh::ModifyScrollBar(int ScrollBar, int ScrollCode, int Pos, bool UseRightToLeft) {
    const bool horz = ScrollBar == SB_HORZ;
    const int dir = (horz && UseRightToLeft && UseRightToLeftAlignment()) ? -1 : 1;
    const bool smooth = horz ? (IsSmoothHorzScroll() || FColCount == 1) : IsSmoothVertScroll();
    if (smooth) {
        const int step = horz ? GetHorzScrollStep() : GetVertScrollStep();
        const int page = horz ? FDataPageSize.cx : FDataPageSize.cy;
        const int pos = horz ? FSmoothPos.X : FSmoothPos.Y;
        int d = 0;
        switch (ScrollCode) {
        case SB_LINEUP:
            d = -step * dir;
            break;
        case SB_LINEDOWN:
            d = step * dir;
            break;
        case SB_PAGEUP:
            d = -page * dir;
            break;
        case SB_PAGEDOWN:
            d = page * dir;
            break;
        case SB_THUMBTRACK:
            if (!FOptions.Contains(goThumbTracking)) break;
            [[fallthrough]];
        case SB_THUMBPOSITION:
            d = (horz && dir < 0) ? pos - Pos : Pos - pos;
            break;
        case SB_TOP:
            d = -0x3FFFFFFF;
            break;
        case SB_BOTTOM:
            d = 0x3FFFFFFF;
            break;
        default:
            break;
        }
        if (d != 0) SmoothScrollBy(horz ? d : 0, horz ? 0 : d);
        return;
    }

    if (Visible() && CanFocus() && TabStop() && !ComponentState().Contains(csDesigning) && HandleAllocated())
        SetFocus();
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const TGridCoord m = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, di);
    const int fixed = horz ? FFixedCols : FFixedRows;
    const int mx = horz ? m.X : m.Y;
    const TGridAxisDrawInfoEh& A = horz ? di.Horz : di.Vert;
    const int t = horz ? FTopLeft.X : FTopLeft.Y;
    int n = t;
    auto stepBy = [&](int delta) {
        // Hidden lines are skipped: keep stepping while the new line has no size.
        int prev;
        n = t + delta;
        do {
            prev = n;
            if (n > fixed && n < mx && A.GetExtent(n) <= 0) n += delta > 0 ? 1 : -1;
        } while (n != prev && n > fixed && n < mx);
    };
    switch (ScrollCode) {
    case SB_LINEUP:
        stepBy(-dir);
        break;
    case SB_LINEDOWN:
        stepBy(dir);
        break;
    case SB_PAGEUP: {
        const int back = std::max(1, t - AxisCalcMaxTopLeft(t, A));
        stepBy(-dir * back);
        break;
    }
    case SB_PAGEDOWN:
        stepBy(dir * std::max(1, A.LastFullVisibleCell - t));
        break;
    case SB_THUMBTRACK:
        if (!FOptions.Contains(goThumbTracking)) break;
        [[fallthrough]];
    case SB_THUMBPOSITION: {
        const int v = SafeMulDiv(Pos, mx - fixed, 127);
        n = (horz && dir < 0) ? mx - v : fixed + v;
        break;
    }
    case SB_TOP:
        n = fixed;
        break;
    case SB_BOTTOM:
        n = mx;
        break;
    default:
        break;
    }
    n = std::clamp(n, fixed, std::max(fixed, mx));
    if (n != t) {
        if (horz)
            MoveTopLeft(n, FTopLeft.Y);
        else
            MoveTopLeft(FTopLeft.X, n);
    }
}

void TCustomGridEh::UpdateScrollPos() {
    if (!HandleAllocated() || FScrollBars == ssNone) return;
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const TGridCoord m = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, di);
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) {
        if (IsSmoothHorzScroll()) {
            FSmoothPos.X = SmoothLinePos(FTopLeft.X, FDataOffset.cx, false);
            int pos = FSmoothPos.X;
            if (UseRightToLeftAlignment()) pos = FGridDataSize.cx - pos - FDataPageSize.cx;
            SetScrollBarInfo(SB_HORZ, SIF_ALL, pos, FDataPageSize.cx, FGridDataSize.cx - 1, 0);
        } else if (FColCount == 1) {
            SetScrollBarInfo(SB_HORZ, SIF_POS, FColOffset, 0, 0, 0);
        } else {
            int pos = SafeMulDiv(FTopLeft.X - FFixedCols, 127, m.X - FFixedCols);
            if (UseRightToLeftAlignment()) pos = 127 - pos;
            SetScrollBarInfo(SB_HORZ, SIF_POS, pos, 0, 0, 0);
        }
    }
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) {
        if (IsSmoothVertScroll()) {
            FSmoothPos.Y = SmoothLinePos(FTopLeft.Y, FDataOffset.cy, true);
            SetScrollBarInfo(SB_VERT, SIF_ALL, FSmoothPos.Y, FDataPageSize.cy, FGridDataSize.cy - 1, 0);
        } else {
            const int pos = SafeMulDiv(FTopLeft.Y - FFixedRows, 127, m.Y - FFixedRows);
            SetScrollBarInfo(SB_VERT, SIF_POS, pos, 0, 0, 0);
        }
    }
}

void TCustomGridEh::CalcHorzScrollRange(int W, int H, const TGridCoord& OldTopLeft, bool& Updated) {
    (void)OldTopLeft;
    TGridDrawInfoEh di;
    if (IsSmoothHorzScroll()) {
        CalcDrawInfoXY(di, W, H);
        long long sum = 0;
        for (int i = FFixedCols; i < FColCount; ++i)
            sum += GetColWidths(i) + di.Horz.EffectiveLineWidth;
        const int last = int(sum + di.Horz.FixedBoundary - W);
        if (FSmoothPos.X > last && FHorzScotllingLockCount == 0) SmoothScrollBy(last - FSmoothPos.X, 0);
        FDataPageSize.cx = std::max(0, W - di.Horz.FixedBoundary);
        SetScrollBarInfo(SB_HORZ, SIF_ALL, FSmoothPos.X, FDataPageSize.cx, FGridDataSize.cx - 1, 0);
    } else if (FColCount == 1) {
        ::SetScrollRange(FHandle, SB_HORZ, 0, std::max(GetColWidths(0) - ClientWidth(), 0), TRUE);
    } else {
        CalcDrawInfoXY(di, W, H);
        const TGridCoord m = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, di);
        SetScrollBarInfo(SB_HORZ, SIF_ALL, 0, 0, m.X > FFixedCols ? 127 : 0, 0);
        if (FTopLeft.X > m.X) {
            if (!Updated) {
                Update();
                Updated = true;
            }
            FTopLeft.X = m.X;
            FDataOffset.cx = 0;
        }
    }
}

void TCustomGridEh::CalcVertScrollRange(int W, int H, const TGridCoord& OldTopLeft, bool& Updated) {
    (void)OldTopLeft;
    TGridDrawInfoEh di;
    CalcDrawInfoXY(di, W, H);
    if (IsSmoothVertScroll()) {
        long long sum = 0;
        for (int i = FFixedRows; i < FRowCount; ++i)
            sum += GetRowHeights(i) + di.Vert.EffectiveLineWidth;
        const int last = int(sum + di.Vert.FixedBoundary - H);
        if (FSmoothPos.Y > last) SmoothScrollBy(0, last - FSmoothPos.Y);
        FDataPageSize.cy = std::max(0, H - di.Vert.FixedBoundary);
        SetScrollBarInfo(SB_VERT, SIF_ALL, FSmoothPos.Y, FDataPageSize.cy, FGridDataSize.cy - 1, 0);
    } else {
        const TGridCoord m = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, di);
        SetScrollBarInfo(SB_VERT, SIF_ALL, 0, 0, m.Y > FFixedRows ? 127 : 0, 0);
        if (FTopLeft.Y > m.Y) {
            if (!Updated) {
                Update();
                Updated = true;
            }
            FTopLeft.Y = m.Y;
            FDataOffset.cy = 0;
        }
    }
}

void TCustomGridEh::UpdateScrollRange() {
    if (FScrollBars == ssNone || !HandleAllocated() || !Showing() || IsPaintLocked() ||
        IsScrollRangeUpdating())
        return;
    int w = ClientWidth() + GetScrollBarSize(SB_VERT);
    int h = ClientHeight() + GetScrollBarSize(SB_HORZ);
    const TGridCoord oldTopLeft = FTopLeft;
    const TSize oldOffset = FDataOffset;
    const TScrollStyle oldScrollBars = FScrollBars;
    const bool hasHorz = oldScrollBars == ssHorizontal || oldScrollBars == ssBoth;
    const bool hasVert = oldScrollBars == ssVertical || oldScrollBars == ssBoth;
    const int hBar = GetSystemMetrics(SM_CYHSCROLL), vBar = GetSystemMetrics(SM_CXVSCROLL);
    bool updated = false;
    {
        BeginScrollRangeUpdate();
        struct Restore {
            TCustomGridEh* g;
            TScrollStyle s;
            ~Restore() {
                g->FScrollBars = s;
                g->EndScrollRangeUpdate();
            }
        } restore{this, oldScrollBars};
        FScrollBars = ssNone;
        // Which bars are needed depends on each other: a horizontal bar takes height from the
        // vertical range and the other way round.
        if (hasVert && GridExceedsExtent(h, true)) {
            if (hasHorz) h -= hBar;
            CalcVertScrollRange(w, h, oldTopLeft, updated);
            w = ClientWidth();
            if (hasHorz) CalcHorzScrollRange(w, h, oldTopLeft, updated);
        } else {
            if (hasHorz && hasVert && GridExceedsExtent(w, false)) w -= vBar;
            if (hasHorz) CalcHorzScrollRange(w, h, oldTopLeft, updated);
            h = ClientHeight();
            if (hasVert) CalcVertScrollRange(w, h, oldTopLeft, updated);
        }
    }
    UpdateScrollPos();
    if (FTopLeft != oldTopLeft) {
        if (IsSmoothHorzScroll() && FTopLeft.Y == oldTopLeft.Y) return;
        if (IsSmoothVertScroll() && FTopLeft.X == oldTopLeft.X) return;
        TopLeftMoved(oldTopLeft, oldOffset);
    }
}

// ---------------------------------------------------------------------------------------------
// Scroll sources

void TCustomGridEh::HandleWMHScroll(TMessage& Message) {
    TWMScroll m(Message);
    int pos = m.Pos();
    if (m.ScrollCode() == SB_THUMBPOSITION) {
        SCROLLINFO si;
        si.fMask = SIF_TRACKPOS;
        if (GetScrollBarInfo(SB_HORZ, si)) pos = si.nTrackPos;
    }
    ModifyScrollBar(SB_HORZ, m.ScrollCode(), pos, true);
}

void TCustomGridEh::HandleWMVScroll(TMessage& Message) {
    TWMScroll m(Message);
    int pos = m.Pos();
    if (m.ScrollCode() == SB_THUMBPOSITION || m.ScrollCode() == SB_THUMBTRACK) {
        SCROLLINFO si;
        si.fMask = SIF_TRACKPOS;
        if (GetScrollBarInfo(SB_VERT, si)) pos = si.nTrackPos;
    }
    ModifyScrollBar(SB_VERT, m.ScrollCode(), pos, true);
}

void TCustomGridEh::HandleWMSize(TMessage&) {
    if (!IsScrollRangeUpdating()) UpdateScrollRange();
    if (UseRightToLeftAlignment() || FContraColCount > 0 || FContraRowCount > 0) InvalidateGrid();
}

bool TCustomGridEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (!TCustomControl::DoMouseWheelDown(Shift, MousePos)) {
        if (IsSmoothVertScroll())
            SmoothScrollBy(0, GetVertScrollStep());
        else if (Row() < FRowCount - 1)
            SetRow(Row() + 1);
    }
    return true;
}

bool TCustomGridEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (!TCustomControl::DoMouseWheelUp(Shift, MousePos)) {
        if (IsSmoothVertScroll())
            SmoothScrollBy(0, -GetVertScrollStep());
        else if (Row() > FFixedRows)
            SetRow(Row() - 1);
    }
    return true;
}

void TCustomGridEh::DoGesture(const TGestureEventInfo& EventInfo, bool& Handled) {
    if (EventInfo.GestureID != igiPan) return;
    Handled = true;
    if (EventInfo.Flags.Contains(gfBegin)) {
        FPanPoint = EventInfo.Location;
        FPanning = true;
        return;
    }
    if (EventInfo.Flags.Contains(gfEnd)) {
        FPanning = false;
        return;
    }
    const int dy = EventInfo.Location.Y - FPanPoint.Y;
    const int dx = EventInfo.Location.X - FPanPoint.X;
    if (std::abs(dy) > 1) {
        const int h = std::max(1, GetRowHeights(FTopLeft.Y));
        const int lines = std::abs(dy) / h;
        for (int i = 0; i < lines; ++i)
            ModifyScrollBar(SB_VERT, dy > 0 ? SB_LINEUP : SB_LINEDOWN, 0, true);
        FPanPoint.Y += (dy > 0 ? 1 : -1) * lines * h;
    } else if (std::abs(dx) >= 2) {
        const int w = std::max(1, GetColWidths(FTopLeft.X));
        const int lines = std::abs(dx) / w;
        for (int i = 0; i < lines; ++i)
            ModifyScrollBar(SB_HORZ, dx > 0 ? SB_LINEUP : SB_LINEDOWN, 0, true);
        FPanPoint.X += (dx > 0 ? 1 : -1) * lines * w;
    }
}
