// The filter-expression parser on valid and malformed texts.

#include "db/DbFixture.h"
#include "platform/db/FilterExpr.h"

#include <QFile>

namespace {
String Parse(const String& text, TFilterOptions fo = {}, TParserOptions po = {poExtSyntax},
             TDataSet* ds = nullptr) {
    TExprParser p(ds, text, fo, po);
    return TExprParser::NodeToText(p.Root());
}
} // namespace

TEST(FilterExpr, AcceptsThePlatformSyntaxAndTheDataGridsTexts) {
    const TParserOptions agg{poExtSyntax, poAggregate};
    struct Case {
        const char* text;
        const char* tree;
        TFilterOptions fo = {};
        TParserOptions po = {poExtSyntax};
    } cases[] = {
        {"Name LIKE 'A%' AND Qty > 5", "(and (like [Name] 'A%') (> [Qty] 5))"},
        {"[Full Name] = 'O''Brien'", "(= [Full Name] 'O''Brien')"},
        {"\"Full Name\" <> ''", "(<> [Full Name] '')"},
        {"Qty >= 1.5 and Qty<=2e3", "(and (>= [Qty] 1.5) (<= [Qty] 2000))"},
        {"Qty IN (1, 2, 3)", "(in [Qty] 1 2 3)"},
        {"Qty not in (1)", "(not (in [Qty] 1))"},
        {"Name IS NULL", "(isnull [Name])"},
        {"Name IS NOT NULL", "(notnull [Name])"},
        {"Name = NULL", "(isnull [Name])"},
        {"[Name] <> Null", "(notnull [Name])"},
        {"NOT (A = 1 OR B = 2)", "(not (or (= [A] 1) (= [B] 2)))"},
        {"Not ([Name] Like '%x%')", "(not (like [Name] '%x%'))"},
        {"Name NOT LIKE 'x%'", "(not (like [Name] 'x%'))"},
        {"A = 1 AND B = 2 OR C = 3", "(or (and (= [A] 1) (= [B] 2)) (= [C] 3))"},
        {"A + B * 2 > C - 1", "(> (+ [A] (* [B] 2)) (- [C] 1))"},
        {"(A + B) / 2 = 3", "(= (/ (+ [A] [B]) 2) 3)"},
        {"-Qty < -2", "(< (- 0 [Qty]) -2)"},
        {"First + ' ' + Last = 'a b'", "(= (+ (+ [First] ' ') [Last]) 'a b')"},
        {"UPPER(SUBSTRING(Name, 1, 2)) = 'AB'", "(= (UPPER (SUBSTRING [Name] 1 2)) 'AB')"},
        {"trim(Name, upper(Pad)) = 'x'", "(= (TRIM [Name] (UPPER [Pad])) 'x')"},
        {"GETDATE() > 0", "(> (GETDATE) 0)"},
        {"Flag = TRUE or Flag = false", "(or (= [Flag] TRUE) (= [Flag] FALSE))"},
        {"x != 1", "(<> [x] 1)"},
        {"Имя = 'Пётр'", "(= [Имя] 'Пётр')"},
        {"Big = 9000000000", "(= [Big] 9000000000)"},
        {"Name = 'Jo*'", "(= 2 [Name] 'Jo')"},
        {"Name <> 'Jo*'", "(<>/ci 2 [Name] 'Jo')", {foCaseInsensitive}},
        {"Name = 'Jo*'", "(= [Name] 'Jo*')", {foNoPartialCompare}},
        {"SUM(Qty) / COUNT(*)", "(/ (SUM [Qty]) (COUNT *))", {}, agg},
        {"max(Price) - Min(Price)", "(- (MAX [Price]) (MIN [Price]))", {}, agg},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Parse(QString::fromUtf8(c.text), c.fo, c.po), QString::fromUtf8(c.tree)) << c.text;
    EXPECT_EQ(Parse("   "), String());
}

TEST(FilterExpr, ErrorsNameTheirPosition) {
    struct Case {
        const char* text;
        const char* message;
        TParserOptions po = {poExtSyntax};
    } cases[] = {
        {"Name = 'abc", "Missing closing quote at position 8"},
        {"Qty > ", "Expression expected at position 7"},
        {"(Qty > 5", "')' expected at position 9"},
        {"Qty > 5)", "Unexpected ')' at position 8"},
        {"Qty 5", "Unexpected '5' at position 5"},
        {"Qty IN 1", "'(' expected at position 8"},
        {"Qty IN (1, )", "Unexpected ')' at position 12"},
        {"Name IS 'x'", "NULL expected at position 9"},
        {"AND Qty = 1", "Unexpected 'AND' at position 1"},
        {"Qty = 1 OR", "Expression expected at position 11"},
        {"[Name = 1", "Missing ']' at position 1"},
        {"Qty # 1", "Invalid character '#' at position 5"},
        {"Name NOT 'x'", "LIKE or IN expected at position 10"},
        {"12abc = 1", "Invalid number at position 1"},
        {"A = 1 = 2", "Unexpected '=' at position 7"},
        {"SUM(Qty) > 1", "Aggregate function SUM is not allowed here at position 1"},
        {"COUNT() > 1", "'*' or an expression expected at position 7", {poExtSyntax, poAggregate}},
        {"SUBSTRING(*)", "'*' is only allowed in COUNT(*) at position 11"},
    };
    for (const Case& c : cases) {
        try {
            Parse(QString::fromUtf8(c.text), {}, c.po);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (EExprParserError& e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(c.message)) << c.text;
            EXPECT_EQ(e.Position() + 1, e.Message().section(' ', -1).toInt()) << c.text;
        }
    }
}

// Deep nesting is refused with the position where the limit was passed; long flat texts stay
// well within the stack, when parsed and when freed.
TEST(FilterExpr, DeepNestingIsRefusedAndLongTextsAreFreed) {
    QFile fixture(QStringLiteral(KVT_TEST_DATA "/bad-input/filter-nested-10000.txt"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const String nested = QString::fromUtf8(fixture.readAll());
    struct Case {
        String Text;
        const char* Message;
    };
    const Case cases[] = {
        {nested, "Expression nested too deeply at position 257"},
        {String(100000, u'-') + "1", "Expression nested too deeply at position 257"},
        {String(300, u'+') + "1", "Expression nested too deeply at position 257"},
        {QStringLiteral("NOT ").repeated(300) + "A", "Expression nested too deeply at position 1025"},
        {QStringLiteral("UPPER(").repeated(300) + "A" + String(300, u')'),
         "Expression nested too deeply at position 1537"},
        // A chain is flat text but a deep tree: 1,001 terms are one level too many.
        {QStringLiteral("A = 1") + QStringLiteral(" AND A = 1").repeated(1000),
         "Expression nested too deeply at position 3"},
        // Longer chains are refused at the operator past the limit, without parsing the rest.
        {QStringLiteral("A = 1") + QStringLiteral(" OR A = 1").repeated(100000),
         "Expression nested too deeply at position 9007"},
        {QStringLiteral("1") + QStringLiteral("+1").repeated(100000),
         "Expression nested too deeply at position 2002"},
    };
    for (const Case& c : cases) {
        try {
            Parse(c.Text);
            ADD_FAILURE() << "accepted: " << c.Text.left(40).toStdString();
        } catch (EExprParserError& e) {
            EXPECT_EQ(e.Message(), QString::fromLatin1(c.Message)) << c.Text.left(40).toStdString();
        }
    }
    // Within the limits the same shapes parse.
    EXPECT_EQ(Parse(String(200, u'(') + "A" + String(200, u')')), "[A]");
    EXPECT_EQ(Parse(String(201, u'-') + "1"), "-1");
    EXPECT_NO_THROW(Parse(QStringLiteral("A = 1") + QStringLiteral(" OR A = 1").repeated(900)));

    // A long flat chain built by hand is freed without running out of stack.
    auto root = std::make_unique<TExprNode>();
    for (int i = 0; i < 100000; ++i) {
        auto n = std::make_unique<TExprNode>();
        n->NodeClass = nodeBINARY;
        n->Operator = coAND;
        n->Left = std::move(root);
        n->Right = std::make_unique<TExprNode>();
        root = std::move(n);
    }
    root.reset();
}

class FilterExprWithDataSet : public DbFixture {};

TEST_F(FilterExprWithDataSet, ResolvesFieldsAndReadsQuotedDatesForDateFields) {
    ds->FieldDefs()->Add("When", ftDateTime);
    ds->Open();
    TExprParser p(ds, "When > '03/15/2024 10:20:30' and Qty in ('5', 6) and [Name] = 'x'");
    EXPECT_EQ(TExprParser::NodeToText(p.Root()),
              "(and (and (> [When] #2024-03-15 10:20:30#) (in [Qty] 5 6)) (= [Name] 'x'))");
    const auto fields = p.FieldNodes();
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0]->Field, ds->FieldByName("When"));
    EXPECT_EQ(fields[0]->FieldNo, 5);
    EXPECT_EQ(fields[1]->Field, ds->FieldByName("Qty"));
    EXPECT_EQ(p.Root()->Left->Left->Right->DataType, ftDateTime);

    EXPECT_EQ(TExprParser::NodeToText(TExprParser(ds, "When = '2024-03-15'").Root()),
              "(= [When] #2024-03-15 00:00:00#)");
    try {
        TExprParser bad(ds, "Qty > 1 and Nope = 1");
        FAIL();
    } catch (EExprParserError& e) {
        EXPECT_EQ(e.Message(), "Field 'Nope' not found at position 13");
    }
    EXPECT_THROW(TExprParser(ds, "When = 'yesterday'"), EExprParserError);
}
