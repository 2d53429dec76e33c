// The SQL data driver against SQLite: reading through the select command with macros, applying
// cached changes with fixed and generated statements, server-generated keys, refreshing a
// record, and update errors.

#include "DriverFixture.h"

#include "lib/toolscore/DynVarsEh.h"
#include "platform/classes/ComponentStreams.h"

namespace {

QString Lines(TStrings* s) {
    QStringList out;
    for (int i = 0; i < s->Count(); ++i)
        out << s->Strings(i);
    return out.join(QLatin1Char('\n'));
}

void SetText(TStrings* s, const QString& text) {
    s->SetText(text);
}

class SQLDriverTest : public DriverFixture {
protected:
    void SetUp() override {
        DriverFixture::SetUp();
        provider = new TSQLiteConnectionProviderEh(owner.get());
        provider->SetConnection(conn);
        driver = Create<TSQLiteDataDriverEh>(owner.get());
        driver->SetConnectionProvider(provider);
        SetText(driver->SelectSQL(), QStringLiteral("SELECT ID, NAME, PRICE FROM GOODS ORDER BY ID"));
    }
    void ReadAll() {
        driver->GetDataReader();
        driver->BuildDataStruct(store->DataStruct());
        driver->ReadData(store.get(), -1);
        store->RecordsList()->SetCachedUpdates(true);
    }
    void FixedStatements() {
        SetText(driver->InsertSQL(),
                QStringLiteral("INSERT INTO GOODS (ID, NAME, PRICE) VALUES (:ID, :NAME, :PRICE)"));
        SetText(driver->UpdateSQL(),
                QStringLiteral("UPDATE GOODS SET ID = :ID, NAME = :NAME, PRICE = :PRICE WHERE ID = :OLD_ID"));
        SetText(driver->DeleteSQL(), QStringLiteral("DELETE FROM GOODS WHERE ID = :OLD_ID"));
    }
    void DynamicStatements() {
        TDynaSQLParamsEh* p = driver->DynaSQLParams();
        p->SetUpdateTable(QStringLiteral("GOODS"));
        p->SetKeyFields(QStringLiteral("ID"));
        p->SetUpdateFields(QStringLiteral("ID, NAME, PRICE"));
        p->SetOptions({dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh});
    }
    TSQLiteConnectionProviderEh* provider = nullptr;
    TSQLiteDataDriverEh* driver = nullptr;
};

TEST(SQLCommandTest, DefaultsAndNoExecutor) {
    std::unique_ptr<TCustomSQLDataDriverEh> d(Create<TCustomSQLDataDriverEh>(nullptr));
    EXPECT_FALSE(d->ResolveToDataSet());
    EXPECT_EQ(d->SelectCommand()->CommandType(), cthSelectQuery);
    EXPECT_EQ(d->GetrecCommand()->CommandType(), cthSelectQuery);
    for (TCustomSQLCommandEh* c : {d->UpdateCommand(), d->InsertCommand(), d->DeleteCommand()}) {
        EXPECT_EQ(c->CommandType(), cthUpdateQuery);
        EXPECT_FALSE(c->IsCommandTypeStored());
    }
    d->SelectCommand()->SetCommandType(cthTable);
    EXPECT_TRUE(d->SelectCommand()->IsCommandTypeStored());
    EXPECT_EQ(d->SelectCommand()->GetNamePath(), QStringLiteral("SQLCommand"));

    SetText(d->SelectSQL(), QStringLiteral("SELECT 1"));
    TDataSet* cursor = reinterpret_cast<TDataSet*>(1);
    bool freeOnEof = false;
    EXPECT_EQ(d->ExecuteCommand(d->SelectCommand(), cursor, freeOnEof), -1);
    EXPECT_EQ(cursor, nullptr);
    EXPECT_FALSE(d->HaveDataConnection());

    std::unique_ptr<TMemTableDataEh> md(new TMemTableDataEh(nullptr));
    try {
        d->BuildDataStruct(md->DataStruct());
        ADD_FAILURE() << "structure built without a cursor";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("SelectCommand.Execute does not get DataSet"));
    }
}

TEST_F(SQLDriverTest, ReadsThroughTheSelectCommandWithMacros) {
    TMacroVarsEh* mv = driver->MacroVars();
    SetText(driver->SelectSQL(), QStringLiteral("SELECT ID, NAME, PRICE FROM %TABLE% %Filter% %SortOrder%"));
    mv->Macros()->CreateDynVar(QStringLiteral("%TABLE%"), QStringLiteral("GOODS"));
    driver->ApplyFilterText(QStringLiteral("PRICE > 1"));
    driver->ApplyOrderByText(QStringLiteral("PRICE DESC"));
    // At the default usages the special macros are prepared but not substituted.
    EXPECT_FALSE(driver->FilterTextSupported());
    EXPECT_EQ(mv->SpecMacros()->FilterMacroValue(), QStringLiteral("WHERE PRICE > 1"));
    EXPECT_EQ(Lines(driver->FinalSelectSQL()),
              QStringLiteral("SELECT ID, NAME, PRICE FROM GOODS %Filter% %SortOrder%"));

    mv->SetSpecMacrosUsages(mv->SpecMacrosUsages() +
                            TSpecMacrosUsagesEh{smuUseFilterMacroEh, smuUseSortOrderMacroEh});
    EXPECT_TRUE(driver->FilterTextSupported());
    EXPECT_TRUE(driver->OrderByTextSupported());
    EXPECT_EQ(Lines(driver->FinalSelectSQL()),
              QStringLiteral("SELECT ID, NAME, PRICE FROM GOODS WHERE PRICE > 1 ORDER BY PRICE DESC"));

    ReadAll();
    EXPECT_EQ(StoreColumn(QStringLiteral("NAME")), QStringLiteral("Хлеб|Bread"));
    EXPECT_TRUE(driver->ProviderEOF());

    // A changed macro value forms the final text again.
    driver->ApplyFilterText(QString());
    mv->Macros()->DynVar(QStringLiteral("%TABLE%"))->SetValue(QStringLiteral("GOODS G"));
    EXPECT_EQ(Lines(driver->FinalSelectSQL()),
              QStringLiteral("SELECT ID, NAME, PRICE FROM GOODS G  ORDER BY PRICE DESC"));

    // The other prefixes.
    mv->SetSpecMacrosUsages(
        {smuUseFilterMacroEh, smuFilterWithANDPrecedingEh, smuSortOrderWithCommaPrecedingEh});
    driver->ApplyFilterText(QStringLiteral("ID = 1"));
    driver->ApplyOrderByText(QStringLiteral("NAME"));
    EXPECT_EQ(mv->SpecMacros()->FilterMacroValue(), QStringLiteral("AND (ID = 1)"));
    EXPECT_EQ(mv->SpecMacros()->SortOrderMacroValue(), QStringLiteral(", NAME"));
}

TEST(MacroTest, SubstituteMacro) {
    struct Case {
        const char* Text;
        const char* Expected;
    };
    const Case cases[] = {
        {"select * from t %Filter% order by 1", "select * from t WHERE a=1 order by 1"},
        {"where x like '%Filter%%'", "where x like '%Filter%'"}, // a following "%" keeps the name
        {"%Filter%%Filter%", "%Filter%Filter%"},                 // adjacent names read as the escape
        {"%Filter%%%Filter%", "%Filter%WHERE a=1"},
        {"no macro here", "no macro here"},
        {"%filter% is case-sensitive", "%filter% is case-sensitive"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TMacroVarsEh::SubstituteMacro(QString::fromUtf8(c.Text), QStringLiteral("%Filter%"),
                                                QStringLiteral("WHERE a=1")),
                  QString::fromUtf8(c.Expected))
            << c.Text;
    // The value is not searched again, and an empty name changes nothing.
    EXPECT_EQ(TMacroVarsEh::SubstituteMacro(QStringLiteral("%M% %M%"), QStringLiteral("%M%"),
                                            QStringLiteral("%M%x")),
              QStringLiteral("%M%x %M%x"));
    EXPECT_EQ(TMacroVarsEh::SubstituteMacro(QStringLiteral("abc"), QString(), QStringLiteral("x")),
              QStringLiteral("abc"));
}

TEST_F(SQLDriverTest, StructureFromTheSelectMarksTheAutoIncrementField) {
    driver->SpecParams()->SetValues(QStringLiteral("AUTO_INCREMENT_FIELD"), QStringLiteral("ID"));
    driver->BuildDataStruct(store->DataStruct()); // no reader yet: the select runs for the structure
    ASSERT_EQ(store->DataStruct()->Count(), 3);
    EXPECT_TRUE(store->DataStruct()->FieldByName(QStringLiteral("ID"))->AutoIncrement());
    EXPECT_FALSE(store->DataStruct()->FieldByName(QStringLiteral("PRICE"))->AutoIncrement());
    EXPECT_TRUE(driver->UpdateFieldAllowed(usModified, QStringLiteral("ID")));
    EXPECT_FALSE(driver->UpdateFieldAllowed(usInserted, QStringLiteral("ID")));
    EXPECT_TRUE(driver->UpdateFieldAllowed(usInserted, QStringLiteral("id"))); // exact comparison
}

// ---------------------------------------------------------------------------------------------
// Generated statements

TEST_F(SQLDriverTest, GeneratedStatements) {
    ReadAll();
    TDynaSQLParamsEh* p = driver->DynaSQLParams();
    p->SetUpdateTable(QStringLiteral("GOODS"));
    p->SetKeyFields(QStringLiteral("ID"));
    p->SetUpdateFields(QStringLiteral("NAME,PRICE"));
    TCustomSQLCommandEh* cmd = driver->ServiceCommand();
    auto generate = [&](TMemoryRecordEh* r) {
        driver->GenerateDynamicSQLCommand(r, cmd);
        EXPECT_EQ(cmd->CommandType(), cthUpdateQuery);
        return Lines(cmd->CommandText());
    };

    TMemoryRecordEh* ins =
        InsertRec({{QStringLiteral("ID"), 9}, {QStringLiteral("NAME"), QStringLiteral("Tea")}});
    EXPECT_EQ(generate(ins),
              QStringLiteral("insert into GOODS\n  (ID, NAME, PRICE)\nvalues\n  (:ID, :NAME, :PRICE)"));

    p->SetSkipUnchangedFields(true);
    EditRec(Rec(0), QStringLiteral("NAME"), QStringLiteral("Rye"));
    EXPECT_EQ(generate(Rec(0)), QStringLiteral("update GOODS\nset\n NAME = :NAME\nwhere\n ID = :OLD_ID"));
    p->SetSkipUnchangedFields(false);
    EXPECT_EQ(generate(Rec(0)),
              QStringLiteral("update GOODS\nset\n NAME = :NAME,\n PRICE = :PRICE\nwhere\n ID = :OLD_ID"));
    p->SetKeyFields(QStringLiteral("ID NAME"));
    store->RecordsList()->DeleteRecord(1);
    EXPECT_EQ(generate(store->RecordsList()->DeltaList().back()),
              QStringLiteral("delete from GOODS\nwhere\n ID = :OLD_ID and\n NAME = :OLD_NAME"));
    // No key: no where part.
    p->SetKeyFields(QString());
    EXPECT_EQ(generate(Rec(0)), QStringLiteral("update GOODS\nset\n NAME = :NAME,\n PRICE = :PRICE"));

    // An unchanged modified record with unchanged fields skipped gives no statement.
    p->SetSkipUnchangedFields(true);
    EditRec(Rec(0), QStringLiteral("NAME"), QStringLiteral("Bread"));
    EXPECT_EQ(generate(Rec(0)), QString());
    // A listed field the record lacks is refused when changes are looked for.
    p->SetUpdateFields(QStringLiteral("NAME,\"NO SUCH\""));
    try {
        generate(Rec(0));
        ADD_FAILURE() << "unknown field accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Invalid field name \"NO SUCH\" in field list \"NAME,\"NO SUCH\"\""));
    }
}

TEST_F(SQLDriverTest, GeneratedColumnListsWrapAndLeaveOutTheAutoIncrementField) {
    ReadAll();
    TDynaSQLParamsEh* p = driver->DynaSQLParams();
    p->SetUpdateTable(QStringLiteral("T"));
    p->SetUpdateFields(
        QStringLiteral("FIELD00001,FIELD00002,FIELD00003,FIELD00004,FIELD00005,FIELD00006,FIELD00007"));
    TMemoryRecordEh* ins = InsertRec({{QStringLiteral("ID"), 9}});
    driver->GenerateDynamicSQLCommand(ins, driver->ServiceCommand());
    EXPECT_EQ(
        Lines(driver->ServiceCommand()->CommandText()),
        QStringLiteral("insert into T\n"
                       "  (FIELD00001, FIELD00002, FIELD00003, FIELD00004, FIELD00005, FIELD00006\n"
                       "   , FIELD00007)\n"
                       "values\n"
                       "  (:FIELD00001, :FIELD00002, :FIELD00003, :FIELD00004, :FIELD00005, :FIELD00006\n"
                       "   , :FIELD00007)"));

    driver->SpecParams()->SetValues(QStringLiteral("AUTO_INCREMENT_FIELD"), QStringLiteral("ID"));
    p->SetKeyFields(QStringLiteral("ID"));
    p->SetUpdateFields(QStringLiteral("ID,NAME"));
    driver->GenerateDynamicSQLCommand(ins, driver->ServiceCommand());
    EXPECT_EQ(Lines(driver->ServiceCommand()->CommandText()),
              QStringLiteral("insert into T\n  (NAME)\nvalues\n  (:NAME)"));
}

// ---------------------------------------------------------------------------------------------
// Applying cached changes to SQLite

TEST_F(SQLDriverTest, AppliesChangesWithFixedStatements) {
    ReadAll();
    FixedStatements();
    EditRec(Rec(0), QStringLiteral("ID"), 10); // the key itself changes: found by :OLD_ID
    EditRec(Rec(0), QStringLiteral("NAME"), QStringLiteral("Rye"));
    store->RecordsList()->DeleteRecord(1);
    InsertRec({{QStringLiteral("ID"), 4},
               {QStringLiteral("NAME"), QStringLiteral("Tea")},
               {QStringLiteral("PRICE"), Null()}});

    EXPECT_EQ(driver->ApplyUpdates(store.get()), 3);
    EXPECT_FALSE(store->RecordsList()->HasCachedChanges());
    EXPECT_EQ(Column(QStringLiteral("NAME")), QStringLiteral("3:Хлеб|4:Tea|10:Rye"));
    EXPECT_EQ(Column(QStringLiteral("PRICE")), QStringLiteral("3:2.25|4:|10:1.5"));
}

TEST_F(SQLDriverTest, AppliesGeneratedStatementsAndTakesTheServerKey) {
    driver->SpecParams()->SetValues(QStringLiteral("AUTO_INCREMENT_FIELD"), QStringLiteral("ID"));
    TSQLiteSpecOperationsEh ops;
    driver->SetServerSpecOperations(&ops);
    ReadAll();
    DynamicStatements();
    driver->DynaSQLParams()->SetSkipUnchangedFields(true);

    TMemoryRecordEh* ins =
        InsertRec({{QStringLiteral("NAME"), QStringLiteral("Tea")}, {QStringLiteral("PRICE"), 3.5}});
    EditRec(Rec(0), QStringLiteral("PRICE"), 1.75);
    EditRec(Rec(1), QStringLiteral("NAME"), QStringLiteral("Milk")); // unchanged: nothing to run
    store->RecordsList()->DeleteRecord(2);

    EXPECT_EQ(driver->ApplyUpdates(store.get()), 4);
    EXPECT_FALSE(store->RecordsList()->HasCachedChanges());
    EXPECT_EQ(Column(QStringLiteral("NAME")), QStringLiteral("1:Bread|2:Milk|4:Tea"));
    EXPECT_EQ(Column(QStringLiteral("PRICE")), QStringLiteral("1:1.75|2:0.9|4:3.5"));
    EXPECT_EQ(ins->GetDataValue(Fi(QStringLiteral("ID")), dvvValueEh).AsInteger(), 4);
}

TEST_F(SQLDriverTest, RefreshesARecordThroughTheGetrecCommand) {
    ReadAll();
    SetText(driver->GetrecSQL(), QStringLiteral("SELECT ID, NAME, PRICE FROM GOODS WHERE ID = :OLD_ID"));
    conn->ExecSQL(QStringLiteral("UPDATE GOODS SET NAME = 'Kefir', PRICE = 1.1 WHERE ID = 2"));
    driver->RefreshRecord(Rec(1));
    EXPECT_EQ(StoreColumn(QStringLiteral("NAME")), QStringLiteral("Bread|Kefir|Хлеб"));
    EXPECT_EQ(StoreColumn(QStringLiteral("PRICE")), QStringLiteral("1.5|1.1|2.25"));

    conn->ExecSQL(QStringLiteral("DELETE FROM GOODS WHERE ID = 2"));
    try {
        driver->RefreshRecord(Rec(1));
        ADD_FAILURE() << "refresh of a missing row succeeded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("There are no fresh record on server"));
    }
    EXPECT_EQ(StoreColumn(QStringLiteral("NAME")), QStringLiteral("Bread|Kefir|Хлеб"));
}

TEST_F(SQLDriverTest, UpdateErrorsFromTheServer) {
    ReadAll();
    FixedStatements();
    EditRec(Rec(0), QStringLiteral("PRICE"), 1.6);
    InsertRec(
        {{QStringLiteral("ID"), 5}, {QStringLiteral("NAME"), QStringLiteral("Milk")}}); // duplicate name
    EditRec(Rec(2), QStringLiteral("PRICE"), 2.5);
    conn->ExecSQL(QStringLiteral("DELETE FROM GOODS WHERE ID = 3")); // the edited row is gone

    // Default: the first failure is raised; what was applied before it stays applied.
    EXPECT_THROW(driver->ApplyUpdates(store.get()), EDatabaseError);
    EXPECT_EQ(Column(QStringLiteral("PRICE")), QStringLiteral("1:1.6|2:0.9"));
    EXPECT_EQ(Rec(0)->UpdateStatus(), usUnmodified);
    EXPECT_EQ(Rec(2)->UpdateStatus(), usModified);

    std::vector<QString> errors;
    driver->OnUpdateError = TDataDriverUpdateErrorEhEvent::Callable(
        [&](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh* r, TUpdateErrorActionEh& a) {
            errors.push_back(VarToStr(r->GetDataValue(Fi(QStringLiteral("ID")), dvvValueEh)));
            a = ueaCountinueSkip;
        });
    EXPECT_EQ(driver->ApplyUpdates(store.get()), 0);
    // The constraint failure and the update that changed no row both stay in the log.
    EXPECT_EQ(errors, (std::vector<QString>{QStringLiteral("5"), QStringLiteral("3")}));
    EXPECT_EQ(Rec(2)->UpdateStatus(), usModified);
    ASSERT_NE(Rec(2)->UpdateError(), nullptr);
    EXPECT_NE(Rec(2)->UpdateError()->ExceptionObject()->Message().indexOf(QStringLiteral("not found")), -1);
    EXPECT_EQ(store->RecordsList()->DeltaList().size(), 2u);
}

// ---------------------------------------------------------------------------------------------
// Key queries of the other server types, answered by the resolver

class ServerKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        conn = new TSQLiteConnection(nullptr);
        conn->SetDatabaseName(QStringLiteral(":memory:"));
        resolver = GetSQLDataDriverResolver();
        resolver->OnExecuteCommand = TResolverExecuteCommandEhEvent::Callable(
            [this](TCustomSQLDataDriverEh*, TCustomSQLCommandEh* c, TDataSet*& cursor, bool& freeOnEof,
                   bool& processed) -> int {
                const QString text = Lines(c->FinalCommandText());
                log.push_back(text);
                processed = true;
                if (c->CommandType() != cthSelectQuery) return 1;
                auto* q = new TSQLiteQuery(nullptr);
                q->SetConnection(conn);
                q->SQL()->SetText(QStringLiteral("SELECT 77"));
                q->Open();
                cursor = q;
                freeOnEof = true;
                return -1;
            });
    }
    void TearDown() override {
        resolver->OnExecuteCommand = TResolverExecuteCommandEhEvent();
        delete conn;
    }
    QTemporaryDir dir;
    TSQLiteConnection* conn = nullptr;
    TSQLDataDriverResolver* resolver = nullptr;
    std::vector<QString> log;
};

TEST_F(ServerKeyTest, QueriesBeforeAndAfterTheInsert) {
    struct Case {
        const char* Server;
        const char* Params;
        std::vector<QString> Log;
    };
    const QString ins = QStringLiteral("insert-statement");
    const Case cases[] = {
        {"AnsiServer", "AUTO_INCREMENT_FIELD=ID", {ins}},
        {"Oracle",
         "SEQUENCE=S_GOODS\nSEQUENCE_FIELD=ID",
         {QStringLiteral("SELECT S_GOODS.currval FROM dual"), ins}},
        {"MSSQL", "AUTO_INCREMENT_FIELD=ID", {ins, QStringLiteral("SELECT @@IDENTITY")}},
        {"MSAccess", "AUTO_INCREMENT_FIELD=ID", {ins, QStringLiteral("SELECT @@IDENTITY")}},
        {"Interbase",
         "GENERATOR=G_GOODS\nGENERATOR_FIELD=ID",
         {QStringLiteral("SELECT GEN_ID(G_GOODS, 1) FROM RDB$DATABASE"), ins,
          QStringLiteral("SELECT GEN_ID(G_GOODS, 0) FROM RDB$DATABASE")}},
        {"Infromix",
         "AUTO_INCREMENT_FIELD=ID",
         {ins, QStringLiteral("select DBINFO(\"sqlca.sqlerrd1\") from systables where tabid=1")}},
        {"DB2", "AUTO_INCREMENT_FIELD=ID", {ins}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Server);
        log.clear();
        std::unique_ptr<TServerSpecOperationsEh> ops(
            CreateServerSpecOperations(QString::fromLatin1(c.Server)));
        ASSERT_NE(ops, nullptr);
        std::unique_ptr<TCustomSQLDataDriverEh> d(Create<TCustomSQLDataDriverEh>(nullptr));
        d->SetServerSpecOperations(ops.get());
        d->SpecParams()->SetText(QString::fromLatin1(c.Params));
        SetText(d->InsertSQL(), ins);
        std::unique_ptr<TMemTableDataEh> md(new TMemTableDataEh(nullptr));
        for (const char* name : {"ID", "NAME"}) {
            TMTDataFieldEh* f = md->DataStruct()->CreateField(DefaultDataFieldClasses(ftInteger));
            f->AssignDataType(ftInteger);
            f->SetFieldName(QString::fromLatin1(name));
        }
        md->RecordsList()->SetCachedUpdates(true);
        TMemoryRecordEh* r = md->RecordsList()->NewRecord();
        r->SetDataValue(1, dvvValueEh, 5);
        r->Post();

        EXPECT_EQ(d->ApplyUpdates(md.get()), 1);
        EXPECT_EQ(log, c.Log);
        const bool keyed = c.Log.size() > 1;
        EXPECT_EQ(VarToStr(r->GetDataValue(0, dvvValueEh)), keyed ? QStringLiteral("77") : QString());
    }
}

} // namespace

namespace {

TEST_F(SQLDriverTest, SettingsTravelInAComponentStream) {
    driver->SetName(QStringLiteral("GoodsDriver"));
    provider->SetName(QStringLiteral("Provider"));
    driver->GetrecCommand()->SetCommandType(cthTable);
    driver->SetKeyFields(QStringLiteral("ID"));
    driver->DynaSQLParams()->SetUpdateTable(QStringLiteral("GOODS"));
    driver->DynaSQLParams()->SetOptions({dsoDynamicSQLDeleteEh});
    driver->MacroVars()->SetSpecMacrosUsages({smuUseFilterMacroEh, smuFilterWithANDPrecedingEh});
    driver->MacroVars()->SpecMacros()->SetFilterMacroName(QStringLiteral("%F%"));
    driver->MacroVars()->Macros()->CreateDynVar(QStringLiteral("%T%"), QStringLiteral("GOODS"));

    TMemoryStream bin;
    WriteComponent(&bin, driver);
    bin.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(&bin, &text);
    const QString form =
        QString::fromUtf8(QByteArray(static_cast<const char*>(text.Memory()), int(text.Size())));
    // Only the command type that differs from its command's default is written.
    EXPECT_EQ(form.count(QStringLiteral("CommandType")), 1) << form.toStdString();
    EXPECT_NE(form.indexOf(QStringLiteral("GetrecCommand.CommandType = cthTable")), -1) << form.toStdString();
    EXPECT_EQ(form.indexOf(QStringLiteral("SortOrderMacroName")), -1);
    EXPECT_NE(form.indexOf(QStringLiteral("ConnectionProvider = Provider")), -1);

    driver->SetName(QStringLiteral("Written"));
    auto* copy = Create<TSQLiteDataDriverEh>(owner.get());
    bin.SetPosition(0);
    ReadComponent(&bin, copy);
    EXPECT_EQ(copy->GetrecCommand()->CommandType(), cthTable);
    EXPECT_EQ(copy->UpdateCommand()->CommandType(), cthUpdateQuery);
    EXPECT_EQ(copy->KeyFields(), QStringLiteral("ID"));
    EXPECT_EQ(copy->DynaSQLParams()->UpdateTable(), QStringLiteral("GOODS"));
    EXPECT_EQ(copy->DynaSQLParams()->Options(), TDynaSQLOptionsEh{dsoDynamicSQLDeleteEh});
    EXPECT_EQ(copy->MacroVars()->SpecMacrosUsages(),
              (TSpecMacrosUsagesEh{smuUseFilterMacroEh, smuFilterWithANDPrecedingEh}));
    EXPECT_EQ(copy->MacroVars()->SpecMacros()->FilterMacroName(), QStringLiteral("%F%"));
    EXPECT_EQ(copy->MacroVars()->Macros()->Str(QStringLiteral("%T%")), QStringLiteral("GOODS"));
}

} // namespace

namespace {

// A connection provider that records what it is offered and processes nothing.
class TDecliningProvider : public IConnectionProviderEh {
public:
    std::vector<QString>* Log = nullptr;
    int ExecuteCommand(TCustomSQLDataDriverEh*, TCustomSQLCommandEh*, TDataSet*&, bool&, bool&) override {
        Log->push_back(QStringLiteral("provider execute"));
        return 5;
    }
    void UpdateRecord(TCustomSQLDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, bool&) override {
        Log->push_back(QStringLiteral("provider update"));
    }
    void GetBackUpdatedValues(TCustomSQLDataDriverEh*, TMemoryRecordEh*, TCustomSQLCommandEh*, TDataSet*,
                              bool&) override {
        Log->push_back(QStringLiteral("provider values"));
    }
    void AddPostponedActivationDataSet(TDataSet*) override {}
    bool ConnectionIsPostponed() override { return true; }
    TComponent* GetDesignDataBase() override { return nullptr; }
};

class TProviderDriver : public TCustomSQLDataDriverEh {
public:
    using TCustomSQLDataDriverEh::TCustomSQLDataDriverEh;
    TDecliningProvider Provider;
    IConnectionProviderEh* GetConnectionProvider() override { return &Provider; }
};

TEST(SQLChainTest, ProviderFirstThenResolverThenTheDriver) {
    std::vector<QString> log;
    std::unique_ptr<TProviderDriver> d(Create<TProviderDriver>(nullptr));
    d->Provider.Log = &log;
    EXPECT_TRUE(d->ConnectionIsPostponed());
    TSQLDataDriverResolver* resolver = GetSQLDataDriverResolver();
    struct Restore {
        TSQLDataDriverResolver* R;
        ~Restore() {
            R->OnExecuteCommand = TResolverExecuteCommandEhEvent();
            R->OnUpdateRecord = TResolverUpdateRecordEhEvent();
        }
    } restore{resolver};
    resolver->OnExecuteCommand = TResolverExecuteCommandEhEvent::Callable(
        [&](TCustomSQLDataDriverEh*, TCustomSQLCommandEh*, TDataSet*&, bool&, bool& processed) {
            log.push_back(QStringLiteral("resolver execute"));
            processed = true;
            return 7;
        });
    TDataSet* cursor = nullptr;
    bool freeOnEof = false;
    EXPECT_EQ(d->ExecuteCommand(d->SelectCommand(), cursor, freeOnEof), 7);
    EXPECT_EQ(log, (std::vector<QString>{"provider execute", "resolver execute"}));

    // Resolving: the provider declines, the resolver's handler takes the record.
    log.clear();
    resolver->OnUpdateRecord = TResolverUpdateRecordEhEvent::Callable(
        [&](TCustomSQLDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, bool& processed) {
            log.push_back(QStringLiteral("resolver update"));
            processed = true;
        });
    std::unique_ptr<TMemTableDataEh> md(new TMemTableDataEh(nullptr));
    TMTDataFieldEh* f = md->DataStruct()->CreateField(DefaultDataFieldClasses(ftInteger));
    f->AssignDataType(ftInteger);
    f->SetFieldName(QStringLiteral("ID"));
    md->RecordsList()->SetCachedUpdates(true);
    TMemoryRecordEh* r = md->RecordsList()->NewRecord();
    r->SetDataValue(0, dvvValueEh, 1);
    r->Post();
    EXPECT_EQ(d->ApplyUpdates(md.get()), 1);
    EXPECT_EQ(log, (std::vector<QString>{"provider update", "resolver update"}));

    // Without the handler the default resolver runs the driver's own statement.
    log.clear();
    resolver->OnUpdateRecord = TResolverUpdateRecordEhEvent();
    SetText(d->DeleteSQL(), QStringLiteral("delete"));
    md->RecordsList()->DeleteRecord(0);
    EXPECT_EQ(d->ApplyUpdates(md.get()), 1);
    EXPECT_EQ(log, (std::vector<QString>{"provider update", "provider execute", "resolver execute",
                                         "provider values"}));
}

TEST(SQLChainTest, InstallingAnotherResolver) {
    auto* mine = new TSQLDataDriverResolver;
    TSQLDataDriverResolver* old = SetSQLDataDriverResolver(mine);
    EXPECT_EQ(GetSQLDataDriverResolver(), mine);
    bool asked = false;
    mine->OnExecuteCommand = TResolverExecuteCommandEhEvent::Callable(
        [&](TCustomSQLDataDriverEh*, TCustomSQLCommandEh*, TDataSet*&, bool&, bool& processed) {
            asked = true;
            processed = true;
            return 0;
        });
    std::unique_ptr<TCustomSQLDataDriverEh> d(Create<TCustomSQLDataDriverEh>(nullptr));
    TDataSet* cursor = nullptr;
    bool freeOnEof = false;
    EXPECT_EQ(d->SelectCommand()->Execute(cursor, freeOnEof), 0);
    EXPECT_TRUE(asked);
    EXPECT_EQ(SetSQLDataDriverResolver(nullptr), mine);
    EXPECT_EQ(d->SelectCommand()->Execute(cursor, freeOnEof), -1);
    delete mine;
    EXPECT_EQ(SetSQLDataDriverResolver(old), nullptr);
}

} // namespace
