// The caret: one per application, owned by a window, drawn as a blinking bar over it.

#include "platform/ui/WindowBridge.h"

#include <QApplication>
#include <QStyleHints>
#include <QTimer>
#include <QWidget>

namespace {
struct TCaret {
    HWND Owner = nullptr;
    int Width = 1, Height = 1;
    TPoint Pos;
    int HideCount = 1; // a new caret is hidden
    QPointer<QWidget> Bar;
    std::unique_ptr<QTimer> Blink;
};
TCaret& Caret() {
    static TCaret c;
    return c;
}

void Sync() {
    TCaret& c = Caret();
    auto* r = FindWindowRecord(c.Owner);
    if (!r || !r->Widget) return;
    if (!c.Bar) {
        c.Bar = new QWidget(r->Widget);
        c.Bar->setAttribute(Qt::WA_TransparentForMouseEvents);
        c.Bar->setAutoFillBackground(true);
        QPalette pal = c.Bar->palette();
        pal.setColor(QPalette::Window, Qt::black);
        c.Bar->setPalette(pal);
    }
    TRect nc = NonClientInsets(r);
    c.Bar->setGeometry(c.Pos.X + nc.Left, c.Pos.Y + nc.Top, std::max(1, c.Width), std::max(1, c.Height));
    c.Bar->setVisible(c.HideCount == 0);
    c.Bar->raise();
}
} // namespace

BOOL CreateCaret(HWND h, TGdiObject*, int w, int hgt) {
    DestroyCaret();
    if (!FindWindowRecord(h)) return FALSE;
    TCaret& c = Caret();
    c.Owner = h;
    c.Width = w > 0 ? w : 1;
    c.Height = hgt > 0 ? hgt : 16;
    c.HideCount = 1;
    if (QApplication::instance()) {
        c.Blink = std::make_unique<QTimer>();
        int t = QGuiApplication::styleHints()->cursorFlashTime() / 2;
        c.Blink->setInterval(t > 0 ? t : 500);
        QObject::connect(c.Blink.get(), &QTimer::timeout, [] {
            TCaret& k = Caret();
            if (k.Bar && k.HideCount == 0) k.Bar->setVisible(!k.Bar->isVisible());
        });
        c.Blink->start();
    }
    Sync();
    return TRUE;
}
BOOL DestroyCaret() {
    TCaret& c = Caret();
    if (c.Bar) delete c.Bar.data();
    c.Blink.reset();
    c.Owner = nullptr;
    return TRUE;
}
BOOL ShowCaret(HWND h) {
    TCaret& c = Caret();
    if (!c.Owner || (h && h != c.Owner)) return FALSE;
    if (c.HideCount > 0) --c.HideCount;
    Sync();
    return TRUE;
}
BOOL HideCaret(HWND h) {
    TCaret& c = Caret();
    if (!c.Owner || (h && h != c.Owner)) return FALSE;
    ++c.HideCount;
    Sync();
    return TRUE;
}
BOOL SetCaretPos(int x, int y) {
    TCaret& c = Caret();
    if (!c.Owner) return FALSE;
    c.Pos = {x, y};
    Sync();
    return TRUE;
}
BOOL GetCaretPos(TPoint* p) {
    if (!p) return FALSE;
    *p = Caret().Pos;
    return TRUE;
}
