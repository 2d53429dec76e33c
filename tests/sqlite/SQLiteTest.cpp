#include "lib/sqlite/SQLiteDB.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

template <class F> String DbErrorOf(F&& f) {
    try {
        f();
    } catch (const EDatabaseError& e) {
        return e.Message();
    } catch (const Exception& e) {
        return "not a database error: " + e.Message();
    }
    return QStringLiteral("<no error>");
}

TEST(ParseSQLParams, NamesAndTheTextSQLiteGets) {
    struct Case {
        const char* sql;
        const char* expected;
        std::vector<const char*> names;
    };
    const std::vector<Case> cases = {
        {"select * from t where a = :a and b=:B1", "select * from t where a = ? and b=?", {"a", "B1"}},
        {"where x = ':lit' and y = :y", "where x = ':lit' and y = ?", {"y"}},
        {"where x = 'it''s :no' and y = :y", "where x = 'it''s :no' and y = ?", {"y"}},
        {"select \"odd:col\", [br:ck], `bq:x` from t", "select \"odd:col\", [br:ck], `bq:x` from t", {}},
        {"select a::b, :p", "select a:b, ?", {"p"}},
        {"where d = :\"order date\"", "where d = ?", {"order date"}},
        {"-- :c\nwhere a = :d /* :e */", "-- :c\nwhere a = ? /* :e */", {"d"}},
        {"values (?, :n, ?)", "values (?, ?, ?)", {"", "n", ""}},
        {"where t = '10:30' and a = : b", "where t = '10:30' and a = : b", {}},
        {"where a=:p1||'z' and b=:имя", "where a=?||'z' and b=?", {"p1", "имя"}},
        {"where x = 'unterminated :p", "where x = 'unterminated :p", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        const TSQLiteParsedSQL parsed = ParseSQLParams(String::fromUtf8(c.sql));
        EXPECT_EQ(parsed.SQL.toStdString(), std::string(c.expected));
        std::vector<std::string> names;
        for (const String& n : parsed.Names)
            names.push_back(n.toStdString());
        EXPECT_EQ(names, std::vector<std::string>(c.names.begin(), c.names.end()));
    }
}

class SQLiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("test.db");
        owner = std::make_unique<TComponent>(nullptr);
        conn = new TSQLiteConnection(owner.get());
        conn->SetDatabaseName(path);
        conn->Open();
        conn->ExecSQL("create table people (id integer primary key autoincrement, name varchar(10) not null, "
                      "age int, height real, salary decimal(12,2), born date, active boolean, photo blob, "
                      "note text)");
        conn->ExecSQL("insert into people (name, age, height, salary, born, active, photo, note) "
                      "values (?, ?, ?, ?, ?, ?, ?, ?)",
                      {"Анна", 31, 1.68, Currency(1234.5), Variant::FromDate(EncodeDate(1993, 4, 12)), true,
                       Variant(TBytes{0, 1, 2, 255}), Null()});
        conn->ExecSQL("insert into people (name, age, height, salary, born, active, photo, note) "
                      "values ('Boris', 45, null, 99.99, '1979-11-02 08:30:00', 0, null, 'a longer note "
                      "that is well beyond the declared width of the name column')");
        conn->ExecSQL("insert into people (name, age) values ('carl', null)");
        query = new TSQLiteQuery(owner.get());
        query->SetConnection(conn);
    }
    void SetSQL(const String& sql) { query->SQL()->SetText(sql); }

    QTemporaryDir dir;
    String path;
    std::unique_ptr<TComponent> owner;
    TSQLiteConnection* conn = nullptr;
    TSQLiteQuery* query = nullptr;
};

TEST_F(SQLiteTest, ConnectionMakesTheFileAndCountsChangedRows) {
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(conn->LastInsertRowId(), 3);
    EXPECT_EQ(conn->ExecSQL("update people set age = age + 1 where age is not null"), 2);
    EXPECT_EQ(conn->ExecSQL("update people set age = 0 where id = ?", {99}), 0);
    EXPECT_EQ(conn->ExecSQL("create index ix_age on people(age)"), 0);
    // Several statements: the changes add up; the DDL between them adds nothing.
    EXPECT_EQ(conn->ExecSQL("insert into people(name) values ('x'); create table z(a); "
                            "insert into people(name) values ('y'), ('w');"),
              3);

    TParams params;
    params.CreateParam(ftInteger, "lo", ptInput)->SetAsInteger(40);
    EXPECT_EQ(conn->ExecSQL("delete from people where age > :lo or name = :LO", &params), 1);
    EXPECT_EQ(DbErrorOf([&] { conn->ExecSQL("delete from people where id = :missing", &params); }),
              "Parameter 'missing' not found");
    EXPECT_EQ(DbErrorOf([&] { conn->ExecSQL("delete from people where id = ? or id = ?", {1}); }),
              "The statement has 2 parameters, 1 values were given");
}

TEST_F(SQLiteTest, ErrorsCarrySQLiteMessages) {
    EXPECT_EQ(DbErrorOf([&] { conn->ExecSQL("selec * from people"); }), "near \"selec\": syntax error");
    EXPECT_EQ(DbErrorOf([&] { conn->ExecSQL("insert into nowhere values (1)"); }), "no such table: nowhere");
    EXPECT_EQ(DbErrorOf([&] { conn->ExecSQL("insert into people (name) values (null)"); }),
              "NOT NULL constraint failed: people.name");

    SetSQL("select * from missing_table");
    EXPECT_EQ(DbErrorOf([&] { query->Open(); }), "no such table: missing_table");
    EXPECT_FALSE(query->Active());
    query->SetName("Q1");
    SetSQL("select nosuchcolumn from people");
    EXPECT_EQ(DbErrorOf([&] { query->Open(); }), "Q1: no such column: nosuchcolumn");
    SetSQL("delete from people where 1 = 0");
    EXPECT_EQ(DbErrorOf([&] { query->Open(); }), "Q1: The query does not return a result set");

    TSQLiteConnection bad(nullptr);
    bad.SetDatabaseName(dir.filePath("no/such/dir/x.db"));
    EXPECT_TRUE(DbErrorOf([&] { bad.Open(); }).startsWith("Cannot open database"));
    EXPECT_FALSE(bad.Connected());

    TSQLiteQuery orphan(nullptr);
    orphan.SQL()->SetText("select 1");
    EXPECT_EQ(DbErrorOf([&] { orphan.Open(); }), "Missing connection");
}

TEST_F(SQLiteTest, TransactionsCommitAndRollBack) {
    EXPECT_FALSE(conn->InTransaction());
    conn->StartTransaction();
    EXPECT_TRUE(conn->InTransaction());
    EXPECT_EQ(DbErrorOf([&] { conn->StartTransaction(); }), "A transaction is already active");
    conn->ExecSQL("delete from people");
    conn->Rollback();
    EXPECT_FALSE(conn->InTransaction());
    SetSQL("select count(*) as n from people");
    query->Open();
    EXPECT_EQ(query->FieldByName("n")->AsInteger(), 3);
    query->Close();

    conn->StartTransaction();
    conn->ExecSQL("delete from people where id = 1");
    conn->Commit();
    query->Open();
    EXPECT_EQ(query->FieldByName("n")->AsInteger(), 2);
    EXPECT_EQ(DbErrorOf([&] { conn->Commit(); }), "No transaction is active");
}

TEST_F(SQLiteTest, FieldTypesFollowTheDeclaredColumns) {
    SetSQL("select * from people order by id");
    query->Open();
    struct Expect {
        const char* name;
        TFieldType type;
        const char* cls;
        int size;
    };
    const std::vector<Expect> expected = {
        {"id", ftLargeint, "TLargeintField", 0},
        {"name", ftWideString, "TWideStringField", 10},
        {"age", ftInteger, "TIntegerField", 0},
        {"height", ftFloat, "TFloatField", 0},
        {"salary", ftBCD, "TBCDField", 2},
        {"born", ftDateTime, "TDateTimeField", 0},
        {"active", ftBoolean, "TBooleanField", 0},
        {"photo", ftBlob, "TBlobField", 0},
        {"note", ftWideString, "TWideStringField", 255},
    };
    ASSERT_EQ(query->FieldCount(), int(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        TField* f = query->Fields()->Fields(int(i));
        EXPECT_EQ(f->FieldName(), expected[i].name);
        EXPECT_EQ(f->DataType(), expected[i].type);
        EXPECT_EQ(f->ClassName(), expected[i].cls);
        if (expected[i].size) {
            EXPECT_EQ(f->Size(), expected[i].size);
        }
    }
    EXPECT_EQ(static_cast<TBCDField*>(query->FieldByName("salary"))->Precision(), 12);
    EXPECT_TRUE(query->FieldByName("id")->ProviderFlags().Contains(pfInKey));
    EXPECT_FALSE(query->FieldByName("name")->ProviderFlags().Contains(pfInKey));
    EXPECT_EQ(query->FieldByName("id")->AutoGenerateValue(), arAutoInc);
    EXPECT_EQ(query->FieldByName("age")->Origin(), "people.age");

    // Untyped expressions take the type of their first value that is not NULL; repeated names
    // are made unique.
    SetSQL("select count(*), 2.5 as r, 'abc' as s, x'0102' as b, null as n, p.id, q.id "
           "from people p join people q on q.id = p.id where p.id = 1");
    query->Open();
    EXPECT_EQ(query->Fields()->Fields(0)->DataType(), ftLargeint);
    EXPECT_EQ(query->FieldByName("r")->DataType(), ftFloat);
    EXPECT_EQ(query->FieldByName("s")->DataType(), ftWideString);
    EXPECT_EQ(query->FieldByName("b")->DataType(), ftBlob);
    EXPECT_EQ(query->FieldByName("n")->DataType(), ftWideString);
    EXPECT_EQ(query->Fields()->Fields(5)->FieldName(), "id");
    EXPECT_EQ(query->Fields()->Fields(6)->FieldName(), "id_1");
}

TEST_F(SQLiteTest, ValuesNullsCyrillicBlobsAndDates) {
    SetSQL("select * from people order by id");
    query->Open();
    EXPECT_EQ(query->FieldByName("name")->AsString(), "Анна");
    EXPECT_EQ(query->FieldByName("age")->AsInteger(), 31);
    EXPECT_DOUBLE_EQ(query->FieldByName("height")->AsFloat(), 1.68);
    EXPECT_EQ(query->FieldByName("salary")->AsCurrency(), Currency(1234.5));
    EXPECT_EQ(query->FieldByName("born")->AsDateTime(), EncodeDate(1993, 4, 12));
    EXPECT_TRUE(query->FieldByName("active")->AsBoolean());
    EXPECT_EQ(query->FieldByName("photo")->AsBytes(), (TBytes{0, 1, 2, 255}));
    EXPECT_TRUE(query->FieldByName("note")->IsNull());

    query->Next();
    EXPECT_TRUE(query->FieldByName("height")->IsNull());
    EXPECT_TRUE(query->FieldByName("photo")->IsNull());
    EXPECT_EQ(query->FieldByName("born")->AsDateTime(), EncodeDate(1979, 11, 2) + EncodeTime(8, 30, 0, 0));
    EXPECT_FALSE(query->FieldByName("active")->AsBoolean());
    EXPECT_TRUE(query->FieldByName("note")->AsString().startsWith("a longer note"));

    query->Next();
    EXPECT_TRUE(query->FieldByName("age")->IsNull());
    EXPECT_TRUE(query->FieldByName("active")->IsNull());
    EXPECT_EQ(query->FieldByName("age")->AsInteger(), 0);

    // Dates go in as ISO texts and come back equal, milliseconds included.
    const TDateTime stamp = EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 58, 125);
    TParams params;
    params.CreateParam(ftDateTime, "d", ptInput)->SetAsDateTime(stamp);
    params.CreateParam(ftBlob, "b", ptInput)->SetValue(Variant(TBytes{}));
    conn->ExecSQL("insert into people (name, born, photo) values ('d', :d, :b)", &params);
    SetSQL("select born, born || '' as text, typeof(photo) as kind, length(photo) as len from people "
           "where name = 'd'");
    query->Open();
    EXPECT_EQ(query->FieldByName("text")->AsString(), "2024-02-29 23:59:58.125");
    EXPECT_NEAR(query->FieldByName("born")->AsDateTime(), stamp, 1e-9);
    EXPECT_EQ(query->FieldByName("kind")->AsString(), "blob"); // an empty blob stays a blob
    EXPECT_EQ(query->FieldByName("len")->AsInteger(), 0);

    // SQLite does not enforce declared widths: a longer text widens the field, it is not cut.
    conn->ExecSQL("insert into people (name, note) values (?, ?)", {"Максимилиана", String(300, u'ж')});
    SetSQL("select name, note from people where length(name) > 10");
    query->Open();
    EXPECT_EQ(query->FieldByName("name")->AsString(), "Максимилиана");
    EXPECT_EQ(query->FieldByName("name")->Size(), 12);
    EXPECT_EQ(query->FieldByName("note")->AsString(), String(300, u'ж'));
}

TEST_F(SQLiteTest, StoredValuesThatDoNotFitTheirFieldFailClearly) {
    conn->ExecSQL("create table odd (n int, d datetime, b bool)");
    conn->ExecSQL("insert into odd values (5000000000, null, null)");
    SetSQL("select n from odd");
    EXPECT_EQ(DbErrorOf([&] { query->Open(); }), "'5000000000' is not a valid integer value for field 'n'");
    conn->ExecSQL("update odd set n = 1, d = 'yesterday'");
    SetSQL("select d from odd");
    EXPECT_EQ(DbErrorOf([&] { query->Open(); }), "'yesterday' is not a valid value for field 'd'");
    conn->ExecSQL("update odd set d = '2020-01-02T03:04', b = 'maybe'");
    SetSQL("select d from odd");
    query->Open();
    EXPECT_EQ(query->Fields()->Fields(0)->AsDateTime(), EncodeDate(2020, 1, 2) + EncodeTime(3, 4, 0, 0));
    SetSQL("select b from odd");
    EXPECT_EQ(DbErrorOf([&] { query->Open(); }), "'maybe' is not a valid boolean value for field 'b'");
}

TEST_F(SQLiteTest, ParametersFollowTheText) {
    SetSQL("select name from people where age > :min and name <> :skip order by :min");
    ASSERT_EQ(query->ParamCount(), 2);
    EXPECT_EQ(query->Params()->Items(0)->Name(), "min");
    EXPECT_EQ(query->Params()->Items(1)->Name(), "skip");
    query->ParamByName("min")->SetAsInteger(30);
    query->ParamByName("skip")->SetAsString("Boris");
    query->Open();
    EXPECT_EQ(query->RecordCount(), 1);
    EXPECT_EQ(query->FieldByName("name")->AsString(), "Анна");

    // A new text closes the query; parameters that keep their names keep their values.
    SetSQL("select name from people where age > :MIN and id <> :other");
    EXPECT_FALSE(query->Active());
    ASSERT_EQ(query->ParamCount(), 2);
    EXPECT_EQ(query->ParamByName("min")->AsInteger(), 30);
    EXPECT_TRUE(query->ParamByName("other")->IsNull());
    query->Open();
    EXPECT_EQ(query->RecordCount(), 0); // "id <> NULL" is never true

    query->SetParamCheck(false);
    SetSQL("select name from people where age > :min and id = :nothere");
    EXPECT_EQ(query->ParamCount(), 2);
    EXPECT_EQ(DbErrorOf([&] { query->Open(); }), "Parameter 'nothere' not found");

    // "?" takes the parameter at its position.
    SetSQL("select name from people where age > ? and age < ?");
    query->Params()->Clear();
    query->Params()->CreateParam(ftInteger, "lo", ptInput)->SetAsInteger(40);
    EXPECT_EQ(DbErrorOf([&] { query->Open(); }), "No value for parameter 2");
    query->Params()->CreateParam(ftInteger, "hi", ptInput)->SetAsInteger(50);
    query->Open();
    EXPECT_EQ(query->FieldByName("name")->AsString(), "Boris");
}

TEST_F(SQLiteTest, ExecSQLCountsRowsAndRefreshSeesThem) {
    SetSQL("select id, name from people order by id");
    query->Open();
    EXPECT_EQ(query->RecordCount(), 3);

    TSQLiteQuery* cmd = new TSQLiteQuery(owner.get());
    cmd->SetConnection(conn);
    cmd->SQL()->SetText("update people set age = :age where age is null or age < :age");
    cmd->ParamByName("age")->SetAsInteger(40);
    cmd->ExecSQL();
    EXPECT_EQ(cmd->RowsAffected(), 2);
    cmd->SQL()->SetText("insert into people (name) values (:n)");
    cmd->ParamByName("n")->SetAsString("Дмитрий");
    cmd->ExecSQL();
    EXPECT_EQ(cmd->RowsAffected(), 1);
    cmd->SQL()->SetText("delete from people where name = 'carl'");
    cmd->ExecSQL();
    EXPECT_EQ(cmd->RowsAffected(), 1);

    query->Last();
    query->Refresh();
    EXPECT_EQ(query->RecordCount(), 3);
    query->Last();
    EXPECT_EQ(query->FieldByName("name")->AsString(), "Дмитрий");
}

TEST_F(SQLiteTest, NavigationLocateAndBookmarks) {
    SetSQL("select id, name from people order by id");
    query->Open();
    EXPECT_TRUE(query->Bof());
    EXPECT_EQ(query->RecordCount(), 3);
    EXPECT_EQ(query->RecNo(), 1);
    std::vector<int> ids;
    for (query->First(); !query->Eof(); query->Next())
        ids.push_back(query->FieldByName("id")->AsInteger());
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3}));
    query->Prior();
    EXPECT_EQ(query->RecNo(), 2);
    query->Last();
    EXPECT_EQ(query->FieldByName("name")->AsString(), "carl");
    EXPECT_TRUE(query->Eof());

    const TBookmark third = query->GetBookmark();
    query->First();
    const TBookmark first = query->GetBookmark();
    EXPECT_EQ(query->CompareBookmarks(first, third), -1);
    EXPECT_EQ(query->CompareBookmarks(third, first), 1);
    EXPECT_TRUE(query->BookmarkValid(third));
    query->GotoBookmark(third);
    EXPECT_EQ(query->FieldByName("id")->AsInteger(), 3);

    EXPECT_TRUE(query->Locate("name", "ANNA", {}) == false);
    EXPECT_TRUE(query->Locate("name", String("АННА"), {loCaseInsensitive}));
    EXPECT_EQ(query->FieldByName("id")->AsInteger(), 1);
    EXPECT_TRUE(query->Locate("name", "Bor", {loPartialKey}));
    EXPECT_EQ(query->RecNo(), 2);
    EXPECT_FALSE(query->Locate("name", "nobody", {}));
    EXPECT_EQ(query->RecNo(), 2);
    EXPECT_TRUE(query->Locate("id;name", VarArrayOf({3, "carl"}), {}));
    EXPECT_EQ(query->RecNo(), 3);

    query->SetRecNo(1);
    EXPECT_EQ(query->FieldByName("id")->AsInteger(), 1);

    EXPECT_FALSE(query->CanModify());
    EXPECT_THROW(query->Edit(), EDatabaseError);
    EXPECT_THROW(query->FieldByName("name")->SetAsString("x"), EDatabaseError);

    SetSQL("select id from people where 1 = 0");
    query->Open();
    EXPECT_TRUE(query->IsEmpty());
    EXPECT_TRUE(query->Eof());
    EXPECT_EQ(query->RecordCount(), 0);
    EXPECT_EQ(query->RecNo(), -1);
}

TEST_F(SQLiteTest, CalculatedFieldsOverTheRows) {
    SetSQL("select id, age from people order by id");
    query->FieldDefs()->Update();
    for (int i = 0; i < query->FieldDefs()->Count(); ++i)
        query->FieldDefs()->Items(i)->CreateField(query);
    auto* twice = new TIntegerField(query);
    twice->SetFieldName("Twice");
    twice->SetFieldKind(fkCalculated);
    twice->SetDataSet(query);
    query->OnCalcFields = TDataSetNotifyEvent::Callable([&](TDataSet* d) {
        TField* age = d->FieldByName("age");
        if (!age->IsNull()) twice->SetAsInteger(age->AsInteger() * 2);
    });
    query->Open();
    EXPECT_EQ(twice->AsInteger(), 62);
    query->Next();
    EXPECT_EQ(twice->AsInteger(), 90);
    query->Next();
    EXPECT_TRUE(twice->IsNull());
}

TEST_F(SQLiteTest, ClosingOrFreeingTheConnectionReachesTheQueries) {
    SetSQL("select * from people");
    query->Open();
    ASSERT_EQ(conn->DataSetCount(), 1);
    conn->Close();
    EXPECT_FALSE(query->Active());
    query->Open(); // reconnects
    EXPECT_TRUE(conn->Connected());

    conn->Free();
    EXPECT_EQ(query->Connection(), nullptr);
    EXPECT_FALSE(query->Active());
    // The file can be opened again by another connection and keeps the rows.
    TSQLiteConnection again(nullptr);
    again.SetDatabaseName(path);
    query->SetConnection(&again);
    query->Open();
    EXPECT_EQ(query->RecordCount(), 3);
    query->SetConnection(nullptr);
}

} // namespace
