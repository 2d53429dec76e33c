#include "platform/rtl/SysUtils.h"
#include "platform/rtl/SysUtilsFloatRec.h"
#include "rtl/SysUtilsTestPrint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

const TFormatSettings& En() {
    static const TFormatSettings fs = TFormatSettings::Create(QStringLiteral("en_US"));
    return fs;
}
const TFormatSettings& Ru() {
    static const TFormatSettings fs = TFormatSettings::Create(QStringLiteral("ru_RU"));
    return fs;
}

struct FloatCase {
    long double Value;
    const char* Expected;
};

TEST(SysUtilsFloat, FloatToStrUsesFifteenDigitsAndSwitchesToExponentForm) {
    const FloatCase cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1, "1"},
        {-1.5, "-1.5"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {1e14, "100000000000000"},
        {1e15, "1E15"},
        {999999999999999.9, "1E15"},
        {123456789012345678.0, "1.23456789012346E17"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {1.5e-5, "1.5E-5"},
        {-2.5e-300, "-2.5E-300"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::nan(""), "NAN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.Value, En()), c.Expected) << double(c.Value);
    EXPECT_EQ(FloatToStr(-1234.5, Ru()), "-1234,5");
}

TEST(SysUtilsFloat, FloatToStrFFormats) {
    struct Case {
        long double Value;
        TFloatFormat Format;
        int Precision, Digits;
        const char* Expected;
    } cases[] = {
        {1234.5678, ffFixed, 15, 2, "1234.57"},
        {0.125, ffFixed, 15, 2, "0.13"}, // half away from zero on the decimal digits
        {-0.125, ffFixed, 15, 2, "-0.13"},
        {-0.001, ffFixed, 15, 2, "0.00"}, // no "-0.00"
        {2, ffFixed, 15, 0, "2"},
        {123456.789, ffFixed, 4, 2, "1.235E05"}, // more integer digits than the precision
        {1e20, ffFixed, 15, 2, "1E20"},
        {1234567.891, ffNumber, 15, 2, "1,234,567.89"},
        {-999.5, ffNumber, 15, 0, "-1,000"},
        {1000, ffExponent, 15, 3, "1.00000000000000E+003"},
        {-0.00012345, ffExponent, 3, 2, "-1.23E-04"},
        {0, ffExponent, 4, 2, "0.000E+00"},
        {12345, ffGeneral, 3, 0, "1.23E4"},
        {12345, ffGeneral, 3, 2, "1.23E04"},
        {0.000123, ffGeneral, 15, 0, "0.000123"},
        {1234.5, ffCurrency, 15, 2, "$1,234.50"},
        {-1234.5, ffCurrency, 15, 2, "($1,234.50)"},
        {-0.004, ffCurrency, 15, 2, "$0.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStrF(c.Value, c.Format, c.Precision, c.Digits, En()), c.Expected) << double(c.Value);
}

TEST(SysUtilsFloat, CurrencyLayoutsFollowTheSettings) {
    EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2, Ru()), QString::fromUtf8("1\u00A0234,50 ₽"));
    EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2, Ru()), QString::fromUtf8("-1\u00A0234,50 ₽"));
    TFormatSettings fs = En();
    const char* negative[16] = {"($1)", "-$1",  "$-1",  "$1-",  "(1$)", "-1$",  "1-$",   "1$-",
                                "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};
    for (int i = 0; i < 16; ++i) {
        fs.NegCurrFormat = Byte(i);
        EXPECT_EQ(FloatToStrF(-1, ffCurrency, 15, 0, fs), negative[i]) << i;
    }
    const char* positive[4] = {"$1", "1$", "$ 1", "1 $"};
    for (int i = 0; i < 4; ++i) {
        fs.CurrencyFormat = Byte(i);
        EXPECT_EQ(FloatToStrF(1, ffCurrency, 15, 0, fs), positive[i]) << i;
    }
}

TEST(SysUtilsFloat, FormatFloatSectionsPlaceholdersAndLiterals) {
    struct Case {
        const char* Format;
        long double Value;
        const char* Expected;
    } cases[] = {
        {"0", 1234, "1234"},
        {"0", -1234, "-1234"},
        {"0", 0.5, "1"},
        {"0", -2.5, "-3"},
        {"0.00", 1234, "1234.00"},
        {"0.00", 0.5, "0.50"},
        {"#.##", 1234, "1234"},
        {"#.##", 0.5, ".5"},
        {"#.##", 0, ""},
        {"#,##0.00", -1234, "-1,234.00"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0.00", 0.5, "0.50"},
        {"#,##0.00;(#,##0.00)", -1234, "(1,234.00)"},
        {"#,##0.00;;Zero", 0, "Zero"},
        {"#,##0.00;;Zero", 0.001, "Zero"},
        {"#,##0.00;;Zero", -1234, "-1,234.00"},
        {"0.000E+00", 1234, "1.234E+03"},
        {"0.000E+00", 0.5, "5.000E-01"},
        {"0.000E+00", 0, "0.000E+00"},
        {"#.###E-0", 1234, "1.234E3"},
        {"#.###E-0", 0.5, "5E-1"},
        {"#.###E-0", 0, "0E0"},
        {"00.0E+0", 12345, "12.3E+3"},
        {"00000", 42, "00042"},
        {"00-00", 1234, "12-34"},
        {"0.###", 1.23456, "1.235"},
        {"0.0", -0.04, "0.0"},
        {"#,##0.00 'руб.'", 1234.5, "1,234.50 руб."},
        {"\"x=\"0.0", 2, "x=2.0"},
        {"", 1.5, "1.5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(QString::fromUtf8(c.Format), c.Value, En()), QString::fromUtf8(c.Expected))
            << c.Format << " " << double(c.Value);
    EXPECT_EQ(FormatFloat(QStringLiteral("#,##0.00"), 1234.5, Ru()), QString::fromUtf8("1\u00A0234,50"));
}

TEST(SysUtilsFloat, CurrencyText) {
    EXPECT_EQ(CurrToStr(Currency::FromScaled(15000), En()), "1.5");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(-12345678901234), En()), "-1234567890.1234");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(0), En()), "0");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(INT64_MAX), En()), "922337203685477.5807");
    EXPECT_EQ(CurrToStrF(Currency::FromScaled(15000), ffFixed, 2, En()), "1.50");
    EXPECT_EQ(CurrToStrF(Currency::FromScaled(-12345678), ffCurrency, 2, En()), "($1,234.57)");
    EXPECT_EQ(FormatCurr(QStringLiteral("#,##0.00"), Currency::FromScaled(12345678), En()), "1,234.57");
    EXPECT_EQ(FormatCurr(QStringLiteral("0.0000"), Currency::FromScaled(-1), En()), "-0.0001");
}

TEST(SysUtilsFloat, StrToFloatAcceptsThePlatformsGrammarOnly) {
    struct Case {
        const char* Text;
        bool Ok;
        long double Value;
    } cases[] = {
        {"1.5", true, 1.5}, {" 1.5 ", true, 1.5}, {"-1.5e3", true, -1500}, {"+2E-2", true, 0.02L},
        {".5", true, 0.5},  {"5.", true, 5},      {"1,5", false, 0},       {"1,000.5", false, 0},
        {"", false, 0},     {" ", false, 0},      {".", false, 0},         {"1e", false, 0},
        {"1.5x", false, 0}, {"--1", false, 0},    {"1e99999", false, 0},   {"0.1", true, 0.1L},
    };
    for (const auto& c : cases) {
        Extended v = -42;
        EXPECT_EQ(TryStrToFloat(QString::fromLatin1(c.Text), v, En()), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_EQ(v, c.Value) << c.Text;
        }
    }
    EXPECT_EQ(StrToFloat(QStringLiteral("1,5"), Ru()), 1.5L);
    Extended e;
    EXPECT_FALSE(TryStrToFloat(QStringLiteral("1.5"), e, Ru()));
    double d;
    EXPECT_FALSE(TryStrToFloat(QStringLiteral("1e400"), d, En())); // out of Double range
    try {
        StrToFloat(QStringLiteral("abc"), En());
        FAIL();
    } catch (const EConvertError& ex) {
        EXPECT_EQ(ex.Message(), "'abc' is not a valid floating point value");
    }
    EXPECT_EQ(StrToFloatDef(QStringLiteral("x"), 7, En()), 7);
}

TEST(SysUtilsFloat, StrToCurrIsExactAndRoundsHalfToEven) {
    struct Case {
        const char* Text;
        bool Ok;
        Int64 Scaled;
    } cases[] = {
        {"1.23456", true, 12346},
        {"0.00005", true, 0},
        {"0.00015", true, 2},
        {"-0.00025", true, -2},
        {"0.000051", true, 1},
        {"1.5e2", true, 1500000},
        {"922337203685477.5807", true, INT64_MAX},
        {"-922337203685477.5808", true, INT64_MIN},
        {"922337203685477.5808", false, 0},
        {"1e20", false, 0},
        {"12a", false, 0},
    };
    for (const auto& c : cases) {
        Currency v;
        EXPECT_EQ(TryStrToCurr(QString::fromLatin1(c.Text), v, En()), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_EQ(v.Scaled(), c.Scaled) << c.Text;
        }
    }
}

TEST(SysUtilsFloat, RoundIsBankersAndChecksRange) {
    const std::pair<long double, Int64> cases[] = {
        {0.5, 0},   {1.5, 2}, {2.5, 2},   {-0.5, 0},
        {-1.5, -2}, {2.6, 3}, {-2.6, -3}, {1e15 + 0.5, 1000000000000000}};
    for (auto [v, r] : cases)
        EXPECT_EQ(Round(v), r) << double(v);
    EXPECT_THROW(Round(1e19), EInvalidOp);
    EXPECT_THROW(Round(std::nan("")), EInvalidOp);
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_EQ(Frac(-2.75L), -0.75L);
    EXPECT_EQ(Int(2.75L), 2.0L);
}

TEST(SysUtilsFloat, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(10, 3, 4), 8);
    EXPECT_EQ(MulDiv(-10, 3, 4), -8);
    EXPECT_EQ(MulDiv(10, 3, -4), -8);
    EXPECT_EQ(MulDiv(1, 1, 3), 0);
    EXPECT_EQ(MulDiv(2, 1, 3), 1);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(INT32_MAX, INT32_MAX, INT32_MAX), INT32_MAX); // 64-bit intermediate
    EXPECT_EQ(MulDiv(INT32_MAX, 2, 1), -1);                        // result out of range
}

TEST(SysUtilsFloat, SameValue) {
    EXPECT_TRUE(SameValue(0.1L + 0.2L, 0.3L));
    EXPECT_FALSE(SameValue(1.0, 1.001));
    EXPECT_TRUE(SameValue(1.0, 1.001, 0.01));
}

// The decimal form taken the long way: the exact binary value to 18 digits, then rounded half
// away from zero. Short decimal values take a quicker route that must end in the same digits.
TFloatDec ReferenceDecimal(double v, int precision, int decimals) {
    TFloatDec r;
    r.Negative = std::signbit(v);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", std::fabs(v));
    std::string digits;
    const char* p = buf;
    for (; *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    int exponent = std::atoi(p + 1) + 1;
    const long keep = std::min<long>(std::min(precision, 18), long(exponent) + decimals);
    if (keep < 0) {
        digits.clear();
    } else if (keep < long(digits.size())) {
        const bool up = digits[size_t(keep)] >= '5';
        digits.resize(size_t(keep));
        if (up) {
            long i = keep - 1;
            while (i >= 0 && digits[size_t(i)] == '9')
                digits[size_t(i--)] = '0';
            if (i < 0) {
                digits.insert(digits.begin(), '1');
                ++exponent;
            } else {
                ++digits[size_t(i)];
            }
        }
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    r.Digits = digits;
    r.Exponent = digits.empty() ? 0 : exponent;
    if (digits.empty()) r.Negative = false;
    return r;
}

TEST(SysUtilsFloat, DecimalDigitsMatchTheExactConversion) {
    std::vector<double> values = {0.15,  0.25,   2.5,     9.5,    0.95,   999999999999999.5, 0.1,
                                   1e-5,  123.45, 1.005,   -0.005, 1e22,   9.999999999999999,
                                   5e-324, 1.7976931348623157e308, 4.35, 0.3, 1234567.891};
    std::mt19937_64 rng(20261211);
    for (int i = 0; i < 4000; ++i) {
        values.push_back(double(int64_t(rng() % 2000000) - 1000000) / 100);   // prices
        values.push_back(double(int64_t(rng() % 100000000)) / 1000000);       // six decimals
        uint64_t bits = rng();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        if (std::isfinite(d) && d != 0) values.push_back(d);                   // anything at all
    }
    for (const double v : values)
        for (const int precision : {1, 2, 7, 15, 18})
            for (const int decimals : {9999, 4, 2, 0}) {
                const TFloatDec got = FloatToDecimal(v, precision, decimals);
                const TFloatDec want = ReferenceDecimal(v, precision, decimals);
                ASSERT_EQ(got.Digits, want.Digits) << v << " precision " << precision << " decimals " << decimals;
                ASSERT_EQ(got.Exponent, want.Exponent) << v << " precision " << precision;
                ASSERT_EQ(got.Negative, want.Negative) << v;
            }
}

} // namespace
