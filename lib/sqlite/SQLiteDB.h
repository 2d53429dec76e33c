#pragma once
// A connection to an SQLite database file and a read-only query data set over it: the reader a
// data driver takes rows from, and the place where it runs its commands.
//
// Parameters are written ":name" (a name may be quoted, :"order date") or "?"; "::" stands for
// a literal colon. Quoted texts, quoted identifiers and comments are never searched for them.
// Dates and times travel as ISO texts ("2024-05-01 13:45:00", with ".zzz" when the
// milliseconds are not zero), Booleans as 0 and 1, blobs as blobs.

#include "platform/db/DB.h"

#include <memory>
#include <vector>

struct sqlite3;
class TSQLiteQuery;

// The text of SQL with every parameter replaced by "?", and the parameter names in the order
// they occur (an empty name for a "?").
struct TSQLiteParsedSQL {
    String SQL;
    std::vector<String> Names;
};
TSQLiteParsedSQL ParseSQLParams(const String& SQL);

// Values bound to the parameters of a statement, one per occurrence.
struct TSQLiteBindValue {
    Variant Value;
    TFieldType DataType = ftUnknown; // ftUnknown: by the variant's type
};

class TSQLiteConnection : public TComponent {
    KVT_CLASS(TSQLiteConnection, TComponent)
public:
    explicit TSQLiteConnection(TComponent* AOwner);
    ~TSQLiteConnection() override;
    void BeforeDestruction() override;

    // A file path (created when missing) or ":memory:". Changing it closes the connection.
    const String& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const String& Value);
    bool Connected() const { return FHandle != nullptr; }
    void SetConnected(bool Value);
    void Open() { SetConnected(true); }
    // Closes the data sets that use the connection first.
    void Close() { SetConnected(false); }

    // Runs every statement of SQL; answers the rows inserted, updated or deleted. Params bind
    // the parameters in order of occurrence; with TParams they bind by name.
    int ExecSQL(const String& SQL, const std::vector<Variant>& Params = {});
    int ExecSQL(const String& SQL, TParams* Params);
    Int64 LastInsertRowId() const;

    bool InTransaction() const;
    void StartTransaction();
    void Commit();
    void Rollback();

    // The query data sets that use this connection.
    int DataSetCount() const { return int(FDataSets.size()); }
    TSQLiteQuery* DataSets(int Index) const { return FDataSets[size_t(Index)]; }

    sqlite3* Handle() const { return FHandle; }
    // Raises EDatabaseError with SQLite's message for the last failure; Component names the
    // data set when there is one.
    [[noreturn]] void RaiseError(TComponent* Component = nullptr) const;
    // Runs every statement; Values bind across them in order. Answers the rows changed.
    int Execute(const String& SQL, const std::vector<TSQLiteBindValue>& Values, TComponent* Component);

    TNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;

private:
    friend class TSQLiteQuery;
    void RegisterDataSet(TSQLiteQuery* DataSet);
    void UnregisterDataSet(TSQLiteQuery* DataSet);

    String FDatabaseName;
    sqlite3* FHandle = nullptr;
    std::vector<TSQLiteQuery*> FDataSets;
};

class TSQLiteQuery : public TDataSet {
    KVT_CLASS(TSQLiteQuery, TDataSet)
public:
    explicit TSQLiteQuery(TComponent* AOwner);
    ~TSQLiteQuery() override;
    void BeforeDestruction() override;

    TSQLiteConnection* Connection() const { return FConnection; }
    void SetConnection(TSQLiteConnection* Value);
    // Changing the text closes the query and, with ParamCheck, rebuilds Params from it (values
    // of parameters that keep their names stay).
    TStrings* SQL() const;
    void SetSQL(TStrings* Value);
    TParams* Params() const { return FParams.get(); }
    void SetParams(TParams* Value);
    TParam* ParamByName(const String& Name) const { return FParams->ParamByName(Name); }
    int ParamCount() const { return FParams->Count(); }
    bool ParamCheck() const { return FParamCheck; }
    void SetParamCheck(bool Value) { FParamCheck = Value; }

    // Runs the statements of SQL (opening the connection when needed); RowsAffected answers
    // the rows they inserted, updated or deleted.
    void ExecSQL();
    int RowsAffected() const { return FRowsAffected; }
    TParams* PSGetParams() override { return FParams.get(); }

    bool IsSequenced() override { return true; }
    void SetRecNo(int Value) override;
    bool BookmarkValid(const TBookmark& Bookmark) override;
    int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) override;

    bool GetFieldData(TField* Field, TValueBuffer* Buffer) override;
    bool GetFieldData(TField* Field, TValueBuffer* Buffer, bool NativeFormat) override;
    void SetFieldData(TField* Field, const TValueBuffer* Buffer) override;
    void SetFieldData(TField* Field, const TValueBuffer* Buffer, bool NativeFormat) override;

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& Buffer) override;
    void InternalInitRecord(TRecordBuffer Buffer) override;
    void ClearCalcFields(TRecordBuffer Buffer) override;
    void GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data) override;
    void SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override;
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;

    bool IsCursorOpen() override { return FResult != nullptr; }
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalSetToRecord(TRecordBuffer Buffer) override;
    void InternalGotoBookmark(const TBookmark& Bookmark) override;
    void InternalRefresh() override;
    int GetRecordCount() override;
    int GetRecNo() override;
    bool GetCanModify() override { return false; }

public:
    struct TResultSet;
    struct TBuf;

private:
    friend class TSQLiteConnection;
    void SQLChanged(TObject* Sender);
    void CheckConnection();
    std::vector<TSQLiteBindValue> BindValues(const TSQLiteParsedSQL& Parsed) const;
    std::unique_ptr<TResultSet> RunQuery();
    void DefineFields(const TResultSet& Result);
    TBuf* Buf(TRecordBuffer Handle) const;
    TBuf* CurrentBuf() const;
    int RowOfBookmark(const TBookmark& Bookmark) const;

    TSQLiteConnection* FConnection = nullptr;
    std::unique_ptr<TStringList> FSQL;
    std::unique_ptr<TParams> FParams;
    bool FParamCheck = true;
    int FRowsAffected = -1;
    std::unique_ptr<TResultSet> FResult;
    std::vector<std::unique_ptr<TBuf>> FBufs;
    int FCursor = -1;
};
