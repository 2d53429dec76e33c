// Grouping over a memory table: the group tree of one, two and three levels with footers,
// expanded and collapsed, following the table's inserts, edits and deletes; the footer
// aggregates; and the settings that reach the tree.

#include "lib/dbgrid/DBGridEhGrouping.h"

#include "memtable/MemTableFixture.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <QScopeGuard>
#include <QStringList>

#include <bit>
#include <cstdint>
#include <functional>
#include <string>

// Stand-ins for the data grid and its columns (published classes live at global scope).
class TTestGroupColumn : public TPersistent {
    KVT_CLASS(TTestGroupColumn, TPersistent)
public:
    String FieldName, Name, Caption, DisplayFormat;
};

// Stands in for the data grid: answers the grouping's questions from a memory table and a
// list of columns, and routes the table's view events to the tree as the grid does.
class TTestGroupingGrid : public TComponent, public IDataGroupsGridEh, public IMTEventReceiverEh {
    KVT_CLASS(TTestGroupingGrid, TComponent)
public:
    using TComponent::TComponent;

    TTestGroupColumn* AddColumn(const char* field, const char* caption = nullptr) {
        auto& c = Cols.emplace_back(std::make_unique<TTestGroupColumn>());
        c->FieldName = QString::fromLatin1(field);
        c->Name = QStringLiteral("Col") + c->FieldName;
        c->Caption = caption ? QString::fromUtf8(caption) : c->FieldName;
        return c.get();
    }

    IMemTableEh* DGMemTable() override { return Table; }
    TDataSet* DGDataSet() override { return Table; }
    bool DGDataLinkActive() override { return Table && Table->Active(); }
    int DGColumnCount() override { return int(Cols.size()); }
    TPersistent* DGColumn(int i) override { return Cols.at(size_t(i)).get(); }
    TPersistent* DGFindColumnByName(const String& name) override {
        for (auto& c : Cols)
            if (c->Name.compare(name, Qt::CaseInsensitive) == 0) return c.get();
        return nullptr;
    }
    static TTestGroupColumn* Col(TPersistent* p) { return static_cast<TTestGroupColumn*>(p); }
    TField* DGColumnField(TPersistent* c) override {
        return c && Table ? Table->FindField(Col(c)->FieldName) : nullptr;
    }
    String DGColumnFieldName(TPersistent* c) override { return Col(c)->FieldName; }
    String DGColumnName(TPersistent* c) override { return Col(c)->Name; }
    String DGColumnTitleCaption(TPersistent* c) override { return Col(c)->Caption; }
    String DGColumnDisplayFormat(TPersistent* c) override { return Col(c)->DisplayFormat; }
    String DGColumnDisplayText(TPersistent* c) override {
        TField* f = DGColumnField(c);
        return f ? f->DisplayText() : String();
    }
    void DGInvalidate() override { ++Repaints; }
    void DGViewDataChanged() override { MTViewDataEvent(-1, mtViewDataChangedEh, -1); }
    void DGLinkActiveChanged() override { MTViewDataEvent(-1, mtViewDataChangedEh, -1); }
    void DGGroupDataTreeChanged() override { ++TreeChanges; }
    TGroupDataTreeNodeEh* DGCurDataNode() override { return CurNode; }
    bool DGColumnsCustomized() override { return Customized; }
    void Loaded() override {
        TComponent::Loaded();
        if (Groups) Groups->ResolveLoadedColumnNames();
    }
    void DGFooterAggregateValue(TPersistent* c, TGridDataGroupFooterEh* f,
                                TGridDataGroupFooterColumnItemEh* i, Variant& v, TGroupDataTreeNodeEh* n,
                                bool& processed) override {
        if (ColumnAggregate) ColumnAggregate(c, f, i, v, n, processed);
        if (!processed && GridAggregate) GridAggregate(c, f, i, v, n, processed);
    }

    void MTViewDataEvent(int RowNum, TMTViewEventTypeEh Event, int) override {
        if (!Groups || !Groups->IsGroupingWorks()) return;
        TGridGroupDataTreeEh* tree = Groups->GroupDataTree();
        switch (Event) {
        case mtRowInsertedEh:
            tree->RecordInserted(RowNum);
            break;
        case mtRowChangedEh:
            tree->RecordChanged(RowNum);
            break;
        case mtRowDeletedEh:
            tree->RecordDeleted(RowNum);
            break;
        case mtViewDataChangedEh:
            if (tree->UpdateCount() == 0) tree->RebuildDataTreeEx(Table);
            break;
        default:
            break;
        }
    }

    TMemTableEh* Table = nullptr;
    std::vector<std::unique_ptr<TTestGroupColumn>> Cols;
    std::unique_ptr<TDBGridEhDataGroupsEh> Groups;
    TGroupDataTreeNodeEh* CurNode = nullptr;
    bool Customized = false;
    int Repaints = 0;
    int TreeChanges = 0;
    using TAggregate =
        std::function<void(TPersistent*, TGridDataGroupFooterEh*, TGridDataGroupFooterColumnItemEh*, Variant&,
                           TGroupDataTreeNodeEh*, bool&)>;
    TAggregate ColumnAggregate, GridAggregate;
};

KVT_PUBLISHED(TTestGroupingGrid) {
    P.Prop(
        "DataGrouping", [](TTestGroupingGrid* g) { return g->Groups.get(); },
        [](TTestGroupingGrid* g, TDBGridEhDataGroupsEh* v) { g->Groups->Assign(v); });
}

namespace {

// Table: Region (text), City (text), Kind (integer), Amount (float), Note (text).
class GroupingTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFormatSettings(TFormatSettings::Invariant());
        T = MakeTable({"Region:s", "City:s", "Kind:i", "Amount:f", "Note:s"}, Owner.get()).release();
        Grid = Create<TTestGroupingGrid>(Owner.get());
        Grid->SetName(u"Grid1"_qs);
        Grid->Table = T;
        for (const char* f : {"Region", "City", "Kind", "Amount", "Note"})
            Grid->AddColumn(f);
        Grid->Cols[0]->Caption = QString::fromUtf8("Регион");
        T->RegisterEventReceiver(Grid);
        Grid->Groups = std::make_unique<TDBGridEhDataGroupsEh>(Grid);
    }
    void TearDown() override {
        T->UnregisterEventReceiver(Grid);
        Grid->Groups.reset();
    }

    // A fresh table, grid and grouping (for tables of cases).
    void Reset() {
        TearDown();
        Owner.reset(Create<TComponent>(nullptr));
        SetUp();
    }
    TDBGridEhDataGroupsEh* G() { return Grid->Groups.get(); }
    TGridGroupDataTreeEh* Tree() { return G()->GroupDataTree(); }
    TGridDataGroupLevelEh* Level(const char* field) {
        TGridDataGroupLevelEh* level = G()->GroupLevels()->Add();
        level->SetColumn(Grid->DGFindColumnByName(QStringLiteral("Col") + QString::fromLatin1(field)));
        return level;
    }
    void Row(const Variant& region, const Variant& city, const Variant& kind, const Variant& amount,
             const Variant& note = Variant()) {
        AppendRow(T, {region, city, kind, amount, note});
    }
    // Region / City / Kind / Amount over seven rows.
    void Fill() {
        T->DisableControls();
        Row(u"West"_qs, u"Oslo"_qs, 1, 10.0);
        Row(u"East"_qs, u"Kiev"_qs, 2, 5.0);
        Row(u"West"_qs, u"Bergen"_qs, 1, Null());
        Row(u"East"_qs, u"Kiev"_qs, 1, 7.5);
        Row(u"West"_qs, u"Oslo"_qs, 2, 2.5);
        Row(Null(), u"Nowhere"_qs, 3, 1.0);
        Row(u"East"_qs, u"Minsk"_qs, 2, Null());
        T->EnableControls();
    }
    TGridDataGroupFooterEh* Footer(TGridDataGroupFootersEh* footers, TGroupFooterValueTypeEh amount,
                                   TGroupFooterValueTypeEh kind = gfvNonEh) {
        TGridDataGroupFooterEh* f = footers->Add();
        f->ColumnItems()->Item(3)->SetValueType(amount);
        f->ColumnItems()->Item(2)->SetValueType(kind);
        f->SetVisible(true);
        return f;
    }

    // The whole tree: groups as Key{children}, records as r<view row>, footers as f.
    static String Outline(TGroupDataTreeNodeEh* node) {
        QStringList parts;
        for (int i = 0; i < node->FullItemCount(); ++i) {
            auto* c = static_cast<TGroupDataTreeNodeEh*>(node->GetItem(i));
            if (c->NodeType() == dntDataSetRecordEh)
                parts << QStringLiteral("r%1").arg(c->DataSetRecordViewNo());
            else if (c->NodeType() == dntDataGroupFooterEh)
                parts << QStringLiteral("f");
            else
                parts << c->DisplayValue() + (c->Expanded() ? QStringLiteral("{") : QStringLiteral("+{")) +
                             Outline(c) + QStringLiteral("}");
        }
        return parts.join(QLatin1Char(','));
    }
    String Outline() { return Outline(Tree()->Root()); }
    // The grid's rows: group rows by key, records r<n>, footer rows f.
    String Flat() {
        QStringList parts;
        for (int i = 0; i < Tree()->FlatVisibleCount(); ++i) {
            TGroupDataTreeNodeEh* n = Tree()->GetFlatVisibleItem(i);
            if (n->NodeType() == dntDataSetRecordEh)
                parts << QStringLiteral("r%1").arg(n->DataSetRecordViewNo());
            else if (n->NodeType() == dntDataGroupFooterEh)
                parts << QStringLiteral("f");
            else
                parts << n->DisplayValue();
        }
        return parts.join(QLatin1Char(' '));
    }
    void ExpectConsistent() {
        String problem;
        EXPECT_TRUE(Tree()->CheckConsistency(&problem)) << problem.toStdString();
    }
    TGroupDataTreeNodeEh* Group(std::initializer_list<const char*> path) {
        TGroupDataTreeNodeEh* node = Tree()->Root();
        for (const char* key : path) {
            TGroupDataTreeNodeEh* next = nullptr;
            for (int i = 0; i < node->Count(); ++i)
                if (node->GetDataItem(i)->DisplayValue() == QString::fromUtf8(key))
                    next = node->GetDataItem(i);
            if (!next) return nullptr;
            node = next;
        }
        return node;
    }
    // The text a footer item shows for a group (or the root's grand total).
    String FooterText(TGroupDataTreeNodeEh* group, int footer, int item) {
        TGroupDataTreeNodeEh* f = group->GetFooterItem(footer);
        TGridDataGroupFooterColumnItemEh* ci = f->DataGroupFooter()->ColumnItems()->Item(item);
        return ci->ConvertToDisplayText(ci->AggrValue(f));
    }

    CompPtr<TComponent> Owner{Create<TComponent>(nullptr)};
    TMemTableEh* T = nullptr;
    TTestGroupingGrid* Grid = nullptr;
};

TEST_F(GroupingTest, OneLevelOrdersGroupsByKeyAndRecordsByViewRow) {
    struct Case {
        TSortOrderEh order;
        const char* outline;
    };
    bool first = true;
    for (const Case& c : {Case{soAscEh, "+{r5},East+{r1,r3,r6},West+{r0,r2,r4}"},
                          Case{soDescEh, "West+{r0,r2,r4},East+{r1,r3,r6},+{r5}"}}) {
        SCOPED_TRACE(c.outline);
        if (!first) Reset();
        first = false;
        Fill();
        Level("Region")->SetSortOrder(c.order);
        G()->SetActive(true);
        EXPECT_EQ(Outline(), QString::fromLatin1(c.outline));
        EXPECT_EQ(Flat(), QString::fromLatin1(c.order == soAscEh ? " East West" : "West East "));
        ExpectConsistent();
    }
}

TEST_F(GroupingTest, ThreeLevelsWithFootersExpandedAndCollapsed) {
    Fill();
    Level("Region");
    TGridDataGroupLevelEh* city = Level("City");
    Level("Kind");
    Footer(G()->Footers(), gfvSumEh, gfvCountEh);
    G()->SetDefaultStateExpanded(true);
    G()->SetActive(true);
    EXPECT_EQ(Outline(), u"{Nowhere{3{r5,f},f},f},"
                         "East{Kiev{1{r3,f},2{r1,f},f},Minsk{2{r6,f},f},f},"
                         "West{Bergen{1{r2,f},f},Oslo{1{r0,f},2{r4,f},f},f},f"_qs);
    ExpectConsistent();
    EXPECT_EQ(Flat(), u" Nowhere 3 r5 f f f East Kiev 1 r3 f 2 r1 f f Minsk 2 r6 f f f "
                      "West Bergen 1 r2 f f Oslo 1 r0 f 2 r4 f f f"_qs);

    // Collapsing the second level hides its groups' contents and footers, not the groups.
    city->CollapseNodes();
    EXPECT_EQ(Flat(), u" Nowhere f East Kiev Minsk f West Bergen Oslo f"_qs);
    // The first footer of a level showing footers in its group row gets no row of its own.
    city->SetFooterInGroupRow(true);
    G()->Footers()->Footer(0)->SetVisible(true);
    city->ExpandNodes();
    EXPECT_EQ(Flat(), u" Nowhere 3 r5 f f East Kiev 1 r3 f 2 r1 f Minsk 2 r6 f f "
                      "West Bergen 1 r2 f Oslo 1 r0 f 2 r4 f f"_qs);
    // An invisible footer keeps its nodes but loses its rows.
    G()->Footers()->Footer(0)->SetVisible(false);
    EXPECT_EQ(Flat(), u" Nowhere 3 r5 East Kiev 1 r3 2 r1 Minsk 2 r6 West Bergen 1 r2 Oslo 1 r0 2 r4"_qs);
    EXPECT_EQ(Tree()->Root()->FooterItemCount(), 1);
    ExpectConsistent();

    // Grand totals and per-group values.
    EXPECT_EQ(FooterText(Tree()->Root(), 0, 3), u"26"_qs);
    EXPECT_EQ(FooterText(Group({"East"}), 0, 3), u"12.5"_qs);
    EXPECT_EQ(FooterText(Group({"East", "Minsk"}), 0, 3), u""_qs); // only Nulls
    EXPECT_EQ(FooterText(Group({"East"}), 0, 2), u"3"_qs);
    EXPECT_EQ(FooterText(Group({"West", "Oslo", "2"}), 0, 3), u"2.5"_qs);
}

TEST_F(GroupingTest, NumericKeysOrderAsNumbersWithNullFirst) {
    struct Case {
        TSortOrderEh order;
        const char* outline;
    };
    bool first = true;
    for (const Case& c : {Case{soAscEh, "+{r1},-1+{r2},2+{r0,r3},10+{r4}"},
                          Case{soDescEh, "10+{r4},2+{r0,r3},-1+{r2},+{r1}"}}) {
        SCOPED_TRACE(c.outline);
        if (!first) Reset();
        first = false;
        T->DisableControls();
        for (const Variant& kind : {Variant(2), Null(), Variant(-1), Variant(2), Variant(10)})
            Row(u"X"_qs, u"Y"_qs, kind, 1.0);
        T->EnableControls();
        Level("Kind")->SetSortOrder(c.order);
        G()->SetActive(true);
        EXPECT_EQ(Outline(), QString::fromLatin1(c.outline));
        ExpectConsistent();
    }
}

// Two number levels in opposite orders: minus zero joins zero, Null sorts first (last when
// descending), equal keys keep their records in view row order.
TEST_F(GroupingTest, TwoNumberLevelsInOppositeOrders) {
    T->DisableControls();
    const Variant rows[][2] = {{1, 0.0},  {2, -0.0}, {1, -2.5},   {Null(), 1e300},
                               {1, -0.0}, {2, 3.0},  {1, Null()}, {2, 0.0}};
    for (const auto& r : rows)
        Row(u"X"_qs, u"Y"_qs, r[0], r[1]);
    T->EnableControls();
    Level("Kind")->SetSortOrder(soDescEh);
    Level("Amount");
    Footer(G()->Footers(), gfvCountEh);
    G()->SetActive(true);
    String outline = Outline();
    outline.replace(u"-0+{"_qs, u"0+{"_qs); // the text comes from the group's first record
    EXPECT_EQ(outline, u"2+{0+{r1,r7,f},3+{r5,f},f},1+{+{r6,f},-2.5+{r2,f},0+{r0,r4,f},f},"
                       "+{1E300+{r3,f},f},f"_qs);
    EXPECT_EQ(FooterText(Group({"1"}), 0, 3), u"3"_qs);
    ExpectConsistent();
}

TEST_F(GroupingTest, TreeFollowsInsertsEditsAndDeletes) {
    Fill();
    Level("Region");
    Level("City");
    Footer(G()->Footers(), gfvSumEh);
    G()->SetDefaultStateExpanded(true);
    G()->SetActive(true);

    // Appended rows join their groups; a new key makes a group in key order.
    Row(u"East"_qs, u"Kiev"_qs, 9, 1.5);
    Row(u"North"_qs, u"Oulu"_qs, 9, 3.0);
    EXPECT_EQ(Outline(), u"{Nowhere{r5,f},f},East{Kiev{r1,r3,r7,f},Minsk{r6,f},f},"
                         "North{Oulu{r8,f},f},West{Bergen{r2,f},Oslo{r0,r4,f},f},f"_qs);
    EXPECT_EQ(FooterText(Group({"East", "Kiev"}), 0, 3), u"14"_qs);
    ExpectConsistent();

    // Editing the grouping field moves the very node (the grid may hold it) to its new group;
    // the group it leaves empty goes.
    ASSERT_TRUE(T->Locate(u"City"_qs, u"Oulu"_qs, {}));
    TGroupDataTreeNodeEh* moved = Tree()->GetNodeByRecordViewNo(8);
    Grid->CurNode = moved;
    Group({"West"})->SetExpanded(false);
    T->Edit();
    T->FieldByName(u"Region"_qs)->SetAsString(u"West"_qs);
    T->FieldByName(u"City"_qs)->SetAsString(u"Bergen"_qs);
    T->Post();
    EXPECT_EQ(Tree()->GetNodeByRecordViewNo(8), moved);
    EXPECT_EQ(Outline(), u"{Nowhere{r5,f},f},East{Kiev{r1,r3,r7,f},Minsk{r6,f},f},"
                         "West{Bergen{r2,r8,f},Oslo{r0,r4,f},f},f"_qs);
    EXPECT_GE(Tree()->IndexOfVisibleNode(moved), 0) << "the record the user is on stays in sight";
    EXPECT_EQ(FooterText(Group({"West"}), 0, 3), u"15.5"_qs);
    ExpectConsistent();

    // Deleting renumbers the later rows and removes a group left empty.
    ASSERT_TRUE(T->Locate(u"City"_qs, u"Nowhere"_qs, {}));
    T->Delete();
    EXPECT_EQ(Outline(), u"East{Kiev{r1,r3,r6,f},Minsk{r5,f},f},West{Bergen{r2,r7,f},Oslo{r0,r4,f},f},f"_qs);
    EXPECT_EQ(FooterText(Tree()->Root(), 0, 3), u"29.5"_qs);
    ExpectConsistent();

    // A whole-view change (a filter) rebuilds with the groups' expanded states kept.
    Group({"East"})->SetExpanded(false);
    T->SetFilter(u"Kind < 3"_qs);
    T->SetFiltered(true);
    EXPECT_EQ(Outline(), u"East+{Kiev{r1,r3,f},Minsk{r5,f},f},West{Bergen{r2,f},Oslo{r0,r4,f},f},f"_qs);
    ExpectConsistent();
}

// Every record's key array holds its row's keys, of their own types, then its view row;
// also after rows are renumbered and once the node has left its groups.
TEST_F(GroupingTest, RecordKeysAreThoseOfTheirRows) {
    Fill();
    Level("Region");
    Level("Kind");
    G()->SetActive(true);
    auto expectKey = [&](TGroupDataTreeNodeEh* rec, const Variant& expected) {
        SCOPED_TRACE(rec->DataSetRecordViewNo());
        const Variant& full = rec->FullKey();
        ASSERT_TRUE(full.IsArray());
        ASSERT_EQ(full.ArrayHighBound(1), expected.ArrayHighBound(1));
        for (int i = 0; i <= expected.ArrayHighBound(1); ++i) {
            EXPECT_EQ(full[i].VType(), expected[i].VType()) << i;
            if (!expected[i].IsNull()) EXPECT_TRUE(full[i] == expected[i]) << i;
        }
    };
    auto checkAll = [&] {
        for (TBaseTreeNodeEh* n = Tree()->GetFirst(); n; n = Tree()->GetNext(n)) {
            auto* rec = static_cast<TGroupDataTreeNodeEh*>(n);
            if (rec->NodeType() == dntDataSetRecordEh)
                expectKey(rec, G()->GetKeyValueForViewRecNo(rec->DataSetRecordViewNo()));
        }
    };
    checkAll();
    ASSERT_TRUE(T->Locate(u"City"_qs, u"Kiev"_qs, {}));
    T->Delete();
    checkAll();

    TGroupDataTreeNodeEh* rec = Group({"West", "1"})->GetDataItem(0);
    const Variant expected = G()->GetKeyValueForViewRecNo(rec->DataSetRecordViewNo());
    Tree()->ExtractNode(rec, true);
    expectKey(rec, expected);
    delete rec;
}

TEST_F(GroupingTest, InsertInsideGroupTakesTheGroupsKeys) {
    Fill();
    Level("Region");
    TGridDataGroupLevelEh* city = Level("City");
    G()->SetActive(true);
    TGroupDataTreeNodeEh* kiev = Group({"East", "Kiev"});
    ASSERT_TRUE(kiev && kiev->CanAppendDataRec());
    EXPECT_FALSE(Group({"East"})->CanAppendDataRec());

    kiev->AppendDataRec(T, T);
    ASSERT_EQ(T->State(), dsInsert);
    EXPECT_EQ(T->FieldByName(u"Region"_qs)->AsString(), u"East"_qs);
    EXPECT_EQ(T->FieldByName(u"City"_qs)->AsString(), u"Kiev"_qs);
    EXPECT_TRUE(Group({"East"})->Expanded());
    EXPECT_TRUE(Group({"East", "Kiev"})->Expanded());
    T->FieldByName(u"Amount"_qs)->SetAsFloat(4.0);
    T->Post();
    EXPECT_EQ(Group({"East", "Kiev"})->Count(), 3);
    EXPECT_TRUE(G()->InsertingKeyValue().IsEmpty());
    ExpectConsistent();

    // A level whose key no field can take: the new record goes where its own values put it,
    // never into a group it does not belong to.
    city->OnGetKeyValue = TNotifyEvent::Callable([](TObject*) {});
    Level("Kind");
    G()->SetInsertingKeyValue(VarArrayOf({u"West"_qs, u"Oslo"_qs, 7, 2147483647}));
    const int newRow = T->RecordCount();
    T->Append();
    EXPECT_EQ(T->FieldByName(u"Region"_qs)->AsString(), u"West"_qs);
    EXPECT_EQ(T->FieldByName(u"Kind"_qs)->AsInteger(), 7);
    TGroupDataTreeNodeEh* node = Tree()->GetNodeByRecordViewNo(newRow);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->Parent()->KeyValue(), Variant(7));
    EXPECT_TRUE(node->Parent()->Parent()->KeyValue().IsEmpty()) << "not an Oslo group made up for it";
    EXPECT_EQ(node->Parent()->Parent()->Parent()->KeyValue(), Variant(u"West"_qs));
    ExpectConsistent();
    T->Cancel();
    ExpectConsistent();
}

TEST_F(GroupingTest, ChangingALevelKeepsTheUpperLevelsStates) {
    Fill();
    Level("Region");
    TGridDataGroupLevelEh* second = Level("City");
    Level("Kind");
    G()->SetActive(true);
    Group({"West"})->SetExpanded(true);
    TGroupDataTreeNodeEh* west = Group({"West"});

    // A level without a column is not active and changes nothing.
    const String before = Outline();
    G()->GroupLevels()->Add();
    EXPECT_EQ(G()->ActiveGroupLevelsCount(), 3);
    EXPECT_EQ(Outline(), before);

    second->SetColumn(Grid->Cols[4].get()); // group by Note: all Null
    EXPECT_EQ(Group({"West"}), west);
    EXPECT_TRUE(west->Expanded());
    EXPECT_EQ(Outline(), u"+{+{3+{r5}}},East+{+{1+{r3},2+{r1,r6}}},West{+{1+{r0,r2},2+{r4}}}"_qs);
    ExpectConsistent();

    // Removing the column drops the level from grouping.
    G()->ColumnRemoved(Grid->Cols[4].get());
    EXPECT_EQ(G()->ActiveGroupLevelsCount(), 2);
    EXPECT_EQ(Outline(), u"+{3+{r5}},East+{1+{r3},2+{r1,r6}},West{1+{r0,r2},2+{r4}}"_qs);
    // Resorting a level reorders its groups only.
    G()->ActiveGroupLevels(1)->SetSortOrder(soDescEh);
    EXPECT_EQ(Outline(), u"+{3+{r5}},East+{2+{r1,r6},1+{r3}},West{2+{r4},1+{r0,r2}}"_qs);
    ExpectConsistent();
}

TEST_F(GroupingTest, KeysThatCannotBeOrderedNeverJoinAnotherGroup) {
    Fill();
    TGridDataGroupLevelEh* level = Level("Kind");
    // A key handler mixing texts and numbers: "x" cannot be ordered against the numbers.
    auto* dbLevel = static_cast<TDBGridEhDataGroupLevelEh*>(level);
    dbLevel->OnGetKeyValue = TDBGridEhDataGroupGetKeyValueEvent::Callable(
        [this](TCustomDBGridEh*, TDBGridEhDataGroupLevelEh*, Variant& key) {
            if (T->FieldByName(u"Kind"_qs)->AsInteger() == 3) key = Variant(u"x"_qs);
        });
    G()->SetActive(true);
    EXPECT_EQ(Outline(), u"1+{r0,r2,r3},2+{r1,r4,r6},3+{r5}"_qs);
    EXPECT_EQ(Group({"3"})->KeyValue(), Variant(u"x"_qs));
    Row(u"South"_qs, u"Lima"_qs, 3, 1.0);
    EXPECT_EQ(Outline(), u"1+{r0,r2,r3},2+{r1,r4,r6},3+{r5,r7}"_qs);
    // A whole build over such keys starts from an empty tree too.
    Tree()->RebuildDataTree(T);
    EXPECT_EQ(Outline(), u"1+{r0,r2,r3},2+{r1,r4,r6},3+{r5,r7}"_qs);
    ExpectConsistent();
}

TEST_F(GroupingTest, GroupRowTextAndDisplayNames) {
    Fill();
    TGridDataGroupLevelEh* region = Level("Region");
    G()->SetActive(true);
    EXPECT_EQ(region->GetGroupRowText(Group({"East"})), QString::fromUtf8("Регион: East (3)"));
    EXPECT_EQ(region->GetDisplayName(), u"Grid1.DataGrouping['Region']"_qs);
    TGridDataGroupFooterEh* f = Footer(G()->Footers(), gfvSumEh);
    EXPECT_EQ(f->GetDisplayName(), u"Grid1.DataGrouping.Footers[0]"_qs);
    EXPECT_EQ(f->ColumnItems()->Item(3)->GetDisplayName(), u"Grid1.DataGrouping.Footers[0][Amount]"_qs);
    auto* db = static_cast<TDBGridEhDataGroupLevelEh*>(region);
    db->OnGetGroupRowText = TDBGridEhDataGroupGetGroupRowTextEvent::Callable(
        [](TCustomDBGridEh*, TGroupDataTreeNodeEh*, String& text) { text += u"!"_qs; });
    EXPECT_EQ(region->GetGroupRowText(Group({"East"})), QString::fromUtf8("Регион: East (3)!"));
}

TEST_F(GroupingTest, FooterAggregatesFollowTheirKinds) {
    struct Case {
        TGroupFooterValueTypeEh type;
        const char* field; // column 3 Amount (float), 4 Note (text)
        std::vector<Variant> values;
        bool showName;
        const char* text;
    };
    const Variant N = Null();
    const std::vector<Case> cases = {
        {gfvSumEh, "Amount", {1.0, N, 2.0}, false, "3"},
        {gfvSumEh, "Amount", {N, N}, false, ""},
        {gfvCountEh, "Amount", {N, 5.0, N}, false, "1"},
        {gfvCountEh, "Amount", {N, N}, true, "Cnt = 0"},
        {gfvAvgEh, "Amount", {1.0, 2.0}, true, "Avg = 1.5"},
        {gfvAvgEh, "Amount", {N, N}, false, ""}, // no value: no division
        {gfvMaxEh, "Note", {u"pear"_qs, N, u"apple"_qs}, true, "Max = pear"},
        {gfvMinEh, "Note", {N, u"pear"_qs, u"apple"_qs}, false, "apple"},
        {gfvMaxEh, "Note", {N, N}, false, ""},
        {gfvSumEh, "Note", {u"1"_qs, u"2"_qs}, false, ""}, // texts are not summed
        {gfvAvgEh, "Note", {u"1"_qs, u"2"_qs}, false, ""}, // nor averaged
        {gfvCountEh, "Note", {u"a"_qs, N, u"b"_qs}, false, "2"},
        {gfvStaticTextEh, "Amount", {1.0}, false, "StaticText"},
        {gfvCustomEh, "Amount", {1.0}, false, "Custom"},
        {gfvNonEh, "Amount", {1.0, 2.0}, false, ""},
    };
    bool first = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(int(c.type)).arg(QString::fromLatin1(c.text)).toStdString());
        if (!first) Reset();
        first = false;
        Grid->Cols[3]->DisplayFormat = u"#,##0.00"_qs; // the average ignores the column's format
        const int col = QString::fromLatin1(c.field) == u"Note"_qs ? 4 : 3;
        T->DisableControls();
        for (const Variant& v : c.values)
            col == 3 ? Row(u"R"_qs, u"C"_qs, 1, v) : Row(u"R"_qs, u"C"_qs, 1, N, v);
        T->EnableControls();
        Level("Region");
        TGridDataGroupFooterEh* f = G()->Footers()->Add();
        f->ColumnItems()->Item(col)->SetValueType(c.type);
        if (c.showName) f->SetShowFunctionName(true);
        if (c.type == gfvSumEh && col == 3) f->ColumnItems()->Item(3)->SetDisplayFormat(u"0"_qs);
        G()->SetActive(true);
        EXPECT_EQ(FooterText(Group({"R"}), 0, col), QString::fromUtf8(c.text));
        EXPECT_EQ(FooterText(Tree()->Root(), 0, col), QString::fromUtf8(c.text));
    }
}

// Sums of doubles are taken record by record in the group's order: the footer holds the very
// double that adding them one by one gives (rounding included), and counts skip Nulls, for
// every group and the grand total, also after a rebuild that keeps the groups.
TEST_F(GroupingTest, FooterSumsAndCountsAreTheRecordByRecordFold) {
    const Variant N = Null();
    const std::vector<std::pair<const char*, Variant>> rows = {
        {"A", 0.1}, {"B", 1e16}, {"A", 0.2}, {"A", N},    {"B", 1.0},  {"A", 0.3},
        {"B", -1e16}, {"A", 1e-17}, {"B", N}, {"B", 3.0}, {"A", 0.7}, {"C", N},
    };
    T->DisableControls();
    for (const auto& [region, amount] : rows)
        Row(QString::fromLatin1(region), u"X"_qs, 1, amount);
    T->EnableControls();
    Level("Region");
    TGridDataGroupFooterEh* f = Footer(G()->Footers(), gfvSumEh, gfvCountEh);
    f->ColumnItems()->Item(2)->SetValueType(gfvNonEh);
    f->ColumnItems()->Item(0)->SetValueType(gfvCountEh); // Region: never Null here
    // Item 2 (Kind) has no aggregate: its value is the empty text after the first record.
    auto expect = [&](TGroupDataTreeNodeEh* group, const char* region) {
        double sum = 0;
        bool any = false;
        int records = 0;
        // The grand total takes the records in the tree's order: group by group.
        for (const std::string g : {"A", "B", "C"}) {
            if (region && g != region) continue;
            for (const auto& [r, amount] : rows) {
                if (r != g) continue;
                ++records;
                if (amount.IsNull()) continue;
                sum = any ? sum + amount.AsDouble() : amount.AsDouble();
                any = true;
            }
        }
        SCOPED_TRACE(region ? region : "total");
        TGroupDataTreeNodeEh* node = group->GetFooterItem(0);
        const Variant s = f->ColumnItems()->Item(3)->AggrValue(node);
        if (any) {
            ASSERT_EQ(s.VType(), varDouble);
            EXPECT_EQ(std::bit_cast<uint64_t>(s.AsDouble()), std::bit_cast<uint64_t>(sum));
        } else {
            EXPECT_TRUE(s.IsNull());
        }
        const Variant c = f->ColumnItems()->Item(0)->AggrValue(node);
        ASSERT_EQ(c.VType(), varInteger);
        EXPECT_EQ(c.AsInteger(), records);
        const Variant none = f->ColumnItems()->Item(2)->AggrValue(node);
        if (records > 1) {
            ASSERT_EQ(none.VType(), varUString);
            EXPECT_TRUE(none.AsString().isEmpty());
        } else {
            EXPECT_TRUE(none.IsNull());
        }
    };
    G()->SetActive(true);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        expect(Group({"A"}), "A");
        expect(Group({"B"}), "B");
        expect(Group({"C"}), "C");
        expect(Tree()->Root(), nullptr);
        Tree()->RebuildDataTreeEx(T);
    }
}

TEST_F(GroupingTest, ColumnHandlerThatProcessesKeepsTheGridHandlerOut) {
    Fill();
    Level("Region");
    TGridDataGroupFooterEh* f = Footer(G()->Footers(), gfvCustomEh);
    int gridCalls = 0;
    Grid->GridAggregate = [&](TPersistent*, TGridDataGroupFooterEh*, TGridDataGroupFooterColumnItemEh*,
                              Variant&, TGroupDataTreeNodeEh*, bool&) { ++gridCalls; };
    Grid->ColumnAggregate = [](TPersistent*, TGridDataGroupFooterEh*, TGridDataGroupFooterColumnItemEh*,
                               Variant& v, TGroupDataTreeNodeEh* node, bool& processed) {
        // Counts the records of each group (the root sees the groups instead).
        if (node->NodeType() == dntDataSetRecordEh) v = (v.IsEmpty() ? Variant(0) : v) + Variant(1);
        processed = true;
    };
    G()->SetActive(true);
    EXPECT_EQ(gridCalls, 0);
    EXPECT_EQ(FooterText(Group({"West"}), 0, 3), u"3"_qs);
    Grid->ColumnAggregate = nullptr;
    f->ColumnItems()->Item(3)->SetValueType(gfvSumEh); // recalculates every footer
    EXPECT_GT(gridCalls, 0);
    EXPECT_EQ(FooterText(Group({"West"}), 0, 3), u"12.5"_qs);
    const int repaints = Grid->Repaints, changes = Grid->TreeChanges;
    f->ColumnItems()->Item(3)->SetAlignment(taLeftJustify); // repaints only
    EXPECT_GT(Grid->Repaints, repaints);
    EXPECT_EQ(Grid->TreeChanges, changes);
}

TEST_F(GroupingTest, LevelSettingsAndFooterColumnItems) {
    TGridDataGroupLevelEh* level = Level("Region");
    G()->GroupRowDefValues()->SetRowHeight(20);
    EXPECT_EQ(level->RowHeight(), 20);
    level->SetRowHeight(20);
    EXPECT_TRUE(level->RowHeightStored());
    G()->GroupRowDefValues()->SetRowHeight(25);
    EXPECT_EQ(level->RowHeight(), 20);
    level->SetRowHeightStored(false);
    EXPECT_EQ(level->RowHeight(), 25);

    // Parent footers: the grid's footers until ParentFooters goes off.
    Footer(G()->Footers(), gfvSumEh);
    level->Footers()->Add();
    level->Footers()->Add();
    EXPECT_EQ(level->VisibleFootersCount(), 1);
    level->SetParentFooters(false);
    EXPECT_EQ(level->VisibleFootersCount(), 2);
    EXPECT_EQ(level->GetVisibleFooter(0), level->Footers()->Footer(0));

    // One item per column, following the grid's columns once they are loaded.
    TGridDataGroupFooterEh* f = G()->Footers()->Footer(0);
    EXPECT_EQ(f->ColumnItems()->Count(), 5);
    EXPECT_EQ(f->ColumnItems()->Item(3)->Alignment(), taRightJustify);
    G()->SetActive(true);
    G()->ColumnsLoaded();
    auto extra = std::make_unique<TTestGroupColumn>();
    extra->FieldName = u"Kind"_qs;
    Grid->Cols.insert(Grid->Cols.begin() + 1, std::move(extra));
    G()->ColumnsChanged();
    ASSERT_EQ(f->ColumnItems()->Count(), 6);
    EXPECT_EQ(f->ColumnItems()->Item(1)->Column(), Grid->Cols[1].get());
    EXPECT_EQ(f->ColumnItems()->Item(4)->ValueType(), gfvSumEh) << "the Amount item moved with its column";
    Grid->Cols.erase(Grid->Cols.begin() + 1);
    G()->ColumnsChanged();
    EXPECT_EQ(f->ColumnItems()->Count(), 5);
    EXPECT_EQ(f->ColumnItems()->Item(3)->ValueType(), gfvSumEh);

    // ShowFunctionName follows the default until set.
    EXPECT_FALSE(f->ShowFunctionName());
    G()->FootersDefValues()->SetShowFunctionName(true);
    EXPECT_TRUE(f->ShowFunctionName());
    f->SetShowFunctionName(false);
    EXPECT_TRUE(f->ShowFunctionNameStored());
    EXPECT_FALSE(f->ShowFunctionName());

    // Colours: the parent's until set.
    EXPECT_EQ(level->Color(), G()->Color());
    level->SetColor(clYellow);
    EXPECT_FALSE(level->ParentColor());
    EXPECT_EQ(level->Color(), clYellow);
}

TEST_F(GroupingTest, EmptyTableAndRemovedFootersLeaveNoStaleNodes) {
    Level("Region");
    Footer(G()->Footers(), gfvAvgEh, gfvCountEh);
    G()->SetActive(true);
    EXPECT_EQ(Flat(), u""_qs);
    EXPECT_EQ(FooterText(Tree()->Root(), 0, 3), u""_qs);
    EXPECT_EQ(FooterText(Tree()->Root(), 0, 2), u"0"_qs);
    Fill();
    ExpectConsistent();
    G()->Footers()->Delete(0);
    EXPECT_EQ(Tree()->Root()->FooterItemCount(), 0);
    EXPECT_EQ(Outline(), u"+{r5},East+{r1,r3,r6},West+{r0,r2,r4}"_qs);
    ExpectConsistent();
    T->First();
    while (!T->Eof())
        T->Delete();
    EXPECT_EQ(Outline(), u""_qs);
    ExpectConsistent();
    // A new root takes the old one's place; a node of another tree does not.
    auto* root = static_cast<TGroupDataTreeNodeEh*>(Tree()->CreateNode(String(), nullptr));
    Tree()->SetRoot(root);
    EXPECT_EQ(Tree()->Root(), root);
    Row(u"East"_qs, u"Kiev"_qs, 1, 1.0);
    EXPECT_EQ(Outline(), u"East+{r0}"_qs);
    ExpectConsistent();
}

TEST_F(GroupingTest, SettingsSurviveTheGridsStream) {
    Fill();
    Level("Region");
    TGridDataGroupLevelEh* city = Level("City");
    city->SetSortOrder(soDescEh);
    city->SetRowHeight(30);
    Grid->Customized = true;
    TGridDataGroupFooterEh* f = Footer(G()->Footers(), gfvSumEh, gfvCountEh);
    f->SetShowFunctionName(true);
    G()->SetDefaultStateExpanded(true);
    G()->GroupPanel()->SetColor(clYellow);
    G()->SetActive(true);
    const String outline = Outline();

    TMemoryStream ms;
    WriteComponent(&ms, Grid);
    TMemoryStream in, out;
    in.WriteBuffer(ms.Memory(), Integer(ms.Size()));
    in.SetPosition(0);
    ObjectBinaryToText(&in, &out);
    const QString text = QString::fromUtf8(static_cast<const char*>(out.Memory()), int(out.Size()));
    for (const char* line :
         {"ColumnName = 'ColCity'", "SortOrder = soDescEh", "RowHeight = 30", "ValueType = gfvSumEh",
          "ShowFunctionName = True", "DefaultStateExpanded = True"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(u"ParentFont"_qs)) << "defaults are not written";

    CompPtr<TComponent> owner{Create<TComponent>(nullptr)};
    auto* copy = Create<TTestGroupingGrid>(owner.get());
    copy->Table = T;
    for (const char* field : {"Region", "City", "Kind", "Amount", "Note"})
        copy->AddColumn(field);
    copy->Groups = std::make_unique<TDBGridEhDataGroupsEh>(copy);
    T->RegisterEventReceiver(copy);
    const auto unregister = qScopeGuard([&] { T->UnregisterEventReceiver(copy); });
    ms.SetPosition(0);
    ReadComponent(&ms, copy);
    TDBGridEhDataGroupsEh* groups = copy->Groups.get();
    ASSERT_EQ(groups->ActiveGroupLevelsCount(), 2);
    EXPECT_EQ(groups->ActiveGroupLevels(1)->SortOrder(), soDescEh);
    EXPECT_EQ(groups->ActiveGroupLevels(1)->RowHeight(), 30);
    EXPECT_TRUE(groups->ActiveGroupLevels(1)->RowHeightStored());
    ASSERT_EQ(groups->Footers()->Count(), 1);
    EXPECT_EQ(groups->Footers()->Footer(0)->ColumnItems()->Item(3)->ValueType(), gfvSumEh);
    EXPECT_EQ(groups->Footers()->Footer(0)->ColumnItems()->Item(3)->Column(), copy->Cols[3].get());
    EXPECT_TRUE(groups->Footers()->Footer(0)->ShowFunctionName());
    EXPECT_EQ(groups->GroupPanel()->Color(), clYellow);
    EXPECT_EQ(Outline(groups->GroupDataTree()->Root()), outline);
    EXPECT_TRUE(groups->GroupDataTree()->CheckConsistency());
}

} // namespace
