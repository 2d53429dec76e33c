// TDateTime arithmetic, FormatDateTime and the platform's date and time parsers.

#include "platform/rtl/SysUtils.h"

#include <algorithm>

#include <QDateTime>

#include <atomic>
#include <cmath>

namespace {

constexpr Int64 kMSecsPerDay = 86400000;
constexpr int kDaysBefore1899 = 693594; // days from 0001-01-01 (day 1) to 1899-12-30

std::atomic<TDateTime (*)()> gClock{nullptr};

bool validDate(int y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInAMonth(Word(y), Word(m));
}

// Day number (0001-01-01 = 1) of a Gregorian date.
Int64 dayNumber(int y, int m, int d) {
    static const int cum[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const Int64 yy = y - 1;
    Int64 days = yy * 365 + yy / 4 - yy / 100 + yy / 400 + cum[m - 1] + d;
    if (m > 2 && IsLeapYear(Word(y))) ++days;
    return days;
}

// The platform's split of a date-time into a day number and milliseconds of the day: rounded to
// the millisecond first, so 23:59:59.9999 becomes the next midnight; the time of a negative
// date-time is the absolute value of its fraction.
void splitStamp(TDateTime dt, Int64& day, Int64& msec) {
    const Int64 ms = Int64(std::llround((long double)dt * kMSecsPerDay));
    day = ms / kMSecsPerDay + kDaysBefore1899;
    msec = std::llabs(ms % kMSecsPerDay);
}

void civilFromDay(Int64 dayNo, int& y, int& m, int& d) {
    // Counted from 0000-03-01, so that leap days fall at the end of a year.
    const Int64 z = dayNo + 305;
    const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
    const Int64 doe = z - era * 146097;
    const Int64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const Int64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const Int64 mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

} // namespace

void SetNowOverride(TDateTime (*now)()) {
    gClock.store(now);
}

bool IsLeapYear(Word year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

Word DaysInAMonth(Word year, Word month) {
    static const Word days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& d) {
    if (!validDate(year, month, day)) return false;
    d = TDateTime(dayNumber(year, month, day) - kDaysBefore1899);
    return true;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& t) {
    if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
    t = TDateTime(((Int64(hour) * 60 + min) * 60 + sec) * 1000 + msec) / kMSecsPerDay;
    return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
    TDateTime d;
    if (!TryEncodeDate(year, month, day, d))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return d;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
    TDateTime t;
    if (!TryEncodeTime(hour, min, sec, msec, t))
        throw EConvertError(QStringLiteral("Invalid argument to time encode"));
    return t;
}

bool DecodeDateFully(TDateTime dt, Word& year, Word& month, Word& day, Word& dow) {
    Int64 dayNo, ms;
    splitStamp(dt, dayNo, ms);
    if (dayNo <= 0) {
        year = month = day = dow = 0;
        return false;
    }
    int y, m, d;
    civilFromDay(dayNo, y, m, d);
    year = Word(y);
    month = Word(m);
    day = Word(d);
    dow = Word(dayNo % 7 + 1); // day 1 (0001-01-01) was a Monday
    return IsLeapYear(year);
}

void DecodeDate(TDateTime d, Word& year, Word& month, Word& day) {
    Word dow;
    DecodeDateFully(d, year, month, day, dow);
}

void DecodeTime(TDateTime t, Word& hour, Word& min, Word& sec, Word& msec) {
    Int64 day, ms;
    splitStamp(t, day, ms);
    hour = Word(ms / 3600000);
    min = Word(ms / 60000 % 60);
    sec = Word(ms / 1000 % 60);
    msec = Word(ms % 1000);
}

Word DayOfWeek(TDateTime d) {
    Int64 day, ms;
    splitStamp(d, day, ms);
    return Word(((day % 7) + 7) % 7 + 1);
}

TDateTime DateOf(TDateTime d) {
    return std::trunc(d);
}
TDateTime TimeOf(TDateTime d) {
    return std::fabs(d - std::trunc(d));
}

TDateTime IncMonth(TDateTime d, int months) {
    Word y, m, day;
    DecodeDate(d, y, m, day);
    int total = int(y) * 12 + (m - 1) + months;
    const int ny = total / 12;
    const int nm = total % 12 + 1;
    int nd = day;
    if (nd > DaysInAMonth(Word(ny), Word(nm))) nd = DaysInAMonth(Word(ny), Word(nm));
    TDateTime r = EncodeDate(Word(ny), Word(nm), Word(nd));
    const TDateTime frac = d - std::trunc(d);
    return r >= 0 ? r + std::fabs(frac) : r - std::fabs(frac);
}

TDateTime Now() {
    if (auto f = gClock.load()) return f();
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return EncodeDate(Word(date.year()), Word(date.month()), Word(date.day())) +
           EncodeTime(Word(time.hour()), Word(time.minute()), Word(time.second()), Word(time.msec()));
}

TDateTime Date() {
    return std::trunc(Now());
}
TDateTime Time() {
    return Now() - std::trunc(Now());
}

// ---------------------------------------------------------------------------------------------
// FormatDateTime
namespace {

void appendNumber(String& out, int v, int minDigits) {
    String s = QString::number(v);
    if (s.size() < minDigits) s.prepend(String(minDigits - s.size(), '0'));
    out += s;
}

bool startsWithCI(const String& s, int i, const char* lit) {
    const int len = int(std::strlen(lit));
    return i + len <= s.size() &&
           QStringView(s).mid(i, len).compare(QLatin1String(lit), Qt::CaseInsensitive) == 0;
}

// An am/pm marker later in the format makes the hours 12-hour ones.
bool hasAmPmAfter(const String& f, int i) {
    for (; i < f.size(); ++i) {
        const QChar c = f[i];
        if (c == '\'' || c == '"') {
            const int j = f.indexOf(c, i + 1);
            if (j < 0) return false;
            i = j;
        } else if (startsWithCI(f, i, "am/pm") || startsWithCI(f, i, "a/p") || startsWithCI(f, i, "ampm")) {
            return true;
        } else if (c == 'h' || c == 'H') {
            return false; // the next hour specifier decides for itself
        }
    }
    return false;
}

struct DateParts {
    Word Year, Month, Day, Dow, Hour, Min, Sec, MSec;
};

void appendFormat(String& out, const String& f, const DateParts& p, const TFormatSettings& fs, int level) {
    if (f.isEmpty()) {
        appendFormat(out, QStringLiteral("C"), p, fs, level);
        return;
    }
    char16_t lastToken = 0;
    bool use12 = false;
    int i = 0;
    const int n = f.size();
    auto count = [&](QChar c) {
        int k = i;
        while (k < n && f[k].toUpper() == c.toUpper())
            ++k;
        const int r = k - i;
        i = k;
        return r;
    };
    while (i < n) {
        const QChar ch = f[i];
        char16_t up = ch.toUpper().unicode();
        if (ch.unicode() > 0x7F) up = 0;
        switch (up) {
        case '"':
        case '\'': {
            int j = f.indexOf(ch, i + 1);
            if (j < 0) j = n;
            out += QStringView(f).mid(i + 1, j - i - 1);
            i = j + 1;
            break;
        }
        case 'C':
            count(ch);
            if (level < 2) {
                appendFormat(out, fs.ShortDateFormat, p, fs, level + 1);
                if (p.Hour || p.Min || p.Sec || p.MSec) {
                    out += ' ';
                    appendFormat(out, fs.LongTimeFormat, p, fs, level + 1);
                }
            }
            break;
        case 'D': {
            const int c = count(ch);
            if (c <= 2)
                appendNumber(out, p.Day, c);
            else if (c == 3)
                out += fs.ShortDayNames[(p.Dow + 6) % 7];
            else if (c == 4)
                out += fs.LongDayNames[(p.Dow + 6) % 7];
            else if (level < 2)
                appendFormat(out, c == 5 ? fs.ShortDateFormat : fs.LongDateFormat, p, fs, level + 1);
            lastToken = 'D';
            break;
        }
        case 'E': {
            const int c = count(ch);
            appendNumber(out, c <= 1 ? p.Year : p.Year % 100, c <= 1 ? 1 : 2);
            lastToken = 'E';
            break;
        }
        case 'G':
            count(ch);
            out += QStringLiteral("A.D.");
            lastToken = 'G';
            break;
        case 'Y': {
            const int c = count(ch);
            if (c <= 2)
                appendNumber(out, p.Year % 100, 2);
            else
                appendNumber(out, p.Year, 4);
            lastToken = 'Y';
            break;
        }
        case 'M': {
            const int c = count(ch);
            if (lastToken == 'H') {
                appendNumber(out, p.Min, c >= 2 ? 2 : 1);
            } else if (c <= 2) {
                appendNumber(out, p.Month, c);
            } else if (c == 3) {
                if (p.Month) out += fs.ShortMonthNames[p.Month - 1];
            } else if (p.Month) {
                out += fs.LongMonthNames[p.Month - 1];
            }
            lastToken = 'M';
            break;
        }
        case 'H': {
            const int c = count(ch);
            use12 = hasAmPmAfter(f, i);
            int h = p.Hour;
            if (use12) {
                h %= 12;
                if (h == 0) h = 12;
            }
            appendNumber(out, h, c >= 2 ? 2 : 1);
            lastToken = 'H';
            break;
        }
        case 'N': {
            const int c = count(ch);
            appendNumber(out, p.Min, c >= 2 ? 2 : 1);
            lastToken = 'N';
            break;
        }
        case 'S': {
            const int c = count(ch);
            appendNumber(out, p.Sec, c >= 2 ? 2 : 1);
            lastToken = 'S';
            break;
        }
        case 'Z': {
            const int c = count(ch);
            appendNumber(out, p.MSec, c >= 2 ? 3 : 1);
            lastToken = 'Z';
            break;
        }
        case 'T': {
            const int c = count(ch);
            if (level < 2)
                appendFormat(out, c == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, p, fs, level + 1);
            lastToken = 'T';
            break;
        }
        case 'A': {
            const bool pm = p.Hour >= 12;
            if (startsWithCI(f, i, "am/pm")) {
                const String mark = pm ? f.mid(i + 3, 2) : f.mid(i, 2);
                out += mark;
                i += 5;
            } else if (startsWithCI(f, i, "a/p")) {
                out += pm ? f[i + 2] : f[i];
                i += 3;
            } else if (startsWithCI(f, i, "ampm")) {
                out += pm ? fs.TimePMString : fs.TimeAMString;
                i += 4;
            } else {
                out += ch;
                ++i;
            }
            break;
        }
        case '/':
            out += fs.DateSeparator;
            ++i;
            break;
        case ':':
            out += fs.TimeSeparator;
            ++i;
            break;
        default:
            out += ch;
            ++i;
            break;
        }
    }
}

DateParts partsOf(TDateTime d) {
    DateParts p{};
    DecodeDateFully(d, p.Year, p.Month, p.Day, p.Dow);
    DecodeTime(d, p.Hour, p.Min, p.Sec, p.MSec);
    return p;
}

} // namespace

String FormatDateTime(const String& format, TDateTime d) {
    return FormatDateTime(format, d, FormatSettings());
}

String FormatDateTime(const String& format, TDateTime d, const TFormatSettings& fs) {
    String out;
    appendFormat(out, format, partsOf(d), fs, 0);
    return out;
}

void DateTimeToString(String& result, const String& format, TDateTime d) {
    result = FormatDateTime(format, d);
}
void DateTimeToString(String& result, const String& format, TDateTime d, const TFormatSettings& fs) {
    result = FormatDateTime(format, d, fs);
}

String DateTimeToStr(TDateTime d) {
    return DateTimeToStr(d, FormatSettings());
}
String DateTimeToStr(TDateTime d, const TFormatSettings& fs) {
    return FormatDateTime(String(), d, fs);
}
String DateToStr(TDateTime d) {
    return DateToStr(d, FormatSettings());
}
String DateToStr(TDateTime d, const TFormatSettings& fs) {
    return FormatDateTime(QStringLiteral("ddddd"), d, fs);
}
String TimeToStr(TDateTime d) {
    return TimeToStr(d, FormatSettings());
}
String TimeToStr(TDateTime d, const TFormatSettings& fs) {
    return FormatDateTime(QStringLiteral("tt"), d, fs);
}

// ---------------------------------------------------------------------------------------------
// Parsing
namespace {

enum TDateOrder { doMDY, doDMY, doYMD };

TDateOrder dateOrder(const String& f) {
    for (int i = 0; i < f.size(); ++i) {
        const QChar c = f[i].toUpper();
        if (c == '\'' || c == '"') {
            const int j = f.indexOf(f[i], i + 1);
            if (j < 0) break;
            i = j;
            continue;
        }
        if (c == 'E' || c == 'Y') return doYMD;
        if (c == 'M') return doMDY;
        if (c == 'D') return doDMY;
    }
    return doMDY;
}

void scanBlanks(const String& s, int& pos) {
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
}

bool scanNumber(const String& s, int& pos, int& n, int& len) {
    scanBlanks(s, pos);
    const int start = pos;
    n = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && n < 1000)
        n = n * 10 + (s[pos++].unicode() - '0');
    len = pos - start;
    return len > 0;
}

bool scanChar(const String& s, int& pos, QChar ch) {
    scanBlanks(s, pos);
    if (pos < s.size() && s[pos] == ch) {
        ++pos;
        return true;
    }
    return false;
}

bool scanString(const String& s, int& pos, const String& symbol) {
    if (symbol.isEmpty()) return false;
    scanBlanks(s, pos);
    if (QStringView(s).mid(pos, symbol.size()).compare(symbol, Qt::CaseInsensitive) == 0) {
        pos += symbol.size();
        return true;
    }
    return false;
}

int currentYear() {
    Word y, m, d;
    DecodeDate(Now(), y, m, d);
    return y;
}

bool scanDate(const String& s, int& pos, TDateTime& date, const TFormatSettings& fs) {
    const TDateOrder order = dateOrder(fs.ShortDateFormat);
    int n1, n2, n3, l1, l2, l3 = 0;
    if (!(scanNumber(s, pos, n1, l1) && scanChar(s, pos, fs.DateSeparator) && scanNumber(s, pos, n2, l2)))
        return false;
    int y, m, d, yLen;
    if (scanChar(s, pos, fs.DateSeparator)) {
        if (!scanNumber(s, pos, n3, l3)) return false;
        switch (order) {
        case doMDY:
            y = n3, m = n1, d = n2, yLen = l3;
            break;
        case doDMY:
            y = n3, m = n2, d = n1, yLen = l3;
            break;
        default:
            y = n1, m = n2, d = n3, yLen = l1;
            break;
        }
        if (yLen <= 2) {
            const int window = fs.TwoDigitYearCenturyWindow;
            const int centuryBase = currentYear() - window;
            y += centuryBase / 100 * 100;
            if (window > 0 && y < centuryBase) y += 100;
        }
    } else {
        y = currentYear();
        if (order == doDMY) {
            d = n1;
            m = n2;
        } else {
            m = n1;
            d = n2;
        }
    }
    scanChar(s, pos, fs.DateSeparator);
    scanBlanks(s, pos);
    if (y < 1 || y > 9999 || m < 1 || m > 12) return false;
    return TryEncodeDate(Word(y), Word(m), Word(d), date);
}

bool scanTime(const String& s, int& pos, TDateTime& time, const TFormatSettings& fs) {
    int baseHour = -1;
    if (scanString(s, pos, fs.TimeAMString) || scanString(s, pos, QStringLiteral("AM")))
        baseHour = 0;
    else if (scanString(s, pos, fs.TimePMString) || scanString(s, pos, QStringLiteral("PM")))
        baseHour = 12;
    if (baseHour >= 0) scanBlanks(s, pos);
    int hour, min = 0, sec = 0, msec = 0, len;
    if (!scanNumber(s, pos, hour, len)) return false;
    if (scanChar(s, pos, fs.TimeSeparator)) {
        if (!scanNumber(s, pos, min, len)) return false;
        if (scanChar(s, pos, fs.TimeSeparator)) {
            if (!scanNumber(s, pos, sec, len)) return false;
            if (scanChar(s, pos, fs.DecimalSeparator))
                if (!scanNumber(s, pos, msec, len)) return false;
        }
    }
    if (baseHour < 0) {
        if (scanString(s, pos, fs.TimeAMString) || scanString(s, pos, QStringLiteral("AM")))
            baseHour = 0;
        else if (scanString(s, pos, fs.TimePMString) || scanString(s, pos, QStringLiteral("PM")))
            baseHour = 12;
    }
    if (baseHour >= 0) {
        if (hour == 0 || hour > 12) return false;
        if (hour == 12) hour = 0;
        hour += baseHour;
    }
    scanBlanks(s, pos);
    if (hour > 23 || min > 59 || sec > 59 || msec > 999) return false;
    return TryEncodeTime(Word(hour), Word(min), Word(sec), Word(msec), time);
}

[[noreturn]] void convertError(const char* text, const String& s) {
    throw EConvertError(QString::fromLatin1(text).arg(s));
}

} // namespace

bool TryStrToDate(const String& s, TDateTime& d) {
    return TryStrToDate(s, d, FormatSettings());
}
bool TryStrToDate(const String& s, TDateTime& d, const TFormatSettings& fs) {
    int pos = 0;
    TDateTime r;
    if (!scanDate(s, pos, r, fs) || pos < s.size()) return false;
    d = r;
    return true;
}

bool TryStrToTime(const String& s, TDateTime& d) {
    return TryStrToTime(s, d, FormatSettings());
}
bool TryStrToTime(const String& s, TDateTime& d, const TFormatSettings& fs) {
    int pos = 0;
    TDateTime r;
    if (!scanTime(s, pos, r, fs) || pos < s.size()) return false;
    d = r;
    return true;
}

bool TryStrToDateTime(const String& s, TDateTime& d) {
    return TryStrToDateTime(s, d, FormatSettings());
}
bool TryStrToDateTime(const String& s, TDateTime& d, const TFormatSettings& fs) {
    int pos = 0;
    TDateTime date, time = 0;
    if (!scanDate(s, pos, date, fs) || !(pos >= s.size() || (scanTime(s, pos, time, fs) && pos >= s.size())))
        return TryStrToTime(s, d, fs);
    d = date >= 0 ? date + time : date - time;
    return true;
}

TDateTime StrToDate(const String& s) {
    return StrToDate(s, FormatSettings());
}
TDateTime StrToDate(const String& s, const TFormatSettings& fs) {
    TDateTime d;
    if (!TryStrToDate(s, d, fs)) convertError("'%1' is not a valid date", s);
    return d;
}
TDateTime StrToTime(const String& s) {
    return StrToTime(s, FormatSettings());
}
TDateTime StrToTime(const String& s, const TFormatSettings& fs) {
    TDateTime d;
    if (!TryStrToTime(s, d, fs)) convertError("'%1' is not a valid time", s);
    return d;
}
TDateTime StrToDateTime(const String& s) {
    return StrToDateTime(s, FormatSettings());
}
TDateTime StrToDateTime(const String& s, const TFormatSettings& fs) {
    TDateTime d;
    if (!TryStrToDateTime(s, d, fs)) convertError("'%1' is not a valid date and time", s);
    return d;
}
