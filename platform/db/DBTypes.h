#pragma once
// Enumerations and small value types of the data-set layer. The enumerations keep the
// platform's ordinal order: callers test ranges (ftBlob..ftWideMemo, dsInactive < dsBrowse).

#include "platform/classes/Classes.h" // TAlignment
#include "platform/rtl/Currency.h"
#include "platform/rtl/System.h"

enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd,
    ftFixedWideChar,
    ftWideMemo,
    ftOraTimeStamp,
    ftOraInterval,
    ftLongWord,
    ftShortint,
    ftByte,
    ftExtended,
    ftConnection,
    ftParams,
    ftStream,
    ftTimeStampOffset,
    ftObject,
    ftSingle
};
constexpr int FieldTypeCount = int(ftSingle) + 1;
using TFieldTypes = TSet<TFieldType>;
using TBlobType = TFieldType; // ftBlob..ftWideMemo

// The platform's names of the field types ("String", "Integer", "WideMemo", ...).
extern const char* const FieldTypeNames[FieldTypeCount];
String FieldTypeName(TFieldType t);

inline bool IsBlobType(TFieldType t) {
    return (t >= ftBlob && t <= ftTypedBinary) || t == ftOraBlob || t == ftOraClob || t == ftWideMemo;
}

enum TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
    dsCurValue,
    dsBlockRead,
    dsInternalCalc,
    dsOpening
};
using TDataSetStates = TSet<TDataSetState>;
inline const TDataSetStates dsEditModes{dsEdit, dsInsert, dsSetKey};
inline const TDataSetStates dsWriteModes{dsEdit,   dsInsert,   dsSetKey,      dsCalcFields,
                                         dsFilter, dsNewValue, dsInternalCalc};

enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    dePropertyChange,
    deFieldListChange,
    deFocusControl,
    deParentScroll,
    deConnectChange,
    deReconcileError,
    deDisabledStateChange
};

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
using TFieldKinds = TSet<TFieldKind>;

enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };

enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

enum TResyncModeItem { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeItem>;

enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
using TUpdateStatusSet = TSet<TUpdateStatus>;

enum TUpdateKind { ukModify, ukInsert, ukDelete };

enum TDataAction { daFail, daAbort, daRetry };

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

enum TAutoRefreshFlag { arNone, arAutoInc, arDefault };

enum TProviderFlag { pfInUpdate, pfInWhere, pfInKey, pfHidden, pfRefreshOnInsert, pfRefreshOnUpdate };
using TProviderFlags = TSet<TProviderFlag>;

enum TFieldAttribute { faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed };
using TFieldAttributes = TSet<TFieldAttribute>;

enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression, ixNonMaintained };
using TIndexOptions = TSet<TIndexOption>;

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };
using TParamTypes = TSet<TParamType>;

enum TFieldChar { fcNone };

// A bookmark: the data set's bytes for a position (empty: none).
using TBookmark = TBytes;
using TBookmarkStr = AnsiString;

// A record buffer: an opaque handle chosen by the data set (0: none). Never dereferenced by
// the base class.
using TRecordBuffer = NativeInt;

// The platform's SQL time-stamp record.
struct TSQLTimeStamp {
    SmallInt Year = 0;
    Word Month = 0;
    Word Day = 0;
    Word Hour = 0;
    Word Minute = 0;
    Word Second = 0;
    LongWord Fractions = 0; // milliseconds
    friend bool operator==(const TSQLTimeStamp&, const TSQLTimeStamp&) = default;
};

// The platform's binary-coded decimal: Precision digits, of which SignSpecialPlaces & 63 are
// decimals, sign in bit 7; Fraction holds two digits per byte, most significant first.
struct TBcd {
    Byte Precision = 0;
    Byte SignSpecialPlaces = 0;
    std::array<Byte, 32> Fraction{};
    friend bool operator==(const TBcd&, const TBcd&) = default;
};

// The platform's native date-time forms used in field buffers.
struct TTimeStamp {
    Integer Time = 0; // milliseconds since midnight
    Integer Date = 0; // days since 0001-01-01, plus one
};

// The BCD and time-stamp conversions fields and data sets need.
TBcd CurrToBCD(const Currency& c, int precision = 32, int decimals = 4);
bool BCDToCurr(const TBcd& bcd, Currency& c); // false when it does not fit
TBcd StrToBcd(const String& s);               // "." or the locale's separator; EConvertError when malformed
String BcdToStr(const TBcd& bcd);             // "." as the decimal separator
double BcdToDouble(const TBcd& bcd);
TBcd DoubleToBcd(double v);
TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime d);
TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& ts);
TTimeStamp DateTimeToTimeStamp(TDateTime d);
TDateTime TimeStampToDateTime(const TTimeStamp& ts);
double TimeStampToMSecs(const TTimeStamp& ts);
TTimeStamp MSecsToTimeStamp(double msecs);
