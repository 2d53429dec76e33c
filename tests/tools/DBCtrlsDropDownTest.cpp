// Edit buttons and drop-downs of the editors: layout, opening through the keyboard and the mouse,
// picking, accepting, cancelling, MRU completion and drop-down forms.

#include "DBCtrlsTestUtil.h"

#include "lib/tools/CalculatorEh.h"
#include "lib/toolscore/DynVarsEh.h"

namespace {

// A click on a button control of the edit (they are drawn on the edit's button panel).
void ClickButton(TCustomDBEditEh* e, int index) {
    TEditButtonControlEh* b = e->EditButtonControl(index);
    Click(e->ButtonsPanel(), QPoint(b->Left() + b->Width() / 2, b->Top() + b->Height() / 2));
    PumpEvents(5);
}

void AltDown(TWinControl* c) {
    SendKey(c, Qt::Key_Down, Qt::AltModifier);
    PumpEvents(5);
}

TEST_F(EditorFixture, ButtonLayoutFollowsTheRoomAndTheLook) {
    auto* e = Editor<TCustomDBEditEh>(nullptr);
    Show(e);
    // No visible button: no button area, the text reaches the edge.
    EXPECT_EQ(e->ButtonWidth(), 0);
    EXPECT_FALSE(e->ButtonsPanel()->Visible());

    e->EditButton()->SetVisible(true);
    e->EditButton()->SetWidth(17);
    e->SetBounds(10, 10, 200, 34); // 30 pixels of room inside the frame
    EXPECT_EQ(e->ButtonWidth(), 17);
    EXPECT_EQ(e->EditButtonControl(0)->Height(), 17);
    e->SetFlat(true);
    e->EditButton()->SetWidth(17);
    e->SetBounds(10, 10, 200, 34);
    EXPECT_EQ(e->EditButtonControl(0)->Height(), 23);
    e->SetBounds(10, 10, 200, 28); // 24 pixels: the whole room
    EXPECT_EQ(e->EditButtonControl(0)->Height(), 24);

    // Extra buttons line up after the main one.
    TEditButtonEh* extra = e->EditButtons()->Add();
    extra->SetStyle(ebsEllipsisEh);
    extra->SetWidth(15);
    EXPECT_EQ(e->EditButtonControlCount(), 2);
    EXPECT_EQ(e->EditButtonControl(1)->Left(),
              e->EditButtonControl(0)->Width() + e->EditButtonLine(0)->Width());
    TRect text;
    text = e->ClientRect();
    EXPECT_TRUE(e->ButtonsPanel()->Visible());
    EXPECT_LE(e->ButtonsPanel()->Left() + e->ButtonsPanel()->Width(), text.Right);
}

TEST_F(EditorFixture, ButtonShortCutsAndClicks) {
    auto* e = Editor<TCustomDBEditEh>(nullptr);
    TEditButtonEh* extra = e->EditButtons()->Add();
    extra->SetShortCut(ShortCut(VK_F4, {}));
    int clicks = 0;
    extra->OnClick = TButtonClickEventEh::Callable([&](TObject*, bool& handled) {
        ++clicks;
        handled = true;
    });
    Show(e);
    SendKey(e, Qt::Key_F4);
    EXPECT_EQ(clicks, 1);
    extra->SetEnabled(false);
    SendKey(e, Qt::Key_F4);
    EXPECT_EQ(clicks, 1);
    extra->SetEnabled(true);
    ClickButton(e, 1);
    EXPECT_EQ(clicks, 2);
}

TEST_F(EditorFixture, ComboListPickAcceptAndCancel) {
    auto* c = Editor<TDBComboBoxEh>("Name", 40);
    c->Items()->SetText(QStringLiteral("Иванов\nПетров\nСидоров"));
    Show(c);
    AltDown(c);
    ASSERT_TRUE(c->ListVisible());
    EXPECT_TRUE(c->Focused()); // the list never takes the focus
    EXPECT_EQ(c->PopupListbox()->ItemIndex(), 0);
    SendKey(c, Qt::Key_Down);
    SendKey(c, Qt::Key_Down);
    EXPECT_EQ(c->PopupListbox()->ItemIndex(), 2);
    SaveFormWithPopups(Form, QStringLiteral("dbcombo-dropped"));
    SendKey(c, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_FALSE(c->ListVisible());
    EXPECT_EQ(c->Text(), QStringLiteral("Сидоров"));
    FocusOther();
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Сидоров"));
    T->Post();

    // Typed text survives a list that opens and is cancelled.
    c->SetFocus();
    PumpEvents(5);
    c->SelectAll();
    TypeText(c, QStringLiteral("Ко"));
    AltDown(c);
    ASSERT_TRUE(c->ListVisible());
    SendKey(c, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    EXPECT_FALSE(c->ListVisible());
    EXPECT_EQ(c->Text(), QStringLiteral("Ко"));

    // The button opens the list and a second click closes it.
    ClickButton(c, 0);
    EXPECT_TRUE(c->ListVisible());
    ClickButton(c, 0);
    EXPECT_FALSE(c->ListVisible());
    EXPECT_EQ(c->Text(), QStringLiteral("Ко"));
}

TEST_F(EditorFixture, ClickElsewhereClosesDropDownsAndKeepsTheText) {
    auto* c = Editor<TDBComboBoxEh>("Name", 40);
    c->Items()->SetText(QStringLiteral("Иванов\nПетров"));
    auto* d = Editor<TDBDateTimeEditEh>("Born", 80);
    Show(c);
    c->SelectAll();
    TypeText(c, QStringLiteral("Пе"));
    AltDown(c);
    ASSERT_TRUE(c->ListVisible());
    Click(Other(), QPoint(5, 5));
    PumpEvents(20);
    EXPECT_FALSE(c->ListVisible());
    EXPECT_EQ(c->Text(), QStringLiteral("Петров")); // completed while typing, not picked

    d->SetFocus();
    PumpEvents(5);
    AltDown(d);
    ASSERT_TRUE(d->CalendarVisible());
    Click(Form, QPoint(300, 200));
    PumpEvents(20);
    EXPECT_FALSE(d->CalendarVisible());
}

TEST_F(EditorFixture, ComboListWidthAndClosingUpVeto) {
    auto* c = Editor<TDBComboBoxEh>("Name", 40, 60);
    c->Items()->SetText(QStringLiteral("Очень длинное значение списка\nКоротко"));
    c->DropDownBox()->Width = -1;
    bool veto = true;
    c->OnClosingUp = TAcceptEventEh::Callable([&](TObject*, bool& accept) {
        if (veto) accept = false;
    });
    Show(c);
    AltDown(c);
    EXPECT_GT(c->PopupListbox()->Width(), c->Width());
    SendKey(c, Qt::Key_Down);
    SendKey(c, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_EQ(c->Text(), QStringLiteral("Иванов")); // vetoed: the previous text stays
}

TEST_F(EditorFixture, CalendarPickKeepsTheTime) {
    PinnedFormat ru("ru_RU");
    auto* e = Editor<TDBDateTimeEditEh>("Stamp", 10);
    e->SetKind(dtkDateTimeEh);
    Show(e);
    AltDown(e);
    ASSERT_TRUE(e->CalendarVisible());
    EXPECT_TRUE(e->Focused());
    SendKey(e, Qt::Key_Right); // the calendar moves one day on
    SaveFormWithPopups(Form, QStringLiteral("dbdatetime-dropped"));
    SendKey(e, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_FALSE(e->CalendarVisible());
    EXPECT_EQ(e->EditText(), QStringLiteral("08.06.2020 08:09:10"));
    FocusOther();
    EXPECT_EQ(F("Stamp")->AsDateTime(), EncodeDate(2020, 6, 8) + EncodeTime(8, 9, 10, 0));

    // Escape leaves what was typed.
    e->SetFocus();
    PumpEvents(5);
    e->SetSelStart(0);
    TypeText(e, QStringLiteral("1"));
    String typed = e->EditText();
    AltDown(e);
    SendKey(e, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    EXPECT_FALSE(e->CalendarVisible());
    EXPECT_EQ(e->EditText(), typed);
}

TEST_F(EditorFixture, CalculatorResultGoesToTheField) {
    auto* e = Editor<TDBNumberEditEh>("Price", 10);
    e->EditButton()->SetVisible(true);
    Show(e);
    AltDown(e);
    ASSERT_TRUE(e->CalculatorVisible());
    TypeText(e, QStringLiteral("*2="));
    SaveFormWithPopups(Form, QStringLiteral("dbnumber-dropped"));
    SendKey(e, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_FALSE(e->CalculatorVisible());
    EXPECT_EQ(e->Value(), Variant(25.0));
    FocusOther();
    EXPECT_DOUBLE_EQ(F("Price")->AsFloat(), 25.0);

    // An "Error" display accepted leaves the value.
    e->SetFocus();
    PumpEvents(5);
    AltDown(e);
    TypeText(e, QStringLiteral("/0="));
    SendKey(e, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    e->CloseUp(true);
    EXPECT_EQ(e->Value(), Variant(25.0));
}

TEST_F(EditorFixture, MRUListCompletesTypedText) {
    auto* e = Editor<TCustomDBEditEh>("Name");
    e->MRUList()->SetActive(true);
    Show(e);
    for (const char* city : {"Москва", "Мурманск", "Казань"}) {
        e->SetFocus();
        PumpEvents(5);
        e->SelectAll();
        TypeText(e, QString::fromUtf8(city));
        if (e->MRUListControl() && e->MRUListControl()->Visible()) SendKey(e, Qt::Key_Escape);
        FocusOther();
    }
    EXPECT_EQ(e->MRUList()->Items()->Count(), 3);
    e->SetFocus();
    PumpEvents(5);
    e->SelectAll();
    TypeText(e, QStringLiteral("м"));
    ASSERT_NE(e->MRUListControl(), nullptr);
    ASSERT_TRUE(e->MRUListControl()->Visible());
    auto* list = static_cast<TPopupListboxEh*>(e->MRUListControl());
    EXPECT_EQ(list->Items()->Count(), 2);
    SaveFormWithPopups(Form, QStringLiteral("dbedit-mru-dropped"));
    SendKey(e, Qt::Key_Down);
    SendKey(e, Qt::Key_Down);
    SendKey(e, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_FALSE(e->MRUListControl()->Visible());
    EXPECT_EQ(e->Text(), QStringLiteral("Мурманск"));
}

// A drop-down form that hands its callback back on demand.
class PickForm : public TForm, public IDropDownFormEh {
public:
    using TForm::TForm;
    TDropDownFormCallbackProcEh Callback;
    TDynVarsEh* Params = nullptr;
    TDropDownFormSysParams* Sys = nullptr;
    bool ReadOnlyFlag = false;
    bool Execute(TControl*, TControl*, TDropDownAlign, TDynVarsEh*) override { return false; }
    bool GetReadOnly() override { return ReadOnlyFlag; }
    void ExecuteNomodal(TControl*, TControl*, TDropDownAlign, TDynVarsEh* DynParams,
                        TDropDownFormSysParams* SysParams,
                        const TDropDownFormCallbackProcEh& CallbackProc) override {
        Params = DynParams;
        Sys = SysParams;
        Callback = CallbackProc;
    }
    void Close() override {}
    void SetReadOnly(bool Value) override { ReadOnlyFlag = Value; }
    void Finish(bool accept) {
        auto cb = Callback;
        Callback = nullptr;
        cb(this, accept, Params, Sys);
    }
};

TEST_F(EditorFixture, DropDownFormPassesAndReturnsValues) {
    auto* e = Editor<TCustomDBEditEh>("Name");
    auto* form = new PickForm(Form);
    e->EditButton()->SetVisible(true);
    e->EditButton()->DropDownFormParams()->SetDropDownForm(form);
    Show(e);
    ClickButton(e, 0);
    ASSERT_TRUE(form->Callback);
    EXPECT_TRUE(e->EditButtonControl(0)->AlwaysDown());
    EXPECT_EQ(static_cast<TDynVarEh*>(form->Params->Items(0))->Value(), Variant(QStringLiteral("Иванов")));
    static_cast<TDynVarEh*>(form->Params->Items(0))->SetValue(Variant(QStringLiteral("Орлов")));
    form->Finish(true);
    EXPECT_FALSE(e->EditButtonControl(0)->AlwaysDown());
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Орлов"));
    EXPECT_EQ(T->State(), dsBrowse); // put into edit state and posted by the write-back

    // Fields named for the way back that the form did not return keep their values.
    e->EditButton()->DropDownFormParams()->SetPassFieldNames(QStringLiteral("Name;Qty"));
    e->EditButton()->DropDownFormParams()->SetAssignBackFieldNames(QStringLiteral("Name;Qty"));
    PumpEvents(5);
    ClickButton(e, 0);
    ASSERT_TRUE(form->Callback);
    EXPECT_EQ(form->Params->Count(), 2);
    form->Params->DeleteDynVar(QStringLiteral("Qty"));
    form->Finish(true);
    EXPECT_EQ(F("Qty")->AsInteger(), 5);

    // An edit freed while its form is open is not touched by the late callback.
    PumpEvents(5);
    ClickButton(e, 0);
    ASSERT_TRUE(form->Callback);
    e->Free();
    form->Finish(true);
    EXPECT_EQ(F("Qty")->AsInteger(), 5);
}

// Opens the edit's drop-down form directly, as a press of its main button does.
struct FormOpener : TCustomDBEditEh {
    static void Open(TCustomDBEditEh* e, bool& handled) {
        (e->*(&FormOpener::ShowDropDownForm))(nullptr, nullptr, handled);
    }
};

TEST_F(EditorFixture, UnregisteredDropDownFormClassRaisesOnPress) {
    auto* e = Editor<TCustomDBEditEh>(nullptr);
    // Naming the class is fine; pressing the button finds it missing.
    e->EditButton()->DropDownFormParams()->SetDropDownFormClassName(QStringLiteral("TNoSuchFormEh"));
    bool handled = false;
    try {
        FormOpener::Open(e, handled);
        FAIL();
    } catch (const Exception& x) {
        EXPECT_EQ(x.Message(), QStringLiteral("Class 'TNoSuchFormEh' is not registered"));
    }
}

} // namespace
