#pragma once
// Helpers shared by the main window's source files.

#include "platform/rtl/SysUtils.h"

#include <cstdint>

// The exact class of Object is Name (descendants do not count).
bool IsExactClass(const TObject* Object, const char* Name);
// A decimal number with "." as the only decimal separator, rounded to single precision.
bool ReadPointFloat(const String& Text, float& Value);

// True when the answer frame (its length byte) reaches LastOffset with data, i.e. the offset
// lies before the sum byte.
inline bool AnswerCovers(const uint8_t* Answer, int LastOffset) {
    return int(Answer[1]) >= LastOffset + 2;
}

// Two BCD bytes as the firmware text "XY.ZW" without one leading "0".
String FirmwareText(uint8_t B1, uint8_t B2);
// The firmware text back into its two BCD bytes ("" counts as "1.00").
void EncodeFirmware(const String& Text, uint8_t* Out);
// The BCD digits of Count bytes, high nibble first; nibbles above 9 show as ':'..'?'.
String BcdDigits(const uint8_t* P, int Count);
// Fills the template "00.00.2000" (and " 00:00" when WithTime) from BCD day, month, year, hour,
// minute.
String BcdDate(const uint8_t* P, bool WithTime);

// A device text field: up to the first zero byte, Windows-1251, at most Width characters,
// trailing blanks and control characters removed.
String DeviceText(const uint8_t* P, int Width);
// The text in Windows-1251, space-padded or cut to Width bytes.
void PutDeviceText(uint8_t* Out, const String& Text, int Width);

// Tenths of a second as "s.t".
String TenthsText(int Tenths);

inline uint16_t Le16(const uint8_t* P) {
    return uint16_t(P[0] | (P[1] << 8));
}
inline uint32_t Le32(const uint8_t* P) {
    return uint32_t(P[0]) | (uint32_t(P[1]) << 8) | (uint32_t(P[2]) << 16) | (uint32_t(P[3]) << 24);
}
inline void PutLe16(uint8_t* P, uint32_t V) {
    P[0] = uint8_t(V);
    P[1] = uint8_t(V >> 8);
}
inline void PutLe32(uint8_t* P, uint32_t V) {
    for (int i = 0; i < 4; ++i)
        P[i] = uint8_t(V >> (8 * i));
}
