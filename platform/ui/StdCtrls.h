#pragma once
// Standard controls: labels, edits, memos, buttons, check boxes, radio buttons, combo boxes,
// list boxes, group boxes, static texts and scroll bars. Windowed ones wrap the matching Qt
// widget; their event rules are the platform's:
// - an edit's OnChange fires whenever its text changes, by code too, never when it is unchanged;
// - a combo box's OnChange fires only on the user's choice or typing, not when ItemIndex or
//   Text is set by code;
// - a check box's and a radio button's OnClick fire when Checked changes by code too;
// - an ItemIndex out of range clears the selection silently.

#include "platform/ui/Controls.h"

#include <functional>
#include <memory>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QComboBox;
class QListWidget;
class QAbstractButton;
class QScrollBar;
class QLabel;
class TCustomListControlItems;

// ---------------------------------------------------------------------------------------------
// Strings of a list-like control: kept here, mirrored into the widget.
class TCustomListControlItems : public TStrings {
    KVT_CLASS(TCustomListControlItems, TStrings)
public:
    struct THost {
        virtual ~THost() = default;
        virtual void ItemsInserted(int Index) = 0;
        virtual void ItemDeleted(int Index) = 0;
        virtual void ItemChanged(int Index) = 0;
        virtual void ItemsCleared() = 0;
        virtual void ItemsUpdating(bool Updating) = 0;
        virtual bool ItemsSorted() const = 0;
    };
    explicit TCustomListControlItems(THost* Host) : FHost(Host) {}
    String Get(int Index) const override;
    int GetCount() const override { return int(FItems.size()); }
    TObject* GetObject(int Index) const override;
    void Put(int Index, const String& S) override;
    void PutObject(int Index, TObject* AObject) override;
    int Add(const String& S) override;
    int AddObject(const String& S, TObject* AObject) override;
    void Insert(int Index, const String& S) override;
    void InsertObject(int Index, const String& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    void Exchange(int Index1, int Index2) override;
    void Move(int CurIndex, int NewIndex) override;
    // Sorts in place (the control's Sorted).
    void SortItems();
    // A value the control keeps per item (a check box state); it moves with the item when
    // items are exchanged, moved or sorted. New items start at 0.
    uint32_t ItemData(int Index) const;
    void SetItemData(int Index, uint32_t v);

protected:
    void SetUpdateState(bool Updating) override;

private:
    struct TItem {
        String S;
        TObject* Object = nullptr;
        uint32_t Data = 0;
    };
    void Check(int Index) const;
    THost* FHost;
    std::vector<TItem> FItems;
};

// ---------------------------------------------------------------------------------------------
class TCustomLabel : public TGraphicControl {
    KVT_CLASS(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool v);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* v);
    bool EllipsisPosition_End() const { return FEndEllipsis; }
    void SetEndEllipsis(bool v) { FEndEllipsis = v, Invalidate(); }
    void SetAutoSize(bool v) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void AdjustBounds();
    void AdjustSize() override;
    virtual void DoDrawText(TRect& Rect, UINT Flags);
    virtual String GetLabelText() const { return Caption(); }

private:
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FWordWrap = false;
    bool FTransparent = false;
    bool FShowAccelChar = true;
    bool FEndEllipsis = false;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
    KVT_CLASS(TLabel, TCustomLabel)
public:
    using TCustomLabel::TCustomLabel;
};

// ---------------------------------------------------------------------------------------------
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
    KVT_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* AOwner);
    ~TCustomEdit() override;

    int MaxLength() const { return FMaxLength; }
    virtual void SetMaxLength(int v);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    Char PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(Char v);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase v);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool v) { FAutoSelect = v; }
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool v) { FHideSelection = v; }
    bool NumbersOnly() const { return FNumbersOnly; }
    void SetNumbersOnly(bool v) { FNumbersOnly = v; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    String TextHint() const { return FTextHint; }
    void SetTextHint(const String& v);
    bool Modified() const;
    void SetModified(bool v);

    // Selection: SelLength may be negative (selected backwards from SelStart).
    int SelStart();
    void SetSelStart(int v);
    int SelLength();
    void SetSelLength(int v);
    String SelText();
    void SetSelText(const String& v);
    void SelectAll();
    void ClearSelection();
    void Clear();
    void Undo();
    void ClearUndo();
    bool CanUndo();
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();

    TNotifyEvent OnChange;

    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    void DestroyWnd() override;
    String GetText() const override;
    void SetTextCore(const String& v) override;
    virtual void Change();
    void DoEnter() override;
    virtual bool IsMultiLine() const { return false; }
    // The Qt edit (nullptr without a window).
    QLineEdit* LineEdit() const;
    // Applies CharCase / NumbersOnly / MaxLength to a typed character; 0 rejects it.
    Char FilterChar(Char c);
    void CNCommand(TMessage& Message);
    void CMTextChanged(TMessage& Message);
    void CMEnter(TMessage& Message);
    void WMGetDlgCode(TMessage& Message);
    // Native edit-control messages (EM_xxx, WM_CUT/COPY/PASTE/CLEAR/UNDO, WM_SETTEXT).
    bool EditMessage(TMessage& Message);
    // The text the window holds, which caret and selection positions count in. It differs from
    // Text where the edit shows more than its value (a mask's literals and blanks).
    virtual String EditWindowText() const { return GetText(); }
    virtual void SetEditWindowText(const String& v) { SetTextCore(v); }

    int FMaxLength = 0;
    bool FReadOnly = false;
    Char FPasswordChar{0};
    TEditCharCase FCharCase = ecNormal;
    bool FAutoSelect = true;
    bool FHideSelection = true;
    bool FNumbersOnly = false;
    TBorderStyle FBorderStyle = bsSingle;
    TAlignment FAlignment = taLeftJustify;
    String FTextHint;
    bool FModified = false;
    int FSelStart = 0, FSelLength = 0;
    bool FCreatingText = false; // the window is being filled: no OnChange
    bool FLastKnown = false;
    String FLastText; // the text the last change notification was about
};

class TEdit : public TCustomEdit {
    KVT_CLASS(TEdit, TCustomEdit)
public:
    using TCustomEdit::TCustomEdit;
};

// ---------------------------------------------------------------------------------------------
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TCustomMemo : public TCustomEdit {
    KVT_CLASS(TCustomMemo, TCustomEdit)
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;
    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* v) { FLines->Assign(v); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle v);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool v) { FWantReturns = v; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool v) { FWantTabs = v; }
    TPoint CaretPos();
    void SetCaretPos(const TPoint& p);
    void DefaultHandler(TMessage& Message) override;

protected:
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    bool IsMultiLine() const override { return true; }
    String GetText() const override;
    void SetTextCore(const String& v) override;
    QPlainTextEdit* TextEdit() const;

private:
    std::unique_ptr<TStrings> FLines;
    bool FWordWrap = true;
    TScrollStyle FScrollBars = ssNone;
    bool FWantReturns = true;
    bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
    KVT_CLASS(TMemo, TCustomMemo)
public:
    using TCustomMemo::TCustomMemo;
};

// ---------------------------------------------------------------------------------------------
class TButtonControl : public TWinControl {
    KVT_CLASS(TButtonControl, TWinControl)
public:
    explicit TButtonControl(TComponent* AOwner);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);

protected:
    // While set, state changes by code do not fire OnClick.
    bool ClicksDisabled() const { return FClicksDisabled; }
    void SetClicksDisabled(bool v) { FClicksDisabled = v; }
    virtual bool GetChecked() const { return false; }
    virtual void SetChecked(bool) {}
    QAbstractButton* Button() const;
    void CMTextChanged(TMessage& Message);
    bool FClicksDisabled = false;
    bool FWordWrap = false;
};

class TButton : public TButtonControl {
    KVT_CLASS(TButton, TButtonControl)
public:
    explicit TButton(TComponent* AOwner);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int v) { FModalResult = v; }
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool v) { FCancel = v; }
    void Click() override;
    void Dispatch(TMessage& Message) override;

protected:
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    void CreateParams(TCreateParams& Params) override;
    void CMDialogKey(TMessage& Message);
    void CMFocusChanged(TMessage& Message);
    void CNCommand(TMessage& Message);
    void WMGetDlgCode(TMessage& Message);
    int FModalResult = 0;
    bool FDefault = false;
    bool FCancel = false;
    bool FActive = false; // the button Enter presses now
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCustomCheckBox : public TButtonControl {
    KVT_CLASS(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* AOwner);
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState v);
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool v) override { SetState(v ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool v) { FAllowGrayed = v; }
    TLeftRight Alignment() const { return FAlignment; }
    void SetAlignment(TLeftRight v);
    void Dispatch(TMessage& Message) override;

protected:
    bool GetChecked() const override { return Checked(); }
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    virtual void Toggle();
    void CNCommand(TMessage& Message);
    void WMGetDlgCode(TMessage& Message);
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TLeftRight FAlignment = lrRightJustify;
};

class TCheckBox : public TCustomCheckBox {
    KVT_CLASS(TCheckBox, TCustomCheckBox)
public:
    using TCustomCheckBox::TCustomCheckBox;
};

class TRadioButton : public TButtonControl {
    KVT_CLASS(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* AOwner);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v) override;
    TLeftRight Alignment() const { return FAlignment; }
    void SetAlignment(TLeftRight v) { FAlignment = v; }
    void Dispatch(TMessage& Message) override;

protected:
    bool GetChecked() const override { return FChecked; }
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    void CNCommand(TMessage& Message);
    void WMGetDlgCode(TMessage& Message);
    bool FChecked = false;
    TLeftRight FAlignment = lrRightJustify;
};

// ---------------------------------------------------------------------------------------------
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TOwnerDrawStateItem {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odHotLight,
    odInactive,
    odNoAccel,
    odNoFocusRect,
    odReserved1,
    odReserved2,
    odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
using TDrawItemEvent = TEvent<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TEvent<void(TWinControl* Control, int Index, int& Height)>;

class TCustomComboBox : public TWinControl, public TCustomListControlItems::THost {
    KVT_CLASS(TCustomComboBox, TWinControl)
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle v);
    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* v) { FItems->Assign(v); }
    int ItemIndex() const { return FItemIndex; }
    // Out of range (or -1): no selection, no error; never fires OnChange.
    void SetItemIndex(int v);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int v);
    bool DroppedDown() const;
    void SetDroppedDown(bool v);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool v);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase v) { FCharCase = v; }
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int v) { FItemHeight = v; }
    bool AutoComplete() const { return FAutoComplete; }
    void SetAutoComplete(bool v) { FAutoComplete = v; }
    int SelStart();
    void SetSelStart(int v);
    int SelLength();
    void SetSelLength(int v);
    void SelectAll();
    void Clear();
    void AddItem(const String& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }
    TCanvas* Canvas() const { return FCanvas.get(); }

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

    // Widget notifications (the layer's combo box widget calls these).
    void UserSelected(int Index);
    void UserEdited(const String& Text);
    void DroppedDownChanged(bool Down);
    void DrawItemWith(QPainter* Painter, int Index, const TRect& Rect, TOwnerDrawState State);

protected:
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    void DestroyWnd() override;
    String GetText() const override;
    void SetTextCore(const String& v) override;
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    bool Editable() const { return FStyle == csDropDown || FStyle == csSimple; }
    QComboBox* Combo() const;
    void CNCommand(TMessage& Message);
    void WMGetDlgCode(TMessage& Message);

    void ItemsInserted(int Index) override;
    void ItemDeleted(int Index) override;
    void ItemChanged(int Index) override;
    void ItemsCleared() override;
    void ItemsUpdating(bool Updating) override;
    bool ItemsSorted() const override { return FSorted; }
    void SyncSelection();

    TComboBoxStyle FStyle = csDropDown;
    std::unique_ptr<TCustomListControlItems> FItems;
    std::unique_ptr<TControlCanvas> FCanvas;
    int FItemIndex = -1;
    int FDropDownCount = 8;
    bool FSorted = false;
    int FMaxLength = 0;
    TEditCharCase FCharCase = ecNormal;
    int FItemHeight = 16;
    bool FAutoComplete = true;
    int FSyncing = 0;
    int FUpdating = 0;
};

class TComboBox : public TCustomComboBox {
    KVT_CLASS(TComboBox, TCustomComboBox)
public:
    using TCustomComboBox::TCustomComboBox;
};

// ---------------------------------------------------------------------------------------------
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };
using TLBGetDataEvent = TEvent<void(TWinControl* Control, int Index, String& Data)>;
using TLBGetDataObjectEvent = TEvent<void(TWinControl* Control, int Index, TObject*& DataObject)>;

class TCustomListBox : public TWinControl, public TCustomListControlItems::THost {
    KVT_CLASS(TCustomListBox, TWinControl)
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* v) { FItems->Assign(v); }
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle v);
    int ItemIndex() const;
    // Out of range (or -1): no selection, no error.
    void SetItemIndex(int v);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int v);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool v);
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool v) { FExtendedSelect = v; }
    bool Selected(int Index) const;
    void SetSelected(int Index, bool v);
    int SelCount() const;
    int TopIndex() const;
    void SetTopIndex(int v);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool v);
    int Columns() const { return FColumns; }
    void SetColumns(int v) { FColumns = v; }
    bool IntegralHeight() const { return FIntegralHeight; }
    void SetIntegralHeight(bool v) { FIntegralHeight = v; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    // Count of a virtual list; the item count otherwise.
    int Count() const;
    void SetCount(int v);
    // The item at a client point; -1 when none (Existing) or Count (not Existing) below the last.
    int ItemAtPos(const TPoint& Pos, bool Existing);
    TRect ItemRect(int Index);
    void Clear();
    void ClearSelection();
    void SelectAll();
    void AddItem(const String& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }
    TCanvas* Canvas() const { return FCanvas.get(); }

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;
    TLBGetDataEvent OnData;
    TLBGetDataObjectEvent OnDataObject;

    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

    // Widget notifications
    void UserSelectionChanged();
    void DrawItemWith(QPainter* Painter, int Index, const TRect& Rect, TOwnerDrawState State);
    String ItemText(int Index);

protected:
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    void DestroyWnd() override;
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    virtual void MeasureItem(int Index, int& Height);
    QListWidget* List() const;
    bool IsVirtual() const { return FStyle == lbVirtual || FStyle == lbVirtualOwnerDraw; }
    bool IsOwnerDraw() const { return FStyle != lbStandard && FStyle != lbVirtual; }
    void CNCommand(TMessage& Message);
    void WMGetDlgCode(TMessage& Message);
    void RebuildWidget();

    void ItemsInserted(int Index) override;
    void ItemDeleted(int Index) override;
    void ItemChanged(int Index) override;
    void ItemsCleared() override;
    void ItemsUpdating(bool Updating) override;
    bool ItemsSorted() const override { return FSorted; }

    std::unique_ptr<TCustomListControlItems> FItems;
    std::unique_ptr<TControlCanvas> FCanvas;
    TListBoxStyle FStyle = lbStandard;
    int FItemIndex = -1;
    std::vector<bool> FSelected; // kept without a window
    int FItemHeight = 16;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    int FTopIndex = 0;
    bool FSorted = false;
    int FColumns = 0;
    bool FIntegralHeight = false;
    TBorderStyle FBorderStyle = bsSingle;
    int FCount = 0; // virtual lists
    int FSyncing = 0;
    int FUpdating = 0;
};

class TListBox : public TCustomListBox {
    KVT_CLASS(TListBox, TCustomListBox)
public:
    using TCustomListBox::TCustomListBox;
};

// ---------------------------------------------------------------------------------------------
class TCustomGroupBox : public TCustomControl {
    KVT_CLASS(TCustomGroupBox, TCustomControl)
public:
    explicit TCustomGroupBox(TComponent* AOwner);
    void Dispatch(TMessage& Message) override;

protected:
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
    KVT_CLASS(TGroupBox, TCustomGroupBox)
public:
    using TCustomGroupBox::TCustomGroupBox;
};

// ---------------------------------------------------------------------------------------------
enum TStaticBorderStyle { sbsNone, sbsSingle, sbsSunken };

class TCustomStaticText : public TWinControl {
    KVT_CLASS(TCustomStaticText, TWinControl)
public:
    explicit TCustomStaticText(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TStaticBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TStaticBorderStyle v);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool v);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* v) { FFocusControl = v; }
    void SetAutoSize(bool v) override;
    void Dispatch(TMessage& Message) override;

protected:
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    void CreateParams(TCreateParams& Params) override;
    void AdjustBounds();
    TAlignment FAlignment = taLeftJustify;
    TStaticBorderStyle FBorderStyle = sbsNone;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TStaticText : public TCustomStaticText {
    KVT_CLASS(TStaticText, TCustomStaticText)
public:
    using TCustomStaticText::TCustomStaticText;
};

// ---------------------------------------------------------------------------------------------
using TScrollEvent = TEvent<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;
using TScrollBarInc = int;

KVT_EXCEPTION(EScrollBarError, EInvalidOperation)

class TScrollBar : public TWinControl {
    KVT_CLASS(TScrollBar, TWinControl)
public:
    explicit TScrollBar(TComponent* AOwner);
    TScrollBarKind Kind() const { return FKind; }
    void SetKind(TScrollBarKind v);
    int Min() const { return FMin; }
    void SetMin(int v) { SetParams(FPosition, v, FMax); }
    int Max() const { return FMax; }
    void SetMax(int v) { SetParams(FPosition, FMin, v); }
    int Position() const { return FPosition; }
    void SetPosition(int v) { SetParams(v, FMin, FMax); }
    // A page larger than the range raises EInvalidOperation "Scroll bar property out of range".
    int PageSize() const { return FPageSize; }
    void SetPageSize(int v);
    TScrollBarInc SmallChange() const { return FSmallChange; }
    void SetSmallChange(TScrollBarInc v) { FSmallChange = v; }
    TScrollBarInc LargeChange() const { return FLargeChange; }
    void SetLargeChange(TScrollBarInc v) { FLargeChange = v; }
    // Raises EInvalidOperation "Scroll bar property out of range" when Max < Min or the position
    // lies outside Min..Max.
    void SetParams(int APosition, int AMin, int AMax);

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

    void Dispatch(TMessage& Message) override;

protected:
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    virtual void Change();
    virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);
    void DoScroll(TMessage& Message);
    void SyncWidget();
    TScrollBarKind FKind = sbHorizontal;
    int FMin = 0, FMax = 100, FPosition = 0, FPageSize = 0;
    TScrollBarInc FSmallChange = 1, FLargeChange = 1;
};
