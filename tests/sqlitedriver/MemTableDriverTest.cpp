// A memory table over the data drivers: opening reads the rows, cached changes go to the
// server with ApplyUpdates, uncached ones at once, and a record refresh reads the row again.

#include "DriverFixture.h"

#include "lib/memtable/MemTableEh.h"

namespace {

class TEventLink : public TDataLink {
public:
    std::vector<TDataEvent> Events;
    void DataEvent(TDataEvent Event, NativeInt Info) override {
        Events.push_back(Event);
        TDataLink::DataEvent(Event, Info);
    }
};

class MemTableDriverTest : public DriverFixture {
protected:
    void SetUp() override {
        DriverFixture::SetUp();
        provider = new TSQLiteConnectionProviderEh(owner.get());
        provider->SetConnection(conn);
        driver = Create<TSQLiteDataDriverEh>(owner.get());
        driver->SetConnectionProvider(provider);
        driver->SetServerSpecOperations(&ops);
        driver->SpecParams()->SetValues(QStringLiteral("AUTO_INCREMENT_FIELD"), QStringLiteral("ID"));
        driver->SelectSQL()->SetText(QStringLiteral("SELECT ID, NAME, PRICE FROM GOODS ORDER BY ID"));
        driver->GetrecSQL()->SetText(QStringLiteral("SELECT ID, NAME, PRICE FROM GOODS WHERE ID = :OLD_ID"));
        TDynaSQLParamsEh* p = driver->DynaSQLParams();
        p->SetUpdateTable(QStringLiteral("GOODS"));
        p->SetKeyFields(QStringLiteral("ID"));
        p->SetUpdateFields(QStringLiteral("ID, NAME, PRICE"));
        p->SetOptions({dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh});
        mt = Create<TMemTableEh>(owner.get());
        mt->SetDataDriver(driver);
    }
    QString Names() {
        QStringList out;
        mt->First();
        for (; !mt->Eof(); mt->Next())
            out << mt->FieldByName(QStringLiteral("ID"))->AsString() + QLatin1Char(':') +
                       mt->FieldByName(QStringLiteral("NAME"))->AsString();
        return out.join(QLatin1Char('|'));
    }
    TSQLiteSpecOperationsEh ops;
    TSQLiteConnectionProviderEh* provider = nullptr;
    TSQLiteDataDriverEh* driver = nullptr;
    TMemTableEh* mt = nullptr;
};

TEST_F(MemTableDriverTest, OpenReadsTheRowsOnDemandOrAllAtOnce) {
    mt->Open();
    EXPECT_EQ(mt->FieldCount(), 3);
    EXPECT_FALSE(driver->ProviderEOF()); // rows arrive as the cursor needs them
    mt->Last();
    EXPECT_EQ(mt->RecordCount(), 3);
    EXPECT_TRUE(driver->ProviderEOF());
    EXPECT_EQ(Names(), QStringLiteral("1:Bread|2:Milk|3:Хлеб"));
    mt->Close();

    mt->SetFetchAllOnOpen(true);
    mt->Open();
    EXPECT_TRUE(driver->ProviderEOF());
    EXPECT_EQ(mt->RecordCount(), 3);
}

TEST_F(MemTableDriverTest, CachedChangesAreAppliedThroughTheDriver) {
    mt->SetFetchAllOnOpen(true);
    mt->SetCachedUpdates(true);
    mt->Open();
    mt->Locate(QStringLiteral("ID"), 2, {});
    mt->Edit();
    mt->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("Kefir"));
    mt->Post();
    mt->Locate(QStringLiteral("ID"), 1, {});
    mt->Delete();
    mt->Append();
    mt->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("Tea"));
    mt->Post();
    EXPECT_EQ(Column(QStringLiteral("NAME")), QStringLiteral("1:Bread|2:Milk|3:Хлеб")); // nothing sent yet

    EXPECT_EQ(mt->ApplyUpdates(-1), 3);
    EXPECT_EQ(Column(QStringLiteral("NAME")), QStringLiteral("2:Kefir|3:Хлеб|4:Tea"));
    EXPECT_FALSE(mt->HasCachedChanges());
    // The key the server gave the new row is in the table.
    EXPECT_EQ(Names(), QStringLiteral("2:Kefir|3:Хлеб|4:Tea"));
}

TEST_F(MemTableDriverTest, UncachedPostGoesToTheServerAtOnce) {
    mt->SetFetchAllOnOpen(true);
    mt->Open();
    mt->Locate(QStringLiteral("ID"), 3, {});
    mt->Edit();
    mt->FieldByName(QStringLiteral("PRICE"))->SetAsFloat(2.5);
    mt->Post();
    EXPECT_EQ(Column(QStringLiteral("PRICE")), QStringLiteral("1:1.5|2:0.9|3:2.5"));

    // A rejected change raises and leaves the server as it was.
    mt->Edit();
    mt->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("Milk"));
    EXPECT_THROW(mt->Post(), EDatabaseError);
    EXPECT_EQ(Column(QStringLiteral("NAME")), QStringLiteral("1:Bread|2:Milk|3:Хлеб"));
}

TEST_F(MemTableDriverTest, RefreshRecordAndSelectChanges) {
    mt->SetFetchAllOnOpen(true);
    mt->Open();
    TEventLink link;
    auto* src = new TDataSource(owner.get());
    src->SetDataSet(mt);
    link.SetDataSource(src);

    conn->ExecSQL(QStringLiteral("UPDATE GOODS SET NAME = 'Rye' WHERE ID = 1"));
    mt->First();
    mt->RefreshRecord();
    EXPECT_EQ(mt->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Rye"));

    // A new select text tells the open table that its structure may have changed.
    link.Events.clear();
    driver->SelectSQL()->SetText(QStringLiteral("SELECT ID, NAME FROM GOODS"));
    EXPECT_NE(std::find(link.Events.begin(), link.Events.end(), dePropertyChange), link.Events.end());
    link.SetDataSource(nullptr);
}

TEST_F(MemTableDriverTest, DetailRowsAreSelectedWithTheMastersValues) {
    conn->ExecSQL(QStringLiteral("CREATE TABLE ITEMS (GOODS_ID INTEGER, QTY INTEGER)"));
    conn->ExecSQL(QStringLiteral("INSERT INTO ITEMS VALUES (1, 10), (1, 11), (3, 30)"));
    const QString select = QStringLiteral("SELECT GOODS_ID, QTY FROM ITEMS WHERE GOODS_ID = :ID");
    mt->SetFetchAllOnOpen(true);
    mt->Open();
    auto* src = new TDataSource(owner.get());
    src->SetDataSet(mt);

    // The SQL driver's select command, and a provider query of the plain driver.
    auto* sqlDriver = Create<TSQLiteDataDriverEh>(owner.get());
    sqlDriver->SetConnectionProvider(provider);
    sqlDriver->SelectSQL()->SetText(select);
    auto* plainDriver = new TDataDriverEh(owner.get());
    plainDriver->SetProviderDataSet(NewQuery(select));
    for (TDataDriverEh* d : {static_cast<TDataDriverEh*>(sqlDriver), plainDriver}) {
        SCOPED_TRACE(d->ClassName().toStdString());
        mt->First();
        auto* detail = Create<TMemTableEh>(owner.get());
        detail->SetDataDriver(d);
        detail->SetFetchAllOnOpen(true);
        detail->SetMasterDetailSide(mdsOnProviderEh);
        detail->SetMasterSource(src);
        detail->Open();
        auto qty = [&] {
            QStringList out;
            for (detail->First(); !detail->Eof(); detail->Next())
                out << detail->FieldByName(QStringLiteral("QTY"))->AsString();
            return out.join(QLatin1Char('|'));
        };
        EXPECT_EQ(qty(), QStringLiteral("10|11"));
        mt->Next();
        EXPECT_EQ(qty(), QString());
        mt->Next();
        EXPECT_EQ(qty(), QStringLiteral("30"));
        detail->Free();
    }
    src->SetDataSet(nullptr);
}

TEST_F(MemTableDriverTest, ProviderDataSetDriverFillsTheTable) {
    auto* plain = new TDataDriverEh(owner.get());
    plain->SetProviderDataSet(NewQuery(QStringLiteral("SELECT NAME, PRICE FROM GOODS WHERE PRICE > 1")));
    mt->SetDataDriver(plain);
    EXPECT_EQ(driver->GetDataDriverConsumer(), nullptr);
    EXPECT_EQ(plain->GetDataDriverConsumer(), mt);
    mt->SetFetchAllOnOpen(true);
    mt->Open();
    EXPECT_EQ(mt->RecordCount(), 2);
    EXPECT_EQ(mt->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Bread"));
    // The table cannot be the provider of its own driver.
    EXPECT_THROW(plain->SetProviderDataSet(mt), EDatabaseError);
}

} // namespace
