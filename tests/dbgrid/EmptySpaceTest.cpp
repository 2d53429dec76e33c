// The area under the last data row: the internal colour, and the column lines carried down
// through it in the style the grid's line parameters ask for.

#include "DBGridTestFixture.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdlib>

namespace {

class TEmptySpaceProbeGrid : public TDBGridEh {
public:
    using TDBGridEh::TDBGridEh;
    TColor RightBorderColor(int ACol, int ARow) {
        bool cover = false, drawn = false;
        TColor color = clNone;
        GetCellBorderParams(ACol, ARow, cbtRightEh, cover, color, drawn);
        return drawn ? color : clNone;
    }
};

QColor Rgb(TColor c) {
    const TColor rgb = ColorToRGB(c);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

struct EmptySpace : DBGridFormFixture<TEmptySpaceProbeGrid> {
    EmptySpace() : DBGridFormFixture(360, 300) {}
    void SetUp() override {
        DBGridFormFixture::SetUp();
        UseTable(3);
        Grid->Columns()->Columns(2)->SetColor(clYellow);
    }
    void Style(TDrawEmptySpaceStyle s) {
        Grid->GridLineParams()->SetVertEmptySpaceStyle(s);
        Pump();
    }
    QImage Grab(const QString& name) {
        Grid->Repaint();
        Pump();
        QImage img = Grid->Widget()->grab().toImage();
        EXPECT_TRUE(img.save(ScreenshotPath(name)));
        return img;
    }
    // The last row's cell in the grabbed image, which has the grid's border around the client.
    TRect LastRowCell(int col) {
        TRect r = Grid->CellRect(col, Grid->RowCount() - 1);
        const int frame = (Grid->Width() - Grid->ClientWidth()) / 2;
        r.Offset(frame, frame);
        return r;
    }
};

TEST_F(EmptySpace, LinesFollowTheColumnsInTheChosenStyle) {
    const int lastRow = Grid->RowCount() - 1;
    // Grid column 3 shows the yellow Qty column.
    const TRect c1 = LastRowCell(1), c3 = LastRowCell(3);
    ASSERT_GT(c3.Right, c3.Left);
    const int nearTop = c1.Bottom + 3;
    const int nearBottom = Grid->ClientHeight() - 3;
    ASSERT_GT(nearBottom, nearTop + 50) << "the grid needs room under its rows";
    const QColor internal = Rgb(Grid->Color());
    const QColor line1 = Rgb(Grid->RightBorderColor(1, lastRow));

    // Solid: one-pixel lines in the border colour all the way down, coloured columns filled.
    Style(dessSolidEh);
    EXPECT_TRUE(Grid->OptionsEh().Contains(dghExtendVertLines));
    QImage img = Grab(u"dbgrid_empty_space_solid"_qs);
    EXPECT_EQ(QColor(img.pixel(c1.Right, nearTop)), line1);
    EXPECT_EQ(QColor(img.pixel(c1.Right, nearBottom)), line1);
    EXPECT_EQ(QColor(img.pixel(c1.Right - 3, nearBottom)), internal);
    EXPECT_EQ(QColor(img.pixel(c3.Left + 3, nearBottom)), Rgb(clYellow));
    EXPECT_EQ(QColor(img.pixel(c3.Right + 3, nearBottom)), internal);

    // Gradient: the line starts in its colour and fades towards the internal colour.
    Style(dessGradiendEh);
    img = Grab(u"dbgrid_empty_space_gradient"_qs);
    EXPECT_EQ(QColor(img.pixel(c1.Right, c1.Bottom)), line1);
    const QColor low = QColor(img.pixel(c1.Right, nearBottom));
    EXPECT_LT(std::abs(low.lightness() - internal.lightness()),
              std::abs(line1.lightness() - internal.lightness()));

    // None: no lines and no column strips, the option follows the style.
    Style(dessNonEh);
    EXPECT_FALSE(Grid->OptionsEh().Contains(dghExtendVertLines));
    img = Grab(u"dbgrid_empty_space_none"_qs);
    EXPECT_EQ(QColor(img.pixel(c1.Right, nearBottom)), internal);
    EXPECT_EQ(QColor(img.pixel(c3.Left + 3, nearBottom)), internal);
}

} // namespace
