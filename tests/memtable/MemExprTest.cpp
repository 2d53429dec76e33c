#include "StoreFixture.h"

#include "platform/db/DB.h"

#include <gtest/gtest.h>

namespace {

struct LikeCase {
    const char* Value;
    const char* Pattern;
    bool IgnoreCase;
    bool Expected;
};

class MemExprTest : public ::testing::Test {
protected:
    void SetUp() override {
        md = MakeStore({{"Name", ftString},
                        {"Qty", ftInteger},
                        {"Price", ftFloat},
                        {"Tax", ftFloat},
                        {"First", ftString},
                        {"Id", ftInteger},
                        {"Flag", ftBoolean},
                        {"Pad", ftString},
                        {"D", ftDateTime}});
    }
    TMemoryRecordEh* Rec(std::initializer_list<Variant> values) { return AddRec(md.get(), values); }
    Variant Eval(const char* expr, TMemoryRecordEh* r, TFilterOptions opts = {}) {
        TDataSetExprParserEh p(nullptr, dsptFilterEh);
        p.SetFilterOptions(opts);
        p.ParseExpression(QString::fromUtf8(expr));
        return p.Evaluate(r);
    }
    bool InFilter(const char* expr, TMemoryRecordEh* r, TFilterOptions opts = {}) {
        TDataSetExprParserEh p(nullptr, dsptFilterEh);
        p.SetFilterOptions(opts);
        p.ParseExpression(QString::fromUtf8(expr));
        return p.IsCurRecordInFilter(r);
    }
    std::unique_ptr<TMemTableDataEh> md;
};

} // namespace

const LikeCase LikeCases[] = {
        {"abc", "a_c", false, true},
        {"ac", "a_%c", false, true}, // "_%" is absorbed into "%"
        {"", "%", false, true},
        {"", "", false, true},
        {"x", "", false, false},
        {"xxabyyab", "xx%ab%", false, true},
        {"abc", "%bd", false, false},
        {"abcabc", "%abc", false, true},
        {"ab", "a%b", false, true},
        {"axxb", "a%b", false, true},
        {"Anna", "a%", true, true},
        {"Anna", "a%", false, false},
        // A pattern remainder after the value is used up matches only when it is a lone "%".
        {"a", "a%b", false, false},
        {"a", "a%", false, true},
        // The last segment may not overlap what was already matched.
        {"abcd", "ab%bcd", false, false},
        {"abbcd", "ab%bcd", false, true},
        // A literal "%" or "_" in the value is not taken for the wildcard.
        {"a%xc", "a%c", false, true},
        {"a_xc", "a_%c", false, true},
        {"abc", "abcd", false, false},
        {"abcd", "abc", false, false},
        {"\xc3\xa9t\xc3\xa9", "_t_", false, true},
        {"\xd0\x81\xd0\xbb\xd0\xba\xd0\xb0", "\xd0\x81%", false, true},
        {"\xd0\xb5\xd0\xbb\xd0\xba\xd0\xb0", "\xd0\x95%", true, true},
};

TEST(MemExprLike, MatchTable) {
    for (const LikeCase& c : LikeCases)
        EXPECT_EQ(TDataSetExprParserEh::LikeMatch(QString::fromUtf8(c.Value), QString::fromUtf8(c.Pattern),
                                                  c.IgnoreCase),
                  c.Expected)
            << c.Value << " LIKE " << c.Pattern;
    EXPECT_EQ(TDataSetExprParserEh::WildPos(QStringLiteral("xxabyy"), QStringLiteral("a_y")), 3);
    EXPECT_EQ(TDataSetExprParserEh::WildPos(QStringLiteral("xx"), QStringLiteral("a_y")), 0);
}

// A filter's LIKE reads single-byte and wide values in place and keeps the folded pattern: it
// answers as LikeMatch does, also with one parser going from pattern to pattern.
TEST(MemExprLike, FilterAnswersAsTheMatch) {
    auto md = MakeStore({{"A", ftString}, {"W", ftWideString}});
    TDataSetExprParserEh p(nullptr, dsptFilterEh);
    for (const char* column : {"A", "W"})
        for (const LikeCase& c : LikeCases) {
            TMemoryRecordEh* r = AddRec(md.get(), {String::fromUtf8(c.Value), String::fromUtf8(c.Value)});
            p.SetFilterOptions(c.IgnoreCase ? TFilterOptions{foCaseInsensitive} : TFilterOptions{});
            p.ParseExpression(String::fromLatin1(column) + QStringLiteral(" LIKE '") + String::fromUtf8(c.Pattern) +
                              QStringLiteral("'"));
            const bool expected = TDataSetExprParserEh::LikeMatch(VarToStr(r->GetDataValue(column[0] == 'A' ? 0 : 1, dvvValueEh)),
                                                                  String::fromUtf8(c.Pattern), c.IgnoreCase);
            EXPECT_EQ(p.IsCurRecordInFilter(r), expected) << column << ": " << c.Value << " LIKE " << c.Pattern;
        }
}

TEST_F(MemExprTest, FiltersAndNullRules) {
    TMemoryRecordEh* full = Rec({AnsiString("Anna"), 7, 10.0, 2.0, AnsiString("Jo"), 2, true});
    TMemoryRecordEh* nulls = Rec({});
    struct Case {
        const char* Expr;
        TMemoryRecordEh* R;
        bool Expected;
    } cases[] = {
        {"Qty > 5", full, true},
        {"Qty > 5", nulls, false},
        {"Name = ''", nulls, true}, // texts: Null compares as the empty text
        {"Name IS NULL", nulls, true},
        {"Name IS NOT NULL", full, true},
        {"Id IN (1, 2, 3)", full, true},
        {"Id IN (4, 5)", full, false},
        {"Id NOT IN (4, 5)", full, true},
        {"Name LIKE 'A%' AND Qty > 5", full, true},
        {"Name LIKE 'A%' AND Qty > 7", full, false},
        {"Qty * 2 = 14 OR Price < 0", full, true},
        {"Price + Tax = 12", full, true},
        {"UPPER(SUBSTRING(Name, 1, 2)) = 'AN'", full, true},
        {"Qty >= 7 AND Qty <= 7 AND Qty <> 8", full, true},
        // A Null result is "not in the filter", never an error.
        {"Flag", nulls, false},
        {"Flag AND Qty > 1", nulls, false},
        {"NOT Flag", nulls, false},
        {"Flag", full, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InFilter(c.Expr, c.R), c.Expected) << c.Expr;
}

TEST_F(MemExprTest, CaseOptionsAndPartialCompare) {
    TMemoryRecordEh* r = Rec({AnsiString("Anna")});
    EXPECT_TRUE(InFilter("Name LIKE 'a%'", r, TFilterOptions{foCaseInsensitive}));
    EXPECT_FALSE(InFilter("Name LIKE 'a%'", r));
    EXPECT_TRUE(InFilter("Name = 'ANNA'", r, TFilterOptions{foCaseInsensitive}));
    EXPECT_FALSE(InFilter("Name = 'ANNA'", r));
    // A trailing "*" compares the leading characters only.
    EXPECT_TRUE(InFilter("Name = 'An*'", r));
    EXPECT_FALSE(InFilter("Name = 'Ab*'", r));
    EXPECT_TRUE(InFilter("Name <> 'Ab*'", r));
    EXPECT_FALSE(InFilter("Name = 'An*'", r, TFilterOptions{foNoPartialCompare}));
}

TEST_F(MemExprTest, ArithmeticAndFunctions) {
    TMemoryRecordEh* nulls = Rec({Null(), Null(), Null(), 2.0, Null(), Null(), Null(), AnsiString("x")});
    TMemoryRecordEh* r =
        Rec({AnsiString("xxAnnaxx"), 3, 1.5, Null(), AnsiString("Jo"), 1, false, AnsiString("x"),
             VarFromDateTime(EncodeDate(2024, 5, 17) + EncodeTime(13, 45, 30, 0))});
    EXPECT_TRUE(Eval("Price + Tax", nulls).IsNull());
    EXPECT_TRUE(Eval("Price + Price", nulls).IsNull());
    EXPECT_EQ(VarToStr(Eval("First + ' '", nulls)), QStringLiteral(" "));
    EXPECT_EQ(VarToStr(Eval("First + '-' + Name", r)), QStringLiteral("Jo-xxAnnaxx"));
    EXPECT_DOUBLE_EQ(Eval("Qty * Price - 1", r).AsDouble(), 3.5);
    EXPECT_DOUBLE_EQ(Eval("Qty / 2", r).AsDouble(), 1.5);

    struct TextCase {
        const char* Expr;
        const char* Expected;
    } texts[] = {
        {"TRIM('  ab  ')", "ab"},
        {"TRIMLEFT('xxab', 'x')", "ab"},
        {"TRIMRIGHT('abxx', 'x')", "ab"},
        {"TRIM('ab', 'xy')", "ab"},
        {"TRIM('xxx', 'x')", ""},
        {"SUBSTRING('abcdef', 3)", "cdef"},
        {"SUBSTRING('abcdef', 3, 2)", "cd"},
        {"SUBSTRING('abc', 5)", ""},
        {"UPPER('abc')", "ABC"},
        {"LOWER('ÀBC')", "àbc"},
        {"TRIM(Name, UPPER(Pad))", "xxAnnaxx"},
        {"TRIM(Name, Pad)", "Anna"},
        {"UPPER(SUBSTRING(Name, 3, 2))", "AN"},
    };
    for (const TextCase& c : texts)
        EXPECT_EQ(VarToStr(Eval(c.Expr, r)), QString::fromUtf8(c.Expected)) << c.Expr;
    EXPECT_TRUE(Eval("UPPER(First)", nulls).IsNull());

    struct IntCase {
        const char* Expr;
        int Expected;
    } parts[] = {{"YEAR(D)", 2024}, {"MONTH(D)", 5},   {"DAY(D)", 17},
                 {"HOUR(D)", 13},   {"MINUTE(D)", 45}, {"SECOND(D)", 30}};
    for (const IntCase& c : parts)
        EXPECT_EQ(Eval(c.Expr, r).AsInteger(), c.Expected) << c.Expr;
    EXPECT_DOUBLE_EQ(Eval("DATE(D)", r).AsDouble(), EncodeDate(2024, 5, 17));
    EXPECT_NEAR(Eval("TIME(D)", r).AsDouble(), EncodeTime(13, 45, 30, 0), 1e-9);
    EXPECT_TRUE(Eval("YEAR(D)", nulls).IsNull());
    EXPECT_NEAR(Eval("GETDATE()", r).AsDouble(), Now(), 1.0 / 24);
}

TEST_F(MemExprTest, EvaluationErrors) {
    TMemoryRecordEh* r = Rec({AnsiString("a")});
    struct Case {
        const char* Expr;
        const char* Message;
    } cases[] = {
        {"SUBSTRING(Name)", "Incorrect number of arguments in function <SUBSTRING>"},
        {"trim(Name, 'a', 'b')", "Incorrect number of arguments in function <trim>"},
        {"FOO(1) = 1", "Unsupported function: FOO"},
    };
    for (const Case& c : cases) {
        try {
            Eval(c.Expr, r);
            ADD_FAILURE() << c.Expr << " did not fail";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(c.Message)) << c.Expr;
        }
    }
    // A syntax error keeps the tree compiled before.
    TDataSetExprParserEh p(nullptr, dsptFilterEh);
    p.ParseExpression(QStringLiteral("Name = 'a'"));
    EXPECT_THROW(p.ParseExpression(QStringLiteral("Name = ")), EDatabaseError);
    EXPECT_TRUE(p.HasData());
    EXPECT_TRUE(p.IsCurRecordInFilter(r));
    // Nothing compiled: not in the filter.
    TDataSetExprParserEh empty(nullptr, dsptFilterEh);
    EXPECT_FALSE(empty.IsCurRecordInFilter(r));
}

TEST_F(MemExprTest, AggregatesOverViewRows) {
    TRecordsViewEh view;
    view.SetMemTableData(md.get());
    auto agg = [&view](const char* expr) {
        TDataSetExprParserEh p(nullptr, dsptAggregateEh);
        p.ParseExpression(QString::fromUtf8(expr));
        return p.CalcAggregateValue(&view);
    };
    // Over no rows: Null, and the counts are 0.
    EXPECT_TRUE(agg("SUM(Qty)").IsNull());
    EXPECT_TRUE(agg("MIN(Qty)").IsNull());
    EXPECT_TRUE(agg("AVG(Qty)").IsNull());
    EXPECT_EQ(agg("COUNT(Qty)"), Variant(0));
    EXPECT_EQ(agg("COUNT(*)"), Variant(0));

    Rec({AnsiString("b"), 2});
    Rec({AnsiString("c"), Null()});
    Rec({AnsiString("a"), 4});
    EXPECT_EQ(agg("SUM(Qty)").AsInteger(), 6);
    EXPECT_EQ(agg("COUNT(Qty)").AsInteger(), 2);
    EXPECT_EQ(agg("COUNT(*)").AsInteger(), 3);
    // The mean of the non-Null values; MIN skips Nulls as MAX does.
    EXPECT_DOUBLE_EQ(agg("AVG(Qty)").AsDouble(), 3.0);
    EXPECT_EQ(agg("MAX(Qty)").AsInteger(), 4);
    EXPECT_EQ(agg("MIN(Qty)").AsInteger(), 2);
    EXPECT_EQ(VarToStr(agg("MIN(Name)")), QStringLiteral("a"));
    EXPECT_EQ(VarToStr(agg("MAX(Name)")), QStringLiteral("c"));
    EXPECT_DOUBLE_EQ(agg("SUM(Qty) / COUNT(*)").AsDouble(), 2.0);
    EXPECT_EQ(agg("SUM(Qty * 2)").AsInteger(), 12);
    EXPECT_THROW(agg("SUM(Qty, Qty)"), Exception);
    // Without a view an aggregate is Null.
    TDataSetExprParserEh p(nullptr, dsptAggregateEh);
    p.ParseExpression(QStringLiteral("SUM(Qty)"));
    EXPECT_TRUE(p.CalcAggregateValue(nullptr).IsNull());
}

TEST_F(MemExprTest, FloatAggregatesOverASortedView) {
    // Enough rows to read well past the rows fetched ahead; one Null that is skipped.
    for (int i = 0; i < 60; ++i)
        Rec({AnsiString(QByteArray(1, char('a' + (i * 7) % 26))), i,
             i == 30 ? Null() : Variant(0.1 * ((i * 13) % 60))});
    TRecordsViewEh view;
    view.SetMemTableData(md.get());
    view.SetSortOrder(QStringLiteral("Name; Qty"));
    double sum = 0;
    int n = 0;
    for (int i = 0; i < view.Count(); ++i) {
        const Variant v = view.Rec(i)->GetDataValue(2, dvvValueEh);
        if (v.IsNull()) continue;
        sum += v.AsDouble();
        ++n;
    }
    auto agg = [&view](const char* expr) {
        TDataSetExprParserEh p(nullptr, dsptAggregateEh);
        p.ParseExpression(QString::fromUtf8(expr));
        return p.CalcAggregateValue(&view);
    };
    EXPECT_EQ(agg("SUM(Price)").VType(), varDouble);
    EXPECT_EQ(agg("SUM(Price)").AsDouble(), sum);
    EXPECT_EQ(agg("AVG(Price)").AsDouble(), sum / n);
    EXPECT_EQ(agg("COUNT(Price)").AsInteger(), 59);
}
