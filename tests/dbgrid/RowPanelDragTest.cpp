// Dragging in the row panel's title row, through the grid's mouse messages: the sizing line of a
// panel border (across the grid, or only along the sized column with Shift), the drag box, insert
// line and automatic scrolling while a panel column is moved, and a drag carried on into the
// grouping panel. Also the grid-side end of a group level dragged back onto the grid.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include <QImage>
#include <QWidget>

// Opens the drag feedback kept by the grid to the tests.
class TRowPanelProbeGrid : public TDBGridEh {
    KVT_CLASS(TRowPanelProbeGrid, TDBGridEh)
public:
    using TDBGridEh::TDBGridEh;
    bool SizingLineShown() const { return FRowPanelSizingLineShown; }
    TRect SizingLine() const { return FRowPanelSizingLineRect; }
    bool MarkerShown() const { return FColMovingMarkerShown; }
    TRect Marker() const { return FColMovingMarkerRect; }
    TRect DragRect() const { return FDragCellRect; }
    bool Moving() const { return FRowPanelMoving; }
    // Starts moving the column of active group level Level as a drag out of the grouping panel
    // does, the mouse at P.
    void DragLevelOut(int Level, TPoint P) {
        auto* col = dynamic_cast<TColumnEh*>(DataGrouping()->ActiveGroupLevels(Level)->Column());
        FGroupDataMovingIndex = Level;
        FDownMousePos = FMoveMousePos = P;
        const TColumnEhInRowPanelPlacement& p = col->RowPlacement();
        BeginColMoving(TRect(p.Left, p.Top, p.Left + 60, p.Top + p.Height), col->Index());
        FGroupDataMovingIndex = Level;
    }
};

namespace {

class RowPanelDragTest : public DBGridFormFixture<TRowPanelProbeGrid> {
public:
    TColumnEh* ID = nullptr;
    TColumnEh* Name = nullptr;
    TColumnEh* Qty = nullptr;

    // ID and Name side by side on line 0, Qty under ID on line 1.
    void SetUp() override {
        DBGridFormFixture::SetUp();
        TDBGridEhOptions move;
        move.Include(dghColumnMove);
        const PanelColumns c = UseRowPanelTable(move);
        ID = c.ID;
        Name = c.Name;
        Qty = c.Qty;
    }
    void TearDown() override {
        SetKeyDown(VK_SHIFT, false);
        DBGridFormFixture::TearDown();
    }
    void Down(TPoint p, WPARAM keys = MK_LBUTTON) {
        Grid->Perform(WM_LBUTTONDOWN, keys, PointToLParam(p.X, p.Y));
    }
    void Move(TPoint p, WPARAM keys = MK_LBUTTON) {
        Grid->Perform(WM_MOUSEMOVE, keys, PointToLParam(p.X, p.Y));
    }
    void Up(TPoint p) {
        Grid->Perform(WM_LBUTTONUP, 0, PointToLParam(p.X, p.Y));
        Pump();
    }
    TRect Title(TColumnEh* c) { return Grid->RowPanelColumnRect(0, c, true); }
    void Shot(const QString& name) {
        Grid->Repaint();
        Pump(50);
        QImage img = Form->Widget()->grab().toImage();
        EXPECT_TRUE(img.save(ScreenshotPath(name)));
    }
};

// The sizing line stands where the border is dragged to: across the grid, or with Shift held at
// the press only along the sized column; the release applies the size and takes the line away.
TEST_F(RowPanelDragTest, SizingLineFollowsTheBorderAndShiftKeepsItToTheColumn) {
    Grid->SetRowSizingAllowed(true);
    Pump();
    const int L = Grid->InRowPanelLineHeight();
    struct Case {
        bool lines; // line-height sizing, else width sizing
        bool shift;
    };
    for (const Case k : {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}}) {
        SCOPED_TRACE(QStringLiteral("lines %1 shift %2").arg(k.lines).arg(k.shift).toStdString());
        ID->SetWidth(100);
        ID->SetInRowLineHeight(1);
        Name->SetWidth(50);
        Pump();
        TColumnEh* sized = k.lines ? ID : Name;
        const TRect r = Title(sized);
        const TPoint from = k.lines ? TPoint{r.Left + 10, r.Bottom - 1} : TPoint{r.Right - 1, r.Top + 5};
        const TPoint to = k.lines ? TPoint{from.X, from.Y + L + 1} : TPoint{from.X + 20, from.Y};
        SetKeyDown(VK_SHIFT, k.shift);
        const WPARAM keys = MK_LBUTTON | (k.shift ? MK_SHIFT : 0);
        Down(from, keys);
        Move(to, keys);
        ASSERT_TRUE(Grid->SizingLineShown());
        EXPECT_EQ(Grid->GridState(), k.lines ? gsRowSizing : gsColSizing);
        const TRect line = Grid->SizingLine();
        if (k.lines) {
            EXPECT_EQ(line.Height(), 1);
            EXPECT_EQ(line.Top, r.Bottom + L + 1);
            EXPECT_EQ(line.Left, k.shift ? r.Left : 0);
            if (k.shift)
                EXPECT_EQ(line.Right, r.Right);
            else
                EXPECT_GT(line.Right, Title(Name).Right);
        } else {
            EXPECT_EQ(line.Width(), 1);
            EXPECT_EQ(line.Left, r.Right + 20);
            EXPECT_EQ(line.Top, k.shift ? r.Top : 0);
            if (k.shift)
                EXPECT_EQ(line.Bottom, r.Bottom);
            else
                EXPECT_GT(line.Bottom, Grid->CellRect(Grid->IndicatorOffset(), 1).Bottom);
        }
        if (!k.shift) Shot(k.lines ? u"dbgrid_rowpanel_line_sizing"_qs : u"dbgrid_rowpanel_width_sizing"_qs);
        Up(to);
        SetKeyDown(VK_SHIFT, false);
        EXPECT_FALSE(Grid->SizingLineShown());
        EXPECT_EQ(Grid->GridState(), gsNormal);
        if (k.lines)
            EXPECT_EQ(ID->InRowLineHeight(), 2);
        else
            EXPECT_EQ(Name->Width(), 70);
    }
}

// A title dragged over the panel carries the drag box with the mouse and marks the insert place;
// the release puts the column there, and a cancelled drag changes nothing.
TEST_F(RowPanelDragTest, MovedTitleShowsTheBoxAndInsertLineAndLandsAtTheMarker) {
    const int L = Grid->InRowPanelLineHeight();
    const TRect ref = Grid->CellRect(Grid->IndicatorOffset(), 0);
    const TRect name = Title(Name), qty = Title(Qty);
    const TPoint from{name.Left + 10, name.Top + 5};
    const TPoint to{qty.Right + 10, qty.Top + 5};
    Down(from);
    Move(TPoint{from.X + 5, from.Y + 2});
    ASSERT_TRUE(Grid->Moving());
    EXPECT_EQ(Grid->GridState(), gsColMoving);
    EXPECT_TRUE(GetGridDragBox()->Visible());
    Move(TPoint{(from.X + to.X) / 2, to.Y});
    Move(to);
    // The box keeps the offset the press had inside the title.
    EXPECT_EQ(Grid->DragRect().Left, to.X - 10);
    EXPECT_EQ(Grid->DragRect().Top, to.Y - 5);
    EXPECT_EQ(Grid->DragRect().Width(), name.Width());
    ASSERT_TRUE(Grid->MarkerShown());
    const int a = L + Grid->GridLineWidth();
    EXPECT_EQ(Grid->Marker().Left, ref.Left + Qty->RowPlacement().Width);
    EXPECT_EQ(Grid->Marker().Top, ref.Top + a);
    EXPECT_TRUE(GetGridMoveLine()->Visible());
    Shot(u"dbgrid_rowpanel_col_moving"_qs);
    Up(to);
    EXPECT_FALSE(Grid->Moving());
    EXPECT_FALSE(Grid->MarkerShown());
    EXPECT_FALSE(GetGridDragBox()->Visible());
    EXPECT_FALSE(GetGridMoveLine()->Visible());
    EXPECT_EQ(Grid->GridState(), gsNormal);
    EXPECT_EQ(Name->InRowLinePos(), 1);
    EXPECT_EQ(Name->RowPlacement().Left, Qty->RowPlacement().Width + Grid->GridLineWidth());

    // Cancelled half way: nothing moves and no feedback stays.
    const TRect id = Title(ID);
    Down(TPoint{id.Left + 10, id.Top + 5});
    Move(TPoint{id.Left + 40, id.Top + 5});
    Move(TPoint{Title(Name).Right + 10, id.Top + 5});
    ASSERT_TRUE(Grid->Moving());
    Grid->Perform(WM_CANCELMODE, 0, 0);
    Pump();
    EXPECT_FALSE(Grid->Moving());
    EXPECT_FALSE(GetGridDragBox()->Visible());
    EXPECT_EQ(Grid->GridState(), gsNormal);
    EXPECT_EQ(ID->Index(), 0);
    EXPECT_EQ(ID->InRowLinePos(), 0);
}

// A panel wider than the grid scrolls while the box stands beyond the grid's right edge, also
// when the mouse rests there, and stops once the box is back inside.
TEST_F(RowPanelDragTest, BoxBeyondTheEdgeScrollsThePanel) {
    ID->SetWidth(350);
    Name->SetWidth(300);
    Pump();
    const TRect id = Title(ID);
    const TPoint from{id.Left + 10, id.Top + 5};
    Down(from);
    Move(TPoint{from.X + 20, from.Y});
    ASSERT_TRUE(Grid->Moving());
    const int start = Grid->LeftColOffset();
    const TPoint out{Grid->ClientWidth() - 20, from.Y};
    Move(out);
    const int once = Grid->LeftColOffset();
    EXPECT_GT(once, start);
    EXPECT_TRUE(Grid->TimerActive());
    Move(out); // the mouse rests: the timer's tick does the same
    EXPECT_GT(Grid->LeftColOffset(), once);
    Move(TPoint{from.X + 30, from.Y});
    EXPECT_FALSE(Grid->TimerActive());
    Up(TPoint{from.X + 30, from.Y});
}

// A title dragged up into the grouping panel turns into a grouping drag and groups by its column;
// a level's column dragged back and dropped on the panel shows again and the level goes.
TEST_F(RowPanelDragTest, DragIntoTheGroupingPanelGroupsAndALevelDraggedBackUngroups) {
    Grid->DataGrouping()->SetGroupPanelVisible(true);
    Grid->DataGrouping()->SetActive(true);
    Pump();
    const TRect qty = Title(Qty);
    const TPoint from{qty.Left + 10, qty.Top + 5};
    Down(from);
    Move(TPoint{from.X + 10, from.Y});
    ASSERT_TRUE(Grid->Moving());
    const TPoint panel{from.X + 10, Grid->DataGrouping()->Top() + 5};
    Move(panel);
    EXPECT_FALSE(Grid->Moving());
    EXPECT_FALSE(GetGridDragBox()->Visible());
    EXPECT_EQ(Grid->GridEhState(), dgsGroupPanelTitleMoving);
    Up(panel);
    ASSERT_EQ(Grid->DataGrouping()->ActiveGroupLevelsCount(), 1);
    EXPECT_EQ(Grid->DataGrouping()->ActiveGroupLevels(0)->Column(), Qty);
    EXPECT_FALSE(Qty->Visible());

    const TRect id = Title(ID);
    Grid->DragLevelOut(0, TPoint{id.Left + 10, id.Top + 5});
    ASSERT_TRUE(Grid->Moving());
    Move(TPoint{id.Left + 20, id.Top + 5});
    Up(TPoint{id.Left + 20, id.Top + 5});
    EXPECT_TRUE(Qty->Visible());
    EXPECT_EQ(Grid->DataGrouping()->ActiveGroupLevelsCount(), 0);
}

// A level's box dragged out of the grouping panel and dropped on the grid ungroups; an open row
// detail panel closes first, since the rows under it are built again.
class GroupLevelDropTest : public DBGridFormFixture<TRowPanelProbeGrid> {
public:
    void SetUp() override {
        DBGridFormFixture::SetUp();
        UseTable(12);
        TDBGridEhOptions o = Grid->OptionsEh();
        o.Include(dghColumnMove);
        Grid->SetOptionsEh(o);
        Grid->RowDetailPanel()->SetActive(true);
        TDBGridEhDataGroupsEh* g = Grid->DataGrouping();
        g->SetGroupPanelVisible(true);
        g->SetDefaultStateExpanded(true);
        g->SetActive(true);
        g->GroupLevels()->Add()->SetColumn(Grid->Columns()->Columns(2)); // Qty
        Grid->SetFocus();
        Pump();
    }
};

TEST_F(GroupLevelDropTest, LevelDroppedOnTheGridClosesTheOpenDetailPanel) {
    TDBGridEhDataGroupsEh* g = Grid->DataGrouping();
    ASSERT_EQ(g->ActiveGroupLevelsCount(), 1);
    TColumnEh* qty = Grid->Columns()->Columns(2);
    qty->SetVisible(false);
    // The current row onto a record, and its panel open.
    Grid->Perform(WM_KEYDOWN, VK_DOWN, 0);
    SetKeyDown(VK_CONTROL, true);
    Grid->Perform(WM_KEYDOWN, VK_DOWN, 0);
    SetKeyDown(VK_CONTROL, false);
    Pump();
    ASSERT_TRUE(Grid->RowDetailPanel()->Visible());

    TRect box = g->ActiveGroupLevels(0)->GroupPanelRect();
    box.Offset(0, g->Top());
    const TPoint from{box.Left + 8, (box.Top + box.Bottom) / 2};
    const TRect title = Grid->CellRect(Grid->IndicatorOffset() + 1, 0);
    const TPoint to{(title.Left + title.Right) / 2, title.Top + 5};
    Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(from.X, from.Y));
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(from.X + 10, from.Y));
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(to.X, to.Y - 2));
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(to.X, to.Y));
    EXPECT_EQ(Grid->GridState(), gsColMoving);
    Grid->Perform(WM_LBUTTONUP, 0, PointToLParam(to.X, to.Y));
    Pump();
    EXPECT_FALSE(Grid->RowDetailPanel()->Visible());
    EXPECT_FALSE(Grid->RowDetailPanelControl()->Visible());
    EXPECT_EQ(g->ActiveGroupLevelsCount(), 0);
    EXPECT_TRUE(qty->Visible());
}

} // namespace
