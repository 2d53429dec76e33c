#include "StoreFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the view's events as text: "moved 2>0", "changed@0", "added@1", "deleted@3", "list".
struct ViewLog {
    std::vector<std::string> Events;
    void Attach(TRecordsViewEh& view) {
        view.OnViewDataEvent = TRecordsListNotificatorDataEventEh::Callable(
            [this](TMemoryRecordEh*, int Index, TRecordsListNotification a) {
                const char* name = a == rlnRecAddedEh          ? "added"
                                   : a == rlnRecChangedEh      ? "changed"
                                   : a == rlnRecDeletedEh      ? "deleted"
                                   : a == rlnListChangedEh     ? "list"
                                   : a == rlnRecMarkedForDelEh ? "marked"
                                                               : "other";
                Events.push_back(a == rlnListChangedEh ? std::string(name)
                                                       : std::string(name) + "@" + std::to_string(Index));
            });
        view.OnViewRecordMovedEvent =
            TRecordsListRecordMovedEventEh::Callable([this](TMemoryRecordEh*, int o, int n) {
                Events.push_back("moved " + std::to_string(o) + ">" + std::to_string(n));
            });
    }
};

std::vector<QString> Names(const TRecordsViewEh& view) {
    std::vector<QString> out;
    for (int i = 0; i < view.Count(); ++i)
        out.push_back(VarToStr(view.Rec(i)->GetDataValue(0, dvvValueEh)));
    return out;
}

std::vector<QString> L(std::initializer_list<const char*> items) {
    std::vector<QString> out;
    for (const char* s : items)
        out.push_back(QString::fromLatin1(s));
    return out;
}

class MemViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        md = MakeStore({{"Name", ftString}, {"Qty", ftInteger}});
        a = AddRec(md.get(), {AnsiString("a"), 1});
        c = AddRec(md.get(), {AnsiString("c"), 3});
        b = AddRec(md.get(), {AnsiString("b"), 2});
        view.SetMemTableData(md.get());
        log.Attach(view);
    }
    std::unique_ptr<TMemTableDataEh> md;
    TMemoryRecordEh *a, *b, *c;
    TRecordsViewEh view;
    ViewLog log;
};

} // namespace

TEST_F(MemViewTest, NaturalAndSortedOrder) {
    EXPECT_EQ(Names(view), L({"a", "c", "b"}));
    view.SetSortOrder(QStringLiteral("Name DESC"));
    EXPECT_EQ(Names(view), L({"c", "b", "a"}));
    // A posted change of a sort field moves the row, then reports the change at the new row.
    log.Events.clear();
    EditRec(a, 0, AnsiString("d"));
    EXPECT_EQ(Names(view), L({"d", "c", "b"}));
    EXPECT_EQ(log.Events, (std::vector<std::string>{"moved 2>0", "changed@0"}));
    // New records go to their sorted place.
    log.Events.clear();
    AddRec(md.get(), {AnsiString("bb"), 9});
    EXPECT_EQ(Names(view), L({"d", "c", "bb", "b"}));
    EXPECT_EQ(log.Events, (std::vector<std::string>{"added@2"}));
    view.SetSortOrder(QStringLiteral("Qty"));
    EXPECT_EQ(Names(view), L({"d", "b", "c", "bb"}));
    view.SetSortOrder(QString());
    EXPECT_EQ(Names(view), L({"d", "c", "b", "bb"}));
    EXPECT_EQ(view.IndexOf(b), 2);
    EXPECT_THROW(view.SetSortOrder(QStringLiteral("Nope")), Exception);
}

TEST_F(MemViewTest, FilterAndStatusFilter) {
    // A record edited out of the filter leaves at its old row; edited back, it comes in again.
    view.OnFilterRecord = [](TMemoryRecordEh* r, TMemRecViewEh*) {
        return r->GetDataValue(1, dvvValueEh).AsInteger() < 5;
    };
    view.RefreshFilteredRecsList();
    log.Events.clear();
    EditRec(c, 1, 10);
    EXPECT_EQ(Names(view), L({"a", "b"}));
    EditRec(c, 1, 3);
    EXPECT_EQ(Names(view), L({"a", "c", "b"}));
    EXPECT_EQ(log.Events, (std::vector<std::string>{"deleted@1", "added@1"}));

    // Marking deleted under cached updates hides the row; the deleted filter shows only those.
    view.OnFilterRecord = nullptr;
    md->RecordsList()->SetCachedUpdates(true);
    log.Events.clear();
    md->RecordsList()->DeleteRecord(c->Index());
    EXPECT_EQ(Names(view), L({"a", "b"}));
    EXPECT_EQ(log.Events, (std::vector<std::string>{"deleted@1"}));
    view.SetStatusFilter(TUpdateStatusSet{usDeleted});
    EXPECT_EQ(Names(view), L({"c"}));
    view.SetStatusFilter(TUpdateStatusSet{usUnmodified, usModified, usInserted});
    md->RecordsList()->CancelUpdates();
    EXPECT_EQ(Names(view), L({"a", "c", "b"}));
}

TEST_F(MemViewTest, DisabledFilterAndCachedUpdatesLock) {
    view.InstantDisableFilter();
    AddRec(md.get(), {AnsiString("x"), 0});
    EXPECT_EQ(view.Count(), 3);
    view.InstantEnableFilter();
    view.RefreshFilteredRecsList();
    EXPECT_EQ(view.Count(), 4);

    // Unlocking gives the list back its own flag, not a flag the view made up.
    TRecordsListEh* rl = md->RecordsList();
    ASSERT_FALSE(rl->CachedUpdates());
    view.LockCachedUpdates();
    view.LockCachedUpdates();
    view.UnlockCachedUpdates();
    view.UnlockCachedUpdates();
    view.UnlockCachedUpdates();
    EXPECT_FALSE(rl->CachedUpdates());
    rl->SetCachedUpdates(true);
    view.LockCachedUpdates();
    EXPECT_FALSE(rl->CachedUpdates());
    view.UnlockCachedUpdates();
    EXPECT_TRUE(rl->CachedUpdates());
}

TEST_F(MemViewTest, RowsFollowListMovesAndRangeDeletes) {
    TRecordsListEh* rl = md->RecordsList();
    rl->Move(2, 0);
    EXPECT_EQ(Names(view), L({"b", "a", "c"}));
    rl->Move(0, 2);
    EXPECT_EQ(Names(view), L({"a", "c", "b"}));
    AddRec(md.get(), {AnsiString("d"), 4});
    AddRec(md.get(), {AnsiString("e"), 5});

    // Overlapping ranges delete each record once; bad ranges are refused before anything goes.
    EXPECT_THROW(rl->PersistDeleteRecords({{1, 2}, {4, 7}}), EListError);
    EXPECT_EQ(rl->Count(), 5);
    EXPECT_THROW(rl->PersistDeleteRecords({{3, 1}}), EListError);
    log.Events.clear();
    rl->PersistDeleteRecords({{1, 2}, {2, 3}});
    EXPECT_EQ(Names(view), L({"a", "e"}));
    EXPECT_EQ(log.Events, (std::vector<std::string>{"list"}));

    // A handler that refuses an offered record stops the delete with nothing removed.
    TRecordsListNotificatorEh refuser;
    refuser.OnApplyUpdates = TRecordsListApplyUpdatesEventEh::Callable(
        [](TMemTableDataEh*) { throw Exception(QStringLiteral("refused")); });
    refuser.SetDataObject(md.get());
    EXPECT_THROW(rl->PersistDeleteRecords({{0, 1}}), Exception);
    EXPECT_EQ(Names(view), L({"a", "e"}));
    refuser.SetDataObject(nullptr);
}

TEST_F(MemViewTest, FieldsCannotBeRemovedOrMovedUnderRecords) {
    TMTDataStructEh* ds = md->DataStruct();
    TMTDataFieldEh* qty = ds->FieldByName(QStringLiteral("Qty"));
    EXPECT_THROW(ds->RemoveField(qty), EDatabaseError);
    EXPECT_THROW(qty->SetIndex(0), EDatabaseError);
    EXPECT_EQ(ds->Count(), 2);
    EXPECT_EQ(c->GetDataValue(1, dvvValueEh).AsInteger(), 3);
    // Changing a column's type keeps the values in place.
    ds->ChangeFieldType(QStringLiteral("Qty"), DefaultDataFieldClasses(ftFloat));
    EXPECT_EQ(ds->FieldIndex(QStringLiteral("Qty")), 1);
    EXPECT_EQ(c->GetDataValue(1, dvvValueEh).AsInteger(), 3);
    // A field added later reads as Null in existing records.
    TMTDataFieldEh* extra = ds->CreateField(DefaultDataFieldClasses(ftInteger));
    extra->SetFieldName(QStringLiteral("Extra"));
    EXPECT_TRUE(a->GetDataValue(2, dvvValueEh).IsNull());
    // Its values outgrow the room the record was made with; an edit cancelled puts them back.
    const Variant qtyBefore = a->GetDataValue(1, dvvValueEh);
    EditRec(a, 2, 7);
    a->Edit();
    a->SetDataValue(2, dvvValueEh, 8);
    a->SetDataValue(1, dvvValueEh, 9);
    a->Cancel();
    EXPECT_EQ(a->GetDataValue(2, dvvValueEh).AsInteger(), 7);
    EXPECT_EQ(a->GetDataValue(1, dvvValueEh), qtyBefore);
    md->RecordsList()->Clear();
    ds->RemoveField(extra);
    delete extra;
    EXPECT_EQ(ds->Count(), 2);
}

TEST_F(MemViewTest, DirectAggregatesAndErrors) {
    AddRec(md.get(), {AnsiString("n"), Null()});
    EXPECT_EQ(view.CalcAggrFieldFunc(QStringLiteral("Qty"), QStringLiteral("SUM")).AsInteger(), 6);
    EXPECT_EQ(view.CalcAggrFieldFunc(QStringLiteral("Qty"), QStringLiteral("COUNT")).AsInteger(), 3);
    EXPECT_EQ(view.CalcAggrFieldFunc(QStringLiteral("*"), QStringLiteral("COUNT")).AsInteger(), 4);
    EXPECT_EQ(view.CalcAggrFieldFunc(QStringLiteral("Qty"), QStringLiteral("MIN")).AsInteger(), 1);
    EXPECT_EQ(view.CalcAggrFieldFunc(QStringLiteral("Qty"), QStringLiteral("MAX")).AsInteger(), 3);
    EXPECT_DOUBLE_EQ(view.CalcAggrFieldFunc(QStringLiteral("Qty"), QStringLiteral("AVG")).AsDouble(), 2.0);
    try {
        view.CalcAggrFieldFunc(QStringLiteral("Nope"), QStringLiteral("SUM"));
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid field name: Nope"));
    }
    try {
        view.CalcAggrFieldFunc(QStringLiteral("Qty"), QStringLiteral("sum"));
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unsupported aggrigate function: sum"));
    }
    // Aggregate items without an open data set hold Null.
    TMTAggregateEh* item = view.Aggregates()->Add();
    item->SetExpression(QStringLiteral("SUM(Qty)"));
    item->SetActive(true);
    EXPECT_TRUE(item->Value().IsNull());
}

TEST_F(MemViewTest, ViewDetachesWhenStoreGoes) {
    md.reset();
    EXPECT_EQ(view.MemTableData(), nullptr);
    EXPECT_EQ(view.Count(), 0);
    EXPECT_EQ(view.IndexOf(nullptr), -1);
    EXPECT_THROW(view.Rec(0), EListError);
}
