// The system ANSI code page: Windows-1251, with our own table for the upper half.

#include "platform/rtl/SysUtils.h"

#include <algorithm>

#include <QStringDecoder>

namespace {

// 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F. 0x98 is unassigned and maps to U+0098 as the
// platform's conversion does.
const char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

char16_t fromByte(unsigned char b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return char16_t(0x0410 + (b - 0xC0));
    return kHigh[b - 0x80];
}

char toByte(char16_t c) {
    if (c < 0x80) return char(c);
    if (c >= 0x0410 && c <= 0x044F) return char(0xC0 + (c - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == c) return char(0x80 + i);
    return '?';
}

} // namespace

AnsiString ToAnsi(const String& s) {
    AnsiString r;
    r.resize(s.size());
    for (int i = 0; i < s.size(); ++i)
        r[i] = toByte(s[i].unicode());
    return r;
}

String FromAnsi(const AnsiString& a) {
    return FromAnsi(a.constData(), int(a.size()));
}

String FromAnsi(const char* p, int len) {
    String r;
    if (!p || len <= 0) return r;
    r.reserve(len);
    for (int i = 0; i < len && p[i]; ++i)
        r += QChar(fromByte((unsigned char)p[i]));
    return r;
}

String FromAnsiZ(const char* p) {
    return p ? FromAnsi(p, int(std::strlen(p))) : String();
}

String FromAnsiBytes(const AnsiString& a) {
    String r(a.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < a.size(); ++i)
        r[i] = QChar(fromByte((unsigned char)a[i]));
    return r;
}

String DecodeText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    // Past the mark, a U+FEFF is text like any other, as the encodings' GetString take it.
    const auto utf16 = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder dec(QStringDecoder::Utf16LE, utf16);
        return dec(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder dec(QStringDecoder::Utf16BE, utf16);
        return dec(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    String text = utf8(bytes);
    if (!utf8.hasError()) return text;
    // Not UTF-8: every byte is a Windows-1251 character (NULs included, unlike FromAnsi).
    String r;
    r.reserve(bytes.size());
    for (char b : bytes)
        r += QChar(fromByte((unsigned char)b));
    return r;
}
