// Qt's Russian translations and the Russian formats for a system locale without a language.

#include "app/AppLanguage.h"

#include "platform/rtl/SysUtils.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool UseRussianLanguage() {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    if (QLocale::system().language() == QLocale::C) {
        QLocale::setDefault(russian);
        SetFormatSettings(TFormatSettings::Create(QStringLiteral("ru_RU")));
    }
    static QTranslator* installed = nullptr;
    if (installed) return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}
