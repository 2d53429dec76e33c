// The in-place editor with a lookup cell's drop-down list: how it sets the list up, follows it
// with the keys, writes the picked key, gives the list's size back to the column, filters the
// list data set while typing, and forgets a list that is freed. The list here is a small stand-in
// that walks the list data set; the data grid supplies the real one.

#include "AxisGridFixture.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/WinApi.h"

#include <QCoreApplication>

namespace {

constexpr LPARAM kAlt = 0x20000000;

class TTestLookupList : public TCustomControl, public IPopupDataListEh {
    KVT_CLASS(TTestLookupList, TCustomControl)
public:
    using TCustomControl::TCustomControl;

    TCloseUpEventEh OnMouseCloseUp;
    TMovedEvent OnColumnMoved;
    TDataSource* Source = nullptr;
    TSpecRowEh* SpecRow = nullptr;
    String KeyField, ListField, SpecText = QStringLiteral("(none)");
    int Rows = 0, FitWidth = 10;
    bool ShowTitles = false, AutoFit = false, Grip = false, GripResized = false, MemoText = false;
    Variant Key = Null();
    String Item;
    int CtrlReleases = 0;

    TWinControl* ListControl() override { return this; }
    void SetOnMouseCloseUp(const TCloseUpEventEh& Event) override { OnMouseCloseUp = Event; }
    void SetOnColumnMoved(const TMovedEvent& Event) override { OnColumnMoved = Event; }
    void SetDrawMemoText(bool Value) override { MemoText = Value; }
    void SetSpecRow(TSpecRowEh* Value) override { SpecRow = Value; }
    int RowCount() override { return Rows; }
    void SetRowCount(int Value) override {
        Rows = Value;
        SetHeight(Rows * 20 + 4);
    }
    void SetShowTitles(bool Value) override { ShowTitles = Value; }
    void SetKeyField(const String& Value) override { KeyField = Value; }
    void SetListFieldIndex(int) override {}
    void SetListField(const String& Value) override { ListField = Value; }
    void SetAutoFitColWidths(bool Value) override { AutoFit = Value; }
    void SetUseMultiTitle(bool) override {}
    void SetListSource(TDataSource* Value) override { Source = Value; }
    int GetColumnsWidthToFit() override { return FitWidth; }
    void SetSizeGripVisible(bool Value) override { Grip = Value; }
    bool SizeGripResized() override { return GripResized; }
    void SetSizeGripResized(bool Value) override { GripResized = Value; }
    Variant KeyValue() override { return Key; }
    void SetKeyValue(const Variant& Value) override {
        Key = Value;
        Item.clear();
        if (TDataSet* ds = DataSet(); ds && !VarIsNull(Value) && ds->Locate(KeyField, Value, {}))
            Item = ds->FieldByName(ListField)->Text();
        Invalidate();
    }
    // Kept with the key, as a lookup list does: it outlives the list's source.
    String SelectedItem() override { return Item; }
    TRect DataRect() override { return ClientRect(); }
    String SpecRowCellsText() override { return SpecText; }
    void ListKeyUp(Word& Key, TShiftState) override {
        if (Key == VK_CONTROL) ++CtrlReleases;
    }

    TDataSet* DataSet() { return Source ? Source->DataSet() : nullptr; }
    // The user clicks the current row.
    void Click(bool Accept) { OnMouseCloseUp(this, Accept); }

protected:
    void KeyDown(Word& K, TShiftState Shift) override {
        TDataSet* ds = DataSet();
        if (ds && (K == VK_DOWN || K == VK_UP)) {
            if (!VarIsNull(Key)) ds->MoveBy(K == VK_DOWN ? 1 : -1);
            Key = ds->FieldByName(KeyField)->Value();
            Item = ds->FieldByName(ListField)->Text();
            Invalidate();
            K = 0;
            return;
        }
        TCustomControl::KeyDown(K, Shift);
    }
    void Paint() override {
        TCanvas* c = Canvas();
        c->Brush()->SetColor(clWindow);
        c->FillRect(ClientRect());
        TDataSet* ds = DataSet();
        if (!ds || !ds->Active()) return;
        const TBookmark here = ds->GetBookmark();
        ds->DisableControls();
        ds->First();
        for (int row = 0; row < Rows && !ds->Eof(); ++row, ds->Next()) {
            const TRect r(2, 2 + row * 20, Width() - 2, 2 + (row + 1) * 20);
            const bool current = ds->Bookmark() == here && !VarIsNull(Key);
            c->Brush()->SetColor(current ? clHighlight : clWindow);
            c->Font()->SetColor(current ? clHighlightText : clWindowText);
            c->TextRect(r, r.Left + 3, r.Top + 3, ds->FieldByName(ListField)->Text());
        }
        ds->GotoBookmark(here);
        ds->EnableControls();
    }
};

// Orders whose Day is looked up in a table of days by ID, shown by Name.
class AxisLookupListTest : public ::testing::Test {
protected:
    AxisTable Days{0};
    CompPtr<TComponent> Owner{Create<TComponent>(nullptr)};
    TMemTableEh* Orders = nullptr;
    TIntegerField* Day = nullptr;
    CompPtr<TForm> Form;
    TTestAxisGrid* Grid = nullptr;
    TTestAxisColumn* Col = nullptr;
    TTestLookupList* List = nullptr;

    void SetUp() override {
        InitForms();
        const char* names[] = {"Monday", "Moscow", "Tuesday"};
        for (int i = 0; i < 3; ++i)
            Days.Append(i + 1, QString::fromLatin1(names[i]), Variant(0), Variant(false),
                        QStringLiteral("x"));
        Orders = Create<TMemTableEh>(Owner.get());
        Day = Create<TIntegerField>(Owner.get());
        Day->SetFieldName(QStringLiteral("Day"));
        Day->SetDataSet(Orders);
        auto* look = Create<TStringField>(Owner.get());
        look->SetFieldName(QStringLiteral("DayName"));
        look->SetSize(20);
        look->SetFieldKind(fkLookup);
        look->SetLookupDataSet(Days.T);
        look->SetLookupKeyFields(QStringLiteral("ID"));
        look->SetLookupResultField(QStringLiteral("Name"));
        look->SetKeyFields(QStringLiteral("Day"));
        look->SetDataSet(Orders);
        Orders->CreateDataSet();
        Orders->Append();
        Day->SetAsInteger(1);
        Orders->Post();
        auto* src = Create<TDataSource>(Owner.get());
        src->SetDataSet(Orders);

        Form.reset(new TForm(nullptr));
        Form->SetBounds(0, 0, 320, 200);
        Grid = Create<TTestAxisGrid>(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetBounds(0, 0, 300, 100);
        Grid->SetDataSource(src);
        Form->Show();
        PumpGridEvents();
        Col = static_cast<TTestAxisColumn*>(Grid->FindFieldColumn(QStringLiteral("DayName")));
        ASSERT_NE(Col, nullptr);
        Col->SetLookupDisplayFields(QStringLiteral("Name"));
        List = new TTestLookupList(nullptr);
        Col->ListGrid = List;
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
        delete List;
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
    void Char(QChar ch) {
        Ed()->Perform(WM_CHAR, ch.unicode(), 0);
        PumpGridEvents();
    }
};

} // namespace

TEST_F(AxisLookupListTest, OpensOnTheListDataSetFollowsTheKeysAndWritesThePickedKey) {
    Col->SetDropDownRows(7);
    Col->SetDropDownShowTitles(true);
    Col->SetDropDownSizing(true);
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible());
    EXPECT_EQ(Ed()->ActiveList(), List);
    EXPECT_EQ(Ed()->DataList(), List);
    // Bound to the column's list data set and key, with fewer rows than DropDownRows when the
    // data set has fewer records.
    ASSERT_NE(List->DataSet(), nullptr);
    EXPECT_EQ(List->DataSet(), Days.T);
    EXPECT_EQ(List->KeyField, QStringLiteral("ID"));
    EXPECT_EQ(List->ListField, QStringLiteral("Name"));
    EXPECT_EQ(List->Rows, 3);
    EXPECT_TRUE(List->ShowTitles);
    EXPECT_TRUE(List->Grip);
    EXPECT_EQ(List->SpecRow, Col->DropDownSpecRow());
    EXPECT_EQ(List->KeyValue().AsInteger(), 1) << "the list starts on the cell's key";
    EXPECT_GE(List->Width(), Ed()->Width());
    EXPECT_FALSE(
        SaveDroppedDownScreenshot(Form.get(), List, QStringLiteral("axis-inplace-lookup")).isEmpty());

    // Down moves the list; the editor text follows it. Ctrl's release reaches the list.
    Key(VK_DOWN);
    EXPECT_EQ(List->KeyValue().AsInteger(), 2);
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Moscow"));
    Ed()->Perform(WM_KEYUP, VK_CONTROL, 0);
    EXPECT_EQ(List->CtrlReleases, 1);

    // Escape closes without writing: the text goes back.
    Key(VK_ESCAPE);
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_FALSE(List->Visible());
    EXPECT_EQ(List->Source, nullptr) << "the list lets go of its source when it closes";
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Monday"));
    EXPECT_EQ(Day->AsInteger(), 1);

    // A click in the list accepts its row: the key is written through the grid.
    AltDown();
    Key(VK_DOWN);
    Key(VK_DOWN);
    List->Click(true);
    PumpGridEvents();
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Tuesday"));
    EXPECT_EQ(Day->AsInteger(), 3);
    EXPECT_EQ(Grid->EditKeyValue().AsInteger(), 3);
    Orders->Post();
    EXPECT_EQ(Orders->FieldByName(QStringLiteral("DayName"))->Text(), QStringLiteral("Tuesday"));
}

TEST_F(AxisLookupListTest, WidthRulesAndSizeGivenBackToTheColumn) {
    struct Case {
        int dropDownWidth, fit, expected; // expected -1: the editor's width
    } cases[] = {{0, 10, -1}, {-5, 10, -1}, {400, 10, 400}, {-1, 10, -1}, {-1, 500, 500}, {20, 10, -1}};
    for (const Case& k : cases) {
        Col->SetDropDownWidth(k.dropDownWidth);
        List->FitWidth = k.fit;
        AltDown();
        const int want = k.expected < 0 ? Ed()->Width() : k.expected;
        // The fitted width is a client width; the stand-in list has no border.
        EXPECT_EQ(List->Width(), want) << "DropDownWidth " << k.dropDownWidth << ", fit " << k.fit;
        Key(VK_ESCAPE);
    }
    // The user sized the list with its grip and moved its columns: the column keeps both.
    Col->SetDropDownWidth(0);
    AltDown();
    List->GripResized = true;
    List->SetRowCount(5);
    List->SetWidth(333);
    List->OnColumnMoved(List, 0, 1);
    List->SpecText = QStringLiteral("(moved)");
    Key(VK_ESCAPE);
    EXPECT_EQ(Col->DropDownRows(), 5u);
    EXPECT_EQ(Col->DropDownWidth(), 333);
    EXPECT_EQ(Col->DropDownSpecRow()->CellsText(), QStringLiteral("(moved)"));
    // Unresized lists leave the column alone.
    AltDown();
    List->SetRowCount(2);
    Key(VK_ESCAPE);
    EXPECT_EQ(Col->DropDownRows(), 5u);
}

TEST_F(AxisLookupListTest, TypingFiltersTheShownListAndKeepsItsKey) {
    Col->DropDownBox()->SetListSourceAutoFilter(true);
    Ed()->SelectAll();
    AltDown();
    Char(QChar('M'));
    Char(QChar('o'));
    Char(QChar('s'));
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Moscow"));
    EXPECT_EQ(List->KeyValue().AsInteger(), 2);
    EXPECT_EQ(Days.T->Filter(), QStringLiteral("[Name] like 'Mos%'"));
    EXPECT_TRUE(Days.T->Filtered());
    // Deleting the whole text clears the key and the filter.
    Ed()->SelectAll();
    Key(VK_DELETE);
    EXPECT_EQ(Ed()->Text(), QString());
    EXPECT_TRUE(VarIsNull(List->KeyValue()));
    EXPECT_TRUE(VarIsNull(Grid->EditKeyValue()));
    EXPECT_EQ(Days.T->Filter(), QString());
    // Accepting clears the filter too.
    Char(QChar('T'));
    EXPECT_EQ(Days.T->Filter(), QStringLiteral("[Name] like 'T%'"));
    Key(VK_RETURN);
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_EQ(Days.T->Filter(), QString());
    EXPECT_EQ(Day->AsInteger(), 3);
    Orders->Cancel();
}

TEST_F(AxisLookupListTest, EnterWithFreeTextAndOnNotInListDoesNotTakeTheListRow) {
    Col->OnNotInList = TColumnNotInListEventEh::Callable([](TObject*, const String&, bool&) {});
    Ed()->SelectAll();
    AltDown();
    Char(QChar('Z'));
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Z"));
    EXPECT_TRUE(VarIsNull(List->KeyValue()));
    List->Key = Variant(2); // a row the list still has current
    Key(VK_RETURN);
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_NE(Day->AsInteger(), 2) << "free text is not replaced by the list's row";
    Orders->Cancel();
}

TEST_F(AxisLookupListTest, FreedListIsForgottenAndTheCellBecomesSimple) {
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible());
    Key(VK_ESCAPE);
    Col->ListGrid = nullptr;
    delete List;
    List = nullptr;
    EXPECT_EQ(Ed()->DataList(), nullptr);
    EXPECT_EQ(Ed()->EditStyle(), esSimple);
    AltDown(); // nothing to open, nothing to crash
    EXPECT_FALSE(Ed()->ListVisible());
}
