// The growable memory stream's capacity steps.
#include "lib/toolscore/PlatformEh.h"

#include <gtest/gtest.h>

TEST(MemoryStreamEh, CapacityGrowsInStepsOfTwiceHalfMemoryDelta) {
    TMemoryStreamEh s;
    EXPECT_EQ(s.HalfMemoryDelta(), 4096);
    const char byte = 'x';
    s.Write(&byte, 1);
    EXPECT_EQ(s.Capacity(), 8192);
    s.SetPosition(8192);
    s.Write(&byte, 1); // byte 8193
    EXPECT_EQ(s.Capacity(), 16384);
    EXPECT_EQ(s.Size(), 8193);
    EXPECT_EQ(static_cast<const char*>(s.Memory())[0], 'x');
    EXPECT_EQ(static_cast<const char*>(s.Memory())[8191], 0);

    TMemoryStreamEh big;
    big.SetHalfMemoryDelta(65536); // as the clipboard export sets it
    EXPECT_EQ(big.HalfMemoryDelta(), 65536);
    big.Write(&byte, 1);
    EXPECT_EQ(big.Capacity(), 131072);
    const std::vector<char> block(200000, 'y');
    big.Write(block.data(), int(block.size()));
    EXPECT_EQ(big.Capacity(), 262144);

    // A size equal to the data size is taken exactly.
    TMemoryStreamEh exact;
    exact.SetSize(10000);
    EXPECT_EQ(exact.Capacity(), 16384);
    exact.SetSize(10000);
    EXPECT_EQ(exact.Capacity(), 10000);
    exact.Clear();
    EXPECT_EQ(exact.Capacity(), 0);
    EXPECT_EQ(exact.Memory(), nullptr);
}

// A step that is not a power of two still never rounds below the request.
TEST(MemoryStreamEh, OtherStepsNeverRoundBelowTheRequest) {
    for (int half : {3, 100, 5000}) {
        TMemoryStreamEh s;
        s.SetHalfMemoryDelta(half);
        for (int n : {1, 7, 199, 10001}) {
            s.SetPosition(n - 1);
            const char byte = 'z';
            s.Write(&byte, 1);
            EXPECT_GE(s.Capacity(), n) << half << " " << n;
            EXPECT_LT(s.Capacity(), n + 2 * half) << half << " " << n;
        }
    }
}
