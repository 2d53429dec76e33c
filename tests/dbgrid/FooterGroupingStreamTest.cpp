// The footer and grouping settings of a data grid in component streams: written once, read back
// from the binary form and from the text form converted back to binary, over a memory table.

#include "DBGridTestFixture.h"

#include "platform/classes/ComponentStreams.h"

#include <QRegularExpression>

namespace {

struct FooterGroupingStream : DBGridFormFixture<TDBGridEh> {
    FooterGroupingStream() : DBGridFormFixture(360, 300) {}

    TColumnEh* Col(TDBGridEh* g, int i) { return g->Columns()->Columns(i); }
    static String Text(TMemoryStream& bin) { return BinaryToText(bin); }
    static String WithoutTabOrder(String t) {
        return t.remove(QRegularExpression(QStringLiteral("  TabOrder = -?\\d+\r\n")));
    }
    // A fresh grid on the form read from Bin, then bound to the table as a loaded form would be.
    TDBGridEh* ReadBack(TMemoryStream& Bin) { return ReadGridBack<TDBGridEh>(Bin); }
};

TEST_F(FooterGroupingStream, FootersAndGroupingRoundTripThroughBinaryAndText) {
    UseTable(6);
    // Columns made from the fields are not stored; footers live in stored columns.
    Grid->Columns()->SetState(csCustomized);
    Grid->SetName(u"Grid1"_qs);
    Grid->SetFooterRowCount(2);
    TColumnEh* name = Col(Grid, 1);
    TColumnEh* qty = Col(Grid, 2);
    name->Footer()->SetValueType(fvtStaticText);
    name->Footer()->SetValue(u"Итого: 'все'"_qs);
    TFont bold;
    bold.Assign(Grid->FooterFont());
    bold.SetStyle(TFontStyles{fsBold});
    name->Footer()->SetFont(&bold);
    TColumnFooterEh* sum = qty->Footers()->Add();
    sum->SetValueType(fvtSum);
    sum->SetAlignment(taCenter);
    sum->SetDisplayFormat(u"#,##0.00 'шт.'"_qs);
    sum->SetWordWrap(true);
    qty->Footers()->Add()->SetValueType(fvtCount);
    Grid->SumList()->SetActive(true);

    TDBGridEhDataGroupsEh* dg = Grid->DataGrouping();
    auto* level = static_cast<TDBGridEhDataGroupLevelEh*>(dg->GroupLevels()->Add());
    level->SetColumnName(qty->Name());
    level->SetSortOrder(soDescEh);
    TGridDataGroupFooterEh* gf = dg->Footers()->Add();
    gf->SetVisible(true);
    gf->ColumnItems()->Item(0)->SetValueType(gfvCountEh);
    gf->ColumnItems()->Item(2)->SetValueType(gfvSumEh);
    gf->ColumnItems()->Item(2)->SetDisplayFormat(u"0.0"_qs);
    dg->GroupRowDefValues()->BottomLine()->SetColor(clRed);
    dg->SetGroupPanelVisible(true);
    dg->SetActive(true);
    Pump();
    EXPECT_EQ(Grid->GetFooterValue(0, qty), u"21.00 шт."_qs);

    TMemoryStream bin;
    WriteComponent(&bin, Grid);
    const String text = Text(bin);
    for (const char* line :
         {"FooterRowCount = 2", "SumList.Active = True", "Footer.ValueType = fvtStaticText", "Footers = <",
          "ValueType = fvtSum", "Alignment = taCenter", "ColumnName = 'Column_2_Qty'", "SortOrder = soDescEh",
          "ValueType = gfvSumEh", "DataGrouping.Active = True", "DataGrouping.GroupPanelVisible = True"})
        EXPECT_TRUE(text.contains(QLatin1String(line))) << line << "\n" << text.toStdString();
    Grid->SetName(u"Grid0"_qs);

    // The text form converted back to binary gives the same stream.
    TStringStream textIn(text);
    TMemoryStream fromText;
    ObjectTextToBinary(&textIn, &fromText);
    EXPECT_EQ(Text(fromText).toStdString(), text.toStdString());

    int n = 0;
    for (TMemoryStream* bin2 : {&bin, &fromText}) {
        SCOPED_TRACE(bin2 == &bin ? "binary" : "text");
        TDBGridEh* g = ReadBack(*bin2);
        g->SetName(QStringLiteral("Copy%1").arg(n++));
        EXPECT_EQ(g->FooterRowCount(), 2);
        EXPECT_TRUE(g->SumList()->Active());
        EXPECT_EQ(Col(g, 1)->Footer()->Value(), u"Итого: 'все'"_qs);
        EXPECT_TRUE(Col(g, 1)->Footer()->IsFontStored());
        EXPECT_TRUE(Col(g, 1)->Footer()->Font()->Style().Contains(fsBold));
        ASSERT_EQ(Col(g, 2)->Footers()->Count(), 2);
        EXPECT_EQ(Col(g, 2)->Footers()->Footer(0)->Alignment(), taCenter);
        EXPECT_TRUE(Col(g, 2)->Footers()->Footer(0)->WordWrap());
        // The footers' aggregates are back in the sum list and computed.
        EXPECT_EQ(g->GetFooterValue(0, Col(g, 2)), u"21.00 шт."_qs);
        EXPECT_EQ(g->GetFooterValue(1, Col(g, 2)), u"6"_qs);

        TDBGridEhDataGroupsEh* cg = g->DataGrouping();
        EXPECT_TRUE(cg->GroupPanelVisible());
        EXPECT_EQ(cg->GroupRowDefValues()->BottomLine()->Color(), clRed);
        ASSERT_EQ(cg->ActiveGroupLevelsCount(), 1);
        EXPECT_EQ(cg->ActiveGroupLevels(0)->Column(), Col(g, 2));
        EXPECT_EQ(cg->ActiveGroupLevels(0)->SortOrder(), soDescEh);
        ASSERT_EQ(cg->Footers()->Count(), 1);
        EXPECT_EQ(cg->Footers()->Footer(0)->ColumnItems()->Item(2)->ValueType(), gfvSumEh);
        EXPECT_EQ(cg->Footers()->Footer(0)->ColumnItems()->Item(2)->Column(), Col(g, 2));
        EXPECT_TRUE(cg->IsGroupingWorks());
        EXPECT_TRUE(cg->GroupDataTree()->CheckConsistency());

        TMemoryStream again;
        WriteComponent(&again, g);
        g->SetName(u"Grid1"_qs);
        TMemoryStream again2;
        WriteComponent(&again2, g);
        EXPECT_EQ(WithoutTabOrder(Text(again2)).toStdString(), WithoutTabOrder(text).toStdString());
        g->Free();
    }
}

} // namespace
