#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"

// Kept apart so that only tables with AnsiString properties pull in the code-page conversions.
String kvt_typinfo::AnsiToString(const QByteArray& a) {
    return FromAnsi(a);
}
QByteArray kvt_typinfo::StringToAnsi(const QString& s) {
    return ToAnsi(s);
}
