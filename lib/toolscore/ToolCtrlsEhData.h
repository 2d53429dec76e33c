#pragma once
// Data-side helpers shared by the memory table and the data grid: variant equality and ordering
// (Null first, element-wise for composite keys), display text of a field value, the parsed
// sort-order list and the list of bookmarks kept in a data set's record order.

#include "lib/toolscore/ToolCtrlsEhTypes.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variant.h"

#include <functional>
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
// The fields of FieldNames in name order; an unknown name raises "Field '%s' not found".
void FieldsArrayFromNames(TDataSet* DataSet, TComponent* ErrorComponent, const String& FieldNames,
                          TFieldsArrEh& Fields);
// Null clears every listed field; anything else goes through the data set's field-values
// assignment (a variant array for several names).
void SetFieldValuesFromVariant(TDataSet* DataSet, const String& FieldNames, const Variant& Value);

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

// ---------------------------------------------------------------------------------------------
// Bookmarks of one data set, ascending in the data set's record order. Find is a binary search
// with a one-entry cache, because a grid asks about the same row many times while painting.
// Subclasses (a grid's selected rows, a summary's record lists) answer the data set and react
// to changes through the protected hooks.
class TBMListEh : public TObject {
    KVT_CLASS(TBMListEh, TObject)
public:
    // Negative when the entry at Index1 belongs before the one at Index2.
    using TCompareFunc = std::function<int(TBMListEh* List, TDataSet* DataSet, int Index1, int Index2)>;

    TBMListEh() = default;
    ~TBMListEh() override;

    int Count() const { return int(FList.size()); }
    TDataSet* DataSet() { return ReadDataSet(); }
    bool LinkActive() const { return FLinkActive; }
    // EListError for an index outside 0 .. Count - 1.
    const TBookmark& GetItem(int Index) const;
    void SetItem(int Index, const TBookmark& Bookmark);
    const TBookmark& Items(int Index) const { return GetItem(Index); }
    void SetItems(int Index, const TBookmark& Bookmark) { SetItem(Index, Bookmark); }
    bool CurrentRowSelected();
    void SetCurrentRowSelected(bool Value) { WriteCurrentRowSelected(Value); }

    // Index is the bookmark's position when found, else where it would be inserted.
    bool Find(const TBookmark& Bookmark, int& Index);
    int IndexOf(const TBookmark& Bookmark);
    // Index from 0 to Count inclusive, else EListError "List index out of bounds (%d)".
    void InsertItem(int Index, const TBookmark& Bookmark);
    // The caller keeps the order (it appends records in data set order).
    void AppendItem(const TBookmark& Bookmark) { InsertItem(Count(), Bookmark); }
    void DeleteItem(int Index);
    virtual void Clear();

    // Selects every record of the data set (only while the owner's link is active).
    void SelectAll();
    // Deletes every listed record from the data set, last entry first.
    void Delete();
    // Drops the bookmarks the data set no longer accepts; true when any was dropped.
    bool Refresh();
    virtual void CustomSort(TDataSet* DataSet, const TCompareFunc& Compare);
    // "Cannot perform this operation on a closed dataset" while the link is inactive.
    TBookmark CurrentBookmark();
    int CompareTwoBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2);
    // The owner calls this whenever its data link becomes active or inactive.
    void ResetForLink(bool Active);

protected:
    virtual TDataSet* ReadDataSet() { return nullptr; }
    virtual void NotifyListChanged() {}
    virtual void RaiseListError(const String& Msg);
    virtual void WriteCurrentRowSelected(bool Value);
    virtual void DropFindCache(const TBookmark& Bookmark);
    virtual void UpdateOwnerState() {}

    std::vector<TBookmark> FList;
    TBookmark FCache;
    bool FCacheFind = false;
    int FCacheIndex = -1;
    bool FLinkActive = false;

private:
    void CheckIndex(int Index, int Last) const;
    TDataSet* CheckedDataSet();
    void QuickSort(int L, int R, TDataSet* DataSet, const TCompareFunc& Compare);
};
