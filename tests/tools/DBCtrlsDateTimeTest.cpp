// The date-time edit: the edit-format engine, value conversions under pinned locales, typing,
// stepping and writing only the format's elements into the field.

#include "DBCtrlsTestUtil.h"

namespace {

TEST(DateTimeFormatEngine, MaskAndElementPositions) {
    struct Case {
        const char* Format;
        const char* Mask;
        int Pos[6]; // Year..Sec, -1 when absent
        int Len[6];
    } cases[] = {
        {"DD/MM/YY", "!99/99/99;1; ", {7, 4, 1, -1, -1, -1}, {2, 2, 2, -1, -1, -1}},
        {"YYYY-MM-DD HH:NN", "!9999-99-99 99:99;1; ", {1, 6, 9, 12, 15, -1}, {4, 2, 2, 2, 2, -1}},
        // Escaped letters and mask characters stay literal.
        {"HH\\h NN 0", "!99h 99 \\0;1; ", {-1, -1, -1, 1, 5, -1}, {-1, -1, -1, 2, 2, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Format);
        TDateTimeElementsMaskPosEh pos;
        EXPECT_EQ(DateTimeEditFormatToMaskEh(QString::fromLatin1(c.Format), pos),
                  QString::fromLatin1(c.Mask));
        for (int e = 0; e < 6; ++e) {
            EXPECT_EQ(pos[e].Pos, c.Pos[e]) << e;
            EXPECT_EQ(pos[e].Length, c.Len[e]) << e;
            EXPECT_EQ(pos[e].Present, c.Pos[e] > 0) << e;
        }
    }
    EXPECT_EQ(DateTimeEditFormatToDisplayFormatEh(QStringLiteral("YYYY-MM-DD HH:NN")),
              QStringLiteral("YYYY'-'MM'-'DD' 'HH:NN"));
    EXPECT_EQ(DateTimeEditFormatToTemplateEh(QStringLiteral("DD.MM.YYYY")), QStringLiteral("DD MM YYYY"));
}

TEST(DateTimeFormatEngine, FormatErrors) {
    struct Case {
        const char* Format;
        const char* Message;
    } cases[] = {
        {"YYY/MM/DD", "Invalid datetime format element length: \"Y\""},
        {"DD/MM/DD", "Duplicating datetime format element: \"D\""},
        {"DDD/MM", "Element in EditFormat: \"DDD/MM\" is too long. Pos: 3"},
        {"D/MM", "Invalid datetime format element length: \"D\""},
    };
    for (const Case& c : cases) {
        TDateTimeElementsMaskPosEh pos;
        try {
            DateTimeEditFormatToMaskEh(QString::fromLatin1(c.Format), pos);
            ADD_FAILURE() << c.Format;
        } catch (const Exception& x) {
            EXPECT_EQ(x.Message(), QString::fromLatin1(c.Message));
        }
    }
}

TEST(DateTimeFormatEngine, TwoDigitYearWindowAndApplying) {
    EXPECT_EQ(ExpandTwoDigitYearEh(65, 2026), 2065);
    EXPECT_EQ(ExpandTwoDigitYearEh(66, 2026), 1966);
    EXPECT_EQ(ExpandTwoDigitYearEh(1999, 2026), 1999);

    TDateTimeElementsMaskPosEh pos;
    DateTimeEditFormatToMaskEh(QStringLiteral("DD/MM/YYYY"), pos);
    TDateTimeElementValuesEh v;
    // Impossible dates are refused without normalising and cut to the month with it.
    ASSERT_TRUE(ParseDateTimeTextEh(QStringLiteral("31/02/2024"), pos, v));
    Variant value = Variant::FromNull();
    EXPECT_FALSE(ApplyDateTimeElementsEh(value, v, pos, false));
    EXPECT_TRUE(VarIsNull(value));
    EXPECT_TRUE(ApplyDateTimeElementsEh(value, v, pos, true));
    EXPECT_EQ(VarToDateTime(value), EncodeDate(2024, 2, 29));
    // Blanks and non-digits.
    EXPECT_FALSE(ParseDateTimeTextEh(QStringLiteral(" 5/0x/2024"), pos, v));
    EXPECT_EQ(v[2], 5);
    EXPECT_EQ(v[1], -1);
}

TEST_F(EditorFixture, DateEditFollowsRussianLocale) {
    PinnedFormat ru("ru_RU");
    auto* e = Editor<TDBDateTimeEditEh>("Born");
    EXPECT_EQ(e->EditFormat(), QStringLiteral("DD/MM/YYYY"));
    EXPECT_EQ(e->EditMask(), QStringLiteral("!99/99/9999;1; "));
    EXPECT_EQ(e->EditText(), QStringLiteral("03.02.2001"));
    EXPECT_EQ(e->Value(), VarFromDateTime(EncodeDate(2001, 2, 3)));
    // A text from code that is no date is refused with the edit's own message.
    try {
        e->SetText(QStringLiteral("31.02.2001"));
        FAIL();
    } catch (const Exception& x) {
        EXPECT_EQ(x.Message(), QStringLiteral("Invalid datetime: \"31.02.2001\""));
    }
    EXPECT_EQ(VarToDateTime(F("Born")->Value()), EncodeDate(2001, 2, 3));
    e->SetText(QStringLiteral("28.02.2001"));
    EXPECT_EQ(VarToDateTime(F("Born")->Value()), EncodeDate(2001, 2, 28));
}

TEST_F(EditorFixture, TypedDayOnlyTakesMonthAndYearFromToday) {
    PinnedFormat ru("ru_RU");
    auto* e = Editor<TDBDateTimeEditEh>("Born");
    Show(e);
    e->SetSelStart(0);
    e->SetSelLength(10);
    SendKey(e, Qt::Key_Delete);
    e->SetSelStart(0);
    TypeText(e, QStringLiteral("15"));
    EXPECT_TRUE(VarIsNull(e->Value())); // incomplete until the edit is left
    FocusOther();
    Word y, m, d;
    DecodeDate(Date(), y, m, d);
    EXPECT_EQ(VarToDateTime(F("Born")->Value()), EncodeDate(y, m, std::min<Word>(15, DaysInAMonth(y, m))));
}

TEST_F(EditorFixture, ArrowKeysStepTheElementUnderTheCaret) {
    PinnedFormat ru("ru_RU");
    auto* e = Editor<TDBDateTimeEditEh>(nullptr);
    e->SetKind(dtkDateTimeEh);
    EXPECT_EQ(e->EditFormat(), QStringLiteral("DD/MM/YYYY HH:NN:SS"));
    e->SetValue(VarFromDateTime(EncodeDate(9999, 1, 31) + EncodeTime(10, 0, 0, 0)));
    Show(e);
    struct Step {
        int Caret;
        int Key;
        const char* Text;
    } steps[] = {
        {0, Qt::Key_Up, "01.01.9999 10:00:00"},    // day 31 wraps to 1
        {14, Qt::Key_Down, "01.01.9999 10:59:00"}, // minute 0 wraps to 59
        {6, Qt::Key_Up, "01.01.0001 10:59:00"},    // year 9999 wraps to 1
        {3, Qt::Key_Down, "01.12.0001 10:59:00"},
    };
    for (const Step& s : steps) {
        e->SetSelStart(s.Caret);
        e->SetSelLength(0);
        SendKey(e, s.Key);
        EXPECT_EQ(e->EditText(), QString::fromLatin1(s.Text));
    }
    FocusOther();
    // Every year below 100 read from the text goes through the two-digit window.
    EXPECT_EQ(VarToDateTime(e->DataLink()->DataIndependentValue),
              EncodeDate(2001, 12, 1) + EncodeTime(10, 59, 0, 0));
}

TEST_F(EditorFixture, TypedSeparatorJumpsToTheNextElement) {
    PinnedFormat ru("ru_RU");
    auto* e = Editor<TDBDateTimeEditEh>("Born");
    Show(e);
    e->SetSelStart(0);
    e->SetSelLength(0);
    TypeText(e, QStringLiteral("."));
    EXPECT_EQ(e->SelStart(), 3); // the month
    EXPECT_EQ(e->SelLength(), 2);
    // Typing the month moves the caret past the literal; with no separator after it the jump
    // wraps round to the first element.
    TypeText(e, QStringLiteral("11."));
    EXPECT_EQ(e->SelStart(), 0);
    EXPECT_EQ(e->SelLength(), 2);
    EXPECT_EQ(e->EditText(), QStringLiteral("03.11.2001"));
    FocusOther();
    EXPECT_EQ(F("Born")->AsDateTime(), EncodeDate(2001, 11, 3));
}

TEST_F(EditorFixture, TimeOnlyEditKeepsTheFieldsDate) {
    PinnedFormat en("en_US");
    auto* e = Editor<TDBDateTimeEditEh>("Stamp");
    e->SetKind(dtkTimeEh);
    EXPECT_EQ(e->EditText(), QStringLiteral("08:09:10"));
    e->SetText(QStringLiteral("23:30:05"));
    EXPECT_EQ(F("Stamp")->AsDateTime(), EncodeDate(2020, 6, 7) + EncodeTime(23, 30, 5, 0));
}

TEST_F(EditorFixture, CustomFormatWritesOnlyItsElements) {
    auto* e = Editor<TDBDateTimeEditEh>("Stamp");
    e->SetEditFormat(QStringLiteral("YYYY-MM-DD HH:NN"));
    EXPECT_EQ(e->Kind(), dtkCustomEh);
    EXPECT_EQ(e->EditText(), QStringLiteral("2020-06-07 08:09"));
    e->SetText(QStringLiteral("2021-01-02 03:04"));
    // The seconds are not in the format: the field keeps its own.
    EXPECT_EQ(F("Stamp")->AsDateTime(), EncodeDate(2021, 1, 2) + EncodeTime(3, 4, 10, 0));
    EXPECT_THROW(e->SetEditFormat(QStringLiteral("YYYY-MM-DD HH:NN:SS:SS")), Exception);
    EXPECT_EQ(e->EditFormat(), QStringLiteral("YYYY-MM-DD HH:NN"));
}

} // namespace
