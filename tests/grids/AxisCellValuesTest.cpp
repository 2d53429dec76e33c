// What a column's cell shows and how stepped, clicked and typed values reach the field.

#include "AxisGridFixture.h"

#include "platform/ui/ImgList.h"

class AxisCellValuesTest : public AxisGridFixture {
protected:
    TAxisBarEh* Column(const char* field) { return Grid->FindFieldColumn(QString::fromLatin1(field)); }
    void Keys(TAxisBarEh* c, std::initializer_list<const char*> keys,
              std::initializer_list<const char*> picks) {
        c->KeyList()->Clear();
        for (const char* k : keys)
            c->KeyList()->Add(QString::fromUtf8(k));
        c->PickList()->Clear();
        for (const char* p : picks)
            c->PickList()->Add(QString::fromUtf8(p));
    }
};

TEST(AxisListValueTest, MatchesListValue) {
    struct Case {
        const char* list;
        const char* text;
        bool match;
    };
    const Case cases[] = {
        {"", "", true},    {"Y;1", "1", true}, {"Y;1", "y", true}, {"Y;1", "N", false},  {"Y;", "", true},
        {"Y;", "Y", true}, {"Y", "", false},   {"N;0", "0", true}, {"Да;д", "ДА", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesListValue(QString::fromUtf8(c.list), QString::fromUtf8(c.text)), c.match)
            << c.list << " / " << c.text;
}

TEST_F(AxisCellValuesTest, ColumnTypes) {
    Build(2);
    Grid->AxisBars()->SetState(csCustomized);
    TAxisBarEh* code = Column("Code");
    EXPECT_EQ(code->GetColumnType(), ctCommon);
    code->PickList()->Add(QStringLiteral("x"));
    EXPECT_EQ(code->GetColumnType(), ctPickList);
    code->KeyList()->Add(QStringLiteral("A"));
    EXPECT_EQ(code->GetColumnType(), ctKeyPickList);
    EXPECT_EQ(Column("Flag")->GetColumnType(), ctCheckboxes) << "a Boolean field shows check boxes";
    EXPECT_FALSE(Column("Flag")->TextEditing());
    EXPECT_TRUE(Column("Name")->TextEditing());
}

TEST_F(AxisCellValuesTest, CheckboxesOverCodedText) {
    Build(1);
    Grid->AxisBars()->SetState(csCustomized);
    TAxisBarEh* c = Column("Code");
    c->SetCheckboxes(true);
    Keys(c, {"Y;1", "N;0"}, {});
    struct Case {
        const char* text;
        TCheckBoxState state;
    };
    for (const Case& k :
         {Case{"1", cbChecked}, Case{"0", cbUnchecked}, Case{"X", cbGrayed}, Case{"Y", cbChecked}}) {
        Data->T->Edit();
        Data->Code->SetAsString(QString::fromLatin1(k.text));
        Data->T->Post();
        EXPECT_EQ(c->CheckboxState(), k.state) << k.text;
    }
    Data->T->Edit();
    c->SetCheckboxState(cbChecked);
    EXPECT_EQ(Data->Code->AsString(), QStringLiteral("Y")) << "only the part before the first ';'";
    c->SetCheckboxState(cbUnchecked);
    EXPECT_EQ(Data->Code->AsString(), QStringLiteral("N"));
    Data->T->Post();

    Keys(c, {"Y;"}, {});
    Data->T->Edit();
    Data->Code->Clear();
    Data->T->Post();
    EXPECT_EQ(c->CheckboxState(), cbChecked) << "a trailing ';' matches empty text";
}

TEST_F(AxisCellValuesTest, NumericCheckboxesAndStepping) {
    Build(1);
    Grid->AxisBars()->SetState(csCustomized);
    TAxisBarEh* c = Column("Amount");
    c->SetCheckboxes(true);
    Data->T->Edit();
    Data->Amount->SetAsInteger(2);
    EXPECT_EQ(c->CheckboxState(), cbUnchecked);
    Data->Amount->Clear();
    EXPECT_EQ(c->CheckboxState(), cbGrayed);
    Data->T->Post();
    c->CycleValue(1.0L);
    EXPECT_EQ(c->CheckboxState(), cbChecked) << "a grayed box steps to checked";
    EXPECT_EQ(Data->Amount->AsInteger(), 1);
    Data->T->Post();

    // A Null integer steps forward to 0, not 1.
    c->SetCheckboxes(false);
    Data->T->Edit();
    Data->Amount->Clear();
    Data->T->Post();
    c->CycleValue(1.0L);
    EXPECT_EQ(Data->Amount->AsInteger(), 0);
    EXPECT_FALSE(Data->Amount->IsNull());
    c->CycleValue(-1.0L);
    EXPECT_EQ(Data->Amount->AsInteger(), -1);
    c->CycleValue(2.5L);
    EXPECT_EQ(Data->Amount->AsInteger(), 2) << "1.5 rounds into the integer field";
    Data->T->Post();
}

TEST_F(AxisCellValuesTest, KeyPickListTextsAndWrapping) {
    Build(1);
    Grid->AxisBars()->SetState(csCustomized);
    TAxisBarEh* c = Column("Code");
    Keys(c, {"A", "B", "C"}, {"Альфа", "Бета", "Гамма"});
    Data->T->Edit();
    Data->Code->SetAsString(QStringLiteral("B"));
    Data->T->Post();
    EXPECT_EQ(c->DisplayText(), QStringLiteral("Бета"));
    EXPECT_EQ(c->EditText(), QStringLiteral("Бета"));
    Data->T->Edit();
    Data->Code->SetAsString(QStringLiteral("Z"));
    EXPECT_EQ(c->DisplayText(), QString());
    c->SetNotInKeyListIndex(2);
    EXPECT_EQ(c->DisplayText(), QStringLiteral("Гамма"));
    Data->Code->SetAsString(QStringLiteral("C"));
    Data->T->Post();

    c->CycleValue(1.0L);
    EXPECT_EQ(Data->Code->AsString(), QStringLiteral("A")) << "forward from the last key wraps";
    c->CycleValue(-1.0L);
    EXPECT_EQ(Data->Code->AsString(), QStringLiteral("C")) << "backward from the first key wraps";
    Data->T->Post();
}

TEST_F(AxisCellValuesTest, ImageIndexFromKeyList) {
    Build(1);
    Grid->AxisBars()->SetState(csCustomized);
    TAxisBarEh* c = Column("Code");
    CompPtr<TCustomImageList> images(Create<TCustomImageList>(nullptr));
    c->SetImageList(images.get());
    Keys(c, {"A", "B", "C"}, {});
    c->SetNotInKeyListIndex(7);
    EXPECT_EQ(c->GetColumnType(), ctKeyImageList);
    Data->T->Edit();
    Data->Code->SetAsString(QStringLiteral("C"));
    EXPECT_EQ(c->GetImageIndex(), 2);
    Data->Code->SetAsString(QStringLiteral("Q"));
    EXPECT_EQ(c->GetImageIndex(), 7);
    Data->T->Cancel();
    EXPECT_EQ(c->DisplayText(), QString()) << "an image column shows no text";
    c->SetImageList(nullptr);
}

TEST_F(AxisCellValuesTest, DropDownFilterText) {
    Build(3);
    Grid->AxisBars()->SetState(csCustomized);
    TAxisBarEh* c = Column("Name");
    AxisTable list(2);
    c->DropDownBox()->SetListSource(list.DS);
    c->DropDownBoxApplyTextFilter(list.T, QStringLiteral("Name"), QStringLiteral("O'Neil"), lsftContainsEh);
    EXPECT_EQ(list.T->Filter(), QStringLiteral("[Name] like '%O''Neil%'"));
    EXPECT_TRUE(list.T->Filtered());
    c->DropDownBoxApplyTextFilter(list.T, QStringLiteral("Name"), QStringLiteral("Na"), lsftBeginsWithEh);
    EXPECT_EQ(list.T->Filter(), QStringLiteral("[Name] like 'Na%'"));
    EXPECT_EQ(list.T->RecordCount(), 2);
    c->DropDownBoxApplyTextFilter(list.T, QStringLiteral("Name"), QString(), lsftBeginsWithEh);
    EXPECT_EQ(list.T->Filter(), QString());
    EXPECT_TRUE(list.T->Filtered()) << "an empty text leaves Filtered alone";
    c->DropDownBox()->SetListSource(nullptr);
    EXPECT_EQ(c->DropDownBox()->GetLikeWildcardForSeveralCharacters(), QStringLiteral("*"));
}

TEST_F(AxisCellValuesTest, CanModifyFollowsGridLinkColumnAndHook) {
    Build(2);
    Grid->AxisBars()->SetState(csCustomized);
    TTestAxisColumn* c = static_cast<TTestAxisColumn*>(Column("Name"));
    EXPECT_TRUE(c->CanModify(false));
    Grid->SetReadOnly(true);
    EXPECT_FALSE(c->CanModify(false));
    Grid->SetReadOnly(false);
    c->SetReadOnly(true);
    EXPECT_FALSE(c->CanModify(false));
    c->SetReadOnly(false);
    c->OnParams = [](bool editMode, TAxisColCellParamsEh* p) {
        if (editMode) p->SetReadOnly(true);
    };
    EXPECT_FALSE(c->CanModify(false)) << "the cell-parameter hook has the last word";
    c->OnParams = nullptr;
    Grid->SetAllowedOperations({alopInsertEh});
    EXPECT_FALSE(c->CanModify(false));
    Grid->SetAllowedOperations({alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh});
    EXPECT_TRUE(c->CanModify(true));
    EXPECT_EQ(Data->T->State(), dsEdit);
    EXPECT_TRUE(Grid->DataLink()->IsModified());
    Data->T->Cancel();
}

TEST_F(AxisCellValuesTest, FormatFieldValueByKind) {
    Build(1);
    EXPECT_EQ(FormatFieldValue(Data->Amount, QString()), QStringLiteral("10"));
    EXPECT_EQ(FormatFieldValue(Data->Amount, QStringLiteral("000.0")), QStringLiteral("010.0"));
    EXPECT_EQ(FormatFieldValue(Data->Name, QStringLiteral("xx")), QString()) << "no format for text";
    Data->T->Edit();
    Data->Amount->Clear();
    EXPECT_EQ(FormatFieldValue(Data->Amount, QStringLiteral("0")), QString());
    Data->T->Cancel();
}

// A lookup column: the orders' customer id shown as the customer's name from a second table.
TEST(AxisLookupTest, TextsKeysStepsAndWriting) {
    AxisTable customers(3); // ID 1..3, Name "Name 1".."Name 3"
    CompPtr<TComponent> owner(Create<TComponent>(nullptr));
    auto* orders = Create<TMemTableEh>(owner.get());
    auto* id = Create<TIntegerField>(owner.get());
    id->SetFieldName(QStringLiteral("Cust"));
    id->SetDataSet(orders);
    auto* look = Create<TStringField>(owner.get());
    look->SetFieldName(QStringLiteral("CustName"));
    look->SetSize(20);
    look->SetFieldKind(fkLookup);
    look->SetLookupDataSet(customers.T);
    look->SetLookupKeyFields(QStringLiteral("ID"));
    look->SetLookupResultField(QStringLiteral("Name"));
    look->SetKeyFields(QStringLiteral("Cust"));
    look->SetDataSet(orders);
    orders->CreateDataSet();
    orders->Append();
    id->SetAsInteger(2);
    orders->Post();
    auto* src = Create<TDataSource>(owner.get());
    src->SetDataSet(orders);

    CompPtr<TForm> form(new TForm(nullptr));
    auto* grid = Create<TTestAxisGrid>(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 300, 120);
    grid->SetDataSource(src);
    TAxisBarEh* c = grid->FindFieldColumn(QStringLiteral("CustName"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetColumnType(), ctLookupField);
    EXPECT_EQ(c->DisplayText(), QStringLiteral("Name 2"));
    EXPECT_EQ(c->LookupDisplayFields(), QStringLiteral("Name"));
    EXPECT_TRUE(c->LookupKeyExists());

    grid->SetSelectedIndex(c->Index());
    EXPECT_EQ(c->GetCellEditText(), QStringLiteral("Name 2"));
    EXPECT_EQ(grid->EditKeyValue().AsInteger(), 2);

    // Stepping walks the list and wraps at its end.
    c->CycleValue(1.0L);
    EXPECT_EQ(id->AsInteger(), 3);
    c->CycleValue(1.0L);
    EXPECT_EQ(id->AsInteger(), 1);
    orders->Post();

    // The editor's key value reaches the key field through the grid's update.
    ASSERT_TRUE(grid->PrepareCellEditPublic());
    grid->SetEditKeyValue(Variant(3));
    grid->SetEditTextValue(QStringLiteral("Name 3"));
    grid->DataLink()->UpdateData();
    orders->Post();
    EXPECT_EQ(id->AsInteger(), 3);
    EXPECT_EQ(look->AsString(), QStringLiteral("Name 3"));

    // A special row stands for a key that is not in the list.
    c->DropDownSpecRow()->SetCellsText(QStringLiteral("(нет)"));
    c->DropDownSpecRow()->SetValue(Variant(0));
    c->DropDownSpecRow()->SetVisible(true);
    orders->Edit();
    id->SetAsInteger(0);
    orders->Post();
    EXPECT_EQ(c->DisplayText(), QStringLiteral("(нет)"));
    EXPECT_EQ(c->GetCellEditText(), QStringLiteral("(нет)"));
    EXPECT_EQ(grid->EditKeyValue().AsInteger(), 0);
}
