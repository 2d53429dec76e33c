// The tool's language: Qt's standard dialogs in Russian, and the Russian formats where the system
// locale names no language (the suite runs under LANG=C.UTF-8).

#include "AppFixture.h"

#include "app/AppLanguage.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>

TEST_F(AppTest, QtDialogsSpeakRussianAndACLocaleTakesRussianFormats) {
    if (QLocale::system().language() != QLocale::C) GTEST_SKIP() << "needs a C system locale";
    SetFormatSettings(TFormatSettings::Create()); // what a C locale gives without the tool's choice
    const TDateTime when = EncodeDate(2026, 12, 10) + EncodeTime(18, 30, 9, 0);
    EXPECT_EQ(DateToStr(when).toStdString(), "12/10/2026");

    ASSERT_TRUE(UseRussianLanguage()) << "Qt's Russian translations (qt6-translations-l10n) are missing";
    EXPECT_EQ(DateToStr(when).toStdString(), "10.12.2026");
    EXPECT_EQ(TimeToStr(when).toStdString(), "18:30:09");
    EXPECT_EQ(QLocale().toString(QDate(2026, 12, 10), QLocale::ShortFormat).toStdString(), "10.12.2026");
    // The file dialogs and their overwrite question.
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As").toStdString(), "Сохранить как");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
                  .toStdString(),
              "%1 уже существует.\nЗаменить его?");

    // The clock question shows the window's formats; its own text stays as it is, typo included.
    form->NowFn = [when] { return when; };
    answers.push_back(IDNO);
    form->DevTimeSyncButtonClick(nullptr);
    EXPECT_EQ(OnlyBox().Text.toStdString(),
              "Синхронизировать дату (10.12.2026) и время (18:30:09) подключенного устрйства с ПК?");
    QLocale::setDefault(QLocale::c());
}
