#pragma once
// DBGridEh: the data grid. TCustomDBGridEh shows the records of a data set as rows and its
// fields as columns, with a title row, an indicator column with the row state and record
// numbers, alternating row colours and sort markers in the titles.
//
// Row mapping. Grid rows below the fixed rows are data rows; data row d is grid row
// d + TopDataOffset().
//   - Plain mode (the data set offers no IMemTableEh): data row d is entry d of the data link's
//     record buffer, whose size follows the number of visible rows; the grid never scrolls
//     itself, the data set's buffer window is the visible page.
//   - Memory-table mode: data row d is view row d of the table, read through instant reading
//     without moving the table's cursor; the base grid scrolls over all view rows.
// Invariants (CheckConsistency): RowCount = TopDataOffset + max(1, data rows); the current row
// is the current record's grid row; FixedRows = TopDataOffset and FixedCols = IndicatorOffset.
//
// The axis grid the original stands on (data link, column model, in-place editor host) is
// represented here only by what this grid needs: its own data link, a column collection and a
// display-only cell model. The grid shows and navigates; it does not edit cells in place.
//
// Create grids with Create<TDBGridEh>(Owner): the base grid is built in two phases.

#include "lib/grids/GridsEh.h"
#include "lib/toolscore/ToolCtrlsEhTypes.h"

#include "platform/db/DB.h"

#include <memory>
#include <vector>

class TCustomDBGridEh;
class TDBGridColumnEh;

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

enum TDBGridEhAllowedOperation { alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh };
using TDBGridEhAllowedOperations = TSet<TDBGridEhAllowedOperation>;

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
// Shared style: selection colours, fixed-cell backgrounds and sort markers. Every grid holds the
// default style unless given another; a grid without a style paints through a built-in one.

class TDBGridEhStyle : public TComponent {
    KVT_CLASS(TDBGridEhStyle, TComponent)
public:
    explicit TDBGridEhStyle(TComponent* AOwner = nullptr);
    ~TDBGridEhStyle() override;

    bool LuminateSelection() const { return FLuminateSelection; }
    void SetLuminateSelection(bool Value);
    bool IsDrawFocusRect() const { return FIsDrawFocusRect; }
    void SetIsDrawFocusRect(bool Value);

    // Colours of a selected or focused data cell; false when the cell is not highlighted.
    virtual bool HighlightDataCellColor(TCustomDBGridEh* Grid, int ACol, int ARow, bool Selected,
                                        bool Focused, TColor& AColor, TColor& AFontColor);
    // Fills ARect as a fixed cell, raised when The3D.
    virtual void DrawFixedCellBackground(TCustomDBGridEh* Grid, TCanvas* Canvas, const TRect& ARect,
                                         TColor FillColor, bool The3D, bool Pressed);
    virtual TSize GetSortMarkerSize() const { return TSize{10, 6}; }
    // Draws the marker (a triangle pointing up or down) with its top-left at (X, Y).
    virtual void DrawSortMarker(TCanvas* Canvas, int X, int Y, TSortMarkerEh Marker);

    void AddChangeNotification(TCustomDBGridEh* Grid);
    void RemoveChangeNotification(TCustomDBGridEh* Grid);
    const std::vector<TCustomDBGridEh*>& Grids() const { return FGrids; }

private:
    void Changed();
    bool FLuminateSelection = true;
    bool FIsDrawFocusRect = true;
    std::vector<TCustomDBGridEh*> FGrids;
};

// The style new grids take; nullptr after SetDefaultGridStyle(nullptr).
TDBGridEhStyle* DefaultGridStyle();
// Replaces the default style (the grids holding the old default are left with none).
void SetDefaultGridStyle(TDBGridEhStyle* Style);

// ---------------------------------------------------------------------------------------------
// Appearance parameters

class TDBGridTitleParamsEh : public TPersistent {
    KVT_CLASS(TDBGridTitleParamsEh, TPersistent)
public:
    explicit TDBGridTitleParamsEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int RowHeight() const { return FRowHeight; } // 0: from the font
    void SetRowHeight(int Value);
    bool HorzLines() const { return FHorzLines; }
    bool VertLines() const { return FVertLines; }
    void SetHorzLines(bool v) { FHorzLines = v; }
    void SetVertLines(bool v) { FVertLines = v; }

private:
    TCustomDBGridEh* FGrid;
    TColor FColor = clBtnFace;
    int FRowHeight = 0;
    bool FHorzLines = true;
    bool FVertLines = true;
};

class TDBGridIndicatorParamsEh : public TPersistent {
    KVT_CLASS(TDBGridIndicatorParamsEh, TPersistent)
public:
    explicit TDBGridIndicatorParamsEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    // Every RecNoShowStep-th record number is shown; 0 and 1 show every number.
    int RecNoShowStep() const { return FRecNoShowStep; }
    void SetRecNoShowStep(int Value);

private:
    TCustomDBGridEh* FGrid;
    TColor FColor = clBtnFace;
    int FRecNoShowStep = 1;
};

class TDBGridFooterParamsEh : public TPersistent {
    KVT_CLASS(TDBGridFooterParamsEh, TPersistent)
public:
    explicit TDBGridFooterParamsEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    bool HorzLines() const { return FHorzLines; }
    bool VertLines() const { return FVertLines; }
    void SetHorzLines(bool v) { FHorzLines = v; }
    void SetVertLines(bool v) { FVertLines = v; }

private:
    TCustomDBGridEh* FGrid;
    TColor FColor = clBtnFace;
    bool FHorzLines = false;
    bool FVertLines = true;
};

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

private:
    TCustomDBGridEh* FGrid;
    bool FUseGlobalMenu = true;
    bool FShowDropDownSign = false;
    bool FTitleButton = false;
    bool FDown = false;
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
    TCustomDBGridEh* FGrid;
    bool FActive = false;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    String FText;
};

// The program-wide text for empty-data objects without a text of their own.
extern String DefaultEmptyDataText;

// ---------------------------------------------------------------------------------------------
// Columns

class TColumnTitleEh : public TPersistent {
    KVT_CLASS(TColumnTitleEh, TPersistent)
public:
    explicit TColumnTitleEh(TDBGridColumnEh* AColumn) : FColumn(AColumn) {}
    // The field's display label when no caption was given.
    String Caption() const;
    void SetCaption(const String& Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TSortMarkerEh SortMarker() const { return FSortMarker; }
    void SetSortMarker(TSortMarkerEh Value);
    int SortIndex() const { return FSortIndex; }
    void SetSortIndex(int Value);
    bool TitleButton() const { return FTitleButton; }
    void SetTitleButton(bool v) { FTitleButton = v; }
    String Hint() const { return FHint; }
    void SetHint(const String& v) { FHint = v; }
    bool ToolTips() const { return FToolTips; }
    void SetToolTips(bool v) { FToolTips = v; }
    // Next marker on a title click: none -> down -> up -> down...; KeepMulti cycles
    // down -> up -> none and leaves the other columns' markers.
    void SetNextSortMarkerValue(bool KeepMulti);

private:
    TDBGridColumnEh* FColumn;
    String FCaption;
    bool FCaptionAssigned = false;
    TAlignment FAlignment = taLeftJustify;
    TSortMarkerEh FSortMarker = smNoneEh;
    int FSortIndex = 0;
    bool FTitleButton = false;
    String FHint;
    bool FToolTips = false;
};

class TDBGridColumnEh : public TPersistent {
    KVT_CLASS(TDBGridColumnEh, TPersistent)
public:
    explicit TDBGridColumnEh(TCustomDBGridEh* AGrid);
    ~TDBGridColumnEh() override;

    TCustomDBGridEh* Grid() const { return FGrid; }
    int Index() const;
    String FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    // The field of the grid's data set with FieldName; nullptr when there is none.
    TField* Field() const;
    int Width() const;
    void SetWidth(int Value);
    bool WidthAssigned() const { return FWidth >= 0; }
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int v) { FMinWidth = v; }
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int v) { FMaxWidth = v; }
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    bool TextEditing() const { return FTextEditing; }
    void SetTextEditing(bool v) { FTextEditing = v; }
    bool ToolTips() const { return FToolTips; }
    void SetToolTips(bool v) { FToolTips = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TColumnTitleEh* Title() const { return FTitle.get(); }
    // The text a data cell of this column shows for the data set's active record.
    String DisplayText() const;
    // Whether the field's value can be changed through this column.
    bool CanModify() const;

private:
    friend class TCustomDBGridEh;
    friend class TDBGridColumnsEh;
    TCustomDBGridEh* FGrid;
    String FFieldName;
    int FWidth = -1;
    int FMinWidth = 0;
    int FMaxWidth = 0;
    TAlignment FAlignment = taLeftJustify;
    bool FAlignmentAssigned = false;
    bool FReadOnly = false;
    bool FTextEditing = true;
    bool FToolTips = false;
    bool FVisible = true;
    TColor FColor = clNone;
    std::unique_ptr<TColumnTitleEh> FTitle;
};

class TDBGridColumnsEh : public TPersistent {
    KVT_CLASS(TDBGridColumnsEh, TPersistent)
public:
    explicit TDBGridColumnsEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}
    TDBGridColumnEh* Add();
    int Count() const { return int(FItems.size()); }
    TDBGridColumnEh* Items(int Index) const;
    int IndexOf(const TDBGridColumnEh* Column) const;
    void Clear();
    void Move(int FromIndex, int ToIndex);
    // Columns made from the data set's visible fields (when none were added by hand).
    void RebuildFromFields(TDataSet* DataSet);
    bool Customized() const { return FCustomized; }
    void SetCustomized(bool v) { FCustomized = v; }

private:
    TCustomDBGridEh* FGrid;
    std::vector<std::unique_ptr<TDBGridColumnEh>> FItems;
    bool FCustomized = false;
};

// ---------------------------------------------------------------------------------------------
// The data link

class TGridDataLinkEh : public TDataLink {
    KVT_CLASS(TGridDataLinkEh, TDataLink)
public:
    explicit TGridDataLinkEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) { SetVisualControl(true); }

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void LayoutChanged() override;
    void EditingChanged() override;
    void RecordChanged(TField* Field) override;

private:
    TCustomDBGridEh* FGrid;
};

// ---------------------------------------------------------------------------------------------
// The grid

using TTitleEhClickEvent = TEvent<void(TObject* Sender, TDBGridColumnEh* Column)>;
using TGetCellEhParamsEvent = TEvent<void(TObject* Sender, TDBGridColumnEh* Column, TFont* AFont,
                                          TColor& Background, TGridDrawState State)>;

class TCustomDBGridEh : public TCustomGridEh, public IMTEventReceiverEh {
    KVT_CLASS(TCustomDBGridEh, TCustomGridEh)
public:
    explicit TCustomDBGridEh(TComponent* AOwner);
    ~TCustomDBGridEh() override;

    // --- model
    TDBGridOptions Options() const { return FOptions; }
    void SetOptions(TDBGridOptions Value);
    TDBGridEhOptions OptionsEh() const { return FOptionsEh; }
    void SetOptionsEh(TDBGridEhOptions Value);
    TDBGridEhAllowedSelections AllowedSelections() const { return FAllowedSelections; }
    void SetAllowedSelections(TDBGridEhAllowedSelections v) { FAllowedSelections = v; }
    TDBGridEhAllowedOperations AllowedOperations() const { return FAllowedOperations; }
    void SetAllowedOperations(TDBGridEhAllowedOperations v) { FAllowedOperations = v; }
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
    bool TryUseMemTableInt() const { return FTryUseMemTableInt; }
    void SetTryUseMemTableInt(bool Value);
    bool SortLocal() const { return FSortLocal; }
    void SetSortLocal(bool v) { FSortLocal = v; }
    TDBGridEhState GridEhState() const { return FDBGridEhState; }

    TDBGridTitleParamsEh* TitleParams() const { return FTitleParams.get(); }
    TDBGridIndicatorParamsEh* IndicatorParams() const { return FIndicatorParams.get(); }
    TDBGridFooterParamsEh* FooterParams() const { return FFooterParams.get(); }
    TDBGridEhIndicatorTitle* IndicatorTitle() const { return FIndicatorTitle.get(); }
    TGridEmptyDataInfoEh* EmptyDataInfo() const { return FEmptyDataInfo.get(); }
    TDBGridColumnsEh* Columns() const { return FColumns.get(); }
    // Visible columns in order; data column i of the grid is VisibleColumn(i).
    int VisibleColumnCount() const;
    TDBGridColumnEh* VisibleColumn(int Index) const;
    // The sort-marked columns in SortIndex order.
    const std::vector<TDBGridColumnEh*>& SortMarkedColumns() const { return FSortMarkedColumns; }

    // --- data
    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value);
    TGridDataLinkEh* DataLink() const { return FDataLink.get(); }
    IMemTableEh* IntMemTable() const { return FIntMemTable; }
    bool UsesMemTable() const { return FIntMemTable != nullptr; }

    int IndicatorOffset() const { return FIndicatorOffset; }
    uint8_t TopDataOffset() const;
    int TitleRowCount() const { return FOptions.Contains(dgTitles) ? 1 : 0; }
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
    // The data column index of the current column.
    int SelectedIndex() const { return Col() - FIndicatorOffset; }
    void SetSelectedIndex(int Value);
    TDBGridColumnEh* SelectedColumn() const;

    // --- layout
    void LayoutChanged();
    void RecalcDataRowCount();
    int CalcIndicatorColWidth();
    TCellAreaTypeEh GetCellType(int ACol, int ARow, int& AreaCol, int& AreaRow) const;
    // The base grid's own option set, derived from Options and OptionsEh.
    TGridOptions BaseOptions() const { return TCustomGridEh::Options(); }
    // Checks of the row mapping (tests and debug builds): the row count against the data rows
    // and, WithCurrent, the current row against the current record.
    bool CheckDataConsistency(bool WithCurrent = true);

    // --- events
    TTitleEhClickEvent OnTitleBtnClick;
    TTitleEhClickEvent OnTitleClick;
    TNotifyEvent OnSortMarkingChanged;
    TGetCellEhParamsEvent OnGetCellParams;
    TMovedEvent OnColumnMoved;
    TNotifyEvent OnColWidthsChanged;

    // Applies the sort markers to a memory table's sort order (the default when no
    // OnSortMarkingChanged handler is assigned).
    virtual void DefaultApplySorting();
    virtual void SortMarkingChanged();
    void SetSortMarkedColumns();

    void MTViewDataEvent(int RowNum, TMTViewEventTypeEh Event, int OldRowNum) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Reactions to the data link.
    virtual void LinkActiveChanged(bool Value);
    virtual void LinkDataSetChanged();
    virtual void LinkDataChanged();
    virtual void LinkDataSetScrolled(int Distance);
    virtual void LinkLayoutChanged();
    virtual void LinkEditingChanged();

    // The message a fetch failure was reported with last (the grid reports each failure once).
    String LastFetchError() const { return FLastFetchError; }

protected:
    friend class TDBGridColumnEh;
    friend class TDBGridColumnsEh;
    friend class TColumnTitleEh;
    friend class TDBGridEhStyle;
    friend class TGridEmptyDataInfoEh;

    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void DrawIndicatorCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState, int AreaRow);
    void DrawTitleCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState, int AreaCol);
    void DrawDataCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState, int AreaCol,
                      int AreaRow);
    void DrawIndicatorArrow(const TRect& ARect, int Kind);
    String RecNoText(int RecNo, bool Current);
    void Paint() override;

    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    void DoExit() override;
    void ColWidthsChanged() override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    bool CanEditShow() override { return false; }
    bool CanSelectCell(int ACol, int ARow) override;
    void TopLeftChangedHere();
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void WndProc(TMessage& Message) override;

    virtual void TitleClick(TDBGridColumnEh* Column);
    // Whether the grid has or could take the focus; a grid that cannot does nothing on a click.
    bool TryAcquireFocus();
    void CancelTracking();

    void UpdateMemTableInterface();
    void RecalcMemTableRowCount();
    void RecalcPlainRowCount();
    void SafeSetRowCount(int Value);
    void SyncMemTableCursorRow(int Distance);
    void FetchRecordsToFillPage();
    void UpdateColumnWidths();
    void UpdateRowHeights();
    int VisibleDataRowCapacity();
    void UpdateVertScrollBar();
    void HandleVScroll(TMessage& Message);
    void ReportFetchError(const Exception& E);
    void StyleChanged();
    void FontChangedHere();

    // Model
    TDBGridOptions FOptions = DefaultDBGridOptions;
    TDBGridEhOptions FOptionsEh = DefaultDBGridEhOptions;
    TDBGridEhAllowedSelections FAllowedSelections{gstRecordBookmarks, gstRectangle, gstColumns, gstAll};
    TDBGridEhAllowedOperations FAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh};
    TDBGridEhIndicatorOptions FIndicatorOptions{gioShowRowIndicatorEh};
    TDBGridEhEditActions FEditActions;
    TEditButtonsShowOptionsEh FEditButtonsShowOptions;
    TDBGridEhStyle* FStyle = nullptr;
    bool FTryUseMemTableInt = true;
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
    std::unique_ptr<TDBGridColumnsEh> FColumns;
    std::vector<TDBGridColumnEh*> FSortMarkedColumns;
    bool FSortLocal = true;
    bool FSortMarking = false;

    // Data flow
    std::unique_ptr<TGridDataLinkEh> FDataLink;
    IMemTableEh* FIntMemTable = nullptr;
    TComponent* FIntMemTableComponent = nullptr;
    // Saved positions of nested instant reads, outermost first.
    std::vector<int> FOldActiveRecord;
    bool FFetchingRecords = false;
    bool FRecalcingRows = false;
    bool FInternalUpdatingDatasetPos = false;
    bool FLayoutLock = false;
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
    TPoint FDownMousePos;
};

// The grid with its properties published; it has no behaviour of its own.
class TDBGridEh : public TCustomDBGridEh {
    KVT_CLASS(TDBGridEh, TCustomDBGridEh)
public:
    using TCustomDBGridEh::TCustomDBGridEh;
};
