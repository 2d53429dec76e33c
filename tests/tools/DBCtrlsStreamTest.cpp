// The editors' settings in component streams: what is written, what is left out as a default or
// as coming from the data, and that a stream read back gives the same settings.

#include "DBCtrlsTestUtil.h"

#include "lib/tools/CalculatorEh.h"
#include "lib/toolscore/DynVarsEh.h"
#include "platform/classes/ComponentStreams.h"

namespace {

// The text form of a component's stream.
String StreamText(TComponent* C) {
    TMemoryStream bin;
    WriteComponent(&bin, C);
    bin.SetPosition(0);
    TStringStream text;
    ObjectBinaryToText(&bin, &text);
    return text.DataString();
}

// Writes Src and reads the stream into Dst.
void CopyThroughStream(TComponent* Src, TComponent* Dst) {
    TMemoryStream ms;
    WriteComponent(&ms, Src);
    ms.SetPosition(0);
    ReadComponent(&ms, Dst);
}

bool Has(const String& Text, const char* Prop) {
    return Text.contains(QStringLiteral("  ") + QString::fromLatin1(Prop) + QStringLiteral(" ="));
}

// A fresh editor writes none of its defaults (the date edit's kind has none: it is always written,
// unless the edit format says it).
TEST_F(EditorFixture, FreshEditorsWriteNoDefaults) {
    const char* defaults[] = {"AlwaysShowBorder",  "AutoSelect",    "BorderStyle", "Enabled",  "Flat",
                              "HighlightRequired", "MaxLength",     "ParentFont",  "ReadOnly", "ShowHint",
                              "TabStop",           "Tooltips",      "Visible",     "Value",    "Text",
                              "Alignment",         "DecimalPlaces", "Increment",   "MinValue", "MaxValue",
                              "DisplayFormat",     "currency",      "EditFormat",  "State",    "Checked",
                              "AllowGrayed",       "WordWrap",      "CharCase",    "EditMask", "ValueChecked",
                              "OldCreateOrder"};
    std::vector<TComponent*> editors{Create<TDBNumberEditEh>(Form), Create<TDBComboBoxEh>(Form),
                                     Create<TDBDateTimeEditEh>(Form), Create<TDBCheckBoxEh>(Form),
                                     Create<TCalculatorEh>(Form)};
    for (TComponent* e : editors) {
        const String text = StreamText(e);
        for (const char* p : defaults) {
            // The calculator's font is part of its layout and always stored.
            if (e->InheritsFrom<TCalculatorEh>() && QLatin1String(p) == QLatin1String("Font.Name")) continue;
            EXPECT_FALSE(Has(text, p)) << e->ClassName().toStdString() << " writes " << p << "\n"
                                       << text.toStdString();
        }
    }
}

TEST_F(EditorFixture, NumberEditSettingsRoundTrip) {
    PinnedFormat ru("ru_RU");
    auto* src = Editor<TDBNumberEditEh>(nullptr, 10);
    src->SetDecimalPlaces(3);
    src->SetIncrement(0.5);
    src->SetMinValue(-10);
    src->SetMaxValue(100);
    src->SetDisplayFormat(QStringLiteral("0.000 'кг'"));
    src->Setcurrency(true);
    src->SetFlat(true);
    src->SetAlignment(taCenter);
    src->SetValue(Variant(12.345));
    src->EmptyDataInfo()->SetText(QStringLiteral("нет данных"));
    src->EmptyDataInfo()->SetAlignment(taRightJustify);
    src->EmptyDataInfo()->SetParentFont(false);
    src->EmptyDataInfo()->Font()->SetStyle(TFontStyles{fsBold, fsItalic});
    src->EmptyDataInfo()->Font()->SetColor(clRed);
    src->Font()->SetHeight(-16);
    src->Font()->SetName(QStringLiteral("DejaVu Serif"));
    src->EditButton()->SetVisible(true);
    src->MRUList()->SetActive(true);
    src->MRUList()->Items()->Add(QStringLiteral("1,5"));
    src->DynProps()->CreateDynVar(QStringLiteral("Unit"), Variant(QStringLiteral("кг")));

    auto* dst = Create<TDBNumberEditEh>(Form);
    CopyThroughStream(src, dst);
    EXPECT_EQ(dst->DecimalPlaces(), 3u);
    EXPECT_EQ(dst->Increment(), 0.5L);
    EXPECT_EQ(dst->MinValue(), -10.0L);
    EXPECT_EQ(dst->MaxValue(), 100.0L);
    EXPECT_EQ(dst->NumberAssignedValues(), src->NumberAssignedValues());
    EXPECT_EQ(dst->DisplayFormat(), QStringLiteral("0.000 'кг'"));
    EXPECT_TRUE(dst->currency());
    EXPECT_TRUE(dst->Flat());
    EXPECT_EQ(dst->Alignment(), taCenter);
    EXPECT_EQ(dst->Value().AsExtended(), src->Value().AsExtended());
    EXPECT_EQ(dst->EmptyDataInfo()->Text(), QStringLiteral("нет данных"));
    EXPECT_EQ(dst->EmptyDataInfo()->Alignment(), taRightJustify);
    EXPECT_FALSE(dst->EmptyDataInfo()->ParentFont());
    EXPECT_EQ(dst->EmptyDataInfo()->Font()->Style(), (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(dst->EmptyDataInfo()->Font()->Color(), clRed);
    EXPECT_FALSE(dst->ParentFont());
    EXPECT_EQ(dst->Font()->Height(), -16);
    EXPECT_EQ(dst->Font()->Name(), QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(dst->EditButton()->Visible());
    EXPECT_TRUE(dst->MRUList()->Active());
    EXPECT_EQ(dst->MRUList()->Items()->Text(), src->MRUList()->Items()->Text());
    EXPECT_EQ(dst->DynProps()->GetDynVar(QStringLiteral("Unit"))->AsString(), QStringLiteral("кг"));

    // A bound edit takes its value and the field-derived settings from the data: not stored.
    auto* bound = Editor<TDBNumberEditEh>("Price", 40);
    const String text = StreamText(bound);
    EXPECT_TRUE(Has(text, "DataField")) << text.toStdString();
    EXPECT_FALSE(Has(text, "Value")) << text.toStdString();
    EXPECT_FALSE(Has(text, "DisplayFormat")) << text.toStdString();
}

TEST_F(EditorFixture, ComboAndDateTimeSettingsRoundTrip) {
    PinnedFormat ru("ru_RU");
    auto* combo = Editor<TDBComboBoxEh>(nullptr, 10);
    combo->Items()->SetText(QStringLiteral("Красный\nСиний\nЗелёный"));
    combo->KeyItems()->SetText(QStringLiteral("R\nB\nG"));
    combo->DropDownBox()->Rows = 4;
    combo->DropDownBox()->Sizable = true;
    combo->DropDownBox()->Align = daRight;
    combo->SetValue(Variant(QStringLiteral("G")));
    auto* comboCopy = Create<TDBComboBoxEh>(Form);
    CopyThroughStream(combo, comboCopy);
    EXPECT_EQ(comboCopy->Items()->Text(), combo->Items()->Text());
    EXPECT_EQ(comboCopy->KeyItems()->Text(), combo->KeyItems()->Text());
    EXPECT_EQ(comboCopy->DropDownBox()->Rows, 4);
    EXPECT_TRUE(comboCopy->DropDownBox()->Sizable);
    EXPECT_EQ(comboCopy->DropDownBox()->Align, daRight);
    EXPECT_EQ(comboCopy->Text(), QStringLiteral("Зелёный"));
    EXPECT_EQ(comboCopy->Value().AsString(), QStringLiteral("G"));

    auto* date = Editor<TDBDateTimeEditEh>(nullptr, 40);
    date->SetKind(dtkDateTimeEh);
    date->SetValue(Variant::FromDate(EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 0, 0)));
    auto* dateCopy = Create<TDBDateTimeEditEh>(Form);
    CopyThroughStream(date, dateCopy);
    EXPECT_EQ(dateCopy->Kind(), dtkDateTimeEh);
    EXPECT_EQ(dateCopy->Value().AsDateTime(), date->Value().AsDateTime());
    EXPECT_EQ(dateCopy->Text(), date->Text());

    // A custom format is carried by EditFormat; the kind follows from it.
    date->SetEditFormat(QStringLiteral("DD.MM.YYYY HH:NN"));
    const String text = StreamText(date);
    EXPECT_FALSE(Has(text, "Kind")) << text.toStdString();
    EXPECT_TRUE(Has(text, "EditFormat")) << text.toStdString();
}

TEST_F(EditorFixture, CheckBoxStateStoredOnlyWithoutData) {
    auto* c = Editor<TDBCheckBoxEh>(nullptr, 10);
    c->SetAllowGrayed(true);
    c->SetState(cbGrayed);
    c->SetAlignment(lrLeftJustify);
    c->SetCaption(QStringLiteral("Действующий"));
    auto* copy = Create<TDBCheckBoxEh>(Form);
    CopyThroughStream(c, copy);
    EXPECT_TRUE(copy->AllowGrayed());
    EXPECT_EQ(copy->State(), cbGrayed);
    EXPECT_EQ(copy->Alignment(), lrLeftJustify);
    EXPECT_EQ(copy->Caption(), QStringLiteral("Действующий"));

    auto* bound = Editor<TDBCheckBoxEh>("Flag", 40);
    ASSERT_EQ(bound->State(), cbChecked);
    EXPECT_FALSE(Has(StreamText(bound), "State"));
}

TEST_F(EditorFixture, CalculatorLayoutSettingsRoundTrip) {
    auto* calc = Create<TCalculatorEh>(Form);
    calc->SetBorderStyle(bsSingle);
    calc->SetLayoutClientWidth(calc->LayoutClientWidth() + 20);
    const int width = calc->Width();
    auto* copy = Create<TCalculatorEh>(Form);
    CopyThroughStream(calc, copy);
    EXPECT_EQ(copy->BorderStyle(), bsSingle);
    EXPECT_EQ(copy->LayoutClientWidth(), calc->LayoutClientWidth());
    EXPECT_EQ(copy->Width(), width);
    EXPECT_EQ(copy->PixelsPerInch(), calc->PixelsPerInch());
}

} // namespace
