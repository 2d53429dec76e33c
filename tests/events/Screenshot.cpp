#include "Screenshot.h"

#include "platform/ui/Controls.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

QString SaveFormScreenshot(TWinControl* Form, const QString& Name) {
    if (!Form) return {};
    Form->HandleNeeded();
    QWidget* w = Form->Widget();
    if (!w) return {};
    QCoreApplication::processEvents();
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    dir.mkpath(QStringLiteral("."));
    const QString path = dir.absoluteFilePath(Name + QStringLiteral(".png"));
    return w->grab().save(path, "PNG") ? path : QString();
}
