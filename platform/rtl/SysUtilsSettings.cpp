// Format settings: the platform's en-US and ru-RU values, other locales mapped from QLocale.

#include "platform/rtl/SysUtils.h"

#include <algorithm>

#include <QLocale>

#include <mutex>

namespace {

const char16_t* const kEnShortMonths[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                            u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
const char16_t* const kEnLongMonths[12] = {u"January",   u"February", u"March",    u"April",
                                           u"May",       u"June",     u"July",     u"August",
                                           u"September", u"October",  u"November", u"December"};
const char16_t* const kEnShortDays[7] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
const char16_t* const kEnLongDays[7] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                        u"Thursday", u"Friday", u"Saturday"};

const char16_t* const kRuShortMonths[12] = {u"янв", u"фев", u"мар", u"апр", u"май", u"июн",
                                            u"июл", u"авг", u"сен", u"окт", u"ноя", u"дек"};
const char16_t* const kRuLongMonths[12] = {u"Январь",   u"Февраль", u"Март",   u"Апрель",
                                           u"Май",      u"Июнь",    u"Июль",   u"Август",
                                           u"Сентябрь", u"Октябрь", u"Ноябрь", u"Декабрь"};
const char16_t* const kRuShortDays[7] = {u"Вс", u"Пн", u"Вт", u"Ср", u"Чт", u"Пт", u"Сб"};
const char16_t* const kRuLongDays[7] = {u"воскресенье", u"понедельник", u"вторник", u"среда",
                                        u"четверг",     u"пятница",     u"суббота"};

template <size_t N> void fill(std::array<String, N>& dst, const char16_t* const (&src)[N]) {
    for (size_t i = 0; i < N; ++i)
        dst[i] = QString::fromUtf16(src[i]);
}

TFormatSettings enUS() {
    TFormatSettings fs;
    fs.CurrencyString = QStringLiteral("$");
    fs.CurrencyFormat = 0;
    fs.NegCurrFormat = 0;
    fs.CurrencyDecimals = 2;
    fs.DateSeparator = '/';
    fs.TimeSeparator = ':';
    fs.ListSeparator = ',';
    fs.ShortDateFormat = QStringLiteral("M/d/yyyy");
    fs.LongDateFormat = QStringLiteral("dddd, MMMM d, yyyy");
    fs.TimeAMString = QStringLiteral("AM");
    fs.TimePMString = QStringLiteral("PM");
    fs.ShortTimeFormat = QStringLiteral("h:nn AMPM");
    fs.LongTimeFormat = QStringLiteral("h:nn:ss AMPM");
    fill(fs.ShortMonthNames, kEnShortMonths);
    fill(fs.LongMonthNames, kEnLongMonths);
    fill(fs.ShortDayNames, kEnShortDays);
    fill(fs.LongDayNames, kEnLongDays);
    fs.ThousandSeparator = ',';
    fs.DecimalSeparator = '.';
    fs.TwoDigitYearCenturyWindow = 50;
    return fs;
}

TFormatSettings ruRU() {
    TFormatSettings fs;
    fs.CurrencyString = QString::fromUtf16(u"₽");
    fs.CurrencyFormat = 3; // "1 ₽"
    fs.NegCurrFormat = 8;  // "-1 ₽"
    fs.CurrencyDecimals = 2;
    fs.DateSeparator = '.';
    fs.TimeSeparator = ':';
    fs.ListSeparator = ';';
    fs.ShortDateFormat = QStringLiteral("dd.MM.yyyy");
    fs.LongDateFormat = QString::fromUtf16(u"d MMMM yyyy 'г.'");
    fs.TimeAMString = String();
    fs.TimePMString = String();
    fs.ShortTimeFormat = QStringLiteral("H:mm");
    fs.LongTimeFormat = QStringLiteral("H:mm:ss");
    fill(fs.ShortMonthNames, kRuShortMonths);
    fill(fs.LongMonthNames, kRuLongMonths);
    fill(fs.ShortDayNames, kRuShortDays);
    fill(fs.LongDayNames, kRuLongDays);
    fs.ThousandSeparator = QChar(0x00A0);
    fs.DecimalSeparator = ',';
    fs.TwoDigitYearCenturyWindow = 50;
    return fs;
}

// Maps a CLDR date/time pattern (as QLocale reports it) to the platform's format letters:
// minutes become "n", the AM/PM marker "AMPM", and the time zone is dropped.
String mapPattern(const String& p) {
    String out;
    for (int i = 0; i < p.size(); ++i) {
        QChar c = p[i];
        if (c == '\'') {
            int j = p.indexOf('\'', i + 1);
            if (j < 0) j = p.size();
            if (j == i + 1) {
                out += QStringLiteral("\"'\"");
            } else {
                out += '\'';
                out += p.mid(i + 1, j - i - 1);
                out += '\'';
            }
            i = j;
            continue;
        }
        if (c == 'm') {
            out += 'n';
        } else if (c == 'A' || c == 'a') {
            if (i + 1 < p.size() && (p[i + 1] == 'P' || p[i + 1] == 'p')) ++i;
            out += QStringLiteral("AMPM");
        } else if (c == 't') {
            // time zone: drop it with the blank before it
            while (!out.isEmpty() && out.back() == ' ')
                out.chop(1);
        } else if (c == 'H') {
            out += 'h';
        } else {
            out += c;
        }
    }
    return out.trimmed();
}

QChar firstSeparator(const String& pattern, const char* letters, QChar def) {
    bool seenLetter = false;
    for (QChar c : pattern) {
        if (c.toLatin1() && std::strchr(letters, c.toLatin1())) {
            seenLetter = true;
        } else if (seenLetter) {
            return c;
        }
    }
    return def;
}

TFormatSettings fromQLocale(const QLocale& loc) {
    TFormatSettings fs = enUS();
    fs.CurrencyString = loc.currencySymbol();
    const String pos = loc.toCurrencyString(1.0, QStringLiteral("$"), 0);
    const String neg = loc.toCurrencyString(-1.0, QStringLiteral("$"), 0);
    if (pos.startsWith('$'))
        fs.CurrencyFormat = pos.size() > 2 ? 2 : 0;
    else
        fs.CurrencyFormat = pos.size() > 2 ? 3 : 1;
    // The common negative layouts; anything unusual falls back to "-1 $" / "-$1".
    static const char* const negForms[16] = {"($1)", "-$1",  "$-1",   "$1-",  "(1$)", "-1$",
                                             "1-$",  "1$-",  "-1 $",  "-$ 1", "1 $-", "$ 1-",
                                             "$ -1", "1- $", "($ 1)", "(1 $)"};
    String negNorm = neg;
    negNorm.replace(QChar(0x00A0), ' ').replace(QChar(0x202F), ' ');
    fs.NegCurrFormat = fs.CurrencyFormat >= 2 ? 8 : 1;
    for (int i = 0; i < 16; ++i)
        if (negNorm == QString::fromLatin1(negForms[i])) fs.NegCurrFormat = Byte(i);
    fs.DecimalSeparator = loc.decimalPoint().isEmpty() ? QChar('.') : loc.decimalPoint().at(0);
    fs.ThousandSeparator = loc.groupSeparator().isEmpty() ? QChar(',') : loc.groupSeparator().at(0);
    if (fs.ThousandSeparator == QChar(0x202F)) fs.ThousandSeparator = QChar(0x00A0);
    fs.ListSeparator = fs.DecimalSeparator == ',' ? QChar(';') : QChar(',');

    String sd = mapPattern(loc.dateFormat(QLocale::ShortFormat));
    // Short dates show four-digit years, as the platform's locales do.
    if (!sd.contains(QStringLiteral("yyyy"))) sd.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    fs.ShortDateFormat = sd;
    fs.LongDateFormat = mapPattern(loc.dateFormat(QLocale::LongFormat));
    fs.DateSeparator = firstSeparator(sd, "dMy", '/');
    fs.ShortTimeFormat = mapPattern(loc.timeFormat(QLocale::ShortFormat));
    fs.LongTimeFormat = mapPattern(loc.timeFormat(QLocale::LongFormat));
    fs.TimeSeparator = firstSeparator(fs.LongTimeFormat, "hHns", ':');
    if (fs.LongTimeFormat.contains(QStringLiteral("AMPM"))) {
        fs.TimeAMString = loc.amText();
        fs.TimePMString = loc.pmText();
    } else {
        fs.TimeAMString.clear();
        fs.TimePMString.clear();
    }
    for (int i = 0; i < 12; ++i) {
        String s = loc.standaloneMonthName(i + 1, QLocale::ShortFormat);
        if (s.endsWith('.')) s.chop(1);
        fs.ShortMonthNames[i] = s;
        s = loc.standaloneMonthName(i + 1, QLocale::LongFormat);
        if (!s.isEmpty()) s[0] = s[0].toUpper();
        fs.LongMonthNames[i] = s;
    }
    for (int i = 0; i < 7; ++i) {
        const int qtDay = i == 0 ? 7 : i; // Qt counts from Monday
        fs.ShortDayNames[i] = loc.standaloneDayName(qtDay, QLocale::ShortFormat);
        fs.LongDayNames[i] = loc.standaloneDayName(qtDay, QLocale::LongFormat);
    }
    return fs;
}

std::once_flag gInitOnce;
TFormatSettings* gSettings = nullptr;

} // namespace

TFormatSettings TFormatSettings::Create(const String& localeName) {
    QLocale loc = localeName.isEmpty() ? QLocale::system() : QLocale(localeName);
    const String name = localeName.isEmpty() ? loc.name() : localeName;
    if (name.isEmpty() || name == QLatin1String("C") || name.startsWith(QLatin1String("C.")) ||
        name == QLatin1String("POSIX") || loc.language() == QLocale::C)
        return enUS();
    if (loc.language() == QLocale::English && loc.territory() == QLocale::UnitedStates) return enUS();
    if (loc.language() == QLocale::Russian) return ruRU();
    return fromQLocale(loc);
}

TFormatSettings TFormatSettings::Invariant() {
    TFormatSettings fs = enUS();
    fs.CurrencyString = QString(QChar(0x00A4));
    fs.ShortDateFormat = QStringLiteral("MM/dd/yyyy");
    fs.LongDateFormat = QStringLiteral("dddd, dd MMMMM yyyy HH:mm:ss");
    fs.ShortTimeFormat = QStringLiteral("hh:nn");
    fs.LongTimeFormat = QStringLiteral("hh:nn:ss");
    return fs;
}

TFormatSettings& FormatSettings() {
    std::call_once(gInitOnce, [] { gSettings = new TFormatSettings(TFormatSettings::Create()); });
    return *gSettings;
}

void SetFormatSettings(const TFormatSettings& fs) {
    FormatSettings() = fs;
}
