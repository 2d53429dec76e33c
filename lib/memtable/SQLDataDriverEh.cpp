// The SQL data driver, its commands and the process-wide resolver.

#include "lib/memtable/SQLDataDriverEh.h"

#include "lib/memtable/MemTableEh.h"
#include "lib/toolscore/DynVarsEh.h"
#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/classes/Classes.h"
#include "platform/classes/TypInfo.h"

namespace {
// The resolver is freed with the process, whichever one is installed then.
struct ResolverHolder {
    TSQLDataDriverResolver* Resolver = new TSQLDataDriverResolver;
    ~ResolverHolder() { delete Resolver; }
};
ResolverHolder& Resolvers() {
    static ResolverHolder holder;
    return holder;
}

// Frees a cursor that the executing side handed over, also when the caller fails.
struct CursorGuard {
    TDataSet*& Cursor;
    bool& FreeOnEof;
    ~CursorGuard() {
        if (Cursor && FreeOnEof) {
            TDataSet* c = Cursor;
            Cursor = nullptr;
            c->Free();
        }
    }
};
} // namespace

TSQLDataDriverResolver* GetSQLDataDriverResolver() {
    return Resolvers().Resolver;
}

TSQLDataDriverResolver* SetSQLDataDriverResolver(TSQLDataDriverResolver* Resolver) {
    TSQLDataDriverResolver* old = Resolvers().Resolver;
    Resolvers().Resolver = Resolver;
    return old;
}

// ---------------------------------------------------------------------------------------------
// TCustomSQLCommandEh

TCustomSQLCommandEh::TCustomSQLCommandEh(TCustomSQLDataDriverEh* ADataDriver)
    : FCommandText(std::make_unique<TStringList>()), FDataDriver(ADataDriver),
      FFinalCommandText(std::make_unique<TStringList>()) {
    FCommandText->OnChange = TNotifyEvent(this, &TCustomSQLCommandEh::CommandTextChanged);
}

TCustomSQLCommandEh::~TCustomSQLCommandEh() {
    FCommandText->OnChange = TNotifyEvent();
}

void TCustomSQLCommandEh::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TCustomSQLCommandEh*>(Source)) {
        SetCommandText(src->CommandText());
        SetCommandType(src->CommandType());
    }
}

TPersistent* TCustomSQLCommandEh::GetOwner() {
    return FDataDriver;
}

TSQLCommandTypeEh TCustomSQLCommandEh::DefaultCommandType() {
    return FDataDriver ? FDataDriver->DefaultCommandType(this) : cthSelectQuery;
}

TStrings* TCustomSQLCommandEh::GetCommandText() const {
    return FCommandText.get();
}

void TCustomSQLCommandEh::CommandTextChanged(TObject*) {
    FFinalCommandTextObsolete = true;
    if (FDataDriver) FDataDriver->CommandTextChanged(this);
}

void TCustomSQLCommandEh::SetCommandText(TStrings* Value) {
    FCommandText->Assign(Value);
}

int TCustomSQLCommandEh::Execute(TDataSet*& Cursor, bool& FreeOnEof) {
    Cursor = nullptr;
    int result = -1;
    bool processed = false;
    if (FDataDriver) {
        if (IConnectionProviderEh* provider = FDataDriver->GetConnectionProvider()) {
            result = provider->ExecuteCommand(FDataDriver, this, Cursor, FreeOnEof, processed);
            if (processed) return result;
        }
    }
    if (TSQLDataDriverResolver* resolver = GetSQLDataDriverResolver())
        result = resolver->ExecuteCommand(FDataDriver, this, Cursor, FreeOnEof, processed);
    return result;
}

void TCustomSQLCommandEh::FormFinalCommandText() {
    String text = FCommandText->Text();
    if (FDataDriver) {
        TMacroVarsEh* mv = FDataDriver->MacroVars();
        const TSpecMacrosUsagesEh usages = mv->SpecMacrosUsages();
        TSpecMacrosEh* sm = mv->SpecMacros();
        if (usages.Contains(smuUseFilterMacroEh))
            text = TMacroVarsEh::SubstituteMacro(text, sm->FilterMacroName(), sm->FilterMacroValue());
        if (usages.Contains(smuUseSortOrderMacroEh))
            text = TMacroVarsEh::SubstituteMacro(text, sm->SortOrderMacroName(), sm->SortOrderMacroValue());
        TStringVarsEh* macros = mv->Macros();
        for (int i = 0; i < macros->Count(); ++i)
            text = TMacroVarsEh::SubstituteMacro(text, macros->Items(i)->Name(), macros->Items(i)->Value());
    }
    FFinalCommandText->SetText(text);
    FFinalCommandTextObsolete = false;
}

TStrings* TCustomSQLCommandEh::FinalCommandText() {
    if (FFinalCommandTextObsolete) FormFinalCommandText();
    return FFinalCommandText.get();
}

// ---------------------------------------------------------------------------------------------
// TCustomSQLDataDriverEh

TCustomSQLDataDriverEh::TCustomSQLDataDriverEh(TComponent* AOwner)
    : TDataDriverEh(AOwner), FSpecParams(std::make_unique<TStringList>()) {
    FResolveToDataSet = false;
    FDynaSQLParams = std::make_unique<TDynaSQLParamsEh>(this);
    FMacroVars = std::make_unique<TMacroVarsEh>(this);
}

TCustomSQLDataDriverEh::~TCustomSQLDataDriverEh() {
    if (!ComponentState().Contains(csDestroying)) BeforeDestruction();
    if (FDesignDataBase) FDesignDataBase->RemoveFreeNotification(this);
    FDesignDataBase = nullptr;
}

void TCustomSQLDataDriverEh::AfterConstruction() {
    TDataDriverEh::AfterConstruction();
    EnsureCommands();
}

void TCustomSQLDataDriverEh::EnsureCommands() {
    if (FSelectCommand || FCreatingCommands) return;
    FCreatingCommands = true;
    try {
        auto make = [this](std::unique_ptr<TCustomSQLCommandEh>& slot, TCustomSQLCommandEh* cmd) {
            slot.reset(cmd);
            cmd->SetCommandType(cmd->DefaultCommandType());
        };
        make(FSelectCommand, CreateSelectCommand());
        make(FUpdateCommand, CreateUpdateCommand());
        make(FInsertCommand, CreateInsertCommand());
        make(FDeleteCommand, CreateDeleteCommand());
        make(FGetrecCommand, CreateGetrecCommand());
        FServiceCommand.reset(CreateCommand());
    } catch (...) {
        FCreatingCommands = false;
        throw;
    }
    FCreatingCommands = false;
}

void TCustomSQLDataDriverEh::Notification(TComponent* AComponent, TOperation Operation) {
    TDataDriverEh::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDesignDataBase) FDesignDataBase = nullptr;
}

TCustomSQLCommandEh* TCustomSQLDataDriverEh::CreateCommand() {
    return new TCustomSQLCommandEh(this);
}

TSQLCommandTypeEh TCustomSQLDataDriverEh::DefaultCommandType(TCustomSQLCommandEh* Command) {
    if (Command && (Command == FSelectCommand.get() || Command == FGetrecCommand.get()))
        return cthSelectQuery;
    return cthUpdateQuery;
}

TStrings* TCustomSQLDataDriverEh::SpecParams() const {
    return FSpecParams.get();
}

void TCustomSQLDataDriverEh::SetSpecParams(TStrings* Value) {
    FSpecParams->Assign(Value);
}

void TCustomSQLDataDriverEh::SetDynaSQLParams(TDynaSQLParamsEh* Value) {
    FDynaSQLParams->Assign(Value);
}

void TCustomSQLDataDriverEh::SetMacroVars(TMacroVarsEh* Value) {
    FMacroVars->Assign(Value);
}

void TCustomSQLDataDriverEh::CommandsChanged() {
    for (auto* c : {FSelectCommand.get(), FUpdateCommand.get(), FInsertCommand.get(), FDeleteCommand.get(),
                    FGetrecCommand.get()})
        if (c) c->FinalCommandTextObsolete();
}

void TCustomSQLDataDriverEh::CommandTextChanged(TCustomSQLCommandEh* Command) {
    if (!Command || Command != FSelectCommand.get()) return;
    if (auto* mt = dynamic_cast<TCustomMemTableEh*>(FDataDriverConsumer)) mt->DriverStructChanged();
}

bool TCustomSQLDataDriverEh::ConnectionIsPostponed() {
    IConnectionProviderEh* p = GetConnectionProvider();
    return p ? p->ConnectionIsPostponed() : false;
}

void TCustomSQLDataDriverEh::AddPostponedActivationDataSet(TDataSet* ADataSet) {
    if (IConnectionProviderEh* p = GetConnectionProvider()) p->AddPostponedActivationDataSet(ADataSet);
}

void TCustomSQLDataDriverEh::AdjustDataStruct(TFields*, TMTDataStructEh* DataStruct) {
    const String name = FSpecParams->Values(QStringLiteral("AUTO_INCREMENT_FIELD"));
    if (name.isEmpty()) return;
    if (auto* f = dynamic_cast<TMTNumericDataFieldEh*>(DataStruct->FindField(name)))
        f->SetAutoIncrement(true);
}

bool TCustomSQLDataDriverEh::UpdateFieldAllowed(TUpdateStatus UpdateStatus, const String& FieldName) {
    return !(UpdateStatus == usInserted &&
             FieldName == FSpecParams->Values(QStringLiteral("AUTO_INCREMENT_FIELD")));
}

void TCustomSQLDataDriverEh::DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof) {
    if (FProviderDataSet) {
        TDataDriverEh::DefaultProduceDataReader(DataSet, FreeOnEof);
        return;
    }
    ExecuteCommand(SelectCommand(), DataSet, FreeOnEof);
    if (DataSet && !DataSet->Active()) {
        try {
            DataSet->Open();
        } catch (...) {
            if (FreeOnEof) DataSet->Free();
            DataSet = nullptr;
            throw;
        }
    }
}

void TCustomSQLDataDriverEh::DefaultBuildDataStruct(TMTDataStructEh* DataStruct) {
    if (FReaderDataSet || FProviderDataSet) {
        TDataDriverEh::DefaultBuildDataStruct(DataStruct);
        return;
    }
    TDataSet* cursor = nullptr;
    bool freeOnEof = false;
    ExecuteCommand(SelectCommand(), cursor, freeOnEof);
    if (!cursor) throw Exception(QStringLiteral("SelectCommand.Execute does not get DataSet"));
    CursorGuard guard{cursor, freeOnEof};
    cursor->Open();
    DataStruct->BuildStructFromFields(cursor->Fields());
    AdjustDataStruct(cursor->Fields(), DataStruct);
    cursor->Close();
}

bool TCustomSQLDataDriverEh::RefreshReaderParamsFromCursor(TDataSet* DataSet) {
    if (FProviderDataSet) return TDataDriverEh::RefreshReaderParamsFromCursor(DataSet);
    TParams* params = SelectCommand()->GetParams();
    if (!params) return false;
    for (int i = 0; i < params->Count(); ++i) {
        TParam* p = params->Items(i);
        if (TField* f = DataSet->FindField(p->Name()))
            if (!VariantsEqual(p->Value(), f->AsVariant())) return true;
    }
    return false;
}

void TCustomSQLDataDriverEh::SetReaderParamsFromCursor(TDataSet* DataSet) {
    if (FProviderDataSet) {
        TDataDriverEh::SetReaderParamsFromCursor(DataSet);
        return;
    }
    TParams* params = SelectCommand()->GetParams();
    if (params) {
        DataSet->FieldDefs()->Update();
        for (int i = 0; i < params->Count(); ++i) {
            TParam* p = params->Items(i);
            p->AssignField(DataSet->FieldByName(p->Name()));
            p->SetBound(false);
        }
    }
    SelectCommand()->SetParams(params);
}

int TCustomSQLDataDriverEh::ExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof) {
    if (OnExecuteCommand) return OnExecuteCommand(this, Command, Cursor, FreeOnEof);
    return DefaultExecuteCommand(Command, Cursor, FreeOnEof);
}

int TCustomSQLDataDriverEh::DefaultExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor,
                                                  bool& FreeOnEof) {
    if (HaveDataConnection()) return Command->Execute(Cursor, FreeOnEof);
    // A design-time database has no meaning without a form designer; nothing is registered.
    bool processed = false;
    int result = -1;
    if (TSQLDataDriverResolver* resolver = GetSQLDataDriverResolver())
        result = resolver->ExecuteCommand(this, Command, Cursor, FreeOnEof, processed);
    if (!processed) result = Command->Execute(Cursor, FreeOnEof);
    return result;
}

int TCustomSQLDataDriverEh::DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) {
    bool processed = false;
    int result = 0;
    if (IConnectionProviderEh* p = GetConnectionProvider())
        p->UpdateRecord(this, MemTableData, MemRec, processed);
    if (!processed)
        if (TSQLDataDriverResolver* resolver = GetSQLDataDriverResolver())
            resolver->UpdateRecord(this, MemTableData, MemRec, processed);
    if (!processed) {
        if (TServerSpecOperationsEh* ops = InternalGetServerSpecOperations())
            result = ops->UpdateRecord(this, MemTableData, MemRec);
        else
            result = DoUpdateRecord(MemTableData, MemRec);
    }
    return result;
}

int TCustomSQLDataDriverEh::DoUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) {
    if (FResolveToDataSet) return TDataDriverEh::DefaultUpdateRecord(MemTableData, MemRec);
    const TUpdateStatus st = MemRec->UpdateStatus();
    const TDynaSQLOptionsEh opts = FDynaSQLParams->Options();
    const bool dynamic = (st == usModified && opts.Contains(dsoDynamicSQLUpdateEh)) ||
                         (st == usInserted && opts.Contains(dsoDynamicSQLInsertEh)) ||
                         (st == usDeleted && opts.Contains(dsoDynamicSQLDeleteEh));
    TCustomSQLCommandEh* command = nullptr;
    if (dynamic) {
        GenerateDynamicSQLCommand(MemRec, ServiceCommand());
        if (ServiceCommand()->CommandText()->Count() > 0) command = ServiceCommand();
    } else if (st == usModified)
        command = UpdateCommand();
    else if (st == usInserted)
        command = InsertCommand();
    else if (st == usDeleted)
        command = DeleteCommand();
    if (!command) return 0;
    command->RefreshParams(MemRec, dvvValueEh);
    TDataSet* cursor = nullptr;
    bool freeOnEof = false;
    int result;
    {
        CursorGuard guard{cursor, freeOnEof};
        result = ExecuteCommand(command, cursor, freeOnEof);
        // A statement that changed no row did not apply the change: the row is gone or was
        // changed by someone else. Reported as a database error so that the change is kept.
        if (result == 0 && (st == usModified || st == usDeleted))
            DatabaseError(QStringLiteral("Record not found or changed"));
        GetBackUpdatedValues(MemRec, command, cursor);
    }
    return result;
}

void TCustomSQLDataDriverEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                  TDataSet* ResDataSet) {
    if (OnGetBackUpdatedValues)
        OnGetBackUpdatedValues(this, MemRec, Command, ResDataSet);
    else
        DefaultGetUpdatedServerValues(MemRec, Command, ResDataSet);
}

void TCustomSQLDataDriverEh::DefaultGetUpdatedServerValues(TMemoryRecordEh* MemRec,
                                                           TCustomSQLCommandEh* Command,
                                                           TDataSet* ResDataSet) {
    bool processed = false;
    if (IConnectionProviderEh* p = GetConnectionProvider())
        p->GetBackUpdatedValues(this, MemRec, Command, ResDataSet, processed);
    if (!processed)
        if (TSQLDataDriverResolver* resolver = GetSQLDataDriverResolver())
            resolver->GetBackUpdatedValues(this, MemRec, Command, ResDataSet, processed);
    if (!processed)
        if (TServerSpecOperationsEh* ops = InternalGetServerSpecOperations())
            ops->GetBackUpdatedValues(MemRec, Command, ResDataSet);
}

void TCustomSQLDataDriverEh::AssignRecordFromCursor(TMemoryRecordEh* MemRec, TDataValueVersionEh Version,
                                                    TDataSet* Cursor) {
    // The name map belongs to the reader; this cursor gets its own and leaves none behind.
    FDataToRecFields.clear();
    try {
        TMemTableDataEh* md = MemRec->RecordsList() ? MemRec->RecordsList()->MemTableData() : nullptr;
        for (int i = 0; i < MemRec->DataStruct()->Count(); ++i)
            AssignFieldValue(md, MemRec, i, Version, Cursor);
    } catch (...) {
        FDataToRecFields.clear();
        throw;
    }
    FDataToRecFields.clear();
}

void TCustomSQLDataDriverEh::DefaultRefreshRecord(TMemoryRecordEh* MemRecord) {
    if (FResolveToDataSet) {
        TDataDriverEh::DefaultRefreshRecord(MemRecord);
        return;
    }
    GetrecCommand()->RefreshParams(MemRecord, dvvOldestValue);
    TDataSet* cursor = nullptr;
    bool freeOnEof = false;
    CursorGuard guard{cursor, freeOnEof};
    ExecuteCommand(GetrecCommand(), cursor, freeOnEof);
    if (cursor && !cursor->Active()) cursor->Open();
    if (!cursor || cursor->IsEmpty()) throw Exception(QStringLiteral("There are no fresh record on server"));
    AssignRecordFromCursor(MemRecord, dvvOldestValue, cursor);
}

bool TCustomSQLDataDriverEh::OrderByTextSupported() {
    return FMacroVars->SpecMacrosUsages().Contains(smuUseSortOrderMacroEh);
}

bool TCustomSQLDataDriverEh::FilterTextSupported() {
    return FMacroVars->SpecMacrosUsages().Contains(smuUseFilterMacroEh);
}

void TCustomSQLDataDriverEh::ApplyFilterText(const String& FilterText) {
    TSpecMacrosEh* sm = FMacroVars->SpecMacros();
    const TSpecMacrosUsagesEh usages = FMacroVars->SpecMacrosUsages();
    if (FilterText.isEmpty())
        sm->SetFilterMacroValue(String());
    else if (usages.Contains(smuFilterAsWhereClauseEh))
        sm->SetFilterMacroValue(QStringLiteral("WHERE ") + FilterText);
    else if (usages.Contains(smuFilterWithANDPrecedingEh))
        sm->SetFilterMacroValue(QStringLiteral("AND (") + FilterText + QStringLiteral(")"));
}

void TCustomSQLDataDriverEh::ApplyOrderByText(const String& OrderByText) {
    TSpecMacrosEh* sm = FMacroVars->SpecMacros();
    const TSpecMacrosUsagesEh usages = FMacroVars->SpecMacrosUsages();
    if (OrderByText.isEmpty())
        sm->SetSortOrderMacroValue(String());
    else if (usages.Contains(smuSortOrderAsOrderByClauseEh))
        sm->SetSortOrderMacroValue(QStringLiteral("ORDER BY ") + OrderByText);
    else if (usages.Contains(smuSortOrderWithCommaPrecedingEh))
        sm->SetSortOrderMacroValue(QStringLiteral(", ") + OrderByText);
}

void TCustomSQLDataDriverEh::GenerateDynamicSQLCommand(TMemoryRecordEh* MemRecord,
                                                       TCustomSQLCommandEh* Command) {
    TServerSpecOperationsEh* ops = InternalGetServerSpecOperations();
    if (!ops)
        if (TSQLDataDriverResolver* resolver = GetSQLDataDriverResolver())
            ops = resolver->ServerSpecOperations();
    if (!ops) ops = DefaultServerSpecOperations();
    ops->GenerateDynaSQLCommand(MemRecord, Command);
}

void TCustomSQLDataDriverEh::SetDesignDataBase(TComponent* Value) {
    if (Value == FDesignDataBase) return;
    if (FDesignDataBase) FDesignDataBase->RemoveFreeNotification(this);
    FDesignDataBase = Value;
    if (Value) Value->FreeNotification(this);
}

TComponent* TCustomSQLDataDriverEh::GetDesignDataBase() {
    if (IConnectionProviderEh* p = GetConnectionProvider()) return p->GetDesignDataBase();
    return FDesignDataBase;
}

TComponent* TCustomSQLDataDriverEh::ForceGetNewDesignDataBase() {
    // No design-database getters exist without a form designer.
    return FDesignDataBase;
}

TCustomSQLDataDriverEh* TCustomSQLDataDriverEh::CreateDesignCopy() {
    auto* copy = Create<TCustomSQLDataDriverEh>(nullptr);
    copy->SetSelectCommand(SelectCommand());
    copy->SetUpdateCommand(UpdateCommand());
    copy->SetInsertCommand(InsertCommand());
    copy->SetDeleteCommand(DeleteCommand());
    copy->SetGetrecCommand(GetrecCommand());
    copy->SetSpecParams(SpecParams());
    copy->SetDynaSQLParams(DynaSQLParams());
    return copy;
}

void TCustomSQLDataDriverEh::AssignFromDesignDriver(TCustomSQLDataDriverEh* DesignDataDriver) {
    SetSelectCommand(DesignDataDriver->SelectCommand());
    SetUpdateCommand(DesignDataDriver->UpdateCommand());
    SetInsertCommand(DesignDataDriver->InsertCommand());
    SetDeleteCommand(DesignDataDriver->DeleteCommand());
    SetGetrecCommand(DesignDataDriver->GetrecCommand());
    SetSpecParams(DesignDataDriver->SpecParams());
    SetDynaSQLParams(DesignDataDriver->DynaSQLParams());
    SetMacroVars(DesignDataDriver->MacroVars());
}

// ---------------------------------------------------------------------------------------------
// TSQLDataDriverResolver

int TSQLDataDriverResolver::ExecuteCommand(TCustomSQLDataDriverEh* SQLDataDriver,
                                           TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof,
                                           bool& Processed) {
    if (OnExecuteCommand) return OnExecuteCommand(SQLDataDriver, Command, Cursor, FreeOnEof, Processed);
    Processed = false;
    return -1;
}

TServerSpecOperationsEh* TSQLDataDriverResolver::GetServerSpecOperations(bool& Processed) {
    if (OnGetServerSpecOperations) return OnGetServerSpecOperations(Processed);
    if (FServerSpecOperations) Processed = true;
    return FServerSpecOperations;
}

void TSQLDataDriverResolver::UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver,
                                          TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                          bool& Processed) {
    if (OnUpdateRecord) OnUpdateRecord(SQLDataDriver, MemTableData, MemRec, Processed);
    if (!Processed) DefaultUpdateRecord(SQLDataDriver, MemTableData, MemRec, Processed);
}

void TSQLDataDriverResolver::DefaultUpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver,
                                                 TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                                 bool& Processed) {
    TServerSpecOperationsEh* ops = FServerSpecOperations;
    if (!ops) ops = SQLDataDriver->InternalGetServerSpecOperations();
    if (ops)
        ops->UpdateRecord(SQLDataDriver, MemTableData, MemRec);
    else
        SQLDataDriver->DoUpdateRecord(MemTableData, MemRec);
    Processed = true;
}

void TSQLDataDriverResolver::GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver,
                                                  TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                  TDataSet* ResDataSet, bool& Processed) {
    if (OnGetBackUpdatedValues)
        OnGetBackUpdatedValues(SQLDataDriver, MemRec, Command, ResDataSet, Processed);
    else
        DefaultGetUpdatedServerValues(SQLDataDriver, MemRec, Command, ResDataSet, Processed);
}

void TSQLDataDriverResolver::DefaultGetUpdatedServerValues(TCustomSQLDataDriverEh* SQLDataDriver,
                                                           TMemoryRecordEh* MemRec,
                                                           TCustomSQLCommandEh* Command, TDataSet* ResDataSet,
                                                           bool& Processed) {
    TServerSpecOperationsEh* ops = FServerSpecOperations;
    if (!ops) ops = SQLDataDriver->ServerSpecOperations();
    if (!ops) ops = SQLDataDriver->InternalGetServerSpecOperations();
    if (!ops) return;
    ops->GetBackUpdatedValues(MemRec, Command, ResDataSet);
    Processed = true;
}

// ---------------------------------------------------------------------------------------------
// Published properties (component streams)

KVT_ENUM_TYPE(TSQLCommandTypeEh, cthSelectQuery, cthUpdateQuery, cthTable, cthStoredProc)
KVT_ENUM_TYPE(TDynaSQLOptionEh, dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh)
KVT_ENUM_TYPE(TSpecMacrosUsageEh, smuUseFilterMacroEh, smuFilterAsWhereClauseEh, smuFilterWithANDPrecedingEh,
              smuUseSortOrderMacroEh, smuSortOrderAsOrderByClauseEh, smuSortOrderWithCommaPrecedingEh)

KVT_PUBLISHED(TCustomSQLCommandEh) {
    using T = TCustomSQLCommandEh;
    P.Prop(
        "CommandText", [](T* c) { return c->CommandText(); },
        [](T* c, TStrings* v) { c->SetCommandText(v); });
    P.Prop(
         "CommandType", [](T* c) { return c->CommandType(); },
         [](T* c, TSQLCommandTypeEh v) { c->SetCommandType(v); })
        .NoDefault()
        .Stored([](T* c) { return c->IsCommandTypeStored(); });
}

KVT_PUBLISHED(TDynaSQLParamsEh) {
    using T = TDynaSQLParamsEh;
    P.Prop(
        "KeyFields", [](T* p) { return p->KeyFields(); }, [](T* p, String v) { p->SetKeyFields(v); });
    P.Prop(
        "UpdateFields", [](T* p) { return p->UpdateFields(); },
        [](T* p, String v) { p->SetUpdateFields(v); });
    P.Prop(
        "UpdateTable", [](T* p) { return p->UpdateTable(); }, [](T* p, String v) { p->SetUpdateTable(v); });
    P.Prop(
         "SkipUnchangedFields", [](T* p) { return p->SkipUnchangedFields(); },
         [](T* p, bool v) { p->SetSkipUnchangedFields(v); })
        .Default(false);
    P.Prop(
         "Options", [](T* p) { return p->Options(); }, [](T* p, TDynaSQLOptionsEh v) { p->SetOptions(v); })
        .Default(TDynaSQLOptionsEh{});
}

KVT_PUBLISHED(TSpecMacrosEh) {
    using T = TSpecMacrosEh;
    P.Prop(
         "FilterMacroName", [](T* m) { return m->FilterMacroName(); },
         [](T* m, String v) { m->SetFilterMacroName(v); })
        .Stored([](T* m) { return m->IsFilterMacroNameStored(); });
    P.Prop(
         "SortOrderMacroName", [](T* m) { return m->SortOrderMacroName(); },
         [](T* m, String v) { m->SetSortOrderMacroName(v); })
        .Stored([](T* m) { return m->IsSortOrderMacroNameStored(); });
}

KVT_PUBLISHED(TMacroVarsEh) {
    using T = TMacroVarsEh;
    P.Prop(
        "SpecMacros", [](T* m) { return m->SpecMacros(); },
        [](T* m, TSpecMacrosEh* v) { m->SetSpecMacros(v); });
    P.Prop(
         "SpecMacrosUsages", [](T* m) { return m->SpecMacrosUsages(); },
         [](T* m, TSpecMacrosUsagesEh v) { m->SetSpecMacrosUsages(v); })
        .Default(TSpecMacrosUsagesEh{smuFilterAsWhereClauseEh, smuSortOrderAsOrderByClauseEh});
    P.Prop(
        "Macros", [](T* m) { return m->Macros(); }, [](T* m, TStringVarsEh* v) { m->SetMacros(v); });
}

KVT_PUBLISHED(TCustomSQLDataDriverEh) {
    using T = TCustomSQLDataDriverEh;
    P.Prop(
        "SelectCommand", [](T* d) { return d->SelectCommand(); },
        [](T* d, TCustomSQLCommandEh* v) { d->SetSelectCommand(v); });
    P.Prop(
        "UpdateCommand", [](T* d) { return d->UpdateCommand(); },
        [](T* d, TCustomSQLCommandEh* v) { d->SetUpdateCommand(v); });
    P.Prop(
        "InsertCommand", [](T* d) { return d->InsertCommand(); },
        [](T* d, TCustomSQLCommandEh* v) { d->SetInsertCommand(v); });
    P.Prop(
        "DeleteCommand", [](T* d) { return d->DeleteCommand(); },
        [](T* d, TCustomSQLCommandEh* v) { d->SetDeleteCommand(v); });
    P.Prop(
        "GetrecCommand", [](T* d) { return d->GetrecCommand(); },
        [](T* d, TCustomSQLCommandEh* v) { d->SetGetrecCommand(v); });
    P.Prop(
        "SpecParams", [](T* d) { return d->SpecParams(); }, [](T* d, TStrings* v) { d->SetSpecParams(v); });
    P.Prop(
        "DynaSQLParams", [](T* d) { return d->DynaSQLParams(); },
        [](T* d, TDynaSQLParamsEh* v) { d->SetDynaSQLParams(v); });
    P.Prop(
        "MacroVars", [](T* d) { return d->MacroVars(); }, [](T* d, TMacroVarsEh* v) { d->SetMacroVars(v); });
}

KVT_REGISTER_CLASS(TCustomSQLDataDriverEh)
