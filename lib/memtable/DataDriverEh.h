#pragma once
// The data driver of a memory table: hands the table a reader data set, builds its structure,
// reads rows into records on demand, refreshes records and resolves the change log into a
// provider data set.

#include "lib/memtable/MemTableDataEh.h"
#include "platform/db/DB.h"

class TDataDriverEh;

enum TUpdateErrorActionEh { ueaBreakAbortEh, ueaBreakRaiseEh, ueaCountinueEh, ueaRetryEh, ueaCountinueSkip };

using TDataDriverAssignFieldValueEhEvent =
    TEvent<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                int DataFieldIndex, TDataValueVersionEh DataValueVersion, TDataSet* ReaderDataSet)>;
using TDataDriverBuildDataStructEhEvent =
    TEvent<void(TDataDriverEh* DataDriver, TMTDataStructEh* DataStruct)>;
using TDataDriverProduceDataReaderEhEvent =
    TEvent<void(TDataDriverEh* DataDriver, TDataSet*& DataReader, bool& FreeOnEof)>;
using TDataDriverReadRecordEhEvent = TEvent<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData,
                                                 TMemoryRecordEh* MemRec, bool& ProviderEOF)>;
using TDataDriverRecordEhEvent =
    TEvent<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)>;
using TDataDriverUpdateErrorEhEvent = TEvent<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData,
                                                  TMemoryRecordEh* MemRec, TUpdateErrorActionEh& Action)>;

// The link between a driver and the memory table that uses it.
class IDataDriverConsumerEh {
public:
    static constexpr TGUID IID{0xE390BBF2, 0x666F, 0x43D7, {0x8C, 0xC8, 0x1F, 0xA2, 0xBA, 0x82, 0x63, 0xD1}};
    virtual ~IDataDriverConsumerEh() = default;
    virtual void SetDataDriverConsumer(TObject* Value) = 0;
    virtual TObject* GetDataDriverConsumer() = 0;
};

class TDataDriverEh : public TComponent, public IDataDriverConsumerEh {
    KVT_CLASS(TDataDriverEh, TComponent)
public:
    explicit TDataDriverEh(TComponent* AOwner = nullptr);
    ~TDataDriverEh() override;
    void BeforeDestruction() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    virtual void AdjustDataStruct(TFields* /*Fields*/, TMTDataStructEh* /*DataStruct*/) {}
    virtual bool ConnectionIsPostponed() { return false; }
    virtual void AddPostponedActivationDataSet(TDataSet* /*ADataSet*/) {}
    virtual int ApplyUpdates(TMemTableDataEh* MemTableData);
    virtual int DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec);
    virtual TDataSet* GetDataReader();
    virtual int ReadData(TMemTableDataEh* MemTableData, int Count);
    virtual bool RefreshReaderParamsFromCursor(TDataSet* DataSet);
    virtual void AssignFieldValue(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec, int DataFieldIndex,
                                  TDataValueVersionEh DataValueVersion, TDataSet* ReaderDataSet);
    virtual void UpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec);
    virtual void ConsumerClosed(TDataSet* ConsumerDataSet);
    virtual void DefaultAssignFieldValue(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                         int DataFieldIndex, TDataValueVersionEh DataValueVersion,
                                         TDataSet* ReaderDataSet);
    virtual void DefaultBuildDataStruct(TMTDataStructEh* DataStruct);
    virtual void DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof);
    virtual void DefaultReadRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* Rec, bool& ProviderEOF);
    virtual void DefaultUpdateError(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                                    TUpdateErrorActionEh& Action);
    virtual void DefaultRefreshRecord(TMemoryRecordEh* MemRecord);
    virtual void BuildDataStruct(TMTDataStructEh* DataStruct);
    virtual void RefreshRecord(TMemoryRecordEh* MemRecord);
    virtual void RefreshReader();
    virtual void SetReaderParamsFromCursor(TDataSet* DataSet);

    void SetDataDriverConsumer(TObject* Value) override { FDataDriverConsumer = Value; }
    TObject* GetDataDriverConsumer() override { return FDataDriverConsumer; }

    const String& KeyFields() const { return FKeyFields; }
    void SetKeyFields(const String& Value) { FKeyFields = Value; }
    TDataSet* ProviderDataSet() const { return FProviderDataSet; }
    void SetProviderDataSet(TDataSet* Value);
    bool ProviderEOF() const { return FProviderEOF; }
    void SetProviderEOF(bool Value);
    bool ResolveToDataSet() const { return FResolveToDataSet; }
    void SetResolveToDataSet(bool Value) { FResolveToDataSet = Value; }

    TDataDriverAssignFieldValueEhEvent OnAssignFieldValue;
    TDataDriverBuildDataStructEhEvent OnBuildDataStruct;
    TDataDriverProduceDataReaderEhEvent OnProduceDataReader;
    TDataDriverReadRecordEhEvent OnReadRecord;
    TDataDriverRecordEhEvent OnRefreshRecord;
    TDataDriverUpdateErrorEhEvent OnUpdateError;
    TDataDriverRecordEhEvent OnUpdateRecord;

protected:
    String FKeyFields;
    TDataSet* FProviderDataSet = nullptr;
    bool FProviderEOF = false;
    TDataSet* FReaderDataSet = nullptr;
    bool FReaderDataSetFreeOnEof = false;
    bool FResolveToDataSet = true;
    TObject* FDataDriverConsumer = nullptr;
    std::vector<int> FDataToRecFields;
};

// Field types that make up a default key.
extern TFieldTypes KeyFieldDataTypes;

int DataSetCompareBookmarks(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2);
bool DataSetBookmarkValid(TDataSet* DataSet, const TBookmark& Bookmark);
