// Locale comparisons of ASCII texts take a path without the collator; it must answer exactly
// what the collator answers, for every pair.
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <QCollator>
#include <QLocale>

#include <random>

namespace {

struct CollationCase {
    const char* Locale;    // passed to SetCollationLocale
    const char* Collator;  // the locale whose collator decides
    bool FastPathExpected; // the weights hold for this locale
};

class AsciiCollation : public ::testing::TestWithParam<CollationCase> {
protected:
    void SetUp() override { SetCollationLocale(QString::fromLatin1(GetParam().Locale)); }
    void TearDown() override { SetCollationLocale(String()); }
};

int sign(int v) {
    return (v > 0) - (v < 0);
}

// Random printable-ASCII texts, and partners that differ from them in the ways that decide
// collation: case only, one character, a prefix, punctuation or digits.
std::vector<std::pair<String, String>> corpus() {
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    // Now and then a character that needs the collator: controls, DEL, Latin-1, Cyrillic, a
    // combining mark.
    static const char16_t others[] = {u'\t', 0x1F, 0x7F, 0x80, 0xE9, 0x401, 0x451, 0x308, 0xFFFF};
    auto randomChar = [&]() -> QChar {
        static const char common[] = "aAbBcCeEhHzZ09 -_.,'";
        if (pick(200) == 0) return QChar(others[pick(std::size(others))]);
        return pick(3) == 0 ? QChar(char16_t(0x20 + pick(95))) : QChar(common[pick(sizeof common - 1)]);
    };
    std::vector<std::pair<String, String>> pairs;
    for (int i = 0; i < 20000; ++i) {
        String a;
        for (int len = pick(9); len > 0; --len)
            a += randomChar();
        String b = a;
        switch (pick(5)) {
        case 0: // case flipped somewhere
            for (QChar& c : b)
                if (pick(2)) c = c.isUpper() ? c.toLower() : c.toUpper();
            break;
        case 1:
            if (!b.isEmpty()) b[pick(int(b.size()))] = randomChar();
            break;
        case 2:
            b = b.left(pick(int(b.size()) + 1)) + (pick(2) ? String() : String(randomChar()));
            break;
        case 3:
            b.insert(pick(int(b.size()) + 1), randomChar());
            break;
        default:
            b.clear();
            for (int len = pick(9); len > 0; --len)
                b += randomChar();
        }
        pairs.emplace_back(a, b);
    }
    return pairs;
}

TEST_P(AsciiCollation, AgreesWithTheCollatorOnEveryPair) {
    const CollationCase& c = GetParam();
    EXPECT_EQ(CollationFastPathActive(), c.FastPathExpected);
    const QLocale loc(QString::fromLatin1(c.Collator));
    QCollator sensitive(loc), insensitive(loc);
    sensitive.setCaseSensitivity(Qt::CaseSensitive);
    insensitive.setCaseSensitivity(Qt::CaseInsensitive);
    int failures = 0;
    for (const auto& [a, b] : corpus()) {
        int expected = sign(sensitive.compare(a, b));
        if (expected == 0) expected = sign(CompareStr(a, b)); // equal only when identical
        const int expectedText = sign(insensitive.compare(a, b));
        if (AnsiCompareStr(a, b) != expected || AnsiCompareText(a, b) != expectedText) {
            ADD_FAILURE() << a.toStdString() << " | " << b.toStdString() << ": str " << AnsiCompareStr(a, b)
                          << " vs " << expected << ", text " << AnsiCompareText(a, b) << " vs "
                          << expectedText;
            if (++failures == 10) break;
        }
    }
}

// A smaller key prefix means both comparisons put that text first; texts with a character
// other than printable ASCII, and locales without weights, have none.
TEST_P(AsciiCollation, KeyPrefixAgreesWithTheComparisons) {
    const CollationCase& c = GetParam();
    int failures = 0, decided = 0;
    for (const auto& [a, b] : corpus()) {
        uint64_t ka = 0, kb = 0;
        const bool ha = CollationKeyPrefix(a, ka), hb = CollationKeyPrefix(b, kb);
        bool ascii = c.FastPathExpected, latin1 = true;
        for (QChar ch : a) {
            ascii = ascii && ch.unicode() >= 0x20 && ch.unicode() <= 0x7E;
            latin1 = latin1 && ch.unicode() <= 0xFF;
        }
        EXPECT_EQ(ha, ascii) << a.toStdString();
        if (latin1) { // the same text in single bytes
            const QByteArray a8 = a.toLatin1();
            uint64_t k8 = 0;
            EXPECT_EQ(CollationKeyPrefix(a8.constData(), a8.size(), k8), ascii) << a.toStdString();
            if (ascii) EXPECT_EQ(k8, ka) << a.toStdString();
        }
        if (!ha || !hb || ka == kb) continue;
        ++decided;
        const int expected = ka < kb ? -1 : 1;
        if (AnsiCompareStr(a, b) != expected || AnsiCompareText(a, b) != expected) {
            ADD_FAILURE() << a.toStdString() << " | " << b.toStdString() << ": keys " << ka << ", " << kb;
            if (++failures == 10) break;
        }
    }
    EXPECT_EQ(decided > 0, c.FastPathExpected);
}

// Czech and Danish have letter pairs that collate as one letter (ch, aa): no fast path there.
INSTANTIATE_TEST_SUITE_P(
    Locales, AsciiCollation,
    ::testing::Values(CollationCase{"en_US", "en_US", true}, CollationCase{"C", "en_US", true},
                      CollationCase{"ru_RU", "en_US", true}, CollationCase{"de_DE", "de_DE", true},
                      CollationCase{"cs_CZ", "cs_CZ", false}, CollationCase{"da_DK", "da_DK", false}),
    [](const auto& info) { return std::string(info.param.Locale); });

TEST(AsciiCollation, HandPickedOrder) {
    SetCollationLocale(QStringLiteral("en_US"));
    struct Row {
        const char *A, *B;
        int Str, Text;
    } rows[] = {
        {"a", "A", -1, 0},     // case only: lower case first, equal without case
        {"ab", "Aa", 1, 1},    // letters decide before case
        {"A", "ab", -1, -1},   // a prefix first, whatever the case
        {"a-b", "ab", -1, -1}, // punctuation is not ignored
        {"a b", "a-b", -1, -1}, {"item10", "item9", -1, -1}, // no numeric ordering
        {"Z", "a", 1, 1},       {"", "a", -1, -1},           {"abc", "abc", 0, 0},
    };
    for (const Row& r : rows) {
        const String a = QString::fromLatin1(r.A), b = QString::fromLatin1(r.B);
        EXPECT_EQ(AnsiCompareStr(a, b), r.Str) << r.A << " | " << r.B;
        EXPECT_EQ(AnsiCompareText(a, b), r.Text) << r.A << " | " << r.B;
        EXPECT_EQ(AnsiCompareStr(b, a), -r.Str) << r.A << " | " << r.B;
    }
    // A non-ASCII character anywhere sends the pair to the collator: a + combining diaeresis
    // after the first letter still compares as ä.
    EXPECT_EQ(AnsiCompareText(QString::fromUtf8("a\u0308x"), QString::fromUtf8("äx")), 0);
    SetCollationLocale(String());
}

} // namespace
