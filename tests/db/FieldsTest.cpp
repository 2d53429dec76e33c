// Field classes: conversions through the buffers, errors, text and validation events,
// calculated and lookup fields, blobs, definitions and parameters.

#include "db/DbFixture.h"
#include "platform/classes/ComponentStreams.h"

using S = std::vector<String>;

namespace {
String ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (Exception& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}
} // namespace

class Fields : public DbFixture {};

TEST_F(Fields, EveryTypeRoundTripsThroughItsBufferForm) {
    TTestDataSet* t = new TTestDataSet(owner.get());
    struct Case {
        const char* field;
        TFieldType type;
        int size;
        const char* input;
        const char* asString;
        TVarType varType;
    } cases[] = {
        {"S", ftString, 5, "abcdefgh", "abcde", varUString},
        {"W", ftWideString, 10, "Привет", "Привет", varUString},
        {"I", ftInteger, 0, "42", "42", varInteger},
        {"SI", ftSmallint, 0, "-7", "-7", varSmallint},
        {"W2", ftWord, 0, "65535", "65535", varWord},
        {"SH", ftShortint, 0, "-128", "-128", varShortInt},
        {"BT", ftByte, 0, "255", "255", varByte},
        {"LW", ftLongWord, 0, "4000000000", "4000000000", varLongWord},
        {"L", ftLargeint, 0, "9000000000", "9000000000", varInt64},
        {"B", ftBoolean, 0, "t", "True", varBoolean},
        {"F", ftFloat, 0, "1.5", "1.5", varDouble},
        {"C", ftCurrency, 0, "2.25", "2.25", varDouble},
        {"BCD", ftBCD, 4, "12.3456", "12.3456", varCurrency},
        {"FB", ftFMTBcd, 8, "-123.456", "-123.456", varCurrency},
        {"D", ftDate, 0, "03/15/2024", "03/15/2024", varDate},
        {"T", ftTime, 0, "10:20:30", "10:20:30", varDate},
        {"DT", ftDateTime, 0, "03/15/2024 10:20:30", "03/15/2024 10:20:30", varDate},
        {"TS", ftTimeStamp, 0, "03/15/2024 10:20:30", "03/15/2024 10:20:30", varDate},
        {"M", ftMemo, 0, "memo text", "memo text", varString},
        {"WM", ftWideMemo, 0, "широкий", "широкий", varUString},
        {"VB", ftVarBytes, 8, "abc", "abc", varArray | varByte},
        {"V", ftVariant, 0, "anything", "anything", varUString},
    };
    for (const Case& c : cases)
        t->FieldDefs()->Add(c.field, c.type, c.size);
    t->Open();
    t->Append();
    for (const Case& c : cases)
        t->FieldByName(c.field)->SetAsString(QString::fromUtf8(c.input));
    t->Post();
    t->First();
    for (const Case& c : cases) {
        TField* f = t->FieldByName(c.field);
        EXPECT_EQ(f->AsString(), QString::fromUtf8(c.asString)) << c.field;
        EXPECT_EQ(f->Value().VType(), c.varType) << c.field;
        EXPECT_FALSE(f->IsNull()) << c.field;
    }
    EXPECT_EQ(t->FieldByName("I")->AsFloat(), 42.0);
    EXPECT_EQ(t->FieldByName("BCD")->AsCurrency(), Currency::FromScaled(123456));
    EXPECT_EQ(t->FieldByName("D")->AsDateTime(), EncodeDate(2024, 3, 15));
    EXPECT_EQ(t->FieldByName("VB")->AsBytes(), (TBytes{'a', 'b', 'c'}));
    EXPECT_EQ(t->FieldByName("M")->DisplayText(), "(MEMO)");
    EXPECT_TRUE(t->FieldByName("M")->IsBlob());
    EXPECT_EQ(t->FieldByName("B")->AsInteger(), 1);

    t->Edit();
    for (const Case& c : cases)
        t->FieldByName(c.field)->Clear();
    t->FieldByName("I")->SetAsString("  ");
    t->Post();
    for (const Case& c : cases) {
        EXPECT_TRUE(t->FieldByName(c.field)->IsNull()) << c.field;
        EXPECT_TRUE(VarIsNull(t->FieldByName(c.field)->Value())) << c.field;
    }
    EXPECT_EQ(t->FieldByName("M")->DisplayText(), "(Memo)");
}

// A data set may lend the Variants it stores instead of filling the field's buffer: every
// getter must read exactly what the buffer would have given, errors included.
TEST_F(Fields, LentStoredValuesReadAsThroughTheBuffer) {
    struct Case {
        TFieldType type;
        int size;
        Variant stored;
    } cases[] = {
        {ftString, 5, String("abc")},
        {ftString, 5, String("abcdefgh")},                   // truncated
        {ftString, 5, String("abcde")},                      // exactly fits
        {ftString, 8, String("Привет")},                     // through the code page
        {ftString, 8, String::fromUtf8("a\u20ACb")},         // a code-page character above 0x7F
        {ftString, 8, String::fromUtf8("a\u4E2Db")},         // none in the code page
        {ftString, 8, QStringView(u"ab\0cd", 5).toString()}, // zero-terminated
        {ftString, 8, String("")},
        {ftString, 8, AnsiString("xyz")},
        {ftString, 8, AnsiString("\xC0\xC1z")},
        {ftString, 8, 42},
        {ftFixedChar, 6, String("ab  ")},
        {ftInteger, 0, 42},
        {ftInteger, 0, String("17")},
        {ftInteger, 0, String("x")},
        {ftInteger, 0, 3.7},
        {ftInteger, 0, Variant((long long)5000000000)},
        {ftSmallint, 0, 70000},
        {ftWord, 0, -1},
        {ftLargeint, 0, Variant((long long)9000000000)},
        {ftShortint, 0, 300},
        {ftByte, 0, 300},
        {ftBoolean, 0, true},
        {ftFloat, 0, 1.5},
        {ftFloat, 0, String("2.25")},
        {ftFloat, 0, 3},
        {ftCurrency, 0, Currency::FromScaled(12345)},
    };
    auto describe = [](TField* f) {
        String out;
        const std::vector<std::function<String()>> reads = {
            [f] { return f->AsString(); },
            [f] {
                const Variant v = f->Value();
                return VarTypeAsText(v.VType()) + ":" + VarToStr(v);
            },
            [f] { return FloatToStr(f->AsFloat()); },
            [f] { return IntToStr(f->AsLargeInt()); },
            [f] { return IntToStr(f->AsInteger()); },
        };
        for (const auto& read : reads)
            out += "|" + ErrorOf([&] { out += read(); });
        return out;
    };
    int n = 0;
    for (const Case& c : cases) {
        TTestDataSet* sets[2] = {new TTestDataSet(owner.get()), new TTestDataSet(owner.get())};
        sets[1]->LendValues = true;
        for (TTestDataSet* t : sets) {
            t->FieldDefs()->Add("F", c.type, c.size);
            t->AddRecord({c.stored});
            t->Open();
        }
        EXPECT_EQ(describe(sets[1]->Fields()->Fields(0)), describe(sets[0]->Fields()->Fields(0)))
            << "case " << n << ": " << c.stored;
        EXPECT_GT(sets[1]->LentCount, 0) << "case " << n;
        ++n;
    }
}

TEST_F(Fields, BadTextsAndOutOfRangeValuesFailWithThePlatformsTexts) {
    TTestDataSet* t = new TTestDataSet(owner.get());
    t->FieldDefs()->Add("I", ftInteger);
    t->FieldDefs()->Add("SI", ftSmallint);
    t->FieldDefs()->Add("BT", ftByte);
    t->FieldDefs()->Add("B", ftBoolean);
    t->FieldDefs()->Add("F", ftFloat);
    t->Open();
    t->Append();
    struct Case {
        const char* field;
        const char* input;
        const char* message;
    } cases[] = {
        {"I", "abc", "'abc' is not a valid integer value for field 'I'"},
        {"SI", "40000", "40000 is not a valid value for field 'SI'. The allowed range is -32768 to 32767"},
        {"BT", "-1", "-1 is not a valid value for field 'BT'. The allowed range is 0 to 255"},
        {"B", "maybe", "'maybe' is not a valid boolean value for field 'B'"},
        {"F", "x1", "'x1' is not a valid floating point value for field 'F'"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf([&] { t->FieldByName(c.field)->SetAsString(c.input); }),
                  QString::fromUtf8(c.message));
        EXPECT_TRUE(t->FieldByName(c.field)->IsNull()) << c.field;
    }
    auto* i = static_cast<TIntegerField*>(t->FieldByName("I"));
    i->SetMinValue(1);
    i->SetMaxValue(10);
    EXPECT_EQ(ErrorOf([&] { i->SetAsInteger(11); }),
              "11 is not a valid value for field 'I'. The allowed range is 1 to 10");
    EXPECT_EQ(ErrorOf([&] { t->FieldByName("B")->AsDateTime(); }),
              "Cannot access field 'B' as type DateTime");
}

TEST_F(Fields, TextEventsDisplayFormatsAndBooleanDisplayValues) {
    Fill(1);
    ds->Open();
    auto* price = static_cast<TFloatField*>(ds->FieldByName("Price"));
    price->SetDisplayFormat("0.00");
    EXPECT_EQ(price->DisplayText(), "1.50");
    EXPECT_EQ(price->Text(), "1.50"); // without an edit format the display format serves
    price->SetEditFormat("0.0##");
    EXPECT_EQ(price->Text(), "1.5");
    EXPECT_EQ(price->Alignment(), taRightJustify);

    TField* name = ds->FieldByName("Name");
    name->OnGetText = TFieldGetTextEvent::Callable([](TField* f, String& text, bool display) {
        text = (display ? "<" : "[") + f->AsString() + (display ? ">" : "]");
    });
    EXPECT_EQ(name->DisplayText(), "<N1>");
    EXPECT_EQ(name->Text(), "[N1]");
    S written;
    name->OnSetText = TFieldSetTextEvent::Callable([&](TField* f, const String& text) {
        written.push_back(text);
        f->SetAsString(text.toUpper());
    });
    ds->Edit();
    name->SetText("abc");
    EXPECT_EQ(written, S{"abc"});
    EXPECT_EQ(name->AsString(), "ABC");
    ds->Cancel();

    auto* b = new TBooleanField(owner.get());
    b->SetDisplayValues("Yes;No");
    EXPECT_EQ(b->DisplayWidth(), 3);
    TTestDataSet* t = new TTestDataSet(owner.get());
    t->FieldDefs()->Add("B", ftBoolean);
    b->SetFieldName("B");
    b->SetDataSet(t);
    t->Open();
    t->Append();
    b->SetAsString("n");
    EXPECT_FALSE(b->AsBoolean());
    EXPECT_EQ(b->AsString(), "No");
    b->SetAsString("YE");
    EXPECT_EQ(b->DisplayText(), "Yes");
}

TEST_F(Fields, ValidateSeesTheNewValueAndCanRejectItAndChangeFollows) {
    Fill(1);
    ds->Open();
    TField* qty = ds->FieldByName("Qty");
    S log;
    qty->OnValidate = TFieldNotifyEvent::Callable([&](TField* f) {
        log.push_back("validate " + f->AsString());
        if (f->AsInteger() < 0) DatabaseError("negative");
    });
    qty->OnChange = TFieldNotifyEvent::Callable([&](TField* f) { log.push_back("change " + f->AsString()); });
    ds->Edit();
    qty->SetAsInteger(5);
    EXPECT_EQ(ErrorOf([&] { qty->SetAsInteger(-1); }), "negative");
    EXPECT_EQ(qty->AsInteger(), 5);
    EXPECT_EQ(log, (S{"validate 5", "change 5", "validate -1"}));
    EXPECT_TRUE(ds->Modified());
}

TEST_F(Fields, IndexReordersTheFieldsAndTellsTheControls) {
    Fill(1);
    TRecordingLink* grid = Link(1);
    ds->Open();
    grid->Log.clear();
    TField* price = ds->FieldByName("Price");
    price->SetIndex(0);
    EXPECT_EQ(ds->Fields()->Fields(0), price);
    EXPECT_EQ(ds->FieldByName("ID")->Index(), 1);
    EXPECT_EQ(grid->Log, S{"layout"});
    price->SetIndex(99);
    EXPECT_EQ(price->Index(), 3);
    price->SetDisplayLabel("Cost");
    EXPECT_EQ(price->DisplayName(), "Cost");
    price->SetDisplayLabel("Price");
    EXPECT_EQ(price->DisplayLabel(), "Price");
    EXPECT_TRUE(ds->FieldByName("Qty")->IsValidChar(u'5'));
    EXPECT_FALSE(ds->FieldByName("Qty")->IsValidChar(u'a'));
    EXPECT_TRUE(ds->FieldByName("Name")->IsValidChar(QChar(0x0416)));
    EXPECT_TRUE(ds->FieldByName("Qty")->CanModify());
}

class CalcFields : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        for (int i = 0; i < ds->FieldDefs()->Count(); ++i)
            ds->FieldDefs()->Items(i)->CreateField(ds);
        total = new TFloatField(ds);
        total->SetFieldName("Total");
        total->SetFieldKind(fkCalculated);
        total->SetDataSet(ds);
        ds->OnCalcFields = TDataSetNotifyEvent::Callable([this](TDataSet* d) {
            ++calcCount;
            EXPECT_TRUE(d->State() == dsCalcFields || d->State() == dsEdit || d->State() == dsInsert);
            TField* q = d->FieldByName("Qty");
            TField* p = d->FieldByName("Price");
            if (!q->IsNull() && !p->IsNull()) total->SetAsFloat(q->AsFloat() * p->AsFloat());
        });
    }
    TFloatField* total = nullptr;
    int calcCount = 0;
};

TEST_F(CalcFields, FollowTheRecordAndTheEditedValues) {
    Fill(3);
    ds->Open();
    EXPECT_FALSE(ds->DefaultFields());
    EXPECT_EQ(total->AsFloat(), 15.0); // 10 * 1.5
    ds->Next();
    EXPECT_EQ(total->AsFloat(), 60.0); // 20 * 3.0
    EXPECT_FALSE(total->CanModify());
    EXPECT_LT(total->FieldNo(), 0);

    ds->Edit();
    ds->FieldByName("Qty")->SetAsInteger(100);
    EXPECT_EQ(total->AsFloat(), 300.0); // recalculated while editing

    ds->SetAutoCalcFields(false);
    ds->FieldByName("Qty")->SetAsInteger(200);
    EXPECT_EQ(total->AsFloat(), 300.0);
    ds->Post();
    EXPECT_EQ(total->AsFloat(), 600.0);

    ds->Append();
    EXPECT_TRUE(total->IsNull());
    ds->Cancel();
    EXPECT_GT(calcCount, 0);
}

TEST_F(CalcFields, LookupFieldsReadTheirResultFromAnotherDataSet) {
    auto* names = new TTestDataSet(owner.get());
    names->SetName("Names");
    names->FieldDefs()->Add("Key", ftInteger);
    names->FieldDefs()->Add("Text", ftString, 10);
    names->AddRecord({10, QStringLiteral("ten")});
    names->AddRecord({20, QStringLiteral("twenty")});
    names->Open();

    auto* look = new TStringField(ds);
    look->SetFieldName("QtyText");
    look->SetFieldKind(fkLookup);
    look->SetDataSet(ds);
    Fill(3);
    EXPECT_EQ(ErrorOf([&] { ds->Open(); }), "T1: Lookup information for field 'QtyText' is incomplete");
    EXPECT_FALSE(ds->Active());

    look->SetLookupDataSet(names);
    look->SetKeyFields("Qty");
    look->SetLookupKeyFields("Key");
    look->SetLookupResultField("Text");
    ds->Open();
    EXPECT_EQ(look->AsString(), "ten");
    ds->Next();
    EXPECT_EQ(look->AsString(), "twenty");
    ds->Next();
    EXPECT_TRUE(look->IsNull());

    look->SetLookupCache(true);
    ds->Close();
    ds->Open();
    EXPECT_EQ(look->LookupList()->Count(), 2);
    ds->Next();
    EXPECT_EQ(look->AsString(), "twenty");

    ds->Close();
    names->Free(); // the field forgets its lookup data set
    EXPECT_EQ(look->LookupDataSet(), nullptr);
}

TEST_F(Fields, BlobStreamsReadAndWriteTheFieldsBytes) {
    TTestDataSet* t = new TTestDataSet(owner.get());
    t->FieldDefs()->Add("Data", ftBlob);
    t->FieldDefs()->Add("Note", ftMemo);
    t->Open();
    t->Append();
    {
        std::unique_ptr<TStream> s(t->CreateBlobStream(t->FieldByName("Data"), bmWrite));
        const char bytes[] = {1, 2, 3, 0, 5};
        s->WriteBuffer(bytes, 5);
    }
    t->FieldByName("Note")->SetAsString("hello");
    t->Post();
    EXPECT_EQ(t->FieldByName("Data")->AsBytes(), (TBytes{1, 2, 3, 0, 5}));
    EXPECT_EQ(static_cast<TBlobField*>(t->FieldByName("Data"))->BlobSize(), 5);
    std::unique_ptr<TStream> r(t->CreateBlobStream(t->FieldByName("Note"), bmRead));
    char buf[8] = {};
    EXPECT_EQ(r->Read(buf, 8), 5);
    EXPECT_EQ(QByteArray(buf), "hello");
    EXPECT_THROW(r->WriteBuffer(buf, 1), EStreamError);
    EXPECT_EQ(ErrorOf([&] { t->CreateBlobStream(t->FieldByName("Note"), bmWrite); }),
              "Dataset not in edit or insert mode");
}

TEST_F(Fields, DefinitionsIndexesAndParameters) {
    EXPECT_EQ(ErrorOf([&] { ds->FieldDefs()->Add("id", ftInteger); }),
              "T1: Duplicate name 'id' in TFieldDefs");
    EXPECT_EQ(ds->FieldDefs()->Count(), 4);
    EXPECT_EQ(ds->FieldDefs()->Find("price")->DataType(), ftFloat);
    EXPECT_EQ(ErrorOf([&] { ds->FieldDefs()->Find("x"); }), "T1: Field 'x' not found");
    EXPECT_EQ(ds->FieldDefList()->Count(), 4);

    TIndexDefs* ix = ds->IndexDefs();
    ix->Add("ByName", "Name;ID", {ixCaseInsensitive});
    ix->Add("Primary", "ID", {ixPrimary, ixUnique});
    EXPECT_EQ(ix->GetIndexForFields("ID", false)->Name(), "Primary");
    EXPECT_EQ(ix->GetIndexForFields("name", true)->Name(), "ByName");
    EXPECT_EQ(ix->GetIndexForFields("ID", true), nullptr);
    EXPECT_EQ(ErrorOf([&] { ix->FindIndexForFields("Qty"); }), "T1: No index for fields 'Qty'");
    EXPECT_EQ(ErrorOf([&] { ix->Add("primary", "Qty", {}); }), "T1: Duplicate index name 'primary'");

    TParams params;
    params.CreateParam(ftInteger, "A", ptInput)->SetValue(Variant(5));
    params.CreateParam(ftUnknown, "B", ptInput)->SetAsString("x");
    EXPECT_EQ(params.ParamByName("a")->AsInteger(), 5);
    const Variant both = params.ParamValues("A;B");
    EXPECT_EQ(both.ArrayGet({1}).AsString(), "x");
    EXPECT_EQ(ErrorOf([&] { params.ParamByName("C"); }), "Parameter 'C' not found");
    TParams other;
    other.CreateParam(ftInteger, "A", ptInput)->SetValue(Variant(9));
    params.AssignValues(&other);
    EXPECT_EQ(params.ParamByName("A")->AsInteger(), 9);
    EXPECT_FALSE(params.IsEqual(&other));
}

TEST(DBTypes, FieldTypeOrderNamesAndDefaultClasses) {
    EXPECT_EQ(int(ftFMTBcd), 37);
    EXPECT_EQ(int(ftWideMemo), 39);
    EXPECT_EQ(int(ftSingle), 51);
    EXPECT_EQ(FieldTypeName(ftWideMemo), "WideMemo");
    EXPECT_EQ(FieldTypeName(ftDBaseOle), "dBaseOle");
    EXPECT_EQ(DefaultFieldClass(ftUnknown), nullptr);
    EXPECT_EQ(DefaultFieldClass(ftOraClob)->ClassName(), "TMemoField");
    EXPECT_EQ(DefaultFieldClass(ftAutoInc)->ClassName(), "TAutoIncField");
    EXPECT_EQ(DefaultFieldClass(ftFixedWideChar)->ClassName(), "TWideStringField");
    EXPECT_TRUE(dsInactive < dsBrowse && dsBrowse < dsEdit);

    const TBcd b = StrToBcd("-0012.3400");
    EXPECT_EQ(BcdToStr(b), "-12.34");
    Currency c;
    ASSERT_TRUE(BCDToCurr(b, c));
    EXPECT_EQ(c, Currency::FromScaled(-123400));
    EXPECT_EQ(BcdToStr(CurrToBCD(Currency::FromScaled(50001))), "5.0001");
    EXPECT_FALSE(BCDToCurr(StrToBcd("99999999999999999999"), c));
    const TDateTime d = EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 58, 250);
    EXPECT_DOUBLE_EQ(TimeStampToDateTime(DateTimeToTimeStamp(d)), d);
    EXPECT_DOUBLE_EQ(SQLTimeStampToDateTime(DateTimeToSQLTimeStamp(d)), d);
    EXPECT_EQ(DateTimeToTimeStamp(0).Date, 693594);
}

TEST(DBErrors, ThePrefixNamesANamedComponentOnly) {
    TComponent named(nullptr);
    named.SetName("Table1");
    TComponent unnamed(nullptr);
    EXPECT_EQ(ErrorOf([&] { DatabaseError("Record not found", &named); }), "Table1: Record not found");
    EXPECT_EQ(ErrorOf([&] { DatabaseError("Record not found", &unnamed); }), "Record not found");
    EXPECT_EQ(ErrorOf([&] { DatabaseErrorFmt("Field '%s' not found", {"X"}, &named); }),
              "Table1: Field 'X' not found");
}

TEST(FieldStreaming, PersistentFieldsStreamTheirPublishedProperties) {
    TComponent owner(nullptr);
    auto* f = new TFloatField(&owner);
    f->SetName("T1Price");
    f->SetFieldName("Price");
    f->SetDisplayLabel("Cost");
    f->SetCurrency(true);
    f->SetVisible(false);
    TMemoryStream bin;
    WriteComponent(&bin, f);
    bin.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(&bin, &text);
    const QByteArray t(static_cast<const char*>(text.Memory()), int(text.Size()));
    EXPECT_TRUE(t.startsWith("object T1Price: TFloatField")) << t.constData();
    EXPECT_TRUE(t.contains("currency = True")) << t.constData();
    EXPECT_TRUE(t.contains("DisplayLabel = 'Cost'")) << t.constData();
    EXPECT_TRUE(t.contains("FieldName = 'Price'")) << t.constData();
    EXPECT_TRUE(t.contains("Visible = False")) << t.constData();
    EXPECT_FALSE(t.contains("Precision")) << t.constData();
    EXPECT_FALSE(t.contains("Alignment")) << t.constData();

    bin.SetPosition(0);
    TComponent* read = ReadComponent(&bin, nullptr);
    ASSERT_NE(read, nullptr);
    auto* g = dynamic_cast<TFloatField*>(read);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->FieldName(), "Price");
    EXPECT_EQ(g->DisplayLabel(), "Cost");
    EXPECT_TRUE(g->currency());
    EXPECT_FALSE(g->Visible());
    read->Free();
}
