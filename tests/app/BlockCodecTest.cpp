// Decoding answers into the pages and encoding the pages into payloads, byte by byte, against
// the layouts of the device's parameter groups.

#include "AppFixture.h"

#include <cstring>

namespace {

// An answer frame: start, length, address, marker, status, then data from offset 5.
TAnswerBuffer Answer(uint8_t status, std::initializer_list<std::pair<int, uint8_t>> bytes, int length = 255) {
    TAnswerBuffer a{};
    a[0] = 0xAA;
    a[1] = uint8_t(length);
    a[3] = 0xA1;
    a[4] = status;
    for (auto [at, v] : bytes)
        a[size_t(at)] = v;
    return a;
}

} // namespace

TEST_F(AppTest, GasAnalyserFieldsBothWays) {
    TAnswerBuffer a3 = Answer(0x3C, {{5, 0x01},
                                     {6, 0x23},
                                     {7, 0x81},
                                     {8, 30},
                                     {9, 0xE8},
                                     {10, 0x03},
                                     {11, 15},
                                     {12, 3},
                                     {13, 5},
                                     {14, 40},
                                     {15, 7},
                                     {16, 0x00}});
    TAnswerBuffer a2 =
        Answer(0x2C, {{5, 0x12}, {6, 0x34}, {7, 0x56}, {8, 0x78}, {9, 0x05}, {10, 0x03}, {11, 0x24}});
    TAnswerBuffer a1 = Answer(0x1C, {{5, 0x31}, {6, 0x12}, {7, 0x23}, {8, 0x23}, {9, 0x59}});
    TAnswerBuffer a6 = Answer(0x6C, {{5, 0x01}, {6, 0x02}, {7, 0x24}, {8, 0}});
    uint8_t texts[256] = {};
    std::memcpy(texts, "ABC             ", 16);
    ASSERT_TRUE(form->ShowGasAnalyserParams(a3.data(), a2.data(), texts, a1.data(), a6.data()));
    EXPECT_EQ(T(form->DevFWLabeledEdit), "1.23");
    EXPECT_EQ(T(form->DevSerialLabeledEdit), "345678");
    EXPECT_EQ(T(form->DevDateLabeledEdit), "05.03.2024");
    EXPECT_EQ(T(form->DevTimeLabeledEdit), "31.12.2023 23:59");
    EXPECT_EQ(T(form->DevPulseLabeledEdit), "1000");
    EXPECT_EQ(T(form->DevResTimeoutLabeledEdit), "0.7");
    EXPECT_EQ(form->VerifyWarnComboBox->ItemIndex(), -1);
    EXPECT_TRUE(form->DevDispOnCheckBox->Checked());
    EXPECT_TRUE(form->DevTestBreakCheckBox->Checked());
    EXPECT_EQ(T(form->DevText1Part1Edit), "ABC");

    uint8_t p[256] = {};
    ASSERT_EQ(form->EncodeGasAnalyserParams(p), 13);
    const uint8_t expected[13] = {0xD3, 0x01, 0x23, 0x81, 30, 0xE8, 0x03, 15, 3, 5, 40, 5, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(p, p + 13), std::vector<uint8_t>(expected, expected + 13)); // 0.7 s -> 5
    ASSERT_EQ(form->EncodeGasAnalyserInterval(p), 2);
    EXPECT_EQ(p[1], 0);
    ASSERT_EQ(form->EncodeGasAnalyserTexts(p), 136);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p), 18), std::string("\xD4\x00"
                                                                       "ABC             ",
                                                                       18));

    struct Case {
        const char* fw;
        uint8_t b1, b2;
    };
    for (const Case& c : {Case{"", 0x01, 0x00}, Case{"10.00", 0x10, 0x00}, Case{"0.07", 0x00, 0x07}}) {
        form->DevFWLabeledEdit->SetText(QString::fromLatin1(c.fw));
        ASSERT_EQ(form->EncodeGasAnalyserParams(p), 13);
        EXPECT_EQ(p[1], c.b1) << c.fw;
        EXPECT_EQ(p[2], c.b2) << c.fw;
    }
    struct Blow {
        const char* text;
        int tenths; // -1: refused
    };
    for (const Blow& b : {Blow{"1.24", 10}, Blow{"1.25", 15}, Blow{"0.7", 5}, Blow{"25.5", 255},
                          Blow{"30", -1}, Blow{"-1", -1}, Blow{"1,5", -1}}) {
        form->DevResTimeoutLabeledEdit->SetText(QString::fromLatin1(b.text));
        form->DevResTimeoutLabeledEdit->SetColor(clWindow);
        const int n = form->EncodeGasAnalyserParams(p);
        if (b.tenths < 0) {
            EXPECT_EQ(n, 0) << b.text;
            EXPECT_EQ(form->DevResTimeoutLabeledEdit->Color(), clRed) << b.text;
        } else {
            EXPECT_EQ(p[11], b.tenths) << b.text;
        }
    }
    form->DevResTimeoutLabeledEdit->SetText(QStringLiteral("1"));
    // Numbers that do not fit their byte are refused, not wrapped.
    for (auto [edit, text] : {std::pair{form->DevBlowTimeoutLabeledEdit, "300"},
                              {form->DevPulseLabeledEdit, "70000"},
                              {form->DevPressLevelLabeledEdit, "-5"},
                              {form->DevMinResValueLabeledEdit, "0.04"}}) {
        const String old = edit->Text();
        edit->SetText(QString::fromLatin1(text));
        EXPECT_EQ(form->EncodeGasAnalyserParams(p), 0) << text;
        EXPECT_EQ(edit->Color(), clRed) << text;
        edit->SetText(old);
    }
}

TEST_F(AppTest, InterfaceBlockFieldsAndEventPackets) {
    std::initializer_list<std::pair<int, uint8_t>> group = {
        {5, 0x01},  {6, 0x07},  {7, 0x35},  {8, 0xA5},  {9, 0xF4},  {10, 0x01}, {11, 26},
        {12, 34},   {13, 1},    {20, 8},    {21, 9},    {28, 16},   {29, 100},  {30, 0},
        {31, 0xE8}, {32, 0x03}, {33, 0x2C}, {34, 0x01}, {35, 0xFA}, {36, 0x00}};
    // 64 pairs after the group, 64 more in the second answer.
    TAnswerBuffer a3 = Answer(0x3C, group, 38 + 128);
    TAnswerBuffer a4 = Answer(0x4C, {}, 6 + 128);
    for (int i = 0; i < 64; ++i) {
        a3[size_t(37 + 2 * i)] = uint8_t(i);
        a3[size_t(38 + 2 * i)] = 1;
        a4[size_t(5 + 2 * i)] = uint8_t(64 + i);
        a4[size_t(6 + 2 * i)] = 2;
    }
    TAnswerBuffer a5 = Answer(0x5C, {{5, 'O'}, {6, 'K'}});
    TAnswerBuffer a2 = Answer(0x2C, {{5, 0x00}, {6, 0x23}, {7, 0x45}, {8, 0x67}});
    ASSERT_TRUE(form->ShowInterfaceParams(a3.data(), a4.data(), a5.data(), a2.data()));
    // Output byte 0x35: outputs 1 and 3 high by default, 1 and 2 in pulse mode.
    EXPECT_EQ(form->CopyOutComboBox[0]->ItemIndex(), 1);
    EXPECT_EQ(form->CopyOutComboBox[1]->ItemIndex(), 0);
    EXPECT_EQ(form->CopyOutComboBox[2]->ItemIndex(), 1);
    EXPECT_EQ(form->ControlWorkModeOutComboBox[0]->ItemIndex(), 1);
    EXPECT_EQ(form->ControlWorkModeOutComboBox[2]->ItemIndex(), 0);
    EXPECT_EQ(T(form->ControlOutDurLabeledEdit), "500");
    EXPECT_EQ(T(form->ControlTestCardOutEdit[7]), "8");
    EXPECT_EQ(T(form->ControlTestCardEdit[0]), "9");
    EXPECT_EQ(T(form->WiegandOutPeriodLabeledEdit), "1000");
    EXPECT_EQ(T(form->WiegandOutTimeoutLabeledEdit), "300");
    EXPECT_EQ(T(form->WiegandInTimeoutLabeledEdit), "250");
    EXPECT_EQ(T(form->ControlText1Part1Edit), "OK");
    TMemTableEh* table = form->ControlEventsMemTableEh;
    ASSERT_EQ(table->RecordCount(), 128);
    const std::vector<EventRow> rows = EventRows(table);
    EXPECT_EQ(rows[63], (EventRow{63, 1}));
    EXPECT_EQ(rows[64], (EventRow{64, 2}));

    uint8_t p[256] = {};
    ASSERT_EQ(form->EncodeInterfaceParams(p), 33);
    for (auto [at, v] : group)
        EXPECT_EQ(p[at - 4], v) << "payload byte " << at - 4;

    // Event packets: 64 rows one, 65 two (129 and 3 bytes), 130 two (rows beyond 128 unsent);
    // the current row is the same afterwards.
    struct Case {
        int rows, first, second;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{64, 129, 0}, Case{65, 129, 3}, Case{130, 129, 129}}) {
        table->EmptyTable();
        for (int i = 0; i < c.rows; ++i)
            AppendControlEvent(table, i, 255 - i);
        if (c.rows) table->SetRecNo(c.rows / 2 + 1);
        const int recNo = table->RecNo();
        EXPECT_EQ(form->EncodeControlEvents(p, 1), c.first) << c.rows;
        EXPECT_EQ(p[0], 0xD4);
        if (c.first) {
            EXPECT_EQ(p[2], 255);
        }
        EXPECT_EQ(form->EncodeControlEvents(p, 2), c.second) << c.rows;
        if (c.second) {
            EXPECT_EQ(p[1], 64);
        }
        EXPECT_EQ(table->RecNo(), recNo);
    }
    // An odd byte count: the unpaired last byte is no event; a bare answer carries none.
    TAnswerBuffer odd = Answer(0x3C, group, 38 + 3);
    TAnswerBuffer none = Answer(0x00, {}, 6);
    odd[37] = 7;
    odd[38] = 4;
    odd[39] = 9;
    form->ShowInterfaceParams(odd.data(), none.data(), a5.data(), a2.data());
    EXPECT_EQ(EventRows(table), (std::vector<EventRow>{{7, 4}}));
}

TEST_F(AppTest, Rs485FieldsBothWays) {
    TAnswerBuffer a3 =
        Answer(0x3C, {{5, 0x01},   {6, 0x12},   {7, 0x0A},   {8, 15},     {9, 1},      {10, 2},    {11, 0x80},
                      {12, 0x25},  {15, 52},    {16, 53},    {23, 44},    {103, 0x8F}, {111, 120}, {112, 7},
                      {113, 0x10}, {114, 0x27}, {115, 0x41}, {116, 0x81}, {117, 200},  {144, 99}});
    std::memcpy(a3.data() + 39, "OPEN                            ", 32);
    TAnswerBuffer a2 = Answer(0x2C, {});
    ASSERT_TRUE(form->ShowRs485Params(a3.data(), a2.data()));
    EXPECT_EQ(T(form->RS485BlockFuncEdit), "3");
    EXPECT_TRUE(form->RS485CodingCheckBox->Checked());
    EXPECT_EQ(T(form->RS485ClickPeriodEdit), "1.5");
    EXPECT_EQ(T(form->RS485SpeedComboBox), "9600");
    EXPECT_EQ(form->RS485VirtFuncInComboBox[0]->ItemIndex(), 52);
    EXPECT_EQ(form->RS485VirtFuncInComboBox[1]->ItemIndex(), -1); // beyond the list
    EXPECT_EQ(form->RS485VirtFuncOutComboBox[0]->ItemIndex(), 44);
    EXPECT_EQ(form->RS485VirtValInComboBox[0]->ItemIndex(), 1);
    EXPECT_EQ(T(form->RS485VirtTimerInEdit[0]), "1.5");
    EXPECT_EQ(T(form->RS485VirtReaderOutText1Edit), "OPEN");
    EXPECT_EQ(T(form->RS485BlockTimeoutEdit), "12.0");
    EXPECT_EQ(T(form->RS485BaseCardEdit), "10000");
    EXPECT_TRUE(form->RS485ErrorSendCheckBox->Checked());
    EXPECT_TRUE(form->RS485ClickEnabledCheckBox->Checked());
    EXPECT_TRUE(form->RS485AddPinCodeCheckBox->Checked());
    EXPECT_EQ(T(form->WiegandKeyEdit[19]), "99");

    form->RS485VirtFuncInComboBox[1]->SetItemIndex(0);
    uint8_t p[256] = {};
    ASSERT_EQ(form->EncodeRs485Params(p), 141);
    for (auto [at, v] : {std::pair{3, 0x0A},
                         {4, 15},
                         {7, 0x80},
                         {8, 0x25},
                         {9, 0},
                         {11, 52},
                         {19, 44},
                         {99, 0x8F},
                         {107, 120},
                         {109, 0x10},
                         {110, 0x27},
                         {111, 0x41},
                         {112, 0x81},
                         {113, 200},
                         {140, 99}})
        EXPECT_EQ(p[at], v) << "payload byte " << at;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 35), 32), std::string("OPEN") + std::string(28, ' '));
    EXPECT_EQ(p[20], 0); // output 2 with function 0

    // Halves round to even on tenths; out-of-range values are refused with the edit flagged.
    struct Case {
        TEdit* edit;
        const char* text;
        int at, value; // value -1: refused
    };
    for (const Case& c :
         {Case{form->RS485ClickPeriodEdit, "0.25", 4, 2}, Case{form->RS485ClickPeriodEdit, "0.35", 4, 3},
          Case{form->RS485ClickPeriodEdit, "0.05", 4, 1}, Case{form->RS485ClickPeriodEdit, "-1", 4, -1},
          Case{form->RS485VirtTimerInEdit[0], "12.7", 99, 0x80 | 127},
          Case{form->RS485VirtTimerInEdit[0], "13.0", 99, -1}, Case{form->RS485Addr1Edit, "9", 5, -1},
          Case{form->RS485BlockFuncEdit, "0", 3, -1}, Case{form->RS485BlockFuncEdit, "8", 3, 0x0F},
          Case{form->WiegandKeyEdit[0], "256", 121, -1}}) {
        const String old = c.edit->Text();
        c.edit->SetText(QString::fromLatin1(c.text));
        c.edit->SetColor(clWindow);
        const int n = form->EncodeRs485Params(p);
        if (c.value < 0) {
            EXPECT_EQ(n, 0) << c.text;
            EXPECT_EQ(c.edit->Color(), clRed) << c.text;
        } else {
            EXPECT_EQ(p[c.at], c.value) << c.text;
        }
        c.edit->SetText(old);
    }
}

TEST_F(AppTest, EthernetFieldsBothWays) {
    TAnswerBuffer a3 = Answer(0x3C, {{5, 0x01},
                                     {6, 0x05},
                                     {7, 192},
                                     {8, 168},
                                     {9, 0},
                                     {10, 1},
                                     {11, 255},
                                     {12, 255},
                                     {13, 255},
                                     {14, 0},
                                     {15, 192},
                                     {16, 168},
                                     {17, 0},
                                     {18, 10},
                                     {19, 0x50},
                                     {20, 0x00},
                                     {21, 0x23},
                                     {22, 0x07}});
    TAnswerBuffer a2 = Answer(0x2C, {{5, 0x20}, {6, 0x23}, {7, 0x01}, {8, 0x17}});
    TAnswerBuffer a1 = Answer(0x1C, {{5, 0x02}, {6, 0x4B}, {7, 0x56}, {8, 0x54}, {9, 0x00}, {10, 0xAF}});
    uint8_t p[256] = {};
    // Before any read, dynamic addressing sends twelve zero bytes.
    form->EthStaticIPComboBox->SetItemIndex(1);
    form->EthPortLabeledEdit->SetText(QStringLiteral("80"));
    ASSERT_EQ(form->EncodeEthernetParams(p), 19);
    EXPECT_EQ(std::vector<uint8_t>(p + 3, p + 15), std::vector<uint8_t>(12, 0));

    ASSERT_TRUE(form->ShowEthernetParams(a3.data(), a2.data(), a1.data()));
    EXPECT_EQ(T(form->EthSerialLabeledEdit), "20230117");
    EXPECT_EQ(T(form->EthMACLabeledEdit), "02:4B:56:54:00:AF");
    EXPECT_EQ(T(form->EthStaticIPLabeledEdit), "192.168.0.10");
    EXPECT_EQ(form->EthProtoComboBox->ItemIndex(), 1);
    EXPECT_EQ(form->EthStaticIPComboBox->ItemIndex(), 1);
    EXPECT_FALSE(form->EthStaticIPLabeledEdit->Visible());
    EXPECT_TRUE(form->EthRusJSONCheckBox->Checked());
    // 7 has no item: the box stays empty and flagged, and is not written until the user chooses.
    EXPECT_EQ(form->EthModeComboBox->ItemIndex(), -1);
    EXPECT_EQ(form->EthModeComboBox->Color(), clRed);
    EXPECT_EQ(form->EncodeEthernetParams(p), 0);
    form->EthModeComboBox->SetItemIndex(0);

    // Dynamic: the address bytes of the last read go back; "Авто" is sent as 5.
    form->EthStaticIPLabeledEdit->SetText(QStringLiteral("junk"));
    ASSERT_EQ(form->EncodeEthernetParams(p), 19);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(p[3 + i], a3[size_t(7 + i)]);
    EXPECT_EQ(p[17], 0x23);
    EXPECT_EQ(p[18], 5);
    // Static: the edits, first number first; all-ones is a valid mask.
    form->EthStaticIPComboBox->SetItemIndex(0);
    form->EthStaticIPComboBoxChange(form->EthStaticIPComboBox);
    EXPECT_TRUE(form->EthStaticIPLabeledEdit->Visible());
    form->EthStaticIPLabeledEdit->SetText(QStringLiteral("10.1.2.3"));
    form->EthStaticMaskLabeledEdit->SetText(QStringLiteral("255.255.255.255"));
    ASSERT_EQ(form->EncodeEthernetParams(p), 19);
    EXPECT_EQ(std::vector<uint8_t>(p + 11, p + 15), (std::vector<uint8_t>{10, 1, 2, 3}));
    EXPECT_EQ(std::vector<uint8_t>(p + 7, p + 11), (std::vector<uint8_t>{255, 255, 255, 255}));
    EXPECT_EQ(p[17], 0x21);
    form->EthModeComboBox->SetItemIndex(2);
    ASSERT_EQ(form->EncodeEthernetParams(p), 19);
    EXPECT_EQ(p[18], 1);
}
