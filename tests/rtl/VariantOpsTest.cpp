// Variant comparison, arithmetic and logic under the default Null rules.
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

class VariantOps : public ::testing::Test {
protected:
    void SetUp() override {
        FSaved = FormatSettings();
        SetFormatSettings(TFormatSettings::Create("ru_RU"));
        SetCollationLocale("ru_RU");
    }
    void TearDown() override {
        SetFormatSettings(FSaved);
        SetCollationLocale(String());
    }

private:
    TFormatSettings FSaved;
};

std::string Show(const Variant& v) {
    return (VarTypeAsText(VarType(v)) + ":" + VarToStr(v)).toStdString();
}

const char* RelText(TVariantRelationship r) {
    switch (r) {
    case vrEqual:
        return "=";
    case vrLessThan:
        return "<";
    case vrGreaterThan:
        return ">";
    default:
        return "<>";
    }
}

TEST_F(VariantOps, ComparisonTable) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const TDateTime day = EncodeDate(2024, 3, 5);
    struct Case {
        const char* Name;
        Variant A, B;
        // Results of = < > (then <>, <=, >= follow from them) and of VarCompareValue.
        bool Eq, Lt, Gt;
        const char* Rel;
    };
    const Case cases[] = {
        {"ints", Variant(1), Variant(2), false, true, false, "<"},
        {"equal ints", Variant(3), Variant(short(3)), true, false, false, "="},
        {"double vs int", Variant(2.5), Variant(2), false, false, true, ">"},
        {"int64 vs double", Variant(Int64(1) << 53), Variant(9007199254740992.0), true, false, false, "="},
        {"uint64 vs int64", Variant(UINT64_MAX), Variant(INT64_MAX), false, false, true, ">"},
        {"currency vs double", Variant(Currency(1.5)), Variant(1.5), true, false, false, "="},
        {"currency vs int", Variant(Currency(2)), Variant(3), false, true, false, "<"},
        {"numeric text vs int", Variant("10"), Variant(9), false, false, true, ">"},
        {"texts", Variant("abc"), Variant("abd"), false, true, false, "<"},
        {"texts by locale", Variant("a"), Variant("B"), false, true, false, "<"},
        {"case matters", Variant("a"), Variant("A"), false, true, false, "<"},
        {"cyrillic", Variant(QString::fromUtf8("ёж")), Variant(QString::fromUtf8("жук")), false, true, false,
         "<"},
        {"ansi vs wide", Variant(AnsiString("x")), Variant("x"), true, false, false, "="},
        {"booleans", Variant(true), Variant(false), false, false, true, ">"},
        {"true is -1", Variant(true), Variant(-1), true, false, false, "="},
        {"text vs boolean", Variant("True"), Variant(true), true, false, false, "="},
        {"dates", Variant::FromDate(day), Variant::FromDate(day + 1), false, true, false, "<"},
        {"date vs text", Variant::FromDate(day), Variant("05.03.2024"), true, false, false, "="},
        {"nan", Variant(nan), Variant(nan), false, false, false, "<>"},
        // Null equals only Null and sorts first; VarCompareValue answers <> against it.
        {"null null", Null(), Null(), true, false, false, "="},
        {"null vs int", Null(), Variant(5), false, true, false, "<>"},
        {"int vs null", Variant(-5), Null(), false, false, true, "<>"},
        {"null vs empty text", Null(), Variant(""), false, true, false, "<>"},
        {"null vs empty", Null(), Variant(), false, true, false, "<>"},
        // Unassigned is the zero / empty text of the other side.
        {"empty empty", Variant(), Variant(), true, false, false, "="},
        {"empty vs zero", Variant(), Variant(0), true, false, false, "<>"},
        {"empty vs text", Variant(), Variant(""), true, false, false, "<>"},
        {"empty vs 5", Variant(), Variant(5), false, true, false, "<>"},
        {"-5 vs empty", Variant(-5), Variant(), false, true, false, "<>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.A == c.B, c.Eq);
        EXPECT_EQ(c.A != c.B, !c.Eq);
        EXPECT_EQ(c.A < c.B, c.Lt);
        EXPECT_EQ(c.A > c.B, c.Gt);
        EXPECT_EQ(c.A <= c.B, c.Lt || c.Eq);
        EXPECT_EQ(c.A >= c.B, c.Gt || c.Eq);
        EXPECT_STREQ(RelText(VarCompareValue(c.A, c.B)), c.Rel);
    }
}

TEST_F(VariantOps, IncomparableValuesRaise) {
    try {
        (void)(Variant("abc") == Variant(5));
        ADD_FAILURE();
    } catch (const EVariantTypeCastError& e) {
        EXPECT_EQ(e.Message(), "Could not convert variant of type (UnicodeString) into type (Double)");
    }
    EXPECT_THROW(VarCompareValue(Variant("abc"), Variant(5)), EVariantTypeCastError);
    EXPECT_THROW((void)(VarArrayOf({1}) < Variant(1)), EVariantInvalidOpError);
    EXPECT_THROW(VarCompareValue(VarArrayOf({1}), VarArrayOf({1})), EVariantInvalidOpError);
    // Null short-cuts before any conversion.
    EXPECT_FALSE(Null() == VarArrayOf({1}));
}

TEST_F(VariantOps, SameValue) {
    EXPECT_TRUE(VarSameValue(Null(), Null()));
    EXPECT_TRUE(VarSameValue(Variant(), Variant()));
    EXPECT_FALSE(VarSameValue(Variant(), Variant(0)));
    EXPECT_FALSE(VarSameValue(Variant(""), Variant()));
    EXPECT_FALSE(VarSameValue(Null(), Variant()));
    EXPECT_TRUE(VarSameValue(Variant(1), Variant(1.0)));
    EXPECT_FALSE(VarSameValue(Variant("a"), Variant("b")));
}

using BinOp = std::function<Variant(const Variant&, const Variant&)>;

struct ArithCase {
    const char* Name;
    Variant A;
    BinOp Op;
    Variant B;
    const char* Expected; // "Type:text" or the error text
};

void RunTable(const std::vector<ArithCase>& cases) {
    for (const ArithCase& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            EXPECT_EQ(Show(c.Op(c.A, c.B)), c.Expected);
        } catch (const Exception& e) {
            EXPECT_EQ((e.ClassName() + ": " + e.Message()).toStdString(), c.Expected);
        }
    }
}

const BinOp Add = [](const Variant& a, const Variant& b) { return a + b; };
const BinOp Sub = [](const Variant& a, const Variant& b) { return a - b; };
const BinOp Mul = [](const Variant& a, const Variant& b) { return a * b; };
const BinOp Div = [](const Variant& a, const Variant& b) { return a / b; };
const BinOp IntDiv = [](const Variant& a, const Variant& b) { return VarIntDiv(a, b); };
const BinOp Mod = [](const Variant& a, const Variant& b) { return a % b; };
const BinOp And = [](const Variant& a, const Variant& b) { return a & b; };
const BinOp Or = [](const Variant& a, const Variant& b) { return a | b; };
const BinOp Xor = [](const Variant& a, const Variant& b) { return a ^ b; };

TEST_F(VariantOps, Arithmetic) {
    const TDateTime day = EncodeDate(2024, 3, 5);
    RunTable({
        {"ints", Variant(2), Add, Variant(3), "Integer:5"},
        {"small ints widen", Variant(short(1)), Add, Variant(static_cast<unsigned char>(2)), "Integer:3"},
        {"overflow to int64", Variant(INT32_MAX), Add, Variant(1), "Int64:2147483648"},
        {"underflow to int64", Variant(INT32_MIN), Sub, Variant(1), "Int64:-2147483649"},
        {"product to int64", Variant(100000), Mul, Variant(100000), "Int64:10000000000"},
        {"int64 stays", Variant(Int64(1)), Add, Variant(1), "Int64:2"},
        {"int64 overflow", Variant(INT64_MAX), Add, Variant(1), "EVariantOverflowError: Variant overflow"},
        {"uint64", Variant(UINT64_MAX - 1), Add, Variant(1), "UInt64:18446744073709551615"},
        {"booleans", Variant(true), Add, Variant(true), "Integer:-2"},
        {"int and double", Variant(1), Add, Variant(1.5), "Double:2,5"},
        {"numeric text", Variant("1"), Add, Variant(2), "Double:3"},
        {"text minus text", Variant("5"), Sub, Variant("2,5"), "Double:2,5"},
        {"bad text", Variant("abc"), Sub, Variant(1),
         "EVariantTypeCastError: Could not convert variant of type (UnicodeString) into type (Double)"},
        {"concatenation", Variant("ab"), Add, Variant("cd"), "UnicodeString:abcd"},
        {"ansi concatenation", Variant(AnsiString("ab")), Add, Variant(AnsiString("cd")), "String:abcd"},
        {"mixed concatenation", Variant(AnsiString("ab")), Add, Variant("cd"), "UnicodeString:abcd"},
        {"currency", Variant(Currency(1.5)), Add, Variant(2), "Currency:3,5"},
        {"currency product rounds", Variant(Currency::FromScaled(1)), Mul, Variant(Currency(0.5)),
         "Currency:0"},
        {"currency overflow", Variant(Currency::FromScaled(INT64_MAX)), Add, Variant(Currency(1)),
         "EVariantOverflowError: Variant overflow"},
        {"currency and double", Variant(Currency(1.5)), Add, Variant(0.25), "Double:1,75"},
        {"date plus days", Variant::FromDate(day), Add, Variant(1), "Date:06.03.2024"},
        {"date minus date", Variant::FromDate(day + 1), Sub, Variant::FromDate(day), "Double:1"},
        {"date minus days", Variant::FromDate(day), Sub, Variant(0.5), "Date:04.03.2024 12:00:00"},
        {"double overflow", Variant(1e308), Mul, Variant(10), "EOverflow: Floating point overflow"},
        {"array", VarArrayOf({1}), Add, Variant(1), "EVariantInvalidOpError: Invalid variant operation"},
        {"object", Variant::FromObject(nullptr), Mul, Variant(1),
         "EVariantInvalidOpError: Invalid variant operation"},
        // Null propagates, Unassigned is the other side's zero.
        {"null left", Null(), Add, Variant(1), "Null:"},
        {"null right", Variant("x"), Add, Null(), "Null:"},
        {"null times", Variant(2.5), Mul, Null(), "Null:"},
        {"null and empty", Null(), Sub, Variant(), "Null:"},
        {"empty plus int", Variant(), Add, Variant(5), "Integer:5"},
        {"int minus empty", Variant(5), Sub, Variant(), "Integer:5"},
        {"empty plus text", Variant(), Add, Variant("x"), "UnicodeString:x"},
        {"empty plus empty", Variant(), Add, Variant(), "Empty:"},
    });
}

TEST_F(VariantOps, Division) {
    RunTable({
        {"ints give double", Variant(7), Div, Variant(2), "Double:3,5"},
        {"exact", Variant(6), Div, Variant(3), "Double:2"},
        {"currency", Variant(Currency(1)), Div, Variant(Currency(4)), "Double:0,25"},
        {"by zero", Variant(1), Div, Variant(0), "EZeroDivide: Floating point division by zero"},
        {"zero by zero", Variant(0.0), Div, Variant(), "EInvalidOp: Invalid floating point operation"},
        {"null", Null(), Div, Variant(0), "Null:"},
        {"div", Variant(7), IntDiv, Variant(2), "Integer:3"},
        {"div truncates", Variant(-7), IntDiv, Variant(2), "Integer:-3"},
        {"div rounds floats first", Variant(7.6), IntDiv, Variant(2), "Integer:4"},
        {"div of int64", Variant(Int64(10)), IntDiv, Variant(3), "Int64:3"},
        {"div of min by -1", Variant(INT32_MIN), IntDiv, Variant(-1), "Int64:2147483648"},
        {"div of int64 min by -1", Variant(INT64_MIN), IntDiv, Variant(-1),
         "EVariantOverflowError: Variant overflow"},
        {"div by zero", Variant(7), IntDiv, Variant(0), "EDivByZero: Division by zero"},
        {"mod", Variant(7), Mod, Variant(3), "Integer:1"},
        {"mod sign", Variant(-7), Mod, Variant(3), "Integer:-1"},
        {"mod of text", Variant("9"), Mod, Variant(4), "Integer:1"},
        {"mod by zero", Variant(7), Mod, Variant(), "EDivByZero: Division by zero"},
        {"mod null", Variant(7), Mod, Null(), "Null:"},
    });
}

TEST_F(VariantOps, Logic) {
    RunTable({
        {"and", Variant(true), And, Variant(false), "Boolean:False"},
        {"or", Variant(true), Or, Variant(false), "Boolean:True"},
        {"xor", Variant(true), Xor, Variant(true), "Boolean:False"},
        {"bitwise and", Variant(12), And, Variant(10), "Integer:8"},
        {"bitwise or", Variant(12), Or, Variant(3), "Integer:15"},
        {"bitwise xor", Variant(12), Xor, Variant(10), "Integer:6"},
        {"boolean with int", Variant(true), And, Variant(6), "Integer:6"},
        {"int64", Variant(Int64(1) << 40 | 1), And, Variant(3), "Int64:1"},
        {"floats round", Variant(2.6), And, Variant(1), "Integer:1"},
        {"text boolean", Variant("True"), And, Variant(true), "Boolean:True"},
        {"text number", Variant("12"), And, Variant(10), "Integer:8"},
        {"bad text", Variant("x"), Or, Variant(true),
         "EVariantTypeCastError: Could not convert variant of type (UnicodeString) into type (Boolean)"},
        {"null and", Null(), And, Variant(true), "Null:"},
        {"and null", Variant(false), And, Null(), "Null:"},
        {"null or", Null(), Or, Variant(true), "Null:"},
        {"empty and boolean", Variant(), Or, Variant(true), "Boolean:True"},
        {"array", VarArrayOf({}), And, Variant(1), "EVariantInvalidOpError: Invalid variant operation"},
    });
}

TEST_F(VariantOps, UnaryOperators) {
    struct Case {
        const char* Name;
        Variant V;
        bool Negate; // else not
        const char* Expected;
    };
    const Case cases[] = {
        {"-int", Variant(5), true, "Integer:-5"},
        {"-min int", Variant(INT32_MIN), true, "Int64:2147483648"},
        {"-double", Variant(1.5), true, "Double:-1,5"},
        {"-single", Variant(1.5f), true, "Single:-1,5"},
        {"-currency", Variant(Currency(1.5)), true, "Currency:-1,5"},
        {"-text", Variant("2"), true, "Double:-2"},
        {"-null", Null(), true, "Null:"},
        {"-empty", Variant(), true, "Empty:"},
        {"not true", Variant(true), false, "Boolean:False"},
        {"not int", Variant(5), false, "Integer:-6"},
        {"not int64", Variant(Int64(0)), false, "Int64:-1"},
        {"not longword", Variant(0u), false, "LongWord:4294967295"},
        {"not text", Variant("False"), false, "Boolean:True"},
        {"not null", Null(), false, "Null:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Show(c.Negate ? -c.V : ~c.V), c.Expected);
    }
    EXPECT_THROW(-VarArrayOf({}), EVariantInvalidOpError);
    EXPECT_THROW(-Variant(Currency::FromScaled(INT64_MIN)), EVariantOverflowError);
}

TEST_F(VariantOps, CompoundAssignment) {
    Variant v = 1;
    v += 2;
    v *= 3;
    v -= Variant(1.5);
    EXPECT_EQ(Show(v), "Double:7,5");
    v /= 3;
    EXPECT_EQ(Show(v), "Double:2,5");
    Variant n = Null();
    n += 1;
    EXPECT_TRUE(VarIsNull(n));
}

} // namespace
