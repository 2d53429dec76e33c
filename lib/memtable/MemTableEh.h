#pragma once
// The memory table: a data set whose records live in a record store (TMemTableDataEh) and are
// seen through a filtered and sorted records view (TRecordsViewEh), with its companions (blob
// streams, tree settings, extra filters, distinct-value lists, object fields, sorted value lists).
//
// Record buffers handed to the data-set base are 1-based positions in the table's buffer cache.

#include "lib/memtable/MemTableDataEh.h"
#include "lib/toolscore/ToolCtrlsEhTypes.h"
#include "platform/db/DB.h"

#include <array>
#include <memory>
#include <vector>

class TCustomMemTableEh;
class TDataDriverEh;
class TMemTableTreeListEh;
class TMemTableFiltersEh;
class TMemTableFilterItemEh;
class TSortedVarlistEh;
class TStringList;

enum TMemTableOptionEh { mtoPersistentStructEh, mtoTextFieldsCaseInsensitive };
using TMemTableOptionsEh = TSet<TMemTableOptionEh>;
enum TMasterDetailSideEh { mdsOnSelfEh, mdsOnProviderEh, mdsOnSelfAfterProviderEh };
enum TLoadMode { lmCopy, lmAppend, lmCopyStructureOnly };
enum TMemTableLoadOptionEh { tloUseCachedUpdatesEh, tloDisregardFilterEh, tloOpenOnLoad };
using TMemTableLoadOptionsEh = TSet<TMemTableLoadOptionEh>;
enum TDfmStreamFormatEh { dfmBinaryEh, dfmTextEh };

// Aggregate function flags of GetAggregatedValuesForRange (bit values).
enum : int { agfSumEh = 1, agfCountEh = 2, agfAvgEh = 4, agfMinEh = 8, agfMaxEh = 16 };

using TMemTableChangeFieldValueEventEh =
    TEvent<void(TCustomMemTableEh* MemTable, TField* Field, Variant& Value)>;
using TMTTreeNodeExpandingEventEh = TEvent<void(TObject* Sender, int RecNo, bool& AllowExpansion)>;
using TRecordsViewTreeNodeExpandingEventEh =
    TEvent<void(TObject* Sender, TMemRecViewEh* Node, bool& AllowExpansion)>;
using TRecordsViewTreeNodeExpandedEventEh = TEvent<void(TObject* Sender, TMemRecViewEh* Node)>;
using TRecordsViewCheckMoveNodeEventEh = TEvent<bool(TObject* Sender, TMemRecViewEh* SourceNode,
                                                     TMemRecViewEh* AppointedParent, int AppointedIndex)>;

// ---------------------------------------------------------------------------------------------
// A record buffer of the table.
class TMTRecBuf {
public:
    bool InUse = false;
    Integer Bookmark = 0;
    TBookmarkFlag BookmarkFlag = bfCurrent;
    int RecordStatus = -2;
    int RecordNumber = -2;
    bool NewTreeNodeExpanded = false;
    bool NewTreeNodeHasChildren = false;
    TMemRecViewEh* RecView = nullptr;
    TMemoryRecordEh* MemRec = nullptr;
    std::vector<Variant> Values;
    bool UseMemRec = false;
    bool NeedUpdateCalcFields = false;

    void GetValue(TField* Field, Variant& Value) const;
    // The stored value GetValue would read, in place; nullptr where it reads anything else.
    const Variant* StoredValue(TField* Field) const;
    void SetValue(TField* Field, const Variant& Value);
    void GetOldValue(TField* Field, Variant& Value) const;
    int ReadValueCount() const { return int(Values.size()); }
    void SetLength(int Len);
    void Clear();
    void BufBookmarkAsTBookmark(TBookmark& ABookmark) const;
    // Fields of the buffer's table (set by the table; needed for the copy on first write).
    TFields* FieldsList = nullptr;
};

// A sort order of table fields (FieldIndex is a position in the table's Fields).
class TMTOrderByList : public TOrderByList {
    KVT_CLASS(TMTOrderByList, TOrderByList)
};

// ---------------------------------------------------------------------------------------------
// The link from a detail table to its master's data source.
class TMasterDataLinkEh : public TDetailDataLink {
    KVT_CLASS(TMasterDataLinkEh, TDetailDataLink)
public:
    explicit TMasterDataLinkEh(TDataSet* ADataSet);
    ~TMasterDataLinkEh() override;
    const String& FieldNames() const { return FFieldNames; }
    void SetFieldNames(const String& Value);
    const std::vector<TField*>& Fields() const { return FFields; }
    TNotifyEvent OnMasterChange;
    TNotifyEvent OnMasterDisable;

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void LayoutChanged() override { ActiveChanged(); }
    void RecordChanged(TField* Field) override;
    TDataSet* GetDetailDataSet() override { return FDataSet; }

private:
    TDataSet* FDataSet;
    String FFieldNames;
    std::vector<TField*> FFields;
};

// ---------------------------------------------------------------------------------------------
// Companions

// Reads and writes a blob or memo field of the current record; stores a written value when freed.
class TMemBlobStreamEh : public TMemoryStream {
    KVT_CLASS(TMemBlobStreamEh, TMemoryStream)
public:
    TMemBlobStreamEh(TBlobField* Field, TBlobStreamMode Mode);
    ~TMemBlobStreamEh() override;
    Integer Write(const void* Buffer, Integer Count) override;
    void Truncate();
    void SetSize(Int64 NewSize) override;

private:
    void ReadBlobData();
    Variant DataAsValue() const;
    TBlobField* FField;
    TCustomMemTableEh* FDataSet;
    TMTRecBuf* FBuffer = nullptr;
    int FFieldNo = -1;
    bool FModified = false;
};

class TMemTableTreeListEh : public TPersistent {
    KVT_CLASS(TMemTableTreeListEh, TPersistent)
public:
    explicit TMemTableTreeListEh(TCustomMemTableEh* AMemTable);
    bool Active() const;
    void SetActive(bool Value);
    String KeyFieldName() const;
    void SetKeyFieldName(const String& Value);
    String RefParentFieldName() const;
    void SetRefParentFieldName(const String& Value);
    bool DefaultNodeExpanded() const;
    void SetDefaultNodeExpanded(bool Value);
    bool DefaultNodeHasChildren() const;
    void SetDefaultNodeHasChildren(bool Value);
    bool FullBuildCheck() const;
    void SetFullBuildCheck(bool Value);
    bool FilterNodeIfParentVisible() const;
    void SetFilterNodeIfParentVisible(bool Value);
    virtual bool Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options);
    virtual void FullCollapse();
    virtual void FullExpand();
    TCustomMemTableEh* MemTable() const { return FMemTable; }
    bool LoadingActive() const { return FLoadingActive; }

private:
    TMemoryTreeListEh* Tree() const;
    TCustomMemTableEh* FMemTable;
    bool FLoadingActive = false;
};

// The sorted distinct display texts of one field of a memory table's store.
class TMemTableDataFieldValueListEh : public IMemTableDataFieldValueListEh {
public:
    explicit TMemTableDataFieldValueListEh(TDataSet* ADataSet);
    ~TMemTableDataFieldValueListEh() override;
    TStrings* GetValues() override;
    void SetFilter(const String& Filter) override;
    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    TComponent* DataObject() const;
    void SetDataObject(TComponent* Value);
    virtual void SetDataObsoleted() { FDataObsoleted = true; }
    bool DataObsoleted() const { return FDataObsoleted; }

private:
    void RefreshValues();
    std::unique_ptr<TStringList> FValues;
    bool FDataObsoleted = true;
    String FFieldName;
    std::unique_ptr<TRecordsListNotificatorEh> FNotificator;
    std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
    String FFilter;
    TDataSet* FDataSet;
};

// A field whose value is an object reference (carried as a pointer-sized object variant).
class TRefObjectField : public TField {
    KVT_CLASS(TRefObjectField, TField)
public:
    explicit TRefObjectField(TComponent* AOwner);
    TObject* Value();
    void SetValue(TObject* Value);
    void CheckTypeSize(int /*Value*/) override {}
    int GetDataSize() const override { return 0; }

protected:
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    bool AcceptsFieldType(TFieldType) const override { return true; }
};

class TSortedVarItemEh : public TObject {
    KVT_CLASS(TSortedVarItemEh, TObject)
public:
    explicit TSortedVarItemEh(const Variant& NewValue) : Value(NewValue) {}
    Variant Value;
};

// Values in ascending order (VariantsRelation); equal values are kept.
class TSortedVarlistEh : public TObject {
    KVT_CLASS(TSortedVarlistEh, TObject)
public:
    bool FindKeyValueIndex(const Variant& Value, int& Index) const;
    bool ValueExists(const Variant& Value) const;
    int Add(TSortedVarItemEh* AObject);
    void Insert(int /*Index*/, TSortedVarItemEh* AObject) { Add(AObject); }
    int Count() const { return int(FItems.size()); }
    TSortedVarItemEh* Items(int Index) const { return FItems[size_t(Index)].get(); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TSortedVarItemEh>> FItems;
};

class TMemTableFilterItemEh : public TCollectionItem {
    KVT_CLASS(TMemTableFilterItemEh, TCollectionItem)
public:
    explicit TMemTableFilterItemEh(TCollection* Collection);
    ~TMemTableFilterItemEh() override;
    TMemTableFiltersEh* MemTableFilters() const;
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    const String& Filter() const { return FFilter; }
    void SetFilter(const String& Value);
    const TFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }
    void SetOnFilterRecord(const TFilterRecordEvent& Value);
    bool Filtered() const { return FActive && (!FFilter.isEmpty() || bool(FOnFilterRecord)); }
    void FilterProcChanged();
    void RecreateFilterExpr();
    bool IsCurRecordInFilter(TMemoryRecordEh* Rec);
    void Assign(TPersistent* Source) override;

private:
    friend class TMemTableFiltersEh;
    // The record test with the table already known.
    bool TestRecord(TMemoryRecordEh* Rec, TCustomMemTableEh* Table);
    // Tells the collection that what this item tests may have changed.
    void TestChanged();
    std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
    bool FActive = false;
    String FFilter;
    TFilterRecordEvent FOnFilterRecord;
};

class TMemTableFiltersEh : public TCollection {
    KVT_CLASS(TMemTableFiltersEh, TCollection)
public:
    explicit TMemTableFiltersEh(TCustomMemTableEh* AMemTable);
    ~TMemTableFiltersEh() override;
    TMemTableFilterItemEh* Add() { return static_cast<TMemTableFilterItemEh*>(TCollection::Add()); }
    TMemTableFilterItemEh* Items(int Index) const {
        return static_cast<TMemTableFilterItemEh*>(TCollection::Items(Index));
    }
    void SetItems(int Index, TMemTableFilterItemEh* Value) { Items(Index)->Assign(Value); }
    TMemTableFilterItemEh* GetActiveFilterItem(int Index) const { return FActiveFilterItems[size_t(Index)]; }
    int ActiveFilterCount() const { return int(FActiveFilterItems.size()); }
    int IndexOfFilter(TMemTableFilterItemEh* FilterItem) const;
    bool HasTextActiveFilter() const;
    bool HasEventActiveFilter() const;
    bool IsCurRecordInFilter(TMemoryRecordEh* Rec);
    void RecreateFilterExpr();
    TCustomMemTableEh* MemTable() const { return FMemTable; }
    TPersistent* GetOwner() override;
    TNotifyEvent OnChanged;

protected:
    void Update(TCollectionItem* Item) override;
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
    friend class TMemTableFilterItemEh;
    TMemTableFilterItemEh* F(int Index) const;
    // The items that test records and whether one of them has a record event, taken again after
    // the items change rather than for every record tested.
    void TakeTestItems() const;
    std::vector<TMemTableFilterItemEh*> FActiveFilterItems;
    TCustomMemTableEh* FMemTable;
    mutable std::vector<TMemTableFilterItemEh*> FTestItems;
    mutable bool FTestItemsHaveEvent = false;
    mutable bool FTestItemsTaken = false;
};

// ---------------------------------------------------------------------------------------------
// The memory table.
class TCustomMemTableEh : public TDataSet, public IMemTableEh {
    KVT_CLASS(TCustomMemTableEh, TDataSet)
public:
    explicit TCustomMemTableEh(TComponent* AOwner);
    ~TCustomMemTableEh() override;
    void BeforeDestruction() override;

    // --- structure, opening and closing ------------------------------------------------------
    void CreateDataSet();
    void DestroyTable();
    void CopyStructure(TDataSet* Source);
    void DriverStructChanged();
    void FetchParams() {}
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void ReadState(TReader* Reader) override;
    void GetChildren(TGetChildProc Proc, TComponent* Root) override;
    std::unique_ptr<TIndexDefs> PSGetIndexDefs(TIndexOptions IndexTypes) override;

    TMemTableOptionsEh Options() const { return FOptions; }
    void SetOptions(TMemTableOptionsEh Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool StoreDefs() const { return FStoreDefs; }
    void SetStoreDefs(bool Value) { FStoreDefs = Value; }
    TParams* Params() const { return FParams.get(); }
    void SetParams(TParams* Value);
    TAutoIncrementEh* AutoIncrement() const;
    void SetAutoIncrement(TAutoIncrementEh* Value);
    bool FetchAllOnOpen() const { return FFetchAllOnOpen; }
    void SetFetchAllOnOpen(bool Value) { FFetchAllOnOpen = Value; }
    TMemTableDataEh* MemTableData() const;
    TRecordsViewEh* RecordsView() const { return FRecordsView.get(); }
    TMemTableTreeListEh* TreeList() const { return FTreeList.get(); }
    TMemTableFiltersEh* ExtraFilters() const { return FExtraFilters.get(); }
    void SetExtraFilters(TMemTableFiltersEh* Value);
    TUpdateStatusSet StatusFilter() const;
    void SetStatusFilter(TUpdateStatusSet Value);
    TDataSource* GetDataSource() override;

    // --- navigation and editing --------------------------------------------------------------
    bool IsSequenced() override { return true; }
    void SetRecNo(int Value) override;
    void Resync(TResyncMode Mode) override;
    TBookmark GetBookmark() override;
    TBookmarkStr GetBookmarkStr() override;
    bool BookmarkValid(const TBookmark& Bookmark) override;
    int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) override;
    int BookmarkToRecNo(const TBookmark& Bookmark) const;
    int BookmarkStrToRecNo(const TBookmarkStr& Bookmark) const;
    int UniBookmarkToRecNo(const TBookmark& Bookmark) const { return BookmarkToRecNo(Bookmark); }
    TMemRecViewEh* BookmarkToRec(const TBookmark& Bookmark);
    bool UniBookmarkValid(const TBookmark& Bookmark) { return BookmarkValid(Bookmark); }
    bool BookmarkStrValid(const TBookmarkStr& Bookmark);
    TBookmark RecNoToBookmark(int RecNo) const;
    TBookmarkStr RecNoToBookmarkStr(int RecNo) const;
    bool GotoRec(TMemoryRecordEh* Rec);
    bool GotoRec(TObject* Rec) override;
    void EmptyTable();
    virtual int ApplyUpdates(int MaxErrors);
    void CancelUpdates();
    void MergeChangeLog();
    bool HasCachedChanges() const;
    void RevertRecord();
    TUpdateStatus UpdateStatus() override;
    TUpdateErrorEh* UpdateError();
    bool CachedUpdates() const;
    void SetCachedUpdates(bool Value);
    void BeginRecordsViewUpdate() { ++FRecordsViewUpdating; }
    void EndRecordsViewUpdate(bool AResync);
    TMemoryRecordEh* Rec();
    TMemRecViewEh* RecView();
    // The value stored for a data field of the active record, in place: what reading the field
    // converts, when nothing else (a value hook, old values, a field's validation handler)
    // stands between. nullptr otherwise.
    const Variant* StoredFieldValue(TField* Field);

    // --- sorting, filtering, searching -------------------------------------------------------
    const String& SortOrder() const { return FSortOrder; }
    void SetSortOrder(const String& Value);
    void SortByFields(const String& SortByStr);
    virtual void SortByOrderText(const String& Text);
    virtual void ApplySortOrder();
    virtual int CompareRecordsByOrder(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2,
                                      TOrderByList* OrderByList);
    virtual int CompareTreeNodeRecords(TMemRecViewEh* Node1, TMemRecViewEh* Node2, TOrderByList* OrderByList);
    static int CompareVarValues(const Variant& V1, const Variant& V2, bool CaseInsensitive);
    // One value per item of a list of this table's fields, read through instant read so that
    // calculated and lookup fields have their values.
    void ReadSortKeys(TMemoryRecordEh* Rec, TOrderByList* OrderByList, std::vector<Variant>& Keys);
    TMTOrderByList* RecordsViewParseOrderByStr(const String& Text);
    bool RecordsViewFilterRecord(TMemoryRecordEh* Rec, TMemRecViewEh* Node);
    void SetFiltered(bool Value) override;
    void SetFilterText(const String& Value) override;
    void SetOnFilterRecord(const TFilterRecordEvent& Value) override;
    void SetFilterOptions(TFilterOptions Value) override;
    int FindRec(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options, int StartRecIndex,
                bool TryUseIndex);
    bool Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) override;
    Variant Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields) override;
    Variant LookupAll(const String& KeyFields, const Variant& KeyValues, const String& ResultFields,
                      TLocateOptions Options);
    static bool VarEquals(const Variant& A, const Variant& B);
    bool AggregatesActive() const;
    void SetAggregatesActive(bool Value);
    Variant GetAggregateValue(TField* Field) override;
    void ResetAggField(TField* Field) override;
    void GetAggregatedValuesForRange(const TBookmark& FromBM, const TBookmark& ToBM, const String& FieldName,
                                     Variant (&ResultArr)[5], Byte AggrFuncs) override;
    TObject* AddExtraFilter(const String& Filter, const TFilterRecordEvent& OnFilterRecord) override;
    bool UpdateExtraFilter(TObject* Item, const String& Filter,
                           const TFilterRecordEvent& OnFilterRecord) override;
    bool RemoveExtraFilter(TObject* Item) override;
    void GetLikeWildcardForOneCharacter(String& Wildcard) override { Wildcard = QStringLiteral("_"); }
    void GetLikeWildcardForSeveralCharacters(String& Wildcard) override { Wildcard = QStringLiteral("%"); }

    // --- master-detail, tree, instant read, view events --------------------------------------
    TDataSource* MasterSource() const;
    void SetMasterSource(TDataSource* Value);
    String MasterFields() const;
    void SetMasterFields(const String& Value);
    const String& DetailFields() const { return FDetailFields; }
    void SetDetailFields(const String& Value);
    TMasterDetailSideEh MasterDetailSide() const { return FMasterDetailSide; }
    void SetMasterDetailSide(TMasterDetailSideEh Value);
    bool DetailMode() const { return FDetailMode; }
    virtual void UpdateDetailRecList();

    TMemRecViewEh* TreeNode();
    int TreeNodeLevel();
    int TreeNodeChildCount();
    bool TreeNodeExpanded();
    void SetTreeNodeExpanded(bool Value);
    bool TreeNodeHasChildren();
    void SetTreeNodeHasChildren(bool Value);
    bool GetTreeNodeExpanded() override { return TreeNodeExpanded(); }
    bool GetTreeNodeHasVisibleChildren() override;
    int GetTreeNodeLevel() override { return TreeNodeLevel(); }
    int GetPriorRowTreeNodeLevel() override;
    int GetNextRowTreeNodeLevel() override;
    TObject* GetRec() override { return Rec(); }
    bool GetViewAsTreeList() override;
    bool GetTreeNodeHasNextVisibleSibling(int Level) override;
    int SetRowTreeNodeExpanded(int RowNum, bool Expanded) override;

    void InstantReadEnter(int RowNum) override;
    void InstantReadEnter(TMemRecViewEh* RecView, int RowNum);
    void InstantReadEnter(TMemoryRecordEh* MemRec, int RowNum);
    void InstantReadLeave() override;
    bool InstantReadMode() const { return FInstantReadMode; }
    int InstantReadViewRow() override;
    int InstantReadRowCount() override;
    int InstantReadIndexOfBookmark(const TBookmark& Bookmark) override;
    int GetInstantReadCurRow() override;
    int InstantReadCurRow() { return GetInstantReadCurRow(); }

    void MTDisableControls() override { DisableControls(); }
    void MTEnableControls(bool ForceUpdateState) override;
    void RegisterEventReceiver(TComponent* Receiver) override;
    void UnregisterEventReceiver(TComponent* Receiver) override;
    virtual void NotifyViewDataEvent(int RowNum, TMTViewEventTypeEh Event, int OldRowNum);
    void DataEvent(TDataEvent Event, NativeInt Info) override;
    void GetFieldValueList(const String& FieldName,
                           std::shared_ptr<IMemTableDataFieldValueListEh>& List) override;

    // --- loading, saving, copying, drivers ---------------------------------------------------
    int LoadFromDataSet(TDataSet* Source, int RecordCount, TLoadMode Mode, bool UseCachedUpdates);
    int SaveToDataSet(TDataSet* Dest, int RecordCount);
    int LoadFromMemTableEh(TCustomMemTableEh* Source, int RecordCount, TLoadMode Mode,
                           TMemTableLoadOptionsEh LoadOptions);
    void SaveToFile(const String& FileName, TDfmStreamFormatEh Format = dfmBinaryEh);
    void LoadFromFile(const String& FileName);
    TCustomMemTableEh* ExternalMemData() const { return FExternalMemData; }
    void SetExternalMemData(TCustomMemTableEh* Value);
    TDataDriverEh* DataDriver() const { return FDataDriver; }
    void SetDataDriver(TDataDriverEh* Value);
    int FetchRecords(int Count) override;
    void RefreshRecord();
    bool MoveRecord(int FromIndex, int ToIndex, int TreeLevel, bool CheckOnly);
    bool MoveRecords(std::vector<TBookmark>& BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly);
    bool MoveRecords(TBMListEh* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly) override;

    // --- field data --------------------------------------------------------------------------
    bool GetFieldData(TField* Field, TValueBuffer* Buffer) override;
    bool GetFieldData(int FieldNo, TValueBuffer* Buffer) override;
    bool GetFieldData(TField* Field, TValueBuffer* Buffer, bool NativeFormat) override;
    void SetFieldData(TField* Field, const TValueBuffer* Buffer) override;
    void SetFieldData(TField* Field, const TValueBuffer* Buffer, bool NativeFormat) override;
    virtual bool GetFieldDataAsObject(TField* Field, TObject*& Value);
    virtual bool GetFieldValue(TField* Field, Variant& Value);
    virtual void SetFieldDataAsObject(TField* Field, TObject* Value);
    Variant CalcLookupValue(TField* AField);
    TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode) override;
    void CloseBlob(TField*) override {}
    TFieldClass GetFieldClass(TFieldType FieldType) override;
    bool GetCurrentRecord(TRecordBuffer) override { return false; }
    virtual bool FindActiveRecordBuffer(TMTRecBuf*& Buf, bool Force);
    TMTRecBuf* RecBuf(TRecordBuffer Handle) const;

    // --- events ------------------------------------------------------------------------------
    TMemTableChangeFieldValueEventEh OnGetFieldValue;
    TMemTableChangeFieldValueEventEh OnSetFieldValue;
    TMTTreeNodeExpandingEventEh OnTreeNodeExpanding;
    TRecordsViewTreeNodeExpandingEventEh OnRecordsViewTreeNodeExpanding;
    TRecordsViewTreeNodeExpandedEventEh OnRecordsViewTreeNodeExpanded;
    TRecordsViewCheckMoveNodeEventEh OnRecordsViewCheckMoveNode;

    // Whether the view has the record's node among its current rows (tree: visible rows).
    int ViewRowCount() const;
    TMemoryRecordEh* ViewRowRec(int Row) const;
    TMemRecViewEh* ViewRowNode(int Row) const;
    // The node a record buffer of the row starts with: plain rows of a view without calculated
    // fields have none until BufRecView asks for it.
    TMemRecViewEh* BufferRowNode(int Row) const;
    TMemRecViewEh* BufRecView(TMTRecBuf* Buf) const;
    int ViewRowOfRec(TMemoryRecordEh* Rec) const;

protected:
    friend class TMemBlobStreamEh;
    friend class TMemTableTreeListEh;
    friend class TMemTableFiltersEh;
    friend class TMemTableFilterItemEh;

    // Buffers and field data
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& Buffer) override;
    void InternalInitRecord(TRecordBuffer Buffer) override;
    void InitRecord(TRecordBuffer Buffer) override;
    int GetRecordSize() override { return FRecBufSize & 0xFFFF; }
    void CalculateFields(TRecordBuffer Buffer) override;
    void ClearCalcFields(TRecordBuffer Buffer) override;
    void GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data) override;
    void SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override;
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;
    void FillRecBufFromRecord(TMemoryRecordEh* Rec, int RowNum, TMTRecBuf* Buf);
    void CopyRecBuf(TMTRecBuf* Source, TMTRecBuf* Dest);
    virtual void CopyBufferToRecord(TMTRecBuf* Buffer, TMemoryRecordEh* Rec);
    void RecordsViewCalcLookupBuffer(TMemoryRecordEh* Rec, TMemRecViewEh* Node);
    void EnsureLookupBuffer(TMemRecViewEh* Node);

    // Cursor
    bool IsCursorOpen() override { return FActive; }
    void OpenCursor(bool InfoQuery = false) override;
    void InternalOpen() override;
    void InternalClose() override;
    void InternalHandleException() override;
    void InternalInitFieldDefs() override;
    void CreateFields() override;
    void BindFields(bool Binding) override { TDataSet::BindFields(Binding); }
    void DefChanged(TObject* Sender) override;
    void UpdateIndexDefs() override;
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalGotoBookmark(const TBookmark& Bookmark) override;
    void InternalSetToRecord(TRecordBuffer Buffer) override;
    int GetRecordCount() override;
    int GetRecNo() override;
    bool GetCanModify() override { return !FReadOnly; }
    void InternalInsert() override;
    void DoOnNewRecord() override;
    void InternalPost() override;
    void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
    void InternalCancel() override;
    void InternalDelete() override;
    void InternalRefresh() override;
    virtual int ApplyCachedUpdates(TMemTableDataEh* AMemTableData, int MaxErrors);
    virtual void CreateIndexesFromDefs();

    void ClearRecords();
    void PrepareFieldDefs();
    void SetStructAutoIncField();
    void RecordsViewStructChanged(TMemTableDataEh* AMemTableData);
    void RecordsViewDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    void RecordsViewRecordMoved(TMemoryRecordEh* Item, int OldIndex, int NewIndex);
    void RecordsViewApplyUpdates(TMemTableDataEh* AMemTableData);
    int FetchRecordsFromDriver(int Count);
    const std::vector<TMemoryRecordEh*>* GetPrefilteredList();
    bool TreeListExpandedChanging(TBaseTreeNodeEh* Node);
    void TreeListExpandedChanged(TBaseTreeNodeEh* Node);
    void UpdateDetailMode(bool Refresh);
    void MasterChanged(TObject* Sender);
    void SetReaderParamsFromMaster();
    void RefreshFromProvider();
    int InstantRowOfViewRow(int Row) const;
    void CompileFilter();
    void RefilterAfterChange();
    Variant MasterCurrentValues() const;
    void AttachStore(TMemTableDataEh* Store);

private:
    bool MoveNodeAfter(TMemRecViewEh* Source, TMemRecViewEh* Target, bool CheckOnly);
    bool MoveNodeBefore(TMemRecViewEh* Source, TMemRecViewEh* Target, bool CheckOnly);
    bool MoveNodeAsChild(TMemRecViewEh* Source, TMemRecViewEh* Target, bool CheckOnly);
    bool DoMoveNode(TMemRecViewEh* Source, const Variant& NewRef, TMemRecViewEh* AppointedParent,
                    int AppointedIndex, int MoveToListIndex, bool CheckOnly);
    bool KeyMatches(int Row, const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                    TLocateOptions Options);
    TMTRecBuf* FilterBuf();
    TMTRecBuf* StateBuf();

    bool FStateInsert = false;
    std::vector<TComponent*> FEventReceivers;
    std::vector<std::unique_ptr<TMTRecBuf>> FRecordCache;
    bool FActive = false;
    int FAutoInc = 1;
    std::vector<int> FCalcFieldIndexes;
    TDataDriverEh* FDataDriver = nullptr;
    TDataSet* FDataSetReader = nullptr;
    std::vector<TField*> FDetailFieldList;
    String FDetailFields;
    bool FDetailMode = false;
    bool FFetchAllOnOpen = false;
    std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
    std::vector<TRecordBuffer> FInstantBuffers;
    int FInstantReadCurRowNum = -1;
    TMasterDetailSideEh FMasterDetailSide = mdsOnSelfEh;
    Variant FMasterValues;
    std::unique_ptr<TParams> FParams;
    bool FReadOnly = false;
    int FRecBufSize = -1;
    int FRecordPos = -1;
    std::unique_ptr<TRecordsViewEh> FRecordsView;
    std::unique_ptr<TMemTableTreeListEh> FTreeList;
    bool FStoreDefs = false;
    std::vector<TMemoryRecordEh*> FDetailRecList;
    bool FDetailRecListActive = false;
    TMemTableDataEh* FInternMemTableData = nullptr;
    TCustomMemTableEh* FExternalMemData = nullptr;
    int FRecordsViewUpdating = 0;
    bool FRecordsViewUpdated = false;
    std::unique_ptr<TSortedVarlistEh> FMasterValList;
    String FSortOrder;
    int FMTViewDataEventInactiveCount = 0;
    int FInactiveEventRowNum = -1;
    TMTViewEventTypeEh FInactiveEvent = mtViewDataChangedEh;
    int FInactiveEventOldRowNum = -1;
    bool FOldControlsDisabled = false;
    bool FOldActive = false;
    TMemTableOptionsEh FOptions;
    std::unique_ptr<TMemTableFiltersEh> FExtraFilters;
    bool FInstantReadMode = false;
    std::unique_ptr<TMasterDataLinkEh> FMasterDataLink;
    String FAutoIncrementFieldName;
    bool FInLoaded = false;
    TRecordBuffer FFilterBufHandle = 0;
    TRecordBuffer FStateBufHandle = 0;
    bool FTornDown = false;
    int CurInstantRow();
};

// The table users place: publishes the properties.
class TMemTableEh : public TCustomMemTableEh {
    KVT_CLASS(TMemTableEh, TCustomMemTableEh)
public:
    explicit TMemTableEh(TComponent* AOwner = nullptr) : TCustomMemTableEh(AOwner) {}
    ~TMemTableEh() override = default;
};
