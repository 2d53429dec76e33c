#pragma once
// The data grid's scroll bars. Each axis has a settings object (TDBGridEhScrollBar) that decides
// where its bar lives: the grid window's own bar, an external TScrollBar the user placed on the
// form, or the bar inside a scroll-bar panel control that the grid lays out along its right and
// bottom edges while HorzScrollBar.ExtraPanel.Visible is on. The routing functions below send the
// base grid's scroll writes to that bar and lay the panels out.
//
// The objects talk to their grid through IDBGridEhScrollBarHost, which the data grid implements;
// the host answers with the grid itself, its panel controls and the operations the objects call.

#include "lib/dbgrid/DBGridEhNavigator.h"

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WinApi.h"

class TCustomGridEh;
class TCustomDBAxisGridEh;
class TDBGridEhScrollBar;
class THorzDBGridEhScrollBar;
class TVertDBGridEhScrollBar;
class TDBGridEhScrollBarPanelControl;
class TSizeGripPanelEh;

enum TScrollBarVisibleModeEh { sbAlwaysShowEh, sbNeverShowEh, sbAutoShowEh };

// What the scroll-bar objects, the panel controls and the routing need of the data grid.
class IDBGridEhScrollBarHost {
public:
    virtual ~IDBGridEhScrollBarHost() = default;
    // The grid window itself.
    virtual TCustomDBAxisGridEh* ScrollBarGrid() = 0;
    virtual THorzDBGridEhScrollBar* HorzScrollBar() const = 0;
    virtual TVertDBGridEhScrollBar* VertScrollBar() const = 0;
    virtual TDBGridEhScrollBarPanelControl* HorzScrollBarPanelControl() const = 0;
    virtual TDBGridEhScrollBarPanelControl* VertScrollBarPanelControl() const = 0;
    virtual TSizeGripPanelEh* CornerScrollBarPanelControl() const = 0;
    // The grid shows its loading status: scroll writes are dropped meanwhile.
    virtual bool ShowingLoadingMode() const = 0;
    virtual bool ScrollBarPanel() = 0;
    virtual void UpdateVertScrollBar() = 0;
    virtual void UpdateScrollBarPanels() = 0;
    // SmoothStep of the axis changed between pixels and lines: recompute its data size and range.
    virtual void ScrollBarSmoothStepChanged(TScrollBarKind Kind) = 0;
};

// ---------------------------------------------------------------------------------------------
// The extra panel of the horizontal scroll bar: whether the scroll-bar panels are used, and the
// navigator settings of the horizontal panel control (kept by the navigator panel itself).

class TDBGridEhScrollBarPanel : public TPersistent {
    KVT_CLASS(TDBGridEhScrollBarPanel, TPersistent)
public:
    explicit TDBGridEhScrollBarPanel(TDBGridEhScrollBar* ScrollBar);
    // Copies Visible, NavigatorButtons and VisibleItems.
    void Assign(TPersistent* Source) override;

    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TNavButtonSetEh NavigatorButtons() const;
    void SetNavigatorButtons(TNavButtonSetEh Value);
    TGridSBItemsEh VisibleItems() const;
    void SetVisibleItems(TGridSBItemsEh Value);
    TCustomDBAxisGridEh* Grid() const;

private:
    TDBGridEhNavigatorPanel* NavigatorPanel() const;
    TDBGridEhScrollBar* FScrollBar;
    bool FVisible = false;
};

// ---------------------------------------------------------------------------------------------

class TDBGridEhScrollBar : public TPersistent {
    KVT_CLASS(TDBGridEhScrollBar, TPersistent)
public:
    TDBGridEhScrollBar(IDBGridEhScrollBarHost* AGrid, TScrollBarKind AKind);
    ~TDBGridEhScrollBar() override;
    // Visible, Tracking and ExtScrollBar, in that order.
    void Assign(TPersistent* Source) override;

    TCustomDBAxisGridEh* Grid() const;
    IDBGridEhScrollBarHost* Host() const { return FDBGridEh; }
    TScrollBarKind Kind() const { return FKind; }
    TScrollBar* ExtScrollBar() const { return FExtScrollBar; }
    void SetExtScrollBar(TScrollBar* Value);
    bool Tracking() const { return FTracking; }
    void SetTracking(bool Value) { FTracking = Value; }
    bool Visible() const { return FVisibleMode != sbNeverShowEh; }
    void SetVisible(bool Value);
    TScrollBarVisibleModeEh VisibleMode() const { return FVisibleMode; }
    void SetVisibleMode(TScrollBarVisibleModeEh Value);
    bool SmoothStep() const { return FSmoothStep; }
    void SetSmoothStep(bool Value);

    bool IsScrollBarVisible();
    bool IsScrollBarShowing();
    bool CheckHideScrollBar() { return !IsScrollBarShowing(); }
    bool CanIntScrollBarBeShown();
    void UpdateExtScrollBar();
    // From the external bar, else the panel bar while the panels are in use, else the window's.
    bool GetScrollInfo(SCROLLINFO& ScrollInfo);

    virtual void SmoothStepChanged() {}
    virtual void Changed();
    virtual bool ScrollBarPanel() { return false; }

protected:
    // The window procedure put on an attached external bar.
    void ExtScrollBarWndProc(TMessage& Message);
    bool GridDesigning() const;

    IDBGridEhScrollBarHost* FDBGridEh;
    TScrollBar* FExtScrollBar = nullptr;
    TScrollBarKind FKind;
    bool FTracking = true;
    TScrollBarVisibleModeEh FVisibleMode = sbAutoShowEh;
    bool FSmoothStep = false;
};

class THorzDBGridEhScrollBar : public TDBGridEhScrollBar {
    KVT_CLASS(THorzDBGridEhScrollBar, TDBGridEhScrollBar)
public:
    explicit THorzDBGridEhScrollBar(IDBGridEhScrollBarHost* AGrid);
    ~THorzDBGridEhScrollBar() override;
    TDBGridEhScrollBarPanel* ExtraPanel() const { return FExtraPanel.get(); }
    void SetExtraPanel(TDBGridEhScrollBarPanel* Value) { FExtraPanel->Assign(Value); }
    void SmoothStepChanged() override;
    bool ScrollBarPanel() override;

private:
    std::unique_ptr<TDBGridEhScrollBarPanel> FExtraPanel;
};

class TVertDBGridEhScrollBar : public TDBGridEhScrollBar {
    KVT_CLASS(TVertDBGridEhScrollBar, TDBGridEhScrollBar)
public:
    explicit TVertDBGridEhScrollBar(IDBGridEhScrollBarHost* AGrid);
    void SmoothStepChanged() override;
    // Puts the values on the external bar, the panel bar or the window's own bar.
    void SetParams(int APosition, int AMin, int AMax, int APageSize);
    bool SysScrollBar() const { return FSysScrollBar; }

private:
    TScrollBarVisibleModeEh FVertScrollBarVisibleMode = sbAlwaysShowEh;
    bool FSysScrollBar = true;
};

// ---------------------------------------------------------------------------------------------
// Panel controls

// A scroll bar that never activates its window or takes the focus when clicked.
class TControlScrollBarEh : public TScrollBar {
    KVT_CLASS(TControlScrollBarEh, TScrollBar)
public:
    explicit TControlScrollBarEh(TComponent* AOwner);
    void Dispatch(TMessage& Message) override;
};

class TDBGridEhScrollBarPanelControl : public TCustomPanel {
    KVT_CLASS(TDBGridEhScrollBarPanelControl, TCustomPanel)
public:
    // AOwner is the grid: the bar's scroll actions go to its ModifyScrollBar.
    TDBGridEhScrollBarPanelControl(TComponent* AOwner, TScrollBarKind AKind);
    TScrollBarKind Kind() const { return FKind; }
    TScrollBar* ScrollBar() const { return FScrollBar; }
    TDBGridEhNavigatorPanel* ExtraPanel() const { return FExtraPanel; }
    TScrollEvent OnScroll() const { return FScrollBar->OnScroll; }
    void SetOnScroll(const TScrollEvent& Value) { FScrollBar->OnScroll = Value; }

    // Disables the bar, keeping its values, when there is nothing to scroll.
    void SetParams(int APosition, int AMin, int AMax, int APageSize);
    int MaxSizeForExtraPanel();
    void GridSelectionChanged();
    virtual void DataSetChanged();
    void Invalidate() override;

protected:
    void CreateHandle() override;
    void ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos);

    TScrollBarKind FKind;
    TScrollBar* FScrollBar = nullptr;
    TDBGridEhNavigatorPanel* FExtraPanel = nullptr;
};

// The square where the two panel bars meet; a size grip for its top-level window when the grid
// sits in that window's bottom-right client corner (bottom-left in right-to-left layout).
class TSizeGripPanelEh : public TCustomPanel {
    KVT_CLASS(TSizeGripPanelEh, TCustomPanel)
public:
    explicit TSizeGripPanelEh(TComponent* AOwner);
    bool IsInFormCorner();
    // The first control up the parent chain whose window is not a child window.
    TWinControl* GetTopParentWindow();
    TPoint LastFormSize() const { return FLastFormSize; }
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    TPoint FLastFormSize{-1, -1};
};

// ---------------------------------------------------------------------------------------------
// The grid's side, for its overrides of the base grid's scroll operations.

// SetScrollBarInfo: the values go to the external or panel bar of the axis, or to the window's.
void DBGridEhSetScrollBarInfo(IDBGridEhScrollBarHost* Host, int Bar, UINT Mask, int Pos, int Page, int Max,
                              int Min);
// GetScrollBarInfo: from wherever the axis object reads.
bool DBGridEhGetScrollBarInfo(IDBGridEhScrollBarHost* Host, int Bar, SCROLLINFO& ScrollInfo);
// GetScrollBarSize: the base answer in sbAutoShowEh mode, else 0.
int DBGridEhGetScrollBarSize(IDBGridEhScrollBarHost* Host, int Bar);
// Keeps an external horizontal bar in step with the left column (a 0..127 scale).
void DBGridEhUpdateHorzExtScrollBar(IDBGridEhScrollBarHost* Host);
// Shows, sizes and places the panel controls and reserves their margins, or hides them.
void DBGridEhUpdateScrollBarPanels(IDBGridEhScrollBarHost* Host);
// The first column that may be the left column with the last column fully shown; a column that
// starts exactly at the fixed boundary fits.
int DBGridEhLastPageLeftCol(TCustomGridEh* Grid);
