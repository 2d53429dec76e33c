// The data grid's scroll bars: the settings objects, external bars, the window bar's modes, the
// routing of scroll writes to external and panel bars, the panel layout, the panel controls, the
// size grip and the shared button images. The host is a small axis grid that wires the objects up
// the way the data grid does.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhRes.h"
#include "lib/dbgrid/DBGridEhScrollBars.h"
#include "lib/grids/DBAxisGridsEh.h"

#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

namespace {

class THostColumn : public TAxisBarEh {
    KVT_CLASS(THostColumn, TAxisBarEh)
public:
    using TAxisBarEh::TAxisBarEh;
    void GetColCellParams(bool, TAxisColCellParamsEh*) override {}
    void SetTextArea(TRect&) override {}
};

class THostLineParams : public TDBAxisGridLineParamsEh {
    KVT_CLASS(THostLineParams, TDBAxisGridLineParamsEh)
public:
    using TDBAxisGridLineParamsEh::TDBAxisGridLineParamsEh;
    bool DefaultDataHorzLines() override { return true; }
    bool DefaultDataVertLines() override { return true; }
    TDBGridLinesColorSchemeEh GetActualColorScheme() override {
        return ColorScheme() == glcsDefaultEh ? glcsClassicEh : ColorScheme();
    }
};

class TScrollHostGrid : public TCustomDBAxisGridEh, public IDBGridEhScrollBarHost {
    KVT_CLASS(TScrollHostGrid, TCustomDBAxisGridEh)
public:
    explicit TScrollHostGrid(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner) {
        FHorzPanel = new TDBGridEhScrollBarPanelControl(this, sbHorizontal);
        FHorzPanel->SetName(QStringLiteral("HorzScrollBarPanelControl"));
        FHorzPanel->SetParent(this);
        FHorzPanel->SetVisible(false);
        FVertPanel = new TDBGridEhScrollBarPanelControl(this, sbVertical);
        FVertPanel->SetName(QStringLiteral("VertScrollBarPanelControl"));
        FVertPanel->SetParent(this);
        FVertPanel->SetVisible(false);
        FCorner = new TSizeGripPanelEh(this);
        FCorner->SetParent(this);
        FCorner->SetVisible(false);
        FHorz = std::make_unique<THorzDBGridEhScrollBar>(this);
        FVert = std::make_unique<TVertDBGridEhScrollBar>(this);
    }
    ~TScrollHostGrid() override {
        FHorz.reset();
        FVert.reset();
    }

    TGridAxisBarsEh* CreateAxisBars() override {
        return new TGridAxisBarsEh(this, CollectionItemClassOf<THostColumn>());
    }
    TGridLineColorsEh* CreateGridLineColors() override { return new THostLineParams(this); }
    TFont* GetTitleFont() override { return &FTitleFont; }
    void SetTitleFont(TFont* Value) override { FTitleFont.Assign(Value); }
    TCustomDBAxisGridEh* ScrollBarGrid() override { return this; }
    THorzDBGridEhScrollBar* HorzScrollBar() const override { return FHorz.get(); }
    TVertDBGridEhScrollBar* VertScrollBar() const override { return FVert.get(); }
    TDBGridEhScrollBarPanelControl* HorzScrollBarPanelControl() const override { return FHorzPanel; }
    TDBGridEhScrollBarPanelControl* VertScrollBarPanelControl() const override { return FVertPanel; }
    TSizeGripPanelEh* CornerScrollBarPanelControl() const override { return FCorner; }
    bool ShowingLoadingMode() const override { return Loading; }
    bool ScrollBarPanel() override {
        return (FHorz && FHorz->ScrollBarPanel()) || (FVert && FVert->ScrollBarPanel());
    }
    void UpdateVertScrollBar() override { ++VertUpdates; }
    void UpdateScrollBarPanels() override {
        ++PanelUpdates;
        if (FHorz && FVert) DBGridEhUpdateScrollBarPanels(this);
    }
    void ScrollBarSmoothStepChanged(TScrollBarKind Kind) override { SmoothChanges.push_back(Kind); }

    void SetScrollBarInfo(int Bar, UINT Mask, int Pos, int Page, int Max, int Min) override {
        DBGridEhSetScrollBarInfo(this, Bar, Mask, Pos, Page, Max, Min);
    }
    bool GetScrollBarInfo(int Bar, SCROLLINFO& ScrollInfo) override {
        return DBGridEhGetScrollBarInfo(this, Bar, ScrollInfo);
    }
    int GetScrollBarSize(int Bar) override { return DBGridEhGetScrollBarSize(this, Bar); }
    void ModifyScrollBar(int ScrollBar, int ScrollCode, int Pos, bool UseRightToLeft) override {
        Modified.push_back({ScrollBar, ScrollCode, Pos, UseRightToLeft});
        TCustomDBAxisGridEh::ModifyScrollBar(ScrollBar, ScrollCode, Pos, UseRightToLeft);
    }
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TCustomDBAxisGridEh::Notification(AComponent, Operation);
        if (Operation != opRemove) return;
        if (FHorz && AComponent == FHorz->ExtScrollBar()) FHorz->SetExtScrollBar(nullptr);
        if (FVert && AComponent == FVert->ExtScrollBar()) FVert->SetExtScrollBar(nullptr);
    }
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == WM_HSCROLL || Message.Msg == WM_VSCROLL) ScrollMessages.push_back(Message);
        TCustomDBAxisGridEh::Dispatch(Message);
    }

    struct ModifyCall {
        int Bar, Code, Pos;
        bool RTL;
    };
    bool Loading = false;
    int VertUpdates = 0;
    int PanelUpdates = 0;
    std::vector<TScrollBarKind> SmoothChanges;
    std::vector<ModifyCall> Modified;
    std::vector<TMessage> ScrollMessages;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
        TCanvas* c = Canvas();
        const bool fixed = AState.Contains(gdFixed);
        c->Brush()->SetColor(fixed ? FixedColor() : clWindow);
        c->FillRect(ARect);
        c->TextRect(ARect, ARect.Left + 3, ARect.Top + 3,
                    fixed ? QString() : QStringLiteral("Ячейка %1:%2").arg(ACol).arg(ARow));
    }

private:
    TFont FTitleFont;
    TDBGridEhScrollBarPanelControl* FHorzPanel;
    TDBGridEhScrollBarPanelControl* FVertPanel;
    TSizeGripPanelEh* FCorner;
    std::unique_ptr<THorzDBGridEhScrollBar> FHorz;
    std::unique_ptr<TVertDBGridEhScrollBar> FVert;
};

struct ScrollFixture : ::testing::Test {
    TForm* Form = nullptr;
    TScrollHostGrid* Grid = nullptr;

    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(50, 50, 420, 260);
        Grid = Create<TScrollHostGrid>(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 300, 200);
        Grid->SetColCount(12);
        Grid->SetRowCount(30);
        // The tests write the bars themselves; the base grid's own range updates would overwrite
        // them. Tests of the base grid's writes turn its bars back on.
        Grid->SetScrollBars(ssNone);
        Form->Show();
        Pump();
    }
    void TearDown() override {
        Form->Free();
        SetThemesInUse(true);
    }
    TScrollBar* NewBar(const char* Name, TScrollBarKind Kind) {
        auto* b = new TScrollBar(Form);
        b->SetName(QString::fromLatin1(Name));
        b->SetKind(Kind);
        b->SetParent(Form);
        b->SetBounds(310, 10, 100, 17);
        return b;
    }
    SCROLLINFO WindowBar(int Bar) {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        ::GetScrollInfo(Grid->Handle(), Bar, &si);
        return si;
    }
    bool WindowBarVisible(int Bar) {
        return (GetWindowLong(Grid->Handle(), GWL_STYLE) & (Bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
    }
    bool WindowBarEnabled(int Bar) {
        SCROLLBARINFO sbi;
        ::GetScrollBarInfo(Grid->Handle(), Bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &sbi);
        return !(sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
    }
    void UsePanels() {
        Grid->HorzScrollBar()->ExtraPanel()->SetVisible(true);
        Grid->UpdateScrollBarPanels();
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Settings objects

TEST_F(ScrollFixture, DefaultsVisibleModesAndAssign) {
    THorzDBGridEhScrollBar* h = Grid->HorzScrollBar();
    TVertDBGridEhScrollBar* v = Grid->VertScrollBar();
    EXPECT_TRUE(h->SmoothStep());
    EXPECT_FALSE(v->SmoothStep());
    EXPECT_TRUE(h->Tracking());
    EXPECT_EQ(h->VisibleMode(), sbAutoShowEh);
    EXPECT_TRUE(v->SysScrollBar());
    EXPECT_FALSE(h->ExtraPanel()->Visible());
    EXPECT_EQ(h->ExtraPanel()->NavigatorButtons(), AllNavButtonsEh);
    EXPECT_EQ(h->ExtraPanel()->VisibleItems(), AllGridSBItemsEh);

    // Only the vertical object refreshes the vertical bar on a mode change.
    const int before = Grid->VertUpdates;
    h->SetVisibleMode(sbAlwaysShowEh);
    EXPECT_EQ(Grid->VertUpdates, before);
    v->SetVisibleMode(sbAlwaysShowEh);
    EXPECT_EQ(Grid->VertUpdates, before + 1);
    v->SetVisibleMode(sbAlwaysShowEh);
    EXPECT_EQ(Grid->VertUpdates, before + 1);
    // Visible := true turns "always" into "auto".
    v->SetVisible(true);
    EXPECT_EQ(v->VisibleMode(), sbAutoShowEh);
    v->SetVisible(false);
    EXPECT_EQ(v->VisibleMode(), sbNeverShowEh);

    // Assign copies Visible, Tracking and the external bar; not SmoothStep.
    TScrollBar* ext = NewBar("HBar", sbHorizontal);
    h->SetTracking(false);
    h->SetVisible(false);
    h->SetExtScrollBar(ext);
    h->SetExtScrollBar(nullptr);
    TScrollHostGrid* other = Create<TScrollHostGrid>(Form);
    other->HorzScrollBar()->SetSmoothStep(false);
    h->SetExtScrollBar(ext);
    // The bar is this grid's already: the copy refuses it after Visible and Tracking.
    EXPECT_THROW(other->HorzScrollBar()->Assign(h), Exception);
    EXPECT_FALSE(other->HorzScrollBar()->Visible());
    EXPECT_FALSE(other->HorzScrollBar()->Tracking());
    EXPECT_FALSE(other->HorzScrollBar()->SmoothStep());
    EXPECT_EQ(other->HorzScrollBar()->ExtScrollBar(), nullptr);
    h->SetExtScrollBar(nullptr);
    h->SetTracking(true);
    other->HorzScrollBar()->Assign(h);
    EXPECT_TRUE(other->HorzScrollBar()->Tracking());
    EXPECT_THROW(h->Assign(Grid->OutBoundaryData()), EConvertError);
}

TEST_F(ScrollFixture, SmoothStepReachesTheGridAndExtraPanelAssigns) {
    // The horizontal object switches to pixel steps while it is made.
    TScrollHostGrid* g = Create<TScrollHostGrid>(Form);
    ASSERT_EQ(g->SmoothChanges.size(), 1u);
    EXPECT_EQ(g->SmoothChanges[0], sbHorizontal);
    g->VertScrollBar()->SetSmoothStep(true);
    g->VertScrollBar()->SetSmoothStep(true);
    ASSERT_EQ(g->SmoothChanges.size(), 2u);
    EXPECT_EQ(g->SmoothChanges[1], sbVertical);

    // A whole extra panel can be assigned: its visibility and navigator settings are copied.
    Grid->HorzScrollBar()->ExtraPanel()->SetVisible(true);
    Grid->HorzScrollBar()->ExtraPanel()->SetNavigatorButtons(TNavButtonSetEh{nbFirstEh, nbLastEh});
    Grid->HorzScrollBar()->ExtraPanel()->SetVisibleItems(TGridSBItemsEh{gsbiNavigator});
    g->HorzScrollBar()->SetExtraPanel(Grid->HorzScrollBar()->ExtraPanel());
    EXPECT_TRUE(g->HorzScrollBar()->ExtraPanel()->Visible());
    EXPECT_TRUE(g->ScrollBarPanel());
    EXPECT_EQ(g->HorzScrollBarPanelControl()->ExtraPanel()->VisibleButtons(),
              (TNavButtonSetEh{nbFirstEh, nbLastEh}));
    EXPECT_EQ(g->HorzScrollBar()->ExtraPanel()->VisibleItems(), TGridSBItemsEh{gsbiNavigator});
}

// ---------------------------------------------------------------------------------------------
// External bars

TEST_F(ScrollFixture, ExternalBarIsHookedForwardedAndReleased) {
    TScrollBar* bar = NewBar("VBar", sbVertical);
    TVertDBGridEhScrollBar* v = Grid->VertScrollBar();
    v->SetExtScrollBar(bar);
    EXPECT_FALSE(bar->WindowProc == TWndMethod(bar, &TControl::WndProc));

    // The bar's scroll notifications reach the grid as its own scroll messages, then the bar.
    bar->SetParams(0, 0, 10);
    Grid->ScrollMessages.clear();
    bar->Perform(CN_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    ASSERT_EQ(Grid->ScrollMessages.size(), 1u);
    EXPECT_EQ(Grid->ScrollMessages[0].Msg, UINT(WM_VSCROLL));
    EXPECT_EQ(LOWORD(Grid->ScrollMessages[0].WParam), SB_LINEDOWN);
    EXPECT_EQ(bar->Position(), 1);

    // A second grid cannot take a bar that is hooked already; its own setting stays.
    TScrollHostGrid* other = Create<TScrollHostGrid>(Form);
    other->SetParent(Form);
    try {
        other->VertScrollBar()->SetExtScrollBar(bar);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Possible VBar already attached to the other control."));
    }
    EXPECT_EQ(other->VertScrollBar()->ExtScrollBar(), nullptr);
    EXPECT_EQ(v->ExtScrollBar(), bar);

    // Detaching gives the bar its own window procedure back; so does destroying the object.
    v->SetExtScrollBar(nullptr);
    EXPECT_TRUE(bar->WindowProc == TWndMethod(bar, &TControl::WndProc));
    other->VertScrollBar()->SetExtScrollBar(bar);
    other->Free();
    EXPECT_TRUE(bar->WindowProc == TWndMethod(bar, &TControl::WndProc));

    // A freed bar is let go.
    v->SetExtScrollBar(bar);
    bar->Free();
    EXPECT_EQ(v->ExtScrollBar(), nullptr);

    // While designed, a grid neither checks nor hooks the bar.
    TScrollBar* shared = NewBar("Shared", sbVertical);
    v->SetExtScrollBar(shared);
    TScrollHostGrid* designed = Create<TScrollHostGrid>(Form);
    designed->SetDesigning(true);
    EXPECT_NO_THROW(designed->VertScrollBar()->SetExtScrollBar(shared));
    EXPECT_EQ(designed->VertScrollBar()->ExtScrollBar(), shared);
    designed->VertScrollBar()->SetExtScrollBar(nullptr);
    EXPECT_FALSE(shared->WindowProc == TWndMethod(shared, &TControl::WndProc)); // still the first grid's
}

TEST_F(ScrollFixture, ExternalBarVisibilityFollowsTheObject) {
    TScrollBar* bar = NewBar("HBar", sbHorizontal);
    THorzDBGridEhScrollBar* h = Grid->HorzScrollBar();
    h->SetExtScrollBar(bar);
    EXPECT_TRUE(h->IsScrollBarVisible());
    h->SetVisible(false);
    EXPECT_FALSE(bar->Visible());
    EXPECT_FALSE(h->IsScrollBarVisible());
    EXPECT_FALSE(h->CanIntScrollBarBeShown());
    h->SetVisible(true);
    EXPECT_TRUE(bar->Visible());
    EXPECT_FALSE(h->CanIntScrollBarBeShown()); // an external bar is never the window's
}

// ---------------------------------------------------------------------------------------------
// The vertical bar's parameters

TEST_F(ScrollFixture, VerticalWindowBarFollowsTheModes) {
    TVertDBGridEhScrollBar* v = Grid->VertScrollBar();
    // Nothing to scroll: auto hides the bar.
    v->SetParams(0, 0, 1, 2);
    EXPECT_FALSE(WindowBarVisible(SB_VERT));
    EXPECT_FALSE(v->IsScrollBarShowing());
    EXPECT_TRUE(v->CheckHideScrollBar());

    // The five-position bar: first, middle and last record.
    for (int pos : {0, 2, 4}) {
        v->SetParams(pos, 0, 4, 0);
        SCROLLINFO si = WindowBar(SB_VERT);
        EXPECT_EQ(si.nPos, pos);
        EXPECT_EQ(si.nMax, 4);
        EXPECT_TRUE(WindowBarVisible(SB_VERT));
        EXPECT_TRUE(v->IsScrollBarShowing());
    }

    // Always: shown, but disabled when there is nothing to scroll.
    v->SetVisibleMode(sbAlwaysShowEh);
    v->SetParams(0, 0, 1, 2);
    EXPECT_TRUE(WindowBarVisible(SB_VERT));
    EXPECT_FALSE(WindowBarEnabled(SB_VERT));
    EXPECT_TRUE(v->IsScrollBarShowing());
    v->SetParams(2, 0, 4, 0);
    EXPECT_TRUE(WindowBarEnabled(SB_VERT));

    // Never: the range collapses and the bar goes.
    v->SetVisibleMode(sbNeverShowEh);
    v->SetParams(2, 0, 4, 0);
    EXPECT_FALSE(WindowBarVisible(SB_VERT));
    EXPECT_FALSE(v->IsScrollBarShowing());
}

TEST_F(ScrollFixture, VerticalParamsGoToTheExternalBarAndBack) {
    TVertDBGridEhScrollBar* v = Grid->VertScrollBar();
    v->SetParams(2, 0, 4, 0);
    ASSERT_TRUE(WindowBarVisible(SB_VERT));
    TScrollBar* bar = NewBar("VBar", sbVertical);
    v->SetExtScrollBar(bar);
    // Record numbers: 100 records, 10 rows a page, the last record puts the thumb at the bottom.
    v->SetParams(100, 1, 109, 10);
    EXPECT_EQ(bar->Min(), 1);
    EXPECT_EQ(bar->Max(), 109);
    EXPECT_EQ(bar->PageSize(), 10);
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_TRUE(bar->Enabled());
    EXPECT_FALSE(WindowBarVisible(SB_VERT));
    EXPECT_FALSE(v->SysScrollBar());
    // Nothing to scroll: the external bar is disabled, without an error.
    v->SetParams(0, 0, 1, 2);
    EXPECT_FALSE(bar->Enabled());

    // Back on the window's bar, which shows again when there is something to scroll.
    v->SetExtScrollBar(nullptr);
    v->SetParams(4, 0, 4, 0);
    EXPECT_TRUE(v->SysScrollBar());
    EXPECT_TRUE(WindowBarVisible(SB_VERT));
    EXPECT_EQ(WindowBar(SB_VERT).nPos, 4);
}

// ---------------------------------------------------------------------------------------------
// Routing of the base grid's writes

TEST_F(ScrollFixture, HorizontalWritesReachThePanelBar) {
    UsePanels();
    TScrollBar* bar = Grid->HorzScrollBarPanelControl()->ScrollBar();
    Grid->SetScrollBarInfo(SB_HORZ, SIF_ALL, 10, 20, 100, 0);
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), 100);
    EXPECT_EQ(bar->PageSize(), 20);
    EXPECT_EQ(bar->Position(), 10);
    EXPECT_TRUE(bar->Enabled());
    EXPECT_FALSE(WindowBarVisible(SB_HORZ));

    // A position-only write keeps range and page.
    Grid->SetScrollBarInfo(SB_HORZ, SIF_POS, 30, 0, 0, 0);
    EXPECT_EQ(bar->Position(), 30);
    EXPECT_EQ(bar->Max(), 100);
    EXPECT_EQ(bar->PageSize(), 20);

    // A range not larger than the page disables the bar, which keeps its values.
    Grid->SetScrollBarInfo(SB_HORZ, SIF_ALL, 0, 50, 40, 0);
    EXPECT_FALSE(bar->Enabled());
    EXPECT_EQ(bar->Max(), 100);
    EXPECT_EQ(bar->Position(), 30);

    // While the grid shows its loading status nothing moves.
    Grid->Loading = true;
    Grid->SetScrollBarInfo(SB_HORZ, SIF_ALL, 5, 10, 200, 0);
    EXPECT_EQ(bar->Max(), 100);
    Grid->Loading = false;

    // A page wider than the bar's current range does not fail.
    bar->SetPageSize(0);
    bar->SetParams(0, 0, 5);
    Grid->SetScrollBarInfo(SB_HORZ, SIF_ALL, 3, 50, 300, 0);
    EXPECT_EQ(bar->Max(), 300);
    EXPECT_EQ(bar->PageSize(), 50);
}

TEST_F(ScrollFixture, HorizontalPositionIsMirroredRightToLeft) {
    TScrollBar* bar = NewBar("HBar", sbHorizontal);
    Grid->HorzScrollBar()->SetExtScrollBar(bar);
    Grid->SetBiDiMode(bdRightToLeft);
    Grid->SetScrollBarInfo(SB_HORZ, SIF_ALL, 10, 20, 100, 0);
    EXPECT_EQ(bar->Position(), 90);
    EXPECT_FALSE(WindowBarVisible(SB_HORZ));
}

TEST_F(ScrollFixture, VerticalWritesWithoutTargetKeepAnAlwaysBarDisabled) {
    Grid->VertScrollBar()->SetVisibleMode(sbAlwaysShowEh);
    Grid->SetScrollBarInfo(SB_VERT, SIF_ALL, 0, 10, 5, 0);
    EXPECT_TRUE(WindowBarVisible(SB_VERT));
    EXPECT_FALSE(WindowBarEnabled(SB_VERT));
    Grid->SetScrollBarInfo(SB_VERT, SIF_ALL, 3, 10, 50, 0);
    EXPECT_TRUE(WindowBarEnabled(SB_VERT));
    EXPECT_EQ(WindowBar(SB_VERT).nPos, 3);

    // With a panel, vertical writes go through the vertical object to the panel bar.
    UsePanels();
    Grid->SetScrollBarInfo(SB_VERT, SIF_ALL, 7, 10, 50, 0);
    TScrollBar* vbar = Grid->VertScrollBarPanelControl()->ScrollBar();
    EXPECT_EQ(vbar->Position(), 7);
    EXPECT_EQ(vbar->Max(), 50);
    EXPECT_FALSE(WindowBarVisible(SB_VERT));
}

TEST_F(ScrollFixture, ScrollBarSizeIsZeroOutsideAutoMode) {
    Grid->SetScrollBars(ssBoth);
    const int base = Grid->TCustomGridEh::GetScrollBarSize(SB_VERT);
    EXPECT_EQ(Grid->GetScrollBarSize(SB_VERT), base);
    for (TScrollBarVisibleModeEh m : {sbAlwaysShowEh, sbNeverShowEh}) {
        Grid->VertScrollBar()->SetVisibleMode(m);
        Grid->HorzScrollBar()->SetVisibleMode(m);
        EXPECT_EQ(Grid->GetScrollBarSize(SB_VERT), 0);
        EXPECT_EQ(Grid->GetScrollBarSize(SB_HORZ), 0);
    }
}

TEST_F(ScrollFixture, ExternalHorizontalBarFollowsTheLeftColumn) {
    TScrollBar* bar = NewBar("HBar", sbHorizontal);
    Grid->HorzScrollBar()->SetExtScrollBar(bar);
    const int last = DBGridEhLastPageLeftCol(Grid);
    ASSERT_GT(last, Grid->FixedCols() + 1);
    Grid->SetLeftCol(Grid->FixedCols());
    DBGridEhUpdateHorzExtScrollBar(Grid);
    EXPECT_EQ(bar->Max(), 127);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(bar->PageSize(), Grid->VisibleColCount());
    Grid->SetLeftCol(last);
    DBGridEhUpdateHorzExtScrollBar(Grid);
    EXPECT_EQ(bar->Position(), 127);
    const int mid = (Grid->FixedCols() + last) / 2;
    Grid->SetLeftCol(mid);
    DBGridEhUpdateHorzExtScrollBar(Grid);
    EXPECT_EQ(bar->Position(), MulDiv(mid - Grid->FixedCols(), 127, last - Grid->FixedCols()));

    // All columns on screen: an empty range, without an error.
    Grid->SetColCount(3);
    Grid->SetLeftCol(Grid->FixedCols());
    DBGridEhUpdateHorzExtScrollBar(Grid);
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), 0);
    EXPECT_EQ(bar->Position(), 0);
}

TEST_F(ScrollFixture, LastPageLeftColCountsAColumnStartingAtTheFixedBoundary) {
    // Column widths chosen so that the last page starts exactly at the fixed boundary.
    Grid->SetColCount(6);
    TGridDrawInfoEh di;
    Grid->CalcDrawInfo(di);
    const int room = di.Horz.GridExtent - di.Horz.FixedBoundary;
    const int lw = di.Horz.EffectiveLineWidth;
    for (int i = Grid->FixedCols(); i < 6; ++i)
        Grid->SetColWidths(i, room / 2 - lw);
    Grid->SetColWidths(4, room - (room / 2 - lw) - lw);
    Grid->CalcDrawInfo(di);
    EXPECT_EQ(DBGridEhLastPageLeftCol(Grid), 4);
    EXPECT_EQ(Grid->CalcMaxTopLeft(TGridCoord{5, 0}, di).X, 5);
}

// ---------------------------------------------------------------------------------------------
// Panel layout

TEST_F(ScrollFixture, PanelLayoutReservesTheMarginsBothDirections) {
    const int w = GetSystemMetrics(SM_CXVSCROLL), b = GetSystemMetrics(SM_CYHSCROLL);
    Grid->VertScrollBar()->SetVisibleMode(sbAlwaysShowEh);
    UsePanels();
    const int cw = Grid->ClientWidth(), ch = Grid->ClientHeight();
    EXPECT_EQ(Grid->OutBoundaryData()->RightIndent(), w);
    EXPECT_EQ(Grid->OutBoundaryData()->BottomIndent(), b);
    EXPECT_EQ(Grid->VertScrollBarPanelControl()->BoundsRect(), Bounds(cw - w, 0, w, ch - b));
    EXPECT_EQ(Grid->HorzScrollBarPanelControl()->BoundsRect(), Bounds(0, ch - b, cw - w, b));
    EXPECT_EQ(Grid->CornerScrollBarPanelControl()->BoundsRect(), Bounds(cw - w, ch - b, w, b));
    EXPECT_TRUE(Grid->HorzScrollBarPanelControl()->Visible());
    EXPECT_TRUE(Grid->VertScrollBarPanelControl()->Visible());
    EXPECT_TRUE(Grid->CornerScrollBarPanelControl()->Visible());
    EXPECT_EQ(Grid->HorzScrollBarPanelControl()->ExtraPanel()->Align(), alLeft);
    EXPECT_EQ(Grid->HorzScrollBarPanelControl()->ExtraPanel()->BorderColor(),
              Grid->GridLineColors()->BrightColor());

    Grid->SetBiDiMode(bdRightToLeft);
    Grid->UpdateScrollBarPanels();
    EXPECT_EQ(Grid->VertScrollBarPanelControl()->BoundsRect(), Bounds(0, 0, w, ch - b));
    EXPECT_EQ(Grid->HorzScrollBarPanelControl()->BoundsRect(), Bounds(w, ch - b, cw - w, b));
    EXPECT_EQ(Grid->CornerScrollBarPanelControl()->BoundsRect(), Bounds(0, ch - b, w, b));
    EXPECT_EQ(Grid->HorzScrollBarPanelControl()->ExtraPanel()->Align(), alRight);
    Grid->SetBiDiMode(bdLeftToRight);

    // A vertical bar that never shows gives its margin back; the horizontal margin stays.
    Grid->VertScrollBar()->SetVisibleMode(sbNeverShowEh);
    Grid->UpdateScrollBarPanels();
    EXPECT_EQ(Grid->OutBoundaryData()->RightIndent(), 0);
    EXPECT_EQ(Grid->OutBoundaryData()->BottomIndent(), b);
    EXPECT_EQ(Grid->HorzScrollBarPanelControl()->Width(), cw);

    // Panels off: margins back to 0, the three controls hidden.
    Grid->HorzScrollBar()->ExtraPanel()->SetVisible(false);
    Grid->UpdateScrollBarPanels();
    EXPECT_EQ(Grid->OutBoundaryData()->RightIndent(), 0);
    EXPECT_EQ(Grid->OutBoundaryData()->BottomIndent(), 0);
    EXPECT_FALSE(Grid->HorzScrollBarPanelControl()->Visible());
    EXPECT_FALSE(Grid->VertScrollBarPanelControl()->Visible());
    EXPECT_FALSE(Grid->CornerScrollBarPanelControl()->Visible());
    EXPECT_EQ(Grid->HorzScrollBarPanelControl()->BoundsRect(), Bounds(0, 0, 0, 0));
}

TEST_F(ScrollFixture, ScreenshotWithBothPanelsAndTheSizeGrip) {
    Form->SetBounds(50, 50, 360, 240);
    Grid->SetAlign(alClient);
    Grid->SetScrollBars(ssBoth);
    Grid->VertScrollBar()->SetVisibleMode(sbAlwaysShowEh);
    UsePanels();
    Grid->SetScrollBarInfo(SB_VERT, SIF_ALL, 5, 8, 40, 0);
    Grid->UpdateScrollRange();
    Grid->UpdateScrollBarPanels();
    Pump(50);
    EXPECT_TRUE(Grid->CornerScrollBarPanelControl()->IsInFormCorner());
    QImage img = Form->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_scrollbar_panels"))));
    SetThemesInUse(false);
    Grid->HorzScrollBarPanelControl()->ExtraPanel()->SetImages(DBGridEhResImages());
    Grid->Invalidate();
    Grid->HorzScrollBarPanelControl()->Invalidate();
    Grid->CornerScrollBarPanelControl()->Invalidate();
    Pump(50);
    img = Form->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_scrollbar_panels_classic"))));
}

// ---------------------------------------------------------------------------------------------
// Panel controls

TEST_F(ScrollFixture, PanelControlParamsAndScrolling) {
    UsePanels();
    TDBGridEhScrollBarPanelControl* pc = Grid->HorzScrollBarPanelControl();
    TScrollBar* bar = pc->ScrollBar();
    EXPECT_EQ(pc->Name(), QStringLiteral("HorzScrollBarPanelControl"));
    EXPECT_EQ(Grid->VertScrollBarPanelControl()->Name(), QStringLiteral("VertScrollBarPanelControl"));
    EXPECT_TRUE(pc->ExtraPanel()->Visible());
    EXPECT_FALSE(Grid->VertScrollBarPanelControl()->ExtraPanel()->Visible());

    pc->SetParams(30, 0, 100, 20);
    EXPECT_TRUE(bar->Enabled());
    EXPECT_EQ(bar->Position(), 30);
    EXPECT_EQ(bar->PageSize(), 20);
    // Nothing to scroll: disabled, values kept.
    pc->SetParams(0, 0, 10, 50);
    EXPECT_FALSE(bar->Enabled());
    EXPECT_EQ(bar->Max(), 100);
    EXPECT_EQ(bar->PageSize(), 20);
    EXPECT_EQ(bar->Position(), 30);
    pc->SetParams(30, 0, 100, 20);

    // A scroll action reaches the grid's ModifyScrollBar; the thumb ends where the grid put it.
    Grid->Modified.clear();
    int pos = 55;
    bar->OnScroll(bar, scTrack, pos);
    ASSERT_EQ(Grid->Modified.size(), 1u);
    EXPECT_EQ(Grid->Modified[0].Bar, SB_HORZ);
    EXPECT_EQ(Grid->Modified[0].Code, int(scTrack));
    EXPECT_EQ(Grid->Modified[0].Pos, 55);
    EXPECT_TRUE(Grid->Modified[0].RTL);
    EXPECT_EQ(pos, bar->Position());

    // Right to left: the far left of the thumb is the bar's maximum.
    pc->SetBiDiMode(bdRightToLeft);
    Grid->Modified.clear();
    pos = 0;
    bar->OnScroll(bar, scTrack, pos);
    ASSERT_EQ(Grid->Modified.size(), 1u);
    EXPECT_EQ(Grid->Modified[0].Pos, bar->Max());

    // The panel bar never takes the focus.
    auto* cbar = dynamic_cast<TControlScrollBarEh*>(bar);
    ASSERT_NE(cbar, nullptr);
    EXPECT_EQ(cbar->Perform(WM_MOUSEACTIVATE, 0, 0), LRESULT(MA_NOACTIVATE));
    EXPECT_EQ(cbar->Perform(CM_DESIGNHITTEST, 0, 0), 1);
    EXPECT_FALSE(cbar->TabStop());
    EXPECT_EQ(cbar->Widget()->focusPolicy(), Qt::NoFocus);

    // The navigator panel never grows past the room the panel leaves for it.
    EXPECT_EQ(pc->MaxSizeForExtraPanel(), pc->Width() - 2 * GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_LE(pc->ExtraPanel()->Width(), pc->MaxSizeForExtraPanel());
    pc->SetWidth(60);
    pc->ExtraPanel()->ResetWidth();
    EXPECT_EQ(pc->ExtraPanel()->Width(), std::max(0, pc->MaxSizeForExtraPanel()));
}

// ---------------------------------------------------------------------------------------------
// Size grip

TEST_F(ScrollFixture, SizeGripWorksOnlyInTheFormsCorner) {
    TSizeGripPanelEh* grip = Grid->CornerScrollBarPanelControl();
    Grid->SetBorderStyle(bsNone); // the grip's corner is then the grid's
    UsePanels();
    const int cw = Form->ClientWidth(), ch = Form->ClientHeight();
    struct Case {
        int Gap;
        bool Corner;
    };
    for (Case c : {Case{10, false}, Case{3, true}, Case{0, true}}) {
        Grid->SetBounds(0, 0, cw - c.Gap, ch - c.Gap);
        Grid->UpdateScrollBarPanels();
        Pump();
        EXPECT_EQ(grip->IsInFormCorner(), c.Corner) << c.Gap;
        ::SetCursor(crDefault);
        grip->Perform(WM_SETCURSOR, WPARAM(grip->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(::GetCursor() == crSizeNWSE, c.Corner) << c.Gap;
    }
    EXPECT_EQ(grip->GetTopParentWindow(), Form);

    // A drag resizes the form by the mouse's moves.
    const int fw = Form->Width(), fh = Form->Height();
    grip->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ASSERT_TRUE(grip->MouseCapture());
    EXPECT_NE(grip->LastFormSize().X, -1);
    grip->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2, 2)); // no move: nothing
    EXPECT_EQ(Form->Width(), fw);
    grip->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(22, 12));
    EXPECT_EQ(Form->Width(), fw + 20);
    EXPECT_EQ(Form->Height(), fh + 10);
    grip->Perform(WM_LBUTTONUP, 0, MAKELPARAM(22, 12));
    EXPECT_EQ(grip->LastFormSize(), TPoint(-1, -1));

    // Away from the corner a press starts no resize.
    Grid->SetBounds(0, 0, Form->ClientWidth() - 10, Form->ClientHeight() - 10);
    Grid->UpdateScrollBarPanels();
    Pump();
    grip->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    grip->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 30));
    grip->Perform(WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
    EXPECT_EQ(Form->Width(), fw + 20);
}

TEST_F(ScrollFixture, SizeGripNeverShowsOnAFixedBorderDialog) {
    Form->SetBorderStyle(bsDialog);
    Grid->SetAlign(alClient);
    UsePanels();
    Pump();
    EXPECT_FALSE(Grid->CornerScrollBarPanelControl()->IsInFormCorner());
}

// ---------------------------------------------------------------------------------------------
// Shared resources

TEST(DBGridEhResTest, ListsCopyMenuAndThemeChoice) {
    TDBGridEhRes* res = DBGridEhRes();
    ASSERT_EQ(res, DBGridEhRes());
    struct ListCase {
        TImageList* List;
        int Size, Count;
        bool Masked;
    };
    for (ListCase c : {ListCase{res->IMList10, 10, 17, false}, ListCase{res->IMList10D, 10, 14, false},
                       ListCase{res->IMList12_D, 12, 17, false}, ListCase{res->IMList12, 12, 19, false},
                       ListCase{res->IMList10Bmp, 10, 16, true}, ListCase{res->IMList10DBmp, 10, 16, true}}) {
        EXPECT_EQ(c.List->Width(), c.Size) << c.List->Name();
        EXPECT_EQ(c.List->Height(), c.Size) << c.List->Name();
        EXPECT_EQ(c.List->Count(), c.Count) << c.List->Name();
        // Masked images are either fully opaque or fully transparent.
        const QImage img = c.List->Image(0);
        bool partial = false;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const int a = qAlpha(img.pixel(x, y));
                partial |= a != 0 && a != 255;
            }
        if (c.Masked) EXPECT_FALSE(partial) << c.List->Name();
    }
    // Every navigator and search glyph draws something; the blank one nothing.
    auto inked = [](const QImage& img) {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qAlpha(img.pixel(x, y)) != 0) return true;
        return false;
    };
    for (int i = 0; i < 15; ++i)
        EXPECT_TRUE(inked(res->IMList10->Image(i))) << i;
    EXPECT_FALSE(inked(res->IMList10Bmp->Image(15)));
    EXPECT_EQ(res->Name(), QStringLiteral("DBGridEhRes"));

    ASSERT_EQ(res->PopupMenu1->Items()->Count(), 1);
    EXPECT_EQ(res->PopupMenu1->Items()->Items(0), res->Copy1);
    EXPECT_EQ(res->Copy1->Caption(), QStringLiteral("Copy"));
    res->Copy1->SetHint(QStringLiteral("1 234,5"));
    res->Copy1->Click();
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("1 234,5"));
    res->Copy1->SetHint(QString());
    res->Copy1->Click();
    EXPECT_EQ(Clipboard()->AsText(), QString());

    // Panels made without themes take the masked lists; made ones keep theirs.
    SetThemesInUse(true);
    std::unique_ptr<TForm, void (*)(TForm*)> form(new TForm(nullptr), [](TForm* f) { f->Free(); });
    auto* themed = new TDBGridEhScrollBarPanelControl(form.get(), sbHorizontal);
    SetThemesInUse(false);
    auto* classic = new TDBGridEhScrollBarPanelControl(form.get(), sbHorizontal);
    EXPECT_EQ(themed->ExtraPanel()->Images(), res->IMList10);
    EXPECT_EQ(themed->ExtraPanel()->DisabledImages(), res->IMList10D);
    EXPECT_EQ(classic->ExtraPanel()->Images(), res->IMList10Bmp);
    EXPECT_EQ(classic->ExtraPanel()->DisabledImages(), res->IMList10DBmp);
    SetThemesInUse(true);
}
