// Conversions between the device's bytes and the texts of the block pages.

#include "app/MainUnitPriv.h"

String BcdDigits(const uint8_t* P, int Count) {
    String s;
    for (int i = 0; i < Count; ++i) {
        s += QChar(char16_t('0' + (P[i] >> 4)));
        s += QChar(char16_t('0' + (P[i] & 0x0F)));
    }
    return s;
}

String FirmwareText(uint8_t B1, uint8_t B2) {
    String s = BcdDigits(&B1, 1) + QLatin1Char('.') + BcdDigits(&B2, 1);
    if (s.startsWith(QLatin1Char('0'))) s.remove(0, 1);
    return s;
}

void EncodeFirmware(const String& Text, uint8_t* Out) {
    String s = Text.isEmpty() ? QStringLiteral("1.00") : Text;
    if (s.size() < 5) s.prepend(QLatin1Char('0'));
    // A text that is still too short (only a settings file can bring one) counts missing
    // digits as "0".
    auto digit = [&](int i) { return i < s.size() ? int(s[i].unicode()) - 48 : 0; };
    Out[0] = uint8_t(digit(0) * 16 + digit(1));
    Out[1] = uint8_t(digit(3) * 16 + digit(4));
}

String BcdDate(const uint8_t* P, bool WithTime) {
    String s = BcdDigits(P, 1) + QLatin1Char('.') + BcdDigits(P + 1, 1) + QStringLiteral(".20") +
               BcdDigits(P + 2, 1);
    if (WithTime) s += QLatin1Char(' ') + BcdDigits(P + 3, 1) + QLatin1Char(':') + BcdDigits(P + 4, 1);
    return s;
}

String DeviceText(const uint8_t* P, int Width) {
    int n = 0;
    while (n < Width && P[n] != 0)
        ++n;
    return TrimRight(FromAnsi(AnsiString(reinterpret_cast<const char*>(P), n)).left(Width));
}

void PutDeviceText(uint8_t* Out, const String& Text, int Width) {
    const AnsiString a = ToAnsi(Text);
    for (int j = 0; j < Width; ++j)
        Out[j] = j < a.size() ? uint8_t(a[j]) : uint8_t(' ');
}

String TenthsText(int Tenths) {
    return QStringLiteral("%1.%2").arg(Tenths / 10).arg(Tenths % 10);
}
