#pragma once
// The tool controls every library control paints and drops down with: cell-text, image, colour,
// gradient and tree-glyph painters; drop-down placement on the monitor's work area; the shared
// edit-button painter with its bitmap cache; the edit buttons themselves; the popup list box,
// MRU list and special row; the size grip, popup calendar and popup menus.
//
// Painting is pixel-exact on the classic path (themes off); with themes the elements come from
// the application's QStyle through the style services.

#include "lib/toolscore/PlatformEh.h"
#include "lib/toolscore/ToolCtrlsEhTypes.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

#include <functional>
#include <memory>
#include <vector>

class TField;

// Private messages of the drop-down protocol.
constexpr UINT WM_USER_SIZEGRIPSIDE = WM_USER + 100; // 0x464: WParam = TSizeGripChangePosition
constexpr UINT WM_USER_CLOSEUP = WM_USER + 101;      // 0x465: a popup asks to be closed

// ---------------------------------------------------------------------------------------------
// Text

// The general cell-text painter: alignment, vertical layout, margins, word wrap and end ellipsis.
// FillRect fills Rect with the canvas brush first; otherwise the background is left alone and the
// brush is restored afterwards.
void PaintTextInRect(TCanvas* Canvas, const TRect& Rect, bool FillRect, int DX, int DY, const String& Text,
                     TAlignment Alignment, TTextLayout Layout, bool WordWrap, bool EndEllipsis, int LeftMarg,
                     int RightMarg, bool RightToLeftReading, bool SingleLine = true);
// One line of text with the background filled.
void PaintAlignedTextLine(TCanvas* Canvas, const TRect& Rect, int DX, int DY, const String& Text,
                          TAlignment Alignment);
// Text rotated by 90 degrees (reading upwards); answers its extent along its direction. With
// MeasureOnly nothing is drawn.
int PaintVerticalText(TCanvas* Canvas, const TRect& Rect, bool FillRect, int DX, int DY, const String& Text,
                      TAlignment Alignment, TTextLayout Layout, bool Reserved, bool MeasureOnly);
// Repaints every (overlapping) occurrence of SearchText in CellText over HighlightColor, where the
// cell painter put it.
void HighlightTextMatches(TCanvas* Canvas, const TRect& Rect, int DX, int DY, const String& CellText,
                          TAlignment Alignment, bool CenterVertically, bool WordWrap,
                          const String& SearchText, bool CaseInsensitive, TColor HighlightColor);
// 0 left-to-right, 1 right-to-left (or an Arabic digit), Default for neutral characters; 0 when empty.
int TextReadingDirection(const String& Text, int Default);

// Narrows the canvas clip to Rect; answers the previous clip region (nullptr when unclipped).
HRGN BeginClipToRect(TCanvas* Canvas, const TRect& Rect);
// Restores (nullptr: removes) the clip saved by BeginClipToRect and frees the region.
void EndClipToRect(TCanvas* Canvas, HRGN SavedRegion);

// ---------------------------------------------------------------------------------------------
// Images
// Image ImageIndex of Images (or Bitmap when Images is nil) aligned in ARect plus DX, centred
// vertically; nothing when ARect misses VisibleRect; clipped to ARect when larger.
void PaintImageInRect(TCustomImageList* Images, TBitmap* Bitmap, TCanvas* Canvas, const TRect& ARect,
                      int ImageIndex, int DX, TAlignment Alignment, const TRect& VisibleRect);
// An image centred in Rect (clipped to it when larger), blended 50 % with the highlight colour when
// Selected.
void PaintImageCentred(HDC DC, const TRect& Rect, TCustomImageList* Images, int ImageIndex, bool Selected);

// ---------------------------------------------------------------------------------------------
// Colours (RGB results, channels clamped to 0..255)
TColor InterpolateColor(TColor Color1, TColor Color2, double Weight); // Weight 0..255
TColor MixColorsPercent(TColor Color1, TColor Color2, int Percent);
int ColorLuminance(TColor Color);
TColor ColorToGray(TColor Color);
TColor DarkerColor(TColor Color1, TColor Color2);
void PaintVerticalGradient(TCanvas* Canvas, const TRect& Rect, TColor TopColor, TColor BottomColor);
// Points holds (start, end) pairs relative to Origin; the pen steps from FromColor to ToColor.
void PaintGradientLines(TCanvas* Canvas, const TPoint& Origin, const std::vector<TPoint>& Points,
                        TColor FromColor, TColor ToColor);

// ---------------------------------------------------------------------------------------------
// Small routines
inline int ChooseInt(bool Flag, int A, int B) {
    return Flag ? A : B;
}
inline void SwapInts(int& A, int& B) {
    std::swap(A, B);
}
// All four edges count as inside.
inline bool IsPointWithinRect(const TPoint& P, const TRect& R) {
    return R.Left <= P.X && P.X <= R.Right && R.Top <= P.Y && P.Y <= R.Bottom;
}
// Options bit 1 (value 2): compare prefixes of Text's length.
int FindStringIndex(TStrings* Strings, const String& Text, int Options);
bool CanModifyAllFields(const std::vector<TField*>& Fields);
TShiftState CurrentShiftKeys();
bool IsNumericFieldKind(TFieldType FieldType);
int ButtonHeightForWidth(int Width, bool Flat);
bool IsDoubleClickPair(const TPoint& P1, const TPoint& P2, int Elapsed);
// Swallow the waiting left click that closed a drop-down, so that it does not also act on
// Control. True when one was removed from the queue.
bool TakePendingClickInside(TControl* Control);
bool TakePendingClickOnControl(TControl* Control);
bool CustomStyleInUse();

// ---------------------------------------------------------------------------------------------
// Drop-down placement on the work area of the monitor nearest the anchor. The drop-down receives
// WM_USER_SIZEGRIPSIDE twice (vertical side, then horizontal side); its height and width may be
// cut to fit. Moving and showing it is the caller's business.
void PlaceDropDownNearRect(const TRect& ScreenRect, TWinControl* DropDown, TDropDownAlign Align, TPoint& Pos);
void PlaceDropDownUnderControl(TControl* Control, TWinControl* DropDown, TDropDownAlign Align, TPoint& Pos);

// ---------------------------------------------------------------------------------------------
// Tree outline glyphs: kinds 0..3 expanded, 4..7 collapsed (3 and 7 without connectors), 8..11
// connector lines only. DotPhase keeps the dots of neighbouring cells in line.
void PaintTreeNodeGlyph(TCanvas* Canvas, const TRect& Rect, int Kind, bool DotPhase, double ScaleX,
                        double ScaleY, bool ShiftBox, bool UseSystemColors, TTreeViewGlyphStyleEh GlyphStyle);

// ---------------------------------------------------------------------------------------------
// Graphic providers: who reads a picture stream that starts with given bytes.
class TGraphicProviderEh : public TPersistent {
    KVT_CLASS(TGraphicProviderEh, TPersistent)
public:
    virtual TGraphicClass GetImageClassForStream(const uint8_t* Start, int Count) const;
};
class TBMPGraphicProviderEh : public TGraphicProviderEh {
    KVT_CLASS(TBMPGraphicProviderEh, TGraphicProviderEh)
public:
    TGraphicClass GetImageClassForStream(const uint8_t* Start, int Count) const override;
};
// Providers are singletons kept newest first; registering one twice does nothing.
void RegisterGraphicProvider(const TGraphicProviderEh* Provider);
TGraphicClass GraphicClassForStream(const uint8_t* Start, int Count);
int GraphicProviderCount();

// ---------------------------------------------------------------------------------------------
// Edit-button painter and its bitmap cache

struct TButtonBitmapInfoEh {
    TPoint Size;
    TDrawButtonControlStyleEh BitmapType = bcsDropDownEh;
    bool Flat = false;
    bool Pressed = false;
    bool Active = false;
    bool Enabled = true;
    bool DownDirect = false;
    TCheckBoxState CheckState = cbUnchecked;
    friend bool operator==(const TButtonBitmapInfoEh&, const TButtonBitmapInfoEh&) = default;
};

class TButtonBitmapInfoBitmapEh : public TObject {
    KVT_CLASS(TButtonBitmapInfoBitmapEh, TObject)
public:
    TButtonBitmapInfoEh BitmapInfo;
    std::unique_ptr<TBitmap> Bitmap;
};

// One rendered bitmap per distinct look; grids paint the same button in every row.
class TButtonsBitmapCache : public TObject {
    KVT_CLASS(TButtonsBitmapCache, TObject)
public:
    // The cached bitmap for a key (negative sizes count as 0), rendered on first request. The
    // bitmap stays the cache's.
    TBitmap* GetButtonBitmap(TButtonBitmapInfoEh Info);
    TButtonBitmapInfoBitmapEh* Get(int Index) const { return FItems.at(size_t(Index)).get(); }
    int Count() const { return int(FItems.size()); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TButtonBitmapInfoBitmapEh>> FItems;
};
TButtonsBitmapCache& ButtonsBitmapCache();
void ResetButtonBitmapCache();
// On from the start; nothing in the library turns it off (tests compare both ways).
extern bool ButtonBitmapCacheEnabled;

// DownButton: 0 nothing pressed, 1 the button or the upper spin half, 2 the lower spin half.
void DrawStyledButton(TCanvas* Canvas, const TRect& Rect, TColor BorderColor, TDrawButtonControlStyleEh Style,
                      int DownButton, bool Flat, bool Active, bool Enabled, TCheckBoxState CheckState);
// A button face; Rect shrinks to the area inside its frame.
void PaintButtonBackground(TCanvas* Canvas, TRect& Rect, TColor Color, bool Enabled, bool Active, bool Flat,
                           bool Pressed);
// HorzAlign 0 left, 1 right, 2 centre; VertAlign 0 top, 1 centre, 2 bottom.
void AlignCheckBoxRect(const TRect& Rect, int HorzAlign, int VertAlign, TRect& GlyphRect);
int DefaultEditButtonWidth();
// The check-box glyph size (from the system check-box bitmap).
TSize CheckBoxSize();
// The width of a flat edit button for the screen font (DefaultEditButtonWidth at start-up).
int FlatEditButtonWidth();
TDrawButtonControlStyleEh EditButtonStyleToDrawButtonStyle(TEditButtonStyleEh Style);

// ---------------------------------------------------------------------------------------------
// Edit buttons

class TEditButtonEh;
class TEditButtonImagesEh;

// The visible button of an editor or cell editor.
class TEditButtonControlEh : public TSpeedButton {
    KVT_CLASS(TEditButtonControlEh, TSpeedButton)
public:
    explicit TEditButtonControlEh(TComponent* AOwner);
    ~TEditButtonControlEh() override;

    bool Active() const { return FActive; }
    void SetActive(bool Value) { WriteActive(Value); }
    bool AlwaysDown() const { return FAlwaysDown; }
    void SetAlwaysDown(bool Value) { WriteAlwaysDown(Value); }
    int ButtonNum() const { return FButtonNum; }
    TEditButtonStyleEh Style() const { return FStyle; }
    void SetStyle(TEditButtonStyleEh Value) { WriteStyle(Value); }
    TEditButtonImagesEh* EditButtonImages() const { return FEditButtonImages; }
    void SetEditButtonImages(TEditButtonImagesEh* Value);

    TButtonDownEventEh OnDown;
    TNotifyEvent OnPaint;

    virtual TEditButtonStateEh GetState();
    virtual void DrawImages(const TRect& ARect);
    void EditButtonDown(bool TopButton, bool& AutoRepeat);
    void DefaultPaint();
    void SetState(TButtonState NewState, bool IsActive, int ButtonNum);
    void SetWidthNoNotify(int AWidth);
    void Click() override;
    // The auto-repeat timer (nullptr until the first repeat); tests drive its ticks.
    TTimer* RepeatTimer() const { return FTimer; }
    void TimerTick();

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WriteActive(bool Value);
    void WriteAlwaysDown(bool Value);
    void WriteStyle(TEditButtonStyleEh Value);
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void UpdateDownButtonNum(int X, int Y);
    void ResetTimer(Cardinal Interval);
    void OnTimer(TObject* Sender);
    bool IsSpin() const { return FStyle == ebsUpDownEh || FStyle == ebsAltUpDownEh; }

    bool FActive = false;
    bool FAlwaysDown = false;
    int FButtonNum = 0;
    bool FNoDoClick = false;
    TEditButtonStyleEh FStyle = ebsDropDownEh;
    TTimer* FTimer = nullptr;
    TEditButtonImagesEh* FEditButtonImages = nullptr;
};

// The speed button of calculator keys and of drop-down forms' close buttons.
class TSpeedButtonEh : public TEditButtonControlEh {
    KVT_CLASS(TSpeedButtonEh, TEditButtonControlEh)
public:
    using TEditButtonControlEh::TEditButtonControlEh;
};

// How a button opens a drop-down form (the editor's use of it lives with the editor).
class TDropDownFormCallParamsEh : public TPersistent {
    KVT_CLASS(TDropDownFormCallParamsEh, TPersistent)
public:
    TDropDownFormCallParamsEh() = default;
    void Assign(TPersistent* Source) override;

    TCustomForm* DropDownForm() const { return FDropDownForm; }
    void SetDropDownForm(TCustomForm* Value);
    String DropDownFormClassName() const { return FDropDownFormClassName; }
    void SetDropDownFormClassName(const String& Value);
    TDropDownAlign Align() const { return FAlign; }
    void SetAlign(TDropDownAlign Value) { FAlign = Value; }
    TDropDownPassParamsEh PassParams() const { return FPassParams; }
    void SetPassParams(TDropDownPassParamsEh Value) { FPassParams = Value; }
    String PassFieldNames() const { return FPassFieldNames; }
    void SetPassFieldNames(const String& Value) { FPassFieldNames = Value; }
    String AssignBackFieldNames() const { return FAssignBackFieldNames; }
    void SetAssignBackFieldNames(const String& Value) { FAssignBackFieldNames = Value; }
    int FormWidth() const { return FFormWidth; }
    void SetFormWidth(int Value) { FFormWidth = Value; }
    int FormHeight() const { return FFormHeight; }
    void SetFormHeight(int Value) { FFormHeight = Value; }
    bool SaveFormSize() const { return FSaveFormSize; }
    void SetSaveFormSize(bool Value) { FSaveFormSize = Value; }

    // The size the form had before the editor applied FormWidth and FormHeight (0 or less: not
    // known); put back when the form closes.
    int OldFormWidth() const { return FOldFormWidth; }
    void SetOldFormWidth(int Value) { FOldFormWidth = Value; }
    int OldFormHeight() const { return FOldFormHeight; }
    void SetOldFormHeight(int Value) { FOldFormHeight = Value; }
    int FOldFormWidth = -1;
    int FOldFormHeight = -1;
    TNotifyEvent OnChanged;

private:
    TCustomForm* FDropDownForm = nullptr;
    String FDropDownFormClassName;
    TDropDownAlign FAlign = daCenter;
    TDropDownPassParamsEh FPassParams = pspFieldValueEh;
    String FPassFieldNames;
    String FAssignBackFieldNames;
    int FFormWidth = -1;
    int FFormHeight = -1;
    bool FSaveFormSize = true;
};

// Per-state images of a glyph button; the image lists are referenced, not owned.
class TEditButtonImagesEh : public TPersistent {
    KVT_CLASS(TEditButtonImagesEh, TPersistent)
public:
    explicit TEditButtonImagesEh(TEditButtonEh* Owner) : FOwner(Owner) {}
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override;

    TCustomImageList* GetStateImages(TEditButtonStateEh State) const;
    int GetStateIndex(TEditButtonStateEh State) const;

    TCustomImageList* NormalImages() const { return FNormalImages; }
    void SetNormalImages(TCustomImageList* Value) { SetList(FNormalImages, Value); }
    TCustomImageList* HotImages() const { return FHotImages; }
    void SetHotImages(TCustomImageList* Value) { SetList(FHotImages, Value); }
    TCustomImageList* PressedImages() const { return FPressedImages; }
    void SetPressedImages(TCustomImageList* Value) { SetList(FPressedImages, Value); }
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TCustomImageList* Value) { SetList(FDisabledImages, Value); }
    int NormalIndex() const { return FNormalIndex; }
    void SetNormalIndex(int Value) { SetIndex(FNormalIndex, Value); }
    int HotIndex() const { return FHotIndex; }
    void SetHotIndex(int Value) { SetIndex(FHotIndex, Value); }
    int PressedIndex() const { return FPressedIndex; }
    void SetPressedIndex(int Value) { SetIndex(FPressedIndex, Value); }
    int DisabledIndex() const { return FDisabledIndex; }
    void SetDisabledIndex(int Value) { SetIndex(FDisabledIndex, Value); }
    // A referenced list is being freed: forget it.
    void ListFreed(TComponent* List);

private:
    void SetList(TCustomImageList*& Field, TCustomImageList* Value);
    void SetIndex(int& Field, int Value);
    TEditButtonEh* FOwner;
    TCustomImageList* FNormalImages = nullptr;
    TCustomImageList* FHotImages = nullptr;
    TCustomImageList* FPressedImages = nullptr;
    TCustomImageList* FDisabledImages = nullptr;
    int FNormalIndex = 0;
    int FHotIndex = 0;
    int FPressedIndex = 0;
    int FDisabledIndex = 0;
};

class TEditButtonActionLinkEh : public TActionLink {
    KVT_CLASS(TEditButtonActionLinkEh, TActionLink)
public:
    explicit TEditButtonActionLinkEh(TObject* AClient) : TActionLink(AClient) { AssignClient(AClient); }
    bool IsEnabledLinked() override;
    bool IsHintLinked() override;
    bool IsShortCutLinked() override;
    bool IsVisibleLinked() override;
    void SetEnabled(bool Value) override;
    void SetHint(const String& Value) override;
    void SetShortCut(TShortCut Value) override;
    void SetVisible(bool Value) override;

protected:
    void AssignClient(TObject* AClient) override;
    TEditButtonEh* FClient = nullptr;
};

// The settings of one edit button: an editor's main button (stand-alone) or an item of a
// TEditButtonsEh collection.
class TEditButtonEh : public TCollectionItem {
    KVT_CLASS(TEditButtonEh, TCollectionItem)
public:
    // Stand-alone, for an editor's main button.
    explicit TEditButtonEh(TWinControl* EditControl);
    // Collection item (the collection's update brackets the construction).
    explicit TEditButtonEh(TCollection* Collection);
    ~TEditButtonEh() override;
    void Assign(TPersistent* Source) override;

    virtual TEditButtonControlEh* CreateButtonControl();
    virtual void Click(TObject* Sender, bool& Handled);
    virtual void InitiateAction();

    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* Value) { FDropdownMenu = Value; }
    TDropDownFormCallParamsEh* DropDownFormParams() const { return FDropDownFormParams.get(); }
    void SetDropDownFormParams(TDropDownFormCallParamsEh* Value) { FDropDownFormParams->Assign(Value); }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    String Hint() const { return FHint; }
    void SetHint(const String& Value);
    TEditButtonImagesEh* Images() const { return FImages.get(); }
    void SetImages(TEditButtonImagesEh* Value) { FImages->Assign(Value); }
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value) { FShortCut = Value; }
    TEditButtonStyleEh Style() const { return FStyle; }
    void SetStyle(TEditButtonStyleEh Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    TWinControl* EditControl() const { return FEditControl; }

    TButtonClickEventEh OnClick;
    TButtonDownEventEh OnDown;
    // Set by the owner: called on every change instead of the collection notification.
    TNotifyEvent FOnChanged;
    // Set by the owner: called when an image list reference changes.
    TRefComponentNotifyEventEh FOnRefComponentChanged;

    // Whether a property is stored (not while an action supplies it, nor at its default).
    bool IsEnabledStored() const;
    bool IsHintStored() const;
    bool IsShortCutStored() const;
    bool IsVisibleStored() const;

    // Called by the images when a list reference changes.
    void RefComponentChanged(TComponent* RefComponent);
    void EditButtonChanged();

    // The stored defaults of ShortCut and Visible (the Alt+Down buttons change them).
    virtual TShortCut DefaultShortCut() const { return 0; }
    virtual bool DefaultVisible() const { return false; }

protected:
    virtual const TClassInfo* GetActionLinkClass() const {
        return &TEditButtonActionLinkEh::StaticClassInfo();
    }
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    void InitDefaults();
    void DoActionChange(TObject* Sender);

    std::unique_ptr<TEditButtonActionLinkEh> FActionLink;
    std::unique_ptr<TDropDownFormCallParamsEh> FDropDownFormParams;
    TPopupMenu* FDropdownMenu = nullptr;
    TWinControl* FEditControl = nullptr;
    bool FEnabled = true;
    std::unique_ptr<TBitmap> FGlyph;
    String FHint;
    std::unique_ptr<TEditButtonImagesEh> FImages;
    int FNumGlyphs = 1;
    TShortCut FShortCut = 0;
    TEditButtonStyleEh FStyle = ebsDropDownEh;
    bool FVisible = false;
    int FWidth = 0;

    friend class TEditButtonActionLinkEh;
};

// Alt+Down opens it.
class TDropDownEditButtonEh : public TEditButtonEh {
    KVT_CLASS(TDropDownEditButtonEh, TEditButtonEh)
public:
    explicit TDropDownEditButtonEh(TWinControl* EditControl);
    explicit TDropDownEditButtonEh(TCollection* Collection);
    TShortCut DefaultShortCut() const override { return 32808; }
};

// Alt+Down opens it, and it is shown by default.
class TVisibleEditButtonEh : public TEditButtonEh {
    KVT_CLASS(TVisibleEditButtonEh, TEditButtonEh)
public:
    explicit TVisibleEditButtonEh(TWinControl* EditControl);
    explicit TVisibleEditButtonEh(TCollection* Collection);
    TShortCut DefaultShortCut() const override { return 32808; }
    bool DefaultVisible() const override { return true; }
};

// The additional buttons of an editor or column.
class TEditButtonsEh : public TCollection {
    KVT_CLASS(TEditButtonsEh, TCollection)
public:
    TEditButtonsEh(TPersistent* Owner, TCollectionItemClass EditButtonClass);
    TEditButtonEh* Add() { return static_cast<TEditButtonEh*>(TCollection::Add()); }
    TEditButtonEh* Items(int Index) const { return GetEditButton(Index); }
    TEditButtonEh* GetEditButton(int Index) const {
        return static_cast<TEditButtonEh*>(TCollection::Items(Index));
    }
    void SetEditButton(int Index, TEditButtonEh* Value) { TCollection::SetItems(Index, Value); }
    TPersistent* GetOwner() override { return FOwner; }
    void Update(TCollectionItem* Item) override;

    TNotifyEvent OnChanged;
    TRefComponentNotifyEventEh OnRefComponentChanged;

private:
    TPersistent* FOwner;
};

// ---------------------------------------------------------------------------------------------
// Closing popups from outside

// While a popup shows, a press of a mouse button on any window outside it and outside Anchor (its
// editor, which handles its own clicks), or the application losing activation, calls OnOutside.
// The click itself goes on to the window it was meant for: it is neither eaten nor repeated.
class TPopupWatchEh {
public:
    TPopupWatchEh(TWinControl* Popup, TControl* Anchor, std::function<void()> OnOutside);
    ~TPopupWatchEh();
    TPopupWatchEh(const TPopupWatchEh&) = delete;
    TPopupWatchEh& operator=(const TPopupWatchEh&) = delete;

private:
    struct TFilter;
    std::unique_ptr<TFilter> FFilter;
};

// ---------------------------------------------------------------------------------------------
// Size grip

class TSizeGripEh : public TCustomControl {
    KVT_CLASS(TSizeGripEh, TCustomControl)
public:
    explicit TSizeGripEh(TComponent* AOwner);

    void UpdatePosition();
    void ChangePosition(TSizeGripChangePosition NewPosition);
    void UpdateWindowRegion();
    // The three corners of the triangular window for the current position and size.
    std::vector<TPoint> TrianglePoints() const;

    TSizeGripPostion Position() const { return FPosition; }
    void SetPosition(TSizeGripPostion Value);
    bool TriangleWindow() const { return FTriangleWindow; }
    void SetTriangleWindow(bool Value);
    TWinControl* HostControl() const { return FHostControl ? FHostControl : Parent(); }
    void SetHostControl(TWinControl* Value) { FHostControl = Value; }
    TNotifyEvent OnParentResized;

    // Drags the grip by (DX, DY) screen pixels from a press, as the mouse would.
    void DragBy(int DX, int DY);

protected:
    virtual void ParentResized();
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void CreateWnd() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

private:
    void BeginDrag(const TPoint& ScreenPos);
    void DragTo(const TPoint& ScreenPos);
    TPoint FInitScreenMousePos;
    bool FInternalMove = false;
    TPoint FOldMouseMovePos{-1, -1};
    TRect FParentRect;
    TSizeGripPostion FPosition = sgpBottomRight;
    bool FTriangleWindow = true;
    TWinControl* FHostControl = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Popup calendar: closes through its owner's IComboEditEh (Enter/a click on a day accept,
// Escape/a click elsewhere cancel). It never takes the focus from its editor.
class TPopupMonthCalendarEh : public TMonthCalendar {
    KVT_CLASS(TPopupMonthCalendarEh, TMonthCalendar)
public:
    explicit TPopupMonthCalendarEh(TComponent* AOwner);
    ~TPopupMonthCalendarEh() override;
    bool CanFocus() override { return false; }
    virtual void PaintBorder();
    void Click() override;
    void Dispatch(TMessage& Message) override;
    // The calendar's own size plus the frame on every side.
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    IComboEditEh* ComboEdit() const;
    // The context PaintBorder draws on while the border is painted (nullptr otherwise).
    HDC BorderDC() const { return FBorderDC; }

private:
    friend class TCalendarBorderWidget;
    void CloseUp(bool Accept);
    int FBorderWidth = 0;
    HDC FBorderDC = nullptr;
    std::unique_ptr<TPopupWatchEh> FWatch;
};

// ---------------------------------------------------------------------------------------------
// Popup list box, its row objects, the MRU list and the special row

class TPopupListboxEh;

// A row's behaviour object (the row's object in Items or ExtItems, with UseItemObjects).
class TPopupListboxItemEh : public TObject {
    KVT_CLASS(TPopupListboxItemEh, TObject)
public:
    virtual bool IsSelectable(TPopupListboxEh* Sender, int ItemIndex);
    virtual void DrawItem(TPopupListboxEh* Sender, int ItemIndex, const TRect& ARect, TOwnerDrawState State);
    virtual void HandleMouseDown(TPopupListboxEh* Sender, int ItemIndex, TPoint MousePos, TMouseButton Button,
                                 TShiftState Shift);
    virtual void HandleMouseMove(TPopupListboxEh* Sender, int ItemIndex, TPoint MousePos, TShiftState Shift);
    virtual void HandleMouseUp(TPopupListboxEh* Sender, int ItemIndex, TPoint MousePos, TMouseButton Button,
                               TShiftState Shift, bool& IsCloseListbox);
    virtual void HandleKey(TPopupListboxEh* Sender, int ItemIndex, Char& Key, TShiftState Shift,
                           bool& IsCloseListbox);
    virtual bool CloseOnExecute(TPopupListboxEh* Sender, int ItemIndex);
    virtual void Execute(TPopupListboxEh* Sender, int ItemIndex, TPoint InItemPos, TShiftState Shift);
};

// A borderless top-level list that never takes the focus: the editor keeps it and forwards keys.
class TPopupListboxEh : public TCustomListBox {
    KVT_CLASS(TPopupListboxEh, TCustomListBox)
public:
    explicit TPopupListboxEh(TComponent* AOwner);
    ~TPopupListboxEh() override;

    bool CanFocus() override { return false; }
    int GetTextHeight();
    void InvalidateIndex(int Index);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    TCustomImageList* ImageList() const { return FImageList; }
    void SetImageList(TCustomImageList* Value) { FImageList = Value; }
    TStrings* ExtItems() const { return FExtItems; }
    void SetExtItems(TStrings* Value);
    bool UseItemObjects() const { return FUseItemObjects; }
    void SetUseItemObjects(bool Value) { FUseItemObjects = Value; }
    bool IsMouseUpCloseListbox() const { return FIsMouseUpCloseListbox; }
    void SetIsMouseUpCloseListbox(bool Value) { FIsMouseUpCloseListbox = Value; }
    TSizeGripEh* SizeGrip() const { return FSizeGrip; }
    String SearchText() const { return FSearchText; }
    int MouseIndex() const { return FMouseIndex; }

    virtual void PaintBorder();
    virtual void ItemText(TWinControl* Control, int Index, String& Data);
    virtual void ExtItemObject(TWinControl* Control, int Index, TObject*& DataObject);
    virtual void DefaultDrawItem(int Index, const TRect& ARect, TOwnerDrawState State);

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Dispatch(TMessage& Message) override;
    // The non-client height: the frame of the window's styles plus the painted border.
    int NonClientHeight();

    // The size grip moved or the user resized: the owner reads and resets it.
    bool FSizeGripResized = false;
    TListGetImageIndexEventEh OnGetImageIndex;
    // Incremental search restarts after this many milliseconds (tests shorten the wait).
    static uint32_t (*TickCount)();

protected:
    void CreateParams(TCreateParams& Params) override;
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void CreateWnd() override;
    void InitWidget() override;
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
    void KeyPress(Char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    TPopupListboxItemEh* ItemObject(int Index);

    int FBorderWidth = 0;
    TCustomImageList* FImageList = nullptr;
    TPoint FMousePos{-1, -1};
    int FRowCount = 0;
    String FSearchText;
    uint32_t FSearchTickCount = 0;
    TSizeGripEh* FSizeGrip = nullptr;
    TStrings* FExtItems = nullptr;
    int FMouseIndex = -1;
    bool FUseItemObjects = false;
    bool FIsMouseUpCloseListbox = false;
    std::unique_ptr<TPopupWatchEh> FWatch;
};

class TMRUListEh : public TPersistent {
    KVT_CLASS(TMRUListEh, TPersistent)
public:
    explicit TMRUListEh(TPersistent* AOwner);
    ~TMRUListEh() override;
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override { return FOwner; }

    void Add(const String& S);
    // Fills FilteredItems with the entries that start with MaskText; false when it gave way to
    // typing (a key press waiting in the queue), true when the pass completed.
    bool FilterItemsTo(TStrings* FilteredItems, const String& MaskText);
    virtual void CloseUp(bool Accept);
    virtual void DropDown();

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    bool AutoAdd() const { return FAutoAdd; }
    void SetAutoAdd(bool Value) { FAutoAdd = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value);
    int Limit() const { return FLimit; }
    // A negative limit counts as 0.
    void SetLimit(int Value);
    int Rows() const { return FRows; }
    void SetRows(int Value) { FRows = Value; }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value; }
    bool DroppedDown() const { return FDroppedDown; }
    void SetDroppedDown(bool Value) { FDroppedDown = Value; }
    bool CancelIfKeyInQueue() const { return FCancelIfKeyInQueue; }
    void SetCancelIfKeyInQueue(bool Value) { FCancelIfKeyInQueue = Value; }

    TNotifyEvent OnActiveChanged;
    TFilterMRUItemEventEh OnFilterItem;
    TSetCloseUpEventEh OnSetCloseUpEvent;
    TSetDropDownEventEh OnSetDropDown;

private:
    void Trim();
    bool FActive = false;
    bool FAutoAdd = true;
    bool FCaseSensitive = false;
    std::unique_ptr<TStringList> FItems;
    int FLimit = 100;
    TPersistent* FOwner;
    int FRows = 7;
    int FWidth = 0;
    bool FCancelIfKeyInQueue = true;
    bool FDroppedDown = false;
};

// The drop-down of an MRU list.
class TMRUListboxEh : public TPopupListboxEh {
    KVT_CLASS(TMRUListboxEh, TPopupListboxEh)
public:
    explicit TMRUListboxEh(TComponent* AOwner);
    void UpdateScrollBar();
    TScrollBar* ScrollBar() const { return FScrollBar; }
    void Dispatch(TMessage& Message) override;

private:
    TScrollBar* FScrollBar = nullptr;
    bool FScrollBarLockMove = false;
};

// The special first row of lookup lists.
class TSpecRowEh : public TPersistent {
    KVT_CLASS(TSpecRowEh, TPersistent)
public:
    explicit TSpecRowEh(TPersistent* Owner);
    ~TSpecRowEh() override;
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override { return FOwner; }

    String GetCellText(int Index) const;
    bool LocateKey(const Variant& KeyValue) const;
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    TFont* DefaultFont() const;
    TColor DefaultColor() const;

    String CellsText() const { return FCellsText; }
    void SetCellsText(const String& Value);
    int CellCount() const { return FCellsStrings->Count(); }
    TColor Color() const { return FColorAssigned ? FColor : DefaultColor(); }
    void SetColor(TColor Value);
    TFont* Font();
    void SetFont(TFont* Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value) { FShortCut = Value; }
    bool ShowIfNotInKeyList() const { return FShowIfNotInKeyList; }
    void SetShowIfNotInKeyList(bool Value);
    Variant Value() const { return FValue; }
    void SetValue(const Variant& Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool Selected() const { return FSelected; }
    void SetSelected(bool Value) { FSelected = Value; }
    bool ColorAssigned() const { return FColorAssigned; }
    bool FontAssigned() const { return FFontAssigned; }

    TNotifyEvent OnChanged;

private:
    void Changed();
    void FontChanged(TObject*);
    std::unique_ptr<TStringList> FCellsStrings;
    String FCellsText;
    TColor FColor = clWindow;
    std::unique_ptr<TFont> FFont;
    TPersistent* FOwner;
    bool FSelected = false;
    TShortCut FShortCut = 32814;
    bool FShowIfNotInKeyList = true;
    int FUpdateCount = 0;
    Variant FValue = Variant::FromNull();
    bool FVisible = false;
    bool FColorAssigned = false;
    bool FFontAssigned = false;
    bool FFontUpdating = false;
};

// ---------------------------------------------------------------------------------------------
// Popup menus whose items can run without closing the menu

// A menu item that, with CloseMenuOnClick false, runs its click and leaves its menu open.
class TMenuItemEh : public TMenuItem {
    KVT_CLASS(TMenuItemEh, TMenuItem)
public:
    explicit TMenuItemEh(TComponent* AOwner) : TMenuItem(AOwner) {}
};

class TPopupMenuEh : public TPopupMenu {
    KVT_CLASS(TPopupMenuEh, TPopupMenu)
public:
    explicit TPopupMenuEh(TComponent* AOwner);
    ~TPopupMenuEh() override;
    void Popup(int X, int Y) override;
    // Builds the items into Menu and watches it (and its sub-menus) for clicks and Enter on items
    // that keep the menu open. Chosen receives the item that closed the menu.
    void BuildMenu(QMenu* Menu, TMenuItem** Chosen);
};

// The menus watched by the library (the registered TPopupMenuEh instances).
class TPopupListEh : public TObject {
    KVT_CLASS(TPopupListEh, TObject)
public:
    void Add(TPopupMenuEh* Menu);
    void Remove(TPopupMenuEh* Menu);
    int Count() const { return int(FMenus.size()); }
    // The first registered menu with an item of that command.
    TMenuItem* FindItem(Word Command) const;
    // Runs an item that keeps its menu open; false when the item closes it (or is no TMenuItemEh).
    static bool RunWithoutClosing(TMenuItem* Item);

private:
    std::vector<TPopupMenuEh*> FMenus;
};
TPopupListEh& PopupListEh();
