#pragma once
// The library's thin layer over the platform: the format-settings proxy, a memory stream with a
// configurable growth step, locale-aware text comparison, and small data-set, variant, rectangle
// and message helpers. Everything in this library reaches those platform services through here.
//
// The window-system wrappers at the end (Sys*, cursor position, bitmap resources) draw on the
// window layer: they are declared here so that callers see one unit, and defined in kvt_tools,
// which the memory table (QtCore only) does not link.

#include "platform/classes/Classes.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variant.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Types.h"

#include <bitset>
#include <vector>

struct TFormatSettings;
class TDataSet;
struct TPropInfo;
struct TDeviceContext;
struct TGdiObject;
class TBitmap;

// ---------------------------------------------------------------------------------------------
// Format settings

// Reads and writes the process-wide format settings: a write changes how the whole process
// formats numbers and dates.
class TFormatSettingsProxyEh : public TObject {
    KVT_CLASS(TFormatSettingsProxyEh, TObject)
public:
    const TFormatSettings& Settings() const;

    QChar DecimalSeparator() const;
    void SetDecimalSeparator(QChar Value);
    QChar DateSeparator() const;
    void SetDateSeparator(QChar Value);
    QChar TimeSeparator() const;
    void SetTimeSeparator(QChar Value);
    Byte CurrencyDecimals() const;
    void SetCurrencyDecimals(Byte Value);
    QChar ThousandSeparator() const;
    void SetThousandSeparator(QChar Value);
    String ShortDateFormat() const;
    void SetShortDateFormat(const String& Value);
    String LongDateFormat() const;
    void SetLongDateFormat(const String& Value);
    String LongTimeFormat() const;
    void SetLongTimeFormat(const String& Value);
};
TFormatSettingsProxyEh& FormatSettingsProxy();

// ---------------------------------------------------------------------------------------------
// A memory stream whose capacity grows in steps of 2 × HalfMemoryDelta (8 KiB by default), so that
// repeated small writes do not reallocate each time. A request equal to the data size is taken
// exactly, so trimming a stream to its own size leaves no slack.
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

// ---------------------------------------------------------------------------------------------
// Data sets

// The data set's own comparison of two bookmarks: negative, zero or positive in record order.
int CompareRecordBookmarks(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2);
// The data set of a data source held in a published object property of Component; nullptr when
// the property is missing, not an object, empty, not a data source, or cannot be read.
TDataSet* DataSetFromSourceProperty(TObject* Component, const TPropInfo* PropInfo);

// ---------------------------------------------------------------------------------------------
// Variants

// Null gives the empty text; anything else its text in the ANSI code page.
AnsiString VariantToAnsiText(const Variant& Value);
// Object references travel in variants at full pointer width.
void ObjectToVariant(TObject* Obj, Variant& Value);
TObject* VariantToObject(const Variant& Value);
// Changes the upper bound of a one-dimensional variant array, keeping its elements.
void RedimVariantArray(Variant& Value, int HighBound);

// ---------------------------------------------------------------------------------------------
// Text
using TSysCharSet = std::bitset<256>;
// True when Ch is below 256 and its 8-bit value is in CharSet.
bool IsCharInSet(QChar Ch, const TSysCharSet& CharSet);
String LocaleUpperCase(const String& S);
String LocaleLowerCase(const String& S);
int LocaleCompareStr(const String& S1, const String& S2);
int LocaleCompareText(const String& S1, const String& S2);
// Compares at most Count characters of each text (0: the whole texts) in the user's locale,
// optionally ignoring case. Answers -1, 0 or 1; -2 would mean the comparison failed, which
// Qt's collation never does. A Count beyond a text's length stops at its end.
int LocaleCompareStrN(const AnsiString& S1, const AnsiString& S2, int Count, bool IgnoreCase);
int LocaleCompareWideStrN(const String& S1, const String& S2, int Count, bool IgnoreCase);
// Copies the zero-terminated Source into Dest, which holds DestSize characters; the copy is cut
// to fit and always terminated. Answers Dest.
QChar* CopyWideChars(QChar* Dest, int DestSize, const QChar* Source);

// ---------------------------------------------------------------------------------------------
// Rectangles, points and messages
inline void MakeEmptyRect(TRect& R) {
    R = TRect(0, 0, 0, 0);
}
inline bool RectIsEmpty(const TRect& R) {
    return !(R.Left < R.Right && R.Top < R.Bottom);
}
inline void CopyMessageRecord(const TMessage& Source, TMessage& Dest) {
    Dest.Msg = Source.Msg;
    Dest.WParam = Source.WParam;
    Dest.LParam = Source.LParam;
    Dest.Result = Source.Result;
}
// A key message is a message read through the key view (TWMKey): the copy is the same record.
inline void CopyMessageToKeyRecord(const TMessage& Source, TMessage& Dest) {
    CopyMessageRecord(Source, Dest);
}
// Pointer-sized pass-throughs: a packed point, a message LPARAM and a pointer keep every bit.
inline LPARAM SmallPointAsLParam(const TSmallPoint& P) {
    return LPARAM(MAKELPARAM(Word(P.x), Word(P.y)));
}
inline TSmallPoint LParamAsSmallPoint(LPARAM LParam) {
    return TSmallPoint{SmallInt(LoWord(uintptr_t(LParam))), SmallInt(HiWord(uintptr_t(LParam)))};
}
inline WPARAM PointerAsWParam(const void* P) {
    return WPARAM(reinterpret_cast<uintptr_t>(P));
}

// ---------------------------------------------------------------------------------------------
// Window-system wrappers (defined in kvt_tools; see the note at the top).
using HDCEh = TDeviceContext*;
using HRGNEh = TGdiObject*;

// The mouse cursor in screen coordinates; (0, 0) when it cannot be told.
void CursorScreenPos(TPoint& P);
// Loads the bitmap registered under ResName (the module's resources) into Bitmap.
void LoadBitmapFromResource(TBitmap* Bitmap, NativeUInt Instance, const String& ResName);
// The handle of a bitmap registered under Name; nullptr when there is none.
TGdiObject* SysLoadBitmap(NativeUInt Instance, const String& Name);

struct DRAWTEXTPARAMS;
int SysDrawText(HDCEh DC, const String& Text, int Count, TRect& Rect, UINT Format);
int SysDrawTextEx(HDCEh DC, const String& Text, int Count, TRect& Rect, UINT Format,
                  const DRAWTEXTPARAMS* Params);
void SysExtTextOut(HDCEh DC, int X, int Y, UINT Options, const TRect* Rect, const String& Text, int Count);
struct OUTLINETEXTMETRICW;
UINT SysGetOutlineTextMetrics(HDCEh DC, UINT BufferSize, OUTLINETEXTMETRICW* Buffer);
LRESULT SysSendMessage(HWND Handle, UINT Msg, WPARAM WParam, LPARAM LParam);
void SysSendTextMessage(HWND Handle, UINT Msg, WPARAM WParam, const String& Text);
BOOL SysInvalidateRect(HWND Handle, const TRect* Rect, bool Erase);
BOOL SysValidateRect(HWND Handle, const TRect* Rect);
BOOL SysScrollWindowEx(HWND Handle, int DX, int DY, const TRect* ScrollRect, const TRect* ClipRect,
                       HRGNEh UpdateRegion, UINT Flags);
BOOL SysScrollWindow(HWND Handle, int DX, int DY, const TRect* Rect, const TRect* ClipRect);
// Maps the two corners of a rectangle.
BOOL SysLPtoDP(HDCEh DC, TPoint (&Points)[2]);
HRGNEh SysCreatePolygonRgn(const std::vector<TPoint>& Points, int Count, int FillMode);
void SysGetEditSelection(HWND Handle, int* SelStart, int* SelEnd);
