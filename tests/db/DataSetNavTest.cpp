// Navigation over the ring of record buffers, seen through a grid-like link of 5 rows.

#include "db/DbFixture.h"

using V = std::vector<int>;
using S = std::vector<String>;

class Nav : public DbFixture {};

TEST_F(Nav, OpenFillsTheLinksWindowAndScrollsItByOneAtTheEdges) {
    Fill(20);
    TRecordingLink* grid = Link(5);
    ds->Open();
    EXPECT_EQ(grid->Log, S{"active"});
    EXPECT_EQ(ds->BufferCount(), 5);
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(grid->RecordCount(), 5);
    EXPECT_EQ(Window(grid), (V{1, 2, 3, 4, 5}));

    grid->Log.clear();
    for (int i = 0; i < 4; ++i)
        ds->Next();
    EXPECT_EQ(grid->ActiveRecord(), 4);
    EXPECT_EQ(grid->Log, (S{"scrolled:0", "scrolled:0", "scrolled:0", "scrolled:0"}));
    grid->Log.clear();
    ds->Next(); // one past the window's edge: the window moves by one
    EXPECT_EQ(grid->Log, S{"scrolled:1"});
    EXPECT_EQ(grid->ActiveRecord(), 4);
    EXPECT_EQ(Window(grid), (V{2, 3, 4, 5, 6}));
    EXPECT_EQ(ds->RecNo(), 6);

    ds->Last();
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(Window(grid), (V{16, 17, 18, 19, 20}));
    EXPECT_EQ(grid->ActiveRecord(), 4);
    grid->Log.clear();
    for (int i = 0; i < 5; ++i)
        ds->Prior();
    EXPECT_EQ(grid->Log.back(), "scrolled:-1");
    EXPECT_EQ(grid->ActiveRecord(), 0);
    EXPECT_EQ(Window(grid), (V{15, 16, 17, 18, 19}));
    EXPECT_EQ(Id(), 15);
}

TEST_F(Nav, MoveByAnswersTheDistanceMovedAndSetsTheEndFlags) {
    Fill(20);
    Link(5);
    ds->Open();
    EXPECT_EQ(ds->MoveBy(100), 19);
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(Id(), 20);
    EXPECT_EQ(ds->MoveBy(1), 0); // already at the end: nothing happens
    EXPECT_EQ(ds->MoveBy(-7), -7);
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(Id(), 13);
    EXPECT_EQ(ds->MoveBy(-100), -12);
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(ds->RecNo(), 1);
}

TEST_F(Nav, WalkingToEofVisitsEveryRecordOnce) {
    Fill(20);
    Link(5);
    ds->Open();
    V seen;
    for (ds->First(); !ds->Eof(); ds->Next())
        seen.push_back(Id());
    EXPECT_EQ(seen.size(), 20u);
    EXPECT_EQ(seen.front(), 1);
    EXPECT_EQ(seen.back(), 20);
    EXPECT_EQ(ds->RecordCount(), 20);
}

TEST_F(Nav, GotoBookmarkCentresTheRecordInTheBuffers) {
    Fill(20);
    TRecordingLink* grid = Link(5);
    ds->Open();
    ds->SetRecNo(10);
    const TBookmark b = ds->Bookmark();
    ds->First();
    ds->GotoBookmark(b);
    EXPECT_EQ(Id(), 10);
    EXPECT_EQ(ds->ActiveRecord(), 2); // (5 - 1) / 2
    EXPECT_EQ(Window(grid), (V{8, 9, 10, 11, 12}));
}

TEST_F(Nav, BookmarksCompareValidateAndFailWithTheDataSetsName) {
    Fill(6);
    ds->Open();
    ds->SetRecNo(2);
    const TBookmark b2 = ds->Bookmark();
    ds->SetRecNo(5);
    const TBookmark b5 = ds->Bookmark();
    EXPECT_NE(ds->CompareBookmarks(b2, b5), 0);
    EXPECT_EQ(ds->CompareBookmarks(TBookmark(), b5), -1);
    EXPECT_EQ(ds->CompareBookmarks(b5, TBookmark()), 1);
    EXPECT_EQ(ds->CompareBookmarks(TBookmark(), TBookmark()), 0);
    EXPECT_TRUE(ds->BookmarkValid(b2));

    ds->SetRecNo(2);
    ds->Delete();
    EXPECT_FALSE(ds->BookmarkValid(b2));
    try {
        ds->GotoBookmark(b2);
        FAIL() << "no error";
    } catch (EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "T1: Record not found");
    }
    ds->GotoBookmark(TBookmark()); // an empty bookmark goes nowhere
}

TEST_F(Nav, EmptyDataSetIsBofEofAndHasNoBookmark) {
    Link(5);
    ds->Open();
    EXPECT_TRUE(ds->IsEmpty());
    EXPECT_TRUE(ds->Bof());
    EXPECT_TRUE(ds->Eof());
    EXPECT_TRUE(ds->Bookmark().empty());
    EXPECT_EQ(ds->RecNo(), -1);
    EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
    EXPECT_THROW(ds->Delete(), EDatabaseError);
}

TEST_F(Nav, ShrinkingTheLinkKeepsTheCurrentRecordInItsWindow) {
    Fill(20);
    TRecordingLink* grid = Link(10);
    ds->Open();
    ds->MoveBy(8);
    EXPECT_EQ(grid->ActiveRecord(), 8);
    grid->SetBufferCount(3);
    EXPECT_EQ(ds->BufferCount(), 3);
    EXPECT_EQ(Id(), 9);
    EXPECT_GE(grid->ActiveRecord(), 0);
    EXPECT_LT(grid->ActiveRecord(), 3);
    const V w = Window(grid);
    EXPECT_NE(std::find(w.begin(), w.end(), 9), w.end());
}

TEST_F(Nav, TwoLinksShareTheBuffersButKeepTheirOwnWindows) {
    Fill(20);
    TRecordingLink* big = Link(6);
    TRecordingLink* small = Link(2);
    ds->Open();
    EXPECT_EQ(ds->BufferCount(), 6);
    ds->MoveBy(3);
    EXPECT_EQ(big->ActiveRecord(), 3);
    EXPECT_EQ(small->ActiveRecord(), 1);
    EXPECT_EQ(Window(small), (V{3, 4}));
    EXPECT_EQ(Window(big), (V{1, 2, 3, 4, 5, 6}));
}

TEST_F(Nav, RecNoWritesMoveTheCursorAndIgnoreValuesOutOfRange) {
    Fill(5);
    ds->Open();
    int scrolls = 0;
    ds->AfterScroll = TDataSetNotifyEvent::Callable([&](TDataSet*) { ++scrolls; });
    ds->SetRecNo(4);
    EXPECT_EQ(Id(), 4);
    EXPECT_EQ(scrolls, 1);
    ds->SetRecNo(0);
    ds->SetRecNo(6);
    EXPECT_EQ(Id(), 4);
    EXPECT_EQ(scrolls, 1);
}

TEST_F(Nav, FilterRecordHidesRecordsAndRefreshRereads) {
    Fill(10);
    ds->SetOnFilterRecord(TFilterRecordEvent::Callable([](TDataSet* d, bool& accept) {
        EXPECT_EQ(d->State(), dsFilter);
        accept = d->FieldByName("ID")->AsInteger() % 2 == 0;
    }));
    ds->SetFiltered(true);
    ds->Open();
    V seen;
    for (ds->First(); !ds->Eof(); ds->Next())
        seen.push_back(Id());
    EXPECT_EQ(seen, (V{2, 4, 6, 8, 10}));
    ds->First();
    ds->Records[1].Values[1] = Variant(QStringLiteral("changed"));
    ds->Refresh();
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "changed");
}
