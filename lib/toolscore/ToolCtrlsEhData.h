#pragma once
// Data-side helpers shared by the memory table and the data grid: variant equality and ordering
// (Null first, element-wise for composite keys), display text of a field value, and the parsed
// sort-order list.

#include "platform/rtl/System.h"
#include "platform/rtl/Variant.h"

#include <memory>
#include <vector>

class TField;
class TDataSet;
class TComponent;

String FieldValueDisplayText(const Variant& Value, TField* Field, const String& DisplayFormat);
bool VariantsEqual(const Variant& V1, const Variant& V2);
TVariantRelationship CompareVariantsNullFirst(const Variant& V1, const Variant& V2);
TVariantRelationship VariantsRelation(const Variant& V1, const Variant& V2);

// Splits a ";"-separated list of field names (blanks around names are dropped, empty parts
// skipped), as the data-set layer's field-name extraction does.
std::vector<String> SplitFieldNames(const String& FieldNames);
void GetFieldsByNames(std::vector<TField*>* List, TDataSet* DataSet, TComponent* ErrorComponent,
                      const String& FieldNames);

class TOrderByItemEh : public TObject {
    KVT_CLASS(TOrderByItemEh, TObject)
public:
    int FieldIndex = -1;
    int MTFieldIndex = -1;
    bool Desc = false;
    bool CaseIns = false;
};

// A parsed sort-order text: field names, each optionally followed by ASC or DESC, separated by
// "," or ";". Subclasses resolve the names.
class TOrderByList : public TObject {
    KVT_CLASS(TOrderByList, TObject)
public:
    TOrderByList() = default;
    ~TOrderByList() override = default;

    int Count() const { return int(FItems.size()); }
    TOrderByItemEh* Items(int Index) const; // EListError out of range
    void SetItems(int Index, TOrderByItemEh* Value);
    void Add(TOrderByItemEh* Item) { FItems.emplace_back(Item); }
    void Clear() { FItems.clear(); }

    // FromIndex is 1-based (as the sort-order texts are read).
    static String GetToken(const String& Exp, int& FromIndex);
    // Replaces the items only when the whole text parses.
    void ParseOrderByStr(const String& OrderByStr);
    virtual int ResolveFieldIndex(const String& FieldName);

private:
    std::vector<std::unique_ptr<TOrderByItemEh>> FItems;
};
