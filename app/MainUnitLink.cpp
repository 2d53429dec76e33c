// The device link: request and answer frames over the USB-serial adapter, and the small
// control commands (presence, service mode, clock, text display).

#include "app/MainUnit.h"

#include "app/lang/LangUnit.h"
#include "platform/serial/Ftd2xx.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

constexpr uint8_t FrameStart = 0xAA;
constexpr uint8_t FrameMarker = 0xA1;
constexpr int MaxRequestData = 251; // a frame is at most 256 bytes
constexpr uint32_t AnswerTimeoutMs = 10000;
constexpr uint32_t LineBaud = 38400;
// Shorter answers cannot hold a status byte; they are refused, never read past their end.
constexpr int MinAnswerLength = 6;
// The longest stretch a wait goes without letting the windows paint.
constexpr uint32_t PaintSliceMs = 40;

// Requests that change the device (service mode on included); after a failed exchange none of
// them goes out, because the device's answers can no longer be told apart.  The Ethernet block's
// file list and entry queries only read.
bool IsWriteRequest(const uint8_t* Data, int Length, uint8_t Address) {
    if (Length < 1) return false;
    switch (Data[0]) {
    case 0xD0:
        return Length >= 2 && Data[1] != 0;
    case 0xD4:
        return !(Address == baEthernet && Length >= 2 && (Data[1] == 0x00 || Data[1] == 0x04));
    case 0xD1:
    case 0xD3:
    case 0xD5:
    case 0xD6:
        return true;
    default:
        return false;
    }
}

} // namespace

const char* const TMainForm::Version = "0.14";

// The first failure of an operation is the one the user is told about: later ones follow from it.
bool TMainForm::LinkFailure(const String& Reason) {
    if (!FLinkFailed) FLinkError = Reason;
    FLinkFailed = true;
    return false;
}

bool TMainForm::SendRequest(const uint8_t* Data, int DataLength, uint8_t Address) {
    if (!DeviceHandle || DataLength < 0 || DataLength > MaxRequestData) return false;
    if (FLinkFailed && IsWriteRequest(Data, DataLength, Address)) return false;
    // Whatever waits now answers no request of ours (the rest of a cut answer, a late one):
    // it must not be taken for this request's answer.
    if (FT_Purge(DeviceHandle, FT_PURGE_RX) != FT_OK)
        return LinkFailure(GetMsg("LinkAdapterError", "Ошибка адаптера при обмене с устройством."));
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
    FRequestAddress = Address;
    FRequestCommand = DataLength > 0 ? Data[0] : 0;
    uint32_t written = 0;
    FT_STATUS s = FT_Write(DeviceHandle, frame, uint32_t(length), &written);
    if (s != FT_OK || written != uint32_t(length))
        return LinkFailure(GetMsgFmt("LinkSendError", "%s: запрос 0x%.2X не передан.",
                                     BlockCaption(Address & 3), int(FRequestCommand)));
    return true;
}

void TMainForm::WaitForAdapter(uint32_t Ms) {
    uint32_t queued = 0;
    if (DeviceHandle && FT_GetQueueStatus(DeviceHandle, &queued) == FT_OK && queued > 0) {
        // Part of the answer is here and the port would wake us at once: the rest needs its time
        // on the line, so sleep that long instead of spinning.
        const uint64_t us = std::min<uint64_t>(uint64_t(FBytesMissing) * 10'000'000 / LineBaud, Ms * 1000ull);
        std::this_thread::sleep_for(std::chrono::microseconds(std::max<uint64_t>(us, 50)));
        return;
    }
    // A port that cannot be waited on (hung up) still sleeps the whole slice: the caller's
    // time-out must run out without spinning.
    if (!DeviceHandle || FT_WaitForReceive(DeviceHandle, Ms) != FT_OK) Sleep(Ms);
}

// Waits until at least Count bytes are queued; false on a driver error or when more than ten
// seconds have passed since Since.  The wait sleeps on the port and lets the windows paint.
bool TMainForm::WaitForBytes(uint32_t Count, uint32_t Since) {
    for (;;) {
        uint32_t queued = 0;
        if (FT_GetQueueStatus(DeviceHandle, &queued) != FT_OK) {
            FAdapterFault = true;
            return LinkFailure(GetMsg("LinkAdapterError", "Ошибка адаптера при обмене с устройством."));
        }
        if (queued >= Count) return true;
        const uint32_t waited = TickCount() - Since;
        if (waited > AnswerTimeoutMs) return false;
        SetBusyCursor(true);
        FBytesMissing = Count - queued;
        SleepMs(std::min(AnswerTimeoutMs + 1 - waited, PaintSliceMs));
        if (TickCount() - FLastPaint >= PaintSliceMs) {
            ProcessPaintMessages();
            FLastPaint = TickCount();
        }
    }
}

bool TMainForm::ReceiveAnswer(uint8_t* Answer) {
    // A stale byte of an earlier, longer answer must never be taken for part of this one.
    std::memset(Answer, 0, sizeof(TAnswerBuffer));
    if (!DeviceHandle) return false;
    const String block = BlockCaption(FRequestAddress & 3);
    const int command = FRequestCommand;
    FAdapterFault = false;
    if (!WaitForBytes(3, TickCount())) {
        if (FAdapterFault) return false;
        return LinkFailure(
            GetMsgFmt("LinkTimeoutError", "%s не ответил на запрос 0x%.2X за 10 с.", block, command));
    }
    const uint32_t t1 = TickCount();
    uint8_t header[2];
    uint32_t got = 0;
    if (FT_Read(DeviceHandle, header, 2, &got) != FT_OK || got != 2)
        return LinkFailure(GetMsg("LinkAdapterError", "Ошибка адаптера при обмене с устройством."));
    // An answer starts with the start byte; anything else is the tail of something older.
    if (header[0] != FrameStart)
        return LinkFailure(
            GetMsgFmt("LinkFrameError", "%s: неверный ответ на запрос 0x%.2X.", block, command));
    const int length = header[1];
    if (length < 2) // nothing more can make it whole
        return LinkFailure(
            GetMsgFmt("LinkFrameError", "%s: неверный ответ на запрос 0x%.2X.", block, command));
    uint8_t rest[256];
    const uint32_t restCount = uint32_t(length - 2);
    if (restCount > 0) {
        if (!WaitForBytes(restCount, t1)) {
            if (FAdapterFault) return false;
            uint32_t queued = 0;
            FT_GetQueueStatus(DeviceHandle, &queued);
            return LinkFailure(GetMsgFmt("LinkCutError",
                                         "%s: ответ на запрос 0x%.2X оборвался (получено %d из %d байт).",
                                         block, command, int(queued) + 2, length));
        }
        if (FT_Read(DeviceHandle, rest, restCount, &got) != FT_OK || got != restCount)
            return LinkFailure(GetMsg("LinkAdapterError", "Ошибка адаптера при обмене с устройством."));
    }
    // The frame is taken off the line whole even when it is too short to use.
    if (length < MinAnswerLength)
        return LinkFailure(
            GetMsgFmt("LinkFrameError", "%s: неверный ответ на запрос 0x%.2X.", block, command));
    Answer[0] = header[0];
    Answer[1] = header[1];
    std::memcpy(Answer + 2, rest, restCount);
    uint8_t sum = 0;
    for (int i = 0; i < length - 1; ++i)
        sum = uint8_t(sum + Answer[i]);
    if (sum != Answer[length - 1]) {
        std::memset(Answer, 0, sizeof(TAnswerBuffer));
        return LinkFailure(GetMsgFmt(
            "LinkSumError", "%s: неверная контрольная сумма ответа на запрос 0x%.2X.", block, command));
    }
    // Another block's answer belongs to an older request.
    if (Answer[2] != FRequestAddress) {
        std::memset(Answer, 0, sizeof(TAnswerBuffer));
        return LinkFailure(
            GetMsgFmt("LinkFrameError", "%s: неверный ответ на запрос 0x%.2X.", block, command));
    }
    return true;
}

bool TMainForm::OpenDevice() {
    FT_HANDLE handle = nullptr;
    FT_STATUS s = FT_Open(0, &handle);
    if (s != FT_OK) {
        // Only an adapter that was opened is closed.
        if (handle) FT_Close(handle);
        DeviceHandle = nullptr;
        // The status alone does not tell the user what to do; the adapter layer knows why.
        String text = GetMsgFmt("DeviceOpenError", "Ошибка открытия устройства (%ld)!", long(s));
        const String reason = QString::fromStdString(FT_GetLastOpenError());
        std::fprintf(stderr, "setupkvt: %s %s\n", text.toUtf8().constData(), reason.toUtf8().constData());
        if (!reason.isEmpty()) text += QStringLiteral("\r") + reason;
        ShowMsgBox(text, GetMsg("ErrorCaption", "Ошибка"), MsgBoxError, "MainUnit", __LINE__);
        return false;
    }
    DeviceHandle = handle;
    FLinkFailed = false;
    FLinkError.clear();
    // Bytes left from before (a late answer to an earlier operation) are not ours.
    FT_Purge(handle, FT_PURGE_RX | FT_PURGE_TX);
    FT_STATUS setup = FT_SetBaudRate(handle, LineBaud);
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
    SetBusyCursor(false);
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
