#pragma once
// Currency: a fixed-point number, Int64 scaled by 10^4. Conversion from floating point rounds
// half to even; arithmetic overflow raises EOverflow ("Floating point overflow").

#include "platform/rtl/System.h"

class Currency {
public:
    constexpr Currency() = default;
    Currency(double v);  // rounds half to even at the 4th decimal; EOverflow when out of range
    Currency(long double v);
    Currency(int v) : FValue(Int64(v) * 10000) {}
    Currency(Int64 v);  // EOverflow when v * 10000 overflows

    static constexpr Currency FromScaled(Int64 raw) {
        Currency c;
        c.FValue = raw;
        return c;
    }
    constexpr Int64 Scaled() const { return FValue; }
    double ToDouble() const { return double(FValue) / 10000.0; }
    long double ToExtended() const { return (long double)FValue / 10000.0L; }
    Int64 Trunc() const { return FValue / 10000; }
    Int64 Round() const;  // half to even

    friend Currency operator+(Currency a, Currency b);
    friend Currency operator-(Currency a, Currency b);
    friend Currency operator*(Currency a, Currency b);  // rounds half to even
    friend Currency operator/(Currency a, Currency b);  // EZeroDivide on zero
    Currency operator-() const;
    Currency& operator+=(Currency b) { return *this = *this + b; }
    Currency& operator-=(Currency b) { return *this = *this - b; }
    friend constexpr auto operator<=>(Currency a, Currency b) = default;
    friend constexpr bool operator==(Currency a, Currency b) = default;

    static constexpr Int64 MaxScaled = INT64_MAX;
    static constexpr Int64 MinScaled = INT64_MIN;

private:
    Int64 FValue = 0;
};
