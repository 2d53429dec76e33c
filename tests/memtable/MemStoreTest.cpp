#include "lib/memtable/MemTableDataEh.h"
#include "platform/classes/ComponentStreams.h"

#include <gtest/gtest.h>

namespace {

// The events table's store: ID (auto-increment) and two integer columns.
std::unique_ptr<TMemTableDataEh> MakeEventsStore() {
    auto md = std::make_unique<TMemTableDataEh>(nullptr);
    md->SetName(QStringLiteral("MemTableData"));
    auto* id = md->DataStruct()->CreateField<TMTNumericDataFieldEh>();
    id->SetNumericDataType(fdtAutoIncEh);
    id->SetFieldName(QStringLiteral("ID"));
    for (const char* n : {"bt1", "bt2"})
        md->DataStruct()->CreateField<TMTNumericDataFieldEh>()->SetFieldName(QString::fromLatin1(n));
    return md;
}

TMemoryRecordEh* Add(TRecordsListEh* rl, std::initializer_list<Variant> values) {
    TMemoryRecordEh* r = rl->NewRecord();
    int i = 0;
    for (const Variant& v : values)
        r->SetDataValue(i++, dvvValueEh, v);
    rl->AddRecord(r);
    return r;
}

QByteArray Bytes(TMemoryStream& s) {
    return QByteArray(static_cast<const char*>(s.Memory()), int(s.Size()));
}

} // namespace

TEST(MemStoreStream, WorkedExampleBytesAndRoundTrip) {
    auto md = MakeEventsStore();
    TRecordsListEh* rl = md->RecordsList();
    // IDs are numbered -1, -2, -3; bt1/bt2 are set explicitly.
    Add(rl, {Null(), 8, 1});
    Add(rl, {Null(), 16, 2});
    Add(rl, {Null(), 24, 3});
    EXPECT_EQ(rl->Rec(2)->GetDataValue(0, dvvValueEh), Variant(-3));
    md->SetAutoIncCurValue(-9);

    TMemoryStream s;
    md->SaveToStream(&s);
    const QByteArray exact = QByteArray::fromHex("010102FF0208020100"
                                                 "0102FE0210020200"
                                                 "0102FD0218020300"
                                                 "00");
    EXPECT_EQ(exact.size(), 26);
    EXPECT_TRUE(Bytes(s).contains(QByteArray("\x04"
                                             "Data",
                                             5) +
                                  exact))
        << Bytes(s).toHex().toStdString();

    s.SetPosition(0);
    auto loaded = std::make_unique<TMemTableDataEh>(nullptr);
    loaded->LoadFromStream(&s);
    ASSERT_EQ(loaded->DataStruct()->Count(), 3);
    EXPECT_EQ(loaded->DataStruct()->DataFields(0)->DataType(), ftAutoInc);
    TRecordsListEh* lr = loaded->RecordsList();
    ASSERT_EQ(lr->Count(), 3);
    EXPECT_EQ(lr->Rec(1)->GetDataValue(0, dvvValueEh), Variant(-2));
    EXPECT_EQ(lr->Rec(1)->GetDataValue(1, dvvValueEh), Variant(16));
    EXPECT_EQ(lr->Rec(1)->UpdateStatus(), usUnmodified);
    EXPECT_FALSE(lr->HasCachedChanges());
    EXPECT_EQ(loaded->AutoIncCurValue(), -9);
    TMemoryRecordEh* next = Add(lr, {Null(), 1, 1});
    EXPECT_EQ(next->GetDataValue(0, dvvValueEh), Variant(-9));
}

TEST(MemStoreStream, LoadingIntoAFilledStoreReplacesItsStructure) {
    auto md = MakeEventsStore();
    Add(md->RecordsList(), {Null(), 1, 2});
    TMemoryStream s;
    md->SaveToStream(&s);
    s.SetPosition(0);
    auto target = MakeEventsStore();
    target->LoadFromStream(&s);
    EXPECT_EQ(target->DataStruct()->Count(), 3);
    EXPECT_EQ(target->RecordsList()->Count(), 1);
}

// A stream written without records replaces the structure and keeps the store's records,
// matched by field name and converted to the new types.
TEST(MemStoreStream, StructureOnlyStreamKeepsRecordsByFieldName) {
    auto target = MakeEventsStore();
    Add(target->RecordsList(), {Null(), 100000, 1});
    Add(target->RecordsList(), {Null(), 7, 2});

    // The same structure: the records stay as they are.
    auto same = MakeEventsStore();
    same->SetStoreRecordsInStream(false);
    TMemoryStream s;
    same->SaveToStream(&s);
    s.SetPosition(0);
    target->LoadFromStream(&s);
    ASSERT_EQ(target->RecordsList()->Count(), 2);
    EXPECT_EQ(target->RecordsList()->Rec(0)->GetDataValue(1, dvvValueEh), Variant(100000));
    EXPECT_EQ(target->RecordsList()->Rec(1)->GetDataValue(2, dvvValueEh), Variant(2));

    // Another structure: bt2 first and as text, bt1 gone, a new field; values follow the names.
    auto other = std::make_unique<TMemTableDataEh>(nullptr);
    other->SetName(QStringLiteral("MemTableData"));
    other->SetStoreRecordsInStream(false);
    auto* bt2 = other->DataStruct()->CreateField<TMTStringDataFieldEh>();
    bt2->SetFieldName(QStringLiteral("bt2"));
    other->DataStruct()->CreateField<TMTNumericDataFieldEh>()->SetFieldName(QStringLiteral("ID"));
    other->DataStruct()->CreateField<TMTNumericDataFieldEh>()->SetFieldName(QStringLiteral("New"));
    TMemoryStream o;
    other->SaveToStream(&o);
    o.SetPosition(0);
    target->LoadFromStream(&o);
    ASSERT_EQ(target->DataStruct()->Count(), 3);
    EXPECT_EQ(target->DataStruct()->DataFields(0)->FieldName(), QStringLiteral("bt2"));
    ASSERT_EQ(target->RecordsList()->Count(), 2);
    const TMemoryRecordEh* r = target->RecordsList()->Rec(1);
    EXPECT_EQ(r->GetDataValue(0, dvvValueEh).AsString(), QStringLiteral("2"));
    EXPECT_EQ(r->GetDataValue(1, dvvValueEh), Variant(-2));
    EXPECT_TRUE(r->GetDataValue(2, dvvValueEh).IsNull());

    // A value the new type cannot hold fails the read; the store stays as it was.
    auto narrow = MakeEventsStore();
    narrow->SetStoreRecordsInStream(false);
    auto* small = narrow->DataStruct()->CreateField<TMTNumericDataFieldEh>();
    small->SetNumericDataType(fdtSmallintEh);
    small->SetFieldName(QStringLiteral("Small"));
    TMemoryStream n;
    narrow->SaveToStream(&n);
    auto wide = MakeEventsStore();
    auto* big = wide->DataStruct()->CreateField<TMTNumericDataFieldEh>();
    big->SetFieldName(QStringLiteral("Small"));
    Add(wide->RecordsList(), {Null(), 1, 2, 5});
    Add(wide->RecordsList(), {Null(), 3, 4, 100000});
    n.SetPosition(0);
    EXPECT_THROW(wide->LoadFromStream(&n), Exception);
    ASSERT_EQ(wide->DataStruct()->Count(), 4);
    EXPECT_EQ(wide->DataStruct()->DataFields(3)->DataType(), ftInteger);
    ASSERT_EQ(wide->RecordsList()->Count(), 2);
    EXPECT_EQ(wide->RecordsList()->Rec(1)->GetDataValue(3, dvvValueEh), Variant(100000));
}

TEST(MemStoreStream, TruncatedOrCorruptStreamRaisesAndLeavesStoreAlone) {
    auto md = MakeEventsStore();
    Add(md->RecordsList(), {Null(), 5, 6});
    TMemoryStream s;
    md->SaveToStream(&s);
    const QByteArray full = Bytes(s);
    for (int cut : {10, int(full.size()) / 2, int(full.size()) - 3}) {
        TMemoryStream t;
        t.Write(full.constData(), cut);
        t.SetPosition(0);
        auto target = MakeEventsStore();
        Add(target->RecordsList(), {Null(), 7, 8});
        EXPECT_THROW(target->LoadFromStream(&t), Exception) << cut;
        ASSERT_EQ(target->RecordsList()->Count(), 1);
        EXPECT_EQ(target->RecordsList()->Rec(0)->GetDataValue(1, dvvValueEh), Variant(7));
        EXPECT_EQ(target->DataStruct()->Count(), 3);
    }
}

TEST(MemStoreStream, NullsEmptyValuesAndBlobs) {
    auto md = std::make_unique<TMemTableDataEh>(nullptr);
    md->DataStruct()->CreateField<TMTNumericDataFieldEh>()->SetFieldName(QStringLiteral("N"));
    auto* blob = md->DataStruct()->CreateField<TMTBlobDataFieldEh>();
    blob->SetFieldName(QStringLiteral("B"));
    blob->AssignDataType(ftBlob);
    TRecordsListEh* rl = md->RecordsList();
    Add(rl, {Null(), Null()});
    TMemoryStream s;
    md->SaveToStream(&s);
    s.SetPosition(0);
    auto loaded = std::make_unique<TMemTableDataEh>(nullptr);
    loaded->LoadFromStream(&s);
    ASSERT_EQ(loaded->RecordsList()->Count(), 1);
    EXPECT_TRUE(loaded->RecordsList()->Rec(0)->GetDataValue(0, dvvValueEh).IsNull());
    const Variant b = loaded->RecordsList()->Rec(0)->GetDataValue(1, dvvValueEh);
    EXPECT_TRUE(b.IsArray()); // a Null blob comes back as an empty byte array
    EXPECT_TRUE(VarToBytes(b).empty());

    // An unassigned value cannot be written.
    rl->SetValue(0, 0, Variant());
    TMemoryStream t;
    try {
        md->SaveToStream(&t);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("\"TMemoryRecordEh.WriteData\" - Invalid variant type - varEmpty"));
    }
}

TEST(MemStoreStream, NoRecordsNoDataAndUnpromotedCounterNotWritten) {
    auto md = MakeEventsStore();
    TMemoryStream s;
    md->SaveToStream(&s);
    EXPECT_FALSE(Bytes(s).contains("AutoIncCurValue"));
    EXPECT_FALSE(Bytes(s).contains(QByteArray("\x04"
                                              "Data",
                                              5)));
}

// ---------------------------------------------------------------------------------------------
// Change log

struct ChangeLogFixture : ::testing::Test {
    std::unique_ptr<TMemTableDataEh> md = MakeEventsStore();
    TRecordsListEh* rl = md->RecordsList();
    TMemoryRecordEh* Fetch(int a, int b) {
        TMemoryRecordEh* r = rl->NewRecord();
        r->SetDataValue(1, dvvValueEh, a);
        r->SetDataValue(2, dvvValueEh, b);
        rl->FetchRecord(r);
        return r;
    }
    void EditPost(TMemoryRecordEh* r, int a) {
        r->Edit();
        r->SetDataValue(1, dvvValueEh, a);
        r->Post();
    }
};

TEST_F(ChangeLogFixture, StatesThroughEditDeleteRevertAndMerge) {
    TMemoryRecordEh* r = Fetch(1, 1);
    rl->SetCachedUpdates(true);
    EditPost(r, 2);
    EditPost(r, 3);
    EXPECT_EQ(r->UpdateStatus(), usModified);
    EXPECT_EQ(r->OldData()[1], Variant(1)); // the values before the first edit

    TMemoryRecordEh* ins = Add(rl, {Null(), 9, 9});
    EXPECT_EQ(ins->UpdateStatus(), usInserted);
    EditPost(ins, 10);
    EXPECT_EQ(ins->UpdateStatus(), usInserted);
    EXPECT_FALSE(ins->HasOldData());
    rl->DeleteRecord(ins->Index());
    EXPECT_EQ(rl->Count(), 1);
    EXPECT_TRUE(rl->HasCachedChanges());

    rl->RevertRecord(0);
    EXPECT_EQ(r->UpdateStatus(), usUnmodified);
    EXPECT_EQ(r->GetDataValue(1, dvvValueEh), Variant(1));
    rl->MergeChangeLog();
    EXPECT_FALSE(rl->HasCachedChanges());
    EditPost(r, 4);
    EXPECT_EQ(r->UpdateStatus(), usModified);
    EXPECT_EQ(r->UpdateIndex(), 0);
}

TEST_F(ChangeLogFixture, DeletingAModifiedRecordKeepsItsOriginalValues) {
    TMemoryRecordEh* r = Fetch(1, 1);
    rl->SetCachedUpdates(true);
    EditPost(r, 2);
    rl->DeleteRecord(0);
    EXPECT_EQ(r->UpdateStatus(), usDeleted);
    EXPECT_EQ(r->GetDataValue(1, dvvOldestValue), Variant(1));
    EXPECT_THROW(rl->DeleteRecord(0), Exception);
    rl->CancelUpdates();
    EXPECT_EQ(r->UpdateStatus(), usUnmodified);
    EXPECT_EQ(r->GetDataValue(1, dvvValueEh), Variant(1));
}

TEST_F(ChangeLogFixture, CancelUpdatesFreesInsertedAndAlwaysEndsWithListChanged) {
    Fetch(1, 1);
    rl->SetCachedUpdates(true);
    Add(rl, {Null(), 2, 2});
    TMemoryRecordEh* odd = Fetch(3, 3);
    odd->SetUpdateStatus(usModified); // no old values: must not stop the walk
    Add(rl, {Null(), 4, 4});
    std::vector<TRecordsListNotification> seen;
    TRecordsListNotificatorEh listener;
    listener.SetDataObject(md.get());
    listener.OnDataEvent = TRecordsListNotificatorDataEventEh::Callable(
        [&](TMemoryRecordEh*, int, TRecordsListNotification a) { seen.push_back(a); });
    rl->CancelUpdates();
    EXPECT_EQ(rl->Count(), 2);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), rlnListChangedEh);
    listener.SetDataObject(nullptr);
}

TEST_F(ChangeLogFixture, ValueVersionsAndErrors) {
    TMemoryRecordEh* r = Fetch(1, 2);
    EXPECT_THROW(r->GetDataValue(0, dvvEditValueEh), Exception);
    EXPECT_THROW(r->GetDataValue(0, dvvOldValueEh), Exception);
    EXPECT_THROW(r->GetDataValue(3, dvvValueEh), EListError);
    r->Edit();
    r->SetDataValue(1, dvvValueEh, 5);
    EXPECT_EQ(r->GetDataValue(1, dvvCurValueEh), Variant(1));
    EXPECT_EQ(r->GetDataValue(1, dvvEditValueEh), Variant(5));
    r->Cancel();
    EXPECT_EQ(r->GetDataValue(1, dvvValueEh), Variant(1));
    const Variant both = r->GetDataValues(QStringLiteral("bt1;bt2"), dvvValueEh);
    ASSERT_TRUE(both.IsArray());
    EXPECT_EQ(both[1], Variant(2));
    // A text is cast to the column's type.
    r->SetDataValue(2, dvvValueEh, QStringLiteral("42"));
    EXPECT_EQ(r->GetDataValue(2, dvvValueEh).VType(), varInteger);
    EXPECT_THROW(r->Free(), Exception); // still in the list
}

TEST_F(ChangeLogFixture, UpdateBracketDropsEventsAndIndexesSeeOneListChange) {
    std::vector<TRecordsListNotification> seen;
    TRecordsListNotificatorEh listener;
    listener.SetDataObject(md.get());
    listener.OnDataEvent = TRecordsListNotificatorDataEventEh::Callable(
        [&](TMemoryRecordEh*, int, TRecordsListNotification a) { seen.push_back(a); });
    TMTIndexEh* idx = rl->Indexes()->Add();
    idx->SetFields(QStringLiteral("bt1"));
    idx->SetActive(true);
    rl->BeginUpdate();
    for (int i = 0; i < 3; ++i)
        Add(rl, {Null(), 3 - i, 0});
    rl->EndUpdate();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], rlnListChangedEh);
    EXPECT_EQ(idx->Count(), 3);
    int recIndex = -1;
    EXPECT_TRUE(idx->FindRecordIndexByKey(Variant(1), recIndex));
    EXPECT_EQ(recIndex, 2);
    listener.SetDataObject(nullptr);
}

// ---------------------------------------------------------------------------------------------
// Indexes

TEST_F(ChangeLogFixture, IndexFollowsTheRightRecordAmongDuplicateKeys) {
    TMTIndexEh* idx = rl->Indexes()->Add();
    idx->SetFields(QStringLiteral("bt1"));
    idx->SetActive(true);
    TMemoryRecordEh* a = Fetch(5, 0);
    TMemoryRecordEh* b = Fetch(5, 1);
    Fetch(5, 2);
    // Change the middle record's key: its own entry moves, not another's.
    EditPost(b, 7);
    std::vector<TMemoryRecordEh*> recs;
    idx->FillMatchedRecsList(Variant(7), recs);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0], b);
    recs.clear();
    idx->FillMatchedRecsList(Variant(5), recs);
    EXPECT_EQ(recs.size(), 2u);
    // Delete the first: the others keep pointing at themselves.
    rl->DeleteRecord(a->Index());
    recs.clear();
    idx->FillMatchedRecsList(Variant(7), recs);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0], b);
    // Insert in the middle shifts every later position.
    TMemoryRecordEh* c = rl->NewRecord();
    c->SetDataValue(1, dvvValueEh, 9);
    rl->InsertRecord(0, c);
    int pos = -1;
    ASSERT_TRUE(idx->FindRecordIndexByKey(Variant(7), pos));
    EXPECT_EQ(rl->Rec(pos), b);
}

TEST_F(ChangeLogFixture, MarkedDeletedRecordsAndUniqueKeys) {
    TMTIndexEh* idx = rl->Indexes()->Add();
    idx->SetFields(QStringLiteral("bt1"));
    idx->SetUnical(true);
    idx->SetActive(true);
    Fetch(1, 0);
    TMemoryRecordEh* two = Fetch(2, 0);
    try {
        Fetch(2, 5);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unical key violation 2"));
    }
    EXPECT_EQ(rl->Count(), 2);
    rl->SetCachedUpdates(true);
    rl->DeleteRecord(two->Index());
    idx->RebuildIndex(); // a rebuild leaves marked-deleted records out as well
    EXPECT_EQ(idx->Count(), 1);
    rl->RevertRecord(two->Index());
    EXPECT_EQ(idx->Count(), 2);
    int pos = -1;
    EXPECT_TRUE(idx->FindRecordIndexByKey(Variant(2), pos));
    EXPECT_EQ(rl->Rec(pos), two);
    EXPECT_THROW(idx->FindKeyValueIndex(Variant(QStringLiteral("x")), pos), Exception);
}

// Activating a unique index, or making an active one unique, over duplicate keys is refused
// with the key error, as appending the duplicate would be; the index stays as it was.
TEST_F(ChangeLogFixture, UniqueIndexOverDuplicateKeysIsRefused) {
    for (int i = 0; i < 1000; ++i)
        Fetch(i == 999 ? 0 : i, i == 999 ? 0 : i % 10);
    struct Case {
        const char* Fields;
        const char* Message;
    };
    for (const Case& c :
         {Case{"bt1", "Unical key violation 0"}, Case{"bt1;bt2", "Unical key violation 0;0"}}) {
        TMTIndexEh* idx = rl->Indexes()->Add();
        idx->SetFields(QString::fromLatin1(c.Fields));
        idx->SetUnical(true);
        try {
            idx->SetActive(true);
            FAIL() << c.Fields;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QString::fromLatin1(c.Message));
        }
        EXPECT_FALSE(idx->Active());
        EXPECT_TRUE(idx->Unical());

        idx->SetUnical(false);
        idx->SetActive(true);
        EXPECT_THROW(idx->SetUnical(true), Exception);
        EXPECT_FALSE(idx->Unical());
        EXPECT_TRUE(idx->Active());
        EXPECT_THROW(idx->SetPrimary(true), Exception);
        EXPECT_FALSE(idx->Primary());
        ASSERT_EQ(idx->Count(), 1000); // still a working non-unique index
        std::vector<TMemoryRecordEh*> recs;
        idx->FillMatchedRecsList(c.Fields == std::string("bt1") ? Variant(0) : VarArrayOf({0, 0}), recs);
        EXPECT_EQ(recs.size(), 2u);
    }
    // Without the duplicate the index activates; changing its fields to duplicate keys keeps
    // its old fields.
    rl->DeleteRecord(999);
    TMTIndexEh* idx = rl->Indexes()->Add();
    idx->SetFields(QStringLiteral("bt1"));
    idx->SetUnical(true);
    idx->SetActive(true);
    EXPECT_EQ(idx->Count(), 999);
    EXPECT_THROW(idx->SetFields(QStringLiteral("bt2")), Exception);
    EXPECT_EQ(idx->Fields(), QStringLiteral("bt1"));
    EXPECT_TRUE(idx->Active());
    EXPECT_EQ(idx->Count(), 999);
    EXPECT_THROW(Fetch(5, 0), Exception);
}

// ---------------------------------------------------------------------------------------------
// Structure

TEST(MemStoreStruct, NamesCountersAndRestructure) {
    TAutoIncrementEh c;
    EXPECT_EQ(c.Promote(), -1);
    EXPECT_EQ(c.Promote(), -2);
    TAutoIncrementEh d;
    d.SetInitValue(100);
    EXPECT_EQ(d.Promote(), 100);
    d.SetInitValue(5);
    EXPECT_EQ(d.CurValue(), 99);

    auto md = MakeEventsStore();
    md->SetName(QStringLiteral("MemTableData"));
    TMTDataStructEh* ds = md->DataStruct();
    EXPECT_EQ(ds->FieldIndex(QStringLiteral("id")), 0);
    EXPECT_EQ(ds->FieldIndex(QStringLiteral("none")), -1);
    EXPECT_THROW(ds->FieldByName(QStringLiteral("none")), EDatabaseError);
    try {
        ds->DataFields(1)->SetFieldName(QStringLiteral("ID"));
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("MemTableData: Duplicate field name 'ID'"));
    }
    EXPECT_EQ(ds->DataFields(1)->FieldName(), QStringLiteral("bt1"));
    ds->DataFields(1)->SetFieldName(QStringLiteral("BT1"));
    EXPECT_EQ(ds->DataFields(1)->Name(), QStringLiteral("BT1")); // its own name is free to it
    auto* s = ds->CreateField<TMTStringDataFieldEh>();
    s->SetFieldName(QStringLiteral("1st"));
    EXPECT_EQ(s->Name(), QStringLiteral("MTStringDataFieldEh1st"));
    EXPECT_EQ(s->Size(), 20);

    Add(md->RecordsList(), {Null(), 12, 3, QStringLiteral("long text")});
    Add(md->RecordsList(), {Null(), 13, 4, QStringLiteral("42")});
    // Restructure through a copy: a shortened string column cuts its values; a text that is no
    // number becomes Null in a numeric column; a new column is Null.
    TMTDataStructEh* copy = ds->GetCopy();
    static_cast<TMTStringDataFieldEh*>(copy->DataFields(3))->SetSize(4);
    copy->CreateField<TMTNumericDataFieldEh>()->SetFieldName(QStringLiteral("extra"));
    ds->EndRestructure(copy, true);
    TMemoryRecordEh* r = md->RecordsList()->Rec(0);
    EXPECT_EQ(r->GetDataValue(1, dvvValueEh), Variant(12));
    EXPECT_EQ(r->GetDataValue(3, dvvValueEh).AsString(), QStringLiteral("long"));
    EXPECT_TRUE(r->GetDataValue(4, dvvValueEh).IsNull());
    ds->ChangeFieldType(QStringLiteral("1st"), &DataFieldClassOf<TMTNumericDataFieldEh>);
    EXPECT_EQ(ds->DataFields(3)->Alignment(), taRightJustify);
    TMTDataStructEh* copy2 = ds->GetCopy();
    ds->EndRestructure(copy2, true);
    EXPECT_TRUE(md->RecordsList()->Rec(0)->GetDataValue(3, dvvValueEh).IsNull());
    EXPECT_EQ(md->RecordsList()->Rec(1)->GetDataValue(3, dvvValueEh), Variant(42));
}
