// The data grid over a memory table and over a plain data set: its model, the mapping of grid
// rows to records while records come, go, are filtered and scrolled, keys, clicks, title sort
// markers, the scroll bar and the failure paths.

#include "DBGridTestFixture.h"

#include "db/TestDataSet.h"
#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/memtable/MemTableEh.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WinApi.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QScopeGuard>
#include <QWidget>

namespace {

LPARAM Pt(int x, int y) {
    return MAKELPARAM(Word(x), Word(y));
}

// A plain data set that can be told to fail while it reads records.
class TFaultyDataSet : public TTestDataSet {
    KVT_CLASS(TFaultyDataSet, TTestDataSet)
public:
    using TTestDataSet::TTestDataSet;
    bool FailReads = false;
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override {
        if (FailReads && GetMode == gmNext) throw EDatabaseError(QStringLiteral("read failed"));
        return TTestDataSet::GetRecord(Buffer, GetMode, DoCheck);
    }
};

// A form 360 high with a grid 300 high; UseTable's rows are named "Name <n>".
struct GridFixture : DBGridFormFixture<TDBGridEh> {
    TFaultyDataSet* Plain = nullptr;

    GridFixture() : DBGridFormFixture(360, 300) {}

    void UsePlain(int N) {
        Plain = new TFaultyDataSet(Form);
        Plain->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        Plain->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        for (int i = 1; i <= N; ++i)
            Plain->AddRecord({Variant(i), Variant(QStringLiteral("Name %1").arg(i))});
        Plain->Open();
        Source->SetDataSet(Plain);
        Grid->SetDataSource(Source);
        Pump();
    }
    TDataSet* DS() { return Table ? static_cast<TDataSet*>(Table) : Plain; }
    void Key(Word vk, bool ctrl = false) {
        SetKeyDown(VK_CONTROL, ctrl);
        Grid->Perform(WM_KEYDOWN, vk, 0);
        SetKeyDown(VK_CONTROL, false);
    }
    void Click(int x, int y, WPARAM keys = 0) {
        Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON | keys, Pt(x, y));
        Grid->Perform(WM_LBUTTONUP, keys, Pt(x, y));
    }
    // The middle of grid cell (ACol, ARow).
    TPoint CellCentre(int ACol, int ARow) {
        const TRect r = Grid->CellRect(ACol, ARow);
        return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    int Id() { return DS()->FieldByName(QStringLiteral("ID"))->AsInteger(); }
    // The ID shown in data row DataRow, read the way the painter reads it.
    int IdAt(int DataRow) {
        Grid->InstantReadRowEnter(DataRow);
        const int id = DS()->FieldByName(QStringLiteral("ID"))->AsInteger();
        Grid->InstantReadRowLeave();
        return id;
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Model

TEST_F(GridFixture, NewGridHasTheDefaults) {
    EXPECT_EQ(Grid->Options(), DefaultDBGridOptions);
    EXPECT_EQ(Grid->OptionsEh(), DefaultDBGridEhOptions);
    EXPECT_EQ(Grid->AllowedSelections(),
              (TDBGridEhAllowedSelections{gstRecordBookmarks, gstRectangle, gstColumns, gstAll}));
    EXPECT_EQ(Grid->AllowedOperations(),
              (TDBGridEhAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh}));
    EXPECT_EQ(Grid->IndicatorOptions(), TDBGridEhIndicatorOptions{gioShowRowIndicatorEh});
    EXPECT_EQ(Grid->Style(), DefaultGridStyle());
    EXPECT_EQ(Grid->IndicatorOffset(), 1);
    EXPECT_EQ(Grid->EvenRowColor(), Grid->Color());
    EXPECT_EQ(Grid->OddRowColor(), Grid->Color());
    EXPECT_EQ(QString(Grid->ClassName()), "TDBGridEh");

    // An assigned colour is kept even when it equals the grid's: it no longer follows Color.
    Grid->SetEvenRowColor(Grid->Color());
    EXPECT_TRUE(Grid->EvenRowColorStored());
    Grid->SetColor(clYellow);
    EXPECT_NE(Grid->EvenRowColor(), clYellow);
    EXPECT_EQ(Grid->OddRowColor(), clYellow);

    // No style means the default one; a freed style hands its grids back to the default.
    auto* own = new TDBGridEhStyle(nullptr);
    Grid->SetStyle(own);
    EXPECT_EQ(Grid->Style(), own);
    Grid->SetStyle(nullptr);
    EXPECT_EQ(Grid->Style(), DefaultGridStyle());
    Grid->SetStyle(own);
    delete own;
    EXPECT_EQ(Grid->Style(), DefaultGridStyle());
    UseTable(3);
    Grid->Repaint();
    Pump();

    // Row select drops editing; titles and indicator make the fixed rows and columns.
    Grid->SetOptions({dgTitles, dgIndicator, dgRowSelect, dgEditing, dgAlwaysShowEditor});
    EXPECT_FALSE(Grid->Options().Contains(dgEditing));
    EXPECT_TRUE(Grid->BaseOptions().Contains(goRowSelect));
    EXPECT_EQ(Grid->FixedRows(), 1);
    EXPECT_EQ(Grid->FixedCols(), 1);
    Grid->SetOptions({dgRowSelect});
    EXPECT_EQ(Grid->TopDataOffset(), 0);
    EXPECT_EQ(Grid->IndicatorOffset(), 0);
    EXPECT_EQ(Grid->FixedCols(), 0);
    EXPECT_EQ(Grid->ColCount(), 3);
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(GridFixture, OptionSetsKeepTheirPartnersInStep) {
    UseTable(9);
    // Column resizing on the classic set switches both finer options; dropping one of those
    // drops the classic one.
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgColumnResize});
    EXPECT_FALSE(Grid->OptionsEh().Contains(dghColumnResize));
    EXPECT_FALSE(Grid->OptionsEh().Contains(dghColumnMove));
    Grid->SetOptionsEh(Grid->OptionsEh());
    EXPECT_FALSE(Grid->BaseOptions().Contains(goColSizing));
    EXPECT_FALSE(Grid->BaseOptions().Contains(goColMoving));
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgColumnResize});
    EXPECT_TRUE(Grid->OptionsEh().Contains(dghColumnResize));
    EXPECT_TRUE(Grid->OptionsEh().Contains(dghColumnMove));
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghColumnMove});
    EXPECT_FALSE(Grid->Options().Contains(dgColumnResize));
    EXPECT_TRUE(Grid->BaseOptions().Contains(goColSizing));
    EXPECT_FALSE(Grid->BaseOptions().Contains(goColMoving));

    // Indicator options and the classic indicator flags mirror each other.
    Grid->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRecNoEh});
    EXPECT_TRUE(Grid->OptionsEh().Contains(dghShowRecNo));
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgIndicator});
    EXPECT_FALSE(Grid->IndicatorOptions().Contains(gioShowRowIndicatorEh));
    Pump();
    // Record numbers alone keep the indicator column.
    EXPECT_EQ(Grid->IndicatorOffset(), 1);
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghShowRecNo});
    EXPECT_FALSE(Grid->IndicatorOptions().Contains(gioShowRecNoEh));
    Pump();
    EXPECT_EQ(Grid->IndicatorOffset(), 0);
    EXPECT_TRUE(Grid->CheckDataConsistency());

    // The width holds the record count's digits: nine records and ten differ; check boxes add room.
    Grid->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRecNoEh});
    const int nine = Grid->CalcIndicatorColWidth();
    EXPECT_GE(nine, 11);
    Table->AppendRecord({Variant(10), Variant(QStringLiteral("Name 10")), Variant(3)});
    const int ten = Grid->CalcIndicatorColWidth();
    EXPECT_GT(ten, nine);
    Grid->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRecNoEh, gioShowRowselCheckboxesEh});
    EXPECT_EQ(Grid->CalcIndicatorColWidth(), ten + Grid->RowselCheckboxesWidth());
    EXPECT_GT(Grid->RowselCheckboxesWidth(), 0);

    // Turning multi-sort marking off keeps only the first marker of the order.
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghMultiSortMarking});
    Grid->Columns()->Columns(2)->Title()->SetSortMarker(smDownEh);
    Grid->Columns()->Columns(0)->Title()->SetSortMarker(smUpEh);
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghMultiSortMarking});
    EXPECT_EQ(Grid->Columns()->Columns(2)->Title()->SortMarker(), smDownEh);
    EXPECT_EQ(Grid->Columns()->Columns(0)->Title()->SortMarker(), smNoneEh);
    ASSERT_EQ(Grid->SortMarkedColumns()->Count(), 1);

    // Extending the vertical lines and the empty-space style follow each other.
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghExtendVertLines});
    EXPECT_EQ(Grid->GridLineParams()->VertEmptySpaceStyle(), dessNonEh);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghExtendVertLines});
    EXPECT_EQ(Grid->GridLineParams()->VertEmptySpaceStyle(), dessGradiendEh);
}

TEST_F(GridFixture, ModelPropertiesAndUnitValues) {
    EXPECT_TRUE(Grid->TryUseMemTableInt());
    EXPECT_FALSE(Grid->SortLocal());
    EXPECT_FALSE(Grid->AutoFitColWidths());
    EXPECT_EQ(Grid->VTitleMargin(), 10);
    EXPECT_EQ(Grid->FooterRowCount(), 0);
    EXPECT_NE(Grid->SumList(), nullptr);
    EXPECT_NE(Grid->STFilter(), nullptr);
    EXPECT_NE(dynamic_cast<TColumnDefValuesEh*>(Grid->ColumnDefValues()), nullptr);
    EXPECT_NE(dynamic_cast<TColumnTitleDefValuesEh*>(Grid->ColumnDefValues()->Title()), nullptr);
    EXPECT_NE(Grid->GridLineParams(), nullptr);
    EXPECT_TRUE(Grid->IndicatorTitle()->UseGlobalMenu());
    EXPECT_FALSE(Grid->IndicatorTitle()->ShowDropDownSign());

    // The row sizing switch is the base grid's goRowSizing.
    Grid->SetRowSizingAllowed(true);
    EXPECT_TRUE(Grid->BaseOptions().Contains(goRowSizing));
    Grid->SetRowSizingAllowed(false);
    EXPECT_FALSE(Grid->BaseOptions().Contains(goRowSizing));
    Grid->SetFooterColor(clInfoBk);
    EXPECT_EQ(Grid->FooterParams()->Color(), clInfoBk);

    EXPECT_EQ(InplaceSearchStartShortCut, ShortCut(Word('F'), TShiftState{ssCtrl}));
    EXPECT_EQ(PriorRecordValueShortCut, ShortCut(0xDE, TShiftState{ssCtrl}));
    EXPECT_EQ(InplaceSearchTimeOutDefault, 1500);
    EXPECT_EQ(SortIndexFont()->Name(), "Arial");

    // Layout section names: the form's class name in front, frames joined by dots.
    Form->SetName(QStringLiteral("F1"));
    Grid->SetName(QStringLiteral("Grid1"));
    EXPECT_EQ(LayoutSectionName(Grid), "TFormGrid1");
    EXPECT_EQ(LayoutSectionName(Form), "TForm");
    EXPECT_EQ(LayoutSectionName(nullptr), "");
    TRect r(5, 6, 15, 36);
    SwapRectExtent(r);
    EXPECT_EQ(r, TRect(5, 6, 35, 16));

    // The wait cursor nests; an extra stop does nothing.
    const TCursor before = Screen->Cursor();
    StartWaitCursor();
    StartWaitCursor();
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
    StopWaitCursor();
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
    StopWaitCursor();
    StopWaitCursor();
    EXPECT_EQ(Screen->Cursor(), before);
}

TEST_F(GridFixture, LegacyPropertiesLoadIntoTheParameterObjects) {
    const char* legacy[] = {
        "object Grid1: TDBGridEh\r\n  TitleHeight = 30\r\n  FooterColor = clInfoBk\r\n  TitleLines = 2\r\n"
        "  VTitleMargin = 4\r\n  UseMultiTitle = True\r\nend\r\n",
        "object Grid1: TDBGridEh\r\n  FooterColor = 255\r\nend\r\n",
    };
    TMemoryStream text, bin;
    const QByteArray a = QByteArray(legacy[0]);
    text.Write(a.constData(), a.size());
    text.SetPosition(0);
    ObjectTextToBinary(&text, &bin);
    bin.SetPosition(0);
    ReadComponent(&bin, Grid);
    EXPECT_EQ(Grid->TitleParams()->RowHeight(), 30);
    EXPECT_EQ(Grid->FooterParams()->Color(), clInfoBk);
    EXPECT_EQ(Grid->TitleParams()->RowLines(), 2);
    EXPECT_EQ(Grid->TitleParams()->VTitleMargin(), 4);
    EXPECT_TRUE(Grid->TitleParams()->MultiTitle());

    TMemoryStream text2, bin2;
    const QByteArray b = QByteArray(legacy[1]);
    text2.Write(b.constData(), b.size());
    text2.SetPosition(0);
    ObjectTextToBinary(&text2, &bin2);
    bin2.SetPosition(0);
    ReadComponent(&bin2, Grid);
    EXPECT_EQ(Grid->FooterParams()->Color(), TColor(255));

    // Nothing is written back under the legacy names.
    TMemoryStream out, outText;
    WriteComponent(&out, Grid);
    out.SetPosition(0);
    ObjectBinaryToText(&out, &outText);
    const QByteArray written(static_cast<const char*>(outText.Memory()), int(outText.Size()));
    for (const char* name : {"TitleHeight", "FooterColor", "TitleLines", "VTitleMargin", "UseMultiTitle"})
        EXPECT_FALSE(written.contains(QByteArray("  ") + name + " =")) << name;
}

TEST_F(GridFixture, ColumnsWidthsLimitsAndMoves) {
    UseTable(5);
    ASSERT_EQ(Grid->Columns()->Count(), 3);
    TColumnEh* id = Grid->Columns()->Columns(0);
    EXPECT_FALSE(id->WidthAssigned());
    EXPECT_EQ(id->Width(), id->DefaultWidth());
    // Setting the default width stores nothing; -1 never stores.
    id->SetWidth(id->DefaultWidth());
    EXPECT_FALSE(id->WidthAssigned());
    id->SetWidth(-1);
    EXPECT_FALSE(id->WidthAssigned());

    // The lower limit is applied last.
    auto* custom = Create<TDBGridEh>(Form);
    custom->SetParent(Form);
    custom->SetDataSource(Source);
    TColumnEh* c = custom->Columns()->Add();
    c->SetFieldName(QStringLiteral("Name"));
    c->SetMaxWidth(100);
    c->SetMinWidth(150);
    c->SetWidth(120);
    EXPECT_EQ(c->Width(), 150);
    TColumnEh* q = custom->Columns()->Add();
    q->SetFieldName(QStringLiteral("Qty"));
    q->SetMaxWidth(50);
    custom->SetColWidths(2, 80);
    EXPECT_EQ(q->Width(), 50);
    EXPECT_EQ(custom->ColWidths(2), 50);

    // Moving the third column to the front reports data column indexes.
    TColumnEh* i3 = custom->Columns()->Add();
    i3->SetFieldName(QStringLiteral("ID"));
    int from = -1, to = -1;
    custom->OnColumnMoved = TMovedEvent::Callable([&](TObject*, int f, int t) {
        from = f;
        to = t;
    });
    custom->Perform(WM_NULL, 0, 0);
    custom->MoveColumn(3, 1);
    EXPECT_EQ(from, 2);
    EXPECT_EQ(to, 0);
    EXPECT_EQ(custom->Columns()->Columns(0), i3);
    EXPECT_EQ(custom->VisibleColumn(0)->FieldName(), "ID");
    EXPECT_TRUE(custom->CheckDataConsistency());
}

TEST_F(GridFixture, ColumnSortMarkingAndTabOrder) {
    UseTable(4);
    auto* cols = Grid->Columns();
    ASSERT_EQ(cols->Count(), 3);
    TColumnEh* a = cols->Columns(0);
    TColumnEh* b = cols->Columns(1);
    TColumnEh* c = cols->Columns(2);

    // Single marking: a new marker takes the place of the old one.
    a->Title()->SetSortMarker(smDownEh);
    b->Title()->SetSortMarker(smUpEh);
    EXPECT_EQ(a->Title()->SortMarker(), smNoneEh);
    EXPECT_EQ(a->Title()->SortIndex(), 0);
    EXPECT_EQ(b->Title()->SortIndex(), 1);
    ASSERT_EQ(Grid->SortMarkedColumns()->Count(), 1);
    EXPECT_EQ(Grid->SortMarkedColumns()->Columns(0), b);
    b->Title()->SetSortMarker(smNoneEh);
    EXPECT_EQ(Grid->SortMarkedColumns()->Count(), 0);

    // Multi marking numbers the markers; clearing one closes the gap.
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghMultiSortMarking});
    a->Title()->SetSortMarker(smDownEh);
    b->Title()->SetSortMarker(smDownEh);
    c->Title()->SetSortMarker(smUpEh);
    EXPECT_EQ(c->Title()->SortIndex(), 3);
    b->Title()->SetSortMarker(smNoneEh);
    EXPECT_EQ(a->Title()->SortIndex(), 1);
    EXPECT_EQ(c->Title()->SortIndex(), 2);
    ASSERT_EQ(Grid->SortMarkedColumns()->Count(), 2);
    EXPECT_EQ(Grid->SortMarkedColumns()->Columns(1), c);
    // A place no column holds changes nothing; a held one is exchanged.
    a->Title()->SetSortIndex(5);
    EXPECT_EQ(a->Title()->SortIndex(), 1);
    a->Title()->SetSortIndex(2);
    EXPECT_EQ(a->Title()->SortIndex(), 2);
    EXPECT_EQ(c->Title()->SortIndex(), 1);
    EXPECT_EQ(Grid->SortMarkedColumns()->Columns(0), c);

    // The marker's room: 16, less the glyph when narrow, none when too narrow.
    Grid->SetOptionsEh(Grid->OptionsEh() - TDBGridEhOptions{dghMultiSortMarking});
    a->Title()->SetSortMarker(smNoneEh);
    c->Title()->SetSortMarker(smNoneEh);
    b->Title()->SetSortMarker(smDownEh);
    const std::pair<int, int> room[] = {{20, 16}, {16, 2}, {5, 0}};
    for (auto [width, expected] : room) {
        b->SetWidth(width);
        EXPECT_EQ(b->GetSortMarkingWidth(), expected) << width;
    }
    EXPECT_EQ(a->GetSortMarkingWidth(), 0);

    // Tab stops are the editable columns; the walk stops at the ends and before contra columns.
    EXPECT_EQ(cols->GetFirstTabColumn(), a);
    EXPECT_EQ(cols->GetLastTabColumn(), c);
    EXPECT_EQ(cols->GetNextTabColumn(c, true), c);
    EXPECT_EQ(cols->GetNextTabColumn(a, true), b);
    EXPECT_EQ(cols->GetNextTabColumn(a, false), a);
    Grid->SetContraColCount(2);
    EXPECT_EQ(cols->GetLastTabColumn(), a);
    EXPECT_EQ(cols->GetNextTabColumn(a, true), a);
    Grid->SetContraColCount(0);
    b->SetReadOnly(true);
    EXPECT_EQ(cols->GetNextTabColumn(a, true), c);

    // Row-panel places that are at their defaults are not streamed; a column alone is 64 wide.
    TColumnsEhList list;
    EXPECT_EQ(list.Count(), 0);
    TMemoryStream ms, text;
    cols->SaveToStream(&ms);
    ms.SetPosition(0);
    ObjectBinaryToText(&ms, &text);
    const QByteArray written(static_cast<const char*>(text.Memory()), int(text.Size()));
    EXPECT_FALSE(written.contains("InRowLineHeight"));
    EXPECT_FALSE(written.contains("InRowLinePos"));
    b->SetInRowLineHeight(2);
    EXPECT_EQ(b->InRowLineHeight(), 2);
    b->SetInRowLinePos(-3);
    EXPECT_EQ(b->InRowLinePos(), 0);
    TDBGridColumnsEh loose(nullptr, CollectionItemClassOf<TDBGridColumnEh>());
    EXPECT_EQ(loose.Add()->Width(), 64);
}

// ---------------------------------------------------------------------------------------------
// Row mapping

TEST_F(GridFixture, MemTableRowsFollowInsertDeleteFilterAndScroll) {
    UseTable(50);
    ASSERT_TRUE(Grid->UsesMemTable());
    EXPECT_EQ(Grid->RowCount(), 1 + 50);
    EXPECT_EQ(Grid->ColCount(), 1 + 3);
    EXPECT_EQ(Grid->Row(), 1);
    EXPECT_TRUE(Grid->CheckDataConsistency());

    Table->SetRecNo(30);
    EXPECT_EQ(Grid->Row(), 30);
    EXPECT_TRUE(Grid->IsDataRowCurrent(29));
    EXPECT_EQ(IdAt(0), 1);
    EXPECT_EQ(IdAt(49), 50);
    EXPECT_EQ(Id(), 30); // reading other rows leaves the cursor
    Table->Last();
    EXPECT_EQ(Grid->Row(), 50);
    EXPECT_GE(Grid->TopRow() + Grid->VisibleRowCount(), 50); // the current row is in view
    EXPECT_TRUE(Grid->CheckDataConsistency());

    Table->SetRecNo(10);
    Table->Insert();
    Table->FieldByName(QStringLiteral("ID"))->SetAsInteger(100);
    Table->Post();
    EXPECT_EQ(Grid->RowCount(), 1 + 51);
    EXPECT_EQ(IdAt(9), 100);
    EXPECT_EQ(Grid->Row(), 10);
    EXPECT_TRUE(Grid->CheckDataConsistency());

    Table->Delete();
    Table->Delete();
    EXPECT_EQ(Grid->RowCount(), 1 + 49);
    EXPECT_EQ(IdAt(9), 11);
    EXPECT_TRUE(Grid->CheckDataConsistency());

    Table->SetFilter(QStringLiteral("Qty = 3"));
    Table->SetFiltered(true);
    EXPECT_EQ(Grid->RowCount(), 1 + Table->RecordCount());
    EXPECT_EQ(IdAt(0), 3);
    EXPECT_TRUE(Grid->CheckDataConsistency());
    Table->SetFilter(QStringLiteral("Qty = 99"));
    EXPECT_EQ(Grid->RowCount(), 2); // an empty view still has its blank row
    EXPECT_EQ(Grid->FullDataRowCount(), 0);
    EXPECT_FALSE(Grid->IsDataRowCurrent(0));
    Grid->Repaint(); // the blank row is painted without reading row 0
    Pump();
    Table->SetFiltered(false);
    EXPECT_EQ(Grid->RowCount(), 1 + 49);
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(GridFixture, FixedRowsAndModesFollowTheSettings) {
    UseTable(30);
    EXPECT_TRUE(Grid->UsesMemTable());
    // The filter row under the titles is one more fixed row above the data.
    Grid->STFilter()->SetVisible(true);
    Grid->LayoutChanged();
    EXPECT_EQ(Grid->TopDataOffset(), 2);
    EXPECT_EQ(Grid->FixedRows(), 2);
    EXPECT_EQ(Grid->RowCount(), 2 + 30);
    Table->MoveBy(7);
    Pump();
    EXPECT_EQ(Grid->Row(), 2 + 7);
    EXPECT_TRUE(Grid->CheckDataConsistency());
    Grid->STFilter()->SetLocation(stflInTitleFilterEh);
    Grid->LayoutChanged();
    EXPECT_EQ(Grid->TopDataOffset(), 1);
    EXPECT_TRUE(Grid->CheckDataConsistency());

    // Without the table's interface the same table is shown as a plain data set.
    Grid->SetTryUseMemTableInt(false);
    EXPECT_FALSE(Grid->UsesMemTable());
    EXPECT_LT(Grid->RowCount(), 1 + 30);
    EXPECT_EQ(Grid->DataRowToRecNo(Grid->Row() - 1), Table->RecNo());
    EXPECT_TRUE(Grid->CheckDataConsistency());
    Grid->SetTryUseMemTableInt(true);
    EXPECT_TRUE(Grid->UsesMemTable());
    EXPECT_EQ(Grid->RowCount(), 1 + 30);
    EXPECT_EQ(Grid->Row(), 1 + 7);
    EXPECT_TRUE(Grid->CheckDataConsistency());

    // A table freed under the grid leaves it in plain mode with one empty data row.
    delete Table;
    Table = nullptr;
    Pump();
    EXPECT_FALSE(Grid->UsesMemTable());
    EXPECT_EQ(Grid->RowCount(), 2);
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(GridFixture, PlainRowsAreTheBufferWindow) {
    UsePlain(50);
    ASSERT_FALSE(Grid->UsesMemTable());
    const int page = Grid->DataLink()->BufferCount();
    EXPECT_GT(page, 5);
    EXPECT_LT(page, 50);
    EXPECT_EQ(Grid->RowCount(), 1 + page);
    EXPECT_EQ(Grid->Row(), 1);
    EXPECT_TRUE(Grid->CheckDataConsistency());

    // Scrolling moves the window: the rows show other records, the current row stays in view.
    Grid->MoveBy(30);
    EXPECT_EQ(Id(), 31);
    EXPECT_EQ(Grid->Row(), 1 + Grid->DataLink()->ActiveRecord());
    EXPECT_EQ(IdAt(Grid->Row() - 1), 31);
    EXPECT_EQ(Grid->DataRowToRecNo(Grid->Row() - 1), 31);
    EXPECT_TRUE(Grid->CheckDataConsistency());
    Plain->Last();
    EXPECT_EQ(IdAt(page - 1), 50);
    EXPECT_EQ(Grid->Row(), page);

    // Records inserted, deleted and filtered away.
    Plain->First();
    Plain->Insert();
    Plain->FieldByName(QStringLiteral("ID"))->SetAsInteger(100);
    Plain->Post();
    EXPECT_EQ(IdAt(0), 100);
    EXPECT_TRUE(Grid->CheckDataConsistency());
    Plain->Delete();
    EXPECT_EQ(IdAt(0), 1);
    Plain->SetOnFilterRecord(TFilterRecordEvent::Callable([](TDataSet* ds, bool& accept) {
        accept = ds->FieldByName(QStringLiteral("ID"))->AsInteger() <= 3;
    }));
    Plain->SetFiltered(true);
    EXPECT_EQ(Grid->RowCount(), 1 + 3);
    EXPECT_EQ(IdAt(2), 3);
    EXPECT_TRUE(Grid->CheckDataConsistency());
    Grid->Repaint();
    Pump();
}

TEST_F(GridFixture, NestedReadsRestoreEachLevel) {
    UsePlain(20);
    Grid->MoveBy(2);
    const int active = Grid->DataLink()->ActiveRecord();
    Grid->InstantReadRowEnter(5);
    Grid->InstantReadRowEnter(7);
    EXPECT_EQ(Id(), 8);
    EXPECT_EQ(Grid->OldActiveRecord(), active); // the outermost saved position
    EXPECT_TRUE(Grid->IsDataRowCurrent(active));
    Grid->InstantReadRowLeave();
    EXPECT_EQ(Id(), 6);
    Grid->InstantReadRowLeave();
    EXPECT_EQ(Grid->DataLink()->ActiveRecord(), active);
    EXPECT_EQ(Grid->OldActiveRecord(), -1);
}

TEST_F(GridFixture, SaveAndRestoreBookmarkKeepThePlaceInThePage) {
    UsePlain(40);
    Grid->MoveBy(7);
    const int rc = Grid->DataLink()->RecordCount();
    const int ar = Grid->DataLink()->ActiveRecord();
    Grid->SaveBookmark();
    EXPECT_EQ(Grid->LookedOffset(), ar - rc / 2 + (rc + 1) % 2);
    Plain->Last();
    Grid->RestoreBookmark();
    EXPECT_EQ(Id(), 8);
}

// A data set that fails while the grid fetches rows: the grid stays consistent and says so once.
TEST_F(GridFixture, FetchFailureLeavesGridConsistentAndIsReportedOnce) {
    UsePlain(60);
    int reports = 0;
    Application->OnException = TExceptionEvent::Callable([&](TObject*, Exception* e) {
        ++reports;
        EXPECT_EQ(e->Message(), "read failed");
    });
    Plain->FailReads = true;
    Grid->SetHeight(Grid->Height() + 100); // a larger page asks for more records
    Pump();
    Grid->SetHeight(Grid->Height() + 40);
    Grid->Repaint();
    Pump();
    Application->OnException = TExceptionEvent();
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(Grid->LastFetchError(), "read failed");
    EXPECT_TRUE(Grid->CheckDataConsistency());
    Plain->FailReads = false;
    Grid->MoveBy(1);
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

// ---------------------------------------------------------------------------------------------
// Keys, clicks and the scroll bar

TEST_F(GridFixture, KeysMoveTheCurrentRecord) {
    UseTable(100);
    Grid->SetFocus();
    const int page = std::max(1, Grid->DataRowCount() > 0 ? Grid->VisibleRowCount() : 1);
    struct Case {
        Word Key;
        bool Ctrl;
        int From;
        int To; // 0: depends on the page size
    } cases[] = {
        {VK_DOWN, false, 1, 2}, {VK_UP, false, 5, 4},    {VK_UP, false, 1, 1},     {VK_DOWN, false, 100, 100},
        {VK_HOME, true, 50, 1}, {VK_END, true, 50, 100}, {VK_PRIOR, true, 50, -1}, {VK_NEXT, true, 3, -2},
        {VK_NEXT, false, 1, 0}, {VK_HOME, false, 7, 1},  {VK_END, false, 7, 100},
    };
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgRowSelect});
    for (const Case& c : cases) {
        Table->SetRecNo(c.From);
        // -1 and -2: the first and last records of the link's buffer.
        const int firstBuffered = c.From - Grid->DataLink()->ActiveRecord();
        const int lastBuffered = firstBuffered + Grid->DataLink()->RecordCount() - 1;
        Key(c.Key, c.Ctrl);
        int expected = c.To ? c.To : std::min(100, c.From + std::max(1, page - 1 > 0 ? page - 1 : 1));
        if (c.To == -1) expected = firstBuffered;
        if (c.To == -2) expected = lastBuffered;
        if (c.To)
            EXPECT_EQ(Table->RecNo(), expected) << c.Key << " from " << c.From;
        else
            EXPECT_GT(Table->RecNo(), c.From + 3) << c.Key;
        EXPECT_TRUE(Grid->CheckDataConsistency());
    }
}

TEST_F(GridFixture, KeysStepColumnsAppendAndDelete) {
    UseTable(5);
    Grid->SetFocus();
    Grid->SetOptions(DefaultDBGridOptions - TDBGridOptions{dgConfirmDelete});
    Table->Last();
    Pump();
    // Down at the end appends; Up drops the untouched new record.
    Key(VK_DOWN);
    EXPECT_EQ(Table->State(), dsInsert);
    Key(VK_UP);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Table->RecordCount(), 5);
    EXPECT_TRUE(Grid->CheckDataConsistency());

    // Tab walks the columns and wraps to the next record's first column.
    Table->First();
    Grid->SetSelectedIndex(0);
    const struct {
        Word Key;
        bool Ctrl;
        int Column;
        int RecNo;
    } steps[] = {{VK_TAB, false, 1, 1},  {VK_TAB, false, 2, 1}, {VK_TAB, false, 0, 2},
                 {VK_RIGHT, true, 2, 2}, {VK_LEFT, true, 0, 2}, {VK_RIGHT, false, 1, 2},
                 {VK_END, false, 2, 2},  {VK_HOME, false, 0, 2}};
    for (const auto& st : steps) {
        Key(st.Key, st.Ctrl);
        EXPECT_EQ(Grid->SelectedIndex(), st.Column) << st.Key;
        EXPECT_EQ(Table->RecNo(), st.RecNo) << st.Key;
    }

    // Leaving and entering a column are reported in that order; a data click is a cell click.
    std::vector<String> log;
    Grid->OnColExit = TNotifyEvent::Callable([&](TObject*) { log.push_back(QStringLiteral("exit")); });
    Grid->OnColEnter = TNotifyEvent::Callable([&](TObject*) { log.push_back(QStringLiteral("enter")); });
    Grid->OnCellClick = TDBGridEhClickEvent::Callable([&](TColumnEh* c) { log.push_back(c->FieldName()); });
    Key(VK_RIGHT);
    EXPECT_EQ(log, (std::vector<String>{"exit", "enter"}));
    log.clear();
    const TPoint p = CellCentre(3, 1);
    Click(p.X, p.Y);
    EXPECT_EQ(log, (std::vector<String>{"exit", "enter", "Qty"}));
    EXPECT_EQ(Grid->SelectedIndex(), 2);
    Grid->OnColExit = {};
    Grid->OnColEnter = {};
    Grid->OnCellClick = {};

    // Ctrl+Delete deletes the current record when deleting is allowed.
    Key(VK_DELETE, true);
    EXPECT_EQ(Table->RecordCount(), 4);
    Grid->SetAllowedOperations({});
    Key(VK_DELETE, true);
    EXPECT_EQ(Table->RecordCount(), 4);
    // Without editing, Down at the end stays.
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgEditing});
    Table->Last();
    Key(VK_DOWN);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(GridFixture, QueuedKeysSelectCopyValuesAndCycleColumns) {
    UseTable(6);
    Grid->SetFocus();
    Pump();
    // A key handler that fails is a failure of the test, not a box nobody closes.
    Application->OnException = TExceptionEvent::Callable(
        [](TObject*, Exception* e) { ADD_FAILURE() << e->Message().toStdString(); });
    const auto noHandler = qScopeGuard([] { Application->OnException = TExceptionEvent(); });
    // Keys as the user types them: posted to the grid's window with the modifiers held.
    auto press = [&](Word vk, TShiftState shift = {}) {
        SetKeyDown(VK_CONTROL, shift.Contains(ssCtrl));
        SetKeyDown(VK_SHIFT, shift.Contains(ssShift));
        PostMessage(Grid->Handle(), WM_KEYDOWN, vk, 0);
        Pump();
        SetKeyDown(VK_CONTROL, false);
        SetKeyDown(VK_SHIFT, false);
    };
    // Ctrl+A bookmarks every record when record selection is allowed; Escape drops the selection.
    press('A', {ssCtrl});
    EXPECT_EQ(Grid->SelectedRows()->Count(), 6);
    press(VK_ESCAPE);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 0);

    // Ctrl+' takes the same field's value from the record before.
    Table->SetRecNo(4);
    Grid->SetSelectedIndex(1);
    Pump();
    press(0xDE, {ssCtrl});
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Table->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Name 3"));
    press(VK_ESCAPE);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Table->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Name 4"));

    // Ctrl+Home and Ctrl+End go to the first and last records; Ctrl+Right to the last column.
    press(VK_END, {ssCtrl});
    EXPECT_EQ(Table->RecNo(), 6);
    press(VK_HOME, {ssCtrl});
    EXPECT_EQ(Table->RecNo(), 1);
    press(VK_RIGHT, {ssCtrl});
    EXPECT_EQ(Grid->SelectedIndex(), 2);

    // With several rows selectable, Shift+End extends the record selection to the last record.
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect, dgRowSelect});
    Grid->SetAllowedSelections({gstRecordBookmarks});
    Pump();
    press(VK_END, {ssShift});
    EXPECT_EQ(Table->RecNo(), 6);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 6);
    press(VK_HOME);
    EXPECT_EQ(Table->RecNo(), 1);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 0);

    // Characters: a typed letter opens the editor with it.
    Grid->SetOptions(DefaultDBGridOptions);
    Grid->SetSelectedIndex(1);
    Pump();
    PostMessage(Grid->Handle(), WM_CHAR, 'Q', 0);
    Pump();
    ASSERT_TRUE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("Q"));
    EXPECT_TRUE(Grid->GetCompleteKeyPress().isEmpty());
    Grid->HideEditor();
    Table->Cancel();
    Pump();
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(GridFixture, ClicksSelectRowsAndTitlesMarkTheSort) {
    UseTable(20);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghAutoSortMarking, dghMultiSortMarking});
    Grid->ColumnDefValues()->Title()->SetTitleButton(true);
    int titleClicks = 0;
    Grid->OnTitleClick = TDBGridEhClickEvent::Callable([&](TColumnEh*) { ++titleClicks; });
    int dbl = 0;
    Grid->OnDblClick = TNotifyEvent::Callable([&](TObject*) { ++dbl; });

    // A click in a data row makes its record current.
    TPoint p = CellCentre(2, 4);
    Click(p.X, p.Y);
    EXPECT_EQ(Table->RecNo(), 4);
    EXPECT_FALSE(Grid->MouseCapture());
    Grid->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, Pt(p.X, p.Y));
    EXPECT_EQ(dbl, 1);

    // A title click marks the column and sorts the table; a second one turns the order.
    p = CellCentre(2, 0);
    Click(p.X, p.Y);
    EXPECT_EQ(titleClicks, 1);
    TColumnEh* name = Grid->VisibleColumn(1);
    EXPECT_EQ(name->Title()->SortMarker(), smUpEh); // a text column ascends first
    EXPECT_EQ(Table->SortOrder(), "Name");
    EXPECT_EQ(Grid->Row(), Table->RecNo());
    Click(p.X, p.Y);
    EXPECT_EQ(name->Title()->SortMarker(), smDownEh);
    EXPECT_EQ(Table->SortOrder(), "Name DESC");
    EXPECT_TRUE(Grid->CheckDataConsistency());
    {
        Table->First();
        EXPECT_EQ(Table->FieldByName(QStringLiteral("Name"))->AsString(), "Name 9");
    }

    // Ctrl collects markers on several titles and applies them when it is released.
    const TPoint q = CellCentre(3, 0);
    SetKeyDown(VK_CONTROL, true);
    Click(q.X, q.Y, MK_CONTROL);
    EXPECT_EQ(Table->SortOrder(), "Name DESC"); // not yet
    EXPECT_EQ(Grid->SortMarkedColumns()->Count(), 2);
    EXPECT_EQ(Grid->VisibleColumn(2)->Title()->SortIndex(), 2);
    Grid->Perform(WM_KEYUP, VK_CONTROL, 0);
    SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(Table->SortOrder(), "Name DESC, Qty DESC"); // a number column descends first

    // A plain click clears the other markers.
    Click(q.X, q.Y);
    EXPECT_EQ(name->Title()->SortMarker(), smNoneEh);
    EXPECT_EQ(Grid->SortMarkedColumns()->Count(), 1);

    // The mouse released elsewhere is no title click.
    Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(p.X, p.Y));
    Grid->Perform(WM_LBUTTONUP, 0, Pt(p.X, p.Y + 100));
    EXPECT_EQ(titleClicks, 4);
}

// A grid whose focus is taken away as it arrives ignores the click and keeps no capture.
TEST_F(GridFixture, RefusedFocusKeepsNoCapture) {
    UseTable(10);
    auto* other = Create<TEdit>(Form);
    other->SetParent(Form);
    other->SetBounds(0, 320, 100, 24);
    other->SetFocus();
    Pump();
    Grid->OnEnter = TNotifyEvent::Callable([other](TObject*) { other->SetFocus(); });
    Table->SetRecNo(2);
    const TPoint p = CellCentre(2, 5);
    Grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pt(p.X, p.Y));
    EXPECT_FALSE(Grid->Focused());
    EXPECT_FALSE(Grid->MouseCapture());
    EXPECT_EQ(Table->RecNo(), 2);
    Grid->Perform(WM_LBUTTONUP, 0, Pt(p.X, p.Y));
    Grid->OnEnter = nullptr;
}

TEST_F(GridFixture, ScrollBarFollowsTheRecord) {
    UseTable(200);
    auto pos = [&] {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_ALL;
        ::GetScrollInfo(Grid->Handle(), SB_VERT, &si);
        return std::make_pair(si.nPos, si.nMax);
    };
    EXPECT_EQ(pos().first, 1); // the bar counts from 1
    const int max = pos().second;
    EXPECT_GT(max, 150);
    Table->SetRecNo(100);
    EXPECT_GT(pos().first, 50);
    EXPECT_LT(pos().first, 100);
    Table->Last();
    EXPECT_GE(pos().first, 180);
    // Over a memory table the bar scrolls the rows and leaves the record where it is; a page is
    // at least one row and the top row never leaves the rows that fill the last page.
    Table->First();
    const int fixed = Grid->FixedRows();
    ASSERT_EQ(Grid->TopRow(), fixed);
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 0), 0);
    EXPECT_EQ(Grid->TopRow(), fixed);
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    const int page = Grid->TopRow() - fixed;
    EXPECT_GT(page, 5);
    EXPECT_EQ(Table->RecNo(), 1);
    EXPECT_EQ(pos().first, Grid->TopRow() - fixed + 1);
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(Grid->TopRow(), fixed + page + 1);
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    const int last = Grid->SafeMoveTop(Grid->RowCount(), true);
    EXPECT_EQ(Grid->TopRow(), last);
    EXPECT_GT(last, fixed + 150);
    EXPECT_EQ(Table->RecNo(), 1);
    // Asking only never scrolls; a row beyond the last page answers the last page's top row.
    EXPECT_EQ(Grid->SafeMoveTop(fixed + 3, true), fixed + 3);
    EXPECT_EQ(Grid->TopRow(), last);
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 11), 0);
    EXPECT_EQ(Grid->TopRow(), fixed + 10);
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    EXPECT_EQ(Grid->TopRow(), fixed);
    EXPECT_EQ(Table->RecNo(), 1);
    // Deleting rows below never leaves the top row past the last page.
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    Table->Last();
    for (int i = 0; i < 50; ++i)
        Table->Delete();
    Pump();
    EXPECT_EQ(Grid->TopRow(), Grid->SafeMoveTop(Grid->RowCount(), true));
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

TEST_F(GridFixture, WheelStepsAndPixelScrollingOverAMemoryTable) {
    UseTable(200);
    const int fixed = Grid->FixedRows();
    auto wheel = [&](int delta, WPARAM keys = 0) {
        PostMessage(Grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(Word(keys), Word(SmallInt(delta))), Pt(50, 50));
        Pump();
    };
    // Rows scroll, the record stays; Shift steps the record, Ctrl pages the rows, both page the
    // record.
    wheel(-120);
    EXPECT_EQ(Grid->TopRow(), fixed + 1);
    EXPECT_EQ(Table->RecNo(), 1);
    wheel(-120, MK_SHIFT);
    EXPECT_EQ(Table->RecNo(), 2);
    const int page = Grid->VisibleRowCount();
    wheel(-120, MK_CONTROL);
    EXPECT_EQ(Grid->TopRow(), fixed + 1 + page);
    wheel(-120, MK_CONTROL | MK_SHIFT);
    EXPECT_EQ(Table->RecNo(), 2 + page);
    wheel(120, MK_CONTROL);
    EXPECT_EQ(Grid->TopRow(), fixed + 1);
    // The wheel-up event comes first and may keep the step.
    int ups = 0, downs = 0;
    Grid->OnMouseWheelUp =
        TMouseWheelUpDownEvent::Callable([&](TObject*, TShiftState, TPoint, bool& Handled) {
            ++ups;
            Handled = true;
        });
    Grid->OnMouseWheelDown =
        TMouseWheelUpDownEvent::Callable([&](TObject*, TShiftState, TPoint, bool&) { ++downs; });
    wheel(120);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(downs, 0);
    EXPECT_EQ(Grid->TopRow(), fixed + 1);
    Grid->OnMouseWheelUp = TMouseWheelUpDownEvent();
    Grid->OnMouseWheelDown = TMouseWheelUpDownEvent();

    // Smooth steps: the window's own bar scrolls pixels, the wheel and line codes move the rows
    // part of a row at a time.
    Grid->VertScrollBar()->SetSmoothStep(true);
    Pump();
    EXPECT_TRUE(Grid->BaseOptions().Contains(goThumbTracking));
    EXPECT_TRUE(Grid->ScrollBars() == ssBoth || Grid->ScrollBars() == ssVertical);
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    EXPECT_EQ(Grid->TopRow(), fixed);
    EXPECT_EQ(Grid->TopRowOffset(), 0);
    wheel(-120);
    const int rowH = Grid->RowHeights(fixed) + Grid->GridLineWidth();
    const int moved = (Grid->TopRow() - fixed) * rowH + Grid->TopRowOffset();
    EXPECT_GT(moved, 0);
    EXPECT_NE(moved % rowH, 0) << "a pixel step, not a whole row";
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    EXPECT_EQ(Grid->TopRow(), fixed);
    EXPECT_EQ(Grid->TopRowOffset(), 0);
    EXPECT_EQ(Table->RecNo(), 2 + page);
    // Back to line steps: the window's bar goes, the grid feeds its own.
    Grid->VertScrollBar()->SetSmoothStep(false);
    Pump();
    EXPECT_EQ(Grid->ScrollBars(), ssHorizontal);
}

TEST_F(GridFixture, WheelInPlainModeMovesTheRecord) {
    UsePlain(40);
    int events = 0;
    Grid->OnMouseWheelDown =
        TMouseWheelUpDownEvent::Callable([&](TObject*, TShiftState, TPoint, bool&) { ++events; });
    PostMessage(Grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, Word(SmallInt(-120))), Pt(50, 50));
    Pump();
    EXPECT_EQ(Plain->RecNo(), 2);
    EXPECT_EQ(events, 0);
    // A scroll by one record keeps the page's rows consistent with the buffer.
    for (int i = 0; i < 30; ++i)
        Grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_TRUE(Grid->CheckDataConsistency());
    EXPECT_EQ(Plain->RecNo(), Grid->DataRowToRecNo(Grid->Row() - Grid->TopDataOffset()));
    EXPECT_GT(Plain->RecNo(), 25);
}

// ---------------------------------------------------------------------------------------------
// Indicator texts and screenshots

TEST_F(GridFixture, RecordNumbersInTheIndicator) {
    UseTable(30);
    Grid->SetOptionsEh(Grid->OptionsEh() + TDBGridEhOptions{dghShowRecNo});
    Grid->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRecNoEh});
    EXPECT_GT(Grid->ColWidths(0), 11);
    // A step of 0 shows every number, like 1.
    Grid->IndicatorParams()->SetRecNoShowStep(0);
    Grid->Repaint();
    Pump();
}

TEST_F(GridFixture, ScreenshotOfTitlesIndicatorNumbersAndSortMarkers) {
    UseTable(40);
    Grid->SetOptionsEh(Grid->OptionsEh() +
                       TDBGridEhOptions{dghShowRecNo, dghAutoSortMarking, dghMultiSortMarking});
    Grid->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRecNoEh});
    Grid->SetEvenRowColor(clInfoBk);
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgRowSelect, dgAlwaysShowSelection});
    Grid->VisibleColumn(2)->Title()->SetSortMarker(smDownEh);
    Grid->VisibleColumn(1)->Title()->SetSortMarker(smUpEh);
    Grid->SortMarkingChanged();
    Table->SetRecNo(4);
    Grid->SetFocus();
    Pump();
    QImage img = Grid->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_titles_recno_sort"))));
}

// The text over an empty data set: only while active, over an active and empty data set.
TEST_F(GridFixture, EmptyDataTextOverAnEmptyDataSet) {
    TGridEmptyDataInfoEh* info = Grid->EmptyDataInfo();
    EXPECT_FALSE(info->Active());
    EXPECT_EQ(info->ActualText(), "Нет данных");
    EXPECT_FALSE(info->Showing()); // no data set
    UseTable(0);
    EXPECT_FALSE(info->Showing()); // not active
    info->SetActive(true);
    EXPECT_TRUE(info->Showing());
    DefaultEmptyDataText = QStringLiteral("Пусто");
    EXPECT_EQ(info->ActualText(), "Пусто");
    DefaultEmptyDataText.clear();
    Grid->SetFocus();
    Pump();
    QImage img = Grid->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(QStringLiteral("dbgrid_empty_data_text"))));
    // The text is drawn in the middle of the data area, in grey over the grid's colour.
    TGridDrawInfoEh di;
    Grid->CalcDrawInfo(di);
    const int cx = (di.Horz.FixedBoundary + di.Horz.ContraExtent) / 2;
    const int cy = (di.Vert.FixedBoundary + di.Vert.ContraExtent) / 2;
    bool grey = false;
    for (int x = cx - 30; x < cx + 30 && !grey; ++x)
        for (int y = cy - 6; y < cy + 6 && !grey; ++y)
            grey = QColor(img.pixel(x, y)) != QColor(Qt::white);
    EXPECT_TRUE(grey);
    Table->AppendRecord({Variant(1), Variant(QStringLiteral("a")), Variant(1)});
    EXPECT_FALSE(info->Showing());
    Table->Close();
    EXPECT_FALSE(info->Showing());
}
