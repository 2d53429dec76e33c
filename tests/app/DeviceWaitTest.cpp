// While the tool waits for the device: the windows paint and timers run, user input does not get
// in, the cursor shows busy, the status bar names the block and the step, and the failure box
// names the block that did not answer.

#include "AppFixture.h"

#include "platform/ui/Forms.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

} // namespace

TEST_F(AppTest, WindowsPaintButTakeNoInputWhileTheToolWaits) {
    form->Show();
    QWidget* bar = form->MainStatusBar->Widget();
    ASSERT_NE(bar, nullptr);
    PaintCounter counter;
    bar->installEventFilter(&counter);
    form->SetStatusText(0, QStringLiteral("старое 0"));
    form->SetStatusText(1, QStringLiteral("старое 1"));
    const String blowBefore = form->DevBlowTimeoutLabeledEdit->Text();
    sim->AddFault(*devsim::ParseFaultRule("0:C3=noanswer*1"));

    bool first = true, timerRan = false;
    TCursor cursorWhileWaiting = crDefault;
    String status0, status1;
    int paintsAtStart = 0;
    form->SleepMs = [&](uint32_t ms) {
        ticks += ms;
        if (!first) return;
        first = false;
        cursorWhileWaiting = Screen->Cursor();
        status0 = form->StatusText(0);
        status1 = form->StatusText(1);
        paintsAtStart = counter.paints;
        bar->update();
        QTimer::singleShot(0, [&] { timerRan = true; });
        QCoreApplication::postEvent(
            form->DevBlowTimeoutLabeledEdit->Widget(),
            new QKeyEvent(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7")));
        QCoreApplication::postEvent(form->Widget(), new QCloseEvent);
    };
    TCursor cursorInBox = crHourGlass;
    onBox = [&](const ShownBox&) { cursorInBox = Screen->Cursor(); };

    form->DevReadNClick(nullptr);
    ShownBox box = OnlyBox();
    EXPECT_TRUE(box.Text.startsWith(QStringLiteral(
        "Ошибка загрузки настроек\rБлок газоанализатора не ответил на запрос 0xC3 за 10 с.\r")))
        << box.Text.toStdString();
    EXPECT_EQ(cursorWhileWaiting, crHourGlass);
    EXPECT_EQ(status0.toStdString(), "Блок газоанализатора");
    EXPECT_EQ(status1.toStdString(), "Загрузка настроек…");
    EXPECT_GT(counter.paints, paintsAtStart) << "the status bar painted during the wait";
    EXPECT_TRUE(timerRan);
    EXPECT_EQ(form->DevBlowTimeoutLabeledEdit->Text(), blowBefore) << "no key reached the page";
    EXPECT_TRUE(form->Visible()) << "closing waits for the operation";
    EXPECT_EQ(cursorInBox, crDefault) << "boxes show the normal cursor";
    EXPECT_EQ(Screen->Cursor(), crDefault);
    // A failed read leaves the status bar as it was.
    EXPECT_EQ(form->StatusText(0).toStdString(), "старое 0");
    EXPECT_EQ(form->StatusText(1).toStdString(), "старое 1");
    bar->removeEventFilter(&counter);
    form->Hide();
}
