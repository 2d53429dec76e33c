#include "platform/rtl/SysUtils.h"
#include "rtl/SysUtilsTestPrint.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const TFormatSettings& En() {
    static const TFormatSettings fs = TFormatSettings::Create(QStringLiteral("en_US"));
    return fs;
}

TEST(SysUtilsFormat, ConversionsWidthsAndPrecisions) {
    struct Case {
        const char* Format;
        std::vector<TVarRec> Args;
        const char* Expected;
    };
    const Case cases[] = {
        {"%d", {42}, "42"},
        {"[%5d]", {42}, "[   42]"},
        {"[%-5d]", {42}, "[42   ]"},
        {"%.3d", {-5}, "-005"},
        {"%d", {Int64(-9000000000)}, "-9000000000"},
        {"%u", {-1}, "4294967295"},
        {"%x", {255}, "FF"},
        {"[%8.4x]", {255}, "[    00FF]"},
        {"%x", {-1}, "FFFFFFFF"},
        {"%x", {Int64(-1)}, "FFFFFFFFFFFFFFFF"},
        {"%s-%s", {"a", QStringLiteral("b")}, "a-b"},
        {"%s", {QChar('x')}, "x"},
        {"%.2s|%5s|%-5s|", {"abcdef", "ab", "ab"}, "ab|   ab|ab   |"},
        {"%1:s %0:s %s", {"a", "b"}, "b a b"},
        {"%0:s%0:s%s", {"a", "b"}, "aab"},
        {"[%*d] [%-*.*d]", {4, 7, 4, 2, 7}, "[   7] [07  ]"},
        {"%.2f", {3.14159}, "3.14"},
        {"%f", {2.0}, "2.00"},
        {"%5.1f|", {2.25}, "  2.3|"},
        {"%.0f", {-0.4}, "0"},
        {"%e", {1000.0}, "1.00000000000000E+003"},
        {"%.3e", {-1234.5}, "-1.23E+003"},
        {"%g", {1234.5}, "1234.5"},
        {"%.3g", {0.5}, "0.5"},
        {"%n", {1234567.891}, "1,234,567.89"},
        {"%.0n", {-1234.5}, "-1,235"},
        {"%m", {1234.5}, "$1,234.50"},
        {"%.0m", {-3.0}, "($3)"},
        {"%m", {Currency::FromScaled(15000)}, "$1.50"},
        {"%.4f", {Currency::FromScaled(-12345)}, "-1.2345"},
        {"100%%", {}, "100%"},
        {"%s=%d", {QString::fromUtf8("Имя"), 5}, "Имя=5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(QString::fromUtf8(c.Format), c.Args, En()), QString::fromUtf8(c.Expected))
            << c.Format;
}

TEST(SysUtilsFormat, PointerIsPointerSizedHex) {
    const void* p = reinterpret_cast<const void*>(quintptr(0xAB12));
    EXPECT_EQ(Format(QStringLiteral("%p"), {p}, En()), String(int(sizeof(void*) * 2) - 4, '0') + "AB12");
}

TEST(SysUtilsFormat, BadFormatsAndArgumentsRaiseConvertError) {
    struct Case {
        const char* Format;
        std::vector<TVarRec> Args;
    };
    const Case cases[] = {
        {"%d", {"x"}},  {"%d", {1.5}},    {"%s", {1}}, {"%f", {1}},   {"%d", {}},
        {"%d %d", {1}}, {"%2:d", {1, 2}}, {"%z", {1}}, {"abc%", {1}}, {"%*d", {"w", 1}},
        {"%x", {true}}, {"%p", {1}},      {"%-", {1}}, {"%5", {1}},
    };
    for (const auto& c : cases) {
        try {
            Format(QString::fromLatin1(c.Format), c.Args, En());
            ADD_FAILURE() << c.Format;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(),
                      QStringLiteral("Format '%1' invalid or incompatible with argument").arg(c.Format));
        }
    }
}

TEST(SysUtilsFormat, WidthsAndPrecisionsAreCapped) {
    // The fuzzer's input: a selector byte, then the format.
    QFile f(QStringLiteral(KVT_TEST_DATA "/bad-input/numbers-format-width.bin"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const String fmt = QString::fromLatin1(f.readAll().mid(1));
    EXPECT_EQ(Format(fmt, {42}, En()), String(4094, ' ') + "42");
    EXPECT_EQ(Format(QStringLiteral("%-99999999999999s|"), {"a"}, En()).size(), 4097);
    EXPECT_EQ(Format(QStringLiteral("%.99999999999d"), {7}, En()), String(4095, '0') + "7");
    EXPECT_EQ(Format(QStringLiteral("%*.*d"), {Int64(1) << 40, Int64(1) << 40, 7}, En()).size(), 4096);
    EXPECT_EQ(Format(QStringLiteral("%.999999f"), {1.5}, En()), "1.500000000000000000");
}

TEST(SysUtilsFormat, InitializerListOverloadUsesGlobalSettings) {
    const TFormatSettings saved = FormatSettings();
    SetFormatSettings(TFormatSettings::Create(QStringLiteral("ru_RU")));
    EXPECT_EQ(Format(QStringLiteral("%.1f %d"), {2.5, 3}), "2,5 3");
    SetFormatSettings(saved);
}

} // namespace
