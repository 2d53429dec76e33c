// Floating-point and currency text: FloatToStr, FloatToStrF, FormatFloat, CurrToStr and the
// parsers. Digits come from an exact decimal conversion (18 significant digits for Extended,
// all digits for Currency) and are then rounded half away from zero, as the platform does.

#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include "platform/rtl/SysUtilsFloatRec.h"

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr int kExtendedDigits = 18;
constexpr int kCurrencyDigits = 19;

// Digits is a buffer with room for one digit more than Count (a carry out of the first digit).
void roundDigits(TFloatDec& r, char* digits, int count, int exponent, int keep) {
    if (keep < 0) {
        count = 0;
    } else if (keep < count) {
        const bool up = digits[keep] >= '5';
        count = keep;
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[i] == '9')
                digits[i--] = '0';
            if (i < 0) {
                std::memmove(digits + 1, digits, size_t(count));
                digits[0] = '1';
                ++count;
                ++exponent;
            } else {
                ++digits[i];
            }
        }
    }
    while (count > 0 && digits[count - 1] == '0')
        --count;
    // Assigned once, at its final length: at the usual precisions it fits the string's own
    // storage, so formatting a number allocates nothing here.
    r.Digits.assign(digits, size_t(count));
    if (r.Digits.empty()) {
        r.Exponent = 0;
        r.Negative = false; // a value that rounds to zero shows no sign
    } else {
        r.Exponent = exponent;
    }
}

} // namespace

TFloatDec FloatToDecimal(Extended v, int precision, int decimals) {
    TFloatDec r;
    if (std::isnan(v)) {
        r.Special = TFloatDec::NaN;
        return r;
    }
    r.Negative = std::signbit(v);
    if (std::isinf(v)) {
        r.Special = TFloatDec::Inf;
        return r;
    }
    if (v == 0) {
        r.Negative = false;
        return r;
    }
    if (precision > kExtendedDigits) precision = kExtendedDigits;
    char buf[80];
    // Most values are doubles: their exact digits come from to_chars, far faster than printf;
    // both round the exact binary value the same way.
    const double d = double(v);
    if (Extended(d) == v && precision <= 15 && std::isnormal(d)) {
        // The shortest digits that read back as d lie within half a unit of the last place of
        // a normal double, less than half a unit of the 15th digit. So when there are no more of
        // them than are kept, rounding the exact digits gives just these digits; the exact
        // conversion is needed only when rounding actually cuts digits.
        const auto res = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(d), std::chars_format::scientific);
        *res.ptr = 0;
        char digits[24];
        int count = 0;
        const char* p = buf;
        for (; *p && *p != 'e'; ++p)
            if (*p >= '0' && *p <= '9' && count < 20) digits[count++] = *p;
        const int exponent = *p == 'e' ? std::atoi(p + 1) + 1 : 1;
        const long keep = std::min<long>(precision, long(exponent) + std::min(decimals, 9999));
        if (count <= keep) {
            roundDigits(r, digits, count, exponent, int(keep));
            return r;
        }
    }
    if (Extended(d) == v) {
        auto res = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(d), std::chars_format::scientific,
                                 kExtendedDigits - 1);
        *res.ptr = 0;
    } else {
        std::snprintf(buf, sizeof buf, "%.*Le", kExtendedDigits - 1, std::fabs(v));
    }
    char digits[kExtendedDigits + 8];
    int count = 0;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9' && count < kExtendedDigits + 4) digits[count++] = *p;
    const int exponent = *p == 'e' ? std::atoi(p + 1) + 1 : 1;
    const long keep = std::min<long>(precision, long(exponent) + std::min(decimals, 9999));
    roundDigits(r, digits, count, exponent, int(keep));
    return r;
}

TFloatDec CurrencyToDecimal(Currency c, int precision, int decimals) {
    TFloatDec r;
    const Int64 raw = c.Scaled();
    if (raw == 0) return r;
    r.Negative = raw < 0;
    const UInt64 mag = raw < 0 ? UInt64(0) - UInt64(raw) : UInt64(raw);
    char digits[32];
    const int count = int(std::to_chars(digits, digits + sizeof digits - 1, mag).ptr - digits);
    const int exponent = count - 4;
    if (precision > kCurrencyDigits) precision = kCurrencyDigits;
    const long keep = std::min<long>(precision, long(exponent) + std::min(decimals, 9999));
    roundDigits(r, digits, count, exponent, int(keep));
    return r;
}

namespace {

String specialText(const TFloatDec& r) {
    if (r.Special == TFloatDec::NaN) return QStringLiteral("NAN");
    return r.Negative ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// Integer digits of the decimal record, with thousand separators when sep is not null.
String intPart(const TFloatDec& r, QChar sep) {
    String s;
    if (r.Exponent <= 0) return QStringLiteral("0");
    for (int i = 0; i < r.Exponent; ++i) {
        s += QChar(i < int(r.Digits.size()) ? r.Digits[i] : '0');
        const int left = r.Exponent - 1 - i;
        if (!sep.isNull() && left > 0 && left % 3 == 0) s += sep;
    }
    return s;
}

// Exactly `count` decimals.
String fracPart(const TFloatDec& r, int count) {
    String s;
    for (int k = 0; k < count; ++k) {
        const int idx = r.Exponent + k;
        s += QChar(idx >= 0 && idx < int(r.Digits.size()) ? r.Digits[idx] : '0');
    }
    return s;
}

String exponentText(int e, int minDigits, bool plus) {
    String s = QStringLiteral("E");
    if (e < 0)
        s += '-';
    else if (plus)
        s += '+';
    String d = QString::number(std::abs(e));
    if (d.size() < minDigits) d.prepend(String(minDigits - d.size(), '0'));
    return s + d;
}

String generalText(const TFloatDec& r, int precision, int digits, bool currency, const TFormatSettings& fs) {
    if (r.Special) return specialText(r);
    if (r.Digits.empty()) return QStringLiteral("0");
    // Built in one buffer: this is the hot path of FloatToStr and of every variant shown as text.
    char16_t buf[128];
    int n = 0;
    if (r.Negative) buf[n++] = u'-';
    const int count = int(r.Digits.size());
    if (!currency && (r.Exponent > precision || r.Exponent < -3)) {
        buf[n++] = char16_t(r.Digits[0]);
        if (count > 1) {
            buf[n++] = fs.DecimalSeparator.unicode();
            for (int i = 1; i < count; ++i)
                buf[n++] = char16_t(r.Digits[i]);
        }
        return QString(reinterpret_cast<const QChar*>(buf), n) +
               exponentText(r.Exponent - 1, std::clamp(digits, 0, 4), false);
    }
    if (r.Exponent <= 0) {
        buf[n++] = u'0';
    } else {
        for (int i = 0; i < r.Exponent; ++i)
            buf[n++] = i < count ? char16_t(r.Digits[i]) : u'0';
    }
    const int decimals = count - r.Exponent;
    if (decimals > 0) {
        buf[n++] = fs.DecimalSeparator.unicode();
        for (int k = 0; k < decimals; ++k) {
            const int idx = r.Exponent + k;
            buf[n++] = idx >= 0 ? char16_t(r.Digits[idx]) : u'0';
        }
    }
    return QString(reinterpret_cast<const QChar*>(buf), n);
}

String currencyText(const String& number, bool negative, const TFormatSettings& fs) {
    const String& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 1:
            return number + c;
        case 2:
            return c + ' ' + number;
        case 3:
            return number + ' ' + c;
        default:
            return c + number;
        }
    }
    switch (fs.NegCurrFormat) {
    case 1:
        return '-' + c + number;
    case 2:
        return c + '-' + number;
    case 3:
        return c + number + '-';
    case 4:
        return '(' + number + c + ')';
    case 5:
        return '-' + number + c;
    case 6:
        return number + '-' + c;
    case 7:
        return number + c + '-';
    case 8:
        return '-' + number + ' ' + c;
    case 9:
        return '-' + c + ' ' + number;
    case 10:
        return number + ' ' + c + '-';
    case 11:
        return c + ' ' + number + '-';
    case 12:
        return c + ' ' + '-' + number;
    case 13:
        return number + '-' + ' ' + c;
    case 14:
        return '(' + c + ' ' + number + ')';
    case 15:
        return '(' + number + ' ' + c + ')';
    default:
        return '(' + c + number + ')';
    }
}

String floatToText(bool isCurrency, Extended v, Currency cv, TFloatFormat format, int precision, int digits,
                   const TFormatSettings& fs) {
    const int maxDigits = isCurrency ? kCurrencyDigits : kExtendedDigits;
    precision = std::clamp(precision, 1, maxDigits);
    auto dec = [&](int p, int d) {
        return isCurrency ? CurrencyToDecimal(cv, p, d) : FloatToDecimal(v, p, d);
    };
    switch (format) {
    case ffExponent: {
        const TFloatDec r = dec(precision, 9999);
        if (r.Special) return specialText(r);
        String s = r.Negative ? QStringLiteral("-") : String();
        const std::string d = r.Digits.empty() ? std::string("0") : r.Digits;
        s += QChar(d[0]);
        if (precision > 1) {
            s += fs.DecimalSeparator;
            for (int k = 1; k < precision; ++k)
                s += QChar(k < int(d.size()) ? d[k] : '0');
        }
        return s + exponentText(r.Digits.empty() ? 0 : r.Exponent - 1, std::clamp(digits, 0, 4), true);
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        digits = std::clamp(digits, 0, maxDigits);
        const TFloatDec r = dec(precision, digits);
        if (r.Special) return specialText(r);
        if (r.Exponent > precision) return generalText(r, precision, digits, isCurrency, fs);
        String number = intPart(r, format == ffFixed ? QChar() : fs.ThousandSeparator);
        if (digits > 0) number += fs.DecimalSeparator + fracPart(r, digits);
        if (format == ffCurrency) return currencyText(number, r.Negative, fs);
        return r.Negative ? '-' + number : number;
    }
    case ffGeneral:
    default: {
        const TFloatDec r = dec(precision, 9999);
        return generalText(r, precision, digits, isCurrency, fs);
    }
    }
}

} // namespace

String FloatToStr(Extended v) {
    return FloatToStr(v, FormatSettings());
}
String FloatToStr(Extended v, const TFormatSettings& fs) {
    return floatToText(false, v, {}, ffGeneral, 15, 0, fs);
}

String FloatToStrF(Extended v, TFloatFormat format, int precision, int digits) {
    return FloatToStrF(v, format, precision, digits, FormatSettings());
}
String FloatToStrF(Extended v, TFloatFormat format, int precision, int digits, const TFormatSettings& fs) {
    return floatToText(false, v, {}, format, precision, digits, fs);
}

String CurrToStr(Currency v) {
    return CurrToStr(v, FormatSettings());
}
String CurrToStr(Currency v, const TFormatSettings& fs) {
    return floatToText(true, 0, v, ffGeneral, kCurrencyDigits, 0, fs);
}
String CurrToStrF(Currency v, TFloatFormat format, int digits) {
    return CurrToStrF(v, format, digits, FormatSettings());
}
String CurrToStrF(Currency v, TFloatFormat format, int digits, const TFormatSettings& fs) {
    return floatToText(true, 0, v, format, kCurrencyDigits, digits, fs);
}

String FloatToTextValue(bool isCurrency, Extended v, Currency c, TFloatFormat format, int precision,
                        int digits, const TFormatSettings& fs) {
    return floatToText(isCurrency, v, c, format, precision, digits, fs);
}

// ---------------------------------------------------------------------------------------------
// FormatFloat / FormatCurr
namespace {

struct Section {
    String Text;
    int DigitCount = 0;    // '0' and '#' placeholders
    int DecimalIndex = -1; // placeholders before the decimal point
    int FirstZero = -1;    // index of the first '0' placeholder
    int LastZero = 0;      // index after the last '0' placeholder
    bool Thousands = false;
    bool Scientific = false;
};

std::vector<String> splitSections(const String& fmt) {
    std::vector<String> out(1);
    for (int i = 0; i < fmt.size(); ++i) {
        const QChar c = fmt[i];
        if (c == '\'' || c == '"') {
            int j = fmt.indexOf(c, i + 1);
            if (j < 0) j = fmt.size() - 1;
            out.back() += fmt.mid(i, j - i + 1);
            i = j;
        } else if (c == ';') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

Section scanSection(const String& text) {
    Section s;
    s.Text = text;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == '\'' || c == '"') {
            const int j = text.indexOf(c, i + 1);
            i = j < 0 ? text.size() : j;
        } else if (c == '#') {
            ++s.DigitCount;
        } else if (c == '0') {
            if (s.FirstZero < 0) s.FirstZero = s.DigitCount;
            ++s.DigitCount;
            s.LastZero = s.DigitCount;
        } else if (c == '.') {
            if (s.DecimalIndex < 0) s.DecimalIndex = s.DigitCount;
        } else if (c == ',') {
            s.Thousands = true;
        } else if ((c == 'E' || c == 'e') && i + 1 < text.size() &&
                   (text[i + 1] == '+' || text[i + 1] == '-')) {
            s.Scientific = true;
            ++i;
            while (i + 1 < text.size() && text[i + 1] == '0')
                ++i;
        }
    }
    if (s.DecimalIndex < 0) s.DecimalIndex = s.DigitCount;
    return s;
}

// Lays the digits of r out over the placeholders of the section.
String applySection(const Section& sec, const TFloatDec& r, bool writeMinus, const TFormatSettings& fs) {
    const String& t = sec.Text;
    const int intPlaces = sec.DecimalIndex;
    const int fracPlaces = sec.DigitCount - sec.DecimalIndex;
    const int minInt = sec.FirstZero >= 0 && sec.FirstZero < intPlaces ? intPlaces - sec.FirstZero : 0;
    const int minFrac = std::max(0, sec.LastZero - sec.DecimalIndex);

    std::string intDigits, fracDigits;
    int sciExponent = 0;
    if (sec.Scientific) {
        const std::string d = r.Digits;
        for (int k = 0; k < intPlaces; ++k)
            intDigits += k < int(d.size()) ? d[k] : '0';
        if (int(d.size()) > intPlaces) fracDigits = d.substr(intPlaces);
        if (!d.empty()) sciExponent = r.Exponent - intPlaces;
    } else {
        for (int k = 0; k < r.Exponent; ++k)
            intDigits += k < int(r.Digits.size()) ? r.Digits[k] : '0';
        for (int k = std::max(0, r.Exponent); k < int(r.Digits.size()); ++k) {
            if (fracDigits.empty())
                for (int z = r.Exponent; z < 0; ++z)
                    fracDigits += '0';
            fracDigits += r.Digits[k];
        }
    }
    while (int(intDigits.size()) < minInt)
        intDigits.insert(intDigits.begin(), '0');
    while (int(fracDigits.size()) < minFrac)
        fracDigits += '0';
    if (int(fracDigits.size()) > fracPlaces) fracDigits.resize(fracPlaces);

    String out;
    if (writeMinus) out += '-';
    const int intLen = int(intDigits.size());
    int place = 0; // placeholder index
    bool intWritten = false;
    auto putInt = [&](int from, int to) { // digits [from, to) of the integer part
        for (int k = from; k < to; ++k) {
            out += QChar(intDigits[k]);
            const int left = intLen - 1 - k;
            if (sec.Thousands && !sec.Scientific && left > 0 && left % 3 == 0) out += fs.ThousandSeparator;
        }
    };
    auto flushIntIfNone = [&]() {
        if (!intWritten && sec.DigitCount > 0) {
            putInt(0, intLen);
            intWritten = true;
        }
    };
    for (int i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == '\'' || c == '"') {
            int j = t.indexOf(c, i + 1);
            if (j < 0) j = t.size();
            out += t.mid(i + 1, j - i - 1);
            i = j;
        } else if (c == '0' || c == '#') {
            if (place < intPlaces) {
                // Position counted from the decimal point: intPlaces - place.
                const int pos = intPlaces - place;
                if (!intWritten && pos <= intLen) {
                    // The first placeholder that reaches the digits writes the excess too.
                    putInt(0, intLen - pos + 1);
                    intWritten = true;
                } else if (intWritten) {
                    putInt(intLen - pos, intLen - pos + 1);
                }
            } else {
                flushIntIfNone();
                const int k = place - intPlaces;
                if (k < int(fracDigits.size())) out += QChar(fracDigits[k]);
            }
            ++place;
        } else if (c == '.') {
            flushIntIfNone();
            if (!fracDigits.empty() && place == intPlaces) out += fs.DecimalSeparator;
        } else if (c == ',') {
            // thousand separators come from the digit layout
        } else if ((c == 'E' || c == 'e') && i + 1 < t.size() && (t[i + 1] == '+' || t[i + 1] == '-')) {
            flushIntIfNone();
            const bool plus = t[i + 1] == '+';
            int zeros = 0;
            i += 1;
            while (i + 1 < t.size() && t[i + 1] == '0') {
                ++zeros;
                ++i;
            }
            out += c;
            if (sciExponent < 0)
                out += '-';
            else if (plus)
                out += '+';
            String d = QString::number(std::abs(sciExponent));
            if (d.size() < std::min(zeros, 4)) d.prepend(String(std::min(zeros, 4) - d.size(), '0'));
            out += d;
        } else {
            out += c;
        }
    }
    flushIntIfNone();
    return out;
}

String formatValue(const String& format, bool isCurrency, Extended v, Currency cv,
                   const TFormatSettings& fs) {
    const bool isNan = !isCurrency && std::isnan(v);
    const bool isInf = !isCurrency && std::isinf(v);
    if (format.isEmpty() || isNan || isInf)
        return isCurrency ? CurrToStr(cv, fs) : floatToText(false, v, {}, ffGeneral, 15, 0, fs);
    const std::vector<String> sections = splitSections(format);
    const bool negative = isCurrency ? cv.Scaled() < 0 : v < 0;
    const bool zero = isCurrency ? cv.Scaled() == 0 : v == 0;
    auto has = [&](size_t i) { return sections.size() > i && !sections[i].isEmpty(); };

    size_t index = 0;
    if (zero && has(2))
        index = 2;
    else if (negative && has(1))
        index = 1;
    Section sec = scanSection(sections[index]);

    auto decimal = [&](const Section& s) {
        const int maxDigits = isCurrency ? kCurrencyDigits : kExtendedDigits;
        if (s.Scientific) {
            const int p = std::clamp(s.DigitCount, 1, maxDigits);
            return isCurrency ? CurrencyToDecimal(cv, p, 9999) : FloatToDecimal(v, p, 9999);
        }
        const int d = s.DigitCount - s.DecimalIndex;
        return isCurrency ? CurrencyToDecimal(cv, maxDigits, d) : FloatToDecimal(v, maxDigits, d);
    };
    TFloatDec r = decimal(sec);
    if (!sec.Scientific && r.Exponent > kExtendedDigits && !isCurrency)
        return floatToText(false, v, {}, ffGeneral, 15, 0, fs);
    // A value that rounds to zero is shown by the zero section when there is one.
    if (r.Digits.empty() && !zero && has(2)) {
        index = 2;
        sec = scanSection(sections[2]);
        r = decimal(sec);
    }
    const bool writeMinus = negative && index == 0 && !r.Digits.empty();
    return applySection(sec, r, writeMinus, fs);
}

} // namespace

String FormatFloat(const String& format, Extended v) {
    return FormatFloat(format, v, FormatSettings());
}
String FormatFloat(const String& format, Extended v, const TFormatSettings& fs) {
    return formatValue(format, false, v, {}, fs);
}
String FormatCurr(const String& format, Currency v) {
    return FormatCurr(format, v, FormatSettings());
}
String FormatCurr(const String& format, Currency v, const TFormatSettings& fs) {
    return formatValue(format, true, 0, v, fs);
}

// ---------------------------------------------------------------------------------------------
// Parsing
namespace {

struct NumberText {
    bool Negative = false;
    std::string Digits; // all mantissa digits
    int PointPos = 0;   // digits before the decimal point
    long Exponent = 0;
};

// The platform's TextToFloat grammar: blanks, sign, digits with the decimal separator, an
// optional exponent, blanks. No thousand separators.
bool scanNumber(const String& s, QChar decSep, NumberText& n) {
    int i = 0;
    const int len = s.size();
    while (i < len && s[i] == ' ')
        ++i;
    if (i < len && (s[i] == '+' || s[i] == '-')) n.Negative = s[i++] == '-';
    bool any = false;
    while (i < len && s[i] >= '0' && s[i] <= '9') {
        n.Digits += char(s[i++].unicode());
        any = true;
    }
    n.PointPos = int(n.Digits.size());
    if (i < len && s[i] == decSep) {
        ++i;
        while (i < len && s[i] >= '0' && s[i] <= '9') {
            n.Digits += char(s[i++].unicode());
            any = true;
        }
    }
    if (!any) return false;
    if (i < len && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool negExp = false;
        if (i < len && (s[i] == '+' || s[i] == '-')) negExp = s[i++] == '-';
        bool expDigits = false;
        long e = 0;
        while (i < len && s[i] >= '0' && s[i] <= '9') {
            if (e < 100000) e = e * 10 + (s[i].unicode() - '0');
            ++i;
            expDigits = true;
        }
        if (!expDigits) return false;
        n.Exponent = negExp ? -e : e;
    }
    while (i < len && s[i] == ' ')
        ++i;
    return i == len;
}

bool toExtended(const NumberText& n, Extended& v) {
    std::string text = n.Negative ? "-" : "";
    text += n.Digits.substr(0, n.PointPos).empty() ? std::string("0") : n.Digits.substr(0, n.PointPos);
    text += '.';
    text += n.Digits.substr(n.PointPos);
    text += "0e" + std::to_string(n.Exponent);
    errno = 0;
    char* end = nullptr;
    const long double r = std::strtold(text.c_str(), &end);
    if (std::isinf(r)) return false;
    v = r;
    return true;
}

// Exact conversion to the currency scale, rounding half to even at the fourth decimal.
bool toCurrency(const NumberText& n, Int64& scaled) {
    // Decimal digits with the point moved to after the fourth decimal.
    const long point = long(n.PointPos) + n.Exponent + 4;
    std::string digits = n.Digits;
    size_t lead = 0;
    while (lead < digits.size() && digits[lead] == '0')
        ++lead;
    if (lead == digits.size()) {
        scaled = 0;
        return true;
    }
    if (point - long(lead) > 19) return false;
    UInt64 acc = 0;
    for (long k = 0; k < point; ++k) {
        const int d = k < long(digits.size()) ? digits[k] - '0' : 0;
        if (acc > (UINT64_MAX - d) / 10) return false;
        acc = acc * 10 + d;
    }
    // Rounding from the digits after the scale.
    int first = -1;
    bool rest = false;
    for (long k = std::max(0L, point); k < long(digits.size()); ++k) {
        if (first < 0 && k == point)
            first = digits[k] - '0';
        else if (digits[k] != '0')
            rest = true;
    }
    if (point < 0) { // all digits are far below the scale
        first = 0;
        rest = true;
    }
    if (first > 5 || (first == 5 && (rest || (acc & 1)))) ++acc;
    const UInt64 limit = n.Negative ? UInt64(INT64_MAX) + 1 : UInt64(INT64_MAX);
    if (acc > limit) return false;
    scaled = n.Negative ? Int64(0 - acc) : Int64(acc);
    return true;
}

[[noreturn]] void invalidFloat(const String& s) {
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
}

} // namespace

bool TextToFloat(const String& s, Extended& v, TFloatValue kind, const TFormatSettings& fs) {
    NumberText n;
    if (!scanNumber(s, fs.DecimalSeparator, n)) return false;
    if (kind == fvCurrency) {
        Int64 scaled;
        if (!toCurrency(n, scaled)) return false;
        v = (long double)scaled / 10000.0L;
        return true;
    }
    return toExtended(n, v);
}

bool TryStrToFloat(const String& s, Extended& v) {
    return TryStrToFloat(s, v, FormatSettings());
}
bool TryStrToFloat(const String& s, Extended& v, const TFormatSettings& fs) {
    return TextToFloat(s, v, fvExtended, fs);
}
bool TryStrToFloat(const String& s, Double& v) {
    return TryStrToFloat(s, v, FormatSettings());
}
bool TryStrToFloat(const String& s, Double& v, const TFormatSettings& fs) {
    Extended e;
    if (!TextToFloat(s, e, fvExtended, fs)) return false;
    if (e > DBL_MAX || e < -DBL_MAX) return false;
    v = double(e);
    return true;
}

Extended StrToFloat(const String& s) {
    return StrToFloat(s, FormatSettings());
}
Extended StrToFloat(const String& s, const TFormatSettings& fs) {
    Extended v;
    if (!TextToFloat(s, v, fvExtended, fs)) invalidFloat(s);
    return v;
}
Extended StrToFloatDef(const String& s, Extended def) {
    return StrToFloatDef(s, def, FormatSettings());
}
Extended StrToFloatDef(const String& s, Extended def, const TFormatSettings& fs) {
    Extended v;
    return TextToFloat(s, v, fvExtended, fs) ? v : def;
}

bool TryStrToCurr(const String& s, Currency& v) {
    return TryStrToCurr(s, v, FormatSettings());
}
bool TryStrToCurr(const String& s, Currency& v, const TFormatSettings& fs) {
    NumberText n;
    Int64 scaled;
    if (!scanNumber(s, fs.DecimalSeparator, n) || !toCurrency(n, scaled)) return false;
    v = Currency::FromScaled(scaled);
    return true;
}
Currency StrToCurr(const String& s) {
    return StrToCurr(s, FormatSettings());
}
Currency StrToCurr(const String& s, const TFormatSettings& fs) {
    Currency v;
    if (!TryStrToCurr(s, v, fs)) invalidFloat(s);
    return v;
}
