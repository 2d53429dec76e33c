// Master-detail, the tree view, instant read and the companions.

#include "MemTableFixture.h"

TEST(MemTableMasterDetail, DetailFollowsTheMaster) {
    for (bool indexed : {false, true}) {
        auto master = MakeTable({"ID:i", "Name:s"});
        AppendRow(master.get(), {1, "one"});
        AppendRow(master.get(), {2, "two"});
        auto detail = MakeTable({"MasterID:i", "V:i"});
        if (indexed) {
            detail->Close();
            detail->IndexDefs()->Add("ixM", "MasterID", {});
            detail->Open();
        }
        for (int i = 0; i < 6; ++i)
            AppendRow(detail.get(), {1 + i % 2, i});
        CompPtr<TDataSource> ds(Create<TDataSource>(nullptr));
        ds->SetDataSet(master.get());
        detail->SetMasterSource(ds.get());
        detail->SetMasterFields("ID");
        detail->SetDetailFields("MasterID");
        EXPECT_TRUE(detail->DetailMode());

        master->First();
        EXPECT_EQ(Column(detail.get(), "V"), Ints({0, 2, 4})) << indexed;
        master->Next();
        EXPECT_EQ(Column(detail.get(), "V"), Ints({1, 3, 5})) << indexed;

        // A new detail record takes the master key.
        detail->Append();
        detail->FieldByName("V")->SetAsInteger(7);
        detail->Post();
        EXPECT_EQ(detail->FieldByName("MasterID")->AsInteger(), 2);
        EXPECT_EQ(detail->RecordCount(), 4);

        detail->SetMasterSource(nullptr);
        EXPECT_FALSE(detail->DetailMode());
        EXPECT_EQ(detail->RecordCount(), 7);
    }
}

namespace {

// ID / Parent tree: 1 (2 (4), 3), 5
CompPtr<TMemTableEh> Tree() {
    auto t = MakeTable({"ID:i", "Parent:i", "Name:s"});
    AppendRow(t.get(), {1, Null(), "a"});
    AppendRow(t.get(), {2, 1, "b"});
    AppendRow(t.get(), {3, 1, "c"});
    AppendRow(t.get(), {4, 2, "d"});
    AppendRow(t.get(), {5, Null(), "e"});
    t->TreeList()->SetKeyFieldName("ID");
    t->TreeList()->SetRefParentFieldName("Parent");
    t->TreeList()->SetActive(true);
    return t;
}

} // namespace

TEST(MemTableTree, ExpandCollapseAndLevels) {
    auto t = Tree();
    ASSERT_TRUE(t->GetViewAsTreeList());
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 5})); // collapsed roots
    t->First();
    EXPECT_EQ(t->TreeNodeLevel(), 1);
    EXPECT_TRUE(t->TreeNodeHasChildren());
    int asked = 0;
    t->OnTreeNodeExpanding = TMTTreeNodeExpandingEventEh::Callable([&](TObject*, int RecNo, bool& allow) {
        ++asked;
        allow = RecNo == 1;
    });
    t->SetTreeNodeExpanded(true);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 2, 3, 5}));
    t->SetRecNo(2);
    t->SetTreeNodeExpanded(true); // refused by the handler
    EXPECT_EQ(t->RecordCount(), 4);
    t->OnTreeNodeExpanding = nullptr;
    t->SetTreeNodeExpanded(true);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 2, 4, 3, 5}));

    t->SetRecNo(3); // ID 4, level 3
    EXPECT_EQ(t->TreeNodeLevel(), 3);
    EXPECT_EQ(t->GetPriorRowTreeNodeLevel(), 2);
    EXPECT_EQ(t->GetNextRowTreeNodeLevel(), 2);
    EXPECT_TRUE(t->GetTreeNodeHasNextVisibleSibling(2)); // 2 is followed by 3
    EXPECT_FALSE(t->GetTreeNodeHasNextVisibleSibling(3));
    // Collapsing the parent of the current node answers the parent's row + 1.
    EXPECT_EQ(t->SetRowTreeNodeExpanded(1, false), 2);
    EXPECT_EQ(t->RecNo(), 2);
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 2);
    t->Last();
    EXPECT_EQ(t->GetNextRowTreeNodeLevel(), -1);
    t->First();
    EXPECT_EQ(t->GetPriorRowTreeNodeLevel(), -1);
}

TEST(MemTableTree, TreeLocateAndFullExpand) {
    auto t = Tree();
    EXPECT_TRUE(t->TreeList()->Locate("Name", "d", {}));
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 4);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 2, 4, 3, 5}));
    t->TreeList()->FullCollapse();
    EXPECT_EQ(t->RecordCount(), 2);
    t->TreeList()->FullExpand();
    EXPECT_EQ(t->RecordCount(), 5);
    EXPECT_FALSE(t->TreeList()->Locate("Name", "zz", {}));
    t->TreeList()->SetActive(false);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 2, 3, 4, 5}));
}

TEST(MemTableInstantRead, EmptyTableAndNesting) {
    auto t = MakeTable({"A:i"});
    EXPECT_EQ(t->GetInstantReadCurRow(), -1);
    t->InstantReadEnter(0);
    EXPECT_TRUE(t->FieldByName("A")->IsNull());
    t->InstantReadLeave();
    for (int i = 0; i < 6; ++i)
        AppendRow(t.get(), {i * 10});
    t->InstantReadEnter(2);
    t->InstantReadEnter(5);
    EXPECT_EQ(t->FieldByName("A")->AsInteger(), 50);
    EXPECT_EQ(t->RecNo(), 6);
    t->InstantReadLeave();
    EXPECT_EQ(t->FieldByName("A")->AsInteger(), 20);
    EXPECT_EQ(t->InstantReadViewRow(), 2);
    // A row outside the view reads as an empty row.
    t->InstantReadEnter(99);
    EXPECT_TRUE(t->FieldByName("A")->IsNull());
    t->InstantReadLeave();
    t->InstantReadLeave();
    EXPECT_EQ(t->FieldByName("A")->AsInteger(), 50); // the cursor did not move
    EXPECT_EQ(t->InstantReadIndexOfBookmark(t->RecNoToBookmark(4)), 3);
    // Sorting is refused while instant reading.
    t->InstantReadEnter(0);
    EXPECT_THROW(t->SortByFields("A DESC"), Exception);
    t->InstantReadLeave();
}

TEST(MemTableCompanions, BlobStreams) {
    CompPtr<TMemTableEh> t(Create<TMemTableEh>(nullptr));
    t->FieldDefs()->Add("B", ftBlob);
    t->FieldDefs()->Add("W", ftWideMemo);
    t->FieldDefs()->Add("M", ftMemo);
    t->CreateDataSet();
    t->Append();
    {
        std::unique_ptr<TStream> s(t->CreateBlobStream(t->FieldByName("B"), bmWrite));
        const char bytes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        s->Write(bytes, 10);
    }
    {
        std::unique_ptr<TStream> s(t->CreateBlobStream(t->FieldByName("W"), bmWrite));
        const char16_t text[] = u"héllo";
        s->Write(text, 10);
    }
    { std::unique_ptr<TStream> s(t->CreateBlobStream(t->FieldByName("M"), bmWrite)); }
    t->Post();
    Variant b;
    ASSERT_TRUE(t->GetFieldValue(t->FieldByName("B"), b));
    ASSERT_TRUE(VarIsArray(b));
    EXPECT_EQ(VarArrayHighBound(b, 1), 9);
    EXPECT_EQ(t->FieldByName("W")->AsString(), QString::fromUtf16(u"héllo"));
    EXPECT_TRUE(t->FieldByName("M")->IsNull());
    {
        std::unique_ptr<TStream> s(t->CreateBlobStream(t->FieldByName("B"), bmRead));
        EXPECT_EQ(s->Size(), 10);
    }
    try {
        std::unique_ptr<TStream> s(t->CreateBlobStream(t->FieldByName("B"), bmWrite));
        FAIL();
    } catch (EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dataset not in edit or insert mode");
    }
}

TEST(MemTableCompanions, DistinctValueLists) {
    auto t = MakeTable({"S:s", "N:i"});
    AppendRow(t.get(), {"B", 3});
    AppendRow(t.get(), {"a", 1});
    AppendRow(t.get(), {"A", 3});
    AppendRow(t.get(), {"B", Null()});
    std::shared_ptr<IMemTableDataFieldValueListEh> list;
    t->GetFieldValueList("S", list);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->GetValues()->Count(), 3);
    list.reset();
    t->SetFilterOptions({foCaseInsensitive});
    t->GetFieldValueList("S", list);
    EXPECT_EQ(list->GetValues()->Count(), 2);

    t->GetFieldValueList("N", list);
    TStrings* v = list->GetValues();
    ASSERT_EQ(v->Count(), 3);
    EXPECT_EQ(v->Strings(0), "");
    EXPECT_EQ(v->Strings(1), "1");
    EXPECT_EQ(v->Strings(2), "3");
    // The list follows the data lazily.
    AppendRow(t.get(), {"C", 7});
    EXPECT_EQ(list->GetValues()->Count(), 4);
    list->SetFilter("N > 2");
    EXPECT_EQ(list->GetValues()->Count(), 2);

    std::shared_ptr<IMemTableDataFieldValueListEh> none;
    t->GetFieldValueList("Nope", none);
    EXPECT_FALSE(none);
}

TEST(MemTableCompanions, SortedValueListAndObjectFields) {
    TSortedVarlistEh l;
    l.Add(new TSortedVarItemEh(5));
    l.Add(new TSortedVarItemEh(1));
    l.Add(new TSortedVarItemEh(3));
    l.Add(new TSortedVarItemEh(3));
    ASSERT_EQ(l.Count(), 4);
    EXPECT_EQ(l.Items(0)->Value, Variant(1));
    EXPECT_EQ(l.Items(3)->Value, Variant(5));
    EXPECT_TRUE(l.ValueExists(3));
    EXPECT_FALSE(l.ValueExists(4));
    EXPECT_THROW(l.ValueExists(VarArrayOf({1, 2})), Exception);

    // An object reference survives the round trip through the table at full pointer width.
    CompPtr<TMemTableEh> t(Create<TMemTableEh>(nullptr));
    t->FieldDefs()->Add("Obj", ftUnknown);
    t->FieldDefs()->Add("N", ftInteger);
    t->CreateDataSet();
    auto* f = dynamic_cast<TRefObjectField*>(t->FieldByName("Obj"));
    ASSERT_NE(f, nullptr);
    CompPtr<TComponent> obj(Create<TComponent>(nullptr));
    t->Append();
    f->SetValue(obj.get());
    t->Post();
    EXPECT_EQ(f->Value(), obj.get());
    EXPECT_EQ(f->AsVariant().AsObject(), obj.get());
    TRefObjectField loose(nullptr);
    EXPECT_THROW(loose.Value(), EDatabaseError);
}

TEST(MemTableTree, MoveNodeAsChildAndAfter) {
    auto t = Tree();
    t->TreeList()->FullExpand();
    ASSERT_EQ(Column(t.get(), "ID"), Ints({1, 2, 4, 3, 5}));
    // Row 4 (ID 5, a root) moved up to row 2 at a level deeper than row 1 (ID 2): its child.
    EXPECT_TRUE(t->MoveRecord(4, 2, 4, true));
    EXPECT_TRUE(t->MoveRecord(4, 2, 4, false));
    t->Locate("ID", 5, {});
    EXPECT_EQ(t->FieldByName("Parent")->AsInteger(), 2);
    EXPECT_EQ(t->TreeNodeLevel(), 3);
    // A node cannot become a descendant of itself.
    t->TreeList()->FullExpand();
    const std::vector<Variant> order = Column(t.get(), "ID");
    ASSERT_EQ(order, Ints({1, 2, 4, 5, 3}));
    EXPECT_FALSE(t->MoveRecord(0, 3, 5, true));
    int asked = 0;
    t->OnRecordsViewCheckMoveNode =
        TRecordsViewCheckMoveNodeEventEh::Callable([&](TObject*, TMemRecViewEh*, TMemRecViewEh*, int) {
            ++asked;
            return false;
        });
    EXPECT_FALSE(t->MoveRecord(4, 0, 1, false));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Column(t.get(), "ID"), order);
}

TEST(MemTableLookup, LookupFieldReadsTheOtherTable) {
    auto names = MakeTable({"Code:i", "Text:s"});
    AppendRow(names.get(), {1, "one"});
    AppendRow(names.get(), {2, "two"});
    CompPtr<TComponent> owner(Create<TComponent>(nullptr));
    TMemTableEh* t = Create<TMemTableEh>(owner.get());
    auto* code = Create<TIntegerField>(owner.get());
    code->SetFieldName("Code");
    code->SetDataSet(t);
    auto* text = Create<TStringField>(owner.get());
    text->SetFieldName("CodeText");
    text->SetFieldKind(fkLookup);
    text->SetLookupDataSet(names.get());
    text->SetKeyFields("Code");
    text->SetLookupKeyFields("Code");
    text->SetLookupResultField("Text");
    text->SetDataSet(t);
    t->CreateDataSet();
    AppendRow(t, {2});
    AppendRow(t, {3});
    AppendRow(t, {1});
    std::vector<Variant> want{Variant("two"), Null(), Variant("one")};
    std::vector<Variant> got = Column(t, "CodeText");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], want[0]);
    EXPECT_TRUE(VarIsNull(got[1]));
    EXPECT_EQ(got[2], want[2]);

    // A sort order may name it: the keys are the looked-up texts, not the codes.
    AppendRow(t, {0}); // looks up nothing, like 3
    t->SetSortOrder("CodeText DESC, Code");
    EXPECT_EQ(Column(t, "Code"), (std::vector<Variant>{2, 1, 0, 3}));
    t->SetSortOrder("CodeText");
    EXPECT_EQ(Column(t, "Code"), (std::vector<Variant>{3, 0, 1, 2})) << "equal keys in store order";
    t->SetSortOrder("");

    // Its distinct values are those of the lookup result field, and follow that table.
    std::shared_ptr<IMemTableDataFieldValueListEh> list;
    t->GetFieldValueList("CodeText", list);
    ASSERT_TRUE(list);
    AppendRow(names.get(), {3, "three"});
    AppendRow(names.get(), {4, "one"});
    TStrings* v = list->GetValues();
    ASSERT_EQ(v->Count(), 3);
    EXPECT_EQ(v->Strings(0), "one");
    EXPECT_EQ(v->Strings(1), "three");
    EXPECT_EQ(v->Strings(2), "two");
}

// Tree rows carry calculated values like flat rows, also after an edit.
TEST(MemTableTree, CalculatedFieldsOnTreeRows) {
    EventsTable e;
    e.AppendPair(0, 1);
    e.AppendPair(1, 2);
    e.AppendPair(1, 3);
    e.T->TreeList()->SetKeyFieldName("bt2");
    e.T->TreeList()->SetRefParentFieldName("bt1");
    e.T->TreeList()->SetDefaultNodeExpanded(true);
    e.T->TreeList()->SetActive(true);
    e.T->TreeList()->FullExpand();
    ASSERT_EQ(e.T->RecordCount(), 3);
    std::vector<Variant> texts = Column(e.T, "bt2String");
    EXPECT_EQ(texts, (std::vector<Variant>{Variant("act 0/1"), Variant("act 1/2"), Variant("act 1/3")}));
    e.T->SetRecNo(3);
    e.T->Edit();
    e.bt1->SetAsInteger(9);
    e.T->Post();
    EXPECT_TRUE(e.T->Locate("bt2", 3, {}));
    EXPECT_EQ(e.bt2String->AsString(), "act 1/3");
    EXPECT_EQ(e.bt1String->AsString(), "cond 1");
}
