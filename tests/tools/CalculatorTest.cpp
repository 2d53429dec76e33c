#include "ToolsTestUtil.h"

#include "lib/tools/CalculatorEh.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"

#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

namespace {
// Keys: characters as typed; "\r" Enter, "\b" backspace, "\x1b" Escape.
struct CalcCase {
    const char* Keys;
    const char* Display;
    const char* Equal; // caption of the equal key afterwards
};

void Type(TCalculatorEh& c, const char* keys) {
    for (const char* p = keys; *p; ++p)
        c.ProcessKey(QChar(uchar(*p)));
}

// A host editor that records how the drop-down asked to close.
class TComboHost : public TComponent, public IComboEditEh {
    KVT_CLASS(TComboHost, TComponent)
public:
    using TComponent::TComponent;
    std::vector<bool> Closes;
    void CloseUp(bool Accept) override { Closes.push_back(Accept); }
};

struct SeparatorScope {
    QChar Old = FormatSettings().DecimalSeparator;
    SeparatorScope() { FormatSettings().DecimalSeparator = '.'; }
    ~SeparatorScope() { FormatSettings().DecimalSeparator = Old; }
};
} // namespace

TEST(Calculator, KeySequences) {
    SeparatorScope sep;
    const CalcCase cases[] = {
        {"2+3=", "5", "Ok"},
        {"2+3", "3", "="},
        {"200+10%", "220", "Ok"},
        {"200*10%", "20", "Ok"},
        {"200+10%5*", "5", "Ok"}, // a digit after "%" starts afresh; the next operator applies nothing
        {"5/0=", "Error", "Ok"},
        {"5/0=123+", "Error", "Ok"}, // only "C" leaves the error state
        {"5/0=C", "0", "Ok"},
        {"1234567890123456", "123456789012345", "Ok"},
        {"1234567890123456I7", "-123456789012345", "Ok"},
        {"7I\b", "0", "Ok"},
        {"12\b", "1", "Ok"},
        {"2+3=.", "0.", "Ok"},
        {"1.5.2", "1.52", "Ok"},
        {"0-3", "3", "="}, // a left operand of 0 still waits for the right one
        {"0-3=", "-3", "Ok"},
        {"9S", "3", "Ok"},
        {"4R", "0.25", "Ok"},
        {"0R", "Error", "Ok"},
        {"9IS", "Error", "Ok"},
        {"6*7\r", "42", "Ok"},
        {"8\x1b", "0", "Ok"},
        {"3I", "-3", "Ok"},
        {"c", "0", "Ok"},
    };
    for (const CalcCase& c : cases) {
        TCalculatorEh calc(nullptr);
        Type(calc, c.Keys);
        EXPECT_EQ(calc.DisplayText(), QString::fromLatin1(c.Display)) << c.Keys;
        EXPECT_EQ(calc.spEqual->Caption(), QString::fromLatin1(c.Equal)) << c.Keys;
    }
}

TEST(Calculator, ExponentDisplayTakesNoMoreDigits) {
    SeparatorScope sep;
    TCalculatorEh calc(nullptr);
    calc.SetDisplayValue(1e20L);
    EXPECT_EQ(calc.DisplayText(), QStringLiteral("1E20"));
    Type(calc, "1*"); // the display is an entry: 1, then times
    TCalculatorEh e(nullptr);
    Type(e, "9");
    e.SetDisplayValue(1e20L);
    Type(e, "5");
    EXPECT_EQ(e.DisplayText(), QStringLiteral("1E20"));
}

TEST(Calculator, KeysSendTheirCharacters) {
    SeparatorScope sep;
    TCalculatorEh calc(nullptr);
    calc.KeyByTag(14)->Click(); // 2
    calc.KeyByTag(22)->Click(); // +
    calc.KeyByTag(15)->Click(); // 3
    EXPECT_EQ(calc.spEqual->Caption(), QStringLiteral("="));
    calc.spEqual->Click();
    EXPECT_EQ(calc.DisplayText(), QStringLiteral("5"));
    EXPECT_EQ(calc.KeyByTag(23), calc.spEqual);
    EXPECT_EQ(calc.KeyByTag(6)->Caption(), QStringLiteral("C"));
    EXPECT_EQ(calc.KeyByTag(6)->Height(), 2 * calc.KeyByTag(1)->Height() + calc.KeyByTag(7)->Top() -
                                              calc.KeyByTag(1)->Top() - calc.KeyByTag(1)->Height());
}

TEST(Calculator, CopyAndPasteThroughTheClipboard) {
    SeparatorScope sep;
    TCalculatorEh calc(nullptr);
    Type(calc, "42");
    calc.DoCopy();
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("42"));
    Clipboard()->SetAsText(QStringLiteral("  3.25 "));
    calc.Paste();
    EXPECT_EQ(calc.DisplayText(), QStringLiteral("3.25"));
    Clipboard()->SetAsText(QStringLiteral("abc"));
    EXPECT_THROW(calc.Paste(), EConvertError);
    EXPECT_EQ(calc.DisplayText(), QStringLiteral("3.25"));
}

TEST(PopupCalculator, EnterAcceptsWhileOkAndComputesWhileEquals) {
    SeparatorScope sep;
    TComboHost host(nullptr);
    auto* pc = new TPopupCalculatorEh(&host);
    EXPECT_FALSE(pc->CanFocus());
    Type(*pc, "2+");
    EXPECT_TRUE(pc->GetEqualKeyShowsOk()); // "2 +" shows Ok and accepts 2
    pc->ProcessKey(QChar(13));
    EXPECT_EQ(host.Closes, std::vector<bool>{true});
    Variant v;
    pc->GetValue(v);
    EXPECT_EQ(v.AsDouble(), 2.0);

    Type(*pc, "3");
    EXPECT_FALSE(pc->GetEqualKeyShowsOk());
    pc->ProcessKey(QChar(13)); // computes
    EXPECT_EQ(host.Closes.size(), 1u);
    EXPECT_EQ(pc->DisplayText(), QStringLiteral("5"));

    Word esc = VK_ESCAPE;
    pc->Perform(WM_KEYDOWN, esc, 0);
    EXPECT_EQ(host.Closes, (std::vector<bool>{true, false}));
    pc->Perform(WM_USER_CLOSEUP, 0, 0);
    EXPECT_EQ(host.Closes.size(), 3u);

    pc->SetValue(Variant(12.5));
    EXPECT_EQ(pc->DisplayText(), QStringLiteral("12.5"));
    EXPECT_EQ(pc->Status(), csFirstEh);
    Type(*pc, "/0=");
    pc->GetValue(v);
    EXPECT_EQ(VarType(v), varError);
    pc->SetFlat(false);
    EXPECT_FALSE(pc->KeyByTag(1)->Flat());
    EXPECT_EQ(pc->Perform(WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
}

TEST(PopupCalculator, WithoutAnEditorNothingCloses) {
    TComponent plain(nullptr);
    auto* pc = new TPopupCalculatorEh(&plain);
    pc->ProcessKey(QChar(13));
    pc->Perform(WM_USER_CLOSEUP, 0, 0);
    SUCCEED();
}

TEST(PopupCalculator, Screenshot) {
    SeparatorScope sep;
    TForm form(nullptr);
    form.SetBounds(0, 0, 260, 180);
    auto* calc = new TCalculatorEh(&form);
    calc->SetParent(&form);
    calc->SetLeft(8);
    calc->SetTop(8);
    Type(*calc, "1234.5*2");
    form.Show();
    calc->Repaint();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.Widget()->grab().save(ScreenshotPath(QStringLiteral("calculator"))));

    TComboHost host(nullptr);
    auto* pc = new TPopupCalculatorEh(&host);
    pc->SetLeft(100);
    pc->SetTop(100);
    pc->SetValue(Variant(-7.25));
    pc->Show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(pc->Panel1->Showing());
    EXPECT_TRUE(pc->Widget()->grab().save(ScreenshotPath(QStringLiteral("calculator-popup"))));
    pc->Hide();
}
