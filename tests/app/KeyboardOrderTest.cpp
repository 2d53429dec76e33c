// The tool's pages from the keyboard: Tab typed as the window system delivers it (the key with
// its character, to the focused widget) reaches every control of a page once, in the platform's
// tab order, and Shift+Tab walks the same way back.

#include "AppFixture.h"

#include "app/MainUnitPriv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWidget>

#include <set>

namespace {

void Pump() {
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        DispatchQueuedMessages();
    } while (t.elapsed() < 5);
}

TWinControl* Focused() {
    return FindControlOfWidget(QApplication::focusWidget());
}

TWinControl* TypeTab(bool Back) {
    QWidget* w = QApplication::focusWidget();
    if (!w) return nullptr;
    const int key = Back ? Qt::Key_Backtab : Qt::Key_Tab;
    const Qt::KeyboardModifiers mods = Back ? Qt::ShiftModifier : Qt::NoModifier;
    QKeyEvent press(QEvent::KeyPress, key, mods, QStringLiteral("\t"));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, QStringLiteral("\t"));
    QApplication::sendEvent(w, &release);
    Pump();
    return Focused();
}

bool Inside(TControl* c, TControl* container) {
    for (; c; c = c->Parent())
        if (c == container) return true;
    return false;
}

} // namespace

TEST_F(AppTest, TabReachesEveryControlOfEachPageOnceInTabOrder) {
    form->DevReadNClick(nullptr);
    TakeBoxes();
    form->Show();
    form->Widget()->activateWindow();
    for (int i = 0; i < 200 && !form->Active(); ++i)
        Pump();
    ASSERT_TRUE(form->Active());

    struct Page {
        int main, inner;
        TTabSheet* sheet;
    };
    const Page pages[] = {{0, 0, form->MainDeviceTabSheet},    {1, 0, form->ControlOpenTabSheet},
                          {1, 1, form->ControlEventsTabSheet}, {2, 0, form->RS485MainTabSheet},
                          {2, 1, form->RS485VReaderTabSheet},  {3, 0, form->EthTabSheet}};
    for (const Page& p : pages) {
        SCOPED_TRACE(p.sheet->Name().toStdString());
        form->MainPageControl->SetActivePageIndex(p.main);
        if (p.main == 1) form->ControlPageControl->SetActivePageIndex(p.inner);
        if (p.main == 2) form->RS485PageControl->SetActivePageIndex(p.inner);
        Pump();
        // The platform's order: the form's tab list, each parent's children in their TabOrder.
        std::vector<TWinControl*> all, expected;
        form->GetTabOrderList(all);
        for (TWinControl* c : all)
            if (Inside(c, p.sheet) && c->TabStop() && c->CanFocus()) expected.push_back(c);
        ASSERT_GT(expected.size(), 3u);
        expected.front()->SetFocus();
        Pump();
        ASSERT_EQ(Focused(), expected.front());

        std::vector<TWinControl*> forward{expected.front()};
        while (forward.size() < expected.size() + 1) {
            TWinControl* c = TypeTab(false);
            if (!c || !Inside(c, p.sheet)) break;
            forward.push_back(c);
        }
        EXPECT_EQ(forward, expected);
        // Every edit, list and check box of the page is among them.
        std::set<TWinControl*> reached(forward.begin(), forward.end());
        for (TWinControl* c : all)
            if (Inside(c, p.sheet) && c->CanFocus() &&
                (IsExactClass(c, "TEdit") || IsExactClass(c, "TLabeledEdit") ||
                 IsExactClass(c, "TComboBox") || IsExactClass(c, "TCheckBox")))
                EXPECT_TRUE(reached.count(c)) << c->Name().toStdString() << " cannot be reached";

        // Back from the last one.
        expected.back()->SetFocus();
        Pump();
        std::vector<TWinControl*> backward{expected.back()};
        while (backward.size() < expected.size() + 1) {
            TWinControl* c = TypeTab(true);
            if (!c || !Inside(c, p.sheet)) break;
            backward.push_back(c);
        }
        EXPECT_EQ(std::vector<TWinControl*>(backward.rbegin(), backward.rend()), expected);
    }
    form->Hide();
}
