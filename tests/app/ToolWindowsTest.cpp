// The main window's start-up state, the clock and text commands, the units and Wiegand-26
// dialogs, the value checks and the RS-485 function names.

#include "AppFixture.h"

#include "platform/ui/Menus.h"

#include <QCoreApplication>
#include <QFile>

#include <functional>

TEST_F(AppTest, StartUpState) {
    EXPECT_EQ(T(form), "Настройка КВИНТОРЕЛЬ 0.14");
    EXPECT_EQ(form->ClientWidth(), 881);
    EXPECT_EQ(form->ClientHeight(), 446);
    for (TPageControl* p : {form->MainPageControl, form->ControlPageControl, form->RS485PageControl})
        EXPECT_EQ(p->ActivePageIndex(), 0);
    EXPECT_EQ(form->MainPageControl->PageCount(), 4);
    for (TComboBox* c : form->RS485VirtFuncInComboBox) {
        EXPECT_EQ(c->Items()->Count(), 53);
        EXPECT_EQ(c->ItemIndex(), 0);
    }
    for (TComboBox* c : form->RS485VirtFuncOutComboBox) {
        EXPECT_EQ(c->Items()->Count(), 45);
        EXPECT_EQ(c->ItemIndex(), 0);
    }
    EXPECT_EQ(form->ControlEventsMemTableEh->RecordCount(), 0);
    EXPECT_TRUE(form->AddControlEventSpeedButton->Enabled());
    EXPECT_FALSE(form->EditControlEventSpeedButton->Enabled());
    EXPECT_FALSE(form->ClearControlEventSpeedButton->Enabled());
    EXPECT_EQ(form->EthFilesSpaceStaticText->Caption().toStdString(), "Всего файлов 0. Занято 0 из 0 байт.");
    EXPECT_FALSE(form->EthFileDeleteButton->Enabled());
    // The menus pop up just under their buttons.
    const TPoint p = form->MenuPoint(form->DevWriteBitBtn);
    const TPoint expected = form->ConfigGroupBox->ClientToScreen(TPoint(
        form->DevWriteBitBtn->Left() + 1, form->DevWriteBitBtn->Top() + form->DevWriteBitBtn->Height()));
    EXPECT_EQ(p.X, expected.X);
    EXPECT_EQ(p.Y, expected.Y);
    EXPECT_EQ(form->ReadPopupMenu->Items()->Count(), 4);
    EXPECT_EQ(form->N2->Caption().toStdString(), "-");
}

// Every shown control lies whole inside its parent's client area on every page: a control cut
// by the window's edge is a layout fault the user sees at once.
TEST_F(AppTest, EveryControlFitsInsideItsParent) {
    form->Show();
    std::vector<std::string> cut;
    const std::function<void(TWinControl*)> walk = [&](TWinControl* parent) {
        const TRect client = parent->ClientRect();
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* c = parent->Controls(i);
            // A page that is not in front is hidden but still laid out.
            if (!c->Visible() && !dynamic_cast<TTabSheet*>(c)) continue;
            const TRect r = c->BoundsRect();
            if (r.Left < client.Left || r.Top < client.Top || r.Right > client.Right || r.Bottom > client.Bottom)
                cut.push_back(c->Name().toStdString() + " in " + parent->Name().toStdString());
            if (auto* w = dynamic_cast<TWinControl*>(c)) walk(w);
        }
    };
    // Each page is laid out once it has been in front.
    for (TPageControl* p : {form->MainPageControl, form->ControlPageControl, form->RS485PageControl})
        for (int i = 0; i < p->PageCount(); ++i) {
            p->SetActivePageIndex(i);
            QCoreApplication::processEvents();
        }
    walk(form);
    EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
}

TEST_F(AppTest, LanguageFileCaptions) {
    QFile f(dir.filePath(QStringLiteral("SetupKvt.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "[MainForm]\r\nMainForm=Configurator\r\nN2=Separator\r\nEthStaticIPComboBox1=Dynamic\r\n"
        "devseriallabelededit=Serial:\r\nUnitsBitBtn=Units\r\nVerifyWarnComboBox0=1 month\r\n"
        "garbage line without a sign\r\n"
        "[Msg]\r\nRS485VirtInFunc_33=T\r\nRS485VirtOutFunc_34=K\r\n"
        "EthFilesSpace=Files %s, %s of %s\r\nDeviceMissingMsg=No device\r\n[Broken\r\n\xff\xfe\x00=\x01\r\n");
    f.close();
    FreeLanguage();
    FreeRs485Vocabulary();
    InitRs485Vocabulary();
    NewWindows();
    EXPECT_EQ(T(form), "Configurator 0.14");
    EXPECT_EQ(form->N2->Caption().toStdString(), "-");
    EXPECT_EQ(form->EthStaticIPComboBox->Items()->Strings(1).toStdString(), "Dynamic");
    EXPECT_EQ(form->EthStaticIPComboBox->ItemIndex(), 0);
    EXPECT_EQ(form->DevSerialLabeledEdit->EditLabel()->Caption().toStdString(), "Serial:");
    EXPECT_TRUE(form->UnitsBitBtn->Caption().isEmpty());
    EXPECT_EQ(form->VerifyWarnComboBox->Items()->Strings(0).toStdString(), "1 month");
    // A translation whose conversions differ from the default's is not used.
    EXPECT_EQ(form->EthFilesSpaceStaticText->Caption().toStdString(), "Всего файлов 0. Занято 0 из 0 байт.");
    SetSerialTransportFactory([](int, FT_STATUS* status, std::string*) -> std::unique_ptr<TSerialTransport> {
        *status = FT_DEVICE_NOT_FOUND;
        return nullptr;
    });
    form->DevReadNClick(nullptr);
    auto shown = TakeBoxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].Text.startsWith(QStringLiteral("No device\r(MainUnit: ")));
    // The duplicated key names input entries 32 and 33 alike.
    EXPECT_EQ(RS485VirtInFunc[32].toStdString(), "T");
    EXPECT_EQ(RS485VirtInFunc[33].toStdString(), "T");
    EXPECT_EQ(RS485VirtInFunc[34].toStdString(), "НЕ(Кр.св)");
    EXPECT_EQ(RS485VirtOutFunc[33].toStdString(), "K");
    EXPECT_EQ(form->RS485VirtFuncInComboBox[0]->Items()->Strings(33).toStdString(), "T");
}

TEST_F(AppTest, FunctionNameDefaults) {
    EXPECT_EQ(RS485VirtInFunc[0].toStdString(), "Нет функции");
    EXPECT_EQ(RS485VirtInFunc[2].toStdString(), "НЕ(Выход 1)");
    EXPECT_EQ(RS485VirtInFunc[32].toStdString(), "НЕ(Параметр7)");
    EXPECT_EQ(RS485VirtInFunc[33].toStdString(), "Кр.св.");
    EXPECT_EQ(RS485VirtInFunc[36].toStdString(), "НЕ(Зел.св)");
    EXPECT_EQ(RS485VirtInFunc[52].toStdString(), "НЕ(ВышеПор)");
    EXPECT_EQ(RS485VirtOutFunc[41].toStdString(), "Нач/Зав.изм");
    EXPECT_EQ(RS485VirtOutFunc[44].toStdString(), "НЕ(Блок изм)");
}

TEST_F(AppTest, ClockIsTheOneShownInTheQuestion) {
    const TDateTime shown = EncodeDate(2024, 3, 5) + EncodeTime(23, 59, 30, 0);
    form->NowFn = [&] { return shown; };
    answers = {IDNO};
    form->DevTimeSyncButtonClick(nullptr);
    ShownBox q = OnlyBox();
    EXPECT_EQ(q.Flags, 36u);
    EXPECT_TRUE(q.Text.contains(DateToStr(shown)));
    EXPECT_TRUE(sim->Log().empty());

    form->DevTimeSyncButtonClick(nullptr);
    auto b = TakeBoxes();
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[1].Text.toStdString(), "Время синхронизировано с ПК!");
    EXPECT_FALSE(sim->ServiceMode());
    bool clockSent = false;
    for (const auto& r : sim->Log())
        if (r.data[0] == 0xD1) {
            clockSent = true;
            EXPECT_EQ(r.data, (std::vector<uint8_t>{0xD1, 0x05, 0x03, 0x24, 0x23, 0x59}));
        }
    EXPECT_TRUE(clockSent);
}

TEST_F(AppTest, ShowTextsLastsWhileTheBoxIsOpen) {
    bool showing = false;
    onBox = [&](const ShownBox&) { showing = sim->ShowingTexts(); };
    form->ViewStringsButtonClick(nullptr);
    ShownBox box = OnlyBox();
    EXPECT_EQ(box.Caption.toStdString(), "Просмотр сообщений");
    EXPECT_EQ(box.Flags, 48u);
    EXPECT_TRUE(showing);
    EXPECT_FALSE(sim->ShowingTexts());
    EXPECT_FALSE(sim->ServiceMode());
    // Service mode refused: the error, and no off command.
    sim->AddFault(*devsim::ParseFaultRule("0:D0=status*1"));
    sim->ClearLog();
    form->ViewStringsButtonClick(nullptr);
    EXPECT_TRUE(OnlyBox().Text.startsWith(
        QStringLiteral("Ошибка установки сервисного режима блока газоанализатора!")));
    EXPECT_EQ(sim->Log().size(), 1u);
}

TEST_F(AppTest, UnitsConvertTheThreshold) {
    TUnitsForm* u = UnitsForm;
    struct Case {
        uint8_t code;
        const char* text;
        const char* units;
        const char* caption;
    };
    u->ThresholdRaw = 25;
    for (const Case& c :
         {Case{0x00, "0.25", "BrAC, мг/л", "Порог срабатывания (мг/л BrAC):"},
          Case{0x10, "250", "BrAC, мкг/л", "Порог срабатывания (мкг/л BrAC):"},
          Case{0x20, "25", "BrAC, мкг/100мл", "Порог срабатывания (мкг/100мл BrAC):"},
          Case{0x34, "0.25", "BAC (2300:1), промилле", "Порог срабатывания (промилле BAC):"},
          Case{0x40, "0.25", "BAC (2100:1), г/кг", "Порог срабатывания (г/кг BAC):"},
          Case{0x62, "0.025", "BAC (2150:1), г/100мл", "Порог срабатывания (г/100мл BAC):"}}) {
        u->SetUnitsCode(c.code);
        EXPECT_EQ(u->GetUnitsCode(), c.code);
        EXPECT_EQ(u->GetThresholdText().toStdString(), c.text);
        EXPECT_EQ(u->GetUnitsCaption().toStdString(), c.units);
        EXPECT_EQ(u->GetThresholdCaption().toStdString(), c.caption);
        EXPECT_EQ(u->RatioRadioGroup->Enabled(), (c.code >> 4) >= 3);
    }
    u->SetUnitsCode(0x74);
    EXPECT_EQ(u->UnitIndex(), -1);
    EXPECT_EQ(u->GetUnitsCode(), 0xF4);
    u->SetUnitsCode(0x05);
    EXPECT_EQ(u->RatioIndex(), -1);
    u->SetUnitsCode(0x00);
    for (auto [value, raw] : {std::pair{0.123f, 12}, {0.125f, 12}, {0.135f, 14}, {2.55f, 255}}) {
        ASSERT_TRUE(u->SetThreshold(value));
        EXPECT_EQ(u->ThresholdRaw, raw) << value;
    }
    // A threshold the raw byte cannot hold is refused, not wrapped.
    EXPECT_FALSE(u->SetThreshold(3.0f));
    EXPECT_EQ(u->ThresholdRaw, 255);
    form->DevReadNClick(nullptr);
    TakeBoxes();
    form->DevMinResValueLabeledEdit->SetText(QStringLiteral("3.00"));
    uint8_t payload[256];
    EXPECT_EQ(form->EncodeGasAnalyserParams(payload), 0);
    EXPECT_EQ(form->DevMinResValueLabeledEdit->Color(), clRed);
}

TEST_F(AppTest, UnitsDialogChangesThePageOnlyWhenSaved) {
    form->DevMinResValueLabeledEdit->SetText(QStringLiteral("0.25"));
    UnitsForm->SetUnitsCode(0x00);
    form->ShowModalFn = [](TCustomForm*) {
        UnitsForm->UnitsComboBox->SetItemIndex(1);
        return int(mrCancel);
    };
    form->ChangeUnitsButtonClick(nullptr);
    EXPECT_EQ(UnitsForm->UnitIndex(), 0); // restored
    EXPECT_EQ(T(form->DevMinResValueLabeledEdit), "0.25");
    form->ShowModalFn = [](TCustomForm*) {
        UnitsForm->UnitsComboBox->SetItemIndex(1);
        return int(mrOk);
    };
    form->ChangeUnitsButtonClick(nullptr);
    EXPECT_EQ(T(form->DevMinResValueLabeledEdit), "250");
    EXPECT_EQ(T(form->DevUnitsLabeledEdit), "BrAC, мкг/л");
    EXPECT_EQ(OnlyBox().Flags, 36u);
    EXPECT_EQ(T(form->DevText3Part2Edit), "   $$$0 мкг/л");
    EXPECT_EQ(T(form->DevText2Part1Edit), "    Алкоголь");
}

TEST_F(AppTest, Wiegand26Dialog) {
    form->ControlTestCardEdit[0]->SetText(QStringLiteral("12"));
    form->ControlTestCardEdit[1]->SetText(QStringLiteral("1"));
    form->ControlTestCardEdit[2]->SetText(QStringLiteral("44"));
    String seenFacility, seenCard;
    form->ShowModalFn = [&](TCustomForm*) {
        seenFacility = Wiegant26Form->tCard1Edit->Text();
        seenCard = Wiegant26Form->tCard2Edit->Text();
        Wiegant26Form->tCard2Edit->SetText(QStringLiteral("70000"));
        Wiegant26Form->osn2Edit->SetText(QString());
        return int(mrOk);
    };
    form->Wiegand26ButtonClick(nullptr);
    EXPECT_EQ(seenFacility.toStdString(), "12");
    EXPECT_EQ(seenCard.toStdString(), "300");
    EXPECT_EQ(T(form->ControlTestCardEdit[1]), "273");
    EXPECT_EQ(T(form->ControlTestCardEdit[2]), "112");
    for (int i = 3; i < 8; ++i)
        EXPECT_EQ(T(form->ControlTestCardEdit[size_t(i)]), "0");
    EXPECT_EQ(T(form->ControlTestCardOutEdit[1]), "0");
    EXPECT_EQ(T(form->ControlTestCardOutEdit[2]), "0");
    EXPECT_EQ(T(form->WiegandInBitsLabeledEdit), "26");
    EXPECT_TRUE(form->WiegandOutEvenBitsCheckBox->Checked());
    // 273 does not fit its byte: the page fails its check instead of sending 17.
    uint8_t payload[256];
    form->ControlOutDurLabeledEdit->SetText(QStringLiteral("1"));
    for (TLabeledEdit* e : {form->WiegandOutDurLabeledEdit, form->WiegandOutPeriodLabeledEdit,
                            form->WiegandOutTimeoutLabeledEdit, form->WiegandInTimeoutLabeledEdit})
        e->SetText(QStringLiteral("1"));
    for (TEdit* e : form->ControlTestCardOutEdit)
        e->SetText(QStringLiteral("0"));
    EXPECT_EQ(form->EncodeInterfaceParams(payload), 0);
    EXPECT_EQ(form->ControlTestCardEdit[1]->Color(), clRed);
    // Cancel leaves the page as it was.
    form->ShowModalFn = [](TCustomForm*) {
        Wiegant26Form->tCard1Edit->SetText(QStringLiteral("99"));
        return int(mrCancel);
    };
    form->Wiegand26ButtonClick(nullptr);
    EXPECT_EQ(T(form->ControlTestCardEdit[0]), "12");
}

TEST_F(AppTest, ValueChecks) {
    TLabeledEdit* e = form->DevBlowTimeoutLabeledEdit;
    struct IntCase {
        const char* text;
        int32_t value;
        bool flagged;
    };
    for (const IntCase& c : {IntCase{"12", 12, false}, IntCase{"", -1, true}, IntCase{"abc", -1, true},
                             IntCase{"-1", -1, true}, IntCase{"-7", -7, false}}) {
        e->SetColor(clWindow);
        e->SetText(QString::fromUtf8(c.text));
        EXPECT_EQ(form->GetIntFromControl(e), c.value) << c.text;
        EXPECT_EQ(e->Color() == clRed, c.flagged) << c.text;
    }
    struct FloatCase {
        const char* text;
        float minimum;
        float value;
    };
    for (const FloatCase& c : {FloatCase{"0.05", 0.05f, 0.05f}, FloatCase{"0.04", 0.05f, -1},
                               FloatCase{"0,05", 0.05f, -1}, FloatCase{"-3", -1, -3}}) {
        e->SetText(QString::fromUtf8(c.text));
        EXPECT_EQ(form->GetFloatFromControl(e, c.minimum), c.value) << c.text;
    }
    TLabeledEdit* ip = form->EthStaticIPLabeledEdit;
    struct IpCase {
        const char* text;
        bool ok;
        uint32_t value;
    };
    for (const IpCase& c :
         {IpCase{"10.0.0.1", true, 0x0100000A}, IpCase{"10 0 0 1", true, 0x0100000A},
          IpCase{"10.0. 0.1", true, 0x0100000A}, IpCase{"255.255.255.255", true, 0xFFFFFFFF},
          IpCase{"10.0.0", false, 0}, IpCase{"10.0.0.1.5", false, 0}, IpCase{"10.0.0.1.", false, 0},
          IpCase{"10.0.0.-1", false, 0}, IpCase{"10..0.1", false, 0}, IpCase{"10.0.0.300", false, 0}}) {
        ip->SetColor(clWindow);
        ip->SetText(QString::fromUtf8(c.text));
        uint32_t v = 0;
        EXPECT_EQ(form->GetIpFromEdit(ip, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
        EXPECT_EQ(ip->Color() == clRed, !c.ok) << c.text;
    }
    // A failing control on an inner page brings up both pages.
    form->MainPageControl->SetActivePageIndex(0);
    form->RS485PageControl->SetActivePageIndex(0);
    form->FlagControl(form->RS485VirtTimerInEdit[3]);
    EXPECT_EQ(form->MainPageControl->ActivePageIndex(), 2);
    EXPECT_EQ(form->RS485PageControl->ActivePageIndex(), 1);
    // Leaving the negative-result time below 2 s asks; No keeps the edit red.
    TLabeledEdit* low = form->DevLowResViewLabeledEdit;
    TakeBoxes();
    for (auto [text, asks] :
         {std::pair{"1", true}, {"2", false}, {"", false}, {"  ", false}, {"abc", true}}) {
        low->SetText(QString::fromUtf8(text));
        low->SetColor(clRed);
        answers = {IDNO};
        form->ChangeControlColor(low);
        EXPECT_EQ(TakeBoxes().size(), asks ? 1u : 0u) << text;
        EXPECT_EQ(low->Color() == clRed, asks) << text;
    }
}
