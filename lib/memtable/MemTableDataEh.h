#pragma once
// The record store of a memory table: field structure, records with their change log, key
// indexes, the store container with its component-stream form, the filter and aggregate
// expression evaluator, the records view and the record tree.

#include "lib/memtable/HugePageAllocatorEh.h"
#include "lib/memtable/MemTreeEh.h"
#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/classes/Classes.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/Variant.h"

#include <memory>
#include <unordered_map>
#include <vector>

class TDataSet;
class TField;
class TFieldDefs;
class TFields;
class TReader;
class TWriter;
struct TExprNode;

class TMemTableDataEh;
class TMTDataStructEh;
class TMTDataFieldEh;
class TMemoryRecordEh;
class TRecordsListEh;
class TMTIndexesEh;
class TRecordsViewEh;
class TMemRecViewEh;
class TMemoryTreeListEh;
class TRecordsListNotificatorEh;

using TRecDataValues = std::vector<Variant>;
// A list of records as large as a store.
using TMemRecListEh = TBigVectorEh<TMemoryRecordEh*>;

// Old values and values before an edit: most records never have them.
using TSpareRecValuesEh = TSpareVectorEh<Variant>;
using TMTDataFieldClassEh = TMTDataFieldEh* (*)(TComponent* Owner);

enum TRecordsListNotification {
    rlnRecAddingEh,
    rlnRecAddedEh,
    rlnRecChangingEh,
    rlnRecChangedEh,
    rlnRecDeletingEh,
    rlnRecDeletedEh,
    rlnListChangingEh,
    rlnListChangedEh,
    rlnRecMarkingForDelEh,
    rlnRecMarkedForDelEh
};

enum TDataValueVersionEh {
    dvvOldValueEh,
    dvvCurValueEh,
    dvvEditValueEh,
    dvvValueEh,
    dvvOldestValue,
    dvvRefreshValue
};
enum TRecordEditStateEh { resBrowseEh, resEditEh, resInsertEh };

// ---------------------------------------------------------------------------------------------
// Auto-increment counter
class TAutoIncrementEh : public TPersistent {
    KVT_CLASS(TAutoIncrementEh, TPersistent)
public:
    TAutoIncrementEh() { Reset(); }
    Integer Promote();
    void Reset() { FCurValue = FInitValue; }
    Integer InitValue() const { return FInitValue; }
    void SetInitValue(Integer Value);
    Integer Step() const { return FStep; }
    void SetStep(Integer Value) { FStep = Value; }
    Integer CurValue() const { return FCurValue; }
    void SetCurValue(Integer Value) { FCurValue = Value; }
    void Assign(TPersistent* Source) override;

private:
    Integer FStep = -1;
    Integer FInitValue = -1;
    Integer FCurValue = -1;
};

// ---------------------------------------------------------------------------------------------
// Data fields
class TMTDataFieldEh : public TComponent {
    KVT_CLASS(TMTDataFieldEh, TComponent)
public:
    explicit TMTDataFieldEh(TComponent* AOwner);
    ~TMTDataFieldEh() override;
    void AfterConstruction() override;

    virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
    virtual TFieldType GetDataType() const { return ftUnknown; }
    virtual int GetDefaultWidth() const { return 10; }
    virtual bool CanDinaSize() const { return false; }
    virtual TVarType GetVarDataType() const;
    virtual void AssignDataType(TFieldType FieldType);
    virtual void AssignProps(TField* Field);
    virtual void AssignPropsTo(TField* Field);
    virtual void WriteDataToWriter(const Variant& Value, TWriter* Writer);
    virtual void ReadDataFromReader(Variant& Value, TReader* Reader);
    void Assign(TPersistent* Source) override;

    TComponent* GetParentComponent() const override;
    bool HasParent() const override { return true; }
    void SetParentComponent(TComponent* Value) override;
    void ReadState(TReader* Reader) override;

    TMTDataStructEh* DataStruct() const { return FDataStruct; }
    TFieldType DataType() const { return GetDataType(); }
    TVarType VarDataType() const { return FVarDataType; }
    Int64 FieldId() const { return FFieldId; }
    const String& GUID() const { return FGUID; }
    void SetGUID(const String& Value) { FGUID = Value; }

    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool AutoIncrement() const { return FAutoIncrement; }
    void SetAutoIncrement(bool Value);
    const String& DefaultExpression() const { return FDefaultExpression; }
    void SetDefaultExpression(const String& Value);
    const String& DisplayLabel() const { return FDisplayLabel; }
    void SetDisplayLabel(const String& Value);
    int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
    void SetDisplayWidth(int Value);
    bool DisplayWidthStored() const { return FDisplayWidth > 0; }
    const String& EditMask() const { return FEditMask; }
    void SetEditMask(const String& Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool Required() const { return FRequired; }
    void SetRequired(bool Value);
    int Size() const { return FSize; }
    void SetSize(int Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    int Index() const;
    void SetIndex(int Value);

    // Converts Value to this column's variant type (the store's value rule).
    Variant ConvertValue(const Variant& Value) const;

protected:
    void Changed();
    void RefreshVarDataType() { FVarDataType = GetVarDataType(); }
    template <class T> void SetProp(T& Field, const T& Value) {
        if (Field == Value) return;
        Field = Value;
        Changed();
    }
    String UniqueComponentName(const String& FieldName) const;

    friend class TMTDataStructEh;
    TAlignment FAlignment = taLeftJustify;
    bool FAutoIncrement = false;
    TMTDataStructEh* FDataStruct = nullptr;
    String FDefaultExpression;
    String FDisplayLabel;
    int FDisplayWidth = 0;
    String FEditMask;
    Int64 FFieldId = 0;
    String FFieldName;
    String FGUID;
    bool FReadOnly = false;
    bool FRequired = false;
    int FSize = 0;
    bool FVisible = true;
    TVarType FVarDataType = varEmpty;
};

enum TStringDataFieldTypesEh {
    fdtStringEh,
    fdtFixedCharEh,
    fdtWideStringEh,
    fdtGuidEh,
    fdtFixedWideCharEh,
    fdtOraIntervalEh
};
enum TNumericDataFieldTypesEh {
    fdtSmallintEh,
    fdtIntegerEh,
    fdtWordEh,
    fdtFloatEh,
    fdtCurrencyEh,
    fdtBCDEh,
    fdtAutoIncEh,
    fdtLargeintEh,
    fdtFMTBcdEh,
    fdtLongWordEh,
    fdtShortintEh,
    fdtByteEh,
    fdtExtendedEh
};
enum TDateTimeDataFieldTypesEh { fdtDateEh, fdtTimeEh, fdtDateTimeEh };
enum TInterfaceDataFieldTypesEh { fdtInterfaceEh, fdtIDispatchEh };
enum TVariantDataFieldTypesEh { fdtVariant, fdtBytes, fdtVarBytes };
enum TSQLTimeStampDataFieldTypesEh { fdtTimeStampEh, fdtOraTimeStampEh };

class TMTStringDataFieldEh : public TMTDataFieldEh {
    KVT_CLASS(TMTStringDataFieldEh, TMTDataFieldEh)
public:
    explicit TMTStringDataFieldEh(TComponent* AOwner);
    TFieldType GetDataType() const override;
    int GetDefaultWidth() const override { return std::min(FSize, 100); }
    bool CanDinaSize() const override { return true; }
    void AssignDataType(TFieldType FieldType) override;
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;
    TStringDataFieldTypesEh StringDataType() const { return FStringDataType; }
    void SetStringDataType(TStringDataFieldTypesEh Value);
    bool FixedChar() const { return FFixedChar; }
    void SetFixedChar(bool Value) { SetProp(FFixedChar, Value); }
    bool Transliterate() const { return FTransliterate; }
    void SetTransliterate(bool Value) { SetProp(FTransliterate, Value); }

private:
    bool FFixedChar = false;
    bool FTransliterate = false;
    TStringDataFieldTypesEh FStringDataType = fdtStringEh;
};

class TMTNumericDataFieldEh : public TMTDataFieldEh {
    KVT_CLASS(TMTNumericDataFieldEh, TMTDataFieldEh)
public:
    explicit TMTNumericDataFieldEh(TComponent* AOwner);
    TAlignment DefaultAlignment() const override { return taRightJustify; }
    TFieldType GetDataType() const override;
    int GetDefaultWidth() const override;
    bool CanDinaSize() const override {
        return FNumericDataType == fdtBCDEh || FNumericDataType == fdtFMTBcdEh;
    }
    void AssignDataType(TFieldType FieldType) override;
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;
    TNumericDataFieldTypesEh NumericDataType() const { return FNumericDataType; }
    void SetNumericDataType(TNumericDataFieldTypesEh Value);
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value) { SetProp(FDisplayFormat, Value); }
    const String& EditFormat() const { return FEditFormat; }
    void SetEditFormat(const String& Value) { SetProp(FEditFormat, Value); }
    bool currency() const { return FCurrency; }
    void SetCurrency(bool Value) { SetProp(FCurrency, Value); }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double Value) { SetProp(FMaxValue, Value); }
    double MinValue() const { return FMinValue; }
    void SetMinValue(double Value) { SetProp(FMinValue, Value); }
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value) { SetProp(FPrecision, Value); }
    int Scale() const { return FSize; }
    void SetScale(int Value) { SetSize(Value); }

private:
    String FDisplayFormat, FEditFormat;
    bool FCurrency = false;
    double FMaxValue = 0, FMinValue = 0;
    int FPrecision = 15;
    TNumericDataFieldTypesEh FNumericDataType = fdtIntegerEh;
};

class TMTDateTimeDataFieldEh : public TMTDataFieldEh {
    KVT_CLASS(TMTDateTimeDataFieldEh, TMTDataFieldEh)
public:
    using TMTDataFieldEh::TMTDataFieldEh;
    TFieldType GetDataType() const override;
    int GetDefaultWidth() const override { return 18; }
    void AssignDataType(TFieldType FieldType) override;
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;
    TDateTimeDataFieldTypesEh DateTimeDataType() const { return FDateTimeDataType; }
    void SetDateTimeDataType(TDateTimeDataFieldTypesEh Value);
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value) { SetProp(FDisplayFormat, Value); }

private:
    String FDisplayFormat;
    TDateTimeDataFieldTypesEh FDateTimeDataType = fdtDateTimeEh;
};

class TMTBlobDataFieldEh : public TMTDataFieldEh {
    KVT_CLASS(TMTBlobDataFieldEh, TMTDataFieldEh)
public:
    using TMTDataFieldEh::TMTDataFieldEh;
    TFieldType GetDataType() const override { return FBlobType; }
    void AssignDataType(TFieldType FieldType) override;
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;
    TBlobType BlobType() const { return FBlobType; }
    void SetBlobType(TBlobType Value);
    bool GraphicHeader() const { return FGraphicHeader; }
    void SetGraphicHeader(bool Value) { SetProp(FGraphicHeader, Value); }
    bool Transliterate() const { return FTransliterate; }
    void SetTransliterate(bool Value) { SetProp(FTransliterate, Value); }

private:
    bool FGraphicHeader = false;
    bool FTransliterate = false;
    TBlobType FBlobType = ftUnknown;
};

class TMTBooleanDataFieldEh : public TMTDataFieldEh {
    KVT_CLASS(TMTBooleanDataFieldEh, TMTDataFieldEh)
public:
    using TMTDataFieldEh::TMTDataFieldEh;
    TFieldType GetDataType() const override { return ftBoolean; }
    int GetDefaultWidth() const override { return 5; }
    void AssignDataType(TFieldType FieldType) override;
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;
    const String& DisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const String& Value) { SetProp(FDisplayValues, Value); }

private:
    String FDisplayValues;
};

class TMTInterfaceDataFieldEh : public TMTDataFieldEh {
    KVT_CLASS(TMTInterfaceDataFieldEh, TMTDataFieldEh)
public:
    using TMTDataFieldEh::TMTDataFieldEh;
    TFieldType GetDataType() const override {
        return FInterfaceDataType == fdtIDispatchEh ? ftIDispatch : ftInterface;
    }
    void AssignDataType(TFieldType FieldType) override;
    TInterfaceDataFieldTypesEh InterfaceDataType() const { return FInterfaceDataType; }
    void SetInterfaceDataType(TInterfaceDataFieldTypesEh Value);

private:
    TInterfaceDataFieldTypesEh FInterfaceDataType = fdtInterfaceEh;
};

class TMTVariantDataFieldEh : public TMTDataFieldEh {
    KVT_CLASS(TMTVariantDataFieldEh, TMTDataFieldEh)
public:
    using TMTDataFieldEh::TMTDataFieldEh;
    TFieldType GetDataType() const override;
    int GetDefaultWidth() const override { return 15; }
    bool CanDinaSize() const override { return FVariantDataType != fdtVariant; }
    void AssignDataType(TFieldType FieldType) override;
    TVariantDataFieldTypesEh VariantDataType() const { return FVariantDataType; }
    void SetVariantDataType(TVariantDataFieldTypesEh Value);
    bool IsSizeStored() const { return CanDinaSize() && FSize != 16; }

private:
    TVariantDataFieldTypesEh FVariantDataType = fdtVariant;
};

// Holds an object reference. The value is a pointer-sized object variant, never a 32-bit integer.
class TMTRefObjectFieldEh : public TMTDataFieldEh {
    KVT_CLASS(TMTRefObjectFieldEh, TMTDataFieldEh)
public:
    using TMTDataFieldEh::TMTDataFieldEh;
    bool CanDinaSize() const override { return true; }
    TVarType GetVarDataType() const override { return varObject; }
    void AssignDataType(TFieldType FieldType) override;
};

class TMTSQLTimeStampDataFieldEh : public TMTDataFieldEh {
    KVT_CLASS(TMTSQLTimeStampDataFieldEh, TMTDataFieldEh)
public:
    using TMTDataFieldEh::TMTDataFieldEh;
    TFieldType GetDataType() const override {
        return FSQLTimeStampDataFieldType == fdtOraTimeStampEh ? ftOraTimeStamp : ftTimeStamp;
    }
    void AssignDataType(TFieldType FieldType) override;
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;
    TSQLTimeStampDataFieldTypesEh SQLTimeStampDataFieldType() const { return FSQLTimeStampDataFieldType; }
    void SetSQLTimeStampDataFieldType(TSQLTimeStampDataFieldTypesEh Value);
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value) { SetProp(FDisplayFormat, Value); }

private:
    String FDisplayFormat;
    TSQLTimeStampDataFieldTypesEh FSQLTimeStampDataFieldType = fdtTimeStampEh;
};

// The field class for a platform field type; nullptr for types without a class.
TMTDataFieldClassEh DefaultDataFieldClasses(TFieldType FieldType);
template <class T> TMTDataFieldEh* DataFieldClassOf(TComponent* Owner) {
    return ::Create<T>(Owner);
}
// The variant type values of a column of the given type are held in.
TVarType VarTypeForFieldType(TFieldType FieldType);

// ---------------------------------------------------------------------------------------------
// Field structure
class TMTDataStructEh : public TComponent {
    KVT_CLASS(TMTDataStructEh, TComponent)
public:
    explicit TMTDataStructEh(TMemTableDataEh* AMemTableData);
    ~TMTDataStructEh() override;

    void Clear();
    int Count() const { return int(FList.size()); }
    TMTDataFieldEh* DataFields(int Index) const;
    TMTDataFieldEh* CreateField(TMTDataFieldClassEh FieldClass);
    template <class T> T* CreateField() { return static_cast<T*>(CreateField(&DataFieldClassOf<T>)); }
    // A field of the given (registered) class, listed like CreateField's.
    TMTDataFieldEh* CreateFieldOfClass(TClass FieldClass);
    void InsertField(TMTDataFieldEh* Field);
    void RemoveField(TMTDataFieldEh* Field);
    TMTDataFieldEh* FindField(const String& FieldName) const;
    TMTDataFieldEh* FindFieldByGIUD(const String& GUID) const;
    TMTDataFieldEh* FieldByName(const String& FieldName) const;
    int FieldIndex(const String& FieldName) const;
    void GetFieldList(std::vector<TMTDataFieldEh*>* List, const String& FieldNames) const;
    void FieldsIndex(const String& FieldNames, std::vector<int>& Indexes) const;
    void CheckFieldName(const String& FieldName) const;
    void ChangeFieldType(const String& FieldName, TMTDataFieldClassEh FieldClass);
    void BuildStructFromFieldDefs(TFieldDefs* FieldDefs);
    TMTDataFieldEh* BuildAndCopyDataFieldForField(TField* AField);
    void BuildStructFromFields(TFields* Fields);
    void BuildFieldDefsFromStruct(TFieldDefs* FieldDefs) const;
    void Assign(TPersistent* Source) override;
    // Like Assign, but the records' values are carried over to the fields of the same name.
    // BeforeCommit runs once every record converted, before anything changes.
    void AssignByFieldNames(TMTDataStructEh* Source, const std::function<void()>& BeforeCommit = {});
    TMTDataStructEh* GetCopy() const;
    TMTDataStructEh* BeginRestructure() const { return GetCopy(); }
    void EndRestructure(TMTDataStructEh* NewStrcuture, bool ApplyNewStrcuture);
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate(bool AStructChanged);
    void StructChanged();
    bool IsStructChanged() const { return FStructChanged; }
    void ClearStructChanged() { FStructChanged = false; }

private:
    void AssignStructure(TMTDataStructEh* Source, bool ByName, const std::function<void()>& BeforeCommit);

public:
    TMemTableDataEh* MemTableData() const { return FMemTableData; }
    // Grows on every structure change; caches keyed on field positions compare it.
    uint64_t Version() const { return FVersion; }

    void GetChildren(TGetChildProc Proc, TComponent* Root) override;
    TComponent* GetChildOwner() override { return this; }

    TNotifyEvent OnStructChanged;

private:
    friend class TMTDataFieldEh;
    void MoveField(TMTDataFieldEh* Field, int NewIndex);
    bool HasRecords() const;
    std::vector<TMTDataFieldEh*> FList;
    bool FChangingType = false;
    TMemTableDataEh* FMemTableData = nullptr;
    Int64 FNextFieldId = 0;
    bool FStructChanged = false;
    int FUpdateCount = 0;
    uint64_t FVersion = 0;
    bool FClearing = false;
};

// ---------------------------------------------------------------------------------------------
// Records

// A record's current values. They live in the record's own block (one allocation per record)
// while they fit the room the record was made with, the structure's field count; a record
// whose values outgrow the room (fields added later) keeps them on the heap from then on.
class TRecValuesEh {
public:
    TRecValuesEh() = default;
    TRecValuesEh(const TRecValuesEh&) = delete;
    ~TRecValuesEh() { Release(); }
    TRecValuesEh& operator=(const TRecValuesEh& Other) {
        if (this != &Other) Assign(Other.begin(), Other.end());
        return *this;
    }
    TRecValuesEh& operator=(const TRecDataValues& Values) {
        Assign(Values.data(), Values.data() + Values.size());
        return *this;
    }
    TRecValuesEh& operator=(TRecDataValues&& Values);
    operator TRecDataValues() const { return TRecDataValues(begin(), end()); }

    size_t size() const { return FSize; }
    bool empty() const { return FSize == 0; }
    const Variant* data() const { return FData; }
    Variant* data() { return FData; }
    const Variant& operator[](size_t Index) const { return FData[Index]; }
    Variant& operator[](size_t Index) { return FData[Index]; }
    const Variant* begin() const { return FData; }
    const Variant* end() const { return FData + FSize; }
    void assign(size_t Count, const Variant& Value);
    void resize(size_t Count, const Variant& Value);

private:
    friend class TMemoryRecordEh;
    void Assign(const Variant* First, const Variant* Last);
    void Clear() noexcept; // destroys the values, keeps the storage
    void Release() noexcept;
    size_t Capacity() const { return FData ? FRoom : 0; }
    // Storage for Count values; the values must have been cleared.
    void Reserve(size_t Count);
    Variant* FData = nullptr;
    uint32_t FSize = 0;
    uint32_t FRoom : 31 = 0; // the storage's capacity: the record's room, or the heap block's
    uint32_t FHeap : 1 = 0;
};

class TUpdateErrorEh : public TObject {
    KVT_CLASS(TUpdateErrorEh, TObject)
public:
    explicit TUpdateErrorEh(Exception* AException) : FException(AException) {}
    Exception* ExceptionObject() const { return FException.get(); }

private:
    std::unique_ptr<Exception> FException;
};

class TMemoryRecordEh : public TPersistent {
    KVT_CLASS(TMemoryRecordEh, TPersistent)
public:
    TMemoryRecordEh() = default;
    ~TMemoryRecordEh() override = default;
    // A record with room in its own block for Count values.
    static TMemoryRecordEh* NewWithRoom(int Count);
    // Records are allocated from the record pool (see MemRecordPool.h).
    static void* operator new(size_t Size);
    static void operator delete(void* P) noexcept;
    // Refuses while the record is still held by its list.
    void Free() override;

    void Edit();
    void Post();
    void Cancel();
    void MergeChanges();
    void RevertRecord();
    TRecordEditStateEh EditState() const { return TRecordEditStateEh(FEditState); }
    void RefreshRecord(TMemoryRecordEh* Rec);

    Variant GetDataValue(int FieldIndex, TDataValueVersionEh DataValueVersion) const;
    void SetDataValue(int FieldIndex, TDataValueVersionEh DataValueVersion, const Variant& Value);
    Variant GetDataValues(const String& FieldNames, TDataValueVersionEh DataValueVersion) const;
    void SetDataValues(const String& FieldNames, TDataValueVersionEh DataValueVersion, const Variant& Value);
    Variant GetDataIndexValues(const std::vector<int>& FieldIndexes,
                               TDataValueVersionEh DataValueVersion) const;
    void SetDataIndexValues(const std::vector<int>& FieldIndexes, TDataValueVersionEh DataValueVersion,
                            const Variant& Value);
    Variant Value(int FieldIndex, TDataValueVersionEh V = dvvValueEh) const {
        return GetDataValue(FieldIndex, V);
    }
    void SetValue(int FieldIndex, TDataValueVersionEh V, const Variant& Value) {
        SetDataValue(FieldIndex, V, Value);
    }

    int Index() const { return FIndex; }
    bool Attached() const { return FIndex != -1; }
    TMTDataStructEh* DataStruct() const { return FDataStruct; }
    uint32_t HashCode() const { return FHashCode; }
    const TRecValuesEh& Data() const { return FData; }
    const TRecDataValues& OldData() const { return OldValues(); }
    bool HasOldData() const { return FHasOldData; }
    TRecordsListEh* RecordsList() const { return FRecordsList; }
    TUpdateErrorEh* UpdateError() const { return FExtra ? FExtra->UpdateError.get() : nullptr; }
    void SetUpdateError(TUpdateErrorEh* Value);
    int UpdateIndex() const { return FUpdateIndex; }
    void SetUpdateIndex(int Value) { FUpdateIndex = Value; }
    TUpdateStatus UpdateStatus() const { return TUpdateStatus(FUpdateStatus); }
    void SetUpdateStatus(TUpdateStatus Value) { FUpdateStatus = Value; }

    void ReadData(TReader* Reader);
    void WriteData(TWriter* Writer);

private:
    friend class TRecordsListEh;
    friend class TMTDataStructEh;
    enum TValuesArray { vaData, vaOld, vaTmpOld };
    // The array holding version V; throws where that version is not accessible.
    TValuesArray ArrayFor(TDataValueVersionEh V, int FieldIndex) const;

    // What most records never have: the values before the change log's first change and before
    // an edit, and an update error. One pointer while absent.
    struct TExtraEh {
        TRecDataValues OldData;
        TRecDataValues TmpOldRecValue;
        std::unique_ptr<TUpdateErrorEh> UpdateError;
    };
    TExtraEh& Extra() {
        if (!FExtra) FExtra = std::make_unique<TExtraEh>();
        return *FExtra;
    }
    const TRecDataValues& OldValues() const;
    const TRecDataValues& TmpOldValues() const;
    TRecDataValues TakeOldData();
    TRecDataValues TakeTmpOldRecValue();
    void ClearOldData();
    void ClearTmpOldRecValue();
    void ClearUpdateError();
    void DropEmptyExtra();

    // Ordered and sized for a small record: a store holds many of them.
    TRecValuesEh FData;
    std::unique_ptr<TExtraEh> FExtra;
    TRecordsListEh* FRecordsList = nullptr;
    TMTDataStructEh* FDataStruct = nullptr;
    uint32_t FHashCode = 0;
    int FIndex = -1;
    int FUpdateIndex = -1;
    uint8_t FEditState = resInsertEh;     // TRecordEditStateEh
    uint8_t FUpdateStatus = usUnmodified; // TUpdateStatus
    bool FEditChanged : 1 = false;
    bool FHasOldData : 1 = false;
    bool FInDeletedList : 1 = false;
};

using TRecordsListNotificatorDataEventEh =
    TEvent<void(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action)>;
using TRecordsListApplyUpdatesEventEh = TEvent<void(TMemTableDataEh* AMemTableData)>;
using TRecordsListFetchRecordsEventEh = TEvent<int(int Count)>;
using TRecordsListRecordMovedEventEh = TEvent<void(TMemoryRecordEh* Item, int OldIndex, int NewIndex)>;
using TCompareRecords = std::function<int(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TObject* ParamSort)>;

// What a listener joins: a store or a records view keeps its listeners in registration order.
class IRecordsListHostEh {
public:
    virtual ~IRecordsListHostEh() = default;
    virtual void RegisterNotificator(TRecordsListNotificatorEh* AObject) = 0;
    virtual void UnregisterNotificator(TRecordsListNotificatorEh* AObject) = 0;
};

// A listener on a store or a records view.
class TRecordsListNotificatorEh : public TComponent {
    KVT_CLASS(TRecordsListNotificatorEh, TComponent)
public:
    explicit TRecordsListNotificatorEh(TComponent* AOwner = nullptr);
    ~TRecordsListNotificatorEh() override;
    void BeforeDestruction() override;

    TComponent* DataObject() const { return FDataObject; }
    void SetDataObject(TComponent* Value);

    virtual int FetchRecords(int Count);
    virtual void AfterDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void DataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void RecordAdded(TMemoryRecordEh*, int) {}
    virtual void RecordChanged(TMemoryRecordEh*, int) {}
    virtual void RecordDeleted(TMemoryRecordEh*, int) {}
    virtual void RecordListChanged() {}
    virtual void RecordMoved(TMemoryRecordEh* Item, int OldIndex, int NewIndex);
    virtual void StructChanged(TMemTableDataEh* AMemTableData);
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TRecordsListNotificatorDataEventEh OnAfterDataEvent;
    TRecordsListApplyUpdatesEventEh OnApplyUpdates;
    TRecordsListNotificatorDataEventEh OnDataEvent;
    TRecordsListFetchRecordsEventEh OnFetchRecords;
    TRecordsListRecordMovedEventEh OnRecordMoved;
    TRecordsListApplyUpdatesEventEh OnStructChanged;

protected:
    TComponent* FDataObject = nullptr;
};

class TRecordsListEh : public TComponent {
    KVT_CLASS(TRecordsListEh, TComponent)
public:
    explicit TRecordsListEh(TComponent* AOwner);
    ~TRecordsListEh() override;

    TMemoryRecordEh* NewRecord();
    int AddRecord(TMemoryRecordEh* Rec);
    void InsertRecord(int Index, TMemoryRecordEh* Rec);
    int FetchRecord(TMemoryRecordEh* Rec);
    void DeleteRecord(int Index);
    void DeleteRecords(const std::vector<std::pair<int, int>>& Ranges);
    void PersistDeleteRecord(int Index);
    void PersistDeleteRecords(const std::vector<std::pair<int, int>>& Ranges);
    void PersistRemoveRecord(int Index);
    void RevertRecord(int Index);
    void CancelUpdates();
    void MergeChangeLog();
    void CleanupChangedRecs();
    void RefreshRecord(int Index, TMemoryRecordEh* FromRec);
    void SetAutoIncValue(TMemoryRecordEh* Rec);
    Variant GetValue(int RecNo, int ValNo) const;
    void SetValue(int Index, int ValNo, const Variant& Value);
    TMemoryRecordEh* Rec(int Index) const;
    void SetRec(int Index, TMemoryRecordEh* Value);
    int IndexOf(TMemoryRecordEh* Item) const;
    int Count() const { return int(FRecList.size()); }
    bool HasCachedChanges() const { return !FDeltaList.empty(); }
    void Move(int CurIndex, int NewIndex);
    void SortData(TObject* ParamSort, const TCompareRecords& Compare);
    virtual void BeginUpdate() { ++FUpdateCount; }
    virtual void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    void Clear();

    virtual void NotifyDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void NotifyRecordMoved(TMemoryRecordEh* Item, int OldIndex, int NewIndex);
    void DefineProperties(TFiler* Filer) override;

    bool CachedUpdates() const { return FCachedUpdates; }
    void SetCachedUpdates(bool Value) { FCachedUpdates = Value; }
    TMTDataStructEh* DataStruct() const;
    const std::vector<TMemoryRecordEh*>& DeltaList() const { return FDeltaList; }
    const std::vector<TMemoryRecordEh*>& DeletedList() const { return FDeletedList; }
    const TMemRecListEh& RecList() const { return FRecList; }
    TMTIndexesEh* Indexes() const { return FIndexes.get(); }
    TMemTableDataEh* MemTableData() const { return FMemTableData; }
    int RecValCount() const;

    // Offers a changed record to the apply-updates handlers through a one-record shadow store.
    enum TOfferKind { okModified, okInserted, okDeleted };
    void OfferRecord(TMemoryRecordEh* Rec, TOfferKind Kind);

private:
    friend class TMemoryRecordEh;
    void AttachRecord(TMemoryRecordEh* Rec, int Index, bool Fetching);
    void Renumber(int From);
    void LogRecord(TMemoryRecordEh* Rec);
    void UnlogRecord(TMemoryRecordEh* Rec);
    void FreeDeletedList();
    void ReadData(TReader* Reader);
    void WriteData(TWriter* Writer);
    void QuickSort(int L, int R, TObject* ParamSort, const TCompareRecords& Compare);

    bool FCachedUpdates = false;
    std::vector<TMemoryRecordEh*> FDeletedList;
    std::vector<TMemoryRecordEh*> FDeltaList;
    std::unique_ptr<TMTIndexesEh> FIndexes;
    TMemTableDataEh* FMemTableData = nullptr;
    uint32_t FNewHashCode = 1;
    TMemRecListEh FRecList;
    int FUpdateCount = 0;
};

// ---------------------------------------------------------------------------------------------
// Store container
class TMemTableDataEh : public TComponent, public IRecordsListHostEh {
    KVT_CLASS(TMemTableDataEh, TComponent)
public:
    explicit TMemTableDataEh(TComponent* AOwner);
    ~TMemTableDataEh() override;
    void BeforeDestruction() override;

    virtual TAutoIncrementEh* AutoIncrement() const { return FAutoIncrement.get(); }
    virtual void SetAutoIncrement(TAutoIncrementEh* Value);
    virtual TMTDataStructEh* DataStruct() const { return FDataStruct; }
    virtual TRecordsListEh* RecordsList() const { return FRecordsList; }
    bool IsEmpty() const { return DataStruct()->Count() == 0; }
    bool StoreStructInStream() const { return FStoreStructInStream; }
    void SetStoreStructInStream(bool Value) { FStoreStructInStream = Value; }
    bool StoreRecordsInStream() const { return FStoreRecordsInStream; }
    void SetStoreRecordsInStream(bool Value) { FStoreRecordsInStream = Value; }
    Integer AutoIncCurValue() const { return FAutoIncrement->CurValue(); }
    void SetAutoIncCurValue(Integer Value) { FAutoIncrement->SetCurValue(Value); }
    bool IsAutoIncCurValueStored() const { return FAutoIncrement->CurValue() != FAutoIncrement->InitValue(); }

    void RegisterNotificator(TRecordsListNotificatorEh* AObject) override;
    void UnregisterNotificator(TRecordsListNotificatorEh* AObject) override;
    const std::vector<TRecordsListNotificatorEh*>& Notificators() const { return FNotificators; }
    bool HasApplyUpdatesHandlers() const;
    virtual void ApplyUpdates(TMemTableDataEh* AMemTableData);
    virtual void FieldRenaming(TMTDataFieldEh*, const String&) {}
    virtual void DataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void RecordMoved(TMemoryRecordEh* Item, int OldIndex, int NewIndex);
    virtual void SetAutoIncValue(TMemoryRecordEh* Rec);
    virtual void StructChanged();
    virtual TMTDataStructEh* BeginRestruct();
    virtual int FetchRecords(int Count);
    virtual void CancelRestruct();
    virtual void CommitRestruct();
    virtual void DestroyTable();
    virtual void ResetRecords();
    bool RestructMode() const { return FRestructMode; }
    const std::vector<int>& IncFieldIndexes() const { return FIncFieldIndexes; }

    void DefineProperties(TFiler* Filer) override;
    void ReadState(TReader* Reader) override;
    void GetChildren(TGetChildProc Proc, TComponent* Root) override;
    TComponent* GetChildOwner() override { return this; }

    // Whole-store streams (the component-stream form written by the platform's writer).
    void SaveToStream(TStream* Stream);
    // A stream that fails to read leaves the store as it was. CheckLoaded sees the stream read
    // into a store of its own before anything here is replaced, and may refuse it by raising.
    // A stream with a structure but no records list carries the records over by field name.
    void LoadFromStream(TStream* Stream,
                        const std::function<void(TMemTableDataEh* Loaded)>& CheckLoaded = {});
    // What the last stream read into this store carried.
    bool StreamHadStruct() const { return FStreamHadStruct; }
    bool StreamHadRecords() const { return FStreamHadRecords; }

private:
    std::unique_ptr<TAutoIncrementEh> FAutoIncrement;
    TMTDataStructEh* FDataStruct = nullptr;
    std::vector<int> FIncFieldIndexes;
    TMTDataStructEh* FNewDataStruct = nullptr;
    std::vector<TRecordsListNotificatorEh*> FNotificators;
    TRecordsListEh* FRecordsList = nullptr;
    bool FRestructMode = false;
    bool FStoreStructInStream = true;
    bool FStoreRecordsInStream = true;
    bool FStreamHadStruct = false;
    bool FStreamHadRecords = false;
};

class TMemTableDataShadowEh : public TMemTableDataEh {
    KVT_CLASS(TMemTableDataShadowEh, TMemTableDataEh)
public:
    explicit TMemTableDataShadowEh(TMemTableDataEh* AMasterTable);
    TMTDataStructEh* DataStruct() const override;
    void SetAutoIncValue(TMemoryRecordEh*) override {}
    TMemTableDataEh* MasterTable() const { return FMasterTable; }

private:
    TMemTableDataEh* FMasterTable;
};

// ---------------------------------------------------------------------------------------------
// Key indexes
// An index entry: a record's key and the record's position in the list.
struct TIndexItemEh {
    Variant Value;
    int RecIndex = -1;

    TIndexItemEh() = default;
    TIndexItemEh(Variant AValue, int ARecIndex) : Value(std::move(AValue)), RecIndex(ARecIndex) {}
    TIndexItemEh(const TIndexItemEh&) = default;
    TIndexItemEh& operator=(const TIndexItemEh&) = default;
    // Entries move a lot (merges, inserts): a plain key is copied inline, not moved by a call.
    TIndexItemEh(TIndexItemEh&& Other) noexcept : RecIndex(Other.RecIndex) {
        if (IsPlain(Other.Value))
            Value = Other.Value;
        else
            Value = std::move(Other.Value);
    }
    TIndexItemEh& operator=(TIndexItemEh&& Other) noexcept {
        if (IsPlain(Value) && IsPlain(Other.Value))
            Value = Other.Value;
        else
            Value = std::move(Other.Value);
        RecIndex = Other.RecIndex;
        return *this;
    }

private:
    static bool IsPlain(const Variant& V) {
        const TVarType t = V.VType();
        return !(t & varArray) && t != varUString && t != varString && t != varOleStr;
    }
};

class TMTIndexEh : public TCollectionItem {
    KVT_CLASS(TMTIndexEh, TCollectionItem)
public:
    explicit TMTIndexEh(TCollection* Collection);
    static TMTIndexEh* CreateApart(TRecordsListEh* ARecordsList);
    ~TMTIndexEh() override;

    TRecordsListEh* RecordsList() const;
    int Count() const {
        EnsureBuilt();
        return int(FPackedMode ? FPacked.size() : FRecList.size());
    }
    // Valid until the index next changes.
    TIndexItemEh* GetItems(int Index) const;
    Variant GetKeyValue(int Index) const { return GetItems(Index)->Value; }
    void SetKeyValue(int Index, const Variant& Value) { GetItems(Index)->Value = Value; }
    void ClearIndex();
    void RebuildIndex();
    void QuickSort(int L, int R);
    bool FindKeyValueIndex(const Variant& Value, int& Index) const;
    bool FindRecordIndexByKey(const Variant& Value, int& Index) const;
    void FillMatchedKeyList(const Variant& Value, std::vector<const TIndexItemEh*>& List) const;
    void FillMatchedRecsList(const Variant& Value, std::vector<TMemoryRecordEh*>& List) const;
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    const String& Fields() const { return FFields; }
    void SetFields(const String& Value);
    bool Primary() const { return FPrimary; }
    void SetPrimary(bool Value);
    bool Unical() const { return FUnical; }
    void SetUnical(bool Value);
    void RecordsListNotification(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void InsertItem(int Index, TIndexItemEh&& Item);
    virtual void RecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex);

private:
    bool IsUnique() const { return FUnical || FPrimary; }
    // An inactive index whose definition changed builds its entries when they are first read,
    // so that setting fields, options and then Active builds once.
    void EnsureBuilt() const {
        if (FRebuildPending)
            const_cast<TMTIndexEh*>(this)->RebuildIndex();
        else if (!FPending.empty() || !FPendingInts.empty())
            const_cast<TMTIndexEh*>(this)->MergePending();
    }
    // Entries of appended records wait apart and join the entries at the next read, so that
    // appending to an indexed list costs O(log n) per record, not a shift of the array.
    void AddPending(TIndexItemEh&& Item);
    void MergePending();
    bool SortAllAsInts();
    void UnpackPendingInts();
    bool PendingHasKey(const Variant& Key) const;
    // Merged entries of plain integer keys are held packed (see the .cpp) until an entry is
    // wanted as such or the index changes other than by appending; then they are made again.
    void Unpack() const;
    bool MergePacked();
    void DefinitionChanged();
    // A new definition (Apply) that leaves an active unique index over duplicate keys raises
    // the key violation and gives the index its old definition back (Revert).
    void ChangeDefinition(const std::function<void()>& Apply, const std::function<void()>& Revert);
    bool FindDuplicateKey(Variant& Key) const;
    std::vector<int> KeyFields(TRecordsListEh* rl) const;
    bool SortPlainKeys(TRecordsListEh* rl, int Field);
    // The entry of the record at list position RecIndex with key Key; -1 when it has none.
    int FindEntry(const Variant& Key, int RecIndex) const;
    [[noreturn]] void KeyViolation(const Variant& Key) const;
    bool FActive = false;
    String FFields;
    Variant FOldValue;
    bool FPrimary = false;
    TBigVectorEh<TIndexItemEh> FRecList;
    TBigVectorEh<TIndexItemEh> FPending;
    std::vector<uint32_t> FPendingRuns; // a unique index's runs in FPending, by length
    // Waiting entries of plain integer keys, as (key, record) packed in 64 bits (see the .cpp).
    TBigVectorEh<uint64_t> FPendingInts;
    TBigVectorEh<uint64_t> FPacked; // the merged entries while FPackedMode
    bool FPackedMode = false;
    TRecordsListEh* FRecordsList = nullptr;
    bool FUnical = false;
    bool FRebuildPending = false;
};

class TMTIndexesEh : public TCollection {
    KVT_CLASS(TMTIndexesEh, TCollection)
public:
    explicit TMTIndexesEh(TRecordsListEh* ARecList);
    TMTIndexEh* Add() { return static_cast<TMTIndexEh*>(TCollection::Add()); }
    TMTIndexEh* Items(int Index) const { return static_cast<TMTIndexEh*>(TCollection::Items(Index)); }
    TMTIndexEh* GetIndexForFields(const String& Fields) const;
    void RecordsListNotification(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void RecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex);
    TRecordsListEh* RecList() const { return FRecList; }

private:
    TRecordsListEh* FRecList;
};

// ---------------------------------------------------------------------------------------------
// Expressions
enum TDataSetExprParserTypeEh { dsptFilterEh, dsptAggregateEh };

class TDataSetExprParserEh : public TObject {
    KVT_CLASS(TDataSetExprParserEh, TObject)
public:
    TDataSetExprParserEh(TDataSet* ADataSet, TDataSetExprParserTypeEh ExprParserType);
    ~TDataSetExprParserEh() override;

    void ParseExpression(const String& Expr);
    bool HasData() const { return bool(FRoot); }
    // A Null result means "not in the filter".
    bool IsCurRecordInFilter(TMemoryRecordEh* Rec);
    Variant CalcAggregateValue(TRecordsViewEh* RecordsView);
    // Evaluates for one record (nullptr: the data set's field values).
    Variant Evaluate(TMemoryRecordEh* Rec);

    // Filter options used when no data set gives them.
    void SetFilterOptions(TFilterOptions Value) { FFilterOptions = Value; }
    TFilterOptions FilterOptions() const;

    static bool LikeMatch(const String& Value, const String& Pattern, bool IgnoreCase);
    static int WildPos(const String& Text, const String& Segment);

private:
    struct Ctx;
    Variant EvalNode(const TExprNode* Node, Ctx& C);
    Variant EvalFunc(const TExprNode* Node, Ctx& C);
    Variant EvalAggregate(const TExprNode* Node, const String& Name, Ctx& C);
    Variant FieldValue(const TExprNode* Node, Ctx& C);
    // The position of a field node's column in the structure (-1: not a stored column).
    int FieldPos(const TExprNode* Node, const TMTDataStructEh* Struct);
    // The stored value a field node reads, or nullptr where it is not a stored value.
    const Variant* FieldRef(const TExprNode* Node, Ctx& C);
    // A field's or a constant's value in place; other nodes are evaluated into Tmp.
    const Variant& EvalRef(const TExprNode* Node, Ctx& C, Variant& Tmp);
    bool EvalLike(const Variant& L, const Variant& R, bool IgnoreCase);
    int CompareTexts(const Variant& L, const Variant& R, bool IgnoreCase, int Partial) const;

    TDataSet* FDataSet;
    TDataSetExprParserTypeEh FExprParserType;
    std::unique_ptr<TExprNode> FRoot;
    TFilterOptions FFilterOptions;
    // Field positions of the field nodes met so far (an expression names few fields).
    std::vector<std::pair<const TExprNode*, int>> FFieldPos;
    const TMTDataStructEh* FFieldPosStruct = nullptr;
    uint64_t FFieldPosVersion = 0;
    int FAggrPos = 0;
    // The last LIKE pattern and its folded form.
    String FLikePattern, FLikeFolded, FLikeText;
};

// ---------------------------------------------------------------------------------------------
// Record tree
class TMemRecViewEh : public TBaseTreeNodeEh {
    KVT_CLASS(TMemRecViewEh, TBaseTreeNodeEh)
public:
    TMemRecViewEh() = default;
    ~TMemRecViewEh() override;

    TMemoryRecordEh* Rec() const { return reinterpret_cast<TMemoryRecordEh*>(FData); }
    TMemoryTreeListEh* NodeOwner() const;
    TMemRecViewEh* NodeParent() const { return static_cast<TMemRecViewEh*>(FParent); }
    int NodeLevel() const { return FLevel; }
    int NodeIndex() const { return FIndex; }
    int VisibleNodeIndex() const { return FVisibleIndex; }
    int NodesCount() const { return GetCount(); }
    int VisibleNodesCount() { return GetVisibleCount(); }
    bool NodeExpanded() const { return FExpanded; }
    void SetNodeExpanded(bool Value) { WriteExpanded(Value); }
    bool NodeHasChildren() const { return FHasChildren; }
    void SetNodeHasChildren(bool Value) { FHasChildren = Value; }
    bool NodeHasVisibleChildren() { return GetHasVisibleChildren(); }
    void SetNodeHasVisibleChildren(bool Value) { FHasVisibleChildren = Value; }
    bool NodeVisible() const { return FVisible; }
    TMemRecViewEh* Items(int Index) const { return static_cast<TMemRecViewEh*>(GetItem(Index)); }
    TMemRecViewEh* GetVisibleNodeItem(int Index) {
        return static_cast<TMemRecViewEh*>(GetVisibleItem(Index));
    }
    TRecDataValues& LookupBuffer() { return FLookupBuffer.Get(); }
    const TRecDataValues& LookupBuffer() const { return FLookupBuffer; }
    void SetLookupBufferLength(int NewLength) { FLookupBuffer.Get().resize(size_t(std::max(0, NewLength))); }
    void SortByFields(const String& SortByStr);

private:
    friend class TMemoryTreeListEh;
    // Only views with lookup or calculated fields fill it.
    TSpareVectorEh<Variant> FLookupBuffer;
};

class TMemoryTreeListEh : public TTreeListEh {
    KVT_CLASS(TMemoryTreeListEh, TTreeListEh)
public:
    explicit TMemoryTreeListEh(TRecordsViewEh* ARecordsViewEh);
    ~TMemoryTreeListEh() override;

    TMemRecViewEh* Root() const { return static_cast<TMemRecViewEh*>(FRoot); }
    TMemRecViewEh* AddChildAtKey(const String& Name, const String& KeyFieldNames,
                                 const String& ParentFieldNames, TMemoryRecordEh* MemRecord);
    TMemRecViewEh* AddChild(const String& Name, TMemRecViewEh* Parent, TMemoryRecordEh* MemRecord);
    TMemRecViewEh* UpdateParent(TMemRecViewEh* Node, const String& KeyFieldNames,
                                const String& ParentFieldNames, TMemoryRecordEh* MemRecord, bool ReIndex);
    void UpdateNodeState(TMemRecViewEh* Node, bool IsUpdateParent);
    void UpdateNodesState(TMemRecViewEh* Parent);
    virtual void ShowChildrenOfVisibleNodes(TMemRecViewEh* Node);
    void SetChildrenVisible(TMemRecViewEh* Node, bool Value, bool Recurse);
    void BuildVisibleItems();
    void VisibleItemsBecomeObsolete() { FVisibleItemsObsolete = true; }
    bool VisibleItemsObsolete() const { return FVisibleItemsObsolete; }
    virtual TMemRecViewEh* GetVisibleExpandedItem(int Index);
    TMemRecViewEh* GetAccountableItem(int Index);
    int GetVisibleExpandedCount();
    int GetAccountableCount();
    TMemRecViewEh* GetNode(TMemRecViewEh* StartNode, TMemoryRecordEh* MemRecord);
    TMemRecViewEh* GetNodeAtValue(TMemRecViewEh* StartNode, const String& FieldNames, const Variant& Value);
    TMemRecViewEh* GetParentNodeAtKey(TMemRecViewEh* StartNode, const String& KeyFieldNames,
                                      const String& ParentFieldNames, TMemoryRecordEh* MemRecord);
    TMemRecViewEh* GetParentNodeAtKeyValue(TMemRecViewEh* StartNode, const String& KeyFieldNames,
                                           const String& ParentFieldNames, const Variant& RefKeyValue);
    TMemRecViewEh* GetParentNodeForRefValue(const Variant& RefValue);
    TMemRecViewEh* GetParentNodeForRec(TMemoryRecordEh* MemRecord);
    void GetChildNodesForKey(TMemRecViewEh* StartNode, const String& KeyFieldNames,
                             const String& ParentFieldNames, TMemoryRecordEh* MemRecord,
                             std::vector<TMemRecViewEh*>& ChildList);
    int GetIndexForNode(TMemoryRecordEh* Rec, TMemRecViewEh* ParentNode);
    void GetRecordsList(std::vector<TMemoryRecordEh*>& List, TMemRecViewEh* Node, bool ARecurse);
    bool CheckReferenceLoop(TMemoryRecordEh* MemRecord, const Variant& NewRefValue);
    void MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode,
                bool ReIndex) override;
    void SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse) override;
    virtual void Resort();
    int CompareTreeNodes(TBaseTreeNodeEh* Rec1, TBaseTreeNodeEh* Rec2, TObject* ParamSort) override;
    // Expanding or collapsing a node changes the shown rows.
    void ExpandedChanged(TBaseTreeNodeEh* Node) override;
    const String& SortOrder() const { return FSortOrder; }
    void SetSortOrder(const String& Value);
    bool Sorted() const { return !FSortOrder.isEmpty() && (FOrderByList->Count() > 0 || FViewOrder); }

    bool DefaultNodeExpanded = false;
    bool DefaultNodeHasChildren = false;
    TMemRecViewEh* DefaultParentNode = nullptr;
    bool FullBuildCheck = false;
    bool FilterNodeIfParentVisible = true;
    TRecordsViewEh* RecordsView() const { return FRecordsViewEh; }
    void NodeDestroying(TMemRecViewEh* Node);
    // The node of a record, kept in step with the tree (nullptr when it has none).
    TMemRecViewEh* NodeOfRecord(TMemoryRecordEh* Rec) const;

private:
    Variant KeyOf(TMemoryRecordEh* Rec) const;
    Variant ParentRefOf(TMemoryRecordEh* Rec) const;
    int CompareRecs(TMemoryRecordEh* R1, TMemoryRecordEh* R2);
    TMTIndexEh* IndexFor(const String& Fields) const;

    std::vector<TMemRecViewEh*> FInsertedNodeStack;
    std::vector<TMemRecViewEh*> FVisibleExpandedItems;
    std::vector<TMemRecViewEh*> FVisibleItems;
    bool FVisibleItemsObsolete = true;
    String FSortOrder;
    // The sort order names fields the store lacks: nodes compare by the view's comparison.
    bool FViewOrder = false;
    std::unique_ptr<TOrderByList> FOrderByList;
    TRecordsViewEh* FRecordsViewEh;
    std::unordered_map<TMemoryRecordEh*, TMemRecViewEh*> FNodeOfRec;
};

// ---------------------------------------------------------------------------------------------
// Records view
class TMTAggregatesEh;

class TMTAggregateEh : public TCollectionItem {
    KVT_CLASS(TMTAggregateEh, TCollectionItem)
public:
    explicit TMTAggregateEh(TCollection* Collection);
    ~TMTAggregateEh() override;
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    const String& Expression() const { return FExpression; }
    void SetExpression(const String& Value);
    TFieldType DataType() const { return FDataType; }
    bool InUse() const { return FInUse; }
    // Computed on the first read after a change.
    Variant Value();
    void Reset();
    void Recalc();
    void Invalidate() { FValueObsolete = true; }
    String GetDisplayName() override {
        return FExpression.isEmpty() ? TCollectionItem::GetDisplayName() : FExpression;
    }
    TMTAggregatesEh* Aggregates() const;
    TField* Field = nullptr;

private:
    friend class TMTAggregatesEh;
    bool FActive = false;
    std::unique_ptr<TDataSetExprParserEh> FAggrExpr;
    TFieldType FDataType = ftUnknown;
    String FExpression;
    bool FInUse = false;
    Variant FValue = Null();
    bool FValueObsolete = false;
};

class TMTAggregatesEh : public TCollection {
    KVT_CLASS(TMTAggregatesEh, TCollection)
public:
    explicit TMTAggregatesEh(TRecordsViewEh* AOwner);
    TMTAggregateEh* Add() { return static_cast<TMTAggregateEh*>(TCollection::Add()); }
    TMTAggregateEh* Items(int Index) const { return static_cast<TMTAggregateEh*>(TCollection::Items(Index)); }
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    void Reset();
    void Recalc();
    TRecordsViewEh* View() const { return FOwner; }
    TPersistent* GetOwner() override;
    // The item made for an aggregate field of the data set (nullptr when none).
    TMTAggregateEh* ItemForField(TField* Field) const;

private:
    bool FActive = false;
    TRecordsViewEh* FOwner;
};

class TRecordsViewOrderByList : public TOrderByList {
    KVT_CLASS(TRecordsViewOrderByList, TOrderByList)
public:
    explicit TRecordsViewOrderByList(TRecordsViewEh* AView) : FRecordsView(AView) {}
    int ResolveFieldIndex(const String& FieldName) override;

private:
    TRecordsViewEh* FRecordsView;
};

using TRecordsViewFilterEventEh = std::function<bool(TMemoryRecordEh* Rec, TMemRecViewEh* Node)>;
using TGetPrefilteredListEventEh = std::function<const std::vector<TMemoryRecordEh*>*()>;
using TParseOrderByStrEventEh = std::function<TOrderByList*(const String& OrderByStr)>;
using TRecordsListCalcLookupBufferEventEh =
    std::function<void(TMemoryRecordEh* Item, TMemRecViewEh* RecView)>;

class TRecordsViewEh : public TRecordsListNotificatorEh, public IRecordsListHostEh {
    KVT_CLASS(TRecordsViewEh, TRecordsListNotificatorEh)
public:
    explicit TRecordsViewEh(TDataSet* ADataSet = nullptr);
    ~TRecordsViewEh() override;
    void BeforeDestruction() override;

    TMemTableDataEh* MemTableData() const { return dynamic_cast<TMemTableDataEh*>(FDataObject); }
    void SetMemTableData(TMemTableDataEh* Value) { SetDataObject(Value); }
    TDataSet* DataSet() const { return FDataSet; }

    int Count() const;
    int ViewItemsCount() const { return Count(); }
    int AccountableItemsCount() const;
    TMemoryRecordEh* Rec(int Index) const;
    TMemoryRecordEh* ViewRecord(int Index) const { return Rec(Index); }
    // The row's node: a tree node, or for a flat view the row's own node, made when first asked
    // for (or with the row when OnCalcLookupBuffer is set and OnRowNodesWanted agrees).
    TMemRecViewEh* RecordView(int Index) const;
    // Whether RecordView(Index) has its node already.
    bool HasRowNode(int Index) const;
    // Starts fetching the record of a flat view's row into the cache ahead of its reading: the
    // rows of a sorted view are scattered in memory.
    void PrefetchRow(int Index) const {
        if (size_t(Index) < FRows.size()) {
            const char* p = reinterpret_cast<const char*>(FRows[size_t(Index)]);
            __builtin_prefetch(p);
            __builtin_prefetch(p + 64);
            __builtin_prefetch(p + 128);
        }
    }
    TMemoryRecordEh* AccountableRecord(int Index) const;
    int IndexOf(TMemoryRecordEh* Rec) const;
    Variant GetValue(int RecNo, int ValNo) const;
    void SetValue(int RecNo, int ValNo, const Variant& Value);
    TRecDataValues OldRecVals(int Index) const;
    void SetRec(int Index, TMemoryRecordEh* Value);
    // The records of a flat view's rows, in row order.
    const TMemRecListEh& ViewRecords() const { return FRows; }
    TMemoryTreeListEh* MemoryTreeList() const { return FMemoryTreeList.get(); }
    TMTAggregatesEh* Aggregates() const { return FAggregates.get(); }

    TMemoryRecordEh* NewRecord();
    int AddRecord(TMemoryRecordEh* Rec);
    void InsertRecord(int Index, TMemoryRecordEh* Rec);
    void DeleteRecord(int Index);
    void RevertRecord(int Index);
    void RefreshRecord(int Index, TMemoryRecordEh* Rec);
    void MergeChangeLog();
    void CancelUpdates();
    void LockCachedUpdates();
    void UnlockCachedUpdates();
    void InstantDisableFilter() { ++FDisableFilterCount; }
    void InstantEnableFilter() {
        if (FDisableFilterCount > 0) --FDisableFilterCount;
    }

    const String& SortOrder() const { return FSortOrder; }
    void SetSortOrder(const String& Value);
    bool SortOrderCaseInsensitive() const { return FSortOrderCaseInsensitive; }
    void SetSortOrderCaseInsensitive(bool Value);
    TUpdateStatusSet StatusFilter() const { return FStatusFilter; }
    void SetStatusFilter(TUpdateStatusSet Value);
    bool ViewAsTreeList() const { return FViewAsTreeList; }
    void SetViewAsTreeList(bool Value);
    const String& TreeViewKeyFieldName() const { return FTreeViewKeyFieldName; }
    void SetTreeViewKeyFieldName(const String& Value);
    const String& TreeViewRefParentFieldName() const { return FTreeViewRefParentFieldName; }
    void SetTreeViewRefParentFieldName(const String& Value);
    const std::vector<int>& TreeViewKeyFields() const { return FTreeViewKeyFields; }
    const std::vector<int>& TreeViewRefParentFields() const { return FTreeViewRefParentFields; }
    virtual void UpdateFields();
    void UpdateAllLookupBuffer();
    // The list the rows are ordered by: the store's fields, or the data set's when the sort order
    // names a field the store does not hold (a calculated or lookup field).
    TOrderByList* OrderByList() const;
    bool Sorted() const;
    bool CatchChanged() const { return FCatchChanged; }
    void SetCatchChanged(bool Value) { FCatchChanged = Value; }
    bool CachedUpdates() const { return FCachedUpdates; }
    void SetCachedUpdates(bool Value) { FCachedUpdates = Value; }

    virtual bool IsRecordInView(TMemoryRecordEh* Rec, int Index, TMemRecViewEh* Node);
    int CompareRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2);
    // The comparison by an order-by list's columns (Nulls first, DESC reversing, texts by the
    // user-locale comparison): used when no OnCompareRecords handler is set.
    static int CompareRecordsByOrderBy(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TOrderByList* OrderBy);
    void RegisterNotificator(TRecordsListNotificatorEh* AObject) override;
    void UnregisterNotificator(TRecordsListNotificatorEh* AObject) override;
    virtual void ViewDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void ViewRecordMoved(TMemoryRecordEh* Item, int OldIndex, int NewIndex);
    virtual void Resort();
    void RefreshFilteredRecsList();
    void RebuildMemoryTreeList();
    void DataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action) override;
    void RecordMoved(TMemoryRecordEh* Item, int OldIndex, int NewIndex) override;
    void StructChanged(TMemTableDataEh* AMemTableData) override;
    Variant CalcAggrFieldFunc(const String& FieldName, const String& AggrFuncName);

    TCompareRecords OnCompareRecords;
    TCompareNodesEh OnCompareTreeNode;
    TRecordsViewFilterEventEh OnFilterRecord;
    TGetPrefilteredListEventEh OnGetPrefilteredList;
    TParseOrderByStrEventEh OnParseOrderByStr;
    // Reads a record's sort keys for a list made by OnParseOrderByStr (one value per item), for
    // the fields the store does not hold.
    std::function<void(TMemoryRecordEh* Rec, TOrderByList* OrderBy, std::vector<Variant>& Keys)>
        OnReadSortKeys;
    TRecordsListNotificatorDataEventEh OnViewDataEvent;
    TRecordsListRecordMovedEventEh OnViewRecordMovedEvent;
    TRecordsListCalcLookupBufferEventEh OnCalcLookupBuffer;
    // Whether the rows of a flat view get their nodes when they are made (when OnCalcLookupBuffer
    // is set); without a handler they do.
    std::function<bool()> OnRowNodesWanted;

protected:
    TDataSet* FDataSet;
    int FDisableFilterCount = 0;

private:
    int FindInsertPosition(TMemoryRecordEh* Rec, int Hint);
    int FindRow(TMemoryRecordEh* Rec, int ListIndex) const;
    void NewRow(TMemoryRecordEh* Rec);
    bool RowNodesWanted() const;
    TMemRecViewEh* FindRowNode(TMemoryRecordEh* Rec) const;
    TMemRecViewEh* MakeRowNode(TMemoryRecordEh* Rec);
    void DropRowNode(TMemoryRecordEh* Rec);
    void FreeRows();
    void QuickSortRows(int L, int R);
    void SortRows();
    void SortRowsByReadKeys();
    int CompareReadKeys(const std::vector<Variant>& K1, const std::vector<Variant>& K2) const;
    void TreeDataEvent(TMemoryRecordEh* MemRec, TRecordsListNotification Action);

    std::unique_ptr<TMTAggregatesEh> FAggregates;
    bool FCachedUpdates = true;
    bool FListCachedUpdatesAtLock = false;
    int FCachedUpdatesLockCount = 0;
    bool FCatchChanged = false;
    std::unique_ptr<TRecordsViewOrderByList> FOrderByList;
    // Set instead of FOrderByList's items when the sort order names fields the store lacks.
    std::unique_ptr<TOrderByList> FFieldsOrderByList;
    String FSortOrder;
    String FTreeViewKeyFieldName, FTreeViewRefParentFieldName;
    std::vector<int> FTreeViewKeyFields, FTreeViewRefParentFields;
    bool FViewAsTreeList = false;
    TUpdateStatusSet FStatusFilter{usUnmodified, usModified, usInserted};
    std::vector<TRecordsListNotificatorEh*> FNotificators;
    bool FSortOrderCaseInsensitive = false;
    std::unique_ptr<TMemoryTreeListEh> FMemoryTreeList;
    // A flat view's rows; their nodes, where they have one, are kept apart by record.
    TMemRecListEh FRows;
    std::unordered_map<TMemoryRecordEh*, TMemRecViewEh*> FRowNodes;
};
