// Text encodings: the ANSI code page (Windows-1251), ASCII, UTF-8 and UTF-16.

#include "platform/classes/Classes.h"
#include "platform/rtl/SysUtils.h"

namespace {
const TEncoding kAnsi(TEncoding::ekAnsi);
const TEncoding kASCII(TEncoding::ekASCII);
const TEncoding kUTF8(TEncoding::ekUTF8);
const TEncoding kUnicode(TEncoding::ekUnicode);
const TEncoding kBigEndian(TEncoding::ekBigEndianUnicode);
} // namespace

const TEncoding* TEncoding::Default() {
    return &kAnsi;
}
const TEncoding* TEncoding::ASCII() {
    return &kASCII;
}
const TEncoding* TEncoding::UTF8() {
    return &kUTF8;
}
const TEncoding* TEncoding::Unicode() {
    return &kUnicode;
}
const TEncoding* TEncoding::BigEndianUnicode() {
    return &kBigEndian;
}

QByteArray TEncoding::GetBytes(const String& S) const {
    switch (FKind) {
    case ekAnsi:
        return ToAnsi(S);
    case ekASCII: {
        QByteArray out;
        out.reserve(S.size());
        for (QChar c : S)
            out.append(c.unicode() < 128 ? char(c.unicode()) : '?');
        return out;
    }
    case ekUTF8:
        return S.toUtf8();
    case ekUnicode:
    case ekBigEndianUnicode: {
        QByteArray out;
        out.resize(S.size() * 2);
        for (qsizetype i = 0; i < S.size(); ++i) {
            const char16_t u = S[i].unicode();
            const char lo = char(u & 0xFF), hi = char(u >> 8);
            out[2 * i] = FKind == ekUnicode ? lo : hi;
            out[2 * i + 1] = FKind == ekUnicode ? hi : lo;
        }
        return out;
    }
    }
    return QByteArray();
}

String TEncoding::GetString(const QByteArray& Bytes) const {
    switch (FKind) {
    case ekAnsi:
        return FromAnsiBytes(Bytes);
    case ekASCII: {
        String out;
        out.reserve(Bytes.size());
        for (char c : Bytes)
            out.append(uchar(c) < 128 ? QChar(uchar(c)) : QChar('?'));
        return out;
    }
    case ekUTF8:
        return QString::fromUtf8(Bytes);
    case ekUnicode:
    case ekBigEndianUnicode: {
        String out;
        out.resize(Bytes.size() / 2);
        for (qsizetype i = 0; i < out.size(); ++i) {
            const uchar a = uchar(Bytes[2 * i]), b = uchar(Bytes[2 * i + 1]);
            out[i] = QChar(FKind == ekUnicode ? char16_t(a | (b << 8)) : char16_t(b | (a << 8)));
        }
        return out;
    }
    }
    return String();
}

QByteArray TEncoding::GetPreamble() const {
    switch (FKind) {
    case ekUTF8:
        return QByteArray("\xEF\xBB\xBF", 3);
    case ekUnicode:
        return QByteArray("\xFF\xFE", 2);
    case ekBigEndianUnicode:
        return QByteArray("\xFE\xFF", 2);
    default:
        return QByteArray();
    }
}

Cardinal TEncoding::CodePage() const {
    switch (FKind) {
    case ekAnsi:
        return 1251;
    case ekASCII:
        return 20127;
    case ekUTF8:
        return 65001;
    case ekUnicode:
        return 1200;
    case ekBigEndianUnicode:
        return 1201;
    }
    return 0;
}

String TEncoding::EncodingName() const {
    switch (FKind) {
    case ekAnsi:
        return QStringLiteral("windows-1251");
    case ekASCII:
        return QStringLiteral("us-ascii");
    case ekUTF8:
        return QStringLiteral("utf-8");
    case ekUnicode:
        return QStringLiteral("utf-16");
    case ekBigEndianUnicode:
        return QStringLiteral("unicodeFFFE");
    }
    return String();
}

const TEncoding* TEncoding::DetectBOM(const QByteArray& Buffer, int& PreambleSize) {
    for (const TEncoding* e : {UTF8(), Unicode(), BigEndianUnicode()}) {
        const QByteArray p = e->GetPreamble();
        if (Buffer.startsWith(p)) {
            PreambleSize = int(p.size());
            return e;
        }
    }
    PreambleSize = 0;
    return nullptr;
}
