// Column filters in the grid: the behaviour centre (default operators, sort markers, adapters,
// the filter list's rows and the filter string), the filter row editor with typed texts and
// drop-down choices applied to a memory table, the list rows' commands and the in-title list.

#include "DBGridTestFixture.h"

#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhFilterRow.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/dbgrid/DBGridEhSimpleFilterDlg.h"
#include "lib/tools/DBCtrlsEh.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/WinApi.h"

#include <QImage>
#include <functional>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

struct FilterGrid : DBGridFormFixture<TDBGridEh> {
    FilterGrid() : DBGridFormFixture(360, 300) {}

    void SetUp() override {
        SetFormatSettings(TFormatSettings::Invariant());
        DBGridFormFixture::SetUp();
        UseTable(20);
        Grid->STFilter()->SetVisible(true);
        // What an application does without an adapter: filter the table by the grid's conditions.
        Grid->OnApplyFilter = TNotifyEvent::Callable(
            [this](TObject*) {
                ++Applied;
                const String f = STFilterGridFilterString(Grid);
                Table->SetFilter(f);
                Table->SetFiltered(!f.trimmed().isEmpty());
            },
            this);
        Pump();
    }

    int Col(const char* name) {
        for (int i = 0; i < Grid->VisibleColumnCount(); ++i)
            if (Grid->VisibleColumn(i)->FieldName() == QLatin1String(name)) return i;
        return -1;
    }
    TColumnEh* Column(const char* name) { return Grid->VisibleColumn(Col(name)); }
    QStringList Texts(TStrings* s) {
        QStringList r;
        for (int i = 0; i < s->Count(); ++i)
            r << s->Strings(i);
        return r;
    }
    int IndexOf(TStrings* s, const char* text) { return s->IndexOf(QString::fromUtf8(text)); }

    int Applied = 0;
};

// --- the centre

TEST_F(FilterGrid, CentreDefaultsAndSortMarkers) {
    TDBGridEhCenter* c = Grid->Center();
    ASSERT_EQ(c, DefaultGridCenter());
    TSTFilterExpressionEh e;
    e.ExpressionType = botNumber;
    c->STFilterDefaultNumberOperator = fdoGreaterThan;
    EXPECT_EQ(c->GetSTFilterDefaultOperator(Grid, Column("Qty"), e), fdoGreaterThan);
    e.ExpressionType = botString;
    EXPECT_EQ(c->GetSTFilterDefaultOperator(Grid, Column("Name"), e), fdoAuto);
    Column("Name")->STFilter()->SetKeyField(QStringLiteral("ID"));
    EXPECT_EQ(c->GetSTFilterDefaultOperator(Grid, Column("Name"), e), fdoEqual);
    Column("Name")->STFilter()->SetKeyField(String());
    c->STFilterDefaultNumberOperator = fdoAuto;

    EXPECT_EQ(c->GetFirstSortMarkerState(Grid, Column("Name")), smUpEh);
    EXPECT_EQ(c->GetFirstSortMarkerState(Grid, Column("Qty")), smDownEh);
    EXPECT_EQ(c->GetSortOrderForSortMarker(Grid, nullptr, smDownEh), 1);
    EXPECT_EQ(c->GetSortOrderForSortMarker(Grid, nullptr, smUpEh), 0);
    try {
        c->GetSortOrderForSortMarker(Grid, nullptr, smNoneEh);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), u"SortOrder for SortMarker None is not defined."_qs);
    }
    EXPECT_TRUE(c->CanColumnValueReadAsText(Grid, Column("Qty")));
    EXPECT_TRUE(c->ColumnValueTypeIsComparable(Grid, Column("Name")));
}

struct CountingAdapter : TDataSetAdapterEh {
    using TDataSetAdapterEh::TDataSetAdapterEh;
    int* Calls;
    void ApplyFilter(TCustomDBGridEh*, TDataSet*, bool) override { ++*Calls; }
};

TEST_F(FilterGrid, NearestAdapterServesTheDataSet) {
    TDBGridEhCenter* c = Grid->Center();
    // No adapter and no handler: applying changes nothing.
    Grid->OnApplyFilter = {};
    Column("Qty")->STFilter()->SetExpressionStr(QStringLiteral("=3"));
    Grid->ApplyFilter();
    EXPECT_FALSE(Table->Filtered());
    EXPECT_EQ(Table->RecordCount(), 20);
    EXPECT_EQ(c->FindDataSetAdapter(Table), nullptr);

    int dataSetCalls = 0, tableCalls = 0;
    auto* general = new CountingAdapter(&TDataSet::StaticClassInfo());
    general->Calls = &dataSetCalls;
    auto* near = new CountingAdapter(&TMemTableEh::StaticClassInfo());
    near->Calls = &tableCalls;
    RegisterDataSetAdapterEh(general);
    RegisterDataSetAdapterEh(near);
    EXPECT_THROW(RegisterDataSetAdapterEh(new CountingAdapter(&TDataSet::StaticClassInfo())), Exception);
    EXPECT_EQ(c->FindDataSetAdapter(Table), near);
    Grid->ApplyFilter();
    EXPECT_EQ(tableCalls, 1);
    EXPECT_EQ(dataSetCalls, 0);
    UnregisterDataSetAdapterEh(near);
    EXPECT_EQ(c->FindDataSetAdapter(Table), general);
    UnregisterDataSetAdapterEh(general);
}

TEST_F(FilterGrid, CommandRowsFollowTheSettings) {
    TStringList items;
    Grid->Center()->DefaultFillSTFilterListCommandValues(Grid, Column("Name"), &items);
    EXPECT_EQ(Texts(&items),
              (QStringList{u"(Очистить фильтр)"_qs, u"(Применить фильтр)"_qs, u"(Условие...)"_qs, u"(Все)"_qs,
                           u"(Не пустые)"_qs, u"(Пустые)"_qs}));
    EXPECT_EQ(items.Objects(1), PopupListboxItemEhSpec(ptFilterApply));
    EXPECT_EQ(items.Objects(5), PopupListboxItemEhSpec(ptFilterSpecItemEmpties));

    items.Clear();
    Grid->STFilter()->SetInstantApply(true);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghAutoSortMarking});
    Column("Name")->Title()->SetTitleButton(true);
    Grid->Center()->DefaultFillSTFilterListCommandValues(Grid, Column("Name"), &items);
    EXPECT_EQ(Texts(&items), (QStringList{u"(Сортировка по возрастанию)"_qs, u"(Сортировка по убыванию)"_qs,
                                          u"-"_qs, u"(Очистить фильтр)"_qs, u"(Условие...)"_qs, u"(Все)"_qs,
                                          u"(Не пустые)"_qs, u"(Пустые)"_qs}));
    EXPECT_EQ(items.Objects(0), PopupListboxItemEhSort(smUpEh));
    EXPECT_EQ(items.Objects(2), PopupListboxItemEhLine());
}

TEST_F(FilterGrid, FilterStringPieces) {
    struct Case {
        const char* field;
        const char* text;
        const char* expected;
    } cases[] = {
        {"Name", "=x", " [Name] = 'x' "},
        {"Name", "='O''Brien'", " [Name] = 'O''Brien' "},
        {"Name", "~ab%", " [Name] Like 'ab%' "},
        {"Name", "!~ab%", " Not ( [Name] Like 'ab%') "},
        {"Qty", "in (1,2)", " ([Qty] = 1 OR [Qty] = 2) "},
        {"Qty", "!in (3)", " NOT ([Qty] = 3) "},
        {"Qty", ">1.5 AND <=4", " [Qty] > 1.5 AND [Qty] <= 4 "},
        {"Qty", "=1 OR =Null", "( [Qty] = 1 OR [Qty] IS NULL) "},
        {"Name", "<>Null", " [Name] IS NOT NULL "},
        {"Name", "Мир", " [Name] Like 'Мир' "},
    };
    for (const Case& k : cases) {
        Grid->ClearFilter();
        Column(k.field)->STFilter()->SetExpressionStr(QString::fromUtf8(k.text));
        EXPECT_EQ(STFilterGridFilterString(Grid), QString::fromUtf8(k.expected)) << k.text;
    }
    // Two columns' pieces are joined by AND; numbers keep the point in a comma locale.
    TFormatSettings fs = TFormatSettings::Invariant();
    fs.DecimalSeparator = u',';
    SetFormatSettings(fs);
    Grid->ClearFilter();
    Column("Name")->STFilter()->SetExpressionStr(QStringLiteral("=x"));
    Column("Qty")->STFilter()->SetExpressionStr(QStringLiteral(">1,5"));
    EXPECT_EQ(STFilterGridFilterString(Grid), u" [Name] = 'x' AND  [Qty] > 1.5 "_qs);
    TSTFilterStringOptionsEh nullCompare;
    nullCompare.NullAsComparison = true;
    Column("Qty")->STFilter()->SetExpressionStr(QStringLiteral("=Null"));
    EXPECT_EQ(STFilterColumnFilterString(Column("Qty"), nullCompare), u" [Qty] = NULL"_qs);
}

TEST_F(FilterGrid, ValueListIsNarrowedByTheOtherColumnsOnly) {
    Column("Qty")->STFilter()->SetExpressionStr(QStringLiteral("=3"));
    TStringList names;
    Grid->Center()->StandardFillSTFilterListDataValues(Grid, Column("Name"), &names);
    EXPECT_EQ(Texts(&names), (QStringList{u"Name 10"_qs, u"Name 17"_qs, u"Name 3"_qs}));
    TStringList qty;
    Grid->Center()->StandardFillSTFilterListDataValues(Grid, Column("Qty"), &qty);
    EXPECT_EQ(qty.Count(), 7);
    // The column's own condition is back after the fill.
    EXPECT_EQ(Column("Qty")->STFilter()->Expression().Operator1, foEqual);
}

// --- the filter row

TEST_F(FilterGrid, TypedTextAppliesOnEnterAndBadTextKeepsThePreviousFilter) {
    const int qty = Col("Qty");
    Grid->StartFilterEdit(qty);
    TInplaceFilterEditEh* edit = Grid->FilterEdit();
    ASSERT_TRUE(edit);
    EXPECT_TRUE(edit->Visible());
    EXPECT_TRUE(Grid->FilterEditMode());
    EXPECT_EQ(edit->FColumn, Column("Qty"));
    const TRect cell = Grid->CellRect(qty + Grid->IndicatorOffset(), Grid->TopDataOffset() - 1);
    EXPECT_EQ(edit->Left(), cell.Left + 1);
    EXPECT_EQ(edit->Top(), cell.Top);

    edit->SetText(QStringLiteral("=3"));
    edit->Perform(WM_CHAR, 13, 0);
    EXPECT_EQ(Applied, 1);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"=3"_qs);
    EXPECT_EQ(Table->RecordCount(), 3);
    EXPECT_EQ(Grid->GetColumnFilterText(qty), u"=3"_qs);

    // A malformed text is refused with the parser's message; the filter in force stays.
    edit->SetText(QStringLiteral(">5 AND"));
    try {
        Grid->ApplyFilter();
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), u"Ошибка в выражении: >5 AND"_qs);
    }
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"=3"_qs);
    EXPECT_EQ(Table->RecordCount(), 3);
    // A value that is no number for a number column is refused as well, naming the value.
    edit->SetText(QStringLiteral("abc"));
    try {
        Grid->ApplyFilter();
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(u"abc"_qs)) << e.Message().toStdString();
    }
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"=3"_qs);
    // Leaving the cell with a refused text keeps the editor up with what was typed.
    EXPECT_THROW(Grid->StopFilterEdit(), Exception);
    EXPECT_TRUE(edit->Visible());
    EXPECT_EQ(edit->Text(), u"abc"_qs);

    // Moving to another cell hands the text to its column without applying it.
    edit->SetText(QStringLiteral(">4"));
    Grid->StartFilterEdit(Col("Name"));
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u">4"_qs);
    EXPECT_EQ(edit->FColumn, Column("Name"));
    EXPECT_EQ(Table->RecordCount(), 3);
    EXPECT_EQ(Applied, 1);

    // ClearFilter empties the texts and ends editing but leaves the table filtered.
    Grid->ClearFilter();
    EXPECT_FALSE(Grid->FilterEditMode());
    EXPECT_FALSE(edit->Visible());
    EXPECT_TRUE(Column("Qty")->STFilter()->ExpressionStr().isEmpty());
    EXPECT_EQ(Table->RecordCount(), 3);
}

TEST_F(FilterGrid, ColumnsThatTakeNoFilterEdit) {
    // Moving the filter into the titles ends editing in the row.
    Grid->StartFilterEdit(Col("Qty"));
    Grid->STFilter()->SetLocation(stflInTitleFilterEh);
    EXPECT_FALSE(Grid->FilterEditMode());
    EXPECT_FALSE(Grid->FilterEdit()->Visible());
    Grid->STFilter()->SetLocation(stflUnderTitleFilterEh);

    Column("Name")->STFilter()->SetVisible(false);
    Grid->StartFilterEdit(Col("Name"));
    EXPECT_FALSE(Grid->FilterEditMode());
    EXPECT_FALSE(Grid->IsFilterableColumn(Col("Name")));
    EXPECT_FALSE(Grid->IsFilterableColumn(99));
    EXPECT_TRUE(Grid->IsFilterRowCell(0, Grid->TopDataOffset() - 1, TPoint()));
    Grid->STFilter()->SetLocation(stflInTitleFilterEh);
    Grid->StartFilterEdit(Col("Qty"));
    EXPECT_FALSE(Grid->FilterEditMode());
    EXPECT_FALSE(Grid->IsFilterRowCell(0, 1, TPoint()));
}

TEST_F(FilterGrid, DropDownChoicesFilterTheTable) {
    const int qty = Col("Qty");
    Grid->StartFilterEdit(qty);
    TInplaceFilterEditEh* edit = Grid->FilterEdit();
    edit->DropDown();
    TPopupListboxEh* list = edit->PopupListbox();
    ASSERT_TRUE(edit->ListVisible());
    TStrings* items = edit->Items();
    // Six commands, then the seven distinct values; 100 wide or wider, 15 rows.
    EXPECT_EQ(items->Count(), 13);
    EXPECT_EQ(items->Strings(6), u"0"_qs);
    EXPECT_EQ(items->Objects(6), PopupListboxItemEhData());
    EXPECT_GE(list->Width(), 100);
    EXPECT_EQ(edit->DropDownBox()->Rows, 15);

    // Pressing and releasing a value row toggles it and keeps the list open; a second click adds.
    TPopupListboxItemEhData* data = PopupListboxItemEhData();
    bool close = true;
    const int three = IndexOf(items, "3"), five = IndexOf(items, "5");
    data->HandleMouseDown(list, three, TPoint(), mbLeft, TShiftState());
    data->HandleMouseUp(list, three, TPoint(), mbLeft, TShiftState(), close);
    EXPECT_FALSE(close);
    EXPECT_TRUE(edit->ListVisible());
    data->HandleMouseDown(list, five, TPoint(), mbLeft, TShiftState());
    data->HandleMouseUp(list, five, TPoint(), mbLeft, TShiftState(), close);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"in ('3','5')"_qs);
    EXPECT_EQ(edit->Text(), u"in ('3','5')"_qs);
    // Pressed on one row and released on another: nothing toggles.
    data->HandleMouseDown(list, three, TPoint(), mbLeft, TShiftState());
    data->HandleMouseMove(list, five, TPoint(), TShiftState());
    data->HandleMouseUp(list, five, TPoint(), mbLeft, TShiftState(), close);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"in ('3','5')"_qs);
    EXPECT_EQ(Applied, 0);

    // Choosing "(Применить фильтр)" closes the list and applies.
    list->SetItemIndex(IndexOf(items, "(Применить фильтр)"));
    edit->CloseUp(true);
    EXPECT_FALSE(edit->ListVisible());
    EXPECT_EQ(Table->RecordCount(), 6);
    EXPECT_EQ(edit->Text(), u"in ('3','5')"_qs);

    // "(Пустые)" only sets the text; "(Очистить фильтр)" clears every column and applies.
    edit->DropDown();
    list->SetItemIndex(IndexOf(items, "(Пустые)"));
    edit->CloseUp(true);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"=Null"_qs);
    EXPECT_EQ(Table->RecordCount(), 6);
    Column("Name")->STFilter()->SetExpressionStr(QStringLiteral("~Name 1%"));
    edit->DropDown();
    list->SetItemIndex(IndexOf(items, "(Очистить фильтр)"));
    edit->CloseUp(true);
    EXPECT_TRUE(Column("Name")->STFilter()->ExpressionStr().isEmpty());
    EXPECT_EQ(Table->RecordCount(), 20);

    // With InstantApply a value row applies at once.
    Grid->STFilter()->SetInstantApply(true);
    Grid->StartFilterEdit(qty);
    edit->DropDown();
    data->HandleMouseDown(list, IndexOf(items, "6"), TPoint(), mbLeft, TShiftState());
    data->HandleMouseUp(list, IndexOf(items, "6"), TPoint(), mbLeft, TShiftState(), close);
    EXPECT_EQ(Table->RecordCount(), 3);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"='6'"_qs);
    edit->CloseUp(false);
}

TEST_F(FilterGrid, ListSizeIsRememberedAndPriorValueStopsAboveTheFirstRow) {
    Grid->OnFillSTFilterListValues = TDBGridEhFillSTFilterListValuesEvent::Callable(
        [](TCustomDBGridEh*, TColumnEh*, TStrings* Items, bool& Processed) {
            Items->Add(QStringLiteral("a"));
            Items->Add(QStringLiteral("b"));
            Items->Add(QStringLiteral("c"));
            Processed = true;
        },
        this);
    Grid->StartFilterEdit(Col("Name"));
    TInplaceFilterEditEh* edit = Grid->FilterEdit();
    edit->DropDown();
    edit->DropDownBox()->Width = 180;
    edit->DropDownBox()->Rows = 9;
    edit->CloseUp(false);
    EXPECT_EQ(Column("Name")->STFilter()->DropDownListWidth(), 180);
    EXPECT_EQ(Column("Name")->STFilter()->DropDownListRows(), 9);
    Grid->StartFilterEdit(Col("Qty"));
    Grid->StartFilterEdit(Col("Name"));
    EXPECT_EQ(edit->DropDownBox()->Width, 180);
    EXPECT_EQ(edit->DropDownBox()->Rows, 9);

    edit->SelectNextValue(false);
    EXPECT_EQ(edit->ItemIndex(), 0);
    edit->SelectNextValue(false);
    EXPECT_EQ(edit->ItemIndex(), 1);
    edit->SelectNextValue(true);
    EXPECT_EQ(edit->ItemIndex(), 1);
    edit->SelectNextValue(false);
    edit->SelectNextValue(false);
    EXPECT_EQ(edit->ItemIndex(), 2);
    EXPECT_EQ(edit->Text(), u"c"_qs);
}

TEST_F(FilterGrid, SortRowsSetTheMarkerAndSortTheTable) {
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghAutoSortMarking});
    Grid->StartFilterEdit(Col("ID"));
    TPopupListboxEh* list = Grid->FilterEdit()->PopupListbox();
    PopupListboxItemEhSort(smUpEh)->Execute(list, 0, TPoint(-1, -1), TShiftState());
    EXPECT_EQ(Column("ID")->Title()->SortMarker(), smUpEh);
    Table->First();
    EXPECT_EQ(Table->FieldByName(QStringLiteral("ID"))->AsInteger(), 1); // ascending
    PopupListboxItemEhSort(smDownEh)->Execute(list, 0, TPoint(-1, -1), TShiftState());
    EXPECT_EQ(Column("ID")->Title()->SortMarker(), smDownEh);
    Table->First();
    EXPECT_EQ(Table->FieldByName(QStringLiteral("ID"))->AsInteger(), 20);
    // The separator neither closes the list nor runs anything.
    EXPECT_FALSE(PopupListboxItemEhLine()->CloseOnExecute(list, 0));
}

TEST_F(FilterGrid, InTitleListChecksWithSpaceRunsOnEnterClosesOnEsc) {
    Grid->STFilter()->SetLocation(stflInTitleFilterEh);
    Pump();
    Grid->DropDownInTitleFilterListbox(Column("Qty"));
    TPopupListboxEh* list = Grid->GetInTitleFilterListbox();
    ASSERT_TRUE(Grid->InTitleFilterListboxVisible());
    EXPECT_TRUE(list->Visible());
    TStrings* items = list->Items();
    list->SetItemIndex(IndexOf(items, "2"));
    list->Perform(WM_CHAR, u' ', 0);
    list->SetItemIndex(IndexOf(items, "4"));
    list->Perform(WM_CHAR, u' ', 0);
    EXPECT_TRUE(Grid->InTitleFilterListboxVisible());
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"in ('2','4')"_qs);
    list->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(Grid->InTitleFilterListboxVisible());
    EXPECT_EQ(Applied, 0);

    Grid->DropDownInTitleFilterListbox(Column("Qty"));
    list->SetItemIndex(IndexOf(items, "(Применить фильтр)"));
    list->Perform(WM_CHAR, 13, 0);
    EXPECT_FALSE(Grid->InTitleFilterListboxVisible());
    EXPECT_EQ(Applied, 1);
    EXPECT_EQ(Table->RecordCount(), 6);
}

TEST_F(FilterGrid, Screenshot) {
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghAutoSortMarking});
    Column("Qty")->Title()->SetTitleButton(true);
    Column("Name")->STFilter()->SetExpressionStr(QStringLiteral("~Name 1%"));
    Grid->StartFilterEdit(Col("Qty"));
    TInplaceFilterEditEh* edit = Grid->FilterEdit();
    edit->SetText(QStringLiteral("in ('3','5')"));
    edit->DropDown();
    Column("Qty")->STFilter()->ListValuesCheckingState()[size_t(IndexOf(edit->Items(), "3"))] = true;
    Pump(100);
    QWidget* form = Form->Widget();
    QWidget* list = edit->PopupListbox()->Widget();
    ASSERT_TRUE(form && list);
    QImage shot(form->size(), QImage::Format_ARGB32);
    shot.fill(Qt::white);
    QPainter p(&shot);
    p.drawPixmap(0, 0, form->grab());
    p.drawPixmap(form->mapFromGlobal(list->mapToGlobal(QPoint(0, 0))), list->grab());
    p.end();
    EXPECT_TRUE(shot.save(ScreenshotPath(QStringLiteral("filter_row_dropdown")), "PNG"));
    edit->CloseUp(false);
}

} // namespace

namespace {

TEST_F(FilterGrid, IndicatorTitleMenu) {
    TPopupMenu* own = new TPopupMenu(Form);
    auto* mine = new TMenuItem(own);
    mine->SetCaption(QStringLiteral("Свой"));
    own->Items()->Add(mine);
    Grid->IndicatorTitle()->SetDropdownMenu(own);
    Grid->SetEditActions(TDBGridEhEditActions{geaCopyEh});

    TPopupMenu* menu = nullptr;
    for (int pass = 0; pass < 2; ++pass) { // a second build starts afresh
        Grid->Center()->BuildIndicatorTitleMenu(Grid, menu);
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->Name(), u"DBGridEhIndicatorTitlePopupMenu"_qs);
        QStringList captions;
        for (int i = 0; i < menu->Items()->Count(); ++i)
            captions << menu->Items()->Items(i)->Caption();
        EXPECT_EQ(captions,
                  (QStringList{u"Видимые столбцы"_qs, u"Вырезать"_qs, u"Копировать"_qs, u"Вставить"_qs,
                               u"Удалить"_qs, u"Выбрать все"_qs, u"-"_qs, u"Свой"_qs}));
    }
    EXPECT_FALSE(menu->Items()->Items(1)->Enabled());
    EXPECT_TRUE(menu->Items()->Items(2)->Enabled());
    EXPECT_EQ(menu->Items()->Items(2)->ShortCut(), TextToShortCut(u"Ctrl+C"_qs));

    // The column items toggle visibility, but never hide the last visible column.
    TMenuItem* columns = menu->Items()->Items(0);
    ASSERT_EQ(columns->Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(columns->Items(i)->Checked());
    columns->Items(0)->Click();
    columns->Items(1)->Click();
    EXPECT_FALSE(Grid->Columns()->Columns(0)->Visible());
    EXPECT_FALSE(Grid->Columns()->Columns(1)->Visible());
    columns->Items(2)->Click();
    EXPECT_TRUE(Grid->Columns()->Columns(2)->Visible());
    EXPECT_TRUE(columns->Items(2)->Checked());
    columns->Items(0)->Click();
    EXPECT_TRUE(Grid->Columns()->Columns(0)->Visible());
    EXPECT_TRUE(columns->Items(0)->Checked());
}

} // namespace

namespace {

TEST_F(FilterGrid, ConditionDialogFromTheList) {
    Grid->STFilter()->SetInstantApply(true);
    Grid->StartFilterEdit(Col("Qty"));
    TInplaceFilterEditEh* edit = Grid->FilterEdit();
    edit->SetText(QStringLiteral(">4"));
    edit->DropDown();
    TPopupListboxEh* list = edit->PopupListbox();
    const int dialogRow = IndexOf(edit->Items(), "(Условие...)");
    // Cancelled: the typed text reached the column, nothing was applied.
    QTimer::singleShot(100, [] { SimpleFilterDialog()->SetModalResult(mrCancel); });
    list->SetItemIndex(dialogRow);
    edit->CloseUp(true);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u">4"_qs);
    EXPECT_EQ(Applied, 0);
    // OK with the dialog's rows: the filter is written and, applying instantly, applied.
    edit->DropDown();
    QTimer::singleShot(100, [] {
        TDBGridEhSimpleFilterDialog* d = SimpleFilterDialog();
        EXPECT_EQ(d->DBComboBoxEh1->Text(), u"4"_qs);
        d->DBComboBoxEh1->SetText(QStringLiteral("5"));
        d->SetModalResult(mrOk);
    });
    list->SetItemIndex(dialogRow);
    edit->CloseUp(true);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u">5"_qs);
    EXPECT_EQ(Applied, 1);
    EXPECT_EQ(Table->RecordCount(), 3);
}

TEST_F(FilterGrid, ColumnOrCentreGoingAwayWhileInUse) {
    Grid->StartFilterEdit(Col("Qty"));
    TInplaceFilterEditEh* edit = Grid->FilterEdit();
    edit->DropDown();
    Column("Qty")->Free();
    EXPECT_FALSE(edit->Visible());
    EXPECT_FALSE(Grid->FilterEditMode());
    Pump();

    auto* own = new TDBGridEhCenter();
    Grid->SetCenter(own);
    EXPECT_EQ(Grid->Center(), own);
    EXPECT_TRUE(own->GridInChangeNotification(Grid));
    delete own;
    EXPECT_EQ(Grid->Center(), DefaultGridCenter());
}

} // namespace

namespace {

// Every kind of condition the grid writes, evaluated by the memory table.
TEST_F(FilterGrid, MemoryTableEvaluatesEveryFilterTheGridWrites) {
    Table->AppendRecord({Variant(21), Variant(u"Мир"_qs), Null()});
    Table->AppendRecord({Variant(22), Variant(u"O'Brien"_qs), Variant(3)});
    struct Case {
        const char* field;
        const char* text;
        int count;
    } cases[] = {
        {"Qty", "=3", 4},           {"Qty", "in (3,5)", 7},
        {"Qty", "!in (3,5)", 15}, // the empty value is not in the list
        {"Qty", ">=5 AND <6", 3},   {"Qty", "=0 OR =Null", 3},
        {"Qty", "=Null", 1},        {"Qty", "<>Null", 21},
        {"Name", "~Name 1%", 11},   {"Name", "!~Name 1%", 11},
        {"Name", "Мир", 1},         {"Name", "'O''Brien'", 1},
        {"Name", "<>'Name 2'", 21},
    };
    for (const Case& k : cases) {
        Grid->ClearFilter();
        Column(k.field)->STFilter()->SetExpressionStr(QString::fromUtf8(k.text));
        Grid->ApplyFilter();
        EXPECT_EQ(Table->RecordCount(), k.count) << k.text << " -> " << Table->Filter().toStdString();
    }
    // Two columns at once.
    Grid->ClearFilter();
    Column("Qty")->STFilter()->SetExpressionStr(QStringLiteral("=3"));
    Column("Name")->STFilter()->SetExpressionStr(QStringLiteral("~Name%"));
    Grid->ApplyFilter();
    EXPECT_EQ(Table->RecordCount(), 3);
}

TEST_F(FilterGrid, DateTimeConditionsKeepTheirTime) {
    auto* dates = Create<TMemTableEh>(Form);
    dates->FieldDefs()->Add(QStringLiteral("D"), ftDateTime);
    dates->CreateDataSet();
    dates->AppendRecord({Variant::FromDate(EncodeDate(2024, 1, 2))});
    dates->AppendRecord({Variant::FromDate(EncodeDate(2024, 1, 2) + EncodeTime(10, 30, 0, 0))});
    dates->AppendRecord({Variant::FromDate(EncodeDate(2024, 1, 3))});
    Table = dates;
    Source->SetDataSet(dates);
    Pump();
    TSTColumnFilterEh* f = Column("D")->STFilter();
    f->SetExpressionStr(QStringLiteral(">=01/02/2024 10:30:00"));
    Grid->ApplyFilter();
    EXPECT_EQ(dates->RecordCount(), 2) << dates->Filter().toStdString();
    // The shown form of the condition reads back to the same filter.
    f->SetExpressionStr(f->ExpressionAsText());
    Grid->ApplyFilter();
    EXPECT_EQ(dates->RecordCount(), 2) << f->ExpressionStr().toStdString();
}

} // namespace

namespace {

TEST_F(FilterGrid, CtrlSpaceStartsANewChoiceAfterAnAcceptedCloseAndThenAdds) {
    Grid->StartFilterEdit(Col("Qty"));
    TInplaceFilterEditEh* edit = Grid->FilterEdit();
    edit->DropDown();
    TPopupListboxEh* list = edit->PopupListbox();
    TStrings* items = edit->Items();
    Byte keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    auto ctrlSpace = [&](const char* row) {
        list->SetItemIndex(IndexOf(items, row));
        edit->Perform(WM_CHAR, u' ', 0);
        EXPECT_TRUE(edit->ListVisible());
        EXPECT_EQ(list->ItemIndex(), IndexOf(items, row));
    };
    ctrlSpace("2");
    ctrlSpace("4");
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"in ('2','4')"_qs);
    // Closing with the "5" row accepted runs it once more and ends the choice.
    list->SetItemIndex(IndexOf(items, "5"));
    edit->CloseUp(true);
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"in ('2','4','5')"_qs);
    edit->DropDown();
    ctrlSpace("6");
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"='6'"_qs);
    ctrlSpace("0");
    EXPECT_EQ(Column("Qty")->STFilter()->ExpressionStr(), u"in ('0','6')"_qs);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    edit->CloseUp(false);
}

} // namespace

namespace {

// The filter row from the keyboard: Up on the first record enters it, the editor's keys walk
// the filter cells (wrapping, skipping cells without a filter), Down leaves for the data.
TEST_F(FilterGrid, KeysEnterWalkAndLeaveTheFilterRow) {
    Grid->SetFocus();
    Pump();
    const int name = Col("Name");
    Grid->SetSelectedIndex(name);
    Table->First();
    Word key = VK_UP;
    Grid->Perform(WM_KEYDOWN, key, 0);
    ASSERT_TRUE(Grid->FilterEditMode());
    EXPECT_EQ(Grid->FilterCol(), name);
    TInplaceFilterEditEh* edit = Grid->FilterEdit();
    ASSERT_TRUE(edit && edit->Visible());

    // ID, Name, Qty.
    ASSERT_EQ(Grid->VisibleColumnCount(), 3);
    Byte keys[256] = {};
    auto press = [&](Word k, bool shift = false, bool ctrl = false) {
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        edit->Perform(WM_KEYDOWN, k, 0);
        keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    };
    const struct {
        Word key;
        bool shift, ctrl;
        int col;
    } steps[] = {
        {VK_HOME, false, true, 0}, {VK_TAB, false, false, 1},
        {VK_END, false, true, 2},  {VK_TAB, false, false, 0}, // wraps round to the first cell
        {VK_TAB, true, false, 2},                             // and back
        {VK_UP, false, false, 2},                             // Up stays in the row
    };
    for (const auto& s : steps) {
        press(s.key, s.shift, s.ctrl);
        EXPECT_EQ(Grid->FilterCol(), s.col) << s.key;
    }
    // A cell without a filter is stepped over.
    Column("Name")->STFilter()->SetVisible(false);
    press(VK_TAB, true);
    EXPECT_EQ(Grid->FilterCol(), 0);
    Column("Name")->STFilter()->SetVisible(true);
    press(VK_TAB);
    ASSERT_EQ(Grid->FilterCol(), name);

    // Left moves the caret inside a text; at its start it moves to the previous cell and hands
    // the text to its column.
    edit->SetText(QStringLiteral("ab"));
    edit->SetSelStart(1);
    edit->SetSelLength(0);
    press(VK_LEFT);
    EXPECT_EQ(Grid->FilterCol(), name);
    edit->SetSelStart(0);
    edit->SetSelLength(0);
    press(VK_LEFT);
    EXPECT_EQ(Grid->FilterCol(), 0);
    EXPECT_EQ(Column("Name")->STFilter()->ExpressionStr(), u"ab"_qs);

    // Tab is never typed into the text.
    edit->SetText(QString());
    edit->Perform(WM_CHAR, VK_TAB, 0);
    EXPECT_EQ(edit->Text(), QString());

    // Down leaves the filter row for the first record in the buffer, in the column edited.
    const int filterCol = Grid->FilterCol();
    Table->MoveBy(3);
    const int first = Table->RecNo() - Grid->DataLink()->ActiveRecord();
    press(VK_DOWN);
    EXPECT_FALSE(Grid->FilterEditMode());
    EXPECT_FALSE(edit->Visible());
    EXPECT_EQ(Grid->SelectedIndex(), filterCol);
    EXPECT_EQ(Table->RecNo(), first);
}

// A selection that a move would clear keeps the filter editor hidden; clearing it shows it again.
TEST_F(FilterGrid, SelectionHidesTheFilterEditorWhenMovesClearIt) {
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghClearSelection});
    Grid->StartFilterEdit(Col("Qty"));
    ASSERT_TRUE(Grid->IsFilterEditActive());
    Grid->Selection()->SelectAll();
    EXPECT_FALSE(Grid->IsFilterEditActive());
    Grid->UpdateFilterEdit(false);
    EXPECT_FALSE(Grid->FilterEdit()->Visible());
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghClearSelection});
    EXPECT_TRUE(Grid->IsFilterEditActive());
    Grid->UpdateFilterEdit(true);
    EXPECT_TRUE(Grid->FilterEdit()->Visible());
}

// The in-title list closes without running anything when the grid leaves cancel mode or loses
// the focus to another control; the focus going into the list keeps it.
TEST_F(FilterGrid, InTitleListClosesOnCancelModeAndFocusLoss) {
    Grid->STFilter()->SetLocation(stflInTitleFilterEh);
    Pump();
    auto* other = new TEdit(Form);
    other->SetParent(Form);
    TPopupListboxEh* list = Grid->GetInTitleFilterListbox();
    struct Case {
        const char* what;
        std::function<void()> act;
        bool closes;
    } cases[] = {
        {"cancel mode", [&] { Grid->Perform(WM_CANCELMODE, 0, 0); }, true},
        {"focus to the list", [&] { Grid->Perform(WM_KILLFOCUS, WPARAM(list->Handle()), 0); }, false},
        {"focus elsewhere", [&] { Grid->Perform(WM_KILLFOCUS, WPARAM(other->Handle()), 0); }, true},
        {"cancel mode of the list", [&] { Grid->Perform(CM_CANCELMODE, 0, LPARAM(list)); }, false},
        {"cancel mode of another control", [&] { Grid->Perform(CM_CANCELMODE, 0, LPARAM(other)); }, true},
    };
    for (const Case& c : cases) {
        Grid->DropDownInTitleFilterListbox(Column("Qty"));
        ASSERT_TRUE(Grid->InTitleFilterListboxVisible());
        c.act();
        EXPECT_EQ(!Grid->InTitleFilterListboxVisible(), c.closes) << c.what;
        if (Grid->InTitleFilterListboxVisible()) Grid->CloseInTitleFilterListbox(false);
    }
    EXPECT_EQ(Applied, 0);
}

// Esc in the data clears the selection.
TEST_F(FilterGrid, EscClearsTheSelection) {
    Grid->Selection()->SelectAll();
    ASSERT_NE(Grid->Selection()->SelectionType(), gstNon);
    Grid->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Grid->Selection()->SelectionType(), gstNon);
}

// The indicator title's menu asks the grid which edit actions it may run now; a press on the
// title button pops the menu up and an item runs the grid's own action.
TEST_F(FilterGrid, IndicatorTitleButtonMenuRunsTheGridsActions) {
    Grid->IndicatorTitle()->SetTitleButton(true);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect});
    Grid->SetEditActions(TDBGridEhEditActions{geaCopyEh, geaSelectAllEh, geaDeleteEh});
    Grid->SetReadOnly(true);
    bool seenByEvent = false;
    Grid->OnIndicatorTitleMouseDown =
        TGridEhCellMouseEvent::Callable([&](TCustomGridEh*, TGridCoord Cell, TMouseButton, TShiftState, int,
                                            int, bool&) { seenByEvent = Cell.X == 0 && Cell.Y == 0; },
                                        this);
    QStringList enabled;
    SetPopupMenuHook([&](TPopupMenu* Menu, int, int) -> TMenuItem* {
        TMenuItem* pick = nullptr;
        for (int i = 0; i < Menu->Items()->Count(); ++i) {
            TMenuItem* item = Menu->Items()->Items(i);
            if (item->Enabled()) enabled << item->Caption();
            if (item->Caption() == u"Выбрать все"_qs) pick = item;
        }
        return pick;
    });
    const TRect cell = Grid->CellRect(0, 0);
    Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell.Left + 3, cell.Top + 3));
    Grid->Perform(WM_LBUTTONUP, 0, MAKELPARAM(cell.Left + 3, cell.Top + 3));
    SetPopupMenuHook(nullptr);
    EXPECT_TRUE(seenByEvent);
    // Cut and paste are not among the actions, deleting is refused by a read-only grid.
    EXPECT_EQ(enabled, (QStringList{u"Видимые столбцы"_qs, u"Копировать"_qs, u"Выбрать все"_qs}));
    EXPECT_EQ(Grid->Selection()->SelectionType(), gstAll);
    EXPECT_FALSE(Grid->IndicatorTitle()->Down());
}

} // namespace
