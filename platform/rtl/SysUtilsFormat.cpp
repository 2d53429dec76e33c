// Format: the platform's printf-like formatting with argument indexes.

#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include "platform/rtl/SysUtilsFloatRec.h"

namespace {

// Widths and precisions beyond this are taken as this: a format from outside (a translated
// text, a file) must not make one conversion allocate gigabytes. The message-text formatter
// uses the same bound.
constexpr int kMaxWidth = 4096;

[[noreturn]] void formatError(const String& fmt) {
    throw EConvertError(QStringLiteral("Format '") + fmt +
                        QStringLiteral("' invalid or incompatible with argument"));
}

String formatImpl(const String& fmt, const TVarRec* args, int count, const TFormatSettings& fs) {
    String out;
    int next = 0; // the next argument
    const int n = fmt.size();
    int i = 0;
    auto readNumber = [&](int& value) -> bool { // digits or '*'
        if (i < n && fmt[i] == '*') {
            ++i;
            if (next >= count) formatError(fmt);
            const TVarRec& a = args[next++];
            if (a.VType() != TVarRec::vtInteger && a.VType() != TVarRec::vtInt64) formatError(fmt);
            value = int(std::clamp<Int64>(a.AsInt64(), -kMaxWidth, kMaxWidth));
            return true;
        }
        if (i < n && fmt[i] >= '0' && fmt[i] <= '9') {
            value = 0;
            while (i < n && fmt[i] >= '0' && fmt[i] <= '9') {
                value = std::min(value * 10 + (fmt[i].unicode() - '0'), kMaxWidth);
                ++i;
            }
            return true;
        }
        return false;
    };
    while (i < n) {
        const QChar c = fmt[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i >= n) formatError(fmt);
        if (fmt[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        int width = -1, prec = -1, number = 0;
        bool left = false;
        if (readNumber(number)) {
            if (i < n && fmt[i] == ':') {
                ++i;
                next = number;
                if (readNumber(number)) width = number;
            } else {
                width = number;
            }
        }
        if (width < 0) {
            if (i < n && fmt[i] == '-') {
                left = true;
                ++i;
            }
            if (readNumber(number)) width = number;
        }
        if (i < n && fmt[i] == '.') {
            ++i;
            if (!readNumber(number)) number = 0;
            prec = number;
        }
        if (i >= n) formatError(fmt);
        const char16_t conv = QChar(fmt[i]).toUpper().unicode();
        ++i;
        if (next < 0 || next >= count) formatError(fmt);
        const TVarRec& a = args[next++];
        const auto kind = a.VType();
        const bool isInt = kind == TVarRec::vtInteger || kind == TVarRec::vtInt64;
        String text;
        switch (conv) {
        case 'D':
        case 'U': {
            if (!isInt) formatError(fmt);
            const Int64 v = a.AsInt64();
            bool neg = false;
            String digits;
            if (conv == 'U') {
                const UInt64 u = kind == TVarRec::vtInteger ? UInt64(uint32_t(v)) : UInt64(v);
                digits = QString::number(u);
            } else {
                neg = v < 0;
                digits = QString::number(neg ? UInt64(0) - UInt64(v) : UInt64(v));
            }
            if (prec > digits.size()) digits.prepend(String(prec - digits.size(), '0'));
            text = neg ? '-' + digits : digits;
            break;
        }
        case 'X': {
            if (!isInt) formatError(fmt);
            const Int64 v = a.AsInt64();
            const UInt64 u = kind == TVarRec::vtInteger ? UInt64(uint32_t(v)) : UInt64(v);
            text = QString::number(u, 16).toUpper();
            if (prec > text.size()) text.prepend(String(prec - text.size(), '0'));
            break;
        }
        case 'E':
        case 'F':
        case 'G':
        case 'N':
        case 'M': {
            const bool isCurr = kind == TVarRec::vtCurrency;
            if (kind != TVarRec::vtExtended && !isCurr) formatError(fmt);
            TFloatFormat ff;
            int precision, digits;
            switch (conv) {
            case 'E':
                ff = ffExponent;
                precision = prec < 0 || prec > 18 ? 15 : prec;
                digits = 3;
                break;
            case 'G':
                ff = ffGeneral;
                precision = prec < 0 || prec > 18 ? 15 : prec;
                digits = 3;
                break;
            case 'F':
                ff = ffFixed;
                precision = isCurr ? 19 : 18;
                digits = prec < 0 ? 2 : prec;
                break;
            case 'N':
                ff = ffNumber;
                precision = isCurr ? 19 : 18;
                digits = prec < 0 ? 2 : prec;
                break;
            default:
                ff = ffCurrency;
                precision = isCurr ? 19 : 18;
                digits = prec < 0 ? fs.CurrencyDecimals : prec;
                break;
            }
            text = FloatToTextValue(isCurr, a.AsExtended(), a.AsCurrency(), ff, precision, digits, fs);
            break;
        }
        case 'S': {
            if (kind != TVarRec::vtString && kind != TVarRec::vtChar) formatError(fmt);
            text = a.AsString();
            if (prec >= 0 && prec < text.size()) text.truncate(prec);
            break;
        }
        case 'P': {
            if (kind != TVarRec::vtPointer) formatError(fmt);
            text = QString::number(quintptr(a.AsPointer()), 16).toUpper();
            const int w = int(sizeof(void*) * 2);
            if (text.size() < w) text.prepend(String(w - text.size(), '0'));
            break;
        }
        default:
            formatError(fmt);
        }
        if (width > text.size()) {
            const String pad(width - text.size(), ' ');
            text = left ? text + pad : pad + text;
        }
        out += text;
    }
    return out;
}

} // namespace

String Format(const String& fmt, TVarRecs args) {
    return Format(fmt, args, FormatSettings());
}

String Format(const String& fmt, TVarRecs args, const TFormatSettings& fs) {
    return formatImpl(fmt, args.begin(), int(args.size()), fs);
}

String Format(const String& fmt, const std::vector<TVarRec>& args, const TFormatSettings& fs) {
    return formatImpl(fmt, args.data(), int(args.size()), fs);
}

String Format(const String& fmt, const std::vector<TVarRec>& args) {
    return Format(fmt, args, FormatSettings());
}
