// Settings files: what is written, what a load applies, and that a failed save loses nothing.

#include "AppFixture.h"

#include <QFile>

namespace {

QByteArray ReadAll(const String& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const String& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class SettingsFileTest : public AppTest {
protected:
    String Path(const char* name) { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(SettingsFileTest, WholeWindowRoundTripsByteForByte) {
    form->DevReadNClick(nullptr);
    form->RS485SpeedComboBox->SetText(QStringLiteral("19200"));
    form->DevText2Part1Edit->SetText(QStringLiteral("a=b"));
    TakeBoxes();
    const String first = Path("all.acf");
    ASSERT_TRUE(form->SaveSettings(first, form));
    ShownBox box = OnlyBox();
    EXPECT_EQ(box.Flags, 64u);
    EXPECT_EQ(box.Text.toStdString(), "Настройки записаны в файл '" + first.toStdString() + "'.");
    EXPECT_EQ(form->StatusText(0).toStdString(), "Устройство");

    const QByteArray bytes = ReadAll(first);
    // Windows-1251, CR LF, component order, no facts of the device.
    EXPECT_TRUE(bytes.startsWith(
        "DevSerialLabeledEdit=123456\r\nDevFWLabeledEdit=2.15\r\nDevBlowTimeoutLabeledEdit=30\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nDevUnitsLabeledEdit=15\r\nVerifyWarnComboBox=11\r\nDevText1Part2Edit="));
    EXPECT_TRUE(
        bytes.contains("ControlCopyFromMainCheckBox=1\r\nTBL=2049,4098,6403,\r\nControlText1Part1Edit="));
    EXPECT_TRUE(bytes.contains("RS485SpeedComboBox=19200\r\n"));
    EXPECT_TRUE(bytes.contains("DevText2Part1Edit=a=b\r\n"));
    EXPECT_TRUE(bytes.contains(ToAnsi(QStringLiteral("DevText1Part1Edit=Готов к работе\r\n"))));
    EXPECT_TRUE(bytes.endsWith("EthEngJSONCheckBox=1\r\n") || bytes.endsWith("EthEngJSONCheckBox=0\r\n"));
    for (const char* absent : {"DevDateLabeledEdit", "DevTimeLabeledEdit", "VerifyDateLabeledEdit",
                               "EthMACLabeledEdit", "DevMinResValueLabeledEdit"})
        EXPECT_FALSE(bytes.contains(absent)) << absent;

    NewWindows();
    ASSERT_TRUE(form->LoadSettings(first));
    EXPECT_EQ(T(form->DevMinResValueLabeledEdit), "0.15");
    EXPECT_EQ(form->ControlEventsMemTableEh->RecordCount(), 3);
    EXPECT_FALSE(form->EthStaticIPLabeledEdit->Visible() && form->EthStaticIPComboBox->ItemIndex() != 0);
    const String second = Path("again.acf");
    TakeBoxes();
    ASSERT_TRUE(form->SaveSettings(second, form));
    EXPECT_EQ(ReadAll(second), bytes);
}

TEST_F(SettingsFileTest, EventLinesAndMalformedValues) {
    const String path = Path("x.ccf");
    struct Case {
        const char* line;
        std::vector<EventRow> rows;
    };
    const Case cases[] = {
        {"TBL=1796,2049,", {{7, 4}, {8, 1}}},
        {"TBL=", {}},
        {"TBL=12,x,-1,34", {{0, 12}, {0, 34}}},
        {"TBL=1 2,\"3\"", {{0, 1}, {0, 2}, {0, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        AppendControlEvent(form->ControlEventsMemTableEh, 1, 1);
        WriteAll(path, QByteArray(c.line) + "\r\n");
        ASSERT_TRUE(form->LoadSettings(path));
        EXPECT_EQ(EventRows(form->ControlEventsMemTableEh), c.rows);
        EXPECT_EQ(form->AddControlEventSpeedButton->Enabled(), true);
        EXPECT_EQ(form->DeleteControlEventSpeedButton->Enabled(), !c.rows.empty());
    }
    TakeBoxes();
    // Unknown names are ignored, names match in any case, bad numbers fall back to 0, a value
    // may hold "=", a Tag 1 edit gets dashes, the first of two lines wins.
    WriteAll(path, "NoSuchControl=1\r\ndevserialLabeledEdit=123\r\nVerifyWarnComboBox=abc\r\n"
                   "DevDispOnCheckBox=zz\r\nDevText1Part1Edit=x=y\r\nDevDateLabeledEdit=01.01.2020\r\n"
                   "DevFWLabeledEdit=1.11\r\nDevFWLabeledEdit=9.99\r\nDevUnitsLabeledEdit=junk\r\n");
    ASSERT_TRUE(form->LoadSettings(path));
    EXPECT_EQ(T(form->DevSerialLabeledEdit), "123");
    EXPECT_EQ(form->VerifyWarnComboBox->ItemIndex(), 0);
    EXPECT_FALSE(form->DevDispOnCheckBox->Checked());
    EXPECT_EQ(T(form->DevText1Part1Edit), "x=y");
    EXPECT_EQ(T(form->DevDateLabeledEdit), "--------");
    EXPECT_EQ(T(form->DevFWLabeledEdit), "1.11");
    EXPECT_EQ(T(form->DevMinResValueLabeledEdit), "0.00");
    // A file that cannot be read is reported; nothing breaks.
    TakeBoxes();
    EXPECT_FALSE(form->LoadSettings(Path("missing.acf")));
    EXPECT_TRUE(OnlyBox().Text.startsWith(QStringLiteral("Ошибка загрузки настроек из файла '")));
}

TEST_F(SettingsFileTest, OneBlockFilesTouchTheirPageOnly) {
    form->DevReadNClick(nullptr);
    TakeBoxes();
    form->MainPageControl->SetActivePageIndex(baRs485);
    const String rcf = Path("block.rcf");
    ASSERT_TRUE(form->SaveSettings(rcf, form->RS485TabSheet));
    EXPECT_EQ(form->StatusText(0).toStdString(), "RS-485");
    const QByteArray bytes = ReadAll(rcf);
    EXPECT_TRUE(bytes.startsWith("RS485SerialLabeledEdit=345678\r\n"));
    EXPECT_FALSE(bytes.contains("Dev"));
    EXPECT_FALSE(bytes.contains("TBL"));

    form->RS485Addr1Edit->SetText(QStringLiteral("7"));
    form->DevBlowTimeoutLabeledEdit->SetText(QStringLiteral("99"));
    ASSERT_TRUE(form->LoadSettings(rcf));
    EXPECT_EQ(T(form->RS485Addr1Edit), "1");
    EXPECT_EQ(T(form->DevBlowTimeoutLabeledEdit), "99");
    // A file of another block carries no events and leaves the table alone.
    EXPECT_EQ(form->ControlEventsMemTableEh->RecordCount(), 3);

    // The interface page saved with an empty table has no TBL line; loading it empties it.
    const String ccf = Path("control.ccf");
    ASSERT_TRUE(form->SaveSettings(ccf, form->ControlTabSheet));
    EXPECT_TRUE(ReadAll(ccf).contains("TBL=2049,4098,6403,\r\n"));
    form->ControlEventsMemTableEh->EmptyTable();
    ASSERT_TRUE(form->SaveSettings(ccf, form->ControlTabSheet));
    EXPECT_FALSE(ReadAll(ccf).contains("TBL"));
    AppendControlEvent(form->ControlEventsMemTableEh, 3, 3);
    ASSERT_TRUE(form->LoadSettings(ccf));
    EXPECT_EQ(form->ControlEventsMemTableEh->RecordCount(), 0);

    // Loading "EthStaticIPComboBox=1" hides the static address edits.
    const String ecf = Path("eth.ecf");
    WriteAll(ecf, "EthStaticIPComboBox=1\r\n");
    ASSERT_TRUE(form->LoadSettings(ecf));
    EXPECT_FALSE(form->EthStaticIPLabeledEdit->Visible());
    EXPECT_FALSE(form->EthStaticGWLabeledEdit->Visible());
}

TEST_F(SettingsFileTest, FailedSavesKeepTheExistingFile) {
    // A threshold below the unit's step leaves the units line out and flags the edit.
    form->DevMinResValueLabeledEdit->SetText(QStringLiteral("0.04"));
    const String path = Path("gas.dcf");
    ASSERT_TRUE(form->SaveSettings(path, form->MainDeviceTabSheet));
    EXPECT_FALSE(ReadAll(path).contains("DevUnitsLabeledEdit"));
    EXPECT_EQ(form->DevMinResValueLabeledEdit->Color(), clRed);
    TakeBoxes();

    // The target cannot be replaced (a directory of that name): the error is shown and the
    // directory's content stays.
    const String blocked = Path("blocked.acf");
    ASSERT_TRUE(QDir().mkpath(blocked));
    WriteAll(blocked + QStringLiteral("/keep"), "x");
    EXPECT_FALSE(form->SaveSettings(blocked, form));
    ShownBox box = OnlyBox();
    EXPECT_EQ(box.Flags, 16u);
    EXPECT_TRUE(box.Text.startsWith(QStringLiteral("Ошибка записи настроек в файл '")));
    EXPECT_TRUE(form->StatusText(1).startsWith(QStringLiteral("Ошибка записи настроек в файл '")));
    EXPECT_EQ(ReadAll(blocked + QStringLiteral("/keep")), QByteArray("x"));
    EXPECT_FALSE(QFile::exists(blocked + QStringLiteral(".tmp~")));
    // Overwriting a good file with a save that fails (its new content cannot be written)
    // leaves the file as it was.
    const QByteArray good = ReadAll(path);
    ASSERT_TRUE(QDir().mkpath(path + QStringLiteral(".tmp~")));
    EXPECT_FALSE(form->SaveSettings(path, form));
    EXPECT_EQ(ReadAll(path), good);
}

TEST_F(SettingsFileTest, DialogFiltersAndExtensions) {
    String filter;
    int chosen = 2;
    String typed = Path("typed");
    form->ExecuteDialogFn = [&](TOpenDialog* d) {
        filter = d->Filter();
        EXPECT_EQ(d->FilterIndex(), 1);
        EXPECT_EQ(d->FileName().toStdString(), "");
        d->SetFileName(typed);
        d->SetFilterIndex(chosen);
        return true;
    };
    form->MainPageControl->SetActivePageIndex(baInterface);
    form->FileWriteNClick(nullptr);
    EXPECT_EQ(filter.toStdString(), "Все блоки|*.acf|Блок сопряжения|*.ccf|");
    EXPECT_TRUE(QFile::exists(typed + QStringLiteral(".ccf")));
    chosen = 1;
    form->FileWriteNClick(nullptr);
    EXPECT_TRUE(QFile::exists(typed + QStringLiteral(".acf")));
    TakeBoxes();
    typed = Path("typed.ccf");
    form->FileReadNClick(nullptr);
    EXPECT_TRUE(OnlyBox().Text.startsWith(QStringLiteral("Настройки загружены из файла")));
}
