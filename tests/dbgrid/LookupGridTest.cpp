// The lookup grid over a memory table: binding the list and the master, the key value, the
// special row, incremental search, keys, the mouse and sizing; and its drop-down form under the
// axis grid's in-place editor (open, pick by keys and mouse, cancel, size, list closed while open).

#include "grids/AxisGridFixture.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBLookupGridsEh.h"
#include "platform/classes/ComponentStreams.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <QImage>
#include <QWidget>

namespace {

LPARAM Pt(int x, int y) {
    return LPARAM((y & 0xFFFF) << 16 | (x & 0xFFFF));
}

const char* const CityNames[] = {"Москва", "Минск", "Омск", "Пермь", "Самара", "Тверь", "Тула", "Уфа"};

// A table of cities (ID 10, 20, ...) shown by a lookup grid on a form.
struct LookupGridTest : ::testing::Test {
    CompPtr<TComponent> Owner{Create<TComponent>(nullptr)};
    TMemTableEh* Cities = nullptr;
    TDataSource* CitySource = nullptr;
    CompPtr<TForm> Form;
    TDBLookupGridEh* Grid = nullptr;

    void SetUp() override {
        Cities = Create<TMemTableEh>(Owner.get());
        Cities->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        Cities->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        Cities->FieldDefs()->Add(QStringLiteral("Region"), ftString, 20);
        Cities->CreateDataSet();
        int id = 10;
        for (const char* n : CityNames) {
            Cities->AppendRecord(
                {Variant(id), Variant(QString::fromUtf8(n)), Variant(QStringLiteral("R%1").arg(id))});
            id += 10;
        }
        Cities->First();
        CitySource = Create<TDataSource>(Owner.get());
        CitySource->SetDataSet(Cities);
        Form.reset(new TForm(nullptr));
        Form->SetBounds(0, 0, 320, 300);
        Grid = Create<TDBLookupGridEh>(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetBounds(0, 0, 240, 200);
        Grid->SetKeyField(QStringLiteral("ID"));
        Grid->SetListField(QStringLiteral("Name"));
        Grid->SetListSource(CitySource);
        Form->Show();
        PumpGridEvents();
    }
    void TearDown() override {
        Form.reset();
        PumpGridEvents();
    }
    int CurrentId() { return Cities->FieldByName(QStringLiteral("ID"))->AsInteger(); }
    int Key() { return Grid->KeyValue().AsInteger(); }
    void PressKey(Word vk) {
        Grid->Perform(WM_KEYDOWN, vk, 0);
        PumpGridEvents();
    }
    void ClickAt(int x, int y) {
        Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(x, y));
        Grid->Perform(WM_LBUTTONUP, 0, Pt(x, y));
        PumpGridEvents();
    }
    TPoint CellCentre(int ACol, int ARow) {
        const TRect r = Grid->CellRect(ACol, ARow);
        return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    void ShowSpecRow(const QString& text = QStringLiteral("(нет)")) {
        Grid->SpecRow()->SetCellsText(text);
        Grid->SpecRow()->SetValue(Variant(-1));
        Grid->SpecRow()->SetVisible(true);
        Grid->SetBounds(0, 0, 240, 200);
        PumpGridEvents();
    }
};

} // namespace

TEST_F(LookupGridTest, KeyValueMovesTheListAndNamesTheItem) {
    ASSERT_TRUE(Grid->ListActive());
    Grid->SetKeyValue(Variant(30));
    EXPECT_EQ(CurrentId(), 30);
    EXPECT_EQ(Grid->SelectedItem(), QString::fromUtf8("Омск"));
    Grid->SetKeyValue(Variant::FromNull());
    EXPECT_TRUE(Grid->SelectedItem().isEmpty());
    EXPECT_EQ(CurrentId(), 10);
}

TEST_F(LookupGridTest, SettingsRoundTripThroughAComponentStream) {
    auto* src = Create<TDataSource>(Form.get());
    src->SetName(QStringLiteral("CitiesSrc"));
    src->SetDataSet(Cities);
    Grid->SetName(QStringLiteral("CityList"));
    Grid->SetListSource(src);
    Grid->SetListField(QStringLiteral("Name;Region"));
    Grid->SetListFieldIndex(1);
    Grid->SetShowTitles(true);
    Grid->SetLookupOptions(TDBLookupGridEhOptions{dlgColLinesEh, dlgRowLinesEh});
    Grid->SetAutoFitColWidths(true);
    Grid->SetHint(QString::fromUtf8("Города"));
    Grid->SpecRow()->SetCellsText(QString::fromUtf8("(нет)"));
    Grid->SpecRow()->SetValue(Variant(-1));
    Grid->SpecRow()->SetVisible(true);
    PumpGridEvents();

    TMemoryStream bin;
    WriteComponent(&bin, Grid);
    bin.SetPosition(0);
    TStringStream text;
    ObjectBinaryToText(&bin, &text);
    const String t = text.DataString();
    for (const char* stored :
         {"KeyField = 'ID'", "ListField = 'Name;Region'", "ListFieldIndex = 1", "ShowTitles = True",
          "Options = [dlgColLinesEh, dlgRowLinesEh]", "AutoFitColWidths = True", "ListSource = CitiesSrc"})
        EXPECT_TRUE(t.contains(QString::fromUtf8(stored))) << stored << "\n" << t.toStdString();
    // Defaults and the row count (the height carries it) are left out.
    for (const char* left : {"RowCount", "ReadOnly", "UseMultiTitle", "Color"})
        EXPECT_FALSE(t.contains(QStringLiteral("  ") + QString::fromLatin1(left) + QStringLiteral(" =")))
            << left;

    Grid->SetName(QStringLiteral("OriginalList"));
    auto* copy = Create<TDBLookupGridEh>(Form.get());
    copy->SetParent(Form.get());
    bin.SetPosition(0);
    ReadComponent(&bin, copy);
    PumpGridEvents();
    // References to other components resolve when the form itself is read; here it is set again.
    EXPECT_EQ(copy->ListSource(), nullptr);
    copy->SetListSource(src);
    PumpGridEvents();
    EXPECT_EQ(copy->KeyField(), QStringLiteral("ID"));
    EXPECT_EQ(copy->ListField(), QStringLiteral("Name;Region"));
    EXPECT_EQ(copy->ListFieldIndex(), 1);
    EXPECT_TRUE(copy->ShowTitles());
    EXPECT_EQ(copy->LookupOptions(), (TDBLookupGridEhOptions{dlgColLinesEh, dlgRowLinesEh}));
    EXPECT_TRUE(copy->AutoFitColWidths());
    EXPECT_EQ(copy->Hint(), QString::fromUtf8("Города"));
    EXPECT_TRUE(copy->SpecRow()->Visible());
    EXPECT_EQ(copy->SpecRow()->CellsText(), QString::fromUtf8("(нет)"));
    ASSERT_TRUE(copy->ListActive());
    copy->SetKeyValue(Variant(30));
    EXPECT_EQ(copy->SelectedItem(), QStringLiteral("R30"));
}

TEST_F(LookupGridTest, ScreenshotOfTheList) {
    ShowSpecRow();
    Grid->SetShowTitles(true);
    Grid->SetKeyValue(Variant(30));
    const QString path = SaveControlScreenshot(Grid, QStringLiteral("lookup_grid_list"));
    EXPECT_FALSE(path.isEmpty());
}

TEST_F(LookupGridTest, KeyNotInTheListEndsCleanly) {
    const int records = Cities->RecordCount();
    // Without a special row: no item, the list at its start, nothing written.
    Grid->SetKeyValue(Variant(999));
    EXPECT_EQ(Grid->KeyValue().AsInteger(), 999);
    EXPECT_TRUE(Grid->SelectedItem().isEmpty());
    EXPECT_EQ(CurrentId(), 10);
    EXPECT_EQ(Cities->State(), dsBrowse);
    EXPECT_EQ(Cities->RecordCount(), records);
    // With a special row that stands for keys outside the list: it is selected and named.
    ShowSpecRow();
    Grid->SetKeyValue(Variant(30));
    EXPECT_FALSE(Grid->SpecRow()->Selected());
    Grid->SetKeyValue(Variant(998));
    EXPECT_TRUE(Grid->SpecRow()->Selected());
    EXPECT_EQ(Grid->SelectedItem(), QString::fromUtf8("(нет)"));
    EXPECT_EQ(CurrentId(), 30) << "the special row stands for the key; the list stays where it was";
    EXPECT_EQ(Cities->State(), dsBrowse);
}

TEST_F(LookupGridTest, KeysWalkTheListAndTheSpecialRow) {
    ShowSpecRow();
    Grid->SetKeyValue(Variant(20));
    PressKey(VK_DOWN);
    EXPECT_EQ(Key(), 30);
    PressKey(VK_UP);
    EXPECT_EQ(Key(), 20);
    PressKey(VK_END);
    EXPECT_EQ(Key(), 80);
    PressKey(VK_HOME);
    EXPECT_EQ(Key(), 10);
    // Up from the first record goes to the special row; Down from it to the first record.
    PressKey(VK_UP);
    EXPECT_EQ(Key(), -1);
    EXPECT_TRUE(Grid->SpecRow()->Selected());
    PressKey(VK_UP);
    EXPECT_EQ(Key(), -1);
    PressKey(VK_DOWN);
    EXPECT_EQ(Key(), 10);
    EXPECT_FALSE(Grid->SpecRow()->Selected());
    PressKey(VK_NEXT);
    EXPECT_GT(Key(), 10);
    // A read-only grid leaves the key alone.
    Grid->SetReadOnly(true);
    const int before = Key();
    PressKey(VK_DOWN);
    EXPECT_EQ(Key(), before);
}

TEST_F(LookupGridTest, MouseSelectsRowsAndTheSpecialRow) {
    ShowSpecRow();
    Grid->SetShowTitles(true);
    Grid->SetKeyValue(Variant(10));
    TPoint p = CellCentre(Grid->IndicatorOffset(), Grid->TopDataOffset() + 2);
    ClickAt(p.X, p.Y);
    EXPECT_EQ(Key(), 30);
    p = CellCentre(Grid->IndicatorOffset(), Grid->SpecRowGridRow());
    ClickAt(p.X, p.Y);
    EXPECT_EQ(Key(), -1);
    // The title row is the data grid's: no selection there.
    p = CellCentre(Grid->IndicatorOffset(), 0);
    ClickAt(p.X, p.Y);
    EXPECT_EQ(Key(), -1);
}

TEST_F(LookupGridTest, IncrementalSearchLocatesByTypedText) {
    Grid->ProcessSearchKey(QChar(0x043E)); // "о"
    EXPECT_EQ(Key(), 30);
    EXPECT_EQ(Grid->SearchText(), QString::fromUtf8("о"));
    Grid->ProcessSearchKey(QChar(0x041C)); // "М": any case
    EXPECT_EQ(Grid->SearchText(), QString::fromUtf8("оМ"));
    EXPECT_EQ(Key(), 30);
    Grid->ProcessSearchKey(QChar('x')); // no match: the text stays
    EXPECT_EQ(Grid->SearchText(), QString::fromUtf8("оМ"));
    EXPECT_EQ(Key(), 30);
    Grid->ProcessSearchKey(QChar(8)); // Backspace clears the whole text
    EXPECT_TRUE(Grid->SearchText().isEmpty());
    Grid->ProcessSearchKey(QChar(0x0422)); // "Т"
    EXPECT_EQ(Key(), 60);
    // A list field that is no string field does not search.
    Grid->SetSearchText(String());
    Grid->SetListField(QStringLiteral("ID"));
    Grid->ProcessSearchKey(QChar('8'));
    EXPECT_TRUE(Grid->SearchText().isEmpty());
}

TEST_F(LookupGridTest, HeightHoldsWholeRows) {
    struct Case {
        int rows, expected;
    } cases[] = {{0, 1}, {-3, 1}, {3, 3}, {500, 100}};
    for (const Case& k : cases) {
        Grid->SetRowCount(k.rows);
        EXPECT_EQ(Grid->RowCount(), k.expected) << "RowCount " << k.rows;
    }
    const int r = Grid->GetListRowHeight();
    const int fixed = Grid->GetBorderHeight() + Grid->TitleRowsHeight();
    Grid->SetBounds(0, 0, 240, fixed + r * 4 + r / 2);
    EXPECT_EQ(Grid->RowCount(), 4);
    EXPECT_EQ(Grid->Height(), fixed + r * 4);
    Grid->SetBounds(0, 0, 240, 3);
    EXPECT_EQ(Grid->RowCount(), 1);
}

TEST_F(LookupGridTest, BindingErrorsAreReported) {
    try {
        Grid->SetListField(QStringLiteral("Nope"));
        FAIL() << "an unknown list field is an error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Field 'Nope' not found")))
            << e.Message().toStdString();
    }
    EXPECT_FALSE(Grid->ListActive());
    // An empty ListField shows the key fields.
    Grid->SetListField(String());
    EXPECT_TRUE(Grid->ListActive());
    ASSERT_EQ(Grid->ListFields().size(), 1u);
    EXPECT_EQ(Grid->ListFields()[0]->FieldName(), QStringLiteral("ID"));
}

TEST_F(LookupGridTest, MasterFieldsReceiveTheKey) {
    auto* orders = Create<TMemTableEh>(Owner.get());
    auto* city = Create<TIntegerField>(Owner.get());
    city->SetFieldName(QStringLiteral("City"));
    city->SetDataSet(orders);
    auto* look = Create<TStringField>(Owner.get());
    look->SetFieldName(QStringLiteral("CityName"));
    look->SetSize(20);
    look->SetFieldKind(fkLookup);
    look->SetLookupDataSet(Cities);
    look->SetLookupKeyFields(QStringLiteral("ID"));
    look->SetLookupResultField(QStringLiteral("Name"));
    look->SetKeyFields(QStringLiteral("City"));
    look->SetDataSet(orders);
    orders->CreateDataSet();
    orders->AppendRecord({Variant(40)});
    auto* source = Create<TDataSource>(Owner.get());
    source->SetDataSet(orders);

    // A plain field takes the key.
    Grid->SetMasterSource(source);
    Grid->SetDataField(QStringLiteral("City"));
    EXPECT_FALSE(Grid->LookupMode());
    EXPECT_EQ(Key(), 40);
    Grid->SetFocus();
    PressKey(VK_DOWN);
    EXPECT_EQ(city->AsInteger(), 50);
    EXPECT_EQ(Key(), 50);
    orders->Post();

    // A lookup field brings the list, its keys and its result field.
    Grid->SetListSource(nullptr);
    Grid->SetDataField(QStringLiteral("CityName"));
    EXPECT_TRUE(Grid->LookupMode());
    EXPECT_TRUE(Grid->KeyField().isEmpty());
    EXPECT_EQ(Grid->ListSource(), nullptr);
    EXPECT_TRUE(Grid->ListActive());
    EXPECT_EQ(Grid->SelectedItem(), QString::fromUtf8("Самара"));
    try {
        Grid->SetKeyField(QStringLiteral("ID"));
        FAIL() << "the lookup field owns the key";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Property already defined by lookup field")));
    }
    Grid->SetListField(QStringLiteral("Name")); // allowed
}

TEST_F(LookupGridTest, MovingAColumnKeepsListFieldAndSpecialRowInStep) {
    Grid->SetListField(QStringLiteral("Name;Region"));
    Grid->SpecRow()->SetCellsText(QStringLiteral("none;-"));
    ASSERT_EQ(Grid->Columns()->Count(), 2);
    auto* name = static_cast<TDBLookupGridColumnEh*>(Grid->Columns()->Columns(0));
    EXPECT_EQ(name->SpecCell()->Text(), QStringLiteral("none"));
    name->SetIndex(1);
    EXPECT_EQ(Grid->ListField(), QStringLiteral("Region;Name"));
    EXPECT_EQ(Grid->ListFieldIndex(), 1);
    EXPECT_EQ(Grid->SpecRow()->CellsText(), QStringLiteral("-;none"));
    // A cell's text follows the special row until it is given one of its own.
    EXPECT_EQ(name->SpecCell()->Text(), QStringLiteral("none"));
    name->SpecCell()->SetText(QStringLiteral("none"));
    EXPECT_FALSE(name->SpecCell()->TextAssigned());
    name->SpecCell()->SetText(QStringLiteral("nobody"));
    EXPECT_TRUE(name->SpecCell()->TextAssigned());
}

TEST_F(LookupGridTest, SelectingOutsideScrollsFasterFartherOut) {
    Grid->SetKeyValue(Variant(10));
    const TPoint p = CellCentre(Grid->IndicatorOffset(), Grid->TopDataOffset());
    Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(p.X, p.Y));
    ASSERT_TRUE(Grid->MouseSelecting());
    const int h = Grid->ClientHeight();
    struct Case {
        int y, interval; // -1: no timer
    } cases[] = {{h, 185}, {h + 9, 50}, {h + 13, 0}, {h + 40, 0}, {h / 2, -1}, {-10, 50}};
    for (const Case& k : cases) {
        Grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pt(p.X, k.y));
        if (k.interval < 0)
            EXPECT_FALSE(Grid->TimerActive()) << "y " << k.y;
        else
            EXPECT_EQ(Grid->TimerInterval(), k.interval) << "y " << k.y;
    }
    Grid->Perform(WM_LBUTTONUP, 0, Pt(p.X, p.Y));
    EXPECT_FALSE(Grid->MouseSelecting());
    EXPECT_FALSE(Grid->TimerActive());
}

TEST_F(LookupGridTest, DataGridColumnKeepsItsDropDownEventsInItsList) {
    auto* grid = Create<TDBGridEh>(Form.get());
    grid->SetParent(Form.get());
    grid->SetDataSource(CitySource);
    PumpGridEvents();
    TColumnEh* col = grid->Columns()->Columns(1);
    EXPECT_EQ(col->DataListIfAny(), nullptr);
    int clicks = 0;
    col->SetOnDropDownBoxTitleBtnClick(
        TColumnEh::TListTitleBtnClickEvent::Callable([&](TObject*, int, TColumnEh*) { ++clicks; }));
    auto* list = dynamic_cast<TPopupDataGridEh*>(col->DataListIfAny());
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(bool(list->OnTitleBtnClick));
    list->OnTitleBtnClick(list, 0, nullptr);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(bool(col->OnDropDownBoxTitleBtnClick()));
    EXPECT_FALSE(bool(col->OnDropDownBoxCheckButton()));
}

TEST_F(LookupGridTest, PlainListWalksItsBufferWindow) {
    // A data set without the memory table's interface: the grid shows the link's buffer window.
    auto* plain = new TTestDataSet(Owner.get());
    plain->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
    plain->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    for (int i = 1; i <= 30; ++i)
        plain->AddRecord({Variant(i), Variant(QStringLiteral("N%1").arg(i, 2, 10, QLatin1Char('0')))});
    plain->Open();
    auto* source = Create<TDataSource>(Owner.get());
    source->SetDataSet(plain);
    Grid->SetListSource(source);
    Grid->SetRowCount(5);
    PumpGridEvents();
    ASSERT_FALSE(Grid->IsExtendedScrolling());
    auto id = [&] { return plain->FieldByName(QStringLiteral("ID"))->AsInteger(); };
    Grid->SetKeyValue(Variant(1));
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    EXPECT_EQ(Key(), 3);
    PressKey(VK_END);
    EXPECT_EQ(Key(), 30);
    PressKey(VK_HOME);
    EXPECT_EQ(Key(), 1);
    EXPECT_EQ(Grid->SelectedItem(), QStringLiteral("N01"));
    // The wheel moves the window without changing the key; the next step first goes back to it.
    Grid->SetKeyValue(Variant(12));
    EXPECT_EQ(id(), 12);
    // Each turn scrolls the window by one record past its end.
    for (int i = 0; i < 8; ++i)
        Grid->Perform(WM_MOUSEWHEEL, WPARAM(-120) << 16, Pt(10, 10));
    EXPECT_EQ(Key(), 12);
    EXPECT_GE(id(), 20);
    PressKey(VK_DOWN);
    EXPECT_EQ(Key(), 12);
    EXPECT_EQ(id(), 12);
    PressKey(VK_DOWN);
    EXPECT_EQ(Key(), 13);
}

namespace {

constexpr LPARAM kAlt = 0x20000000;

// Orders whose City is looked up in the cities table; the axis grid's editor drops down the
// column's real list grid.
struct LookupDropDownTest : ::testing::Test {
    CompPtr<TComponent> Owner{Create<TComponent>(nullptr)};
    TMemTableEh* Cities = nullptr;
    TMemTableEh* Orders = nullptr;
    TIntegerField* City = nullptr;
    CompPtr<TForm> Form;
    TTestAxisGrid* Grid = nullptr;
    TTestAxisColumn* Col = nullptr;
    TPopupDataGridEh* List = nullptr;

    void SetUp() override {
        Cities = Create<TMemTableEh>(Owner.get());
        Cities->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        Cities->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        Cities->CreateDataSet();
        int id = 10;
        for (const char* n : CityNames) {
            Cities->AppendRecord({Variant(id), Variant(QString::fromUtf8(n))});
            id += 10;
        }
        Orders = Create<TMemTableEh>(Owner.get());
        City = Create<TIntegerField>(Owner.get());
        City->SetFieldName(QStringLiteral("City"));
        City->SetDataSet(Orders);
        auto* look = Create<TStringField>(Owner.get());
        look->SetFieldName(QStringLiteral("CityName"));
        look->SetSize(20);
        look->SetFieldKind(fkLookup);
        look->SetLookupDataSet(Cities);
        look->SetLookupKeyFields(QStringLiteral("ID"));
        look->SetLookupResultField(QStringLiteral("Name"));
        look->SetKeyFields(QStringLiteral("City"));
        look->SetDataSet(Orders);
        Orders->CreateDataSet();
        Orders->Append();
        City->SetAsInteger(20);
        Orders->Post();
        auto* src = Create<TDataSource>(Owner.get());
        src->SetDataSet(Orders);

        Form.reset(new TForm(nullptr));
        Form->SetBounds(0, 0, 360, 320);
        Grid = Create<TTestAxisGrid>(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetBounds(0, 0, 340, 100);
        Grid->SetDataSource(src);
        Form->Show();
        PumpGridEvents();
        Col = static_cast<TTestAxisColumn*>(Grid->FindFieldColumn(QStringLiteral("CityName")));
        ASSERT_NE(Col, nullptr);
        Col->SetLookupDisplayFields(QStringLiteral("Name"));
        // The column's own list, made by the data grid's factory.
        Col->ListGrid = Col->TAxisBarEh::GetDataList();
        List = dynamic_cast<TPopupDataGridEh*>(Col->ListGrid);
        ASSERT_NE(List, nullptr);
        Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
        Grid->SetFocus();
        Grid->SetCol(Col->Index() + 1);
        Grid->ShowEditor();
        PumpGridEvents();
        ASSERT_NE(Ed(), nullptr);
        ASSERT_EQ(Ed()->EditStyle(), esDataList);
    }
    void TearDown() override {
        Form.reset();
        PumpGridEvents();
    }
    TDBAxisGridInplaceEdit* Ed() { return dynamic_cast<TDBAxisGridInplaceEdit*>(Grid->InplaceEditor()); }
    void AltDown() {
        Ed()->Perform(WM_SYSKEYDOWN, VK_DOWN, kAlt);
        PumpGridEvents();
    }
    void Key(Word vk) {
        Ed()->Perform(WM_KEYDOWN, vk, 0);
        PumpGridEvents();
    }
    TPoint ListCellCentre(int DataRow) {
        const TRect r = List->CellRect(List->IndicatorOffset(), List->TopDataOffset() + DataRow);
        return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
};

} // namespace

TEST_F(LookupDropDownTest, OpensOnTheCellsKeyPicksByKeysAndCancels) {
    Col->SetDropDownRows(5);
    Col->SetDropDownShowTitles(true);
    Col->SetDropDownSizing(true);
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible());
    EXPECT_EQ(Ed()->ActiveList(), List);
    EXPECT_TRUE(List->Visible());
    EXPECT_EQ(List->Name(), QStringLiteral("DataList"));
    EXPECT_EQ(List->RowCount(), 5);
    EXPECT_TRUE(List->ShowTitles());
    EXPECT_EQ(List->KeyValue().AsInteger(), 20);
    EXPECT_EQ(List->SelectedItem(), QString::fromUtf8("Минск"));
    EXPECT_GE(List->Width(), Ed()->Width());
    // Five whole rows under the title.
    EXPECT_EQ(List->ClientHeight() - List->TitleRowsHeight(), 5 * List->GetListRowHeight());
    EXPECT_FALSE(
        SaveDroppedDownScreenshot(Form.get(), List, QStringLiteral("lookup_grid_dropped_down")).isEmpty());

    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(List->KeyValue().AsInteger(), 40);
    EXPECT_EQ(Ed()->Text(), QString::fromUtf8("Пермь"));
    // Escape: nothing written, the text goes back.
    Key(VK_ESCAPE);
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_FALSE(List->Visible());
    EXPECT_EQ(City->AsInteger(), 20);
    EXPECT_EQ(Ed()->Text(), QString::fromUtf8("Минск"));

    // Enter writes the picked key.
    AltDown();
    Key(VK_UP);
    Key(VK_RETURN);
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_EQ(City->AsInteger(), 10);
    EXPECT_EQ(Ed()->Text(), QString::fromUtf8("Москва"));
    Orders->Post();
}

TEST_F(LookupDropDownTest, MouseFollowsThePointerAndClickPicksOrCancels) {
    bool closed = false, accepted = false;
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible());
    // Moving over the list without a button selects the row under the pointer.
    TPoint p = ListCellCentre(3);
    List->Perform(WM_MOUSEMOVE, 0, Pt(p.X, p.Y));
    PumpGridEvents();
    EXPECT_EQ(List->KeyValue().AsInteger(), 40);
    // A click on a row picks it.
    p = ListCellCentre(4);
    List->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(p.X, p.Y));
    List->Perform(WM_LBUTTONUP, 0, Pt(p.X, p.Y));
    PumpGridEvents();
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_EQ(City->AsInteger(), 50);
    Orders->Post();

    // A release outside asks to close without accepting; on a title nothing is asked.
    AltDown();
    List->SetOnMouseCloseUp(TCloseUpEventEh::Callable([&](TObject*, bool Accept) {
        closed = true;
        accepted = Accept;
    }));
    p = ListCellCentre(1);
    List->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(p.X, p.Y));
    List->Perform(WM_LBUTTONUP, 0, Pt(p.X, List->Height() + 30));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(accepted);
    closed = false;
    List->SetShowTitles(true);
    const TRect title = List->CellRect(List->IndicatorOffset(), 0);
    List->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(title.Left + 5, title.Top + 3));
    List->Perform(WM_LBUTTONUP, 0, Pt(title.Left + 5, title.Top + 3));
    EXPECT_FALSE(closed);
    EXPECT_EQ(City->AsInteger(), 50);
}

TEST_F(LookupDropDownTest, SizeLimitsAndReadOnlyHover) {
    List->SetBounds(0, 0, 2, 2);
    EXPECT_GE(List->Width(), GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_GE(List->Height(), GetSystemMetrics(SM_CYVSCROLL));
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible());
    List->SetReadOnly(true);
    const int before = List->KeyValue().AsInteger();
    const TPoint p = ListCellCentre(3);
    List->Perform(WM_MOUSEMOVE, 0, Pt(p.X, p.Y));
    EXPECT_EQ(List->KeyValue().AsInteger(), before) << "a read-only list does not follow the pointer";
    List->SetReadOnly(false);
    Key(VK_ESCAPE);
}

TEST_F(LookupDropDownTest, UserChangesAreReportedAndCodeChangesAreNot) {
    int reports = 0;
    List->OnUserKeyValueChange = TNotifyEvent::Callable([&](TObject*) { ++reports; });
    AltDown();
    EXPECT_EQ(reports, 0) << "the editor setting the key is no user change";
    List->SetKeyValue(Variant(60));
    EXPECT_EQ(reports, 0);
    Key(VK_DOWN);
    EXPECT_EQ(reports, 1);
    Key(VK_ESCAPE);
}

TEST_F(LookupDropDownTest, ListDataSetClosedOrEmptyEndsCleanly) {
    // Closed while the list shows: nothing to pick, Enter changes nothing.
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible());
    Cities->Close();
    PumpGridEvents();
    EXPECT_FALSE(List->ListActive());
    List->Repaint();
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_EQ(City->AsInteger(), 20);
    EXPECT_NE(Orders->State(), dsEdit);

    // An empty list: it opens, keys find nothing, Enter leaves the record as it was.
    Cities->Open();
    Cities->EmptyTable();
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible());
    Key(VK_DOWN);
    Key(VK_UP);
    const TPoint p = ListCellCentre(0);
    List->Perform(WM_MOUSEMOVE, 0, Pt(p.X, p.Y));
    Key(VK_ESCAPE);
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_EQ(City->AsInteger(), 20);
}

TEST_F(LookupDropDownTest, DropDownBoxSettingsLiveInTheList) {
    TColumnDropDownBoxEh* box = Col->DropDownBox();
    box->SetOptions(TDBLookupGridEhOptions{dlgRowLinesEh, dlgAutoSortMarkingEh});
    EXPECT_TRUE(List->Options().Contains(dgRowLines));
    EXPECT_FALSE(List->Options().Contains(dgColLines));
    EXPECT_TRUE(List->OptionsEh().Contains(dghAutoSortMarking));
    EXPECT_EQ(box->Options(), (TDBLookupGridEhOptions{dlgRowLinesEh, dlgAutoSortMarkingEh}));
    EXPECT_EQ(Col->GetLookupGridOptions(), box->Options());
    box->SetSortLocal(true);
    EXPECT_TRUE(List->SortLocal());
    EXPECT_EQ(box->Columns(), List->Columns());
    EXPECT_EQ(box->ColumnDefValues(), List->ColumnDefValues());
    // The search text is marked in the first column only while there is one.
    AltDown();
    List->ResetHighlightSubstr(QString::fromUtf8("ск"));
    EXPECT_EQ(List->HighlightTextParams()->Text(), QString::fromUtf8("ск"));
    ASSERT_EQ(List->HighlightTextParams()->ColumnsList()->Count(), 1);
    EXPECT_FALSE(
        SaveDroppedDownScreenshot(Form.get(), List, QStringLiteral("lookup_grid_highlight")).isEmpty());
    Key(VK_ESCAPE);
    List->ResetHighlightSubstr(String());
    EXPECT_TRUE(List->HighlightTextParams()->Text().isEmpty());
    EXPECT_EQ(List->HighlightTextParams()->ColumnsList()->Count(), 0);
}

TEST_F(LookupDropDownTest, NoListDataSetOpensNothingAndFreedListIsForgotten) {
    // The column's list goes with its column; an editor showing it forgets it.
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible());
    Key(VK_ESCAPE);
    Col->ListGrid = nullptr;
    List->Free();
    List = nullptr;
    EXPECT_EQ(Col->DataListIfAny(), nullptr);
    EXPECT_EQ(Ed()->DataList(), nullptr);
    EXPECT_EQ(Ed()->EditStyle(), esSimple);
    AltDown();
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_EQ(City->AsInteger(), 20);
}

TEST_F(LookupGridTest, ListColumnsPublishTheirNarrowSetAndStoreIt) {
    QStringList names;
    for (PPropInfo p : GetPropList(&TDBLookupGridColumnEh::StaticClassInfo()))
        names << p->Name;
    names.sort();
    EXPECT_EQ(
        names.join(QLatin1Char(',')),
        QStringLiteral("Alignment,AutoFitColWidth,Checkboxes,Color,EndEllipsis,FieldName,Font,ImageList,"
                       "ImeMode,ImeName,KeyList,MaxWidth,MinWidth,NotInKeyListIndex,OnGetCellParams,"
                       "PickList,PopupMenu,ShowImageAndText,SpecCell,Tag,Title,ToolTips,Visible,Width"));
    QStringList defs;
    for (PPropInfo p : GetPropList(&TDBLookupGridColumnDefValuesEh::StaticClassInfo()))
        defs << p->Name;
    defs.sort();
    EXPECT_EQ(defs.join(QLatin1Char(',')), QStringLiteral("EndEllipsis,Title,ToolTips"));
    // The data grid's own columns keep the full set.
    EXPECT_NE(GetPropInfo(&TDBGridColumnEh::StaticClassInfo(), QStringLiteral("AlwaysShowEditButton")),
              nullptr);
    EXPECT_NE(GetPropInfo(&TColumnDefValuesEh::StaticClassInfo(), QStringLiteral("DropDownSizing")), nullptr);

    auto* col = static_cast<TDBLookupGridColumnEh*>(Grid->Columns()->Add());
    col->SetFieldName(QStringLiteral("Name"));
    col->SetWidth(90);
    col->SetMinWidth(40);
    col->SpecCell()->SetText(QStringLiteral("-"));
    Grid->SetName(QStringLiteral("CityList"));
    TMemoryStream bin;
    WriteComponent(&bin, Grid);
    bin.SetPosition(0);
    TStringStream text;
    ObjectBinaryToText(&bin, &text);
    const String t = text.DataString();
    for (const char* stored : {"Width = 90", "MinWidth = 40", "SpecCell.Text = '-'"})
        EXPECT_TRUE(t.contains(QString::fromLatin1(stored))) << stored << "\n" << t.toStdString();
    EXPECT_FALSE(t.contains(QStringLiteral("MaxWidth")));
}

TEST(LookupGridStyleHookTest, RegisteredForBothListClassesAndRepaintsBarsAfterPaint) {
    const TClass hook = &TPopupDataGridEhStyleHook::StaticClassInfo();
    EXPECT_TRUE(TStyleManager::IsStyleHookRegistered(&TDBLookupGridEh::StaticClassInfo(), hook));
    EXPECT_TRUE(TStyleManager::IsStyleHookRegistered(&TPopupDataGridEh::StaticClassInfo(), hook));
    // No style engine runs hooks here; called directly, a paint ends with the styled bars.
    struct Probe : TPopupDataGridEhStyleHook {
        int Bars = 0;
        void PaintScroll() override { ++Bars; }
    } probe;
    TMessage paint;
    paint.Msg = WM_PAINT;
    probe.WndProc(paint);
    TMessage size;
    size.Msg = WM_SIZE;
    probe.WndProc(size);
    EXPECT_EQ(probe.Bars, 1);
}
