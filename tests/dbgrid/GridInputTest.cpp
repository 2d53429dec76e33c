// The data grid's input paths through its window messages: the title filter button, title
// button tracking, the indicator title, column selection, right-to-left hit tests, keys that
// empty values or start a search, the tracking timer and cancel mode.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhFilter.h"
#include "lib/dbgrid/DBGridEhFilterRow.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/memtable/MemTableEh.h"
#include "lib/tools/ToolCtrlsEh.h"

#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QScopeGuard>
#include <QWidget>

namespace {

LPARAM Pt(int x, int y) {
    return MAKELPARAM(Word(x), Word(y));
}

TPoint Centre(const TRect& r) {
    return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

struct InputGrid : DBGridFormFixture<TDBGridEh> {
    InputGrid() : DBGridFormFixture(360, 300) {}

    // ID, Name, Qty and a check-box column Done (odd IDs done), N rows.
    void UseTableWithDone(int N) {
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        Table->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        Table->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
        Table->FieldDefs()->Add(QStringLiteral("Done"), ftBoolean);
        Table->CreateDataSet();
        for (int i = 1; i <= N; ++i)
            Table->AppendRecord(
                {Variant(i), Variant(QStringLiteral("Name %1").arg(i)), Variant(i % 7), Variant(i % 2 == 1)});
        Table->First();
        Source->SetDataSet(Table);
        Grid->SetDataSource(Source);
        Pump();
    }
    int Col(const char* name) {
        for (int i = 0; i < Grid->VisibleColumnCount(); ++i)
            if (Grid->VisibleColumn(i)->FieldName() == QLatin1String(name)) return i;
        return -1;
    }
    TColumnEh* Column(const char* name) { return Grid->VisibleColumn(Col(name)); }
    TRect TitleRect(const char* name) { return Grid->CellRect(Col(name) + Grid->IndicatorOffset(), 0); }
    // The cursor goes where the press is, as the cancel-mode rules look at it.
    void Press(const TPoint& p, WPARAM keys = 0) {
        const TPoint screen = Grid->ClientToScreen(p);
        SetCursorPos(screen.X, screen.Y);
        Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON | keys, Pt(p.X, p.Y));
    }
    void Move(const TPoint& p) { Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(p.X, p.Y)); }
    void Release(const TPoint& p, WPARAM keys = 0) { Grid->Perform(WM_LBUTTONUP, keys, Pt(p.X, p.Y)); }
    void Click(const TPoint& p, WPARAM keys = 0) {
        Press(p, keys);
        Release(p, keys);
    }
    void Key(Word vk, bool ctrl = false) {
        SetKeyDown(VK_CONTROL, ctrl);
        Grid->Perform(WM_KEYDOWN, vk, 0);
        SetKeyDown(VK_CONTROL, false);
    }
    void InTitleFilter() {
        Grid->STFilter()->SetVisible(true);
        Grid->STFilter()->SetLocation(stflInTitleFilterEh);
        Pump();
    }
    TRect FilterButton(const char* name) {
        TRect b;
        const TRect cell = TitleRect(name);
        EXPECT_EQ(Grid->TitleFilterButtonHit(TGridCoord{Col(name) + Grid->IndicatorOffset(), 0}, Centre(cell),
                                             cell, b),
                  0);
        Grid->InCellButtonHit(TPoint(), cell, b);
        return b;
    }
    void Grab(const QString& name) {
        Grid->Invalidate();
        Pump();
        const QImage img = Grid->Widget()->grab().toImage();
        EXPECT_TRUE(img.save(ScreenshotPath(name)));
    }
};

int IndexOf(TStrings* Items, const char* Text) {
    for (int i = 0; i < Items->Count(); ++i)
        if (Items->Strings(i) == QString::fromUtf8(Text)) return i;
    return -1;
}

} // namespace

// The filter button in a title opens the column's list; a choice filters the table; a second
// press on the button closes the list again.
TEST_F(InputGrid, TitleFilterButtonOpensTheListAndFilters) {
    UseTableWithDone(20);
    InTitleFilter();
    int applied = 0;
    Grid->OnApplyFilter = TNotifyEvent::Callable([&](TObject*) {
        ++applied;
        const String f = STFilterGridFilterString(Grid);
        Table->SetFilter(f);
        Table->SetFiltered(!f.trimmed().isEmpty());
    });
    const TRect button = FilterButton("Qty");
    const TRect cell = TitleRect("Qty");
    // The button sits at the title's right end, within the cell.
    EXPECT_EQ(button.Right, cell.Right - (Grid->OptionsEh().Contains(dghFixed3D) ? 1 : 0));
    EXPECT_GT(button.Width(), 4);
    TRect hit;
    EXPECT_EQ(Grid->TitleFilterButtonHit(TGridCoord{Col("Qty") + 1, 0}, Centre(button), cell, hit), 8);
    EXPECT_EQ(hit, button);
    EXPECT_EQ(Grid->TitleFilterButtonHit(TGridCoord{Col("Qty") + 1, 1}, Centre(button), cell, hit), 0);

    Click(Centre(button));
    ASSERT_TRUE(Grid->InTitleFilterListboxVisible());
    EXPECT_EQ(Grid->InTitleFilterListboxColumn(), Column("Qty"));
    EXPECT_EQ(Grid->TrackingStateRect(), button);
    EXPECT_FALSE(Grid->Tracking());
    Grab(QStringLiteral("dbgrid_title_filter_button_open"));

    // The list keeps the keys while it is open: Space checks a value, Enter on the command runs.
    TPopupListboxEh* list = Grid->GetInTitleFilterListbox();
    list->SetItemIndex(IndexOf(list->Items(), "3"));
    Grid->Perform(WM_CHAR, u' ', 0);
    EXPECT_FALSE(Column("Qty")->STFilter()->ExpressionStr().isEmpty());
    list->SetItemIndex(IndexOf(list->Items(), "(Применить фильтр)"));
    ASSERT_GE(list->ItemIndex(), 0);
    Grid->Perform(WM_CHAR, 13, 0);
    EXPECT_FALSE(Grid->InTitleFilterListboxVisible());
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(Table->RecordCount(), 3);
    Grab(QStringLiteral("dbgrid_title_filter_button_filtered"));

    // Open, then the same button again: closed, nothing applied.
    Click(Centre(button));
    ASSERT_TRUE(Grid->InTitleFilterListboxVisible());
    Click(Centre(button));
    EXPECT_FALSE(Grid->InTitleFilterListboxVisible());
    EXPECT_EQ(applied, 1);

    // A press on another column's button moves the list there.
    Click(Centre(button));
    Click(Centre(FilterButton("Name")));
    EXPECT_TRUE(Grid->InTitleFilterListboxVisible());
    EXPECT_EQ(Grid->InTitleFilterListboxColumn(), Column("Name"));
    // A press on the data closes it.
    Click(Centre(Grid->CellRect(1, Grid->TopDataOffset())));
    EXPECT_FALSE(Grid->InTitleFilterListboxVisible());
}

// Cancel mode coming from the press that opened the list keeps it; from anything else it closes.
TEST_F(InputGrid, CancelModeKeepsTheListOnlyForItsOwnButton) {
    UseTableWithDone(5);
    InTitleFilter();
    const TRect button = FilterButton("Qty");
    Click(Centre(button));
    ASSERT_TRUE(Grid->InTitleFilterListboxVisible());
    const TPoint screen = Grid->ClientToScreen(Centre(button));
    SetCursorPos(screen.X, screen.Y);
    Grid->Perform(CM_CANCELMODE, 0, LPARAM(static_cast<TControl*>(Grid)));
    EXPECT_TRUE(Grid->InTitleFilterListboxVisible());
    Grid->Perform(CM_CANCELMODE, 0, LPARAM(static_cast<TControl*>(Grid->GetInTitleFilterListbox())));
    EXPECT_TRUE(Grid->InTitleFilterListboxVisible());
    Grid->Perform(CM_CANCELMODE, 0, LPARAM(static_cast<TControl*>(Form)));
    EXPECT_FALSE(Grid->InTitleFilterListboxVisible());

    Click(Centre(button));
    ASSERT_TRUE(Grid->InTitleFilterListboxVisible());
    Grid->Perform(WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(Grid->InTitleFilterListboxVisible());
    EXPECT_EQ(Grid->GridEhState(), dgsNormal);
}

// The title button is shown down while the mouse stays on it; the click counts only when it is
// released there; a column that cannot be compared refuses the sort and leaves no marking.
TEST_F(InputGrid, TitleButtonTracksTheMouse) {
    UseTableWithDone(10);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghAutoSortMarking} -
                       TDBGridEhOptions{dghColumnMove});
    Column("Name")->Title()->SetTitleButton(true);
    int clicks = 0;
    Grid->OnTitleBtnClick = TTitleEhClickEvent::Callable([&](TObject*, int, TColumnEh*) { ++clicks; });
    const TPoint title = Centre(TitleRect("Name"));
    const TPoint away = Centre(Grid->CellRect(1, 5));

    Press(title);
    EXPECT_TRUE(Grid->Tracking());
    EXPECT_TRUE(Grid->TitlePressed());
    Move(away);
    EXPECT_FALSE(Grid->TitlePressed());
    Release(away);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(Grid->Tracking());
    EXPECT_FALSE(Grid->MouseCapture());

    Press(title);
    Move(away);
    Move(title);
    EXPECT_TRUE(Grid->TitlePressed());
    Release(title);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Column("Name")->Title()->SortMarker(), smUpEh);

    // A title that is no button is only clicked.
    int titleClicks = 0;
    Grid->OnTitleClick = TDBGridEhClickEvent::Callable([&](TColumnEh*) { ++titleClicks; });
    Click(Centre(TitleRect("Qty")));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(titleClicks, 1);
    EXPECT_EQ(Column("Qty")->Title()->SortMarker(), smNoneEh);

    // OnCheckButton may refuse the button.
    Grid->OnCheckButton =
        TCheckTitleEhBtnEvent::Callable([](TObject*, int, TColumnEh*, bool& Enabled) { Enabled = false; });
    Click(title);
    EXPECT_EQ(clicks, 1);
    Grid->OnCheckButton = TCheckTitleEhBtnEvent();

    // A column whose values cannot be compared refuses the sort: no marker, no Ctrl marking left.
    struct TNoQtySort : TDBGridEhCenter {
        bool ColumnValueTypeIsComparable(TCustomDBGridEh*, TColumnEh* Column) override {
            return Column->FieldName() != QLatin1String("Qty");
        }
    } center;
    Grid->SetCenter(&center);
    const auto restore = qScopeGuard([&] { Grid->SetCenter(nullptr); });
    Column("Qty")->Title()->SetTitleButton(true);
    const TPoint qty = Centre(TitleRect("Qty"));
    SetKeyDown(VK_CONTROL, true);
    Press(qty, MK_CONTROL);
    EXPECT_THROW(Release(qty, MK_CONTROL), Exception);
    SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(Grid->Tracking());
    EXPECT_FALSE(Grid->MouseCapture());
    EXPECT_EQ(Column("Qty")->Title()->SortMarker(), smNoneEh);
    EXPECT_EQ(Column("Name")->Title()->SortMarker(), smUpEh);
    int sortChanges = 0;
    Grid->OnSortMarkingChanged = TNotifyEvent::Callable([&](TObject*) { ++sortChanges; });
    Grid->Perform(WM_KEYUP, VK_CONTROL, 0);
    EXPECT_EQ(sortChanges, 0);
}

// The indicator title selects every record and then clears; the lowest pixels of a title select
// its column (Shift extends, Ctrl inverts).
TEST_F(InputGrid, IndicatorTitleAndColumnSelectZone) {
    UseTableWithDone(10);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect});
    Grid->SetAllowedSelections(TDBGridEhAllowedSelections{gstRecordBookmarks, gstColumns, gstRectangle});
    const TPoint corner = Centre(Grid->CellRect(0, 0));
    Click(corner);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 10);
    Click(corner);
    EXPECT_EQ(Grid->Selection()->SelectionType(), gstNon);

    const TRect name = TitleRect("Name");
    const TPoint zone{(name.Left + name.Right) / 2, name.Bottom - 2};
    Click(zone);
    ASSERT_EQ(Grid->Selection()->SelectionType(), gstColumns);
    EXPECT_EQ(Grid->Selection()->Columns()->Count(), 1);
    EXPECT_EQ(Grid->GridEhState(), dgsNormal);
    const TRect qty = TitleRect("Qty");
    SetKeyDown(VK_SHIFT, true);
    Click(TPoint{(qty.Left + qty.Right) / 2, qty.Bottom - 2}, MK_SHIFT);
    SetKeyDown(VK_SHIFT, false);
    EXPECT_EQ(Grid->Selection()->Columns()->Count(), 2);
    SetKeyDown(VK_CONTROL, true);
    Click(zone, MK_CONTROL);
    SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(Grid->Selection()->Columns()->Count(), 1);
    // The selected title is painted in the selection colours.
    Grab(QStringLiteral("dbgrid_selected_column_title"));
    // Above the zone the title is no column selector.
    Click(Centre(name));
    EXPECT_EQ(Grid->Selection()->Columns()->Count(), 1);
}

// Pressing the indicator with multi-select drags a row selection; the tracking timer follows the
// mouse; cancel mode ends every tracking state.
TEST_F(InputGrid, TimerTracksTheSelectionAndCancelModeEndsIt) {
    UseTableWithDone(40);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect});
    const TPoint row3 = Centre(Grid->CellRect(0, Grid->TopDataOffset() + 2));
    Press(row3);
    EXPECT_EQ(Grid->GridEhState(), dgsRowSelecting);
    EXPECT_TRUE(Grid->Tracking());
    EXPECT_TRUE(Grid->MouseCapture());
    EXPECT_TRUE(Grid->SelectedRows()->CurrentRowSelected());
    EXPECT_EQ(Table->RecNo(), 3);
    // The cursor below the grid: each tick selects further down.
    const TPoint below = Grid->ClientToScreen(TPoint{10, Grid->ClientHeight() + 60});
    SetCursorPos(below.X, below.Y);
    SetKeyDown(VK_LBUTTON, true);
    Grid->Perform(WM_TIMER, 1, 0);
    SetKeyDown(VK_LBUTTON, false);
    EXPECT_GT(Table->RecNo(), 3);
    EXPECT_GT(Grid->SelectedRows()->Count(), 1);

    Grid->Perform(WM_CANCELMODE, 0, 0);
    EXPECT_EQ(Grid->GridEhState(), dgsNormal);
    EXPECT_FALSE(Grid->Tracking());
    EXPECT_FALSE(Grid->MouseCapture());
    // Another tick after cancel mode does not select any further.
    const int count = Grid->SelectedRows()->Count();
    const int recNo = Table->RecNo();
    Grid->Perform(WM_TIMER, 1, 0);
    EXPECT_EQ(Grid->SelectedRows()->Count(), count);
    EXPECT_EQ(Table->RecNo(), recNo);

    // Timer 2 is the in-place search's idle end.
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghIncSearch});
    Grid->StartInplaceSearch(String(), 100000, ltdAllEh);
    ASSERT_TRUE(Grid->InplaceSearching());
    Grid->Perform(WM_TIMER, 2, 0);
    EXPECT_FALSE(Grid->InplaceSearching());
}

// Keys, table-driven: Delete empties image and check-box values unless the field is required or
// the key is modified; Ctrl+F starts an in-place search, which typed text then extends.
TEST_F(InputGrid, KeysThroughTheMessages) {
    UseTableWithDone(6);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgEditing});
    ASSERT_EQ(Column("Done")->GetColumnType(), ctCheckboxes);
    struct Case {
        const char* what;
        bool required;
        bool rowSelect;
        bool emptied;
    } cases[] = {
        {"Delete", false, false, true},
        {"Delete with whole rows selected", false, true, false},
        {"Delete on a required field", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Table->Cancel();
        Table->First();
        Grid->SetOptions(Grid->Options() - TDBGridOptions{dgRowSelect});
        Table->FieldByName(QStringLiteral("Done"))->SetRequired(c.required);
        Grid->SetSelectedIndex(Col("Done"));
        ASSERT_EQ(Grid->SelectedColumn(), Column("Done"));
        if (c.rowSelect) Grid->SetOptions(Grid->Options() + TDBGridOptions{dgRowSelect});
        Key(VK_DELETE);
        EXPECT_EQ(Table->FieldByName(QStringLiteral("Done"))->IsNull(), c.emptied);
    }
    Table->Cancel();
    Table->FieldByName(QStringLiteral("Done"))->SetRequired(false);
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgRowSelect});

    // Space cycles the check box; it does not reach a search.
    Table->First();
    const bool before = Table->FieldByName(QStringLiteral("Done"))->AsBoolean();
    Grid->Perform(WM_CHAR, u' ', 0);
    EXPECT_NE(Table->FieldByName(QStringLiteral("Done"))->AsBoolean(), before);
    Table->Cancel();

    // In-place search: Ctrl+F starts it, characters extend it, the indicator shows the search
    // arrow, Escape ends it.
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghIncSearch});
    Grid->SetSelectedIndex(Col("Name"));
    Key('F', true);
    ASSERT_TRUE(Grid->InplaceSearching());
    for (QChar ch : QStringLiteral("name 4"))
        Grid->Perform(WM_CHAR, ch.unicode(), 0);
    EXPECT_EQ(Table->RecNo(), 4);
    EXPECT_EQ(Grid->InplaceSearchText(), u"Name 4"_qs);
    Grab(QStringLiteral("dbgrid_inplace_search_indicator"));
    Key(VK_BACK);
    EXPECT_EQ(Grid->InplaceSearchText(), u"Name "_qs);
    Key(VK_ESCAPE);
    EXPECT_FALSE(Grid->InplaceSearching());

    // Without the search options typing goes to the editor; with the search preferred and the
    // editor hidden it starts a search.
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghIncSearch});
    Grid->Perform(WM_CHAR, u'x', 0);
    EXPECT_FALSE(Grid->InplaceSearching());
    Table->Cancel();
    Grid->SetEditorMode(false);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghPreferIncSearch});
    Grid->Perform(WM_CHAR, u'N', 0);
    EXPECT_TRUE(Grid->InplaceSearching());
}

// The keys of a running search still reach the navigation keys; Ctrl+V feeds the search;
// Shift with Up and Down selects records.
TEST_F(InputGrid, SearchKeysGoOnAndShiftArrowsSelectRecords) {
    UseTableWithDone(6);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgEditing});
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghIncSearch});
    struct Case {
        const char* what;
        Word key;
        bool enterAsTab;
        bool editor; // editor shown afterwards
        int column;  // selected column afterwards
    } cases[] = {
        {"F2 stops the search and opens the editor", VK_F2, false, true, Col("Name")},
        {"Enter as Tab stops the search and moves on", VK_RETURN, true, false, Col("Qty")},
        {"Escape stops the search", VK_ESCAPE, false, false, Col("Name")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Table->Cancel();
        Grid->SetEditorMode(false);
        Grid->SetSelectedIndex(Col("Name"));
        Grid->SetOptionsEh(c.enterAsTab ? Grid->OptionsEh() + TDBGridEhOptions{dghEnterAsTab}
                                        : Grid->OptionsEh() - TDBGridEhOptions{dghEnterAsTab});
        Key('F', true);
        ASSERT_TRUE(Grid->InplaceSearching());
        Key(c.key);
        EXPECT_FALSE(Grid->InplaceSearching());
        EXPECT_EQ(Grid->EditorMode(), c.editor);
        EXPECT_EQ(Grid->SelectedIndex(), c.column);
    }
    Grid->SetEditorMode(false);
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghEnterAsTab});

    // Pasting during a search searches for the clipboard's text and leaves the data alone.
    Table->First();
    Grid->SetSelectedIndex(Col("Name"));
    Clipboard()->SetAsText(QStringLiteral("Name 5"));
    Key('F', true);
    Key('V', true);
    EXPECT_EQ(Table->RecNo(), 5);
    EXPECT_EQ(Table->State(), dsBrowse);
    Key(VK_ESCAPE);

    // Shift+Down and Shift+Up bookmark records when rectangles are not allowed.
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect});
    Grid->SetAllowedSelections(TDBGridEhAllowedSelections{gstRecordBookmarks});
    Table->First();
    SetKeyDown(VK_SHIFT, true);
    Grid->Perform(WM_KEYDOWN, VK_DOWN, 0);
    Grid->Perform(WM_KEYDOWN, VK_DOWN, 0);
    SetKeyDown(VK_SHIFT, false);
    EXPECT_EQ(Table->RecNo(), 3);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 3);
    SetKeyDown(VK_SHIFT, true);
    Grid->Perform(WM_KEYDOWN, VK_UP, 0);
    SetKeyDown(VK_SHIFT, false);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 2);
}

// Right to left the first column stands at the right; clicks, the title filter button and the
// painting follow the mirrored layout.
TEST_F(InputGrid, RightToLeftHitTestsAndPainting) {
    UseTableWithDone(12);
    InTitleFilter();
    Grid->SetBiDiMode(bdRightToLeft);
    Pump();
    ASSERT_TRUE(Grid->UseRightToLeftAlignment());
    const TRect indicator = Grid->CellRect(0, Grid->TopDataOffset());
    const TRect first = Grid->CellRect(1, Grid->TopDataOffset());
    EXPECT_GE(indicator.Left, first.Right - 1);
    EXPECT_GT(indicator.Left, Grid->ClientWidth() / 2);

    // A click in the third row of the second column selects that cell.
    const TRect cell = Grid->CellRect(2, Grid->TopDataOffset() + 2);
    Click(Centre(cell));
    EXPECT_EQ(Table->RecNo(), 3);
    EXPECT_EQ(Grid->Col(), 2);

    // The title's filter button is at the left end of the title.
    const TRect title = TitleRect("Qty");
    TRect b;
    Grid->InCellButtonHit(TPoint(), title, b);
    EXPECT_LE(b.Left, title.Left + 1);
    EXPECT_EQ(Grid->TitleFilterButtonHit(TGridCoord{Col("Qty") + 1, 0}, Centre(b), title, b), 8);
    Click(Centre(b));
    EXPECT_TRUE(Grid->InTitleFilterListboxVisible());
    Grid->CloseInTitleFilterListbox(false);

    // The mirrored mapping is the canvas' own to switch.
    Grid->Canvas()->Lock();
    Grid->SetCanvasMirroring(true);
    TPoint p{10, 0};
    LPtoDP(Grid->Canvas()->Handle(), &p, 1);
    EXPECT_EQ(p.X, Grid->ClientWidth() - 10);
    Grid->SetCanvasMirroring(false);
    p = TPoint{10, 0};
    LPtoDP(Grid->Canvas()->Handle(), &p, 1);
    EXPECT_EQ(p.X, 10);
    Grid->Canvas()->Unlock();
    Grab(QStringLiteral("dbgrid_right_to_left"));
}

// The column's own OnAdvDrawDataCell draws after the grid's, and only when the grid's did not.
TEST_F(InputGrid, ColumnAdvancedDrawingComesAfterTheGrids) {
    UseTableWithDone(3);
    int gridCalls = 0, columnCalls = 0;
    bool gridProcesses = false;
    Grid->OnAdvDrawDataCell =
        TDBGridEhAdvDrawColumnDataEvent::Callable([&](TCustomDBGridEh*, TGridCoord, TGridCoord, TColumnEh* C,
                                                      const TRect&, TAxisColCellParamsEh*&, bool& Processed) {
            if (C == Column("Name")) {
                ++gridCalls;
                Processed = gridProcesses;
            }
        });
    Column("Name")->OnAdvDrawDataCell = decltype(Column("Name")->OnAdvDrawDataCell)::Callable(
        [&](TCustomDBGridEh*, TGridCoord, TGridCoord, TColumnEh*, const TRect&, TAxisColCellParamsEh*&,
            bool& Processed) {
            ++columnCalls;
            Processed = true;
        });
    Grid->Widget()->grab();
    EXPECT_EQ(gridCalls, 3);
    EXPECT_EQ(columnCalls, 3);
    gridProcesses = true;
    Grid->Widget()->grab();
    EXPECT_EQ(gridCalls, 6);
    EXPECT_EQ(columnCalls, 3);
}

// Page keys move by the rows shown, which footer rows at the bottom make fewer than the rows
// that would fit; Page Up comes back by as many.
TEST_F(InputGrid, PageKeysMoveByTheRowsShown) {
    UseTableWithDone(60);
    Grid->SetFooterRowCount(3);
    Pump();
    const int shown = Grid->VisibleRowCount();
    ASSERT_GT(shown, 1);
    Table->First();
    Key(VK_NEXT);
    EXPECT_EQ(Table->RecNo(), 1 + shown);
    Key(VK_NEXT);
    EXPECT_EQ(Table->RecNo(), 1 + 2 * shown);
    Key(VK_PRIOR);
    EXPECT_EQ(Table->RecNo(), 1 + shown);
}

// Ctrl+' takes the value of the record before the current one in the view's order, also when
// grouped rows show another record (or a group row) above it.
TEST_F(InputGrid, PriorRecordValueComesFromTheViewRowBefore) {
    UseTableWithDone(6);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgEditing});
    TGridDataGroupLevelEh* level = Grid->DataGrouping()->GroupLevels()->Add();
    level->SetColumn(Column("Done"));
    Grid->DataGrouping()->SetDefaultStateExpanded(true);
    struct Case {
        const char* what;
        bool grouped;
        int id;
        const char* name; // the Name afterwards
        bool edited;
    } cases[] = {
        {"plain rows", false, 4, "Name 3", true},
        {"the first record has none before it", false, 1, "Name 1", false},
        // Grouped by Done: the even IDs form one group, the odd ones the other.
        {"grouped, another record above", true, 4, "Name 3", true},
        {"grouped, a group row above", true, 6, "Name 5", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Table->Cancel();
        Grid->DataGrouping()->SetActive(c.grouped);
        ASSERT_TRUE(Table->Locate(QStringLiteral("ID"), Variant(c.id), TLocateOptions()));
        Pump();
        Grid->SetSelectedIndex(Col("Name"));
        Key(0xDE, true);
        EXPECT_EQ(Table->FieldByName(QStringLiteral("Name"))->AsString(), QString::fromLatin1(c.name));
        EXPECT_EQ(Table->State(), c.edited ? dsEdit : dsBrowse);
        EXPECT_EQ(Table->FieldByName(QStringLiteral("ID"))->AsInteger(), c.id) << "the cursor stays";
    }
    Table->Cancel();
}

// A character typed while the filter row is edited goes to the filter editor, once, and
// nowhere else: no in-place search starts and the record is not edited.
TEST_F(InputGrid, TypingWhileTheFilterRowIsEditedGoesToItsEditorOnce) {
    UseTableWithDone(6);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgEditing});
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghIncSearch, dghPreferIncSearch});
    Grid->STFilter()->SetVisible(true);
    Pump();
    Grid->StartFilterEdit(Col("Name"));
    ASSERT_TRUE(Grid->FilterEditMode());
    for (QChar ch : u"ab"_qs)
        Grid->Perform(WM_CHAR, ch.unicode(), 0);
    Pump();
    EXPECT_EQ(Grid->FilterEdit()->Text(), u"ab"_qs);
    EXPECT_FALSE(Grid->InplaceSearching());
    EXPECT_EQ(Table->State(), dsBrowse);
    Grid->Perform(WM_CHAR, 8, 0);
    Pump();
    EXPECT_EQ(Grid->FilterEdit()->Text(), u"a"_qs);
    EXPECT_FALSE(Grid->InplaceSearching());
}

// The filter row's editor follows its cell when the grid scrolls sideways.
TEST_F(InputGrid, FilterRowEditorFollowsItsCellWhenScrolled) {
    UseTableWithDone(6);
    for (int i = 0; i < Grid->VisibleColumnCount(); ++i)
        Grid->VisibleColumn(i)->SetWidth(200);
    Grid->STFilter()->SetVisible(true);
    Pump();
    const int qty = Col("Qty");
    Grid->StartFilterEdit(qty);
    ASSERT_TRUE(Grid->FilterEdit() && Grid->FilterEdit()->Visible());
    const int leftBefore = Grid->FilterEdit()->Left();
    Grid->SetLeftCol(Grid->LeftCol() + 1);
    const TRect cell = Grid->CellRect(qty + Grid->IndicatorOffset(), Grid->TopDataOffset() - 1);
    EXPECT_LT(cell.Left, leftBefore - 1) << "the cell moved left";
    EXPECT_EQ(Grid->FilterEdit()->Left(), cell.Left + 1);
    EXPECT_EQ(Grid->FilterEdit()->Top(), cell.Top);
}
