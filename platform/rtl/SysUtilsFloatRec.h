#pragma once
// The decimal form of a number behind the platform's float-to-text conversions, shared by
// Format and FormatFloat. Internal to the runtime.

#include "platform/rtl/SysUtils.h"

#include <string>

struct TFloatDec {
    enum Kind { Finite, NaN, Inf };
    int Exponent = 0; // value = 0.d1d2d3... * 10^Exponent
    bool Negative = false;
    Kind Special = Finite;
    std::string Digits; // significant digits without trailing zeros; empty for zero
};

// Rounds to at most `precision` significant digits and `decimals` digits after the point,
// half away from zero.
TFloatDec FloatToDecimal(Extended v, int precision, int decimals);
TFloatDec CurrencyToDecimal(Currency c, int precision, int decimals);
// The platform's FloatToText for either an Extended or a Currency value.
String FloatToTextValue(bool isCurrency, Extended v, Currency c, TFloatFormat format, int precision,
                        int digits, const TFormatSettings& fs);
