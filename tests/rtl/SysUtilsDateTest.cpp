#include "platform/rtl/SysUtils.h"
#include "rtl/SysUtilsTestPrint.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const TFormatSettings& En() {
    static const TFormatSettings fs = TFormatSettings::Create(QStringLiteral("en_US"));
    return fs;
}
const TFormatSettings& Ru() {
    static const TFormatSettings fs = TFormatSettings::Create(QStringLiteral("ru_RU"));
    return fs;
}

TDateTime FixedNow() {
    return EncodeDate(2024, 6, 1) + EncodeTime(10, 0, 0, 0);
}

class SysUtilsDate : public ::testing::Test {
protected:
    void SetUp() override { SetNowOverride(&FixedNow); }
    void TearDown() override { SetNowOverride(nullptr); }
};

TEST_F(SysUtilsDate, EncodeDecodeAndCalendar) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(2024, 2, 29), 45351);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
    EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    for (auto [y, m, d] : {std::tuple{2023, 2, 29}, {2024, 13, 1}, {0, 1, 1}, {2024, 4, 31}}) {
        try {
            EncodeDate(Word(y), Word(m), Word(d));
            ADD_FAILURE() << y << "-" << m << "-" << d;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "Invalid argument to date encode");
        }
    }
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);

    Word y, m, d, h, n, s, ms;
    // Before 1899-12-30 the time is the absolute value of the fraction.
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ(std::tuple(y, m, d, h, n), std::tuple(1899, 12, 29, 6, 0));
    // Rounding to the millisecond carries into the next day rather than showing 24:00.
    DecodeDate(45351.99999999999, y, m, d);
    DecodeTime(45351.99999999999, h, n, s, ms);
    EXPECT_EQ(std::tuple(y, m, d, h, n, s, ms), std::tuple(2024, 3, 1, 0, 0, 0, 0));
    DecodeTime(EncodeTime(13, 45, 30, 999), h, n, s, ms);
    EXPECT_EQ(std::tuple(h, n, s, ms), std::tuple(13, 45, 30, 999));

    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);   // Monday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1); // a Sunday before the epoch
    EXPECT_EQ(DaysInAMonth(1900, 2), 28);
    EXPECT_EQ(DaysInAMonth(2000, 2), 29);
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -13), EncodeDate(2023, 2, 28));
    EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2024, 12, 15) + 0.5, 1), EncodeDate(2025, 1, 15) + 0.5);
    EXPECT_EQ(Date(), EncodeDate(2024, 6, 1));
}

TEST_F(SysUtilsDate, FormatDateTimeLetters) {
    const TDateTime dt = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
    struct Case {
        const char* Format;
        const char* Expected;
    } cases[] = {
        {"yyyy-mm-dd hh:nn:ss.zzz", "2024-03-05 14:07:09.045"},
        {"d/m/yy", "5/3/24"},
        {"y", "24"},
        {"dddd, mmmm d", "Tuesday, March 5"},
        {"ddd mmm", "Tue Mar"},
        {"DDD MMM YYYY", "Tue Mar 2024"},
        {"h:m:s z", "14:7:9 45"},
        {"hh:mm", "14:07"},
        {"h:mm am/pm", "2:07 pm"},
        {"hh:nn AM/PM", "02:07 PM"},
        {"h A/P", "2 P"},
        {"h:nn ampm", "2:07 PM"},
        {"c", "3/5/2024 2:07:09 PM"},
        {"", "3/5/2024 2:07:09 PM"},
        {"ddddd", "3/5/2024"},
        {"dddddd", "Tuesday, March 5, 2024"},
        {"t", "2:07 PM"},
        {"tt", "2:07:09 PM"},
        {"'at' hh\"h\" mm", "at 14h 07"},
        {"mm/dd", "03/05"},
        {"\"mm\"", "mm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(QString::fromLatin1(c.Format), dt, En()), c.Expected) << c.Format;

    EXPECT_EQ(FormatDateTime(QStringLiteral("h am/pm"), EncodeTime(0, 30, 0, 0), En()), "12 am");
    EXPECT_EQ(FormatDateTime(QStringLiteral("h am/pm"), EncodeTime(12, 0, 0, 0), En()), "12 pm");
    EXPECT_EQ(FormatDateTime(QStringLiteral("c"), dt, Ru()), "05.03.2024 14:07:09");
    EXPECT_EQ(FormatDateTime(QStringLiteral("dd/mm/yyyy hh:nn"), dt, Ru()), "05.03.2024 14:07");
    EXPECT_EQ(FormatDateTime(QStringLiteral("mmmm, dddd"), dt, Ru()), QString::fromUtf8("Март, вторник"));
}

TEST_F(SysUtilsDate, DateTimeToStrLeavesOutMidnight) {
    const TDateTime day = EncodeDate(2024, 3, 5);
    EXPECT_EQ(DateTimeToStr(day, Ru()), "05.03.2024");
    EXPECT_EQ(DateTimeToStr(day + EncodeTime(0, 0, 0, 1), Ru()), "05.03.2024 0:00:00");
    EXPECT_EQ(DateToStr(day + 0.5, En()), "3/5/2024");
    EXPECT_EQ(TimeToStr(day + 0.5, En()), "12:00:00 PM");
    EXPECT_EQ(DateTimeToStr(-1.25, En()), "12/29/1899 6:00:00 AM");
    String s;
    DateTimeToString(s, QStringLiteral("yyyy"), day, En());
    EXPECT_EQ(s, "2024");
}

TEST_F(SysUtilsDate, ParsersFollowTheShortDateOrder) {
    struct Case {
        const char* Text;
        const TFormatSettings* Fs;
        bool Ok;
        TDateTime Expected;
    };
    const TDateTime d0305 = EncodeDate(2024, 3, 5);
    const Case cases[] = {
        {"3/5/2024", &En(), true, d0305},
        {" 3 / 5 / 2024 ", &En(), true, d0305},
        {"3/5/24", &En(), true, d0305},
        {"3/5/80", &En(), true, EncodeDate(1980, 3, 5)},
        {"3/5/73", &En(), true, EncodeDate(2073, 3, 5)}, // the window starts at 1974
        {"3/5", &En(), true, d0305},                     // the current year
        {"03/05/0024", &En(), true, EncodeDate(24, 3, 5)},
        {"3/5/2024 2:07 PM", &En(), true, d0305 + EncodeTime(14, 7, 0, 0)},
        {"3/5/2024 12:00 AM", &En(), true, d0305},
        {"3/5/2024 pm 1:00", &En(), true, d0305 + EncodeTime(13, 0, 0, 0)},
        {"12/29/1899 6:00", &En(), true, -1.25},
        {"05.03.2024", &Ru(), true, d0305},
        {"5.3.2024 14:07:09", &Ru(), true, d0305 + EncodeTime(14, 7, 9, 0)},
        {"14:07", &Ru(), true, EncodeTime(14, 7, 0, 0)},
        {"13/5/2024", &En(), false, 0},
        {"2/30/2024", &En(), false, 0},
        {"3-5-2024", &En(), false, 0},
        {"3/5/2024 13:00 PM", &En(), false, 0},
        {"3/5/2024 10:00 junk", &En(), false, 0},
        {"3/5/2024 25:00", &En(), false, 0},
        {"05.03.2024", &En(), false, 0},
        {"", &En(), false, 0},
    };
    for (const auto& c : cases) {
        TDateTime v = -999;
        EXPECT_EQ(TryStrToDateTime(QString::fromLatin1(c.Text), v, *c.Fs), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_NEAR(v, c.Expected, 1e-9) << c.Text;
        }
    }
}

TEST_F(SysUtilsDate, ParserErrorTexts) {
    struct Case {
        TDateTime (*Fn)(const String&, const TFormatSettings&);
        const char* Text;
        const char* Message;
    } cases[] = {
        {&StrToDate, "3/5/2024 1:00", "'3/5/2024 1:00' is not a valid date"},
        {&StrToDate, "x", "'x' is not a valid date"},
        {&StrToTime, "25:00", "'25:00' is not a valid time"},
        {&StrToTime, "3/5/2024", "'3/5/2024' is not a valid time"},
        {&StrToDateTime, "x", "'x' is not a valid date and time"},
    };
    for (const auto& c : cases) {
        try {
            c.Fn(QString::fromLatin1(c.Text), En());
            ADD_FAILURE() << c.Text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
    EXPECT_NEAR(StrToTime(QStringLiteral("1:02:03.5 pm"), En()), EncodeTime(13, 2, 3, 5), 1e-12);
    EXPECT_EQ(StrToDate(QStringLiteral("3/5/2024"), En()), EncodeDate(2024, 3, 5));
}

TEST(SysUtilsSettings, LocalesAndInvariant) {
    const TFormatSettings c = TFormatSettings::Create(QStringLiteral("C"));
    EXPECT_EQ(c.ShortDateFormat, "M/d/yyyy");
    EXPECT_EQ(c.DecimalSeparator, '.');
    EXPECT_EQ(c.TimeAMString, "AM");
    const TFormatSettings ru = Ru();
    EXPECT_EQ(ru.DecimalSeparator, ',');
    EXPECT_EQ(ru.ThousandSeparator, QChar(0x00A0));
    EXPECT_EQ(ru.DateSeparator, '.');
    EXPECT_EQ(ru.ShortDateFormat, "dd.MM.yyyy");
    EXPECT_EQ(ru.LongTimeFormat, "H:mm:ss");
    const TFormatSettings de = TFormatSettings::Create(QStringLiteral("de_DE"));
    EXPECT_EQ(de.ShortDateFormat, "dd.MM.yyyy");
    EXPECT_EQ(de.DecimalSeparator, ',');
    EXPECT_EQ(de.ThousandSeparator, '.');
    EXPECT_EQ(de.DateSeparator, '.');
    EXPECT_EQ(FormatDateTime(QStringLiteral("c"), EncodeDate(2024, 3, 5) + 0.5, de), "05.03.2024 12:00:00");
    const TFormatSettings inv = TFormatSettings::Invariant();
    EXPECT_EQ(FormatDateTime(QStringLiteral("c"), EncodeDate(2024, 3, 5) + 0.5, inv), "03/05/2024 12:00:00");
    EXPECT_EQ(FloatToStr(1.5, inv), "1.5");
}

} // namespace
