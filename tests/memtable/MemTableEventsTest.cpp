// The events table's life as the tool uses it, and the cursor after every editing operation.

#include "MemTableFixture.h"

namespace {

// Receives the table's view events.
class TReceiver : public TComponent, public IMTEventReceiverEh {
    KVT_CLASS(TReceiver, TComponent)
public:
    explicit TReceiver(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    struct Ev {
        int Row;
        TMTViewEventTypeEh Kind;
        int Old;
        friend bool operator==(const Ev&, const Ev&) = default;
    };
    std::vector<Ev> Log;
    void MTViewDataEvent(int RowNum, TMTViewEventTypeEh Event, int OldRowNum) override {
        Log.push_back({RowNum, Event, OldRowNum});
    }
};

} // namespace

TEST(MemTableEvents, BuiltLikeTheMainWindowAndComputesTexts) {
    EventsTable e;
    ASSERT_TRUE(e.T->Active());
    EXPECT_EQ(e.T->RecordCount(), 0);
    EXPECT_EQ(e.T->RecNo(), -1);
    EXPECT_TRUE(e.T->IsEmpty());
    EXPECT_TRUE(e.T->Eof());
    EXPECT_EQ(e.T->FieldCount(), 6);
    EXPECT_TRUE(e.T->MemTableData()->DataStruct()->FieldByName("ID")->AutoIncrement());

    e.AppendPair(8 | 1, 0x83);
    EXPECT_EQ(e.ID->AsInteger(), -1);
    EXPECT_EQ(e.bt1String->AsString(), "cond 1");
    EXPECT_EQ(e.Static->AsString(), "->");
    EXPECT_EQ(e.bt2String->AsString(), "act 1/131");
    e.AppendPair(16, 2);
    EXPECT_EQ(e.ID->AsInteger(), -2);
    EXPECT_EQ(e.T->RecNo(), 2);
    EXPECT_EQ(e.T->RecordCount(), 2);

    // Scrolling reads the texts computed when the record entered the view.
    const int calcs = e.CalcCount;
    e.T->First();
    EXPECT_EQ(e.bt1String->AsString(), "cond 1");
    e.T->Next();
    EXPECT_EQ(e.bt1String->AsString(), "cond 2");
    EXPECT_EQ(e.CalcCount, calcs);

    // An edit recomputes while editing and after posting.
    e.T->Edit();
    e.bt1->SetAsInteger(24);
    EXPECT_EQ(e.bt1String->AsString(), "cond 3");
    e.T->Post();
    EXPECT_EQ(e.bt1String->AsString(), "cond 3");
    e.T->First();
    e.T->Next();
    EXPECT_EQ(e.bt1String->AsString(), "cond 3");
}

// The editor page's Add: Next, then Insert; with the end flag set the row is appended.
TEST(MemTableEvents, AddAfterCurrentRowOrAtEnd) {
    EventsTable e;
    auto add = [&](int b2) {
        e.T->Next();
        const bool atEnd = e.T->Eof();
        int p = std::max(0, e.T->RecNo());
        if (atEnd) ++p;
        e.T->Insert();
        e.bt2->SetAsInteger(b2);
        e.T->Post();
        EXPECT_EQ(e.T->RecNo(), p) << "adding " << b2;
        e.T->SetRecNo(p);
        return p;
    };
    EXPECT_EQ(add(1), 1); // empty table
    EXPECT_EQ(add(2), 2); // after the last row
    e.T->SetRecNo(1);
    EXPECT_EQ(add(3), 2); // after row 1, before the old row 2
    EXPECT_EQ(e.Bt2s(), (std::vector<int>{1, 3, 2}));
    EXPECT_EQ(e.T->RecordCount(), 3);
}

TEST(MemTableEvents, CursorAfterEachEditingOperation) {
    EventsTable e;
    for (int i = 1; i <= 5; ++i)
        e.AppendPair(0, i);
    EXPECT_EQ(e.T->RecNo(), 5);

    // Insert on row 2: the new row is row 2, the old row 2 moves to 3; RecNo is 0 meanwhile.
    e.T->SetRecNo(2);
    e.T->Insert();
    EXPECT_EQ(e.T->RecNo(), 0);
    EXPECT_EQ(e.T->RecordCount(), 5);
    e.bt2->SetAsInteger(20);
    e.T->Post();
    EXPECT_EQ(e.T->RecNo(), 2);
    EXPECT_EQ(e.Bt2s(), (std::vector<int>{1, 20, 2, 3, 4, 5}));

    // Cancelled insert: back on the row that was current.
    e.T->SetRecNo(4);
    e.T->Insert();
    e.T->Cancel();
    EXPECT_EQ(e.T->RecNo(), 4);
    EXPECT_EQ(e.bt2->AsInteger(), 3);

    // Edit keeps the row.
    e.T->Edit();
    e.bt2->SetAsInteger(30);
    e.T->Post();
    EXPECT_EQ(e.T->RecNo(), 4);
    EXPECT_EQ(e.bt2->AsInteger(), 30);

    // Deleting a middle row makes the following row current at the same RecNo.
    e.T->Delete();
    EXPECT_EQ(e.T->RecNo(), 4);
    EXPECT_EQ(e.bt2->AsInteger(), 4);
    // Deleting the last row makes the new last row current.
    e.T->Last();
    e.T->Delete();
    EXPECT_EQ(e.T->RecNo(), 4);
    EXPECT_EQ(e.bt2->AsInteger(), 4);
    EXPECT_EQ(e.Bt2s(), (std::vector<int>{1, 20, 2, 4}));

    // SetRecNo outside 1..RecordCount does nothing and sends no scroll events.
    const size_t scrolls = e.AfterScrollDisabled.size();
    e.T->SetRecNo(0);
    e.T->SetRecNo(5);
    EXPECT_EQ(e.T->RecNo(), 4);
    EXPECT_EQ(e.AfterScrollDisabled.size(), scrolls);
}

TEST(MemTableEvents, EditOnEmptyInsertsAndEmptyTableRestartsNumbering) {
    EventsTable e;
    e.T->Edit();
    EXPECT_EQ(e.T->State(), dsInsert);
    e.bt1->SetAsInteger(8);
    e.T->Post();
    EXPECT_EQ(e.T->RecordCount(), 1);
    EXPECT_EQ(e.ID->AsInteger(), -1);
    e.AppendPair(0, 1);
    EXPECT_EQ(e.ID->AsInteger(), -2);

    e.T->EmptyTable();
    EXPECT_EQ(e.T->RecordCount(), 0);
    EXPECT_TRUE(e.T->IsEmpty());
    e.AppendPair(0, 7);
    EXPECT_EQ(e.ID->AsInteger(), -1);
}

// Renumbering walks every row with Edit/Post; Up swaps two rows' pairs.
TEST(MemTableEvents, RenumberWalkAndSwapRows) {
    EventsTable e;
    for (int i = 0; i < 4; ++i)
        e.AppendPair(1, 0x80 | i);
    e.T->DisableControls();
    e.T->First();
    while (!e.T->Eof()) {
        if ((e.bt2->AsInteger() & 0x7F) >= 1) {
            e.T->Edit();
            e.bt2->SetAsInteger((e.bt2->AsInteger() & 0x80) | ((e.bt2->AsInteger() & 0x7F) + 1));
            e.T->Post();
        }
        e.T->Next();
    }
    e.T->SetRecNo(3);
    e.T->EnableControls();
    EXPECT_EQ(e.Bt2s(), (std::vector<int>{0x80, 0x82, 0x83, 0x84}));
    EXPECT_EQ(e.T->RecNo(), 3);
    EXPECT_EQ(e.bt2String->AsString(), "act 1/131");

    // Up on row 3.
    const int k = e.T->RecNo();
    const int a1 = e.bt1->AsInteger(), a2 = e.bt2->AsInteger();
    e.T->Prior();
    const int b1 = e.bt1->AsInteger(), b2 = e.bt2->AsInteger();
    e.T->Edit();
    e.bt1->SetAsInteger(a1);
    e.bt2->SetAsInteger(a2);
    e.T->Post();
    e.T->Next();
    e.T->Edit();
    e.bt1->SetAsInteger(b1);
    e.bt2->SetAsInteger(b2);
    e.T->Post();
    e.T->SetRecNo(k - 1);
    EXPECT_EQ(e.Bt2s(), (std::vector<int>{0x80, 0x83, 0x82, 0x84}));
    EXPECT_EQ(e.T->RecNo(), 2);
    EXPECT_EQ(e.bt2->AsInteger(), 0x83);
}

// A device read: controls off, empty, append, first, controls on; the data-aware side sees
// one change, AfterScroll still runs while controls are off.
TEST(MemTableEvents, FillWithControlsDisabled) {
    EventsTable e;
    e.AppendPair(0, 9);
    CompPtr<TReceiver> rcv(Create<TReceiver>(nullptr));
    e.T->RegisterEventReceiver(rcv.get());
    e.AfterScrollDisabled.clear();

    e.T->DisableControls();
    e.T->EmptyTable();
    for (int i = 0; i < 10; ++i)
        e.AppendPair(0, i);
    e.T->First();
    EXPECT_TRUE(rcv->Log.empty());
    e.T->EnableControls();

    ASSERT_FALSE(e.AfterScrollDisabled.empty());
    EXPECT_TRUE(e.AfterScrollDisabled.back());
    EXPECT_EQ(rcv->Log, (std::vector<TReceiver::Ev>{{-1, mtViewDataChangedEh, -1}}));
    EXPECT_EQ(e.T->RecNo(), 1);
    EXPECT_EQ(e.T->RecordCount(), 10);

    // Exactly one held change is delivered as itself.
    rcv->Log.clear();
    e.T->DisableControls();
    e.T->SetRecNo(3);
    e.T->Edit();
    e.bt2->SetAsInteger(33);
    e.T->Post();
    e.T->EnableControls();
    EXPECT_EQ(rcv->Log, (std::vector<TReceiver::Ev>{{2, mtRowChangedEh, -1}}));

    // With MTEnableControls a held change is always the whole view.
    rcv->Log.clear();
    e.T->MTDisableControls();
    e.T->Edit();
    e.bt2->SetAsInteger(34);
    e.T->Post();
    e.T->MTEnableControls(false);
    EXPECT_EQ(rcv->Log, (std::vector<TReceiver::Ev>{{-1, mtViewDataChangedEh, -1}}));

    // A receiver that goes away is forgotten.
    rcv.reset();
    e.AppendPair(0, 1);
    EXPECT_EQ(e.T->RecordCount(), 11);
}

TEST(MemTableEvents, InsertAnnouncementAndPostEvents) {
    EventsTable e;
    for (int i = 0; i < 3; ++i)
        e.AppendPair(0, i);
    CompPtr<TReceiver> rcv(Create<TReceiver>(nullptr));
    e.T->RegisterEventReceiver(rcv.get());
    e.T->SetRecNo(2);
    e.T->Insert();
    EXPECT_EQ(e.T->InstantReadRowCount(), 4);
    EXPECT_EQ(e.T->GetInstantReadCurRow(), 1);
    e.bt2->SetAsInteger(50);
    e.T->InstantReadEnter(1);
    EXPECT_EQ(e.bt2->AsInteger(), 50);
    e.T->InstantReadLeave();
    e.T->InstantReadEnter(2);
    EXPECT_EQ(e.bt2->AsInteger(), 1);
    e.T->InstantReadLeave();
    e.T->Post();
    const std::vector<TReceiver::Ev> want{
        {1, mtRowInsertedEh, -1}, {1, mtRowInsertedEh, -1}, {1, mtRowDeletedEh, -1}};
    ASSERT_EQ(rcv->Log.size(), 3u);
    EXPECT_EQ(rcv->Log[0], want[0]);
    // The posted record arrives while the virtual row is still announced (one row further on).
    EXPECT_EQ(rcv->Log[1].Kind, mtRowInsertedEh);
    EXPECT_EQ(rcv->Log[2].Kind, mtRowDeletedEh);

    // After Append, the current instant-read row is the old row count.
    e.T->Append();
    EXPECT_EQ(e.T->GetInstantReadCurRow(), 4);
    e.T->Cancel();
    e.T->InstantReadEnter(0);
    e.T->InstantReadEnter(3);
    e.T->InstantReadLeave();
    EXPECT_EQ(e.bt2->AsInteger(), 0);
    e.T->InstantReadLeave();
    EXPECT_THROW(e.T->InstantReadLeave(), Exception);
}

TEST(MemTableEvents, BookmarksDesignatePositions) {
    EventsTable e;
    EXPECT_FALSE(e.T->BookmarkValid(e.T->RecNoToBookmark(1)));
    for (int i = 0; i < 6; ++i)
        e.AppendPair(0, i);
    e.T->SetRecNo(5);
    const TBookmark bm = e.T->GetBookmark();
    e.T->SetRecNo(2);
    e.T->Delete();
    e.T->GotoBookmark(bm);
    EXPECT_EQ(e.T->RecNo(), 5);
    EXPECT_EQ(e.bt2->AsInteger(), 5);

    EXPECT_EQ(e.T->CompareBookmarks(TBookmark(), bm), -1);
    EXPECT_EQ(e.T->CompareBookmarks(bm, TBookmark()), 1);
    EXPECT_EQ(e.T->CompareBookmarks(e.T->RecNoToBookmark(2), bm), -1);
    // A short or foreign bookmark designates nothing.
    const TBookmark shortBm{5, 0};
    EXPECT_FALSE(e.T->BookmarkValid(shortBm));
    EXPECT_FALSE(e.T->BookmarkValid(e.T->RecNoToBookmark(6)));
    try {
        e.T->GotoBookmark(e.T->RecNoToBookmark(9));
        FAIL();
    } catch (EDatabaseError& x) {
        EXPECT_EQ(x.Message(), "ControlEventsMemTableEh: Record not found");
    }
}

// A grid-like link showing four rows: the buffered rows follow every operation.
TEST(MemTableEvents, BufferedRowsOfAFourRowLink) {
    EventsTable e;
    CompPtr<TDataSource> ds(Create<TDataSource>(nullptr));
    ds->SetDataSet(e.T);
    TDataLink link;
    link.SetBufferCount(4);
    link.SetDataSource(ds.get());
    auto shown = [&] {
        std::vector<int> r;
        const int save = link.ActiveRecord();
        for (int i = 0; i < link.RecordCount(); ++i) {
            link.SetActiveRecord(i);
            r.push_back(e.bt2->AsInteger());
        }
        link.SetActiveRecord(save);
        return r;
    };
    for (int i = 1; i <= 6; ++i)
        e.AppendPair(0, i);
    EXPECT_EQ(shown(), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(link.ActiveRecord(), 3);
    e.T->First();
    EXPECT_EQ(shown(), (std::vector<int>{1, 2, 3, 4}));
    e.T->MoveBy(2);
    e.T->Delete(); // row 3 goes; row 4 takes its place
    EXPECT_EQ(shown(), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_EQ(e.bt2->AsInteger(), 4);
    e.T->Insert();
    e.bt2->SetAsInteger(30);
    e.T->Post();
    EXPECT_EQ(shown(), (std::vector<int>{1, 2, 30, 4}));
    EXPECT_EQ(e.bt2->AsInteger(), 30);
    e.T->Last();
    EXPECT_EQ(shown(), (std::vector<int>{30, 4, 5, 6}));
    EXPECT_EQ(link.ActiveRecord(), 3);
    link.SetDataSource(nullptr);
}
