// The data grid's columns: their fields, widths, titles and sort markers.

#include "lib/dbgrid/DBGridEh.h"

#include "lib/memtable/MemTableEh.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Title

String TColumnTitleEh::Caption() const {
    if (FCaptionAssigned) return FCaption;
    if (TField* f = FColumn->Field()) return f->DisplayLabel();
    return FColumn->FieldName();
}

void TColumnTitleEh::SetCaption(const String& Value) {
    FCaption = Value;
    FCaptionAssigned = true;
    FColumn->Grid()->InvalidateGrid();
}

void TColumnTitleEh::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    FColumn->Grid()->InvalidateGrid();
}

void TColumnTitleEh::SetSortMarker(TSortMarkerEh Value) {
    if (FSortMarker == Value) return;
    FSortMarker = Value;
    TCustomDBGridEh* g = FColumn->Grid();
    // A marked column joins the end of the sort list; an unmarked one leaves it and the
    // indexes after it close up.
    auto& list = g->FSortMarkedColumns;
    if (Value == smNoneEh) {
        FSortIndex = 0;
        list.erase(std::remove(list.begin(), list.end(), FColumn), list.end());
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i]) list[i]->Title()->FSortIndex = int(i) + 1;
    } else if (FSortIndex == 0) {
        list.push_back(FColumn);
        FSortIndex = int(list.size());
    }
    g->InvalidateGrid();
}

void TColumnTitleEh::SetSortIndex(int Value) {
    FSortIndex = std::max(0, Value);
    FColumn->Grid()->SetSortMarkedColumns();
}

void TColumnTitleEh::SetNextSortMarkerValue(bool KeepMulti) {
    TCustomDBGridEh* g = FColumn->Grid();
    if (!KeepMulti)
        for (int i = 0; i < g->Columns()->Count(); ++i)
            if (g->Columns()->Items(i) != FColumn) g->Columns()->Items(i)->Title()->SetSortMarker(smNoneEh);
    const TSortMarkerEh first = smDownEh;
    switch (FSortMarker) {
    case smNoneEh:
        SetSortMarker(first);
        break;
    case smDownEh:
        SetSortMarker(KeepMulti && first == smUpEh ? smNoneEh : smUpEh);
        break;
    case smUpEh:
        SetSortMarker(KeepMulti && first == smDownEh ? smNoneEh : smDownEh);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Column

TDBGridColumnEh::TDBGridColumnEh(TCustomDBGridEh* AGrid)
    : FGrid(AGrid), FTitle(std::make_unique<TColumnTitleEh>(this)) {}

TDBGridColumnEh::~TDBGridColumnEh() {
    auto& list = FGrid->FSortMarkedColumns;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

int TDBGridColumnEh::Index() const {
    return FGrid->Columns()->IndexOf(this);
}

void TDBGridColumnEh::SetFieldName(const String& Value) {
    FFieldName = Value;
    FGrid->LayoutChanged();
}

TField* TDBGridColumnEh::Field() const {
    if (FFieldName.isEmpty() || !FGrid->DataLink()->Active()) return nullptr;
    return FGrid->DataLink()->DataSet()->FindField(FFieldName);
}

int TDBGridColumnEh::Width() const {
    if (FWidth >= 0) return FWidth;
    // From the field's display width in characters of the grid's font.
    TField* f = Field();
    const int chars = f ? f->DisplayWidth() : 10;
    const int cw = FGrid->Canvas()->TextWidth(QStringLiteral("0"));
    int w = std::max(chars * cw + 4, FGrid->Canvas()->TextWidth(FTitle->Caption()) + 4);
    return std::min(w, 400);
}

void TDBGridColumnEh::SetWidth(int Value) {
    FWidth = std::max(0, Value);
    FGrid->LayoutChanged();
}

TAlignment TDBGridColumnEh::Alignment() const {
    if (FAlignmentAssigned) return FAlignment;
    if (TField* f = Field()) return f->Alignment();
    return taLeftJustify;
}

void TDBGridColumnEh::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    FAlignmentAssigned = true;
    FGrid->InvalidateGrid();
}

void TDBGridColumnEh::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    FGrid->LayoutChanged();
}

void TDBGridColumnEh::SetColor(TColor v) {
    FColor = v;
    FGrid->InvalidateGrid();
}

String TDBGridColumnEh::DisplayText() const {
    TField* f = Field();
    return f ? f->DisplayText() : String();
}

bool TDBGridColumnEh::CanModify() const {
    TField* f = Field();
    return !FReadOnly && f && f->CanModify();
}

// ---------------------------------------------------------------------------------------------
// Collection

TDBGridColumnEh* TDBGridColumnsEh::Add() {
    FCustomized = true;
    FItems.push_back(std::make_unique<TDBGridColumnEh>(FGrid));
    TDBGridColumnEh* c = FItems.back().get();
    FGrid->LayoutChanged();
    return c;
}

TDBGridColumnEh* TDBGridColumnsEh::Items(int Index) const {
    if (Index < 0 || Index >= Count()) return nullptr;
    return FItems[size_t(Index)].get();
}

int TDBGridColumnsEh::IndexOf(const TDBGridColumnEh* Column) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[size_t(i)].get() == Column) return i;
    return -1;
}

void TDBGridColumnsEh::Clear() {
    FItems.clear();
    FGrid->LayoutChanged();
}

void TDBGridColumnsEh::Move(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= Count() || ToIndex >= Count())
        return;
    auto item = std::move(FItems[size_t(FromIndex)]);
    FItems.erase(FItems.begin() + FromIndex);
    FItems.insert(FItems.begin() + ToIndex, std::move(item));
}

void TDBGridColumnsEh::RebuildFromFields(TDataSet* DataSet) {
    // The grid's own columns follow the data set's visible fields; while those stay the same the
    // columns stay too, with their widths and sort markers.
    std::vector<String> names;
    if (DataSet)
        for (int i = 0; i < DataSet->FieldCount(); ++i)
            if (TField* f = DataSet->Fields()->Fields(i); f->Visible()) names.push_back(f->FieldName());
    bool same = int(names.size()) == Count();
    for (int i = 0; same && i < Count(); ++i)
        same = FItems[size_t(i)]->FFieldName == names[size_t(i)];
    if (same) return;
    FGrid->FSortMarkedColumns.clear();
    FItems.clear();
    for (const String& name : names) {
        FItems.push_back(std::make_unique<TDBGridColumnEh>(FGrid));
        FItems.back()->FFieldName = name;
    }
}

// ---------------------------------------------------------------------------------------------
// Grid side

int TCustomDBGridEh::VisibleColumnCount() const {
    int n = 0;
    for (int i = 0; i < FColumns->Count(); ++i)
        if (FColumns->Items(i)->Visible()) ++n;
    return n;
}

TDBGridColumnEh* TCustomDBGridEh::VisibleColumn(int Index) const {
    if (Index < 0) return nullptr;
    for (int i = 0; i < FColumns->Count(); ++i) {
        TDBGridColumnEh* c = FColumns->Items(i);
        if (!c->Visible()) continue;
        if (Index-- == 0) return c;
    }
    return nullptr;
}

void TCustomDBGridEh::SetSortMarkedColumns() {
    FSortMarkedColumns.clear();
    for (int i = 0; i < FColumns->Count(); ++i) {
        TDBGridColumnEh* c = FColumns->Items(i);
        const int si = c->Title()->SortIndex();
        if (si <= 0) continue;
        if (int(FSortMarkedColumns.size()) < si) FSortMarkedColumns.resize(size_t(si), nullptr);
        FSortMarkedColumns[size_t(si - 1)] = c;
    }
}

void TCustomDBGridEh::SortMarkingChanged() {
    if (!FOptionsEh.Contains(dghAutoSortMarking)) return;
    if (OnSortMarkingChanged)
        OnSortMarkingChanged(this);
    else
        DefaultApplySorting();
}

void TCustomDBGridEh::DefaultApplySorting() {
    // A memory table sorts its own view; other data sets are left to the handler.
    auto* mt = dynamic_cast<TCustomMemTableEh*>(FDataLink->Active() ? FDataLink->DataSet() : nullptr);
    if (!mt || !FSortLocal) return;
    String order;
    for (TDBGridColumnEh* c : FSortMarkedColumns) {
        if (!c || c->FieldName().isEmpty()) continue;
        if (!order.isEmpty()) order += QStringLiteral(", ");
        order += c->FieldName();
        if (c->Title()->SortMarker() == smUpEh) order += QStringLiteral(" DESC");
    }
    mt->SetSortOrder(order);
}
