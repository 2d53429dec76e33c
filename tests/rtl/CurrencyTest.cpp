// Currency: scaled 64-bit fixed point, half-even rounding, checked overflow.
#include "platform/rtl/Currency.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Currency, FromFloatRoundsHalfToEvenAtTheFifthDecimal) {
    struct Case {
        long double Value;
        Int64 Scaled;
    };
    // Long doubles hold these halves exactly, so the tie rule is what decides.
    const Case cases[] = {
        {1.00005L, 10000},
        {1.00015L, 10002},
        {1.00025L, 10002},
        {-1.00005L, -10000},
        {-1.00015L, -10002},
        {0.00004L, 0},
        {0.00006L, 1},
        {12.3456L, 123456},
        {0.5L, 5000},
        {-0.00005L, 0},
        {922337203685477.5807L, INT64_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Currency(c.Value).Scaled(), c.Scaled) << double(c.Value);
    // A double is converted from its exact binary value: 2.00005 lies just below the half,
    // 1.00015 just above it.
    EXPECT_EQ(Currency(2.00005).Scaled(), 20000);
    EXPECT_EQ(Currency(1.00015).Scaled(), 10002);
    EXPECT_EQ(Currency(1.00025).Scaled(), 10003);
    EXPECT_EQ(Currency(0.1).Scaled(), 1000);
    EXPECT_EQ(Currency(7).Scaled(), 70000);
    EXPECT_EQ(Currency(Int64(-3)).Scaled(), -30000);
}

TEST(Currency, OverflowAndInvalidValues) {
    EXPECT_THROW(Currency(1e15), EOverflow);
    EXPECT_THROW(Currency(-1e15), EOverflow);
    EXPECT_THROW((void)Currency(std::numeric_limits<double>::infinity()), EOverflow);
    EXPECT_THROW((void)Currency(std::numeric_limits<double>::quiet_NaN()), EInvalidOp);
    EXPECT_THROW(Currency(Int64(922337203685478)), EOverflow);
    EXPECT_NO_THROW(Currency(Int64(922337203685477)));
    const Currency max = Currency::FromScaled(INT64_MAX), min = Currency::FromScaled(INT64_MIN);
    EXPECT_THROW(max + Currency::FromScaled(1), EOverflow);
    EXPECT_THROW(min - Currency::FromScaled(1), EOverflow);
    EXPECT_THROW(-min, EOverflow);
    EXPECT_THROW(max * Currency(2), EOverflow);
    EXPECT_THROW(max / Currency(0.5), EOverflow);
    try {
        (void)(max + max);
        ADD_FAILURE();
    } catch (const EOverflow& e) {
        EXPECT_EQ(e.Message(), "Floating point overflow");
    }
}

TEST(Currency, ExactArithmetic) {
    EXPECT_EQ(Currency(0.1) + Currency(0.2), Currency(0.3));
    EXPECT_EQ(Currency(1) - Currency(0.0001), Currency::FromScaled(9999));
    EXPECT_EQ(-Currency(2.5), Currency(-2.5));
    Currency c(1);
    c += Currency(0.5);
    c -= Currency(0.25);
    EXPECT_EQ(c, Currency(1.25));
    EXPECT_LT(Currency(-1), Currency(0.0001));

    struct Case {
        Int64 A, B; // scaled
        Int64 Product, Quotient;
    };
    const Case cases[] = {
        {15000, 20000, 30000, 7500}, // 1.5 * 2, 1.5 / 2
        {1, 5000, 0, 2},             // 0.00005 → 0 (even); 0.0001 / 0.5
        {3, 5000, 2, 6},             // 0.00015 → 0.0002 (even)
        {-3, 5000, -2, -6},
        {10000, 30000, 30000, 3333},              // 1 / 3 rounds down
        {20000, 30000, 60000, 6667},              // 2 / 3 rounds up
        {5, 20000, 10, 2},                        // 0.0005 / 2 = 0.00025 → 0.0002 (even)
        {7, 20000, 14, 4},                        // 0.00035 → 0.0004 (even)
        {INT64_MAX, 10000, INT64_MAX, INT64_MAX}, // times / by one: exact at the limit
        {922337203685477, 10000000, 922337203685477000, 922337203685}, // wide product, no loss
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.A) + " " + std::to_string(c.B));
        EXPECT_EQ((Currency::FromScaled(c.A) * Currency::FromScaled(c.B)).Scaled(), c.Product);
        EXPECT_EQ((Currency::FromScaled(c.A) / Currency::FromScaled(c.B)).Scaled(), c.Quotient);
    }
    EXPECT_THROW(Currency(1) / Currency(), EZeroDivide);
    EXPECT_THROW(Currency() / Currency(), EInvalidOp);
}

TEST(Currency, ConversionsOut) {
    EXPECT_EQ(Currency(2.5).Round(), 2);
    EXPECT_EQ(Currency(3.5).Round(), 4);
    EXPECT_EQ(Currency(-2.5).Round(), -2);
    EXPECT_EQ(Currency(2.5001).Round(), 3);
    EXPECT_EQ(Currency(-2.7).Trunc(), -2);
    EXPECT_DOUBLE_EQ(Currency(1.2345).ToDouble(), 1.2345);
    EXPECT_EQ(Currency::FromScaled(12345).ToExtended(), 1.2345L);
}

} // namespace
