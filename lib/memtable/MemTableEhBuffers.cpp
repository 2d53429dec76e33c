// Record buffers of the memory table and the field data read and written through them:
// buffer handles, the choice of buffer by state, native buffer forms, calculated and lookup fields.

#include "lib/memtable/MemTableEh.h"

namespace {
bool IsCalcOrLookup(const TField* f) {
    return f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup;
}
bool IsNullValue(const Variant& v) {
    return VarIsNull(v) || VarIsEmpty(v);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// TMTRecBuf

void TMTRecBuf::GetValue(TField* Field, Variant& Value) const {
    if (UseMemRec && MemRec && Field->FieldNo() > 0) {
        Value = MemRec->GetDataValue(Field->FieldNo() - 1, dvvValueEh);
        return;
    }
    const int idx = Field->Index();
    if (UseMemRec && RecView && IsCalcOrLookup(Field)) {
        const TRecDataValues& lb = RecView->LookupBuffer();
        Value = idx >= 0 && size_t(idx) < lb.size() ? lb[size_t(idx)] : Null();
        return;
    }
    Value = idx >= 0 && size_t(idx) < Values.size() ? Values[size_t(idx)] : Null();
}

const Variant* TMTRecBuf::StoredValue(TField* Field) const {
    if (!UseMemRec || !MemRec || Field->FieldNo() <= 0) return nullptr;
    const size_t i = size_t(Field->FieldNo() - 1);
    const TRecValuesEh& d = MemRec->Data();
    const TMTDataStructEh* ds = MemRec->DataStruct();
    return i < d.size() && (!ds || int(i) < ds->Count()) ? &d[i] : nullptr;
}

void TMTRecBuf::GetOldValue(TField* Field, Variant& Value) const {
    if (Field->FieldNo() > 0 && MemRec) {
        if (MemRec->HasOldData())
            Value = MemRec->GetDataValue(Field->FieldNo() - 1, dvvOldValueEh);
        else
            GetValue(Field, Value);
        return;
    }
    const int idx = Field->Index();
    Value = idx >= 0 && size_t(idx) < Values.size() ? Values[size_t(idx)] : Null();
}

void TMTRecBuf::SetValue(TField* Field, const Variant& Value) {
    const int idx = Field->Index();
    if (UseMemRec && IsCalcOrLookup(Field)) {
        if (RecView) {
            TRecDataValues& lb = RecView->LookupBuffer();
            if (idx >= 0) {
                if (size_t(idx) >= lb.size()) lb.resize(size_t(idx) + 1, Null());
                lb[size_t(idx)] = Value;
            }
        }
        return;
    }
    if (UseMemRec) {
        // First write to a buffer that reads through its record: take a copy of the stored values.
        if (MemRec && FieldsList)
            for (TField* f : *FieldsList)
                if (f->FieldNo() > 0) {
                    const int i = f->Index();
                    if (i >= 0 && size_t(i) < Values.size())
                        Values[size_t(i)] = MemRec->GetDataValue(f->FieldNo() - 1, dvvValueEh);
                }
        UseMemRec = false;
    }
    if (idx >= 0) {
        if (size_t(idx) >= Values.size()) Values.resize(size_t(idx) + 1, Null());
        Values[size_t(idx)] = Value;
    }
}

void TMTRecBuf::SetLength(int Len) {
    if (int(Values.size()) != Len) Values.resize(size_t(std::max(0, Len)));
    Clear();
}

void TMTRecBuf::Clear() {
    for (Variant& v : Values)
        v = Null();
}

void TMTRecBuf::BufBookmarkAsTBookmark(TBookmark& ABookmark) const {
    ABookmark.assign(4, 0);
    std::memcpy(ABookmark.data(), &Bookmark, 4);
}

// ---------------------------------------------------------------------------------------------
// Buffer handles

TMTRecBuf* TCustomMemTableEh::RecBuf(TRecordBuffer Handle) const {
    if (Handle < 1 || size_t(Handle) > FRecordCache.size()) return nullptr;
    return FRecordCache[size_t(Handle - 1)].get();
}

TRecordBuffer TCustomMemTableEh::AllocRecordBuffer() {
    size_t i = 0;
    while (i < FRecordCache.size() && FRecordCache[i]->InUse)
        ++i;
    if (i == FRecordCache.size()) {
        auto b = std::make_unique<TMTRecBuf>();
        b->RecordStatus = -2;
        FRecordCache.push_back(std::move(b));
    }
    TMTRecBuf* b = FRecordCache[i].get();
    b->InUse = true;
    b->RecordNumber = -2;
    b->FieldsList = Fields();
    b->SetLength(FieldCount());
    return TRecordBuffer(i + 1);
}

void TCustomMemTableEh::FreeRecordBuffer(TRecordBuffer& Buffer) {
    TMTRecBuf* b = RecBuf(Buffer);
    if (b) {
        if (size_t(Buffer) == FRecordCache.size() && BufferCount() < int(FRecordCache.size()) - 2) {
            FRecordCache.pop_back();
        } else {
            b->InUse = false;
            b->RecordNumber = -1;
            b->Clear();
            b->MemRec = nullptr;
            b->RecView = nullptr;
            b->UseMemRec = false;
            b->NeedUpdateCalcFields = false;
        }
    }
    Buffer = 0;
}

void TCustomMemTableEh::InternalInitRecord(TRecordBuffer Buffer) {
    TMTRecBuf* b = RecBuf(Buffer);
    if (!b) return;
    if (b->ReadValueCount() != FieldCount())
        b->SetLength(FieldCount());
    else
        b->Clear();
    b->RecView = nullptr;
    b->MemRec = nullptr;
    b->UseMemRec = false;
}

void TCustomMemTableEh::InitRecord(TRecordBuffer Buffer) {
    TDataSet::InitRecord(Buffer);
    TMTRecBuf* b = RecBuf(Buffer);
    if (!b) return;
    b->Bookmark = std::numeric_limits<Integer>::min();
    b->BookmarkFlag = bfInserted;
    b->RecordNumber = -1;
}

void TCustomMemTableEh::GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data) {
    if (TMTRecBuf* b = RecBuf(Buffer)) b->BufBookmarkAsTBookmark(Data);
}

void TCustomMemTableEh::SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) {
    TMTRecBuf* b = RecBuf(Buffer);
    if (b && Data.size() >= 4) std::memcpy(&b->Bookmark, Data.data(), 4);
}

TBookmarkFlag TCustomMemTableEh::GetBookmarkFlag(TRecordBuffer Buffer) {
    TMTRecBuf* b = RecBuf(Buffer);
    return b ? b->BookmarkFlag : bfCurrent;
}

void TCustomMemTableEh::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) {
    if (TMTRecBuf* b = RecBuf(Buffer)) b->BookmarkFlag = Value;
}

void TCustomMemTableEh::FillRecBufFromRecord(TMemoryRecordEh* Rec, int RowNum, TMTRecBuf* Buf) {
    Buf->Bookmark = RowNum + 1;
    Buf->RecordNumber = RowNum;
    Buf->BookmarkFlag = bfCurrent;
    Buf->MemRec = Rec;
    Buf->RecView = nullptr;
    Buf->UseMemRec = true;
    Buf->FieldsList = Fields();
    if (Buf->ReadValueCount() != FieldCount()) Buf->SetLength(FieldCount());
    if (!CalcFieldsWanted()) return;
    const auto it = std::find_if(FRecordCache.begin(), FRecordCache.end(),
                                 [Buf](const std::unique_ptr<TMTRecBuf>& p) { return p.get() == Buf; });
    if (it != FRecordCache.end()) GetCalcFields(TRecordBuffer(it - FRecordCache.begin() + 1));
}

void TCustomMemTableEh::CopyRecBuf(TMTRecBuf* Source, TMTRecBuf* Dest) {
    Dest->Values = Source->Values;
    Dest->Bookmark = Source->Bookmark;
    Dest->BookmarkFlag = Source->BookmarkFlag;
    Dest->RecordNumber = Source->RecordNumber;
    Dest->RecView = Source->RecView;
    Dest->MemRec = Source->MemRec;
    Dest->UseMemRec = Source->UseMemRec;
    Dest->NewTreeNodeExpanded = Source->NewTreeNodeExpanded;
    Dest->NewTreeNodeHasChildren = Source->NewTreeNodeHasChildren;
    Dest->FieldsList = Source->FieldsList;
}

TMTRecBuf* TCustomMemTableEh::FilterBuf() {
    if (!FFilterBufHandle) FFilterBufHandle = AllocRecordBuffer();
    TMTRecBuf* b = RecBuf(FFilterBufHandle);
    if (b->ReadValueCount() != FieldCount()) b->SetLength(FieldCount());
    return b;
}

TMTRecBuf* TCustomMemTableEh::StateBuf() {
    if (!FStateBufHandle) FStateBufHandle = AllocRecordBuffer();
    TMTRecBuf* b = RecBuf(FStateBufHandle);
    if (b->ReadValueCount() != FieldCount()) b->SetLength(FieldCount());
    return b;
}

bool TCustomMemTableEh::FindActiveRecordBuffer(TMTRecBuf*& Buf, bool Force) {
    Buf = nullptr;
    if (!FInstantBuffers.empty() && !Force) {
        Buf = RecBuf(FInstantBuffers.back());
        return true;
    }
    switch (State()) {
    case dsBrowse:
        if (!IsEmpty()) Buf = RecBuf(ActiveBuffer());
        break;
    case dsEdit:
    case dsInsert:
    case dsNewValue:
        Buf = RecBuf(ActiveBuffer());
        break;
    case dsCalcFields:
        Buf = RecBuf(CalcBuffer());
        break;
    case dsFilter:
        Buf = FilterBuf();
        break;
    case dsOldValue:
    case dsCurValue: {
        TMTRecBuf* active = RecBuf(ActiveBuffer());
        if (!active || active->BookmarkFlag == bfBOF || active->BookmarkFlag == bfEOF ||
            active->BookmarkFlag == bfInserted)
            break;
        UpdateCursorPos();
        if (FRecordPos < 0 || FRecordPos >= ViewRowCount()) break;
        Buf = StateBuf();
        Buf->Bookmark = FRecordPos + 1;
        Buf->RecordNumber = FRecordPos;
        Buf->BookmarkFlag = bfCurrent;
        Buf->MemRec = ViewRowRec(FRecordPos);
        Buf->RecView = ViewRowNode(FRecordPos);
        Buf->UseMemRec = true;
        Buf->FieldsList = Fields();
        EnsureLookupBuffer(Buf->RecView);
        break;
    }
    default:
        break;
    }
    return Buf != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Field data

bool TCustomMemTableEh::GetFieldData(TField* Field, TValueBuffer* Buffer) {
    return GetFieldData(Field, Buffer, true);
}

bool TCustomMemTableEh::GetFieldData(int FieldNo, TValueBuffer* Buffer) {
    TField* f = FieldByNumber(FieldNo);
    return f ? GetFieldData(f, Buffer, true) : false;
}

bool TCustomMemTableEh::GetFieldData(TField* Field, TValueBuffer* Buffer, bool NativeFormat) {
    TMTRecBuf* b = nullptr;
    if (!FindActiveRecordBuffer(b, false)) return false;
    Variant v;
    if (Field->FieldKind() == fkAggregate) {
        v = GetAggregateValue(Field);
    } else if (const Variant* stored = !OnGetFieldValue && State() != dsOldValue ? b->StoredValue(Field) : nullptr) {
        // A stored value goes to the buffer without a copy, or is lent where the reader takes it.
        if (IsNullValue(*stored)) return false;
        if (Buffer && Buffer->AcceptsRef) {
            Buffer->Ref = stored;
            return true;
        }
        if (Buffer && !VariantToFieldBuffer(Field, *stored, *Buffer, NativeFormat))
            DatabaseErrorFmt(QStringLiteral("Неподдерживаемый тип (%s) для поля %s"),
                             {FieldTypeName(Field->DataType()), Field->DisplayName()});
        return true;
    } else {
        if (State() == dsOldValue)
            b->GetOldValue(Field, v);
        else
            b->GetValue(Field, v);
        if (OnGetFieldValue) OnGetFieldValue(this, Field, v);
    }
    if (IsNullValue(v)) return false;
    if (Buffer && !VariantToFieldBuffer(Field, v, *Buffer, NativeFormat))
        DatabaseErrorFmt(QStringLiteral("Неподдерживаемый тип (%s) для поля %s"),
                         {FieldTypeName(Field->DataType()), Field->DisplayName()});
    return true;
}

bool TCustomMemTableEh::GetFieldValue(TField* Field, Variant& Value) {
    Value = Null();
    TMTRecBuf* b = nullptr;
    if (!FindActiveRecordBuffer(b, false)) return false;
    Variant v;
    b->GetValue(Field, v);
    if (OnGetFieldValue) OnGetFieldValue(this, Field, v);
    if (IsNullValue(v)) return false;
    Value = v;
    return true;
}

bool TCustomMemTableEh::GetFieldDataAsObject(TField* Field, TObject*& Value) {
    Value = nullptr;
    Variant v;
    if (!GetFieldValue(Field, v)) return false;
    Value = v.AsObject();
    return true;
}

void TCustomMemTableEh::SetFieldData(TField* Field, const TValueBuffer* Buffer) {
    SetFieldData(Field, Buffer, true);
}

void TCustomMemTableEh::SetFieldData(TField* Field, const TValueBuffer* Buffer, bool NativeFormat) {
    if (!IsCalcOrLookup(Field) && !dsWriteModes.Contains(State())) DatabaseError(DBConsts::SNotEditing, this);
    if ((Field->FieldKind() == fkData || Field->FieldKind() == fkInternalCalc) && Field->ReadOnly() &&
        State() != dsSetKey && State() != dsFilter)
        DatabaseErrorFmt(DBConsts::SFieldReadOnly, {Field->DisplayName()});
    TMTRecBuf* b = nullptr;
    if (!FindActiveRecordBuffer(b, true)) return;
    Field->Validate(Buffer);
    Variant v = Null();
    if (Buffer && !FieldBufferToVariant(Field, *Buffer, v, NativeFormat))
        DatabaseErrorFmt(QStringLiteral("Неподдерживаемый тип (%s) для поля %s"),
                         {FieldTypeName(Field->DataType()), Field->DisplayName()});
    if (OnSetFieldValue) OnSetFieldValue(this, Field, v);
    b->SetValue(Field, v);
    const TDataSetState st = State();
    if (st != dsCalcFields && st != dsFilter && st != dsNewValue && st != dsInternalCalc)
        DataEvent(deFieldChange, reinterpret_cast<NativeInt>(Field));
}

void TCustomMemTableEh::SetFieldDataAsObject(TField* Field, TObject* Value) {
    if (!dsWriteModes.Contains(State())) DatabaseError(DBConsts::SNotEditing, this);
    TMTRecBuf* b = nullptr;
    if (!FindActiveRecordBuffer(b, true)) return;
    Variant v = Value ? Variant(Value) : Null();
    if (OnSetFieldValue) OnSetFieldValue(this, Field, v);
    b->SetValue(Field, v);
    const TDataSetState st = State();
    if (st != dsCalcFields && st != dsFilter && st != dsNewValue && st != dsInternalCalc)
        DataEvent(deFieldChange, reinterpret_cast<NativeInt>(Field));
}

TFieldClass TCustomMemTableEh::GetFieldClass(TFieldType FieldType) {
    if (FieldType == ftUnknown) return FieldClassOf<TRefObjectField>();
    return TDataSet::GetFieldClass(FieldType);
}

TStream* TCustomMemTableEh::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
    auto* bf = dynamic_cast<TBlobField*>(Field);
    if (!bf) DatabaseErrorFmt(DBConsts::SBlobNotBlobField, {Field->DisplayName()});
    return new TMemBlobStreamEh(bf, Mode);
}

// ---------------------------------------------------------------------------------------------
// Calculated and lookup fields

void TCustomMemTableEh::CalculateFields(TRecordBuffer Buffer) {
    SetCalcBuffer(Buffer);
    TMTRecBuf* b = RecBuf(Buffer);
    // A buffer reading through its record finds the values in the record's view node.
    if (b && b->UseMemRec && !b->NeedUpdateCalcFields) return;
    ClearCalcFields(Buffer);
    for (TField* f : *Fields())
        if (f->FieldKind() == fkLookup) f->SetAsVariant(CalcLookupValue(f));
    DoOnCalcFields();
}

void TCustomMemTableEh::ClearCalcFields(TRecordBuffer Buffer) {
    if (!HasCalcFields()) return;
    TMTRecBuf* b = RecBuf(Buffer);
    if (!b) return;
    for (TField* f : *Fields())
        if (IsCalcOrLookup(f)) b->SetValue(f, Null());
}

Variant TCustomMemTableEh::CalcLookupValue(TField* AField) {
    if (AField->KeyFields().isEmpty()) return Null();
    const Variant key = FieldValues(AField->KeyFields());
    if (AField->LookupCache() && AField->LookupList()) return AField->LookupList()->ValueOfKey(key);
    TDataSet* lds = AField->LookupDataSet();
    if (lds && lds->Active()) {
        const Variant v = lds->Lookup(AField->LookupKeyFields(), key, AField->LookupResultField());
        return VarIsEmpty(v) ? Null() : v;
    }
    return Null();
}

// Tree rows are nodes of the record tree, whose values are computed on the first read.
void TCustomMemTableEh::EnsureLookupBuffer(TMemRecViewEh* Node) {
    if (Node && Node->Rec() && HasCalcFields() && int(Node->LookupBuffer().size()) < FieldCount())
        RecordsViewCalcLookupBuffer(Node->Rec(), Node);
}

void TCustomMemTableEh::RecordsViewCalcLookupBuffer(TMemoryRecordEh* Rec, TMemRecViewEh* Node) {
    if (!HasCalcFields() || !FActive || !Node) return;
    const TDataSetState save = SetTempState(dsFilter);
    TMTRecBuf* b = FilterBuf();
    try {
        Node->SetLookupBufferLength(FieldCount());
        b->Bookmark = 0;
        b->BookmarkFlag = bfCurrent;
        b->MemRec = Rec;
        b->UseMemRec = true;
        b->FieldsList = Fields();
        b->RecView = Node;
        b->RecordNumber = FRecordsView ? FRecordsView->IndexOf(Rec) : -1;
        b->NeedUpdateCalcFields = true;
        GetCalcFields(FFilterBufHandle);
    } catch (...) {
        b->NeedUpdateCalcFields = false;
        RestoreState(save);
        throw;
    }
    b->NeedUpdateCalcFields = false;
    RestoreState(save);
}
