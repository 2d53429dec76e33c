// printf-style formatting of message texts. The language file is outside input, so a format
// is parsed by hand and every argument is converted to what its conversion asks for: a
// translation can never read an argument as something it is not.

#include "lib/lang/LangUnit.h"

#include <optional>

namespace {

enum class ArgKind { Int, Float, Text, Pointer };

struct Spec {
    QString Flags;
    int Width = -1;        // -1: none
    bool WidthArg = false; // '*'
    int Precision = -1;    // -1: none
    bool PrecisionArg = false;
    int IntBits = 32; // integer conversions: size of the argument
    QChar Conv;
    ArgKind Kind = ArgKind::Int;
};

struct Piece {
    QString Literal; // used when Conv is null
    std::optional<Spec> Conversion;
};

// Splits a format into literal text and conversions; nullopt on a conversion it does not know.
std::optional<std::vector<Piece>> Parse(const QString& f) {
    std::vector<Piece> out;
    QString lit;
    const int n = int(f.size());
    int i = 0;
    while (i < n) {
        QChar c = f[i];
        if (c != u'%') {
            lit += c;
            ++i;
            continue;
        }
        if (i + 1 < n && f[i + 1] == u'%') {
            lit += u'%';
            i += 2;
            continue;
        }
        ++i;
        Spec s;
        while (i < n && QStringView(u"-+ #0").contains(f[i]))
            s.Flags += f[i++];
        if (i < n && f[i] == u'*') {
            s.WidthArg = true;
            ++i;
        } else {
            int w = 0;
            bool any = false;
            while (i < n && f[i].isDigit() && f[i].unicode() < 128) {
                w = std::min(w * 10 + (f[i].unicode() - '0'), 4096);
                any = true;
                ++i;
            }
            if (any) s.Width = w;
        }
        if (i < n && f[i] == u'.') {
            ++i;
            if (i < n && f[i] == u'*') {
                s.PrecisionArg = true;
                ++i;
            } else {
                int p = 0;
                while (i < n && f[i].isDigit() && f[i].unicode() < 128) {
                    p = std::min(p * 10 + (f[i].unicode() - '0'), 4096);
                    ++i;
                }
                s.Precision = p;
            }
        }
        // Length modifiers; "l" is 32 bits as on the system the texts were written for.
        if (i + 1 < n && f[i] == u'h' && f[i + 1] == u'h') {
            s.IntBits = 8;
            i += 2;
        } else if (i + 1 < n && f[i] == u'l' && f[i + 1] == u'l') {
            s.IntBits = 64;
            i += 2;
        } else if (i < n && f[i] == u'h') {
            s.IntBits = 16;
            ++i;
        } else if (i < n && QStringView(u"lLqjzt").contains(f[i])) {
            s.IntBits = f[i] == u'l' ? 32 : 64;
            ++i;
        }
        if (i >= n) return std::nullopt;
        s.Conv = f[i++];
        switch (s.Conv.unicode()) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'o':
        case 'c':
            s.Kind = ArgKind::Int;
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            s.Kind = ArgKind::Float;
            break;
        case 's':
            s.Kind = ArgKind::Text;
            break;
        case 'p':
            s.Kind = ArgKind::Pointer;
            break;
        default:
            return std::nullopt; // "%n" and unknown conversions are never accepted
        }
        if (!lit.isEmpty()) out.push_back({lit, std::nullopt});
        lit.clear();
        out.push_back({QString(), s});
    }
    if (!lit.isEmpty()) out.push_back({lit, std::nullopt});
    return out;
}

// The argument kinds a format takes, in order.
std::optional<std::vector<ArgKind>> Signature(const QString& f) {
    auto pieces = Parse(f);
    if (!pieces) return std::nullopt;
    std::vector<ArgKind> sig;
    for (const Piece& p : *pieces) {
        if (!p.Conversion) continue;
        if (p.Conversion->WidthArg) sig.push_back(ArgKind::Int);
        if (p.Conversion->PrecisionArg) sig.push_back(ArgKind::Int);
        sig.push_back(p.Conversion->Kind);
    }
    return sig;
}

Int64 AsInt(const TVarRec* a) {
    if (!a) return 0;
    switch (a->VType()) {
    case TVarRec::vtInteger:
    case TVarRec::vtInt64:
    case TVarRec::vtBoolean:
        return a->AsInt64();
    case TVarRec::vtChar:
        return a->AsString().isEmpty() ? 0 : a->AsString()[0].unicode();
    case TVarRec::vtExtended: {
        long double v = a->AsExtended();
        if (!(v == v)) return 0;
        if (v > 9.2e18L) return INT64_MAX;
        if (v < -9.2e18L) return INT64_MIN;
        return Int64(v);
    }
    case TVarRec::vtString:
        return StrToInt64Def(a->AsString().trimmed(), 0);
    case TVarRec::vtCurrency:
        return Int64(a->AsCurrency().ToDouble());
    case TVarRec::vtPointer:
    case TVarRec::vtObject:
        return Int64(reinterpret_cast<intptr_t>(a->AsPointer()));
    }
    return 0;
}

double AsFloat(const TVarRec* a) {
    if (!a) return 0;
    switch (a->VType()) {
    case TVarRec::vtExtended:
        return double(a->AsExtended());
    case TVarRec::vtCurrency:
        return a->AsCurrency().ToDouble();
    case TVarRec::vtString: {
        double v = 0;
        return TryStrToFloat(a->AsString(), v, TFormatSettings::Invariant()) ? v : 0.0;
    }
    default:
        return double(AsInt(a));
    }
}

QString AsText(const TVarRec* a) {
    if (!a) return QString();
    switch (a->VType()) {
    case TVarRec::vtString:
    case TVarRec::vtChar:
        return a->AsString();
    case TVarRec::vtExtended:
        return QString::asprintf("%g", double(a->AsExtended()));
    case TVarRec::vtCurrency:
        return QString::asprintf("%g", a->AsCurrency().ToDouble());
    case TVarRec::vtPointer:
    case TVarRec::vtObject:
        return QString::asprintf("%p", a->AsPointer());
    default:
        return QString::number(AsInt(a));
    }
}

QString Pad(QString s, const Spec& sp, int width) {
    if (width > s.size()) {
        QString fill(width - int(s.size()), u' ');
        s = sp.Flags.contains(u'-') ? s + fill : fill + s;
    }
    return s;
}

QString FormatOne(const Spec& sp, int width, int precision, const TVarRec* a) {
    // The number conversions go through Qt's printf, which always writes "." as the point.
    QByteArray spec = "%" + sp.Flags.toLatin1();
    if (width >= 0) spec += QByteArray::number(width);
    if (precision >= 0) spec += "." + QByteArray::number(precision);
    switch (sp.Kind) {
    case ArgKind::Int: {
        Int64 v = AsInt(a);
        if (sp.Conv == u'c') return Pad(QString(QChar(char16_t(v & 0xFFFF))), sp, width);
        const bool isSigned = sp.Conv == u'd' || sp.Conv == u'i';
        if (sp.IntBits < 64) {
            const uint64_t mask = (uint64_t(1) << sp.IntBits) - 1;
            uint64_t u = uint64_t(v) & mask;
            if (isSigned && (u >> (sp.IntBits - 1)) & 1)
                v = Int64(u | ~mask);
            else
                v = Int64(u);
        }
        spec += "ll";
        spec += char(sp.Conv.unicode());
        return isSigned ? QString::asprintf(spec.constData(), (long long)v)
                        : QString::asprintf(spec.constData(), (unsigned long long)v);
    }
    case ArgKind::Float:
        spec += char(sp.Conv.unicode());
        return QString::asprintf(spec.constData(), AsFloat(a));
    case ArgKind::Pointer:
        return Pad(AsText(a), sp, width);
    case ArgKind::Text: {
        QString s = AsText(a);
        if (precision >= 0 && precision < s.size()) s.truncate(precision);
        return Pad(s, sp, width);
    }
    }
    return QString();
}

} // namespace

String FormatPrintf(const String& Fmt, const std::vector<TVarRec>& Args) {
    auto pieces = Parse(Fmt);
    if (!pieces) return Fmt; // not a format we can read: shown as it stands
    QString out;
    size_t next = 0;
    auto take = [&]() -> const TVarRec* { return next < Args.size() ? &Args[next++] : nullptr; };
    for (const Piece& p : *pieces) {
        if (!p.Conversion) {
            out += p.Literal;
            continue;
        }
        Spec sp = *p.Conversion;
        int width = sp.Width;
        int precision = sp.Precision;
        if (sp.WidthArg) {
            Int64 w = AsInt(take());
            if (w < 0) {
                sp.Flags += u'-';
                w = -w;
            }
            width = int(std::min<Int64>(w, 4096));
        }
        if (sp.PrecisionArg) {
            Int64 pr = AsInt(take());
            precision = pr < 0 ? -1 : int(std::min<Int64>(pr, 4096));
        }
        out += FormatOne(sp, width, precision, take());
    }
    return out;
}

bool SameConversions(const String& Fmt1, const String& Fmt2) {
    auto a = Signature(Fmt1);
    auto b = Signature(Fmt2);
    return a && b && *a == *b;
}
