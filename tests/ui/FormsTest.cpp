// Forms: focus and the enter/exit rules, tab order and dialog keys, key preview, modal results,
// closing, message boxes through the test hook, and hints.

#include "UiTestUtil.h"

#include "platform/db/DB.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

struct FormFixture : ::testing::Test {
    TForm* Form = nullptr;
    std::vector<QString> Log;
    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(40, 40, 320, 240);
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        if (Form) Form->Free();
        PumpEvents();
    }
    TEdit* AddEdit(const QString& name, int top) {
        auto* e = new TEdit(Form);
        e->SetName(name);
        e->SetParent(Form);
        e->SetBounds(10, top, 100, 21);
        e->OnEnter = TNotifyEvent::Callable(
            [this, name](TObject*) { Log.push_back(name + QStringLiteral(".enter")); });
        e->OnExit =
            TNotifyEvent::Callable([this, name](TObject*) { Log.push_back(name + QStringLiteral(".exit")); });
        return e;
    }
};

using FocusTest = FormFixture;

TEST_F(FocusTest, ExitAndEnterFireForMovesInsideTheForm) {
    auto* a = AddEdit(QStringLiteral("A"), 10);
    auto* b = AddEdit(QStringLiteral("B"), 40);
    ShowAndActivate(Form);
    EXPECT_EQ(Form->ActiveControl(), a); // the first tab stop
    EXPECT_TRUE(a->Focused());
    Log.clear();
    b->SetFocus();
    PumpEvents(10);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(Log, (std::vector<QString>{QStringLiteral("A.exit"), QStringLiteral("B.enter")}));
    EXPECT_EQ(Screen->ActiveControl(), b);
}

TEST_F(FocusTest, FocusLeavingForAnotherWindowRunsNoExit) {
    auto* a = AddEdit(QStringLiteral("A"), 10);
    ShowAndActivate(Form);
    a->SetFocus();
    PumpEvents(10);
    Log.clear();
    auto* other = new TForm(nullptr);
    other->SetBounds(400, 40, 200, 100);
    auto* oe = new TEdit(other);
    oe->SetParent(other);
    ShowAndActivate(other);
    PumpEvents(10);
    EXPECT_TRUE(oe->Focused());
    EXPECT_TRUE(Log.empty());
    // Back to the first form: its active control gets the focus again without an enter.
    other->Free();
    Form->SetFocus();
    Form->Widget()->activateWindow();
    PumpEvents(30);
    EXPECT_EQ(Form->ActiveControl(), a);
    EXPECT_TRUE(Log.empty());
}

TEST_F(FocusTest, HiddenOrDisabledControlsCannotBeFocused) {
    auto* a = AddEdit(QStringLiteral("A"), 10);
    auto* b = AddEdit(QStringLiteral("B"), 40);
    b->SetEnabled(false);
    ShowAndActivate(Form);
    EXPECT_FALSE(b->CanFocus());
    EXPECT_THROW(b->SetFocus(), EInvalidOperation);
    a->SetVisible(false);
    EXPECT_FALSE(a->CanFocus());
}

TEST_F(FocusTest, TabMovesInTabOrderAndShiftTabBack) {
    auto* a = AddEdit(QStringLiteral("A"), 10);
    auto* b = AddEdit(QStringLiteral("B"), 40);
    auto* c = AddEdit(QStringLiteral("C"), 70);
    c->SetTabOrder(0); // C, A, B
    ShowAndActivate(Form);
    EXPECT_EQ(Form->ActiveControl(), c);
    SendKey(c, Qt::Key_Tab);
    PumpEvents(5);
    EXPECT_TRUE(a->Focused());
    SendKey(a, Qt::Key_Tab);
    PumpEvents(5);
    EXPECT_TRUE(b->Focused());
    SendKey(b, Qt::Key_Tab);
    PumpEvents(5);
    EXPECT_TRUE(c->Focused());
    SendKey(c, Qt::Key_Backtab, Qt::ShiftModifier);
    PumpEvents(5);
    EXPECT_TRUE(b->Focused());
}

TEST_F(FocusTest, KeyPreviewSeesKeysBeforeTheControl) {
    auto* a = AddEdit(QStringLiteral("A"), 10);
    Form->SetKeyPreview(true);
    QString seen;
    Form->OnKeyPress = TKeyPressEvent::Callable([&](TObject*, Char& k) {
        seen += k;
        if (k == QChar(27)) k = Char(0);
        if (k == QLatin1Char('q')) k = Char(0);
    });
    ShowAndActivate(Form);
    TypeText(a, QStringLiteral("aq"));
    EXPECT_EQ(seen, QStringLiteral("aq"));
    EXPECT_EQ(a->Text(), QStringLiteral("a"));
}

using DialogTest = FormFixture;

TEST_F(DialogTest, DefaultAndCancelButtonsAnswerEnterAndEscape) {
    auto* e = AddEdit(QStringLiteral("A"), 10);
    auto* ok = new TButton(Form);
    ok->SetParent(Form);
    ok->SetBounds(10, 100, 75, 25);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = new TButton(Form);
    cancel->SetParent(Form);
    cancel->SetBounds(100, 100, 75, 25);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    int okClicks = 0;
    ok->OnClick = TNotifyEvent::Callable([&](TObject*) { ++okClicks; });
    QTimer::singleShot(50, [&] { SendKey(e, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")); });
    EXPECT_EQ(Form->ShowModal(), mrOk);
    EXPECT_EQ(okClicks, 1);
    EXPECT_FALSE(Form->Visible());
    QTimer::singleShot(50, [&] { SendKey(e, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b")); });
    EXPECT_EQ(Form->ShowModal(), mrCancel);
    EXPECT_EQ(okClicks, 1);
}

TEST_F(DialogTest, CloseQueryCanRefuseAndAButtonWithoutModalResultDoesNotClose) {
    auto* b = new TButton(Form);
    b->SetParent(Form);
    auto* ok = new TButton(Form);
    ok->SetParent(Form);
    ok->SetTop(40);
    ok->SetModalResult(mrOk);
    int queries = 0;
    Form->OnCloseQuery = TCloseQueryEvent::Callable([&](TObject*, bool& can) { can = ++queries > 1; });
    QTimer::singleShot(30, [&] {
        b->Click();  // stays open
        ok->Click(); // refused once by OnCloseQuery
        QTimer::singleShot(30, [&] { ok->Click(); });
    });
    EXPECT_EQ(Form->ShowModal(), mrOk);
    EXPECT_EQ(queries, 2);
}

TEST_F(DialogTest, CloseOfAModalFormGivesCancelAndShowModalOnAVisibleFormFails) {
    QTimer::singleShot(30, [&] { Form->Close(); });
    EXPECT_EQ(Form->ShowModal(), mrCancel);
    Form->Show();
    EXPECT_THROW(Form->ShowModal(), EInvalidOperation);
}

TEST_F(DialogTest, CloseRunsOnCloseAndHidesOrFrees) {
    ShowAndActivate(Form);
    TCloseAction want = caHide;
    int closes = 0;
    Form->OnClose = TCloseEvent::Callable([&](TObject*, TCloseAction& a) {
        ++closes;
        a = want;
    });
    Form->Close();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(Form->Visible());
    want = caNone;
    Form->Show();
    Form->Close();
    EXPECT_TRUE(Form->Visible());
    want = caFree;
    bool destroyed = false;
    Form->OnDestroy = TNotifyEvent::Callable([&](TObject*) { destroyed = true; });
    Form->Close();
    PumpEvents(10);
    EXPECT_TRUE(destroyed);
    Form = nullptr;
}

TEST_F(DialogTest, MessageBoxHookAnswersAndExceptionsAreShown) {
    std::vector<std::pair<QString, UINT>> boxes;
    SetMessageBoxHook([&](const String& text, const String&, UINT flags) {
        boxes.push_back({text, flags});
        return IDYES;
    });
    EXPECT_EQ(
        Application->MessageBox(QStringLiteral("Sure?"), QStringLiteral("Q"), MB_YESNO | MB_ICONQUESTION),
        IDYES);
    try {
        throw Exception(QStringLiteral("Bad value"));
    } catch (...) {
        Application->HandleException(nullptr);
    }
    try {
        Abort();
    } catch (...) {
        Application->HandleException(nullptr); // silent
    }
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].first, QStringLiteral("Bad value."));
    EXPECT_EQ(boxes[1].second, UINT(MB_OK | MB_ICONSTOP));
}

TEST_F(DialogTest, AnExceptionInAHandlerReachesTheApplicationNotQt) {
    std::vector<QString> shown;
    SetMessageBoxHook([&](const String& text, const String&, UINT) {
        shown.push_back(text);
        return IDOK;
    });
    auto* b = new TButton(Form);
    b->SetParent(Form);
    b->OnClick = TNotifyEvent::Callable([](TObject*) { throw Exception(QStringLiteral("Handler failed")); });
    ShowAndActivate(Form);
    Click(b, QPoint(10, 10));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], QStringLiteral("Handler failed."));
}

TEST_F(DialogTest, DataSetExceptionsAreReportedByTheApplication) {
    std::vector<QString> shown;
    SetMessageBoxHook([&](const String& text, const String&, UINT) {
        shown.push_back(text);
        return IDOK;
    });
    ASSERT_NE(DBHandleExceptionProc, nullptr);
    try {
        throw Exception(QStringLiteral("Lookup failed"));
    } catch (...) {
        DBHandleExceptionProc(Form);
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], QStringLiteral("Lookup failed."));
}

TEST_F(DialogTest, PositionScreenCenterPlacesTheFormOnTheWorkArea) {
    Form->SetPosition(poScreenCenter);
    Form->SetBounds(0, 0, 200, 100);
    ShowAndActivate(Form);
    TRect wa = Screen->WorkAreaRect();
    EXPECT_EQ(Form->Left(), wa.Left + (wa.Width() - 200) / 2);
    EXPECT_EQ(Form->Top(), wa.Top + (wa.Height() - 100) / 2);
}

TEST_F(DialogTest, HintShowsAfterThePauseAndCanBeChangedByTheControl) {
    auto* p = new TPanel(Form);
    p->SetParent(Form);
    p->SetHint(QStringLiteral("short|long text"));
    p->SetShowHint(true);
    ShowAndActivate(Form);
    Application->SetHintPause(10);
    QString shown;
    Application->OnShowHint = TShowHintEvent::Callable([&](String& s, bool&, THintInfo&) { shown = s; });
    MouseMoveTo(p, QPoint(5, 5));
    EXPECT_EQ(Application->Hint(), QStringLiteral("long text"));
    PumpEvents(60);
    EXPECT_EQ(shown, QStringLiteral("short"));
    ASSERT_TRUE(Application->HintWindow());
    Application->CancelHint();
    Application->OnShowHint = nullptr;
}

} // namespace

namespace {

using FormMoreTest = FormFixture;

TEST_F(FormMoreTest, MainMenuShortCutsRunFromAnyControlAndTheBarTakesNoClientSpace) {
    auto* e = AddEdit(QStringLiteral("A"), 10);
    auto* mm = new TMainMenu(Form);
    auto* file = new TMenuItem(mm);
    file->SetCaption(QStringLiteral("&Файл"));
    auto* save = new TMenuItem(mm);
    save->SetCaption(QStringLiteral("&Сохранить"));
    save->SetShortCut(ShortCut('S', {ssCtrl}));
    int saves = 0;
    save->OnClick = TNotifyEvent::Callable([&](TObject*) { ++saves; });
    file->Add(save);
    mm->Items()->Add(file);
    int clientBefore = Form->ClientHeight();
    Form->SetMenu(mm);
    ShowAndActivate(Form);
    EXPECT_LT(Form->ClientHeight(), clientBefore);
    EXPECT_EQ(e->ClientToScreen({0, 0}).Y - Form->ClientToScreen({0, 0}).Y, 10);
    SendKey(e, Qt::Key_S, Qt::ControlModifier, QStringLiteral("\x13"));
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(e->Text(), QString()); // the key went to the menu, not into the edit
}

TEST_F(FormMoreTest, MouseDownElsewhereSendsCancelModeToTheActiveControl) {
    struct TProbeEdit : TEdit {
        using TEdit::TEdit;
        TControl* CancelledBy = nullptr;
        void Dispatch(TMessage& m) override {
            if (m.Msg == CM_CANCELMODE) CancelledBy = TCMCancelMode(m).Sender();
            TEdit::Dispatch(m);
        }
    };
    auto* e = new TProbeEdit(Form);
    e->SetParent(Form);
    auto* p = new TPanel(Form);
    p->SetParent(Form);
    p->SetBounds(10, 100, 100, 50);
    ShowAndActivate(Form);
    EXPECT_EQ(Form->ActiveControl(), e);
    Click(p, QPoint(5, 5));
    EXPECT_EQ(e->CancelledBy, p);
}

TEST_F(FormMoreTest, DropDownFormShowsWithoutTakingTheFocus) {
    auto* e = AddEdit(QStringLiteral("A"), 10);
    ShowAndActivate(Form);
    ASSERT_TRUE(e->Focused());
    Log.clear();
    auto* dd = new TForm(nullptr);
    dd->SetDropDown(true);
    dd->SetBorderStyle(bsNone);
    dd->SetBounds(500, 300, 150, 100);
    dd->Show();
    PumpEvents(30);
    EXPECT_TRUE(dd->Widget()->isVisible());
    EXPECT_EQ(dd->Left(), 500);
    EXPECT_TRUE(e->Focused());
    EXPECT_TRUE(Log.empty());
    dd->Free();
}

TEST_F(FormMoreTest, RunEndsWhenTheMainFormCloses) {
    Application->SetMainForm(Form);
    QTimer::singleShot(50, [this] { Form->Close(); });
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    Application->SetMainForm(nullptr);
}

} // namespace

namespace {

using AcceleratorTest = FormFixture;

TEST_F(AcceleratorTest, AltLetterFocusesTheLabelsControlAndPressesButtons) {
    auto* a = AddEdit(QStringLiteral("A"), 10);
    auto* b = AddEdit(QStringLiteral("B"), 40);
    auto* l = new TLabel(Form);
    l->SetParent(Form);
    l->SetCaption(QStringLiteral("&Второе поле"));
    l->SetFocusControl(b);
    auto* btn = new TButton(Form);
    btn->SetParent(Form);
    btn->SetTop(80);
    btn->SetCaption(QStringLiteral("&Go"));
    int pressed = 0;
    btn->OnClick = TNotifyEvent::Callable([&](TObject*) { ++pressed; });
    ShowAndActivate(Form);
    ASSERT_TRUE(a->Focused());
    SendKey(a, 0, Qt::AltModifier, QStringLiteral("в"));
    PumpEvents(10);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(b->Text(), QString());
    SendKey(b, Qt::Key_G, Qt::AltModifier, QStringLiteral("g"));
    EXPECT_EQ(pressed, 1);
}

} // namespace

namespace {

using ScrollBoxTest = FormFixture;

TEST_F(ScrollBoxTest, AutoScrollShowsBarsForChildrenBeyondTheClientAreaAndScrollsThem) {
    auto* box = new TScrollBox(Form);
    box->SetParent(Form);
    box->SetBounds(10, 10, 200, 100);
    box->SetAutoScroll(true);
    auto* far = new TEdit(Form);
    far->SetParent(box);
    far->SetBounds(10, 300, 100, 21);
    ShowAndActivate(Form);
    EXPECT_TRUE(GetWindowLong(box->Handle(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_FALSE(GetWindowLong(box->Handle(), GWL_STYLE) & WS_HSCROLL);
    EXPECT_EQ(box->VertScrollBar()->Range(), 321);
    box->VertScrollBar()->SetPosition(100);
    EXPECT_EQ(far->Top(), 200);
    EXPECT_EQ(GetScrollPos(box->Handle(), SB_VERT), 100);
    box->ScrollInView(far);
    EXPECT_GE(far->Top(), 0);
    EXPECT_LE(far->Top() + far->Height(), box->ClientHeight());
    // A scroll message from the bar moves the contents by a line.
    int before = far->Top();
    box->Perform(WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(far->Top(), before + box->VertScrollBar()->Increment());
}

} // namespace
