// The data grid over a memory table shown as a tree (the outline, expanding and collapsing) and
// dragging rows to move their records, in a tree and in a flat list.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhInplace.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/toolscore/ToolCtrlsEhData.h"

#include <QImage>
#include <QPainter>
#include <QScopeGuard>
#include <QWidget>

namespace {

struct TreeGrid : DBGridFormFixture<TDBGridEh> {
    TreeGrid() : DBGridFormFixture(360, 300) {}

    // The names of the grid's data rows as the grid reads them; the row count must agree.
    QStringList Names() {
        QStringList out;
        EXPECT_EQ(Grid->RowCount(), Grid->TopDataOffset() + std::max(1, Table->RecordCount()));
        for (int r = 0; r < Grid->DataRowCount(); ++r) {
            Grid->InstantReadRowEnter(r);
            out << Table->FieldByName(QStringLiteral("Name"))->AsString();
            Grid->InstantReadRowLeave();
        }
        EXPECT_TRUE(Grid->CheckDataConsistency());
        return out;
    }
    // Name -> parent ID (0 for a root) of every record, read from the store: the data itself.
    std::map<QString, int> Parents() {
        std::map<QString, int> out;
        Table->DisableControls();
        const auto enable = qScopeGuard([this] { Table->EnableControls(); });
        const TBookmark bm = Table->GetBookmark();
        Table->TreeList()->FullExpand();
        for (Table->First(); !Table->Eof(); Table->Next())
            out[Table->FieldByName(QStringLiteral("Name"))->AsString()] =
                Table->FieldByName(QStringLiteral("Parent"))->AsInteger();
        Table->SetBookmark(bm);
        return out;
    }
    QString Current() { return Table->FieldByName(QStringLiteral("Name"))->AsString(); }

    int RowY(int DataRow) {
        const TRect r = Grid->CellRect(0, DataRow + Grid->TopDataOffset());
        return (r.Top + r.Bottom) / 2;
    }
    int FirstColLeft() { return Grid->CellRect(Grid->IndicatorOffset(), Grid->TopRow()).Left; }
    // The middle of the sign slot of a node on Level.
    int SignX(int Level) { return FirstColLeft() + Level * 18 - 9; }
    void Send(UINT Msg, WPARAM W, int X, int Y) { Grid->Perform(Msg, W, LPARAM(MAKELONG(Word(X), Word(Y)))); }
    void Click(int X, int Y) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, X, Y);
        Send(WM_LBUTTONUP, 0, X, Y);
    }
    void EnableMoving() {
        TDBGridEhOptions o = Grid->OptionsEh();
        o.Include(dghRecordMoving);
        Grid->SetOptionsEh(o);
    }
    // Press on the indicator of DataRow, follow the given (X, data row) points, release at the
    // last. No events are pumped in between, so the auto-scroll timer does not run.
    void Drag(int FromRow, std::initializer_list<std::pair<int, int>> Path) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, 3, RowY(FromRow));
        ASSERT_EQ(Grid->GridEhState(), dgsRowMoving);
        int x = 3, y = RowY(FromRow);
        for (const auto& [px, row] : Path) {
            x = px;
            y = RowY(row);
            Send(WM_MOUSEMOVE, MK_LBUTTON, x, y);
        }
        Send(WM_LBUTTONUP, 0, x, y);
        EXPECT_EQ(Grid->GridEhState(), dgsNormal);
        EXPECT_FALSE(GetGridMoveLine()->Visible());
        Pump();
    }
    // The grid as shown, with the move line (a window of its own) drawn over it where it is.
    QImage GrabWithMoveLine() {
        Grid->Repaint();
        QImage img = Grid->Widget()->grab().toImage();
        TGridMoveLineEh* line = GetGridMoveLine();
        if (line->Visible()) {
            QPainter p(&img);
            // Screen to picture: the picture starts at the widget's frame.
            const QPoint w = Grid->Widget()->mapToGlobal(QPoint(0, 0));
            const TPoint at{line->Left() - w.x(), line->Top() - w.y()};
            p.fillRect(at.X, at.Y + 3, line->Width(), 1, QColor(255, 0, 0));
            p.fillRect(at.X, at.Y, 1, 7, QColor(255, 0, 0));
            p.fillRect(at.X + line->Width() - 1, at.Y, 1, 7, QColor(255, 0, 0));
        }
        return img;
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Expanding and collapsing

TEST_F(TreeGrid, SignClicksAndKeysOpenAndCloseNodesAndTheRowsFollow) {
    UseTree();
    ASSERT_EQ(Names(), (QStringList{"A", "A.1", "A.1.a", "A.2", "B", "B.1"}));
    // A press in the indentation left of A.1's sign is taken but toggles nothing.
    Click(FirstColLeft() + 5, RowY(1));
    EXPECT_EQ(Names(), (QStringList{"A", "A.1", "A.1.a", "A.2", "B", "B.1"}));
    EXPECT_EQ(Current(), QStringLiteral("A")) << "the press did not go to the cell";
    Click(SignX(2), RowY(1));
    EXPECT_EQ(Names(), (QStringList{"A", "A.1", "A.2", "B", "B.1"}));
    Click(SignX(2), RowY(1));
    EXPECT_EQ(Names(), (QStringList{"A", "A.1", "A.1.a", "A.2", "B", "B.1"}));

    // Collapsing the node that holds the current record makes its visible ancestor current.
    Table->Next();
    Table->Next();
    Pump();
    ASSERT_EQ(Current(), QStringLiteral("A.1.a"));
    const int top = Grid->TopRow();
    Click(SignX(1), RowY(0));
    EXPECT_EQ(Names(), (QStringList{"A", "B", "B.1"}));
    EXPECT_EQ(Current(), QStringLiteral("A"));
    EXPECT_EQ(Grid->Row(), Grid->TopDataOffset());
    EXPECT_EQ(Grid->TopRow(), top);

    // Keypad + and - on the current row.
    Grid->Perform(WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(Names(), (QStringList{"A", "A.1", "A.1.a", "A.2", "B", "B.1"}));
    Grid->Perform(WM_KEYDOWN, VK_SUBTRACT, 0);
    EXPECT_EQ(Names(), (QStringList{"A", "B", "B.1"}));

    // A quick second press on a sign is no double click.
    int dbl = 0;
    Grid->OnDblClick = TNotifyEvent::Callable([&](TObject*) { ++dbl; });
    Send(WM_LBUTTONDOWN, MK_LBUTTON, SignX(1), RowY(1));
    Send(WM_LBUTTONUP, 0, SignX(1), RowY(1));
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, SignX(1), RowY(1));
    Send(WM_LBUTTONUP, 0, SignX(1), RowY(1));
    EXPECT_EQ(dbl, 0);
    EXPECT_EQ(Names(), (QStringList{"A", "B", "B.1"})) << "B closed and opened again";
}

// ---------------------------------------------------------------------------------------------
// Painting

TEST_F(TreeGrid, TheOutlineShowsLevelsSignsAndLines) {
    UseTree();
    Table->Last();
    Pump();
    Grid->Repaint();
    Pump();
    const QImage img = Grid->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid-tree"))));
    // The widget's picture includes its frame: client point (x, y) is at (x, y) + o in it.
    const TPoint origin = Grid->ClientToScreen(TPoint{0, 0});
    const QPoint o = QPoint(origin.X, origin.Y) - Grid->Widget()->mapToGlobal(QPoint(0, 0));
    const QRgb back = img.pixel(FirstColLeft() + 1 + o.x(), RowY(0) + o.y());
    auto inked = [&](int x0, int x1, int row) {
        const TRect r = Grid->CellRect(1, row + Grid->TopDataOffset());
        for (int x = x0; x < x1; ++x)
            for (int y = r.Top; y < r.Bottom; ++y)
                if (img.pixel(x + o.x(), y + o.y()) != back) return true;
        return false;
    };
    const int L = FirstColLeft();
    // Row A.1 (level 2): A has a following sibling, so its slot carries the line down; A.1's
    // own slot has the sign box.
    EXPECT_TRUE(inked(L + 9, L + 10, 1)) << "the line of A passing A.1";
    EXPECT_TRUE(inked(L + 18 + 4, L + 18 + 6, 1)) << "the box of A.1's sign";
    // Row B.1 (level 2): B is the last root, so nothing passes through its slot.
    EXPECT_FALSE(inked(L, L + 18, 5)) << "no line of B beside B.1";
    // Row A.1.a (level 3) is a leaf: its slot has lines but no box.
    EXPECT_FALSE(inked(L + 36 + 5, L + 36 + 8, 2)) << "a leaf has no box";
    // Each row's text starts just after its tree area.
    for (const auto& [row, level] : {std::pair{0, 1}, {2, 3}, {3, 2}, {4, 1}}) {
        int first = -1;
        for (int x = L + level * 18 + 1; x < L + level * 18 + 20 && first < 0; ++x)
            if (inked(x, x + 1, row)) first = x;
        EXPECT_GE(first, L + level * 18 + 1) << "row " << row;
        EXPECT_LE(first, L + level * 18 + 8) << "row " << row;
    }

    // Without lines only the signs show.
    Grid->TreeViewParams()->SetShowTreeLines(false);
    Grid->Repaint();
    const QImage bare = Grid->Widget()->grab().toImage();
    bool ink = false;
    const TRect r = Grid->CellRect(1, 2 + Grid->TopDataOffset());
    // (The grid's line closing the area at its right edge stays.)
    for (int x = L; x < L + 52; ++x)
        for (int y = r.Top; y < r.Bottom; ++y)
            ink = ink || bare.pixel(x + o.x(), y + o.y()) != back;
    EXPECT_FALSE(ink) << "the leaf A.1.a shows no outline without lines";
}

// The editor of the first column leaves the tree area to the outline, which it paints itself.
TEST_F(TreeGrid, TheEditorShowsTheOutlineOfTheCurrentRow) {
    UseTree();
    Table->Next();
    Pump();
    Grid->SetCol(1);
    Grid->ShowEditor();
    Pump();
    auto* ed = dynamic_cast<TDBGridInplaceEdit*>(Grid->InplaceEditor());
    ASSERT_TRUE(ed && ed->Visible());
    ASSERT_TRUE(ed->TreeElementsBox() && ed->TreeElementsBox()->Visible());
    EXPECT_EQ(ed->TreeElementsBox()->Width(), 36);
    EXPECT_EQ(ed->TreeElementsBox()->Left(), 0);
    // A press on the outline's sign reaches the editor, which closes A.1.
    ed->TreeElementsBox()->Perform(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(Word(36 - 5), Word(5))));
    ed->TreeElementsBox()->Perform(WM_LBUTTONUP, 0, LPARAM(MAKELONG(Word(36 - 5), Word(5))));
    Pump();
    EXPECT_EQ(Table->RecordCount(), 5);
    Grid->SetCol(2);
    Grid->ShowEditor();
    Pump();
    ASSERT_TRUE(ed->Visible());
    EXPECT_FALSE(ed->TreeElementsBox()->Visible()) << "other columns have no outline";
}

// ---------------------------------------------------------------------------------------------
// Dragging rows in a tree

TEST_F(TreeGrid, DraggingInATreeMovesTheRecordToTheLevelTheMouseChooses) {
    UseTree();
    EnableMoving();
    // B.1 dragged up onto A.2 (at the indicator: A.2's own level) goes before A.2, under A.
    Drag(5, {{3, 4}, {3, 3}});
    EXPECT_EQ(Names(), (QStringList{"A", "A.1", "A.1.a", "B.1", "A.2", "B"}));
    auto parents = Parents();
    EXPECT_EQ(parents[QStringLiteral("B.1")], 1);
    EXPECT_EQ(parents.size(), 6u);

    // A.2 dragged down onto B, far to the right: after B, one level below it at most.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 3, RowY(4));
    Send(WM_MOUSEMOVE, MK_LBUTTON, FirstColLeft() + 200, RowY(5));
    EXPECT_EQ(Grid->MoveRowDest(), 5 + Grid->TopDataOffset());
    EXPECT_EQ(Grid->MoveRowDestLevel(), 2);
    EXPECT_EQ(Grid->MoveRowLeftBounds(), FirstColLeft() + 36);
    EXPECT_TRUE(GrabWithMoveLine().save(ScreenshotPath(QStringLiteral("dbgrid-tree-row-drag"))));
    Send(WM_LBUTTONUP, 0, FirstColLeft() + 200, RowY(5));
    Pump();
    EXPECT_EQ(Names(), (QStringList{"A", "A.1", "A.1.a", "B.1", "B", "A.2"}));
    parents = Parents();
    EXPECT_EQ(parents[QStringLiteral("A.2")], 5);

    // Released where it started at its own level: nothing moves.
    Drag(1, {{3, 1}});
    EXPECT_EQ(Names(), (QStringList{"A", "A.1", "A.1.a", "B.1", "B", "A.2"}));
    // The same row further right does move: to one level below the row before it (B.1, on
    // level 2), however far the mouse goes.
    Drag(4, {{FirstColLeft() + 200, 4}});
    EXPECT_EQ(Parents()[QStringLiteral("B")], 6) << "B went under B.1";
    EXPECT_EQ(Parents()[QStringLiteral("A.2")], 5) << "A.2 went along with B";
    EXPECT_EQ(Names(), (QStringList{"A", "A.1", "A.1.a", "B.1", "B", "A.2"}));
}

TEST_F(TreeGrid, ANodeCannotBeDroppedIntoItsOwnBranch) {
    UseTree();
    EnableMoving();
    const auto before = Parents();
    // A over its grandchild A.1.a: below it the place is under A.1, inside A's own branch.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 3, RowY(0));
    const int line = GetGridMoveLine()->Top();
    Send(WM_MOUSEMOVE, MK_LBUTTON, 3, RowY(2));
    EXPECT_EQ(Grid->MoveRowDest(), Grid->TopDataOffset()) << "the refused place is never shown";
    EXPECT_EQ(GetGridMoveLine()->Top(), line);
    Send(WM_LBUTTONUP, 0, 3, RowY(2));
    Pump();
    EXPECT_EQ(Parents(), before);
    EXPECT_EQ(Names(), (QStringList{"A", "A.1", "A.1.a", "A.2", "B", "B.1"}));
    // Asked to move there without the check, the table refuses loudly and keeps its data.
    EXPECT_ANY_THROW(Grid->MoveRowsTo(2, 2, false));
    EXPECT_EQ(Parents(), before);
    EXPECT_EQ(Names(), (QStringList{"A", "A.1", "A.1.a", "A.2", "B", "B.1"}));
}

TEST_F(TreeGrid, OnMoveRecordsDecidesAndGetsTheRecordNumberAndLevel) {
    UseTree();
    EnableMoving();
    std::vector<std::tuple<int, int, bool, int>> calls; // ToRecNo, TreeLevel, CheckOnly, count
    Grid->OnMoveRecords = TGridMoveRecordsEventEh::Callable(
        [&](TObject*, TBMListEh* List, int ToRecNo, int TreeLevel, bool CheckOnly) {
            calls.emplace_back(ToRecNo, TreeLevel, CheckOnly, List->Count());
            return ToRecNo != 3; // row A.1.a refused
        });
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 3, RowY(5));
    Send(WM_MOUSEMOVE, MK_LBUTTON, 3, RowY(2));
    EXPECT_EQ(Grid->MoveRowDest(), 5 + Grid->TopDataOffset());
    Send(WM_MOUSEMOVE, MK_LBUTTON, 3, RowY(1));
    EXPECT_EQ(Grid->MoveRowDest(), 1 + Grid->TopDataOffset());
    Send(WM_LBUTTONUP, 0, 3, RowY(1));
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2], std::make_tuple(2, 2, false, 1));
    EXPECT_EQ(Names(), (QStringList{"A", "A.1", "A.1.a", "A.2", "B", "B.1"})) << "the handler moved nothing";
}

// ---------------------------------------------------------------------------------------------
// Dragging rows in a flat list

struct FlatMove : DBGridFormFixture<TDBGridEh> {
    FlatMove() : DBGridFormFixture(300, 240) {}
    int RowY(int DataRow) {
        const TRect r = Grid->CellRect(0, DataRow + Grid->TopDataOffset());
        return (r.Top + r.Bottom) / 2;
    }
    void Send(UINT Msg, WPARAM W, int X, int Y) { Grid->Perform(Msg, W, LPARAM(MAKELONG(Word(X), Word(Y)))); }
    std::vector<int> Ids() {
        std::vector<int> out;
        for (int r = 0; r < Grid->DataRowCount(); ++r) {
            Grid->InstantReadRowEnter(r);
            out.push_back(Table->FieldByName(QStringLiteral("ID"))->AsInteger());
            // The record keeps its own values.
            EXPECT_EQ(Table->FieldByName(QStringLiteral("Name"))->AsString(),
                      QStringLiteral("Name %1").arg(out.back()));
            Grid->InstantReadRowLeave();
        }
        return out;
    }
    void SetUp() override {
        DBGridFormFixture::SetUp();
        UseTable(20);
        TDBGridEhOptions o = Grid->OptionsEh();
        o.Include(dghRecordMoving);
        Grid->SetOptionsEh(o);
        Grid->SetFocus();
        Pump();
    }
};

TEST_F(FlatMove, DraggingARowDownPutsItsRecordAtTheDestination) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 3, RowY(1));
    Send(WM_MOUSEMOVE, MK_LBUTTON, 3, RowY(3));
    Send(WM_MOUSEMOVE, MK_LBUTTON, 3, RowY(5));
    // Below the source the line marks the bottom edge of the destination row.
    const TPoint line = Grid->ScreenToClient(TPoint{GetGridMoveLine()->Left(), GetGridMoveLine()->Top()});
    EXPECT_EQ(line.Y + 4, Grid->CellRect(0, 5 + Grid->TopDataOffset()).Bottom);
    const QImage img = [&] {
        Grid->Repaint();
        QImage i = Grid->Widget()->grab().toImage();
        QPainter p(&i);
        const QPoint w = Grid->Widget()->mapToGlobal(QPoint(0, 0));
        p.fillRect(GetGridMoveLine()->Left() - w.x(), GetGridMoveLine()->Top() - w.y() + 3,
                   GetGridMoveLine()->Width(), 1, QColor(255, 0, 0));
        return i;
    }();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid-row-drag"))));
    Send(WM_LBUTTONUP, 0, 3, RowY(5));
    Pump();
    const std::vector<int> ids = Ids();
    ASSERT_GE(ids.size(), 7u);
    EXPECT_EQ(std::vector<int>(ids.begin(), ids.begin() + 7), (std::vector<int>{1, 3, 4, 5, 6, 2, 7}));
    EXPECT_EQ(Table->RecordCount(), 20);

    // Upwards the record goes before the destination row.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 3, RowY(6));
    Send(WM_MOUSEMOVE, MK_LBUTTON, 3, RowY(0));
    Send(WM_LBUTTONUP, 0, 3, RowY(0));
    Pump();
    EXPECT_EQ(Ids()[0], 7);
    EXPECT_EQ(Ids()[1], 1);
}

TEST_F(FlatMove, EscapeOrAReleaseOnTheSourceMovesNothing) {
    const std::vector<int> before = Ids();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 3, RowY(2));
    Send(WM_MOUSEMOVE, MK_LBUTTON, 3, RowY(4));
    EXPECT_TRUE(GetGridMoveLine()->Visible());
    Grid->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Grid->GridEhState(), dgsNormal);
    EXPECT_FALSE(GetGridMoveLine()->Visible());
    EXPECT_FALSE(Grid->TimerActive());
    Send(WM_LBUTTONUP, 0, 3, RowY(4));
    EXPECT_EQ(Ids(), before);

    Send(WM_LBUTTONDOWN, MK_LBUTTON, 3, RowY(2));
    Send(WM_MOUSEMOVE, MK_LBUTTON, 3, RowY(4));
    Send(WM_MOUSEMOVE, MK_LBUTTON, 3, RowY(2));
    Send(WM_LBUTTONUP, 0, 3, RowY(2));
    EXPECT_EQ(Ids(), before);
}

TEST_F(FlatMove, WithSeveralSelectableOnlyAPlainPressOnASelectedRecordDragsTheSelection) {
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect});
    Pump();
    // Not selected: the press selects as usual instead.
    EXPECT_FALSE(Grid->BeginRowMoving(3, RowY(1), true));
    for (int n : {2, 4}) {
        Table->SetRecNo(n);
        Grid->SelectedRows()->SetCurrentRowSelected(true);
    }
    EXPECT_TRUE(Grid->BeginRowMoving(3, RowY(1), true));
    SetKeyDown(VK_CONTROL, true);
    EXPECT_FALSE(Grid->BeginRowMoving(3, RowY(1), true)) << "Ctrl held";
    SetKeyDown(VK_CONTROL, false);
    // The row-select cursor shows only where a press would not drag.
    auto cursorAt = [&](int y) {
        const TPoint s = Grid->ClientToScreen(TPoint{3, y});
        SetCursorPos(s.X, s.Y);
        SetCursor(crDefault);
        Grid->Perform(WM_SETCURSOR, WPARAM(Grid->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return TCursor(GetCursor());
    };
    EXPECT_EQ(cursorAt(RowY(0)), TCustomDBGridEh::RowSelectCursor());
    EXPECT_NE(cursorAt(RowY(1)), TCustomDBGridEh::RowSelectCursor());
    // Both selected records go, in their order, to the place of row 6.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 3, RowY(3));
    Send(WM_MOUSEMOVE, MK_LBUTTON, 3, RowY(6));
    Send(WM_LBUTTONUP, 0, 3, RowY(6));
    Pump();
    const std::vector<int> ids = Ids();
    EXPECT_EQ(std::vector<int>(ids.begin(), ids.begin() + 8), (std::vector<int>{1, 3, 5, 6, 7, 2, 4, 8}));
}

TEST_F(FlatMove, HeldBelowTheRowsTheGridScrollsOneRowPerStepUpToTheLast) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 3, RowY(0));
    ASSERT_EQ(Grid->GridEhState(), dgsRowMoving);
    const auto end = qScopeGuard([&] { Grid->EndRowMoving(-1, -1, false); });
    TGridDrawInfoEh di;
    Grid->CalcDrawInfo(di);
    const int below = di.Vert.FullVisBoundary + 2;
    const int top = Grid->TopRow();
    for (int step = 1; step <= 3; ++step) {
        Grid->CalcDrawInfo(di);
        Grid->TrackRowMoving(below, -1, TPoint{3, below}, di.Vert, di);
        EXPECT_EQ(Grid->TopRow(), top + step);
        EXPECT_EQ(Grid->MoveRowDest(), di.Vert.LastFullVisibleCell + 1);
    }
    for (int step = 0; step < 40; ++step) {
        Grid->CalcDrawInfo(di);
        Grid->TrackRowMoving(below, -1, TPoint{3, below}, di.Vert, di);
    }
    EXPECT_EQ(Grid->MoveRowDest(), Grid->RowCount() - 1) << "stops at the last row";
    const int last = Grid->TopRow();
    Grid->CalcDrawInfo(di);
    Grid->TrackRowMoving(below, -1, TPoint{3, below}, di.Vert, di);
    EXPECT_EQ(Grid->TopRow(), last);
    // Above the rows it scrolls back one row per step.
    Grid->CalcDrawInfo(di);
    Grid->TrackRowMoving(di.Vert.FixedBoundary - 2, 0, TPoint{3, di.Vert.FixedBoundary - 2}, di.Vert, di);
    EXPECT_EQ(Grid->TopRow(), last - 1);
    EXPECT_EQ(Grid->MoveRowDest(), last - 1);
}

// Without the memory table's rows the grid shows the data link's buffer: held below the rows the
// buffer moves on by two records per step, above them back by one.
TEST_F(FlatMove, OverABufferedDataSetTheDragScrollsTheBuffer) {
    Grid->SetTryUseMemTableInt(false);
    Pump();
    ASSERT_FALSE(Grid->UsesMemTable());
    int moves = 0;
    Grid->OnMoveRecords =
        TGridMoveRecordsEventEh::Callable([&](TObject*, TBMListEh*, int, int, bool CheckOnly) {
            moves += CheckOnly ? 0 : 1;
            return true;
        });
    auto firstId = [&] {
        Grid->InstantReadRowEnter(0);
        const int id = Table->FieldByName(QStringLiteral("ID"))->AsInteger();
        Grid->InstantReadRowLeave();
        return id;
    };
    ASSERT_EQ(firstId(), 1);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 3, RowY(0));
    ASSERT_EQ(Grid->GridEhState(), dgsRowMoving);
    TGridDrawInfoEh di;
    for (int step = 1; step <= 2; ++step) {
        Grid->CalcDrawInfo(di);
        const int below = di.Vert.GridBoundary + 3;
        Grid->TrackRowMoving(below, -1, TPoint{3, below}, di.Vert, di);
        EXPECT_EQ(firstId(), 1 + 2 * step);
        EXPECT_EQ(Grid->MoveRowDest(), Grid->RowCount() - 1);
    }
    Grid->CalcDrawInfo(di);
    Grid->TrackRowMoving(di.Vert.FixedBoundary - 2, 0, TPoint{3, di.Vert.FixedBoundary - 2}, di.Vert, di);
    EXPECT_EQ(firstId(), 4);
    EXPECT_EQ(Grid->MoveRowDest(), Grid->TopDataOffset());
    Send(WM_LBUTTONUP, 0, 3, RowY(0));
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(Grid->GridEhState(), dgsNormal);
}
