#pragma once
// A data link that hands every data event to a delegate, and the list of distinct display
// values of one field of any data set, kept up to date through such a link.

#include "lib/toolscore/ToolCtrlsEhTypes.h"
#include "platform/db/DB.h"

#include <memory>

class TStringList;

class TDataLinkEh : public TDataLink {
    KVT_CLASS(TDataLinkEh, TDataLink)
public:
    TDataEventEh OnDataEvent() const { return FOnDataEvent; }
    void SetOnDataEvent(const TDataEventEh& Value) { FOnDataEvent = Value; }
    // The inherited handling first, then the delegate.
    void DataEvent(TDataEvent Event, NativeInt Info) override;

protected:
    TDataEventEh FOnDataEvent;
};

// The sorted, duplicate-free text values of one field, rebuilt on the first read after the
// field, the data set or its data changed. Lives as long as a shared reference to it.
class TDatasetFieldValueListEh : public TObject, public IMemTableDataFieldValueListEh {
    KVT_CLASS(TDatasetFieldValueListEh, TObject)
public:
    TDatasetFieldValueListEh();
    ~TDatasetFieldValueListEh() override;

    TStrings* GetValues() override;
    void SetFilter(const String& Filter) override;

    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    TDataSet* DataSet() const;
    void SetDataSet(TDataSet* Value);
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TStrings* Values() { return GetValues(); }
    bool DataObsoleted() const { return FDataObsoleted; }

protected:
    virtual void DataEventReceived(TDataEvent Event, NativeInt Info);

private:
    void RebuildValues();

    std::unique_ptr<TStringList> FValues;
    bool FDataObsoleted = false;
    String FFieldName;
    std::unique_ptr<TDataLinkEh> FDataLink;
    std::unique_ptr<TDataSource> FDataSource;
};
