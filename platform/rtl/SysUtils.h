#pragma once
// Format settings and the platform's conversions between text, numbers and date-times, string
// helpers, the Windows-1251 code page and the platform's integer/float arithmetic rules.
// Every conversion matches the platform's output exactly.

#include "platform/rtl/System.h"
#include "platform/rtl/Currency.h"

#include <initializer_list>

// ---------------------------------------------------------------------------------------------
// Format settings
struct TFormatSettings {
    String CurrencyString;
    Byte CurrencyFormat = 0;
    Byte CurrencyDecimals = 2;
    QChar DateSeparator = '/';
    QChar TimeSeparator = ':';
    QChar ListSeparator = ',';
    String ShortDateFormat;
    String LongDateFormat;
    String TimeAMString;
    String TimePMString;
    String ShortTimeFormat;
    String LongTimeFormat;
    std::array<String, 12> ShortMonthNames;
    std::array<String, 12> LongMonthNames;
    std::array<String, 7> ShortDayNames; // Sunday first
    std::array<String, 7> LongDayNames;
    QChar ThousandSeparator = ',';
    QChar DecimalSeparator = '.';
    Word TwoDigitYearCenturyWindow = 50;
    Byte NegCurrFormat = 0;

    // Settings of the given locale ("ru_RU", "en_US", "C"...); the empty name is the system's.
    static TFormatSettings Create(const String& localeName = String());
    // The platform's invariant settings (en-US like, "." decimal, "MM/dd/yyyy", "hh:nn:ss").
    static TFormatSettings Invariant();
};

// The process-wide settings, initialised from the system locale (LANG); tests pin them.
TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& fs);

// ---------------------------------------------------------------------------------------------
// A value for Format's open array of arguments.
class TVarRec {
public:
    enum Kind {
        vtInteger,
        vtInt64,
        vtBoolean,
        vtChar,
        vtExtended,
        vtString,
        vtPointer,
        vtCurrency,
        vtObject
    };
    TVarRec(int v) : FKind(vtInteger), FInt(v) {}
    TVarRec(unsigned v) : FKind(vtInt64), FInt(v) {}
    TVarRec(long v) : FKind(vtInt64), FInt(v) {}
    TVarRec(unsigned long v) : FKind(vtInt64), FInt(Int64(v)) {}
    TVarRec(long long v) : FKind(vtInt64), FInt(v) {}
    TVarRec(unsigned long long v) : FKind(vtInt64), FInt(Int64(v)) {}
    TVarRec(short v) : FKind(vtInteger), FInt(v) {}
    TVarRec(unsigned short v) : FKind(vtInteger), FInt(v) {}
    TVarRec(signed char v) : FKind(vtInteger), FInt(v) {}
    TVarRec(unsigned char v) : FKind(vtInteger), FInt(v) {}
    TVarRec(bool v) : FKind(vtBoolean), FInt(v) {}
    TVarRec(QChar v) : FKind(vtChar), FStr(v) {}
    TVarRec(char v) : FKind(vtChar), FStr(QChar::fromLatin1(v)) {}
    TVarRec(double v) : FKind(vtExtended), FFloat(v) {}
    TVarRec(float v) : FKind(vtExtended), FFloat(v) {}
    TVarRec(long double v) : FKind(vtExtended), FFloat(v) {}
    TVarRec(const String& v) : FKind(vtString), FStr(v) {}
    TVarRec(const char* v) : FKind(vtString), FStr(QString::fromUtf8(v)) {}
    TVarRec(const char16_t* v) : FKind(vtString), FStr(QString::fromUtf16(v)) {}
    TVarRec(const Currency& v) : FKind(vtCurrency), FCurr(v) {}
    TVarRec(const void* v) : FKind(vtPointer), FPtr(v) {}
    TVarRec(std::nullptr_t) : FKind(vtPointer), FPtr(nullptr) {}

    Kind VType() const { return FKind; }
    Int64 AsInt64() const { return FInt; }
    long double AsExtended() const { return FFloat; }
    const String& AsString() const { return FStr; }
    const void* AsPointer() const { return FPtr; }
    Currency AsCurrency() const { return FCurr; }

private:
    Kind FKind;
    Int64 FInt = 0;
    long double FFloat = 0;
    String FStr;
    const void* FPtr = nullptr;
    Currency FCurr;
};
using TVarRecs = std::initializer_list<TVarRec>;

// Format("%d %s %5.2f %0:s %-8x %n %m %e %g %u %p", {...}); EConvertError on a bad format or
// argument ("Format '%s' invalid or incompatible with argument").
String Format(const String& fmt, TVarRecs args);
String Format(const String& fmt, TVarRecs args, const TFormatSettings& fs);
String Format(const String& fmt, const std::vector<TVarRec>& args);
String Format(const String& fmt, const std::vector<TVarRec>& args, const TFormatSettings& fs);

// ---------------------------------------------------------------------------------------------
// Integers
String IntToStr(Int64 v);
String UIntToStr(UInt64 v);
// Hex digits of the value's two's complement in its own width: IntToHex(-1, 2) is "FFFFFFFF" for
// an Integer and 16 "F" for an Int64.
String IntToHex(Int64 v, int digits);
String IntToHex(Integer v, int digits);
String IntToHex(Cardinal v, int digits);
String IntToHex(UInt64 v, int digits);
Integer StrToInt(const String& s); // EConvertError "'%s' is not a valid integer value"
Int64 StrToInt64(const String& s);
Integer StrToIntDef(const String& s, Integer def);
Int64 StrToInt64Def(const String& s, Int64 def);
// Leading blanks, a sign, decimal or hex ("$1F", "0x1F") digits and nothing after them.
bool TryStrToInt(const String& s, Integer& v);
bool TryStrToInt64(const String& s, Int64& v);
bool StrToBool(const String& s);
bool TryStrToBool(const String& s, bool& v);
String BoolToStr(bool b, bool useBoolStrs = false);

// ---------------------------------------------------------------------------------------------
// Floats
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
enum TFloatValue { fvExtended, fvCurrency };

String FloatToStr(Extended v); // 15 significant digits
String FloatToStr(Extended v, const TFormatSettings& fs);
String FloatToStrF(Extended v, TFloatFormat format, int precision, int digits);
String FloatToStrF(Extended v, TFloatFormat format, int precision, int digits, const TFormatSettings& fs);
String FormatFloat(const String& format, Extended v); // sections ";", quotes, 0 # . , E+ E-
String FormatFloat(const String& format, Extended v, const TFormatSettings& fs);
String FormatCurr(const String& format, Currency v);
String FormatCurr(const String& format, Currency v, const TFormatSettings& fs);
String CurrToStr(Currency v);
String CurrToStr(Currency v, const TFormatSettings& fs);
String CurrToStrF(Currency v, TFloatFormat format, int digits);
String CurrToStrF(Currency v, TFloatFormat format, int digits, const TFormatSettings& fs);
Extended StrToFloat(const String& s); // EConvertError "'%s' is not a valid floating point value"
Extended StrToFloat(const String& s, const TFormatSettings& fs);
Extended StrToFloatDef(const String& s, Extended def);
Extended StrToFloatDef(const String& s, Extended def, const TFormatSettings& fs);
bool TryStrToFloat(const String& s, Extended& v);
bool TryStrToFloat(const String& s, Extended& v, const TFormatSettings& fs);
bool TryStrToFloat(const String& s, Double& v);
bool TryStrToFloat(const String& s, Double& v, const TFormatSettings& fs);
Currency StrToCurr(const String& s);
Currency StrToCurr(const String& s, const TFormatSettings& fs);
bool TryStrToCurr(const String& s, Currency& v);
bool TryStrToCurr(const String& s, Currency& v, const TFormatSettings& fs);
// The platform's TextToFloat: the fast parser behind StrToFloat (blanks around are allowed).
bool TextToFloat(const String& s, Extended& v, TFloatValue kind, const TFormatSettings& fs);

// ---------------------------------------------------------------------------------------------
// Date and time (TDateTime = days since 1899-12-30)
TDateTime Now();
TDateTime Date();
TDateTime Time();
TDateTime EncodeDate(Word year, Word month, Word day); // EConvertError "Invalid argument to date encode"
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec); // "Invalid argument to time encode"
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& d);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& t);
void DecodeDate(TDateTime d, Word& year, Word& month, Word& day);
bool DecodeDateFully(TDateTime d, Word& year, Word& month, Word& day, Word& dow);
void DecodeTime(TDateTime t, Word& hour, Word& min, Word& sec, Word& msec);
Word DayOfWeek(TDateTime d); // 1 = Sunday
bool IsLeapYear(Word year);
Word DaysInAMonth(Word year, Word month);
TDateTime IncMonth(TDateTime d, int months = 1);
TDateTime DateOf(TDateTime d);
TDateTime TimeOf(TDateTime d);

// Letters: c d dd ddd dddd ddddd dddddd e ee g gg m mm mmm mmmm yy yyyy h hh n nn s ss z zzz
// t tt am/pm a/p ampm / : and quoted literals; an empty format is "c".
String FormatDateTime(const String& format, TDateTime d);
String FormatDateTime(const String& format, TDateTime d, const TFormatSettings& fs);
void DateTimeToString(String& result, const String& format, TDateTime d);
void DateTimeToString(String& result, const String& format, TDateTime d, const TFormatSettings& fs);
String DateTimeToStr(TDateTime d); // the time is left out at midnight
String DateTimeToStr(TDateTime d, const TFormatSettings& fs);
String DateToStr(TDateTime d);
String DateToStr(TDateTime d, const TFormatSettings& fs);
String TimeToStr(TDateTime d);
String TimeToStr(TDateTime d, const TFormatSettings& fs);
TDateTime StrToDate(const String& s); // EConvertError "'%s' is not a valid date"
TDateTime StrToDate(const String& s, const TFormatSettings& fs);
TDateTime StrToTime(const String& s); // "'%s' is not a valid time"
TDateTime StrToTime(const String& s, const TFormatSettings& fs);
TDateTime StrToDateTime(const String& s); // "'%s' is not a valid date and time"
TDateTime StrToDateTime(const String& s, const TFormatSettings& fs);
// Two-digit years follow TwoDigitYearCenturyWindow around the current year (see SetNowOverride).
bool TryStrToDate(const String& s, TDateTime& d);
bool TryStrToDate(const String& s, TDateTime& d, const TFormatSettings& fs);
bool TryStrToTime(const String& s, TDateTime& d);
bool TryStrToTime(const String& s, TDateTime& d, const TFormatSettings& fs);
bool TryStrToDateTime(const String& s, TDateTime& d);
bool TryStrToDateTime(const String& s, TDateTime& d, const TFormatSettings& fs);
// Replaces the clock behind Now/Date/Time (and the current year of the date parser); nullptr
// restores the system clock. For tests.
void SetNowOverride(TDateTime (*now)());

// ---------------------------------------------------------------------------------------------
// Strings
String Trim(const String& s); // removes characters <= ' ' at both ends
String TrimLeft(const String& s);
String TrimRight(const String& s);
String QuotedStr(const String& s); // 'it''s'
String AnsiQuotedStr(const String& s, QChar quote);
String AnsiDequotedStr(const String& s, QChar quote);
String AnsiExtractQuotedStr(const String& s, int& pos, QChar quote); // pos is 0-based, advanced
enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = TSet<TReplaceFlag>;
String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags);
String UpperCase(const String& s); // ASCII only
String LowerCase(const String& s);
String AnsiUpperCase(const String& s); // locale-aware
String AnsiLowerCase(const String& s);
int CompareStr(const String& a, const String& b);  // ordinal, case-sensitive
int CompareText(const String& a, const String& b); // ordinal, ASCII case-insensitive
bool SameText(const String& a, const String& b);
bool SameStr(const String& a, const String& b);
int AnsiCompareStr(const String& a, const String& b);  // locale collation, case-sensitive
int AnsiCompareText(const String& a, const String& b); // locale collation, case-insensitive
bool AnsiSameText(const String& a, const String& b);
bool AnsiSameStr(const String& a, const String& b);
int WideCompareStr(const String& a, const String& b);
int WideCompareText(const String& a, const String& b);
// The locale whose collation the Ansi/Wide comparisons use ("ru_RU", "C"...); empty: the
// system locale (LANG), which is the default.
void SetCollationLocale(const String& localeName);
// Whether texts of printable ASCII are compared through weights taken from the collation
// locale's collator (same results, no collator call); false where the locale's rules need
// the collator for them too.
bool CollationFastPathActive();
// The first eight characters of a text as an order-preserving sort key: for two texts that both
// have one, a smaller key means AnsiCompareStr and AnsiCompareText both put that text first;
// equal keys decide nothing. False when the text is not all printable ASCII or the collation
// locale has no weights for ASCII texts. The 8-bit form is for text in a single-byte code page
// (its printable ASCII bytes are the same characters).
bool CollationKeyPrefix(QStringView s, uint64_t& key);
bool CollationKeyPrefix(const char* p, qsizetype n, uint64_t& key);
int AnsiPos(const String& sub, const String& s);             // 1-based, 0 when absent (the platform's)
int Pos(const String& sub, const String& s, int offset = 1); // 1-based
String Copy(const String& s, int index1, int count);         // 1-based like the platform
String StringOfChar(QChar c, int count);
String IncludeTrailingPathDelimiter(const String& s);
String ExcludeTrailingPathDelimiter(const String& s);
String ExtractFilePath(const String& s);
String ExtractFileName(const String& s);
String ExtractFileExt(const String& s);
String ChangeFileExt(const String& s, const String& ext);
bool FileExists(const String& path);
bool DirectoryExists(const String& path);
bool DeleteFile(const String& path);
bool RenameFile(const String& oldName, const String& newName);
String WrapText(const String& line, int maxCol = 45); // breaks with CR LF at " -\t"
String WrapText(const String& line, const String& breakStr, const String& breakChars, int maxCol);
bool IsValidIdent(const String& ident, bool allowDots = false);

// ---------------------------------------------------------------------------------------------
// The system ANSI code page: Windows-1251 on every machine.
AnsiString ToAnsi(const String& s); // unmappable characters become '?'
String FromAnsi(const AnsiString& a);
String FromAnsi(const char* p, int len);   // stops at the first NUL within len
String FromAnsiZ(const char* p);           // up to the NUL
String FromAnsiBytes(const AnsiString& a); // every byte, NULs included
// Decodes a text file's bytes: a UTF-8 or UTF-16 BOM decides; else valid UTF-8 is UTF-8,
// anything else Windows-1251.
String DecodeText(const QByteArray& bytes);

// ---------------------------------------------------------------------------------------------
// Arithmetic as the platform does it
Int64 Round(Extended v); // half to even; EInvalidOp when out of Int64 range or NaN
Int64 Trunc(Extended v);
Extended Frac(Extended v);
Extended Int(Extended v);
Integer MulDiv(Integer a, Integer b, Integer c); // half away from zero; -1 when c == 0
inline Integer Div(Integer a, Integer b) {
    return a / b;
} // truncating, like div
inline Integer Mod(Integer a, Integer b) {
    return a % b;
}
bool SameValue(Extended a, Extended b, Extended epsilon = 0);
bool IsNan(double v);
bool IsInfinite(double v);

// ---------------------------------------------------------------------------------------------
// Errors
String SysErrorMessage(int errorCode);
[[noreturn]] void RaiseLastOSError(int errorCode);
// Exception with a formatted message (Exception.CreateFmt)
template <class E = Exception> [[noreturn]] inline void RaiseFmt(const String& fmt, TVarRecs args) {
    throw E(Format(fmt, args));
}

// ---------------------------------------------------------------------------------------------
// Ticks and sleep (the platform's GetTickCount / Sleep)
uint32_t GetTickCount();
uint64_t GetTickCount64();
void Sleep(uint32_t ms);
