// The data link with an event delegate and the field value list built over it.

#include "lib/toolscore/ToolCtrlsEhDataLink.h"

#include "lib/toolscore/ToolCtrlsEhData.h"

#include <algorithm>

void TDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info) {
    TDataLink::DataEvent(Event, Info);
    if (FOnDataEvent) FOnDataEvent(Event, Info);
}

TDatasetFieldValueListEh::TDatasetFieldValueListEh()
    : FValues(std::make_unique<TStringList>()), FDataLink(std::make_unique<TDataLinkEh>()),
      FDataSource(std::make_unique<TDataSource>(nullptr)) {
    FValues->SetSorted(true);
    FValues->SetDuplicates(dupIgnore);
    FDataLink->SetOnDataEvent(TDataEventEh(this, &TDatasetFieldValueListEh::DataEventReceived));
}

TDatasetFieldValueListEh::~TDatasetFieldValueListEh() {
    FDataLink->SetOnDataEvent(nullptr);
    FDataLink->SetDataSource(nullptr);
    FDataSource->SetDataSet(nullptr);
}

void TDatasetFieldValueListEh::SetFilter(const String&) {}

void TDatasetFieldValueListEh::SetFieldName(const String& Value) {
    if (FFieldName == Value) return;
    FDataObsoleted = true;
    FFieldName = Value;
}

TDataSet* TDatasetFieldValueListEh::DataSet() const {
    return FDataSource->DataSet();
}

void TDatasetFieldValueListEh::SetDataSet(TDataSet* Value) {
    SetDataSource(nullptr);
    FDataLink->SetDataSource(FDataSource.get());
    if (FDataLink->DataSet() != Value) {
        FDataObsoleted = true;
        FDataSource->SetDataSet(Value);
    }
}

TDataSource* TDatasetFieldValueListEh::DataSource() const {
    return FDataLink->DataSource();
}

void TDatasetFieldValueListEh::SetDataSource(TDataSource* Value) {
    if (FDataLink->DataSource() == Value) return;
    FDataObsoleted = true;
    FDataLink->SetDataSource(Value);
}

void TDatasetFieldValueListEh::DataEventReceived(TDataEvent Event, NativeInt) {
    if (Event == deDataSetChange || Event == dePropertyChange || Event == deFieldListChange)
        FDataObsoleted = true;
}

TStrings* TDatasetFieldValueListEh::GetValues() {
    if (FDataObsoleted) RebuildValues();
    return FValues.get();
}

void TDatasetFieldValueListEh::RebuildValues() {
    FValues->Clear();
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    TField* field = ds ? ds->FindField(FFieldName) : nullptr;
    if (!field) return; // stays obsolete: rebuilt at the next read
    std::vector<String> texts;
    ds->DisableControls();
    try {
        const TBookmark start = ds->GetBookmark();
        ds->First();
        while (!ds->Eof()) {
            texts.push_back(field->AsString());
            ds->Next();
        }
        if (!start.empty() && ds->BookmarkValid(start)) ds->GotoBookmark(start);
    } catch (...) {
        ds->EnableControls();
        throw;
    }
    ds->EnableControls();
    // Sorting once and appending in order keeps a large rebuild from shifting the list on
    // every insertion.
    const TStringList& cmp = *FValues;
    std::sort(texts.begin(), texts.end(),
              [&](const String& a, const String& b) { return cmp.CompareStrings(a, b) < 0; });
    FValues->BeginUpdate();
    for (const String& s : texts)
        if (FValues->Count() == 0 || cmp.CompareStrings(FValues->Get(FValues->Count() - 1), s) != 0)
            FValues->Add(s);
    FValues->EndUpdate();
    FDataObsoleted = false;
}
