// TList and TObjectList.

#include "platform/classes/Classes.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <random>

namespace {

int gFreed = 0;
struct TCounted : public TObject {
    ~TCounted() override { ++gFreed; }
};

std::vector<intptr_t> Content(const TList& l) {
    std::vector<intptr_t> r;
    for (int i = 0; i < l.Count(); ++i)
        r.push_back(reinterpret_cast<intptr_t>(l.Items(i)));
    return r;
}

void Fill(TList& l, std::initializer_list<intptr_t> v) {
    l.Clear();
    for (intptr_t x : v)
        l.Add(reinterpret_cast<void*>(x));
}

TEST(List, MoveRemovesThenInserts) {
    struct Case {
        int cur, to;
        std::vector<intptr_t> expected;
    } cases[] = {
        {0, 2, {2, 3, 1, 4}},
        {3, 0, {4, 1, 2, 3}},
        {1, 3, {1, 3, 4, 2}},
        {2, 2, {1, 2, 3, 4}},
    };
    TList l;
    for (const auto& c : cases) {
        Fill(l, {1, 2, 3, 4});
        l.Move(c.cur, c.to);
        EXPECT_EQ(Content(l), c.expected) << c.cur << "->" << c.to;
    }
    Fill(l, {1, 2, 3, 4});
    try {
        l.Move(0, 4);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (4)");
    }
    EXPECT_EQ(Content(l), (std::vector<intptr_t>{1, 2, 3, 4})); // unchanged
    EXPECT_THROW(l.Move(-1, 0), EListError);
}

TEST(List, EditingOperationsAndErrors) {
    TList l;
    Fill(l, {5, 0, 7, 0, 9});
    l.Pack();
    EXPECT_EQ(Content(l), (std::vector<intptr_t>{5, 7, 9}));
    l.Exchange(0, 2);
    EXPECT_EQ(Content(l), (std::vector<intptr_t>{9, 7, 5}));
    EXPECT_EQ(l.Remove(reinterpret_cast<void*>(7)), 1);
    EXPECT_EQ(l.Remove(reinterpret_cast<void*>(7)), -1);
    l.Insert(2, reinterpret_cast<void*>(6));
    EXPECT_EQ(Content(l), (std::vector<intptr_t>{9, 5, 6}));
    EXPECT_EQ(l.First(), reinterpret_cast<void*>(9));
    EXPECT_EQ(l.Last(), reinterpret_cast<void*>(6));
    EXPECT_THROW(l.Insert(4, nullptr), EListError);
    EXPECT_THROW(l.SetCapacity(1), EListError);
    EXPECT_THROW(l.SetCount(-1), EListError);
    l.SetCount(5);
    EXPECT_EQ(l.Items(4), nullptr);
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(l.Capacity(), 0);
    EXPECT_THROW(l.First(), EListError);
}

TEST(List, SortIsStableAndSurvivesAnInconsistentCompare) {
    TList l;
    Fill(l, {31, 12, 22, 11, 32, 21});
    l.Sort([](void* a, void* b) {
        return int(reinterpret_cast<intptr_t>(a) / 10 - reinterpret_cast<intptr_t>(b) / 10);
    });
    EXPECT_EQ(Content(l), (std::vector<intptr_t>{12, 11, 22, 21, 31, 32}));

    Fill(l, {});
    for (intptr_t i = 1; i <= 200; ++i)
        l.Add(reinterpret_cast<void*>(i));
    std::mt19937 rng(1);
    l.Sort([&](void*, void*) { return int(rng() % 3) - 1; });
    auto v = Content(l);
    std::sort(v.begin(), v.end());
    for (intptr_t i = 1; i <= 200; ++i)
        EXPECT_EQ(v[size_t(i - 1)], i); // a permutation of the items
}

TEST(ObjectList, OwnsObjectsFreesOnDeleteClearAndDestructionButNotOnExtract) {
    gFreed = 0;
    {
        TObjectList l;
        auto* a = new TCounted;
        auto* b = new TCounted;
        auto* c = new TCounted;
        l.Add(a);
        l.Add(b);
        l.Add(c);
        l.Delete(0);
        EXPECT_EQ(gFreed, 1);
        EXPECT_EQ(l.Extract(b), b);
        EXPECT_EQ(gFreed, 1);
        delete b;
        auto* d = new TCounted;
        l.SetItems(0, d); // replaces c, which is freed
        EXPECT_EQ(gFreed, 3);
        l.Add(new TCounted);
    }
    EXPECT_EQ(gFreed, 5);

    gFreed = 0;
    TCounted kept;
    {
        TObjectList l(false);
        l.Add(&kept);
        l.Clear();
        l.Add(&kept);
    }
    EXPECT_EQ(gFreed, 0);
}

TEST(ObjectList, FindInstanceOf) {
    TObjectList l(true);
    l.Add(new TStringList);
    l.Add(new TComponent(nullptr));
    EXPECT_EQ(l.FindInstanceOf(&TComponent::StaticClassInfo()), 1);
    EXPECT_EQ(l.FindInstanceOf(&TStrings::StaticClassInfo(), true), -1);
    EXPECT_EQ(l.FindInstanceOf(&TStrings::StaticClassInfo(), false), 0);
}

} // namespace
