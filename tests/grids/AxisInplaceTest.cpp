// The axis grid's in-place editor over a memory table, driven through window messages: the edit
// style a cell gets, each drop-down opened, picked from and cancelled, typing completion, the
// recently-used list and paste; and pictures of each drop-down.

#include "AxisGridFixture.h"

#include "lib/tools/CalculatorEh.h"
#include "lib/tools/DropDownFormEh.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/WinApi.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

constexpr int kName = 2, kAmount = 3, kCode = 5, kBorn = 6; // grid columns (0 is the indicator)
constexpr LPARAM kAlt = 0x20000000;

class TTestDropDownForm : public TCustomDropDownFormEh {
    KVT_CLASS(TTestDropDownForm, TCustomDropDownFormEh)
public:
    using TCustomDropDownFormEh::TCustomDropDownFormEh;
    // What the form was given, and what it gives back on accept.
    std::vector<QString> Given;
    QString Answer;
    void InitForm(TComponent* Host, TDynVarsEh* DynParams) override {
        TCustomDropDownFormEh::InitForm(Host, DynParams);
        Given.clear();
        for (int i = 0; i < DynParams->Count(); ++i)
            Given.push_back(DynParams->Items(i)->Name() + "=" + VarToStr(DynParams->Items(i)->Value()));
    }
    void ReturnParams(TComponent* Host, TDynVarsEh* DynParams) override {
        TCustomDropDownFormEh::ReturnParams(Host, DynParams);
        if (DynParams->Count() > 0) {
            // The value goes back under the name the editor passed for the column.
            if (TDynVarEh* v = DynParams->FindDynVar(QStringLiteral("Name")))
                v->SetValue(Variant(Answer));
            else
                DynParams->Items(0)->SetValue(Variant(Answer));
        }
    }
};

} // namespace

class AxisInplaceTest : public AxisGridFixture {
protected:
    TDBAxisGridInplaceEdit* Ed() { return dynamic_cast<TDBAxisGridInplaceEdit*>(Grid->InplaceEditor()); }
    TAxisBarEh* Bar(int gridCol) { return Grid->AxisBars()->AxisBar(gridCol - 1); }
    void Open(int gridCol) {
        Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
        Grid->SetFocus();
        Grid->SetCol(gridCol);
        Grid->ShowEditor();
        PumpGridEvents();
        ASSERT_NE(Ed(), nullptr);
        ASSERT_TRUE(Ed()->Visible());
    }
    // Presses the open editor's first edit button and runs what the press posts.
    TEditButtonControlEh* PressEditButton() {
        TEditButtonControlEh* b = Ed()->EditButtonControls()[0].EditButtonControl;
        bool autoRepeat = false;
        b->EditButtonDown(true, autoRepeat);
        PumpGridEvents();
        return b;
    }
    // Alt+Down toggles the list.
    void AltDown() {
        Ed()->Perform(WM_SYSKEYDOWN, VK_DOWN, kAlt);
        PumpGridEvents();
    }
    void EdKey(Word vk) {
        Ed()->Perform(WM_KEYDOWN, vk, 0);
        PumpGridEvents();
    }
    void EdChar(QChar ch) {
        Ed()->Perform(WM_CHAR, ch.unicode(), 0);
        PumpGridEvents();
    }
    // Backspace as the keyboard sends it: the key, then its character.
    // (through the window system: a Backspace sent by code is not applied by the edit itself).
    void Back() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
        QCoreApplication::sendEvent(Ed()->Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
        QCoreApplication::sendEvent(Ed()->Widget(), &release);
        PumpGridEvents();
    }
    void Type(const QString& s) {
        for (QChar ch : s)
            EdChar(ch);
    }
    void Shot(TWinControl* c, const char* name) {
        const QString path = SaveDroppedDownScreenshot(Form.get(), c, QString::fromLatin1(name));
        EXPECT_FALSE(path.isEmpty());
    }
};

TEST_F(AxisInplaceTest, EditStyleFollowsTheButtonStyleAndTheField) {
    Build(3, false, true, true);
    struct Case {
        const char* name;
        int col;
        TCellButtonStyleEh button;
        std::function<void(TAxisBarEh*)> setup;
        TEditStyle style;
        bool hasList;
    };
    auto* form = new TTestDropDownForm(Form.get(), 0);
    const std::vector<Case> cases = {
        {"plain text", kName, cbsAuto, nullptr, esSimple, false},
        {"pick list", kName, cbsAuto, [](TAxisBarEh* c) { c->PickList()->Add(QStringLiteral("x")); },
         esPickList, true},
        {"read-only pick list", kName, cbsAuto,
         [](TAxisBarEh* c) {
             c->PickList()->Add(QStringLiteral("x"));
             c->SetReadOnly(true);
         },
         esSimple, false},
        {"date", kBorn, cbsAuto, nullptr, esDateCalendar, true},
        {"read-only date with a form", kBorn, cbsAuto,
         [form](TAxisBarEh* c) {
             c->SetReadOnly(true);
             c->DropDownFormParams()->SetDropDownForm(form);
         },
         esDropDown, false},
        {"read-only date without a form", kBorn, cbsAuto, [](TAxisBarEh* c) { c->SetReadOnly(true); },
         esSimple, false},
        {"alt drop-down on a date", kBorn, cbsAltDropDown, nullptr, esAltCalendar, true},
        {"alt drop-down on text", kName, cbsAltDropDown, nullptr, esAltDropDown, false},
        {"drop-down on a number: calculator", kAmount, cbsDropDown, nullptr, esDropDown, true},
        {"ellipsis", kName, cbsEllipsis, nullptr, esEllipsis, false},
        {"up-down", kAmount, cbsUpDown, nullptr, esUpDown, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Grid->HideEditor();
        TAxisBarEh* bar = Bar(c.col);
        bar->RestoreDefaults();
        bar->SetButtonStyle(c.button);
        if (c.setup) c.setup(bar);
        Open(c.col);
        EXPECT_EQ(Ed()->EditStyle(), c.style);
        EXPECT_EQ(Ed()->ActiveList() != nullptr, c.hasList);
        EXPECT_EQ(Ed()->ButtonsWidth() > 0, c.style != esSimple);
        bar->DropDownFormParams()->SetDropDownForm(nullptr);
    }
}

TEST_F(AxisInplaceTest, PickListOpensPicksAndCancelsByKeysAndMouse) {
    Build(3);
    TAxisBarEh* bar = Bar(kName);
    for (const char* s : {"Anna", "Boris", "Vera"})
        bar->PickList()->Add(QString::fromLatin1(s));
    Open(kName);
    ASSERT_EQ(Ed()->EditStyle(), esPickList);

    // Keys: Alt+Down opens, Down moves and the text follows, Escape puts the text back.
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible());
    EXPECT_TRUE(Ed()->PickList()->Visible());
    EXPECT_TRUE(Ed()->EditButtonControls()[0].EditButtonControl->AlwaysDown());
    EXPECT_EQ(Ed()->PickList()->Items()->Count(), 3);
    EdKey(VK_DOWN);
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Anna"));
    Shot(Ed()->PickList(), "axis-inplace-picklist");
    EdKey(VK_ESCAPE);
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_FALSE(Ed()->EditButtonControls()[0].EditButtonControl->AlwaysDown());
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Name 1"));
    EXPECT_EQ(Data->T->State(), dsBrowse);

    // Enter accepts: the text goes through the grid into the record.
    AltDown();
    EdKey(VK_DOWN);
    EdKey(VK_DOWN);
    EdKey(VK_RETURN);
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_EQ(Data->Name->AsString(), QStringLiteral("Boris"));

    // Mouse: a release inside the list picks the row under it; outside it cancels.
    AltDown();
    TPopupListboxEh* list = Ed()->PickList();
    const int y = list->ItemHeight() * 2 + list->ItemHeight() / 2;
    list->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(5, y)); // the row under the mouse is selected
    list->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, y));
    list->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, y));
    PumpGridEvents();
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_EQ(Data->Name->AsString(), QStringLiteral("Vera"));
    AltDown();
    list->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, -40));
    PumpGridEvents();
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_EQ(Data->Name->AsString(), QStringLiteral("Vera"));
}

TEST_F(AxisInplaceTest, KeyPickListWritesTheKeyOfThePickedEntry) {
    Build(3);
    TAxisBarEh* bar = Bar(kCode);
    for (const char* s : {"Alpha", "Beta", "Gamma"})
        bar->PickList()->Add(QString::fromLatin1(s));
    bar->KeyList()->Add(QStringLiteral("A"));
    bar->KeyList()->Add(QStringLiteral("B"));
    Open(kCode);
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible());
    EXPECT_EQ(Ed()->PickList()->Items()->Count(), 2) << "only entries with a key are offered";
    Ed()->PickList()->SetItemIndex(1);
    EdKey(VK_RETURN);
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Beta"));
    EXPECT_EQ(Data->Code->AsString(), QStringLiteral("B"));
}

TEST_F(AxisInplaceTest, PickedValueThatDoesNotConvertRaisesAndLeavesTheRecord) {
    Build(3);
    TAxisBarEh* bar = Bar(kAmount);
    bar->PickList()->Add(QStringLiteral("20"));
    bar->PickList()->Add(QStringLiteral("lots"));
    Open(kAmount);
    AltDown();
    Ed()->PickList()->SetItemIndex(1);
    EXPECT_THROW(Ed()->CloseUp(true), Exception);
    EXPECT_FALSE(Ed()->ListVisible());
    Data->T->Cancel();
    EXPECT_EQ(Data->Amount->AsInteger(), 10);
}

TEST_F(AxisInplaceTest, CalendarReplacesTheDateAndKeepsTheTime) {
    Build(3, false, true, true);
    Data->T->Edit();
    Data->Born->SetAsDateTime(EncodeDate(2020, 3, 5) + EncodeTime(12, 30, 0, 0));
    Data->T->Post();
    Open(kBorn);
    ASSERT_EQ(Ed()->EditStyle(), esDateCalendar);
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible());
    TPopupMonthCalendarEh* cal = Ed()->PopupMonthCalendar();
    EXPECT_EQ(cal->Date(), EncodeDate(2020, 3, 5));
    Shot(cal, "axis-inplace-calendar");
    cal->SetDate(EncodeDate(2020, 3, 10));
    EdKey(VK_ESCAPE);
    EXPECT_DOUBLE_EQ(Data->Born->AsDateTime(), EncodeDate(2020, 3, 5) + EncodeTime(12, 30, 0, 0));

    AltDown();
    cal->SetDate(EncodeDate(2020, 3, 10));
    EdKey(VK_RETURN);
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_NEAR(Data->Born->AsDateTime(), EncodeDate(2020, 3, 10) + EncodeTime(12, 30, 0, 0), 1e-6);

    // Text that is no date opens the calendar on the field's date.
    Ed()->SetText(QStringLiteral("31.02.x"));
    AltDown();
    EXPECT_EQ(cal->Date(), EncodeDate(2020, 3, 10));
    EdKey(VK_ESCAPE);
}

TEST_F(AxisInplaceTest, CalculatorOpensOnUnreadableTextAndWritesItsValue) {
    Build(3);
    Bar(kAmount)->SetButtonStyle(cbsDropDown);
    Open(kAmount);
    Ed()->SetText(QStringLiteral("-"));
    AltDown();
    ASSERT_TRUE(Ed()->ListVisible()) << "a lone sign must not keep the calculator shut";
    auto* calc = dynamic_cast<TPopupCalculatorEh*>(Ed()->ActiveList());
    ASSERT_NE(calc, nullptr);
    Variant v;
    calc->GetValue(v);
    EXPECT_EQ(VarToStr(v), QStringLiteral("10")) << "the field's value";
    Shot(calc, "axis-inplace-calculator");
    // Escape goes to the calculator, which closes without a value.
    EdKey(VK_ESCAPE);
    EXPECT_FALSE(Ed()->ListVisible());
    EXPECT_EQ(Data->Amount->AsInteger(), 10);

    AltDown();
    calc->SetValue(Variant(42));
    Ed()->CloseUp(true);
    EXPECT_EQ(Ed()->Text(), QStringLiteral("42"));
    EXPECT_EQ(Data->Amount->AsInteger(), 42);
}

TEST_F(AxisInplaceTest, DropDownFormReturnsTheColumnsValueAndIsNotReopenedByItsClosingPress) {
    Build(3);
    auto* form = new TTestDropDownForm(Form.get(), 0);
    form->SetBounds(0, 0, 200, 120);
    TAxisBarEh* bar = Bar(kName);
    bar->SetButtonStyle(cbsEllipsis);
    bar->DropDownFormParams()->SetDropDownForm(form);
    // All record values go to the form: the column's own one must come back, not the first (ID).
    bar->DropDownFormParams()->SetPassParams(pspRecordValuesEh);
    Open(kName);
    TEditButtonControlEh* b = PressEditButton();
    ASSERT_TRUE(form->Visible());
    EXPECT_TRUE(b->AlwaysDown());
    EXPECT_NE(std::find(form->Given.begin(), form->Given.end(), QStringLiteral("Name=Name 1")),
              form->Given.end());
    Shot(form, "axis-inplace-dropdown-form");

    // Cancel: nothing written.
    form->Close();
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(b->AlwaysDown());
    EXPECT_EQ(Data->Name->AsString(), QStringLiteral("Name 1"));
    // The press that closed it is still queued: it does not reopen the form.
    bool handled = false;
    Ed()->ShowDropDownForm(nullptr, b, handled);
    EXPECT_TRUE(handled);
    EXPECT_FALSE(form->Visible());
    PumpGridEvents();

    // Accept: the value named after the column's field is written and the record posted.
    ASSERT_EQ(PressEditButton(), b);
    ASSERT_TRUE(form->Visible());
    form->Answer = QStringLiteral("Olga");
    form->SetModalResult(mrOk);
    form->Close();
    PumpGridEvents();
    EXPECT_EQ(Data->T->State(), dsBrowse);
    EXPECT_EQ(Data->Name->AsString(), QStringLiteral("Olga"));
    EXPECT_EQ(Data->ID->AsInteger(), 1);
}

TEST_F(AxisInplaceTest, ColumnHandlersMayReplaceTheDropDownFormAndHearItClose) {
    Build(3);
    // The column names a plain form; its handler puts a drop-down form in its place.
    auto* plain = new TForm(Form.get());
    auto* form = new TTestDropDownForm(Form.get(), 0);
    form->SetBounds(0, 0, 200, 120);
    TAxisBarEh* bar = Bar(kName);
    bar->SetButtonStyle(cbsEllipsis);
    bar->DropDownFormParams()->SetDropDownForm(plain);
    std::vector<QString> heard;
    bar->OnOpenDropDownForm = TDBAxisGridShowDropDownFormEventEh::Callable(
        [&](TCustomDBAxisGridEh* g, TAxisBarEh* c, TEditButtonEh* b, TCustomForm*& f, TDynVarsEh* p) {
            EXPECT_EQ(g, Grid);
            EXPECT_EQ(c, bar);
            EXPECT_EQ(b, nullptr);
            EXPECT_EQ(f, plain);
            EXPECT_NE(p, nullptr);
            f = form;
            heard.push_back(QStringLiteral("open"));
        });
    bar->OnCloseDropDownForm = TDBAxisGridCloseDropDownFormEventEh::Callable(
        [&](TCustomDBAxisGridEh* g, TAxisBarEh* c, TEditButtonEh*, bool accept, TCustomForm* f, TDynVarsEh*) {
            EXPECT_EQ(g, Grid);
            EXPECT_EQ(c, bar);
            EXPECT_EQ(f, plain) << "the form the column names";
            EXPECT_FALSE(form->Visible()) << "told after the form is hidden";
            heard.push_back(accept ? QStringLiteral("accepted") : QStringLiteral("cancelled"));
        });
    Open(kName);
    TEditButtonControlEh* b = PressEditButton();
    ASSERT_TRUE(form->Visible());
    EXPECT_FALSE(plain->Visible());
    form->Close();
    PumpGridEvents();
    EXPECT_EQ(heard, (std::vector<QString>{QStringLiteral("open"), QStringLiteral("cancelled")}));
    EXPECT_EQ(Data->Name->AsString(), QStringLiteral("Name 1"));
}

TEST_F(AxisInplaceTest, FormClassThatIsNotRegisteredRaises) {
    Build(2);
    TAxisBarEh* bar = Bar(kName);
    bar->SetButtonStyle(cbsEllipsis);
    bar->DropDownFormParams()->SetDropDownFormClassName(QStringLiteral("TNoSuchFormEh"));
    Open(kName);
    bool handled = false;
    try {
        Ed()->ShowDropDownForm(nullptr, nullptr, handled);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Class 'TNoSuchFormEh' is not registered"));
    }
    EXPECT_FALSE(handled);
}

TEST_F(AxisInplaceTest, EditorFreedWhileItsFormIsOpenIsForgotten) {
    Build(2);
    auto* form = new TTestDropDownForm(Form.get(), 0);
    TAxisBarEh* bar = Bar(kName);
    bar->SetButtonStyle(cbsEllipsis);
    bar->DropDownFormParams()->SetDropDownForm(form);
    Open(kName);
    bool handled = false;
    Ed()->ShowDropDownForm(nullptr, nullptr, handled);
    ASSERT_TRUE(form->Visible());
    Ed()->Free();
    form->Close(); // must not call into the freed editor
    EXPECT_FALSE(form->Visible());
}

TEST_F(AxisInplaceTest, TypingCompletesFromThePickList) {
    Build(3);
    TAxisBarEh* bar = Bar(kName);
    bar->PickList()->Add(QStringLiteral("Monday"));
    bar->PickList()->Add(QStringLiteral("Moscow"));
    Open(kName);
    Ed()->SelectAll();
    Type(QStringLiteral("Mo"));
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Monday"));
    EXPECT_EQ(Ed()->SelStart(), 2);
    EXPECT_EQ(Ed()->SelLength(), 4) << "nday selected";
    Type(QStringLiteral("s"));
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Moscow"));
    // A plain pick list lets other text through.
    Type(QStringLiteral("z"));
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Mosz"));
}

TEST_F(AxisInplaceTest, KeyPickListTakesOnlyListValuesAndBackspaceAtTheStartIsSafe) {
    Build(3);
    TAxisBarEh* bar = Bar(kCode);
    bar->PickList()->Add(QStringLiteral("Abc"));
    bar->KeyList()->Add(QStringLiteral("K"));
    Open(kCode);
    Ed()->SelectAll();
    Type(QStringLiteral("z"));
    EXPECT_NE(Ed()->Text(), QStringLiteral("z")) << "free text needs OnNotInList";
    bool called = false;
    bar->OnNotInList =
        TColumnNotInListEventEh::Callable([&](TObject*, const String&, bool&) { called = true; });
    Ed()->SetSelStart(0);
    Ed()->SetSelLength(0);
    const String before = Ed()->Text();
    EdKey(VK_BACK);
    EXPECT_EQ(Ed()->Text(), before) << "nothing before the caret to delete";
    EXPECT_EQ(Ed()->SelStart(), 0);
    (void)called;
}

TEST_F(AxisInplaceTest, PasteMatchesListsAndRespectsTheLimit) {
    Build(3);
    Open(kCode); // a string field of size 5
    Ed()->SetText(QStringLiteral("abc"));
    Ed()->SetSelStart(3);
    Ed()->SetSelLength(0);
    Clipboard()->SetAsText(QStringLiteral("0123456789"));
    Ed()->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(Ed()->Text(), QStringLiteral("abc01"));
    EXPECT_EQ(Ed()->SelStart(), 5);
    // Already at the limit: nothing more goes in.
    Ed()->SetSelStart(5);
    Ed()->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(Ed()->Text(), QStringLiteral("abc01"));
    Data->T->Cancel();

    Grid->HideEditor();
    TAxisBarEh* bar = Bar(kCode);
    bar->PickList()->Add(QStringLiteral("Abc"));
    bar->KeyList()->Add(QStringLiteral("K"));
    Open(kCode);
    Ed()->SetText(String());
    Clipboard()->SetAsText(QStringLiteral("zz"));
    Ed()->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(Ed()->Text(), String()) << "no list value starts so, no OnNotInList";
    Clipboard()->SetAsText(QStringLiteral("ab"));
    Ed()->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(Ed()->Text(), QStringLiteral("Abc"));
    EXPECT_EQ(Ed()->SelStart(), 2);
    EXPECT_EQ(Ed()->SelLength(), 1);
}

TEST_F(AxisInplaceTest, RecentlyUsedListOffersMatchingEntries) {
    Build(3);
    TMRUListEh* mru = Bar(kName)->MRUList();
    mru->SetActive(true);
    for (const char* s : {"abc", "abd", "x"})
        mru->Items()->Add(QString::fromLatin1(s));
    Open(kName);
    Ed()->SelectAll();
    Type(QStringLiteral("ab"));
    ASSERT_TRUE(mru->DroppedDown());
    TMRUListboxEh* list = Ed()->MRUListControlIfAny();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Items()->Count(), 2);
    Shot(list, "axis-inplace-mru");
    // Down picks, Enter accepts.
    EdKey(VK_DOWN);
    EdChar(QChar(13));
    EXPECT_FALSE(mru->DroppedDown());
    EXPECT_EQ(Ed()->Text(), list->Items()->Strings(list->ItemIndex()));
    // Deleting back to empty closes it.
    Ed()->SelectAll();
    Type(QStringLiteral("a"));
    EXPECT_TRUE(mru->DroppedDown());
    Back();
    EXPECT_EQ(Ed()->Text(), String());
    EXPECT_FALSE(mru->DroppedDown());
    // Backspace in the empty text offers everything.
    Back();
    EXPECT_TRUE(mru->DroppedDown());
    EXPECT_EQ(list->Items()->Count(), 3);
    EdChar(QChar(27));
    EXPECT_FALSE(mru->DroppedDown());
}

TEST_F(AxisInplaceTest, ColumnOpensItsEditorsList) {
    Build(3);
    TAxisBarEh* bar = Bar(kName);
    bar->PickList()->Add(QStringLiteral("Anna"));
    Open(kName);
    bar->DropDown();
    EXPECT_TRUE(Ed()->ListVisible());
    EXPECT_TRUE(bar->EditButtonPressed());
    // Reloading the editor under an open list keeps it open.
    Grid->InvalidateEditorPublic();
    EXPECT_TRUE(Ed()->ListVisible());
    Ed()->CloseUp(false);
    EXPECT_FALSE(bar->EditButtonPressed());
}

// A lookup column completes typed text from its list data set and takes that record's key.
TEST(AxisInplaceLookupTest, TypingCompletesFromTheListDataSet) {
    InitForms();
    AxisTable days(0);
    days.Append(1, QStringLiteral("Monday"), Variant(0), Variant(false), QStringLiteral("x"));
    days.Append(2, QStringLiteral("Moscow"), Variant(0), Variant(false), QStringLiteral("x"));
    CompPtr<TComponent> owner(Create<TComponent>(nullptr));
    auto* orders = Create<TMemTableEh>(owner.get());
    auto* id = Create<TIntegerField>(owner.get());
    id->SetFieldName(QStringLiteral("Day"));
    id->SetDataSet(orders);
    auto* look = Create<TStringField>(owner.get());
    look->SetFieldName(QStringLiteral("DayName"));
    look->SetSize(20);
    look->SetFieldKind(fkLookup);
    look->SetLookupDataSet(days.T);
    look->SetLookupKeyFields(QStringLiteral("ID"));
    look->SetLookupResultField(QStringLiteral("Name"));
    look->SetKeyFields(QStringLiteral("Day"));
    look->SetDataSet(orders);
    orders->CreateDataSet();
    orders->Append();
    orders->Post();
    auto* src = Create<TDataSource>(owner.get());
    src->SetDataSet(orders);

    CompPtr<TForm> form(new TForm(nullptr));
    form->SetBounds(0, 0, 320, 140);
    auto* grid = Create<TTestAxisGrid>(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 300, 120);
    grid->SetDataSource(src);
    form->Show();
    PumpGridEvents();
    TAxisBarEh* c = grid->FindFieldColumn(QStringLiteral("DayName"));
    ASSERT_NE(c, nullptr);
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->SetFocus();
    grid->SetCol(c->Index() + 1);
    grid->ShowEditor();
    PumpGridEvents();
    auto* ed = dynamic_cast<TDBAxisGridInplaceEdit*>(grid->InplaceEditor());
    ASSERT_NE(ed, nullptr);
    ASSERT_EQ(ed->EditStyle(), esDataList);
    EXPECT_EQ(ed->ActiveList(), nullptr) << "the lookup drop-down grid belongs to the data grid";
    auto type = [&](QChar ch) {
        ed->Perform(WM_CHAR, ch.unicode(), 0);
        PumpGridEvents();
    };
    type(QChar('M'));
    type(QChar('o'));
    EXPECT_EQ(ed->Text(), QStringLiteral("Monday"));
    EXPECT_EQ(ed->SelText(), QStringLiteral("nday"));
    EXPECT_EQ(grid->EditKeyValue().AsInteger(), 1);
    // Text that matches no list value cannot be typed without OnNotInList.
    type(QChar('x'));
    EXPECT_EQ(ed->Text(), QStringLiteral("Monday"));
    EXPECT_EQ(ed->SelText(), QStringLiteral("nday"));
    // With it, the typed text stays and the key becomes Null.
    c->OnNotInList = TColumnNotInListEventEh::Callable([](TObject*, const String&, bool&) {});
    type(QChar('x'));
    EXPECT_EQ(ed->Text(), QStringLiteral("Mox"));
    EXPECT_TRUE(VarIsNull(grid->EditKeyValue()));
    // The special row's shortcut puts its text and value in.
    c->DropDownSpecRow()->SetCellsText(QStringLiteral("(none)"));
    c->DropDownSpecRow()->SetValue(Variant(0));
    c->DropDownSpecRow()->SetShortCut(ShortCut(VK_F4, TShiftState()));
    c->DropDownSpecRow()->SetVisible(true);
    ed->Perform(WM_KEYDOWN, VK_F4, 0);
    EXPECT_EQ(ed->Text(), QStringLiteral("(none)"));
    EXPECT_EQ(grid->EditKeyValue().AsInteger(), 0);
    orders->Cancel();
}

TEST_F(AxisInplaceTest, ReadOnlyFromTheCellHooksRefusesEditing) {
    Build(3);
    auto* col = Grid->Column(kName - 1);
    col->OnParams = [](bool edit, TAxisColCellParamsEh* p) {
        if (edit) p->FReadOnly = true;
    };
    Open(kName);
    EXPECT_TRUE(Ed()->ReadOnlyStored());
    EXPECT_TRUE(Ed()->ReadOnly());
    EXPECT_FALSE(Grid->PrepareCellEditPublic());
    Type(QStringLiteral("zz"));
    EXPECT_EQ(Data->Name->AsString(), QStringLiteral("Name 1"));
    EXPECT_EQ(Data->T->State(), dsBrowse);

    // Without the hook the same cell is editable again.
    Grid->HideEditor();
    col->OnParams = nullptr;
    Grid->SetCol(kAmount);
    Open(kName);
    EXPECT_FALSE(Ed()->ReadOnly());
    Ed()->SelectAll();
    Type(QStringLiteral("zz"));
    EXPECT_EQ(Ed()->Text(), QStringLiteral("zz"));
    EXPECT_EQ(Data->T->State(), dsEdit);
    Data->T->Cancel();
}

TEST_F(AxisInplaceTest, UpDownButtonStepsNumbersUpAndListsTowardsTheirStart) {
    Build(3);
    Bar(kAmount)->SetButtonStyle(cbsUpDown);
    Open(kAmount);
    ASSERT_EQ(Ed()->EditStyle(), esUpDown);
    Ed()->DropDownByButton(false); // the upper half
    EXPECT_EQ(Data->Amount->AsInteger(), 11);
    Ed()->DropDownByButton(true);
    Ed()->DropDownByButton(true);
    EXPECT_EQ(Data->Amount->AsInteger(), 9);
    EXPECT_EQ(Ed()->Text(), QStringLiteral("9"));
    Data->T->Cancel();

    Grid->HideEditor();
    TAxisBarEh* bar = Bar(kName);
    for (const char* s : {"Anna", "Boris", "Vera"})
        bar->PickList()->Add(QString::fromLatin1(s));
    bar->SetButtonStyle(cbsUpDown);
    Data->T->Edit();
    Data->Name->SetAsString(QStringLiteral("Boris"));
    Data->T->Post();
    Open(kName);
    Ed()->DropDownByButton(false);
    EXPECT_EQ(Data->Name->AsString(), QStringLiteral("Anna")) << "the upper half goes to the previous entry";
    Data->T->Cancel();
}

TEST_F(AxisInplaceTest, ColumnImageIsDrawnLeftOfTheText) {
    Build(3);
    CompPtr<TCustomImageList> images(Create<TCustomImageList>(nullptr));
    images->SetWidth(12);
    images->SetHeight(12);
    for (QColor color : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)}) {
        QImage img(12, 12, QImage::Format_ARGB32);
        img.fill(color);
        images->AddQImage(img);
    }
    ASSERT_EQ(images->Count(), 3);
    TAxisBarEh* bar = Bar(kCode);
    for (const char* s : {"A", "B", "C"})
        bar->PickList()->Add(QString::fromLatin1(s));
    bar->SetImageList(images.get());
    bar->SetShowImageAndText(true);
    Open(kCode);
    ASSERT_EQ(Ed()->Text(), QStringLiteral("B"));
    ASSERT_EQ(Ed()->ImageIndex(), 1);
    TWinControl* box = Ed()->ImageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->Visible());
    const TRect r = Ed()->GetImageRect();
    EXPECT_EQ(TRect(box->Left(), box->Top(), box->Left() + box->Width(), box->Top() + box->Height()), r);
    EXPECT_EQ(r.Left, 2);
    EXPECT_EQ(r.Width(), 12);
    // The text starts after the image.
    TRect text;
    Ed()->GetEditingRect(text);
    EXPECT_GE(text.Left, r.Right);
    const QImage shot = box->Widget()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(shot.width() / 2, shot.height() / 2)), QColor(Qt::green));
    Shot(Grid, "axis-inplace-image");

    // Choosing another entry changes the image; a value outside the list shows none.
    AltDown();
    EdKey(VK_DOWN);
    EdKey(VK_RETURN);
    EXPECT_EQ(Ed()->Text(), QStringLiteral("C"));
    EXPECT_EQ(Ed()->ImageIndex(), 2);
    bar->SetNotInKeyListIndex(-1);
    Ed()->SelectAll();
    EdChar(QChar('x'));
    EXPECT_EQ(Ed()->ImageIndex(), -1);
    EXPECT_FALSE(box->Visible());
    Data->T->Cancel();
}
