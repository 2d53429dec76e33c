// The column's drop-down list grid: made on first use by the factory the data grid registers,
// and the drop-down box settings that live in that grid.

#include "lib/grids/DBAxisGridsEh.h"

TDataListFactoryEh DataListFactoryEh = nullptr;

namespace {
IPopupDataListEh* ListOf(TPersistent* Owner) {
    auto* owner = dynamic_cast<ILookupGridOwner*>(Owner);
    return owner ? dynamic_cast<IPopupDataListEh*>(owner->GetDataList()) : nullptr;
}
} // namespace

TComponent* TAxisBarEh::GetDataList() {
    if (!FDataList && DataListFactoryEh) {
        FDataList = DataListFactoryEh(this);
        if (FDataList) FDataList->SetName(QStringLiteral("DataList"));
    }
    return FDataList;
}

TDBLookupGridEhOptions TAxisBarEh::GetLookupGridOptions() {
    auto* list = dynamic_cast<IPopupDataListEh*>(GetDataList());
    return list ? list->ListOptions() : TDBLookupGridEhOptions{};
}

void TAxisBarEh::SetLookupGridOptions(TDBLookupGridEhOptions Value) {
    if (auto* list = dynamic_cast<IPopupDataListEh*>(GetDataList())) list->SetListOptions(Value);
}

TBaseColumnsEh* TColumnDropDownBoxEh::Columns() {
    IPopupDataListEh* list = ListOf(FOwner);
    return list ? list->ListColumns() : nullptr;
}

void TColumnDropDownBoxEh::SetColumns(TBaseColumnsEh* Value) {
    if (TBaseColumnsEh* c = Columns()) c->Assign(Value);
}

TCustomColumnDefValuesEh* TColumnDropDownBoxEh::ColumnDefValues() {
    IPopupDataListEh* list = ListOf(FOwner);
    return list ? list->ListColumnDefValues() : nullptr;
}

void TColumnDropDownBoxEh::SetColumnDefValues(TCustomColumnDefValuesEh* Value) {
    if (TCustomColumnDefValuesEh* d = ColumnDefValues()) d->Assign(Value);
}

TDBLookupGridEhOptions TColumnDropDownBoxEh::Options() {
    auto* owner = dynamic_cast<ILookupGridOwner*>(FOwner);
    return owner ? owner->GetLookupGridOptions() : TDBLookupGridEhOptions{};
}

void TColumnDropDownBoxEh::SetOptions(TDBLookupGridEhOptions Value) {
    if (auto* owner = dynamic_cast<ILookupGridOwner*>(FOwner)) owner->SetLookupGridOptions(Value);
}

bool TColumnDropDownBoxEh::SortLocal() {
    IPopupDataListEh* list = ListOf(FOwner);
    return list && list->ListSortLocal();
}

void TColumnDropDownBoxEh::SetSortLocal(bool Value) {
    if (IPopupDataListEh* list = ListOf(FOwner)) list->SetListSortLocal(Value);
}
