#pragma once
// The data grid's row panel and row detail panel.
//
// Row panel: each record is one grid cell (the master cell) in which the columns stand on
// lines; a column starts on line InRowLinePos and spans InRowLineHeight lines, and the columns
// of a line follow each other from left to right. Their rectangles inside the master cell are
// the columns' RowPlacement, recomputed by TDBGridColumnsEh::RelayoutCellsInRowPanel whenever
// the layout is rebuilt.
//
// Row detail panel: a window with controls of the application's choice that opens under the
// current record. The current row grows by the panel's height, the record's first cell shows
// an expand button, and the panel closes before the grid moves to another record.

#include "lib/grids/GridsEh.h"

#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

class TCustomDBGridEh;

enum TGridRowPanelNavKeysNavigationTypeEh { rpntRowToRowEh, rpntCellToCellEh };
enum TGridRowPanelTabNavigationTypeEh { rpntUpToDownPriorityEh, rpntLeftToRightPriorityEh };

// The grid's RowPanel settings.
class TGridRowPanelEh : public TPersistent {
    KVT_CLASS(TGridRowPanelEh, TPersistent)
public:
    explicit TGridRowPanelEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}
    void Assign(TPersistent* Source) override;
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TGridRowPanelNavKeysNavigationTypeEh NavKeysNavigationType() const { return FNavKeysNavigationType; }
    void SetNavKeysNavigationType(TGridRowPanelNavKeysNavigationTypeEh v) { FNavKeysNavigationType = v; }
    TGridRowPanelTabNavigationTypeEh TabNavigationType() const { return FTabNavigationType; }
    void SetTabNavigationType(TGridRowPanelTabNavigationTypeEh v) { FTabNavigationType = v; }
    TCustomDBGridEh* Grid() const { return FGrid; }

private:
    bool FActive = false;
    TCustomDBGridEh* FGrid;
    TGridRowPanelNavKeysNavigationTypeEh FNavKeysNavigationType = rpntRowToRowEh;
    TGridRowPanelTabNavigationTypeEh FTabNavigationType = rpntUpToDownPriorityEh;
};

// The window of the row detail panel. Its bottom SizingBarHeight pixels are the sizing bar when
// VertSizing is on: they lie outside the client rectangle, so that the hosted controls never
// cover them, and a press there drags the panel's height.
class TRowDetailPanelControlEh : public TScrollingWinControl {
    KVT_CLASS(TRowDetailPanelControlEh, TScrollingWinControl)
public:
    explicit TRowDetailPanelControlEh(TComponent* AOwner);
    ~TRowDetailPanelControlEh() override;

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool ParentPopupMenu() const { return FParentPopupMenu; }
    void SetParentPopupMenu(bool Value) { FParentPopupMenu = Value; }
    bool VertSizing() const { return FVertSizing; }
    void SetVertSizing(bool Value);
    int SizingBarHeight() const { return FSizingBarHeight; }
    void SetSizingBarHeight(int Value);
    bool SizingBarBeveled() const { return FSizingBarBeveled; }
    void SetSizingBarBeveled(bool Value);
    TCanvas* Canvas() const { return FCanvas.get(); }
    // The grid whose panel this is (the parent), nullptr while unparented.
    TCustomDBGridEh* Grid() const;
    // The last hit test was on the sizing bar.
    bool SizeArea() const { return FSizeArea; }

    // The sizing bar lies below the client area, in the window's frame.
    TRect NonClientMargins() override;
    // The sizing bar in window coordinates: the bottom SizingBarHeight pixels inside the border.
    TRect SizingBarRect();
    // Paints the bar on a device context of the whole window.
    void PaintSizingBar(HDC DC);
    // Whether a point in window coordinates lies on the sizing bar.
    bool SizingBarHitTest(int X, int Y);
    // The controls on the panel owned by the stream's root.
    void GetChildren(TGetChildProc Proc, TComponent* Root) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
    bool FParentPopupMenu = true;
    bool FVertSizing = false;
    TPoint FDownGlobPos;
    // The panel's height at the press, from which moves size it.
    int FRowDetailPanelHeight = 0;
    // Window point of a screen point.
    TPoint ScreenToWindow(const TPoint& P);
    bool FSizeArea = false;
    int FYDelta = 0;
    TPoint FHitTest;
    std::unique_ptr<TControlCanvas> FCanvas;
    int FSizingBarHeight = 8;
    bool FSizingBarBeveled = true;
};

// The grid's RowDetailPanel settings.
class TRowDetailPanelEh : public TPersistent {
    KVT_CLASS(TRowDetailPanelEh, TPersistent)
public:
    explicit TRowDetailPanelEh(TCustomDBGridEh* AGrid);
    void Assign(TPersistent* Source) override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    // Open under the current record.
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    // 0: as wide as the data.
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Value) { FActiveControl = Value; }
    TBevelEdges BevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges Value);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);
    TBevelWidth BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(TBevelWidth Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // The grid's colour while ParentColor is set.
    TColor Color() const;
    void SetColor(TColor Value);
    bool ColorStored() const;
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    bool ParentPopupMenu() const;
    void SetParentPopupMenu(bool Value);
    bool VertSizing() const { return FVertSizing; }
    void SetVertSizing(bool Value);
    // 0: no upper limit.
    int MaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int Value);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int Value);
    int SizingBarHeight() const { return FSizingBarHeight; }
    void SetSizingBarHeight(int Value);
    bool SizingBarBeveled() const { return FSizingBarBeveled; }
    void SetSizingBarBeveled(bool Value);
    TCustomDBGridEh* Grid() const { return FGrid; }

private:
    // Places the panel's window again after a change of its settings.
    void Replace();

    TCustomDBGridEh* FGrid;
    bool FActive = false;
    bool FVisible = false;
    int FWidth = 0;
    int FHeight = 120;
    TWinControl* FActiveControl = nullptr;
    TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    TBevelKind FBevelKind = bkNone;
    TBevelWidth FBevelWidth = 1;
    TBorderStyle FBorderStyle = bsSingle;
    TColor FColor;
    bool FParentColor = false;
    bool FVertSizing = false;
    int FMaxHeight = 0;
    int FMinHeight = 1;
    int FSizingBarHeight = 8;
    bool FSizingBarBeveled = true;
};
