// Insert, append, edit, post, cancel and delete: where the cursor ends up, and the order of
// the events around them.

#include "db/DbFixture.h"

using V = std::vector<int>;
using S = std::vector<String>;

class Edit : public DbFixture {
protected:
    void Set(const char* field, const Variant& v) {
        ds->FieldByName(QString::fromLatin1(field))->SetValue(v);
    }
    void Hook(std::vector<String>& log) {
        auto add = [&log](const char* name) {
            return TDataSetNotifyEvent::Callable(
                [&log, name](TDataSet*) { log.push_back(QString::fromLatin1(name)); });
        };
        ds->BeforeOpen = add("BeforeOpen");
        ds->AfterOpen = add("AfterOpen");
        ds->BeforeClose = add("BeforeClose");
        ds->AfterClose = add("AfterClose");
        ds->BeforeInsert = add("BeforeInsert");
        ds->AfterInsert = add("AfterInsert");
        ds->BeforeEdit = add("BeforeEdit");
        ds->AfterEdit = add("AfterEdit");
        ds->BeforePost = add("BeforePost");
        ds->AfterPost = add("AfterPost");
        ds->BeforeCancel = add("BeforeCancel");
        ds->AfterCancel = add("AfterCancel");
        ds->BeforeDelete = add("BeforeDelete");
        ds->AfterDelete = add("AfterDelete");
        ds->BeforeScroll = add("BeforeScroll");
        ds->AfterScroll = add("AfterScroll");
        ds->OnNewRecord = add("OnNewRecord");
        src->OnStateChange = TNotifyEvent::Callable(
            [this, &log](TObject*) { log.push_back(QStringLiteral("State:%1").arg(int(src->State()))); });
    }
};

TEST_F(Edit, InsertGoesInFrontOfTheCurrentRecordAndPostLeavesTheCursorOnIt) {
    Fill(5);
    ds->Open();
    ds->SetRecNo(3);
    ds->Insert();
    EXPECT_EQ(ds->State(), dsInsert);
    EXPECT_EQ(ds->RecNo(), 0);
    EXPECT_EQ(ds->RecordCount(), 5); // the new row does not count yet
    Set("ID", 100);
    ds->Post();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(Id(), 100);
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(AllIds(), (V{1, 2, 100, 3, 4, 5}));
}

TEST_F(Edit, InsertAfterMovingPastTheLastRecordAppends) {
    Fill(3);
    ds->Open();
    ds->Last();
    ds->Next();
    ASSERT_TRUE(ds->Eof());
    ds->Insert();
    EXPECT_TRUE(ds->Eof()); // Insert leaves the end flag as it was
    Set("ID", 9);
    ds->Post();
    EXPECT_EQ(AllIds(), (V{1, 2, 3, 9}));
    EXPECT_EQ(Id(), 9);
}

TEST_F(Edit, AppendPutsTheRecordLastAndSetsEof) {
    Fill(4);
    TRecordingLink* grid = Link(5);
    ds->Open();
    ds->Append();
    EXPECT_TRUE(ds->Eof());
    EXPECT_FALSE(ds->Bof());
    // The grid shows the records before the new one.
    EXPECT_EQ(grid->RecordCount(), 5);
    Set("ID", 50);
    ds->Post();
    EXPECT_EQ(AllIds(), (V{1, 2, 3, 4, 50}));
    EXPECT_EQ(ds->RecNo(), ds->RecordCount());
    EXPECT_EQ(Window(grid), (V{1, 2, 3, 4, 50}));
}

TEST_F(Edit, EditOnAnEmptyDataSetInsertsAndInsertIntoEmptyGoesFirst) {
    ds->Open();
    ds->Edit();
    EXPECT_EQ(ds->State(), dsInsert);
    Set("ID", 1);
    ds->Post();
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(ds->RecordCount(), 1);
}

TEST_F(Edit, CancelRestoresTheCursorAndTheValues) {
    Fill(5);
    ds->Open();
    ds->SetRecNo(2);
    ds->Insert();
    Set("ID", 77);
    ds->Cancel();
    EXPECT_EQ(Id(), 2);
    EXPECT_EQ(ds->RecordCount(), 5);

    ds->Edit();
    Set("Name", QStringLiteral("edited"));
    EXPECT_EQ(ds->FieldByName("Name")->OldValue().AsString(), "N2");
    ds->Cancel();
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "N2");
}

TEST_F(Edit, DeleteMakesTheFollowingRecordCurrentOrTheNewLast) {
    Fill(5);
    TRecordingLink* grid = Link(5);
    ds->Open();
    ds->SetRecNo(2);
    ds->Delete();
    EXPECT_EQ(Id(), 3);
    EXPECT_EQ(ds->RecNo(), 2);
    ds->Last();
    ds->Delete();
    EXPECT_EQ(Id(), 4);
    EXPECT_TRUE(ds->RecNo() == ds->RecordCount());
    EXPECT_EQ(Window(grid), (V{1, 3, 4}));
    ds->Delete();
    ds->Delete();
    ds->Delete();
    EXPECT_TRUE(ds->IsEmpty());
}

TEST_F(Edit, DeleteWhileInsertingCancelsTheInsert) {
    Fill(2);
    ds->Open();
    ds->Insert();
    ds->Delete();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->RecordCount(), 2);
}

TEST_F(Edit, PostOfARecordTheFilterHidesMovesToTheFirstRecord) {
    Fill(5);
    ds->SetOnFilterRecord(TFilterRecordEvent::Callable(
        [](TDataSet* d, bool& accept) { accept = d->FieldByName("Qty")->AsInteger() < 1000; }));
    ds->SetFiltered(true);
    ds->Open();
    ds->SetRecNo(4);
    ds->Edit();
    Set("Qty", 5000);
    ds->Post();
    EXPECT_EQ(ds->RecordCount(), 4);
    EXPECT_EQ(Id(), 1);
}

TEST_F(Edit, ScrollingPostsAPendingEditAndUnchangedEditsAreCancelled) {
    Fill(3);
    ds->Open();
    ds->Edit();
    Set("Name", QStringLiteral("x"));
    ds->Next();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->Records[0].Values[1].AsString(), "x");

    S log;
    Hook(log);
    ds->Edit();
    ds->Next(); // not modified: cancelled, not posted
    EXPECT_EQ(std::count(log.begin(), log.end(), "AfterCancel"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "BeforePost"), 0);
}

TEST_F(Edit, EventsComeInThePlatformsOrder) {
    Fill(3);
    S log;
    Hook(log);
    ds->Open();
    EXPECT_EQ(log, (S{"BeforeOpen", "State:1", "AfterOpen", "AfterScroll"}));

    log.clear();
    ds->Insert();
    EXPECT_EQ(log,
              (S{"BeforeInsert", "BeforeScroll", "State:3", "OnNewRecord", "AfterInsert", "AfterScroll"}));
    log.clear();
    Set("ID", 4);
    ds->Post();
    EXPECT_EQ(log, (S{"BeforePost", "State:1", "AfterPost"}));

    log.clear();
    ds->Edit();
    EXPECT_EQ(log, (S{"BeforeEdit", "State:2", "AfterEdit"}));
    log.clear();
    ds->Cancel();
    EXPECT_EQ(log, (S{"BeforeCancel", "State:1", "AfterCancel"}));

    log.clear();
    ds->Insert();
    log.clear();
    ds->Cancel();
    EXPECT_EQ(log, (S{"BeforeCancel", "BeforeScroll", "State:1", "AfterCancel", "AfterScroll"}));

    log.clear();
    ds->Delete();
    EXPECT_EQ(log, (S{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));

    log.clear();
    ds->Append();
    EXPECT_EQ(log,
              (S{"BeforeInsert", "BeforeScroll", "State:3", "OnNewRecord", "AfterInsert", "AfterScroll"}));
    ds->Cancel();

    log.clear();
    ds->Close();
    EXPECT_EQ(log, (S{"BeforeClose", "State:0", "AfterClose"}));
}

TEST_F(Edit, AnAbortInBeforePostKeepsTheEdit) {
    Fill(2);
    ds->Open();
    ds->BeforePost = TDataSetNotifyEvent::Callable([](TDataSet*) { Abort(); });
    ds->Edit();
    Set("Name", QStringLiteral("y"));
    EXPECT_THROW(ds->Post(), EAbort);
    EXPECT_EQ(ds->State(), dsEdit);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "y");
}

TEST_F(Edit, PostErrorHandlerCanRetryOrAbort) {
    Fill(1);
    ds->Open();
    auto* name = ds->FieldByName("Name");
    name->SetRequired(true);
    ds->Insert();
    int calls = 0;
    ds->OnPostError = TDataSetErrorEvent::Callable([&](TDataSet*, EDatabaseError* e, TDataAction& action) {
        ++calls;
        EXPECT_EQ(e->Message(), "Field 'Name' must have a value");
        if (calls == 1) {
            name->SetAsString(QStringLiteral("fixed"));
            action = daRetry;
        }
    });
    ds->Post();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "fixed");

    ds->Insert();
    ds->OnPostError =
        TDataSetErrorEvent::Callable([](TDataSet*, EDatabaseError*, TDataAction& a) { a = daAbort; });
    EXPECT_THROW(ds->Post(), EAbort);
    ds->OnPostError = nullptr;
    try {
        ds->Post();
        FAIL();
    } catch (EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'Name' must have a value");
    }
}

TEST_F(Edit, ReadOnlyDataSetAndClosedDataSetRefuseWithThePlatformsTexts) {
    Fill(1);
    auto expectError = [](auto&& f, const char* text) {
        try {
            f();
            ADD_FAILURE() << "no error for " << text;
        } catch (EDatabaseError& e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(text));
        }
    };
    expectError([&] { ds->First(); }, "T1: Cannot perform this operation on a closed dataset");
    ds->Open();
    expectError([&] { ds->FieldByName("Name")->SetAsString("a"); }, "T1: Dataset not in edit or insert mode");
    expectError([&] { ds->FieldByName("Nope"); }, "T1: Field 'Nope' not found");
    ds->ReadOnlySet = true;
    expectError([&] { ds->Edit(); }, "T1: Cannot modify a read-only dataset");
    expectError([&] { ds->Insert(); }, "T1: Cannot modify a read-only dataset");
    ds->ReadOnlySet = false;
    ds->FieldByName("Name")->SetReadOnly(true);
    ds->Edit();
    expectError([&] { ds->FieldByName("Name")->SetAsString("a"); }, "Field 'Name' cannot be modified");
    ds->Cancel();
    auto* extra = new TIntegerField(owner.get());
    extra->SetFieldName("Extra");
    expectError([&] { extra->SetDataSet(ds); }, "T1: Cannot perform this operation on an open dataset");
    expectError([&] { extra->AsInteger(); }, "Field 'Extra' has no dataset");
}

TEST_F(Edit, AFailedOpenLeavesTheDataSetClosed) {
    Fill(2);
    S log;
    Hook(log);
    TRecordingLink* grid = Link(3);
    ds->FailOpen = true;
    EXPECT_THROW(ds->Open(), EDatabaseError);
    EXPECT_FALSE(ds->Active());
    EXPECT_EQ(ds->State(), dsInactive);
    EXPECT_EQ(ds->InternalCloseCount, 1);
    EXPECT_EQ(log, S{"BeforeOpen"});
    EXPECT_TRUE(grid->Log.empty());
    ds->FailOpen = false;
    ds->Open();
    EXPECT_TRUE(ds->Active());
    EXPECT_EQ(grid->Log, S{"active"});
}

TEST_F(Edit, DefaultFieldsComeAndGoWithOpenAndClose) {
    Fill(1);
    EXPECT_EQ(ds->FieldCount(), 0);
    ds->Open();
    EXPECT_TRUE(ds->DefaultFields());
    ASSERT_EQ(ds->FieldCount(), 4);
    EXPECT_EQ(ds->Fields()->Fields(1)->ClassName(), "TStringField");
    EXPECT_EQ(ds->Fields()->Fields(1)->Size(), 20);
    EXPECT_EQ(ds->Fields()->Fields(3)->ClassName(), "TFloatField");
    ds->Close();
    EXPECT_EQ(ds->FieldCount(), 0);
}

TEST_F(Edit, InsertRecordAndFieldValuesWithSeveralNames) {
    Fill(2);
    ds->Open();
    ds->InsertRecord({7, QStringLiteral("seven"), 70, 7.5});
    EXPECT_EQ(Id(), 7);
    const Variant both = ds->FieldValues("ID;Name");
    ASSERT_TRUE(VarIsArray(both));
    EXPECT_EQ(both.ArrayGet({0}).AsInteger(), 7);
    EXPECT_EQ(both.ArrayGet({1}).AsString(), "seven");
    ds->Edit();
    ds->SetFieldValues("Qty;Name", VarArrayOf({Variant(71), Variant(QStringLiteral("renamed"))}));
    ds->Post();
    EXPECT_EQ(ds->FieldValues("Qty").AsInteger(), 71);
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "renamed");
    std::vector<TField*> list;
    EXPECT_THROW(ds->GetFieldList(list, "ID;Missing"), EDatabaseError);
}

TEST_F(Edit, LocateAndLookupWalkTheRecords) {
    Fill(6);
    ds->Open();
    EXPECT_TRUE(ds->Locate("Name", Variant(QStringLiteral("n4")), {loCaseInsensitive}));
    EXPECT_EQ(Id(), 4);
    EXPECT_FALSE(ds->Locate("Name", Variant(QStringLiteral("n4")), {}));
    EXPECT_EQ(Id(), 4); // unchanged when nothing matches
    EXPECT_TRUE(ds->Locate("ID;Qty", VarArrayOf({Variant(2), Variant(20)}), {}));
    EXPECT_EQ(Id(), 2);
    EXPECT_EQ(ds->Lookup("ID", Variant(5), "Name").AsString(), "N5");
    EXPECT_EQ(Id(), 2); // Lookup does not move the cursor
    EXPECT_TRUE(VarIsNull(ds->Lookup("ID", Variant(99), "Name")));
}

TEST_F(Edit, TheNewRecordTakesTheActiveRowOfAFullWindow) {
    Fill(20);
    TRecordingLink* grid = Link(5);
    ds->Open();
    ds->MoveBy(2);
    ds->Insert();
    EXPECT_EQ(grid->ActiveRecord(), 2);
    EXPECT_EQ(Window(grid), (V{1, 2, 0, 3, 4})); // the new row reads as empty
    ds->Cancel();
    EXPECT_EQ(Window(grid), (V{1, 2, 3, 4, 5}));
    EXPECT_EQ(Id(), 3);

    ds->Append();
    EXPECT_EQ(grid->ActiveRecord(), 4);
    EXPECT_EQ(Window(grid), (V{17, 18, 19, 20, 0}));
    Set("ID", 21);
    ds->Post();
    EXPECT_EQ(Window(grid), (V{17, 18, 19, 20, 21}));
    EXPECT_EQ(grid->ActiveRecord(), 4);
}
