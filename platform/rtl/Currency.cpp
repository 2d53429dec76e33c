// Currency arithmetic: exact on the scaled integers, rounding half to even where a result falls
// between two ten-thousandths.
#include "platform/rtl/Currency.h"

#include <cmath>

namespace {

constexpr Int64 kScale = 10000;

[[noreturn]] void RaiseOverflow() {
    throw EOverflow(QStringLiteral("Floating point overflow"));
}

// n / d rounded half to even; d != 0.
__int128 RoundDivHalfEven(__int128 n, __int128 d) {
    if (d < 0) {
        n = -n;
        d = -d;
    }
    __int128 q = n / d;
    __int128 r = n % d; // same sign as n
    __int128 twice = (r < 0 ? -r : r) * 2;
    if (twice > d || (twice == d && (q & 1) != 0)) q += n < 0 ? -1 : 1;
    return q;
}

Int64 Checked(__int128 v) {
    if (v > INT64_MAX || v < INT64_MIN) RaiseOverflow();
    return Int64(v);
}

Int64 FromExtended(long double v) {
    if (std::isnan(v)) throw EInvalidOp(QStringLiteral("Invalid floating point operation"));
    // The product is formed in extended precision and rounded in the current (nearest-even) mode,
    // as the platform's FPU conversion does.
    long double r = std::nearbyintl(v * 10000.0L);
    if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L)) RaiseOverflow();
    return Int64(r);
}

} // namespace

Currency::Currency(double v) : FValue(FromExtended(v)) {}

Currency::Currency(long double v) : FValue(FromExtended(v)) {}

Currency::Currency(Int64 v) : FValue(Checked(__int128(v) * kScale)) {}

Int64 Currency::Round() const {
    return Int64(RoundDivHalfEven(FValue, kScale));
}

Currency operator+(Currency a, Currency b) {
    Int64 r;
    if (__builtin_add_overflow(a.FValue, b.FValue, &r)) RaiseOverflow();
    return Currency::FromScaled(r);
}

Currency operator-(Currency a, Currency b) {
    Int64 r;
    if (__builtin_sub_overflow(a.FValue, b.FValue, &r)) RaiseOverflow();
    return Currency::FromScaled(r);
}

Currency operator*(Currency a, Currency b) {
    return Currency::FromScaled(Checked(RoundDivHalfEven(__int128(a.FValue) * b.FValue, kScale)));
}

Currency operator/(Currency a, Currency b) {
    if (b.FValue == 0) {
        if (a.FValue == 0) throw EInvalidOp(QStringLiteral("Invalid floating point operation"));
        throw EZeroDivide(QStringLiteral("Floating point division by zero"));
    }
    return Currency::FromScaled(Checked(RoundDivHalfEven(__int128(a.FValue) * kScale, b.FValue)));
}

Currency Currency::operator-() const {
    if (FValue == INT64_MIN) RaiseOverflow();
    return FromScaled(-FValue);
}
