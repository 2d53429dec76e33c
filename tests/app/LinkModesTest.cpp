// One-block reads and writes, Ethernet uploads, the clock, the text display and the device's
// faults, each run twice: against the simulator in this process, and against the simulator
// program on a pseudo-terminal, paced at the line's rate. The device's side is seen through the
// requests it logged, the same way in both.

#include "AppFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

enum class Link { InProcess, Pty };

String MakeFile(const QTemporaryDir& dir, const String& name, int size) {
    const String path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char(i * 7 + 3);
    f.write(data);
    return path;
}

// "-> [3] D4 01 0A ..." as the program logs a request.
std::optional<devsim::LoggedRequest> ParseLoggedRequest(const QByteArray& line) {
    if (!line.startsWith("-> [")) return std::nullopt;
    const int close = line.indexOf(']');
    if (close < 0) return std::nullopt;
    devsim::LoggedRequest r;
    r.address = uint8_t(line.mid(4, close - 4).toInt());
    for (const QByteArray& b : line.mid(close + 1).simplified().split(' '))
        if (!b.isEmpty()) r.data.push_back(uint8_t(b.toInt(nullptr, 16)));
    return r;
}

} // namespace

class LinkTest : public AppTest, public ::testing::WithParamInterface<Link> {
protected:
    void SetUp() override {
        AppTest::SetUp();
        if (Pty()) {
            program = QCoreApplication::applicationDirPath() + QStringLiteral("/kvt-devsim");
            if (!QFileInfo::exists(program)) GTEST_SKIP() << "kvt-devsim not built";
        }
    }
    void TearDown() override {
        StopDevice();
        unsetenv("KVT_SERIAL_PORT");
        AppTest::TearDown();
    }

    bool Pty() const { return GetParam() == Link::Pty; }

    // A fresh device with the given fault rules; the windows keep their pages.
    void StartDevice(const std::vector<std::string>& faults = {}) {
        StopDevice();
        if (!Pty()) {
            sim = std::make_unique<devsim::DeviceSimulator>();
            for (const std::string& f : faults)
                sim->AddFault(*devsim::ParseFaultRule(f));
            SetSerialTransportFactory(devsim::DevSimTransportFactory(*sim, 38400, [this] { return ticks; }));
            return;
        }
        // A late answer comes after the tool's ten seconds, which UseRealTime(10) makes one.
        QStringList args = {QStringLiteral("--verbose"), QStringLiteral("--slow-ms"), QStringLiteral("5"),
                            QStringLiteral("--late-ms"), QStringLiteral("1500")};
        for (const std::string& f : faults)
            args << QStringLiteral("--fault") << QString::fromStdString(f);
        logPath = dir.filePath(QStringLiteral("devsim-%1.log").arg(++starts));
        logSeen = 0;
        devsim = std::make_unique<QProcess>();
        devsim->setStandardErrorFile(logPath);
        devsim->start(program, args);
        ASSERT_TRUE(devsim->waitForStarted(5000));
        ASSERT_TRUE(devsim->waitForReadyRead(5000));
        const QString tty = QString::fromLocal8Bit(devsim->readLine()).trimmed();
        ASSERT_TRUE(tty.startsWith(QStringLiteral("/dev/")));
        setenv("KVT_SERIAL_PORT", tty.toLocal8Bit().constData(), 1);
        SetSerialTransportFactory({});
        UseRealTime(1);
    }

    void StopDevice() {
        if (!devsim) return;
        devsim->terminate();
        devsim->waitForFinished(5000);
        devsim.reset();
    }

    // The tool's clock runs `speed` times faster than real time, so that the 10 s waits for a
    // lost answer take a second while a paced answer still arrives well within them.
    void UseRealTime(uint32_t speed) {
        if (!Pty()) return;
        const auto start = std::chrono::steady_clock::now();
        form->TickCount = [start, speed] {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start);
            return uint32_t(ms.count()) * speed;
        };
        form->SleepMs = [f = form](uint32_t ms) { f->WaitForAdapter(ms); };
    }

    void FreshWindows() {
        NewWindows();
        UseRealTime(1);
    }

    // The requests the device received since the last call.
    std::vector<devsim::LoggedRequest> TakeRequests() {
        std::vector<devsim::LoggedRequest> out;
        if (!Pty()) {
            out = sim->Log();
            sim->ClearLog();
            return out;
        }
        QFile f(logPath);
        if (!f.open(QIODevice::ReadOnly)) return out;
        f.seek(logSeen);
        while (!f.atEnd()) {
            const QByteArray line = f.readLine();
            if (!line.endsWith('\n')) break; // still being written
            logSeen += line.size();
            if (auto r = ParseLoggedRequest(line)) out.push_back(*r);
        }
        return out;
    }

    // Whether the last service mode command in `requests` switched it on.
    static bool LeftInServiceMode(const std::vector<devsim::LoggedRequest>& requests) {
        bool on = false;
        for (const auto& r : requests)
            if (r.address == 0 && r.data.size() == 2 && r.data[0] == 0xD0) on = r.data[1] != 0;
        return on;
    }

    static size_t Count(const std::vector<devsim::LoggedRequest>& requests, int address, uint8_t command,
                        int sub = -1) {
        size_t n = 0;
        for (const auto& r : requests)
            if (r.address == address && !r.data.empty() && r.data[0] == command &&
                (sub < 0 || (r.data.size() > 1 && r.data[1] == sub)))
                ++n;
        return n;
    }

    QString program;
    std::unique_ptr<QProcess> devsim;
    QString logPath;
    qint64 logSeen = 0;
    int starts = 0;
};

INSTANTIATE_TEST_SUITE_P(, LinkTest, ::testing::Values(Link::InProcess, Link::Pty),
                         [](const ::testing::TestParamInfo<Link>& info) {
                             return std::string(info.param == Link::Pty ? "Pty" : "InProcess");
                         });

TEST_P(LinkTest, OneBlockReadWriteAndReadBack) {
    StartDevice();
    form->MainPageControl->SetActivePageIndex(baEthernet);
    form->BlockReadNClick(nullptr);
    EXPECT_EQ(OnlyBox().Text.toStdString(), "Загружены настройки блока Ethernet!");
    EXPECT_EQ(T(form->EthPortLabeledEdit), "80");
    EXPECT_TRUE(form->DevFWLabeledEdit->Text().isEmpty()); // only this block was read
    form->EthPortLabeledEdit->SetText(QStringLiteral("443"));
    form->EthStaticIPLabeledEdit->SetText(QStringLiteral("10.1.2.3"));
    TakeRequests();
    form->BlockWriteNClick(nullptr);
    EXPECT_EQ(OnlyBox().Text.toStdString(), "Записаны настройки блока Ethernet!");
    const auto requests = TakeRequests();
    EXPECT_EQ(Count(requests, 3, 0xD3), 1u);
    EXPECT_FALSE(LeftInServiceMode(requests));
    EXPECT_FALSE(form->DeviceOpen());

    FreshWindows();
    form->MainPageControl->SetActivePageIndex(baEthernet);
    form->BlockReadNClick(nullptr);
    TakeBoxes();
    EXPECT_EQ(T(form->EthPortLabeledEdit), "443");
    EXPECT_EQ(T(form->EthStaticIPLabeledEdit), "10.1.2.3");
}

TEST_P(LinkTest, EthernetUploadsAtTheLimits) {
    StartDevice();
    struct Case {
        int size;
        size_t chunks;
    };
    // The largest file once: at the line's rate it takes seconds.
    for (const Case& c : {Case{1, 1}, Case{200, 1}, Case{201, 2}, Case{32700, 164}}) {
        SCOPED_TRACE(c.size);
        TakeRequests();
        const String name = QStringLiteral("f%1.htm").arg(c.size);
        ASSERT_TRUE(form->UploadEthernetFile(MakeFile(dir, name, c.size)));
        EXPECT_EQ(Count(TakeRequests(), 3, 0xD4, 0x01), c.chunks);
        // The list the tool read back from the device.
        TListView* list = form->EthFilesListView;
        ASSERT_NE(list->Selected(), nullptr);
        EXPECT_EQ(list->Selected()->Caption(), name);
        EXPECT_EQ(list->Selected()->SubItems()->Strings(0), QString::number(c.size));
        EXPECT_FALSE(form->DeviceOpen());
    }
    EXPECT_TRUE(TakeBoxes().empty());
    const int listed = form->EthFilesListView->Items()->Count();
    for (int size : {0, 32701}) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(form->UploadEthernetFile(MakeFile(dir, QStringLiteral("r%1.bin").arg(size), size)));
        EXPECT_TRUE(OnlyBox().Text.startsWith(QStringLiteral("Файл слишком большой!")));
        EXPECT_TRUE(TakeRequests().empty());
        EXPECT_EQ(form->EthFilesListView->Items()->Count(), listed);
    }
}

TEST_P(LinkTest, ClockAndTextDisplay) {
    StartDevice();
    form->NowFn = [] { return EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 30, 0); };
    form->DevTimeSyncButtonClick(nullptr);
    auto b = TakeBoxes();
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[1].Text.toStdString(), "Время синхронизировано с ПК!");
    auto requests = TakeRequests();
    ASSERT_EQ(Count(requests, 0, 0xD1), 1u);
    for (const auto& r : requests)
        if (r.data[0] == 0xD1) {
            EXPECT_EQ(r.data, (std::vector<uint8_t>{0xD1, 0x05, 0x03, 0x24, 0x14, 0x07}));
        }
    EXPECT_FALSE(LeftInServiceMode(requests));

    // While the box is open the device shows its texts in service mode.
    std::vector<devsim::LoggedRequest> beforeBox;
    onBox = [&](const ShownBox&) { beforeBox = TakeRequests(); };
    form->ViewStringsButtonClick(nullptr);
    ShownBox box = OnlyBox();
    EXPECT_EQ(box.Caption.toStdString(), "Просмотр сообщений");
    ASSERT_FALSE(beforeBox.empty());
    EXPECT_EQ(beforeBox.back().data, std::vector<uint8_t>{0xD5});
    EXPECT_TRUE(LeftInServiceMode(beforeBox));
    requests = TakeRequests();
    EXPECT_FALSE(requests.empty());
    EXPECT_FALSE(LeftInServiceMode(requests));
    EXPECT_FALSE(form->DeviceOpen());
}

// Every fault on the gas analyser's first answer ends a whole-device read with its box, the pages
// as they were and the adapter closed; a slow answer is only slow.
TEST_P(LinkTest, EachFaultEndsTheReadCleanly) {
    for (devsim::FaultKind kind : devsim::AllFaultKinds()) {
        const std::string name = devsim::FaultKindName(kind);
        SCOPED_TRACE(name);
        NewWindows();
        StartDevice({"0:C3=" + name + "*1"});
        UseRealTime(10);
        form->DevReadNClick(nullptr);
        ShownBox box = OnlyBox();
        if (kind == devsim::FaultKind::Slow) {
            EXPECT_EQ(box.Flags, 64u);
            EXPECT_EQ(T(form->DevFWLabeledEdit), "2.15");
        } else {
            EXPECT_TRUE(box.Text.startsWith(QStringLiteral("Ошибка загрузки настроек\r")))
                << box.Text.toStdString();
            // A lost or broken answer is named on a line of its own; a refusal needs no reason.
            const bool refused = kind == devsim::FaultKind::WrongStatus;
            EXPECT_EQ(box.Text.contains(QStringLiteral("\rБлок газоанализатора")), !refused)
                << box.Text.toStdString();
            EXPECT_EQ(box.Caption.toStdString(), "Загрузка настроек");
            EXPECT_EQ(box.Flags, 16u);
            EXPECT_TRUE(form->DevFWLabeledEdit->Text().isEmpty());
            EXPECT_TRUE(form->StatusText(1).isEmpty());
        }
        EXPECT_FALSE(LeftInServiceMode(TakeRequests()));
        EXPECT_FALSE(form->DeviceOpen());
    }
}

// A fault in the middle of a whole-device write: the box names the block, the block after it is
// not written, service mode is left.
TEST_P(LinkTest, EachFaultDuringAWriteLeavesServiceMode) {
    for (devsim::FaultKind kind : devsim::AllFaultKinds()) {
        if (kind == devsim::FaultKind::Slow) continue;
        const std::string name = devsim::FaultKindName(kind);
        SCOPED_TRACE(name);
        NewWindows();
        StartDevice({"2:D3=" + name + "*1"});
        UseRealTime(10);
        form->DevReadNClick(nullptr);
        TakeBoxes();
        form->RS485Addr1Edit->SetText(QStringLiteral("5"));
        form->EthPortLabeledEdit->SetText(QStringLiteral("8080"));
        TakeRequests();
        form->DevWriteNClick(nullptr);
        ShownBox box = OnlyBox();
        EXPECT_TRUE(box.Text.startsWith(QStringLiteral("Ошибка записи в блок RS-485!")))
            << box.Text.toStdString();
        EXPECT_EQ(box.Caption.toStdString(), "Запись настроек");
        const auto requests = TakeRequests();
        EXPECT_EQ(Count(requests, 2, 0xD3), 1u);
        EXPECT_EQ(Count(requests, 3, 0xD3), 0u);
        EXPECT_FALSE(LeftInServiceMode(requests));
        EXPECT_FALSE(form->DeviceOpen());
    }
}
