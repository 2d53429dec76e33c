// TDataSet: the ring of record buffers, navigation, resynchronisation, editing and bookmarks.
//
// FBuffers holds BufferCount + 1 handles: rows 0..FRecordCount-1 are the buffered records
// around the cursor (FActiveRecord is the current one), and the handle at FRecordCount is the
// scratch buffer that new records are read into before the ring rotates.

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

using namespace DBConsts;

// ---------------------------------------------------------------------------------------------
// Buffers

void TDataSet::SetBufListSize(int Value) {
    if (Value < 0) Value = 0;
    if (FBufListSize == Value) return;
    if (Value < FBufListSize) {
        for (int i = Value; i < FBufListSize; ++i)
            FreeRecordBuffer(FBuffers[size_t(i)]);
        FBuffers.resize(size_t(Value));
    } else {
        std::vector<TRecordBuffer> list(FBuffers.begin(), FBuffers.begin() + FBufListSize);
        list.resize(size_t(Value), 0);
        int i = FBufListSize;
        try {
            for (; i < Value; ++i)
                list[size_t(i)] = AllocRecordBuffer();
        } catch (...) {
            while (i > FBufListSize)
                FreeRecordBuffer(list[size_t(--i)]);
            throw;
        }
        FBuffers = std::move(list);
    }
    FBufListSize = Value;
    if (FBuffers.empty()) FBuffers.assign(1, 0);
}

void TDataSet::SetBufferCount(int Value) {
    constexpr int MaxBufferCount = 1024;
    if (Value > MaxBufferCount) Value = MaxBufferCount;
    if (FBufferCount == Value) return;
    auto adjustFirstRecord = [this](int delta) {
        if (delta == 0) return;
        for (TDataLink* l = FFirstDataLink; l; l = l->FNext)
            if (l->Active()) l->FFirstRecord += delta;
    };
    if (FBufferCount > Value && FRecordCount > 0) {
        // Keep the records that the links still show.
        int delta = FActiveRecord;
        for (TDataLink* l = FFirstDataLink; l; l = l->FNext)
            if (l->Active() && l->FFirstRecord < delta) delta = l->FFirstRecord;
        for (int i = 0; i < Value; ++i)
            MoveBuffer(i + delta, i);
        FActiveRecord -= delta;
        if (FCurrentRecord != -1) FCurrentRecord -= delta;
        if (FRecordCount > Value) FRecordCount = Value;
        if (FActiveRecord > FRecordCount - 1) FActiveRecord = FRecordCount - 1;
        adjustFirstRecord(-delta);
    }
    SetBufListSize(Value + 1);
    FBufferCount = Value;
    if (!ComponentState().Contains(csDestroying)) {
        GetNextRecords();
        adjustFirstRecord(GetPriorRecords());
    }
}

void TDataSet::UpdateBufferCount() {
    if (!IsCursorOpen()) return;
    int maxCount = 1;
    FFirstDataLink = nullptr;
    for (auto it = FDataSources.rbegin(); it != FDataSources.rend(); ++it) {
        const auto& links = (*it)->FDataLinks;
        for (auto jt = links.rbegin(); jt != links.rend(); ++jt) {
            TDataLink* l = *jt;
            l->FNext = FFirstDataLink;
            FFirstDataLink = l;
            if (l->FBufferCount > maxCount) maxCount = l->FBufferCount;
        }
    }
    SetBufferCount(maxCount);
}

void TDataSet::ClearBuffers() {
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    FBOF = true;
    FEOF = true;
}

void TDataSet::ActivateBuffers() {
    FRecordCount = 1;
    FActiveRecord = 0;
    FCurrentRecord = 0;
    FBOF = false;
    FEOF = false;
}

void TDataSet::MoveBuffer(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    const TRecordBuffer b = FBuffers[size_t(CurIndex)];
    if (CurIndex < NewIndex)
        std::move(FBuffers.begin() + CurIndex + 1, FBuffers.begin() + NewIndex + 1,
                  FBuffers.begin() + CurIndex);
    else
        std::move_backward(FBuffers.begin() + NewIndex, FBuffers.begin() + CurIndex,
                           FBuffers.begin() + CurIndex + 1);
    FBuffers[size_t(NewIndex)] = b;
}

void TDataSet::SetCurrentRecord(int Index) {
    if (FCurrentRecord == Index) return;
    const TRecordBuffer b = FBuffers[size_t(Index)];
    switch (GetBookmarkFlag(b)) {
    case bfCurrent:
    case bfInserted:
        InternalSetToRecord(b);
        break;
    case bfBOF:
        InternalFirst();
        break;
    case bfEOF:
        InternalLast();
        break;
    }
    FCurrentRecord = Index;
}

void TDataSet::UpdateCursorPos() {
    if (FRecordCount > 0) SetCurrentRecord(FActiveRecord);
}

bool TDataSet::GetNextRecord() {
    TGetMode mode = gmNext;
    if (FRecordCount > 0) {
        SetCurrentRecord(FRecordCount - 1);
        // The record being inserted at the end is not yet in the cursor: its neighbour is.
        if (FState == dsInsert && FCurrentRecord == FActiveRecord &&
            GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
            mode = gmCurrent;
    }
    const bool ok = GetRecord(FBuffers[size_t(FRecordCount)], mode, true) == grOK;
    if (ok) {
        if (FRecordCount == 0)
            ActivateBuffers();
        else if (FRecordCount < FBufferCount)
            ++FRecordCount;
        else
            MoveBuffer(0, FRecordCount);
        FCurrentRecord = FRecordCount - 1;
    } else {
        CursorPosChanged();
    }
    return ok;
}

bool TDataSet::GetPriorRecord() {
    if (FRecordCount > 0) SetCurrentRecord(0);
    const bool ok = GetRecord(FBuffers[size_t(FRecordCount)], gmPrior, true) == grOK;
    if (ok) {
        if (FRecordCount == 0) {
            ActivateBuffers();
        } else {
            MoveBuffer(FRecordCount, 0);
            if (FRecordCount < FBufferCount) {
                ++FRecordCount;
                ++FActiveRecord;
            }
        }
        FCurrentRecord = 0;
    } else {
        CursorPosChanged();
    }
    return ok;
}

int TDataSet::GetNextRecords() {
    int n = 0;
    while (FRecordCount < FBufferCount && GetNextRecord())
        ++n;
    return n;
}

int TDataSet::GetPriorRecords() {
    int n = 0;
    while (FRecordCount < FBufferCount && GetPriorRecord())
        ++n;
    return n;
}

void TDataSet::Resync(TResyncMode Mode) {
    const TRecordBuffer scratch = FBuffers[size_t(FRecordCount)];
    if (Mode.Contains(rmExact)) {
        CursorPosChanged();
        if (GetRecord(scratch, gmCurrent, true) != grOK) DatabaseError(SRecordNotFound, this);
    } else if (GetRecord(scratch, gmCurrent, false) != grOK && GetRecord(scratch, gmNext, false) != grOK &&
               GetRecord(scratch, gmPrior, false) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange, 0);
        return;
    }
    int count = Mode.Contains(rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
    MoveBuffer(FRecordCount, 0);
    ActivateBuffers();
    try {
        while (count > 0 && GetPriorRecord())
            --count;
        GetNextRecords();
        GetPriorRecords();
    } catch (...) {
        DataEvent(deDataSetChange, 0);
        throw;
    }
    DataEvent(deDataSetChange, 0);
}

// ---------------------------------------------------------------------------------------------
// Navigation

void TDataSet::First() {
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    try {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    } catch (...) {
        FBOF = true;
        DataEvent(deDataSetChange, 0);
        DoAfterScroll();
        throw;
    }
    FBOF = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    try {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    } catch (...) {
        FEOF = true;
        DataEvent(deDataSetChange, 0);
        DoAfterScroll();
        throw;
    }
    FEOF = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
}

int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    int result = 0;
    DoBeforeScroll();
    if ((Distance > 0 && !FEOF) || (Distance < 0 && !FBOF)) {
        FBOF = false;
        FEOF = false;
        int scrollCount = 0;
        auto finish = [&] {
            DataEvent(deDataSetScroll, scrollCount);
            DoAfterScroll();
        };
        try {
            while (Distance > 0) {
                if (FActiveRecord < FRecordCount - 1) {
                    ++FActiveRecord;
                } else {
                    const int shift = FRecordCount < FBufferCount ? 0 : 1;
                    if (GetNextRecord()) {
                        scrollCount -= shift;
                        if (FActiveRecord < FRecordCount - 1) ++FActiveRecord;
                    } else {
                        FEOF = true;
                        break;
                    }
                }
                --Distance;
                ++result;
            }
            while (Distance < 0) {
                if (FActiveRecord > 0) {
                    --FActiveRecord;
                } else {
                    const int shift = FRecordCount < FBufferCount ? 0 : 1;
                    if (GetPriorRecord()) {
                        scrollCount += shift;
                        if (FActiveRecord > 0) --FActiveRecord;
                    } else {
                        FBOF = true;
                        break;
                    }
                }
                ++Distance;
                --result;
            }
        } catch (...) {
            finish();
            throw;
        }
        finish();
    }
    return result;
}

void TDataSet::Refresh() {
    DoBeforeRefresh();
    CheckBrowseMode();
    UpdateCursorPos();
    try {
        InternalRefresh();
    } catch (...) {
        Resync({});
        throw;
    }
    Resync({});
    DoAfterRefresh();
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    switch (FState) {
    case dsEdit:
    case dsInsert:
        UpdateRecord();
        if (FModified)
            Post();
        else
            Cancel();
        break;
    case dsSetKey:
        Post();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Editing

void TDataSet::CheckOperation(void (TDataSet::*Operation)(), const TDataSetErrorEvent& ErrorEvent) {
    for (;;) {
        try {
            UpdateCursorPos();
            (this->*Operation)();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (ErrorEvent) ErrorEvent(this, &e, action);
            if (action == daFail) throw;
            if (action == daAbort) Abort();
        }
    }
}

void TDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert) return;
    if (FRecordCount == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeEdit();
    CheckOperation(&TDataSet::InternalEdit, OnEditError);
    GetCalcFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    DoAfterEdit();
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeInsert();
    DoBeforeScroll();
}

void TDataSet::EndInsertAppend() {
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        UpdateCursorPos();
        SetState(dsBrowse);
        Resync({});
        throw;
    }
    FModified = false;
    DataEvent(deDataSetChange, 0);
    DoAfterInsert();
    DoAfterScroll();
}

void TDataSet::Insert() {
    BeginInsertAppend();
    const TBookmark oldCurrent = GetBookmark();
    MoveBuffer(FRecordCount, FActiveRecord);
    const TRecordBuffer buffer = ActiveBuffer();
    InitRecord(buffer);
    // The new record stands in front of the one that was current.
    if (FRecordCount == 0)
        SetBookmarkFlag(buffer, bfBOF);
    else
        SetBookmarkData(buffer, oldCurrent);
    if (FRecordCount < FBufferCount) ++FRecordCount;
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Append() {
    BeginInsertAppend();
    ClearBuffers();
    const TRecordBuffer buffer = FBuffers[0];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    FRecordCount = 1;
    FBOF = false;
    GetPriorRecords();
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::InitRecord(TRecordBuffer Buffer) {
    InternalInitRecord(Buffer);
    ClearCalcFields(Buffer);
    SetBookmarkFlag(Buffer, bfInserted);
}

void TDataSet::SetFields(const std::vector<Variant>& Values) {
    for (size_t i = 0; i < Values.size() && int(i) < FieldCount(); ++i) {
        TField* f = FFields->Fields(int(i));
        if (!VarIsEmpty(Values[i]) && f->CanModify()) f->SetValue(Values[i]);
    }
}

void TDataSet::InsertRecord(const std::vector<Variant>& Values) {
    Insert();
    SetFields(Values);
    Post();
}

void TDataSet::AppendRecord(const std::vector<Variant>& Values) {
    Append();
    SetFields(Values);
    Post();
}

void TDataSet::ClearFields() {
    if (!dsEditModes.Contains(FState)) DatabaseError(SNotEditing, this);
    DataEvent(deCheckBrowseMode, 0);
    for (TField* f : *FFields)
        if (f->FieldKind() == fkData && f->CanModify()) f->Clear();
    DataEvent(deRecordChange, 0);
}

void TDataSet::CheckRequiredFields() {
    for (TField* f : *FFields)
        if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull()) {
            f->FocusControl();
            DatabaseErrorFmt(SFieldRequired, {f->DisplayName()});
        }
}

void TDataSet::InternalPost() {
    CheckRequiredFields();
}

void TDataSet::Post() {
    UpdateRecord();
    if (FState == dsEdit || FState == dsInsert) {
        DataEvent(deCheckBrowseMode, 0);
        DoBeforePost();
        CheckOperation(&TDataSet::InternalPost, OnPostError);
        SetState(dsBrowse);
        Resync({});
        DoAfterPost();
    }
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeCancel();
    const bool scrollEvents = FState == dsInsert;
    if (scrollEvents) DoBeforeScroll();
    UpdateCursorPos();
    InternalCancel();
    SetState(dsBrowse);
    Resync({});
    DoAfterCancel();
    if (scrollEvents) DoAfterScroll();
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert || FState == dsSetKey) {
        Cancel();
        return;
    }
    if (FRecordCount == 0) DatabaseError(SDataSetEmpty, this);
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeDelete();
    DoBeforeScroll();
    CheckOperation(&TDataSet::InternalDelete, OnDeleteError);
    SetState(dsBrowse);
    Resync({});
    DoAfterDelete();
    DoAfterScroll();
}

// ---------------------------------------------------------------------------------------------
// Bookmarks

bool TDataSet::BookmarkAvailable() {
    return (FState == dsBrowse || FState == dsEdit || FState == dsInsert) && !IsEmpty() &&
           GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmark TDataSet::GetBookmark() {
    if (!BookmarkAvailable()) return TBookmark();
    TBookmark b(size_t(FBookmarkSize), 0);
    GetBookmarkData(ActiveBuffer(), b);
    return b;
}

TBookmarkStr TDataSet::GetBookmarkStr() {
    const TBookmark b = GetBookmark();
    return TBookmarkStr(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

void TDataSet::GotoBookmark(const TBookmark& Bookmark) {
    if (Bookmark.empty()) return;
    CheckBrowseMode();
    DoBeforeScroll();
    InternalGotoBookmark(Bookmark);
    Resync({rmExact, rmCenter});
    DoAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark&) {
    return false;
}

int TDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    if (Bookmark1.empty() || Bookmark2.empty()) {
        if (Bookmark1.empty() && Bookmark2.empty()) return 0;
        return Bookmark1.empty() ? -1 : 1;
    }
    const int c =
        std::memcmp(Bookmark1.data(), Bookmark2.data(), std::min(Bookmark1.size(), Bookmark2.size()));
    if (c != 0) return c < 0 ? -1 : 1;
    return Bookmark1.size() == Bookmark2.size() ? 0 : (Bookmark1.size() < Bookmark2.size() ? -1 : 1);
}
