// The masked edit: mask syntax, EditText versus Text, typing over positions, validation.

#include "UiTestUtil.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Mask.h"

#include <gtest/gtest.h>

namespace {

struct MaskFixture : ::testing::Test {
    TForm* Form = nullptr;
    TMaskEdit* Edit = nullptr;
    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(80, 80, 300, 120);
        Edit = new TMaskEdit(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(10, 10, 150, 21);
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        Form->Free();
        PumpEvents();
    }
    void Focus() {
        ShowAndActivate(Form);
        Edit->SetFocus();
        PumpEvents(10);
    }
};

using MaskTest = MaskFixture;

TEST_F(MaskTest, TextAndEditTextThroughTheMask) {
    struct Case {
        const char* mask;
        const char* text;     // assigned to Text
        const char* editText; // shown
        const char* readBack; // Text read back
    };
    const Case cases[] = {
        {"!\\(999\\) 000-0000;1;_", "(123) 456-7890", "(123) 456-7890", "(123) 456-7890"},
        {"!\\(999\\) 000-0000;0;_", "1234567890", "(123) 456-7890", "1234567890"},
        {"000-000;0;_", "12", "12_-___", "12"},
        {"000-000;1;*", "12", "12*-***", "12 -   "},
        {">LL<ll;0;_", "abCD", "abCD", "abCD"}, // case applies to typing, not to assigned text
        {"!999;0;_", "7", "__7", "7"},
        {"99:99;1;_", "12:30", "12:30", "12:30"},
    };
    for (const Case& c : cases) {
        Edit->SetEditMask(QString::fromUtf8(c.mask));
        Edit->SetText(QString::fromUtf8(c.text));
        EXPECT_EQ(Edit->EditText(), QString::fromUtf8(c.editText)) << c.mask;
        EXPECT_EQ(Edit->Text(), QString::fromUtf8(c.readBack)) << c.mask;
    }
    EXPECT_EQ(FormatMaskText(QStringLiteral("000-000;0;_"), QStringLiteral("123456")),
              QStringLiteral("123-456"));
}

TEST_F(MaskTest, DateSeparatorsFollowTheLocale) {
    TFormatSettings fs = FormatSettings();
    TFormatSettings dotted = fs;
    dotted.DateSeparator = QLatin1Char('.');
    SetFormatSettings(dotted);
    Edit->SetEditMask(QStringLiteral("!99/99/0000;1;_"));
    EXPECT_EQ(Edit->EditText(), QStringLiteral("__.__.____"));
    SetFormatSettings(fs);
}

TEST_F(MaskTest, TypingOverwritesPositionsSkipsLiteralsAndRejectsWrongCharacters) {
    Edit->SetEditMask(QStringLiteral(">LL-000;1;_"));
    Focus();
    Edit->SetSelStart(0);
    int beeps = MessageBeepCount();
    TypeText(Edit, QStringLiteral("a1bx23")); // 1 rejected at a letter position, x at a digit
    EXPECT_EQ(Edit->EditText(), QStringLiteral("AB-23_"));
    EXPECT_EQ(MessageBeepCount() - beeps, 2);
    // Typing the literal where it stands jumps over it.
    Edit->SetText(QString());
    Edit->SetSelStart(0);
    TypeText(Edit, QStringLiteral("q-"));
    EXPECT_EQ(Edit->EditText(), QStringLiteral("Q_-___"));
    // Backspace blanks the position before the caret; Delete the one under it.
    Edit->SetText(QStringLiteral("AB-123"));
    Edit->SetSelStart(4);
    SendKey(Edit, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    EXPECT_EQ(Edit->EditText(), QStringLiteral("AB-_23"));
    EXPECT_EQ(Edit->SelStart(), 3);
    SendKey(Edit, Qt::Key_Right);
    SendKey(Edit, Qt::Key_Delete);
    EXPECT_EQ(Edit->EditText(), QStringLiteral("AB-__3"));
}

// Positions count in the shown text, also when Text leaves the literals out and is shorter.
TEST_F(MaskTest, PositionsCountInTheShownTextWhenLiteralsAreNotSaved) {
    Edit->SetEditMask(QStringLiteral("(999)000;0;_"));
    Edit->SetSelStart(3); // no window yet
    EXPECT_EQ(Edit->SelStart(), 3);
    Focus();
    Edit->SetSelStart(3);
    EXPECT_EQ(Edit->SelStart(), 3);
    Edit->SetSelStart(0);
    TypeText(Edit, QStringLiteral("123456"));
    EXPECT_EQ(Edit->EditText(), QStringLiteral("(123)456"));
    EXPECT_EQ(Edit->Text(), QStringLiteral("123456"));
    Edit->SetSelStart(1);
    Edit->SetSelLength(3);
    EXPECT_EQ(Edit->SelText(), QStringLiteral("123"));
}

TEST_F(MaskTest, ValidateEditRaisesOnlyForChangedIncompleteInput) {
    Edit->SetEditMask(QStringLiteral("00:00;1;_"));
    Edit->SetText(QStringLiteral("1"));
    EXPECT_NO_THROW(Edit->ValidateEdit()); // not modified by the user
    Focus();
    Edit->SetSelStart(0);
    TypeText(Edit, QStringLiteral("12"));
    EXPECT_EQ(Edit->InvalidPosition(), 3);
    try {
        Edit->ValidateEdit();
        FAIL();
    } catch (EDBEditError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid input value.  Use escape key to abandon changes"));
    }
    EXPECT_EQ(Edit->SelStart(), 3); // the caret waits at the missing digit
    TypeText(Edit, QStringLiteral("45"));
    EXPECT_NO_THROW(Edit->ValidateEdit());
    EXPECT_EQ(Edit->Text(), QStringLiteral("12:45"));
}

TEST_F(MaskTest, LeavingAnIncompleteEditReportsAndKeepsTheFocus) {
    auto* other = new TEdit(Form);
    other->SetParent(Form);
    other->SetTop(50);
    std::vector<QString> boxes;
    SetMessageBoxHook([&](const String& t, const String&, UINT) {
        boxes.push_back(t);
        return IDOK;
    });
    Edit->SetEditMask(QStringLiteral("000;1;_"));
    Focus();
    Edit->SetSelStart(0);
    TypeText(Edit, QStringLiteral("1"));
    other->SetFocus();
    PumpEvents(20);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(Edit->Focused());
}

TEST_F(MaskTest, EscapeRestoresTheTextFromBeforeEditing) {
    Edit->SetEditMask(QStringLiteral("000;1;_"));
    Edit->SetText(QStringLiteral("123"));
    Focus();
    Edit->SetSelStart(0);
    TypeText(Edit, QStringLiteral("9"));
    EXPECT_EQ(Edit->Text(), QStringLiteral("923"));
    SendKey(Edit, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    EXPECT_EQ(Edit->Text(), QStringLiteral("123"));
}

TEST_F(MaskTest, WithoutAMaskItIsAPlainEdit) {
    Edit->SetText(QStringLiteral("free text"));
    EXPECT_FALSE(Edit->IsMasked());
    EXPECT_EQ(Edit->EditText(), QStringLiteral("free text"));
    Focus();
    Edit->SetSelStart(9);
    TypeText(Edit, QStringLiteral("!"));
    EXPECT_EQ(Edit->Text(), QStringLiteral("free text!"));
}

} // namespace
