// Server-specific operations (dynamic statements, server-generated keys), their registry, the
// dynamic-SQL settings and the macro variables of the SQL data driver.

#include "lib/memtable/SQLDataDriverEh.h"

#include "lib/toolscore/DynVarsEh.h"
#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/classes/Classes.h"
#include "platform/rtl/SysUtils.h"

namespace {
struct ServerTypeEntry {
    String Name;
    TServerSpecOperationsEhClass Class;
};

std::vector<ServerTypeEntry>& ServerTypes() {
    static std::vector<ServerTypeEntry> list = [] {
        std::vector<ServerTypeEntry> l;
        for (const TServerSpecOperationsEhClass& c :
             {ServerSpecOperationsClassOf<TServerSpecOperationsEh>(),
              ServerSpecOperationsClassOf<TOracleSpecOperationsEh>(),
              ServerSpecOperationsClassOf<TMSSQLSpecOperationsEh>(),
              ServerSpecOperationsClassOf<TInterbaseSpecOperationsEh>(),
              ServerSpecOperationsClassOf<TInfromixSpecOperationsEh>(),
              ServerSpecOperationsClassOf<TDB2SpecOperationsEh>(),
              ServerSpecOperationsClassOf<TSybaseSpecOperationsEh>(),
              ServerSpecOperationsClassOf<TMSAccessSpecOperationsEh>()})
            l.push_back({c.GetServerTypeName(), c});
        return l;
    }();
    return list;
}

std::vector<String> CommaTextNames(const String& Text) {
    TStringList sl;
    sl.SetCommaText(Text);
    std::vector<String> names;
    for (int i = 0; i < sl.Count(); ++i)
        names.push_back(sl.Strings(i));
    return names;
}

String SpecParam(TCustomSQLDataDriverEh* Driver, const char* Name) {
    return Driver->SpecParams()->Values(QString::fromLatin1(Name));
}
} // namespace

void RegisterServerSpecOperations(const TServerSpecOperationsEhClass& ServerSpecOperationsClass) {
    const String name = ServerSpecOperationsClass.GetServerTypeName();
    for (const ServerTypeEntry& e : ServerTypes())
        if (e.Name == name)
            throw Exception(QStringLiteral("Server type with name: \"") + name +
                            QStringLiteral("\" is already registered"));
    ServerTypes().push_back({name, ServerSpecOperationsClass});
}

std::vector<String> RegisteredServerTypeNames() {
    std::vector<String> names;
    for (const ServerTypeEntry& e : ServerTypes())
        names.push_back(e.Name);
    return names;
}

TServerSpecOperationsEh* CreateServerSpecOperations(const String& ServerTypeName) {
    for (const ServerTypeEntry& e : ServerTypes())
        if (e.Name == ServerTypeName) return e.Class.Create();
    return nullptr;
}

TServerSpecOperationsEh* DefaultServerSpecOperations() {
    static TServerSpecOperationsEh ops;
    return &ops;
}

// ---------------------------------------------------------------------------------------------
// TServerSpecOperationsEh

void TServerSpecOperationsEh::GenerateWhereClause(const std::vector<String>& KeyFields, TStrings* Text) {
    if (KeyFields.empty()) return;
    Text->Add(QStringLiteral("where"));
    for (size_t i = 0; i < KeyFields.size(); ++i) {
        String line = Format(QStringLiteral(" %s = :OLD_%0:s"), {KeyFields[i]});
        if (i + 1 < KeyFields.size()) line = Format(QStringLiteral("%s and"), {line});
        Text->Add(line);
    }
}

void TServerSpecOperationsEh::GetChangedFields(TMemoryRecordEh* MemRec, const std::vector<String>& Fields,
                                               std::vector<String>& ChangedFields) {
    ChangedFields.clear();
    for (const String& name : Fields) {
        const int i = MemRec->DataStruct()->FieldIndex(name);
        if (i < 0) {
            TStringList sl;
            for (const String& f : Fields)
                sl.Add(f);
            throw Exception(QStringLiteral("Invalid field name \"") + name +
                            QStringLiteral("\" in field list \"") + sl.CommaText() + QStringLiteral("\""));
        }
        if (!VariantsEqual(MemRec->GetDataValue(i, dvvValueEh), MemRec->GetDataValue(i, dvvOldValueEh)))
            ChangedFields.push_back(name);
    }
}

int TServerSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver,
                                          TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) {
    return SQLDataDriver->DoUpdateRecord(MemTableData, MemRec);
}

void TServerSpecOperationsEh::GenerateDynaSQLCommand(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command) {
    TCustomSQLDataDriverEh* driver = Command->DataDriver();
    TDynaSQLParamsEh* p = driver->DynaSQLParams();
    Command->SetCommandType(cthUpdateQuery);
    const TUpdateStatus st = MemRec->UpdateStatus();
    const std::vector<String> u = CommaTextNames(p->UpdateFields());
    std::vector<String> w = u;
    if (st == usModified && p->SkipUnchangedFields()) GetChangedFields(MemRec, u, w);
    const std::vector<String> k = CommaTextNames(p->KeyFields());

    TStrings* text = Command->CommandText();
    text->BeginUpdate();
    try {
        text->Clear();
        // One parenthesised list: keys that are not written, then the written fields; a line
        // that grows past 70 characters is continued on the next.
        auto fieldList = [&](const String& prefix) {
            std::vector<String> keysOnly;
            for (const String& key : k) {
                bool inW = false;
                for (const String& f : w)
                    if (AnsiCompareText(f, key) == 0) inW = true;
                if (!inW) keysOnly.push_back(key);
            }
            String line = QStringLiteral("  (");
            String sep;
            auto walk = [&](const std::vector<String>& names, const String& fmt) {
                for (size_t i = 0; i < names.size(); ++i) {
                    if (!driver->UpdateFieldAllowed(st, names[i])) continue;
                    line = Format(fmt, {line, sep, String(), prefix, String(), names[i]});
                    sep = QStringLiteral(", ");
                    if (line.size() > 70 && i + 1 < names.size()) {
                        text->Add(line);
                        line = QStringLiteral("   ");
                    }
                }
            };
            walk(keysOnly, QStringLiteral("%s%s%s%s%s%s%4:s"));
            walk(w, QStringLiteral("%s%s%s%s%s%4:s%5:s"));
            text->Add(line + QStringLiteral(")"));
        };
        if (st == usInserted) {
            text->Add(Format(QStringLiteral("insert into %s"), {p->UpdateTable()}));
            fieldList(String());
            text->Add(QStringLiteral("values"));
            fieldList(QStringLiteral(":"));
        } else if (st == usModified) {
            if (!w.empty()) {
                text->Add(Format(QStringLiteral("update %s"), {p->UpdateTable()}));
                text->Add(QStringLiteral("set"));
                for (size_t i = 0; i < w.size(); ++i)
                    text->Add(Format(QStringLiteral(" %s = :%0:s%1:s"),
                                     {w[i], i + 1 < w.size() ? QStringLiteral(",") : String()}));
                GenerateWhereClause(k, text);
            }
        } else if (st == usDeleted) {
            text->Add(Format(QStringLiteral("delete from %s"), {p->UpdateTable()}));
            GenerateWhereClause(k, text);
        }
    } catch (...) {
        text->EndUpdate();
        throw;
    }
    text->EndUpdate();
}

Variant TServerSpecOperationsEh::QueryServerValue(TCustomSQLDataDriverEh* Driver, const String& Query) {
    TCustomSQLCommandEh* cmd = Driver->ServiceCommand();
    cmd->CommandText()->SetText(Query);
    cmd->SetCommandType(cthSelectQuery);
    if (TParams* params = cmd->GetParams()) {
        params->Clear();
        cmd->SetParams(params);
    }
    TDataSet* cursor = nullptr;
    bool freeOnEof = false;
    Variant value;
    try {
        cmd->Execute(cursor, freeOnEof);
        if (cursor) {
            if (!cursor->Active()) cursor->Open();
            if (!cursor->IsEmpty() && cursor->FieldCount() > 0) {
                cursor->First();
                value = cursor->Fields()->Fields(0)->AsVariant();
            }
        }
    } catch (...) {
        if (cursor && freeOnEof) cursor->Free();
        throw;
    }
    if (cursor && freeOnEof) cursor->Free();
    return value;
}

void TServerSpecOperationsEh::AssignServerValue(TCustomSQLDataDriverEh* Driver, TMemoryRecordEh* MemRec,
                                                const String& Query, const String& FieldName) {
    const Variant v = QueryServerValue(Driver, Query);
    if (VarIsEmpty(v)) return;
    if (!FieldName.isEmpty() && MemRec->DataStruct()->FindField(FieldName))
        MemRec->SetDataValues(FieldName, dvvValueEh, v);
}

int TOracleSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver,
                                          TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) {
    const String seq = SpecParam(SQLDataDriver, "SEQUENCE");
    if (MemRec->UpdateStatus() == usInserted && !seq.isEmpty())
        AssignServerValue(SQLDataDriver, MemRec, Format(QStringLiteral("SELECT %s.currval FROM dual"), {seq}),
                          SpecParam(SQLDataDriver, "SEQUENCE_FIELD"));
    return TServerSpecOperationsEh::UpdateRecord(SQLDataDriver, MemTableData, MemRec);
}

void TMSSQLSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                  TDataSet*) {
    TCustomSQLDataDriverEh* driver = Command->DataDriver();
    const String f = SpecParam(driver, "AUTO_INCREMENT_FIELD");
    if (MemRec->UpdateStatus() == usInserted && !f.isEmpty())
        AssignServerValue(driver, MemRec, QStringLiteral("SELECT @@IDENTITY"), f);
}

int TInterbaseSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver,
                                             TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) {
    const String gen = SpecParam(SQLDataDriver, "GENERATOR");
    if (MemRec->UpdateStatus() == usInserted && !gen.isEmpty())
        AssignServerValue(SQLDataDriver, MemRec,
                          Format(QStringLiteral("SELECT GEN_ID(%s, %d) FROM RDB$DATABASE"), {gen, 1}),
                          SpecParam(SQLDataDriver, "GENERATOR_FIELD"));
    return TServerSpecOperationsEh::UpdateRecord(SQLDataDriver, MemTableData, MemRec);
}

void TInterbaseSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                      TDataSet*) {
    TCustomSQLDataDriverEh* driver = Command->DataDriver();
    const String gen = SpecParam(driver, "GENERATOR");
    const String field = SpecParam(driver, "GENERATOR_FIELD");
    if (MemRec->UpdateStatus() == usInserted && !gen.isEmpty() && !field.isEmpty() &&
        MemRec->DataStruct()->FindField(field))
        AssignServerValue(driver, MemRec,
                          Format(QStringLiteral("SELECT GEN_ID(%s, %d) FROM RDB$DATABASE"), {gen, 0}), field);
}

void TInfromixSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                     TDataSet*) {
    TCustomSQLDataDriverEh* driver = Command->DataDriver();
    const String f = SpecParam(driver, "AUTO_INCREMENT_FIELD");
    if (MemRec->UpdateStatus() == usInserted && !f.isEmpty())
        AssignServerValue(driver, MemRec,
                          QStringLiteral("select DBINFO(\"sqlca.sqlerrd1\") from systables where tabid=1"),
                          f);
}

void TMSAccessSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                     TDataSet*) {
    TCustomSQLDataDriverEh* driver = Command->DataDriver();
    const String f = SpecParam(driver, "AUTO_INCREMENT_FIELD");
    if (MemRec->UpdateStatus() == usInserted && !f.isEmpty())
        AssignServerValue(driver, MemRec, QStringLiteral("SELECT @@IDENTITY"), f);
}

// ---------------------------------------------------------------------------------------------
// Dynamic-SQL settings and macros

void TDynaSQLParamsEh::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TDynaSQLParamsEh*>(Source)) {
        FUpdateTable = src->FUpdateTable;
        FUpdateFields = src->FUpdateFields;
        FKeyFields = src->FKeyFields;
        FSkipUnchangedFields = src->FSkipUnchangedFields;
        FOptions = src->FOptions;
        return;
    }
    TPersistent::Assign(Source);
}

void TSpecMacrosEh::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TSpecMacrosEh*>(Source)) {
        FFilterMacroName = src->FFilterMacroName;
        FSortOrderMacroName = src->FSortOrderMacroName;
        return;
    }
    TPersistent::Assign(Source);
}

void TSpecMacrosEh::SetFilterMacroValue(const String& Value) {
    FFilterMacroValue = Value;
    if (FMacroVars) FMacroVars->MacrosChanged();
}

void TSpecMacrosEh::SetSortOrderMacroValue(const String& Value) {
    FSortOrderMacroValue = Value;
    if (FMacroVars) FMacroVars->MacrosChanged();
}

TMacroVarsEh::TMacroVarsEh(TCustomSQLDataDriverEh* ADataDriver)
    : FDataDriver(ADataDriver), FMacros(std::make_unique<TStringVarsEh>(this)),
      FSpecMacros(std::make_unique<TSpecMacrosEh>(this)) {
    FMacros->OnChange = TNotifyEvent(this, &TMacroVarsEh::MacrosChangeEvent);
}

TMacroVarsEh::~TMacroVarsEh() {
    FMacros->OnChange = TNotifyEvent();
}

void TMacroVarsEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TMacroVarsEh*>(Source);
    if (!src) return;
    FSpecMacros->Assign(src->FSpecMacros.get());
    FSpecMacrosUsages = src->FSpecMacrosUsages;
    FMacros->Assign(src->FMacros.get());
    MacrosChanged();
}

void TMacroVarsEh::MacrosChanged() {
    if (FDataDriver) FDataDriver->CommandsChanged();
}

void TMacroVarsEh::SetMacros(TStringVarsEh* Value) {
    FMacros->Assign(Value);
}

void TMacroVarsEh::SetSpecMacrosUsages(TSpecMacrosUsagesEh Value) {
    if (FSpecMacrosUsages == Value) return;
    FSpecMacrosUsages = Value;
    // The final texts depend on which special macros are used.
    MacrosChanged();
}

String TMacroVarsEh::SubstituteMacro(const String& Text, const String& MacroName, const String& MacroValue) {
    if (MacroName.isEmpty()) return Text;
    String result;
    qsizetype from = 0;
    for (;;) {
        const qsizetype p = Text.indexOf(MacroName, from, Qt::CaseSensitive);
        if (p < 0) break;
        const qsizetype after = p + MacroName.size();
        if (after < Text.size() && Text[after] == QLatin1Char('%')) {
            // "%Name%%" stands for the name itself.
            result += Text.mid(from, after - from);
            from = after + 1;
        } else {
            result += Text.mid(from, p - from);
            result += MacroValue;
            from = after;
        }
    }
    result += Text.mid(from);
    return result;
}

void TMacroVarsEh::ScanAllForMacros(std::vector<String>& sl) {
    if (!FDataDriver) return;
    for (TCustomSQLCommandEh* c :
         {FDataDriver->SelectCommand(), FDataDriver->InsertCommand(), FDataDriver->UpdateCommand(),
          FDataDriver->DeleteCommand(), FDataDriver->GetrecCommand()})
        ScanStrForMacros(c->CommandText()->Text(), sl);
}

void TMacroVarsEh::ScanStrForMacros(const String&, std::vector<String>&) {
    // Nothing is collected from a command text.
}
