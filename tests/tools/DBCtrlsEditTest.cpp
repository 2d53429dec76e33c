// The field data link and the data-aware edit bound to a memory table.

#include "DBCtrlsTestUtil.h"

#include "lib/tools/ToolCtrlsEhInternal.h"
#include "platform/ui/WinApi.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Field data link

struct LinkProbe {
    TFieldDataLinkEh Link;
    int DataChanges = 0;
    LinkProbe() {
        Link.OnDataChange = TNotifyEvent::Callable([this](TObject*) { ++DataChanges; });
    }
};

TEST_F(EditorFixture, LinkModesFollowSourceAndFieldName) {
    LinkProbe p;
    EXPECT_TRUE(p.Link.DataIndepended());
    EXPECT_TRUE(p.Link.Active());
    p.Link.SetText(QStringLiteral("12"));
    EXPECT_EQ(p.Link.DataIndependentValue, Variant(QStringLiteral("12")));
    EXPECT_EQ(p.DataChanges, 1);

    // A field name without a data source: bound, inactive, no field.
    p.Link.SetFieldName(QStringLiteral("Name"));
    EXPECT_FALSE(p.Link.DataIndepended());
    EXPECT_FALSE(p.Link.Active());
    EXPECT_EQ(p.Link.Field(), nullptr);
    p.Link.SetText(QStringLiteral("ignored")); // nothing to write to, and no crash

    p.Link.SetDataSource(DS);
    EXPECT_TRUE(p.Link.Active());
    EXPECT_EQ(p.Link.Field(), F("Name"));

    // Back to no source and no name: data-independent with a Null value, owner reloaded once.
    p.Link.SetFieldName(String());
    p.DataChanges = 0;
    p.Link.SetDataSource(nullptr);
    EXPECT_TRUE(p.Link.DataIndepended());
    EXPECT_TRUE(VarIsNull(p.Link.DataIndependentValue));
    EXPECT_GE(p.DataChanges, 1);
}

TEST_F(EditorFixture, LinkMultiFieldValueArrays) {
    LinkProbe p;
    p.Link.SetDataSource(DS);
    p.Link.SetMultiFields(true);
    p.Link.SetFieldName(QStringLiteral("Name;Qty"));
    ASSERT_EQ(p.Link.FieldsCount(), 2);
    T->Edit();
    p.Link.SetValue(VarArrayOf({Variant(QStringLiteral("Петров")), Variant(7)}));
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Петров"));
    EXPECT_EQ(F("Qty")->AsInteger(), 7);
    // A value of the wrong shape is refused and writes nothing.
    EXPECT_THROW(p.Link.SetValue(Variant(3)), EDatabaseError);
    EXPECT_THROW(p.Link.SetValue(VarArrayOf({Variant(1)})), EDatabaseError);
    EXPECT_EQ(F("Qty")->AsInteger(), 7);
    p.Link.SetValue(Variant::FromNull());
    EXPECT_TRUE(F("Name")->IsNull());
    EXPECT_TRUE(F("Qty")->IsNull());
    T->Cancel();
}

TEST_F(EditorFixture, LinkIgnoresOtherFieldsAndEmptiesWhileControlsDisabled) {
    LinkProbe p;
    p.Link.SetDataSource(DS);
    p.Link.SetFieldName(QStringLiteral("Name"));
    T->Edit();
    p.DataChanges = 0;
    F("Qty")->SetAsInteger(9);
    EXPECT_EQ(p.DataChanges, 0);
    F("Name")->SetAsString(QStringLiteral("x"));
    EXPECT_EQ(p.DataChanges, 1);
    T->Cancel();

    T->DisableControls();
    EXPECT_EQ(p.Link.Field(), nullptr);
    p.DataChanges = 0;
    T->EnableControls();
    EXPECT_EQ(p.Link.Field(), F("Name"));
    EXPECT_GE(p.DataChanges, 1);
}

TEST_F(EditorFixture, LinkUnknownFieldNamesTheControl) {
    auto* e = Editor<TCustomDBEditEh>(nullptr);
    e->SetName(QStringLiteral("NameEdit"));
    e->SetDataSource(DS);
    try {
        e->SetDataField(QStringLiteral("Nope"));
        FAIL() << "no error";
    } catch (const EDatabaseError& x) {
        EXPECT_EQ(x.Message(), QStringLiteral("NameEdit: Field 'Nope' not found"));
    }
}

// ---------------------------------------------------------------------------------------------
// Edit

TEST_F(EditorFixture, BoundEditTypesIntoFieldThroughKeys) {
    auto* e = Editor<TCustomDBEditEh>("Name");
    EXPECT_EQ(e->Text(), QStringLiteral("Иванов"));
    Show(e);
    EXPECT_EQ(T->State(), dsBrowse);
    e->SelectAll();
    TypeText(e, QStringLiteral("Pe"));
    // The first character put the table into edit state.
    EXPECT_EQ(T->State(), dsEdit);
    TypeText(e, QStringLiteral("trov"));
    EXPECT_EQ(e->Text(), QStringLiteral("Petrov"));
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Иванов")); // not yet written
    FocusOther();
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Petrov"));
    T->Post();
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Petrov"));
}

TEST_F(EditorFixture, EscapeRestoresFieldText) {
    auto* e = Editor<TCustomDBEditEh>("Name");
    Show(e);
    e->SelectAll();
    TypeText(e, QStringLiteral("Zzz"));
    EXPECT_EQ(e->Text(), QStringLiteral("Zzz"));
    SendKey(e, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    EXPECT_EQ(e->Text(), QStringLiteral("Иванов"));
    EXPECT_EQ(e->SelLength(), 6);
    FocusOther();
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Иванов"));
}

TEST_F(EditorFixture, CharactersTheFieldRefusesBeepAndAreDropped) {
    auto* e = Editor<TCustomDBEditEh>("Qty");
    Show(e);
    e->SelectAll();
    int beeps = MessageBeepCount();
    TypeText(e, QStringLiteral("4x2"));
    EXPECT_EQ(e->Text(), QStringLiteral("42"));
    EXPECT_EQ(MessageBeepCount(), beeps + 1);
    FocusOther();
    EXPECT_EQ(F("Qty")->AsInteger(), 42);
}

TEST_F(EditorFixture, TextThatDoesNotConvertRaisesAndLeavesFieldUnchanged) {
    auto* e = Editor<TCustomDBEditEh>("Qty");
    // The field's own conversion error (the data-set layer raises it as a database error).
    EXPECT_THROW(e->SetText(QStringLiteral("abc")), EDatabaseError);
    EXPECT_EQ(F("Qty")->AsInteger(), 5);
    // The edit shows the data again.
    EXPECT_EQ(e->Text(), QStringLiteral("5"));
    e->SetText(QStringLiteral("8"));
    EXPECT_EQ(F("Qty")->AsInteger(), 8);
}

// Leaving the edit with typed text the field refuses: the error is reported, the edit keeps the
// focus and the text, and the field keeps its value until the text is corrected.
TEST_F(EditorFixture, LeavingWithTextTheFieldRefusesKeepsTheFocus) {
    auto* e = Editor<TCustomDBEditEh>("Qty");
    std::vector<String> errors;
    const TExceptionEvent saved = Application->OnException;
    ScopeExit restore([&] { Application->OnException = saved; });
    Application->OnException =
        TExceptionEvent::Callable([&](TObject*, Exception* x) { errors.push_back(x->Message()); });
    Show(e);
    e->SelectAll();
    TypeText(e, QStringLiteral("99999999999"));
    FocusOther();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(e->Focused());
    EXPECT_EQ(e->Text(), QStringLiteral("99999999999"));
    EXPECT_EQ(F("Qty")->AsInteger(), 5);
    e->SelectAll();
    TypeText(e, QStringLiteral("12"));
    FocusOther();
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(F("Qty")->AsInteger(), 12);
}

TEST_F(EditorFixture, UnboundEditKeepsItsValueInTheLink) {
    auto* e = Editor<TCustomDBEditEh>(nullptr);
    EXPECT_TRUE(e->DataLink()->DataIndepended());
    e->SetValue(Variant(5));
    EXPECT_EQ(e->Text(), QStringLiteral("5"));
    EXPECT_EQ(e->DataLink()->DataIndependentValue, Variant(QStringLiteral("5")));
    EXPECT_EQ(e->Value(), Variant(QStringLiteral("5")));
    Show(e);
    e->SelectAll();
    TypeText(e, QStringLiteral("Ёж"));
    FocusOther();
    EXPECT_EQ(e->DataLink()->DataIndependentValue, Variant(QStringLiteral("Ёж")));
}

TEST_F(EditorFixture, TextSetInsideUpdateDataDoesNotRecurse) {
    auto* e = Editor<TCustomDBEditEh>("Name");
    int calls = 0;
    e->OnUpdateData = TUpdateDataEventEh::Callable([&](TObject*, bool& handled) {
        ++calls;
        e->SetText(QStringLiteral("from handler"));
        handled = false;
    });
    e->SetText(QStringLiteral("x"));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("from handler"));
}

TEST_F(EditorFixture, RightAlignedTextIsEditedFromTheLeft) {
    auto* e = Editor<TCustomDBEditEh>("Name");
    e->SetAlignment(taRightJustify);
    Show(Other());
    EXPECT_EQ(static_cast<TCustomEdit*>(e)->Alignment(), taRightJustify);
    e->SetFocus();
    PumpEvents(5);
    EXPECT_EQ(static_cast<TCustomEdit*>(e)->Alignment(), taLeftJustify);
    FocusOther();
    EXPECT_EQ(static_cast<TCustomEdit*>(e)->Alignment(), taRightJustify);
}

TEST_F(EditorFixture, RequiredMarkOnEmptyRequiredFieldWhileEditing) {
    F("Name")->SetRequired(true);
    auto* e = Editor<TCustomDBEditEh>("Name");
    e->SetHighlightRequired(true);
    Show(Other());
    EXPECT_FALSE(e->RequiredMarkShowing());
    T->Edit();
    F("Name")->Clear();
    EXPECT_EQ(e->Text(), QString());
    EXPECT_TRUE(e->RequiredMarkShowing());
    SaveFormWithPopups(Form, QStringLiteral("dbedit-required"));
    F("Name")->SetAsString(QStringLiteral("Ким"));
    EXPECT_FALSE(e->RequiredMarkShowing());
    T->Cancel();
}

TEST_F(EditorFixture, TooltipShowsTextThatDoesNotFit) {
    auto* e = Editor<TCustomDBEditEh>(nullptr, 10, 80);
    e->SetTooltips(true);
    e->SetHint(QStringLiteral("подсказка"));
    Show(Other());
    auto hintFor = [&](const QString& text) {
        e->SetText(text);
        THintInfo info;
        info.HintStr = e->Hint();
        e->Perform(CM_HINTSHOW, 0, LPARAM(&info));
        return info.HintStr;
    };
    EXPECT_EQ(hintFor(QStringLiteral("Кратко")), QStringLiteral("подсказка"));
    const QString longText = QStringLiteral("Очень длинный текст, который не помещается");
    EXPECT_EQ(hintFor(longText), longText);
}

TEST_F(EditorFixture, EmptyDataInfoShowsOnlyUnfocusedAndEmpty) {
    auto* e = Editor<TCustomDBEditEh>(nullptr);
    e->EmptyDataInfo()->SetText(QStringLiteral("Введите имя"));
    EXPECT_TRUE(e->EmptyDataInfo()->ParentFont());
    Show(Other());
    EXPECT_TRUE(e->EmptyDataInfo()->Showing());
    EXPECT_EQ(e->TextHint(), QStringLiteral("Введите имя"));
    SaveFormWithPopups(Form, QStringLiteral("dbedit-emptydatainfo"));
    e->SetFocus();
    PumpEvents(10);
    EXPECT_FALSE(e->EmptyDataInfo()->Showing());
    EXPECT_EQ(e->TextHint(), QString());
    FocusOther();
    e->SetText(QStringLiteral("a"));
    EXPECT_FALSE(e->EmptyDataInfo()->Showing());

    // Changing its font once cuts it from the edit's font.
    e->EmptyDataInfo()->Font()->SetColor(clRed);
    EXPECT_FALSE(e->EmptyDataInfo()->ParentFont());
    int size = e->EmptyDataInfo()->Font()->Size();
    e->Font()->SetSize(size + 4);
    EXPECT_EQ(e->EmptyDataInfo()->Font()->Size(), size);
}

// A grid stand-in that hosts the edit.
class Holder : public TCustomControl, public IInplaceEditHolderEh {
public:
    using TCustomControl::TCustomControl;
    bool CanModify = true;
    int KeyPresses = 0;
    bool InplaceEditCanModify(TControl*) override { return CanModify; }
    void GetMouseDownInfo(TPoint& Pos, int& Time) override {
        Pos = TPoint(0, 0);
        Time = 0;
    }
    void InplaceEditWndProc(TControl*, TMessage&) override {}
    void InplaceEditKeyDown(TControl*, Word&, TShiftState) override {}
    void InplaceEditKeyPress(TControl*, Char& Key) override {
        ++KeyPresses;
        if (Key == QLatin1Char('#')) Key = Char(0);
    }
    void InplaceEditKeyUp(TControl*, Word&, TShiftState) override {}
};

TEST_F(EditorFixture, InplaceHolderDecidesAndSeesKeysFirst) {
    auto* e = Editor<TCustomDBEditEh>(nullptr);
    EXPECT_THROW(e->SetInplaceEditHolder(Other()), Exception);
    auto* h = new Holder(Form);
    e->SetInplaceEditHolder(h);
    EXPECT_TRUE(e->InplaceMode());
    e->SetReadOnly(true);
    Show(e);
    // The holder says the cell can be modified: the window takes typing although the edit is
    // read-only.
    EXPECT_FALSE(static_cast<TCustomEdit*>(e)->ReadOnly());
    h->CanModify = false;
    e->SetReadOnly(false);
    e->SetReadOnly(true);
    EXPECT_TRUE(static_cast<TCustomEdit*>(e)->ReadOnly());
    h->CanModify = true;
    e->SetReadOnly(false);
    e->SetReadOnly(true);
    TypeText(e, QStringLiteral("a#b"));
    EXPECT_EQ(h->KeyPresses, 3);
    EXPECT_FALSE(e->Text().contains(QLatin1Char('#')));
    e->SetInplaceEditHolder(nullptr);
    EXPECT_FALSE(e->InplaceMode());
}

} // namespace
