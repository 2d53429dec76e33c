#pragma once
// Forms, the application object, the screen, monitors and hint windows.

#include "platform/ui/Controls.h"
#include "platform/ui/WinApi.h"

#include <functional>
#include <memory>
#include <vector>

class QEventLoop;
class QCursor;
class TMainMenu;

// Modal results
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1; // idOK
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrClose = 8;
constexpr TModalResult mrHelp = 9;
constexpr TModalResult mrTryAgain = 10;
constexpr TModalResult mrContinue = 11;
constexpr TModalResult mrAll = 12;
constexpr TModalResult mrNoToAll = 13;
constexpr TModalResult mrYesToAll = 14;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TDefaultMonitor { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };
enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem>;

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

// ---------------------------------------------------------------------------------------------
// A windowed control that can scroll its children (the base of forms and scroll boxes). With
// AutoScroll the window scroll bars appear when the children reach beyond the client area.
class TScrollingWinControl;
class TControlScrollBar : public TPersistent {
    KVT_CLASS(TControlScrollBar, TPersistent)
public:
    TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind) : FControl(Control), FKind(Kind) {}
    void Assign(TPersistent* Source) override;
    TScrollBarKind Kind() const { return FKind; }
    int Range() const { return FRange; }
    void SetRange(int v);
    int Position() const { return FPosition; }
    void SetPosition(int v);
    int Increment() const { return FIncrement; }
    void SetIncrement(int v) { FIncrement = v; }
    int Margin() const { return FMargin; }
    void SetMargin(int v) { FMargin = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    bool Tracking() const { return FTracking; }
    void SetTracking(bool v) { FTracking = v; }
    // Whether the bar shows now (visible and the range exceeds the client extent).
    bool IsScrollBarVisible() const;
    int ScrollPos() const { return IsScrollBarVisible() ? FPosition : 0; }

private:
    friend class TScrollingWinControl;
    void ScrollMessage(int Code, int Pos);
    TScrollingWinControl* FControl;
    TScrollBarKind FKind;
    int FRange = 0, FPosition = 0, FIncrement = 8, FMargin = 0;
    bool FVisible = true, FTracking = false;
    bool FShown = false;
};

class TScrollingWinControl : public TWinControl {
    KVT_CLASS(TScrollingWinControl, TWinControl)
public:
    explicit TScrollingWinControl(TComponent* AOwner);
    ~TScrollingWinControl() override;
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool v);
    TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
    TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
    // Scrolls so that AControl is inside the client area.
    void ScrollInView(TControl* AControl);
    // Moves every child by DeltaX, DeltaY (the contents scroll).
    void ScrollBy(int DeltaX, int DeltaY);
    void Dispatch(TMessage& Message) override;
    // Recomputes ranges and shows or hides the bars.
    void UpdateScrollBars();

protected:
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void CreateWnd() override;

private:
    friend class TControlScrollBar;
    bool FAutoScroll = false;
    std::unique_ptr<TControlScrollBar> FHorzScrollBar, FVertScrollBar;
    int FUpdatingScrollBars = 0;
};

class TScrollBox : public TScrollingWinControl {
    KVT_CLASS(TScrollBox, TScrollingWinControl)
public:
    explicit TScrollBox(TComponent* AOwner);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};

// ---------------------------------------------------------------------------------------------
class TCustomForm : public TScrollingWinControl {
    KVT_CLASS(TCustomForm, TScrollingWinControl)
public:
    explicit TCustomForm(TComponent* AOwner);
    // A form without a stored layout (the platform's CreateNew).
    TCustomForm(TComponent* AOwner, int Dummy);
    ~TCustomForm() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    // --- window
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons v);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle v);
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState v);
    TDefaultMonitor DefaultMonitor() const { return FDefaultMonitor; }
    void SetDefaultMonitor(TDefaultMonitor v) { FDefaultMonitor = v; }
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool v) { FKeyPreview = v; }
    TFormState FormState() const { return FFormState; }
    bool Active() const { return FActive; }
    TMainMenu* Menu() const { return FMenu; }
    // The menu bar shows at the top of the window; the client area starts below it.
    void SetMenu(TMainMenu* v);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // A drop-down form: no activation, no frame, placed at screen coordinates.
    bool DropDown() const { return FDropDown; }
    void SetDropDown(bool v) { FDropDown = v; }

    // --- focus
    TWinControl* ActiveControl() const { return FActiveControl; }
    // EInvalidOperation "Cannot focus a disabled or invisible window" when it cannot be focused.
    void SetActiveControl(TWinControl* Control);
    void FocusControl(TWinControl* Control);
    // Records Control as focused and runs CM_EXIT/CM_ENTER along the parent chains. False
    // when a handler moved the focus elsewhere meanwhile.
    bool SetFocusedControl(TWinControl* Control);
    void DefocusControl(TWinControl* Control, bool Removing);
    TWinControl* FocusedControl() const { return FFocusedControl; }
    bool CanFocus() override;
    void SetFocus() override;

    // --- showing and closing
    void Show();
    void Hide();
    virtual int ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v);
    void Close();
    virtual bool CloseQuery();
    void Release();
    bool IsModal() const { return FFormState.Contains(fsModal); }

    // Runs a short cut of the form (OnShortCut, then the main menu); true when one ran.
    virtual bool IsShortCut(TMessage& Message);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TEvent<void(TMessage& Msg, bool& Handled)> OnShortCut;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    void DoCreate();
    void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    void SetWindowFocus();
    void PlaceWindow();
    void CloseModal();
    void UpdateWindowFlags();
    void UpdateMenuBar();

    void WMActivate(TMessage& Message);
    void WMClose(TMessage& Message);
    void CMDialogKey(TMessage& Message);
    void CMShowingChanged(TMessage& Message);
    void CMRelease(TMessage& Message);
    void CMActivate(TMessage& Message);
    void CMDeactivate(TMessage& Message);

    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TPosition FPosition = poDefaultPosOnly;
    TFormStyle FFormStyle = fsNormal;
    TWindowState FWindowState = wsNormal;
    TDefaultMonitor FDefaultMonitor = dmActiveForm;
    int FPixelsPerInch = 96;
    bool FKeyPreview = false;
    TFormState FFormState;
    bool FActive = false;
    TMainMenu* FMenu = nullptr;
    bool FDropDown = false;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    int FFocusCount = 0;
    TModalResult FModalResult = mrNone;
    QEventLoop* FModalLoop = nullptr;
    bool FPlaced = false;
};

class TForm : public TCustomForm {
    KVT_CLASS(TForm, TCustomForm)
public:
    using TCustomForm::TCustomForm;
};

using TFormClass = const TClassInfo*;

// ---------------------------------------------------------------------------------------------
class THintWindow : public TCustomControl {
    KVT_CLASS(THintWindow, TCustomControl)
public:
    explicit THintWindow(TComponent* AOwner);
    virtual void ActivateHint(const TRect& Rect, const String& AHint);
    virtual void ActivateHintData(const TRect& Rect, const String& AHint, void* AData);
    virtual TRect CalcHintRect(int MaxWidth, const String& AHint, void* AData);
    void ReleaseHandle();
    bool IsHintMsg(const MSG& Msg);

protected:
    void CreateParams(TCreateParams& Params) override;
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void Paint() override;
};

// ---------------------------------------------------------------------------------------------
class TMonitor : public TObject {
    KVT_CLASS(TMonitor, TObject)
public:
    explicit TMonitor(HMONITOR h) : FHandle(h) {}
    HMONITOR Handle() const { return FHandle; }
    int MonitorNum() const;
    bool Primary() const;
    TRect BoundsRect() const;
    TRect WorkareaRect() const;
    int Left() const { return BoundsRect().Left; }
    int Top() const { return BoundsRect().Top; }
    int Width() const { return BoundsRect().Width(); }
    int Height() const { return BoundsRect().Height(); }
    int PixelsPerInch() const { return 96; }

private:
    HMONITOR FHandle;
};

class TScreen : public TComponent {
    KVT_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    int FormCount() const { return int(FForms.size()); }
    TForm* Forms(int i) const;
    int CustomFormCount() const { return int(FForms.size()); }
    TCustomForm* CustomForms(int i) const { return FForms.at(size_t(i)); }
    TCustomForm* ActiveCustomForm() const { return FActiveCustomForm; }
    TForm* ActiveForm() const;
    TWinControl* ActiveControl() const { return FActiveControl; }
    TCustomForm* FocusedForm() const { return FFocusedForm; }

    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v);
    // The cursor table: predefined ids (crXxx) and ids registered by the program.
    QCursor* Cursors(int Index) const;
    void SetCursors(int Index, const QCursor& Cursor);
    int PixelsPerInch() const { return 96; }
    int Width() const;
    int Height() const;
    int DesktopLeft() const;
    int DesktopTop() const;
    int DesktopWidth() const;
    int DesktopHeight() const;
    TRect DesktopRect() const;
    TRect WorkAreaRect() const;
    int WorkAreaLeft() const { return WorkAreaRect().Left; }
    int WorkAreaTop() const { return WorkAreaRect().Top; }
    int WorkAreaWidth() const { return WorkAreaRect().Width(); }
    int WorkAreaHeight() const { return WorkAreaRect().Height(); }
    int MonitorCount() const;
    TMonitor* Monitors(int Index) const;
    TMonitor* PrimaryMonitor() const;
    TMonitor* MonitorFromRect(const TRect& Rect, DWORD Default = MONITOR_DEFAULTTONEAREST) const;
    TMonitor* MonitorFromPoint(const TPoint& Point, DWORD Default = MONITOR_DEFAULTTONEAREST) const;
    TMonitor* MonitorFromWindow(HWND Handle, DWORD Default = MONITOR_DEFAULTTONEAREST) const;
    TStrings* Fonts() const;
    TFont* HintFont() const { return FHintFont.get(); }
    TFont* MenuFont() const { return FMenuFont.get(); }
    TFont* IconFont() const { return FIconFont.get(); }
    String DefaultIme() const { return String(); }

    TNotifyEvent OnActiveControlChange;
    TNotifyEvent OnActiveFormChange;

private:
    friend class TCustomForm;
    friend class TApplication;
    void AddForm(TCustomForm* Form);
    void RemoveForm(TCustomForm* Form);
    TMonitor* MonitorOf(HMONITOR h) const;

    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveCustomForm = nullptr;
    TCustomForm* FFocusedForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    TCursor FCursor = crDefault;
    mutable std::vector<std::unique_ptr<TMonitor>> FMonitors;
    mutable std::unique_ptr<TStrings> FFonts;
    std::unique_ptr<TFont> FHintFont, FMenuFont, FIconFont;
    std::vector<std::pair<int, std::unique_ptr<QCursor>>> FCursorTable;
};

// ---------------------------------------------------------------------------------------------
using TExceptionEvent = TEvent<void(TObject* Sender, Exception* E)>;
using TShowHintEvent = TEvent<void(String& HintStr, bool& CanShow, THintInfo& HintInfo)>;
using TMessageEvent = TEvent<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;

class TApplication : public TComponent {
    KVT_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // Makes sure a Qt GUI application exists (xcb when a display is there, offscreen otherwise).
    void Initialize();
    // Creates a form of class T owned by the application; the first becomes the main form.
    template <class T> void CreateForm(T*& Reference) {
        Reference = ::Create<T>(this);
        if (!FMainForm) FMainForm = Reference;
    }
    void CreateForm(TFormClass FormClass, TCustomForm*& Reference);
    // Shows the main form and runs the event loop until the main form closes or Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Dispatches everything waiting (Qt events and the message queue), then returns.
    void ProcessMessages();
    // Waits for and dispatches the next event.
    void HandleMessage();
    void HandleException(TObject* Sender);
    void ShowException(Exception* E);
    int MessageBox(const String& Text, const String& Caption, int Flags = MB_OK);
    bool MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
    void SetMainFormOnTaskBar(bool v) { FMainFormOnTaskBar = v; }
    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* v) { FMainForm = v; }
    String Title() const { return FTitle; }
    void SetTitle(const String& v) { FTitle = v; }
    String ExeName() const;
    HWND Handle() const { return nullptr; }
    bool Active() const;

    // Hints
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v);
    int HintPause() const { return FHintPause; }
    void SetHintPause(int v) { FHintPause = v; }
    int HintShortPause() const { return FHintShortPause; }
    void SetHintShortPause(int v) { FHintShortPause = v; }
    int HintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int v) { FHintHidePause = v; }
    TColor HintColor() const { return FHintColor; }
    void SetHintColor(TColor v) { FHintColor = v; }
    String Hint() const { return FHint; }
    void SetHint(const String& v);
    void CancelHint();
    void ActivateHint(const TPoint& CursorPos);
    void HideHint();
    THintWindow* HintWindow() const { return FHintWindow; }
    // The control the mouse is over (the hint machinery tracks it).
    TControl* MouseControl() const { return FMouseControl; }
    void DoMouseMove(TControl* Control, const TPoint& ScreenPos);

    TExceptionEvent OnException;
    TNotifyEvent OnHint;
    TShowHintEvent OnShowHint;
    TMessageEvent OnMessage;
    TIdleEvent OnIdle;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    // Processes a queued message the way the platform's message loop does before dispatching
    // it (key messages are offered to the control as CN_KEYDOWN/CN_CHAR, dialog keys to the
    // form). True when the message was consumed.
    bool PreprocessMessage(MSG& Msg);

private:
    bool IsKeyMsg(MSG& Msg);
    void HintTimerExpired();
    TCustomForm* FMainForm = nullptr;
    String FTitle;
    bool FTerminated = false;
    bool FMainFormOnTaskBar = false;
    bool FShowHint = true;
    int FHintPause = 500;
    int FHintShortPause = 50;
    int FHintHidePause = 2500;
    TColor FHintColor = clInfoBk;
    String FHint;
    THintWindow* FHintWindow = nullptr;
    TControl* FMouseControl = nullptr;
    HWND FHintTimerWnd = nullptr;
    bool FHintActive = false;
    int FHandlingException = 0;
};

extern TApplication* Application;
extern TScreen* Screen;

// Creates Application, Screen and Mouse if they do not exist (the layer calls it on first use).
void InitForms();
