#include "lib/memtable/MemTreeEh.h"

#include <gtest/gtest.h>

namespace {
std::vector<String> Walk(TTreeListEh& t, bool considerCollapsed) {
    std::vector<String> out;
    for (TBaseTreeNodeEh* n = t.GetFirstVisible(); n; n = t.GetNextVisible(n, considerCollapsed))
        out.push_back(n->Text());
    return out;
}
} // namespace

TEST(MemTree, MovesLoopsAndStaleIndexes) {
    TTreeListEh t(nullptr);
    EXPECT_EQ(t.GetFirst(), nullptr);
    EXPECT_EQ(t.GetNext(t.Root()), t.Root());
    TBaseTreeNodeEh* a = t.AddChild(QStringLiteral("A"), nullptr, nullptr);
    TBaseTreeNodeEh* b = t.AddChild(QStringLiteral("B"), a, nullptr);
    TBaseTreeNodeEh* c = t.AddChild(QStringLiteral("C"), nullptr, nullptr);
    EXPECT_THROW(t.MoveTo(a, b, naAddChildEh, true), Exception);
    EXPECT_THROW(t.MoveTo(a, a, naAddChildEh, true), Exception);
    EXPECT_EQ(b->Parent(), a);
    // An insert without re-indexing leaves C with a stale index; moving C must still take C.
    TBaseTreeNodeEh* d = t.CreateNode(QStringLiteral("D"), nullptr);
    t.AttachNode(d, a, naInsertEh, false);
    EXPECT_EQ(c->Index(), 1); // stale: C is at 2 now
    t.MoveTo(c, b, naAddChildEh, true);
    ASSERT_EQ(t.Root()->GetCount(), 2);
    EXPECT_EQ(t.Root()->GetItem(0), d);
    EXPECT_EQ(t.Root()->GetItem(1), a);
    EXPECT_EQ(c->Parent(), b);
    EXPECT_EQ(c->Level(), 3);
    t.AttachNode(t.CreateNode(QStringLiteral("X"), nullptr), nullptr, naAddEh,
                 true); // root: child modes only
    EXPECT_EQ(t.Root()->GetCount(), 2);
}

TEST(MemTree, LevelLimitIsCheckedBeforeAnythingChanges) {
    TTreeListEh t(nullptr);
    t.SetMaxLevel(3);
    TBaseTreeNodeEh* a = t.AddChild(QStringLiteral("A"), nullptr, nullptr);
    TBaseTreeNodeEh* b = t.AddChild(QStringLiteral("B"), a, nullptr);
    TBaseTreeNodeEh* c = t.AddChild(QStringLiteral("C"), b, nullptr);
    try {
        t.AddChild(QStringLiteral("D"), c, nullptr);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("TBaseTreeNodeEh.SetLevel: Max level exceed - 3"));
    }
    EXPECT_EQ(c->GetCount(), 0);
    TBaseTreeNodeEh* e = t.AddChild(QStringLiteral("E"), nullptr, nullptr);
    t.AddChild(QStringLiteral("F"), e, nullptr);
    EXPECT_THROW(t.MoveTo(e, b, naAddChildEh, true), Exception); // E's subtree would reach level 4
    EXPECT_EQ(e->Parent(), t.Root());
    EXPECT_EQ(b->GetCount(), 1);
    EXPECT_EQ(e->GetItem(0)->Level(), 2);
}

TEST(MemTree, VisibleWalksAndVisibleLists) {
    TTreeListEh t(nullptr);
    TBaseTreeNodeEh* a = t.AddChild(QStringLiteral("A"), nullptr, nullptr);
    t.AddChild(QStringLiteral("A1"), a, nullptr);
    TBaseTreeNodeEh* b = t.AddChild(QStringLiteral("B"), nullptr, nullptr);
    t.AddChild(QStringLiteral("B1"), b, nullptr);
    TBaseTreeNodeEh* c = t.AddChild(QStringLiteral("C"), nullptr, nullptr);
    t.Expand(a, false);
    EXPECT_EQ(Walk(t, true), (std::vector<String>{"A", "A1", "B", "C"}));
    EXPECT_EQ(Walk(t, false), (std::vector<String>{"A", "A1", "B", "B1", "C"}));
    b->SetVisible(false);
    EXPECT_EQ(Walk(t, false), (std::vector<String>{"A", "A1", "C"}));
    EXPECT_EQ(t.Root()->GetVisibleCount(), 2);
    EXPECT_EQ(c->VisibleIndex(), 1);
    EXPECT_EQ(t.GetNextVisibleSibling(a), c);
    b->SetVisible(true);
    EXPECT_EQ(&t.Root()->GetVisibleItems(), &t.Root()->GetVisibleItems());
    EXPECT_EQ(t.Root()->GetVisibleCount(), 3);
    t.Expand(nullptr, false);
    EXPECT_FALSE(t.Root()->Expanded());
    t.Collapse(nullptr, false);
    EXPECT_FALSE(t.Root()->Expanded());
}
