// Column footers of the data grid: sums, averages and counts over the records that follow
// inserts, edits, deletes and filters; the text of each kind of footer; the aggregate entries a
// footer keeps in the sum list; and a screenshot of footers with sums.

#include "DBGridTestFixture.h"

#include "platform/rtl/SysUtils.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <QWidget>

namespace {

// A grid over Grp (text), Amount (float), Qty (integer), Price (currency) with three footers.
struct Footers : DBGridFormFixture<TDBGridEh> {
    Footers() : DBGridFormFixture(300, 280) {}

    void SetUp() override {
        DBGridFormFixture::SetUp();
        SetFormatSettings(TFormatSettings::Invariant());
        Table = Create<TMemTableEh>(Form);
        Table->FieldDefs()->Add(u"Grp"_qs, ftString, 20);
        Table->FieldDefs()->Add(u"Amount"_qs, ftFloat);
        Table->FieldDefs()->Add(u"Qty"_qs, ftInteger);
        Table->FieldDefs()->Add(u"Price"_qs, ftCurrency);
        Table->CreateDataSet();
        for (const char* f : {"Grp", "Amount", "Qty", "Price"})
            Grid->Columns()->Add()->SetFieldName(QString::fromLatin1(f));
        Add(u"a"_qs, 10.0, 1, 1.25);
        Add(u"b"_qs, Null(), 2, 2.5);
        Add(u"a"_qs, 2.5, Null(), Null());
        Add(u"c"_qs, 4.0, 4, 8.75);
        Table->First();
        Source->SetDataSet(Table);
        Grid->SetDataSource(Source);
        Grid->SetFooterRowCount(1);
        Col(0)->Footer()->SetValueType(fvtCount);
        Col(1)->Footer()->SetValueType(fvtSum);
        Col(2)->Footer()->SetValueType(fvtAvg);
        Col(3)->Footer()->SetValueType(fvtSum);
        Grid->SumList()->SetActive(true);
        Pump();
    }
    void Add(const Variant& grp, const Variant& amount, const Variant& qty, const Variant& price) {
        Table->Append();
        Table->FieldByName(u"Grp"_qs)->SetAsVariant(grp);
        Table->FieldByName(u"Amount"_qs)->SetAsVariant(amount);
        Table->FieldByName(u"Qty"_qs)->SetAsVariant(qty);
        Table->FieldByName(u"Price"_qs)->SetAsVariant(price);
        Table->Post();
    }
    TColumnEh* Col(int i) { return Grid->Columns()->Columns(i); }
    String Text(int col, int row = 0) { return Grid->GetFooterValue(row, Col(col)); }
    // Count, Amount sum, Qty average, Price sum.
    String Texts() { return QStringList{Text(0), Text(1), Text(2), Text(3)}.join(u'|'); }
    int SumEntries() { return Grid->SumList()->SumCollection()->Count(); }
};

TEST_F(Footers, ValuesFollowInsertsEditsDeletesAndFilters) {
    // Qty averages 7 / 3 = 2.33 over its three non-Null values: an integer field truncates.
    EXPECT_EQ(Texts(), u"4|16.5|2|12.5"_qs);

    Add(u"d"_qs, 3.5, 9, 0.5);
    EXPECT_EQ(Texts(), u"5|20|4|13"_qs);

    Table->First();
    Table->Edit();
    Table->FieldByName(u"Amount"_qs)->Clear(); // 10 -> Null
    Table->Post();
    EXPECT_EQ(Text(1), u"10"_qs);
    Table->Edit();
    Table->FieldByName(u"Amount"_qs)->SetAsFloat(1);
    Table->Post();
    EXPECT_EQ(Text(1), u"11"_qs);

    Table->Last();
    Table->Delete();
    EXPECT_EQ(Texts(), u"4|7.5|2|12.5"_qs);

    Table->SetFilter(u"Grp = 'a'"_qs);
    Table->SetFiltered(true);
    Table->First();
    EXPECT_EQ(Texts(), u"2|3.5|1|1.25"_qs);
    Table->SetFiltered(false);
    Table->Last();
    EXPECT_EQ(Texts(), u"4|7.5|2|12.5"_qs);

    // A table with no records shows zeros, never a division by zero.
    Table->SetFilter(u"Grp = 'none'"_qs);
    Table->SetFiltered(true);
    Table->First();
    EXPECT_EQ(Texts(), u"0|0|0|0"_qs);
}

TEST_F(Footers, EachKindOfFooterFormatsItsValue) {
    struct Case {
        int Col;
        TFooterValueType Type;
        const char* FieldName;
        const char* Format;
        const char* Value;
        const char* Expected;
    };
    const Case cases[] = {
        {2, fvtAvg, "", "", "", "2"},                  // integer average truncated
        {2, fvtSum, "", "0.00", "", "7.00"},           // the footer's own format
        {1, fvtAvg, "", "", "", "5.5"},                // float average: general format
        {0, fvtCount, "", "0.0", "", "4.0"},           // a count shows decimals only when asked
        {0, fvtSum, "", "", "", "0"},                  // a text field has no sum
        {0, fvtSum, "Amount", "", "", "16.5"},         // the footer's field overrides the column's
        {1, fvtSum, "NoSuchField", "", "", "0"},       // a field the data set lacks
        {1, fvtFieldValue, "Grp", "", "", "a"},        // the current record's field
        {1, fvtFieldValue, "NoSuchField", "", "", ""}, // no failure while painting
        {3, fvtStaticText, "", "", "Итого", "Итого"},
        {3, fvtNon, "", "", "x", ""},
    };
    for (const Case& c : cases) {
        TColumnFooterEh* f = Col(c.Col)->Footer();
        f->SetValueType(c.Type);
        f->SetFieldName(QString::fromLatin1(c.FieldName));
        f->SetDisplayFormat(QString::fromLatin1(c.Format));
        f->SetValue(QString::fromUtf8(c.Value));
        EXPECT_EQ(Text(c.Col), QString::fromUtf8(c.Expected))
            << c.Col << " " << int(c.Type) << " " << c.FieldName;
    }
    // A currency field shows its sum in the currency format.
    static_cast<TFloatField*>(Table->FieldByName(u"Price"_qs))->SetCurrency(true);
    Col(3)->Footer()->SetValueType(fvtSum);
    Col(3)->Footer()->SetDisplayFormat(String());
    EXPECT_EQ(Text(3), FloatToStrF(12.5, ffCurrency, 15, FormatSettings().CurrencyDecimals));
}

TEST_F(Footers, AggregateEntriesFollowTheFooters) {
    EXPECT_EQ(SumEntries(), 4);
    Col(1)->Footer()->SetValueType(fvtStaticText);
    EXPECT_EQ(SumEntries(), 3);
    EXPECT_TRUE(VarIsNull(Col(1)->Footer()->SumValue()));
    Col(1)->Footer()->SetValueType(fvtSum);
    EXPECT_EQ(SumEntries(), 4);
    EXPECT_EQ(Col(1)->Footer()->SumValue().AsDouble(), 16.5);

    // A second footer row served by the column's Footers collection.
    Grid->SetFooterRowCount(2);
    TColumnFooterEh* second = Col(1)->Footers()->Add();
    EXPECT_EQ(Col(1)->UsedFooter(0), second);
    EXPECT_EQ(Col(1)->UsedFooter(1), Col(1)->Footer());
    second->SetValueType(fvtAvg);
    EXPECT_EQ(SumEntries(), 5);
    EXPECT_EQ(Text(1, 0), u"5.5"_qs);
    EXPECT_EQ(Text(1, 1), u"16.5"_qs);
    second->Free();
    EXPECT_EQ(SumEntries(), 4);

    // A column that leaves takes its entries along; the application clearing the list leaves
    // the footers without dangling entries.
    Col(3)->Free();
    EXPECT_EQ(SumEntries(), 3);
    Grid->SumList()->SumCollection()->Clear();
    EXPECT_TRUE(VarIsNull(Col(1)->Footer()->SumValue()));
    EXPECT_EQ(Text(1), u"0"_qs);
    Col(1)->EnsureSumValues();
    EXPECT_EQ(SumEntries(), 1);
}

TEST_F(Footers, StoredPropertiesAndDefaults) {
    TColumnFooterEh* f = Col(1)->Footer();
    EXPECT_EQ(f->Alignment(), taRightJustify); // the float field's alignment
    f->SetAlignment(taRightJustify);
    EXPECT_FALSE(f->IsAlignmentStored());
    f->SetToolTips(false);
    EXPECT_FALSE(f->IsToolTipsStored());
    f->SetToolTips(true);
    EXPECT_TRUE(f->IsToolTipsStored());
    TFont big;
    big.SetSize(20);
    f->SetFont(&big);
    EXPECT_TRUE(f->IsFontStored());
    f->RestoreDefaults();
    EXPECT_FALSE(f->IsFontStored());
    EXPECT_EQ(f->Font()->Size(), Grid->FooterFont()->Size());
}

TEST_F(Footers, PaintedUnderTheData) {
    Grid->FooterParams()->SetColor(clInfoBk);
    Col(0)->Footer()->SetValueType(fvtStaticText);
    Col(0)->Footer()->SetValue(u"Итого"_qs);
    Grid->Repaint();
    Pump();
    const QImage img = Grid->Widget()->grab().toImage();
    EXPECT_TRUE(img.save(ScreenshotPath(u"dbgrid_footers_sums"_qs)));
    // The footer row is the grid's last row: its cells use the footer colour.
    const TRect r = Grid->CellRect(2, Grid->RowCount());
    ASSERT_GT(r.Right, r.Left);
    const TColor rgb = ColorToRGB(clInfoBk);
    EXPECT_EQ(QColor(img.pixel(r.Left + 3, r.Top + 3)),
              QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
}

} // namespace
