// The RS-485 block: read, show, check and encode, write.

#include "app/MainUnit.h"
#include "app/MainUnitPriv.h"

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

#include <array>
#include <limits>

namespace {

// Flag boxes of byte 7, bits 3 to 7.
std::array<TCheckBox*, 5> FuncFlagBoxes(TMainForm* f) {
    return {f->RS485CodingCheckBox, f->RS485DefaultKeyCheckBox, f->RS485BlockStartEndCheckBox,
            f->RS485SKUDSoundCheckBox, f->RS485SKUDTextCheckBox};
}

// Send flags, byte 115, bits 0 to 7.
std::array<TCheckBox*, 8> SendFlagBoxes(TMainForm* f) {
    return {f->RS485ErrorSendCheckBox,    f->RS485LowSendCheckBox,          f->RS485HightSendCheckBox,
            f->RS485BlockCodeCheckBox,    f->RS485NoBlowSendCheckBox,       f->RS485AbortBlowSendCheckBox,
            f->RS485ClickEnabledCheckBox, f->RS485ClickSecondReaderCheckBox};
}

// Codes, bytes 117 to 124.
std::array<TEdit*, 8> CodeEdits(TMainForm* f) {
    return {f->RS485ErrorCodeEdit,      f->RS485LowCodeEdit,     f->RS485HightCodeEdit,
            f->RS485BlockCodeEdit,      f->RS485NoBlowCodeEdit,  f->RS485AbortBlowCodeEdit,
            f->RS485ClickStartCodeEdit, f->RS485ClickEndCodeEdit};
}

} // namespace

// Tenths of a second typed as seconds: v × 10 rounded, halves to even; fails (flagging the
// edit) when unreadable, negative or above Max.
bool TMainForm::GetTenths(TControl* Edit, int Max, int& Tenths) {
    const float v = GetFloatFromControl(Edit, -1);
    Tenths = -1;
    if (v >= 0) {
        const Extended scaled = Extended(v) * 10;
        if (scaled <= Max + 1) Tenths = int(Round(scaled));
    }
    if (Tenths < 0 || Tenths > Max) {
        FlagControl(Edit);
        return false;
    }
    return true;
}

bool TMainForm::ReadRs485Block() {
    TAnswerBuffer a2, a3;
    const uint8_t c2[] = {0xC2}, c3[] = {0xC3};
    if (!IsBlockPresent(baRs485)) return false;
    if (!Exchange(c2, 1, baRs485, a2.data(), 0x2C) || !AnswerCovers(a2.data(), 8)) return false;
    if (!Exchange(c3, 1, baRs485, a3.data(), 0x3C) || !AnswerCovers(a3.data(), 144)) return false;
    return ShowRs485Params(a3.data(), a2.data());
}

bool TMainForm::ShowRs485Params(const uint8_t* A3, const uint8_t* A2) {
    RS485FWLabeledEdit->SetText(FirmwareText(A3[5], A3[6]));
    RS485SerialLabeledEdit->SetText(BcdDigits(A2 + 5, 4).mid(2));
    RS485BlockFuncEdit->SetText(IntToStr((A3[7] & 7) + 1));
    const auto flags = FuncFlagBoxes(this);
    for (int i = 0; i < 5; ++i)
        flags[size_t(i)]->SetChecked((A3[7] >> (i + 3)) & 1);
    RS485ClickPeriodEdit->SetText(TenthsText(A3[8]));
    RS485Addr1Edit->SetText(IntToStr(A3[9]));
    RS485Addr2Edit->SetText(IntToStr(A3[10]));

    // A speed outside the list is shown as it is, so that it can be written back.
    RS485SpeedComboBox->SetItemIndex(-1);
    const String speed = UIntToStr(Le32(A3 + 11));
    const int found = RS485SpeedComboBox->Items()->IndexOf(speed);
    if (found >= 0)
        RS485SpeedComboBox->SetItemIndex(found);
    else
        RS485SpeedComboBox->SetText(speed);

    // 0xFF is an unassigned function and shows as no selection; any other byte beyond the list
    // is kept from the device until the user picks a function.
    for (int i = 0; i < 8; ++i)
        ShowListValue(RS485VirtFuncInComboBox[size_t(i)], A3[15 + i], A3[15 + i] == 0xFF);
    for (int i = 0; i < 16; ++i)
        ShowListValue(RS485VirtFuncOutComboBox[size_t(i)], A3[23 + i], A3[23 + i] == 0xFF);
    RS485VirtReaderOutText1Edit->SetText(DeviceText(A3 + 39, 32));
    RS485VirtReaderOutText2Edit->SetText(DeviceText(A3 + 71, 32));
    for (int i = 0; i < 8; ++i) {
        ShowListValue(RS485VirtValInComboBox[size_t(i)], A3[103 + i] >> 7);
        RS485VirtTimerInEdit[size_t(i)]->SetText(TenthsText(A3[103 + i] & 0x7F));
    }
    RS485BlockTimeoutEdit->SetText(TenthsText(A3[111]));
    RS485BaseCodeEdit->SetText(IntToStr(A3[112]));
    RS485BaseCardEdit->SetText(UIntToStr(Le16(A3 + 113)));
    const auto send = SendFlagBoxes(this);
    for (int i = 0; i < 8; ++i)
        send[size_t(i)]->SetChecked((A3[115] >> i) & 1);
    RS485ErrorAddCodeCheckBox->SetChecked(A3[116] & 0x01);
    RS485LowAddResultCheckBox->SetChecked(A3[116] & 0x02);
    RS485HightAddResultCheckBox->SetChecked(A3[116] & 0x04);
    RS485AddPinCodeCheckBox->SetChecked(A3[116] & 0x80);
    const auto codes = CodeEdits(this);
    for (int i = 0; i < 8; ++i)
        codes[size_t(i)]->SetText(IntToStr(A3[117 + i]));
    for (int i = 0; i < 20; ++i)
        WiegandKeyEdit[size_t(i)]->SetText(IntToStr(A3[125 + i]));
    return true;
}

int TMainForm::EncodeRs485Params(uint8_t* Payload) {
    Payload[0] = 0xD3;
    EncodeFirmware(RS485FWLabeledEdit->Text(), Payload + 1);
    int32_t v = 0;
    if (!GetIntInRange(RS485BlockFuncEdit, 1, 8, v)) return 0;
    uint8_t b3 = uint8_t((v - 1) & 7);
    const auto flags = FuncFlagBoxes(this);
    for (int i = 0; i < 5; ++i)
        if (flags[size_t(i)]->Checked()) b3 |= uint8_t(8 << i);
    Payload[3] = b3;
    int tenths = 0;
    if (!GetTenths(RS485ClickPeriodEdit, 255, tenths)) return 0;
    Payload[4] = uint8_t(tenths);
    if (!GetIntInRange(RS485Addr1Edit, 0, 7, v)) return 0;
    Payload[5] = uint8_t(v);
    if (!GetIntInRange(RS485Addr2Edit, 0, 7, v)) return 0;
    Payload[6] = uint8_t(v);
    if (!GetIntInRange(RS485SpeedComboBox, 0, std::numeric_limits<int32_t>::max(), v)) return 0;
    PutLe32(Payload + 7, uint32_t(v));
    for (int i = 0; i < 8; ++i) {
        if (!CheckShownValue(RS485VirtFuncInComboBox[size_t(i)])) return 0;
        const int idx = RS485VirtFuncInComboBox[size_t(i)]->ItemIndex();
        Payload[11 + i] = idx < 0 ? 0xFF : uint8_t(idx);
    }
    for (int i = 0; i < 16; ++i) {
        if (!CheckShownValue(RS485VirtFuncOutComboBox[size_t(i)])) return 0;
        const int idx = RS485VirtFuncOutComboBox[size_t(i)]->ItemIndex();
        Payload[19 + i] = idx < 0 ? 0xFF : uint8_t(idx);
    }
    PutDeviceText(Payload + 35, RS485VirtReaderOutText1Edit->Text(), 32);
    PutDeviceText(Payload + 67, RS485VirtReaderOutText2Edit->Text(), 32);
    for (int i = 0; i < 8; ++i) {
        if (!CheckShownValue(RS485VirtValInComboBox[size_t(i)])) return 0;
        Payload[99 + i] = RS485VirtValInComboBox[size_t(i)]->ItemIndex() == 1 ? 0x80 : 0;
    }
    for (int i = 0; i < 8; ++i) {
        if (!GetTenths(RS485VirtTimerInEdit[size_t(i)], 0x7F, tenths)) return 0;
        Payload[99 + i] |= uint8_t(tenths);
    }
    if (!GetTenths(RS485BlockTimeoutEdit, 255, tenths)) return 0;
    Payload[107] = uint8_t(tenths);
    if (!GetIntInRange(RS485BaseCodeEdit, 0, 255, v)) return 0;
    Payload[108] = uint8_t(v);
    if (!GetIntInRange(RS485BaseCardEdit, 0, 65535, v)) return 0;
    PutLe16(Payload + 109, uint32_t(v));
    uint8_t send = 0;
    const auto sendBoxes = SendFlagBoxes(this);
    for (int i = 0; i < 8; ++i)
        if (sendBoxes[size_t(i)]->Checked()) send |= uint8_t(1 << i);
    Payload[111] = send;
    uint8_t add = 0;
    if (RS485ErrorAddCodeCheckBox->Checked()) add |= 0x01;
    if (RS485LowAddResultCheckBox->Checked()) add |= 0x02;
    if (RS485HightAddResultCheckBox->Checked()) add |= 0x04;
    if (RS485AddPinCodeCheckBox->Checked()) add |= 0x80;
    Payload[112] = add;
    const auto codes = CodeEdits(this);
    for (int i = 0; i < 8; ++i) {
        if (!GetIntInRange(codes[size_t(i)], 0, 255, v)) return 0;
        Payload[113 + i] = uint8_t(v);
    }
    for (int i = 0; i < 20; ++i) {
        if (!GetIntInRange(WiegandKeyEdit[size_t(i)], 0, 255, v)) return 0;
        Payload[121 + i] = uint8_t(v);
    }
    return 141;
}

bool TMainForm::WriteRs485Block(uint8_t* Payload, int Length) {
    return WritePacket(Payload, Length, baRs485);
}
