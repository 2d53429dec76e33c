#pragma once
// The library's data-aware editors: a field data link that binds a control to one field, to
// several or to a value of its own; the edit box every editor is built on (text, value, mask,
// buttons, image, placeholder, MRU list, in-place protocol); and the date-time edit, the combo
// box, the number edit and the check box built on it or beside it.
//
// An editor is either bound (a data source or field name is set) or data-independent (neither;
// its value lives in the link's DataIndependentValue). A bound editor shows the field's display
// text while unfocused and its edit text while focused and modifiable, and writes back through
// UpdateData when the link asks (post, record update, focus loss) and at once for Text, Value
// and Undo set by code.

#include "lib/tools/InplaceEditHolderEh.h"
#include "lib/tools/ToolCtrlsEh.h"
#include "lib/toolscore/ToolCtrlsEhTypes.h"
#include "platform/db/DB.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Mask.h"
#include "platform/ui/StdCtrls.h"

#include <memory>

class TCustomImageList;
class TCustomDBEditEh;
class TDynVarsEh;
class TPanel;

// Moves the selection of a drop-down list for a list key (Up, Down, Page Up/Down, Home, End).
void MoveListSelection(TPopupListboxEh* List, Word Key);

// The unit's private message: the edit's image settings changed, the window is rebuilt.
constexpr UINT CM_EDITIMAGECHANGEDEH = WM_USER + 101;

// ---------------------------------------------------------------------------------------------
// Interfaces between an editor and a control (a grid) that hosts it as its cell editor.

// Implemented by the editor so that a host can configure it.
class IInplaceEditEh {
public:
    static constexpr TGUID IID{0x81F0C558, 0xB001, 0x4477, {0xBA, 0xA6, 0x2D, 0xC3, 0x73, 0xFC, 0xDF, 0x88}};
    virtual ~IInplaceEditEh() = default;
    virtual TFont* GetFont() = 0;
    virtual void SetInplaceEditHolder(TObject* AHolder) = 0;
    virtual void SetBorderStyle(TBorderStyle Value) = 0;
    virtual void SetFont(TFont* Value) = 0;
    virtual void SetColor(TColor Value) = 0;
    virtual void SetOnKeyPress(const TKeyPressEvent& Value) = 0;
    virtual void SetOnExit(const TNotifyEvent& Value) = 0;
};

// ---------------------------------------------------------------------------------------------
// Binds a control to one field, to a ";" list of fields (MultiFields), or to no field at all
// (no data source and no field name: the value lives in DataIndependentValue).
class TFieldDataLinkEh : public TDataLink {
    KVT_CLASS(TFieldDataLinkEh, TDataLink)
public:
    TFieldDataLinkEh();

    bool Active() const;
    bool CanModify();
    TComponent* Control() const { return FControl; }
    void SetControl(TComponent* Value) { FControl = Value; }
    bool DataIndepended() const { return FDataIndepended; }
    bool DataSetActive() const;
    TDataSource* DataSource() const { return TDataLink::DataSource(); }
    void SetDataSource(TDataSource* Value);
    bool Editing() const { return FEditing; }
    TField* Field() const { return FFields.empty() ? nullptr : FFields.front(); }
    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    int FieldsCount() const { return int(FFields.size()); }
    bool MultiFields() const { return FMultiFields; }
    void SetMultiFields(bool Value);
    TField* GetFieldsField(int Index) const;

    bool Edit();
    virtual bool IsDataIndepended() const;
    void Modified() { FModified = true; }
    bool IsModified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }
    void SetText(const String& Text);
    void SetValue(const Variant& Value);
    void Reset();

    TNotifyEvent OnActiveChange;
    TNotifyEvent OnDataChange;
    TNotifyEvent OnEditingChange;
    TNotifyEvent OnUpdateData;

    // The value of a data-independent link.
    Variant DataIndependentValue = Variant::FromNull();

    void DataEvent(TDataEvent Event, NativeInt Info) override;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField** Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;
    virtual void UpdateFieldList();

private:
    void UpdateDataIndepended();
    bool HoldsField(TField* Field) const;

    TFieldsArrEh FFields;
    String FFieldName;
    TComponent* FControl = nullptr;
    bool FMultiFields = false;
    bool FDataIndepended = true;
    bool FEditing = false;
    bool FModified = false;
};

// ---------------------------------------------------------------------------------------------
// The image an editor shows left of its text.
class TEditImageEh : public TPersistent {
    KVT_CLASS(TEditImageEh, TPersistent)
public:
    explicit TEditImageEh(TWinControl* EditControl);
    void Assign(TPersistent* Source) override;

    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    bool UseImageHeight() const { return FUseImageHeight; }
    void SetUseImageHeight(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);

private:
    void Changed();

    TWinControl* FEditControl;
    int FImageIndex = -1;
    TCustomImageList* FImages = nullptr;
    bool FUseImageHeight = true;
    bool FVisible = false;
    int FWidth = 0;
};

// The placeholder text an empty, unfocused editor shows.
class TControlEmptyDataInfoEh : public TPersistent {
    KVT_CLASS(TControlEmptyDataInfoEh, TPersistent)
public:
    explicit TControlEmptyDataInfoEh(TCustomDBEditEh* Control);
    ~TControlEmptyDataInfoEh() override;
    void Assign(TPersistent* Source) override;

    const String& Text() const { return FText; }
    void SetText(const String& Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    bool AlignmentIsStored() const { return FAlignmentIsStored; }
    void SetAlignmentIsStored(bool Value);

    void PaintEmptyDataInfo();
    void RefreshDefaultFont();
    bool Showing() const;

private:
    void FontChanged(TObject* Sender);

    TAlignment FAlignment = taLeftJustify;
    bool FAlignmentIsStored = false;
    TCustomDBEditEh* FControl;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    String FText;
};

// The hint that shows an editor's whole text when it does not fit; AData is the editor's font.
class TToolTipsWindow : public THintWindow {
    KVT_CLASS(TToolTipsWindow, THintWindow)
public:
    using THintWindow::THintWindow;
    TRect CalcHintRect(int MaxWidth, const String& AHint, void* AData) override;
};

// ---------------------------------------------------------------------------------------------
enum TDBEditEhValue { evAlignmentEh, evEditMaskEh };
using TDBEditEhValues = TSet<TDBEditEhValue>;

using TOnCheckDrawRequiredStateEventEh = TEvent<void(TObject* Sender, bool& DrawState)>;
using TGetImageIndexEventEh = TEvent<void(TObject* Sender, int& ImageIndex)>;
using TEditControlShowDropDownFormEventEh = TEvent<void(TControl* EditControl, TEditButtonEh* Button,
                                                        TCustomForm*& DropDownForm, TDynVarsEh* DynParams)>;
using TEditControlCloseDropDownFormEventEh =
    TEvent<void(TControl* EditControl, TEditButtonEh* Button, bool Accept, TCustomForm* DropDownForm,
                TDynVarsEh* DynParams)>;

// What an editor hands to a non-modal drop-down form run and gets back in its callback.
class TEditControlDropDownFormSysParams : public TDropDownFormSysParams {
    KVT_CLASS(TEditControlDropDownFormSysParams, TDropDownFormSysParams)
public:
    TCustomDBEditEh* FEditControl = nullptr;
    TEditButtonEh* FEditButton = nullptr;
};

// The data-aware single-line edit (a masked edit) every editor of the library is built on.
class TCustomDBEditEh : public TCustomMaskEdit, public IComboEditEh, public IInplaceEditEh {
    KVT_CLASS(TCustomDBEditEh, TCustomMaskEdit)
public:
    explicit TCustomDBEditEh(TComponent* AOwner);
    ~TCustomDBEditEh() override;

    // Binding
    TDataSource* DataSource() { return ReadDataSource(); }
    void SetDataSource(TDataSource* Value) { WriteDataSource(Value); }
    String DataField() { return ReadDataField(); }
    void SetDataField(const String& Value) { WriteDataField(Value); }
    TField* Field() const { return FDataLink->Field(); }
    TFieldDataLinkEh* DataLink() const { return FDataLink.get(); }

    // Text and value (from code they reach the data at once)
    String Text() const { return ReadText(); }
    void SetText(const String& Value) { WriteText(Value); }
    Variant Value() { return ReadValue(); }
    void SetValue(const Variant& Value) { WriteValue(Value); }
    String DisplayTextForPaintCopy() { return ReadDisplayTextForPaintCopy(); }

    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    TAlignment Alignment();
    void SetAlignment(TAlignment Value);
    TEditMask EditMask() const { return TCustomMaskEdit::EditMask(); }
    void SetEditMask(const TEditMask& Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
    void SetAlwaysShowBorder(bool Value);
    bool HighlightRequired() const { return FHighlightRequired; }
    bool RequiredMarkShowing() const { return FRequiredMark && FRequiredMark->Visible(); }
    void SetHighlightRequired(bool Value);
    bool Tooltips() const { return FTooltips; }
    void SetTooltips(bool Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // The height follows the font again when auto-size is turned on.
    void SetAutoSize(bool Value) override;
    TEditImageEh* EditImage() const { return FEditImage.get(); }
    TCustomImageList* Images() const { return FEditImage->Images(); }
    void SetImages(TCustomImageList* Value);
    TControlEmptyDataInfoEh* EmptyDataInfo() const { return FEmptyDataInfo.get(); }
    TDynVarsEh* DynProps() const { return FDynProps.get(); }
    TDBEditEhValues AssignedValues() const { return FAssignedValues; }
    bool Visible() const { return ReadVisible(); }
    void SetVisible(bool Value) { WriteVisible(Value); }
    bool DroppedDown() const { return FDroppedDown; }
    bool InplaceMode() const { return FInplaceMode; }
    TEditButtonEh* EditButton() const { return FEditButton.get(); }
    void SetEditButton(TEditButtonEh* Value) { FEditButton->Assign(Value); }
    TEditButtonsEh* EditButtons() const { return FEditButtons.get(); }
    void SetEditButtons(TEditButtonsEh* Value) { FEditButtons->Assign(Value); }
    TMRUListEh* MRUList() const { return FMRUList.get(); }
    void SetMRUList(TMRUListEh* Value) { FMRUList->Assign(Value); }
    TWinControl* MRUListControl() const { return FMRUListControl; }
    // The button controls: 0 is the main button's, i the extra button i - 1's.
    int EditButtonControlCount() const { return int(FEditButtonControlList.size()); }
    TEditButtonControlEh* EditButtonControl(int Index) const {
        return FEditButtonControlList.at(size_t(Index)).EditButtonControl;
    }
    TShape* EditButtonLine(int Index) const { return FEditButtonControlList.at(size_t(Index)).ButtonLine; }
    TWinControl* ButtonsPanel() const { return FButtonsPanel; }
    int ButtonWidth() const { return FButtonWidth; }
    int ButtonHeight() const { return FButtonHeight; }
    void AfterConstruction() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    String GetCompleteKeyPress() const { return FCompleteKeyPress; }
    // Hands the placeholder to the window (an empty Text hides it).
    void ShowEmptyDataInfo(const String& Text, TFont* Font, TAlignment Alignment);
    void Deselect();
    void Hide();
    void Move(const TRect& Loc);
    void UpdateLoc(const TRect& Loc);
    void Undo();
    void Clear();
    void Reset();
    void SetFocus() override;
    bool EditCanModify() override;
    void ValidateEdit() override;

    // IComboEditEh
    void CloseUp(bool Accept) override;
    // IInplaceEditEh
    TFont* GetFont() override { return Font(); }
    void SetInplaceEditHolder(TObject* AHolder) override;
    void SetBorderStyle(TBorderStyle Value) override { TCustomEdit::SetBorderStyle(Value); }
    void SetFont(TFont* Value) override { TControl::SetFont(Value); }
    void SetColor(TColor Value) override { TControl::SetColor(Value); }
    void SetOnKeyPress(const TKeyPressEvent& Value) override { OnKeyPress = Value; }
    void SetOnExit(const TNotifyEvent& Value) override { OnExit = Value; }

    TButtonClickEventEh OnButtonClick;
    TButtonDownEventEh OnButtonDown;
    TOnCheckDrawRequiredStateEventEh OnCheckDrawRequiredState;
    TUpdateDataEventEh OnUpdateData;
    TEditControlShowDropDownFormEventEh OnOpenDropDownForm;
    TEditControlCloseDropDownFormEventEh OnCloseDropDownForm;
    TGetImageIndexEventEh OnGetImageIndex() const { return FOnGetImageIndex; }
    void SetOnGetImageIndex(const TGetImageIndexEventEh& Value);

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

protected:
    // The virtual operations of the edit, in the order the library declares them.
    virtual bool IsEnabledWithData();
    virtual TFieldDataLinkEh* CreateFieldDataLink();
    virtual TEditButtonEh* CreateMainEditButton();
    virtual TEditButtonControlEh* CreateEditButtonControl();
    virtual TEditButtonsEh* CreateExtraEditButtons();
    virtual TEditImageEh* CreateEditImage() { return new TEditImageEh(this); }
    virtual TWinControl* CreateMRUListbox();
    virtual bool ValueIsDataIndependent() const { return FDataLink->DataIndepended(); }
    virtual TAlignment FieldAlignment();
    virtual String FieldEditMask();
    virtual int DefaultImageIndex() { return -1; }
    virtual String ReadDataField() { return FDataLink->FieldName(); }
    virtual TDataSource* ReadDataSource() { return FDataLink->DataSource(); }
    virtual String ReadDisplayTextForPaintCopy();
    virtual void TextAsVariant(Variant& Value);
    virtual bool AcceptsChar(Char Key);
    virtual void LinkActiveChanged();
    virtual void AdjustHeightToFont();
    virtual void DropDownOnButtonPress(bool TopButton);
    virtual void TextAreaRect(TRect& Rect);
    virtual void ShowDropDownForm(TEditButtonEh* EditButton, TObject* Sender, bool& Handled);
    virtual void RefreshFromField();
    virtual void DropDown();
    virtual void HandleButtonClick(TObject* Sender);
    virtual void HandleButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
    virtual void HandleButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    virtual void HandleButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void LinkEditingChanged() { UpdateEditReadOnly(); }
    virtual void ItemStartsWithText(const String& Item, bool& Accept);
    virtual void PutText(const String& Text);
    virtual void PutValue(const Variant& Value);
    virtual void StoreTextToLink();
    virtual void SyncMRUListSize(TObject* Sender);
    virtual void PaintRequiredState(TCanvas* Canvas);
    virtual void ResetMaxLengthFromField();
    virtual void WriteDataField(const String& Value);
    virtual void WriteDataSource(TDataSource* Value);
    virtual void ChangeFocused(bool Focused);
    // The alignment the window shows its text with: a single-line edit aligns right or centre
    // only while unfocused, and edits left-aligned while focused.
    virtual TAlignment WindowAlignment();
    void UpdateWindowAlignment();
    // Whether the text is wider or taller than the text area (tool tips show it whole then).
    bool TextDoesNotFit();
    virtual void ApplyValue(const Variant& Value);
    virtual void UpdateEditReadOnly();
    virtual void ApplyAutoSize();
    virtual void UpdateHintState();
    virtual void UpdateImageIndex();
    virtual void UpdateMRUList();
    virtual void UpdateData();
    virtual bool ReadVisible() const;
    virtual void WriteVisible(bool Value);

    String ReadText() const { return TCustomMaskEdit::GetText(); }
    void WriteText(const String& Value);
    Variant ReadValue();
    void WriteValue(const Variant& Value) { ApplyValue(Value); }
    // Sets the window's text as it is: no mask, no write-back.
    void SetEditWindowTextDirect(const String& Value);
    bool IsMaskedEmpty() const;
    // Buttons, their layout and state; the text area follows the buttons and the image.
    void UpdateEditButtonControlList();
    void UpdateEditButtonsState();
    void UpdateFormattingRect();
    void UpdateActiveBorder();
    void UpdateDisabledLook();
    // Whether the required mark shows now (HighlightRequired and an empty required value).
    bool RequiredStateShown();
    void UpdateRequiredMark();
    void ReleaseButtonControls();
    void EditButtonChanged(TObject* Sender);
    void EditButtonRefComponentChanged(TObject* Sender, TComponent* RefComponent);
    bool ShortCutKeyDown(Word& Key, TShiftState Shift);
    void PopupButtonMenu(TEditButtonEh* Item, TEditButtonControlEh* Control);
    // The MRU list's drop-down and close-up callbacks.
    void MRUListDropDown(TObject* Sender);
    void MRUListCloseUp(TObject* Sender, bool Accept);
    bool MRUListVisible() const;
    bool RouteKeyToMRUList(TMessage& Message);
    void DropDownFormCallback(TCustomForm* DropDownForm, bool Accept, TDynVarsEh* DynParams,
                              TDropDownFormSysParams* SysParams);
    // Shows a drop-down under the edit without taking the focus, closed by outside clicks.
    void ShowDropDownUnder(TWinControl* DropDown, TDropDownAlign Align);
    void HideDropDown(TWinControl* DropDown);
    // The drop-down a descendant has open (calendar, list, calculator); the edit's own
    // cancel-mode and focus-loss handling closes it.
    virtual TWinControl* OpenDropDownControl() const { return nullptr; }

    void Change() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void DoEnter() override;
    void DoExit() override;
    void CreateWnd() override;
    void InitWidget() override;
    // "EditMask" goes to the stream only when it was set explicitly.
    void DefineProperties(TFiler* Filer) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool UseRightToLeftAlignment() const override;
    // Runs Write-back from code: on failure the link reloads the data and the error passes on.
    template <class F> void WriteBack(F&& Put);

    // Fields (see the class comment for their meaning)
    bool FAlwaysShowBorder = false;
    TDBEditEhValues FAssignedValues;
    String FCompleteKeyPress;
    std::unique_ptr<TDynVarsEh> FDynProps;
    std::unique_ptr<TEditImageEh> FEditImage;
    std::unique_ptr<TControlEmptyDataInfoEh> FEmptyDataInfo;
    bool FFlat = false;
    bool FHighlightRequired = false;
    TGetImageIndexEventEh FOnGetImageIndex;
    bool FReadOnly = false;
    bool FShowHint = false;
    bool FTooltips = false;
    bool FWantReturns = false;
    bool FWantTabs = false;
    bool FWordWrap = false;
    TAlignment FAlignment = taLeftJustify;
    bool FBorderActive = false;
    int FButtonHeight = 0;
    int FButtonWidth = 0;
    std::unique_ptr<TFieldDataLinkEh> FDataLink;
    bool FDataPosting = false;
    bool FDroppedDown = false;
    bool FFocused = false;
    int FImageWidth = 0;
    TWinControl* FInplaceEditHolder = nullptr;
    bool FInplaceMode = false;
    IInplaceEditHolderEh* FIntfInplaceEditHolder = nullptr;
    bool FMouseAboveControl = false;
    bool FNoClickCloseUp = false;
    bool FUserTextChanged = false;
    int FUserInput = 0; // depth of user-input messages being handled
    TDataSource* FInternalDataSourceRef = nullptr;
    std::unique_ptr<TEditButtonEh> FEditButton;
    std::unique_ptr<TEditButtonsEh> FEditButtons;
    TEditButtonControlList FEditButtonControlList;
    TPanel* FButtonsPanel = nullptr;
    std::unique_ptr<TMRUListEh> FMRUList;
    TMRUListboxEh* FMRUListControl = nullptr;
    TCustomControl* FRequiredMark = nullptr; // the strip the required mark is drawn on
    bool FMRUListVisible = false;
    std::unique_ptr<TPopupWatchEh> FDropDownWatch;
    // Set while a drop-down form of a button closes: the click that closed it must not reopen it.
    TObject* FClosedFormButton = nullptr;
    // Lets a pending drop-down form callback know whether this edit still exists.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);

private:
    void DataChanged(TObject* Sender);
    void EditingChanged(TObject* Sender);
    void UpdateDataHandler(TObject* Sender);
    void ActiveChanged(TObject* Sender);
    void PutEditDataSetInEdit();
};

// ---------------------------------------------------------------------------------------------
// Date-time edit format engine.

struct TElementMaskPosEh {
    int Pos = -1;    // 1-based position in the edit text; -1 when absent
    int Length = -1; // number of characters; -1 when absent
    bool Present = false;
};
struct TDateTimeElementsMaskPosEh {
    TElementMaskPosEh Year, Month, Day, Hour, Min, Sec;
    TElementMaskPosEh& operator[](int i) { return (&Year)[i]; }
    const TElementMaskPosEh& operator[](int i) const { return (&Year)[i]; }
};
// Year, month, day, hour, minute, second; -1 where the element was not given.
struct TDateTimeElementValuesEh {
    int V[6] = {-1, -1, -1, -1, -1, -1};
    int& operator[](int i) { return V[i]; }
    int operator[](int i) const { return V[i]; }
};

enum TDateTimeKindEh { dtkDateEh, dtkTimeEh, dtkDateTimeEh, dtkCustomEh };

// The default edit formats from the user's short date format.
String DefaultDateFormatEh(bool FourDigitYear);
String DefaultTimeFormatEh();
bool ShortDateFormatHasFourDigitYearEh();
// Builds the mask and element positions of an edit format; raises Exception on a bad format.
String DateTimeEditFormatToMaskEh(const String& EditFormat, TDateTimeElementsMaskPosEh& Pos);
String DateTimeEditFormatToDisplayFormatEh(const String& EditFormat);
String DateTimeEditFormatToTemplateEh(const String& EditFormat);
// Reads the elements out of Text; true when every present element gave a number.
bool ParseDateTimeTextEh(const String& Text, const TDateTimeElementsMaskPosEh& Pos,
                         TDateTimeElementValuesEh& Values);
// Two-digit years: a 60-year window back from CurrentYear.
int ExpandTwoDigitYearEh(int Year, int CurrentYear);
// Applies element values to V (Null or a date-time); false (V Null) when they form no valid value.
bool ApplyDateTimeElementsEh(Variant& V, const TDateTimeElementValuesEh& Values,
                             const TDateTimeElementsMaskPosEh& Pos, bool Normalize);

class TCustomDBDateTimeEditEh : public TCustomDBEditEh {
    KVT_CLASS(TCustomDBDateTimeEditEh, TCustomDBEditEh)
public:
    explicit TCustomDBDateTimeEditEh(TComponent* AOwner);
    ~TCustomDBDateTimeEditEh() override;

    TDateTimeKindEh Kind() const { return FKind; }
    void SetKind(TDateTimeKindEh Value);
    const String& EditFormat() const { return FEditFormat; }
    void SetEditFormat(const String& Value);
    const String& DateTimeFormat() const { return FDateTimeFormat; }
    const TDateTimeElementsMaskPosEh& DateTimeMaskPos() const { return FDateTimeMaskPos; }
    bool CalendarVisible() const { return FCalendarVisible; }
    void ValidateEdit() override;
    void CloseUp(bool Accept) override;
    // Steps the element under the caret (Up increases).
    void IncrementElement(bool Up);

    TCloseUpEventEh OnCloseUp;
    TNotifyEvent OnDropDown;

    void WndProc(TMessage& Message) override;

protected:
    virtual void UpdateFourDigitYear();
    virtual void UpdateMask();
    TEditButtonEh* CreateMainEditButton() override;
    TWinControl* OpenDropDownControl() const override;
    void HandleButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) override;
    void ItemStartsWithText(const String& Item, bool& Accept) override;
    void DropDown() override;
    void TextAsVariant(Variant& Value) override { Value = FValue; }
    void RefreshFromField() override;
    void PutText(const String& Text) override;
    void PutValue(const Variant& Value) override;
    void StoreTextToLink() override;
    void DropDownOnButtonPress(bool TopButton) override;
    String ReadDisplayTextForPaintCopy() override;
    void Change() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void DoEnter() override;
    // "EditFormat" goes to the stream only for a custom kind.
    void DefineProperties(TFiler* Filer) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void SetInternalText(const String& Text);
    bool ParseText(const String& Text, TDateTimeElementValuesEh& Values) const;

    bool FCalendarVisible = false;
    TWinControl* FDropDownCalendar = nullptr;
    bool FEditValidating = false;
    bool FInternalTextSetting = false;
    TDateTimeKindEh FKind = dtkDateEh;
    Variant FValue;
    String FEditFormat;
    String FDateTimeFormat;
    TDateTimeElementsMaskPosEh FDateTimeMaskPos;
    bool FFourDigitYear = false;
};

class TDBDateTimeEditEh : public TCustomDBDateTimeEditEh {
    KVT_CLASS(TDBDateTimeEditEh, TCustomDBDateTimeEditEh)
public:
    using TCustomDBDateTimeEditEh::TCustomDBDateTimeEditEh;
};

// ---------------------------------------------------------------------------------------------
// Combo box settings of the drop-down list.
class TDropDownBoxEh : public TPersistent {
    KVT_CLASS(TDropDownBoxEh, TPersistent)
public:
    void Assign(TPersistent* Source) override;
    TDropDownAlign Align = daLeft;
    bool AutoDrop = false;
    int Rows = 7;
    bool Sizable = false;
    int Width = 0; // 0: the control's width; -1: the widest item
};

class TCustomDBComboBoxEh : public TCustomDBEditEh {
    KVT_CLASS(TCustomDBComboBoxEh, TCustomDBEditEh)
public:
    explicit TCustomDBComboBoxEh(TComponent* AOwner);
    ~TCustomDBComboBoxEh() override;

    TDropDownBoxEh* DropDownBox() const { return FDropDownBox.get(); }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value);
    TStrings* KeyItems() const { return FKeyItems.get(); }
    void SetKeyItems(TStrings* Value);
    bool ListVisible() const { return FListVisible; }
    bool KeyBased() const { return FKeyBased; }
    int ItemsCount() const { return FItemsCount; }
    void CloseUp(bool Accept) override;

    TNotInListEventEh OnNotInList;
    TCloseUpEventEh OnCloseUp;
    TAcceptEventEh OnClosingUp;
    TNotifyEvent OnDropDown;
    TListGetImageIndexEventEh OnGetItemImageIndex;
    TNotifyEvent OnGetItemsList;
    TClass PopupListboxClass() const { return FPopupListboxClass; }
    void SetPopupListboxClass(TClass Value) { FPopupListboxClass = Value; }
    // The drop-down list, made on first use.
    TPopupListboxEh* PopupListbox();

    void Dispatch(TMessage& Message) override;
    void WndProc(TMessage& Message) override;

protected:
    virtual TDropDownBoxEh* CreateDropDownBox() { return new TDropDownBoxEh(); }
    virtual bool LocateItemByText(const String& Text, bool Partial);
    virtual bool AutoCompleteTypedChar(const String& Text);
    virtual void RequestItems();
    virtual void ApplyItemIndex(int Index);
    virtual TColor ListColor() { return Color(); }
    virtual TFont* ListFont() { return Font(); }
    virtual void SelectNextValue(bool IsPrior);

    TEditButtonEh* CreateMainEditButton() override;
    TWinControl* OpenDropDownControl() const override;
    void HandleButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Click() override;
    void ListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    TAlignment FieldAlignment() override;
    int DefaultImageIndex() override { return FDefaultItemIndex; }
    String ReadDisplayTextForPaintCopy() override;
    void TextAsVariant(Variant& Value) override;
    bool AcceptsChar(Char Key) override;
    void DropDownOnButtonPress(bool TopButton) override;
    void RefreshFromField() override;
    void DropDown() override;
    void PutText(const String& Text) override;
    void PutValue(const Variant& Value) override;
    void StoreTextToLink() override;
    void ResetMaxLengthFromField() override;
    void UpdateEditReadOnly() override;
    void UpdateImageIndex() override;
    void UpdateData() override;
    void Change() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void Clear();

    void ItemsChanged(TObject* Sender);
    void KeyItemsChanged(TObject* Sender);
    void Recount();
    void SyncIndexFromText();
    int FindItem(const String& Text) const;

    std::unique_ptr<TDropDownBoxEh> FDropDownBox;
    int FItemIndex = -1;
    std::unique_ptr<TStringList> FItems;
    std::unique_ptr<TStringList> FKeyItems;
    bool FListVisible = false;
    TWinControl* FPopupListbox = nullptr;
    int FItemsCount = 0;
    bool FKeyBased = false;
    Variant FVarValue = Variant::FromNull();
    int FDefaultItemIndex = -1;
    TClass FPopupListboxClass = nullptr;
    bool FPressOpenedList = false;
};

class TDBComboBoxEh : public TCustomDBComboBoxEh {
    KVT_CLASS(TDBComboBoxEh, TCustomDBComboBoxEh)
public:
    using TCustomDBComboBoxEh::TCustomDBComboBoxEh;
};

// ---------------------------------------------------------------------------------------------
// Number edit.

// Number texts in the current format settings.
bool NumberTextToFloat(const String& Text, Extended& Value);
String NormalizeNumberText(const String& Text);
String AddThousandSeparators(const String& Text, bool UseThousands);
String DefaultCurrencyEditFormat();
String EditFormatFromDisplayFormat(const String& Format);

enum TDBNumberValue { evDisplayFormatEh, evCurrencyEh, evMaxValueEh, evMinValueEh };
using TDBNumberValues = TSet<TDBNumberValue>;

class TCustomDBNumberEditEh : public TCustomDBEditEh {
    KVT_CLASS(TCustomDBNumberEditEh, TCustomDBEditEh)
public:
    explicit TCustomDBNumberEditEh(TComponent* AOwner);
    ~TCustomDBNumberEditEh() override;

    String DisplayFormat();
    void SetDisplayFormat(const String& Value);
    bool currency();
    void Setcurrency(bool Value);
    Extended MaxValue();
    void SetMaxValue(Extended Value);
    Extended MinValue();
    void SetMinValue(Extended Value);
    unsigned DecimalPlaces() const { return FDecimalPlaces; }
    void SetDecimalPlaces(unsigned Value);
    Extended Increment() const { return FIncrement; }
    void SetIncrement(Extended Value) { FIncrement = Value; }
    bool CalculatorVisible() const { return FCalculatorVisible; }
    String DisplayText() { return ReadDisplayText(); }
    const String& EditFormat() const { return FEditFormat; }
    // Which of DisplayFormat, currency, MaxValue and MinValue were set explicitly.
    TDBNumberValues NumberAssignedValues() const { return FNumberAssignedValues; }
    void IncrementValue(bool IsIncrease);
    // The explicit bounds and the decimal places applied to X.
    Extended LimitValue(Extended X) const;
    String FormatDisplayValue(Extended X);
    void CloseUp(bool Accept) override;

    TCloseUpEventEh OnCloseUp;
    TNotifyEvent OnDropDown;
    TWinControl* PopupCalculator() { return GetPopupCalculator(); }

    void Dispatch(TMessage& Message) override;
    void WndProc(TMessage& Message) override;

protected:
    virtual String ReadDisplayText();
    virtual TWinControl* GetPopupCalculator();
    virtual void ReformatText(const String& Text);
    TEditButtonEh* CreateMainEditButton() override;
    TWinControl* OpenDropDownControl() const override;

    TAlignment FieldAlignment() override;
    TAlignment WindowAlignment() override { return Alignment(); }
    void TextAsVariant(Variant& Value) override { Value = FValue; }
    bool AcceptsChar(Char Key) override;
    void DropDownOnButtonPress(bool TopButton) override;
    void RefreshFromField() override;
    void DropDown() override;
    void PutText(const String& Text) override;
    void PutValue(const Variant& Value) override;
    void StoreTextToLink() override;
    void Change() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void SetInternalText(const String& Text);
    void WMPaste(TMessage& Message);
    void TakeValueFromText();

    bool FPasting = false;
    TDBNumberValues FNumberAssignedValues;
    bool FCalculatorVisible = false;
    bool FCurrency = false;
    unsigned FDecimalPlaces = 2;
    String FDisplayFormat;
    TWinControl* FDropDownCalculator = nullptr;
    String FEditFormat;
    Extended FIncrement = 1;
    bool FInternalTextSetting = false;
    Extended FMinValue = 0;
    Extended FMaxValue = 0;
    Variant FValue = Variant::FromNull();
};

class TDBNumberEditEh : public TCustomDBNumberEditEh {
    KVT_CLASS(TDBNumberEditEh, TCustomDBNumberEditEh)
public:
    using TCustomDBNumberEditEh::TCustomDBNumberEditEh;
};

// ---------------------------------------------------------------------------------------------
// A self-painted three-state check box bound to a boolean field, to a field whose text is
// matched against the ";" lists ValueChecked / ValueUnchecked, or to a value of its own.
class TCustomDBCheckBoxEh : public TButtonControl {
    KVT_CLASS(TCustomDBCheckBoxEh, TButtonControl)
public:
    explicit TCustomDBCheckBoxEh(TComponent* AOwner);
    ~TCustomDBCheckBoxEh() override;

    TLeftRight Alignment() const { return FAlignment; }
    void SetAlignment(TLeftRight Value);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
    bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
    void SetAlwaysShowBorder(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool Modified() const { return FModified; }
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState Value);
    bool Checked() const { return GetChecked(); }
    void SetCheckedState(bool Value) { SetChecked(Value); }
    const String& ValueChecked() const { return FValueCheck; }
    void SetValueChecked(const String& Value);
    const String& ValueUnchecked() const { return FValueUncheck; }
    void SetValueUnchecked(const String& Value);
    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value);
    String DataField() const { return FDataLink->FieldName(); }
    void SetDataField(const String& Value) { FDataLink->SetFieldName(Value); }
    TField* Field() const { return FDataLink->Field(); }
    bool ReadOnly() const { return FDataLink->ReadOnly(); }
    void SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }
    TFieldDataLinkEh* DataLink() const { return FDataLink.get(); }
    TDynVarsEh* DynProps() const { return FDynProps.get(); }
    // The state the data asks for.
    TCheckBoxState GetFieldState();
    // Where the box's children would align: right, except left when a right-to-left control
    // puts its caption on the left.
    TAlignment GetControlsAlignment() const override;
    // Whether Text matches an item of a ";" list.
    static bool ValueMatch(const String& List, const String& Text);

    TUpdateDataEventEh OnUpdateData;

    void Dispatch(TMessage& Message) override;
    void WndProc(TMessage& Message) override;

protected:
    virtual void PaintContents();
    virtual bool ValueIsDataIndependent() const { return FDataLink->DataIndepended(); }
    virtual void DrawCaption(const TRect& Rect, bool Focused, bool Hot, bool Pressed);
    virtual void DrawCheck(const TRect& Rect, TCheckBoxState AState, bool Focused, bool Hot, bool Pressed);
    virtual void DrawState(TCheckBoxState AState, bool Focused, bool Hot, bool Pressed);
    virtual void ApplyState(TCheckBoxState NewState);
    virtual void StoreStateToLink();
    virtual void Toggle();
    virtual void UpdateData();

    bool GetChecked() const override { return FState == cbChecked; }
    void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void CreateWnd() override;
    void PaintWindow(HDC DC) override;
    void Click() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoExit() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The value lists go to the stream when they differ from "True" and "False".
    void DefineProperties(TFiler* Filer) override;

    TLeftRight FAlignment = lrRightJustify;
    bool FAllowGrayed = false;
    bool FAlwaysShowBorder = false;
    std::unique_ptr<TDynVarsEh> FDynProps;
    std::unique_ptr<TFieldDataLinkEh> FDataLink;
    bool FFlat = false;
    bool FModified = false;
    bool FMouseAboveControl = false;
    TCheckBoxState FState = cbUnchecked;
    String FValueCheck;
    String FValueUncheck;
    std::unique_ptr<TCanvas> FCanvas;
    bool FDataPosting = false;
    bool FToggleKeyDown = false;
    bool FMouseDown = false;

private:
    void DataChange(TObject* Sender);
    void UpdateDataHandler(TObject* Sender);
};

class TDBCheckBoxEh : public TCustomDBCheckBoxEh {
    KVT_CLASS(TDBCheckBoxEh, TCustomDBCheckBoxEh)
public:
    using TCustomDBCheckBoxEh::TCustomDBCheckBoxEh;
};
