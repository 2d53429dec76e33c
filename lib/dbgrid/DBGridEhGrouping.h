#pragma once
// Grouping of a data grid's records: the settings (levels, default values, panel), the group
// data tree built over a memory table's view, and the group footers with their aggregates.
//
// The tree holds one group node per distinct key of each active level, one record node per view
// row and, as the last children of every group and of the root, one footer node per footer of
// the level (the root: per grid-level footer). Invariants kept by every operation:
//   - a node's footer children are its last FooterItemCount children;
//   - the data children of a group are ordered by key in the level's sort order, record nodes
//     by view row number, and no two data children of a node have equal keys;
//   - a group node has at least one data child once a build or a row event has finished;
//   - FlatVisibleList holds exactly the rows the grid shows, in display order.
// CheckConsistency() walks the tree and answers whether these hold.
//
// The settings talk to their grid only through IDataGroupsGridEh, which the grid implements
// (a grid without it gets no reactions and no columns). Columns are opaque TPersistent objects
// here; the grid answers their field, name, caption and display text.

#include "lib/memtable/MemTreeEh.h"
#include "lib/toolscore/ToolCtrlsEhTypes.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/Graphics.h"

#include <memory>
#include <vector>

class TCustomDBGridEh;
class TColumnEh;
class TDataSet;
class TField;
class TGridDataGroupsEh;
class TDBGridEhDataGroupsEh;
class TGridDataGroupLevelEh;
class TDBGridEhDataGroupLevelEh;
class TGridDataGroupLevelsEh;
class TGridDataGroupFootersEh;
class TGridDataGroupFooterEh;
class TGridDataGroupFooterColumnItemsEh;
class TGridDataGroupFooterColumnItemEh;
class TGridDataGroupRowDefValuesEh;
class TGridDataGroupFootersDefValuesEh;
class TGridGroupLinePenEh;
class TDBGridEhGroupingPanelEh;
class TGroupDataTreeNodeEh;
class TGridGroupDataTreeEh;

enum TGroupDataTreeNodeTypeEh { dntDataSetRecordEh, dntDataGroupEh, dntDataGroupFooterEh };
enum TGroupFooterValueTypeEh {
    gfvNonEh,
    gfvSumEh,
    gfvAvgEh,
    gfvCountEh,
    gfvMaxEh,
    gfvMinEh,
    gfvStaticTextEh,
    gfvCustomEh
};
KVT_ENUM_DECL(TGroupFooterValueTypeEh)

// Events of the grid, its columns and its levels (the grid and the columns hold theirs).
using TDBGridEhNotifyEvent = TEvent<void(TCustomDBGridEh* Sender)>;
using TDBGridEhDataGroupGetKeyValueEvent =
    TEvent<void(TCustomDBGridEh* Sender, TDBGridEhDataGroupLevelEh* GroupLevel, Variant& KeyValue)>;
using TDBGridEhDataGroupGetGroupRowTextEvent =
    TEvent<void(TCustomDBGridEh* Sender, TGroupDataTreeNodeEh* GroupDataTreeNode, String& GroupRowText)>;
using TDBGridEhDataGroupGetKeyValueAsTextEvent =
    TEvent<void(TCustomDBGridEh* Sender, TGroupDataTreeNodeEh* GroupDataTreeNode, const Variant& KeyValue,
                String& KeyValueAsText)>;
using TDBGridEhColumnGroupGetKeyValueEvent =
    TEvent<void(TCustomDBGridEh* Sender, TColumnEh* Column, Variant& KeyValue)>;
using TGridDataGroupFooterItemAggregateValueEvent =
    TEvent<void(TCustomDBGridEh* Grid, TColumnEh* Column, TGridDataGroupFooterEh* GroupFooter,
                TGridDataGroupFooterColumnItemEh* FooterColumnItem, Variant& AValue,
                TGroupDataTreeNodeEh* Node, bool& Processed)>;
using TGridDataGroupFooterItemFinalizeValueEvent =
    TEvent<void(TCustomDBGridEh* Grid, TColumnEh* Column, TGridDataGroupFooterEh* GroupFooter,
                TGridDataGroupFooterColumnItemEh* FooterColumnItem, Variant& AValue, bool& Processed)>;
using TGridDataGroupFooterItemToDisplayTextEvent =
    TEvent<void(TCustomDBGridEh* Grid, TColumnEh* Column, TGridDataGroupFooterEh* GroupFooter,
                TGridDataGroupFooterColumnItemEh* FooterColumnItem, Variant& AValue, String& DisplayValue,
                bool& Processed)>;

// ---------------------------------------------------------------------------------------------
// What grouping needs of its grid. Every answer has a neutral default, so that a grid can
// implement what it has; the data grid implements all of it.
class IDataGroupsGridEh {
public:
    virtual ~IDataGroupsGridEh() = default;

    // The grid as the Sender of its events; nullptr outside a data grid.
    virtual TCustomDBGridEh* DGGrid() { return nullptr; }
    virtual TColor DGColor() { return clWindow; }
    virtual TFont* DGFont() { return nullptr; }
    virtual TColor DGFooterColor() { return DGColor(); }
    virtual TFont* DGFooterFont() { return DGFont(); }
    // The grid style's grouping-panel colour for this grid.
    virtual TColor DGGroupingPanelColor() { return clBtnFace; }
    virtual IMemTableEh* DGMemTable() { return nullptr; }
    virtual TDataSet* DGDataSet() { return nullptr; }
    virtual bool DGDataLinkActive() { return false; }

    // Columns, in grid order.
    virtual int DGColumnCount() { return 0; }
    virtual TPersistent* DGColumn(int) { return nullptr; }
    virtual TPersistent* DGFindColumnByName(const String&) { return nullptr; }
    virtual bool DGColumnsCustomized() { return false; }
    virtual TField* DGColumnField(TPersistent*) { return nullptr; }
    virtual String DGColumnFieldName(TPersistent*) { return {}; }
    virtual String DGColumnName(TPersistent*) { return {}; }
    virtual String DGColumnTitleCaption(TPersistent*) { return {}; }
    virtual String DGColumnDisplayFormat(TPersistent*) { return {}; }
    // The cell text of the column for the record being read.
    virtual String DGColumnDisplayText(TPersistent*) { return {}; }

    // Reactions.
    virtual void DGInvalidate() {}
    virtual void DGUpdateAllDataRowHeights() {}
    virtual void DGUpdateGroupingPanelLayout() {}
    virtual void DGLayoutChanged() {}
    virtual void DGSortMarkingChanged() {}
    virtual void DGLinkActiveChanged() {}
    // The grid's reaction to a whole-view change (it rebuilds the tree with RebuildDataTreeEx).
    virtual void DGViewDataChanged() {}
    virtual void DGActiveGroupingStructChanged() {}
    virtual void DGGroupDataTreeChanged() {}
    // Recomputes the height of the data row at this index of the flat list.
    virtual void DGUpdateDataRowHeight(int) {}
    virtual int DGGroupRowHeight(TGroupDataTreeNodeEh*) { return 0; }
    // The data row height of the record being read.
    virtual int DGDataRowHeight() { return 0; }
    virtual TGroupDataTreeNodeEh* DGCurDataNode() { return nullptr; }
    virtual bool DGInternalUpdatingDatasetPos() { return false; }
    virtual void DGSetInternalUpdatingDatasetPos(bool) {}
    virtual void DGSetCurGroupNodeByViewRow(int, bool) {}

    // Events of the grid and its columns; each column event first, then the grid's unless the
    // column's handler set Processed.
    virtual void DGDataGroupGetRowText(TGroupDataTreeNodeEh*, String&) {}
    virtual void DGColumnGroupGetKeyValue(TPersistent*, Variant&) {}
    virtual void DGColumnGroupGetKeyValueAsText(TPersistent*, TGroupDataTreeNodeEh*, const Variant&,
                                                String&) {}
    virtual void DGFooterAggregateValue(TPersistent*, TGridDataGroupFooterEh*,
                                        TGridDataGroupFooterColumnItemEh*, Variant&, TGroupDataTreeNodeEh*,
                                        bool&) {}
    virtual void DGFooterFinalizeValue(TPersistent*, TGridDataGroupFooterEh*,
                                       TGridDataGroupFooterColumnItemEh*, Variant&, bool&) {}
    // Whether the column or the grid has an aggregate or finalize handler; footer passes skip
    // the per-record event calls when neither has one.
    virtual bool DGHasFooterValueHandlers(TPersistent*) { return true; }
    virtual void DGFooterToDisplayText(TPersistent*, TGridDataGroupFooterEh*,
                                       TGridDataGroupFooterColumnItemEh*, Variant&, String&, bool&) {}
};

// ---------------------------------------------------------------------------------------------
// Default values and small settings objects

// The line under group rows.
class TGridGroupLinePenEh : public TPersistent {
    KVT_CLASS(TGridGroupLinePenEh, TPersistent)
public:
    explicit TGridGroupLinePenEh(TGridDataGroupRowDefValuesEh* AOwner) : FOwner(AOwner) {}
    void Assign(TPersistent* Source) override;
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);

protected:
    TPersistent* GetOwner() override;

private:
    TGridDataGroupRowDefValuesEh* FOwner;
    TColor FColor = clDefault;
    int FWidth = 1;
};

class TGridDataGroupRowDefValuesEh : public TPersistent {
    KVT_CLASS(TGridDataGroupRowDefValuesEh, TPersistent)
public:
    explicit TGridDataGroupRowDefValuesEh(TGridDataGroupsEh* ADataGroups);
    ~TGridDataGroupRowDefValuesEh() override;
    void Assign(TPersistent* Source) override;

    bool FooterInGroupRow() const { return FFooterInGroupRow; }
    void SetFooterInGroupRow(bool Value);
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int Value);
    int RowLines() const { return FRowLines; }
    void SetRowLines(int Value);
    TGridGroupLinePenEh* BottomLine() const { return FBottomLine.get(); }
    void SetBottomLine(TGridGroupLinePenEh* Value) { FBottomLine->Assign(Value); }
    TGridDataGroupsEh* DataGroups() const { return FDataGroups; }

protected:
    TPersistent* GetOwner() override;

private:
    bool FFooterInGroupRow = false;
    int FRowHeight = 0;
    int FRowLines = 0;
    std::unique_ptr<TGridGroupLinePenEh> FBottomLine;
    TGridDataGroupsEh* FDataGroups;
};

class TGridDataGroupFootersDefValuesEh : public TPersistent {
    KVT_CLASS(TGridDataGroupFootersDefValuesEh, TPersistent)
public:
    explicit TGridDataGroupFootersDefValuesEh(TGridDataGroupsEh* ADataGroups) : FDataGroups(ADataGroups) {}
    void Assign(TPersistent* Source) override;
    bool ShowFunctionName() const { return FShowFunctionName; }
    void SetShowFunctionName(bool Value);
    bool RunTimeCustomizable() const { return FRunTimeCustomizable; }
    void SetRunTimeCustomizable(bool Value) { FRunTimeCustomizable = Value; }

protected:
    TPersistent* GetOwner() override;

private:
    bool FShowFunctionName = false;
    bool FRunTimeCustomizable = false;
    TGridDataGroupsEh* FDataGroups;
};

class TDBGridEhGroupingPanelEh : public TPersistent {
    KVT_CLASS(TDBGridEhGroupingPanelEh, TPersistent)
public:
    explicit TDBGridEhGroupingPanelEh(TDBGridEhDataGroupsEh* ADataGroups) : FDataGroups(ADataGroups) {}
    void Assign(TPersistent* Source) override;
    // clDefault reads as the grid style's grouping-panel colour.
    TColor Color();
    void SetColor(TColor Value);
    bool IsColorStored() const { return FColor != clDefault; }

protected:
    TPersistent* GetOwner() override;

private:
    TDBGridEhDataGroupsEh* FDataGroups;
    TColor FColor = clDefault;
};

// ---------------------------------------------------------------------------------------------
// Group footers

class TGridDataGroupFooterColumnItemEh : public TCollectionItem {
    KVT_CLASS(TGridDataGroupFooterColumnItemEh, TCollectionItem)
public:
    explicit TGridDataGroupFooterColumnItemEh(TCollection* Collection);
    ~TGridDataGroupFooterColumnItemEh() override;
    void Assign(TPersistent* Source) override;
    String GetDisplayName() override;

    TGridDataGroupFooterEh* Footer() const;
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TColor Color();
    void SetColor(TColor Value);
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value);
    TFont* Font();
    void SetFont(TFont* Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TGroupFooterValueTypeEh ValueType() const { return FValueType; }
    void SetValueType(TGroupFooterValueTypeEh Value);
    bool ShowFunctionName();
    void SetShowFunctionName(bool Value);
    bool ShowFunctionNameStored() const { return FShowFunctionNameStored; }
    void SetShowFunctionNameStored(bool Value);
    bool RunTimeCustomizable();
    void SetRunTimeCustomizable(bool Value);
    bool RunTimeCustomizableStored() const { return FRunTimeCustomizableStored; }
    void SetRunTimeCustomizableStored(bool Value);
    bool IsColorStored() const { return !FParentColor; }
    bool IsFontStored() const { return !FParentFont; }
    virtual bool IsShowFunctionNameStored() { return FShowFunctionNameStored; }
    bool IsRunTimeCustomizableStored() const { return FRunTimeCustomizableStored; }

    TPersistent* Column() const { return FColumn; }
    const String& FieldName() const { return FFieldName; }
    // Binds the item to a grid column and takes its field name.
    void BindColumn(TPersistent* AColumn, const String& AFieldName);
    void SetFieldName(const String& Value) { FFieldName = Value; }

    virtual void AppearanceChanged();
    virtual bool DefaultRunTimeCustomizable();
    // Feeds one record (or, at the upper levels, one group) into AValue.
    virtual void AggregateValue(Variant& AValue, TGroupDataTreeNodeEh* Node);
    virtual void FinalizeValue(Variant& AValue);
    // The value of this item in a footer node.
    Variant AggrValue(TGroupDataTreeNodeEh* FooterNode);
    String ConvertToDisplayText(const Variant& AValue);
    bool CheckCustomAggregateValue(Variant& AValue, TGroupDataTreeNodeEh* Node);
    bool CheckCustomFinalizeValue(Variant& AValue);
    bool CheckCustomConvertToDisplayText(Variant& AValue, String& DisplayValue);
    void RefreshDefaultFont();

    // Footer passes: an item whose aggregation needs nothing but its field's value (no
    // handler, no overridden AggregateValue/FinalizeValue) is fed that value directly.
    bool AggregatesPlainly() const;
    TField* AggregatedField() const { return ColumnField(); }
    static void AccumulateValue(TGroupFooterValueTypeEh Type, Variant& AValue, const Variant& Value);
    static void FinalizeAccumulated(TGroupFooterValueTypeEh Type, Variant& AValue);

private:
    IDataGroupsGridEh* Link() const;
    bool EventsAvailable() const;
    void FontChanged(TObject* Sender);
    TField* ColumnField() const;

    TAlignment FAlignment = taRightJustify;
    std::unique_ptr<TFont> FFont;
    TColor FColor = clWindow;
    bool FParentColor = true;
    bool FParentFont = true;
    TGroupFooterValueTypeEh FValueType = gfvNonEh;
    TPersistent* FColumn = nullptr;
    String FFieldName;
    String FDisplayFormat;
    bool FShowFunctionName = false;
    bool FShowFunctionNameStored = false;
    bool FRunTimeCustomizable = false;
    bool FRunTimeCustomizableStored = false;
    bool FFontChanging = false;
};

class TGridDataGroupFooterColumnItemsEh : public TCollection {
    KVT_CLASS(TGridDataGroupFooterColumnItemsEh, TCollection)
public:
    TGridDataGroupFooterColumnItemsEh(TGridDataGroupFooterEh* AOwner, TCollectionItemClass ItemClass);
    TGridDataGroupFooterColumnItemEh* AddItem();
    TGridDataGroupFooterColumnItemEh* Item(int Index) const;
    void SetItem(int Index, TGridDataGroupFooterColumnItemEh* Value);
    int ItemIndexByColumn(TPersistent* Column) const;
    TGridDataGroupFooterEh* Footer() const { return FOwner; }
    // Item by item into the existing items (same index).
    void Assign(TPersistent* Source) override;
    virtual void ValuesChanged();

protected:
    TPersistent* GetOwner() override;

private:
    TGridDataGroupFooterEh* FOwner;
};

class TGridDataGroupFooterEh : public TCollectionItem {
    KVT_CLASS(TGridDataGroupFooterEh, TCollectionItem)
public:
    explicit TGridDataGroupFooterEh(TCollection* Collection);
    ~TGridDataGroupFooterEh() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;
    void Assign(TPersistent* Source) override;
    String GetDisplayName() override;

    TGridDataGroupFootersEh* Footers() const;
    TGridDataGroupFooterColumnItemsEh* ColumnItems() const { return FColumnItems.get(); }
    void SetColumnItems(TGridDataGroupFooterColumnItemsEh* Value) { FColumnItems->Assign(Value); }
    TColor Color();
    void SetColor(TColor Value);
    TFont* Font();
    void SetFont(TFont* Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool ShowFunctionName();
    void SetShowFunctionName(bool Value);
    bool ShowFunctionNameStored() const { return FShowFunctionNameStored; }
    void SetShowFunctionNameStored(bool Value);
    bool RunTimeCustomizable();
    void SetRunTimeCustomizable(bool Value);
    bool RunTimeCustomizableStored() const { return FRunTimeCustomizableStored; }
    void SetRunTimeCustomizableStored(bool Value);
    int RowHeight() const { return 0; }
    void SetRowHeight(int) {}
    bool RowHeightNeedUpdate() const { return FRowHeightNeedUpdate; }
    void SetRowHeightNeedUpdate(bool Value) { FRowHeightNeedUpdate = Value; }
    int AutoCalcHeight() const { return FAutoCalcHeight; }
    void SetAutoCalcHeight(int Value) { FAutoCalcHeight = Value; }
    bool IsColorStored() const { return !FParentColor; }
    bool IsFontStored() const { return !FParentFont; }
    bool IsColumnItemsStored();

    TColor DefaultColor();
    TFont* DefaultFont();
    bool DefaultShowFunctionName();
    // Brings the items in step with the grid's columns (item i for column i); true when an item
    // was added, moved or took a new field name.
    virtual bool SyncColumnItems(IDataGroupsGridEh* Columns);
    void BindColumnItems(IDataGroupsGridEh* Columns);
    virtual void AppearanceChanged();
    virtual void ValuesChanged();
    virtual bool DefaultRunTimeCustomizable();
    void RefreshDefaultFont();

private:
    void FontChanged(TObject* Sender);

    std::unique_ptr<TGridDataGroupFooterColumnItemsEh> FColumnItems;
    std::unique_ptr<TFont> FFont;
    TColor FColor = clWindow;
    bool FParentColor = true;
    bool FParentFont = true;
    bool FVisible = false;
    bool FRowHeightNeedUpdate = false;
    bool FShowFunctionName = false;
    bool FRunTimeCustomizable = false;
    bool FRunTimeCustomizableStored = false;
    bool FShowFunctionNameStored = false;
    bool FFontChanging = false;
    int FAutoCalcHeight = 0;
};

class TGridDataGroupFootersEh : public TCollection {
    KVT_CLASS(TGridDataGroupFootersEh, TCollection)
public:
    // AOwner: a level (its own footers) or the groups (the grid-level footers).
    TGridDataGroupFootersEh(TPersistent* AOwner, TCollectionItemClass FooterClass);
    ~TGridDataGroupFootersEh() override;
    TGridDataGroupFooterEh* Add();
    TGridDataGroupFooterEh* Footer(int Index) const;
    void SetFooter(int Index, TGridDataGroupFooterEh* Value);
    int VisibleItemsCount() const { return int(FVisibleFooters.size()); }
    TGridDataGroupFooterEh* GetVisibleFooter(int Index) const;
    TGridDataGroupLevelEh* GroupLevel() const;
    TGridDataGroupsEh* Groups() const;
    TGridDataGroupsEh* GetMasterGroups() const;
    TComponent* GetGrid() const;
    IDataGroupsGridEh* Link() const;
    bool Destroying() const { return FDestroying; }

    virtual void AppearanceChanged();
    virtual void StructureChanged();
    virtual void ValuesChanged();
    void RebuildVisibleFooters();

protected:
    TPersistent* GetOwner() override { return FOwner; }

private:
    TPersistent* FOwner;
    std::vector<TGridDataGroupFooterEh*> FVisibleFooters;
    bool FDestroying = false;
};

// ---------------------------------------------------------------------------------------------
// Levels

class TGridDataGroupLevelEh : public TCollectionItem {
    KVT_CLASS(TGridDataGroupLevelEh, TCollectionItem)
public:
    explicit TGridDataGroupLevelEh(TCollection* Collection);
    ~TGridDataGroupLevelEh() override;
    void AfterConstruction() override;
    String GetDisplayName() override;

    TGridDataGroupsEh* DataGroups() const;
    TColor Color();
    void SetColor(TColor Value);
    TFont* Font();
    void SetFont(TFont* Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    bool ParentFooters() const { return FParentFooters; }
    void SetParentFooters(bool Value) { FParentFooters = Value; }
    TPersistent* Column() const { return FColumn; }
    void SetColumn(TPersistent* Value);
    const TRect& GroupPanelRect() const { return FGroupPanelRect; }
    void SetGroupPanelRect(const TRect& Value) { FGroupPanelRect = Value; }
    int RowHeight();
    void SetRowHeight(int Value);
    bool RowHeightStored() const { return FRowHeightStored; }
    void SetRowHeightStored(bool Value);
    int RowLines();
    void SetRowLines(int Value);
    bool RowLinesStored() const { return FRowLinesStored; }
    void SetRowLinesStored(bool Value);
    bool FooterInGroupRow();
    void SetFooterInGroupRow(bool Value);
    bool FooterInGroupRowStored() const { return FFooterInGroupRowStored; }
    void SetFooterInGroupRowStored(bool Value);
    TSortOrderEh SortOrder() const { return FSortOrder; }
    void SetSortOrder(TSortOrderEh Value);
    TGridDataGroupFootersEh* Footers() const { return FFooters.get(); }
    void SetFooters(TGridDataGroupFootersEh* Value) { FFooters->Assign(Value); }
    bool IsColorStored() const { return !FParentColor; }
    bool IsFontStored() const { return !FParentFont; }
    bool IsFootersStored() const;

    // The footers this level shows: the grid-level ones while ParentFooters is on.
    TGridDataGroupFootersEh* UsedFooters() const;
    TGridDataGroupFooterEh* GetVisibleFooter(int Index) const;
    // Every footer of UsedFooters, invisible ones included (they get nodes but no rows).
    int VisibleFootersCount() const;
    void CollapseNodes();
    void ExpandNodes();
    void ExtractNodes();
    void RefreshDefaultFont();

    virtual TColor DefaultFooterColor();
    virtual TFont* DefaultFooterFont();
    virtual void AppearanceChanged();
    virtual String GetGroupRowText(TGroupDataTreeNodeEh* GroupDataTreeNode);
    // The key of the record being read.
    virtual Variant GetKeyValue();
    virtual String GetKeyValueAsText(TGroupDataTreeNodeEh* GroupDataTreeNode);

    TNotifyEvent OnGetKeyValue;
    TNotifyEvent OnGetTitleText;

protected:
    IDataGroupsGridEh* Link() const;
    // The level's index among the active levels, -1 when it is not active.
    int ActiveIndex() const;

private:
    void FontChanged(TObject* Sender);

    TColor FColor = clWindow;
    TPersistent* FColumn = nullptr;
    std::unique_ptr<TFont> FFont;
    TRect FGroupPanelRect{};
    bool FParentColor = true;
    bool FParentFont = true;
    int FRowHeight = 0;
    int FRowLines = 0;
    TSortOrderEh FSortOrder = soAscEh;
    std::unique_ptr<TGridDataGroupFootersEh> FFooters;
    bool FParentFooters = true;
    bool FFooterInGroupRow = false;
    bool FFooterInGroupRowStored = false;
    bool FRowHeightStored = false;
    bool FRowLinesStored = false;
    bool FFontChanging = false;
};

class TDBGridEhDataGroupLevelEh : public TGridDataGroupLevelEh {
    KVT_CLASS(TDBGridEhDataGroupLevelEh, TGridDataGroupLevelEh)
public:
    using TGridDataGroupLevelEh::TGridDataGroupLevelEh;
    void Assign(TPersistent* Source) override;

    String ColumnName();
    void SetColumnName(const String& Value);
    const String& LoadingColumnName() const { return FLoadingColumnName; }

    void AppearanceChanged() override;
    String GetGroupRowText(TGroupDataTreeNodeEh* GroupDataTreeNode) override;
    Variant GetKeyValue() override;
    String GetKeyValueAsText(TGroupDataTreeNodeEh* GroupDataTreeNode) override;

    // Hides the generic level's notification of the same name.
    TDBGridEhDataGroupGetKeyValueEvent OnGetKeyValue;
    TDBGridEhDataGroupGetGroupRowTextEvent OnGetGroupRowText;
    TDBGridEhDataGroupGetKeyValueAsTextEvent OnGetKeyValueAsText;

private:
    String FLoadingColumnName;
};

class TGridDataGroupLevelsEh : public TCollection {
    KVT_CLASS(TGridDataGroupLevelsEh, TCollection)
public:
    TGridDataGroupLevelsEh(TGridDataGroupsEh* ADataGroups, TCollectionItemClass ItemClass);
    TGridDataGroupLevelEh* Add();
    TGridDataGroupsEh* DataGroups() const { return FDataGroups; }
    TGridDataGroupLevelEh* GetDataGroup(int Index) const;
    void SetDataGroup(int Index, TGridDataGroupLevelEh* Value);
    TGridDataGroupLevelEh* DataGroup(int Index) const { return GetDataGroup(Index); }
    TComponent* Grid() const;
    void Update(TCollectionItem* Item) override;
    virtual void LevelSortOrderChanged(TGridDataGroupLevelEh* Level);
    void RefreshParentFonts();
    // Called by a level once it is whole: the notification held back while it joined.
    void ItemConstructed();

protected:
    TPersistent* GetOwner() override;
    void InsertItem(TCollectionItem* Item) override;

private:
    TGridDataGroupsEh* FDataGroups;
    int FInserting = 0;
    bool FPendingUpdate = false;
};

// ---------------------------------------------------------------------------------------------
// The group data tree

class TGroupDataTreeNodeEh : public TBaseTreeNodeEh {
    KVT_CLASS(TGroupDataTreeNodeEh, TBaseTreeNodeEh)
public:
    TGroupDataTreeNodeEh() = default;
    ~TGroupDataTreeNodeEh() override;
    // A grouped table has a node per record: nodes come from the record pool.
    static void* operator new(size_t Size);
    static void operator delete(void* P) noexcept;

    TGridGroupDataTreeEh* Owner() const;
    TGroupDataTreeNodeEh* Parent() const { return static_cast<TGroupDataTreeNodeEh*>(FParent); }
    // Data children: all children but the footer items, never below 0.
    int Count() const { return std::max(0, GetCount() - FFooterItemCount); }
    int FullItemCount() const { return GetCount(); }
    TGroupDataTreeNodeEh* GetDataItem(int Index) const;
    TGroupDataTreeNodeEh* GetFooterItem(int Index) const;
    Variant GetFooterValues(int Index) const;
    int FooterValueCount() const { return int(FFooterValue.size()) - 1; }
    std::vector<Variant>& FooterValues() { return FFooterValue; }

    TGridDataGroupLevelEh* DataGroupLevel() const { return FDataGroupLevel; }
    TGridDataGroupFooterEh* DataGroupFooter() const { return FDataGroupFooter; }
    int DataSetRecordViewNo() const { return FDataSetRecordViewNo; }
    const String& DisplayValue() const { return FDisplayValue; }
    const Variant& FullKey() const;
    const Variant& KeyValue() const { return FKeyValue; }
    TGroupDataTreeNodeTypeEh NodeType() const { return FGroupDataTreeNodeType; }
    int FooterItemCount() const { return FFooterItemCount; }
    void SetFooterItemCount(int Value);
    void SetExpanded(bool Value) { WriteExpanded(Value); }
    int RowHeight();
    void SetRowHeight(int Value);
    bool RowHeightNeedUpdate() const { return FRowHeightNeedUpdate; }
    void RowDataChanged() { FRowHeightNeedUpdate = true; }
    void UpdateRowHeight();
    void ResetFooters();
    bool RecordNodeLastInGroup() const;
    bool CanAppendDataRec() const;
    void AppendDataRec(IMemTableEh* AIntMemTable, TDataSet* ADataSet);
    void SortChildren(TObject* ParamSort, bool ARecurse, const TCompareNodesEh& Compare) override;
    // Sorts the data children by key; footer items stay last.
    void SortDataChildren(TSortOrderEh SortOrder, bool ARecurse);

private:
    friend class TGridGroupDataTreeEh;
    // Replaces the children wholesale (bulk builds); the caller frees the nodes left out.
    void SetChildren(std::vector<TGroupDataTreeNodeEh*>&& Items);
    void SetViewNo(int ViewNo);
    // Makes a record's key array from the keys of Group and the groups above it; above Via
    // (a group taken out of the tree) the path goes on at ViaParent.
    void MakeFullKey(const TGroupDataTreeNodeEh* Group, const TGroupDataTreeNodeEh* Via = nullptr,
                     const TGroupDataTreeNodeEh* ViaParent = nullptr) const;

    TGridDataGroupLevelEh* FDataGroupLevel = nullptr;
    TGridDataGroupFooterEh* FDataGroupFooter = nullptr;
    int FDataSetRecordViewNo = -1;
    String FDisplayValue;
    int FFooterItemCount = 0;
    std::vector<Variant> FFooterValue;
    // Left unmade by whole builds while the record's keys are those of its groups; made from
    // them on first use or when the node leaves its group.
    mutable Variant FFullKey;
    mutable bool FFullKeyFromGroups = false;
    TGroupDataTreeNodeTypeEh FGroupDataTreeNodeType = dntDataSetRecordEh;
    Variant FKeyValue;
    int FRowHeight = 0;
    bool FRowHeightNeedUpdate = false;
};

class TGridGroupDataTreeEh : public TTreeListEh {
    KVT_CLASS(TGridGroupDataTreeEh, TTreeListEh)
public:
    explicit TGridGroupDataTreeEh(TGridDataGroupsEh* AGridDataGroups);
    ~TGridGroupDataTreeEh() override;

    TGridDataGroupsEh* GridDataGroups() const { return FGridDataGroups; }
    TGroupDataTreeNodeEh* Root() const { return static_cast<TGroupDataTreeNodeEh*>(FRoot); }
    // Puts a node of this tree (not yet attached) in the root's place; the old root and its
    // subtree are freed.
    void SetRoot(TGroupDataTreeNodeEh* Value);
    int FlatVisibleCount() const { return int(FFlatVisibleList.size()); }
    TGroupDataTreeNodeEh* GetFlatVisibleItem(int Index) const;
    int IndexOfVisibleNode(TGroupDataTreeNodeEh* Node) const;
    int IndexOfVisibleRecordViewNo(int RecordViewNo) const;
    TGroupDataTreeNodeEh* GetNodeByRecordViewNo(int RecordViewNo) const;
    int UpdateCount() const { return FUpateCount; }
    void BeginUpdate() { ++FUpateCount; }
    void EndUpdate() { --FUpateCount; }

    void RebuildDataTree(IMemTableEh* AIntMemTable);
    void RebuildDataTreeEx(IMemTableEh* AIntMemTable);
    void RecordInserted(int RecNum);
    void RecordChanged(int RecNum);
    void RecordDeleted(int RecNum);
    void RebuildFooters();
    void RecalculateFootersValues();
    void RebuildFlatVisibleList();
    void UpdateAllDataRowHeights();
    void ResortLevel(int LevelIndex, TSortOrderEh SortOrder);
    void DeleteRecordNodesUpToLevel(int Level);
    void ExpandNodePathToView(TGroupDataTreeNodeEh* Node);
    void SetDataSetkeyValue();

    TGroupDataTreeNodeEh* AddRecordNodeForKey(const Variant& AKey, int RecViewNo);
    TGroupDataTreeNodeEh* AddChildDataNode(const String& Text, TGroupDataTreeNodeEh* Parent, TObject* Data);
    void AddDataNode(TGroupDataTreeNodeEh* Node, TGroupDataTreeNodeEh* Destination, TNodeAttachModeEh Mode,
                     bool ReIndex);
    void DeleteRecordNode(TGroupDataTreeNodeEh* RecNode);
    void DeleteEmptyNodes();
    void DeleteRecordNodes();
    TGroupDataTreeNodeEh* GetFirstNodeAtLevel(int Level) const;
    TGroupDataTreeNodeEh* GetNextNodeAtLevel(TGroupDataTreeNodeEh* Node, int Level) const;
    void CollapseLevelNodes(int Level);
    void ExpandLevelNodes(int Level);
    int CompareNodes(TGroupDataTreeNodeEh* Node1, TGroupDataTreeNodeEh* Node2, TSortOrderEh ParamSort) const;
    // Where Key1 goes among ParentNode's data children; nullptr with naAddChildEh when it
    // becomes the last data child.
    TGroupDataTreeNodeEh* GetNodeToInsertForKey1(TGroupDataTreeNodeEh* ParentNode, const Variant& Key1,
                                                 TSortOrderEh SortOrder, TNodeAttachModeEh& InsertMode) const;

    void ExpandedChanged(TBaseTreeNodeEh* Node) override;
    void MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode,
                bool ReIndex) override;
    void NodeMoved(TBaseTreeNodeEh* Node, bool Removed, int OldIndex, TBaseTreeNodeEh* OldParent) override;
    // Walks the whole tree and answers whether the invariants of this unit hold.
    bool CheckConsistency(String* Problem = nullptr) const;

    // The grid's memory table (the one of the last build when the grid has none).
    IMemTableEh* MemTable() const;
    IDataGroupsGridEh* Link() const;

private:
    friend class TGroupDataTreeNodeEh;
    TGroupDataTreeNodeEh* NewNode();
    void FillGroupNode(TGroupDataTreeNodeEh* Node, TGridDataGroupLevelEh* Level, const Variant& Key,
                       int RecViewNo);
    void FillRecordNode(TGroupDataTreeNodeEh* Node, int RecViewNo, const Variant& FullKey);
    Variant RecordKey(int RecViewNo);
    void BuildSorted(IMemTableEh* AIntMemTable, bool Reuse);
    void RenumberFrom(int RecNum, int Delta);
    void UpdateRecordNodePosInTree(TGroupDataTreeNodeEh* Node, const Variant& NewKey);
    void AggregateRecordToFooters(TGroupDataTreeNodeEh* RecNode);
    // Incremental footer updates: only the given groups' values, each from its own records.
    // Answers false (and does nothing) when a handler or an item class of the application
    // takes part, which sees every record of a full pass.
    bool RecalculateFootersOf(const std::vector<TGroupDataTreeNodeEh*>& Groups);
    bool FootersAggregatePlainly() const;
    // The ancestors of Node that removing it leaves standing, nearest first.
    std::vector<TGroupDataTreeNodeEh*> GroupsKeptAfterRemoving(TGroupDataTreeNodeEh* Node) const;
    void FootersChanged(std::vector<TGroupDataTreeNodeEh*> Groups, TGroupDataTreeNodeEh* Record);
    bool AnyFooters() const;
    void ComputeAllFooterValues();
    // Debug check: a full pass gives the values the footers hold now (they are kept).
    bool FootersMatchFullPass();
    void CollectFlatVisible(std::vector<TGroupDataTreeNodeEh*>& List) const;
    void TreeChanged();

    TGridDataGroupsEh* FGridDataGroups;
    std::vector<TGroupDataTreeNodeEh*> FFlatVisibleList;
    IMemTableEh* FIntMemTable = nullptr;
    int FUpateCount = 0;
    // Record lookup by view row: rebuilt on demand after record nodes were created, renumbered
    // or freed (any tree's, see the stamp in the implementation).
    mutable std::vector<TGroupDataTreeNodeEh*> FRecordNodeIndex;
    mutable unsigned FRecordNodeIndexStamp = 0;
    // The footers' field values, read row by row together with the keys by a whole build that
    // keeps the groups, for the footer pass right after it (which takes them and clears them).
    IMemTableEh* FReadAheadTable = nullptr;
    std::vector<TField*> FReadAheadFields;
    std::vector<Variant> FReadAheadValues;
};

// ---------------------------------------------------------------------------------------------
// The grouping settings

class TGridDataGroupsEh : public TPersistent {
    KVT_CLASS(TGridDataGroupsEh, TPersistent)
public:
    // AGrid answers IDataGroupsGridEh when it can; LevelClass stands in for the virtual
    // constructor of the level collection.
    explicit TGridDataGroupsEh(
        TComponent* AGrid, TCollectionItemClass LevelClass = CollectionItemClassOf<TGridDataGroupLevelEh>());
    ~TGridDataGroupsEh() override;
    void Assign(TPersistent* Source) override;

    TComponent* Grid() const { return FGrid; }
    IDataGroupsGridEh* Link() const { return FLink; }
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TColor Color();
    void SetColor(TColor Value);
    TFont* Font();
    void SetFont(TFont* Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TGridDataGroupLevelsEh* GroupLevels() const { return FGroupLevels.get(); }
    void SetGroupLevels(TGridDataGroupLevelsEh* Value) { FGroupLevels->Assign(Value); }
    TGridDataGroupFootersEh* Footers() const { return FFooters.get(); }
    void SetFooters(TGridDataGroupFootersEh* Value) { FFooters->Assign(Value); }
    TGridDataGroupFootersDefValuesEh* FootersDefValues() const { return FFootersDefValues.get(); }
    void SetFootersDefValues(TGridDataGroupFootersDefValuesEh* Value) { FFootersDefValues->Assign(Value); }
    TGridDataGroupRowDefValuesEh* GroupRowDefValues() const { return FGroupRowDefValues.get(); }
    void SetGroupRowDefValues(TGridDataGroupRowDefValuesEh* Value) { FGroupRowDefValues->Assign(Value); }
    bool GroupPanelVisible() const { return FGroupPanelVisible; }
    void SetGroupPanelVisible(bool Value);
    bool DefaultStateExpanded() const { return FDefaultStateExpanded; }
    void SetDefaultStateExpanded(bool Value) { FDefaultStateExpanded = Value; }
    bool ShiftFolldataGroupRow() const { return FShiftFolldataGroupRow; }
    void SetShiftFolldataGroupRow(bool Value);
    bool IsColorStored() const { return !FParentColor; }
    bool IsFontStored() const { return !FParentFont; }
    bool IsGroupLevelsStored() const;
    bool IsFootersStored() const;

    int ActiveGroupLevelsCount() const { return int(FActiveGroupLevels.size()); }
    TGridDataGroupLevelEh* ActiveGroupLevels(int Index) const { return FActiveGroupLevels.at(size_t(Index)); }
    TPersistent* ActiveGroupColumns(int Index) const { return FActiveGroupColumns.at(size_t(Index)); }
    TGridGroupDataTreeEh* GroupDataTree() const { return FGroupDataTree.get(); }
    bool ColumsLoaded() const { return FColumsLoaded; }
    // A grid-level footer read from a stream holds column items not yet bound to columns: until
    // ColumnsLoaded binds them, a change of the columns must not resynchronise (and so drop) them.
    void ColumnsUnbound() { FColumsLoaded = false; }
    const Variant& InsertingKeyValue() const { return FInsertingKeyValue; }
    void SetInsertingKeyValue(const Variant& KeyValue) { FInsertingKeyValue = KeyValue; }
    // [key of active level 0 .. n-1, ViewRecNo] for a view row of the grid's memory table.
    Variant GetKeyValueForViewRecNo(int ViewRecNo);
    void CheckActiveGroupLevels();
    void RefreshDefaultFont();

    virtual TColor DefaultColor();
    virtual TColor DefaultFooterColor();
    virtual TFont* DefaultFooterFont();
    virtual TFont* DefaultFont();
    virtual void ActiveChanged() {}
    virtual void GroupingStructChanged() {}
    virtual void AppearanceChanged();
    virtual void RebuildActiveGroupLevels();
    virtual void ResortGroupLevel(int LevelIndex, TSortOrderEh SortOrder);
    virtual bool IsGroupingWorks();
    virtual void FooterStructureChanged();
    virtual void FooterValuesChanged();
    virtual void ColumnsChanged();
    virtual void ColumnsLoaded();

protected:
    void FontChanged(TObject* Sender);
    bool FooterStructureChangedLocked() const { return FDestroying; }

    bool FActive = false;
    std::vector<TPersistent*> FActiveGroupColumns;
    std::vector<TGridDataGroupLevelEh*> FActiveGroupLevels;
    TColor FColor = clWindow;
    std::unique_ptr<TFont> FFont;
    TComponent* FGrid;
    IDataGroupsGridEh* FLink;
    std::unique_ptr<TGridDataGroupFootersDefValuesEh> FFootersDefValues;
    std::unique_ptr<TGridDataGroupRowDefValuesEh> FGroupRowDefValues;
    std::unique_ptr<TGridGroupDataTreeEh> FGroupDataTree;
    std::unique_ptr<TGridDataGroupLevelsEh> FGroupLevels;
    std::unique_ptr<TGridDataGroupFootersEh> FFooters;
    bool FGroupPanelVisible = false;
    Variant FInsertingKeyValue;
    bool FParentColor = true;
    bool FParentFont = true;
    bool FDefaultStateExpanded = false;
    bool FShiftFolldataGroupRow = true;
    bool FColumsLoaded = false;
    bool FFontChanging = false;
    bool FDestroying = false;
};

class TDBGridEhDataGroupsEh : public TGridDataGroupsEh {
    KVT_CLASS(TDBGridEhDataGroupsEh, TGridDataGroupsEh)
public:
    explicit TDBGridEhDataGroupsEh(TComponent* AGrid);
    ~TDBGridEhDataGroupsEh() override;

    TCustomDBGridEh* Grid() const { return FLink ? FLink->DGGrid() : nullptr; }
    TGroupDataTreeNodeEh* CurDataNode() const { return FLink ? FLink->DGCurDataNode() : nullptr; }
    TDBGridEhGroupingPanelEh* GroupPanel() const { return FGroupPanel.get(); }
    void SetGroupPanel(TDBGridEhGroupingPanelEh* Value) { FGroupPanel->Assign(Value); }
    int Top() const { return FTop; }
    void SetTop(int Value) { FTop = Value; }
    int HotTrackGroupLevelIdx() const { return FHotTrackGroupLevelIdx; }
    void SetHotTrackGroupLevelIdx(int Value) { FHotTrackGroupLevelIdx = Value; }
    bool IsGroupingWorksWithLevel();
    void ResolveLoadedColumnNames();
    virtual void ColumnRemoved(TPersistent* Column);

    TColor DefaultFooterColor() override;
    TFont* DefaultFooterFont() override;
    void ActiveChanged() override;
    void GroupingStructChanged() override;
    void AppearanceChanged() override;
    void RebuildActiveGroupLevels() override;
    void ResortGroupLevel(int LevelIndex, TSortOrderEh SortOrder) override;
    bool IsGroupingWorks() override;

private:
    std::unique_ptr<TDBGridEhGroupingPanelEh> FGroupPanel;
    int FTop = 0;
    int FHotTrackGroupLevelIdx = -1;
};
