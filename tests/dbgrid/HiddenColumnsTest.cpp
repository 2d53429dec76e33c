// Hidden columns keep their cells: grid column i + IndicatorOffset is always Columns[i], a hidden
// column's cell having no width. The hit test, the current column, SelectedIndex, keyboard steps
// and the painted cells must all agree on that mapping.

#include "DBGridTestFixture.h"

#include <map>

namespace {

LPARAM At(int x, int y) {
    return LPARAM(MAKELONG(Word(x), Word(y)));
}

class HiddenColumnsTest : public DBGridFormFixture<TDBGridEh> {
protected:
    static constexpr int kCols = 5;

    void SetUp() override {
        DBGridFormFixture::SetUp();
        UseTextTable(kCols, 5, QStringLiteral("R%1C%2"), 70);
    }
    TColumnEh* Col(int i) { return Grid->Columns()->Columns(i); }
};

struct HiddenCase {
    const char* Name;
    int Hidden;
    bool Indicator;
    int Frozen;
};

} // namespace

TEST_F(HiddenColumnsTest, EveryCellShowsItsOwnColumn) {
    const HiddenCase cases[] = {
        {"first", 0, true, 0},  {"middle", 2, true, 0},  {"last", 4, true, 0},
        {"first", 0, false, 0}, {"middle", 2, false, 0}, {"last", 4, false, 0},
        {"frozen", 0, true, 2}, {"frozen", 1, false, 2}, {"after frozen", 2, true, 2},
    };
    for (const HiddenCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Name << " hidden " << c.Hidden << " indicator " << c.Indicator
                                        << " frozen " << c.Frozen);
        for (int i = 0; i < kCols; ++i)
            Col(i)->SetVisible(i != c.Hidden);
        TDBGridOptions o = Grid->Options();
        if (c.Indicator)
            o.Include(dgIndicator);
        else
            o.Exclude(dgIndicator);
        Grid->SetOptions(o);
        Grid->SetFrozenCols(c.Frozen);
        Grid->SetLeftCol(Grid->FixedCols());
        Pump();
        const int ind = Grid->IndicatorOffset();
        ASSERT_EQ(ind, c.Indicator ? 1 : 0);
        ASSERT_EQ(Grid->ColCount(), ind + kCols);
        EXPECT_LE(Grid->ColWidths(ind + c.Hidden), 0) << "the hidden column's cell has no width";
        EXPECT_TRUE(Grid->CheckDataConsistency());

        // What is painted in each cell, by data column.
        std::map<int, TColumnEh*> painted;
        Grid->OnDrawColumnCell =
            TDrawColumnEhCellEvent::Callable([&](TObject*, const TRect&, int DataCol, TColumnEh* Column,
                                                 TGridDrawState) { painted[DataCol] = Column; });
        Grid->Invalidate();
        Grid->Repaint();
        Pump();
        Grid->OnDrawColumnCell = TDrawColumnEhCellEvent();
        EXPECT_EQ(painted.count(c.Hidden), 0u) << "a hidden cell is never painted";

        for (int i = 0; i < kCols; ++i) {
            if (i == c.Hidden) continue;
            SCOPED_TRACE(i);
            EXPECT_EQ(painted[i], Col(i));
            // A click in the middle of the cell lands on the cell and selects that column.
            const TRect r = Grid->CellRect(ind + i, Grid->TopDataOffset());
            ASSERT_LT(r.Left, r.Right);
            const int x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
            EXPECT_EQ(Grid->MouseCoord(x, y).X, ind + i);
            const TPoint screen = Grid->ClientToScreen(TPoint(x, y));
            SetCursorPos(screen.X, screen.Y);
            Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
            Grid->Perform(WM_LBUTTONUP, 0, At(x, y));
            Pump();
            EXPECT_EQ(Grid->Col(), ind + i);
            EXPECT_EQ(Grid->SelectedIndex(), i);
            EXPECT_EQ(Grid->SelectedColumn(), Col(i));
            EXPECT_EQ(Grid->SelectedField(), Table->FieldByName(QStringLiteral("F%1").arg(i)));
        }
    }
}

TEST_F(HiddenColumnsTest, KeysAndSelectedIndexStepOverHiddenColumns) {
    Col(0)->SetVisible(false);
    Col(2)->SetVisible(false);
    Col(4)->SetVisible(false);
    Pump();
    const int ind = Grid->IndicatorOffset();

    Grid->SetSelectedIndex(3);
    EXPECT_EQ(Grid->Col(), ind + 3);
    Grid->SetSelectedIndex(2); // hidden: the current cell stays
    EXPECT_EQ(Grid->SelectedIndex(), 3);

    auto key = [&](Word k) {
        Grid->Perform(WM_KEYDOWN, k, 0);
        Pump();
    };
    key(VK_LEFT);
    EXPECT_EQ(Grid->SelectedIndex(), 1);
    key(VK_LEFT); // nothing shown further left
    EXPECT_EQ(Grid->SelectedIndex(), 1);
    key(VK_RIGHT);
    EXPECT_EQ(Grid->SelectedIndex(), 3);
    key(VK_HOME);
    EXPECT_EQ(Grid->SelectedIndex(), 1);
    key(VK_END);
    EXPECT_EQ(Grid->SelectedIndex(), 3);

    // Hiding the current column moves the current cell to a shown one.
    Col(3)->SetVisible(false);
    Pump();
    EXPECT_EQ(Grid->SelectedIndex(), 1);
    EXPECT_GT(Grid->ColWidths(Grid->Col()), 0);

    // A column found by its field maps back to its own cell.
    int col = -1, row = -1;
    Grid->GetBarCellCoord(Col(1), col, row);
    EXPECT_EQ(col, ind + 1);
    Grid->GetBarCellCoord(Col(2), col, row);
    EXPECT_EQ(col, ind + 2);
}
