// Sizing columns and rows of the data grid with the mouse (driven by window messages), and the
// widths and heights the grid measures from its content.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhSelection.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QImage>

#include <vector>

namespace {

LPARAM At(int x, int y) {
    return LPARAM(MAKELONG(Word(x), Word(y)));
}

} // namespace

class SizingTest : public DBGridFormFixture<TDBGridEh> {
protected:
    void SetUp() override {
        DBGridFormFixture::SetUp();
        UseTable(30);
        Grid->SetFocus();
        Pump();
    }
    // Presses at (x, y), moves by (dx, dy) and releases, as the mouse does.
    void Drag(int x, int y, int dx, int dy, bool checkBeforeRelease = false,
              int* widthWhileMoving = nullptr) {
        Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
        Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(x + dx, y + dy));
        if (checkBeforeRelease && widthWhileMoving) *widthWhileMoving = Grid->ColWidths(1);
        Grid->Perform(WM_LBUTTONUP, 0, At(x + dx, y + dy));
        Pump();
    }
    TColumnEh* Col(int i) { return Grid->Columns()->Columns(i); }
};

TEST_F(SizingTest, ColumnBorderDragsInTheTitleRowButNotInTheFilterRow) {
    const int before = Col(0)->Width();
    const TRect title = Grid->CellRect(1, 0);
    Drag(title.Right, (title.Top + title.Bottom) / 2, 30, 0);
    EXPECT_EQ(Col(0)->Width(), before + 30);

    Grid->STFilter()->SetVisible(true);
    Pump();
    ASSERT_EQ(Grid->GetFilterRowCount(), 1);
    const TRect filter = Grid->CellRect(1, 1);
    const int y = (filter.Top + filter.Bottom) / 2;
    EXPECT_EQ(Grid->CalcSizingStateAt(filter.Right, y), gsNormal);
    Drag(filter.Right, y, 25, 0);
    EXPECT_EQ(Col(0)->Width(), before + 30) << "the filter row has no borders to drag";
}

TEST_F(SizingTest, LiveSizingFollowsTheMouseBeforeTheRelease) {
    const TRect title = Grid->CellRect(1, 0);
    const int before = Grid->ColWidths(1);
    int whileMoving = 0;
    Drag(title.Right, title.Top + 3, 20, 0, true, &whileMoving);
    EXPECT_EQ(whileMoving, before) << "without live sizing only a line moves";
    EXPECT_EQ(Grid->ColWidths(1), before + 20);

    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghTraceColSizing});
    Pump();
    const TRect t2 = Grid->CellRect(1, 0);
    Drag(t2.Right, t2.Top + 3, -15, 0, true, &whileMoving);
    EXPECT_EQ(whileMoving, before + 5);
    EXPECT_EQ(Grid->ColWidths(1), before + 5);
    EXPECT_EQ(Col(0)->Width(), before + 5);
}

TEST_F(SizingTest, RowBorderDragsOnlyInTheIndicatorAndBecomesTheRowHeight) {
    Grid->SetRowSizingAllowed(true);
    Grid->SetRowLines(2);
    Pump();
    const int top = Grid->TopDataOffset();
    const TRect data = Grid->CellRect(1, top);
    // A data cell's bottom edge is no row border.
    EXPECT_EQ(Grid->CalcSizingStateAt((data.Left + data.Right) / 2, data.Bottom), gsNormal);
    Drag((data.Left + data.Right) / 2, data.Bottom, 0, 12);
    EXPECT_EQ(Grid->RowHeight(), 0);

    const TRect ind = Grid->CellRect(0, top);
    EXPECT_EQ(Grid->CalcSizingStateAt(ind.Left + 3, ind.Bottom), gsRowSizing);
    const int h = Grid->RowHeights(top);
    Drag(ind.Left + 3, ind.Bottom, 0, 12);
    EXPECT_EQ(Grid->RowHeight(), h + 12);
    EXPECT_EQ(Grid->RowLines(), 0);
}

TEST_F(SizingTest, RowHeightIsNotAdoptedWhenRowsSizeThemselves) {
    Grid->SetRowSizingAllowed(true);
    const int top = Grid->TopDataOffset();
    struct Case {
        const char* name;
        bool autoFit;
        bool handler;
    };
    for (const Case& c : {Case{"auto-fit row height", true, false}, Case{"OnGetRowHeight", false, true}}) {
        SCOPED_TRACE(c.name);
        TDBGridEhOptions o = Grid->OptionsEh();
        if (c.autoFit) o += dghAutoFitRowHeight;
        Grid->SetOptionsEh(o);
        if (c.handler) Grid->OnGetRowHeight = TGetDBGridEhRowHeightEvent::Callable([](TObject*, int&) {});
        Pump();
        const TRect ind = Grid->CellRect(0, top);
        Drag(ind.Left + 3, ind.Bottom, 0, 9);
        EXPECT_EQ(Grid->RowHeight(), 0);
        Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghAutoFitRowHeight});
        Grid->OnGetRowHeight = TGetDBGridEhRowHeightEvent();
    }
}

// ---------------------------------------------------------------------------------------------
// Measured widths and heights

TEST_F(SizingTest, OptimizedWidthsFollowTheDataTheLimitsAndTheRecordCount) {
    Grid->Columns()->SetState(csCustomized); // the columns outlive the link below
    TColumnEh* name = Col(1);
    // Record 15 has a long name; the first ten records do not reach it.
    Table->SetRecNo(15);
    Table->Edit();
    Table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("A much longer name!!"));
    Table->Post();
    Table->SetRecNo(3);
    const QFontMetrics fm(name->Font()->ToQFont());
    const int shortW = fm.horizontalAdvance(QStringLiteral("Name 30")) + 5;
    const int longW = fm.horizontalAdvance(QStringLiteral("A much longer name!!")) + 5;

    Grid->OptimizeAllColsWidth(10);
    EXPECT_LT(name->Width(), longW);
    EXPECT_GE(name->Width(), fm.horizontalAdvance(QStringLiteral("Name 10")) + 5);
    EXPECT_EQ(Table->RecNo(), 3) << "the walk puts the cursor back";

    Grid->OptimizeAllColsWidth(-1);
    EXPECT_EQ(name->Width(), longW);
    EXPECT_GT(longW, shortW);

    name->SetMaxWidth(80);
    name->OptimizeWidth();
    EXPECT_EQ(name->Width(), 80);

    // Without an active link nothing changes.
    name->SetMaxWidth(0);
    name->SetWidth(50);
    Table->Close();
    Grid->OptimizeAllColsWidth(-1);
    EXPECT_EQ(name->Width(), 50);
}

TEST_F(SizingTest, DividerDoubleClickFitsTheSelectedColumnsWithIt) {
    Grid->Columns()->SetState(csCustomized);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect});
    auto narrow = [&] {
        for (int i = 0; i < 3; ++i)
            Col(i)->SetWidth(8);
    };
    narrow();
    Grid->OptimizeColumnWidthsForClick(Col(1));
    EXPECT_EQ(Col(0)->Width(), 8);
    EXPECT_GT(Col(1)->Width(), 8);
    EXPECT_EQ(Col(2)->Width(), 8);

    narrow();
    Grid->Selection()->Columns()->Select(Col(0), false);
    Grid->Selection()->Columns()->Select(Col(2), true);
    Grid->OptimizeColumnWidthsForClick(Col(1));
    for (int i = 0; i < 3; ++i)
        EXPECT_GT(Col(i)->Width(), 8) << "column " << i << ": selected, or the clicked one";

    narrow();
    Grid->Selection()->SelectAll();
    Grid->OptimizeColumnWidthsForClick(nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_GT(Col(i)->Width(), 8) << "column " << i << ": the whole grid is selected";
}

TEST_F(SizingTest, SwitchingAutoFitOffRestoresTheWidthsItStartedFrom) {
    Col(0)->SetWidth(40);
    Col(1)->SetWidth(70);
    Col(2)->SetWidth(30);
    Grid->SetAutoFitColWidths(true);
    Pump();
    EXPECT_EQ(Col(0)->InitWidth(), 40);
    EXPECT_EQ(Col(1)->InitWidth(), 70);
    // The width fitting scales from is what comes back, not the fitted width.
    Col(1)->SetInitWidth(55);
    Grid->SetAutoFitColWidths(false);
    Pump();
    EXPECT_EQ(Col(0)->Width(), 40);
    EXPECT_EQ(Col(1)->Width(), 55);
    EXPECT_EQ(Col(2)->Width(), 30);
}

TEST_F(SizingTest, AutoFitRowHeightTakesTheWrappedTextAndTheHandlerHasTheLastWord) {
    TColumnEh* name = Col(1);
    name->SetWordWrap(true);
    name->SetWidth(60);
    Table->First();
    Table->Edit();
    Table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("wwwwww wwwwww wwwwww"));
    Table->Post();
    const int std = Grid->StdDefaultRowHeight();
    EXPECT_EQ(Grid->GetDataRowHeight(0), std) << "without auto-fit every row has the standard height";

    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghAutoFitRowHeight});
    const QFontMetrics fm(name->Font()->ToQFont());
    const int line = fm.height();
    const int h = Grid->GetDataRowHeight(0);
    // Three lines of text (each word is wider than the column), one pixel of air, two for a 3-D
    // grid and the line between rows.
    EXPECT_GE(h, 3 * line + 1 + 2 + Grid->GridLineWidth());
    EXPECT_LT(h, 4 * line);
    EXPECT_GT(h, std);
    EXPECT_EQ(Grid->GetDataRowHeight(1), std) << "a short text keeps the standard height";

    Grid->OnGetRowHeight = TGetDBGridEhRowHeightEvent::Callable([](TObject*, int& H) { H = 99; });
    EXPECT_EQ(Grid->GetDataRowHeight(0), 99);
    Grid->OnGetRowHeight = TGetDBGridEhRowHeightEvent();
}

// Outside grouping, every row of a memory table takes its own fitted height, and follows its
// record's text and the column's width.
TEST_F(SizingTest, AutoFitRowHeightIsAppliedToTheGridRows) {
    TColumnEh* name = Col(1);
    name->SetWordWrap(true);
    name->SetWidth(60);
    Table->SetRecNo(2);
    Table->Edit();
    Table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("wwwwww wwwwww wwwwww"));
    Table->Post();
    Table->First();
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghAutoFitRowHeight});
    Pump();
    const int top = Grid->TopDataOffset(), std = Grid->StdDefaultRowHeight();
    const int tall = Grid->GetDataRowHeight(1);
    ASSERT_GT(tall, std);
    EXPECT_EQ(Grid->RowHeights(top), std);
    EXPECT_EQ(Grid->RowHeights(top + 1), tall);
    EXPECT_EQ(Grid->RowHeights(top + 2), std);

    // A record edited to a long text grows its row.
    Table->SetRecNo(3);
    Table->Edit();
    Table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("wwwwww wwwwww wwwwww"));
    Table->Post();
    Pump();
    EXPECT_EQ(Grid->RowHeights(top + 2), tall);
    // A wider column needs fewer lines.
    name->SetWidth(400);
    Pump();
    EXPECT_EQ(Grid->RowHeights(top + 1), std);
    // Switched off, every row is back at the standard height.
    name->SetWidth(60);
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghAutoFitRowHeight});
    Pump();
    EXPECT_EQ(Grid->RowHeights(top + 1), std);
    EXPECT_EQ(Grid->RowHeights(top + 2), std);
}

TEST_F(SizingTest, FooterRowsGetTheirHeightFromTheFooterFont) {
    Grid->SetFooterRowCount(2);
    Grid->FooterParams()->SetRowLines(2);
    Pump();
    Grid->UpdateFooterRowHeights();
    const QFontMetrics fm(Grid->FooterFont()->ToQFont());
    const int expected = 2 * (fm.height() + fm.leading());
    ASSERT_EQ(Grid->FooterParams()->CalculatedRowHeights().size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Grid->FooterParams()->CalculatedRowHeights()[size_t(i)], expected);
        EXPECT_EQ(Grid->RowHeights(Grid->RowCount() + i), expected);
    }
}

TEST_F(SizingTest, RowPanelAutoFitSharesEachLineAndLeavesFixedLinesAlone) {
    Grid->Columns()->SetState(csCustomized);
    // Line 0: ID fixed 50, Name auto 100; line 1: Qty fixed 40 alone.
    Col(0)->SetAutoFitColWidth(false);
    Col(0)->SetWidth(50);
    Col(1)->SetWidth(100);
    Col(2)->SetAutoFitColWidth(false);
    Col(2)->SetInRowLinePos(1);
    Col(2)->SetWidth(40);
    const int w = Grid->GridLineWidth();
    Grid->Columns()->FixupAutoFitColWidths(300);
    EXPECT_EQ(Col(0)->Width(), 50);
    // The auto-fit column takes about what the fixed one leaves (its own line included in the share).
    EXPECT_NEAR(Col(1)->Width(), 300 - (50 + w) - w, 2);
    EXPECT_EQ(Col(2)->Width(), 40) << "a line with only fixed columns keeps their widths";
    // Scaling from a panel without width changes nothing.
    Grid->Columns()->ScaleWidths(0, 500);
    EXPECT_EQ(Col(0)->Width(), 50);
}

namespace {

QByteArray PngOf(int w, int h) {
    QImage im(w, h, QImage::Format_RGB32);
    im.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    im.save(&buf, "PNG");
    return bytes;
}

} // namespace

// A picture column of an auto-fitted grid: each row as high as its picture drawn at the
// column's width; a picture that cannot be read keeps the standard height.
TEST_F(SizingTest, AutoFitRowHeightTakesThePictureAtTheColumnsWidth) {
    auto* t = Create<TMemTableEh>(Form);
    t->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
    t->FieldDefs()->Add(QStringLiteral("Pic"), ftGraphic);
    t->CreateDataSet();
    auto* pic = dynamic_cast<TGraphicField*>(t->FieldByName(QStringLiteral("Pic")));
    ASSERT_NE(pic, nullptr);
    pic->SetGraphicHeader(false);
    struct Case {
        QByteArray Bytes;
        int Height; // -1: the standard row height
    };
    const std::vector<Case> cases = {
        {PngOf(40, 70), 70},               // narrower than the column: its own height
        {PngOf(200, 90), 45},              // twice the column's width: half its height
        {PngOf(300, 10), -1},              // shrunk below a text line: no lower than a text row
        {QByteArray("not a picture"), -1}, // unreadable
        {QByteArray(), -1},                // empty
    };
    for (const Case& c : cases) {
        t->Append();
        t->FieldByName(QStringLiteral("ID"))->SetAsInteger(int(t->RecordCount()) + 1);
        if (!c.Bytes.isEmpty()) pic->SetAsBytes(TBytes(c.Bytes.begin(), c.Bytes.end()));
        t->Post();
    }
    t->First();
    Source->SetDataSet(t);
    Grid->Columns()->Columns(1)->SetWidth(100);
    Grid->SetDrawGraphicData(true);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghAutoFitRowHeight});
    Pump();
    ASSERT_EQ(Grid->Columns()->Columns(1)->GetColumnType(), ctGraphicData);
    const int std = Grid->StdDefaultRowHeight();
    for (int i = 0; i < int(cases.size()); ++i) {
        const int want = cases[size_t(i)].Height < 0 ? std : std::max(std, cases[size_t(i)].Height);
        EXPECT_EQ(Grid->GetDataRowHeight(i), want) << "row " << i;
        EXPECT_EQ(Grid->RowHeights(Grid->TopDataOffset() + i), want) << "row " << i;
    }
    // Without picture drawing the column shows a text and the rows keep the standard height.
    Grid->SetDrawGraphicData(false);
    EXPECT_EQ(Grid->GetDataRowHeight(0), std);
}

// The title's filter button takes room only where it is drawn: with the grid's and the column's
// filter both shown and the filter in the title.
TEST_F(SizingTest, TitleWidthMakesRoomForTheFilterButtonOnlyWhereItIsShown) {
    TColumnEh* name = Col(1);
    const int plain = Grid->MeasureTitleWidth(name);
    Grid->STFilter()->SetLocation(stflInTitleFilterEh);
    Grid->STFilter()->SetVisible(true);
    Pump();
    const int button = name->GetFilterButtonAreaWidth();
    ASSERT_GT(button, 0);
    EXPECT_EQ(Grid->MeasureTitleWidth(name), plain + button);
    name->STFilter()->SetVisible(false);
    EXPECT_EQ(name->GetFilterButtonAreaWidth(), 0);
    EXPECT_EQ(Grid->MeasureTitleWidth(name), plain);
    name->STFilter()->SetVisible(true);
    Grid->STFilter()->SetLocation(stflUnderTitleFilterEh);
    EXPECT_EQ(Grid->MeasureTitleWidth(name), plain);
}
