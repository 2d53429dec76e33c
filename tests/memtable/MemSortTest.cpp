// Sorting a whole view and building an index over existing records: both sort once over keys
// read up front, so they are checked against the record comparison itself.
#include "memtable/StoreFixture.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

std::unique_ptr<TMemTableDataEh> MixedStore(int n) {
    auto md = MakeStore({{"Name", ftWideString},
                         {"Price", ftFloat},
                         {"Qty", ftInteger},
                         {"Plain", ftInteger},
                         {"PlainF", ftFloat}});
    std::mt19937 rng(42);
    const char* names[] = {"b", "A", "a", "ab", "B", "", "z"};
    for (int i = 0; i < n; ++i) {
        // Few distinct values, so that ties are common; some Nulls in every column.
        const Variant name = i % 11 == 0 ? Null() : Variant(String::fromLatin1(names[rng() % 7]));
        const Variant price = i % 13 == 0 ? Null() : Variant(double(rng() % 5) / 2);
        const Variant qty = i % 7 == 0 ? Null() : Variant(int(rng() % 4));
        // Columns without Nulls take the plain-number path of an index build.
        AddRec(md.get(), {name, price, qty, int(rng() % 50) - 25, double(rng() % 40) / 4});
    }
    return md;
}

TEST(MemSort, ViewSortAgreesWithTheRecordComparison) {
    SetFormatSettings(TFormatSettings::Invariant());
    auto md = MixedStore(500);
    for (const char* order : {"Name; Price", "Price DESC, Name", "Qty DESC; Name DESC; Price"}) {
        TRecordsViewEh view;
        view.SetMemTableData(md.get());
        view.SetSortOrder(QString::fromLatin1(order));
        std::vector<TMemoryRecordEh*> expected(md->RecordsList()->RecList().begin(),
                                               md->RecordsList()->RecList().end());
        TRecordsViewEh reference;
        reference.SetMemTableData(md.get());
        reference.SetSortOrder(QString::fromLatin1(order));
        // Records with equal keys stay in their store order.
        std::stable_sort(expected.begin(), expected.end(), [&](TMemoryRecordEh* a, TMemoryRecordEh* b) {
            return TRecordsViewEh::CompareRecordsByOrderBy(a, b, reference.OrderByList()) < 0;
        });
        ASSERT_EQ(view.Count(), int(expected.size()));
        for (int i = 0; i < view.Count(); ++i)
            ASSERT_EQ(view.Rec(i), expected[size_t(i)]) << order << " row " << i;
    }
}

// Texts longer than the sort key with shared beginnings, case pairs, single-byte and wide
// columns, and a non-ASCII text that takes a column off the keys.
TEST(MemSort, ViewSortOfTextsAgreesWithTheRecordComparison) {
    const std::vector<std::vector<const char*>> nameSets = {
        {"abcdefgh", "abcdefghij", "abcdefghiJ", "ABCDEFGHI", "abcdefg", "abcdefgh ", "b", "", "a-b"},
        {"abcdefgh", "abcdefghij", "\xc3\xa9t\xc3\xa9", "ABCDEFGHI", "b", ""}};
    for (TFieldType type : {ftWideString, ftString})
        for (const auto& names : nameSets) {
            auto md = MakeStore({{"Name", type}, {"Qty", ftInteger}});
            std::mt19937 rng(7);
            for (int i = 0; i < 400; ++i)
                AddRec(md.get(), {i % 17 == 0 ? Null() : Variant(String::fromUtf8(names[rng() % names.size()])),
                                  i % 5 == 0 ? Null() : Variant(int(rng() % 3) - 1)});
            for (const char* order : {"Name; Qty", "Name DESC; Qty DESC", "Qty; Name DESC"}) {
                for (bool caseIns : {false, true}) {
                    TRecordsViewEh view;
                    view.SetMemTableData(md.get());
                    view.SetSortOrderCaseInsensitive(caseIns);
                    view.SetSortOrder(QString::fromLatin1(order));
                    std::vector<TMemoryRecordEh*> expected(md->RecordsList()->RecList().begin(),
                                                           md->RecordsList()->RecList().end());
                    std::stable_sort(expected.begin(), expected.end(), [&](TMemoryRecordEh* a, TMemoryRecordEh* b) {
                        return TRecordsViewEh::CompareRecordsByOrderBy(a, b, view.OrderByList()) < 0;
                    });
                    ASSERT_EQ(view.Count(), int(expected.size()));
                    for (int i = 0; i < view.Count(); ++i)
                        ASSERT_EQ(view.Rec(i), expected[size_t(i)])
                            << order << (caseIns ? " (case-insensitive)" : "") << " row " << i;
                }
            }
        }
}

// An active index on one field of the store's records.
TMTIndexEh* AddIndex(TRecordsListEh* rl, const char* field, bool unique) {
    TMTIndexEh* ix = rl->Indexes()->Add();
    ix->SetFields(QString::fromLatin1(field));
    ix->SetUnical(unique);
    ix->SetActive(true);
    return ix;
}

// Records appended to a store with active indexes: the entries of appended records are merged
// in when the index is read, also between appends, and a unique index refuses a key that is
// still waiting to be merged.
TEST(MemSort, IndexKeptInStepWithAppendedRecords) {
    auto md = MakeStore({{"Key", ftInteger}, {"Group", ftInteger}});
    TRecordsListEh* rl = md->RecordsList();
    TMTIndexEh* unique = AddIndex(rl, "Key", true);
    TMTIndexEh* groups = AddIndex(rl, "Group", false);
    std::vector<int> keys(300);
    for (int i = 0; i < int(keys.size()); ++i)
        keys[size_t(i)] = i * 3;
    std::shuffle(keys.begin(), keys.end(), std::mt19937(5));
    auto checkOrder = [&](TMTIndexEh* idx) {
        ASSERT_EQ(idx->Count(), rl->Count());
        for (int i = 1; i < idx->Count(); ++i) {
            const TIndexItemEh* prev = idx->GetItems(i - 1);
            const TIndexItemEh* cur = idx->GetItems(i);
            const TVariantRelationship r = VariantsRelation(prev->Value, cur->Value);
            ASSERT_TRUE(r == vrLessThan || (r == vrEqual && prev->RecIndex < cur->RecIndex)) << "entry " << i;
        }
    };
    for (size_t i = 0; i < keys.size(); ++i) {
        AddRec(md.get(), {keys[i], keys[i] % 7});
        if (i % 37 == 0) checkOrder(groups);
        if (i > 0 && i % 10 == 0) {
            // A key appended earlier, merged or not.
            TMemoryRecordEh* dup = rl->NewRecord();
            dup->SetDataValue(0, dvvValueEh, keys[i / 2]);
            EXPECT_THROW(rl->AddRecord(dup), Exception) << keys[i / 2];
            dup->Free();
        }
    }
    // An inserted record renumbers the entries after it.
    TMemoryRecordEh* r = rl->NewRecord();
    r->SetDataValue(0, dvvValueEh, 1);
    r->SetDataValue(1, dvvValueEh, 1);
    rl->InsertRecord(5, r);
    for (TMTIndexEh* idx : {unique, groups}) {
        checkOrder(idx);
        for (int i = 0; i < rl->Count(); ++i) {
            std::vector<TMemoryRecordEh*> recs;
            idx->FillMatchedRecsList(rl->Rec(i)->GetDataValue(idx == unique ? 0 : 1, dvvValueEh), recs);
            ASSERT_NE(std::find(recs.begin(), recs.end(), rl->Rec(i)), recs.end()) << "record " << i;
        }
    }
}

// Integer keys looked up only by key (never read as entries) between appends, in both kinds of
// index, then after a key of another kind and a changed key: every answer agrees with a scan.
TEST(MemSort, IntegerKeyLookupsAgreeWithAScanAcrossAppendsAndChanges) {
    auto md = MakeStore({{"Key", ftInteger}, {"Group", ftInteger}});
    TRecordsListEh* rl = md->RecordsList();
    TMTIndexEh* unique = AddIndex(rl, "Key", true);
    TMTIndexEh* groups = AddIndex(rl, "Group", false);
    auto check = [&](const char* stage) {
        for (int key = -3; key < 40; ++key) {
            std::vector<TMemoryRecordEh*> expected;
            for (TMemoryRecordEh* r : rl->RecList())
                if (VariantsRelation(r->GetDataValue(1, dvvValueEh), Variant(key)) == vrEqual)
                    expected.push_back(r);
            std::vector<TMemoryRecordEh*> found;
            groups->FillMatchedRecsList(Variant(key), found);
            std::sort(found.begin(), found.end());
            std::sort(expected.begin(), expected.end());
            ASSERT_EQ(found, expected) << stage << " group " << key;
        }
        for (int i = 0; i < rl->Count(); ++i) {
            const Variant key = rl->Rec(i)->GetDataValue(0, dvvValueEh);
            int recIndex = -1;
            ASSERT_TRUE(unique->FindRecordIndexByKey(key, recIndex)) << stage << " record " << i;
            ASSERT_EQ(recIndex, i) << stage;
        }
        int recIndex = -1;
        EXPECT_FALSE(unique->FindRecordIndexByKey(Variant(-1), recIndex)) << stage;
        EXPECT_FALSE(unique->FindRecordIndexByKey(Variant(100000), recIndex)) << stage;
    };
    std::vector<int> keys(400);
    for (int i = 0; i < int(keys.size()); ++i)
        keys[size_t(i)] = i * 2;
    std::shuffle(keys.begin() + 50, keys.end(), std::mt19937(9)); // ascending first, then not
    for (size_t i = 0; i < keys.size(); ++i) {
        AddRec(md.get(), {keys[i], keys[i] % 37});
        if (i % 97 == 0) check("appending");
    }
    check("appended");
    // A key of another kind, and a changed key, make the entries again.
    AddRec(md.get(), {1001, Null()});
    check("Null key");
    TMemoryRecordEh* r = rl->Rec(3);
    EditRec(r, 0, 1003);
    EditRec(r, 1, 5);
    check("changed");
}

TEST(MemSort, IndexOverExistingRecordsOrdersDuplicatesByRecord) {
    auto md = MixedStore(300);
    TRecordsListEh* rl = md->RecordsList();
    for (const char* fields : {"Qty", "Price", "Name;Qty", "Plain", "PlainF"}) {
        TMTIndexEh* idx = rl->Indexes()->Add();
        idx->SetFields(QString::fromLatin1(fields));
        idx->SetActive(true);
        ASSERT_EQ(idx->Count(), rl->Count()) << fields;
        for (int i = 1; i < idx->Count(); ++i) {
            const TIndexItemEh* prev = idx->GetItems(i - 1);
            const TIndexItemEh* cur = idx->GetItems(i);
            const TVariantRelationship r = VariantsRelation(prev->Value, cur->Value);
            ASSERT_TRUE(r == vrLessThan || (r == vrEqual && prev->RecIndex < cur->RecIndex))
                << fields << " entry " << i;
        }
        // Every record is found under its own key.
        for (int i = 0; i < rl->Count(); i += 17) {
            std::vector<TMemoryRecordEh*> recs;
            const Variant key = rl->Rec(i)->GetDataValues(QString::fromLatin1(fields), dvvValueEh);
            idx->FillMatchedRecsList(key, recs);
            EXPECT_NE(std::find(recs.begin(), recs.end(), rl->Rec(i)), recs.end())
                << fields << " record " << i;
        }
    }
}

// An index that is not active still answers from the current records, and a wrong field list
// is reported when it is set.
TEST(MemSort, InactiveIndexAnswersAndReportsWrongFields) {
    auto md = MixedStore(50);
    TRecordsListEh* rl = md->RecordsList();
    TMTIndexEh* idx = rl->Indexes()->Add();
    EXPECT_THROW(idx->SetFields(QStringLiteral("Nope")), Exception);
    idx->SetFields(QStringLiteral("Plain"));
    idx->SetUnical(true); // options of an inactive index do not check the keys
    ASSERT_FALSE(idx->Active());
    ASSERT_EQ(idx->Count(), rl->Count());
    int recIndex = -1;
    const Variant key = rl->Rec(7)->GetDataValue(3, dvvValueEh);
    ASSERT_TRUE(idx->FindRecordIndexByKey(key, recIndex));
    EXPECT_EQ(rl->Rec(recIndex)->GetDataValue(3, dvvValueEh).AsInteger(), key.AsInteger());
    idx->ClearIndex();
    EXPECT_EQ(idx->Count(), 0);
}

} // namespace
