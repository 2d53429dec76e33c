#include "platform/rtl/SysUtils.h"
#include "rtl/SysUtilsTestPrint.h"

#include <gtest/gtest.h>

namespace {

TEST(Ansi, Windows1251RoundTripsAndUnmappable) {
    const String text = QString::fromUtf8("Привет, Ёё № – «x» €");
    const AnsiString bytes = ToAnsi(text);
    EXPECT_EQ(bytes, QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xB8 \xB9 \x96 \xABx\xBB \x88"));
    EXPECT_EQ(FromAnsi(bytes), text);
    // Every byte maps to one character and back.
    for (int b = 1; b < 256; ++b) {
        const char c = char(b);
        const String s = FromAnsi(&c, 1);
        ASSERT_EQ(s.size(), 1) << b;
        EXPECT_EQ(ToAnsi(s), QByteArray(1, c)) << b;
    }
    EXPECT_EQ(ToAnsi(QString::fromUtf8("日é\U0001F600")), "????"); // a surrogate pair is two characters
}

TEST(Ansi, NulEndsTheText) {
    EXPECT_EQ(FromAnsi("ab\0cd", 5), "ab");
    EXPECT_EQ(FromAnsi(QByteArray("ab\0cd", 5)), "ab");
    EXPECT_EQ(FromAnsiZ("\xC0\xE1"), QString::fromUtf8("Аб"));
    EXPECT_EQ(FromAnsiZ(nullptr), "");
    EXPECT_EQ(FromAnsi(nullptr, 3), "");
}

TEST(Ansi, DecodeTextByBomThenUtf8ThenCodePage) {
    const String ru = QString::fromUtf8("Ключ=Значение");
    EXPECT_EQ(DecodeText(QByteArray("\xEF\xBB\xBF") + ru.toUtf8()), ru);
    QByteArray le("\xFF\xFE");
    for (QChar c : ru)
        le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    EXPECT_EQ(DecodeText(le), ru);
    QByteArray be("\xFE\xFF");
    for (QChar c : ru)
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    EXPECT_EQ(DecodeText(be), ru);
    EXPECT_EQ(DecodeText(ru.toUtf8()), ru);
    EXPECT_EQ(DecodeText(ToAnsi(ru)), ru);
    EXPECT_EQ(DecodeText(QByteArray("plain")), "plain");
    EXPECT_EQ(DecodeText(QByteArray()), "");
}

} // namespace
