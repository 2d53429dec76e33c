// Qt events of our windows become messages: mouse, wheel, keys, focus, activation, painting.

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinGdi.h"
#include "platform/ui/WindowBridge.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <vector>

namespace {

QEvent* gDelivering = nullptr;

LPARAM KeyData(const QKeyEvent* ke, bool release) {
    uint32_t d = 1; // repeat count
    d |= (uint32_t(ke->nativeScanCode()) & 0xFF) << 16;
    if (ke->modifiers() & Qt::AltModifier) d |= 1u << 29;
    if (ke->isAutoRepeat() || release) d |= 1u << 30;
    if (release) d |= 1u << 31;
    return LPARAM(int32_t(d));
}

WPARAM MouseKeys(Qt::MouseButtons b, Qt::KeyboardModifiers m) {
    WPARAM k = 0;
    if (b & Qt::LeftButton) k |= MK_LBUTTON;
    if (b & Qt::RightButton) k |= MK_RBUTTON;
    if (b & Qt::MiddleButton) k |= MK_MBUTTON;
    if (m & Qt::ShiftModifier) k |= MK_SHIFT;
    if (m & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

void SyncModifiers(Qt::KeyboardModifiers m) {
    SetKeyDown(VK_SHIFT, m & Qt::ShiftModifier);
    SetKeyDown(VK_CONTROL, m & Qt::ControlModifier);
    SetKeyDown(VK_MENU, m & Qt::AltModifier);
}

class TEventBridge : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e == gDelivering) return false;
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ContextMenu:
        case QEvent::Enter:
        case QEvent::Leave:
        case QEvent::ShortcutOverride:
            break;
        default:
            return false;
        }
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->property("kvt_ncbar").isValid()) return false;
        HWND h = HandleOfWidget(w);
        if (!h) return false;
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return Mouse(w, h, static_cast<QMouseEvent*>(e));
        case QEvent::Wheel: {
            auto* we = static_cast<QWheelEvent*>(e);
            int delta = we->angleDelta().y();
            if (delta == 0) delta = we->angleDelta().x();
            if (delta == 0) return true;
            QPoint g = we->globalPosition().toPoint();
            SyncModifiers(we->modifiers());
            WPARAM wp = MAKEWPARAM(Word(MouseKeys(we->buttons(), we->modifiers())), Word(SmallInt(delta)));
            QueueInputMessage(h, WM_MOUSEWHEEL, wp, PointToLParam(g.x(), g.y()), nullptr, nullptr);
            return true;
        }
        case QEvent::ShortcutOverride: {
            // Keys reach the window first; Qt shortcuts of the wrapped widgets do not eat them.
            e->accept();
            return true;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return Key(w, h, static_cast<QKeyEvent*>(e));
        case QEvent::ContextMenu: {
            auto* ce = static_cast<QContextMenuEvent*>(e);
            if (ce->reason() == QContextMenuEvent::Keyboard)
                QueueInputMessage(h, WM_CONTEXTMENU, WPARAM(h), PointToLParam(-1, -1), nullptr, nullptr);
            return true;
        }
        case QEvent::Enter:
        case QEvent::Leave:
            if (w->property("kvt_hwnd").isValid())
                GuardedCall([h, enter = e->type() == QEvent::Enter] {
                    if (TWinControl* c = FindControl(h)) {
                        if (!enter) {
                            TControl*& mc = TWindowBridge::MouseControl(c);
                            if (mc) {
                                TControl* old = mc;
                                mc = nullptr;
                                old->Perform(CM_MOUSELEAVE, 0, 0);
                            }
                        }
                        c->Perform(enter ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
                    }
                });
            return false;
        default:
            return false;
        }
    }

private:
    bool Mouse(QWidget* w, HWND h, QMouseEvent* me) {
        HWND target = h;
        HWND cap = GetCapture();
        if (cap && cap != h && FindWindowRecord(cap)) target = cap;
        TWindowRecord* rec = FindWindowRecord(target);
        if (!rec || !rec->Widget) return false;
        QPoint g = me->globalPosition().toPoint();
        QPoint local = rec->Widget->mapFromGlobal(g);
        TRect nc = NonClientInsets(rec);
        int x = local.x() - nc.Left, y = local.y() - nc.Top;
        SyncModifiers(me->modifiers());
        Qt::MouseButton b = me->button();
        UINT msg = WM_MOUSEMOVE;
        int base = b == Qt::LeftButton    ? WM_LBUTTONDOWN
                   : b == Qt::RightButton ? WM_RBUTTONDOWN
                                          : WM_MBUTTONDOWN;
        int vk = b == Qt::LeftButton ? VK_LBUTTON : b == Qt::RightButton ? VK_RBUTTON : VK_MBUTTON;
        switch (me->type()) {
        case QEvent::MouseButtonPress:
            if (b != Qt::LeftButton && b != Qt::RightButton && b != Qt::MiddleButton) return true;
            msg = UINT(base);
            SetKeyDown(vk, true);
            break;
        case QEvent::MouseButtonDblClick:
            if (b != Qt::LeftButton && b != Qt::RightButton && b != Qt::MiddleButton) return true;
            msg = UINT(base + 2);
            SetKeyDown(vk, true);
            break;
        case QEvent::MouseButtonRelease:
            if (b != Qt::LeftButton && b != Qt::RightButton && b != Qt::MiddleButton) return true;
            msg = UINT(base + 1);
            SetKeyDown(vk, false);
            break;
        default:
            break;
        }
        // A window that claims a part of its frame (WM_NCHITTEST answering other than
        // HTCLIENT) gets the non-client message there, with the hit code and the screen point,
        // while no window holds the capture.
        if (!cap && rec->Control) {
            const int cw = rec->Widget->width() - nc.Left - nc.Right;
            const int ch = rec->Widget->height() - nc.Top - nc.Bottom;
            if (x < 0 || y < 0 || x >= cw || y >= ch) {
                const LPARAM screen = PointToLParam(g.x(), g.y());
                LRESULT hit = HTCLIENT;
                GuardedCall([h, screen, &hit] { hit = SendMessage(h, WM_NCHITTEST, 0, screen); });
                if (hit != HTCLIENT) {
                    if (msg == WM_MOUSEMOVE)
                        GuardedCall([h, hit] {
                            SendMessage(h, WM_SETCURSOR, WPARAM(h),
                                        MAKELPARAM(Word(hit), Word(WM_MOUSEMOVE)));
                        });
                    QueueInputMessage(h, WM_NCMOUSEMOVE + (msg - WM_MOUSEMOVE), WPARAM(hit), screen, nullptr,
                                      nullptr);
                    return true;
                }
            }
        }
        if (msg == WM_MOUSEMOVE && !cap)
            GuardedCall([h, &x] {
                (void)x;
                SendMessage(h, WM_SETCURSOR, WPARAM(h), MAKELPARAM(Word(HTCLIENT), Word(WM_MOUSEMOVE)));
            });
        std::shared_ptr<QEvent> ev(target == h ? me->clone() : nullptr);
        QueueInputMessage(target, msg, MouseKeys(me->buttons(), me->modifiers()), PointToLParam(x, y), ev,
                          target == h ? w : nullptr);
        return true;
    }

    bool Key(QWidget* w, HWND h, QKeyEvent* ke) {
        bool release = ke->type() == QEvent::KeyRelease;
        Word vk = QtKeyToVK(ke->key(), ke->modifiers() & Qt::KeypadModifier);
        if (!release || !ke->isAutoRepeat()) {
            SyncModifiers(ke->modifiers());
            if (vk) SetKeyDown(vk, !release);
        }
        bool alt = (ke->modifiers() & Qt::AltModifier) || vk == VK_MENU;
        std::shared_ptr<QEvent> ev(ke->clone());
        LPARAM kd = KeyData(ke, release);
        if (release) {
            QueueInputMessage(h, alt ? WM_SYSKEYUP : WM_KEYUP, vk, kd, ev, w);
            return true;
        }
        // The characters join the queue with the key, as the platform's message loop does.
        std::vector<std::pair<UINT, WPARAM>> chars;
        for (QChar c : ke->text())
            if (c.unicode() != 0x7F && c.unicode() != 0)
                chars.push_back({alt ? WM_SYSCHAR : WM_CHAR, c.unicode()});
        if (vk) QueueInputMessageDeferred(h, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, kd, ev, w);
        for (auto& [m, c] : chars)
            QueueInputMessageDeferred(h, m, c, kd, ev, w);
        PumpInput();
        return true;
    }
};

TEventBridge* gBridge = nullptr;

} // namespace

void EnsureEventBridge() {
    if (gBridge || !QApplication::instance()) return;
    gBridge = new TEventBridge;
    gBridge->setParent(QApplication::instance());
    QApplication::instance()->installEventFilter(gBridge);
    QObject::connect(qApp, &QApplication::focusChanged, gBridge, [](QWidget* old, QWidget* now) {
        HWND ho = HandleOfWidget(old), hn = HandleOfWidget(now);
        if (ho == hn) return;
        GuardedCall([ho, hn] {
            if (ho) SendMessage(ho, WM_KILLFOCUS, WPARAM(hn), 0);
            if (hn && IsWindow(hn)) SendMessage(hn, WM_SETFOCUS, WPARAM(ho), 0);
        });
    });
}

bool DeliverInputEvent(HWND hWnd, TMessage& Message) {
    UINT m = Message.Msg;
    QEvent* e = CurrentInputEvent(hWnd, m);
    if (!e) return false;
    QWidget* target = CurrentInputTarget(hWnd, m);
    TWindowRecord* rec = FindWindowRecord(hWnd);
    // Wrapped Qt controls get their events; so do helper widgets inside a custom window.
    if (!target || !rec || (!rec->Native && target == rec->Widget)) {
        MarkInputEventDelivered(hWnd, m);
        return false;
    }
    std::unique_ptr<QEvent> replacement;
    if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
        // A key with text reaches the widget with its character (WM_CHAR), as native edits do.
        auto* ke = static_cast<QKeyEvent*>(e);
        if (!ke->text().isEmpty() && ke->text()[0].unicode() != 0x7F) return true;
    } else if (m == WM_CHAR || m == WM_SYSCHAR) {
        auto* ke = static_cast<QKeyEvent*>(e);
        QString t = ke->text();
        if (t.isEmpty() || t[0].unicode() != Message.WParam) {
            // The key was changed by a handler: the widget gets the new character.
            QChar c(char16_t(Message.WParam));
            int key = c.unicode() == 8    ? Qt::Key_Backspace
                      : c.unicode() == 13 ? Qt::Key_Return
                      : c.unicode() == 27 ? Qt::Key_Escape
                      : c.unicode() == 9  ? Qt::Key_Tab
                      : c.isLetter()      ? int(c.toUpper().unicode())
                                          : int(c.unicode());
            Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::ShiftModifier;
            if (c.unicode() < 32 && c.unicode() != 8 && c.unicode() != 13 && c.unicode() != 27 &&
                c.unicode() != 9) {
                key = Qt::Key_A + c.unicode() - 1;
                mods |= Qt::ControlModifier;
            }
            replacement = std::make_unique<QKeyEvent>(QEvent::KeyPress, key, mods, QString(c));
        }
    }
    MarkInputEventDelivered(hWnd, m);
    QEvent* send = replacement ? replacement.get() : e;
    QEvent* prev = gDelivering;
    gDelivering = send;
    send->setAccepted(true);
    // Through the application, so that the widget's own filters (scroll-area viewports) run.
    QCoreApplication::sendEvent(target, send);
    gDelivering = prev;
    return true;
}

void GuardedCall(const std::function<void()>& f) {
    try {
        f();
    } catch (...) {
        try {
            if (Application) Application->HandleException(nullptr);
        } catch (...) {
        }
    }
}

// ---------------------------------------------------------------------------------------------
// TQtWindow
TQtWindow::TQtWindow(TWinControl* Control, QWidget* Parent, Qt::WindowFlags Flags)
    : QWidget(Parent, Flags), FControl(Control) {
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setAutoFillBackground(false);
}

void TQtWindow::Invalidate(const QRect& r) {
    FInvalid += r;
    update(r);
}

void TQtWindow::UpdateNow() {
    if (FInvalid.isEmpty() || !isVisible()) return;
    repaint(FInvalid);
}

void InvalidateWidget(QWidget* w, const QRect* r) {
    if (auto* q = dynamic_cast<TQtWindow*>(w))
        r ? q->Invalidate(*r) : q->Invalidate();
    else
        r ? w->update(*r) : w->update();
}

void UpdateWidget(QWidget* w) {
    if (auto* q = dynamic_cast<TQtWindow*>(w))
        q->UpdateNow();
    else if (w->isVisible())
        w->repaint();
}

void TQtWindow::paintEvent(QPaintEvent* e) {
    FInvalid -= e->region();
    if (!FControl) return;
    QPainter p(this);
    TWinControl* c = FControl;
    QRect r = e->rect();
    GuardedCall([c, &p, r] { TWindowBridge::Paint(c, p, r); });
}

void TQtWindow::resizeEvent(QResizeEvent*) {
    FInvalid += rect(); // Qt repaints a resized window whole
    if (FControl) {
        TWinControl* c = FControl;
        int w = width(), h = height();
        GuardedCall([c, w, h] { TWindowBridge::WidgetResized(c, w, h); });
    }
}

void TQtWindow::moveEvent(QMoveEvent*) {
    if (FControl && isWindow()) {
        TWinControl* c = FControl;
        QPoint p = pos();
        GuardedCall([c, p] { TWindowBridge::WidgetMoved(c, p.x(), p.y()); });
    }
}

void TQtWindow::closeEvent(QCloseEvent* e) {
    // The form decides (OnCloseQuery/OnClose) and hides itself.
    e->ignore();
    if (FControl && FControl->HandleAllocated()) {
        HWND h = FControl->Handle();
        GuardedCall([h] { SendMessage(h, WM_CLOSE, 0, 0); });
    }
}

bool TQtWindow::event(QEvent* e) {
    if (e->type() == QEvent::Show) FInvalid += rect(); // shown windows are painted whole
    if (FControl && isWindow() &&
        (e->type() == QEvent::WindowActivate || e->type() == QEvent::WindowDeactivate)) {
        HWND h = FControl->Handle();
        bool act = e->type() == QEvent::WindowActivate;
        GuardedCall([h, act] { SendMessage(h, WM_ACTIVATE, act ? WA_ACTIVE : WA_INACTIVE, 0); });
    }
    return QWidget::event(e);
}

void PaintWindowWidget(TWinControl* Control, QPainter& p, const QRect& Dirty) {
    TWindowBridge::Paint(Control, p, Dirty);
}

namespace {
// Windows painting now, with their painter's transform and clip in window coordinates.
struct TWindowPaint {
    HWND Handle;
    QPainter* Painter;
    QTransform Transform;
    bool Clipping;
    QRegion Clip;
};
std::vector<TWindowPaint>& WindowPaints() {
    static std::vector<TWindowPaint> list;
    return list;
}
// The client-level painter state a window context put aside.
struct TClientPaintState {
    HDC Dc;
    QPainter* Painter;
    QTransform Transform;
    bool Clipping;
    QRegion Clip;
};
std::vector<TClientPaintState>& PutAside() {
    static std::vector<TClientPaintState> list;
    return list;
}
} // namespace

HDC GetWindowDC(HWND hWnd) {
    auto& l = WindowPaints();
    auto it = std::find_if(l.rbegin(), l.rend(), [hWnd](const TWindowPaint& w) { return w.Handle == hWnd; });
    if (it == l.rend() || !it->Painter->isActive()) return nullptr;
    QPainter* p = it->Painter;
    PutAside().push_back({nullptr, p, p->transform(), p->hasClipping(), p->clipRegion()});
    p->setTransform(it->Transform);
    if (it->Clipping)
        p->setClipRegion(it->Clip);
    else
        p->setClipping(false);
    HDC dc = CreatePainterDC(p);
    PutAside().back().Dc = dc;
    return dc;
}

int ReleaseDC(HWND hWnd, HDC dc) {
    (void)hWnd;
    auto& l = PutAside();
    auto it = std::find_if(l.begin(), l.end(), [dc](const TClientPaintState& s) { return s.Dc == dc; });
    if (it == l.end()) return 0;
    QPainter* p = it->Painter;
    DeleteDC(dc);
    // The client's painting goes on as it was.
    if (p && p->isActive()) {
        p->setTransform(it->Transform);
        if (it->Clipping)
            p->setClipRegion(it->Clip);
        else
            p->setClipping(false);
    }
    l.erase(it);
    return 1;
}

void TWindowBridge::Paint(TWinControl* c, QPainter& p, const QRect&) {
    TWindowRecord* rec = FindWindowRecord(c->FHandle);
    TRect nc = NonClientInsets(rec);
    WindowPaints().push_back({c->FHandle, &p, p.transform(), p.hasClipping(), p.clipRegion()});
    struct Done {
        ~Done() { WindowPaints().pop_back(); }
    } done;
    {
        HDC dc = CreatePainterDC(&p);
        try {
            c->Perform(WM_NCPAINT, WPARAM(dc), 0);
        } catch (...) {
            DeleteDC(dc);
            throw;
        }
        DeleteDC(dc);
    }
    TRect cr = c->ClientRect();
    p.save();
    p.translate(nc.Left, nc.Top);
    p.setClipRect(0, 0, cr.Width(), cr.Height(), Qt::IntersectClip);
    QPainter* old = c->FPainter;
    c->FPainter = &p;
    HDC dc = CreatePainterDC(&p);
    try {
        c->Perform(WM_ERASEBKGND, WPARAM(dc), 0);
        DeleteDC(dc);
        dc = nullptr;
        c->Perform(WM_PAINT, 0, 0);
    } catch (...) {
        if (dc) DeleteDC(dc);
        c->FPainter = old;
        p.restore();
        throw;
    }
    c->FPainter = old;
    p.restore();
}

void TWindowBridge::WidgetResized(TWinControl* c, int w, int h) {
    TWindowRecord* rec = FindWindowRecord(c->FHandle);
    LayoutScrollBars(rec);
    if (c->FWidget && c->FWidget->isWindow() && (w != c->FWidth || h != c->FHeight)) {
        // The window manager resized the window.
        c->FWidth = w;
        c->FHeight = h;
        c->Resize();
        TRect cr = c->ClientRect();
        c->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(Word(cr.Width()), Word(cr.Height())));
    }
}

void TWindowBridge::WidgetMoved(TWinControl* c, int l, int t) {
    c->FLeft = l;
    c->FTop = t;
}

// ---------------------------------------------------------------------------------------------
// Keys
Word QtKeyToVK(int k, bool keypad) {
    if (keypad) {
        if (k >= Qt::Key_0 && k <= Qt::Key_9) return Word(VK_NUMPAD0 + (k - Qt::Key_0));
        switch (k) {
        case Qt::Key_Asterisk:
            return VK_MULTIPLY;
        case Qt::Key_Plus:
            return VK_ADD;
        case Qt::Key_Minus:
            return VK_SUBTRACT;
        case Qt::Key_Slash:
            return VK_DIVIDE;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return VK_DECIMAL;
        case Qt::Key_Enter:
            return VK_RETURN;
        }
    }
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return Word('A' + (k - Qt::Key_A));
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return Word('0' + (k - Qt::Key_0));
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return Word(VK_F1 + (k - Qt::Key_F1));
    switch (k) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Clear:
        return VK_CLEAR;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return VK_MENU;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_CapsLock:
        return VK_CAPITAL;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Print:
        return VK_SNAPSHOT;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Help:
        return VK_HELP;
    case Qt::Key_Meta:
        return VK_LWIN;
    case Qt::Key_Menu:
        return VK_APPS;
    case Qt::Key_NumLock:
        return VK_NUMLOCK;
    case Qt::Key_ScrollLock:
        return VK_SCROLL;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return VK_OEM_1;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return VK_OEM_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return VK_OEM_7;
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_ParenRight:
        return '0';
    }
    return 0;
}

int VKToQtKey(Word vk) {
    if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
    if (vk >= VK_F1 && vk <= VK_F1 + 23) return Qt::Key_F1 + (vk - VK_F1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return Qt::Key_0 + (vk - VK_NUMPAD0);
    switch (vk) {
    case VK_BACK:
        return Qt::Key_Backspace;
    case VK_TAB:
        return Qt::Key_Tab;
    case VK_RETURN:
        return Qt::Key_Return;
    case VK_SHIFT:
        return Qt::Key_Shift;
    case VK_CONTROL:
        return Qt::Key_Control;
    case VK_MENU:
        return Qt::Key_Alt;
    case VK_ESCAPE:
        return Qt::Key_Escape;
    case VK_SPACE:
        return Qt::Key_Space;
    case VK_PRIOR:
        return Qt::Key_PageUp;
    case VK_NEXT:
        return Qt::Key_PageDown;
    case VK_END:
        return Qt::Key_End;
    case VK_HOME:
        return Qt::Key_Home;
    case VK_LEFT:
        return Qt::Key_Left;
    case VK_UP:
        return Qt::Key_Up;
    case VK_RIGHT:
        return Qt::Key_Right;
    case VK_DOWN:
        return Qt::Key_Down;
    case VK_INSERT:
        return Qt::Key_Insert;
    case VK_DELETE:
        return Qt::Key_Delete;
    case VK_MULTIPLY:
        return Qt::Key_Asterisk;
    case VK_ADD:
        return Qt::Key_Plus;
    case VK_SUBTRACT:
        return Qt::Key_Minus;
    case VK_DIVIDE:
        return Qt::Key_Slash;
    case VK_DECIMAL:
        return Qt::Key_Period;
    }
    return 0;
}

TShiftState QtModifiersToShift(int Modifiers, int Buttons) {
    TShiftState s;
    if (Modifiers & Qt::ShiftModifier) s += ssShift;
    if (Modifiers & Qt::ControlModifier) s += ssCtrl;
    if (Modifiers & Qt::AltModifier) s += ssAlt;
    if (Buttons & Qt::LeftButton) s += ssLeft;
    if (Buttons & Qt::RightButton) s += ssRight;
    if (Buttons & Qt::MiddleButton) s += ssMiddle;
    return s;
}
