// TCustomForm: window styles, showing and placement, activation and focus, modal loop, closing.

#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/WindowBridge.h"

#include <QApplication>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

// ---------------------------------------------------------------------------------------------
void TControlScrollBar::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TControlScrollBar*>(Source)) {
        FRange = s->FRange, FIncrement = s->FIncrement, FMargin = s->FMargin, FVisible = s->FVisible;
        FTracking = s->FTracking;
        SetPosition(s->FPosition);
        return;
    }
    TPersistent::Assign(Source);
}
void TControlScrollBar::SetRange(int v) {
    FRange = std::max(0, v);
    FControl->UpdateScrollBars();
}
void TControlScrollBar::SetVisible(bool v) {
    FVisible = v;
    FControl->UpdateScrollBars();
}
bool TControlScrollBar::IsScrollBarVisible() const {
    if (!FVisible) return false;
    int client = FKind == sbHorizontal ? FControl->FWidth : FControl->FHeight;
    return FRange > client;
}
void TControlScrollBar::SetPosition(int v) {
    TRect cr = FControl->ClientRect();
    int extent = FKind == sbHorizontal ? cr.Width() : cr.Height();
    v = std::clamp(v, 0, std::max(0, FRange - extent));
    if (v == FPosition) return;
    int delta = FPosition - v;
    FPosition = v;
    if (FKind == sbHorizontal)
        FControl->ScrollBy(delta, 0);
    else
        FControl->ScrollBy(0, delta);
    if (FControl->HandleAllocated())
        SetScrollPos(FControl->Handle(), FKind == sbHorizontal ? SB_HORZ : SB_VERT, v, TRUE);
}
void TControlScrollBar::ScrollMessage(int Code, int Pos) {
    TRect cr = FControl->ClientRect();
    int page = FKind == sbHorizontal ? cr.Width() : cr.Height();
    switch (Code) {
    case SB_LINEUP:
        SetPosition(FPosition - FIncrement);
        break;
    case SB_LINEDOWN:
        SetPosition(FPosition + FIncrement);
        break;
    case SB_PAGEUP:
        SetPosition(FPosition - page);
        break;
    case SB_PAGEDOWN:
        SetPosition(FPosition + page);
        break;
    case SB_THUMBPOSITION:
        SetPosition(Pos);
        break;
    case SB_THUMBTRACK:
        if (FTracking) SetPosition(Pos);
        break;
    case SB_TOP:
        SetPosition(0);
        break;
    case SB_BOTTOM:
        SetPosition(FRange);
        break;
    }
}

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner) : TWinControl(AOwner) {
    FHorzScrollBar = std::make_unique<TControlScrollBar>(this, sbHorizontal);
    FVertScrollBar = std::make_unique<TControlScrollBar>(this, sbVertical);
}
TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool v) {
    FAutoScroll = v;
    UpdateScrollBars();
}

void TScrollingWinControl::ScrollBy(int DeltaX, int DeltaY) {
    if (!DeltaX && !DeltaY) return;
    DisableAlign();
    ++FUpdatingScrollBars;
    for (auto* c : std::vector<TControl*>(FControls))
        c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
    --FUpdatingScrollBars;
    FAlignPending = false;
    --FAlignLevel;
    Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
    if (!AControl || !ContainsControl(AControl) || AControl == this) return;
    TPoint tl = AControl->ClientToParent({0, 0}, this);
    TRect r = Bounds(tl.X, tl.Y, AControl->Width(), AControl->Height());
    TRect cr = ClientRect();
    if (FHorzScrollBar->IsScrollBarVisible()) {
        if (r.Left < 0)
            FHorzScrollBar->SetPosition(FHorzScrollBar->Position() + r.Left - FHorzScrollBar->Margin());
        else if (r.Right > cr.Right)
            FHorzScrollBar->SetPosition(FHorzScrollBar->Position() +
                                        std::min(r.Left, r.Right - cr.Right + FHorzScrollBar->Margin()));
    }
    if (FVertScrollBar->IsScrollBarVisible()) {
        if (r.Top < 0)
            FVertScrollBar->SetPosition(FVertScrollBar->Position() + r.Top - FVertScrollBar->Margin());
        else if (r.Bottom > cr.Bottom)
            FVertScrollBar->SetPosition(FVertScrollBar->Position() +
                                        std::min(r.Top, r.Bottom - cr.Bottom + FVertScrollBar->Margin()));
    }
}

void TScrollingWinControl::UpdateScrollBars() {
    if (FUpdatingScrollBars) return;
    ++FUpdatingScrollBars;
    if (FAutoScroll) {
        // The children's extent (in unscrolled coordinates) is the range.
        int right = 0, bottom = 0;
        for (auto* c : FControls) {
            if (!c->Visible() || c->Align() == alClient) continue;
            if (c->Align() != alTop && c->Align() != alBottom)
                right = std::max(right, c->Left() + c->Width() + FHorzScrollBar->FPosition);
            if (c->Align() != alLeft && c->Align() != alRight)
                bottom = std::max(bottom, c->Top() + c->Height() + FVertScrollBar->FPosition);
        }
        FHorzScrollBar->FRange = right;
        FVertScrollBar->FRange = bottom;
    }
    if (FHandle) {
        for (TControlScrollBar* b : {FHorzScrollBar.get(), FVertScrollBar.get()}) {
            int bar = b->FKind == sbHorizontal ? SB_HORZ : SB_VERT;
            SCROLLINFO si;
            si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            si.nMin = 0;
            bool show = b->FVisible && (FAutoScroll || b->FRange > 0) && b->IsScrollBarVisible();
            TRect cr = ClientRect();
            int page = b->FKind == sbHorizontal ? cr.Width() : cr.Height();
            si.nMax = show ? b->FRange - 1 : 0;
            si.nPage = show ? UINT(std::max(0, page)) : 0;
            si.nPos = show ? b->FPosition : 0;
            SetScrollInfo(FHandle, bar, &si, TRUE);
            if (!show && b->FPosition) {
                int p = b->FPosition;
                b->FPosition = 0;
                if (bar == SB_HORZ)
                    ScrollBy(p, 0);
                else
                    ScrollBy(0, p);
            }
        }
    }
    --FUpdatingScrollBars;
}

void TScrollingWinControl::CreateWnd() {
    TWinControl::CreateWnd();
    UpdateScrollBars();
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    TWinControl::AlignControls(AControl, Rect);
    UpdateScrollBars();
}

void TScrollingWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL: {
        TWMScroll s(Message);
        if (s.ScrollBar() == nullptr) {
            TControlScrollBar* b = Message.Msg == WM_HSCROLL ? FHorzScrollBar.get() : FVertScrollBar.get();
            SCROLLINFO si;
            si.fMask = SIF_TRACKPOS;
            GetScrollInfo(FHandle, Message.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, &si);
            b->ScrollMessage(s.ScrollCode(),
                             s.ScrollCode() == SB_THUMBTRACK || s.ScrollCode() == SB_THUMBPOSITION
                                 ? si.nTrackPos
                                 : s.Pos());
            return;
        }
        break;
    }
    case WM_SIZE:
        TWinControl::Dispatch(Message);
        UpdateScrollBars();
        return;
    }
    TWinControl::Dispatch(Message);
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 185, 41);
}
void TScrollBox::SetBorderStyle(TBorderStyle v) {
    if (FBorderStyle == v) return;
    FBorderStyle = v;
    Perform(CM_BORDERCHANGED, 0, 0);
}
void TScrollBox::CreateParams(TCreateParams& Params) {
    TScrollingWinControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

// ---------------------------------------------------------------------------------------------
TCustomForm::TCustomForm(TComponent* AOwner) : TCustomForm(AOwner, 0) {}

TCustomForm::TCustomForm(TComponent* AOwner, int) : TScrollingWinControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FVisible = false;
    FParentColor = false;
    FParentFont = false;
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
    FFormState.Include(fsCreating);
    FLeft = 0, FTop = 0, FWidth = 320, FHeight = 240;
    if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (Screen) Screen->RemoveForm(this);
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
}

void TCustomForm::AfterConstruction() {
    TScrollingWinControl::AfterConstruction();
    FFormState.Exclude(fsCreating);
    DoCreate();
}

void TCustomForm::BeforeDestruction() {
    if (!ComponentState().Contains(csDestroying)) DoDestroy();
    if (Screen) Screen->RemoveForm(this);
    TScrollingWinControl::BeforeDestruction();
}

void TCustomForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}
void TCustomForm::DoDestroy() {
    if (OnDestroy) OnDestroy(this);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
    if (FBorderStyle == v) return;
    FBorderStyle = v;
    UpdateWindowFlags();
}
void TCustomForm::SetBorderIcons(TBorderIcons v) {
    FBorderIcons = v;
    UpdateWindowFlags();
}
void TCustomForm::SetFormStyle(TFormStyle v) {
    FFormStyle = v;
    UpdateWindowFlags();
}
void TCustomForm::SetWindowState(TWindowState v) {
    FWindowState = v;
    if (!FWidget || !FShowing) return;
    if (v == wsMaximized)
        FWidget->showMaximized();
    else if (v == wsMinimized)
        FWidget->showMinimized();
    else
        FWidget->showNormal();
}

void TCustomForm::CreateParams(TCreateParams& Params) {
    TScrollingWinControl::CreateParams(Params);
    Params.Style &= ~DWORD(WS_CHILD | WS_TABSTOP);
    Params.Style |= WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
    if (FDropDown) {
        Params.Style |= WS_POPUP;
        Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
        return;
    }
    switch (FBorderStyle) {
    case bsNone:
        Params.Style |= WS_POPUP;
        break;
    case bsSingle:
    case bsToolWindow:
        Params.Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        Params.Style |= WS_POPUP | WS_CAPTION;
        Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (FBorderIcons.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
    if (FBorderIcons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
    if (FBorderIcons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
}

namespace {
Qt::WindowFlags FlagsOf(TCustomForm* f) {
    Qt::WindowFlags fl;
    // Drop-downs are override-redirect windows: placed exactly, never activated.
    if (f->DropDown()) return Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
    switch (f->BorderStyle()) {
    case bsNone:
        fl = Qt::Window | Qt::FramelessWindowHint;
        break;
    case bsDialog:
        fl = Qt::Dialog;
        break;
    case bsToolWindow:
    case bsSizeToolWin:
        fl = Qt::Tool;
        break;
    default:
        fl = Qt::Window;
        break;
    }
    if (f->BorderStyle() != bsNone) {
        fl |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        TBorderIcons bi = f->BorderIcons();
        if (bi.Contains(biSystemMenu)) {
            fl |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
            bool canMin = bi.Contains(biMinimize) && f->BorderStyle() != bsDialog &&
                          f->BorderStyle() != bsToolWindow && f->BorderStyle() != bsSizeToolWin;
            if (canMin) fl |= Qt::WindowMinimizeButtonHint;
            if (bi.Contains(biMaximize) && (f->BorderStyle() == bsSizeable))
                fl |= Qt::WindowMaximizeButtonHint;
        }
    }
    if (f->FormStyle() == fsStayOnTop) fl |= Qt::WindowStaysOnTopHint;
    return fl;
}
} // namespace

QWidget* TCustomForm::CreateWidget(const TCreateParams&, QWidget*) {
    QWidget* parent = nullptr;
    if (FDropDown && Screen && Screen->ActiveCustomForm() && Screen->ActiveCustomForm() != this)
        parent = Screen->ActiveCustomForm()->Widget();
    auto* w = new TQtWindow(this, parent, FlagsOf(this));
    w->setFocusPolicy(Qt::NoFocus);
    if (FDropDown) w->setAttribute(Qt::WA_ShowWithoutActivating, true);
    return w;
}

void TCustomForm::InitWidget() {
    FWidget->setWindowTitle(FText);
    UpdateMenuBar();
    FWidget->resize(FWidth, FHeight);
    bool fixed = FBorderStyle == bsSingle || FBorderStyle == bsDialog || FBorderStyle == bsToolWindow;
    if (fixed) FWidget->setFixedSize(FWidth, FHeight);
    if (FPlaced || FPosition == poDesigned) FWidget->move(FLeft, FTop);
}

void TCustomForm::UpdateWindowFlags() {
    if (!FWidget) return;
    bool vis = FWidget->isVisible();
    FWidget->setWindowFlags(FlagsOf(this));
    TCreateParams p;
    CreateParams(p);
    SetWindowStyles(p.Style, p.ExStyle);
    bool fixed = FBorderStyle == bsSingle || FBorderStyle == bsDialog || FBorderStyle == bsToolWindow;
    if (fixed)
        FWidget->setFixedSize(FWidth, FHeight);
    else {
        FWidget->setMinimumSize(0, 0);
        FWidget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    if (vis) FWidget->show();
}

// --- showing ---------------------------------------------------------------------------------------
void TCustomForm::Show() {
    SetVisible(true);
    if (FWidget) {
        FWidget->raise();
        if (!FDropDown) FWidget->activateWindow();
    }
}
void TCustomForm::Hide() {
    SetVisible(false);
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}
void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::PlaceWindow() {
    if (FPlaced) return;
    FPlaced = true;
    TRect work = Screen ? Screen->WorkAreaRect() : TRect(0, 0, 1024, 768);
    auto center = [&](const TRect& area) {
        SetBounds(area.Left + (area.Width() - FWidth) / 2, area.Top + (area.Height() - FHeight) / 2, FWidth,
                  FHeight);
    };
    switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
        if (Screen) {
            TMonitor* m = Screen->MonitorFromPoint(TPoint(FLeft, FTop));
            center(m ? m->WorkareaRect() : work);
        } else {
            center(work);
        }
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TCustomForm* f = nullptr;
        if (FPosition == poOwnerFormCenter) f = dynamic_cast<TCustomForm*>(Owner());
        if (!f && Application) f = Application->MainForm();
        if (f && f != this && f->Visible())
            center(f->BoundsRect());
        else
            center(work);
        break;
    }
    default:
        break;
    }
    // Keep a placed window on the work area.
    if (FPosition != poDesigned && FPosition != poDefault && FPosition != poDefaultPosOnly) {
        int l = std::max(work.Left, std::min(FLeft, work.Right - FWidth));
        int t = std::max(work.Top, std::min(FTop, work.Bottom - FHeight));
        SetBounds(l, t, FWidth, FHeight);
    }
    if (FWidget) FWidget->move(FLeft, FTop);
}

void TCustomForm::CMShowingChanged(TMessage&) {
    if (!FWidget) return;
    if (FShowing) {
        PlaceWindow();
        FFormState.Include(fsShowing);
        try {
            DoShow();
        } catch (...) {
            FFormState.Exclude(fsShowing);
            throw;
        }
        FFormState.Exclude(fsShowing);
        if (!FShowing || !FWidget) return;
        if (FWindowState == wsMaximized)
            FWidget->showMaximized();
        else if (FWindowState == wsMinimized)
            FWidget->showMinimized();
        else
            FWidget->show();
        FFormState.Include(fsVisible);
        if (!FDropDown) {
            FWidget->raise();
            FWidget->activateWindow();
        }
    } else {
        FFormState.Exclude(fsVisible);
        FWidget->hide();
        DoHide();
    }
}

// --- activation and focus ------------------------------------------------------------------------
void TCustomForm::Activate() {
    if (OnActivate) OnActivate(this);
}
void TCustomForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::WMActivate(TMessage& Message) {
    bool active = LoWord(Message.WParam) != WA_INACTIVE;
    if (active == FActive) return;
    FActive = active;
    if (active) {
        if (!FActiveControl) FActiveControl = FindNextControl(nullptr, true, true, false);
        SetWindowFocus();
        if (Screen) {
            Screen->FActiveCustomForm = this;
            auto& v = Screen->FForms;
            v.erase(std::remove(v.begin(), v.end(), this), v.end());
            v.insert(v.begin(), this);
            if (Screen->OnActiveFormChange) Screen->OnActiveFormChange(Screen);
        }
        Activate();
    } else {
        Deactivate();
    }
}

void TCustomForm::SetWindowFocus() {
    if (!FWidget) return;
    HWND h = FActiveControl && FActiveControl->CanFocus() ? FActiveControl->Handle() : Handle();
    ::SetFocus(h);
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
    if (FActiveControl == Control) return;
    if (Control && !(Control != this && GetParentForm(Control) == this &&
                     (ComponentState().Contains(csLoading) || Control->CanFocus())))
        throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    FActiveControl = Control;
    if (!ComponentState().Contains(csLoading) && FActive) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
    bool wasActive = FActive;
    SetActiveControl(Control);
    // The control already was the active one: give it the focus again.
    if (wasActive && Control && Control->HandleAllocated() && !Control->Focused()) SetWindowFocus();
    if (!wasActive) SetFocus();
}

bool TCustomForm::CanFocus() {
    return FVisible && Enabled();
}

void TCustomForm::SetFocus() {
    if (!FActive) {
        if (!(FVisible && Enabled()))
            throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
        if (FWidget) FWidget->activateWindow();
        SetWindowFocus();
    }
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
    if (Removing && FFocusedControl && Control->ContainsControl(FFocusedControl))
        FFocusedControl = Control->Parent();
    if (FActiveControl && Control->ContainsControl(FActiveControl)) {
        FActiveControl = nullptr;
        if (Screen && Screen->FActiveControl && Control->ContainsControl(Screen->FActiveControl))
            Screen->FActiveControl = nullptr;
    }
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
    int count = ++FFocusCount;
    auto send = [&](TWinControl* c, UINT msg) {
        c->Perform(msg, 0, 0);
        return FFocusCount == count;
    };
    if (Control != this) FActiveControl = Control;
    if (Screen) {
        Screen->FActiveControl = Control;
        Screen->FActiveCustomForm = this;
        if (Screen->OnActiveControlChange) Screen->OnActiveControlChange(Screen);
    }
    if (Control->ControlState().Contains(csFocusing)) return false;
    Control->FControlState.Include(csFocusing);
    struct Restore {
        TWinControl* c;
        ~Restore() { c->FControlState.Exclude(csFocusing); }
    } restore{Control};
    if (Screen && Screen->FFocusedForm != this) {
        if (TCustomForm* old = Screen->FFocusedForm) {
            Screen->FFocusedForm = nullptr;
            if (!send(old, CM_DEACTIVATE)) return false;
        }
        Screen->FFocusedForm = this;
        if (!send(this, CM_ACTIVATE)) return false;
    }
    if (!FFocusedControl) FFocusedControl = this;
    if (FFocusedControl != Control) {
        while (FFocusedControl && !FFocusedControl->ContainsControl(Control)) {
            TWinControl* c = FFocusedControl;
            FFocusedControl = FFocusedControl->Parent();
            if (!send(c, CM_EXIT)) return false;
        }
        while (FFocusedControl != Control) {
            TWinControl* t = Control;
            while (t->Parent() != FFocusedControl)
                t = t->Parent();
            FFocusedControl = t;
            if (!send(t, CM_ENTER)) return false;
        }
        for (TWinControl* p = Control->Parent(); p; p = p->Parent())
            if (auto* s = dynamic_cast<TScrollingWinControl*>(p)) s->ScrollInView(Control);
        Perform(CM_FOCUSCHANGED, 0, LPARAM(Control));
    }
    return true;
}

void TCustomForm::CMActivate(TMessage&) {}
void TCustomForm::CMDeactivate(TMessage&) {}

// Dialog keys: Tab moves through the tab order, Enter/Esc reach the default/cancel buttons.
void TCustomForm::CMDialogKey(TMessage& Message) {
    TWMKey k(Message);
    TShiftState s = KeyDataToShiftState(k.KeyData());
    if (!s.Contains(ssAlt) && !s.Contains(ssCtrl)) {
        switch (k.CharCode()) {
        case VK_TAB:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            // Focus moved by the keyboard shows its focus rectangle from now on, as on the
            // platform once the keyboard was used in a window.
            if (FWidget) FWidget->setAttribute(Qt::WA_KeyboardFocusChange);
            break;
        }
        switch (k.CharCode()) {
        case VK_TAB:
            if (FActiveControl || true) {
                SelectNext(FActiveControl, !s.Contains(ssShift), true);
                Message.Result = 1;
                return;
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (FActiveControl && FActiveControl->Parent()) {
                bool fwd = k.CharCode() == VK_RIGHT || k.CharCode() == VK_DOWN;
                FActiveControl->Parent()->SelectNext(FActiveControl, fwd, false);
                // As the platform's dialog manager does: an arrow that lands on a radio button
                // chooses it, so a group's choice can be made without the mouse.
                if (auto* r = dynamic_cast<TRadioButton*>(FActiveControl); r && r->Focused() && !r->Checked())
                    r->Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(r->Handle()));
                Message.Result = 1;
            }
            return;
        }
    }
    TScrollingWinControl::CMDialogKey(Message);
}

// --- modal and closing ---------------------------------------------------------------------------
void TCustomForm::SetModalResult(TModalResult v) {
    FModalResult = v;
    if (v != mrNone && FModalLoop) FModalLoop->quit();
}

int TCustomForm::ShowModal() {
    if (FVisible || !Enabled() || IsModal() || FFormState.Contains(fsModal))
        throw EInvalidOperation(QStringLiteral("Cannot make a visible window modal"));
    if (HWND cap = GetCapture()) SendMessage(cap, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    FFormState.Include(fsModal);
    HandleNeeded();
    FWidget->setWindowModality(Qt::ApplicationModal);
    FModalResult = mrNone;
    QEventLoop loop;
    FModalLoop = &loop;
    struct Cleanup {
        TCustomForm* f;
        ~Cleanup() {
            f->FModalLoop = nullptr;
            f->FFormState.Exclude(fsModal);
            if (f->FWidget) f->FWidget->setWindowModality(Qt::NonModal);
        }
    } cleanup{this};
    Show();
    Perform(CM_ACTIVATE, 0, 0);
    for (;;) {
        if (FModalResult == mrNone && !(Application && Application->Terminated())) {
            DispatchQueuedMessages();
            if (FModalResult == mrNone) loop.exec();
        }
        if (Application && Application->Terminated()) FModalResult = mrCancel;
        if (FModalResult != mrNone) CloseModal();
        if (FModalResult != mrNone) break;
    }
    Perform(CM_DEACTIVATE, 0, 0);
    TModalResult r = FModalResult;
    Hide();
    return r;
}

void TCustomForm::CloseModal() {
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone)
        FModalResult = mrNone;
    else if (action == caFree)
        Release();
}

bool TCustomForm::CloseQuery() {
    bool can = true;
    if (OnCloseQuery) OnCloseQuery(this, can);
    return can;
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close() {
    if (IsModal()) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this)
        Application->Terminate();
    else if (action == caHide)
        Hide();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Release();
}

void TCustomForm::Release() {
    PostMessage(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::CMRelease(TMessage&) {
    Free();
}

void TCustomForm::WMClose(TMessage&) {
    Close();
}

void TCustomForm::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SIZE:
        if (FWidget)
            if (auto* bar =
                    FWidget->findChild<QMenuBar*>(QStringLiteral("kvt_menubar"), Qt::FindDirectChildrenOnly))
                bar->setGeometry(0, 0, FWidth, bar->height());
        break;
    case WM_ACTIVATE:
        WMActivate(Message);
        return;
    case WM_CLOSE:
        WMClose(Message);
        return;
    case CM_DIALOGKEY:
        CMDialogKey(Message);
        return;
    case CM_SHOWINGCHANGED:
        CMShowingChanged(Message);
        return;
    case CM_RELEASE:
        CMRelease(Message);
        return;
    case CM_ACTIVATE:
        CMActivate(Message);
        return;
    case CM_DEACTIVATE:
        CMDeactivate(Message);
        return;
    }
    TScrollingWinControl::Dispatch(Message);
}

// --- short cuts and the menu bar ------------------------------------------------------------------
bool TCustomForm::IsShortCut(TMessage& Message) {
    bool handled = false;
    if (OnShortCut) OnShortCut(Message, handled);
    if (!handled && FMenu) handled = FMenu->IsShortCut(Message);
    return handled;
}

void TCustomForm::SetMenu(TMainMenu* v) {
    if (FMenu == v) return;
    if (FMenu) FMenu->RemoveFreeNotification(this);
    FMenu = v;
    if (v) v->FreeNotification(this);
    UpdateMenuBar();
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    TScrollingWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMenu) {
        FMenu = nullptr;
        UpdateMenuBar();
    }
}

void TCustomForm::UpdateMenuBar() {
    TWindowRecord* rec = FindWindowRecord(FHandle);
    if (!rec || !FWidget) return;
    QMenuBar* bar = FWidget->findChild<QMenuBar*>(QStringLiteral("kvt_menubar"), Qt::FindDirectChildrenOnly);
    if (!FMenu) {
        delete bar;
        rec->MenuHeight = 0;
    } else {
        if (!bar) {
            bar = new QMenuBar(FWidget);
            bar->setObjectName(QStringLiteral("kvt_menubar"));
            bar->setProperty("kvt_ncbar", true);
        }
        bar->clear();
        TMenuItem* items = FMenu->Items();
        for (int i = 0; i < items->Count(); ++i) {
            TMenuItem* it = items->Items(i);
            if (!it->Visible()) continue;
            if (it->Count() == 0) {
                QAction* a = bar->addAction(it->Caption());
                a->setEnabled(it->Enabled());
                QObject::connect(a, &QAction::triggered, a, [it] { GuardedCall([it] { it->Click(); }); });
                continue;
            }
            QMenu* m = bar->addMenu(it->Caption());
            m->setEnabled(it->Enabled());
            // Built when opened, so that the items show their current state.
            QObject::connect(m, &QMenu::aboutToShow, m, [m, it] {
                m->clear();
                BuildQtMenu(m, it, nullptr);
            });
        }
        bar->setGeometry(0, 0, FWidth, bar->sizeHint().height());
        bar->show();
        rec->MenuHeight = bar->sizeHint().height();
    }
    for (auto* c : FControls)
        c->SetBounds(c->Left(), c->Top(), c->Width(), c->Height());
    for (auto* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Widget()) {
            TRect nc = NonClientInsets(rec);
            w->Widget()->move(w->Left() + nc.Left, w->Top() + nc.Top);
        }
    Realign();
    Invalidate();
}
