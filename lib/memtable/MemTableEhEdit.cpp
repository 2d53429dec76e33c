// Navigation over the records view's rows, row numbers and bookmarks, and editing through the
// record store with its change log.

#include "lib/memtable/DataDriverEh.h"
#include "lib/memtable/MemTableEh.h"

#include <limits>

// ---------------------------------------------------------------------------------------------
// Rows of the view

int TCustomMemTableEh::ViewRowCount() const {
    return FRecordsView ? FRecordsView->Count() : 0;
}

TMemoryRecordEh* TCustomMemTableEh::ViewRowRec(int Row) const {
    return Row >= 0 && Row < ViewRowCount() ? FRecordsView->Rec(Row) : nullptr;
}

TMemRecViewEh* TCustomMemTableEh::ViewRowNode(int Row) const {
    return Row >= 0 && Row < ViewRowCount() ? FRecordsView->RecordView(Row) : nullptr;
}

// Flat rows are in the view's record order (list order when unsorted), so the row is found by
// bisection; the linear search stays as the fallback.
int TCustomMemTableEh::ViewRowOfRec(TMemoryRecordEh* Rec) const {
    if (!Rec || !FRecordsView) return -1;
    const int n = ViewRowCount();
    if (n == 0) return -1;
    if (!FRecordsView->ViewAsTreeList()) {
        const int i = Rec->Index();
        if (i >= 0 && i < n && FRecordsView->Rec(i) == Rec) return i;
        try {
            int lo = 0, hi = n - 1;
            while (lo <= hi) {
                const int m = lo + (hi - lo) / 2;
                TMemoryRecordEh* r = FRecordsView->Rec(m);
                if (r == Rec) return m;
                if (FRecordsView->CompareRecords(r, Rec) < 0)
                    lo = m + 1;
                else
                    hi = m - 1;
            }
        } catch (...) {
        }
    }
    return FRecordsView->IndexOf(Rec);
}

void TCustomMemTableEh::EndRecordsViewUpdate(bool AResync) {
    if (FRecordsViewUpdating > 0) --FRecordsViewUpdating;
    if (AResync && FRecordsViewUpdating == 0 && FRecordsViewUpdated) {
        FRecordsViewUpdated = false;
        if (State() != dsEdit && State() != dsInsert && Active()) Resync({});
    }
}

namespace {
// Keeps BeginRecordsViewUpdate / EndRecordsViewUpdate balanced, also on failure.
struct ViewUpdateGuard {
    TCustomMemTableEh* T;
    bool ResyncAtEnd;
    ViewUpdateGuard(TCustomMemTableEh* t, bool resync) : T(t), ResyncAtEnd(resync) {
        T->BeginRecordsViewUpdate();
    }
    ~ViewUpdateGuard() {
        try {
            T->EndRecordsViewUpdate(ResyncAtEnd);
        } catch (...) {
        }
    }
};
} // namespace

// ---------------------------------------------------------------------------------------------
// Cursor

TGetResult TCustomMemTableEh::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) {
    TMTRecBuf* b = RecBuf(Buffer);
    TGetResult r = grOK;
    switch (GetMode) {
    case gmCurrent:
        if (FRecordPos < 0 || FRecordPos >= ViewRowCount()) r = grError;
        break;
    case gmNext:
        if (FRecordPos >= ViewRowCount() - 1 && FDataDriver) {
            ViewUpdateGuard g(this, false);
            FetchRecordsFromDriver(FFetchAllOnOpen ? -1 : 1);
        }
        if (FRecordPos < ViewRowCount() - 1) {
            ++FRecordPos;
            FRecordsView->PrefetchRow(FRecordPos + 6);
        } else {
            FRecordPos = ViewRowCount();
            r = grEOF;
        }
        break;
    case gmPrior:
        if (FRecordPos > 0) {
            --FRecordPos;
        } else {
            FRecordPos = -1;
            FInstantReadCurRowNum = 0;
            r = grBOF;
        }
        break;
    }
    if (FRecordPos >= 0) FInstantReadCurRowNum = FRecordPos;
    if (r == grOK && b) {
        FillRecBufFromRecord(FRecordsView->Rec(FRecordPos), FRecordPos, b);
        b->RecView = BufferRowNode(FRecordPos);
        EnsureLookupBuffer(b->RecView);
    } else if (r == grError && DoCheck) {
        DatabaseError(QStringLiteral("No data found"));
    }
    return r;
}

void TCustomMemTableEh::InternalFirst() {
    FRecordPos = -1;
    FInstantReadCurRowNum = 0;
}

void TCustomMemTableEh::InternalLast() {
    if (FDataDriver) {
        ViewUpdateGuard g(this, false);
        FetchRecordsFromDriver(-1);
    }
    FRecordPos = ViewRowCount();
    const TDataSetState st = State();
    FInstantReadCurRowNum = st == dsEdit || st == dsInsert || st == dsSetKey ? FRecordPos : FRecordPos - 1;
}

void TCustomMemTableEh::InternalGotoBookmark(const TBookmark& Bookmark) {
    const int n = BookmarkToRecNo(Bookmark);
    if (n < 1 || n > ViewRowCount()) DatabaseError(DBConsts::SRecordNotFound, this);
    FRecordPos = n - 1;
    FInstantReadCurRowNum = n - 1;
}

void TCustomMemTableEh::InternalSetToRecord(TRecordBuffer Buffer) {
    TBookmark bm;
    GetBookmarkData(Buffer, bm);
    InternalGotoBookmark(bm);
}

int TCustomMemTableEh::GetRecordCount() {
    CheckActive();
    return ViewRowCount();
}

int TCustomMemTableEh::GetRecNo() {
    CheckActive();
    TMTRecBuf* b = nullptr;
    if (!FindActiveRecordBuffer(b, false)) return -1;
    return b->RecordNumber + 1;
}

void TCustomMemTableEh::SetRecNo(int Value) {
    if (Value < 1 || Value > ViewRowCount()) return;
    DoBeforeScroll();
    FRecordPos = Value - 1;
    Resync({});
    DoAfterScroll();
}

void TCustomMemTableEh::Resync(TResyncMode Mode) {
    if (FRecordsViewUpdating > 0) {
        FRecordsViewUpdated = true;
        return;
    }
    TDataSet::Resync(Mode);
}

// ---------------------------------------------------------------------------------------------
// Bookmarks

// A bookmark shorter than its 4 bytes designates no row.
int TCustomMemTableEh::BookmarkToRecNo(const TBookmark& Bookmark) const {
    if (Bookmark.size() < 4) return -1;
    Integer n = 0;
    std::memcpy(&n, Bookmark.data(), 4);
    return n;
}

int TCustomMemTableEh::BookmarkStrToRecNo(const TBookmarkStr& Bookmark) const {
    return BookmarkToRecNo(TBookmark(Bookmark.begin(), Bookmark.end()));
}

bool TCustomMemTableEh::BookmarkValid(const TBookmark& Bookmark) {
    if (!FActive) return false;
    const int n = BookmarkToRecNo(Bookmark);
    return n >= 1 && n <= ViewRowCount();
}

bool TCustomMemTableEh::BookmarkStrValid(const TBookmarkStr& Bookmark) {
    return BookmarkValid(TBookmark(Bookmark.begin(), Bookmark.end()));
}

int TCustomMemTableEh::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    if (Bookmark1.empty() && Bookmark2.empty()) return 0;
    if (Bookmark1.empty()) return -1;
    if (Bookmark2.empty()) return 1;
    const int a = BookmarkToRecNo(Bookmark1), b = BookmarkToRecNo(Bookmark2);
    return a > b ? 1 : (a < b ? -1 : 0);
}

TMemRecViewEh* TCustomMemTableEh::BookmarkToRec(const TBookmark& Bookmark) {
    return ViewRowNode(BookmarkToRecNo(Bookmark) - 1);
}

TBookmark TCustomMemTableEh::RecNoToBookmark(int RecNo) const {
    TBookmark b(size_t(std::max(4, BookmarkSize())), 0);
    const Integer n = RecNo;
    std::memcpy(b.data(), &n, 4);
    return b;
}

TBookmarkStr TCustomMemTableEh::RecNoToBookmarkStr(int RecNo) const {
    const TBookmark b = RecNoToBookmark(RecNo);
    return TBookmarkStr(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

TBookmark TCustomMemTableEh::GetBookmark() {
    if (!FInstantBuffers.empty()) return RecNoToBookmark(RecBuf(FInstantBuffers.back())->RecordNumber + 1);
    return TDataSet::GetBookmark();
}

TBookmarkStr TCustomMemTableEh::GetBookmarkStr() {
    const TBookmark b = GetBookmark();
    return TBookmarkStr(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

bool TCustomMemTableEh::GotoRec(TMemoryRecordEh* Rec) {
    CheckActive();
    const int row = ViewRowOfRec(Rec);
    if (row < 0) return false;
    SetRecNo(row + 1);
    return true;
}

bool TCustomMemTableEh::GotoRec(TObject* Rec) {
    return GotoRec(dynamic_cast<TMemoryRecordEh*>(Rec));
}

TMemoryRecordEh* TCustomMemTableEh::Rec() {
    TMTRecBuf* b = nullptr;
    return FindActiveRecordBuffer(b, false) ? b->MemRec : nullptr;
}

const Variant* TCustomMemTableEh::StoredFieldValue(TField* Field) {
    // The same choice GetFieldData makes before it converts the value. A field reads the value
    // being written, not its data set's, while its OnValidate runs: a field with that handler
    // is read the ordinary way.
    if (Field->OnValidate || OnGetFieldValue || State() == dsOldValue || Field->FieldKind() == fkAggregate)
        return nullptr;
    TMTRecBuf* b = nullptr;
    return FindActiveRecordBuffer(b, false) ? b->StoredValue(Field) : nullptr;
}

TMemRecViewEh* TCustomMemTableEh::RecView() {
    TMTRecBuf* b = nullptr;
    return FindActiveRecordBuffer(b, false) ? BufRecView(b) : nullptr;
}

TMemRecViewEh* TCustomMemTableEh::BufferRowNode(int Row) const {
    if (FRecordsView->ViewAsTreeList() || HasCalcFields() || FRecordsView->HasRowNode(Row))
        return FRecordsView->RecordView(Row);
    return nullptr;
}

TMemRecViewEh* TCustomMemTableEh::BufRecView(TMTRecBuf* Buf) const {
    if (!Buf->RecView && Buf->MemRec && FRecordsView && !FRecordsView->ViewAsTreeList()) {
        const int row = Buf->RecordNumber;
        if (row >= 0 && row < FRecordsView->Count() && FRecordsView->Rec(row) == Buf->MemRec)
            Buf->RecView = FRecordsView->RecordView(row);
    }
    return Buf->RecView;
}

// ---------------------------------------------------------------------------------------------
// Editing

void TCustomMemTableEh::InternalInsert() {
    TMTRecBuf* b = RecBuf(ActiveBuffer());
    if (b && b->BookmarkFlag == bfEOF) FInstantReadCurRowNum = ViewRowCount();
}

void TCustomMemTableEh::DoOnNewRecord() {
    for (TField* f : *Fields())
        if (!f->DefaultExpression().isEmpty() && f->CanModify()) f->SetText(f->DefaultExpression());
    if (FDetailMode && MasterSource() && MasterSource()->DataSet()) {
        const auto& mfields = FMasterDataLink->Fields();
        for (size_t i = 0; i < FDetailFieldList.size() && i < mfields.size(); ++i)
            FDetailFieldList[i]->SetAsVariant(mfields[i]->AsVariant());
    }
    TDataSet::DoOnNewRecord();
}

void TCustomMemTableEh::CopyBufferToRecord(TMTRecBuf* Buffer, TMemoryRecordEh* Rec) {
    if (State() == dsFilter) DatabaseError(DBConsts::SNotEditing);
    for (TField* f : *Fields())
        if (f->FieldNo() > 0) {
            Variant v;
            Buffer->GetValue(f, v);
            Rec->SetDataValue(f->FieldNo() - 1, dvvValueEh, v);
        }
}

void TCustomMemTableEh::InternalPost() {
    TDataSet::InternalPost();
    UpdateCursorPos();
    ViewUpdateGuard g(this, false);
    if (State() == dsEdit) {
        TMemoryRecordEh* rec = ViewRowRec(FRecordPos);
        if (!rec) DatabaseError(DBConsts::SRecordNotFound, this);
        rec->Edit();
        CopyBufferToRecord(RecBuf(ActiveBuffer()), rec);
        rec->Post();
        if (!CachedUpdates()) ApplyCachedUpdates(MemTableData(), -1);
        FRecordPos = ViewRowOfRec(rec);
    } else if (State() == dsInsert) {
        InternalAddRecord(ActiveBuffer(), Eof());
    }
}

void TCustomMemTableEh::InternalAddRecord(TRecordBuffer Buffer, bool Append) {
    TMTRecBuf* b = RecBuf(Buffer);
    TMemoryRecordEh* rec = FRecordsView->NewRecord();
    try {
        CopyBufferToRecord(b, rec);
        if (Append)
            FRecordsView->AddRecord(rec);
        else
            FRecordsView->InsertRecord(FRecordPos < 0 ? 0 : FRecordPos, rec);
    } catch (...) {
        if (!rec->Attached()) {
            try {
                rec->Free();
            } catch (...) {
            }
        }
        throw;
    }
    if (!Append && !CachedUpdates()) {
        try {
            ApplyCachedUpdates(MemTableData(), -1);
        } catch (...) {
            FRecordsView->CancelUpdates();
            throw;
        }
    }
    FRecordPos = ViewRowOfRec(rec);
    if (FRecordPos >= 0 && b) {
        // The buffer now stands for a posted row.
        b->Bookmark = FRecordPos + 1;
        b->RecordNumber = FRecordPos;
        b->BookmarkFlag = bfCurrent;
    }
}

void TCustomMemTableEh::InternalCancel() {
    if (State() == dsEdit) {
        TMemoryRecordEh* rec = ViewRowRec(FRecordPos);
        if (rec && rec->EditState() == resEditEh) rec->Cancel();
    }
    if (!CachedUpdates() && HasCachedChanges()) FRecordsView->CancelUpdates();
}

void TCustomMemTableEh::InternalDelete() {
    ViewUpdateGuard g(this, false);
    FRecordsView->DeleteRecord(FRecordPos);
    if (!CachedUpdates()) {
        try {
            ApplyCachedUpdates(MemTableData(), -1);
        } catch (...) {
            FRecordsView->CancelUpdates();
            throw;
        }
    }
    if (FRecordPos >= ViewRowCount()) --FRecordPos;
}

// ---------------------------------------------------------------------------------------------
// Change log

int TCustomMemTableEh::ApplyCachedUpdates(TMemTableDataEh* AMemTableData, int /*MaxErrors*/) {
    if (FDataDriver) return FDataDriver->ApplyUpdates(AMemTableData);
    FRecordsView->MergeChangeLog();
    return 0;
}

int TCustomMemTableEh::ApplyUpdates(int MaxErrors) {
    CheckActive();
    int r = 0;
    {
        ViewUpdateGuard g(this, false);
        r = ApplyCachedUpdates(MemTableData(), MaxErrors);
    }
    FRecordsViewUpdated = false;
    UpdateCursorPos();
    Resync({});
    return r;
}

void TCustomMemTableEh::RecordsViewApplyUpdates(TMemTableDataEh* AMemTableData) {
    ApplyCachedUpdates(AMemTableData, -1);
}

void TCustomMemTableEh::CancelUpdates() {
    FRecordsView->CancelUpdates();
    if (Active()) Resync({});
}

void TCustomMemTableEh::MergeChangeLog() {
    FRecordsView->MergeChangeLog();
}

bool TCustomMemTableEh::HasCachedChanges() const {
    return MemTableData()->RecordsList()->HasCachedChanges();
}

void TCustomMemTableEh::RevertRecord() {
    Cancel();
    CheckBrowseMode();
    UpdateCursorPos();
    if (ViewRowCount() == 0) throw Exception(QStringLiteral("There are no records."));
    if (!FRecordsView->ViewAsTreeList()) FRecordsView->RevertRecord(RecNo() - 1);
    Resync({});
}

TUpdateStatus TCustomMemTableEh::UpdateStatus() {
    CheckActive();
    const int n = RecNo();
    if (n < 1) return usUnmodified;
    TMemoryRecordEh* r = ViewRowRec(n - 1);
    return r ? r->UpdateStatus() : usUnmodified;
}

TUpdateErrorEh* TCustomMemTableEh::UpdateError() {
    TMemoryRecordEh* r = Rec();
    return r ? r->UpdateError() : nullptr;
}

void TCustomMemTableEh::EmptyTable() {
    if (!Active()) return;
    BeginRecordsViewUpdate();
    try {
        CheckBrowseMode();
        ClearRecords();
        ClearBuffers();
    } catch (...) {
        EndRecordsViewUpdate(true);
        throw;
    }
    FRecordsViewUpdated = true;
    EndRecordsViewUpdate(true);
}
