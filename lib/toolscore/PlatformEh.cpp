#include "lib/toolscore/PlatformEh.h"

#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <cstdint>
#include <cstdlib>

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

TMemoryStreamEh::~TMemoryStreamEh() {
    // The block is ours: the base destructor cannot reach this Realloc.
    SetCapacity(0);
}

void* TMemoryStreamEh::Realloc(Int64& NewCapacity) {
    const QString outOfMemory = QStringLiteral("Out of memory while expanding memory stream");
    if (NewCapacity > 0 && NewCapacity != Size() && FHalfMemoryDelta > 0) {
        // The bits of the step less one are cleared, as for a power of two; for other steps
        // the result still never falls below the request.
        const Int64 step = Int64(FHalfMemoryDelta) * 2;
        if (NewCapacity > INT64_MAX - step) throw EStreamError(outOfMemory);
        NewCapacity = (NewCapacity + (step - 1)) & ~(step - 1);
    }
    void* result = FMemory;
    if (NewCapacity == FCapacity) return result;
    if (NewCapacity == 0) {
        std::free(FMemory);
        return nullptr;
    }
    result = (FCapacity == 0 || !FMemory) ? std::malloc(size_t(NewCapacity))
                                          : std::realloc(FMemory, size_t(NewCapacity));
    // The old block stays the stream's when a larger one cannot be had.
    if (!result) throw EStreamError(outOfMemory);
    return result;
}

int CompareRecordBookmarks(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    return DataSet->CompareBookmarks(Bookmark1, Bookmark2);
}
