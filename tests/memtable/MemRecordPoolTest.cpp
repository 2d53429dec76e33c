// The record pool: blocks of several sizes over many slabs (up to the large, aligned ones),
// freed out of order, reused, and all given back; and the allocator of large arrays.
#include "lib/memtable/HugePageAllocatorEh.h"
#include "lib/memtable/MemRecordPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

struct Block {
    unsigned char* P;
    size_t Size;
    unsigned char Fill;
};

void Check(const Block& b) {
    ASSERT_EQ(reinterpret_cast<uintptr_t>(b.P) % 8, 0u);
    ASSERT_TRUE(std::all_of(b.P, b.P + b.Size, [&](unsigned char c) { return c == b.Fill; }))
        << "block of " << b.Size << " bytes";
}

TEST(MemRecordPool, BlocksStayApartThroughReuseAndRelease) {
    std::mt19937 rng(3);
    // Sizes of records of 1, 4 and 30 values, and one too large for a pool.
    const size_t sizes[] = {120, 216, 1040, 9000};
    std::vector<Block> live;
    auto allocate = [&](size_t n) {
        for (size_t i = 0; i < n; ++i) {
            const size_t size = sizes[rng() % std::size(sizes)];
            Block b{static_cast<unsigned char*>(MemRecordPool::Allocate(size)), size,
                    static_cast<unsigned char>(rng())};
            std::memset(b.P, b.Fill, size);
            live.push_back(b);
        }
    };
    auto freeSome = [&](size_t n) {
        std::shuffle(live.begin(), live.end(), rng);
        for (size_t i = 0; i < n && !live.empty(); ++i) {
            MemRecordPool::Free(live.back().P);
            live.pop_back();
        }
    };
    // 30,000 blocks of 216 bytes alone fill more than 2 MiB of slabs.
    allocate(40000);
    freeSome(25000);
    allocate(20000);
    for (const Block& b : live)
        Check(b);
    freeSome(live.size());
    allocate(1000);
    for (const Block& b : live)
        Check(b);
    freeSome(live.size());
    MemRecordPool::Free(nullptr);
}

// Arrays growing across the size from which they are mapped on their own keep their values.
TEST(MemRecordPool, LargeArraysKeepTheirValues) {
    std::vector<uint64_t, THugePageAllocatorEh<uint64_t>> v;
    for (uint64_t i = 0; i < 1500000; ++i)
        v.push_back(i * 7);
    ASSERT_GE(v.capacity() * sizeof(uint64_t), HugePages::Threshold);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(v.data()) % (size_t(2) << 20), 0u);
    for (uint64_t i = 0; i < v.size(); i += 997)
        ASSERT_EQ(v[i], i * 7);
    v.resize(10);
    v.shrink_to_fit();
    EXPECT_EQ(v[9], 63u);
}

} // namespace
