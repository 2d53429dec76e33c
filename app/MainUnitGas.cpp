// The gas analyser block: read, show, check and encode, write.

#include "app/MainUnit.h"
#include "app/MainUnitPriv.h"
#include "app/UnitsUnit.h"

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

#include <array>
#include <cmath>
#include <cstring>

namespace {

// Option bits of the parameter group, bit 0 first.
std::array<TCheckBox*, 8> GasOptionBoxes(TMainForm* f) {
    return {f->DevDispOnCheckBox,     f->DevSoundOnCheckBox,     f->DevExtSoundCheckBox,
            f->DevKeybOnCheckBox,     f->DevWaitModeOffCheckBox, f->DevSysTestAfter0CheckBox,
            f->DevWarnVerifyCheckBox, f->DevTestBreakCheckBox};
}

std::array<TEdit*, 8> GasTextEdits(TMainForm* f) {
    return {f->DevText1Part1Edit, f->DevText1Part2Edit, f->DevText2Part1Edit, f->DevText2Part2Edit,
            f->DevText3Part1Edit, f->DevText3Part2Edit, f->DevText4Part1Edit, f->DevText4Part2Edit};
}

// A units code whose unit or ratio the units dialog has no entry for is not sent back in place
// of what the device holds: the units edit is marked until the user picks the units.
void ShowUnitsCodeState(TMainForm* f, uint8_t Code, uint8_t Raw) {
    if ((Code >> 4) < UnitsCount && (Code & 0x0F) < RatioCount) {
        if (f->HoldsUnshownValue(f->DevUnitsLabeledEdit)) f->DevUnitsLabeledEdit->SetColor(clBtnFace);
        f->ClearUnshownValue(f->DevUnitsLabeledEdit);
    } else {
        f->MarkUnshownValue(f->DevUnitsLabeledEdit, Code * 256 + Raw);
    }
}

} // namespace

bool TMainForm::ReadGasAnalyser() {
    TAnswerBuffer a3, a2, a6, a1, a4;
    std::array<uint8_t, 256> texts{};
    const uint8_t c3[] = {0xC3}, c2[] = {0xC2}, c6[] = {0xC6}, c1[] = {0xC1};
    if (!Exchange(c3, 1, baGasAnalyser, a3.data(), 0x3C) || !AnswerCovers(a3.data(), 16)) return false;
    if (!Exchange(c2, 1, baGasAnalyser, a2.data(), 0x2C) || !AnswerCovers(a2.data(), 11)) return false;
    if (!Exchange(c6, 1, baGasAnalyser, a6.data(), 0x6C) || !AnswerCovers(a6.data(), 8)) return false;
    if (!Exchange(c1, 1, baGasAnalyser, a1.data(), 0x1C) || !AnswerCovers(a1.data(), 9)) return false;
    for (uint8_t i = 0; i < 4; ++i) {
        const uint8_t c4[] = {0xC4, i};
        if (!Exchange(c4, 2, baGasAnalyser, a4.data(), 0x4C) || !AnswerCovers(a4.data(), 36)) return false;
        std::memcpy(texts.data() + 32 * i, a4.data() + 5, 32);
    }
    return ShowGasAnalyserParams(a3.data(), a2.data(), texts.data(), a1.data(), a6.data());
}

bool TMainForm::ShowGasAnalyserParams(const uint8_t* A3, const uint8_t* A2, const uint8_t* Texts,
                                      const uint8_t* A1, const uint8_t* A6) {
    DevFWLabeledEdit->SetText(FirmwareText(A3[5], A3[6]));
    DevBlowTimeoutLabeledEdit->SetText(IntToStr(A3[8]));
    DevLowResViewLabeledEdit->SetText(IntToStr(A3[12]));
    DevHightResViewLabeledEdit->SetText(IntToStr(A3[13]));
    DevPressLevelLabeledEdit->SetText(IntToStr(A3[14]));
    DevResTimeoutLabeledEdit->SetText(TenthsText(A3[15]));
    DevPulseLabeledEdit->SetText(UIntToStr(Le16(A3 + 9)));
    const auto boxes = GasOptionBoxes(this);
    for (int bit = 0; bit < 8; ++bit)
        boxes[size_t(bit)]->SetChecked((A3[7] >> bit) & 1);

    UnitsForm->ThresholdRaw = A3[11];
    UnitsForm->SetUnitsCode(A3[16]);
    ShowThreshold();
    ShowUnitsCodeState(this, A3[16], A3[11]);

    DevSerialLabeledEdit->SetText(BcdDigits(A2 + 5, 4).mid(2));
    DevDateLabeledEdit->SetText(BcdDate(A2 + 9, false));
    DevTimeLabeledEdit->SetText(BcdDate(A1 + 5, true));
    VerifyDateLabeledEdit->SetText(BcdDate(A6 + 5, false));
    // A reminder of 0 shows no interval and goes back as 0; one beyond the list is kept from
    // the device until the user picks an interval.
    ShowListValue(VerifyWarnComboBox, int(A6[8]) - 1, A6[8] == 0);

    const auto edits = GasTextEdits(this);
    for (int i = 0; i < 8; ++i)
        edits[size_t(i)]->SetText(DeviceText(Texts + 16 * i, 16));
    return true;
}

void TMainForm::ShowThreshold() {
    DevMinResValueLabeledEdit->SetText(UnitsForm->GetThresholdText());
    DevMinResValueLabeledEdit->EditLabel()->SetCaption(UnitsForm->GetThresholdCaption());
    DevUnitsLabeledEdit->SetText(UnitsForm->GetUnitsCaption());
}

bool TMainForm::CheckThreshold() {
    const float v = GetFloatFromControl(DevMinResValueLabeledEdit, UnitsForm->GetThresholdStep());
    if (v < 0) return false;
    if (!UnitsForm->SetThreshold(v)) {
        FlagControl(DevMinResValueLabeledEdit);
        return false;
    }
    return true;
}

int TMainForm::EncodeGasAnalyserParams(uint8_t* Payload) {
    Payload[0] = 0xD3;
    EncodeFirmware(DevFWLabeledEdit->Text(), Payload + 1);
    const auto boxes = GasOptionBoxes(this);
    uint8_t options = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (boxes[size_t(bit)]->Checked()) options |= uint8_t(1 << bit);
    Payload[3] = options;
    int32_t v = 0;
    if (!GetIntInRange(DevBlowTimeoutLabeledEdit, 0, 255, v)) return 0;
    Payload[4] = uint8_t(v);
    if (!GetIntInRange(DevPulseLabeledEdit, 0, 65535, v)) return 0;
    PutLe16(Payload + 5, uint32_t(v));
    if (!GetIntInRange(DevLowResViewLabeledEdit, 0, 255, v)) return 0;
    Payload[8] = uint8_t(v);
    if (!GetIntInRange(DevHightResViewLabeledEdit, 0, 255, v)) return 0;
    Payload[9] = uint8_t(v);
    if (!GetIntInRange(DevPressLevelLabeledEdit, 0, 255, v)) return 0;
    Payload[10] = uint8_t(v);

    // Blow time in half seconds, halves going up.
    const float t = GetFloatFromControl(DevResTimeoutLabeledEdit, -1);
    const int64_t tenths = t < 0 ? -1 : 5 * (Trunc((Extended(t) + 0.25) * 10) / 5);
    if (tenths < 0 || tenths > 255) {
        FlagControl(DevResTimeoutLabeledEdit);
        return 0;
    }
    Payload[11] = uint8_t(tenths);

    if (!CheckShownValue(DevUnitsLabeledEdit) || !CheckThreshold()) return 0;
    Payload[7] = UnitsForm->ThresholdRaw;
    Payload[12] = UnitsForm->GetUnitsCode();
    return 13;
}

int TMainForm::EncodeGasAnalyserInterval(uint8_t* Payload) {
    Payload[0] = 0xD6;
    if (!CheckShownValue(VerifyWarnComboBox)) return 0;
    Payload[1] = uint8_t(VerifyWarnComboBox->ItemIndex() + 1);
    return 2;
}

int TMainForm::EncodeGasAnalyserTexts(uint8_t* Payloads) {
    const auto edits = GasTextEdits(this);
    for (int i = 0; i < 4; ++i) {
        uint8_t* p = Payloads + 34 * i;
        p[0] = 0xD4;
        p[1] = uint8_t(i);
        PutDeviceText(p + 2, edits[size_t(2 * i)]->Text(), 16);
        PutDeviceText(p + 18, edits[size_t(2 * i + 1)]->Text(), 16);
    }
    return 136;
}

bool TMainForm::WriteGasAnalyser(uint8_t* P3, int L3, uint8_t* P6, int L6, uint8_t* Texts, int LTexts) {
    if (!WritePacket(P3, L3, baGasAnalyser)) return false;
    if (!WritePacket(P6, L6, baGasAnalyser)) return false;
    const int quarter = LTexts / 4;
    for (int i = 0; i < 4; ++i)
        if (!WritePacket(Texts + quarter * i, quarter, baGasAnalyser)) return false;
    return true;
}
