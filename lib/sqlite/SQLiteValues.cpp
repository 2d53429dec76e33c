// Values between SQLite and the data-set layer: binding parameters, reading columns, field types
// of declared column types, and ISO date-time texts.

#include "lib/sqlite/SQLiteInternal.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>

using namespace DBConsts;

namespace sqlite_detail {

// ---------------------------------------------------------------------------------------------
// Dates and times

namespace {
// TDateTime counts days from 1899-12-30, the Julian day number of which is 2415018.5.
constexpr double JulianDayOfZero = 2415018.5;

int BindText(sqlite3_stmt* Stmt, int Index, const String& Text) {
    const QByteArray utf8 = Text.toUtf8();
    return sqlite3_bind_text64(Stmt, Index, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                               SQLITE_UTF8);
}

int BindBytes(sqlite3_stmt* Stmt, int Index, const TBytes& Bytes) {
    // A zero-length blob must stay a blob, not become NULL.
    if (Bytes.empty()) return sqlite3_bind_zeroblob(Stmt, Index, 0);
    return sqlite3_bind_blob64(Stmt, Index, Bytes.data(), sqlite3_uint64(Bytes.size()), SQLITE_TRANSIENT);
}

String FormatFraction(Word ms) {
    return ms ? QStringLiteral(".%1").arg(ms, 3, 10, QChar(u'0')) : String();
}
} // namespace

String DateTimeToIso(TDateTime Value, TFieldType DataType) {
    Word y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    DecodeDate(Value, y, mo, d);
    DecodeTime(Value, h, mi, s, ms);
    const String date = QStringLiteral("%1-%2-%3")
                            .arg(y, 4, 10, QChar(u'0'))
                            .arg(mo, 2, 10, QChar(u'0'))
                            .arg(d, 2, 10, QChar(u'0'));
    const String time = QStringLiteral("%1:%2:%3")
                            .arg(h, 2, 10, QChar(u'0'))
                            .arg(mi, 2, 10, QChar(u'0'))
                            .arg(s, 2, 10, QChar(u'0')) +
                        FormatFraction(ms);
    if (DataType == ftDate) return date;
    if (DataType == ftTime) return time;
    return date + u' ' + time;
}

bool TryIsoToDateTime(const String& Text, TDateTime& Value) {
    // "YYYY-MM-DD", optionally followed by " " or "T" and a time; or a time alone. A trailing
    // "Z" is accepted (SQLite's own functions write UTC texts without it).
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(?:(\d{4})-(\d{1,2})-(\d{1,2}))?(?:(?:^|\s+|T)(\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,9}))?)?)?\s*Z?\s*$)"));
    const QRegularExpressionMatch m = re.match(Text);
    if (!m.hasMatch() || (m.capturedLength(1) == 0 && m.capturedLength(4) == 0)) return false;
    TDateTime date = 0, time = 0;
    if (m.capturedLength(1) > 0 && !TryEncodeDate(Word(m.captured(1).toInt()), Word(m.captured(2).toInt()),
                                                  Word(m.captured(3).toInt()), date))
        return false;
    if (m.capturedLength(4) > 0) {
        Word ms = 0;
        if (m.capturedLength(7) > 0) ms = Word(m.captured(7).left(3).leftJustified(3, u'0').toInt());
        if (!TryEncodeTime(Word(m.captured(4).toInt()), Word(m.captured(5).toInt()),
                           Word(m.captured(6).toInt()), ms, time))
            return false;
    }
    // Before 1899-12-30 the time part counts away from zero.
    Value = date < 0 ? date - time : date + time;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Binding

int BindValue(sqlite3_stmt* Stmt, int Index, const TSQLiteBindValue& Bind) {
    const Variant& v = Bind.Value;
    if (v.IsNull() || v.IsEmpty()) return sqlite3_bind_null(Stmt, Index);
    switch (Bind.DataType) {
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
        return BindText(Stmt, Index, DateTimeToIso(v.AsDateTime(), Bind.DataType));
    case ftBoolean:
        return sqlite3_bind_int(Stmt, Index, v.AsBoolean() ? 1 : 0);
    case ftBlob:
    case ftGraphic:
    case ftBytes:
    case ftVarBytes:
        return BindBytes(Stmt, Index, VarToBytes(v));
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
    case ftAutoInc:
    case ftShortint:
    case ftByte:
    case ftLongWord:
        return sqlite3_bind_int64(Stmt, Index, v.AsInt64());
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
    case ftExtended:
    case ftSingle:
        return sqlite3_bind_double(Stmt, Index, v.AsDouble());
    case ftString:
    case ftWideString:
    case ftFixedChar:
    case ftFixedWideChar:
    case ftMemo:
    case ftWideMemo:
        return BindText(Stmt, Index, VarToStr(v));
    default:
        break;
    }
    const TVarType t = v.VType();
    if (v.IsArray()) return BindBytes(Stmt, Index, VarToBytes(v));
    switch (t) {
    case varBoolean:
        return sqlite3_bind_int(Stmt, Index, v.AsBoolean() ? 1 : 0);
    case varDate:
        return BindText(Stmt, Index, DateTimeToIso(v.AsDateTime(), ftDateTime));
    case varSingle:
    case varDouble:
    case varCurrency:
        return sqlite3_bind_double(Stmt, Index, v.AsDouble());
    case varUInt64:
        if (v.AsUInt64() > UInt64(std::numeric_limits<Int64>::max()))
            return sqlite3_bind_double(Stmt, Index, double(v.AsUInt64()));
        return sqlite3_bind_int64(Stmt, Index, Int64(v.AsUInt64()));
    default:
        if (VarIsOrdinal(v)) return sqlite3_bind_int64(Stmt, Index, v.AsInt64());
        return BindText(Stmt, Index, VarToStr(v));
    }
}

// ---------------------------------------------------------------------------------------------
// Reading

Variant RawColumnValue(sqlite3_stmt* Stmt, int Col) {
    switch (sqlite3_column_type(Stmt, Col)) {
    case SQLITE_INTEGER:
        return Variant(static_cast<long long>(sqlite3_column_int64(Stmt, Col)));
    case SQLITE_FLOAT:
        return Variant(sqlite3_column_double(Stmt, Col));
    case SQLITE_TEXT: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(Stmt, Col));
        return Variant(String::fromUtf8(p, sqlite3_column_bytes(Stmt, Col)));
    }
    case SQLITE_BLOB: {
        const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(Stmt, Col));
        const int n = sqlite3_column_bytes(Stmt, Col);
        return Variant(p ? TBytes(p, p + n) : TBytes());
    }
    default:
        return Null();
    }
}

namespace {
// "NAME(a, b)" → base "NAME", arguments a and b (-1 when absent).
void SplitDecl(const String& DeclType, String& Base, int& Arg1, int& Arg2) {
    const String decl = DeclType.trimmed().toUpper();
    const qsizetype open = decl.indexOf(u'(');
    Base = (open < 0 ? decl : decl.left(open)).simplified();
    Arg1 = Arg2 = -1;
    if (open < 0) return;
    const qsizetype close = decl.indexOf(u')', open);
    const QStringList args = decl.mid(open + 1, close < 0 ? -1 : close - open - 1).split(u',');
    bool ok = false;
    if (args.size() > 0) {
        const int a = args[0].trimmed().toInt(&ok);
        if (ok) Arg1 = a;
    }
    if (args.size() > 1) {
        const int b = args[1].trimmed().toInt(&ok);
        if (ok) Arg2 = b;
    }
}
} // namespace

bool FieldTypeOfDecl(const String& DeclType, TSQLiteColumn& Column) {
    String base;
    int a1 = -1, a2 = -1;
    SplitDecl(DeclType, base, a1, a2);
    Column.Size = 0;
    Column.Precision = 0;
    if (base.isEmpty()) return false;
    if (base.contains(u"BOOL")) {
        Column.DataType = ftBoolean;
    } else if (base == u"DATE" || base.startsWith(u"DATETIME") || base.startsWith(u"TIMESTAMP")) {
        Column.DataType = ftDateTime;
    } else if (base == u"TIME") {
        Column.DataType = ftTime;
    } else if (base == u"NUMERIC" || base == u"DECIMAL") {
        // Up to four decimals and eighteen digits fit the platform's BCD field exactly.
        const int scale = a2 < 0 ? 0 : a2;
        if (a1 > 0 && a1 <= 18 && scale <= 4) {
            Column.DataType = ftBCD;
            Column.Size = scale;
            Column.Precision = a1;
        } else {
            Column.DataType = ftFloat;
        }
    } else if (base.contains(u"INT")) {
        // SQLite's INTEGER is 64 bits wide; the narrower names keep the platform's Integer.
        Column.DataType =
            base == u"INTEGER" || base == u"BIGINT" || base == u"INT8" || base == u"UNSIGNED BIG INT"
                ? ftLargeint
                : ftInteger;
    } else if (base.contains(u"CHAR") || base.contains(u"CLOB") || base.contains(u"TEXT")) {
        Column.DataType = ftWideString;
        Column.Size = a1 > 0 ? a1 : 0;
    } else if (base.contains(u"BLOB")) {
        Column.DataType = ftBlob;
    } else {
        // REAL, FLOAT, DOUBLE and the other names of numeric affinity.
        Column.DataType = ftFloat;
    }
    return true;
}

void FieldTypeOfValue(const Variant& Raw, TSQLiteColumn& Column) {
    Column.Size = 0;
    Column.Precision = 0;
    switch (Raw.VType()) {
    case varInt64:
        Column.DataType = ftLargeint;
        break;
    case varDouble:
        Column.DataType = ftFloat;
        break;
    default:
        Column.DataType = Raw.IsArray() ? ftBlob : ftWideString;
        break;
    }
}

namespace {
[[noreturn]] void BadValue(const char* Format_, const Variant& Raw, const TSQLiteColumn& Column) {
    DatabaseErrorFmt(String::fromLatin1(Format_), {VarToStr(Raw), Column.Name});
}

String RawText(const Variant& Raw) {
    if (Raw.IsArray()) {
        const TBytes b = VarToBytes(Raw);
        return String::fromUtf8(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
    }
    if (Raw.VType() == varDouble) return String::number(Raw.AsDouble(), 'g', QLocale::FloatingPointShortest);
    return VarToStr(Raw);
}

bool TextToDouble(const String& Text, double& Value) {
    bool ok = false;
    Value = Text.trimmed().toDouble(&ok); // SQLite writes numbers with "." whatever the locale
    return ok;
}

Variant ToInteger(const Variant& Raw, const TSQLiteColumn& Column) {
    Int64 v = 0;
    if (Raw.VType() == varInt64) {
        v = Raw.AsInt64();
    } else if (Raw.VType() == varDouble) {
        const double d = Raw.AsDouble();
        if (d != std::trunc(d) || !(std::fabs(d) < 9.2e18)) BadValue(SInvalidIntegerValue, Raw, Column);
        v = Int64(d);
    } else {
        bool ok = false;
        v = RawText(Raw).trimmed().toLongLong(&ok);
        if (!ok) BadValue(SInvalidIntegerValue, Raw, Column);
    }
    if (Column.DataType == ftLargeint) return Variant(static_cast<long long>(v));
    if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max())
        BadValue(SInvalidIntegerValue, Raw, Column);
    return Variant(Integer(v));
}

double ToDouble(const Variant& Raw, const TSQLiteColumn& Column) {
    if (Raw.VType() == varInt64) return double(Raw.AsInt64());
    if (Raw.VType() == varDouble) return Raw.AsDouble();
    double d = 0;
    if (!TextToDouble(RawText(Raw), d)) BadValue(SInvalidFloatValue, Raw, Column);
    return d;
}
} // namespace

Variant ConvertValue(const Variant& Raw, const TSQLiteColumn& Column) {
    if (Raw.IsNull() || Raw.IsEmpty()) return Null();
    switch (Column.DataType) {
    case ftLargeint:
    case ftInteger:
        return ToInteger(Raw, Column);
    case ftFloat:
        return Variant(ToDouble(Raw, Column));
    case ftBCD:
        if (Raw.VType() == varInt64) return Variant(Currency(Raw.AsInt64()));
        return Variant(Currency(ToDouble(Raw, Column)));
    case ftBoolean: {
        if (Raw.VType() == varInt64 || Raw.VType() == varDouble) return Variant(Raw.AsDouble() != 0);
        const String t = RawText(Raw).trimmed().toLower();
        if (t == u"1" || t == u"true" || t == u"t" || t == u"yes") return Variant(true);
        if (t == u"0" || t == u"false" || t == u"f" || t == u"no") return Variant(false);
        BadValue(SInvalidBoolValue, Raw, Column);
    }
    case ftDateTime:
    case ftTime: {
        // Numbers are Julian day numbers, as SQLite's date functions read them.
        if (Raw.VType() == varInt64 || Raw.VType() == varDouble)
            return Variant::FromDate(Raw.AsDouble() - JulianDayOfZero);
        TDateTime d = 0;
        if (!TryIsoToDateTime(RawText(Raw), d)) BadValue(SNotValidValue, Raw, Column);
        return Variant::FromDate(d);
    }
    case ftBlob:
        if (Raw.IsArray()) return Raw;
        {
            const QByteArray utf8 = RawText(Raw).toUtf8();
            return Variant(TBytes(utf8.begin(), utf8.end()));
        }
    default:
        return Variant(RawText(Raw));
    }
}

} // namespace sqlite_detail
