// A late or broken-off answer never stands in for a later request's answer: the receive queue is
// emptied before each request, a foreign answer fails its exchange, and an operation whose
// exchange failed writes nothing more.  The device's own log and state show what it was sent.

#include "AppFixture.h"

namespace {

std::string S(const String& s) {
    return s.toStdString();
}

size_t Count(const std::vector<devsim::LoggedRequest>& log, int address, uint8_t command, int sub = -1) {
    size_t n = 0;
    for (const auto& r : log)
        if (r.address == address && !r.data.empty() && r.data[0] == command &&
            (sub < 0 || (r.data.size() > 1 && r.data[1] == sub)))
            ++n;
    return n;
}

// Requests that change the device: service mode on, the clock, the parameter and event writes and
// the Ethernet block's file changes (its list and entry queries only read).
size_t Writes(const std::vector<devsim::LoggedRequest>& log) {
    size_t n = 0;
    for (const auto& r : log) {
        if (r.data.empty()) continue;
        const uint8_t c = r.data[0];
        const int sub = r.data.size() > 1 ? r.data[1] : -1;
        if ((c == 0xD0 && sub == 1) || c == 0xD1 || c == 0xD3 || c == 0xD5 || c == 0xD6 ||
            (c == 0xD4 && !(r.address == 3 && (sub == 0 || sub == 4))))
            ++n;
    }
    return n;
}

} // namespace

class LinkResyncTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        // Read everything once, then change a value on each page, as a user would before writing.
        form->DevReadNClick(nullptr);
        TakeBoxes();
        form->DevBlowTimeoutLabeledEdit->SetText(QStringLiteral("44"));
        form->RS485BaseCardEdit->SetText(QStringLiteral("4321"));
        form->EthPortLabeledEdit->SetText(QStringLiteral("8080"));
        before = sim->State();
        sim->ClearLog();
    }

    // The next whole-device write goes through and the device holds what the pages say.
    void NextWriteSucceeds() {
        sim->ClearFaults();
        form->DevWriteNClick(nullptr);
        ShownBox box = OnlyBox();
        EXPECT_EQ(box.Flags, 64u) << S(box.Text);
        EXPECT_EQ(sim->State().gasParams[3], 44);
        EXPECT_EQ(Le16Of(sim->State().ethParams, 14), 8080);
        EXPECT_FALSE(sim->ServiceMode());
    }

    devsim::DeviceState before;
};

// The device answers a presence query of the write's checks too late (or cuts the answer off):
// the tool stops before service mode, names the block that failed, and the device is unchanged.
TEST_F(LinkResyncTest, FailedQueryBeforeAWriteWritesNothing) {
    struct Case {
        const char* fault;
        const char* reason;
    };
    const Case cases[] = {
        {"0:C5:02=late*1",
         "Ошибка записи в блок RS-485!\rБлок газоанализатора не ответил на запрос 0xC5 за 10 с."},
        {"0:C5:03=short*1", "Ошибка записи в блок Ehernet!\rБлок газоанализатора: ответ на запрос 0xC5 "
                            "оборвался (получено 3 из 6 байт)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        sim->AddFault(*devsim::ParseFaultRule(c.fault));
        form->DevWriteNClick(nullptr);
        ShownBox box = OnlyBox();
        EXPECT_TRUE(box.Text.startsWith(QString::fromUtf8(c.reason) + QStringLiteral("\r(MainUnit: ")))
            << S(box.Text);
        EXPECT_EQ(S(box.Caption), "Запись настроек");
        EXPECT_EQ(box.Flags, 16u);
        EXPECT_FALSE(form->DeviceOpen());
        EXPECT_EQ(Writes(sim->Log()), 0u);
        EXPECT_EQ(sim->State().gasParams, before.gasParams);
        EXPECT_EQ(sim->State().rsParams, before.rsParams);
        EXPECT_FALSE(sim->ServiceMode());
        // A failed write leaves the status bar as it was.
        EXPECT_EQ(S(form->StatusText(1)), "Настройки загружены");
        sim->ClearLog();
    }
    NextWriteSucceeds();
}

// A write acknowledgement that comes late or breaks off: the block after it is not written,
// service mode is left as the write commands always leave it, and what is left of the
// acknowledgement is not taken for the answer to the service-mode command that follows.
TEST_F(LinkResyncTest, FailedAcknowledgementStopsTheWrite) {
    struct Case {
        const char* fault;
        const char* reason;
    };
    const Case cases[] = {
        {"2:D3=late*1", "Блок RS-485 не ответил на запрос 0xD3 за 10 с."},
        {"2:D3=short*1", "Блок RS-485: ответ на запрос 0xD3 оборвался (получено 3 из 6 байт)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        sim->ClearLog();
        sim->AddFault(*devsim::ParseFaultRule(c.fault));
        form->DevWriteNClick(nullptr);
        ShownBox box = OnlyBox();
        EXPECT_TRUE(box.Text.startsWith(QStringLiteral("Ошибка записи в блок RS-485!\r") +
                                        QString::fromUtf8(c.reason) + QStringLiteral("\r")))
            << S(box.Text);
        const auto log = sim->Log();
        EXPECT_EQ(Count(log, 0, 0xD3), 1u);
        EXPECT_EQ(Count(log, 2, 0xD3), 1u);
        EXPECT_EQ(Count(log, 3, 0xD3), 0u) << "the block after the failure is not written";
        EXPECT_EQ(Count(log, 0, 0xD0, 0), 1u);
        EXPECT_FALSE(sim->ServiceMode());
        EXPECT_EQ(sim->State().ethParams, before.ethParams);
    }
    NextWriteSucceeds();
}

// Reads: an answer cut off in the middle of the RS-485 block's parameters leaves its rest on the
// line; the Ethernet block after it is still read correctly.  A late answer to the gas analyser
// fails the read; the next read goes through.
TEST_F(LinkResyncTest, CutOrLateAnswerDoesNotSpillIntoTheNextRead) {
    sim->AddFault(*devsim::ParseFaultRule("2:C3=short*1"));
    form->EthPortLabeledEdit->SetText(QStringLiteral("1"));
    form->DevReadNClick(nullptr);
    ShownBox box = OnlyBox();
    EXPECT_EQ(S(box.Text),
              "Загружены настройки из\r\r1) Блок газоанализатора\r2) Блок сопряжения\r3) Блок Ethernet\r");
    EXPECT_EQ(T(form->EthPortLabeledEdit), "80");
    EXPECT_EQ(T(form->RS485BaseCardEdit), "4321") << "the failed block's page is untouched";

    sim->AddFault(*devsim::ParseFaultRule("0:C6=late*1"));
    form->DevReadNClick(nullptr);
    box = OnlyBox();
    EXPECT_TRUE(box.Text.startsWith(QStringLiteral(
        "Ошибка загрузки настроек\rБлок газоанализатора не ответил на запрос 0xC6 за 10 с.\r")))
        << S(box.Text);
    EXPECT_EQ(Writes(sim->Log()), 0u);

    form->MainPageControl->SetActivePageIndex(baRs485);
    form->BlockReadNClick(nullptr);
    EXPECT_EQ(S(OnlyBox().Text), "Загружены настройки блока RS-485!");
    EXPECT_EQ(T(form->RS485BaseCardEdit), "1000");
}

// An answer that starts with anything but the start byte, or comes from another block, fails the
// exchange at once; the bytes are not kept for the next request.
TEST_F(LinkResyncTest, ForeignAnswersFailTheirExchange) {
    sim->AddFault(*devsim::ParseFaultRule("0:C2=garbage*1"));
    form->MainPageControl->SetActivePageIndex(baGasAnalyser);
    form->BlockReadNClick(nullptr);
    EXPECT_TRUE(
        OnlyBox().Text.startsWith(QStringLiteral("Ошибка загрузки настроек блока газоанализатора!\rБлок "
                                                 "газоанализатора: неверный ответ на запрос 0xC2.\r")));
    form->BlockReadNClick(nullptr);
    EXPECT_EQ(S(OnlyBox().Text), "Загружены настройки блока газоанализатора!");

    // The interface block's answer comes late, while the tool waits for the gas analyser's.
    ASSERT_TRUE(form->OpenDevice());
    sim->AddFault(*devsim::ParseFaultRule("1:C2=late*1"));
    TAnswerBuffer answer;
    const uint8_t c2[1] = {0xC2}, presence[2] = {0xC5, 0x02};
    ASSERT_TRUE(form->SendRequest(c2, 1, baInterface));
    EXPECT_FALSE(form->ReceiveAnswer(answer.data()));
    ASSERT_TRUE(form->SendRequest(presence, 2, baGasAnalyser));
    EXPECT_FALSE(form->ReceiveAnswer(answer.data()));
    EXPECT_EQ(answer[4], 0) << "nothing of the foreign answer is handed on";
    EXPECT_TRUE(form->LinkFailed());
    EXPECT_EQ(S(form->LinkError()), "Блок сопряжения не ответил на запрос 0xC2 за 10 с.")
        << "the first cause";
    ASSERT_TRUE(form->SendRequest(presence, 2, baGasAnalyser));
    EXPECT_TRUE(form->ReceiveAnswer(answer.data())) << "the next exchange starts clean";
    // After that no write goes out in this operation; the service mode's off command still does.
    sim->ClearLog();
    const uint8_t on[2] = {0xD0, 0x01}, off[2] = {0xD0, 0x00};
    EXPECT_FALSE(form->SendRequest(on, 2, baGasAnalyser));
    EXPECT_TRUE(form->SendRequest(off, 2, baGasAnalyser));
    EXPECT_EQ(sim->Log().size(), 1u);
    form->CloseDevice();
    ASSERT_TRUE(form->OpenDevice());
    EXPECT_FALSE(form->LinkFailed()) << "a new operation starts afresh";
    form->CloseDevice();
}
