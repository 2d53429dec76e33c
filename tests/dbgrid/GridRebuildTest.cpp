// What the layout rebuild derives for the title row.

#include "DBGridTestFixture.h"

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
