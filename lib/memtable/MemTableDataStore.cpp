// The record store container and its component-stream form.
#include "lib/memtable/MemTableDataEh.h"

#include <QScopeGuard>

#include "platform/classes/ComponentStreams.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/DB.h"

TMemTableDataEh::TMemTableDataEh(TComponent* AOwner) : TComponent(AOwner) {
    FAutoIncrement = std::make_unique<TAutoIncrementEh>();
    FDataStruct = new TMTDataStructEh(this);
    FDataStruct->SetName(QStringLiteral("DataStruct"));
    FNewDataStruct = new TMTDataStructEh(nullptr);
    FRecordsList = new TRecordsListEh(this);
    FRecordsList->SetName(QStringLiteral("RecordsList"));
}

void TMemTableDataEh::BeforeDestruction() {
    while (!FNotificators.empty())
        FNotificators.front()->SetDataObject(nullptr);
    TComponent::BeforeDestruction();
}

TMemTableDataEh::~TMemTableDataEh() {
    while (!FNotificators.empty()) {
        TRecordsListNotificatorEh* n = FNotificators.front();
        n->SetDataObject(nullptr);
        if (!FNotificators.empty() && FNotificators.front() == n) FNotificators.erase(FNotificators.begin());
    }
    delete FNewDataStruct;
    FNewDataStruct = nullptr;
    // The records list and the structure are owned components and go with them.
}

void TMemTableDataEh::SetAutoIncrement(TAutoIncrementEh* Value) {
    FAutoIncrement->Assign(Value);
}

void TMemTableDataEh::RegisterNotificator(TRecordsListNotificatorEh* AObject) {
    FNotificators.push_back(AObject);
}

void TMemTableDataEh::UnregisterNotificator(TRecordsListNotificatorEh* AObject) {
    auto it = std::find(FNotificators.begin(), FNotificators.end(), AObject);
    if (it != FNotificators.end()) FNotificators.erase(it);
}

bool TMemTableDataEh::HasApplyUpdatesHandlers() const {
    for (TRecordsListNotificatorEh* n : FNotificators)
        if (n->OnApplyUpdates) return true;
    return false;
}

void TMemTableDataEh::ApplyUpdates(TMemTableDataEh* AMemTableData) {
    const auto list = FNotificators;
    for (TRecordsListNotificatorEh* n : list)
        if (n->OnApplyUpdates) n->OnApplyUpdates(AMemTableData);
}

void TMemTableDataEh::DataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action) {
    const auto list = FNotificators;
    for (TRecordsListNotificatorEh* n : list)
        n->DataEvent(MemRec, Index, Action);
}

void TMemTableDataEh::RecordMoved(TMemoryRecordEh* Item, int OldIndex, int NewIndex) {
    const auto list = FNotificators;
    for (TRecordsListNotificatorEh* n : list)
        n->RecordMoved(Item, OldIndex, NewIndex);
}

void TMemTableDataEh::SetAutoIncValue(TMemoryRecordEh* Rec) {
    TMTDataStructEh* ds = DataStruct();
    bool promoted = false;
    Integer value = 0;
    for (int i = 0; i < ds->Count(); ++i) {
        TMTDataFieldEh* f = ds->DataFields(i);
        if (f->DataType() != ftAutoInc && !f->AutoIncrement()) continue;
        if (!promoted) {
            value = FAutoIncrement->Promote();
            promoted = true;
        }
        Rec->SetDataValue(i, dvvValueEh, Variant(value));
    }
}

void TMemTableDataEh::StructChanged() {
    FIncFieldIndexes.clear();
    TMTDataStructEh* ds = DataStruct();
    for (int i = 0; i < ds->Count(); ++i)
        if (ds->DataFields(i)->DataType() == ftAutoInc) FIncFieldIndexes.push_back(i);
    const auto list = FNotificators;
    for (TRecordsListNotificatorEh* n : list)
        n->StructChanged(this);
}

TMTDataStructEh* TMemTableDataEh::BeginRestruct() {
    if (FRestructMode) throw Exception(QStringLiteral("MemTableData already in RestructMode."));
    FNewDataStruct->Clear();
    for (int i = 0; i < DataStruct()->Count(); ++i) {
        TMTDataFieldEh* s = DataStruct()->DataFields(i);
        TMTDataFieldEh* f = FNewDataStruct->CreateFieldOfClass(s->ClassType());
        f->Assign(s);
    }
    FRestructMode = true;
    return FNewDataStruct;
}

int TMemTableDataEh::FetchRecords(int Count) {
    int sum = 0;
    const auto list = FNotificators;
    for (TRecordsListNotificatorEh* n : list)
        sum += n->FetchRecords(Count);
    return sum;
}

void TMemTableDataEh::CancelRestruct() {
    FRestructMode = false;
    FNewDataStruct->Clear();
}

void TMemTableDataEh::CommitRestruct() {
    FRestructMode = false;
}

void TMemTableDataEh::DestroyTable() {
    TMTIndexesEh* idx = FRecordsList->Indexes();
    while (idx->Count() > 0)
        idx->Delete(idx->Count() - 1);
    FRecordsList->Clear();
    FAutoIncrement->Reset();
    FDataStruct->Clear();
}

void TMemTableDataEh::ResetRecords() {
    TMTIndexesEh* idx = FRecordsList->Indexes();
    while (idx->Count() > 0)
        idx->Delete(idx->Count() - 1);
    FRecordsList->Clear();
    FAutoIncrement->Reset();
}

void TMemTableDataEh::DefineProperties(TFiler* Filer) {
    TComponent::DefineProperties(Filer);
}

void TMemTableDataEh::GetChildren(TGetChildProc Proc, TComponent*) {
    if (FStoreStructInStream) Proc(FDataStruct);
    if (FStoreRecordsInStream) Proc(FRecordsList);
}

void TMemTableDataEh::ReadState(TReader* Reader) {
    const TCreateComponentEvent oldCreate = Reader->OnCreateComponent;
    const TAncestorNotFoundEvent oldAncestor = Reader->OnAncestorNotFound;
    bool structCleared = false;
    FStreamHadStruct = false;
    FStreamHadRecords = false;
    Reader->OnCreateComponent = TCreateComponentEvent::Callable(
        [this, &structCleared](TReader*, TClass ComponentClass, TComponent*& Component) {
            if (ComponentClass->InheritsFrom(&TMTDataStructEh::StaticClassInfo())) {
                FStreamHadStruct = true;
                // A stream that carries a structure replaces the one the store has.
                if (!structCleared) {
                    // The counter was read already and stays.
                    TMTIndexesEh* idx = FRecordsList->Indexes();
                    while (idx->Count() > 0)
                        idx->Delete(idx->Count() - 1);
                    FRecordsList->Clear();
                    FDataStruct->Clear();
                    structCleared = true;
                }
                Component = FDataStruct;
            } else if (ComponentClass->InheritsFrom(&TRecordsListEh::StaticClassInfo())) {
                FStreamHadRecords = true;
                Component = FRecordsList;
            }
        });
    Reader->OnAncestorNotFound = TAncestorNotFoundEvent::Callable(
        [this](TReader* R, const String& Name, TClass, TComponent*& Component) {
            if (!R->Root()) return;
            if (Name.compare(QLatin1String("DataStruct"), Qt::CaseInsensitive) == 0)
                Component = FDataStruct;
            else if (Name.compare(QLatin1String("RecordsList"), Qt::CaseInsensitive) == 0)
                Component = FRecordsList;
        });
    const auto restore = qScopeGuard([&] {
        Reader->OnCreateComponent = oldCreate;
        Reader->OnAncestorNotFound = oldAncestor;
    });
    TComponent::ReadState(Reader);
}

void TMemTableDataEh::SaveToStream(TStream* Stream) {
    ::WriteComponent(Stream, this);
}

void TMemTableDataEh::LoadFromStream(TStream* Stream,
                                     const std::function<void(TMemTableDataEh*)>& CheckLoaded) {
    // Read into a scratch store first: a truncated, corrupted or unusable stream raises and
    // leaves this store as it was.
    std::unique_ptr<TMemTableDataEh> scratch(new TMemTableDataEh(nullptr));
    const Int64 start = Stream->Position();
    {
        TReader reader(Stream, 4096);
        reader.ReadRootComponent(scratch.get());
    }
    TMTDataStructEh* loaded = scratch->DataStruct();
    if (scratch->StreamHadStruct())
        for (int i = 0; i < loaded->Count(); ++i)
            if (loaded->DataFields(i)->FieldName().isEmpty())
                DatabaseError(QString::fromLatin1(DBConsts::SFieldNameMissing), this);
    if (CheckLoaded) CheckLoaded(scratch.get());
    if (scratch->StreamHadStruct() && !scratch->StreamHadRecords()) {
        // A structure without records: the records stay, moved over to the new structure by
        // field name (a value that does not convert fails here, before anything changed).
        // Indexes go with the old structure, as when a stream replaces it with records.
        FDataStruct->AssignByFieldNames(loaded, [this] {
            TMTIndexesEh* idx = FRecordsList->Indexes();
            while (idx->Count() > 0)
                idx->Delete(idx->Count() - 1);
        });
        if (scratch->IsAutoIncCurValueStored()) SetAutoIncCurValue(scratch->AutoIncCurValue());
        FStreamHadStruct = true;
        FStreamHadRecords = false;
        return;
    }
    Stream->SetPosition(start);
    TReader reader(Stream, 4096);
    reader.ReadRootComponent(this);
}

TMemTableDataShadowEh::TMemTableDataShadowEh(TMemTableDataEh* AMasterTable)
    : TMemTableDataEh(AMasterTable), FMasterTable(AMasterTable) {}

TMTDataStructEh* TMemTableDataShadowEh::DataStruct() const {
    return FMasterTable ? FMasterTable->DataStruct() : TMemTableDataEh::DataStruct();
}

// ---------------------------------------------------------------------------------------------
// The records list's "Data" property

void TRecordsListEh::DefineProperties(TFiler* Filer) {
    TComponent::DefineProperties(Filer);
    bool hasData;
    if (auto* anc = dynamic_cast<TRecordsListEh*>(Filer->Ancestor())) {
        TMemoryStream a, b;
        {
            TWriter w(&a, 1024);
            WriteData(&w);
        }
        {
            TWriter w(&b, 1024);
            anc->WriteData(&w);
        }
        hasData = a.Size() != b.Size() || std::memcmp(a.Memory(), b.Memory(), size_t(a.Size())) != 0;
    } else {
        hasData = !Filer->Ancestor() ? Count() > 0 : true;
    }
    Filer->DefineProperty(
        QStringLiteral("Data"), [this](TReader* R) { ReadData(R); }, [this](TWriter* W) { WriteData(W); },
        hasData);
}

void TRecordsListEh::WriteData(TWriter* Writer) {
    Writer->WriteListBegin();
    for (TMemoryRecordEh* r : FRecList)
        r->WriteData(Writer);
    Writer->WriteListEnd();
}

void TRecordsListEh::ReadData(TReader* Reader) {
    Clear();
    Reader->ReadListBegin();
    while (!Reader->EndOfList()) {
        TMemoryRecordEh* r = NewRecord();
        try {
            r->ReadData(Reader);
        } catch (...) {
            delete r;
            throw;
        }
        FetchRecord(r);
    }
    Reader->ReadListEnd();
}

KVT_PUBLISHED(TMemTableDataEh) {
    P.Prop("AutoIncCurValue", &TMemTableDataEh::AutoIncCurValue, &TMemTableDataEh::SetAutoIncCurValue)
        .NoDefault()
        .Stored(&TMemTableDataEh::IsAutoIncCurValueStored);
}

KVT_REGISTER_CLASS(TMemTableDataEh)

namespace {
TObject* CreateStructForStream(TComponent* Owner) {
    return new TMTDataStructEh(dynamic_cast<TMemTableDataEh*>(Owner));
}
TObject* CreateRecordsListForStream(TComponent* Owner) {
    return new TRecordsListEh(dynamic_cast<TMemTableDataEh*>(Owner));
}
const bool kvtRegisteredStoreParts =
    (RegisterClass(TMTDataStructEh::StaticClassInfo(), &CreateStructForStream),
     RegisterClass(TRecordsListEh::StaticClassInfo(), &CreateRecordsListForStream), true);
} // namespace
