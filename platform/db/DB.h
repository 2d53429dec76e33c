#pragma once
// The data-set layer: TDataSet with its ring of record buffers and state machine, the TField
// family, field and index definitions, parameters, data links and data sources.
//
// Record buffers are opaque integer handles (TRecordBuffer) chosen by the descendant; the base
// only stores, moves and hands them back. Field values travel in a TValueBuffer: the bytes of
// the platform's native form for fixed-size types, or a Variant for the types whose native form
// is the Variant itself (blobs, variants, interfaces; byte arrays outside the native form).

#include "platform/classes/Classes.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variant.h"

#include <bitset>
#include <memory>
#include <vector>

class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TFields;
class TFieldDef;
class TFieldDefs;
class TFieldDefList;
class TFieldList;
class TIndexDefs;
class TLookupList;
class TParams;
class TParam;

// ---------------------------------------------------------------------------------------------
// Errors

// Raises EDatabaseError with Message, prefixed "Name: " when Component has a name.
[[noreturn]] void DatabaseError(const String& Message, TComponent* Component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const String& Message, TVarRecs Args, TComponent* Component = nullptr);

// The platform's texts.
namespace DBConsts {
inline const char* const SFieldNotFound = "Field '%s' not found";
inline const char* const SFieldNameMissing = "Field name missing";
inline const char* const SDuplicateFieldName = "Duplicate field name '%s'";
inline const char* const SInvalidFieldSize = "Invalid field size";
inline const char* const SInvalidFieldKind = "Invalid FieldKind";
inline const char* const SUnknownFieldType = "Field '%s' is of an unknown type";
inline const char* const SFieldAccessError = "Cannot access field '%s' as type %s";
inline const char* const SFieldValueError = "Invalid value for field '%s'";
inline const char* const SFieldRangeError =
    "%g is not a valid value for field '%s'. The allowed range is %g to %g";
inline const char* const SRangeError =
    "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline const char* const SInvalidIntegerValue = "'%s' is not a valid integer value for field '%s'";
inline const char* const SInvalidBoolValue = "'%s' is not a valid boolean value for field '%s'";
inline const char* const SInvalidFloatValue = "'%s' is not a valid floating point value for field '%s'";
inline const char* const SNotValidValue = "'%s' is not a valid value for field '%s'";
inline const char* const SFieldTypeMismatch = "Type mismatch for field '%s', expecting: %s actual: %s";
inline const char* const SInvalidVarByteArray = "Invalid variant type or size for field '%s'";
inline const char* const SFieldRequired = "Field '%s' must have a value";
inline const char* const SDataSetMissing = "Field '%s' has no dataset";
inline const char* const SInvalidCalcType = "Field '%s' cannot be a calculated or lookup field";
inline const char* const SFieldReadOnly = "Field '%s' cannot be modified";
inline const char* const SFieldIndexError = "Field index out of range";
inline const char* const SLookupInfoError = "Lookup information for field '%s' is incomplete";
inline const char* const SDataSourceChange = "DataSource cannot be changed";
inline const char* const SCircularDataLink = "Circular datalinks are not allowed";
inline const char* const SDataSetOpen = "Cannot perform this operation on an open dataset";
inline const char* const SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline const char* const SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline const char* const SDataSetReadOnly = "Cannot modify a read-only dataset";
inline const char* const SNotEditing = "Dataset not in edit or insert mode";
inline const char* const SRecordNotFound = "Record not found";
inline const char* const SBookmarkNotFound = "Bookmark not found";
inline const char* const SParameterNotFound = "Parameter '%s' not found";
inline const char* const SIndexNotFound = "Index '%s' not found";
inline const char* const SNoIndexForFields = "No index for fields '%s'";
inline const char* const SDuplicateIndexName = "Duplicate index name '%s'";
inline const char* const SDBDuplicateName = "Duplicate name '%s' in %s";
inline const char* const SBlobNotBlobField = "Field '%s' is not a blob field";
inline const char* const STextTrue = "True";
inline const char* const STextFalse = "False";
} // namespace DBConsts

// Reports the exception being handled (called inside a catch block) without passing it on. The
// window layer points it at the application's handler; without one the exception is dropped.
extern void (*DBHandleExceptionProc)(TObject* Sender);

// ---------------------------------------------------------------------------------------------
// Value buffers

// A field value in transit between a field and its data set. Bytes holds the native form of
// fixed-size types (DataSize bytes); Var holds the value of types whose form is a Variant.
struct TValueBuffer {
    TBytes Bytes;
    Variant Var;
    // A reader that sets AcceptsRef takes the value in the form the data set keeps it: a data
    // set that stores Variants may point Ref at the stored value (valid until the record, the
    // state or the data set changes) instead of filling the buffer. Ref stays null otherwise.
    // Such a buffer comes unsized; a data set filling it sizes it (as VariantToFieldBuffer does).
    bool AcceptsRef = false;
    const Variant* Ref = nullptr;

    TValueBuffer() = default;
    explicit TValueBuffer(int size) : Bytes(size_t(size > 0 ? size : 0), 0) {}
    template <class T> T Get() const {
        T v{};
        if (Bytes.size() >= sizeof(T)) std::memcpy(&v, Bytes.data(), sizeof(T));
        return v;
    }
    template <class T> void Put(const T& v) {
        if (Bytes.size() < sizeof(T)) Bytes.resize(sizeof(T));
        std::memcpy(Bytes.data(), &v, sizeof(T));
    }
};

// Whether a field type keeps its value in TValueBuffer::Var (NativeFormat selects the form of
// dates, BCD and byte arrays, as the platform's DataConvert does).
bool FieldValueIsVariant(TFieldType type, bool NativeFormat);
// Converts between a Variant and a field's buffer form. False for a type without a buffer form.
bool VariantToFieldBuffer(TField* Field, const Variant& Value, TValueBuffer& Buffer, bool NativeFormat);
bool FieldBufferToVariant(TField* Field, const TValueBuffer& Buffer, Variant& Value, bool NativeFormat);
// The Variant a stored value reads as through the field's native buffer form (the result of
// VariantToFieldBuffer followed by FieldBufferToVariant), worked out without the buffer.
bool StoredValueToFieldVariant(TField* Field, const Variant& Stored, Variant& Value);
// Reads a field's native value for a getter: false when the field is null; otherwise Buffer.Ref
// points at the value the data set keeps (see StoredValueToFieldVariant) or Buffer holds it.
bool ReadFieldBuffer(TField* Field, TValueBuffer& Buffer);
// The Variant of a buffer that ReadFieldBuffer filled or lent.
bool ReadBufferToVariant(TField* Field, TValueBuffer& Buffer, Variant& Value);
// Reads a field's value as its native buffer form gives it, taking a value the data set keeps
// as a Variant without the buffer. False when the field is null.
bool ReadFieldVariant(TField* Field, Variant& Value);
// The text a stored string value reads as through an 8-bit field buffer of the given size, where
// it comes back unchanged (ASCII, no NUL, fits); false where the buffer has to be gone through.
bool StoredTextThroughAnsiBuffer(const Variant& Stored, int Size, String& Text);

// ---------------------------------------------------------------------------------------------
// Event types
using TDataSetNotifyEvent = TEvent<void(TDataSet* DataSet)>;
using TDataSetErrorEvent = TEvent<void(TDataSet* DataSet, EDatabaseError* E, TDataAction& Action)>;
using TFilterRecordEvent = TEvent<void(TDataSet* DataSet, bool& Accept)>;
using TFieldNotifyEvent = TEvent<void(TField* Sender)>;
using TFieldGetTextEvent = TEvent<void(TField* Sender, String& Text, bool DisplayText)>;
using TFieldSetTextEvent = TEvent<void(TField* Sender, const String& Text)>;
using TDataChangeEvent = TEvent<void(TObject* Sender, TField* Field)>;

// A field class reference: class information plus a factory (GetFieldClass answers one).
struct TFieldClassRec {
    const TClassInfo* Info = nullptr;
    TField* (*Create)(TComponent* Owner) = nullptr;
    String ClassName() const { return Info ? Info->ClassName() : String(); }
};
using TFieldClass = const TFieldClassRec*;
template <class T> TFieldClass FieldClassOf() {
    static const TFieldClassRec rec{&T::StaticClassInfo(),
                                    [](TComponent* o) -> TField* { return ::Create<T>(o); }};
    return &rec;
}
// The platform's default field class of each type (nullptr where none).
TFieldClass DefaultFieldClass(TFieldType t);

// ---------------------------------------------------------------------------------------------
// Field definitions
class TFieldDef : public TCollectionItem {
    KVT_CLASS(TFieldDef, TCollectionItem)
public:
    explicit TFieldDef(TCollection* Collection);
    ~TFieldDef() override;

    const String& Name() const { return FName; }
    void SetName(const String& Value);
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType Value);
    int Size() const { return FSize; }
    void SetSize(int Value);
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value);
    TFieldAttributes Attributes() const { return FAttributes; }
    void SetAttributes(TFieldAttributes Value);
    bool Required() const { return FAttributes.Contains(faRequired); }
    void SetRequired(bool Value);
    bool InternalCalcField() const { return FInternalCalcField; }
    void SetInternalCalcField(bool Value);
    int FieldNo() const { return FFieldNo; }
    void SetFieldNo(int Value) { FFieldNo = Value; }
    TFieldDefs* ChildDefs();
    bool HasChildDefs() const;
    TFieldDef* ParentDef() const;
    TFieldDefs* FieldDefs() const;
    TFieldClass FieldClass() const;
    String DisplayName() const { return FName; }
    String GetDisplayName() override { return FName; }

    TField* CreateField(TComponent* Owner, TField* ParentField = nullptr, const String& FieldName = String(),
                        bool CheckType = true);
    void Assign(TPersistent* Source) override;

private:
    String FName;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;
    int FPrecision = 0;
    TFieldAttributes FAttributes;
    bool FInternalCalcField = false;
    int FFieldNo = 0;
    std::unique_ptr<TFieldDefs> FChildDefs;
};

class TFieldDefs : public TOwnedCollection {
    KVT_CLASS(TFieldDefs, TOwnedCollection)
public:
    // AOwner is the data set, or the parent TFieldDef of child definitions.
    explicit TFieldDefs(TPersistent* AOwner);
    TFieldDef* AddFieldDef();
    TFieldDef* Add(const String& Name, TFieldType DataType, int Size = 0, bool Required = false);
    TFieldDef* Items(int Index) const { return static_cast<TFieldDef*>(TCollection::Items(Index)); }
    TFieldDef* Find(const String& Name) const; // "Field '%s' not found"
    int IndexOf(const String& Name) const;
    // Asks the data set for its definitions (InitFieldDefs) when they are not up to date.
    void Update();
    bool Updated() const { return FUpdated; }
    void SetUpdated(bool Value);
    bool HiddenFields() const { return FHiddenFields; }
    void SetHiddenFields(bool Value) { FHiddenFields = Value; }
    TDataSet* DataSet() const { return FDataSet; }
    TFieldDef* ParentDef() const { return FParentDef; }
    void GetItemNames(std::vector<String>& List) const;
    void Update(TCollectionItem* Item) override;

private:
    TDataSet* FDataSet = nullptr;
    TFieldDef* FParentDef = nullptr;
    bool FUpdated = false;
    int FInternalUpdate = 0;
    bool FHiddenFields = false;
};

// The definitions and their child definitions flattened, with full ("Parent.Child") names.
class TFieldDefList : public TObject {
    KVT_CLASS(TFieldDefList, TObject)
public:
    explicit TFieldDefList(TDataSet* ADataSet) : FDataSet(ADataSet) {}
    int Count();
    TFieldDef* FieldDefs(int Index);
    const String& Strings(int Index); // the full name
    TFieldDef* Find(const String& Name);
    TFieldDef* FieldByName(const String& Name); // "Field '%s' not found"
    int IndexOf(const String& Name);
    bool Updated() const { return FUpdated; }
    void SetUpdated(bool Value) { FUpdated = Value; }
    void Update();

private:
    void Add(TFieldDefs* Defs, const String& Prefix);
    TDataSet* FDataSet;
    bool FUpdated = false;
    std::vector<std::pair<String, TFieldDef*>> FList;
};

// ---------------------------------------------------------------------------------------------
// Index definitions
class TIndexDef : public TCollectionItem {
    KVT_CLASS(TIndexDef, TCollectionItem)
public:
    explicit TIndexDef(TCollection* Collection);
    const String& Name() const { return FName; }
    void SetName(const String& Value) { FName = Value; }
    const String& Fields() const { return FFields; }
    void SetFields(const String& Value) { FFields = Value; }
    TIndexOptions Options() const { return FOptions; }
    void SetOptions(TIndexOptions Value) { FOptions = Value; }
    const String& CaseInsFields() const { return FCaseInsFields; }
    void SetCaseInsFields(const String& Value) { FCaseInsFields = Value; }
    const String& DescFields() const { return FDescFields; }
    void SetDescFields(const String& Value) { FDescFields = Value; }
    const String& Expression() const { return FExpression; }
    void SetExpression(const String& Value) { FExpression = Value; }
    const String& Source() const { return FSource; }
    void SetSource(const String& Value) { FSource = Value; }
    int GroupingLevel() const { return FGroupingLevel; }
    void SetGroupingLevel(int Value) { FGroupingLevel = Value; }
    String GetDisplayName() override { return FName; }
    void Assign(TPersistent* Source) override;

private:
    String FName, FFields, FCaseInsFields, FDescFields, FExpression, FSource;
    TIndexOptions FOptions;
    int FGroupingLevel = 0;
};

class TIndexDefs : public TOwnedCollection {
    KVT_CLASS(TIndexDefs, TOwnedCollection)
public:
    explicit TIndexDefs(TDataSet* ADataSet);
    TIndexDef* AddIndexDef();
    TIndexDef* Add(const String& Name, const String& Fields, TIndexOptions Options);
    TIndexDef* Items(int Index) const { return static_cast<TIndexDef*>(TCollection::Items(Index)); }
    TIndexDef* Find(const String& Name) const; // "Index '%s' not found"
    int IndexOf(const String& Name) const;
    // The first index whose leading fields are Fields (case-insensitive field names);
    // CaseInsensitive selects indexes with or without ixCaseInsensitive.
    TIndexDef* FindIndexForFields(const String& Fields) const; // "No index for fields '%s'"
    TIndexDef* GetIndexForFields(const String& Fields, bool CaseInsensitive) const;
    using TOwnedCollection::Update;
    void Update(); // asks the data set (UpdateIndexDefs)
    bool Updated() const { return FUpdated; }
    void SetUpdated(bool Value) { FUpdated = Value; }
    TDataSet* DataSet() const { return FDataSet; }

private:
    TDataSet* FDataSet;
    bool FUpdated = false;
};

// A new list holding copies of the definitions whose options include one of IndexTypes (every
// definition when IndexTypes is empty); the platform's helper behind PSGetIndexDefs.
std::unique_ptr<TIndexDefs> GetIndexDefs(TIndexDefs* IndexDefs, TIndexOptions IndexTypes);

// ---------------------------------------------------------------------------------------------
// Fields
class TField : public TComponent {
    KVT_CLASS(TField, TComponent)
public:
    explicit TField(TComponent* AOwner);
    ~TField() override;
    void BeforeDestruction() override;

    // Identity
    TDataSet* DataSet() const { return FDataSet; }
    virtual void SetDataSet(TDataSet* ADataSet);
    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    String FullName() const { return FFieldName; }
    int FieldNo() const { return FFieldNo; }
    TFieldKind FieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind Value);
    TFieldType DataType() const { return FDataType; }
    int Size() const { return FSize; }
    void SetSize(int Value);
    // Bytes of the native buffer form.
    virtual int GetDataSize() const;
    int DataSize() const { return GetDataSize(); }
    int Index() const;
    void SetIndex(int Value); // reorders the data set's fields
    int Offset() const { return FOffset; }
    bool Calculated() const { return FFieldKind == fkCalculated; }
    void SetCalculated(bool Value);
    bool Lookup() const { return FFieldKind == fkLookup; }
    void SetLookup(bool Value);
    virtual bool IsBlob() const { return false; }
    bool IsIndexField() const { return FIsIndexField; }
    void SetIsIndexField(bool Value) { FIsIndexField = Value; }
    void SetFieldType(TFieldType Value);

    // Display
    String DisplayName() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
    String DisplayLabel() const { return DisplayName(); }
    void SetDisplayLabel(const String& Value);
    int DisplayWidth() const;
    void SetDisplayWidth(int Value);
    bool DisplayWidthStored() const { return FDisplayWidth > 0; }
    bool DisplayLabelStored() const { return !FDisplayLabel.isEmpty(); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    const String& EditMask() const { return FEditMask; }
    void SetEditMask(const String& Value);
    String DisplayText() { return GetDisplayText(); }
    String Text() { return GetEditText(); }
    void SetText(const String& Value) { SetEditText(Value); }

    // Access rules
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool Required() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    bool CanModify() { return GetCanModify(); }
    virtual bool GetCanModify();
    const String& DefaultExpression() const { return FDefaultExpression; }
    void SetDefaultExpression(const String& Value) { FDefaultExpression = Value; }
    const String& CustomConstraint() const { return FCustomConstraint; }
    void SetCustomConstraint(const String& Value) { FCustomConstraint = Value; }
    const String& ConstraintErrorMessage() const { return FConstraintErrorMessage; }
    void SetConstraintErrorMessage(const String& Value) { FConstraintErrorMessage = Value; }
    TAutoRefreshFlag AutoGenerateValue() const { return FAutoGenerateValue; }
    void SetAutoGenerateValue(TAutoRefreshFlag Value) { FAutoGenerateValue = Value; }
    TProviderFlags ProviderFlags() const { return FProviderFlags; }
    void SetProviderFlags(TProviderFlags Value) { FProviderFlags = Value; }
    const String& Origin() const { return FOrigin; }
    void SetOrigin(const String& Value) { FOrigin = Value; }
    // Characters the field accepts while typing (chars above 255 are accepted by text fields).
    virtual bool IsValidChar(QChar InputChar);
    const std::bitset<256>& ValidChars() const { return FValidChars; }
    void SetValidChars(const std::bitset<256>& Value) { FValidChars = Value; }

    // Lookup
    TDataSet* LookupDataSet() const { return FLookupDataSet; }
    void SetLookupDataSet(TDataSet* Value);
    const String& LookupKeyFields() const { return FLookupKeyFields; }
    void SetLookupKeyFields(const String& Value);
    const String& LookupResultField() const { return FLookupResultField; }
    void SetLookupResultField(const String& Value);
    const String& KeyFields() const { return FKeyFields; }
    void SetKeyFields(const String& Value);
    bool LookupCache() const { return FLookupCache; }
    void SetLookupCache(bool Value);
    TLookupList* LookupList();
    void RefreshLookupList();
    // Fills the field with its lookup result (in calculated-fields state).
    void CalcLookupValue();

    // Values
    bool IsNull();
    void Clear() { SetData(nullptr); }
    Variant Value() { return GetAsVariant(); }
    void SetValue(const Variant& V) { SetAsVariant(V); }
    Variant AsVariant() { return GetAsVariant(); }
    void SetAsVariant(const Variant& V);
    String AsString() { return GetAsString(); }
    void SetAsString(const String& V) { SetAsStringValue(V); }
    String AsWideString() { return GetAsString(); }
    void SetAsWideString(const String& V) { SetAsStringValue(V); }
    AnsiString AsAnsiString() { return ToAnsi(GetAsString()); }
    void SetAsAnsiString(const AnsiString& V) { SetAsStringValue(FromAnsi(V)); }
    Integer AsInteger() { return GetAsInteger(); }
    void SetAsInteger(Integer V) { SetAsIntegerValue(V); }
    Int64 AsLargeInt() { return GetAsLargeInt(); }
    void SetAsLargeInt(Int64 V) { SetAsLargeIntValue(V); }
    double AsFloat() { return GetAsFloat(); }
    void SetAsFloat(double V) { SetAsFloatValue(V); }
    Extended AsExtended() { return GetAsFloat(); }
    void SetAsExtended(Extended V) { SetAsFloatValue(double(V)); }
    Single AsSingle() { return Single(GetAsFloat()); }
    void SetAsSingle(Single V) { SetAsFloatValue(V); }
    Currency AsCurrency() { return GetAsCurrency(); }
    void SetAsCurrency(Currency V) { SetAsCurrencyValue(V); }
    bool AsBoolean() { return GetAsBoolean(); }
    void SetAsBoolean(bool V) { SetAsBooleanValue(V); }
    TDateTime AsDateTime() { return GetAsDateTime(); }
    void SetAsDateTime(TDateTime V) { SetAsDateTimeValue(V); }
    TBcd AsBCD() { return GetAsBCD(); }
    void SetAsBCD(const TBcd& V) { SetAsBCDValue(V); }
    TSQLTimeStamp AsSQLTimeStamp() { return GetAsSQLTimeStamp(); }
    void SetAsSQLTimeStamp(const TSQLTimeStamp& V) { SetAsSQLTimeStampValue(V); }
    TBytes AsBytes() { return GetAsBytes(); }
    void SetAsBytes(const TBytes& V) { SetAsBytesValue(V); }
    Variant OldValue();
    Variant CurValue();
    Variant NewValue();
    void SetNewValue(const Variant& V);
    // Assigns a value of any C++ kind through the matching As... setter.
    void AssignValue(const Variant& V) { SetAsVariant(V); }

    // Data path
    bool GetData(TValueBuffer* Buffer, bool NativeFormat = true);
    void SetData(const TValueBuffer* Buffer, bool NativeFormat = true);
    // Runs OnValidate with the value about to be written (reads of the field answer it).
    virtual void Validate(const TValueBuffer* Buffer);
    virtual void Change();
    virtual void DataChanged();
    virtual void FocusControl();
    // Called by the data set when it binds (opens) or unbinds its fields.
    virtual void Bind(bool Binding);
    // Raises when the size does not suit the class ("Invalid field size").
    virtual void CheckTypeSize(int Value);

    void Assign(TPersistent* Source) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Aggregate fields carry their aggregate object here.
    void* Handle() const { return FHandle; }
    void SetHandle(void* Value) { FHandle = Value; }

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

protected:
    friend class TDataSet;
    friend class TFields;
    void SetDataType(TFieldType Value) { FDataType = Value; }
    virtual bool AcceptsFieldType(TFieldType Value) const { return Value == FDataType; }
    void CheckInactive();
    void PropertyChanged(bool LayoutAffected);
    [[noreturn]] void AccessError(const String& TypeName);
    void ValidateLookupInfo(bool All);

    virtual Variant GetAsVariant();
    virtual void SetVarValue(const Variant& V);
    virtual String GetAsString();
    virtual void SetAsStringValue(const String& V);
    virtual Integer GetAsInteger();
    virtual void SetAsIntegerValue(Integer V);
    virtual Int64 GetAsLargeInt();
    virtual void SetAsLargeIntValue(Int64 V);
    virtual double GetAsFloat();
    virtual void SetAsFloatValue(double V);
    virtual Currency GetAsCurrency();
    virtual void SetAsCurrencyValue(Currency V);
    virtual bool GetAsBoolean();
    virtual void SetAsBooleanValue(bool V);
    virtual TDateTime GetAsDateTime();
    virtual void SetAsDateTimeValue(TDateTime V);
    virtual TBcd GetAsBCD();
    virtual void SetAsBCDValue(const TBcd& V);
    virtual TSQLTimeStamp GetAsSQLTimeStamp();
    virtual void SetAsSQLTimeStampValue(const TSQLTimeStamp& V);
    virtual TBytes GetAsBytes();
    virtual void SetAsBytesValue(const TBytes& V);
    // Text for display (DisplayText) or editing (Text); the default is AsString.
    virtual void GetText(String& Text, bool DisplayText);
    virtual void SetTextValue(const String& Value);
    String GetDisplayText();
    String GetEditText();
    void SetEditText(const String& Value);
    virtual int DefaultDisplayWidth() const { return 10; }

    // Reads the state-dependent old/current/new value.
    Variant GetStateValue(TDataSetState State);

    TFieldType FDataType = ftUnknown;
    int FSize = 0;
    TAlignment FAlignment = taLeftJustify;
    std::bitset<256> FValidChars;

private:
    TDataSet* FDataSet = nullptr;
    String FFieldName;
    String FDisplayLabel;
    int FDisplayWidth = 0;
    int FFieldNo = 0;
    int FOffset = 0;
    TFieldKind FFieldKind = fkData;
    bool FVisible = true;
    bool FReadOnly = false;
    bool FRequired = false;
    bool FIsIndexField = false;
    String FEditMask;
    String FDefaultExpression, FCustomConstraint, FConstraintErrorMessage, FOrigin;
    TAutoRefreshFlag FAutoGenerateValue = arNone;
    TProviderFlags FProviderFlags{pfInUpdate, pfInWhere};
    TDataSet* FLookupDataSet = nullptr;
    String FLookupKeyFields, FLookupResultField, FKeyFields;
    bool FLookupCache = false;
    std::unique_ptr<TLookupList> FLookupList;
    void* FHandle = nullptr;
    const TValueBuffer* FValueBuffer = nullptr;
    bool FValidating = false;
};

// Key → result cache of a lookup field.
class TLookupList : public TObject {
    KVT_CLASS(TLookupList, TObject)
public:
    void Add(const Variant& AKey, const Variant& AValue);
    void Clear() { FList.clear(); }
    Variant ValueOfKey(const Variant& AKey) const; // Null when absent
    int Count() const { return int(FList.size()); }

private:
    std::vector<std::pair<Variant, Variant>> FList;
};

class TStringField : public TField {
    KVT_CLASS(TStringField, TField)
public:
    explicit TStringField(TComponent* AOwner);
    int GetDataSize() const override { return Size() + 1; }
    bool FixedChar() const { return FFixedChar; }
    void SetFixedChar(bool Value);
    bool Transliterate() const { return FTransliterate; }
    void SetTransliterate(bool Value) { FTransliterate = Value; }
    void CheckTypeSize(int Value) override;
    bool GetValue(String& Value);

protected:
    bool AcceptsFieldType(TFieldType Value) const override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    String GetAsString() override;
    void SetAsStringValue(const String& V) override;
    Integer GetAsInteger() override;
    void SetAsIntegerValue(Integer V) override { SetAsStringValue(IntToStr(V)); }
    Int64 GetAsLargeInt() override;
    void SetAsLargeIntValue(Int64 V) override { SetAsStringValue(IntToStr(V)); }
    double GetAsFloat() override;
    void SetAsFloatValue(double V) override { SetAsStringValue(FloatToStr(V)); }
    Currency GetAsCurrency() override { return Currency(GetAsFloat()); }
    void SetAsCurrencyValue(Currency V) override { SetAsStringValue(CurrToStr(V)); }
    bool GetAsBoolean() override;
    void SetAsBooleanValue(bool V) override;
    TDateTime GetAsDateTime() override;
    void SetAsDateTimeValue(TDateTime V) override { SetAsStringValue(DateTimeToStr(V)); }
    int DefaultDisplayWidth() const override { return Size(); }

private:
    bool FFixedChar = false;
    bool FTransliterate = true;
};

class TWideStringField : public TStringField {
    KVT_CLASS(TWideStringField, TStringField)
public:
    explicit TWideStringField(TComponent* AOwner);
    int GetDataSize() const override { return (Size() + 1) * 2; }

protected:
    bool AcceptsFieldType(TFieldType Value) const override {
        return Value == ftWideString || Value == ftFixedWideChar;
    }
    Variant GetAsVariant() override;
    String GetAsString() override;
    void SetAsStringValue(const String& V) override;
};

class TGuidField : public TStringField {
    KVT_CLASS(TGuidField, TStringField)
public:
    explicit TGuidField(TComponent* AOwner);
    void CheckTypeSize(int Value) override;

protected:
    bool AcceptsFieldType(TFieldType Value) const override { return Value == ftGuid; }
};

class TNumericField : public TField {
    KVT_CLASS(TNumericField, TField)
public:
    explicit TNumericField(TComponent* AOwner);
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value);
    const String& EditFormat() const { return FEditFormat; }
    void SetEditFormat(const String& Value);

protected:
    String FDisplayFormat, FEditFormat;
};

// Integer fields of every width: ftInteger, ftSmallint, ftWord, ftShortint, ftByte, ftLongWord
// and ftAutoInc, each with its range.
class TIntegerField : public TNumericField {
    KVT_CLASS(TIntegerField, TNumericField)
public:
    explicit TIntegerField(TComponent* AOwner);
    int GetDataSize() const override;
    Int64 MinValue() const { return FMinValue; }
    void SetMinValue(Int64 Value);
    Int64 MaxValue() const { return FMaxValue; }
    void SetMaxValue(Int64 Value);
    bool GetValue(Int64& Value);

protected:
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    String GetAsString() override;
    void SetAsStringValue(const String& V) override;
    Integer GetAsInteger() override;
    void SetAsIntegerValue(Integer V) override { SetAsLargeIntValue(V); }
    Int64 GetAsLargeInt() override;
    void SetAsLargeIntValue(Int64 V) override;
    double GetAsFloat() override { return double(GetAsLargeInt()); }
    void SetAsFloatValue(double V) override;
    Currency GetAsCurrency() override { return Currency(GetAsLargeInt()); }
    void SetAsCurrencyValue(Currency V) override { SetAsLargeIntValue(V.Round()); }
    bool GetAsBoolean() override { return GetAsLargeInt() != 0; }
    void SetAsBooleanValue(bool V) override { SetAsLargeIntValue(V ? 1 : 0); }
    void GetText(String& Text, bool DisplayText) override;
    int DefaultDisplayWidth() const override { return 11; }
    // The type's own range.
    Int64 TypeMin() const;
    Int64 TypeMax() const;
    void CheckRange(Int64 Value);

private:
    Int64 FMinValue = 0, FMaxValue = 0;
};

class TSmallintField : public TIntegerField {
    KVT_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* AOwner);
};
class TWordField : public TIntegerField {
    KVT_CLASS(TWordField, TIntegerField)
public:
    explicit TWordField(TComponent* AOwner);
};
class TShortintField : public TIntegerField {
    KVT_CLASS(TShortintField, TIntegerField)
public:
    explicit TShortintField(TComponent* AOwner);
};
class TByteField : public TIntegerField {
    KVT_CLASS(TByteField, TIntegerField)
public:
    explicit TByteField(TComponent* AOwner);
};
class TLongWordField : public TIntegerField {
    KVT_CLASS(TLongWordField, TIntegerField)
public:
    explicit TLongWordField(TComponent* AOwner);
};
class TAutoIncField : public TIntegerField {
    KVT_CLASS(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(TComponent* AOwner);
};
class TLargeintField : public TIntegerField {
    KVT_CLASS(TLargeintField, TIntegerField)
public:
    explicit TLargeintField(TComponent* AOwner);
};

// ftFloat (and, as TCurrencyField, ftCurrency); TExtendedField and TSingleField share it.
class TFloatField : public TNumericField {
    KVT_CLASS(TFloatField, TNumericField)
public:
    explicit TFloatField(TComponent* AOwner);
    int GetDataSize() const override;
    bool currency() const { return FCurrency; }
    void SetCurrency(bool Value);
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value);
    double MinValue() const { return FMinValue; }
    void SetMinValue(double Value) { FMinValue = Value; }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double Value) { FMaxValue = Value; }
    bool GetValue(double& Value);

protected:
    bool AcceptsFieldType(TFieldType Value) const override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    String GetAsString() override;
    void SetAsStringValue(const String& V) override;
    Integer GetAsInteger() override;
    void SetAsIntegerValue(Integer V) override { SetAsFloatValue(V); }
    Int64 GetAsLargeInt() override;
    void SetAsLargeIntValue(Int64 V) override { SetAsFloatValue(double(V)); }
    double GetAsFloat() override;
    void SetAsFloatValue(double V) override;
    Currency GetAsCurrency() override { return Currency(GetAsFloat()); }
    void SetAsCurrencyValue(Currency V) override { SetAsFloatValue(V.ToDouble()); }
    bool GetAsBoolean() override { return GetAsFloat() != 0; }
    void GetText(String& Text, bool DisplayText) override;

private:
    bool FCurrency = false;
    int FPrecision = 15;
    double FMinValue = 0, FMaxValue = 0;
};

class TCurrencyField : public TFloatField {
    KVT_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* AOwner);
};
class TExtendedField : public TFloatField {
    KVT_CLASS(TExtendedField, TFloatField)
public:
    explicit TExtendedField(TComponent* AOwner);
};
class TSingleField : public TFloatField {
    KVT_CLASS(TSingleField, TFloatField)
public:
    explicit TSingleField(TComponent* AOwner);
};

class TBooleanField : public TField {
    KVT_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* AOwner);
    int GetDataSize() const override { return 2; }
    const String& DisplayValues() const { return FDisplayValues; }
    // "Yes;No": the texts for true and false (the false text may be omitted).
    void SetDisplayValues(const String& Value);
    bool GetValue(bool& Value);

protected:
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    String GetAsString() override;
    void SetAsStringValue(const String& V) override;
    bool GetAsBoolean() override;
    void SetAsBooleanValue(bool V) override;
    Integer GetAsInteger() override { return GetAsBoolean() ? 1 : 0; }
    void SetAsIntegerValue(Integer V) override { SetAsBooleanValue(V != 0); }
    int DefaultDisplayWidth() const override;

private:
    String FDisplayValues;
    String FTextValues[2]; // false, true
};

class TBCDField : public TNumericField {
    KVT_CLASS(TBCDField, TNumericField)
public:
    explicit TBCDField(TComponent* AOwner);
    int GetDataSize() const override { return int(sizeof(TBcd)); }
    bool currency() const { return FCurrency; }
    void SetCurrency(bool Value);
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value);
    Currency MinValue() const { return FMinValue; }
    void SetMinValue(Currency Value) { FMinValue = Value; }
    Currency MaxValue() const { return FMaxValue; }
    void SetMaxValue(Currency Value) { FMaxValue = Value; }
    void CheckTypeSize(int Value) override;
    bool GetValue(Currency& Value);

protected:
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    String GetAsString() override;
    void SetAsStringValue(const String& V) override;
    Integer GetAsInteger() override { return Integer(GetAsCurrency().Trunc()); }
    void SetAsIntegerValue(Integer V) override { SetAsCurrencyValue(Currency(V)); }
    Int64 GetAsLargeInt() override { return GetAsCurrency().Trunc(); }
    void SetAsLargeIntValue(Int64 V) override { SetAsCurrencyValue(Currency(V)); }
    double GetAsFloat() override { return GetAsCurrency().ToDouble(); }
    void SetAsFloatValue(double V) override { SetAsCurrencyValue(Currency(V)); }
    Currency GetAsCurrency() override;
    void SetAsCurrencyValue(Currency V) override;
    TBcd GetAsBCD() override { return CurrToBCD(GetAsCurrency()); }
    void SetAsBCDValue(const TBcd& V) override;
    void GetText(String& Text, bool DisplayText) override;

private:
    bool FCurrency = false;
    int FPrecision = 0;
    Currency FMinValue, FMaxValue;
};

class TFMTBCDField : public TNumericField {
    KVT_CLASS(TFMTBCDField, TNumericField)
public:
    explicit TFMTBCDField(TComponent* AOwner);
    int GetDataSize() const override { return int(sizeof(TBcd)); }
    bool currency() const { return FCurrency; }
    void SetCurrency(bool Value);
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value);
    const String& MinValue() const { return FMinValue; }
    void SetMinValue(const String& Value) { FMinValue = Value; }
    const String& MaxValue() const { return FMaxValue; }
    void SetMaxValue(const String& Value) { FMaxValue = Value; }
    void CheckTypeSize(int Value) override;

protected:
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    String GetAsString() override;
    void SetAsStringValue(const String& V) override;
    Integer GetAsInteger() override { return Integer(GetAsFloat()); }
    void SetAsIntegerValue(Integer V) override { SetAsFloatValue(V); }
    Int64 GetAsLargeInt() override { return Int64(GetAsFloat()); }
    void SetAsLargeIntValue(Int64 V) override { SetAsBCDValue(StrToBcd(IntToStr(V))); }
    double GetAsFloat() override;
    void SetAsFloatValue(double V) override { SetAsBCDValue(DoubleToBcd(V)); }
    Currency GetAsCurrency() override;
    void SetAsCurrencyValue(Currency V) override { SetAsBCDValue(CurrToBCD(V, 32, Size())); }
    TBcd GetAsBCD() override;
    void SetAsBCDValue(const TBcd& V) override;
    void GetText(String& Text, bool DisplayText) override;

private:
    bool FCurrency = false;
    int FPrecision = 15;
    String FMinValue, FMaxValue;
};

// ftDateTime (TDateField: ftDate, TTimeField: ftTime).
class TDateTimeField : public TField {
    KVT_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* AOwner);
    int GetDataSize() const override;
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value);
    bool GetValue(TDateTime& Value);

protected:
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    String GetAsString() override;
    void SetAsStringValue(const String& V) override;
    double GetAsFloat() override { return GetAsDateTime(); }
    void SetAsFloatValue(double V) override { SetAsDateTimeValue(V); }
    TDateTime GetAsDateTime() override;
    void SetAsDateTimeValue(TDateTime V) override;
    TSQLTimeStamp GetAsSQLTimeStamp() override { return DateTimeToSQLTimeStamp(GetAsDateTime()); }
    void SetAsSQLTimeStampValue(const TSQLTimeStamp& V) override {
        SetAsDateTimeValue(SQLTimeStampToDateTime(V));
    }
    void GetText(String& Text, bool DisplayText) override;
    int DefaultDisplayWidth() const override;

private:
    String FDisplayFormat;
};

class TDateField : public TDateTimeField {
    KVT_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* AOwner);
};
class TTimeField : public TDateTimeField {
    KVT_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* AOwner);
};

class TSQLTimeStampField : public TField {
    KVT_CLASS(TSQLTimeStampField, TField)
public:
    explicit TSQLTimeStampField(TComponent* AOwner);
    int GetDataSize() const override { return int(sizeof(TSQLTimeStamp)); }
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value);

protected:
    bool AcceptsFieldType(TFieldType Value) const override {
        return Value == ftTimeStamp || Value == ftOraTimeStamp;
    }
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    String GetAsString() override;
    void SetAsStringValue(const String& V) override;
    TDateTime GetAsDateTime() override;
    void SetAsDateTimeValue(TDateTime V) override { SetAsSQLTimeStampValue(DateTimeToSQLTimeStamp(V)); }
    TSQLTimeStamp GetAsSQLTimeStamp() override;
    void SetAsSQLTimeStampValue(const TSQLTimeStamp& V) override;
    void GetText(String& Text, bool DisplayText) override;

private:
    String FDisplayFormat;
};

// ftBytes and (TVarBytesField) ftVarBytes.
class TBinaryField : public TField {
    KVT_CLASS(TBinaryField, TField)
public:
    explicit TBinaryField(TComponent* AOwner);
    void CheckTypeSize(int Value) override;

protected:
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    String GetAsString() override;
    void SetAsStringValue(const String& V) override;
    TBytes GetAsBytes() override;
    void SetAsBytesValue(const TBytes& V) override;
    void GetText(String& Text, bool DisplayText) override;
};
class TBytesField : public TBinaryField {
    KVT_CLASS(TBytesField, TBinaryField)
public:
    explicit TBytesField(TComponent* AOwner);
    int GetDataSize() const override { return Size(); }
};
class TVarBytesField : public TBinaryField {
    KVT_CLASS(TVarBytesField, TBinaryField)
public:
    explicit TVarBytesField(TComponent* AOwner);
    int GetDataSize() const override { return Size() + 2; }
};

// ftBlob..ftTypedBinary, ftOraBlob, ftOraClob, ftWideMemo: the value is a Variant (a byte
// array or a text) that the data set keeps; CreateBlobStream reads and writes it as bytes.
class TBlobField : public TField {
    KVT_CLASS(TBlobField, TField)
public:
    explicit TBlobField(TComponent* AOwner);
    int GetDataSize() const override { return 0; }
    bool IsBlob() const override { return true; }
    TBlobType BlobType() const { return DataType(); }
    void SetBlobType(TBlobType Value);
    bool GraphicHeader() const { return FGraphicHeader; }
    void SetGraphicHeader(bool Value) { FGraphicHeader = Value; }
    bool Transliterate() const { return FTransliterate; }
    void SetTransliterate(bool Value) { FTransliterate = Value; }
    int BlobSize();
    bool Modified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream);
    void LoadFromFile(const String& FileName);
    void SaveToFile(const String& FileName);
    void CheckTypeSize(int /*Value*/) override {}
    static bool IsBlobType(TFieldType T) { return ::IsBlobType(T); }

protected:
    bool AcceptsFieldType(TFieldType Value) const override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    String GetAsString() override;
    void SetAsStringValue(const String& V) override;
    TBytes GetAsBytes() override;
    void SetAsBytesValue(const TBytes& V) override;
    void GetText(String& Text, bool DisplayText) override;
    bool IsTextBlob() const;

private:
    bool FGraphicHeader = true;
    bool FTransliterate = false;
    bool FModified = false;
};
class TMemoField : public TBlobField {
    KVT_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* AOwner);
};
class TWideMemoField : public TBlobField {
    KVT_CLASS(TWideMemoField, TBlobField)
public:
    explicit TWideMemoField(TComponent* AOwner);
};
class TGraphicField : public TBlobField {
    KVT_CLASS(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* AOwner);
};

// ftVariant: any Variant.
class TVariantField : public TField {
    KVT_CLASS(TVariantField, TField)
public:
    explicit TVariantField(TComponent* AOwner);
    int GetDataSize() const override { return 0; }

protected:
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& V) override;
    String GetAsString() override { return VarToStr(GetAsVariant()); }
    void SetAsStringValue(const String& V) override { SetVarValue(Variant(V)); }
    Integer GetAsInteger() override { return GetAsVariant().AsInteger(); }
    void SetAsIntegerValue(Integer V) override { SetVarValue(Variant(V)); }
    Int64 GetAsLargeInt() override { return GetAsVariant().AsInt64(); }
    void SetAsLargeIntValue(Int64 V) override { SetVarValue(Variant(V)); }
    double GetAsFloat() override { return GetAsVariant().AsDouble(); }
    void SetAsFloatValue(double V) override { SetVarValue(Variant(V)); }
    Currency GetAsCurrency() override { return GetAsVariant().AsCurrency(); }
    void SetAsCurrencyValue(Currency V) override { SetVarValue(Variant(V)); }
    bool GetAsBoolean() override { return GetAsVariant().AsBoolean(); }
    void SetAsBooleanValue(bool V) override { SetVarValue(Variant(V)); }
    TDateTime GetAsDateTime() override { return GetAsVariant().AsDateTime(); }
    void SetAsDateTimeValue(TDateTime V) override { SetVarValue(VarFromDateTime(V)); }
};

// ftInterface / ftIDispatch: an object reference carried as a Variant.
class TInterfaceField : public TVariantField {
    KVT_CLASS(TInterfaceField, TVariantField)
public:
    explicit TInterfaceField(TComponent* AOwner);

protected:
    bool AcceptsFieldType(TFieldType Value) const override {
        return Value == ftInterface || Value == ftIDispatch;
    }
};
class TIDispatchField : public TInterfaceField {
    KVT_CLASS(TIDispatchField, TInterfaceField)
public:
    explicit TIDispatchField(TComponent* AOwner);
};

// An aggregate of the data set (fkAggregate); its value comes from GetAggregateValue.
class TAggregateField : public TField {
    KVT_CLASS(TAggregateField, TField)
public:
    explicit TAggregateField(TComponent* AOwner);
    int GetDataSize() const override { return 0; }
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    const String& Expression() const { return FExpression; }
    void SetExpression(const String& Value);
    bool currency() const { return FCurrency; }
    void SetCurrency(bool Value);
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value);
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }
    TFieldType ResultType() const { return FResultType; }
    void SetResultType(TFieldType Value) { FResultType = Value; }
    const String& GroupingLevelStr() const { return FIndexName; }
    const String& IndexName() const { return FIndexName; }
    void SetIndexName(const String& Value) { FIndexName = Value; }
    int GroupingLevel() const { return FGroupingLevel; }
    void SetGroupingLevel(int Value) { FGroupingLevel = Value; }

protected:
    Variant GetAsVariant() override;
    String GetAsString() override;
    void GetText(String& Text, bool DisplayText) override;

private:
    bool FActive = false;
    String FExpression, FDisplayFormat, FIndexName;
    bool FCurrency = false;
    int FPrecision = 15;
    int FGroupingLevel = 0;
    TFieldType FResultType = ftUnknown;
};

// ---------------------------------------------------------------------------------------------
// The fields of a data set (not owning: fields belong to their owner component).
class TFields : public TObject {
    KVT_CLASS(TFields, TObject)
public:
    explicit TFields(TDataSet* ADataSet) : FDataSet(ADataSet) {}
    ~TFields() override;
    int Count() const { return int(FList.size()); }
    TField* Fields(int Index) const; // "Field index out of range"
    TField* operator[](int Index) const { return Fields(Index); }
    void Add(TField* Field);
    void Remove(TField* Field);
    // Frees every field (the data set's destruction and DestroyFields).
    void Clear();
    int IndexOf(const TField* Field) const;
    TField* FindField(const String& FieldName) const;   // case-insensitive
    TField* FieldByName(const String& FieldName) const; // "Field '%s' not found"
    TField* FieldByNumber(int FieldNo) const;
    void GetFieldNames(std::vector<String>& List) const;
    void CheckFieldName(const String& FieldName) const; // missing or duplicate
    void CheckFieldNames(const String& FieldNames) const;
    void SetFieldIndex(TField* Field, int Value);
    TDataSet* DataSet() const { return FDataSet; }
    std::vector<TField*>::const_iterator begin() const { return FList.begin(); }
    std::vector<TField*>::const_iterator end() const { return FList.end(); }
    TNotifyEvent OnChange;

protected:
    void Changed();

private:
    TDataSet* FDataSet;
    std::vector<TField*> FList;
};

// ---------------------------------------------------------------------------------------------
// Parameters
class TParam : public TCollectionItem {
    KVT_CLASS(TParam, TCollectionItem)
public:
    explicit TParam(TCollection* Collection);
    TParam(TParams* AParams, TParamType AParamType);
    const String& Name() const { return FName; }
    void SetName(const String& Value) { FName = Value; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType Value);
    TParamType ParamType() const { return FParamType; }
    void SetParamType(TParamType Value) { FParamType = Value; }
    int Size() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }
    int NumericScale() const { return FNumericScale; }
    void SetNumericScale(int Value) { FNumericScale = Value; }
    bool Bound() const { return FBound; }
    void SetBound(bool Value);
    bool IsNull() const { return VarIsNull(FData) || VarIsEmpty(FData); }
    void Clear();
    const Variant& Value() const { return FData; }
    // Sets the value; an unknown data type takes the value's type.
    void SetValue(const Variant& V);
    String AsString() const { return VarToStr(FData); }
    void SetAsString(const String& V);
    Integer AsInteger() const { return IsNull() ? 0 : FData.AsInteger(); }
    void SetAsInteger(Integer V);
    Int64 AsLargeInt() const { return IsNull() ? 0 : FData.AsInt64(); }
    void SetAsLargeInt(Int64 V);
    double AsFloat() const { return IsNull() ? 0 : FData.AsDouble(); }
    void SetAsFloat(double V);
    Currency AsCurrency() const { return IsNull() ? Currency() : FData.AsCurrency(); }
    void SetAsCurrency(Currency V);
    bool AsBoolean() const { return IsNull() ? false : FData.AsBoolean(); }
    void SetAsBoolean(bool V);
    TDateTime AsDateTime() const { return IsNull() ? 0 : FData.AsDateTime(); }
    void SetAsDateTime(TDateTime V);
    void SetAsDate(TDateTime V);
    void SetAsTime(TDateTime V);
    // Takes the field's type, size and value.
    void AssignField(TField* Field);
    void AssignFieldValue(TField* Field, const Variant& Value);
    void AssignTo(TPersistent* Dest) override;
    void Assign(TPersistent* Source) override;
    String GetDisplayName() override { return FName.isEmpty() ? TCollectionItem::GetDisplayName() : FName; }
    TParams* ParamsOwner() const;

private:
    String FName;
    TFieldType FDataType = ftUnknown;
    TParamType FParamType = ptUnknown;
    int FSize = 0, FPrecision = 0, FNumericScale = 0;
    bool FBound = false;
    Variant FData;
};

class TParams : public TCollection {
    KVT_CLASS(TParams, TCollection)
public:
    explicit TParams(TPersistent* AOwner = nullptr);
    TParam* Items(int Index) const { return static_cast<TParam*>(TCollection::Items(Index)); }
    TParam* AddParam();
    void AddParam(TParam* Value);
    TParam* CreateParam(TFieldType FldType, const String& ParamName, TParamType ParamType);
    void RemoveParam(TParam* Value);
    TParam* FindParam(const String& Value) const;
    TParam* ParamByName(const String& Value) const; // "Parameter '%s' not found"
    // One value, or a variant array for several ";"-separated names.
    Variant ParamValues(const String& ParamName) const;
    void SetParamValues(const String& ParamName, const Variant& Value);
    void GetParamList(std::vector<TParam*>& List, const String& ParamNames) const;
    // Copies the values of same-named parameters of Value.
    void AssignValues(TParams* Value);
    bool IsEqual(TParams* Value) const;
    TPersistent* GetOwner() override { return FOwner; }

private:
    TPersistent* FOwner;
};

// ---------------------------------------------------------------------------------------------
// Data links and data sources
class TDataLink : public TPersistent {
    KVT_CLASS(TDataLink, TPersistent)
public:
    TDataLink();
    ~TDataLink() override;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* ADataSource);
    TDataSet* DataSet() const;
    bool DataSourceFixed() const { return FDataSourceFixed; }
    void SetDataSourceFixed(bool Value) { FDataSourceFixed = Value; }
    bool Active() const { return FActive; }
    bool Editing() const { return FEditing; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool VisualControl() const { return FVisualControl; }
    void SetVisualControl(bool Value) { FVisualControl = Value; }
    // The active record relative to this link's first record; writable to read other buffered
    // rows without moving the cursor.
    int ActiveRecord() const;
    void SetActiveRecord(int Value);
    int BufferCount() const { return FBufferCount; }
    void SetBufferCount(int Value);
    int RecordCount() const; // buffered records, at most BufferCount
    int FirstRecord() const { return FFirstRecord; }
    bool BOF() const;
    bool Eof() const;
    bool Bof() const { return BOF(); }
    // Starts editing through the data source (AutoEdit); answers Editing.
    bool Edit();
    int MoveBy(int Distance);
    void UpdateRecord();
    bool Updating() const { return FUpdating; }
    virtual bool ExecuteAction(TBasicAction* Action);
    virtual bool UpdateAction(TBasicAction* Action);

    // The platform's dispatch of data events to the virtual reactions below.
    virtual void DataEvent(TDataEvent Event, NativeInt Info);

protected:
    friend class TDataSet;
    friend class TDataSource;
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int Distance);
    virtual void EditingChanged() {}
    virtual void FocusControl(TField** Field);
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field);
    virtual void UpdateData() {}
    virtual TDataSet* GetDetailDataSet() { return nullptr; }
    void UpdateState();
    void UpdateRange();
    void SetActive(bool Value);
    void SetEditing(bool Value);

    TDataSource* FDataSource = nullptr;
    TDataLink* FNext = nullptr; // the data set's chain of links
    int FBufferCount = 1;
    int FFirstRecord = 0;
    bool FReadOnly = false;
    bool FActive = false;
    bool FVisualControl = false;
    bool FEditing = false;
    bool FUpdating = false;
    bool FDataSourceFixed = false;
};

// A link whose data set is a detail of the source's data set.
class TDetailDataLink : public TDataLink {
    KVT_CLASS(TDetailDataLink, TDataLink)
public:
    TDataSet* DetailDataSet() { return GetDetailDataSet(); }
};

// Links a detail data set to its master: keeps the master's fields named by FieldNames and
// tells the detail when they change.
class TMasterDataLink : public TDetailDataLink {
    KVT_CLASS(TMasterDataLink, TDetailDataLink)
public:
    explicit TMasterDataLink(TDataSet* ADataSet);
    ~TMasterDataLink() override;
    const String& FieldNames() const { return FFieldNames; }
    void SetFieldNames(const String& Value);
    const std::vector<TField*>& Fields() const { return FFields; }
    TNotifyEvent OnMasterChange;
    TNotifyEvent OnMasterDisable;

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    TDataSet* GetDetailDataSet() override { return FDataSet; }
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;

private:
    TDataSet* FDataSet;
    String FFieldNames;
    std::vector<TField*> FFields;
};

class TDataSource : public TComponent {
    KVT_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* AOwner = nullptr);
    ~TDataSource() override;
    void BeforeDestruction() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* ADataSet); // "Circular datalinks are not allowed"
    bool AutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool Value) { FAutoEdit = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    TDataSetState State() const { return FState; }
    // Starts editing the data set when AutoEdit allows it and it is browsing.
    void Edit();
    // Whether this source feeds, directly or through masters, ADataSet.
    bool IsLinkedTo(TDataSet* ADataSet) const;
    int DataLinkCount() const { return int(FDataLinks.size()); }
    TDataLink* DataLinks(int Index) const { return FDataLinks[size_t(Index)]; }
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;
    TNotifyEvent OnUpdateData;

protected:
    friend class TDataSet;
    friend class TDataLink;
    void AddDataLink(TDataLink* DataLink);
    void RemoveDataLink(TDataLink* DataLink);
    void DataEvent(TDataEvent Event, NativeInt Info);
    void NotifyDataLinks(TDataEvent Event, NativeInt Info);
    void NotifyLinkTypes(TDataEvent Event, NativeInt Info, bool LinkType);
    void UpdateState();
    void SetState(TDataSetState Value);

private:
    TDataSet* FDataSet = nullptr;
    std::vector<TDataLink*> FDataLinks;
    bool FEnabled = true;
    bool FAutoEdit = true;
    TDataSetState FState = dsInactive;
};

// ---------------------------------------------------------------------------------------------
// A blob stream over a field's Variant: reads the value at creation and, when written, stores
// it back (SetFieldData) when freed.
class TDataSetBlobStream : public TMemoryStream {
    KVT_CLASS(TDataSetBlobStream, TMemoryStream)
public:
    TDataSetBlobStream(TBlobField* Field, TBlobStreamMode Mode);
    ~TDataSetBlobStream() override;
    Integer Write(const void* Buffer, Integer Count) override;
    void SetSize(Int64 NewSize) override;
    // Stores a written value now (the destructor does it otherwise).
    void Commit();

private:
    TBlobField* FField;
    TBlobStreamMode FMode;
    bool FModified = false;
};

// ---------------------------------------------------------------------------------------------
// TDataSet
//
// A descendant supplies the storage and the cursor:
// - buffers: AllocRecordBuffer / FreeRecordBuffer hand out handles; InternalInitRecord clears
//   one; Get/SetBookmarkData and Get/SetBookmarkFlag read and write a buffer's bookmark;
// - cursor: IsCursorOpen, InternalOpen (field definitions, CreateFields when DefaultFields,
//   BindFields(true), SetBookmarkSize), InternalClose (BindFields(false), DestroyFields when
//   DefaultFields), InternalFirst / InternalLast (before the first / after the last record),
//   GetRecord (gmCurrent, gmNext, gmPrior into a buffer, then GetCalcFields on it),
//   InternalSetToRecord / InternalGotoBookmark;
// - editing: InternalInsert, InternalPost (call the base for the required-field check; an
//   insert appends when Eof() is set or the buffer's flag is bfEOF, else goes in front of the
//   record its bookmark names), InternalCancel, InternalDelete, InternalRefresh;
// - values: GetFieldData / SetFieldData (SetFieldData checks the state and ReadOnly, calls
//   Field->Validate and sends deFieldChange outside dsCalcFields, dsFilter, dsNewValue and
//   dsInternalCalc), GetRecordCount, GetRecNo, SetRecNo, BookmarkValid, CompareBookmarks.
// A descendant overriding some GetFieldData / SetFieldData overloads should bring the others
// into scope (`using TDataSet::GetFieldData;`).
class TDataSet : public TComponent {
    KVT_CLASS(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;
    void BeforeDestruction() override;

    // --- state ------------------------------------------------------------------------------
    bool Active() const { return FState != dsInactive && FState != dsOpening; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }
    bool Modified() const { return FModified; }
    void SetModified(bool Value);
    bool CanModify() { return GetCanModify(); }
    bool DefaultFields() const { return FDefaultFields; }
    bool ObjectView() const { return FObjectView; }
    void SetObjectView(bool Value) { FObjectView = Value; }
    bool AutoCalcFields() const { return FAutoCalcFields; }
    void SetAutoCalcFields(bool Value) { FAutoCalcFields = Value; }
    void CheckBrowseMode();
    void CheckActive();
    void CheckInactive();

    // --- navigation -------------------------------------------------------------------------
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int Distance);
    bool Bof() const { return FBOF; }
    bool Eof() const { return FEOF; }
    bool BOF() const { return FBOF; }
    bool IsEmpty() const { return FActiveRecord >= FRecordCount; }
    int RecNo() { return GetRecNo(); }
    virtual void SetRecNo(int /*Value*/) {}
    int RecordCount() { return GetRecordCount(); }
    int RecordSize() { return GetRecordSize(); }
    virtual bool IsSequenced() { return true; }
    virtual void Refresh();
    virtual void Resync(TResyncMode Mode);
    void UpdateCursorPos();
    void CursorPosChanged() { FCurrentRecord = -1; }
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount != 0; }
    void UpdateRecord(); // asks the links to write pending changes (deUpdateRecord)

    // --- editing ----------------------------------------------------------------------------
    void Edit();
    void Insert();
    void Append();
    void InsertRecord(const std::vector<Variant>& Values);
    void AppendRecord(const std::vector<Variant>& Values);
    void SetFields(const std::vector<Variant>& Values);
    virtual void Post();
    virtual void Cancel();
    void Delete();
    void ClearFields();

    // --- bookmarks --------------------------------------------------------------------------
    TBookmark Bookmark() { return GetBookmark(); }
    void SetBookmark(const TBookmark& Value) { GotoBookmark(Value); }
    virtual TBookmark GetBookmark();
    virtual TBookmarkStr GetBookmarkStr();
    void GotoBookmark(const TBookmark& Bookmark);
    virtual bool BookmarkValid(const TBookmark& Bookmark);
    virtual int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2);
    void FreeBookmark(TBookmark& Bookmark) { Bookmark.clear(); }
    int BookmarkSize() const { return FBookmarkSize; }
    bool BookmarkAvailable();

    // --- searching --------------------------------------------------------------------------
    // The base answers by walking the records (controls disabled, cursor restored by Lookup).
    virtual bool Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options);
    virtual Variant Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields);

    // --- fields -----------------------------------------------------------------------------
    TFields* Fields() const { return FFields.get(); }
    TFields* AggFields() const { return FAggFields.get(); }
    int FieldCount() const { return FFields->Count(); }
    TFieldDefs* FieldDefs() const { return FFieldDefs.get(); }
    TFieldDefList* FieldDefList() const { return FFieldDefList.get(); }
    TIndexDefs* IndexDefs() const;
    TField* FindField(const String& FieldName) const;
    TField* FieldByName(const String& FieldName) const; // "Field '%s' not found"
    TField* FieldByNumber(int FieldNo) const { return FFields->FieldByNumber(FieldNo); }
    void GetFieldList(std::vector<TField*>& List, const String& FieldNames) const;
    void GetFieldList(TList* List, const String& FieldNames) const;
    void GetFieldNames(std::vector<String>& List) const;
    // One value, or a variant array for several ";"-separated names.
    Variant FieldValues(const String& FieldName) const;
    void SetFieldValues(const String& FieldName, const Variant& Value);
    void DestroyFields();
    void CreateFieldsFromDefs() { CreateFields(); }

    // --- filter -----------------------------------------------------------------------------
    const String& Filter() const { return FFilterText; }
    void SetFilter(const String& Value) { SetFilterText(Value); }
    bool Filtered() const { return FFiltered; }
    virtual void SetFiltered(bool Value);
    TFilterOptions FilterOptions() const { return FFilterOptions; }
    virtual void SetFilterOptions(TFilterOptions Value);
    virtual void SetFilterText(const String& Value);
    virtual void SetOnFilterRecord(const TFilterRecordEvent& Value);
    const TFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }

    // --- data sources -----------------------------------------------------------------------
    int DataSourceCount() const { return int(FDataSources.size()); }
    TDataSource* DataSources(int Index) const { return FDataSources[size_t(Index)]; }
    // The master's data source of a detail set (nullptr by default).
    virtual TDataSource* GetDataSource() { return nullptr; }
    bool IsLinkedTo(TDataSource* DataSource);
    virtual void DataEvent(TDataEvent Event, NativeInt Info);

    // --- field data (the descendant's storage) ----------------------------------------------
    // Native form: the platform's buffer form of the type. Buffer nullptr asks only whether the
    // value is non-Null. The base answers false (no data).
    virtual bool GetFieldData(TField* Field, TValueBuffer* Buffer);
    virtual bool GetFieldData(int FieldNo, TValueBuffer* Buffer);
    virtual bool GetFieldData(TField* Field, TValueBuffer* Buffer, bool NativeFormat);
    virtual void SetFieldData(TField* Field, const TValueBuffer* Buffer);
    virtual void SetFieldData(TField* Field, const TValueBuffer* Buffer, bool NativeFormat);
    // Converts between the native form and the one fields use for dates, BCD and byte arrays.
    virtual void DataConvert(TField* Field, const TValueBuffer& Source, TValueBuffer& Dest, bool ToNative);
    virtual TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode);
    virtual void CloseBlob(TField* /*Field*/) {}
    virtual Variant GetAggregateValue(TField* /*Field*/) { return Null(); }
    virtual void ResetAggField(TField* /*Field*/) {}
    virtual TFieldClass GetFieldClass(TFieldType FieldType);
    virtual TUpdateStatus UpdateStatus() { return usUnmodified; }
    virtual bool GetCurrentRecord(TRecordBuffer /*Buffer*/) { return false; }
    // Provider support: the key fields (";"-separated names of fields with pfInKey), the index
    // definitions of the given kinds (nullptr: none), the parameters (nullptr: none).
    virtual String PSGetKeyFields();
    virtual std::unique_ptr<TIndexDefs> PSGetIndexDefs(TIndexOptions IndexTypes);
    virtual TParams* PSGetParams() { return nullptr; }
    // Values of the state-dependent views (dsOldValue, dsCurValue, dsNewValue).
    Variant GetStateFieldValue(TDataSetState State, TField* Field);
    void SetStateFieldValue(TDataSetState State, TField* Field, const Variant& Value);

    // --- buffers (read by data links and the grids) -----------------------------------------
    TRecordBuffer ActiveBuffer() const {
        return FActiveRecord >= 0 && size_t(FActiveRecord) < FBuffers.size() ? FBuffers[size_t(FActiveRecord)]
                                                                             : 0;
    }
    int ActiveRecord() const { return FActiveRecord; }
    int CurrentRecord() const { return FCurrentRecord; }
    int BufferCount() const { return FBufferCount; }
    int BufferedRecordCount() const { return FRecordCount; }
    TRecordBuffer Buffers(int Index) const { return FBuffers[size_t(Index)]; }

    // --- events -----------------------------------------------------------------------------
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
    TDataSetNotifyEvent OnCalcFields, OnNewRecord;
    TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetName(const String& NewName) override { TComponent::SetName(NewName); }

protected:
    friend class TField;
    friend class TFields;
    friend class TFieldDefs;
    friend class TIndexDefs;
    friend class TDataLink;
    friend class TDataSource;

    // --- record buffers (the descendant's) --------------------------------------------------
    virtual TRecordBuffer AllocRecordBuffer() { return 0; }
    virtual void FreeRecordBuffer(TRecordBuffer& Buffer) { Buffer = 0; }
    virtual void InitRecord(TRecordBuffer Buffer);
    virtual void InternalInitRecord(TRecordBuffer /*Buffer*/) {}
    virtual TGetResult GetRecord(TRecordBuffer /*Buffer*/, TGetMode /*GetMode*/, bool /*DoCheck*/) {
        return grError;
    }
    virtual int GetRecordSize() { return 0; }
    virtual void ClearCalcFields(TRecordBuffer /*Buffer*/) {}
    virtual void GetBookmarkData(TRecordBuffer /*Buffer*/, TBookmark& /*Data*/) {}
    virtual void SetBookmarkData(TRecordBuffer /*Buffer*/, const TBookmark& /*Data*/) {}
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer /*Buffer*/) { return bfCurrent; }
    virtual void SetBookmarkFlag(TRecordBuffer /*Buffer*/, TBookmarkFlag /*Value*/) {}

    // --- cursor operations (the descendant's) -----------------------------------------------
    virtual bool IsCursorOpen() { return false; }
    virtual void OpenCursor(bool InfoQuery = false);
    virtual void CloseCursor();
    virtual void InternalOpen() {}
    virtual void InternalClose() {}
    virtual void InternalHandleException();
    virtual void InternalInitFieldDefs() {}
    virtual void InternalFirst() {}
    virtual void InternalLast() {}
    virtual void InternalSetToRecord(TRecordBuffer /*Buffer*/) {}
    virtual void InternalGotoBookmark(const TBookmark& /*Bookmark*/) {}
    virtual void InternalInsert() {}
    virtual void InternalEdit() {}
    // Checks required fields; the descendant stores the record.
    virtual void InternalPost();
    virtual void InternalCancel() {}
    virtual void InternalDelete() {}
    virtual void InternalRefresh() {}
    virtual void InternalAddRecord(TRecordBuffer /*Buffer*/, bool /*Append*/) {}
    virtual int GetRecordCount() { return -1; }
    virtual int GetRecNo() { return -1; }
    virtual bool GetCanModify() { return true; }

    // --- hooks ------------------------------------------------------------------------------
    virtual void InitFieldDefs();
    virtual void InitFieldDefsFromFields();
    virtual void CreateFields();
    virtual void BindFields(bool Binding);
    virtual void DefChanged(TObject* /*Sender*/) {}
    virtual void UpdateIndexDefs() {}
    virtual void CalculateFields(TRecordBuffer Buffer);
    virtual void RefreshInternalCalcFields(TRecordBuffer /*Buffer*/) {}
    void GetCalcFields(TRecordBuffer Buffer);

    virtual void DoAfterCancel();
    virtual void DoAfterClose();
    virtual void DoAfterDelete();
    virtual void DoAfterEdit();
    virtual void DoAfterInsert();
    virtual void DoAfterOpen();
    virtual void DoAfterPost();
    virtual void DoAfterRefresh();
    virtual void DoAfterScroll();
    virtual void DoBeforeCancel();
    virtual void DoBeforeClose();
    virtual void DoBeforeDelete();
    virtual void DoBeforeEdit();
    virtual void DoBeforeInsert();
    virtual void DoBeforeOpen();
    virtual void DoBeforePost();
    virtual void DoBeforeRefresh();
    virtual void DoBeforeScroll();
    virtual void DoOnCalcFields();
    virtual void DoOnNewRecord();

    // --- the base's own machinery (descendants call these) ----------------------------------
    void SetState(TDataSetState Value);
    TDataSetState SetTempState(TDataSetState Value);
    void RestoreState(TDataSetState Value);
    void ClearBuffers();
    void ActivateBuffers();
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();
    void SetCurrentRecord(int Index);
    void MoveBuffer(int CurIndex, int NewIndex);
    void SetBufListSize(int Value);
    void SetBufferCount(int Value);
    void UpdateBufferCount();
    TRecordBuffer TempBuffer() const { return FBuffers[size_t(FRecordCount)]; }
    TRecordBuffer CalcBuffer() const { return FCalcBuffer; }
    void SetCalcBuffer(TRecordBuffer Buffer) { FCalcBuffer = Buffer; }
    bool HasCalcFields() const { return FCalcFieldsCount > 0; }
    // Whether GetCalcFields has anything to do (calculated, lookup or internal calculated fields).
    bool CalcFieldsWanted() const { return FCalcFieldsCount > 0 || FInternalCalcFields; }
    int CalcFieldsCount() const { return FCalcFieldsCount; }
    void CheckCanModify();
    void CheckRequiredFields();
    void CheckOperation(void (TDataSet::*Operation)(), const TDataSetErrorEvent& ErrorEvent);
    void BeginInsertAppend();
    void EndInsertAppend();
    void FreeFieldBuffers() {}
    void DoInternalOpen();
    void OpenCursorComplete();
    void SetBookmarkSize(int Value) { FBookmarkSize = Value; }
    void SetDefaultFields(bool Value) { FDefaultFields = Value; }
    void SetBOF(bool Value) { FBOF = Value; }
    void SetEOF(bool Value) { FEOF = Value; }
    void AddDataSource(TDataSource* DataSource);
    void RemoveDataSource(TDataSource* DataSource);
    void AddField(TField* Field);
    void RemoveField(TField* Field);

    TDataSetState FState = dsInactive;
    TDataSetState FDisableState = dsInactive;
    TDataEvent FEnableEvent = deDataSetChange;
    String FFilterText;
    bool FFiltered = false;
    TFilterOptions FFilterOptions;
    TFilterRecordEvent FOnFilterRecord;

private:
    std::unique_ptr<TFields> FFields;
    std::unique_ptr<TFields> FAggFields;
    std::unique_ptr<TFieldDefs> FFieldDefs;
    std::unique_ptr<TFieldDefList> FFieldDefList;
    mutable std::unique_ptr<TIndexDefs> FIndexDefs;
    std::vector<TDataSource*> FDataSources;
    TDataLink* FFirstDataLink = nullptr;
    std::vector<TRecordBuffer> FBuffers; // FBufferCount + 1 handles
    int FBufListSize = 0;
    int FBufferCount = 0;
    int FRecordCount = 0;
    int FActiveRecord = 0;
    int FCurrentRecord = -1;
    TRecordBuffer FCalcBuffer = 0;
    int FCalcFieldsCount = 0;
    int FBookmarkSize = 0;
    int FDisableCount = 0;
    bool FBOF = true;
    bool FEOF = true;
    bool FModified = false;
    bool FStreamedActive = false;
    bool FInternalOpenComplete = false;
    bool FDefaultFields = false;
    bool FAutoCalcFields = true;
    bool FInternalCalcFields = false;
    bool FObjectView = false;
};
