// Page control with hidden tabs, status bar panels, list view selection, speed-button groups,
// check list boxes and pop-up menus.

#include "UiTestUtil.h"

#include "platform/ui/Buttons.h"
#include "platform/ui/CheckLst.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

#include <QImage>
#include <QListWidget>
#include <QTabBar>
#include <QTreeWidget>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

struct ComFixture : ::testing::Test {
    TForm* Form = nullptr;
    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(60, 60, 400, 300);
    }
    void TearDown() override {
        SetPopupMenuHook(nullptr);
        Form->Free();
        PumpEvents();
    }
};

using PageControlTest = ComFixture;

TEST_F(PageControlTest, HiddenTabsKeepPageIndexesButLeaveTheTabBar) {
    auto* pc = new TPageControl(Form);
    pc->SetParent(Form);
    pc->SetAlign(alClient);
    TTabSheet* sheets[3];
    for (int i = 0; i < 3; ++i) {
        sheets[i] = new TTabSheet(Form);
        sheets[i]->SetCaption(QStringLiteral("Page %1").arg(i));
        sheets[i]->SetPageControl(pc);
    }
    EXPECT_EQ(pc->PageCount(), 3);
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
    sheets[1]->SetTabVisible(false);
    EXPECT_EQ(sheets[1]->PageIndex(), 1);
    EXPECT_EQ(sheets[1]->TabIndex(), -1);
    EXPECT_EQ(sheets[2]->TabIndex(), 1);
    ShowAndActivate(Form);
    auto* bar = pc->Widget()->findChild<QTabBar*>();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->count(), 2);
    // A hidden page can still be made active by code; no OnChange for that.
    int changes = 0;
    pc->OnChange = TNotifyEvent::Callable([&](TObject*) { ++changes; });
    pc->SetActivePageIndex(1);
    EXPECT_EQ(pc->ActivePage(), sheets[1]);
    EXPECT_TRUE(sheets[1]->Visible());
    EXPECT_FALSE(sheets[0]->Visible());
    EXPECT_EQ(changes, 0);
    // The user's tab choice asks OnChanging and then reports OnChange.
    bool allow = false;
    pc->OnChanging = TTabChangingEvent::Callable([&](TObject*, bool& a) { a = allow; });
    bar->setCurrentIndex(1);
    EXPECT_EQ(pc->ActivePage(), sheets[1]);
    allow = true;
    bar->setCurrentIndex(1);
    bar->setCurrentIndex(0);
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
    EXPECT_EQ(changes, 1);
    // Sheets fill the display area.
    EXPECT_EQ(sheets[0]->BoundsRect(), pc->DisplayRect());
}

TEST_F(PageControlTest, FocusedControlOnAPageCanBeFocusedAfterActivation) {
    auto* pc = new TPageControl(Form);
    pc->SetParent(Form);
    pc->SetAlign(alClient);
    auto* s1 = new TTabSheet(Form);
    s1->SetPageControl(pc);
    auto* s2 = new TTabSheet(Form);
    s2->SetPageControl(pc);
    auto* e = new TEdit(Form);
    e->SetParent(s2);
    ShowAndActivate(Form);
    EXPECT_FALSE(e->CanFocus());
    pc->SetActivePage(s2);
    EXPECT_TRUE(e->CanFocus());
    e->SetFocus();
    PumpEvents(10);
    EXPECT_TRUE(e->Focused());
}

// Ctrl+Tab and Ctrl+Shift+Tab turn the pages while the focus is anywhere on them; the arrows
// turn them while the page control itself has the focus (reached with Tab).
TEST_F(PageControlTest, KeyboardTurnsThePages) {
    auto* pc = new TPageControl(Form);
    pc->SetParent(Form);
    pc->SetBounds(0, 40, 400, 200);
    TTabSheet* sheets[3];
    TEdit* edits[3];
    for (int i = 0; i < 3; ++i) {
        sheets[i] = new TTabSheet(Form);
        sheets[i]->SetCaption(QStringLiteral("Page %1").arg(i));
        sheets[i]->SetPageControl(pc);
        edits[i] = new TEdit(Form);
        edits[i]->SetParent(sheets[i]);
        edits[i]->SetBounds(10, 10, 100, 24);
    }
    auto* before = new TEdit(Form);
    before->SetParent(Form);
    before->SetBounds(0, 0, 100, 24);
    before->SetTabOrder(0);
    ShowAndActivate(Form);
    edits[0]->SetFocus();
    PumpEvents(10);
    SendKey(edits[0], Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pc->ActivePage(), sheets[1]);
    EXPECT_TRUE(edits[1]->Focused());
    SendKey(edits[1], Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
    EXPECT_TRUE(edits[0]->Focused());
    // Ctrl+Tab outside the page control leaves the pages alone.
    before->SetFocus();
    PumpEvents(10);
    SendKey(before, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
    // Tab from the edit before it reaches the page control; Right turns the page.
    SendKey(before, Qt::Key_Tab);
    EXPECT_TRUE(pc->Focused());
    SendKey(pc, Qt::Key_Right);
    EXPECT_EQ(pc->ActivePage(), sheets[1]);
    EXPECT_TRUE(pc->Focused());
    // The focused page control marks its current tab: the tab bar looks different with and
    // without the focus.
    auto* bar = pc->Widget()->findChild<QTabBar*>();
    ASSERT_TRUE(bar);
    PumpEvents(10);
    const QImage focused = bar->grab().toImage();
    before->SetFocus();
    PumpEvents(10);
    EXPECT_NE(bar->grab().toImage(), focused);
}

using StatusBarTest = ComFixture;

TEST_F(StatusBarTest, PanelsTakeTheirWidthsAndTheLastFillsTheRest) {
    auto* sb = new TStatusBar(Form);
    sb->SetParent(Form);
    auto* p0 = sb->Panels()->Add();
    p0->SetWidth(100);
    p0->SetText(QStringLiteral("ready"));
    sb->Panels()->Add()->SetWidth(50);
    EXPECT_EQ(sb->Align(), alBottom);
    EXPECT_EQ(sb->Width(), Form->ClientWidth());
    EXPECT_EQ(sb->Top() + sb->Height(), Form->ClientHeight());
    EXPECT_EQ(sb->PanelRect(0).Left, 0);
    EXPECT_EQ(sb->PanelRect(1).Left, 100);
    EXPECT_EQ(sb->PanelRect(1).Right, sb->Width());
    EXPECT_EQ(sb->Panels()->Items(0)->Text(), QStringLiteral("ready"));
}

using ListViewTest = ComFixture;

TEST_F(ListViewTest, ReportItemsSelectionAndOutOfRangeIndex) {
    auto* lv = new TListView(Form);
    lv->SetParent(Form);
    lv->SetViewStyle(vsReport);
    lv->SetRowSelect(true);
    lv->Columns()->Add()->SetCaption(QStringLiteral("Name"));
    lv->Columns()->Add()->SetCaption(QStringLiteral("Size"));
    lv->Items()->BeginUpdate();
    for (int i = 0; i < 3; ++i) {
        TListItem* it = lv->Items()->Add();
        it->SetCaption(QStringLiteral("file%1").arg(i));
        it->SubItems()->Add(QString::number(i * 10));
    }
    lv->Items()->EndUpdate();
    EXPECT_EQ(lv->Selected(), nullptr);
    std::vector<std::pair<int, bool>> events;
    lv->OnSelectItem = TLVSelectItemEvent::Callable([&](TObject*, TListItem* it, bool s) {
        events.push_back({it->Index(), s});
    });
    ShowAndActivate(Form);
    auto* tree = qobject_cast<QTreeWidget*>(lv->Widget());
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(2)->text(1), QStringLiteral("20"));
    lv->SetItemIndex(1);
    EXPECT_EQ(lv->Selected(), lv->Items()->Item(1));
    // The user's click moves the selection.
    tree->setCurrentItem(tree->topLevelItem(2));
    EXPECT_EQ(lv->ItemIndex(), 2);
    lv->SetItemIndex(5);
    EXPECT_EQ(lv->Selected(), nullptr);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], (std::pair<int, bool>{1, true}));
    EXPECT_EQ(events[1], (std::pair<int, bool>{1, false}));
    EXPECT_EQ(events[2], (std::pair<int, bool>{2, true}));
    lv->Items()->Clear();
    EXPECT_EQ(tree->topLevelItemCount(), 0);
}

using SpeedButtonTest = ComFixture;

TEST_F(SpeedButtonTest, GroupedButtonsStayDownExclusivelyAndClickOnRelease) {
    TSpeedButton* b[2];
    int clicks = 0;
    for (int i = 0; i < 2; ++i) {
        b[i] = new TSpeedButton(Form);
        b[i]->SetParent(Form);
        b[i]->SetBounds(10 + 30 * i, 10, 25, 25);
        b[i]->SetGroupIndex(1);
        b[i]->OnClick = TNotifyEvent::Callable([&](TObject*) { ++clicks; });
    }
    ShowAndActivate(Form);
    Click(Form, QPoint(20, 20));
    EXPECT_TRUE(b[0]->Down());
    EXPECT_EQ(clicks, 1);
    Click(Form, QPoint(50, 20));
    EXPECT_TRUE(b[1]->Down());
    EXPECT_FALSE(b[0]->Down());
    // Without AllowAllUp the down button stays down.
    Click(Form, QPoint(50, 20));
    EXPECT_TRUE(b[1]->Down());
    // A press released outside does not click.
    MousePress(Form, QPoint(20, 20));
    MouseMoveTo(Form, QPoint(200, 200), Qt::LeftButton);
    MouseRelease(Form, QPoint(200, 200));
    EXPECT_EQ(clicks, 3);
    EXPECT_TRUE(b[1]->Down());
}

using CheckListTest = ComFixture;

TEST_F(CheckListTest, UserToggleFiresClickCheckCodeDoesNot) {
    auto* cl = new TCheckListBox(Form);
    cl->SetParent(Form);
    cl->Items()->SetCommaText(QStringLiteral("a,b,c"));
    int clickChecks = 0;
    cl->OnClickCheck = TNotifyEvent::Callable([&](TObject*) { ++clickChecks; });
    cl->SetChecked(1, true);
    EXPECT_TRUE(cl->Checked(1));
    ShowAndActivate(Form);
    auto* l = qobject_cast<QListWidget*>(cl->Widget());
    EXPECT_EQ(l->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(clickChecks, 0);
    l->item(0)->setCheckState(Qt::Checked); // as the user's click does
    EXPECT_TRUE(cl->Checked(0));
    EXPECT_EQ(clickChecks, 1);
    cl->Items()->Insert(0, QStringLiteral("z"));
    EXPECT_TRUE(cl->Checked(1));
    EXPECT_TRUE(cl->Checked(2));
    EXPECT_FALSE(cl->Checked(0));
    EXPECT_THROW(cl->Checked(9), EListError);
}

TEST_F(CheckListTest, StatesMoveWithTheirItems) {
    auto* cl = new TCheckListBox(Form);
    cl->SetParent(Form);
    cl->Items()->SetCommaText(QStringLiteral("c,a,b"));
    cl->SetChecked(0, true);      // c
    cl->SetItemEnabled(2, false); // b
    auto checkedText = [&] {
        QString r;
        for (int i = 0; i < cl->Items()->Count(); ++i)
            if (cl->Checked(i)) r += cl->Items()->Strings(i);
        return r;
    };
    auto verify = [&](const char* order, const char* step) {
        EXPECT_EQ(cl->Items()->CommaText(), QString::fromLatin1(order)) << step;
        EXPECT_EQ(checkedText(), QStringLiteral("c")) << step;
        EXPECT_FALSE(cl->ItemEnabled(cl->Items()->IndexOf(QStringLiteral("b")))) << step;
        EXPECT_TRUE(cl->ItemEnabled(cl->Items()->IndexOf(QStringLiteral("a")))) << step;
    };
    cl->Items()->Exchange(0, 1);
    verify("a,c,b", "exchange");
    cl->Items()->Move(1, 2);
    verify("a,b,c", "move");
    ShowAndActivate(Form); // from here the widget shows them too
    cl->Items()->Move(2, 0);
    verify("c,a,b", "move with a window");
    cl->Items()->Insert(1, QStringLiteral("d"));
    verify("c,d,a,b", "insert");
    cl->Items()->Delete(0);
    cl->SetChecked(1, true); // a
    cl->SetSorted(true);
    EXPECT_EQ(cl->Items()->CommaText(), QStringLiteral("a,b,d"));
    EXPECT_TRUE(cl->Checked(0));
    EXPECT_FALSE(cl->Checked(2));
    EXPECT_FALSE(cl->ItemEnabled(1));
    auto* l = qobject_cast<QListWidget*>(cl->Widget());
    EXPECT_EQ(l->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(l->item(2)->checkState(), Qt::Unchecked);
}

TEST_F(CheckListTest, ChangingItemTextByCodeIsNoToggle) {
    auto* cl = new TCheckListBox(Form);
    cl->SetParent(Form);
    cl->Items()->SetCommaText(QStringLiteral("a,b"));
    cl->SetChecked(1, true);
    int clickChecks = 0;
    cl->OnClickCheck = TNotifyEvent::Callable([&](TObject*) { ++clickChecks; });
    ShowAndActivate(Form);
    cl->Items()->SetStrings(0, QStringLiteral("x"));
    cl->Items()->SetStrings(1, QStringLiteral("y"));
    EXPECT_FALSE(cl->Checked(0));
    EXPECT_TRUE(cl->Checked(1));
    EXPECT_EQ(clickChecks, 0);
    // Space on the focused item is the user's toggle.
    cl->SetFocus();
    cl->SetItemIndex(0);
    PumpEvents(5);
    SendKey(cl, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    EXPECT_TRUE(cl->Checked(0));
    EXPECT_EQ(clickChecks, 1);
}

using MenuTest = ComFixture;

TEST_F(MenuTest, PopupRunsTheChosenItemAndShortCutsFindItems) {
    auto* pm = new TPopupMenu(Form);
    auto* a = new TMenuItem(pm);
    a->SetCaption(QStringLiteral("&Copy"));
    a->SetShortCut(ShortCut('C', {ssCtrl}));
    auto* sep = new TMenuItem(pm);
    sep->SetCaption(QStringLiteral("-"));
    auto* b = new TMenuItem(pm);
    b->SetCaption(QStringLiteral("Paste"));
    pm->Items()->Add({a, sep, b});
    int ran = 0;
    a->OnClick = TNotifyEvent::Callable([&](TObject*) { ++ran; });
    TPoint at;
    SetPopupMenuHook([&](TPopupMenu*, int x, int y) {
        at = {x, y};
        return a;
    });
    pm->Popup(100, 120);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(at, TPoint(100, 120));
    EXPECT_TRUE(sep->IsLine());
    EXPECT_EQ(pm->Items()->Find(QStringLiteral("copy")), a);
    EXPECT_EQ(ShortCutToText(a->ShortCut()), QStringLiteral("Ctrl+C"));
    EXPECT_EQ(TextToShortCut(QStringLiteral("Ctrl+C")), a->ShortCut());
    TMessage key{WM_KEYDOWN, 'C', 0, 0};
    SetKeyDown(VK_CONTROL, true);
    EXPECT_TRUE(pm->IsShortCut(key));
    SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(ran, 2);
    EXPECT_THROW(pm->Items()->Items(5), EMenuError);
    EXPECT_THROW(pm->Items()->Add(a), EMenuError);
}

TEST_F(MenuTest, RightClickOpensTheControlsPopupMenuAtTheCursor) {
    auto* pm = new TPopupMenu(Form);
    pm->Items()->Add(new TMenuItem(pm));
    auto* p = new TPanel(Form);
    p->SetParent(Form);
    p->SetBounds(10, 10, 100, 100);
    p->SetPopupMenu(pm);
    TPoint at;
    int shown = 0;
    SetPopupMenuHook([&](TPopupMenu* m, int x, int y) {
        ++shown;
        at = {x, y};
        EXPECT_EQ(m->PopupComponent(), p);
        return nullptr;
    });
    ShowAndActivate(Form);
    Click(p, QPoint(20, 30), Qt::RightButton);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(at, p->ClientToScreen({20, 30}));
}

} // namespace
