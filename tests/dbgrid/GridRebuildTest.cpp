// What the layout rebuild derives for the title row.

#include "DBGridTestFixture.h"

#include "db/TestDataSet.h"

#include <QFontMetrics>
#include <QImage>
#include <QWidget>

namespace {

struct RebuildFixture : DBGridFormFixture<TDBGridEh> {};

// A grid that notes whether it may paint while the rebuild sets its column widths, and can fail
// there once.
class TProbeGrid : public TDBGridEh {
    KVT_CLASS(TProbeGrid, TDBGridEh)
public:
    using TDBGridEh::TDBGridEh;
    bool PaintLockedWhileSizing = false;
    bool FailNextSizing = false;

protected:
    void UpdateColumnWidths() override {
        PaintLockedWhileSizing = IsPaintLocked();
        if (FailNextSizing) {
            FailNextSizing = false;
            throw Exception(QStringLiteral("sizing failed"));
        }
        TDBGridEh::UpdateColumnWidths();
    }
};

struct ProbeFixture : DBGridFormFixture<TProbeGrid> {};

} // namespace

// The title row is as high as the tallest title font asks, whichever column carries it, and
// shrinks back when that font does.
TEST_F(RebuildFixture, TitleRowFollowsTheTallestTitleFont) {
    UseTable(3);
    Pump();
    const int plain = Grid->RowHeights(0);
    TColumnEh* name = Grid->Columns()->Columns(1);
    name->Title()->Font()->SetSize(name->Title()->Font()->Size() * 3);
    Pump();
    const int big = QFontMetrics(name->Title()->Font()->ToQFont()).height();
    EXPECT_GE(Grid->RowHeights(0), big) << "the large title is not cut";
    EXPECT_GT(Grid->RowHeights(0), plain);
    EXPECT_EQ(Grid->TitleRowHeight(), Grid->RowHeights(0));
    name->Title()->Font()->SetSize(name->Title()->Font()->Size() / 3);
    Pump();
    EXPECT_EQ(Grid->RowHeights(0), plain);
}

// The grid does not paint while its layout is half built, and a rebuild that fails on the way
// leaves it able to paint again.
TEST_F(ProbeFixture, RebuildPaintsNothingHalfBuiltAndUnlocksOnFailure) {
    UseTable(5);
    Grid->SetFrozenCols(1);
    EXPECT_TRUE(Grid->PaintLockedWhileSizing);
    EXPECT_FALSE(Grid->IsPaintLocked());

    Grid->FailNextSizing = true;
    EXPECT_THROW(Grid->SetFrozenCols(2), Exception);
    EXPECT_FALSE(Grid->IsPaintLocked());
    // The next rebuild completes and the grid shows its rows again.
    Grid->SetFrozenCols(0);
    Pump();
    EXPECT_FALSE(Grid->IsPaintLocked());
    EXPECT_TRUE(Grid->CheckDataConsistency());
    const QImage shot = Grid->Widget()->grab().toImage();
    const TRect title = Grid->CellRect(2, 0);
    const TRect cell = Grid->CellRect(2, Grid->TopDataOffset());
    EXPECT_NE(shot.pixel(title.Left + 1, title.Top + 1), shot.pixel(cell.Left + 1, cell.Top + 1))
        << "the title and the data cells are painted";
}

// Cell sizes are the cells without their grid lines, with the lines shown or not: a cell set to
// a size is painted that size, and a column takes it as its width.
TEST_F(RebuildFixture, CellSizesLeaveTheLinesOut) {
    UseTable(5);
    for (const bool lines : {true, false}) {
        SCOPED_TRACE(lines ? "with lines" : "without lines");
        TDBGridOptions o = Grid->Options();
        if (lines)
            o += TDBGridOptions{dgColLines, dgRowLines};
        else
            o -= TDBGridOptions{dgColLines, dgRowLines};
        Grid->SetOptions(o);
        Pump();
        const int row = Grid->TopDataOffset() + 1;
        Grid->SetCellColWidths(2, 57);
        Grid->SetCellRowHeights(row, 31);
        Pump();
        EXPECT_EQ(Grid->GetCellColWidths(2), 57);
        EXPECT_EQ(Grid->GetCellRowHeights(row), 31);
        EXPECT_EQ(Grid->Columns()->Columns(1)->Width(), 57);
        const TRect cell = Grid->CellRect(2, row);
        EXPECT_EQ(cell.Width(), 57);
        EXPECT_EQ(cell.Height(), 31);
        const int line = lines ? Grid->GridLineWidth() : 0;
        EXPECT_EQ(Grid->CellRect(3, row).Left, cell.Right + line);
        EXPECT_EQ(Grid->CellRect(2, row + 1).Top, cell.Bottom + line);
    }
}

// The cell painters see the data grid's own cell record.
TEST_F(RebuildFixture, CellRecordIsTheDataGridsOwn) {
    EXPECT_EQ(Grid->GetCellParamsRecord()->ClassName(), QStringLiteral("TColCellParamsEh"));
}

// The title cell is as high as the title text; a height fixed by TitleLines or TitleHeight gets
// one pixel more when rows have lines.
TEST_F(RebuildFixture, TitleRowHeightWithAndWithoutRowLines) {
    UseTable(3);
    const QFontMetrics fm(Grid->TitleFont()->ToQFont());
    const struct {
        bool RowLines;
        int TitleLines, TitleHeight, Expected;
    } cases[] = {
        {true, 0, 0, fm.height() + Grid->Interlinear()},
        {false, 0, 0, fm.height() + Grid->Interlinear()},
        {true, 2, 5, 2 * fm.height() + fm.leading() + 2 + 5 + 1},
        {false, 2, 5, 2 * fm.height() + fm.leading() + 2 + 5},
        {true, 0, 30, 31},
        {false, 0, 30, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.RowLines << " " << c.TitleLines << " " << c.TitleHeight);
        TDBGridOptions o = Grid->Options();
        if (c.RowLines)
            o += dgRowLines;
        else
            o -= dgRowLines;
        Grid->SetOptions(o);
        Grid->SetTitleLines(c.TitleLines);
        Grid->SetTitleHeight(c.TitleHeight);
        Pump();
        EXPECT_EQ(Grid->RowHeights(0), c.Expected);
        EXPECT_EQ(Grid->TitleRowHeight(), c.Expected);
    }
}

// Switching the row lines takes the standard row height again at once, from RowHeight and
// RowLines when they are set, also while the rebuild waits for the layout lock.
TEST_F(RebuildFixture, RowLinesSwitchTakesTheStandardRowHeightAgain) {
    UseTable(3);
    const QFontMetrics fm(Grid->Font()->ToQFont());
    const int air = Grid->Flat() ? 1 : 3;
    const struct {
        int RowHeight;
        bool RowLines;
        int Expected;
    } cases[] = {
        {0, false, fm.height() + air},
        {0, true, fm.height() + air + Grid->GridLineWidth()},
        {30, false, 30},
        {30, true, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.RowHeight << " " << c.RowLines);
        Grid->SetRowHeight(c.RowHeight);
        TDBGridOptions with = Grid->Options(), without = Grid->Options();
        with += dgRowLines;
        without -= dgRowLines;
        // The other state first, so that the switch is a change.
        Grid->SetOptions(c.RowLines ? without : with);
        Grid->BeginLayout();
        Grid->SetOptions(c.RowLines ? with : without);
        EXPECT_EQ(Grid->StdDefaultRowHeight(), c.Expected);
        Grid->EndLayout();
        EXPECT_EQ(Grid->StdDefaultRowHeight(), c.Expected);
    }
}

// With whole rows selected a rebuild keeps the grid scrolled where it was, also when the row
// count taken again moves the current cell.
TEST_F(RebuildFixture, RowSelectKeepsTheLeftColumnOverARebuild) {
    auto* data = new TTestDataSet(Form);
    for (int c = 0; c < 8; ++c)
        data->FieldDefs()->Add(QStringLiteral("F%1").arg(c), ftString, 20);
    for (int r = 1; r <= 40; ++r) {
        std::vector<Variant> values;
        for (int c = 0; c < 8; ++c)
            values.emplace_back(QStringLiteral("%1.%2").arg(r).arg(c));
        data->AddRecord(values);
    }
    data->Open();
    Source->SetDataSet(data);
    Grid->SetDataSource(Source);
    for (int c = 0; c < 8; ++c)
        Grid->Columns()->Columns(c)->SetWidth(120);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgRowSelect});
    Pump();
    // The current record on the last shown row: taller rows leave fewer rows, and the current
    // cell moves up into the shorter grid.
    data->MoveBy(Grid->VisibleRowCount() - 1);
    Pump();
    Grid->SetLeftCol(Grid->FixedCols() + 3);
    Pump();
    const int left = Grid->LeftCol();
    ASSERT_GT(left, Grid->FixedCols());
    Grid->SetRowHeight(Grid->StdDefaultRowHeight() * 2);
    Pump();
    EXPECT_EQ(Grid->LeftCol(), left);
    EXPECT_TRUE(Grid->CheckDataConsistency());
}
