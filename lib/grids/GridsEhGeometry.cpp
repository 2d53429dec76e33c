// The grid model: construction, counts, line sizes, the current cell and the selection, and the
// geometry record every hit test and rectangle is derived from.
//
// Kept arrays (widths, heights, tab stops) are either empty (every line has the default) or hold
// element 0 = the full count followed by one entry per line; every count change goes through
// ModifyExtents so that this stays true. CheckConsistency walks the invariants.

#include "lib/grids/GridsEh.h"

#include "platform/classes/ComponentStreams.h"

#include <algorithm>
#include <cassert>

namespace {

constexpr int MaxGridExtent = 134217726;

[[noreturn]] void InvalidOp(const char* Msg) {
    throw EInvalidGridOperationEh(QString::fromLatin1(Msg));
}

// The lines (Left/Top) to (Right/Bottom) of a rectangle in normal order.
TGridRect NormalisedCells(const TGridCoord& A, const TGridCoord& B) {
    return TGridRect{std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X), std::max(A.Y, B.Y)};
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Creation

TCustomGridEh::TCustomGridEh(TComponent* AOwner) : TCustomControl(AOwner) {
    FGridLinesCache = std::make_unique<TGridLinesCacheEh>();
    TControlStyle cs{csCaptureMouse, csOpaque, csDoubleClicks, csGestures, csNeedsBorderPaint};
    if (!NewStyleControls) cs.Include(csFramed);
    SetControlStyle(cs);
    SetColor(clWindow);
    SetParentColor(false);
    SetTabStop(true);
    SetBounds(Left(), Top(), FColCount * FDefaultColWidth, FRowCount * FDefaultRowHeight);
    Initialize();
    // The base objects; AfterConstruction replaces them through the virtual factories.
    FGridLineColors = std::make_unique<TGridLineColorsEh>(this);
    FOutBoundaryData = std::make_unique<TGridOutBoundaryDataEh>(this);
    UpdateHorzDataSize();
    UpdateVertDataSize();
    FOldHotTrackSpot = std::make_unique<TGridHotTrackSpotEh>();
    FNewHotTrackSpot = std::make_unique<TGridHotTrackSpotEh>();
    FBackgroundData = std::make_unique<TGridBackgroundDataEh>(this);
}

void TCustomGridEh::AfterConstruction() {
    TCustomControl::AfterConstruction();
    FGridLineColors.reset(CreateGridLineColors());
    FOldHotTrackSpot.reset(CreateHotTrackSpot());
    FNewHotTrackSpot.reset(CreateHotTrackSpot());
    FBackgroundData.reset(CreateBackgroundData());
}

TCustomGridEh::~TCustomGridEh() {
    if (FTimerActive && HandleAllocated()) KillTimer(FHandle, 1);
    if (FGridState == gsRowMoving || FGridState == gsColMoving) GetGridMoveLine()->SetVisible(false);
    if (FInplaceEdit) {
        TInplaceEdit* e = FInplaceEdit;
        FInplaceEdit = nullptr;
        e->FGrid = nullptr;
        delete e;
    }
}

void TCustomGridEh::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_TABSTOP;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
    Params.WindowClass.style = CS_DBLCLKS;
    if (FBorderStyle == bsSingle) {
        if (NewStyleControls && Ctl3D()) {
            Params.Style &= ~WS_BORDER;
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        } else {
            Params.Style |= WS_BORDER;
        }
    }
}

void TCustomGridEh::Initialize() {
    FTopLeft = {FFixedCols, FFixedRows};
    FCurrent = FTopLeft;
    FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
}

// ---------------------------------------------------------------------------------------------
// Sizes

void TCustomGridEh::ModifyExtents(TIntegerArray& Extents, int Index, int Amount, int Default) {
    if (Amount == 0) return;
    const int oldSize = Extents.empty() ? 0 : Extents[0];
    if (Index < 0 || Index > oldSize) InvalidOp("Grid index out of range");
    const long long newSize = (long long)oldSize + Amount;
    if (newSize < 0) InvalidOp("Too many rows or columns deleted");
    if (newSize >= MaxGridExtent) InvalidOp("Grid too large for operation");
    if (newSize == 0) {
        Extents.clear();
        return;
    }
    // Changed in place: a grid over a large data set has a line per record here.
    if (Extents.empty()) {
        Extents.assign(size_t(newSize) + 1, Default);
    } else if (Amount > 0) {
        Extents.insert(Extents.begin() + 1 + Index, size_t(Amount), Default);
    } else {
        // Removing Amount lines at Index; lines after the block move down.
        const int removeEnd = std::min(oldSize, Index - Amount);
        Extents.erase(Extents.begin() + 1 + Index, Extents.begin() + 1 + removeEnd);
        Extents.resize(size_t(newSize) + 1, Default);
    }
    Extents[0] = int(newSize);
}

void TCustomGridEh::ModifyExtents(TLineExtentsEh& Extents, int Index, int Amount, int Default) {
    if (Amount == 0) return;
    const int oldSize = Extents.Count();
    if (Index < 0 || Index > oldSize) InvalidOp("Grid index out of range");
    const long long newSize = (long long)oldSize + Amount;
    if (newSize < 0) InvalidOp("Too many rows or columns deleted");
    if (newSize >= MaxGridExtent) InvalidOp("Grid too large for operation");
    Extents.Modify(Index, Amount, Default);
}

void TCustomGridEh::MoveExtent(TIntegerArray& Extents, int FromIndex, int ToIndex) {
    if (Extents.empty()) return;
    const int n = Extents[0];
    assert(FromIndex >= 0 && FromIndex < n && ToIndex >= 0 && ToIndex < n);
    MoveLineSize(Extents.data() + 1, FromIndex, ToIndex);
}

int TCustomGridEh::GetColWidths(int Index) const {
    if (!FColWidths.empty() && Index >= 0 && Index < FColWidths[0]) return FColWidths[size_t(Index) + 1];
    return FDefaultColWidth;
}

int TCustomGridEh::GetRowHeights(int Index) const {
    if (Index >= 0 && Index < FRowHeights.Count()) return FRowHeights.Get(Index);
    return FDefaultRowHeight;
}

bool TCustomGridEh::GetTabStops(int Index) const {
    if (FTabStops.empty()) return true;
    if (Index < 0 || Index >= FTabStops[0]) return true;
    return FTabStops[size_t(Index) + 1] != 0;
}

void TCustomGridEh::SetColWidths(int Index, int Value) {
    if (FColWidths.empty()) ModifyExtents(FColWidths, 0, GetFullColCount(), FDefaultColWidth);
    if (Index < 0 || Index >= FColWidths[0]) InvalidOp("Grid index out of range");
    int& w = FColWidths[size_t(Index) + 1];
    if (w == Value) return;
    const int old = w;
    ColWidthChanging(Index, old, Value);
    FColWidths[size_t(Index) + 1] = Value;
    ColWidthsChanged();
}

void TCustomGridEh::SetRowHeights(int Index, int Value) {
    if (FRowHeights.Empty()) ModifyExtents(FRowHeights, 0, GetFullRowCount(), FDefaultRowHeight);
    if (Index < 0 || Index >= FRowHeights.Count()) InvalidOp("Grid index out of range");
    const int old = FRowHeights.Get(Index);
    if (old == Value) return;
    RowHeightChanging(Index, old, Value);
    FRowHeights.Set(Index, Value);
    RowHeightsChanged();
}

void TCustomGridEh::SetTabStops(int Index, bool Value) {
    if (FTabStops.empty()) ModifyExtents(FTabStops, 0, GetFullColCount(), 1);
    if (Index < 0 || Index >= FTabStops[0]) InvalidOp("Grid index out of range");
    FTabStops[size_t(Index) + 1] = Value ? 1 : 0;
}

void TCustomGridEh::SetDefaultRowHeight(int Value) {
    FRowHeights.Clear();
    FDefaultRowHeight = Value;
    // The data size is recomputed with the new default (not the one being replaced).
    UpdateVertDataSize();
    RowHeightsChanged();
    InvalidateGrid();
}

void TCustomGridEh::UpdateHorzDataSize() {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const int lw = di.Horz.EffectiveLineWidth;
    int total = 0, before = 0;
    for (int i = FFixedCols; i < FColCount; ++i) {
        const int w = GetColWidths(i) + lw;
        total += w;
        if (i < FTopLeft.X) before += w;
    }
    FGridDataSize.cx = total;
    if (FTopLeft.X > FFixedCols) FSmoothPos.X = before + FDataOffset.cx;
    FDataPageSize.cx = std::max(0, di.Horz.GridExtent - di.Horz.FixedBoundary);
}

void TCustomGridEh::UpdateVertDataSize() {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const int lw = di.Vert.EffectiveLineWidth;
    // Summed by the height store (rows of the default height are counted, not visited): a
    // data-aware grid may have a row per record, and this runs on every height change.
    const int split = std::clamp(FTopLeft.Y, FFixedRows, std::max(FFixedRows, FRowCount));
    const int stored = FRowHeights.Count();
    auto sum = [&](int from, int to) {
        const int inStore = std::clamp(to, from, std::max(from, stored));
        return int(FRowHeights.Sum(from, inStore)) + (to - inStore) * FDefaultRowHeight + (to - from) * lw;
    };
    const int before = sum(FFixedRows, split);
    const int total = before + sum(split, std::max(split, FRowCount));
    FGridDataSize.cy = total;
    if (FTopLeft.Y > FFixedRows) FSmoothPos.Y = before + FDataOffset.cy;
    FDataPageSize.cy = std::max(0, di.Vert.GridExtent - di.Vert.FixedBoundary);
}

// ---------------------------------------------------------------------------------------------
// Counts and areas

void TCustomGridEh::SetColCount(int Value) {
    if (Value == FColCount) return;
    if (Value < 1) Value = 1;
    if (Value == FColCount) return;
    if (FFixedCols >= Value) SetFixedCols(Value - 1);
    if (FContraColCount > 0)
        ShiftLinesAt(std::min(FColCount, Value), Value - FColCount, false);
    else
        ChangeGridSize(Value, FRowCount);
    if (FOptions.Contains(goRowSelect)) {
        FAnchor.X = FColCount - 1;
        Invalidate();
    }
    UpdateHorzDataSize();
    UpdateScrollRange();
}

void TCustomGridEh::SetRowCount(int Value) {
    if (Value == FRowCount) return;
    if (Value < 1) Value = 1;
    if (Value == FRowCount) return;
    if (FFixedRows >= Value) SetFixedRows(Value - 1);
    if (FContraRowCount > 0)
        ShiftLinesAt(std::min(FRowCount, Value), Value - FRowCount, true);
    else
        ChangeGridSize(FColCount, Value);
    UpdateVertDataSize();
    UpdateScrollRange();
}

void TCustomGridEh::SetFixedCols(int Value) {
    if (Value == FFixedCols) return;
    if (Value < 0) InvalidOp("Grid index out of range");
    if (Value >= FColCount) InvalidOp("Fixed column count must be less than column count");
    FFixedCols = Value;
    FDataOffset.cx = 0;
    Initialize();
    UpdateHorzDataSize();
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGridEh::SetFixedRows(int Value) {
    if (Value == FFixedRows) return;
    if (Value < 0) InvalidOp("Grid index out of range");
    if (Value >= FRowCount) InvalidOp("Fixed row count must be less than row count");
    FFixedRows = Value;
    FDataOffset.cy = 0;
    Initialize();
    UpdateVertDataSize();
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGridEh::SetContraColCount(int Value) {
    if (Value == FContraColCount) return;
    if (Value < 0) InvalidOp("FContraColCount can not be negative.");
    ChangeContraSize(Value, FContraRowCount);
    UpdateHorzDataSize();
    UpdateScrollRange();
}

void TCustomGridEh::SetContraRowCount(int Value) {
    if (Value == FContraRowCount) return;
    if (Value < 0) InvalidOp("FContraRowCount can not be negative.");
    ChangeContraSize(FContraColCount, Value);
    UpdateVertDataSize();
    UpdateScrollRange();
}

void TCustomGridEh::SetFrozenColCount(int Value) {
    FFrozenColCount = Value;
    InvalidateGrid();
}

// A failed resize restores the counts and every array already resized, and the error goes on:
// arrays out of step with the counts would be read past their end.
namespace {
int keptCount(const TIntegerArray& a) {
    return a.empty() ? 0 : a[0];
}
int keptCount(const TLineExtentsEh& a) {
    return a.Count();
}
} // namespace

void TCustomGridEh::ChangeContraSize(int ContraCols, int ContraRows) {
    const int oldCols = FContraColCount, oldRows = FContraRowCount;
    const TIntegerArray oldWidths = FColWidths, oldTabs = FTabStops;
    const TLineExtentsEh oldHeights = FRowHeights;
    FContraColCount = ContraCols;
    FContraRowCount = ContraRows;
    try {
        // A kept array follows the new line count (one not created stays so).
        auto resize = [](auto& a, int n, int def) {
            const int size = keptCount(a);
            if (size > 0) ModifyExtents(a, size, n - size, def);
        };
        resize(FColWidths, GetFullColCount(), FDefaultColWidth);
        resize(FTabStops, GetFullColCount(), 1);
        resize(FRowHeights, GetFullRowCount(), FDefaultRowHeight);
    } catch (...) {
        FContraColCount = oldCols;
        FContraRowCount = oldRows;
        FColWidths = oldWidths;
        FTabStops = oldTabs;
        FRowHeights = oldHeights;
        throw;
    }
    InvalidateGrid();
    UpdateScrollRange();
}

void TCustomGridEh::ChangeGridSize(int NewColCount, int NewRowCount) {
    TGridDrawInfoEh oldInfo;
    const bool hadWindow = HandleAllocated();
    if (hadWindow) CalcDrawInfo(oldInfo);
    const int oldColCount = FColCount, oldRowCount = FRowCount;
    const TSize oldDataSize = FGridDataSize;
    const TGridCoord oldTopLeft = FTopLeft;

    auto apply = [this](int cols, int rows) {
        FColCount = cols;
        FRowCount = rows;
        if (FFixedCols >= FColCount) FFixedCols = std::max(0, FColCount - 1);
        if (FFixedRows >= FRowCount) FFixedRows = std::max(0, FRowCount - 1);
        // A kept array follows the new line count (one not created stays so).
        auto resize = [](auto& a, int n, int def) {
            const int size = keptCount(a);
            if (size > 0) ModifyExtents(a, size, n - size, def);
        };
        resize(FColWidths, GetFullColCount(), FDefaultColWidth);
        resize(FTabStops, GetFullColCount(), 1);
        resize(FRowHeights, GetFullRowCount(), FDefaultRowHeight);
        if (FCurrent.X >= FColCount || FCurrent.Y >= FRowCount)
            MoveCurrent(std::min(FCurrent.X, FColCount - 1), std::min(FCurrent.Y, FRowCount - 1), true, true,
                        true);
        if (FAnchor.X >= FColCount || FAnchor.Y >= FRowCount)
            MoveAnchor({std::min(FAnchor.X, FColCount - 1), std::min(FAnchor.Y, FRowCount - 1)}, true);
        if (FTopLeft.X >= FColCount) FTopLeft.X = std::max(FFixedCols, FColCount - 1);
        if (FTopLeft.Y >= FRowCount) FTopLeft.Y = std::max(FFixedRows, FRowCount - 1);
    };

    try {
        apply(NewColCount, NewRowCount);
        if (VirtualView || FTopLeft != oldTopLeft || !hadWindow) {
            InvalidateGrid();
        } else if (HandleAllocated()) {
            TGridDrawInfoEh newInfo;
            CalcDrawInfo(newInfo);
            const int cw = ClientWidth(), ch = ClientHeight();
            if (oldColCount != FColCount) {
                const int last = std::min(oldInfo.Horz.LastFullVisibleCell, newInfo.Horz.LastFullVisibleCell);
                const int x = std::max(0, LinePos(newInfo.Horz, last));
                InvalidateClientRect({x, 0, cw, ch});
            }
            if (oldRowCount != FRowCount) {
                const int last = std::min(oldInfo.Vert.LastFullVisibleCell, newInfo.Vert.LastFullVisibleCell);
                const int y = std::max(0, LinePos(newInfo.Vert, last));
                InvalidateClientRect({0, y, cw, ch});
            }
        }
        UpdateScrollRange();
        SizeChanged(oldColCount, oldRowCount);
    } catch (...) {
        FGridDataSize = oldDataSize;
        try {
            apply(oldColCount, oldRowCount);
        } catch (...) {
        }
        InvalidateGrid();
        throw;
    }
}

void TCustomGridEh::ShiftLinesAt(int Index, int Count, bool IsRow) {
    if (Count == 0) return;
    const int oldColCount = FColCount, oldRowCount = FRowCount;
    const TGridCoord oldCurrent = FCurrent;
    int& count = IsRow ? FRowCount : FColCount;
    const int newCount = count + Count;
    if (IsRow) {
        if (!FRowHeights.Empty()) ModifyExtents(FRowHeights, Index, Count, FDefaultRowHeight);
    } else {
        if (!FColWidths.empty()) ModifyExtents(FColWidths, Index, Count, FDefaultColWidth);
        if (!FTabStops.empty()) ModifyExtents(FTabStops, Index, Count, 1);
    }
    count = newCount;
    auto follow = [&](int& line) {
        if (Count > 0) {
            if (line >= Index) line += Count;
        } else {
            const int removedEnd = Index - Count; // first line after the removed block
            if (line >= removedEnd)
                line += Count;
            else if (line >= Index)
                line = Index;
        }
        line = std::max(0, std::min(line, newCount - 1));
    };
    TGridCoord cur = FCurrent;
    follow(IsRow ? cur.Y : cur.X);
    follow(IsRow ? FAnchor.Y : FAnchor.X);
    int& tl = IsRow ? FTopLeft.Y : FTopLeft.X;
    const int fixedCount = IsRow ? FFixedRows : FFixedCols;
    tl = std::max(fixedCount, std::min(tl, newCount - 1));
    InvalidateGrid();
    SizeChanged(oldColCount, oldRowCount);
    if (cur != oldCurrent) {
        FCurrent = cur;
        MoveCurrent(cur.X, cur.Y, true, true, true);
    } else {
        FCurrent = cur;
    }
    UpdateScrollRange();
}

void TCustomGridEh::AdjustMovedIndex(int& Index, int FromIndex, int ToIndex) {
    if (Index == FromIndex)
        Index = ToIndex;
    else if (FromIndex < ToIndex && Index > FromIndex && Index <= ToIndex)
        --Index;
    else if (FromIndex > ToIndex && Index >= ToIndex && Index < FromIndex)
        ++Index;
}

void TCustomGridEh::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex) return;
    if (FromIndex < 0 || FromIndex >= GetFullColCount() || ToIndex < 0 || ToIndex >= GetFullColCount())
        InvalidOp("Grid index out of range");
    const bool hadWidths = !FColWidths.empty();
    if (hadWidths) {
        MoveExtent(FColWidths, FromIndex, ToIndex);
        MoveExtent(FTabStops, FromIndex, ToIndex);
    }
    AdjustMovedIndex(FCurrent.X, FromIndex, ToIndex);
    AdjustMovedIndex(FAnchor.X, FromIndex, ToIndex);
    if (FInplaceCol >= 0) AdjustMovedIndex(FInplaceCol, FromIndex, ToIndex);
    if (HandleAllocated()) {
        const TRect r = CellRect(std::min(FromIndex, ToIndex), 0);
        InvalidateClientRect({r.Left, 0, ClientWidth(), ClientHeight()});
    }
    ColumnMoved(FromIndex, ToIndex);
    if (hadWidths) ColWidthsChanged();
    UpdateEdit();
}

void TCustomGridEh::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex) return;
    if (FromIndex < 0 || FromIndex >= GetFullRowCount() || ToIndex < 0 || ToIndex >= GetFullRowCount())
        InvalidOp("Grid index out of range");
    const bool hadHeights = !FRowHeights.Empty();
    if (hadHeights) FRowHeights.Move(FromIndex, ToIndex);
    AdjustMovedIndex(FCurrent.Y, FromIndex, ToIndex);
    AdjustMovedIndex(FAnchor.Y, FromIndex, ToIndex);
    if (FInplaceRow >= 0) AdjustMovedIndex(FInplaceRow, FromIndex, ToIndex);
    if (HandleAllocated()) {
        const TRect r = CellRect(0, std::min(FromIndex, ToIndex));
        InvalidateClientRect({0, r.Top, ClientWidth(), ClientHeight()});
    }
    RowMoved(FromIndex, ToIndex);
    if (hadHeights) RowHeightsChanged();
    UpdateEdit();
}

// The deleted line goes to the end of the data lines (not past the contra lines, whose sizes
// would otherwise be lost) and the count then drops it.
void TCustomGridEh::DeleteColumn(int ACol) {
    MoveColumn(ACol, FColCount - 1);
    SetColCount(FColCount - 1);
}

void TCustomGridEh::DeleteRow(int ARow) {
    LockPaint();
    struct Unlock {
        TCustomGridEh* g;
        ~Unlock() { g->UnlockPaint(); }
    } unlock{this};
    if (ARow == FRowCount - 1 && FCurrent.Y == ARow && FCurrent.Y > 0) SetRow(FCurrent.Y - 1);
    const int keep = FCurrent.Y;
    MoveRow(ARow, FRowCount - 1);
    if (keep < FRowCount && FCurrent.Y != keep) FCurrent.Y = keep;
    SetRowCount(FRowCount - 1);
}

void TCustomGridEh::SetOptions(TGridOptions Value) {
    if (Value == FOptions) return;
    if (Value.Contains(goRowSelect)) Value.Exclude(goAlwaysShowEditor);
    FOptions = Value;
    if (!FEditorMode) {
        if (FOptions.Contains(goAlwaysShowEditor))
            ShowEditor();
        else
            HideEditor();
    }
    if (FOptions.Contains(goRowSelect)) {
        MoveCurrent(FCurrent.X, FCurrent.Y, false, false, true);
        UpdateHorzDataSize();
        UpdateVertDataSize();
    }
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGridEh::SetScrollBars(TScrollStyle Value) {
    if (FScrollBars == Value) return;
    FScrollBars = Value;
    RecreateWnd();
}

void TCustomGridEh::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomGridEh::SetFixedColor(TColor Value) {
    if (FFixedColor == Value) return;
    FFixedColor = Value;
    InvalidateGrid();
}

void TCustomGridEh::SetFlat(bool Value) {
    if (FFlat == Value) return;
    FFlat = Value;
    UpdateFixedLineColor();
    FlatChanged();
    InvalidateGrid();
}

void TCustomGridEh::UpdateFixedLineColor() {
    FFixedLineColor = FFlat ? TColor(RGB(128, 128, 128)) : clBlack;
}

void TCustomGridEh::SetGridLineColors(TGridLineColorsEh* Value) {
    FGridLineColors->Assign(Value);
}

// ---------------------------------------------------------------------------------------------
// Current cell and selection

void TCustomGridEh::MoveCurrent(int ACol, int ARow, bool ShowVert, bool ShowHorz, bool MoveAnchor) {
    if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount) InvalidOp("Grid index out of range");
    if (!CanSelectCell(ACol, ARow)) return;
    const TGridRect oldSel = GetSelection();
    const TGridCoord oldCurrent = FCurrent;
    FCurrent = {ACol, ARow};
    if (!FOptions.Contains(goAlwaysShowEditor)) HideEditor();
    if (MoveAnchor || !FOptions.Contains(goRangeSelect)) {
        FAnchor = FCurrent;
        if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
    }
    if (FOptions.Contains(goRowSelect)) FCurrent.X = FFixedCols;
    if (ShowVert || ShowHorz)
        ScrollCellInView(FCurrent, ShowHorz && !FOptions.Contains(goRowSelect), ShowVert);
    SelectionMoved(oldSel);
    InvalidateCell(oldCurrent.X, oldCurrent.Y);
    InvalidateCell(FCurrent.X, FCurrent.Y);
    CurrentCellMoved(oldCurrent);
}

void TCustomGridEh::FocusCell(int ACol, int ARow, bool ShowVert, bool ShowHorz, bool MoveAnchor) {
    MoveCurrent(ACol, ARow, ShowVert, ShowHorz, MoveAnchor);
}

void TCustomGridEh::MoveToCell(int ACol, int ARow, bool MoveAnchor) {
    MoveCurrent(ACol, ARow, true, true, MoveAnchor);
    UpdateEdit();
    Click();
}

void TCustomGridEh::SetCol(int Value) {
    if (Value != FCurrent.X) MoveToCell(Value, FCurrent.Y, true);
}

void TCustomGridEh::SetRow(int Value) {
    if (Value != FCurrent.Y) MoveToCell(FCurrent.X, Value, true);
}

void TCustomGridEh::SetLeftCol(int Value) {
    MoveTopLeft(Value, FTopLeft.Y);
}

void TCustomGridEh::SetTopRow(int Value) {
    MoveTopLeft(FTopLeft.X, Value);
}

void TCustomGridEh::MoveAnchor(const TGridCoord& NewAnchor, bool Show) {
    if (!FOptions.Contains(goRangeSelect) || FOptions.Contains(goEditing)) {
        MoveCurrent(NewAnchor.X, NewAnchor.Y, Show, Show, true);
        return;
    }
    const TGridRect oldSel = GetSelection();
    FAnchor = NewAnchor;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
    if (Show) ScrollCellInView(FAnchor, !FOptions.Contains(goRowSelect), true);
    SelectionMoved(oldSel);
}

TGridRect TCustomGridEh::GetSelection() const {
    return NormalisedCells(FCurrent, FAnchor);
}

void TCustomGridEh::SelectionMoved(const TGridRect& OldSelection) {
    if (!HandleAllocated()) return;
    const TRect o = GridRectToScreenRect(OldSelection, true);
    const TRect n = GridRectToScreenRect(GetSelection(), true);
    if (o == n) return;
    TRect inter;
    const bool overlap = IntersectRect(inter, o, n);
    if (!overlap) {
        InvalidateClientRect(o);
        InvalidateClientRect(n);
        return;
    }
    // The symmetric difference of two overlapping rectangles: at most four strips.
    const TRect u{std::min(o.Left, n.Left), std::min(o.Top, n.Top), std::max(o.Right, n.Right),
                  std::max(o.Bottom, n.Bottom)};
    if (o.Top != n.Top) InvalidateClientRect({u.Left, u.Top, u.Right, inter.Top});
    if (o.Bottom != n.Bottom) InvalidateClientRect({u.Left, inter.Bottom, u.Right, u.Bottom});
    if (o.Left != n.Left) InvalidateClientRect({u.Left, inter.Top, inter.Left, inter.Bottom});
    if (o.Right != n.Right) InvalidateClientRect({inter.Right, inter.Top, u.Right, inter.Bottom});
}

void TCustomGridEh::InvalidateClientRect(const TRect& R) {
    if (!HandleAllocated() || R.Left >= R.Right || R.Top >= R.Bottom) return;
    InvalidateRect(FHandle, &R, FALSE);
}

void TCustomGridEh::InvalidateCell(int ACol, int ARow) {
    InvalidateCellRect({ACol, ARow, ACol, ARow});
}

void TCustomGridEh::InvalidateCol(int ACol) {
    if (!HandleAllocated()) return;
    InvalidateCellRect({ACol, 0, ACol, VisibleRowCount() + FTopLeft.Y + 1});
    if (FContraRowCount > 0) InvalidateCellRect({ACol, FRowCount, ACol, GetFullRowCount() - 1});
}

void TCustomGridEh::InvalidateRow(int ARow) {
    if (!HandleAllocated()) return;
    InvalidateCellRect({0, ARow, VisibleColCount() + FTopLeft.X + 1, ARow});
    if (FContraColCount > 0) InvalidateCellRect({FColCount, ARow, GetFullColCount() - 1, ARow});
}

void TCustomGridEh::InvalidateCellRect(const TGridRect& ARect) {
    if (!HandleAllocated()) return;
    InvalidateClientRect(GridRectToScreenRect(ARect, true));
}

void TCustomGridEh::InvalidateGrid() {
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Geometry

void TCustomGridEh::CalcDrawInfo(TGridDrawInfoEh& DrawInfo) {
    if (HandleAllocated())
        CalcDrawInfoXY(DrawInfo, ClientWidth(), ClientHeight());
    else
        CalcDrawInfoXY(DrawInfo, Width(), Height());
}

void TCustomGridEh::CalcAxisDrawInfo(TGridAxisDrawInfoEh& A, int Extent, bool Rows) {
    const TGridOptions& o = FOptions;
    const bool lines = Rows ? (o.Contains(goFixedHorzLine) || o.Contains(goHorzLine))
                            : (o.Contains(goFixedVertLine) || o.Contains(goVertLine));
    A.EffectiveLineWidth = lines ? FGridLineWidth : 0;
    const int lw = A.EffectiveLineWidth;
    A.GetExtent = TGetExtentsFuncEh{this, Rows};
    // 1. Contra part
    if (FOutBoundaryData) {
        A.ContraBorderIndent = Rows ? FOutBoundaryData->BottomIndent() : FOutBoundaryData->RightIndent();
        A.NullBorderIndent = Rows ? FOutBoundaryData->TopIndent() : FOutBoundaryData->LeftIndent();
    } else {
        A.ContraBorderIndent = A.NullBorderIndent = 0;
    }
    A.ContraCelCount = Rows ? FContraRowCount : FContraColCount;
    A.DataOffset = Rows ? FDataOffset.cy : FDataOffset.cx;
    const int count = Rows ? FRowCount : FColCount;
    A.ContraExtent = Extent - A.ContraBorderIndent;
    for (int i = count; i < count + A.ContraCelCount; ++i)
        A.ContraExtent -= A.GetExtent(i) + lw;
    if (A.ContraCelCount > 0) A.ContraExtent -= FGridLineWidth;
    // 2. Fixed part
    A.FixedCellCount = Rows ? FFixedRows : FFixedCols;
    A.FixedBoundary = A.NullBorderIndent;
    for (int i = 0; i < A.FixedCellCount; ++i)
        A.FixedBoundary += A.GetExtent(i) + lw;
    A.FirstGridCell = Rows ? FTopLeft.Y : FTopLeft.X;
    A.GridCellCount = count;
    A.FullGridCellCount = count + A.ContraCelCount;
    A.FrozenCelCount = Rows ? FFrozenRowCount : FFrozenColCount;
    A.NoFrozenBoundary = A.FixedBoundary;
    for (int i = A.FixedCellCount - A.FrozenCelCount; i < A.FixedCellCount; ++i)
        if (i >= 0) A.NoFrozenBoundary -= A.GetExtent(i) + lw;
    // 3. Visible part
    A.FullGridExtent = Extent - A.ContraBorderIndent;
    A.ClientAreaExtent = Extent;
    A.GridExtent = A.ContraExtent;
    A.OutViewVisCellStart = A.GridBoundary = A.FixedBoundary - A.DataOffset;
    A.FullVisBoundary = A.FixedBoundary;
    A.LastFullVisibleCell = A.FirstGridCell;
    for (int i = A.FirstGridCell; i < A.GridCellCount; ++i) {
        const int c = A.GridBoundary + A.GetExtent(i) + lw;
        if (c > A.GridExtent) {
            A.GridBoundary = A.GridExtent;
            break;
        }
        A.GridBoundary = c;
        A.LastFullVisibleCell = i;
        A.FullVisBoundary = c;
    }
    A.FullGridBoundary = A.ContraCelCount == 0 ? A.GridBoundary : A.FullGridExtent;
    A.VirtualGridBoundary = 0;
}

void TCustomGridEh::CalcDrawInfoXY(TGridDrawInfoEh& DrawInfo, int UseWidth, int UseHeight) {
    CalcAxisDrawInfo(DrawInfo.Horz, UseWidth, false);
    CalcAxisDrawInfo(DrawInfo.Vert, UseHeight, true);
}

int TCustomGridEh::CalcAxisCoord(int Pos, const TGridAxisDrawInfoEh& A, bool Horz) {
    const int lw = A.EffectiveLineWidth;
    auto scan = [&](int start, int first, int last) {
        int line = start;
        for (int i = first; i <= last; ++i) {
            line += A.GetExtent(i) + lw;
            if (line > Pos) return i;
        }
        return -1;
    };
    if (Horz && UseRightToLeftAlignment()) {
        Pos = A.ClientAreaExtent - Pos;
        if (Pos < A.FixedBoundary) return scan(0, 0, A.FixedCellCount - 1);
        return scan(A.FixedBoundary - A.DataOffset, A.FirstGridCell, A.GridCellCount - 1);
    }
    if (Pos < A.NullBorderIndent) return -1;
    if (Pos < A.FixedBoundary) return scan(A.NullBorderIndent, 0, A.FixedCellCount - 1);
    // Beyond the data area only contra lines can be hit (none: nothing is hit).
    if (Pos > A.ContraExtent) return scan(A.ContraExtent + lw, A.GridCellCount, A.FullGridCellCount - 1);
    return scan(A.FixedBoundary - A.DataOffset, A.FirstGridCell, A.GridCellCount - 1);
}

TGridCoord TCustomGridEh::CalcCoordFromPoint(int X, int Y, const TGridDrawInfoEh& DrawInfo) {
    return {CalcAxisCoord(X, DrawInfo.Horz, true), CalcAxisCoord(Y, DrawInfo.Vert, false)};
}

TGridCoord TCustomGridEh::MouseCoord(int X, int Y) {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    TGridCoord c = CalcCoordFromPoint(X, Y, di);
    if (c.X < 0 || c.Y < 0) c = {-1, -1};
    return c;
}

int TCustomGridEh::LinePos(const TGridAxisDrawInfoEh& A, int Line) {
    const int lw = A.EffectiveLineWidth;
    int start;
    if (Line < A.FixedCellCount) {
        start = A.NullBorderIndent;
        for (int i = 0; i < Line; ++i)
            start += A.GetExtent(i) + lw;
    } else if (A.ContraCelCount > 0 && Line >= A.GridCellCount) {
        start = A.ContraExtent + lw;
        for (int i = A.GridCellCount; i < Line; ++i)
            start += A.GetExtent(i) + lw;
    } else if (Line >= A.FirstGridCell) {
        start = A.FixedBoundary - A.DataOffset;
        for (int i = A.FirstGridCell; i < Line; ++i) {
            start += A.GetExtent(i) + lw;
            if (start > A.FullGridExtent) return 0; // far beyond the view; no need to sum further
        }
    } else {
        start = A.NullBorderIndent;
    }
    if (start > A.FullGridExtent) return 0;
    return start;
}

// One axis of GridRectToScreenRect; false when the range is not visible.
bool TCustomGridEh::AxisRectToScreen(const TGridAxisDrawInfoEh& A, int First, int Last, bool IncludeLine,
                                     int& Start, int& Finish) {
    if (First > Last) return false;
    const bool hasContra = A.ContraCelCount > 0;
    if (First > A.LastFullVisibleCell + 1 &&
        !(hasContra && Last >= A.GridCellCount && First < A.FullGridCellCount) &&
        !(hasContra && First >= A.GridCellCount))
        return false;
    if (First > A.FullGridCellCount + 1) First = A.FullGridCellCount;
    if (First >= A.FixedCellCount && First < A.FirstGridCell) {
        if (Last < A.FirstGridCell) return false;
        First = A.FirstGridCell;
    }
    if (Last > A.LastFullVisibleCell) {
        if (!hasContra || Last < A.GridCellCount) {
            if (A.LastFullVisibleCell + 1 < A.GridCellCount)
                Last = A.LastFullVisibleCell + 1;
            else
                Last = A.LastFullVisibleCell;
            if (Last > First && LinePos(A, Last) >= A.GridExtent) --Last;
        } else {
            Last = std::min(Last, A.FullGridCellCount - 1);
        }
    }
    if (First >= A.FullGridCellCount) return false;
    Start = LinePos(A, First);
    const int lastStart = LinePos(A, Last);
    if (Last == First || (lastStart == 0 && Last >= A.FixedCellCount))
        Finish = Start + A.GetExtent(First);
    else
        Finish = lastStart + A.GetExtent(Last);
    if (Last >= A.GridCellCount && hasContra)
        Finish = std::min(Finish, A.FullGridExtent);
    else
        Finish = std::min(Finish, A.GridExtent);
    if (First >= A.FixedCellCount && First < A.GridCellCount) Start = std::max(Start, A.FixedBoundary);
    if (IncludeLine) Finish += A.EffectiveLineWidth;
    return Finish > Start || (Finish == Start && false);
}

TRect TCustomGridEh::GridRectToScreenRect(const TGridRect& GridRect, const TGridDrawInfoEh& DrawInfo,
                                          bool IncludeLine) {
    TRect r;
    if (!AxisRectToScreen(DrawInfo.Horz, GridRect.Left, GridRect.Right, IncludeLine, r.Left, r.Right))
        return {};
    if (!AxisRectToScreen(DrawInfo.Vert, GridRect.Top, GridRect.Bottom, IncludeLine, r.Top, r.Bottom))
        return {};
    if (UseRightToLeftAlignment()) {
        const int w = ClientWidth();
        const int l = w - r.Right, rr = w - r.Left;
        r.Left = l;
        r.Right = rr;
    }
    return r;
}

TRect TCustomGridEh::GridRectToScreenRect(const TGridRect& GridRect, bool IncludeLine) {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    return GridRectToScreenRect(GridRect, di, IncludeLine);
}

TRect TCustomGridEh::BoxRect(int ALeft, int ATop, int ARight, int ABottom) {
    return GridRectToScreenRect({ALeft, ATop, ARight, ABottom}, false);
}

TRect TCustomGridEh::CellRect(int ACol, int ARow) {
    return BoxRect(ACol, ARow, ACol, ARow);
}

int TCustomGridEh::AxisCalcMaxTopLeft(int T, const TGridAxisDrawInfoEh& A) {
    const int start = std::max(T, A.FixedCellCount);
    int line = A.GridExtent + A.EffectiveLineWidth;
    int result = T;
    for (int i = start; i >= A.FixedCellCount; --i) {
        const int size = A.GetExtent(i);
        if (size <= 0) continue;
        line -= size + A.EffectiveLineWidth;
        if (line <= A.FixedBoundary) {
            if (result == start && A.GetExtent(start) <= 0) result = i;
            break;
        }
        result = i;
    }
    return result;
}

int TCustomGridEh::AxisCalcMaxTopLeftOffset(int T, const TGridAxisDrawInfoEh& A) {
    int line = A.GridExtent;
    for (int i = T; i >= A.FixedCellCount; --i) {
        const int size = A.GetExtent(i);
        if (size <= 0) continue;
        line -= size + A.EffectiveLineWidth;
        if (line <= A.FixedBoundary) return i == T ? 0 : A.FixedBoundary - line;
    }
    return 0;
}

TGridCoord TCustomGridEh::CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfoEh& DrawInfo) {
    return {AxisCalcMaxTopLeft(Coord.X, DrawInfo.Horz), AxisCalcMaxTopLeft(Coord.Y, DrawInfo.Vert)};
}

TGridCoord TCustomGridEh::CalcMaxTopLeftOffset(const TGridCoord& Coord, const TGridDrawInfoEh& DrawInfo) {
    return {AxisCalcMaxTopLeftOffset(Coord.X, DrawInfo.Horz),
            AxisCalcMaxTopLeftOffset(Coord.Y, DrawInfo.Vert)};
}

int TCustomGridEh::VisibleColCount() {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    return di.Horz.LastFullVisibleCell - FTopLeft.X + 1;
}

int TCustomGridEh::VisibleRowCount() {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    return di.Vert.LastFullVisibleCell - FTopLeft.Y + 1;
}

int TCustomGridEh::GetGridWidth() {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    return di.Horz.GridBoundary;
}

int TCustomGridEh::GridHeight() {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    return di.Vert.GridBoundary;
}

bool TCustomGridEh::CheckConsistency() const {
    auto arrayOk = [](const TIntegerArray& a, int n) {
        return a.empty() || (a[0] == n && int(a.size()) == n + 1);
    };
    return FColCount >= 1 && FRowCount >= 1 && FFixedCols >= 0 && FFixedCols < FColCount && FFixedRows >= 0 &&
           FFixedRows < FRowCount && FContraColCount >= 0 && FContraRowCount >= 0 &&
           arrayOk(FColWidths, GetFullColCount()) && arrayOk(FTabStops, GetFullColCount()) &&
           (FRowHeights.Empty() || FRowHeights.Count() == GetFullRowCount()) && FRowHeights.Valid() &&
           FCurrent.X >= 0 && FCurrent.X < FColCount &&
           FCurrent.Y >= 0 && FCurrent.Y < FRowCount && FTopLeft.X >= FFixedCols &&
           FTopLeft.Y >= FFixedRows && FDataOffset.cx >= 0 && FDataOffset.cy >= 0;
}

// ---------------------------------------------------------------------------------------------
// Streaming of the line sizes

namespace {
bool SameExtents(const TIntegerArray& a, const TIntegerArray& b) {
    if (a.empty() && b.empty()) return true;
    return a == b;
}
} // namespace

void TCustomGridEh::DefineProperties(TFiler* Filer) {
    TCustomControl::DefineProperties(Filer);
    if (!FSaveCellExtents) return;
    auto* anc = dynamic_cast<TCustomGridEh*>(Filer->Ancestor());
    const bool storeCols = anc ? !SameExtents(anc->FColWidths, FColWidths) : !FColWidths.empty();
    const bool storeRows = anc ? !anc->FRowHeights.SameAs(FRowHeights) : !FRowHeights.Empty();
    Filer->DefineProperty(
        QStringLiteral("ColWidths"),
        [this](TReader* R) {
            R->ReadListBegin();
            for (int i = 0; i < FColCount && !R->EndOfList(); ++i)
                SetColWidths(i, R->ReadInteger());
            while (!R->EndOfList())
                R->ReadInteger();
            R->ReadListEnd();
        },
        [this](TWriter* W) {
            W->WriteListBegin();
            for (int i = 0; i < FColCount; ++i)
                W->WriteInteger(GetColWidths(i));
            W->WriteListEnd();
        },
        storeCols);
    Filer->DefineProperty(
        QStringLiteral("RowHeights"),
        [this](TReader* R) {
            R->ReadListBegin();
            for (int i = 0; i < FRowCount && !R->EndOfList(); ++i)
                SetRowHeights(i, R->ReadInteger());
            while (!R->EndOfList())
                R->ReadInteger();
            R->ReadListEnd();
        },
        [this](TWriter* W) {
            W->WriteListBegin();
            for (int i = 0; i < FRowCount; ++i)
                W->WriteInteger(GetRowHeights(i));
            W->WriteListEnd();
        },
        storeRows);
}
