// The sum list over a memory table: values after a full recalculation, after inserts, edits,
// deletes and filter changes, and the chaining of the table's own event handlers.

#include "lib/dbgrid/DBSumLst.h"

#include "memtable/MemTableFixture.h"

#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

// Table: Grp (text), Amount (float), Qty (integer), and the calculated Twice = 2 * Amount.
class SumListTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFormatSettings(TFormatSettings::Invariant());
        T = Create<TMemTableEh>(Owner.get());
        T->FieldDefs()->Add(u"Grp"_qs, ftString, 20);
        T->FieldDefs()->Add(u"Amount"_qs, ftFloat);
        T->FieldDefs()->Add(u"Qty"_qs, ftInteger);
        for (int i = 0; i < T->FieldDefs()->Count(); ++i)
            T->FieldDefs()->Items(i)->CreateField(Owner.get());
        Twice = Create<TFloatField>(Owner.get());
        Twice->SetFieldName(u"Twice"_qs);
        Twice->SetFieldKind(fkCalculated);
        Twice->SetDataSet(T);
        T->OnCalcFields = TDataSetNotifyEvent::Callable([this](TDataSet*) {
            TField* a = T->FieldByName(u"Amount"_qs);
            if (a->IsNull())
                Twice->Clear();
            else
                Twice->SetAsFloat(2 * a->AsFloat());
        });
        T->CreateDataSet();
    }
    void TearDown() override {
        P.reset();
        Owner.reset();
    }

    void Add(const Variant& grp, const Variant& amount, const Variant& qty) {
        AppendRow(T, {grp, amount, qty});
    }
    void Fill() {
        Add(u"a"_qs, 10.0, 1);
        Add(u"b"_qs, Null(), 2);
        Add(u"a"_qs, 2.5, Null());
        Add(u"c"_qs, 4.0, 4);
    }
    TDBSum* Sum(TGroupOperation op, const char* field) {
        auto* s = static_cast<TDBSum*>(P->SumCollection()->Add());
        s->SetGroupOperation(op);
        s->SetFieldName(QString::fromLatin1(field));
        return s;
    }
    void MakeProducer() {
        P = std::make_unique<TDBSumListProducer>(Owner.get());
        P->SumListChanged = TNotifyEvent::Callable([this](TObject*) { ++Changes; });
        P->SetDataSet(T);
    }
    void Locate(const char* grp, double amount) {
        ASSERT_TRUE(T->Locate(u"Grp;Amount"_qs, VarArrayOf({QString::fromLatin1(grp), amount}), {}));
    }
    static double D(const TDBSum* s) { return s->SumValue.ToDouble(); }

    CompPtr<TComponent> Owner{Create<TComponent>(nullptr)};
    TMemTableEh* T = nullptr;
    TFloatField* Twice = nullptr;
    std::unique_ptr<TDBSumListProducer> P;
    int Changes = 0;
};

TEST_F(SumListTest, FullRecalculationSkipsNullsAndCountsRecords) {
    Fill();
    MakeProducer();
    TDBSum* sum = Sum(goSum, "Amount");
    TDBSum* avg = Sum(goAvg, "Amount");
    TDBSum* cnt = Sum(goCount, "Amount");
    TDBSum* rows = Sum(goCount, "");
    TDBSum* qty = Sum(goSum, "Qty");
    EXPECT_DOUBLE_EQ(D(sum), 16.5);
    EXPECT_DOUBLE_EQ(D(avg), 5.5); // 16.5 over the three non-Null values
    EXPECT_DOUBLE_EQ(D(cnt), 3);
    EXPECT_DOUBLE_EQ(D(rows), 4);
    EXPECT_DOUBLE_EQ(D(qty), 7);
    EXPECT_GT(Changes, 0);
    EXPECT_EQ(P->SumCollection()->GetSumByOpAndFName(goAvg, u"aMOUNT"_qs), avg);
    EXPECT_EQ(P->SumCollection()->GetSumByOpAndFName(goCount, String()), rows);
    EXPECT_EQ(P->SumCollection()->GetSumByOpAndFName(goAvg, u"Qty"_qs), nullptr);

    // An aggregate set through its published properties recalculates like one set in code.
    SetEnumProp(qty, u"GroupOperation"_qs, u"goCount"_qs);
    SetStrProp(qty, u"FieldName"_qs, u"Amount"_qs);
    EXPECT_EQ(GetEnumProp(qty, u"GroupOperation"_qs), u"goCount"_qs);
    EXPECT_DOUBLE_EQ(D(qty), 3);
}

TEST_F(SumListTest, EmptyTableAndAllNullsGiveZeroWithoutDividing) {
    MakeProducer();
    TDBSum* avg = Sum(goAvg, "Amount");
    TDBSum* sum = Sum(goSum, "Amount");
    EXPECT_DOUBLE_EQ(D(avg), 0);
    EXPECT_DOUBLE_EQ(D(sum), 0);
    Add(u"a"_qs, Null(), 1);
    EXPECT_DOUBLE_EQ(D(avg), 0);
    EXPECT_DOUBLE_EQ(D(sum), 0);
    T->First();
    T->Delete();
    EXPECT_DOUBLE_EQ(D(avg), 0);
}

// The values kept by the handlers must equal a full recalculation after every change.
TEST_F(SumListTest, InsertsEditsAndDeletesKeepTheValues) {
    Fill();
    MakeProducer();
    TDBSum* sum = Sum(goSum, "Amount");
    TDBSum* avg = Sum(goAvg, "Amount");
    TDBSum* cnt = Sum(goCount, "Amount");
    TDBSum* rows = Sum(goCount, "");
    auto expectRecalcEqual = [&](const char* step) {
        SCOPED_TRACE(step);
        const double s = D(sum), a = D(avg), c = D(cnt), r = D(rows);
        P->RecalcAll();
        EXPECT_DOUBLE_EQ(s, D(sum));
        EXPECT_DOUBLE_EQ(a, D(avg));
        EXPECT_DOUBLE_EQ(c, D(cnt));
        EXPECT_DOUBLE_EQ(r, D(rows));
    };

    Add(u"d"_qs, 3.5, 5); // insert
    EXPECT_DOUBLE_EQ(D(sum), 20);
    EXPECT_DOUBLE_EQ(D(avg), 5);
    EXPECT_DOUBLE_EQ(D(cnt), 4);
    EXPECT_DOUBLE_EQ(D(rows), 5);
    expectRecalcEqual("insert");

    Locate("a", 10.0); // 10 -> Null
    T->Edit();
    T->FieldByName(u"Amount"_qs)->Clear();
    T->Post();
    EXPECT_DOUBLE_EQ(D(sum), 10);
    EXPECT_DOUBLE_EQ(D(avg), 3.3333); // Currency keeps four decimals
    EXPECT_DOUBLE_EQ(D(cnt), 3);
    expectRecalcEqual("to null");

    ASSERT_TRUE(T->Locate(u"Grp"_qs, u"b"_qs, {})); // Null -> 6
    T->Edit();
    T->FieldByName(u"Amount"_qs)->SetAsFloat(6);
    T->Post();
    EXPECT_DOUBLE_EQ(D(sum), 16);
    EXPECT_DOUBLE_EQ(D(avg), 4);
    EXPECT_DOUBLE_EQ(D(cnt), 4);
    expectRecalcEqual("from null");

    Locate("c", 4.0); // 4 -> 1.25
    T->Edit();
    T->FieldByName(u"Amount"_qs)->SetAsFloat(1.25);
    T->Post();
    EXPECT_DOUBLE_EQ(D(sum), 13.25);
    expectRecalcEqual("edit");

    Locate("c", 1.25); // delete a non-Null record
    T->Delete();
    EXPECT_DOUBLE_EQ(D(sum), 12);
    EXPECT_DOUBLE_EQ(D(rows), 4);
    expectRecalcEqual("delete");

    ASSERT_TRUE(T->Locate(u"Grp"_qs, u"a"_qs, {})); // the record whose Amount is Null now
    ASSERT_TRUE(T->FieldByName(u"Amount"_qs)->IsNull());
    T->Delete();
    EXPECT_DOUBLE_EQ(D(cnt), 3); // a field count ignores the Null record
    EXPECT_DOUBLE_EQ(D(rows), 3);
    expectRecalcEqual("delete null");

    T->Append(); // a default given before the insert ends still counts
    T->FieldByName(u"Grp"_qs)->SetAsString(u"e"_qs);
    T->FieldByName(u"Amount"_qs)->SetAsFloat(1);
    T->Cancel();
    EXPECT_DOUBLE_EQ(D(rows), 3);
    expectRecalcEqual("cancel");
}

TEST_F(SumListTest, FilterChangeRecalculatesAtTheNextScroll) {
    Fill();
    MakeProducer();
    TDBSum* sum = Sum(goSum, "Amount");
    TDBSum* rows = Sum(goCount, "");
    // A calculated field is not aggregated by the table: the producer walks the records.
    TDBSum* twice = Sum(goSum, "Twice");
    EXPECT_DOUBLE_EQ(D(twice), 33);
    T->SetFilter(u"Grp = 'a'"_qs);
    T->SetFiltered(true);
    T->First();
    EXPECT_DOUBLE_EQ(D(sum), 12.5);
    EXPECT_DOUBLE_EQ(D(rows), 2);
    EXPECT_DOUBLE_EQ(D(twice), 25);
    T->SetFilter(u"Grp <> 'a'"_qs);
    T->First();
    EXPECT_DOUBLE_EQ(D(sum), 4);
    T->SetFiltered(false);
    T->First();
    EXPECT_DOUBLE_EQ(D(sum), 16.5);
    EXPECT_DOUBLE_EQ(D(rows), 4);
}

TEST_F(SumListTest, TableHandlersAreChainedAndPutBack) {
    Fill();
    int edits = 0, posts = 0, deletes = 0, scrolls = 0;
    const auto afterEdit = TDataSetNotifyEvent::Callable([&](TDataSet*) { ++edits; });
    T->AfterEdit = afterEdit;
    T->AfterPost = TDataSetNotifyEvent::Callable([&](TDataSet*) { ++posts; });
    T->BeforeDelete = TDataSetNotifyEvent::Callable([&](TDataSet*) { ++deletes; });
    T->AfterScroll = TDataSetNotifyEvent::Callable([&](TDataSet*) { ++scrolls; });
    MakeProducer();
    Sum(goSum, "Amount");
    EXPECT_FALSE(T->AfterEdit == afterEdit);
    T->First();
    T->Edit();
    T->Post();
    T->Next();
    T->Delete();
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(deletes, 1);
    EXPECT_GT(scrolls, 0);
    // An inactive producer still passes AfterEdit on.
    P->SetActive(false);
    EXPECT_TRUE(T->AfterEdit == afterEdit);
    EXPECT_DOUBLE_EQ(D(P->SumCollection()->Items(0)), 0);
    P->SetActive(true);
    EXPECT_DOUBLE_EQ(D(P->SumCollection()->Items(0)), 16.5);
    P.reset();
    EXPECT_TRUE(T->AfterEdit == afterEdit);
}

TEST_F(SumListTest, ExternalRecalcLeavesTheValuesToTheHandler) {
    Fill();
    MakeProducer();
    TDBSum* twice = Sum(goSum, "Twice"); // walked, so the external handler is asked
    int after = 0;
    P->OnAfterRecalcAll = TNotifyEvent::Callable([&](TObject*) { ++after; });
    P->OnRecalcAll = TNotifyEvent::Callable([&](TObject*) { twice->SumValue = Currency(7); });
    after = 0;
    P->SetExternalRecalc(true);
    EXPECT_DOUBLE_EQ(D(twice), 7);
    EXPECT_EQ(after, 0);
    P->OnRecalcAll = TNotifyEvent();
    P->RecalcAll();
    EXPECT_DOUBLE_EQ(D(twice), 0);
}

TEST_F(SumListTest, ClosingClearsAndReopeningRecalculates) {
    Fill();
    MakeProducer();
    TDBSum* sum = Sum(goSum, "Amount");
    T->Close();
    EXPECT_DOUBLE_EQ(D(sum), 0);
    T->Open();
    EXPECT_DOUBLE_EQ(D(sum), 16.5);
}

TEST_F(SumListTest, GridSumListStartsInactive) {
    Fill();
    TDBGridEhSumList list(Owner.get());
    list.SetDataSet(T);
    auto* s = static_cast<TDBSum*>(list.SumCollection()->Add());
    s->SetFieldName(u"Amount"_qs);
    EXPECT_FALSE(list.Active());
    EXPECT_DOUBLE_EQ(D(s), 0);
    list.SetActive(true);
    // Its owner is no grid, so it does not recalculate.
    EXPECT_DOUBLE_EQ(D(s), 0);
    list.SetActive(false);
}

} // namespace
