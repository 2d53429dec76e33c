#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"

// Kept apart so that only tables with AnsiString properties pull in the code-page conversions.
// Text read from a stream keeps its length: a NUL is a character like any other there.
String kvt_typinfo::AnsiToString(const QByteArray& a) {
    return FromAnsiBytes(a);
}
QByteArray kvt_typinfo::StringToAnsi(const QString& s) {
    return ToAnsi(s);
}
