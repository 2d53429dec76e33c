#pragma once
// Internal to the window layer: the records behind window handles, the custom window widget and
// the bridge that turns Qt events into queued messages. Not for code outside platform/ui.

#include "platform/ui/Controls.h"
#include "platform/ui/WinApi.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QScrollBar;

struct TScrollBarState {
    SCROLLINFO Info;
    bool Visible = false; // WS_HSCROLL / WS_VSCROLL
    bool Enabled = true;
    bool Tracking = false;
    QScrollBar* Bar = nullptr;
};

struct TWindowRecord {
    HWND Handle = nullptr;
    TWinControl* Control = nullptr;
    TWndMethodFn Method; // message-only windows
    QPointer<QWidget> Widget;
    TScrollBarState Bars[2]; // SB_HORZ, SB_VERT
    bool Native = false;     // the widget is a wrapped Qt control (draws its own frame)
    int MenuHeight = 0;      // a form's menu bar above the client area
};

// Registry of handles
HWND RegisterWindow(TWinControl* Control, QWidget* Widget, bool Native);
void UnregisterWindow(HWND Handle);
TWindowRecord* FindWindowRecord(HWND Handle);
// The handle of the window a widget stands for (walking up to non-window parents).
HWND HandleOfWidget(const QWidget* Widget);
// Non-client insets (borders and visible scroll bars) of a window in pixels.
TRect NonClientInsets(TWindowRecord* Rec);
// Border widths implied by a style (no scroll bars).
TRect BorderInsets(DWORD Style, DWORD ExStyle);
// Places the scroll-bar widgets of a window at its edges.
void LayoutScrollBars(TWindowRecord* Rec);
int ScrollBarExtent();

// Queue internals used by the control layer
void EnsureEventBridge();
void QueueInputMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, std::shared_ptr<QEvent> Event,
                       QWidget* Target);
// Queues without dispatching (a key and its characters go in together).
void QueueInputMessageDeferred(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam,
                               std::shared_ptr<QEvent> Event, QWidget* Target);
QWidget* CurrentInputTarget(HWND hWnd, UINT Msg);
// Dispatches what waits unless PeekMessage is collecting input.
void PumpInput();
// Qt cursor of a cursor id of the screen's table.
class QCursor;
QCursor CursorOf(TCursor Cursor);
// Hands the current input event of (hWnd, Msg) to its widget, once. True when delivered.
bool DeliverInputEvent(HWND hWnd, TMessage& Message);
// Qt key -> virtual key
Word QtKeyToVK(int QtKey, bool Keypad);
int VKToQtKey(Word VK);
TShiftState QtModifiersToShift(int Modifiers, int Buttons);

// The custom window widget of TWinControl: paints through the control's message chain.
class TQtWindow : public QWidget {
public:
    TQtWindow(TWinControl* Control, QWidget* Parent, Qt::WindowFlags Flags = {});
    TWinControl* Control() const { return FControl; }
    void Detach() { FControl = nullptr; }
    // Invalidation through the layer: the part not painted yet is remembered so that an update
    // paints only what is invalid (nothing when nothing is), as UpdateWindow does.
    void Invalidate() { Invalidate(rect()); }
    void Invalidate(const QRect& r);
    // Paints the part still invalid now; does nothing when all is painted.
    void UpdateNow();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;

private:
    TWinControl* FControl;
    QRegion FInvalid;
};

// Invalidates (all of w when r is null) and remembers it for UpdateWidget.
void InvalidateWidget(QWidget* w, const QRect* r = nullptr);
// Paints what is invalid in w now (a window of the layer: only that part, if any).
void UpdateWidget(QWidget* w);

// Paints a window the layer way (non-client, erase, paint, graphic children) with painter p.
void PaintWindowWidget(TWinControl* Control, QPainter& p, const QRect& Dirty);

// Access to the control internals the bridge needs.
struct TWindowBridge {
    static void Paint(TWinControl* Control, QPainter& p, const QRect& Dirty);
    static void WidgetResized(TWinControl* Control, int Width, int Height);
    static void WidgetMoved(TWinControl* Control, int Left, int Top);
    static TControl*& MouseControl(TWinControl* Control) { return Control->FMouseControl; }
};

// Runs f; an exception escaping it goes to Application.HandleException (Qt must never see one).
void GuardedCall(const std::function<void()>& f);

// The scroll code (SB_LINEDOWN, SB_PAGEUP, SB_TOP...) of a Qt slider step action; -1 for
// actions that are not steps (thumb moves are reported by the callers themselves).
int ScrollCodeOfSliderAction(int Action);
