#include "lib/lang/LangUnit.h"

#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A descendant of a translated class keeps its texts: only exact class names match.
class TMyButton : public TButton {
    KVT_CLASS(TMyButton, TButton)
public:
    using TButton::TButton;
};

// Stands in for the data grid, which plugs in through a hook.
class TDBGridEh : public TComponent {
    KVT_CLASS(TDBGridEh, TComponent)
public:
    using TComponent::TComponent;
    String Title = "Условие";
};

class ApplyLanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        SetLanguageDir(Dir.path());
        Form = new TForm(nullptr, 0);
        Form->SetName("MainForm");
        Form->SetCaption("Конфигуратор");
    }
    void TearDown() override {
        delete Form;
        RegisterApplyLanguageHook("TDBGridEh", nullptr);
        SetLanguageDir(String());
    }
    void WriteLanguage(const char* text) {
        QFile f(Dir.filePath("SetupKvt.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    template <class T> T* Add(const char* name, const char* caption) {
        auto* c = new T(Form);
        c->SetName(name);
        if constexpr (std::is_base_of_v<TControl, T>) c->SetParent(Form);
        if (caption) c->SetCaption(QString::fromUtf8(caption));
        return c;
    }
    QTemporaryDir Dir;
    TForm* Form = nullptr;
};

TEST_F(ApplyLanguageTest, CaptionsByExactClass) {
    auto* button = Add<TButton>("ReadButton", "Прочитать");
    auto* emptyButton = Add<TButton>("EmptyButton", "");
    auto* bitBtn = Add<TBitBtn>("UnitsBitBtn", "");
    auto* bitBtn2 = Add<TBitBtn>("WriteBitBtn", "Записать");
    auto* label = Add<TLabel>("Label1", "");
    auto* check = Add<TCheckBox>("VerifyCheckBox", "Проверять");
    auto* group = Add<TGroupBox>("EmptyGroupBox", "");
    auto* radio = Add<TRadioGroup>("ModeRadioGroup", "Режим");
    radio->Items()->Add("Один");
    auto* mine = Add<TMyButton>("MyButton", "Мой");
    auto* sep = new TMenuItem(Form);
    sep->SetName("N2");
    sep->SetCaption("-");
    auto* item = new TMenuItem(Form);
    item->SetName("ReadDeviceItem");
    item->SetCaption("Устройство");
    auto* edit = Add<TLabeledEdit>("ThresholdLabeledEdit", nullptr);
    edit->EditLabel()->SetCaption("Порог");
    auto* pages = Add<TPageControl>("Pages", nullptr);
    auto* sheet = new TTabSheet(Form);
    sheet->SetName("EventsTabSheet");
    sheet->SetPageControl(pages);
    sheet->SetCaption("События");
    WriteLanguage("[MainForm]\n"
                  "MainForm=Configurator\n"
                  "ReadButton=Read\n"
                  "EmptyButton=Now has text\n"
                  "UnitsBitBtn=Never looked up\n"
                  "WriteBitBtn=Write\n"
                  "Label1=Label text\n"
                  "VerifyCheckBox=\n"
                  "EmptyGroupBox=Never looked up\n"
                  "ModeRadioGroup=Mode\n"
                  "ModeRadioGroup0=Items are not translated\n"
                  "MyButton=Descendant\n"
                  "N2=Separator\n"
                  "readdeviceitem=Device\n"
                  "ThresholdLabeledEdit=Threshold\n"
                  "EventsTabSheet=Events\n"
                  "[Other]\nReadButton=wrong section\n");
    ApplyLanguage(Form, "SetupKvt.ini");
    EXPECT_EQ(Form->Caption(), "Configurator");
    EXPECT_EQ(button->Caption(), "Read");
    EXPECT_EQ(emptyButton->Caption(), "Now has text");
    EXPECT_EQ(bitBtn->Caption(), "");
    EXPECT_EQ(bitBtn2->Caption(), "Write");
    EXPECT_EQ(label->Caption(), "Label text");
    EXPECT_EQ(check->Caption(), "Проверять");
    EXPECT_EQ(group->Caption(), "");
    EXPECT_EQ(radio->Caption(), "Mode");
    EXPECT_EQ(radio->Items()->Strings(0), "Один");
    EXPECT_EQ(mine->Caption(), "Мой");
    EXPECT_EQ(sep->Caption(), "-");
    EXPECT_EQ(item->Caption(), "Device");
    EXPECT_EQ(edit->EditLabel()->Caption(), "Threshold");
    EXPECT_EQ(sheet->Caption(), "Events");
}

TEST_F(ApplyLanguageTest, DropDownListItemsKeepTheSelection) {
    auto* list = Add<TComboBox>("EthStaticIPComboBox", nullptr);
    list->SetStyle(csDropDownList);
    list->Items()->Add("Статический");
    list->Items()->Add("Динамический");
    list->SetItemIndex(1);
    auto* editable = Add<TComboBox>("SpeedComboBox", nullptr);
    editable->SetStyle(csDropDown);
    editable->Items()->Add("9600");
    WriteLanguage("[MainForm]\nEthStaticIPComboBox1=Dynamic\nEthStaticIPComboBox2=No such item\n"
                  "SpeedComboBox0=Other style\n");
    ApplyLanguage(Form, "SetupKvt.ini");
    EXPECT_EQ(list->Items()->Strings(0), "Статический");
    EXPECT_EQ(list->Items()->Strings(1), "Dynamic");
    EXPECT_EQ(list->Items()->Count(), 2);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(editable->Items()->Strings(0), "9600");
}

TEST_F(ApplyLanguageTest, GridsPlugInThroughAHookAndNoFileChangesNothing) {
    auto* grid = new TDBGridEh(Form);
    grid->SetName("ControlEventsDBGridEh");
    auto* button = Add<TButton>("ReadButton", "Прочитать");
    RegisterApplyLanguageHook("TDBGridEh", [](TComponent* c, TStrings* section) {
        auto* g = static_cast<TDBGridEh*>(c);
        g->Title = GetLangValue(section, "Column_0_bt1String", g->Title);
    });
    ApplyLanguage(Form, "SetupKvt.ini"); // no file yet
    EXPECT_EQ(Form->Caption(), "Конфигуратор");
    EXPECT_EQ(button->Caption(), "Прочитать");
    EXPECT_EQ(grid->Title, "Условие");
    WriteLanguage("[MainForm]\nColumn_0_bt1String=Condition\n");
    ApplyLanguage(Form, "SetupKvt.ini");
    EXPECT_EQ(grid->Title, "Condition");
}

} // namespace
