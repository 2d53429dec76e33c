// TWinControl: the window life cycle, children and alignment, focus, keyboard and painting.

#include "platform/ui/Controls.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/WinGdi.h"
#include "platform/ui/WindowBridge.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QWidget>

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
    FBrush = std::make_unique<TBrush>();
    FBrush->SetColor(FColor);
}

TWinControl::~TWinControl() {
    // Children that are not owned by this control lose their parent; owned ones are freed by
    // TComponent after this destructor, so detach them first.
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        RemoveControl(c);
    }
    DestroyHandle();
}

void TWinControl::BeforeDestruction() {
    TControl::BeforeDestruction();
    if (auto* f = GetParentForm(this)) f->DefocusControl(this, true);
    DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND h) {
    return FindControl(h);
}

// --- window life cycle ---------------------------------------------------------------------------
HWND TWinControl::Handle() {
    HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded() {
    if (FHandle) return;
    if (FParent) FParent->HandleNeeded();
    CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params = TCreateParams();
    Params.Caption = FText;
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FControlStyle.Contains(csAcceptsControls)) Params.Style |= WS_CLIPCHILDREN;
    if (!FEnabled) Params.Style |= WS_DISABLED;
    if (FTabStop) Params.Style |= WS_TABSTOP;
    Params.X = FLeft, Params.Y = FTop, Params.Width = FWidth, Params.Height = FHeight;
    if (FParent)
        Params.WndParent = FParent->FHandle;
    else
        Params.WndParent = FParentWindow;
    Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    Params.WinClassName = ClassName();
}

void TWinControl::CreateHandle() {
    if (FHandle) return;
    CreateWnd();
    UpdateBoundsRect(BoundsRect());
    InitWidget();
    for (auto* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FHandle && w->FWidget) w->FWidget->raise();
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    if (!p.WndParent && (p.Style & WS_CHILD) && !FParent && !FParentWindow)
        throw EInvalidOperation(QStringLiteral("Control '%1' has no parent window").arg(Name()));
    CreateWindowHandle(p);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
    EnsureEventBridge();
    bool top = (Params.Style & WS_POPUP) || !(Params.Style & WS_CHILD);
    QWidget* parentWidget = nullptr;
    if (FParent)
        parentWidget = FParent->FWidget;
    else if (auto* r = FindWindowRecord(FParentWindow))
        parentWidget = r->Widget;
    if (top && parentWidget) parentWidget = parentWidget->window();
    FStyle = Params.Style;
    FExStyle = Params.ExStyle;
    FClassStyle = Params.WindowClass.style;
    QWidget* w = CreateWidget(Params, parentWidget);
    bool native = !dynamic_cast<TQtWindow*>(w);
    FWidget = w;
    FHandle = RegisterWindow(this, w, native);
    w->setMouseTracking(true);
    w->setAttribute(Qt::WA_Hover, false);
    if (native) w->setFont(FFont->ToQFont());
    // Geometry relative to the parent's widget: the parent's non-client area comes first.
    if (w->isWindow()) {
        w->move(FLeft, FTop);
        w->resize(FWidth, FHeight);
    } else if (FParent) {
        TRect nc = NonClientInsets(FindWindowRecord(FParent->FHandle));
        w->setGeometry(FLeft + nc.Left, FTop + nc.Top, FWidth, FHeight);
    } else {
        w->setGeometry(FLeft, FTop, FWidth, FHeight);
    }
    w->setEnabled(FEnabled);
    if (FStyle & (WS_HSCROLL | WS_VSCROLL)) {
        auto* r = FindWindowRecord(FHandle);
        r->Bars[SB_HORZ].Visible = (FStyle & WS_HSCROLL) != 0;
        r->Bars[SB_VERT].Visible = (FStyle & WS_VSCROLL) != 0;
    }
    LayoutScrollBars(FindWindowRecord(FHandle));
}

QWidget* TWinControl::CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) {
    bool top = (Params.Style & WS_POPUP) || !(Params.Style & WS_CHILD);
    TQtWindow* w;
    if (top) {
        // A pop-up: a frameless tool window placed at screen coordinates, shown without activation.
        Qt::WindowFlags f = Qt::Tool | Qt::FramelessWindowHint;
        if (Params.ExStyle & WS_EX_NOACTIVATE)
            f = Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
        if (Params.ExStyle & WS_EX_TOPMOST) f |= Qt::WindowStaysOnTopHint;
        w = new TQtWindow(this, ParentWidget, f);
        w->setAttribute(Qt::WA_ShowWithoutActivating, true);
    } else {
        w = new TQtWindow(this, ParentWidget);
    }
    w->setFocusPolicy(Qt::NoFocus);
    return w;
}

void TWinControl::SetWindowStyles(DWORD Style, DWORD ExStyle) {
    FStyle = Style;
    FExStyle = ExStyle;
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    for (auto* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd() {
    FText = GetText();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
    FControlState.Include(csDestroyingHandle);
    HWND h = FHandle;
    QWidget* w = FWidget;
    FHandle = nullptr;
    FWidget = nullptr;
    FShowing = false;
    UnregisterWindow(h);
    if (auto* q = dynamic_cast<TQtWindow*>(w)) q->Detach();
    if (w) {
        w->hide();
        w->deleteLater();
        w->setParent(nullptr);
    }
    FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
    if (!FHandle) return;
    FControlState.Include(csRecreating);
    bool wasFocused = Focused();
    DestroyHandle();
    UpdateShowing();
    FControlState.Exclude(csRecreating);
    if (wasFocused && CanFocus()) SetFocus();
}

void TWinControl::SetParentWindow(HWND v) {
    if (FParent || FParentWindow == v) return;
    DestroyHandle();
    FParentWindow = v;
    UpdateControlState();
}

void TWinControl::UpdateControlState() {
    UpdateShowing();
}

// Showing: visible and every parent showing; the window exists while the control shows.
// Top-level windows (forms, pop-ups) show when they are visible.
void TWinControl::UpdateShowing() {
    TCreateParams p;
    CreateParams(p);
    bool top = (p.Style & WS_POPUP) || !(p.Style & WS_CHILD);
    bool parentShows = FParent ? FParent->FShowing : (FParentWindow != nullptr || top);
    bool showing = FVisible && parentShows;
    if (showing) HandleNeeded();
    if (showing != FShowing) {
        FShowing = showing;
        Perform(CM_SHOWINGCHANGED, 0, 0);
    }
    for (auto* c : std::vector<TControl*>(FControls))
        if (auto* w = dynamic_cast<TWinControl*>(c); w && (FShowing || w->FShowing)) w->UpdateShowing();
}

void TWinControl::ShowControl(TControl*) {
    if (FParent) FParent->ShowControl(this);
}

// --- children ------------------------------------------------------------------------------------
void TWinControl::InsertControl(TControl* AControl) {
    AControl->FParent = this;
    FControls.push_back(AControl);
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        FTabList.push_back(w);
        if (FShowing) w->UpdateShowing();
    }
    AControl->Invalidate();
    Perform(CM_CONTROLLISTCHANGE, WPARAM(AControl), 1);
    Realign();
}

void TWinControl::RemoveControl(TControl* AControl) {
    auto it = std::find(FControls.begin(), FControls.end(), AControl);
    if (it == FControls.end()) return;
    if (auto* f = GetParentForm(this))
        if (auto* w = dynamic_cast<TWinControl*>(AControl)) f->DefocusControl(w, true);
    AControl->Invalidate();
    FControls.erase(it);
    if (FMouseControl == AControl) FMouseControl = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
        w->DestroyHandle();
        w->FShowing = false;
    }
    AControl->FParent = nullptr;
    if (!ComponentState().Contains(csDestroying)) {
        Perform(CM_CONTROLLISTCHANGE, WPARAM(AControl), 0);
        Realign();
    }
}

bool TWinControl::ContainsControl(TControl* Control) const {
    for (TControl* c = Control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls,
                                    bool AllLevels) {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        bool win = dynamic_cast<TWinControl*>(c) != nullptr;
        if (win && !AllowWinControls) continue;
        if (!c->Visible() || (!AllowDisabled && !c->Enabled())) continue;
        TPoint p{Pos.X - c->Left(), Pos.Y - c->Top()};
        if (!c->BoundsRect().Contains(Pos)) continue;
        if (c->Perform(CM_HITTEST, 0, PointToLParam(p.X, p.Y)) == 0) continue;
        if (AllLevels && win) {
            auto* w = static_cast<TWinControl*>(c);
            TPoint cp = w->ParentToClient(Pos, this);
            if (TControl* d = w->ControlAtPos(cp, AllowDisabled, true, true)) return d;
        }
        return c;
    }
    return nullptr;
}

TControl* TWinControl::FindChildControl(const String& ControlName) {
    for (auto* c : FControls)
        if (c->Name().compare(ControlName, Qt::CaseInsensitive) == 0) return c;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
    for (auto* c : std::vector<TControl*>(FControls)) {
        c->WindowProc(Message);
        if (Message.Result) return;
    }
}

void TWinControl::NotifyControls(UINT Msg) {
    TMessage m{Msg, 0, 0, 0};
    Broadcast(m);
}

void TWinControl::DisableAlign() {
    ++FAlignLevel;
}
void TWinControl::EnableAlign() {
    if (--FAlignLevel == 0 && FAlignPending) Realign();
}

void TWinControl::Realign() {
    if (FAlignLevel > 0 || FControlState.Contains(csAligning)) {
        FAlignPending = true;
        return;
    }
    FAlignPending = false;
    TRect r = ClientRect();
    AlignControls(nullptr, r);
}

void TWinControl::AlignControl(TControl*) {
    Realign();
}

void TWinControl::AdjustClientRect(TRect& Rect) {
    Rect.Inflate(-FBorderWidth, -FBorderWidth);
    if (FBevelKind != bkNone) {
        int bw = (FBevelInner != bvNone ? FBevelWidth : 0) + (FBevelOuter != bvNone ? FBevelWidth : 0);
        if (FBevelEdges.Contains(beLeft)) Rect.Left += bw;
        if (FBevelEdges.Contains(beTop)) Rect.Top += bw;
        if (FBevelEdges.Contains(beRight)) Rect.Right -= bw;
        if (FBevelEdges.Contains(beBottom)) Rect.Bottom -= bw;
    }
}

// The platform's order: top, bottom, left, right, client; within one alignment by position.
void TWinControl::AlignControls(TControl*, TRect& Rect) {
    FControlState.Include(csAligning);
    TRect r = Rect;
    AdjustClientRect(r);
    // Anchors: keep the distances to the right/bottom edges when the client size changes.
    TRect cr = Rect;
    if (FOriginalParentSize.X > 0 || FOriginalParentSize.Y > 0) {
        int dw = cr.Width() - FOriginalParentSize.X, dh = cr.Height() - FOriginalParentSize.Y;
        if (dw || dh)
            for (auto* c : FControls) {
                if (c->FAlign != alNone) continue;
                TAnchors a = c->FAnchors;
                int l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
                if (a.Contains(akRight)) {
                    if (a.Contains(akLeft))
                        w += dw;
                    else
                        l += dw;
                } else if (!a.Contains(akLeft)) {
                    l += dw / 2;
                }
                if (a.Contains(akBottom)) {
                    if (a.Contains(akTop))
                        h += dh;
                    else
                        t += dh;
                } else if (!a.Contains(akTop)) {
                    t += dh / 2;
                }
                if (l != c->FLeft || t != c->FTop || w != c->FWidth || h != c->FHeight)
                    c->SetBounds(l, t, w, h);
            }
    }
    FOriginalParentSize = {cr.Width(), cr.Height()};
    for (TAlign al : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> list;
        for (auto* c : FControls)
            if (c->FAlign == al && c->FVisible) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [al](TControl* a, TControl* b) {
            switch (al) {
            case alTop:
                return a->FTop < b->FTop;
            case alBottom:
                return a->FTop + a->FHeight > b->FTop + b->FHeight;
            case alLeft:
                return a->FLeft < b->FLeft;
            case alRight:
                return a->FLeft + a->FWidth > b->FLeft + b->FWidth;
            default:
                return false;
            }
        });
        for (auto* c : list) {
            int w = std::max(0, r.Width()), h = std::max(0, r.Height());
            switch (al) {
            case alTop:
                c->SetBounds(r.Left, r.Top, w, c->FHeight);
                r.Top += c->FHeight;
                break;
            case alBottom:
                c->SetBounds(r.Left, r.Bottom - c->FHeight, w, c->FHeight);
                r.Bottom -= c->FHeight;
                break;
            case alLeft:
                c->SetBounds(r.Left, r.Top, c->FWidth, h);
                r.Left += c->FWidth;
                break;
            case alRight:
                c->SetBounds(r.Right - c->FWidth, r.Top, c->FWidth, h);
                r.Right -= c->FWidth;
                break;
            case alClient:
                c->SetBounds(r.Left, r.Top, w, h);
                break;
            default:
                break;
            }
        }
    }
    FControlState.Exclude(csAligning);
    ControlsAligned();
}

TRect TWinControl::GetClientRect() {
    TRect nc;
    if (auto* r = FindWindowRecord(FHandle)) {
        nc = NonClientInsets(r);
    } else {
        TCreateParams p;
        CreateParams(p);
        if (FParent || FParentWindow) nc = BorderInsets(p.Style & ~(WS_THICKFRAME | WS_DLGFRAME), p.ExStyle);
        const TRect m = NonClientMargins();
        nc.Left += m.Left, nc.Top += m.Top, nc.Right += m.Right, nc.Bottom += m.Bottom;
    }
    return {0, 0, std::max(0, FWidth - nc.Left - nc.Right), std::max(0, FHeight - nc.Top - nc.Bottom)};
}

TPoint TWinControl::ClientOrigin() {
    TRect nc = NonClientInsets(FindWindowRecord(FHandle));
    if (FWidget) {
        QPoint p = FWidget->mapToGlobal(QPoint(nc.Left, nc.Top));
        return {p.x(), p.y()};
    }
    TPoint p = FParent ? FParent->ClientOrigin() : TPoint();
    return {p.X + FLeft + nc.Left, p.Y + FTop + nc.Top};
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    int ow = FWidth, oh = FHeight;
    TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (FWidget) {
        if (FWidget->isWindow()) {
            FWidget->move(FLeft, FTop);
            FWidget->resize(FWidth, FHeight);
        } else {
            TRect nc = FParent ? NonClientInsets(FindWindowRecord(FParent->FHandle)) : TRect();
            FWidget->setGeometry(FLeft + nc.Left, FTop + nc.Top, FWidth, FHeight);
        }
        LayoutScrollBars(FindWindowRecord(FHandle));
    }
    if (FWidth != ow || FHeight != oh) {
        TRect cr = ClientRect();
        Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(Word(cr.Width()), Word(cr.Height())));
    }
}

bool TWinControl::CanAutoSize(int&, int&) {
    return true;
}

void TWinControl::ChangeScale(int M, int D) {
    DisableAlign();
    for (auto* c : FControls)
        c->ChangeScale(M, D);
    TControl::ChangeScale(M, D);
    EnableAlign();
}

// --- focus ---------------------------------------------------------------------------------------
bool TWinControl::CanFocus() {
    TCustomForm* form = GetParentForm(this);
    if (!form) return FVisible && Enabled();
    for (TWinControl* c = this; c != form; c = c->FParent) {
        if (!c) return false;
        if (!(c->FVisible && c->Enabled())) return false;
    }
    return form->FVisible && form->Enabled();
}

bool TWinControl::Focused() {
    return FHandle && GetFocus() == FHandle;
}

void TWinControl::SetFocus() {
    if (TCustomForm* f = GetParentForm(this))
        f->FocusControl(this);
    else if (FParentWindow && FHandle)
        ::SetFocus(FHandle);
    else
        ValidParentForm(this);
}

void TWinControl::SetTabStop(bool v) {
    if (FTabStop == v) return;
    FTabStop = v;
    if (v)
        FStyle |= WS_TABSTOP;
    else
        FStyle &= ~DWORD(WS_TABSTOP);
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const {
    if (!FParent) return -1;
    auto& l = FParent->FTabList;
    auto it = std::find(l.begin(), l.end(), this);
    return it == l.end() ? -1 : int(it - l.begin());
}

void TWinControl::SetTabOrder(int v) {
    if (!FParent) return;
    auto& l = FParent->FTabList;
    auto it = std::find(l.begin(), l.end(), this);
    if (it == l.end()) return;
    l.erase(it);
    v = std::clamp(v < 0 ? int(l.size()) : v, 0, int(l.size()));
    l.insert(l.begin() + v, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
    for (auto* c : FTabList) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = int(list.size());
    int start = int(std::find(list.begin(), list.end(), CurControl) - list.begin());
    if (start == n) start = GoForward ? n - 1 : 0;
    int i = start;
    for (int k = 0; k < n; ++k) {
        i = GoForward ? (i + 1) % n : (i + n - 1) % n;
        TWinControl* c = list[size_t(i)];
        // The current control is looked at last: it is the answer when nothing else qualifies.
        if ((!CheckTabStop || c->FTabStop) && (!CheckParent || c->FParent == this) && c->CanFocus()) return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) c->SetFocus();
}

// --- appearance ----------------------------------------------------------------------------------
void TWinControl::SetCtl3D(bool v) {
    if (FCtl3D == v) return;
    FCtl3D = v;
    FParentCtl3D = false;
    Perform(CM_CTL3DCHANGED, 0, 0);
}
void TWinControl::SetParentCtl3D(bool v) {
    FParentCtl3D = v;
    if (v && FParent) SetCtl3D(FParent->FCtl3D), FParentCtl3D = true;
}
void TWinControl::SetBorderWidth(TBorderWidth v) {
    if (FBorderWidth == v) return;
    FBorderWidth = v;
    Perform(CM_BORDERCHANGED, 0, 0);
}
void TWinControl::SetBevelInner(TBevelCut v) {
    FBevelInner = v;
    Perform(CM_BORDERCHANGED, 0, 0);
}
void TWinControl::SetBevelOuter(TBevelCut v) {
    FBevelOuter = v;
    Perform(CM_BORDERCHANGED, 0, 0);
}
void TWinControl::SetBevelEdges(TBevelEdges v) {
    FBevelEdges = v;
    Perform(CM_BORDERCHANGED, 0, 0);
}
void TWinControl::SetBevelKind(TBevelKind v) {
    FBevelKind = v;
    Perform(CM_BORDERCHANGED, 0, 0);
}
void TWinControl::SetBevelWidth(TBevelWidth v) {
    FBevelWidth = v;
    Perform(CM_BORDERCHANGED, 0, 0);
}
void TWinControl::SetParentBackground(bool v) {
    if (v)
        FControlStyle.Include(csParentBackground);
    else
        FControlStyle.Exclude(csParentBackground);
    Invalidate();
}

// --- painting ------------------------------------------------------------------------------------
void TWinControl::Invalidate() {
    if (FWidget) InvalidateWidget(FWidget);
}
void TWinControl::Update() {
    if (FWidget) UpdateWidget(FWidget); // only what is invalid, as UpdateWindow
}
void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintHandler(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    HDC own = nullptr;
    if (!dc && FPainter) dc = own = CreatePainterDC(FPainter);
    if (!dc) return;
    FControlState.Include(csCustomPaint);
    try {
        PaintWindow(dc);
        PaintControls(dc, nullptr);
    } catch (...) {
        FControlState.Exclude(csCustomPaint);
        if (own) DeleteDC(own);
        throw;
    }
    FControlState.Exclude(csCustomPaint);
    if (own) DeleteDC(own);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
    QPainter* p = DCPainter(DC);
    if (!p) return;
    bool started = First == nullptr;
    for (auto* c : std::vector<TControl*>(FControls)) {
        if (!started) {
            started = c == First;
            if (!started) continue;
        }
        if (dynamic_cast<TWinControl*>(c) || !c->Visible() || c->Width() <= 0 || c->Height() <= 0) continue;
        p->save();
        p->translate(c->Left(), c->Top());
        p->setClipRect(0, 0, c->Width(), c->Height(), Qt::IntersectClip);
        HDC cdc = CreatePainterDC(p);
        try {
            c->Perform(WM_PAINT, WPARAM(cdc), 0);
        } catch (...) {
            DeleteDC(cdc);
            p->restore();
            throw;
        }
        DeleteDC(cdc);
        p->restore();
    }
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
    QPainter* p = DCPainter(DC);
    if (!p) return;
    p->save();
    p->translate(X, Y);
    PaintWindowWidget(this, *p, QRect(0, 0, FWidth, FHeight));
    p->restore();
}
void TWinControl::PaintTo(TCanvas* Canvas, int X, int Y) {
    PaintTo(Canvas->Handle(), X, Y);
}

// --- messages ------------------------------------------------------------------------------------
void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SETFOCUS: {
        TCustomForm* form = GetParentForm(this);
        if (form && form != this && !form->SetFocusedControl(this)) return;
        break;
    }
    case WM_KILLFOCUS:
        if (FControlState.Contains(csFocusing)) return;
        break;
    case WM_NCHITTEST:
        break;
    default:
        if ((Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL &&
             Message.Msg != WM_MOUSEHWHEEL)) {
            if (IsControlMouseMsg(Message)) return;
        }
        if (Message.Msg >= WM_KEYFIRST && Message.Msg <= WM_KEYLAST) {
            if (Dragging()) return;
        }
    }
    TControl::WndProc(Message);
}

TControl* TWinControl::FindCapturedGraphic(const TPoint&) {
    TControl* cap = GetCaptureControl();
    if (cap && cap->Parent() == this && !dynamic_cast<TWinControl*>(cap)) return cap;
    return nullptr;
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
    TPoint p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    TControl* c = FindCapturedGraphic(p);
    if (!c && !GetCaptureControl()) c = ControlAtPos(p, false);
    if (c && dynamic_cast<TWinControl*>(c)) c = nullptr;
    if (Message.Msg == WM_MOUSEMOVE && c != FMouseControl) {
        TControl* old = FMouseControl;
        FMouseControl = c;
        if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
        if (c) c->Perform(CM_MOUSEENTER, 0, 0);
    }
    if (!c) return false;
    TMessage m = Message;
    m.LParam = PointToLParam(p.X - c->Left(), p.Y - c->Top());
    c->WindowProc(m);
    Message.Result = m.Result;
    return true;
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT:
        WMPaint(Message);
        return;
    case WM_ERASEBKGND:
        WMEraseBkgnd(Message);
        return;
    case WM_NCPAINT:
        WMNCPaint(Message);
        return;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        return;
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        WMKeyDown(Message);
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        WMKeyUp(Message);
        return;
    case WM_CHAR:
        WMChar(Message);
        return;
    case WM_SIZE:
        WMSize(Message);
        return;
    case WM_MOVE:
        WMMove(Message);
        return;
    case WM_COMMAND:
        WMCommand(Message);
        return;
    case WM_HSCROLL:
    case WM_VSCROLL:
        WMScroll(Message);
        return;
    case WM_SETCURSOR:
        WMSetCursor(Message);
        return;
    case WM_NCHITTEST:
        WMNCHitTest(Message);
        return;
    case WM_CONTEXTMENU:
        WMContextMenu(Message);
        return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        CNKeyDown(Message);
        return;
    case CN_CHAR:
        CNChar(Message);
        return;
    case CM_ENTER:
        CMEnter(Message);
        return;
    case CM_EXIT:
        CMExit(Message);
        return;
    case CM_DIALOGKEY:
        CMDialogKey(Message);
        return;
    case CM_DIALOGCHAR:
        CMDialogChar(Message);
        return;
    case CM_ENABLEDCHANGED:
        CMEnabledChanged(Message);
        return;
    case CM_SHOWINGCHANGED:
        CMShowingChanged(Message);
        return;
    case CM_VISIBLECHANGED:
        CMVisibleChanged(Message);
        return;
    case CM_FONTCHANGED:
        CMFontChanged(Message);
        return;
    case CM_COLORCHANGED:
        CMColorChanged(Message);
        return;
    case CM_BIDIMODECHANGED:
        // Children that follow their parent's reading order take the new one.
        TControl::Dispatch(Message);
        NotifyControls(CM_PARENTBIDIMODECHANGED);
        return;
    case CM_CTL3DCHANGED:
        CMCtl3DChanged(Message);
        return;
    case CM_BORDERCHANGED:
        CMBorderChanged(Message);
        return;
    case CM_TEXTCHANGED:
        CMTextChanged(Message);
        return;
    case CM_RECREATEWND:
        CMRecreateWnd(Message);
        return;
    case CM_INVALIDATE:
        CMInvalidate(Message);
        return;
    case CM_FOCUSCHANGED:
        Broadcast(Message);
        return;
    case CM_CHILDKEY:
        // A key a child did not take is offered up the parent chain.
        if (FParent) FParent->WindowProc(Message);
        return;
    }
    TControl::Dispatch(Message);
}

void TWinControl::DefaultHandler(TMessage& Message) {
    if (FHandle && DeliverInputEvent(FHandle, Message)) return;
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = 0;
        return;
    case WM_NCHITTEST:
        Message.Result = HTCLIENT;
        return;
    case WM_MOUSEACTIVATE:
        Message.Result = MA_ACTIVATE;
        return;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case WM_CANCELMODE:
        if (FHandle && GetCapture() == FHandle) ReleaseCapture();
        return;
    }
    TControl::DefaultHandler(Message);
}

void TWinControl::WMPaint(TMessage& Message) {
    PaintHandler(Message);
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    if (QPainter* p = DCPainter(dc)) {
        // A control with the parent's background shows the colour of the nearest ancestor
        // that paints its own.
        TColor c = FBrush->Color();
        for (TWinControl* w = this; w && w->FControlStyle.Contains(csParentBackground) && w->FParent;
             w = w->FParent)
            c = w->FParent->FBrush->Color();
        TRect cr = ClientRect();
        p->fillRect(QRect(0, 0, cr.Width(), cr.Height()), ColorToQColor(c));
    }
    Message.Result = 1;
}

void TWinControl::WMNCPaint(TMessage& Message) {
    // WParam: the painter's device context in window coordinates.
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    if (!dc || !(FParent || FParentWindow)) return;
    TRect r{0, 0, FWidth, FHeight};
    if (FExStyle & WS_EX_CLIENTEDGE) {
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    } else if (FExStyle & WS_EX_STATICEDGE) {
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    if (FStyle & WS_BORDER) {
        if (QPainter* p = DCPainter(dc)) {
            p->setPen(ColorToQColor(clWindowFrame));
            p->setBrush(Qt::NoBrush);
            p->drawRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
        }
        InflateRect(r, -1, -1);
    }
    // The square where both scroll bars meet belongs to neither bar: it takes the face colour.
    TWindowRecord* rec = FindWindowRecord(FHandle);
    if (rec && rec->Bars[SB_HORZ].Visible && rec->Bars[SB_VERT].Visible) {
        if (QPainter* p = DCPainter(dc)) {
            const int e = ScrollBarExtent();
            const bool left = UseRightToLeftScrollBar() || (FExStyle & WS_EX_LEFTSCROLLBAR);
            const int x = left ? r.Left : r.Right - e;
            p->fillRect(x, r.Bottom - e, e, e, ColorToQColor(clBtnFace));
        }
    }
}

void TWinControl::WMSetFocus(TMessage& Message) {
    DefaultHandler(Message);
}
void TWinControl::WMKillFocus(TMessage& Message) {
    DefaultHandler(Message);
}

bool TWinControl::DoKeyDown(TMessage& Message) {
    TWMKey k(Message);
    TShiftState shift = KeyDataToShiftState(k.KeyData());
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(Message)) return true;
    Word key = k.CharCode();
    if (!FControlStyle.Contains(csNoStdEvents)) {
        KeyDown(key, shift);
        k.SetCharCode(key);
        if (key == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
    TWMKey k(Message);
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message)) return true;
    if (!FControlStyle.Contains(csNoStdEvents)) {
        Char ch(char16_t(k.CharCode()));
        KeyPress(ch);
        k.SetCharCode(ch.unicode());
        if (ch == Char(0)) return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
    TWMKey k(Message);
    TShiftState shift = KeyDataToShiftState(k.KeyData());
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(Message)) return true;
    Word key = k.CharCode();
    if (!FControlStyle.Contains(csNoStdEvents)) {
        KeyUp(key, shift);
        k.SetCharCode(key);
        if (key == 0) return true;
    }
    return false;
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TWinControl::KeyPress(Char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}
void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}
void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::WMKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}
void TWinControl::WMKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}
void TWinControl::WMChar(TMessage& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

// Offered before WM_KEYDOWN is dispatched: dialog keys go to the form unless the control
// wants them. Result 1 consumes the key.
void TWinControl::CNKeyDown(TMessage& Message) {
    TWMKey k(Message);
    Message.Result = 1;
    // Short cuts of the pop-up menus up the parent chain, then of the form.
    for (TControl* c = this; c; c = c->Parent())
        if (c->FPopupMenu && c->FPopupMenu->IsShortCut(Message)) return;
    if (TCustomForm* f = GetParentForm(this); f && f->IsShortCut(Message)) return;
    if (Perform(CM_CHILDKEY, k.CharCode(), LPARAM(this)) != 0) return;
    UINT mask = 0;
    switch (k.CharCode()) {
    case VK_TAB:
        mask = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        mask = DLGC_WANTARROWS;
        break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
        mask = DLGC_WANTALLKEYS;
        break;
    }
    if (mask && Perform(CM_WANTSPECIALKEY, k.CharCode(), k.KeyData()) == 0 &&
        (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
        if (TCustomForm* f = GetParentForm(this);
            f && f->Perform(CM_DIALOGKEY, k.CharCode(), k.KeyData()) != 0)
            return;
    }
    Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
    Message.Result = 0;
    // Characters pass unless the control asked for none of them.
    if ((Perform(WM_GETDLGCODE, 0, 0) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) == 0) {
        if (TCustomForm* f = GetParentForm(this);
            f && f->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
            Message.Result = 1;
    }
}

void TWinControl::CMEnter(TMessage&) {
    DoEnter();
}
void TWinControl::CMExit(TMessage&) {
    DoExit();
}

void TWinControl::CMDialogKey(TMessage& Message) {
    Broadcast(Message);
}
void TWinControl::CMDialogChar(TMessage& Message) {
    Broadcast(Message);
}

void TWinControl::CMEnabledChanged(TMessage& Message) {
    if (!Enabled() && FParent) {
        if (auto* f = GetParentForm(this)) f->DefocusControl(this, false);
    }
    if (FWidget) FWidget->setEnabled(Enabled());
    TControl::CMEnabledChanged(Message);
}

void TWinControl::CMShowingChanged(TMessage&) {
    if (FWidget) FWidget->setVisible(FShowing);
}

void TWinControl::CMVisibleChanged(TMessage& Message) {
    if (!FVisible) {
        if (auto* f = GetParentForm(this); f && f != this) f->DefocusControl(this, false);
    }
    UpdateControlState();
    TControl::CMVisibleChanged(Message);
}

void TWinControl::CMFontChanged(TMessage& Message) {
    if (FWidget && !dynamic_cast<TQtWindow*>(FWidget)) FWidget->setFont(FFont->ToQFont());
    TMessage m{CM_PARENTFONTCHANGED, 0, 0, 0};
    for (auto* c : std::vector<TControl*>(FControls))
        c->WindowProc(m);
    TControl::CMFontChanged(Message);
}

void TWinControl::CMColorChanged(TMessage& Message) {
    FBrush->SetColor(FColor);
    NotifyControls(CM_PARENTCOLORCHANGED);
    TControl::CMColorChanged(Message);
}

void TWinControl::CMCtl3DChanged(TMessage&) {
    if (FHandle) RecreateWnd();
}
void TWinControl::CMBorderChanged(TMessage&) {
    if (FHandle) {
        TCreateParams p;
        CreateParams(p);
        FStyle = (FStyle & (WS_HSCROLL | WS_VSCROLL)) | (p.Style & ~DWORD(WS_HSCROLL | WS_VSCROLL));
        FExStyle = p.ExStyle;
        LayoutScrollBars(FindWindowRecord(FHandle));
    }
    Realign();
    Invalidate();
}
void TWinControl::CMTextChanged(TMessage&) {
    if (FWidget && FWidget->isWindow()) FWidget->setWindowTitle(FText);
}
void TWinControl::CMRecreateWnd(TMessage&) {
    RecreateWnd();
}
void TWinControl::CMInvalidate(TMessage&) {
    Invalidate();
}

void TWinControl::WMSize(TMessage& Message) {
    Realign();
    DefaultHandler(Message);
}
void TWinControl::WMMove(TMessage& Message) {
    DefaultHandler(Message);
}

// Notifications from child windows come back to the child as CN_xxx.
void TWinControl::WMCommand(TMessage& Message) {
    TWMCommand c(Message);
    if (TWinControl* child = FindControl(c.Ctl()); child && child != this) {
        Message.Result = child->Perform(CN_COMMAND, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}
void TWinControl::WMScroll(TMessage& Message) {
    TWMScroll s(Message);
    if (TWinControl* child = FindControl(s.ScrollBar()); child && child != this) {
        Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMSetCursor(TMessage& Message) {
    TWMSetCursor s(Message);
    if (s.CursorWnd() == FHandle && s.HitTest() == HTCLIENT) {
        TCursor cur = Screen ? Screen->Cursor() : crDefault;
        if (cur == crDefault) {
            TPoint p;
            GetCursorPos(&p);
            TControl* c = ControlAtPos(ScreenToClient(p), false);
            cur = c && c->Cursor() != crDefault ? c->Cursor() : FCursor;
        }
        if (cur != crDefault) {
            ::SetCursor(cur);
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

void TWinControl::WMNCHitTest(TMessage& Message) {
    DefaultHandler(Message);
}

void TWinControl::WMContextMenu(TMessage& Message) {
    TControl::WMContextMenu(Message);
}

// ---------------------------------------------------------------------------------------------
// TControlCanvas, TCustomControl, TGraphicControl
TControlCanvas::~TControlCanvas() = default;

void TControlCanvas::FreeHandle() {
    SetHandle(nullptr);
}
void TControlCanvas::UpdateTextFlags() {
    if (!FControl) return;
    SetTextFlags(FControl->UseRightToLeftReading() ? 0x0080 /*ETO_RTLREADING*/ : 0);
}
void TControlCanvas::CreateHandle() {
    // Outside painting a control canvas measures on the screen context.
    SetHandle(ScreenDC());
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
    FCanvas = std::make_unique<TControlCanvas>();
    FCanvas->SetControl(this);
}
TCustomControl::~TCustomControl() = default;

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(HDC DC) {
    FCanvas->Lock();
    try {
        FCanvas->SetHandle(DC);
        FCanvas->Font()->Assign(Font());
        FCanvas->Brush()->SetColor(FColor);
        FControlState.Include(csCustomPaint);
        Paint();
        FControlState.Exclude(csCustomPaint);
        FCanvas->SetHandle(nullptr);
    } catch (...) {
        FControlState.Exclude(csCustomPaint);
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
        throw;
    }
    FCanvas->Unlock();
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
    FCanvas = std::make_unique<TControlCanvas>();
    FCanvas->SetControl(this);
}
TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Paint() {}

void TGraphicControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        WMPaint(Message);
        return;
    }
    TControl::Dispatch(Message);
}

void TGraphicControl::WMPaint(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    if (!dc) return;
    FCanvas->Lock();
    try {
        FCanvas->SetHandle(dc);
        FCanvas->Font()->Assign(Font());
        FCanvas->Brush()->SetColor(FColor);
        Paint();
        FCanvas->SetHandle(nullptr);
    } catch (...) {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
        throw;
    }
    FCanvas->Unlock();
}
