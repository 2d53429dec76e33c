#include "lib/toolscore/ToolCtrlsEhData.h"
#include "lib/toolscore/ToolCtrlsEhDataLink.h"

#include "db/TestDataSet.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cstring>

namespace {

template <class F> String ErrorOf(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

// ---------------------------------------------------------------------------------------------
// Variant equality and ordering

TEST(VariantHelpers, EqualityOverScalarsArraysAndNull) {
    struct Case {
        const char* name;
        Variant a, b;
        bool equal;
    };
    const Case cases[] = {
        {"null-null", Null(), Null(), true},
        {"null-zero", Null(), 0, false},
        {"empty-null", Unassigned(), Null(), false},
        {"empty-empty", Unassigned(), Unassigned(), true},
        {"int-float", 2, 2.0, true},
        {"text", String("ab"), String("ab"), true},
        {"text differs", String("ab"), String("aB"), false},
        {"array-scalar", VarArrayOf({1}), 1, false},
        {"arrays equal", VarArrayOf({1, String("x"), Null()}), VarArrayOf({1, String("x"), Null()}), true},
        {"arrays differ", VarArrayOf({1, 2}), VarArrayOf({1, 3}), false},
        {"arrays of other length", VarArrayOf({1, 2}), VarArrayOf({1, 2, 3}), false},
        // An unconvertible comparison is an answer of "not equal", never an exception.
        {"text-number", String("abc"), 5, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VariantsEqual(c.a, c.b), c.equal) << c.name;
}

TEST(VariantHelpers, RelationPutsNullFirstAndComparesArraysElementwise) {
    struct Case {
        const char* name;
        Variant a, b;
        TVariantRelationship rel;
    };
    const Case cases[] = {
        {"null first", Null(), 1, vrLessThan},
        {"null last", 1, Null(), vrGreaterThan},
        {"nulls", Null(), Null(), vrEqual},
        {"numbers", 3, 2.5, vrGreaterThan},
        {"texts", String("a"), String("b"), vrLessThan},
        {"second element decides", VarArrayOf({1, String("b")}), VarArrayOf({1, String("a")}), vrGreaterThan},
        {"null element first", VarArrayOf({1, Null()}), VarArrayOf({1, 0}), vrLessThan},
        {"equal arrays", VarArrayOf({1, 2}), VarArrayOf({1, 2}), vrEqual},
        {"array vs scalar", VarArrayOf({1}), 1, vrNotEqual},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VariantsRelation(c.a, c.b), c.rel) << c.name;
    // Unlike the equality test, an impossible comparison is reported to the caller.
    EXPECT_THROW(VariantsRelation(String("abc"), 5), Exception);
}

TEST(VariantHelpers, DisplayTextByFieldType) {
    SetFormatSettings(TFormatSettings::Invariant());
    TComponent owner(nullptr);
    auto* intField = new TIntegerField(&owner);
    auto* fmtField = new TIntegerField(&owner);
    fmtField->SetDisplayFormat(QStringLiteral("0000"));
    auto* floatField = new TFloatField(&owner);
    auto* dateField = new TDateField(&owner);
    auto* dateTimeField = new TDateTimeField(&owner);
    const double day = 45000.5; // 2023-03-15 12:00
    struct Case {
        const char* name;
        Variant value;
        TField* field;
        const char* format;
        const char* text;
    };
    const Case cases[] = {
        {"integer plain", 42, intField, "", "42"},
        {"integer given format", 42, intField, "#,##0.0", "42.0"},
        {"integer field format", 42, fmtField, "", "0042"},
        {"given format wins", 42, fmtField, "0", "42"},
        {"float general", 2.5, floatField, "", "2.5"},
        {"float format", 2.5, floatField, "0.00", "2.50"},
        {"date short", day, dateField, "", "03/15/2023"},
        {"date format", day, dateField, "yyyy-mm-dd", "2023-03-15"},
        {"date time", day, dateTimeField, "", "03/15/2023 12:00:00"},
        {"null", Null(), intField, "", ""},
    };
    for (const Case& c : cases) {
        const Variant v = c.field == dateField || c.field == dateTimeField
                              ? (c.value.IsNull() ? c.value : Variant(TDateTime(c.value.AsExtended())))
                              : c.value;
        EXPECT_EQ(FieldValueDisplayText(v, c.field, QString::fromUtf8(c.format)), QString::fromUtf8(c.text))
            << c.name;
    }
}

// ---------------------------------------------------------------------------------------------
// Sort-order texts

class NamedOrderByList : public TOrderByList {
public:
    int ResolveFieldIndex(const String& FieldName) override {
        const QStringList names{QStringLiteral("ID"), QStringLiteral("Name"), QStringLiteral("Unit Price")};
        return int(names.indexOf(FieldName));
    }
};

TEST(OrderByList, TokensSkipBlanksAndReadBracketedNames) {
    const String text = QStringLiteral("  a ,[b c];d");
    int pos = 1;
    QStringList tokens;
    for (String t = TOrderByList::GetToken(text, pos); !t.isEmpty(); t = TOrderByList::GetToken(text, pos))
        tokens << t;
    EXPECT_EQ(tokens, (QStringList{"a", ",", "b c", ";", "d"}));
    int openPos = 1;
    EXPECT_EQ(TOrderByList::GetToken(QStringLiteral("[open name"), openPos), "open name");
}

TEST(OrderByList, ParsesDirectionsAndSeparators) {
    struct Case {
        const char* text;
        std::vector<std::pair<int, bool>> items; // field index, descending
    };
    const Case cases[] = {
        {"Name DESC, ID", {{1, true}, {0, false}}},
        {"Name desc asc", {{1, true}}},
        {"[Unit Price];ID ASC", {{2, false}, {0, false}}},
        {"ID,", {{0, false}}},
        {"  ", {}},
    };
    for (const Case& c : cases) {
        NamedOrderByList list;
        list.ParseOrderByStr(QString::fromUtf8(c.text));
        ASSERT_EQ(list.Count(), int(c.items.size())) << c.text;
        for (int i = 0; i < list.Count(); ++i) {
            EXPECT_EQ(list.Items(i)->FieldIndex, c.items[size_t(i)].first) << c.text;
            EXPECT_EQ(list.Items(i)->MTFieldIndex, c.items[size_t(i)].first) << c.text;
            EXPECT_EQ(list.Items(i)->Desc, c.items[size_t(i)].second) << c.text;
            EXPECT_FALSE(list.Items(i)->CaseIns);
        }
    }
}

TEST(OrderByList, ErrorsKeepThePreviousItems) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"ID,,Name", " Field - \",\" not found."},
        {"Name DESC extra", " Invalid token - \"extra\""},
        {"Price", " Field - \"Price\" not found."},
    };
    for (const Case& c : cases) {
        NamedOrderByList list;
        list.ParseOrderByStr(QStringLiteral("Name DESC"));
        EXPECT_EQ(ErrorOf([&] { list.ParseOrderByStr(QString::fromUtf8(c.text)); }),
                  QString::fromUtf8(c.error))
            << c.text;
        ASSERT_EQ(list.Count(), 1) << c.text;
        EXPECT_TRUE(list.Items(0)->Desc);
    }
    // The base class resolves no names.
    TOrderByList base;
    EXPECT_EQ(ErrorOf([&] { base.ParseOrderByStr(QStringLiteral("ID")); }), " Field - \"ID\" not found.");
}

// ---------------------------------------------------------------------------------------------
// Bookmark list over a small data set

// Bookmarks hold the record id; records are kept in id order, so comparing ids is record order.
class OrderedDataSet : public TTestDataSet {
public:
    using TTestDataSet::TTestDataSet;
    int CompareBookmarks(const TBookmark& B1, const TBookmark& B2) override {
        const int a = IdOf(B1), b = IdOf(B2);
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    static int IdOf(const TBookmark& B) {
        int id = 0;
        if (B.size() >= 4) std::memcpy(&id, B.data(), 4);
        return id;
    }
    static TBookmark Bm(int id) {
        TBookmark b(4);
        std::memcpy(b.data(), &id, 4);
        return b;
    }
};

class CountingBMList : public TBMListEh {
public:
    explicit CountingBMList(TDataSet* ds) : FDataSet(ds) {}
    int ownerStateCalls = 0, listChangedCalls = 0, compares = 0;
    std::vector<int> Ids() const {
        std::vector<int> ids;
        for (const TBookmark& b : FList)
            ids.push_back(OrderedDataSet::IdOf(b));
        return ids;
    }

protected:
    TDataSet* ReadDataSet() override { return FDataSet; }
    void UpdateOwnerState() override { ++ownerStateCalls; }
    void NotifyListChanged() override { ++listChangedCalls; }

private:
    TDataSet* FDataSet;
};

class BMListTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFormatSettings(TFormatSettings::Invariant());
        ds = new OrderedDataSet(&owner);
        ds->SetName(QStringLiteral("T1"));
        ds->FieldDefs()->Add(QStringLiteral("ID"), ftInteger);
        ds->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        for (int i = 1; i <= 6; ++i)
            ds->AddRecord({i, QStringLiteral("N%1").arg(i % 3)});
    }
    int Id() { return ds->FieldByName(QStringLiteral("ID"))->AsInteger(); }
    void GoTo(int id) { ds->GotoBookmark(OrderedDataSet::Bm(id)); }

    TComponent owner{nullptr};
    OrderedDataSet* ds = nullptr;
};

TEST_F(BMListTest, FindInsertDeleteAndTheCache) {
    CountingBMList list(ds);
    int index = -1;
    EXPECT_FALSE(list.Find(OrderedDataSet::Bm(3), index));
    EXPECT_EQ(index, 0);

    for (int id : {2, 4, 6})
        list.AppendItem(OrderedDataSet::Bm(id));
    struct Case {
        int id;
        bool found;
        int index;
    };
    for (const Case& c :
         {Case{1, false, 0}, Case{2, true, 0}, Case{5, false, 2}, Case{6, true, 2}, Case{7, false, 3}}) {
        EXPECT_EQ(list.Find(OrderedDataSet::Bm(c.id), index), c.found) << c.id;
        EXPECT_EQ(index, c.index) << c.id;
    }
    EXPECT_EQ(list.IndexOf(OrderedDataSet::Bm(4)), 1);
    EXPECT_EQ(list.IndexOf(OrderedDataSet::Bm(3)), -1);

    // Every change empties the cache: a cached "not found" does not survive the insertion.
    EXPECT_FALSE(list.Find(OrderedDataSet::Bm(3), index));
    list.InsertItem(index, OrderedDataSet::Bm(3));
    EXPECT_TRUE(list.Find(OrderedDataSet::Bm(3), index));
    EXPECT_EQ(list.Ids(), (std::vector<int>{2, 3, 4, 6}));
    list.DeleteItem(1);
    EXPECT_FALSE(list.Find(OrderedDataSet::Bm(3), index));
    list.SetItem(0, OrderedDataSet::Bm(3));
    EXPECT_TRUE(list.Find(OrderedDataSet::Bm(3), index));

    // Count is a valid insertion point, Count + 1 is not; deletion needs an existing entry.
    EXPECT_EQ(ErrorOf([&] { list.InsertItem(4, {}); }), "List index out of bounds (4)");
    EXPECT_EQ(ErrorOf([&] { list.DeleteItem(3); }), "List index out of bounds (3)");
    EXPECT_EQ(ErrorOf([&] { list.DeleteItem(-1); }), "List index out of bounds (-1)");
    EXPECT_THROW(list.GetItem(3), EListError);
    EXPECT_EQ(list.Count(), 3);
    list.InsertItem(3, OrderedDataSet::Bm(9));
    EXPECT_EQ(list.Ids(), (std::vector<int>{3, 4, 6, 9}));
}

TEST_F(BMListTest, ClearNotifiesOnlyWhenSomethingWasListed) {
    CountingBMList list(ds);
    list.Clear();
    EXPECT_EQ(list.ownerStateCalls, 0);
    EXPECT_EQ(list.listChangedCalls, 0);

    list.AppendItem(OrderedDataSet::Bm(2));
    int index = -1;
    ASSERT_TRUE(list.Find(OrderedDataSet::Bm(2), index));
    list.Clear();
    EXPECT_EQ(list.ownerStateCalls, 1);
    EXPECT_EQ(list.listChangedCalls, 1);
    EXPECT_FALSE(list.Find(OrderedDataSet::Bm(2), index));
    EXPECT_EQ(index, 0);
}

TEST_F(BMListTest, CurrentRowNeedsAnActiveLink) {
    CountingBMList list(ds);
    ds->Open();
    EXPECT_EQ(ErrorOf([&] { list.CurrentRowSelected(); }),
              "Cannot perform this operation on a closed dataset");
    list.ResetForLink(true);
    GoTo(4);
    EXPECT_FALSE(list.CurrentRowSelected());
    list.SetCurrentRowSelected(true);
    list.SetCurrentRowSelected(true); // already selected: no second entry
    GoTo(2);
    list.SetCurrentRowSelected(true);
    EXPECT_EQ(list.Ids(), (std::vector<int>{2, 4}));
    GoTo(4);
    EXPECT_TRUE(list.CurrentRowSelected());
    list.SetCurrentRowSelected(false);
    EXPECT_EQ(list.Ids(), (std::vector<int>{2}));

    // The owner's link going inactive empties the list.
    list.ResetForLink(false);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.LinkActive());
}

TEST_F(BMListTest, SelectAllDeleteAndRefreshWalkTheDataSet) {
    CountingBMList list(ds);
    list.SelectAll(); // link inactive: nothing
    EXPECT_EQ(list.Count(), 0);

    ds->Open();
    list.ResetForLink(true);
    GoTo(3);
    list.SelectAll();
    EXPECT_EQ(list.Ids(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Id(), 3);
    EXPECT_FALSE(ds->ControlsDisabled());

    for (int i = 5; i >= 0; --i)
        if (i % 2 == 0) list.DeleteItem(i); // keep 2, 4, 6
    list.Delete();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_FALSE(ds->ControlsDisabled());

    // Records 2 and 4 are gone: Refresh drops their bookmarks and keeps the others.
    for (int id : {1, 2, 3, 4, 5})
        list.AppendItem(OrderedDataSet::Bm(id));
    const int notified = list.listChangedCalls;
    EXPECT_TRUE(list.Refresh());
    EXPECT_EQ(list.Ids(), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(list.listChangedCalls, notified + 1);
    EXPECT_FALSE(list.Refresh());
    EXPECT_EQ(list.listChangedCalls, notified + 1);
}

TEST_F(BMListTest, CustomSortOrdersByTheComparison) {
    CountingBMList list(ds);
    const std::vector<int> ids{5, 1, 4, 4, 9, 2, 7, 3, 8, 6, 0};
    for (int id : ids)
        list.AppendItem(OrderedDataSet::Bm(id));
    auto byId = [](TBMListEh* l, TDataSet* d, int i1, int i2) {
        return l->CompareTwoBookmarks(l->GetItem(i1), l->GetItem(i2)) + 0 * (d != nullptr);
    };
    list.CustomSort(ds, byId);
    EXPECT_EQ(list.Ids(), (std::vector<int>{0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 9}));

    auto descending = [&](TBMListEh* l, TDataSet*, int i1, int i2) { return -byId(l, nullptr, i1, i2); };
    list.CustomSort(ds, descending);
    EXPECT_EQ(list.Ids(), (std::vector<int>{9, 8, 7, 6, 5, 4, 4, 3, 2, 1, 0}));

    // A comparison that is no order at all must not run off the list.
    list.CustomSort(ds, [](TBMListEh*, TDataSet*, int, int) { return -1; });
    EXPECT_EQ(list.Count(), int(ids.size()));
}

// ---------------------------------------------------------------------------------------------
// Field value list and the field routines

TEST_F(BMListTest, FieldValueListFollowsTheDataSet) {
    auto values = std::make_shared<TDatasetFieldValueListEh>();
    values->SetDataSet(ds);
    values->SetFieldName(QStringLiteral("Name"));
    EXPECT_EQ(values->GetValues()->Count(), 0); // closed: empty, still to be built
    EXPECT_TRUE(values->DataObsoleted());

    ds->Open();
    GoTo(5);
    EXPECT_EQ(values->GetValues()->Text(), "N0\r\nN1\r\nN2\r\n");
    EXPECT_FALSE(values->DataObsoleted());
    EXPECT_EQ(Id(), 5);

    // A changed record makes the list obsolete through the data link.
    ds->Edit();
    ds->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("M"));
    ds->Post();
    EXPECT_TRUE(values->DataObsoleted());
    EXPECT_EQ(values->GetValues()->Text(), "M\r\nN0\r\nN1\r\nN2\r\n");

    values->SetFieldName(QStringLiteral("Missing"));
    EXPECT_EQ(values->GetValues()->Count(), 0);

    // The interface is what other units hold.
    std::shared_ptr<IMemTableDataFieldValueListEh> intf = values;
    values->SetFieldName(QStringLiteral("ID"));
    EXPECT_EQ(intf->GetValues()->Count(), 6);
}

TEST_F(BMListTest, FieldRoutines) {
    ds->Open();
    TFieldsArrEh fields;
    FieldsArrayFromNames(ds, ds, QStringLiteral("Name; ID"), fields);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0]->FieldName(), "Name");
    EXPECT_EQ(fields[1]->FieldName(), "ID");
    EXPECT_EQ(ErrorOf([&] { FieldsArrayFromNames(ds, ds, QStringLiteral("ID;Nope"), fields); }),
              "T1: Field 'Nope' not found");
    EXPECT_EQ(fields.size(), 2u);

    ds->Edit();
    SetFieldValuesFromVariant(ds, QStringLiteral("ID;Name"), VarArrayOf({7, String("x")}));
    EXPECT_EQ(Id(), 7);
    EXPECT_EQ(ds->FieldByName(QStringLiteral("Name"))->AsString(), "x");
    SetFieldValuesFromVariant(ds, QStringLiteral("ID;Name"), Null());
    EXPECT_TRUE(ds->FieldByName(QStringLiteral("ID"))->IsNull());
    EXPECT_TRUE(ds->FieldByName(QStringLiteral("Name"))->IsNull());
    ds->Cancel();
}

} // namespace
