// TSQLiteQuery: runs its SQL, keeps the rows it answered and shows them through the data-set
// layer's record buffers (read-only).

#include "lib/sqlite/SQLiteInternal.h"

using namespace sqlite_detail;

struct TSQLiteQuery::TBuf {
    bool InUse = false;
    int Row = -1;
    TBookmarkFlag Flag = bfCurrent;
    std::vector<Variant> Calc; // calculated and lookup fields, by field offset
};

TSQLiteQuery::TSQLiteQuery(TComponent* AOwner)
    : TDataSet(AOwner), FSQL(std::make_unique<TStringList>()), FParams(std::make_unique<TParams>(this)) {
    FSQL->OnChange = TNotifyEvent(this, &TSQLiteQuery::SQLChanged);
}

TSQLiteQuery::~TSQLiteQuery() {
    if (!ComponentState().Contains(csDestroying)) BeforeDestruction();
    FSQL->OnChange = nullptr;
}

void TSQLiteQuery::BeforeDestruction() {
    TDataSet::BeforeDestruction();
    SetConnection(nullptr);
}

void TSQLiteQuery::Notification(TComponent* AComponent, TOperation Operation) {
    TDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FConnection) {
        Close();
        FConnection = nullptr;
    }
}

void TSQLiteQuery::SetConnection(TSQLiteConnection* Value) {
    if (Value == FConnection) return;
    if (!ComponentState().Contains(csDestroying)) Close();
    if (FConnection) {
        FConnection->UnregisterDataSet(this);
        FConnection->RemoveFreeNotification(this);
    }
    FConnection = Value;
    if (FConnection) {
        FConnection->RegisterDataSet(this);
        FConnection->FreeNotification(this);
    }
}

TStrings* TSQLiteQuery::SQL() const {
    return FSQL.get();
}

void TSQLiteQuery::SetSQL(TStrings* Value) {
    FSQL->Assign(Value);
}

void TSQLiteQuery::SetParams(TParams* Value) {
    FParams->Assign(Value);
}

void TSQLiteQuery::SQLChanged(TObject*) {
    Close();
    FieldDefs()->SetUpdated(false);
    if (!FParamCheck) return;
    // New parameters from the text; those that keep their names keep their values and types.
    const TSQLiteParsedSQL parsed = ParseSQLParams(FSQL->Text());
    TParams fresh;
    for (const String& name : parsed.Names)
        if (!name.isEmpty() && !fresh.FindParam(name)) fresh.CreateParam(ftUnknown, name, ptInput);
    fresh.AssignValues(FParams.get());
    FParams->Assign(&fresh);
}

void TSQLiteQuery::CheckConnection() {
    if (!FConnection) DatabaseError(QStringLiteral("Missing connection"), this);
    FConnection->Open();
}

std::vector<TSQLiteBindValue> TSQLiteQuery::BindValues(const TSQLiteParsedSQL& Parsed) const {
    std::vector<TSQLiteBindValue> values;
    values.reserve(Parsed.Names.size());
    for (size_t i = 0; i < Parsed.Names.size(); ++i) {
        TParam* p = nullptr;
        if (!Parsed.Names[i].isEmpty())
            p = FParams->FindParam(Parsed.Names[i]);
        else if (int(i) < FParams->Count())
            p = FParams->Items(int(i));
        if (!p) MissingParamError(Parsed.Names[i], int(i), const_cast<TSQLiteQuery*>(this));
        values.push_back({p->Value(), p->DataType()});
    }
    return values;
}

void TSQLiteQuery::ExecSQL() {
    CheckConnection();
    const TSQLiteParsedSQL parsed = ParseSQLParams(FSQL->Text());
    FRowsAffected = FConnection->Execute(parsed.SQL, BindValues(parsed), this);
}

// ---------------------------------------------------------------------------------------------
// Running the query

namespace {
// Makes the column names unique the way the platform names repeated fields: "ID", "ID_1", ...
String UniqueName(const String& Name, const std::vector<TSQLiteColumn>& Columns) {
    auto taken = [&](const String& n) {
        for (const TSQLiteColumn& c : Columns)
            if (AnsiCompareText(c.Name, n) == 0) return true;
        return false;
    };
    const String base = Name.isEmpty() ? QStringLiteral("COLUMN") : Name;
    if (!taken(base)) return base;
    for (int i = 1;; ++i) {
        const String n = QStringLiteral("%1_%2").arg(base).arg(i);
        if (!taken(n)) return n;
    }
}

void ReadColumnInfo(sqlite3* Db, sqlite3_stmt* Stmt, std::vector<TSQLiteColumn>& Columns) {
    const int n = sqlite3_column_count(Stmt);
    for (int i = 0; i < n; ++i) {
        TSQLiteColumn c;
        c.Name = UniqueName(String::fromUtf8(sqlite3_column_name(Stmt, i)), Columns);
        if (const char* d = sqlite3_column_decltype(Stmt, i)) c.DeclType = String::fromUtf8(d);
        const char* dbName = sqlite3_column_database_name(Stmt, i);
        const char* table = sqlite3_column_table_name(Stmt, i);
        const char* origin = sqlite3_column_origin_name(Stmt, i);
        if (table && origin) {
            c.OriginTable = String::fromUtf8(table);
            c.OriginColumn = String::fromUtf8(origin);
            int notNull = 0, primaryKey = 0, autoInc = 0;
            if (sqlite3_table_column_metadata(Db, dbName, table, origin, nullptr, nullptr, &notNull,
                                              &primaryKey, &autoInc) == SQLITE_OK) {
                c.PrimaryKey = primaryKey != 0;
                c.AutoInc = autoInc != 0;
            }
        }
        Columns.push_back(std::move(c));
    }
}
} // namespace

std::unique_ptr<TSQLiteQuery::TResultSet> TSQLiteQuery::RunQuery() {
    CheckConnection();
    sqlite3* db = FConnection->Handle();
    const TSQLiteParsedSQL parsed = ParseSQLParams(FSQL->Text());
    const std::vector<TSQLiteBindValue> values = BindValues(parsed);

    const QByteArray utf8 = parsed.SQL.toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &raw, nullptr) != SQLITE_OK)
        FConnection->RaiseError(this);
    TSQLiteStmt stmt(raw);
    if (!raw || sqlite3_column_count(raw) == 0)
        DatabaseError(QStringLiteral("The query does not return a result set"), this);
    const int count = sqlite3_bind_parameter_count(raw);
    for (int p = 1; p <= count && size_t(p) <= values.size(); ++p)
        if (BindValue(raw, p, values[size_t(p - 1)]) != SQLITE_OK) FConnection->RaiseError(this);

    auto result = std::make_unique<TResultSet>();
    ReadColumnInfo(db, raw, result->Columns);
    const size_t cols = result->Columns.size();
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        std::vector<Variant> row(cols);
        for (size_t c = 0; c < cols; ++c)
            row[c] = RawColumnValue(raw, int(c));
        result->Rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) FConnection->RaiseError(this);

    // Field types: the declared type, else the first value that is not NULL. Then every value
    // takes the form of its field type, and text fields are made wide enough for their values.
    for (size_t c = 0; c < cols; ++c) {
        TSQLiteColumn& col = result->Columns[c];
        if (!FieldTypeOfDecl(col.DeclType, col)) {
            col.DataType = ftWideString;
            for (const auto& row : result->Rows)
                if (!row[c].IsNull()) {
                    FieldTypeOfValue(row[c], col);
                    break;
                }
        }
        int longest = 0;
        for (auto& row : result->Rows) {
            row[c] = ConvertValue(row[c], col);
            if (col.DataType == ftWideString && !row[c].IsNull())
                longest = std::max(longest, int(VariantAccess::Str(row[c]).size()));
        }
        if (col.DataType == ftWideString) {
            // An undeclared width gets room for ordinary texts; a declared one grows, because
            // SQLite does not enforce it and a field cuts what does not fit.
            if (col.Size <= 0) col.Size = 255;
            col.Size = std::max(col.Size, longest);
        }
    }
    return result;
}

void TSQLiteQuery::DefineFields(const TResultSet& Result) {
    TFieldDefs* defs = FieldDefs();
    defs->BeginUpdate();
    try {
        defs->Clear();
        for (const TSQLiteColumn& c : Result.Columns) {
            TFieldDef* d = defs->Add(c.Name, c.DataType, c.Size, false);
            if (c.Precision > 0) d->SetPrecision(c.Precision);
        }
    } catch (...) {
        defs->EndUpdate();
        throw;
    }
    defs->EndUpdate();
}

void TSQLiteQuery::InternalInitFieldDefs() {
    if (FResult) {
        DefineFields(*FResult);
    } else {
        const std::unique_ptr<TResultSet> result = RunQuery();
        DefineFields(*result);
    }
}

void TSQLiteQuery::InternalOpen() {
    FResult = RunQuery();
    try {
        // The widths of text fields follow the rows, so the definitions are made on every open.
        FieldDefs()->SetUpdated(false);
        FieldDefs()->Update();
        if (DefaultFields()) CreateFields();
        BindFields(true);
        for (TField* f : *Fields()) {
            if (f->FieldNo() <= 0) continue;
            const TSQLiteColumn& c = FResult->Columns[size_t(f->FieldNo() - 1)];
            if (f->Origin().isEmpty() && !c.OriginTable.isEmpty())
                f->SetOrigin(c.OriginTable + u'.' + c.OriginColumn);
            if (c.PrimaryKey) f->SetProviderFlags(f->ProviderFlags() + TProviderFlags{pfInKey});
            if (c.AutoInc && f->AutoGenerateValue() == arNone) f->SetAutoGenerateValue(arAutoInc);
        }
    } catch (...) {
        FResult.reset();
        throw;
    }
    SetBookmarkSize(int(sizeof(Integer)));
    FCursor = -1;
}

void TSQLiteQuery::InternalClose() {
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    FResult.reset();
    FCursor = -1;
}

void TSQLiteQuery::InternalRefresh() {
    std::unique_ptr<TResultSet> result = RunQuery();
    const TResultSet& old = *FResult;
    if (result->Columns.size() != old.Columns.size())
        DatabaseError(QStringLiteral("The query's columns changed; close and open it again"), this);
    for (size_t c = 0; c < old.Columns.size(); ++c) {
        const TSQLiteColumn &a = old.Columns[c], &b = result->Columns[c];
        if (a.DataType != b.DataType || (a.DataType == ftWideString && b.Size > a.Size))
            DatabaseError(QStringLiteral("The query's columns changed; close and open it again"), this);
        result->Columns[c].Size = a.Size;
    }
    FResult = std::move(result);
    // The cursor stays at its row number, within the new rows.
    FCursor = std::min(FCursor, int(FResult->Rows.size()) - 1);
}

// ---------------------------------------------------------------------------------------------
// Record buffers and navigation

TRecordBuffer TSQLiteQuery::AllocRecordBuffer() {
    for (size_t i = 0; i < FBufs.size(); ++i)
        if (!FBufs[i]->InUse) {
            FBufs[i]->InUse = true;
            return TRecordBuffer(i + 1);
        }
    FBufs.push_back(std::make_unique<TBuf>());
    FBufs.back()->InUse = true;
    return TRecordBuffer(FBufs.size());
}

void TSQLiteQuery::FreeRecordBuffer(TRecordBuffer& Buffer) {
    if (Buffer > 0 && size_t(Buffer) <= FBufs.size()) *FBufs[size_t(Buffer - 1)] = TBuf();
    Buffer = 0;
}

TSQLiteQuery::TBuf* TSQLiteQuery::Buf(TRecordBuffer Handle) const {
    return FBufs[size_t(Handle - 1)].get();
}

void TSQLiteQuery::InternalInitRecord(TRecordBuffer Buffer) {
    TBuf* b = Buf(Buffer);
    b->Row = -1;
    b->Calc.assign(size_t(CalcFieldsCount()), Null());
}

void TSQLiteQuery::ClearCalcFields(TRecordBuffer Buffer) {
    Buf(Buffer)->Calc.assign(size_t(CalcFieldsCount()), Null());
}

void TSQLiteQuery::GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data) {
    const Integer row = Buf(Buffer)->Row;
    Data.resize(sizeof row);
    std::memcpy(Data.data(), &row, sizeof row);
}

void TSQLiteQuery::SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) {
    if (Data.size() >= sizeof(Integer)) std::memcpy(&Buf(Buffer)->Row, Data.data(), sizeof(Integer));
}

TBookmarkFlag TSQLiteQuery::GetBookmarkFlag(TRecordBuffer Buffer) {
    return Buf(Buffer)->Flag;
}

void TSQLiteQuery::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) {
    Buf(Buffer)->Flag = Value;
}

TGetResult TSQLiteQuery::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) {
    const int n = FResult ? int(FResult->Rows.size()) : 0;
    TGetResult r = grOK;
    switch (GetMode) {
    case gmCurrent:
        if (FCursor < 0 || FCursor >= n) r = grError;
        break;
    case gmNext:
        if (FCursor >= n - 1) {
            FCursor = n;
            r = grEOF;
        } else {
            ++FCursor;
        }
        break;
    case gmPrior:
        if (FCursor <= 0) {
            FCursor = -1;
            r = grBOF;
        } else {
            --FCursor;
        }
        break;
    }
    if (r == grOK) {
        TBuf* b = Buf(Buffer);
        b->Row = FCursor;
        b->Flag = bfCurrent;
        b->Calc.assign(size_t(CalcFieldsCount()), Null());
        GetCalcFields(Buffer);
    } else if (r == grError && DoCheck) {
        DatabaseError(DBConsts::SRecordNotFound, this);
    }
    return r;
}

void TSQLiteQuery::InternalFirst() {
    FCursor = -1;
}

void TSQLiteQuery::InternalLast() {
    FCursor = FResult ? int(FResult->Rows.size()) : 0;
}

int TSQLiteQuery::RowOfBookmark(const TBookmark& Bookmark) const {
    Integer row = -1;
    if (Bookmark.size() >= sizeof row) std::memcpy(&row, Bookmark.data(), sizeof row);
    return FResult && row >= 0 && row < int(FResult->Rows.size()) ? row : -1;
}

void TSQLiteQuery::InternalGotoBookmark(const TBookmark& Bookmark) {
    const int row = RowOfBookmark(Bookmark);
    if (row < 0) DatabaseError(DBConsts::SRecordNotFound, this);
    FCursor = row;
}

void TSQLiteQuery::InternalSetToRecord(TRecordBuffer Buffer) {
    FCursor = Buf(Buffer)->Row;
}

bool TSQLiteQuery::BookmarkValid(const TBookmark& Bookmark) {
    return Active() && RowOfBookmark(Bookmark) >= 0;
}

int TSQLiteQuery::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    if (Bookmark1.empty() || Bookmark2.empty()) return TDataSet::CompareBookmarks(Bookmark1, Bookmark2);
    Integer a = 0, b = 0;
    if (Bookmark1.size() >= sizeof a) std::memcpy(&a, Bookmark1.data(), sizeof a);
    if (Bookmark2.size() >= sizeof b) std::memcpy(&b, Bookmark2.data(), sizeof b);
    return a < b ? -1 : (a > b ? 1 : 0);
}

int TSQLiteQuery::GetRecordCount() {
    CheckActive();
    return int(FResult->Rows.size());
}

int TSQLiteQuery::GetRecNo() {
    CheckActive();
    if (IsEmpty()) return -1;
    return Buf(ActiveBuffer())->Row + 1;
}

void TSQLiteQuery::SetRecNo(int Value) {
    CheckBrowseMode();
    if (!FResult || Value < 1 || Value > int(FResult->Rows.size()) || Value == RecNo()) return;
    DoBeforeScroll();
    FCursor = Value - 1;
    Resync({rmCenter});
    DoAfterScroll();
}

// ---------------------------------------------------------------------------------------------
// Field data

TSQLiteQuery::TBuf* TSQLiteQuery::CurrentBuf() const {
    switch (State()) {
    case dsBrowse:
    case dsOldValue:
    case dsCurValue:
        return IsEmpty() ? nullptr : Buf(ActiveBuffer());
    case dsCalcFields:
    case dsInternalCalc:
        return CalcBuffer() ? Buf(CalcBuffer()) : nullptr;
    default:
        return nullptr;
    }
}

bool TSQLiteQuery::GetFieldData(TField* Field, TValueBuffer* Buffer) {
    const TBuf* b = CurrentBuf();
    if (!b || !FResult) return false;
    const Variant* v = nullptr;
    if (Field->FieldNo() > 0) {
        if (b->Row < 0 || b->Row >= int(FResult->Rows.size())) return false;
        v = &FResult->Rows[size_t(b->Row)][size_t(Field->FieldNo() - 1)];
    } else if (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup) {
        if (Field->Offset() < 0 || size_t(Field->Offset()) >= b->Calc.size()) return false;
        v = &b->Calc[size_t(Field->Offset())];
    }
    if (!v || v->IsNull() || v->IsEmpty()) return false;
    if (Buffer) VariantToFieldBuffer(Field, *v, *Buffer, true);
    return true;
}

bool TSQLiteQuery::GetFieldData(TField* Field, TValueBuffer* Buffer, bool NativeFormat) {
    return TDataSet::GetFieldData(Field, Buffer, NativeFormat);
}

void TSQLiteQuery::SetFieldData(TField* Field, const TValueBuffer* Buffer) {
    // Only calculated and lookup fields are written, while their values are worked out.
    if (Field->FieldKind() != fkCalculated && Field->FieldKind() != fkLookup)
        DatabaseError(DBConsts::SDataSetReadOnly, this);
    TBuf* b = CurrentBuf();
    if (!b || Field->Offset() < 0 || size_t(Field->Offset()) >= b->Calc.size()) return;
    Variant v = Null();
    if (Buffer) FieldBufferToVariant(Field, *Buffer, v, true);
    b->Calc[size_t(Field->Offset())] = v;
}

void TSQLiteQuery::SetFieldData(TField* Field, const TValueBuffer* Buffer, bool NativeFormat) {
    TDataSet::SetFieldData(Field, Buffer, NativeFormat);
}
