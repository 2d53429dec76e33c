// The header tree of multi-level titles: caption words, ring links, Union and the grouping of
// leaves into bands.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhHeadTree.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <QScopeGuard>

#include <memory>

namespace {

const String Bar = QStringLiteral("|");

struct WordCase {
    const char16_t* Text;
    int N;
    int Start;
    const char16_t* Word;
};

TEST(HeadTreeWords, NthWordCountsRunsBetweenBars) {
    const WordCase cases[] = {
        {u"Total|Net", 1, 1, u"Total"},
        {u"Total|Net", 2, 7, u"Net"},
        {u"Total|Net", 3, 0, u""},
        {u"|X", 1, 2, u"X"},
        {u"|X", 2, 0, u""},
        {u"A||B", 2, 4, u"B"},
        {u"Total|", 2, 0, u""},
        {u"", 1, 0, u""},
        {u"A|B|C", 3, 5, u"C"},
    };
    for (const auto& c : cases) {
        const String text = QString::fromUtf16(c.Text);
        int pos = -1;
        EXPECT_EQ(NthWordWithStart(c.N, text, Bar, pos), QString::fromUtf16(c.Word)) << text.toStdString();
        EXPECT_EQ(pos, c.Start) << text.toStdString() << " word " << c.N;
        EXPECT_EQ(NthWordStart(c.N, text, Bar), c.Start);
    }
}

TEST(HeadTreeWords, HalfOfASurrogatePairIsNeverADelimiter) {
    // A delimiter set that holds a lone surrogate must not split a pair that contains it.
    const String emoji = QString::fromUtf16(u"a\U0001F600b");
    const String delims = QString(emoji.at(1)) + Bar;
    EXPECT_EQ(NthWord(1, emoji, delims), emoji);
    EXPECT_EQ(NthWord(2, emoji + Bar + QStringLiteral("c"), delims), QStringLiteral("c"));
}

// A root with one leaf per caption, as the grid builds it: equal widths, lines of 1 pixel.
struct Tree {
    std::unique_ptr<THeadTreeNode> Root{THeadTreeNode::CreateText(QStringLiteral("Root"), 10, 0)};
    std::vector<THeadTreeNode*> Leaves;

    explicit Tree(std::initializer_list<const char16_t*> Captions, int Width = 50) {
        THeadTreeNode* after = nullptr;
        for (const char16_t* c : Captions) {
            THeadTreeNode* leaf = after ? Root->Add(after, QString::fromUtf16(c), 60, Width)
                                        : Root->AddChild(Root.get(), QString::fromUtf16(c), 60, Width);
            leaf->VLineWidth = 1;
            Leaves.push_back(leaf);
            after = leaf;
        }
    }
    std::vector<THeadTreeNode*> Children(THeadTreeNode* Node) const {
        std::vector<THeadTreeNode*> out;
        if (THeadTreeNode* n = Node->Child) do {
                out.push_back(n);
                n = n->Next;
            } while (n != Node->Child);
        return out;
    }
};

TEST(HeadTree, AddAndAddChildKeepRings) {
    Tree t{u"a", u"b", u"c"};
    ASSERT_TRUE(t.Root->CheckConsistency());
    auto kids = t.Children(t.Root.get());
    ASSERT_EQ(kids.size(), 3u);
    EXPECT_EQ(kids[2]->Next, kids[0]);
    THeadTreeNode* mid = t.Root->Add(kids[0], QStringLiteral("x"), 1, 1);
    kids = t.Children(t.Root.get());
    ASSERT_EQ(kids.size(), 4u);
    EXPECT_EQ(kids[1], mid);
    EXPECT_EQ(mid->Host, t.Root.get());
    THeadTreeNode* sub = t.Root->AddChild(mid, QStringLiteral("s"), 1, 1);
    EXPECT_EQ(sub->Next, sub);
    EXPECT_EQ(sub->GetLevel(), 2);
    EXPECT_TRUE(t.Root->Find(sub));
    EXPECT_TRUE(t.Root->CheckConsistency());

    THeadTreeNode stranger;
    EXPECT_THROW(t.Root->Add(&stranger, QString(), 0, 0), Exception);
    EXPECT_THROW(t.Root->AddChild(&stranger, QString(), 0, 0), Exception);
    EXPECT_THROW(t.Root->Union(&stranger, &stranger, QString(), 0), Exception);
}

TEST(HeadTree, UnionMakesABandOverSiblingsAndRejectsOtherLevels) {
    Tree t{u"a", u"b", u"c", u"d"};
    THeadTreeNode* a = t.Leaves[0];
    THeadTreeNode* b = t.Leaves[1];
    THeadTreeNode* c = t.Leaves[2];
    // c .. a wraps past the first child: not one run of siblings. Nothing changes.
    EXPECT_THROW(t.Root->Union(c, a, QStringLiteral("x"), 20), Exception);
    EXPECT_EQ(t.Children(t.Root.get()).size(), 4u);
    EXPECT_EQ(a->Height, 60);

    t.Root->Union(a, b, QStringLiteral("ab"), 20);
    auto top = t.Children(t.Root.get());
    ASSERT_EQ(top.size(), 3u);
    THeadTreeNode* band = top[0];
    EXPECT_EQ(t.Root->Child, band);
    EXPECT_EQ(band->Text, QStringLiteral("ab"));
    EXPECT_EQ(band->Width, 50 + 1 + 50);
    EXPECT_EQ(band->VLineWidth, 1);
    EXPECT_EQ(band->Height, 20);
    EXPECT_EQ(a->Height, 40);
    EXPECT_EQ(a->Host, band);
    EXPECT_EQ(b->Next, a);
    EXPECT_EQ(top[1], c);
    EXPECT_TRUE(t.Root->CheckConsistency());

    // The band and a leaf of the root are not siblings of the band's children.
    EXPECT_THROW(t.Root->Union(a, c, QStringLiteral("x"), 20), Exception);
    // A whole ring under a new band.
    t.Root->Union(a, b, QStringLiteral("inner"), 20);
    EXPECT_EQ(band->Child->Text, QStringLiteral("inner"));
    EXPECT_EQ(band->Child->Next, band->Child);
    EXPECT_TRUE(t.Root->CheckConsistency());
}

TEST(HeadTree, LeavesGroupIntoBandsByLeadingWords) {
    Tree t{u"Total|Net", u"Total|Tax", u"Name", u"A|B|C", u"A|B|D", u"A|E", u"|X", u"Y|"};
    t.Root->UnionLeavesByWords(t.Leaves);
    ASSERT_TRUE(t.Root->CheckConsistency());

    auto top = t.Children(t.Root.get());
    ASSERT_EQ(top.size(), 5u);
    EXPECT_EQ(top[0]->Text, QStringLiteral("Total"));
    EXPECT_EQ(top[0]->Width, 101);
    auto total = t.Children(top[0]);
    ASSERT_EQ(total.size(), 2u);
    EXPECT_EQ(total[0]->Text, QStringLiteral("Net"));
    EXPECT_EQ(total[1]->Text, QStringLiteral("Tax"));
    EXPECT_EQ(top[1]->Text, QStringLiteral("Name"));

    // A|B|C, A|B|D, A|E: A over (B over C, D) and E.
    EXPECT_EQ(top[2]->Text, QStringLiteral("A"));
    auto a = t.Children(top[2]);
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0]->Text, QStringLiteral("B"));
    EXPECT_EQ(t.Children(a[0]).size(), 2u);
    EXPECT_EQ(a[1]->Text, QStringLiteral("E"));
    EXPECT_EQ(t.Leaves[3]->Text, QStringLiteral("C"));
    EXPECT_EQ(t.Leaves[3]->GetLevel(), 3);
    EXPECT_EQ(t.Leaves[3]->Height, 60 - 40);

    // A leading bar forms no level; a trailing bar stays in the text.
    EXPECT_EQ(top[3], t.Leaves[6]);
    EXPECT_EQ(t.Leaves[6]->Text, QStringLiteral("|X"));
    EXPECT_EQ(top[4]->Text, QStringLiteral("Y|"));
}

TEST(HeadTree, ALeafThatIsOnlyTheBandsWordBecomesEmpty) {
    // The run takes the first leaf's prefix length from every leaf with the same first word.
    Tree t{u"Total|Net", u"Total"};
    t.Root->UnionLeavesByWords(t.Leaves);
    auto top = t.Children(t.Root.get());
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0]->Text, QStringLiteral("Total"));
    EXPECT_EQ(t.Leaves[1]->Text, QString());
    EXPECT_EQ(t.Leaves[1]->Host, top[0]);
}

TEST(HeadTree, DoForAllNodeWalksDepthFirst) {
    Tree t{u"A|a", u"A|b", u"c"};
    t.Root->UnionLeavesByWords(t.Leaves);
    QStringList seen;
    t.Root->DoForAllNode(THeadTreeProc::Callable([&](THeadTreeNode* node) { seen << node->Text; }));
    EXPECT_EQ(seen.join(QLatin1Char(',')), QStringLiteral("A,a,b,c"));
    t.Root->FreeAllChild();
    EXPECT_EQ(t.Root->Child, nullptr);
}

// Before the grid has a window its titles are measured on a borrowed screen context, which
// the grid's canvas gives back afterwards; the bands still get their heights.
TEST(HeadTree, MeasuringWithoutAWindowBorrowsAScreenContext) {
    TDBGridEh* grid = Create<TDBGridEh>(nullptr);
    const auto free = qScopeGuard([&] { grid->Free(); });
    for (const char* caption : {"Total|Net", "Total|Tax", "Name"})
        grid->Columns()->Add()->Title()->SetCaption(QString::fromLatin1(caption));
    grid->TitleParams()->SetMultiTitle(true);
    ASSERT_FALSE(grid->HandleAllocated());
    ASSERT_FALSE(grid->Canvas()->HandleAllocated());
    grid->LeafFieldArr().clear();
    grid->HeadTree()->CreateFieldTree(grid);
    const int height = grid->CalcHeadTreeHeights(grid->HeadTree());
    EXPECT_FALSE(grid->Canvas()->HandleAllocated());
    THeadTreeNode* band = grid->HeadTree()->Child;
    ASSERT_NE(band, nullptr);
    EXPECT_GT(height, 0);
    EXPECT_EQ(band->Height + band->Child->Height, height);
    EXPECT_EQ(band->Next->Height, height);
}

} // namespace

