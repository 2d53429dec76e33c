// Hints of the data grid's cells, asked for with the messages the hint manager sends: the pause,
// a title's own hint, title tool tips and data hints.

#include "DBGridTestFixture.h"

#include "platform/ui/Controls.h"

#include "lib/dbgrid/DBGridEhGrouping.h"

#include <QImage>
#include <QPainter>
#include <QScopeGuard>
#include <QWidget>

#include <memory>
#include <vector>

class CellHintsTest : public DBGridFormFixture<TDBGridEh> {
protected:
    void SetUp() override {
        DBGridFormFixture::SetUp();
        UseTable(5, QStringLiteral("Long name text %1"));
        Grid->Columns()->SetState(csCustomized);
        Grid->SetHint(QStringLiteral("grid hint"));
        Pump();
    }
    TColumnEh* Name() { return Grid->Columns()->Columns(1); }
    TPoint Centre(int ACol, int ARow) {
        const TRect r = Grid->CellRect(ACol, ARow);
        return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    int PauseAt(TPoint p) {
        const TPoint s = Grid->ClientToScreen(p);
        SetCursorPos(s.X, s.Y);
        int pause = -1;
        Grid->Perform(CM_HINTSHOWPAUSE, 0, LPARAM(&pause));
        return pause;
    }
    THintInfo HintAt(TPoint p) {
        THintInfo info;
        info.HintControl = Grid;
        info.HintWindowClass = &THintWindow::StaticClassInfo();
        info.CursorPos = p;
        info.HintPos = Grid->ClientToScreen(TPoint{p.X, p.Y + 20});
        info.HintMaxWidth = Screen->Width(); // as the hint manager asks
        info.HintStr = Grid->Hint();
        info.CursorRect = Grid->ClientRect();
        Grid->Perform(CM_HINTSHOW, 0, LPARAM(&info));
        return info;
    }
    static bool IsToolTip(const THintInfo& i) {
        return i.HintWindowClass == &TGridToolTipsWindowEh::StaticClassInfo();
    }
};

TEST_F(CellHintsTest, PauseIsZeroOverToolTipCellsUnlessAHandlerDecides) {
    const int appPause = Application->HintPause();
    const TPoint title = Centre(2, 0), data = Centre(2, 1);
    EXPECT_EQ(PauseAt(title), appPause);
    EXPECT_EQ(PauseAt(data), appPause);
    Name()->Title()->SetToolTips(true);
    Name()->SetToolTips(true);
    EXPECT_EQ(PauseAt(title), 0);
    EXPECT_EQ(PauseAt(data), 0);
    // A title with its own hint waits as usual.
    Name()->Title()->SetHint(QStringLiteral("Name of the row"));
    EXPECT_EQ(PauseAt(title), appPause);
    // A handler that processes the message has the last word; one that does not, none.
    bool process = true;
    Grid->OnHintShowPause = TDBGridEhHintShowPauseEvent::Callable(
        [&](TCustomDBGridEh*, TPoint, TGridCoord, TPoint, TColumnEh*, int& Pause, bool& Processed) {
            Pause = 777;
            Processed = process;
        });
    EXPECT_EQ(PauseAt(data), 777);
    process = false;
    EXPECT_EQ(PauseAt(data), 0);
}

TEST_F(CellHintsTest, TitleHintShowsItsShortPartEvenWithCtrlHeld) {
    Name()->Title()->SetHint(QStringLiteral("Short|The long part for the status bar"));
    Name()->Title()->SetToolTips(true);
    SetKeyDown(VK_CONTROL, true);
    const THintInfo i = HintAt(Centre(2, 0));
    SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(i.HintStr, QStringLiteral("Short"));
    EXPECT_FALSE(IsToolTip(i));
    EXPECT_EQ(i.CursorRect, Grid->CellRect(2, 0));
}

TEST_F(CellHintsTest, TitleToolTipShowsOnlyWhenTheCaptionDoesNotFit) {
    TColumnTitleEh* t = Name()->Title();
    t->SetToolTips(true);
    t->SetCaption(QStringLiteral("A caption far wider than its column"));
    Name()->SetWidth(60);
    Pump();
    THintInfo i = HintAt(Centre(2, 0));
    EXPECT_EQ(i.HintStr, t->Caption());
    EXPECT_TRUE(IsToolTip(i));
    EXPECT_NE(i.HintData, nullptr) << "the tool tip paints with the grid's hint font";

    t->SetCaption(QStringLiteral("Nm"));
    i = HintAt(Centre(2, 0));
    EXPECT_TRUE(i.HintStr.isEmpty()) << "a caption that fits needs no tool tip";

    // Holding Ctrl suppresses tool tips: the grid's own hint stays.
    t->SetCaption(QStringLiteral("A caption far wider than its column"));
    SetKeyDown(VK_CONTROL, true);
    i = HintAt(Centre(2, 0));
    SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(i.HintStr, QStringLiteral("grid hint"));
}

TEST_F(CellHintsTest, RightAlignedTitleCutByTheGridEdgeShowsItsToolTip) {
    // The last column runs past the grid's right edge; its short caption fits the visible part.
    TColumnEh* last = Grid->Columns()->Columns(2);
    last->Title()->SetToolTips(true);
    last->Title()->SetAlignment(taRightJustify);
    last->Title()->SetCaption(QStringLiteral("Qty"));
    Grid->Columns()->Columns(0)->SetWidth(150);
    Name()->SetWidth(200);
    last->SetWidth(400);
    Pump();
    const TRect r = Grid->CellRect(3, 0);
    ASSERT_LT(r.Right, r.Left + 400) << "the column must be cut by the grid";
    const THintInfo i = HintAt(TPoint{r.Left + 10, (r.Top + r.Bottom) / 2});
    EXPECT_EQ(i.HintStr, QStringLiteral("Qty"));
    EXPECT_TRUE(IsToolTip(i));
}

TEST_F(CellHintsTest, DataHintShowsTheFullTextUnlessAHandlerTakesIt) {
    Name()->SetWidth(50);
    Pump();
    const TPoint p = Centre(2, 2);
    EXPECT_TRUE(HintAt(p).HintStr.isEmpty()) << "a data cell without ToolTips shows no hint";

    Name()->SetToolTips(true);
    THintInfo i = HintAt(p);
    EXPECT_EQ(i.HintStr, QStringLiteral("Long name text 2"));
    EXPECT_TRUE(IsToolTip(i));

    SetKeyDown(VK_CONTROL, true);
    EXPECT_EQ(HintAt(p).HintStr, QStringLiteral("grid hint"));
    SetKeyDown(VK_CONTROL, false);

    // A handler that processes the hint without a text means no hint at all.
    Grid->OnDataHintShow = TDBGridEhDataHintShowEvent::Callable(
        [](TCustomDBGridEh*, TPoint, TGridCoord, TPoint, TColumnEh*, TDBGridEhDataHintParams*&,
           bool& Processed) { Processed = true; });
    EXPECT_TRUE(HintAt(p).HintStr.isEmpty());
    Grid->OnDataHintShow =
        TDBGridEhDataHintShowEvent::Callable([](TCustomDBGridEh*, TPoint, TGridCoord Cell, TPoint, TColumnEh*,
                                                TDBGridEhDataHintParams*& Params, bool& Processed) {
            Params->HintStr = QStringLiteral("row %1").arg(Cell.Y);
            Processed = true;
        });
    EXPECT_EQ(HintAt(p).HintStr, QStringLiteral("row 2"));
    Grid->OnDataHintShow = TDBGridEhDataHintShowEvent();
}

TEST_F(CellHintsTest, ColumnHintEventsRunWhenTheGridsLeaveTheHintUnprocessed) {
    Name()->SetWidth(50);
    Pump();
    const TPoint p = Centre(2, 2);
    std::vector<String> calls;
    bool gridProcesses = false;
    Grid->OnHintShowPause = TDBGridEhHintShowPauseEvent::Callable(
        [&](TCustomDBGridEh*, TPoint, TGridCoord, TPoint, TColumnEh*, int& Pause, bool& Processed) {
            calls.push_back(QStringLiteral("grid pause"));
            Pause = 111;
            Processed = gridProcesses;
        });
    Name()->OnHintShowPause =
        TDBGridEhHintShowPauseEvent::Callable([&](TCustomDBGridEh*, TPoint, TGridCoord, TPoint InCell,
                                                  TColumnEh* Column, int& Pause, bool& Processed) {
            calls.push_back(QStringLiteral("column pause"));
            EXPECT_EQ(Column, Name());
            EXPECT_EQ(InCell.X, p.X - Grid->CellRect(2, 2).Left);
            Pause = 222;
            Processed = true;
        });
    EXPECT_EQ(PauseAt(p), 222);
    gridProcesses = true;
    EXPECT_EQ(PauseAt(p), 111);
    EXPECT_EQ(calls, (std::vector<String>{QStringLiteral("grid pause"), QStringLiteral("column pause"),
                                          QStringLiteral("grid pause")}));

    // The column fills the data hint when the grid's handler does not; its text wins over the
    // default full text of a tool-tip column.
    Name()->SetToolTips(true);
    Grid->OnDataHintShow = TDBGridEhDataHintShowEvent::Callable(
        [&](TCustomDBGridEh*, TPoint, TGridCoord, TPoint, TColumnEh*, TDBGridEhDataHintParams*&, bool&) {
            calls.push_back(QStringLiteral("grid hint"));
        });
    Name()->OnDataHintShow = TDBGridEhDataHintShowEvent::Callable(
        [&](TCustomDBGridEh*, TPoint, TGridCoord Cell, TPoint, TColumnEh*, TDBGridEhDataHintParams*& Params,
            bool& Processed) {
            calls.push_back(QStringLiteral("column hint"));
            Params->HintStr = QStringLiteral("column %1").arg(Cell.Y);
            Processed = true;
        });
    calls.clear();
    EXPECT_EQ(HintAt(p).HintStr, QStringLiteral("column 2"));
    EXPECT_EQ(calls, (std::vector<String>{QStringLiteral("grid hint"), QStringLiteral("column hint")}));
}

TEST_F(CellHintsTest, GroupRowsAndGroupFootersShowNoDataHint) {
    Name()->SetWidth(50);
    Name()->SetToolTips(true);
    TDBGridEhDataGroupsEh* g = Grid->DataGrouping();
    g->GroupLevels()->Add()->SetColumn(Grid->Columns()->Columns(2));
    g->Footers()->Add()->SetVisible(true);
    g->SetDefaultStateExpanded(true);
    g->SetActive(true);
    Pump();
    TGridGroupDataTreeEh* tree = g->GroupDataTree();
    const int top = Grid->TopDataOffset();
    int group = -1, record = -1, footer = -1;
    for (int i = 0; i < tree->FlatVisibleCount() && top + i < Grid->VisibleRowCount() + top; ++i) {
        const TGroupDataTreeNodeTypeEh t = tree->GetFlatVisibleItem(i)->NodeType();
        int& slot = t == dntDataGroupEh ? group : t == dntDataGroupFooterEh ? footer : record;
        if (slot < 0) slot = top + i;
    }
    ASSERT_GE(group, 0);
    ASSERT_GE(record, 0);
    ASSERT_GE(footer, 0);
    EXPECT_FALSE(HintAt(Centre(2, record)).HintStr.isEmpty());
    EXPECT_TRUE(HintAt(Centre(2, group)).HintStr.isEmpty());
    EXPECT_TRUE(HintAt(Centre(2, footer)).HintStr.isEmpty());
}

TEST_F(CellHintsTest, FooterToolTipShowsTheTextTheHandlersGiveWhenItDoesNotFit) {
    Grid->SetFooterRowCount(1);
    TColumnFooterEh* f = Name()->Footer();
    f->SetValueType(fvtStaticText);
    f->SetValue(QStringLiteral("A footer text much wider than the column"));
    Name()->SetWidth(60);
    Pump();
    const int footerRow = Grid->RowCount();
    const TPoint at = Centre(2, footerRow);
    ASSERT_EQ(Grid->MouseCoord(at.X, at.Y).Y, footerRow);

    // Without ToolTips the footer gives no hint and waits as usual.
    EXPECT_EQ(PauseAt(at), Application->HintPause());
    EXPECT_TRUE(HintAt(at).HintStr.isEmpty());

    f->SetToolTips(true);
    EXPECT_EQ(PauseAt(at), 0);
    THintInfo i = HintAt(at);
    EXPECT_EQ(i.HintStr, f->Value());
    EXPECT_TRUE(IsToolTip(i));
    EXPECT_EQ(i.CursorRect, Grid->CellRect(2, footerRow));
    EXPECT_EQ(i.HintPos, Grid->ClientToScreen(TPoint{i.CursorRect.Left - 1, i.CursorRect.Top - 1}));

    // The footer-params handler has the last word on the text: a short one fits, no tool tip.
    String given = QStringLiteral("ok");
    Grid->OnGetFooterParams =
        TGetFooterParamsEvent::Callable([&](TObject*, int, int, TColumnEh*, TFont*, TColor&, TAlignment&,
                                            TGridDrawState, String& Text) { Text = given; });
    EXPECT_TRUE(HintAt(at).HintStr.isEmpty());
    // A right-aligned footer cut by the grid's edge shows its tool tip although its text fits.
    Grid->OnGetFooterParams = {};
    TColumnEh* last = Grid->Columns()->Columns(2);
    last->Footer()->SetValueType(fvtStaticText);
    last->Footer()->SetValue(QStringLiteral("Sum"));
    last->Footer()->SetAlignment(taRightJustify);
    last->Footer()->SetToolTips(true);
    last->SetWidth(600);
    Pump();
    const TRect lr = Grid->CellRect(3, footerRow);
    i = HintAt(TPoint{lr.Left + 10, (lr.Top + lr.Bottom) / 2});
    EXPECT_EQ(i.HintStr, QStringLiteral("Sum"));
}

// The tool tip of a cut title and of a cut data cell as the hint manager would show them, laid
// over the form where they open.
TEST_F(CellHintsTest, ToolTipWindowsScreenshot) {
    Name()->Title()->SetToolTips(true);
    Name()->Title()->SetCaption(QStringLiteral("Наименование изделия"));
    Name()->SetToolTips(true);
    Name()->SetWidth(70);
    Table->Edit();
    Table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Щётка для стёкол"));
    Table->Post();
    Pump();
    QWidget* form = Form->Widget();
    QImage img = form->grab().toImage();
    QPainter p(&img);
    std::vector<std::unique_ptr<TGridToolTipsWindowEh>> windows;
    for (const TPoint at : {Centre(2, 0), Centre(2, 1)}) {
        const THintInfo i = HintAt(at);
        ASSERT_TRUE(IsToolTip(i));
        ASSERT_FALSE(i.HintStr.isEmpty());
        auto w = std::make_unique<TGridToolTipsWindowEh>(nullptr);
        TRect r = w->CalcHintRect(i.HintMaxWidth, i.HintStr, i.HintData);
        r.Offset(i.HintPos.X, i.HintPos.Y);
        w->ActivateHintData(r, i.HintStr, i.HintData);
        Pump();
        ASSERT_TRUE(w->Widget());
        // A left-aligned title's tool tip opens over the caption, not beside the mouse.
        if (at.Y == Centre(2, 0).Y)
            EXPECT_EQ(r.Left, Grid->ClientToScreen(TPoint{Grid->CellRect(2, 0).Left, 0}).X - 1);
        const QPoint pos = w->Widget()->mapToGlobal(QPoint(0, 0)) - form->mapToGlobal(QPoint(0, 0));
        p.drawPixmap(pos, w->Widget()->grab());
        windows.push_back(std::move(w));
    }
    p.end();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid-hint-tooltips"))));
}

// Through the application's hint manager: the tool tip opens in the grid's tool-tip window, and
// moving on to another cell asks the grid again, since each cell has a hint of its own.
TEST_F(CellHintsTest, HintManagerShowsEachCellsToolTipInTheGridsWindow) {
    Name()->Title()->SetToolTips(true);
    Name()->Title()->SetCaption(QStringLiteral("A caption far wider than its column"));
    Name()->SetToolTips(true);
    Name()->SetWidth(60);
    Grid->SetShowHint(true);
    Application->SetShowHint(true);
    Pump();
    const auto hideAtEnd = qScopeGuard([] { Application->CancelHint(); });
    auto moveTo = [&](TPoint p) {
        const TPoint s = Grid->ClientToScreen(p);
        SetCursorPos(s.X, s.Y);
        Grid->Perform(WM_MOUSEMOVE, 0, PointToLParam(p.X, p.Y));
        Pump(30);
    };
    auto shownText = [] {
        THintWindow* w = Application->HintWindow();
        return w && w->HandleAllocated() && IsWindowVisible(w->Handle()) ? w->Caption() : String();
    };
    moveTo(Centre(2, 0));
    ASSERT_NE(dynamic_cast<TGridToolTipsWindowEh*>(Application->HintWindow()), nullptr);
    EXPECT_EQ(shownText(), Name()->Title()->Caption());
    moveTo(Centre(2, 3));
    EXPECT_EQ(shownText(), QStringLiteral("Long name text 3"));
    // A cell that fits shows nothing, not the tip of the cell before.
    moveTo(Centre(1, 3));
    EXPECT_TRUE(shownText().isEmpty());
}
