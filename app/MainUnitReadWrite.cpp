// Reading and writing the whole device or the block of the page in front.

#include "app/MainUnit.h"
#include "app/MainUnitPriv.h"

#include "app/lang/LangUnit.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"

namespace {

struct BlockTexts {
    const char* CaptionKey;
    const char* Caption;
    const char* CheckKeyWhole;
    const char* CheckKeyBlock;
    const char* Check;
    const char* ReadKey;
    const char* Read;
    const char* ReadErrorKey;
    const char* ReadError;
    const char* MissingKey;
    const char* Missing;
    const char* WriteKey;
    const char* Write;
    const char* WriteErrorKey;
    const char* WriteErrorWhole;
    const char* WriteErrorBlock;
};

const BlockTexts Blocks[4] = {
    {"DeviceMsgCaption", "Блок газоанализатора", "DeviceCheckParamMsg", "DeviceCheckParamMsg",
     "Проверьте параметры газоанализатора!", "DeviceReadMsg", "Загружены настройки блока газоанализатора!",
     "DeviceReadErrorMsg", "Ошибка загрузки настроек блока газоанализатора!", "", "", "DeviceWriteMsg",
     "Записаны настройки блока газоанализатора!", "DeviceWriteErrorMsg",
     "Ошибка записи в блок газоанализатора!", "Ошибка записи в блок газоанализатора!"},
    {"ControlMsgCaption", "Блок сопряжения", "ControlCheckParamMsg", "ControlCheckParamMsg",
     "Проверьте параметры блока сопряжения!", "ControlReadMsg", "Загружены настройки блока сопряжения!",
     "ControlReadErrorMsg", "Ошибка загрузки настроек блока сопряжения!", "ControlMissingMsg",
     "Блок сопряжения отсутствует!", "ControlWriteMsg", "Записаны настройки блока сопряжения!",
     "ControlWriteErrorMsg", "Ошибка записи в блок сопряжения!", "Ошибка записи в блок сопряжения!"},
    {"RS485MsgCaption", "Блок RS-485", "RS485CheckParam", "RS485CheckParamMsg",
     "Проверьте параметры блока RS-485!", "RS485ReadMsg", "Загружены настройки блока RS-485!",
     "RS485ReadErrorMsg", "Ошибка загрузки настроек блока RS-485!", "RS485MissingMsg",
     "Блок RS-485 отсутствует!", "RS485WriteMsg", "Записаны настройки блока RS-485!", "RS485WriteErrorMsg",
     "Ошибка записи в блок RS-485!", "Ошибка записи в блок RS-485!"},
    // The whole-device default spells "Ehernet"; language files and users know it so.
    {"EthMsgCaption", "Блок Ethernet", "EthCheckParam", "EthCheckParamMsg",
     "Проверьте параметры блока Ethernet!", "EthReadMsg", "Загружены настройки блока Ethernet!",
     "EthReadErrorMsg", "Ошибка загрузки настроек блока Ethernet!", "EthMissingMsg",
     "Блок Ethernet отсутствует!", "EthWriteMsg", "Записаны настройки блока Ethernet!", "EthWriteErrorMsg",
     "Ошибка записи в блок Ehernet!", "Ошибка записи в блок Ethernet!"},
};

String Msg(const char* Key, const char* Default) {
    return GetMsg(QString::fromUtf8(Key), QString::fromUtf8(Default));
}

void Box(const String& Text, const String& Caption, int Flags, int Line) {
    ShowMsgBox(Text, Caption, Flags, "MainUnit", Line);
}

// One read or write command as the user sees it.  While it runs the status bar names the block
// and the step; a command that fails leaves the status bar as it found it, one that succeeds
// sets its own texts and calls Done.  Boxes show with the normal cursor; failure boxes carry the
// reason of a failed exchange on a line of their own.
class TDeviceCommand {
public:
    explicit TDeviceCommand(TMainForm* Form) : F(Form), Saved{Form->StatusText(0), Form->StatusText(1)} {}
    ~TDeviceCommand() { Restore(); }
    void Done() { Kept = true; }
    void Info(const String& Text, const String& Caption, int Line) {
        F->SetBusyCursor(false);
        Box(Text, Caption, MsgBoxInformation, Line);
    }
    void Warn(const String& Text, const String& Caption, int Line) {
        Restore();
        F->SetBusyCursor(false);
        Box(Text, Caption, MsgBoxWarning, Line);
    }
    void Fail(const String& Text, const String& Caption, int Line) {
        Restore();
        F->SetBusyCursor(false);
        Box(F->WithLinkError(Text), Caption, MsgBoxError, Line);
    }

private:
    void Restore() {
        if (Kept) return;
        F->SetStatusText(0, Saved[0]);
        F->SetStatusText(1, Saved[1]);
    }
    TMainForm* F;
    String Saved[2];
    bool Kept = false;
};

} // namespace

String TMainForm::BlockCaption(int Block) const {
    return Msg(Blocks[Block].CaptionKey, Blocks[Block].Caption);
}

String TMainForm::CheckText(int Block, bool WholeDevice) const {
    const BlockTexts& b = Blocks[Block];
    return Msg(WholeDevice ? b.CheckKeyWhole : b.CheckKeyBlock, b.Check);
}

bool TMainForm::ReadBlock(int Block) {
    switch (Block) {
    case baGasAnalyser:
        return ReadGasAnalyser();
    case baInterface:
        return ReadInterfaceBlock();
    case baRs485:
        return ReadRs485Block();
    case baEthernet:
        return ReadEthernetBlock();
    }
    return false;
}

bool TMainForm::EncodeBlock(int Block) {
    TPayloads& p = FPayloads;
    switch (Block) {
    case baGasAnalyser:
        p.LGas3 = EncodeGasAnalyserParams(p.Gas3.data());
        if (p.LGas3 == 0) return false;
        p.LGas6 = EncodeGasAnalyserInterval(p.Gas6.data());
        p.LGasTexts = EncodeGasAnalyserTexts(p.GasTexts.data());
        return p.LGas6 != 0;
    case baInterface:
        p.LCtl3 = EncodeInterfaceParams(p.Ctl3.data());
        if (p.LCtl3 == 0) return false;
        p.LCtl5 = EncodeInterfaceTexts(p.Ctl5.data());
        p.LEv1 = EncodeControlEvents(p.Ev1.data(), 1);
        p.LEv2 = EncodeControlEvents(p.Ev2.data(), 2);
        return p.LCtl5 != 0;
    case baRs485:
        p.LRs3 = EncodeRs485Params(p.Rs3.data());
        return p.LRs3 != 0;
    case baEthernet:
        p.LEth3 = EncodeEthernetParams(p.Eth3.data());
        return p.LEth3 != 0;
    }
    return false;
}

bool TMainForm::WriteEncodedBlock(int Block) {
    TPayloads& p = FPayloads;
    switch (Block) {
    case baGasAnalyser:
        return WriteGasAnalyser(p.Gas3.data(), p.LGas3, p.Gas6.data(), p.LGas6, p.GasTexts.data(),
                                p.LGasTexts);
    case baInterface:
        return WriteInterfaceBlock(p.Ctl3.data(), p.LCtl3, p.Ctl5.data(), p.LCtl5, p.Ev1.data(), p.LEv1,
                                   p.Ev2.data(), p.LEv2);
    case baRs485:
        return WriteRs485Block(p.Rs3.data(), p.LRs3);
    case baEthernet:
        return WriteEthernetBlock(p.Eth3.data(), p.LEth3);
    }
    return false;
}

TLabeledEdit* TMainForm::FirmwareEdit(int Block) const {
    switch (Block) {
    case baGasAnalyser:
        return DevFWLabeledEdit;
    case baInterface:
        return ControlFWLabeledEdit;
    case baRs485:
        return RS485FWLabeledEdit;
    default:
        return EthFWLabeledEdit;
    }
}

void TMainForm::ShowDeviceMissing(int Line) {
    Box(Msg("DeviceMissingMsg", "Устройство отсутствует!"), BlockCaption(baGasAnalyser), MsgBoxError, Line);
}

void TMainForm::DevReadNClick(TObject*) {
    TDeviceCommand op(this);
    if (!OpenDevice()) {
        ShowDeviceMissing(__LINE__);
        return;
    }
    const String readCaption = Msg("ReadMsgCaption", "Загрузка настроек");
    ShowActivity(baGasAnalyser, false);
    if (!ReadGasAnalyser()) {
        op.Fail(Msg("ReadErrorMsg", "Ошибка загрузки настроек"), readCaption, __LINE__);
        CloseDevice();
        return;
    }
    int counter = 1;
    String summary = Msg("ReadSettingsFrom", "Загружены настройки из") + QStringLiteral("\r\r");
    summary +=
        IntToStr(counter++) + QStringLiteral(") ") + BlockCaption(baGasAnalyser) + QStringLiteral("\r");
    for (int n = 1; n <= 3; ++n) {
        ShowActivity(n, false);
        if (IsBlockPresent(uint8_t(n)) && ReadBlock(n))
            summary += IntToStr(counter++) + QStringLiteral(") ") + BlockCaption(n) + QStringLiteral("\r");
    }
    SetStatusText(0, Msg("CommonName", "Устройство"));
    SetStatusText(1, Msg("SettingsRead", "Настройки загружены"));
    op.Done();
    op.Info(summary, readCaption, __LINE__);
    CloseDevice();
}

void TMainForm::BlockReadNClick(TObject*) {
    TDeviceCommand op(this);
    if (!OpenDevice()) {
        ShowDeviceMissing(__LINE__);
        return;
    }
    const int p = MainPageControl->ActivePageIndex();
    if (p >= 0 && p <= 3) {
        const BlockTexts& b = Blocks[p];
        const String caption = BlockCaption(p);
        ShowActivity(p, false);
        if (p >= 1 && !IsBlockPresent(uint8_t(p))) {
            op.Fail(Msg(b.MissingKey, b.Missing), caption, __LINE__);
        } else if (ReadBlock(p)) {
            SetStatusText(0, caption);
            SetStatusText(1, Msg("SettingsRead", "Настройки загружены"));
            op.Done();
            op.Info(Msg(b.ReadKey, b.Read), caption, __LINE__);
        } else {
            op.Fail(Msg(b.ReadErrorKey, b.ReadError), caption, __LINE__);
        }
    }
    CloseDevice();
}

void TMainForm::DevWriteNClick(TObject*) {
    TDeviceCommand op(this);
    if (!OpenDevice()) {
        ShowDeviceMissing(__LINE__);
        return;
    }
    if (!EncodeBlock(baGasAnalyser)) {
        CloseDevice();
        op.Warn(CheckText(baGasAnalyser, true), BlockCaption(baGasAnalyser), __LINE__);
        return;
    }
    const String writeCaption = Msg("WriteMsgCaption", "Запись настроек");
    bool chosen[4] = {true, false, false, false};
    for (int n = 1; n <= 3; ++n) {
        ShowActivity(n, true);
        if (!IsBlockPresent(uint8_t(n))) {
            // No answer is not "absent": the device may be busy with this very query, and what
            // it answers next could be taken for a write's acknowledgement.  Nothing is written.
            if (LinkFailed()) {
                CloseDevice();
                const BlockTexts& b = Blocks[n];
                op.Fail(Msg(b.WriteErrorKey, b.WriteErrorWhole), writeCaption, __LINE__);
                return;
            }
            continue;
        }
        if (Trim(FirmwareEdit(n)->Text()).isEmpty()) continue;
        if (!EncodeBlock(n)) {
            CloseDevice();
            op.Warn(CheckText(n, true), BlockCaption(n), __LINE__);
            return;
        }
        chosen[n] = true;
    }
    ShowActivity(baGasAnalyser, true);
    if (!SetServiceMode(true)) {
        CloseDevice();
        op.Fail(Msg("DeviceServiceModeError", "Ошибка установки сервисного режима блока газоанализатора!"),
                BlockCaption(baGasAnalyser), __LINE__);
        return;
    }
    int counter = 1;
    String summary = Msg("WriteSettingsTo", "Записаны настройки в") + QStringLiteral("\r\r");
    for (int n = 0; n <= 3; ++n) {
        if (!chosen[n]) continue;
        ShowActivity(n, true);
        if (!WriteEncodedBlock(n)) {
            SetServiceMode(false);
            CloseDevice();
            const BlockTexts& b = Blocks[n];
            op.Fail(Msg(b.WriteErrorKey, b.WriteErrorWhole), writeCaption, __LINE__);
            return;
        }
        summary += IntToStr(counter++) + QStringLiteral(") ") + BlockCaption(n) + QStringLiteral("\r");
    }
    SetServiceMode(false);
    CloseDevice();
    SetStatusText(0, Msg("CommonName", "Устройство"));
    SetStatusText(1, Msg("SettingsWrite", "Настройки записаны"));
    op.Done();
    op.Info(summary, writeCaption, __LINE__);
}

void TMainForm::BlockWriteNClick(TObject*) {
    const int p = MainPageControl->ActivePageIndex();
    if (p < 0 || p > 3) return;
    TDeviceCommand op(this);
    const BlockTexts& b = Blocks[p];
    const String caption = BlockCaption(p);
    if (!EncodeBlock(p)) {
        op.Warn(CheckText(p, false), caption, __LINE__);
        return;
    }
    if (!OpenDevice()) {
        ShowDeviceMissing(__LINE__);
        return;
    }
    ShowActivity(p, true);
    if (!SetServiceMode(true)) {
        op.Fail(Msg("DeviceServiceModeError", "Ошибка установки сервисного режима блока газоанализатора!"),
                BlockCaption(baGasAnalyser), __LINE__);
        CloseDevice();
        return;
    }
    if (p >= 1 && !IsBlockPresent(uint8_t(p))) {
        op.Fail(Msg(b.MissingKey, b.Missing), caption, __LINE__);
    } else if (WriteEncodedBlock(p)) {
        SetStatusText(0, caption);
        SetStatusText(1, Msg("SettingsWrite", "Настройки записаны"));
        op.Done();
        op.Info(Msg(b.WriteKey, b.Write), caption, __LINE__);
    } else {
        op.Fail(Msg(b.WriteErrorKey, b.WriteErrorBlock), caption, __LINE__);
    }
    SetServiceMode(false);
    CloseDevice();
}
