// What the layout rebuild derives for the title row.

#include "DBGridTestFixture.h"

#include <QFontMetrics>

namespace {

struct RebuildFixture : DBGridFormFixture<TDBGridEh> {};

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
    name->Title()->Font()->SetSize(name->Title()->Font()->Size() / 3);
    Pump();
    EXPECT_EQ(Grid->RowHeights(0), plain);
}
