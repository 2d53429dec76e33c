#include "lib/toolscore/PlatformEh.h"

#include "platform/classes/TypInfo.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {
int Sign(int c) {
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Text

int LocaleCompareWideStrN(const String& S1, const String& S2, int Count, bool IgnoreCase) {
    // left() stops at the text's end, so a Count longer than a text never reads past it.
    const String a = Count > 0 ? S1.left(Count) : S1;
    const String b = Count > 0 ? S2.left(Count) : S2;
    return Sign(IgnoreCase ? AnsiCompareText(a, b) : AnsiCompareStr(a, b));
}

int LocaleCompareStrN(const AnsiString& S1, const AnsiString& S2, int Count, bool IgnoreCase) {
    const AnsiString a = Count > 0 ? S1.left(Count) : S1;
    const AnsiString b = Count > 0 ? S2.left(Count) : S2;
    return LocaleCompareWideStrN(FromAnsi(a), FromAnsi(b), 0, IgnoreCase);
}

String LocaleUpperCase(const String& S) {
    return AnsiUpperCase(S);
}
String LocaleLowerCase(const String& S) {
    return AnsiLowerCase(S);
}
int LocaleCompareStr(const String& S1, const String& S2) {
    return AnsiCompareStr(S1, S2);
}
int LocaleCompareText(const String& S1, const String& S2) {
    return AnsiCompareText(S1, S2);
}

bool IsCharInSet(QChar Ch, const TSysCharSet& CharSet) {
    return Ch.unicode() < 256 && CharSet.test(Ch.unicode());
}

QChar* CopyWideChars(QChar* Dest, int DestSize, const QChar* Source) {
    if (!Dest || DestSize <= 0) return Dest;
    int i = 0;
    if (Source)
        for (; i < DestSize - 1 && !Source[i].isNull(); ++i)
            Dest[i] = Source[i];
    Dest[i] = QChar(0);
    return Dest;
}

// ---------------------------------------------------------------------------------------------
// Variants

AnsiString VariantToAnsiText(const Variant& Value) {
    if (Value.IsNull()) return AnsiString();
    return Value.AsAnsiString();
}

void ObjectToVariant(TObject* Obj, Variant& Value) {
    Value = Variant(Obj);
}

TObject* VariantToObject(const Variant& Value) {
    return Value.AsObject();
}

void RedimVariantArray(Variant& Value, int HighBound) {
    VarArrayRedim(Value, HighBound);
}

// ---------------------------------------------------------------------------------------------
// Format settings

const TFormatSettings& TFormatSettingsProxyEh::Settings() const {
    return FormatSettings();
}
QChar TFormatSettingsProxyEh::DecimalSeparator() const {
    return FormatSettings().DecimalSeparator;
}
void TFormatSettingsProxyEh::SetDecimalSeparator(QChar Value) {
    FormatSettings().DecimalSeparator = Value;
}
QChar TFormatSettingsProxyEh::DateSeparator() const {
    return FormatSettings().DateSeparator;
}
void TFormatSettingsProxyEh::SetDateSeparator(QChar Value) {
    FormatSettings().DateSeparator = Value;
}
QChar TFormatSettingsProxyEh::TimeSeparator() const {
    return FormatSettings().TimeSeparator;
}
void TFormatSettingsProxyEh::SetTimeSeparator(QChar Value) {
    FormatSettings().TimeSeparator = Value;
}
Byte TFormatSettingsProxyEh::CurrencyDecimals() const {
    return FormatSettings().CurrencyDecimals;
}
void TFormatSettingsProxyEh::SetCurrencyDecimals(Byte Value) {
    FormatSettings().CurrencyDecimals = Value;
}
QChar TFormatSettingsProxyEh::ThousandSeparator() const {
    return FormatSettings().ThousandSeparator;
}
void TFormatSettingsProxyEh::SetThousandSeparator(QChar Value) {
    FormatSettings().ThousandSeparator = Value;
}
String TFormatSettingsProxyEh::ShortDateFormat() const {
    return FormatSettings().ShortDateFormat;
}
void TFormatSettingsProxyEh::SetShortDateFormat(const String& Value) {
    FormatSettings().ShortDateFormat = Value;
}
String TFormatSettingsProxyEh::LongDateFormat() const {
    return FormatSettings().LongDateFormat;
}
void TFormatSettingsProxyEh::SetLongDateFormat(const String& Value) {
    FormatSettings().LongDateFormat = Value;
}
String TFormatSettingsProxyEh::LongTimeFormat() const {
    return FormatSettings().LongTimeFormat;
}
void TFormatSettingsProxyEh::SetLongTimeFormat(const String& Value) {
    FormatSettings().LongTimeFormat = Value;
}

TFormatSettingsProxyEh& FormatSettingsProxy() {
    static TFormatSettingsProxyEh proxy;
    return proxy;
}

// ---------------------------------------------------------------------------------------------
// Memory stream

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

// ---------------------------------------------------------------------------------------------
// Data sets

int CompareRecordBookmarks(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    return DataSet->CompareBookmarks(Bookmark1, Bookmark2);
}

TDataSet* DataSetFromSourceProperty(TObject* Component, const TPropInfo* PropInfo) {
    if (!Component || !PropInfo || !PropInfo->PropType || PropInfo->PropType->Kind != tkClass) return nullptr;
    if (!PropInfo->CanRead()) return nullptr;
    try {
        TObject* obj = GetObjectProp(Component, PropInfo);
        if (auto* ds = dynamic_cast<TDataSource*>(obj)) return ds->DataSet();
    } catch (...) {
        // A property that cannot be read simply has no data set.
    }
    return nullptr;
}
