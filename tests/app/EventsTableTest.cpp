// The interface page's events table as the main window builds and fills it: its fields and
// computed texts, the data source, and the event buttons following the cursor.

#include "AppFixture.h"

#include "events/EventEditUnit.h"

TEST_F(AppTest, EventsTableFieldsAndTexts) {
    TMemTableEh* table = form->ControlEventsMemTableEh;
    ASSERT_TRUE(table->Active());
    EXPECT_EQ(form->ControlEventsDataSource->DataSet(), table);
    std::vector<std::string> names;
    for (int i = 0; i < table->FieldCount(); ++i)
        names.push_back(table->Fields()->Fields(i)->FieldName().toStdString());
    EXPECT_EQ(names, (std::vector<std::string>{"ID", "bt1", "bt2", "bt1String", "Static", "bt2String"}));
    EXPECT_EQ(table->FieldByName(QStringLiteral("bt1String"))->FieldKind(), fkCalculated);
    EXPECT_EQ(form->FindComponent(QStringLiteral("ControlEventsMemTableEhbt2")),
              table->FieldByName(QStringLiteral("bt2")));

    // The texts follow every row and every edit.
    AppendControlEvent(table, 0xA9, 0x85); // condition 21, kind 1, go to event 6
    AppendControlEvent(table, 0x36, 3);    // condition 6, kind 6
    table->First();
    EXPECT_EQ(ControlEventBt1(table), 0xA9);
    EXPECT_EQ(table->FieldByName(QStringLiteral("bt1String"))->AsString(), GetConditionText(21));
    EXPECT_EQ(table->FieldByName(QStringLiteral("Static"))->AsString(), "->");
    EXPECT_EQ(table->FieldByName(QStringLiteral("bt2String"))->AsString(), GetActionText(0xA9, 0x85));
    table->Next();
    EXPECT_EQ(table->FieldByName(QStringLiteral("bt2String"))->AsString(), GetActionText(0x36, 3));
    table->Edit();
    table->FieldByName(QStringLiteral("bt1"))->SetAsInteger(0x0A);
    table->Post();
    EXPECT_EQ(table->FieldByName(QStringLiteral("bt1String"))->AsString(), GetConditionText(1));
    EXPECT_EQ(table->FieldByName(QStringLiteral("bt2String"))->AsString(), GetActionText(0x0A, 3));
    EXPECT_FALSE(table->FieldByName(QStringLiteral("bt1String"))->AsString().isEmpty());
}

// A device read keeps every pair it gets, up to the 128 the block runs (an answer with more is
// refused whole); the buttons follow the cursor through the table's AfterScroll.
TEST_F(AppTest, EventsTableLongReadAndButtons) {
    TAnswerBuffer a3{}, a4{}, a5{}, a2{};
    a3[1] = uint8_t(38 + 200); // 100 pairs after the group
    a4[1] = uint8_t(6 + 200);  // and 100 more
    for (int i = 0; i < 100; ++i) {
        a3[size_t(37 + 2 * i)] = uint8_t(i);
        a4[size_t(6 + 2 * i)] = uint8_t(i);
    }
    a5[1] = 6;
    TMemTableEh* table = form->ControlEventsMemTableEh;
    EXPECT_FALSE(form->ShowInterfaceParams(a3.data(), a4.data(), a5.data(), a2.data()));
    EXPECT_EQ(table->RecordCount(), 0);
    a3[1] = uint8_t(38 + 128); // 64 pairs
    a4[1] = uint8_t(6 + 128);  // and 64 more
    ASSERT_TRUE(form->ShowInterfaceParams(a3.data(), a4.data(), a5.data(), a2.data()));
    ASSERT_EQ(table->RecordCount(), 128);
    EXPECT_EQ(table->RecNo(), 1);
    const std::vector<EventRow> rows = EventRows(table);
    EXPECT_EQ(rows[63], (EventRow{63, 0}));
    EXPECT_EQ(rows[64], (EventRow{0, 0}));
    EXPECT_EQ(rows[127], (EventRow{0, 63}));
    EXPECT_FALSE(form->AddControlEventSpeedButton->Enabled());
    EXPECT_FALSE(form->UpControlEventSpeedButton->Enabled());
    EXPECT_TRUE(form->DownControlEventSpeedButton->Enabled());
    EXPECT_TRUE(form->EditControlEventSpeedButton->Enabled());

    table->SetRecNo(128);
    EXPECT_TRUE(form->UpControlEventSpeedButton->Enabled());
    EXPECT_FALSE(form->DownControlEventSpeedButton->Enabled());
    table->Prior();
    EXPECT_TRUE(form->DownControlEventSpeedButton->Enabled());

    // At 128 rows Add is off; below that it comes back.
    table->First();
    EXPECT_FALSE(form->AddControlEventSpeedButton->Enabled());
    table->Delete();
    EXPECT_TRUE(form->AddControlEventSpeedButton->Enabled());

    // The write still sends only the first 128 rows, 64 to a packet.
    AppendControlEvent(table, 1, 1);
    AppendControlEvent(table, 1, 1);
    uint8_t p[256] = {};
    EXPECT_EQ(form->EncodeControlEvents(p, 1), 129);
    EXPECT_EQ(form->EncodeControlEvents(p, 2), 129);
}
