// Tab and Shift+Tab typed as the window system delivers them (the key with its "\t" character,
// to the widget that has the focus): the focus walks the tab order of each parent, one control
// per key, through nested containers, and skips what cannot take the focus.

#include "UiTestUtil.h"

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

// One key press and release at the focused widget, character included.
void TypeTab(bool Back) {
    QWidget* w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    const int key = Back ? Qt::Key_Backtab : Qt::Key_Tab;
    const Qt::KeyboardModifiers mods = Back ? Qt::ShiftModifier : Qt::NoModifier;
    QKeyEvent press(QEvent::KeyPress, key, mods, QStringLiteral("\t"));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, QStringLiteral("\t"));
    QApplication::sendEvent(w, &release);
    PumpEvents(5);
}

TWinControl* Focused() {
    return FindControlOfWidget(QApplication::focusWidget());
}

struct TabKeyTest : ::testing::Test {
    TForm* Form = nullptr;
    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(40, 40, 420, 300);
    }
    void TearDown() override {
        Form->Free();
        PumpEvents();
    }
    template <class C> C* Add(TWinControl* Parent, int Left, int Top) {
        auto* c = new C(Form);
        c->SetParent(Parent);
        c->SetBounds(Left, Top, 90, 21);
        return c;
    }
};

TEST_F(TabKeyTest, TabVisitsEachControlOnceInTabOrderAndShiftTabWalksBack) {
    // Form: edit A, group box G (edits G1, G2, a combo box, a check box, a disabled edit), edit B,
    // a hidden edit, a memo; G's children re-ordered so that the tab order differs from the
    // creation order.
    auto* a = Add<TEdit>(Form, 10, 10);
    auto* g = Add<TGroupBox>(Form, 10, 40);
    g->SetBounds(10, 40, 380, 120);
    auto* g1 = Add<TEdit>(g, 10, 20);
    auto* g2 = Add<TEdit>(g, 110, 20);
    auto* combo = Add<TComboBox>(g, 210, 20);
    combo->SetStyle(csDropDownList);
    combo->Items()->Add(QStringLiteral("x"));
    auto* check = Add<TCheckBox>(g, 10, 60);
    auto* disabled = Add<TEdit>(g, 110, 60);
    disabled->SetEnabled(false);
    auto* b = Add<TEdit>(Form, 10, 170);
    auto* hidden = Add<TEdit>(Form, 110, 170);
    hidden->SetVisible(false);
    auto* memo = Add<TMemo>(Form, 10, 200);
    check->SetTabOrder(0); // G: check, G1, G2, combo, disabled
    g2->SetTabOrder(1);    // G: check, G2, G1, combo, disabled

    ShowAndActivate(Form);
    a->SetFocus();
    PumpEvents(5);
    ASSERT_EQ(Focused(), a);

    const std::vector<TWinControl*> forward = {check, g2, g1, combo, b, memo, a};
    for (TWinControl* expected : forward) {
        TypeTab(false);
        EXPECT_EQ(Focused(), expected) << "forward to " << expected->ClassName().toStdString();
    }
    EXPECT_EQ(g1->Text(), String()); // the character never reached an edit
    for (auto it = forward.rbegin() + 1; it != forward.rend(); ++it) {
        TypeTab(true);
        EXPECT_EQ(Focused(), *it);
    }
    TypeTab(true);
    EXPECT_EQ(Focused(), a);
}

TEST_F(TabKeyTest, AControlThatWantsTabsKeepsTheFocusAndGetsTheCharacter) {
    auto* a = Add<TEdit>(Form, 10, 10);
    auto* memo = Add<TMemo>(Form, 10, 40);
    memo->SetWantTabs(true);
    auto* b = Add<TEdit>(Form, 10, 100);
    ShowAndActivate(Form);
    memo->SetFocus();
    PumpEvents(5);
    TypeTab(false);
    EXPECT_EQ(Focused(), memo);
    EXPECT_EQ(memo->Text(), QStringLiteral("\t"));
    (void)a;
    (void)b;
}

} // namespace
