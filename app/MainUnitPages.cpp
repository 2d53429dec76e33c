// The four block pages of the main window. Controls that settings files save are created in
// the order of the file's lines; their containers come first.

#include "lib/lang/LayoutHelpers.h"
#include "app/MainUnit.h"

#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"

using namespace layout;

namespace {

TTabSheet* Sheet(TComponent* Owner, TPageControl* Pages, const char* Name, const char* Caption) {
    auto* t = new TTabSheet(Owner);
    t->SetName(QString::fromLatin1(Name));
    t->SetPageControl(Pages);
    t->SetCaption(QString::fromUtf8(Caption));
    return t;
}

String S(const char* Utf8) {
    return QString::fromUtf8(Utf8);
}

String N(const char* Latin1) {
    return QString::fromLatin1(Latin1);
}

// The device-text edits: 16 characters of a fixed-pitch face on sky blue, as the display.
TEdit* TextEdit(TComponent* Owner, TWinControl* Parent, const char* Name, int X, int Y) {
    TEdit* e = Edit(Owner, Parent, N(Name), X, Y, 150, 16);
    e->SetHeight(22);
    e->SetAlignment(taLeftJustify);
    e->SetParentFont(false);
    e->Font()->SetName(QStringLiteral("Courier"));
    e->Font()->SetHeight(-13);
    e->SetColor(clSkyBlue);
    return e;
}

} // namespace

void TMainForm::CreateGasAnalyserPage() {
    const TNotifyEvent check(this, &TMainForm::ChangeControlColor);
    MainDeviceTabSheet = Sheet(this, MainPageControl, "MainDeviceTabSheet", "Газоанализатор");
    TWinControl* page = MainDeviceTabSheet;

    DevInfoGroupBox = Group(this, page, N("DevInfoGroupBox"), String(), 4, 2, 750, 44);
    DevSerialLabeledEdit =
        LabeledEdit(this, DevInfoGroupBox, N("DevSerialLabeledEdit"), S("Заводской номер:"), 98, 14, 52);
    DevFWLabeledEdit = LabeledEdit(this, DevInfoGroupBox, N("DevFWLabeledEdit"), S("Версия:"), 200, 14, 38);
    DevDateLabeledEdit =
        LabeledEdit(this, DevInfoGroupBox, N("DevDateLabeledEdit"), S("Производство:"), 322, 14, 68);
    VerifyDateLabeledEdit =
        LabeledEdit(this, DevInfoGroupBox, N("VerifyDateLabeledEdit"), S("Поверка:"), 446, 14, 68);
    DevTimeLabeledEdit =
        LabeledEdit(this, DevInfoGroupBox, N("DevTimeLabeledEdit"), S("Дата и время:"), 592, 14, 94);
    for (TLabeledEdit* e : {DevSerialLabeledEdit, DevFWLabeledEdit, DevDateLabeledEdit, VerifyDateLabeledEdit,
                            DevTimeLabeledEdit})
        e->SetReadOnly(true);
    for (TLabeledEdit* e : {DevDateLabeledEdit, DevTimeLabeledEdit, VerifyDateLabeledEdit})
        e->SetTag(1);
    DevTimeSyncButton = Button(this, DevInfoGroupBox, N("DevTimeSyncButton"), S("Синхр."), 690, 12, 54);
    DevTimeSyncButton->OnClick = TNotifyEvent(this, &TMainForm::DevTimeSyncButtonClick);

    MainDeviceOptionsGroupBox =
        Group(this, page, N("MainDeviceOptionsGroupBox"), S("Открытые настройки"), 4, 48, 750, 206);
    TWinControl* opt = MainDeviceOptionsGroupBox;
    auto number = [&](const char* Name, const char* Caption, int Row, int MaxLength) {
        TLabeledEdit* e = LabeledEdit(this, opt, N(Name), S(Caption), 316, 16 + 23 * Row, 44, MaxLength);
        e->OnExit = check;
        return e;
    };
    DevBlowTimeoutLabeledEdit = number("DevBlowTimeoutLabeledEdit", "Время ожидание выдоха, с:", 0, 3);
    DevLowResViewLabeledEdit =
        number("DevLowResViewLabeledEdit", "Время предъявления отрицательного результата, с:", 1, 3);
    DevHightResViewLabeledEdit =
        number("DevHightResViewLabeledEdit", "Время предъявления положительного результата, с:", 2, 3);
    DevPressLevelLabeledEdit =
        number("DevPressLevelLabeledEdit", "Уровень датчика давления (усл. ед.):", 4, 3);
    DevResTimeoutLabeledEdit = number("DevResTimeoutLabeledEdit", "Время выдоха, с:", 5, 3);
    DevPulseLabeledEdit =
        number("DevPulseLabeledEdit", "Длительность импульсов для выходов Out1 и Out2, мс:", 6, 4);
    auto box = [&](const char* Name, const char* Caption, int Row) {
        return Check(this, opt, N(Name), S(Caption), 376, 16 + 19 * Row, 366);
    };
    DevDispOnCheckBox = box("DevDispOnCheckBox", "Включать дисплей в штатном режиме", 0);
    DevSoundOnCheckBox = box("DevSoundOnCheckBox", "Включать звук в штатном режиме", 1);
    DevKeybOnCheckBox = box("DevKeybOnCheckBox", "Разрешить работу кнопок в штатном режиме", 3);
    DevExtSoundCheckBox = box("DevExtSoundCheckBox", "Выводить звук через внешний динамик", 2);
    DevTestBreakCheckBox = box("DevTestBreakCheckBox", "При недостаточном выдохе прерывать измерение", 7);
    DevWaitModeOffCheckBox = box("DevWaitModeOffCheckBox", "Не входить в режим ожидания", 4);
    DevWarnVerifyCheckBox = box("DevWarnVerifyCheckBox", "Предупреждать о поверке, интервал:", 6);
    DevWarnVerifyCheckBox->SetWidth(226);
    DevSysTestAfter0CheckBox =
        box("DevSysTestAfter0CheckBox", "Проводить проверку заборной системы после нулевых показаний", 5);
    DevMinResValueLabeledEdit = number("DevMinResValueLabeledEdit", "Порог срабатывания (мг/л BrAC):", 3, 5);
    DevMinResValueLabeledEdit->SetTag(-2);
    DevUnitsLabeledEdit =
        LabeledEdit(this, opt, N("DevUnitsLabeledEdit"), S("Единицы измерения:"), 182, 177, 150);
    DevUnitsLabeledEdit->SetReadOnly(true);
    DevUnitsLabeledEdit->SetColor(clBtnFace);
    DevUnitsLabeledEdit->SetTag(-1);
    DevUnitsLabeledEdit->OnExit = check;
    UnitsBitBtn = Add<TBitBtn>(this, opt, N("UnitsBitBtn"), 336, 176, 24, 23);
    UnitsBitBtn->SetCaption(String());
    UnitsBitBtn->OnClick = TNotifyEvent(this, &TMainForm::ChangeUnitsButtonClick);
    VerifyWarnComboBox = Add<TComboBox>(this, opt, N("VerifyWarnComboBox"), 606, 16 + 19 * 6 - 2, 76, 21);
    VerifyWarnComboBox->SetStyle(csDropDownList);
    for (int m = 1; m <= 36; ++m)
        VerifyWarnComboBox->Items()->Add(QStringLiteral("%1 мес").arg(m));
    VerifyWarnComboBox->SetItemIndex(0);
    VerifyWarnComboBox->OnChange = check;

    MainDeviceStringsGroupBox =
        Group(this, page, N("MainDeviceStringsGroupBox"), S("Сообщения на экране"), 4, 256, 750, 124);
    TWinControl* str = MainDeviceStringsGroupBox;
    const int col[4] = {10, 194, 378, 562};
    DevText1Label = Label(this, str, N("DevText1Label"), S("Режим ожидания:"), col[0], 18);
    DevText2Label = Label(this, str, N("DevText2Label"), S("Ниже 0.05 мг/л:"), col[1], 18);
    DevText3Label = Label(this, str, N("DevText3Label"), S("Ниже порога:"), col[2], 18);
    DevText4Label = Label(this, str, N("DevText4Label"), S("Выше порога:"), col[3], 18);
    DevText1Part2Edit = TextEdit(this, str, "DevText1Part2Edit", col[0], 58);
    DevText1Part1Edit = TextEdit(this, str, "DevText1Part1Edit", col[0], 34);
    DevText2Part2Edit = TextEdit(this, str, "DevText2Part2Edit", col[1], 58);
    DevText2Part1Edit = TextEdit(this, str, "DevText2Part1Edit", col[1], 34);
    DevText4Part2Edit = TextEdit(this, str, "DevText4Part2Edit", col[3], 58);
    DevText4Part1Edit = TextEdit(this, str, "DevText4Part1Edit", col[3], 34);
    DevText3Part2Edit = TextEdit(this, str, "DevText3Part2Edit", col[2], 58);
    DevText3Part1Edit = TextEdit(this, str, "DevText3Part1Edit", col[2], 34);
    ViewStringsBitBtn = Add<TBitBtn>(this, str, N("ViewStringsBitBtn"), col[0], 88, 300, 25);
    ViewStringsBitBtn->SetCaption(S("Посмотреть на дисплее загруженные значения"));
    ViewStringsBitBtn->OnClick = TNotifyEvent(this, &TMainForm::ViewStringsButtonClick);
}

void TMainForm::CreateInterfacePage() {
    const TNotifyEvent check(this, &TMainForm::ChangeControlColor);
    ControlTabSheet = Sheet(this, MainPageControl, "ControlTabSheet", "Блок сопряжения");
    TWinControl* page = ControlTabSheet;
    ControlInfoGroupBox = Group(this, page, N("ControlInfoGroupBox"), String(), 4, 2, 750, 44);
    ControlSerialLabeledEdit = LabeledEdit(this, ControlInfoGroupBox, N("ControlSerialLabeledEdit"),
                                           S("Заводской номер:"), 98, 14, 52);
    ControlFWLabeledEdit =
        LabeledEdit(this, ControlInfoGroupBox, N("ControlFWLabeledEdit"), S("Версия:"), 200, 14, 38);
    ControlSerialLabeledEdit->SetReadOnly(true);
    ControlFWLabeledEdit->SetReadOnly(true);

    ControlPageControl = Add<TPageControl>(this, page, N("ControlPageControl"), 4, 48, 750, 348);
    ControlOpenTabSheet = Sheet(this, ControlPageControl, "ControlOpenTabSheet", "Открытые настройки");
    ControlEventsTabSheet = Sheet(this, ControlPageControl, "ControlEventsTabSheet", "Таблица событий");
    TWinControl* open = ControlOpenTabSheet;

    WiegandGroupBox = Group(this, open, N("WiegandGroupBox"), S("Параметры wiegand"), 4, 2, 400, 296);
    WiegandInGroupBox = Group(this, WiegandGroupBox, N("WiegandInGroupBox"), S("Вход"), 8, 16, 384, 124);
    WiegandOutGroupBox = Group(this, WiegandGroupBox, N("WiegandOutGroupBox"), S("Выход"), 8, 144, 384, 146);
    OutputsGroupBox = Group(this, open, N("OutputsGroupBox"), S("Параметры выходов Out1, Out2, Out3, Out4"),
                            408, 2, 334, 190);
    WorkModeGroupBox =
        Group(this, OutputsGroupBox, N("WorkModeGroupBox"), S("Режим работы"), 8, 16, 170, 122);
    DefaultOutGroupBox =
        Group(this, OutputsGroupBox, N("DefaultOutGroupBox"), S("По умолчанию"), 184, 16, 142, 122);
    TamperGroupBox =
        Group(this, open, N("TamperGroupBox"), S("Параметры внешнего тампера"), 408, 194, 334, 86);

    TWinControl* in = WiegandInGroupBox;
    WiegandSaveCodeCheckBox = Check(this, in, N("WiegandSaveCodeCheckBox"), S("Сохранять код"), 236, 42, 140);
    WiegandSaveCodeSinglCheckBox =
        Check(this, in, N("WiegandSaveCodeSinglCheckBox"), S("Сохранять код отдельной записью"), 8, 68, 300);
    WiegandInTimeoutLabeledEdit = LabeledEdit(this, in, N("WiegandInTimeoutLabeledEdit"),
                                              S("Таймаут для приемника (мсек):"), 176, 16, 48, 5, true);
    WiegandInBitsLabeledEdit = LabeledEdit(this, in, N("WiegandInBitsLabeledEdit"),
                                           S("Бит в тестовой карте:"), 176, 40, 48, 3, true);
    WiegandInEvenBitsCheckBox =
        Check(this, in, N("WiegandInEvenBitsCheckBox"), S("Биты четности"), 236, 18, 140);
    TestCardLabel = Label(this, in, N("TestCardLabel"), S("Тестовая карта:"), 8, 96);
    for (int i : {0, 1, 3, 2, 7, 6, 4, 5})
        ControlTestCardEdit[size_t(i)] =
            Edit(this, in, QStringLiteral("ControlTestCard%1Edit").arg(i + 1), 96 + 35 * i, 92, 32, 3, true);

    TWinControl* out = WiegandOutGroupBox;
    WiegandOutDurLabeledEdit = LabeledEdit(this, out, N("WiegandOutDurLabeledEdit"),
                                           S("Длительность импульсов (мксек):"), 180, 16, 48, 5, true);
    WiegandOutPeriodLabeledEdit = LabeledEdit(this, out, N("WiegandOutPeriodLabeledEdit"),
                                              S("Период импульсов (мксек):"), 180, 40, 48, 5, true);
    WiegandOutTimeoutLabeledEdit = LabeledEdit(this, out, N("WiegandOutTimeoutLabeledEdit"),
                                               S("Таймаут передачи кодов (мсек):"), 180, 64, 48, 5, true);
    WiegandOutBitsLabeledEdit = LabeledEdit(this, out, N("WiegandOutBitsLabeledEdit"),
                                            S("Бит для передачи кодов:"), 180, 88, 48, 3, true);
    WiegandOutEvenBitsCheckBox =
        Check(this, out, N("WiegandOutEvenBitsCheckBox"), S("Биты четности"), 240, 18, 136);
    BaseCodeLabel = Label(this, out, N("BaseCodeLabel"), S("Код основы:"), 8, 120);
    for (int i : {7, 6, 4, 5, 3, 2, 1, 0})
        ControlTestCardOutEdit[size_t(i)] = Edit(
            this, out, QStringLiteral("ControlTestCardOut%1Edit").arg(i + 1), 96 + 35 * i, 116, 32, 3, true);
    Wiegand26Button = Button(this, out, N("Wiegand26Button"), S("Wiegand-26"), 240, 52, 100);
    Wiegand26Button->OnClick = TNotifyEvent(this, &TMainForm::Wiegand26ButtonClick);

    for (int n = 0; n < 4; ++n) {
        Label(this, WorkModeGroupBox, QStringLiteral("WorkModeOut%1Label").arg(n + 1),
              QStringLiteral("Выход %1:").arg(n + 1), 8, 20 + 25 * n);
        ControlWorkModeOutComboBox[size_t(n)] =
            Combo(this, WorkModeGroupBox, QStringLiteral("ControlWorkModeOut%1ComboBox").arg(n + 1), 56,
                  16 + 25 * n, 112, {"Потенциальный", "Импульсный"});
    }
    for (int n = 0; n < 4; ++n) {
        Label(this, DefaultOutGroupBox, QStringLiteral("CopyOut%1Label").arg(n + 1),
              QStringLiteral("Выход %1:").arg(n + 1), 8, 20 + 25 * n);
        CopyOutComboBox[size_t(n)] =
            Combo(this, DefaultOutGroupBox, QStringLiteral("CopyOut%1ComboBox").arg(n + 1), 58, 16 + 25 * n,
                  70, {"Низкий", "Высокий"});
    }
    ControlOutDurLabeledEdit =
        LabeledEdit(this, OutputsGroupBox, N("ControlOutDurLabeledEdit"),
                    S("Длительность импулься для импульсных выходов (мсек):"), 8, 160, 60, 0, true);
    ControlOutDurLabeledEdit->SetLabelPosition(lpAbove);
    ControlOutDurLabeledEdit->SetLabelSpacing(2);
    const char* tamperLabels[3] = {"R < 2 кОм:", "2 кОм < R < 13.5 кОм:", "R > 13.5 кОм:"};
    for (int n = 0; n < 3; ++n) {
        Label(this, TamperGroupBox, QStringLiteral("Tamper%1Label").arg(n + 1), S(tamperLabels[n]), 8,
              20 + 21 * n);
        ControlTamperComboBox[size_t(n)] =
            Combo(this, TamperGroupBox, QStringLiteral("ControlTamper%1ComboBox").arg(n + 1), 150,
                  16 + 21 * n, 90, {"Тревога", "Норма"});
    }
    ControlCopyFromMainCheckBox = Check(this, open, N("ControlCopyFromMainCheckBox"),
                                        S("Дублировать настройки измерительного блока"), 412, 290, 326);
    for (TLabeledEdit* e : {WiegandInTimeoutLabeledEdit, WiegandInBitsLabeledEdit, WiegandOutDurLabeledEdit,
                            WiegandOutPeriodLabeledEdit, WiegandOutTimeoutLabeledEdit,
                            WiegandOutBitsLabeledEdit, ControlOutDurLabeledEdit})
        e->OnExit = check;
    for (TEdit* e : ControlTestCardEdit)
        e->OnExit = check;
    for (TEdit* e : ControlTestCardOutEdit)
        e->OnExit = check;
    for (auto* boxes : {&ControlWorkModeOutComboBox, &CopyOutComboBox})
        for (TComboBox* c : *boxes)
            c->OnChange = check;
    for (TComboBox* c : ControlTamperComboBox)
        c->OnChange = check;

    // The events page: the grid over the events table with its six buttons beside it, top to
    // bottom, and under them the block's two texts.
    TWinControl* events = ControlEventsTabSheet;
    ControlEventsPanel = Add<TPanel>(this, events, N("ControlEventsPanel"), 0, 0, 742, 270);
    ControlEventsPanel->SetAlign(alTop);
    ControlEventsPanel->SetCaption(String());
    struct EventButton {
        TSpeedButton** Field;
        const char* Name;
        const char* Glyph;
        const char* Hint;
        void (TMainForm::*Click)(TObject*);
    };
    const EventButton buttons[] = {
        {&UpControlEventSpeedButton, "UpControlEventSpeedButton", "▲", "Переместить вверх",
         &TMainForm::UpControlEventSpeedButtonClick},
        {&EditControlEventSpeedButton, "EditControlEventSpeedButton", "…", "Изменить событие",
         &TMainForm::EditControlEventSpeedButtonClick},
        {&AddControlEventSpeedButton, "AddControlEventSpeedButton", "+", "Добавить событие",
         &TMainForm::AddControlEventSpeedButtonClick},
        {&DeleteControlEventSpeedButton, "DeleteControlEventSpeedButton", "−", "Удалить событие",
         &TMainForm::DeleteControlEventSpeedButtonClick},
        {&ClearControlEventSpeedButton, "ClearControlEventSpeedButton", "×", "Удалить все события",
         &TMainForm::ClearControlEventSpeedButtonClick},
        {&DownControlEventSpeedButton, "DownControlEventSpeedButton", "▼", "Переместить вниз",
         &TMainForm::DownControlEventSpeedButtonClick},
    };
    int y = 4;
    for (const EventButton& b : buttons) {
        TSpeedButton* sb = Add<TSpeedButton>(this, ControlEventsPanel, N(b.Name), 705, y, 28, 28);
        sb->SetCaption(S(b.Glyph));
        sb->SetHint(S(b.Hint));
        sb->SetShowHint(true);
        sb->OnClick = TNotifyEvent(this, b.Click);
        *b.Field = sb;
        y += 32;
    }
    CreateControlEventsTable();
    CreateControlEventsGrid();
    ControlText1Label = Label(this, events, N("ControlText1Label"), S("Текст1:"), 8, 278);
    ControlText2Label = Label(this, events, N("ControlText2Label"), S("Текст2:"), 232, 278);
    ControlText1Part1Edit = TextEdit(this, events, "ControlText1Part1Edit", 60, 272);
    ControlText1Part2Edit = TextEdit(this, events, "ControlText1Part2Edit", 60, 295);
    ControlText2Part1Edit = TextEdit(this, events, "ControlText2Part1Edit", 284, 272);
    ControlText2Part2Edit = TextEdit(this, events, "ControlText2Part2Edit", 284, 295);
}

void TMainForm::CreateRs485Page() {
    const TNotifyEvent check(this, &TMainForm::ChangeControlColor);
    RS485TabSheet = Sheet(this, MainPageControl, "RS485TabSheet", "RS-485");
    TWinControl* page = RS485TabSheet;
    RS485InfoGroupBox = Group(this, page, N("RS485InfoGroupBox"), String(), 4, 2, 750, 44);
    RS485SerialLabeledEdit =
        LabeledEdit(this, RS485InfoGroupBox, N("RS485SerialLabeledEdit"), S("Заводской номер:"), 98, 14, 52);
    RS485FWLabeledEdit =
        LabeledEdit(this, RS485InfoGroupBox, N("RS485FWLabeledEdit"), S("Версия:"), 200, 14, 38);
    RS485SerialLabeledEdit->SetReadOnly(true);
    RS485FWLabeledEdit->SetReadOnly(true);

    RS485PageControl = Add<TPageControl>(this, page, N("RS485PageControl"), 4, 48, 750, 348);
    RS485MainTabSheet = Sheet(this, RS485PageControl, "RS485MainTabSheet", "Основные");
    RS485VReaderTabSheet = Sheet(this, RS485PageControl, "RS485VReaderTabSheet", "Виртуальный считыватель");

    TWinControl* main = RS485MainTabSheet;
    TGroupBox* link = Group(this, main, N("RS485LinkGroupBox"), S("Параметры связи"), 4, 2, 330, 108);
    TGroupBox* standby = Group(this, main, N("RS485StandbyGroupBox"), S("Режим ожидания и вывод результатов"),
                               4, 112, 330, 58);
    TGroupBox* keys = Group(this, main, N("RS485KeysGroupBox"),
                            S("Wiegand-коды для клавиатуры (мин 4 макс 8 бит)"), 4, 172, 330, 142);
    TGroupBox* send = Group(this, main, N("RS485SendGroupBox"), S("Передача кодов"), 338, 2, 402, 314);
    TGroupBox* blocked =
        Group(this, send, N("RS485BlockedGroupBox"),
              S("При получении команды \"Начать измерение\" при блокировке"), 8, 176, 386, 66);
    TGroupBox* latch = Group(this, send, N("RS485LatchGroupBox"), S("Защёлка"), 8, 246, 386, 64);

    Label(this, link, N("RS485SpeedLabel"), S("Скорость обмена:"), 8, 20);
    RS485SpeedComboBox = Combo(this, link, N("RS485SpeedComboBox"), 110, 16, 90,
                               {"2400", "9600", "11200", "38400", "57600", "115200"}, csDropDown);
    RS485SpeedComboBox->SetMaxLength(6);
    RS485SpeedComboBox->OnExit = check;
    Label(this, link, N("RS485Addr1Label"), S("Адрес 1:"), 8, 46);
    RS485Addr1Edit = Edit(this, link, N("RS485Addr1Edit"), 60, 42, 36, 3, true);
    Label(this, link, N("RS485Addr2Label"), S("Адрес 2:"), 110, 46);
    RS485Addr2Edit = Edit(this, link, N("RS485Addr2Edit"), 162, 42, 36, 3, true);
    RS485CodingCheckBox =
        Check(this, link, N("RS485CodingCheckBox"), S("Шифрование обязательно"), 8, 68, 300);
    RS485DefaultKeyCheckBox =
        Check(this, link, N("RS485DefaultKeyCheckBox"), S("Разрешить ключ по умолчанию"), 8, 86, 300);
    RS485SKUDSoundCheckBox =
        Check(this, standby, N("RS485SKUDSoundCheckBox"), S("Вывод звука от СКУД"), 8, 16, 300);
    RS485SKUDTextCheckBox =
        Check(this, standby, N("RS485SKUDTextCheckBox"), S("Вывод текста от СКУД"), 8, 35, 300);

    Label(this, send, N("RS485BaseCodeLabel"), S("Базовый код:"), 8, 20);
    RS485BaseCodeEdit = Edit(this, send, N("RS485BaseCodeEdit"), 92, 16, 36, 3, true);
    RS485BaseCardEdit = Edit(this, send, N("RS485BaseCardEdit"), 132, 16, 56, 5, true);
    RS485BlockCodeEdit = Edit(this, blocked, N("RS485BlockCodeEdit"), 112, 16, 36, 3, true);
    RS485BlockCodeCheckBox =
        Check(this, blocked, N("RS485BlockCodeCheckBox"), S("передать код:"), 8, 18, 102);
    Label(this, blocked, N("RS485BlockTimeoutLabel"), S("длит.:"), 160, 20);
    RS485BlockTimeoutEdit = Edit(this, blocked, N("RS485BlockTimeoutEdit"), 194, 16, 40, 4);
    Label(this, blocked, N("RS485BlockFuncLabel"), S("Актив. функцию на входе:"), 8, 44);
    RS485BlockFuncEdit = Edit(this, blocked, N("RS485BlockFuncEdit"), 160, 40, 30, 1, true);
    const int sendY[5] = {42, 64, 86, 108, 130};
    RS485AbortBlowCodeEdit = Edit(this, send, N("RS485AbortBlowCodeEdit"), 222, sendY[4], 36, 3, true);
    RS485AbortBlowSendCheckBox = Check(this, send, N("RS485AbortBlowSendCheckBox"),
                                       S("Передача при прерванном выдохе:"), 8, sendY[4] + 2, 210);
    RS485NoBlowSendCheckBox = Check(this, send, N("RS485NoBlowSendCheckBox"),
                                    S("Передача при отсутствии выдоха:"), 8, sendY[3] + 2, 210);
    RS485HightSendCheckBox = Check(this, send, N("RS485HightSendCheckBox"),
                                   S("Передача при рез. выше порога:"), 8, sendY[2] + 2, 210);
    RS485LowSendCheckBox = Check(this, send, N("RS485LowSendCheckBox"), S("Передача при рез. ниже порога:"),
                                 8, sendY[1] + 2, 210);
    RS485ErrorSendCheckBox =
        Check(this, send, N("RS485ErrorSendCheckBox"), S("Передача при ошибках:"), 8, sendY[0] + 2, 210);
    RS485ErrorAddCodeCheckBox =
        Check(this, send, N("RS485ErrorAddCodeCheckBox"), S("Добавить код"), 266, sendY[0] + 2, 130);
    RS485LowAddResultCheckBox =
        Check(this, send, N("RS485LowAddResultCheckBox"), S("Добавить результат"), 266, sendY[1] + 2, 130);
    RS485HightAddResultCheckBox =
        Check(this, send, N("RS485HightAddResultCheckBox"), S("Добавить результат"), 266, sendY[2] + 2, 130);
    RS485ErrorCodeEdit = Edit(this, send, N("RS485ErrorCodeEdit"), 222, sendY[0], 36, 3, true);
    RS485LowCodeEdit = Edit(this, send, N("RS485LowCodeEdit"), 222, sendY[1], 36, 3, true);
    RS485HightCodeEdit = Edit(this, send, N("RS485HightCodeEdit"), 222, sendY[2], 36, 3, true);
    RS485NoBlowCodeEdit = Edit(this, send, N("RS485NoBlowCodeEdit"), 222, sendY[3], 36, 3, true);
    RS485ClickEnabledCheckBox =
        Check(this, latch, N("RS485ClickEnabledCheckBox"), S("Поддержка включена"), 8, 18, 150);
    RS485ClickSecondReaderCheckBox =
        Check(this, latch, N("RS485ClickSecondReaderCheckBox"), S("Второй считыватель"), 170, 18, 150);
    Label(this, latch, N("RS485ClickStartLabel"), S("начальный код"), 8, 42);
    RS485ClickStartCodeEdit = Edit(this, latch, N("RS485ClickStartCodeEdit"), 92, 38, 36, 3, true);
    Label(this, latch, N("RS485ClickEndLabel"), S("конечный код"), 140, 42);
    RS485ClickEndCodeEdit = Edit(this, latch, N("RS485ClickEndCodeEdit"), 220, 38, 36, 3, true);
    Label(this, latch, N("RS485ClickPeriodLabel"), S("период"), 270, 42);
    RS485ClickPeriodEdit = Edit(this, latch, N("RS485ClickPeriodEdit"), 316, 38, 40, 4);
    RS485AddPinCodeCheckBox = Check(this, send, N("RS485AddPinCodeCheckBox"),
                                    S("Добавить пустой пин-код ко всем передачам"), 8, 154, 380);

    // Key edits: device order 0..9, *, #, F1..F4, F1&F2, F2&F3, F3&F4, F4&F1; file order differs.
    const char* keyNames[20] = {"0",  "1",  "2",  "3",  "4",  "5",  "6",   "7",   "8",   "9",
                                "St", "Sh", "F1", "F2", "F3", "F4", "F12", "F23", "F34", "F41"};
    const char* keyLabels[20] = {
        "0:", "1:", "2:",  "3:",  "4:",  "5:",  "6:",      "7:",      "8:",      "9:",
        "*:", "#:", "F1:", "F2:", "F3:", "F4:", "F1&&F2:", "F2&&F3:", "F3&&F4:", "F4&&F1:"};
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10}) {
        const int colX = 8 + 80 * (i % 4), rowY = 16 + 24 * (i / 4);
        Label(this, keys, QStringLiteral("WiegandKey%1Label").arg(N(keyNames[i])), S(keyLabels[i]), colX,
              rowY + 4);
        WiegandKeyEdit[size_t(i)] = Edit(this, keys, QStringLiteral("WiegandKey%1Edit").arg(N(keyNames[i])),
                                         colX + 44, rowY, 28, 3, true);
    }
    for (TEdit* e : WiegandKeyEdit)
        e->OnExit = check;
    for (TEdit* e : {RS485Addr1Edit, RS485Addr2Edit, RS485BaseCodeEdit, RS485BaseCardEdit, RS485BlockCodeEdit,
                     RS485BlockTimeoutEdit, RS485BlockFuncEdit, RS485AbortBlowCodeEdit, RS485ErrorCodeEdit,
                     RS485LowCodeEdit, RS485HightCodeEdit, RS485NoBlowCodeEdit, RS485ClickStartCodeEdit,
                     RS485ClickEndCodeEdit, RS485ClickPeriodEdit})
        e->OnExit = check;

    // The virtual reader.
    TWinControl* reader = RS485VReaderTabSheet;
    TGroupBox* ins = Group(this, reader, N("RS485VirtInGroupBox"), S("Функции входов"), 4, 2, 380, 284);
    TGroupBox* outs = Group(this, reader, N("RS485VirtOutGroupBox"), S("Функции выходов"), 388, 2, 352, 284);
    auto outBox = [&](int Index, const String& Name, int X, int Y, int W) {
        RS485VirtFuncOutComboBox[size_t(Index)] = Combo(this, outs, Name, X, Y, W, {});
    };
    const int outRowY[4] = {16, 39, 62, 85};
    for (int n = 0; n < 8; ++n)
        Label(this, outs, QStringLiteral("RS485VirtOut%1Label").arg(n + 1),
              QStringLiteral("Выход %1:").arg(n + 1), n < 4 ? 8 : 176, outRowY[n % 4] + 4);
    for (int n : {0, 1, 2, 3, 7, 6, 5, 4})
        outBox(n, QStringLiteral("RS485VirtFuncOut%1ComboBox").arg(n + 1), n < 4 ? 56 : 224, outRowY[n % 4],
               112);
    const char* ledLabels[4] = {"Светодиод 1. Красная сост.:", "Светодиод 1. Зелёная сост.:",
                                "Светодиод 2. Красная сост.:", "Светодиод 2. Зёленая сост.:"};
    const char* ledNames[4] = {"Led1Red", "Led1Green", "Led2Red", "Led2Green"};
    for (int n = 0; n < 4; ++n) {
        Label(this, outs, QStringLiteral("RS485VirtOut%1Label").arg(N(ledNames[n])), S(ledLabels[n]), 8,
              112 + 23 * n);
        outBox(10 + n, QStringLiteral("RS485VirtFuncOut%1ComboBox").arg(N(ledNames[n])), 176, 108 + 23 * n,
               160);
    }
    Label(this, outs, N("RS485VirtOutText1Label"), S("Текст 1:"), 8, 204);
    outBox(8, N("RS485VirtFuncOutText1ComboBox"), 56, 200, 112);
    RS485VirtReaderOutText1Edit = Edit(this, outs, N("RS485VirtReaderOutText1Edit"), 176, 200, 160, 32);
    RS485VirtReaderOutText1Edit->SetAlignment(taLeftJustify);
    Label(this, outs, N("RS485VirtOutText2Label"), S("Текст 2:"), 8, 227);
    outBox(9, N("RS485VirtFuncOutText2ComboBox"), 56, 223, 112);
    Label(this, outs, N("RS485VirtOutBuzzer1Label"), S("Бузер 1:"), 8, 254);
    outBox(14, N("RS485VirtFuncOutBuzzer1ComboBox"), 56, 250, 112);
    Label(this, outs, N("RS485VirtOutBuzzer2Label"), S("Бузер 2:"), 176, 254);
    outBox(15, N("RS485VirtFuncOutBuzzer2ComboBox"), 224, 250, 112);
    RS485VirtReaderOutText2Edit = Edit(this, outs, N("RS485VirtReaderOutText2Edit"), 176, 223, 160, 32);
    RS485VirtReaderOutText2Edit->SetAlignment(taLeftJustify);
    RS485BlockStartEndCheckBox =
        Check(this, reader, N("RS485BlockStartEndCheckBox"),
              S("Блокировать команды \"начать\" и \"закончить измерение\" при выдохе и анализе "
                "концентрации"),
              8, 292, 730);

    auto inRowY = [](int n) { return 18 + 31 * n; };
    for (int n = 0; n < 8; ++n) {
        Label(this, ins, QStringLiteral("RS485VirtIn%1Label").arg(n + 1),
              QStringLiteral("Вход %1:").arg(n + 1), 8, inRowY(n) + 4);
        Label(this, ins, QStringLiteral("RS485VirtVal%1Label").arg(n + 1), S("значение:"), 212,
              inRowY(n) + 4);
        Label(this, ins, QStringLiteral("RS485VirtTimer%1Label").arg(n + 1), S("имп."), 346, inRowY(n) + 4);
    }
    auto funcIn = [&](int n) {
        RS485VirtFuncInComboBox[size_t(n)] =
            Combo(this, ins, QStringLiteral("RS485VirtFuncIn%1ComboBox").arg(n + 1), 52, inRowY(n), 154, {});
    };
    auto valIn = [&](int n) {
        RS485VirtValInComboBox[size_t(n)] = Combo(
            this, ins, QStringLiteral("RS485VirtValIn%1ComboBox").arg(n + 1), 268, inRowY(n), 40, {"0", "1"});
    };
    auto timerIn = [&](int n) {
        RS485VirtTimerInEdit[size_t(n)] =
            Edit(this, ins, QStringLiteral("RS485VirtTimerIn%1Edit").arg(n + 1), 312, inRowY(n), 32, 4);
    };
    for (int n : {0, 1, 3, 2})
        funcIn(n);
    for (int n : {0, 1, 3, 2})
        valIn(n);
    for (int n : {0, 1, 3, 2})
        timerIn(n);
    for (int n : {4, 5, 6, 7})
        funcIn(n);
    for (int n : {5, 4, 6, 7})
        valIn(n);
    for (int n : {7, 6, 5, 4})
        timerIn(n);
    for (TComboBox* c : RS485VirtValInComboBox)
        c->OnChange = check;
    // A function box flagged for a byte it could not show turns back to normal when the user
    // chooses.
    for (TComboBox* c : RS485VirtFuncInComboBox)
        c->OnChange = check;
    for (TComboBox* c : RS485VirtFuncOutComboBox)
        c->OnChange = check;
    for (TEdit* e : RS485VirtTimerInEdit)
        e->OnExit = check;
}

void TMainForm::CreateEthernetPage() {
    const TNotifyEvent check(this, &TMainForm::ChangeControlColor);
    EthTabSheet = Sheet(this, MainPageControl, "EthTabSheet", "Ethernet");
    TWinControl* page = EthTabSheet;
    EthInfoGroupBox = Group(this, page, N("EthInfoGroupBox"), String(), 4, 2, 750, 44);
    EthSerialLabeledEdit =
        LabeledEdit(this, EthInfoGroupBox, N("EthSerialLabeledEdit"), S("Заводской номер:"), 98, 14, 64);
    EthFWLabeledEdit = LabeledEdit(this, EthInfoGroupBox, N("EthFWLabeledEdit"), S("Версия:"), 212, 14, 38);
    EthMACLabeledEdit =
        LabeledEdit(this, EthInfoGroupBox, N("EthMACLabeledEdit"), S("MAC адрес:"), 326, 14, 118);
    for (TLabeledEdit* e : {EthSerialLabeledEdit, EthFWLabeledEdit, EthMACLabeledEdit})
        e->SetReadOnly(true);
    EthMACLabeledEdit->SetTag(1);

    EthDeviceOptionsGroupBox =
        Group(this, page, N("EthDeviceOptionsGroupBox"), S("Открытые настройки"), 4, 48, 290, 348);
    TWinControl* opt = EthDeviceOptionsGroupBox;
    EthIPGroupBox = Group(this, opt, N("EthIPGroupBox"), S("Настройки IP"), 8, 172, 274, 118);
    EthJSONGroupBox = Group(this, opt, N("EthJSONGroupBox"), S("JSON описания"), 8, 294, 274, 46);

    Label(this, EthIPGroupBox, N("EthStaticIPLabel"), S("Тип подключения:"), 8, 20);
    EthStaticIPComboBox = Combo(this, EthIPGroupBox, N("EthStaticIPComboBox"), 106, 16, 160,
                                {"Статический IP", "Динамический IP"});
    EthStaticIPComboBox->SetTag(1);
    EthStaticIPComboBox->OnChange = TNotifyEvent(this, &TMainForm::EthStaticIPComboBoxChange);
    EthStaticIPLabeledEdit =
        LabeledEdit(this, EthIPGroupBox, N("EthStaticIPLabeledEdit"), S("IP адрес:"), 106, 42, 110, 15);
    EthStaticMaskLabeledEdit =
        LabeledEdit(this, EthIPGroupBox, N("EthStaticMaskLabeledEdit"), S("Маска:"), 106, 66, 110, 15);
    EthStaticGWLabeledEdit =
        LabeledEdit(this, EthIPGroupBox, N("EthStaticGWLabeledEdit"), S("Шлюз:"), 106, 90, 110, 15);
    EthPortLabeledEdit = LabeledEdit(this, opt, N("EthPortLabeledEdit"), S("Порт:"), 112, 146, 60, 5);
    for (TLabeledEdit* e :
         {EthStaticIPLabeledEdit, EthStaticMaskLabeledEdit, EthStaticGWLabeledEdit, EthPortLabeledEdit})
        e->OnExit = check;
    const char* labels[5] = {
        "Скорость и режим:", "Протокол:", "LLMNR:", "Перенаправление:", "Аутентификация:"};
    const char* labelNames[5] = {"EthModeLabel", "EthProtoLabel", "EthLLMNRLabel", "EthRedirectLabel",
                                 "EthAuthLabel"};
    for (int i = 0; i < 5; ++i)
        Label(this, opt, N(labelNames[i]), S(labels[i]), 8, 20 + 26 * i);
    EthModeComboBox = Combo(this, opt, N("EthModeComboBox"), 112, 16, 170,
                            {"Авто", "10 Мбит/с, полудуплекс", "10 Мбит/с, полный дуплекс",
                             "100 Мбит/с, полудуплекс", "100 Мбит/с, полный дуплекс"});
    EthProtoComboBox = Combo(this, opt, N("EthProtoComboBox"), 112, 42, 100, {"http", "https"});
    EthLLMNRComboBox = Combo(this, opt, N("EthLLMNRComboBox"), 112, 68, 100, {"Выключено", "Включено"});
    EthRedirectComboBox = Combo(this, opt, N("EthRedirectComboBox"), 112, 94, 100, {"Выключено", "Включено"});
    EthAuthComboBox = Combo(this, opt, N("EthAuthComboBox"), 112, 120, 100, {"Выключено", "Включено"});
    // A box flagged for a value it could not show turns back to normal when the user chooses.
    for (TComboBox* c :
         {EthModeComboBox, EthProtoComboBox, EthLLMNRComboBox, EthRedirectComboBox, EthAuthComboBox})
        c->OnChange = TNotifyEvent(this, &TMainForm::ChangeControlColor);
    EthRusJSONCheckBox = Check(this, EthJSONGroupBox, N("EthRusJSONCheckBox"), S("Русские"), 8, 20, 110);
    EthEngJSONCheckBox = Check(this, EthJSONGroupBox, N("EthEngJSONCheckBox"), S("Английские"), 130, 20, 120);

    EthFilesGroupBox = Group(this, page, N("EthFilesGroupBox"), S("Файлы"), 298, 48, 456, 348);
    EthFilesPanel = Add<TPanel>(this, EthFilesGroupBox, N("EthFilesPanel"), 8, 16, 362, 324);
    EthFilesPanel->SetCaption(String());
    EthFilesSpaceStaticText =
        Add<TStaticText>(this, EthFilesPanel, N("EthFilesSpaceStaticText"), 0, 306, 362, 18);
    EthFilesSpaceStaticText->SetAlign(alBottom);
    EthFilesSpaceStaticText->SetAutoSize(false);
    EthFilesSpaceStaticText->SetAlignment(taRightJustify);
    EthFilesSpaceStaticText->SetCaption(QStringLiteral(" "));
    EthFilesListView = Add<TListView>(this, EthFilesPanel, N("EthFilesListView"), 0, 0, 362, 306);
    EthFilesListView->SetAlign(alClient);
    EthFilesListView->SetViewStyle(vsReport);
    EthFilesListView->SetRowSelect(true);
    EthFilesListView->SetReadOnly(true);
    EthFilesListView->SetMultiSelect(false);
    EthFilesListView->SetHideSelection(false);
    TListColumn* nameColumn = EthFilesListView->Columns()->Add();
    nameColumn->SetCaption(S("Имя"));
    nameColumn->SetWidth(300);
    TListColumn* sizeColumn = EthFilesListView->Columns()->Add();
    sizeColumn->SetCaption(S("Размер"));
    sizeColumn->SetWidth(55);
    EthCheckFilesButton =
        Button(this, EthFilesGroupBox, N("EthCheckFilesButton"), S("Запросить"), 376, 16, 74);
    EthCheckFilesButton->OnClick = TNotifyEvent(this, &TMainForm::EthCheckFilesButtonClick);
    EthFileAddButton = Button(this, EthFilesGroupBox, N("EthFileAddButton"), S("Добавить"), 376, 46, 74);
    EthFileAddButton->OnClick = TNotifyEvent(this, &TMainForm::EthFileAddButtonClick);
    EthFileDeleteButton = Button(this, EthFilesGroupBox, N("EthFileDeleteButton"), S("Удалить"), 376, 76, 74);
    EthFileDeleteButton->OnClick = TNotifyEvent(this, &TMainForm::EthFileDeleteButtonClick);
    EthFileDeleteButton->SetEnabled(false);
    EthFileDeletaAllButton =
        Button(this, EthFilesGroupBox, N("EthFileDeletaAllButton"), S("Удалить все"), 376, 106, 74);
    EthFileDeletaAllButton->OnClick = TNotifyEvent(this, &TMainForm::EthFileDeletaAllButtonClick);
    EthFileDeletaAllButton->SetEnabled(false);
}
