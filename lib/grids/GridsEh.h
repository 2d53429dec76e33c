#pragma once
// GridsEh: the grid engine. TCustomGridEh keeps columns and rows of integer sizes, split per axis
// into four areas (null-border indent, fixed lines whose last ones may be frozen, scrolled data
// lines with a pixel offset, contra lines anchored to the far edge). Every hit test, cell
// rectangle, scroll range and paint loop is derived from one geometry record (TGridDrawInfoEh)
// computed from the current sizes; nothing positional is cached between calls.
//
// Invariants kept by the setters:
//   ColCount >= 1, RowCount >= 1; 0 <= FixedCols < ColCount, 0 <= FixedRows < RowCount;
//   contra counts >= 0; the current cell lies inside ColCount x RowCount;
//   a kept size array is either empty or holds exactly the full count (data + contra lines);
//   FTopLeft is at or after the first data line; FDataOffset >= 0 and 0 in line mode.
//
// The unit also has the in-place editor (TInplaceEdit), the shared drag feedback windows and the
// appearance objects (line colours, line cache, margins, background picture).
//
// Construction is two-phase: the objects a descendant may replace (line colours, hot-track
// spots, background data) are made again through their virtual factories in AfterConstruction,
// so create grids with Create<T>(Owner) (a plain `new` gets the base class's objects).

#include "lib/grids/GridsEhExtents.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Gestures.h"
#include "platform/ui/Mask.h"
#include "platform/ui/WinApi.h"

#include <memory>
#include <vector>

class TCustomGridEh;
class TInplaceEdit;
class TGridLineColorsEh;
class TGridOutBoundaryDataEh;
class TGridBackgroundDataEh;
class TGridLinesCacheEh;
class TGridHotTrackSpotEh;

// ---------------------------------------------------------------------------------------------
// Types

struct TGridCoord {
    int X = 0; // column
    int Y = 0; // row
    constexpr TGridCoord() = default;
    constexpr TGridCoord(int x, int y) : X(x), Y(y) {}
    friend constexpr bool operator==(const TGridCoord& a, const TGridCoord& b) {
        return a.X == b.X && a.Y == b.Y;
    }
    friend constexpr bool operator!=(const TGridCoord& a, const TGridCoord& b) { return !(a == b); }
};

// A cell range: Left/Right are columns, Top/Bottom rows (inclusive).
using TGridRect = TRect;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed, gdHotTrack, gdCurrent };
using TGridDrawState = TSet<TGridDrawStateItem>;

enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking,
    goExtendVertLines
};
using TGridOptions = TSet<TGridOption>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

enum TGridCellBorderTypeEh { cbtTopEh, cbtLeftEh, cbtBottomEh, cbtRightEh };

// Element 0 holds the number of entries that follow; entry i+1 belongs to line i.
using TIntegerArray = std::vector<int>;

// The size of one column or row of a grid.
struct TGetExtentsFuncEh {
    TCustomGridEh* Grid = nullptr;
    bool Rows = false;
    int operator()(int Index) const;
};

using TGridEhCellMouseEvent = TEvent<void(TCustomGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                          TShiftState Shift, int X, int Y, bool& Processed)>;
using TMovedEvent = TEvent<void(TObject* Sender, int FromIndex, int ToIndex)>;

KVT_EXCEPTION(EInvalidGridOperationEh, Exception)

struct TDrawLinesInfoEh {
    std::vector<TPoint> PointsList;
    std::vector<DWORD> StrokeList;
    int MaxStroke = 0;
    int LastCol = 0;
    int LastRow = 0;
    TColor VertColor = clNone;
    TColor HorzColor = clNone;
};

// One axis of the geometry (see CalcDrawInfoXY).
struct TGridAxisDrawInfoEh {
    int EffectiveLineWidth = 0;
    int FixedBoundary = 0;
    int GridBoundary = 0;
    int GridExtent = 0;
    int LastFullVisibleCell = 0;
    int FullVisBoundary = 0;
    int FixedCellCount = 0;
    int FirstGridCell = 0;
    int GridCellCount = 0;
    TGetExtentsFuncEh GetExtent;
    int NoFrozenBoundary = 0;
    int FrozenCelCount = 0;
    int ContraCelCount = 0;
    int ContraExtent = 0;
    int FullGridExtent = 0;
    int ClientAreaExtent = 0;
    int FullGridBoundary = 0;
    int FullGridCellCount = 0;
    int DataOffset = 0;
    int OutViewVisCellStart = 0;
    int VirtualGridBoundary = 0;
    int NullBorderIndent = 0;
    int ContraBorderIndent = 0;
};

struct TGridDrawInfoEh {
    TGridAxisDrawInfoEh Horz;
    TGridAxisDrawInfoEh Vert;
};

// ---------------------------------------------------------------------------------------------
// Appearance objects

class TGridLineColorsEh : public TPersistent {
    KVT_CLASS(TGridLineColorsEh, TPersistent)
public:
    explicit TGridLineColorsEh(TCustomGridEh* AGrid);
    void Assign(TPersistent* Source) override;
    TCustomGridEh* Grid() const { return FGrid; }

    virtual TColor GetCellLineColor(int ACol, int ARow);
    virtual TColor GetColBorderColor(int ACol);
    virtual TColor GetRowBorderColor(int ACol, int ARow);
    virtual TColor GetFrozenColBorderColor(int ACol);
    virtual TColor GetFrozenRowBorderColor(int ACol, int ARow);
    virtual TColor GetVertAreaFrozenVertColor();
    virtual TColor GetVertAreaFrozenHorzColor();
    virtual TColor GetHorzAreaFrozenVertColor();
    virtual TColor GetHorzAreaFrozenHorzColor();
    virtual TColor GetVertAreaFrozenBorderColor();
    virtual TColor GetHorzAreaFrozenBorderColor();
    virtual TColor GetDataVertColor();
    virtual TColor GetDataHorzColor();
    virtual TColor GetDarkColor();
    virtual TColor GetBrightColor();
    virtual TColor GetFixedVertColor();
    virtual TColor GetFixedHorzColor();
    virtual TColor GetVertAreaContraVertColor();
    virtual TColor GetVertAreaContraHorzColor();
    virtual TColor GetHorzAreaContraVertColor();
    virtual TColor GetHorzAreaContraHorzColor();
    virtual TColor GetVertAreaContraBorderColor();
    virtual TColor GetHorzAreaContraBorderColor();

    TColor BrightColor() { return GetBrightColor(); }
    void SetBrightColor(TColor v) { SetColorField(FBrightColor, v); }
    TColor DarkColor() { return GetDarkColor(); }
    void SetDarkColor(TColor v) { SetColorField(FDarkColor, v); }
    TColor DataHorzColor() { return GetDataHorzColor(); }
    void SetDataHorzColor(TColor v) { SetColorField(FDataHorzColor, v); }
    TColor DataVertColor() { return GetDataVertColor(); }
    void SetDataVertColor(TColor v) { SetColorField(FDataVertColor, v); }
    void SetFixedHorzColor(TColor v) { SetColorField(FFixedHorzColor, v); }
    void SetFixedVertColor(TColor v) { SetColorField(FFixedVertColor, v); }
    void SetHorzAreaContraBorderColor(TColor v) { SetColorField(FHorzAreaContraBorderColor, v); }
    void SetHorzAreaContraHorzColor(TColor v) { SetColorField(FHorzAreaContraHorzColor, v); }
    void SetHorzAreaContraVertColor(TColor v) { SetColorField(FHorzAreaContraVertColor, v); }
    void SetHorzAreaFrozenBorderColor(TColor v) { SetColorField(FHorzAreaFrozenBorderColor, v); }
    void SetHorzAreaFrozenHorzColor(TColor v) { SetColorField(FHorzAreaFrozenHorzColor, v); }
    void SetHorzAreaFrozenVertColor(TColor v) { SetColorField(FHorzAreaFrozenVertColor, v); }
    void SetVertAreaContraBorderColor(TColor v) { SetColorField(FVertAreaContraBorderColor, v); }
    void SetVertAreaContraHorzColor(TColor v) { SetColorField(FVertAreaContraHorzColor, v); }
    void SetVertAreaContraVertColor(TColor v) { SetColorField(FVertAreaContraVertColor, v); }
    void SetVertAreaFrozenBorderColor(TColor v) { SetColorField(FVertAreaFrozenBorderColor, v); }
    void SetVertAreaFrozenHorzColor(TColor v) { SetColorField(FVertAreaFrozenHorzColor, v); }
    void SetVertAreaFrozenVertColor(TColor v) { SetColorField(FVertAreaFrozenVertColor, v); }

protected:
    void SetColorField(TColor& Field, TColor Value);

    TCustomGridEh* FGrid;
    TColor FBrightColor = clDefault;
    TColor FDarkColor = clDefault;
    TColor FDataHorzColor = clDefault;
    TColor FDataVertColor = clDefault;
    TColor FFixedHorzColor = clDefault;
    TColor FFixedVertColor = clDefault;
    TColor FHorzAreaContraBorderColor = clDefault;
    TColor FHorzAreaContraHorzColor = clDefault;
    TColor FHorzAreaContraVertColor = clDefault;
    TColor FHorzAreaFrozenBorderColor = clDefault;
    TColor FHorzAreaFrozenHorzColor = clDefault;
    TColor FHorzAreaFrozenVertColor = clDefault;
    TColor FVertAreaContraBorderColor = clDefault;
    TColor FVertAreaContraHorzColor = clDefault;
    TColor FVertAreaContraVertColor = clDefault;
    TColor FVertAreaFrozenBorderColor = clDefault;
    TColor FVertAreaFrozenHorzColor = clDefault;
    TColor FVertAreaFrozenVertColor = clDefault;
};

class TGridLinePenEh : public TPersistent {
    KVT_CLASS(TGridLinePenEh, TPersistent)
public:
    explicit TGridLinePenEh(TPersistent* AOwner);
    void Assign(TPersistent* Source) override;
    TColor Color() { return ReadColor(); }
    void SetColor(TColor v) { WriteColor(v); }
    int Width() { return ReadWidth(); }
    void SetWidth(int v) { WriteWidth(v); }

protected:
    TPersistent* GetOwner() override { return FOwner; }
    virtual TColor ReadColor();
    virtual int ReadWidth();
    virtual void WriteColor(TColor Value);
    virtual void WriteWidth(int Value);

    TPersistent* FOwner;
    TColor FColor = clDefault;
    int FWidth = 1;
};

class TGridLinesEh : public TObject {
    KVT_CLASS(TGridLinesEh, TObject)
public:
    TColor Color = clNone;
    std::vector<TPoint> Points; // two per segment
};

// Line segments of one paint pass collected per colour, in order of first use, so that each
// colour is drawn with one PolyPolyline call.
class TGridLinesCacheEh : public TObject {
    KVT_CLASS(TGridLinesCacheEh, TObject)
public:
    TGridLinesCacheEh() = default;
    void Clear();
    int Count() const { return int(FItems.size()); }
    TGridLinesEh* Get(int Index) const { return FItems.at(size_t(Index)).get(); }
    TGridLinesEh* GetGridLines(TColor Color);
    void AddLine(TColor Color, int X1, int Y1, int X2, int Y2);
    void Draw(TCustomGridEh* Grid, TCanvas* Canvas);

private:
    std::vector<std::unique_ptr<TGridLinesEh>> FItems;
    std::vector<DWORD> FStrokes;
};

enum TCornerDrawPriorityEh { crpHorizontalDataPriorityEh, crpVerticalDataPriorityEh };

class TGridOutBoundaryDataEh : public TPersistent {
    KVT_CLASS(TGridOutBoundaryDataEh, TPersistent)
public:
    explicit TGridOutBoundaryDataEh(TCustomGridEh* AGrid);
    void Assign(TPersistent* Source) override;

    int LeftIndent() const { return FLeftIndent; }
    void SetLeftIndent(int v);
    int TopIndent() const { return FTopIndent; }
    void SetTopIndent(int v);
    int RightIndent() const { return FRightIndent; }
    void SetRightIndent(int v);
    int BottomIndent() const { return FBottomIndent; }
    void SetBottomIndent(int v);
    TCornerDrawPriorityEh LeftTopDrawPriority() const { return FLeftTopDrawPriority; }
    void SetLeftTopDrawPriority(TCornerDrawPriorityEh v);
    TCornerDrawPriorityEh RightTopDrawPriority() const { return FRightTopDrawPriority; }
    void SetRightTopDrawPriority(TCornerDrawPriorityEh v);
    TCornerDrawPriorityEh LeftBottomDrawPriority() const { return FLeftBottomDrawPriority; }
    void SetLeftBottomDrawPriority(TCornerDrawPriorityEh v);
    TCornerDrawPriorityEh RightBottomDrawPriority() const { return FRightBottomDrawPriority; }
    void SetRightBottomDrawPriority(TCornerDrawPriorityEh v);

    // The margin's client rectangle; false when its indent is 0.
    bool GetOutBoundaryRect(TRect& ARect, TGridCellBorderTypeEh OutBoundaryType);
    void InvalidateOutBoundary(TGridCellBorderTypeEh OutBoundaryType);

protected:
    void Changed();

    int FLeftIndent = 0;
    int FTopIndent = 0;
    int FRightIndent = 0;
    int FBottomIndent = 0;
    TCornerDrawPriorityEh FLeftTopDrawPriority = crpHorizontalDataPriorityEh;
    TCornerDrawPriorityEh FRightTopDrawPriority = crpHorizontalDataPriorityEh;
    TCornerDrawPriorityEh FLeftBottomDrawPriority = crpHorizontalDataPriorityEh;
    TCornerDrawPriorityEh FRightBottomDrawPriority = crpHorizontalDataPriorityEh;
    TCustomGridEh* FGrid;
};

enum TImagePlacementEh {
    ipTopLeftEh,
    ipTopCenterEh,
    ipTopRightEh,
    ipCenterLeftEh,
    ipCenterCenterEh,
    ipCenterRightEh,
    ipBottomLeftEh,
    ipBottomCenterEh,
    ipBottomRightEh,
    ipFillEh,
    ipFitEh,
    ipStretchEh,
    ipTileEh
};

class TGridBackgroundDataEh : public TPersistent {
    KVT_CLASS(TGridBackgroundDataEh, TPersistent)
public:
    explicit TGridBackgroundDataEh(TCustomGridEh* AGrid);
    ~TGridBackgroundDataEh() override;
    void Assign(TPersistent* Source) override;

    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* v);
    TImagePlacementEh Placement() const { return FImagePlacement; }
    void SetPlacement(TImagePlacementEh v);
    int HorzMargin() const { return FImageHorzMargin; }
    void SetHorzMargin(int v);
    int VertMargin() const { return FImageVertMargin; }
    void SetVertMargin(int v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    TCustomGridEh* Grid() const { return FGrid; }

    virtual bool Showing();
    virtual void BoundRect(const TGridDrawInfoEh& DrawInfo, TRect& Rect);
    virtual void PaintBackgroundData();

    // Where the picture is drawn for an area (the picture's own size unless filled, fitted or
    // stretched); margins move the rectangle, they do not shrink the area.
    TRect CalcPictureRect(const TRect& Area) const;

protected:
    void PictureChanged(TObject* Sender);
    void Changed();

    std::unique_ptr<TPicture> FPicture;
    int FImageHorzMargin = 0;
    int FImageVertMargin = 0;
    TImagePlacementEh FImagePlacement = ipCenterCenterEh;
    TCustomGridEh* FGrid;
    bool FVisible = false;
};

// The cell (and position in it) under the mouse that takes part in hot tracking.
class TGridHotTrackSpotEh : public TPersistent {
    KVT_CLASS(TGridHotTrackSpotEh, TPersistent)
public:
    TGridHotTrackSpotEh() = default;
    void Assign(TPersistent* Source) override;
    int Col() const { return FCol; }
    void SetCol(int v) { FCol = v; }
    int Row() const { return FRow; }
    void SetRow(int v) { FRow = v; }
    int InCellX() const { return FInCellX; }
    void SetInCellX(int v) { FInCellX = v; }
    int InCellY() const { return FInCellY; }
    void SetInCellY(int v) { FInCellY = v; }

protected:
    int FCol = -1;
    int FRow = -1;
    int FInCellX = -1;
    int FInCellY = -1;
};

// ---------------------------------------------------------------------------------------------
// The in-place editor: a masked edit laid over the current cell.

class TInplaceEdit : public TCustomMaskEdit {
    KVT_CLASS(TInplaceEdit, TCustomMaskEdit)
public:
    explicit TInplaceEdit(TComponent* AOwner);
    ~TInplaceEdit() override;

    TCustomGridEh* Grid() const { return FGrid; }
    void SetGrid(TCustomGridEh* v) { FGrid = v; }
    int ClickTime() const { return FClickTime; }
    void SetClickTime(int v) { FClickTime = v; }

    // Caret to the end, nothing selected.
    void Deselect();
    void Invalidate() override;
    // Hides the window (focus back to the grid when it had it).
    void Hide();
    // Shows the editor at Loc (grid client coordinates); an empty rectangle hides it.
    void Move(const TRect& Loc);
    void UpdateLoc(const TRect& Loc);
    bool PosEqual(const TRect& Rect);
    bool Visible();
    void SetFocus() override;
    bool EditCanModify() override;

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;

protected:
    friend class TCustomGridEh;

    virtual void BoundsChanged();
    virtual void ReloadFromGrid();

    void CreateParams(TCreateParams& Params) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DblClick() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void InternalMove(const TRect& Loc, bool Redraw);
    // The caret is at the start / the end of the text in the sense the arrow keys need.
    bool CaretAtStart();
    bool CaretAtEnd();

    TCustomGridEh* FGrid = nullptr;
    int FClickTime = 0;
};

// ---------------------------------------------------------------------------------------------
// The grid

class TCustomGridEh : public TCustomControl {
    KVT_CLASS(TCustomGridEh, TCustomControl)
public:
    explicit TCustomGridEh(TComponent* AOwner);
    ~TCustomGridEh() override;
    void AfterConstruction() override;

    // --- structure
    int ColCount() const { return FColCount; }
    void SetColCount(int Value);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int Value);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int Value);
    int ContraColCount() const { return FContraColCount; }
    void SetContraColCount(int Value);
    int ContraRowCount() const { return FContraRowCount; }
    void SetContraRowCount(int Value);
    int FrozenColCount() const { return FFrozenColCount; }
    void SetFrozenColCount(int Value);
    int FrozenRowCount() const { return FFrozenRowCount; }
    int GetFullColCount() const { return FColCount + FContraColCount; }
    int GetFullRowCount() const { return FRowCount + FContraRowCount; }

    int GetColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int ColWidths(int Index) const { return GetColWidths(Index); }
    int GetRowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    int RowHeights(int Index) const { return GetRowHeights(Index); }
    bool GetTabStops(int Index) const;
    void SetTabStops(int Index, bool Value);
    bool TabStops(int Index) const { return GetTabStops(Index); }
    int DefaultColWidth() const { return FDefaultColWidth; }
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int Value);
    int GridLineWidth() const { return FGridLineWidth; }
    bool DefaultDrawing() const { return FDefaultDrawing; }
    bool SaveCellExtents() const { return FSaveCellExtents; }
    void SetSaveCellExtents(bool v) { FSaveCellExtents = v; }

    // --- current cell, selection, scroll position
    int Col() const { return FCurrent.X; }
    void SetCol(int Value);
    int Row() const { return FCurrent.Y; }
    void SetRow(int Value);
    int LeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int Value);
    int TopRow() const { return FTopLeft.Y; }
    void SetTopRow(int Value);
    int LeftColOffset() const { return FDataOffset.cx; }
    int TopRowOffset() const { return FDataOffset.cy; }
    TGridCoord Current() const { return FCurrent; }
    TGridCoord Anchor() const { return FAnchor; }
    TGridCoord TopLeft() const { return FTopLeft; }
    TGridRect Selection() const { return GetSelection(); }
    TGridRect GetSelection() const;
    void FocusCell(int ACol, int ARow, bool ShowVert, bool ShowHorz, bool MoveAnchor);
    int VisibleColCount();
    int VisibleRowCount();
    int GetGridWidth();
    int GridHeight();
    TPoint SmoothPos() const { return FSmoothPos; }
    TSize GridDataSize() const { return FGridDataSize; }
    TSize DataPageSize() const { return FDataPageSize; }
    TGridState GridState() const { return FGridState; }

    // --- appearance and behaviour
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TColor FixedLineColor() const { return FFixedLineColor; }
    bool EditorMode() const { return FEditorMode; }
    void SetEditorMode(bool Value);
    TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
    TGridLineColorsEh* GridLineColors() const { return FGridLineColors.get(); }
    void SetGridLineColors(TGridLineColorsEh* Value);
    TGridOutBoundaryDataEh* OutBoundaryData() const { return FOutBoundaryData.get(); }
    TGridBackgroundDataEh* BackgroundData() const { return FBackgroundData.get(); }
    TGridLinesCacheEh* GridLinesCache() const { return FGridLinesCache.get(); }
    TInteractiveGestures InteractiveGestures() const { return FInteractiveGestures; }
    void SetInteractiveGestures(TInteractiveGestures v) { FInteractiveGestures = v; }
    TInteractiveGestureOptions InteractiveGestureOptions() const { return FInteractiveGestureOptions; }
    void SetInteractiveGestureOptions(TInteractiveGestureOptions v) { FInteractiveGestureOptions = v; }
    TGridHotTrackSpotEh* HotTrackSpot() const { return FOldHotTrackSpot.get(); }
    TGridCoord HotTrackCell() const { return FHotTrackCell; }

    TGridEhCellMouseEvent OnCellMouseClick;
    TGridEhCellMouseEvent OnCellMouseDown;

    // --- geometry (client coordinates)
    void CalcDrawInfo(TGridDrawInfoEh& DrawInfo);
    void CalcDrawInfoXY(TGridDrawInfoEh& DrawInfo, int UseWidth, int UseHeight);
    TGridCoord CalcCoordFromPoint(int X, int Y, const TGridDrawInfoEh& DrawInfo);
    TGridCoord MouseCoord(int X, int Y);
    TRect BoxRect(int ALeft, int ATop, int ARight, int ABottom);
    TRect CellRect(int ACol, int ARow);
    TRect GridRectToScreenRect(const TGridRect& GridRect, bool IncludeLine);
    TRect GridRectToScreenRect(const TGridRect& GridRect, const TGridDrawInfoEh& DrawInfo, bool IncludeLine);
    // Start of a line along one axis; 0 when it is not visible.
    int LinePos(const TGridAxisDrawInfoEh& AxisInfo, int Line);
    TGridCoord CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfoEh& DrawInfo);
    TGridCoord CalcMaxTopLeftOffset(const TGridCoord& Coord, const TGridDrawInfoEh& DrawInfo);
    // Whether the kept size arrays agree with the counts and the cells with the invariants
    // (debug checks and tests).
    bool CheckConsistency() const;
    // Column-moving timer interval for a cursor B pixels outside the data area's edge, which lies
    // D (at most 200) pixels from the screen's edge.
    static UINT ColMoveScrollInterval(int D, int B);

    // --- structure operations
    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);

    // --- scrolling
    void MoveTopLeft(int ALeft, int ATop);
    void SmoothScrollBy(int DX, int DY);
    void ScrollDataBy(int DX, int DY);
    void ScrollCellInView(const TGridCoord& Cell, bool Horz, bool Vert);
    void UpdateScrollRange();
    void UpdateScrollPos();
    void BeginScrollRangeUpdate() { ++FScrollRangeUpdating; }
    void EndScrollRangeUpdate() { --FScrollRangeUpdating; }
    bool IsScrollRangeUpdating() const { return FScrollRangeUpdating > 0; }
    void LockHorzScrolling() { ++FHorzScotllingLockCount; }
    void UnlockHorzScrolling() { --FHorzScotllingLockCount; }
    int GetHorzScrollingLockCount() const { return FHorzScotllingLockCount; }

    // --- painting
    void LockPaint() { ++FLockPaint; }
    void UnlockPaint();
    bool IsPaintLocked() const { return FLockPaint > 0; }
    void InvalidateCell(int ACol, int ARow);
    void InvalidateCol(int ACol);
    void InvalidateRow(int ARow);
    void InvalidateCellRect(const TGridRect& ARect);
    void InvalidateGrid();
    void UpdateInternalColors();
    TColor InternalColor() const { return FInternalColor; }
    // Whether the grid is the active control of its form (or, without a form, holds the focus).
    bool IsActiveControl();

    // Line primitives: every x is shifted one pixel in right-to-left layout.
    void CanvasPolyline(const TPoint* Points, int Count);
    void CanvasPolyPolyline(const TPoint* Points, const DWORD* Strokes, int PointCount);
    void DrawLineSet(int X1, int Y1, int N, int Y2, int X2);
    void PaintGradientRect(TCanvas* ACanvas, const TRect& ARect, TColor TopColor, TColor BottomColor);
    void DrawCellEdge(TCanvas* ACanvas, const TRect& ARect, bool RightBottom, bool LeftTop);

    // --- editing
    bool EnsureInplaceEditor();
    void HideEdit();

    // --- gestures (the pan gesture scrolls by lines)
    virtual void DoGesture(const TGestureEventInfo& EventInfo, bool& Handled);

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefineProperties(TFiler* Filer) override;

    // ---------------------------------------------------------------------------------------
    // New virtual operations, in slot order.
    virtual void HideMoveLine();
    virtual bool BeginColumnDrag(int& Origin, int& Destination, const TPoint& MousePt);
    virtual bool BeginRowDrag(int& Origin, int& Destination, const TPoint& MousePt);
    virtual bool CanEditAcceptKey(Char Key);
    virtual bool CanEditModify();
    virtual bool CanEditShow();
    virtual bool CanGridAcceptKey(Word Key, TShiftState Shift);
    virtual TRect GetEditRect(int ACol, int ARow);
    virtual bool CanCellClick(TMessage& Message);
    virtual bool CheckColumnDrag(int& Origin, int& Destination, const TPoint& MousePt);
    virtual bool CanCellDblClick(const TGridCoord& Cell, TMouseButton Button, const TPoint& InCellPt,
                                 const TPoint& MousePt, TShiftState Shift);
    virtual bool CheckRowDrag(int& Origin, int& Destination, const TPoint& MousePt);
    virtual bool GridExceedsExtent(int Extent, bool Vertical);
    virtual TGridState CalcSizingStateAt(int X, int Y);
    virtual TInplaceEdit* CreateEditor();
    virtual TGridLineColorsEh* CreateGridLineColors();
    virtual TGridBackgroundDataEh* CreateBackgroundData();
    virtual bool EndColumnDrag(int& Origin, int& Destination, const TPoint& MousePt);
    virtual bool EndRowDrag(int& Origin, int& Destination, const TPoint& MousePt);
    virtual int GetEditLimit();
    virtual String GetEditMask(int ACol, int ARow);
    virtual int GetEditDefault();
    virtual String GetEditText(int ACol, int ARow);
    virtual int GetHorzScrollStep();
    virtual int GetVertScrollStep();
    virtual bool IsBackgroundShowing();
    virtual bool IsSmoothHorzScroll();
    virtual bool IsSmoothVertScroll();
    virtual bool CanHotTrackCell(int ACol, int ARow);
    virtual int GetScrollBarSize(int Bar);
    virtual bool CanSelectCell(int ACol, int ARow);
    virtual bool CanSizeAt(int X, int Y);
    virtual bool IsDblClickAllowed(TMessage& Message);
    virtual TGridHotTrackSpotEh* CreateHotTrackSpot();
    virtual bool HotTrackSpotsEqual(TGridHotTrackSpotEh* Spot1, TGridHotTrackSpotEh* Spot2);
    virtual bool WantsEditorKey(Word Key, TShiftState Shift);
    virtual void ShiftLinesAt(int Index, int Count, bool IsRow);
    virtual void CalcSizingState(int X, int Y, const TGridDrawInfoEh& DrawInfo, int& Ofs, int& Pos,
                                 int& Index, TGridState& State);
    virtual void CancelMode();
    virtual void CellMouseClick(const TGridCoord& Cell, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void CellMouseDown(const TGridCoord& Cell, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void GetCellBorderParams(int ACol, int ARow, TGridCellBorderTypeEh Border, bool& CoverCrossing,
                                     TColor& Color, bool& Drawn);
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void ColWidthsChanged();
    virtual void CurrentCellMoved(const TGridCoord& OldCurrent);
    virtual void CalcSizingLineExtent(const TGridDrawInfoEh& DrawInfo, int& Start, int& Finish);
    virtual void DeleteColumn(int ACol);
    virtual void DeleteRow(int ARow);
    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) = 0;
    virtual void DrawEmptySpace(int ACol, int ARow, const TGridDrawInfoEh& DrawInfo, int Left, int Top,
                                int Right, int Bottom);
    virtual void DrawOutBoundaryData();
    virtual void DrawTopOutBoundaryData(const TRect& ARect);
    virtual void DrawLeftOutBoundaryData(const TRect& ARect);
    virtual void DrawBottomOutBoundaryData(const TRect& ARect);
    virtual void DrawRightOutBoundaryData(const TRect& ARect);
    virtual void DrawSizingLine(const TGridDrawInfoEh& DrawInfo);
    // Takes a shown sizing line off the screen (a drag that ends without being applied).
    void HideSizingLine();
    bool SizingLineShown() const { return FSizingLineShown; }
    virtual void FlatChanged();
    virtual void MoveToCell(int ACol, int ARow, bool MoveAnchor);
    virtual bool GetScrollBarInfo(int Bar, SCROLLINFO& ScrollInfo);
    virtual void HideEditor();
    virtual void InvalidateEditor();
    virtual void InvalidateHotTrackSpot(TGridHotTrackSpotEh* Spot);
    virtual void ModifyScrollBar(int ScrollBar, int ScrollCode, int Pos, bool UseRightToLeft);
    virtual void FillHotTrackSpot(TGridHotTrackSpotEh* Spot, int X, int Y);
    virtual void OutBoundaryDataChanged();
    virtual void RowHeightsChanged();
    virtual void RowMoved(int FromIndex, int ToIndex);
    virtual void ScrollDataInfo(int DX, int DY, const TGridDrawInfoEh& DrawInfo);
    virtual void ScrollData(int DX, int DY);
    virtual void ChangeContraSize(int ContraCols, int ContraRows);
    virtual void SetEditText(int ACol, int ARow, const String& Value);
    virtual void SetScrollBarInfo(int Bar, UINT Mask, int Pos, int Page, int Max, int Min);
    virtual void ShowEditor();
    virtual void SizeChanged(int OldColCount, int OldRowCount);
    virtual void StartColumnMoving(int ACol, int X, const TGridDrawInfoEh& DrawInfo, int Y);
    virtual void StartRowMoving(int ARow);
    virtual void ExtendSelectionByTimer(int Directions);
    virtual void UpdateEditAndHotTrack();
    virtual void UpdateFixedLineColor();
    virtual void UpdateEdit();
    virtual void UpdateText();
    virtual void UpdateHotTrackInfo(int X, int Y);
    virtual void DefaultCellMouseClick(const TGridCoord& Cell, TMouseButton Button, TShiftState Shift, int X,
                                       int Y);
    virtual void DefaultCellMouseDown(const TGridCoord& Cell, TMouseButton Button, TShiftState Shift, int X,
                                      int Y);

protected:
    friend class TInplaceEdit;
    friend class TGridLineColorsEh;
    friend class TGridBackgroundDataEh;
    friend class TGridOutBoundaryDataEh;
    friend struct TGetExtentsFuncEh;

    // --- construction and window
    void Initialize();
    void CreateParams(TCreateParams& Params) override;

    // --- model helpers
    void ChangeGridSize(int NewColCount, int NewRowCount);
    void MoveCurrent(int ACol, int ARow, bool ShowVert, bool ShowHorz, bool MoveAnchor);
    void MoveAnchor(const TGridCoord& NewAnchor, bool Show);
    void SelectionMoved(const TGridRect& OldSelection);
    void UpdateHorzDataSize();
    void UpdateVertDataSize();
    void ColWidthChanging(int Index, int OldWidth, int NewWidth);
    void RowHeightChanging(int Index, int OldHeight, int NewHeight);
    // The extent rule of every array change: Amount lines inserted (removed when negative) at
    // Index, new entries set to Default.
    static void ModifyExtents(TIntegerArray& Extents, int Index, int Amount, int Default);
    static void MoveExtent(TIntegerArray& Extents, int FromIndex, int ToIndex);
    static void ModifyExtents(TLineExtentsEh& Extents, int Index, int Amount, int Default);
    void AdjustMovedIndex(int& Index, int FromIndex, int ToIndex);

    // --- geometry helpers
    void CalcAxisDrawInfo(TGridAxisDrawInfoEh& AxisInfo, int Extent, bool Rows);
    int CalcAxisCoord(int Pos, const TGridAxisDrawInfoEh& AxisInfo, bool Horz);
    int AxisCalcMaxTopLeft(int T, const TGridAxisDrawInfoEh& AxisInfo);
    int AxisCalcMaxTopLeftOffset(int T, const TGridAxisDrawInfoEh& AxisInfo);
    bool AxisRectToScreen(const TGridAxisDrawInfoEh& AxisInfo, int First, int Last, bool IncludeLine,
                          int& Start, int& Finish);
    void InvalidateClientRect(const TRect& R);

    // --- scrolling helpers
    void TopLeftMoved(const TGridCoord& OldTopLeft, const TSize& OldOffset);
    int ClampSmoothDelta(int D, const TGridAxisDrawInfoEh& AxisInfo, int Offset);
    void ApplySmoothDelta(int D, const TGridAxisDrawInfoEh& AxisInfo, int& TopLeft, int& Offset);
    int AxisDistance(const TGridAxisDrawInfoEh& AxisInfo, int OldIndex, int OldOffset, int NewIndex,
                     int NewOffset);
    void CalcHorzScrollRange(int W, int H, const TGridCoord& OldTopLeft, bool& Updated);
    void CalcVertScrollRange(int W, int H, const TGridCoord& OldTopLeft, bool& Updated);
    int SmoothLinePos(int TopLeft, int Offset, bool Rows);
    void HandleWMHScroll(TMessage& Message);
    void HandleWMVScroll(TMessage& Message);
    void HandleWMSize(TMessage& Message);
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

    // --- painting
    void Paint() override;
    void DrawLinesArea(const TRect& Area, int FirstCol, int FirstRow, TColor Background, TColor LineColor,
                       bool HorzOption, bool VertOption);
    void DrawCellsArea(int FirstCol, int FirstRow, int StartX, int StartY, TGridDrawState BaseState,
                       TColor AColor, int RightLimit, int BottomLimit, bool ContraPass = false);
    TGridDrawState CellDrawState(int ACol, int ARow, bool Focused);
    void PaintExtendedVertLines(const TGridDrawInfoEh& DrawInfo, int Left, TColor Fill, int Right);
    void PaintContraAreas(const TGridDrawInfoEh& DrawInfo);
    void PaintContraSeparators(const TGridDrawInfoEh& DrawInfo);
    void SetCanvasClip(const TRect& R);
    void RestoreCanvasClip();

    // --- mouse, keyboard, timer
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoExit() override;
    TGridOptions EffectiveOptions();
    void CalcAxisSizingState(int P, int Zone, const TGridAxisDrawInfoEh& AxisInfo, TGridState AxisState,
                             int& Ofs, int& Pos, int& Index, TGridState& State);
    int CalcNewLineSize(const TGridDrawInfoEh& DrawInfo);
    void ShowMoveLine();
    void MoveAndScroll(int Mouse, int CellHit, TGridDrawInfoEh& DrawInfo, TGridAxisDrawInfoEh& Axis,
                       bool IsCols, const TPoint& MousePt);
    bool MoveCandidateSide(int Target, int MouseAlongAxis, const TGridDrawInfoEh& DrawInfo, bool IsCols);
    void TimerScroll();
    void StartGridTimer(UINT Interval);
    void StopGridTimer();
    void HandleCellMouseDown(TMessage& Message, TMouseButton Button);
    void HandleCellMouseUp(TMessage& Message, TMouseButton Button, bool Dbl);
    TPoint CursorClientPos();

    // ---------------------------------------------------------------------------------------
    // Fields, in declaration order.
    TGridCoord FAnchor;
    TBorderStyle FBorderStyle = bsSingle;
    bool FCanEditModify = true;
    int FColCount = 5;
    int FColOffset = 0;
    TIntegerArray FColWidths;
    int FContraColCount = 0;
    int FContraRowCount = 0;
    TGridCoord FCurrent;
    int FDefaultColWidth = 64;
    bool FDefaultDrawing = true;
    int FDefaultRowHeight = 24;
    bool FEditorMode = false;
    TColor FFixedColor = clBtnFace;
    int FFixedCols = 1;
    int FFixedRows = 1;
    bool FFlat = false;
    int FFrozenColCount = 0;
    int FFrozenRowCount = 0;
    std::unique_ptr<TGridLineColorsEh> FGridLineColors;
    int FGridLineWidth = 1;
    TPoint FHitTest;
    int FInplaceCol = -1;
    int FInplaceRow = -1;
    TInplaceEdit* FInplaceEdit = nullptr;
    TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TPoint FPanPoint;
    int FRowCount = 5;
    TLineExtentsEh FRowHeights; // kept sparsely: a data-aware grid has a row per record
    TScrollStyle FScrollBars = ssBoth;
    TIntegerArray FTabStops;
    TGridCoord FTopLeft;
    std::unique_ptr<TGridOutBoundaryDataEh> FOutBoundaryData;
    std::unique_ptr<TGridBackgroundDataEh> FBackgroundData;
    int FHorzScotllingLockCount = 0;
    int FScrollRangeUpdating = 0;
    TGridOptions DesignOptionsBoost{goRowSizing, goColSizing, goColMoving};
    TSize FDataOffset;
    TSize FDataPageSize;
    TSize FGridDataSize;
    TPoint FSmoothPos;
    TColor FFixedLineColor = clBlack;
    TGridState FGridState = gsNormal;
    int FLockPaint = 0;
    TGridCoord FMouseDownCell{-1, -1};
    bool FSaveCellExtents = true;
    bool VirtualView = false;
    int FSizingIndex = 0;
    int FSizingPos = 0;
    int FSizingOfs = 0;
    TGridCoord FHotTrackCell{-1, -1};
    TPoint FHotTrackInCellPos{-1, -1};
    std::unique_ptr<TGridLinesCacheEh> FGridLinesCache;
    int FMoveIndex = 0;
    int FMovePos = 0;
    bool FMovePosRightSite = false;
    TColor FInternalColor = clWindow;
    TColor FInternalFontColor = clWindowText;
    TColor FInternalFixedColor = clBtnFace;
    TColor FInternalFixedFontColor = clWindowText;
    std::unique_ptr<TGridHotTrackSpotEh> FOldHotTrackSpot;
    std::unique_ptr<TGridHotTrackSpotEh> FNewHotTrackSpot;
    TGridDrawInfoEh FPaintDrawInfo;

    // Touch settings (the platform's Touch property of the control).
    TInteractiveGestures FInteractiveGestures{igPan, igPressAndTap};
    TInteractiveGestureOptions FInteractiveGestureOptions{igoPanSingleFingerHorizontal,
                                                          igoPanSingleFingerVertical, igoPanInertia,
                                                          igoPanGutter, igoParentPassthrough};
    bool FPanning = false;

private:
    // Paint state: the clip rectangle the paint started with and the saved clip stack.
    TRect FPaintClipRect;
    int FClipDepth = 0;
    bool FTimerActive = false;
    UINT FTimerInterval = 0;
    bool FSizingLineShown = false;
    TRect FSizingLineRect;
};

inline int TGetExtentsFuncEh::operator()(int Index) const {
    return Rows ? Grid->GetRowHeights(Index) : Grid->GetColWidths(Index);
}

// ---------------------------------------------------------------------------------------------
// Drag feedback windows: top-level pop-ups that float above the grid without taking the focus.

class TGridDragWinEh : public TWinControl {
    KVT_CLASS(TGridDragWinEh, TWinControl)
public:
    explicit TGridDragWinEh(TComponent* AOwner);
    ~TGridDragWinEh() override;

    virtual void MoveToFor(TControl* Control, const TPoint& NewPos);
    virtual void MoveToFor(TControl* Control, const TPoint& NewPos, int NewHeight, int NewWidth);
    virtual void StartShow(TControl* Control, const TPoint& Pos, int Height, int Width);
    virtual void StartShow(TControl* Control, const TPoint& Pos, int Height);

    bool Visible() const { return TControl::Visible(); }
    void Show() {}
    void TemporaryHide();
    uint8_t AlphaBlendValue() const { return FAlphaBlendValue; }
    TColor TransparentColorValue() const { return FTransparentColorValue; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Paint(); // fills with the colour
    void PaintWindow(HDC DC) override;
    void ApplyLayering();
    void Resize() override;

    uint8_t FAlphaBlendValue = 200;
    TColor FTransparentColorValue = 0;
};

class TGridDragBoxEh : public TGridDragWinEh {
    KVT_CLASS(TGridDragBoxEh, TGridDragWinEh)
public:
    using TGridDragWinEh::TGridDragWinEh;
};

class TGridMoveLineEh : public TGridDragWinEh {
    KVT_CLASS(TGridMoveLineEh, TGridDragWinEh)
public:
    explicit TGridMoveLineEh(TComponent* AOwner);
    ~TGridMoveLineEh() override;

    using TGridDragWinEh::MoveToFor;
    using TGridDragWinEh::StartShow;
    void MoveToFor(TControl* Control, const TPoint& NewPos) override;
    // A vertical (AIsVert) or horizontal marker for a line of Size pixels starting at Pos.
    virtual void StartShow(TControl* Control, const TPoint& Pos, int Size, bool AIsVert);
    bool IsVert() const { return FIsVert; }
    void UpdateOrientationData();

    TShape *sHigh7 = nullptr, *sHigh5 = nullptr, *sHigh3 = nullptr, *sLine = nullptr, *sLow3 = nullptr,
           *sLow5 = nullptr, *sLow7 = nullptr;
    TShape *hLeft7 = nullptr, *hLeft5 = nullptr, *hLeft3 = nullptr, *hLine = nullptr, *hRight3 = nullptr,
           *hRight5 = nullptr, *hRight7 = nullptr;

protected:
    bool FIsVert = true;
};

// The process-wide instances, made on first use and owned by the application.
TGridDragBoxEh* GetGridDragBox();
TGridMoveLineEh* GetGridMoveLine();
