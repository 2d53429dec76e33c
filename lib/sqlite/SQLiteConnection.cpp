// TSQLiteConnection: opening the database, running statements, transactions; and the parameter
// parser shared with the query.

#include "lib/sqlite/SQLiteInternal.h"

#include <algorithm>

using namespace sqlite_detail;

// ---------------------------------------------------------------------------------------------
// Parameters in SQL texts

namespace {
bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}
} // namespace

TSQLiteParsedSQL ParseSQLParams(const String& SQL) {
    TSQLiteParsedSQL result;
    String& out = result.SQL;
    out.reserve(SQL.size());
    const qsizetype n = SQL.size();
    qsizetype i = 0;
    auto copyUntil = [&](qsizetype end) {
        end = std::min(end, n);
        out += QStringView(SQL).mid(i, end - i);
        i = end;
    };
    while (i < n) {
        const QChar c = SQL[i];
        if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            // A quoted text or identifier; a doubled quote inside it just ends and restarts it.
            const QChar close = c == u'[' ? QChar(u']') : c;
            const qsizetype end = SQL.indexOf(close, i + 1);
            copyUntil(end < 0 ? n : end + 1);
        } else if (c == u'-' && i + 1 < n && SQL[i + 1] == u'-') {
            const qsizetype end = SQL.indexOf(u'\n', i);
            copyUntil(end < 0 ? n : end + 1);
        } else if (c == u'/' && i + 1 < n && SQL[i + 1] == u'*') {
            const qsizetype end = SQL.indexOf(QStringLiteral("*/"), i + 2);
            copyUntil(end < 0 ? n : end + 2);
        } else if (c == u'?') {
            result.Names.push_back(String());
            out += u'?';
            ++i;
        } else if (c == u':' && i + 1 < n && SQL[i + 1] == u':') {
            out += u':';
            i += 2;
        } else if (c == u':' && i + 1 < n && SQL[i + 1] == u'"') {
            const qsizetype end = SQL.indexOf(u'"', i + 2);
            if (end < 0) {
                copyUntil(n);
            } else {
                result.Names.push_back(SQL.mid(i + 2, end - i - 2));
                out += u'?';
                i = end + 1;
            }
        } else if (c == u':' && i + 1 < n && IsNameChar(SQL[i + 1])) {
            qsizetype end = i + 1;
            while (end < n && IsNameChar(SQL[end]))
                ++end;
            result.Names.push_back(SQL.mid(i + 1, end - i - 1));
            out += u'?';
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return result;
}

void sqlite_detail::MissingParamError(const String& Name, int Index, TComponent* Component) {
    if (Name.isEmpty()) DatabaseError(QStringLiteral("No value for parameter %1").arg(Index + 1), Component);
    DatabaseErrorFmt(DBConsts::SParameterNotFound, {Name}, Component);
}

// ---------------------------------------------------------------------------------------------
// TSQLiteConnection

TSQLiteConnection::TSQLiteConnection(TComponent* AOwner) : TComponent(AOwner) {}

TSQLiteConnection::~TSQLiteConnection() {
    for (TSQLiteQuery* ds : std::vector<TSQLiteQuery*>(FDataSets))
        ds->FConnection = nullptr;
    if (FHandle) sqlite3_close_v2(FHandle);
}

void TSQLiteConnection::BeforeDestruction() {
    Destroying();
    try {
        SetConnected(false);
    } catch (...) {
    }
    for (TSQLiteQuery* ds : std::vector<TSQLiteQuery*>(FDataSets))
        ds->SetConnection(nullptr);
    TComponent::BeforeDestruction();
}

void TSQLiteConnection::SetDatabaseName(const String& Value) {
    if (Value == FDatabaseName) return;
    Close();
    FDatabaseName = Value;
}

void TSQLiteConnection::SetConnected(bool Value) {
    if (Value == Connected()) return;
    if (Value) {
        if (FDatabaseName.isEmpty()) DatabaseError(QStringLiteral("Database name missing"), this);
        if (BeforeConnect) BeforeConnect(this);
        sqlite3* db = nullptr;
        const int rc = sqlite3_open_v2(FDatabaseName.toUtf8().constData(), &db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
        if (rc != SQLITE_OK) {
            const String msg =
                db ? String::fromUtf8(sqlite3_errmsg(db)) : String::fromUtf8(sqlite3_errstr(rc));
            sqlite3_close_v2(db);
            DatabaseError(QStringLiteral("Cannot open database '%1': %2").arg(FDatabaseName, msg), this);
        }
        // Another process holding a lock is waited for a while rather than failing at once.
        sqlite3_busy_timeout(db, 5000);
        FHandle = db;
        if (AfterConnect) AfterConnect(this);
    } else {
        if (BeforeDisconnect && !ComponentState().Contains(csDestroying)) BeforeDisconnect(this);
        for (TSQLiteQuery* ds : std::vector<TSQLiteQuery*>(FDataSets))
            ds->Close();
        sqlite3* db = FHandle;
        FHandle = nullptr;
        // An open transaction is rolled back by SQLite when the handle closes.
        sqlite3_close_v2(db);
        if (AfterDisconnect && !ComponentState().Contains(csDestroying)) AfterDisconnect(this);
    }
}

void TSQLiteConnection::RaiseError(TComponent* Component) const {
    const String msg =
        FHandle ? String::fromUtf8(sqlite3_errmsg(FHandle)) : QStringLiteral("Database not connected");
    DatabaseError(msg, Component ? Component : const_cast<TSQLiteConnection*>(this));
}

int TSQLiteConnection::Execute(const String& SQL, const std::vector<TSQLiteBindValue>& Values,
                               TComponent* Component) {
    Open();
    const QByteArray utf8 = SQL.toUtf8();
    const char* tail = utf8.constData();
    const char* end = tail + utf8.size();
    size_t next = 0;
    Int64 changed = 0;
    while (tail < end) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(FHandle, tail, int(end - tail), &raw, &tail) != SQLITE_OK)
            RaiseError(Component);
        TSQLiteStmt stmt(raw);
        if (!raw) break; // only blanks or comments were left
        const int count = sqlite3_bind_parameter_count(raw);
        for (int p = 1; p <= count; ++p) {
            if (next >= Values.size())
                DatabaseError(QStringLiteral("Not enough parameter values for the statement"), Component);
            if (BindValue(raw, p, Values[next++]) != SQLITE_OK) RaiseError(Component);
        }
        const Int64 before = sqlite3_total_changes64(FHandle);
        int rc;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) RaiseError(Component);
        // Only INSERT, UPDATE and DELETE move the change counter; triggers do not count.
        if (sqlite3_total_changes64(FHandle) != before) changed += sqlite3_changes64(FHandle);
    }
    return int(std::min<Int64>(changed, std::numeric_limits<int>::max()));
}

int TSQLiteConnection::ExecSQL(const String& SQL, const std::vector<Variant>& Params) {
    const TSQLiteParsedSQL parsed = ParseSQLParams(SQL);
    std::vector<TSQLiteBindValue> values;
    values.reserve(Params.size());
    for (const Variant& v : Params)
        values.push_back({v, ftUnknown});
    if (values.size() != parsed.Names.size())
        DatabaseError(QStringLiteral("The statement has %1 parameters, %2 values were given")
                          .arg(parsed.Names.size())
                          .arg(values.size()),
                      this);
    return Execute(parsed.SQL, values, this);
}

int TSQLiteConnection::ExecSQL(const String& SQL, TParams* Params) {
    const TSQLiteParsedSQL parsed = ParseSQLParams(SQL);
    std::vector<TSQLiteBindValue> values;
    for (size_t i = 0; i < parsed.Names.size(); ++i) {
        TParam* p = nullptr;
        if (!parsed.Names[i].isEmpty())
            p = Params ? Params->ParamByName(parsed.Names[i]) : nullptr;
        else if (Params && int(i) < Params->Count())
            p = Params->Items(int(i));
        if (!p) MissingParamError(parsed.Names[i], int(i), this);
        values.push_back({p->Value(), p->DataType()});
    }
    return Execute(parsed.SQL, values, this);
}

Int64 TSQLiteConnection::LastInsertRowId() const {
    return FHandle ? sqlite3_last_insert_rowid(FHandle) : 0;
}

bool TSQLiteConnection::InTransaction() const {
    return FHandle && !sqlite3_get_autocommit(FHandle);
}

void TSQLiteConnection::StartTransaction() {
    Open();
    if (InTransaction()) DatabaseError(QStringLiteral("A transaction is already active"), this);
    Execute(QStringLiteral("BEGIN"), {}, this);
}

void TSQLiteConnection::Commit() {
    if (!InTransaction()) DatabaseError(QStringLiteral("No transaction is active"), this);
    Execute(QStringLiteral("COMMIT"), {}, this);
}

void TSQLiteConnection::Rollback() {
    if (!InTransaction()) DatabaseError(QStringLiteral("No transaction is active"), this);
    Execute(QStringLiteral("ROLLBACK"), {}, this);
}

void TSQLiteConnection::RegisterDataSet(TSQLiteQuery* DataSet) {
    if (std::find(FDataSets.begin(), FDataSets.end(), DataSet) == FDataSets.end())
        FDataSets.push_back(DataSet);
}

void TSQLiteConnection::UnregisterDataSet(TSQLiteQuery* DataSet) {
    FDataSets.erase(std::remove(FDataSets.begin(), FDataSets.end(), DataSet), FDataSets.end());
}
