// Integer and boolean text conversions with the platform's Val rules.

#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <limits>

String IntToStr(Int64 v) {
    // Every exported or displayed integer comes through here: plain digits, without the
    // locale machinery of QString::number (which gives the same text).
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    return QString::fromLatin1(digits, qsizetype(end - digits));
}
String UIntToStr(UInt64 v) {
    return QString::number(v);
}

namespace {

String hexOf(UInt64 v, int digits) {
    String r = QString::number(v, 16).toUpper();
    if (r.size() < digits) r.prepend(String(digits - r.size(), '0'));
    return r;
}

// The platform's Val for integers: leading blanks, an optional sign, decimal digits or a hex
// number ("$1F", "0x1F", "x1F"), nothing after. Hex may give the full bit pattern of the type
// (so "$FFFFFFFF" is -1 as an Integer).
bool valInt(const String& s, int bits, Int64& out) {
    int i = 0;
    const int n = s.size();
    while (i < n && s[i] == ' ')
        ++i;
    bool neg = false;
    if (i < n && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    bool hex = false;
    if (i < n && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i < n && (s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n) return false;
    const UInt64 typeMax = bits == 64 ? std::numeric_limits<UInt64>::max() : 0xFFFFFFFFull;
    UInt64 acc = 0;
    for (; i < n; ++i) {
        const char16_t c = s[i].unicode();
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        const UInt64 base = hex ? 16 : 10;
        if (acc > (typeMax - d) / base) return false;
        acc = acc * base + d;
    }
    if (hex) {
        Int64 v = bits == 64 ? Int64(acc) : Int64(int32_t(uint32_t(acc)));
        out = neg ? Int64(0 - UInt64(v)) : v;
        if (bits == 32) out = int32_t(uint32_t(UInt64(out)));
        return true;
    }
    const UInt64 posMax = bits == 64 ? UInt64(std::numeric_limits<Int64>::max()) : 0x7FFFFFFFull;
    if (acc > posMax + (neg ? 1 : 0)) return false;
    out = neg ? Int64(0 - acc) : Int64(acc);
    return true;
}

[[noreturn]] void invalidInt(const String& s) {
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s));
}

} // namespace

String IntToHex(Int64 v, int digits) {
    return hexOf(UInt64(v), digits);
}
String IntToHex(Integer v, int digits) {
    return hexOf(uint32_t(v), digits);
}
String IntToHex(Cardinal v, int digits) {
    return hexOf(v, digits);
}
String IntToHex(UInt64 v, int digits) {
    return hexOf(v, digits);
}

bool TryStrToInt(const String& s, Integer& v) {
    Int64 r;
    if (!valInt(s, 32, r)) return false;
    v = Integer(r);
    return true;
}

bool TryStrToInt64(const String& s, Int64& v) {
    return valInt(s, 64, v);
}

Integer StrToInt(const String& s) {
    Integer v;
    if (!TryStrToInt(s, v)) invalidInt(s);
    return v;
}

Int64 StrToInt64(const String& s) {
    Int64 v;
    if (!TryStrToInt64(s, v)) invalidInt(s);
    return v;
}

Integer StrToIntDef(const String& s, Integer def) {
    Integer v;
    return TryStrToInt(s, v) ? v : def;
}

Int64 StrToInt64Def(const String& s, Int64 def) {
    Int64 v;
    return TryStrToInt64(s, v) ? v : def;
}

bool TryStrToBool(const String& s, bool& v) {
    if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        v = true;
        return true;
    }
    if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        v = false;
        return true;
    }
    Extended f;
    if (TryStrToFloat(s, f)) {
        v = f != 0;
        return true;
    }
    return false;
}

bool StrToBool(const String& s) {
    bool v;
    if (!TryStrToBool(s, v)) throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(s));
    return v;
}

String BoolToStr(bool b, bool useBoolStrs) {
    if (useBoolStrs) return b ? QStringLiteral("True") : QStringLiteral("False");
    return b ? QStringLiteral("-1") : QStringLiteral("0");
}
