// The scroll-bar settings objects of the data grid and the routing of the base grid's scroll
// writes to the bar each axis uses.

#include "lib/dbgrid/DBGridEhScrollBars.h"

#include "lib/grids/DBAxisGridsEh.h"

#include "platform/classes/TypInfo.h"
#include "platform/ui/WinApi.h"

#include <algorithm>

KVT_ENUM_TYPE(TScrollBarVisibleModeEh, sbAlwaysShowEh, sbNeverShowEh, sbAutoShowEh)
KVT_ENUM_TYPE(TNavigateBtnEh, nbFirstEh, nbPriorEh, nbNextEh, nbLastEh, nbInsertEh, nbDeleteEh, nbEditEh,
              nbPostEh, nbCancelEh, nbRefreshEh)
KVT_ENUM_TYPE(TGridSBItemEh, gsbiRecordsInfoEh, gsbiNavigator, gsbiSelAggregationInfoEh)

namespace {

constexpr UINT SifAllNoScroll = SIF_ALL | SIF_DISABLENOSCROLL;

bool Scrollable(int Min, int Max, int Page) {
    return Min < Max && Max - Min > Page;
}

// A bar control refuses a page larger than its range; such a page is left out, as the platform's
// own bar ignores it, so that a range narrower than one page never raises.
void SetBarPageSize(TScrollBar* Bar, int Page) {
    if (Page >= 0 && Page <= Bar->Max() - Bar->Min() + 1) Bar->SetPageSize(Page);
}

// The bar control raises for a position outside the range; the position is kept inside instead.
void SetBarParams(TScrollBar* Bar, int Pos, int Min, int Max) {
    Bar->SetParams(std::clamp(Pos, Min, std::max(Min, Max)), Min, std::max(Min, Max));
}

SCROLLINFO WithMask(const SCROLLINFO& Current, UINT Mask, int Pos, int Page, int Max, int Min) {
    SCROLLINFO n = Current;
    if (Mask & SIF_RANGE) {
        n.nMin = Min;
        n.nMax = Max;
    }
    if (Mask & SIF_PAGE) n.nPage = UINT(std::max(0, Page));
    if (Mask & SIF_POS) n.nPos = Pos;
    return n;
}

// What the bar control answers to SBM_GETSCROLLINFO, also before its window exists.
bool ControlBarInfo(TScrollBar* Bar, SCROLLINFO& Info) {
    if (Info.fMask & SIF_RANGE) {
        Info.nMin = Bar->Min();
        Info.nMax = Bar->Max();
    }
    if (Info.fMask & SIF_PAGE) Info.nPage = UINT(Bar->PageSize());
    if (Info.fMask & SIF_POS) Info.nPos = Bar->Position();
    if (Info.fMask & SIF_TRACKPOS) Info.nTrackPos = Bar->Position();
    return (Info.fMask & SIF_ALL) != 0;
}

bool SameInfo(const SCROLLINFO& A, const SCROLLINFO& B) {
    return A.nMin == B.nMin && A.nMax == B.nMax && A.nPage == B.nPage && A.nPos == B.nPos;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TDBGridEhScrollBarPanel

TDBGridEhScrollBarPanel::TDBGridEhScrollBarPanel(TDBGridEhScrollBar* ScrollBar) : FScrollBar(ScrollBar) {}

void TDBGridEhScrollBarPanel::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TDBGridEhScrollBarPanel*>(Source)) {
        SetNavigatorButtons(src->NavigatorButtons());
        SetVisibleItems(src->VisibleItems());
        SetVisible(src->Visible());
        return;
    }
    TPersistent::Assign(Source);
}

void TDBGridEhScrollBarPanel::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    FScrollBar->Changed();
}

TDBGridEhNavigatorPanel* TDBGridEhScrollBarPanel::NavigatorPanel() const {
    TDBGridEhScrollBarPanelControl* pc = FScrollBar->Host()->HorzScrollBarPanelControl();
    return pc ? pc->ExtraPanel() : nullptr;
}

TNavButtonSetEh TDBGridEhScrollBarPanel::NavigatorButtons() const {
    TDBGridEhNavigatorPanel* np = NavigatorPanel();
    return np ? np->VisibleButtons() : AllNavButtonsEh;
}

void TDBGridEhScrollBarPanel::SetNavigatorButtons(TNavButtonSetEh Value) {
    if (TDBGridEhNavigatorPanel* np = NavigatorPanel()) np->SetVisibleButtons(Value);
}

TGridSBItemsEh TDBGridEhScrollBarPanel::VisibleItems() const {
    TDBGridEhNavigatorPanel* np = NavigatorPanel();
    return np ? np->VisibleItems() : AllGridSBItemsEh;
}

void TDBGridEhScrollBarPanel::SetVisibleItems(TGridSBItemsEh Value) {
    if (TDBGridEhNavigatorPanel* np = NavigatorPanel()) np->SetVisibleItems(Value);
}

TCustomDBAxisGridEh* TDBGridEhScrollBarPanel::Grid() const {
    return FScrollBar->Grid();
}

// ---------------------------------------------------------------------------------------------
// TDBGridEhScrollBar

TDBGridEhScrollBar::TDBGridEhScrollBar(IDBGridEhScrollBarHost* AGrid, TScrollBarKind AKind)
    : FDBGridEh(AGrid), FKind(AKind) {}

TDBGridEhScrollBar::~TDBGridEhScrollBar() {
    // The grid may be half torn down: only the external bar gets its window procedure back.
    if (FExtScrollBar && !FExtScrollBar->ComponentState().Contains(csDestroying) && !GridDesigning())
        FExtScrollBar->WindowProc = TWndMethod(FExtScrollBar, &TControl::WndProc);
    FExtScrollBar = nullptr;
}

TCustomDBAxisGridEh* TDBGridEhScrollBar::Grid() const {
    return FDBGridEh->ScrollBarGrid();
}

bool TDBGridEhScrollBar::GridDesigning() const {
    return Grid()->ComponentState().Contains(csDesigning);
}

void TDBGridEhScrollBar::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TDBGridEhScrollBar*>(Source)) {
        SetVisible(src->Visible());
        SetTracking(src->Tracking());
        SetExtScrollBar(src->ExtScrollBar());
        return;
    }
    TPersistent::Assign(Source);
}

void TDBGridEhScrollBar::SetVisible(bool Value) {
    SetVisibleMode(Value ? sbAutoShowEh : sbNeverShowEh);
    UpdateExtScrollBar();
}

void TDBGridEhScrollBar::SetVisibleMode(TScrollBarVisibleModeEh Value) {
    if (FVisibleMode == Value) return;
    FVisibleMode = Value;
    if (FKind == sbVertical) FDBGridEh->UpdateVertScrollBar();
    Grid()->RequestLayoutUpdate();
}

void TDBGridEhScrollBar::SetSmoothStep(bool Value) {
    if (FSmoothStep == Value) return;
    FSmoothStep = Value;
    SmoothStepChanged();
}

void TDBGridEhScrollBar::Changed() {
    FDBGridEh->UpdateVertScrollBar();
    Grid()->RequestLayoutUpdate();
}

void TDBGridEhScrollBar::SetExtScrollBar(TScrollBar* Value) {
    if (FExtScrollBar == Value) return;
    const bool designing = GridDesigning();
    if (Value && !designing && !(Value->WindowProc == TWndMethod(Value, &TControl::WndProc)))
        throw Exception(QStringLiteral("Possible ") + Value->Name() +
                        QStringLiteral(" already attached to the other control."));
    // A bar that is being freed needs no window procedure back.
    if (FExtScrollBar && !designing && !FExtScrollBar->ComponentState().Contains(csDestroying))
        FExtScrollBar->WindowProc = TWndMethod(FExtScrollBar, &TControl::WndProc);
    FExtScrollBar = Value;
    if (Value) {
        Value->FreeNotification(Grid());
        if (!designing) Value->WindowProc = TWndMethod(this, &TDBGridEhScrollBar::ExtScrollBarWndProc);
    }
    UpdateExtScrollBar();
    TCustomDBAxisGridEh* g = Grid();
    if (g->ComponentState().Contains(csDestroying)) return;
    if (g->HandleAllocated() && FKind == sbVertical) FDBGridEh->UpdateVertScrollBar();
    if (g->HandleAllocated()) g->RequestLayoutUpdate();
}

void TDBGridEhScrollBar::ExtScrollBarWndProc(TMessage& Message) {
    TScrollBar* bar = FExtScrollBar;
    if (Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL)
        Grid()->Perform(FKind == sbHorizontal ? WM_HSCROLL : WM_VSCROLL, Message.WParam, Message.LParam);
    // The grid may have let the bar go while it scrolled.
    if (bar) bar->WndProc(Message);
    // The bar steps its own position after the grid has set it: put it back where the grid is,
    // or it shows one step past.
    if ((Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL) && bar && bar == FExtScrollBar &&
        Grid()->HandleAllocated()) {
        if (FKind == sbVertical)
            FDBGridEh->UpdateVertScrollBar();
        else
            DBGridEhUpdateHorzExtScrollBar(FDBGridEh);
    }
}

void TDBGridEhScrollBar::UpdateExtScrollBar() {
    if (FExtScrollBar) FExtScrollBar->SetVisible(Visible());
}

bool TDBGridEhScrollBar::IsScrollBarVisible() {
    if (FExtScrollBar) return FExtScrollBar->Visible();
    TCustomDBAxisGridEh* g = Grid();
    if (!Visible() || !g->HandleAllocated()) return false;
    const LONG_PTR style = GetWindowLong(g->Handle(), GWL_STYLE);
    return (style & (FKind == sbVertical ? WS_VSCROLL : WS_HSCROLL)) != 0;
}

bool TDBGridEhScrollBar::IsScrollBarShowing() {
    switch (FVisibleMode) {
    case sbAlwaysShowEh:
        return true;
    case sbNeverShowEh:
        return false;
    case sbAutoShowEh:
        break;
    }
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollInfo(si);
    return si.nMin < si.nMax && si.nMax - si.nMin >= int(si.nPage);
}

bool TDBGridEhScrollBar::CanIntScrollBarBeShown() {
    return !FExtScrollBar && IsScrollBarShowing();
}

bool TDBGridEhScrollBar::GetScrollInfo(SCROLLINFO& ScrollInfo) {
    if (FExtScrollBar) return ControlBarInfo(FExtScrollBar, ScrollInfo);
    if (FDBGridEh->ScrollBarPanel()) {
        TDBGridEhScrollBarPanelControl* pc = FKind == sbHorizontal ? FDBGridEh->HorzScrollBarPanelControl()
                                                                   : FDBGridEh->VertScrollBarPanelControl();
        return ControlBarInfo(pc->ScrollBar(), ScrollInfo);
    }
    TCustomDBAxisGridEh* g = Grid();
    if (!g->HandleAllocated()) return false;
    return ::GetScrollInfo(g->Handle(), FKind == sbHorizontal ? SB_HORZ : SB_VERT, &ScrollInfo) != 0;
}

// ---------------------------------------------------------------------------------------------
// THorzDBGridEhScrollBar

THorzDBGridEhScrollBar::THorzDBGridEhScrollBar(IDBGridEhScrollBarHost* AGrid)
    : TDBGridEhScrollBar(AGrid, sbHorizontal) {
    SetSmoothStep(true);
    FExtraPanel = std::make_unique<TDBGridEhScrollBarPanel>(this);
}

THorzDBGridEhScrollBar::~THorzDBGridEhScrollBar() {
    FExtraPanel.reset();
}

void THorzDBGridEhScrollBar::SmoothStepChanged() {
    FDBGridEh->ScrollBarSmoothStepChanged(sbHorizontal);
}

bool THorzDBGridEhScrollBar::ScrollBarPanel() {
    return FExtraPanel && FExtraPanel->Visible();
}

// ---------------------------------------------------------------------------------------------
// TVertDBGridEhScrollBar

TVertDBGridEhScrollBar::TVertDBGridEhScrollBar(IDBGridEhScrollBarHost* AGrid)
    : TDBGridEhScrollBar(AGrid, sbVertical) {
    FSysScrollBar = true;
}

void TVertDBGridEhScrollBar::SmoothStepChanged() {
    FDBGridEh->ScrollBarSmoothStepChanged(sbVertical);
    if (Grid()->HandleAllocated()) Grid()->RequestLayoutUpdate();
}

void TVertDBGridEhScrollBar::SetParams(int APosition, int AMin, int AMax, int APageSize) {
    TCustomDBAxisGridEh* g = Grid();
    const UINT mask = FVisibleMode == sbAlwaysShowEh ? SifAllNoScroll : SIF_ALL;
    SCROLLINFO info;
    info.fMask = mask;
    GetScrollInfo(info);
    SCROLLINFO n = info;
    n.fMask = mask;
    n.nMin = AMin;
    n.nPage = UINT(std::max(0, APageSize));
    n.nPos = APosition;
    n.nMax = Visible() && !FExtScrollBar ? AMax : AMin;

    if (FExtScrollBar) {
        FExtScrollBar->SetPageSize(0);
        SetBarParams(FExtScrollBar, APosition, std::min(AMin, AMax), AMax);
        SetBarPageSize(FExtScrollBar, APageSize);
        FExtScrollBar->SetEnabled(AMin < AMax && AMax - AMin >= APageSize);
        if (g->HandleAllocated()) ShowScrollBar(g->Handle(), SB_VERT, FALSE);
        FSysScrollBar = false;
        return;
    }
    if (FDBGridEh->ScrollBarPanel()) {
        FDBGridEh->VertScrollBarPanelControl()->SetParams(APosition, AMin, AMax, APageSize);
        FDBGridEh->UpdateScrollBarPanels();
        if (g->HandleAllocated()) ShowScrollBar(g->Handle(), SB_VERT, FALSE);
        FSysScrollBar = false;
        return;
    }
    if (!g->HandleAllocated()) return;
    HWND h = g->Handle();
    if (!FSysScrollBar) {
        if (n.nMin < n.nMax && n.nMax - n.nMin > APageSize) ShowScrollBar(h, SB_VERT, TRUE);
        FSysScrollBar = true;
    }
    if (n.nMin == info.nMin && n.nMax == info.nMax && n.nPage == info.nPage && n.nPos == info.nPos &&
        FVertScrollBarVisibleMode == FVisibleMode)
        return;
    const bool scrollable = Scrollable(n.nMin, n.nMax, int(n.nPage));
    if (FVisibleMode == sbAlwaysShowEh) {
        if (!scrollable) EnableScrollBar(h, SB_VERT, ESB_DISABLE_BOTH);
        ShowScrollBar(h, SB_VERT, TRUE);
    } else if (FVisibleMode != FVertScrollBarVisibleMode) {
        FVertScrollBarVisibleMode = FVisibleMode;
        if (!scrollable) {
            EnableScrollBar(h, SB_VERT, ESB_ENABLE_BOTH);
            ShowScrollBar(h, SB_VERT, FALSE);
        }
    }
    ::SetScrollInfo(h, SB_VERT, &n, TRUE);
    FVertScrollBarVisibleMode = FVisibleMode;
}

// ---------------------------------------------------------------------------------------------
// Routing

bool DBGridEhGetScrollBarInfo(IDBGridEhScrollBarHost* Host, int Bar, SCROLLINFO& ScrollInfo) {
    if (Bar == SB_VERT) return Host->VertScrollBar()->GetScrollInfo(ScrollInfo);
    return Host->HorzScrollBar()->GetScrollInfo(ScrollInfo);
}

int DBGridEhGetScrollBarSize(IDBGridEhScrollBarHost* Host, int Bar) {
    TDBGridEhScrollBar* sb =
        Bar == SB_HORZ ? static_cast<TDBGridEhScrollBar*>(Host->HorzScrollBar()) : Host->VertScrollBar();
    if (sb->VisibleMode() != sbAutoShowEh) return 0;
    return Host->ScrollBarGrid()->TCustomGridEh::GetScrollBarSize(Bar);
}

void DBGridEhSetScrollBarInfo(IDBGridEhScrollBarHost* Host, int Bar, UINT Mask, int Pos, int Page, int Max,
                              int Min) {
    if (Host->ShowingLoadingMode()) return;
    TCustomDBAxisGridEh* g = Host->ScrollBarGrid();
    if (Bar == SB_HORZ) {
        TScrollBar* target = Host->HorzScrollBar()->ExtScrollBar();
        if (!target && Host->ScrollBarPanel()) target = Host->HorzScrollBarPanelControl()->ScrollBar();
        if (!target) {
            g->TCustomGridEh::SetScrollBarInfo(Bar, Mask, Pos, Page, Max, Min);
            return;
        }
        SCROLLINFO cur;
        cur.fMask = SIF_ALL;
        g->GetScrollBarInfo(SB_HORZ, cur);
        const SCROLLINFO n = WithMask(cur, Mask, Pos, Page, Max, Min);
        if (!SameInfo(n, cur)) {
            if (Scrollable(n.nMin, n.nMax, int(n.nPage))) {
                target->SetEnabled(true);
                // The page goes on last: the bar refuses a page wider than the range it has.
                const int page = int(n.nPage);
                const int m = std::max(n.nMax, page);
                target->SetPageSize(0);
                const int pos = g->UseRightToLeftAlignment() ? m - n.nPos : n.nPos;
                SetBarParams(target, pos, n.nMin, m);
                SetBarPageSize(target, page);
            } else {
                target->SetEnabled(false);
            }
            Host->UpdateScrollBarPanels();
        }
        if (g->HandleAllocated()) ShowScrollBar(g->Handle(), SB_HORZ, FALSE);
        return;
    }
    TVertDBGridEhScrollBar* vsb = Host->VertScrollBar();
    TScrollBar* target = vsb->ExtScrollBar();
    if (!target && Host->ScrollBarPanel()) target = Host->VertScrollBarPanelControl()->ScrollBar();
    if (target) {
        SCROLLINFO cur;
        cur.fMask = SIF_ALL;
        g->GetScrollBarInfo(Bar, cur);
        const SCROLLINFO n = WithMask(cur, Mask, Pos, Page, Max, Min);
        vsb->SetParams(n.nPos, n.nMin, n.nMax, int(n.nPage));
        return;
    }
    if (vsb->VisibleMode() == sbAlwaysShowEh) {
        // The base write, with the bar kept visible and disabled when there is nothing to scroll.
        if (!g->HandleAllocated()) return;
        SCROLLINFO cur;
        cur.fMask = SifAllNoScroll;
        g->GetScrollBarInfo(Bar, cur);
        SCROLLINFO n = WithMask(cur, Mask, Pos, Page, Max, Min);
        if (!SameInfo(n, cur)) {
            n.fMask = SifAllNoScroll;
            ::SetScrollInfo(g->Handle(), Bar, &n, TRUE);
        }
        return;
    }
    g->TCustomGridEh::SetScrollBarInfo(Bar, Mask, Pos, Page, Max, Min);
}

int DBGridEhLastPageLeftCol(TCustomGridEh* Grid) {
    TGridDrawInfoEh di;
    Grid->CalcDrawInfo(di);
    const TGridAxisDrawInfoEh& a = di.Horz;
    const int last = Grid->ColCount() - 1;
    const int first = Grid->FixedCols();
    int line = a.GridExtent + a.EffectiveLineWidth;
    int result = std::max(last, first);
    for (int i = last; i >= first; --i) {
        const int size = Grid->ColWidths(i);
        if (size <= 0) continue;
        line -= size + a.EffectiveLineWidth;
        if (line < a.FixedBoundary) break;
        result = i;
    }
    return result;
}

void DBGridEhUpdateHorzExtScrollBar(IDBGridEhScrollBarHost* Host) {
    THorzDBGridEhScrollBar* hsb = Host->HorzScrollBar();
    TScrollBar* ext = hsb->ExtScrollBar();
    if (!ext) return;
    TCustomDBAxisGridEh* g = Host->ScrollBarGrid();
    SCROLLINFO cur;
    cur.fMask = SIF_ALL;
    hsb->GetScrollInfo(cur);
    const int page = g->VisibleColCount();
    const int min = 0;
    const int max = page + g->FixedCols() == g->ColCount() ? 0 : 127;
    const int m = DBGridEhLastPageLeftCol(g);
    int pos = m == g->FixedCols() ? 0 : MulDiv(g->LeftCol() - g->FixedCols(), 127, m - g->FixedCols());
    pos = std::clamp(pos, min, max);
    if (cur.nMin == min && cur.nMax == max && int(cur.nPage) == page && cur.nPos == pos) return;
    ext->SetPageSize(0);
    SetBarParams(ext, pos, min, max);
    SetBarPageSize(ext, page);
}

void DBGridEhUpdateScrollBarPanels(IDBGridEhScrollBarHost* Host) {
    TCustomDBAxisGridEh* g = Host->ScrollBarGrid();
    TDBGridEhScrollBarPanelControl* hpc = Host->HorzScrollBarPanelControl();
    TDBGridEhScrollBarPanelControl* vpc = Host->VertScrollBarPanelControl();
    TSizeGripPanelEh* corner = Host->CornerScrollBarPanelControl();
    TGridOutBoundaryDataEh* ob = g->OutBoundaryData();
    if (!Host->ScrollBarPanel()) {
        ob->SetBottomIndent(0);
        hpc->SetBounds(0, 0, 0, 0);
        hpc->SetVisible(false);
        ob->SetRightIndent(0);
        vpc->SetBounds(0, 0, 0, 0);
        vpc->SetVisible(false);
        corner->SetBounds(0, 0, 0, 0);
        corner->SetVisible(false);
        return;
    }
    hpc->ExtraPanel()->SetDataSource(g->DataSource());
    if (!g->HandleAllocated()) return;
    const TScrollBarVisibleModeEh vm = Host->VertScrollBar()->VisibleMode();
    const int w = vm == sbNeverShowEh || (vm == sbAutoShowEh && !vpc->ScrollBar()->Enabled())
                      ? 0
                      : GetSystemMetrics(SM_CXVSCROLL);
    const int b = GetSystemMetrics(SM_CYHSCROLL);
    ob->SetRightIndent(w);
    ob->SetBottomIndent(b);
    const int cw = g->ClientWidth(), ch = g->ClientHeight();
    if (g->UseRightToLeftAlignment()) {
        vpc->SetBounds(0, 0, ob->RightIndent(), ch - b);
        hpc->SetBounds(w, ch - b, cw - w, ob->BottomIndent());
        corner->SetBounds(0, ch - b, w, b);
        hpc->ExtraPanel()->SetAlign(alRight);
    } else {
        vpc->SetBounds(cw - w, 0, ob->RightIndent(), ch - b);
        hpc->SetBounds(0, ch - b, cw - w, ob->BottomIndent());
        corner->SetBounds(cw - w, ch - b, w, b);
        hpc->ExtraPanel()->SetAlign(alLeft);
    }
    hpc->ExtraPanel()->SetBorderColor(g->GridLineColors()->BrightColor());
    vpc->SetVisible(true);
    hpc->SetVisible(true);
    hpc->ExtraPanel()->ResetWidth();
    corner->SetVisible(true);
}

// ---------------------------------------------------------------------------------------------
// Stored properties

KVT_PUBLISHED(TDBGridEhScrollBarPanel) {
    P.Prop("NavigatorButtons", &TDBGridEhScrollBarPanel::NavigatorButtons,
           &TDBGridEhScrollBarPanel::SetNavigatorButtons)
        .Default(AllNavButtonsEh);
    P.Prop("Visible", &TDBGridEhScrollBarPanel::Visible, &TDBGridEhScrollBarPanel::SetVisible).Default(false);
    P.Prop("VisibleItems", &TDBGridEhScrollBarPanel::VisibleItems, &TDBGridEhScrollBarPanel::SetVisibleItems)
        .Default(AllGridSBItemsEh);
}

KVT_PUBLISHED(TDBGridEhScrollBar) {
    P.Prop("ExtScrollBar", &TDBGridEhScrollBar::ExtScrollBar, &TDBGridEhScrollBar::SetExtScrollBar);
    P.Prop("Tracking", &TDBGridEhScrollBar::Tracking, &TDBGridEhScrollBar::SetTracking).Default(true);
    P.Prop("Visible", &TDBGridEhScrollBar::Visible, &TDBGridEhScrollBar::SetVisible).Default(true);
}

KVT_PUBLISHED(THorzDBGridEhScrollBar) {
    P.Prop("ExtraPanel", &THorzDBGridEhScrollBar::ExtraPanel, &THorzDBGridEhScrollBar::SetExtraPanel);
    P.Prop("SmoothStep", &THorzDBGridEhScrollBar::SmoothStep, &THorzDBGridEhScrollBar::SetSmoothStep)
        .Default(true);
}

KVT_PUBLISHED(TVertDBGridEhScrollBar) {
    P.Prop("SmoothStep", &TVertDBGridEhScrollBar::SmoothStep, &TVertDBGridEhScrollBar::SetSmoothStep)
        .Default(false);
    P.Prop("VisibleMode", &TVertDBGridEhScrollBar::VisibleMode, &TVertDBGridEhScrollBar::SetVisibleMode)
        .Default(sbAutoShowEh);
}
