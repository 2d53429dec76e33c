#include "StoreFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Id, Parent and a Name column; the view shows them as a tree.
class MemRecTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        md = MakeStore({{"Id", ftInteger}, {"Parent", ftInteger}, {"Name", ftString}});
        view.SetMemTableData(md.get());
        view.SetTreeViewKeyFieldName(QStringLiteral("Id"));
        view.SetTreeViewRefParentFieldName(QStringLiteral("Parent"));
        tree()->DefaultNodeExpanded = true;
    }
    TMemoryTreeListEh* tree() { return view.MemoryTreeList(); }
    TMemoryRecordEh* Add(int id, const Variant& parent) {
        return AddRec(md.get(), {id, parent, AnsiString(QByteArray::number(id))});
    }
    // The shown rows as "id/level" items.
    std::string Rows() {
        std::string s;
        for (int i = 0; i < view.Count(); ++i) {
            TMemRecViewEh* n = view.RecordView(i);
            if (!s.empty()) s += ' ';
            s += std::to_string(n->Rec()->GetDataValue(0, dvvValueEh).AsInteger()) + "/" +
                 std::to_string(n->NodeLevel());
        }
        return s;
    }
    std::unique_ptr<TMemTableDataEh> md;
    TRecordsViewEh view;
};

} // namespace

TEST_F(MemRecTreeTest, BuildsFromKeysAndFollowsChanges) {
    Add(1, Null());
    Add(2, 1);
    Add(3, 2);
    Add(4, 1);
    TMemoryRecordEh* r5 = Add(5, Null());
    view.SetViewAsTreeList(true);
    EXPECT_EQ(Rows(), "1/1 2/2 3/3 4/2 5/1");
    // Records added in tree order find their parents; a record inserted in the middle of the
    // list stands between the siblings around it.
    Add(6, 5);
    md->RecordsList()->InsertRecord(3, [&] {
        TMemoryRecordEh* r = md->RecordsList()->NewRecord();
        r->SetDataValue(0, dvvValueEh, 7);
        r->SetDataValue(1, dvvValueEh, 1);
        return r;
    }());
    EXPECT_EQ(Rows(), "1/1 2/2 3/3 7/2 4/2 5/1 6/2");
    // Changing a parent reference moves the node with its subtree.
    EditRec(md->RecordsList()->Rec(1), 1, 5);
    EXPECT_EQ(Rows(), "1/1 7/2 4/2 5/1 2/2 3/3 6/2");
    // Deleting a parent re-adds its children by key: with no other parent they go to the top.
    md->RecordsList()->DeleteRecord(r5->Index());
    EXPECT_EQ(Rows(), "1/1 7/2 4/2 2/1 3/2 6/1");
    // Collapsing hides the children from the shown rows but not from the accountable ones.
    tree()->Collapse(view.RecordView(0), false);
    EXPECT_EQ(Rows(), "1/1 2/1 3/2 6/1");
    EXPECT_EQ(view.AccountableItemsCount(), 6);
    EXPECT_EQ(tree()->GetVisibleExpandedItem(-1), nullptr);
    EXPECT_EQ(tree()->GetVisibleExpandedItem(tree()->GetVisibleExpandedCount()), nullptr);
    EXPECT_NE(tree()->GetVisibleExpandedItem(tree()->GetVisibleExpandedCount() - 1), nullptr);
}

TEST_F(MemRecTreeTest, ReferenceLoopsAreRefused) {
    view.SetViewAsTreeList(true);
    TMemoryRecordEh* r1 = Add(1, Null());
    TMemoryRecordEh* r2 = Add(2, 1);
    Add(3, 2);
    // Its own parent.
    try {
        Add(4, 4);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Reference-loop found"));
    }
    EXPECT_EQ(md->RecordsList()->Count(), 3);
    // A parent under its own descendant.
    r1->Edit();
    r1->SetDataValue(1, dvvValueEh, 3);
    EXPECT_THROW(r1->Post(), Exception);
    r1->Cancel();
    EXPECT_TRUE(tree()->CheckReferenceLoop(r1, Variant(2)));
    EXPECT_FALSE(tree()->CheckReferenceLoop(r2, Null()));
    EXPECT_FALSE(tree()->CheckReferenceLoop(r1, Unassigned()));
    Add(5, Null());
    EXPECT_EQ(Rows(), "1/1 2/2 3/3 5/1");
}

TEST_F(MemRecTreeTest, ChildBeforeParentWithAndWithoutFullBuildCheck) {
    for (bool full : {false, true}) {
        md->RecordsList()->Clear();
        view.SetViewAsTreeList(false);
        tree()->FullBuildCheck = full;
        view.SetViewAsTreeList(true);
        Add(2, 1);
        Add(3, 2);
        Add(1, Null());
        EXPECT_EQ(Rows(), full ? "1/1 2/2 3/3" : "2/1 3/2 1/1") << "FullBuildCheck " << full;
    }
}

TEST_F(MemRecTreeTest, FilterVisibility) {
    Add(1, Null());
    Add(2, 1);
    Add(3, 2);
    Add(4, 1);
    Add(5, Null());
    Add(6, 5);
    view.SetViewAsTreeList(true);
    auto onlyId = [](int id) {
        return [id](TMemoryRecordEh* r, TMemRecViewEh*) {
            return r->GetDataValue(0, dvvValueEh).AsInteger() == id;
        };
    };
    // A passing grandchild keeps its ancestors visible; everything else is hidden.
    view.OnFilterRecord = onlyId(3);
    view.RefreshFilteredRecsList();
    EXPECT_EQ(Rows(), "1/1 2/2 3/3");
    // Without filtering the children of shown nodes, a passing top node shows its subtree.
    view.OnFilterRecord = onlyId(5);
    tree()->FilterNodeIfParentVisible = false;
    view.RefreshFilteredRecsList();
    EXPECT_EQ(Rows(), "5/1 6/2");
    tree()->FilterNodeIfParentVisible = true;
    view.RefreshFilteredRecsList();
    EXPECT_EQ(Rows(), "5/1");
}

TEST_F(MemRecTreeTest, SortedChildrenAndDefaults) {
    tree()->DefaultNodeHasChildren = true;
    Add(1, Null());
    Add(30, 1);
    Add(10, 1);
    Add(20, 1);
    view.SetViewAsTreeList(true);
    view.SetSortOrder(QStringLiteral("Id"));
    EXPECT_EQ(Rows(), "1/1 10/2 20/2 30/2");
    // A new child goes to its sorted place; a moved record that sorts last becomes the last child.
    Add(15, 1);
    EXPECT_EQ(Rows(), "1/1 10/2 15/2 20/2 30/2");
    Add(2, Null());
    Add(40, 2);
    EditRec(md->RecordsList()->Rec(3), 1, 2); // 20 under 2
    EXPECT_EQ(Rows(), "1/1 10/2 15/2 30/2 2/1 20/2 40/2");
    view.SetSortOrder(QStringLiteral("Id DESC"));
    EXPECT_EQ(Rows(), "2/1 40/2 20/2 1/1 30/2 15/2 10/2");
    // A node without children still reports visible children when told to.
    TMemRecViewEh* leaf = view.RecordView(2);
    EXPECT_EQ(leaf->NodesCount(), 0);
    EXPECT_TRUE(leaf->NodeHasVisibleChildren());
}
