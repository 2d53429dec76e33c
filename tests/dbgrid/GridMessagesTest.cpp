// The data grid's message routing: typing into the filter editor, where the wheel goes, the
// design-time hit test, the cursor over frozen borders and the row panel's auto-scroll timer.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhFilter.h"
#include "lib/dbgrid/DBGridEhFilterRow.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include "platform/rtl/SysUtils.h"

namespace {

using namespace Qt::StringLiterals;

// Opens the protected steps the tests drive directly.
class TMessagesGrid : public TDBGridEh {
    KVT_CLASS(TMessagesGrid, TDBGridEh)
public:
    using TCustomDBGridEh::BeginRowPanelColMoving;
    using TDBGridEh::TDBGridEh;
    bool RowPanelMoving() const { return FRowPanelMoving; }
};

struct GridMessages : DBGridFormFixture<TMessagesGrid> {
    GridMessages() : DBGridFormFixture(360, 300) {}
    void SetUp() override {
        SetFormatSettings(TFormatSettings::Invariant());
        DBGridFormFixture::SetUp();
        UseTable(40);
    }
    int Col(const char* name) {
        for (int i = 0; i < Grid->VisibleColumnCount(); ++i)
            if (Grid->VisibleColumn(i)->FieldName() == QLatin1String(name)) return i;
        return -1;
    }
    TColumnEh* Column(const char* name) { return Grid->VisibleColumn(Col(name)); }
    LRESULT Wheel(int Delta) {
        const TPoint p = Grid->ClientToScreen(TPoint(50, 100));
        return Grid->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, Word(SmallInt(Delta))), PointToLParam(p.X, p.Y));
    }
    int Id() { return Table->FieldByName(u"ID"_s)->AsInteger(); }
    int Applied = 0;
};

TEST_F(GridMessages, TypedFilterTextGoesToItsColumnAndSurvivesReloads) {
    Grid->STFilter()->SetVisible(true);
    Pump();
    Column("Name")->STFilter()->SetExpressionStr(u"Name 1*"_s);
    Grid->StartFilterEdit(Col("Qty"));
    TInplaceFilterEditEh* edit = Grid->FilterEdit();
    ASSERT_TRUE(edit && edit->Visible());

    // Every change of the text reaches the column, and the editor keeps what was typed.
    edit->SetText(u">"_s);
    EXPECT_EQ(edit->Text(), u">"_s) << "a text that does not parse yet stays in the editor";
    EXPECT_TRUE(Column("Qty")->STFilter()->ExpressionStr().isEmpty());
    edit->SetText(u">4"_s);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u">4"_s);
    EXPECT_EQ(edit->Text(), u">4"_s);
    EXPECT_EQ(Table->RecordCount(), 40) << "typing sets the condition; applying it is separate";

    // Applying reloads the editor from the column: the text stays, in the editor and the column.
    Grid->OnApplyFilter = TNotifyEvent::Callable([this](TObject*) { ++Applied; }, this);
    edit->Perform(WM_CHAR, 13, 0);
    EXPECT_EQ(Applied, 1);
    EXPECT_TRUE(edit->Visible());
    EXPECT_EQ(edit->Text(), u">4"_s);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u">4"_s);
    Grid->UpdateFilterEdit(true);
    EXPECT_EQ(edit->Text(), u">4"_s);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u">4"_s);

    // Loading another column's text into the editor is no typing: neither column loses its text.
    Grid->StartFilterEdit(Col("Name"));
    EXPECT_EQ(edit->Text(), u"Name 1*"_s);
    EXPECT_EQ(Column("Name")->STFilter()->ExpressionStr(), u"Name 1*"_s);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u">4"_s);
    Grid->StartFilterEdit(Col("Qty"));
    EXPECT_EQ(edit->Text(), u">4"_s);
}

TEST_F(GridMessages, WheelGoesToTheFilterEditorWhileItIsActive) {
    const int top = Grid->TopRow();
    EXPECT_NE(Wheel(-120), 0);
    EXPECT_EQ(Grid->TopRow(), top + 1) << "a memory table scrolls by rows";
    EXPECT_NE(Wheel(120), 0);
    EXPECT_EQ(Grid->TopRow(), top);

    Grid->STFilter()->SetVisible(true);
    Pump();
    const int filterTop = Grid->TopRow();
    Grid->StartFilterEdit(Col("Qty"));
    ASSERT_TRUE(Grid->FilterEditMode());
    // The editor has the wheel; whether it takes it or hands it back, the grid does not scroll.
    Wheel(-120);
    Wheel(-120);
    EXPECT_EQ(Grid->TopRow(), filterTop);
    EXPECT_EQ(Id(), 1);
    Grid->StopFilterEdit();
    EXPECT_NE(Wheel(-120), 0);
    EXPECT_EQ(Grid->TopRow(), filterTop + 1);
}

TEST_F(GridMessages, DesignHitTestAnswersForSizableBordersCustomColumnsAndTheTopMargin) {
    const TRect title = Grid->CellRect(Grid->IndicatorOffset(), 0);
    const int y = (title.Top + title.Bottom) / 2;
    auto hit = [&](int X, int Y) { return Grid->Perform(CM_DESIGNHITTEST, 0, PointToLParam(X, Y)); };
    // A column border over default fields: the designer keeps the mouse.
    EXPECT_EQ(hit(title.Right, y), 0);
    EXPECT_EQ(hit(title.Left + 5, y), 0);
    Grid->Columns()->SetState(csCustomized);
    EXPECT_EQ(hit(title.Right, y), 1);
    EXPECT_EQ(hit(title.Left + 5, y), 0);
    // The grouping panel's margin at the top belongs to the grid.
    Grid->OutBoundaryData()->SetTopIndent(30);
    Pump();
    EXPECT_EQ(hit(100, 10), 1);
    EXPECT_EQ(hit(100, 10 + 30 + 40), 0);
}

TEST_F(GridMessages, FrozenBorderShowsTheSplitCursor) {
    Grid->SetFrozenCols(1);
    Grid->SetFocus();
    Pump();
    const TRect title = Grid->CellRect(Grid->IndicatorOffset(), 0);
    auto cursorAt = [&](int X, int Y) {
        const TPoint s = Grid->ClientToScreen(TPoint(X, Y));
        SetCursorPos(s.X, s.Y);
        ::SetCursor(crDefault);
        Grid->Perform(WM_SETCURSOR, WPARAM(Grid->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    };
    EXPECT_EQ(cursorAt(title.Right + 1, (title.Top + title.Bottom) / 2), crHSplit);
    EXPECT_NE(cursorAt(title.Left + 10, (title.Top + title.Bottom) / 2), crHSplit);
}

TEST_F(GridMessages, RowPanelColumnMoveScrollsByTimerUntilTheMouseComesBack) {
    Grid->RowPanel()->SetActive(true);
    Grid->Columns()->Columns(0)->SetWidth(400);
    Grid->Columns()->Columns(1)->SetWidth(400);
    Pump();
    const TRect title = Grid->CellRect(Grid->IndicatorOffset(), 0);
    const TPoint outside = Grid->ClientToScreen(TPoint(Grid->ClientWidth() + 30, title.Top + 5));
    SetCursorPos(outside.X, outside.Y);
    Grid->BeginRowPanelColMoving(TShiftState(), Grid->ClientWidth() + 30, 0, title.Top + 5);
    ASSERT_TRUE(Grid->RowPanelMoving());
    // The box carried past the grid's edge scrolls the panel; the timer goes on scrolling it.
    int offset = Grid->LeftColOffset();
    Grid->Perform(WM_TIMER, 1, 0);
    EXPECT_GT(Grid->LeftColOffset(), offset);
    EXPECT_TRUE(Grid->TimerActive()) << "beside the panel the move keeps scrolling";
    offset = Grid->LeftColOffset();
    Grid->Perform(WM_TIMER, 1, 0);
    EXPECT_GT(Grid->LeftColOffset(), offset);

    // Back over the panel the scrolling stops; cancelling ends the move unapplied.
    const TPoint inside = Grid->ClientToScreen(TPoint(title.Left + 20, title.Top + 5));
    SetCursorPos(inside.X, inside.Y);
    Grid->Perform(WM_TIMER, 1, 0);
    EXPECT_FALSE(Grid->TimerActive());
    Grid->Perform(WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(Grid->RowPanelMoving());
    EXPECT_EQ(Grid->Columns()->Columns(0)->FieldName(), u"ID"_s);
}

} // namespace
