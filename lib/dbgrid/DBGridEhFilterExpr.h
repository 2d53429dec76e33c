#pragma once
// Column filter conditions: the record that holds one or two comparisons of a column's value,
// the parser of the text a user types into a filter cell, and the text form a condition is shown
// in again. The shown text parses back to the same condition (quotes doubled, date-times keep
// their time), so a filter cell can be edited and re-applied without loss.

#include "platform/db/DBTypes.h"
#include "platform/rtl/Variant.h"

enum TSTFilterOperatorEh {
    foNon,
    foEqual,
    foNotEqual,
    foGreaterThan,
    foLessThan,
    foGreaterOrEqual,
    foLessOrEqual,
    foLike,
    foNotLike,
    foIn,
    foNotIn,
    foNull,
    foNotNull,
    foAND,
    foOR,
    foValue,
    foEqualToNull,
    foNotEqualToNull
};
constexpr int STFilterOperatorCount = int(foNotEqualToNull) + 1;

enum TSTOperandTypeEh { botNon, botString, botNumber, botDateTime, botBoolean };

enum TSTFilterDefaultOperatorEh {
    fdoAuto,
    fdoEqual,
    fdoNotEqual,
    fdoGreaterThan,
    fdoLessThan,
    fdoGreaterOrEqual,
    fdoLessOrEqual,
    fdoLike,
    fdoNotLike,
    fdoIn,
    fdoNotIn,
    fdoBeginsWith,
    fdoDoesntBeginWith,
    fdoEndsWith,
    fdoDoesntEndWith,
    fdoContains,
    fdoDoesntContain
};

struct TSTFilterExpressionEh {
    TSTOperandTypeEh ExpressionType = botNon;
    TSTFilterOperatorEh Operator1 = foNon;
    Variant Operand1 = Null();
    TSTFilterOperatorEh Relation = foNon;
    TSTFilterOperatorEh Operator2 = foNon;
    Variant Operand2 = Null();
};

// Display and filter-string texts of each operator, indexed by the operator.
extern const char* const STFilterOperatorText[STFilterOperatorCount];
extern const char* const STFilterOperatorSQLText[STFilterOperatorCount];

struct TSTFilterDefaultOperatorMapEh {
    TSTFilterOperatorEh Operator;
    bool PercentBefore; // "%" + value
    bool PercentAfter;  // value + "%"
};
// fdoAuto maps to foNon here: its operator depends on the value and the column (see the parser).
extern const TSTFilterDefaultOperatorMapEh STFilterDefaultOperatorMap[int(fdoDoesntContain) + 1];

// Error texts of the parser; each is followed directly by the whole trimmed filter text.
namespace STFilterErrorsEh {
inline const char* const SQuoteIsAbsent = "Отсутствует кавычка: ";
inline const char* const SLeftBracketExpected = "'(' пропущена: ";
inline const char* const SErrorInExpression = "Ошибка в выражении: ";
inline const char* const SUnexpectedExpressionBeforeNull = "Пропущено выражение перед Null: ";
inline const char* const SUnexpectedExpressionAfterOperator = "Пропущено выражение после оператора: ";
inline const char* const SIncorrectExpression = "Неверное выражение: ";
inline const char* const SUnexpectedANDorOR = "Пропущен AND или OR: ";
} // namespace STFilterErrorsEh

void ClearSTFilterExpression(TSTFilterExpressionEh& Expression);

TSTOperandTypeEh FieldTypeToSTOperandType(TFieldType FieldType);

// Fills Expression from Text. Expression.ExpressionType must be set by the caller. Raises an
// Exception with one of the messages above on malformed text, or the conversion error of
// StrToFloat / StrToDateTime when an operand does not convert to the expression's type; the
// expression then holds what was parsed before the failure, so callers parse into a copy.
void ParseSTFilterExpression(const String& Text, TSTFilterExpressionEh& Expression,
                             TSTFilterDefaultOperatorEh DefaultOperator = fdoAuto);

// The text of one value as the filter text shows it: a float by FloatToStr, a date-time by the
// short date format (with the time when it has one), anything else in single quotes.
String STFilterValueAsText(const Variant& Value);
// The text of one condition ("= 5", "~ 'ab%'", "=Null", "In ('a','b')").
String STFilterOperatorAsText(TSTFilterOperatorEh Operator, const Variant& Operand);
// The text of the whole expression; empty when nothing is filtered.
String STFilterExpressionAsText(const TSTFilterExpressionEh& Expression);
