// The device link: frames on the wire, answers taken off it, time-outs, the adapter's life.

#include "AppFixture.h"

#include <QFile>

#include <cstdlib>
#include <functional>

namespace {

// A scripted adapter: records what is written and serves bytes that arrive at given times.
struct ScriptLine {
    std::vector<uint8_t> written;
    struct Arrival {
        uint32_t at;
        std::vector<uint8_t> bytes;
    };
    std::vector<Arrival> arrivals;
    std::function<uint32_t()> now;
    int closes = 0;
    FT_STATUS baudStatus = FT_OK;
};

class ScriptTransport : public TSerialTransport {
public:
    explicit ScriptTransport(ScriptLine& line) : line_(line) {}
    ~ScriptTransport() override { ++line_.closes; }
    FT_STATUS Read(uint8_t* buffer, uint32_t count, uint32_t* got) override {
        arrive();
        *got = 0;
        while (*got < count && !queue_.empty()) {
            buffer[(*got)++] = queue_.front();
            queue_.pop_front();
        }
        return FT_OK;
    }
    FT_STATUS Write(const uint8_t* buffer, uint32_t count, uint32_t* written) override {
        line_.written.insert(line_.written.end(), buffer, buffer + count);
        *written = count;
        return FT_OK;
    }
    FT_STATUS SetBaudRate(uint32_t) override { return line_.baudStatus; }
    FT_STATUS SetDataCharacteristics(uint8_t, uint8_t, uint8_t) override { return FT_OK; }
    FT_STATUS SetTimeouts(uint32_t, uint32_t) override { return FT_OK; }
    FT_STATUS GetQueueStatus(uint32_t* rx) override {
        arrive();
        *rx = uint32_t(queue_.size());
        return FT_OK;
    }

private:
    void arrive() {
        auto& a = line_.arrivals;
        while (!a.empty() && a.front().at <= line_.now()) {
            queue_.insert(queue_.end(), a.front().bytes.begin(), a.front().bytes.end());
            a.erase(a.begin());
        }
    }
    ScriptLine& line_;
    std::deque<uint8_t> queue_;
};

class DeviceLinkTest : public AppTest {
protected:
    void UseScript() {
        line.now = [this] { return ticks; };
        SetSerialTransportFactory(
            [this](int, FT_STATUS*, std::string*) { return std::make_unique<ScriptTransport>(line); });
    }
    ScriptLine line;
};

std::vector<uint8_t> Frame(std::vector<uint8_t> body) {
    return devsim::MakeFrame(0, body);
}

} // namespace

TEST_F(DeviceLinkTest, RequestFramesOnTheWire) {
    UseScript();
    ASSERT_TRUE(form->OpenDevice());
    struct Case {
        std::vector<uint8_t> data;
        std::vector<uint8_t> frame;
    };
    const Case cases[] = {
        {{0xC5, 0x02}, {0xAA, 0x07, 0x00, 0xA1, 0xC5, 0x02, 0x19}},
        {{0xD0, 0x01}, {0xAA, 0x07, 0x00, 0xA1, 0xD0, 0x01, 0x23}},
        {{0xD0, 0x00}, {0xAA, 0x07, 0x00, 0xA1, 0xD0, 0x00, 0x22}},
    };
    for (const Case& c : cases) {
        line.written.clear();
        EXPECT_TRUE(form->SendRequest(c.data.data(), int(c.data.size()), 0));
        EXPECT_EQ(line.written, c.frame);
    }
    // A frame holds at most 251 data bytes; a longer request is refused, nothing is written.
    std::vector<uint8_t> big(252, 0x11);
    line.written.clear();
    EXPECT_TRUE(form->SendRequest(big.data(), 251, 3));
    EXPECT_EQ(line.written.size(), 256u);
    line.written.clear();
    EXPECT_FALSE(form->SendRequest(big.data(), 252, 3));
    EXPECT_TRUE(line.written.empty());
    form->CloseDevice();
}

TEST_F(DeviceLinkTest, ClockPayloadIsPackedBcd) {
    EXPECT_EQ(TMainForm::ByteToBcd(0), 0x00);
    EXPECT_EQ(TMainForm::ByteToBcd(9), 0x09);
    EXPECT_EQ(TMainForm::ByteToBcd(59), 0x59);
    ASSERT_TRUE(form->OpenDevice());
    ASSERT_TRUE(form->SetServiceMode(true));
    sim->ClearLog();
    EXPECT_TRUE(form->SendClock(EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 59, 0)));
    ASSERT_EQ(sim->Log().size(), 1u);
    EXPECT_EQ(sim->Log()[0].data, (std::vector<uint8_t>{0xD1, 0x05, 0x03, 0x24, 0x14, 0x07}));
    form->SetServiceMode(false);
    form->CloseDevice();
}

TEST_F(DeviceLinkTest, AnswersThatCannotBeTakenFail) {
    UseScript();
    ASSERT_TRUE(form->OpenDevice());
    TAnswerBuffer a;
    auto good = Frame({0x01, 0x55});
    // A whole frame with the right sum.
    line.arrivals = {{0, good}};
    EXPECT_TRUE(form->ReceiveAnswer(a.data()));
    EXPECT_EQ(a[4], 0x01);
    // Wrong sum.
    auto bad = good;
    bad.back() ^= 1;
    line.arrivals = {{ticks, bad}};
    EXPECT_FALSE(form->ReceiveAnswer(a.data()));
    // Length bytes too small to hold a status: 0, 1 and 5 fail without reading beyond.
    for (uint8_t len : {0, 1}) {
        line.arrivals = {{ticks, {0xAA, len, 0x00}}};
        EXPECT_FALSE(form->ReceiveAnswer(a.data())) << int(len);
    }
    line.arrivals = {{ticks, {0xAA, 0x05, 0x00, 0xA1, 0x50}}};
    EXPECT_FALSE(form->ReceiveAnswer(a.data()));
    // The buffer is cleared before each receive: no byte of an older answer survives.
    EXPECT_EQ(a[4], 0);
    form->CloseDevice();
}

TEST_F(DeviceLinkTest, WaitsEndAfterTenSeconds) {
    UseScript();
    ASSERT_TRUE(form->OpenDevice());
    TAnswerBuffer a;
    // Only two bytes ever arrive: the wait for the header gives up 10 s after the start.
    uint32_t start = ticks;
    line.arrivals = {{ticks, {0xAA, 0x07}}};
    EXPECT_FALSE(form->ReceiveAnswer(a.data()));
    EXPECT_GT(ticks - start, 10000u);
    EXPECT_LE(ticks - start, 10002u);
    // The header comes after 3 s, the rest never: the failure comes 10 s after the header.
    form->CloseDevice();
    ASSERT_TRUE(form->OpenDevice());
    start = ticks;
    line.arrivals = {{start + 3000, {0xAA, 0x07, 0x00}}};
    EXPECT_FALSE(form->ReceiveAnswer(a.data()));
    EXPECT_GT(ticks - start, 13000u);
    EXPECT_LE(ticks - start, 13003u);
    // A slow but complete answer is taken.
    form->CloseDevice();
    ASSERT_TRUE(form->OpenDevice());
    auto frame = Frame({0x3C, 1, 2, 3});
    line.arrivals.clear();
    for (size_t i = 0; i < frame.size(); ++i)
        line.arrivals.push_back({ticks + 500 * uint32_t(i), {frame[i]}});
    EXPECT_TRUE(form->ReceiveAnswer(a.data()));
    form->CloseDevice();
}

TEST_F(DeviceLinkTest, AdapterThatCannotBeSetUpIsClosed) {
    UseScript();
    line.baudStatus = FT_INVALID_BAUD_RATE;
    EXPECT_FALSE(form->OpenDevice());
    ShownBox box = OnlyBox();
    EXPECT_TRUE(box.Text.startsWith(QStringLiteral("Ошибка настройки устройства (7)!\r(MainUnit: ")));
    EXPECT_EQ(line.closes, 1);
    EXPECT_FALSE(form->DeviceOpen());
    // Closing again does not touch the adapter.
    EXPECT_TRUE(form->CloseDevice());
    EXPECT_EQ(line.closes, 1);
}

// The adapter layer's reason goes on a second line of the open-error box and to standard error.
TEST_F(DeviceLinkTest, AdapterOpenErrorsSayWhy) {
    const String missing = dir.filePath(QStringLiteral("ttyUSB7"));
    const String plain = dir.filePath(QStringLiteral("notatty"));
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    struct Case {
        String port;
        const char* head;
        String reason;
    };
    const Case cases[] = {
        {missing, "Ошибка открытия устройства (2)!",
         QStringLiteral("Порт %1 не существует (подключён ли адаптер?)").arg(missing)},
        {plain, "Ошибка открытия устройства (3)!",
         QStringLiteral("%1 не является последовательным портом").arg(plain)},
    };
    SetSerialTransportFactory({});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        setenv("KVT_SERIAL_PORT", c.port.toLocal8Bit().constData(), 1);
        testing::internal::CaptureStderr();
        form->DevReadNClick(nullptr);
        const std::string err = testing::internal::GetCapturedStderr();
        auto b = TakeBoxes();
        ASSERT_EQ(b.size(), 2u);
        EXPECT_EQ(b[0].Text.section(QStringLiteral("\r(MainUnit: "), 0, 0),
                  QString::fromUtf8(c.head) + QStringLiteral("\r") + c.reason);
        EXPECT_EQ(b[0].Caption.toStdString(), "Ошибка");
        EXPECT_TRUE(b[1].Text.startsWith(QStringLiteral("Устройство отсутствует!")));
        EXPECT_EQ(b[1].Caption.toStdString(), "Блок газоанализатора");
        EXPECT_NE(err.find(c.head), std::string::npos) << err;
        EXPECT_NE(err.find(c.reason.toStdString()), std::string::npos) << err;
        EXPECT_FALSE(form->DeviceOpen());
    }
    unsetenv("KVT_SERIAL_PORT");
}

TEST_F(DeviceLinkTest, PresenceAndServiceMode) {
    ASSERT_TRUE(form->OpenDevice());
    EXPECT_TRUE(form->IsBlockPresent(2));
    sim->SetPresent(2, false);
    EXPECT_FALSE(form->IsBlockPresent(2));
    EXPECT_TRUE(form->SetServiceMode(true));
    EXPECT_TRUE(sim->ServiceMode());
    EXPECT_TRUE(form->SendShowTexts());
    EXPECT_TRUE(sim->ShowingTexts());
    EXPECT_TRUE(form->SetServiceMode(false));
    EXPECT_FALSE(sim->ServiceMode());
    // A presence answer with status 2 means the block is absent.
    sim->SetPresent(2, true);
    sim->AddFault(*devsim::ParseFaultRule("0:C5=status"));
    EXPECT_FALSE(form->IsBlockPresent(2));
    form->CloseDevice();
}
