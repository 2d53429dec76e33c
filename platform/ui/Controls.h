#pragma once
// Controls: TControl, TWinControl, TCustomControl, TGraphicControl and their support types.
//
// Each TWinControl owns one Qt widget, its window ("handle"), created on demand (HandleNeeded ->
// CreateHandle -> CreateParams/CreateWnd -> CreateWidget). Messages reach a control through
// WindowProc (replaceable, comparable) -> WndProc -> Dispatch -> the class's handlers ->
// DefaultHandler. A class handles messages by overriding Dispatch with a switch and passing the
// rest to its parent class's Dispatch; "inherited" inside a handler is Parent::Dispatch(Message),
// which reaches the nearest ancestor handler for that message or DefaultHandler. DefaultHandler
// gives an input message's original Qt event to the wrapped Qt widget, where there is one.
//
// TGraphicControl has no window: its parent paints it and routes mouse messages to it.

#include "platform/classes/Classes.h"
#include "platform/rtl/System.h"
#include "platform/ui/Gestures.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Types.h"

#include <memory>
#include <vector>

class QWidget;
class QEvent;
class QPainter;

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;
class TCustomImageList;
class TDragObject;

// ---------------------------------------------------------------------------------------------
// Shared enumerations
enum TShiftStateItem {
    ssShift,
    ssAlt,
    ssCtrl,
    ssLeft,
    ssRight,
    ssMiddle,
    ssDouble,
    ssTouch,
    ssPen,
    ssCommand
};
using TShiftState = TSet<TShiftStateItem>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TLeftRight { lrLeftJustify = 0, lrRightJustify = 1 };
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
using TAlignSet = TSet<TAlign>;
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

enum TControlStyleItem {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
    csNeedsBorderPaint,
    csParentBackground,
    csPannable,
    csAlignWithMargins,
    csGestures,
    csPaintBlackOpaqueOnGlass,
    csOverrideStylePaint
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking,
    csDesignerHide,
    csPanning,
    csRecreating,
    csAligning,
    csGlassPaint,
    csPrintClient
};
using TControlState = TSet<TControlStateItem>;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle; // controls use bsNone and bsSingle

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelEdge { beLeft, beTop, beRight, beBottom };
using TBevelEdges = TSet<TBevelEdge>;
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
using TBevelWidth = int;
using TBorderWidth = int;

enum TImeMode {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel
};
using TImeName = String;

enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

enum TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};
enum TScrollBarKind { sbHorizontal, sbVertical };

enum TMouseActivate { maDefault, maActivate, maActivateAndEat, maNoActivate, maNoActivateAndEat };

using TCaption = String;

// ---------------------------------------------------------------------------------------------
// Cursors
using TCursor = SmallInt;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = -22;

// Keyboard state: 256 bytes, bit 7 = down, bit 0 = toggled (GetKeyboardState).
using TKeyboardState = std::array<Byte, 256>;

// ---------------------------------------------------------------------------------------------
// Events
using TWndMethod = TEvent<void(TMessage& Message)>;
using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TEvent<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, Char& Key)>;
using TMouseWheelEvent =
    TEvent<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    TEvent<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = TEvent<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TCanResizeEvent = TEvent<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent =
    TEvent<void(TObject* Sender, int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight)>;
using TDragOverEvent =
    TEvent<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TStartDragEvent = TEvent<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;
// Docking is not supported by the layer: the docking events are kept for stored forms only.
using TStartDockEvent = TEvent<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDockEvent = TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TGestureEvent = TEvent<void(TObject* Sender, const TGestureEventInfo& EventInfo, bool& Handled)>;

// ---------------------------------------------------------------------------------------------
// Hints: the record CM_HINTSHOW points to (LParam). A handler may change any field; a non-zero
// Result cancels the hint.
class THintWindow;
struct THintInfo {
    TControl* HintControl = nullptr;
    const TClassInfo* HintWindowClass = nullptr; // a THintWindow descendant registered with a factory
    TPoint HintPos;                              // screen coordinates
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TRect CursorRect; // client coordinates of HintControl; leaving it hides the hint
    TPoint CursorPos; // client coordinates
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    String HintStr;
    void* HintData = nullptr;
};
using PHintInfo = THintInfo*;

// ---------------------------------------------------------------------------------------------
// Typed views of the control layer's messages
struct TCMCancelMode : TWMNoParams { // CM_CANCELMODE: LParam = the control that keeps the mode
    using TWMNoParams::TWMNoParams;
    TControl* Sender() const { return reinterpret_cast<TControl*>(Message.LParam); }
};
struct TCMFocusChanged : TWMNoParams { // CM_FOCUSCHANGED: LParam = the control receiving focus
    using TWMNoParams::TWMNoParams;
    TWinControl* Sender() const { return reinterpret_cast<TWinControl*>(Message.LParam); }
};
struct TCMChildKey : TWMNoParams { // CM_CHILDKEY: WParam = key, LParam = the child
    using TWMNoParams::TWMNoParams;
    Word CharCode() const { return LoWord(Message.WParam); }
    void SetCharCode(Word c) { Message.WParam = c; }
    TWinControl* Sender() const { return reinterpret_cast<TWinControl*>(Message.LParam); }
};
struct TCMHintShow : TWMNoParams { // CM_HINTSHOW: LParam = PHintInfo
    using TWMNoParams::TWMNoParams;
    THintInfo* HintInfo() const { return reinterpret_cast<THintInfo*>(Message.LParam); }
};
struct TCMHintShowPause : TWMNoParams { // CM_HINTSHOWPAUSE: WParam = showing, LParam = int* pause
    using TWMNoParams::TWMNoParams;
    bool WasActive() const { return Message.WParam != 0; }
    int* Pause() const { return reinterpret_cast<int*>(Message.LParam); }
};
// CM_MOUSEWHEEL: WParam low byte = shift state, high word = wheel delta; LParam = screen position.
struct TCMMouseWheel : TWMNoParams {
    using TWMNoParams::TWMNoParams;
    TShiftState ShiftState() const { return TShiftState::FromInt(Message.WParam & 0xFFFF); }
    SmallInt WheelDelta() const { return SmallInt(HiWord(Message.WParam)); }
    SmallInt XPos() const { return SmallInt(LoWord(uintptr_t(Message.LParam))); }
    SmallInt YPos() const { return SmallInt(HiWord(uintptr_t(Message.LParam))); }
    TSmallPoint Pos() const { return {XPos(), YPos()}; }
};
struct TCMControlListChange : TWMNoParams { // CM_CONTROLLISTCHANGE: WParam = control, LParam = inserting
    using TWMNoParams::TWMNoParams;
    TControl* Control() const { return reinterpret_cast<TControl*>(Message.WParam); }
    bool Inserting() const { return Message.LParam != 0; }
};
struct TCMGetDataLink : TWMNoParams {
    using TWMNoParams::TWMNoParams;
};

// ---------------------------------------------------------------------------------------------
// Window creation parameters
struct TWndClass {
    UINT style = 0;
    TCursor hCursor = crDefault;
    TColor hbrBackground = clNone;
};

struct TCreateParams {
    String Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    TWndClass WindowClass;
    String WinClassName;
};

// ---------------------------------------------------------------------------------------------
class TSizeConstraints : public TPersistent {
    KVT_CLASS(TSizeConstraints, TPersistent)
public:
    explicit TSizeConstraints(TControl* control) : FControl(control) {}
    void Assign(TPersistent* source) override;
    int MaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int v);
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int v);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int v);
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int v);
    TNotifyEvent OnChange;

private:
    void Change();
    TControl* FControl;
    int FMaxHeight = 0, FMaxWidth = 0, FMinHeight = 0, FMinWidth = 0;
};

// A control's touch settings. The layer does not recognise gestures itself: the settings are
// kept and streamed for the controls that read them.
class TTouchManager : public TPersistent {
    KVT_CLASS(TTouchManager, TPersistent)
public:
    explicit TTouchManager(TControl* control) : FControl(control) {}
    void Assign(TPersistent* source) override;
    TControl* Control() const { return FControl; }
    TInteractiveGestures InteractiveGestures() const { return FInteractiveGestures; }
    void SetInteractiveGestures(TInteractiveGestures v) { FInteractiveGestures = v; }
    TInteractiveGestureOptions InteractiveGestureOptions() const { return FInteractiveGestureOptions; }
    void SetInteractiveGestureOptions(TInteractiveGestureOptions v) { FInteractiveGestureOptions = v; }
    bool ParentTabletOptions() const { return FParentTabletOptions; }
    void SetParentTabletOptions(bool v) { FParentTabletOptions = v; }

    static constexpr TInteractiveGestureOptions DefaultGestureOptions{
        igoPanSingleFingerHorizontal, igoPanSingleFingerVertical, igoPanInertia, igoPanGutter,
        igoParentPassthrough};

private:
    TControl* FControl;
    TInteractiveGestures FInteractiveGestures;
    TInteractiveGestureOptions FInteractiveGestureOptions = DefaultGestureOptions;
    bool FParentTabletOptions = true;
};

// Minimal drag object: the layer supports starting and ending a drag inside the application.
class TDragObject : public TObject {
    KVT_CLASS(TDragObject, TObject)
public:
    TControl* Control = nullptr;
    TPoint DragPos;
    bool Dropped = false;
};

// ---------------------------------------------------------------------------------------------
class TControl : public TComponent {
    KVT_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;
    void BeforeDestruction() override;

    // --- messages
    // The control's message entry; replaceable, and comparable with the control's own WndProc
    // (TWndMethod(this, &TControl::WndProc)).
    TWndMethod WindowProc;
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    virtual void WndProc(TMessage& Message);
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    // --- parent and geometry
    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    TComponent* GetParentComponent() const override;
    bool HasParent() const override;
    int Left() const { return FLeft; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    int Top() const { return FTop; }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    int Width() const { return FWidth; }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    int Height() const { return FHeight; }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    TRect ClientRect() { return GetClientRect(); }
    int ClientWidth() { return ClientRect().Right; }
    void SetClientWidth(int v);
    int ClientHeight() { return ClientRect().Bottom; }
    void SetClientHeight(int v);
    // The screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin();
    TPoint ClientToScreen(const TPoint& p);
    TPoint ScreenToClient(const TPoint& p);
    TPoint ClientToParent(const TPoint& p, TWinControl* AParent = nullptr);
    TPoint ParentToClient(const TPoint& p, TWinControl* AParent = nullptr);
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign v);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors v);
    bool AutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool v);
    TSizeConstraints* Constraints() const { return FConstraints.get(); }
    void SetConstraints(TSizeConstraints* v) { FConstraints->Assign(v); }
    void BringToFront();
    void SendToBack();
    void SetZOrder(bool TopMost);
    // Scales bounds (and fonts, when ParentFont is off) by M/D.
    void ScaleBy(int M, int D);

    // --- appearance and state
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    void Show();
    void Hide();
    virtual bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool v);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* v) { FFont->Assign(v); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v);
    String Hint() const { return FHint; }
    void SetHint(const String& v) { FHint = v; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool v);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* v);
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle v) { FControlStyle = v; }
    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState v) { FControlState = v; }
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode v);
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool v);
    bool IsRightToLeft() const;
    // The side the control's contents keep to, for right-to-left mirroring.
    virtual TAlignment GetControlsAlignment() const { return taLeftJustify; }
    virtual bool UseRightToLeftAlignment() const;
    virtual bool UseRightToLeftReading() const;
    virtual bool UseRightToLeftScrollBar() const;
    // DT_ flags adjusted for the reading order.
    UINT DrawTextBiDiModeFlags(UINT Flags) const;
    UINT DrawTextBiDiModeFlagsReadingOnly() const;
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode v) { FDragMode = v; }
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor v) { FDragCursor = v; }
    TDragKind DragKind() const { return FDragKind; }
    void SetDragKind(TDragKind v) { FDragKind = v; }
    TTouchManager* Touch() const { return FTouch.get(); }
    void SetTouch(TTouchManager* v) { FTouch->Assign(v); }
    // The action the control follows: its caption, enabled state, hint and visibility come from
    // a TCustomAction, and a click without an OnClick handler executes it.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* v);
    bool MouseInControl() const { return FMouseInControl; }

    // --- text
    String Text() const { return GetText(); }
    void SetText(const String& v);
    String Caption() const { return GetText(); }
    void SetCaption(const String& v) { SetText(v); }
    int GetTextLen() const { return int(GetText().size()); }
    // Copies up to BufSize-1 characters and a terminating zero; answers the count copied.
    int GetTextBuf(Char* Buffer, int BufSize) const;
    void SetTextBuf(const Char* Buffer);

    // --- painting
    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    virtual void Refresh() { Repaint(); }

    // --- mouse
    bool MouseCapture() const;
    void SetMouseCapture(bool v);
    void BeginDrag(bool Immediate, int Threshold = -1);
    void EndDrag(bool Drop);
    bool Dragging() const { return FDragging; }

    // --- events
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;
    TContextPopupEvent OnContextPopup;
    TCanResizeEvent OnCanResize;
    TConstrainedResizeEvent OnConstrainedResize;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    TStartDockEvent OnStartDock;
    TEndDockEvent OnEndDock;
    TGestureEvent OnGesture;

    // Fires the click behaviour (Click is protected on the platform; components call it).
    virtual void Click();

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void SetParentComponent(TComponent* Value) override;
    // A control read as a child of another takes that one as its parent first.
    void ReadState(TReader* Reader) override;

protected:
    friend class TWinControl;
    friend class TCustomForm;
    friend class TApplication;

    virtual TRect GetClientRect();
    virtual String GetText() const { return FText; }
    virtual void SetTextCore(const String& v);
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual void Resize();
    virtual void ChangeScale(int M, int D);
    virtual bool CanResize(int& NewWidth, int& NewHeight);
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    virtual void AdjustSize();
    virtual void RequestAlign();
    virtual void VisibleChanging() {}
    virtual void Changed();
    virtual TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
    virtual void UpdateBoundsRect(const TRect& r);
    virtual void DoStartDrag(TDragObject*& DragObject);
    virtual void DoEndDrag(TObject* Target, int X, int Y);
    void SendCancelMode(TControl* Sender);
    // The nearest form-like container (parent chain end), or nullptr.
    TCustomForm* ParentForm() const;

    // Message handlers of TControl
    void WMMouse(TMessage& Message);
    void WMMouseWheel(TMessage& Message);
    void WMContextMenu(TMessage& Message);
    void CMMouseWheel(TMessage& Message);
    void CMEnabledChanged(TMessage& Message);
    void CMVisibleChanged(TMessage& Message);
    void CMFontChanged(TMessage& Message);
    void CMColorChanged(TMessage& Message);
    void CMParentFontChanged(TMessage& Message);
    void CMParentColorChanged(TMessage& Message);
    void CMParentShowHintChanged(TMessage& Message);
    void CMParentBiDiModeChanged(TMessage& Message);
    void CMMouseEnter(TMessage& Message);
    void CMMouseLeave(TMessage& Message);
    void CMHitTest(TMessage& Message);
    void CMHintShow(TMessage& Message);
    void WMCancelMode(TMessage& Message);

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    // Anchor distances to the parent's right/bottom edges, taken when anchors are set.
    TPoint FAnchorRules;
    TPoint FOriginalParentSize;
    bool FAutoSize = false;
    bool FVisible = true;
    bool FEnabled = true;
    TColor FColor = clWindow;
    bool FParentColor = true;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    TCursor FCursor = crDefault;
    String FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState FControlState;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FParentBiDiMode = true;
    TDragMode FDragMode = dmManual;
    TCursor FDragCursor = crDrag;
    TDragKind FDragKind = dkDrag;
    std::unique_ptr<TTouchManager> FTouch;
    std::unique_ptr<TBasicActionLink> FActionLink;
    bool FDragging = false;
    bool FMouseInControl = false;
    String FText;
    std::unique_ptr<TSizeConstraints> FConstraints;
    int FUpdatingFont = 0;

private:
    void FontChanged(TObject* Sender);
    void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
    void DoMouseUp(TMessage& Message, TMouseButton Button);
};

// ---------------------------------------------------------------------------------------------
class TWinControl : public TControl {
    KVT_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    void BeforeDestruction() override;

    // --- window
    // The window; created on demand (with the parent's). EInvalidOperation "Control '%s' has no
    // parent window" when a child control has no parent.
    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded();
    // The Qt widget standing for the window (nullptr until the handle exists).
    QWidget* Widget() const { return FWidget; }
    void RecreateWnd();
    // A parent window for a control without a Parent (e.g. drop-downs parented to the desktop).
    HWND ParentWindow() const { return FParentWindow; }
    void SetParentWindow(HWND v);
    bool Showing() const { return FShowing; }
    // Style bits of the live window (CreateParams' when the window was made).
    DWORD WindowStyle() const { return FStyle; }
    DWORD WindowExStyle() const { return FExStyle; }
    void SetWindowStyles(DWORD Style, DWORD ExStyle);

    // --- children
    int ControlCount() const { return int(FControls.size()); }
    TControl* Controls(int Index) const { return FControls.at(size_t(Index)); }
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(TControl* Control) const;
    // The topmost visible child at Pos (client coordinates); AllowDisabled includes disabled
    // ones, AllLevels descends into windowed children.
    TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false,
                           bool AllLevels = false);
    TControl* FindChildControl(const String& ControlName);
    void Broadcast(TMessage& Message);
    void NotifyControls(UINT Msg);
    void DisableAlign();
    void EnableAlign();
    void Realign();
    bool AlignDisabled() const { return FAlignLevel > 0; }

    // --- focus and tabs
    virtual bool CanFocus();
    virtual bool Focused();
    virtual void SetFocus();
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v);
    int TabOrder() const;
    void SetTabOrder(int v);
    void GetTabOrderList(std::vector<TWinControl*>& List);
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent);
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    // --- appearance
    TBrush* Brush() const { return FBrush.get(); }
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool v);
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool v);
    TBorderWidth BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(TBorderWidth v);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut v);
    TBevelEdges BevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges v);
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind v);
    TBevelWidth BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(TBevelWidth v);
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool v) { FDoubleBuffered = v; }
    bool ParentDoubleBuffered() const { return FParentDoubleBuffered; }
    void SetParentDoubleBuffered(bool v) { FParentDoubleBuffered = v; }
    bool ParentBackground() const { return FControlStyle.Contains(csParentBackground); }
    void SetParentBackground(bool v);
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode v) { FImeMode = v; }
    TImeName ImeName() const { return FImeName; }
    void SetImeName(const TImeName& v) { FImeName = v; }

    // --- painting
    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    // Paints the window into a device context (the off-screen copy of the window).
    void PaintTo(HDC DC, int X, int Y);
    void PaintTo(TCanvas* Canvas, int X, int Y);

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TPoint ClientOrigin() override;

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

    // The control whose window is h (nullptr when h is no control's).
    static TWinControl* FromHandle(HWND h);

    void DefaultHandler(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void WndProc(TMessage& Message) override;

    // Extra non-client margins a control draws itself in WM_NCPAINT (the WM_NCCALCSIZE part
    // of a custom frame): they are added to the border of the window style.
    virtual TRect NonClientMargins() { return TRect(); }

protected:
    friend class TControl;
    friend class TCustomForm;
    friend class TApplication;
    friend struct TWindowBridge;

    // Window life cycle
    virtual void CreateParams(TCreateParams& Params);

    virtual void CreateHandle();
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    // The Qt widget for the window; the default is the layer's own custom-drawn window widget.
    virtual QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget);
    // Called after the widget exists and is positioned: copy state into it.
    virtual void InitWidget() {}
    virtual void DestroyHandle();
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    void UpdateControlState();
    void UpdateShowing();
    virtual void ShowControl(TControl* AControl);

    // Children and alignment
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect& Rect);
    void AlignControl(TControl* AControl);
    virtual void ControlsAligned() {}
    TRect GetClientRect() override;
    void ChangeScale(int M, int D) override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;

    // Input
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyPress(Char& Key);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    virtual void DoEnter();
    virtual void DoExit();
    // Runs the form's KeyPreview and KeyDown/OnKeyDown; true when the key was consumed.
    bool DoKeyDown(TMessage& Message);
    bool DoKeyPress(TMessage& Message);
    bool DoKeyUp(TMessage& Message);
    // Whether the mouse message belongs to a graphic child; routes it there.
    bool IsControlMouseMsg(TMessage& Message);

    // Painting
    virtual void PaintWindow(HDC DC);
    void PaintHandler(TMessage& Message);
    void PaintControls(HDC DC, TControl* First);
    // The painter of the paint in progress (valid inside WM_PAINT/WM_ERASEBKGND from the layer).
    QPainter* CurrentPainter() const { return FPainter; }

    // Message handlers
    void WMPaint(TMessage& Message);
    void WMEraseBkgnd(TMessage& Message);
    void WMNCPaint(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);
    void WMKeyDown(TMessage& Message);
    void WMKeyUp(TMessage& Message);
    void WMChar(TMessage& Message);
    void WMSize(TMessage& Message);
    void WMMove(TMessage& Message);
    void WMCommand(TMessage& Message);
    void WMScroll(TMessage& Message);
    void WMSetCursor(TMessage& Message);
    void WMNCHitTest(TMessage& Message);
    void WMContextMenu(TMessage& Message);
    void CNKeyDown(TMessage& Message);
    void CNChar(TMessage& Message);
    void CMEnter(TMessage& Message);
    void CMExit(TMessage& Message);
    void CMDialogKey(TMessage& Message);
    void CMDialogChar(TMessage& Message);
    void CMEnabledChanged(TMessage& Message);
    void CMShowingChanged(TMessage& Message);
    void CMVisibleChanged(TMessage& Message);
    void CMFontChanged(TMessage& Message);
    void CMColorChanged(TMessage& Message);
    void CMCtl3DChanged(TMessage& Message);
    void CMBorderChanged(TMessage& Message);
    void CMTextChanged(TMessage& Message);
    void CMRecreateWnd(TMessage& Message);
    void CMInvalidate(TMessage& Message);

    TControl* FindCapturedGraphic(const TPoint& Pos);

    HWND FHandle = nullptr;
    QWidget* FWidget = nullptr;
    HWND FParentWindow = nullptr;
    DWORD FStyle = 0;   // window style of the live window
    DWORD FExStyle = 0; // extended style of the live window
    UINT FClassStyle = 0;
    std::vector<TControl*> FControls;   // graphic children first, in z-order (Delphi keeps two lists)
    std::vector<TWinControl*> FTabList; // windowed children in tab order
    std::unique_ptr<TBrush> FBrush;
    bool FShowing = false;
    bool FTabStop = false;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    TBorderWidth FBorderWidth = 0;
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
    TBevelKind FBevelKind = bkNone;
    TBevelWidth FBevelWidth = 1;
    bool FDoubleBuffered = false;
    bool FParentDoubleBuffered = true;
    TImeMode FImeMode = imDontCare;
    TImeName FImeName;
    int FAlignLevel = 0;
    bool FAlignPending = false;
    QPainter* FPainter = nullptr;
    TControl* FMouseControl = nullptr; // graphic child under the mouse (enter/leave)
};

// ---------------------------------------------------------------------------------------------
// A canvas for a control: bound to the control's painter during painting, otherwise a
// measuring canvas with the control's font.
class TControlCanvas : public TCanvas {
    KVT_CLASS(TControlCanvas, TCanvas)
public:
    TControlCanvas() = default;
    ~TControlCanvas() override;
    TControl* Control() const { return FControl; }
    void SetControl(TControl* v) { FControl = v; }
    void FreeHandle();
    void UpdateTextFlags();

protected:
    void CreateHandle() override;

private:
    TControl* FControl = nullptr;
    std::unique_ptr<QImage> FMeasure;
};

class TCustomControl : public TWinControl {
    KVT_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }

protected:
    virtual void Paint();
    void PaintWindow(HDC DC) override;

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

class TGraphicControl : public TControl {
    KVT_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }
    void Dispatch(TMessage& Message) override;

protected:
    virtual void Paint();
    // WM_PAINT with WParam = the parent's HDC, already offset and clipped to the control.
    void WMPaint(TMessage& Message);

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// A custom control with a window but no own painting (the platform's THintWindow base etc.)
class TCustomTransparentControl : public TCustomControl {
    KVT_CLASS(TCustomTransparentControl, TCustomControl)
public:
    using TCustomControl::TCustomControl;
};

// ---------------------------------------------------------------------------------------------
// Mouse
class TMouse : public TObject {
    KVT_CLASS(TMouse, TObject)
public:
    TPoint CursorPos() const;
    void SetCursorPos(const TPoint& p);
    HWND Capture() const;
    void SetCapture(HWND h);
    int DragThreshold() const { return FDragThreshold; }
    void SetDragThreshold(int v) { FDragThreshold = v; }
    bool DragImmediate() const { return FDragImmediate; }
    bool IsDragging() const;
    bool MousePresent() const { return true; }
    bool WheelPresent() const { return true; }
    int WheelScrollLines() const { return 3; }

private:
    int FDragThreshold = 5;
    bool FDragImmediate = true;
};
extern TMouse* Mouse;

// ---------------------------------------------------------------------------------------------
// Helpers
TWinControl* FindControl(HWND Handle);
TControl* FindVCLWindow(const TPoint& Pos);
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);
TCustomForm* GetParentForm(TControl* Control, bool TopForm = true);
TCustomForm* ValidParentForm(TControl* Control, bool TopForm = true); // EInvalidOperation when none
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
void CancelDrag();
bool IsAccel(Word VK, const String& Str);
TShiftState KeysToShiftState(Word Keys);       // MK_ flags
TShiftState KeyDataToShiftState(LONG KeyData); // the Alt bit of a key message plus current keys
TShiftState KeyboardStateToShiftState(const TKeyboardState& State);
TShiftState KeyboardStateToShiftState(); // current state
Word ShiftStateToKeys(TShiftState Shift);
String GetShortHint(const String& Hint);
String GetLongHint(const String& Hint);
// The layer always draws with new-style (3-D) controls.
constexpr bool NewStyleControls = true;
// The platform's "is this window (or a child of it) focused" test.
bool IsFocusInside(TWinControl* Control);
// Qt widget -> control (walks up to the nearest widget owned by a control).
TWinControl* FindControlOfWidget(QWidget* Widget);
