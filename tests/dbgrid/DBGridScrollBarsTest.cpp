// The data grid's scroll bars over a data set: the vertical bar's record numbers and five
// positions, hidden and external bars, and the scroll-bar panels with the size grip.

#include "DBGridTestFixture.h"

#include "db/TestDataSet.h"
#include "lib/dbgrid/DBGridEh.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

namespace {

// A data set that knows no record numbers: the grid shows the five-position bar.
class TUnnumberedDataSet : public TTestDataSet {
    KVT_CLASS(TUnnumberedDataSet, TTestDataSet)
public:
    using TTestDataSet::TTestDataSet;
    bool IsSequenced() override { return false; }
};

// A form 360 high with a grid 300 high over a plain data set.
struct GridScrollFixture : DBGridFormFixture<TDBGridEh> {
    TTestDataSet* Data = nullptr;

    GridScrollFixture() : DBGridFormFixture(360, 300) {}

    void Use(TTestDataSet* D, int N) {
        Data = D;
        D->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        D->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        for (int i = 1; i <= N; ++i)
            D->AddRecord({Variant(i), Variant(QStringLiteral("Запись %1").arg(i))});
        D->Open();
        Source->SetDataSet(D);
        Grid->SetDataSource(Source);
        Pump();
    }
    SCROLLINFO Info() {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        Grid->VertScrollBar()->GetScrollInfo(si);
        return si;
    }
    bool WindowVertVisible() { return (GetWindowLong(Grid->Handle(), GWL_STYLE) & WS_VSCROLL) != 0; }
};

} // namespace

TEST_F(GridScrollFixture, OwnsTheScrollBarObjectsAndPanels) {
    ASSERT_NE(Grid->HorzScrollBar(), nullptr);
    ASSERT_NE(Grid->VertScrollBar(), nullptr);
    EXPECT_EQ(Grid->HorzScrollBar()->Grid(), Grid);
    EXPECT_EQ(Grid->HorzScrollBarPanelControl()->Name(), QStringLiteral("HorzScrollBarPanelControl"));
    EXPECT_EQ(Grid->VertScrollBarPanelControl()->Name(), QStringLiteral("VertScrollBarPanelControl"));
    EXPECT_EQ(Grid->CornerScrollBarPanelControl()->Name(), QStringLiteral("CornerScrollBarPanelControl"));
    EXPECT_EQ(Grid->FindComponent(QStringLiteral("HorzScrollBarPanelControl")),
              Grid->HorzScrollBarPanelControl());
    EXPECT_FALSE(Grid->HorzScrollBarPanelControl()->Visible());
    EXPECT_FALSE(Grid->CornerScrollBarPanelControl()->Visible());
    EXPECT_FALSE(Grid->ScrollBarPanel());

    // The property setters copy into the objects the grid holds.
    TDBGridEh* other = Create<TDBGridEh>(Form);
    other->VertScrollBar()->SetVisible(false);
    other->VertScrollBar()->SetTracking(false);
    THorzDBGridEhScrollBar* held = Grid->HorzScrollBar();
    Grid->SetVertScrollBar(other->VertScrollBar());
    EXPECT_FALSE(Grid->VertScrollBar()->Visible());
    EXPECT_FALSE(Grid->VertScrollBar()->Tracking());
    Grid->SetHorzScrollBar(other->HorzScrollBar());
    EXPECT_EQ(Grid->HorzScrollBar(), held);
}

TEST_F(GridScrollFixture, NoOpenDataSetHasNothingToScroll) {
    Grid->VertScrollBar()->SetVisibleMode(sbAutoShowEh);
    Grid->UpdateVertScrollBar();
    SCROLLINFO si = Info();
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 1);
    EXPECT_FALSE(WindowVertVisible());
    Grid->VertScrollBar()->SetVisibleMode(sbAlwaysShowEh);
    Grid->UpdateVertScrollBar();
    EXPECT_TRUE(WindowVertVisible());
    SCROLLBARINFO sbi;
    ::GetScrollBarInfo(Grid->Handle(), OBJID_VSCROLL, &sbi);
    EXPECT_TRUE(sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
}

TEST_F(GridScrollFixture, RecordNumbersAtFirstMiddleAndLastRecord) {
    Use(new TTestDataSet(Form), 100);
    const int page = Grid->VisibleRowCount();
    SCROLLINFO si = Info();
    EXPECT_EQ(si.nMin, 1);
    EXPECT_EQ(si.nMax, 100 + page - 1);
    EXPECT_EQ(int(si.nPage), page);
    EXPECT_EQ(si.nPos, 1);
    Data->MoveBy(49);
    EXPECT_EQ(Info().nPos, 50);
    Data->Last();
    si = Info();
    EXPECT_EQ(si.nPos, 100);
    // The last record puts the thumb at the bottom: the last position a page allows.
    EXPECT_EQ(si.nPos, si.nMax - int(si.nPage) + 1);
    EXPECT_TRUE(WindowVertVisible());

    // While a record is inserted the thumb stays.
    Data->First();
    Data->MoveBy(9);
    Data->Insert();
    EXPECT_EQ(Info().nPos, 10);
    Data->Cancel();

    // The thumb moves the record.
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40), 0);
    EXPECT_EQ(Data->RecNo(), 40);
}

TEST_F(GridScrollFixture, FivePositionsWithoutRecordNumbers) {
    Use(new TUnnumberedDataSet(Form), 60);
    struct Case {
        const char* Where;
        int Pos;
    };
    auto at = [&](const char* where) {
        if (QByteArray(where) == "first")
            Data->First();
        else if (QByteArray(where) == "last")
            Data->Last();
        else {
            Data->First();
            Data->MoveBy(30);
        }
        return Info().nPos;
    };
    for (Case c : {Case{"first", 0}, Case{"middle", 2}, Case{"last", 4}})
        EXPECT_EQ(at(c.Where), c.Pos) << c.Where;
    EXPECT_EQ(Info().nMax, 4);
    EXPECT_EQ(Info().nPage, 0u);
    // The thumb at the top or bottom goes to the first or last record.
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    EXPECT_TRUE(Data->Bof());
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 4), 0);
    EXPECT_TRUE(Data->Eof());
}

TEST_F(GridScrollFixture, HiddenAndExternalVerticalBars) {
    Use(new TTestDataSet(Form), 100);
    ASSERT_TRUE(WindowVertVisible());
    Grid->VertScrollBar()->SetVisible(false);
    EXPECT_FALSE(WindowVertVisible());
    Grid->VertScrollBar()->SetVisible(true);
    EXPECT_TRUE(WindowVertVisible());

    auto* bar = new TScrollBar(Form);
    bar->SetName(QStringLiteral("ExtBar"));
    bar->SetKind(sbVertical);
    bar->SetParent(Form);
    bar->SetBounds(502, 0, 17, 300);
    Grid->VertScrollBar()->SetExtScrollBar(bar);
    EXPECT_FALSE(WindowVertVisible());
    Data->MoveBy(29);
    EXPECT_EQ(bar->Position(), 30);
    EXPECT_EQ(bar->Min(), 1);
    // A line down on the external bar moves the grid's record.
    const int before = Data->RecNo();
    bar->Perform(CN_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_GT(Data->RecNo(), before);
    // The bar's own step after the grid's does not leave the thumb past the record.
    EXPECT_EQ(bar->Position(), Data->RecNo());
    bar->Perform(CN_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(bar->Position(), Data->RecNo());
    Data->Last();
    bar->Perform(CN_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(bar->Position(), 100);

    // The bar freed: the grid uses its own bar again.
    bar->Free();
    EXPECT_EQ(Grid->VertScrollBar()->ExtScrollBar(), nullptr);
    Grid->UpdateVertScrollBar();
    EXPECT_TRUE(WindowVertVisible());
}

TEST_F(GridScrollFixture, ExternalHorizontalBarFollowsTheLeftColumn) {
    // Four columns of 300 pixels: three steps to the last page.
    for (const char* name : {"ID", "Name", "ID", "Name"}) {
        TColumnEh* c = Grid->Columns()->Add();
        c->SetFieldName(QString::fromLatin1(name));
        c->SetWidth(300);
    }
    Use(new TTestDataSet(Form), 10);
    auto* bar = new TScrollBar(Form);
    bar->SetName(QStringLiteral("ExtHorzBar"));
    bar->SetParent(Form);
    bar->SetBounds(0, 302, 500, 17);
    Grid->HorzScrollBar()->SetExtScrollBar(bar);
    Pump();
    ASSERT_EQ(bar->Max(), 127);
    EXPECT_EQ(bar->Position(), 0);
    // A line on the bar scrolls the grid by a column; the bar then shows the grid's place, not
    // one step further.
    bar->Perform(CN_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    Pump();
    const int fixed = Grid->FixedCols();
    EXPECT_EQ(Grid->LeftCol(), fixed + 1);
    // Three steps to the last page: 0, 42, 85, 127.
    EXPECT_EQ(bar->Position(), 42);
    bar->Perform(CN_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(Grid->LeftCol(), fixed + 2);
    EXPECT_EQ(bar->Position(), 85);
    bar->Perform(CN_HSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
    EXPECT_EQ(Grid->LeftCol(), fixed + 1);
    EXPECT_EQ(bar->Position(), 42);
}

TEST_F(GridScrollFixture, PanelsTakeTheBarsAndFewerRows) {
    Use(new TTestDataSet(Form), 100);
    const int rowsBefore = Grid->DataRowCount();
    Grid->HorzScrollBar()->ExtraPanel()->SetVisible(true);
    Pump();
    ASSERT_TRUE(Grid->ScrollBarPanel());
    EXPECT_TRUE(Grid->HorzScrollBarPanelControl()->Visible());
    EXPECT_TRUE(Grid->VertScrollBarPanelControl()->Visible());
    EXPECT_TRUE(Grid->CornerScrollBarPanelControl()->Visible());
    EXPECT_FALSE(WindowVertVisible());
    EXPECT_EQ(Grid->OutBoundaryData()->BottomIndent(), GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_EQ(Grid->HorzScrollBarPanelControl()->ExtraPanel()->DataSource(), Source);
    // The bottom panel's margin holds no record.
    EXPECT_LE(Grid->DataRowCount(), rowsBefore);

    TScrollBar* vbar = Grid->VertScrollBarPanelControl()->ScrollBar();
    Data->MoveBy(19);
    EXPECT_EQ(vbar->Position(), 20);
    EXPECT_EQ(vbar->Min(), 1);
    // Scrolling the panel bar moves the record and leaves the thumb where the record is.
    int pos = 60;
    vbar->OnScroll(vbar, scPosition, pos);
    EXPECT_EQ(Data->RecNo(), 60);
    EXPECT_EQ(pos, 60);

    // Panels off: margins back, window bar back.
    Grid->HorzScrollBar()->ExtraPanel()->SetVisible(false);
    Pump();
    EXPECT_FALSE(Grid->HorzScrollBarPanelControl()->Visible());
    EXPECT_EQ(Grid->OutBoundaryData()->BottomIndent(), 0);
    EXPECT_TRUE(WindowVertVisible());
}

TEST_F(GridScrollFixture, ScreenshotOfTheGridWithPanelsAndSizeGrip) {
    Use(new TTestDataSet(Form), 40);
    Form->SetBounds(10, 10, 420, 260);
    Grid->SetAlign(alClient);
    Grid->HorzScrollBar()->ExtraPanel()->SetVisible(true);
    Pump(50);
    Data->MoveBy(12);
    Pump(50);
    EXPECT_TRUE(Grid->CornerScrollBarPanelControl()->IsInFormCorner());
    QImage img = Form->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_panels_size_grip"))));
}

// A page of the vertical bar is the data rows shown: footer rows under the data take room that
// a page does not cover. The thumb's middle positions of the five-position bar page the same.
TEST_F(GridScrollFixture, PageCodesMoveByTheShownRows) {
    for (const bool numbered : {true, false}) {
        SCOPED_TRACE(numbered ? "record numbers" : "five positions");
        Grid->SetDataSource(nullptr);
        Use(numbered ? new TTestDataSet(Form) : new TUnnumberedDataSet(Form), 100);
        Grid->SetFooterRowCount(2);
        Pump();
        const int page = Grid->VisibleRowCount();
        ASSERT_GT(page, 1);
        Data->First();
        Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
        EXPECT_EQ(Data->RecNo(), 1 + page);
        Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
        EXPECT_EQ(Data->RecNo(), 1 + 2 * page);
        Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 0), 0);
        EXPECT_EQ(Data->RecNo(), 1 + page);
        if (!numbered) {
            Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
            EXPECT_EQ(Data->RecNo(), 1 + 2 * page);
            Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1), 0);
            EXPECT_EQ(Data->RecNo(), 1 + page);
        }
        Grid->SetFooterRowCount(0);
    }
}
