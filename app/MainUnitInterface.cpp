// The interface block: read, show (with the events table), check and encode, write.

#include "app/ControlEventsTable.h"
#include "lib/dbgrid/DBGridEh.h"
#include "app/MainUnit.h"
#include "app/MainUnitPriv.h"
#include "events/EventEditUnit.h"

#include "lib/memtable/MemTableEh.h"

#include "platform/ui/Buttons.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

#include <algorithm>
#include <array>

namespace {

constexpr int EventsPerPacket = 64;

std::array<TEdit*, 4> InterfaceTextEdits(TMainForm* f) {
    return {f->ControlText1Part1Edit, f->ControlText1Part2Edit, f->ControlText2Part1Edit,
            f->ControlText2Part2Edit};
}

// The events an answer carries: the bytes between its fixed part (Fixed bytes of the length,
// sum included) and the sum, two to an event; an unpaired last byte is no event.
int EventPairs(const uint8_t* Answer, int Fixed) {
    return std::max(0, int(Answer[1]) - Fixed) / 2;
}

void AppendPairs(TDataSet* Table, const uint8_t* P, int Count) {
    for (int i = 0; i < Count; ++i)
        AppendControlEvent(Table, P[2 * i], P[2 * i + 1]);
}

} // namespace

bool TMainForm::ReadInterfaceBlock() {
    TAnswerBuffer a2, a3, a4, a5;
    const uint8_t c2[] = {0xC2}, c3[] = {0xC3}, c4[] = {0xC4}, c5[] = {0xC5};
    if (!Exchange(c2, 1, baInterface, a2.data(), 0x2C) || !AnswerCovers(a2.data(), 8)) return false;
    if (!Exchange(c3, 1, baInterface, a3.data(), 0x3C) || !AnswerCovers(a3.data(), 36)) return false;
    if (!SendRequest(c4, 1, baInterface) || !ReceiveAnswer(a4.data()) || (a4[4] != 0x4C && a4[4] != 0))
        return false;
    if (!Exchange(c5, 1, baInterface, a5.data(), 0x5C) || !AnswerCovers(a5.data(), 68)) return false;
    return ShowInterfaceParams(a3.data(), a4.data(), a5.data(), a2.data());
}

bool TMainForm::ShowInterfaceParams(const uint8_t* A3, const uint8_t* A4, const uint8_t* A5,
                                    const uint8_t* A2) {
    // The block runs MaxControlEvents events; an answer with more is not the block's table, and
    // nothing of it is shown.
    if (EventPairs(A3, 38) + EventPairs(A4, 6) > MaxControlEvents) return false;
    ControlFWLabeledEdit->SetText(FirmwareText(A3[5], A3[6]));
    ControlSerialLabeledEdit->SetText(BcdDigits(A2 + 5, 4).mid(2));
    for (int n = 0; n < 4; ++n) {
        ShowListValue(CopyOutComboBox[size_t(n)], (A3[7] >> n) & 1);
        ShowListValue(ControlWorkModeOutComboBox[size_t(n)], (A3[7] >> (n + 4)) & 1);
    }
    ControlOutDurLabeledEdit->SetText(UIntToStr(Le16(A3 + 9)));
    const uint8_t options = A3[8];
    ControlCopyFromMainCheckBox->SetChecked(options & 0x01);
    for (int n = 0; n < 3; ++n)
        ShowListValue(ControlTamperComboBox[size_t(n)], (options >> (n + 1)) & 1);
    WiegandSaveCodeSinglCheckBox->SetChecked(options & 0x10);
    WiegandInEvenBitsCheckBox->SetChecked(options & 0x40);
    WiegandSaveCodeCheckBox->SetChecked(options & 0x80);
    WiegandInTimeoutLabeledEdit->SetText(UIntToStr(Le16(A3 + 35)));
    for (int i = 0; i < 8; ++i)
        ControlTestCardEdit[size_t(i)]->SetText(UIntToStr(A3[21 + i]));
    WiegandInBitsLabeledEdit->SetText(UIntToStr(A3[12]));
    WiegandOutDurLabeledEdit->SetText(UIntToStr(Le16(A3 + 29)));
    WiegandOutPeriodLabeledEdit->SetText(UIntToStr(Le16(A3 + 31)));
    WiegandOutTimeoutLabeledEdit->SetText(UIntToStr(Le16(A3 + 33)));
    WiegandOutBitsLabeledEdit->SetText(UIntToStr(A3[11]));
    WiegandOutEvenBitsCheckBox->SetChecked(options & 0x20);
    for (int i = 0; i < 8; ++i)
        ControlTestCardOutEdit[size_t(i)]->SetText(UIntToStr(A3[13 + i]));

    const auto texts = InterfaceTextEdits(this);
    for (int i = 0; i < 4; ++i)
        texts[size_t(i)]->SetText(DeviceText(A5 + 5 + 16 * i, 16));

    // The device's events replace the table, as many as it sends.
    TMemTableEh* table = ControlEventsMemTableEh;
    table->DisableControls();
    table->EmptyTable();
    AppendPairs(table, A3 + 37, EventPairs(A3, 38));
    AppendPairs(table, A4 + 5, EventPairs(A4, 6));
    table->First();
    table->EnableControls();
    ControlEventsMemTableEhCheckUpDownDel(table);
    return true;
}

int TMainForm::EncodeInterfaceParams(uint8_t* Payload) {
    Payload[0] = 0xD3;
    EncodeFirmware(ControlFWLabeledEdit->Text(), Payload + 1);
    uint8_t outputs = 0;
    for (int n = 0; n < 4; ++n) {
        if (!CheckShownValue(CopyOutComboBox[size_t(n)]) ||
            !CheckShownValue(ControlWorkModeOutComboBox[size_t(n)]))
            return 0;
        if (CopyOutComboBox[size_t(n)]->ItemIndex() != 0) outputs |= uint8_t(1 << n);
        if (ControlWorkModeOutComboBox[size_t(n)]->ItemIndex() != 0) outputs |= uint8_t(1 << (n + 4));
    }
    Payload[3] = outputs;
    uint8_t options = 0;
    if (ControlCopyFromMainCheckBox->Checked()) options |= 0x01;
    for (int n = 0; n < 3; ++n) {
        if (!CheckShownValue(ControlTamperComboBox[size_t(n)])) return 0;
        if (ControlTamperComboBox[size_t(n)]->ItemIndex() != 0) options |= uint8_t(2 << n);
    }
    if (WiegandSaveCodeSinglCheckBox->Checked()) options |= 0x10;
    if (WiegandOutEvenBitsCheckBox->Checked()) options |= 0x20;
    if (WiegandInEvenBitsCheckBox->Checked()) options |= 0x40;
    if (WiegandSaveCodeCheckBox->Checked()) options |= 0x80;
    Payload[4] = options;

    int32_t v = 0;
    if (!GetIntInRange(ControlOutDurLabeledEdit, 0, 65535, v)) return 0;
    PutLe16(Payload + 5, uint32_t(v));
    if (!GetIntInRange(WiegandOutBitsLabeledEdit, 0, 255, v)) return 0;
    Payload[7] = uint8_t(v);
    if (!GetIntInRange(WiegandInBitsLabeledEdit, 0, 255, v)) return 0;
    Payload[8] = uint8_t(v);
    for (int i = 0; i < 8; ++i) {
        if (!GetIntInRange(ControlTestCardOutEdit[size_t(i)], 0, 255, v)) return 0;
        Payload[9 + i] = uint8_t(v);
    }
    for (int i = 0; i < 8; ++i) {
        if (!GetIntInRange(ControlTestCardEdit[size_t(i)], 0, 255, v)) return 0;
        Payload[17 + i] = uint8_t(v);
    }
    TLabeledEdit* words[4] = {WiegandOutDurLabeledEdit, WiegandOutPeriodLabeledEdit,
                              WiegandOutTimeoutLabeledEdit, WiegandInTimeoutLabeledEdit};
    for (int i = 0; i < 4; ++i) {
        if (!GetIntInRange(words[i], 0, 65535, v)) return 0;
        PutLe16(Payload + 25 + 2 * i, uint32_t(v));
    }
    // The events go with the parameters; a table the block cannot run is not cut short.
    if (ControlEventsMemTableEh->RecordCount() > MaxControlEvents) {
        FlagControl(ControlEventsDBGridEh);
        return 0;
    }
    return 33;
}

int TMainForm::EncodeInterfaceTexts(uint8_t* Payload) {
    Payload[0] = 0xD5;
    const auto texts = InterfaceTextEdits(this);
    for (int i = 0; i < 4; ++i)
        PutDeviceText(Payload + 1 + 16 * i, texts[size_t(i)]->Text(), 16);
    return 65;
}

int TMainForm::EncodeControlEvents(uint8_t* Payload, int Part) {
    Payload[0] = 0xD4;
    TMemTableEh* table = ControlEventsMemTableEh;
    const int recNo = table->RecNo();
    table->DisableControls();
    if (Part == 1) {
        table->First();
    } else {
        if (table->RecordCount() <= EventsPerPacket) {
            table->EnableControls();
            return 0;
        }
        table->SetRecNo(EventsPerPacket + 1);
    }
    int bytes = 0;
    while (!table->Eof() && bytes < 2 * EventsPerPacket) {
        Payload[1 + bytes++] = ControlEventBt1(table);
        Payload[1 + bytes++] = ControlEventBt2(table);
        table->Next();
    }
    if (recNo > 0) table->SetRecNo(recNo);
    table->EnableControls();
    return bytes ? 1 + bytes : 0;
}

bool TMainForm::WriteInterfaceBlock(uint8_t* P3, int L3, uint8_t* P5, int L5, uint8_t* E1, int LE1,
                                    uint8_t* E2, int LE2) {
    if (!WritePacket(P3, L3, baInterface)) return false;
    if (!WritePacket(P5, L5, baInterface)) return false;
    if (LE1 == 0) return true;
    if (!WritePacket(E1, LE1, baInterface)) return false;
    if (LE2 == 0) return true;
    return WritePacket(E2, LE2, baInterface);
}
