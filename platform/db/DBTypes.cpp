// BCD numbers and the platform's time-stamp forms.

#include "platform/db/DBTypes.h"
#include "platform/rtl/SysUtils.h"

#include <cmath>

namespace {
constexpr int DateDelta = 693594; // days from 0001-01-01 to 1899-12-30
constexpr double MSecsPerDay = 86400000.0;
constexpr int MaxBcdDigits = 64;

struct Decimal {
    bool Negative = false;
    String Int;  // digits, no leading zeros
    String Frac; // digits
};

Decimal FromBcd(const TBcd& b) {
    Decimal d;
    d.Negative = (b.SignSpecialPlaces & 0x80) != 0;
    const int places = b.SignSpecialPlaces & 63;
    const int prec = std::min<int>(b.Precision, MaxBcdDigits);
    String digits;
    for (int i = 0; i < prec; ++i) {
        const Byte byte = b.Fraction[size_t(i / 2)];
        const int nib = (i % 2 == 0) ? (byte >> 4) : (byte & 15);
        digits += QChar(u'0' + std::min(nib, 9));
    }
    const int intLen = std::max(0, prec - places);
    d.Int = digits.left(intLen);
    d.Frac = digits.mid(intLen);
    while (d.Int.startsWith(u'0'))
        d.Int.remove(0, 1);
    return d;
}

TBcd ToBcd(Decimal d) {
    while (d.Int.startsWith(u'0'))
        d.Int.remove(0, 1);
    if (d.Int.size() > MaxBcdDigits) throw EConvertError(QStringLiteral("BCD overflow"));
    if (d.Int.size() + d.Frac.size() > MaxBcdDigits) d.Frac.truncate(MaxBcdDigits - d.Int.size());
    String digits = d.Int + d.Frac;
    if (digits.isEmpty()) {
        digits = QStringLiteral("0");
        d.Frac.clear();
    }
    TBcd b;
    b.Precision = Byte(digits.size());
    bool zero = true;
    for (int i = 0; i < digits.size(); ++i) {
        const int nib = digits[i].unicode() - u'0';
        if (nib) zero = false;
        if (i % 2 == 0)
            b.Fraction[size_t(i / 2)] = Byte(nib << 4);
        else
            b.Fraction[size_t(i / 2)] |= Byte(nib);
    }
    b.SignSpecialPlaces = Byte(d.Frac.size()) | ((d.Negative && !zero) ? 0x80 : 0);
    return b;
}

bool ParseDecimal(const String& text, Decimal& d) {
    const String s = Trim(text);
    int i = 0;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) d.Negative = s[i++] == u'-';
    bool point = false, any = false;
    const QChar sep = FormatSettings().DecimalSeparator;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isDigit()) {
            (point ? d.Frac : d.Int) += c;
            any = true;
        } else if ((c == u'.' || c == sep) && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return any;
}
} // namespace

TBcd StrToBcd(const String& s) {
    Decimal d;
    if (!ParseDecimal(s, d)) throw EConvertError(Format("'%s' is not a valid BCD value", {s}));
    return ToBcd(d);
}

String BcdToStr(const TBcd& bcd) {
    Decimal d = FromBcd(bcd);
    while (d.Frac.endsWith(u'0'))
        d.Frac.chop(1);
    String s = d.Int.isEmpty() ? QStringLiteral("0") : d.Int;
    if (!d.Frac.isEmpty()) s += "." + d.Frac;
    if (d.Negative && s != u"0") s = "-" + s;
    return s;
}

double BcdToDouble(const TBcd& bcd) {
    return BcdToStr(bcd).toDouble();
}

TBcd DoubleToBcd(double v) {
    if (!std::isfinite(v)) throw EConvertError(QStringLiteral("Invalid BCD value"));
    String s = QString::number(v, 'f', 15);
    if (s.contains(u'.')) {
        while (s.endsWith(u'0'))
            s.chop(1);
        if (s.endsWith(u'.')) s.chop(1);
    }
    Decimal d;
    ParseDecimal(s.replace(u'.', FormatSettings().DecimalSeparator), d);
    return ToBcd(d);
}

TBcd CurrToBCD(const Currency& c, int, int decimals) {
    const Int64 raw = c.Scaled();
    Decimal d;
    d.Negative = raw < 0;
    const UInt64 a = raw < 0 ? UInt64(0) - UInt64(raw) : UInt64(raw);
    d.Int = QString::number(a / 10000);
    d.Frac = QStringLiteral("%1").arg(a % 10000, 4, 10, QChar(u'0'));
    while (d.Frac.size() > std::max(decimals, 0) && d.Frac.endsWith(u'0'))
        d.Frac.chop(1);
    return ToBcd(d);
}

bool BCDToCurr(const TBcd& bcd, Currency& c) {
    Decimal d = FromBcd(bcd);
    String frac = d.Frac.left(4).leftJustified(4, u'0');
    __int128 v = 0;
    for (QChar ch : d.Int + frac) {
        v = v * 10 + (ch.unicode() - u'0');
        if (v > __int128(INT64_MAX)) return false;
    }
    // Round half away from zero on the fifth decimal.
    if (d.Frac.size() > 4 && d.Frac[4].unicode() >= u'5') ++v;
    if (v > __int128(INT64_MAX)) return false;
    c = Currency::FromScaled(d.Negative ? -Int64(v) : Int64(v));
    return true;
}

TTimeStamp DateTimeToTimeStamp(TDateTime d) {
    const Int64 ms = std::llround(d * MSecsPerDay);
    Int64 days = ms / 86400000;
    TTimeStamp ts;
    ts.Date = Integer(DateDelta + days);
    ts.Time = Integer(std::llabs(ms) % 86400000);
    return ts;
}

TDateTime TimeStampToDateTime(const TTimeStamp& ts) {
    const double days = double(ts.Date) - DateDelta;
    const double frac = ts.Time / MSecsPerDay;
    return days < 0 ? days - frac : days + frac;
}

double TimeStampToMSecs(const TTimeStamp& ts) {
    return double(ts.Date) * MSecsPerDay + ts.Time;
}

TTimeStamp MSecsToTimeStamp(double msecs) {
    TTimeStamp ts;
    const Int64 m = Int64(msecs);
    ts.Date = Integer(m / 86400000);
    ts.Time = Integer(m % 86400000);
    return ts;
}

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime d) {
    TSQLTimeStamp ts;
    Word y, mo, dd, h, mi, s, ms;
    DecodeDate(d, y, mo, dd);
    DecodeTime(d, h, mi, s, ms);
    ts.Year = SmallInt(y);
    ts.Month = mo;
    ts.Day = dd;
    ts.Hour = h;
    ts.Minute = mi;
    ts.Second = s;
    ts.Fractions = ms;
    return ts;
}

TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& ts) {
    if (ts.Year == 0 && ts.Month == 0 && ts.Day == 0)
        return EncodeTime(ts.Hour, ts.Minute, ts.Second, Word(ts.Fractions));
    const TDateTime date = EncodeDate(Word(ts.Year), ts.Month, ts.Day);
    const TDateTime time = EncodeTime(ts.Hour, ts.Minute, ts.Second, Word(ts.Fractions));
    return date >= 0 ? date + time : date - time;
}
