#pragma once
// Saves a form (or any windowed control) as a PNG under <build>/screenshots/<name>.png, so that a
// person can look at what the layer shows. Answers the file path ("" when nothing was saved).

#include "platform/ui/Controls.h"

#include <QString>

QString SaveFormScreenshot(TWinControl* form, const QString& name);
