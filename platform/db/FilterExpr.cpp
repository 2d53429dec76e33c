// Recursive-descent parser of filter and aggregate texts (grammar: docs/filter-expressions.md).

#include "platform/db/FilterExpr.h"

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <QDateTime>

namespace {

enum TokKind { tkEnd, tkName, tkString, tkNumber, tkSymbol, tkKeyword };

struct Token {
    TokKind Kind = tkEnd;
    String Text; // name without brackets, string without quotes, symbol, upper-cased keyword
    int Pos = 0;
    bool Bracketed = false;
};

bool IsNameStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

const char* const Keywords[] = {"AND", "OR", "NOT", "LIKE", "IN", "IS", "NULL", "TRUE", "FALSE"};
const char* const AggregateNames[] = {"SUM", "AVG", "MIN", "MAX", "COUNT"};

bool IsDateType(TFieldType t) {
    return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp;
}
bool IsNumericType(TFieldType t) {
    switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftFMTBcd:
    case ftLongWord:
    case ftShortint:
    case ftByte:
    case ftExtended:
    case ftSingle:
        return true;
    default:
        return false;
    }
}

class Parser {
public:
    Parser(TDataSet* ds, const String& text, TFilterOptions fo, TParserOptions po)
        : FDataSet(ds), FText(text), FFilterOptions(fo), FParserOptions(po) {}

    std::unique_ptr<TExprNode> Run() {
        Next();
        if (FTok.Kind == tkEnd) return nullptr;
        auto root = ParseOr();
        if (FTok.Kind != tkEnd) Fail(Format("Unexpected %s", {Describe(FTok)}), FTok.Pos);
        CheckTreeDepth(root.get());
        return root;
    }

private:
    using NodePtr = std::unique_ptr<TExprNode>;

    // Parentheses, function calls, NOT and signs nest by recursion; a text nested deeper than
    // this is refused before the parser runs out of stack.
    static constexpr int MaxNesting = 256;
    // Every walk over a tree (evaluation, field lists, text form) recurses: a tree deeper than
    // this, such as a chain of thousands of ANDs, is refused too.
    static constexpr int MaxTreeDepth = 1000;

    struct NestingGuard {
        Parser& P;
        NestingGuard(Parser& p, int pos) : P(p) {
            if (++P.FNesting > MaxNesting) P.Fail(QStringLiteral("Expression nested too deeply"), pos);
        }
        ~NestingGuard() { --P.FNesting; }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;
    };

    // A chain of one operator is flat text but a tree as deep as it is long: one longer than the
    // depth limit is refused at the operator that passes it, before the rest is parsed.
    void ChainLink(int& links, int pos) {
        if (++links > MaxTreeDepth) Fail(QStringLiteral("Expression nested too deeply"), pos);
    }

    [[noreturn]] void Fail(const String& what, int pos) {
        throw EExprParserError(Format("%s at position %d", {what, pos + 1}), pos);
    }

    // Walks the tree with a stack of its own and reports the first node below the depth limit.
    void CheckTreeDepth(const TExprNode* root) {
        std::vector<std::pair<const TExprNode*, int>> stack{{root, 1}};
        while (!stack.empty()) {
            const auto [n, depth] = stack.back();
            stack.pop_back();
            if (!n) continue;
            if (depth > MaxTreeDepth) Fail(QStringLiteral("Expression nested too deeply"), n->Position);
            // Left first, so that the position reported is the leftmost too deep.
            for (auto a = n->Args.rbegin(); a != n->Args.rend(); ++a)
                stack.emplace_back(a->get(), depth + 1);
            stack.emplace_back(n->Right.get(), depth + 1);
            stack.emplace_back(n->Left.get(), depth + 1);
        }
    }

    static String Describe(const Token& t) {
        switch (t.Kind) {
        case tkEnd:
            return QStringLiteral("end of expression");
        case tkString:
            return QuotedStr(t.Text);
        case tkName:
            return t.Bracketed ? "[" + t.Text + "]" : "'" + t.Text + "'";
        default:
            return "'" + t.Text + "'";
        }
    }

    // --- tokens -----------------------------------------------------------------------------
    void Next() {
        const int n = FText.size();
        while (FPos < n && FText[FPos].unicode() <= ' ')
            ++FPos;
        FTok = Token();
        FTok.Pos = FPos;
        if (FPos >= n) return;
        const QChar c = FText[FPos];
        if (c == u'\'') {
            FTok.Kind = tkString;
            FTok.Text = ReadQuoted(u'\'', QStringLiteral("Missing closing quote"));
        } else if (c == u'"') {
            FTok.Kind = tkName;
            FTok.Bracketed = true;
            FTok.Text = ReadQuoted(u'"', QStringLiteral("Missing closing quote"));
        } else if (c == u'[') {
            const int close = FText.indexOf(u']', FPos + 1);
            if (close < 0) Fail(QStringLiteral("Missing ']'"), FPos);
            FTok.Kind = tkName;
            FTok.Bracketed = true;
            FTok.Text = FText.mid(FPos + 1, close - FPos - 1);
            if (Trim(FTok.Text).isEmpty()) Fail(QStringLiteral("Field name expected"), FPos);
            FPos = close + 1;
        } else if (c.isDigit() || (c == u'.' && FPos + 1 < n && FText[FPos + 1].isDigit())) {
            ReadNumber();
        } else if (IsNameStart(c)) {
            int e = FPos + 1;
            while (e < n && IsNameChar(FText[e]))
                ++e;
            FTok.Text = FText.mid(FPos, e - FPos);
            FPos = e;
            FTok.Kind = tkName;
            const String up = FTok.Text.toUpper();
            for (const char* k : Keywords)
                if (up == QLatin1String(k)) {
                    FTok.Kind = tkKeyword;
                    FTok.Text = up;
                }
        } else {
            FTok.Kind = tkSymbol;
            const String two = FText.mid(FPos, 2);
            if (two == u"<>" || two == u"<=" || two == u">=" || two == u"!=") {
                FTok.Text = two == u"!=" ? QStringLiteral("<>") : two;
                FPos += 2;
            } else if (QStringLiteral("=<>+-*/(),").contains(c)) {
                FTok.Text = c;
                ++FPos;
            } else {
                Fail(Format("Invalid character '%s'", {String(c)}), FPos);
            }
        }
    }

    String ReadQuoted(QChar q, const String& missing) {
        const int start = FPos;
        String s;
        int i = FPos + 1;
        for (;;) {
            if (i >= FText.size()) Fail(missing, start);
            if (FText[i] == q) {
                if (i + 1 < FText.size() && FText[i + 1] == q) {
                    s += q;
                    i += 2;
                    continue;
                }
                break;
            }
            s += FText[i++];
        }
        FPos = i + 1;
        return s;
    }

    void ReadNumber() {
        const int n = FText.size();
        int e = FPos;
        while (e < n && FText[e].isDigit())
            ++e;
        if (e < n && FText[e] == u'.') {
            ++e;
            while (e < n && FText[e].isDigit())
                ++e;
        }
        if (e < n && (FText[e] == u'e' || FText[e] == u'E')) {
            int k = e + 1;
            if (k < n && (FText[k] == u'+' || FText[k] == u'-')) ++k;
            if (k < n && FText[k].isDigit()) {
                while (k < n && FText[k].isDigit())
                    ++k;
                e = k;
            }
        }
        if (e < n && IsNameChar(FText[e])) Fail(QStringLiteral("Invalid number"), FPos);
        FTok.Kind = tkNumber;
        FTok.Text = FText.mid(FPos, e - FPos);
        FPos = e;
    }

    bool IsSym(const char* s) const { return FTok.Kind == tkSymbol && FTok.Text == QLatin1String(s); }
    bool IsKw(const char* s) const { return FTok.Kind == tkKeyword && FTok.Text == QLatin1String(s); }
    void Expect(const char* sym) {
        if (!IsSym(sym)) Fail(Format("'%s' expected", {QString::fromLatin1(sym)}), FTok.Pos);
        Next();
    }

    // --- nodes ------------------------------------------------------------------------------
    static NodePtr MakeNode(TNodeClass cls, TCANOperator op, int pos) {
        auto n = std::make_unique<TExprNode>();
        n->NodeClass = cls;
        n->Operator = op;
        n->Position = pos;
        return n;
    }
    static NodePtr Unary(TCANOperator op, NodePtr operand, int pos) {
        auto n = MakeNode(nodeUNARY, op, pos);
        n->Left = std::move(operand);
        return n;
    }
    static NodePtr Binary(TCANOperator op, NodePtr l, NodePtr r, int pos) {
        auto n = MakeNode(nodeBINARY, op, pos);
        n->Left = std::move(l);
        n->Right = std::move(r);
        return n;
    }
    static NodePtr Const(const Variant& v, TFieldType t, int pos) {
        auto n = MakeNode(nodeCONST, coCONST2, pos);
        n->Value = v;
        n->DataType = t;
        return n;
    }

    // --- grammar ----------------------------------------------------------------------------
    NodePtr ParseOr() {
        auto l = ParseAnd();
        int links = 0;
        while (IsKw("OR")) {
            const int pos = FTok.Pos;
            ChainLink(links, pos);
            Next();
            l = Binary(coOR, std::move(l), ParseAnd(), pos);
        }
        return l;
    }

    NodePtr ParseAnd() {
        auto l = ParseNot();
        int links = 0;
        while (IsKw("AND")) {
            const int pos = FTok.Pos;
            ChainLink(links, pos);
            Next();
            l = Binary(coAND, std::move(l), ParseNot(), pos);
        }
        return l;
    }

    NodePtr ParseNot() {
        if (IsKw("NOT")) {
            const int pos = FTok.Pos;
            const NestingGuard nest(*this, pos);
            Next();
            return Unary(coNOT, ParseNot(), pos);
        }
        return ParseComparison();
    }

    NodePtr ParseComparison() {
        auto l = ParseAdditive();
        static const std::pair<const char*, TCANOperator> ops[] = {{"=", coEQ}, {"<>", coNE}, {"<", coLT},
                                                                   {">", coGT}, {"<=", coLE}, {">=", coGE}};
        for (auto& [sym, op] : ops)
            if (IsSym(sym)) {
                const int pos = FTok.Pos;
                Next();
                return MakeCompare(op, std::move(l), ParseAdditive(), pos);
            }
        const int pos = FTok.Pos;
        bool negate = false;
        if (IsKw("NOT")) {
            Next();
            if (!IsKw("LIKE") && !IsKw("IN")) Fail(QStringLiteral("LIKE or IN expected"), FTok.Pos);
            negate = true;
        }
        NodePtr r;
        if (IsKw("LIKE")) {
            const int lpos = FTok.Pos;
            Next();
            r = MakeCompare(coLIKE, std::move(l), ParseAdditive(), lpos);
        } else if (IsKw("IN")) {
            const int ipos = FTok.Pos;
            Next();
            r = ParseInList(std::move(l), ipos);
        } else if (IsKw("IS")) {
            Next();
            bool isNot = false;
            if (IsKw("NOT")) {
                isNot = true;
                Next();
            }
            if (!IsKw("NULL")) Fail(QStringLiteral("NULL expected"), FTok.Pos);
            Next();
            return Unary(isNot ? coNOTBLANK : coISBLANK, std::move(l), pos);
        } else {
            return l;
        }
        return negate ? Unary(coNOT, std::move(r), pos) : std::move(r);
    }

    NodePtr ParseInList(NodePtr left, int pos) {
        Expect("(");
        auto n = MakeNode(nodeBINARY, coIN, pos);
        const TField* f = FieldOf(left.get());
        for (;;) {
            auto item = ParseAdditive();
            if (f) ConvertConstFor(f, item.get());
            n->Args.push_back(std::move(item));
            if (IsSym(",")) {
                Next();
                continue;
            }
            break;
        }
        Expect(")");
        n->Left = std::move(left);
        return n;
    }

    NodePtr ParseAdditive() {
        auto l = ParseTerm();
        int links = 0;
        while (IsSym("+") || IsSym("-")) {
            const TCANOperator op = IsSym("+") ? coADD : coSUB;
            const int pos = FTok.Pos;
            ChainLink(links, pos);
            Next();
            l = Binary(op, std::move(l), ParseTerm(), pos);
        }
        return l;
    }

    NodePtr ParseTerm() {
        auto l = ParseUnary();
        int links = 0;
        while (IsSym("*") || IsSym("/")) {
            const TCANOperator op = IsSym("*") ? coMUL : coDIV;
            const int pos = FTok.Pos;
            ChainLink(links, pos);
            Next();
            l = Binary(op, std::move(l), ParseUnary(), pos);
        }
        return l;
    }

    NodePtr ParseUnary() {
        if (IsSym("+")) {
            const NestingGuard nest(*this, FTok.Pos);
            Next();
            return ParseUnary();
        }
        if (IsSym("-")) {
            const int pos = FTok.Pos;
            const NestingGuard nest(*this, pos);
            Next();
            auto operand = ParseUnary();
            // A negative number stays one constant; anything else becomes 0 - x, which the
            // evaluator's binary arithmetic covers (Null propagates).
            if (operand->NodeClass == nodeCONST &&
                (operand->DataType == ftInteger || operand->DataType == ftLargeint ||
                 operand->DataType == ftFloat)) {
                operand->Value = -operand->Value;
                operand->Position = pos;
                return operand;
            }
            return Binary(coSUB, Const(Variant(0), ftInteger, pos), std::move(operand), pos);
        }
        return ParsePrimary();
    }

    NodePtr ParsePrimary() {
        const Token t = FTok;
        switch (t.Kind) {
        case tkEnd:
            Fail(QStringLiteral("Expression expected"), t.Pos);
        case tkNumber: {
            Next();
            return NumberConst(t);
        }
        case tkString:
            Next();
            return Const(Variant(t.Text), ftWideString, t.Pos);
        case tkKeyword:
            if (t.Text == u"NULL") {
                Next();
                return Const(Null(), ftUnknown, t.Pos);
            }
            if (t.Text == u"TRUE" || t.Text == u"FALSE") {
                Next();
                return Const(Variant(t.Text == u"TRUE"), ftBoolean, t.Pos);
            }
            Fail(Format("Unexpected %s", {Describe(t)}), t.Pos);
        case tkName:
            Next();
            if (!t.Bracketed && IsSym("(")) return ParseFunction(t);
            return FieldNode(t);
        case tkSymbol:
            if (t.Text == u"(") {
                const NestingGuard nest(*this, t.Pos);
                Next();
                auto inner = ParseOr();
                Expect(")");
                return inner;
            }
            Fail(Format("Unexpected %s", {Describe(t)}), t.Pos);
        }
        Fail(QStringLiteral("Expression expected"), t.Pos);
    }

    NodePtr NumberConst(const Token& t) {
        const String& s = t.Text;
        if (!s.contains(u'.') && !s.contains(u'e', Qt::CaseInsensitive)) {
            bool ok = false;
            const qlonglong v = s.toLongLong(&ok);
            if (ok) {
                if (v >= INT32_MIN && v <= INT32_MAX) return Const(Variant(Integer(v)), ftInteger, t.Pos);
                return Const(Variant(Int64(v)), ftLargeint, t.Pos);
            }
        }
        bool ok = false;
        const double d = s.toDouble(&ok); // QString::toDouble uses "." whatever the locale
        if (!ok) Fail(QStringLiteral("Invalid number"), t.Pos);
        return Const(Variant(d), ftFloat, t.Pos);
    }

    NodePtr FieldNode(const Token& t) {
        auto n = MakeNode(nodeFIELD, coFIELD2, t.Pos);
        n->Name = t.Text;
        if (FDataSet) {
            TField* f = FDataSet->FindField(t.Text);
            if (!f) Fail(Format("Field '%s' not found", {t.Text}), t.Pos);
            n->Field = f;
            n->FieldNo = f->FieldNo();
        }
        return n;
    }

    NodePtr ParseFunction(const Token& name) {
        const NestingGuard nest(*this, name.Pos);
        auto n = MakeNode(nodeFUNC, coFUNC2, name.Pos);
        n->Name = name.Text;
        const String up = name.Text.toUpper();
        bool aggregate = false;
        for (const char* a : AggregateNames)
            if (up == QLatin1String(a)) aggregate = true;
        if (aggregate && !FParserOptions.Contains(poAggregate))
            Fail(Format("Aggregate function %s is not allowed here", {name.Text}), name.Pos);
        Expect("(");
        if (IsSym(")")) {
            if (up == u"COUNT") Fail(QStringLiteral("'*' or an expression expected"), FTok.Pos);
            Next();
            return n;
        }
        if (IsSym("*")) {
            if (up != u"COUNT") Fail(QStringLiteral("'*' is only allowed in COUNT(*)"), FTok.Pos);
            Next();
            Expect(")");
            return n;
        }
        for (;;) {
            n->Args.push_back(ParseOr());
            if (IsSym(",")) {
                Next();
                continue;
            }
            break;
        }
        Expect(")");
        return n;
    }

    // --- comparisons ------------------------------------------------------------------------
    static const TField* FieldOf(const TExprNode* n) {
        return n && n->NodeClass == nodeFIELD ? n->Field : nullptr;
    }

    // A quoted text compared with a date or time field is a date-time; with a numeric field a
    // number when it reads as one.
    void ConvertConstFor(const TField* f, TExprNode* c) {
        if (!c || c->NodeClass != nodeCONST || c->DataType != ftWideString) return;
        const String s = c->Value.AsString();
        const TFieldType ft = f->DataType();
        if (IsDateType(ft)) {
            TDateTime d = 0;
            if (!ParseDateTime(s, ft, d)) Fail(Format("'%s' is not a valid date and time", {s}), c->Position);
            c->Value = VarFromDateTime(d);
            c->DataType = ft == ftTimeStamp ? ftDateTime : ft;
        } else if (IsNumericType(ft)) {
            bool ok = false;
            const double d = Trim(s).toDouble(&ok);
            if (ok) {
                c->Value = Variant(d);
                c->DataType = ftFloat;
            }
        }
    }

    static bool ParseDateTime(const String& s, TFieldType ft, TDateTime& d) {
        const String t = Trim(s);
        if (ft == ftDate && TryStrToDate(t, d)) return true;
        if (ft == ftTime && TryStrToTime(t, d)) return true;
        if (TryStrToDateTime(t, d) || TryStrToDate(t, d) || TryStrToTime(t, d)) return true;
        // ISO texts read whatever the locale.
        for (const char* fmt : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm",
                                "yyyy-MM-dd", "yyyy-MM-ddTHH:mm:ss"}) {
            const QDateTime dt = QDateTime::fromString(t, QLatin1String(fmt));
            if (dt.isValid()) {
                const QDate base(1899, 12, 30);
                d = double(base.daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
                return true;
            }
        }
        return false;
    }

    NodePtr MakeCompare(TCANOperator op, NodePtr l, NodePtr r, int pos) {
        auto isNullConst = [](const TExprNode* n) {
            return n->NodeClass == nodeCONST && VarIsNull(n->Value);
        };
        if (op == coEQ || op == coNE) {
            if (isNullConst(r.get())) return Unary(op == coEQ ? coISBLANK : coNOTBLANK, std::move(l), pos);
            if (isNullConst(l.get())) return Unary(op == coEQ ? coISBLANK : coNOTBLANK, std::move(r), pos);
        }
        if (const TField* f = FieldOf(l.get())) ConvertConstFor(f, r.get());
        if (const TField* f = FieldOf(r.get())) ConvertConstFor(f, l.get());
        // 'Jo*' compares the first characters only, unless partial compares are switched off.
        if ((op == coEQ || op == coNE) && !FFilterOptions.Contains(foNoPartialCompare)) {
            TExprNode* field = l->NodeClass == nodeFIELD   ? l.get()
                               : r->NodeClass == nodeFIELD ? r.get()
                                                           : nullptr;
            TExprNode* text = field == l.get() ? r.get() : l.get();
            if (field && text->NodeClass == nodeCONST && text->DataType == ftWideString) {
                const String s = text->Value.AsString();
                if (s.endsWith(u'*')) {
                    auto n = MakeNode(nodeCOMPARE, op, pos);
                    n->CaseInsensitive = FFilterOptions.Contains(foCaseInsensitive);
                    n->PartialLength = s.size() - 1;
                    text->Value = Variant(s.left(s.size() - 1));
                    n->Left = std::move(l);
                    n->Right = std::move(r);
                    return n;
                }
            }
        }
        return Binary(op, std::move(l), std::move(r), pos);
    }

    TDataSet* FDataSet;
    String FText;
    TFilterOptions FFilterOptions;
    TParserOptions FParserOptions;
    int FPos = 0;
    Token FTok;
    int FNesting = 0;
};

void CollectFields(const TExprNode* n, std::vector<const TExprNode*>& out) {
    if (!n) return;
    if (n->NodeClass == nodeFIELD) out.push_back(n);
    CollectFields(n->Left.get(), out);
    CollectFields(n->Right.get(), out);
    for (auto& a : n->Args)
        CollectFields(a.get(), out);
}

const char* OperatorText(TCANOperator op) {
    switch (op) {
    case coISBLANK:
        return "isnull";
    case coNOTBLANK:
        return "notnull";
    case coEQ:
        return "=";
    case coNE:
        return "<>";
    case coGT:
        return ">";
    case coLT:
        return "<";
    case coGE:
        return ">=";
    case coLE:
        return "<=";
    case coNOT:
        return "not";
    case coAND:
        return "and";
    case coOR:
        return "or";
    case coADD:
        return "+";
    case coSUB:
        return "-";
    case coMUL:
        return "*";
    case coDIV:
        return "/";
    case coLIKE:
        return "like";
    case coIN:
        return "in";
    case coUPPER:
        return "upper";
    case coLOWER:
        return "lower";
    default:
        return "?";
    }
}

String ConstText(const TExprNode* n) {
    const Variant& v = n->Value;
    if (VarIsNull(v)) return QStringLiteral("NULL");
    switch (n->DataType) {
    case ftWideString:
    case ftString:
        return QuotedStr(v.AsString());
    case ftBoolean:
        return v.AsBoolean() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case ftInteger:
    case ftLargeint:
        return QString::number(v.AsInt64());
    case ftFloat:
        return QString::number(v.AsDouble(), 'g', 15);
    case ftDate:
    case ftTime:
    case ftDateTime: {
        const double d = v.AsDouble();
        const QDateTime dt =
            QDateTime(QDate(1899, 12, 30), QTime(0, 0)).addMSecs(qint64(std::llround(d * 86400000.0)));
        return "#" + dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + "#";
    }
    default:
        return v.AsString();
    }
}

} // namespace

TExprNode::~TExprNode() {
    // Children are taken apart with a list of our own: a chain of a hundred thousand terms
    // would otherwise free itself one stack frame per node.
    std::vector<std::unique_ptr<TExprNode>> pending;
    auto takeChildren = [&pending](TExprNode& n) {
        if (n.Left) pending.push_back(std::move(n.Left));
        if (n.Right) pending.push_back(std::move(n.Right));
        for (auto& a : n.Args)
            if (a) pending.push_back(std::move(a));
        n.Args.clear();
    };
    takeChildren(*this);
    while (!pending.empty()) {
        std::unique_ptr<TExprNode> n = std::move(pending.back());
        pending.pop_back();
        takeChildren(*n);
    } // n has no children left when it is freed here
}

bool TExprNode::IsAggregate() const {
    if (NodeClass != nodeFUNC) return false;
    const String up = Name.toUpper();
    for (const char* a : AggregateNames)
        if (up == QLatin1String(a)) return true;
    return false;
}

TExprParser::TExprParser(TDataSet* DataSet, const String& Text, TFilterOptions FilterOptions,
                         TParserOptions ParserOptions) {
    Parser p(DataSet, Text, FilterOptions, ParserOptions);
    FRoot = p.Run();
}

std::vector<const TExprNode*> TExprParser::FieldNodes() const {
    std::vector<const TExprNode*> out;
    CollectFields(FRoot.get(), out);
    return out;
}

String TExprParser::NodeToText(const TExprNode* n) {
    if (!n) return String();
    switch (n->NodeClass) {
    case nodeFIELD:
        return "[" + n->Name + "]";
    case nodeCONST:
        return ConstText(n);
    case nodeUNARY:
        return QStringLiteral("(%1 %2)").arg(QLatin1String(OperatorText(n->Operator)),
                                             NodeToText(n->Left.get()));
    case nodeBINARY: {
        String s =
            QStringLiteral("(%1 %2").arg(QLatin1String(OperatorText(n->Operator)), NodeToText(n->Left.get()));
        if (n->Operator == coIN)
            for (auto& a : n->Args)
                s += " " + NodeToText(a.get());
        else
            s += " " + NodeToText(n->Right.get());
        return s + ")";
    }
    case nodeCOMPARE:
        return QStringLiteral("(%1%2 %3 %4 %5)")
            .arg(QLatin1String(OperatorText(n->Operator)),
                 n->CaseInsensitive ? QStringLiteral("/ci") : String())
            .arg(n->PartialLength)
            .arg(NodeToText(n->Left.get()), NodeToText(n->Right.get()));
    case nodeFUNC: {
        String s = "(" + n->Name.toUpper();
        if (n->Args.empty() && n->Name.toUpper() == u"COUNT") s += " *";
        for (auto& a : n->Args)
            s += " " + NodeToText(a.get());
        return s + ")";
    }
    default:
        return QStringLiteral("?");
    }
}
