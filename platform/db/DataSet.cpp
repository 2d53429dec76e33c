// TDataSet: construction, opening and closing, states, data events, fields and field values.

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QStringList>

#include <array>

using namespace DBConsts;

void DatabaseError(const String& Message, TComponent* Component) {
    if (Component && !Component->Name().isEmpty()) throw EDatabaseError(Component->Name() + ": " + Message);
    throw EDatabaseError(Message);
}

void DatabaseErrorFmt(const String& Message, TVarRecs Args, TComponent* Component) {
    DatabaseError(Format(Message, Args), Component);
}

// ---------------------------------------------------------------------------------------------
TDataSet::TDataSet(TComponent* AOwner)
    : TComponent(AOwner), FFields(std::make_unique<TFields>(this)),
      FAggFields(std::make_unique<TFields>(this)), FFieldDefs(std::make_unique<TFieldDefs>(this)),
      FFieldDefList(std::make_unique<TFieldDefList>(this)) {
    FBuffers.assign(1, 0);
}

TDataSet::~TDataSet() {
    // Normally done in BeforeDestruction (Free), while descendants are whole.
    for (auto* ds : std::vector<TDataSource*>(FDataSources))
        ds->SetDataSet(nullptr);
    FFields->Clear();
    FAggFields->Clear();
}

void TDataSet::BeforeDestruction() {
    Destroying();
    try {
        SetActive(false);
    } catch (...) {
    }
    for (auto* ds : std::vector<TDataSource*>(FDataSources))
        ds->SetDataSet(nullptr);
    DestroyFields();
    FAggFields->Clear();
    TComponent::BeforeDestruction();
}

TIndexDefs* TDataSet::IndexDefs() const {
    if (!FIndexDefs) FIndexDefs = std::make_unique<TIndexDefs>(const_cast<TDataSet*>(this));
    return FIndexDefs.get();
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    try {
        if (FStreamedActive) SetActive(true);
    } catch (...) {
        if (ComponentState().Contains(csDesigning))
            InternalHandleException();
        else
            throw;
    }
}

void TDataSet::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove)
        for (TField* f : *FFields)
            if (f->LookupDataSet() == AComponent) f->SetLookupDataSet(nullptr);
}

void (*DBHandleExceptionProc)(TObject* Sender) = nullptr;

void TDataSet::InternalHandleException() {
    if (DBHandleExceptionProc) DBHandleExceptionProc(this);
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

void TDataSet::SetActive(bool Value) {
    if (ComponentState().Contains(csReading)) {
        FStreamedActive = Value;
        return;
    }
    if (Active() == Value) return;
    if (Value) {
        DoBeforeOpen();
        try {
            OpenCursor(false);
        } catch (...) {
            // A failed open leaves the data set closed, as it was.
            if (FState != dsOpening) {
                if (FState != dsInactive) SetState(dsInactive);
                try {
                    CloseCursor();
                } catch (...) {
                }
            }
            throw;
        }
        if (FState != dsOpening) OpenCursorComplete();
    } else {
        const bool destroying = ComponentState().Contains(csDestroying);
        if (!destroying) DoBeforeClose();
        SetState(dsInactive);
        CloseCursor();
        if (!destroying) DoAfterClose();
    }
}

void TDataSet::OpenCursor(bool InfoQuery) {
    if (InfoQuery)
        InternalInitFieldDefs();
    else if (FState != dsOpening)
        DoInternalOpen();
}

void TDataSet::DoInternalOpen() {
    FInternalOpenComplete = false;
    FDefaultFields = FieldCount() == 0;
    InternalOpen();
    FInternalOpenComplete = true;
    UpdateBufferCount();
    FBOF = true;
}

void TDataSet::OpenCursorComplete() {
    try {
        if (FState == dsOpening) DoInternalOpen();
    } catch (...) {
        SetState(dsInactive);
        try {
            CloseCursor();
        } catch (...) {
        }
        throw;
    }
    if (FInternalOpenComplete) {
        SetState(dsBrowse);
        DoAfterOpen();
        if (!IsEmpty()) DoAfterScroll();
    } else {
        SetState(dsInactive);
        CloseCursor();
    }
}

void TDataSet::CloseCursor() {
    FInternalOpenComplete = false;
    ClearBuffers();
    SetBufListSize(0);
    InternalClose();
    FBufferCount = 0;
    FDefaultFields = false;
}

void TDataSet::CheckActive() {
    if (!Active()) DatabaseError(SDataSetClosed, this);
}

void TDataSet::CheckInactive() {
    if (Active()) {
        if (ComponentState().Contains(csUpdating) || ComponentState().Contains(csDesigning))
            Close();
        else
            DatabaseError(SDataSetOpen, this);
    }
}

void TDataSet::CheckCanModify() {
    if (!GetCanModify()) DatabaseError(SDataSetReadOnly, this);
}

// ---------------------------------------------------------------------------------------------
// States

void TDataSet::SetState(TDataSetState Value) {
    if (FState != Value) {
        FState = Value;
        FModified = false;
        DataEvent(deUpdateState, 0);
    }
}

TDataSetState TDataSet::SetTempState(TDataSetState Value) {
    const TDataSetState old = FState;
    FState = Value;
    ++FDisableCount;
    return old;
}

void TDataSet::RestoreState(TDataSetState Value) {
    FState = Value;
    --FDisableCount;
}

void TDataSet::SetModified(bool Value) {
    FModified = Value;
}

void TDataSet::DisableControls() {
    if (FDisableCount == 0) {
        FDisableState = FState;
        FEnableEvent = deDataSetChange;
    }
    ++FDisableCount;
    if (FDisableCount == 1) DataEvent(deDisabledStateChange, 0);
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0) return;
    --FDisableCount;
    if (FDisableCount == 0) {
        DataEvent(deDisabledStateChange, 1);
        if (FDisableState != FState) DataEvent(deUpdateState, 0);
        if (FDisableState != dsInactive && FState != dsInactive) DataEvent(FEnableEvent, 0);
    }
}

// ---------------------------------------------------------------------------------------------
// Data events

void TDataSet::DataEvent(TDataEvent Event, NativeInt Info) {
    bool notify = !(ControlsDisabled() || FState == dsBlockRead);
    switch (Event) {
    case deFieldChange: {
        auto* field = reinterpret_cast<TField*>(Info);
        if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) SetModified(true);
        if (FState != dsSetKey) {
            if (field->FieldKind() == fkData) {
                if (FInternalCalcFields)
                    RefreshInternalCalcFields(ActiveBuffer());
                else if (FCalcFieldsCount > 0 && FAutoCalcFields)
                    CalculateFields(ActiveBuffer());
            }
            field->Change();
        }
        break;
    }
    case deFieldListChange:
        FFieldDefList->SetUpdated(false);
        break;
    case dePropertyChange:
        FFieldDefs->SetUpdated(false);
        break;
    case deLayoutChange:
        if (ControlsDisabled()) FEnableEvent = deLayoutChange;
        break;
    case deDisabledStateChange:
        // Links learn that controls went off (Info 0) or on again (Info 1) in any case.
        notify = true;
        break;
    default:
        break;
    }
    if (!notify || FDataSources.empty()) return;
    // The sources are walked over a copy, since a handler may add or remove one; the copy of a
    // few sources stays on the stack.
    constexpr size_t Few = 8;
    if (FDataSources.size() <= Few) {
        std::array<TDataSource*, Few> list;
        const size_t n = FDataSources.size();
        std::copy(FDataSources.begin(), FDataSources.end(), list.begin());
        for (size_t i = 0; i < n; ++i)
            list[i]->DataEvent(Event, Info);
    } else {
        for (auto* ds : std::vector<TDataSource*>(FDataSources))
            ds->DataEvent(Event, Info);
    }
}

void TDataSet::UpdateRecord() {
    if (!dsEditModes.Contains(FState)) DatabaseError(SNotEditing, this);
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::AddDataSource(TDataSource* DataSource) {
    FDataSources.push_back(DataSource);
    DataSource->FDataSet = this;
    UpdateBufferCount();
    DataSource->UpdateState();
}

void TDataSet::RemoveDataSource(TDataSource* DataSource) {
    DataSource->FDataSet = nullptr;
    std::erase(FDataSources, DataSource);
    DataSource->UpdateState();
    UpdateBufferCount();
}

bool TDataSet::IsLinkedTo(TDataSource* DataSource) {
    TDataSet* ds = this;
    while (ds) {
        TDataSource* src = ds->GetDataSource();
        if (!src) break;
        if (src == DataSource) return true;
        ds = src->DataSet();
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Events

#define KVT_FIRE(Ev)                                                                                         \
    if (Ev) Ev(this)

void TDataSet::DoAfterCancel() {
    KVT_FIRE(AfterCancel);
}
void TDataSet::DoAfterClose() {
    KVT_FIRE(AfterClose);
}
void TDataSet::DoAfterDelete() {
    KVT_FIRE(AfterDelete);
}
void TDataSet::DoAfterEdit() {
    KVT_FIRE(AfterEdit);
}
void TDataSet::DoAfterInsert() {
    KVT_FIRE(AfterInsert);
}
void TDataSet::DoAfterOpen() {
    KVT_FIRE(AfterOpen);
}
void TDataSet::DoAfterPost() {
    KVT_FIRE(AfterPost);
}
void TDataSet::DoAfterRefresh() {
    KVT_FIRE(AfterRefresh);
}
void TDataSet::DoAfterScroll() {
    KVT_FIRE(AfterScroll);
}
void TDataSet::DoBeforeCancel() {
    KVT_FIRE(BeforeCancel);
}
void TDataSet::DoBeforeClose() {
    KVT_FIRE(BeforeClose);
}
void TDataSet::DoBeforeDelete() {
    KVT_FIRE(BeforeDelete);
}
void TDataSet::DoBeforeEdit() {
    KVT_FIRE(BeforeEdit);
}
void TDataSet::DoBeforeInsert() {
    KVT_FIRE(BeforeInsert);
}
void TDataSet::DoBeforeOpen() {
    KVT_FIRE(BeforeOpen);
}
void TDataSet::DoBeforePost() {
    KVT_FIRE(BeforePost);
}
void TDataSet::DoBeforeRefresh() {
    KVT_FIRE(BeforeRefresh);
}
void TDataSet::DoBeforeScroll() {
    KVT_FIRE(BeforeScroll);
}
void TDataSet::DoOnCalcFields() {
    KVT_FIRE(OnCalcFields);
}
void TDataSet::DoOnNewRecord() {
    KVT_FIRE(OnNewRecord);
}

#undef KVT_FIRE

// ---------------------------------------------------------------------------------------------
// Field definitions and fields

void TDataSet::InitFieldDefs() {
    if (IsCursorOpen()) {
        InternalInitFieldDefs();
    } else {
        SetActive(false);
        try {
            OpenCursor(true);
        } catch (...) {
            CloseCursor();
            throw;
        }
        CloseCursor();
    }
}

void TDataSet::InitFieldDefsFromFields() {
    if (FFieldDefs->Count() != 0) return;
    FFieldDefs->BeginUpdate();
    try {
        for (TField* f : *FFields) {
            if (f->FieldKind() != fkData && f->FieldKind() != fkInternalCalc) continue;
            TFieldDef* d = FFieldDefs->AddFieldDef();
            d->SetName(f->FieldName());
            d->SetDataType(f->DataType());
            d->SetSize(f->Size());
            if (f->Required()) d->SetAttributes(d->Attributes() + TFieldAttributes{faRequired});
            if (f->ReadOnly()) d->SetAttributes(d->Attributes() + TFieldAttributes{faReadonly});
            if (auto* bcd = dynamic_cast<TBCDField*>(f)) d->SetPrecision(bcd->Precision());
            if (auto* fmt = dynamic_cast<TFMTBCDField*>(f)) d->SetPrecision(fmt->Precision());
            if (auto* fl = dynamic_cast<TFloatField*>(f)) d->SetPrecision(fl->Precision());
            if (f->FieldKind() == fkInternalCalc) d->SetInternalCalcField(true);
        }
    } catch (...) {
        FFieldDefs->EndUpdate();
        throw;
    }
    FFieldDefs->EndUpdate();
}

void TDataSet::CreateFields() {
    const int n = FFieldDefList->Count();
    for (int i = 0; i < n; ++i) {
        TFieldDef* d = FFieldDefList->FieldDefs(i);
        if (d->DataType() == ftUnknown) continue;
        if (d->Attributes().Contains(faHiddenCol) && !FFieldDefs->HiddenFields()) continue;
        d->CreateField(this, nullptr, FFieldDefList->Strings(i));
    }
}

void TDataSet::BindFields(bool Binding) {
    FCalcFieldsCount = 0;
    FInternalCalcFields = false;
    for (TField* f : *FFields) {
        if (Binding) {
            if (f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup) {
                f->FFieldNo = -1;
                f->FOffset = FCalcFieldsCount++;
            } else if (f->FieldKind() == fkAggregate) {
                f->FFieldNo = -1;
            } else {
                TFieldDef* d = FFieldDefList->Find(f->FullName());
                if (!d) DatabaseErrorFmt(SFieldNotFound, {f->DisplayName()}, this);
                f->FFieldNo = d->FieldNo();
                if (!f->AcceptsFieldType(d->DataType()))
                    DatabaseErrorFmt(
                        SFieldTypeMismatch,
                        {f->DisplayName(), FieldTypeName(f->DataType()), FieldTypeName(d->DataType())}, this);
                if (f->FieldKind() == fkInternalCalc) FInternalCalcFields = true;
            }
            f->Bind(true);
        } else {
            f->Bind(false);
            f->FFieldNo = 0;
        }
    }
}

void TDataSet::DestroyFields() {
    FFields->Clear();
}

void TDataSet::AddField(TField* Field) {
    if (Field->FieldKind() == fkAggregate)
        FAggFields->Add(Field);
    else
        FFields->Add(Field);
}

void TDataSet::RemoveField(TField* Field) {
    if (Field->FieldKind() == fkAggregate)
        FAggFields->Remove(Field);
    else
        FFields->Remove(Field);
}

TFieldClass TDataSet::GetFieldClass(TFieldType FieldType) {
    return DefaultFieldClass(FieldType);
}

TField* TDataSet::FindField(const String& FieldName) const {
    TField* f = FFields->FindField(FieldName);
    if (!f) f = FAggFields->FindField(FieldName);
    return f;
}

TField* TDataSet::FieldByName(const String& FieldName) const {
    TField* f = FindField(FieldName);
    if (!f) DatabaseErrorFmt(SFieldNotFound, {FieldName}, const_cast<TDataSet*>(this));
    return f;
}

namespace {
std::vector<String> SplitNames(const String& names) {
    std::vector<String> out;
    for (const String& part : names.split(u';')) {
        const String t = Trim(part);
        if (!t.isEmpty()) out.push_back(t);
    }
    return out;
}
} // namespace

void TDataSet::GetFieldList(std::vector<TField*>& List, const String& FieldNames) const {
    for (const String& n : SplitNames(FieldNames))
        List.push_back(FieldByName(n));
}

void TDataSet::GetFieldList(TList* List, const String& FieldNames) const {
    for (const String& n : SplitNames(FieldNames))
        List->Add(FieldByName(n));
}

void TDataSet::GetFieldNames(std::vector<String>& List) const {
    FFields->GetFieldNames(List);
}

Variant TDataSet::FieldValues(const String& FieldName) const {
    if (FieldName.contains(u';')) {
        std::vector<TField*> list;
        GetFieldList(list, FieldName);
        Variant a = VarArrayCreate({0, int(list.size()) - 1}, varVariant);
        for (size_t i = 0; i < list.size(); ++i)
            a.ArrayPut({int(i)}, list[i]->Value());
        return a;
    }
    return FieldByName(FieldName)->Value();
}

void TDataSet::SetFieldValues(const String& FieldName, const Variant& Value) {
    if (FieldName.contains(u';')) {
        std::vector<TField*> list;
        GetFieldList(list, FieldName);
        for (size_t i = 0; i < list.size(); ++i)
            list[i]->SetValue(Value.ArrayGet({int(i)}));
    } else {
        FieldByName(FieldName)->SetValue(Value);
    }
}

// ---------------------------------------------------------------------------------------------
// Calculated fields

void TDataSet::GetCalcFields(TRecordBuffer Buffer) {
    if (FCalcFieldsCount > 0 || FInternalCalcFields) {
        const TDataSetState save = SetTempState(dsCalcFields);
        try {
            CalculateFields(Buffer);
        } catch (...) {
            RestoreState(save);
            throw;
        }
        RestoreState(save);
    }
}

void TDataSet::CalculateFields(TRecordBuffer Buffer) {
    FCalcBuffer = Buffer;
    if (FState != dsInternalCalc) {
        ClearCalcFields(FCalcBuffer);
        for (TField* f : *FFields)
            if (f->FieldKind() == fkLookup) f->CalcLookupValue();
    }
    DoOnCalcFields();
}

// ---------------------------------------------------------------------------------------------
// Filter

void TDataSet::SetFiltered(bool Value) {
    FFiltered = Value;
}
void TDataSet::SetFilterOptions(TFilterOptions Value) {
    FFilterOptions = Value;
}
void TDataSet::SetFilterText(const String& Value) {
    FFilterText = Value;
}
void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& Value) {
    FOnFilterRecord = Value;
}

// ---------------------------------------------------------------------------------------------
// Field data

bool TDataSet::GetFieldData(TField*, TValueBuffer*) {
    return false;
}

bool TDataSet::GetFieldData(int FieldNo, TValueBuffer* Buffer) {
    TField* f = FieldByNumber(FieldNo);
    return f ? GetFieldData(f, Buffer) : false;
}

bool TDataSet::GetFieldData(TField* Field, TValueBuffer* Buffer, bool NativeFormat) {
    if (NativeFormat || !Buffer) return GetFieldData(Field, Buffer);
    TValueBuffer native(Field->DataSize());
    const bool ok = GetFieldData(Field, &native);
    if (ok) DataConvert(Field, native, *Buffer, false);
    return ok;
}

void TDataSet::SetFieldData(TField*, const TValueBuffer*) {}

void TDataSet::SetFieldData(TField* Field, const TValueBuffer* Buffer, bool NativeFormat) {
    if (NativeFormat || !Buffer) {
        SetFieldData(Field, Buffer);
        return;
    }
    TValueBuffer native(Field->DataSize());
    DataConvert(Field, *Buffer, native, true);
    SetFieldData(Field, &native);
}

void TDataSet::DataConvert(TField* Field, const TValueBuffer& Source, TValueBuffer& Dest, bool ToNative) {
    // Both forms go through the Variant the value stands for.
    Variant v;
    if (!FieldBufferToVariant(Field, Source, v, !ToNative)) {
        Dest = Source;
        return;
    }
    if (Dest.Bytes.size() < size_t(Field->DataSize())) Dest.Bytes.resize(size_t(Field->DataSize()));
    VariantToFieldBuffer(Field, v, Dest, ToNative);
}

TStream* TDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
    auto* blob = dynamic_cast<TBlobField*>(Field);
    if (!blob) DatabaseErrorFmt(SBlobNotBlobField, {Field->DisplayName()}, this);
    return new TDataSetBlobStream(blob, Mode);
}

String TDataSet::PSGetKeyFields() {
    String keys;
    for (TField* f : *FFields)
        if (f->ProviderFlags().Contains(pfInKey)) keys += (keys.isEmpty() ? "" : ";") + f->FieldName();
    return keys;
}

std::unique_ptr<TIndexDefs> TDataSet::PSGetIndexDefs(TIndexOptions) {
    return nullptr;
}

Variant TDataSet::GetStateFieldValue(TDataSetState State, TField* Field) {
    const TDataSetState save = SetTempState(State);
    Variant v;
    try {
        v = Field->Value();
    } catch (...) {
        RestoreState(save);
        throw;
    }
    RestoreState(save);
    return v;
}

void TDataSet::SetStateFieldValue(TDataSetState State, TField* Field, const Variant& Value) {
    const TDataSetState save = SetTempState(State);
    try {
        Field->SetValue(Value);
    } catch (...) {
        RestoreState(save);
        throw;
    }
    RestoreState(save);
}

// ---------------------------------------------------------------------------------------------
// Searching: a plain walk over the records, for data sets that have nothing better.

namespace {
bool ValueMatches(TField* f, const Variant& key, TLocateOptions options) {
    const Variant v = f->Value();
    if (VarIsNull(key) || VarIsEmpty(key)) return VarIsNull(v);
    if (VarIsNull(v)) return false;
    if (VarIsStr(key) || f->DataType() == ftString || f->DataType() == ftWideString) {
        String a = VarToStr(v), b = VarToStr(key);
        if (options.Contains(loPartialKey)) a = a.left(b.size());
        return options.Contains(loCaseInsensitive) ? AnsiCompareText(a, b) == 0 : AnsiCompareStr(a, b) == 0;
    }
    return v == key;
}
} // namespace

bool TDataSet::Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    CheckBrowseMode();
    std::vector<TField*> fields;
    GetFieldList(fields, KeyFields);
    auto matches = [&] {
        for (size_t i = 0; i < fields.size(); ++i) {
            const Variant key =
                fields.size() == 1 && !VarIsArray(KeyValues) ? KeyValues : KeyValues.ArrayGet({int(i)});
            if (!ValueMatches(fields[i], key, Options)) return false;
        }
        return true;
    };
    if (IsEmpty()) return false;
    const TBookmark start = GetBookmark();
    DisableControls();
    bool found = false;
    try {
        First();
        while (!Eof()) {
            if (matches()) {
                found = true;
                break;
            }
            Next();
        }
        if (!found && !start.empty()) GotoBookmark(start);
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
    return found;
}

Variant TDataSet::Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields) {
    if (!Active() || IsEmpty()) return Null();
    CheckBrowseMode();
    const TBookmark start = GetBookmark();
    Variant result = Null();
    DisableControls();
    try {
        if (Locate(KeyFields, KeyValues, {})) result = FieldValues(ResultFields);
        if (!start.empty()) GotoBookmark(start);
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
    return result;
}
