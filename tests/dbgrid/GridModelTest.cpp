// The data grid's model reactions: the link switched off and on and the data set changed under
// a memory table and a plain data set, the grid's properties in component streams, column
// sizing with auto-fit, the deletion question, the editor's permissions and the colour depth.

#include "DBGridTestFixture.h"

#include "db/TestDataSet.h"
#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/memtable/MemTableEh.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/ScreenDepth.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QRegularExpression>
#include <QScopeGuard>

namespace {

struct ModelFixture : DBGridFormFixture<TDBGridEh> {
    TTestDataSet* Plain = nullptr;

    ModelFixture() : DBGridFormFixture(360, 300) {}

    void UsePlain(int N) {
        Plain = new TTestDataSet(Form);
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
    void SelectRecords(std::initializer_list<int> Ids) {
        TDBGridOptions o = Grid->Options();
        o.Include(dgMultiSelect);
        Grid->SetOptions(o);
        for (int id : Ids) {
            DS()->Locate(QStringLiteral("ID"), Variant(id), {});
            Grid->SelectedRows()->SetCurrentRowSelected(true);
        }
    }
};

String StreamText(TComponent* C) {
    TMemoryStream bin;
    WriteComponent(&bin, C);
    bin.SetPosition(0);
    TStringStream text;
    ObjectBinaryToText(&bin, &text);
    return text.DataString();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The data link

TEST_F(ModelFixture, LinkOffAndOnResetsSelectionRowsAndSumListOverBothKinds) {
    for (bool mem : {true, false}) {
        SCOPED_TRACE(mem ? "memory table" : "plain data set");
        if (mem)
            UseTable(12);
        else
            UsePlain(12);
        ASSERT_EQ(Grid->UsesMemTable(), mem);
        SelectRecords({2, 5});
        ASSERT_EQ(Grid->SelectedRows()->Count(), 2);
        EXPECT_EQ(Grid->SumList()->DataSet(), DS());

        DS()->Close();
        EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
        EXPECT_EQ(Grid->RowCount(), Grid->TopDataOffset() + 1);
        EXPECT_TRUE(Grid->CheckDataConsistency());

        DS()->Open();
        DS()->Locate(QStringLiteral("ID"), Variant(4), {});
        EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
        EXPECT_EQ(Grid->UsesMemTable(), mem);
        EXPECT_GT(Grid->RowCount(), Grid->TopDataOffset() + 1);
        EXPECT_TRUE(Grid->CheckDataConsistency());
        Grid->InstantReadRowEnter(Grid->Row() - Grid->TopDataOffset());
        EXPECT_EQ(DS()->FieldByName(QStringLiteral("ID"))->AsInteger(), 4);
        Grid->InstantReadRowLeave();

        // A new data source takes the sum list along.
        Grid->SetDataSource(nullptr);
        EXPECT_EQ(Grid->SumList()->DataSet(), nullptr);
        EXPECT_FALSE(Grid->UsesMemTable());
        Grid->SetDataSource(Source);
        EXPECT_EQ(Grid->SumList()->DataSet(), DS());
        Source->SetDataSet(nullptr);
        DS()->Free();
        Table = nullptr;
        Plain = nullptr;
    }
}

TEST_F(ModelFixture, DataSetChangeDropsSelectedRowsOfDeletedRecords) {
    for (bool mem : {true, false}) {
        SCOPED_TRACE(mem ? "memory table" : "plain data set");
        if (mem)
            UseTable(8);
        else
            UsePlain(8);
        SelectRecords({3, 6});
        DS()->Locate(QStringLiteral("ID"), Variant(6), {});
        DS()->Delete();
        // The bookmark of the deleted record goes with the change of the data set (a memory
        // table's bookmarks of deleted records stay valid: it keeps them).
        EXPECT_EQ(Grid->SelectedRows()->Count(), mem ? 2 : 1);
        EXPECT_TRUE(Grid->CheckDataConsistency());
        // While the record is edited its bookmarks are left alone.
        DS()->Locate(QStringLiteral("ID"), Variant(3), {});
        const int before = Grid->SelectedRows()->Count();
        DS()->Edit();
        Grid->LinkDataSetChanged();
        EXPECT_EQ(Grid->SelectedRows()->Count(), before);
        DS()->Cancel();
        Source->SetDataSet(nullptr);
        DS()->Free();
        Table = nullptr;
        Plain = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// Streams

TEST_F(ModelFixture, PropertiesRoundTripThroughBinaryAndTextStreams) {
    UseTable(3);
    Grid->SetName(QStringLiteral("Grid1"));
    Grid->SetAllowedOperations(TDBGridEhAllowedOperations{alopUpdateEh});
    Grid->SetAllowedSelections(TDBGridEhAllowedSelections{gstRecordBookmarks});
    Grid->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColLines, dgRowLines, dgTabs, dgRowSelect,
                                    dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit});
    Grid->SetOptionsEh(TDBGridEhOptions{dghFixed3D, dghHighlightFocus, dghClearSelection, dghDialogFind,
                                        dghShowRecNo, dghExtendVertLines});
    Grid->SetEvenRowColor(clInfoBk);
    Grid->SetOddRowColor(Grid->Color()); // equal to Color, but assigned: stored
    Grid->SetFrozenCols(1);
    Grid->SetRowSizingAllowed(true);
    Grid->SetEditActions(TDBGridEhEditActions{geaCopyEh, geaSelectAllEh});
    Grid->TitleParams()->SetRowHeight(30);
    Grid->TitleParams()->SetMultiTitle(true);
    Grid->TitleParams()->SetHorzLines(false);
    Grid->FooterParams()->SetColor(clInfoBk);
    Grid->FooterParams()->SetVertLines(false);
    Grid->IndicatorParams()->SetRecNoShowStep(5);
    Grid->IndicatorTitle()->SetUseGlobalMenu(false);
    Grid->IndicatorTitle()->SetShowDropDownSign(true);
    Grid->EmptyDataInfo()->SetActive(true);
    Grid->EmptyDataInfo()->SetText(QStringLiteral("Пусто"));
    Grid->GridLineParams()->SetGridBoundaries(true);
    Grid->TreeViewParams()->SetShowTreeLines(false);
    Grid->DBBackgroundData()->SetExcludeTitle(true);

    const String text = StreamText(Grid);
    for (const char* name : {"EvenRowColor = ", "TitleParams.RowHeight = 30",
                             "FooterParams.Color = ", "IndicatorTitle.UseGlobalMenu = False",
                             "OddRowColor = ", "IndicatorOptions = [gioShowRowIndicatorEh, gioShowRecNoEh]"})
        EXPECT_TRUE(text.contains(QLatin1String(name))) << name << "\n" << text.toStdString();
    // Defaults and values that follow the grid stay out.
    for (const char* name :
         {"  Color =", "FixedColor", "TitleParams.Color", "TitleFont", "FooterFont", "TitleHeight",
          "AutoFitColWidths", "TitleParams.VertLines =", "DefaultDrawing", "DynProps", "VertEmptySpaceStyle"})
        EXPECT_FALSE(text.contains(QLatin1String(name))) << name << "\n" << text.toStdString();

    auto check = [&](TDBGridEh* g) {
        EXPECT_EQ(g->AllowedOperations(), TDBGridEhAllowedOperations{alopUpdateEh});
        EXPECT_EQ(g->AllowedSelections(), TDBGridEhAllowedSelections{gstRecordBookmarks});
        EXPECT_EQ(g->Options(), Grid->Options());
        EXPECT_EQ(g->OptionsEh(), Grid->OptionsEh());
        EXPECT_EQ(g->IndicatorOptions(), Grid->IndicatorOptions());
        EXPECT_EQ(g->EvenRowColor(), clInfoBk);
        EXPECT_TRUE(g->OddRowColorStored());
        EXPECT_EQ(g->FrozenCols(), 1);
        EXPECT_TRUE(g->RowSizingAllowed());
        EXPECT_EQ(g->EditActions(), (TDBGridEhEditActions{geaCopyEh, geaSelectAllEh}));
        EXPECT_EQ(g->TitleParams()->RowHeight(), 30);
        EXPECT_TRUE(g->TitleParams()->MultiTitle());
        EXPECT_FALSE(g->TitleParams()->HorzLines());
        EXPECT_TRUE(g->TitleParams()->HorzLinesStored());
        EXPECT_EQ(g->FooterParams()->Color(), clInfoBk);
        EXPECT_FALSE(g->FooterParams()->VertLines());
        EXPECT_EQ(g->IndicatorParams()->RecNoShowStep(), 5);
        EXPECT_FALSE(g->IndicatorTitle()->UseGlobalMenu());
        EXPECT_TRUE(g->IndicatorTitle()->ShowDropDownSign());
        EXPECT_TRUE(g->EmptyDataInfo()->Active());
        EXPECT_EQ(g->EmptyDataInfo()->Text(), QStringLiteral("Пусто"));
        EXPECT_TRUE(g->GridLineParams()->GridBoundaries());
        EXPECT_FALSE(g->TreeViewParams()->ShowTreeLines());
        EXPECT_TRUE(g->DBBackgroundData()->ExcludeTitle());
    };

    TMemoryStream bin;
    WriteComponent(&bin, Grid);
    Grid->SetName(QStringLiteral("Grid0"));
    TDBGridEh* fromText = CheckReadBack(bin, text, check);
    // The same text comes back (the tab order depends on the form the grid lands on).
    auto withoutTabOrder = [](String t) {
        return t.remove(QRegularExpression(QStringLiteral("  TabOrder = -?\\d+\r\n"))).toStdString();
    };
    fromText->SetParent(Form);
    EXPECT_EQ(withoutTabOrder(StreamText(fromText)), withoutTabOrder(text));
}

// ---------------------------------------------------------------------------------------------
// Column sizing with auto-fit

TEST_F(ModelFixture, AutoFitSizingSharesTheChange) {
    UseTable(3);
    ASSERT_EQ(Grid->VisibleColumnCount(), 3);
    Grid->SetAutoFitColWidths(true);
    Pump();
    auto init = [&](int i) { return Grid->VisibleColumn(i)->InitWidth(); };

    // The next column alone gives what the sized one takes; the last takes from nobody.
    const int i0 = init(0), i1 = init(1), i2 = init(2);
    Grid->SetColWidths(1, Grid->ColWidths(1) + 20);
    EXPECT_GT(init(0), i0);
    EXPECT_EQ(init(0) + init(1), i0 + i1);
    Grid->SetColWidths(3, Grid->ColWidths(3) + 20);
    EXPECT_GT(init(2), i2);
    EXPECT_TRUE(Grid->CheckDataConsistency());

    // With dghResizeWholeRightPart all the columns on the right share it, none below 1.
    TDBGridEhOptions o = Grid->OptionsEh();
    o.Include(dghResizeWholeRightPart);
    Grid->SetOptionsEh(o);
    Pump();
    auto widths = [&](int from) {
        int sum = 0;
        for (int i = from; i < 3; ++i)
            sum += Grid->VisibleColumn(i)->Width();
        return sum;
    };
    const int right = widths(1), total = widths(0);
    const int w0 = Grid->VisibleColumn(0)->Width();
    Grid->SetColWidths(1, Grid->ColWidths(1) + 20);
    Pump();
    for (int i = 1; i < 3; ++i)
        EXPECT_GE(init(i), 1);
    // The fitted widths keep the client width: the right part gave the 20 pixels.
    EXPECT_NEAR(Grid->VisibleColumn(0)->Width(), w0 + 20, 3);
    EXPECT_NEAR(right - widths(1), 20, 3);
    EXPECT_NEAR(widths(0), total, 3);
}

// ---------------------------------------------------------------------------------------------
// Questions, permissions, colour depth

TEST_F(ModelFixture, DeletionQuestionNamesSeveralSelectedRecords) {
    UseTable(5);
    std::vector<String> asked;
    int answer = IDOK;
    SetMessageBoxHook([&](const String& Text, const String&, UINT) {
        asked.push_back(Text);
        return answer;
    });
    const auto unhook = qScopeGuard([] { SetMessageBoxHook(nullptr); });
    EXPECT_TRUE(Grid->ConfirmDeleteRecords());
    SelectRecords({1});
    answer = IDCANCEL;
    EXPECT_FALSE(Grid->ConfirmDeleteRecords());
    SelectRecords({2, 3});
    EXPECT_FALSE(Grid->ConfirmDeleteRecords());
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], QStringLiteral("Delete record?"));
    EXPECT_EQ(asked[1], QStringLiteral("Delete record?"));
    EXPECT_EQ(asked[2], QStringLiteral("Delete all selected records?"));
    // Without the option nobody is asked.
    TDBGridOptions o = Grid->Options();
    o.Exclude(dgConfirmDelete);
    Grid->SetOptions(o);
    EXPECT_TRUE(Grid->ConfirmDeleteRecords());
    EXPECT_EQ(asked.size(), 3u);
}

TEST_F(ModelFixture, InPlaceSearchKeepsTheEditorClosed) {
    UseTable(5);
    Grid->SetFocus();
    Pump();
    Grid->SetCol(2);
    Grid->StartInplaceSearch(QStringLiteral("Na"), -1, ltdDownEh);
    ASSERT_TRUE(Grid->InplaceSearching());
    auto shown = [&] { return Grid->InplaceEditor() && Grid->InplaceEditor()->Visible(); };
    Grid->SetEditorMode(true);
    EXPECT_FALSE(shown());
    Grid->StopInplaceSearch();
    Grid->SetEditorMode(true);
    EXPECT_TRUE(shown());
}

TEST(GridStyleDepthTest, PaletteScreenTurnsTintsOff) {
    const auto restore = qScopeGuard([] {
        SetScreenColorDepthOverride(0);
        DefaultGridStyle()->UpdateColorDepth();
    });
    SetScreenColorDepthOverride(8);
    DefaultGridStyle()->UpdateColorDepth();
    EXPECT_FALSE(RichColorDisplay());
    SetScreenColorDepthOverride(16);
    DefaultGridStyle()->UpdateColorDepth();
    EXPECT_TRUE(RichColorDisplay());
    // A system colour change reads the screen again.
    SetScreenColorDepthOverride(4);
    TDBGridEhStyle style(nullptr);
    EXPECT_FALSE(RichColorDisplay());
}

// Grouping over a data set that cannot be read by view rows: at run time it quietly does
// nothing; in the designer, switching it on says why.
TEST_F(ModelFixture, GroupingOverAPlainDataSetWarnsOnlyTheDesigner) {
    UsePlain(3);
    QStringList shown;
    SetMessageBoxHook([&](const String& Text, const String&, UINT) {
        shown << Text;
        return IDOK;
    });
    const auto unhook = qScopeGuard([] { SetMessageBoxHook(nullptr); });
    for (bool designing : {false, true}) {
        SCOPED_TRACE(designing ? "designing" : "running");
        shown.clear();
        Grid->SetDesigning(designing, false);
        Grid->DataGrouping()->SetActive(true);
        Grid->DataGrouping()->SetActive(false); // switching off says nothing
        EXPECT_FALSE(Grid->DataGrouping()->IsGroupingWorks());
        EXPECT_EQ(shown, designing ? QStringList{u"DataSet doesn't support IMemTableEh interface. "
                                                 u"Grouping won't work."_qs}
                                   : QStringList{});
    }
    Grid->SetDesigning(false, false);
}

// ---------------------------------------------------------------------------------------------
// Window creation, focus, cursors and the detail panel's style hook

namespace {

class TFocusProbeGrid : public TDBGridEh {
    KVT_CLASS(TFocusProbeGrid, TDBGridEh)
public:
    using TDBGridEh::TDBGridEh;
    using TCustomDBGridEh::TryAcquireFocus;
};

} // namespace

// A grid that cannot take the focus goes on without it (a click still reaches it); one that
// can takes it.
TEST_F(ModelFixture, TakingTheFocusAnswersForGridsThatCannotTakeIt) {
    UseTable(3);
    for (bool enabled : {false, true}) {
        SCOPED_TRACE(enabled);
        auto* g = Create<TFocusProbeGrid>(Form);
        g->SetParent(Form);
        g->SetBounds(0, 300, 200, 50);
        g->SetEnabled(enabled);
        Pump();
        EXPECT_TRUE(g->TryAcquireFocus());
        EXPECT_EQ(g->Focused(), enabled);
        g->Free();
    }
}

// The selection cursors are the grid's own drawn arrows, not the standard arrow the screen
// answers for an unknown cursor.
TEST_F(ModelFixture, SelectionCursorsAreDrawnOnce) {
    ASSERT_NE(Screen, nullptr);
    for (TCursor c : {TCustomDBGridEh::ColumnSelectCursor(), TCustomDBGridEh::RowSelectCursor(),
                      TCustomDBGridEh::RowSelectCursorRightToLeft()}) {
        SCOPED_TRACE(int(c));
        EXPECT_NE(c, crDefault);
        EXPECT_EQ(Screen->Cursors(c)->shape(), Qt::BitmapCursor);
    }
    EXPECT_EQ(TCustomDBGridEh::ColumnSelectCursor(), TCustomDBGridEh::ColumnSelectCursor());
}

TEST(GridStyleHook, DetailPanelTakesTheScrollBoxHook) {
    EXPECT_TRUE(TStyleManager::IsStyleHookRegistered(&TRowDetailPanelControlEh::StaticClassInfo(),
                                                     &TScrollBoxStyleHook::StaticClassInfo()));
}

// A grid that gets its window with the grouping panel shown lays the panel out at once: the
// titles start below it.
TEST_F(ModelFixture, WindowCreationLaysOutTheGroupingPanel) {
    auto* g = Create<TDBGridEh>(Form);
    g->DataGrouping()->SetGroupPanelVisible(true);
    EXPECT_FALSE(g->HandleAllocated());
    g->SetParent(Form);
    g->SetBounds(0, 0, 300, 200);
    Pump();
    ASSERT_TRUE(g->HandleAllocated());
    EXPECT_GT(g->OutBoundaryData()->TopIndent(), 0);
    EXPECT_GE(g->CellRect(0, 0).Top, g->OutBoundaryData()->TopIndent());
    g->Free();
}

