// The Ethernet block's parameters: read, show, check and encode, write.

#include "app/MainUnit.h"
#include "app/MainUnitPriv.h"

#include "lib/lang/LangUnit.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

#include <array>
#include <cstring>

namespace {

// The link mode byte of "Авто".
constexpr uint8_t AutoMode = 5;

// Combo boxes of the option byte, bits 0 to 4.
std::array<TComboBox*, 5> OptionBoxes(TMainForm* f) {
    return {f->EthProtoComboBox, f->EthStaticIPComboBox, f->EthLLMNRComboBox, f->EthRedirectComboBox,
            f->EthAuthComboBox};
}

String IpText(const uint8_t* P) {
    return QStringLiteral("%1.%2.%3.%4").arg(P[0]).arg(P[1]).arg(P[2]).arg(P[3]);
}

} // namespace

bool TMainForm::ReadEthernetBlock() {
    TAnswerBuffer a1, a2, a3;
    const uint8_t c1[] = {0xC1}, c2[] = {0xC2}, c3[] = {0xC3};
    if (!IsBlockPresent(baEthernet)) return false;
    if (!Exchange(c1, 1, baEthernet, a1.data(), 0x1C) || !AnswerCovers(a1.data(), 10)) return false;
    if (!Exchange(c2, 1, baEthernet, a2.data(), 0x2C) || !AnswerCovers(a2.data(), 8)) return false;
    if (!Exchange(c3, 1, baEthernet, a3.data(), 0x3C) || !AnswerCovers(a3.data(), 22)) return false;
    if (!ReadEthernetFileList(false)) {
        EthFilesSpaceStaticText->SetCaption(GetMsg("EthFilesReadError", "Ошибка загрузки списка файлов"));
        return false;
    }
    return ShowEthernetParams(a3.data(), a2.data(), a1.data());
}

bool TMainForm::ShowEthernetParams(const uint8_t* A3, const uint8_t* A2, const uint8_t* A1) {
    EthFWLabeledEdit->SetText(FirmwareText(A3[5], A3[6]));
    EthSerialLabeledEdit->SetText(BcdDigits(A2 + 5, 4));
    EthMACLabeledEdit->SetText(QStringLiteral("%1:%2:%3:%4:%5:%6")
                                   .arg(A1[5], 2, 16, QLatin1Char('0'))
                                   .arg(A1[6], 2, 16, QLatin1Char('0'))
                                   .arg(A1[7], 2, 16, QLatin1Char('0'))
                                   .arg(A1[8], 2, 16, QLatin1Char('0'))
                                   .arg(A1[9], 2, 16, QLatin1Char('0'))
                                   .arg(A1[10], 2, 16, QLatin1Char('0'))
                                   .toUpper());
    EthStaticIPLabeledEdit->SetText(IpText(A3 + 15));
    EthStaticMaskLabeledEdit->SetText(IpText(A3 + 11));
    EthStaticGWLabeledEdit->SetText(IpText(A3 + 7));
    std::memcpy(LastEthAddressBytes.data(), A3 + 7, 12);
    EthPortLabeledEdit->SetText(UIntToStr(Le16(A3 + 19)));
    const auto boxes = OptionBoxes(this);
    for (int i = 0; i < 5; ++i)
        ShowListValue(boxes[size_t(i)], (A3[21] >> i) & 1);
    EthRusJSONCheckBox->SetChecked(A3[21] & 0x20);
    EthEngJSONCheckBox->SetChecked(A3[21] & 0x40);
    // Bytes 0 to 3 are items 1 to 4, 5 the automatic mode the tool writes for "Авто"; a byte
    // the list has no item for is kept from the device until the user picks a mode.
    ShowListValue(EthModeComboBox, A3[22] == AutoMode ? 0 : A3[22] + 1);
    UpdateStaticAddressEdits();
    return true;
}

void TMainForm::UpdateStaticAddressEdits() {
    const bool isStatic = EthStaticIPComboBox->ItemIndex() == 0;
    EthStaticIPLabeledEdit->SetVisible(isStatic);
    EthStaticMaskLabeledEdit->SetVisible(isStatic);
    EthStaticGWLabeledEdit->SetVisible(isStatic);
}

void TMainForm::EthStaticIPComboBoxChange(TObject* Sender) {
    ChangeControlColor(Sender);
    UpdateStaticAddressEdits();
}

int TMainForm::EncodeEthernetParams(uint8_t* Payload) {
    Payload[0] = 0xD3;
    EncodeFirmware(EthFWLabeledEdit->Text(), Payload + 1);
    if (EthStaticIPComboBox->ItemIndex() == 0) {
        uint32_t ip = 0, mask = 0, gw = 0;
        if (!GetIpFromEdit(EthStaticIPLabeledEdit, ip)) return 0;
        PutLe32(Payload + 11, ip);
        if (!GetIpFromEdit(EthStaticMaskLabeledEdit, mask)) return 0;
        PutLe32(Payload + 7, mask);
        if (!GetIpFromEdit(EthStaticGWLabeledEdit, gw)) return 0;
        PutLe32(Payload + 3, gw);
    } else {
        std::memcpy(Payload + 3, LastEthAddressBytes.data(), 12);
    }
    int32_t port = 0;
    if (!GetIntInRange(EthPortLabeledEdit, 0, 65535, port)) return 0;
    PutLe16(Payload + 15, uint32_t(port));
    uint8_t options = 0;
    const auto boxes = OptionBoxes(this);
    for (int i = 0; i < 5; ++i) {
        if (!CheckShownValue(boxes[size_t(i)])) return 0;
        if (boxes[size_t(i)]->ItemIndex() != 0) options |= uint8_t(1 << i);
    }
    if (EthRusJSONCheckBox->Checked()) options |= 0x20;
    if (EthEngJSONCheckBox->Checked()) options |= 0x40;
    Payload[17] = options;
    if (!CheckShownValue(EthModeComboBox)) return 0;
    const int mode = EthModeComboBox->ItemIndex();
    Payload[18] = mode >= 1 && mode <= 4 ? uint8_t(mode - 1) : AutoMode;
    return 19;
}

bool TMainForm::WriteEthernetBlock(uint8_t* Payload, int Length) {
    return WritePacket(Payload, Length, baEthernet);
}
