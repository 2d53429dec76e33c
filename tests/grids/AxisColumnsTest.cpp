// Columns of the axis grid: fallbacks and assigned values, field binding, copying, naming, the
// collection's state and look-ups, and the column stream.

#include "AxisGridFixture.h"

#include "platform/classes/ComponentStreams.h"

#include <QDir>
#include <QFile>

namespace {

QByteArray StreamBytes(TMemoryStream& ms) {
    return QByteArray(static_cast<const char*>(ms.Memory()), int(ms.Size()));
}

QString StreamText(TMemoryStream& ms) {
    TMemoryStream in, out;
    in.WriteBuffer(ms.Memory(), Integer(ms.Size()));
    in.SetPosition(0);
    ObjectBinaryToText(&in, &out);
    return QString::fromUtf8(static_cast<const char*>(out.Memory()), int(out.Size()));
}

} // namespace

TEST(AxisColumnTest, FallbacksWithoutGrid) {
    TCollection coll(CollectionItemClassOf<TTestAxisColumn>());
    auto* c = static_cast<TAxisBarEh*>(coll.Add());
    EXPECT_EQ(c->Color(), clWindow);
    EXPECT_EQ(c->Title()->Color(), clBtnFace);
    EXPECT_EQ(c->Alignment(), taLeftJustify);
    EXPECT_EQ(c->Layout(), tlTop);
    for (bool v : {c->AlwaysShowEditButton(), c->EndEllipsis(), c->AutoDropDown(), c->DblClickNextVal(),
                   c->ToolTips(), c->DropDownSizing(), c->DropDownShowTitles(), c->HighlightRequired(),
                   c->WordWrap(), c->Checkboxes(), c->ReadOnly()})
        EXPECT_FALSE(v);
    EXPECT_TRUE(c->AssignedValues().Empty());
    EXPECT_EQ(c->DropDownRows(), 7u);
    EXPECT_EQ(c->NotInKeyListIndex(), -1);
    EXPECT_EQ(c->Increment(), 1.0L);
    EXPECT_TRUE(c->Stored());
    EXPECT_EQ(c->Name(), QStringLiteral("Column_0_"));
    TRect r;
    EXPECT_NO_THROW(c->SetTextArea(r)) << "the test column supplies a text area";
}

TEST(AxisColumnTest, BaseColumnHooksRaiseNamedErrors) {
    TCollection coll(CollectionItemClassOf<TBaseColumnEh>());
    auto* c = static_cast<TBaseColumnEh*>(coll.Add());
    TAxisColCellParamsEh p;
    try {
        c->GetColCellParams(false, &p);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral(" TAxisBarEh.GetColCellParams must be realized in the inherited class."));
    }
    EXPECT_THROW(c->Width(), Exception);
}

class AxisColumnGridTest : public AxisGridFixture {};

TEST_F(AxisColumnGridTest, AssignedValuesAndStorage) {
    Build(3);
    TAxisBarEh* c = Grid->AxisBars()->Add();
    c->SetFieldName(QStringLiteral("Name"));
    ASSERT_EQ(c->Field(), Data->Name);
    // Setting the value it falls back to still marks it as assigned, but it is not worth storing.
    c->SetColor(Grid->Color());
    EXPECT_TRUE(c->AssignedValues().Contains(cvColor));
    EXPECT_FALSE(c->IsColorStored());
    c->SetColor(clYellow);
    EXPECT_TRUE(c->IsColorStored());
    Grid->SetColor(clAqua);
    EXPECT_EQ(c->Color(), clYellow) << "an assigned value wins over the grid's";

    // Rule C: a string field wraps by default; only a differing value is flagged.
    EXPECT_TRUE(c->WordWrap());
    c->SetWordWrap(true);
    EXPECT_FALSE(c->AssignedValues().Contains(cvWordWrap));
    c->SetWordWrap(false);
    EXPECT_TRUE(c->AssignedValues().Contains(cvWordWrap));
    EXPECT_FALSE(c->WordWrap());

    // A stored column keeps its own alignment; the field is untouched.
    c->SetAlignment(taCenter);
    EXPECT_EQ(c->Alignment(), taCenter);
    EXPECT_EQ(Data->Name->Alignment(), taLeftJustify);

    c->RestoreDefaults();
    EXPECT_TRUE(c->AssignedValues().Empty());
    EXPECT_EQ(c->Color(), clAqua);
}

TEST_F(AxisColumnGridTest, DefaultColumnWritesToItsField) {
    Build(3);
    ASSERT_EQ(Grid->AxisBars()->State(), csDefault);
    TAxisBarEh* c = Grid->AxisBars()->AxisBar(1);
    ASSERT_EQ(c->Field(), Data->Name);
    c->SetAlignment(taRightJustify);
    c->Title()->SetCaption(QStringLiteral("Имя"));
    EXPECT_TRUE(c->AssignedValues().Empty());
    EXPECT_EQ(Data->Name->Alignment(), taRightJustify);
    EXPECT_EQ(Data->Name->DisplayLabel(), QStringLiteral("Имя"));
    EXPECT_EQ(c->Title()->Caption(), QStringLiteral("Имя"));
    c->SetReadOnly(true);
    EXPECT_TRUE(Data->Name->ReadOnly());
    EXPECT_FALSE(c->AssignedValues().Contains(cvReadOnly));

    // With the link inactive nothing changes and nothing is stored.
    Data->T->Close();
    TAxisBarEh* d = Grid->AxisBars()->AxisBar(0);
    d->SetAlignment(taCenter);
    EXPECT_TRUE(d->AssignedValues().Empty());
}

TEST_F(AxisColumnGridTest, NamesAndLookUps) {
    Build(2);
    Grid->AxisBars()->SetState(csCustomized);
    TGridAxisBarsEh* bars = Grid->AxisBars();
    ASSERT_EQ(bars->Count(), 5);
    EXPECT_EQ(bars->AxisBar(0)->Name(), QStringLiteral("Column_0_ID"));
    EXPECT_EQ(bars->AxisBar(3)->Name(), QStringLiteral("Column_3_Flag"));
    EXPECT_EQ(bars->FindBarByName(QStringLiteral("Column_0_ID")), bars->AxisBar(0));
    EXPECT_EQ(bars->FindBarByName(QStringLiteral("column_0_ID")), nullptr) << "names compare exactly";
    TStringList names;
    bars->GetBarNames(&names);
    EXPECT_EQ(names.Count(), 5);
    EXPECT_EQ(names.Strings(4), QStringLiteral("Column_4_Code"));
    EXPECT_EQ(Grid->FindFieldColumn(QStringLiteral("name")), bars->AxisBar(1)) << "field names ignore case";
    try {
        Grid->GetFieldAxisBars(QStringLiteral("Nope"));
        FAIL();
    } catch (const EInvalidGridOperationEh& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Имя поля 'Nope' не найдено"));
    }
    bars->AxisBar(2)->SetFieldName(QStringLiteral("Missing"));
    EXPECT_EQ(bars->AxisBar(2)->Field(), nullptr) << "an unknown name leaves the column unbound";
}

TEST_F(AxisColumnGridTest, AssignCopiesEffectiveValues) {
    Build(1);
    TGridAxisBarsEh* bars = Grid->AxisBars();
    bars->SetState(csCustomized);
    TAxisBarEh* src = bars->AxisBar(1); // Name: wraps by default
    src->SetColor(clRed);
    src->Title()->SetAlignment(taCenter);
    src->PickList()->Add(QStringLiteral("a"));
    TAxisBarEh* dst = bars->AxisBar(2); // Amount: no wrap by default
    dst->Assign(src);
    EXPECT_EQ(dst->FieldName(), QStringLiteral("Name"));
    EXPECT_EQ(dst->Color(), clRed);
    EXPECT_TRUE(dst->WordWrap()) << "the source's effective value, though it never assigned it";
    EXPECT_EQ(dst->Title()->Alignment(), taCenter);
    EXPECT_EQ(dst->PickList()->Count(), 1);
}

TEST_F(AxisColumnGridTest, CollectionState) {
    Build(1);
    TGridAxisBarsEh* bars = Grid->AxisBars();
    EXPECT_EQ(bars->State(), csDefault);
    bars->BeginUpdate();
    bars->Add(); // a stored column after a generated one, before any rebuild
    EXPECT_EQ(bars->State(), csDefault) << "the first column decides";
    bars->EndUpdate();
    bars->SetState(csCustomized);
    EXPECT_EQ(bars->State(), csCustomized);
    EXPECT_EQ(bars->Count(), 5);
    bars->SetState(csDefault);
    EXPECT_EQ(bars->State(), csDefault);
    EXPECT_EQ(bars->Count(), 0);
    Grid->RequestLayoutUpdate();
    EXPECT_EQ(bars->Count(), 5) << "the grid generates its columns again";

    Grid->SetDataSource(nullptr);
    bars->SetState(csCustomized);
    EXPECT_EQ(bars->Count(), 0) << "without a data set the rebuild only clears";
}

TEST(AxisDefValuesTest, TitleDefaultsAssign) {
    TAxisBarDefValuesEh* a = Create<TAxisBarDefValuesEh>(nullptr);
    TAxisBarDefValuesEh* b = Create<TAxisBarDefValuesEh>(nullptr);
    a->Title()->SetAlignment(taRightJustify);
    a->SetLayout(tlBottom);
    a->SetToolTips(true);
    b->Assign(a);
    EXPECT_TRUE(b->Title()->AssignedValues().Contains(cvdpTitleAlignmentEh));
    EXPECT_EQ(b->Title()->Alignment(), taRightJustify);
    EXPECT_EQ(b->Layout(), tlTop) << "Layout is not copied";
    EXPECT_TRUE(b->ToolTips());
    EXPECT_FALSE(b->Title()->AssignedValues().Contains(cvdpTitleColorEh));
    delete a;
    delete b;
}

// ---------------------------------------------------------------------------------------------
// The column stream

class AxisColumnStreamTest : public AxisGridFixture {
protected:
    void Customize() {
        TGridAxisBarsEh* bars = Grid->AxisBars();
        bars->SetState(csCustomized);
        bars->AxisBar(1)->SetColor(clYellow);
        bars->AxisBar(1)->Title()->SetCaption(QStringLiteral("Имя"));
        bars->AxisBar(2)->SetAlignment(taCenter);
        bars->AxisBar(2)->SetWordWrap(true);
        bars->AxisBar(3)->SetVisible(false);
        bars->AxisBar(4)->KeyList()->Add(QStringLiteral("A"));
        bars->AxisBar(4)->PickList()->Add(QStringLiteral("Альфа"));
        bars->AxisBar(4)->Font()->SetStyle(TFontStyles{fsBold});
        bars->AxisBar(0)->SetIncrement(2.5L);
    }
};

TEST_F(AxisColumnStreamTest, RoundTripKeepsColumnsAndAssignedValues) {
    Build(2);
    Customize();
    TMemoryStream ms;
    Grid->AxisBars()->SaveToStream(&ms);
    const QString text = StreamText(ms);
    EXPECT_TRUE(text.contains(QStringLiteral("object TColumnsWrapper")));
    EXPECT_TRUE(text.contains(QStringLiteral("AxisBars = <")));
    EXPECT_FALSE(text.contains(QStringLiteral("Alignment = taLeftJustify"))) << "fallbacks are not written";

    // Into a second grid over the same data.
    CompPtr<TForm> form2(new TForm(nullptr));
    auto* g2 = Create<TTestAxisGrid>(form2.get());
    g2->SetParent(form2.get());
    g2->SetDataSource(Data->DS);
    ms.SetPosition(0);
    g2->AxisBars()->LoadFromStream(&ms);
    TGridAxisBarsEh* b = g2->AxisBars();
    ASSERT_EQ(b->Count(), 5);
    EXPECT_EQ(b->State(), csCustomized);
    EXPECT_EQ(b->AxisBar(1)->Color(), clYellow);
    EXPECT_EQ(b->AxisBar(1)->Title()->Caption(), QStringLiteral("Имя"));
    EXPECT_EQ(b->AxisBar(2)->Alignment(), taCenter);
    EXPECT_TRUE(b->AxisBar(2)->WordWrap());
    EXPECT_FALSE(b->AxisBar(3)->Visible());
    EXPECT_EQ(b->AxisBar(4)->PickList()->Strings(0), QStringLiteral("Альфа"));
    EXPECT_TRUE(b->AxisBar(4)->Font()->Style().Contains(fsBold));
    EXPECT_TRUE(b->AxisBar(4)->AssignedValues().Contains(cvFont));
    EXPECT_EQ(b->AxisBar(0)->Increment(), 2.5L);
    EXPECT_EQ(b->AxisBar(1)->Field(), Data->Name);
    EXPECT_FALSE(b->AxisBar(0)->AssignedValues().Contains(cvColor));

    // Saving the loaded columns gives the same stream.
    TMemoryStream again;
    b->SaveToStream(&again);
    EXPECT_EQ(StreamText(again), StreamText(ms));
}

TEST_F(AxisColumnStreamTest, BadStreamsLeaveColumnsAsTheyWere) {
    Build(2);
    Customize();
    TMemoryStream good;
    Grid->AxisBars()->SaveToStream(&good);
    const QByteArray bytes = StreamBytes(good);
    TMemoryStream original;
    Grid->AxisBars()->SaveToStream(&original);

    struct Case {
        const char* what;
        QByteArray data;
    };
    QByteArray otherVersion = bytes;
    const int at = int(otherVersion.indexOf("FieldName"));
    ASSERT_GT(at, 0);
    otherVersion.replace(at, 9, "FieldNamX"); // a property this column class does not have
    QByteArray otherRoot = bytes;
    const int root = int(otherRoot.indexOf("TColumnsWrapper"));
    otherRoot.replace(root, 15, "TColumnsWrappeX");
    const std::vector<Case> cases = {
        {"truncated", bytes.left(bytes.size() / 2)},
        {"empty", QByteArray()},
        {"not a component stream", QByteArray("hello, columns")},
        {"unknown property", otherVersion},
        {"another root class", otherRoot},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TMemoryStream ms;
        if (!c.data.isEmpty()) ms.WriteBuffer(c.data.constData(), Integer(c.data.size()));
        ms.SetPosition(0);
        EXPECT_THROW(Grid->AxisBars()->LoadFromStream(&ms), Exception);
        TMemoryStream after;
        Grid->AxisBars()->SaveToStream(&after);
        EXPECT_EQ(StreamBytes(after), StreamBytes(original));
        EXPECT_EQ(Grid->AxisBars()->Count(), 5);
    }
}

TEST_F(AxisColumnStreamTest, FilesAndMissingFiles) {
    Build(1);
    Customize();
    const QString path = QDir::temp().absoluteFilePath(QStringLiteral("axis_columns_test.bin"));
    Grid->AxisBars()->SaveToFile(path);
    Grid->AxisBars()->SetState(csDefault);
    Grid->AxisBars()->LoadFromFile(path);
    EXPECT_EQ(Grid->AxisBars()->AxisBar(1)->Color(), clYellow);
    QFile::remove(path);
    EXPECT_THROW(Grid->AxisBars()->LoadFromFile(path), Exception);
    EXPECT_EQ(Grid->AxisBars()->AxisBar(1)->Color(), clYellow);
}

TEST_F(AxisColumnStreamTest, GridStreamCarriesCustomizedColumnsOnly) {
    Build(2);
    {
        TMemoryStream ms;
        WriteComponent(&ms, Grid);
        EXPECT_FALSE(StreamText(ms).contains(Grid->GetAxisBarsPropertyName()))
            << "default columns are not stored";
    }
    Customize();
    TMemoryStream ms;
    WriteComponent(&ms, Grid);
    EXPECT_TRUE(StreamBytes(ms).contains(Grid->GetAxisBarsPropertyName().toUtf8()));
    CompPtr<TForm> form2(new TForm(nullptr));
    auto* g2 = Create<TTestAxisGrid>(form2.get());
    g2->SetParent(form2.get());
    g2->SetDataSource(Data->DS);
    ms.SetPosition(0);
    ReadComponent(&ms, g2);
    TGridAxisBarsEh* b = g2->AxisBars();
    ASSERT_EQ(b->Count(), 5);
    EXPECT_EQ(b->State(), csCustomized);
    EXPECT_EQ(b->AxisBar(1)->Title()->Caption(), QStringLiteral("Имя"));
    EXPECT_FALSE(b->AxisBar(3)->Visible());
    EXPECT_EQ(b->AxisBar(1)->Field(), Data->Name);
}
