// Loading, saving and copying, shared stores, cached updates and moving records.

#include "MemTableFixture.h"
#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/classes/ComponentStreams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>

namespace {

CompPtr<TMemTableEh> Numbers(int n, TComponent* owner = nullptr) {
    auto t = MakeTable({"ID:a", "N:i", "S:s"}, owner);
    for (int i = 1; i <= n; ++i)
        AppendRow(t.get(), {Variant(), i, QStringLiteral("s%1").arg(i)});
    return t;
}

} // namespace

TEST(MemTableFiles, SaveAndLoadRoundTripsInBothForms) {
    QTemporaryDir dir;
    auto t = Numbers(3);
    for (TDfmStreamFormatEh fmt : {dfmBinaryEh, dfmTextEh}) {
        const QString path = dir.filePath(fmt == dfmTextEh ? "t.txt" : "t.bin");
        t->SaveToFile(path, fmt);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(6);
        EXPECT_EQ(head.startsWith("TPF0"), fmt == dfmBinaryEh);
        EXPECT_EQ(head.startsWith("object"), fmt == dfmTextEh);

        CompPtr<TMemTableEh> u(Create<TMemTableEh>(nullptr));
        u->LoadFromFile(path);
        EXPECT_FALSE(u->Active());
        u->Open();
        EXPECT_EQ(u->FieldCount(), 3);
        EXPECT_EQ(Column(u.get(), "N"), Ints({1, 2, 3}));
        EXPECT_EQ(Column(u.get(), "ID"), Ints({-1, -2, -3}));
        u->Last();
        EXPECT_EQ(u->FieldByName("S")->AsString(), "s3");
        // The counter comes back too: the next record continues the numbering.
        AppendRow(u.get(), {Variant(), 4, "x"});
        EXPECT_EQ(u->FieldByName("ID")->AsInteger(), -4);
    }
    // The text form written as UTF-8 with a byte-order mark reads as text too.
    QFile f(dir.filePath("t.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QFile bom(dir.filePath("bom.txt"));
    ASSERT_TRUE(bom.open(QIODevice::WriteOnly));
    bom.write("\xEF\xBB\xBF" + text);
    bom.close();
    CompPtr<TMemTableEh> w(Create<TMemTableEh>(nullptr));
    w->LoadFromFile(bom.fileName());
    w->Open();
    EXPECT_EQ(Column(w.get(), "N"), Ints({1, 2, 3}));
}

// Texts holding NUL characters and doubles of every kind come back from the file as the store
// held them, in both forms; a text-form file holding -INF loads.  (A field reads a text through
// its zero-terminated buffer, so the values are put into and read from the store itself.)
TEST(MemTableFiles, NulTextsAndDoublesComeBackExactly) {
    QTemporaryDir dir;
    const QString nul = QStringLiteral("ab") + QChar(0) + QStringLiteral("cd");
    const QString wideNul = QStringLiteral("Ё") + QChar(0) + QStringLiteral("ж");
    const double doubles[] = {
        1e-20, 0.1, 0.30000000000000004, -0.0, 5e-324, 1.7976931348623157e308, INFINITY, -INFINITY, NAN};
    auto t = MakeTable({"S:s", "W:w", "F:f"});
    for (double d : doubles)
        AppendRow(t.get(), {Variant(), Variant(), d});
    TRecordsListEh* rl = t->MemTableData()->RecordsList();
    for (int i = 0; i < rl->Count(); ++i) {
        rl->Rec(i)->Edit();
        rl->Rec(i)->SetDataValue(0, dvvValueEh, Variant(AnsiString("ab\0cd", 5)));
        rl->Rec(i)->SetDataValue(1, dvvValueEh, Variant(wideNul));
        rl->Rec(i)->Post();
    }
    for (TDfmStreamFormatEh fmt : {dfmBinaryEh, dfmTextEh}) {
        SCOPED_TRACE(fmt == dfmTextEh ? "text" : "binary");
        const QString path = dir.filePath(fmt == dfmTextEh ? "t.txt" : "t.bin");
        t->SaveToFile(path, fmt);
        CompPtr<TMemTableEh> u(Create<TMemTableEh>(nullptr));
        u->LoadFromFile(path);
        TRecordsListEh* back = u->MemTableData()->RecordsList();
        ASSERT_EQ(back->Count(), int(std::size(doubles)));
        for (int i = 0; i < back->Count(); ++i) {
            EXPECT_EQ(VarToStr(back->Rec(i)->GetDataValue(0, dvvValueEh)), nul);
            EXPECT_EQ(VarToStr(back->Rec(i)->GetDataValue(1, dvvValueEh)), wideNul);
            const double d = back->Rec(i)->GetDataValue(2, dvvValueEh).AsDouble();
            EXPECT_TRUE(std::memcmp(&d, &doubles[i], sizeof d) == 0 ||
                        (std::isnan(d) && std::isnan(doubles[i])))
                << doubles[i] << " came back as " << d;
        }
        // The field shows the text up to its first NUL, as from any store.
        u->Open();
        EXPECT_EQ(u->FieldByName("S")->AsString(), "ab");
    }
    CompPtr<TMemTableEh> inf(Create<TMemTableEh>(nullptr));
    inf->LoadFromFile(QStringLiteral(KVT_TEST_DATA "/bad-input/memtable-float-minus-inf.txt"));
    inf->Open();
    EXPECT_EQ(inf->FieldByName("V")->AsFloat(), -INFINITY);
}

TEST(MemTableFiles, CorruptedFilesRaiseAndLeaveTheTableAsItWas) {
    QTemporaryDir dir;
    auto t = Numbers(3);
    const QString good = dir.filePath("good.bin");
    t->SaveToFile(good);
    QFile g(good);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    const QByteArray bytes = g.readAll();

    auto write = [&](const char* name, const QByteArray& data) {
        const QString p = dir.filePath(name);
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return p;
    };
    auto target = Numbers(2);
    target->SetRecNo(2);
    try {
        target->LoadFromFile(write("junk.bin", "hello, not a table"));
        FAIL();
    } catch (Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid stream format.");
    }
    EXPECT_THROW(target->LoadFromFile(write("cut.bin", bytes.left(bytes.size() - 9))), Exception);
    EXPECT_THROW(target->LoadFromFile(write("cut.txt", "object MemTableData: TMemTableDataEh\n  Data = {")),
                 Exception);
    EXPECT_THROW(target->LoadFromFile(dir.filePath("missing.bin")), Exception);
    EXPECT_TRUE(target->Active());
    EXPECT_EQ(target->State(), dsBrowse);
    EXPECT_EQ(target->RecNo(), 2) << "the cursor stays on its row";
    EXPECT_EQ(target->FieldCount(), 3);
    EXPECT_EQ(Column(target.get(), "N"), Ints({1, 2}));

    // A failed save leaves the existing file untouched.
    EXPECT_THROW(t->SaveToFile(dir.filePath("no/such/dir/x.bin")), Exception);
    target->LoadFromFile(good);
    EXPECT_TRUE(target->Active());
    EXPECT_EQ(Column(target.get(), "N"), Ints({1, 2, 3}));
}

// Files whose structure the table cannot open on are refused before anything changes.
TEST(MemTableFiles, BadStructureLeavesTheTableOpenWithItsRows) {
    const QString data = QStringLiteral(KVT_TEST_DATA "/bad-input/");
    struct Case {
        const char* File;
        const char* Message;
    };
    for (const Case& c : {Case{"memtable-empty-struct.bin", "MemTableData: MemTable doesn't have data."},
                          Case{"memtable-empty-struct.txt", "MemTableData: MemTable doesn't have data."},
                          Case{"memtable-field-without-name.txt", "MemTableData: Field name missing"}}) {
        CompPtr<TComponent> owner(Create<TComponent>(nullptr));
        auto t = Numbers(2, owner.get());
        t->SetName(QStringLiteral("MemTableData"));
        t->SetRecNo(2);
        try {
            t->LoadFromFile(data + QString::fromLatin1(c.File));
            FAIL() << c.File;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QString::fromLatin1(c.Message)) << c.File;
        }
        EXPECT_TRUE(t->Active()) << c.File;
        EXPECT_EQ(t->FieldCount(), 3);
        EXPECT_EQ(Column(t.get(), "N"), Ints({1, 2})) << c.File;
        EXPECT_EQ(Column(t.get(), "S"), (std::vector<Variant>{"s1", "s2"}));
        // And the table still loads a good file afterwards.
        const QString good = QDir::temp().filePath(QStringLiteral("kvt-memtable-good-%1.bin").arg(c.File));
        Numbers(4)->SaveToFile(good);
        t->LoadFromFile(good);
        QFile::remove(good);
        EXPECT_EQ(Column(t.get(), "N"), Ints({1, 2, 3, 4}));
    }
}

// Field names whose component names share a stem ("Phone", "Phone2") load back.
TEST(MemTableFiles, EveryTableThatSavesLoads) {
    CompPtr<TMemTableEh> fixture(Create<TMemTableEh>(nullptr));
    fixture->LoadFromFile(QStringLiteral(KVT_TEST_DATA "/bad-input/memtable-phone-phone2.txt"));
    fixture->Open();
    ASSERT_EQ(fixture->FieldCount(), 2);
    EXPECT_EQ(fixture->Fields()->Fields(1)->FieldName(), "Phone2");

    QTemporaryDir dir;
    const std::vector<std::pair<const char*, const char*>> pairs = {
        {"Phone", "Phone2"}, {"Name", "Name 2"}, {"A-B", "A+B"}, {"1st", "2nd"}};
    for (const auto& [a, b] : pairs)
        for (TDfmStreamFormatEh fmt : {dfmBinaryEh, dfmTextEh}) {
            CompPtr<TMemTableEh> t(Create<TMemTableEh>(nullptr));
            t->FieldDefs()->Add(QString::fromLatin1(a), ftString, 10);
            t->FieldDefs()->Add(QString::fromLatin1(b), ftInteger);
            t->CreateDataSet();
            AppendRow(t.get(), {"v", 7});
            const QString path = dir.filePath(QStringLiteral("t"));
            t->SaveToFile(path, fmt);
            CompPtr<TMemTableEh> u(Create<TMemTableEh>(nullptr));
            u->LoadFromFile(path);
            u->Open();
            ASSERT_EQ(u->FieldCount(), 2) << a << " " << b;
            EXPECT_EQ(u->Fields()->Fields(0)->FieldName(), QString::fromLatin1(a));
            EXPECT_EQ(u->Fields()->Fields(1)->FieldName(), QString::fromLatin1(b));
            EXPECT_EQ(u->FieldByName(QString::fromLatin1(b))->AsInteger(), 7);
        }
}

TEST(MemTableCopy, LoadFromDataSetModes) {
    auto src = Numbers(5);
    auto t = Numbers(2);
    EXPECT_EQ(t->LoadFromDataSet(t.get(), 0, lmCopy, false), 0);

    // Append keeps the table's own numbering.
    EXPECT_EQ(t->LoadFromDataSet(src.get(), 0, lmAppend, false), 5);
    EXPECT_EQ(t->RecNo(), 1);
    EXPECT_EQ(Column(t.get(), "ID"), Ints({-1, -2, -3, -4, -5, -6, -7}));

    // Three records from the source's current record.
    src->SetRecNo(2);
    auto c = Numbers(0);
    EXPECT_EQ(c->LoadFromDataSet(src.get(), 3, lmCopy, false), 3);
    EXPECT_EQ(Column(c.get(), "N"), Ints({2, 3, 4}));

    // Cached path: records are logged as inserted.
    auto d = Numbers(0);
    d->SetCachedUpdates(true);
    EXPECT_EQ(d->LoadFromDataSet(src.get(), 0, lmAppend, true), 5);
    EXPECT_TRUE(d->HasCachedChanges());
    EXPECT_EQ(d->UpdateStatus(), usInserted);

    // A table sharing the store is refused like the table itself.
    auto shared = MakeTable({"X:i"});
    shared->Close();
    shared->SetExternalMemData(src.get());
    shared->Open();
    EXPECT_EQ(shared->LoadFromDataSet(src.get(), 0, lmAppend, false), 0);
    EXPECT_EQ(src->LoadFromMemTableEh(shared.get(), 0, lmCopy, {}), 0);
    EXPECT_EQ(src->RecordCount(), 5);
    EXPECT_EQ(src->FieldCount(), 3);
}

TEST(MemTableCopy, LoadFromMemTableAndSaveToDataSet) {
    auto src = Numbers(6);
    src->SetFilter("N > 3");
    src->SetFiltered(true);
    auto t = Numbers(0);
    EXPECT_EQ(t->LoadFromMemTableEh(src.get(), 0, lmCopy, {}), 3);
    EXPECT_EQ(Column(t.get(), "N"), Ints({4, 5, 6}));
    EXPECT_EQ(t->LoadFromMemTableEh(src.get(), 0, lmCopy, {tloDisregardFilterEh}), 6);
    EXPECT_EQ(t->RecordCount(), 6);
    EXPECT_EQ(t->LoadFromMemTableEh(t.get(), 0, lmCopy, {}), 0);

    auto dest = Numbers(1);
    src->SetFiltered(false);
    EXPECT_EQ(src->SaveToDataSet(dest.get(), 0), 6);
    EXPECT_EQ(Column(dest.get(), "N"), Ints({1, 1, 2, 3, 4, 5, 6}));
}

TEST(MemTableCopy, SharedStoreSeparateViews) {
    auto a = Numbers(3);
    auto b = MakeTable({"X:i"});
    b->Close();
    b->SetExternalMemData(a.get());
    b->Open();
    b->SetSortOrder("N DESC");
    EXPECT_EQ(Column(b.get(), "N"), Ints({3, 2, 1}));
    AppendRow(a.get(), {Variant(), 9, "n"});
    EXPECT_EQ(Column(b.get(), "N"), Ints({9, 3, 2, 1}));
    EXPECT_EQ(Column(a.get(), "N"), Ints({1, 2, 3, 9}));
    try {
        b->SetExternalMemData(b.get());
        FAIL();
    } catch (EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Circular datalinks are not allowed");
    }
    // The shared store's owner goes away: the table returns to its own store.
    a.reset();
    EXPECT_EQ(b->ExternalMemData(), nullptr);
    EXPECT_EQ(b->MemTableData()->RecordsList()->Count(), 0);
}

TEST(MemTableCachedUpdates, CancelRevertMergeAndStatus) {
    auto t = Numbers(3);
    t->SetCachedUpdates(true);
    t->SetRecNo(2);
    t->Edit();
    t->FieldByName("N")->SetAsInteger(20);
    t->Post();
    EXPECT_EQ(t->UpdateStatus(), usModified);
    t->SetRecNo(3);
    t->Delete();
    AppendRow(t.get(), {Variant(), 4, "new"});
    EXPECT_EQ(Column(t.get(), "N"), Ints({1, 20, 4}));
    t->CancelUpdates();
    EXPECT_EQ(Column(t.get(), "N"), Ints({1, 2, 3}));
    EXPECT_FALSE(t->HasCachedChanges());

    t->SetRecNo(1);
    t->Edit();
    t->FieldByName("N")->SetAsInteger(10);
    t->Post();
    t->RevertRecord();
    EXPECT_EQ(t->FieldByName("N")->AsInteger(), 1);
    t->Edit();
    t->FieldByName("N")->SetAsInteger(11);
    t->Post();
    EXPECT_EQ(t->ApplyUpdates(-1), 0);
    EXPECT_FALSE(t->HasCachedChanges());
    EXPECT_EQ(t->UpdateStatus(), usUnmodified);
    EXPECT_EQ(t->FetchRecords(-1), 0);

    auto e = Numbers(0);
    EXPECT_THROW(e->RevertRecord(), Exception);
}

TEST(MemTableMove, MoveRecordsKeepsOrderAndBookmarks) {
    auto t = Numbers(8);
    std::vector<TBookmark> bms{t->RecNoToBookmark(2), t->RecNoToBookmark(3)};
    t->SetRecNo(1);
    EXPECT_TRUE(t->MoveRecords(bms, 6, 0, false));
    EXPECT_EQ(Column(t.get(), "N"), Ints({1, 4, 5, 6, 2, 3, 7, 8}));
    EXPECT_EQ(t->BookmarkToRecNo(bms[0]), 5);
    EXPECT_EQ(t->BookmarkToRecNo(bms[1]), 6);

    // Moving up puts the record before the target row; the cursor follows its record.
    t->SetRecNo(7);
    EXPECT_TRUE(t->MoveRecord(6, 0, 0, false));
    EXPECT_EQ(Column(t.get(), "N"), Ints({7, 1, 4, 5, 6, 2, 3, 8}));
    // Only existing rows move; a target past the end means the last row.
    EXPECT_FALSE(t->MoveRecord(8, 0, 0, false));
    EXPECT_TRUE(t->MoveRecord(0, 100, 0, false));
    EXPECT_EQ(Column(t.get(), "N"), Ints({1, 4, 5, 6, 2, 3, 8, 7}));
}

// The grid's selected-rows list: the records land together before the target row, and the list
// then designates their new rows in table order. A check alone changes neither.
TEST(MemTableMove, MoveRecordsOfABookmarkList) {
    auto t = Numbers(8);
    TBMListEh list;
    list.AppendItem(t->RecNoToBookmark(1));
    list.AppendItem(t->RecNoToBookmark(7));
    IMemTableEh* intf = t.get();

    EXPECT_TRUE(intf->MoveRecords(&list, 4, 0, true));
    EXPECT_EQ(Column(t.get(), "N"), Ints({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(t->BookmarkToRecNo(list.Items(1)), 7);

    EXPECT_TRUE(intf->MoveRecords(&list, 4, 0, false));
    EXPECT_EQ(Column(t.get(), "N"), Ints({2, 3, 1, 7, 4, 5, 6, 8}));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(t->BookmarkToRecNo(list.Items(0)), 3);
    EXPECT_EQ(t->BookmarkToRecNo(list.Items(1)), 4);

    EXPECT_FALSE(intf->MoveRecords(nullptr, 1, 0, false));
}

// The table as a component stream (a stored form carries it): properties and its own store.
TEST(MemTableFiles, ComponentStreamCarriesPropertiesAndStore) {
    auto t = Numbers(3);
    t->SetName("ControlEventsMemTableEh");
    t->SetSortOrder("N DESC");
    t->TreeList()->SetKeyFieldName("N");
    TMemoryStream s;
    WriteComponent(&s, t.get());
    TMemoryStream text;
    s.SetPosition(0);
    ObjectBinaryToText(&s, &text);
    const QByteArray form(static_cast<const char*>(text.Memory()), int(text.Size()));
    EXPECT_TRUE(form.contains("SortOrder = 'N DESC'")) << form.toStdString();
    EXPECT_TRUE(form.contains("object MemTableData: TMemTableDataEh")) << form.toStdString();

    CompPtr<TMemTableEh> u(Create<TMemTableEh>(nullptr));
    s.SetPosition(0);
    ReadComponent(&s, u.get());
    EXPECT_TRUE(u->Active());
    EXPECT_EQ(u->TreeList()->KeyFieldName(), "N");
    EXPECT_EQ(Column(u.get(), "N"), Ints({3, 2, 1}));
    int stores = 0; // the stored store was read into the table's own
    for (int i = 0; i < u->ComponentCount(); ++i)
        stores += u->Components(i)->InheritsFrom<TMemTableDataEh>() ? 1 : 0;
    EXPECT_EQ(stores, 1);
}

TEST(MemTableStructure, OpenCloseAndDestroy) {
    CompPtr<TMemTableEh> empty(Create<TMemTableEh>(nullptr));
    empty->SetName("T");
    try {
        empty->Open();
        FAIL();
    } catch (EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "T: MemTable doesn't have data.");
    }
    EXPECT_FALSE(empty->Active());

    auto t = Numbers(2);
    t->Close();
    EXPECT_EQ(t->FieldCount(), 0); // default fields go with the cursor
    t->Open();
    EXPECT_EQ(Column(t.get(), "N"), Ints({1, 2}));
    t->DestroyTable();
    EXPECT_FALSE(t->Active());
    EXPECT_EQ(t->MemTableData()->DataStruct()->Count(), 0);
    EXPECT_THROW(t->Open(), EDatabaseError);

    // A structure without records opens on an empty view.
    auto s = Numbers(0);
    s->Close();
    s->Open();
    EXPECT_TRUE(s->IsEmpty());
    EXPECT_EQ(s->RecNo(), -1);
}
