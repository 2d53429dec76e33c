// The base grid: model and geometry, scrolling, painting, keyboard and mouse through the window
// messages, the in-place editor, the drag feedback windows and the appearance objects.

#include "lib/grids/GridsEh.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/ui/Forms.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// A grid that writes "col:row" into its cells and records what it was asked to draw.
class TTestGrid : public TCustomGridEh {
    KVT_CLASS(TTestGrid, TCustomGridEh)
public:
    using TCustomGridEh::TCustomGridEh;
    int DrawCellCalls = 0;
    std::vector<std::pair<TGridCoord, TGridDrawState>> Drawn;
    bool RecordDrawn = false;
    String EditValue;
    int EditLimit = 0;
    std::vector<String> SetTexts;

    using TCustomGridEh::CalcDrawInfo;
    using TCustomGridEh::ChangeContraSize;
    using TCustomGridEh::FDataOffset;
    using TCustomGridEh::KeyDown;
    using TCustomGridEh::MoveTopLeft;
    using TCustomGridEh::ShiftLinesAt;
    using TCustomGridEh::UpdateVertDataSize;

    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
        ++DrawCellCalls;
        if (RecordDrawn) Drawn.push_back({{ACol, ARow}, AState});
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, QStringLiteral("%1:%2").arg(ACol).arg(ARow));
    }
    String GetEditText(int, int) override { return EditValue; }
    int GetEditLimit() override { return EditLimit; }
    void SetEditText(int, int, const String& Value) override { SetTexts.push_back(Value); }
    bool HotTrack = false;
    bool CanHotTrackCell(int, int) override { return HotTrack; }
};

void Pump(int ms = 0) {
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        DispatchQueuedMessages();
    } while (t.elapsed() < ms);
}

QString ScreenshotPath(const QString& name) {
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    dir.mkpath(QStringLiteral("."));
    return dir.absoluteFilePath(name + QStringLiteral(".png"));
}

LPARAM Pt(int x, int y) {
    return MAKELPARAM(Word(x), Word(y));
}

struct GridFixture : ::testing::Test {
    TForm* Form = nullptr;
    TTestGrid* Grid = nullptr;
    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(10, 10, 600, 400);
        Grid = Create<TTestGrid>(Form);
        Grid->SetParent(Form);
        Grid->SetBorderStyle(bsNone);
        Grid->SetScrollBars(ssNone);
        Grid->SetBounds(0, 0, 400, 300);
        Form->Show();
        Pump();
    }
    void TearDown() override {
        delete Form;
        Pump();
    }
    TGridDrawInfoEh Info() {
        TGridDrawInfoEh di;
        Grid->CalcDrawInfo(di);
        return di;
    }
    void Press(int x, int y, UINT msg = WM_LBUTTONDOWN, WPARAM keys = MK_LBUTTON) {
        Grid->Perform(msg, keys, Pt(x, y));
    }
    void Key(Word vk, bool shift = false, bool ctrl = false) {
        SetKeyDown(VK_SHIFT, shift);
        SetKeyDown(VK_CONTROL, ctrl);
        Grid->Perform(WM_KEYDOWN, vk, 0);
        SetKeyDown(VK_SHIFT, false);
        SetKeyDown(VK_CONTROL, false);
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Model

TEST_F(GridFixture, DefaultsAndCountRules) {
    auto* g = Create<TTestGrid>(Form);
    EXPECT_EQ(g->ColCount(), 5);
    EXPECT_EQ(g->RowCount(), 5);
    EXPECT_EQ(g->Width(), 320);
    EXPECT_EQ(g->Height(), 120);
    EXPECT_EQ(g->Col(), 1);
    EXPECT_EQ(g->Row(), 1);
    EXPECT_EQ(g->ColWidths(3), 64);
    EXPECT_EQ(g->RowHeights(77), 24); // no kept sizes: the default for every index
    EXPECT_TRUE(g->TabStops(2));
    g->SetColCount(0);
    EXPECT_EQ(g->ColCount(), 1);
    EXPECT_EQ(g->FixedCols(), 0);
    g->SetColCount(4);
    try {
        g->SetFixedCols(4);
        FAIL();
    } catch (const EInvalidGridOperationEh& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Fixed column count must be less than column count"));
    }
    try {
        g->SetContraRowCount(-1);
        FAIL();
    } catch (const EInvalidGridOperationEh& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("FContraRowCount can not be negative."));
    }
    EXPECT_THROW(g->SetColWidths(9, 10), EInvalidGridOperationEh);
    EXPECT_TRUE(g->CheckConsistency());
}

TEST_F(GridFixture, FirstSetSizeKeepsTheFullCountAndFollowsCounts) {
    Grid->SetContraColCount(2);
    Grid->SetColWidths(2, 40);
    EXPECT_EQ(Grid->ColWidths(2), 40);
    EXPECT_EQ(Grid->ColWidths(6), 64); // a contra column
    Grid->SetColWidths(6, 30);
    Grid->SetColCount(8);
    EXPECT_TRUE(Grid->CheckConsistency());
    EXPECT_EQ(Grid->ColWidths(2), 40);
    EXPECT_EQ(Grid->ColWidths(9), 30); // the contra column moved with the inserted lines
    Grid->SetColCount(3);
    EXPECT_TRUE(Grid->CheckConsistency());
    EXPECT_EQ(Grid->ColWidths(4), 30);
}

TEST_F(GridFixture, DeleteColumnKeepsContraSizes) {
    Grid->SetContraColCount(1);
    for (int i = 0; i < 6; ++i)
        Grid->SetColWidths(i, 10 + i);
    Grid->DeleteColumn(2);
    ASSERT_EQ(Grid->ColCount(), 4);
    EXPECT_TRUE(Grid->CheckConsistency());
    EXPECT_EQ(Grid->ColWidths(1), 11);
    EXPECT_EQ(Grid->ColWidths(2), 13);
    EXPECT_EQ(Grid->ColWidths(3), 14);
    EXPECT_EQ(Grid->ColWidths(4), 15); // the contra column kept its width
}

TEST_F(GridFixture, DeleteRowOnTheCurrentLastRowStepsUp) {
    Grid->SetRow(4);
    Grid->DeleteRow(4);
    EXPECT_EQ(Grid->RowCount(), 4);
    EXPECT_EQ(Grid->Row(), 3);
    Grid->SetRow(1);
    Grid->DeleteRow(3);
    EXPECT_EQ(Grid->Row(), 1);
}

TEST_F(GridFixture, MoveColumnCarriesWidthAndCurrent) {
    Grid->SetColWidths(1, 11);
    Grid->SetColWidths(3, 33);
    Grid->SetCol(1);
    Grid->MoveColumn(1, 3);
    EXPECT_EQ(Grid->ColWidths(3), 11);
    EXPECT_EQ(Grid->ColWidths(2), 33);
    EXPECT_EQ(Grid->Col(), 3);
}

// ---------------------------------------------------------------------------------------------
// Geometry

TEST_F(GridFixture, ContraExtentAndHitTests) {
    Grid->SetColCount(5);
    Grid->SetContraColCount(2);
    Grid->SetColWidths(5, 30);
    Grid->SetColWidths(6, 30);
    const auto di = Info();
    EXPECT_EQ(di.Horz.ContraExtent, 400 - 2 * 31 - 1);
    struct Case {
        int x, y;
        TGridCoord cell;
    } cases[] = {
        {0, 0, {0, 0}},     {64, 0, {0, 0}},   {65, 0, {1, 0}},   {338, 30, {5, 1}},  {369, 30, {6, 1}},
        {330, 30, {-1, 1}}, {300, 30, {4, 1}}, {10, 124, {0, 4}}, {10, 125, {0, -1}}, {10, 299, {0, -1}},
    };
    for (const auto& c : cases) {
        const TGridCoord got = Grid->CalcCoordFromPoint(c.x, c.y, di);
        EXPECT_EQ(got, c.cell) << c.x << "," << c.y;
    }
    EXPECT_EQ(Grid->MouseCoord(10, 200), TGridCoord(-1, -1));
}

TEST_F(GridFixture, VerticalDataSizeAndRowHeightsFollowEveryChange) {
    Grid->SetRowCount(40);
    Grid->SetFixedRows(2);
    const int lw = Info().Vert.EffectiveLineWidth;
    auto pitches = [&](int from, int to) {
        int sum = 0;
        for (int i = from; i < to; ++i)
            sum += Grid->RowHeights(i) + lw;
        return sum;
    };
    struct Case {
        const char* What;
        std::function<void()> Change;
        std::vector<std::pair<int, int>> Heights; // row, height expected after the change
    };
    const Case cases[] = {
        {"only the default height", [&] { Grid->SetDefaultRowHeight(21); }, {{0, 21}, {39, 21}}},
        {"rows of their own",
         [&] {
             Grid->SetRowHeights(5, 40);
             Grid->SetRowHeights(39, 3);
         },
         {{4, 21}, {5, 40}, {6, 21}, {39, 3}}},
        {"rows added after them", [&] { Grid->SetRowCount(55); }, {{5, 40}, {39, 3}, {54, 21}}},
        {"rows inserted before them", [&] { Grid->ShiftLinesAt(3, 2, true); }, {{7, 40}, {41, 3}, {56, 21}}},
        {"rows removed before them", [&] { Grid->ShiftLinesAt(1, -3, true); }, {{4, 40}, {38, 3}, {53, 21}}},
        {"scrolled down past them", [&] { Grid->SetTopRow(12); }, {{4, 40}}},
        {"cut short", [&] { Grid->SetRowCount(20); }, {{4, 40}, {19, 21}}},
    };
    for (const Case& c : cases) {
        c.Change();
        Grid->UpdateVertDataSize();
        for (const auto& [row, height] : c.Heights)
            EXPECT_EQ(Grid->RowHeights(row), height) << c.What << ", row " << row;
        EXPECT_EQ(Grid->GridDataSize().cy, pitches(Grid->FixedRows(), Grid->RowCount())) << c.What;
        if (Grid->TopRow() > Grid->FixedRows())
            EXPECT_EQ(Grid->SmoothPos().Y, pitches(Grid->FixedRows(), Grid->TopRow()) + Grid->FDataOffset.cy)
                << c.What;
    }
}

TEST_F(GridFixture, FrozenColumnsAndDataOffsetGeometry) {
    Grid->SetColCount(20);
    Grid->SetFixedCols(2);
    Grid->SetFrozenColCount(1);
    Grid->SetOptions(Grid->Options() + TGridOptions{goRowSelect}); // smooth horizontal scrolling
    Grid->SmoothScrollBy(10, 0);
    EXPECT_EQ(Grid->LeftCol(), 2);
    EXPECT_EQ(Grid->LeftColOffset(), 10);
    const auto di = Info();
    EXPECT_EQ(di.Horz.FixedBoundary, 130);
    EXPECT_EQ(di.Horz.NoFrozenBoundary, 65);
    // The first data column starts 10 pixels under the fixed area and is cut at its boundary.
    const TRect r = Grid->CellRect(2, 1);
    EXPECT_EQ(r.Left, 130);
    EXPECT_EQ(r.Right, 130 - 10 + 64);
    EXPECT_EQ(Grid->CalcCoordFromPoint(100, 30, di).X, 1); // the frozen column
    EXPECT_EQ(Grid->CalcCoordFromPoint(131, 30, di).X, 2);
    EXPECT_EQ(Grid->CalcCoordFromPoint(130 + 54, 30, di).X, 2);
    EXPECT_EQ(Grid->CalcCoordFromPoint(130 + 55, 30, di).X, 3);
}

TEST_F(GridFixture, MaxTopLeftOfAFittingGridIsTheFirstDataColumn) {
    const auto di = Info();
    EXPECT_EQ(Grid->CalcMaxTopLeft({4, 4}, di), TGridCoord(1, 1));
    Grid->SetColCount(30);
    const auto d2 = Info();
    // 400 pixels hold the fixed column and five data columns of 65.
    EXPECT_EQ(Grid->CalcMaxTopLeft({29, 4}, d2).X, 29 - 4);
}

// ---------------------------------------------------------------------------------------------
// Scrolling

struct ScrollFixture : GridFixture {
    void SetUp() override {
        GridFixture::SetUp();
        Grid->SetScrollBars(ssBoth);
        Pump();
    }
    SCROLLINFO Bar(int bar) {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        GetScrollInfo(Grid->Handle(), bar, &si);
        return si;
    }
};

TEST_F(ScrollFixture, FittingGridHasNoRangeAndIsPulledBack) {
    Grid->SetColCount(4);
    EXPECT_EQ(Bar(SB_HORZ).nMax, 0);
    Grid->SetColCount(40);
    EXPECT_EQ(Bar(SB_HORZ).nMax, 127);
    Grid->SetLeftCol(30);
    EXPECT_EQ(Grid->LeftCol(), 30);
    Grid->SetColCount(3);
    EXPECT_EQ(Grid->LeftCol(), 1);
    EXPECT_EQ(Bar(SB_HORZ).nMax, 0);
}

TEST_F(ScrollFixture, LineModeBarCodes) {
    Grid->SetColCount(40);
    const int maxLeft = Grid->CalcMaxTopLeft({39, 4}, Info()).X;
    Grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_GT(Grid->LeftCol(), 2);
    Grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    EXPECT_EQ(Grid->LeftCol(), maxLeft);
    EXPECT_EQ(Bar(SB_HORZ).nPos, 127);
    Grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
    EXPECT_EQ(Grid->LeftCol(), maxLeft - 1);
    Grid->ModifyScrollBar(SB_HORZ, SB_THUMBTRACK, 0, true);
    EXPECT_EQ(Grid->LeftCol(), maxLeft - 1); // no thumb tracking
    Grid->ModifyScrollBar(SB_HORZ, SB_THUMBPOSITION, 0, true);
    EXPECT_EQ(Grid->LeftCol(), 1);
    // Wide columns: one page down still moves by one column.
    for (int i = 0; i < 40; ++i)
        Grid->SetColWidths(i, 300);
    Grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(Grid->LeftCol(), 2);
}

TEST_F(ScrollFixture, SmoothScrollClampsAtBothEnds) {
    Grid->SetColCount(12);
    Grid->SetOptions(Grid->Options() + TGridOptions{goRowSelect});
    Grid->SmoothScrollBy(100000, 0);
    const auto di = Info();
    // The last column ends exactly at the data area's end.
    EXPECT_EQ(Grid->CellRect(11, 1).Right + 1, di.Horz.GridExtent);
    const int atEnd = Grid->SmoothPos().X;
    Grid->SmoothScrollBy(1, 0);
    EXPECT_EQ(Grid->SmoothPos().X, atEnd);
    Grid->SmoothScrollBy(-100000, 0);
    EXPECT_EQ(Grid->LeftCol(), 1);
    EXPECT_EQ(Grid->LeftColOffset(), 0);
    // Scrolling a cell into view leaves it ending at the grid's end, the left column cut.
    Grid->ScrollCellInView({8, 1}, true, false);
    EXPECT_EQ(Grid->CellRect(8, 1).Right + 1, Info().Horz.GridExtent);
    EXPECT_GT(Grid->LeftColOffset(), 0);
}

TEST_F(ScrollFixture, VerticalLinesPageAndWheel) {
    Grid->SetRowCount(100);
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(Grid->TopRow(), 2);
    Grid->SetRow(5);
    Grid->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, Word(SmallInt(-120))), 0);
    Pump();
    EXPECT_EQ(Grid->Row(), 6);
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    EXPECT_EQ(Bar(SB_VERT).nPos, 127);
}

// ---------------------------------------------------------------------------------------------
// Keyboard

TEST_F(GridFixture, TabWrapsAndHonoursTabStops) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goTabs});
    Grid->FocusCell(1, 1, true, true, true);
    Key(VK_TAB, true);
    EXPECT_EQ(Grid->Current(), TGridCoord(4, 4)); // before the first data cell: the last cell
    Key(VK_TAB);
    EXPECT_EQ(Grid->Current(), TGridCoord(1, 1));
    for (int c = 0; c < 5; ++c)
        Grid->SetTabStops(c, c == 1);
    Key(VK_TAB);
    EXPECT_EQ(Grid->Current(), TGridCoord(1, 1)); // the only tab stop is the current column
}

TEST_F(GridFixture, ArrowsPagesAndFrozenLines) {
    Grid->SetColCount(40);
    Grid->SetRowCount(40);
    Grid->SetFixedCols(2);
    Grid->SetFrozenColCount(1);
    Grid->FocusCell(2, 1, true, true, true);
    Key(VK_LEFT);
    EXPECT_EQ(Grid->Col(), 1); // the frozen column can be entered
    Key(VK_LEFT);
    EXPECT_EQ(Grid->Col(), 1);
    Key(VK_DOWN);
    EXPECT_EQ(Grid->Row(), 2);
    Grid->FocusCell(2, 2, true, true, true);
    const int page = Info().Horz.LastFullVisibleCell - Grid->LeftCol();
    Key(VK_RIGHT, false, true);
    EXPECT_EQ(Grid->Col(), 2 + page);
    EXPECT_EQ(Grid->LeftCol(), 2 + page);
    Key(VK_END, false, true);
    EXPECT_EQ(Grid->Current(), TGridCoord(39, 39));
    Key(VK_HOME, false, true);
    EXPECT_EQ(Grid->Current(), TGridCoord(2, 1));
    Grid->SetOptions(Grid->Options() + TGridOptions{goRowSelect});
    const int col = Grid->Col();
    Key(VK_RIGHT, false, true); // ignored with row select
    EXPECT_EQ(Grid->Col(), col);
}

TEST_F(GridFixture, ShiftArrowsExtendTheSelection) {
    Grid->FocusCell(1, 1, true, true, true);
    Key(VK_DOWN, true);
    Key(VK_RIGHT, true);
    EXPECT_EQ(Grid->Selection(), TRect(1, 1, 2, 2));
}

// ---------------------------------------------------------------------------------------------
// Mouse

TEST_F(GridFixture, SizingZoneAndNewSize) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goColSizing, goRowSizing});
    // Column 1 ends at 65 + 64 = 129 (its line is pixel 129): the zone is 126..133.
    EXPECT_EQ(Grid->CalcSizingStateAt(126, 5), gsColSizing);
    EXPECT_EQ(Grid->CalcSizingStateAt(125, 5), gsNormal);
    EXPECT_EQ(Grid->CalcSizingStateAt(64, 5), gsNormal); // the fixed column proper
    EXPECT_EQ(Grid->CalcSizingStateAt(5, 48), gsRowSizing);
    Press(127, 5);
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(150, 5));
    Grid->Perform(WM_LBUTTONUP, 0, Pt(150, 5));
    EXPECT_EQ(Grid->ColWidths(1), 64 + 23);
    EXPECT_EQ(Grid->GridState(), gsNormal);
    // A size of one pixel or less is ignored.
    Press(65 + 87 - 1, 5);
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(65, 5));
    Grid->Perform(WM_LBUTTONUP, 0, Pt(65, 5));
    EXPECT_EQ(Grid->ColWidths(1), 87);
}

TEST_F(GridFixture, CellMouseEvents) {
    std::vector<std::tuple<TGridCoord, TMouseButton, int, int>> clicks, downs;
    Grid->OnCellMouseClick =
        TGridEhCellMouseEvent::Callable([&](TCustomGridEh*, TGridCoord c, TMouseButton b, TShiftState, int x,
                                            int y, bool&) { clicks.emplace_back(c, b, x, y); });
    Grid->OnCellMouseDown =
        TGridEhCellMouseEvent::Callable([&](TCustomGridEh*, TGridCoord c, TMouseButton b, TShiftState, int x,
                                            int y, bool&) { downs.emplace_back(c, b, x, y); });
    Press(100, 40);
    Grid->Perform(WM_LBUTTONUP, 0, Pt(100, 40));
    EXPECT_TRUE(clicks.empty()); // the press started a selection
    ASSERT_EQ(downs.size(), 1u);
    Press(100, 10);
    Grid->Perform(WM_LBUTTONUP, 0, Pt(100, 10));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(std::get<0>(clicks[0]), TGridCoord(1, 0));
    Grid->Perform(WM_RBUTTONDOWN, MK_RBUTTON, Pt(140, 60));
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(std::get<0>(downs[2]), TGridCoord(2, 2));
    EXPECT_EQ(std::get<1>(downs[2]), mbRight);
    EXPECT_EQ(std::get<2>(downs[2]), 140 - 130);
    EXPECT_EQ(std::get<3>(downs[2]), 60 - 50);
}

TEST_F(GridFixture, DragSelectsARange) {
    Press(70, 30);
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(200, 80));
    EXPECT_EQ(Grid->GridState(), gsSelecting);
    Grid->Perform(WM_LBUTTONUP, 0, Pt(200, 80));
    EXPECT_EQ(Grid->Selection(), TRect(1, 1, 3, 3));
    EXPECT_EQ(Grid->GridState(), gsNormal);
}

TEST_F(GridFixture, ColumnMovingWithTheMarker) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goColMoving});
    Grid->SetColWidths(1, 11);
    Press(70, 10);
    EXPECT_EQ(Grid->GridState(), gsColMoving);
    auto* ml = GetGridMoveLine();
    EXPECT_TRUE(ml->Visible());
    EXPECT_TRUE(ml->IsVert());
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(230, 10)); // over column 4
    // Moving forward, the marker stands at the right edge of column 4.
    const TRect r4 = Grid->CellRect(4, 0);
    EXPECT_EQ(ml->Left() + 3, Grid->ClientToScreen({r4.Right, 0}).X);
    Grid->Perform(WM_LBUTTONUP, 0, Pt(230, 10));
    EXPECT_FALSE(ml->Visible());
    EXPECT_EQ(Grid->ColWidths(4), 11);
    EXPECT_EQ(Grid->ColWidths(1), 64);
}

TEST_F(GridFixture, CancelModeEndsSelecting) {
    Press(70, 30);
    EXPECT_EQ(Grid->GridState(), gsSelecting);
    Grid->Perform(WM_CANCELMODE, 0, 0);
    EXPECT_EQ(Grid->GridState(), gsNormal);
}

TEST_F(GridFixture, HotTrackFollowsTheMouse) {
    Grid->HotTrack = true;
    Grid->Perform(WM_MOUSEMOVE, 0, Pt(100, 40));
    EXPECT_EQ(Grid->HotTrackCell(), TGridCoord(1, 1));
    EXPECT_EQ(Grid->HotTrackSpot()->InCellX(), 100 - 65);
    Grid->Perform(WM_NCMOUSEMOVE, 0, Pt(900, 900));
    EXPECT_EQ(Grid->HotTrackCell(), TGridCoord(-1, -1));
}

// ---------------------------------------------------------------------------------------------
// Editor

struct EditFixture : GridFixture {
    void SetUp() override {
        GridFixture::SetUp();
        Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
        Grid->SetFocus();
        Pump();
    }
};

TEST_F(EditFixture, TypedCharacterOpensTheEditor) {
    Grid->EditValue = QStringLiteral("abc");
    Grid->Perform(WM_CHAR, 'x', 0);
    ASSERT_NE(Grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(Grid->EditorMode());
    EXPECT_TRUE(Grid->InplaceEditor()->Visible());
    Pump();
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("x"));
    EXPECT_FALSE(Grid->SetTexts.empty());
    EXPECT_EQ(Grid->InplaceEditor()->BoundsRect(), Grid->GetEditRect(1, 1));
}

TEST_F(EditFixture, ReadOnlyLimitRefusesChanges) {
    Grid->EditLimit = -1;
    Grid->EditValue = QStringLiteral("fixed");
    Grid->SetEditorMode(true);
    ASSERT_TRUE(Grid->InplaceEditor());
    EXPECT_FALSE(Grid->CanEditModify());
    Grid->Perform(WM_CHAR, 'x', 0); // no editor opening on a read-only cell
    Grid->InplaceEditor()->Perform(WM_CHAR, 'y', 0);
    Grid->InplaceEditor()->Perform(WM_CUT, 0, 0);
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("fixed"));
}

TEST_F(EditFixture, EnterTogglesSelectionAndKeysGoToTheGrid) {
    Grid->EditValue = QStringLiteral("hello");
    Grid->SetOptions(Grid->Options() + TGridOptions{goAlwaysShowEditor});
    Grid->SetEditorMode(true);
    auto* e = Grid->InplaceEditor();
    ASSERT_TRUE(e);
    e->SelectAll();
    e->Perform(WM_CHAR, VK_RETURN, 0);
    EXPECT_EQ(e->SelLength(), 0);
    EXPECT_EQ(e->SelStart(), 5);
    EXPECT_EQ(e->Text(), QStringLiteral("hello"));
    e->Perform(WM_CHAR, VK_RETURN, 0);
    EXPECT_EQ(e->SelLength(), 5);
    // Caret at the end: Right goes to the grid; Down always does.
    e->Perform(EM_SETSEL, 5, 5);
    e->Perform(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(Grid->Col(), 2);
    e = Grid->InplaceEditor();
    e->Perform(EM_SETSEL, 2, 2);
    e->Perform(WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(Grid->Col(), 2); // inside the text Left stays in the editor
    e->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Grid->Row(), 2);
}

TEST_F(EditFixture, QuickSecondPressBecomesDoubleClick) {
    Grid->SetEditorMode(true);
    auto* e = Grid->InplaceEditor();
    ASSERT_TRUE(e);
    int dbl = 0;
    Grid->OnDblClick = TNotifyEvent::Callable([&](TObject*) { ++dbl; });
    // A message time of 0 (no message read yet in this process) would make 0 mean "no click";
    // one tick earlier is as good a first press.
    e->SetClickTime(GetMessageTime() == 0 ? -1 : GetMessageTime());
    e->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(3, 3));
    EXPECT_EQ(e->ClickTime(), 0);
    EXPECT_EQ(dbl, 1);
}

// ---------------------------------------------------------------------------------------------
// Painting

namespace {
QImage Render(TWinControl* c) {
    Pump();
    return c->Widget()->grab().toImage();
}
} // namespace

TEST_F(GridFixture, PaintCostDoesNotDependOnRowCount) {
    Grid->SetRowCount(100);
    Grid->SetColCount(100);
    Grid->DrawCellCalls = 0;
    Grid->Invalidate();
    Render(Grid);
    const int some = Grid->DrawCellCalls;
    Grid->SetRowCount(2000000);
    Grid->SetColCount(100000);
    Grid->DrawCellCalls = 0;
    Grid->Invalidate();
    Render(Grid);
    EXPECT_GT(some, 0);
    EXPECT_EQ(Grid->DrawCellCalls, some);
}

TEST_F(GridFixture, CellStatesAndLines) {
    Grid->SetFocus();
    Pump();
    Grid->FocusCell(2, 2, true, true, true);
    Grid->RecordDrawn = true;
    QImage img = Render(Grid);
    bool sawFixed = false, sawFocused = false;
    for (auto& [c, s] : Grid->Drawn) {
        if (c.X == 0 || c.Y == 0) sawFixed |= s.Contains(gdFixed);
        if (c == TGridCoord(2, 2))
            sawFocused = s.Contains(gdFocused) && s.Contains(gdCurrent) && s.Contains(gdSelected);
        if (c.X > 0 && c.Y > 0) {
            EXPECT_FALSE(s.Contains(gdFixed));
        }
    }
    EXPECT_TRUE(sawFixed);
    EXPECT_TRUE(sawFocused);
    // The data line after column 1 (x = 129) is silver, the fixed line after column 0 dark grey.
    EXPECT_EQ(QColor(img.pixel(129, 100)), QColor(192, 192, 192));
    EXPECT_EQ(QColor(img.pixel(64, 100)), QColor(128, 128, 128));
}

// A grid that does not stand at its parent's origin paints the same when the parent is drawn
// (as on screen, through the window's backing store) as when it is drawn alone.
TEST_F(GridFixture, GridAtAnOffsetPaintsAllOfItselfInsideItsParent) {
    Grid->SetBounds(37, 120, 300, 200);
    Grid->SetColCount(4);
    Grid->SetRowCount(12);
    const QImage alone = Render(Grid);
    Grid->Invalidate();
    const QImage whole = Render(Form);
    const QPoint at = Grid->Widget()->mapTo(Form->Widget(), QPoint(0, 0));
    ASSERT_EQ(at, QPoint(37, 120));
    const QImage part = whole.copy(QRect(at, alone.size())).convertToFormat(alone.format());
    int differing = 0, firstRow = -1;
    for (int y = 0; y < alone.height(); ++y)
        for (int x = 0; x < alone.width(); ++x)
            if (alone.pixel(x, y) != part.pixel(x, y)) {
                ++differing;
                if (firstRow < 0) firstRow = y;
            }
    EXPECT_EQ(differing, 0) << "first differing line " << firstRow;
}

TEST_F(GridFixture, ScreenshotWithFixedFrozenAndContraAreas) {
    Form->SetBounds(10, 10, 640, 420);
    Grid->SetBounds(0, 0, 600, 380);
    Grid->SetScrollBars(ssBoth);
    Grid->SetBorderStyle(bsSingle);
    Grid->SetColCount(30);
    Grid->SetRowCount(200);
    Grid->SetFixedCols(2);
    Grid->SetFrozenColCount(1);
    Grid->SetContraColCount(1);
    Grid->SetContraRowCount(2);
    Grid->SetFixedColor(TColor(RGB(220, 226, 236)));
    Grid->SetOptions(Grid->Options() + TGridOptions{goExtendVertLines});
    Grid->SetFocus();
    Grid->FocusCell(3, 3, true, true, true);
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    Grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    QImage img = Render(Grid);
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("grid_areas"))));
    EXPECT_TRUE(Grid->CheckConsistency());
}

TEST_F(GridFixture, ScreenshotOfDragFeedback) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goColMoving, goColSizing});
    Press(70, 10);
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(230, 10));
    Pump();
    auto* ml = GetGridMoveLine();
    QImage img = Render(Grid);
    {
        // The marker is a separate top-level window: put it where it stands over the grid.
        QPainter p(&img);
        const TPoint o = Grid->ScreenToClient({ml->Left(), ml->Top()});
        QImage marker = ml->Widget()->grab().toImage();
        for (int y = 0; y < marker.height(); ++y)
            for (int x = 0; x < marker.width(); ++x)
                if (QColor(marker.pixel(x, y)) != QColor(Qt::white))
                    p.fillRect(o.X + x, o.Y + y, 1, 1, marker.pixel(x, y));
    }
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("grid_column_move"))));
    const TPoint mo = Grid->ScreenToClient({ml->Left(), ml->Top()});
    const QImage zoom = img.copy(mo.X - 10, 0, 30, 140).scaled(240, 1120);
    EXPECT_TRUE(zoom.save(ScreenshotPath(QStringLiteral("grid_column_move_marker_x8"))));
    Grid->Perform(WM_LBUTTONUP, 0, Pt(230, 10));
    // The sizing line is drawn in XOR over the grid.
    Press(128, 5);
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(180, 5));
    QImage sizing = Render(Grid);
    EXPECT_TRUE(sizing.save(ScreenshotPath(QStringLiteral("grid_column_sizing"))));
    Grid->Perform(WM_LBUTTONUP, 0, Pt(180, 5));
}

// ---------------------------------------------------------------------------------------------
// Drag windows and appearance objects

TEST_F(GridFixture, MoveLineGeometry) {
    auto* ml = GetGridMoveLine();
    ml->StartShow(Grid, {50, 20}, 100, true);
    const TPoint at = Grid->ScreenToClient({ml->Left(), ml->Top()});
    EXPECT_EQ(at, TPoint(47, 16));
    EXPECT_EQ(ml->Width(), 7);
    EXPECT_EQ(ml->Height(), 108);
    EXPECT_TRUE(ml->sLine->Visible());
    EXPECT_FALSE(ml->hLine->Visible());
    EXPECT_EQ(ml->sLine->Left(), 3);
    ml->TemporaryHide();
    EXPECT_TRUE(ml->Visible());
    EXPECT_EQ(ml->Width(), 0);
    ml->MoveToFor(Grid, {60, 20});
    EXPECT_EQ(ml->Width(), 0);
    ml->StartShow(Grid, {50, 20}, 40, false);
    EXPECT_EQ(ml->Width(), 48);
    EXPECT_EQ(ml->Height(), 7);
    ml->SetVisible(false);
    EXPECT_FALSE(ml->Focused());
}

TEST_F(GridFixture, LineColourFallbacks) {
    auto* lc = Grid->GridLineColors();
    EXPECT_EQ(lc->GetBrightColor(), TColor(RGB(192, 192, 192)));
    Grid->SetColor(TColor(RGB(192, 192, 192)));
    EXPECT_EQ(lc->GetBrightColor(), TColor(RGB(128, 128, 128)));
    EXPECT_EQ(lc->GetDarkColor(), TColor(RGB(128, 128, 128)));
    lc->SetDarkColor(clRed);
    EXPECT_EQ(lc->GetFixedVertColor(), clRed);
    EXPECT_EQ(lc->GetCellLineColor(0, 3), clRed);
}

TEST_F(GridFixture, PicturePlacement) {
    auto* bg = Grid->BackgroundData();
    bg->Picture()->Bitmap()->SetSize(200, 100);
    struct Case {
        TImagePlacementEh p;
        int hm;
        TRect r;
    } cases[] = {
        {ipFillEh, 0, {-150, 0, 450, 300}},     {ipFitEh, 0, {0, 75, 300, 225}},
        {ipTopRightEh, 10, {110, 0, 310, 100}}, {ipCenterCenterEh, 0, {50, 100, 250, 200}},
        {ipStretchEh, 0, {0, 0, 300, 300}},
    };
    for (const auto& c : cases) {
        bg->SetPlacement(c.p);
        bg->SetHorzMargin(c.hm);
        EXPECT_EQ(bg->CalcPictureRect({0, 0, 300, 300}), c.r) << int(c.p);
    }
}

TEST_F(GridFixture, MarginsAndCornerPriorities) {
    auto* ob = Grid->OutBoundaryData();
    ob->SetTopIndent(20);
    ob->SetLeftIndent(15);
    TRect r;
    ASSERT_TRUE(ob->GetOutBoundaryRect(r, cbtTopEh));
    EXPECT_EQ(r, TRect(0, 0, 400, 20));
    ASSERT_TRUE(ob->GetOutBoundaryRect(r, cbtLeftEh));
    EXPECT_EQ(r, TRect(0, 20, 15, 300));
    ob->SetLeftTopDrawPriority(crpVerticalDataPriorityEh);
    ob->GetOutBoundaryRect(r, cbtTopEh);
    EXPECT_EQ(r.Left, 15);
    EXPECT_FALSE(ob->GetOutBoundaryRect(r, cbtRightEh));
    // The indents move the cells.
    EXPECT_EQ(Grid->CellRect(0, 0), TRect(15, 20, 79, 44));
}

TEST(GridTimer, ColumnMoveIntervalFollowsTheDistance) {
    struct Case {
        int d, b;
        UINT interval;
    } cases[] = {
        {200, 100, 63}, // 60 + trunc(1.5 * 200 / 90)
        {200, 5, 360},  // within 10 pixels of the edge: the slowest pace
        {200, 200, 61}, // far outside
        {0, 50, 60},    // the edge lies on the screen's edge
        {-40, 50, 60},  // or off the screen: never below 60 ms
    };
    for (const auto& c : cases)
        EXPECT_EQ(TCustomGridEh::ColMoveScrollInterval(c.d, c.b), c.interval) << c.d << " " << c.b;
}

TEST_F(GridFixture, FailedContraResizeRestoresEverything) {
    Grid->SetColWidths(1, 40);
    Grid->SetContraColCount(1);
    try {
        Grid->SetContraColCount(134217726);
        FAIL();
    } catch (const EInvalidGridOperationEh& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Grid too large for operation"));
    }
    EXPECT_EQ(Grid->ContraColCount(), 1);
    EXPECT_TRUE(Grid->CheckConsistency());
    EXPECT_EQ(Grid->ColWidths(1), 40);
}

TEST_F(GridFixture, ColumnWidthsRoundTripThroughTheComponentStream) {
    Grid->SetContraColCount(1);
    for (int i = 0; i < 5; ++i)
        Grid->SetColWidths(i, 20 + i);
    Grid->SetColWidths(5, 99); // contra: not written
    TMemoryStream ms;
    WriteComponent(&ms, Grid);
    auto* copy = Create<TTestGrid>(Form);
    copy->SetContraColCount(1);
    ms.SetPosition(0);
    ReadComponent(&ms, copy);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(copy->ColWidths(i), 20 + i);
    EXPECT_EQ(copy->ColWidths(5), 64);
    EXPECT_EQ(copy->RowHeights(2), 24);
    EXPECT_TRUE(copy->CheckConsistency());
}

TEST_F(GridFixture, RowSelectMarksTheWholeCurrentRow) {
    Grid->SetFixedCols(2);
    Grid->SetFrozenColCount(1);
    Grid->SetOptions(Grid->Options() + TGridOptions{goRowSelect});
    Grid->SetFocus();
    Grid->FocusCell(3, 2, true, true, true);
    EXPECT_EQ(Grid->Col(), 2); // the current column is the first data column
    EXPECT_EQ(Grid->Selection(), TRect(2, 2, 4, 2));
    Grid->RecordDrawn = true;
    Grid->Invalidate();
    Render(Grid);
    for (auto& [c, s] : Grid->Drawn) {
        const bool current = c.Y == 2 && c.X >= 1;
        EXPECT_EQ(s.Contains(gdCurrent), current) << c.X << "," << c.Y;
    }
}

TEST_F(ScrollFixture, LinesAndPixelsAtFirstMiddleAndLastWithFrozenColumns) {
    Grid->SetColCount(30);
    Grid->SetFixedCols(2);
    Grid->SetFrozenColCount(1);
    const auto first = Info();
    const TRect frozen = Grid->CellRect(1, 1);
    const int maxLeft = Grid->CalcMaxTopLeft({29, 4}, first).X;
    struct Step {
        int code;
        int left; // expected left column after the step
    } line[] = {
        {SB_TOP, 2},          {SB_LINEUP, 2},         {SB_LINEDOWN, 3},         {SB_LINEDOWN, 4},
        {SB_BOTTOM, maxLeft}, {SB_LINEDOWN, maxLeft}, {SB_LINEUP, maxLeft - 1},
    };
    for (const auto& s : line) {
        Grid->Perform(WM_HSCROLL, MAKEWPARAM(Word(s.code), 0), 0);
        EXPECT_EQ(Grid->LeftCol(), s.left) << s.code;
        EXPECT_EQ(Grid->LeftColOffset(), 0);
        // The frozen column never moves; the first visible data column starts after it.
        EXPECT_EQ(Grid->CellRect(1, 1), frozen);
        EXPECT_EQ(Grid->CellRect(s.left, 1).Left, first.Horz.FixedBoundary);
    }
    // Pixels (row select scrolls horizontally by pixels).
    Grid->SetOptions(Grid->Options() + TGridOptions{goRowSelect});
    Grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    struct PixelStep {
        int dx;
        int left, offset;
    } pixels[] = {
        {-5, 2, 0},  // before the first data line: nothing
        {10, 2, 10}, // inside the first data column
        {60, 3, 5},  // into the next one (65 pixels a column)
        {-15, 2, 55},
    };
    for (const auto& p : pixels) {
        Grid->SmoothScrollBy(p.dx, 0);
        EXPECT_EQ(Grid->LeftCol(), p.left) << p.dx;
        EXPECT_EQ(Grid->LeftColOffset(), p.offset) << p.dx;
        EXPECT_EQ(Grid->CellRect(1, 1), frozen);
        EXPECT_EQ(Grid->SmoothPos().X, (p.left - 2) * 65 + p.offset);
    }
    Grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    const auto last = Info();
    EXPECT_EQ(Grid->CellRect(29, 1).Right + 1, last.Horz.GridExtent);
    SCROLLINFO si = Bar(SB_HORZ);
    EXPECT_EQ(si.nPos, Grid->SmoothPos().X);
    EXPECT_EQ(int(si.nPage), Grid->DataPageSize().cx);
    EXPECT_EQ(si.nMax, 28 * 65 - 1);
}

TEST_F(GridFixture, RowMovingAndRowSizing) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goRowMoving, goRowSizing});
    Grid->SetRowHeights(2, 30);
    // Row 2 spans 50..79 with its line at 80; a press in the fixed column on it starts moving.
    Press(10, 60);
    EXPECT_EQ(Grid->GridState(), gsRowMoving);
    auto* ml = GetGridMoveLine();
    EXPECT_TRUE(ml->Visible());
    EXPECT_FALSE(ml->IsVert());
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(10, 110)); // over row 4
    Grid->Perform(WM_LBUTTONUP, 0, Pt(10, 110));
    EXPECT_FALSE(ml->Visible());
    EXPECT_EQ(Grid->RowHeights(4), 30);
    EXPECT_EQ(Grid->RowHeights(2), 24);
    // Row sizing: the border after row 1 (its line at 49) within the fixed column.
    EXPECT_EQ(Grid->CalcSizingStateAt(10, 47), gsRowSizing);
    EXPECT_EQ(Grid->CalcSizingStateAt(10, 44), gsNormal);
    Press(10, 49);
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(10, 59));
    Grid->Perform(WM_LBUTTONUP, 0, Pt(10, 59));
    EXPECT_EQ(Grid->RowHeights(1), 34);
}

TEST_F(GridFixture, SelectionTimerScrollsTowardsTheCursor) {
    Grid->SetRowCount(40);
    Grid->SetDefaultRowHeight(23); // rows end at 288: the cursor below them is outside
    Press(70, 30);
    ASSERT_EQ(Grid->GridState(), gsSelecting);
    const TPoint below = Grid->ClientToScreen({70, 295});
    SetCursorPos(below.X, below.Y);
    const TPoint at = Grid->ScreenToClient([] {
        TPoint p;
        GetCursorPos(&p);
        return p;
    }());
    if (at.Y != 295) GTEST_SKIP() << "the platform cannot place the cursor";
    Grid->Perform(WM_TIMER, 1, 0);
    Grid->Perform(WM_TIMER, 1, 0);
    EXPECT_EQ(Grid->Anchor().Y, 3);
    Grid->Perform(WM_CANCELMODE, 0, 0);
    EXPECT_EQ(Grid->GridState(), gsNormal);
    Grid->Perform(WM_TIMER, 1, 0); // no longer selecting: nothing moves
    EXPECT_EQ(Grid->Anchor().Y, 3);
}

TEST_F(GridFixture, ExtendedVerticalLinesFadeBelowTheLastRow) {
    Grid->SetRowCount(3);
    Grid->SetOptions(Grid->Options() + TGridOptions{goExtendVertLines});
    QImage img = Render(Grid);
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("grid_extended_lines"))));
    // Column 1's line (x = 129) continues below the last row (whose line ends at y = 74), from the
    // line colour at the top to the background at the bottom.
    const QColor top(img.pixel(129, 75)), bottom(img.pixel(129, 299)), beside(img.pixel(100, 150));
    EXPECT_EQ(top, QColor(192, 192, 192));
    EXPECT_GT(bottom.red(), 240);
    EXPECT_EQ(beside, QColor(Qt::white));
    EXPECT_EQ(QColor(img.pixel(64, 75)), QColor(128, 128, 128)); // the fixed column's line is dark
}
