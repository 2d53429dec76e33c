#include "lib/toolscore/PlatformEh.h"

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

namespace {
int Sign(int c) {
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
} // namespace

int LocaleCompareWideStrN(const String& S1, const String& S2, bool IgnoreCase, int Count) {
    const String a = Count > 0 ? S1.left(Count) : S1;
    const String b = Count > 0 ? S2.left(Count) : S2;
    return Sign(IgnoreCase ? AnsiCompareText(a, b) : AnsiCompareStr(a, b));
}

int LocaleCompareStrN(const AnsiString& S1, const AnsiString& S2, bool IgnoreCase, int Count) {
    return LocaleCompareWideStrN(FromAnsi(S1), FromAnsi(S2), IgnoreCase, Count);
}

const TFormatSettings& TFormatSettingsProxyEh::Settings() const {
    return FormatSettings();
}
String TFormatSettingsProxyEh::ShortDateFormat() const {
    return FormatSettings().ShortDateFormat;
}
String TFormatSettingsProxyEh::LongTimeFormat() const {
    return FormatSettings().LongTimeFormat;
}
QChar TFormatSettingsProxyEh::DecimalSeparator() const {
    return FormatSettings().DecimalSeparator;
}
Byte TFormatSettingsProxyEh::CurrencyDecimals() const {
    return FormatSettings().CurrencyDecimals;
}

TFormatSettingsProxyEh& FormatSettingsProxy() {
    static TFormatSettingsProxyEh proxy;
    return proxy;
}

void* TMemoryStreamEh::Realloc(Int64& NewCapacity) {
    if (NewCapacity > 0 && NewCapacity != Size())
        NewCapacity = (NewCapacity + (HalfMemoryDelta * 2 - 1)) & ~(HalfMemoryDelta * 2 - 1);
    return TMemoryStream::Realloc(NewCapacity);
}

int CompareRecordBookmarks(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    return DataSet->CompareBookmarks(Bookmark1, Bookmark2);
}
