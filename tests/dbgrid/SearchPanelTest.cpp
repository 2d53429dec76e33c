// Searching in the data grid: text location in every direction and matching mode, the search
// filter (memory-table and plain data-set paths), in-place search, the search panel, its
// highlighted matches, the find dialog and the navigator panel.

#include "DBGridTestFixture.h"
#include "FindDialogProbe.h"

#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhFindDlg.h"
#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/dbgrid/DBGridEhTextMatch.h"
#include "lib/tools/DBCtrlsEh.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/StdCtrls.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace {

// Names are searched; Code is a second text column for all-column searches.
const char* const Names[] = {"Иванов", "Петров", "smith",   "SMITHSON", "Сидоров",
                             "abc",    "cab",    "50% off", "a_b"};
const char* const Codes[] = {"x1", "x2", "ИВАН", "x4", "x5", "x6", "x7", "x8", "x9"};

struct SearchGridTest : DBGridFormFixture<TDBGridEh> {
    void UseNames(int Count = 9) {
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        Table->FieldDefs()->Add(QStringLiteral("Code"), ftString, 10);
        Table->CreateDataSet();
        for (int i = 0; i < Count; ++i)
            Table->AppendRecord(
                {Variant(i + 1), Variant(QString::fromUtf8(Names[i])), Variant(QString::fromUtf8(Codes[i]))});
        Table->First();
        Source->SetDataSet(Table);
        Grid->SetDataSource(Source);
        Pump();
    }
    int CurrentId() { return Table->FieldByName(QStringLiteral("ID"))->AsInteger(); }
    int VisibleRecords() {
        int n = 0;
        Table->DisableControls();
        const TBookmark bm = Table->Bookmark();
        for (Table->First(); !Table->Eof(); Table->Next())
            ++n;
        Table->SetBookmark(bm);
        Table->EnableControls();
        return n;
    }
    void GoToId(int Id) { ASSERT_TRUE(Table->Locate(QStringLiteral("ID"), Variant(Id), TLocateOptions())); }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Text location

TEST_F(SearchGridTest, LocateTextByDirectionMatchingAndCase) {
    UseNames();
    struct Case {
        const char* text;
        TLocateTextDirectionEh dir;
        TLocateTextMatchingEh match;
        bool caseInsensitive;
        bool allFields;
        int startId;
        int expectId; // 0: not found, the current record stays
    };
    const Case cases[] = {
        {"ров", ltdDownEh, ltmAnyPartEh, true, false, 1, 2},   // Cyrillic part, downwards
        {"ров", ltdDownEh, ltmAnyPartEh, true, false, 2, 5},   // starts after the current cell
        {"ров", ltdUpEh, ltmAnyPartEh, true, false, 5, 2},     // upwards
        {"ров", ltdUpEh, ltmAnyPartEh, true, false, 2, 5},     // up from the first match wraps
        {"ИВАНОВ", ltdDownEh, ltmWholeEh, true, false, 3, 1},  // Cyrillic case folded, wraps
        {"ИВАНОВ", ltdDownEh, ltmWholeEh, false, false, 3, 0}, // exact case: nowhere
        {"smith", ltdAllEh, ltmWholeEh, true, false, 9, 3},    // whole: SMITHSON does not count
        {"SMITH", ltdDownEh, ltmFromBegingEh, false, false, 3, 4},
        {"ab", ltdAllEh, ltmFromBegingEh, true, false, 7, 6}, // abc, not cab
        {"ab", ltdDownEh, ltmAnyPartEh, true, false, 6, 7},   // cab in any part
        {"%", ltdAllEh, ltmAnyPartEh, true, false, 1, 8},     // LIKE wildcard taken literally
        {"a_b", ltdAllEh, ltmWholeEh, true, false, 1, 9},     // literal underscore
        {"_", ltdAllEh, ltmWholeEh, true, false, 1, 0},
        {".*", ltdAllEh, ltmAnyPartEh, true, false, 1, 0},    // no regular expressions
        {"иван", ltdDownEh, ltmAnyPartEh, true, true, 1, 3},  // all columns: Code of row 3
        {"иван", ltdDownEh, ltmAnyPartEh, true, false, 1, 1}, // current column only: wraps to 1
        {"zzz", ltdDownEh, ltmAnyPartEh, true, true, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf8(c.text).toStdString() + " from " + std::to_string(c.startId));
        GoToId(c.startId);
        Grid->SetSelectedIndex(1); // the Name column
        TLocateTextOptionsEh opts;
        if (c.caseInsensitive) opts.Include(ltoCaseInsensitiveEh);
        if (c.allFields) opts.Include(ltoAllFieldsEh);
        const bool found = Grid->LocateText(Grid, String(), QString::fromUtf8(c.text), opts, c.dir, c.match,
                                            lttInAllNodesEh);
        EXPECT_EQ(found, c.expectId != 0);
        EXPECT_EQ(CurrentId(), c.expectId ? c.expectId : c.startId);
        if (c.allFields && found) EXPECT_EQ(Grid->SelectedIndex(), 2);
    }
}

TEST_F(SearchGridTest, LocateTextByFieldNameAndEmptyOrClosedData) {
    UseNames();
    GoToId(1);
    EXPECT_TRUE(Grid->LocateText(Grid, QStringLiteral("Code"), QStringLiteral("x4"), {ltoCaseInsensitiveEh},
                                 ltdDownEh, ltmWholeEh, lttInAllNodesEh));
    EXPECT_EQ(CurrentId(), 4);
    EXPECT_FALSE(Grid->LocateText(Grid, QStringLiteral("NoSuchField"), QStringLiteral("x4"), {}, ltdDownEh,
                                  ltmWholeEh, lttInAllNodesEh));
    Table->EmptyTable();
    EXPECT_FALSE(Grid->LocateText(Grid, String(), QStringLiteral("a"), {ltoAllFieldsEh}, ltdDownEh,
                                  ltmAnyPartEh, lttInAllNodesEh));
    Table->Close();
    EXPECT_FALSE(Grid->LocateText(Grid, String(), QStringLiteral("a"), {ltoAllFieldsEh}, ltdAllEh,
                                  ltmAnyPartEh, lttInAllNodesEh));
    Grid->SetDataSource(nullptr);
    EXPECT_FALSE(
        Grid->LocateText(Grid, String(), QStringLiteral("a"), {}, ltdAllEh, ltmAnyPartEh, lttInAllNodesEh));
}

// ---------------------------------------------------------------------------------------------
// Search filter

TEST_F(SearchGridTest, SearchFilterOnMemTableKeepsContainingRowsAndCancelRestores) {
    UseNames();
    GoToId(5);
    Grid->ApplySearchFilter(QStringLiteral("РОВ"));
    EXPECT_TRUE(Grid->SearchFilterActive());
    EXPECT_EQ(VisibleRecords(), 2); // Петров, Сидоров
    Grid->ApplySearchFilter(QStringLiteral("Smith"));
    EXPECT_EQ(VisibleRecords(), 2);
    Grid->ApplySearchFilter(QStringLiteral("%"));
    EXPECT_EQ(VisibleRecords(), 1);
    Grid->ApplySearchFilter(QStringLiteral("Сидоров"));
    EXPECT_EQ(CurrentId(), 5);
    Grid->CancelSearchFilter();
    EXPECT_FALSE(Grid->SearchFilterActive());
    EXPECT_EQ(VisibleRecords(), 9);
    EXPECT_EQ(CurrentId(), 5);
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(SearchGridTest, EmptySearchFilterTextRemovesTheFilter) {
    UseNames();
    Grid->ApplySearchFilter(QStringLiteral("ab"));
    EXPECT_EQ(VisibleRecords(), 2);
    Grid->ApplySearchFilter(String());
    EXPECT_FALSE(Grid->SearchFilterActive());
    EXPECT_EQ(VisibleRecords(), 9);
}

// A memory table freed under its search filter takes the filter with it: the grid holds nothing
// of it, and the next table is shown whole and can be filtered in its turn.
TEST_F(SearchGridTest, SearchFilterGoesWithAFreedMemTable) {
    UseNames();
    Grid->ApplySearchFilter(QStringLiteral("ров"));
    ASSERT_TRUE(Grid->SearchFilterActive());
    Table->Free();
    Table = nullptr;
    Pump();
    EXPECT_FALSE(Grid->SearchFilterActive());
    EXPECT_EQ(Grid->IntMemTable(), nullptr);
    UseNames();
    EXPECT_FALSE(Grid->SearchFilterActive());
    EXPECT_EQ(VisibleRecords(), 9);
    Grid->ApplySearchFilter(QStringLiteral("ров"));
    EXPECT_EQ(VisibleRecords(), 2);
    Grid->CancelSearchFilter();
    EXPECT_EQ(VisibleRecords(), 9);
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(SearchGridTest, SearchFilterOnPlainDataSetGivesBackHandlerAndFilteredFlag) {
    UseNames();
    Grid->SetTryUseMemTableInt(false);
    Grid->SetDataSource(nullptr);
    Grid->SetDataSource(Source);
    int ownCalls = 0;
    const TFilterRecordEvent own = TFilterRecordEvent::Callable([&](TDataSet* ds, bool& Accept) {
        ++ownCalls;
        Accept = ds->FieldByName(QStringLiteral("ID"))->AsInteger() != 2; // hides Петров
    });
    Table->SetOnFilterRecord(own);
    Grid->ApplySearchFilter(QStringLiteral("ров"));
    EXPECT_TRUE(Table->Filtered());
    EXPECT_GT(ownCalls, 0);         // the data set's own handler still decides first
    EXPECT_EQ(VisibleRecords(), 1); // Сидоров
    Grid->CancelSearchFilter();
    EXPECT_FALSE(Table->Filtered()); // as it was before the search
    EXPECT_TRUE(Table->OnFilterRecord() == own);
    EXPECT_EQ(VisibleRecords(), 9);

    // A grid freed while its filter is in place leaves the data set as it found it.
    Table->SetFiltered(true);
    Grid->ApplySearchFilter(QStringLiteral("abc"));
    EXPECT_EQ(VisibleRecords(), 1);
    Grid->Free();
    Grid = nullptr;
    EXPECT_TRUE(Table->OnFilterRecord() == own);
    EXPECT_TRUE(Table->Filtered());
    EXPECT_EQ(VisibleRecords(), 8);
}

// A table the grid no longer shows is given back unfiltered, whether the grid read it as a memory
// table (through an extra filter) or as any data set (through its record filter), and whether
// the table closed or the grid let go of it.
TEST_F(SearchGridTest, SearchFilterLeavesATableTheGridNoLongerShows) {
    for (const bool memTable : {true, false})
        for (const bool closeTable : {true, false}) {
            SCOPED_TRACE(std::string(memTable ? "memory table, " : "plain data set, ") +
                         (closeTable ? "table closed" : "grid detached"));
            UseNames();
            Grid->SetTryUseMemTableInt(memTable);
            Grid->SetDataSource(nullptr);
            Grid->SetDataSource(Source);
            Grid->ApplySearchFilter(QStringLiteral("ров"));
            ASSERT_EQ(VisibleRecords(), 2);
            if (closeTable)
                Table->Close();
            else
                Grid->SetDataSource(nullptr);
            EXPECT_FALSE(Grid->SearchFilterActive());
            EXPECT_FALSE(Table->OnFilterRecord());
            if (closeTable) Table->Open();
            EXPECT_FALSE(Table->Filtered());
            EXPECT_EQ(VisibleRecords(), 9);
            Grid->SetDataSource(Source);
            Pump();
            EXPECT_TRUE(Grid->CheckDataConsistency(false));
        }
}

// ---------------------------------------------------------------------------------------------
// In-place search

TEST_F(SearchGridTest, InplaceSearchGrowsWithMatchingLettersInTheDataCase) {
    UseNames();
    Grid->SetSelectedIndex(1);
    Grid->StartInplaceSearch(QStringLiteral("s"), -1, ltdAllEh);
    EXPECT_TRUE(Grid->InplaceSearching());
    EXPECT_EQ(CurrentId(), 3);
    Grid->StartInplaceSearch(QStringLiteral("M"), -1, ltdAllEh);
    EXPECT_EQ(Grid->InplaceSearchText(), QStringLiteral("sm"));
    // A letter that matches nothing is not added and the record stays.
    Grid->StartInplaceSearch(QStringLiteral("q"), -1, ltdAllEh);
    EXPECT_EQ(Grid->InplaceSearchText(), QStringLiteral("sm"));
    EXPECT_EQ(CurrentId(), 3);
    // A negative time-out keeps it running until stopped.
    Pump(60);
    EXPECT_TRUE(Grid->InplaceSearching());
    Grid->StopInplaceSearch();
    EXPECT_FALSE(Grid->InplaceSearching());
    EXPECT_TRUE(Grid->InplaceSearchText().isEmpty());

    Grid->StartInplaceSearch(QStringLiteral("с"), 20, ltdAllEh);
    EXPECT_EQ(CurrentId(), 5);
    EXPECT_EQ(Grid->InplaceSearchText(), QStringLiteral("С"));
    Pump(150);
    EXPECT_FALSE(Grid->InplaceSearching()); // ended by its time-out
}

TEST_F(SearchGridTest, TypingStartsAndExtendsAnInplaceSearch) {
    UseNames();
    Grid->SetSelectedIndex(1);
    auto type = [&](const char* Text) {
        for (QChar ch : QString::fromUtf8(Text))
            PostMessage(Grid->Handle(), WM_CHAR, WPARAM(ch.unicode()), 0);
        Pump();
    };
    // Without the options a letter opens the editor.
    type("s");
    EXPECT_FALSE(Grid->InplaceSearching());
    Grid->HideEditor();
    Table->Cancel();

    // A read-only grid with dghIncSearch searches the typed letters instead.
    Grid->SetReadOnly(true);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghIncSearch});
    type("Sm");
    EXPECT_TRUE(Grid->InplaceSearching());
    EXPECT_FALSE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
    EXPECT_EQ(Grid->InplaceSearchText(), QStringLiteral("sm"));
    EXPECT_EQ(CurrentId(), 3);
    // Backspace takes the last letter off; Escape ends the search.
    Grid->Perform(WM_KEYDOWN, VK_BACK, 0);
    EXPECT_EQ(Grid->InplaceSearchText(), QStringLiteral("s"));
    Grid->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(Grid->InplaceSearching());

    // An editable grid with dghPreferIncSearch searches while the editor is hidden.
    Grid->SetReadOnly(false);
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghIncSearch} +
                       TDBGridEhOptions{dghPreferIncSearch});
    type("си");
    EXPECT_EQ(CurrentId(), 5);
    EXPECT_EQ(Grid->InplaceSearchText(), QStringLiteral("Си"));
    EXPECT_EQ(Table->State(), dsBrowse);
    Grid->StopInplaceSearch();
}

TEST_F(SearchGridTest, SearchesStayInsideTheSelection) {
    UseNames();
    TDBGridOptions o = Grid->Options();
    o.Include(dgMultiSelect);
    Grid->SetOptions(o);
    auto select = [&](std::initializer_list<int> Ids) {
        for (int id : Ids) {
            GoToId(id);
            Grid->SelectedRows()->SetCurrentRowSelected(true);
        }
    };
    // Rows 1, 4 and 6 selected: "ov" (Cyrillic "ов") is in rows 1, 2 and 5, only 1 of them selected.
    select({1, 4, 6});
    GoToId(6);
    Grid->SetSelectedIndex(1);
    const TLocateTextOptionsEh inside{ltoCaseInsensitiveEh, ltoInsideSelection};
    EXPECT_TRUE(Grid->LocateText(Grid, String(), QStringLiteral("ов"), inside, ltdDownEh, ltmAnyPartEh,
                                 lttInAllNodesEh));
    EXPECT_EQ(CurrentId(), 1); // wrapped inside the selection, skipping 2 and 5
    EXPECT_FALSE(Grid->LocateText(Grid, String(), QStringLiteral("Петров"), inside, ltdAllEh, ltmWholeEh,
                                  lttInAllNodesEh));
    EXPECT_EQ(CurrentId(), 1);
    // Without the option the whole data set is searched.
    EXPECT_TRUE(Grid->LocateText(Grid, String(), QStringLiteral("ов"), {ltoCaseInsensitiveEh}, ltdDownEh,
                                 ltmAnyPartEh, lttInAllNodesEh));
    EXPECT_EQ(CurrentId(), 2);

    // A rectangle over rows 2..4 of the Code column: ИВАН (row 3) is found, Иванов (row 1) is not.
    Grid->Selection()->Clear();
    GoToId(2);
    const TBookmark top = Table->Bookmark();
    GoToId(4);
    Grid->Selection()->Rect()->Select(2, top, false);
    Grid->Selection()->Rect()->Select(2, Table->Bookmark(), true);
    ASSERT_EQ(Grid->Selection()->SelectionType(), gstRectangle);
    EXPECT_TRUE(Grid->LocateText(Grid, String(), QStringLiteral("иван"), inside, ltdAllEh, ltmAnyPartEh,
                                 lttInAllNodesEh));
    EXPECT_EQ(CurrentId(), 3);
    EXPECT_EQ(Grid->SelectedIndex(), 2);
    EXPECT_FALSE(Grid->LocateText(Grid, String(), QStringLiteral("Иванов"), inside, ltdAllEh, ltmAnyPartEh,
                                  lttInAllNodesEh));

    // The search filter over three selected records looks only at them and clears the selection.
    Grid->Selection()->Clear();
    select({2, 3, 6});
    Grid->ApplySearchFilter(QStringLiteral("ов"));
    EXPECT_EQ(VisibleRecords(), 1); // Петров; Иванов and Сидоров were not selected
    EXPECT_EQ(Grid->Selection()->SelectionType(), gstNon);
    // Refiltering with another text stays inside what was selected.
    Grid->ApplySearchFilter(QStringLiteral("a"));
    EXPECT_EQ(VisibleRecords(), 1); // abc; cab and a_b were not selected
    Grid->CancelSearchFilter();
    EXPECT_EQ(VisibleRecords(), 9);

    // Selected columns limit the cells looked at: ИВАН is in Code, which is not selected.
    Grid->Selection()->Columns()->Select(Grid->Columns()->Columns(1), false);
    ASSERT_EQ(Grid->Selection()->SelectionType(), gstColumns);
    Grid->ApplySearchFilter(QStringLiteral("иван"));
    EXPECT_EQ(VisibleRecords(), 1); // Иванов only
    EXPECT_EQ(Grid->Selection()->SelectionType(), gstColumns);
    Grid->CancelSearchFilter();
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

// ---------------------------------------------------------------------------------------------
// Search panel

TEST_F(SearchGridTest, SearchPanelVisibilityRules) {
    UseNames();
    TDBGridSearchPanelEh* sp = Grid->SearchPanel();
    EXPECT_FALSE(sp->Visible());
    sp->SetPersistentShowing(false);
    sp->SetEnabled(true);
    EXPECT_FALSE(sp->Visible());
    sp->SetActive(true);
    Pump();
    EXPECT_TRUE(sp->Visible());
    EXPECT_TRUE(Grid->SearchPanelControl()->Visible());
    EXPECT_EQ(Grid->OutBoundaryData()->TopIndent(), Grid->SearchPanelControl()->Height());
    sp->SetActive(false);
    EXPECT_FALSE(sp->Visible());
    EXPECT_EQ(Grid->OutBoundaryData()->TopIndent(), 0);
    sp->SetSearchingText(QStringLiteral("ров"));
    EXPECT_TRUE(sp->Visible()); // a text keeps it shown
    sp->SetPersistentShowing(true);

    // Outside the grid: no panel at all, Active is only the stored flag.
    sp->SetLocation(splExternal);
    EXPECT_FALSE(Grid->SearchPanelControl()->Visible());
    sp->SetActive(true);
    EXPECT_TRUE(sp->Active());
    EXPECT_EQ(Grid->OutBoundaryData()->TopIndent(), 0);
}

// The vertical bar that more rows bring takes its room beside the search panel; scrolling by the
// top row sets the bar again and puts the panel back in its place beside it.
TEST_F(SearchGridTest, SearchPanelStaysBesideTheVerticalBar) {
    UseNames(3);
    ASSERT_TRUE(Grid->IsExtendedScrolling());
    Grid->SearchPanel()->SetEnabled(true);
    Pump();
    TDBGridSearchPanelControlEh* pc = Grid->SearchPanelControl();
    ASSERT_TRUE(pc->Visible());
    const int wide = pc->Width();
    for (int i = 10; i < 60; ++i)
        Table->AppendRecord({Variant(i), Variant(QStringLiteral("n%1").arg(i)), Variant(QString())});
    Pump();
    ASSERT_TRUE(Grid->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(pc->Width(), Grid->ClientWidth() - Grid->OutBoundaryData()->RightIndent());
    EXPECT_LT(pc->Width(), wide);

    const TRect placed = pc->BoundsRect();
    pc->SetBounds(0, 0, 10, 10);
    const int top = Grid->TopRow(); // the last page: the new records were appended
    EXPECT_EQ(Grid->SafeMoveTop(top - 1, false), top - 1);
    EXPECT_EQ(pc->BoundsRect(), placed);
}

TEST_F(SearchGridTest, TypingInTheSearchBoxFindsAndEnterFilters) {
    UseNames();
    TDBGridSearchPanelEh* sp = Grid->SearchPanel();
    sp->SetEnabled(true);
    Pump();
    TDBGridSearchPanelControlEh* pc = Grid->SearchPanelControl();
    TNavFindEditEh* box = pc->FindEditor();
    GoToId(9);
    box->SetText(QStringLiteral("ПЕТ"));
    EXPECT_EQ(sp->SearchingText(), QStringLiteral("ПЕТ"));
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_FALSE(box->TextAppliedAsFilter());
    EXPECT_EQ(pc->FindButton(gnfbCancelSearchFilterEh)->ImageIndex(), 14);

    // Nothing contains the text: the record stays and the filter button still offers filtering.
    box->SetText(QStringLiteral("нет такого"));
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_TRUE(pc->FindButton(gnfbCancelSearchFilterEh)->Enabled());
    EXPECT_EQ(pc->FindButton(gnfbCancelSearchFilterEh)->Hint(),
              QString::fromUtf8("Показать все записи, которые содержат текст"));

    box->SetText(QStringLiteral("ров"));
    pc->ButtonClick(gnfbFindNextEh);
    EXPECT_EQ(CurrentId(), 5);
    pc->ButtonClick(gnfbFindPrevEh);
    EXPECT_EQ(CurrentId(), 2);

    box->Perform(WM_CHAR, VK_RETURN, 0);
    EXPECT_TRUE(box->TextAppliedAsFilter());
    EXPECT_EQ(VisibleRecords(), 2);
    EXPECT_EQ(box->Items()->IndexOf(QStringLiteral("ров")), 0);
    EXPECT_EQ(pc->FindButton(gnfbCancelSearchFilterEh)->ImageIndex(), 10);

    // The cross clears the box and the filter.
    pc->ButtonClick(gnfbCancelSearchFilterEh);
    EXPECT_TRUE(box->Text().isEmpty());
    EXPECT_EQ(VisibleRecords(), 9);
}

TEST_F(SearchGridTest, FilterOnTypingAndDisabledFilter) {
    UseNames();
    TDBGridSearchPanelEh* sp = Grid->SearchPanel();
    sp->SetEnabled(true);
    sp->SetFilterOnTyping(true);
    Pump();
    TNavFindEditEh* box = Grid->SearchPanelControl()->FindEditor();
    auto type = [&](QChar ch) {
        const String before = box->Text();
        box->Perform(WM_CHAR, ch.unicode(), 0);
        ASSERT_EQ(box->Text(), before + ch);
    };
    type(QLatin1Char('a'));
    EXPECT_EQ(VisibleRecords(), 3); // abc, cab, a_b
    type(QLatin1Char('b'));
    EXPECT_EQ(VisibleRecords(), 2); // abc, cab
    // A space does not refilter; the next letter does.
    box->SetText(QStringLiteral("ab "));
    box->Perform(WM_CHAR, ' ', 0);
    EXPECT_EQ(VisibleRecords(), 2);
    type(QLatin1Char('x'));
    EXPECT_EQ(VisibleRecords(), 0);

    // Without filtering the filter button goes and Enter only clears the box.
    box->CancelSearchEditorMode();
    sp->SetFilterEnabled(false);
    EXPECT_FALSE(Grid->SearchPanelControl()->FindButton(gnfbCancelSearchFilterEh)->Visible());
    box->SetText(QStringLiteral("ров"));
    box->Perform(WM_CHAR, VK_RETURN, 0);
    EXPECT_TRUE(box->Text().isEmpty());
    EXPECT_EQ(VisibleRecords(), 9);
}

TEST_F(SearchGridTest, SearchBoxPlaceholderAndRightToLeftPlacementScreenshot) {
    UseNames();
    Grid->SearchPanel()->SetEnabled(true);
    Pump(50);
    TDBGridSearchPanelControlEh* pc = Grid->SearchPanelControl();
    TNavFindEditEh* box = pc->FindEditor();
    EXPECT_TRUE(box->IsEmpty());
    EXPECT_EQ(box->TextHint(), QString::fromUtf8("Поиск..."));
    EXPECT_EQ(box->BevelKind(), bkFlat);
    EXPECT_EQ(box->BevelInner(), bvNone);
    EXPECT_EQ(box->BevelOuter(), bvNone);
    QImage img = Form->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_search_box_placeholder"))));

    // Left to right: the box at the left, the buttons after it, the panel from the left edge.
    const int r = Grid->OutBoundaryData()->RightIndent();
    EXPECT_EQ(pc->Left(), 0);
    EXPECT_EQ(pc->Width(), Grid->ClientWidth() - r);
    EXPECT_LT(box->Left(), pc->FindButton(gnfbCancelSearchFilterEh)->Left());
    // Right to left: mirrored, the buttons from the left edge and the box after them.
    Grid->SetBiDiMode(bdRightToLeft);
    Grid->UpdateSearchPanel();
    Pump(50);
    ASSERT_TRUE(pc->UseRightToLeftAlignment());
    EXPECT_EQ(pc->Left(), r);
    EXPECT_EQ(pc->Left() + pc->Width(), Grid->ClientWidth() - r);
    EXPECT_EQ(pc->FindButton(gnfbFindPrevEh)->Left(), 3);
    EXPECT_LT(pc->FindButton(gnfbFindPrevEh)->Left(), pc->FindButton(gnfbFindNextEh)->Left());
    EXPECT_LT(pc->FindButton(gnfbFindNextEh)->Left(), pc->FindButton(gnfbCancelSearchFilterEh)->Left());
    EXPECT_EQ(box->Left(), pc->FindButton(gnfbCancelSearchFilterEh)->BoundsRect().Right + 4);
    img = Form->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_search_box_rtl"))));
}

TEST_F(SearchGridTest, SearchPanelHighlightsMatchesScreenshot) {
    UseNames();
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghShowRecNo});
    Grid->SearchPanel()->SetEnabled(true);
    Pump();
    Grid->SearchPanelControl()->FindEditor()->SetText(QStringLiteral("ров"));
    Grid->Invalidate();
    Pump(50);
    QImage img = Form->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_search_panel_highlight"))));
    // The highlight colour (RGB 255, 255, 150) is painted somewhere in the cells.
    int hits = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == qRgb(255, 255, 150)) ++hits;
    EXPECT_GT(hits, 20);

    Grid->SearchPanelControl()->FindEditor()->SetText(String());
    Grid->Invalidate();
    Pump(50);
    QImage plain = Form->Widget()->grab().toImage();
    hits = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (plain.pixel(x, y) == qRgb(255, 255, 150)) ++hits;
    EXPECT_EQ(hits, 0);
}

// ---------------------------------------------------------------------------------------------
// Find dialog

TEST_F(SearchGridTest, FindDialogFlows) {
    UseNames();
    GoToId(4);
    Grid->SetSelectedIndex(1);
    ExecuteFindDialog(Grid, QStringLiteral("ров"), false);
    TDBGridEhFindDlg* dlg = DBGridEhFindDlg();
    ASSERT_NE(dlg, nullptr);
    Pump();
    EXPECT_TRUE(dlg->Visible());
    EXPECT_EQ(dlg->Grid(), Grid);
    EXPECT_EQ(dlg->cbFindIn->Items()->Count(), 4); // ID, Name, Code, <All>
    EXPECT_EQ(dlg->cbFindIn->Items()->Strings(3), QStringLiteral("<All>"));
    EXPECT_EQ(dlg->cbFindIn->ItemIndex(), 1);       // the selected column's title
    EXPECT_FALSE(dlg->dbcTreeFindRange->Visible()); // not a tree: the form is shorter
    EXPECT_EQ(dlg->ClientHeight(), dlg->dbcTreeFindRange->Top());
    EXPECT_EQ(dlg->FindColumnsList()->Count(), 1);

    // "Все": the first press finds the first match from the start, later ones go down.
    EXPECT_TRUE(dlg->FindNextMatch(false));
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_FALSE(dlg->FirstTry());
    EXPECT_TRUE(dlg->FindNextMatch(false));
    EXPECT_EQ(CurrentId(), 5);
    // Ctrl held reverses: "Все" goes up.
    EXPECT_TRUE(dlg->FindNextMatch(true));
    EXPECT_EQ(CurrentId(), 2);
    // "Вверх" with Ctrl goes down.
    dlg->cbFindDirection->SetItemIndex(0);
    EXPECT_TRUE(dlg->FindNextMatch(true));
    EXPECT_EQ(CurrentId(), 5);

    // Not found: nothing moves and the next press is still a first try.
    dlg->cbText->SetText(QStringLiteral("нигде"));
    EXPECT_TRUE(dlg->FirstTry());
    EXPECT_FALSE(dlg->FindNextMatch(false));
    EXPECT_EQ(CurrentId(), 5);
    EXPECT_TRUE(dlg->FirstTry());

    // A pattern used twice is listed once.
    dlg->cbText->SetText(QStringLiteral("ров"));
    dlg->FindNextMatch(false);
    dlg->FindNextMatch(false);
    EXPECT_EQ(dlg->cbText->Items()->Count(), 2);

    // Whole-field match on all columns, case sensitive.
    dlg->cbFindIn->SetItemIndex(3);
    dlg->cbMatchinType->SetItemIndex(1);
    dlg->cbFindDirection->SetItemIndex(2);
    dlg->cbCharCase->SetCheckedState(true);
    dlg->cbText->SetText(QStringLiteral("ИВАН"));
    EXPECT_TRUE(dlg->FindNextMatch(false));
    EXPECT_EQ(CurrentId(), 3);
    EXPECT_EQ(Grid->SelectedIndex(), 2);

    QImage img = dlg->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_find_dialog"))));

    // Escape closes the non-modal dialog.
    Word esc = VK_ESCAPE;
    dlg->FormKeyDown(dlg, esc, TShiftState());
    Pump();
    EXPECT_FALSE(dlg->Visible());
}

TEST_F(SearchGridTest, CtrlFOpensTheFindDialogWithDialogFind) {
    UseNames();
    if (TDBGridEhFindDlg* d = DBGridEhFindDlg()) d->Close();
    Pump();
    Grid->SetSelectedIndex(1);
    GoToId(2);
    auto ctrlF = [&] {
        SetKeyDown(VK_CONTROL, true);
        Grid->Perform(WM_KEYDOWN, 'F', 0);
        SetKeyDown(VK_CONTROL, false);
    };
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghDialogFind});
    ctrlF();
    EXPECT_TRUE(!DBGridEhFindDlg() || !DBGridEhFindDlg()->Visible());

    // The dialog is modal: the key press returns once it is closed.
    String text = QStringLiteral("(not looked at)");
    TCustomDBGridEh* grid = nullptr;
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghDialogFind});
    const FindDialogSeen shown = WhileFindDialogShows(ctrlF,
                                                      [&](TDBGridEhFindDlg* d) {
                                                          text = d->cbText->Text();
                                                          grid = d->Grid();
                                                      },
                                                      [this] { Pump(); });
    ASSERT_NE(DBGridEhFindDlg(), nullptr);
    EXPECT_TRUE(shown.Seen);
    EXPECT_TRUE(shown.Modal);
    EXPECT_TRUE(text.isEmpty()) << "the pattern starts empty, not with the cell's text";
    EXPECT_EQ(grid, Grid);
    if (DBGridEhFindDlg()->Visible()) DBGridEhFindDlg()->Close();
    EXPECT_FALSE(DBGridEhFindDlg()->Visible());
}

// ---------------------------------------------------------------------------------------------
// Navigator panel

TEST_F(SearchGridTest, NavigatorButtonsActionsAndStates) {
    UseNames();
    Grid->HorzScrollBar()->ExtraPanel()->SetVisible(true);
    Grid->SetAllowedOperations(
        TDBGridEhAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh});
    Pump();
    TDBGridEhNavigatorPanel* nav = Grid->HorzScrollBarPanelControl()->ExtraPanel();
    EXPECT_EQ(nav->DataSource(), Source);
    Table->First();
    EXPECT_FALSE(nav->Button(nbFirstEh)->Enabled());
    EXPECT_FALSE(nav->Button(nbPriorEh)->Enabled());
    EXPECT_TRUE(nav->Button(nbNextEh)->Enabled());
    EXPECT_TRUE(nav->Button(nbEditEh)->Enabled());
    EXPECT_FALSE(nav->Button(nbPostEh)->Enabled());
    nav->NavBtnClick(nbNextEh);
    EXPECT_EQ(CurrentId(), 2);
    nav->NavBtnClick(nbLastEh);
    EXPECT_EQ(CurrentId(), 9);
    EXPECT_FALSE(nav->Button(nbNextEh)->Enabled());
    nav->NavBtnClick(nbEditEh);
    EXPECT_TRUE(nav->Button(nbPostEh)->Enabled());
    EXPECT_FALSE(nav->Button(nbEditEh)->Enabled());
    nav->NavBtnClick(nbCancelEh);
    EXPECT_EQ(nav->RecordsInfoText(), QStringLiteral("9"));

    // Delete asks first; Cancel keeps the record.
    std::vector<String> asked;
    int answer = IDCANCEL;
    SetMessageBoxHook([&](const String& Text, const String&, UINT) {
        asked.push_back(Text);
        return answer;
    });
    nav->NavBtnClick(nbDeleteEh);
    EXPECT_EQ(Table->RecordCount(), 9);
    answer = IDOK;
    nav->NavBtnClick(nbDeleteEh);
    EXPECT_EQ(Table->RecordCount(), 8);
    SetMessageBoxHook(nullptr);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], QStringLiteral("Delete record?"));

    // Hints: defaults, and a line of Hints replaces one.
    EXPECT_EQ(nav->Button(nbFirstEh)->Hint(), QString::fromUtf8("Первая запись"));
    auto hints = std::make_unique<TStringList>();
    hints->Add(String());
    hints->Add(QStringLiteral("Back"));
    nav->SetHints(hints.get());
    EXPECT_EQ(nav->Button(nbFirstEh)->Hint(), QString::fromUtf8("Первая запись"));
    EXPECT_EQ(nav->Button(nbPriorEh)->Hint(), QStringLiteral("Back"));

    // An empty data set: no moves, no delete, no edit when inserting is not allowed.
    Grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopUpdateEh, alopDeleteEh});
    Table->EmptyTable();
    Pump();
    for (TNavigateBtnEh b : {nbFirstEh, nbPriorEh, nbNextEh, nbLastEh, nbDeleteEh, nbEditEh, nbInsertEh})
        EXPECT_FALSE(nav->Button(b)->Enabled()) << int(b);
    // An inactive data set disables every button.
    Table->Close();
    for (int b = nbFirstEh; b <= nbRefreshEh; ++b)
        EXPECT_FALSE(nav->Button(TNavigateBtnEh(b))->Enabled());
}

TEST_F(SearchGridTest, NavigatorCountsAndSumsTheSelectionScreenshot) {
    UseNames();
    Form->SetWidth(760);
    Grid->SetWidth(740);
    Grid->HorzScrollBar()->ExtraPanel()->SetVisible(true);
    TDBGridOptions o = Grid->Options();
    o.Include(dgMultiSelect);
    Grid->SetOptions(o);
    Grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopUpdateEh, alopDeleteEh});
    Pump();
    TDBGridEhNavigatorPanel* nav = Grid->HorzScrollBarPanelControl()->ExtraPanel();
    // The top and right border lines lie outside the client area.
    EXPECT_EQ(nav->ClientWidth(), nav->Width() - 1);
    EXPECT_EQ(nav->ClientHeight(), nav->Height() - 1);

    // A rectangle over the ID column, rows 2 to 4: the five aggregates in their order.
    GoToId(2);
    const TBookmark top = Table->Bookmark();
    GoToId(4);
    Grid->Selection()->Rect()->Select(0, top, false);
    Grid->Selection()->Rect()->Select(0, Table->Bookmark(), true);
    Pump();
    EXPECT_EQ(nav->GetSelectionInfoPanelText(),
              QStringLiteral(" Sum: 9    Count: 3    Average: 3    Min: 2    Max: 4 "));
    const auto& items = nav->SelectionInfoItems();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].Text, QStringLiteral("9"));
    EXPECT_EQ(items[4].Text, QStringLiteral("4"));
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_LT(items[i].Left, items[i].Right);
        if (i > 0) EXPECT_GT(items[i].Left, items[i - 1].Right);
    }
    EXPECT_TRUE(nav->SelectionInfo()->Visible());
    EXPECT_GT(nav->SelectionInfo()->Width(), 0);
    QImage img = Form->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_navigator_sums"))));

    // A selected column sums over every record; a text column has a count, min and max only.
    Grid->Selection()->Columns()->Select(Grid->Columns()->Columns(0), false);
    EXPECT_TRUE(nav->GetSelectionInfoPanelText().startsWith(QStringLiteral(" Sum: 45 ")));

    // Selected records: counted beside the record count, no sums; Delete goes by the grid's rules.
    Grid->Selection()->Clear();
    for (int id : {2, 3}) {
        GoToId(id);
        Grid->SelectedRows()->SetCurrentRowSelected(true);
    }
    Pump();
    EXPECT_EQ(nav->RecordsInfoText(), QStringLiteral("9 (2)"));
    EXPECT_FALSE(nav->SelectionInfo()->Visible());
    std::vector<String> asked;
    SetMessageBoxHook([&](const String& Text, const String&, UINT) {
        asked.push_back(Text);
        return IDOK;
    });
    nav->NavBtnClick(nbDeleteEh);
    SetMessageBoxHook(nullptr);
    EXPECT_EQ(Table->RecordCount(), 7);
    EXPECT_FALSE(Table->Locate(QStringLiteral("ID"), Variant(2), TLocateOptions()));
    EXPECT_FALSE(Table->Locate(QStringLiteral("ID"), Variant(3), TLocateOptions()));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0], QStringLiteral("Delete record?"));
    EXPECT_EQ(nav->RecordsInfoText(), QStringLiteral("7"));
}

TEST_F(SearchGridTest, NavigatorLayoutWithSearchPanelScreenshot) {
    UseNames();
    Grid->HorzScrollBar()->ExtraPanel()->SetVisible(true);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghShowRecNo});
    Grid->SearchPanel()->SetEnabled(true);
    Grid->SearchPanel()->SetLocation(splHorzScrollBarExtraPanelEh);
    Pump();
    TDBGridEhNavigatorPanel* nav = Grid->HorzScrollBarPanelControl()->ExtraPanel();
    EXPECT_EQ(nav->SearchPanelControl(), Grid->SearchPanelControl());
    EXPECT_EQ(Grid->SearchPanelControl()->Parent(), nav);
    EXPECT_EQ(Grid->OutBoundaryData()->TopIndent(), 0);
    // Buttons in order from left to right, after the records-info panel and its divider.
    int x = -1;
    for (int b = nbFirstEh; b <= nbRefreshEh; ++b) {
        EXPECT_GT(nav->Button(TNavigateBtnEh(b))->Left(), x);
        x = nav->Button(TNavigateBtnEh(b))->Left();
    }
    EXPECT_GE(nav->Button(nbFirstEh)->Left(), nav->RecordsInfo()->Width());
    Grid->SearchPanelControl()->FindEditor()->SetText(QStringLiteral("ров"));
    Pump(50);
    QImage img = Form->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_navigator_search"))));
    // Back to the top of the grid.
    Grid->SearchPanel()->SetLocation(splGridTopEh);
    Pump();
    EXPECT_EQ(Grid->SearchPanelControl()->Parent(), Grid);
    EXPECT_EQ(nav->SearchPanelControl(), nullptr);
}

TEST_F(SearchGridTest, SearchPanelAndBoxFramesLieOutsideTheirClientAreas) {
    UseNames();
    Grid->SearchPanel()->SetEnabled(true);
    Pump(50);
    TDBGridSearchPanelControlEh* pc = Grid->SearchPanelControl();
    TNavFindEditEh* box = pc->FindEditor();
    // At the grid top one frame line above the client area; the box sits 3 pixels into it.
    EXPECT_EQ(pc->ClientHeight(), pc->Height() - 1);
    EXPECT_EQ(pc->ClientOrigin().Y, Grid->ClientOrigin().Y + 1);
    EXPECT_EQ(box->Top(), 3);
    EXPECT_EQ(box->Height(), pc->ClientHeight() - 7);
    const QImage img = Form->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_search_panel_frames"))));
    const TPoint g = Grid->ClientOrigin(), f = Form->ClientOrigin();
    const int gx = g.X - f.X, gy = g.Y - f.Y;
    EXPECT_EQ(img.pixelColor(gx + 20, gy).rgb() & 0xFFFFFF, 0xE2DEC5u); // $00C5DEE2 as BGR
    // The box's frame is its outermost pixels, in the grid's dark line colour.
    const TPoint b = box->ClientOrigin();
    const QColor dark = ColorToQColor(Grid->GridLineColors()->DarkColor());
    EXPECT_EQ(img.pixelColor(b.X - f.X, b.Y - f.Y + box->Height() / 2), dark);
    EXPECT_EQ(img.pixelColor(b.X - f.X + 20, b.Y - f.Y), dark);

    // Inside the navigator panel no frame line: the navigator's own border frames it.
    Grid->HorzScrollBar()->ExtraPanel()->SetVisible(true);
    Grid->SearchPanel()->SetLocation(splHorzScrollBarExtraPanelEh);
    Pump(50);
    EXPECT_EQ(pc->ClientHeight(), pc->Height());
    EXPECT_TRUE(box->MiniHeight());
    Grid->SearchPanel()->SetLocation(splGridTopEh);
    Pump(50);
    EXPECT_EQ(pc->ClientHeight(), pc->Height() - 1);
    EXPECT_FALSE(box->MiniHeight());
}

TEST_F(SearchGridTest, PressingAFindButtonFocusesTheGridOrATabStopPanel) {
    UseNames();
    Grid->SearchPanel()->SetEnabled(true);
    Pump(50);
    TDBGridSearchPanelControlEh* pc = Grid->SearchPanelControl();
    TNavFindButtonEh* next = pc->FindButton(gnfbFindNextEh);
    for (bool tabStop : {false, true}) {
        pc->SetTabStop(tabStop);
        Form->SetActiveControl(nullptr);
        next->Perform(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(2 << 16 | 2));
        EXPECT_EQ(Form->ActiveControl(), tabStop ? static_cast<TWinControl*>(pc) : Grid) << tabStop;
        // Released away from the button: no click.
        next->Perform(WM_LBUTTONUP, 0, LPARAM(0xFFF0FFF0));
        Pump();
    }
}

namespace {
// A centre that reads no text from the Name column.
struct NoNameCenter : TDBGridEhCenter {
    bool CanColumnValueReadAsText(TCustomDBGridEh* Grid, TColumnEh* Column) override {
        return Column->FieldName() != QStringLiteral("Name") &&
               TDBGridEhCenter::CanColumnValueReadAsText(Grid, Column);
    }
};
} // namespace

TEST_F(SearchGridTest, AllColumnSearchSkipsColumnsTheCentreCannotRead) {
    UseNames();
    NoNameCenter center;
    Grid->SetCenter(&center);
    const TLocateTextOptionsEh opts{ltoCaseInsensitiveEh, ltoAllFieldsEh};
    EXPECT_FALSE(Grid->LocateText(Grid, String(), QString::fromUtf8("Сидоров"), opts, ltdAllEh, ltmWholeEh,
                                  lttInAllNodesEh));
    EXPECT_TRUE(Grid->LocateText(Grid, String(), QString::fromUtf8("ИВАН"), opts, ltdAllEh, ltmWholeEh,
                                 lttInAllNodesEh));
    EXPECT_EQ(CurrentId(), 3);
    Grid->SetCenter(nullptr);
}

// ---------------------------------------------------------------------------------------------
// Search filter over stored texts

// The stored-text search gives what QString::contains gives on the decoded text, for every
// byte of the code page against needles of Latin, Cyrillic and other characters in both cases.
TEST(AnsiTextFinderTest, AgreesWithQtCaseInsensitiveContainsForEveryByte) {
    const char* const needles[] = {"a", "Z", "ё", "Ё", "я", "Ж", "µ", "ß", "%", "_", "?", "€", "ab", "bA", "жё"};
    for (const char* n : needles) {
        const String needle = QString::fromUtf8(n);
        TAnsiTextFinderEh finder;
        finder.SetNeedle(needle);
        ASSERT_TRUE(finder.Searchable()) << n;
        for (int b = 1; b < 256; ++b)
            for (int c : {int('a'), int('B'), 0xE6, 0xB8}) {
                const char text[2] = {char(b), char(c)};
                const bool qt = FromAnsiBytes(AnsiString(text, 2)).contains(needle, Qt::CaseInsensitive);
                ASSERT_EQ(finder.ContainedIn(text, 2), qt) << n << " in bytes " << b << "," << c;
            }
    }
    TAnsiTextFinderEh pair;
    pair.SetNeedle(QString::fromUtf8("😀"));
    EXPECT_FALSE(pair.Searchable()); // surrogates go the decoded way
}

// The search filter keeps the same records whether it reads the memory table's stored texts or
// the fields' display texts (a field with a text handler that changes nothing takes that way).
TEST_F(SearchGridTest, StoredTextFilterKeepsTheRecordsTheDisplayTextFilterKeeps) {
    const char* const values[] = {"Иванов", "ИВАНОВ", "иванов", "Ёлка", "ёЛКА", "Smith", "sMITH", "50% off",
                                  "a_b",    "[x]",    "*?",     "",     nullptr, "abcdefghijXYZ", "Ж ё z"};
    const char* const needles[] = {"иван", "ИВАН", "ёл", "Ё", "smith", "%", "_", "[", "*", "?", "xyz", "j", " ", "ж ё", "q"};
    Table = Create<TMemTableEh>(Form);
    Table->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
    Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 10); // the long value is cut at 10
    Table->CreateDataSet();
    int id = 0;
    for (const char* v : values)
        Table->AppendRecord({Variant(++id), v ? Variant(QString::fromUtf8(v)) : Variant(Null())});
    Table->First();
    Source->SetDataSet(Table);
    Grid->SetDataSource(Source);
    Grid->Columns()->Columns(0)->SetVisible(false);
    Pump();
    TField* name = Table->FieldByName(QStringLiteral("Name"));
    auto kept = [&](const String& Needle) {
        Grid->ApplySearchFilter(Needle);
        std::vector<int> ids;
        Table->DisableControls();
        for (Table->First(); !Table->Eof(); Table->Next())
            ids.push_back(Table->FieldByName(QStringLiteral("ID"))->AsInteger());
        Table->EnableControls();
        Grid->CancelSearchFilter();
        return ids;
    };
    for (const char* n : needles) {
        const String needle = QString::fromUtf8(n);
        name->OnGetText = nullptr;
        const std::vector<int> stored = kept(needle);
        name->OnGetText = TFieldGetTextEvent::Callable(
            [](TField* Sender, String& Text, bool) { Text = Sender->AsString(); });
        const std::vector<int> display = kept(needle);
        name->OnGetText = nullptr;
        std::vector<int> expected;
        for (int i = 0; i < int(std::size(values)); ++i)
            if (values[i] && QString::fromUtf8(values[i]).left(10).contains(needle, Qt::CaseInsensitive))
                expected.push_back(i + 1);
        EXPECT_EQ(stored, expected) << n;
        EXPECT_EQ(display, expected) << n;
    }
}

// While a field validates it reads as the value being written. The filter test reads it so too,
// as the display text does, and not as the value the table still stores.
TEST_F(SearchGridTest, SearchFilterReadsAFieldUnderValidationAsTheFieldReadsIt) {
    UseNames();
    Grid->ApplySearchFilter(QStringLiteral("smith"));
    ASSERT_EQ(VisibleRecords(), 2);
    GoToId(3); // smith
    TField* name = Table->FieldByName(QStringLiteral("Name"));
    std::vector<std::pair<String, bool>> seen;
    name->OnValidate = TFieldNotifyEvent::Callable([&](TField* Sender) {
        bool accept = true;
        Grid->SearchFilterRecord(Table, accept);
        seen.push_back({Sender->AsString(), accept});
    });
    Table->Edit();
    name->SetAsString(QStringLiteral("jones"));
    name->SetAsString(QStringLiteral("Smithers"));
    name->OnValidate = nullptr;
    Table->Cancel();
    const std::vector<std::pair<String, bool>> expected = {{QStringLiteral("jones"), false},
                                                           {QStringLiteral("Smithers"), true}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(VisibleRecords(), 2);
}
