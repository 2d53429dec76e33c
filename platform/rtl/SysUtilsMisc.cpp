// The platform's arithmetic rules, OS errors, ticks and sleep, GUID text.

#include "platform/rtl/SysUtils.h"

#include <algorithm>

#include <cmath>
#include <cstring>
#include <ctime>
#include <thread>

namespace {

constexpr long double kTwo63 = 9223372036854775808.0L;

[[noreturn]] void invalidOp() {
    throw EInvalidOp(QStringLiteral("Invalid floating point operation"));
}

Int64 toInt64(long double r) {
    if (std::isnan(r) || r < -kTwo63 || r >= kTwo63) invalidOp();
    return Int64(r);
}

} // namespace

Int64 Round(Extended v) {
    // The FPU's default rounding: to nearest, ties to even.
    return toInt64(std::nearbyintl(v));
}

Int64 Trunc(Extended v) {
    return toInt64(std::truncl(v));
}

Extended Frac(Extended v) {
    return v - std::truncl(v);
}
Extended Int(Extended v) {
    return std::truncl(v);
}

Integer MulDiv(Integer a, Integer b, Integer c) {
    if (c == 0) return -1;
    const Int64 num = Int64(a) * b;
    Int64 q = num / c;
    const Int64 rem = num % c;
    // Half away from zero.
    if (rem != 0 && 2 * (rem < 0 ? -rem : rem) >= (c < 0 ? -Int64(c) : Int64(c)))
        q += ((num < 0) != (c < 0)) ? -1 : 1;
    if (q > INT32_MAX || q < INT32_MIN) return -1;
    return Integer(q);
}

bool SameValue(Extended a, Extended b, Extended epsilon) {
    if (epsilon == 0) {
        constexpr long double resolution = 1e-19L * 1000;
        epsilon = std::max(std::min(std::fabs(a), std::fabs(b)) * resolution, resolution);
    }
    if (a > b) return a - b <= epsilon;
    return b - a <= epsilon;
}

bool IsNan(double v) {
    return std::isnan(v);
}
bool IsInfinite(double v) {
    return std::isinf(v);
}

String SysErrorMessage(int errorCode) {
    char buf[256];
    const char* msg = strerror_r(errorCode, buf, sizeof buf);
    return QString::fromLocal8Bit(msg);
}

void RaiseLastOSError(int errorCode) {
    if (errorCode == 0) throw EOSError(QStringLiteral("A call to an OS function failed"));
    throw EOSError(
        QStringLiteral("System Error.  Code: %1.\r\n%2").arg(errorCode).arg(SysErrorMessage(errorCode)));
}

uint64_t GetTickCount64() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return uint64_t(ts.tv_sec) * 1000 + uint64_t(ts.tv_nsec) / 1000000;
}

uint32_t GetTickCount() {
    return uint32_t(GetTickCount64());
}

void Sleep(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// ---------------------------------------------------------------------------------------------
String TGUID::ToString() const {
    auto hex = [](uint64_t v, int digits) {
        return QStringLiteral("%1").arg(v, digits, 16, QChar('0')).toUpper();
    };
    String s = '{' + hex(D1, 8) + '-' + hex(D2, 4) + '-' + hex(D3, 4) + '-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2) s += '-';
        s += hex(D4[i], 2);
    }
    return s + '}';
}

TGUID TGUID::FromString(const String& s) {
    auto fail = [&]() -> TGUID {
        throw EConvertError(QStringLiteral("'%1' is not a valid GUID value").arg(s));
    };
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (s.size() != 38 || s[0] != '{' || s[37] != '}' || s[9] != '-' || s[14] != '-' || s[19] != '-' ||
        s[24] != '-')
        return fail();
    auto hexAt = [&](int pos, int digits, uint64_t& out) {
        out = 0;
        for (int i = pos; i < pos + digits; ++i) {
            const char16_t c = s[i].unicode();
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return false;
            out = out * 16 + d;
        }
        return true;
    };
    TGUID g;
    uint64_t v;
    if (!hexAt(1, 8, v)) return fail();
    g.D1 = uint32_t(v);
    if (!hexAt(10, 4, v)) return fail();
    g.D2 = uint16_t(v);
    if (!hexAt(15, 4, v)) return fail();
    g.D3 = uint16_t(v);
    static const int pos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!hexAt(pos[i], 2, v)) return fail();
        g.D4[i] = uint8_t(v);
    }
    return g;
}
