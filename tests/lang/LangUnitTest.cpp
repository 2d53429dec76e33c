#include "lib/lang/LangUnit.h"

#include "platform/classes/Classes.h"
#include "platform/ui/WinApi.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Each test gets an empty directory as the executable's directory and a fresh message list.
class LangTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        SetLanguageDir(Dir.path());
        FreeLanguage();
    }
    void TearDown() override {
        FreeLanguage();
        SetLanguageDir(String());
        SetMessageBoxHook(nullptr);
    }
    void WriteFile(const QByteArray& bytes, const char* name = "SetupKvt.ini") {
        QFile f(Dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir Dir;
};

TEST_F(LangTest, WithoutFileDefaultsAndTheFileIsNotLookedForAgain) {
    EXPECT_FALSE(LanguageLoaded());
    EXPECT_EQ(GetMsg("DeviceOpenError", "Ошибка"), "Ошибка");
    EXPECT_TRUE(LanguageLoaded());
    // A file that appears later is read only by an explicit load.
    WriteFile("[Msg]\r\nDeviceOpenError=Open error\r\n");
    EXPECT_EQ(GetMsg("DeviceOpenError", "Ошибка"), "Ошибка");
    LoadLanguage("SetupKvt.ini");
    EXPECT_EQ(GetMsg("DeviceOpenError", "Ошибка"), "Open error");
}

TEST_F(LangTest, KeyLookupRules) {
    WriteFile("[Other]\r\nA=other section\r\n"
              "[msg]\r\n"
              "Empty=\r\n"
              "  Spaced  =  value with blanks  \r\n"
              "Twice=first\r\n"
              "TWICE=second\r\n"
              "deviceopenerror=lower case key\r\n");
    EXPECT_EQ(GetMsg("Empty", "dflt"), "dflt");
    EXPECT_EQ(GetMsg("Spaced", "dflt"), "value with blanks");
    EXPECT_EQ(GetMsg("twice", "dflt"), "first");
    EXPECT_EQ(GetMsg("DeviceOpenError", "dflt"), "lower case key");
    EXPECT_EQ(GetMsg("A", "dflt"), "dflt"); // other sections are not messages
    EXPECT_EQ(GetMsg("Missing", "dflt"), "dflt");
}

TEST_F(LangTest, ReloadReplacesTheListAndEncodingsAreRead) {
    // Windows-1251 without a BOM: "Ошибка".
    WriteFile(QByteArray("[Msg]\r\nK=\xCE\xF8\xE8\xE1\xEA\xE0\r\nOld=1\r\n"));
    EXPECT_EQ(GetMsg("K", "x"), "Ошибка");
    WriteFile(QByteArray("\xEF\xBB\xBF[Msg]\nK=Ошибка UTF-8\n"));
    LoadLanguage("SetupKvt.ini");
    EXPECT_EQ(GetMsg("K", "x"), "Ошибка UTF-8");
    EXPECT_EQ(GetMsg("Old", "gone"), "gone");
    // Another name in the same directory; a missing file gives an empty list.
    LoadLanguage("missing.ini");
    EXPECT_EQ(GetMsg("K", "x"), "x");
}

TEST_F(LangTest, DefaultDirectoryIsTheExecutables) {
    SetLanguageDir(String());
    EXPECT_EQ(LanguageDir(), QCoreApplication::applicationDirPath() + "/");
}

TEST(FormatPrintfTest, Conversions) {
    struct Case {
        const char* Fmt;
        std::vector<TVarRec> Args;
        const char* Expected;
    };
    const Case cases[] = {
        {"Ошибка открытия устройства (%ld)!", {2}, "Ошибка открытия устройства (2)!"},
        {"%d + %s", {-5, "x"}, "-5 + x"},
        {"%2.2f мг/л", {0.5}, "0.50 мг/л"},
        {"[%5d|%-4s|%03d]", {42, "ab", 7}, "[   42|ab  |007]"},
        {"%.2X %x %o", {255, 255, 8}, "FF ff 10"},
        {"%u", {-1}, "4294967295"},
        {"100%% %c", {65}, "100% A"},
        {"%.1s|%*d", {"abc", 4, 9}, "a|   9"},
        {"%d %d", {1}, "1 0"}, // a missing argument is 0
        {"%s", {12}, "12"},    // a number where text is asked for
        {"%d", {"17"}, "17"},  // and text where a number is
        {"%d%%", {}, "0%"},
        {"no conversion", {1, 2}, "no conversion"},
        {"trailing %", {1}, "trailing %"}, // malformed: shown as it stands
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatPrintf(QString::fromUtf8(c.Fmt), c.Args), QString::fromUtf8(c.Expected)) << c.Fmt;
    // No buffer limit.
    String longText(100000, u'ж');
    EXPECT_EQ(FormatPrintf("<%s>", {longText}).size(), 100002);
}

TEST(FormatPrintfTest, SameConversions) {
    EXPECT_TRUE(SameConversions("Open error (%ld)!", "Ошибка (%d)"));
    EXPECT_TRUE(SameConversions("%2.2f and %s", "%.3f и %10s"));
    EXPECT_TRUE(SameConversions("none", "нет"));
    EXPECT_FALSE(SameConversions("%s", "%d"));
    EXPECT_FALSE(SameConversions("%d %d", "%d"));
    EXPECT_FALSE(SameConversions("%d", "%d %n"));
    EXPECT_FALSE(SameConversions("%d", "%*d"));
    EXPECT_FALSE(SameConversions("%d", "%d%"));
}

TEST_F(LangTest, GetMsgFmtUsesTheTranslationOnlyWhenItTakesTheSameArguments) {
    WriteFile("[Msg]\r\n"
              "Good=Event no. %d of %s\r\n"
              "TextForNumber=Event %s\r\n"
              "Extra=Event %d %d\r\n"
              "Writes=Event %d%n\r\n"
              "Empty=\r\n");
    EXPECT_EQ(GetMsgFmt("Good", "Событие %d из %s", 3, "x"), "Event no. 3 of x");
    EXPECT_EQ(GetMsgFmt("TextForNumber", "Событие %d", 3), "Событие 3");
    EXPECT_EQ(GetMsgFmt("Extra", "Событие %d", 3), "Событие 3");
    EXPECT_EQ(GetMsgFmt("Writes", "Событие %d", 3), "Событие 3");
    EXPECT_EQ(GetMsgFmt("Empty", "Событие %d", 3), "Событие 3");
    EXPECT_EQ(GetMsgFmt("Missing", "Таймер на %d.%d сек", 6, 3), "Таймер на 6.3 сек");
}

TEST(GetLangValueTest, AbsentMissingEmpty) {
    TStringList list;
    list.Add("Caption=Text");
    list.Add("Blank=");
    EXPECT_EQ(GetLangValue(nullptr, "Caption", "d"), "d");
    EXPECT_EQ(GetLangValue(&list, "caption", "d"), "Text");
    EXPECT_EQ(GetLangValue(&list, "Blank", "d"), "d");
    EXPECT_EQ(GetLangValue(&list, "Other", "d"), "d");
}

TEST_F(LangTest, ShowMsgBoxAddsTheSourceOnlyToErrorBoxes) {
    String shownText, shownCaption;
    UINT shownFlags = 0;
    SetMessageBoxHook([&](const String& t, const String& c, UINT f) {
        shownText = t;
        shownCaption = c;
        shownFlags = f;
        return f == 36 ? IDYES : IDOK;
    });
    EXPECT_EQ(ShowMsgBox("Ошибка", "X", 16, "MainUnit", 550), IDOK);
    EXPECT_EQ(shownText, "Ошибка\r(MainUnit: 550)");
    EXPECT_EQ(shownCaption, "X");
    EXPECT_EQ(shownFlags, 16u);
    for (int flags : {48, 64, 36}) {
        int r = ShowMsgBox("Ошибка", "X", flags, "MainUnit", 550);
        EXPECT_EQ(shownText, "Ошибка") << flags;
        EXPECT_EQ(shownFlags, UINT(flags));
        EXPECT_EQ(r, flags == 36 ? IDYES : IDOK);
    }
}

} // namespace
