// Window handles, the message queue, timers, key state, capture and focus calls.

#include "platform/ui/WinApi.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/WindowBridge.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QStyleHints>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <deque>
#include <map>
#include <unordered_map>

namespace {

std::unordered_map<HWND, std::unique_ptr<TWindowRecord>>& Windows() {
    static std::unordered_map<HWND, std::unique_ptr<TWindowRecord>> w;
    return w;
}

HWND NextHandle() {
    static uintptr_t next = 0x10000;
    next += 0x10;
    return reinterpret_cast<HWND>(next);
}

struct TQueued {
    MSG Msg;
    std::shared_ptr<QEvent> Event; // the original input event (input messages only)
    QPointer<QWidget> Target;
};

struct TDispatchFrame {
    HWND hWnd;
    UINT Msg;
    std::shared_ptr<QEvent> Event;
    QPointer<QWidget> Target;
    bool Delivered = false;
    DWORD Time = 0;
    TPoint Pos;
};

std::deque<TQueued>& Queue() {
    static std::deque<TQueued> q;
    return q;
}
std::vector<TDispatchFrame>& Frames() {
    static std::vector<TDispatchFrame> f;
    return f;
}
TMessagePreprocessor& Preprocessor() {
    static TMessagePreprocessor p;
    return p;
}
bool gPumpScheduled = false;
bool gPumpDeferred = false;
int gCollectOnly = 0;
DWORD gLastMessageTime = 0;
TPoint gLastMessagePos;

TKeyboardState& KeyState() {
    static TKeyboardState s{};
    return s;
}

HWND gCapture = nullptr;
int gBeeps = 0;
TMessageBoxHook& BoxHook() {
    static TMessageBoxHook h;
    return h;
}

// Timers: one Qt timer per (window, id).
struct TTimerKey {
    HWND h;
    UINT_PTR id;
    bool operator<(const TTimerKey& o) const { return h != o.h ? h < o.h : id < o.id; }
};
std::map<TTimerKey, std::unique_ptr<QTimer>>& Timers() {
    static std::map<TTimerKey, std::unique_ptr<QTimer>> t;
    return t;
}

void SchedulePump() {
    if (gPumpScheduled || !QCoreApplication::instance()) return;
    gPumpScheduled = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            gPumpScheduled = false;
            // A PeekMessage collecting input looks at the queue without dispatching it.
            if (gCollectOnly) {
                gPumpDeferred = true;
                return;
            }
            GuardedCall([] { DispatchQueuedMessages(); });
        },
        Qt::QueuedConnection);
}

void Enqueue(TQueued q) {
    Queue().push_back(std::move(q));
    SchedulePump();
}

TPoint CursorNow() {
    if (!QGuiApplication::instance()) return {};
    QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

bool Matches(const MSG& m, HWND h, UINT lo, UINT hi) {
    if (h && m.hwnd != h) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Registry
HWND RegisterWindow(TWinControl* Control, QWidget* Widget, bool Native) {
    auto rec = std::make_unique<TWindowRecord>();
    rec->Handle = NextHandle();
    rec->Control = Control;
    rec->Widget = Widget;
    rec->Native = Native;
    HWND h = rec->Handle;
    if (Widget) Widget->setProperty("kvt_hwnd", QVariant::fromValue(quintptr(h)));
    Windows()[h] = std::move(rec);
    return h;
}

void UnregisterWindow(HWND Handle) {
    auto& w = Windows();
    auto it = w.find(Handle);
    if (it == w.end()) return;
    for (auto t = Timers().begin(); t != Timers().end();)
        t = t->first.h == Handle ? Timers().erase(t) : std::next(t);
    auto& q = Queue();
    for (auto i = q.begin(); i != q.end();)
        i = i->Msg.hwnd == Handle ? q.erase(i) : std::next(i);
    if (gCapture == Handle) gCapture = nullptr;
    w.erase(it);
}

TWindowRecord* FindWindowRecord(HWND Handle) {
    if (!Handle) return nullptr;
    auto& w = Windows();
    auto it = w.find(Handle);
    return it == w.end() ? nullptr : it->second.get();
}

HWND HandleOfWidget(const QWidget* Widget) {
    for (const QWidget* w = Widget; w; w = w->parentWidget()) {
        QVariant v = w->property("kvt_hwnd");
        if (v.isValid()) {
            HWND h = reinterpret_cast<HWND>(v.value<quintptr>());
            if (FindWindowRecord(h)) return h;
        }
        if (w->isWindow()) break;
    }
    return nullptr;
}

TWinControl* FindControl(HWND Handle) {
    auto* r = FindWindowRecord(Handle);
    return r ? r->Control : nullptr;
}

TWinControl* FindControlOfWidget(QWidget* Widget) {
    return FindControl(HandleOfWidget(Widget));
}

// ---------------------------------------------------------------------------------------------
// Queue
BOOL PostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd && !FindWindowRecord(hWnd)) return FALSE;
    TQueued q;
    q.Msg = {hWnd, Msg, wParam, lParam, GetTickCount(), CursorNow()};
    Enqueue(std::move(q));
    return TRUE;
}

void PostQuitMessage(int nExitCode) {
    TQueued q;
    q.Msg = {nullptr, WM_QUIT, WPARAM(nExitCode), 0, GetTickCount(), CursorNow()};
    Enqueue(std::move(q));
}

LRESULT SendMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto* r = FindWindowRecord(hWnd);
    if (!r) return 0;
    TMessage m{Msg, wParam, lParam, 0};
    if (r->Control)
        r->Control->WindowProc(m);
    else if (r->Method)
        r->Method(m);
    return m.Result;
}

void QueueInputMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, std::shared_ptr<QEvent> Event,
                       QWidget* Target) {
    TQueued q;
    q.Msg = {hWnd, Msg, wParam, lParam, GetTickCount(), CursorNow()};
    q.Event = std::move(Event);
    q.Target = Target;
    Queue().push_back(std::move(q));
    // Input is dispatched at once (in order with what waits), unless PeekMessage is collecting.
    if (!gCollectOnly) GuardedCall([] { DispatchQueuedMessages(); });
}

void QueueInputMessageDeferred(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam,
                               std::shared_ptr<QEvent> Event, QWidget* Target) {
    TQueued q;
    q.Msg = {hWnd, Msg, wParam, lParam, GetTickCount(), CursorNow()};
    q.Event = std::move(Event);
    q.Target = Target;
    Queue().push_back(std::move(q));
    if (gCollectOnly) return;
    SchedulePump();
}

void PumpInput() {
    if (!gCollectOnly) GuardedCall([] { DispatchQueuedMessages(); });
}

BOOL PeekMessage(MSG* lpMsg, HWND hWnd, UINT lo, UINT hi, UINT remove) {
    // Let waiting window-system input join the queue without dispatching it.
    if (QCoreApplication::instance() && !(remove & PM_NOYIELD)) {
        ++gCollectOnly;
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
        --gCollectOnly;
        if (gPumpDeferred && !gCollectOnly) {
            gPumpDeferred = false;
            SchedulePump();
        }
    }
    auto& q = Queue();
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (!Matches(it->Msg, hWnd, lo, hi)) continue;
        if (lpMsg) *lpMsg = it->Msg;
        if (remove & PM_REMOVE) q.erase(it);
        return TRUE;
    }
    return FALSE;
}

namespace {
// A key taken before dispatch (a dialog key, a short cut) is never translated, so the characters
// queued with it must not follow it: a Tab that moved the focus would otherwise reach the
// widget once more and move it again.
void DropCharsOfKey(const QEvent* Key) {
    auto& q = Queue();
    q.erase(std::remove_if(q.begin(), q.end(),
                           [Key](const TQueued& i) {
                               return i.Event.get() == Key &&
                                      (i.Msg.message == WM_CHAR || i.Msg.message == WM_SYSCHAR);
                           }),
            q.end());
}

LRESULT DispatchQueued(TQueued& q) {
    gLastMessageTime = q.Msg.time;
    gLastMessagePos = q.Msg.pt;
    if (!q.Msg.hwnd) return 0;
    auto* r = FindWindowRecord(q.Msg.hwnd);
    if (!r) return 0;
    Frames().push_back({q.Msg.hwnd, q.Msg.message, q.Event, q.Target, false, q.Msg.time, q.Msg.pt});
    LRESULT res = 0;
    try {
        bool handled = false;
        if (Preprocessor()) handled = Preprocessor()(q.Msg);
        if (!handled)
            res = DispatchMessage(&q.Msg);
        else if ((q.Msg.message == WM_KEYDOWN || q.Msg.message == WM_SYSKEYDOWN) && q.Event)
            DropCharsOfKey(q.Event.get());
    } catch (...) {
        Frames().pop_back();
        throw;
    }
    Frames().pop_back();
    return res;
}
} // namespace

LRESULT DispatchMessage(const MSG* lpMsg) {
    if (!lpMsg) return 0;
    auto* r = FindWindowRecord(lpMsg->hwnd);
    if (!r) return 0;
    TMessage m{lpMsg->message, lpMsg->wParam, lpMsg->lParam, 0};
    if (r->Control)
        r->Control->WindowProc(m);
    else if (r->Method)
        r->Method(m);
    return m.Result;
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
}
LONG GetMessageTime() {
    return LONG(gLastMessageTime);
}
DWORD GetMessagePos() {
    return DWORD(MakeLong(Word(SmallInt(gLastMessagePos.X)), Word(SmallInt(gLastMessagePos.Y))));
}
int QueuedMessageCount() {
    return int(Queue().size());
}

int DispatchQueuedMessages() {
    int n = 0;
    auto& q = Queue();
    while (!q.empty()) {
        TQueued item = std::move(q.front());
        q.pop_front();
        if (item.Msg.message == WM_QUIT) {
            if (QCoreApplication::instance()) QCoreApplication::exit(int(item.Msg.wParam));
            continue;
        }
        ++n;
        DispatchQueued(item);
    }
    return n;
}

void SetMessagePreprocessor(TMessagePreprocessor Proc) {
    Preprocessor() = std::move(Proc);
}

QEvent* CurrentInputEvent(HWND hWnd, UINT Msg) {
    auto& f = Frames();
    for (auto it = f.rbegin(); it != f.rend(); ++it)
        if (it->hWnd == hWnd && it->Msg == Msg) return it->Delivered ? nullptr : it->Event.get();
    return nullptr;
}

void MarkInputEventDelivered(HWND hWnd, UINT Msg) {
    auto& f = Frames();
    for (auto it = f.rbegin(); it != f.rend(); ++it)
        if (it->hWnd == hWnd && it->Msg == Msg) {
            it->Delivered = true;
            return;
        }
}

QWidget* CurrentInputTarget(HWND hWnd, UINT Msg) {
    auto& f = Frames();
    for (auto it = f.rbegin(); it != f.rend(); ++it)
        if (it->hWnd == hWnd && it->Msg == Msg) return it->Target;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Message-only windows
HWND AllocateHWnd(TWndMethodFn Method) {
    HWND h = RegisterWindow(nullptr, nullptr, false);
    FindWindowRecord(h)->Method = std::move(Method);
    return h;
}
void DeallocateHWnd(HWND Wnd) {
    UnregisterWindow(Wnd);
}

LRESULT DefWindowProc(HWND hWnd, UINT Msg, WPARAM, LPARAM) {
    auto* c = FindControl(hWnd);
    if (!c) return 0;
    TMessage m{Msg, 0, 0, 0};
    c->TWinControl::DefaultHandler(m);
    return m.Result;
}

// ---------------------------------------------------------------------------------------------
// Windows
BOOL IsWindow(HWND h) {
    return FindWindowRecord(h) != nullptr;
}
BOOL IsWindowVisible(HWND h) {
    auto* r = FindWindowRecord(h);
    return r && r->Widget && r->Widget->isVisible();
}
BOOL IsWindowEnabled(HWND h) {
    auto* r = FindWindowRecord(h);
    return r && (!r->Widget || r->Widget->isEnabled());
}
BOOL EnableWindow(HWND h, BOOL e) {
    auto* r = FindWindowRecord(h);
    if (!r || !r->Widget) return FALSE;
    bool was = !r->Widget->isEnabled();
    r->Widget->setEnabled(e != 0);
    return was;
}
HWND GetParent(HWND h) {
    auto* r = FindWindowRecord(h);
    if (!r) return nullptr;
    if (r->Control && r->Control->Parent() && r->Control->Parent()->HandleAllocated())
        return r->Control->Parent()->Handle();
    if (r->Control) return r->Control->ParentWindow();
    return nullptr;
}
BOOL IsChild(HWND parent, HWND h) {
    for (HWND p = GetParent(h); p; p = GetParent(p))
        if (p == parent) return TRUE;
    return FALSE;
}
HWND SetParent(HWND child, HWND parent) {
    HWND old = GetParent(child);
    auto* r = FindWindowRecord(child);
    if (r && r->Control && !r->Control->Parent()) r->Control->SetParentWindow(parent);
    return old;
}
HWND GetDesktopWindow() {
    return nullptr;
}
HWND WindowFromPoint(TPoint pt) {
    if (!QApplication::instance()) return nullptr;
    QWidget* w = QApplication::widgetAt(QPoint(pt.X, pt.Y));
    return HandleOfWidget(w);
}
HWND ChildWindowFromPoint(HWND parent, TPoint pt) {
    auto* c = FindControl(parent);
    if (!c) return nullptr;
    TControl* child = c->ControlAtPos(pt, true, true);
    if (auto* wc = dynamic_cast<TWinControl*>(child); wc && wc->HandleAllocated()) return wc->Handle();
    return parent;
}
HWND GetTopWindow(HWND) {
    return nullptr;
}

BOOL ShowWindow(HWND h, int cmd) {
    auto* r = FindWindowRecord(h);
    if (!r || !r->Widget) return FALSE;
    bool was = r->Widget->isVisible();
    switch (cmd) {
    case SW_HIDE:
        r->Widget->hide();
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
    case SW_SHOWMINNOACTIVE:
        r->Widget->setAttribute(Qt::WA_ShowWithoutActivating, true);
        r->Widget->show();
        break;
    case SW_SHOWMAXIMIZED:
        r->Widget->showMaximized();
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        r->Widget->showMinimized();
        break;
    default:
        r->Widget->show();
        break;
    }
    return was;
}

BOOL SetWindowPos(HWND h, HWND after, int X, int Y, int cx, int cy, UINT flags) {
    auto* r = FindWindowRecord(h);
    if (!r) return FALSE;
    TWinControl* c = r->Control;
    if (c && !(flags & SWP_NOMOVE && flags & SWP_NOSIZE)) {
        int l = flags & SWP_NOMOVE ? c->Left() : X, t = flags & SWP_NOMOVE ? c->Top() : Y;
        int w = flags & SWP_NOSIZE ? c->Width() : cx, hh = flags & SWP_NOSIZE ? c->Height() : cy;
        c->SetBounds(l, t, w, hh);
    }
    if (r->Widget && !(flags & SWP_NOZORDER)) {
        if (after == HWND_BOTTOM)
            r->Widget->lower();
        else if (after == HWND_TOPMOST || after == HWND_TOP)
            r->Widget->raise();
    }
    if (r->Widget && (flags & SWP_HIDEWINDOW)) r->Widget->hide();
    if (r->Widget && (flags & SWP_SHOWWINDOW)) {
        if (flags & SWP_NOACTIVATE) r->Widget->setAttribute(Qt::WA_ShowWithoutActivating, true);
        r->Widget->show();
    }
    if (r->Widget && (flags & SWP_FRAMECHANGED)) {
        LayoutScrollBars(r);
        InvalidateWidget(r->Widget);
    }
    return TRUE;
}

BOOL MoveWindow(HWND h, int X, int Y, int w, int hh, BOOL) {
    return SetWindowPos(h, nullptr, X, Y, w, hh, SWP_NOZORDER | SWP_NOACTIVATE);
}

LONG_PTR GetWindowLong(HWND h, int idx) {
    auto* r = FindWindowRecord(h);
    if (!r || !r->Control) return 0;
    auto* c = r->Control;
    if (idx == GWL_STYLE) {
        LONG_PTR s = c->WindowStyle();
        s &= ~LONG_PTR(WS_HSCROLL | WS_VSCROLL | WS_VISIBLE | WS_DISABLED);
        if (r->Bars[SB_HORZ].Visible) s |= WS_HSCROLL;
        if (r->Bars[SB_VERT].Visible) s |= WS_VSCROLL;
        if (r->Widget && r->Widget->isVisible()) s |= WS_VISIBLE;
        if (r->Widget && !r->Widget->isEnabled()) s |= WS_DISABLED;
        return LONG_PTR(uint32_t(s));
    }
    if (idx == GWL_EXSTYLE) return LONG_PTR(uint32_t(c->WindowExStyle()));
    return 0;
}

LONG_PTR SetWindowLong(HWND h, int idx, LONG_PTR v) {
    auto* r = FindWindowRecord(h);
    if (!r || !r->Control) return 0;
    LONG_PTR old = GetWindowLong(h, idx);
    auto* c = r->Control;
    if (idx == GWL_STYLE) {
        c->SetWindowStyles(DWORD(v), c->WindowExStyle());
        ShowScrollBar(h, SB_HORZ, (v & WS_HSCROLL) != 0);
        ShowScrollBar(h, SB_VERT, (v & WS_VSCROLL) != 0);
    } else if (idx == GWL_EXSTYLE) {
        c->SetWindowStyles(c->WindowStyle(), DWORD(v));
        LayoutScrollBars(r);
    }
    return old;
}

int GetWindowText(HWND h, Char* buf, int n) {
    auto* c = FindControl(h);
    return c ? c->GetTextBuf(buf, n) : 0;
}
BOOL SetWindowText(HWND h, const String& t) {
    auto* c = FindControl(h);
    if (!c) return FALSE;
    c->SetText(t);
    return TRUE;
}

BOOL GetClientRect(HWND h, TRect* r) {
    auto* c = FindControl(h);
    if (!c || !r) return FALSE;
    *r = c->ClientRect();
    return TRUE;
}
BOOL GetWindowRect(HWND h, TRect* r) {
    auto* rec = FindWindowRecord(h);
    if (!rec || !rec->Widget || !r) return FALSE;
    QPoint tl = rec->Widget->mapToGlobal(QPoint(0, 0));
    *r = Bounds(tl.x(), tl.y(), rec->Widget->width(), rec->Widget->height());
    return TRUE;
}
BOOL ClientToScreen(HWND h, TPoint* p) {
    auto* c = FindControl(h);
    if (!c || !p) return FALSE;
    *p = c->ClientToScreen(*p);
    return TRUE;
}
BOOL ScreenToClient(HWND h, TPoint* p) {
    auto* c = FindControl(h);
    if (!c || !p) return FALSE;
    *p = c->ScreenToClient(*p);
    return TRUE;
}
int MapWindowPoints(HWND from, HWND to, TPoint* pts, UINT n) {
    TPoint o1 = from ? FindControl(from) ? FindControl(from)->ClientOrigin() : TPoint() : TPoint();
    TPoint o2 = to ? FindControl(to) ? FindControl(to)->ClientOrigin() : TPoint() : TPoint();
    int dx = o1.X - o2.X, dy = o1.Y - o2.Y;
    for (UINT i = 0; i < n; ++i)
        pts[i].Offset(dx, dy);
    return MakeLong(Word(SmallInt(dx)), Word(SmallInt(dy)));
}
BOOL AdjustWindowRectEx(TRect* r, DWORD style, BOOL, DWORD ex) {
    if (!r) return FALSE;
    TRect b = BorderInsets(style, ex);
    r->Left -= b.Left;
    r->Top -= b.Top;
    r->Right += b.Right;
    r->Bottom += b.Bottom;
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Painting
BOOL InvalidateRect(HWND h, const TRect* rc, BOOL) {
    auto* r = FindWindowRecord(h);
    if (!r || !r->Widget) return FALSE;
    if (!rc) {
        InvalidateWidget(r->Widget);
    } else {
        TRect nc = NonClientInsets(r);
        QRect q(rc->Left + nc.Left, rc->Top + nc.Top, rc->Width(), rc->Height());
        InvalidateWidget(r->Widget, &q);
    }
    return TRUE;
}
BOOL ValidateRect(HWND h, const TRect*) {
    return IsWindow(h);
}
BOOL UpdateWindow(HWND h) {
    auto* r = FindWindowRecord(h);
    if (!r || !r->Widget) return FALSE;
    UpdateWidget(r->Widget); // paints only what is invalid, as the real call does
    return TRUE;
}
BOOL RedrawWindow(HWND h, const TRect* rc, TGdiObject*, UINT flags) {
    auto* r = FindWindowRecord(h);
    if (!r || !r->Widget) return FALSE;
    if (flags & (RDW_INVALIDATE | RDW_FRAME)) InvalidateRect(h, (flags & RDW_FRAME) ? nullptr : rc, TRUE);
    if (flags & RDW_ALLCHILDREN)
        for (QWidget* w : r->Widget->findChildren<QWidget*>())
            InvalidateWidget(w);
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow(h);
    return TRUE;
}
int ScrollWindowEx(HWND h, int dx, int dy, const TRect* scroll, const TRect* clip, TGdiObject*, TRect* upd,
                   UINT flags) {
    auto* c = FindControl(h);
    if (!c) return 0;
    TRect area = scroll ? *scroll : c->ClientRect();
    if (clip) IntersectRect(area, area, *clip);
    // The moved pixels are repainted rather than copied: the uncovered part is what the caller
    // must know about, and painting everything keeps the result identical.
    TRect uncovered = area;
    if (dx > 0)
        uncovered.Right = std::min(area.Right, area.Left + dx);
    else if (dx < 0)
        uncovered.Left = std::max(area.Left, area.Right + dx);
    if (dy > 0)
        uncovered.Bottom = std::min(area.Bottom, area.Top + dy);
    else if (dy < 0)
        uncovered.Top = std::max(area.Top, area.Bottom + dy);
    if (dx == 0 && dy == 0) uncovered = {};
    if (upd) *upd = uncovered;
    if (flags & SW_SCROLLCHILDREN)
        for (int i = 0; i < c->ControlCount(); ++i) {
            TControl* ch = c->Controls(i);
            ch->SetBounds(ch->Left() + dx, ch->Top() + dy, ch->Width(), ch->Height());
        }
    if (flags & (SW_INVALIDATE | SW_ERASE)) InvalidateRect(h, &area, TRUE);
    return uncovered.IsEmpty() ? 1 : 2; // NULLREGION / SIMPLEREGION
}
BOOL ScrollWindow(HWND h, int dx, int dy, const TRect* r, const TRect* clip) {
    return ScrollWindowEx(h, dx, dy, r, clip, nullptr, nullptr, SW_INVALIDATE) != 0;
}
BOOL LockWindowUpdate(HWND) {
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Timers
UINT_PTR SetTimer(HWND h, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (h && !FindWindowRecord(h)) return 0;
    if (!h) {
        static UINT_PTR nextId = 0x7000;
        id = ++nextId;
    }
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(int(elapse == 0 ? 10 : std::min<UINT>(elapse, 0x7FFFFFFF)));
    QObject::connect(timer.get(), &QTimer::timeout, [h, id, proc] {
        if (proc) {
            proc(h, WM_TIMER, id, GetTickCount());
            return;
        }
        // Windows keeps at most one waiting WM_TIMER per timer.
        for (auto& q : Queue())
            if (q.Msg.hwnd == h && q.Msg.message == WM_TIMER && q.Msg.wParam == id) return;
        PostMessage(h, WM_TIMER, id, 0);
    });
    timer->start();
    Timers()[{h, id}] = std::move(timer);
    return id;
}

BOOL KillTimer(HWND h, UINT_PTR id) {
    auto it = Timers().find({h, id});
    if (it == Timers().end()) return FALSE;
    Timers().erase(it);
    auto& q = Queue();
    for (auto i = q.begin(); i != q.end();)
        i = (i->Msg.hwnd == h && i->Msg.message == WM_TIMER && i->Msg.wParam == id) ? q.erase(i)
                                                                                    : std::next(i);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Keyboard and mouse
SHORT GetKeyState(int vk) {
    Byte b = KeyState()[size_t(vk & 0xFF)];
    return SHORT((b & 0x80 ? 0x8000 : 0) | (b & 1));
}
SHORT GetAsyncKeyState(int vk) {
    if (QGuiApplication::instance() && (vk == VK_LBUTTON || vk == VK_RBUTTON || vk == VK_MBUTTON)) {
        auto b = QGuiApplication::mouseButtons();
        bool down = vk == VK_LBUTTON   ? b & Qt::LeftButton
                    : vk == VK_RBUTTON ? b & Qt::RightButton
                                       : b & Qt::MiddleButton;
        return SHORT(down ? 0x8000 : 0);
    }
    return SHORT(GetKeyState(vk) & 0x8000);
}
BOOL GetKeyboardState(Byte* s) {
    std::copy(KeyState().begin(), KeyState().end(), s);
    return TRUE;
}
BOOL SetKeyboardState(const Byte* s) {
    std::copy(s, s + 256, KeyState().begin());
    return TRUE;
}
void SetKeyDown(int vk, bool down) {
    auto& s = KeyState();
    auto set = [&](int k) {
        Byte& b = s[size_t(k & 0xFF)];
        if (down && !(b & 0x80)) b ^= 1; // toggles on each press
        b = Byte(down ? (b | 0x80) : (b & ~0x80));
    };
    set(vk);
    if (vk == VK_LSHIFT || vk == VK_RSHIFT) set(VK_SHIFT);
    if (vk == VK_LCONTROL || vk == VK_RCONTROL) set(VK_CONTROL);
    if (vk == VK_LMENU || vk == VK_RMENU) set(VK_MENU);
}
UINT GetDoubleClickTime() {
    if (QGuiApplication::instance()) return UINT(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    return 500;
}
BOOL MessageBeep(UINT) {
    ++gBeeps;
    if (QApplication::instance() && qEnvironmentVariableIsEmpty("KVT_SILENT")) QApplication::beep();
    return TRUE;
}
int MessageBeepCount() {
    return gBeeps;
}

HWND SetCapture(HWND h) {
    HWND old = gCapture;
    if (old == h) return old;
    gCapture = h;
    if (old) SendMessage(old, WM_CAPTURECHANGED, 0, LPARAM(h));
    return old;
}
BOOL ReleaseCapture() {
    HWND old = gCapture;
    gCapture = nullptr;
    if (old) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}
HWND GetCapture() {
    return FindWindowRecord(gCapture) ? gCapture : nullptr;
}

HWND GetFocus() {
    if (!QApplication::instance()) return nullptr;
    return HandleOfWidget(QApplication::focusWidget());
}
HWND SetFocus(HWND h) {
    HWND old = GetFocus();
    auto* r = FindWindowRecord(h);
    if (r && r->Widget) {
        QWidget* w = r->Widget;
        if (w->focusProxy()) w = w->focusProxy();
        if (!w->window()->isActiveWindow()) w->window()->activateWindow();
        w->setFocus(Qt::OtherFocusReason);
    }
    return old;
}
HWND GetActiveWindow() {
    if (!QApplication::instance()) return nullptr;
    return HandleOfWidget(QApplication::activeWindow());
}
HWND SetActiveWindow(HWND h) {
    HWND old = GetActiveWindow();
    if (auto* r = FindWindowRecord(h); r && r->Widget) r->Widget->window()->activateWindow();
    return old;
}
HWND GetForegroundWindow() {
    return GetActiveWindow();
}
BOOL SetForegroundWindow(HWND h) {
    SetActiveWindow(h);
    return TRUE;
}
BOOL GetCursorPos(TPoint* p) {
    if (!p) return FALSE;
    *p = CursorNow();
    return TRUE;
}
BOOL SetCursorPos(int x, int y) {
    if (QGuiApplication::instance()) QCursor::setPos(x, y);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Metrics and monitors
int ScrollBarExtent() {
    if (QApplication::instance() && QApplication::style())
        return std::max(12, QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    return 17;
}

int GetSystemMetrics(int i) {
    QScreen* s = QGuiApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    switch (i) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
        return s ? s->geometry().width() : 1024;
    case SM_CYSCREEN:
    case SM_CYFULLSCREEN:
        return s ? s->geometry().height() : 768;
    case SM_CXVIRTUALSCREEN:
        return s ? s->virtualGeometry().width() : 1024;
    case SM_CYVIRTUALSCREEN:
        return s ? s->virtualGeometry().height() : 768;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return ScrollBarExtent();
    case SM_CYCAPTION:
        return 23;
    case SM_CYSMCAPTION:
        return 17;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 20;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_CXDRAG:
    case SM_CYDRAG:
        return QGuiApplication::instance() ? QGuiApplication::styleHints()->startDragDistance() : 4;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
        return 13;
    case SM_CXMIN:
        return 112;
    case SM_CYMIN:
        return 27;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 18;
    case SM_CMONITORS:
        return QGuiApplication::instance() ? int(QGuiApplication::screens().size()) : 1;
    case SM_SWAPBUTTON:
        return 0;
    }
    return 0;
}

namespace {
QScreen* ScreenOf(HMONITOR m) {
    if (!QGuiApplication::instance()) return nullptr;
    auto list = QGuiApplication::screens();
    intptr_t i = reinterpret_cast<intptr_t>(m) - 1;
    if (i >= 0 && i < list.size()) return list[i];
    return QGuiApplication::primaryScreen();
}
HMONITOR MonitorOf(QScreen* s) {
    if (!s) return reinterpret_cast<HMONITOR>(1);
    auto list = QGuiApplication::screens();
    return reinterpret_cast<HMONITOR>(intptr_t(list.indexOf(s) + 1));
}
TRect ToRect(const QRect& r) {
    return Bounds(r.x(), r.y(), r.width(), r.height());
}
} // namespace

BOOL SystemParametersInfo(UINT action, UINT, void* pv, UINT) {
    if (action == SPI_GETWORKAREA && pv) {
        MONITORINFO mi;
        GetMonitorInfo(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
        *static_cast<TRect*>(pv) = mi.rcWork;
        return TRUE;
    }
    if (action == SPI_GETWHEELSCROLLLINES && pv) {
        *static_cast<UINT*>(pv) = 3;
        return TRUE;
    }
    if (action == SPI_GETDRAGFULLWINDOWS && pv) {
        *static_cast<BOOL*>(pv) = TRUE;
        return TRUE;
    }
    return FALSE;
}

HMONITOR MonitorFromRect(const TRect* r, DWORD flags) {
    if (!QGuiApplication::instance() || !r) return MonitorOf(nullptr);
    QRect q(r->Left, r->Top, std::max(1, r->Width()), std::max(1, r->Height()));
    QScreen* best = nullptr;
    int bestArea = 0;
    for (QScreen* s : QGuiApplication::screens()) {
        QRect i = s->geometry().intersected(q);
        int a = i.isEmpty() ? 0 : i.width() * i.height();
        if (a > bestArea) best = s, bestArea = a;
    }
    if (!best) {
        if (flags == MONITOR_DEFAULTTONULL) return nullptr;
        if (flags == MONITOR_DEFAULTTONEAREST) {
            long bestD = -1;
            QPoint c = q.center();
            for (QScreen* s : QGuiApplication::screens()) {
                QRect g = s->geometry();
                long dx = c.x() < g.left() ? g.left() - c.x() : c.x() > g.right() ? c.x() - g.right() : 0;
                long dy = c.y() < g.top() ? g.top() - c.y() : c.y() > g.bottom() ? c.y() - g.bottom() : 0;
                long d = dx * dx + dy * dy;
                if (bestD < 0 || d < bestD) best = s, bestD = d;
            }
        } else {
            best = QGuiApplication::primaryScreen();
        }
    }
    return MonitorOf(best);
}
HMONITOR MonitorFromPoint(TPoint pt, DWORD flags) {
    TRect r = Bounds(pt.X, pt.Y, 1, 1);
    return MonitorFromRect(&r, flags);
}
HMONITOR MonitorFromWindow(HWND h, DWORD flags) {
    TRect r;
    if (!GetWindowRect(h, &r)) return MonitorFromPoint({0, 0}, flags);
    return MonitorFromRect(&r, flags);
}
BOOL GetMonitorInfo(HMONITOR m, MONITORINFO* mi) {
    if (!mi) return FALSE;
    QScreen* s = ScreenOf(m);
    if (!s) {
        mi->rcMonitor = mi->rcWork = {0, 0, 1024, 768};
        mi->dwFlags = MONITORINFOF_PRIMARY;
        return TRUE;
    }
    mi->rcMonitor = ToRect(s->geometry());
    mi->rcWork = ToRect(s->availableGeometry());
    mi->dwFlags = s == QGuiApplication::primaryScreen() ? DWORD(MONITORINFOF_PRIMARY) : DWORD(0);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Message boxes
void SetMessageBoxHook(TMessageBoxHook Hook) {
    BoxHook() = std::move(Hook);
}
int ShowNativeMessageBox(HWND hWnd, const String& Text, const String& Caption, UINT uType);

int MessageBox(HWND hWnd, const String& Text, const String& Caption, UINT uType) {
    if (BoxHook()) return BoxHook()(Text, Caption, uType);
    return ShowNativeMessageBox(hWnd, Text, Caption, uType);
}

namespace {
HCURSOR gCursor = crDefault;
}
HCURSOR SetCursor(HCURSOR c) {
    HCURSOR old = gCursor;
    gCursor = c;
    // The window the mouse is over (or the capture window) shows it.
    HWND h = GetCapture();
    if (!h && QGuiApplication::instance()) h = WindowFromPoint(CursorNow());
    if (auto* r = FindWindowRecord(h); r && r->Widget) {
        if (c == crDefault)
            r->Widget->unsetCursor();
        else
            r->Widget->setCursor(CursorOf(TCursor(c)));
    }
    return old;
}
HCURSOR GetCursor() {
    return gCursor;
}
HCURSOR LoadCursor(void*, intptr_t id) {
    switch (id) {
    case IDC_ARROW:
        return crArrow;
    case IDC_IBEAM:
        return crIBeam;
    case IDC_WAIT:
        return crHourGlass;
    case IDC_CROSS:
        return crCross;
    case IDC_UPARROW:
        return crUpArrow;
    case IDC_SIZENWSE:
        return crSizeNWSE;
    case IDC_SIZENESW:
        return crSizeNESW;
    case IDC_SIZEWE:
        return crSizeWE;
    case IDC_SIZENS:
        return crSizeNS;
    case IDC_SIZEALL:
        return crSizeAll;
    case IDC_NO:
        return crNo;
    case IDC_HAND:
        return crHandPoint;
    case IDC_APPSTARTING:
        return crAppStart;
    case IDC_HELP:
        return crHelp;
    }
    return id;
}
