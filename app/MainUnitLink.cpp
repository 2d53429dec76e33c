// The device link: request and answer frames over the USB-serial adapter, and the small
// control commands (presence, service mode, clock, text display).

#include "app/MainUnit.h"

#include "app/lang/LangUnit.h"
#include "platform/serial/Ftd2xx.h"

#include <cstring>

namespace {

constexpr uint8_t FrameStart = 0xAA;
constexpr uint8_t FrameMarker = 0xA1;
constexpr int MaxRequestData = 251; // a frame is at most 256 bytes
constexpr uint32_t AnswerTimeoutMs = 10000;
// Shorter answers cannot hold a status byte; they are refused, never read past their end.
constexpr int MinAnswerLength = 6;

} // namespace

const char* const TMainForm::Version = "0.14";

bool TMainForm::SendRequest(const uint8_t* Data, int DataLength, uint8_t Address) {
    if (!DeviceHandle || DataLength < 0 || DataLength > MaxRequestData) return false;
    uint8_t frame[256];
    const int length = DataLength + 5;
    frame[0] = FrameStart;
    frame[1] = uint8_t(length);
    frame[2] = Address;
    frame[3] = FrameMarker;
    if (DataLength > 0) std::memcpy(frame + 4, Data, size_t(DataLength));
    uint8_t sum = 0;
    for (int i = 0; i < length - 1; ++i)
        sum = uint8_t(sum + frame[i]);
    frame[length - 1] = sum;
    uint32_t written = 0;
    FT_STATUS s = FT_Write(DeviceHandle, frame, uint32_t(length), &written);
    return s == FT_OK && written == uint32_t(length);
}

// Polls the adapter until at least Count bytes wait; false on a driver error or when more than
// ten seconds have passed since Since.
bool TMainForm::WaitForBytes(uint32_t Count, uint32_t Since) {
    for (;;) {
        uint32_t queued = 0;
        if (FT_GetQueueStatus(DeviceHandle, &queued) != FT_OK) return false;
        if (queued >= Count) return true;
        if (TickCount() - Since > AnswerTimeoutMs) return false;
        SleepMs(1);
    }
}

bool TMainForm::ReceiveAnswer(uint8_t* Answer) {
    // A stale byte of an earlier, longer answer must never be taken for part of this one.
    std::memset(Answer, 0, sizeof(TAnswerBuffer));
    if (!DeviceHandle) return false;
    if (!WaitForBytes(3, TickCount())) return false;
    const uint32_t t1 = TickCount();
    uint8_t header[2];
    uint32_t got = 0;
    if (FT_Read(DeviceHandle, header, 2, &got) != FT_OK || got != 2) return false;
    const int length = header[1];
    if (length < 2) return false; // nothing more can make it whole
    uint8_t rest[256];
    const uint32_t restCount = uint32_t(length - 2);
    if (restCount > 0) {
        if (!WaitForBytes(restCount, t1)) return false;
        if (FT_Read(DeviceHandle, rest, restCount, &got) != FT_OK || got != restCount) return false;
    }
    // The frame is taken off the line whole even when it is too short to use.
    if (length < MinAnswerLength) return false;
    Answer[0] = header[0];
    Answer[1] = header[1];
    std::memcpy(Answer + 2, rest, restCount);
    uint8_t sum = 0;
    for (int i = 0; i < length - 1; ++i)
        sum = uint8_t(sum + Answer[i]);
    return sum == Answer[length - 1];
}

bool TMainForm::OpenDevice() {
    FT_HANDLE handle = nullptr;
    FT_STATUS s = FT_Open(0, &handle);
    if (s != FT_OK) {
        // Only an adapter that was opened is closed.
        if (handle) FT_Close(handle);
        DeviceHandle = nullptr;
        ShowMsgBox(GetMsgFmt("DeviceOpenError", "Ошибка открытия устройства (%ld)!", long(s)),
                   GetMsg("ErrorCaption", "Ошибка"), MsgBoxError, "MainUnit", __LINE__);
        return false;
    }
    DeviceHandle = handle;
    FT_STATUS setup = FT_SetBaudRate(handle, 38400);
    setup |= FT_SetTimeouts(handle, 100, 100);
    setup |= FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
    if (setup != FT_OK) {
        FT_Close(handle);
        DeviceHandle = nullptr;
        ShowMsgBox(GetMsgFmt("DeviceSetupError", "Ошибка настройки устройства (%d)!", int(setup)),
                   GetMsg("ErrorCaption", "Ошибка"), MsgBoxError, "MainUnit", __LINE__);
        return false;
    }
    return true;
}

bool TMainForm::CloseDevice() {
    if (!DeviceHandle) return true;
    FT_STATUS s = FT_Close(DeviceHandle);
    DeviceHandle = nullptr;
    if (s != FT_OK) {
        ShowMsgBox(GetMsgFmt("DeviceCloseError", "Ошибка закрытия устройства (%d)!", int(s)),
                   GetMsg("ErrorCaption", "Ошибка"), MsgBoxError, "MainUnit", __LINE__);
        return false;
    }
    return true;
}

bool TMainForm::Exchange(const uint8_t* Data, int Length, uint8_t Address, uint8_t* Answer, int Status) {
    if (!SendRequest(Data, Length, Address)) return false;
    if (!ReceiveAnswer(Answer)) return false;
    return Answer[4] == Status;
}

bool TMainForm::WritePacket(uint8_t* Payload, int Length, uint8_t Address) {
    if (!SendRequest(Payload, Length, Address)) return false;
    TAnswerBuffer answer;
    if (!ReceiveAnswer(answer.data())) return false;
    return answer[4] == 1;
}

bool TMainForm::IsBlockPresent(uint8_t N) {
    const uint8_t data[2] = {0xC5, N};
    TAnswerBuffer answer;
    return Exchange(data, 2, baGasAnalyser, answer.data(), 1);
}

bool TMainForm::SetServiceMode(bool On) {
    const uint8_t data[2] = {0xD0, uint8_t(On ? 1 : 0)};
    TAnswerBuffer answer;
    return Exchange(data, 2, baGasAnalyser, answer.data(), 1);
}

bool TMainForm::SendShowTexts() {
    const uint8_t data[1] = {0xD5};
    TAnswerBuffer answer;
    return Exchange(data, 1, baGasAnalyser, answer.data(), 1);
}

uint8_t TMainForm::ByteToBcd(uint8_t V) {
    return uint8_t(((V / 10) << 4) | (V % 10));
}

bool TMainForm::SendClock(TDateTime DateTime) {
    Word year, month, day, hour, minute, sec, msec;
    DecodeDate(DateTime, year, month, day);
    DecodeTime(DateTime, hour, minute, sec, msec);
    const uint8_t data[6] = {0xD1,
                             ByteToBcd(uint8_t(day)),
                             ByteToBcd(uint8_t(month)),
                             ByteToBcd(uint8_t((year + 48) & 0xFF)),
                             ByteToBcd(uint8_t(hour)),
                             ByteToBcd(uint8_t(minute))};
    TAnswerBuffer answer;
    return Exchange(data, 6, baGasAnalyser, answer.data(), 1);
}
