// Frozen and trailing columns of the data grid (layout, scrolling, hit tests, sizing, painting),
// the grid's loading end and scaling, the standard row height and auto-fitted column widths.

#include "DBGridTestFixture.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include <QFontMetrics>
#include <QImage>
#include <QScopeGuard>
#include <QWidget>

namespace {

LPARAM At(int x, int y) {
    return LPARAM(MAKELONG(Word(x), Word(y)));
}

// A grid that can be put into the loading state as a component stream does.
class TLoadingGrid : public TDBGridEh {
    KVT_CLASS(TLoadingGrid, TDBGridEh)
public:
    using TDBGridEh::TDBGridEh;
    void BeginLoading() { IncludeState(csLoading); }
};

class FrozenColsTest : public DBGridFormFixture<TLoadingGrid> {
protected:
    static constexpr int kCols = 8;
    static constexpr int kWidth = 90;

    void SetUp() override {
        DBGridFormFixture::SetUp();
        UseTextTable(kCols, 20, QStringLiteral("Строка %1.%2"), kWidth);
    }
    TColumnEh* Col(int i) { return Grid->Columns()->Columns(i); }
    void ScrollToRightEnd() {
        Grid->SetLeftCol(Grid->ColCount() - 1);
        Pump();
    }
};

} // namespace

TEST_F(FrozenColsTest, FrozenCountsCollectionColumnsAndKeepsOneScrolling) {
    struct Case {
        int Frozen;
        int Hidden; // index of a hidden column, -1 for none
        int FrozenCells;
        const char* FirstScroll;
        int FrozenVisible;
    } cases[] = {
        {0, -1, 0, "F0", 0},
        {2, -1, 2, "F2", 2},
        // A hidden column inside the frozen ones still counts (its cell has no width): one
        // visible column stays frozen.
        {2, 0, 2, "F2", 1},
        // As many as are shown, with a hidden one in front: all but the last shown count's
        // worth of collection columns freeze, so two shown columns scroll; the first scrolling
        // column is looked up from FrozenCols on.
        {kCols - 1, 0, kCols - 2, "F7", kCols - 3},
        // Frozen beyond the visible columns leaves the last one scrolling.
        {20, -1, kCols - 1, nullptr, kCols - 1},
        {20, kCols - 1, kCols - 2, nullptr, kCols - 2},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < kCols; ++i)
            Col(i)->SetVisible(i != c.Hidden);
        Grid->SetFrozenCols(c.Frozen);
        Pump();
        SCOPED_TRACE(c.Frozen);
        EXPECT_EQ(Grid->FrozenColCount(), c.FrozenCells);
        EXPECT_EQ(Grid->FixedCols(), Grid->IndicatorOffset() + c.FrozenCells);
        EXPECT_LT(Grid->FixedCols(), Grid->ColCount());
        TColumnEh* first = Grid->Columns()->FirstScrollVisibleColumn();
        if (c.FirstScroll)
            EXPECT_EQ(first ? first->FieldName() : QString(), QString::fromLatin1(c.FirstScroll));
        else
            EXPECT_EQ(first, nullptr);
        const int frozenVisible = c.FrozenVisible;
        EXPECT_EQ(Grid->Columns()->LastFrozenVisibleColumn(),
                  frozenVisible > 0 ? Grid->VisibleColumn(frozenVisible - 1) : nullptr);
        EXPECT_TRUE(Grid->CheckDataConsistency());
    }
    EXPECT_EQ(Grid->FrozenCols(), 20);
    Grid->SetFrozenCols(-3);
    EXPECT_EQ(Grid->FrozenCols(), 20) << "a negative count is ignored";
    Pump();
    EXPECT_EQ(Grid->FrozenColCount(), kCols - 2);
}

TEST_F(FrozenColsTest, FrozenColumnsStayInPlaceWhileScrollingRight) {
    Grid->SetFrozenCols(2);
    Pump();
    const int ind = Grid->IndicatorOffset();
    const int row = Grid->TopDataOffset() + 1;
    const TRect frozen0 = Grid->CellRect(ind, row), frozen1 = Grid->CellRect(ind + 1, row);
    const TRect title1 = Grid->CellRect(ind + 1, 0);
    ScrollToRightEnd();
    ASSERT_GT(Grid->LeftCol(), Grid->FixedCols()) << "the grid scrolled";
    EXPECT_EQ(Grid->CellRect(ind, row), frozen0);
    EXPECT_EQ(Grid->CellRect(ind + 1, row), frozen1);
    EXPECT_EQ(Grid->CellRect(ind + 1, 0), title1);
    // The first scrolling column left of the view takes no room; the shown ones start right of
    // the frozen area.
    EXPECT_TRUE(Grid->CellRect(Grid->FixedCols(), row).IsEmpty());
    const TRect left = Grid->CellRect(Grid->LeftCol(), row);
    EXPECT_GE(left.Left, frozen1.Right);

    // Hit tests find the frozen cells under the same points, and a click makes them current.
    const TPoint p((frozen1.Left + frozen1.Right) / 2, (frozen1.Top + frozen1.Bottom) / 2);
    EXPECT_EQ(Grid->MouseCoord(p.X, p.Y), TGridCoord(ind + 1, row));
    Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(p.X, p.Y));
    Grid->Perform(WM_LBUTTONUP, 0, At(p.X, p.Y));
    Pump();
    EXPECT_EQ(Grid->Col(), ind + 1);
    EXPECT_EQ(Grid->SelectedColumn(), Col(1));
    EXPECT_EQ(Table->RecNo(), 2);
    EXPECT_GT(Grid->LeftCol(), Grid->FixedCols()) << "a frozen cell becomes current without scrolling";

    QImage img = Grid->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_frozen_scrolled_right"))));

    // The current record and column survive a change of the frozen count.
    Grid->SetCol(Grid->ColCount() - 1);
    Grid->SetFrozenCols(1);
    Pump();
    EXPECT_EQ(Grid->Row(), row);
    EXPECT_EQ(Grid->SelectedColumn(), Col(kCols - 1));
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(FrozenColsTest, TrailingColumnsStayAtTheRightEdge) {
    Grid->SetFrozenCols(1);
    // More trailing columns than the grid can give: the frozen and one scrolling column remain.
    Grid->SetContraColCount(20);
    Pump();
    const int ind = Grid->IndicatorOffset();
    EXPECT_EQ(Grid->ColCount(), ind + 2);
    EXPECT_EQ(Grid->GetFullColCount(), ind + kCols);
    EXPECT_EQ(Grid->Columns()->FirstContraVisibleColumn(), Col(2));
    EXPECT_EQ(Grid->Columns()->LastContraVisibleColumn(), Col(kCols - 1));

    Grid->SetContraColCount(2);
    Pump();
    ASSERT_EQ(Grid->ColCount(), ind + kCols - 2);
    EXPECT_EQ(Grid->Columns()->LastScrollVisibleColumn(), Col(kCols - 3));
    const int row = Grid->TopDataOffset();
    const int last = Grid->GetFullColCount() - 1;
    const TRect before = Grid->CellRect(last, row);
    EXPECT_EQ(before.Right, Grid->ClientWidth() - Grid->GridLineWidth())
        << "the last trailing column ends at the right edge";
    ScrollToRightEnd();
    EXPECT_EQ(Grid->CellRect(last, row), before);
    EXPECT_EQ(Grid->ColWidths(last), kWidth);
    // The trailing cells paint their columns' data.
    int areaCol = -1, areaRow = -1;
    EXPECT_EQ(Grid->GetCellType(last, row, areaCol, areaRow), catDataEh);
    EXPECT_EQ(Grid->VisibleColumn(areaCol), Col(kCols - 1));

    QImage img = Grid->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_frozen_and_trailing"))));
}

TEST_F(FrozenColsTest, FrozenColumnBordersSizeInTheTitles) {
    Grid->SetFrozenCols(2);
    Pump();
    Grid->SetLeftCol(Grid->FixedCols() + 2);
    Pump();
    const int ind = Grid->IndicatorOffset();
    const TRect title = Grid->CellRect(ind + 1, 0);
    const int y = (title.Top + title.Bottom) / 2;
    int pos = 0, index = -1;
    ASSERT_TRUE(Grid->CalcFrozenColSizingState(title.Right + 1, y, pos, index));
    EXPECT_EQ(index, ind + 1);
    EXPECT_EQ(pos, title.Right);
    EXPECT_TRUE(Grid->CanSizeFrozenColAt(title.Right, y));
    const TRect data = Grid->CellRect(ind + 1, Grid->TopDataOffset());
    EXPECT_FALSE(Grid->CanSizeFrozenColAt(data.Right, (data.Top + data.Bottom) / 2)) << "not in data rows";
    EXPECT_FALSE(Grid->CanSizeFrozenColAt((title.Left + title.Right) / 2, y));

    // Dragging the border sizes the frozen column and leaves the scroll position alone.
    const int leftCol = Grid->LeftCol();
    Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(title.Right, y));
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(title.Right + 25, y));
    Grid->Perform(WM_LBUTTONUP, 0, At(title.Right + 25, y));
    Pump();
    EXPECT_EQ(Col(1)->Width(), kWidth + 25);
    EXPECT_EQ(Grid->ColWidths(ind + 1), kWidth + 25);
    EXPECT_EQ(Grid->LeftCol(), leftCol);
}

TEST_F(FrozenColsTest, LiveSizingHoldsTheHorizontalScrollPosition) {
    // Row selection scrolls by pixels, where narrowing a column at the right end pulls the view.
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgRowSelect});
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghTraceColSizing});
    Grid->SetFrozenCols(1);
    Pump();
    Grid->SmoothScrollBy(10000, 0);
    Pump();
    const int last = Grid->ColCount() - 1;
    const TRect title = Grid->CellRect(last, 0);
    ASSERT_EQ(title.Right, Grid->ClientWidth() - 1) << "scrolled to the end";
    const int y = (title.Top + title.Bottom) / 2;
    const TRect frozen = Grid->CellRect(Grid->IndicatorOffset(), 0);
    Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(title.Right, y));
    EXPECT_EQ(Grid->GetHorzScrollingLockCount(), 1);
    Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(title.Right - 60, y));
    EXPECT_EQ(Grid->ColWidths(last), kWidth - 60) << "the column follows the mouse";
    EXPECT_EQ(Grid->CellRect(last, 0).Left, title.Left) << "the view holds while the button is down";
    Grid->Perform(WM_LBUTTONUP, 0, At(title.Right - 60, y));
    Pump();
    EXPECT_EQ(Grid->GetHorzScrollingLockCount(), 0);
    EXPECT_EQ(Col(kCols - 1)->Width(), kWidth - 60);
    EXPECT_GT(Grid->CellRect(last, 0).Left, title.Left) << "released, the view comes back to the end";
    EXPECT_EQ(Grid->CellRect(Grid->IndicatorOffset(), 0), frozen);
}

TEST_F(FrozenColsTest, LoadedResolvesGroupingAndStoredWidths) {
    TLoadingGrid* g = Grid;
    g->BeginLoading();
    g->SetAutoFitColWidths(true);
    TDBGridEhDataGroupsEh* groups = g->DataGrouping();
    auto* level = static_cast<TDBGridEhDataGroupLevelEh*>(groups->GroupLevels()->Add());
    level->SetColumnName(Col(2)->Name());
    EXPECT_EQ(level->Column(), nullptr) << "names wait for the loading end";
    Col(0)->SetWidth(150);
    Col(1)->Title()->SetSortMarker(smDownEh);
    Col(1)->Title()->SetSortIndex(1);
    g->Loaded();
    Pump();
    EXPECT_FALSE(g->ComponentState().Contains(csLoading));
    EXPECT_EQ(level->Column(), Col(2));
    EXPECT_EQ(Col(0)->InitWidth(), 150) << "fitting scales from the stored widths";
    ASSERT_EQ(g->SortMarkedColumns()->Count(), 1);
    EXPECT_EQ(g->SortMarkedColumns()->Columns(0), Col(1));
}

TEST_F(FrozenColsTest, ScalingKeepsTheRowOfWidthsWhole) {
    Grid->Columns()->Clear();
    for (int i = 0; i < 3; ++i) {
        TColumnEh* c = Grid->Columns()->Add();
        c->SetFieldName(QStringLiteral("F%1").arg(i));
        c->SetWidth(25);
    }
    Grid->FooterFont()->SetSize(10);
    Grid->SetParentFont(false);
    Grid->ChangeScale(3, 2);
    EXPECT_EQ(Col(0)->Width(), 38);
    EXPECT_EQ(Col(1)->Width(), 37);
    EXPECT_EQ(Col(2)->Width(), 38);
    EXPECT_EQ(Grid->FooterFont()->Size(), 15);
}

TEST_F(FrozenColsTest, RowHeightAndLinesGiveTheDataRowHeight) {
    const QFontMetrics fm(Grid->Font()->ToQFont());
    const int p = 3 + Grid->GridLineWidth();
    Grid->SetRowHeight(30);
    Pump();
    EXPECT_EQ(Grid->StdDefaultRowHeight(), 30);
    EXPECT_EQ(Grid->RowHeights(Grid->TopDataOffset()), 30);
    Grid->SetRowLines(2);
    Pump();
    EXPECT_EQ(Grid->StdDefaultRowHeight(), 30 + 2 * (fm.leading() + fm.height()));
    Grid->SetRowLines(0);
    Grid->SetRowHeight(-5);
    Pump();
    EXPECT_EQ(Grid->RowHeight(), 0);
    EXPECT_EQ(Grid->StdDefaultRowHeight(), fm.height() + p);

    // Snapping to whole text lines: up to half a line is dropped, never down to no line.
    const int t = fm.height();
    // The snapped height is kept as RowHeight P and RowLines; a new height goes in with no lines.
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghFitRowHeightToText});
    auto snap = [&](int height) {
        Grid->BeginLayout();
        Grid->SetRowLines(0);
        Grid->SetRowHeight(height);
        Grid->EndLayout();
        Pump();
        return Grid->StdDefaultRowHeight();
    };
    EXPECT_EQ(snap(p + 2 * t + t / 2), p + 2 * t);
    EXPECT_EQ(Grid->RowLines(), 2);
    EXPECT_EQ(Grid->RowHeight(), p);
    EXPECT_EQ(snap(p + 2 * t + t / 2 + 1), p + 3 * t);
    EXPECT_EQ(snap(p + 1), p + t);
}

TEST_F(FrozenColsTest, AutoFitSharesTheClientWidth) {
    Grid->Columns()->Clear();
    for (int i = 0; i < 3; ++i) {
        TColumnEh* c = Grid->Columns()->Add();
        c->SetFieldName(QStringLiteral("F%1").arg(i));
        c->SetWidth(100);
    }
    Col(1)->SetMaxWidth(60);
    Grid->SetAutoFitColWidths(true);
    Pump();
    const int avail = Grid->GridClientWidth() - Grid->ColWidths(0) - 3 - 1;
    EXPECT_EQ(Col(1)->Width(), 60) << "a column at its limit keeps it";
    EXPECT_EQ(Col(0)->Width() + Col(1)->Width() + Col(2)->Width(), avail);
    EXPECT_LE(std::abs(Col(0)->Width() - Col(2)->Width()), 1) << "the others share the rest";
    EXPECT_EQ(Col(0)->InitWidth(), 100) << "fitting never changes the starting widths";
    EXPECT_EQ(Grid->LastVisibleCol(), Grid->ColCount() - 1);
}

TEST_F(FrozenColsTest, TrailingCountIsLimitedByTheVisibleColumns) {
    // Five columns, the indicator and one frozen column leave three for the right edge.
    while (Grid->Columns()->Count() > 5)
        Grid->Columns()->Columns(Grid->Columns()->Count() - 1)->Free();
    Grid->SetFrozenCols(1);
    Grid->SetContraColCount(9);
    Pump();
    ASSERT_EQ(Grid->IndicatorOffset(), 1);
    EXPECT_EQ(Grid->GetFullColCount() - Grid->ColCount(), 3);
    EXPECT_EQ(Grid->ContraColCount(), 9) << "the property keeps what was asked";
    EXPECT_EQ(Grid->Columns()->FirstContraVisibleColumn(), Col(2));

    // The limit counts shown columns while the trailing cells are the last collection columns:
    // three hidden columns at the end take the three trailing places and nothing shown stays
    // at the right edge.
    for (int i = 5; i < kCols; ++i) {
        TColumnEh* c = Grid->Columns()->Add();
        c->SetFieldName(QStringLiteral("F%1").arg(i));
        c->SetVisible(false);
    }
    Pump();
    EXPECT_EQ(Grid->GetFullColCount() - Grid->ColCount(), 3);
    EXPECT_EQ(Grid->Columns()->FirstScrollVisibleColumn(), Col(1));
    EXPECT_EQ(Grid->Columns()->FirstContraVisibleColumn(), nullptr);
    EXPECT_EQ(Grid->Columns()->LastContraVisibleColumn(), nullptr);
    // Every column has its cell, a hidden one with no width.
    int col = 0, row = 0;
    Grid->GetBarCellCoord(Col(6), col, row);
    EXPECT_EQ(col, 7);
    EXPECT_LE(Grid->ColWidths(7), 0);
    Grid->GetBarCellCoord(Col(4), col, row);
    EXPECT_EQ(col, 5);
    EXPECT_EQ(row, Grid->Row());
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

// A negative trailing count would put cells past the columns and send the Tab order past the
// collection's end: it is taken as none.
TEST_F(FrozenColsTest, NegativeTrailingCountIsNone) {
    Grid->SetContraColCount(2);
    Pump();
    Grid->SetContraColCount(-3);
    Pump();
    EXPECT_EQ(Grid->ContraColCount(), 0);
    EXPECT_EQ(Grid->ColCount(), Grid->GetFullColCount());
    EXPECT_EQ(Grid->GetFullColCount(), Grid->IndicatorOffset() + kCols);
    EXPECT_EQ(Grid->Columns()->FirstContraVisibleColumn(), nullptr);
    EXPECT_EQ(Grid->Columns()->GetLastTabColumn(), Col(kCols - 1));
    EXPECT_EQ(Grid->Columns()->GetNextTabColumn(Col(kCols - 1), true), Col(kCols - 1));
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(FrozenColsTest, OptionSettersApplyAtOnce) {
    // Column sizing and moving follow the resize option in the same assignment.
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgColumnResize});
    EXPECT_FALSE(Grid->BaseOptions().Contains(goColSizing));
    EXPECT_FALSE(Grid->BaseOptions().Contains(goColMoving));
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgColumnResize});
    EXPECT_TRUE(Grid->BaseOptions().Contains(goColSizing));
    EXPECT_TRUE(Grid->BaseOptions().Contains(goColMoving));

    Grid->SetFooterRowCount(2);
    Grid->SetFooterRowCount(-1);
    EXPECT_EQ(Grid->FooterRowCount(), 2) << "a negative count is ignored";

    // Title lines are measured in the title font; TitleHeight adds pixels.
    const QFontMetrics fm(Grid->TitleFont()->ToQFont());
    Grid->SetTitleLines(2);
    Grid->SetTitleHeight(5);
    Pump();
    EXPECT_EQ(Grid->RowHeights(0),
              2 * fm.height() + fm.leading() + 2 + 5 + (Grid->Options().Contains(dgRowLines) ? 1 : 0));
}

// Trailing columns mean nothing in the row panel: the designer says so when they are set there,
// and only there.
TEST_F(FrozenColsTest, TrailingColumnsInTheRowPanelAreReportedAtDesignTime) {
    std::vector<String> messages;
    SetMessageBoxHook([&](const String& Text, const String&, UINT) {
        messages.push_back(Text);
        return IDOK;
    });
    const auto unhook = qScopeGuard([] { SetMessageBoxHook(nullptr); });
    Grid->RowPanel()->SetActive(true);
    Grid->SetContraColCount(1);
    EXPECT_TRUE(messages.empty()) << "not at run time";
    Grid->SetDesigning(true);
    Grid->SetContraColCount(2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              QStringLiteral("ContraColCount is not suppored when RowPanel mode is Activated (See "
                             "RowPanel.Active property)."));
    Grid->RowPanel()->SetActive(false);
    Grid->SetContraColCount(0);
    EXPECT_EQ(messages.size(), 1u);
    Grid->SetDesigning(false);
}
