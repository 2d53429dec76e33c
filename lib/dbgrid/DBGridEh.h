#pragma once
// DBGridEh: the data grid. TCustomDBGridEh shows the records of a data set as rows and its
// fields as columns, with a title row, an indicator column with the row state and record
// numbers, alternating row colours and sort markers in the titles. It stands on the data-aware
// axis grid, which gives it the data link, the column collection and the layout rebuild.
//
// Row mapping. Grid rows below the fixed rows are data rows; data row d is grid row
// d + TopDataOffset().
//   - Plain mode (the data set offers no IMemTableEh): data row d is entry d of the data link's
//     record buffer, whose size follows the number of visible rows; the grid never scrolls
//     itself, the data set's buffer window is the visible page.
//   - Memory-table mode: data row d is view row d of the table, read through instant reading
//     without moving the table's cursor; the base grid scrolls over all view rows.
// Invariants (CheckDataConsistency): RowCount = TopDataOffset + max(1, data rows); the current
// row is the current record's grid row; FixedRows = TopDataOffset and FixedCols = IndicatorOffset
// plus the frozen columns shown.
//
// Create grids with Create<TDBGridEh>(Owner): the grid is built in two phases.

#include "lib/dbgrid/DBGridEhFilter.h"
#include "lib/dbgrid/DBGridEhFooters.h"
#include "lib/dbgrid/DBGridEhGroupParams.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhScrollBars.h"
#include "lib/dbgrid/DBGridEhSearchTypes.h"
#include "lib/dbgrid/DBSumLst.h"
#include "platform/ui/Menus.h"
#include "lib/grids/DBAxisGridsEh.h"
#include "lib/tools/InplaceEditHolderEh.h"
#include "lib/grids/GridsEh.h"
#include "lib/dbgrid/DBGridEhHeadTree.h"
#include "lib/dbgrid/DBGridEhParams.h"
#include "lib/dbgrid/DBGridEhStyle.h"
#include "lib/toolscore/ToolCtrlsEhTypes.h"

#include "platform/db/DB.h"

#include <memory>
#include <vector>

class TCustomDBGridEh;
class TColumnEh;
class TGridRowPanelEh;
class TRowDetailPanelEh;
class TRowDetailPanelControlEh;
class TDBGridColumnEh;
class TColumnsEhList;
class TDBGridEhCenter;
class TInplaceFilterEditEh;
class TPopupListboxEh;
class TPopupWatchEh;

// ---------------------------------------------------------------------------------------------
// Option sets

enum TDBGridOption {
    dgEditing,
    dgAlwaysShowEditor,
    dgTitles,
    dgIndicator,
    dgColumnResize,
    dgColLines,
    dgRowLines,
    dgTabs,
    dgRowSelect,
    dgAlwaysShowSelection,
    dgConfirmDelete,
    dgCancelOnExit,
    dgMultiSelect
};
using TDBGridOptions = TSet<TDBGridOption>;

enum TDBGridEhOption {
    dghFixed3D,
    dghFrozen3D,
    dghFooter3D,
    dghData3D,
    dghResizeWholeRightPart,
    dghHighlightFocus,
    dghClearSelection,
    dghFitRowHeightToText,
    dghAutoSortMarking,
    dghMultiSortMarking,
    dghEnterAsTab,
    dghTraceColSizing,
    dghIncSearch,
    dghPreferIncSearch,
    dghRowHighlight,
    dghDblClickOptimizeColWidth,
    dghDialogFind,
    dghRecordMoving,
    dghShowRecNo,
    dghColumnResize,
    dghColumnMove,
    dghAutoFitRowHeight,
    dghHotTrack,
    dghExtendVertLines
};
using TDBGridEhOptions = TSet<TDBGridEhOption>;

enum TDBGridEhSelectionType { gstRecordBookmarks, gstRectangle, gstColumns, gstAll, gstNon };
using TDBGridEhAllowedSelections = TSet<TDBGridEhSelectionType>;

enum TDBGridEhIndicatorOption { gioShowRowIndicatorEh, gioShowRecNoEh, gioShowRowselCheckboxesEh };
using TDBGridEhIndicatorOptions = TSet<TDBGridEhIndicatorOption>;

enum TDBGridEhEditAction { geaCutEh, geaCopyEh, geaPasteEh, geaDeleteEh, geaSelectAllEh };
using TDBGridEhEditActions = TSet<TDBGridEhEditAction>;

enum TEditButtonsShowOptionEh {
    sebShowOnlyForCurCellEh,
    sebShowOnlyForCurRowEh,
    sebShowOnlyWhenGridActiveEh,
    sebShowOnlyWhenDataEditingEh
};
using TEditButtonsShowOptionsEh = TSet<TEditButtonsShowOptionEh>;

enum TDBGridEhState {
    dgsNormal,
    dgsRowSelecting,
    dgsColSelecting,
    dgsRectSelecting,
    dgsPosTracing,
    dgsTitleDown,
    dgsColSizing,
    dgsRowMoving,
    dgsTitleFilterButtonDown,
    dgsGroupPanelTitleMoving,
    dgsGroupPanelTitleDown
};

// Kinds of cells (GetCellType).
enum TCellAreaTypeEh { catIndicatorEh, catTitleEh, catDataEh, catOutsideEh };

constexpr TDBGridOptions DefaultDBGridOptions{dgEditing,      dgTitles,        dgIndicator,
                                              dgColumnResize, dgColLines,      dgRowLines,
                                              dgTabs,         dgConfirmDelete, dgCancelOnExit};
constexpr TDBGridEhOptions DefaultDBGridEhOptions{dghFixed3D,        dghHighlightFocus, dghClearSelection,
                                                  dghDialogFind,     dghColumnResize,   dghColumnMove,
                                                  dghExtendVertLines};

// ---------------------------------------------------------------------------------------------
// Style, appearance objects and the header tree: DBGridEhStyle.h, DBGridEhParams.h, DBGridEhHeadTree.h

class TDBGridEhIndicatorTitle : public TPersistent {
    KVT_CLASS(TDBGridEhIndicatorTitle, TPersistent)
public:
    explicit TDBGridEhIndicatorTitle(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}
    bool UseGlobalMenu() const { return FUseGlobalMenu; }
    void SetUseGlobalMenu(bool v) { FUseGlobalMenu = v; }
    bool ShowDropDownSign() const { return FShowDropDownSign; }
    void SetShowDropDownSign(bool v);
    bool TitleButton() const { return FTitleButton; }
    void SetTitleButton(bool v) { FTitleButton = v; }
    bool Down() const { return FDown; }
    void SetDown(bool v);
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* Value) { FDropdownMenu = Value; }

private:
    TCustomDBGridEh* FGrid;
    bool FUseGlobalMenu = true;
    bool FShowDropDownSign = false;
    bool FTitleButton = false;
    bool FDown = false;
    TPopupMenu* FDropdownMenu = nullptr;
};

// The text shown over an empty data set.
class TGridEmptyDataInfoEh : public TPersistent {
    KVT_CLASS(TGridEmptyDataInfoEh, TPersistent)
public:
    explicit TGridEmptyDataInfoEh(TCustomDBGridEh* AGrid);
    ~TGridEmptyDataInfoEh() override;
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    String Text() const { return FText; }
    void SetText(const String& Value);
    TFont* Font() const { return FFont.get(); }
    // Assigning a font copies it and stops following the grid's font.
    void SetFont(TFont* Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    // Text, else DefaultEmptyDataText, else "Нет данных".
    String ActualText() const;
    // Active, with a text, over an active data set that is empty.
    bool Showing() const;
    void PaintEmptyDataInfo();
    // Size, name and character set from the grid's font while ParentFont.
    void RefreshDefaultFont();

private:
    void FontChanged(TObject* Sender);

    TCustomDBGridEh* FGrid;
    bool FActive = false;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    String FText;
    bool FRefreshing = false;
};

// The program-wide text for empty-data objects without a text of their own.
extern String DefaultEmptyDataText;

// ---------------------------------------------------------------------------------------------
// Columns

// The title of a data-grid column: the axis grid's title with a sort marker and its place among
// the sort-marked columns.
class TColumnTitleEh : public TAxisBarTitleEh {
    KVT_CLASS(TColumnTitleEh, TAxisBarTitleEh)
public:
    explicit TColumnTitleEh(TColumnEh* AColumn);
    void Assign(TPersistent* Source) override;
    void RestoreDefaults() override;

    TColumnEh* Column() const;
    TSortMarkerEh SortMarker() const { return FSortMarker; }
    void SetSortMarker(TSortMarkerEh Value);
    // 0 while the column carries no marker, else its 1-based place among the marked columns.
    int SortIndex() const { return FSortIndex; }
    void SetSortIndex(int Value);
    // Next marker on a title click: none -> down -> up -> down...; KeepMulti cycles
    // down -> up -> none and leaves the other columns' markers.
    void SetNextSortMarkerValue(bool KeepMulti);

private:
    friend class TCustomDBGridEh;
    friend class TColumnEh;
    int FSortIndex = 0;
    TSortMarkerEh FSortMarker = smNoneEh;
};

// The column's rectangle in a row panel, in pixels.
struct TColumnEhInRowPanelPlacement {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int DataCellLeft = 0;
    int DataCellWidth = 0;
};

// Hint events of the grid and its columns, and the column's say on the required-field mark
// (Sender is the grid, or the editor for the mark under the editor's text).
class TDBGridEhDataHintParams;
using TDBGridEhDataHintShowEvent =
    TEvent<void(TCustomDBGridEh* Sender, TPoint CursorPos, TGridCoord Cell, TPoint InCellCursorPos,
                TColumnEh* Column, TDBGridEhDataHintParams*& Params, bool& Processed)>;
using TDBGridEhHintShowPauseEvent =
    TEvent<void(TCustomDBGridEh* Sender, TPoint CursorPos, TGridCoord Cell, TPoint InCellCursorPos,
                TColumnEh* Column, int& HintPause, bool& Processed)>;
using TDBGridEhCheckDrawRequiredStateEvent =
    TEvent<void(TObject* Sender, TColumnEh* Column, const String& Text, bool& DrawState)>;

// The data grid's column: widths with limits and auto-fit, the sort-marked title and the row
// panel placement on top of the axis grid's column record.
class TColumnEh : public TBaseColumnEh {
    KVT_CLASS(TColumnEh, TBaseColumnEh)
public:
    explicit TColumnEh(TCollection* Collection);
    ~TColumnEh() override;
    void AfterConstruction() override;
    void Assign(TPersistent* Source) override;
    void DefineProperties(TFiler* Filer) override;

    // The owning data grid; nullptr outside a grid's collection.
    TCustomDBGridEh* Grid() const;
    TColumnTitleEh* Title() const { return static_cast<TColumnTitleEh*>(TAxisBarEh::Title()); }

    bool GetAutoFitColWidth() override { return FAutoFitColWidth; }
    int GetWidth() override;
    int GetMinWidth() override { return FMinWidth; }
    int GetMaxWidth() override { return FMaxWidth; }
    void SetAutoFitColWidth(bool Value) override;
    void SetMaxWidth(int Value) override;
    void SetMinWidth(int Value) override;
    void SetWidth(int Value) override;
    // The width from the field's display width in the column font; 64 without a grid.
    int DefaultWidth();
    bool IsWidthStored();
    bool WidthAssigned() const { return FAssignedValues.Contains(cvWidth); }

    bool HideDuplicates() const { return FHideDuplicates; }
    void SetHideDuplicates(bool Value) { WriteHideDuplicates(Value); }
    int InRowLinePos() const { return FRowLine < 0 ? 0 : FRowLine; }
    void SetInRowLinePos(int Value);
    int InRowLineHeight() const { return FHeight <= 0 ? 1 : FHeight; }
    void SetInRowLineHeight(int Value);
    int InRowTabIndex() const { return FInRowTabIndex; }
    const TColumnEhInRowPanelPlacement& RowPlacement() const { return FRowPlacement; }
    int InitWidth() const { return FInitWidth; }
    void SetInitWidth(int Value) { FInitWidth = Value; }
    bool NotInWidthRange() const { return FNotInWidthRange; }
    void SetNotInWidthRange(bool Value) { FNotInWidthRange = Value; }
    std::vector<bool>& CheckedDuplicates() { return FCheckedDuplicates; }

    // Width within MinWidth and MaxWidth (each only when above 0).
    int LimitWidthToRange(int W);
    // Width plus the extra width the first visible column carries.
    int FullWidth();
    // The sort marker's room in the title: 0 when the column is not marked.
    int GetSortMarkingWidth();
    // The room of the title's filter button; 0 unless the filter row sits in the titles.
    int GetFilterButtonAreaWidth();
    void SetTextArea(TRect& ARect) override;
    bool CurLineWordWrap(int RowHeight) override;
    void GetColCellParams(bool EditMode, TAxisColCellParamsEh* Params) override;
    bool AdjustsColCellParams() const override;
    void WriteField(TField* Value) override;
    TField* ReadField() override;
    void DropDownBoxApplyTextFilter(TDataSet* DataSet, const String& FieldName, const String& FilterText,
                                    TLSAutoFilterTypeEh Operation) override;
    // Filters the drop-down list's data set by the typed text instead of the column.
    using TDropDownBoxApplyTextFilterEventEh =
        TEvent<void(TCustomDBGridEh* Grid, TColumnEh* Column, const String& FilterText,
                    TLSAutoFilterTypeEh Operation, const String& FieldName, TDataSet* DataSet)>;
    TDropDownBoxApplyTextFilterEventEh OnDropDownBoxApplyTextFilter;
    void SetValueAsText(const String& Text);
    void SetValueAsVariant(const Variant& Value);

    using TGetColCellParamsEventEh =
        TEvent<void(TColumnEh* Column, bool EditMode, TAxisColCellParamsEh* Params)>;
    TGetColCellParamsEventEh OnGetCellParams() const { return FOnGetCellParams; }
    void SetOnGetCellParams(TGetColCellParamsEventEh Value);

    // The value hidden duplicates compare instead of the cell text.
    using TGetHideDuplicatesValueEventEh =
        TEvent<void(TCustomDBGridEh* Grid, TColumnEh* Column, const String& Text, Variant& Value)>;
    TGetHideDuplicatesValueEventEh OnGetHideDuplicatesValue;
    // Draws a data cell instead of the grid (after the grid's own OnAdvDrawDataCell).
    TEvent<void(TCustomDBGridEh* Sender, TGridCoord Cell, TGridCoord AreaCell, TColumnEh* Column,
                const TRect& ARect, TAxisColCellParamsEh*& Params, bool& Processed)>
        OnAdvDrawDataCell;

    // New virtual operations.
    virtual TColumnFooterEh* CreateFooter();
    virtual TColumnFootersEh* CreateFooters();
    virtual TSTColumnFilterEh* CreateSTFilter();
    virtual void WriteHideDuplicates(bool Value);
    // Widens or narrows the column to its widest title or data text among the visible rows.
    virtual void OptimizeWidth();
    // The row height the current record's text needs in this column (auto-fit row heights).
    virtual int CalcRowHeight();

    TAxisBarTitleEh* CreateTitle() override;
    void NotifyChanged(bool AllItems) override { TBaseColumnEh::NotifyChanged(AllItems); }

    // --- footers and grouping (DBGridEhFooters.cpp)
    // The single footer, made on first use.
    TColumnFooterEh* Footer() const;
    void SetFooter(TColumnFooterEh* Value) { Footer()->Assign(Value); }
    TColumnFootersEh* Footers() const;
    void SetFooters(TColumnFootersEh* Value) { Footers()->Assign(Value); }
    // The footer of footer row Index: item Index of Footers when there is one, else Footer.
    TColumnFooterEh* UsedFooter(int Index) const;
    // Brings the aggregate entries of every footer of the column up to date.
    void EnsureSumValues();
    // Whether a group footer of this column may show that aggregate.
    bool CanApplyAggregateFunction(TGroupFooterValueTypeEh Kind);
    TDBGridEhColumnGroupGetKeyValueEvent OnGroupGetKeyValue;
    TDBGridEhDataGroupGetKeyValueAsTextEvent OnGroupGetKeyValueAsText;
    TGridDataGroupFooterItemAggregateValueEvent OnDataGroupFooterAggregateValue;
    TGridDataGroupFooterItemFinalizeValueEvent OnDataGroupFooterFinalizeValue;
    TGridDataGroupFooterItemToDisplayTextEvent OnDataGroupFooterToDisplayText;
    // --- hints and the required-field mark (DBGridEhHints.cpp, DBGridEhInplace.cpp)
    TDBGridEhHintShowPauseEvent OnHintShowPause;
    TDBGridEhDataHintShowEvent OnDataHintShow;
    TDBGridEhCheckDrawRequiredStateEvent OnCheckDrawRequiredState;

private:
    mutable std::unique_ptr<TColumnFooterEh> FFooter;
    mutable std::unique_ptr<TColumnFootersEh> FFooters;

public:
    // --- the column's filter and its value list (DBGridEhFilterRow.cpp)
    TSTColumnFilterEh* STFilter() const;
    void SetSTFilter(TSTColumnFilterEh* Value) { STFilter()->Assign(Value); }
    // The distinct values of the column's field: the filter's list source, else the grid's
    // memory table; cached until the data changes (nullptr when there is none).
    std::shared_ptr<IMemTableDataFieldValueListEh> GetCurrentFieldValueList();
    void DropFieldValueList() { FFieldValueList.reset(); }
    TEvent<void(TCustomDBGridEh* Sender, TColumnEh* Column, TStrings* Items, bool& Processed)>
        OnFillSTFilterListValues;
    // --- the drop-down list's events: kept in the list grid, which reading or writing them makes
    // (DBLookupGridsEhPopup.cpp). The types are the grid's event types of the same signatures.
    using TListCheckButtonEvent = TEvent<void(TObject* Sender, int ACol, TColumnEh* Column, bool& Enabled)>;
    using TListDrawColumnCellEvent = TEvent<void(TObject* Sender, const TRect& Rect, int DataCol,
                                                 TColumnEh* Column, TGridDrawState State)>;
    using TListGetCellParamsEvent = TEvent<void(TObject* Sender, TColumnEh* Column, TFont* AFont,
                                                TColor& Background, TGridDrawState State)>;
    using TListTitleBtnClickEvent = TEvent<void(TObject* Sender, int ACol, TColumnEh* Column)>;
    TListCheckButtonEvent OnDropDownBoxCheckButton();
    void SetOnDropDownBoxCheckButton(const TListCheckButtonEvent& Value);
    TListDrawColumnCellEvent OnDropDownBoxDrawColumnCell();
    void SetOnDropDownBoxDrawColumnCell(const TListDrawColumnCellEvent& Value);
    TListGetCellParamsEvent OnDropDownBoxGetCellParams();
    void SetOnDropDownBoxGetCellParams(const TListGetCellParamsEvent& Value);
    TNotifyEvent OnDropDownBoxSortMarkingChanged();
    void SetOnDropDownBoxSortMarkingChanged(const TNotifyEvent& Value);
    TListTitleBtnClickEvent OnDropDownBoxTitleBtnClick();
    void SetOnDropDownBoxTitleBtnClick(const TListTitleBtnClickEvent& Value);

protected:
    friend class TCustomDBGridEh;
    friend class TDBGridColumnsEh;
    // Stores a width without asking for a layout (the grid's own sizing writes back this way).
    void StoreWidth(int Value);
    // The collection the column is made in, until its construction is complete.
    TCollection* FMadeIn = nullptr;

    std::vector<bool> FCheckedDuplicates;
    bool FHideDuplicates = false;
    int FMaxWidth = 0;
    int FMinWidth = 0;
    bool FNotInWidthRange = false;
    int FWidth = 0;
    int FRowLine = 0;
    int FHeight = 0;
    int FInRowTabIndex = 0;
    bool FAutoFitColWidth = true;
    int FInitWidth = 0;
    TColumnEhInRowPanelPlacement FRowPlacement;
    TGetColCellParamsEventEh FOnGetCellParams;
    // Column filter (made on first use).
    mutable std::unique_ptr<ISTFilterColumnEh> FSTFilterHost;
    mutable std::unique_ptr<TSTColumnFilterEh> FSTFilter;
    std::shared_ptr<IMemTableDataFieldValueListEh> FFieldValueList;
    // The data set the cached list was read from (compared only, never used).
    const void* FFieldValueListSource = nullptr;
};

// The published form of the data grid's column; the grid's collection makes its items of it.
class TDBGridColumnEh : public TColumnEh {
    KVT_CLASS(TDBGridColumnEh, TColumnEh)
public:
    using TColumnEh::TColumnEh;
};

// A list of columns that does not own them.
class TColumnsEhList : public TAxisBarsEhList {
    KVT_CLASS(TColumnsEhList, TAxisBarsEhList)
public:
    TColumnsEhList() = default;
    TColumnEh* Columns(int Index) const { return static_cast<TColumnEh*>(Items(Index)); }
    void SetColumns(int Index, TColumnEh* Value) { SetItems(Index, Value); }
    TColumnEh* operator[](int Index) const { return Columns(Index); }
};

// The data grid's column collection.
class TDBGridColumnsEh : public TBaseColumnsEh {
    KVT_CLASS(TDBGridColumnsEh, TBaseColumnsEh)
public:
    TDBGridColumnsEh(TCustomDBGridEh* AGrid, TCollectionItemClass ColumnClass);
    ~TDBGridColumnsEh() override;
    TColumnEh* Add() { return static_cast<TColumnEh*>(TBaseColumnsEh::Add()); }
    TColumnEh* Columns(int Index) const { return static_cast<TColumnEh*>(Items(Index)); }
    TColumnEh* operator[](int Index) const { return Columns(Index); }
    TCustomDBGridEh* Grid() const { return FDBGrid; }
    void Update(TCollectionItem* Item) override;
    void ActiveChanged() override;
    // The grid goes away before its columns: they stop reporting to it.
    void DetachGrid() { FDBGrid = nullptr; }
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

    void AddAllColumns(bool DeleteExisting) { AddAllBars(DeleteExisting); }
    void RebuildColumns() { AddAllColumns(true); }
    TColumnEh* FindColumnByName(const String& Name) { return static_cast<TColumnEh*>(FindBarByName(Name)); }
    void GetColumnNames(TStrings* List) { GetBarNames(List); }
    // Whether some column's single footer shows that kind of value.
    bool ExistFooterValueType(TFooterValueType Kind);

    // Key navigation between columns; tab stops are the columns whose field can be edited.
    TColumnEh* GetFirstTabColumn();
    TColumnEh* GetLastTabColumn();
    TColumnEh* GetNextTabColumn(TColumnEh* ForColumn, bool GoForward);
    TColumnEh* GetNextHorzColumn(TColumnEh* ForColumn, bool GoForward, bool TabStopsOnly, bool CrossLines);
    TColumnEh* GetNextVertColumn(TColumnEh* ForColumn, bool GoForward);
    TColumnEh* GetTopColumn(TColumnEh* Column);
    TColumnEh* GetBottomColumn(TColumnEh* Column);
    // Row-panel widths: scaled from a panel M wide to one D wide keeping the cells' edges, and
    // the auto-fit columns of each line sharing what the fixed ones leave of GridWidth.
    void ScaleWidths(int M, int D);
    void FixupAutoFitColWidths(int GridWidth);
    // Places the columns on the row panel's lines (their RowPlacement) and sizes the master cell.
    void RelayoutCellsInRowPanel();

    TColumnEh* UpDownBaseColumn() const { return FUpDownBaseColumn; }
    void SetUpDownBaseColumn(TColumnEh* Value) { FUpDownBaseColumn = Value; }
    TColumnEh* FirstScrollVisibleColumn() const { return FFirstScrollVisibleColumn; }
    TColumnEh* FirstFrozenVisibleColumn() const { return FFirstFrozenVisibleColumn; }
    TColumnEh* FirstContraVisibleColumn() const { return FFirstContraVisibleColumn; }
    TColumnEh* LastScrollVisibleColumn() const { return FLastScrollVisibleColumn; }
    TColumnEh* LastFrozenVisibleColumn() const { return FLastFrozenVisibleColumn; }
    TColumnEh* LastContraVisibleColumn() const { return FLastContraVisibleColumn; }

private:
    friend class TColumnEh;
    friend class TCustomDBGridEh;
    void ItemChanged(TColumnEh* Item);
    TCustomDBGridEh* FDBGrid;
    TColumnEh* FUpDownBaseColumn = nullptr;
    TColumnEh* FFirstScrollVisibleColumn = nullptr;
    TColumnEh* FFirstFrozenVisibleColumn = nullptr;
    TColumnEh* FFirstContraVisibleColumn = nullptr;
    TColumnEh* FLastScrollVisibleColumn = nullptr;
    TColumnEh* FLastFrozenVisibleColumn = nullptr;
    TColumnEh* FLastContraVisibleColumn = nullptr;
};

class TColumnTitleDefValuesEh : public TAxisBarCaptionDefValuesEh {
    KVT_CLASS(TColumnTitleDefValuesEh, TAxisBarCaptionDefValuesEh)
public:
    using TAxisBarCaptionDefValuesEh::TAxisBarCaptionDefValuesEh;
};

// The grid-wide column defaults of the data grid.
class TColumnDefValuesEh : public TCustomColumnDefValuesEh {
    KVT_CLASS(TColumnDefValuesEh, TCustomColumnDefValuesEh)
public:
    explicit TColumnDefValuesEh(TCustomDBAxisGridEh* AGrid);
    ~TColumnDefValuesEh() override;
    void Assign(TPersistent* Source) override;
    TAxisBarCaptionDefValuesEh* CreateTitleDefValues() override;
    TColumnTitleDefValuesEh* Title() const {
        return static_cast<TColumnTitleDefValuesEh*>(TCustomColumnDefValuesEh::Title());
    }
    TColumnFooterDefValuesEh* Footer() const { return FFooter.get(); }
    void SetFooter(TColumnFooterDefValuesEh* Value) { FFooter->Assign(Value); }

private:
    std::unique_ptr<TColumnFooterDefValuesEh> FFooter;
};

// ---------------------------------------------------------------------------------------------
// The data link: the axis grid's link; its reactions reach the grid through the Link* hooks.

class TGridDataLinkEh : public TAxisGridDataLinkEh {
    KVT_CLASS(TGridDataLinkEh, TAxisGridDataLinkEh)
public:
    explicit TGridDataLinkEh(TCustomDBAxisGridEh* AGrid) : TAxisGridDataLinkEh(AGrid) {}
    // The scroll-bar panels follow the link's active state.
    void ActiveChanged() override;
    // Dropping a typed text reloads the editor; the text must not be written on the way.
    void Reset();
};

// The values of one data hint, handed to OnDataHintShow and taken back from it.
class TDBGridEhDataHintParams : public TDBAxisGridDataHintParamsEh {
    KVT_CLASS(TDBGridEhDataHintParams, TDBAxisGridDataHintParamsEh)
};

// ---------------------------------------------------------------------------------------------
// The grid

// Classes of other parts of the grid that its events name.
class TGroupDataTreeNodeEh;
class TGridDataGroupFooterEh;
class TGridDataGroupFooterColumnItemEh;
class TGroupRowParamsEh;
class TGroupFooterParamsEh;
class TBMListEh;
class TPopupMenu;
// Selection, edit actions and stored layout (DBGridEhSelection.h, DBGridEhLayout.cpp).
class TDBGridEhSelection;
class TBookmarkListEh;
class TBasicAction;
class TRegIniFile;
class TCustomIniFile;
enum TDBGridEhRestoreParam {
    grpColIndexEh,
    grpColWidthsEh,
    grpSortMarkerEh,
    grpColVisibleEh,
    grpRowHeightEh,
    grpDropDownRowsEh,
    grpDropDownWidthEh,
    grpRowPanelColPlacementEh
};
using TDBGridEhRestoreParams = TSet<TDBGridEhRestoreParam>;

using TDBGridEhNotifyEvent = TEvent<void(TCustomDBGridEh* Sender)>;
using TDBGridEhAdvDrawColumnDataEvent =
    TEvent<void(TCustomDBGridEh* Sender, TGridCoord Cell, TGridCoord AreaCell, TColumnEh* Column,
                const TRect& ARect, TAxisColCellParamsEh*& Params, bool& Processed)>;
using TDBGridEhBuildIndicatorTitleMenu = TEvent<void(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu)>;
using TDBGridEhClickEvent = TEvent<void(TColumnEh* Column)>;
using TCheckTitleEhBtnEvent = TEvent<void(TObject* Sender, int ACol, TColumnEh* Column, bool& Enabled)>;
using TDBGridEhCheckRowHaveDetailPanelEvent = TEvent<void(TCustomDBGridEh* Sender, bool& RowHaveDetailPanel)>;
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
using TDBGridEhDataGroupGetGroupRowTextEvent =
    TEvent<void(TCustomDBGridEh* Sender, TGroupDataTreeNodeEh* GroupDataTreeNode, String& GroupRowText)>;
using TDBGridEhDataGroupGetGroupRowParamsEvent =
    TEvent<void(TCustomDBGridEh* Sender, TGroupDataTreeNodeEh* GroupDataTreeNode, TGroupRowParamsEh* Params)>;
using TDBGridEhDataGroupGetGroupFooterParamsEvent =
    TEvent<void(TCustomDBGridEh* Sender, TGroupDataTreeNodeEh* GroupDataTreeNode,
                TGridDataGroupFooterColumnItemEh* FooterColumnItem, TGroupFooterParamsEh* Params)>;
using TDrawColumnEhCellEvent =
    TEvent<void(TObject* Sender, const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State)>;
using TDrawDataCellEvent =
    TEvent<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;
using TDrawFooterCellEvent =
    TEvent<void(TObject* Sender, int DataCol, int Row, TColumnEh* Column, TRect Rect, TGridDrawState State)>;
using TDBGridEhFillSTFilterListValuesEvent =
    TEvent<void(TCustomDBGridEh* Sender, TColumnEh* Column, TStrings* Items, bool& Processed)>;
using TGetBtnEhParamsEvent = TEvent<void(TObject* Sender, TColumnEh* Column, TFont* AFont, TColor& Background,
                                         TSortMarkerEh& SortMarker, bool IsDown)>;
using TGetCellEhParamsEvent =
    TEvent<void(TObject* Sender, TColumnEh* Column, TFont* AFont, TColor& Background, TGridDrawState State)>;
using TGetFooterParamsEvent =
    TEvent<void(TObject* Sender, int DataCol, int Row, TColumnEh* Column, TFont* AFont, TColor& Background,
                TAlignment& Alignment, TGridDrawState State, String& Text)>;
using TGetDBGridEhRowHeightEvent = TEvent<void(TObject* Sender, int& RowHeight)>;
using TGridMoveRecordsEventEh =
    TEvent<bool(TObject* Sender, TBMListEh* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly)>;
using TDBGridEhRowDetailPanelHideEvent = TEvent<void(TCustomDBGridEh* Sender, bool& CanHide)>;
using TDBGridEhRowDetailPanelShowEvent = TEvent<void(TCustomDBGridEh* Sender, bool& CanShow)>;
using TTitleEhClickEvent = TEvent<void(TObject* Sender, int ACol, TColumnEh* Column)>;

// ---------------------------------------------------------------------------------------------
// Unit-level values every grid shares.

// Key shortcuts of in-place search, the prior record's value, the find dialog and the filter list.
extern TShortCut InplaceSearchStartShortCut;
extern TShortCut InplaceSearchNextShortCut;
extern TShortCut InplaceSearchPriorShortCut;
extern TShortCut PriorRecordValueShortCut;
extern TShortCut FindDialogShortCut;
extern TShortCut FilterListShortCut;
extern int InplaceSearchTimeOutDefault; // milliseconds
extern TColor InplaceSearchMatchColor;
extern TColor InplaceSearchMatchFontColor;
// Set by a form designer: draws its selection frame over the title of Column when the designer
// has that column selected. Not set in a running program.
using TDBGridEhDesignTitleFrameProc =
    std::function<void(TCustomDBGridEh* Grid, TColumnEh* Column, TCanvas* Canvas, const TRect& TitleRect)>;
extern TDBGridEhDesignTitleFrameProc DBGridEhDesignTitleFrame;
// The font of the sort indexes printed beside the markers when several columns are marked.
TFont* SortIndexFont();
// The indicator's pictures, in this order: 0 the current row's arrow, 1 editing, 2 inserting,
// 3 a selected row, 4 the current row selected, 5 the arrow in white, 6 the arrow in
// InplaceSearchMatchColor.
TCustomImageList* IndicatorImageList();
// Makes image 6 of List (the white arrow at 5 drawn in InplaceSearchMatchColor) anew, replacing
// the one there; for a program that changes the colour.
void AddSearchArrowImage(TCustomImageList* List);

// The name a grid layout is stored under: the owner chain's names up to the form's class name.
String LayoutSectionName(TComponent* Component);
// Exchanges the rectangle's width and height, keeping its top-left corner.
void SwapRectExtent(TRect& Rect);
// A nesting counter around long operations: the first start shows the hourglass, the last
// stop puts the remembered cursor back.
void StartWaitCursor();
void StopWaitCursor();

// The data grid's cell-parameter record: what the painters and OnAdvDrawDataCell see of a cell.
class TColCellParamsEh : public TAxisColCellParamsEh {
    KVT_CLASS(TColCellParamsEh, TAxisColCellParamsEh)
};

class TCustomDBGridEh : public TCustomDBAxisGridEh,
                        public IInplaceEditHolderEh,
                        public IMTEventReceiverEh,
                        public IDBGridEhScrollBarHost,
                        public IDataGroupsGridEh {
    KVT_CLASS(TCustomDBGridEh, TCustomDBAxisGridEh)
public:
    explicit TCustomDBGridEh(TComponent* AOwner);
    ~TCustomDBGridEh() override;
    void AfterConstruction() override;

    // --- model
    TDBGridOptions Options() const { return FOptions; }
    void SetOptions(TDBGridOptions Value);
    TDBGridEhOptions OptionsEh() const { return FOptionsEh; }
    void SetOptionsEh(TDBGridEhOptions Value);
    TDBGridEhAllowedSelections AllowedSelections() const { return FAllowedSelections; }
    void SetAllowedSelections(TDBGridEhAllowedSelections Value);
    TDBGridEhIndicatorOptions IndicatorOptions() const { return FIndicatorOptions; }
    void SetIndicatorOptions(TDBGridEhIndicatorOptions Value);
    TDBGridEhEditActions EditActions() const { return FEditActions; }
    void SetEditActions(TDBGridEhEditActions v) { FEditActions = v; }
    TEditButtonsShowOptionsEh EditButtonsShowOptions() const { return FEditButtonsShowOptions; }
    void SetEditButtonsShowOptions(TEditButtonsShowOptionsEh v) { FEditButtonsShowOptions = v; }
    TDBGridEhStyle* Style() const { return FStyle; }
    // nullptr gives the grid the default style back.
    void SetStyle(TDBGridEhStyle* Value);
    // The style painting goes through: the grid's, else the default, else a built-in one (a
    // grid whose style was freed still paints).
    TDBGridEhStyle& PaintStyle() const;
    TColor EvenRowColor() const { return FEvenRowColorStored ? FEvenRowColor : Color(); }
    void SetEvenRowColor(TColor Value);
    TColor OddRowColor() const { return FOddRowColorStored ? FOddRowColor : Color(); }
    void SetOddRowColor(TColor Value);
    bool EvenRowColorStored() const { return FEvenRowColorStored; }
    bool OddRowColorStored() const { return FOddRowColorStored; }
    void SetTryUseMemTableInt(bool Value);
    bool SortLocal() const { return FSortLocal; }
    void SetSortLocal(bool v) { FSortLocal = v; }
    TDBGridEhState GridEhState() const { return FDBGridEhState; }

    TDBGridTitleParamsEh* TitleParams() const { return FTitleParams.get(); }
    TDBGridIndicatorParamsEh* IndicatorParams() const { return FIndicatorParams.get(); }
    TDBGridFooterParamsEh* FooterParams() const { return FFooterParams.get(); }
    TDBGridEhIndicatorTitle* IndicatorTitle() const { return FIndicatorTitle.get(); }
    TGridEmptyDataInfoEh* EmptyDataInfo() const { return FEmptyDataInfo.get(); }
    TDBGridColumnsEh* Columns() const { return static_cast<TDBGridColumnsEh*>(AxisBars()); }
    void SetColumns(TDBGridColumnsEh* Value) { AxisBars()->Assign(Value); }
    TColumnDefValuesEh* ColumnDefValues() const {
        return static_cast<TColumnDefValuesEh*>(AxisBarDefValues());
    }
    // Visible columns in order (hidden ones skipped).
    int VisibleColumnCount() const;
    TColumnEh* VisibleColumn(int Index) const;
    // Data column i is Columns[i], shown in grid column i + IndicatorOffset; a hidden column keeps
    // its cell at no width. Nil outside the collection.
    TColumnEh* DataColumn(int DataCol) const;
    // The data column of Column (its index in Columns), -1 when it is not one of this grid's.
    int DataColOf(TAxisBarEh* Column) const;
    // The visible columns as of the last layout rebuild.
    TColumnsEhList* VisibleColumns() const { return FVisibleColumns.get(); }
    // The sort-marked columns in SortIndex order.
    TColumnsEhList* SortMarkedColumns() const { return FSortMarkedColumns.get(); }

    // --- data
    TGridDataLinkEh* DataLink() const {
        return static_cast<TGridDataLinkEh*>(TCustomDBAxisGridEh::DataLink());
    }

    int IndicatorOffset() const { return FIndicatorOffset; }
    uint8_t TopDataOffset() const;
    int TitleRowCount() const { return GetTitleRowCount(); }
    // The fixed rows above the data: the title row and the filter row under it.
    virtual int GetTitleRowCount() const;
    virtual int GetFilterRowCount() const;
    // Scrolling over a memory table by pixels rather than records.
    virtual bool IsExtendedScrolling();
    bool HasHideDuplicatesColumns();
    // The extra width of the first visible column (room for group levels).
    void UpdateExtraFirstColumnWidth();
    int ColumnWidthToCellWidth(TColumnEh* Column, int W);
    int CellWidthToColumnWidth(TColumnEh* Column, int W);
    void CancelEditing() override;
    int StdDefaultRowHeight() const { return FStdDefaultRowHeight; }
    // Data rows the grid holds (the view rows of a memory table, the buffered records else).
    int FullDataRowCount();
    int DataRowCount() const { return RowCount() - TopDataOffset(); }
    // Whether DataRow is the current record's row (never on an empty data set).
    bool IsDataRowCurrent(int DataRow);
    // The 1-based record number of DataRow; 0 while the link is inactive.
    int DataRowToRecNo(int DataRow);
    // Positions reading on DataRow without moving the cursor; pairs nest.
    void InstantReadRowEnter(int DataRow);
    void InstantReadRowLeave();
    int OldActiveRecord() const { return FOldActiveRecord.empty() ? -1 : FOldActiveRecord.front(); }

    int MoveBy(int Distance);
    // EOF is a C library macro: the end flag is Eof().
    bool Eof();
    bool BOF();
    void SaveBookmark();
    void RestoreBookmark();
    int LookedOffset() const { return FLookedOffset; }
    void SetSelectedIndex(int Value) override;
    TColumnEh* SelectedColumn();

    // --- layout
    // Asks for a layout rebuild (at once, or when the outermost layout lock goes).
    void LayoutChanged();
    virtual void RecalcDataRowCount();
    int CalcIndicatorColWidth();
    TCellAreaTypeEh GetCellType(int ACol, int ARow, int& AreaCol, int& AreaRow) const;
    // The base grid's own option set, derived from Options and OptionsEh.
    TGridOptions BaseOptions() const { return TCustomGridEh::Options(); }
    // Checks of the row mapping (tests and debug builds): the row count against the data rows
    // and, WithCurrent, the current row against the current record.
    bool CheckDataConsistency(bool WithCurrent = true);

    // --- events
    TDBGridEhNotifyEvent OnActiveGroupingStructChanged;
    TDBGridEhAdvDrawColumnDataEvent OnAdvDrawDataCell;
    TNotifyEvent OnApplyFilter;
    TDBGridEhBuildIndicatorTitleMenu OnBuildIndicatorTitleMenu;
    TDBGridEhClickEvent OnCellClick;
    TCheckTitleEhBtnEvent OnCheckButton;
    TDBGridEhCheckRowHaveDetailPanelEvent OnCheckRowHaveDetailPanel;
    TNotifyEvent OnColEnter;
    TNotifyEvent OnColExit;
    TMovedEvent OnColumnMoved;
    TNotifyEvent OnColWidthsChanged;
    TGridDataGroupFooterItemAggregateValueEvent OnDataGroupFooterAggregateValue;
    TGridDataGroupFooterItemFinalizeValueEvent OnDataGroupFooterFinalizeValue;
    TGridDataGroupFooterItemToDisplayTextEvent OnDataGroupFooterToDisplayText;
    TDBGridEhDataGroupGetGroupRowTextEvent OnDataGroupGetRowText;
    TDBGridEhDataGroupGetGroupRowParamsEvent OnDataGroupGetRowParams;
    TDBGridEhDataGroupGetGroupFooterParamsEvent OnDataGroupGetFooterParams;
    TDBGridEhDataHintShowEvent OnDataHintShow;
    TDrawColumnEhCellEvent OnDrawColumnCell;
    TDrawDataCellEvent OnDrawDataCell;
    TDrawFooterCellEvent OnDrawFooterCell;
    TDBGridEhFillSTFilterListValuesEvent OnFillSTFilterListValues;
    TGetBtnEhParamsEvent OnGetBtnParams;
    TGetCellEhParamsEvent OnGetCellParams;
    TGetFooterParamsEvent OnGetFooterParams;
    TGetDBGridEhRowHeightEvent OnGetRowHeight;
    TDBGridEhHintShowPauseEvent OnHintShowPause;
    TGridEhCellMouseEvent OnIndicatorTitleMouseDown;
    TGridMoveRecordsEventEh OnMoveRecords;
    TDBGridEhRowDetailPanelHideEvent OnRowDetailPanelHide;
    TDBGridEhRowDetailPanelShowEvent OnRowDetailPanelShow;
    TNotifyEvent OnSelectionChanged;
    TNotifyEvent OnSortMarkingChanged;
    TNotifyEvent OnSumListAfterRecalcAll;
    TNotifyEvent OnSumListRecalcAll;
    TTitleEhClickEvent OnTitleBtnClick;
    TDBGridEhClickEvent OnTitleClick;

    // --- further properties of the model
    bool AutoFitColWidths() const { return FAutoFitColWidths; }
    void SetAutoFitColWidths(bool Value);
    int MinAutoFitWidth() const { return FMinAutoFitWidth; }
    void SetMinAutoFitWidth(int Value);
    int ContraColCount() const { return FContraColCount; }
    void SetContraColCount(int Value);
    int FrozenCols() const { return FFrozenCols; }
    void SetFrozenCols(int Value);
    bool RowSizingAllowed() const { return FRowSizingAllowed; }
    void SetRowSizingAllowed(bool Value);
    // Column footer rows below the data (the grid's trailing rows hold them after the
    // grand-total group footers).
    int FooterRowCount() const { return FFooterRowCount; }
    void SetFooterRowCount(int Value);
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int Value);
    int RowLines() const { return FRowLines; }
    void SetRowLines(int Value);
    TColor FooterColor() const { return FFooterParams->Color(); }
    void SetFooterColor(TColor Value) { FFooterParams->SetColor(Value); }
    int TitleHeight() const { return FTitleParams->RowHeight(); }
    void SetTitleHeight(int Value) { FTitleParams->SetRowHeight(Value); }
    int TitleLines() const { return FTitleParams->RowLines(); }
    void SetTitleLines(int Value) { FTitleParams->SetRowLines(Value); }
    bool UseMultiTitle() const { return FTitleParams->MultiTitle(); }
    void SetUseMultiTitle(bool Value) { FTitleParams->SetMultiTitle(Value); }
    int VTitleMargin() const { return FTitleParams->VTitleMargin(); }
    void SetVTitleMargin(int Value) { FTitleParams->SetVTitleMargin(Value); }
    TDBGridLineParamsEh* GridLineParams() const;
    void SetGridLineParams(TDBGridLineParamsEh* Value);
    TDBGridEhSumList* SumList() const { return FSumList.get(); }
    TSTDBGridEhFilter* STFilter() const { return FSTFilter.get(); }
    uint8_t TitleOffset() const { return FTitleOffset; }
    // The title font is the title parameters' font: one object, so that both names agree.
    TFont* TitleFont() const { return FTitleParams->Font(); }

    // --- core reactions
    void DefineProperties(TFiler* Filer) override;
    // The deletion question; False only when the user cancels it.
    virtual bool ConfirmDeleteRecords();
    virtual void CellClick(TColumnEh* Column);
    virtual void ColEnter();
    virtual void ColExit();
    bool IsColumnEditable(TAxisBarEh* Column) override;
    bool IsEditorAlwaysShown() override;
    int GetFixedCellStyle() override;
    String GetEditMask(int ACol, int ARow) override;
    String GetEditText(int ACol, int ARow) override;
    // Grids made without their design-time controller.
    static TCustomDBGridEh* CreateNew(TComponent* AOwner, int Dummy);

    // Applies the sort markers to a memory table's sort order (the default when no
    // OnSortMarkingChanged handler is assigned).
    virtual void DefaultApplySorting();
    virtual void SortMarkingChanged();
    void SetSortMarkedColumns();

    void MTViewDataEvent(int RowNum, TMTViewEventTypeEh Event, int OldRowNum) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Reactions to the data link.
    void LinkActiveChanged(bool Value) override;
    void LinkDataSetChanged() override;
    void LinkDataChanged() override;
    void LinkDataSetScrolled(int Distance) override;
    void LinkEditingChanged() override;

    // The message a fetch failure was reported with last (the grid reports each failure once).
    String LastFetchError() const { return FLastFetchError; }

protected:
    friend class TColumnEh;
    friend class TDBGridColumnsEh;
    friend class TColumnTitleEh;
    friend class TDBGridEhStyle;
    friend class TGridEmptyDataInfoEh;

    // Factories of the axis grid.
    TGridAxisBarsEh* CreateAxisBars() override;
    TAxisBarDefValuesEh* CreateAxisBarDefValues() override;
    TAxisGridDataLinkEh* CreateDataLink() override;
    void RebuildLayout() override;
    int ReadSelectedIndex() override { return RowPanelMode() ? FInRowPanelCol : Col() - FIndicatorOffset; }
    TAxisBarEh* SelectedAxisBar() override;
    int SelectedIndexOfAxisBar(TAxisBarEh* Bar, int) override { return DataColOf(Bar); }
    void WriteDataSource(TDataSource* Value) override;
    TFont* GetTitleFont() override { return FTitleParams->Font(); }
    void SetTitleFont(TFont* Value) override;
    void CreateWnd() override;
    void FlatChanged() override;

    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    void DoExit() override;
    void ColWidthsChanged() override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    bool CanEditShow() override;
    bool CanEditModify() override;
    bool CanSelectCell(int ACol, int ARow) override;
    void CurrentCellMoved(const TGridCoord& OldCurrent) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void WndProc(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    // A column leaving the collection is dropped from the grid's column lists at once.
    void NotifyRowChange(TAxisBarEh* Item) override;

    virtual void TitleClick(TColumnEh* Column);
    // Key steps: down (appending at the end when allowed), up, and to the next tab stop.
    // Select goes to the selection step when Shift is held (ShiftHeld).
    void StepDownOrAppend(bool Select, bool ShiftHeld);
    void StepUp(bool Select, bool ShiftHeld);
    void StepTab(bool GoForward);
    // Whether the grid has or could take the focus; a grid that cannot does nothing on a click.
    bool TryAcquireFocus() override;
    void CancelTracking();

    void UpdateMemTableInterface();
    void RecalcMemTableRowCount();
    void RecalcPlainRowCount();
    void SafeSetRowCount(int Value);
    void SyncMemTableCursorRow(int Distance);
    void FetchRecordsToFillPage();
    void UpdateColumnWidths() override;
    void UpdateRowHeights();
    // The rebuild's last steps: the row count, the detail panel, the current record, the column
    // selection and the filter row's editor.
    void FinishLayoutRebuild();
    int VisibleDataRowCapacity();
    void ReportFetchError(const Exception& E);
    void StyleChanged();
    void FontChangedHere();
    void CreateOwnedParts();
    void SumListChanged(TObject* Sender);
    void SumListRecalcAll(TObject* Sender);
    void SumListAfterRecalcAll(TObject* Sender);

    // Model
    TDBGridOptions FOptions = DefaultDBGridOptions;
    TDBGridEhOptions FOptionsEh = DefaultDBGridEhOptions;
    TDBGridEhAllowedSelections FAllowedSelections{gstRecordBookmarks, gstRectangle, gstColumns, gstAll};
    TDBGridEhIndicatorOptions FIndicatorOptions{gioShowRowIndicatorEh};
    TDBGridEhEditActions FEditActions;
    TEditButtonsShowOptionsEh FEditButtonsShowOptions;
    TDBGridEhStyle* FStyle = nullptr;
    uint8_t FIndicatorOffset = 1;
    int FStdDefaultRowHeight = 17;
    TColor FEvenRowColor = clWindow;
    TColor FOddRowColor = clWindow;
    bool FEvenRowColorStored = false;
    bool FOddRowColorStored = false;
    TDBGridEhState FDBGridEhState = dgsNormal;
    std::unique_ptr<TDBGridTitleParamsEh> FTitleParams;
    std::unique_ptr<TDBGridIndicatorParamsEh> FIndicatorParams;
    std::unique_ptr<TDBGridFooterParamsEh> FFooterParams;
    std::unique_ptr<TDBGridEhIndicatorTitle> FIndicatorTitle;
    std::unique_ptr<TGridEmptyDataInfoEh> FEmptyDataInfo;
    std::unique_ptr<TColumnsEhList> FSortMarkedColumns;
    std::unique_ptr<TColumnsEhList> FVisibleColumns;
    bool FSortLocal = false;
    bool FSortMarking = false;
    bool FInColWidthsChanged = false;
    // A column width set on a generated column also sets its field's display width.
    bool FUpdateFields = true;
    uint8_t FTitleOffset = 0;
    bool FAutoFitColWidths = false;
    int FMinAutoFitWidth = 0;
    int FContraColCount = 0;
    int FFrozenCols = 0;
    bool FRowSizingAllowed = false;
    int FRowHeight = 0;
    int FRowLines = 0;
    bool FColWidthsChanged = false;
    bool FWholeGridChanged = false;
    int FExtraFirstColumnWidth = 0;
    bool FSelfChangingTitleFont = false;
    bool FSelfChangingFooterFont = false;
    bool FNoDesignController = false;
    std::unique_ptr<TDBGridEhSumList> FSumList;
    std::unique_ptr<ISTFilterGridEh> FSTFilterHost;
    std::unique_ptr<TSTDBGridEhFilter> FSTFilter;

    // Data flow
    TComponent* FIntMemTableComponent = nullptr;
    IMemTableEh* FRegisteredMemTable = nullptr;
    // Saved positions of nested instant reads, outermost first.
    std::vector<int> FOldActiveRecord;
    bool FFetchingRecords = false;
    bool FRecalcingRows = false;
    bool FInternalUpdatingDatasetPos = false;
    bool FLockAutoShowCurCell = false;
    int FSelRow = -1;
    TBookmark FLockedBookmark;
    int FLookedOffset = 0;
    int FRecNoTextWidth = 0;
    String FLastFetchError;
    bool FInFetchErrorReport = false;

    // Mouse
    bool FTracking = false;
    int FPressedCol = -1;
    int FPressedDataCol = -1;
    bool FPressed = false;

    // --- options, indicator width and the key and scroll steps (DBGridEh.cpp, DBGridEhKeys.cpp,
    // DBGridEhDataLink.cpp)
public:
    virtual bool IsIndicatorVisible();
    // Stores a changed indicator width; true when it changed.
    bool CheckIndicatorColWidthChanged();
    int RowselCheckboxesWidth() const { return FRowselCheckboxesWidth; }

    // The edit button under the mouse in the hot cell (EditButtonAtPos), 1 over an indicator's
    // row-select check box, -1 elsewhere.
    int HotTrackEditButton() const { return FHotTrackEditButton; }
    // Keys: the character being handled (both units of a two-unit character), the value of the
    // same field from the record before, and the move to a data column (Step -1, 0, +1).
    String GetCompleteKeyPress() const;
    void SetValueFromPrevRecord();
    void SelectDataColumn(int Index, int Step, bool Extend);
    // Makes ATop the top row, clamped to the rows that fill the last page; CheckOnly only answers.
    int SafeMoveTop(int ATop, bool CheckOnly) override;
    TNotifyEvent OnTopLeftChanged;

protected:
    // Extended scrolling: scroll codes move the top row, and the bar shows the top row.
    void ScrollTopRowByCode(int ScrollCode, int Pos);
    void SyncVertScrollBarToTopRow();
    void ClampTopRow();
    // Record scrolling: scroll codes move the record.
    void ScrollRecordsByCode(int ScrollCode, int Pos);
    void UpdateEditAndHotTrack() override;
    bool IsSmoothVertScroll() override;
    void KeyPress(Char& Key) override;
    void HandleChar(TMessage& Message);
    // Up at the first record (or with Ctrl) opens the filter row's editor.
    void EnterFilterRowUp(Word& Key, TShiftState Shift);
    String FCompleteKeyPress;
    bool FInColExit = false;
    // Fires OnGetCellParams for a data cell.
    void QueryCellParams(TAxisBarEh* Column, TAxisColCellParamsEh* Params) override;
    void UpdateHotTrackInfo(int X, int Y) override;
    // The always-shown editor buttons of a data cell: the main one of the editor style, then the
    // column's visible extra buttons.
    void DrawCellEditButtons(TColumnEh* Column, TAxisColCellParamsEh* Params, const TRect& Area,
                             const TRect& CellRect, bool The3D);
    // Whether the record that reading stands on is selected (its indicator shows it).
    virtual bool IsIndicatorRowSelected();
    bool DataCellInSelection(int DataCol);
    int FHotTrackEditButton = -1;
    // A size change that came while the layout was locked, applied when the lock ends.
    virtual void ApplySizeChange();
    void HandleSize(TMessage& Message);
    // Extended scrolling's wheel: Shift steps the record, Ctrl pages, both page the record.
    bool ExtendedWheelStep(bool Down, TShiftState Shift, TPoint MousePos);
    bool FScrollBarMessage = false;
    bool FThumbTracked = false;
    bool FTopLeftVisible = true;
    TGridCoord FOldTopLeft{0, 0};
    // Keeps dgColumnResize and the pair dghColumnResize + dghColumnMove in step.
    void SyncColumnResizeMoveOptions(TDBGridOptions NewOptions, TDBGridEhOptions NewOptionsEh);
    int FRowselCheckboxesWidth = 0;
    bool FSizeChanged = false;

    // =========================================================================================
    // Appearance, header tree and painting: DBGridEhParams, DBGridEhHeadTree, DBGridEhBorders,
    // DBGridEhPaintTitles, DBGridEhPaintCells, DBGridEhPaintOverlay.
public:
    TGridTreeViewParamsEh* TreeViewParams() const { return FTreeViewParams.get(); }
    TDBGridBackgroundDataEh* DBBackgroundData() const {
        return static_cast<TDBGridBackgroundDataEh*>(BackgroundData());
    }
    THeadTreeNode* HeadTree() const { return FHeadTree.get(); }
    PTLeafCol& LeafFieldArr() { return FLeafFieldArr; }
    TFont* FooterFont() const { return FFooterParams->Font(); }
    virtual bool IsUseMultiTitle();
    // Measures the bands under Node and sets their heights; answers the tallest.
    int CalcHeadTreeHeights(THeadTreeNode* Node);
    // The cell's (horizontal, vertical) kind: horizontal 0 indicator, 1 data column; vertical
    // 0 title, 1 filter row, 2 data, 4 footer; and its position inside its area.
    void GetCellType(int ACol, int ARow, TPoint& CellType, int& AreaCol, int& AreaRow);
    using TCustomDBAxisGridEh::IsFixedStyleCell;
    // A footer's value; a footer shows what OnGetFooterParams gives it on top of this.
    virtual String GetFooterValue(int Row, TColumnEh* Column);

    // The loading overlay: the grid shows a dimmed picture of itself with the caption until the
    // matching finish. -1 takes the style's fade time.
    void StartLoadingStatus(const String& LoadingCaption = String(), int RenderDuration = -1);
    void FinishLoadingStatus(int RenderDuration = -1);
    bool ShowingLoadingMode() const override { return FShowingLoadingMode; }

    int LoadingModeCallCount() const { return FLoadingModeCallCount; }
    const String& LoadingModeText() const { return FLoadingModeText; }
    TBitmap* LoadingModeBitmap() const { return FLoadingModeBitmap; }
    // Fade frames drawn so far (each start or finish with a duration above 1 draws some).
    int LoadingFramesDrawn() const { return FLoadingFramesDrawn; }

    void DefaultDrawColumnDataCell(const TGridCoord& Cell, const TGridCoord& AreaCell, TColumnEh* Column,
                                   const TRect& AreaRect, TAxisColCellParamsEh* Params);
    void DefaultDrawColumnCell(const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State);
    void DefaultDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);
    // Whether the row-select look draws a focus rectangle over the current row.
    virtual bool ShowRowFocusRect();
    // The focus frame around a painted cell area, drawn with a clear brush.
    static void DrawCellFocusRect(TCanvas* Canvas, const TRect& Rect);
    // The edit button of the column's cell under (X, Y): 0 the main one, n the n-th extra one,
    // -1 none.
    int EditButtonAtPos(int ACol, int ARow, int Y, int X, TColumnEh* Column);

protected:
    friend class TDBGridTitleParamsEh;
    friend class TDBGridFooterParamsEh;
    friend class TDBGridLineParamsEh;

    TGridLineColorsEh* CreateGridLineColors() override;
    TGridBackgroundDataEh* CreateBackgroundData() override;
    void GetCellBorderParams(int ACol, int ARow, TGridCellBorderTypeEh Border, bool& CoverCrossing,
                             TColor& Color, bool& Drawn) override;
    bool IsFixedStyleCell(const TGridCoord& Cell, TGridDrawState State) override;
    bool CanHotTrackCell(int ACol, int ARow) override;
    virtual bool IsFixedCellThemed(TPoint CellType);
    bool IsTitleThemed();
    bool IsTitleGradientAllowed();
    virtual bool GetHighlightedFixedCellColors(TFont* AFont, TColor& AColor, bool Highlight, TPoint CellType);
    bool HighlightDataCellColor(int DataCol, int DataRow, TFont* AFont, TColor& AColor, TGridDrawState State,
                                const String& Text) override;
    bool CheckColumnDuplicateValues(TColumnEh* Column, String& Text, bool CheckPrevRow);
    bool CheckFillDataCell(const TGridCoord& Cell, const TGridCoord& AreaCell, TAxisColCellParamsEh* Params,
                           const TRect& AreaRect, TAxisBarEh* Column) override;
    bool EditButtonsShownInCell(TColumnEh* Column, bool CurrentRow, bool CurrentCol);
    bool AutoFitColWidthsEh() const { return FAutoFitColWidths; }

    void Paint() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    virtual void DrawIndicatorCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                   const TRect& ARect, int AreaCol, int AreaRow);
    virtual void DrawTitleCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState, const TRect& ARect,
                               int AreaCol, int AreaRow);
    virtual void DrawGridDataCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                  const TRect& ARect, int DataCol, int DataRow);
    virtual void DrawGridFooterCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                    const TRect& ARect, int DataCol, int FooterRow);
    virtual void DrawColumnTitle(TColumnEh* Column, const TRect& ARect, TDBGirdDrawTitleStateEh& TitleState,
                                 TGridDrawState AState);
    void DrawParentTitleLevels(TColumnEh* Column, THeadTreeNode* Leaf, const TRect& ARect);
    virtual void DrawSTFilterCell(int ACol, int ARow, bool& Highlighted, TGridDrawState AState,
                                  const TRect& ARect, TPoint CellType, int AreaRow, int DataCol);
    virtual void DrawIndicatorImage(int ACol, int ARow, const TRect& ARect, int XOffset, int YOffset,
                                    int Kind);
    virtual void DrawIndicatorDropDownSign(int ACol, int ARow, bool Highlighted, const TRect& ARect);
    virtual void DrawFilterGlyph(const TRect& ARect, bool Highlighted);
    String RecNoText(int RecNo, bool Current);
    THeadTreeNode* LeafOf(TColumnEh* Column);
    // The scrolling part of the title row, where upper title levels may paint.
    TRect TitleSpanRect();

    int ActualRenderDuration(int RenderDuration, bool Start);
    void RenderStartLoadingStatus(int Duration);
    void RenderFinishLoadingStatus(int Duration);
    void RenderLoadingFrames(TBitmap* From, TBitmap* To, TBitmap* Frame, int Duration);
    void PaintGridImage(TBitmap* Target);

    std::unique_ptr<TGridTreeViewParamsEh> FTreeViewParams;
    std::unique_ptr<THeadTreeNode> FHeadTree;
    PTLeafCol FLeafFieldArr;
    bool FShowingLoadingMode = false;
    int FLoadingModeCallCount = 0;
    String FLoadingModeText = QStringLiteral("Loading...");
    TBitmap* FLoadingModeBitmap = nullptr;
    int FLoadingFramesDrawn = 0;
    // The data row a data cell is being painted for (-1 outside a data cell).
    int FInstantReadDataRow = -1;
    // =========================================================================================

    // ==================================================================================    // Footers and grouping: DBGridEhFooters.cpp, DBGridEhGroupRows.cpp (wiring and painting),
    // DBGridEhGroupNav.cpp (navigation), DBGridEhGroupPanel.cpp (panel and context menus).
public:
    virtual void GetFooterParams(int DataCol, int Row, TColumnEh* Column, TFont* AFont, TColor& Background,
                                 TAlignment& Alignment, TGridDrawState State, String& Text);
    void DefaultDrawFooterCell(const TRect& Rect, int DataCol, int Row, TColumnEh* Column, TGridDrawState State);
    virtual int ReadFullFooterRowCount();
    // Column footer rows plus the visible grand-total group footers (which come first).
    int FullFooterRowCount() { return ReadFullFooterRowCount(); }
    void InvalidateFooter();
    void InvalidateTitle();
    int VisibleDataRowCount();

    TDBGridEhDataGroupsEh* DataGrouping() const { return FDataGrouping.get(); }
    void SetDataGrouping(TDBGridEhDataGroupsEh* Value) { FDataGrouping->Assign(Value); }
    // Grouping with at least one active level and at least one row to show.
    bool GroupingShowsRows();
    TGroupDataTreeNodeEh* CurGroupDataNode() const { return FCurGroupDataNode; }
    // The node of the data row being read (set by InstantReadRowEnter in grouping mode).
    TGroupDataTreeNodeEh* CurInstantReadNode() const { return FInstantReadNode; }
    bool CurGroupDataListBof() const { return FCurGroupDataListBof; }
    bool CurGroupDataListEof() const { return FCurGroupDataListEof; }
    void SetCurGroupNodeByViewRow(int ViewRow, bool Expand);
    void SelectNearestVisibleNode(TGroupDataTreeNodeEh* Node, bool Show);
    void SelectGroupNode(TGroupDataTreeNodeEh* Node, bool Show);
    int GroupDataMoveBy(int Distance, bool AppendAtEnd);
    void SyncDataSetToGroupNode();
    void GroupRowKeyDown(Word& Key, TShiftState Shift);
    void GroupFooterRowKeyDown(Word& Key, TShiftState Shift);
    void DataInsert();
    void DataAppend();
    virtual void GroupDataTreeChanged();
    int CalcGroupRowHeight(TGroupDataTreeNodeEh* Node);
    virtual bool HighlightGroupDataCellColor(int DataCol, int DataRow, const String& Value, TGridDrawState AState,
                                             TColor& AColor, TFont* AFont);
    void UpdateGroupingPanelLayout();
    void LayoutGroupPanelTitles();
    int FontTextLinesHeight(TFont* Font, int Lines, int Extra);
    void GroupPanelInsertPosition(int X, int Y, int& Index, int& MarkerHeight, TPoint& MarkerPos);
    virtual TPopupMenu* BuildGroupFooterPopupMenu(TGridDataGroupFooterColumnItemEh* Item);
    virtual void GroupFooterMenuItemClick(TObject* Sender);
    TPopupMenu* GroupFooterPopupMenu() const { return FGroupFooterPopupMenu; }

    // What grouping asks of its grid.
    TCustomDBGridEh* DGGrid() override { return this; }
    TColor DGColor() override { return Color(); }
    TFont* DGFont() override { return Font(); }
    TColor DGFooterColor() override { return FFooterParams->Color(); }
    TFont* DGFooterFont() override { return FooterFont(); }
    TColor DGGroupingPanelColor() override;
    IMemTableEh* DGMemTable() override { return FIntMemTable; }
    TDataSet* DGDataSet() override;
    bool DGDataLinkActive() override { return DataLink() && DataLink()->Active(); }
    int DGColumnCount() override;
    TPersistent* DGColumn(int Index) override;
    TPersistent* DGFindColumnByName(const String& Name) override;
    bool DGColumnsCustomized() override;
    TField* DGColumnField(TPersistent* Column) override;
    String DGColumnFieldName(TPersistent* Column) override;
    String DGColumnName(TPersistent* Column) override;
    String DGColumnTitleCaption(TPersistent* Column) override;
    String DGColumnDisplayFormat(TPersistent* Column) override;
    String DGColumnDisplayText(TPersistent* Column) override;
    void DGInvalidate() override { Invalidate(); }
    void DGUpdateAllDataRowHeights() override;
    void DGUpdateGroupingPanelLayout() override { UpdateGroupingPanelLayout(); }
    void DGLayoutChanged() override { LayoutChanged(); }
    void DGSortMarkingChanged() override { SortMarkingChanged(); }
    void DGLinkActiveChanged() override;
    void DGUpdateDataRowHeight(int DataRow) override;
    void DGViewDataChanged() override { MTViewDataEvent(-1, mtViewDataChangedEh, -1); }
    void DGActiveGroupingStructChanged() override;
    void DGGroupDataTreeChanged() override { GroupDataTreeChanged(); }
    int DGGroupRowHeight(TGroupDataTreeNodeEh* Node) override { return CalcGroupRowHeight(Node); }
    int DGDataRowHeight() override { return CalcDataRowHeight(); }
    TGroupDataTreeNodeEh* DGCurDataNode() override { return FCurGroupDataNode; }
    bool DGInternalUpdatingDatasetPos() override { return FInternalUpdatingDatasetPos; }
    void DGSetInternalUpdatingDatasetPos(bool Value) override { FInternalUpdatingDatasetPos = Value; }
    void DGSetCurGroupNodeByViewRow(int ViewRow, bool Expand) override;
    void DGDataGroupGetRowText(TGroupDataTreeNodeEh* Node, String& Text) override;
    void DGColumnGroupGetKeyValue(TPersistent* Column, Variant& KeyValue) override;
    void DGColumnGroupGetKeyValueAsText(TPersistent* Column, TGroupDataTreeNodeEh* Node, const Variant& KeyValue,
                                        String& Text) override;
    void DGFooterAggregateValue(TPersistent* Column, TGridDataGroupFooterEh* Footer,
                                TGridDataGroupFooterColumnItemEh* Item, Variant& AValue, TGroupDataTreeNodeEh* Node,
                                bool& Processed) override;
    void DGFooterFinalizeValue(TPersistent* Column, TGridDataGroupFooterEh* Footer,
                               TGridDataGroupFooterColumnItemEh* Item, Variant& AValue, bool& Processed) override;
    bool DGHasFooterValueHandlers(TPersistent* Column) override;
    void DGFooterToDisplayText(TPersistent* Column, TGridDataGroupFooterEh* Footer,
                               TGridDataGroupFooterColumnItemEh* Item, Variant& AValue, String& DisplayValue,
                               bool& Processed) override;

protected:
    virtual void DrawGroupRow(int ACol, int ARow, TPoint CellType, TGridDrawState AState, const TRect& ARect,
                              int DataCol, int DataRow);
    virtual void DrawGroupLevelsIndent(int ACol, int ARow, bool LineBelow, TPoint CellType, TRect& ARect,
                                       TGridDrawState AState, int Level, int DataCol, int DataRow);
    virtual void DrawGroupFooterCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                     const TRect& ARect, int DataCol, int DataRow);
    virtual void DrawGroupFooterIndent(int DataCol, int DataRow, bool The3DRect, const TRect& ARect,
                                       TGridDrawState AState, int Level);
    virtual void DrawGroupPanelTitle(const TRect& ARect, TGridDataGroupLevelEh* Level);
    virtual void GroupPanelMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void BeginGroupPanelTitleMoving(TShiftState Shift, int X, int Y);
    void TrackGroupPanelTitleMoving(TShiftState Shift, int X, int Y);
    void EndGroupPanelTitleMoving(TShiftState Shift, int X, bool Apply, int Y);
    void GroupPanelTitleMouseUp();
    // Grouping panel: the filter button of a level's box (Inner is the box inside its frame),
    // the active level under a point (-1: none) and the box under the mouse marked hot.
    TRect GroupPanelFilterButtonRect(const TRect& Inner, TColumnEh* Column);
    int GroupPanelLevelAt(int X, int Y);
    void GroupPanelHotTrack(int X, int Y);
    void DrawTopOutBoundaryData(const TRect& ARect) override;
    void DoContextPopup(TPoint MousePos, bool& Handled) override;
    // Hooks for the shared painters and mouse and key handling: each answers whether it took
    // the cell or the event.
    bool DrawGroupingDataCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState, TRect& ARect,
                              int DataCol, int DataRow);
    bool DrawGroupGrandTotalCell(int ACol, int ARow, TGridDrawState AState, const TRect& ARect, int DataCol,
                                 int FooterRow);
    bool GroupingMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    bool GroupingMouseMove(TShiftState Shift, int X, int Y);
    bool GroupingMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    bool GroupingKeyDown(Word& Key, TShiftState Shift);
    bool GroupingMTViewDataEvent(int RowNum, TMTViewEventTypeEh Event, int OldRowNum);
    void GroupTabStep(bool GoForward, bool OnFooter);
    TGroupDataTreeNodeEh* FlatNode(int DataRow) const;
    int GroupPanelHeight();
    // Row reading in grouping mode: the view row to read for a data row, and back.
    int GroupingReadRowEnter(int DataRow);
    void GroupingReadRowLeave();
    // The current row follows the table's cursor; false outside grouping mode.
    bool GroupingFollowCursor();
    void GroupingCellBorder(int ACol, int DataRow, TGridCellBorderTypeEh Border, TColor& Color, bool& Drawn);
    void MouseMove(TShiftState Shift, int X, int Y) override;
    // --- empty space below the rows and group colours under a custom style (DBGridEhEmptySpace.cpp)
    void DrawEmptySpace(int ACol, int ARow, const TGridDrawInfoEh& DrawInfo, int Left, int Top, int Right,
                        int Bottom) override;
    virtual void DrawExtendedVertLines(int ACol, const TRect& ARect, const TGridDrawInfoEh& DrawInfo);
    TColor GroupStyledColor(TColor Value) const;
    TColor GroupStyledFontColor(TColor Value) const;

    std::unique_ptr<TDBGridEhDataGroupsEh> FDataGrouping;
    std::vector<TGroupDataTreeNodeEh*> FDrawnGroupList;
    std::vector<TGroupDataTreeNodeEh*> FInstantReadDataNodes;
    TGroupDataTreeNodeEh* FInstantReadNode = nullptr;
    TGroupDataTreeNodeEh* FCurGroupDataNode = nullptr;
    bool FCurGroupDataListEof = false;
    bool FCurGroupDataListBof = false;
    TGroupRowParamsEh FGroupRowParams;
    TGroupFooterParamsEh FGroupFooterParams;
    TPopupMenu* FGroupFooterPopupMenu = nullptr;
    int FGroupDataMovingIndex = -1;
    int FPressedDataGroupLevelIdx = -1;
    int FFooterRowCount = 0;
    TPoint FGroupPanelDownPos;
    // =========================================================================================
    // --- selection and edit actions (DBGridEhSelection.cpp), stored layout (DBGridEhLayout.cpp)
public:
    TDBGridEhSelection* Selection();
    TBookmarkListEh* SelectedRows();
    bool IsSelectionTypeAllowed(TDBGridEhSelectionType SelType);
    void ClearSelection();
    void ClearSelectionOnMove();
    void MoveAndSelect(bool Select, int Distance, bool RowSelection, bool ToEnd);
    TRect DataRect();
    TGridRect DataBox();
    virtual void TrackMouseSelection();
    virtual void SelectionChanged();
    bool ExecuteAction(TBasicAction* Action) override;
    bool UpdateAction(TBasicAction* Action) override;
    bool CheckCopyAction();
    bool CheckPasteAction();
    bool CheckCutAction();
    bool CheckSelectAllAction();
    bool CheckDeleteAction();
    bool Selecting() const { return FSelecting; }
    bool AntiSelection() const { return FAntiSelection; }
    void SetAntiSelection(bool Value) { FAntiSelection = Value; }
    // The data link became active or inactive.
    void SelectionLinkActiveChanged(bool Active);

    void SaveColumnsLayout(TRegIniFile* ARegIni);
    void SaveColumnsLayout(TCustomIniFile* ACustIni, const String& Section);
    void SaveColumnsLayoutIni(const String& IniFileName, const String& Section, bool DeleteSection);
    void RestoreColumnsLayout(TRegIniFile* ARegIni, TDBGridEhRestoreParams RestoreParams);
    void RestoreColumnsLayout(TCustomIniFile* ACustIni, const String& Section,
                              TDBGridEhRestoreParams RestoreParams);
    void RestoreColumnsLayoutIni(const String& IniFileName, const String& Section,
                                 TDBGridEhRestoreParams RestoreParams);
    void SaveGridLayout(TRegIniFile* ARegIni);
    void SaveGridLayout(TCustomIniFile* ACustIni, const String& Section);
    void SaveGridLayoutIni(const String& IniFileName, const String& Section, bool DeleteSection);
    void RestoreGridLayout(TRegIniFile* ARegIni, TDBGridEhRestoreParams RestoreParams);
    void RestoreGridLayout(TCustomIniFile* ACustIni, const String& Section,
                           TDBGridEhRestoreParams RestoreParams);
    void RestoreGridLayoutIni(const String& IniFileName, const String& Section,
                              TDBGridEhRestoreParams RestoreParams);

protected:
    friend class TDBGridEhSelection;
    friend class TBookmarkListEh;
    struct TSelectionDeleter {
        void operator()(TDBGridEhSelection* P) const;
        void operator()(TBookmarkListEh* P) const;
    };
    // Storage is a TRegIniFile (section erased first) or a TCustomIniFile.
    void WriteColumnsLayout(TObject* Storage, const String& Section, bool DeleteSection);
    void ReadColumnsLayout(TObject* Storage, const String& Section, TDBGridEhRestoreParams Parts);
    void WriteGridLayout(TObject* Storage, const String& Section, bool DeleteSection);
    void ReadGridLayout(TObject* Storage, const String& Section, TDBGridEhRestoreParams Parts);

    std::unique_ptr<TBookmarkListEh, TSelectionDeleter> FBookmarks;
    std::unique_ptr<TDBGridEhSelection, TSelectionDeleter> FSelection;
    bool FSelecting = false;
    TBookmark FSelectionAnchor;
    bool FSelectionAnchorSelected = false;
    bool FAntiSelection = false;
    bool FMouseShift = false;
    bool FDataTracking = false;
    // --- in-place editing, sizing, hints and measuring (DBGridEhInplace.cpp, DBGridEhSizing.cpp,
    // DBGridEhHints.cpp)
public:
    // The editor shows with dgAlwaysShowEditor outside filter editing, else it hides.
    virtual void RestoreEditorState();
    int GetCellTreeElmentsAreaWidth() override;
    virtual bool IsFindDialogShowAsModal();
    // Widths from the titles, the data of the first CheckRowCount records (-1: all) and the
    // footers; nothing changes while the link is inactive.
    void OptimizeColsWidth(TColumnsEhList* ColumnsList, int CheckRowCount = -1);
    void OptimizeAllColsWidth(int CheckRowCount = -1);
    virtual void OptimizeColumnWidthsForClick(TColumnEh* Column);
    int MeasureTitleWidth(TColumnEh* Column);
    // The current record's cell.
    int MeasureDataWidth(TColumnEh* Column);
    int MeasureFooterWidth(TColumnEh* Column);
    // Row heights: with dghAutoFitRowHeight from the tallest wrapped cell text of the record.
    int CalcColumnRowHeight(TColumnEh* Column);
    // Picture cells of auto-fitted rows: the picture's height at the column's width.
    int GraphicRowHeight(TColumnEh* Column);
    virtual int CalcDataRowHeight();
    virtual int GetDataRowHeight(int DataRow);
    virtual void UpdateAllGridDataRowHeights();
    virtual void UpdateAllDataRowHeights();
    // Fitted row heights after a view event of the memory table outside grouping.
    void FollowViewEventRowHeights(int RowNum, TMTViewEventTypeEh Event);
    // Row heights over many records: true with Height when every data row takes that height (no
    // fitting, grouping or descendant class that could vary it); the first row in [From, To)
    // whose height is not Height, else To.
    bool UniformDataRowHeight(int& Height);
    int NextRowHeightOtherThan(int From, int To, int Height) const;
    virtual void UpdateFooterRowHeights();
    // The heights of the visible grand-total group footers, each from its items' fonts.
    virtual void UpdateGroupFooterRowHeights();
    // Gives the footer rows (the contra rows) their heights: the grand-total group footers
    // first, then the column footers, as they are painted.
    void ApplyFooterRowHeights();

protected:
    friend class TDBGridInplaceEdit;
    TInplaceEdit* CreateEditor() override;
    void UpdateEdit() override;
    // Column borders drag only in the title rows, row borders only in the indicator.
    void CalcSizingState(int X, int Y, const TGridDrawInfoEh& DrawInfo, int& Ofs, int& Pos, int& Index,
                         TGridState& State) override;
    // With dghTraceColSizing the column follows the mouse instead of a line.
    void DrawSizingLine(const TGridDrawInfoEh& DrawInfo) override;
    // A row height dragged with the mouse becomes RowHeight, with RowLines 0.
    void RowHeightsChanged() override;
    int CalcFontRowHeight();
    // The cell and column under P; false left of the data columns or above the grid.
    bool HintCellAt(const TPoint& P, TGridCoord& Cell, TColumnEh*& Column);
    void HandleHintShowPause(TMessage& Message);
    void HandleHintShow(TMessage& Message);
    // Title and footer tool tips: Info shows Text when it overflows R or a right-aligned R is cut
    // short of FullRight by the grid's edge; otherwise Info's text is emptied.
    void FillToolTipHint(THintInfo& Info, TColumnEh* Column, TRect R, int FullRight, const String& Text,
                         bool WordWrap, TAlignment Alignment);
    bool FDefaultRowChanged = false;
    bool FAdoptingRowHeight = false;
    // =========================================================================================

    // --- scroll bars and their panels (DBGridEhScrollBarsGrid.cpp)
public:
    THorzDBGridEhScrollBar* HorzScrollBar() const override { return FHorzScrollBar.get(); }
    void SetHorzScrollBar(THorzDBGridEhScrollBar* Value) { FHorzScrollBar->Assign(Value); }
    TVertDBGridEhScrollBar* VertScrollBar() const override { return FVertScrollBar.get(); }
    void SetVertScrollBar(TVertDBGridEhScrollBar* Value) { FVertScrollBar->Assign(Value); }
    TDBGridEhScrollBarPanelControl* HorzScrollBarPanelControl() const override {
        return FHorzScrollBarPanelControl;
    }
    TDBGridEhScrollBarPanelControl* VertScrollBarPanelControl() const override {
        return FVertScrollBarPanelControl;
    }
    TSizeGripPanelEh* CornerScrollBarPanelControl() const override { return FCornerScrollBarPanelControl; }
    TCustomDBAxisGridEh* ScrollBarGrid() override { return this; }
    bool ScrollBarPanel() override;
    void UpdateVertScrollBar() override;
    void UpdateScrollBarPanels() override;
    void ScrollBarSmoothStepChanged(TScrollBarKind Kind) override;
    virtual void UpdateHorzExtScrollBar();
    void SetScrollBarInfo(int Bar, UINT Mask, int Pos, int Page, int Max, int Min) override;
    bool GetScrollBarInfo(int Bar, SCROLLINFO& ScrollInfo) override;
    int GetScrollBarSize(int Bar) override;
    // The vertical bar moves records while the link is active, whichever bar sends the code.
    void ModifyScrollBar(int ScrollBar, int ScrollCode, int Pos, bool UseRightToLeft) override;
    void OutBoundaryDataChanged() override;

protected:
    virtual TDBGridEhScrollBar* CreateScrollBar(TScrollBarKind Kind);
    // The panel controls (constructor) and the settings objects (after construction, which
    // reach the panels).
    void CreateScrollBarPanels();
    void CreateScrollBars();
    // An external bar that goes away is let go.
    void ScrollBarNotification(TComponent* AComponent);

    std::unique_ptr<THorzDBGridEhScrollBar> FHorzScrollBar;
    std::unique_ptr<TVertDBGridEhScrollBar> FVertScrollBar;
    TDBGridEhScrollBarPanelControl* FHorzScrollBarPanelControl = nullptr;
    TDBGridEhScrollBarPanelControl* FVertScrollBarPanelControl = nullptr;
    TSizeGripPanelEh* FCornerScrollBarPanelControl = nullptr;

    // --- indicator title button and its menu (DBGridEhIndicatorMenu.cpp)
public:
    // A press on the indicator title goes through the centre, whose default comes back to
    // DoIndicatorTitleMouseDown.
    void IndicatorTitleMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift, int X, int Y);
    void DoIndicatorTitleMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DefaultIndicatorTitleMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift, int X,
                                                int Y);
    void DoBuildIndicatorTitleMenu(TPopupMenu*& PopupMenu);
    virtual void DefaultBuildIndicatorTitleMenu(TPopupMenu*& PopupMenu);
    // An edit action is in EditActions and its check allows it now.
    bool EditActionAllowed(TDBGridEhEditAction Action);
    void RunEditAction(TDBGridEhEditAction Action);

protected:
    static void InstallIndicatorMenuHooks();

    // --- the holder of hosted data-aware editors: filter-row keys (DBGridEhFilterKeys.cpp)
public:
    using TCustomDBAxisGridEh::InplaceEditKeyDown;
    using TCustomDBAxisGridEh::InplaceEditKeyPress;
    using TCustomDBAxisGridEh::InplaceEditKeyUp;
    bool InplaceEditCanModify(TControl* Control) override;
    void GetMouseDownInfo(TPoint& Pos, int& Time) override;
    void InplaceEditWndProc(TControl* Control, TMessage& Message) override;
    void InplaceEditKeyDown(TControl* Control, Word& Key, TShiftState Shift) override;
    void InplaceEditKeyPress(TControl* Control, Char& Key) override;
    void InplaceEditKeyUp(TControl* Control, Word& Key, TShiftState Shift) override;

protected:
    // Closes a shown in-title filter list on cancel mode and on the grid's focus loss.
    void InTitleFilterListboxCancelCheck(const TMessage& Message);

public:
    // The grid or its cell editor lost the focus to Target: a shown in-title list closes unless
    // the focus went into it.
    void InTitleFilterListboxFocusLost(HWND Target);

protected:
    // Moves the filter editor to the next or prior filterable column (wrapping), or with
    // Absolute to the last or first one; consumes Key.
    void MoveFilterCol(Word& Key, bool Forward, bool Absolute);

    // --- column filters: the behaviour centre, the filter row with its editor and the in-title
    //     filter list (DBGridEhFilterRow.cpp)
public:
    // The grid's centre; nullptr gives it DefaultGridCenter() back.
    TDBGridEhCenter* Center() const;
    void SetCenter(TDBGridEhCenter* Value);
    bool IsFilterableColumn(int Index);
    String GetColumnFilterText(int Index);
    bool IsFilterRowCell(int ACol, int ARow, TPoint MousePos);
    virtual bool IsFilterEditActive();
    bool FilterEditMode() const { return FFilterEditMode; }
    void SetFilterEditMode(bool Value);
    int FilterCol() const { return FFilterCol; }
    TInplaceFilterEditEh* FilterEdit() const { return FFilterEdit; }
    void StartFilterEdit(int Index);
    void StopFilterEdit();
    void HideFilterEdit();
    void UpdateFilterEdit(bool Reload);
    virtual void ApplyFilterEditText(int Index);
    void ApplyCurrentFilterEditText();
    virtual void InitFilterEditor(int Index);
    void FillSTFilterListItems(TSTColumnFilterEh* Filter, TStrings* Items, int& Width,
                               TPopupListboxEh* ListControl);
    void DefaultFillSTFilterListValues(TColumnEh* Column, TStrings* Items);
    void DefaultFillSTFilterListCommandValues(TColumnEh* Column, TStrings* Items);
    void DefaultFillSTFilterListDataValues(TColumnEh* Column, TStrings* Items);
    void DropDownInTitleFilterListbox(TColumnEh* Column);
    void ShowInTitleFilterListbox(TColumnEh* Column, const TRect& Rect);
    void CloseInTitleFilterListbox(bool Execute);
    TPopupListboxEh* GetInTitleFilterListbox();
    bool InTitleFilterListboxVisible() const { return FInTitleFilterListboxVisible; }
    TColumnEh* InTitleFilterListboxColumn() const { return FInTitleFilterListboxColumn; }
    TObject* InTitleFilterListboxGroupLevel() const { return FInTitleFilterListboxGroupLevel; }
    void SetInTitleFilterListboxGroupLevel(TObject* Value) { FInTitleFilterListboxGroupLevel = Value; }
    void ApplyFilter();
    virtual void DefaultApplyFilter();
    void ClearFilter();
    // STFilter.Visible changed: editing ends when hidden, the layout and the cell editor follow.
    void FilterRowVisibleChanged(bool Visible);
    // The filter row's place or size changed: the layout and the filter editor follow.
    void FilterRowLayoutChanged();

protected:
    virtual TInplaceFilterEditEh* CreateFilterEditor();
    void FilterEditClosingUp(TObject* Sender, bool& Accept);
    void FilterEditCloseUp(TObject* Sender, bool Accept);
    void FilterEditGetItemsList(TObject* Sender);
    void FilterEditKeyPress(TObject* Sender, Char& Key);
    void InTitleFilterListboxMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void InTitleFilterListboxKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void InTitleFilterListboxKeyPress(TObject* Sender, Char& Key);
    // The filter row cell's rectangle for data column Index, where the editor stands.
    TRect FilterEditRect(int Index);
    // A left press: starts filter editing in the filter row or drops an in-title list down
    // (true: the press is taken), else ends filter editing and closes the in-title list.
    bool FilterMouseDown(const TGridCoord& Cell, int AreaCol, int X, int Y);
    // Ends filter editing of a column that goes away, and leaves the centre at destruction.
    void FilterColumnDestroying(TColumnEh* Column);
    void DestroyFilterParts();

    TDBGridEhCenter* FCenter = nullptr;
    int FFilterCol = -1;
    bool FFilterEditMode = false;
    TInplaceFilterEditEh* FFilterEdit = nullptr;
    TPopupListboxEh* FInTitleFilterListbox = nullptr;
    TColumnEh* FInTitleFilterListboxColumn = nullptr;
    TObject* FInTitleFilterListboxGroupLevel = nullptr;
    bool FInTitleFilterListboxVisible = false;
    // Closes the in-title list on a press outside it (owned; nullptr while the list is hidden).
    TPopupWatchEh* FInTitleFilterListboxWatch = nullptr;
    // --- searching: search panel, search filter, text location, in-place search and highlight
    // texts (DBGridEhSearch.cpp, DBGridEhSearchPanel.cpp, DBGridEhLocateText.cpp)
public:
    TDBGridSearchPanelEh* SearchPanel() const;
    void SetSearchPanel(TDBGridSearchPanelEh* Value);
    TDBGridSearchPanelControlEh* SearchPanelControl() const;
    bool SearchEditorMode() const;
    void SetSearchEditorMode(bool Value);
    virtual void ApplySearchFilter(const String& Text);
    virtual void CancelSearchFilter();
    // The applied search filter text and whether a search filter is in place.
    String SearchFilterText() const;
    bool SearchFilterActive() const;
    void SearchFilterRecord(TDataSet* DataSet, bool& Accept);
    void RestoreDataSetFilterEvent();
    virtual bool LocateText(TCustomDBGridEh* AGrid, const String& FieldName, const String& Text,
                            TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                            TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange);
    bool InplaceSearching() const;
    // True while a search step moves the data set itself.
    bool InplaceSearchingInProcess() const;
    String InplaceSearchText() const;
    void StartInplaceSearch(const String& S, int TimeOut, TLocateTextDirectionEh Direction);
    void StopInplaceSearch();
    void StartInplaceSearchTimer();
    void StopInplaceSearchTimer();
    bool IsSearchingState();
    String GetSearchingText();
    // Registered highlight texts are painted over matching data cell texts; not owned.
    void AddHighlightTextParams(TGridHighlightTextParamsEh* Params);
    void RemoveHighlightTextParams(TGridHighlightTextParamsEh* Params);
    void PaintSearchHighlights(TCanvas* ACanvas, TColumnEh* Column, const String& Text, const TRect& ARect,
                               int DX, int DY, TAlignment Alignment, bool WordWrap);
    void UpdateSearchPanel();
    virtual bool LayoutTopPanels();
    // Opens the find dialog for this grid (the installed find routine).
    virtual void ShowFindDialog(const String& Text, bool Modal);

protected:
    // The text search a behaviour centre would run; the grid's built-in search by default.
    virtual bool CenterLocateText(const String& FieldName, const String& Text, TLocateTextOptionsEh Options,
                                  TLocateTextDirectionEh Direction, TLocateTextMatchingEh Matching,
                                  TLocateTextTreeFindRangeEh TreeFindRange);
    void CreateSearchParts();
    void FreeSearchParts();
    // The search and find-dialog shortcuts and the keys of a running search; true when one
    // matched (the key still goes on to the navigation keys).
    bool SearchKeyDown(Word Key, TShiftState Shift);
    // Data sets the search filter is hooked into that go away are let go.
    void SearchNotification(TComponent* AComponent);
    void SearchTimerTick();
    // Keeps the grid's selection for the search filter (and clears a row or rectangle one).
    void TakeSearchFilterSelection();
    // Typed characters that start or extend an in-place search; true when the key was taken.
    bool SearchKeyPress(Char& Key);
    // Whether a typed character goes to the in-place search rather than to the cell editor.
    bool CharStartsInplaceSearch();
    // Brings the data set's current record into view in the group tree.
    void ShowCurrentRecordInGroupTree();

    std::unique_ptr<TDBGridEhSearchData> FSearchData;

    // --- tree nodes of a memory table shown as a tree (DBGridEhTree.cpp) and dragging rows to
    // move their records (DBGridEhRowMove.cpp)
public:
    // Tree levels take this many pixels each in the first visible column.
    static constexpr int TreeLevelWidth = 18;
    // Whether the grid reads a memory table that shows its records as a tree.
    bool IsTreeViewMode();
    // A press at (X, Y) on the tree elements of a row: true when it lies there; unless
    // CheckOnly, a press on the sign toggles the node.
    virtual bool ClickTreeNodeSign(int X, int Y, bool CheckOnly);
    // A press on the indicator of a data row starts dragging rows (CheckOnly: would it).
    virtual bool BeginRowMoving(int X, int Y, bool CheckOnly);
    virtual bool CanBeginRowMoving(int& Origin, int& Destination, const TPoint& MousePt);
    // The tree level the moved records would get at grid row Row, and the left end of the
    // insert line for it; Level -1 and 0 outside tree mode.
    virtual int CalcRowMovingLevel(int Row, const TPoint& MousePt, int& Level);
    virtual int TrackRowMoving(int Y, int Row, const TPoint& MousePt, const TGridAxisDrawInfoEh& AxisDrawInfo,
                               const TGridDrawInfoEh& DrawInfo);
    virtual void EndRowMoving(int X, int Y, bool Apply);
    virtual bool MoveRowsTo(int DataRow, int Level, bool CheckOnly);
    virtual bool MoveDataRows(TBMListEh* BookmarkList, int DataRow, bool CheckOnly, int TreeLevel);
    virtual bool DefaultMoveDataRows(TBMListEh* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly);
    void ShowRowMovingLine(int Left, int Right);
    void HideRowMovingLine();
    // The row-move destination (grid row and tree level) and the insert line's left end.
    int MoveRowSour() const { return FMoveRowSour; }
    int MoveRowDest() const { return FMoveRowDest; }
    int MoveRowDestLevel() const { return FMoveRowDestLevel; }
    int MoveRowLeftBounds() const { return FMoveRowLeftBounds; }

protected:
    // Paints the tree elements of the row being read into the left part of ARect.
    virtual void DrawCellTreeAreaBackground(int DataCol, int DataRow, const TRect& ARect,
                                            TGridDrawState AState);
    // The tree elements of the row being read into ARect (the whole first cell) of Canvas.
    void DrawTreeArea(TCanvas* Canvas, const TRect& ARect, TColor AreaColor, bool LastRow);
    bool CanCellDblClick(const TGridCoord& Cell, TMouseButton Button, const TPoint& InCellPt,
                         const TPoint& MousePt, TShiftState Shift) override;
    bool EndColumnDrag(int& Origin, int& Destination, const TPoint& MousePt) override;
    void CancelMode() override;
    void RowMovingTimerTick();
    // In tree mode a scroll downwards repaints the row the old bottom edge cut.
    void InvalidateTreeRowCutAtBottom(int OldTopRow);

    int FMoveRowSour = -1;
    TBookmark FMoveBookmarkSour;
    int FMoveRowSourLevel = -1;
    int FMoveRowDest = -1;
    int FMoveRowDestLevel = -1;
    int FMoveRowLeftBounds = 0;
    // --- title filter button, mouse tracking, messages and mirroring (DBGridEhTitleFilter.cpp,
    //     DBGridEhMouse.cpp, DBGridEhMessages.cpp, DBGridEhMirror.cpp)
public:
    // Whether Point lies on the in-cell button at CellRect's right end (left end right to left).
    bool InCellButtonHit(const TPoint& Point, const TRect& CellRect, TRect& ButtonRect);
    // 8 when Point hits the filter button in the title Cell, else 0.
    int TitleFilterButtonHit(const TGridCoord& Cell, const TPoint& Point, const TRect& CellRect, TRect& ButtonRect);
    virtual bool IsCellSelected(int ACol, int ARow, const TBookmark& Bookmark, int DataCol);
    virtual void InvalidateSelection();
    void SetFocus() override;
    // Mirrors the canvas horizontally (right-to-left painting) or restores the plain mapping.
    void SetCanvasMirroring(bool Mirror);
    // --- right-to-left painters and the window border (DBGridEhMirror.cpp)
    // Paints the matches of SearchText in Text as placed in ARect, upright and on the unmirrored
    // device also when the canvas is mirrored.
    void PaintHighlightedText(TCanvas* ACanvas, TColumnEh* Column, const TRect& ARect, int DX, int DY,
                              const String& Text, TAlignment Alignment, bool WordWrap,
                              const String& SearchText, bool CaseInsensitive, TColor HighlightColor);
    // Draws image ImageIndex of AImages into ARect as PaintImageInRect does, unmirrored.
    void PaintCellImage(TColumnEh* Column, TCustomImageList* AImages, const TRect& ARect, int ImageIndex,
                        TAlignment Alignment);
    void DrawNonClientBorder() override;
    // Repaints the first characters of Text that the running in-place search has matched, in the
    // match colours, where they stand in the cell text written into ARect.
    void PaintInplaceSearchMatch(TColumnEh* Column, const String& Text, const TRect& ARect, int DX, int DY,
                                 TAlignment Alignment);
    // The tree's connecting lines carried on through Strip, the part of the current row's cell
    // in the first column that stands beside the open detail panel.
    void DrawTreeStripLines(int DataRow, const TRect& Strip);
    // Whether ACanvas maps x mirrored now (the grid paints right to left through it).
    static bool IsCanvasMirrored(TCanvas* ACanvas);
    virtual void DefaultCellMouseClick(TGridCoord Cell, TMouseButton Button, TShiftState Shift, int X, int Y);
    static TCursor ColumnSelectCursor();
    static TCursor RowSelectCursor();
    static TCursor RowSelectCursorRightToLeft();
    bool AutoDrag() const { return FAutoDrag; }
    bool Tracking() const { return FTracking; }
    bool TitlePressed() const { return FPressed; }
    const TRect& TrackingStateRect() const { return FTrackingStateRect; }
    bool MouseInTrackRowRect() const { return FMouseInTrackRowRect; }
    bool HotTrackMultiTitleOver() const { return FHotTrackMultiTitleOver; }

protected:
    virtual void TitleBtnClick(int DataCol, TColumnEh* Column);
    virtual void CheckButton(int DataCol, bool& Enabled);
    void TrackTitleButton(int X, int Y);
    bool InColumnSelectZone(int X, int Y);
    // Whether Y lies in the leaf part of a title (always without multi-level titles).
    bool InTitleLeafPart(int ACol, int Y);
    void DataCellMouseDown(const TGridCoord& Cell, TPoint Type, int DataCol, int DataRow, TColumnEh* Column,
                           TMouseButton Button, TShiftState Shift, int X, int Y);
    bool HandleSetCursor(TMessage& Message);
    // Messages the grid routes itself; true when handled.
    bool RouteGridMessage(TMessage& Message);
    void InvalidateRowSelectionRect();
    void HandleFocusMessage(TMessage& Message, bool Gained);
    void ExtendSelectionByTimer(int Directions) override;
    bool TitleFilterButtonShown(TColumnEh* Column, TGridDrawState AState);
    // Cuts the filter button off the right of Inner and answers its rectangle.
    TRect TakeTitleFilterButtonRect(TRect& Inner, const TRect& CellRect, bool The3D);
    void DrawTitleFilterButton(TColumnEh* Column, const TRect& ButtonRect, const TRect& CellRect, bool Filled,
                               int Shift, TGridDrawState AState);
    bool FAutoDrag = false;
    bool FDSMouseCapture = false;
    bool FIndicatorPressed = false;
    bool FSelectedCellPressed = false;
    bool FMouseInTrackRowRect = false;
    bool FHotTrackMultiTitleOver = false;
    TRect FTrackingStateRect;
    // Keys: the steps of KeyDown before the Delete rule (false when it stopped before the
    // navigation tables; TableKey is the key the tables got), the shortcuts, the navigation
    // tables, and whether the data set lets typing start a search.
    bool KeyDownSteps(Word& Key, TShiftState Shift, Word& TableKey);
    void ShortCutKeyDown(Word Key, TShiftState Shift);
    void NavigationKeyDown(Word& Key, TShiftState Shift);
    void PasteOrSearchClipboard();
    void ForwardCharToFilterEditor(Char Ch);
    bool DataSetAcceptsSearch();
    bool EditorVisible();

    // --- lookup lists (DBLookupGridsEhPopup.cpp)
public:
    // The titles' sort-marker style, which a cell's drop-down list takes over.
    TSortMarkerStyleEh GetSortMarkerStyle() override;
    // --- row panel and row detail panel (DBGridEhRowPanel.cpp, DBGridEhRowDetail.cpp)
public:
    TGridRowPanelEh* RowPanel() const { return FGridRowPanel.get(); }
    // nullptr while loading switches the row panel on; otherwise the settings are copied.
    void SetRowPanel(TGridRowPanelEh* Value);
    bool RowPanelMode() const;
    TRowDetailPanelEh* RowDetailPanel() const { return FRowDetailPanel.get(); }
    void SetRowDetailPanel(TRowDetailPanelEh* Value);
    TRowDetailPanelControlEh* RowDetailPanelControl() const { return FRowDetailControl; }
    bool RowDetailPanelActive() const;
    // The visible column that holds the current cell inside the panel.
    int InRowPanelCol() const { return FInRowPanelCol; }
    int GridMasterCellWidth() const { return FGridMasterCellWidth; }
    int GridMasterCellHeight() const { return FGridMasterCellHeight; }
    virtual int InRowPanelLineHeight();
    void SortColumnsByRowPanelPlacement();
    // Hit tests inside the master cell (point relative to its top-left).
    TColumnEh* GetColumnInRowPanelAtPos(TPoint InCellPos, bool IsTitleTypeCell);
    TColumnEh* GetCellRectInRowPanelAtPos(TPoint InCellPos, TRect& ACellRect, bool IncludeLines);
    void ScrollRowPanelCellIntoView(int Index);
    void SetInRowPanelCol(int Index);
    int OriginCol() { return Col(); }
    void SetOriginCol(int Value) { SetCol(Value); }
    TGridOptions GetEffectiveOptions();
    // Places (or hides) the detail panel's window under the current row.
    void UpdateRowDetailPanel();
    virtual void UpdateDataRowHeight(int DataRow);
    // The record being read has a detail panel: the panel's Active, through the event.
    bool CheckRowHaveDetailPanel();
    void FocusRowDetailControl();
    // The tree glyph painter, mirrored against the client width in right-to-left layout.
    void DrawTreeElement(TCanvas* ACanvas, const TRect& ARect, int Kind, bool DotPhase, double ScaleX,
                         double ScaleY, bool ShiftBox, bool UseSystemColors, TTreeViewGlyphStyleEh GlyphStyle);
    TRect GetEditRect(int ACol, int ARow) override;
    void MoveToCell(int ACol, int ARow, bool MoveAnchor) override;
    bool IsSmoothHorzScroll() override;
    void ScrollDataInfo(int DX, int DY, const TGridDrawInfoEh& DrawInfo) override;
    void ShowEditor() override;
    void HideEditor() override;
    void UpdateText() override;
    // A panel column's rectangle in grid row ARow, in client coordinates (scrolled).
    TRect RowPanelColumnRect(int ARow, TColumnEh* Column, bool TitleType);
    // The panel column under a client point of grid row ARow, or nullptr.
    TColumnEh* RowPanelColumnAtPoint(int X, int Y, int ARow);
    // Streams: the detail panel's window is the grid's one child (DBGridEhRowDetailStream.cpp).
    void GetChildren(TGetChildProc Proc, TComponent* Root) override;
    void ReadState(TReader* Reader) override;
    // Auto-fit in row-panel mode: the panel's columns scaled to the client width.
    void ScaleRowPanelToClient();

protected:
    friend class TGridRowPanelEh;
    friend class TRowDetailPanelEh;
    friend class TRowDetailPanelControlEh;
    struct TRowPanelDeleter {
        void operator()(TGridRowPanelEh* P) const;
        void operator()(TRowDetailPanelEh* P) const;
    };
    void CreateRowPanelParts();
    // Lays the cells out and sets the master cell's geometry (the layout rebuild calls it).
    void RowPanelRebuildLayout();
    virtual void DrawRowPanelTitleCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                       const TRect& ARect, int AreaCol, int AreaRow);
    virtual void DrawRowPanelDataCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                      const TRect& ARect, int AreaCol, int AreaRow);
    virtual void DrawRowPanelFooterCell(int ACol, int ARow, TPoint CellType, TGridDrawState AState,
                                        const TRect& ARect, int AreaCol, int AreaRow);
    void DrawRowPanelCells(int ARow, int Kind, TGridDrawState AState, const TRect& ARect, int AreaRow);
    // Paints the 18-pixel expand button at the cell's left; answers the width used.
    virtual int DrawRowDetailButton(const TRect& ARect, int DataRow, TGridDrawState AState);
    virtual bool RowDetailButtonHitTest(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual bool GetRowDetailButtonRect(int ACol, int ARow, const TRect& CellRect, TPoint InCellPos);
    // The row-panel parts of the mouse: true when the press or release was taken.
    bool RowPanelMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    bool RowPanelMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    bool RowPanelMouseMove(TShiftState Shift, int X, int Y);
    // Dragging a panel title to another place (DBGridEhRowPanelDrag.cpp): the column goes to
    // the target line, after the target column (-1: at the line's start). CellRect is the
    // dragged column's rectangle inside the master cell.
    virtual void BeginColMoving(const TRect& CellRect, int Index);
    virtual void BeginRowPanelColMoving(TShiftState Shift, int X, int Index, int Y);
    virtual void TrackRowPanelColMoving(TShiftState Shift, int X, int Y);
    virtual void EndColMoving(TShiftState Shift, int X, bool Apply, int Y);
    // Whether a client point lies on the title cell of the panel's columns.
    bool IsRowPanelTitleCell(int X, int Y);
    // Show: the insert line at the target; otherwise the outline of the drag box.
    void DrawColMovingMarker(bool Show);
    // The sizing line of a panel border: a dotted XOR line at FSizingPos across Width or Height.
    void DrawSizingLineXor(int Width, int Height);
    void CalcSizingLineExtent(const TGridDrawInfoEh& DrawInfo, int& Start, int& Finish) override;
    void RowPanelDataCellMouseDown(const TGridCoord& Cell, TShiftState Shift, int X, int Y);
    // Keys of the row panel and the detail panel: true when the key was taken.
    bool RowPanelKeyDown(Word& Key, TShiftState Shift);
    void ReloadRowPanelEditor();
    void PlaceRowPanelEditor();
    // The data rectangle of the panel column that holds the current cell, less the expand button.
    TRect RowPanelEditRect();
    // Line-height and width sizing of the panel's columns in the title row.
    bool CalcRowPanelSizingState(int X, int Y, int& Ofs, int& Pos, int& Index, TGridState& State);
    void RowPanelTitleSizingEnd(TShiftState Shift, int X, int Y);
    void FitRowPanelColumnWidth(int Index);
    // Scrolls so that the current row shows with its open panel.
    void ScrollRowDetailIntoView();
    // Under the current row with an open panel: fills the panel's strip and cuts ARect to the row.
    void DrawRowDetailStrip(int ACol, int ARow, TRect& ARect);
    // The first cell's expand button (or its empty strip): ARect's left moves past it.
    void RowDetailButtonArea(TRect& ARect, int DataRow, TGridDrawState AState);
    // The panel closes when the data set is empty or stands on another record than it opened on.
    void RowDetailFollowRecord();
    TBookmark FRowDetailBookmark;

    std::unique_ptr<TGridRowPanelEh, TRowPanelDeleter> FGridRowPanel;
    std::unique_ptr<TRowDetailPanelEh, TRowPanelDeleter> FRowDetailPanel;
    TRowDetailPanelControlEh* FRowDetailControl = nullptr;
    int FInRowPanelCol = 0;
    int FHotTrackRowPanelCol = -1;
    int FInplaceColInRowPanel = -1;
    int FGridMasterCellWidth = 0;
    int FGridMasterCellHeight = 0;
    bool FSortingRowPanelColumns = false;
    TShiftState FStartShiftState;
    bool FRowPanelSizing = false;
    bool FRowPanelLineSizing = false;
    int FRowPanelSizingIndex = -1;
    TPoint FRowPanelDownPos;
    bool FRowPanelMoving = false;
    int FToMoveColumnIndex = -1;
    int FToMoveInRowLinePos = 0;
    // --- drag feedback of the row panel (DBGridEhRowPanelDrag.cpp): the panel's sizing line,
    // the insert line and the drag box's outline are kept here and drawn after the cells.
    TRect FDragCellRect;
    TPoint FTopLeftCellOffset;
    bool FRowPanelSizingLineShown = false;
    TRect FRowPanelSizingLineRect;
    bool FColMovingMarkerShown = false;
    TRect FColMovingMarkerRect;
    bool FDragCellFrameShown = false;
    TRect FDragCellFrameRect;
    void PaintRowPanelDragFeedback();
    void HideRowPanelDragFeedback();
    // Scrolls the panel while the drag box leaves the client area; answers whether it scrolled.
    bool RowPanelDragAutoScroll(int Direction);

    // --- frozen and trailing columns, loading and scaling (DBGridEhFrozen.cpp); the standard row
    // height and auto-fitted widths of the layout rebuild (DBGridEhAutoFit.cpp)
public:
    // The client width less the margins of the scroll-bar panels.
    int GridClientWidth();
    // The last grid column whose cell is wider than 0, as of the last width update.
    int LastVisibleCol() const { return FLastVisibleCol; }
    void Loaded() override;
    void ChangeScale(int M, int D) override;
    // Whether (X, Y) lies on the right border of a frozen column in the title rows; Index is the
    // column's grid column and Pos the border's position.
    bool CalcFrozenColSizingState(int X, int Y, int& Pos, int& Index);
    bool CanSizeFrozenColAt(int X, int Y);

    // Hooks of the axis grid (DBGridEhHooks.cpp).
    TAlignment GetDefaultTitleAlignment() override;
    TColor GetDefaultTitleColor() override;
    String GetAxisBarsPropertyName() override;
    bool IsFixed3D() override;
    void GetThemedTitleFillRect(TRect& ARect, bool Right, bool Bottom) override;
    int GetCellReservedWidth(TAxisBarEh* Column, const TGridCoord& Cell) override;
    TAxisBarEh* GetTitleColumnAtPos(const TPoint& Pos) override;
    void GetBarCellCoord(TAxisBarEh* Column, int& ACol, int& ARow) override;

protected:
    bool CanSizeAt(int X, int Y) override;
    // Fixed, frozen and trailing cells of the base grid from FrozenCols and ContraColCount, and
    // the first and last visible column of each area.
    void LayoutFrozenAndContraCols();
    // The data row height from RowHeight and RowLines (or the font), snapped to whole text lines
    // with dghFitRowHeightToText.
    void UpdateStdDefaultRowHeight();
    // The title row's height fixed by TitleLines and TitleHeight.
    int CalcFixedTitleHeight();
    // Shares the client width among the visible columns in proportion to their starting widths.
    void FitColumnWidthsToClient();
    // --- layout rebuild: title text height, the title tree's paint marks, blank cells
    // (DBGridEhRebuild.cpp)
    // The tallest "Wg" plus the interline space over the titles' fonts.
    int CalcTitleTextHeight();
    void ResetHeadTreeDrawn(THeadTreeNode* Node);
    void DrawBlankCell(const TRect& ARect, bool Highlighted, TAxisColCellParamsEh* Params,
                       bool Fixed) override;
    int FLastVisibleCol = -1;
    // Set while a live column sizing holds the horizontal scroll position.
    bool FTraceSizingScrollLocked = false;

    // --- model: column sizing, cell hooks and the published properties (DBGridEhModel.cpp)
public:
    // The cell painters' hooks: fire OnDrawColumnCell, OnDrawDataCell and OnGetCellParams.
    virtual void DrawColumnCell(const TRect& Rect, int DataCol, TColumnEh* Column, TGridDrawState State);
    virtual void DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);
    virtual void GetCellParams(TColumnEh* Column, TFont* AFont, TColor& Background, TGridDrawState State);
    TCustomImageList* TitleImages() const;
    void SetTitleImages(TCustomImageList* Value);

protected:
    template <class> friend struct TPublisher;
    // Auto-fit with dghResizeWholeRightPart: the auto-fit columns right of data column Index
    // give or take its width change in proportion to their widths.
    void ResizeColumnsRightOf(int Index);
    // Set while the design-time sum list recalculates on a data set change.
    bool FSumListRecalcing = false;

    // --- message routing: wheel, child notifications, design-time hit test, hot-track titles
    //     (DBGridEhMessages.cpp)
protected:
    void InvalidateHotTrackSpot(TGridHotTrackSpotEh* Spot) override;
    // The wheel for an open drop-down list, the filter editor or the in-title list; true when
    // one of them took it.
    bool RouteMouseWheel(TMessage& Message);
    // EN_CHANGE from the filter editor: the typed text goes to its column's filter.
    void FilterEditTextChanged(HWND Sender);
    int DesignHitTest(int X, int Y, int Inherited);
    // The selected field's text no longer matches the editor's: the editor reads it again.
    void InvalidateEditorIfFieldChanged();
    // Set while the grid itself puts a text into the filter editor; such changes are not typing.
    int FFilterEditTextLock = 0;
    bool FRoutingWheel = false;

    // --- cell sizes, the cell-parameter record, the editor reset and the search filter's hook
    //     on a data set left behind (DBGridEhCellSizes.cpp)
public:
    // Cell sizes without their grid line, which is what columns and rows store.
    int GetCellColWidths(int Index);
    void SetCellColWidths(int Index, int Value);
    int GetCellRowHeights(int Index);
    void SetCellRowHeights(int Index, int Value);
    // The title row's cell height as the last layout rebuild measured it.
    int TitleRowHeight() const { return FTitleRowHeight; }
    TColCellParamsEh* GetCellParamsRecord() override;
    // Gives a data set back its own record filter once the link no longer shows it.
    void ReleaseLastDataSet();

protected:
    TColCellParamsEh* CreateCellParamsRecord() override;
    void InvalidateEditor() override;
    int FTitleRowHeight = 0;
};

// The grid with its properties published; it has no behaviour of its own.
class TDBGridEh : public TCustomDBGridEh {
    KVT_CLASS(TDBGridEh, TCustomDBGridEh)
public:
    using TCustomDBGridEh::TCustomDBGridEh;
};
