// Values the pages cannot hold, from settings files and from the device: a file that is not a
// settings file, event tables the block cannot run, list values without an item. None of them
// is ever sent to the device in another form, and a refused file changes nothing.

#include "AppFixture.h"

#include <QFile>

namespace {

QByteArray Fixture(const char* name) {
    QFile f(QStringLiteral(KVT_TEST_DATA "/bad-input/") + QString::fromLatin1(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

void WriteAll(const String& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray EventsLine(int count, int first = 0x0801) {
    QByteArray line = "TBL=";
    for (int i = 0; i < count; ++i)
        line += QByteArray::number(first + i) + ',';
    return line + "\r\n";
}

// The answers of a recorded read: the block's address, then per answer a tag byte and the frame
// without its start byte.
std::vector<TAnswerBuffer> RecordedAnswers(const QByteArray& bytes) {
    std::vector<TAnswerBuffer> answers;
    int at = 1;
    while (at + 1 < bytes.size()) {
        const int length = uint8_t(bytes[at + 1]);
        if (length < 2 || at + length > bytes.size()) break;
        TAnswerBuffer a{};
        a[0] = 0xAA;
        for (int i = 1; i < length; ++i)
            a[size_t(i)] = uint8_t(bytes[at + i]);
        answers.push_back(a);
        at += length;
    }
    return answers;
}

} // namespace

class BadValuesTest : public AppTest {
protected:
    String Path(const char* name) { return dir.filePath(QString::fromLatin1(name)); }

    // The whole device read into the window; the boxes are forgotten.
    void ReadDevice() {
        form->DevReadNClick(nullptr);
        TakeBoxes();
    }

    // What the window would write, as the device's parameter memory after a write: the
    // simulator's state text before and after a write command that must be refused.
    void ExpectWriteRefused(bool WholeDevice, const char* checkText) {
        const std::string before = sim->DumpState();
        sim->ClearLog();
        if (WholeDevice)
            form->DevWriteNClick(nullptr);
        else
            form->BlockWriteNClick(nullptr);
        const ShownBox box = OnlyBox();
        EXPECT_EQ(box.Text.toStdString(), checkText);
        EXPECT_EQ(box.Flags, 48u);
        EXPECT_EQ(sim->DumpState(), before);
        for (const auto& r : sim->Log())
            EXPECT_LT(r.data[0], 0xD0) << "a write or service-mode request was sent";
    }
};

TEST_F(BadValuesTest, AFileWithoutKeysOfTheChosenKindIsRefusedAndChangesNothing) {
    ReadDevice();
    const std::string serial = T(form->DevSerialLabeledEdit);
    const auto rows = EventRows(form->ControlEventsMemTableEh);
    const String readme = Path("README.md");
    WriteAll(readme, "# The tool\r\n\r\nBuild = cmake -S . -B build\r\nTBLX=1\r\n");
    EXPECT_FALSE(form->LoadSettings(readme));
    ShownBox box = OnlyBox();
    EXPECT_EQ(box.Flags, 16u);
    EXPECT_TRUE(box.Text.startsWith(QStringLiteral("Ошибка загрузки настроек из файла '") + readme +
                                    QStringLiteral("'!\rВ файле нет настроек выбранного вида.\r(MainUnit: ")))
        << box.Text.toStdString();
    EXPECT_EQ(T(form->DevSerialLabeledEdit), serial);
    EXPECT_EQ(EventRows(form->ControlEventsMemTableEh), rows);
    EXPECT_EQ(form->StatusText(1).toStdString(), "Настройки загружены");

    // Through the menu: an RS-485 file opened with the gas analyser's filter is refused, with
    // the all-blocks filter it loads.
    const String rcf = Path("block.rcf");
    WriteAll(rcf, "RS485Addr1Edit=5\r\n");
    int filter = 2;
    form->ExecuteDialogFn = [&](TOpenDialog* d) {
        d->SetFileName(rcf);
        d->SetFilterIndex(filter);
        return true;
    };
    form->MainPageControl->SetActivePageIndex(baGasAnalyser);
    form->FileReadNClick(nullptr);
    EXPECT_TRUE(OnlyBox().Text.contains(QStringLiteral("'!\rВ файле нет настроек выбранного вида.\r")));
    EXPECT_EQ(T(form->RS485Addr1Edit), "1");
    filter = 1;
    form->FileReadNClick(nullptr);
    EXPECT_EQ(OnlyBox().Flags, 64u);
    EXPECT_EQ(T(form->RS485Addr1Edit), "5");
}

TEST_F(BadValuesTest, EventTablesTheBlockCannotRunAreRefusedWhole) {
    ReadDevice();
    const auto rows = EventRows(form->ControlEventsMemTableEh);
    const String path = Path("events.ccf");
    struct Case {
        const char* name;
        QByteArray file;
        const char* reason; // empty: the file loads
    };
    const Case cases[] = {
        {"fixture, 200 events", Fixture("settings-200-events.ccf"),
         "В таблице 200 событий, блок сопряжения хранит не более 128."},
        {"129 events", "ControlOutDurLabeledEdit=77\r\n" + EventsLine(129),
         "В таблице 129 событий, блок сопряжения хранит не более 128."},
        {"above 65535", "ControlOutDurLabeledEdit=77\r\nTBL=1,65536,\r\n",
         "Неверное событие в таблице: 65536."},
        {"negative", "ControlOutDurLabeledEdit=77\r\nTBL=-2,\r\n", "Неверное событие в таблице: -2."},
        {"128 events", "ControlOutDurLabeledEdit=77\r\n" + EventsLine(128), ""},
        {"65535", "TBL=65535,\r\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteAll(path, c.file);
        const std::string out = T(form->ControlOutDurLabeledEdit);
        const bool loaded = form->LoadSettings(path);
        const ShownBox box = OnlyBox();
        if (*c.reason) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(box.Flags, 16u);
            EXPECT_TRUE(box.Text.contains(QStringLiteral("'!\r") + QString::fromUtf8(c.reason) +
                                          QStringLiteral("\r(")))
                << box.Text.toStdString();
            EXPECT_EQ(EventRows(form->ControlEventsMemTableEh), rows);
            EXPECT_EQ(T(form->ControlOutDurLabeledEdit), out);
        } else {
            EXPECT_TRUE(loaded);
            EXPECT_EQ(box.Flags, 64u);
        }
    }
    EXPECT_EQ(EventRows(form->ControlEventsMemTableEh), (std::vector<EventRow>{{0xFF, 0xFF}}));
}

TEST_F(BadValuesTest, TheDeviceNeverGetsALongerTableCutShort) {
    // An answer with 129 events fails the read and leaves the page as it was.
    ReadDevice();
    const auto rows = EventRows(form->ControlEventsMemTableEh);
    form->ControlOutDurLabeledEdit->SetText(QStringLiteral("4321"));
    auto& events = sim->State().events;
    events.clear();
    for (int i = 0; i < 129; ++i)
        events.push_back({uint8_t(8 + i % 8), uint8_t(i)});
    form->MainPageControl->SetActivePageIndex(baInterface);
    form->BlockReadNClick(nullptr);
    EXPECT_TRUE(OnlyBox().Text.startsWith(QStringLiteral("Ошибка загрузки настроек блока сопряжения!\r(")));
    EXPECT_EQ(EventRows(form->ControlEventsMemTableEh), rows);
    EXPECT_EQ(T(form->ControlOutDurLabeledEdit), "4321");
    // 128 read in full.
    events.pop_back();
    form->BlockReadNClick(nullptr);
    EXPECT_EQ(OnlyBox().Flags, 64u);
    EXPECT_EQ(form->ControlEventsMemTableEh->RecordCount(), 128);

    // A table that grew beyond 128 is not written at all: the events page comes up.
    events = {{1, 1}};
    AppendControlEvent(form->ControlEventsMemTableEh, 9, 9);
    form->ControlPageControl->SetActivePageIndex(0);
    ExpectWriteRefused(false, "Проверьте параметры блока сопряжения!");
    EXPECT_EQ(form->ControlPageControl->ActivePage(), form->ControlEventsTabSheet);
    ExpectWriteRefused(true, "Проверьте параметры блока сопряжения!");
    // Back at 128 the block is written with both packets.
    form->ControlEventsMemTableEh->Last();
    form->ControlEventsMemTableEh->Delete();
    form->BlockWriteNClick(nullptr);
    EXPECT_EQ(OnlyBox().Text.toStdString(), "Записаны настройки блока сопряжения!");
    EXPECT_EQ(sim->State().events.size(), 128u);
}

TEST_F(BadValuesTest, OutOfRangeSettingsAreNeverWritten) {
    ReadDevice();
    const std::string device = sim->DumpState();
    // The fixture carries an events line the block cannot run: refused whole, nothing changes.
    const String acf = Path("bad.acf");
    const QByteArray bad = Fixture("settings-out-of-range.acf");
    WriteAll(acf, bad);
    EXPECT_FALSE(form->LoadSettings(acf));
    EXPECT_TRUE(OnlyBox().Text.contains(QStringLiteral("\rНеверное событие в таблице: 70000.\r(")));
    EXPECT_EQ(form->VerifyWarnComboBox->ItemIndex(), 11);
    EXPECT_EQ(T(form->RS485SpeedComboBox), "9600");

    // Without that line the values load; each one a list cannot hold is flagged, and the box
    // names the pages to check.
    WriteAll(acf, bad.left(bad.indexOf("TBL=")));
    ASSERT_TRUE(form->LoadSettings(acf));
    auto shown = TakeBoxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].Flags, 64u);
    EXPECT_EQ(shown[1].Flags, 48u);
    EXPECT_EQ(shown[1].Text.toStdString(),
              "Проверьте параметры газоанализатора!\rПроверьте параметры блока сопряжения!\r"
              "Проверьте параметры блока RS-485!\rПроверьте параметры блока Ethernet!");
    for (TComboBox* box : {form->VerifyWarnComboBox, form->RS485VirtFuncInComboBox[0], form->EthModeComboBox,
                           form->CopyOutComboBox[0]}) {
        SCOPED_TRACE(box->Name().toStdString());
        EXPECT_EQ(box->ItemIndex(), -1);
        EXPECT_EQ(box->Color(), clRed);
        EXPECT_TRUE(form->HoldsUnshownValue(box));
    }
    EXPECT_EQ(T(form->RS485SpeedComboBox), "1000000"); // any speed may be typed

    // No page goes to the device; the whole-device write stops at the first.
    ExpectWriteRefused(true, "Проверьте параметры газоанализатора!");
    EXPECT_EQ(form->MainPageControl->ActivePage(), form->MainDeviceTabSheet);
    const std::pair<int, const char*> pages[] = {
        {baGasAnalyser, "Проверьте параметры газоанализатора!"},
        {baInterface, "Проверьте параметры блока сопряжения!"},
        {baRs485, "Проверьте параметры блока RS-485!"},
        {baEthernet, "Проверьте параметры блока Ethernet!"},
    };
    for (const auto& [page, text] : pages) {
        form->MainPageControl->SetActivePageIndex(page);
        ExpectWriteRefused(false, text);
    }
    EXPECT_EQ(sim->DumpState(), device);

    // Once the user has chosen, the pages are written with the choices.
    form->VerifyWarnComboBox->SetItemIndex(5);
    form->RS485VirtFuncInComboBox[0]->SetItemIndex(7);
    form->EthModeComboBox->SetItemIndex(2);
    form->CopyOutComboBox[0]->SetItemIndex(1);
    form->RS485SpeedComboBox->SetText(QStringLiteral("9600"));
    form->DevWriteNClick(nullptr);
    EXPECT_EQ(OnlyBox().Flags, 64u);
    EXPECT_EQ(sim->State().verifyInterval, 6);
    EXPECT_EQ(sim->State().rsParams[10], 7);
    EXPECT_EQ(sim->State().ethParams[17], 1);
    EXPECT_EQ(sim->State().ifParams[2] & 1, 1);
}

TEST_F(BadValuesTest, ADeviceByteAListCannotShowIsKeptUntilTheUserChooses) {
    // The recorded RS-485 answer: input 1's function byte is 0xFE, input 2's 0x01, input 8's 0x7F.
    const auto answers = RecordedAnswers(Fixture("link-rs485-function-byte-0xFE.bin"));
    ASSERT_EQ(answers.size(), 3u);
    const TAnswerBuffer& a2 = answers[1];
    const TAnswerBuffer& a3 = answers[2];
    ASSERT_EQ(a3[4], 0x3C);
    ASSERT_EQ(a3[15], 0xFE);
    ASSERT_TRUE(form->ShowRs485Params(a3.data(), a2.data()));
    TComboBox* in1 = form->RS485VirtFuncInComboBox[0];
    EXPECT_EQ(in1->ItemIndex(), -1);
    EXPECT_EQ(in1->Color(), clRed);
    EXPECT_EQ(form->MainPageControl->ActivePage(), form->RS485TabSheet);
    EXPECT_EQ(form->RS485PageControl->ActivePage(), form->RS485VReaderTabSheet);
    EXPECT_EQ(form->RS485VirtFuncInComboBox[1]->ItemIndex(), 1);
    std::array<uint8_t, 256> payload{};
    EXPECT_EQ(form->EncodeRs485Params(payload.data()), 0);
    EXPECT_EQ(in1->Color(), clRed);
    // The user picks a function: it is sent, the rest as read.
    in1->SetItemIndex(4);
    EXPECT_EQ(form->EncodeRs485Params(payload.data()), 0);
    // The recording's input 8 holds 0x7F, also beyond the list.
    TComboBox* in8 = form->RS485VirtFuncInComboBox[7];
    EXPECT_EQ(in8->Color(), clRed);
    EXPECT_EQ(form->RS485PageControl->ActivePage(), form->RS485VReaderTabSheet);
    in8->SetItemIndex(0);
    ASSERT_EQ(form->EncodeRs485Params(payload.data()), 141);
    EXPECT_EQ(payload[11], 4);
    EXPECT_EQ(payload[12], 1);
    EXPECT_EQ(payload[18], 0);
    // 0xFF is an unassigned function: no selection, written back as it came, nothing flagged.
    TAnswerBuffer unassigned = a3;
    unassigned[15] = 0xFF;
    unassigned[22] = 0x00;
    ASSERT_TRUE(form->ShowRs485Params(unassigned.data(), a2.data()));
    EXPECT_EQ(in1->ItemIndex(), -1);
    EXPECT_FALSE(form->HoldsUnshownValue(in1));
    ASSERT_EQ(form->EncodeRs485Params(payload.data()), 141);
    EXPECT_EQ(payload[11], 0xFF);
}

TEST_F(BadValuesTest, DeviceBytesWithoutAnItemFailTheWriteOfTheirPage) {
    struct Case {
        const char* name;
        int page;
        std::function<void(devsim::DeviceState&)> set;
        std::function<TControl*(TMainForm*)> control;
        std::function<void(TMainForm*)> choose;
        const char* check;
        std::function<bool(const devsim::DeviceState&)> written;
    };
    const Case cases[] = {
        {"gas units code 0x09", baGasAnalyser, [](devsim::DeviceState& s) { s.gasParams[11] = 0x09; },
         [](TMainForm* f) -> TControl* { return f->DevUnitsLabeledEdit; },
         [](TMainForm*) { UnitsForm->SetUnitsCode(0x01); }, "Проверьте параметры газоанализатора!",
         [](const devsim::DeviceState& s) { return s.gasParams[11] == 0x01; }},
        {"reminder of 37 months", baGasAnalyser, [](devsim::DeviceState& s) { s.verifyInterval = 37; },
         [](TMainForm* f) -> TControl* { return f->VerifyWarnComboBox; },
         [](TMainForm* f) { f->VerifyWarnComboBox->SetItemIndex(35); },
         "Проверьте параметры газоанализатора!",
         [](const devsim::DeviceState& s) { return s.verifyInterval == 36; }},
        {"RS-485 output function 0x2D", baRs485, [](devsim::DeviceState& s) { s.rsParams[18] = 0x2D; },
         [](TMainForm* f) -> TControl* { return f->RS485VirtFuncOutComboBox[0]; },
         [](TMainForm* f) { f->RS485VirtFuncOutComboBox[0]->SetItemIndex(44); },
         "Проверьте параметры блока RS-485!",
         [](const devsim::DeviceState& s) { return s.rsParams[18] == 44; }},
        {"Ethernet mode 0xF6", baEthernet, [](devsim::DeviceState& s) { s.ethParams[17] = 0xF6; },
         [](TMainForm* f) -> TControl* { return f->EthModeComboBox; },
         [](TMainForm* f) { f->EthModeComboBox->SetItemIndex(0); }, "Проверьте параметры блока Ethernet!",
         [](const devsim::DeviceState& s) { return s.ethParams[17] == 5; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewWindows();
        sim = std::make_unique<devsim::DeviceSimulator>();
        sim->SetHostClock([] { return int64_t(1709647679); });
        SetSerialTransportFactory(devsim::DevSimTransportFactory(*sim));
        c.set(sim->State());
        ReadDevice();
        TControl* control = c.control(form);
        EXPECT_TRUE(form->HoldsUnshownValue(control));
        EXPECT_EQ(control->Color(), clRed);
        form->MainPageControl->SetActivePageIndex(c.page);
        ExpectWriteRefused(false, c.check);
        EXPECT_EQ(form->MainPageControl->ActivePageIndex(), c.page);
        c.choose(form);
        form->BlockWriteNClick(nullptr);
        EXPECT_EQ(OnlyBox().Flags, 64u);
        EXPECT_TRUE(c.written(sim->State()));
        EXPECT_FALSE(form->HoldsUnshownValue(control));
    }
    // Values the lists hold, and the "Авто" mode 5, read and write back unflagged.
    NewWindows();
    sim->State().ethParams[17] = 5;
    sim->State().verifyInterval = 0;
    ReadDevice();
    EXPECT_EQ(form->EthModeComboBox->ItemIndex(), 0);
    EXPECT_EQ(form->VerifyWarnComboBox->ItemIndex(), -1);
    const std::string before = sim->DumpState();
    form->DevWriteNClick(nullptr);
    EXPECT_EQ(OnlyBox().Flags, 64u);
    EXPECT_EQ(sim->DumpState(), before);
}

TEST_F(BadValuesTest, ASettingsFileKeepsWhatTheListsCouldNotShow) {
    auto& s = sim->State();
    s.rsParams[10] = 0xFE;  // RS-485 input 1 function
    s.verifyInterval = 37;  // months
    s.ethParams[17] = 0xF6; // link mode
    s.gasParams[11] = 0x09; // units code: unit 0, ratio 9
    const int raw = s.gasParams[6];
    ReadDevice();
    const String path = Path("kept.acf");
    ASSERT_TRUE(form->SaveSettings(path, form));
    TakeBoxes();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.contains("\r\nRS485VirtFuncIn1ComboBox=254\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nVerifyWarnComboBox=36\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nEthModeComboBox=247\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nDevUnitsLabeledEdit=" + QByteArray::number(9 * 256 + raw) + "\r\n"));

    // Loaded into fresh windows, the same controls are marked and nothing is written.
    NewWindows();
    ASSERT_TRUE(form->LoadSettings(path));
    EXPECT_EQ(TakeBoxes().size(), 2u);
    for (TControl* c :
         {static_cast<TControl*>(form->RS485VirtFuncInComboBox[0]),
          static_cast<TControl*>(form->VerifyWarnComboBox), static_cast<TControl*>(form->EthModeComboBox),
          static_cast<TControl*>(form->DevUnitsLabeledEdit)})
        EXPECT_TRUE(form->HoldsUnshownValue(c)) << c->Name().toStdString();
    ExpectWriteRefused(true, "Проверьте параметры газоанализатора!");

    // Units lines: a code the dialog has no unit or ratio for, or a value beyond the line's
    // 16 bits, leaves the units to the user; a valid one is taken.
    const String dcf = Path("units.dcf");
    const std::pair<const char*, bool> units[] = {{"DevUnitsLabeledEdit=70000", true},
                                                  {"DevUnitsLabeledEdit=2319", true},
                                                  {"DevUnitsLabeledEdit=29445", true},
                                                  {"DevUnitsLabeledEdit=4101", false}};
    for (const auto& [line, marked] : units) {
        SCOPED_TRACE(line);
        WriteAll(dcf, QByteArray(line) + "\r\n");
        ASSERT_TRUE(form->LoadSettings(dcf));
        TakeBoxes();
        EXPECT_EQ(form->HoldsUnshownValue(form->DevUnitsLabeledEdit), marked);
        if (!marked) EXPECT_EQ(UnitsForm->GetUnitsCode(), 0x10);
    }
}
