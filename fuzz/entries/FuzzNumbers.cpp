// Number and date parsing and the formatting routines, fed with text (and formats) from outside.
// The first byte chooses the routine, the rest is the text (UTF-8).

#include "fuzz/FuzzEntries.h"

#include "platform/rtl/Currency.h"
#include "platform/rtl/SysUtils.h"

#include <cmath>

namespace kvt_fuzz {

namespace {

// A conversion is at most this long; longer widths and precisions are capped.
constexpr int kMaxConversion = 4096 + 64;

TDateTime FixedNow() {
    return 45356.5; // 2024-03-05 12:00
}

} // namespace

void Numbers(const uint8_t* Data, size_t Size) {
    if (Size == 0) return;
    SetNowOverride(FixedNow);
    const String text = QString::fromUtf8(reinterpret_cast<const char*>(Data + 1), qsizetype(Size - 1));
    const TFormatSettings& fs = FormatSettings();
    try {
        switch (Data[0] % 10) {
        case 0: {
            Int64 v;
            if (TryStrToInt64(text, v)) {
                Int64 back;
                Check(TryStrToInt64(IntToStr(v), back) && back == v, "IntToStr does not read back");
            }
            break;
        }
        case 1: {
            Extended v;
            if (TryStrToFloat(text, v, fs) && std::isfinite(v)) {
                Extended back;
                Check(TryStrToFloat(FloatToStr(v, fs), back, fs), "FloatToStr does not read back");
            }
            break;
        }
        case 2: {
            Currency c;
            if (TryStrToCurr(text, c, fs)) {
                Currency back;
                Check(TryStrToCurr(CurrToStr(c, fs), back, fs) && back.Scaled() == c.Scaled(),
                      "CurrToStr does not read back");
            }
            break;
        }
        case 3: {
            TDateTime d;
            if (TryStrToDate(text, d, fs)) {
                TDateTime back;
                Check(TryStrToDate(DateToStr(d, fs), back, fs) && back == d, "DateToStr does not read back");
            }
            break;
        }
        case 4: {
            TDateTime d;
            if (TryStrToTime(text, d, fs)) (void)TimeToStr(d, fs);
            break;
        }
        case 5: {
            TDateTime d;
            if (TryStrToDateTime(text, d, fs) && std::fabs(d) < 3e6) (void)DateTimeToStr(d, fs);
            break;
        }
        case 6:
            (void)FormatFloat(text, -1234567.891, fs);
            (void)FormatFloat(text, 0.0, fs);
            (void)FormatFloat(text, 1e300, fs);
            break;
        case 7:
            (void)FormatDateTime(text, 45356.5123, fs);
            break;
        case 8:
            (void)FormatCurr(text, Currency::FromScaled(-123456789), fs);
            break;
        case 9: {
            const String out = Format(text, {42, Int64(-7) << 40, 1.5, "text", QChar('c')}, fs);
            Check(out.size() <= (text.size() + 1) * kMaxConversion,
                  "Format wrote more than its conversions allow");
            break;
        }
        }
    } catch (const Exception&) {
    }
    SetNowOverride(nullptr);
}

} // namespace kvt_fuzz
