// Event rules of the standard controls: OnChange/OnClick by code and by the user, ItemIndex out of
// range, and typing through the message path.

#include "UiTestUtil.h"

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <gtest/gtest.h>

namespace {

struct StdFixture : ::testing::Test {
    TForm* Form = nullptr;
    int Changes = 0, Clicks = 0;
    TNotifyEvent CountChange = TNotifyEvent::Callable([this](TObject*) { ++Changes; }, &Changes);
    TNotifyEvent CountClick = TNotifyEvent::Callable([this](TObject*) { ++Clicks; }, &Clicks);
    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(50, 50, 400, 300);
    }
    void TearDown() override {
        Form->Free();
        PumpEvents();
    }
    template <class T> T* Add(int l = 10, int t = 10) {
        auto* c = new T(Form);
        c->SetParent(Form);
        c->SetLeft(l);
        c->SetTop(t);
        return c;
    }
};

using EditTest = StdFixture;

TEST_F(EditTest, OnChangeFiresForEveryRealChangeByCodeWithOrWithoutWindow) {
    for (bool withWindow : {false, true}) {
        auto* e = Add<TEdit>();
        if (withWindow) e->HandleNeeded();
        e->OnChange = CountChange;
        Changes = 0;
        e->SetText(QStringLiteral("abc"));
        EXPECT_EQ(Changes, 1) << withWindow;
        e->SetText(QStringLiteral("abc")); // unchanged: no event
        EXPECT_EQ(Changes, 1) << withWindow;
        e->SetText(QString());
        EXPECT_EQ(Changes, 2) << withWindow;
        EXPECT_EQ(e->Text(), QString());
        e->Free();
    }
}

TEST_F(EditTest, TextSurvivesWindowRecreationWithoutEvents) {
    auto* e = Add<TEdit>();
    e->SetText(QStringLiteral("keep"));
    e->HandleNeeded();
    e->OnChange = CountChange;
    e->RecreateWnd();
    EXPECT_EQ(e->Text(), QStringLiteral("keep"));
    EXPECT_EQ(Changes, 0);
}

TEST_F(EditTest, TypingGoesThroughKeyPressWhichCanChangeOrSwallowCharacters) {
    auto* e = Add<TEdit>();
    ShowAndActivate(Form);
    e->SetFocus();
    PumpEvents(10);
    e->OnChange = CountChange;
    e->OnKeyPress = TKeyPressEvent::Callable([](TObject*, Char& k) {
        if (k == QLatin1Char('x')) k = Char(0);          // swallowed
        if (k == QLatin1Char('b')) k = QLatin1Char('B'); // changed
    });
    TypeText(e, QStringLiteral("axbc"));
    EXPECT_EQ(e->Text(), QStringLiteral("aBc"));
    EXPECT_EQ(Changes, 3);
    EXPECT_TRUE(e->Modified());
    SendKey(e, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    EXPECT_EQ(e->Text(), QStringLiteral("aB"));
}

TEST_F(EditTest, SelectionIncludingBackwardSelectionAndCaretToEnd) {
    auto* e = Add<TEdit>();
    e->SetText(QStringLiteral("hello world"));
    for (bool withWindow : {false, true}) {
        if (withWindow) e->HandleNeeded();
        e->SetSelStart(6);
        e->SetSelLength(5);
        EXPECT_EQ(e->SelText(), QStringLiteral("world"));
        e->SetSelStart(5);
        e->SetSelLength(-5); // backwards
        EXPECT_EQ(e->SelStart(), 0);
        EXPECT_EQ(e->SelLength(), 5);
        e->Perform(EM_SETSEL, 0x7FFFFFFF, -1);
        EXPECT_EQ(e->SelStart(), 11);
        EXPECT_EQ(e->SelLength(), 0);
    }
}

TEST_F(EditTest, MaxLengthCharCaseAndNumbersOnlyApplyToTyping) {
    auto* e = Add<TEdit>();
    e->SetMaxLength(4);
    e->SetCharCase(ecUpperCase);
    ShowAndActivate(Form);
    e->SetFocus();
    PumpEvents(10);
    TypeText(e, QStringLiteral("abcdef"));
    EXPECT_EQ(e->Text(), QStringLiteral("ABCD"));
    auto* n = Add<TEdit>(10, 50);
    n->SetNumbersOnly(true);
    n->SetFocus();
    PumpEvents(10);
    TypeText(n, QStringLiteral("1a2"));
    EXPECT_EQ(n->Text(), QStringLiteral("12"));
}

using ComboTest = StdFixture;

TEST_F(ComboTest, ItemIndexByCodeNeverFiresOnChangeAndOutOfRangeClears) {
    for (TComboBoxStyle style : {csDropDown, csDropDownList}) {
        auto* c = Add<TComboBox>();
        c->SetStyle(style);
        c->Items()->SetCommaText(QStringLiteral("one,two,three"));
        c->OnChange = CountChange;
        Changes = 0;
        for (bool withWindow : {false, true}) {
            if (withWindow) c->HandleNeeded();
            c->SetItemIndex(1);
            EXPECT_EQ(c->ItemIndex(), 1);
            EXPECT_EQ(c->Text(), QStringLiteral("two"));
            c->SetItemIndex(7);
            EXPECT_EQ(c->ItemIndex(), -1);
            EXPECT_EQ(c->Text(), QString());
            c->SetItemIndex(-5);
            EXPECT_EQ(c->ItemIndex(), -1);
            c->SetText(QStringLiteral("three"));
            EXPECT_EQ(c->ItemIndex(), 2);
        }
        EXPECT_EQ(Changes, 0) << style;
        c->Free();
    }
}

TEST_F(ComboTest, UserChoiceFiresClickAndOnChangeOrOnSelect) {
    auto* c = Add<TComboBox>();
    c->SetStyle(csDropDownList);
    c->Items()->SetCommaText(QStringLiteral("a,b,c"));
    c->HandleNeeded();
    c->OnChange = CountChange;
    c->OnClick = CountClick;
    auto* cb = qobject_cast<QComboBox*>(c->Widget());
    ASSERT_TRUE(cb);
    cb->setCurrentIndex(2);
    emit cb->activated(2);
    EXPECT_EQ(c->ItemIndex(), 2);
    EXPECT_EQ(c->Text(), QStringLiteral("c"));
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Clicks, 1);
    // With OnSelect assigned the choice goes there instead of OnChange.
    int selects = 0;
    c->OnSelect = TNotifyEvent::Callable([&](TObject*) { ++selects; });
    emit cb->activated(0);
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(Changes, 1);
}

TEST_F(ComboTest, ItemsKeepTheSelectionAcrossInsertsAndDeletes) {
    auto* c = Add<TComboBox>();
    c->SetStyle(csDropDownList);
    c->Items()->SetCommaText(QStringLiteral("a,b,c"));
    c->HandleNeeded();
    c->SetItemIndex(1);
    c->Items()->Insert(0, QStringLiteral("z"));
    EXPECT_EQ(c->ItemIndex(), 2);
    EXPECT_EQ(c->Text(), QStringLiteral("b"));
    c->Items()->Delete(2);
    EXPECT_EQ(c->ItemIndex(), -1);
    EXPECT_EQ(qobject_cast<QComboBox*>(c->Widget())->count(), 3);
}

using ButtonTest = StdFixture;

TEST_F(ButtonTest, CheckBoxClickFiresWhenCheckedChangesByCodeOnly) {
    auto* b = Add<TCheckBox>();
    b->OnClick = CountClick;
    b->SetChecked(true);
    b->SetChecked(true);
    EXPECT_EQ(Clicks, 1);
    b->SetState(cbGrayed);
    EXPECT_EQ(Clicks, 2);
    b->SetChecked(false);
    EXPECT_EQ(Clicks, 3);
}

TEST_F(ButtonTest, UserClickTogglesCheckBoxOnceAndHonoursAllowGrayed) {
    auto* b = Add<TCheckBox>();
    b->SetAllowGrayed(true);
    b->OnClick = CountClick;
    ShowAndActivate(Form);
    auto* q = qobject_cast<QCheckBox*>(b->Widget());
    ASSERT_TRUE(q);
    Click(b, QPoint(5, 8));
    EXPECT_EQ(b->State(), cbGrayed);
    EXPECT_EQ(q->checkState(), Qt::PartiallyChecked);
    Click(b, QPoint(5, 8));
    EXPECT_EQ(b->State(), cbChecked);
    Click(b, QPoint(5, 8));
    EXPECT_EQ(b->State(), cbUnchecked);
    EXPECT_EQ(Clicks, 3);
}

TEST_F(ButtonTest, RadioButtonsTurnSiblingsOffAndClickOnlyWhenChecked) {
    auto* a = Add<TRadioButton>(10, 10);
    auto* b = Add<TRadioButton>(10, 30);
    a->OnClick = CountClick;
    a->SetChecked(true);
    EXPECT_EQ(Clicks, 1);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(Clicks, 1); // unchecking does not click
}

TEST_F(ButtonTest, RadioGroupClickFiresWhenItemIndexChangesByCode) {
    auto* g = Add<TRadioGroup>();
    g->Items()->SetCommaText(QStringLiteral("x,y,z"));
    g->OnClick = CountClick;
    g->SetItemIndex(1);
    EXPECT_EQ(Clicks, 1);
    g->SetItemIndex(1);
    EXPECT_EQ(Clicks, 1);
    EXPECT_TRUE(g->Buttons(1)->Checked());
    g->SetItemIndex(9); // kept within the items
    EXPECT_EQ(g->ItemIndex(), 2);
    EXPECT_FALSE(g->Buttons(1)->Checked());
    g->SetItemIndex(-1);
    EXPECT_EQ(g->ItemIndex(), -1);
    EXPECT_FALSE(g->Buttons(2)->Checked());
}

TEST_F(ButtonTest, MutualHandlersEndBecauseUnchangedValuesFireNothing) {
    // A radio group and an edit that set each other (as the tool's Wiegand page does).
    auto* g = Add<TRadioGroup>();
    g->Items()->SetCommaText(QStringLiteral("0,1,2"));
    auto* e = Add<TEdit>(10, 150);
    int calls = 0;
    g->OnClick = TNotifyEvent::Callable([&](TObject*) {
        ++calls;
        e->SetText(QString::number(g->ItemIndex()));
    });
    e->OnChange = TNotifyEvent::Callable([&](TObject*) {
        ++calls;
        g->SetItemIndex(e->Text().toInt());
    });
    e->SetText(QStringLiteral("2"));
    EXPECT_EQ(g->ItemIndex(), 2);
    EXPECT_LE(calls, 3);
}

using ListBoxTest = StdFixture;

TEST_F(ListBoxTest, ItemIndexOutOfRangeClearsAndItemAtPosFindsRows) {
    auto* l = Add<TListBox>();
    l->SetBounds(10, 10, 150, 120);
    for (int i = 0; i < 5; ++i)
        l->Items()->Add(QStringLiteral("item %1").arg(i));
    l->SetItemIndex(3);
    EXPECT_EQ(l->ItemIndex(), 3);
    l->SetItemIndex(10);
    EXPECT_EQ(l->ItemIndex(), -1);
    ShowAndActivate(Form);
    l->SetItemIndex(2);
    EXPECT_EQ(l->ItemIndex(), 2);
    TRect r = l->ItemRect(1);
    EXPECT_GT(r.Height(), 0);
    EXPECT_EQ(l->ItemAtPos(r.CenterPoint(), true), 1);
    EXPECT_EQ(l->ItemAtPos({5, 115}, true), -1);
    EXPECT_EQ(l->ItemAtPos({5, 115}, false), 5);
}

TEST_F(ListBoxTest, UserSelectionClicksCodeDoesNot) {
    auto* l = Add<TListBox>();
    l->Items()->SetCommaText(QStringLiteral("a,b,c"));
    l->OnClick = CountClick;
    ShowAndActivate(Form);
    l->SetItemIndex(1);
    EXPECT_EQ(Clicks, 0);
    TRect r = l->ItemRect(2);
    Click(l, QPoint(r.Left + 5, r.Top + 3));
    EXPECT_EQ(l->ItemIndex(), 2);
    EXPECT_GE(Clicks, 1);
}

TEST_F(ListBoxTest, OwnerDrawCallsOnDrawItemPerVisibleItem) {
    auto* l = Add<TListBox>();
    l->SetStyle(lbOwnerDrawFixed);
    l->SetItemHeight(20);
    l->Items()->SetCommaText(QStringLiteral("a,b,c"));
    std::vector<int> drawn;
    l->OnDrawItem = TDrawItemEvent::Callable([&](TWinControl*, int i, TRect r, TOwnerDrawState) {
        drawn.push_back(i);
        EXPECT_EQ(r.Height(), 20);
    });
    ShowAndActivate(Form);
    l->Repaint();
    l->Widget()->repaint();
    PumpEvents(20);
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 2), drawn.end());
}

} // namespace
