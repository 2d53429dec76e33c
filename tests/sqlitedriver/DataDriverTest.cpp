// The data driver over a provider data set: reading rows, resolving the change log with the
// update-error protocol, refreshing records, and the server-type registry.

#include "DriverFixture.h"

#include "lib/memtable/DataDriverEh.h"

namespace {

// A reader whose end of life the test can see.
class TTrackedQuery : public TSQLiteQuery {
public:
    explicit TTrackedQuery(bool* Freed) : TSQLiteQuery(nullptr), FFreed(Freed) {}
    ~TTrackedQuery() override { *FFreed = true; }

private:
    bool* FFreed;
};

class DataDriverTest : public DriverFixture {
protected:
    void SetUp() override {
        DriverFixture::SetUp();
        driver = new TDataDriverEh(owner.get());
    }
    // Reads every row of the provider into the store.
    void ReadAll() {
        driver->GetDataReader();
        driver->BuildDataStruct(store->DataStruct());
        driver->ReadData(store.get(), -1);
    }
    TDataDriverEh* driver = nullptr;
};

TEST_F(DataDriverTest, ReadsProviderRowsAndAnswersTheRecordsAdded) {
    TSQLiteQuery* q = NewQuery(QStringLiteral("SELECT ID, NAME, PRICE FROM GOODS ORDER BY ID"));
    driver->SetProviderDataSet(q);
    EXPECT_EQ(driver->GetDataReader(), q);
    EXPECT_TRUE(q->Active());
    driver->BuildDataStruct(store->DataStruct());
    ASSERT_EQ(store->DataStruct()->Count(), 3);

    EXPECT_EQ(driver->ReadData(store.get(), 2), 2);
    EXPECT_FALSE(driver->ProviderEOF());
    // One row is left: three asked, one added (the attempt that meets the end adds nothing).
    EXPECT_EQ(driver->ReadData(store.get(), 3), 1);
    EXPECT_TRUE(driver->ProviderEOF());
    EXPECT_EQ(driver->ReadData(store.get(), 3), 0);
    EXPECT_EQ(driver->ReadData(store.get(), -1), 0);
    EXPECT_EQ(StoreColumn(QStringLiteral("NAME")), QStringLiteral("Bread|Milk|Хлеб"));
    EXPECT_EQ(StoreColumn(QStringLiteral("PRICE")), QStringLiteral("1.5|0.9|2.25"));
    // A provider used as the reader stays.
    EXPECT_EQ(driver->ProviderDataSet(), q);
    EXPECT_TRUE(q->Active());

    // Closing the consumer closes the provider; the next reader starts from the first row.
    driver->ConsumerClosed(nullptr);
    EXPECT_FALSE(q->Active());
    store->RecordsList()->Clear();
    EXPECT_EQ(driver->GetDataReader(), q);
    EXPECT_EQ(driver->ReadData(store.get(), -1), 3);
}

TEST_F(DataDriverTest, ProducedReaderIsFreedAtItsEnd) {
    bool freed = false;
    driver->OnProduceDataReader = TDataDriverProduceDataReaderEhEvent::Callable(
        [&](TDataDriverEh*, TDataSet*& reader, bool& freeOnEof) {
            auto* q = new TTrackedQuery(&freed);
            q->SetConnection(conn);
            q->SQL()->SetText(QStringLiteral("SELECT ID, NAME FROM GOODS WHERE ID < 3 ORDER BY ID"));
            q->Open();
            reader = q;
            freeOnEof = true;
        });
    driver->BuildDataStruct(store->DataStruct()); // takes the reader's fields
    ASSERT_EQ(store->DataStruct()->Count(), 2);
    EXPECT_EQ(driver->ReadData(store.get(), 2), 2);
    EXPECT_FALSE(freed);
    EXPECT_EQ(driver->ReadData(store.get(), 1), 0);
    EXPECT_TRUE(freed);
    EXPECT_EQ(StoreColumn(QStringLiteral("NAME")), QStringLiteral("Bread|Milk"));

    // A reader given up before its end is freed with the driver.
    freed = false;
    EXPECT_NE(driver->GetDataReader(), nullptr);
    driver->Free();
    driver = nullptr;
    EXPECT_TRUE(freed);
}

TEST_F(DataDriverTest, FailedReadFreesTheNewRecordAndKeepsTheStore) {
    driver->SetProviderDataSet(NewQuery(QStringLiteral("SELECT ID, NAME FROM GOODS ORDER BY ID")));
    ReadAll();
    ASSERT_EQ(store->RecordsList()->Count(), 3);
    driver->SetProviderEOF(false);
    driver->OnReadRecord =
        TDataDriverReadRecordEhEvent::Callable([](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, bool&) {
            throw Exception(QStringLiteral("broken row"));
        });
    EXPECT_THROW(driver->ReadData(store.get(), 1), Exception);
    EXPECT_EQ(store->RecordsList()->Count(), 3);
}

TEST_F(DataDriverTest, FieldsAreMatchedByNameIgnoringCase) {
    driver->SetProviderDataSet(
        NewQuery(QStringLiteral("SELECT PRICE AS price, NAME AS name FROM GOODS ORDER BY ID")));
    TMTDataFieldEh* f = store->DataStruct()->CreateField(DefaultDataFieldClasses(ftWideString));
    f->AssignDataType(ftWideString);
    f->SetFieldName(QStringLiteral("Name"));
    f = store->DataStruct()->CreateField(DefaultDataFieldClasses(ftInteger));
    f->AssignDataType(ftInteger);
    f->SetFieldName(QStringLiteral("Missing"));
    driver->GetDataReader();
    EXPECT_EQ(driver->ReadData(store.get(), -1), 3);
    EXPECT_EQ(StoreColumn(QStringLiteral("Name")), QStringLiteral("Bread|Milk|Хлеб"));
    EXPECT_EQ(StoreColumn(QStringLiteral("Missing")), QStringLiteral("||"));
}

// ---------------------------------------------------------------------------------------------
// Resolving into an editable provider

class ResolveTest : public DataDriverTest {
protected:
    void SetUp() override {
        DataDriverTest::SetUp();
        ds = new TTestDataSet(owner.get());
        ds->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        ds->FieldDefs()->Add(QStringLiteral("NAME"), ftString, 20);
        ds->FieldDefs()->Add(QStringLiteral("NOTE"), ftMemo);
        ds->FieldDefs()->Add(QStringLiteral("STAMP"), ftString, 20);
        ds->AddRecord({1, QStringLiteral("Bread"), QStringLiteral("a"), Null()});
        ds->AddRecord({2, QStringLiteral("Milk"), QStringLiteral("b"), Null()});
        ds->AddRecord({3, QStringLiteral("Salt"), QStringLiteral("c"), Null()});
        ds->Open();
        driver->SetProviderDataSet(ds);
        ReadAll();
        store->RecordsList()->SetCachedUpdates(true);
    }
    QString Provider(const QString& field) {
        QStringList out;
        ds->First();
        for (; !ds->Eof(); ds->Next())
            out << ds->FieldByName(field)->AsString();
        out.sort(); // the provider places inserted rows where its cursor stands
        return out.join(QLatin1Char('|'));
    }
    TTestDataSet* ds = nullptr;
};

TEST_F(ResolveTest, AppliesInsertUpdateDeleteAndTakesBackComputedValues) {
    // The provider stamps rows as it posts them; the stamp must come back to the record.
    ds->BeforePost = TDataSetNotifyEvent::Callable(
        [](TDataSet* d) { d->FieldByName(QStringLiteral("STAMP"))->SetAsString(QStringLiteral("posted")); });
    EditRec(Rec(1), QStringLiteral("NAME"), QStringLiteral("Kefir"));
    store->RecordsList()->DeleteRecord(2);
    TMemoryRecordEh* ins =
        InsertRec({{QStringLiteral("ID"), 4}, {QStringLiteral("NAME"), QStringLiteral("Tea")}});
    ds->Locate(QStringLiteral("ID"), 1, {});

    EXPECT_EQ(driver->ApplyUpdates(store.get()), 3);
    EXPECT_FALSE(store->RecordsList()->HasCachedChanges());
    EXPECT_EQ(Provider(QStringLiteral("NAME")), QStringLiteral("Bread|Kefir|Tea"));
    EXPECT_EQ(VarToStr(ins->GetDataValue(Fi(QStringLiteral("STAMP")), dvvValueEh)), QStringLiteral("posted"));
    EXPECT_EQ(VarToStr(Rec(1)->GetDataValue(Fi(QStringLiteral("STAMP")), dvvValueEh)),
              QStringLiteral("posted"));
    EXPECT_EQ(StoreColumn(QStringLiteral("NAME")), QStringLiteral("Bread|Kefir|Tea"));
}

TEST_F(ResolveTest, DefaultKeyUsesKeyTypedFieldsOnly) {
    // No KeyFields: ID and the two strings make the key, the memo does not. A changed memo must
    // still find its row by the other fields' original values.
    EditRec(Rec(2), QStringLiteral("NOTE"), QStringLiteral("changed"));
    EXPECT_EQ(driver->ApplyUpdates(store.get()), 1);
    EXPECT_EQ(Provider(QStringLiteral("NOTE")), QStringLiteral("a|b|changed"));
}

TEST_F(ResolveTest, RowMissingFromProviderIsAnUpdateErrorNotASilentSuccess) {
    driver->SetKeyFields(QStringLiteral("ID"));
    EditRec(Rec(0), QStringLiteral("NAME"), QStringLiteral("Rye"));
    EditRec(Rec(1), QStringLiteral("NAME"), QStringLiteral("Kefir"));
    ds->Locate(QStringLiteral("ID"), 1, {});
    ds->Delete(); // someone else removed row 1

    EXPECT_THROW(driver->ApplyUpdates(store.get()), EDatabaseError);
    EXPECT_TRUE(store->RecordsList()->HasCachedChanges());
    EXPECT_EQ(Rec(0)->UpdateStatus(), usModified);
    EXPECT_EQ(Rec(1)->UpdateStatus(), usModified); // not reached
    EXPECT_EQ(Provider(QStringLiteral("NAME")), QStringLiteral("Milk|Salt"));

    // Skipping keeps the lost change in the log with its error; the rest goes through.
    driver->OnUpdateError =
        TDataDriverUpdateErrorEhEvent::Callable([](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*,
                                                   TUpdateErrorActionEh& a) { a = ueaCountinueSkip; });
    EXPECT_EQ(driver->ApplyUpdates(store.get()), 1);
    EXPECT_EQ(Rec(0)->UpdateStatus(), usModified);
    ASSERT_NE(Rec(0)->UpdateError(), nullptr);
    EXPECT_NE(Rec(0)->UpdateError()->ExceptionObject()->Message().indexOf(QStringLiteral("not found")), -1);
    EXPECT_EQ(Rec(1)->UpdateStatus(), usUnmodified);
    EXPECT_EQ(Provider(QStringLiteral("NAME")), QStringLiteral("Kefir|Salt"));
}

TEST_F(ResolveTest, UpdateErrorActions) {
    // The second of three changed records fails (once, for the retry case).
    struct Case {
        TUpdateErrorActionEh Action;
        int Applied;
        TUpdateStatus First, Second, Third;
        bool SecondHasError;
    };
    const Case cases[] = {
        {ueaCountinueSkip, 2, usUnmodified, usModified, usUnmodified, true},
        {ueaCountinueEh, 2, usUnmodified, usUnmodified, usUnmodified, false},
        {ueaBreakAbortEh, 1, usUnmodified, usModified, usModified, true},
        {ueaRetryEh, 3, usUnmodified, usUnmodified, usUnmodified, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.Action));
        TearDown();
        SetUp();
        for (int i = 0; i < 3; ++i)
            EditRec(Rec(i), QStringLiteral("NAME"), QStringLiteral("N%1").arg(i));
        int failures = 0, asked = 0;
        driver->OnUpdateRecord = TDataDriverRecordEhEvent::Callable(
            [&](TDataDriverEh* d, TMemTableDataEh* md, TMemoryRecordEh* r) {
                if (r == Rec(1) && failures++ == 0) DatabaseError(QStringLiteral("row locked"));
                d->DefaultUpdateRecord(md, r);
            });
        driver->OnUpdateError = TDataDriverUpdateErrorEhEvent::Callable(
            [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, TUpdateErrorActionEh& a) {
                EXPECT_EQ(a, ueaBreakRaiseEh);
                ++asked;
                a = c.Action;
            });
        EXPECT_EQ(driver->ApplyUpdates(store.get()), c.Applied);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(Rec(0)->UpdateStatus(), c.First);
        EXPECT_EQ(Rec(1)->UpdateStatus(), c.Second);
        EXPECT_EQ(Rec(2)->UpdateStatus(), c.Third);
        EXPECT_EQ(Rec(1)->UpdateError() != nullptr, c.SecondHasError);
    }
}

TEST_F(ResolveTest, DefaultErrorHandlingRaisesAndOtherExceptionsPassThrough) {
    for (int i = 0; i < 3; ++i)
        EditRec(Rec(i), QStringLiteral("NAME"), QStringLiteral("N%1").arg(i));
    driver->OnUpdateRecord =
        TDataDriverRecordEhEvent::Callable([&](TDataDriverEh* d, TMemTableDataEh* md, TMemoryRecordEh* r) {
            if (r == Rec(1)) DatabaseError(QStringLiteral("row locked"));
            d->DefaultUpdateRecord(md, r);
        });
    EXPECT_THROW(driver->ApplyUpdates(store.get()), EDatabaseError);
    EXPECT_EQ(Rec(0)->UpdateStatus(), usUnmodified);
    EXPECT_EQ(Rec(1)->UpdateStatus(), usModified);
    EXPECT_EQ(Rec(2)->UpdateStatus(), usModified);
    EXPECT_EQ(Provider(QStringLiteral("NAME")), QStringLiteral("Milk|N0|Salt"));

    // Only database errors enter the protocol.
    bool asked = false;
    driver->OnUpdateError = TDataDriverUpdateErrorEhEvent::Callable(
        [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, TUpdateErrorActionEh& a) {
            asked = true;
            a = ueaCountinueSkip;
        });
    driver->OnUpdateRecord =
        TDataDriverRecordEhEvent::Callable([](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*) {
            throw Exception(QStringLiteral("not a db error"));
        });
    EXPECT_THROW(driver->ApplyUpdates(store.get()), Exception);
    EXPECT_FALSE(asked);
}

TEST_F(ResolveTest, FailedPostCancelsTheProviderAndRestoresItsPosition) {
    driver->SetKeyFields(QStringLiteral("ID"));
    ds->BeforePost =
        TDataSetNotifyEvent::Callable([](TDataSet*) { DatabaseError(QStringLiteral("rejected")); });
    EditRec(Rec(1), QStringLiteral("NAME"), QStringLiteral("Kefir"));
    ds->Locate(QStringLiteral("ID"), 3, {});
    EXPECT_THROW(driver->ApplyUpdates(store.get()), EDatabaseError);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->FieldByName(QStringLiteral("ID"))->AsInteger(), 3);
    EXPECT_EQ(Rec(1)->UpdateStatus(), usModified);
}

TEST_F(ResolveTest, RefreshRecordFromProvider) {
    EXPECT_THROW(
        {
            try {
                driver->RefreshRecord(Rec(0));
            } catch (const Exception& e) {
                EXPECT_EQ(
                    e.Message(),
                    QStringLiteral("It is required to set DataDriver.KeyFields to refresh record values"));
                throw;
            }
        },
        Exception);
    driver->SetKeyFields(QStringLiteral("ID"));
    ds->Locate(QStringLiteral("ID"), 2, {});
    ds->Edit();
    ds->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("Cream"));
    ds->Post();
    ds->First();
    driver->RefreshRecord(Rec(1));
    EXPECT_EQ(VarToStr(Rec(1)->GetDataValue(Fi(QStringLiteral("NAME")), dvvValueEh)),
              QStringLiteral("Cream"));
    EXPECT_EQ(ds->FieldByName(QStringLiteral("ID"))->AsInteger(), 1); // provider back where it was

    // A modified record is found by its old key.
    EditRec(Rec(2), QStringLiteral("ID"), 30);
    driver->RefreshRecord(Rec(2));
    EXPECT_EQ(Rec(2)->UpdateStatus(), usModified);
    ds->Locate(QStringLiteral("ID"), 3, {});
    ds->Delete();
    try {
        driver->RefreshRecord(Rec(2));
        ADD_FAILURE() << "refresh of a missing row succeeded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Key is not found in ProviderDataSet"));
    }
}

TEST_F(DataDriverTest, ProviderRemovalAndCircularAssignment) {
    TSQLiteQuery* q = NewQuery(QStringLiteral("SELECT ID FROM GOODS"));
    driver->SetProviderDataSet(q);
    q->Free();
    EXPECT_EQ(driver->ProviderDataSet(), nullptr);
    EXPECT_EQ(driver->GetDataReader(), nullptr);
}

// ---------------------------------------------------------------------------------------------

TEST(ServerTypesTest, RegistryOrderAndDuplicates) {
    const std::vector<String> names = RegisteredServerTypeNames();
    ASSERT_GE(names.size(), 8u);
    const std::vector<String> first(names.begin(), names.begin() + 8);
    EXPECT_EQ(first, (std::vector<String>{"AnsiServer", "Oracle", "MSSQL", "Interbase", "Infromix", "DB2",
                                          "Sybase", "MSAccess"}));
    try {
        RegisterServerSpecOperations<TOracleSpecOperationsEh>();
        ADD_FAILURE() << "second registration accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Server type with name: \"Oracle\" is already registered"));
    }
    std::unique_ptr<TServerSpecOperationsEh> ops(CreateServerSpecOperations(QStringLiteral("MSSQL")));
    ASSERT_NE(ops, nullptr);
    EXPECT_EQ(ops->GetServerTypeName(), QStringLiteral("MSSQL"));
    EXPECT_EQ(CreateServerSpecOperations(QStringLiteral("NoSuchServer")), nullptr);
}

} // namespace
