// The number edit: number texts, limits and rounding, typing filters and formats under pinned
// locales, stepping, paste.

#include "DBCtrlsTestUtil.h"

#include "platform/ui/Clipbrd.h"

namespace {

TEST(NumberTexts, NormalizeSeparatorsAndFormats) {
    {
        PinnedFormat en("en_US");
        EXPECT_EQ(NormalizeNumberText(QStringLiteral(" 1,234.5 ")), QStringLiteral("1234.5"));
        EXPECT_EQ(AddThousandSeparators(QStringLiteral("-1234567.25"), true),
                  QStringLiteral("-1,234,567.25"));
        EXPECT_EQ(AddThousandSeparators(QStringLiteral("123"), true), QStringLiteral("123"));
        EXPECT_EQ(AddThousandSeparators(QStringLiteral("1234E5"), true), QStringLiteral("1,234E5"));
        EXPECT_EQ(AddThousandSeparators(QStringLiteral("1234"), false), QStringLiteral("1234"));
        EXPECT_EQ(DefaultCurrencyEditFormat(), QStringLiteral(",#.00"));
    }
    {
        PinnedFormat ru("ru_RU");
        const QChar thou = FormatSettings().ThousandSeparator;
        // "." and "," both become the decimal comma; the thousands separator goes.
        EXPECT_EQ(NormalizeNumberText(QStringLiteral("1") + thou + QStringLiteral("234.5")),
                  QStringLiteral("1234,5"));
        EXPECT_EQ(AddThousandSeparators(QStringLiteral("1234,5"), true),
                  QStringLiteral("1") + thou + QStringLiteral("234,5"));
        Extended v = 0;
        EXPECT_TRUE(NumberTextToFloat(QStringLiteral("-12,5"), v));
        EXPECT_EQ(v, -12.5);
        EXPECT_TRUE(NumberTextToFloat(QStringLiteral("-"), v));
        EXPECT_EQ(v, 0);
        EXPECT_FALSE(NumberTextToFloat(QStringLiteral("12.5"), v));
        EXPECT_FALSE(NumberTextToFloat(QString(), v));
    }
    struct Case {
        const char* Display;
        const char* Edit;
    } cases[] = {
        {"#,##0.00 'руб.'", "#,##0.00"},
        {"0.00E+000", "0.00"},
        {"#,##0;-#,##0;zero", "#,##0"},
        {"\"x\"0.0", "0.0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EditFormatFromDisplayFormat(QString::fromUtf8(c.Display)), QString::fromLatin1(c.Edit))
            << c.Display;
}

TEST_F(EditorFixture, LimitValueBoundsAndRounding) {
    auto* e = Editor<TDBNumberEditEh>(nullptr);
    struct Case {
        double Min, Max;
        unsigned Places;
        double In, Out;
    } cases[] = {
        {0, 100, 2, 150, 100},
        {0, 100, 2, -3, 0},
        {10, 0, 2, 5, 10},
        {10, 0, 2, 1000, 1000},
        {0, -10, 2, 5, -10},
        {5, 5, 2, 1e6, 1e6},
        {0, 0, 2, 2.125, 2.12}, // half to even
        {0, 0, 0, 2.5, 2},
        {0, 0, 40, 1.23456, 1.23456},
        // Values too large to round through 64 bits keep their value.
        {0, 0, 20, 12345.678, 12345.678},
    };
    for (const Case& c : cases) {
        e->SetMinValue(c.Min);
        e->SetMaxValue(c.Max);
        e->SetDecimalPlaces(c.Places);
        EXPECT_DOUBLE_EQ(double(e->LimitValue(c.In)), c.Out) << c.Min << " " << c.Max << " " << c.In;
    }
}

TEST_F(EditorFixture, NumberTypingFilters) {
    auto* e = Editor<TDBNumberEditEh>(nullptr);
    Show(e);
    auto typeFresh = [&](const char* text) {
        e->SetValue(Variant::FromNull());
        e->SetFocus();
        e->SelectAll();
        TypeText(e, QString::fromLatin1(text));
        return e->Text();
    };
    EXPECT_EQ(typeFresh("1.234"), QStringLiteral("1.23"));
    e->SetDecimalPlaces(0);
    EXPECT_EQ(typeFresh("12.5"), QStringLiteral("125"));
    e->SetDecimalPlaces(2);
    e->SetMinValue(0);
    e->SetMaxValue(100);
    EXPECT_EQ(typeFresh("-5"), QStringLiteral("-"));
    EXPECT_EQ(typeFresh("150"), QStringLiteral("150"));
    EXPECT_EQ(e->Value(), Variant(100.0));
    // With many decimal places integer digits can still be typed.
    e->SetMinValue(0);
    e->SetMaxValue(0);
    e->SetDecimalPlaces(20);
    EXPECT_EQ(typeFresh("7"), QStringLiteral("7"));
}

TEST_F(EditorFixture, NumberFormatsUnderRussianLocale) {
    PinnedFormat ru("ru_RU");
    const QChar thou = FormatSettings().ThousandSeparator;
    static_cast<TFloatField*>(F("Price"))->SetDisplayFormat(QStringLiteral("#,##0.00 'руб.'"));
    auto* e = Editor<TDBNumberEditEh>("Price");
    EXPECT_EQ(e->EditFormat(), QStringLiteral("#,##0.00"));
    EXPECT_EQ(e->Text(), QStringLiteral("12,50 руб."));
    Show(e);
    EXPECT_EQ(e->Text(), QStringLiteral("12,50"));
    e->SelectAll();
    TypeText(e, QStringLiteral("1234.5"));
    EXPECT_EQ(e->Text(), QStringLiteral("1") + thou + QStringLiteral("234,5"));
    FocusOther();
    EXPECT_DOUBLE_EQ(F("Price")->AsFloat(), 1234.5);
    EXPECT_EQ(e->Text(), QStringLiteral("1") + thou + QStringLiteral("234,50 руб."));
    T->Post();
    EXPECT_DOUBLE_EQ(F("Price")->AsFloat(), 1234.5);
}

TEST_F(EditorFixture, NumberArrowsStepFromEmptyAndRespectLimits) {
    auto* e = Editor<TDBNumberEditEh>("Qty");
    e->SetMaxValue(6);
    e->SetMinValue(0);
    Show(e);
    SendKey(e, Qt::Key_Up);
    SendKey(e, Qt::Key_Up);
    EXPECT_EQ(e->Value(), Variant(6.0));
    FocusOther();
    EXPECT_EQ(F("Qty")->AsInteger(), 6);

    auto* n = Editor<TDBNumberEditEh>(nullptr, 40);
    n->SetFocus();
    PumpEvents(5);
    SendKey(n, Qt::Key_Down);
    EXPECT_EQ(n->Value(), Variant(1.0));
    n->SetValue(Variant::FromNull());
    SendKey(n, Qt::Key_Up);
    EXPECT_EQ(n->Value(), Variant(1.0));
}

TEST_F(EditorFixture, PastedTextThatIsNoNumberIsUndone) {
    auto* e = Editor<TDBNumberEditEh>("Qty");
    Show(e);
    Clipboard()->SetAsText(QStringLiteral("12abc"));
    e->SelectAll();
    e->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(e->Text(), QStringLiteral("5"));
    EXPECT_EQ(e->Value(), Variant(5.0));
    Clipboard()->SetAsText(QStringLiteral("42"));
    e->SelectAll();
    e->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(e->Value(), Variant(42.0));
}

} // namespace
