// The sum list over a data set that cannot number its records: walked sums, and record numbers
// and a record count answered from the bookmarks it keeps in record order.

#include "lib/dbgrid/DBSumLst.h"

#include "db/TestDataSet.h"

#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

using TUnsequencedDataSet = TUnsequencedTestDataSet;

TEST(SumListVirtualRecordsTest, RecordNumbersFollowInsertsAndDeletes) {
    SetFormatSettings(TFormatSettings::Invariant());
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* ds = new TUnsequencedDataSet(owner.get());
    ds->FieldDefs()->Add(u"Amount"_qs, ftFloat);
    for (int i = 1; i <= 4; ++i)
        ds->AddRecord({i * 1.5});
    ds->Open();

    TDBSumListProducer p(owner.get());
    p.SetVirtualRecords(true);
    p.SetDataSet(ds);
    auto* sum = static_cast<TDBSum*>(p.SumCollection()->Add());
    sum->SetFieldName(u"Amount"_qs);
    EXPECT_DOUBLE_EQ(sum->SumValue.ToDouble(), 15);
    EXPECT_TRUE(p.IsSequenced());
    EXPECT_EQ(p.RecordCount(), 4);
    ds->First();
    ds->Next();
    ds->Next();
    EXPECT_EQ(p.RecNo(), 3);
    p.SetRecNo(4);
    EXPECT_DOUBLE_EQ(ds->FieldByName(u"Amount"_qs)->AsFloat(), 6);

    ds->Append();
    ds->FieldByName(u"Amount"_qs)->SetAsFloat(10);
    ds->Post();
    EXPECT_EQ(p.RecordCount(), 5);
    EXPECT_EQ(p.RecNo(), 5);
    EXPECT_DOUBLE_EQ(sum->SumValue.ToDouble(), 25);

    ds->First();
    ds->Delete();
    EXPECT_EQ(p.RecordCount(), 4);
    EXPECT_EQ(p.RecNo(), 1);
    EXPECT_DOUBLE_EQ(sum->SumValue.ToDouble(), 23.5);
    p.SetDataSet(nullptr);
}

} // namespace
