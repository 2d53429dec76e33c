#pragma once
// Column footers of the data grid: what each footer cell under the data shows (a sum, an
// average or a count over the records, a field of the current record, or a fixed text).
//
// A footer that needs an aggregate keeps exactly one TDBSum in the grid's sum list while its
// value type asks for one (EnsureSumValue); the entry belongs to the sum collection, the footer
// only points at it and frees it when it no longer needs it.

#include "platform/classes/Classes.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/Graphics.h"

#include <memory>

class TColumnEh;
class TCustomDBGridEh;
class TDBSum;

enum TFooterValueType { fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText };
KVT_ENUM_DECL(TFooterValueType)

enum TColumnFooterEhValue { cvFooterAlignment, cvFooterFont, cvFooterColor, cvFooterToolTips };
using TColumnFooterValues = TSet<TColumnFooterEhValue>;

class TColumnFooterEh : public TCollectionItem {
    KVT_CLASS(TColumnFooterEh, TCollectionItem)
public:
    // An item of a column's Footers collection.
    explicit TColumnFooterEh(TCollection* Collection);
    // The column's single footer, outside any collection.
    static TColumnFooterEh* CreateApart(TColumnEh* Column);
    ~TColumnFooterEh() override;
    void Assign(TPersistent* Source) override;
    virtual void RestoreDefaults();

    TColumnEh* Column() const { return FColumn; }
    TColumnFooterValues AssignedValues() const { return FAssignedValues; }

    TAlignment Alignment();
    void SetAlignment(TAlignment Value);
    TColor Color();
    void SetColor(TColor Value);
    TFont* Font();
    void SetFont(TFont* Value);
    bool ToolTips();
    void SetToolTips(bool Value);
    bool EndEllipsis() const { return FEndEllipsis; }
    void SetEndEllipsis(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    const String& Value() const { return FValue; }
    void SetValue(const String& Value);
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value);
    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    TFooterValueType ValueType() const { return FValueType; }
    void SetValueType(TFooterValueType Value);
    // Null without an aggregate entry, else the entry's value as a currency variant.
    Variant SumValue();

    TAlignment DefaultAlignment();
    TColor DefaultColor();
    TFont* DefaultFont();
    bool DefaultToolTips();
    bool IsAlignmentStored();
    bool IsColorStored();
    bool IsFontStored() const { return FAssignedValues.Contains(cvFooterFont); }
    bool IsToolTipsStored();

    // Keeps the aggregate entry in step with the value type and field name.
    void EnsureSumValue();
    // The entry, when it is still an item of the grid's sum list.
    TDBSum* DBSum();

private:
    TColumnFooterEh(TCollection* Collection, TColumnEh* Column);
    TCustomDBGridEh* Grid() const;
    TDBSum* DBSumOf(TCustomDBGridEh* G);
    void FontChanged(TObject* Sender);
    void RefreshDefaultFont();
    void ColumnChanged(bool AllItems);
    void ApplySumSettings(TDBSum* Sum);

    TAlignment FAlignment = taLeftJustify;
    TColumnFooterValues FAssignedValues;
    TColor FColor = clWindow;
    TColumnEh* FColumn = nullptr;
    String FDisplayFormat;
    bool FEndEllipsis = false;
    String FFieldName;
    std::unique_ptr<TFont> FFont;
    bool FToolTips = false;
    String FValue;
    TFooterValueType FValueType = fvtNon;
    bool FWordWrap = false;
    TDBSum* FDBSum = nullptr;
    TCustomDBGridEh* FSumGrid = nullptr;
    bool FFontChanging = false;
};

// The extra footers of a column: item Row serves footer row Row.
class TColumnFootersEh : public TCollection {
    KVT_CLASS(TColumnFootersEh, TCollection)
public:
    TColumnFootersEh(TColumnEh* Column, TCollectionItemClass FooterClass);
    TColumnFooterEh* Add() { return static_cast<TColumnFooterEh*>(TCollection::Add()); }
    TColumnFooterEh* Footer(int Index) const { return static_cast<TColumnFooterEh*>(Items(Index)); }
    void SetFooter(int Index, TColumnFooterEh* Value) { Footer(Index)->Assign(Value); }
    TColumnEh* Column() const { return FColumn; }

protected:
    TPersistent* GetOwner() override;

private:
    TColumnEh* FColumn;
};
