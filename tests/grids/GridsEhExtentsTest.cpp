// The line size store of a grid axis, checked against a plain array of every size doing the same
// operations: sizes, range sums, the next line of another size and equality, in the sparse form
// and after it turned into an array.

#include "lib/grids/GridsEhExtents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace {

// What the store must behave like.
struct Model {
    std::vector<int> Sizes;
    void Modify(int Index, int Amount, int Default) {
        if (Amount > 0) {
            Sizes.insert(Sizes.begin() + Index, size_t(Amount), Default);
            return;
        }
        const int newCount = int(Sizes.size()) + Amount;
        const int removeEnd = std::min(int(Sizes.size()), Index - Amount);
        Sizes.erase(Sizes.begin() + Index, Sizes.begin() + removeEnd);
        Sizes.resize(size_t(newCount));
    }
    void Move(int From, int To) {
        const int v = Sizes[size_t(From)];
        Sizes.erase(Sizes.begin() + From);
        Sizes.insert(Sizes.begin() + To, v);
    }
};

void ExpectSame(const TLineExtentsEh& s, const Model& m, std::mt19937& rng, const char* after) {
    const int n = int(m.Sizes.size());
    ASSERT_EQ(s.Count(), n) << after;
    ASSERT_TRUE(s.Valid()) << after;
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(s.Get(i), m.Sizes[size_t(i)]) << after << ", line " << i;
    EXPECT_EQ(s.Total(), std::accumulate(m.Sizes.begin(), m.Sizes.end(), 0LL)) << after;
    for (int k = 0; k < 20 && n > 0; ++k) {
        int a = int(rng() % unsigned(n + 1)), b = int(rng() % unsigned(n + 1));
        if (a > b) std::swap(a, b);
        EXPECT_EQ(s.Sum(a, b), std::accumulate(m.Sizes.begin() + a, m.Sizes.begin() + b, 0LL))
            << after << ", lines " << a << ".." << b;
        const int value = m.Sizes[size_t(rng() % unsigned(n))];
        int next = a;
        while (next < b && m.Sizes[size_t(next)] == value)
            ++next;
        EXPECT_EQ(s.NextOtherThan(a, b, value), next) << after << ", from " << a << " other than " << value;
    }
}

TEST(LineExtents, FollowsAPlainArrayThroughEveryChange) {
    // A short store stays sparse; a long one with many sizes set turns into an array on the way.
    for (const int lines : {40, 3000}) {
        std::mt19937 rng{static_cast<unsigned>(lines)};
        TLineExtentsEh s;
        Model m;
        s.Assign(lines, 20);
        m.Sizes.assign(size_t(lines), 20);
        ExpectSame(s, m, rng, "created");
        for (int step = 0; step < 400; ++step) {
            const int n = int(m.Sizes.size());
            const unsigned op = rng() % 10;
            const char* what = "";
            if (op < 5) { // sizes of their own, back to the fill now and then
                const int i = int(rng() % unsigned(n));
                const int v = rng() % 3 == 0 ? 20 : 10 + int(rng() % 30);
                const int sets = lines > 1000 ? 30 : 1;
                for (int k = 0; k < sets; ++k) {
                    const int at = (i + k * 97) % n;
                    s.Set(at, v + k % 2);
                    m.Sizes[size_t(at)] = v + k % 2;
                }
                what = "set";
            } else if (op < 7) { // lines inserted, of the fill or of another size
                const int at = int(rng() % unsigned(n + 1)), amount = 1 + int(rng() % 5);
                const int def = rng() % 2 ? 20 : 33;
                s.Modify(at, amount, def);
                m.Modify(at, amount, def);
                what = "inserted";
            } else if (op < 9) { // lines removed, a block reaching past the end cutting the rest
                const int at = int(rng() % unsigned(n + 1));
                const int amount = std::min(n - 1, 1 + int(rng() % 6));
                s.Modify(at, -amount, 20);
                m.Modify(at, -amount, 20);
                what = "removed";
            } else {
                const int from = int(rng() % unsigned(n)), to = int(rng() % unsigned(n));
                s.Move(from, to);
                m.Move(from, to);
                what = "moved";
            }
            ExpectSame(s, m, rng, what);
            if (HasFatalFailure()) return;
        }
        if (lines > 1000) EXPECT_EQ(s.SparseEntryCount(), -1) << "many sizes of their own: an array";
        else EXPECT_GE(s.SparseEntryCount(), 0);
    }
}

TEST(LineExtents, EqualityIgnoresHowSizesAreKept) {
    TLineExtentsEh a, b;
    EXPECT_TRUE(a.SameAs(b)); // neither created
    a.Assign(5000, 20);
    b.Assign(5000, 20);
    a.Set(3, 40);
    EXPECT_FALSE(a.SameAs(b));
    b.Set(3, 40);
    EXPECT_TRUE(a.SameAs(b));
    // One turned into an array by many sizes set and put back: the same sizes again.
    for (int i = 100; i < 2200; ++i)
        b.Set(i, 21);
    EXPECT_EQ(b.SparseEntryCount(), -1);
    EXPECT_FALSE(a.SameAs(b));
    for (int i = 100; i < 2200; ++i)
        b.Set(i, 20);
    EXPECT_TRUE(a.SameAs(b));
    EXPECT_TRUE(b.SameAs(a));
    // Same sizes, another fill.
    TLineExtentsEh c;
    c.Assign(5000, 40);
    for (int i = 0; i < 5000; ++i)
        if (i != 3) c.Set(i, 20);
    EXPECT_TRUE(a.SameAs(c));
    b.Modify(5000, -1, 20);
    EXPECT_FALSE(a.SameAs(b)); // another count
}

TEST(LineExtents, EveryLineRemovedDropsTheStore) {
    TLineExtentsEh s;
    s.Assign(3, 20);
    s.Set(1, 50);
    s.Modify(0, -3, 20);
    EXPECT_TRUE(s.Empty());
    EXPECT_EQ(s.Total(), 0);
    EXPECT_TRUE(s.Valid());
    // Created again by an insertion into nothing, all of the size given.
    s.Modify(0, 4, 17);
    EXPECT_EQ(s.Count(), 4);
    EXPECT_EQ(s.Total(), 68);
    EXPECT_EQ(s.SparseEntryCount(), 0);
}

} // namespace
