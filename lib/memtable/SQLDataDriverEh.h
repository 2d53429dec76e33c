#pragma once
// The SQL data driver: a data driver that reads and resolves through SQL commands. It runs
// nothing itself: every execution and record update is offered, in order, to a connection
// provider, to the process-wide resolver and to the application's events. Server-specific
// operations write the dynamic statements and fetch keys the server generates; macro variables
// are substituted into the command texts before execution.

#include "lib/memtable/DataDriverEh.h"

#include <functional>
#include <memory>

class TStrings;
class TStringList;
class TStringVarsEh;
class TCustomSQLDataDriverEh;
class TCustomSQLCommandEh;
class TServerSpecOperationsEh;
class TSQLDataDriverResolver;
class TDynaSQLParamsEh;
class TMacroVarsEh;

enum TSQLCommandTypeEh { cthSelectQuery, cthUpdateQuery, cthTable, cthStoredProc };

enum TDynaSQLOptionEh { dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh };
using TDynaSQLOptionsEh = TSet<TDynaSQLOptionEh>;

enum TSpecMacrosUsageEh {
    smuUseFilterMacroEh,
    smuFilterAsWhereClauseEh,
    smuFilterWithANDPrecedingEh,
    smuUseSortOrderMacroEh,
    smuSortOrderAsOrderByClauseEh,
    smuSortOrderWithCommaPrecedingEh
};
using TSpecMacrosUsagesEh = TSet<TSpecMacrosUsageEh>;

// A database connection that SQL drivers delegate to. A method that leaves Processed False lets
// the driver go on with the resolver and its own defaults.
class IConnectionProviderEh {
public:
    static constexpr TGUID IID{0xC5744985, 0xA67B, 0x4786, {0x91, 0x65, 0xDB, 0x99, 0xA7, 0xCA, 0x48, 0x31}};
    virtual ~IConnectionProviderEh() = default;
    virtual int ExecuteCommand(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command,
                               TDataSet*& Cursor, bool& FreeOnEof, bool& Processed) = 0;
    virtual void UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                              TMemoryRecordEh* MemRec, bool& Processed) = 0;
    virtual void GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                      TCustomSQLCommandEh* Command, TDataSet* ResDataSet,
                                      bool& Processed) = 0;
    virtual void AddPostponedActivationDataSet(TDataSet* ADataSet) = 0;
    virtual bool ConnectionIsPostponed() = 0;
    virtual TComponent* GetDesignDataBase() = 0;
};

// ---------------------------------------------------------------------------------------------
// Commands

class TCustomSQLCommandEh : public TPersistent {
    KVT_CLASS(TCustomSQLCommandEh, TPersistent)
public:
    explicit TCustomSQLCommandEh(TCustomSQLDataDriverEh* ADataDriver);
    ~TCustomSQLCommandEh() override;

    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override;
    String GetNamePath() override { return QStringLiteral("SQLCommand"); }

    virtual TSQLCommandTypeEh DefaultCommandType();
    virtual TStrings* GetCommandText() const;
    virtual TSQLCommandTypeEh GetCommandType() const { return FCommandType; }
    virtual void CommandTextChanged(TObject* Sender);
    virtual void CommandHook() {}
    virtual void SetCommandText(TStrings* Value);
    virtual void SetCommandType(TSQLCommandTypeEh Value) { FCommandType = Value; }
    // Offers the command to the connection provider, then to the resolver; -1 and no cursor
    // when neither runs it.
    virtual int Execute(TDataSet*& Cursor, bool& FreeOnEof);
    // Parameter binding belongs to commands that talk to a real database.
    virtual TParams* GetParams() { return nullptr; }
    virtual void FormFinalCommandText();
    virtual void RefreshParams(TMemoryRecordEh* /*MemRecord*/, TDataValueVersionEh /*DataValueVersion*/) {}
    virtual void RebuildParams() {}
    virtual void SetParams(TParams* /*AParams*/) {}

    TStrings* CommandText() const { return GetCommandText(); }
    TSQLCommandTypeEh CommandType() const { return GetCommandType(); }
    // A command type is written to a component stream only when it is not the default.
    bool IsCommandTypeStored() { return FCommandType != DefaultCommandType(); }
    TCustomSQLDataDriverEh* DataDriver() const { return FDataDriver; }
    // The text with the macros substituted; formed again when obsolete.
    TStrings* FinalCommandText();
    void FinalCommandTextObsolete() { FFinalCommandTextObsolete = true; }
    bool IsFinalCommandTextObsolete() const { return FFinalCommandTextObsolete; }

protected:
    std::unique_ptr<TStringList> FCommandText;
    TSQLCommandTypeEh FCommandType = cthSelectQuery;
    TCustomSQLDataDriverEh* FDataDriver = nullptr;
    std::unique_ptr<TStringList> FFinalCommandText;
    bool FFinalCommandTextObsolete = true;
};

// ---------------------------------------------------------------------------------------------
// Server-specific operations

class TServerSpecOperationsEh : public TObject {
    KVT_CLASS(TServerSpecOperationsEh, TObject)
public:
    TServerSpecOperationsEh() = default;

    // Appends the key condition lines for KeyFields to Text.
    virtual void GenerateWhereClause(const std::vector<String>& KeyFields, TStrings* Text);
    // The names of Fields whose current value differs from the old one.
    virtual void GetChangedFields(TMemoryRecordEh* MemRec, const std::vector<String>& Fields,
                                  std::vector<String>& ChangedFields);
    static String ServerTypeName() { return QStringLiteral("AnsiServer"); }
    virtual String GetServerTypeName() const { return ServerTypeName(); }
    virtual int UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                             TMemoryRecordEh* MemRec);
    virtual void GetBackUpdatedValues(TMemoryRecordEh* /*MemRec*/, TCustomSQLCommandEh* /*Command*/,
                                      TDataSet* /*ResDataSet*/) {}
    virtual void GenerateDynaSQLCommand(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command);
    virtual void GenerateDeleteCommand(TMemoryRecordEh*, TCustomSQLCommandEh*) {}
    virtual void GenerateUpdateCommand(TMemoryRecordEh*, TCustomSQLCommandEh*) {}
    virtual void GenerateInsertCommand(TMemoryRecordEh*, TCustomSQLCommandEh*) {}

protected:
    // Runs Query through the driver's service command and answers the first field of its first
    // row; Unassigned when no row comes back.
    static Variant QueryServerValue(TCustomSQLDataDriverEh* Driver, const String& Query);
    // Runs Query and stores its value as the current value of FieldName, when that names a
    // field of the record.
    static void AssignServerValue(TCustomSQLDataDriverEh* Driver, TMemoryRecordEh* MemRec,
                                  const String& Query, const String& FieldName);
};

class TOracleSpecOperationsEh : public TServerSpecOperationsEh {
    KVT_CLASS(TOracleSpecOperationsEh, TServerSpecOperationsEh)
public:
    static String ServerTypeName() { return QStringLiteral("Oracle"); }
    String GetServerTypeName() const override { return ServerTypeName(); }
    int UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                     TMemoryRecordEh* MemRec) override;
};

class TMSSQLSpecOperationsEh : public TServerSpecOperationsEh {
    KVT_CLASS(TMSSQLSpecOperationsEh, TServerSpecOperationsEh)
public:
    static String ServerTypeName() { return QStringLiteral("MSSQL"); }
    String GetServerTypeName() const override { return ServerTypeName(); }
    void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                              TDataSet* ResDataSet) override;
};

class TInterbaseSpecOperationsEh : public TServerSpecOperationsEh {
    KVT_CLASS(TInterbaseSpecOperationsEh, TServerSpecOperationsEh)
public:
    static String ServerTypeName() { return QStringLiteral("Interbase"); }
    String GetServerTypeName() const override { return ServerTypeName(); }
    int UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                     TMemoryRecordEh* MemRec) override;
    void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                              TDataSet* ResDataSet) override;
};

class TInfromixSpecOperationsEh : public TServerSpecOperationsEh {
    KVT_CLASS(TInfromixSpecOperationsEh, TServerSpecOperationsEh)
public:
    static String ServerTypeName() { return QStringLiteral("Infromix"); }
    String GetServerTypeName() const override { return ServerTypeName(); }
    void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                              TDataSet* ResDataSet) override;
};

class TDB2SpecOperationsEh : public TServerSpecOperationsEh {
    KVT_CLASS(TDB2SpecOperationsEh, TServerSpecOperationsEh)
public:
    static String ServerTypeName() { return QStringLiteral("DB2"); }
    String GetServerTypeName() const override { return ServerTypeName(); }
};

class TSybaseSpecOperationsEh : public TServerSpecOperationsEh {
    KVT_CLASS(TSybaseSpecOperationsEh, TServerSpecOperationsEh)
public:
    static String ServerTypeName() { return QStringLiteral("Sybase"); }
    String GetServerTypeName() const override { return ServerTypeName(); }
};

class TMSAccessSpecOperationsEh : public TServerSpecOperationsEh {
    KVT_CLASS(TMSAccessSpecOperationsEh, TServerSpecOperationsEh)
public:
    static String ServerTypeName() { return QStringLiteral("MSAccess"); }
    String GetServerTypeName() const override { return ServerTypeName(); }
    void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                              TDataSet* ResDataSet) override;
};

// A server-operations class as the registry keeps it: its type name and a factory.
struct TServerSpecOperationsEhClass {
    String (*GetServerTypeName)() = nullptr;
    TServerSpecOperationsEh* (*Create)() = nullptr;
};
template <class T> TServerSpecOperationsEhClass ServerSpecOperationsClassOf() {
    return {&T::ServerTypeName, []() -> TServerSpecOperationsEh* { return new T; }};
}

// Fails with 'Server type with name: "<name>" is already registered' for a known name.
void RegisterServerSpecOperations(const TServerSpecOperationsEhClass& ServerSpecOperationsClass);
template <class T> void RegisterServerSpecOperations() {
    RegisterServerSpecOperations(ServerSpecOperationsClassOf<T>());
}
// The registered server type names, in registration order.
std::vector<String> RegisteredServerTypeNames();
// A new operations object of the named server type (the caller owns it); nullptr when unknown.
TServerSpecOperationsEh* CreateServerSpecOperations(const String& ServerTypeName);
// The operations used when neither a driver nor the resolver has any.
TServerSpecOperationsEh* DefaultServerSpecOperations();

// ---------------------------------------------------------------------------------------------
// Dynamic SQL settings and macros

class TDynaSQLParamsEh : public TPersistent {
    KVT_CLASS(TDynaSQLParamsEh, TPersistent)
public:
    explicit TDynaSQLParamsEh(TCustomSQLDataDriverEh* ADataDriver) : FDataDriver(ADataDriver) {}
    void Assign(TPersistent* Source) override;

    TCustomSQLDataDriverEh* DataDriver() const { return FDataDriver; }
    const String& UpdateTable() const { return FUpdateTable; }
    void SetUpdateTable(const String& Value) { FUpdateTable = Value; }
    // Comma-text lists: commas or blanks separate, double quotes group.
    const String& UpdateFields() const { return FUpdateFields; }
    void SetUpdateFields(const String& Value) { FUpdateFields = Value; }
    const String& KeyFields() const { return FKeyFields; }
    void SetKeyFields(const String& Value) { FKeyFields = Value; }
    bool SkipUnchangedFields() const { return FSkipUnchangedFields; }
    void SetSkipUnchangedFields(bool Value) { FSkipUnchangedFields = Value; }
    TDynaSQLOptionsEh Options() const { return FOptions; }
    void SetOptions(TDynaSQLOptionsEh Value) { FOptions = Value; }

private:
    TCustomSQLDataDriverEh* FDataDriver = nullptr;
    String FUpdateTable;
    String FUpdateFields;
    String FKeyFields;
    bool FSkipUnchangedFields = false;
    TDynaSQLOptionsEh FOptions;
};

class TSpecMacrosEh : public TPersistent {
    KVT_CLASS(TSpecMacrosEh, TPersistent)
public:
    explicit TSpecMacrosEh(TMacroVarsEh* AMacroVars) : FMacroVars(AMacroVars) {}
    void Assign(TPersistent* Source) override;

    const String& FilterMacroName() const { return FFilterMacroName; }
    void SetFilterMacroName(const String& Value) { FFilterMacroName = Value; }
    bool IsFilterMacroNameStored() const { return FFilterMacroName != QStringLiteral("%Filter%"); }
    const String& SortOrderMacroName() const { return FSortOrderMacroName; }
    void SetSortOrderMacroName(const String& Value) { FSortOrderMacroName = Value; }
    bool IsSortOrderMacroNameStored() const { return FSortOrderMacroName != QStringLiteral("%SortOrder%"); }
    const String& FilterMacroValue() const { return FFilterMacroValue; }
    void SetFilterMacroValue(const String& Value);
    const String& SortOrderMacroValue() const { return FSortOrderMacroValue; }
    void SetSortOrderMacroValue(const String& Value);

private:
    String FFilterMacroName = QStringLiteral("%Filter%");
    String FSortOrderMacroName = QStringLiteral("%SortOrder%");
    String FSortOrderMacroValue;
    String FFilterMacroValue;
    TMacroVarsEh* FMacroVars = nullptr;
};

class TMacroVarsEh : public TPersistent {
    KVT_CLASS(TMacroVarsEh, TPersistent)
public:
    explicit TMacroVarsEh(TCustomSQLDataDriverEh* ADataDriver);
    ~TMacroVarsEh() override;
    void Assign(TPersistent* Source) override;
    virtual void MacrosChanged();

    // Replaces every occurrence of MacroName in Text by MacroValue. An occurrence directly
    // followed by "%" stays, and that "%" is dropped.
    static String SubstituteMacro(const String& Text, const String& MacroName, const String& MacroValue);
    void ScanAllForMacros(std::vector<String>& sl);
    void ScanStrForMacros(const String& SrcStr, std::vector<String>& sl);

    TCustomSQLDataDriverEh* DataDriver() const { return FDataDriver; }
    TStringVarsEh* Macros() const { return FMacros.get(); }
    void SetMacros(TStringVarsEh* Value);
    TSpecMacrosEh* SpecMacros() const { return FSpecMacros.get(); }
    void SetSpecMacros(TSpecMacrosEh* Value) { FSpecMacros->Assign(Value); }
    TSpecMacrosUsagesEh SpecMacrosUsages() const { return FSpecMacrosUsages; }
    void SetSpecMacrosUsages(TSpecMacrosUsagesEh Value);

private:
    void MacrosChangeEvent(TObject* Sender) { (void)Sender, MacrosChanged(); }

    TCustomSQLDataDriverEh* FDataDriver = nullptr;
    std::unique_ptr<TStringVarsEh> FMacros;
    TSpecMacrosUsagesEh FSpecMacrosUsages{smuFilterAsWhereClauseEh, smuSortOrderAsOrderByClauseEh};
    std::unique_ptr<TSpecMacrosEh> FSpecMacros;
};

// ---------------------------------------------------------------------------------------------
// The SQL data driver

using TDataDriverExecuteCommandEhEvent = TEvent<int(
    TCustomSQLDataDriverEh* DataDriver, TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof)>;
using TDataDriverGetBackUpdatedValuesEhEvent =
    TEvent<void(TCustomSQLDataDriverEh* DataDriver, TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                TDataSet* ResDataSet)>;

class TCustomSQLDataDriverEh : public TDataDriverEh {
    KVT_CLASS(TCustomSQLDataDriverEh, TDataDriverEh)
public:
    explicit TCustomSQLDataDriverEh(TComponent* AOwner = nullptr);
    ~TCustomSQLDataDriverEh() override;
    // Creates the commands through the Create...Command operations of the most derived class.
    void AfterConstruction() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    void AdjustDataStruct(TFields* Fields, TMTDataStructEh* DataStruct) override;
    bool ConnectionIsPostponed() override;
    void AddPostponedActivationDataSet(TDataSet* ADataSet) override;
    int DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) override;
    bool RefreshReaderParamsFromCursor(TDataSet* DataSet) override;
    void DefaultBuildDataStruct(TMTDataStructEh* DataStruct) override;
    void DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof) override;
    void DefaultRefreshRecord(TMemoryRecordEh* MemRecord) override;
    void SetReaderParamsFromCursor(TDataSet* DataSet) override;

    virtual void SetDesignDataBase(TComponent* Value);
    virtual void CommandsChanged();
    virtual TCustomSQLDataDriverEh* CreateDesignCopy();
    virtual TComponent* CreateDesignDataBase() { return nullptr; }
    virtual TComponent* ForceGetNewDesignDataBase();
    virtual TComponent* GetDesignDataBase();
    virtual void AssignFromDesignDriver(TCustomSQLDataDriverEh* DesignDataDriver);
    virtual TCustomSQLCommandEh* CreateCommand();
    virtual TCustomSQLCommandEh* CreateDeleteCommand() { return CreateCommand(); }
    virtual TCustomSQLCommandEh* CreateInsertCommand() { return CreateCommand(); }
    virtual TCustomSQLCommandEh* CreateSelectCommand() { return CreateCommand(); }
    virtual TCustomSQLCommandEh* CreateGetrecCommand() { return CreateCommand(); }
    virtual TCustomSQLCommandEh* CreateUpdateCommand() { return CreateCommand(); }
    virtual TSQLCommandTypeEh DefaultCommandType(TCustomSQLCommandEh* Command);
    virtual bool UpdateFieldAllowed(TUpdateStatus UpdateStatus, const String& FieldName);
    virtual void CommandTextChanged(TCustomSQLCommandEh* Command);
    virtual void DriverHook() {}
    virtual TServerSpecOperationsEh* InternalGetServerSpecOperations() { return FServerSpecOperations; }
    virtual int DoUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec);
    virtual int ExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof);
    virtual int DefaultExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof);
    virtual bool HaveDataConnection() { return GetConnectionProvider() != nullptr; }
    virtual IConnectionProviderEh* GetConnectionProvider() { return nullptr; }
    virtual bool OrderByTextSupported();
    virtual bool FilterTextSupported();
    virtual void ApplyOrderByText(const String& OrderByText);
    virtual void ApplyFilterText(const String& FilterText);
    virtual void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                      TDataSet* ResDataSet);
    virtual void DefaultGetUpdatedServerValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                               TDataSet* ResDataSet);
    virtual void GenerateDynamicSQLCommand(TMemoryRecordEh* MemRecord, TCustomSQLCommandEh* Command);

    TCustomSQLCommandEh* SelectCommand() { return EnsureCommands(), FSelectCommand.get(); }
    TCustomSQLCommandEh* UpdateCommand() { return EnsureCommands(), FUpdateCommand.get(); }
    TCustomSQLCommandEh* InsertCommand() { return EnsureCommands(), FInsertCommand.get(); }
    TCustomSQLCommandEh* DeleteCommand() { return EnsureCommands(), FDeleteCommand.get(); }
    TCustomSQLCommandEh* GetrecCommand() { return EnsureCommands(), FGetrecCommand.get(); }
    // Receives the generated statements and the key queries.
    TCustomSQLCommandEh* ServiceCommand() { return EnsureCommands(), FServiceCommand.get(); }
    void SetSelectCommand(TCustomSQLCommandEh* Value) { SelectCommand()->Assign(Value); }
    void SetUpdateCommand(TCustomSQLCommandEh* Value) { UpdateCommand()->Assign(Value); }
    void SetInsertCommand(TCustomSQLCommandEh* Value) { InsertCommand()->Assign(Value); }
    void SetDeleteCommand(TCustomSQLCommandEh* Value) { DeleteCommand()->Assign(Value); }
    void SetGetrecCommand(TCustomSQLCommandEh* Value) { GetrecCommand()->Assign(Value); }

    TStrings* SelectSQL() { return SelectCommand()->CommandText(); }
    void SetSelectSQL(TStrings* Value) { SelectCommand()->SetCommandText(Value); }
    TStrings* UpdateSQL() { return UpdateCommand()->CommandText(); }
    void SetUpdateSQL(TStrings* Value) { UpdateCommand()->SetCommandText(Value); }
    TStrings* InsertSQL() { return InsertCommand()->CommandText(); }
    void SetInsertSQL(TStrings* Value) { InsertCommand()->SetCommandText(Value); }
    TStrings* DeleteSQL() { return DeleteCommand()->CommandText(); }
    void SetDeleteSQL(TStrings* Value) { DeleteCommand()->SetCommandText(Value); }
    TStrings* GetrecSQL() { return GetrecCommand()->CommandText(); }
    void SetGetrecSQL(TStrings* Value) { GetrecCommand()->SetCommandText(Value); }
    TStrings* FinalSelectSQL() { return SelectCommand()->FinalCommandText(); }
    TStrings* FinalUpdateSQL() { return UpdateCommand()->FinalCommandText(); }
    TStrings* FinalInsertSQL() { return InsertCommand()->FinalCommandText(); }
    TStrings* FinalDeleteSQL() { return DeleteCommand()->FinalCommandText(); }
    TStrings* FinalGetrecSQL() { return GetrecCommand()->FinalCommandText(); }

    // "name=value" lines read by the server-specific operations: AUTO_INCREMENT_FIELD,
    // SEQUENCE, SEQUENCE_FIELD, GENERATOR, GENERATOR_FIELD.
    TStrings* SpecParams() const;
    void SetSpecParams(TStrings* Value);
    TServerSpecOperationsEh* ServerSpecOperations() const { return FServerSpecOperations; }
    void SetServerSpecOperations(TServerSpecOperationsEh* Value) { FServerSpecOperations = Value; }
    TDynaSQLParamsEh* DynaSQLParams() const { return FDynaSQLParams.get(); }
    void SetDynaSQLParams(TDynaSQLParamsEh* Value);
    TMacroVarsEh* MacroVars() const { return FMacroVars.get(); }
    void SetMacroVars(TMacroVarsEh* Value);
    TComponent* DesignDataBase() { return GetDesignDataBase(); }

    TDataDriverExecuteCommandEhEvent OnExecuteCommand;
    TDataDriverGetBackUpdatedValuesEhEvent OnGetBackUpdatedValues;

protected:
    void EnsureCommands();
    // Assigns the fields of Cursor's current row to every data field of MemRec as Version.
    void AssignRecordFromCursor(TMemoryRecordEh* MemRec, TDataValueVersionEh Version, TDataSet* Cursor);

    std::unique_ptr<TCustomSQLCommandEh> FDeleteCommand;
    TComponent* FDesignDataBase = nullptr;
    std::unique_ptr<TCustomSQLCommandEh> FGetrecCommand;
    std::unique_ptr<TCustomSQLCommandEh> FInsertCommand;
    std::unique_ptr<TCustomSQLCommandEh> FSelectCommand;
    std::unique_ptr<TStringList> FSpecParams;
    std::unique_ptr<TCustomSQLCommandEh> FUpdateCommand;
    std::unique_ptr<TCustomSQLCommandEh> FServiceCommand;
    TServerSpecOperationsEh* FServerSpecOperations = nullptr;
    std::unique_ptr<TDynaSQLParamsEh> FDynaSQLParams;
    std::unique_ptr<TMacroVarsEh> FMacroVars;

private:
    bool FCreatingCommands = false;
};

// ---------------------------------------------------------------------------------------------
// The process-wide resolver

using TResolverExecuteCommandEhEvent =
    TEvent<int(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command, TDataSet*& Cursor,
               bool& FreeOnEof, bool& Processed)>;
using TResolverGetBackUpdatedValuesEhEvent =
    TEvent<void(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                TDataSet* ResDataSet, bool& Processed)>;
using TResolverGetServerSpecOperationsEh = TEvent<TServerSpecOperationsEh*(bool& Processed)>;
using TResolverUpdateRecordEhEvent =
    TEvent<void(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                bool& Processed)>;

class TSQLDataDriverResolver : public TPersistent {
    KVT_CLASS(TSQLDataDriverResolver, TPersistent)
public:
    virtual int ExecuteCommand(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command,
                               TDataSet*& Cursor, bool& FreeOnEof, bool& Processed);
    virtual TServerSpecOperationsEh* GetServerSpecOperations(bool& Processed);
    virtual void UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                              TMemoryRecordEh* MemRec, bool& Processed);
    virtual void DefaultUpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                                     TMemoryRecordEh* MemRec, bool& Processed);
    virtual void GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                      TCustomSQLCommandEh* Command, TDataSet* ResDataSet, bool& Processed);
    virtual void DefaultGetUpdatedServerValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                               TCustomSQLCommandEh* Command, TDataSet* ResDataSet,
                                               bool& Processed);

    TServerSpecOperationsEh* ServerSpecOperations() const { return FServerSpecOperations; }
    void SetServerSpecOperations(TServerSpecOperationsEh* Value) { FServerSpecOperations = Value; }

    TResolverExecuteCommandEhEvent OnExecuteCommand;
    TResolverGetBackUpdatedValuesEhEvent OnGetBackUpdatedValues;
    TResolverGetServerSpecOperationsEh OnGetServerSpecOperations;
    TResolverUpdateRecordEhEvent OnUpdateRecord;

private:
    TServerSpecOperationsEh* FServerSpecOperations = nullptr;
};

// The installed resolver (one is installed from the start; nullptr after installing nullptr).
// Whatever resolver is installed when the process ends is freed then.
TSQLDataDriverResolver* GetSQLDataDriverResolver();
// Installs Resolver and answers the previous one, which the caller then owns.
TSQLDataDriverResolver* SetSQLDataDriverResolver(TSQLDataDriverResolver* Resolver);
