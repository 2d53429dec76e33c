// Sorting, filtering (with the texts the data grid writes), searching and aggregates.

#include "MemTableFixture.h"

namespace {

CompPtr<TMemTableEh> People() {
    auto t = MakeTable({"ID:i", "Name:s", "Qty:i", "Price:f"});
    AppendRow(t.get(), {1, "beta", 3, 1.5});
    AppendRow(t.get(), {2, "Alpha", Null(), 2.0});
    AppendRow(t.get(), {3, "alpha", 1, 0.5});
    AppendRow(t.get(), {4, "Gamma", 3, 4.0});
    AppendRow(t.get(), {5, "ABC", 2, Null()});
    return t;
}

} // namespace

TEST(MemTableSort, SortOrderTexts) {
    auto t = People();
    t->SetSortOrder("Qty DESC, ID");
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 4, 5, 3, 2})); // Null last when descending
    t->SetSortOrder("Qty");
    EXPECT_EQ(Column(t.get(), "ID"), Ints({2, 3, 5, 1, 4})); // Null first, equal keys in store order
    t->SetSortOrder("Qty asc desc");
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 4, 5, 3, 2}));
    t->SetSortOrder("");
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 2, 3, 4, 5}));

    try {
        t->SortByFields("Qty foo");
        FAIL();
    } catch (Exception& e) {
        EXPECT_EQ(e.Message(), " Invalid token - \"foo\"");
    }
    try {
        t->SortByFields("Nope");
        FAIL();
    } catch (Exception& e) {
        EXPECT_EQ(e.Message(), " Field - \"Nope\" not found.");
    }
    // A posted change moves the row to its sorted place; the cursor follows the record.
    t->SetSortOrder("Name");
    t->Locate("ID", 4, {});
    t->Edit();
    t->FieldByName("Name")->SetAsString("aaa");
    t->Post();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 4);
    EXPECT_EQ(Column(t.get(), "ID").front(), Variant(4));
}

// Rows with equal sort keys stand in the order of their records in the store, after a resort
// from another order and when a posted row joins a group of equals.
TEST(MemTableSort, EqualKeysKeepStoreOrder) {
    auto t = MakeTable({"ID:i", "bt1:i", "bt2:i"});
    AppendRow(t.get(), {1, 1, 5});
    AppendRow(t.get(), {2, 2, 1});
    AppendRow(t.get(), {3, 1, 2});
    AppendRow(t.get(), {4, Null(), 0});
    AppendRow(t.get(), {5, 2, 1});
    t->SetSortOrder("bt1 DESC, bt2");
    EXPECT_EQ(Column(t.get(), "ID"), Ints({2, 5, 3, 1, 4}));
    t->SetSortOrder("bt1");
    EXPECT_EQ(Column(t.get(), "ID"), Ints({4, 1, 3, 2, 5}));

    auto u = MakeTable({"ID:i", "bt1:i", "bt2:i"});
    for (const auto& row :
         std::vector<std::vector<Variant>>{{1, 1, 5}, {2, 2, 1}, {3, 1, 2}, {4, Null(), 0}, {5, 2, 1}})
        AppendRow(u.get(), {row[0], row[1], row[2]});
    u->SetSortOrder("bt1");
    ASSERT_TRUE(u->Locate("ID", 3, {}));
    u->Edit();
    u->FieldByName("bt1")->SetAsInteger(2);
    u->Post();
    EXPECT_EQ(Column(u.get(), "ID"), Ints({4, 1, 2, 3, 5}));
    // Back to its old key, the row returns to its old place among equals.
    ASSERT_TRUE(u->Locate("ID", 3, {}));
    u->Edit();
    u->FieldByName("bt1")->SetAsInteger(1);
    u->Post();
    EXPECT_EQ(Column(u.get(), "ID"), Ints({4, 1, 3, 2, 5}));
}

// A sort order may name calculated and lookup fields; their keys are computed per record.
TEST(MemTableSort, SortOrderNamesCalculatedField) {
    CompPtr<TComponent> owner(Create<TComponent>(nullptr));
    CompPtr<TMemTableEh> t(Create<TMemTableEh>(owner.get()));
    auto add = [&](auto* f, const char* name, TFieldKind kind) {
        f->SetFieldName(QString::fromLatin1(name));
        f->SetFieldKind(kind);
        f->SetDataSet(t.get());
        return f;
    };
    TIntegerField* id = add(Create<TIntegerField>(owner.get()), "ID", fkData);
    TIntegerField* a = add(Create<TIntegerField>(owner.get()), "A", fkData);
    TIntegerField* c = add(Create<TIntegerField>(owner.get()), "C", fkCalculated);
    t->OnCalcFields = TDataSetNotifyEvent::Callable([&](TDataSet*) {
        c->SetAsInteger(a->IsNull() ? 0 : (a->AsInteger() * 7) % 10); // not the order of A
    });
    t->CreateDataSet();
    for (int i = 1; i <= 6; ++i) {
        t->Append();
        id->SetAsInteger(i);
        a->SetAsInteger(i);
        t->Post();
    }
    // C: 7 4 1 8 5 2
    t->SetSortOrder("C");
    EXPECT_EQ(Column(t.get(), "ID"), Ints({3, 6, 2, 5, 1, 4}));
    t->SetSortOrder("C DESC, ID");
    EXPECT_EQ(Column(t.get(), "ID"), Ints({4, 1, 5, 2, 6, 3}));
    // A posted row goes to its computed place.
    ASSERT_TRUE(t->Locate("ID", 4, {}));
    t->Edit();
    a->SetAsInteger(10); // C = 0
    t->Post();
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 5, 2, 6, 3, 4}));
    t->Append();
    id->SetAsInteger(7);
    a->SetAsInteger(9); // C = 3
    t->Post();
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 5, 2, 7, 6, 3, 4}));
    try {
        t->SetSortOrder("Nope");
        FAIL();
    } catch (Exception& e) {
        EXPECT_EQ(e.Message(), " Field - \"Nope\" not found.");
    }
    t->SetSortOrder("A DESC");
    EXPECT_EQ(Column(t.get(), "ID"), Ints({4, 7, 6, 5, 3, 2, 1}));
}

// In a tree the children of each node follow a calculated sort key too.
TEST(MemTableSort, TreeSortOrderNamesCalculatedField) {
    CompPtr<TComponent> owner(Create<TComponent>(nullptr));
    CompPtr<TMemTableEh> t(Create<TMemTableEh>(owner.get()));
    auto add = [&](const char* name, TFieldKind kind) {
        TIntegerField* f = Create<TIntegerField>(owner.get());
        f->SetFieldName(QString::fromLatin1(name));
        f->SetFieldKind(kind);
        f->SetDataSet(t.get());
        return f;
    };
    TIntegerField* id = add("ID", fkData);
    TIntegerField* parent = add("Parent", fkData);
    TIntegerField* neg = add("Neg", fkCalculated);
    t->OnCalcFields = TDataSetNotifyEvent::Callable([&](TDataSet*) { neg->SetAsInteger(-id->AsInteger()); });
    t->CreateDataSet();
    // 1 (2 (4), 3), 5
    for (const auto& [i, p] : std::vector<std::pair<int, int>>{{1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 0}}) {
        t->Append();
        id->SetAsInteger(i);
        if (p) parent->SetAsInteger(p);
        t->Post();
    }
    t->TreeList()->SetKeyFieldName("ID");
    t->TreeList()->SetRefParentFieldName("Parent");
    t->TreeList()->SetActive(true);
    t->SetSortOrder("Neg");
    t->TreeList()->FullExpand();
    EXPECT_EQ(Column(t.get(), "ID"), Ints({5, 1, 3, 2, 4}));
    t->SetSortOrder("ID");
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 2, 4, 3, 5}));
}

TEST(MemTableSort, SortByFieldsReordersTheStoreAndCaseInsensitiveTexts) {
    auto t = People();
    t->SortByFields("Name");
    EXPECT_EQ(t->MemTableData()->RecordsList()->Rec(0)->GetDataValue(0, dvvValueEh), Variant(5));
    EXPECT_EQ(t->SortOrder(), "");

    auto u = People();
    u->SetOptions({mtoTextFieldsCaseInsensitive});
    EXPECT_TRUE(u->FilterOptions().Contains(foCaseInsensitive));
    u->SetSortOrder("Name");
    EXPECT_EQ(Column(u.get(), "ID"), Ints({5, 2, 3, 1, 4})); // Alpha and alpha keep store order
    u->SetOptions({});
    EXPECT_FALSE(u->FilterOptions().Contains(foCaseInsensitive));
}

TEST(MemTableFilter, GridWrittenFilterTexts) {
    auto t = People();
    struct Case {
        const char* Filter;
        std::vector<int> Ids;
    };
    const Case cases[] = {
        {"[Qty] = 3", {1, 4}},
        {"[Qty] IS NULL", {2}},
        {"[Qty] IS NOT NULL AND [Price] > 1.25", {1, 4}},
        {"[Name] LIKE 'a%'", {3}},
        {"([Qty] = 1) OR ([Qty] = 2)", {3, 5}},
        {"[Name] IN ('beta', 'Gamma')", {1, 4}},
        {"Price >= 2", {2, 4}},
    };
    for (const Case& c : cases) {
        t->SetFilter(c.Filter);
        t->SetFiltered(true);
        std::vector<Variant> want;
        for (int id : c.Ids)
            want.emplace_back(id);
        EXPECT_EQ(Column(t.get(), "ID"), want) << c.Filter;
        t->SetFiltered(false);
    }
    // Changing Filter while Filtered is off changes no rows.
    t->SetFilter("[Qty] = 3");
    EXPECT_EQ(t->RecordCount(), 5);

    // Case-insensitive filter options.
    t->SetFilter("[Name] = 'alpha'");
    t->SetFilterOptions({foCaseInsensitive});
    t->SetFiltered(true);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({2, 3}));
}

TEST(MemTableFilter, OnFilterRecordAndCursorAfterRefilter) {
    auto t = People();
    t->Last();
    t->SetOnFilterRecord(TFilterRecordEvent::Callable(
        [](TDataSet* ds, bool& accept) { accept = ds->FieldByName("ID")->AsInteger() % 2 == 1; }));
    t->SetFiltered(true);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 3, 5}));

    // A post that leaves the record outside the filter leaves the cursor on the first row.
    t->SetRecNo(2);
    t->Edit();
    t->FieldByName("ID")->SetAsInteger(30);
    t->Post();
    EXPECT_EQ(t->RecNo(), 1);
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 1);
    EXPECT_EQ(t->RecordCount(), 2);

    // An exception in the filter goes to the application's handler and the record stays in.
    int handled = 0;
    auto saved = DBHandleExceptionProc;
    static int* counter = nullptr;
    counter = &handled;
    DBHandleExceptionProc = [](TObject*) { ++*counter; };
    t->SetOnFilterRecord(TFilterRecordEvent::Callable([](TDataSet*, bool&) { throw Exception("boom"); }));
    DBHandleExceptionProc = saved;
    EXPECT_EQ(t->RecordCount(), 5);
    EXPECT_EQ(handled, 5);
}

TEST(MemTableFilter, ExtraFiltersThroughTheGridInterface) {
    auto t = People();
    IMemTableEh* mt = t.get();
    TObject* item = mt->AddExtraFilter("[Qty] >= 2", nullptr);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 4, 5}));
    EXPECT_TRUE(mt->UpdateExtraFilter(item, "[Qty] = 3", nullptr));
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 4}));
    // Combined with the table's own filter.
    t->SetFilter("ID > 1");
    t->SetFiltered(true);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({4}));
    TMemTableFilterItemEh other(nullptr);
    EXPECT_FALSE(mt->RemoveExtraFilter(&other));
    EXPECT_TRUE(mt->RemoveExtraFilter(item));
    EXPECT_EQ(Column(t.get(), "ID"), Ints({2, 3, 4, 5}));
    String w;
    mt->GetLikeWildcardForSeveralCharacters(w);
    EXPECT_EQ(w, "%");
    // An inactive item changes nothing until activated.
    t->SetFiltered(false);
    TMemTableFilterItemEh* it = t->ExtraFilters()->Add();
    it->SetFilter("ID = 3");
    EXPECT_EQ(t->RecordCount(), 5);
    it->SetActive(true);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({3}));
}

// The items that test records are taken again after every change of the items, also after
// changes made inside an update of the collection; their events read the record being tested.
TEST(MemTableFilter, ExtraFilterEventsFollowChangesOfTheItems) {
    auto t = People();
    IMemTableEh* mt = t.get();
    TObject* a = mt->AddExtraFilter(String(), TFilterRecordEvent::Callable([](TDataSet* ds, bool& accept) {
                                        accept = ds->FieldByName("Qty")->AsInteger() >= 2;
                                    }));
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 4, 5}));
    TMemTableFiltersEh* fs = t->ExtraFilters();
    fs->BeginUpdate();
    TMemTableFilterItemEh* b = fs->Add();
    b->SetOnFilterRecord(TFilterRecordEvent::Callable(
        [](TDataSet* ds, bool& accept) { accept = ds->FieldByName("ID")->AsInteger() != 4; }));
    b->SetActive(true);
    fs->EndUpdate();
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 5}));
    EXPECT_TRUE(mt->RemoveExtraFilter(a));
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 2, 3, 5}));
    // Without its event the item no longer filters; with a text it filters by the text alone.
    b->SetOnFilterRecord(nullptr);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 2, 3, 4, 5}));
    b->SetFilter("ID <= 2");
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 2}));
    b->SetActive(false);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({1, 2, 3, 4, 5}));
}

TEST(MemTableSearch, LocateLookupLookupAll) {
    auto t = People();
    int scrolls = 0;
    t->AfterScroll = TDataSetNotifyEvent::Callable([&](TDataSet*) { ++scrolls; });
    t->BeforeScroll = t->AfterScroll;
    EXPECT_TRUE(t->Locate("Name", "Gamma", {}));
    EXPECT_EQ(t->RecNo(), 4);
    EXPECT_EQ(scrolls, 0); // Locate sends no scroll events
    EXPECT_TRUE(t->Locate("Name", "gam", {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(t->RecNo(), 4);
    EXPECT_FALSE(t->Locate("Name", "Gammas", {loPartialKey}));
    EXPECT_TRUE(t->Locate("Name", "AB", {loPartialKey}));
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 5);
    EXPECT_FALSE(t->Locate("Name", "ABCD", {loPartialKey}));
    EXPECT_TRUE(t->Locate("Qty;Price", VarArrayOf({3, 4.0}), {}));
    EXPECT_EQ(t->RecNo(), 4);

    t->First();
    const Variant v = t->Lookup("ID", 3, "Name");
    EXPECT_EQ(v, Variant("alpha"));
    EXPECT_EQ(t->RecNo(), 1); // the cursor does not move
    EXPECT_TRUE(VarIsEmpty(t->Lookup("ID", 99, "Name")));

    const Variant all = t->LookupAll("Qty", 3, "ID", {});
    ASSERT_TRUE(VarIsArray(all));
    EXPECT_EQ(VarArrayHighBound(all, 1), 1);
    EXPECT_EQ(all[0], Variant(1));
    EXPECT_EQ(all[1], Variant(4));
    EXPECT_EQ(t->LookupAll("Qty", 1, "ID", {}), Variant(3));

    auto empty = MakeTable({"ID:i"});
    EXPECT_FALSE(empty->Locate("ID", 1, {}));
}

// With an index the key is found through it; a key whose indexed record the view hides still
// finds a visible record with the same key.
TEST(MemTableSearch, IndexedLocateFallsBackToTheView) {
    auto t = MakeTable({"K:i", "V:i"});
    t->Close();
    t->IndexDefs()->Add("ixK", "K", {});
    t->Open();
    for (int i = 0; i < 50; ++i)
        AppendRow(t.get(), {i % 10, i});
    ASSERT_NE(t->MemTableData()->RecordsList()->Indexes()->GetIndexForFields("K"), nullptr);
    EXPECT_TRUE(t->Locate("K", 7, {}));
    EXPECT_EQ(t->FieldByName("V")->AsInteger(), 7);
    t->SetFilter("V > 30");
    t->SetFiltered(true);
    EXPECT_TRUE(t->Locate("K", 7, {}));
    EXPECT_EQ(t->FieldByName("V")->AsInteger(), 37);
    EXPECT_FALSE(t->Locate("K", 10, {}));
}

TEST(MemTableAggregates, RangeValues) {
    auto t = People();
    Variant r[5];
    t->GetAggregatedValuesForRange({}, {}, "Qty", r, agfSumEh | agfCountEh | agfAvgEh | agfMinEh | agfMaxEh);
    EXPECT_EQ(r[0], Variant(9));
    EXPECT_EQ(r[1], Variant(4)); // Null not counted
    EXPECT_DOUBLE_EQ(r[2].AsDouble(), 2.25);
    EXPECT_EQ(r[3], Variant(1));
    EXPECT_EQ(r[4], Variant(3));
    // The grid asks for the average alone.
    t->GetAggregatedValuesForRange(t->RecNoToBookmark(1), t->RecNoToBookmark(2), "Price", r, agfAvgEh);
    EXPECT_DOUBLE_EQ(r[2].AsDouble(), 1.75);
    EXPECT_TRUE(VarIsNull(r[0]));
    t->GetAggregatedValuesForRange({}, {}, "", r, agfCountEh);
    EXPECT_EQ(r[1], Variant(5));
    t->GetAggregatedValuesForRange(t->RecNoToBookmark(9), {}, "Qty", r, agfSumEh);
    EXPECT_TRUE(VarIsNull(r[0]));
    EXPECT_EQ(r[1], Variant(0));
}

TEST(MemTableAggregates, AggregateFieldFollowsTheView) {
    CompPtr<TComponent> owner(Create<TComponent>(nullptr));
    TMemTableEh* t = Create<TMemTableEh>(owner.get());
    auto* qty = Create<TIntegerField>(owner.get());
    qty->SetFieldName("Qty");
    qty->SetDataSet(t);
    auto* sum = Create<TAggregateField>(owner.get());
    sum->SetFieldName("Total");
    sum->SetFieldKind(fkAggregate);
    sum->SetExpression("SUM(Qty)");
    sum->SetActive(true);
    sum->SetDataSet(t);
    t->CreateDataSet();
    for (int q : {1, 2, 3})
        AppendRow(t, {q});
    EXPECT_TRUE(VarIsNull(sum->AsVariant())); // aggregates are off
    t->SetAggregatesActive(true);
    EXPECT_EQ(sum->AsVariant().AsDouble(), 6.0);
    t->SetFilter("Qty > 1");
    t->SetFiltered(true);
    EXPECT_EQ(sum->AsVariant().AsDouble(), 5.0);
    t->Close();
    EXPECT_TRUE(VarIsNull(sum->AsVariant()));
    t->Open(); // still filtered
    EXPECT_EQ(sum->AsVariant().AsDouble(), 5.0);
}
