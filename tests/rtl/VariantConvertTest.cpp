// Variant casts: every kind to every target, with the platform's error classes and texts.
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// The tool runs with Russian settings: decimal comma, dd.MM.yyyy, H:mm:ss.
class VariantConvert : public ::testing::Test {
protected:
    void SetUp() override {
        FSaved = FormatSettings();
        SetFormatSettings(TFormatSettings::Create("ru_RU"));
    }
    void TearDown() override { SetFormatSettings(FSaved); }

private:
    TFormatSettings FSaved;
};

// "Type:text" of a value, so that one expectation checks both.
std::string Show(const Variant& v) {
    return (VarTypeAsText(VarType(v)) + ":" + VarToStr(v)).toStdString();
}

struct CastCase {
    const char* Name;
    Variant Source;
    TVarType Target;
    const char* Expected; // "Type:text", or the error text
};

TEST_F(VariantConvert, VarAsTypeTable) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const CastCase cases[] = {
        // integers: range checks per width, floats rounded half to even
        {"int to smallint", Variant(5), varSmallint, "Smallint:5"},
        {"int to smallint overflow", Variant(100000), varSmallint,
         "Overflow while converting variant of type (Integer) into type (Smallint)"},
        {"negative to byte", Variant(-1), varByte,
         "Overflow while converting variant of type (Integer) into type (Byte)"},
        {"int to shortint", Variant(-128), varShortInt, "ShortInt:-128"},
        {"word max", Variant(65535.0), varWord, "Word:65535"},
        {"word overflow", Variant(65536.0), varWord,
         "Overflow while converting variant of type (Double) into type (Word)"},
        {"longword", Variant(Int64(4294967295LL)), varLongWord, "LongWord:4294967295"},
        {"int64 to integer overflow", Variant(Int64(1) << 40), varInteger,
         "Overflow while converting variant of type (Int64) into type (Integer)"},
        {"uint64 to int64 overflow", Variant(UINT64_MAX), varInt64,
         "Overflow while converting variant of type (UInt64) into type (Int64)"},
        {"2.5 rounds to even", Variant(2.5), varInteger, "Integer:2"},
        {"3.5 rounds to even", Variant(3.5), varInteger, "Integer:4"},
        {"-2.5 rounds to even", Variant(-2.5), varInteger, "Integer:-2"},
        {"currency rounds to even", Variant(Currency(0.5)), varInteger, "Integer:0"},
        {"huge double", Variant(1e20), varInteger,
         "Overflow while converting variant of type (Double) into type (Integer)"},
        {"nan", Variant(nan), varInt64,
         "Overflow while converting variant of type (Double) into type (Int64)"},
        {"true is -1", Variant(true), varInteger, "Integer:-1"},
        {"empty is 0", Variant(), varInteger, "Integer:0"},
        {"text to int", Variant("42"), varInteger, "Integer:42"},
        {"hex text to int", Variant("$1F"), varInteger, "Integer:31"},
        {"float text to int", Variant("4,5"), varInteger, "Integer:4"},
        {"ansi text to int64", Variant(AnsiString("12")), varInt64, "Int64:12"},
        {"bad text to int", Variant("abc"), varInteger,
         "Could not convert variant of type (UnicodeString) into type (Integer)"},
        {"bad ansi text", Variant(AnsiString("abc")), varInteger,
         "Could not convert variant of type (String) into type (Integer)"},
        {"text out of range", Variant("70000"), varSmallint,
         "Overflow while converting variant of type (UnicodeString) into type (Smallint)"},
        {"null to int", Null(), varInteger, "Could not convert variant of type (Null) into type (Integer)"},
        {"date to int", Variant::FromDate(2.75), varInteger, "Integer:3"},
        // floats and currency
        {"text to double", Variant("1,5"), varDouble, "Double:1,5"},
        {"point is not the separator", Variant("1.5"), varDouble,
         "Could not convert variant of type (UnicodeString) into type (Double)"},
        {"int to double", Variant(7), varDouble, "Double:7"},
        {"true to double", Variant(true), varDouble, "Double:-1"},
        {"null to double", Null(), varDouble, "Could not convert variant of type (Null) into type (Double)"},
        {"double to single", Variant(0.1), varSingle, "Single:0,1"},
        {"single overflow", Variant(1e40), varSingle,
         "Overflow while converting variant of type (Double) into type (Single)"},
        {"text to currency", Variant("2,5"), varCurrency, "Currency:2,5"},
        {"double to currency", Variant(1.23456), varCurrency, "Currency:1,2346"},
        {"currency overflow", Variant(1e300), varCurrency,
         "Overflow while converting variant of type (Double) into type (Currency)"},
        {"int64 currency overflow", Variant(INT64_MAX), varCurrency,
         "Overflow while converting variant of type (Int64) into type (Currency)"},
        {"bad text to currency", Variant("x"), varCurrency,
         "Could not convert variant of type (UnicodeString) into type (Currency)"},
        // Booleans
        {"text True", Variant("True"), varBoolean, "Boolean:True"},
        {"text false", Variant("false"), varBoolean, "Boolean:False"},
        {"text zero", Variant("0"), varBoolean, "Boolean:False"},
        {"text number", Variant("2"), varBoolean, "Boolean:True"},
        {"bad text to boolean", Variant("yes"), varBoolean,
         "Could not convert variant of type (UnicodeString) into type (Boolean)"},
        {"number to boolean", Variant(0.5), varBoolean, "Boolean:True"},
        {"zero to boolean", Variant(0), varBoolean, "Boolean:False"},
        {"null to boolean", Null(), varBoolean,
         "Could not convert variant of type (Null) into type (Boolean)"},
        // dates
        {"text to date", Variant("05.03.2024"), varDate, "Date:05.03.2024"},
        {"text to date-time", Variant("05.03.2024 13:30:00"), varDate, "Date:05.03.2024 13:30:00"},
        {"number to date", Variant(1.5), varDate, "Date:31.12.1899 12:00:00"},
        {"bad text to date", Variant("x"), varDate,
         "Could not convert variant of type (UnicodeString) into type (Date)"},
        {"date out of range", Variant(1e10), varDate,
         "Overflow while converting variant of type (Double) into type (Date)"},
        {"null to date", Null(), varDate, "Could not convert variant of type (Null) into type (Date)"},
        // texts
        {"int to text", Variant(-12), varUString, "UnicodeString:-12"},
        {"uint64 to text", Variant(UINT64_MAX), varUString, "UnicodeString:18446744073709551615"},
        {"double to text", Variant(1.5), varOleStr, "OleStr:1,5"},
        {"single to text", Variant(0.1f), varUString, "UnicodeString:0,1"},
        {"currency to text", Variant(Currency(12.5)), varUString, "UnicodeString:12,5"},
        {"boolean to text", Variant(false), varUString, "UnicodeString:False"},
        {"int to ansi", Variant(5), varString, "String:5"},
        {"empty to text", Variant(), varUString, "UnicodeString:"},
        {"null to text", Null(), varUString,
         "Could not convert variant of type (Null) into type (UnicodeString)"},
        {"array to text", VarArrayOf({1}), varUString,
         "Could not convert variant of type (Array Variant) into type (UnicodeString)"},
        {"object to text", Variant::FromObject(nullptr), varOleStr,
         "Could not convert variant of type (Object) into type (OleStr)"},
        {"error to text", Variant::FromError(-1), varUString,
         "Could not convert variant of type (Error) into type (UnicodeString)"},
        // special targets
        {"to variant", Variant(3), varVariant, "Integer:3"},
        {"to null", Variant(3), varNull, "Null:"},
        {"to empty", Variant(3), varEmpty, "Empty:"},
        {"bad target", Variant(3), 0x0F00, "Invalid variant type"},
        {"byref target", Variant(3), varByRef | varInteger, "Invalid variant type"},
    };
    for (const CastCase& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            EXPECT_EQ(Show(VarAsType(c.Source, c.Target)), c.Expected);
        } catch (const EVariantError& e) {
            EXPECT_EQ(e.Message().toStdString(), c.Expected) << e.ClassNameA();
            // Overflow and type-cast failures stay distinguishable.
            bool overflow = e.Message().startsWith("Overflow");
            EXPECT_EQ(dynamic_cast<const EVariantOverflowError*>(&e) != nullptr, overflow);
            if (e.Message().startsWith("Could not")) {
                EXPECT_NE(dynamic_cast<const EVariantTypeCastError*>(&e), nullptr);
            }
        }
    }
}

TEST_F(VariantConvert, AccessorsUseTheSameRules) {
    EXPECT_EQ(Variant("  7").AsInteger(), 7);
    EXPECT_EQ(Variant(Int64(1) << 40).AsInt64(), Int64(1) << 40);
    EXPECT_DOUBLE_EQ(Variant("2,25").AsDouble(), 2.25);
    EXPECT_EQ(Variant("2,25").AsExtended(), 2.25L);
    EXPECT_EQ(Variant(7).AsCurrency(), Currency(7));
    EXPECT_EQ(Variant(true).AsCurrency(), Currency(-1));
    EXPECT_TRUE(Variant("TRUE").AsBoolean());
    EXPECT_EQ(Variant(Int64(5)).AsString(), "5");
    EXPECT_EQ(Variant(1u).AsLongWord(), 1u);
    EXPECT_EQ(Variant(UINT64_MAX).AsUInt64(), UINT64_MAX);
    EXPECT_DOUBLE_EQ(Variant("05.03.2024").AsDateTime(), EncodeDate(2024, 3, 5));
    EXPECT_EQ(Variant::FromError(-1).AsError(), -1);
    EXPECT_EQ(Variant::FromError(-1).AsInteger(), -1);
    EXPECT_THROW(Variant(1).AsError(), EVariantTypeCastError);

    struct Failure {
        const char* Name;
        std::function<void()> Run;
        const char* Message;
    };
    const Failure failures[] = {
        {"AsString of Null", [] { Null().AsString(); },
         "Could not convert variant of type (Null) into type (OleStr)"},
        {"AsAnsiString of Null", [] { Null().AsAnsiString(); },
         "Could not convert variant of type (Null) into type (String)"},
        {"AsInteger of Null", [] { Null().AsInteger(); },
         "Could not convert variant of type (Null) into type (Integer)"},
        {"AsInt64 of text", [] { Variant("z").AsInt64(); },
         "Could not convert variant of type (UnicodeString) into type (Int64)"},
        {"AsDouble of array", [] { VarArrayOf({}).AsDouble(); },
         "Could not convert variant of type (Array Variant) into type (Double)"},
        {"AsBoolean of Null", [] { Null().AsBoolean(); },
         "Could not convert variant of type (Null) into type (Boolean)"},
        {"AsDateTime of Null", [] { Null().AsDateTime(); },
         "Could not convert variant of type (Null) into type (Date)"},
        {"AsCurrency of Null", [] { Null().AsCurrency(); },
         "Could not convert variant of type (Null) into type (Currency)"},
        {"AsInteger overflow", [] { Variant(3e9).AsInteger(); },
         "Overflow while converting variant of type (Double) into type (Integer)"},
    };
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.Name);
        try {
            f.Run();
            ADD_FAILURE() << "no exception";
        } catch (const EVariantError& e) {
            EXPECT_EQ(e.Message().toStdString(), f.Message);
        }
    }
}

TEST_F(VariantConvert, TextOfNullAndDates) {
    EXPECT_EQ(VarToStr(Null()), "");
    EXPECT_EQ(VarToStr(Variant()), "");
    EXPECT_EQ(VarToStrDef(Null(), "-"), "-");
    EXPECT_EQ(VarToStrDef(Variant(), "-"), "");
    EXPECT_EQ(VarToStrDef(Variant(3), "-"), "3");
    // A date without time shows the date only, a time on day zero the time only.
    const TDateTime day = EncodeDate(2024, 3, 5);
    const TDateTime time = EncodeTime(13, 30, 0, 0);
    EXPECT_EQ(VarToStr(VarFromDateTime(day)), "05.03.2024");
    EXPECT_EQ(VarToStr(VarFromDateTime(time)), "13:30:00");
    EXPECT_EQ(VarToStr(VarFromDateTime(day + time)), "05.03.2024 13:30:00");
    EXPECT_EQ(VarToStr(VarFromDateTime(0)), "0:00:00");
    EXPECT_DOUBLE_EQ(VarToDateTime(VarFromDateTime(day + time)), day + time);
}

TEST_F(VariantConvert, AnsiAndWideTexts) {
    const String russian = QString::fromUtf8("Привет");
    Variant ansi = VarAsType(Variant(russian), varString);
    EXPECT_EQ(VarType(ansi), varString);
    EXPECT_EQ(ansi.AsAnsiString(), QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2")); // Windows-1251
    EXPECT_EQ(ansi.AsString(), russian);
    EXPECT_EQ(VarAsType(ansi, varUString).AsString(), russian);
    EXPECT_EQ(VarType(VarAsType(ansi, varOleStr)), varOleStr);
}

TEST_F(VariantConvert, FollowsTheCurrentSettings) {
    SetFormatSettings(TFormatSettings::Create("en_US"));
    EXPECT_EQ(VarToStr(Variant(1.5)), "1.5");
    EXPECT_DOUBLE_EQ(Variant("1.5").AsDouble(), 1.5);
    EXPECT_THROW(Variant("1,5").AsDouble(), EVariantTypeCastError);
    EXPECT_EQ(VarToStr(VarFromDateTime(EncodeDate(2024, 3, 5))), "3/5/2024");
}

} // namespace

TEST_F(VariantConvert, AnsiStringsKeepTheirLength) {
    // An 8-bit string is counted, not terminated: NUL characters stay in its text and compares.
    const Variant a(AnsiString("ab\0cd", 5));
    ASSERT_EQ(a.VType(), varString);
    EXPECT_EQ(a.AsString(), QString::fromLatin1("ab\0cd", 5));
    EXPECT_EQ(VarToStr(a).size(), 5);
    EXPECT_FALSE(a == Variant(AnsiString("ab\0ce", 5)));
    EXPECT_TRUE(a == Variant(QString::fromLatin1("ab\0cd", 5)));
}
