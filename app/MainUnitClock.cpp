// Commands and dialogs of the pages that do not carry a parameter set: the device clock, the
// device's text display, the units dialog and the Wiegand-26 dialog.

#include "app/MainUnit.h"
#include "app/MainUnitPriv.h"
#include "app/UnitsUnit.h"
#include "app/Wiegant26Unit.h"

#include "lib/lang/LangUnit.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace {

String DeviceCaption() {
    return GetMsg("DeviceMsgCaption", "Блок газоанализатора");
}

String ServiceModeError() {
    return GetMsg("DeviceServiceModeError", "Ошибка установки сервисного режима блока газоанализатора!");
}

} // namespace

void TMainForm::DevTimeSyncButtonClick(TObject*) {
    // The device gets the time the question showed, not the time of the answer.
    const TDateTime now = NowFn();
    const String caption = DeviceCaption();
    if (ShowMsgBox(GetMsgFmt("DeviceDateTimeSync",
                             "Синхронизировать дату (%s) и время (%s) подключенного устрйства с ПК?",
                             DateToStr(now), TimeToStr(now)),
                   caption, MsgBoxQuestionYesNo, "MainUnit", __LINE__) != IDYES)
        return;
    if (!OpenDevice()) {
        ShowMsgBox(GetMsg("DeviceMissingMsg", "Устройство отсутствует!"), caption, MsgBoxError, "MainUnit",
                   __LINE__);
        return;
    }
    if (!SetServiceMode(true)) {
        ShowMsgBox(WithLinkError(ServiceModeError()), caption, MsgBoxError, "MainUnit", __LINE__);
        CloseDevice();
        return;
    }
    const bool sent = SendClock(now);
    SetBusyCursor(false);
    if (sent)
        ShowMsgBox(GetMsg("DeviceDateTimeSyncOk", "Время синхронизировано с ПК!"), caption, MsgBoxInformation,
                   "MainUnit", __LINE__);
    else
        ShowMsgBox(WithLinkError(GetMsg("DeviceDateTimeSyncError", "Ошибка синхронизации времени с ПК!")),
                   caption, MsgBoxError, "MainUnit", __LINE__);
    SetServiceMode(false);
    CloseDevice();
}

void TMainForm::ViewStringsButtonClick(TObject*) {
    const String caption = DeviceCaption();
    if (!OpenDevice()) {
        ShowMsgBox(GetMsg("DeviceMissingMsg", "Устройство отсутствует!"), caption, MsgBoxError, "MainUnit",
                   __LINE__);
        return;
    }
    if (!SetServiceMode(true)) {
        ShowMsgBox(WithLinkError(ServiceModeError()), caption, MsgBoxError, "MainUnit", __LINE__);
        CloseDevice();
        return;
    }
    const bool shown = SendShowTexts();
    SetBusyCursor(false);
    if (shown)
        ShowMsgBox(GetMsg("DeviceTextViewMsg",
                          "Просмотр текстовых сообщений устройства на экране.\rНажмите ОК для завершения."),
                   GetMsg("DeviceTextViewMsgCaption", "Просмотр сообщений"), MsgBoxWarning, "MainUnit",
                   __LINE__);
    else
        ShowMsgBox(WithLinkError(ServiceModeError()), caption, MsgBoxError, "MainUnit", __LINE__);
    SetServiceMode(false); // leaving service mode ends the device's text display
    CloseDevice();
}

void TMainForm::ChangeUnitsButtonClick(TObject*) {
    TUnitsForm* units = UnitsForm;
    const float v = GetFloatFromControl(DevMinResValueLabeledEdit, units->GetThresholdStep());
    if (v >= 0 && !units->SetThreshold(v)) FlagControl(DevMinResValueLabeledEdit);
    // A dialog closed without saving leaves the unit as the page shows it.
    const uint8_t code = units->GetUnitsCode();
    if (RunModal(units) != mrOk) {
        units->SetUnitsCode(code);
        return;
    }
    ShowThreshold();
    if (ShowMsgBox(GetMsg("DeviceDefTextValues", "Установить стандартные текстовые значения?"),
                   GetMsg("DeviceDefTextValuesCaption", "Единицы измерения"), MsgBoxQuestionYesNo, "MainUnit",
                   __LINE__) != IDYES)
        return;
    const String standard = UnitDefaultText(units->UnitIndex());
    DevText2Part1Edit->SetText(GetMsg("DeviceText2Part1", "    Алкоголь"));
    DevText2Part2Edit->SetText(GetMsg("DeviceText2Part2", "  не обнаружен"));
    DevText3Part1Edit->SetText(GetMsg("DeviceText3Part1", "  Ниже порога"));
    DevText3Part2Edit->SetText(standard);
    DevText4Part1Edit->SetText(GetMsg("DeviceText4Part1", "  Выше порога"));
    DevText4Part2Edit->SetText(standard);
}

void TMainForm::Wiegand26ButtonClick(TObject*) {
    TWiegant26Form* dialog = Wiegant26Form;
    auto compose = [](TEdit* High, TEdit* Low) {
        return IntToStr(StrToIntDef(High->Text(), 0) * 256 + StrToIntDef(Low->Text(), 0));
    };
    dialog->tCard1Edit->SetText(ControlTestCardEdit[0]->Text());
    dialog->tCard2Edit->SetText(compose(ControlTestCardEdit[1], ControlTestCardEdit[2]));
    dialog->osn1Edit->SetText(ControlTestCardOutEdit[0]->Text());
    dialog->osn2Edit->SetText(compose(ControlTestCardOutEdit[1], ControlTestCardOutEdit[2]));
    if (RunModal(dialog) != mrOk) return;
    auto split = [](TEdit* Source, const std::array<TEdit*, 8>& Bytes) {
        const int n = StrToIntDef(Source->Text(), 0);
        Bytes[1]->SetText(IntToStr(n / 256)); // truncating: the sign of n is kept
        Bytes[2]->SetText(IntToStr(n % 256));
        for (int i = 3; i < 8; ++i)
            Bytes[size_t(i)]->SetText(QStringLiteral("0"));
    };
    ControlTestCardEdit[0]->SetText(dialog->tCard1Edit->Text());
    split(dialog->tCard2Edit, ControlTestCardEdit);
    ControlTestCardOutEdit[0]->SetText(dialog->osn1Edit->Text());
    split(dialog->osn2Edit, ControlTestCardOutEdit);
    WiegandInBitsLabeledEdit->SetText(QStringLiteral("26"));
    WiegandInEvenBitsCheckBox->SetChecked(true);
    WiegandOutBitsLabeledEdit->SetText(QStringLiteral("26"));
    WiegandOutEvenBitsCheckBox->SetChecked(true);
}
