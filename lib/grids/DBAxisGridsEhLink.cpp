// The axis grid's data link: the field map (data-set field indexes in column order) and the
// translation of the data set's link events into the grid's hooks. The link also carries the
// flag that the in-place editor holds a change not yet written into the record.

#include "lib/grids/DBAxisGridsEh.h"

#include <cassert>

TAxisGridDataLinkEh::TAxisGridDataLinkEh(TCustomDBAxisGridEh* Grid) : FGrid(Grid) {
    SetVisualControl(true);
}

TAxisGridDataLinkEh::~TAxisGridDataLinkEh() {
    ClearMapping();
}

bool TAxisGridDataLinkEh::AddMapping(const String& FieldName) {
    if (FFieldCount >= MaxMapSize)
        RaiseInvalidGridOperation(QStringLiteral("Grid requested to display more than 256 columns"));
    TField* field = nullptr;
    if (TDataSet* ds = DataSet()) field = FSparseMap ? ds->FindField(FieldName) : ds->FieldByName(FieldName);
    if (FFieldMapSize == FFieldCount) {
        Int64 newSize = FFieldMapSize == 0 ? 8 : Int64(FFieldMapSize) * 2;
        if (newSize < FFieldCount) newSize = Int64(FFieldCount) + 1;
        if (newSize > MaxMapSize) newSize = MaxMapSize;
        FFieldMap.resize(size_t(newSize));
        FFieldMapSize = int(newSize);
    }
    assert(FFieldCount < FFieldMapSize);
    if (field) {
        FFieldMap[size_t(FFieldCount)] = field->Index();
        field->FreeNotification(FGrid);
    } else {
        FFieldMap[size_t(FFieldCount)] = -1;
    }
    ++FFieldCount;
    return true;
}

void TAxisGridDataLinkEh::ClearMapping() {
    FFieldMap.clear();
    FFieldMap.shrink_to_fit();
    FFieldMapSize = 0;
    FFieldCount = 0;
}

int TAxisGridDataLinkEh::GetMappedFieldIndex(int I) const {
    if (I < 0 || I >= FFieldCount) return -1;
    return FFieldMap[size_t(I)];
}

TField* TAxisGridDataLinkEh::GetFields(int I) const {
    const int idx = GetMappedFieldIndex(I);
    if (idx < 0) return nullptr;
    TDataSet* ds = DataSet();
    if (!ds || idx >= ds->FieldCount()) return nullptr;
    return ds->Fields()->Fields(idx);
}

bool TAxisGridDataLinkEh::DefaultFields() const {
    TDataSet* ds = DataSet();
    if (!ds) return true;
    if (FSparseMap)
        for (int i = 0; i < FFieldCount; ++i)
            if (FFieldMap[size_t(i)] < 0) return false;
    return ds->DefaultFields();
}

bool TAxisGridDataLinkEh::CheckConsistency() const {
    if (FFieldCount < 0 || FFieldCount > FFieldMapSize || FFieldMapSize > MaxMapSize) return false;
    if (size_t(FFieldMapSize) != FFieldMap.size()) return false;
    TDataSet* ds = DataSet();
    for (int i = 0; i < FFieldCount; ++i) {
        const int idx = FFieldMap[size_t(i)];
        if (idx < 0) {
            if (!FSparseMap) return false;
        } else if (!ds || idx >= ds->FieldCount()) {
            return false;
        }
    }
    return true;
}

void TAxisGridDataLinkEh::Reset() {
    if (FModified)
        RecordChanged(nullptr);
    else
        FGrid->CancelEditing();
}

void TAxisGridDataLinkEh::TakeBookmark() {
    if (Active() && DataSet()) FLastBookmark = DataSet()->GetBookmark();
}

void TAxisGridDataLinkEh::ActiveChanged() {
    // Cached fields may belong to a closed data set: every column looks its field up again.
    FGrid->AxisBars()->ActiveChanged();
    FGrid->LinkActiveChanged(Active());
    FModified = false;
    TakeBookmark();
}

void TAxisGridDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info) {
    TDataLink::DataEvent(Event, Info);
    if (Event == deDisabledStateChange) FGrid->AxisBars()->ActiveChanged();
}

void TAxisGridDataLinkEh::DataSetChanged() {
    FGrid->LinkDataSetChanged();
    FModified = false;
    TakeBookmark();
}

void TAxisGridDataLinkEh::DataSetScrolled(int Distance) {
    FGrid->LinkDataSetScrolled(Distance);
    TakeBookmark();
}

void TAxisGridDataLinkEh::EditingChanged() {
    if (DataSet() && DataSet()->State() == dsBrowse) FModified = false;
    FGrid->LinkEditingChanged();
}

void TAxisGridDataLinkEh::FocusControl(TField** Field) {
    if (!Field || !*Field) return;
    FGrid->SetSelectedField(*Field);
    if (FGrid->SelectedField() == *Field && FGrid->TryAcquireFocus()) {
        *Field = nullptr;
        FGrid->ShowEditor();
    }
}

void TAxisGridDataLinkEh::LayoutChanged() {
    const bool saved = FGrid->FLayoutFromDataset;
    FGrid->FLayoutFromDataset = true;
    try {
        FGrid->RequestLayoutUpdate();
    } catch (...) {
        FGrid->FLayoutFromDataset = saved;
        throw;
    }
    FGrid->FLayoutFromDataset = saved;
    TDataLink::LayoutChanged();
}

void TAxisGridDataLinkEh::RecordChanged(TField* Field) {
    FGrid->LinkRecordChanged(Field);
    FModified = false;
}

void TAxisGridDataLinkEh::UpdateData() {
    if (FInUpdateData || !Active()) return;
    FInUpdateData = true;
    struct Clear {
        TAxisGridDataLinkEh* l;
        ~Clear() { l->FInUpdateData = false; }
    } guard{this};
    if (FModified) FGrid->UpdateData();
    // Cleared only after the value reached the record: a failed write keeps the pending edit.
    FModified = false;
}
