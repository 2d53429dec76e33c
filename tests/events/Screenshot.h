#pragma once
// Saves a form as a PNG under <build>/screenshots/<name>.png, so that a person can look at what
// the tool shows. Answers the file path ("" when nothing was saved).

#include <QString>

class TWinControl;

QString SaveFormScreenshot(TWinControl* Form, const QString& Name);
