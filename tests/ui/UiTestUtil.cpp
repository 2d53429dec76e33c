#include "UiTestUtil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

void PumpEvents(int ms) {
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        DispatchQueuedMessages();
    } while (t.elapsed() < ms);
}

void ShowAndActivate(TCustomForm* form) {
    form->Show();
    QWidget* w = form->Widget();
    w->activateWindow();
    for (int i = 0; i < 200 && !form->Active(); ++i)
        PumpEvents(5);
}

namespace {
QWidget* FocusTarget(TWinControl* c) {
    QWidget* w = c->Widget();
    if (w && w->focusProxy()) w = w->focusProxy();
    if (QWidget* f = QApplication::focusWidget(); f && w && (f == w || w->isAncestorOf(f))) return f;
    return w;
}
QWidget* MouseTarget(TWinControl* c, QPoint& pos) {
    QWidget* w = c->Widget();
    TPoint o = c->ClientToScreen({pos.x(), pos.y()});
    QPoint g(o.X, o.Y);
    QWidget* child = w->childAt(w->mapFromGlobal(g));
    QWidget* t = child ? child : w;
    pos = t->mapFromGlobal(g);
    return t;
}
} // namespace

void SendKey(TWinControl* c, int qtKey, Qt::KeyboardModifiers mods, const QString& text) {
    QWidget* w = FocusTarget(c);
    QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, mods, text);
    QApplication::sendEvent(w, &release);
}

void TypeText(TWinControl* c, const QString& text) {
    for (QChar ch : text) {
        int key = ch.isLetter() ? int(ch.toUpper().unicode()) : int(ch.unicode());
        if (ch.unicode() >= 0x400) key = 0;
        SendKey(c, key, ch.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(ch));
    }
}

void MousePress(TWinControl* c, QPoint p, Qt::MouseButton b) {
    QWidget* w = MouseTarget(c, p);
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(p), QPointF(w->mapToGlobal(p)), b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void MouseRelease(TWinControl* c, QPoint p, Qt::MouseButton b) {
    QWidget* w = MouseTarget(c, p);
    QMouseEvent e(QEvent::MouseButtonRelease, QPointF(p), QPointF(w->mapToGlobal(p)), b, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void Click(TWinControl* c, QPoint p, Qt::MouseButton b) {
    MousePress(c, p, b);
    MouseRelease(c, p, b);
}
void MouseMoveTo(TWinControl* c, QPoint p, Qt::MouseButtons buttons) {
    QWidget* w = MouseTarget(c, p);
    QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
