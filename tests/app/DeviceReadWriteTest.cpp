// Whole-device and one-block reads and writes against the simulator, the pages' decoding and
// encoding. The device's faults are in LinkModesTest.cpp, run in-process and on a pseudo-terminal.

#include "AppFixture.h"

#include <cstring>

namespace {

std::string S(const String& s) {
    return s.toStdString();
}

} // namespace

TEST_F(AppTest, WholeDeviceReadFillsEveryPage) {
    form->DevReadNClick(nullptr);
    ShownBox box = OnlyBox();
    EXPECT_EQ(S(box.Text), "Загружены настройки из\r\r1) Блок газоанализатора\r2) Блок сопряжения\r3) Блок "
                           "RS-485\r4) Блок Ethernet\r");
    EXPECT_EQ(S(box.Caption), "Загрузка настроек");
    EXPECT_EQ(box.Flags, 64u);
    EXPECT_EQ(S(form->StatusText(0)), "Устройство");
    EXPECT_EQ(S(form->StatusText(1)), "Настройки загружены");
    EXPECT_FALSE(form->DeviceOpen());

    // Gas analyser
    EXPECT_EQ(T(form->DevFWLabeledEdit), "2.15");
    EXPECT_EQ(T(form->DevSerialLabeledEdit), "123456");
    EXPECT_EQ(T(form->DevDateLabeledEdit), "17.05.2023");
    EXPECT_EQ(T(form->VerifyDateLabeledEdit), "01.02.2024");
    EXPECT_EQ(form->VerifyWarnComboBox->ItemIndex(), 11);
    EXPECT_EQ(T(form->DevBlowTimeoutLabeledEdit), "30");
    EXPECT_EQ(T(form->DevPulseLabeledEdit), "1000");
    EXPECT_EQ(T(form->DevLowResViewLabeledEdit), "3");
    EXPECT_EQ(T(form->DevHightResViewLabeledEdit), "5");
    EXPECT_EQ(T(form->DevPressLevelLabeledEdit), "40");
    EXPECT_EQ(T(form->DevResTimeoutLabeledEdit), "2.5");
    EXPECT_EQ(T(form->DevMinResValueLabeledEdit), "0.15");
    EXPECT_EQ(S(form->DevMinResValueLabeledEdit->EditLabel()->Caption()), "Порог срабатывания (мг/л BrAC):");
    EXPECT_EQ(T(form->DevUnitsLabeledEdit), "BrAC, мг/л");
    EXPECT_TRUE(form->DevDispOnCheckBox->Checked()); // 0x4B: bits 0, 1, 3, 6
    EXPECT_TRUE(form->DevSoundOnCheckBox->Checked());
    EXPECT_FALSE(form->DevExtSoundCheckBox->Checked());
    EXPECT_TRUE(form->DevKeybOnCheckBox->Checked());
    EXPECT_TRUE(form->DevWarnVerifyCheckBox->Checked());
    EXPECT_FALSE(form->DevTestBreakCheckBox->Checked());
    EXPECT_EQ(T(form->DevText1Part1Edit), "Готов к работе");
    EXPECT_EQ(T(form->DevText4Part2Edit), "Проход запрещен");

    // Interface block
    EXPECT_EQ(T(form->ControlFWLabeledEdit), "1.07");
    EXPECT_EQ(T(form->ControlSerialLabeledEdit), "234567");
    EXPECT_EQ(form->ControlWorkModeOutComboBox[0]->ItemIndex(), 1); // outputs 0x30
    EXPECT_EQ(form->ControlWorkModeOutComboBox[2]->ItemIndex(), 0);
    EXPECT_EQ(form->CopyOutComboBox[0]->ItemIndex(), 0);
    EXPECT_EQ(T(form->ControlOutDurLabeledEdit), "500");
    EXPECT_EQ(T(form->ControlTestCardEdit[7]), "86");
    EXPECT_EQ(T(form->WiegandInTimeoutLabeledEdit), "250");
    EXPECT_EQ(T(form->ControlText2Part2Edit), "запрещен");
    const std::vector<EventRow> rows = EventRows(form->ControlEventsMemTableEh);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (EventRow{0x08, 0x01}));
    EXPECT_EQ(rows[2], (EventRow{0x19, 0x03}));
    EXPECT_TRUE(form->DeleteControlEventSpeedButton->Enabled());

    // RS-485 block
    EXPECT_EQ(T(form->RS485FWLabeledEdit), "1.12");
    EXPECT_EQ(T(form->RS485SerialLabeledEdit), "345678");
    EXPECT_EQ(form->RS485SpeedComboBox->ItemIndex(), 1);
    EXPECT_EQ(T(form->RS485SpeedComboBox), "9600");
    EXPECT_EQ(T(form->RS485ClickPeriodEdit), "3.0");
    EXPECT_EQ(T(form->RS485Addr2Edit), "2");
    EXPECT_EQ(form->RS485VirtFuncInComboBox[2]->ItemIndex(), 3);
    EXPECT_EQ(form->RS485VirtFuncOutComboBox[10]->ItemIndex(), 33);
    EXPECT_EQ(T(form->RS485VirtReaderOutText1Edit), "Подойдите к алкотестеру");
    EXPECT_EQ(T(form->RS485BaseCardEdit), "1000");
    EXPECT_EQ(T(form->WiegandKeyEdit[19]), "19");

    // Ethernet block
    EXPECT_EQ(T(form->EthSerialLabeledEdit), "20230117");
    EXPECT_EQ(T(form->EthMACLabeledEdit), "02:4B:56:54:00:01");
    EXPECT_EQ(T(form->EthStaticIPLabeledEdit), "192.168.0.10");
    EXPECT_EQ(T(form->EthStaticMaskLabeledEdit), "255.255.255.0");
    EXPECT_EQ(T(form->EthStaticGWLabeledEdit), "192.168.0.1");
    EXPECT_EQ(T(form->EthPortLabeledEdit), "80");
}

TEST_F(AppTest, AbsentOrFailingBlocksCloseTheGapInTheSummary) {
    sim->SetPresent(1, false);
    sim->AddFault(*devsim::ParseFaultRule("2:C3=badsum"));
    form->DevReadNClick(nullptr);
    EXPECT_EQ(S(OnlyBox().Text), "Загружены настройки из\r\r1) Блок газоанализатора\r2) Блок Ethernet\r");
    EXPECT_TRUE(form->RS485FWLabeledEdit->Text().isEmpty());
}

TEST_F(AppTest, WriteReadBackRoundTripsEveryPage) {
    form->DevReadNClick(nullptr);
    TakeBoxes();
    form->DevBlowTimeoutLabeledEdit->SetText(QStringLiteral("45"));
    form->DevPulseLabeledEdit->SetText(QStringLiteral("1200"));
    form->DevResTimeoutLabeledEdit->SetText(QStringLiteral("3.5"));
    form->DevMinResValueLabeledEdit->SetText(QStringLiteral("0.25"));
    form->DevExtSoundCheckBox->SetChecked(true);
    form->VerifyWarnComboBox->SetItemIndex(5);
    form->DevText1Part1Edit->SetText(QStringLiteral("Привет"));
    form->CopyOutComboBox[3]->SetItemIndex(1);
    form->ControlTamperComboBox[1]->SetItemIndex(0);
    form->WiegandOutDurLabeledEdit->SetText(QStringLiteral("120"));
    form->ControlTestCardOutEdit[0]->SetText(QStringLiteral("7"));
    form->ControlText1Part1Edit->SetText(QStringLiteral("Стоп"));
    AppendControlEvent(form->ControlEventsMemTableEh, 0x21, 0x05);
    form->RS485SpeedComboBox->SetText(QStringLiteral("19200"));
    form->RS485Addr1Edit->SetText(QStringLiteral("5"));
    form->RS485VirtValInComboBox[0]->SetItemIndex(1);
    form->RS485VirtTimerInEdit[0]->SetText(QStringLiteral("1.5"));
    form->RS485VirtFuncOutComboBox[15]->SetItemIndex(44);
    form->WiegandKeyEdit[12]->SetText(QStringLiteral("200"));
    form->EthStaticIPLabeledEdit->SetText(QStringLiteral("10.0.0.7"));
    form->EthPortLabeledEdit->SetText(QStringLiteral("8080"));
    form->EthModeComboBox->SetItemIndex(4);
    form->EthRusJSONCheckBox->SetChecked(true);

    form->DevWriteNClick(nullptr);
    ShownBox box = OnlyBox();
    EXPECT_EQ(S(box.Text),
              "Записаны настройки в\r\r1) Блок газоанализатора\r2) Блок сопряжения\r3) Блок RS-485\r4) "
              "Блок Ethernet\r");
    EXPECT_EQ(S(form->StatusText(1)), "Настройки записаны");
    EXPECT_FALSE(sim->ServiceMode());

    // The device's own memory, byte by byte where the layout is easy to get wrong.
    const devsim::DeviceState& st = sim->State();
    EXPECT_EQ(st.gasParams[3], 45);   // blow wait
    EXPECT_EQ(st.gasParams[4], 0xB0); // pulse 1200, low byte first
    EXPECT_EQ(st.gasParams[5], 0x04);
    EXPECT_EQ(st.gasParams[6], 25);  // threshold raw
    EXPECT_EQ(st.gasParams[10], 35); // blow time tenths
    EXPECT_EQ(st.verifyInterval, 6);
    EXPECT_EQ(st.rsParams[6], 0x00); // speed 19200 = 0x4B00
    EXPECT_EQ(st.rsParams[7], 0x4B);
    EXPECT_EQ(st.rsParams[98], 0x8F); // virtual input 1: value 1, 1.5 s
    EXPECT_EQ(st.ethParams[10], 10);  // IP, first number first
    EXPECT_EQ(st.ethParams[13], 7);
    EXPECT_EQ(st.ethParams[17], 3); // 100 Mbit/s full duplex
    ASSERT_EQ(st.events.size(), 4u);
    EXPECT_EQ(st.events[3], (std::array<uint8_t, 2>{0x21, 0x05}));

    NewWindows();
    form->DevReadNClick(nullptr);
    TakeBoxes();
    EXPECT_EQ(T(form->DevBlowTimeoutLabeledEdit), "45");
    EXPECT_EQ(T(form->DevPulseLabeledEdit), "1200");
    EXPECT_EQ(T(form->DevResTimeoutLabeledEdit), "3.5");
    EXPECT_EQ(T(form->DevMinResValueLabeledEdit), "0.25");
    EXPECT_TRUE(form->DevExtSoundCheckBox->Checked());
    EXPECT_EQ(form->VerifyWarnComboBox->ItemIndex(), 5);
    EXPECT_EQ(T(form->DevText1Part1Edit), "Привет");
    EXPECT_EQ(form->CopyOutComboBox[3]->ItemIndex(), 1);
    EXPECT_EQ(form->ControlTamperComboBox[1]->ItemIndex(), 0);
    EXPECT_EQ(T(form->WiegandOutDurLabeledEdit), "120");
    EXPECT_EQ(T(form->ControlTestCardOutEdit[0]), "7");
    EXPECT_EQ(T(form->ControlText1Part1Edit), "Стоп");
    EXPECT_EQ(form->ControlEventsMemTableEh->RecordCount(), 4);
    // A speed outside the list shows as its number and writes back unchanged.
    EXPECT_EQ(form->RS485SpeedComboBox->ItemIndex(), -1);
    EXPECT_EQ(T(form->RS485SpeedComboBox), "19200");
    EXPECT_EQ(T(form->RS485Addr1Edit), "5");
    EXPECT_EQ(form->RS485VirtValInComboBox[0]->ItemIndex(), 1);
    EXPECT_EQ(T(form->RS485VirtTimerInEdit[0]), "1.5");
    EXPECT_EQ(form->RS485VirtFuncOutComboBox[15]->ItemIndex(), 44);
    EXPECT_EQ(T(form->WiegandKeyEdit[12]), "200");
    EXPECT_EQ(T(form->EthStaticIPLabeledEdit), "10.0.0.7");
    EXPECT_EQ(T(form->EthPortLabeledEdit), "8080");
    EXPECT_EQ(form->EthModeComboBox->ItemIndex(), 4);
    EXPECT_TRUE(form->EthRusJSONCheckBox->Checked());
}

TEST_F(AppTest, OneBlockReadAndWrite) {
    form->MainPageControl->SetActivePageIndex(baEthernet);
    form->BlockReadNClick(nullptr);
    ShownBox box = OnlyBox();
    EXPECT_EQ(S(box.Text), "Загружены настройки блока Ethernet!");
    EXPECT_EQ(S(box.Caption), "Блок Ethernet");
    EXPECT_EQ(S(form->StatusText(0)), "Блок Ethernet");
    EXPECT_TRUE(form->DevFWLabeledEdit->Text().isEmpty()); // only this block was read

    form->EthPortLabeledEdit->SetText(QStringLiteral("443"));
    form->BlockWriteNClick(nullptr);
    box = OnlyBox();
    EXPECT_EQ(S(box.Text), "Записаны настройки блока Ethernet!");
    EXPECT_EQ(Le16Of(sim->State().ethParams, 14), 443);
    EXPECT_FALSE(sim->ServiceMode());

    // The block absent: service mode goes on and off around the box.
    sim->SetPresent(3, false);
    bool modeDuringBox = false;
    onBox = [&](const ShownBox&) { modeDuringBox = sim->ServiceMode(); };
    form->BlockWriteNClick(nullptr);
    box = OnlyBox();
    EXPECT_TRUE(box.Text.startsWith(QStringLiteral("Блок Ethernet отсутствует!")));
    EXPECT_TRUE(modeDuringBox);
    EXPECT_FALSE(sim->ServiceMode());
}

TEST_F(AppTest, PagesThatFailTheirChecksWriteNothing) {
    form->DevReadNClick(nullptr);
    TakeBoxes();
    sim->ClearLog();
    // One-block write: the adapter is never opened.
    form->MainPageControl->SetActivePageIndex(baRs485);
    form->RS485Addr2Edit->SetText(QStringLiteral("9")); // three bits on the wire
    form->BlockWriteNClick(nullptr);
    ShownBox box = OnlyBox();
    EXPECT_EQ(S(box.Text), "Проверьте параметры блока RS-485!");
    EXPECT_EQ(box.Flags, 48u);
    EXPECT_TRUE(sim->Log().empty());
    EXPECT_EQ(form->RS485Addr2Edit->Color(), clRed);
    // Whole device: the presence queries only, nothing written, no service mode.
    form->DevWriteNClick(nullptr);
    box = OnlyBox();
    EXPECT_EQ(S(box.Text), "Проверьте параметры блока RS-485!");
    for (const auto& r : sim->Log())
        EXPECT_NE(r.data[0], 0xD0);
    EXPECT_FALSE(form->DeviceOpen());
}

TEST_F(AppTest, WholeDeviceWriteSkipsBlocksNeverRead) {
    form->MainPageControl->SetActivePageIndex(baGasAnalyser);
    form->BlockReadNClick(nullptr);
    TakeBoxes();
    form->DevWriteNClick(nullptr);
    EXPECT_EQ(S(OnlyBox().Text), "Записаны настройки в\r\r1) Блок газоанализатора\r");
}
