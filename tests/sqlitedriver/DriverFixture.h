#pragma once
// A GOODS table in an SQLite file made for the test, a connection to it, and a record store
// that the drivers read into and resolve from.

#include "lib/memtable/MemTableDataEh.h"
#include "lib/sqlite/SQLiteDB.h"
#include "lib/sqlitedriver/SQLiteConnectionProviderEh.h"
#include "platform/classes/Classes.h"

#include "db/TestDataSet.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

class DriverFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        owner = std::make_unique<TComponent>(nullptr);
        conn = new TSQLiteConnection(owner.get());
        conn->SetDatabaseName(dir.filePath(QStringLiteral("goods%1.db").arg(++dbCount)));
        conn->Open();
        conn->ExecSQL(
            QStringLiteral("CREATE TABLE GOODS (ID INTEGER PRIMARY KEY, NAME VARCHAR(30) NOT NULL UNIQUE, "
                           "PRICE REAL)"));
        conn->ExecSQL(QStringLiteral("INSERT INTO GOODS VALUES (1, 'Bread', 1.5), (2, 'Milk', 0.9), "
                                     "(3, 'Хлеб', 2.25)"));
        store = std::make_unique<TMemTableDataEh>(nullptr);
    }
    void TearDown() override {
        store.reset();
        owner.reset();
    }

    TSQLiteQuery* NewQuery(const QString& sql) {
        auto* q = new TSQLiteQuery(owner.get());
        q->SetConnection(conn);
        q->SQL()->SetText(sql);
        return q;
    }
    // A column of the table as one text, rows ordered by ID: "1:Bread|2:Milk".
    QString Column(const QString& column) {
        std::unique_ptr<TSQLiteQuery> q(new TSQLiteQuery(nullptr));
        q->SetConnection(conn);
        q->SQL()->SetText(QStringLiteral("SELECT ID, %1 FROM GOODS ORDER BY ID").arg(column));
        q->Open();
        QStringList out;
        for (; !q->Eof(); q->Next())
            out << q->Fields()->Fields(0)->AsString() + QLatin1Char(':') + q->Fields()->Fields(1)->AsString();
        return out.join(QLatin1Char('|'));
    }
    // Values of one field of the store's records, in record order.
    QString StoreColumn(const QString& field) {
        const int fi = store->DataStruct()->FieldIndex(field);
        QStringList out;
        for (int i = 0; i < store->RecordsList()->Count(); ++i)
            out << VarToStr(store->RecordsList()->Rec(i)->GetDataValue(fi, dvvValueEh));
        return out.join(QLatin1Char('|'));
    }
    TMemoryRecordEh* Rec(int i) { return store->RecordsList()->Rec(i); }
    int Fi(const QString& field) { return store->DataStruct()->FieldIndex(field); }
    void EditRec(TMemoryRecordEh* r, const QString& field, const Variant& v) {
        r->Edit();
        r->SetDataValue(Fi(field), dvvValueEh, v);
        r->Post();
    }
    TMemoryRecordEh* InsertRec(std::initializer_list<std::pair<QString, Variant>> values) {
        TMemoryRecordEh* r = store->RecordsList()->NewRecord();
        for (const auto& [name, v] : values)
            r->SetDataValue(Fi(name), dvvValueEh, v);
        r->Post();
        return r;
    }

    QTemporaryDir dir;
    int dbCount = 0;
    std::unique_ptr<TComponent> owner;
    TSQLiteConnection* conn = nullptr;
    std::unique_ptr<TMemTableDataEh> store;
};
