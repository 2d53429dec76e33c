// The tool against the simulator program on a pseudo-terminal, paced at the line's rate, with
// real time: a whole-device read, a write and a read back.

#include "AppFixture.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

#include <chrono>
#include <cstdlib>

TEST_F(AppTest, WholeDeviceThroughAPseudoTerminal) {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/kvt-devsim");
    if (!QFileInfo::exists(program)) GTEST_SKIP() << "kvt-devsim not built";
    QProcess devsim;
    devsim.start(program, {QStringLiteral("--save"), dir.filePath(QStringLiteral("state.txt"))});
    ASSERT_TRUE(devsim.waitForStarted(5000));
    ASSERT_TRUE(devsim.waitForReadyRead(5000));
    const QString tty = QString::fromLocal8Bit(devsim.readLine()).trimmed();
    ASSERT_TRUE(tty.startsWith(QStringLiteral("/dev/")));
    setenv("KVT_SERIAL_PORT", tty.toLocal8Bit().constData(), 1);
    SetSerialTransportFactory({});
    form->TickCount = [] { return GetTickCount(); };
    form->SleepMs = [f = form](uint32_t ms) { f->WaitForAdapter(ms); };

    const auto start = std::chrono::steady_clock::now();
    form->DevReadNClick(nullptr);
    EXPECT_EQ(OnlyBox().Flags, 64u);
    EXPECT_EQ(T(form->DevFWLabeledEdit), "2.15");
    EXPECT_EQ(T(form->EthMACLabeledEdit), "02:4B:56:54:00:01");
    form->DevBlowTimeoutLabeledEdit->SetText(QStringLiteral("44"));
    form->RS485BaseCardEdit->SetText(QStringLiteral("4321"));
    form->DevWriteNClick(nullptr);
    EXPECT_EQ(OnlyBox().Flags, 64u);
    NewWindows();
    form->TickCount = [] { return GetTickCount(); };
    form->SleepMs = [f = form](uint32_t ms) { f->WaitForAdapter(ms); };
    form->DevReadNClick(nullptr);
    TakeBoxes();
    EXPECT_EQ(T(form->DevBlowTimeoutLabeledEdit), "44");
    EXPECT_EQ(T(form->RS485BaseCardEdit), "4321");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

    unsetenv("KVT_SERIAL_PORT");
    devsim.terminate();
    devsim.waitForFinished(5000);
}
