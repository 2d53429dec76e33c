// The data grid's painting checked in pixels: right to left the picture is the mirror of the
// left-to-right one (lines, titles), and text highlights and cell images land on their text.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhRes.h"
#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/memtable/MemTableEh.h"

#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QScopeGuard>
#include <QWidget>

#include <functional>

namespace {

// Opens the row the indicator last painted as current.
class TPaintProbeGrid : public TDBGridEh {
    KVT_CLASS(TPaintProbeGrid, TDBGridEh)
public:
    using TDBGridEh::TDBGridEh;
    int SelRow() const { return FSelRow; }
};

struct PaintGrid : DBGridFormFixture<TPaintProbeGrid> {
    PaintGrid() : DBGridFormFixture(300, 280) {}

    QImage Grab(const QString& name) {
        Grid->Invalidate();
        Pump();
        QImage img = Grid->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(img.save(ScreenshotPath(name)));
        return img;
    }
    // The picture right to left, turned back so that it reads like the left-to-right one.
    QImage GrabMirrored(const QString& name) {
        Grid->SetBiDiMode(bdRightToLeft);
        Pump();
        EXPECT_TRUE(Grid->UseRightToLeftAlignment());
        return Grab(name).mirrored(true, false);
    }
    TColumnEh* Column(const char* name) {
        for (int i = 0; i < Grid->VisibleColumnCount(); ++i)
            if (Grid->VisibleColumn(i)->FieldName() == QLatin1String(name)) return Grid->VisibleColumn(i);
        return nullptr;
    }
    TRect Cell(const char* name, int DataRow) {
        return Grid->CellRect(Column(name)->Index() + Grid->IndicatorOffset(),
                              Grid->TopDataOffset() + DataRow);
    }
    // The client rectangle of the grid widget's picture (the border is not mirrored).
    TRect DeviceRect(const TRect& r, bool Mirrored) {
        const TPoint o = Grid->ClientOrigin();
        const TPoint w = Grid->Parent()->ClientToScreen(TPoint{Grid->Left(), Grid->Top()});
        const int dx = o.X - w.X, dy = o.Y - w.Y;
        if (!Mirrored) return TRect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
        const int cw = Grid->ClientWidth();
        return TRect(cw - r.Right + dx, r.Top + dy, cw - r.Left + dx, r.Bottom + dy);
    }
};

QRgb Rgb(TColor c) {
    const COLORREF v = COLORREF(ColorToRGB(c));
    return qRgb(GetRValue(v), GetGValue(v), GetBValue(v));
}

// The bounding box of the pixels in Area that Match accepts (empty when none).
TRect Box(const QImage& img, const TRect& Area, const std::function<bool(QRgb)>& Match) {
    TRect b(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    for (int y = Area.Top; y < Area.Bottom; ++y)
        for (int x = Area.Left; x < Area.Right; ++x)
            if (Match(img.pixel(x, y))) {
                b.Left = std::min(b.Left, x);
                b.Top = std::min(b.Top, y);
                b.Right = std::max(b.Right, x + 1);
                b.Bottom = std::max(b.Bottom, y + 1);
            }
    return b.Left == INT_MAX ? TRect() : b;
}

bool Dark(QRgb p) {
    return qGray(p) < 100;
}

// Right to left the lines between columns and rows stand where the left-to-right picture has
// them, in the same colour: not black, not one pixel off.
TEST_F(PaintGrid, RightToLeftLinesMirrorTheLeftToRightOnes) {
    UseTable(6);
    const QImage ltr = Grab("dbgrid_paint_ltr");
    const QImage rtl = GrabMirrored("dbgrid_paint_rtl");
    ASSERT_EQ(ltr.size(), rtl.size());
    const TRect data = DeviceRect(TRect(Grid->CellRect(1, Grid->TopDataOffset()).Left,
                                        Grid->CellRect(1, Grid->TopDataOffset()).Top,
                                        Grid->CellRect(Grid->ColCount() - 1, 0).Right,
                                        Grid->CellRect(1, Grid->TopDataOffset() + 5).Bottom),
                                  false);
    int lines = 0;
    for (int col = 1; col < Grid->ColCount(); ++col) {
        const int x = DeviceRect(Grid->CellRect(col, 1), false).Right; // the line right of the column
        for (int y = data.Top; y < data.Bottom; ++y) {
            ASSERT_EQ(rtl.pixel(x, y), ltr.pixel(x, y)) << "column line " << col << " at y " << y;
            ++lines;
        }
    }
    EXPECT_GT(lines, 0);
    for (int row = 0; row < 5; ++row) {
        const int y = DeviceRect(Grid->CellRect(1, Grid->TopDataOffset() + row), false).Bottom;
        for (int x = data.Left; x < data.Right; ++x)
            ASSERT_EQ(rtl.pixel(x, y), ltr.pixel(x, y)) << "row line " << row << " at x " << x;
    }
}

// A title too narrow for its caption shows the caption's beginning in both directions.
TEST_F(PaintGrid, RightToLeftNarrowTitleKeepsTheBeginningOfItsCaption) {
    UseTable(3);
    TColumnEh* id = Column("ID");
    id->Title()->SetCaption(QStringLiteral("Identifier"));
    id->SetWidth(34);
    Pump();
    const TRect title = DeviceRect(Grid->CellRect(id->Index() + Grid->IndicatorOffset(), 0), false);
    const QImage ltr = Grab("dbgrid_paint_narrow_title_ltr");
    const QImage rtl = GrabMirrored("dbgrid_paint_narrow_title_rtl");
    const TRect inkL = Box(ltr, title, Dark), inkR = Box(rtl, title, Dark);
    ASSERT_FALSE(inkL.IsEmpty());
    ASSERT_FALSE(inkR.IsEmpty());
    // Mirrored back, the text is drawn the other way round: compare it column for column from
    // the side where the caption starts.
    const QImage a = ltr.copy(inkL.Left, title.Top, 8, title.Height());
    const QImage b = rtl.copy(inkR.Right - 8, title.Top, 8, title.Height()).mirrored(true, false);
    EXPECT_EQ(a, b);
}

// Search matches are painted over the text where it stands, also right to left.
TEST_F(PaintGrid, HighlightedTextCoversTheMatchInBothDirections) {
    UseTable(4);
    TGridHighlightTextParamsEh hl;
    hl.SetText(QStringLiteral("Name"));
    hl.ColumnsList()->Add(Column("Name"));
    Grid->AddHighlightTextParams(&hl);
    // Cells are measured left to right; the right-to-left picture is turned back to compare.
    const TRect cell = DeviceRect(Cell("Name", 1), false);
    const QImage ltr = Grab("dbgrid_paint_highlight_ltr");
    const QImage rtl = GrabMirrored("dbgrid_paint_highlight_rtl");
    for (bool mirrored : {false, true}) {
        const QImage& img = mirrored ? rtl : ltr;
        const TRect hlBox = Box(img, cell, [](QRgb p) { return p == Rgb(SearchHighlightColor); });
        const TRect ink = Box(img, cell, Dark);
        ASSERT_FALSE(hlBox.IsEmpty()) << mirrored;
        ASSERT_FALSE(ink.IsEmpty()) << mirrored;
        // "Name" starts the text "Name 2": the box holds the text's first glyph, not its last
        // (turned back, the text's first glyph is its rightmost ink).
        // A few pixels of glyph bearing and margin aside.
        if (!mirrored) {
            EXPECT_LE(hlBox.Left, ink.Left + 3);
            EXPECT_LT(hlBox.Right, ink.Right - 3);
        } else {
            EXPECT_GE(hlBox.Right, ink.Right - 3) << "mirrored";
            EXPECT_GT(hlBox.Left, ink.Left + 3) << "mirrored";
        }
    }
    Grid->RemoveHighlightTextParams(&hl);
}

// The characters the in-place search matched are shown in the match colours at the start of
// the current cell's text.
TEST_F(PaintGrid, InplaceSearchMatchMarksTheTypedBeginning) {
    UseTable(4);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghIncSearch});
    Grid->SetSelectedIndex(Column("Name")->Index());
    Grid->SetFocus();
    Pump();
    Grid->StartInplaceSearch(String(), 100000, ltdAllEh);
    for (QChar ch : QStringLiteral("Name 3"))
        Grid->Perform(WM_CHAR, ch.unicode(), 0);
    ASSERT_EQ(Table->RecNo(), 3);
    ASSERT_TRUE(Grid->InplaceSearching());
    Grid->Perform(WM_KEYDOWN, VK_BACK, 0); // "Name ": the digit stays unmarked
    ASSERT_EQ(Grid->InplaceSearchText(), QStringLiteral("Name "));
    const QImage img = Grab("dbgrid_paint_inplace_match");
    const TRect cell = DeviceRect(Cell("Name", 2), false);
    const TRect match = Box(img, cell, [](QRgb p) { return p == Rgb(InplaceSearchMatchColor); });
    const TRect ink = Box(img, cell, Dark);
    ASSERT_FALSE(match.IsEmpty());
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_LE(match.Left, ink.Left);
    EXPECT_LT(match.Right, cell.Right - 10); // the digit after the typed text stays unmarked
    // Another row's cell shows no match.
    EXPECT_TRUE(Box(img, DeviceRect(Cell("Name", 1), false), [](QRgb p) {
                    return p == Rgb(InplaceSearchMatchColor);
                }).IsEmpty());
}

// A tree's outline right to left is the mirror of the left-to-right one: the slots stand at the
// start of the first column (its right end) and the signs and lines are turned round with them.
TEST_F(PaintGrid, RightToLeftTreeOutlineMirrorsTheLeftToRightOne) {
    UseTree();
    Table->Last(); // the current row's highlight stays out of the compared rows
    Pump();
    const TRect first = DeviceRect(Grid->CellRect(Grid->IndicatorOffset(), Grid->TopDataOffset()), false);
    const TRect last = DeviceRect(Grid->CellRect(Grid->IndicatorOffset(), Grid->TopDataOffset() + 4), false);
    const TRect area(first.Left, first.Top, first.Left + 18, last.Bottom); // the first level's slots
    const QImage ltr = Grab("dbgrid_paint_tree_ltr");
    const QImage rtl = GrabMirrored("dbgrid_paint_tree_rtl");
    // Turned back, the outline stands where the left-to-right one does (its dots may differ).
    auto ink = [&](const QImage& img) { return Box(img, area, [](QRgb p) { return qGray(p) < 200; }); };
    EXPECT_FALSE(ink(ltr).IsEmpty());
    EXPECT_FALSE(ink(rtl).IsEmpty());
}

// ---------------------------------------------------------------------------------------------
// The indicator

// Whether every opaque pixel of image Index of List stands at (X, Y) of the picture.
::testing::AssertionResult ShowsImage(const QImage& img, TCustomImageList* List, int Index, int X, int Y) {
    const QImage want = List->Image(Index);
    // The ground under the picture, where the picture is transparent.
    QRgb ground = 0;
    bool haveGround = false;
    for (int y = 0; y < want.height() && !haveGround; ++y)
        for (int x = 0; x < want.width() && !haveGround; ++x)
            if (qAlpha(want.pixel(x, y)) == 0) {
                ground = img.pixel(X + x, Y + y);
                haveGround = true;
            }
    int inked = 0;
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x) {
            const QRgb w = want.pixel(x, y);
            const int a = qAlpha(w);
            if (a == 0) continue;
            ++inked;
            // A partly transparent pixel is the picture blended over the ground.
            auto mix = [&](int Ink, int Ground) { return (Ink * a + Ground * (255 - a)) / 255; };
            const QRgb got = img.pixel(X + x, Y + y);
            const int d = std::abs(qRed(got) - mix(qRed(w), qRed(ground))) +
                          std::abs(qGreen(got) - mix(qGreen(w), qGreen(ground))) +
                          std::abs(qBlue(got) - mix(qBlue(w), qBlue(ground)));
            if (d > (a == 255 ? 0 : 24))
                return ::testing::AssertionFailure() << "image " << Index << " differs at " << x << "," << y;
        }
    if (inked == 0) return ::testing::AssertionFailure() << "image " << Index << " is empty";
    return ::testing::AssertionSuccess();
}

// The current row's indicator shows the picture of its state: from the indicator list without
// themes, the shared button pictures for editing and inserting with themes. The picture stands
// centred in the 11 pixels at the cell's right.
TEST_F(PaintGrid, IndicatorPictureFollowsTheRowState) {
    const bool themes = ThemesInUse();
    const auto restore = qScopeGuard([&] { SetThemesInUse(themes); });
    UseTable(5);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect});
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghIncSearch});
    Grid->SetFocus();
    struct Case {
        const char* Name;
        bool Themes;
        std::function<void()> Enter;
        bool FromRes;
        int Image;
    };
    const Case cases[] = {
        {"browse", false, [] {}, false, 0},
        {"selected", false, [&] { Grid->SelectedRows()->SetCurrentRowSelected(true); }, false, 5},
        {"edit", false, [&] { Table->Edit(); }, false, 1},
        {"insert", false, [&] { Table->Insert(); }, false, 2},
        {"search", false, [&] { Grid->StartInplaceSearch(String(), 100000, ltdAllEh); }, false, 6},
        {"edit_themed", true, [&] { Table->Edit(); }, true, 6},
        {"insert_themed", true, [&] { Table->Insert(); }, true, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetThemesInUse(c.Themes);
        Table->SetRecNo(3);
        c.Enter();
        Pump();
        const QImage img = Grab(QStringLiteral("dbgrid_indicator_%1").arg(QLatin1String(c.Name)));
        const TRect cell = DeviceRect(Grid->CellRect(0, Grid->Row()), false);
        if (c.FromRes) {
            TImageList* res = DBGridEhRes()->IMList10;
            EXPECT_TRUE(ShowsImage(img, res, c.Image, (2 * cell.Right - 11 - res->Width()) / 2,
                                   (cell.Top + cell.Bottom - res->Height()) / 2 + 1));
        } else {
            TCustomImageList* list = IndicatorImageList();
            EXPECT_TRUE(ShowsImage(img, list, c.Image, (2 * cell.Right - 11 - list->Width()) / 2 + 1,
                                   (cell.Top + cell.Bottom - list->Height()) / 2));
        }
        if (Grid->InplaceSearching()) Grid->StopInplaceSearch();
        if (Table->State() != dsBrowse) Table->Cancel();
        Grid->SelectedRows()->Clear();
    }
}

// The searching arrow is the white arrow drawn in the match colour; a match colour equal to the
// white arrow's key colour is taken a shade off so that the arrow does not vanish. Making it
// again replaces the old one.
TEST_F(PaintGrid, SearchArrowTakesTheMatchColour) {
    const TColor saved = InplaceSearchMatchColor;
    TCustomImageList* list = IndicatorImageList();
    const auto restore = qScopeGuard([&] {
        InplaceSearchMatchColor = saved;
        AddSearchArrowImage(list);
    });
    ASSERT_EQ(list->Count(), 7);
    const struct {
        TColor Match;
        QRgb Arrow;
    } cases[] = {{clYellow, qRgb(255, 255, 0)}, {TColor(0x808000), qRgb(0, 127, 127)}, {clRed, qRgb(255, 0, 0)}};
    for (const auto& c : cases) {
        InplaceSearchMatchColor = c.Match;
        AddSearchArrowImage(list);
        EXPECT_EQ(list->Count(), 7);
        // The arrow's pixels, and only they, are opaque, in the arrow colour.
        const QImage white = list->Image(5), search = list->Image(6);
        for (int y = 0; y < white.height(); ++y)
            for (int x = 0; x < white.width(); ++x) {
                ASSERT_EQ(qAlpha(search.pixel(x, y)), qAlpha(white.pixel(x, y))) << x << "," << y;
                if (qAlpha(search.pixel(x, y)) == 255) {
                    ASSERT_EQ(search.pixel(x, y) & 0xFFFFFF, c.Arrow & 0xFFFFFF);
                }
            }
    }
}

// The row painted as current is remembered also when the indicator shows no arrow (only record
// numbers): moving away repaints it.
TEST_F(PaintGrid, CurrentIndicatorRowIsRememberedWithOrWithoutArrow) {
    UseTable(6);
    for (bool arrow : {true, false}) {
        SCOPED_TRACE(arrow);
        Grid->SetIndicatorOptions(arrow ? TDBGridEhIndicatorOptions{gioShowRowIndicatorEh, gioShowRecNoEh}
                                        : TDBGridEhIndicatorOptions{gioShowRecNoEh});
        ASSERT_EQ(Grid->IndicatorOffset(), 1);
        Table->SetRecNo(arrow ? 2 : 4);
        Grab(QStringLiteral("dbgrid_indicator_selrow_%1").arg(arrow));
        EXPECT_EQ(Grid->SelRow(), Grid->Row());
    }
}

} // namespace
