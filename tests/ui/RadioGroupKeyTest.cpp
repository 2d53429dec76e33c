// A radio group driven by the keyboard alone, with key presses delivered as the window system
// delivers them: Tab enters the group at its checked button, the arrows move and check, and a
// form shown modally starts with a focused control.

#include "Screenshot.h"
#include "UiTestUtil.h"

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// One key press and release at the focused widget.
void Press(int Key, Qt::KeyboardModifiers Mods = Qt::NoModifier, const QString& Text = QString()) {
    QWidget* w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    QKeyEvent press(QEvent::KeyPress, Key, Mods, Text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Key, Mods, Text);
    QApplication::sendEvent(w, &release);
    PumpEvents(5);
}
void Tab(bool Back = false) {
    Press(Back ? Qt::Key_Backtab : Qt::Key_Tab, Back ? Qt::ShiftModifier : Qt::NoModifier,
          QStringLiteral("\t"));
}

TWinControl* Focused() {
    return FindControlOfWidget(QApplication::focusWidget());
}

struct RadioGroupKeyTest : ::testing::Test {
    TForm* Form = nullptr;
    TEdit* Before = nullptr;
    TRadioGroup* Group = nullptr;
    TButton* After = nullptr;
    int Clicks = 0;
    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(40, 40, 300, 220);
        Before = new TEdit(Form);
        Before->SetParent(Form);
        Before->SetBounds(10, 10, 120, 21);
        Group = new TRadioGroup(Form);
        Group->SetParent(Form);
        Group->SetBounds(10, 40, 200, 110);
        Group->SetCaption(QStringLiteral("Kind"));
        for (const char* s : {"One", "Two", "Three"})
            Group->Items()->Add(QString::fromLatin1(s));
        Group->OnClick = TNotifyEvent::Callable([this](TObject*) { ++Clicks; });
        After = new TButton(Form);
        After->SetParent(Form);
        After->SetBounds(10, 160, 75, 25);
    }
    void TearDown() override {
        Form->Free();
        PumpEvents();
    }
    void ShowWithFocusBefore() {
        ShowAndActivate(Form);
        Before->SetFocus();
        PumpEvents(5);
        ASSERT_EQ(Focused(), Before);
    }
    // The control that has the focus once the form runs modally.
    TWinControl* FocusedWhenShownModally() {
        TWinControl* seen = nullptr;
        QTimer look; // owned here: it must not outlive this call
        look.setSingleShot(true);
        // Under load the window system may activate the form late: look again until it is
        // active (or give up after about five seconds and report what has the focus then).
        int tries = 0;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (QApplication::activeWindow() != Form->Widget() && ++tries < 100) {
                look.start(50);
                return;
            }
            PumpEvents(5);
            seen = Focused();
            Form->SetModalResult(mrCancel);
        });
        look.start(100);
        EXPECT_EQ(Form->ShowModal(), mrCancel);
        return seen;
    }
};

TEST_F(RadioGroupKeyTest, TabEntersAtTheCheckedButtonAndArrowsMoveAndCheck) {
    Group->SetItemIndex(1);
    ShowWithFocusBefore();
    Clicks = 0;

    Tab();
    ASSERT_EQ(Focused(), Group->Buttons(1));
    EXPECT_TRUE(Group->Buttons(1)->Widget()->hasFocus());

    // Down/Right go to the next button, Up/Left to the previous one; both wrap at the ends.
    struct Step {
        int Key;
        int Index;
    };
    const Step steps[] = {{Qt::Key_Down, 2}, {Qt::Key_Down, 0}, {Qt::Key_Right, 1},
                          {Qt::Key_Up, 0},   {Qt::Key_Left, 2}, {Qt::Key_Up, 1}};
    int expectedClicks = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.Index);
        Press(s.Key);
        EXPECT_EQ(Focused(), Group->Buttons(s.Index));
        EXPECT_EQ(Group->ItemIndex(), s.Index);
        EXPECT_EQ(Clicks, ++expectedClicks);
        for (int i = 0; i < Group->ButtonCount(); ++i)
            EXPECT_EQ(Group->Buttons(i)->Checked(), i == s.Index);
    }

    // The group is one tab stop: Tab leaves it, Shift+Tab comes back to the checked button.
    Tab();
    EXPECT_EQ(Focused(), After);
    Tab(true);
    EXPECT_EQ(Focused(), Group->Buttons(1));
    Tab(true);
    EXPECT_EQ(Focused(), Before);
    EXPECT_EQ(Clicks, expectedClicks);
}

TEST_F(RadioGroupKeyTest, WithNothingCheckedTabEntersAtTheFirstButton) {
    ShowWithFocusBefore();
    Tab();
    EXPECT_EQ(Focused(), Group->Buttons(0));
    EXPECT_EQ(Group->ItemIndex(), -1); // entering does not choose
    Press(Qt::Key_Down);
    EXPECT_EQ(Group->ItemIndex(), 1);
    EXPECT_EQ(Clicks, 1);
}

TEST_F(RadioGroupKeyTest, FocusedButtonIsVisible) {
    Group->SetItemIndex(0);
    ShowWithFocusBefore();
    Tab();
    Press(Qt::Key_Down);
    // The style draws the focus rectangle only after focus moved by the keyboard.
    EXPECT_TRUE(Group->Buttons(1)->Widget()->hasFocus());
    EXPECT_TRUE(Form->Widget()->testAttribute(Qt::WA_KeyboardFocusChange));
    EXPECT_FALSE(SaveFormScreenshot(Form, QStringLiteral("radio-group-focused")).isEmpty());
}

// Each case shows a fresh form once (the offscreen platform does not activate a window that is
// shown again).
TEST_F(RadioGroupKeyTest, ModalFormFocusesTheFirstTabStop) {
    // A test that ran the application's loop before leaves it terminated, which ends every modal loop.
    if (Application->Terminated()) GTEST_SKIP() << "the application was terminated by an earlier test";
    Group->SetItemIndex(2);
    EXPECT_EQ(FocusedWhenShownModally(), Before);
}

TEST_F(RadioGroupKeyTest, ModalFormFocusesItsActiveControl) {
    // A test that ran the application's loop before leaves it terminated, which ends every modal loop.
    if (Application->Terminated()) GTEST_SKIP() << "the application was terminated by an earlier test";
    Group->SetItemIndex(2);
    Form->OnShow = TNotifyEvent::Callable([this](TObject*) { Form->SetActiveControl(Group->Buttons(2)); });
    EXPECT_EQ(FocusedWhenShownModally(), Group->Buttons(2));
}

} // namespace
