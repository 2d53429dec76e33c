// SQL data drivers over SQLite: the connection provider, parameter binding and generated keys.

#include "lib/sqlitedriver/SQLiteConnectionProviderEh.h"

#include "lib/sqlite/SQLiteDB.h"
#include "platform/classes/Classes.h"
#include "platform/classes/TypInfo.h"

// ---------------------------------------------------------------------------------------------
// TSQLiteConnectionProviderEh

TSQLiteConnectionProviderEh::TSQLiteConnectionProviderEh(TComponent* AOwner) : TComponent(AOwner) {}

TSQLiteConnectionProviderEh::~TSQLiteConnectionProviderEh() {
    if (!ComponentState().Contains(csDestroying)) BeforeDestruction();
    SetConnection(nullptr);
}

void TSQLiteConnectionProviderEh::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FConnection) FConnection = nullptr;
}

void TSQLiteConnectionProviderEh::SetConnection(TSQLiteConnection* Value) {
    if (Value == FConnection) return;
    if (FConnection) FConnection->RemoveFreeNotification(this);
    FConnection = Value;
    if (Value) Value->FreeNotification(this);
}

int TSQLiteConnectionProviderEh::ExecuteCommand(TCustomSQLDataDriverEh*, TCustomSQLCommandEh* Command,
                                                TDataSet*& Cursor, bool& FreeOnEof, bool& Processed) {
    if (!FConnection) DatabaseError(QStringLiteral("Missing Connection"), this);
    String text = Command->FinalCommandText()->Text();
    TParams* params = Command->GetParams();
    switch (Command->CommandType()) {
    case cthStoredProc:
        DatabaseError(QStringLiteral("Stored procedures are not supported by SQLite"), this);
    case cthTable:
        text = QStringLiteral("SELECT * FROM ") + text.trimmed();
        [[fallthrough]];
    case cthSelectQuery: {
        auto* q = new TSQLiteQuery(nullptr);
        try {
            q->SetConnection(FConnection);
            q->SQL()->SetText(text);
            if (params) q->Params()->AssignValues(params);
            q->Open();
        } catch (...) {
            q->Free();
            throw;
        }
        Cursor = q;
        FreeOnEof = true;
        Processed = true;
        return -1;
    }
    case cthUpdateQuery:
        break;
    }
    const int rows = FConnection->ExecSQL(text, params);
    Processed = true;
    return rows;
}

// ---------------------------------------------------------------------------------------------
// TSQLiteCommandEh

TSQLiteCommandEh::TSQLiteCommandEh(TCustomSQLDataDriverEh* ADataDriver)
    : TCustomSQLCommandEh(ADataDriver), FParams(std::make_unique<TParams>(this)) {}

TSQLiteCommandEh::~TSQLiteCommandEh() = default;

TParams* TSQLiteCommandEh::GetParams() {
    if (!FParamsBuilt || IsFinalCommandTextObsolete() || FinalCommandText()->Text() != FParamsText)
        RebuildParams();
    return FParams.get();
}

void TSQLiteCommandEh::RebuildParams() {
    FParamsText = FinalCommandText()->Text();
    FParamsBuilt = true;
    const TSQLiteParsedSQL parsed = ParseSQLParams(FParamsText);
    auto fresh = std::make_unique<TParams>(this);
    for (const String& name : parsed.Names)
        if (!name.isEmpty() && !fresh->FindParam(name)) fresh->CreateParam(ftUnknown, name, ptInput);
    fresh->AssignValues(FParams.get());
    FParams = std::move(fresh);
}

void TSQLiteCommandEh::RefreshParams(TMemoryRecordEh* MemRecord, TDataValueVersionEh DataValueVersion) {
    TParams* params = GetParams();
    TMTDataStructEh* ds = MemRecord->DataStruct();
    for (int i = 0; i < params->Count(); ++i) {
        TParam* p = params->Items(i);
        const String name = p->Name();
        int fi = -1;
        TDataValueVersionEh version = DataValueVersion;
        if (name.startsWith(QStringLiteral("OLD_"), Qt::CaseInsensitive) &&
            ds->FieldIndex(name.mid(4)) >= 0) {
            fi = ds->FieldIndex(name.mid(4));
            version = dvvOldestValue;
        } else
            fi = ds->FieldIndex(name);
        if (fi < 0) continue;
        const Variant v = MemRecord->GetDataValue(fi, version);
        p->SetDataType(ds->DataFields(fi)->DataType());
        p->SetValue(v);
    }
}

void TSQLiteCommandEh::SetParams(TParams* AParams) {
    if (AParams && AParams != FParams.get()) FParams->AssignValues(AParams);
}

// ---------------------------------------------------------------------------------------------
// TSQLiteDataDriverEh

TSQLiteDataDriverEh::TSQLiteDataDriverEh(TComponent* AOwner) : TCustomSQLDataDriverEh(AOwner) {}

TSQLiteDataDriverEh::~TSQLiteDataDriverEh() {
    if (!ComponentState().Contains(csDestroying)) BeforeDestruction();
    SetConnectionProvider(nullptr);
}

void TSQLiteDataDriverEh::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomSQLDataDriverEh::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FConnectionProvider) FConnectionProvider = nullptr;
}

void TSQLiteDataDriverEh::SetConnectionProvider(TSQLiteConnectionProviderEh* Value) {
    if (Value == FConnectionProvider) return;
    if (FConnectionProvider) FConnectionProvider->RemoveFreeNotification(this);
    FConnectionProvider = Value;
    if (Value) Value->FreeNotification(this);
}

TCustomSQLCommandEh* TSQLiteDataDriverEh::CreateCommand() {
    return new TSQLiteCommandEh(this);
}

// ---------------------------------------------------------------------------------------------
// TSQLiteSpecOperationsEh

void TSQLiteSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                   TDataSet*) {
    TCustomSQLDataDriverEh* driver = Command->DataDriver();
    const String f = driver->SpecParams()->Values(QStringLiteral("AUTO_INCREMENT_FIELD"));
    if (MemRec->UpdateStatus() == usInserted && !f.isEmpty())
        AssignServerValue(driver, MemRec, QStringLiteral("SELECT last_insert_rowid()"), f);
}

// ---------------------------------------------------------------------------------------------
// Published properties (component streams)

KVT_PUBLISHED(TSQLiteConnectionProviderEh) {
    using T = TSQLiteConnectionProviderEh;
    P.Prop(
        "Connection", [](T* p) { return p->Connection(); },
        [](T* p, TSQLiteConnection* v) { p->SetConnection(v); });
}

KVT_PUBLISHED(TSQLiteDataDriverEh) {
    using T = TSQLiteDataDriverEh;
    P.Prop(
        "ConnectionProvider", [](T* d) { return d->ConnectionProvider(); },
        [](T* d, TSQLiteConnectionProviderEh* v) { d->SetConnectionProvider(v); });
}

KVT_REGISTER_CLASS(TSQLiteConnectionProviderEh)
KVT_REGISTER_CLASS(TSQLiteDataDriverEh)
