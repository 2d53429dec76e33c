#pragma once
// Sums, averages and counts over all records of a data set, kept current while records are
// edited, inserted and deleted. A memory table computes the aggregates itself; any other data
// set is walked once and then followed through its events, which the producer hooks while it is
// active (the data set's own handlers are kept and still called). For data sets that cannot
// number their records, the producer can keep the records' bookmarks in record order and answer
// record numbers and a record count from them.
//
// Values are Currency (four decimals, halves to even). An average is its running sum over the
// number of non-Null values, and 0 while there are none.

#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/classes/Classes.h"
#include "platform/db/DB.h"

enum TGroupOperation { goSum, goAvg, goCount };

class TDBSumListProducer;
struct TPropInfo;

class TDBSum : public TCollectionItem {
    KVT_CLASS(TDBSum, TCollectionItem)
public:
    explicit TDBSum(TCollection* Collection);
    void Assign(TPersistent* Source) override;

    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    TGroupOperation GroupOperation() const { return FGroupOperation; }
    void SetGroupOperation(TGroupOperation Value);

    // The contribution of the record being edited or inserted, taken before the change.
    Currency Value;
    // For sums and averages: the field value before the edit (Null for an inserted record).
    Variant VarValue = Null();
    // The result: the sum, the average or the count.
    Currency SumValue;

    int NotNullRecordCount() const { return FNotNullRecordCount; }
    Currency SumValueAsSum() const { return FSumValueAsSum; }

private:
    friend class TDBSumListProducer;
    String FFieldName;
    TGroupOperation FGroupOperation = goSum;
    int FNotNullRecordCount = 0;
    Currency FSumValueAsSum;
};

class TDBSumCollection : public TCollection {
    KVT_CLASS(TDBSumCollection, TCollection)
public:
    TDBSumCollection(TPersistent* AOwner, TCollectionItemClass ItemClass);
    TPersistent* GetOwner() override { return FOwner; }
    TDBSum* Items(int Index) const;
    // The first aggregate of that operation whose field name equals AFieldName ignoring case.
    TDBSum* GetSumByOpAndFName(TGroupOperation AGroupOperation, const String& AFieldName) const;

protected:
    void Update(TCollectionItem* Item) override;

private:
    TPersistent* FOwner;
};

// The bookmarks of the producer's data set in record order (the virtual record list).
class TSLBookmarkListEh : public TBMListEh {
    KVT_CLASS(TSLBookmarkListEh, TBMListEh)
public:
    explicit TSLBookmarkListEh(TDBSumListProducer* ASumListProducer) : FSumListProducer(ASumListProducer) {}

protected:
    TDataSet* ReadDataSet() override;

private:
    TDBSumListProducer* FSumListProducer;
};

class TDBSumListProducer : public TPersistent {
    KVT_CLASS(TDBSumListProducer, TPersistent)
public:
    explicit TDBSumListProducer(TComponent* AOwner);
    ~TDBSumListProducer() override;
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override { return FOwner; }

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    void Activate(bool ARecalcAll);
    void Deactivate(bool AClearSumValues);
    void ActivateWhenReady();
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    bool ExternalRecalc() const { return FExternalRecalc; }
    void SetExternalRecalc(bool Value);
    bool VirtualRecords() const { return FVirtualRecords; }
    void SetVirtualRecords(bool Value);
    TDBSumCollection* SumCollection() const { return FSumCollection.get(); }
    void SetSumCollection(TDBSumCollection* Value);
    int RecNo() { return ReadRecNo(); }
    void SetRecNo(int Value) { WriteRecNo(Value); }
    bool DesignTimeWork() const { return FDesignTimeWork; }
    void SetDesignTimeWork(bool Value) { FDesignTimeWork = Value; }
    // The data set of the data source in the data set's "MasterSource" property, when hooked.
    TDataSet* MasterDataSet() const { return FMasterDataset; }
    // The virtual record list (bookmarks in record order).
    TBMListEh* VirtualRecList() const { return FVirtualRecList.get(); }

    virtual bool IsSequenced();
    virtual int RecordCount();
    virtual void ClearSumValues();
    virtual void RecalcAll();

    TNotifyEvent SumListChanged;
    TNotifyEvent OnAfterRecalcAll;
    TNotifyEvent OnRecalcAll;

    // True while a full recalculation walks the records.
    bool Changing = false;
    // The data set's filter text and state at the end of the last full recalculation.
    String Filter;
    bool Filtered = false;

    virtual void HandleAfterCancel(TDataSet* DataSet);
    virtual void HandleAfterClose(TDataSet* DataSet);
    virtual void HandleAfterEdit(TDataSet* DataSet);
    virtual void HandleAfterInsert(TDataSet* DataSet);
    virtual void HandleAfterOpen(TDataSet* DataSet);
    virtual void HandleAfterPost(TDataSet* DataSet);
    virtual void HandleAfterScroll(TDataSet* DataSet);
    virtual void HandleBeforeDelete(TDataSet* DataSet);
    void HandleMasterAfterScroll(TDataSet* DataSet);

protected:
    virtual int ReadRecNo();
    virtual int IndexOfVirtualRecord(const TBookmark& Bookmark);
    virtual void WriteRecNo(int Value);
    virtual void ResetDataSetEvents();
    virtual void RecalcAllForIntMemTable();
    virtual void SetDataSetEvents();

    bool OwnerLoading() const;
    bool OwnerDesigning() const;
    bool EventsOverloaded() const { return FEventsOverloaded; }
    void SetEventsOverloaded(bool Value) { FEventsOverloaded = Value; }
    void FireSumListChanged();

private:
    friend class TDBSumCollection;
    bool VirtualRecordsInUse();
    void RecomputeAverage(TDBSum* Sum);

    bool FVirtualRecords = false;
    bool FActive = false;
    TDataSet* FDataSet = nullptr;
    bool FDesignTimeWork = false;
    bool FEventsOverloaded = false;
    bool FExternalRecalc = false;
    TDataSet* FMasterDataset = nullptr;
    const TPropInfo* FMasterPropInfo = nullptr;
    int FOldRecNo = -1;
    TComponent* FOwner;
    std::unique_ptr<TDBSumCollection> FSumCollection;
    bool FTryedInsert = false;
    std::unique_ptr<TSLBookmarkListEh> FVirtualRecList;
    bool FDataSetChanging = false;
    TDataSetNotifyEvent OldAfterCancel, OldAfterClose, OldAfterEdit, OldAfterInsert, OldAfterOpen,
        OldAfterPost, OldAfterScroll, OldBeforeDelete, OldMasterAfterScroll;
};

// The data grid's sum list: inactive until switched on, and it recalculates only for a grid
// that has finished loading.
class TDBGridEhSumList : public TDBSumListProducer {
    KVT_CLASS(TDBGridEhSumList, TDBSumListProducer)
public:
    explicit TDBGridEhSumList(TComponent* AOwner);
    void RecalcAll() override;

protected:
    void ResetDataSetEvents() override;
    void SetDataSetEvents() override;
};
