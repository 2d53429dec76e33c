#pragma once
// The data-aware axis grid: columns (axis bars) bound to the fields of a data set by name, the
// grid-wide column defaults, the data link with its field map, and the grid that shows one row
// per record and writes what its in-place editor returns back into the record.
//
// Columns answer most settings from a fallback (the field, the grid or the grid's column
// defaults) until the setting is assigned; AssignedValues records which ones were. Only assigned
// values that differ from their fallback go into a column stream.

#include "lib/grids/GridsEh.h"
#include "lib/tools/ToolCtrlsEh.h"
#include "lib/toolscore/DynVarsEh.h"
#include "lib/toolscore/ToolCtrlsEhTypes.h"
#include "platform/classes/Classes.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/DB.h"
#include "platform/rtl/Variant.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WinGdi.h"

#include <memory>
#include <vector>

class TCustomDBAxisGridEh;
class TGridAxisBarsEh;
class TAxisBarEh;
class TBaseColumnsEh;
class TCustomColumnDefValuesEh;
class TAxisBarDefValuesEh;
class TAxisColCellParamsEh;
class TColumnDropDownBoxEh;
class TAxisGridDataLinkEh;
class TCustomImageList;
class TChangeLink;
class TPopupMenu;
class TPicture;

// ---------------------------------------------------------------------------------------------
// Enumerations (ordinals are relied on)

enum TAxisBarEhValue {
    cvColor,
    cvWidth,
    cvFont,
    cvAlignment,
    cvReadOnly,
    cvTitleColor,
    cvTitleCaption,
    cvTitleAlignment,
    cvTitleFont,
    cvTitleButton,
    cvTitleEndEllipsis,
    cvTitleToolTips,
    cvTitleOrientation,
    cvImeMode,
    cvImeName,
    cvWordWrap,
    cvLookupDisplayFields,
    cvCheckboxes,
    cvAlwaysShowEditButton,
    cvEndEllipsis,
    cvAutoDropDown,
    cvDblClickNextVal,
    cvToolTips,
    cvDropDownSizing,
    cvDropDownShowTitles,
    cvLayout,
    cvHighlightRequired,
    cvBiDiMode,
    cvTextEditing
};
using TAxisBarEhValues = TSet<TAxisBarEhValue>;

enum TCellButtonStyleEh {
    cbsAuto,
    cbsEllipsis,
    cbsNone,
    cbsUpDown,
    cbsDropDown,
    cbsAltUpDown,
    cbsAltDropDown
};
enum TTextOrientationEh { tohHorizontal, tohVertical };
enum TAxisBarEhType {
    ctCommon,
    ctPickList,
    ctLookupField,
    ctKeyPickList,
    ctKeyImageList,
    ctCheckboxes,
    ctGraphicData
};
enum TDBGridBarsState { csDefault, csCustomized };
enum TAxisBarCaptionDefValuesEhValue { cvdpTitleColorEh, cvdpTitleAlignmentEh };
using TAxisBarCaptionDefValuesEhValues = TSet<TAxisBarCaptionDefValuesEhValue>;
enum TDBGridEhAllowedOperation { alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh };
using TDBGridEhAllowedOperations = TSet<TDBGridEhAllowedOperation>;
enum TIncludeImageModuleEh { iimJpegImageModuleEh, iimGIFImageModuleEh, iimPNGImageModuleEh };
using TIncludeImageModulesEh = TSet<TIncludeImageModuleEh>;
enum TSortMarkerStyleEh { smstDefaultEh, smstSolidEh, smstFrameEh, smstThemeDefinedEh, smstClassicEh, smst3DFrameEh };
enum TDBGridLinesColorSchemeEh { glcsDefaultEh, glcsClassicEh, glcsFlatEh, glcsThemedEh };
enum TDrawEmptySpaceStyle { dessNonEh, dessSolidEh, dessGradiendEh };
enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
using TEdgeBorders = TSet<TEdgeBorder>;
// The in-place editor's kinds of edit control (the drawing of cell buttons asks for it).
enum TEditStyle {
    esSimple,
    esEllipsis,
    esPickList,
    esDataList,
    esDateCalendar,
    esUpDown,
    esDropDown,
    esAltDropDown,
    esAltUpDown,
    esAltCalendar
};

KVT_ENUM_DECL(TAxisBarEhValue)
KVT_ENUM_DECL(TCellButtonStyleEh)
KVT_ENUM_DECL(TTextOrientationEh)
KVT_ENUM_DECL(TDBGridBarsState)
KVT_ENUM_DECL(TIncludeImageModuleEh)

// ---------------------------------------------------------------------------------------------
// Event types
using TColCellUpdateDataEventEh =
    TEvent<void(TAxisBarEh* Sender, String& Text, Variant& Value, bool& UseText, bool& Handled)>;
using TColumnNotInListEventEh = TEvent<void(TObject* Sender, const String& NewText, bool& RecheckInList)>;
using TAxisBarButtonClickEventEh = TEvent<void(TObject* Sender, bool& Handled)>;
using TAxisBarButtonDownEventEh =
    TEvent<void(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)>;
// A column's drop-down form is about to open (the handler may give another form) or has closed.
using TDBAxisGridShowDropDownFormEventEh =
    TEvent<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* Column, TEditButtonEh* Button, TCustomForm*& DropDownForm,
                TDynVarsEh* DynParams)>;
using TDBAxisGridCloseDropDownFormEventEh =
    TEvent<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* Column, TEditButtonEh* Button, bool Accept,
                TCustomForm* DropDownForm, TDynVarsEh* DynParams)>;

// The platform's text-font attributes saved and put back where a routine borrows a canvas font.
struct TFontDataEh {
    int Height = 0;
    TFontPitch Pitch = fpDefault;
    TFontStyles Style;
    TFontCharset Charset = DEFAULT_CHARSET;
    TFontName Name;
    TColor Color = clWindowText;
};
void StoreFontAttributes(TFont* Font, TFontDataEh& Data);
void ApplyFontAttributes(const TFontDataEh& Data, TFont* Font);

// ---------------------------------------------------------------------------------------------
// Cell parameters: what a cell shows and whether it may be edited, before descendants adjust it.
class TAxisColCellParamsEh : public TObject {
    KVT_CLASS(TAxisColCellParamsEh, TObject)
public:
    TAlignment FAlignment = taLeftJustify;
    bool FBlankCell = false;
    TColor FBackground = clWindow;
    bool FSuppressActiveCellColor = false;
    TCheckBoxState FCheckboxState = cbUnchecked;
    int FCol = 0;
    TFont* FFont = nullptr;
    int FImageIndex = -1;
    bool FReadOnly = false;
    int FRow = 0;
    TGridDrawState FState;
    String FText;
    bool FTextEditing = true;
    TRect FCellRect;
    bool FThe3DRect = false;
    Byte FXFrameOffs = 0;
    Byte FYFrameOffs = 0;
    bool FDrawCellByThemes = false;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { FAlignment = v; }
    bool BlankCell() const { return FBlankCell; }
    void SetBlankCell(bool v) { FBlankCell = v; }
    TColor Background() const { return FBackground; }
    void SetBackground(TColor v) { FBackground = v; }
    bool SuppressActiveCellColor() const { return FSuppressActiveCellColor; }
    void SetSuppressActiveCellColor(bool v) { FSuppressActiveCellColor = v; }
    TCheckBoxState CheckboxState() const { return FCheckboxState; }
    void SetCheckboxState(TCheckBoxState v) { FCheckboxState = v; }
    int Col() const { return FCol; }
    void SetCol(int v) { FCol = v; }
    TFont* Font() const { return FFont; }
    void SetFont(TFont* v) { FFont = v; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v) { FImageIndex = v; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    int Row() const { return FRow; }
    void SetRow(int v) { FRow = v; }
    TGridDrawState State() const { return FState; }
    void SetState(TGridDrawState v) { FState = v; }
    const String& Text() const { return FText; }
    void SetText(const String& v) { FText = v; }
    bool TextEditing() const { return FTextEditing; }
    void SetTextEditing(bool v) { FTextEditing = v; }
    const TRect& CellRect() const { return FCellRect; }
    bool The3DRect() const { return FThe3DRect; }
    void SetThe3DRect(bool v) { FThe3DRect = v; }
    bool DrawCellByThemes() const { return FDrawCellByThemes; }
    void SetDrawCellByThemes(bool v) { FDrawCellByThemes = v; }
};

// ---------------------------------------------------------------------------------------------
// The lookup list grid's owner, as the drop-down box sees its column.
// The lookup list grid's own options (its column sizing, lines and sort marking).
enum TDBLookupGridEhOption {
    dlgColumnResizeEh,
    dlgColLinesEh,
    dlgRowLinesEh,
    dlgAutoSortMarkingEh,
    dlgMultiSortMarkingEh
};
using TDBLookupGridEhOptions = TSet<TDBLookupGridEhOption>;

class ILookupGridOwner {
public:
    static constexpr TGUID IID{0x2A1F4552, 0x15C3, 0x4359, {0xAD, 0xAB, 0xF2, 0xF6, 0x71, 0x9F, 0xAA, 0x97}};
    virtual ~ILookupGridOwner() = default;
    virtual void FreeNotification(TComponent* AComponent) = 0;
    // The drop-down list grid, made on first use by the factory the data grid registers
    // (DataListFactoryEh); none while no factory is registered.
    virtual TComponent* GetDataList() = 0;
    virtual TDBLookupGridEhOptions GetLookupGridOptions() = 0;
    virtual void SetLookupGridOptions(TDBLookupGridEhOptions Value) = 0;
};

// What the in-place editor needs of a column's lookup drop-down grid. The grid itself shows the
// list data set with the data grid's columns and belongs to the data grid's column; it answers
// this through dynamic_cast from the component the column hands out (ILookupGridOwner).
class IPopupDataListEh {
public:
    virtual ~IPopupDataListEh() = default;
    virtual TWinControl* ListControl() = 0;
    // Bound once by the editor that shows it.
    virtual void SetOnMouseCloseUp(const TCloseUpEventEh& Event) = 0;
    virtual void SetOnColumnMoved(const TMovedEvent& Event) = 0;
    virtual void SetDrawMemoText(bool Value) = 0;
    // Set up before each drop-down.
    virtual void SetSpecRow(TSpecRowEh* Value) = 0;
    virtual int RowCount() = 0;
    virtual void SetRowCount(int Value) = 0;
    virtual void SetShowTitles(bool Value) = 0;
    virtual void SetKeyField(const String& Value) = 0;
    virtual void SetListFieldIndex(int Value) = 0;
    virtual void SetListField(const String& Value) = 0;
    virtual void SetAutoFitColWidths(bool Value) = 0;
    virtual void SetUseMultiTitle(bool Value) = 0;
    virtual void SetListSource(TDataSource* Value) = 0;
    // The client width that shows every column in full.
    virtual int GetColumnsWidthToFit() = 0;
    virtual void SetSizeGripVisible(bool Value) = 0;
    // The user resized the list with its size grip since the flag was last cleared.
    virtual bool SizeGripResized() = 0;
    virtual void SetSizeGripResized(bool Value) = 0;
    // Key of the current list row and the text it shows.
    virtual Variant KeyValue() = 0;
    virtual void SetKeyValue(const Variant& Value) = 0;
    virtual String SelectedItem() = 0;
    // The rectangle of the data rows, in the list's client coordinates.
    virtual TRect DataRect() = 0;
    virtual String SpecRowCellsText() = 0;
    // A key release the editor passes on (Ctrl ends a multi-key action of the list).
    virtual void ListKeyUp(Word& Key, TShiftState Shift) = 0;
    // The list grid's own settings, which the column's drop-down box reads and writes through.
    virtual TBaseColumnsEh* ListColumns() { return nullptr; }
    virtual TCustomColumnDefValuesEh* ListColumnDefValues() { return nullptr; }
    virtual TDBLookupGridEhOptions ListOptions() { return {}; }
    virtual void SetListOptions(TDBLookupGridEhOptions) {}
    virtual bool ListSortLocal() { return false; }
    virtual void SetListSortLocal(bool) {}
    virtual void SetTitleSortMarkerStyle(TSortMarkerStyleEh) {}
};

// Makes the drop-down list grid of a column (owned by the column, named "DataList"); the data
// grid's library registers it. The grid engine alone has none.
using TDataListFactoryEh = TComponent* (*)(TAxisBarEh* Column);
extern TDataListFactoryEh DataListFactoryEh;

// The column's drop-down box settings; the list grid's own settings live in that grid.
class TColumnDropDownBoxEh : public TPersistent {
    KVT_CLASS(TColumnDropDownBoxEh, TPersistent)
public:
    explicit TColumnDropDownBoxEh(TPersistent* Owner);
    ~TColumnDropDownBoxEh() override;
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override { return FOwner; }

    TDropDownAlign Align() const { return FAlign; }
    void SetAlign(TDropDownAlign v) { FAlign = v; }
    bool AutoDrop() const { return FAutoDrop; }
    void SetAutoDrop(bool v) { FAutoDrop = v; }
    bool AutoFitColWidths() const { return FAutoFitColWidths; }
    void SetAutoFitColWidths(bool v) { FAutoFitColWidths = v; }
    TDataSource* ListSource() const { return FListSource; }
    void SetListSource(TDataSource* Value);
    int Rows() const { return FRows; }
    void SetRows(int v) { FRows = v; }
    bool ShowTitles() const { return FShowTitles; }
    void SetShowTitles(bool v) { FShowTitles = v; }
    bool Sizable() const { return FSizable; }
    void SetSizable(bool v) { FSizable = v; }
    bool UseMultiTitle() const { return FUseMultiTitle; }
    void SetUseMultiTitle(bool v) { FUseMultiTitle = v; }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    bool ListSourceAutoFilter() const { return FListSourceAutoFilter; }
    void SetListSourceAutoFilter(bool v) { FListSourceAutoFilter = v; }
    TLSAutoFilterTypeEh ListSourceAutoFilterType() const { return FListSourceAutoFilterType; }
    void SetListSourceAutoFilterType(TLSAutoFilterTypeEh v) { FListSourceAutoFilterType = v; }

    // "*" unless the list data set answers its own wildcard for several characters.
    String GetLikeWildcardForSeveralCharacters();
    // Kept in the column's drop-down list grid (none without one: nil, [] and false).
    TBaseColumnsEh* Columns();
    void SetColumns(TBaseColumnsEh* Value);
    TCustomColumnDefValuesEh* ColumnDefValues();
    void SetColumnDefValues(TCustomColumnDefValuesEh* Value);
    TDBLookupGridEhOptions Options();
    void SetOptions(TDBLookupGridEhOptions Value);
    bool SortLocal();
    void SetSortLocal(bool Value);
    // The list source forgets a source being freed.
    void SourceRemoved(TDataSource* Source) {
        if (FListSource == Source) FListSource = nullptr;
    }

private:
    TDropDownAlign FAlign = daLeft;
    bool FAutoDrop = false;
    bool FAutoFitColWidths = true;
    TDataSource* FListSource = nullptr;
    TPersistent* FOwner;
    int FRows = 7;
    bool FShowTitles = false;
    bool FSizable = false;
    bool FUseMultiTitle = false;
    int FWidth = 0;
    bool FListSourceAutoFilter = false;
    TLSAutoFilterTypeEh FListSourceAutoFilterType = lsftBeginsWithEh;
};

// ---------------------------------------------------------------------------------------------
// Column title
class TAxisBarTitleEh : public TPersistent {
    KVT_CLASS(TAxisBarTitleEh, TPersistent)
public:
    explicit TAxisBarTitleEh(TAxisBarEh* Column);
    ~TAxisBarTitleEh() override;
    void Assign(TPersistent* Source) override;
    void DefineProperties(TFiler* Filer) override;
    TPersistent* GetOwner() override;

    TAlignment Alignment();
    void SetAlignment(TAlignment Value);
    String Caption();
    void SetCaption(const String& Value) { WriteCaption(Value); }
    TColor Color();
    void SetColor(TColor Value);
    bool EndEllipsis();
    void SetEndEllipsis(bool Value);
    TFont* Font();
    void SetFont(TFont* Value);
    const String& Hint() const { return FHint; }
    void SetHint(const String& Value) { FHint = Value; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool TitleButton();
    void SetTitleButton(bool Value);
    bool ToolTips();
    void SetToolTips(bool Value);
    TTextOrientationEh Orientation();
    void SetOrientation(TTextOrientationEh Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    void ForgetPopupMenu() { FPopupMenu = nullptr; }
    TAxisBarEh* AxisBar() const { return FAxisBar; }

    TAlignment DefaultAlignment();
    String DefaultCaption();
    TColor DefaultColor();
    TFont* DefaultFont();
    bool DefaultEndEllipsis();
    bool DefaultTitleButton();
    bool DefaultToolTips();
    TTextOrientationEh DefaultOrientation();
    void RefreshDefaultFont();

    bool IsAlignmentStored();
    bool IsCaptionStored();
    bool IsColorStored();
    bool IsFontStored();
    bool IsEndEllipsisStored();
    bool IsTitleButtonStored();
    bool IsToolTipsStored();
    bool IsOrientationStored();

    virtual void WriteCaption(const String& Value);
    virtual void RestoreDefaults();

protected:
    void FontChanged(TObject* Sender);
    TAxisBarEhValues AssignedValues() const;

    TAlignment FAlignment = taLeftJustify;
    String FCaption;
    TColor FColor = clBtnFace;
    TAxisBarEh* FAxisBar;
    bool FEndEllipsis = false;
    std::unique_ptr<TFont> FFont;
    String FHint;
    int FImageIndex = -1;
    TTextOrientationEh FOrientation = tohHorizontal;
    TPopupMenu* FPopupMenu = nullptr;
    bool FToolTips = false;
    bool FTitleButton = false;
};

// ---------------------------------------------------------------------------------------------
// One column
class TAxisBarEh : public TCollectionItem, public ILookupGridOwner {
    KVT_CLASS(TAxisBarEh, TCollectionItem)
public:
    explicit TAxisBarEh(TCollection* Collection);
    ~TAxisBarEh() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;
    void Assign(TPersistent* Source) override;
    void DefineProperties(TFiler* Filer) override;
    String GetDisplayName() override;
    void SetIndex(int Value) override { WriteIndex(Value); }

    // ILookupGridOwner
    void FreeNotification(TComponent* AComponent) override;
    TComponent* GetDataList() override;
    TDBLookupGridEhOptions GetLookupGridOptions() override;
    void SetLookupGridOptions(TDBLookupGridEhOptions Value) override;
    // The drop-down list grid made so far (nullptr before the first GetDataList).
    TComponent* DataListIfAny() const { return FDataList; }
    // The list grid tells its column that it goes away.
    void DataListDestroyed(TComponent* List) {
        if (FDataList == List) FDataList = nullptr;
    }

    // Assigned properties
    TAxisBarEhValues AssignedValues() const { return FAssignedValues; }
    TColor Color();
    void SetColor(TColor Value);
    TFont* Font();
    void SetFont(TFont* Value);
    TAlignment Alignment();
    void SetAlignment(TAlignment Value) { WriteAlignment(Value); }
    bool ReadOnly();
    void SetReadOnly(bool Value) { WriteReadOnly(Value); }
    TImeMode ImeMode();
    void SetImeMode(TImeMode Value) { WriteImeMode(Value); }
    TImeName ImeName();
    void SetImeName(const TImeName& Value) { WriteImeName(Value); }
    bool WordWrap();
    void SetWordWrap(bool Value) { WriteWordWrap(Value); }
    String LookupDisplayFields();
    void SetLookupDisplayFields(const String& Value) { WriteLookupDisplayFields(Value); }
    bool Checkboxes();
    void SetCheckboxes(bool Value);
    bool AlwaysShowEditButton();
    void SetAlwaysShowEditButton(bool Value);
    bool EndEllipsis();
    void SetEndEllipsis(bool Value);
    bool AutoDropDown();
    void SetAutoDropDown(bool Value);
    bool DblClickNextVal();
    void SetDblClickNextVal(bool Value);
    bool ToolTips();
    void SetToolTips(bool Value);
    bool DropDownSizing();
    void SetDropDownSizing(bool Value);
    bool DropDownShowTitles();
    void SetDropDownShowTitles(bool Value);
    TTextLayout Layout();
    void SetLayout(TTextLayout Value);
    bool HighlightRequired();
    void SetHighlightRequired(bool Value) { WriteHighlightRequired(Value); }
    TBiDiMode BiDiMode();
    void SetBiDiMode(TBiDiMode Value);
    bool TextEditing();
    void SetTextEditing(bool Value);

    // Plain properties
    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    int Tag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    TCustomImageList* ImageList() const { return FImageList; }
    void SetImageList(TCustomImageList* Value);
    int NotInKeyListIndex() const { return FNotInKeyListIndex; }
    void SetNotInKeyListIndex(int Value);
    bool ShowImageAndText() const { return FShowImageAndText; }
    void SetShowImageAndText(bool Value);
    TStrings* PickList();
    void SetPickList(TStrings* Value);
    TStrings* KeyList();
    void SetKeyList(TStrings* Value);
    bool HasPickList() const;
    bool HasKeyList() const;
    TCellButtonStyleEh ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TCellButtonStyleEh Value);
    uint32_t DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(uint32_t Value) { FDropDownRows = Value; }
    int DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(int Value);
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value);
    const String& EditMask() const { return FEditMask; }
    void SetEditMask(const String& Value);
    Extended Increment() const { return FIncrement; }
    void SetIncrement(Extended Value) { FIncrement = Value; }
    TColumnDropDownBoxEh* DropDownBox() const { return FDropDownBox.get(); }
    void SetDropDownBox(TColumnDropDownBoxEh* Value) { FDropDownBox->Assign(Value); }
    TDynVarsEh* DynProps() const { return FDynProps.get(); }
    void SetDynProps(TDynVarsEh* Value) { FDynProps->Assign(Value); }
    TAxisBarTitleEh* Title() const { return FTitle.get(); }
    void SetTitle(TAxisBarTitleEh* Value) { FTitle->Assign(Value); }
    TEditButtonsEh* EditButtons() const { return FEditButtons.get(); }
    void SetEditButtons(TEditButtonsEh* Value) { FEditButtons->Assign(Value); }
    TSpecRowEh* DropDownSpecRow() const { return FDropDownSpecRow.get(); }
    void SetDropDownSpecRow(TSpecRowEh* Value) { FDropDownSpecRow->Assign(Value); }
    TMRUListEh* MRUList() const { return FMRUList.get(); }
    void SetMRUList(TMRUListEh* Value) { FMRUList->Assign(Value); }
    TDropDownFormCallParamsEh* DropDownFormParams() const { return FDropDownFormParams.get(); }
    void SetDropDownFormParams(TDropDownFormCallParamsEh* Value) { FDropDownFormParams->Assign(Value); }
    bool Stored() const { return FStored; }
    void SetStored(bool Value) { FStored = Value; }
    String Name();
    TCustomDBAxisGridEh* Grid() const;
    TField* Field() { return ReadField(); }
    void SetField(TField* Value) { WriteField(Value); }
    // The cached binding without a look-up (the grid's clean-up compares it).
    TField* CachedField() const { return FField; }

    TColCellUpdateDataEventEh OnUpdateData;
    TColumnNotInListEventEh OnNotInList;
    TAxisBarButtonClickEventEh OnEditButtonClick;
    TAxisBarButtonDownEventEh OnEditButtonDown;
    TDBAxisGridShowDropDownFormEventEh OnOpenDropDownForm;
    TDBAxisGridCloseDropDownFormEventEh OnCloseDropDownForm;

    // Fallbacks
    virtual TAlignment DefaultAlignment();
    virtual TColor DefaultColor();
    virtual TFont* DefaultFont();
    virtual TImeMode DefaultImeMode();
    virtual TImeName DefaultImeName();
    virtual bool DefaultReadOnly();
    bool DefaultWordWrap();
    String DefaultLookupDisplayFields();
    bool DefaultCheckboxes();
    bool DefaultTextEditing();
    TBiDiMode DefaultBiDiMode();
    void RefreshDefaultFont();

    // Stream storage predicates
    bool IsColorStored();
    bool IsFontStored();
    bool IsAlignmentStored();
    bool IsReadOnlyStored();
    bool IsImeModeStored();
    bool IsImeNameStored();
    bool IsWordWrapStored();
    bool IsLookupDisplayFieldsStored();
    bool IsCheckboxesStored();
    bool IsAlwaysShowEditButtonStored();
    bool IsEndEllipsisStored();
    bool IsAutoDropDownStored();
    bool IsDblClickNextValStored();
    bool IsToolTipsStored();
    bool IsDropDownSizingStored();
    bool IsDropDownShowTitlesStored();
    bool IsLayoutStored();
    bool IsHighlightRequiredStored();
    bool IsBiDiModeStored();
    bool IsTextEditingStored();
    bool IsIncrementStored() { return FIncrement != 1.0L; }
    bool IsPickListStored() { return HasPickList(); }
    bool IsKeyListStored() { return HasKeyList(); }

    // Virtual operations of the column
    virtual int GetInplaceEditorButtonWidth();
    virtual int GetInplaceEditorButtonHeight();
    virtual bool IsDefaultBar() { return !FStored; }
    virtual void NotifyChanged(bool AllItems) { Changed(AllItems); }
    virtual void FontChanged(TObject* Sender);
    virtual void WriteAlignment(TAlignment Value);
    virtual void WriteField(TField* Value);
    virtual void WriteHighlightRequired(bool Value);
    virtual void WriteImeMode(TImeMode Value);
    virtual void WriteImeName(const TImeName& Value);
    virtual void WriteLookupDisplayFields(const String& Value);
    virtual void WriteReadOnly(bool Value);
    virtual void WriteWordWrap(bool Value);
    virtual void SpecRowChanged(TObject* Sender);
    virtual TEditButtonsEh* CreateEditButtons();
    virtual TAxisBarTitleEh* CreateTitle();
    virtual TField* ReadField();
    virtual bool IsEditButtonAlwaysShown() { return AlwaysShowEditButton(); }
    virtual void SetTextArea(TRect& ARect);
    virtual String DisplayText();
    virtual String EditText();
    virtual bool UseRightToLeftAlignment();
    virtual bool UseRightToLeftReading();
    virtual bool UseRightToLeftScrollBar();
    virtual int EditButtonsWidth();
    virtual TAxisBarEhType GetColumnType();
    virtual int GetImageIndex();
    virtual int CalcRowHeight() { return 0; }
    virtual int GetDataCellHorzOffset() { return 3; }
    virtual bool CurLineWordWrap(int RowHeight);
    virtual void DropDownBoxApplyTextFilter(TDataSet* DataSet, const String& FieldName,
                                            const String& FilterText, TLSAutoFilterTypeEh Operation);
    virtual void GetColCellParams(bool EditMode, TAxisColCellParamsEh* ColCellParamsEh);
    // False when GetColCellParams is known to leave the parameters as they are (no hook, no
    // override), so that checks need not fill them first.
    virtual bool AdjustsColCellParams() const { return true; }
    virtual void RestoreDefaults();
    virtual void WriteIndex(int Value);

    UINT DrawTextBiDiModeFlagsReadingOnly() { return UseRightToLeftReading() ? UINT(DT_RTLREADING) : 0u; }
    int GetCellHeight(int Row);
    // Opens the in-place editor's list when the editor edits this column.
    void DropDown();
    bool EditButtonPressed();
    void SetEditButtonPressed(bool Value);
    // The grid's picture of this column's blob field; nil without a grid. The caller frees it.
    TPicture* GetPictureFromBlobField();

    // Cell values and editing
    TCheckBoxState CheckboxState();
    void SetCheckboxState(TCheckBoxState Value);
    String GetCellEditText();
    void SetCellEditText(const String& Text);
    String GetEditMask();
    void FillColCellParams(TAxisColCellParamsEh* Params);
    bool IsCellTextEditing();
    bool CanEditAcceptKey(QChar Key);
    String GetAcceptableEditText(const String& InputEditText);
    bool CanModify(bool TryEdit);
    bool CanEditField();
    void WriteValueToField(const String& Text, const Variant& Value, bool UseText);
    void CycleValue(Extended Step);
    TDataSet* GetListDataSet();
    TDataSet* GetLookupDataSet();
    bool LookupKeyExists();
    void DefaultDropDownBoxApplyTextFilter(TDataSet* DataSet, const String& FieldName,
                                           const String& FilterText, TLSAutoFilterTypeEh Operation);
    TAxisColCellParamsEh* CheckModifyColCellParams() const { return FCheckModifyColCellParamsEh.get(); }

protected:
    template <class> friend struct TPublisher;
    friend class TAxisBarTitleEh;
    friend class TGridAxisBarsEh;
    friend class TCustomDBAxisGridEh;
    void ImageListChanged(TObject* Sender);
    void EditButtonsChanged(TObject* Sender);
    void DropDownFormParamsChanged(TObject* Sender);
    // Whether the record's lookup value stands for the drop-down list's special row.
    bool ShowsSpecRow();
    void Add(TAxisBarEhValue V) { FAssignedValues.Include(V); }
    TAxisBarDefValuesEh* DefValues();
    template <class T> void SetRuleA(T& Field, const T& Value, TAxisBarEhValue V, bool Notify);
    bool ActiveLinkWithField();

    TAlignment FAlignment = taLeftJustify;
    TAxisBarEhValues FAssignedValues;
    TBiDiMode FBiDiMode = bdLeftToRight;
    TCellButtonStyleEh FButtonStyle = cbsAuto;
    bool FCheckboxes = false;
    TColor FColor = clWindow;
    bool FDblClickNextVal = false;
    String FDisplayFormat;
    std::unique_ptr<TDynVarsEh> FDynProps;
    std::unique_ptr<TColumnDropDownBoxEh> FDropDownBox;
    // The drop-down list grid (owned; made on first use).
    TComponent* FDataList = nullptr;
    std::unique_ptr<TSpecRowEh> FDropDownSpecRow;
    std::unique_ptr<TEditButtonsEh> FEditButtons;
    std::unique_ptr<TMRUListEh> FMRUList;
    std::unique_ptr<TDropDownFormCallParamsEh> FDropDownFormParams;
    uint32_t FDropDownRows = 7;
    bool FDropDownShowTitles = false;
    bool FDropDownSizing = false;
    String FEditMask;
    String FFieldName;
    std::unique_ptr<TFont> FFont;
    bool FHighlightRequired = false;
    TCustomImageList* FImageList = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    TImeMode FImeMode = imDontCare;
    TImeName FImeName;
    Extended FIncrement = 1.0L;
    TTextLayout FLayout = tlTop;
    std::unique_ptr<TStrings> FKeyList;
    int FNotInKeyListIndex = -1;
    std::unique_ptr<TStrings> FPickList;
    TPopupMenu* FPopupMenu = nullptr;
    bool FReadonly = false;
    bool FStored = true;
    bool FShowImageAndText = false;
    int FTag = 0;
    bool FTextEditing = true;
    std::unique_ptr<TAxisBarTitleEh> FTitle;
    bool FToolTips = false;
    bool FVisible = true;
    bool FAlwaysShowEditButton = false;
    bool FAutoDropDown = false;
    int FDropDownWidth = 0;
    bool FEndEllipsis = false;
    String FLookupDisplayFields;
    bool FWordWrap = false;
    std::unique_ptr<TAxisColCellParamsEh> FCheckModifyColCellParamsEh;
    TField* FField = nullptr;

private:
    TCollection* FPendingCollection = nullptr;
};

// The width operations that the data grid's column supplies.
class TBaseColumnEh : public TAxisBarEh {
    KVT_CLASS(TBaseColumnEh, TAxisBarEh)
public:
    using TAxisBarEh::TAxisBarEh;
    virtual bool GetAutoFitColWidth();
    virtual int GetWidth();
    virtual int GetMinWidth();
    virtual int GetMaxWidth();
    virtual void SetAutoFitColWidth(bool Value);
    virtual void SetMaxWidth(int Value);
    virtual void SetMinWidth(int Value);
    virtual void SetWidth(int Value);
    bool AutoFitColWidth() { return GetAutoFitColWidth(); }
    int Width() { return GetWidth(); }
    int MinWidth() { return GetMinWidth(); }
    int MaxWidth() { return GetMaxWidth(); }
};

// ---------------------------------------------------------------------------------------------
// Column defaults of a grid
class TAxisBarCaptionDefValuesEh : public TPersistent {
    KVT_CLASS(TAxisBarCaptionDefValuesEh, TPersistent)
public:
    explicit TAxisBarCaptionDefValuesEh(TAxisBarDefValuesEh* ColumnDefValues)
        : FColumnDefValues(ColumnDefValues) {}
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override;

    TAxisBarCaptionDefValuesEhValues AssignedValues() const { return FAssignedValues; }
    TAlignment Alignment();
    void SetAlignment(TAlignment Value);
    TColor Color();
    void SetColor(TColor Value);
    bool EndEllipsis() const { return FEndEllipsis; }
    void SetEndEllipsis(bool Value);
    TTextOrientationEh Orientation() const { return FOrientation; }
    void SetOrientation(TTextOrientationEh Value);
    bool TitleButton() const { return FTitleButton; }
    void SetTitleButton(bool Value) { FTitleButton = Value; }
    bool ToolTips() const { return FToolTips; }
    void SetToolTips(bool Value) { FToolTips = Value; }
    bool IsAlignmentStored();
    bool IsColorStored();
    TAxisBarDefValuesEh* ColumnDefValues() const { return FColumnDefValues; }

protected:
    TAlignment FAlignment = taLeftJustify;
    TAxisBarCaptionDefValuesEhValues FAssignedValues;
    TColor FColor = clBtnFace;
    TAxisBarDefValuesEh* FColumnDefValues;
    bool FEndEllipsis = false;
    TTextOrientationEh FOrientation = tohHorizontal;
    bool FTitleButton = false;
    bool FToolTips = false;
};

class TAxisBarDefValuesEh : public TPersistent {
    KVT_CLASS(TAxisBarDefValuesEh, TPersistent)
public:
    explicit TAxisBarDefValuesEh(TCustomDBAxisGridEh* Grid);
    ~TAxisBarDefValuesEh() override;
    void AfterConstruction() override;
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override;

    bool AlwaysShowEditButton() const { return FAlwaysShowEditButton; }
    void SetAlwaysShowEditButton(bool Value);
    bool AutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
    bool DblClickNextVal() const { return FDblClickNextVal; }
    void SetDblClickNextVal(bool Value) { FDblClickNextVal = Value; }
    bool DropDownShowTitles() const { return FDropDownShowTitles; }
    void SetDropDownShowTitles(bool Value) { FDropDownShowTitles = Value; }
    bool DropDownSizing() const { return FDropDownSizing; }
    void SetDropDownSizing(bool Value) { FDropDownSizing = Value; }
    bool EndEllipsis() const { return FEndEllipsis; }
    void SetEndEllipsis(bool Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool HighlightRequired() const { return FHighlightRequired; }
    void SetHighlightRequired(bool Value);
    bool ToolTips() const { return FToolTips; }
    void SetToolTips(bool Value) { FToolTips = Value; }
    TAxisBarCaptionDefValuesEh* Title() const { return FTitle.get(); }
    void SetTitle(TAxisBarCaptionDefValuesEh* Value) { FTitle->Assign(Value); }
    TCustomDBAxisGridEh* Grid() const { return FGrid; }

    virtual TAxisBarCaptionDefValuesEh* CreateTitleDefValues();

protected:
    bool FAlwaysShowEditButton = false;
    bool FAutoDropDown = false;
    bool FDblClickNextVal = false;
    bool FDropDownShowTitles = false;
    bool FDropDownSizing = false;
    bool FEndEllipsis = false;
    TTextLayout FLayout = tlTop;
    bool FHighlightRequired = false;
    TCustomDBAxisGridEh* FGrid;
    std::unique_ptr<TAxisBarCaptionDefValuesEh> FTitle;
    bool FToolTips = false;
};

class TCustomColumnDefValuesEh : public TAxisBarDefValuesEh {
    KVT_CLASS(TCustomColumnDefValuesEh, TAxisBarDefValuesEh)
public:
    using TAxisBarDefValuesEh::TAxisBarDefValuesEh;
};

class TColumnFooterDefValuesEh : public TPersistent {
    KVT_CLASS(TColumnFooterDefValuesEh, TPersistent)
public:
    void Assign(TPersistent* Source) override;
    bool ToolTips() const { return FToolTips; }
    void SetToolTips(bool Value) { FToolTips = Value; }

private:
    bool FToolTips = false;
};

// ---------------------------------------------------------------------------------------------
// Column collection
class TGridAxisBarsEh : public TCollection {
    KVT_CLASS(TGridAxisBarsEh, TCollection)
public:
    TGridAxisBarsEh(TCustomDBAxisGridEh* Grid, TCollectionItemClass ColumnClass);
    TAxisBarEh* Add() { return static_cast<TAxisBarEh*>(TCollection::Add()); }
    TAxisBarEh* AddDefaultBar();
    TAxisBarEh* AxisBar(int Index) const { return static_cast<TAxisBarEh*>(Items(Index)); }
    void SetAxisBar(int Index, TAxisBarEh* Value) { Items(Index)->Assign(Value); }
    TAxisBarEh* operator[](int Index) const { return AxisBar(Index); }
    TCustomDBAxisGridEh* Grid() const { return FGrid; }
    TDBGridBarsState State();
    void SetState(TDBGridBarsState Value);

    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override;
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
    void Update(TCollectionItem*) override {}

    void AddAllBars(bool DeleteExisting);
    void RebuildBars() { AddAllBars(true); }
    void RestoreDefaults();
    TAxisBarEh* FindBarByName(const String& ColumnName);
    void GetBarNames(TStrings* List);
    bool CheckItemInList(TAxisBarEh* AxisBar);
    void SaveToStream(TStream* S);
    void LoadFromStream(TStream* S);
    void SaveToFile(const String& FileName);
    void LoadFromFile(const String& FileName);

    virtual bool KeepCustomizedBars() { return true; }
    virtual bool IsDefaultState() { return State() == csDefault; }
    virtual void NotifyBarChange(TAxisBarEh* /*Item*/, int /*Kind*/) {}
    virtual void ActiveChanged();

protected:
    TCustomDBAxisGridEh* FGrid;
};

class TBaseColumnsEh : public TGridAxisBarsEh {
    KVT_CLASS(TBaseColumnsEh, TGridAxisBarsEh)
public:
    using TGridAxisBarsEh::TGridAxisBarsEh;
    TBaseColumnEh* Columns(int Index) const { return static_cast<TBaseColumnEh*>(Items(Index)); }
    void SetColumns(int Index, TBaseColumnEh* Value) { Items(Index)->Assign(Value); }
};

// The carrier of a column stream: one published property, AxisBars.
class TColumnsWrapper : public TComponent {
    KVT_CLASS(TColumnsWrapper, TComponent)
public:
    explicit TColumnsWrapper(TComponent* AOwner) : TComponent(AOwner) {}
    TGridAxisBarsEh* AxisBars() const { return FAxisBars; }
    void SetAxisBars(TGridAxisBarsEh* Value);
    TGridAxisBarsEh* FAxisBars = nullptr;
};

// The grid's list of visible columns; it does not own them.
class TAxisBarsEhList : public TObjectList {
    KVT_CLASS(TAxisBarsEhList, TObjectList)
public:
    TAxisBarsEhList() : TObjectList(false) {}
    TAxisBarEh* AxisBar(int Index) const { return static_cast<TAxisBarEh*>(Items(Index)); }
    void SetAxisBar(int Index, TAxisBarEh* Value) { SetItems(Index, Value); }
};

// ---------------------------------------------------------------------------------------------
// Data link and field map
class TAxisGridDataLinkEh : public TDataLink {
    KVT_CLASS(TAxisGridDataLinkEh, TDataLink)
public:
    // The map's hard cap; the platform's text speaks of 256 columns.
    static constexpr int MaxMapSize = 0x0FFFFFFF;

    explicit TAxisGridDataLinkEh(TCustomDBAxisGridEh* Grid);
    ~TAxisGridDataLinkEh() override;

    bool AddMapping(const String& FieldName);
    void ClearMapping();
    void Modified() { FModified = true; }
    bool IsModified() const { return FModified; }
    void Reset();
    int GetMappedFieldIndex(int I) const;
    TField* Fields(int I) const { return GetFields(I); }
    TField* GetFields(int I) const;
    int FieldCount() const { return FFieldCount; }
    int FieldMapSize() const { return FFieldMapSize; }
    bool DefaultFields() const;
    bool SparseMap() const { return FSparseMap; }
    void SetSparseMap(bool Value) { FSparseMap = Value; }
    TCustomDBAxisGridEh* Grid() const { return FGrid; }
    bool InUpdateData() const { return FInUpdateData; }
    void SetInUpdateData(bool Value) { FInUpdateData = Value; }
    const TBookmark& LastBookmark() const { return FLastBookmark; }
    // Every map entry names an existing field of the data set, or -1 in a sparse map.
    bool CheckConsistency() const;

    // The data set's link reactions, public so that the grid and tests can drive them.
    void ActiveChanged() override;
    void DataEvent(TDataEvent Event, NativeInt Info) override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void EditingChanged() override;
    void FocusControl(TField** Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    void TakeBookmark();

    int FFieldCount = 0;
    std::vector<int> FFieldMap;
    int FFieldMapSize = 0;
    TCustomDBAxisGridEh* FGrid;
    bool FInUpdateData = false;
    bool FSparseMap = false;
    bool FModified = false;
    TBookmark FLastBookmark;
};

// ---------------------------------------------------------------------------------------------
// Grid line parameters and the self-drawn border
class TDBAxisGridLineParamsEh : public TGridLineColorsEh {
    KVT_CLASS(TDBAxisGridLineParamsEh, TGridLineColorsEh)
public:
    explicit TDBAxisGridLineParamsEh(TCustomGridEh* Grid);

    TDBGridLinesColorSchemeEh ColorScheme() const { return FColorScheme; }
    void SetColorScheme(TDBGridLinesColorSchemeEh Value) { WriteColorScheme(Value); }
    TColor DataBoundaryColor() const { return FDataBoundaryColor; }
    void SetDataBoundaryColor(TColor Value);
    bool DataHorzLines();
    void SetDataHorzLines(bool Value) { WriteDataHorzLines(Value); }
    bool DataHorzLinesStored() const { return FDataHorzLinesStored; }
    void SetDataHorzLinesStored(bool Value) { WriteDataHorzLinesStored(Value); }
    bool DataVertLines();
    void SetDataVertLines(bool Value) { WriteDataVertLines(Value); }
    bool DataVertLinesStored() const { return FDataVertLinesStored; }
    void SetDataVertLinesStored(bool Value) { WriteDataVertLinesStored(Value); }
    bool GridBoundaries() const { return FGridBoundaries; }
    void SetGridBoundaries(bool Value) { WriteGridBoundaries(Value); }
    TDrawEmptySpaceStyle VertEmptySpaceStyle() const { return FVertEmptySpaceStyle; }
    void SetVertEmptySpaceStyle(TDrawEmptySpaceStyle Value) { WriteVertEmptySpaceStyle(Value); }

    virtual bool DefaultDataHorzLines();
    virtual bool DefaultDataVertLines();
    virtual void WriteDataHorzLines(bool Value);
    virtual void WriteDataHorzLinesStored(bool Value);
    virtual void WriteDataVertLines(bool Value);
    virtual void WriteDataVertLinesStored(bool Value);
    virtual void WriteGridBoundaries(bool Value);
    virtual void WriteColorScheme(TDBGridLinesColorSchemeEh Value);
    virtual void WriteVertEmptySpaceStyle(TDrawEmptySpaceStyle Value);
    virtual TDBGridLinesColorSchemeEh GetActualColorScheme();
    virtual TColor GetDataBoundaryColor();
    TColor GetDarkColor() override;
    TColor GetBrightColor() override;

protected:
    void Repaint();

    TDBGridLinesColorSchemeEh FColorScheme = glcsDefaultEh;
    TColor FDataBoundaryColor = clDefault;
    bool FDataHorzLines = false;
    bool FDataHorzLinesStored = false;
    bool FDataVertLines = false;
    bool FDataVertLinesStored = false;
    bool FGridBoundaries = false;
    TDrawEmptySpaceStyle FVertEmptySpaceStyle = dessGradiendEh;
};

class TControlBorderEh : public TPersistent {
    KVT_CLASS(TControlBorderEh, TPersistent)
public:
    explicit TControlBorderEh(TCustomDBAxisGridEh* Grid);
    void Assign(TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
    void SetEdgeBorders(TEdgeBorders Value);
    bool ExtendedDraw();
    void SetExtendedDraw(bool Value);
    bool ExtendedDrawStored() const { return FExtendedDrawStored; }
    void SetExtendedDrawStored(bool Value);
    TBorderStyle Style() const;
    void SetStyle(TBorderStyle Value);
    bool Ctl3D() const;
    void SetCtl3D(bool Value);
    bool DefaultExtendedDraw();
    // How many times the grid's window was asked to be recreated (tests watch the rule).
    int RecreateCount() const { return FRecreateCount; }

private:
    void UpdateExtendedDraw();

    TCustomDBAxisGridEh* FGrid;
    TColor FColor = clDefault;
    TEdgeBorders FEdgeBorders{ebLeft, ebTop, ebRight, ebBottom};
    bool FExtendedDraw = false;
    bool FExtendedDrawStored = false;
    bool FOldExtendedDraw = false;
    int FRecreateCount = 0;
};

// Filled by the data hint of a cell.
class TDBAxisGridDataHintParamsEh : public TObject {
    KVT_CLASS(TDBAxisGridDataHintParamsEh, TObject)
public:
    TPoint HintPos;
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TFont* HintFont = nullptr;
    TRect CursorRect;
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    String HintStr;
};

// ---------------------------------------------------------------------------------------------
// The data-aware axis grid
class TCustomDBAxisGridEh : public TCustomGridEh {
    KVT_CLASS(TCustomDBAxisGridEh, TCustomGridEh)
public:
    explicit TCustomDBAxisGridEh(TComponent* AOwner);
    ~TCustomDBAxisGridEh() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    // Model and binding
    TGridAxisBarsEh* AxisBars() const { return FAxisBars.get(); }
    void SetAxisBars(TGridAxisBarsEh* Value) { FAxisBars->Assign(Value); }
    TAxisBarDefValuesEh* AxisBarDefValues() const { return FColumnDefValues.get(); }
    void SetAxisBarDefValues(TAxisBarDefValuesEh* Value) { FColumnDefValues->Assign(Value); }
    TControlBorderEh* Border() const { return FBorder.get(); }
    void SetBorder(TControlBorderEh* Value) { FBorder->Assign(Value); }
    TDynVarsEh* DynProps() const { return FDynProps.get(); }
    void SetDynProps(TDynVarsEh* Value) { FDynProps->Assign(Value); }
    TAxisGridDataLinkEh* DataLink() const { return FDataLink.get(); }
    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value) { WriteDataSource(Value); }
    bool DrawGraphicData() const { return FDrawGraphicData; }
    void SetDrawGraphicData(bool Value);
    bool DrawMemoText() const { return FDrawMemoText; }
    void SetDrawMemoText(bool Value);
    int FieldCount() const { return FDataLink->FieldCount(); }
    TField* GetFields(int I) const { return FDataLink->Fields(I); }
    bool ValidFieldIndex(int I) const { return FDataLink->GetMappedFieldIndex(I) >= 0; }
    TIncludeImageModulesEh IncludeImageModules() const { return FIncludeImageModules; }
    void SetIncludeImageModules(TIncludeImageModulesEh Value) { FIncludeImageModules = Value; }
    TField* SelectedField();
    void SetSelectedField(TField* Value);
    int SelectedIndex() { return ReadSelectedIndex(); }
    TDBGridEhAllowedOperations AllowedOperations() const { return FAllowedOperations; }
    void SetAllowedOperations(TDBGridEhAllowedOperations Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool BufferedPaint() const { return FBufferedPaint; }
    int Interlinear() const { return FInterlinear; }
    TAxisBarsEhList* VisibleAxisBars() const { return FVisibleAxisBars.get(); }
    const String& EditTextValue() const { return FEditText; }
    void SetEditTextValue(const String& Value) { FEditText = Value; }
    const Variant& EditKeyValue() const { return FEditKeyValue; }
    void SetEditKeyValue(const Variant& Value) { FEditKeyValue = Value; }
    int InplaceEditorButtonWidth() const { return FInplaceEditorButtonWidth; }
    int InplaceEditorButtonHeight() const { return FInplaceEditorButtonHeight; }
    int LayoutLock() const { return FLayoutLock; }
    int UpdateLock() const { return FUpdateLock; }
    IMemTableEh* IntMemTable() const { return FIntMemTable; }
    bool UsesMemTable() const { return FIntMemTable != nullptr; }
    bool TryUseMemTableInt() const { return FTryUseMemTableInt; }
    void SetTryUseMemTableInt(bool Value);
    TGridOptions GridOptions() const { return Options(); }
    void SetGridOptions(TGridOptions Value) { SetOptions(Value); }
    int RebuildCount() const { return FRebuildCount; }

    TAxisBarEh* FindFieldColumn(const String& FieldName);
    TAxisBarEh* GetFieldAxisBars(const String& FieldName);
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Layout locks
    void LockUpdate();
    void UnlockUpdate();
    void BeginLayout();
    void EndLayout();
    bool BeginLayoutIfUnlocked();
    void ReleaseLayoutLock();
    void FinishDeferredLayout();
    // The posted deferred-layout message (1124).
    void HandleDeferredLayout();
    void Loaded() override;
    void DefineProperties(TFiler* Filer) override;
    void ChangeScale(int M, int D) override;

    int SafeMoveTopVirtual(int ATop, bool CheckOnly) { return SafeMoveTop(ATop, CheckOnly); }
    bool IsMouseInRect(const TRect& ARect);
    void InvalidateGridRect(const TGridRect& ARect) { InvalidateCellRect(ARect); }
    void InvalidateRowCells(int Row);
    void Invalidate() override;

    // Editing
    bool PrepareCellEditPublic() { return PrepareCellEdit(); }
    void LockInplaceEditor() { ++FLockEditorCount; }
    void UnlockInplaceEditor() { --FLockEditorCount; }
    bool InplaceEditVisible();
    void StartTimer(int Interval);
    void StopTimer();
    bool TimerActive() const { return FTimerActive; }
    int TimerInterval() const { return FTimerInterval; }
    void GetDownMouseInfo(TPoint& Pos, int& Time) { GetDownMouseScreenInfo(Pos, Time); }
    void SetDownMouse(TPoint Pos, int Time) {
        FDownMousePos = Pos;
        FDownMouseMessageTime = Time;
    }
    void SetFocus() override;

    TNotifyEvent OnEditButtonClick;

    // Picture of a blob field (nil when the column's field is no blob); the caller frees it.
    TPicture* GetPictureFromBlobField(TAxisBarEh* Column);

    // Virtual operations of the axis grid
    virtual bool InplaceEditCanClose(TWinControl* /*Control*/) { return true; }
    virtual void GetDownMouseScreenInfo(TPoint& Pos, int& Time);
    virtual void InplaceEditKeyDown(TWinControl* /*Control*/, Word& /*Key*/, TShiftState /*Shift*/) {}
    virtual void InplaceEditKeyPress(TWinControl* /*Control*/, QChar& /*Key*/) {}
    virtual void InplaceEditKeyUp(TWinControl* /*Control*/, Word& /*Key*/, TShiftState /*Shift*/) {}
    virtual void InplaceEditChanged(TWinControl* /*Control*/, TMessage& /*Message*/) {}
    virtual bool TryAcquireFocus();
    virtual bool IsDataEditAllowed();
    virtual bool IsColumnEditable(TAxisBarEh* /*Column*/) { return false; }
    virtual bool PrepareCellEdit();
    virtual bool IsEditorAlwaysShown() { return false; }
    virtual bool IsFixedStyleCell(const TGridCoord& /*Cell*/, TGridDrawState State) {
        return State.Contains(gdFixed);
    }
    virtual TAxisBarDefValuesEh* CreateAxisBarDefValues();
    virtual TGridAxisBarsEh* CreateAxisBars();
    virtual int GetFixedCellStyle();
    virtual TSortMarkerStyleEh GetSortMarkerStyle() { return smstDefaultEh; }
    virtual bool IsFocusInside();
    virtual bool PrefersBufferedPaint() { return true; }
    virtual void NotifyRowChange(TAxisBarEh* /*Item*/) {}
    virtual void LinkDataSetChanged() {}
    virtual void BuildFieldMap();
    virtual void DrawNonClientBorder();
    virtual void DrawThemedCellBackground(int Style, const TRect& ARect, TColor Color, bool Focused,
                                          bool Fixed, const TRect& ContentRect, bool Selected, bool Hot);
    virtual void DrawGraphicCell(TAxisBarEh* Column, const TRect& ARect, bool Fill, TColor Color);
    virtual void DoEditButtonClick();
    virtual void QueryCellParams(TAxisBarEh* /*Column*/, TAxisColCellParamsEh* /*Params*/) {}
    virtual void ListFieldsForBars(std::vector<TField*>& List);
    virtual void RequestLayoutUpdate();
    virtual void LinkActiveChanged(bool Active);
    virtual void LinkDataSetScrolled(int /*Distance*/) {}
    virtual void UpdateColumnWidths() {}
    virtual void LinkDataChanged() {}
    virtual TAxisGridDataLinkEh* CreateDataLink();
    virtual TAxisColCellParamsEh* GetCellParamsRecord() { return FColCellParamsEh.get(); }
    virtual TAxisColCellParamsEh* CreateCellParamsRecord() { return new TAxisColCellParamsEh(); }
    virtual void LinkEditingChanged() {}
    virtual void RebuildLayout();
    virtual void LinkRecordChanged(TField* Field);
    virtual void ApplyImeSettings();
    virtual void GetBarCellCoord(TAxisBarEh* Column, int& ACol, int& ARow);
    virtual int GetDataCellLeftOffset() { return 3; }
    virtual int ReadSelectedIndex() { return -1; }
    // The column of the current cell (nullptr when there is none). A grid whose cells show only
    // some of its columns maps the selected index through those.
    virtual TAxisBarEh* SelectedAxisBar();
    // The selected index that makes Bar (item AxisIndex of the axis bars) current; -1 when no cell
    // shows it.
    virtual int SelectedIndexOfAxisBar(TAxisBarEh*, int AxisIndex) { return AxisIndex; }
    virtual void SetSelectedIndex(int Value);
    virtual void WriteDataSource(TDataSource* Value);
    virtual void SetTitleFont(TFont* Value);
    virtual TFont* GetTitleFont();
    virtual TAlignment GetDefaultTitleAlignment() { return taLeftJustify; }
    virtual TColor GetDefaultTitleColor() { return FixedColor(); }
    virtual TColor GetSelectionColor();
    virtual void SelectColumnImeSettings();
    virtual String GetAxisBarsPropertyName() { return QStringLiteral("<Define property Name>"); }
    virtual bool IsFixed3D() { return true; }
    virtual void GetThemedTitleFillRect(TRect& ARect, bool Right, bool Bottom);
    virtual int GetCellReservedWidth(TAxisBarEh* /*Column*/, const TGridCoord& /*Cell*/) { return 0; }
    virtual void DrawBlankCell(const TRect& ARect, bool Highlighted, TAxisColCellParamsEh* Params,
                               bool Fixed);
    virtual void GetDataCellStyleColors(TColor& FillColor, TColor& TextColor, bool Selected, bool Focused,
                                        TColor& GradientColor1, TColor& GradientColor2);
    virtual void GetStyleCellColors(TColor& FillColor, TColor& TextColor, bool Selected, bool Focused,
                                    int CellKind, TColor& GradientColor1, TColor& GradientColor2);
    virtual bool UsesCustomStyle() { return false; }
    virtual TAxisBarEh* GetTitleColumnAtPos(const TPoint& /*Pos*/) { return nullptr; }
    virtual bool CheckFillDataCell(const TGridCoord& Cell, const TGridCoord& AreaCell,
                                   TAxisColCellParamsEh* Params, const TRect& AreaRect, TAxisBarEh* Column);
    virtual int GetCellTreeElmentsAreaWidth() { return 0; }
    virtual bool HighlightDataCellColor(int DataCol, int DataRow, TFont* AFont, TColor& AColor,
                                        TGridDrawState State, const String& Text);
    virtual int SafeMoveTop(int ATop, bool CheckOnly);
    virtual void CancelEditing() {}
    virtual void DefaultDrawDataCell(const TGridCoord& Cell, const TGridCoord& AreaCell,
                                     TAxisColCellParamsEh* Params, const TRect& AreaRect, TAxisBarEh* Column);
    virtual void DefaultFillDataHintShowInfo(const TPoint& CursorPos, const TGridCoord& Cell,
                                             TDBAxisGridDataHintParamsEh* Params, TAxisBarEh* Column);
    virtual void UpdateData();

    // Drawing helpers
    void WriteCellText(TAxisBarEh* Column, TCanvas* ACanvas, bool EndEllipsis, bool WordWrap,
                       TTextLayout Layout, TAlignment Alignment, const String& Text, int TopMargin,
                       int LeftMargin, bool Fill, const TRect& ARect);
    void PaintStyledButton(TCanvas* ACanvas, const TRect& ARect, bool Enabled, bool Hot, bool Pressed,
                           bool Flat, TDrawButtonControlStyleEh Kind, TCheckBoxState State);
    void DrawButtonEdges(TCanvas* ACanvas, const TRect& ARect, bool Flat, bool BottomRight, bool TopLeft,
                         bool Pressed, bool Sunken);
    // One button of a cell that shows its editor's buttons in every row; Button is nil for the
    // main (style) button.
    void DrawColumnCellButton(TAxisBarEh* Column, const TRect& ButtonRect, const TRect& CellRect,
                              TDrawButtonControlStyleEh Kind, TEditButtonEh* Button, TColor CellColor,
                              int Transparency);
    // The text of a column's cell as its data hint shows it.
    String ColumnHintText(TAxisBarEh* Column);
    // Whether the given border of a cell covers the line crossing (the base grid's answer).
    bool BorderCoversCrossing(int ACol, int ARow, TGridCellBorderTypeEh Border);

protected:
    friend class TAxisGridDataLinkEh;
    friend class TAxisBarEh;
    friend class TControlBorderEh;
    friend class TDBAxisGridInplaceEdit;

    // Overrides of the base grid
    bool CanEditAcceptKey(Char Key) override;
    bool CanEditModify() override { return false; }
    bool CanEditShow() override;
    TInplaceEdit* CreateEditor() override;
    TGridLineColorsEh* CreateGridLineColors() override;
    int GetEditLimit() override;
    String GetEditMask(int ACol, int ARow) override;
    String GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const String& Value) override;
    void FlatChanged() override;
    void InvalidateEditor() override;
    void CreateWnd() override;
    // At design time, tells the child controls (message 45111, LParam the grid) which grid holds them.
    virtual void NotifyDesignControls();
    void WndProc(TMessage& Message) override;

    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void FrameChanged();

    String FEditText;
    Variant FEditKeyValue;
    TDBGridEhAllowedOperations FAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh};
    std::unique_ptr<TGridAxisBarsEh> FAxisBars;
    bool FBufferedPaint = false;
    std::unique_ptr<TAxisColCellParamsEh> FColCellParamsEh;
    std::unique_ptr<TAxisBarDefValuesEh> FColumnDefValues;
    std::unique_ptr<TAxisGridDataLinkEh> FDataLink;
    bool FDefaultDrawing = true;
    std::unique_ptr<TFont> FDummiFont;
    std::unique_ptr<TDynVarsEh> FDynProps;
    TIncludeImageModulesEh FIncludeImageModules;
    bool FLayoutChangedInUpdateLock = false;
    int FLayoutLock = 0; // int, not a byte: nested locks never wrap
    int FUpdateLock = 0;
    TImeMode FOriginalImeMode = imDontCare;
    TImeName FOriginalImeName;
    bool FReadOnly = false;
    bool FUserChange = true;
    bool FAcquireFocus = true;
    bool FAllowWordWrap = false;
    bool FSelectionActive = false;
    TGridCoord FPressedCell{-1, -1};
    TPoint FMoveMousePos;
    TNotifyEvent FOnTopLeftChanged;
    bool FCanvasHandleAllocated = false;
    int FBorderWidth = 0;
    TPoint FDownMousePos;
    int FDownMouseMessageTime = 0;
    bool FDrawMemoText = false;
    bool FDrawGraphicData = false;
    int FInplaceEditorButtonHeight = 0;
    int FInplaceEditorButtonWidth = 0;
    IMemTableEh* FIntMemTable = nullptr;
    bool FTryUseMemTableInt = false;
    bool FTimerActive = false;
    int FTimerInterval = -1;
    std::unique_ptr<TAxisBarsEhList> FVisibleAxisBars;
    int FLockEditorCount = 0;
    std::unique_ptr<TControlBorderEh> FBorder;
    std::unique_ptr<TFont> FHintFont;
    int FInterlinear = 4;
    bool FLayoutFromDataset = false;
    std::unique_ptr<TCollection> FDesignInfoCollection;
    bool FNoDesigntControler = true;
    bool FDestroying = false;
    int FRebuildCount = 0;

private:
    void UpdateIntMemTable();
};

// The hint window of the grids' tool tips: the hint's font comes with the data.
class TGridToolTipsWindowEh : public THintWindow {
    KVT_CLASS(TGridToolTipsWindowEh, THintWindow)
public:
    using THintWindow::THintWindow;
    void ActivateHintData(const TRect& Rect, const String& AHint, void* AData) override;
    TRect CalcHintRect(int MaxWidth, const String& AHint, void* AData) override;

protected:
    void Paint() override;
};

// ---------------------------------------------------------------------------------------------
// The axis grid's in-place editor: per cell an edit style from the column and its field, a panel
// of edit buttons, one of the drop-downs (pick list, calendar, calculator, drop-down form), typing
// completion against the pick list, paste matching and the column's recently-used list. It never
// writes fields itself except for drop-down forms: it leaves the text and key value in the grid
// and asks the grid to write them.

class TPopupCalculatorEh;

class TAxisGridDropDownFormSysParams : public TDropDownFormSysParams {
    KVT_CLASS(TAxisGridDropDownFormSysParams, TDropDownFormSysParams)
public:
    TAxisBarEh* FAxisBar = nullptr;
    TEditButtonEh* FEditButton = nullptr;
};

class TDBAxisGridInplaceEdit : public TInplaceEdit, public IComboEditEh {
    KVT_CLASS(TDBAxisGridInplaceEdit, TInplaceEdit)
public:
    explicit TDBAxisGridInplaceEdit(TComponent* AOwner);
    ~TDBAxisGridInplaceEdit() override;

    TCustomDBAxisGridEh* GetGrid() const;
    // The column at the grid's SelectedIndex, or nil.
    TAxisBarEh* GetAxisBar() const;
    TEditStyle EditStyle() const { return FEditStyle; }
    TEditStyle EditButtonStyle() const { return FEditButtonStyle; }
    bool ListVisible() const { return FListVisible; }
    bool DroppedDown() const { return FDroppedDown; }
    TWinControl* ActiveList() const { return FActiveList; }
    TPopupListboxEh* PickList() const { return FPickList; }
    // The lookup drop-down grid of the current lookup column, or nil.
    IPopupDataListEh* DataList() const { return FDataList; }
    TPopupMonthCalendarEh* PopupMonthCalendar() const { return FPopupMonthCalendar; }
    TMRUListboxEh* MRUListControlIfAny() const { return FMRUListControl; }
    TPanel* ButtonsPanel() const { return FButtonsPanel; }
    const TEditButtonControlList& EditButtonControls() const { return FEditButtonControlList; }
    int ButtonsWidth() const { return FButtonsWidth; }
    int ImageIndex() const { return FImageIndex; }
    bool ReadOnlyStored() const { return FReadOnlyStored; }
    bool WordWrap() const { return FWordWrap; }
    bool LockCloseList() const { return FLockCloseList; }
    void SetLockCloseList(bool v) { FLockCloseList = v; }
    // The text is being set by the editor itself (following a list, completing, reloading).
    bool SettingTextQuietly() const { return FQuietText > 0; }

    virtual TWinControl* GetPopupCalculator();
    virtual void ShowDropDownList();
    void CloseUp(bool Accept) override;
    virtual void DropDownByButton(bool Down);
    virtual void ShowDropDownForm(TEditButtonEh* Button, TObject* ButtonControl, bool& Handled);
    void FormClosed(TCustomForm* Form, bool Accept, TDynVarsEh* DynParams, TDropDownFormSysParams* SysParams);
    virtual void StepValue(bool Down);
    virtual void UpdateImageIndex();
    virtual void UserTextChanged();
    virtual void GetEditingRect(TRect& Rect);
    // Where the column image is drawn left of the text (right of it in right-to-left layout).
    TRect GetImageRect();
    // The image box over the image rectangle: shown while there is an image to draw.
    TWinControl* ImageBox() const { return FImageBox; }
    void PaintEditorWindow();
    virtual void ProcessTypedText(String& T);
    int FirstVisibleButtonIndex();
    bool IsMainButtonDown();
    void SetMainButtonDown(bool Value);
    void UpdateEditStyle();
    void UpdateActiveList();
    void LayoutEditButtons();
    void ActivateEditButtons();
    // The keys of the list styles; Key 0 when consumed.
    void ListKeyDown(Word& Key, TShiftState Shift);
    String TextWithoutSelection();
    void SyncEditValueFromText();
    void HandleWMPaste();
    // The lookup list's auto filter: the list data set shows only rows matching Text (all for '').
    void ApplyListFilter(const String& Text);
    void DisableListControls();
    void EnableListControls();
    // Recently-used list under the text.
    void ShowMRUList();
    void CloseMRUList(TMRUListEh* MRUList, bool Accept);
    TMRUListboxEh* GetMRUListControl();
    virtual void FilterMRUItem(const String& Item, bool& Accept);
    virtual void StoreMRUListSize(TMRUListEh* MRUList);

    void WndProc(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void BoundsChanged() override;
    void ReloadFromGrid() override;
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void SetEditButtonStyle(TEditStyle Value);
    void SetEditStyle(TEditStyle Value);
    virtual TEditButtonControlEh* CreateEditButtonControl();
    virtual TMRUListboxEh* CreateMRUListControl();
    virtual void EditButtonMouseDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
    virtual void EditButtonClick(TObject* Sender);
    virtual void EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    virtual void EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void PickListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void DataListMouseCloseUp(TObject* Sender, bool Accept);
    void DataListColumnMoved(TObject* Sender, int FromIndex, int ToIndex);
    void KeyUp(Word& Key, TShiftState Shift) override;
    // The lookup list's key follows the editor's key value.
    void SetListKeyValue(const Variant& Value);
    bool ListAutoFilterShown();
    void MRUListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    // Sets the text from code: not a user change.
    void SetTextQuiet(const String& Value);
    bool EditDataSet();
    bool IsNumericColumn();

    TWinControl* FActiveList = nullptr;
    int FButtonsWidth = 0;
    String FCharKeyStr;
    bool FDroppedDown = false;
    TEditButtonControlList FEditButtonControlList;
    TEditStyle FEditStyle = esSimple;
    bool FLockCloseList = false;
    std::unique_ptr<TDataSource> FLookupSource;
    TMRUListEh* FMRUList = nullptr;
    TMRUListboxEh* FMRUListControl = nullptr;
    bool FNoClickCloseUp = false;
    TPopupListboxEh* FPickList = nullptr;
    IPopupDataListEh* FDataList = nullptr;
    TWinControl* FDataListControl = nullptr;
    bool FListColumnMothed = false;
    TPopupCalculatorEh* FPopupCalculator = nullptr;
    TPopupMonthCalendarEh* FPopupMonthCalendar = nullptr;
    bool FUserTextChanged = false;
    bool FWordWrap = false;
    int FImageIndex = -1;
    TEditStyle FEditButtonStyle = esSimple;
    TPanel* FButtonsPanel = nullptr;
    bool FListVisible = false;
    bool FReadOnlyStored = false;
    int FFixedDownButton = -1;
    int FQuietText = 0;
    TCustomControl* FImageBox = nullptr;
    // The form a button opened: its close may still be waiting in the queue.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    TCustomForm* FOpenForm = nullptr;
};

// Free helpers of the unit
void SetMirroredCanvasMapping(TCanvas* Canvas, bool RightToLeft, int Width, int Height);
TGridRect MakeCellRange(int Left, int Top, int Right, int Bottom);
bool CellBorderCoversCrossing(TCustomDBAxisGridEh* Grid, int ACol, int ARow, TGridCellBorderTypeEh Border);
void RemoveQueuedMessage(HWND Wnd, UINT Msg);
String FormatFieldValue(TField* Field, const String& Format);
bool MatchesListValue(const String& List, const String& Text);
int FieldValueAsInteger(TField* Field, int Default);
bool LookupValueAssigned(TField* Field);
bool IsFieldReadOnlyForEdit(TField* Field);
bool MeasureCellText(UINT Flags, TCanvas* Canvas, int ExtraMargin, int& Height, int& Width, bool WordWrap,
                     const TRect& ARect, const String& Text, int Interlinear);
[[noreturn]] void RaiseInvalidGridOperation(const String& Message);
// The width of an edit button of a flat grid: two thirds of the screen font's height, at most a
// vertical scroll bar's width.
int AxisFlatEditButtonWidth();
// The edit style the cell buttons of a column are drawn with.
TEditStyle GetColumnEditStyle(TAxisBarEh* Column);
