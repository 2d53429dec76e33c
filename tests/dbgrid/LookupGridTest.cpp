// The lookup grid over a memory table: binding the list and the master, the key value, the
// special row, incremental search, keys, the mouse and sizing; and its drop-down form under the
// axis grid's in-place editor (open, pick by keys and mouse, cancel, size, list closed while open).

#include "grids/AxisGridFixture.h"

#include "lib/dbgrid/DBLookupGridsEh.h"
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

TEST_F(LookupGridTest, ScreenshotOfTheList) {
    ShowSpecRow();
    Grid->SetShowTitles(true);
    Grid->SetKeyValue(Variant(30));
    const QString path = SaveControlScreenshot(Grid, QStringLiteral("lookup_grid_list"));
    EXPECT_FALSE(path.isEmpty());
}
