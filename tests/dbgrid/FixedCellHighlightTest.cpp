// Highlighted cells: the style's colouring of data cells under a selection and the search panel,
// the indicator column under a selection (checked in pixels), and the record count under the
// data.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhFilter.h"
#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/tools/ToolCtrlsEh.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

namespace {

// Opens the border answer to the tests.
class THighlightProbeGrid : public TDBGridEh {
    KVT_CLASS(THighlightProbeGrid, TDBGridEh)
public:
    using TCustomDBGridEh::GetCellBorderParams;
    using TDBGridEh::TDBGridEh;
};

struct HighlightGrid : DBGridFormFixture<THighlightProbeGrid> {
    HighlightGrid() : DBGridFormFixture(300, 280) {}

    QImage Grab(const QString& name) {
        Grid->Invalidate();
        Pump();
        QImage img = Grid->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(img.save(ScreenshotPath(name)));
        return img;
    }
    // A cell rectangle in the picture's coordinates (the picture includes the border).
    TRect Device(const TRect& r) {
        const TPoint o = Grid->ClientOrigin();
        const TPoint w = Grid->Parent()->ClientToScreen(TPoint{Grid->Left(), Grid->Top()});
        return TRect(r.Left + o.X - w.X, r.Top + o.Y - w.Y, r.Right + o.X - w.X, r.Bottom + o.Y - w.Y);
    }
    // The colour a few pixels in from the cell's top-left corner, clear of edges and glyphs.
    QRgb Inside(const QImage& img, int ACol, int ARow) {
        const TRect r = Device(Grid->CellRect(ACol, ARow));
        return img.pixel(r.Left + 3, r.Top + 3);
    }
    // The number of dark pixels in a cell.
    int Ink(const QImage& img, int ACol, int ARow) {
        const TRect r = Device(Grid->CellRect(ACol, ARow));
        int n = 0;
        for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
            for (int x = r.Left + 1; x < r.Right - 1; ++x)
                if (qGray(img.pixel(x, y)) < 100) ++n;
        return n;
    }
};

// The focused row's highlight of the whole row holds only while nothing is selected.
TEST_F(HighlightGrid, RowHighlightYieldsToASelection) {
    UseTable(5);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghRowHighlight});
    Grid->SetFocus();
    Pump();
    ASSERT_TRUE(Grid->Focused());
    TDBGridEhStyle& style = *Grid->Style();
    const int row = Grid->Row();
    const int other = Grid->SelectedIndex() == 0 ? 1 : 0; // a column that is not the current one
    TColor color = clWindow;
    EXPECT_TRUE(style.HighlightDataCellColors(Grid, other + 1, nullptr, color, false, TGridDrawState{},
                                              row - Grid->TopDataOffset(), other, row));
    Grid->Selection()->SelectAll();
    ASSERT_EQ(Grid->Selection()->SelectionType(), gstAll);
    color = clWindow;
    EXPECT_FALSE(style.HighlightDataCellColors(Grid, other + 1, nullptr, color, false, TGridDrawState{},
                                               row - Grid->TopDataOffset(), other, row));
}

// While the search panel is active its found column stands out on the current row in a tint
// between the selection and the inactive selection colours; other columns do not.
TEST_F(HighlightGrid, SearchPanelTintsItsFoundColumnOnTheCurrentRow) {
    UseTable(5);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgRowSelect});
    Grid->SetFocus();
    Pump();
    TDBGridEhStyle& style = *Grid->Style();
    const int row = Grid->Row();
    const int dataRow = row - Grid->TopDataOffset();
    TColor color = clWindow;
    EXPECT_TRUE(
        style.HighlightDataCellColors(Grid, 2, nullptr, color, true, TGridDrawState{}, dataRow, 1, row));
    EXPECT_EQ(color, style.GetSelectionColor());

    TDBGridSearchPanelEh* sp = Grid->SearchPanel();
    sp->SetLocation(splExternal);
    sp->SetActive(true);
    sp->StoreFoundColumnIndex(1);
    ASSERT_TRUE(sp->Active());
    const TColor found =
        InterpolateColor(style.GetSelectionColor(), style.GetSelectionInactiveColor(), 170.67);
    color = clWindow;
    EXPECT_TRUE(
        style.HighlightDataCellColors(Grid, 2, nullptr, color, true, TGridDrawState{}, dataRow, 1, row));
    EXPECT_EQ(color, found);
    color = clWindow;
    EXPECT_TRUE(
        style.HighlightDataCellColors(Grid, 1, nullptr, color, true, TGridDrawState{}, dataRow, 0, row));
    EXPECT_NE(color, found);
    EXPECT_NE(color, style.GetSelectionColor());
}

// Selecting everything highlights the whole indicator column with its title; a selected record
// highlights its own indicator cell only. (Under visual themes the theme paints the selected
// look, so the pictures are compared with each other rather than with one colour.)
TEST_F(HighlightGrid, IndicatorCellsShowTheSelection) {
    UseTable(5);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect});
    const int top = Grid->TopDataOffset();

    QImage img = Grab("dbgrid_indicator_plain");
    const QRgb plainRow = Inside(img, 0, top + 2);
    const QRgb plainTitle = Inside(img, 0, 0);

    Grid->Selection()->SelectAll();
    img = Grab("dbgrid_indicator_select_all");
    const QRgb selectedRow = Inside(img, 0, top + 2);
    EXPECT_NE(selectedRow, plainRow);
    EXPECT_NE(Inside(img, 0, 0), plainTitle);
    for (int r = 1; r < 5; ++r) // row 0 is the current one, drawn a shade darker under themes
        EXPECT_EQ(Inside(img, 0, top + r), selectedRow) << "row " << r;

    Grid->Selection()->Clear();
    Table->SetRecNo(3);
    Grid->SelectedRows()->SetCurrentRowSelected(true);
    Table->First();
    Pump();
    ASSERT_EQ(Grid->Selection()->SelectionType(), gstRecordBookmarks);
    img = Grab("dbgrid_indicator_selected_record");
    EXPECT_EQ(Inside(img, 0, top + 2), selectedRow);
    EXPECT_EQ(Inside(img, 0, top + 1), plainRow);
    EXPECT_EQ(Inside(img, 0, 0), plainTitle);
}

// The record count under the indicator stands in the first footer row.
TEST_F(HighlightGrid, RecordCountStandsInTheFirstFooterRow) {
    UseTable(12);
    Grid->SetFooterRowCount(1);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghShowRecNo});
    Pump();
    EXPECT_GT(Ink(Grab("dbgrid_record_count_footer"), 0, Grid->RowCount()), 0);
}

// A check-box cell shows its record's value: ticked and clear boxes differ.
TEST_F(HighlightGrid, CheckBoxCellsShowTheirValue) {
    Table = Create<TMemTableEh>(Form);
    Table->FieldDefs()->Add(QStringLiteral("Done"), ftBoolean);
    Table->CreateDataSet();
    for (bool v : {true, false, true})
        Table->AppendRecord({Variant(v)});
    Table->First();
    Source->SetDataSet(Table);
    Grid->SetDataSource(Source);
    Grid->Columns()->Columns(0)->SetCheckboxes(true);
    Grid->Columns()->Columns(0)->SetWidth(60);
    Pump();
    const int top = Grid->TopDataOffset();
    const QImage img = Grab("dbgrid_checkbox_cells");
    const int ticked = Ink(img, 1, top + 2);
    const int clear = Ink(img, 1, top + 1);
    EXPECT_GT(ticked, clear);
}

// A selected column shows its selection in its footer as in its title.
TEST_F(HighlightGrid, FooterOfASelectedColumnIsHighlighted) {
    UseTable(5);
    Grid->SetFooterRowCount(1);
    Grid->SetAllowedSelections(Grid->AllowedSelections() + TDBGridEhAllowedSelections{gstColumns});
    Pump();
    const int footer = Grid->RowCount();
    QImage img = Grab("dbgrid_footer_plain");
    const QRgb plain = Inside(img, 2, footer);
    Grid->Selection()->Columns()->Select(Grid->Columns()->Columns(1), false);
    ASSERT_EQ(Grid->Selection()->SelectionType(), gstColumns);
    img = Grab("dbgrid_footer_selected_column");
    EXPECT_NE(Inside(img, 2, footer), plain);
    EXPECT_EQ(Inside(img, 3, footer), plain);
}

// The filter row under the titles draws its lines in its own colours; a filter button that
// always shows keeps its room in the header leaf.
TEST_F(HighlightGrid, FilterRowLinesAndFilterButtonRoom) {
    UseTable(3);
    TSTDBGridEhFilter* f = Grid->STFilter();
    f->SetVisible(true);
    f->SetLocation(stflUnderTitleFilterEh);
    f->SetHorzLineColor(clRed);
    f->SetVertLineColor(clBlue);
    Pump();
    const int filterRow = Grid->TopDataOffset() - 1;
    bool cover = false;
    TColor color = clNone;
    bool drawn = false;
    Grid->GetCellBorderParams(1, filterRow, cbtBottomEh, cover, color, drawn);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(color, clRed);
    Grid->GetCellBorderParams(1, filterRow, cbtRightEh, cover, color, drawn);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(color, clBlue);

    // The header tree is rebuilt on the next layout (here: multi-level titles switched on).
    f->SetLocation(stflInTitleFilterEh);
    f->SetFilterButtonDrawTime(fbdtWhenCellHotEh);
    Grid->TitleParams()->SetMultiTitle(true);
    Pump();
    TColumnEh* col = Grid->Columns()->Columns(1);
    ASSERT_GT(col->GetFilterButtonAreaWidth(), 0);
    ASSERT_EQ(Grid->LeafFieldArr().size(), size_t(Grid->Columns()->Count()));
    EXPECT_EQ(Grid->LeafFieldArr()[1].FLeaf->WIndent, 0);
    f->SetFilterButtonDrawTime(fbdtAlwaysEh);
    Grid->TitleParams()->SetMultiTitle(false);
    Grid->TitleParams()->SetMultiTitle(true);
    Pump();
    EXPECT_EQ(Grid->LeafFieldArr()[1].FLeaf->WIndent, col->GetFilterButtonAreaWidth());
}

} // namespace
