#include "Screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

QString SaveFormScreenshot(TWinControl* form, const QString& name) {
    if (!form) return {};
    form->HandleNeeded();
    QWidget* w = form->Widget();
    if (!w) return {};
    QCoreApplication::processEvents();
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    dir.mkpath(QStringLiteral("."));
    QString path = dir.absoluteFilePath(name + QStringLiteral(".png"));
    QPixmap pm = w->grab();
    return pm.save(path, "PNG") ? path : QString();
}
