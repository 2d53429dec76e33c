#pragma once
// SQL data drivers over an SQLite database: a connection provider that runs a driver's commands
// on a TSQLiteConnection, a driver whose commands bind parameters from the records they
// resolve, and the server-specific operations that fetch the key SQLite generated.
//
// Command parameters take their values by name from the record: ":NAME" the value of field
// NAME, ":OLD_NAME" its value before the change (the server-side key of a modified row).

#include "lib/memtable/SQLDataDriverEh.h"

#include <memory>

class TSQLiteConnection;

class TSQLiteConnectionProviderEh : public TComponent, public IConnectionProviderEh {
    KVT_CLASS(TSQLiteConnectionProviderEh, TComponent)
public:
    explicit TSQLiteConnectionProviderEh(TComponent* AOwner = nullptr);
    ~TSQLiteConnectionProviderEh() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TSQLiteConnection* Connection() const { return FConnection; }
    void SetConnection(TSQLiteConnection* Value);

    // A select command answers an open query that the driver frees at its end (and -1); other
    // commands answer the rows they changed.
    int ExecuteCommand(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command, TDataSet*& Cursor,
                       bool& FreeOnEof, bool& Processed) override;
    // Records are resolved by the driver's statements; nothing is done here.
    void UpdateRecord(TCustomSQLDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, bool&) override {}
    void GetBackUpdatedValues(TCustomSQLDataDriverEh*, TMemoryRecordEh*, TCustomSQLCommandEh*, TDataSet*,
                              bool&) override {}
    void AddPostponedActivationDataSet(TDataSet*) override {}
    bool ConnectionIsPostponed() override { return false; }
    TComponent* GetDesignDataBase() override { return nullptr; }

private:
    TSQLiteConnection* FConnection = nullptr;
};

// A command with parameters named in its final text.
class TSQLiteCommandEh : public TCustomSQLCommandEh {
    KVT_CLASS(TSQLiteCommandEh, TCustomSQLCommandEh)
public:
    explicit TSQLiteCommandEh(TCustomSQLDataDriverEh* ADataDriver);
    ~TSQLiteCommandEh() override;

    // The parameters of the current final text (rebuilt when the text changed; values of
    // parameters that keep their names stay).
    TParams* GetParams() override;
    void RefreshParams(TMemoryRecordEh* MemRecord, TDataValueVersionEh DataValueVersion) override;
    void RebuildParams() override;
    void SetParams(TParams* AParams) override;
    TParams* Params() { return GetParams(); }

private:
    std::unique_ptr<TParams> FParams;
    String FParamsText;
    bool FParamsBuilt = false;
};

class TSQLiteDataDriverEh : public TCustomSQLDataDriverEh {
    KVT_CLASS(TSQLiteDataDriverEh, TCustomSQLDataDriverEh)
public:
    explicit TSQLiteDataDriverEh(TComponent* AOwner = nullptr);
    ~TSQLiteDataDriverEh() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TSQLiteConnectionProviderEh* ConnectionProvider() const { return FConnectionProvider; }
    void SetConnectionProvider(TSQLiteConnectionProviderEh* Value);
    IConnectionProviderEh* GetConnectionProvider() override { return FConnectionProvider; }
    TCustomSQLCommandEh* CreateCommand() override;

private:
    TSQLiteConnectionProviderEh* FConnectionProvider = nullptr;
};

// Fetches the key of an inserted row ("AUTO_INCREMENT_FIELD") after the insert statement.
class TSQLiteSpecOperationsEh : public TServerSpecOperationsEh {
    KVT_CLASS(TSQLiteSpecOperationsEh, TServerSpecOperationsEh)
public:
    static String ServerTypeName() { return QStringLiteral("SQLite"); }
    String GetServerTypeName() const override { return ServerTypeName(); }
    void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                              TDataSet* ResDataSet) override;
};
