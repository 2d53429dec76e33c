// The data grid's selection kinds, the keyboard extension of a record selection, the edit
// actions' enabling rules and the delete / clear of a selection with its questions.

#include "DBGridTestFixture.h"

#include <QImage>
#include <QWidget>

#include "db/TestDataSet.h"
#include "lib/dbgrid/DBGridEhSelection.h"

#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct SelectionFixture : DBGridFormFixture<TDBGridEh> {
    std::vector<String> Questions;
    int Answer = IDOK;

    void SetUp() override {
        DBGridFormFixture::SetUp();
        SetMessageBoxHook([this](const String& Text, const String&, UINT) {
            Questions.push_back(Text);
            return Answer;
        });
        UseTable(6);
        TDBGridOptions o = Grid->Options();
        o.Include(dgMultiSelect);
        Grid->SetOptions(o);
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        DBGridFormFixture::TearDown();
    }
    TBookmark BookmarkOf(int Id) {
        Table->Locate(QStringLiteral("ID"), Variant(Id), {});
        return Table->Bookmark();
    }
    void SelectRecords(std::initializer_list<int> Ids) {
        for (int id : Ids) {
            BookmarkOf(id);
            Grid->SelectedRows()->SetCurrentRowSelected(true);
        }
    }
    std::vector<Variant> Names() {
        std::vector<Variant> v;
        Table->First();
        while (!Table->Eof()) {
            v.push_back(Table->FieldByName(QStringLiteral("Name"))->Value());
            Table->Next();
        }
        return v;
    }
    TDBGridEhSelection* Sel() { return Grid->Selection(); }
};

TEST_F(SelectionFixture, KindsReplaceEachOtherAndEmptyHoldersFallBackToNone) {
    // A single cell is no selection.
    Sel()->Rect()->Select(0, BookmarkOf(2), false);
    EXPECT_EQ(Sel()->SelectionType(), gstNon);
    Sel()->Rect()->Select(1, BookmarkOf(4), true);
    ASSERT_EQ(Sel()->SelectionType(), gstRectangle);
    EXPECT_EQ(Sel()->Rect()->LeftCol(), 0);
    EXPECT_EQ(Sel()->Rect()->RightCol(), 1);
    EXPECT_TRUE(Sel()->DataCellSelected(1, BookmarkOf(3)));
    EXPECT_FALSE(Sel()->DataCellSelected(2, BookmarkOf(3)));
    EXPECT_FALSE(Sel()->DataCellSelected(0, BookmarkOf(5)));

    // A bookmark added while a rectangle is selected clears the rectangle.
    SelectRecords({5});
    EXPECT_EQ(Sel()->SelectionType(), gstRecordBookmarks);
    EXPECT_EQ(Sel()->Rect()->Anchor().Col, -1);
    EXPECT_TRUE(Sel()->DataCellSelected(-1, BookmarkOf(5)));
    Grid->SelectedRows()->SetCurrentRowSelected(false);
    EXPECT_EQ(Sel()->SelectionType(), gstNon);

    Sel()->SelectAll();
    EXPECT_EQ(Sel()->SelectionType(), gstAll);
    EXPECT_TRUE(Sel()->DataCellSelected(2, BookmarkOf(6)));
    Grid->ClearSelection();
    EXPECT_EQ(Sel()->SelectionType(), gstNon);
}

// The screen rectangle of each kind, over a memory table and over a plain data set.
TEST_F(SelectionFixture, SelectionToGridRectPerKind) {
    auto check = [&](TDataSet* ds, const char* what) {
        SCOPED_TRACE(what);
        auto bm = [&](int Id) {
            ds->Locate(QStringLiteral("ID"), Variant(Id), {});
            return ds->Bookmark();
        };
        ds->First();
        Pump();
        const int off = Grid->TopDataOffset();
        Sel()->Rect()->Select(0, bm(2), false);
        Sel()->Rect()->Select(1, bm(4), true);
        ds->First();
        EXPECT_EQ(Sel()->SelectionToGridRect(), (TGridRect{1, 1 + off, 2, 3 + off}));
        bm(3);
        Grid->SelectedRows()->SetCurrentRowSelected(true);
        bm(5);
        Grid->SelectedRows()->SetCurrentRowSelected(true);
        ds->First();
        EXPECT_EQ(Sel()->SelectionToGridRect(), (TGridRect{0, 2 + off, Grid->ColCount() - 1, 4 + off}));
        Sel()->Columns()->Select(Grid->Columns()->Columns(1), false);
        EXPECT_EQ(Sel()->SelectionToGridRect(), (TGridRect{2, 0, 2, Grid->RowCount()}));
        Grid->ClearSelection();
        EXPECT_EQ(Sel()->SelectionToGridRect(), (TGridRect{-1, -1, -1, -1}));
    };
    check(Table, "memory table");
    auto* plain = new TTestDataSet(Form);
    plain->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
    plain->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    for (int i = 1; i <= 6; ++i)
        plain->AddRecord({Variant(i), Variant(QStringLiteral("Name %1").arg(i))});
    plain->Open();
    Source->SetDataSet(plain);
    Pump();
    check(plain, "plain data set");
}

TEST_F(SelectionFixture, AssignCopiesTheHolderOfTheSourceKind) {
    SelectRecords({2, 5});
    TDBGridEhSelection copy(nullptr);
    copy.Assign(Sel());
    EXPECT_EQ(copy.SelectionType(), gstRecordBookmarks);
    EXPECT_EQ(copy.Rows()->Count(), 2);
    // As base references: the memory table's records themselves.
    TDBGridEhSelection refs(nullptr);
    refs.AssignAsBaseRef(Sel());
    EXPECT_EQ(refs.SelectionType(), gstRecordBookmarks);
    ASSERT_EQ(refs.Rows()->RowsRef().size(), 2u);
    EXPECT_NE(refs.Rows()->RowsRef()[0], refs.Rows()->RowsRef()[1]);
}

TEST_F(SelectionFixture, RectangleAccessorsNeedActiveData) {
    Table->Close();
    EXPECT_THROW(Sel()->Rect()->BottomRow(), EInvalidGridOperationEh);
    EXPECT_THROW(Sel()->Rect()->DataCellSelected(0, TBookmark{}), EInvalidGridOperationEh);
}

TEST_F(SelectionFixture, ColumnSelectionByCtrlAndShift) {
    TDBGridColumnsEh* cols = Grid->Columns();
    TDBGridEhSelectionCols* s = Sel()->Columns();
    s->InvertSelect(cols->Columns(1));
    EXPECT_EQ(Sel()->SelectionType(), gstColumns);
    s->InvertSelect(cols->Columns(1));
    EXPECT_EQ(Sel()->SelectionType(), gstNon);
    EXPECT_EQ(s->Count(), 0);

    auto selected = [&] {
        std::vector<int> v;
        for (int i = 0; i < s->Count(); ++i)
            v.push_back(s->Columns(i)->Index());
        return v;
    };
    s->Select(cols->Columns(1), false);
    s->SelectShift(cols->Columns(2));
    EXPECT_EQ(selected(), (std::vector<int>{1, 2}));
    // Back past the anchor: what the run added goes, the other side is added.
    s->SelectShift(cols->Columns(0));
    EXPECT_EQ(selected(), (std::vector<int>{0, 1}));
    s->SelectShift(cols->Columns(1));
    EXPECT_EQ(selected(), (std::vector<int>{1}));
    EXPECT_EQ(Sel()->SelectionType(), gstColumns);
    EXPECT_TRUE(Sel()->DataCellSelected(1, BookmarkOf(1)));
    EXPECT_FALSE(Sel()->DataCellSelected(0, BookmarkOf(1)));
}

TEST_F(SelectionFixture, ShiftDownAndBackWithRowSelection) {
    BookmarkOf(2);
    Grid->MoveAndSelect(true, 1, true, false);
    EXPECT_EQ(Table->FieldByName(QStringLiteral("ID"))->AsInteger(), 3);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 2);
    EXPECT_TRUE(Sel()->DataCellSelected(0, BookmarkOf(2)));
    EXPECT_TRUE(Sel()->DataCellSelected(0, BookmarkOf(3)));
    BookmarkOf(3);
    Grid->MoveAndSelect(true, -1, true, false);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 1);
    EXPECT_TRUE(Sel()->DataCellSelected(0, BookmarkOf(2)));
    // To the end from the current record selects everything on the way.
    BookmarkOf(2);
    Grid->MoveAndSelect(true, 1, true, true);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 5);
    // A plain move ends the run and, with dghClearSelection, drops the selection.
    Grid->MoveAndSelect(false, -1, true, false);
    EXPECT_EQ(Sel()->SelectionType(), gstNon);
}

TEST_F(SelectionFixture, AllowedKindsFollowOptions) {
    EXPECT_TRUE(Grid->IsSelectionTypeAllowed(gstRectangle));
    TDBGridOptions o = Grid->Options();
    o.Include(dgRowSelect);
    Grid->SetOptions(o);
    EXPECT_FALSE(Grid->IsSelectionTypeAllowed(gstRectangle));
    EXPECT_FALSE(Grid->IsSelectionTypeAllowed(gstColumns));
    EXPECT_TRUE(Grid->IsSelectionTypeAllowed(gstRecordBookmarks));
    o.Exclude(dgMultiSelect);
    Grid->SetOptions(o);
    EXPECT_FALSE(Grid->IsSelectionTypeAllowed(gstAll));
    EXPECT_TRUE(Grid->IsSelectionTypeAllowed(gstNon));
}

// Taking a kind out of AllowedSelections drops a selection of that kind and only of that kind.
TEST_F(SelectionFixture, NarrowedAllowedSelectionsDropASelectionOfAGoneKind) {
    const TDBGridEhAllowedSelections all = Grid->AllowedSelections();
    const struct {
        TDBGridEhSelectionType Kind;
        std::function<void()> Select;
    } cases[] = {
        {gstRectangle,
         [&] {
             Sel()->Rect()->Select(0, BookmarkOf(2), false);
             Sel()->Rect()->Select(1, BookmarkOf(4), true);
         }},
        {gstRecordBookmarks,
         [&] {
             SelectRecords({2, 5});
         }},
        {gstAll, [&] { Sel()->SelectAll(); }},
        {gstColumns, [&] { Sel()->Columns()->Select(Grid->Columns()->Columns(1), false); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.Kind));
        Grid->SetAllowedSelections(all);
        c.Select();
        ASSERT_EQ(Sel()->SelectionType(), c.Kind);
        // Another kind going leaves this one.
        const TDBGridEhSelectionType other = c.Kind == gstAll ? gstColumns : gstAll;
        Grid->SetAllowedSelections(all - TDBGridEhAllowedSelections{other});
        EXPECT_EQ(Sel()->SelectionType(), c.Kind);
        Grid->SetAllowedSelections(all - TDBGridEhAllowedSelections{other, c.Kind});
        EXPECT_EQ(Sel()->SelectionType(), gstNon);
    }
    Grid->SetAllowedSelections(all);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 0) << "the selected records went with their selection";

    // Multi-select switched off takes the selection with it.
    SelectRecords({2, 5});
    ASSERT_EQ(Sel()->SelectionType(), gstRecordBookmarks);
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgMultiSelect});
    EXPECT_EQ(Sel()->SelectionType(), gstNon);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
}

TEST_F(SelectionFixture, DeleteAsksPerKindAndActsOnTheSelection) {
    // One record, then three.
    SelectRecords({2});
    DeleteGridSelection(Grid, false);
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_EQ(Questions.back(), QStringLiteral("Delete record?"));
    EXPECT_EQ(Table->RecordCount(), 5);

    SelectRecords({1, 4, 6});
    Answer = IDCANCEL;
    DeleteGridSelection(Grid, false);
    EXPECT_EQ(Questions.back(), QStringLiteral("Удалить 3 выбранных записей?"));
    EXPECT_EQ(Table->RecordCount(), 5);
    Answer = IDOK;
    DeleteGridSelection(Grid, false);
    EXPECT_EQ(Table->RecordCount(), 2);
    EXPECT_EQ(Sel()->SelectionType(), gstNon);
    EXPECT_EQ(Names(),
              (std::vector<Variant>{Variant(QStringLiteral("Name 3")), Variant(QStringLiteral("Name 5"))}));

    // A rectangle is cleared, with its own question.
    Table->First();
    const TBookmark first = Table->Bookmark();
    Table->Last();
    Sel()->Rect()->Select(1, first, false);
    Sel()->Rect()->Select(1, Table->Bookmark(), true);
    DeleteGridSelection(Grid, false);
    EXPECT_EQ(Questions.back(), QStringLiteral("Очистить выделенные ячейки?"));
    EXPECT_EQ(Names(), (std::vector<Variant>{Variant::FromNull(), Variant::FromNull()}));
    EXPECT_EQ(Table->RecordCount(), 2);

    // Columns are cleared without a question.
    const size_t asked = Questions.size();
    Sel()->Columns()->Select(Grid->Columns()->Columns(2), false);
    DeleteGridSelection(Grid, false);
    EXPECT_EQ(Questions.size(), asked);
    Table->First();
    EXPECT_TRUE(Table->FieldByName(QStringLiteral("Qty"))->IsNull());

    DeleteGridSelection(Grid, true);
    EXPECT_EQ(Questions.back(), QStringLiteral("Удалить все записи?"));
    EXPECT_TRUE(Table->IsEmpty());
}

TEST_F(SelectionFixture, EditActionsEnableByState) {
    TDBGridEhEditActions all{geaCutEh, geaCopyEh, geaPasteEh, geaDeleteEh, geaSelectAllEh};
    Grid->SetEditActions(all);
    Clipboard()->SetAsText(QStringLiteral("x"));
    EXPECT_TRUE(Grid->CheckCopyAction());
    EXPECT_TRUE(Grid->CheckPasteAction());
    EXPECT_TRUE(Grid->CheckSelectAllAction());
    EXPECT_FALSE(Grid->CheckDeleteAction()); // nothing selected
    SelectRecords({1});
    EXPECT_TRUE(Grid->CheckDeleteAction());
    EXPECT_TRUE(Grid->CheckCutAction());

    TDBGridEhAllowedOperations ops = Grid->AllowedOperations();
    ops.Exclude(alopUpdateEh);
    Grid->SetAllowedOperations(ops);
    EXPECT_FALSE(Grid->CheckPasteAction());
    ops.Include(alopUpdateEh);
    Grid->SetAllowedOperations(ops);
    Grid->SetReadOnly(true);
    EXPECT_FALSE(Grid->CheckPasteAction());
    EXPECT_FALSE(Grid->CheckDeleteAction());
    Grid->SetReadOnly(false);

    // The actions reach the focused grid.
    Grid->SetFocus();
    Pump();
    ASSERT_TRUE(Grid->Focused());
    auto* copy = new TEditCopy(Form);
    auto* selectAll = new TEditSelectAll(Form);
    Grid->SetEditActions(TDBGridEhEditActions{geaSelectAllEh});
    EXPECT_FALSE(Grid->UpdateAction(copy));
    EXPECT_TRUE(Grid->UpdateAction(selectAll));
    EXPECT_TRUE(selectAll->Enabled());
    EXPECT_TRUE(Grid->ExecuteAction(selectAll));
    EXPECT_EQ(Sel()->SelectionType(), gstAll);
    Grid->SetEditActions(all);
    Clipboard()->Clear();
    EXPECT_TRUE(Grid->ExecuteAction(copy));
    EXPECT_TRUE(Clipboard()->AsText().startsWith(QStringLiteral("ID\tName\tQty\r\n1\tName 1\t1\r\n")));
}

} // namespace

namespace {

// A grid whose mouse-selecting state a test can set.
class TTrackingGrid : public TDBGridEh {
    KVT_CLASS(TTrackingGrid, TDBGridEh)
public:
    using TDBGridEh::TDBGridEh;
    void SetMouseState(TDBGridEhState Value) { FDBGridEhState = Value; }
};

struct TrackFixture : DBGridFormFixture<TTrackingGrid> {
    void TearDown() override {
        SetKeyDown(VK_LBUTTON, false);
        Grid->StopTimer();
        Grid->SetMouseState(dgsNormal);
        DBGridFormFixture::TearDown();
    }
};

TEST_F(TrackFixture, MouseBelowTheDataScrollsAndSelectsBySteps) {
    UseTable(40);
    TDBGridOptions o = Grid->Options();
    o.Include(dgMultiSelect);
    o.Include(dgRowSelect);
    Grid->SetOptions(o);
    Grid->SetMouseState(dgsRowSelecting);
    SetKeyDown(VK_LBUTTON, true);
    const TRect data = Grid->DataRect();
    // 60 pixels below: 8 records a tick, the timer at its shortest.
    TPoint p = Grid->ClientToScreen(TPoint{data.Left + 5, data.Bottom + 59});
    SetCursorPos(p.X, p.Y);
    Grid->TrackMouseSelection();
    EXPECT_EQ(Table->FieldByName(QStringLiteral("ID"))->AsInteger(), 9);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 9);
    EXPECT_TRUE(Grid->TimerActive());
    EXPECT_EQ(Grid->TimerInterval(), 0);
    // 12 pixels below: 2 records, 200 - 15 * 12 ms.
    p = Grid->ClientToScreen(TPoint{data.Left + 5, data.Bottom + 11});
    SetCursorPos(p.X, p.Y);
    Grid->TrackMouseSelection();
    EXPECT_EQ(Table->FieldByName(QStringLiteral("ID"))->AsInteger(), 11);
    EXPECT_EQ(Grid->TimerInterval(), 20);
    // Back inside the data: the timer stops.
    p = Grid->ClientToScreen(TPoint{data.Left + 5, data.Top + 5});
    SetCursorPos(p.X, p.Y);
    Grid->TrackMouseSelection();
    EXPECT_FALSE(Grid->TimerActive());
}

} // namespace

class TIndicatorGrid : public TDBGridEh {
    KVT_CLASS(TIndicatorGrid, TDBGridEh)
public:
    using TDBGridEh::TDBGridEh;
    using TDBGridEh::DataCellInSelection;
    using TDBGridEh::IsIndicatorRowSelected;
};

struct IndicatorSelectionFixture : DBGridFormFixture<TIndicatorGrid> {
    void SetUp() override {
        DBGridFormFixture::SetUp();
        UseTable(6);
        TDBGridOptions o = Grid->Options();
        o.Include(dgMultiSelect);
        Grid->SetOptions(o);
    }
    std::vector<int> MarkedRows() {
        std::vector<int> rows;
        for (int r = 0; r < 6; ++r) {
            Grid->InstantReadRowEnter(r);
            if (Grid->IsIndicatorRowSelected()) rows.push_back(r);
            Grid->InstantReadRowLeave();
        }
        return rows;
    }
};

// The indicator marks (and ticks the check boxes of) exactly the rows whose records are selected.
TEST_F(IndicatorSelectionFixture, IndicatorMarksTheSelectedRecordsOnly) {
    EXPECT_TRUE(MarkedRows().empty());
    for (int id : {2, 4}) {
        Table->Locate(QStringLiteral("ID"), Variant(id), {});
        Grid->SelectedRows()->SetCurrentRowSelected(true);
    }
    Table->First();
    EXPECT_EQ(MarkedRows(), (std::vector<int>{1, 3}));
    Grid->Selection()->SelectAll();
    EXPECT_EQ(MarkedRows().size(), 6u);
    TDBGridOptions o = Grid->Options();
    o.Exclude(dgMultiSelect);
    Grid->SetOptions(o);
    EXPECT_TRUE(MarkedRows().empty());
}

// Selected records are painted in the selection colours, the others not.
TEST_F(IndicatorSelectionFixture, SelectedRecordsArePaintedHighlighted) {
    Grid->SetFocus();
    for (int id : {3, 5}) {
        Table->Locate(QStringLiteral("ID"), Variant(id), {});
        Grid->SelectedRows()->SetCurrentRowSelected(true);
    }
    Table->First();
    Pump();
    Grid->InstantReadRowEnter(2);
    EXPECT_TRUE(Grid->DataCellInSelection(1));
    Grid->InstantReadRowLeave();
    Grid->InstantReadRowEnter(1);
    EXPECT_FALSE(Grid->DataCellInSelection(1));
    Grid->InstantReadRowLeave();
    Grid->Invalidate();
    Pump();
    const QImage img = Grid->Widget()->grab().toImage();
    // Near the right end of the Name cell, clear of its text.
    auto back = [&](int row) {
        const TRect r = Grid->CellRect(2, Grid->TopDataOffset() + row);
        return img.pixelColor(r.Right - 3, (r.Top + r.Bottom) / 2);
    };
    EXPECT_EQ(back(2), back(4));
    EXPECT_EQ(back(1), back(3));
    EXPECT_NE(back(2), back(1));
}
