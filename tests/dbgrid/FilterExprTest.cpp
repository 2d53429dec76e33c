// Filter-cell texts: what each text parses to, how a condition is shown, that the shown text
// parses back to the same condition, and the errors of malformed texts.

#include "lib/dbgrid/DBGridEhFilterExpr.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

String Q(const char* s) {
    return String::fromUtf8(s);
}

// A compact picture of an expression: "op1 operand1 [rel op2 operand2]", arrays as [a|b],
// strings in quotes, numbers and dates by their kind.
String OperandPicture(const Variant& v) {
    if (VarIsNull(v)) return u"null"_qs;
    if (VarIsArray(v)) {
        String s = u"["_qs;
        for (Integer i = VarArrayLowBound(v, 1); i <= VarArrayHighBound(v, 1); ++i) {
            if (i > 0) s += u'|';
            s += OperandPicture(v[i]);
        }
        return s + u']';
    }
    if (VarType(v) == varDate) return u"d:"_qs + FormatDateTime(u"yyyy-mm-dd hh:nn:ss"_qs, v.AsDateTime());
    if (VarIsFloat(v)) return u"n:"_qs + FloatToStr(v.AsExtended(), TFormatSettings::Invariant());
    return u'"' + VarToStr(v) + u'"';
}

String Picture(const TSTFilterExpressionEh& e) {
    String s = QString::number(e.Operator1) + u' ' + OperandPicture(e.Operand1);
    if (e.Relation != foNon)
        s += u' ' + QString::number(e.Relation) + u' ' + QString::number(e.Operator2) + u' ' +
             OperandPicture(e.Operand2);
    return s;
}

TSTFilterExpressionEh Parse(const String& text, TSTOperandTypeEh type,
                            TSTFilterDefaultOperatorEh def = fdoAuto) {
    TSTFilterExpressionEh e;
    e.ExpressionType = type;
    ParseSTFilterExpression(text, e, def);
    return e;
}

class FilterExprTest : public ::testing::Test {
protected:
    void SetUp() override { SetFormatSettings(TFormatSettings::Invariant()); }
    void TearDown() override { SetFormatSettings(TFormatSettings::Invariant()); }
    static void UseRussianSettings() {
        TFormatSettings fs = TFormatSettings::Invariant();
        fs.DecimalSeparator = u',';
        fs.ThousandSeparator = u' ';
        fs.DateSeparator = u'.';
        fs.ShortDateFormat = u"dd.mm.yyyy"_qs;
        SetFormatSettings(fs);
    }
};

struct ParseCase {
    const char* text;
    TSTOperandTypeEh type;
    TSTFilterDefaultOperatorEh def;
    const char* picture; // Picture() of the result
};

// Operator ordinals: 1 =, 2 <>, 3 >, 4 <, 5 >=, 6 <=, 7 LIKE, 8 NOT LIKE, 9 IN, 10 NOT IN,
// 11 NULL, 12 NOT NULL, 13 AND, 14 OR.
const ParseCase kParseCases[] = {
    {"abc", botString, fdoAuto, "7 \"abc\""},
    {"abc", botString, fdoContains, "7 \"%abc%\""},
    {"abc", botString, fdoBeginsWith, "7 \"abc%\""},
    {"abc", botString, fdoEndsWith, "7 \"%abc\""},
    {"abc", botString, fdoDoesntContain, "8 \"%abc%\""},
    {"%abc", botString, fdoBeginsWith, "7 \"%abc\""},
    {"John Smith", botString, fdoEqual, "1 \"John Smith\""},
    {"5", botNumber, fdoAuto, "1 n:5"},
    {"1,5", botNumber, fdoAuto, "9 [n:1|n:5]"},
    {"=5", botNumber, fdoAuto, "1 n:5"},
    {"<> 5", botNumber, fdoAuto, "2 n:5"},
    {"!=5", botNumber, fdoAuto, "2 n:5"},
    {">5", botNumber, fdoAuto, "3 n:5"},
    {"<5", botNumber, fdoAuto, "4 n:5"},
    {">= -2.5", botNumber, fdoAuto, "5 n:-2.5"},
    {"<=5", botNumber, fdoAuto, "6 n:5"},
    {"~ab%", botString, fdoAuto, "7 \"ab%\""},
    {"like 'ab%'", botString, fdoAuto, "7 \"ab%\""},
    {"!~ab", botString, fdoAuto, "8 \"ab\""},
    {"not like ab", botString, fdoAuto, "8 \"ab\""},
    {"in (1, 2)", botNumber, fdoAuto, "9 [n:1|n:2]"},
    {"IN('a', 'b''c')", botString, fdoAuto, "9 [\"a\"|\"b'c\"]"},
    {"in (a, b)", botString, fdoAuto, "9 [\"a\"|\" b\"]"},
    {"!In (3)", botNumber, fdoAuto, "10 n:3"},
    {"not in (3,4)", botNumber, fdoAuto, "10 [n:3|n:4]"},
    {"=Null", botNumber, fdoAuto, "11 null"},
    {"<>null", botString, fdoAuto, "12 null"},
    {">Null", botNumber, fdoAuto, "7 \">Null\""},
    {">5 AND <10", botNumber, fdoAuto, "3 n:5 13 4 n:10"},
    {">5 & <10", botNumber, fdoAuto, "3 n:5 13 4 n:10"},
    {">5 and <10", botNumber, fdoAuto, "3 n:5 13 4 n:10"},
    {"=1 | =2", botNumber, fdoAuto, "1 n:1 14 1 n:2"},
    {"=1 OR 2", botNumber, fdoAuto, "1 n:1 14 1 n:2"},
    {"abc OR x", botString, fdoAuto, "7 \"abc\" 14 7 \"x\""},
    {"=5 OR =Null", botNumber, fdoAuto, "1 n:5 14 11 null"},
    {"=5 OR in (6,7)", botNumber, fdoAuto, "1 n:5 14 9 [n:6|n:7]"},
    {"=5 (x", botNumber, fdoAuto, "7 \"=5 (x\""},
    {"in (1,2", botNumber, fdoAuto, "7 \"in (1,2\""},
    {"'O''Brien'", botString, fdoAuto, "7 \"O'Brien\""},
    {"= 'a AND b'", botString, fdoAuto, "1 \"a AND b\""},
    {"=now", botDateTime, fdoAuto, "1 \"now\""},
    {"=01/02/2024", botDateTime, fdoAuto, "1 d:2024-01-02 00:00:00"},
    {">= 01/02/2024 10:30:00", botDateTime, fdoAuto, "5 d:2024-01-02 10:30:00"},
    {"Иванов", botString, fdoAuto, "7 \"Иванов\""},
    {"= Пётр Иванович", botString, fdoAuto, "1 \"Пётр Иванович\""},
    {"~ Ив% or ~ Пе%", botString, fdoAuto, "7 \"Ив%\" 14 7 \"Пе%\""},
    {"True", botBoolean, fdoAuto, "1 \"True\""},
    {"   ", botString, fdoAuto, "0 null"},
};

TEST_F(FilterExprTest, ParsesEachFormOfText) {
    for (const auto& c : kParseCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Picture(Parse(Q(c.text), c.type, c.def)), Q(c.picture));
    }
}

TEST_F(FilterExprTest, DecimalCommaMakesCommaPartOfANumber) {
    UseRussianSettings();
    EXPECT_EQ(Picture(Parse(u"1,5"_qs, botNumber)), u"1 n:1.5"_qs);
    // An IN list still separates by commas; a quoted element keeps its decimal comma.
    EXPECT_EQ(Picture(Parse(u"in ('1,5',2)"_qs, botNumber)), u"9 [n:1.5|n:2]"_qs);
    // Text columns keep lists.
    EXPECT_EQ(Picture(Parse(u"a,b"_qs, botString)), u"9 [\"a\"|\"b\"]"_qs);
}

struct ErrorCase {
    const char* text;
    TSTOperandTypeEh type;
    const char* message;
};

const ErrorCase kErrorCases[] = {
    {"'abc", botString, "Отсутствует кавычка: "},
    {"= 'a' OR 'b", botString, "Отсутствует кавычка: "},
    {"in 1,2", botNumber, "'(' пропущена: "},
    {"(5)", botNumber, "Ошибка в выражении: "},
    {">5 AND", botNumber, "Ошибка в выражении: "},
    {"OR 5", botNumber, "Ошибка в выражении: "},
    {"AND =5", botNumber, "Ошибка в выражении: "},
    {"=5 OR AND 6", botNumber, "Ошибка в выражении: "},
    {"Null", botNumber, "Пропущено выражение после оператора: "},
    {"=", botNumber, "Пропущено выражение после оператора: "},
    {"in ()", botNumber, "Пропущено выражение после оператора: "},
    {"=5 OR >", botNumber, "Пропущено выражение после оператора: "},
    {"=5 OR >Null", botNumber, "Пропущено выражение перед Null: "},
    {">5 <10", botNumber, "Пропущен AND или OR: "},
    {"= 'Пётр' или 'Иван'", botString, "Пропущен AND или OR: "},
    {"=1 OR =2 OR =3", botNumber, "Неверное выражение: "},
    {"=1 OR in (2) x", botNumber, "Неверное выражение: "},
    {"=1 OR (2)", botNumber, "Неверное выражение: "},
};

TEST_F(FilterExprTest, MalformedTextsFailWithTheirMessageAndTheText) {
    for (const auto& c : kErrorCases) {
        SCOPED_TRACE(c.text);
        try {
            Parse(Q(c.text), c.type);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            ADD_FAILURE() << "conversion error " << e.what();
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), Q(c.message) + Trim(Q(c.text)));
        }
    }
}

TEST_F(FilterExprTest, OperandThatDoesNotConvertIsRefused) {
    EXPECT_THROW(Parse(u">abc"_qs, botNumber), EConvertError);
    EXPECT_THROW(Parse(u"in (1, x)"_qs, botNumber), EConvertError);
    EXPECT_THROW(Parse(u"=32/13/2024"_qs, botDateTime), EConvertError);
}

TEST_F(FilterExprTest, DisplayText) {
    TSTFilterExpressionEh e;
    e.ExpressionType = botNumber;
    e.Operator1 = foEqual;
    e.Operand1 = 5.5;
    e.Relation = foOR;
    e.Operator2 = foNull;
    EXPECT_EQ(STFilterExpressionAsText(e), u"= 5.5 OR =Null"_qs);
    e.ExpressionType = botNon;
    EXPECT_EQ(STFilterExpressionAsText(e), String());
    EXPECT_EQ(STFilterOperatorAsText(foIn, VarArrayOf({u"a"_qs, u"b"_qs})), u"In ('a','b')"_qs);
    EXPECT_EQ(STFilterOperatorAsText(foNotIn, 3.0), u"!In (3)"_qs);
    EXPECT_EQ(STFilterOperatorAsText(foNotNull, Null()), u"<>Null"_qs);
    EXPECT_EQ(STFilterOperatorAsText(foLike, u"ab%"_qs), u"~ 'ab%'"_qs);
    EXPECT_EQ(STFilterValueAsText(u"O'Brien"_qs), u"'O''Brien'"_qs);
    EXPECT_EQ(STFilterValueAsText(Variant::FromDate(EncodeDate(2024, 1, 2))), u"01/02/2024"_qs);
}

// Every text parses, shows, and parses back to the same condition and the same shown text.
TEST_F(FilterExprTest, ShownTextParsesBackToTheSameCondition) {
    struct RoundTrip {
        const char* text;
        TSTOperandTypeEh type;
        bool russian;
    };
    const RoundTrip cases[] = {
        {"=5", botNumber, false},
        {">5 AND <10", botNumber, false},
        {"in (1,2.5,3)", botNumber, false},
        {"!In (3)", botNumber, false},
        {"=Null", botNumber, false},
        {"<>Null OR =5", botNumber, false},
        {"=1 OR =2", botNumber, false},
        {"'O''Brien'", botString, false},
        {"in ('a''b','c,d',' x')", botString, false},
        {"= 'a AND b'", botString, false},
        {"!~ 'x%' AND <> 'y'", botString, false},
        {"= ' lead'", botString, false},
        {"~ 'Ив%' OR = 'Пётр'", botString, false},
        {">= 01/02/2024 10:30:00", botDateTime, false},
        {"=01/02/2024 OR =Null", botDateTime, false},
        {"=now", botDateTime, false},
        {"=True", botBoolean, false},
        {"=1,5", botNumber, true},
        {"in ('1,5','2,25')", botNumber, true},
        {">= 02.01.2024 10:30:00", botDateTime, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.russian)
            UseRussianSettings();
        else
            SetFormatSettings(TFormatSettings::Invariant());
        const TSTFilterExpressionEh e1 = Parse(Q(c.text), c.type);
        const String shown = STFilterExpressionAsText(e1);
        ASSERT_FALSE(shown.isEmpty());
        const TSTFilterExpressionEh e2 = Parse(shown, c.type);
        EXPECT_EQ(Picture(e2), Picture(e1)) << shown.toStdString();
        EXPECT_EQ(STFilterExpressionAsText(e2), shown);
    }
}

TEST_F(FilterExprTest, FieldTypesMapToOperandTypes) {
    EXPECT_EQ(FieldTypeToSTOperandType(ftWideString), botString);
    EXPECT_EQ(FieldTypeToSTOperandType(ftLargeint), botNumber);
    EXPECT_EQ(FieldTypeToSTOperandType(ftSingle), botNumber);
    EXPECT_EQ(FieldTypeToSTOperandType(ftTimeStamp), botDateTime);
    EXPECT_EQ(FieldTypeToSTOperandType(ftBoolean), botBoolean);
    EXPECT_EQ(FieldTypeToSTOperandType(ftBlob), botNon);
}

} // namespace
