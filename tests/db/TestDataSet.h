#pragma once
// A small in-memory data set for the data-set layer's tests: records in a vector, buffers as
// handles into a vector of buffer objects, bookmarks holding a record id. It follows the
// descendant protocol the layer expects (GetRecord, InternalPost, SetFieldData, ...).

#include "platform/db/DB.h"

#include <cstring>
#include <map>
#include <ostream>
#include <memory>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

class TTestDataSet : public TDataSet {
    KVT_CLASS(TTestDataSet, TDataSet)
public:
    struct Rec {
        int Id = 0;
        std::vector<Variant> Values; // one per field definition
    };
    struct Buf {
        bool InUse = false;
        int Id = 0;
        TBookmarkFlag Flag = bfCurrent;
        std::map<const TField*, Variant> Values;
    };

    explicit TTestDataSet(TComponent* AOwner = nullptr) : TDataSet(AOwner) {}
    ~TTestDataSet() override {
        if (!ComponentState().Contains(csDestroying)) BeforeDestruction();
    }

    std::vector<Rec> Records;
    bool FailOpen = false;
    // Lends the stored Variants to readers that take them (as a store of Variants does).
    bool LendValues = false;
    int LentCount = 0;
    bool ReadOnlySet = false;
    int InternalCloseCount = 0;
    int NextId = 1;

    // Adds a record (values in field-definition order) before the data set is opened or while
    // browsing (no resync).
    void AddRecord(std::vector<Variant> values) {
        Rec r;
        r.Id = NextId++;
        r.Values = std::move(values);
        r.Values.resize(size_t(FieldDefs()->Count()), Null());
        Records.push_back(std::move(r));
    }
    int RowOfId(int id) {
        const auto rows = VisibleRows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (Records[size_t(rows[i])].Id == id) return int(i);
        return -1;
    }
    int Cursor() const { return FCursor; }
    using TDataSet::ActiveBuffer;
    using TDataSet::BufferCount;
    using TDataSet::CalcBuffer;
    using TDataSet::GetBookmarkFlag;
    using TDataSet::RestoreState;
    using TDataSet::SetState;
    using TDataSet::SetTempState;

    // --- descendant protocol ----------------------------------------------------------------
    bool IsCursorOpen() override { return FOpen; }
    bool GetCanModify() override { return !ReadOnlySet; }

    bool GetFieldData(TField* Field, TValueBuffer* Buffer) override {
        return GetFieldData(Field, Buffer, true);
    }
    bool GetFieldData(TField* Field, TValueBuffer* Buffer, bool NativeFormat) override {
        Buf* b = CurrentBuf();
        if (!b) return false;
        Variant v = Null();
        if (State() == dsOldValue && Field->FieldNo() > 0) {
            const int row = RecordIndexOfId(b->Id);
            v = row >= 0 ? Records[size_t(row)].Values[size_t(Field->FieldNo() - 1)] : Null();
        } else {
            auto it = b->Values.find(Field);
            if (it != b->Values.end()) v = it->second;
        }
        if (VarIsNull(v) || VarIsEmpty(v)) return false;
        if (Buffer && LendValues && Buffer->AcceptsRef && State() != dsOldValue) {
            Buffer->Ref = &b->Values.find(Field)->second;
            ++LentCount;
            return true;
        }
        if (Buffer) VariantToFieldBuffer(Field, v, *Buffer, NativeFormat);
        return true;
    }
    void SetFieldData(TField* Field, const TValueBuffer* Buffer) override {
        SetFieldData(Field, Buffer, true);
    }
    void SetFieldData(TField* Field, const TValueBuffer* Buffer, bool NativeFormat) override {
        const bool stored = Field->FieldKind() != fkCalculated && Field->FieldKind() != fkLookup;
        if (stored && !dsWriteModes.Contains(State())) DatabaseError(DBConsts::SNotEditing, this);
        if (stored && Field->ReadOnly() && State() != dsSetKey && State() != dsFilter)
            DatabaseErrorFmt(DBConsts::SFieldReadOnly, {Field->DisplayName()});
        Buf* b = CurrentBuf();
        if (!b) return;
        Field->Validate(Buffer);
        Variant v = Null();
        if (Buffer) FieldBufferToVariant(Field, *Buffer, v, NativeFormat);
        b->Values[Field] = v;
        if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue &&
            State() != dsInternalCalc)
            DataEvent(deFieldChange, reinterpret_cast<NativeInt>(Field));
    }

protected:
    TRecordBuffer AllocRecordBuffer() override {
        for (size_t i = 0; i < FBufs.size(); ++i)
            if (!FBufs[i]->InUse) {
                FBufs[i]->InUse = true;
                return TRecordBuffer(i + 1);
            }
        FBufs.push_back(std::make_unique<Buf>());
        FBufs.back()->InUse = true;
        return TRecordBuffer(FBufs.size());
    }
    void FreeRecordBuffer(TRecordBuffer& Buffer) override {
        if (Buffer) *B(Buffer) = Buf();
        Buffer = 0;
    }
    void InternalInitRecord(TRecordBuffer Buffer) override {
        Buf* b = B(Buffer);
        b->Values.clear();
        b->Id = 0;
    }
    void ClearCalcFields(TRecordBuffer Buffer) override {
        for (TField* f : *Fields())
            if (f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup) B(Buffer)->Values[f] = Null();
    }
    void GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data) override {
        Data.resize(4);
        std::memcpy(Data.data(), &B(Buffer)->Id, 4);
    }
    void SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) override {
        if (Data.size() >= 4) std::memcpy(&B(Buffer)->Id, Data.data(), 4);
    }
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override { return B(Buffer)->Flag; }
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override { B(Buffer)->Flag = Value; }

    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override {
        const auto rows = VisibleRows();
        const int n = int(rows.size());
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
            Fill(B(Buffer), Records[size_t(rows[size_t(FCursor)])]);
            GetCalcFields(Buffer);
        } else if (r == grError && DoCheck) {
            DatabaseError(QStringLiteral("No data found"));
        }
        return r;
    }

    void InternalOpen() override {
        if (FailOpen) throw EDatabaseError(QStringLiteral("cannot open"));
        if (DefaultFields()) CreateFields();
        BindFields(true);
        SetBookmarkSize(4);
        FCursor = -1;
        FOpen = true;
    }
    void InternalClose() override {
        ++InternalCloseCount;
        BindFields(false);
        if (DefaultFields()) DestroyFields();
        FOpen = false;
    }
    void InternalFirst() override { FCursor = -1; }
    void InternalLast() override { FCursor = int(VisibleRows().size()); }
    void InternalGotoBookmark(const TBookmark& Bookmark) override {
        int id = 0;
        if (Bookmark.size() >= 4) std::memcpy(&id, Bookmark.data(), 4);
        const int row = RowOfId(id);
        if (row < 0) DatabaseError(DBConsts::SRecordNotFound, this);
        FCursor = row;
    }
    void InternalSetToRecord(TRecordBuffer Buffer) override {
        TBookmark b;
        GetBookmarkData(Buffer, b);
        InternalGotoBookmark(b);
    }
    void InternalPost() override {
        TDataSet::InternalPost();
        Buf* b = B(ActiveBuffer());
        if (State() == dsEdit) {
            const int i = RecordIndexOfId(b->Id);
            CopyTo(b, Records[size_t(i)]);
        } else {
            Rec r;
            r.Id = NextId++;
            r.Values.assign(size_t(FieldDefs()->Count()), Null());
            CopyTo(b, r);
            // Append after a move past the end (or Append); else in front of the old current record.
            if (Eof() || b->Flag == bfEOF) {
                Records.push_back(r);
            } else {
                int at = b->Flag == bfBOF ? 0 : RecordIndexOfId(b->Id);
                if (at < 0) at = 0;
                Records.insert(Records.begin() + at, r);
            }
            b->Id = r.Id;
        }
        FCursor = RowOfId(b->Id);
    }
    void InternalDelete() override {
        const auto rows = VisibleRows();
        Records.erase(Records.begin() + rows[size_t(FCursor)]);
        if (FCursor >= int(rows.size()) - 1) --FCursor;
    }
    int GetRecordCount() override {
        CheckActive();
        return int(VisibleRows().size());
    }
    int GetRecNo() override {
        CheckActive();
        if (State() == dsInsert) return 0;
        if (IsEmpty()) return -1;
        return RowOfId(B(ActiveBuffer())->Id) + 1;
    }

public:
    void SetRecNo(int Value) override {
        CheckBrowseMode();
        if (Value < 1 || Value > int(VisibleRows().size())) return;
        DoBeforeScroll();
        FCursor = Value - 1;
        Resync({});
        DoAfterScroll();
    }
    bool BookmarkValid(const TBookmark& Bookmark) override {
        int id = 0;
        if (!Active() || Bookmark.size() < 4) return false;
        std::memcpy(&id, Bookmark.data(), 4);
        return RowOfId(id) >= 0;
    }
    void SetFiltered(bool Value) override {
        TDataSet::SetFiltered(Value);
        if (Active()) First();
    }

private:
    Buf* B(TRecordBuffer h) { return FBufs[size_t(h - 1)].get(); }
    Buf* CurrentBuf() {
        switch (State()) {
        case dsBrowse:
            return IsEmpty() ? nullptr : B(ActiveBuffer());
        case dsEdit:
        case dsInsert:
        case dsOldValue:
        case dsNewValue:
            return B(ActiveBuffer());
        case dsCalcFields:
            return CalcBuffer() ? B(CalcBuffer()) : nullptr;
        case dsFilter:
            return &FFilterBuf;
        default:
            return nullptr;
        }
    }
    int RecordIndexOfId(int id) const {
        for (size_t i = 0; i < Records.size(); ++i)
            if (Records[i].Id == id) return int(i);
        return -1;
    }
    void Fill(Buf* b, const Rec& r) {
        b->Id = r.Id;
        b->Flag = bfCurrent;
        b->Values.clear();
        for (TField* f : *Fields())
            if (f->FieldNo() > 0) b->Values[f] = r.Values[size_t(f->FieldNo() - 1)];
    }
    void CopyTo(Buf* b, Rec& r) {
        for (TField* f : *Fields())
            if (f->FieldNo() > 0) {
                auto it = b->Values.find(f);
                r.Values[size_t(f->FieldNo() - 1)] = it == b->Values.end() ? Null() : it->second;
            }
    }
    std::vector<int> VisibleRows() {
        std::vector<int> rows;
        for (size_t i = 0; i < Records.size(); ++i) {
            bool accept = true;
            if (Filtered() && OnFilterRecord()) {
                Fill(&FFilterBuf, Records[i]);
                const TDataSetState save = SetTempState(dsFilter);
                try {
                    OnFilterRecord()(this, accept);
                } catch (...) {
                    RestoreState(save);
                    throw;
                }
                RestoreState(save);
            }
            if (accept) rows.push_back(int(i));
        }
        return rows;
    }

    std::vector<std::unique_ptr<Buf>> FBufs;
    Buf FFilterBuf;
    int FCursor = -1;
    bool FOpen = false;
};

// The test data set without record numbers; its bookmarks hold the record id, which grows in
// record order, so they still compare.
class TUnsequencedTestDataSet : public TTestDataSet {
    KVT_CLASS(TUnsequencedTestDataSet, TTestDataSet)
public:
    using TTestDataSet::TTestDataSet;
    bool IsSequenced() override { return false; }
    int CompareBookmarks(const TBookmark& b1, const TBookmark& b2) override {
        const int i1 = Id(b1), i2 = Id(b2);
        return i1 < i2 ? -1 : i1 > i2 ? 1 : 0;
    }

private:
    static int Id(const TBookmark& b) {
        int id = 0;
        if (b.size() >= 4) std::memcpy(&id, b.data(), 4);
        return id;
    }
};

// A data link that records what the data set tells it, like a grid showing `rows` rows.
class TRecordingLink : public TDataLink {
    KVT_CLASS(TRecordingLink, TDataLink)
public:
    explicit TRecordingLink(int rows = 1) { SetBufferCount(rows); }
    std::vector<String> Log;
    bool LogDataEvents = false;
    bool LogCheckBrowse = false;

    void DataEvent(TDataEvent Event, NativeInt Info) override {
        if (LogDataEvents && Event == deDisabledStateChange)
            Log.push_back(QStringLiteral("disabled:%1").arg(Info));
        TDataLink::DataEvent(Event, Info);
    }
    void FocusControlPublic(TField** f) { FocusControl(f); }

protected:
    void ActiveChanged() override {
        Log.push_back(Active() ? QStringLiteral("active") : QStringLiteral("inactive"));
    }
    void DataSetChanged() override { Log.push_back(QStringLiteral("changed")); }
    void DataSetScrolled(int Distance) override {
        Log.push_back(QStringLiteral("scrolled:%1").arg(Distance));
    }
    void EditingChanged() override {
        Log.push_back(Editing() ? QStringLiteral("editing") : QStringLiteral("browsing"));
    }
    void LayoutChanged() override { Log.push_back(QStringLiteral("layout")); }
    void RecordChanged(TField* Field) override {
        Log.push_back(Field ? "record:" + Field->FieldName() : QStringLiteral("record"));
    }
    void UpdateData() override { Log.push_back(QStringLiteral("update")); }
    void CheckBrowseMode() override {
        if (LogCheckBrowse) Log.push_back(QStringLiteral("checkbrowse"));
    }
};
