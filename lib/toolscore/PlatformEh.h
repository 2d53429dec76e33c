#pragma once
// Non-window platform helpers of the library: locale-aware text comparison with an optional
// length limit, the format-settings proxy and a growable memory stream.

#include "platform/classes/Classes.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/System.h"

struct TFormatSettings;
class TDataSet;

// The data set's own comparison of two bookmarks: negative, zero or positive in record order.
int CompareRecordBookmarks(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2);

// Compares S1 and S2 in the user's locale, optionally ignoring case; Count 0 compares the whole
// texts, otherwise at most Count characters of each. Answers -1, 0 or 1 (-2 is never answered
// here: Qt's collation does not fail).
int LocaleCompareStrN(const AnsiString& S1, const AnsiString& S2, bool IgnoreCase = false, int Count = 0);
int LocaleCompareWideStrN(const String& S1, const String& S2, bool IgnoreCase = false, int Count = 0);

// Gives the library one place to read the current format settings from.
class TFormatSettingsProxyEh : public TObject {
    KVT_CLASS(TFormatSettingsProxyEh, TObject)
public:
    const TFormatSettings& Settings() const;
    String ShortDateFormat() const;
    String LongTimeFormat() const;
    QChar DecimalSeparator() const;
    Byte CurrencyDecimals() const;
};
TFormatSettingsProxyEh& FormatSettingsProxy();

// A memory stream whose capacity grows in steps of twice HalfMemoryDelta, so that repeated
// small writes do not reallocate each time; a caller that writes much sets a larger step.
class TMemoryStreamEh : public TMemoryStream {
    KVT_CLASS(TMemoryStreamEh, TMemoryStream)
public:
    TMemoryStreamEh() = default;
    ~TMemoryStreamEh() override;

    Integer HalfMemoryDelta() const { return FHalfMemoryDelta; }
    // A value below 1 leaves capacities unrounded.
    void SetHalfMemoryDelta(Integer Value) { FHalfMemoryDelta = Value; }

    void* Realloc(Int64& NewCapacity) override;

private:
    Integer FHalfMemoryDelta = 4096;
};
