// Grouping in the data grid: rows of group trees of one, two and three levels with footers,
// expanded and collapsed; the current row and the data set's cursor moving through them;
// records added inside groups; the grouping panel and the aggregate menu; and screenshots.

#include "DBGridTestFixture.h"
#include "lib/dbgrid/DBGridEhSelection.h"

#include "memtable/MemTableFixture.h"

#include "lib/dbgrid/DBGridEhImpExp.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"
#include "lib/tools/ToolCtrlsEh.h"
#include "lib/dbgrid/DBGridEhSelection.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/StdCtrls.h"

#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QWidget>

// Opens the panel's drop and the painters' state to the tests.
class TGroupProbeGrid : public TDBGridEh {
    KVT_CLASS(TGroupProbeGrid, TDBGridEh)
public:
    using TDBGridEh::TDBGridEh;
    // Drops the title of data column DataCol into the panel at X.
    void DropTitle(int DataCol, int X) {
        FPressedDataCol = DataCol;
        FMoveIndex = DataCol + IndicatorOffset();
        FGroupDataMovingIndex = -1;
        EndGroupPanelTitleMoving(TShiftState(), X, true, DataGrouping()->Top() + 5);
    }
    // Drops the box of active level Level into the panel at X.
    void DropLevel(int Level, int X) {
        FGroupDataMovingIndex = Level;
        EndGroupPanelTitleMoving(TShiftState(), X, true, DataGrouping()->Top() + 5);
    }
    size_t DrawnGroups() const { return FDrawnGroupList.size(); }
    int FooterIndents = 0;
    void DrawGroupFooterIndent(int DataCol, int DataRow, bool The3DRect, const TRect& ARect, TGridDrawState AState,
                               int Level) override {
        ++FooterIndents;
        TDBGridEh::DrawGroupFooterIndent(DataCol, DataRow, The3DRect, ARect, AState, Level);
    }
    bool RowPanelColumnMoving() const { return FRowPanelMoving; }
    int MovedRowPanelColumn() const { return FToMoveColumnIndex; }
    void Cancel() { CancelMode(); }
    int ExtraFirstColumnWidth() const { return FExtraFirstColumnWidth; }
    void Key(Word key, TShiftState shift = TShiftState()) { KeyDown(key, shift); }
    void Click(int X, int Y) {
        MouseDown(mbLeft, TShiftState{ssLeft}, X, Y);
        MouseUp(mbLeft, TShiftState(), X, Y);
    }
    void Press(int X, int Y) { MouseDown(mbLeft, TShiftState{ssLeft}, X, Y); }
    void Move(int X, int Y, TShiftState Shift = TShiftState()) { MouseMove(Shift, X, Y); }
    void Release(int X, int Y) { MouseUp(mbLeft, TShiftState(), X, Y); }
    void Drag(TPoint From, TPoint To) {
        MouseDown(mbLeft, TShiftState{ssLeft}, From.X, From.Y);
        MouseMove(TShiftState{ssLeft}, (From.X + To.X) / 2, To.Y);
        MouseMove(TShiftState{ssLeft}, To.X, To.Y);
        MouseUp(mbLeft, TShiftState(), To.X, To.Y);
    }
};

namespace {

struct GroupedGrid : DBGridFormFixture<TGroupProbeGrid> {
    GroupedGrid() : DBGridFormFixture(420, 400) {}

    void SetUp() override {
        DBGridFormFixture::SetUp();
        SetFormatSettings(TFormatSettings::Invariant());
        Table = MakeTable({"Region:s", "City:s", "Kind:i", "Amount:f"}, Form).release();
        for (const char* f : {"Region", "City", "Kind", "Amount"})
            Grid->Columns()->Add()->SetFieldName(QString::fromLatin1(f));
        Table->DisableControls();
        Row(u"West"_qs, u"Oslo"_qs, 1, 10.0);
        Row(u"East"_qs, u"Kiev"_qs, 2, 5.0);
        Row(u"West"_qs, u"Bergen"_qs, 1, Null());
        Row(u"East"_qs, u"Kiev"_qs, 1, 7.5);
        Row(u"West"_qs, u"Oslo"_qs, 2, 2.5);
        Row(u"East"_qs, u"Minsk"_qs, 2, 1.0);
        Table->EnableControls();
        Table->First();
        Source->SetDataSet(Table);
        Grid->SetDataSource(Source);
        Pump();
    }
    void Row(const Variant& region, const Variant& city, const Variant& kind, const Variant& amount) {
        AppendRow(Table, {region, city, kind, amount});
    }
    TDBGridEhDataGroupsEh* G() { return Grid->DataGrouping(); }
    TGridGroupDataTreeEh* Tree() { return G()->GroupDataTree(); }
    TColumnEh* Col(int i) { return Grid->Columns()->Columns(i); }
    void GroupBy(std::initializer_list<int> cols) {
        for (int c : cols)
            G()->GroupLevels()->Add()->SetColumn(Col(c));
        G()->SetDefaultStateExpanded(true);
        G()->SetActive(true);
        Pump();
    }
    // A visible footer summing Amount in every group and in the grand total.
    TGridDataGroupFooterEh* SumFooter() {
        TGridDataGroupFooterEh* f = G()->Footers()->Add();
        f->ColumnItems()->Item(3)->SetValueType(gfvSumEh);
        f->ColumnItems()->Item(2)->SetValueType(gfvCountEh);
        f->SetVisible(true);
        Pump();
        return f;
    }
    // The grid's data rows: group rows by key, records r<view row>, footer rows f.
    String Rows() {
        QStringList parts;
        const int top = Grid->TopDataOffset();
        for (int r = top; r < Grid->RowCount(); ++r) {
            TGroupDataTreeNodeEh* n = Tree()->GetFlatVisibleItem(r - top);
            if (n->NodeType() == dntDataSetRecordEh)
                parts << QStringLiteral("r%1").arg(n->DataSetRecordViewNo());
            else if (n->NodeType() == dntDataGroupFooterEh)
                parts << QStringLiteral("f");
            else
                parts << n->DisplayValue();
        }
        return parts.join(u' ');
    }
    TGroupDataTreeNodeEh* Cur() { return Grid->CurGroupDataNode(); }
    void SelectRow(int flatIndex) { Grid->SelectGroupNode(Tree()->GetFlatVisibleItem(flatIndex), true); }
    void ExpectConsistent() {
        EXPECT_TRUE(Grid->CheckDataConsistency());
        String problem;
        EXPECT_TRUE(Tree()->CheckConsistency(&problem)) << problem.toStdString();
    }
    QImage Grab(const QString& name) {
        Grid->Repaint();
        Pump();
        QImage img = Grid->Widget()->grab().toImage();
        EXPECT_TRUE(img.save(ScreenshotPath(name)));
        return img;
    }
};

TEST_F(GroupedGrid, RowsOfOneTwoAndThreeLevels) {
    struct Case {
        std::initializer_list<int> Levels;
        const char* Rows;
        int Extra;
    };
    const Case cases[] = {
        {{0}, "East r1 r3 r5 West r0 r2 r4", 18},
        {{0, 1}, "East Kiev r1 r3 Minsk r5 West Bergen r2 Oslo r0 r4", 36},
        {{0, 1, 2}, "East Kiev 1 r3 2 r1 Minsk 2 r5 West Bergen 1 r2 Oslo 1 r0 2 r4", 54},
    };
    for (const Case& c : cases) {
        G()->SetActive(false);
        G()->GroupLevels()->Clear();
        GroupBy(c.Levels);
        EXPECT_EQ(Rows(), QString::fromLatin1(c.Rows));
        ExpectConsistent();
        // Record rows are indented by the levels in front of the first column.
        EXPECT_EQ(Grid->ColWidths(1), Col(0)->Width() + c.Extra);
        Grab(QStringLiteral("dbgrid_grouped_%1_levels").arg(int(c.Levels.size())));
        // Each group row is painted once per paint, as one band.
        int groups = 0;
        for (int i = 0; i < Tree()->FlatVisibleCount(); ++i)
            groups += Tree()->GetFlatVisibleItem(i)->NodeType() == dntDataGroupEh;
        EXPECT_EQ(Grid->DrawnGroups(), size_t(groups));
    }
    // Grouping off: plain view rows again.
    G()->SetActive(false);
    Pump();
    EXPECT_EQ(Grid->RowCount(), Grid->TopDataOffset() + 6);
    EXPECT_EQ(Grid->ColWidths(1), Col(0)->Width());
    EXPECT_TRUE(Grid->CheckDataConsistency());
}

// A grid that lets go of its table keeps no record rows of it in its group tree, and no current
// row among them; the groups come back with the table.
TEST_F(GroupedGrid, DetachedTableLeavesNoRecordNodes) {
    GroupBy({0, 1});
    SelectRow(2);
    ASSERT_EQ(Cur()->NodeType(), dntDataSetRecordEh);
    Grid->SetDataSource(nullptr);
    Pump();
    EXPECT_EQ(Tree()->Root()->Count(), 0) << "groups emptied of their records go too";
    EXPECT_EQ(Cur(), nullptr);
    String problem;
    EXPECT_TRUE(Tree()->CheckConsistency(&problem)) << problem.toStdString();
    Grid->SetDataSource(Source);
    Pump();
    EXPECT_EQ(Rows(), u"East Kiev r1 r3 Minsk r5 West Bergen r2 Oslo r0 r4"_qs);
    ExpectConsistent();
}

TEST_F(GroupedGrid, CollapsingKeepsTheCurrentRowOnTheGroup) {
    GroupBy({0, 1});
    // The cursor's record is the current row: r0 is West/Oslo.
    EXPECT_EQ(Cur()->NodeType(), dntDataSetRecordEh);
    EXPECT_EQ(Cur()->DataSetRecordViewNo(), 0);
    ExpectConsistent();

    TGroupDataTreeNodeEh* oslo = Cur()->Parent();
    oslo->SetExpanded(false);
    Pump();
    EXPECT_EQ(Cur(), oslo);
    EXPECT_EQ(Rows(), u"East Kiev r1 r3 Minsk r5 West Bergen r2 Oslo"_qs);
    ExpectConsistent();

    // Keys on the group row: Right opens it, Left closes it, Ctrl+numpad * toggles its level.
    Grid->Key(VK_RIGHT);
    EXPECT_TRUE(oslo->Expanded());
    Grid->Key(VK_LEFT);
    EXPECT_FALSE(oslo->Expanded());
    Grid->Key(VK_MULTIPLY, TShiftState{ssCtrl});
    EXPECT_EQ(Rows(), u"East Kiev r1 r3 Minsk r5 West Bergen r2 Oslo r0 r4"_qs);
    Grid->Key(VK_MULTIPLY, TShiftState{ssCtrl});
    EXPECT_EQ(Rows(), u"East Kiev Minsk West Bergen Oslo"_qs);
    ExpectConsistent();

    // A whole-view change re-derives the current row from the cursor: still the closed group.
    Table->Refresh();
    Pump();
    EXPECT_EQ(Cur()->NodeType(), dntDataGroupEh);
    EXPECT_EQ(Cur()->DisplayValue(), u"Oslo"_qs);
    ExpectConsistent();
}

TEST_F(GroupedGrid, MovingWalksTheFlatListAndCarriesTheCursor) {
    GroupBy({0});
    // Rows: East r1 r3 r5 West r0 r2 r4.
    SelectRow(2);
    EXPECT_EQ(Table->RecNo(), 4); // view row 3
    EXPECT_EQ(Grid->MoveBy(-5), -2);
    EXPECT_TRUE(Grid->CurGroupDataListBof());
    EXPECT_EQ(Grid->Row(), Grid->TopDataOffset());
    EXPECT_EQ(Table->RecNo(), 2); // a group row holds its first record
    EXPECT_EQ(Grid->MoveBy(100), 7);
    EXPECT_TRUE(Grid->CurGroupDataListEof());
    EXPECT_EQ(Table->RecNo(), 5);
    ExpectConsistent();

    // The data set moved by code: the current row follows.
    Table->First();
    Pump();
    EXPECT_EQ(Cur()->DataSetRecordViewNo(), 0);
    EXPECT_EQ(Grid->Row(), Grid->TopDataOffset() + 5);
    ExpectConsistent();

    // An empty table: a move selects nothing and ends on both ends.
    Table->EmptyTable();
    Pump();
    for (int d : {-1, 0, 1}) {
        EXPECT_EQ(Grid->GroupDataMoveBy(d, false), 0);
        EXPECT_TRUE(Grid->CurGroupDataListBof());
        EXPECT_TRUE(Grid->CurGroupDataListEof());
    }
    EXPECT_EQ(Grid->RowCount(), Grid->TopDataOffset() + 1);
    Grid->Repaint();
}

// Keys on a group footer row walk the shown columns (hidden ones are stepped over), and Tab on
// a footer or group row clears a selection that a move clears.
TEST_F(GroupedGrid, FooterRowKeysWalkTheShownColumns) {
    GroupBy({0});
    SumFooter();
    Col(2)->SetVisible(false); // Kind
    TDBGridEhOptions eh = Grid->OptionsEh();
    eh.Include(dghClearSelection);
    Grid->SetOptionsEh(eh);
    Pump();
    ASSERT_EQ(Rows(), u"East r1 r3 r5 f West r0 r2 r4 f"_qs);
    SelectRow(4);
    ASSERT_EQ(Cur()->NodeType(), dntDataGroupFooterEh);
    struct Step {
        Word key;
        int selected;
    } steps[] = {{VK_END, 3},   {VK_LEFT, 1},  {VK_LEFT, 0},  {VK_LEFT, 0},
                 {VK_RIGHT, 1}, {VK_RIGHT, 3}, {VK_RIGHT, 3}, {VK_HOME, 0}};
    for (const Step& st : steps) {
        Grid->Key(st.key);
        EXPECT_EQ(Grid->SelectedIndex(), st.selected) << "key " << st.key;
        EXPECT_EQ(Cur()->NodeType(), dntDataGroupFooterEh);
    }
    for (int row : {4, 0}) {
        SelectRow(row);
        Grid->Selection()->SelectAll();
        ASSERT_NE(Grid->Selection()->SelectionType(), gstNon);
        Grid->Key(VK_TAB);
        EXPECT_EQ(Grid->Selection()->SelectionType(), gstNon) << "row " << row;
    }
    ExpectConsistent();
}

// The colours of a group row: the selection colours while the grid has the focus, the inactive
// colour for the current row and the button face for other selected rows once it has lost it,
// and nothing at all under an update lock or without a selection to show.
TEST_F(GroupedGrid, SelectedGroupRowColoursFollowTheFocus) {
    GroupBy({0});
    SelectRow(4); // the West group row is current
    ASSERT_EQ(Cur()->DisplayValue(), u"West"_qs);
    Grid->SetFocus();
    Pump();
    ASSERT_TRUE(Grid->IsFocusInside());
    TDBGridEhStyle& style = Grid->PaintStyle();
    TFont font;
    TColor color = clWindow;
    EXPECT_TRUE(Grid->HighlightGroupDataCellColor(0, 4, String(), TGridDrawState(), color, &font));
    EXPECT_EQ(color, style.GetSelectionColor());
    EXPECT_EQ(font.Color(), style.GetSelectionFontColor());
    Grab(u"dbgrid_grouped_selected_group_row"_qs);

    auto* other = new TEdit(Form);
    other->SetParent(Form);
    other->SetBounds(0, 380, 50, 16);
    other->SetFocus();
    Pump();
    ASSERT_FALSE(Grid->IsFocusInside());
    struct Case {
        const char* name;
        int dataRow;
        bool selected, alwaysShow, locked;
        bool result;
        TColor color;
    } cases[] = {
        {"current row", 4, false, false, false, true, style.GetSelectionInactiveColor()},
        {"selected row, always shown", 0, true, true, false, true, clBtnFace},
        {"selected row, hidden without focus", 0, true, false, false, false, clWindow},
        {"row not selected", 0, false, true, false, false, clWindow},
        {"current row under an update lock", 4, false, true, true, false, clWindow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDBGridOptions o = Grid->Options();
        if (c.alwaysShow)
            o.Include(dgAlwaysShowSelection);
        else
            o.Exclude(dgAlwaysShowSelection);
        Grid->SetOptions(o);
        if (c.locked) Grid->LockUpdate();
        color = clWindow;
        const bool r = Grid->HighlightGroupDataCellColor(
            0, c.dataRow, String(), c.selected ? TGridDrawState{gdSelected} : TGridDrawState(), color, &font);
        if (c.locked) Grid->UnlockUpdate();
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(color, c.color);
    }
    Grab(u"dbgrid_grouped_selected_group_row_unfocused"_qs);
}

// Without horizontal data lines the last record's row still closes the data area under its
// level indent: in the boundary colour when the grid draws its boundaries and one is set.
TEST_F(GroupedGrid, LastRecordRowClosesTheDataAreaUnderItsIndent) {
    GroupBy({0});
    ASSERT_EQ(Rows(), u"East r1 r3 r5 West r0 r2 r4"_qs);
    TDBGridLineParamsEh* lines = Grid->GridLineParams();
    lines->SetDataHorzLines(false);
    const TColor vert = lines->GetDataVertColor(), horz = lines->GetDataHorzColor();
    struct Case {
        bool boundaries;
        TColor boundary;
        TColor expected;
    } cases[] = {{false, clDefault, DarkerColor(vert, horz)}, {true, clRed, clRed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.boundaries);
        lines->SetGridBoundaries(c.boundaries);
        lines->SetDataBoundaryColor(c.boundary);
        Pump();
        ASSERT_GT(Grid->ExtraFirstColumnWidth(), 0);
        const QImage img = Grab(u"dbgrid_grouped_last_row_line"_qs);
        const TRect cell = Grid->CellRect(Grid->IndicatorOffset(), Grid->TopDataOffset() + 7);
        const int x = cell.Left + Grid->ExtraFirstColumnWidth() + 3;
        // The lowest line of the row; the window's frame shifts the picture a little.
        QRgb px = 0;
        for (int y = cell.Top + 2; y <= cell.Bottom + 3; ++y)
            if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) px = img.pixel(x, y);
        EXPECT_EQ(px & 0xFFFFFF, ColorToQColor(c.expected).rgb() & 0xFFFFFF);
    }
}

TEST_F(GroupedGrid, EscOnAGroupRowClearsTheSelection) {
    GroupBy({0});
    SelectRow(0); // the East group row
    Grid->Selection()->SelectAll();
    ASSERT_NE(Grid->Selection()->SelectionType(), gstNon);
    Grid->Key(VK_ESCAPE);
    EXPECT_EQ(Grid->Selection()->SelectionType(), gstNon);
}

TEST_F(GroupedGrid, RecordsAddedInsideGroupsJoinThem) {
    GroupBy({0, 1});
    TGridDataGroupFooterEh* footer = SumFooter();
    (void)footer;
    // Insert on a record row of East/Minsk.
    Grid->SelectGroupNode(Tree()->GetNodeByRecordViewNo(5), true);
    Grid->DataInsert();
    Table->FieldByName(u"Amount"_qs)->SetAsFloat(4);
    Table->Post();
    Pump();
    EXPECT_EQ(Table->FieldByName(u"Region"_qs)->AsString(), u"East"_qs);
    EXPECT_EQ(Table->FieldByName(u"City"_qs)->AsString(), u"Minsk"_qs);
    ExpectConsistent();

    // Insert on a footer row of West/Bergen starts a record in that group.
    TGroupDataTreeNodeEh* bergen = nullptr;
    for (int i = 0; i < Tree()->FlatVisibleCount(); ++i)
        if (Tree()->GetFlatVisibleItem(i)->DisplayValue() == u"Bergen"_qs)
            bergen = Tree()->GetFlatVisibleItem(i);
    ASSERT_NE(bergen, nullptr);
    Grid->SelectGroupNode(bergen->GetFooterItem(0), true);
    Grid->Key(VK_INSERT);
    ASSERT_EQ(Table->State(), dsInsert);
    Table->FieldByName(u"Amount"_qs)->SetAsFloat(1.5);
    Table->Post();
    Pump();
    EXPECT_EQ(Table->FieldByName(u"City"_qs)->AsString(), u"Bergen"_qs);
    EXPECT_EQ(bergen->Count(), 2);
    ExpectConsistent();

    // Insert on a group row of the upper level does nothing.
    Grid->SelectGroupNode(bergen->Parent(), true);
    Grid->Key(VK_INSERT);
    EXPECT_EQ(Table->State(), dsBrowse);

    // A cancelled insert leaves no key behind for the next append.
    Grid->SelectGroupNode(Tree()->GetNodeByRecordViewNo(0), true);
    Grid->DataInsert();
    Table->Cancel();
    Grid->DataAppend();
    Table->FieldByName(u"Region"_qs)->SetAsString(u"North"_qs);
    Table->Post();
    Pump();
    EXPECT_TRUE(Table->FieldByName(u"City"_qs)->IsNull());
    ExpectConsistent();

    // Footers: the grand total over every record, the group's own sum.
    EXPECT_EQ(Grid->FullFooterRowCount(), 1);
    TGroupDataTreeNodeEh* root = Tree()->Root();
    TGridDataGroupFooterColumnItemEh* sum = root->GetFooterItem(0)->DataGroupFooter()->ColumnItems()->Item(3);
    EXPECT_EQ(sum->ConvertToDisplayText(sum->AggrValue(root->GetFooterItem(0))), u"31.5"_qs);
    EXPECT_EQ(sum->ConvertToDisplayText(sum->AggrValue(bergen->GetFooterItem(0))), u"1.5"_qs);
    Grab(u"dbgrid_grouped_inserted"_qs);
}

// Every footer node's values, depth first.
std::vector<std::vector<Variant>> FooterValues(TGroupDataTreeNodeEh* node) {
    std::vector<std::vector<Variant>> all;
    for (int i = 0; i < node->FullItemCount(); ++i) {
        auto* c = static_cast<TGroupDataTreeNodeEh*>(node->GetItem(i));
        if (c->NodeType() == dntDataGroupFooterEh) all.push_back(c->FooterValues());
        for (auto& v : FooterValues(c))
            all.push_back(std::move(v));
    }
    return all;
}

bool SameValues(const std::vector<std::vector<Variant>>& a, const std::vector<std::vector<Variant>>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].size() != b[i].size()) return false;
        for (size_t k = 0; k < a[i].size(); ++k)
            if (a[i][k].VType() != b[i][k].VType() || VarToStr(a[i][k]) != VarToStr(b[i][k])) return false;
    }
    return true;
}

TEST_F(GroupedGrid, SingleRowChangesLeaveTheFootersAsAFullPassWould) {
    GroupBy({0, 1});
    SumFooter();
    TGridDataGroupFooterEh* more = G()->Footers()->Add();
    more->ColumnItems()->Item(3)->SetValueType(gfvAvgEh);
    more->ColumnItems()->Item(1)->SetValueType(gfvMaxEh);
    more->ColumnItems()->Item(2)->SetValueType(gfvMinEh);
    more->ColumnItems()->Item(0)->SetValueType(gfvStaticTextEh);
    more->SetVisible(true);
    Pump();
    auto edit = [&](const char* city, const char* field, const Variant& value) {
        ASSERT_TRUE(Table->Locate(u"City"_qs, QString::fromLatin1(city), TLocateOptions()));
        Table->Edit();
        Table->FieldByName(QString::fromLatin1(field))->SetValue(value);
        Table->Post();
    };
    struct Step {
        const char* what;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"amount in place", [&] { edit("Minsk", "Amount", 3.25); }},
        {"amount to Null", [&] { edit("Oslo", "Amount", Null()); }},
        {"kind changes the minimum", [&] { edit("Kiev", "Kind", -4); }},
        {"into an existing group", [&] { edit("Minsk", "City", u"Kiev"_qs); }},
        {"into a new region, emptying a group", [&] { edit("Bergen", "Region", u"North"_qs); }},
        {"appended into a group", [&] { Row(u"East"_qs, u"Kiev"_qs, 7, 0.5); }},
        {"appended as a new group", [&] { Row(u"South"_qs, u"Rome"_qs, 8, 9.0); }},
        {"the last record of a group deleted",
         [&] {
             ASSERT_TRUE(Table->Locate(u"City"_qs, u"Rome"_qs, TLocateOptions()));
             Table->Delete();
         }},
        {"a record in a shared group deleted",
         [&] {
             ASSERT_TRUE(Table->Locate(u"City"_qs, u"Kiev"_qs, TLocateOptions()));
             Table->Delete();
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.run();
        Pump();
        const auto incremental = FooterValues(Tree()->Root());
        Tree()->RecalculateFootersValues();
        EXPECT_TRUE(SameValues(incremental, FooterValues(Tree()->Root())));
        ExpectConsistent();
    }
    // Left: Oslo's 2.5 (its 10 became Null) and Kiev's 7.5, 3.25 (from Minsk) and 0.5.
    TGridDataGroupFooterColumnItemEh* sum = G()->Footers()->Footer(0)->ColumnItems()->Item(3);
    TGroupDataTreeNodeEh* root = Tree()->Root();
    EXPECT_EQ(sum->ConvertToDisplayText(sum->AggrValue(root->GetFooterItem(0))), u"13.75"_qs);
}

TEST_F(GroupedGrid, AnAggregateHandlerStillSeesEveryRecordAfterAnEdit) {
    GroupBy({0});
    SumFooter();
    int calls = 0;
    Grid->OnDataGroupFooterAggregateValue = decltype(Grid->OnDataGroupFooterAggregateValue)::Callable(
        [&](TCustomDBGridEh*, TColumnEh*, TGridDataGroupFooterEh*, TGridDataGroupFooterColumnItemEh*,
            Variant&, TGroupDataTreeNodeEh*, bool&) { ++calls; });
    Table->First();
    Table->Edit();
    Table->FieldByName(u"Amount"_qs)->SetAsFloat(11);
    Table->Post();
    // Six records, each fed to its region's footer and the grand total, two items each.
    EXPECT_EQ(calls, 6 * 2 * 2);
    Grid->OnDataGroupFooterAggregateValue = nullptr;
}

TEST_F(GroupedGrid, EditingAndDeletingMoveRowsBetweenGroups) {
    GroupBy({0});
    SumFooter();
    // Rows: East r1 r3 r5 f West r0 r2 r4 f.
    EXPECT_EQ(Rows(), u"East r1 r3 r5 f West r0 r2 r4 f"_qs);
    Table->First(); // r0, West
    Table->Edit();
    Table->FieldByName(u"Region"_qs)->SetAsString(u"East"_qs);
    Table->Post();
    Pump();
    EXPECT_EQ(Rows(), u"East r0 r1 r3 r5 f West r2 r4 f"_qs);
    EXPECT_EQ(Cur()->DataSetRecordViewNo(), 0);
    ExpectConsistent();

    // Deleting every record of a group removes it; the current row stays on a live node.
    Table->Locate(u"Region"_qs, u"West"_qs, TLocateOptions());
    Table->Delete();
    Table->Locate(u"Region"_qs, u"West"_qs, TLocateOptions());
    Table->Delete();
    Pump();
    EXPECT_EQ(Rows(), u"East r0 r1 r2 r3 f"_qs);
    ExpectConsistent();
    Grid->Repaint();
    Pump();
}

TEST_F(GroupedGrid, PanelGroupsByDroppedTitlesAndTogglesOrder) {
    G()->SetGroupPanelVisible(true);
    G()->SetActive(true);
    Pump();
    const int bare = Grid->OutBoundaryData()->TopIndent();
    EXPECT_GT(bare, 0);
    Grab(u"dbgrid_group_panel_empty"_qs);

    Grid->DropTitle(1, 5); // City
    Grid->DropTitle(0, 5); // Region, left of City's middle: becomes the first level
    Pump();
    ASSERT_EQ(G()->ActiveGroupLevelsCount(), 2);
    EXPECT_EQ(G()->ActiveGroupLevels(0)->Column(), Col(0));
    EXPECT_EQ(G()->ActiveGroupLevels(1)->Column(), Col(1));
    EXPECT_FALSE(Col(0)->Visible());
    EXPECT_FALSE(Col(1)->Visible());
    const TRect b0 = G()->ActiveGroupLevels(0)->GroupPanelRect();
    const TRect b1 = G()->ActiveGroupLevels(1)->GroupPanelRect();
    EXPECT_GT(b1.Left, b0.Right);
    EXPECT_EQ(b1.Top, b0.Top + (b0.Bottom - b0.Top) / 2);
    EXPECT_GT(Grid->OutBoundaryData()->TopIndent(), bare);
    ExpectConsistent();

    // The first box dropped after the second swaps the levels.
    Grid->DropLevel(0, b1.Right + 50);
    Pump();
    EXPECT_EQ(G()->ActiveGroupLevels(0)->Column(), Col(1));
    // A column without a value to compare is refused, and nothing changes.
    Col(3)->SetFieldName(String());
    Pump();
    EXPECT_THROW(Grid->DropTitle(3, 5), Exception);
    EXPECT_EQ(G()->GroupLevels()->Count(), 2);
    Col(3)->SetFieldName(u"Amount"_qs);
    SumFooter();
    Grab(u"dbgrid_group_panel_footers"_qs);
}

// The grouping panel with the filter in the titles: a level's box carries the filter button,
// which drops the column's filter list down for that level; the box under the mouse is hot; a
// title dragged in shows the move line at the insert place and, dragged back out, goes on as a
// column move.
TEST_F(GroupedGrid, PanelBoxFilterButtonHotTrackAndMoveLine) {
    G()->SetGroupPanelVisible(true);
    Grid->STFilter()->SetVisible(true);
    Grid->STFilter()->SetLocation(stflInTitleFilterEh);
    GroupBy({0});
    TRect box = G()->ActiveGroupLevels(0)->GroupPanelRect();
    box.Offset(0, G()->Top());
    const int midY = (box.Top + box.Bottom) / 2;

    Grid->Move(box.Left + 5, midY);
    EXPECT_EQ(G()->HotTrackGroupLevelIdx(), 0);
    Grid->Move(box.Right + 30, midY);
    EXPECT_EQ(G()->HotTrackGroupLevelIdx(), -1);

    const int bw = Col(0)->GetFilterButtonAreaWidth();
    ASSERT_GT(bw, 0);
    Grid->Press(box.Right - 1 - bw / 2, midY);
    Grid->Release(box.Right - 1 - bw / 2, midY);
    ASSERT_TRUE(Grid->InTitleFilterListboxVisible());
    EXPECT_EQ(Grid->InTitleFilterListboxColumn(), Col(0));
    EXPECT_EQ(Grid->InTitleFilterListboxGroupLevel(), G()->ActiveGroupLevels(0));
    EXPECT_EQ(G()->ActiveGroupLevelsCount(), 1); // the press did not start a drag
    {
        TPopupListboxEh* list = Grid->GetInTitleFilterListbox();
        Grid->Repaint();
        Pump();
        QImage shot = Grid->Widget()->grab().toImage();
        QPainter p(&shot);
        p.drawPixmap(Grid->Widget()->mapFromGlobal(list->Widget()->mapToGlobal(QPoint(0, 0))),
                     list->Widget()->grab());
        p.end();
        EXPECT_TRUE(shot.save(ScreenshotPath(u"dbgrid_group_panel_filter_button"_qs)));
    }
    Grid->CloseInTitleFilterListbox(false);
    EXPECT_EQ(Grid->InTitleFilterListboxGroupLevel(), nullptr);

    // The City title dragged up into the panel: the move line stands right of the Region box.
    const TRect title = Grid->CellRect(2, 0);
    Grid->Press((title.Left + title.Right) / 2, (title.Top + title.Bottom) / 2);
    Grid->Move((title.Left + title.Right) / 2, midY, TShiftState{ssLeft});
    Grid->Move(box.Right + 40, midY, TShiftState{ssLeft});
    TGridMoveLineEh* line = GetGridMoveLine();
    ASSERT_TRUE(line->Visible());
    const TPoint at = Grid->ScreenToClient(line->ClientToScreen(TPoint(0, 0)));
    EXPECT_GE(at.X, box.Right - 8);
    EXPECT_LE(at.X, box.Right + 16);
    {
        Grid->Repaint();
        Pump();
        QImage shot = Grid->Widget()->grab().toImage();
        QPainter p(&shot);
        p.drawPixmap(Grid->Widget()->mapFromGlobal(line->Widget()->mapToGlobal(QPoint(0, 0))),
                     line->Widget()->grab());
        p.end();
        EXPECT_TRUE(shot.save(ScreenshotPath(u"dbgrid_group_panel_move_line"_qs)));
    }
    // Back down over the titles: no more a grouping drag, but a column move.
    Grid->Move((title.Left + title.Right) / 2 + 60, (title.Top + title.Bottom) / 2, TShiftState{ssLeft});
    EXPECT_NE(Grid->GridEhState(), dgsGroupPanelTitleMoving);
    EXPECT_EQ(Grid->GridState(), gsColMoving);
    Grid->Release((title.Left + title.Right) / 2 + 60, (title.Top + title.Bottom) / 2);
    EXPECT_EQ(G()->ActiveGroupLevelsCount(), 1);
    EXPECT_FALSE(line->Visible());
}

TEST_F(GroupedGrid, MouseOpensGroupsDragsTitlesAndTogglesTheOrder) {
    G()->SetGroupPanelVisible(true);
    GroupBy({0});
    const int top = Grid->TopDataOffset();
    ASSERT_EQ(Rows(), u"East r1 r3 r5 West r0 r2 r4"_qs);
    // The sign of the first group row closes it.
    TRect east = Grid->CellRect(1, top);
    Grid->Click(east.Left + 9, (east.Top + east.Bottom) / 2);
    EXPECT_EQ(Rows(), u"East West r0 r2 r4"_qs);
    ExpectConsistent();

    // The City title dragged into the panel right of the Region box groups by it.
    const TRect title = Grid->CellRect(2, 0);
    const TRect box = G()->ActiveGroupLevels(0)->GroupPanelRect();
    Grid->Drag(TPoint{(title.Left + title.Right) / 2, (title.Top + title.Bottom) / 2},
               TPoint{box.Right + 40, box.Top + 3});
    ASSERT_EQ(G()->ActiveGroupLevelsCount(), 2);
    EXPECT_EQ(G()->ActiveGroupLevels(1)->Column(), Col(1));
    EXPECT_FALSE(Col(1)->Visible());
    ExpectConsistent();

    // A box shown as a button: a click toggles its level's order.
    Col(0)->Title()->SetTitleButton(true);
    const TRect b0 = G()->ActiveGroupLevels(0)->GroupPanelRect();
    Grid->Click((b0.Left + b0.Right) / 2, (b0.Top + b0.Bottom) / 2);
    EXPECT_EQ(G()->ActiveGroupLevels(0)->SortOrder(), soDescEh);
    EXPECT_EQ(Tree()->GetFlatVisibleItem(0)->DisplayValue(), u"West"_qs);
    ExpectConsistent();

    // The City box dragged back onto the grid ungroups and shows the column again.
    const TRect b1 = G()->ActiveGroupLevels(1)->GroupPanelRect();
    Grid->Drag(TPoint{(b1.Left + b1.Right) / 2, (b1.Top + b1.Bottom) / 2}, TPoint{200, 200});
    EXPECT_EQ(G()->ActiveGroupLevelsCount(), 1);
    EXPECT_TRUE(Col(1)->Visible());
    ExpectConsistent();
}

// Out of the panel a level's box turns into a move of its hidden column: the drop shows the
// column where the move marker stood and removes the level.
TEST_F(GroupedGrid, LevelBoxDraggedOntoTheTitlesMovesItsColumnThere) {
    struct Case {
        int targetCol; // grid column of the title dropped on
        bool rightHalf;
        const char* order;
    } cases[] = {{3, true, "Region Kind Amount City"}, {1, false, "City Region Kind Amount"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        int at = 0;
        for (const char* f : {"Region", "City", "Kind", "Amount"})
            for (int i = 0; i < 4; ++i)
                if (Col(i)->FieldName() == QString::fromLatin1(f)) Col(i)->SetIndex(at++);
        G()->GroupLevels()->Clear();
        G()->SetGroupPanelVisible(true);
        GroupBy({1});
        TColumnEh* city = Col(1);
        city->SetVisible(false);
        Pump();
        ASSERT_EQ(Grid->VisibleColumnCount(), 3);
        const TRect box = G()->ActiveGroupLevels(0)->GroupPanelRect();
        const TRect title = Grid->CellRect(c.targetCol, 0);
        const int x = c.rightHalf ? title.Right - 4 : title.Left + 4;
        const int y = (title.Top + title.Bottom) / 2;
        Grid->Press((box.Left + box.Right) / 2, G()->Top() + (box.Top + box.Bottom) / 2);
        Grid->Move((box.Left + box.Right) / 2 + 6, G()->Top() + box.Top + 2, TShiftState{ssLeft});
        // Still over the panel: the level is only being dragged.
        EXPECT_EQ(G()->ActiveGroupLevelsCount(), 1);
        Grid->Move(x, y, TShiftState{ssLeft});
        EXPECT_EQ(G()->ActiveGroupLevelsCount(), 1) << "leaving the panel does not ungroup";
        Grid->Release(x, y);
        EXPECT_EQ(G()->ActiveGroupLevelsCount(), 0);
        EXPECT_TRUE(city->Visible());
        QStringList order;
        for (int i = 0; i < 4; ++i)
            order << Col(i)->FieldName();
        EXPECT_EQ(order.join(u' '), QString::fromLatin1(c.order));
        ExpectConsistent();
    }
}

// In a row panel a level's box carried out of the panel becomes a move of its column inside the
// panel; the level goes only when that move is dropped, and a cancelled move keeps it.
TEST_F(GroupedGrid, LevelBoxDraggedIntoARowPanelUngroupsOnlyOnTheDrop) {
    Grid->RowPanel()->SetActive(true);
    G()->SetGroupPanelVisible(true);
    for (bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancelled" : "dropped");
        G()->GroupLevels()->Clear();
        GroupBy({1});
        Col(1)->SetVisible(false);
        Pump();
        const TRect box = G()->ActiveGroupLevels(0)->GroupPanelRect();
        const int midX = (box.Left + box.Right) / 2;
        Grid->Press(midX, G()->Top() + (box.Top + box.Bottom) / 2);
        Grid->Move(midX + 6, G()->Top() + box.Top + 2, TShiftState{ssLeft});
        EXPECT_EQ(Grid->GridEhState(), dgsGroupPanelTitleMoving);
        const TRect title = Grid->CellRect(Grid->IndicatorOffset(), 0);
        const int x = title.Left + 20, y = (title.Top + title.Bottom) / 2;
        Grid->Move(x, y, TShiftState{ssLeft});
        EXPECT_EQ(Grid->GridEhState(), dgsNormal);
        ASSERT_TRUE(Grid->RowPanelColumnMoving());
        EXPECT_EQ(Grid->MovedRowPanelColumn(), 1);
        EXPECT_EQ(G()->ActiveGroupLevelsCount(), 1) << "leaving the panel does not ungroup";
        EXPECT_FALSE(Col(1)->Visible());
        if (cancel) {
            Grid->Cancel();
            Grid->Release(x, y);
            EXPECT_EQ(G()->ActiveGroupLevelsCount(), 1);
            EXPECT_FALSE(Col(1)->Visible());
        } else {
            Grid->Release(x, y);
            EXPECT_EQ(G()->ActiveGroupLevelsCount(), 0);
            EXPECT_TRUE(Col(1)->Visible());
        }
        EXPECT_FALSE(Grid->RowPanelColumnMoving());
        ExpectConsistent();
    }
}

TEST_F(GroupedGrid, FooterValuesInsideGroupRowsTakeTheHandlersText) {
    GroupBy({0});
    SumFooter();
    EXPECT_EQ(Rows(), u"East r1 r3 r5 f West r0 r2 r4 f"_qs);
    G()->GroupRowDefValues()->SetFooterInGroupRow(true);
    Pump();
    EXPECT_EQ(Rows(), u"East r1 r3 r5 West r0 r2 r4"_qs);
    ExpectConsistent();
    QStringList seen;
    Grid->OnDataGroupGetFooterParams = decltype(Grid->OnDataGroupGetFooterParams)::Callable(
        [&](TCustomDBGridEh*, TGroupDataTreeNodeEh*, TGridDataGroupFooterColumnItemEh*,
            TGroupFooterParamsEh* P) {
            seen << P->Text();
            P->SetText(QStringLiteral("Σ ") + P->Text());
        });
    Grab(u"dbgrid_grouped_footer_in_group_row"_qs);
    // Both groups' sums (and the grand total) went through the handler.
    EXPECT_TRUE(seen.contains(u"13.5"_qs)) << seen.join(u',').toStdString();
    EXPECT_TRUE(seen.contains(u"12.5"_qs)) << seen.join(u',').toStdString();
    Grid->OnDataGroupGetFooterParams = nullptr;
}

TEST_F(GroupedGrid, AggregateMenuOffersWhatTheColumnAllows) {
    GroupBy({0});
    TGridDataGroupFooterEh* f = SumFooter();
    auto captions = [&](int col) {
        TPopupMenu* m = Grid->BuildGroupFooterPopupMenu(f->ColumnItems()->Item(col));
        QStringList c;
        for (int i = 0; i < m->Items()->Count(); ++i)
            c << m->Items()->Items(i)->Caption();
        return c.join(u',');
    };
    EXPECT_EQ(captions(3), u"Sum,Max,Min,Count,Average,(Empty)"_qs);
    EXPECT_EQ(captions(0), u"Max,Min,Count,(Empty)"_qs);
    // A column without a field offers only the empty choice.
    Col(2)->SetFieldName(String());
    EXPECT_EQ(captions(2), u"(Empty)"_qs);

    // Choosing an item changes the footer item's aggregate and the footer values.
    TPopupMenu* m = Grid->BuildGroupFooterPopupMenu(f->ColumnItems()->Item(3));
    m->Items()->Items(1)->Click(); // Max
    EXPECT_EQ(f->ColumnItems()->Item(3)->ValueType(), gfvMaxEh);
    TGroupDataTreeNodeEh* root = Tree()->Root();
    TGridDataGroupFooterColumnItemEh* item = f->ColumnItems()->Item(3);
    EXPECT_EQ(item->ConvertToDisplayText(item->AggrValue(root->GetFooterItem(0))), u"10"_qs);
}

TEST_F(GroupedGrid, GroupRowTextStaysOverFrozenColumns) {
    for (int i = 0; i < 4; ++i)
        Col(i)->SetWidth(170);
    Grid->SetFrozenCols(1);
    GroupBy({1});
    Grid->SetLeftCol(Grid->ColCount() - 1);
    Pump();
    ASSERT_GT(Grid->LeftCol(), Grid->FixedCols());
    // The group row's sign and text sit in the frozen part, which did not move.
    const int groupRow = Grid->TopDataOffset();
    ASSERT_EQ(Tree()->GetFlatVisibleItem(0)->NodeType(), dntDataGroupEh);
    const TRect frozen = Grid->CellRect(Grid->IndicatorOffset(), groupRow);
    const QImage img = Grab(QStringLiteral("dbgrid_grouped_frozen_scrolled"));
    // The frozen part of the band is painted in the level's colour, not left blank.
    const int rgb = ColorToRGB(G()->ActiveGroupLevels(0)->Color());
    const QColor level(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    EXPECT_EQ(img.pixelColor(frozen.Right - 3, frozen.Top + 2).rgb(), level.rgb());
}

// Without frozen columns a group row's band starts at the first scrollable column even when
// that column is scrolled out: sign and text move with the columns.
TEST_F(GroupedGrid, GroupRowBandScrollsWithTheColumns) {
    Col(0)->SetWidth(60);
    for (int i = 1; i < 4; ++i)
        Col(i)->SetWidth(150);
    GroupBy({0});
    SelectRow(1); // a record row is current: the group row is painted plainly in both pictures
    const int groupRow = Grid->TopDataOffset();
    ASSERT_EQ(Tree()->GetFlatVisibleItem(0)->NodeType(), dntDataGroupEh);
    const int frame = (Grid->Width() - Grid->ClientWidth()) / 2;
    const TRect first = Grid->CellRect(Grid->FixedCols(), groupRow);
    const int shift = Grid->CellRect(Grid->FixedCols() + 1, groupRow).Left - first.Left;
    const QImage before = Grab(u"dbgrid_grouped_band_unscrolled"_qs);
    Grid->SetLeftCol(Grid->FixedCols() + 1);
    Pump();
    ASSERT_EQ(Grid->LeftCol(), Grid->FixedCols() + 1);
    const QImage after = Grab(u"dbgrid_grouped_band_scrolled"_qs);
    int differing = 0;
    for (int y = first.Top + 3; y < first.Bottom - 3; ++y)
        for (int x = first.Left; x < first.Left + 140; ++x)
            if (after.pixel(frame + x, frame + y) != before.pixel(frame + x + shift, frame + y)) ++differing;
    EXPECT_EQ(differing, 0) << "the band moved by the scrolled-out column's width";
}

// The band of a group row stops where the last column ends: the column's right line stays
// visible after it. Over frozen columns the text's part gets a bright line under it of its own.
TEST_F(GroupedGrid, GroupRowBandEndsBeforeTheLastColumnsLine) {
    for (int i = 0; i < 4; ++i)
        Col(i)->SetWidth(80);
    G()->GroupRowDefValues()->BottomLine()->SetColor(clRed);
    GroupBy({0});
    SelectRow(1);
    ASSERT_TRUE(Grid->Options().Contains(dgColLines));
    const int frame = (Grid->Width() - Grid->ClientWidth()) / 2;
    const int groupRow = Grid->TopDataOffset();
    const TRect last = Grid->CellRect(Grid->ColCount() - 1, groupRow);
    QImage img = Grab(u"dbgrid_grouped_band_end"_qs);
    const int rgb = ColorToRGB(G()->ActiveGroupLevels(0)->Color());
    const QRgb level = QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF).rgb();
    EXPECT_EQ(img.pixel(frame + last.Right - 1, frame + last.Top + 3), level);
    EXPECT_NE(img.pixel(frame + last.Right, frame + last.Top + 3), level) << "the column's line";

    Grid->SetFrozenCols(1);
    Pump();
    img = Grab(u"dbgrid_grouped_band_frozen_line"_qs);
    const TRect frozen = Grid->CellRect(Grid->IndicatorOffset(), groupRow);
    const TRect scrolling = Grid->CellRect(Grid->IndicatorOffset() + 2, groupRow);
    const QRgb bright = ColorToQColor(Grid->GridLineParams()->GetBrightColor()).rgb();
    const QRgb red = ColorToQColor(clRed).rgb();
    // The band covers the row's line place; its bottom line lies there.
    EXPECT_EQ(img.pixel(frame + frozen.Right - 20, frame + frozen.Bottom) | 0xFF000000, bright | 0xFF000000);
    EXPECT_EQ(img.pixel(frame + scrolling.Left + 20, frame + scrolling.Bottom) | 0xFF000000, red | 0xFF000000);
}

// Right to left the expand sign of a group row is mirrored with the row: a collapsed group's
// sign points the other way.
TEST_F(GroupedGrid, GroupRowSignIsMirroredRightToLeft) {
    GroupBy({0});
    Grid->TreeViewParams()->SetGlyphStyle(tvgsExplorerThemedEh);
    Tree()->GetFlatVisibleItem(0)->SetExpanded(false);
    SelectRow(1);
    ASSERT_EQ(Rows(), u"East West r0 r2 r4"_qs);
    const int frame = (Grid->Width() - Grid->ClientWidth()) / 2;
    const TRect first = Grid->CellRect(Grid->FixedCols(), Grid->TopDataOffset());
    // Dark pixels of the sign box in its left half less those in its right half.
    auto leftHeavy = [&](const QImage& img) {
        int balance = 0;
        for (int y = first.Top; y < first.Bottom; ++y)
            for (int x = first.Left; x < first.Left + 18; ++x)
                if (qGray(img.pixel(frame + x, frame + y)) < 160) balance += x < first.Left + 9 ? 1 : -1;
        return balance;
    };
    const int ltr = leftHeavy(Grab(u"dbgrid_grouped_sign_ltr"_qs));
    Grid->SetBiDiMode(bdRightToLeft);
    Pump();
    const int rtl = leftHeavy(Grab(u"dbgrid_grouped_sign_rtl"_qs).mirrored(true, false));
    ASSERT_NE(ltr, 0) << "the sign is not symmetric";
    EXPECT_EQ(rtl, ltr) << "mirrored back, the sign reads as the left-to-right one";
}

// A group footer row's first cell leaves its last pixel row to the footer line, which is drawn
// under the level indent, and also when the footer has no indent.
TEST_F(GroupedGrid, FooterRowLineRunsUnderTheFirstCell) {
    GroupBy({0});
    SumFooter();
    Grid->FooterParams()->SetHorzLineColor(clRed);
    ASSERT_TRUE(Grid->Options().Contains(dgRowLines));
    ASSERT_EQ(Rows(), u"East r1 r3 r5 f West r0 r2 r4 f"_qs);
    const int frame = (Grid->Width() - Grid->ClientWidth()) / 2;
    const int footerRow = Grid->TopDataOffset() + 4;
    struct Case {
        bool shift;
        int indent;
    } cases[] = {{false, 0}, {true, 18}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shift);
        G()->SetShiftFolldataGroupRow(c.shift);
        Pump();
        const QImage img = Grab(u"dbgrid_grouped_footer_line"_qs);
        const TRect cell = Grid->CellRect(Grid->IndicatorOffset(), footerRow);
        EXPECT_EQ(img.pixel(frame + cell.Left + c.indent + 5, frame + cell.Bottom - 1) & 0xFFFFFF,
                  ColorToQColor(clRed).rgb() & 0xFFFFFF);
    }
}

// Footer rows indent their first column in the grid's own layout only; a row panel places its
// cells freely and has no level indent in front of them.
TEST_F(GroupedGrid, FooterRowsOfARowPanelHaveNoLevelIndent) {
    GroupBy({0});
    SumFooter();
    for (bool panel : {false, true}) {
        SCOPED_TRACE(panel);
        Grid->RowPanel()->SetActive(panel);
        Pump();
        ASSERT_EQ(Rows(), u"East r1 r3 r5 f West r0 r2 r4 f"_qs);
        Grid->FooterIndents = 0;
        Grab(u"dbgrid_grouped_footer_row_panel"_qs);
        EXPECT_EQ(Grid->FooterIndents > 0, !panel);
    }
}

// In a row panel a group footer row places its cells as a record row places its columns, each
// showing its own footer item.
TEST_F(GroupedGrid, FooterRowOfARowPanelShowsEveryColumnsItem) {
    GroupBy({0});
    SumFooter();
    Grid->RowPanel()->SetActive(true);
    Pump();
    ASSERT_EQ(Rows(), u"East r1 r3 r5 f West r0 r2 r4 f"_qs);
    QStringList seen;
    Grid->OnDataGroupGetFooterParams = decltype(Grid->OnDataGroupGetFooterParams)::Callable(
        [&](TCustomDBGridEh*, TGroupDataTreeNodeEh* Node, TGridDataGroupFooterColumnItemEh* Item,
            TGroupFooterParamsEh* P) {
            if (Node->Parent() && Node->Parent()->DisplayValue() == u"East"_qs)
                seen << QStringLiteral("%1=%2").arg(Item->Index()).arg(P->Text());
        });
    Grab(u"dbgrid_grouped_footer_row_panel_cells"_qs);
    Grid->OnDataGroupGetFooterParams = nullptr;
    seen.removeDuplicates();
    seen.sort();
    // Every column of the panel, the count of Kind and the sum of Amount among them.
    EXPECT_EQ(seen.join(u','), u"0=,1=,2=3,3=13.5"_qs);
}

// A record whose values change without changing its group gets its row height recomputed.
TEST_F(GroupedGrid, EditedRecordTakesItsNewRowHeight) {
    Grid->OnGetRowHeight = TGetDBGridEhRowHeightEvent::Callable([this](TObject*, int& h) {
        if (Table->FieldByName(u"Amount"_qs)->AsFloat() > 100) h = 40;
    });
    GroupBy({0});
    ASSERT_EQ(Rows(), u"East r1 r3 r5 West r0 r2 r4"_qs);
    const int row = Grid->TopDataOffset() + 5; // r0
    const int plain = Grid->RowHeights(row);
    ASSERT_LT(plain, 40);
    Table->First();
    Table->Edit();
    Table->FieldByName(u"Amount"_qs)->SetAsFloat(500);
    Table->Post();
    Pump();
    ASSERT_EQ(Rows(), u"East r1 r3 r5 West r0 r2 r4"_qs);
    EXPECT_EQ(Grid->RowHeights(row), 40);
    EXPECT_EQ(Grid->RowHeights(row + 1), plain);
    ExpectConsistent();
}

// Switching grouping on or off changes what every row stands for: selected rows and a selected
// rectangle do not carry over, in either direction.
TEST_F(GroupedGrid, SwitchingGroupingClearsTheSelection) {
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect});
    G()->GroupLevels()->Add()->SetColumn(Col(0));
    G()->SetDefaultStateExpanded(true);
    for (bool on : {true, false}) {
        SCOPED_TRACE(on);
        Table->First();
        Grid->SelectedRows()->SetCurrentRowSelected(true);
        Table->Next();
        Grid->SelectedRows()->SetCurrentRowSelected(true);
        ASSERT_EQ(Grid->SelectedRows()->Count(), 2);
        G()->SetActive(on);
        Pump();
        EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
        EXPECT_EQ(Grid->Selection()->SelectionType(), gstNon);
        EXPECT_EQ(Rows().isEmpty(), false);
    }
}

// The tree tells the grid about a record whose values changed within its group; that row alone
// takes its new height, the others keep theirs.
TEST_F(GroupedGrid, ChangedRecordReportedByTheTreeResizesItsRow) {
    bool tall = false; // record r3 (Amount 7.5) asks for a tall row
    Grid->OnGetRowHeight = TGetDBGridEhRowHeightEvent::Callable([&](TObject*, int& h) {
        if (tall && Table->FieldByName(u"Amount"_qs)->AsFloat() == 7.5) h = 44;
    });
    GroupBy({0});
    ASSERT_EQ(Rows(), u"East r1 r3 r5 West r0 r2 r4"_qs);
    const int top = Grid->TopDataOffset();
    const int plain = Grid->RowHeights(top + 2); // r3
    ASSERT_LT(plain, 44);
    tall = true;
    Tree()->RecordChanged(3);
    EXPECT_EQ(Grid->RowHeights(top + 2), 44);
    EXPECT_EQ(Grid->RowHeights(top + 1), plain);
    EXPECT_EQ(Grid->RowHeights(top + 3), plain);
    Grid->OnGetRowHeight = nullptr;
}

} // namespace

TEST_F(GroupedGrid, RectangleOverGroupRowsCoversTheirRowsAndCopiesInRecordOrder) {
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect});
    GroupBy({2}); // Kind 1: records 0, 2, 3; Kind 2: records 1, 4, 5
    ASSERT_EQ(Rows(), QStringLiteral("1 r0 r2 r3 2 r1 r4 r5"));
    auto bookmarkOf = [&](int recNo) {
        Table->SetRecNo(recNo + 1);
        return Table->Bookmark();
    };
    // From the last record of the first group across the second group's row to its first record.
    const TBookmark anchor = bookmarkOf(3), shift = bookmarkOf(1);
    TDBGridEhSelection* sel = Grid->Selection();
    sel->Rect()->Select(1, anchor, false);
    sel->Rect()->Select(1, shift, true);
    ASSERT_EQ(sel->SelectionType(), gstRectangle);
    const int top = Grid->TopDataOffset(), io = Grid->IndicatorOffset();
    const TGridRect r = sel->SelectionToGridRect();
    EXPECT_EQ(r.Top, top + 3) << "the rows shown on screen, group row included, not the record numbers";
    EXPECT_EQ(r.Bottom, top + 5);
    EXPECT_EQ(r.Left, io + 1);
    EXPECT_EQ(r.Right, io + 1);
    ExpectConsistent();

    // The copy walks the records between the two corners in the data set's order.
    TMemoryStream out;
    ExportGridToStream<TDBGridEhExportAsText>(Grid, &out, false);
    const QByteArray text(static_cast<const char*>(out.Memory()), int(out.Size()));
    EXPECT_EQ(text, QByteArray("City\r\nKiev\r\nBergen\r\nKiev"));
}

TEST_F(GroupedGrid, GrandTotalFooterRowsTakeTheHeightsOfTheirOwnFonts) {
    GroupBy({0});
    TGridDataGroupFooterEh* small = SumFooter();
    TGridDataGroupFooterEh* large = SumFooter();
    large->ColumnItems()->Item(3)->Font()->SetSize(small->ColumnItems()->Item(3)->Font()->Size() * 2);
    Grid->SetFooterRowCount(1);
    Pump();
    Grid->RecalcDataRowCount();
    // The group footers take the first footer rows, the column footer the next one.
    const int first = Grid->RowCount();
    ASSERT_EQ(Grid->GetFullRowCount(), first + 3);
    EXPECT_EQ(Grid->RowHeights(first), small->AutoCalcHeight());
    EXPECT_EQ(Grid->RowHeights(first + 1), large->AutoCalcHeight());
    EXPECT_GT(large->AutoCalcHeight(), small->AutoCalcHeight());
    EXPECT_EQ(Grid->RowHeights(first + 2), Grid->RowHeights(Grid->TopDataOffset() + 1))
        << "as high as a record row";
}
