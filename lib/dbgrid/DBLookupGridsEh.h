#pragma once
// DBLookupGridsEh: the lookup grid and its drop-down form.
//
// TDBLookupGridEh lists the records of a list data set (ListSource) and selects one key value
// (KeyValue, named by KeyField) from them; ListField names the fields that are shown and searched.
// A master link (DataField) may tie the key to fields of another data set, or to one lookup
// field, which then supplies the list data set, the key fields and the result field. A special
// row drawn above the records stands for one value outside the list. The grid's selection is
// the record whose key equals KeyValue, not the list's current record.
//
// TPopupDataGridEh is the drop-down list of lookup cells: a floating window that never takes the
// focus, follows the mouse without a button, asks its owner to close on a click and reports key
// changes the user made. It answers IPopupDataListEh, through which in-place editors drive it.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/Themes.h"

#include <memory>
#include <vector>

class TDBLookupGridEh;

// The master link: tells the grid of the master record and of its layout.
class TLookupGridDataLinkEh : public TDataLink {
    KVT_CLASS(TLookupGridDataLinkEh, TDataLink)
public:
    explicit TLookupGridDataLinkEh(TDBLookupGridEh* Grid) : FDBLookupGrid(Grid) {}
    void Detach() { FDBLookupGrid = nullptr; }

protected:
    void ActiveChanged() override;
    void LayoutChanged() override;
    void FocusControl(TField** Field) override;
    void RecordChanged(TField* Field) override;

private:
    TDBLookupGridEh* FDBLookupGrid;
};

// The special-row cell of one lookup-grid column; unassigned values come from the grid's special row.
class TGridColumnSpecCellEh : public TPersistent {
    KVT_CLASS(TGridColumnSpecCellEh, TPersistent)
public:
    explicit TGridColumnSpecCellEh(TPersistent* Owner);
    ~TGridColumnSpecCellEh() override;
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override { return FOwner; }

    String Text();
    void SetText(const String& Value);
    TColor Color();
    void SetColor(TColor Value);
    TFont* Font();
    void SetFont(TFont* Value);
    bool TextAssigned() const { return FTextAssigned; }
    bool ColorAssigned() const { return FColorAssigned; }
    bool FontAssigned() const { return FFontAssigned; }

protected:
    String DefaultText();
    TColor DefaultColor();
    TFont* DefaultFont();

private:
    void FontChanged(TObject* Sender);
    TPersistent* FOwner;
    std::unique_ptr<TFont> FFont;
    TColor FColor = clWindow;
    String FText;
    bool FColorAssigned = false;
    bool FFontAssigned = false;
    bool FTextAssigned = false;
};

// The lookup grid's column: a special-row cell, and moves that keep ListField in step.
class TDBLookupGridColumnEh : public TColumnEh {
    KVT_CLASS(TDBLookupGridColumnEh, TColumnEh)
public:
    explicit TDBLookupGridColumnEh(TCollection* Collection);
    ~TDBLookupGridColumnEh() override;
    TGridColumnSpecCellEh* SpecCell() const { return FSpecCell.get(); }
    void SetSpecCell(TGridColumnSpecCellEh* Value) { FSpecCell->Assign(Value); }
    TDBLookupGridEh* Grid() const;
    void SetWidth(int Value) override;

protected:
    void WriteIndex(int Value) override;

private:
    std::unique_ptr<TGridColumnSpecCellEh> FSpecCell;
};

class TDBLookupGridColumnDefValuesEh : public TColumnDefValuesEh {
    KVT_CLASS(TDBLookupGridColumnDefValuesEh, TColumnDefValuesEh)
public:
    using TColumnDefValuesEh::TColumnDefValuesEh;
};

class TDBLookupGridEh : public TCustomDBGridEh {
    KVT_CLASS(TDBLookupGridEh, TCustomDBGridEh)
public:
    explicit TDBLookupGridEh(TComponent* AOwner);
    ~TDBLookupGridEh() override;
    void AfterConstruction() override;

    // --- binding
    bool AutoFitColWidths() const { return FLGAutoFitColWidths; }
    void SetAutoFitColWidths(bool Value) { WriteAutoFitColWidths(Value); }
    const String& DataField() const { return FDataFieldName; }
    void SetDataField(const String& Value);
    // The master data source (the source of DataField's data set).
    TDataSource* MasterSource() const { return FDataLink->DataSource(); }
    void SetMasterSource(TDataSource* Value);
    TField* Field() const { return FDataFields.empty() ? nullptr : FDataFields.front(); }
    String KeyField() const { return FLookupMode ? String() : FKeyFieldName; }
    void SetKeyField(const String& Value) { WriteKeyField(Value); }
    const Variant& KeyValue() const { return FKeyValue; }
    void SetKeyValue(const Variant& Value) { WriteKeyValue(Value); }
    bool ListActive() const { return FListActive; }
    const String& ListField() const { return FListFieldName; }
    void SetListField(const String& Value) { WriteListField(Value); }
    int ListFieldIndex() const { return FListFieldIndex; }
    void SetListFieldIndex(int Value) { FListFieldIndex = Value; }
    const std::vector<TField*>& ListFields() const { return FListFields; }
    TAxisGridDataLinkEh* ListLink() const { return DataLink(); }
    TDataSource* ListSource() const { return FLookupMode ? nullptr : DataSource(); }
    void SetListSource(TDataSource* Value) { WriteListSource(Value); }
    TDBLookupGridEhOptions LookupOptions() const { return FOptions; }
    void SetLookupOptions(TDBLookupGridEhOptions Value) { WriteOptions(Value); }
    bool ReadOnly() const { return FDataLink->ReadOnly(); }
    void SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }
    int RowCount() const { return FRowCount; }
    void SetRowCount(int Value) { WriteRowCount(Value); }
    const String& SearchText() const { return FSearchText; }
    void SetSearchText(const String& Value) { FSearchText = Value; }
    const String& SelectedItem() const { return FSelectedItem; }
    bool ShowTitles() const { return Options().Contains(dgTitles); }
    void SetShowTitles(bool Value) { WriteShowTitles(Value); }
    TSpecRowEh* SpecRow() const { return FSpecRow.get(); }
    void SetSpecRow(TSpecRowEh* Value) { FSpecRow->Assign(Value); }
    bool UseMultiTitle() const { return TCustomDBGridEh::UseMultiTitle(); }
    void SetUseMultiTitle(bool Value) { WriteUseMultiTitle(Value); }
    bool LookupMode() const { return FLookupMode; }
    const std::vector<TField*>& MasterFields() const { return FMasterFields; }
    TGridHighlightTextParamsEh* HighlightTextParams() const { return FHighlightTextParams.get(); }
    bool HasFocus() const { return FHasFocus; }
    bool KeySelected() const { return FKeySelected; }
    int RecordIndex() const { return FRecordIndex; }
    int RecordCountInList() const { return FRecordCount; }

    // --- operations
    virtual bool CanModify();
    virtual bool CanLocateKey(const TFieldsArrEh& KeyFields, const Variant& KeyValue);
    virtual int GetBorderHeight();
    virtual int GetSpecRowHeight();
    virtual int GetListRowHeight();
    virtual void KeyValueChanged();
    virtual void UpdateListPosition();
    virtual void ProcessSearchKey(QChar Key);
    virtual void SelectKeyValue(const Variant& Value);
    virtual void InvalidateList();
    virtual void FitColumnWidths();
    virtual void UpdateDataFields();
    virtual void UpdateListFields();
    virtual bool InrenalListDataChanging() { return FInrenalListDataChanging > 0; }
    virtual bool LocateKey();

    void BeginListDataChanging() { ++FInrenalListDataChanging; }
    void EndListDataChanging() { --FInrenalListDataChanging; }
    void MasterRecordChanged(TField* Field);
    void SelectCurrentListRecord();
    void SelectSpecRow();
    // The data cells' rectangle (the special row included while it shows), client coordinates.
    void DataRect(TRect& Rect);
    int GetColumnsWidthToFit();
    int TitleRowsHeight();
    int KeyRecordBufferIndex();
    void SelectRecordAtPoint(int X, int Y);
    // Whether the special row shows (it takes the filter row's place).
    bool SpecRowVisible() const { return FSpecRow && FSpecRow->Visible(); }
    // The grid row of the special row (the row right above the data), -1 while hidden.
    int SpecRowGridRow() const { return SpecRowVisible() ? GetTitleRowCount() : -1; }
    bool MouseSelecting() const { return FMouseSelecting; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void RecalcDataRowCount() override;
    void Loaded() override;
    int GetFilterRowCount() const override;
    bool IsExtendedScrolling() override;
    void UpdateVertScrollBar() override;
    void UpdateScrollBarPanels() override;
    void OutBoundaryDataChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    friend class TLookupGridDataLinkEh;
    friend class TDBLookupGridColumnEh;

    void WriteKeyField(const String& Value);
    void WriteListField(const String& Value);
    void WriteListSource(TDataSource* Value);
    void WriteKeyValue(const Variant& Value);
    void WriteOptions(TDBLookupGridEhOptions Value);
    void WriteRowCount(int Value);
    void WriteShowTitles(bool Value);
    void WriteUseMultiTitle(bool Value);
    void WriteAutoFitColWidths(bool Value);
    void CheckNotInLookupMode();
    void CheckListLinkNotCircular();
    void SwitchLookupMode(bool On);
    // The key record's row among the data rows (-1 when it is not there).
    int KeyRecordDataRow();

    // Overrides of the data grid.
    TGridAxisBarsEh* CreateAxisBars() override;
    TAxisBarDefValuesEh* CreateAxisBarDefValues() override;
    void ListFieldsForBars(std::vector<TField*>& List) override;
    void BuildFieldMap() override;
    void RequestLayoutUpdate() override;
    void LinkActiveChanged(bool Value) override;
    void LinkDataSetChanged() override;
    void LinkDataChanged() override;
    void LinkDataSetScrolled(int Distance) override;
    bool HighlightDataCellColor(int DataCol, int DataRow, TFont* AFont, TColor& AColor, TGridDrawState State,
                                const String& Text) override;
    bool IsFixedStyleCell(const TGridCoord& Cell, TGridDrawState State) override;
    bool ShowRowFocusRect() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void DrawSpecRowCell(int ACol, int ARow, const TRect& ARect);
    void SpecRowChanged(TObject* Sender);
    void CreateWnd() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void ColWidthsChanged() override;
    void WndProc(TMessage& Message) override;
    virtual void TrackMouseSelection();
    void HandleLookupVScroll(TMessage& Message);
    void UpdateColumnWidths() override;
    void ApplyAutoFit();
    void ScrollBarIndentsChanged();

    String FDataFieldName;
    TFieldsArrEh FDataFields;
    std::unique_ptr<TLookupGridDataLinkEh> FDataLink;
    bool FHasFocus = false;
    String FKeyFieldName;
    TFieldsArrEh FKeyFields;
    bool FKeyRowVisible = false;
    bool FKeySelected = false;
    Variant FKeyValue = Variant::FromNull();
    bool FListActive = false;
    TField* FListField = nullptr;
    int FListFieldIndex = 0;
    String FListFieldName;
    std::vector<TField*> FListFields;
    bool FLockPosition = false;
    bool FLookupMode = false;
    TDataSource* FLookupSource = nullptr;
    String FMasterFieldNames;
    TFieldsArrEh FMasterFields;
    int FMousePos = 0;
    bool FPopup = false;
    int FRecordCount = 0;
    int FRecordIndex = 0;
    int FRowCount = 0;
    String FSearchText;
    String FSelectedItem;
    std::unique_ptr<TSpecRowEh> FSpecRow;
    TDBLookupGridEhOptions FOptions{dlgColLinesEh};
    int FInrenalListDataChanging = 0;
    bool FInternalHeightSetting = false;
    bool FInternalWidthSetting = false;
    bool FLGAutoFitColWidths = false;
    int FSpecRowHeight = 0;
    std::unique_ptr<TGridHighlightTextParamsEh> FHighlightTextParams;
    bool FMouseSelecting = false;
    bool FLookupDestroying = false;
    bool FSpecRowShown = false;
    int FScrollBarIndents = 0;
};

// The close request of a drop-down after a mouse release; Accept false for a click outside.
class TPopupDataGridEh : public TDBLookupGridEh, public IPopupDataListEh {
    KVT_CLASS(TPopupDataGridEh, TDBLookupGridEh)
public:
    explicit TPopupDataGridEh(TComponent* AOwner);
    ~TPopupDataGridEh() override;
    void AfterConstruction() override;

    TCloseUpEventEh OnMouseCloseUp;
    TNotifyEvent OnUserKeyValueChange;
    TSizeGripEh* SizeGrip() const { return FSizeGrip; }
    bool SizeGripResized() override { return FSizeGripResized; }
    void SetSizeGripResized(bool Value) override { FSizeGripResized = Value; }
    bool CanFocus() override { return false; }
    // Marks the typed text in the first column (nothing for an empty text).
    void ResetHighlightSubstr(const String& Text);
    // The column that made this list (it is told when the list goes).
    void SetOwnerColumn(TAxisBarEh* Column) { FOwnerColumn = Column; }
    static void ClampPopupSize(int& Width, int& Height);
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    // IPopupDataListEh
    TWinControl* ListControl() override { return this; }
    void SetOnMouseCloseUp(const TCloseUpEventEh& Event) override { OnMouseCloseUp = Event; }
    void SetOnColumnMoved(const TMovedEvent& Event) override { OnColumnMoved = Event; }
    void SetDrawMemoText(bool Value) override { TCustomDBAxisGridEh::SetDrawMemoText(Value); }
    void SetSpecRow(TSpecRowEh* Value) override { TDBLookupGridEh::SetSpecRow(Value); }
    int RowCount() override { return TDBLookupGridEh::RowCount(); }
    void SetRowCount(int Value) override { TDBLookupGridEh::SetRowCount(Value); }
    void SetShowTitles(bool Value) override { TDBLookupGridEh::SetShowTitles(Value); }
    void SetKeyField(const String& Value) override { TDBLookupGridEh::SetKeyField(Value); }
    void SetListFieldIndex(int Value) override { TDBLookupGridEh::SetListFieldIndex(Value); }
    void SetListField(const String& Value) override { TDBLookupGridEh::SetListField(Value); }
    void SetAutoFitColWidths(bool Value) override { TDBLookupGridEh::SetAutoFitColWidths(Value); }
    void SetUseMultiTitle(bool Value) override { TDBLookupGridEh::SetUseMultiTitle(Value); }
    void SetListSource(TDataSource* Value) override { TDBLookupGridEh::SetListSource(Value); }
    int GetColumnsWidthToFit() override { return TDBLookupGridEh::GetColumnsWidthToFit(); }
    void SetSizeGripVisible(bool Value) override { FSizeGrip->SetVisible(Value); }
    Variant KeyValue() override { return TDBLookupGridEh::KeyValue(); }
    void SetKeyValue(const Variant& Value) override { TDBLookupGridEh::SetKeyValue(Value); }
    String SelectedItem() override { return TDBLookupGridEh::SelectedItem(); }
    TRect DataRect() override;
    String SpecRowCellsText() override { return FSpecRow->CellsText(); }
    void ListKeyUp(Word& Key, TShiftState Shift) override { KeyUp(Key, Shift); }
    TBaseColumnsEh* ListColumns() override { return Columns(); }
    TCustomColumnDefValuesEh* ListColumnDefValues() override { return ColumnDefValues(); }
    TDBLookupGridEhOptions ListOptions() override { return LookupOptions(); }
    void SetListOptions(TDBLookupGridEhOptions Value) override { SetLookupOptions(Value); }
    bool ListSortLocal() override { return SortLocal(); }
    void SetListSortLocal(bool Value) override { SetSortLocal(Value); }
    void SetTitleSortMarkerStyle(TSortMarkerStyleEh Value) override;

    void KeyValueChanged() override;

protected:
    void CreateParams(TCreateParams& Params) override;
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void CreateWnd() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WndProc(TMessage& Message) override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void UpdateBorderWidth();
    void DrawNonClientBorder() override;

private:
    TSizeGripEh* FSizeGrip = nullptr;
    bool FSizeGripResized = false;
    bool FUserKeyValueChanged = false;
    bool FKeySelection = false;
    TAxisBarEh* FOwnerColumn = nullptr;
};

// The style hook of both lookup grid classes: after the default painting the styled scroll
// bars are drawn again.
class TPopupDataGridEhStyleHook : public TScrollingStyleHook {
    KVT_CLASS(TPopupDataGridEhStyleHook, TScrollingStyleHook)
public:
    using TScrollingStyleHook::TScrollingStyleHook;
    void WndProc(TMessage& Message) override;
};

// Registers the drop-down list factory of the grid columns and the lookup grids' style hook
// (done once when the library loads; callable again without harm).
void RegisterLookupGridsEh();
