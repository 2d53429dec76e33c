#include "platform/rtl/SysUtils.h"
#include "rtl/SysUtilsTestPrint.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

namespace {

TEST(SysUtilsStr, TrimAndQuoting) {
    EXPECT_EQ(Trim(QStringLiteral("\t a b \r\n")), "a b");
    EXPECT_EQ(Trim(QString(QChar(0xA0)) + "x"), QString(QChar(0xA0)) + "x"); // only chars <= ' '
    EXPECT_EQ(TrimLeft(QStringLiteral("  x ")), "x ");
    EXPECT_EQ(TrimRight(QStringLiteral("  x \x01")), "  x");
    EXPECT_EQ(QuotedStr(QStringLiteral("it's")), "'it''s'");
    EXPECT_EQ(AnsiQuotedStr(QStringLiteral("a\"b"), '"'), "\"a\"\"b\"");

    struct Case {
        const char* In;
        const char* Out;
    } dequote[] = {{"'abc'", "abc"}, {"'it''s'", "it's"}, {"abc", "abc"}, {"''", ""},
                   {"'abc", "'abc"}, {"'a'b", "a"},       {"", ""},       {"'", "'"}};
    for (const auto& c : dequote)
        EXPECT_EQ(AnsiDequotedStr(QString::fromLatin1(c.In), '\''), c.Out) << c.In;

    int pos = 1;
    EXPECT_EQ(AnsiExtractQuotedStr(QStringLiteral("x'a''b'c"), pos, '\''), "a'b");
    EXPECT_EQ(pos, 7);
    pos = 0;
    EXPECT_EQ(AnsiExtractQuotedStr(QStringLiteral("abc"), pos, '\''), "");
    EXPECT_EQ(pos, 0);
}

TEST(SysUtilsStr, ReplaceCaseAndOrdinalComparison) {
    EXPECT_EQ(StringReplace(QStringLiteral("aAa"), QStringLiteral("a"), QStringLiteral("x"), {}), "xAa");
    EXPECT_EQ(StringReplace(QStringLiteral("aAa"), QStringLiteral("a"), QStringLiteral("x"), {rfReplaceAll}),
              "xAx");
    EXPECT_EQ(StringReplace(QStringLiteral("aAa"), QStringLiteral("a"), QStringLiteral("x"),
                            {rfReplaceAll, rfIgnoreCase}),
              "xxx");
    EXPECT_EQ(
        StringReplace(QStringLiteral("1,5,7"), QStringLiteral(","), QStringLiteral("."), {rfReplaceAll}),
        "1.5.7");
    EXPECT_EQ(StringReplace(QStringLiteral("aaa"), QStringLiteral("aa"), QStringLiteral("a"), {rfReplaceAll}),
              "aa");

    const QString mixed = QString::fromUtf8("aбcЁ");
    EXPECT_EQ(UpperCase(mixed), QString::fromUtf8("AбCЁ")); // ASCII only
    EXPECT_EQ(LowerCase(mixed), QString::fromUtf8("aбcЁ"));
    EXPECT_EQ(AnsiUpperCase(mixed), QString::fromUtf8("AБCЁ"));
    EXPECT_EQ(AnsiLowerCase(mixed), QString::fromUtf8("aбcё"));
    // One character for one: no expansion of ß, surrogate pairs mapped whole.
    EXPECT_EQ(AnsiUpperCase(QString::fromUtf8("straße ǆ 𐐨")), QString::fromUtf8("STRAßE Ǆ 𐐀"));
    EXPECT_EQ(AnsiLowerCase(QString::fromUtf8("STRAßE 𐐀")), QString::fromUtf8("straße 𐐨"));

    EXPECT_LT(CompareStr(QStringLiteral("B"), QStringLiteral("a")), 0); // ordinal: upper case first
    EXPECT_GT(CompareText(QStringLiteral("b"), QStringLiteral("A")), 0);
    EXPECT_EQ(CompareText(QStringLiteral("ABC"), QStringLiteral("abc")), 0);
    EXPECT_LT(CompareText(QStringLiteral("ab"), QStringLiteral("ABC")), 0);
    EXPECT_TRUE(SameText(QStringLiteral("Field1"), QStringLiteral("FIELD1")));
    EXPECT_FALSE(SameText(QString::fromUtf8("Поле"), QString::fromUtf8("ПОЛЕ"))); // ASCII folding only
}

class SysUtilsCollation : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { SetCollationLocale(QString::fromLatin1(GetParam())); }
    void TearDown() override { SetCollationLocale(String()); }
};

TEST_P(SysUtilsCollation, RussianAndMixedCaseOrder) {
    QStringList words;
    for (const char* w :
         {"яблоко", "Апельсин", "ёж", "банан", "Ёлка", "арбуз", "еда", "Zebra", "apple", "Яма"})
        words << QString::fromUtf8(w);
    std::sort(words.begin(), words.end(),
              [](const String& a, const String& b) { return AnsiCompareText(a, b) < 0; });
    QStringList expected;
    for (const char* w :
         {"apple", "Zebra", "Апельсин", "арбуз", "банан", "еда", "ёж", "Ёлка", "яблоко", "Яма"})
        expected << QString::fromUtf8(w);
    EXPECT_EQ(words, expected);

    EXPECT_EQ(AnsiCompareText(QString::fromUtf8("ЁЖИК"), QString::fromUtf8("ёжик")), 0);
    EXPECT_TRUE(AnsiSameText(QString::fromUtf8("Привет"), QString::fromUtf8("пРИВЕТ")));
    EXPECT_LT(AnsiCompareText(QString::fromUtf8("а"), QString::fromUtf8("Б")), 0);
    // Case-sensitive: letters decide first, case only between otherwise equal texts.
    EXPECT_LT(AnsiCompareStr(QString::fromUtf8("а"), QString::fromUtf8("Б")), 0);
    EXPECT_NE(AnsiCompareStr(QString::fromUtf8("а"), QString::fromUtf8("А")), 0);
    EXPECT_EQ(AnsiCompareStr(QString::fromUtf8("а"), QString::fromUtf8("А")),
              -AnsiCompareStr(QString::fromUtf8("А"), QString::fromUtf8("а")));
    EXPECT_EQ(AnsiCompareStr(QString::fromUtf8("ёж"), QString::fromUtf8("ёж")), 0);
}

INSTANTIATE_TEST_SUITE_P(Locales, SysUtilsCollation, ::testing::Values("ru_RU", "C", "en_US"));

TEST(SysUtilsStr, PositionsAndCopy) {
    EXPECT_EQ(Pos(QStringLiteral("b"), QStringLiteral("abcb")), 2);
    EXPECT_EQ(Pos(QStringLiteral("b"), QStringLiteral("abcb"), 3), 4);
    EXPECT_EQ(Pos(QStringLiteral("x"), QStringLiteral("abc")), 0);
    EXPECT_EQ(Pos(QString(), QStringLiteral("abc")), 0);
    EXPECT_EQ(Pos(QStringLiteral("a"), QStringLiteral("abc"), 9), 0);
    EXPECT_EQ(AnsiPos(QString::fromUtf8("в"), QString::fromUtf8("абв")), 3);
    EXPECT_EQ(Copy(QStringLiteral("hello"), 2, 3), "ell");
    EXPECT_EQ(Copy(QStringLiteral("hello"), 0, 2), "he");
    EXPECT_EQ(Copy(QStringLiteral("hello"), 5, 10), "o");
    EXPECT_EQ(Copy(QStringLiteral("hello"), 6, 1), "");
    EXPECT_EQ(Copy(QStringLiteral("hello"), 2, -1), "");
    EXPECT_EQ(StringOfChar('-', 3), "---");
    EXPECT_EQ(StringOfChar('-', -1), "");
}

TEST(SysUtilsStr, IntegersFollowVal) {
    struct Case {
        const char* Text;
        bool Ok;
        Integer Value;
    } cases[] = {
        {"42", true, 42},          {"  42", true, 42},
        {"42 ", false, 0},         {"+7", true, 7},
        {"-0x1F", true, -31},      {"$ff", true, 255},
        {"x10", true, 16},         {"$FFFFFFFF", true, -1},
        {"$100000000", false, 0},  {"2147483647", true, INT32_MAX},
        {"2147483648", false, 0},  {"-2147483648", true, INT32_MIN},
        {"-2147483649", false, 0}, {"", false, 0},
        {"-", false, 0},           {"1a", false, 0},
        {"0x", false, 0},          {"$", false, 0},
        {"\t1", false, 0},         {"1.0", false, 0},
    };
    for (const auto& c : cases) {
        Integer v = -7;
        EXPECT_EQ(TryStrToInt(QString::fromLatin1(c.Text), v), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_EQ(v, c.Value) << c.Text;
        }
    }
    Int64 big;
    EXPECT_TRUE(TryStrToInt64(QStringLiteral("-9223372036854775808"), big));
    EXPECT_EQ(big, INT64_MIN);
    EXPECT_FALSE(TryStrToInt64(QStringLiteral("9223372036854775808"), big));
    EXPECT_TRUE(TryStrToInt64(QStringLiteral("$FFFFFFFFFFFFFFFF"), big));
    EXPECT_EQ(big, -1);
    try {
        StrToInt(QStringLiteral("abc"));
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }
    EXPECT_EQ(StrToIntDef(QStringLiteral("x"), -1), -1);
    EXPECT_EQ(StrToInt64Def(QStringLiteral("12"), -1), 12);

    EXPECT_EQ(IntToStr(-9000000000LL), "-9000000000");
    EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(Int64(-1), 2), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(Int64(0x1234), 2), "1234");

    EXPECT_EQ(BoolToStr(true), "-1");
    EXPECT_EQ(BoolToStr(false, true), "False");
    EXPECT_TRUE(StrToBool(QStringLiteral("true")));
    EXPECT_FALSE(StrToBool(QStringLiteral("0")));
    EXPECT_THROW(StrToBool(QStringLiteral("maybe")), EConvertError);
}

TEST(SysUtilsStr, FileNamesAndFiles) {
    EXPECT_EQ(ExtractFilePath(QStringLiteral("/a/b.txt")), "/a/");
    EXPECT_EQ(ExtractFilePath(QStringLiteral("b.txt")), "");
    EXPECT_EQ(ExtractFileName(QStringLiteral("/a/b.txt")), "b.txt");
    EXPECT_EQ(ExtractFileExt(QStringLiteral("/a/b.tar.gz")), ".gz");
    EXPECT_EQ(ExtractFileExt(QStringLiteral("/a.b/c")), "");
    EXPECT_EQ(ChangeFileExt(QStringLiteral("/a/b.txt"), QStringLiteral(".ini")), "/a/b.ini");
    EXPECT_EQ(ChangeFileExt(QStringLiteral("/a.b/c"), QStringLiteral(".ini")), "/a.b/c.ini");
    EXPECT_EQ(IncludeTrailingPathDelimiter(QStringLiteral("/a")), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter(QStringLiteral("/a/")), "/a/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter(QStringLiteral("/a/")), "/a");

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const String a = dir.filePath(QStringLiteral("a.txt")), b = dir.filePath(QStringLiteral("b.txt"));
    QFile f(a);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(FileExists(a));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_TRUE(DirectoryExists(dir.path()));
    EXPECT_TRUE(RenameFile(a, b));
    EXPECT_FALSE(FileExists(a));
    QFile g(a);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.close();
    EXPECT_FALSE(RenameFile(a, b)); // an existing target is not replaced
    EXPECT_TRUE(DeleteFile(b));
    EXPECT_FALSE(DeleteFile(b));
    EXPECT_FALSE(DeleteFile(dir.path()));
}

TEST(SysUtilsStr, IdentifiersAndWrapping) {
    for (const char* ok : {"a", "_x1", "Field_2"})
        EXPECT_TRUE(IsValidIdent(QString::fromLatin1(ok))) << ok;
    for (const char* bad : {"", "1a", "a b", "a.b", "a-b"})
        EXPECT_FALSE(IsValidIdent(QString::fromLatin1(bad))) << bad;
    EXPECT_TRUE(IsValidIdent(QStringLiteral("Form1.Button1"), true));
    EXPECT_FALSE(IsValidIdent(QStringLiteral("a..b"), true));
    EXPECT_FALSE(IsValidIdent(QStringLiteral("a."), true));
    EXPECT_FALSE(IsValidIdent(QStringLiteral(".a"), true));

    EXPECT_EQ(WrapText(QStringLiteral("aaa bbb ccc"), QStringLiteral("\n"), QStringLiteral(" "), 7),
              "aaa \nbbb \nccc");
    EXPECT_EQ(WrapText(QStringLiteral("short"), 45), "short");
    EXPECT_EQ(WrapText(QStringLiteral("one-two three"), QStringLiteral("|"), QStringLiteral(" -"), 5),
              "one-|two |three");
    // Quoted text is not broken.
    EXPECT_EQ(WrapText(QStringLiteral("'a b c d' e"), QStringLiteral("|"), QStringLiteral(" "), 3),
              "'a b c d' |e");
}

TEST(SysUtilsStr, GuidText) {
    const String text = QStringLiteral("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");
    const TGUID g = TGUID::FromString(text);
    EXPECT_EQ(g.D1, 0x0A1B2C3Du);
    EXPECT_EQ(g.D2, 0x4E5F);
    EXPECT_EQ(g.D3, 0x6071);
    EXPECT_EQ(g.D4[0], 0x82);
    EXPECT_EQ(g.D4[7], 0xF9);
    EXPECT_EQ(g.ToString(), text);
    EXPECT_EQ(TGUID::FromString(text.toLower()), g);
    for (const char* bad :
         {"", "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F}", "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9",
          "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8FG}", "{0A1B2C3D-4E5F-6071+8293-A4B5C6D7E8F9}"}) {
        try {
            TGUID::FromString(QString::fromLatin1(bad));
            ADD_FAILURE() << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' is not a valid GUID value").arg(bad));
        }
    }
}

TEST(SysUtilsStr, TicksAreMonotonicMilliseconds) {
    const uint64_t t0 = GetTickCount64();
    Sleep(20);
    const uint64_t t1 = GetTickCount64();
    EXPECT_GE(t1 - t0, 19u);
    EXPECT_LT(t1 - t0, 5000u);
    EXPECT_EQ(uint32_t(GetTickCount() - uint32_t(t1)) < 5000u, true);
}

} // namespace
