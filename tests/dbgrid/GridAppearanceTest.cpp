// The data grid's look: the shared style, the appearance objects and their actual values, cell
// borders, multi-level titles, footers, the loading overlay and the empty-data text.

#include "DBGridTestFixture.h"
#include "db/TestDataSet.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/memtable/MemTableEh.h"
#include "lib/tools/ToolCtrlsEh.h"

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <gtest/gtest.h>

#include <cstring>

#include <QFontMetrics>
#include <QImage>
#include <QScopeGuard>
#include <QWidget>

namespace {

// Opens the protected painters' answers to the tests.
class TProbeGrid : public TDBGridEh {
    KVT_CLASS(TProbeGrid, TDBGridEh)
public:
    using TCustomDBGridEh::GetCellBorderParams;
    using TCustomDBGridEh::IsFixedStyleCell;
    using TCustomDBGridEh::RecNoText;
    using TDBGridEh::TDBGridEh;
    bool CanHotTrackCellProbe(int ACol, int ARow) { return CanHotTrackCell(ACol, ARow); }
};

// A form 300 high with a grid 280 high; UseTable's rows are named "Имя <n>".
struct Appearance : DBGridFormFixture<TProbeGrid> {
    Appearance() : DBGridFormFixture(300, 280) {}

    void UseTable(int N) { DBGridFormFixture::UseTable(N, QStringLiteral("Имя %1")); }
    QImage Grab(const QString& name) {
        Grid->Repaint();
        Pump();
        QImage img = Grid->Widget()->grab().toImage();
        EXPECT_TRUE(img.save(ScreenshotPath(name)));
        return img;
    }
    // A cell rectangle in the picture's coordinates (the picture includes the border).
    TRect Device(const TRect& r) {
        const TPoint o = Grid->ClientOrigin();
        const TPoint w = Grid->Parent()->ClientToScreen(TPoint{Grid->Left(), Grid->Top()});
        return TRect(r.Left + o.X - w.X, r.Top + o.Y - w.Y, r.Right + o.X - w.X, r.Bottom + o.Y - w.Y);
    }
    // The rows of the cell that hold dark pixels, from the cell's top.
    std::vector<int> InkRows(const QImage& img, int ACol, int ARow) {
        const TRect r = Device(Grid->CellRect(ACol, ARow));
        std::vector<int> rows;
        for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
            for (int x = r.Left + 2; x < r.Right - 2; ++x)
                if (qGray(img.pixel(x, y)) < 110) {
                    rows.push_back(y - r.Top);
                    break;
                }
        return rows;
    }
};

using TUnnumberedDataSet = TUnsequencedTestDataSet;

// ---------------------------------------------------------------------------------------------
// Appearance objects

TEST_F(Appearance, StoredPropertiesFollowTheGridUntilAssigned) {
    TDBGridTitleParamsEh* tp = Grid->TitleParams();
    EXPECT_TRUE(tp->VertLines());
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgColLines});
    EXPECT_FALSE(tp->VertLines());
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgColLines});
    tp->SetVertLines(false);
    EXPECT_TRUE(tp->VertLinesStored());
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgColLines});
    EXPECT_FALSE(tp->VertLines());
    tp->SetVertLinesStored(false);
    EXPECT_TRUE(tp->VertLines());

    // Assigning the value the default reads as still marks it stored; it no longer follows.
    EXPECT_FALSE(tp->ColorStored());
    tp->SetColor(Grid->FixedColor());
    EXPECT_TRUE(tp->ColorStored());
    Grid->SetFixedColor(clYellow);
    EXPECT_NE(tp->Color(), clYellow);
    EXPECT_EQ(Grid->IndicatorParams()->Color(), clYellow);
    // Storing the flag copies the current default into the value.
    tp->SetSecondColorStored(true);
    EXPECT_EQ(tp->SecondColor(), Grid->Color());

    // Footers read clDefault as the grid's Color, not FixedColor; line colours as the dark one.
    EXPECT_EQ(Grid->FooterParams()->Color(), clDefault);
    EXPECT_EQ(Grid->FooterParams()->GetColor(), Grid->Color());
    EXPECT_EQ(Grid->FooterParams()->GetVertLineColor(), Grid->GridLineColors()->GetDarkColor());
    Grid->SetFooterColor(clAqua);
    EXPECT_EQ(Grid->FooterParams()->GetColor(), clAqua);

    EXPECT_EQ(Grid->TitleParams()->VTitleMargin(), 10);
    EXPECT_EQ(Grid->IndicatorParams()->RecNoShowStep(), 1);
    EXPECT_EQ(Grid->TreeViewParams()->GetActualGlyphStyle(), ThemesInUse() ? tvgsThemedEh : tvgsClassicEh);
}

TEST_F(Appearance, TitleAndFooterFontsFollowTheGridFont) {
    TDBGridTitleParamsEh* tp = Grid->TitleParams();
    Grid->Font()->SetSize(14);
    Pump();
    EXPECT_TRUE(tp->ParentFont());
    EXPECT_EQ(tp->Font()->Size(), 14);
    EXPECT_EQ(Grid->FooterParams()->Font()->Size(), 14);
    EXPECT_EQ(Grid->EmptyDataInfo()->Font()->Size(), 14);
    EXPECT_EQ(Grid->EmptyDataInfo()->Font()->Color(), clGray);

    tp->Font()->SetSize(9);
    EXPECT_FALSE(tp->ParentFont());
    Grid->Font()->SetSize(16);
    Pump();
    EXPECT_EQ(tp->Font()->Size(), 9);
    tp->SetParentFont(true);
    EXPECT_EQ(tp->Font()->Size(), 16);

    // The empty-data font stops following once it is changed directly.
    Grid->EmptyDataInfo()->Font()->SetSize(20);
    EXPECT_FALSE(Grid->EmptyDataInfo()->ParentFont());
    Grid->Font()->SetSize(10);
    Pump();
    EXPECT_EQ(Grid->EmptyDataInfo()->Font()->Size(), 20);
}

struct FillCase {
    TGridCellFillStyleEh Style;
    bool Themes;
    bool Flat;
    bool Fixed3D;
    bool Gradient; // the style's GradientEnabledInClassicTheme
    TGridCellFillStyleEh Title, Indicator, Footer;
};

TEST_F(Appearance, ActualFillStylesFollowThemesFlatnessAndOptions) {
    const bool themes = ThemesInUse();
    const auto restore = qScopeGuard([&] {
        SetThemesInUse(themes);
        DefaultGridStyle()->SetGradientEnabledInClassicTheme(false);
    });
    // Footers take dghFooter3D where the titles take dghFixed3D; both options move together here.
    const FillCase cases[] = {
        {cfstDefaultEh, true, false, true, false, cfstThemedEh, cfstThemedEh, cfstThemedEh},
        {cfstDefaultEh, true, true, true, false, cfstGradientEh, cfstGradientEh, cfstGradientEh},
        {cfstDefaultEh, false, true, true, false, cfstSolidEh, cfstSolidEh, cfstGradientEh},
        {cfstDefaultEh, false, false, true, false, cfstSolidEh, cfstSolidEh, cfstSolidEh},
        {cfstDefaultEh, true, false, false, false, cfstSolidEh, cfstSolidEh, cfstSolidEh},
        {cfstThemedEh, false, false, true, false, cfstSolidEh, cfstThemedEh, cfstThemedEh},
        {cfstThemedEh, false, false, true, true, cfstGradientEh, cfstThemedEh, cfstThemedEh},
        {cfstGradientEh, false, false, true, false, cfstSolidEh, cfstSolidEh, cfstSolidEh},
        {cfstGradientEh, false, false, true, true, cfstGradientEh, cfstGradientEh, cfstGradientEh},
        {cfstSolidEh, true, false, true, false, cfstSolidEh, cfstSolidEh, cfstSolidEh},
    };
    for (const FillCase& c : cases) {
        SetThemesInUse(c.Themes);
        DefaultGridStyle()->SetGradientEnabledInClassicTheme(c.Gradient);
        Grid->SetFlat(c.Flat);
        TDBGridEhOptions o = Grid->OptionsEh() - TDBGridEhOptions{dghFixed3D, dghFooter3D};
        if (c.Fixed3D) o += TDBGridEhOptions{dghFixed3D, dghFooter3D};
        Grid->SetOptionsEh(o);
        Grid->TitleParams()->SetFillStyle(c.Style);
        Grid->IndicatorParams()->SetFillStyle(c.Style);
        Grid->FooterParams()->SetFillStyle(c.Style);
        const int line = int(&c - cases);
        EXPECT_EQ(Grid->TitleParams()->GetActualFillStyle(), c.Title) << "case " << line;
        EXPECT_EQ(Grid->IndicatorParams()->GetActualFillStyle(), c.Indicator) << "case " << line;
        EXPECT_EQ(Grid->FooterParams()->GetActualFillStyle(), c.Footer) << "case " << line;
    }
}

TEST_F(Appearance, LineParamsAndBackgroundAreas) {
    TDBGridLineParamsEh* lines = Grid->GridLineParams();
    ASSERT_NE(lines, nullptr);
    EXPECT_TRUE(lines->DataVertLines());
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgColLines});
    EXPECT_FALSE(lines->DataVertLines());

    EXPECT_TRUE(Grid->OptionsEh().Contains(dghExtendVertLines));
    lines->SetVertEmptySpaceStyle(dessNonEh);
    EXPECT_FALSE(Grid->OptionsEh().Contains(dghExtendVertLines));
    EXPECT_FALSE(Grid->BaseOptions().Contains(goExtendVertLines));
    lines->SetVertEmptySpaceStyle(dessSolidEh);
    EXPECT_TRUE(Grid->OptionsEh().Contains(dghExtendVertLines));

    // The colour scheme follows the titles' look unless it is set.
    EXPECT_EQ(lines->GetActualColorScheme(), Grid->TitleParams()->GetActualFillStyle() == cfstThemedEh
                                                 ? glcsThemedEh
                                             : ThemesInUse() || Grid->Flat() ? glcsFlatEh
                                                                             : glcsClassicEh);
    lines->SetColorScheme(glcsClassicEh);
    EXPECT_EQ(lines->GetActualColorScheme(), glcsClassicEh);

    UseTable(3);
    TDBGridBackgroundDataEh* bg = Grid->DBBackgroundData();
    ASSERT_NE(bg, nullptr);
    TGridDrawInfoEh di;
    Grid->CalcDrawInfo(di);
    TRect whole;
    bg->BoundRect(di, whole);
    bg->SetExcludeTitle(true);
    bg->SetExcludeIndicator(true);
    TRect data;
    bg->BoundRect(di, data);
    EXPECT_EQ(data.Top, whole.Top + di.Vert.FixedBoundary);
    EXPECT_EQ(data.Left, whole.Left + di.Horz.NoFrozenBoundary);
}

// ---------------------------------------------------------------------------------------------
// Style

TEST_F(Appearance, NewStyleDefaultsAndSortMarkerSizes) {
    TDBGridEhStyle style;
    EXPECT_EQ(style.GetSelectionColor(), clHighlight);
    EXPECT_EQ(style.GetSelectionFontColor(), clHighlightText);
    EXPECT_EQ(style.GetSelectionInactiveColor(), ColorToGray(clHighlight));
    EXPECT_EQ(style.GetDataCellHorzOffset(Grid, nullptr), 3);
    EXPECT_EQ(style.StartLoadingStatusRenderDuration(), 300);
    EXPECT_EQ(style.FinishLoadingStatusRenderDuration(), 500);
    const std::pair<TSortMarkerStyleEh, TSize> sizes[] = {
        {smstDefaultEh, TSize(7, 8)}, {smstFrameEh, TSize(7, 8)},   {smstSolidEh, TSize(9, 5)},
        {smstClassicEh, TSize(8, 7)}, {smst3DFrameEh, TSize(8, 7)}, {smstThemeDefinedEh, TSize(-1, -1)}};
    for (const auto& [s, expected] : sizes) {
        TSize size;
        style.GetSortMarkerSize(nullptr, s, size);
        if (s == smstThemeDefinedEh) continue; // the theme's own size
        EXPECT_EQ(size.cx, expected.cx);
        EXPECT_EQ(size.cy, expected.cy);
    }
    style.SetDefaultSortMarkerStyle(smstSolidEh);
    TSize size;
    style.GetSortMarkerSize(nullptr, smstDefaultEh, size);
    EXPECT_EQ(size.cx, 9);

    // Each channel half way to the glass, then 60 % towards 225, then away from 122 when ungraying.
    EXPECT_EQ(style.LightenColor(TColor(RGB(0, 100, 200)), TColor(RGB(200, 100, 0)), false),
              TColor(RGB(175, 175, 175)));
    EXPECT_EQ(style.LightenColor(TColor(RGB(0, 0, 0)), TColor(RGB(0, 0, 0)), true),
              TColor(RGB(138, 138, 138)));
}

TEST_F(Appearance, StyleChangesReachRegisteredGridsAndFreedStylesHandThemBack) {
    TDBGridEhStyle* own = new TDBGridEhStyle(nullptr);
    TProbeGrid* second = Create<TProbeGrid>(Form);
    Grid->SetStyle(own);
    second->SetStyle(own);
    own->AddChangeNotification(Grid);
    EXPECT_EQ(own->Grids().size(), 2u);

    const int before = Grid->RebuildCount();
    own->SetSelectionColor(own->SelectionColor()); // unchanged: nothing to lay out
    own->SetSelectionInactiveColor(clRed);         // never lays out
    Pump();
    EXPECT_EQ(Grid->RebuildCount(), before);
    own->SetSelectionColor(clRed);
    Pump();
    EXPECT_GT(Grid->RebuildCount(), before);

    delete own;
    EXPECT_EQ(Grid->Style(), DefaultGridStyle());
    EXPECT_EQ(second->Style(), DefaultGridStyle());
    EXPECT_TRUE(DefaultGridStyle()->GridInChangeNotification(Grid));
}

TEST_F(Appearance, GridsPaintWithoutAnyStyle) {
    UseTable(5);
    TDBGridEhStyle* saved = DefaultGridStyle();
    const auto restore = qScopeGuard([&] {
        SetDefaultGridStyle(saved);
        Grid->SetStyle(saved);
    });
    TDBGridEhStyle* temp = new TDBGridEhStyle(nullptr);
    SetDefaultGridStyle(temp);
    Grid->SetStyle(temp);
    delete temp;
    EXPECT_EQ(DefaultGridStyle(), nullptr);
    EXPECT_EQ(Grid->Style(), nullptr);
    Grid->TitleParams()->SetMultiTitle(true);
    Grid->SetFooterRowCount(1);
    Grid->Repaint();
    Pump();
    EXPECT_EQ(&Grid->PaintStyle(), &FallbackGridStyle());
}

TEST_F(Appearance, SolidSortMarkersAreFiveLinesOfAFilledTriangle) {
    TBitmap bmp;
    bmp.SetSize(20, 12);
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 20, 12));
    TDBGridEhStyle style;
    style.DrawSortMarker(c, smstSolidEh, TRect(2, 2, 11, 7), false, smDownEh, nullptr);
    const QImage img = bmp.ToImage();
    auto ink = [&](int x, int y) { return img.pixelColor(x, y) != QColor(Qt::white); };
    // Down: the widest line on top, narrowing to the point.
    EXPECT_TRUE(ink(2, 2));
    EXPECT_TRUE(ink(10, 2));
    EXPECT_FALSE(ink(2, 3));
    EXPECT_TRUE(ink(3, 3));
    EXPECT_TRUE(ink(6, 6));
    EXPECT_FALSE(ink(5, 6));
    EXPECT_FALSE(ink(6, 7));
}

TEST_F(Appearance, ClassicAndThreeDSortMarkers) {
    TDBGridEhStyle style;
    auto draw = [&](TSortMarkerStyleEh look, TSortMarkerEh marker) {
        TBitmap bmp;
        bmp.SetSize(20, 14);
        TCanvas* c = bmp.Canvas();
        c->Brush()->SetColor(clFuchsia);
        c->FillRect(TRect(0, 0, 20, 14));
        style.DrawSortMarker(c, look, TRect(4, 3, 12, 10), false, marker, nullptr);
        return bmp.ToImage();
    };
    auto ink = [](const QImage& img, int x, int y) { return img.pixelColor(x, y) != QColor(255, 0, 255); };
    auto white = [](const QImage& img, int x, int y) { return img.pixelColor(x, y) == QColor(Qt::white); };

    // Classic: the bitmap at the rectangle's corner; the down marker's shaded top edge, its lit
    // right edge meeting the point at the bottom.
    const QImage down = draw(smstClassicEh, smDownEh);
    EXPECT_TRUE(ink(down, 4, 3));
    EXPECT_TRUE(ink(down, 11, 3));
    EXPECT_FALSE(white(down, 4, 3));
    EXPECT_TRUE(white(down, 11, 3));
    EXPECT_FALSE(ink(down, 3, 3));
    EXPECT_FALSE(ink(down, 12, 3));
    EXPECT_FALSE(ink(down, 4, 9));
    const QImage up = draw(smstClassicEh, smUpEh);
    EXPECT_TRUE(white(up, 5, 9));
    EXPECT_TRUE(white(up, 11, 9));
    EXPECT_TRUE(ink(up, 4, 9));
    EXPECT_FALSE(white(up, 4, 9));
    EXPECT_FALSE(ink(up, 4, 3));
    EXPECT_FALSE(ink(up, 11, 3));

    // 3-D frame, up: a lit base and right edge from (Left+1, Bottom), a shaded left edge.
    const QImage up3 = draw(smst3DFrameEh, smUpEh);
    EXPECT_TRUE(white(up3, 6, 10));
    EXPECT_TRUE(white(up3, 11, 10));
    EXPECT_TRUE(ink(up3, 4, 10));
    EXPECT_FALSE(white(up3, 4, 10));
    EXPECT_FALSE(ink(up3, 6, 4));
    // Down: the shaded top edge and left slope, the lit right slope.
    const QImage down3 = draw(smst3DFrameEh, smDownEh);
    EXPECT_TRUE(ink(down3, 4, 3));
    EXPECT_TRUE(ink(down3, 11, 3));
    EXPECT_FALSE(white(down3, 5, 3));
    EXPECT_TRUE(white(down3, 12, 4));
    EXPECT_FALSE(ink(down3, 8, 7));
    EXPECT_FALSE(ink(down3, 4, 10));
}

TEST_F(Appearance, TitleFontIsTheTitleParametersFont) {
    UseTable(3);
    // The grid's font size is put back for the tests after this one.
    const int size = Grid->Font()->Size();
    const auto restore = qScopeGuard([&] { Grid->Font()->SetSize(size); });
    EXPECT_EQ(Grid->TitleFont(), Grid->TitleParams()->Font());
    EXPECT_TRUE(Grid->TitleParams()->ParentFont());
    // The grid's font reaches the title font while it follows; a change of the title font itself
    // reaches the columns' titles and ends the following.
    Grid->Font()->SetSize(14);
    Pump();
    EXPECT_EQ(Grid->TitleFont()->Size(), 14);
    Grid->TitleFont()->SetSize(9);
    Grid->TitleFont()->SetStyle(TFontStyles{fsBold});
    Pump();
    EXPECT_FALSE(Grid->TitleParams()->ParentFont());
    EXPECT_EQ(Grid->Columns()->Columns(0)->Title()->Font()->Size(), 9);
    EXPECT_TRUE(Grid->Columns()->Columns(1)->Title()->Font()->Style().Contains(fsBold));
    Grid->Font()->SetSize(16);
    Pump();
    EXPECT_EQ(Grid->TitleFont()->Size(), 9);
}

TEST_F(Appearance, SelectedCellsOnAPaletteScreenAndHotTrackTints) {
    TDBGridEhStyle style;
    UseTable(5);
    const auto restore = qScopeGuard([] { SetRichColorDisplay(true); });
    // The focus is on another control: the selection shows in its inactive colours.
    auto* other = new TEdit(Form);
    other->SetParent(Form);
    other->SetBounds(0, 282, 50, 16);
    other->SetFocus();
    Pump();
    ASSERT_FALSE(Grid->IsFocusInside());
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgRowSelect, dgAlwaysShowSelection});
    // Row 3 is not the current row (row 1 is); its cells are selected and the grid has no focus.
    TColor color = clWindow;
    SetRichColorDisplay(false);
    EXPECT_TRUE(style.HighlightDataCellColors(Grid, 1, nullptr, color, true, TGridDrawState{}, 2, 0, 3));
    EXPECT_EQ(color, clBtnFace);
    SetRichColorDisplay(true);
    color = clWindow;
    EXPECT_TRUE(style.HighlightDataCellColors(Grid, 1, nullptr, color, true, TGridDrawState{}, 2, 0, 3));
    EXPECT_EQ(color, style.LightenColor(clWindow, clBtnShadow, false));
}

// ---------------------------------------------------------------------------------------------
// Indicator numbers

TEST_F(Appearance, RecordNumbersFollowTheShowStep) {
    UseTable(12);
    struct Case {
        int Step;
        int RecNo;
        const char16_t* Text;
    };
    const Case cases[] = {
        {5, 1, u"1"},  {5, 5, u"5"},  {5, 10, u"10"}, {5, 12, u"12"}, {5, 3, u"·"},
        {4, 2, u"-"},  {4, 3, u"·"},  {3, 2, u"·"},   {0, 7, u"7"},   {1, 7, u"7"},
        {-2, 7, u"·"}, {-3, 7, u"·"}, {-3, 1, u"1"},  {5, 0, u""},
    };
    for (const Case& c : cases) {
        Grid->IndicatorParams()->SetRecNoShowStep(c.Step);
        EXPECT_EQ(Grid->RecNoText(c.RecNo, false), QString::fromUtf16(c.Text)) << c.Step << " " << c.RecNo;
    }
    Grid->IndicatorParams()->SetRecNoShowStep(5);
    EXPECT_EQ(Grid->RecNoText(3, true), "3"); // the current row shows its number
}

// ---------------------------------------------------------------------------------------------
// Borders

TEST_F(Appearance, CellBordersPerArea) {
    UseTable(3);
    TDBGridLineParamsEh* lines = Grid->GridLineParams();
    bool cover = false;
    TColor color = clNone;
    bool drawn = false;

    // Without horizontal title lines of their own the titles keep the grid's row lines, dark.
    Grid->TitleParams()->SetHorzLines(false);
    Grid->GetCellBorderParams(1, 0, cbtBottomEh, cover, color, drawn);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(color, lines->GetDarkColor());

    // A zero-width column draws no vertical borders.
    Grid->SetColWidths(2, 0);
    Grid->GetCellBorderParams(2, 1, cbtRightEh, cover, color, drawn);
    EXPECT_FALSE(drawn);

    // Data lines come from the line parameters, not the grid options.
    lines->SetDataHorzLines(false);
    Grid->GetCellBorderParams(1, 1, cbtBottomEh, cover, color, drawn);
    EXPECT_FALSE(drawn);
    lines->SetDataHorzLines(true);

    // The data's right edge with boundaries on: not drawn in a clNone boundary colour.
    lines->SetGridBoundaries(true);
    lines->SetDataBoundaryColor(clNone);
    const int last = Grid->ColCount() - 1;
    Grid->GetCellBorderParams(last, 1, cbtRightEh, cover, color, drawn);
    EXPECT_FALSE(drawn);
    lines->SetDataBoundaryColor(clRed);
    Grid->GetCellBorderParams(last, 1, cbtRightEh, cover, color, drawn);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(color, clRed);
    lines->SetGridBoundaries(false);

    // Under multi-level titles the title row draws its column lines from the header tree.
    Grid->TitleParams()->SetMultiTitle(true);
    Grid->GetCellBorderParams(1, 0, cbtRightEh, cover, color, drawn);
    EXPECT_FALSE(drawn);
    Grid->GetCellBorderParams(0, 0, cbtRightEh, cover, color, drawn);
    EXPECT_TRUE(drawn);
}

// ---------------------------------------------------------------------------------------------
// Multi-level titles, footers and screenshots

TEST_F(Appearance, MultiLevelTitlesShareBandsAndRaiseTheTitleRow) {
    UseTable(8);
    const int single = Grid->RowHeights(0);
    Grid->Columns()->Columns(0)->Title()->SetCaption(QStringLiteral("Итого|Нетто"));
    Grid->Columns()->Columns(1)->Title()->SetCaption(QStringLiteral("Итого|Налог"));
    Grid->Columns()->Columns(2)->Title()->SetCaption(QStringLiteral("Name"));
    Grid->Columns()->Columns(2)->Title()->SetSortMarker(smUpEh);
    Grid->TitleParams()->SetMultiTitle(true);
    Pump();
    THeadTreeNode* root = Grid->HeadTree();
    ASSERT_TRUE(root->CheckConsistency());
    THeadTreeNode* band = root->Child;
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->Text, QStringLiteral("Итого"));
    EXPECT_EQ(band->Child->Text, QStringLiteral("Нетто"));
    EXPECT_EQ(band->Child->Next->Text, QStringLiteral("Налог"));
    EXPECT_EQ(band->Next->Text, QStringLiteral("Name"));
    EXPECT_EQ(band->Next->WIndent, 16);
    ASSERT_EQ(Grid->LeafFieldArr().size(), 3u);
    EXPECT_EQ(Grid->LeafFieldArr()[0].FLeaf, band->Child);
    EXPECT_GT(Grid->RowHeights(0), single);
    // The leaves under the band are lower than the leaf that stands alone.
    EXPECT_LT(band->Child->Height, band->Next->Height);
    EXPECT_EQ(band->Height + band->Child->Height, band->Next->Height);

    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghShowRecNo});
    Grid->SetFooterRowCount(1);
    Grid->FooterParams()->SetColor(clInfoBk);
    Grid->OnGetFooterParams = decltype(Grid->OnGetFooterParams)::Callable(
        [](TObject*, int DataCol, int, TColumnEh*, TFont*, TColor&, TAlignment& Alignment, TGridDrawState,
           String& Text) {
            if (DataCol == 2) {
                Text = QStringLiteral("Σ 36");
                Alignment = taRightJustify;
            }
        });
    Grab(QStringLiteral("dbgrid_multititle_footer"));
    // Each band is painted once per paint however many leaves share it (the layout rebuilt the
    // tree since: read it again).
    ASSERT_NE(Grid->HeadTree()->Child, nullptr);
    EXPECT_TRUE(Grid->HeadTree()->Child->Drawn);
}

TEST_F(Appearance, LoadingOverlayNestsAndFades) {
    UseTable(20);
    Grab(QStringLiteral("dbgrid_before_loading"));
    Grid->StartLoadingStatus(QString(), 0);
    EXPECT_EQ(Grid->LoadingModeText(), "Loading...");
    EXPECT_TRUE(Grid->ShowingLoadingMode());
    EXPECT_EQ(Grid->LoadingFramesDrawn(), 0); // a duration of 0 shows the picture at once
    ASSERT_NE(Grid->LoadingModeBitmap(), nullptr);
    EXPECT_EQ(Grid->LoadingModeBitmap()->Width(), Grid->ClientWidth());
    Grid->StartLoadingStatus(QStringLiteral("Загрузка…"), 40);
    EXPECT_GT(Grid->LoadingFramesDrawn(), 0);
    EXPECT_EQ(Grid->LoadingModeCallCount(), 2);
    const QImage shown = Grab(QStringLiteral("dbgrid_loading_overlay"));
    // The picture is the grid dimmed over grey: no pure white left in the middle of the data.
    EXPECT_NE(shown.pixelColor(shown.width() - 10, shown.height() - 10), QColor(Qt::white));

    Grid->FinishLoadingStatus(0);
    EXPECT_TRUE(Grid->ShowingLoadingMode());
    Grid->FinishLoadingStatus(-7); // a negative duration draws no frames instead of waiting for ever
    EXPECT_FALSE(Grid->ShowingLoadingMode());
    EXPECT_EQ(Grid->LoadingModeBitmap(), nullptr);

    // An unmatched finish does nothing; a later start works.
    Grid->FinishLoadingStatus(0);
    EXPECT_EQ(Grid->LoadingModeCallCount(), 0);
    Grid->StartLoadingStatus(QStringLiteral("x"), 0);
    EXPECT_TRUE(Grid->ShowingLoadingMode());
    Grid->FinishLoadingStatus(0);
    EXPECT_FALSE(Grid->ShowingLoadingMode());
}

TEST_F(Appearance, ScreenshotOfThemelessTitlesIndicatorAndEmptyText) {
    const bool themes = ThemesInUse();
    const auto restore = qScopeGuard([&] { SetThemesInUse(themes); });
    SetThemesInUse(false);
    UseTable(12);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghShowRecNo, dghFooter3D});
    Grid->IndicatorParams()->SetRecNoShowStep(4);
    Grid->SetOddRowColor(clInfoBk);
    Grid->Columns()->Columns(1)->Title()->SetSortMarker(smDownEh);
    Grid->Columns()->Columns(2)->Title()->SetSortMarker(smUpEh);
    Grid->SetSortMarkedColumns();
    Grid->TitleParams()->SetSortMarkerStyle(smstSolidEh);
    Grid->SetFooterRowCount(1);
    Table->SetRecNo(3);
    Grid->SetFocus();
    Grab(QStringLiteral("dbgrid_classic_titles_indicator"));

    Table->EmptyTable();
    Grid->EmptyDataInfo()->SetActive(true);
    const QImage img = Grab(QStringLiteral("dbgrid_classic_empty_text"));
    EXPECT_TRUE(Grid->EmptyDataInfo()->Showing());
}

} // namespace

namespace {

TEST_F(Appearance, HotTrackingCellsEditButtonsAndRowHighlight) {
    UseTable(6);
    // Without hot tracking only the indicator is tracked; with it every cell.
    EXPECT_TRUE(Grid->CanHotTrackCellProbe(0, 2));
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghHotTrack, dghRowHighlight});
    EXPECT_TRUE(Grid->CanHotTrackCellProbe(2, 3));
    EXPECT_FALSE(Grid->CanHotTrackCellProbe(-1, 3));

    // Titles have no button; a column without always-shown buttons has none in its strip.
    TColumnEh* column = Grid->VisibleColumn(1);
    const TRect cell = Grid->CellRect(2, 1);
    EXPECT_EQ(Grid->EditButtonAtPos(2, 0, 2, cell.Right - 2, column), -1);
    EXPECT_EQ(Grid->EditButtonAtPos(2, 1, cell.Top + 2, cell.Left + 2, column), -1);

    // The current row is tinted as a gradient outside the current cell while themes are on.
    Grid->SetFocus();
    const QImage img = Grab(QStringLiteral("dbgrid_row_highlight"));
    if (ThemesInUse()) {
        const TRect other = Grid->CellRect(3, Grid->Row());
        EXPECT_NE(img.pixelColor(other.Left + 3, other.Top + 1),
                  img.pixelColor(other.Left + 3, other.Bottom - 2));
    }
}

TEST_F(Appearance, CellAndTitleEventsButtonsDuplicatesAndRowCheckBoxes) {
    const bool themes = ThemesInUse();
    const auto restore = qScopeGuard([&] { SetThemesInUse(themes); });
    SetThemesInUse(false);
    UseTable(8);
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgRowLines});
    TColumnEh* name = Grid->Columns()->Columns(1);
    TColumnEh* qty = Grid->Columns()->Columns(2);
    // The column's cell event colours its cells; the title event colours a title and may change
    // its sort marker.
    name->SetOnGetCellParams(TColumnEh::TGetColCellParamsEventEh::Callable(
        [](TColumnEh*, bool, TAxisColCellParamsEh* Params) { Params->SetBackground(clLime); }));
    int titleCalls = 0;
    Grid->OnGetBtnParams = TGetBtnEhParamsEvent::Callable(
        [&](TObject*, TColumnEh* Column, TFont*, TColor& Background, TSortMarkerEh& Marker, bool) {
            ++titleCalls;
            if (Column == qty) {
                Background = clYellow;
                Marker = smUpEh;
            }
        });
    QImage img = Grab(QStringLiteral("dbgrid_cell_and_title_events"));
    const TRect cell = Grid->CellRect(2, 3);
    EXPECT_EQ(img.pixelColor(cell.Right - 3, cell.Bottom - 3), QColor(0, 255, 0));
    const TRect title = Grid->CellRect(3, 0);
    EXPECT_EQ(img.pixelColor(title.Left + 4, title.Bottom - 4), QColor(255, 255, 0));
    // Twice per title and paint.
    EXPECT_GT(titleCalls, 0);
    EXPECT_EQ(titleCalls % (2 * 3), 0);
    // The marker the event gave is drawn although the column carries none.
    bool marker = false;
    for (int x = title.Right - 20; x < title.Right - 2; ++x)
        for (int y = title.Top + 2; y < title.Bottom - 2; ++y)
            if (img.pixelColor(x, y) != QColor(255, 255, 0)) marker = true;
    EXPECT_TRUE(marker);
    EXPECT_EQ(qty->Title()->SortMarker(), smNoneEh);

    // Hidden duplicates compare what the value event gives rather than the texts.
    qty->SetHideDuplicates(true);
    qty->OnGetHideDuplicatesValue = TColumnEh::TGetHideDuplicatesValueEventEh::Callable(
        [](TCustomDBGridEh*, TColumnEh*, const String& Text, Variant& Value) {
            Value = Variant(Text.toInt() / 4);
        });
    Grid->OnGetBtnParams = TGetBtnEhParamsEvent();
    img = Grab(QStringLiteral("dbgrid_hidden_duplicates_by_value"));
    // Qty 1, 2, 3 give 0, 0, 0: the second and third rows are blank; Qty 4 gives 1 and shows.
    auto hasText = [&](int row) {
        const TRect r = Grid->CellRect(3, row);
        const QColor ground = img.pixelColor(r.Left + 3, r.Top + 3);
        for (int x = r.Left + 3; x < r.Right - 2; ++x)
            for (int y = r.Top + 2; y < r.Bottom - 2; ++y)
                if (img.pixelColor(x, y) != ground) return true;
        return false;
    };
    const int top = Grid->TopDataOffset();
    EXPECT_TRUE(hasText(top + 0));
    EXPECT_FALSE(hasText(top + 1));
    EXPECT_FALSE(hasText(top + 2));
    EXPECT_TRUE(hasText(top + 3));

    // Always-shown buttons: the main one and a visible extra one, each found under the mouse.
    name->SetAlwaysShowEditButton(true);
    TEditButtonEh* extra = name->EditButtons()->Add();
    extra->SetVisible(true);
    extra->SetStyle(ebsPlusEh);
    Pump();
    const TRect nameCell = Grid->CellRect(2, top + 1);
    const int strip = nameCell.Right - name->EditButtonsWidth();
    EXPECT_EQ(Grid->EditButtonAtPos(2, top + 1, nameCell.Top + 2, strip + 2, name),
              GetColumnEditStyle(name) != esSimple ? 0 : 1);
    EXPECT_EQ(Grid->EditButtonAtPos(2, top + 1, nameCell.Top + 2, nameCell.Right - 2, name), 1);
    // The mouse over the extra button makes it the hot one.
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghHotTrack});
    Grid->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(Word(nameCell.Right - 3), Word(nameCell.Top + 3)));
    Grid->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(Word(nameCell.Right - 2), Word(nameCell.Top + 3)));
    EXPECT_EQ(Grid->HotTrackEditButton(), 1);
    Grab(QStringLiteral("dbgrid_cell_edit_buttons"));

    // Row-select check boxes sit in the indicator left of the arrow; the mouse over one makes it hot.
    Grid->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRowselCheckboxesEh});
    Pump();
    ASSERT_GT(Grid->RowselCheckboxesWidth(), 0);
    const TRect ind = Grid->CellRect(0, top + 2);
    const int bx = ind.Right - 11 - Grid->RowselCheckboxesWidth() / 2;
    Grid->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(Word(bx), Word((ind.Top + ind.Bottom) / 2)));
    Grid->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(Word(bx + 1), Word((ind.Top + ind.Bottom) / 2)));
    EXPECT_EQ(Grid->HotTrackEditButton(), 1);
    Grid->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(Word(ind.Right - 3), Word((ind.Top + ind.Bottom) / 2)));
    EXPECT_EQ(Grid->HotTrackEditButton(), -1);
    img = Grab(QStringLiteral("dbgrid_row_checkboxes"));
    EXPECT_NE(img.pixelColor(bx, (ind.Top + ind.Bottom) / 2), img.pixelColor(ind.Left + 1, ind.Top + 1));
}

} // namespace

namespace {

// ---------------------------------------------------------------------------------------------
// Edges, footers and titles

// Every horizontal border of the last shown row is the bottom edge of the data while nothing is
// drawn in the empty space below; rows above it and a gradient empty space keep their lines.
TEST_F(Appearance, BottomDataEdgeTakesTheLastRowsHorizontalBorders) {
    UseTable(3);
    TDBGridLineParamsEh* lines = Grid->GridLineParams();
    lines->SetGridBoundaries(true);
    lines->SetDataBoundaryColor(clRed);
    const int last = Grid->RowCount() - 1;
    const struct {
        int Col, Row;
        TGridCellBorderTypeEh Border;
        TDrawEmptySpaceStyle Space;
        TColor Edge; // clNone: not an edge
    } cases[] = {
        {1, last, cbtBottomEh, dessNonEh, clRed},
        {1, last, cbtTopEh, dessNonEh, clRed},
        {0, last, cbtTopEh, dessNonEh, lines->GetDarkColor()},
        {1, last, cbtBottomEh, dessGradiendEh, clNone},
        {1, last - 1, cbtBottomEh, dessNonEh, clNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Col << "," << c.Row << " border " << int(c.Border) << " space "
                                        << int(c.Space));
        lines->SetVertEmptySpaceStyle(c.Space);
        bool cover = false, drawn = false;
        TColor color = clNone;
        Grid->GetCellBorderParams(c.Col, c.Row, c.Border, cover, color, drawn);
        if (c.Edge != clNone) {
            EXPECT_TRUE(drawn);
            EXPECT_EQ(color, c.Edge);
        } else {
            EXPECT_NE(color, clRed);
        }
    }
}

// Footers get their 3-D edges as soon as any footer row shows, the grouping's grand totals
// included.
TEST_F(Appearance, FooterThreeDCountsGroupFooterRows) {
    UseTable(6);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghFooter3D});
    ASSERT_EQ(Grid->FooterRowCount(), 0);
    TDBGridEhDataGroupsEh* grouping = Grid->DataGrouping();
    grouping->GroupLevels()->Add()->SetColumn(Grid->Columns()->Columns(2));
    grouping->SetActive(true);
    TGridDataGroupFooterEh* footer = grouping->Footers()->Add();
    footer->ColumnItems()->Item(0)->SetValueType(gfvCountEh);
    footer->SetVisible(true);
    Pump();
    ASSERT_EQ(Grid->FullFooterRowCount(), 1);
    EXPECT_TRUE(Grid->IsFixedStyleCell(TGridCoord{1, Grid->RowCount()}, TGridDrawState{}));
    EXPECT_FALSE(Grid->IsFixedStyleCell(TGridCoord{1, Grid->TopDataOffset()}, TGridDrawState{}));
    Grab(QStringLiteral("dbgrid_group_footer_3d"));
}

// A footer of a word-wrapping column wraps only in a grid whose rows have room for more than
// one line.
TEST_F(Appearance, FooterWrapsOnlyWhereTheGridAllowsWordWrap) {
    UseTable(4);
    Grid->SetFooterRowCount(1);
    Grid->FooterParams()->SetRowLines(3);
    TColumnEh* name = Grid->Columns()->Columns(1);
    name->SetWidth(70);
    name->Footer()->SetValueType(fvtStaticText);
    name->Footer()->SetValue(QStringLiteral("один два три четыре пять"));
    name->Footer()->SetWordWrap(true);
    const int lineHeight = QFontMetrics(Grid->FooterParams()->Font()->ToQFont()).height();
    for (int rowLines : {1, 3}) {
        SCOPED_TRACE(rowLines);
        Grid->SetRowLines(rowLines);
        Pump();
        const QImage img = Grab(QStringLiteral("dbgrid_footer_wrap_%1").arg(rowLines)).convertToFormat(QImage::Format_RGB32);
        const std::vector<int> ink = InkRows(img, 2, Grid->RowCount());
        ASSERT_FALSE(ink.empty());
        const int span = ink.back() - ink.front();
        if (rowLines == 1)
            EXPECT_LT(span, lineHeight);
        else
            EXPECT_GT(span, lineHeight);
    }
}

// A narrow title keeps its sort marker while its text still has room beside it, however little;
// only when the marker leaves none does it give way to the text.
TEST_F(Appearance, SortMarkerGivesWayOnlyWhenTheTitleTextHasNoRoom) {
    UseTable(3);
    TColumnEh* name = Grid->Columns()->Columns(1);
    name->Title()->SetSortMarker(smDownEh);
    name->Title()->Font()->SetColor(clRed);
    Grid->TitleParams()->SetSortMarkerStyle(smstSolidEh);
    for (int width : {22, 12}) {
        SCOPED_TRACE(width);
        name->SetWidth(width);
        Pump();
        const QImage img = Grab(QStringLiteral("dbgrid_narrow_sorted_title_%1").arg(width)).convertToFormat(QImage::Format_RGB32);
        const TRect title = Device(Grid->CellRect(2, 0));
        // The marker is a light grey, darker than the title's ground; the caption is red.
        int grey = 0;
        for (int y = title.Top + 2; y < title.Bottom - 2; ++y)
            for (int x = title.Left + 2; x < title.Right - 2; ++x) {
                const QRgb p = img.pixel(x, y);
                if (qGray(p) < 215 && std::abs(qRed(p) - qGreen(p)) < 20 && std::abs(qGreen(p) - qBlue(p)) < 20)
                    ++grey;
            }
        EXPECT_EQ(grey > 0, width == 22);
    }
}

// ---------------------------------------------------------------------------------------------
// A data set without record numbers

struct PlainAppearance : Appearance {
    TUnnumberedDataSet* Plain = nullptr;
    void UsePlain(std::initializer_list<const char*> Names) {
        Plain = new TUnnumberedDataSet(Form);
        Plain->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        for (const char* n : Names)
            Plain->AddRecord({Variant(QString::fromUtf8(n))});
        Plain->Open();
        Source->SetDataSet(Plain);
        Grid->SetDataSource(Source);
        Pump();
    }
};

// Odd and even rows are told apart by the sum list's virtual records when the data set cannot
// number its records; without them the rows keep the column's colour.
TEST_F(PlainAppearance, OddAndEvenRowsByTheSumListsVirtualRecords) {
    UsePlain({"a", "b", "c", "d", "e", "f"});
    Grid->SetOddRowColor(clLime);
    Grid->SetEvenRowColor(clAqua);
    const int top = Grid->TopDataOffset();
    for (bool virtualRecords : {false, true}) {
        SCOPED_TRACE(virtualRecords);
        Grid->SumList()->SetVirtualRecords(virtualRecords);
        Grid->SumList()->SetActive(virtualRecords);
        const QImage img = Grab(QStringLiteral("dbgrid_plain_odd_even_%1").arg(virtualRecords))
                               .convertToFormat(QImage::Format_RGB32);
        // Row 0 is the current one.
        for (int r = 1; r < 6; ++r) {
            const TRect cell = Device(Grid->CellRect(1, top + r));
            const QColor ground = img.pixelColor(cell.Right - 3, cell.Bottom - 3);
            const TColor want = !virtualRecords ? Grid->Color() : (r + 1) % 2 ? clLime : clAqua;
            const COLORREF w = COLORREF(ColorToRGB(want));
            EXPECT_EQ(ground, QColor(GetRValue(w), GetGValue(w), GetBValue(w))) << "row " << r;
        }
    }
}

// Hidden duplicates over a data set without a memory table compare the neighbouring records of
// the link's buffer: a run shows its value once, the top row always.
TEST_F(PlainAppearance, HiddenDuplicatesCompareTheBufferNeighbours) {
    UsePlain({"a", "a", "a", "b", "b", "c"});
    Grid->Columns()->Columns(0)->SetHideDuplicates(true);
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgRowLines});
    const QImage img = Grab(QStringLiteral("dbgrid_plain_hidden_duplicates")).convertToFormat(QImage::Format_RGB32);
    const int top = Grid->TopDataOffset();
    const bool shown[] = {true, false, false, true, false, true};
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(!InkRows(img, 1, top + r).empty(), shown[r]) << "row " << r;
}

} // namespace

