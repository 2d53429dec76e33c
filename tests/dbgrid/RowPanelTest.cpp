// The data grid's row panel (several lines of cells per record) and row detail panel (a window
// under the current record) over a memory table: the placement of the cells, moving between
// them by keys and clicks, the editor over a panel cell, and the detail panel opened and closed
// by keys and clicks, with its control placed, sized and hidden.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhFilterRow.h"
#include "lib/dbgrid/DBGridEhInplace.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"
#include "platform/classes/ComponentStreams.h"
#include "platform/ui/StdCtrls.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

namespace {

// A point inside a rectangle, a few pixels in from its top-left corner.
LPARAM Inside(const TRect& r, int dx = 4, int dy = 4) {
    return PointToLParam(r.Left + dx, r.Top + dy);
}

} // namespace

class RowPanelTest : public DBGridFormFixture<TDBGridEh> {
public:
    TColumnEh* ID = nullptr;
    TColumnEh* Name = nullptr;
    TColumnEh* Qty = nullptr;

    // Columns ID and Name side by side on line 0, Qty under them on line 1.
    void SetUp() override {
        DBGridFormFixture::SetUp();
        const PanelColumns c = UseRowPanelTable();
        ID = c.ID;
        Name = c.Name;
        Qty = c.Qty;
    }
    void Key(Word vk, bool ctrl = false) {
        if (ctrl) SetKeyDown(VK_CONTROL, true);
        Grid->Perform(WM_KEYDOWN, vk, 0);
        if (ctrl) SetKeyDown(VK_CONTROL, false);
        Pump();
    }
    void Click(LPARAM at) {
        Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
        Grid->Perform(WM_LBUTTONUP, 0, at);
        Pump();
    }
    TColumnEh* Selected() { return Grid->SelectedColumn(); }
    int CurrentId() { return Table->FieldByName(QStringLiteral("ID"))->AsInteger(); }
    void Shot(const QString& name) {
        Pump(50);
        QImage img = Form->Widget()->grab().toImage();
        EXPECT_TRUE(img.save(ScreenshotPath(name)));
    }
};

TEST_F(RowPanelTest, ColumnsArePlacedOnLinesAndRenumberedByPlace) {
    const int L = Grid->InRowPanelLineHeight();
    const int W = Grid->GridLineWidth();
    ASSERT_EQ(W, 1);
    // Sorted by place: (0,0) ID, (0,L+1) Qty, (101,0) Name.
    ASSERT_EQ(Grid->Columns()->Count(), 3);
    EXPECT_EQ(Grid->Columns()->Columns(0), ID);
    EXPECT_EQ(Grid->Columns()->Columns(1), Qty);
    EXPECT_EQ(Grid->Columns()->Columns(2), Name);
    EXPECT_EQ(ID->RowPlacement().Left, 0);
    EXPECT_EQ(ID->RowPlacement().Top, 0);
    EXPECT_EQ(ID->RowPlacement().Height, L);
    EXPECT_EQ(Name->RowPlacement().Left, 101);
    EXPECT_EQ(Name->RowPlacement().Width, 50);
    EXPECT_EQ(Qty->RowPlacement().Left, 0);
    EXPECT_EQ(Qty->RowPlacement().Top, L + 1);
    EXPECT_EQ(Grid->GridMasterCellWidth(), 151);
    EXPECT_EQ(Grid->GridMasterCellHeight(), 2 * L + 1);
    // One master cell per record, as high as the panel; the other columns keep cells of no width.
    const int ind = Grid->IndicatorOffset();
    EXPECT_EQ(Grid->ColCount(), ind + 3);
    EXPECT_EQ(Grid->ColWidths(ind), Grid->GridMasterCellWidth());
    for (int c = ind + 1; c < Grid->ColCount(); ++c) {
        EXPECT_LE(Grid->ColWidths(c), 0);
        EXPECT_EQ(Grid->CellRect(c, Grid->TopDataOffset()).Width(), 0);
    }
    EXPECT_EQ(Grid->LastVisibleCol(), ind);
    EXPECT_EQ(Grid->RowHeights(Grid->TopDataOffset()), Grid->GridMasterCellHeight());
    EXPECT_EQ(Grid->RowHeights(0), Grid->GridMasterCellHeight());

    // A column spanning two lines pushes what follows on both lines right.
    ID->SetInRowLineHeight(2);
    Pump();
    EXPECT_EQ(ID->RowPlacement().Height, 2 * (L + 1) - 1);
    EXPECT_EQ(Qty->RowPlacement().Left, 101);
    EXPECT_EQ(Name->RowPlacement().Left, 101);
    EXPECT_EQ(Grid->Columns()->Columns(1), Name); // (101,0) before (101,L+1)
}

TEST_F(RowPanelTest, HitTestsFindTheColumnUnderAPoint) {
    const int L = Grid->InRowPanelLineHeight();
    struct Case {
        TPoint P;
        TColumnEh* Expected;
    } cases[] = {
        {{5, 5}, ID},     {{100, 5}, ID}, // the line right of a cell belongs to it
        {{105, 5}, Name}, {{5, L + 3}, Qty}, {{120, L + 3}, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Grid->GetColumnInRowPanelAtPos(c.P, false), c.Expected) << c.P.X << "," << c.P.Y;
    TRect r;
    EXPECT_EQ(Grid->GetCellRectInRowPanelAtPos(TPoint{105, 2}, r, false), Name);
    EXPECT_EQ(r, TRect(101, 0, 151, L));
    EXPECT_EQ(Grid->GetCellRectInRowPanelAtPos(TPoint{151, 2}, r, false), nullptr);
    EXPECT_EQ(Grid->GetCellRectInRowPanelAtPos(TPoint{151, 2}, r, true), Name);
}

TEST_F(RowPanelTest, KeysMoveCellToCellOrByColumnOrder) {
    // Row to row (the default): Left and Right walk the column order, Down goes to the next
    // record keeping the column.
    EXPECT_EQ(Selected(), ID);
    Key(VK_RIGHT);
    EXPECT_EQ(Selected(), Qty);
    Key(VK_DOWN);
    EXPECT_EQ(Selected(), Qty);
    EXPECT_EQ(CurrentId(), 2);

    Grid->RowPanel()->SetNavKeysNavigationType(rpntCellToCellEh);
    Grid->SetSelectedIndex(0);
    EXPECT_EQ(Selected(), ID);
    Key(VK_RIGHT); // along the line
    EXPECT_EQ(Selected(), Name);
    Key(VK_RIGHT); // the line's end stays
    EXPECT_EQ(Selected(), Name);
    Key(VK_LEFT);
    Key(VK_DOWN); // the cell below
    EXPECT_EQ(Selected(), Qty);
    EXPECT_EQ(CurrentId(), 2);
    Key(VK_DOWN); // past the bottom: the top of the stack on the next record
    EXPECT_EQ(Selected(), ID);
    EXPECT_EQ(CurrentId(), 3);
    Key(VK_UP); // past the top: the bottom of the stack on the record before
    EXPECT_EQ(Selected(), Qty);
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(RowPanelTest, ClickSelectsThePanelCellAndItsRecord) {
    const int row = Grid->TopDataOffset() + 3;
    Click(Inside(Grid->RowPanelColumnRect(row, Name, false)));
    EXPECT_EQ(CurrentId(), 4);
    EXPECT_EQ(Selected(), Name);
    Click(Inside(Grid->RowPanelColumnRect(Grid->Row(), Qty, false)));
    EXPECT_EQ(Selected(), Qty);
    EXPECT_EQ(CurrentId(), 4);
    Shot(QStringLiteral("row_panel"));
}

TEST_F(RowPanelTest, EditorStandsOverThePanelCellAndWritesItsField) {
    Grid->SetSelectedIndex(2); // Name
    Grid->ShowEditor();
    Pump();
    auto* ed = Grid->InplaceEditor();
    ASSERT_TRUE(ed && ed->Visible());
    const TRect want = Grid->RowPanelColumnRect(Grid->Row(), Name, false);
    EXPECT_EQ(ed->Left(), want.Left);
    EXPECT_EQ(ed->Top(), want.Top);
    EXPECT_EQ(ed->Width(), want.Width());
    EXPECT_EQ(ed->Text(), QStringLiteral("Name 1"));
    ed->Perform(WM_CHAR, 'Z', 0);
    Pump();
    // Moving to the column before (Qty, under ID) hands the text to Name and reloads the editor.
    Key(VK_LEFT);
    Grid->ShowEditor();
    Pump();
    EXPECT_EQ(Table->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Z"));
    ed = Grid->InplaceEditor();
    ASSERT_TRUE(ed->Visible());
    EXPECT_EQ(ed->Top(), Grid->RowPanelColumnRect(Grid->Row(), Qty, false).Top);
    EXPECT_EQ(ed->Left(), Grid->RowPanelColumnRect(Grid->Row(), Qty, false).Left);
    EXPECT_EQ(ed->Text(), QStringLiteral("1"));

    // With the detail panel active the first column's editor makes room for the button.
    Grid->SetSelectedIndex(0);
    Grid->RowDetailPanel()->SetActive(true);
    Grid->HideEditor();
    Grid->ShowEditor();
    Pump();
    EXPECT_EQ(Grid->InplaceEditor()->Left(), Grid->RowPanelColumnRect(Grid->Row(), ID, false).Left + 18);
}

TEST_F(RowPanelTest, HintsAndTabsFollowThePanelCells) {
    // A data hint of the panel cell under the mouse, placed over that cell only.
    Name->SetToolTips(true);
    TColumnEh* hinted = nullptr;
    TRect hintRect;
    Grid->OnDataHintShow = TDBGridEhDataHintShowEvent::Callable(
        [&](TCustomDBGridEh*, TPoint, TGridCoord, TPoint, TColumnEh* Column, TDBGridEhDataHintParams*& Params,
            bool& Processed) {
            hinted = Column;
            hintRect = Params->CursorRect;
            Params->HintStr = QStringLiteral("hint");
            Processed = true;
        });
    const int row = Grid->TopDataOffset() + 1;
    const TRect cell = Grid->RowPanelColumnRect(row, Name, false);
    THintInfo info;
    info.HintControl = Grid;
    info.CursorPos = TPoint{cell.Left + 5, cell.Top + 5};
    info.HintPos = Grid->ClientToScreen(info.CursorPos);
    Grid->Perform(CM_HINTSHOW, 0, LPARAM(&info));
    EXPECT_EQ(hinted, Name);
    EXPECT_EQ(hintRect, cell);
    EXPECT_EQ(info.HintStr, QStringLiteral("hint"));

    // Tab from left to right along the lines, then down to the next line.
    Grid->RowPanel()->SetTabNavigationType(rpntLeftToRightPriorityEh);
    Grid->SetSelectedIndex(0);
    Key(VK_TAB);
    EXPECT_EQ(Selected(), Name);
    Key(VK_TAB);
    EXPECT_EQ(Selected(), Qty);
    Key(VK_TAB); // the last tab stop: the first of the next record
    EXPECT_EQ(Selected(), ID);
    EXPECT_EQ(CurrentId(), 2);
}

TEST_F(RowPanelTest, TitleBordersSizeWidthsAndLinesAndTitlesMoveColumns) {
    const int L = Grid->InRowPanelLineHeight();
    auto drag = [&](TPoint from, TPoint to) {
        Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(from.X, from.Y));
        Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, PointToLParam((from.X + to.X) / 2, (from.Y + to.Y) / 2));
        Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(to.X, to.Y));
        Grid->Perform(WM_LBUTTONUP, 0, PointToLParam(to.X, to.Y));
        Pump();
    };
    // Name's right edge 20 pixels further right.
    TRect name = Grid->RowPanelColumnRect(0, Name, true);
    drag(TPoint{name.Right - 1, name.Top + 5}, TPoint{name.Right + 19, name.Top + 5});
    EXPECT_EQ(Name->Width(), 70);
    // ID's bottom one line lower: it spans two lines and Qty, below it, follows.
    Grid->SetRowSizingAllowed(true);
    const TRect id = Grid->RowPanelColumnRect(0, ID, true);
    drag(TPoint{id.Left + 10, id.Bottom - 1}, TPoint{id.Left + 10, id.Bottom - 1 + L + 1});
    EXPECT_EQ(ID->InRowLineHeight(), 2);
    EXPECT_EQ(Qty->InRowLineHeight(), 1);
    EXPECT_EQ(Qty->RowPlacement().Top, L + 1);
    ID->SetInRowLineHeight(1);
    Pump();

    // Name's title dragged onto line 1 right of Qty.
    name = Grid->RowPanelColumnRect(0, Name, true);
    const TRect qty = Grid->RowPanelColumnRect(0, Qty, true);
    drag(TPoint{name.Left + 10, name.Top + 5}, TPoint{qty.Right + 10, qty.Top + 5});
    EXPECT_EQ(Name->InRowLinePos(), 1);
    EXPECT_EQ(Name->RowPlacement().Left, Qty->RowPlacement().Width + 1);
    EXPECT_EQ(Name->RowPlacement().Top, L + 1);
}

TEST_F(RowPanelTest, FilterRowEditorStandsOverThePanelCell) {
    Grid->STFilter()->SetVisible(true);
    Pump();
    Grid->StartFilterEdit(2);
    Pump();
    ASSERT_TRUE(Grid->FilterEdit());
    const TRect want = Grid->RowPanelColumnRect(Grid->TopDataOffset() - 1, Name, true);
    EXPECT_EQ(Grid->FilterEdit()->Left(), want.Left + 1);
    EXPECT_EQ(Grid->FilterEdit()->Top(), want.Top);
    Shot(QStringLiteral("row_panel_filter_row"));
}

TEST_F(RowPanelTest, SwitchingOffKeepsTheSelectedColumn) {
    Grid->SetSelectedIndex(2);
    Grid->RowPanel()->SetActive(false);
    Pump();
    EXPECT_EQ(Grid->ColCount(), Grid->IndicatorOffset() + 3);
    EXPECT_EQ(Selected(), Name);
}

// ---------------------------------------------------------------------------------------------
// Row detail panel

TEST_F(RowPanelTest, AutoFitScalesThePanelToTheClientKeepingTheCellEdges) {
    // Line 0: ID 100 + Name 50 = right edge 152; line 1: Qty 80 (edge 81), scaled alike.
    Grid->SetAutoFitColWidths(true);
    Pump();
    const int target = Grid->GridClientWidth() - Grid->ColWidths(0) - 1;
    EXPECT_EQ(Grid->GridMasterCellWidth() + Grid->GridLineWidth(), target);
    EXPECT_NEAR(double(Qty->Width() + 1) / target, 81.0 / 152.0, 0.01);
    EXPECT_EQ(Name->RowPlacement().Left, ID->Width() + Grid->GridLineWidth());
    // A second layout round leaves the fitted panel as it is.
    const int id = ID->Width(), name = Name->Width();
    Grid->LayoutChanged();
    Pump();
    EXPECT_EQ(ID->Width(), id);
    EXPECT_EQ(Name->Width(), name);
}

class RowDetailPanelTest : public DBGridFormFixture<TDBGridEh> {
public:
    TEdit* Edit = nullptr;
    int Shows = 0, Hides = 0;
    bool AllowShow = true;

    void SetUp() override {
        DBGridFormFixture::SetUp();
        UseTable(20);
        Edit = new TEdit(Form);
        Edit->SetParent(Grid->RowDetailPanelControl());
        Edit->SetBounds(8, 8, 120, 21);
        Edit->SetTabStop(true);
        Grid->OnRowDetailPanelShow =
            TDBGridEhRowDetailPanelShowEvent::Callable([this](TCustomDBGridEh*, bool& can) {
                ++Shows;
                can = AllowShow;
            });
        Grid->OnRowDetailPanelHide =
            TDBGridEhRowDetailPanelHideEvent::Callable([this](TCustomDBGridEh*, bool&) { ++Hides; });
        Grid->RowDetailPanel()->SetActive(true);
        Grid->SetFocus();
        Pump();
    }
    TRowDetailPanelEh* Panel() { return Grid->RowDetailPanel(); }
    TRowDetailPanelControlEh* Window() { return Grid->RowDetailPanelControl(); }
    void Key(Word vk, bool ctrl = false) {
        if (ctrl) SetKeyDown(VK_CONTROL, true);
        Grid->Perform(WM_KEYDOWN, vk, 0);
        if (ctrl) SetKeyDown(VK_CONTROL, false);
        Pump();
    }
    void Click(LPARAM at) {
        Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
        Grid->Perform(WM_LBUTTONUP, 0, at);
        Pump();
    }
    // The expand button of data row d (grid row d + TopDataOffset).
    LPARAM Button(int d) {
        const TRect r = Grid->CellRect(Grid->IndicatorOffset(), Grid->TopDataOffset() + d);
        return PointToLParam(r.Left + 9, r.Top + 5);
    }
    int CurrentId() { return Table->FieldByName(QStringLiteral("ID"))->AsInteger(); }
};

TEST_F(RowDetailPanelTest, KeysOpenTheWindowUnderTheRowAndFocusItsControl) {
    const int row = Grid->Row();
    const int plain = Grid->RowHeights(row);
    Key(VK_DOWN, true);
    ASSERT_TRUE(Panel()->Visible());
    EXPECT_EQ(Shows, 1);
    EXPECT_TRUE(Window()->Visible());
    EXPECT_TRUE(Edit->Focused());
    // The row grows by the panel; the window stands under the row's own cells.
    EXPECT_EQ(Grid->RowHeights(row), plain + Panel()->Height());
    const TRect cell = Grid->CellRect(Grid->IndicatorOffset(), row);
    EXPECT_EQ(Window()->Top(), cell.Top + plain);
    EXPECT_EQ(Window()->Height(), Panel()->Height());
    EXPECT_EQ(Window()->Left(), cell.Left + 18);
    EXPECT_GT(Window()->Width(), 0);

    // Ctrl+Up in the hosted control gives the focus back to the grid.
    SetKeyDown(VK_CONTROL, true);
    Edit->Perform(CN_KEYDOWN, VK_UP, 0);
    SetKeyDown(VK_CONTROL, false);
    Pump();
    EXPECT_TRUE(Grid->Focused());

    // Keypad minus closes, plus opens, star toggles.
    Key(VK_SUBTRACT);
    EXPECT_FALSE(Panel()->Visible());
    EXPECT_FALSE(Window()->Visible());
    EXPECT_EQ(Grid->RowHeights(row), plain);
    Key(VK_ADD);
    EXPECT_TRUE(Panel()->Visible());
    Key(VK_MULTIPLY);
    EXPECT_FALSE(Panel()->Visible());
    EXPECT_EQ(Hides, 2);
}

TEST_F(RowDetailPanelTest, ClickOnTheButtonTogglesThePanelOfThatRecord) {
    Click(Button(2));
    EXPECT_EQ(CurrentId(), 3);
    ASSERT_TRUE(Panel()->Visible());
    EXPECT_TRUE(Window()->Visible());
    Pump(50);
    QImage img = Form->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("row_detail_panel"))));
    // A click elsewhere in the row's cell does not toggle it.
    const TRect r = Grid->CellRect(Grid->IndicatorOffset(), Grid->Row());
    Click(PointToLParam(r.Left + 40, r.Top + 5));
    EXPECT_TRUE(Panel()->Visible());
    Click(Button(2));
    EXPECT_FALSE(Panel()->Visible());
    EXPECT_FALSE(Window()->Visible());
}

TEST_F(RowDetailPanelTest, MovingToAnotherRecordClosesThePanel) {
    Key(VK_DOWN, true);
    ASSERT_TRUE(Panel()->Visible());
    Grid->SetFocus();
    Key(VK_DOWN); // with the panel open Down goes into the panel
    EXPECT_TRUE(Panel()->Visible());
    EXPECT_EQ(CurrentId(), 1);
    Grid->SetFocus();
    EXPECT_EQ(Grid->MoveBy(1), 1);
    EXPECT_FALSE(Panel()->Visible());
    EXPECT_EQ(CurrentId(), 2);
    // The data set moving by itself closes it as well.
    Key(VK_DOWN, true);
    ASSERT_TRUE(Panel()->Visible());
    Table->Next();
    Pump();
    EXPECT_FALSE(Panel()->Visible());
    EXPECT_FALSE(Window()->Visible());
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(RowDetailPanelTest, APanelThatRefusesToCloseKeepsTheRecord) {
    Key(VK_DOWN, true);
    Grid->OnRowDetailPanelHide =
        TDBGridEhRowDetailPanelHideEvent::Callable([](TCustomDBGridEh*, bool& can) { can = false; });
    EXPECT_EQ(Grid->MoveBy(1), 0);
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_TRUE(Panel()->Visible());
}

TEST_F(RowDetailPanelTest, OpeningIsRefusedOnEmptyDataOrByTheHandler) {
    AllowShow = false;
    Panel()->SetVisible(true);
    EXPECT_FALSE(Panel()->Visible());
    EXPECT_EQ(Shows, 1);
    AllowShow = true;
    Table->EmptyTable();
    Pump();
    Panel()->SetVisible(true);
    EXPECT_FALSE(Panel()->Visible());
    EXPECT_EQ(Shows, 1); // no event on an empty data set
}

TEST_F(RowDetailPanelTest, HeightStaysWithinItsLimitsAndMovesTheWindow) {
    Panel()->SetMinHeight(10);
    Panel()->SetHeight(5);
    EXPECT_EQ(Panel()->Height(), 10);
    Panel()->SetMaxHeight(200);
    Panel()->SetHeight(300);
    EXPECT_EQ(Panel()->Height(), 200);
    Panel()->SetHeight(60);
    Key(VK_DOWN, true);
    EXPECT_EQ(Window()->Height(), 60);
    Panel()->SetHeight(80);
    Pump();
    EXPECT_EQ(Window()->Height(), 80);
    EXPECT_EQ(Grid->RowHeights(Grid->Row()), Grid->GetDataRowHeight(0) + 80);
    // Switching the panel off closes it.
    Panel()->SetActive(false);
    Pump();
    EXPECT_FALSE(Panel()->Visible());
    EXPECT_FALSE(Window()->Visible());
}

// The sizing bar is the window's frame below the client area: the hit test answers the sizing
// border there, and a press on it captures the mouse, whose moves set the panel's height.
TEST_F(RowDetailPanelTest, SizingBarIsANonClientBorderThatDragsThePanelsHeight) {
    Panel()->SetVertSizing(true);
    Panel()->SetHeight(100);
    Key(VK_DOWN, true);
    ASSERT_TRUE(Window()->Visible());
    EXPECT_EQ(Window()->ClientHeight(), Window()->Height() - 8 - 4); // border and bar
    QWidget* w = Window()->Widget();
    ASSERT_NE(w, nullptr);
    const TRect bar = Window()->SizingBarRect();
    EXPECT_EQ(bar.Bottom - bar.Top, 8);
    auto hitAt = [&](int y) {
        const QPoint g = w->mapToGlobal(QPoint(20, y));
        return Window()->Perform(WM_NCHITTEST, 0, PointToLParam(g.x(), g.y()));
    };
    EXPECT_EQ(hitAt(bar.Top + 3), LRESULT(HTBORDER));
    EXPECT_TRUE(Window()->SizeArea());
    EXPECT_EQ(hitAt(bar.Top - 3), LRESULT(HTCLIENT));
    EXPECT_FALSE(Window()->SizeArea());
    // Hosted controls stay in the client area, clear of the bar.
    EXPECT_LE(Edit->Top() + Edit->Height(), Window()->ClientHeight());

    // A real press, moves and release on the bar, as the window receives them.
    auto send = [&](QEvent::Type type, int y, Qt::MouseButton b, Qt::MouseButtons held) {
        const QPoint local(20, y);
        QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), b, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
        Pump();
    };
    const int y = bar.Top + 3;
    send(QEvent::MouseButtonPress, y, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(Window()->MouseCapture());
    send(QEvent::MouseMove, y + 15, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, y + 30, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, y + 30, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(Window()->MouseCapture());
    EXPECT_EQ(Panel()->Height(), 130);
    EXPECT_EQ(Window()->Height(), 130);
    Pump(50);
    EXPECT_TRUE(Form->Widget()->grab().toImage().save(ScreenshotPath(u"dbgrid_rowdetail_sizing_bar"_qs)));

    // Without the bar the same place is client area and a press there sizes nothing.
    Panel()->SetVertSizing(false);
    Pump();
    EXPECT_EQ(hitAt(Window()->Height() - 6), LRESULT(HTCLIENT));
    send(QEvent::MouseButtonPress, Window()->Height() - 6, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, Window()->Height() + 20, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Window()->Height() + 20, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Panel()->Height(), 130);
}

TEST_F(RowDetailPanelTest, ButtonHitTestFollowsTheCheckEvent) {
    Panel()->SetActive(false);
    const TRect r = Grid->CellRect(Grid->IndicatorOffset(), Grid->TopDataOffset());
    struct Probe : TCustomDBGridEh {
        static bool Hit(TCustomDBGridEh* g, const TRect& r) {
            return (g->*(&Probe::GetRowDetailButtonRect))(g->IndicatorOffset(), g->TopDataOffset(), r,
                                                          TPoint{5, 5});
        }
    };
    EXPECT_FALSE(Probe::Hit(Grid, r));
    Grid->OnCheckRowHaveDetailPanel =
        TDBGridEhCheckRowHaveDetailPanelEvent::Callable([](TCustomDBGridEh*, bool& have) { have = true; });
    EXPECT_TRUE(Probe::Hit(Grid, r));
    // Only the first 18 pixels of the first column.
    struct Probe2 : TCustomDBGridEh {
        static bool Hit(TCustomDBGridEh* g, const TRect& r, int x) {
            return (g->*(&Probe2::GetRowDetailButtonRect))(g->IndicatorOffset(), g->TopDataOffset(), r,
                                                           TPoint{x, 5});
        }
    };
    EXPECT_FALSE(Probe2::Hit(Grid, r, 18));
    // A record without a panel: Ctrl+Down does nothing.
    Panel()->SetActive(true);
    Grid->OnCheckRowHaveDetailPanel =
        TDBGridEhCheckRowHaveDetailPanelEvent::Callable([](TCustomDBGridEh*, bool& have) { have = false; });
    Key(VK_DOWN, true);
    EXPECT_FALSE(Panel()->Visible());
    EXPECT_EQ(CurrentId(), 1);
}

TEST_F(RowDetailPanelTest, RowPanelWithDetailPanel) {
    Grid->RowPanel()->SetActive(true);
    Pump();
    Key(VK_DOWN, true);
    ASSERT_TRUE(Panel()->Visible());
    EXPECT_EQ(Grid->RowHeights(Grid->Row()), Grid->GridMasterCellHeight() + Panel()->Height());
    Pump(50);
    QImage img = Form->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("row_panel_with_detail"))));
}

TEST_F(RowDetailPanelTest, WindowKeepsItsMinimumHeightBelowAShortGrid) {
    Panel()->SetMinHeight(60);
    Panel()->SetHeight(100);
    Grid->SetHeight(Grid->RowHeights(0) + Grid->RowHeights(1) + 30);
    Pump();
    Key(VK_DOWN, true);
    ASSERT_TRUE(Window()->Visible());
    ASSERT_LT(Grid->ClientHeight() - Window()->Top(), 60) << "the grid must leave less room than the minimum";
    EXPECT_EQ(Window()->Height(), 60);
}

// The settings and the window with the controls on it that belong to the stream's root come back
// from the binary and the text form, into the window the reading grid already has.
TEST_F(RowDetailPanelTest, StreamsTheSettingsAndTheWindowWithItsControls) {
    static const bool registered = (RegisterComponentClass<TEdit>(), true);
    (void)registered;
    Grid->SetName(QStringLiteral("DetailGrid"));
    auto* stored = new TEdit(Grid);
    stored->SetName(QStringLiteral("DetailEdit"));
    stored->SetParent(Window());
    stored->SetBounds(30, 40, 150, 21);
    Panel()->SetHeight(90);
    Panel()->SetMinHeight(20);
    Panel()->SetVertSizing(true);
    Panel()->SetColor(clInfoBk);
    Panel()->SetBorderStyle(bsNone);
    Grid->RowPanel()->SetNavKeysNavigationType(rpntCellToCellEh);

    TMemoryStream bin;
    WriteComponent(&bin, Grid);
    bin.SetPosition(0);
    TStringStream textOut;
    ObjectBinaryToText(&bin, &textOut);
    const String text = textOut.DataString();
    EXPECT_TRUE(text.contains(QLatin1String("object RowDetailData: TRowDetailPanelControlEh")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String("RowDetailPanel.Height = 90"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1String("object Edit"))) << "a control of another owner is not stored";
    Grid->SetName(QStringLiteral("Original"));
    stored->SetName(QStringLiteral("OriginalEdit"));

    auto check = [&](TDBGridEh* g) {
        TRowDetailPanelEh* p = g->RowDetailPanel();
        EXPECT_TRUE(p->Active());
        EXPECT_EQ(p->Height(), 90);
        EXPECT_EQ(p->MinHeight(), 20);
        EXPECT_TRUE(p->VertSizing());
        EXPECT_EQ(p->Color(), clInfoBk);
        EXPECT_EQ(p->BorderStyle(), bsNone);
        EXPECT_EQ(g->RowPanel()->NavKeysNavigationType(), rpntCellToCellEh);
        TRowDetailPanelControlEh* w = g->RowDetailPanelControl();
        int windows = 0;
        for (int i = 0; i < g->ComponentCount(); ++i)
            windows += dynamic_cast<TRowDetailPanelControlEh*>(g->Components(i)) != nullptr;
        EXPECT_EQ(windows, 1) << "the stored window is read into the grid's own";
        ASSERT_EQ(w->ControlCount(), 1);
        auto* e = dynamic_cast<TEdit*>(w->Controls(0));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->Name(), QStringLiteral("DetailEdit"));
        EXPECT_EQ(e->Owner(), g);
        EXPECT_EQ(e->BoundsRect(), TRect(30, 40, 180, 61));
    };

    CheckReadBack(bin, text, check);
}
