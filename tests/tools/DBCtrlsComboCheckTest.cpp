// The combo box (text and key-based) and the check box, bound to a memory table.

#include "DBCtrlsTestUtil.h"
#include "ToolsTestUtil.h"

#include "platform/classes/ComponentStreams.h"

namespace {

TCustomDBComboBoxEh* KeyCombo(EditorFixture& f, const char* field) {
    auto* c = f.Editor<TDBComboBoxEh>(field, 40);
    c->Items()->SetText(QStringLiteral("Красный\nСиний\nЗелёный"));
    c->KeyItems()->SetText(QStringLiteral("R\nB"));
    return c;
}

TEST_F(EditorFixture, KeyComboMapsKeysToTexts) {
    auto* c = KeyCombo(*this, "Color");
    // Three texts and two keys: only the first two items can be chosen.
    EXPECT_TRUE(c->KeyBased());
    EXPECT_EQ(c->ItemsCount(), 2);
    EXPECT_EQ(c->Text(), QStringLiteral("Синий"));
    EXPECT_EQ(c->ItemIndex(), 1);
    EXPECT_EQ(c->Value(), Variant(QStringLiteral("B")));

    // A value without a key shows nothing but stays the value; key look-up is case-sensitive.
    c->SetValue(Variant(QStringLiteral("r")));
    EXPECT_EQ(c->Text(), QString());
    EXPECT_EQ(c->ItemIndex(), -1);
    EXPECT_EQ(F("Color")->AsString(), QStringLiteral("r"));
    // Text look-up is not.
    c->SetText(QStringLiteral("красный"));
    EXPECT_EQ(c->ItemIndex(), 0);
    EXPECT_EQ(F("Color")->AsString(), QStringLiteral("R"));

    c->SetItemIndex(2); // beyond the usable items
    EXPECT_EQ(c->ItemIndex(), -1);
    EXPECT_EQ(c->Text(), QString());
    EXPECT_EQ(F("Color")->AsString(), QString());
}

TEST_F(EditorFixture, KeyComboTypingSelectsItemsAndArrowsDoNotWrap) {
    auto* c = Editor<TDBComboBoxEh>("Color", 40);
    c->Items()->SetText(QStringLiteral("Apple\nbanana"));
    c->KeyItems()->SetText(QStringLiteral("A\nB"));
    Show(c);
    TypeText(c, QStringLiteral("b"));
    EXPECT_EQ(c->Text(), QStringLiteral("banana"));
    EXPECT_EQ(c->SelStart(), 1); // selected from the end back to after the "b"
    EXPECT_EQ(c->SelLength(), 5);
    TypeText(c, QStringLiteral("x"));
    EXPECT_EQ(c->Text(), QStringLiteral("banana"));

    struct Step {
        int Key;
        int Index;
    } steps[] = {{Qt::Key_Down, 1}, {Qt::Key_Up, 0}, {Qt::Key_Up, 0}, {Qt::Key_Down, 1}};
    for (const Step& s : steps) {
        SendKey(c, s.Key);
        EXPECT_EQ(c->ItemIndex(), s.Index);
    }
    FocusOther();
    EXPECT_EQ(F("Color")->AsString(), QStringLiteral("B"));
    T->Post();

    // Delete clears the value of a key combo.
    c->SetFocus();
    PumpEvents(5);
    SendKey(c, Qt::Key_Delete);
    EXPECT_TRUE(VarIsNull(c->Value()));
    FocusOther();
    EXPECT_EQ(F("Color")->AsString(), QString());
}

TEST_F(EditorFixture, TextComboCompletesFromItems) {
    auto* c = Editor<TDBComboBoxEh>("Name", 40);
    c->Items()->SetText(QStringLiteral("Иванов\nПетров\nПетренко"));
    EXPECT_FALSE(c->KeyBased());
    EXPECT_EQ(c->ItemIndex(), 0);
    Show(c);
    c->SelectAll();
    TypeText(c, QStringLiteral("Петре"));
    EXPECT_EQ(c->Text(), QStringLiteral("Петренко"));
    EXPECT_EQ(c->ItemIndex(), 2);
    // Free text is kept in a text combo.
    c->SelectAll();
    TypeText(c, QStringLiteral("Сидоров"));
    EXPECT_EQ(c->Text(), QStringLiteral("Сидоров"));
    EXPECT_EQ(c->ItemIndex(), -1);
    bool notInList = false;
    c->OnNotInList = TNotInListEventEh::Callable(
        [&](TObject*, const String& t, bool&) { notInList = t == QStringLiteral("Сидоров"); });
    FocusOther();
    EXPECT_TRUE(notInList);
    EXPECT_EQ(F("Name")->AsString(), QStringLiteral("Сидоров"));
}

// ---------------------------------------------------------------------------------------------
// Check box

TEST(CheckBoxValueLists, Matching) {
    struct Case {
        const char* List;
        const char* Text;
        bool Match;
    } cases[] = {
        {"Yes; Y", "y", true}, {"Yes; Y", "YES", true}, {"Yes; Y", "", false},
        {"No;N;", "", true},   {"", "", true},          {"No;N;", "x", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TCustomDBCheckBoxEh::ValueMatch(QString::fromLatin1(c.List), QString::fromLatin1(c.Text)),
                  c.Match)
            << c.List << " / " << c.Text;
}

TEST_F(EditorFixture, CheckBoxControlsAlignmentFollowsTheCaptionSide) {
    auto* c = Editor<TDBCheckBoxEh>(nullptr);
    EXPECT_EQ(c->GetControlsAlignment(), taRightJustify);
    c->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(c->GetControlsAlignment(), taLeftJustify); // caption right of the box, mirrored
    c->SetAlignment(lrLeftJustify);
    EXPECT_EQ(c->GetControlsAlignment(), taRightJustify);
}

// The caption's '&' marks the accelerator; it is not drawn as a character.
TEST_F(EditorFixture, CheckBoxCaptionHidesTheAcceleratorPrefix) {
    auto rightmostInk = [&](const QString& caption) {
        auto* c = Editor<TDBCheckBoxEh>(nullptr, 70);
        c->SetWidth(200);
        c->SetCaption(caption);
        Show();
        const QImage img = c->Widget()->grab().toImage();
        img.save(ScreenshotPath(QStringLiteral("checkbox-accel-%1").arg(caption.size())));
        int right = -1;
        for (int x = 20; x < img.width(); ++x)
            for (int y = 0; y < img.height(); ++y)
                if (qGray(img.pixel(x, y)) < 100) right = x;
        return right;
    };
    const int plain = rightmostInk(QStringLiteral("Wx"));
    ASSERT_GT(plain, 20);
    // The underlined letter is drawn as its own run, so kerning may move the rest a pixel or two;
    // a literal '&' would add a whole character.
    EXPECT_NEAR(rightmostInk(QStringLiteral("&Wx")), plain, 2);
    EXPECT_GT(rightmostInk(QStringLiteral("Wx&&")), plain + 3); // a doubled '&' is one real ampersand
}

TEST_F(EditorFixture, CheckBoxOnBooleanFieldCyclesAndWrites) {
    auto* c = Editor<TDBCheckBoxEh>("Flag", 70);
    c->SetCaption(QStringLiteral("Активен"));
    EXPECT_EQ(c->State(), cbChecked);
    Show(c);
    Click(c, QPoint(6, 8));
    EXPECT_EQ(c->State(), cbUnchecked);
    EXPECT_EQ(T->State(), dsEdit);
    FocusOther();
    EXPECT_FALSE(F("Flag")->AsBoolean());
    T->Post();

    // Null shows grayed; without AllowGrayed the cycle skips grayed.
    T->Edit();
    F("Flag")->Clear();
    EXPECT_EQ(c->State(), cbGrayed);
    c->SetFocus();
    PumpEvents(5);
    SendKey(c, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    EXPECT_EQ(c->State(), cbChecked);
    SendKey(c, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    EXPECT_EQ(c->State(), cbUnchecked);
    c->SetAllowGrayed(true);
    SendKey(c, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    EXPECT_EQ(c->State(), cbGrayed);
    FocusOther();
    EXPECT_TRUE(F("Flag")->IsNull());
    T->Post();
}

TEST_F(EditorFixture, CheckBoxOnStringFieldUsesValueLists) {
    auto* c = Editor<TDBCheckBoxEh>("Code", 70);
    c->SetValueChecked(QStringLiteral("Yes;Y"));
    c->SetValueUnchecked(QStringLiteral("No;N;"));
    struct Case {
        const char* Text;
        TCheckBoxState State;
    } cases[] = {{"y", cbChecked}, {"n", cbUnchecked}, {"", cbUnchecked}, {"maybe", cbGrayed}};
    for (const Case& k : cases) {
        T->Edit();
        F("Code")->SetAsString(QString::fromLatin1(k.Text));
        EXPECT_EQ(c->State(), k.State) << k.Text;
        T->Cancel();
    }
    c->SetState(cbChecked);
    EXPECT_EQ(F("Code")->AsString(), QStringLiteral("Yes"));
    c->SetState(cbUnchecked);
    EXPECT_EQ(F("Code")->AsString(), QStringLiteral("No"));
}

TEST_F(EditorFixture, UnboundCheckBoxKeepsItsState) {
    auto* c = Editor<TDBCheckBoxEh>(nullptr, 70);
    EXPECT_EQ(c->State(), cbUnchecked);
    c->SetState(cbGrayed);
    EXPECT_TRUE(VarIsNull(c->DataLink()->DataIndependentValue));
    c->SetState(cbChecked);
    EXPECT_EQ(c->DataLink()->DataIndependentValue, Variant(true));
    int clicks = 0;
    c->OnClick = TNotifyEvent::Callable([&](TObject*) { ++clicks; });
    Show(c);
    Click(c, QPoint(6, 8));
    EXPECT_EQ(c->State(), cbUnchecked);
    EXPECT_EQ(clicks, 1);
}

} // namespace

namespace {

// Stream properties written only when they differ from their defaults, and read back.
TEST_F(EditorFixture, DefinedStreamPropertiesRoundTrip) {
    auto* c = Editor<TDBCheckBoxEh>(nullptr, 70);
    c->SetValueChecked(QStringLiteral("Да;Д"));
    auto* d = Editor<TDBDateTimeEditEh>(nullptr, 100);
    d->SetEditFormat(QStringLiteral("YYYY-MM-DD"));
    auto* e = Editor<TCustomDBEditEh>(nullptr, 130);
    e->SetEditMask(QStringLiteral("000;1;_"));

    TMemoryStream ms;
    auto* plain = Editor<TDBCheckBoxEh>(nullptr, 160);
    WriteComponent(&ms, plain);
    const Int64 plainSize = ms.Size();
    for (TComponent* src : std::initializer_list<TComponent*>{c, d, e}) {
        ms.Clear();
        WriteComponent(&ms, src);
        ms.SetPosition(0);
        TComponent* copy = nullptr;
        if (src == c) copy = Create<TDBCheckBoxEh>(Form);
        if (src == d) copy = Create<TDBDateTimeEditEh>(Form);
        if (src == e) copy = Create<TCustomDBEditEh>(Form);
        ReadComponent(&ms, copy);
        if (src == c) EXPECT_EQ(static_cast<TDBCheckBoxEh*>(copy)->ValueChecked(), QStringLiteral("Да;Д"));
        if (src == d) {
            EXPECT_EQ(static_cast<TDBDateTimeEditEh*>(copy)->EditFormat(), QStringLiteral("YYYY-MM-DD"));
            EXPECT_EQ(static_cast<TDBDateTimeEditEh*>(copy)->Kind(), dtkCustomEh);
        }
        if (src == e) EXPECT_EQ(static_cast<TCustomDBEditEh*>(copy)->EditMask(), QStringLiteral("000;1;_"));
    }
    // Defaults are not written.
    ms.Clear();
    WriteComponent(&ms, c);
    EXPECT_GT(ms.Size(), plainSize);
}

} // namespace
