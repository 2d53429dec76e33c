#include "events/EventEditUnit.h"

#include "lib/lang/LangUnit.h"
#include "Screenshot.h"

#include "platform/ui/CheckLst.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WinApi.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>

namespace {

// A dialog built with (or without) a language file; message boxes and value prompts are
// answered by the test.
class EventEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        SetLanguageDir(Dir.path());
        FreeLanguage();
        FreeEventVocabulary();
        SetMessageBoxHook([this](const String& text, const String& caption, UINT flags) {
            Boxes.push_back({text, caption, flags});
            return IDOK;
        });
        SetInputQueryHook([this](const String& caption, const String& prompt, String& value) {
            Prompts.push_back({caption, prompt, value});
            if (Answers.empty()) {
                ADD_FAILURE() << "unexpected prompt: " << prompt.toStdString();
                return false;
            }
            auto a = Answers.front();
            Answers.pop_front();
            if (!a) return false; // cancelled
            value = *a;
            return true;
        });
    }
    void TearDown() override {
        delete Form;
        SetInputQueryHook(nullptr);
        SetMessageBoxHook(nullptr);
        FreeEventVocabulary();
        FreeLanguage();
        SetLanguageDir(String());
    }
    void WriteLanguage(const char* text) {
        QFile f(Dir.filePath("SetupKvt.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    TEventEditForm* Make() {
        Form = new TEventEditForm(nullptr);
        return Form;
    }
    // Clicks item i of a check list as the user would (selection, then the click handler).
    void ClickItem(TCheckListBox* list, int i) {
        list->SetItemIndex(i);
        Form->CheckListBoxClick(list);
    }
    ControlEvent Save() {
        Form->SetModalResult(mrNone);
        Form->LoadAllDeviceParamButtonClick(Form->LoadAllDeviceParamButton);
        return Form->Event();
    }
    std::vector<int> Checked(TCheckListBox* list) {
        std::vector<int> r;
        for (int i = 0; i < list->Items()->Count(); ++i)
            if (list->Checked(i)) r.push_back(i);
        return r;
    }
    int VisiblePage(TPageControl* pc) {
        int shown = -1;
        for (int i = 0; i < pc->PageCount(); ++i)
            if (pc->Pages(i)->Visible()) {
                EXPECT_EQ(shown, -1) << "two pages visible";
                shown = i;
            }
        return shown;
    }

    struct Box {
        String Text, Caption;
        UINT Flags;
    };
    struct Prompt {
        String Caption, Text, Default;
    };
    QTemporaryDir Dir;
    TEventEditForm* Form = nullptr;
    std::vector<Box> Boxes;
    std::vector<Prompt> Prompts;
    std::deque<std::optional<String>> Answers;
};

TEST_F(EventEditTest, ConstructionFillsTheListsAndShowsTheFirstPages) {
    Make();
    EXPECT_EQ(Form->Caption(), "Редактирование события");
    EXPECT_EQ(Form->ClientWidth(), 846);
    EXPECT_EQ(Form->ClientHeight(), 527);
    EXPECT_TRUE(Form->KeyPreview());
    EXPECT_EQ(Form->ConditionRadioGroup->Items()->Count(), 32);
    EXPECT_EQ(Form->ConditionRadioGroup->ItemIndex(), 0);
    EXPECT_EQ(Form->JobsRadioGroup->Items()->Count(), 8);
    EXPECT_EQ(Form->JobsRadioGroup->Items()->Strings(7), "Формула для передачи по Wiegand");
    EXPECT_EQ(Form->JobsRadioGroup->ItemIndex(), 0);
    EXPECT_EQ(VisiblePage(Form->JobParamPageControl), 0);
    EXPECT_EQ(VisiblePage(Form->WiegandFPageControl), 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(Form->JobParamPageControl->Pages(i)->TabVisible());

    EXPECT_EQ(Form->StateCheckListBox->Items()->Count(), 84);
    EXPECT_EQ(Form->ControlCheckListBox->Items()->Count(), 24);
    EXPECT_EQ(Form->CodeTimerCheckListBox->Items()->Count(), 8);
    for (TCheckListBox* l :
         {Form->StateCheckListBox, Form->ControlCheckListBox, Form->CodeTimerCheckListBox}) {
        EXPECT_EQ(Checked(l), std::vector<int>{0});
        EXPECT_EQ(l->ItemIndex(), -1);
    }
    TStrings* c = Form->ControlCheckListBox->Items();
    EXPECT_EQ(c->Strings(15), "Завершить обработку условия или процедуры");
    EXPECT_EQ(c->Strings(16), "Установить значение F=0");
    EXPECT_EQ(c->Strings(20), "Пропустить след.соб.если побит. И маска (0)");
    EXPECT_EQ(c->Strings(23), "Перейти к событию № 1");
    TStrings* t = Form->CodeTimerCheckListBox->Items();
    EXPECT_EQ(t->Strings(1), "Добавить задержку передачи 1 таймаутов");
    EXPECT_EQ(t->Strings(7), "Установить таймер3 на 0.1 сек");
    EXPECT_EQ(Form->CodeLabeledEdit->Text(), "0");
    EXPECT_EQ(Form->UnBlockEventNumberEdit->Text(), "1");
    EXPECT_EQ(Form->UnBlockEventComboBox->ItemIndex(), 0);
    EXPECT_FALSE(Form->ResetCardBitsEdit->Enabled());
}

// The parameters the editor cannot show: a formula reset with bit 4, an insert from source 3
// (the source group has three items; the last one is chosen) and a formula send with bits 1..4
// set. Every other pair comes back as it went in.
Byte Editable(int kind, int bt2) {
    if (kind == 7 && bt2 < 64) return Byte(bt2 & ~0x10);
    if (kind == 7 && bt2 >= 128 && bt2 < 192 && (bt2 & 0x0C) == 0x0C) return Byte(bt2 & ~0x04);
    if (kind == 7 && bt2 >= 192) return Byte(bt2 & ~0x1E);
    return Byte(bt2);
}

TEST_F(EventEditTest, EveryEventRoundTripsThroughSetEventAndSave) {
    Make();
    // Hidden, and shown with its windows (whose controls then report their own changes).
    for (bool shown : {false, true}) {
        if (shown) Form->Show();
        for (int kind = 0; kind < 8; ++kind)
            for (int bt2 = 0; bt2 < 256; ++bt2) {
                const Byte bt1 = Byte(((bt2 * 7 + kind) % 32) << 3 | kind);
                Form->SetEvent(bt1, Byte(bt2));
                EXPECT_EQ(Form->bt1(), bt1);
                EXPECT_EQ(Form->bt2(), bt2);
                EXPECT_EQ(VisiblePage(Form->JobParamPageControl), kind);
                ControlEvent saved = Save();
                ASSERT_EQ(Form->ModalResult(), mrOk) << kind << "," << bt2;
                EXPECT_EQ(saved.bt1, bt1);
                EXPECT_EQ(int(saved.bt2), int(Editable(kind, bt2))) << "kind " << kind << ", bt2 " << bt2;
                if (kind <= 2) {
                    TCheckListBox* list = kind == 0   ? Form->StateCheckListBox
                                          : kind == 1 ? Form->ControlCheckListBox
                                                      : Form->CodeTimerCheckListBox;
                    std::vector<int> sel;
                    if (list->ItemIndex() >= 0) sel.push_back(list->ItemIndex());
                    EXPECT_EQ(Checked(list), sel) << "kind " << kind << ", bt2 " << bt2;
                }
            }
    }
    Form->Hide();
    EXPECT_TRUE(Prompts.empty());
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(EventEditTest, SetEventSelectsItemsWithoutPrompting) {
    Make();
    Form->SetEvent(0, 0);
    EXPECT_EQ(Form->ConditionRadioGroup->ItemIndex(), 0);
    EXPECT_EQ(Form->JobsRadioGroup->ItemIndex(), 0);
    EXPECT_EQ(Form->StateCheckListBox->ItemIndex(), 0);
    EXPECT_EQ(Checked(Form->StateCheckListBox), std::vector<int>{0});

    Form->SetEvent(0x01, 0x35);
    EXPECT_EQ(Form->ControlCheckListBox->ItemIndex(), 18);
    EXPECT_EQ(Form->ControlCheckListBox->Items()->Strings(18), "Установить биты F по маске 5");
    EXPECT_EQ(Checked(Form->ControlCheckListBox), std::vector<int>{18});
    Form->SetEvent(0x01, 0x80);
    EXPECT_EQ(Form->ControlCheckListBox->Items()->Strings(23), "Перейти к событию № 1");
    Form->SetEvent(0x02, 0x7F);
    EXPECT_EQ(Form->CodeTimerCheckListBox->ItemIndex(), 3);
    EXPECT_EQ(Form->CodeTimerCheckListBox->Items()->Strings(3), "Установить таймер1 на 6.3 сек ");

    // A state the list does not name: nothing selected nor checked, and saving keeps it.
    Form->SetEvent(0xF8, 84);
    EXPECT_EQ(Form->StateCheckListBox->ItemIndex(), -1);
    EXPECT_TRUE(Checked(Form->StateCheckListBox).empty());
    EXPECT_EQ(Save(), (ControlEvent{0xF8, 84}));

    // Pages of other kinds keep what they showed.
    Form->SetEvent(0x03, 77);
    Form->SetEvent(0x06, 0x84);
    EXPECT_EQ(Form->CodeLabeledEdit->Text(), "77");
    EXPECT_EQ(Form->UnBlockEventComboBox->ItemIndex(), 1);
    EXPECT_EQ(Form->UnBlockEventNumberEdit->Text(), "5");
    EXPECT_TRUE(Prompts.empty());
}

TEST_F(EventEditTest, ValuePromptsCheckTheirRanges) {
    Make();
    struct Case {
        int Kind, Item;
        const char* Answer; // nullptr: the prompt is cancelled
        int Saved;          // bt2 after "Сохранить"
        const char* Error;  // the warning shown, or nullptr
        const char* Text;   // the item's text afterwards, or nullptr
    };
    const Case cases[] = {
        {2, 3, "0,5", 64 + 5, nullptr, "Установить таймер1 на 0.5 сек "},
        {2, 3, "0.5", 64 + 5, nullptr, nullptr},
        {2, 3, "0.15", 64 + 1, nullptr, "Установить таймер1 на 0.1 сек "},
        {2, 5, "2.3", 128 + 23, nullptr, "Установить таймер2 на 2.3 сек "},
        {2, 7, "6.3", 192 + 63, nullptr, nullptr},
        {2, 3, "7", 64 + 1, "Допустимые значения от 0.1 до 6.3!", "Установить таймер1 на 0.1 сек "},
        {2, 3, "abc", 64 + 1, "Допустимые значения от 0.1 до 6.3!", nullptr},
        {2, 3, "0.09", 64 + 1, "Допустимые значения от 0.1 до 6.3!", nullptr},
        {2, 3, nullptr, 64 + 1, nullptr, nullptr},
        {2, 1, "0", 0, nullptr, "Добавить задержку передачи 0 таймаутов"},
        {2, 1, "63", 63, nullptr, nullptr},
        {2, 1, "64", 63, "Допустимые значения от 0 до 63!", nullptr},
        {1, 16, "15", 0x1F, nullptr, "Установить значение F=15"},
        {1, 17, "16", 0x20, "Допустимые значения от 0 до 15!", nullptr},
        {1, 21, "-1", 0x60, "Допустимые значения от 0 до 15!", nullptr},
        {1, 23, "128", 0xFF, nullptr, "Перейти к событию № 128"},
        {1, 23, "0", 0x80, "Допустимые значения от 1 до 128!", "Перейти к событию № 1"},
        {1, 23, "", 0x80, "Допустимые значения от 1 до 128!", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Answer ? c.Answer : "(cancel)");
        Form->SetEvent(Byte(c.Kind), c.Kind == 2 ? 0x41 : c.Item == 23 ? 0x80 : 0);
        Boxes.clear();
        Prompts.clear();
        Answers.push_back(c.Answer ? std::optional<String>(QString::fromUtf8(c.Answer)) : std::nullopt);
        TCheckListBox* list = c.Kind == 1 ? Form->ControlCheckListBox : Form->CodeTimerCheckListBox;
        ClickItem(list, c.Item);
        ASSERT_EQ(Prompts.size(), 1u);
        EXPECT_EQ(Checked(list), std::vector<int>{c.Item});
        if (c.Error) {
            ASSERT_EQ(Boxes.size(), 1u);
            EXPECT_EQ(Boxes[0].Text, QString::fromUtf8(c.Error));
            EXPECT_EQ(Boxes[0].Caption, "Ошибка");
            EXPECT_EQ(Boxes[0].Flags, UINT(MsgBoxWarning));
        } else {
            EXPECT_TRUE(Boxes.empty());
        }
        if (c.Text) {
            EXPECT_EQ(list->Items()->Strings(c.Item), QString::fromUtf8(c.Text));
        }
        EXPECT_EQ(int(Save().bt2), c.Saved);
    }
}

TEST_F(EventEditTest, PromptShowsTheItemAndItsValue) {
    Make();
    Form->SetEvent(0x02, 0x8F);
    Answers.push_back(std::nullopt);
    ClickItem(Form->CodeTimerCheckListBox, 5);
    ASSERT_EQ(Prompts.size(), 1u);
    EXPECT_EQ(Prompts[0].Caption, "Установить таймер2 на 1.5 сек ");
    EXPECT_EQ(Prompts[0].Text, "Значение:");
    EXPECT_EQ(Prompts[0].Default, "1.5");
    Answers.push_back(std::nullopt);
    ClickItem(Form->ControlCheckListBox, 23);
    EXPECT_EQ(Prompts[1].Text, "Номер события:");
    Answers.push_back(std::nullopt);
    ClickItem(Form->ControlCheckListBox, 17);
    EXPECT_EQ(Prompts[2].Text, "Значение / Маска:");
    EXPECT_EQ(Prompts[2].Default, "0");
    // Plain items ask nothing.
    ClickItem(Form->ControlCheckListBox, 3);
    ClickItem(Form->StateCheckListBox, 10);
    EXPECT_EQ(Prompts.size(), 3u);
    EXPECT_EQ(Checked(Form->StateCheckListBox), std::vector<int>{10});
}

TEST_F(EventEditTest, SavingTypedNumbers) {
    Make();
    struct Case {
        int Kind;
        std::function<void()> Enter;
        int Saved;         // -1: refused, the dialog stays open
        const char* Error; // warning of a refused value
    };
    auto text = [](TCustomEdit* e, const char* s) { return [e, s] { e->SetText(QString::fromUtf8(s)); }; };
    TEventEditForm* f = Form;
    const Case cases[] = {
        {3, text(f->CodeLabeledEdit, "255"), 255, nullptr},
        {3, text(f->CodeLabeledEdit, ""), 0, nullptr},
        {3, text(f->CodeLabeledEdit, "300"), -1, "Допустимые значения от 0 до 255!"},
        {4, text(f->ResultCodeLabeledEdit, "17"), 17, nullptr},
        {5, text(f->ErrorCodeLabeledEdit, "256"), -1, "Допустимые значения от 0 до 255!"},
        {6,
         [f] {
             f->UnBlockEventComboBox->SetItemIndex(1);
             f->UnBlockEventNumberEdit->SetText("5");
         },
         0x84, nullptr},
        {6,
         [f] {
             f->UnBlockEventComboBox->SetItemIndex(0);
             f->UnBlockEventNumberEdit->SetText("128");
         },
         0x7F, nullptr},
        {6, text(f->UnBlockEventNumberEdit, "0"), -1, "Допустимые значения от 1 до 128!"},
        {6, text(f->UnBlockEventNumberEdit, ""), -1, "Допустимые значения от 1 до 128!"},
        {6, text(f->UnBlockEventNumberEdit, "129"), -1, "Допустимые значения от 1 до 128!"},
        {7,
         [f] {
             f->WiegandFRadioGroup->SetItemIndex(0);
             f->ResetCardCheckBox->SetChecked(true);
             f->ResetCardBitsEdit->SetText("3");
             f->ResetContinueCheckBox->SetChecked(true);
         },
         0x2B, nullptr},
        {7,
         [f] {
             f->WiegandFRadioGroup->SetItemIndex(1);
             f->WiegandFInsertConstShiftComboBox->SetItemIndex(1);
             f->WiegandFInsertConstValueEdit->SetText("4");
         },
         0x54, nullptr},
        {7, text(f->WiegandFInsertConstValueEdit, "20"), -1, "Допустимые значения от 0 до 15!"},
        {7,
         [f] {
             f->WiegandFRadioGroup->SetItemIndex(3);
             f->WiegandFSendParityCheckBox->SetChecked(true);
             f->WiegandFSendContinueCheckBox->SetChecked(false);
         },
         0xC1, nullptr},
    };
    for (const Case& c : cases) {
        Form->SetEvent(Byte(c.Kind), 0x00);
        if (c.Kind == 7) Form->SetEvent(Byte(c.Kind), 0x40); // the constant page for the refused case
        Boxes.clear();
        c.Enter();
        Form->SetModalResult(mrNone);
        Form->LoadAllDeviceParamButtonClick(nullptr);
        if (c.Saved < 0) {
            EXPECT_EQ(Form->ModalResult(), mrNone);
            ASSERT_EQ(Boxes.size(), 1u);
            EXPECT_EQ(Boxes[0].Text, QString::fromUtf8(c.Error));
            EXPECT_EQ(Boxes[0].Flags, UINT(MsgBoxWarning));
        } else {
            EXPECT_EQ(Form->ModalResult(), mrOk);
            EXPECT_TRUE(Boxes.empty());
            EXPECT_EQ(int(Form->bt2()), c.Saved) << c.Kind;
            EXPECT_EQ(Form->bt1(), Byte(c.Kind));
        }
    }
}

TEST_F(EventEditTest, WiegandResetAndInsertControlsFollowEachOther) {
    Make();
    Form->SetEvent(0x07, 0x00);
    // Without the card the three event boxes write the bits edit.
    Form->ResetCodeCheckBox->SetChecked(true);
    Form->ResetErrorCheckBox->SetChecked(true);
    EXPECT_EQ(Form->ResetCardBitsEdit->Text(), "5");
    // With the card the edit writes the boxes, which are disabled.
    Form->ResetCardCheckBox->SetChecked(true);
    EXPECT_TRUE(Form->ResetCardBitsEdit->Enabled());
    EXPECT_FALSE(Form->ResetCodeCheckBox->Enabled());
    Form->ResetCardBitsEdit->SetText("2");
    EXPECT_FALSE(Form->ResetCodeCheckBox->Checked());
    EXPECT_TRUE(Form->ResetResultCheckBox->Checked());
    EXPECT_FALSE(Form->ResetErrorCheckBox->Checked());
    Form->ResetCardBitsEdit->SetText("9");
    Form->ResetCardBitsEditExit(Form->ResetCardBitsEdit);
    EXPECT_EQ(Form->ResetCardBitsEdit->Text(), "1");
    Form->ResetCardCheckBox->SetChecked(false);
    EXPECT_FALSE(Form->ResetCardBitsEdit->Enabled());
    EXPECT_TRUE(Form->ResetCodeCheckBox->Enabled());

    // The byte number and the two insert groups.
    Form->SetEvent(0x07, 0x80);
    Form->WiegandFInsertByteEdit->SetText("5");
    EXPECT_EQ(Form->WiegandFInsertValueRadioGroup->ItemIndex(), 1);
    EXPECT_EQ(Form->WiegandFInsertDigitRadioGroup->ItemIndex(), 1);
    Form->WiegandFInsertByteEdit->SetText("2");
    EXPECT_EQ(Form->WiegandFInsertValueRadioGroup->ItemIndex(), 0);
    EXPECT_EQ(Form->WiegandFInsertDigitRadioGroup->ItemIndex(), 2);
    Form->WiegandFInsertValueRadioGroup->SetItemIndex(2);
    EXPECT_EQ(Form->WiegandFInsertByteEdit->Text(), "2"); // (2 * 4 + 2) and 7
    Form->WiegandFInsertByteEdit->SetText("3");
    EXPECT_EQ(Form->WiegandFInsertValueRadioGroup->ItemIndex(), 2); // the sum is left alone
    EXPECT_EQ(Form->WiegandFInsertDigitRadioGroup->ItemIndex(), 3);
    Form->WiegandFInsertValueRadioGroup->SetItemIndex(1);
    EXPECT_EQ(Form->WiegandFInsertByteEdit->Text(), "7");
    EXPECT_EQ(int(Save().bt2), 0x80 | 0x04 | 0x03);

    EXPECT_EQ(VisiblePage(Form->WiegandFPageControl), 2);
    Form->WiegandFRadioGroup->SetItemIndex(3);
    EXPECT_EQ(VisiblePage(Form->WiegandFPageControl), 3);
}

TEST_F(EventEditTest, ModalResults) {
    Make();
    InitForms();
    struct Case {
        const char* Name;
        std::function<void()> Act;
        TModalResult Result;
    };
    TEventEditForm* f = Form;
    const Case cases[] = {
        {"save", [f] { f->LoadAllDeviceParamButton->Click(); }, mrOk},
        {"cancel", [f] { f->CloseButton->Click(); }, mrCancel},
        {"escape", [f] { PostMessage(f->CodeLabeledEdit->Handle(), WM_CHAR, 27, 0); }, mrCancel},
        {"close", [f] { f->Close(); }, mrCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Form->SetEvent(0x1B, 200); // condition 3, send the code 200
        bool acted = false;
        QTimer::singleShot(0, [&] {
            acted = true;
            if (c.Name == std::string("escape")) Form->CodeLabeledEdit->SetFocus();
            c.Act();
        });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] { Form->SetModalResult(mrAbort); });
        guard.start(5000);
        EXPECT_EQ(Form->ShowModal(), c.Result);
        EXPECT_TRUE(acted);
        EXPECT_EQ(Form->Event(), (ControlEvent{0x1B, 200}));
    }
}

TEST_F(EventEditTest, LanguageFileReplacesCaptionsItemsAndTemplates) {
    WriteLanguage("[EventEditForm]\n"
                  "EventEditForm=Event editor\n"
                  "LoadAllDeviceParamButton=Save\n"
                  "JobsGroupBox=Action\n"
                  "ConditionRadioGroup=Condition\n"
                  "CodeLabeledEdit=Code to send\n"
                  "UnBlockEventComboBox1=Lock event\n"
                  "WiegandFInsertConstShiftComboBox3=Shift by 4 bits\n"
                  "ResetCardCheckBox=For a card\n"
                  "StateTabSheet=State\n"
                  "ResetCardBitsEdit=not a caption\n"
                  "[Msg]\n"
                  "sJobs1=Change an output\n"
                  "sHEvents1_24=Go to event %s\n"
                  "sTimerCode4=Timer 1: %d s\n"
                  "sTimerCode1=Pass the code\n");
    Make();
    EXPECT_EQ(Form->Caption(), "Event editor");
    EXPECT_EQ(Form->LoadAllDeviceParamButton->Caption(), "Save");
    EXPECT_EQ(Form->CloseButton->Caption(), "Отмена");
    EXPECT_EQ(Form->JobsGroupBox->Caption(), "Action");
    EXPECT_EQ(Form->ConditionRadioGroup->Caption(), "Condition");
    EXPECT_EQ(Form->CodeLabeledEdit->EditLabel()->Caption(), "Code to send");
    EXPECT_EQ(Form->UnBlockEventComboBox->Items()->Strings(1), "Lock event");
    EXPECT_EQ(Form->UnBlockEventComboBox->ItemIndex(), 0);
    EXPECT_EQ(Form->WiegandFInsertConstShiftComboBox->Items()->Strings(3), "Shift by 4 bits");
    EXPECT_EQ(Form->ResetCardCheckBox->Caption(), "For a card");
    EXPECT_EQ(Form->StateTabSheet->Caption(), "State");
    EXPECT_EQ(Form->ResetCardBitsEdit->Text(), "0");
    EXPECT_EQ(Form->JobsRadioGroup->Items()->Strings(0), "Change an output");
    EXPECT_EQ(Form->CodeTimerCheckListBox->Items()->Strings(0), "Pass the code");

    EXPECT_EQ(Form->ControlCheckListBox->Items()->Strings(23), "Go to event 1");
    Form->SetEvent(0x01, 0x85);
    EXPECT_EQ(Form->ControlCheckListBox->Items()->Strings(23), "Go to event 6");
    // A translation that does not take the value as text is not used.
    EXPECT_EQ(Form->CodeTimerCheckListBox->Items()->Strings(3), "Установить таймер1 на 0.1 сек");
    Form->SetEvent(0x02, 0x43);
    EXPECT_EQ(Form->CodeTimerCheckListBox->Items()->Strings(3), "Установить таймер1 на 0.3 сек ");
}

TEST_F(EventEditTest, LongItemTextsShowAsHints) {
    Make();
    Form->SetEvent(0x01, 0x00);
    Form->Show();
    TCheckListBox* list = Form->ControlCheckListBox;
    TRect r = list->ItemRect(20);
    Form->CheckListBoxMouseMove(list, TShiftState(), r.Left + 5, r.Top + 2);
    EXPECT_EQ(list->Hint(), list->Items()->Strings(20));
    // Below the last item there is none: the hint stays as it was.
    Form->SetEvent(0x02, 0x00);
    TCheckListBox* timers = Form->CodeTimerCheckListBox;
    timers->SetHint("before");
    Form->CheckListBoxMouseMove(timers, TShiftState(), 5, timers->ClientHeight() - 2);
    EXPECT_EQ(timers->Hint(), "before");
    Form->Hide();
}

TEST_F(EventEditTest, ScreenshotOfEveryKind) {
    Make();
    const std::pair<int, int> events[] = {{0x00, 9}, {0x09, 0x23}, {0x12, 0x8F}, {0x1B, 200},
                                          {0x24, 4}, {0x2D, 17},   {0x36, 0x84}, {0x3F, 0x2B}};
    Form->Show();
    for (auto [bt1, bt2] : events) {
        Form->SetEvent(Byte(bt1), Byte(bt2));
        String path = SaveFormScreenshot(Form, QStringLiteral("event-editor-kind%1").arg(bt1 & 7));
        EXPECT_FALSE(path.isEmpty());
    }
    for (auto [bt2, name] : {std::pair{0x54, "const"}, {0x9B, "value"}, {0xE1, "send"}}) {
        Form->SetEvent(0x07, Byte(bt2));
        EXPECT_FALSE(SaveFormScreenshot(Form, QStringLiteral("event-editor-wiegand-") + name).isEmpty());
    }
    Form->Hide();
}

} // namespace

namespace {

// One key press and release at the focused widget, as the window system delivers it.
void PressKey(int Key, Qt::KeyboardModifiers Mods = Qt::NoModifier, const QString& Text = QString()) {
    QWidget* w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    QKeyEvent press(QEvent::KeyPress, Key, Mods, Text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Key, Mods, Text);
    QApplication::sendEvent(w, &release);
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        DispatchQueuedMessages();
    }
}

TWinControl* FocusedControl() {
    return FindControlOfWidget(QApplication::focusWidget());
}

// Tab until the focus is inside Target (at most a screenful of stops).
bool TabInto(TWinControl* Target) {
    for (int i = 0; i < 40; ++i) {
        if (TWinControl* f = FocusedControl(); f && Target->ContainsControl(f)) return true;
        PressKey(Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    }
    return false;
}

TEST_F(EventEditTest, KeyboardAloneChoosesConditionAndKindAndSaves) {
    Make()->SetEvent(0, 0);
    TWinControl* first = nullptr;
    bool reached = false;
    QTimer act;
    act.setSingleShot(true);
    int tries = 0; // under load the dialog may become active late
    QObject::connect(&act, &QTimer::timeout, [&] {
        if (QApplication::activeWindow() != Form->Widget() && ++tries < 100) {
            act.start(50);
            return;
        }
        first = FocusedControl();
        PressKey(Qt::Key_Down);
        PressKey(Qt::Key_Down); // condition 2
        if (!TabInto(Form->JobsRadioGroup)) return;
        EXPECT_EQ(FocusedControl(), Form->JobsRadioGroup->Buttons(0));
        PressKey(Qt::Key_Down); // kind 1: the control list's page shows, as on a click
        EXPECT_EQ(VisiblePage(Form->JobParamPageControl), 1);
        PressKey(Qt::Key_Up);
        PressKey(Qt::Key_Up); // wraps to the last kind, the Wiegand formula
        EXPECT_EQ(VisiblePage(Form->JobParamPageControl), 7);
        PressKey(Qt::Key_Down); // and back to the first
        PressKey(Qt::Key_Down); // kind 1 again
        EXPECT_EQ(VisiblePage(Form->JobParamPageControl), 1);
        EXPECT_FALSE(SaveFormScreenshot(Form, QStringLiteral("event-editor-keyboard")).isEmpty());
        if (!TabInto(Form->LoadAllDeviceParamButton)) return;
        reached = true;
        PressKey(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    });
    act.start(100);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { Form->SetModalResult(mrAbort); });
    guard.start(30000);

    EXPECT_EQ(Form->ShowModal(), mrOk);
    // The dialog opens with the first tab stop focused: the chosen condition.
    EXPECT_EQ(first, Form->ConditionRadioGroup->Buttons(0));
    EXPECT_TRUE(reached);
    EXPECT_EQ(Form->ConditionRadioGroup->ItemIndex(), 2);
    EXPECT_EQ(Form->JobsRadioGroup->ItemIndex(), 1);
    EXPECT_EQ(Form->Event().bt1, Byte((2 << 3) | 1));
}

} // namespace
