// The filter and aggregate expression evaluator: walks the node tree of the data-set layer's
// expression parser for one record, or over the accountable rows of a records view.
#include "lib/memtable/MemTableDataEh.h"

#include "lib/toolscore/PlatformEh.h"
#include "platform/db/DB.h"
#include "platform/db/FilterExpr.h"
#include "platform/rtl/SysUtils.h"

#include <QStringList>
#include <cmath>

namespace {

[[noreturn]] void OperatorNotSupported(const TExprNode* Node) {
    throw Exception(Format(QStringLiteral("Operator <%d:%d> not supported."),
                           {int(Node->NodeClass), int(Node->Operator)}));
}

[[noreturn]] void ArgCountError(const String& Name) {
    throw Exception(Format(QStringLiteral("Incorrect number of arguments in function <%s>"), {Name}));
}

bool IsText(const Variant& V) {
    const TVarType t = V.VType();
    return t == varString || t == varUString || t == varOleStr;
}

bool IsWideText(const Variant& V) {
    const TVarType t = V.VType();
    return t == varUString || t == varOleStr;
}

// The kinds an aggregate counts as numbers.
bool IsAggrNumber(const Variant& V) {
    switch (V.VType()) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varBoolean:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
        return true;
    default:
        return false;
    }
}

// Compares two values as texts with the user-locale comparison; Null reads as an empty text.
int CompareAsTexts(const Variant& L, const Variant& R, bool IgnoreCase, int Partial) {
    if (IsWideText(L) || IsWideText(R) || !IsText(L) || !IsText(R))
        return LocaleCompareWideStrN(VarToStr(L), VarToStr(R), Partial, IgnoreCase);
    return LocaleCompareStrN(L.AsAnsiString(), R.AsAnsiString(), Partial, IgnoreCase);
}

bool RelationHolds(TCANOperator Op, int Cmp) {
    switch (Op) {
    case coEQ:
        return Cmp == 0;
    case coNE:
        return Cmp != 0;
    case coGT:
        return Cmp > 0;
    case coLT:
        return Cmp < 0;
    case coGE:
        return Cmp >= 0;
    case coLE:
        return Cmp <= 0;
    default:
        return false;
    }
}

// A number held exactly as a double: floats and integers of up to 32 bits.
bool AsPlainNumber(const Variant& V, double& D) {
    switch (V.VType()) {
    case varDouble:
        D = VariantAccess::Dbl(V);
        return !std::isnan(D);
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
        D = double(VariantAccess::Int(V));
        return true;
    default:
        return false;
    }
}

// Platform variant comparison: Null equals only Null and orders below every other value.
bool VariantRelationHolds(TCANOperator Op, const Variant& L, const Variant& R) {
    double l, r;
    if (AsPlainNumber(L, l) && AsPlainNumber(R, r)) return RelationHolds(Op, l < r ? -1 : (l > r ? 1 : 0));
    const bool ln = L.IsNull() || L.IsEmpty(), rn = R.IsNull() || R.IsEmpty();
    if (ln || rn) {
        const int cmp = (ln && rn) ? 0 : (ln ? -1 : 1);
        return RelationHolds(Op, cmp);
    }
    switch (Op) {
    case coEQ:
        return L == R;
    case coNE:
        return L != R;
    case coGT:
        return L > R;
    case coLT:
        return L < R;
    case coGE:
        return L >= R;
    case coLE:
        return L <= R;
    default:
        return false;
    }
}

// Copy(S, Index, Count) with a 1-based index, tolerant of out-of-range arguments.
String CopyText(const String& S, Int64 Index, Int64 Count) {
    if (Index < 1) Index = 1;
    if (Count <= 0 || Index > S.size()) return String();
    return S.mid(int(Index - 1), int(std::min<Int64>(Count, S.size())));
}

String TrimChar(const String& S, QChar C, bool Left, bool Right) {
    int b = 0, e = int(S.size());
    if (Left)
        while (b < e && S[b] == C)
            ++b;
    if (Right)
        while (e > b && S[e - 1] == C)
            --e;
    return S.mid(b, e - b);
}

} // namespace

struct TDataSetExprParserEh::Ctx {
    TMemoryRecordEh* Rec = nullptr;
    TRecordsViewEh* View = nullptr;
};

TDataSetExprParserEh::TDataSetExprParserEh(TDataSet* ADataSet, TDataSetExprParserTypeEh ExprParserType)
    : FDataSet(ADataSet), FExprParserType(ExprParserType) {}

TDataSetExprParserEh::~TDataSetExprParserEh() = default;

TFilterOptions TDataSetExprParserEh::FilterOptions() const {
    return FDataSet ? FDataSet->FilterOptions() : FFilterOptions;
}

void TDataSetExprParserEh::ParseExpression(const String& Expr) {
    TParserOptions opts{poExtSyntax};
    if (FExprParserType == dsptAggregateEh) opts.Include(poAggregate);
    // A syntax error leaves the previous tree in place.
    TExprParser parser(FDataSet, Expr, FilterOptions(), opts);
    FRoot = parser.TakeRoot();
    FFieldPos.clear();
    FFieldPosStruct = nullptr;
}

bool TDataSetExprParserEh::IsCurRecordInFilter(TMemoryRecordEh* Rec) {
    if (!FRoot) return false;
    Ctx c;
    c.Rec = Rec;
    const Variant v = EvalNode(FRoot.get(), c);
    // Null (an unknown result) is not in the filter.
    if (v.IsNull() || v.IsEmpty()) return false;
    return v.AsBoolean();
}

Variant TDataSetExprParserEh::CalcAggregateValue(TRecordsViewEh* RecordsView) {
    if (!FRoot) return Variant(false);
    Ctx c;
    c.View = RecordsView;
    return EvalNode(FRoot.get(), c);
}

Variant TDataSetExprParserEh::Evaluate(TMemoryRecordEh* Rec) {
    if (!FRoot) return Null();
    Ctx c;
    c.Rec = Rec;
    return EvalNode(FRoot.get(), c);
}

int TDataSetExprParserEh::FieldPos(const TExprNode* Node, const TMTDataStructEh* ds) {
    if (ds != FFieldPosStruct || ds->Version() != FFieldPosVersion) {
        FFieldPos.clear();
        FFieldPosStruct = ds;
        FFieldPosVersion = ds->Version();
    }
    for (const auto& [node, p] : FFieldPos)
        if (node == Node) return p;
    const int pos = ds->FieldIndex(Node->Name);
    FFieldPos.emplace_back(Node, pos);
    return pos;
}

const Variant* TDataSetExprParserEh::FieldRef(const TExprNode* Node, Ctx& C) {
    TMemoryRecordEh* rec = C.Rec;
    if (!rec || !rec->DataStruct()) return nullptr;
    const int pos = FieldPos(Node, rec->DataStruct());
    const TRecValuesEh& d = rec->Data();
    return pos >= 0 && size_t(pos) < d.size() ? &d[size_t(pos)] : nullptr;
}

const Variant& TDataSetExprParserEh::EvalRef(const TExprNode* Node, Ctx& C, Variant& Tmp) {
    if (Node && Node->NodeClass == nodeCONST) return Node->Value;
    if (Node && Node->NodeClass == nodeFIELD)
        if (const Variant* v = FieldRef(Node, C)) return *v;
    Tmp = EvalNode(Node, C);
    return Tmp;
}

Variant TDataSetExprParserEh::FieldValue(const TExprNode* Node, Ctx& C) {
    TMemoryRecordEh* rec = C.Rec;
    if (!rec && C.View) {
        const int n = C.View->AccountableItemsCount();
        if (n == 0) return Null();
        rec = C.View->AccountableRecord(std::clamp(FAggrPos, 0, n - 1));
    }
    if (rec && rec->DataStruct()) {
        const int pos = FieldPos(Node, rec->DataStruct());
        if (pos >= 0) {
            // Values arrays shorter than the structure read as Null.
            const TRecValuesEh& d = rec->Data();
            return size_t(pos) < d.size() ? d[size_t(pos)] : Null();
        }
        // Not a stored column (a calculated or lookup field): the data set answers for its
        // current record.
        if (FDataSet) return FDataSet->FieldValues(Node->Name);
        DatabaseErrorFmt(QStringLiteral("Field '%s' not found"), {Node->Name});
    }
    if (FDataSet && !C.View) return FDataSet->FieldValues(Node->Name);
    return Null();
}

Variant TDataSetExprParserEh::EvalNode(const TExprNode* Node, Ctx& C) {
    if (!Node) return Null();
    switch (Node->NodeClass) {
    case nodeFIELD:
        return FieldValue(Node, C);
    case nodeCONST:
        return Node->Value;
    case nodeUNARY: {
        const Variant v = EvalNode(Node->Left.get(), C);
        switch (Node->Operator) {
        case coISBLANK:
        case coNOTBLANK: {
            const bool blank = IsText(v) ? VarToStr(v).isEmpty() : (v.IsNull() || v.IsEmpty());
            return Variant(Node->Operator == coISBLANK ? blank : !blank);
        }
        case coNOT:
            if (v.IsNull() || v.IsEmpty()) return Null();
            return Variant(!v.AsBoolean());
        case coUPPER:
        case coLOWER:
            if (v.IsNull() || v.IsEmpty()) return Null();
            return Variant(Node->Operator == coUPPER ? AnsiUpperCase(VarToStr(v))
                                                     : AnsiLowerCase(VarToStr(v)));
        default:
            OperatorNotSupported(Node);
        }
    }
    case nodeBINARY: {
        switch (Node->Operator) {
        case coEQ:
        case coNE:
        case coGT:
        case coLT:
        case coGE:
        case coLE: {
            Variant lt, rt;
            const Variant& l = EvalRef(Node->Left.get(), C, lt);
            const Variant& r = EvalRef(Node->Right.get(), C, rt);
            if (IsText(l) || IsText(r))
                return Variant(RelationHolds(
                    Node->Operator, CompareAsTexts(l, r, FilterOptions().Contains(foCaseInsensitive), 0)));
            return Variant(VariantRelationHolds(Node->Operator, l, r));
        }
        case coAND:
        case coOR: {
            const Variant l = EvalNode(Node->Left.get(), C);
            // False AND x is false and True OR x is true whatever x is (Null included), so the
            // right side need not be evaluated.
            if (l.VType() == varBoolean && VariantAccess::Bool(l) == (Node->Operator == coOR)) return l;
            const Variant r = EvalNode(Node->Right.get(), C);
            return Node->Operator == coAND ? VarAnd(l, r) : VarOr(l, r);
        }
        case coADD: {
            const Variant l = EvalNode(Node->Left.get(), C);
            const Variant r = EvalNode(Node->Right.get(), C);
            if (l.IsNull() && r.IsNull()) return Null();
            if (IsText(l) || IsText(r)) return Variant(VarToStr(l) + VarToStr(r));
            return l + r;
        }
        case coSUB:
            return EvalNode(Node->Left.get(), C) - EvalNode(Node->Right.get(), C);
        case coMUL:
            return EvalNode(Node->Left.get(), C) * EvalNode(Node->Right.get(), C);
        case coDIV:
            return EvalNode(Node->Left.get(), C) / EvalNode(Node->Right.get(), C);
        case coLIKE: {
            Variant lt, rt;
            const Variant& l = EvalRef(Node->Left.get(), C, lt);
            const Variant& r = EvalRef(Node->Right.get(), C, rt);
            return Variant(EvalLike(l, r, FilterOptions().Contains(foCaseInsensitive)));
        }
        case coIN: {
            const Variant l = EvalNode(Node->Left.get(), C);
            std::vector<Variant> items;
            items.reserve(Node->Args.size());
            for (const auto& a : Node->Args)
                items.push_back(EvalNode(a.get(), C));
            for (const Variant& item : items)
                if (VariantRelationHolds(coEQ, l, item)) return Variant(true);
            return Variant(false);
        }
        default:
            OperatorNotSupported(Node);
        }
    }
    case nodeCOMPARE: {
        Variant lt, rt;
        const Variant& l = EvalRef(Node->Left.get(), C, lt);
        const Variant& r = EvalRef(Node->Right.get(), C, rt);
        switch (Node->Operator) {
        case coEQ:
        case coNE:
            return Variant(RelationHolds(Node->Operator,
                                         CompareAsTexts(l, r, Node->CaseInsensitive, Node->PartialLength)));
        case coLIKE:
            return Variant(EvalLike(l, r, Node->CaseInsensitive));
        default:
            OperatorNotSupported(Node);
        }
    }
    case nodeFUNC:
        if (Node->Operator != coNOTDEFINED && Node->Operator != coFUNC2) OperatorNotSupported(Node);
        return EvalFunc(Node, C);
    case nodeLISTELEM:
        // Lists are read by their IN or function node; a stray element is true.
        return Variant(true);
    default:
        return Null();
    }
}

Variant TDataSetExprParserEh::EvalFunc(const TExprNode* Node, Ctx& C) {
    const String& name = Node->Name;
    const String upper = name.toUpper();
    static const QStringList aggregates = {QStringLiteral("SUM"), QStringLiteral("AVG"),
                                           QStringLiteral("MIN"), QStringLiteral("MAX"),
                                           QStringLiteral("COUNT")};
    if (aggregates.contains(upper)) return EvalAggregate(Node, upper, C);

    const size_t argc = Node->Args.size();
    // Each call evaluates its own arguments, so nested calls never see another call's list.
    std::vector<Variant> args;
    args.reserve(argc);
    auto evalArgs = [&] {
        for (const auto& a : Node->Args)
            args.push_back(EvalNode(a.get(), C));
    };

    if (upper == QLatin1String("SUBSTRING")) {
        if (argc != 2 && argc != 3) ArgCountError(name);
        evalArgs();
        if (args[0].IsNull() || args[0].IsEmpty()) return Null();
        const String s = VarToStr(args[0]);
        const Int64 from = args[1].AsInt64();
        const Int64 count = argc == 3 ? args[2].AsInt64() : Int64(s.size());
        return Variant(CopyText(s, from, count));
    }
    if (upper == QLatin1String("UPPER") || upper == QLatin1String("LOWER")) {
        if (argc != 1) ArgCountError(name);
        evalArgs();
        if (args[0].IsNull() || args[0].IsEmpty()) return Null();
        const String s = VarToStr(args[0]);
        return Variant(upper == QLatin1String("UPPER") ? AnsiUpperCase(s) : AnsiLowerCase(s));
    }
    if (upper == QLatin1String("TRIM") || upper == QLatin1String("TRIMLEFT") ||
        upper == QLatin1String("TRIMRIGHT")) {
        if (argc != 1 && argc != 2) ArgCountError(name);
        evalArgs();
        if (args[0].IsNull() || args[0].IsEmpty()) return Null();
        const String s = VarToStr(args[0]);
        QChar ch = QLatin1Char(' ');
        if (argc == 2) {
            const String t = VarToStr(args[1]);
            // Only a one-character text names the character to trim.
            if (t.size() != 1) return Variant(s);
            ch = t[0];
        }
        const bool left = upper != QLatin1String("TRIMRIGHT");
        const bool right = upper != QLatin1String("TRIMLEFT");
        return Variant(TrimChar(s, ch, left, right));
    }
    if (upper == QLatin1String("YEAR") || upper == QLatin1String("MONTH") || upper == QLatin1String("DAY") ||
        upper == QLatin1String("HOUR") || upper == QLatin1String("MINUTE") ||
        upper == QLatin1String("SECOND")) {
        if (argc != 1) ArgCountError(name);
        evalArgs();
        if (args[0].IsNull() || args[0].IsEmpty()) return Null();
        const TDateTime d = VarToDateTime(args[0]);
        Word y, m, dd, h, mi, s, ms;
        DecodeDate(d, y, m, dd);
        DecodeTime(d, h, mi, s, ms);
        if (upper == QLatin1String("YEAR")) return Variant(int(y));
        if (upper == QLatin1String("MONTH")) return Variant(int(m));
        if (upper == QLatin1String("DAY")) return Variant(int(dd));
        if (upper == QLatin1String("HOUR")) return Variant(int(h));
        if (upper == QLatin1String("MINUTE")) return Variant(int(mi));
        return Variant(int(s));
    }
    if (upper == QLatin1String("GETDATE")) {
        if (argc != 0) ArgCountError(name);
        return VarFromDateTime(Now());
    }
    if (upper == QLatin1String("DATE") || upper == QLatin1String("TIME")) {
        if (argc != 1) ArgCountError(name);
        evalArgs();
        if (args[0].IsNull() || args[0].IsEmpty()) return Null();
        const TDateTime d = VarToDateTime(args[0]);
        const double datePart = std::trunc(d);
        return VarFromDateTime(upper == QLatin1String("DATE") ? datePart : std::fabs(d - datePart));
    }
    throw Exception(Format(QStringLiteral("Unsupported function: %s"), {name}));
}

Variant TDataSetExprParserEh::EvalAggregate(const TExprNode* Node, const String& Name, Ctx& C) {
    const size_t argc = Node->Args.size();
    const bool countAll = Name == QLatin1String("COUNT") && argc == 0;
    if (!countAll && argc != 1) ArgCountError(Node->Name);
    if (!C.View) return Null();
    const int rows = C.View->AccountableItemsCount();
    if (countAll) return Variant(rows);
    // COUNT over no rows is 0; every other aggregate is Null.
    if (rows == 0) return Name == QLatin1String("COUNT") ? Variant(0) : Null();

    const TExprNode* arg = Node->Args[0].get();
    Ctx rowCtx;
    rowCtx.View = C.View;
    const bool isSum = Name == QLatin1String("SUM"), isAvg = Name == QLatin1String("AVG");
    const bool isMin = Name == QLatin1String("MIN"), isMax = Name == QLatin1String("MAX");
    Variant acc = isMin || isMax ? Null() : Variant(0);
    Int64 count = 0;
    // A plain column argument is read in place, without evaluating a node per row.
    int directPos = -1;
    if (arg->NodeClass == nodeFIELD) {
        TMemoryRecordEh* first = C.View->AccountableRecord(0);
        if (first->DataStruct()) directPos = first->DataStruct()->FieldIndex(arg->Name);
    }
    const Variant nullValue = Null();
    Variant evaluated;
    // A flat view's rows are read straight from its row list, fetching the record and value
    // array of later rows ahead: the rows of a sorted view are scattered in memory.
    const TMemRecListEh* flat =
        directPos >= 0 && !C.View->ViewAsTreeList() ? &C.View->ViewRecords() : nullptr;
    if (flat && int(flat->size()) != rows) flat = nullptr;
    // A sum of plain floats is kept as a double until another kind of value comes.
    double dsum = 0;
    bool inDsum = false;
    for (int i = 0; i < rows; ++i) {
        FAggrPos = i;
        const Variant* vp;
        if (flat) {
            const auto& list = *flat;
            if (size_t(i) + 16 < list.size()) __builtin_prefetch(list[size_t(i) + 16]);
            if (size_t(i) + 8 < list.size()) __builtin_prefetch(list[size_t(i) + 8]->Data().data());
            const TRecValuesEh& d = list[size_t(i)]->Data();
            vp = size_t(directPos) < d.size() ? &d[size_t(directPos)] : &nullValue;
        } else if (directPos >= 0) {
            const TRecValuesEh& d = C.View->AccountableRecord(i)->Data();
            vp = size_t(directPos) < d.size() ? &d[size_t(directPos)] : &nullValue;
        } else {
            evaluated = EvalNode(arg, rowCtx);
            vp = &evaluated;
        }
        const Variant& v = *vp;
        if (v.IsNull() || v.IsEmpty()) continue;
        if (isSum || isAvg) {
            if (!IsAggrNumber(v)) continue;
            if (inDsum && v.VType() == varDouble) {
                dsum += VariantAccess::Dbl(v);
                ++count;
                continue;
            }
            if (inDsum) {
                acc = Variant(dsum);
                inDsum = false;
            }
            if (count > 0 && acc.VType() == varDouble && v.VType() == varDouble) {
                dsum = VariantAccess::Dbl(acc) + VariantAccess::Dbl(v);
                inDsum = true;
            } else if (count == 0 && v.VType() == varDouble) {
                dsum = VariantAccess::Dbl(v);
                inDsum = true;
            } else {
                acc = count == 0 ? v : acc + v;
            }
            ++count;
        } else if (isMin || isMax) {
            // Both skip Nulls; texts compare with the user-locale comparison.
            if (acc.IsNull()) {
                acc = v;
                continue;
            }
            int cmp;
            if (IsText(v) || IsText(acc))
                cmp = CompareAsTexts(v, acc, false, 0);
            else
                cmp = v < acc ? -1 : (v > acc ? 1 : 0);
            if ((isMin && cmp < 0) || (isMax && cmp > 0)) acc = v;
        } else {
            ++count;
        }
    }
    if (inDsum) acc = Variant(dsum);
    if (Name == QLatin1String("COUNT")) return Variant(int(count));
    if (isAvg) {
        // The mean of the numeric values; no numeric value gives Null.
        if (count == 0) return Null();
        return Variant(acc.AsDouble() / double(count));
    }
    return acc;
}

// ---------------------------------------------------------------------------------------------
// LIKE

namespace {
int WildPosView(QStringView Text, QStringView Segment) {
    if (!Segment.contains(QLatin1Char('_'))) return int(Text.indexOf(Segment)) + 1;
    const int n = int(Text.size()), m = int(Segment.size());
    for (int p = 0; p + m <= n; ++p) {
        bool ok = true;
        for (int k = 0; k < m && ok; ++k)
            ok = Segment[k] == QLatin1Char('_') || Segment[k] == Text[p + k];
        if (ok) return p + 1;
    }
    return 0;
}
} // namespace

int TDataSetExprParserEh::WildPos(const String& Text, const String& Segment) {
    return WildPosView(Text, Segment);
}

namespace {
// Runs of wildcards around a "%" fold into one "%".
String CollapsePattern(const String& APattern) {
    String pattern = APattern;
    auto collapse = [&pattern](const char* from) {
        const QLatin1String f(from);
        while (pattern.contains(f))
            pattern.replace(f, QStringLiteral("%"));
    };
    collapse("%%");
    collapse("_%");
    collapse("%_");
    return pattern;
}

// A value against a folded pattern, both non-empty.
bool LikeCore(QStringView v, QStringView pv) {
    const int n = int(v.size()), m = int(pv.size());
    int i = 0, j = 0;
    while (i < n && j < m) {
        const QChar p = pv[j];
        // The wildcard is tested before equality, so a literal "%" in the value is not taken
        // for the pattern's wildcard.
        if (p == QLatin1Char('%')) {
            const int next = int(pv.indexOf(QLatin1Char('%'), j + 1));
            const QStringView segment = next < 0 ? pv.mid(j + 1) : pv.mid(j + 1, next - j - 1);
            if (next < 0) {
                if (segment.isEmpty()) return true;
                const int len = int(segment.size());
                // The last segment must fit in what is left of the value.
                if (n - i < len) return false;
                for (int k = 0; k < len; ++k)
                    if (segment[k] != QLatin1Char('_') && segment[k] != v[n - len + k]) return false;
                return true;
            }
            const int k = WildPosView(v.mid(i), segment);
            if (k == 0) return false;
            i += k - 1 + int(segment.size());
            j = next;
            continue;
        }
        if (p == QLatin1Char('_') || p == v[i]) {
            ++i;
            ++j;
            continue;
        }
        return false;
    }
    if (i < n) return false;
    // The value is used up: only a lone "%" may remain of the pattern.
    if (j < m) return j == m - 1 && pv[j] == QLatin1Char('%');
    return true;
}
} // namespace

bool TDataSetExprParserEh::LikeMatch(const String& AValue, const String& APattern, bool IgnoreCase) {
    if (AValue == APattern) return true;
    const String pattern = CollapsePattern(APattern);
    if (pattern == QLatin1String("%")) return true;
    if (pattern.isEmpty() || AValue.isEmpty()) return false;
    if (IgnoreCase) return LikeCore(AnsiUpperCase(AValue), AnsiUpperCase(pattern));
    return LikeCore(AValue, pattern);
}

bool TDataSetExprParserEh::EvalLike(const Variant& L, const Variant& R, bool IgnoreCase) {
    if (IgnoreCase || !IsText(R)) return LikeMatch(VarToStr(L), VarToStr(R), IgnoreCase);
    // A case-sensitive match reads a wide value in place and a single-byte value of ASCII
    // characters through a buffer on the stack, and folds the pattern once.
    const String& pattern = IsWideText(R) ? VariantAccess::Str(R) : (FLikeText = VarToStr(R));
    if (pattern.constData() != FLikePattern.constData() || pattern != FLikePattern) {
        FLikePattern = pattern;
        FLikeFolded = CollapsePattern(pattern);
    }
    char16_t buf[128];
    QStringView value;
    String converted;
    if (IsWideText(L)) {
        value = VariantAccess::Str(L);
    } else if (L.VType() == varString && VariantAccess::Ansi(L).size() <= qsizetype(std::size(buf))) {
        const AnsiString& a = VariantAccess::Ansi(L);
        bool ascii = true;
        for (qsizetype i = 0; i < a.size() && ascii; ++i) {
            ascii = static_cast<unsigned char>(a[i]) < 0x80;
            buf[i] = char16_t(static_cast<unsigned char>(a[i]));
        }
        if (ascii)
            value = QStringView(buf, a.size());
        else
            value = converted = VarToStr(L);
    } else {
        value = converted = VarToStr(L);
    }
    if (value == QStringView(pattern)) return true;
    if (FLikeFolded == QLatin1String("%")) return true;
    if (FLikeFolded.isEmpty() || value.isEmpty()) return false;
    return LikeCore(value, FLikeFolded);
}
