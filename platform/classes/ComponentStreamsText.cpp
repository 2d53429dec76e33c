// The text form of component streams (form files) and its conversion to and from the binary form.

#include "platform/classes/ComponentStreams.h"

#include "platform/classes/ComponentStreamsValues.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/SysUtils.h"

#include <QtEndian>

#include <cassert>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {

constexpr int LineLength = 64;   // characters of a string per text line
constexpr int BytesPerLine = 32; // bytes of binary data per text line
constexpr int MaxNesting = 256;

// Floats are written in the shortest form that reads back to the same bits, with "." as the
// separator whatever the locale, and the platform's exponent form ("1E20", "1.5E-7"). A value
// that is exactly a double is written as the double's shortest digits (at most 17 significant
// digits), any other extended value with 21 significant digits; the reader tells the two apart
// by the digit count (see ParseFloatText), so both come back bit-exact. Infinities and NaN are
// written as INF, -INF and NAN, which the reader accepts.
QString PlatformFloatText(const char* first, const char* last) {
    QString s = QString::fromLatin1(first, int(last - first));
    const int e = s.indexOf(QLatin1Char('e'));
    if (e < 0) return s;
    QString exp = s.mid(e + 1);
    const bool neg = exp.startsWith(QLatin1Char('-'));
    if (neg || exp.startsWith(QLatin1Char('+'))) exp.remove(0, 1);
    while (exp.size() > 1 && exp.startsWith(QLatin1Char('0')))
        exp.remove(0, 1);
    return s.left(e) + QLatin1Char('E') + (neg ? QStringLiteral("-") : QString()) + exp;
}

template <class F> QString NonFiniteText(F v) {
    if (std::isnan(v)) return QStringLiteral("NAN");
    return v < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// Shortest round-trip text of a float or double (typed values: singles and dates).
template <class F> QString ShortestText(F v) {
    if (!std::isfinite(v)) return NonFiniteText(v);
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return PlatformFloatText(buf, r.ptr);
}

locale_t CLocale() {
    static const locale_t l = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return l;
}

// The value of a float token (sign, digits, optional fraction and exponent, or INF / NAN) in
// the C locale. Up to 17 significant digits name the nearest double, so that the shortest
// digits of a double bring back that double and not the extended value nearest to them; more
// digits are read as an extended value. In the exponent form trailing zeros count (the writer
// gives extended values 21 digits even where they end in zeros, as for 1E26, which no double
// holds); in the plain form they do not, so that files with 18 fixed decimals still name
// doubles. Text that no double holds (1E400, 1E-400) is read as an extended value too.
long double ParseFloatText(const QByteArray& t) {
    const bool neg = t.startsWith('-');
    const QByteArray body = t.startsWith('-') || t.startsWith('+') ? t.mid(1) : t;
    if (body == "INF")
        return neg ? -std::numeric_limits<long double>::infinity()
                   : std::numeric_limits<long double>::infinity();
    if (body == "NAN") return std::numeric_limits<long double>::quiet_NaN();
    int first = -1, last = -1, n = 0;
    bool exponent = false;
    for (char c : body) {
        if (c == 'e' || c == 'E') {
            exponent = true;
            break;
        }
        if (c < '0' || c > '9') continue;
        if (c != '0') {
            if (first < 0) first = n;
            last = n;
        }
        ++n;
    }
    const int digits = first < 0 ? 0 : (exponent ? n : last + 1) - first;
    const long double l = strtold_l(t.constData(), nullptr, CLocale());
    if (first >= 0 && digits <= 17) {
        const double d = strtod_l(t.constData(), nullptr, CLocale());
        if (std::isfinite(d) && d != 0) return d;
    }
    return l;
}

// Untyped values: a decimal point or exponent always shows, so that the text reads back as a
// float and not as an integer.
QString ExtendedText(long double v) {
    if (!std::isfinite(v)) return NonFiniteText(v);
    char buf[96];
    std::to_chars_result r;
    if (static_cast<long double>(static_cast<double>(v)) == v) {
        r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v));
    } else {
        // 21 significant digits, trailing zeros kept: enough for any extended value, and more
        // than a double's shortest form ever has.
        r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 20);
        assert(ParseFloatText(QByteArray(buf, int(r.ptr - buf))) == v);
    }
    QString s = PlatformFloatText(buf, r.ptr);
    if (!s.contains(QLatin1Char('.')) && !s.contains(QLatin1Char('E'))) s += QStringLiteral(".0");
    return s;
}

// The text form can only carry names that its parser reads back as names.
bool IsTextName(const QString& s) {
    if (s.isEmpty() || !(s[0].isLetter() || s[0] == QLatin1Char('_'))) return false;
    for (QChar c : s)
        if (!c.isLetterOrNumber() && c != QLatin1Char('_') && c != QLatin1Char('.')) return false;
    return true;
}

bool IsKeyword(const QString& s) {
    for (const char* k : {"end", "object", "inherited", "inline"})
        if (s.compare(QLatin1String(k), Qt::CaseInsensitive) == 0) return true;
    return false;
}

class BinaryToText {
public:
    BinaryToText(TStream* in, TStream* out) : R(in, 4096), Out(out) {}

    void Run() {
        R.ReadSignature();
        ConvertObject();
        Flush();
    }

private:
    void W(const QString& s) { Buf += s.toUtf8(); }
    void Indent() { Buf += QByteArray(Nesting * 2, ' '); }
    void NewLine() {
        Buf += "\r\n";
        Indent();
    }
    void Flush() {
        Out->WriteBuffer(Buf.constData(), Integer(Buf.size()));
        Buf.clear();
    }

    void ConvertHeader() {
        TFilerFlags flags;
        Integer pos;
        R.ReadPrefix(flags, pos);
        QString cls = R.ReadStr();
        QString name = R.ReadStr();
        Name(cls);
        if (!name.isEmpty()) Name(name);
        Indent();
        if (flags.Contains(ffInherited))
            W(QStringLiteral("inherited "));
        else if (flags.Contains(ffInline))
            W(QStringLiteral("inline "));
        else
            W(QStringLiteral("object "));
        if (!name.isEmpty()) W(name + QStringLiteral(": "));
        W(cls);
        if (flags.Contains(ffChildPos)) W(QStringLiteral(" [%1]").arg(pos));
        W(QStringLiteral("\r\n"));
    }

    void ConvertObject() {
        if (++Depth > MaxNesting) throw EReadError(QStringLiteral("Invalid stream format"));
        ConvertHeader();
        ++Nesting;
        while (!R.EndOfList())
            ConvertProperty();
        R.ReadListEnd();
        while (!R.EndOfList())
            ConvertObject();
        R.ReadListEnd();
        --Nesting;
        Indent();
        W(QStringLiteral("end\r\n"));
        --Depth;
    }

    // A binary stream can hold any bytes as a name; text that could not be read back is not
    // written.
    static void Name(const QString& s, bool Property = false) {
        if (!IsTextName(s) || (Property && IsKeyword(s)))
            throw EReadError(QStringLiteral("Invalid stream format"));
    }

    void ConvertProperty() {
        Indent();
        const QString name = R.ReadStr();
        Name(name, true);
        W(name + QStringLiteral(" = "));
        ConvertValue();
        W(QStringLiteral("\r\n"));
    }

    void ConvertString(const QString& s) {
        const int L = s.size();
        if (L == 0) {
            W(QStringLiteral("''"));
            return;
        }
        ++Nesting;
        if (L > LineLength) NewLine();
        int i = 0, k = 0;
        while (i < L) {
            bool lineBreak = false;
            ushort c = s[i].unicode();
            if (c >= ' ' && c != '\'' && c <= 127) {
                int j = i;
                do
                    ++i;
                while (i < L && s[i].unicode() >= ' ' && s[i] != QLatin1Char('\'') && (i - k) < LineLength &&
                       s[i].unicode() <= 127);
                if (i - k >= LineLength) lineBreak = true;
                W(QLatin1Char('\'') + s.mid(j, i - j) + QLatin1Char('\''));
            } else {
                W(QLatin1Char('#') + QString::number(c));
                ++i;
                if (i - k >= LineLength) lineBreak = true;
            }
            if (lineBreak && i < L) {
                W(QStringLiteral(" +"));
                NewLine();
                k = i;
            }
        }
        --Nesting;
    }

    void ConvertValue() {
        if (++Depth > MaxNesting) throw EReadError(QStringLiteral("Invalid stream format"));
        switch (R.NextValue()) {
        case vaList:
            R.ReadValue();
            W(QStringLiteral("("));
            ++Nesting;
            while (!R.EndOfList()) {
                NewLine();
                ConvertValue();
            }
            R.ReadListEnd();
            --Nesting;
            W(QStringLiteral(")"));
            break;
        case vaInt8:
        case vaInt16:
        case vaInt32:
        case vaInt64:
            W(QString::number(R.ReadInt64()));
            break;
        case vaExtended:
        case vaDouble:
            W(ExtendedText(R.ReadFloat()));
            break;
        case vaSingle:
            W(ShortestText(R.ReadSingle()) + QLatin1Char('s'));
            break;
        case vaCurrency:
            W(QString::number(R.ReadCurrency().Scaled()) + QLatin1Char('c'));
            break;
        case vaDate:
            W(ShortestText(double(R.ReadDate())) + QLatin1Char('d'));
            break;
        case vaString:
        case vaLString:
        case vaWString:
        case vaUTF8String:
            ConvertString(R.ReadString());
            break;
        case vaIdent:
        case vaFalse:
        case vaTrue:
        case vaNil:
        case vaNull: {
            const QString ident = R.ReadIdent();
            Name(ident);
            W(ident);
            break;
        }
        case vaBinary: {
            R.ReadValue();
            uint8_t lb[4];
            R.Read(lb, 4);
            Integer n = qFromLittleEndian<qint32>(lb);
            if (n < 0 || n > R.Stream()->Size() - R.Position())
                throw EReadError(QStringLiteral("Stream read error"));
            W(QStringLiteral("{"));
            ++Nesting;
            QByteArray bytes(n, Qt::Uninitialized);
            R.Read(bytes.data(), n);
            for (int i = 0; i < n; i += BytesPerLine) {
                NewLine();
                W(QString::fromLatin1(bytes.mid(i, BytesPerLine).toHex().toUpper()));
            }
            --Nesting;
            W(QStringLiteral("}"));
            break;
        }
        case vaSet: {
            R.ReadValue();
            W(QStringLiteral("["));
            bool first = true;
            for (;;) {
                QString n = R.ReadStr();
                if (n.isEmpty()) break;
                Name(n);
                if (!first) W(QStringLiteral(", "));
                W(n);
                first = false;
            }
            W(QStringLiteral("]"));
            break;
        }
        case vaCollection:
            R.ReadValue();
            W(QStringLiteral("<"));
            ++Nesting;
            while (!R.EndOfList()) {
                NewLine();
                W(QStringLiteral("item"));
                TValueType t = R.NextValue();
                if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
                    W(QStringLiteral(" ["));
                    ConvertValue();
                    W(QStringLiteral("]"));
                }
                W(QStringLiteral("\r\n"));
                R.CheckValue(vaList);
                ++Nesting;
                while (!R.EndOfList())
                    ConvertProperty();
                R.ReadListEnd();
                --Nesting;
                Indent();
                W(QStringLiteral("end"));
            }
            R.ReadListEnd();
            --Nesting;
            W(QStringLiteral(">"));
            break;
        }
        --Depth;
    }

    TReader R;
    TStream* Out;
    QByteArray Buf;
    int Nesting = 0;
    int Depth = 0;
};

// ---------------------------------------------------------------------------------------------
// A tokenizer of the text form.
enum TokenKind { tkEOF, tkSymbol, tkIdent, tkString, tkInteger, tkFloat };

class TextParser {
public:
    explicit TextParser(const QString& text) : S(text) { Next(); }

    TokenKind Kind = tkEOF;
    QString Text; // identifier, symbol or string value
    Int64 IntValue = 0;
    QByteArray FloatText; // the number without its type letter
    QChar FloatType;      // 's', 'c', 'd' or none
    int Line = 1;

    [[noreturn]] void Error(const QString& msg) const {
        throw EParserError(QStringLiteral("%1 on line %2").arg(msg).arg(Line));
    }
    [[noreturn]] void Expected(const QString& what) const { Error(QStringLiteral("%1 expected").arg(what)); }

    bool IsSymbol(char c) const { return Kind == tkSymbol && Text == QLatin1Char(c); }
    bool IsIdent(const char* s) const {
        return Kind == tkIdent && Text.compare(QLatin1String(s), Qt::CaseInsensitive) == 0;
    }
    void CheckSymbol(char c) {
        if (!IsSymbol(c)) Expected(QStringLiteral("'%1'").arg(QLatin1Char(c)));
        Next();
    }
    QString TakeIdent() {
        // INF and NAN are names where a name is expected.
        if (Kind == tkFloat) {
            QString s = QString::fromLatin1(FloatText);
            if (!FloatType.isNull()) s += FloatType;
            if (IsTextName(s)) {
                Next();
                return s;
            }
        }
        if (Kind != tkIdent) Expected(QStringLiteral("Identifier"));
        QString s = Text;
        Next();
        return s;
    }

    void Next() {
        SkipBlanks();
        Text.clear();
        FloatType = QChar();
        if (P >= S.size()) {
            Kind = tkEOF;
            return;
        }
        QChar c = S[P];
        if (NonFinite()) return;
        if (c.isLetter() || c == QLatin1Char('_')) {
            int b = P;
            while (P < S.size() &&
                   (S[P].isLetterOrNumber() || S[P] == QLatin1Char('_') || S[P] == QLatin1Char('.')))
                ++P;
            Kind = tkIdent;
            Text = S.mid(b, P - b);
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('#')) {
            Kind = tkString;
            Text = ReadStringToken();
        } else if (c == QLatin1Char('$')) {
            int b = ++P;
            while (P < S.size() && isxdigit(S[P].toLatin1()))
                ++P;
            bool ok = false;
            IntValue = Int64(S.mid(b, P - b).toULongLong(&ok, 16));
            if (!ok) Error(QStringLiteral("Invalid integer"));
            Kind = tkInteger;
        } else if (c.isDigit() || ((c == QLatin1Char('-') || c == QLatin1Char('+')) && P + 1 < S.size() &&
                                   S[P + 1].isDigit())) {
            ReadNumber();
        } else {
            Kind = tkSymbol;
            Text = c;
            ++P;
        }
    }

    // Hex digits up to '}' for binary data.
    QByteArray HexBlock() {
        QByteArray hex;
        while (P < S.size() && S[P] != QLatin1Char('}')) {
            QChar c = S[P++];
            if (c == QLatin1Char('\n')) ++Line;
            if (c.isSpace()) continue;
            if (!isxdigit(c.toLatin1())) Error(QStringLiteral("Invalid binary value"));
            hex += char(c.toLatin1());
        }
        if (P >= S.size() || hex.size() % 2) Error(QStringLiteral("Invalid binary value"));
        ++P;
        Next();
        return QByteArray::fromHex(hex);
    }

private:
    // INF, -INF, +INF and NAN, with an optional 's' or 'd', as the writer writes infinities and
    // NaN; anything longer is an identifier.
    bool NonFinite() {
        int q = P;
        if (S[q] == QLatin1Char('-') || S[q] == QLatin1Char('+')) ++q;
        QStringView w = QStringView(S).mid(q, 3);
        if (w != QLatin1String("INF") && w != QLatin1String("NAN")) return false;
        if (w == QLatin1String("NAN") && q != P) return false;
        int e = q + 3;
        QChar t;
        if (e < S.size() && (S[e] == QLatin1Char('s') || S[e] == QLatin1Char('d'))) t = S[e++];
        if (e < S.size() && (S[e].isLetterOrNumber() || S[e] == QLatin1Char('_') || S[e] == QLatin1Char('.')))
            return false;
        FloatText = S.mid(P, q + 3 - P).toLatin1();
        FloatType = t;
        Kind = tkFloat;
        P = e;
        return true;
    }

    void SkipBlanks() {
        while (P < S.size()) {
            QChar c = S[P];
            if (c == QLatin1Char('\n')) ++Line;
            if (c.unicode() > ' ') break;
            ++P;
        }
    }

    QString ReadStringToken() {
        QString out;
        for (;;) {
            if (P < S.size() && S[P] == QLatin1Char('\'')) {
                ++P;
                for (;;) {
                    if (P >= S.size() || S[P] == QLatin1Char('\n') || S[P] == QLatin1Char('\r'))
                        Error(QStringLiteral("Unterminated string"));
                    if (S[P] == QLatin1Char('\'')) {
                        if (P + 1 < S.size() && S[P + 1] == QLatin1Char('\'')) {
                            out += QLatin1Char('\'');
                            P += 2;
                            continue;
                        }
                        ++P;
                        break;
                    }
                    out += S[P++];
                }
            } else if (P < S.size() && S[P] == QLatin1Char('#')) {
                int b = ++P;
                uint v = 0;
                if (P < S.size() && S[P] == QLatin1Char('$')) {
                    b = ++P;
                    while (P < S.size() && isxdigit(S[P].toLatin1()))
                        ++P;
                    v = S.mid(b, P - b).toUInt(nullptr, 16);
                } else {
                    while (P < S.size() && S[P].isDigit())
                        ++P;
                    v = S.mid(b, P - b).toUInt();
                }
                if (P == b || v > 0xFFFF) Error(QStringLiteral("Invalid string constant"));
                out += QChar(char16_t(v));
            } else {
                // A '+' joins string parts across lines.
                int save = P, saveLine = Line;
                SkipBlanks();
                if (P < S.size() && S[P] == QLatin1Char('+')) {
                    ++P;
                    SkipBlanks();
                    if (P < S.size() && (S[P] == QLatin1Char('\'') || S[P] == QLatin1Char('#'))) continue;
                }
                P = save;
                Line = saveLine;
                break;
            }
        }
        return out;
    }

    void ReadNumber() {
        int b = P;
        if (S[P] == QLatin1Char('-') || S[P] == QLatin1Char('+')) ++P;
        while (P < S.size() && S[P].isDigit())
            ++P;
        bool isFloat = false;
        if (P < S.size() && S[P] == QLatin1Char('.') && P + 1 < S.size() && S[P + 1].isDigit()) {
            isFloat = true;
            ++P;
            while (P < S.size() && S[P].isDigit())
                ++P;
        }
        if (P < S.size() && (S[P] == QLatin1Char('e') || S[P] == QLatin1Char('E'))) {
            int q = P + 1;
            if (q < S.size() && (S[q] == QLatin1Char('-') || S[q] == QLatin1Char('+'))) ++q;
            if (q < S.size() && S[q].isDigit()) {
                isFloat = true;
                P = q;
                while (P < S.size() && S[P].isDigit())
                    ++P;
            }
        }
        QString num = S.mid(b, P - b);
        if (P < S.size()) {
            QChar t = S[P].toLower();
            if (t == QLatin1Char('s') || t == QLatin1Char('c') || t == QLatin1Char('d')) {
                FloatType = t;
                isFloat = true;
                ++P;
            }
        }
        if (isFloat) {
            FloatText = num.toLatin1();
            Kind = tkFloat;
        } else {
            bool ok = false;
            IntValue = num.toLongLong(&ok);
            if (!ok) Error(QStringLiteral("Invalid integer"));
            Kind = tkInteger;
        }
    }

    QString S;
    int P = 0;
};

class TextToBinary {
public:
    TextToBinary(const QString& text, TStream* out) : T(text), Wr(out, 4096) {}

    void Run() {
        Wr.WriteSignature();
        ConvertObject();
        Wr.FlushBuffer();
    }

private:
    void ConvertHeader(bool isInherited, bool isInline) {
        QString name = T.TakeIdent();
        QString cls;
        if (T.IsSymbol(':')) {
            T.Next();
            cls = T.TakeIdent();
        } else {
            cls = name;
            name.clear();
        }
        TFilerFlags flags;
        if (isInherited) flags.Include(ffInherited);
        if (isInline) flags.Include(ffInline);
        Integer pos = 0;
        if (T.IsSymbol('[')) {
            T.Next();
            if (T.Kind != tkInteger) T.Expected(QStringLiteral("Integer"));
            pos = Integer(T.IntValue);
            T.Next();
            T.CheckSymbol(']');
            flags.Include(ffChildPos);
        }
        // The reader takes a first byte of 0xF0 and above for the prefix, so a class name of
        // that many bytes could not be read back.
        if (cls.toUtf8().size() >= 0xF0) T.Error(QStringLiteral("Class name too long"));
        Wr.WritePrefix(flags, pos);
        Wr.WriteStr(cls);
        Wr.WriteStr(name);
    }

    void ConvertObject() {
        if (++Depth > MaxNesting) T.Error(QStringLiteral("Nesting too deep"));
        bool inh = T.IsIdent("inherited"), inl = T.IsIdent("inline");
        if (!inh && !inl && !T.IsIdent("object")) T.Expected(QStringLiteral("'object'"));
        T.Next();
        ConvertHeader(inh, inl);
        while (!T.IsIdent("end") && !T.IsIdent("object") && !T.IsIdent("inherited") && !T.IsIdent("inline")) {
            if (T.Kind == tkEOF) T.Expected(QStringLiteral("'end'"));
            ConvertProperty();
        }
        Wr.WriteListEnd();
        while (!T.IsIdent("end")) {
            if (T.Kind == tkEOF) T.Expected(QStringLiteral("'end'"));
            ConvertObject();
        }
        Wr.WriteListEnd();
        T.Next();
        --Depth;
    }

    void ConvertProperty() {
        QString name = T.TakeIdent();
        // A keyword is no property name: the writer could not put it back where it stood.
        if (IsKeyword(name)) T.Expected(QStringLiteral("Property name"));
        Wr.WriteStr(name);
        T.CheckSymbol('=');
        ConvertValue();
    }

    void ConvertValue() {
        if (++Depth > MaxNesting) T.Error(QStringLiteral("Nesting too deep"));
        switch (T.Kind) {
        case tkString:
            Wr.WriteString(T.Text);
            T.Next();
            break;
        case tkInteger:
            Wr.WriteInteger(T.IntValue);
            T.Next();
            break;
        case tkFloat: {
            const QByteArray& t = T.FloatText;
            const bool nonFinite = t.endsWith("INF") || t.endsWith("NAN");
            if (T.FloatType == QLatin1Char('s')) {
                Wr.WriteSingle(nonFinite ? float(ParseFloatText(t))
                                         : strtof_l(t.constData(), nullptr, CLocale()));
            } else if (T.FloatType == QLatin1Char('c')) {
                // The scaled integer of the currency; a value outside its range is no currency.
                const long double v = std::round(strtold_l(t.constData(), nullptr, CLocale()));
                if (!(std::fabs(v) < 9.2e18L)) T.Error(QStringLiteral("Invalid property value"));
                Wr.WriteCurrency(Currency::FromScaled(Int64(v)));
            } else if (T.FloatType == QLatin1Char('d')) {
                Wr.WriteDate(nonFinite ? double(ParseFloatText(t))
                                       : strtod_l(t.constData(), nullptr, CLocale()));
            } else {
                Wr.WriteFloat(ParseFloatText(t));
            }
            T.Next();
            break;
        }
        case tkIdent:
            Wr.WriteIdent(T.Text);
            T.Next();
            break;
        case tkSymbol:
            if (T.IsSymbol('[')) {
                T.Next();
                Wr.WriteValue(vaSet);
                while (!T.IsSymbol(']')) {
                    Wr.WriteStr(T.TakeIdent());
                    if (T.IsSymbol(','))
                        T.Next();
                    else if (!T.IsSymbol(']'))
                        T.Expected(QStringLiteral("']'"));
                }
                T.Next();
                Wr.WriteStr(QString());
            } else if (T.IsSymbol('(')) {
                T.Next();
                Wr.WriteListBegin();
                while (!T.IsSymbol(')')) {
                    if (T.Kind == tkEOF) T.Expected(QStringLiteral("')'"));
                    ConvertValue();
                    if (T.IsSymbol(',')) T.Next();
                }
                T.Next();
                Wr.WriteListEnd();
            } else if (T.IsSymbol('{')) {
                QByteArray bytes = T.HexBlock();
                uint8_t h[5];
                h[0] = vaBinary;
                qToLittleEndian<qint32>(qint32(bytes.size()), h + 1);
                Wr.Write(h, 5);
                Wr.Write(bytes.constData(), Integer(bytes.size()));
            } else if (T.IsSymbol('<')) {
                T.Next();
                Wr.WriteValue(vaCollection);
                while (!T.IsSymbol('>')) {
                    if (!T.IsIdent("item")) T.Expected(QStringLiteral("'item'"));
                    T.Next();
                    if (T.IsSymbol('[')) {
                        T.Next();
                        if (T.Kind != tkInteger) T.Expected(QStringLiteral("Integer"));
                        Wr.WriteInteger(T.IntValue);
                        T.Next();
                        T.CheckSymbol(']');
                    }
                    Wr.WriteListBegin();
                    while (!T.IsIdent("end")) {
                        if (T.Kind == tkEOF) T.Expected(QStringLiteral("'end'"));
                        ConvertProperty();
                    }
                    T.Next();
                    Wr.WriteListEnd();
                }
                T.Next();
                Wr.WriteListEnd();
            } else {
                T.Error(QStringLiteral("Invalid property value"));
            }
            break;
        case tkEOF:
            T.Error(QStringLiteral("Unexpected end of file"));
        }
        --Depth;
    }

    TextParser T;
    TWriter Wr;
    int Depth = 0;
};

QByteArray ReadAll(TStream* s) {
    Int64 n = s->Size() - s->Position();
    QByteArray a(int(std::max<Int64>(n, 0)), Qt::Uninitialized);
    if (n > 0) s->ReadBuffer(a.data(), Integer(n));
    return a;
}

} // namespace

void ObjectBinaryToText(TStream* Input, TStream* Output) {
    BinaryToText c(Input, Output);
    c.Run();
}

void ObjectTextToBinary(TStream* Input, TStream* Output) {
    QByteArray bytes = ReadAll(Input);
    TextToBinary c(DecodeText(bytes), Output);
    c.Run();
}

TStreamOriginalFormat TestStreamFormat(TStream* Stream) {
    const Int64 pos = Stream->Position();
    char buf[64];
    Integer n = Stream->Read(buf, sizeof buf);
    Stream->SetPosition(pos);
    if (n >= 4 && std::memcmp(buf, "TPF0", 4) == 0) return sofBinary;
    int i = 0;
    TStreamOriginalFormat text = sofText;
    if (n >= 3 && uint8_t(buf[0]) == 0xEF && uint8_t(buf[1]) == 0xBB && uint8_t(buf[2]) == 0xBF) {
        i = 3;
        text = sofUTF8Text;
    }
    while (i < n && uint8_t(buf[i]) <= ' ')
        ++i;
    QByteArray word;
    while (i < n && isalpha(uint8_t(buf[i])))
        word += char(tolower(buf[i++]));
    if (word == "object" || word == "inherited" || word == "inline") return text;
    return sofUnknown;
}
