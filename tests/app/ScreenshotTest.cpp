// Pictures of every page and dialog (offscreen), under <build>/screenshots, for a person to look
// at: tidy, readable, nothing clipped.

#include "AppFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace {

bool Save(TWinControl* window, const QString& name) {
    window->HandleNeeded();
    QWidget* w = window->Widget();
    if (!w) return false;
    w->show();
    QCoreApplication::processEvents();
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    dir.mkpath(QStringLiteral("."));
    return w->grab().save(dir.absoluteFilePath(name + QStringLiteral(".png")), "PNG");
}

} // namespace

TEST_F(AppTest, ScreenshotsOfEveryPageAndDialog) {
    form->DevReadNClick(nullptr);
    TakeBoxes();
    form->Show();
    struct Shot {
        int main, inner;
        const char* name;
    };
    for (const Shot& s : {Shot{0, 0, "app-gas-analyser"}, Shot{1, 0, "app-interface-open"},
                          Shot{1, 1, "app-interface-events"}, Shot{2, 0, "app-rs485-main"},
                          Shot{2, 1, "app-rs485-reader"}, Shot{3, 0, "app-ethernet"}}) {
        form->MainPageControl->SetActivePageIndex(s.main);
        if (s.main == 1) form->ControlPageControl->SetActivePageIndex(s.inner);
        if (s.main == 2) form->RS485PageControl->SetActivePageIndex(s.inner);
        EXPECT_TRUE(Save(form, QString::fromLatin1(s.name))) << s.name;
    }
    form->Hide();
    UnitsForm->Show();
    EXPECT_TRUE(Save(UnitsForm, QStringLiteral("app-units-dialog")));
    UnitsForm->Hide();
    Wiegant26Form->Show();
    EXPECT_TRUE(Save(Wiegant26Form, QStringLiteral("app-wiegand26-dialog")));
    Wiegant26Form->Hide();
}
