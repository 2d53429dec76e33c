// Loading, saving and copying of the memory table, store sharing, data-driver fetching and
// moving records.

#include "lib/memtable/DataDriverEh.h"
#include "lib/memtable/MemTableEh.h"
#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/classes/ComponentStreams.h"

#include <QSaveFile>

namespace {
bool IsAutoIncField(TField* f) {
    return f->AutoGenerateValue() == arAutoInc || dynamic_cast<TAutoIncField*>(f) != nullptr;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Loading and saving data sets

// A table that shares this table's store is refused like the table itself: copying would
// destroy the records being read, and appending would never reach the end.
int TCustomMemTableEh::LoadFromDataSet(TDataSet* Source, int RecordCount, TLoadMode Mode,
                                       bool UseCachedUpdates) {
    if (!Source || Source == this) return 0;
    if (auto* mt = dynamic_cast<TCustomMemTableEh*>(Source); mt && mt->MemTableData() == MemTableData())
        return 0;
    const bool srcActive = Source->Active();
    int count = 0;
    Source->DisableControls();
    DisableControls();
    try {
        Source->Open();
        Source->CheckBrowseMode();
        Source->UpdateCursorPos();
        TMemTableDataEh* md = MemTableData();
        if (Mode == lmCopy || Mode == lmCopyStructureOnly) {
            TDataSet::Close();
            md->DestroyTable();
            md->DataStruct()->BuildStructFromFields(Source->Fields());
            FieldDefs()->SetUpdated(false);
            FieldDefs()->Update();
        }
        if (Mode != lmCopyStructureOnly) {
            if (!Active()) TDataSet::Open();
            CheckBrowseMode();
            if (RecordCount <= 0) Source->First();
            std::vector<std::pair<int, TField*>> map; // store field, source field
            std::vector<int> autoInc;
            for (TField* f : *Fields()) {
                if (f->FieldNo() <= 0) continue;
                if (Mode == lmAppend && IsAutoIncField(f)) {
                    autoInc.push_back(f->FieldNo() - 1);
                    continue;
                }
                if (TField* sf = Source->FindField(f->FieldName())) map.emplace_back(f->FieldNo() - 1, sf);
            }
            const bool viaAppend = UseCachedUpdates && CachedUpdates();
            BeginRecordsViewUpdate();
            try {
                TRecordsListEh* list = md->RecordsList();
                while (!Source->Eof()) {
                    if (viaAppend) {
                        Append();
                        for (auto& [i, sf] : map)
                            FieldByNumber(i + 1)->SetAsVariant(sf->AsVariant());
                        Post();
                    } else {
                        CheckBrowseMode();
                        TMemoryRecordEh* rec = list->NewRecord();
                        try {
                            for (auto& [i, sf] : map)
                                rec->SetDataValue(i, dvvValueEh, sf->AsVariant());
                            for (int i : autoInc)
                                rec->SetDataValue(i, dvvValueEh, Variant(md->AutoIncrement()->Promote()));
                            list->FetchRecord(rec);
                        } catch (...) {
                            if (!rec->Attached()) rec->Free();
                            throw;
                        }
                    }
                    ++count;
                    if (RecordCount > 0 && count >= RecordCount) break;
                    Source->Next();
                }
            } catch (...) {
                EndRecordsViewUpdate(true);
                First();
                throw;
            }
            EndRecordsViewUpdate(true);
            First();
        }
    } catch (...) {
        EnableControls();
        if (!srcActive) Source->Close();
        Source->EnableControls();
        throw;
    }
    EnableControls();
    if (!srcActive) Source->Close();
    Source->EnableControls();
    return count;
}

int TCustomMemTableEh::SaveToDataSet(TDataSet* Dest, int RecordCount) {
    if (!Dest || Dest == this) return 0;
    CheckBrowseMode();
    UpdateCursorPos();
    int count = 0;
    Dest->DisableControls();
    DisableControls();
    try {
        if (Dest->Active())
            Dest->CheckBrowseMode();
        else
            Dest->Open();
        if (RecordCount <= 0) First();
        try {
            while (!Eof()) {
                Dest->Append();
                for (TField* df : *Dest->Fields()) {
                    if (df->FieldNo() <= 0 || !df->CanModify()) continue;
                    if (TField* f = FindField(df->FieldName())) df->SetAsVariant(f->AsVariant());
                }
                Dest->Post();
                ++count;
                if (RecordCount > 0 && count >= RecordCount) break;
                Next();
            }
        } catch (...) {
            if (dsEditModes.Contains(Dest->State())) Dest->Cancel();
            Dest->First();
            throw;
        }
        Dest->First();
    } catch (...) {
        EnableControls();
        Dest->EnableControls();
        throw;
    }
    EnableControls();
    Dest->EnableControls();
    return count;
}

// A source that is this table or shares its store answers 0 and changes nothing.
int TCustomMemTableEh::LoadFromMemTableEh(TCustomMemTableEh* Source, int RecordCount, TLoadMode Mode,
                                          TMemTableLoadOptionsEh LoadOptions) {
    if (!Source || Source == this || Source->MemTableData() == MemTableData()) return 0;
    const bool wasActive = Active();
    int count = 0;
    DisableControls();
    try {
        TMemTableDataEh* md = MemTableData();
        TMemTableDataEh* smd = Source->MemTableData();
        if (Mode == lmCopy || Mode == lmCopyStructureOnly) {
            TDataSet::Close();
            md->DestroyTable();
            md->DataStruct()->Assign(smd->DataStruct());
            for (TField* f : *Source->Fields())
                if (TMTDataFieldEh* df = md->DataStruct()->FindField(f->FieldName())) {
                    df->SetDisplayLabel(f->DisplayLabel());
                    df->SetAlignment(f->Alignment());
                    df->SetVisible(f->Visible());
                }
        }
        std::vector<TMemoryRecordEh*> recs;
        if (Mode != lmCopyStructureOnly) {
            TRecordsViewEh* sv = Source->RecordsView();
            const bool tree = sv->ViewAsTreeList();
            std::vector<TMemoryRecordEh*> all;
            TMemoryRecordEh* cur = nullptr;
            if (LoadOptions.Contains(tloDisregardFilterEh)) {
                all.assign(smd->RecordsList()->RecList().begin(), smd->RecordsList()->RecList().end());
            } else if (tree) {
                TMemoryTreeListEh* t = sv->MemoryTreeList();
                for (int i = 0; i < t->GetAccountableCount(); ++i)
                    all.push_back(t->GetAccountableItem(i)->Rec());
            } else {
                for (int i = 0; i < sv->Count(); ++i)
                    all.push_back(sv->Rec(i));
            }
            if (RecordCount <= 0) {
                recs = all;
            } else {
                if (Source->Active()) {
                    Source->UpdateCursorPos();
                    cur = Source->Rec();
                }
                auto it = std::find(all.begin(), all.end(), cur);
                for (; it != all.end() && int(recs.size()) < RecordCount; ++it)
                    recs.push_back(*it);
            }
        }
        if (!recs.empty()) {
            TRecordsListEh* list = md->RecordsList();
            TMTDataStructEh* ss = smd->DataStruct();
            TMTDataStructEh* ds = md->DataStruct();
            std::vector<int> target(size_t(ss->Count()), -1);
            for (int i = 0; i < ss->Count(); ++i)
                target[size_t(i)] = Mode == lmAppend ? ds->FieldIndex(ss->DataFields(i)->FieldName())
                                                     : (i < ds->Count() ? i : -1);
            const bool viaView = LoadOptions.Contains(tloUseCachedUpdatesEh);
            BeginRecordsViewUpdate();
            list->BeginUpdate();
            try {
                for (TMemoryRecordEh* src : recs) {
                    TMemoryRecordEh* rec = list->NewRecord();
                    try {
                        for (int i = 0; i < ss->Count(); ++i)
                            if (target[size_t(i)] >= 0)
                                rec->SetDataValue(target[size_t(i)], dvvValueEh,
                                                  src->GetDataValue(i, dvvValueEh));
                        if (viaView)
                            FRecordsView->AddRecord(rec);
                        else
                            list->FetchRecord(rec);
                    } catch (...) {
                        if (!rec->Attached()) rec->Free();
                        throw;
                    }
                    ++count;
                }
            } catch (...) {
                list->EndUpdate();
                EndRecordsViewUpdate(true);
                throw;
            }
            list->EndUpdate();
            EndRecordsViewUpdate(true);
        }
        if (LoadOptions.Contains(tloOpenOnLoad))
            TDataSet::Open();
        else if (Active() != wasActive)
            TDataSet::SetActive(wasActive);
        if (Active())
            for (TField* f : *Source->Fields())
                if (TField* mine = FindField(f->FieldName()); mine && f->Index() < FieldCount())
                    mine->SetIndex(f->Index());
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
    return count;
}

// ---------------------------------------------------------------------------------------------
// Files

// The file is replaced only when the whole store was written.
void TCustomMemTableEh::SaveToFile(const String& FileName, TDfmStreamFormatEh Format) {
    TMemoryStream bin;
    MemTableData()->SaveToStream(&bin);
    TMemoryStream out;
    bin.SetPosition(0);
    if (Format == dfmTextEh)
        ObjectBinaryToText(&bin, &out);
    else
        out.CopyFrom(&bin, 0);
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EFCreateError(
            QStringLiteral("Cannot create file \"%1\". %2").arg(FileName, file.errorString()));
    file.write(static_cast<const char*>(out.Memory()), qint64(out.Size()));
    if (!file.commit())
        throw EWriteError(QStringLiteral("Cannot write file \"%1\". %2").arg(FileName, file.errorString()));
}

void TCustomMemTableEh::LoadFromFile(const String& FileName) {
    TFileStream fs(FileName, fmOpenRead);
    const bool wasActive = Active();
    TMemoryStream bin;
    switch (TestStreamFormat(&fs)) {
    case sofUnknown:
        throw EReadError(QStringLiteral("Invalid stream format."));
    case sofText:
    case sofUTF8Text:
        ObjectTextToBinary(&fs, &bin);
        break;
    default:
        bin.CopyFrom(&fs, 0);
        break;
    }
    bin.SetPosition(0);
    // A structure the table could not open on is refused before the store changes, so that a
    // bad file never leaves the table closed with its rows gone.
    auto check = [this](TMemTableDataEh* Loaded) {
        if (!Loaded->StreamHadStruct()) return;
        TMTDataStructEh* ds = Loaded->DataStruct();
        if (ds->Count() == 0 && (MemTableData()->DataStruct()->Count() > 0 || FieldCount() > 0))
            DatabaseError(QStringLiteral("MemTable doesn't have data."), this);
        if (!DefaultFields())
            for (TField* f : *Fields())
                if (f->FieldKind() == fkData && !ds->FindField(f->FieldName()))
                    DatabaseErrorFmt(QString::fromLatin1(DBConsts::SFieldNotFound), {f->FieldName()}, this);
    };
    try {
        MemTableData()->LoadFromStream(&bin, check);
    } catch (...) {
        // Reopening may raise too; that error then stands for the failed load.
        if (Active() != wasActive) TDataSet::SetActive(wasActive);
        throw;
    }
    if (Active() != wasActive) TDataSet::SetActive(wasActive);
}

// ---------------------------------------------------------------------------------------------
// Store sharing and drivers

void TCustomMemTableEh::SetExternalMemData(TCustomMemTableEh* Value) {
    if (Value == FExternalMemData) return;
    if (Value == this) DatabaseError(DBConsts::SCircularDataLink);
    if (Value && FDataDriver)
        DatabaseError(
            QStringLiteral("Assigning to ExternalMemData is not allowed if DataDriver is assigned"));
    const bool wasActive = Active();
    if (!ComponentState().Contains(csLoading)) TDataSet::Close();
    if (FExternalMemData) FExternalMemData->RemoveFreeNotification(this);
    FExternalMemData = Value;
    if (Value) Value->FreeNotification(this);
    FRecordsView->SetMemTableData(Value ? Value->FInternMemTableData : FInternMemTableData);
    if (wasActive) TDataSet::Open();
}

void TCustomMemTableEh::SetDataDriver(TDataDriverEh* Value) {
    if (Value == FDataDriver) return;
    if (Value && FExternalMemData)
        DatabaseError(
            QStringLiteral("Assigning to DataDriver is not allowed if ExternalMemData is assigned"));
    if (FDataDriver) {
        FDataDriver->SetDataDriverConsumer(nullptr);
        FDataDriver->RemoveFreeNotification(this);
    }
    if (Value) {
        if (auto* other = dynamic_cast<TCustomMemTableEh*>(Value->GetDataDriverConsumer());
            other && other != this)
            other->SetDataDriver(nullptr);
        Value->SetDataDriverConsumer(this);
    }
    FDataDriver = Value;
    DriverStructChanged();
    if (Value) {
        FRecordsView->OnApplyUpdates =
            TRecordsListApplyUpdatesEventEh(this, &TCustomMemTableEh::RecordsViewApplyUpdates);
        Value->FreeNotification(this);
    } else {
        FRecordsView->OnApplyUpdates = nullptr;
    }
}

int TCustomMemTableEh::FetchRecordsFromDriver(int Count) {
    if (!FDataDriver) return 0;
    const int r = ViewRowCount();
    int n = FDataDriver->ReadData(MemTableData(), Count);
    while (!FDataDriver->ProviderEOF() && Count > 0 && ViewRowCount() < r + Count) {
        const int k = FDataDriver->ReadData(MemTableData(), 1);
        if (k == 0) break;
        n += k;
    }
    return n;
}

int TCustomMemTableEh::FetchRecords(int Count) {
    if (!Active()) return 0;
    int n = 0;
    BeginRecordsViewUpdate();
    try {
        n = MemTableData()->FetchRecords(Count);
    } catch (...) {
        EndRecordsViewUpdate(true);
        throw;
    }
    EndRecordsViewUpdate(n > 0);
    return n;
}

void TCustomMemTableEh::InternalRefresh() {
    DisableControls();
    try {
        if (FDataDriver) {
            FDataDriver->RefreshReader();
            if (MasterSource() &&
                (FMasterDetailSide == mdsOnProviderEh || FMasterDetailSide == mdsOnSelfAfterProviderEh))
                SetReaderParamsFromMaster();
            FDataSetReader = FDataDriver->GetDataReader();
            if (FDataSetReader) FDataSetReader->FreeNotification(this);
            BeginRecordsViewUpdate();
            try {
                ClearRecords();
                FetchRecordsFromDriver(FFetchAllOnOpen ? -1 : 1);
            } catch (...) {
                EndRecordsViewUpdate(false);
                throw;
            }
            EndRecordsViewUpdate(false);
        }
        UpdateDetailRecList();
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}

void TCustomMemTableEh::RefreshRecord() {
    CheckActive();
    UpdateCursorPos();
    if (FDataDriver && ViewRowCount() > 0) {
        if (TMemoryRecordEh* r = ViewRowRec(FRecordPos)) FDataDriver->RefreshRecord(r);
        Resync({});
    }
}

// ---------------------------------------------------------------------------------------------
// Moving records

bool TCustomMemTableEh::DoMoveNode(TMemRecViewEh* Source, const Variant& NewRef,
                                   TMemRecViewEh* AppointedParent, int AppointedIndex, int MoveToListIndex,
                                   bool CheckOnly) {
    if (OnRecordsViewCheckMoveNode &&
        !OnRecordsViewCheckMoveNode(this, Source, AppointedParent, AppointedIndex))
        return false;
    TMemoryRecordEh* s = Source->Rec();
    TMemoryTreeListEh* tree = FRecordsView->MemoryTreeList();
    if (CheckOnly) return !tree->CheckReferenceLoop(s, NewRef);
    const String parentFields = FRecordsView->TreeViewRefParentFieldName();
    s->Edit();
    try {
        s->SetDataValues(parentFields, dvvValueEh, NewRef);
        s->Post();
    } catch (...) {
        if (s->EditState() == resEditEh) s->Cancel();
        throw;
    }
    if (MoveToListIndex >= 0) {
        TRecordsListEh* list = MemTableData()->RecordsList();
        MoveToListIndex = std::min(MoveToListIndex, list->Count() - 1);
        list->Move(s->Index(), MoveToListIndex);
    }
    return true;
}

bool TCustomMemTableEh::MoveNodeAfter(TMemRecViewEh* Source, TMemRecViewEh* Target, bool CheckOnly) {
    TMemoryRecordEh* s = Source->Rec();
    TMemoryRecordEh* t = Target->Rec();
    const Variant ref = t->GetDataValues(FRecordsView->TreeViewRefParentFieldName(), dvvValueEh);
    const int appointed = t->Index() + (s->Index() >= t->Index() ? 1 : 0);
    const int moveTo = s->Index() < t->Index() ? t->Index() : t->Index() + 1;
    return DoMoveNode(Source, ref, Target->NodeParent(), appointed, moveTo, CheckOnly);
}

bool TCustomMemTableEh::MoveNodeBefore(TMemRecViewEh* Source, TMemRecViewEh* Target, bool CheckOnly) {
    TMemoryRecordEh* s = Source->Rec();
    TMemoryRecordEh* t = Target->Rec();
    const Variant ref = t->GetDataValues(FRecordsView->TreeViewRefParentFieldName(), dvvValueEh);
    const int appointed = t->Index() - (s->Index() < t->Index() ? 1 : 0);
    const int moveTo = s->Index() < t->Index() ? t->Index() - 1 : t->Index();
    return DoMoveNode(Source, ref, Target->NodeParent(), appointed, moveTo, CheckOnly);
}

bool TCustomMemTableEh::MoveNodeAsChild(TMemRecViewEh* Source, TMemRecViewEh* Target, bool CheckOnly) {
    const Variant ref = Target->Rec()->GetDataValues(FRecordsView->TreeViewKeyFieldName(), dvvValueEh);
    return DoMoveNode(Source, ref, Target, 0, -1, CheckOnly);
}

// Only existing rows can be moved; a target past the end means the last row.
bool TCustomMemTableEh::MoveRecord(int FromIndex, int ToIndex, int TreeLevel, bool CheckOnly) {
    const int count = Active() ? ViewRowCount() : 0;
    if (!Active()) return true;
    if (FromIndex < 0 || FromIndex >= count) return false;
    ToIndex = std::clamp(ToIndex, 0, count - 1);
    TMemoryRecordEh* cur = Rec();
    if (!FRecordsView->ViewAsTreeList()) {
        if (!CheckOnly && FromIndex != ToIndex) {
            TRecordsListEh* list = MemTableData()->RecordsList();
            list->Move(ViewRowRec(FromIndex)->Index(), ViewRowRec(ToIndex)->Index());
            if (cur) FRecordPos = ViewRowOfRec(cur);
            Resync({});
        }
        return true;
    }
    if (!CheckOnly) BeginRecordsViewUpdate();
    bool result = true;
    try {
        TMemRecViewEh* source = ViewRowNode(FromIndex);
        TMemRecViewEh* prev = nullptr;
        TMemRecViewEh* next = nullptr;
        if (FromIndex < ToIndex) {
            prev = ViewRowNode(ToIndex);
            if (ToIndex + 1 < count) next = ViewRowNode(ToIndex + 1);
        } else {
            if (ToIndex > 0) prev = ViewRowNode(ToIndex - 1);
            next = ViewRowNode(ToIndex);
        }
        if (prev && prev->NodeLevel() == TreeLevel)
            result = MoveNodeAfter(source, prev, CheckOnly);
        else if (next && next->NodeLevel() == TreeLevel)
            result = MoveNodeBefore(source, next, CheckOnly);
        else if (prev && prev->NodeLevel() < TreeLevel)
            result = MoveNodeAsChild(source, prev, CheckOnly);
        else if (prev && prev->NodeLevel() > TreeLevel) {
            TMemRecViewEh* a = prev;
            while (a && a->NodeLevel() > TreeLevel)
                a = a->NodeParent();
            if (a && a->NodeLevel() == TreeLevel) result = MoveNodeAfter(source, a, CheckOnly);
        }
    } catch (...) {
        if (!CheckOnly) EndRecordsViewUpdate(true);
        throw;
    }
    if (!CheckOnly) {
        if (cur) {
            const int row = ViewRowOfRec(cur);
            if (row >= 0) FRecordPos = row;
        }
        FRecordsViewUpdated = true;
        EndRecordsViewUpdate(true);
    }
    return result;
}

bool TCustomMemTableEh::MoveRecords(std::vector<TBookmark>& BookmarkList, int ToRecNo, int TreeLevel,
                                    bool CheckOnly) {
    std::vector<TMemoryRecordEh*> recs;
    for (const TBookmark& b : BookmarkList)
        if (TMemoryRecordEh* r = ViewRowRec(BookmarkToRecNo(b) - 1)) recs.push_back(r);
    if (!CheckOnly) BeginRecordsViewUpdate();
    bool result = true;
    try {
        int target = ToRecNo - 1;
        for (int i = int(recs.size()) - 1; i >= 0 && result; --i) {
            const int from = ViewRowOfRec(recs[size_t(i)]);
            if (i != int(recs.size()) - 1 && from < target) --target;
            result = MoveRecord(from, target, TreeLevel, CheckOnly) && result;
        }
    } catch (...) {
        if (!CheckOnly) EndRecordsViewUpdate(true);
        throw;
    }
    if (!CheckOnly) {
        for (size_t i = 0; i < BookmarkList.size() && i < recs.size(); ++i)
            BookmarkList[i] = RecNoToBookmark(ViewRowOfRec(recs[i]) + 1);
        std::sort(BookmarkList.begin(), BookmarkList.end(),
                  [this](const TBookmark& a, const TBookmark& b) { return CompareBookmarks(a, b) < 0; });
        EndRecordsViewUpdate(true);
    }
    return result;
}

bool TCustomMemTableEh::MoveRecords(TBMListEh* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly) {
    if (!BookmarkList) return false;
    std::vector<TBookmark> marks;
    marks.reserve(size_t(BookmarkList->Count()));
    for (int i = 0; i < BookmarkList->Count(); ++i)
        marks.push_back(BookmarkList->GetItem(i));
    const bool result = MoveRecords(marks, ToRecNo, TreeLevel, CheckOnly);
    // The vector comes back in the table's bookmark order, so the list stays sorted.
    if (!CheckOnly)
        for (int i = 0; i < BookmarkList->Count() && size_t(i) < marks.size(); ++i)
            BookmarkList->SetItem(i, marks[size_t(i)]);
    return result;
}
