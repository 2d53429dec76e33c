#pragma once
// Shared by the connection and the query: statement handling, value conversions and the
// fetched result of a query.

#include "lib/sqlite/SQLiteDB.h"

#include <sqlite3.h>

// A prepared statement that finalizes itself.
class TSQLiteStmt {
public:
    TSQLiteStmt() = default;
    explicit TSQLiteStmt(sqlite3_stmt* s) : FStmt(s) {}
    TSQLiteStmt(const TSQLiteStmt&) = delete;
    TSQLiteStmt& operator=(const TSQLiteStmt&) = delete;
    ~TSQLiteStmt() {
        if (FStmt) sqlite3_finalize(FStmt);
    }
    sqlite3_stmt* get() const { return FStmt; }

private:
    sqlite3_stmt* FStmt = nullptr;
};

// One result column: its field definition and where it comes from.
struct TSQLiteColumn {
    String Name; // unique within the result (a repeated name gets "_1", "_2", ...)
    String DeclType;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int Precision = 0;
    String OriginTable, OriginColumn;
    bool PrimaryKey = false;
    bool AutoInc = false;
};

struct TSQLiteQuery::TResultSet {
    std::vector<TSQLiteColumn> Columns;
    // Values in the form of each column's field type (Null for NULL).
    std::vector<std::vector<Variant>> Rows;
};

namespace sqlite_detail {

// Binds Value to the 1-based parameter Index; answers SQLite's result code.
int BindValue(sqlite3_stmt* Stmt, int Index, const TSQLiteBindValue& Value);
// The value of a column as SQLite stores it: Int64, double, text, byte array or Null.
Variant RawColumnValue(sqlite3_stmt* Stmt, int Col);
// The field type of a declared column type; false when the declaration says nothing (the
// values decide).
bool FieldTypeOfDecl(const String& DeclType, TSQLiteColumn& Column);
// The field type of a stored value, for columns without a declared type.
void FieldTypeOfValue(const Variant& Raw, TSQLiteColumn& Column);
// Converts a stored value to the form of the column's field type; EDatabaseError naming the
// field when it cannot.
Variant ConvertValue(const Variant& Raw, const TSQLiteColumn& Column);

// "Parameter '%s' not found", or for a "?" (Index counts occurrences from 0) "No value for
// parameter n".
[[noreturn]] void MissingParamError(const String& Name, int Index, TComponent* Component);

// ISO texts of dates and times.
String DateTimeToIso(TDateTime Value, TFieldType DataType);
bool TryIsoToDateTime(const String& Text, TDateTime& Value);

} // namespace sqlite_detail
