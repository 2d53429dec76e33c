#pragma once
// Small helpers for the window-layer tests: pumping events, showing forms, synthetic input.

#include "platform/ui/Forms.h"

#include <QPoint>

// Runs Qt's and the layer's queues for about ms milliseconds (at least once).
void PumpEvents(int ms = 0);
// Shows the form and waits until it is active.
void ShowAndActivate(TCustomForm* form);
// Synthetic input delivered to the control's widget the way the window system would.
void SendKey(TWinControl* c, int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier,
             const QString& text = QString());
void TypeText(TWinControl* c, const QString& text);
void Click(TWinControl* c, QPoint clientPos, Qt::MouseButton b = Qt::LeftButton);
void MousePress(TWinControl* c, QPoint clientPos, Qt::MouseButton b = Qt::LeftButton);
void MouseRelease(TWinControl* c, QPoint clientPos, Qt::MouseButton b = Qt::LeftButton);
void MouseMoveTo(TWinControl* c, QPoint clientPos, Qt::MouseButtons buttons = Qt::NoButton);
