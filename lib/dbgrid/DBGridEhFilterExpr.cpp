// The filter-cell parser. A hand-written recursive reader: the grammar is tiny, but its value
// rules are unusual (bare values keep inner blanks and end only where an operator follows), so a
// general tokenizer would not fit. Positions are 0-based indexes into the trimmed text.

#include "lib/dbgrid/DBGridEhFilterExpr.h"

#include "platform/rtl/SysUtils.h"

#include <cassert>
#include <vector>

const char* const STFilterOperatorText[STFilterOperatorCount] = {
    "",   "=",   "<>",   ">",    "<",   ">=", "<=", "~",    "!~",
    "In", "!In", "Null", "Null", "AND", "OR", "",   "Null", "Null"};

const char* const STFilterOperatorSQLText[STFilterOperatorCount] = {
    "",   "=",      "<>",      ">",           "<",   ">=", "<=", "LIKE",   "NOT LIKE",
    "IN", "NOT IN", "IS NULL", "IS NOT NULL", "AND", "OR", "",   "= NULL", "<> NULL"};

const TSTFilterDefaultOperatorMapEh STFilterDefaultOperatorMap[int(fdoDoesntContain) + 1] = {
    {foNon, false, false},      // fdoAuto
    {foEqual, false, false},    // fdoEqual
    {foNotEqual, false, false}, // fdoNotEqual
    {foGreaterThan, false, false}, {foLessThan, false, false}, {foGreaterOrEqual, false, false},
    {foLessOrEqual, false, false}, {foLike, false, false},     {foNotLike, false, false},
    {foIn, false, false},          {foNotIn, false, false},    {foLike, false, true}, // fdoBeginsWith
    {foNotLike, false, true},                                                         // fdoDoesntBeginWith
    {foLike, true, false},                                                            // fdoEndsWith
    {foNotLike, true, false},                                                         // fdoDoesntEndWith
    {foLike, true, true},                                                             // fdoContains
    {foNotLike, true, true}};                                                         // fdoDoesntContain

void ClearSTFilterExpression(TSTFilterExpressionEh& Expression) {
    Expression.Operator1 = foNon;
    Expression.Operand1 = Null();
    Expression.Relation = foNon;
    Expression.Operator2 = foNon;
    Expression.Operand2 = Null();
}

TSTOperandTypeEh FieldTypeToSTOperandType(TFieldType FieldType) {
    switch (FieldType) {
    case ftString:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor:
    case ftFixedChar:
    case ftWideString:
    case ftADT:
    case ftArray:
    case ftOraBlob:
    case ftOraClob:
    case ftVariant:
    case ftGuid:
    case ftFixedWideChar:
    case ftWideMemo:
    case ftOraInterval:
        return botString;
    // ftSingle holds numbers like ftFloat; leaving it out would accept a typed filter and drop it.
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
        return botNumber;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
        return botDateTime;
    case ftBoolean:
        return botBoolean;
    default:
        return botNon;
    }
}

namespace {

bool IsRelation(int code) {
    return code == foAND || code == foOR;
}
bool IsComparison(int code) {
    return code >= foEqual && code <= foNotIn;
}
bool IsListOperator(int code) {
    return code == foIn || code == foNotIn;
}

// A token: an operator code (0 = none) and, for values and value lists, the value read.
struct FilterToken {
    int Code = 0;
    bool HasValue = false;
    Variant Value;
};

class FilterTextReader {
public:
    explicit FilterTextReader(const String& text) : S(text) {}

    bool AllowLists = true;
    int P = 0;

    [[noreturn]] void Fail(const char* message) const { throw Exception(String::fromUtf8(message) + S); }

    void SkipBlanks(int& pos) const {
        while (pos < S.size() && S[pos] == u' ')
            ++pos;
    }
    bool AtEnd() {
        int pos = P;
        SkipBlanks(pos);
        return pos >= S.size();
    }
    // Consumes a ")" after blanks; answers whether there was one.
    bool TakeClosingBracket() {
        int pos = P;
        SkipBlanks(pos);
        if (pos < S.size() && S[pos] == u')') {
            P = pos + 1;
            return true;
        }
        return false;
    }

    FilterToken Read() { return ReadToken(P, false); }

private:
    const String& S;

    static bool IsWordDelimiter(QChar c) {
        if (c.unicode() <= u' ' || c == u'"') return true;
        switch (c.unicode()) {
        case u'!':
        case u'&':
        case u'\'':
        case u'(':
        case u')':
        case u'+':
        case u',':
        case u'-':
        case u'.':
        case u'<':
        case u'=':
        case u'>':
        case u'~':
        case u'|':
            return true;
        default:
            return false;
        }
    }

    enum { kwNone = 0, kwNot = 100 };
    static int KeywordOperator(const String& word) {
        const String w = UpperCase(word);
        if (w == u"NOT") return kwNot;
        if (w == u"AND") return foAND;
        if (w == u"OR") return foOR;
        if (w == u"LIKE") return foLike;
        if (w == u"IN") return foIn;
        if (w == u"NULL") return foNull;
        return kwNone;
    }

    // "!" or NOT followed by LIKE, IN or NULL negates it; followed by anything else it is no token.
    static int Negated(int code) {
        switch (code) {
        case foLike:
            return foNotLike;
        case foIn:
            return foNotIn;
        case foNull:
            return foNotNull;
        default:
            return 0;
        }
    }

    // Reads one token at pos. With peek, nothing fails and values are not read (only their code
    // is answered), so that a bare value can look ahead for the operator that ends it.
    FilterToken ReadToken(int& pos, bool peek) {
        FilterToken t;
        SkipBlanks(pos);
        if (pos >= S.size()) return t;
        const QChar c = S[pos];
        const QChar next = pos + 1 < S.size() ? S[pos + 1] : QChar();
        switch (c.unicode()) {
        case u'=':
            t.Code = foEqual;
            ++pos;
            return t;
        case u'<':
            if (next == u'>')
                t.Code = foNotEqual, pos += 2;
            else if (next == u'=')
                t.Code = foLessOrEqual, pos += 2;
            else
                t.Code = foLessThan, ++pos;
            return t;
        case u'>':
            if (next == u'=')
                t.Code = foGreaterOrEqual, pos += 2;
            else
                t.Code = foGreaterThan, ++pos;
            return t;
        case u'!':
            if (next == u'=') {
                t.Code = foNotEqual;
                pos += 2;
                return t;
            }
            ++pos;
            t.Code = Negated(ReadToken(pos, peek).Code);
            return t;
        case u'~':
            t.Code = foLike;
            ++pos;
            return t;
        case u'&':
            t.Code = foAND;
            ++pos;
            return t;
        case u'|':
            t.Code = foOR;
            ++pos;
            return t;
        case u'(':
            return t;
        case u'\'':
            if (peek) {
                t.Code = foValue;
                return t;
            }
            return ReadValueList(pos);
        default:
            break;
        }
        int end = pos;
        while (end < S.size() && !IsWordDelimiter(S[end]))
            ++end;
        const int kw = end > pos ? KeywordOperator(S.mid(pos, end - pos)) : kwNone;
        if (kw == kwNot) {
            pos = end;
            t.Code = Negated(ReadToken(pos, peek).Code);
            return t;
        }
        if (kw == foIn) {
            int p = end;
            SkipBlanks(p);
            if (p < S.size() && S[p] == u'(') {
                pos = p + 1;
                t.Code = foIn;
                return t;
            }
            if (peek) return t;
            Fail(STFilterErrorsEh::SLeftBracketExpected);
        }
        if (kw != kwNone) {
            pos = end;
            t.Code = kw;
            return t;
        }
        // A bare value; one that is empty (a ")" or "," right here) is no token.
        if (peek) {
            t.Code = foValue;
            return t;
        }
        return ReadValueList(pos);
    }

    // One value: quoted, or bare up to "(", ")", a "," while lists are allowed, a blank followed by
    // an operator, or the end. Answers false for an empty bare value.
    bool ReadValue(int& pos, String& value) {
        value.clear();
        if (pos < S.size() && S[pos] == u'\'') {
            int p = pos + 1;
            for (;;) {
                const int q = S.indexOf(u'\'', p);
                if (q < 0) Fail(STFilterErrorsEh::SQuoteIsAbsent);
                value += S.mid(p, q - p);
                if (q + 1 < S.size() && S[q + 1] == u'\'') {
                    value += u'\'';
                    p = q + 2;
                    continue;
                }
                pos = q + 1;
                return true;
            }
        }
        const int start = pos;
        while (pos < S.size()) {
            const QChar c = S[pos];
            if (c == u'(' || c == u')' || (AllowLists && c == u',')) break;
            if (c == u' ') {
                int p = pos;
                const int code = ReadToken(p, true).Code;
                if (code >= foEqual && code <= foOR) break;
            }
            ++pos;
        }
        value = S.mid(start, pos - start);
        return pos > start;
    }

    FilterToken ReadValueList(int& pos) {
        FilterToken t;
        std::vector<Variant> values;
        String v;
        if (!ReadValue(pos, v) && !(AllowLists && pos < S.size() && S[pos] == u',')) return t;
        values.push_back(v);
        for (;;) {
            if (!AllowLists) break;
            int p = pos;
            // Blanks may stand between a quoted element and its comma.
            if (p > 0 && S[p - 1] == u'\'') SkipBlanks(p);
            if (p >= S.size() || S[p] != u',') break;
            pos = p + 1;
            // A quoted element may stand after blanks; a bare one keeps its leading blanks.
            int q = pos;
            SkipBlanks(q);
            if (q < S.size() && S[q] == u'\'') pos = q;
            ReadValue(pos, v);
            values.push_back(v);
        }
        t.HasValue = true;
        if (values.size() == 1) {
            t.Code = foValue;
            t.Value = values.front();
        } else {
            t.Code = foIn;
            t.Value = VarArrayOf(values);
        }
        return t;
    }
};

Variant WithWildcards(const Variant& value, bool before, bool after) {
    if (!before && !after) return value;
    if (VarIsArray(value)) {
        Variant result = value;
        for (Integer i = VarArrayLowBound(value, 1); i <= VarArrayHighBound(value, 1); ++i)
            result.ArrayPut({i}, WithWildcards(value[i], before, after));
        return result;
    }
    String s = VarToStr(value);
    if (s.startsWith(u'%')) return value;
    if (after) s += u'%';
    if (before) s.prepend(u'%');
    return s;
}

Variant ConvertOperandValue(const Variant& value, TSTOperandTypeEh type) {
    if (VarIsArray(value)) {
        Variant result = value;
        for (Integer i = VarArrayLowBound(value, 1); i <= VarArrayHighBound(value, 1); ++i)
            result.ArrayPut({i}, ConvertOperandValue(value[i], type));
        return result;
    }
    if (!VarIsStr(value)) return value;
    const String s = value.AsString();
    switch (type) {
    case botNumber:
        return Double(StrToFloat(s));
    case botDateTime:
        if (UpperCase(Trim(s)) == u"NOW") return value;
        return Variant::FromDate(StrToDateTime(Trim(s)));
    default:
        return value;
    }
}

void ConvertFilterOperand(TSTFilterOperatorEh op, Variant& operand, TSTOperandTypeEh type) {
    if (IsComparison(op))
        operand = ConvertOperandValue(operand, type);
    else
        operand = Null();
}

void SetWholeTextAsLikeFilter(TSTFilterExpressionEh& e, const String& text) {
    e.Operator1 = foLike;
    e.Operand1 = text;
    e.Relation = foNon;
    e.Operator2 = foNon;
    e.Operand2 = Null();
}

} // namespace

void ParseSTFilterExpression(const String& Text, TSTFilterExpressionEh& Expression,
                             TSTFilterDefaultOperatorEh DefaultOperator) {
    using namespace STFilterErrorsEh;
    TSTFilterExpressionEh& e = Expression;
    const bool listsAllowed = !(e.ExpressionType == botNumber && FormatSettings().DecimalSeparator == u',');
    ClearSTFilterExpression(e);
    const String s = Trim(Text);
    if (s.isEmpty()) return;
    FilterTextReader r(s);
    r.AllowLists = listsAllowed;

    // First condition.
    FilterToken t = r.Read();
    // A relation cannot open the text: "OR x" would otherwise become a condition with no operand.
    if (t.Code == 0 || IsRelation(t.Code)) r.Fail(SErrorInExpression);
    if (t.HasValue) {
        const auto& map = STFilterDefaultOperatorMap[DefaultOperator];
        if (DefaultOperator == fdoAuto)
            e.Operator1 = t.Code == foIn ? foIn : e.ExpressionType == botString ? foLike : foEqual;
        else
            e.Operator1 = map.Operator;
        e.Operand1 = WithWildcards(t.Value, map.PercentBefore, map.PercentAfter);
    } else {
        e.Operator1 = TSTFilterOperatorEh(t.Code);
        if (IsListOperator(t.Code)) r.AllowLists = true;
        const FilterToken o = r.Read();
        if (o.Code == foNull && !o.HasValue) {
            if (e.Operator1 == foEqual)
                e.Operator1 = foNull;
            else if (e.Operator1 == foNotEqual)
                e.Operator1 = foNotNull;
            else {
                SetWholeTextAsLikeFilter(e, s);
                return;
            }
        } else if (o.HasValue) {
            e.Operand1 = o.Value;
        } else {
            r.Fail(SUnexpectedExpressionAfterOperator);
        }
        if (IsListOperator(e.Operator1)) {
            if (!r.TakeClosingBracket()) {
                SetWholeTextAsLikeFilter(e, s);
                return;
            }
            r.AllowLists = listsAllowed;
        }
    }

    // Relation and second condition.
    t = r.Read();
    if (t.Code == 0) {
        if (!r.AtEnd()) {
            SetWholeTextAsLikeFilter(e, s);
            return;
        }
    } else {
        if (t.HasValue || !IsRelation(t.Code)) r.Fail(SUnexpectedANDorOR);
        e.Relation = TSTFilterOperatorEh(t.Code);
        t = r.Read();
        if (t.Code == 0) {
            if (!r.AtEnd()) r.Fail(SIncorrectExpression);
        } else if (t.HasValue) {
            e.Operator2 = t.Code == foIn ? foIn : e.ExpressionType == botString ? foLike : foEqual;
            e.Operand2 = t.Value;
        } else {
            if (IsRelation(t.Code)) r.Fail(SErrorInExpression);
            e.Operator2 = TSTFilterOperatorEh(t.Code);
            if (IsListOperator(t.Code)) r.AllowLists = true;
            const FilterToken o = r.Read();
            if (o.Code == foNull && !o.HasValue) {
                if (e.Operator2 == foEqual)
                    e.Operator2 = foNull;
                else if (e.Operator2 == foNotEqual)
                    e.Operator2 = foNotNull;
                else
                    r.Fail(SUnexpectedExpressionBeforeNull);
            } else if (o.HasValue) {
                e.Operand2 = o.Value;
            } else {
                r.Fail(SUnexpectedExpressionAfterOperator);
            }
        }
        // There is no third condition: text left over would otherwise be dropped silently.
        if (IsListOperator(e.Operator2)) r.TakeClosingBracket();
        if (!r.AtEnd()) r.Fail(SIncorrectExpression);
        if (e.Operator2 == foNon) r.Fail(SErrorInExpression);
    }

    ConvertFilterOperand(e.Operator1, e.Operand1, e.ExpressionType);
    ConvertFilterOperand(e.Operator2, e.Operand2, e.ExpressionType);
}

namespace {

String QuotedFilterText(const String& s) {
    String q = s;
    q.replace(QChar(u'\''), QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

String ValueText(const Variant& value, bool inList) {
    if (VarIsFloat(value)) {
        const String s = FloatToStr(value.AsExtended());
        // In a list a decimal comma would split the number into two elements.
        return inList && s.contains(u',') ? QuotedFilterText(s) : s;
    }
    if (VarType(value) == varDate) {
        // DateTimeToStr keeps the time unless it is midnight, so the text reads back unchanged.
        const String s = DateTimeToStr(value.AsDateTime());
        return inList && s.contains(u',') ? QuotedFilterText(s) : s;
    }
    return QuotedFilterText(VarToStr(value));
}

} // namespace

String STFilterValueAsText(const Variant& Value) {
    return ValueText(Value, false);
}

String STFilterOperatorAsText(TSTFilterOperatorEh Operator, const Variant& Operand) {
    switch (Operator) {
    case foNon:
        return String();
    case foNull:
    case foEqualToNull:
        return u"=Null"_qs;
    case foNotNull:
    case foNotEqualToNull:
        return u"<>Null"_qs;
    case foIn:
    case foNotIn: {
        String list;
        if (VarIsArray(Operand)) {
            for (Integer i = VarArrayLowBound(Operand, 1); i <= VarArrayHighBound(Operand, 1); ++i) {
                if (!list.isEmpty()) list += u',';
                list += ValueText(Operand[i], true);
            }
        } else {
            list = ValueText(Operand, true);
        }
        return String::fromUtf8(STFilterOperatorText[Operator]) + QStringLiteral(" (") + list + QChar(u')');
    }
    default:
        return String::fromUtf8(STFilterOperatorText[Operator]) + QChar(u' ') + STFilterValueAsText(Operand);
    }
}

String STFilterExpressionAsText(const TSTFilterExpressionEh& Expression) {
    const auto& e = Expression;
    if (e.ExpressionType == botNon || e.Operator1 == foNon) return String();
    String s = STFilterOperatorAsText(e.Operator1, e.Operand1);
    if (e.Relation == foAND || e.Relation == foOR)
        s += u' ' + String::fromUtf8(STFilterOperatorText[e.Relation]) + u' ' +
             STFilterOperatorAsText(e.Operator2, e.Operand2);
    return s;
}
